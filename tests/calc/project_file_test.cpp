#include "calc/project_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../framework/output_test_support.h"
#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/designation.h"
#include "calc/init.h"
#include "dbf/init.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "dialog_answers.h"
#include "framework/change_history.h"
#include "framework/documents.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string error;
  const std::string path = platform::TempFileName("lines");
  WriteBytes(path, bytes);
  LoadTextLines(path, lines, error);
  return lines;
}

// A joint whose inputs differ from every default, with values that need
// more than seven decimals, texts, changes and documents.
void FillUnusualJoint(int plates, int sections) {
  Schraube.HeadType = 2;
  Schraube.StrengthClassCode = 3;
  Schraube.ThreadRow = 17;
  Schraube.BoltType = 3;
  Schraube.l = 83.25L;
  Schraube.b = 31.5L;
  Schraube.dK = 19.85L;
  Schraube.dw = 16.47L;
  Schraube.nSections = static_cast<Word>(sections);
  for (int i = 1; i <= sections; ++i) {
    Schraube.lSec[i] = 10 + i / 3.0L;
    Schraube.dSec[i] = 12 - i * 0.1L;
    Schraube.diSec[i] = i % 2 ? 0 : 2.5L;
  }
  Schraube.As = 84.267L;
  Schraube.d3 = 9.853L;
  Schraube.d2 = 10.863L;
  Schraube.dmin = 11.7L;
  Schraube.ToleranceClass = 4;
  Schraube.HeadRow = 9;
  Schraube.MatBoltRow = 3;
  Schraube.BoltText = "bolt\nnote";  // line breaks in texts are written as blanks
  Gewinde.Designation = "M12";
  Gewinde.d = 12;
  Gewinde.P = 1.75L;
  Gewinde.Kind = "M";
  Gewinde.Column5 = "metric coarse";
  Gewinde.RowNo = 17;
  MatBolt.StrengthClass = "8.8";
  MatBolt.Rp02 = 640;
  MatBolt.Rm = 800;
  MatBolt.betaB = 0.61L;
  MatBolt.betaBVdi = 0.62L;
  MatBolt.E = 205000;
  MatBolt.alphaTBolt = 11.5e-6L;
  Klemmstuecke.nPlates = static_cast<Word>(plates);
  for (int i = 0; i <= plates; ++i) {
    Klemmstuecke.De[i] = 40 + i;
    Klemmstuecke.Di[i] = 13.5L;
    Klemmstuecke.L[i] = 1.0L / 3 + i;
    Klemmstuecke.E[i] = 70000 + i;
    Klemmstuecke.Material[i] = "AlMgSi1 F32 plate " + std::to_string(i);
    Klemmstuecke.Description[i] = "part \x84 " + std::to_string(i);  // code page 437 umlaut
    Klemmstuecke.Codes[i] = {static_cast<Word>(i + 1), static_cast<Word>(i + 2)};
    Klemmstuecke.MatTable[i] = i % 2;
    Klemmstuecke.alphaT[i] = 23.4e-6L;
    Klemmstuecke.pmax[i] = 290 + i;
    Klemmstuecke.Re[i] = 260 + i;
  }
  Klemmstuecke.Description[1] = "two\r\nlines";
  Last.LoadKind = 1;
  Last.LoadCase = 2;
  Last.FAmax = 12345.678901234L;
  Last.FAmin = -250;
  Last.FQ = 800;
  Last.FM = 41000;
  Last.MA = 86.5L;
  Last.LoadIntroPos1 = 2;
  Last.LoadIntroPos2 = 3;
  Last.n1 = 0.45L;
  Last.n2 = 0.55L;
  Last.FKreq = 2500;
  Last.EnduranceChoice = 3;
  Last.EnduranceMaterial = "42CrMo4";
  Last.sigmaASV = 52;
  Last.MatSaRow = 4;
  Last.FApre = 10;
  Last.Fpre = 20;
  Last.MApre = 1.5L;
  Last.MAmin = 60;
  Last.TorqueScatter = 0.2L;
  Last.FMminGiven = 15000;
  Last.AlphaAChoice = 2;
  Verbindung.JointKind = kJointWithNut;
  Verbindung.fZ = 0.0123456789L;
  Sackloch.tb = 31;
  Sackloch.tg = 27;
  Sackloch.HoleCode = 2;
  Sackloch.NutMatRow = 7;
  Sackloch.MatTable = 1;
  Reibung.muGmin = 0.08L;
  Reibung.muGmax = 0.16L;
  Reibung.muKmin = 0.09L;
  Reibung.muKmax = 0.18L;
  Reibung.muTr = 0.15L;
  Reibung.ThreadFrictionRow = 5;
  Reibung.HeadFrictionRow = 6;
  Reibung.InterfaceFrictionRow = 7;
  Reibung.ThreadFrictionTolRow = 8;
  Reibung.HeadFrictionTolRow = 9;
  Reibung.FrictionCode = 3;
  Montage.nu = 0.85L;
  Montage.alphaA = 1.8L;
  Montage.PreloadScatter = 0.8L / 2.8L;
  Montage.TighteningRow = 4;
  Montage.TighteningMethod = 3;
  Montage.GivenQuantity = 3;
  Montage.ktau = 0.6L;
  Montage.sigmaFactor = 2;
  Montage.DriveSide = 2;
  Mutter.NutType = 4;
  Mutter.dwNut = 17.2L;
  Mutter.m = 11.1L;
  Mutter.NutRow = 6;
  Mutter.NutToleranceClass = 3;
  Mutter.dNut = 12;
  CalcOptions.VdiEdition = 1;
  CalcOptions.EngageVelk = 0;
  CalcOptions.EngageVdi = 1;
  CalcOptions.FrictionTolerances = 0;
  CalcOptions.MApreOn = 1;
  CalcOptions.FApreOn = 1;
  CalcOptions.FpreOn = 1;
  CalcOptions.FSmaxOn = 0;
  CalcOptions.D2D3Choice = 2;
  ExzKraftangriff.ExzCode = 2;
  ExzKraftangriff.SeamPart = 2;
  ExzKraftangriff.a = 12;
  ExzKraftangriff.s = 3;
  ExzKraftangriff.u = 20;
  ExzKraftangriff.v = 21;
  ExzKraftangriff.AD = 1500;
  ExzKraftangriff.IBT = 250000;
  ExzKraftangriff.IBers = 120000;
  ExzKraftangriff.IBersPrime = 130000;
  Flansch.nBolts = 8;
  Flansch.DT = 200;
  Flansch.Da = 250;
  Flansch.Value4 = 1;
  Flansch.Value5 = 2;
  Flansch.Value6 = 3;
  Flansch.Value7 = 4;
  Flansch.Value8 = 5;
  Flansch.Value9 = 6;
  Flansch.Value10 = 7;
  Flansch.Value11 = 8;
  Flansch.Value12 = 9;
  MatMutter.Name = "C45";
  MatMutter.RmM = 650;
  MatMutter.ReM = 430;
  MatMutter.betaM = 0.63L;
  MatMutter.pGNut = 900;
  MatMutter.EM = 205000;
  MatMutter.betaMVdi = 0.64L;
  MatMutter.OwnNutMaterial = 1;
  Temperatur.T0 = 20;
  Temperatur.TWork = 180;
  Fase = 0.75L;
  Anzieh.Procedure = "torque wrench";
  Anzieh.Tool = "signalling";
  PrintMacroSelection = 0x2A5;
  DrawingNumber = "DRW-0815";
  DrawingName = "flange joint";
  DrawingName2 = "second line";
  ChangeCount = 2;
  Changes[1] = {"a", "2026/01/02", "JS", "first"};
  Changes[2] = {"b", "2026/02/03", "KM", "two\r\nlines\nand\rmore"};
  DrawingTextCount = 1;
  DrawingTexts[1] = {10.5L, 20.25L, 3.5L, 90, "note"};
  ComplName = "JS";
  ReplacementFor = "DRW-0700";
  Documents[2] = {"libreoffice", "/tmp/spec.odt"};
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitCalcModules();
    ConfirmOverwriteOn = 0;  // the tests write over their own files
    dir_ = platform::ProcessTempDir() + "/project_file_test";
    std::filesystem::create_directories(dir_);
  }
  std::string Path(const std::string& name) { return dir_ + "/" + name; }

  // Writes the joint, resets it, reads it back.
  std::string WriteAndRead(const std::string& name) {
    const std::string path = Path(name);
    WriteCalcFile(path);
    EXPECT_EQ(AbortFlag, 0);
    const std::string bytes = ReadBytes(path);
    InitCalcModules();
    std::string error;
    EXPECT_TRUE(ReadCalcLines(Lines(bytes), error)) << error;
    return bytes;
  }

  std::string dir_;
};

