#include "calc/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "../framework/output_test_support.h"
#include "calc/init.h"
#include "calc/joint_records.h"
#include "calc/calculation.h"
#include "calc/project_file.h"
#include "dbf/init.h"
#include "framework/calc_messages.h"
#include "framework/clock.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/os.h"
#include "../html_tidy.h"

namespace {

namespace fs = std::filesystem;

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitDbfModules();
    InitCalcModules();
    DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
    dir_ = platform::ProcessTempDir() + "/report_test";
    fs::remove_all(dir_);  // no report of an earlier test in this process
    fs::create_directories(dir_);
    TempDir = dir_;
    PltDir = std::string(BQ4_TEST_DATA) + "/project";  // an explanation file of its own
    PinClock({2026, 12, 6, 14, 5, 0, 0});
    // Reports are written for a project in the working folder, so that the
    // header's file line is the same on every run.
    savedCwd_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(savedCwd_);
    UnpinClock();
  }

  // Loads a sample project and writes its report on the device; returns the
  // report.
  std::string Report(const std::string& sample, TOutputDevice device) {
    ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/" + sample + ".bq4");
    EXPECT_EQ(AbortFlag, 0) << sample;
    return Write(sample, device);
  }

  std::string Write(const std::string& name, TOutputDevice device) {
    CurrentFileName = name;
    CurrentDir.clear();
    TextDevice = device;
    AskTextDevice = 0;
    fs::remove(CurrentFileName + ".txt");
    fs::remove(FindExistingFile(dir_ + "/OUTDOS.TXT"));
    WritePrintout();
    EXPECT_EQ(AbortFlag, 0) << name;
    return ReadBytes(FindExistingFile(device == kDeviceBatchTxt ? CurrentFileName + ".txt" : dir_ + "/OUTDOS.TXT"));
  }

  // Compares with the golden file; BQ4_UPDATE_GOLDEN=1 writes it instead.
  void ExpectGolden(const std::string& text, const std::string& golden) {
    const std::string path = std::string(BQ4_TEST_DATA) + "/project/" + golden;
    if (std::getenv("BQ4_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(text, ReadBytes(path)) << "golden " << golden << " differs";
  }

  std::string dir_;
  fs::path savedCwd_;
};

TEST_F(ReportTest, SampleReportsAndTheImperialReportMatchTheirGoldenFiles) {
  for (const char* sample : {"null", "tapped_static", "vdi1986", "eccentric", "hot", "own_nut"}) {
    ExpectGolden(Report(sample, kDeviceBatchTxt), std::string(sample) + ".tab.txt");
    ExpectGolden(Report(sample, kDeviceDosText), std::string(sample) + ".72.txt");
  }
  // The imperial report.
  UnitSystem = 1;
  ExpectGolden(Report("null", kDeviceBatchTxt), "null.imperial.tab.txt");
}

TEST_F(ReportTest, LoadIntroductionAfterTheLastPlateAndASpecialBoltsDimensionsAndEffectiveLengths) {
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  Last.LoadIntroPos1 = Klemmstuecke.nPlates + 1;
  Last.LoadIntroPos2 = Klemmstuecke.nPlates + 1;
  const std::string intro = Write("intro", kDeviceBatchTxt);
  EXPECT_NE(intro.find("introd.of load (in): at bolt head"), std::string::npos);
  EXPECT_NE(intro.find("introd.of load (out): at nut thread"), std::string::npos);
  EXPECT_EQ(intro.find("\tn1\t"), std::string::npos);
  Last.LoadIntroPos1 = Klemmstuecke.nPlates;  // the last plate is a plate
  EXPECT_NE(Write("intro2", kDeviceBatchTxt).find("to clamping plate 2"), std::string::npos);

  // A special bolt lists its dimensions and the effective lengths.
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  Schraube.BoltType = 3;
  Schraube.nSections = 2;
  Schraube.lSec[1] = 20;
  Schraube.dSec[1] = 12;
  Schraube.lSec[2] = 40;
  Schraube.dSec[2] = 10;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0);
  const std::string text = Write("special", kDeviceBatchTxt);
  const std::size_t dims = text.find("SPECIAL BOLT:  ISO 4014 - M12 x 60 - 12.9 SW18 (DIMENSIONS)\n");
  ASSERT_NE(dims, std::string::npos);
  EXPECT_NE(text.find("2\t10,00\t0,00\t40,00\t60,00\n", dims), std::string::npos);  // x runs to l
  const std::size_t second = text.find("\nSPECIAL BOLT:  ISO 4014 - M12 x 60 - 12.9 SW18\n", dims);
  ASSERT_NE(second, std::string::npos);
  // The last section without the thread length b = 30: 10, x = 30; x + b = l.
  EXPECT_NE(text.find("\n2\t10,00\t0,00\t10,00\t", second), std::string::npos);
  EXPECT_NE(text.find("\t30,00\t", second), std::string::npos);
}

