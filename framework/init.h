// Start-up of the framework: gives every framework module's globals their
// start values, in module order. Start-up calls it once before any window
// exists; tests call it in SetUp so that every test starts from the defaults.
#pragma once

void InitFrameworkModules();
