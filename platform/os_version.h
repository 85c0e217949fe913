// The operating system's version as "major.minor" (the kernel release).
#pragma once

#include <string>

namespace platform {

std::string OsVersionText();

}  // namespace platform
