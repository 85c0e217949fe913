#include "framework/text_output.h"

#include <gtest/gtest.h>

#include <QByteArrayView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "framework/calc_messages.h"
#include "framework/clock.h"
#include "framework/globals.h"
#include "framework/file_utils.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "output_test_support.h"
#include "../html_tidy.h"
#include "platform/process.h"

namespace fs = std::filesystem;

namespace {

// Compares a written file with its golden file in tests/data/text_output;
// every such file is for people: UTF-8 without a byte-order mark, LF only;
// the test's temporary folder reads as "$TMP". BQ4_UPDATE_GOLDEN=1 rewrites
// the golden file instead (on purpose only).
void ExpectGolden(const std::string& written, const std::string& golden, const std::string& tempDir) {
  const std::string goldenPath = std::string(BQ4_TEST_DATA) + "/text_output/" + golden;
  std::string got = ReadBytes(written);
  // The folder, also as the page's comment holds it (without blanks).
  std::string unblanked = tempDir;
  std::erase(unblanked, ' ');
  for (const std::string& dir : {tempDir, unblanked})
    for (std::size_t p; (p = got.find(dir)) != std::string::npos;) got.replace(p, dir.size(), "$TMP");
  ASSERT_FALSE(got.empty()) << written << " is empty or missing";
  EXPECT_TRUE(QByteArrayView(got.data(), static_cast<qsizetype>(got.size())).isValidUtf8()) << written;
  EXPECT_NE(got.rfind("\xEF\xBB\xBF", 0), 0u) << written << " begins with a byte-order mark";
  EXPECT_EQ(got.find('\r'), std::string::npos) << written << " has CR line ends";
  if (written.size() > 4 && written.substr(written.size() - 4) == ".htm") {
    EXPECT_EQ(TidyErrors(written), "");
  }
  if (platform::GetEnvironment("BQ4_UPDATE_GOLDEN") == "1") {
    WriteBytes(goldenPath, got);
    return;
  }
  EXPECT_EQ(got, ReadBytes(goldenPath)) << "differs from golden file " << golden;
}

class TextOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    PinClock(ClockReading{2009, 3, 7, 9, 5, 0, 0});  // 03/07/2009 9:05 in every golden file
    dir_ = FreshTestDir("textout");
    TempDir = dir_;
    CurrentDir = "/home/user/joints";
    CurrentFileName = "flange";
    HeaderLines[1] = "Design office";
    HeaderLines[2] = "Sample company";
    PltDir = std::string(BQ4_TEST_DATA) + "/text_output";
    platform::RecordProgramStarts(true);
  }
  void TearDown() override {
    platform::RecordProgramStarts(false);
    InitClock();
  }

  // The report that every device test writes: a header with column heads,
  // lines, table rows, and the message section.
  void WriteSampleReport(TOutputDevice device, int rows = 12) {
    SetPageHeader("", "Joint: flange of a pump housing", "Bolt M12 x 60 - 12.9", "Calculation & check <VDI>",
                  "", 0);
    SetColumnHeads("Quantity", "Symbol", "Unit", "Value", "Limit");
    OpenOutput(device, "");
    ASSERT_EQ(AbortFlag, 0);
    ASSERT_TRUE(RewriteOutput());
    ASSERT_EQ(AbortFlag, 0);
    OutputPageHeader(0, 1);
    OutputLine("Assembly state");
    OutputLine(SeparatorLine());
    for (int i = 1; i <= rows; ++i)
      OutputTableRow("Preload of row " + std::to_string(i), "F_M", "N", std::to_string(1000 + i) + ".5");
    OutputLine(RuleLineText());
    OutputLine(std::string(kNoLine));
    OutputKeepLines(0);
    OutputMessages();
    CloseOutput();
  }

  void AddSampleMessages() {
    AddErrorMessage("Error: function tan in Unit math");
    AddErrorMessage("Warning: no explanation <here>");
  }

  // The lines the body writes to the DOS text device, read back.
  std::string DosText(const std::function<void()>& body) {
    OpenOutput(kDeviceDosText, "");
    EXPECT_TRUE(RewriteOutput());
    body();
    CloseOutput();
    return ReadBytes(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  }

  std::string dir_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Layout helpers

TEST_F(TextOutputTest, TableRowValuesStandAtColumns35And44And56AndSeparatorsFollowTheDisplayMode) {
  PrintoutDisplayMode = 1;
  const std::string text = DosText([] { OutputTableRow(std::string(40, 'n'), "V1", "V2", "V3"); });
  // Seven columns of margin; a name too long for its column stays whole and
  // the symbol and unit follow it, each after a blank; the value keeps its column.
  EXPECT_EQ(text.substr(0, text.find('\n')),
            std::string(7, ' ') + std::string(40, 'n') + " V1 V2" + std::string(9, ' ') + "V3" + std::string(15, ' '));
  // The value's field reaches the end of the line at column 72: a value of up
  // to 17 characters stands at column 56 whole, a range of two numbers too.
  const std::string wide = DosText([] {
    OutputTableRow("preload", "FM", "N", "12345678.12345678");
    OutputTableRow("range", "FM", "N", "1.2345 .. 6.7891");
  });
  EXPECT_NE(wide.find(std::string(7, ' ') + "preload" + std::string(27, ' ') + "FM" + std::string(7, ' ') + "N" +
                      std::string(11, ' ') + "12345678.12345678\n"),
            std::string::npos)
      << wide;
  EXPECT_NE(wide.find(std::string(7, ' ') + "range" + std::string(29, ' ') + "FM" + std::string(7, ' ') + "N" +
                      std::string(11, ' ') + "1.2345 .. 6.7891 \n"),
            std::string::npos)
      << wide;
  // Texts that run into the value's field: the value keeps its digits where
  // they stand in the field while it can, else follows them and a number
  // fits what is left.
  const std::string pushed = DosText([] { OutputTableRow(std::string(48, 'n'), "V1", "unit", "     123456.789"); });
  EXPECT_EQ(pushed.substr(0, pushed.find('\n')),
            std::string(7, ' ') + std::string(48, 'n') + " V1 unit    123456.789" + std::string(2, ' '));
  const std::string fitted = DosText([] { OutputTableRow(std::string(56, 'n'), "V1", "unit", "123456.789"); });
  EXPECT_EQ(fitted.substr(0, fitted.find('\n')), std::string(7, ' ') + std::string(56, 'n') + " V1 unit 1.23E5 ");
  // A symbol that fills its column keeps a blank before the unit; a number
  // too wide for the value column is fitted, not cut to another number.
  const std::string full = DosText([] { OutputTableRow("preload", "FMmax,req", "N", std::string(40, '9')); });
  EXPECT_NE(full.find("FMmax,req N"), std::string::npos) << full;
  EXPECT_NE(full.find("1.00E40"), std::string::npos) << full;
  EXPECT_EQ(InsertAtColumn("abcdef", 3, "XY"), "abXYcdef");
  EXPECT_EQ(InsertAtColumn("abc", 10, "XY"), "abcXY");  // beyond the end: appended
  EXPECT_EQ(InsertAtColumn(std::string(72, ' '), 1, "*").size(), 72u);
  // Separators follow the display mode; box drawing (mode 2) and frameless
  // (mode 4) pages are in the golden files.
  EXPECT_EQ(SeparatorLine(), std::string(70, '-'));
  EXPECT_EQ(FrameTopLine(), std::string(70, '*'));
  PrintoutDisplayMode = 3;
  EXPECT_EQ(SeparatorLine(), std::string(70, ' '));
  EXPECT_EQ(FrameChar(), ' ');
}

// ---------------------------------------------------------------------------
// Devices

TEST_F(TextOutputTest, DeviceListFillsSevenItemTextsAndTouchesNothingElse) {
  OutputDevice = kDeviceHtml;
  OpenOutput(kDeviceListNames, "");
  EXPECT_EQ(OutputDevice, kDeviceHtml);
  EXPECT_EQ(ItemTexts[1].str(), "Screen");
  EXPECT_EQ(ItemTexts[7].str(), "HTML File (Netscape, Internet Explorer ...)");
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(TextOutputTest, BatchTxtDeviceWritesTabRowsBesideTheInputFile) {
  AddSampleMessages();
  CurrentFileName = dir_ + "/flange";
  WriteSampleReport(kDeviceBatchTxt, 3);
  EXPECT_EQ(TxtFileCounter, 1);
  ExpectGolden(dir_ + "/flange.txt", "device9.txt", dir_);
  // Written in place: no file in the temporary directory, no leftover.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TextOutputTest, AProjectWithoutAFileIsNamedSoInTheHeader) {
  CurrentFileName.clear();
  CurrentDir = dir_;
  WriteSampleReport(kDeviceDosText, 1);
  const std::string dos = ReadBytes(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  EXPECT_NE(dos.find("new project, not saved yet"), std::string::npos);
  EXPECT_EQ(dos.find(".bq4"), std::string::npos);
  // A file name (the file system's UTF-8) is named with its characters.
  CurrentFileName = "Flansch \u00e4 1";
  WriteSampleReport(kDeviceDosText, 1);
  const std::string named = ReadBytes(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  EXPECT_NE(named.find("Flansch \u00e4 1.bq4"), std::string::npos) << named;
}

TEST_F(TextOutputTest, TwoTxtOutputsInARowAreNumberedOneAndTwo) {
  WriteSampleReport(kDeviceTxt, 2);
  WriteSampleReport(kDeviceTxt, 2);
  EXPECT_EQ(TxtFileCounter, 2);
  for (const char* name : {"$$$1.txt", "$$1.txt", "$$$2.txt", "$$2.txt"})
    EXPECT_TRUE(fs::exists(dir_ + "/" + name)) << name;
  ExpectGolden(dir_ + "/$$2.txt", "device6.txt", dir_);
}

TEST_F(TextOutputTest, FileDeviceFramedPagesWithPageBreaksInBoxDrawingMode) {
  AddSampleMessages();
  LinesPerPage = 30;
  const std::string target = dir_ + "/report.txt";
  platform::DialogScript script;
  script.File(target);
  script.Ok().Expect("have been created");
  WriteSampleReport(kDeviceFile, 14);
  EXPECT_EQ(script.Pending(), 0u);
  ExpectGolden(target, "device3_mode2.txt", dir_);
  EXPECT_TRUE(fs::exists(dir_ + "/outwin.txt"));
}

TEST_F(TextOutputTest, FileDeviceStarFramesWithTotalPages) {
  PrintoutDisplayMode = 1;
  LinesPerPage = 30;
  const std::string target = dir_ + "/report.txt";
  platform::DialogScript script;
  script.File(target);
  script.Ok();
  SetPageHeader("Protocol", "one", "two", "three", "four", 2);
  OpenOutput(kDeviceFile, "");
  ASSERT_TRUE(RewriteOutput());
  OutputPageHeader(0, 0);
  for (int i = 1; i <= 30; ++i) OutputLine("line " + std::to_string(i));
  CloseOutput();
  ExpectGolden(target, "device3_mode1_total.txt", dir_);
}

TEST_F(TextOutputTest, HeaderOnFirstPageOnlyGivesABlankLineAndFormFeeds) {
  PrintoutHeaderMode = 2;
  LinesPerPage = 30;
  WriteSampleReport(kDeviceDosText, 14);
  ExpectGolden(FindExistingFile(dir_ + "/OUTDOS.TXT"), "device8_header_mode2.txt", dir_);
}

TEST_F(TextOutputTest, FramelessModeEjectsOnlyHalfFullPages) {
  PrintoutDisplayMode = 4;
  LinesPerPage = 30;
  AddSampleMessages();
  WriteSampleReport(kDeviceDosText, 20);
  ExpectGolden(FindExistingFile(dir_ + "/OUTDOS.TXT"), "device8_mode4.txt", dir_);
}

TEST_F(TextOutputTest, FewLinesPerPageDoNotRecurseThroughPageHeaders) {
  LinesPerPage = 3;
  WriteSampleReport(kDeviceDosText, 4);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_GT(OutputPageCount, 1);
}

TEST_F(TextOutputTest, HtmlDeclaresItsCharsetAndEscapesTexts) {
  AddSampleMessages();
  const std::string target = dir_ + "/report.htm";
  platform::DialogScript script;
  script.File(target);
  WriteSampleReport(kDeviceHtml, 2);
  ExpectGolden(target, "device7.htm", dir_);  // declares utf-8, escapes "<VDI>"
  EXPECT_EQ(HtmlEscape("a&b<c>d\"e"), "a&amp;b&lt;c&gt;d&quot;e");
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.at(0), target);
}

// The page's comment names the file with its own characters: a folder named
// "Ausgabeä" reads so in the UTF-8 page, not as code page 437 bytes.
TEST_F(TextOutputTest, HtmlCommentNamesTheFileAsTheFileSystemDoes) {
  AddSampleMessages();
  fs::create_directories(dir_ + "/Ausgabe\xC3\xA4");
  const std::string target = dir_ + "/Ausgabe\xC3\xA4/report.htm";
  platform::DialogScript script;
  script.File(target);
  WriteSampleReport(kDeviceHtml, 2);
  std::string shownDir = dir_;  // the comment holds no blanks
  std::erase(shownDir, ' ');
  EXPECT_NE(ReadBytes(target).find("<!-- " + shownDir + "/Ausgabe\xC3\xA4/report.htm -->"), std::string::npos);
}

TEST_F(TextOutputTest, TextPrinterGetsSetUpCodesAheadOfTheReport) {
  platform::DialogScript script;
  script.Ok().Expect("unavailable");  // no device path
  OpenOutput(kDeviceTextPrinter, "");
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  TextPrinterDevice = dir_ + "/lp0";
  WriteBytes(platform::ConfigDirectory() + "/TEXT.HXP", "\x1b@");
  script.No();  // single page printing ?
  PrintoutDisplayMode = 4;
  SetPageHeader("", "", "", "", "", 0);
  OpenOutput(kDeviceTextPrinter, "");
  ASSERT_TRUE(RewriteOutput());
  OutputPageHeader(0, 0);
  OutputLine("hello");
  CloseOutput();
  fs::remove(platform::ConfigDirectory() + "/TEXT.HXP");
  const std::string sent = ReadBytes(TextPrinterDevice);
  EXPECT_EQ(sent.substr(0, 2), "\x1b@");
  EXPECT_NE(sent.find("       hello\r\n"), std::string::npos);
  EXPECT_EQ(sent.back(), '\f');

  // Without lines, frameless: not even the final form feed.
  TextPrinterDevice = dir_ + "/lp1";
  script.No();
  OpenOutput(kDeviceTextPrinter, "");
  ASSERT_TRUE(RewriteOutput());
  CloseOutput();
  EXPECT_EQ(ReadBytes(TextPrinterDevice), "");
}

// The word processor opens the window file; the screen device shows it in the
// report window and removes the temporary file.
TEST_F(TextOutputTest, WordProcessorAndScreenDevicesShowTheWindowFile) {
  WriteSampleReport(kDeviceWordProcessor, 1);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  EXPECT_EQ(platform::RecordedProgramStarts()[0].program, "default-opener");
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.at(0), dir_ + "/outwin.txt");
  fs::remove(dir_ + "/outwin.txt");
  platform::DialogScript script;
  script.Ok();
  WriteSampleReport(kDeviceScreen, 2);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_TRUE(fs::exists(dir_ + "/outwin.txt"));
  EXPECT_FALSE(fs::exists(dir_ + "/$OUT1.TMP"));
}

TEST_F(TextOutputTest, CalculationMessagesGoToTheReportWindowUnlessFatal) {
  platform::DialogScript script;
  script.Ok().Expect("Calculation successful without error messages");
  PrintCalculationMessages();
  AddSampleMessages();
  script.Ok();  // the report window
  PrintCalculationMessages();
  EXPECT_EQ(script.Shown().at(1).kind, "form");
  const std::string shown = ReadBytes(dir_ + "/outwin.txt");
  EXPECT_NE(shown.find("Error Messages"), std::string::npos);
  EXPECT_NE(shown.find("REMARKS, WARNINGS AND ERROR MESSAGES"), std::string::npos);
  CalcFatalFlag = 1;
  HelpLevel = 1;
  script.Ok().Expect("Calculation done. Select message for more info or continue.");
  PrintCalculationMessages();
  EXPECT_EQ(script.Shown().size(), 3u);
}

// The extension of the calculation file comes back at once, before the page
// is closed, and whether or not the browser is found.
TEST_F(TextOutputTest, BrowserGetsTheTemporaryPageAndTheInputFileExtensionComesBack) {
  const ShortString<3> ext = InputFileExt;
  HtmlBrowserPath = "/bin/true";
  OpenOutput(kDeviceHtml, "");
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputFileExt.str(), ext.str());  // the caller may stop here without CloseOutput
  EXPECT_EQ(OutputFileName, dir_ + "/" + ProgShortNameLower + ".htm");

  WriteSampleReport(kDeviceHtml, 1);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  EXPECT_EQ(platform::RecordedProgramStarts()[0].program, "/bin/true");
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.at(0), dir_ + "/" + ProgShortNameLower + ".htm");
  EXPECT_EQ(InputFileExt.str(), ext.str());

  fs::remove(dir_ + "/" + ProgShortNameLower + ".htm");
  HtmlBrowserPath = dir_ + "/no-such-browser";
  platform::DialogScript script;
  script.Ok().Expect("not found");
  WriteSampleReport(kDeviceHtml, 1);
  EXPECT_EQ(InputFileExt.str(), ext.str());
  EXPECT_TRUE(fs::exists(dir_ + "/" + ProgShortNameLower + ".htm"));
}

