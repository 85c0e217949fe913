// Modules loaded at run time, in place of libraries linked at start.
#pragma once

#include <string>

namespace platform {

// The address of a symbol of the module file `name`, looked for beside the
// executable and one folder up (the tests sit one level deeper); the module
// stays loaded. Null with the reason in `error` when it cannot be found.
void* ModuleSymbol(const std::string& name, const char* symbol, std::string& error);

}  // namespace platform
