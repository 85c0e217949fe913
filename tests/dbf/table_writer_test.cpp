#include "dbf/table_writer.h"

#include <gtest/gtest.h>

#include "dbf_test_util.h"

#include <filesystem>
#include <fstream>

#include "framework/clock.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "platform/process.h"
#include "../html_tidy.h"

namespace {

using dbftest::ReadText;

// Compares with tests/data/table_writer/<golden>; BQ4_UPDATE_GOLDEN=1 rewrites it instead.
void ExpectGolden(const std::string& written, const std::string& golden, const std::string& dir) {
  const std::string goldenPath = std::string(BQ4_TEST_DATA) + "/table_writer/" + golden;
  std::string got = ReadText(written);
  // The folder, also as the page's comment holds it (without blanks).
  std::string unblanked = dir;
  std::erase(unblanked, ' ');
  for (const std::string& written : {dir, unblanked})
    for (std::size_t p; (p = got.find(written)) != std::string::npos;) got.replace(p, written.size(), "$TMP");
  ASSERT_FALSE(got.empty()) << written;
  if (written.size() > 4 && written.substr(written.size() - 4) == ".htm") {
    EXPECT_EQ(TidyErrors(written), "");
  }
  if (platform::GetEnvironment("BQ4_UPDATE_GOLDEN") == "1") {
    std::ofstream(goldenPath, std::ios::binary) << got;
    return;
  }
  EXPECT_EQ(got, ReadText(goldenPath)) << "differs from golden file " << golden;
}

class TableWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    PinClock(ClockReading{2009, 3, 7, 9, 5, 0, 0});
    dir_ = platform::ProcessTempDir() + "/tw_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    TempDir = dir_;
    CurrentDir = "/home/user/joints";
    CurrentFileName = "flange";
    platform::RecordProgramStarts(true);
  }
  void TearDown() override {
    platform::RecordProgramStarts(false);
    InitClock();
  }

  // Three columns (the fourth width is 0, so columns 5 to 7 are not written),
  // a long cell and HTML's special characters.
  void WriteTable(TOutputDevice device) {
    SetPageHeader("Table", "threads.dbf", "Threads", "", "", 0);
    OpenOutput(device, "");
    ASSERT_EQ(AbortFlag, 0);
    ASSERT_TRUE(TextFileVar.Rewrite());
    OutputPageHeader(0, 0);
    TTableWriter w;
    w.Init({10, 8, 6, 0, 5, 0, 0}, {"NAME", "D", "P", "", "X", "", ""});
    w.WriteRow({"M12", "12.000", "1.750", "", "x", "", ""});
    w.WriteRow({"A<B>&\"C\"", "1", "2", "", "", "", ""});
    w.WriteRow({std::string(70, 'L'), "", "", "", "", "", ""});
    w.Done();
    CloseOutput();
  }

  // The DOS text file of a table of `rows`.
  std::string DosText(const TTableWriter::Widths& widths, const TTableWriter::Texts& titles,
                      const std::vector<TTableWriter::Texts>& rows) {
    OpenOutput(kDeviceDosText, "");
    EXPECT_TRUE(TextFileVar.Rewrite());
    TTableWriter w;
    w.Init(widths, titles);
    for (const auto& row : rows) w.WriteRow(row);
    w.Done();
    CloseOutput();
    return ReadText(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  }

  std::string dir_;
};

}  // namespace

TEST_F(TableWriter, HtmlDeviceWritesOneTableWithRightAlignedNumbers) {
  platform::DialogScript script;
  script.File(dir_ + "/t.htm");
  WriteTable(kDeviceHtml);
  ExpectGolden(dir_ + "/t.htm", "device7.htm", dir_);  // escaped cells, long cell cut to 60
}

TEST_F(TableWriter, SpreadsheetDeviceWritesTabSeparatedLines) {
  WriteTable(kDeviceTxt);
  ExpectGolden(dir_ + "/$$1.txt", "device6.txt", dir_);
}

TEST_F(TableWriter, TextDevicePadsColumnsBetweenRuleLines) {
  WriteTable(kDeviceDosText);
  ExpectGolden(FindExistingFile(dir_ + "/OUTDOS.TXT"), "device8.txt", dir_);
}

TEST_F(TableWriter, ASecondWidthOfZeroStillWritesTheSecondColumn) {
  std::string text = DosText({4, 0, 3, 0, 0, 0, 0}, {"A", "B", "C", "", "", "", ""}, {{"1", "2", "3", "", "", "", ""}});
  EXPECT_NE(text.find("A   C   \n"), std::string::npos) << text;  // column 2 cut to nothing, column 3 written
  EXPECT_NE(text.find("1   3  "), std::string::npos) << text;
}

// A number wider than its column prints as "*"s rather than cut into another
// number; a text is cut, and a number that fits stays as it is.
TEST_F(TableWriter, ANumberTooWideForItsColumnPrintsStars) {
  std::string text = DosText({6, 9, 5, 0, 0, 0, 0}, {"NAME", "PRICE", "N", "", "", "", ""},
                             {{"M12345678", "12345678.99", "-1234", "", "", "", ""},
                              {"M8", "12345678.", "12345", "", "", "", ""}});
  EXPECT_NE(text.find("M12345*********-1234 \n"), std::string::npos) << text;
  EXPECT_NE(text.find("M8    12345678.12345 \n"), std::string::npos) << text;
}
