#include "platform/modules.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>

#include "platform/os.h"

namespace platform {

void* ModuleSymbol(const std::string& name, const char* symbol, std::string& error) {
  static std::map<std::string, void*> loaded;
  void*& handle = loaded[name];
  if (!handle) {
    const std::filesystem::path dir = ExecutableDirectory();
    std::string reason;
    for (const std::filesystem::path& candidate : {dir / name, dir.parent_path() / name}) {
      handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle) break;
      const char* why = dlerror();
      if (reason.empty() && why) reason = why;
    }
    if (!handle) {
      error = "module " + name + " cannot be loaded (" + reason + ")";
      return nullptr;
    }
  }
  dlerror();
  void* address = dlsym(handle, symbol);
  if (!address) error = "module " + name + " lacks " + symbol;
  return address;
}

}  // namespace platform