TEST_F(ProjectFileTest, WriteReadWriteIsByteForByteTheSameAndInputsThatTheOlderLayoutLostSurvive) {
  for (auto [plates, sections] : {std::pair{0, 1}, std::pair{2, 3}, std::pair{20, 10}}) {
    InitCalcModules();
    InitChangeHistory();
    FillUnusualJoint(plates, sections);
    const std::string first = WriteAndRead("round.bq4");
    WriteCalcFile(Path("again.bq4"));
    EXPECT_EQ(first, ReadBytes(Path("again.bq4"))) << plates << " plates";
  }
  // Inputs that the older layout lost survived the load of the last joint.
  EXPECT_EQ(MatBolt.Rm, 800);
  EXPECT_EQ(MatBolt.betaB, 0.61L);
  EXPECT_EQ(MatBolt.betaBVdi, 0.62L);
  EXPECT_EQ(Gewinde.Designation, "M12");
  EXPECT_EQ(Last.FM, 41000);
  EXPECT_EQ(Sackloch.MatTable, 1);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(Klemmstuecke.pmax[i], 290 + i);
    EXPECT_EQ(Klemmstuecke.Re[i], 260 + i);
  }
  // Values beyond seven decimals read back exactly.
  EXPECT_EQ(Klemmstuecke.L[2], 1.0L / 3 + 2);
  EXPECT_EQ(Klemmstuecke.alphaT[1], 23.4e-6L);
  EXPECT_EQ(MatBolt.alphaTBolt, 11.5e-6L);
  EXPECT_EQ(Last.FAmax, 12345.678901234L);
  EXPECT_EQ(Montage.PreloadScatter, 0.8L / 2.8L);
  // Texts, flags and the project documentation.
  EXPECT_EQ(Klemmstuecke.Description[3].str(), "part \x84 3");
  EXPECT_EQ(Klemmstuecke.Description[1].str(), "two  lines");
  EXPECT_EQ(Schraube.BoltText, "bolt note");
  EXPECT_EQ(CalcOptions.EngageVelk, 0);
  EXPECT_EQ(CalcOptions.MApreOn, 1);
  EXPECT_EQ(Anzieh.Tool, "signalling");
  EXPECT_EQ(PrintMacroSelection, 0x2A5);
  EXPECT_EQ(ChangeCount, 2);
  EXPECT_EQ(Changes[2].Description.str(), "two|lines|and|more");
  EXPECT_EQ(DrawingTexts[1].y, 20.25L);
  EXPECT_EQ(DrawingName2.str(), "second line");
  EXPECT_EQ(Documents[2].DocFile.str(), "/tmp/spec.odt");
}

