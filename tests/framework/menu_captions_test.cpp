#include "framework/menu_captions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/init.h"
#include "output_test_support.h"
#include "platform/os.h"

namespace {

using MenuCaptionsTest = FrameworkTest;

std::string SourceFile() { return std::string(BQ4_SOURCE_DIR) + "/data/menu_captions.txt"; }

TEST_F(MenuCaptionsTest, ShippedFileIsCompleteAndAgreesWithTheBuiltInTexts) {
  MenuCaptionTable table;
  std::string error;
  ASSERT_TRUE(ReadMenuCaptionFile(SourceFile(), table, error)) << error;
  // The program starts in English.
  for (int row = 1; row <= kMenuCaptionCount; ++row) {
    EXPECT_EQ(table[kLanguageEnglish - 1][row - 1], MenuCaptions[row]) << row;
    for (int lang = 1; lang <= kMenuLanguageCount; ++lang) {
      bool keeps = (lang == kLanguageSwedish && row == kCaptionSideView) ||
                   (lang == kLanguagePortuguese &&
                    (row == kCaptionImport || row == kCaptionExport || row == kCaptionSideView));
      EXPECT_EQ(table[lang - 1][row - 1].empty(), keeps) << "language " << lang << " row " << row;
    }
  }
  EXPECT_EQ(table[kLanguageGerman - 1][kCaptionFileOpen - 1], "Ö&ffnen...");
  EXPECT_EQ(table[kLanguageKorean - 1][kCaptionFile - 1], "파일(&F)");
  EXPECT_EQ(table[kLanguageRomanian - 1][kCaptionFileExit - 1], "Ie&sire");
}

TEST_F(MenuCaptionsTest, LanguagesSwitchAndKeepTheRowsTheyLack) {
  SetMenuLanguage(kLanguageSwedish);
  EXPECT_EQ(MenuCaptions[kCaptionFile], "&Arkiv");
  EXPECT_EQ(MenuCaptions[kCaptionSideView], "&Side view");
  SetMenuLanguage(kLanguageGerman);
  EXPECT_EQ(MenuCaptions[kCaptionFile], "&Datei");
  SetMenuLanguage(kLanguagePortuguese);
  EXPECT_EQ(MenuCaptions[kCaptionFileExit], "S&aida");
  EXPECT_EQ(MenuCaptions[kCaptionImport], "&Import");
  EXPECT_EQ(MenuCaptions[kCaptionExport], "Ex&port");
  EXPECT_EQ(MenuCaptions[kCaptionSideView], "&Seitenansicht");

  // A language outside 1..9 changes nothing.
  SetMenuLanguage(kLanguageKorean);
  auto before = MenuCaptions;
  SetMenuLanguage(0);
  SetMenuLanguage(10);
  for (int row = 1; row <= kMenuCaptionCount; ++row) EXPECT_EQ(MenuCaptions[row], before[row]);
  EXPECT_EQ(MenuCaptions[kCaptionFileExit], "끝내기(&x)");
}

TEST_F(MenuCaptionsTest, DamagedFilesAndLinesAreReadWholeOrRefusedWithAReason) {
  const std::string dir = FreshTestDir("captions");
  MenuCaptionTable table;
  std::string error;
  EXPECT_FALSE(ReadMenuCaptionFile(dir + "/missing.txt", table, error));
  EXPECT_NE(error.find("not found"), std::string::npos);

  const std::string all = ReadBytes(SourceFile());
  auto write = [&](const std::string& content) {
    WriteBytes(dir + "/c.txt", content);
    return ReadMenuCaptionFile(dir + "/c.txt", table, error);
  };
  EXPECT_TRUE(write(all));
  EXPECT_FALSE(write(all.substr(0, all.rfind("61|"))));  // a row short
  EXPECT_NE(error.find("60 of 61"), std::string::npos);
  std::string swapped = all;
  swapped.replace(swapped.find("\n2|"), 3, "\n3|");
  EXPECT_FALSE(write(swapped));
  EXPECT_NE(error.find("invalid line"), std::string::npos);
  std::string fieldLost = all;
  fieldLost.replace(fieldLost.find("|Menu|"), 6, "|");
  EXPECT_FALSE(write(fieldLost));

  // Each line in turn dropped, doubled, cut off, broken by a bar and binary
  // junk, or made very long: the file is read whole or refused with a reason.
  const std::string junk("|\xFF\0\x1A\r", 5);
  for (std::size_t at = 0, end; at < all.size(); at = end + 1) {
    end = std::min(all.find('\n', at), all.size());
    const std::size_t mid = at + (end - at) / 2;
    for (const std::string& damaged : {all.substr(0, at) + all.substr(std::min(end + 1, all.size())),
                                       all.substr(0, std::min(end + 1, all.size())) + all.substr(at),
                                       all.substr(0, mid), all.substr(0, mid) + junk + all.substr(mid),
                                       all.substr(0, mid) + std::string(5000, 'x') + all.substr(mid)}) {
      error.clear();
      const bool read = write(damaged);
      EXPECT_EQ(read, error.empty()) << error;
    }
  }
}

}  // namespace
