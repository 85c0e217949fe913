// Start-up of the table engine: gives every engine module's globals their
// start values, in layer order; the optional units then fill their hooks.
// Start-up calls it once after the framework; tests call it in SetUp.
#pragma once

void InitDbfModules();
// The engine's end: every work area's indexes, then every table, closed.
// InitDbfModules has it run at program end.
void EndDbfModules();