// The input text names every stored input and nothing a calculation writes:
// the same after a second calculation of every sample, another after an
// input changed. A run that stops before its tightening step leaves no
// tightening values of the run before it; the project's own are shown.
TEST_F(ProjectFileTest, InputTextAndTighteningValuesBelongToTheJointInMemory) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  for (const auto& entry : std::filesystem::directory_iterator(std::string(BQ4_SOURCE_DIR) + "/data/samples")) {
    if (entry.path().extension() != ".bq4") continue;
    ReadCalcFile(entry.path().string());
    ASSERT_EQ(AbortFlag, 0) << entry.path();
    const std::string inputs = ProjectInputText();
    CalculateJoint();
    EXPECT_EQ(ProjectInputText(), inputs) << entry.path();
    Last.FAmax += 1;
    EXPECT_NE(ProjectInputText(), inputs) << entry.path();
  }
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/hot.bq4");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_NE(TighteningUsed.MAmin, 0);
  Montage.GivenQuantity = 2;
  Last.MA = 50;
  Last.MApre = 100;
  Last.MAmin = 40;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_EQ(TighteningUsed.MAmin, 0);
  EXPECT_EQ(TighteningShown().MAmin, 40);
}

TEST_F(ProjectFileTest, EverySampleProjectIsWrittenBackAsItWasRead) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  int samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(BQ4_SOURCE_DIR) + "/data/samples")) {
    if (entry.path().extension() != ".bq4") continue;
    ++samples;
    const std::string original = ReadBytes(entry.path().string());
    ReadCalcFile(entry.path().string());  // with the table refresh and the calculation
    ASSERT_EQ(AbortFlag, 0) << entry.path();
    WriteCalcFile(Path("again.bq4"));
    const std::string again = ReadBytes(Path("again.bq4"));
    // The header block above "SCHRAUBE" holds the program's and user's header
    // lines; a sample older than the end mark is written back with it.
    // BQ4_UPDATE_GOLDEN=1 writes the sample back with its results of today.
    if (std::getenv("BQ4_UPDATE_GOLDEN"))
      std::ofstream(entry.path(), std::ios::binary)
          << original.substr(0, original.find("\r\nSCHRAUBE\r\n")) << again.substr(again.find("\r\nSCHRAUBE\r\n"));
    const std::string mark = "END OF PROJECT\r\n";
    std::string body = original.substr(original.find("\r\nSCHRAUBE\r\n"));
    if (!body.ends_with(mark)) body += mark;
    EXPECT_EQ(again.substr(again.find("\r\nSCHRAUBE\r\n")), body)
        << entry.path();
  }
  EXPECT_GE(samples, 6);
}

// Every project a user can have, loaded (with its calculation) and saved
// twice, is written the same both times; so is each sample with a given
// torque or preload of many digits, whatever the tightening factor comes
// from: a given value is stored as given, not as the run forms it again.
TEST_F(ProjectFileTest, ASavedProjectSavedAgainIsByteForByteTheSame) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  const auto saveTwice = [&](const std::string& what) {
    WriteCalcFile(Path("first.bq4"));
    ASSERT_EQ(AbortFlag, 0) << what;
    const std::string first = ReadBytes(Path("first.bq4"));
    ReadCalcFile(Path("first.bq4"));
    ASSERT_EQ(AbortFlag, 0) << what;
    WriteCalcFile(Path("second.bq4"));
    EXPECT_EQ(ReadBytes(Path("second.bq4")), first) << what;
  };
  std::vector<std::string> projects;
  for (const char* dir : {BQ4_SOURCE_DIR "/data/samples", BQ4_TEST_DATA})
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
      if (entry.path().extension() == ".bq4") projects.push_back(entry.path().string());
  ASSERT_GE(projects.size(), 12u);
  for (const std::string& project : projects) {
    ReadCalcFile(project);
    ASSERT_EQ(AbortFlag, 0) << project;
    saveTwice(project);
  }

  struct Given {
    Word quantity;
    Extended value;
  };
  const Given givens[] = {{3, 110224}, {3, 41234.56789L}, {3, 1.0L / 3 * 1e5L}, {2, 87.3L}, {2, 123.456789L}};
  for (const char* sample : {"null", "hot", "eccentric", "own_nut", "vdi1986", "tapped_static"}) {
    for (const Given& g : givens) {
      for (Word alphaChoice = 1; alphaChoice <= 4; ++alphaChoice) {
        ReadCalcFile(BQ4_SOURCE_DIR "/data/samples/" + std::string(sample) + ".bq4");
        ASSERT_EQ(AbortFlag, 0) << sample;
        Montage.GivenQuantity = g.quantity;
        (g.quantity == 3 ? Last.FM : Last.MA) = g.value;
        Last.AlphaAChoice = alphaChoice;
        CalculateJoint();
        const std::string what = std::string(sample) + " given " + std::to_string(g.quantity) + " = " +
                                 std::to_string(static_cast<double>(g.value)) + ", alpha A choice " +
                                 std::to_string(alphaChoice);
        EXPECT_EQ(g.quantity == 3 ? Last.FM : Last.MA, g.value) << what;
        saveTwice(what);
      }
    }
  }
}