TEST_F(TextOutputTest, LongWrappedTextsLoseNothingBeyondFiveLines) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "word" + std::to_string(i) + " ";
  const std::string written = DosText([&] { OutputWrappedText(text); });
  std::string joined;
  for (std::size_t start = 0; start < written.size();) {
    std::size_t end = written.find('\n', start);
    const std::string line = written.substr(start, end - start);
    EXPECT_LE(line.size(), 7u + 64u);
    joined += line.substr(7);
    start = end + 1;
  }
  EXPECT_EQ(joined, text);
}

// An output file that cannot be written and a missing source of the copy
// into the window file are reported.
TEST_F(TextOutputTest, OutputFileThatCannotBeWrittenAndAMissingCopySourceAreReported) {
  OutputFileName = dir_ + "/no/such/folder/report.txt";
  AssignTextFile(TextFileVar, OutputFileName);
  platform::DialogScript script;
  script.Ok().Expect("report.txt");
  EXPECT_FALSE(RewriteOutput());
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  script.Ok();
  CopyTextFileToUtf8(dir_ + "/missing.txt", dir_ + "/out.txt");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(fs::exists(dir_ + "/out.txt"));
}

TEST_F(TextOutputTest, UnknownDeviceStopsBeforeAnyFileIsTouchedAndTheConfiguredOneCanBeAsked) {
  const std::string project = dir_ + "/joint.bq4";
  WriteBytes(project, "[SCHRAUBE]\r\n");
  AssignTextFile(TextFileVar, project);  // as the project loader leaves it
  platform::DialogScript script;
  script.Ok().Expect("unknown output device 12");
  OpenOutput(12, "");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ReadBytes(project), "[SCHRAUBE]\r\n");

  // The configured device is asked for when the setting says so.
  AbortFlag = 0;
  AskTextDevice = 1;
  script.Cancel();
  OpenOutput(kDeviceConfigured, "");
  EXPECT_EQ(AbortFlag, 1);
}