TEST_F(ReportTest, HtmlReportHasTablesAndEscapedTexts) {
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/own_nut.bq4");
  ASSERT_EQ(AbortFlag, 0);
  MatMutter.Name = "C45 <hard> & tough";
  CurrentDir.clear();
  CurrentFileName = dir_ + "/html";
  TextDevice = kDeviceHtml;
  AskTextDevice = 0;
  platform::RecordProgramStarts(true);  // the browser is not started
  platform::DialogScript script;
  script.File(dir_ + "/report.htm");
  WritePrintout();
  platform::RecordProgramStarts(false);
  EXPECT_EQ(AbortFlag, 0);
  const std::string html = ReadBytes(FindExistingFile(dir_ + "/report.htm"));
  EXPECT_NE(html.find("<TABLE BORDER=1><TR><TH>i</TH>"), std::string::npos);
  EXPECT_NE(html.find("C45 &lt;hard&gt; &amp; tough"), std::string::npos);
  EXPECT_EQ(html.find("<hard>"), std::string::npos);
  EXPECT_NE(html.find("</HTML>"), std::string::npos);
  EXPECT_EQ(TidyErrors(FindExistingFile(dir_ + "/report.htm")), "");
}

TEST_F(ReportTest, AFailedOutputStopsTheReportAndStillClosesIt) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_EQ(AbortFlag, 0);
  TextPrinterDevice = "/dev/full";  // every write fails once the buffer is flushed
  TextDevice = kDeviceTextPrinter;
  AskTextDevice = 0;
  platform::DialogScript script;
  script.No();  // single page printing
  WritePrintout();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(TextFileVar.IsOpen());
}

TEST_F(ReportTest, AfterAFatalCalculationNothingIsWritten) {
  ReadCalcFile(std::string(BQ4_TEST_DATA) + "/project/fatal.bq4");
  ASSERT_EQ(CalcFatalFlag, 1);
  CurrentFileName = dir_ + "/fatal";
  TextDevice = kDeviceBatchTxt;
  platform::DialogScript script;
  script.Cancel();  // the message list is shown instead
  WritePrintout();
  EXPECT_FALSE(fs::exists(dir_ + "/fatal.txt"));
}

// The value of the report row whose symbol is given: the TAB report's last
// field or the printed line's value column.
bool RowValue(const std::string& report, const std::string& symbol, bool tabs, Extended& value,
              std::string& text) {
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    if (tabs) {
      if (line.find("\t" + symbol + "\t") == std::string::npos) continue;
      text = line.substr(line.rfind('\t') + 1);
    } else {
      if (line.find(" " + symbol + " ") == std::string::npos) continue;
      text = line.substr(0, line.find_last_not_of(' ') + 1);
      text = text.substr(text.rfind(' ') + 1);  // the last word
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, text.find_first_not_of(' '));
    return TryTextToFloat(text, value);
  }
  return false;
}

std::vector<std::string> ReportLines(const std::string& report) {
  std::vector<std::string> lines;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "REMARKS, WARNINGS AND ERROR MESSAGES" || line.ends_with(" REMARKS, WARNINGS AND ERROR MESSAGES")) break;
    lines.push_back(line);
  }
  return lines;
}