// A sample remembers the row of the bolt material table its material came
// from: the material pick starts there, and OK on the offered row keeps the
// strength class and values the sample calculates with.
TEST_F(ProjectFileTest, SampleProjectsRememberTheMaterialRowTheirValuesCameFrom) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  int samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(BQ4_SOURCE_DIR) + "/data/samples")) {
    if (entry.path().extension() != ".bq4") continue;
    ReadCalcFile(entry.path().string());
    ASSERT_EQ(AbortFlag, 0) << entry.path();
    const MAT_BOLT_Record stored = MatBolt;
    FindCalcRecord(kBoltMaterialTable);
    ASSERT_EQ(AbortFlag, 0) << entry.path();
    EXPECT_EQ(MatBolt.StrengthClass, stored.StrengthClass) << entry.path();
    EXPECT_EQ(MatBolt.Rp02, stored.Rp02) << entry.path() << " row " << Schraube.MatBoltRow;
    EXPECT_EQ(MatBolt.Rm, stored.Rm) << entry.path() << " row " << Schraube.MatBoltRow;
    ++samples;
  }
  EXPECT_GE(samples, 6);
}

// The dates of a project are texts kept as the desktop that wrote them laid
// them out; the shipped samples use year/month/day, which no desktop's
// layout reads as another day.
TEST_F(ProjectFileTest, SampleProjectsDateTheirDrawingYearMonthDay) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  const std::regex yearMonthDay(R"(\d{4}/\d{2}/\d{2})");
  int dated = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(BQ4_SOURCE_DIR) + "/data/samples")) {
    if (entry.path().extension() != ".bq4") continue;
    ReadCalcFile(entry.path().string());
    ASSERT_EQ(AbortFlag, 0) << entry.path();
    std::vector<std::string> dates = {ComplDate.str(), CheckDate.str(), StandDate.str(), Row4Date.str()};
    for (int i = 1; i <= ChangeCount; ++i) dates.push_back(Changes[i].Date.str());
    for (const std::string& date : dates) {
      EXPECT_TRUE(date.empty() || std::regex_match(date, yearMonthDay)) << entry.path() << ": " << date;
      dated += !date.empty();
    }
  }
  EXPECT_GE(dated, 12);
}

// Line ends, number texts and option bytes are pinned by the samples written
// back above.
TEST_F(ProjectFileTest, LayoutOfASmallJointNumbersWhateverTheDisplaySettingsAndDefaultsOfOlderShortFiles) {
  // One bolt section, no clamped parts: two section groups, one part group,
  // one description, no coefficients or material-table lines.
  Klemmstuecke.nPlates = 0;
  Schraube.nSections = 1;
  WriteCalcFile(Path("small.bq4"));
  auto lines = Lines(ReadBytes(Path("small.bq4")));
  int sectionGroups = 0;
  std::size_t plates = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("ABSCHNITT ", 0) == 0) ++sectionGroups;
    if (lines[i] == "KLEMMSTUECKE") plates = i;
  }
  EXPECT_EQ(sectionGroups, 3);  // bolt 0 and 1, plate 0
  EXPECT_EQ(lines[plates + 1], "0");
  EXPECT_EQ(lines[plates + 3], "ABSCHNITT 0");
  EXPECT_EQ(FileFloatText(-2), "-2");  // no sample holds a negative whole number

  // Numbers do not depend on the display settings.
  FillUnusualJoint(2, 1);
  WriteCalcFile(Path("plain.bq4"));
  FloatDigits = 1;
  DecimalCommaMode = 2;
  WriteCalcFile(Path("display.bq4"));
  EXPECT_EQ(ReadBytes(Path("plain.bq4")), ReadBytes(Path("display.bq4")));
  EXPECT_EQ(ReadBytes(Path("plain.bq4")).find(','), std::string::npos);

  // Older short files keep the defaults for what they do not hold.
  lines = Lines(ReadBytes(Path("plain.bq4")));
  lines[2] = "Version 16.0";
  // Up to the document list: no tail, no further inputs. A number may have
  // a decimal comma and blanks around it.
  const auto docs = std::find(lines.begin(), lines.end(), "documents") - lines.begin();
  lines.resize(static_cast<std::size_t>(docs) + 18);
  lines[static_cast<std::size_t>(std::find(lines.begin(), lines.end(), "LAST") - lines.begin()) + 3] = " 1234,5 ";
  Klemmstuecke.E[5] = 1;  // beyond the file's parts
  Klemmstuecke.Material[3] = "S235";
  std::string error;
  ASSERT_TRUE(ReadCalcLines(lines, error)) << error;
  EXPECT_EQ(Klemmstuecke.E[5], 210000);
  EXPECT_TRUE(Klemmstuecke.Material[3].empty());
  EXPECT_EQ(Last.FAmax, 1234.5L);  // from the named sections
  EXPECT_EQ(Documents[2].Program.str(), "libreoffice");
  const CALCOPTIONSTYPE defaults;
  EXPECT_EQ(CalcOptions.VdiEdition, defaults.VdiEdition);  // tail value: default, not the previous one
  EXPECT_EQ(Mutter.dNut, 0);
  EXPECT_EQ(DrawingNumber.str(), "");
  EXPECT_EQ(MatBolt.Rm, 1200);
  // As bytes: blanks after the last line end are no line; a last line
  // without its end was cut, though the layout seems complete.
  std::string older;
  for (const auto& l : lines) older += l + "\r\n";
  EXPECT_TRUE(ReadCalcText(older + "  ", error)) << error;
  EXPECT_FALSE(ReadCalcText(older.substr(0, older.size() - 5), error));
  EXPECT_NE(error.find("has no line end"), std::string::npos) << error;
}

