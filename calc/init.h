// Start-up of the calculation subsystem.
#pragma once

// Gives every global of the calculation modules its start value, in module
// order: joint records, table row records.
void InitCalcModules();
