#include "framework/charset.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"
#include "platform/cp1252.h"
#include "platform/cp437.h"
#include "platform/utf8.h"

namespace {

using CharsetTest = FrameworkTest;

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

TEST_F(CharsetTest, ConversionIsAPermutationThatRoundTripsAndKnownCharactersMapToTheirWindowsCodes) {
  std::set<unsigned char> seen;
  for (int i = 0; i < 256; ++i) {
    const auto c = static_cast<unsigned char>(i);
    seen.insert(OemToAnsiChar(c));
    EXPECT_EQ(AnsiToOemChar(OemToAnsiChar(c)), c) << i;
  }
  EXPECT_EQ(seen.size(), 256u);
  const std::string all = AllBytes();
  EXPECT_EQ(AnsiToOemText(OemToAnsiText(all)), all);
  EXPECT_EQ(OemToAnsiText(AnsiToOemText(all)), all);
  // Long texts convert whole.
  for (std::size_t len : {254u, 255u, 1000u}) {
    const std::string text(len, '\x84');
    EXPECT_EQ(OemToAnsiText(text), std::string(len, '\xE4')) << len;
    EXPECT_EQ(AnsiToOemText(std::string(len, '\xE4')), text) << len;
  }
  // Known characters map to their Windows codes.
  const struct { unsigned char oem, ansi; } cases[] = {
      {132, 228}, {148, 246}, {129, 252}, {142, 196}, {153, 214}, {154, 220}, {225, 223},
      {248, 176}, {241, 177}, {253, 178}, {230, 181}, {130, 233}, {'A', 'A'}, {'|', '|'}};
  for (const auto& c : cases) EXPECT_EQ(OemToAnsiChar(c.oem), c.ansi) << int(c.oem);
}

TEST_F(CharsetTest, OwnTranscriptionInCharSetMode1) {
  const std::string text = "M\x84nner \xF8 \xB3 \xC4|";
  EXPECT_EQ(OemToAnsiText(text), "M\xE4nner \xB0 " + std::string(1, static_cast<char>(OemToAnsiChar(0xB3))) + " " +
                                     std::string(1, static_cast<char>(OemToAnsiChar(0xC4))) + "|");
  CharSetMode = 1;
  // A plain "|" stays itself; box lines become ASCII.
  EXPECT_EQ(OemToAnsiText(text), "Maenner deg | -|");
  EXPECT_EQ(OemToAnsiText("\x86\xA1\xDA"), "\xE5\xED+");
}

// UTF-8 of stored texts: ASCII runs as they are, every other byte as its
// code page 437 character, at the start, inside and at the end; with the
// own transcription first in mode 1.
TEST_F(CharsetTest, Utf8OfStoredTextsKeepsAsciiRunsAndConvertsEveryOtherByte) {
  const struct { const char* oem; const char* mode0; const char* mode1; } cases[] = {
      {"", "", ""},
      {"plain text | 1.5", "plain text | 1.5", "plain text | 1.5"},
      {"\xE6G", "\xC2\xB5G", "uG"},
      {"F\xF1 20\xF8", "F\xC2\xB1 20\xC2\xB0", "F+/- 20deg"},
      {"M\x84nner \x81" "ber", "M\xC3\xA4nner \xC3\xBC" "ber", "Maenner ueber"},
      {"\xC4\xC4 end", "\xE2\x94\x80\xE2\x94\x80 end", "-- end"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oem);
    CharSetMode = 0;
    EXPECT_EQ(OemToUtf8(c.oem), c.mode0);
    CharSetMode = 1;
    EXPECT_EQ(OemToUtf8(c.oem), c.mode1);
  }
  CharSetMode = 0;
  EXPECT_EQ(OemToUtf8("a\x80"), "a\xC3\x87");  // the lowest byte that is not ASCII
  std::string all, expected;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  for (const char c : all) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      expected += c;
    else
      platform::AppendUtf8(expected, platform::kCp437High[b - 0x80]);
  }
  EXPECT_EQ(OemToUtf8(all), expected);
}

// UTF-8 read back: only well-formed sequences count; every code of either
// code page comes back from its own character, and a character a code page
// lacks becomes "?".
TEST_F(CharsetTest, Utf8ReadsBackIntoEitherCodePage) {
  for (const char* bad : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xC3(b"})
    EXPECT_FALSE(platform::IsUtf8(bad)) << bad;
  EXPECT_TRUE(platform::IsUtf8("plain \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  CharSetMode = 1;  // no transcription here
  for (int code = 0; code < 256; ++code) {
    const std::string byte(1, static_cast<char>(code));
    EXPECT_EQ(Utf8ToOem(Cp437ToUtf8(byte)), byte) << code;
    EXPECT_EQ(Utf8ToAnsi(platform::Utf8FromDisplay(byte)), byte) << code;
  }
  CharSetMode = 0;
  EXPECT_EQ(Utf8ToOem("\xE2\x82\xAC \xC3\xA4 \xF0\x9F\x98\x80 \xFF"), "? \x84 ? ?");
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC \xC3\xA4 \xE2\x95\x90 \xC2\x80"), "\x80 \xE4 ? ?");
}

TEST_F(CharsetTest, UmlautModes) {
  const std::string text = "Stra\xE1""e 20\xF8";
  const struct { Word mode; std::string expected; } cases[] = {
      {1, text}, {2, "Stra\xDF""e 20\xB0"}, {3, "Strasse 20deg"}, {7, text}};
  for (const auto& c : cases) {
    UmlautMode = c.mode;
    EXPECT_EQ(UmlautModeText(text), c.expected) << c.mode;
  }
  EXPECT_EQ(TranscribeText("\xF1\xFD\x8E\x99\x9A\xA0\xA3\xA4\xE6\xCD"), "+/-2AeOeUeaunu-");
  EXPECT_EQ(ReplaceBoxChars("a\xB3""b"), "a\xB3""b");
}

}  // namespace