// Damaged files given to the batch report: each is refused with a message
// that names the file and says what is wrong in printable text, and the joint
// loaded before, with its results, stays as it was.
TEST_F(ProjectFileTest, CutAndReencodedFilesAreRefusedAndTheJointStays) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  const std::string samples = std::string(BQ4_SOURCE_DIR) + "/data/samples/";
  FillUnusualJoint(2, 2);
  WriteCalcFile(Path("marked.bq4"));
  struct Case {
    std::string name, bytes, says;
  };
  std::vector<Case> cases;
  for (const std::string sample : {"null", "hot", "eccentric", "own_nut", "tapped_static", "vdi1986"}) {
    const std::string bytes = ReadBytes(samples + sample + ".bq4");
    for (int percent = 10; percent <= 90; percent += 10)
      cases.push_back({sample + " cut at " + std::to_string(percent) + " %",
                       bytes.substr(0, bytes.size() * static_cast<std::size_t>(percent) / 100),
                       percent == 10 ? "project file" : "damaged"});
  }
  const std::string marked = ReadBytes(Path("marked.bq4"));
  cases.push_back({"marked file cut inside the mark", marked.substr(0, marked.size() - 5), "damaged"});
  const std::string null = ReadBytes(samples + "null.bq4");
  auto replaced = [&](std::string_view after, int offset, std::string_view value) {
    auto lines = Lines(null);
    const auto at = std::find(lines.begin(), lines.end(), after) - lines.begin();
    lines[static_cast<std::size_t>(at + offset)] = value;
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    return bytes;
  };
  std::string crOnly = null, utf16 = "\xFF\xFE", utf16Bare, zeroTail = null;
  crOnly.erase(std::remove(crOnly.begin(), crOnly.end(), '\n'), crOnly.end());
  for (char c : null) utf16 += std::string{c, '\0'}, utf16Bare += std::string{c, '\0'};
  std::fill(zeroTail.begin() + static_cast<std::ptrdiff_t>(null.size() / 2), zeroTail.end(), '\0');
  cases.push_back({"no project file", "BQ4\r\nnothing here\r\n", "not a project file"});
  cases.push_back({"CR-only line ends", crOnly, "CR alone"});
  cases.push_back({"UTF-16 with byte order mark", utf16, "UTF-16"});
  cases.push_back({"UTF-16 without byte order mark", utf16Bare, "UTF-16"});
  cases.push_back({"NUL bytes only", std::string(4096, '\0'), "NUL bytes"});
  cases.push_back({"second half NUL bytes", zeroTail, "damaged"});
  cases.push_back({"NUL bytes in a number", replaced("LAST", 3, std::string("12\0\x1B[31m", 8)), "\\x00"});
  cases.push_back({"10 MB", null + std::string(10 << 20, 'x'), "too large"});
  cases.push_back({"huge number", replaced("LAST", 3, "1e4000"), "out of range"});
  cases.push_back({"number beyond any range", replaced("LAST", 3, "1e99999"), "number expected"});
  cases.push_back({"huge whole number", replaced("LAST", 1, "99999999999"), "whole number"});
  cases.push_back({"NaN text", replaced("LAST", 3, "nan"), "number expected"});
  cases.push_back({"negative plate count", replaced("KLEMMSTUECKE", 1, "-1"), "0..65535"});
  cases.push_back({"21 plates", replaced("KLEMMSTUECKE", 1, "21"), "count 21 above 20"});
  cases.push_back({"11 sections", replaced("SCHRAUBE", 11, "11"), "count 11 above 10"});
  cases.push_back({"no number", replaced("LAST", 3, "12x"), "number expected, found \"12x\""});
  cases.push_back({"negative code", replaced("LAST", 1, "-1"), "0..65535 expected"});
  cases.push_back({"wrong keyword", replaced("VERBINDUNG", 0, "VERBINDUNX"), "\"VERBINDUNG\" expected"});
  cases.push_back({"26 changes", replaced("CHANGES", 1, "26"), "more than 25 changes"});
  // Cut short inside the named sections, the changes, the documents, the
  // tail and the further inputs.
  for (std::string_view after : {"GEWINDE", "CHANGES", "documents", "clamp.plates (description)",
                                 "FURTHER INPUTS"}) {
    const std::size_t at = null.find("\r\n" + std::string(after) + "\r\n") + after.size() + 4;
    cases.push_back({"cut after " + std::string(after), null.substr(0, null.find("\r\n", at) + 2),
                     "inside section \"" + std::string(after)});
  }
  // A file of this version ends with its mark, or with the unnamed tail:
  // cut where an older layout ended, it would load other values in silence.
  for (const std::string sample : {"null", "hot"}) {
    const std::string bytes = ReadBytes(samples + sample + ".bq4");
    for (std::string_view before : {"\r\nEND OF PROJECT\r\n"})
      cases.push_back({sample + " cut before " + std::string(before.substr(2, before.size() - 4)),
                       bytes.substr(0, bytes.find(before) + 2), "without its last line \"END OF PROJECT\""});
    auto lines = Lines(bytes);
    const auto docs = std::find(lines.begin(), lines.end(), "documents") - lines.begin();
    std::string older;
    for (std::size_t i = 0; i < static_cast<std::size_t>(docs) + 18; ++i) older += lines[i] + "\r\n";
    cases.push_back({sample + " cut after the documents", older, "without its last line"});
  }
  ASSERT_GE(cases.size(), 75u);

  ReadCalcFile(samples + "null.bq4");
  ASSERT_EQ(AbortFlag, 0);
  const std::string name = CurrentFileName, dir = CurrentDir;
  // The joint's inputs as the writer puts them (below the dated header).
  auto joint = [&] {
    WriteCalcFile(Path("joint.bq4"));
    CurrentFileName = name;
    CurrentDir = dir;
    const std::string bytes = ReadBytes(Path("joint.bq4"));
    return bytes.substr(bytes.find("\r\nSCHRAUBE\r\n"));
  };
  const std::string before = joint();
  const SAFETYTYPE safety = Safety;
  const STRESSTYPE stress = Stress;
  for (const Case& c : cases) {
    WriteBytes(Path("x.bq4"), c.bytes);
    AbortFlag = 0;
    ReadCalcFile(Path("x.bq4"));
    EXPECT_EQ(AbortFlag, 1) << c.name;
    const std::string& error = LastFileErrorText();
    EXPECT_NE(error.find(Path("x.bq4")), std::string::npos) << c.name << ": " << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(std::all_of(error.begin(), error.end(), [](unsigned char ch) { return ch >= 0x20 && ch != 0x7F; }))
        << c.name << ": " << error;
    EXPECT_EQ(CurrentFileName, name) << c.name;
    EXPECT_EQ(CurrentDir, dir) << c.name;
    EXPECT_EQ(Safety.SF, safety.SF) << c.name;
    EXPECT_EQ(Safety.SG, safety.SG) << c.name;
    EXPECT_EQ(Stress.tauB, stress.tauB) << c.name;
    EXPECT_EQ(joint(), before) << c.name;
  }
}

