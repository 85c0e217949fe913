#include "platform/os_version.h"

#include <sys/utsname.h>

namespace platform {

std::string OsVersionText() {
  utsname u{};
  if (::uname(&u) != 0) return "0.0";
  // "6.1.0-18-amd64": keep the first two numbers.
  std::string release = u.release;
  std::string out;
  int dots = 0;
  for (char c : release) {
    if (c == '.') {
      if (++dots == 2) break;
    } else if (c < '0' || c > '9') {
      break;
    }
    out.push_back(c);
  }
  return out.empty() ? "0.0" : out;
}

}  // namespace platform