std::string Trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// Every row and table row of the TAB report is found in the printed report
// in the same order, each of its texts whole and with a blank before it;
// a number that did not fit is shown as the same number in fewer digits,
// or as "*"s. Returns the first fault, or "".
std::string FirstCutValue(const std::string& tabReport, const std::string& printed) {
  const std::vector<std::string> lines = ReportLines(printed);
  std::size_t next = 0;
  for (const std::string& row : ReportLines(tabReport)) {
    if (row.find('\t') == std::string::npos) continue;
    std::vector<std::string> fields;
    std::istringstream in(row);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(Trimmed(f));
    // Not a row: the page header's title line, with the pinned date.
    if (fields.empty() || fields[0].empty() || (fields.size() > 1 && fields[1] == "12/06/2026")) continue;
    // The line that starts with the row's first text.
    std::size_t found = next;
    for (; found < lines.size(); ++found) {
      const std::string text = Trimmed(lines[found]);
      if (text.starts_with(fields[0]) && (text.size() == fields[0].size() || text[fields[0].size()] == ' ')) break;
    }
    if (found == lines.size()) return "no printed line for: " + row;
    const std::string& line = lines[found];
    next = found + 1;
    std::size_t pos = line.find(fields[0]) + fields[0].size();
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const std::string& want = fields[i];
      if (want.empty()) continue;
      if (pos >= line.size() || line[pos] != ' ') return "no blank before \"" + want + "\" in: " + line;
      pos = line.find_first_not_of(' ', pos);
      if (pos == std::string::npos) return "\"" + want + "\" missing in: " + line;
      if (line.compare(pos, want.size(), want) == 0 &&
          (pos + want.size() == line.size() || line[pos + want.size()] == ' ')) {
        pos += want.size();
        continue;
      }
      // Fitted: the same number, or stars.
      const std::size_t end = std::min(line.find(' ', pos), line.size());
      const std::string shown = line.substr(pos, end - pos);
      Extended a = 0, b = 0;
      const bool stars = shown.find_first_not_of('*') == std::string::npos;
      const bool same = TryTextToFloat(shown, a) && TryTextToFloat(want, b) &&
                        std::fabs(static_cast<double>(a - b)) <= 0.01 * std::fabs(static_cast<double>(b));
      if (!stars && !same) return "\"" + want + "\" shown as \"" + shown + "\" in: " + line;
      pos = end;
    }
  }
  return {};
}

TEST_F(ReportTest, EveryValueOfEveryRowStaysWholeAndApartWithAnyNumberOfDigits) {
  for (const char* sample : {"null", "tapped_static", "vdi1986", "eccentric", "hot", "own_nut"})
    for (Word units : {0, 1})
      for (int digits : {3, 5, 7}) {
        SCOPED_TRACE(std::string(sample) + (units ? " imperial" : " metric") + ", digits " + std::to_string(digits));
        UnitSystem = units;
        FloatDigits = digits;
        DecimalMode = 1;  // "." in the TAB rows as in the printed ones
        const std::string tabs = Report(sample, kDeviceBatchTxt);
        const std::string printed = Report(sample, kDeviceDosText);
        EXPECT_EQ(FirstCutValue(tabs, printed), "");
      }
  FloatDigits = 3;
  UnitSystem = 0;
  // A name too long for its column is followed by its symbol, not split by it.
  CalcOptions.EngageVelk = 0;
  Montage.ktau = 0.123456L;
  FloatDigits = 9;
  const std::string printed = Write("null", kDeviceDosText);
  FloatDigits = 3;
  EXPECT_NE(printed.find("Max.comparative stress(k tau=0.123456000) Sig.redB MPa"), std::string::npos) << printed;
}

// The run refuses such loads as input; the records are set as a run with
// results of that size would leave them.
void HugeForces(Extended fa) {
  Last.FAmax = fa;
  Last.FKRo = -0.9454L * fa;
  Last.FMreqMax = 1.5126L * fa;
  Last.FMreq = Last.FVreq = 0.9454L * fa;
  Last.FSAmax = Last.FSmax = 0.0546L * fa;
  Last.FPAmax = 0.9454L * fa;
}

TEST_F(ReportTest, HugeForcesArePrintedAsThemselvesNeverAsAnotherNumber) {
  for (Extended fa : {1e20L, 1e308L}) {
    ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
    ASSERT_EQ(CalcFatalFlag, 0);
    HugeForces(fa);
    const struct {
      const char* symbol;
      Extended value;
    } rows[] = {{"FA max", Last.FAmax}, {"FKRmax", Last.FKRo}, {"FMmax,req", Last.FMreqMax}};
    for (TOutputDevice device : {kDeviceBatchTxt, kDeviceDosText}) {
      const std::string report = Write("huge", device);
      for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.symbol) + " " + std::to_string(static_cast<double>(fa)) + " device " +
                     std::to_string(device));
        Extended printed = 0;
        std::string text;
        ASSERT_TRUE(RowValue(report, row.symbol, device == kDeviceBatchTxt, printed, text)) << text;
        EXPECT_NEAR(static_cast<double>(printed / row.value), 1.0, 0.01) << text;
      }
      // No run of digits longer than a value's significant digits anywhere.
      std::size_t run = 0, longest = 0;
      for (char c : report) longest = std::max(longest, run = (c >= '0' && c <= '9') ? run + 1 : 0);
      EXPECT_LT(longest, 16u) << "device " << device;
    }
  }
}