// A file of this version written as the layout lays it out, ending with the
// unnamed tail, loads as the same file of an older version does.
TEST_F(ProjectFileTest, AFileThatEndsWithTheUnnamedTailLoads) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  const std::string samples = std::string(BQ4_SOURCE_DIR) + "/data/samples/";
  const auto inputsOf = [&](const std::string& bytes) {
    std::string error;
    EXPECT_TRUE(ReadCalcText(bytes, error)) << error;
    return ProjectInputText();
  };
  for (const std::string sample : {"null", "hot", "eccentric"}) {
    SCOPED_TRACE(sample);
    const std::string bytes = ReadBytes(samples + sample + ".bq4");
    const std::string layout = bytes.substr(0, bytes.find("\r\nFURTHER INPUTS\r\n") + 2);
    ASSERT_NE(layout.find("\r\nVersion " + ProgVersion + "\r\n"), std::string::npos);
    std::string older = layout;
    older.replace(older.find("Version " + ProgVersion), 8 + ProgVersion.size(), "Version 16.0");
    EXPECT_EQ(inputsOf(layout), inputsOf(older));
  }
  ReadCalcFile(std::string(BQ4_TEST_DATA) + "/project/layout_without_end_mark.bq4");
  EXPECT_EQ(AbortFlag, 0) << LastFileErrorText();
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_EQ(PlainBoltDesignation(), "ISO 4014 - M12 x 60 - 12.9 SW18");
}

// Saving replaces the file whole: two programs saving the same project at
// the same moment leave one whole file, never a mix; the file keeps its mode
// and the link it is reached through; the user's header line is kept.
TEST_F(ProjectFileTest, SavingReplacesTheFileWholeKeepsItsModeItsLinkAndItsHeader) {
  namespace fs = std::filesystem;
  const std::string real = Path("real.bq4"), link = Path("link.bq4");
  fs::remove(real);
  fs::remove(link);
  WriteCalcFile(real);
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.bq4", link);
  HeaderLines[1] = "flange of the pump housing";
  Last.FAmax = 4321;
  WriteCalcFile(link);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  InitCalcModules();
  HeaderLines[1] = "";
  ReadCalcFile(real);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(Last.FAmax, 4321);
  EXPECT_EQ(HeaderLines[1].str(), "flange of the pump housing");
  WriteCalcFile(real);
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(real).find('\0'), std::string::npos);  // flags are digits, no NUL byte
  EXPECT_TRUE(std::none_of(fs::directory_iterator(dir_), fs::directory_iterator(), [](const fs::directory_entry& e) {
    return e.path().filename().string().find(".~") != std::string::npos;
  }));  // no temporary file left

  // Two processes save two joints over one file, started together; every
  // state a reader sees is one of the two whole files.
  const std::string shared = Path("shared.bq4");
  std::string whole[2];
  for (int who = 0; who < 2; ++who) {
    Last.FAmax = 1000 + who;
    WriteCalcFile(shared);
    whole[who] = ReadBytes(shared);
  }
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  pid_t children[2];
  for (int who = 0; who < 2; ++who) {
    children[who] = ::fork();
    ASSERT_GE(children[who], 0);
    if (children[who] == 0) {
      char c;
      ::close(go[1]);
      if (::read(go[0], &c, 1) < 0) ::_exit(3);
      Last.FAmax = 1000 + who;
      for (int round = 0; round < 60; ++round) {
        WriteCalcFile(shared);
        if (AbortFlag) ::_exit(2);
      }
      ::_exit(0);
    }
  }
  ::close(go[0]);
  ::close(go[1]);  // both children start at once
  int mixed = 0, reads = 0;
  for (;;) {
    const std::string now = ReadBytes(shared);
    ++reads;
    if (now != whole[0] && now != whole[1]) ++mixed;
    int status = 0;
    if (children[0] > 0 && ::waitpid(children[0], &status, WNOHANG) == children[0]) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      children[0] = -1;
    }
    if (children[1] > 0 && ::waitpid(children[1], &status, WNOHANG) == children[1]) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      children[1] = -1;
    }
    if (children[0] < 0 && children[1] < 0) break;
  }
  const std::string last = ReadBytes(shared);
  EXPECT_TRUE(last == whole[0] || last == whole[1]);
  EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
}

