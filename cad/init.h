// Start-up of the CAD subsystem.
#pragma once

// Gives every global of the CAD modules its start value, in module order.
// The CAD settings themselves (CadState) are reset by the framework's
// InitCadDefaults.
void InitCadModules();