// The page's comment names its file as the file system spells it: a folder
// with umlauts, a character no code page has, and bytes that are no UTF-8
// (as "?", so that the page stays UTF-8).
TEST_F(TextOutputTest, HtmlCommentNamesThePageFileAsItsFolderIsSpelled) {
  HtmlBrowserPath = "/bin/true";
  struct Row {
    std::string folder, shown;
  };
  for (const Row& row : {Row{"M\xC3\xBCller \xE2\x82\xAC", "M\xC3\xBCller\xE2\x82\xAC"}, Row{"M\xFCller", "M?ller"}}) {
    SCOPED_TRACE(row.shown);
    TempDir = dir_ + "/" + row.folder;
    fs::create_directories(TempDir);
    WriteSampleReport(kDeviceHtml, 1);
    const std::string page = ReadBytes(TempDir + "/" + ProgShortNameLower + ".htm");
    EXPECT_NE(page.find("<!-- " + RemoveBlanks(dir_) + "/" + row.shown + "/" + ProgShortNameLower + ".htm -->\n"),
              std::string::npos)
        << page.substr(0, 200);
    EXPECT_TRUE(QByteArrayView(page.data(), static_cast<qsizetype>(page.size())).isValidUtf8());
  }
}

// A file the user names that exists already is asked about once: the file
// dialog's question is the only one. Device 6 writes it as UTF-8 like device 3.
TEST_F(TextOutputTest, AnExistingFileTheUserNamesIsAskedAboutOnceAndWrittenInUtf8) {
  const std::string target = dir_ + "/report.txt";
  const auto writeArea = [](TOutputDevice device) {
    SetPageHeader("", "one", "two", "three", "", 0);
    OpenOutput(device, "");
    ASSERT_EQ(AbortFlag, 0);
    ASSERT_TRUE(RewriteOutput());
    OutputTableRow("Area", "A_s", "mm\xFD", "84.3");
    CloseOutput();
  };
  platform::DialogScript script;
  WriteBytes(target, "old");
  script.File(target);
  script.Yes().Expect("overwrite");
  script.Ok().Expect("have been created");
  writeArea(kDeviceFile);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_NE(ReadBytes(target).find("mm\xC2\xB2"), std::string::npos);

  AskTextDevice = 1;
  script.File(target);
  script.Yes().Expect("overwrite");
  writeArea(kDeviceTxt);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(ReadBytes(target), "Area\tA_s\tmm\xC2\xB2\t84,3\n");

  const std::string page = dir_ + "/report.htm";
  WriteBytes(page, "old");
  script.File(page);
  script.Yes().Expect("overwrite");
  writeArea(kDeviceHtml);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_NE(ReadBytes(page).find("84.3"), std::string::npos);

  // No keeps the file and writes nothing.
  script.File(target);
  script.No().Expect("overwrite");
  OpenOutput(kDeviceTxt, "");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ReadBytes(target), "Area\tA_s\tmm\xC2\xB2\t84,3\n");
}
