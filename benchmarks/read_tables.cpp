// Reads the table files that a batch report of the default project opens,
// byte for byte, and ends: usage bq4_read_tables <tables folder>.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string dir = std::string(argv[1]) + "/";
  unsigned long total = 0;
  for (const char* name : {"gewinde.dbf", "din931.dbf", "din934.dbf", "anzieh.dbf"}) {
    std::FILE* f = std::fopen((dir + name).c_str(), "rb");
    if (!f) return 1;
    char buf[8192];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) total += n;
    std::fclose(f);
  }
  return total > 0 ? 0 : 1;
}
