#include "framework/text_utils.h"

#include <algorithm>

#include "framework/globals.h"

namespace {

std::string Replaced(std::string_view s, char from, char to) {
  std::string out(s);
  std::replace(out.begin(), out.end(), from, to);
  return out;
}

std::size_t Count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

std::string DotToComma(std::string_view s) { return Replaced(s, '.', ','); }
std::string CommaToDot(std::string_view s) { return Replaced(s, ',', '.'); }
std::string RowDecimalText(std::string_view s) {
  if (DecimalMode == 1) return CommaToDot(s);
  // Only a decimal point becomes a comma: the ".." of a range "0.1 .. 0.16" stays.
  std::string out(s);
  for (std::size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '.' && out[i + 1] >= '0' && out[i + 1] <= '9') out[i] = ',';
  return out;
}

std::string UpperCaseText(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCaseText(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerChar(c);
  return out;
}

std::string PadRight(std::string_view s, int n) {
  std::string out(s.substr(0, Count(n)));
  out.resize(Count(n), ' ');
  return out;
}

std::string TrimPadRight(std::string_view s, int n) {
  std::string t = TrimRightText(s);
  if (t.size() > Count(n)) t.resize(Count(n));
  return std::string(Count(n) - t.size(), ' ') + t;
}

std::string TrimRightText(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  const auto last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

void TrimTextVar(std::string& s) { s = TrimRightText(s); }

std::string LeftText(std::string_view s, int n) { return std::string(s.substr(0, Count(n))); }

std::string RightText(std::string_view s, int n) {
  const std::size_t k = std::min(Count(n), s.size());
  return std::string(s.substr(s.size() - k));
}

std::string RemoveBlanks(std::string_view s) {
  std::string out(s);
  DeleteBlanks(out);
  return out;
}

void DeleteBlanks(std::string& s) { s.erase(std::remove(s.begin(), s.end(), ' '), s.end()); }

void ReplaceChar(char oldChar, char newChar, std::string& s) {
  std::replace(s.begin(), s.end(), oldChar, newChar);
}

int CountSubstr(std::string_view sub, std::string_view s) {
  if (sub.empty() || sub.size() > s.size()) return 0;
  for (std::size_t p = s.size() - sub.size() + 1; p-- > 0;) {
    if (s.substr(p, sub.size()) == sub) return static_cast<int>(p + 1);
  }
  return 0;
}

std::string ShortenText(std::string_view s, int n) {
  if (s.size() <= Count(n)) return std::string(s);
  const int k = std::max(n / 2 - 3, 0);
  return std::string(s.substr(0, Count(k))) + " ... " + RightText(s, k + 1);
}

void WrapTextLines(std::string_view s, char brk, int n, int& longest, int& count) {
  if (n < 1) n = 1;
  longest = 1;
  count = 0;
  while (!s.empty()) {
    ++count;
    std::size_t k;
    if (s.size() > Count(n)) {
      k = Count(n);
      for (std::size_t p = Count(n) - 1; p >= 1; --p) {  // 1-based positions n-1 .. 1
        if (s[p - 1] == brk) {
          k = p;
          break;
        }
      }
    } else {
      k = s.size();
    }
    longest = std::max(longest, static_cast<int>(k));
    if (count <= static_cast<int>(kLineTableCount)) LineTable[static_cast<std::size_t>(count)] = s.substr(0, k);
    s.remove_prefix(k);
  }
}
