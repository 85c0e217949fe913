#include "framework/charset.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "framework/globals.h"
#include "platform/cp1252.h"
#include "platform/cp437.h"
#include "platform/utf8.h"

namespace {

// Code page 437 -> Windows-1252, upper half (the lower half is ASCII and maps
// to itself). Every character that exists in both code pages maps to itself;
// the rest (box drawing, shading, Greek letters and the like) are paired in
// ascending order with the Windows codes that code page 437 lacks, so that
// the table is a permutation and every text converts back unchanged.
constexpr std::array<unsigned char, 128> kOemToAnsiHigh = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,  // 80
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x80, 0x83,  // 90
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x81, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,  // A0
    0x82, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92,  // B0
    0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA4, 0xA6, 0xA7,  // C0
    0xA8, 0xA9, 0xAD, 0xAE, 0xAF, 0xB3, 0xB4, 0xB6, 0xB8, 0xB9, 0xBE, 0xC0, 0xC1, 0xC2, 0xC3, 0xC8,  // D0
    0xCA, 0xDF, 0xCB, 0xCC, 0xCD, 0xCE, 0xB5, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xD7, 0xD8, 0xD9,  // E0
    0xDA, 0xB1, 0xDB, 0xDD, 0xDE, 0xE3, 0xF7, 0xF0, 0xB0, 0xF5, 0xB7, 0xF8, 0xFD, 0xB2, 0xFE, 0xA0,  // F0
};

constexpr std::array<unsigned char, 256> BuildAnsiToOem() {
  std::array<unsigned char, 256> inverse{};
  for (int i = 0; i < 128; ++i) inverse[i] = static_cast<unsigned char>(i);
  for (int i = 0; i < 128; ++i) inverse[kOemToAnsiHigh[i]] = static_cast<unsigned char>(128 + i);
  return inverse;
}

constexpr std::array<unsigned char, 256> kAnsiToOem = BuildAnsiToOem();

// The program's own mapping for fonts without the code page's characters:
// accented letters and signs to their Windows codes, box drawing to ASCII.
constexpr std::array<unsigned char, 256> BuildOwnMapping() {
  std::array<unsigned char, 256> map{};
  for (int i = 0; i < 256; ++i) map[i] = static_cast<unsigned char>(i);
  const unsigned char pairs[][2] = {
      {129, 252}, {130, 233}, {132, 228}, {134, 229}, {142, 196}, {143, 197}, {148, 246},
      {153, 214}, {154, 220}, {160, 225}, {161, 237}, {162, 243}, {163, 250}, {164, 241},
      {225, 223}, {230, 181}, {241, 177}, {248, 176}, {252, 179}, {253, 178}};
  for (const auto& p : pairs) map[p[0]] = p[1];
  for (int c : {179, 180, 181, 182, 185, 186, 195, 197, 198, 199, 204, 209, 215}) map[c] = '|';
  for (int c : {184, 187, 188, 190, 191, 192, 200, 201, 206, 211, 214, 217, 218}) map[c] = '+';
  for (int c : {196, 205}) map[c] = '-';
  return map;
}

constexpr std::array<unsigned char, 256> kOwnMapping = BuildOwnMapping();

const char* Transcription(unsigned char c) {
  switch (c) {
    case 129: return "ue";
    case 130: return "e";
    case 132: return "ae";
    case 142: return "Ae";
    case 148: return "oe";
    case 153: return "Oe";
    case 154: return "Ue";
    case 160: return "a";
    case 163: return "u";
    case 164: return "n";
    case 196: case 205: return "-";
    case 225: return "ss";
    case 230: return "u";
    case 241: return "+/-";
    case 248: return "deg";
    case 253: return "2";
    default: return nullptr;
  }
}

std::string MapBytes(std::string_view s, const std::array<unsigned char, 256>& map) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(map[static_cast<unsigned char>(c)]);
  return out;
}

}  // namespace

