// Damaged copies of a good file for the readers' fuzz tests: bytes flipped,
// lines cut, dropped or doubled, binary junk put in. Seeded, so a failure
// repeats.
#pragma once

#include <random>
#include <string>

inline std::string DamagedCopy(std::string s, std::mt19937& rng) {
  auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  int edits = 1 + static_cast<int>(pick(8));
  for (int i = 0; i < edits; ++i) {
    switch (pick(6)) {
      case 0:  // flip a byte
        if (!s.empty()) s[pick(s.size())] = static_cast<char>(pick(256));
        break;
      case 1:  // cut the file
        s.resize(pick(s.size() + 1));
        break;
      case 2: {  // drop a stretch
        std::size_t at = pick(s.size() + 1);
        s.erase(at, pick(200));
        break;
      }
      case 3: {  // double a stretch
        std::size_t at = pick(s.size() + 1);
        s.insert(at, s.substr(at, pick(300)));
        break;
      }
      case 4: {  // junk
        std::string junk;
        for (std::size_t n = pick(64); n > 0; --n) junk.push_back(static_cast<char>(pick(256)));
        s.insert(pick(s.size() + 1), junk);
        break;
      }
      default:  // a very long line
        s.insert(pick(s.size() + 1), std::string(pick(5000), 'x'));
        break;
    }
  }
  return s;
}