TEST_F(ProjectFileTest, FileRoutinesAskForMissingNamesConfirmOverwritingAndReportFaults) {
  Last.FAmax = 777;
  ReadCalcFile(Path("missing.bq4"));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(LastFileErrorText().find("missing.bq4"), std::string::npos);
  EXPECT_EQ(Last.FAmax, 777);

  // A FIFO is refused at once instead of waiting forever for a writer.
  AbortFlag = 0;
  ASSERT_EQ(::mkfifo(Path("pipe.bq4").c_str(), 0600), 0);
  ReadCalcFile(Path("pipe.bq4"));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(LastFileErrorText().find("no regular file"), std::string::npos);
  EXPECT_EQ(Last.FAmax, 777);

  // A bare stem is taken in CurrentDir; the load sets the names and recalculates.
  AbortFlag = 0;
  CurrentDir = dir_;
  WriteCalcFile("stem");
  EXPECT_TRUE(std::filesystem::exists(Path("stem.bq4")));
  CurrentDir.clear();
  ReadCalcFile(Path("stem.bq4"));
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "stem");
  EXPECT_EQ(CurrentDir, dir_ + "/");

  // Empty names ask for the file.
  FillUnusualJoint(1, 1);
  Answered([&](auto& s) { s.File(Path("asked.bq4")); }, [&] { WriteCalcFile(""); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "asked");
  InitCalcModules();
  Answered([&](auto& s) { s.File(Path("asked.bq4")); }, [&] { ReadCalcFile(""); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Last.FM, 41000);
  // Cancel in either dialog: nothing written or read, AbortFlag set.
  Last.FAmax = 777;
  Answered([&](auto& s) { s.Cancel(); }, [&] { ReadCalcFile(""); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FAmax, 777);
  AbortFlag = 0;
  Answered([&](auto& s) { s.Cancel(); }, [&] { WriteCalcFile(""); });
  EXPECT_EQ(AbortFlag, 1);

  // An existing file is replaced only when confirmed.
  AbortFlag = 0;
  ConfirmOverwriteOn = 1;
  WriteBytes(Path("keep.bq4"), "old contents");
  Answered([&](auto& s) { s.No(); }, [&] { WriteCalcFile(Path("keep.bq4")); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ReadBytes(Path("keep.bq4")), "old contents");
  AbortFlag = 0;
  Answered([&](auto& s) { s.Yes(); }, [&] { WriteCalcFile(Path("keep.bq4")); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_NE(ReadBytes(Path("keep.bq4")).find("SCHRAUBE"), std::string::npos);
}

// A project whose name holds further dots is written back to its own file,
// and one loaded from a file of another extension (flange.bak) too; the
// loader reads a name with another extension as that file, else as the
// project of that name.
TEST_F(ProjectFileTest, DottedNamesAndOtherExtensionsAreWrittenToTheProjectsOwnFile) {
  FillUnusualJoint(1, 1);
  CurrentDir = dir_;
  for (const char* name : {"joint.v2.bq4", "Flansch 1.5.bq4"}) WriteCalcFile(Path(name));
  ASSERT_EQ(AbortFlag, 0);
  std::filesystem::copy_file(Path("joint.v2.bq4"), Path("flange.bak"));
  ConfirmOverwriteOn = 0;
  for (const char* name : {"joint.v2", "Flansch 1.5", "flange.bak"}) {
    SCOPED_TRACE(name);
    const std::string file = Path(FileExtension(name) == "bak" ? name : std::string(name) + ".bq4");
    CurrentDir.clear();
    ReadCalcFile(Path(name));
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_EQ(CurrentProjectFile(), file);
    Last.FAmax = 4321;
    WriteCalcFile(CurrentFileName);
    EXPECT_EQ(AbortFlag, 0);
    Last.FAmax = 1;
    ReadCalcFile(file);
    EXPECT_EQ(Last.FAmax, 4321);
  }
  EXPECT_FALSE(std::filesystem::exists(Path("joint.v2")));
  EXPECT_FALSE(std::filesystem::exists(Path("Flansch 1.5")));
  EXPECT_FALSE(std::filesystem::exists(Path("flange.bq4")));
  EXPECT_EQ(ProjectFilePath(Path("missing.v2")), Path("missing.v2"));
}

// A name ending in "." is loaded as typed when that file exists, and saved
// back to it; when it does not, the project file of that name is tried.
TEST_F(ProjectFileTest, ANameEndingInADotIsLoadedAsTypedAndSavedBackToIt) {
  FillUnusualJoint(1, 1);
  CurrentDir = dir_;
  WriteCalcFile(Path("a.bq4"));
  ASSERT_EQ(AbortFlag, 0);
  std::filesystem::rename(Path("a.bq4"), Path("a."));
  ConfirmOverwriteOn = 0;
  Last.FAmax = 1;
  CurrentDir.clear();
  ReadCalcFile(Path("a."));
  ASSERT_EQ(AbortFlag, 0) << LastFileErrorText();
  EXPECT_EQ(CurrentProjectFile(), Path("a."));
  Last.FAmax = 4321;
  WriteCalcFile(CurrentFileName);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_FALSE(std::filesystem::exists(Path("a..bq4")));
  Last.FAmax = 1;
  ReadCalcFile(Path("a."));
  EXPECT_EQ(Last.FAmax, 4321);
  // "b." names b..bq4 when no file b. exists.
  std::filesystem::rename(Path("a."), Path("b..bq4"));
  EXPECT_EQ(ProjectFilePath(Path("b.")), Path("b..bq4"));
  EXPECT_EQ(ProjectFilePath(Path("c.")), Path("c."));
}

TEST_F(ProjectFileTest, TableRowsAreReadAgainAfterALoad) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  const std::string sample = std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4";
  ReadCalcFile(sample);
  ASSERT_EQ(AbortFlag, 0);
  // The file's betaB over the table's 0.6 is in the report's golden file.
  EXPECT_EQ(Gewinde.Column6, "ISO 261");  // thread row
  // An older file without the further inputs takes them from the tables.
  auto lines = Lines(ReadBytes(sample));
  lines.resize(static_cast<std::size_t>(std::find(lines.begin(), lines.end(), "FURTHER INPUTS") - lines.begin()));
  lines[2] = "Version 16.0";
  std::string older;
  for (const auto& l : lines) older += l + "\r\n";
  WriteBytes(Path("older.bq4"), older);
  ReadCalcFile(Path("older.bq4"));
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(MatBolt.betaB, 0.6L);
  EXPECT_EQ(MatBolt.Rm, 1220);  // the material row the sample remembers
  EXPECT_EQ(Klemmstuecke.pmax[1], 850);
  EXPECT_EQ(Klemmstuecke.Re[2], 750);
  EXPECT_EQ(BoltStandardText(), "ISO 4014");  // head row
  EXPECT_EQ(NutStandardText(), "ISO 4032");   // nut row
}

}  // namespace

namespace {

// Flag lines hold 0 or 1, as the digit or as the raw byte of older files;
// anything else is a damaged file, refused with the line's number, and the
// joint stays as it was. A UTF-8 byte-order mark before the first line is
// passed over and the header lines below it are kept.
TEST_F(ProjectFileTest, FlagLinesHoldZeroOrOneAndAByteOrderMarkKeepsTheTitleLine) {
  const std::string samples = std::string(BQ4_SOURCE_DIR) + "/data/samples/";
  const std::string eccentric = ReadBytes(samples + "eccentric.bq4");
  const auto lines = Lines(eccentric);
  // The friction tolerances are the last of three flags before the descriptions.
  const auto flag = static_cast<std::size_t>(
      std::find(lines.begin(), lines.end(), "clamp.plates (description)") - lines.begin() - 1);
  ASSERT_EQ(lines[flag], "1");
  const std::string lineNo = "line " + std::to_string(flag + 1) + ":";
  auto withFlag = [&](const std::string& value) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) bytes += (i == flag ? value : lines[i]) + "\r\n";
    return bytes;
  };
  for (const std::string& bad : std::initializer_list<std::string>{"0x10", "0.9", "", "abc", "2", "10", "-1", "1 1", " ", "\x02", "\x01\x01",
                                std::string("\0\0", 2)}) {
    SCOPED_TRACE("\"" + bad + "\"");
    InitCalcModules();
    Reibung.muGmin = 0.77L;
    std::string error;
    EXPECT_FALSE(ReadCalcText(withFlag(bad), error));
    EXPECT_NE(error.find("damaged project file, " + lineNo), std::string::npos) << error;
    EXPECT_NE(error.find("flag 0 or 1 expected"), std::string::npos) << error;
    EXPECT_EQ(Reibung.muGmin, 0.77L);  // the joint stays
  }
  const std::pair<std::string, Byte> good[] = {
      {"0", 0}, {"1", 1}, {" 1\t", 1}, {std::string(1, '\0'), 0}, {"\x01", 1}};
  for (const auto& [value, on] : good) {
    SCOPED_TRACE(static_cast<int>(on));
    InitCalcModules();
    CalcOptions.FrictionTolerances = static_cast<Byte>(!on);
    std::string error;
    EXPECT_TRUE(ReadCalcText(withFlag(value), error)) << error;
    EXPECT_EQ(CalcOptions.FrictionTolerances, on);
  }

  // Byte-order mark: the same joint and header lines as without it.
  const std::string null = ReadBytes(samples + "null.bq4");
  std::string error;
  InitCalcModules();
  ASSERT_TRUE(ReadCalcText(null, error)) << error;
  ASSERT_EQ(HeaderLines[1].str(), "BQ4 sample project");
  const auto headers = HeaderLines;
  InitCalcModules();
  HeaderLines[1] = "";
  ASSERT_TRUE(ReadCalcText("\xEF\xBB\xBF" + null, error)) << error;
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(HeaderLines[i].str(), headers[i].str()) << i;
}

}  // namespace