// Load cycles are printed in millions while that fits, else whole: one
// exponent either way, and the printed number is the count.
TEST_F(ReportTest, LoadCyclesOfAnySizeArePrintedWithOneExponent) {
  for (Extended cycles : {2e6L, 6.87e21L, 4.5e300L}) {
    ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/eccentric.bq4");
    CalcOptions.VdiEdition = 2;
    Last.ND = cycles;
    const std::string report = Write("cycles", kDeviceBatchTxt);
    SCOPED_TRACE(static_cast<double>(cycles));
    Extended printed = 0;
    std::string text;
    ASSERT_TRUE(RowValue(report, "NZ", true, printed, text)) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), 'E'), 1) << text;
    EXPECT_NEAR(static_cast<double>(printed / cycles), 1.0, 0.01) << text;
  }
}

// A tightening quantity that leaves no tightening factor: the report shows
// the torques of the factor the run used, so that its rows agree with each
// other (Tol MA = (MA,max - MA,min)/(MA,max + MA,min)), while the project
// keeps what was entered.
TEST_F(ReportTest, TheAssemblyRowsShowTheTorquesOfTheFactorTheRunUsed) {
  struct Case {
    const char* name;
    Word choice;
    Extended LASTTYPE::*field;
    Extended entered;
  };
  const Case cases[] = {
      {"MA,min 0", 3, &LASTTYPE::MAmin, 0},
      {"scatter 100 %", 2, &LASTTYPE::TorqueScatter, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
    ASSERT_EQ(AbortFlag, 0);
    CalcOptions.FrictionTolerances = 1;
    Montage.alphaA = 0.5L;
    Last.AlphaAChoice = c.choice;
    Last.*c.field = c.entered;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0);
    const std::string report = Write("fallback", kDeviceBatchTxt);
    Extended alphaA = 0, MAmax = 0, MAmin = 0, MAnom = 0, tol = 0;
    std::string text;
    ASSERT_TRUE(RowValue(report, "alpha A", true, alphaA, text)) << text;
    ASSERT_TRUE(RowValue(report, "MA,max", true, MAmax, text)) << text;
    ASSERT_TRUE(RowValue(report, "MA,min", true, MAmin, text)) << text;
    ASSERT_TRUE(RowValue(report, "MA,nom", true, MAnom, text)) << text;
    ASSERT_TRUE(RowValue(report, "Tol MA", true, tol, text)) << text;
    EXPECT_EQ(alphaA, 1);
    EXPECT_GT(MAmin, 0);
    EXPECT_NEAR(static_cast<double>(tol), static_cast<double>((MAmax - MAmin) / (MAmax + MAmin) * 100), 0.05 + 1e-9);
    EXPECT_NEAR(static_cast<double>(MAnom), static_cast<double>((MAmax + MAmin) / 2), 0.01);
    EXPECT_NE(report.find("alpha A < 1, taken as 1 !"), std::string::npos);
    EXPECT_EQ(Last.*c.field, c.entered);
  }
}

// A value that is not finite is no result: it prints as a dash, never as
// "inf" or "nan", and is read as that text.
TEST_F(ReportTest, AValueThatIsNotFinitePrintsAsADash) {
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_EQ(CalcFatalFlag, 0);
  Safety.SF = std::numeric_limits<Extended>::infinity();
  Safety.SP = -std::numeric_limits<Extended>::infinity();
  Last.FKRo = std::numeric_limits<Extended>::quiet_NaN();
  ReportValues values;
  ReportValueCollector = &values;
  const std::string report = Write("notfinite", kDeviceBatchTxt);
  ReportValueCollector = nullptr;
  for (const char* word : {"inf", "nan", "INF", "NAN"}) EXPECT_EQ(report.find(word), std::string::npos) << word;
  std::size_t dashes = 0;
  for (const ReportRow& row : values.rows) {
    for (Extended v : row.value.values) EXPECT_TRUE(std::isfinite(static_cast<double>(v))) << row.symbol;
    if (row.symbol == "SF=Re/Sig.redB" || row.symbol == "Sp=pperm/pmax" || row.symbol == "FKRmax") {
      EXPECT_EQ(row.value.text, "-") << row.symbol;
      EXPECT_TRUE(row.value.values.empty()) << row.symbol;
      ++dashes;
    }
  }
  EXPECT_EQ(dashes, 3u);
}

}  // namespace