unsigned char OemToAnsiChar(unsigned char c) { return c < 128 ? c : kOemToAnsiHigh[c - 128]; }

unsigned char AnsiToOemChar(unsigned char c) { return kAnsiToOem[c]; }

std::string OemToAnsiOwn(std::string_view s) { return MapBytes(s, kOwnMapping); }

std::string OemToAnsiStr(std::string_view s) {
  if (CharSetMode == 1) return OemToAnsiOwn(TranscribeText(s));
  std::string out(s);
  for (char& c : out) c = static_cast<char>(OemToAnsiChar(static_cast<unsigned char>(c)));
  return out;
}

std::string OemToAnsiText(std::string_view s) { return OemToAnsiStr(s); }

std::string AnsiToOemText(std::string_view s) { return MapBytes(s, kAnsiToOem); }

std::string TranscribeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (const char* t = Transcription(static_cast<unsigned char>(c))) out += t;
    else out += c;
  }
  return out;
}

std::string UmlautModeText(std::string_view s) {
  switch (UmlautMode) {
    case 2: return OemToAnsiText(s);
    case 3: return TranscribeText(s);
    default: return std::string(s);
  }
}

std::string Cp437ToUtf8(std::string_view text) {
  // Plain ASCII (most of every report) is the same in UTF-8: copied whole.
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t plain = i;
    while (plain < text.size() && static_cast<unsigned char>(text[plain]) < 0x80) ++plain;
    out.append(text, i, plain - i);
    if (plain == text.size()) break;
    platform::AppendUtf8(out, platform::kCp437High[static_cast<unsigned char>(text[plain]) - 0x80]);
    i = plain + 1;
  }
  return out;
}

std::string OemToUtf8(std::string_view s) {
  const auto firstHigh = std::find_if(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (firstHigh == s.end()) return std::string(s);
  return Cp437ToUtf8(CharSetMode == 1 ? TranscribeText(s) : s);
}

namespace {

// Each character of a UTF-8 text as the code of a one-byte code page (the
// lower half ASCII), found by code; "?" where the code page has none.
template <typename CodeOf>
std::string Utf8ToCodePage(std::string_view utf8, CodeOf codeOf) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    if (!platform::NextUtf8(utf8, i, c)) {
      out += '?';
      ++i;
    } else {
      out += static_cast<char>(c < 0x80 ? static_cast<unsigned char>(c) : codeOf(c));
    }
  }
  return out;
}

}  // namespace

std::string Utf8ToOem(std::string_view utf8) {
  return Utf8ToCodePage(utf8, [](char32_t c) -> unsigned char {
    const auto* high = std::find(std::begin(platform::kCp437High), std::end(platform::kCp437High), c);
    return high == std::end(platform::kCp437High) ? '?' : static_cast<unsigned char>(0x80 + (high - platform::kCp437High));
  });
}

std::string Utf8ToAnsi(std::string_view utf8) {
  return Utf8ToCodePage(utf8, [](char32_t c) -> unsigned char {
    if (c >= 0xA0 && c <= 0xFF) return static_cast<unsigned char>(c);
    const auto* high = std::find(std::begin(platform::kCp1252High), std::end(platform::kCp1252High), c);
    return high == std::end(platform::kCp1252High) ? '?' : static_cast<unsigned char>(0x80 + (high - platform::kCp1252High));
  });
}

std::string NameAsStoredText(std::string_view name) {
  return platform::IsUtf8(name) ? Utf8ToOem(name) : std::string(name);
}

std::string OemToAnsiNamingFiles(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t at = i;
    char32_t c = 0;
    if (static_cast<unsigned char>(s[i]) >= 0x80 && platform::NextUtf8(s, at, c)) {
      out += Utf8ToAnsi(s.substr(i, at - i));
      i = at;
    } else {
      out += OemToAnsiStr(s.substr(i, 1));
      ++i;
    }
  }
  return out;
}

std::string ReplaceBoxChars(std::string_view s) { return std::string(s); }
