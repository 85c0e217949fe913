#include "framework/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

#include "../comma_locale.h"
#include "../shown_path.h"
#include "framework/change_history.h"
#include "framework/clock.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/text_output.h"
#include "output_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    ConfigDir = dir_ = FreshTestDir("cfg");
  }

  std::vector<std::string> Lines() {
    std::ifstream in(ConfigFileName(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
      EXPECT_FALSE(l.empty() || l.back() != '\r') << "line without CR LF: " << l;
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
    }
    return lines;
  }
  void Store(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    WriteBytes(ConfigFileName(), text);
  }
  // Index of the value line after a label.
  static std::size_t ValueOf(const std::vector<std::string>& lines, const std::string& label) {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == label) return i + 1;
    ADD_FAILURE() << "no label " << label;
    return 0;
  }
  // The file cut after the value line of a label.
  void StoreUpTo(const std::string& label) {
    auto lines = Lines();
    lines.resize(ValueOf(lines, label) + 1);
    Store(lines);
  }
  std::string dir_;
};

// A configuration or session file that is a FIFO is named at once, never
// waited on, and the defaults hold.
TEST_F(ConfigFileTest, AConfigurationThatIsAFifoIsNamedAndTheDefaultsHold) {
  ASSERT_EQ(::mkfifo(ConfigFileName().c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(SessionFileName().c_str(), 0600), 0);
  RecentFiles[1] = "kept.bq4";
  platform::DialogScript script;
  script.Ok().Expect("file " + ShownPath(ConfigFileName()) + " is no regular file !");
  ReadConfigFile();
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  script.Ok().Expect("file " + ShownPath(SessionFileName()) + " is no regular file !");
  ReadSessionFile();
  EXPECT_TRUE(RecentFiles[1].empty());
}

TEST_F(ConfigFileTest, RoundTripGivesBackEverySetting) {
  CadState.CadLayerNames[3] = "HIDDEN";
  CadState.CadLayerColors[5] = 7;
  CadState.CadTextFont = "ROMANS";
  CadState.CadTextSlantSetting = 0.125L;
  CadDir = "/srv/cad/";
  PltDir = "/srv/plt/";
  HelpLevel = 2;
  RotateHardcopy = 'N';
  FloatDigits = 5;
  ColorGraphics = 0;
  HorizontalPixels = 1000;
  VerticalPixels = 700;
  LinesPerPage = 72;
  ZoomIncrement = 1.3L;
  PanFactor = 1.0L / 3;
  View3DSetting = 1;  // revision index style: numbers
  CadState.PlotCommandLines[0] = "plot one";
  CadState.PlotCommandLines[1] = "plot two";
  CadState.PlotCommandLines[2] = "plot three";
  CadState.PlotCommandCount = 3;
  CadState.CadPenColors[15] = 9;
  ArchiveFlag = 1;
  HeaderSpaceLines = 4;
  TextDevice = 7;
  DecimalCommaMode = 2;
  InputWindowScale = 150;
  TextWindowLeft = 5;
  TextWindowHeight = 333;
  UnitSystem = 1;
  PrintoutFont = "Courier New";
  Edit3DAngles = 0;
  View3DAngleZ = 1.25L;
  DecimalMode = 1;
  CadState.CadApprovalLabel4 = "Approved";
  CadState.CadPenWidths[4] = 3;
  CharSetMode = 1;
  FormScalePercent = 90;
  MenuLanguage = 8;
  CadState.CadNoLogo = 1;
  WriteConfigFile();
  ASSERT_EQ(AbortFlag, 0);
  const std::vector<std::string> written = Lines();
  ASSERT_GT(written.size(), 200u);
  // Numbers are written with a dot whatever the settings, which stay as they were.
  EXPECT_EQ(written[ValueOf(written, "zoom increment")], "1.3000000");
  EXPECT_EQ(written[ValueOf(written, "Dot=1 Komma=2")], "2");
  EXPECT_EQ(DecimalCommaMode, 2);
  EXPECT_EQ(FloatDigits, 5);
  EXPECT_EQ(std::vector<std::string>(written.begin(), written.begin() + 4),
            (std::vector<std::string>{"bq4 Configuration", "Version " + ProgVersion, "Layer", "1"}));

  InitFrameworkModules();
  ConfigDir = dir_;
  ReadConfigFile();
  EXPECT_EQ(AbortFlag, 0);
  // Every setting read back is written again unchanged: the same file line for line.
  WriteConfigFile();
  EXPECT_EQ(Lines(), written);
  EXPECT_EQ(CadState.CadTextSlantSetting, 0.125L);
  EXPECT_NEAR(static_cast<double>(PanFactor), 0.3333333, 1e-12);  // 7 decimals
  EXPECT_EQ(CadState.PlotCommandLines[2], "plot three");
  EXPECT_NEAR(static_cast<double>(View3DAngleX), -0.2617994, 1e-12);
  // The index style reaches the title block and the change protocol.
  EXPECT_EQ(View3DSetting, 1);
  EXPECT_EQ(CadState.CadRevisionIndexStyle, 1);
  EXPECT_EQ(ChangeIndexStyle, 1);
}

// The change protocol counts alike with and without a configuration file
// that holds the defaults.
TEST_F(ConfigFileTest, TheChangeIndexStyleStartsAsTheDefaultConfigurationSetsIt) {
  const Word start = ChangeIndexStyle;
  EXPECT_EQ(ChangeIndexText(3), "c");
  WriteConfigFile();
  InitFrameworkModules();
  ConfigDir = dir_;
  ReadConfigFile();
  EXPECT_EQ(ChangeIndexStyle, start);
  EXPECT_EQ(ChangeIndexText(3), "c");
}

TEST_F(ConfigFileTest, ValuesOutOfRangeAreCorrected) {
  WriteConfigFile();
  auto lines = Lines();
  lines[ValueOf(lines, "Lines per page for printer")] = "4";
  lines[ValueOf(lines, "Header Space Lines")] = "31";
  lines[ValueOf(lines, "Text Device")] = "0";
  lines[ValueOf(lines, "pan faktor")] = "0";
  lines[ValueOf(lines, "Digits for floating point numbers")] = "abc";
  lines[ValueOf(lines, "Input Window Scale %")] = "5000";
  lines[ValueOf(lines, "Rotate Hardcopy ?")] = "";
  lines[ValueOf(lines, "Default Data Directory")] = "";
  lines[ValueOf(lines, "Windows Screendump Scale")] = "0";
  lines[ValueOf(lines, "Print Scale Vertical")] = "0";
  lines[ValueOf(lines, "Line thickness Layer 0..5") + 2] = "300";
  Store(lines);
  ReadConfigFile();
  EXPECT_EQ(LinesPerPage, 66);
  EXPECT_EQ(HeaderSpaceLines, 0);
  EXPECT_EQ(TextDevice, 1);
  EXPECT_EQ(PanFactor, 0.01L);  // not the start value 0.02
  EXPECT_EQ(FloatDigits, 3);
  EXPECT_EQ(InputWindowScale, 100);
  EXPECT_EQ(RotateHardcopy, 'N');
  EXPECT_EQ(DefaultDataDir, StartDir + "/");
  EXPECT_EQ(ScreendumpScale, 1);
  EXPECT_EQ(PrintScaleVertical, 1);
  EXPECT_EQ(CadState.CadLayerWidths[2], 1);
}

// "Date Code": 0 (none chosen) leaves dates to the system's layout, 1..4
// choose one, and any other value, a text or an empty line among them, is
// year/month/day; a file that ends before the entry leaves the system's.
TEST_F(ConfigFileTest, DateCodesOtherThanTheFourAreYearMonthDay) {
  testlocale::LocaleNames german("de_DE.UTF-8", nullptr, nullptr);  // day.month.year
  PinClock(ClockReading{2026, 12, 7, 9, 5, 0, 0});
  WriteConfigFile();
  const std::vector<std::string> written = Lines();
  auto today = [&](const std::string& code) {
    auto lines = written;
    lines[ValueOf(lines, "Date Code")] = code;
    Store(lines);
    ReadConfigFile();
    return TodayText();
  };
  std::vector<std::string> got;
  for (const char* code : {"7", "x", "-1", "", "2.5", "5", "65536"}) got.push_back(today(code));
  EXPECT_EQ(got, std::vector<std::string>(7, "2026/12/07"));
  EXPECT_EQ(DateCodeSetting, 3);
  WriteConfigFile();  // kept as year/month/day by the next start
  ReadConfigFile();
  EXPECT_EQ(TodayText(), "2026/12/07");
  EXPECT_EQ(today("1"), "07.12.2026");
  EXPECT_EQ(today(" 2 "), "12/07/2026");
  EXPECT_EQ(today("4"), "07/12/2026");
  EXPECT_EQ(today("0"), "07.12.2026");  // none chosen: the system's
  EXPECT_EQ(DateCodeSetting, 0);
  today("7");
  StoreUpTo("Text printer device");  // an older file without the entry
  DateCodeSetting = 0;
  ReadConfigFile();
  EXPECT_EQ(TodayText(), "07.12.2026");
  UnpinClock();
}

TEST_F(ConfigFileTest, FileEndingAfterPrinterTypeKeepsTheLaterDefaults) {
  WriteConfigFile();
  StoreUpTo("Printer type");
  LinesPerPage = 50;  // not read: stays as it is
  ReadConfigFile();
  EXPECT_EQ(LinesPerPage, 50);
  EXPECT_EQ(PrintoutDisplayMode, 2);
  EXPECT_GT(HorizontalPixels, 0);  // fitted to the screen even so
}

TEST_F(ConfigFileTest, FileEndingAfterLayerMonochromeTakesGraphicsTextFromCad) {
  CadState.CadTextFont = "SIMPLEX";
  CadState.CadTextWidthSetting = 0.7L;
  WriteConfigFile();
  StoreUpTo("Layer Monochrome");
  InitFrameworkModules();
  ConfigDir = dir_;
  ReadConfigFile();
  EXPECT_EQ(GraphicsTextFont.str(), "SIMPLEX");
  EXPECT_EQ(GraphicsTextSize, 0.7L);
  EXPECT_EQ(CadState.CadPenColors[0], 1);  // "Color Layer 16" default kept
}

TEST_F(ConfigFileTest, EntriesPastTheEndReadAsEmptyAndAreCorrected) {
  WriteConfigFile();
  StoreUpTo("Archive Flag ?");
  HeaderSpaceLines = 12;  // not read past the end: kept, then corrected only when out of range
  TextHeightFactor = 0.05L;
  TextPrinterDevice = "/dev/usb/lp0";  // an older file ends before the device's entry
  ReadConfigFile();
  EXPECT_EQ(HeaderSpaceLines, 12);
  EXPECT_EQ(TextHeightFactor, 1);
  EXPECT_EQ(DecimalCommaMode, 1);  // read as 0, corrected
  EXPECT_EQ(DefaultDataDir, StartDir + "/");
  EXPECT_EQ(PrintoutFont.str(), "Courier New");  // the reading stops after "HTML Browser"
  EXPECT_EQ(TextPrinterDevice, "/dev/usb/lp0");
}

TEST_F(ConfigFileTest, MissingFileLeavesDefaultsAndAHugeCountStopsAtTheEnd) {
  ReadConfigFile();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_GT(HorizontalPixels, 0);
  EXPECT_GT(VerticalPixels, 0);
  EXPECT_EQ(LinesPerPage, 66);
  EXPECT_GE(InputWindowScale, 10);
  AbortFlag = 0;
  // A huge count of plot command lines stops at the end of the file.
  WriteConfigFile();
  auto lines = Lines();
  lines[ValueOf(lines, "VESKART Command lines (n, line 2 .. line n)")] = "2000000000";
  Store(lines);
  ReadConfigFile();
  EXPECT_EQ(CadState.PlotCommandCount, 5);
}

TEST_F(ConfigFileTest, UnwritableFolderGivesUpAndKeepsNothingHalfWritten) {
  AbortFlag = 1;  // an earlier failure: nothing is written
  WriteConfigFile();
  EXPECT_FALSE(fs::exists(ConfigFileName()));
  AbortFlag = 0;
  ConfigDir = "/dev/null/cfg";
  platform::DialogScript script;
  for (int i = 0; i < 3; ++i) script.Ok().Expect("I/O-Error");
  WriteConfigFile();
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  TraceMessagesOn = 0;  // hidden messages: still no endless retry
  WriteSessionFile();
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(ConfigFileTest, SessionFileKeepsTheFourRecentFiles) {
  CurrentDir = "/home/user/joints";
  RecentFiles[1] = "/home/user/joints/a.bq4";
  RecentFiles[2] = "/home/user/joints/b.bq4";
  RecentFiles[4] = "/tmp/d.bq4";
  WriteSessionFile();
  std::ifstream in(SessionFileName(), std::ios::binary);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "bq4\t Session /home/user/joints\r");
  // Only the names are written, in their order: no empty line.
  std::string line;
  int names = 0;
  while (std::getline(in, line)) {
    EXPECT_NE(line, "\r");
    ++names;
  }
  EXPECT_EQ(names, 3);
  in.close();
  for (auto& f : RecentFiles) f = "x";
  ReadSessionFile();
  EXPECT_EQ(RecentFiles[1], "/home/user/joints/a.bq4");
  EXPECT_EQ(RecentFiles[2], "/home/user/joints/b.bq4");
  EXPECT_EQ(RecentFiles[3], "/tmp/d.bq4");
  EXPECT_EQ(RecentFiles[4], "");
  fs::remove(SessionFileName());
  ReadSessionFile();
  for (const auto& f : RecentFiles) EXPECT_TRUE(f.empty());
}

// A name holding a line break never puts the files of one value a line out
// of step: the recent list leaves it out, the state file's first line holds
// the folder on one line, and a setting holding one (which the dialogs
// refuse) is written on one line, so that every later entry reads back.
TEST_F(ConfigFileTest, LineBreaksInNamesNeverShiftTheLaterLines) {
  CurrentDir = "/home/user/Projekte \xC3\xA4\nzwei";
  RecentFiles[1] = "/home/user/a.bq4";
  RecentFiles[2] = "/home/user/b\r\nc.bq4";
  RecentFiles[3] = "/home/user/d.bq4";
  WriteSessionFile();
  for (auto& f : RecentFiles) f = "x";
  ReadSessionFile();
  EXPECT_EQ(RecentFiles[1], "/home/user/a.bq4");
  EXPECT_EQ(RecentFiles[2], "/home/user/d.bq4");
  EXPECT_EQ(RecentFiles[3], "");
  EXPECT_EQ(RecentFiles[4], "");

  DefaultDataDir = "/home/user/Daten\nneu/";
  HtmlBrowserPath = "/opt/web\rbrowser";
  CadState.PlotCommandLines[0] = "/opt/plot\nveskart";
  LinesPerPage = 50;
  PrinterInterface = 2;
  UnitSystem = 1;
  DecimalMode = 1;
  WriteConfigFile();
  LinesPerPage = 66;
  PrinterInterface = 1;
  UnitSystem = 0;
  DecimalMode = 2;
  ReadConfigFile();
  EXPECT_EQ(LinesPerPage, 50);
  EXPECT_EQ(PrinterInterface, 2);
  EXPECT_EQ(UnitSystem, 1);
  EXPECT_EQ(DecimalMode, 1);
  EXPECT_EQ(DefaultDataDir, "/home/user/Daten|neu/");
}

// Older versions stored typed folders in Latin-1 and plot command lines in
// code page 437. Such a name is read as its characters (UTF-8, as the file
// system names them), unless it names a folder on disk byte for byte.
TEST_F(ConfigFileTest, FoldersStoredInACodePageAreReadAsTheirCharactersUnlessOnDiskAsTheyAre) {
  const std::string onDisk = dir_ + "/alt \xE4";
  fs::create_directories(onDisk);
  DefaultDataDir = "/home/user/Daten \xE4";  // "Daten ä" as the old dialog stored it
  HtmlBrowserPath = "/opt/\xE9" "diteur";
  EdiDir = onDisk;
  CadState.PlotCommandLines[0] = "/opt/pl\x94t veskart";  // code page 437 "ö"
  CadState.PlotCommandLines[1] = "/opt/pl\x94t2 veskart";
  CadState.PlotCommandCount = 2;
  WriteConfigFile();
  EXPECT_NE(ReadBytes(ConfigFileName()).find("Daten \xE4\r\n"), std::string::npos);
  ReadConfigFile();
  EXPECT_EQ(DefaultDataDir, "/home/user/Daten \xC3\xA4");
  EXPECT_EQ(HtmlBrowserPath, "/opt/\xC3\xA9" "diteur");
  EXPECT_EQ(EdiDir, onDisk);
  EXPECT_EQ(CadState.PlotCommandLines[0], "/opt/pl\xC3\xB6t veskart");
  EXPECT_EQ(CadState.PlotCommandLines[1], "/opt/pl\xC3\xB6t2 veskart");
  // A UTF-8 name stays as it is.
  DefaultDataDir = dir_ + "/Daten \xC3\xA4";
  WriteConfigFile();
  ReadConfigFile();
  EXPECT_EQ(DefaultDataDir, dir_ + "/Daten \xC3\xA4");
}

TEST_F(ConfigFileTest, RepairFillsEmptyDirectoriesAndReportsBadOnes) {
  StartDir = ConfigDir;
  TempDir = "";
  DbfDir = "";
  PltDir = "";
  EdiDir = "";
  DefaultDataDir = "";
  CadDir = ConfigDir;
  platform::DialogScript script;
  RepairConfigDirs();  // every directory usable: no message
  EXPECT_EQ(TempDir, "");  // the run's own, made when needed
  EXPECT_EQ(EdiDir, ConfigDir + "/");
  EXPECT_EQ(PltDir, platform::DataDirectory() + "/plt/");
  EXPECT_EQ(DbfDir, platform::DataDirectory() + "/tables/");
  DbfDir = ConfigDir + "/empty";
  fs::create_directories(DbfDir);
  EdiDir = "/dev/null/x";
  TempDir = "/dev/null/y";
  script.Ok().Expect("invalid DBF Directory configured");
  script.Ok().Expect("invalid temporary directory configured");
  script.Ok({{"Edit_text", "/tmp"}}).Expect("temporary directory");
  script.Ok().Expect("invalid EDI Directory configured");
  RepairConfigDirs();
  EXPECT_EQ(TempDir, "/tmp");
}

}  // namespace
