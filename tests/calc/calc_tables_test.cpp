#include "calc/calc_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

#include "../framework/output_test_support.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_access.h"
#include "framework/help_texts.h"
#include "platform/dialogs.h"
#include "table_test_support.h"
#include "../shell_quote.h"

namespace fs = std::filesystem;
using namespace table_test;

namespace {

using CalcTablesTest = TableTest;

// The table dialog's help: each table has its own text.
TEST_F(CalcTablesTest, HelpTextsThreadKeySearchAndShortLongCommaAndMissingTables) {
  const std::string pltDir = PltDir;
  PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  for (int n = 1; n <= kCalcTableCount; ++n)
    EXPECT_EQ(LookupHelpEntry(static_cast<Word>(CalcTableHelpNumber(n))).lines[0].find("No help"), std::string::npos) << n;
  PltDir = pltDir;

  // A thread row whose diameter no longer fits is searched by its key.
  Gewinde.d = 16;
  Gewinde.P = 2;
  Schraube.ThreadRow = 12;  // M12, but the joint has d 16 now
  FindCalcRecord(kThreadTable);
  EXPECT_EQ(Gewinde.Designation, "M16");
  Schraube.ThreadRow = 0;
  Gewinde.d = 13;
  TraceMessagesOn = 1;
  platform::DialogScript script;
  script.Ok().Expect("M13.00 x 2.000 not found !");
  FindCalcRecord(kThreadTable);
  EXPECT_EQ(Gewinde.Designation, "M14");  // the row the search stopped at

  // Short, long and comma tables, and a missing one.
  Gewinde.d = 12;  // the written thread row's size
  Gewinde.P = 1.75L;
  WriteDbf(DbfDir + "/gewinde.dbf",
           {{"NAME", 'C', 12, 0}, {"D", 'N', 8, 3}, {"P", 'N', 6, 3}, {"KIND", 'C', 1, 0}, {"S", 'C', 8, 0},
            {"T", 'C', 8, 0}},
           {{"M12", "12.000", "1.750", "M", "coarse", "x"}});
  Schraube.ThreadRow = 1;
  Gewinde.Column7 = Gewinde.Column8 = 5;
  FindCalcRecord(kThreadTable);
  EXPECT_EQ(Gewinde.Column5, "coarse");
  EXPECT_EQ(Gewinde.Column7, 0);
  EXPECT_EQ(Gewinde.Column8, 0);

  WriteDbf(DbfDir + "/mat_bolt.dbf",
           {{"CLASS", 'C', 10, 0}, {"RP02", 'N', 6, 0}, {"RM", 'N', 6, 0}, {"BETAB", 'N', 6, 3},
            {"E", 'N', 7, 0}, {"ALPHAT", 'N', 10, 7}, {"C1", 'C', 10, 0}, {"C2", 'C', 10, 0}},
           {{"10.9", "940", "1040", "0.620", "206000", "0.0000115", "a", "b"}});
  FindCalcRecord(kBoltMaterialTable);
  EXPECT_EQ(MatBolt.StrengthClass, "10.9");
  EXPECT_EQ(MatBolt.Rp02, 940);
  EXPECT_NEAR(static_cast<double>(MatBolt.betaBVdi), 0.62, 1e-12);

  OpenPlateMaterialTable(0, 4);
  EXPECT_EQ(Pressung.Name, "42 CrMo 4");
  EXPECT_EQ(Pressung.pG, 850);
  EXPECT_EQ(Pressung.Ratio2, Pressung.Ratio1);  // the built table has 9 fields: its own Ratio2
  WriteDbf(DbfDir + "/pressung.dbf",
           {{"NAME", 'C', 25, 0}, {"RE", 'N', 6, 0}, {"RM", 'N', 6, 0}, {"PG", 'N', 6, 0}, {"R1", 'N', 6, 3},
            {"E", 'N', 7, 0}, {"ALPHAT", 'N', 10, 7}, {"TEXT", 'C', 10, 0}},
           {{"Steel", "300", "500", "600", "0.700", "205000", "0.0000115", ""}});
  OpenPlateMaterialTable(0, 1);
  EXPECT_NEAR(static_cast<double>(Pressung.Ratio2), 0.7, 1e-12);

  // A decimal comma reads as a point, an empty field as zero; a field that
  // holds no number fails the table by name.
  WriteDbf(DbfDir + "/anzieh.dbf",
           {{"ALPHAA", 'N', 6, 2}, {"KTAU", 'N', 6, 2}, {"PROC", 'C', 10, 0}, {"TOOL", 'C', 10, 0},
            {"TEXT", 'C', 10, 0}},
           {{"1,75", "", "x", "y", "z"}, {"abc", "0.5", "", "", ""}});
  Montage.TighteningRow = 1;
  FindCalcRecord(kTighteningTable);
  EXPECT_NEAR(static_cast<double>(Anzieh.alphaA), 1.75, 1e-12);
  EXPECT_EQ(Anzieh.Dispersion, 0);
  Montage.TighteningRow = 2;
  script.Ok().Expect("anzieh.dbf: row 2, field ALPHAA: \"abc\" is no number");
  FindCalcRecord(kTighteningTable);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;

  // A missing table leaves the records and sets the abort flag.
  DbfDir = FreshDir("empty");
  const auto before = Gewinde.Designation;
  script.Ok().Expect("gewinde.dbf not found or no access !");
  FindCalcRecord(kThreadTable);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Gewinde.Designation, before);
}

TEST_F(CalcTablesTest, EveryHeadAndNutTableFindsM10M12M16WhereItsStandardHasThemAndARememberedRowOnlyWhereItFits) {
  struct Case {
    TCalcTableNo table;
    const Extended* rowD;    // d of the row the table leaves in its record
    std::vector<int> sizes;  // sizes the standard covers among 10, 12, 16
  };
  const Case cases[] = {{2, &Din912.d, {10, 12, 16}},   {3, &Din931.d, {10, 12, 16}},
                        {4, &Din963.d, {10}},           {5, &Din964.d, {10}},
                        {6, &Iso10642.d, {10, 12, 16}}, {7, &Cylslot.d, {10}},
                        {8, &Sondkopf.d, {10, 12, 16}}, {9, &Flangesc.d, {10, 12, 16}},
                        {11, &Din934.d, {10, 12, 16}},  {12, &Din6915.d, {12, 16}},
                        {13, &Flangnut.d, {10, 12, 16}}};
  TraceMessagesOn = 0;  // the misses are checked through the records below
  for (const Case& c : cases) {
    for (int d : {10, 12, 16}) {
      SCOPED_TRACE("table " + std::to_string(c.table) + " d " + std::to_string(d));
      Gewinde.d = d;
      Mutter.NutRow = 1;
      FindCalcRecord(c.table);
      ASSERT_EQ(AbortFlag, 0);
      const Extended rowD = *c.rowD;
      const bool covered = std::find(c.sizes.begin(), c.sizes.end(), d) != c.sizes.end();
      if (covered) EXPECT_EQ(rowD, d);
      else EXPECT_NE(rowD, d);
      if (c.table >= 11) {
        EXPECT_EQ(Mutter.dNut, rowD);
        EXPECT_GT(Mutter.m, 0);
        EXPECT_GT(Mutter.dwNut, 0);
      }
    }
  }

  // A remembered head row is taken only while its d is the thread's.
  WriteDbf(DbfDir + "/din912.dbf",
           {{"D", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}, {"B", 'N', 6, 1}, {"S", 'N', 6, 2}, {"K", 'N', 6, 2}},
           {{"8.00", "ISO 4762", "28.0", "6.00", "8.00"},
            {"12.00", "ISO 4762", "36.0", "10.00", "12.00"},
            {"12.00", "own", "36.0", "10.00", "11.00"}});
  Gewinde.d = 12;
  Schraube.HeadRow = 3;
  FindCalcRecord(2);
  EXPECT_EQ(Din912.k, 11);  // row 3 has d 12: it stands
  Schraube.HeadRow = 1;     // row 1 is an M8 head
  FindCalcRecord(2);
  EXPECT_EQ(Din912.d, 12);
  EXPECT_EQ(Din912.k, 12);
  Schraube.HeadRow = 40;  // beyond the table: the key decides, no message
  FindCalcRecord(2);
  EXPECT_EQ(Din912.k, 12);
  EXPECT_EQ(CalcMessages.count, 0);
}

TEST_F(CalcTablesTest, IndexNamesAndKeysOfTables24And10TheFrictionTablesAndTheTemperatureRows) {
  OpenCalcTable(24);
  EXPECT_EQ(fs::path(DbfIndexPath()).filename().string().rfind("pressung-", 0), 0u);
  FindDbfKey("S235JR");
  EXPECT_TRUE(DbfKeyFound());
  CloseDbfTable();
  OpenCalcTable(10);
  EXPECT_EQ(fs::path(DbfIndexPath()).filename().string().rfind("pressung-", 0), 0u);
  FindDbfKey("S235JR");
  EXPECT_FALSE(DbfKeyFound());
  FindDbfKey("St 37");
  EXPECT_TRUE(DbfKeyFound());
  EXPECT_EQ(HelpNumber, 9600);

  // The friction tables are keyed on three texts; table 21 changes no record.
  Reibung.ThreadFrictionRow = 4;
  FindCalcRecord(kThreadFrictionTable);
  EXPECT_NEAR(static_cast<double>(MueG.mu), 0.12, 1e-12);
  EXPECT_EQ(MueG.Text2, "bright");
  const auto before = Gewinde.Designation;
  MueK.mu = 7;
  OpenCalcTable(21);
  CopyCalcRecord(21);
  CloseDbfTable();
  EXPECT_EQ(MueK.mu, 7);
  EXPECT_EQ(Gewinde.Designation, before);

  // Material values over temperature read their rows through the tables.
  MaterialRow row;
  ASSERT_EQ(MaterialRows.FindByName(kMatBoltReTable, "12.9", row), MaterialRowStatus::Found);
  EXPECT_EQ(row.name, "12.9");
  EXPECT_EQ(row.values[0], 1100);
  EXPECT_EQ(row.values[3], 825);
  EXPECT_EQ(MaterialRows.FindByName(kMatBoltReTable, "12", row), MaterialRowStatus::NotFound);
  EXPECT_EQ(MaterialRows.FindByName(kMatBoltReTable, "", row), MaterialRowStatus::NotFound);
  ASSERT_EQ(MaterialRows.ReadRow(kMatBoltSigmaATable, 1, row), MaterialRowStatus::Found);
  EXPECT_EQ(row.values[3], 51);
  EXPECT_EQ(row.values[8], 39);

  // The interpolation itself is checked in material_values_test.cpp.
  std::string name;
  EXPECT_NEAR(static_cast<double>(BoltSigmaAAtD(1, name, 12)), 51 + (46 - 51) * 2.0 / 6, 1e-9);
  EXPECT_EQ(name, "VDI 2230:2003 RTBHT");
  EXPECT_EQ(AbortFlag, 0);
  // ISO 898-1 gives no values above 300 °C: between 300 and 400 °C the lookup
  // must not interpolate towards the empty 400 °C column.
  MatBolt.Rp02 = 1100;
  const Extended re = BoltReAtTemp("12.9", 350);
  EXPECT_NEAR(static_cast<double>(re), (1.018 - 350.0 / 1120) * 1100, 1e-6);
  EXPECT_TRUE(HasMessage("Warning: Re(T) = 0 !"));
  EXPECT_NEAR(static_cast<double>(BoltReAtTemp("12.9", 250)), 925 + (825 - 925) * 0.5, 1e-9);
  // A missing table is told apart from a missing row: the table access names
  // the file and sets AbortFlag.
  fs::remove(DbfDir + "/mat_b_e.dbf");
  TraceMessagesOn = 1;
  platform::DialogScript script;
  script.Ok().Expect("mat_b_e.dbf not found or no access !");
  EXPECT_EQ(MaterialRows.FindByName(kMatBoltETable, "12.9", row), MaterialRowStatus::TableMissing);
  EXPECT_EQ(AbortFlag, 1);
}

// Rows are looked up once while the table file stays as it is; a table
// written since gives its new rows, and a row number past the end still
// gives its message each time.
TEST_F(CalcTablesTest, MaterialRowsFollowTheTableFileAsItIsNow) {
  const std::vector<Field> fields = {{"NAME", 'C', 20, 0}, {"SOURCE", 'N', 6, 0}, {"RE20", 'N', 6, 0},
                                     {"RE100", 'N', 6, 0}, {"RE200", 'N', 6, 0},  {"RE300", 'N', 6, 0},
                                     {"RE400", 'N', 6, 0}, {"RE500", 'N', 6, 0},  {"RE600", 'N', 6, 0},
                                     {"RE700", 'N', 6, 0}};
  const std::string table = DbfDir + "/mat_b_re.dbf";
  // Written an hour ago: a table written just now is read at every lookup.
  auto writeOld = [&](const std::vector<std::vector<std::string>>& rows) {
    WriteDbf(table, fields, rows);
    fs::last_write_time(table, fs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  writeOld({{"12.9", "898", "1100"}});
  MaterialRow row;
  ASSERT_EQ(MaterialRows.FindByName(kMatBoltReTable, "12.9", row), MaterialRowStatus::Found);
  EXPECT_EQ(row.values[0], 1100);
  ASSERT_EQ(MaterialRows.FindByName(kMatBoltReTable, "12.9", row), MaterialRowStatus::Found);
  EXPECT_EQ(row.values[0], 1100);
  EXPECT_EQ(MaterialRows.FindByName(kMatBoltReTable, "8.8", row), MaterialRowStatus::NotFound);

  writeOld({{"8.8", "898", "640"}, {"12.9", "898", "1080"}});
  ASSERT_EQ(MaterialRows.FindByName(kMatBoltReTable, "12.9", row), MaterialRowStatus::Found);
  EXPECT_EQ(row.values[0], 1080);
  ASSERT_EQ(MaterialRows.FindByName(kMatBoltReTable, "8.8", row), MaterialRowStatus::Found);
  EXPECT_EQ(row.values[0], 640);
  ASSERT_EQ(MaterialRows.ReadRow(kMatBoltReTable, 2, row), MaterialRowStatus::Found);
  EXPECT_EQ(row.name, "12.9");

  // A row beyond the table: no row (never the last one), its message and
  // the table's failure, each time.
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    ClearCalcMessages();
    ClearTableFailure();
    AbortFlag = 0;
    row = MaterialRow{};
    ASSERT_EQ(MaterialRows.ReadRow(kMatBoltReTable, 5, row), MaterialRowStatus::TableMissing);
    EXPECT_EQ(row.name, "");
    EXPECT_TRUE(HasMessage("DBF #5 not found."));
    EXPECT_NE(TableFailure().find("mat_b_re.dbf: DBF #5 not found."), std::string::npos);
    EXPECT_EQ(AbortFlag, 1);
  }
}

// A row found once is put back while the table's file is unchanged, the
// same file contents giving the same row; a changed file is read again, and
// a lookup that gave a message gives it each time.
TEST_F(CalcTablesTest, FoundRowsFollowTheTableFileAsItIsNow) {
  const std::vector<Field> fields = {{"NAME", 'C', 12, 0}, {"D", 'N', 8, 3}, {"P", 'N', 6, 3}};
  const std::string table = DbfDir + "/gewinde.dbf";
  const auto written = fs::file_time_type::clock::now() - std::chrono::hours(1);
  // Written an hour ago: a table written just now is read at every lookup.
  auto writeOld = [&](const char* name, const char* d) {
    WriteDbf(table, fields, {{"M10", "10.000", "1.500"}, {name, d, "1.750"}});
    fs::last_write_time(table, written);
  };
  auto find = [](Extended d) {
    Schraube.ThreadRow = 0;
    Gewinde.d = d;
    Gewinde.Designation = "";
    FindCalcRecord(kThreadTable);
    return Gewinde.Designation;
  };
  writeOld("M12", "12.000");
  EXPECT_EQ(find(12), "M12");
  EXPECT_EQ(find(10), "M10");
  // Other contents under the same name, size and time: another file, read again.
  writeOld("M12X", "12.000");
  EXPECT_EQ(find(12), "M12X");
  fs::last_write_time(table, written + std::chrono::seconds(1));
  EXPECT_EQ(find(12), "M12X");
  EXPECT_EQ(AbortFlag, 0);

  TraceMessagesOn = 1;
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    platform::DialogScript script;
    script.Ok().Expect("11.00 x 1.750 not found !");
    find(11);
    EXPECT_EQ(Gewinde.Designation, "M12X");  // the row the search stopped at
  }
}

// The failure of the table that a read must fail, with its message answered.
std::string FailureOf(platform::DialogScript& script, const std::function<void()>& read) {
  AbortFlag = 0;
  ClearTableFailure();
  script.Ok();  // the message shown
  read();
  EXPECT_EQ(AbortFlag, 1);
  return TableFailure();
}

// Damaged tables are named and never give a number: a header that disagrees
// with its records, a number field that holds no number, a value no part or
// material can have. A table replaced by another of the same size and time
// is indexed afresh.
TEST_F(CalcTablesTest, DamagedTablesAreNamedWithTableRowAndField) {
  platform::DialogScript script;
  auto failure = [&](const std::function<void()>& read) { return FailureOf(script, read); };
  const std::string nuts = DbfDir + "/din934.dbf";
  const std::string whole = ReadBytes(nuts);
  const std::size_t header = static_cast<unsigned char>(whole[8]);
  auto patched = [&](std::size_t at, int change) {
    std::string d = whole;
    d[at] = static_cast<char>(d[at] + change);
    return d;
  };
  for (const auto& [what, bytes, named] : std::vector<std::tuple<const char*, std::string, std::string>>{
           {"field length 0", patched(32 + 32 + 16, -static_cast<int>(whole[32 + 32 + 16])), "field M has no length"},
           {"header one byte short", patched(8, -1), "its header is " + std::to_string(header - 1) + " bytes long"},
           {"header one byte long", patched(8, 1), "its header is " + std::to_string(header + 1) + " bytes long"},
           {"record one byte long", patched(10, 1), "its fields fill"}}) {
    SCOPED_TRACE(what);
    WriteBytes(nuts, bytes);
    EXPECT_NE(failure([] { OpenDbfTable("din934"); }).find("din934.dbf is damaged: " + named),
              std::string::npos)
        << TableFailure();
    EXPECT_FALSE(DbfTableOpen());
  }
  WriteDbf(nuts, {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'N', 6, 2}, {"DW", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}},
           {{"10.00", "8.40", "16.00", "14.60", "ISO 4032"}, {"12.00", "10.80", "18x00", "16.60", "ISO 4032"},
            {"16.00", "-14.80", "24.00", "22.50", "ISO 4032"}});
  auto nutOf = [](Extended d) {
    Gewinde.d = d;
    Mutter.NutRow = 0;
    FindCalcRecord(kHexNutTable);
  };
  EXPECT_NE(failure([&] { nutOf(12); }).find("din934.dbf: row 2, field S: \"18x00\" is no number"), std::string::npos);
  EXPECT_NE(failure([&] { nutOf(16); }).find("din934.dbf: row 3, field M: -14.80 is out of range"), std::string::npos);
  AbortFlag = 0;
  nutOf(10);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Din934.s, 16);
  // Decimal commas and thousands signs another program wrote are read as the
  // table engine reads them.
  WriteDbf(nuts, {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'N', 8, 2}, {"DW", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}},
           {{"12.00", "10,80", "1.018,00", "16.60", "ISO 4032"}});
  nutOf(12);
  EXPECT_EQ(AbortFlag, 0) << TableFailure();
  EXPECT_EQ(Din934.s, 1018);
  EXPECT_NEAR(static_cast<double>(Din934.m), 10.8, 1e-12);
  // A number column made a memo field holds block numbers, a text column
  // made one no text: either is named as a field of another kind.
  WriteDbf(nuts, {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'M', 10, 0}, {"DW", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}},
           {{"10.00", "8.40", "65536", "14.60", "ISO 4032"}});
  EXPECT_NE(failure([&] { nutOf(10); }).find("din934.dbf: field S is a memo field, not a number field"),
            std::string::npos);
  WriteDbf(nuts, {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'N', 6, 2}, {"DW", 'N', 6, 2}, {"STANDARD", 'M', 10, 0}},
           {{"10.00", "8.40", "16.00", "14.60", "3"}});
  EXPECT_NE(failure([&] { nutOf(10); }).find("din934.dbf: field STANDARD is a memo field, not a text field"),
            std::string::npos);
  // A field that the calculation does not read is named as well.
  WriteDbf(nuts,
           {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'N', 6, 2}, {"DW", 'N', 6, 2}, {"STANDARD", 'C', 12, 0},
            {"NOTE", 'N', 8, 2}},
           {{"10.00", "8.40", "16.00", "14.60", "ISO 4032", "1e400"}});
  EXPECT_NE(failure([&] { nutOf(10); }).find("din934.dbf: row 1, field NOTE: \"1e400\" is beyond range"),
            std::string::npos)
      << TableFailure();
  AbortFlag = 0;

  std::vector<Field> moduli = {{"NAME", 'C', 20, 0}};
  for (const char* t : {"E20", "E100", "E200", "E300", "E400", "E500", "E600", "E700"})
    moduli.push_back({t, 'N', 7, 0});
  WriteDbf(DbfDir + "/mat_b_e.dbf", moduli, {{"12.9", "206000", "-200700", "193700", "0"}});
  MaterialRow row;
  EXPECT_NE(failure([&] {
              EXPECT_EQ(MaterialRows.ReadRow(kMatBoltETable, 1, row), MaterialRowStatus::TableMissing);
            }).find("mat_b_e.dbf: row 1, field E100: -200700 is out of range"),
            std::string::npos);
  EXPECT_EQ(script.Pending(), 0u);

  // Another table of the same size and modification time in its place.
  const std::string threads = DbfDir + "/gewinde.dbf";
  const std::vector<Field> fields = {{"NAME", 'C', 12, 0}, {"D", 'N', 8, 3}, {"P", 'N', 6, 3}};
  const auto written = fs::file_time_type::clock::now() - std::chrono::hours(1);
  auto find = [](Extended d) {
    Schraube.ThreadRow = 0;
    Gewinde.d = d;
    FindCalcRecord(kThreadTable);
    return Gewinde.Designation;
  };
  AbortFlag = 0;
  WriteDbf(threads, fields, {{"M10", "10.000", "1.500"}, {"M12", "12.000", "1.750"}});
  fs::last_write_time(threads, written);
  EXPECT_EQ(find(12), "M12");
  WriteDbf(threads, fields, {{"M12", "12.000", "1.750"}, {"M10", "10.000", "1.500"}});
  fs::last_write_time(threads, written);
  EXPECT_EQ(find(12), "M12");
  EXPECT_EQ(find(10), "M10");
  EXPECT_EQ(AbortFlag, 0);
}

// A whole-number column (moduli, strengths) that holds a fraction or an
// exponent is the number it is, rounded to the nearest whole one, never 0; a
// number column retyped C that holds no number, or a value that no whole-number
// field holds, fails the table by name, row and field.
TEST_F(CalcTablesTest, WholeNumberColumnsReadFractionsAndExponentsAsTheNumberTheyAre) {
  std::vector<Field> moduli = {{"NAME", 'C', 20, 0}};
  for (const char* t : {"E20", "E100", "E200", "E300", "E400", "E500", "E600", "E700"})
    moduli.push_back({t, 'N', 10, 1});
  WriteDbf(DbfDir + "/mat_b_e.dbf", moduli,
           {{"12.9", "206000.4", "2.007E5", "193700,6", "1.875e+05", "173199.5", "151600", "123700", "0"}});
  MaterialRow row;
  ASSERT_EQ(MaterialRows.ReadRow(kMatBoltETable, 1, row), MaterialRowStatus::Found);
  EXPECT_EQ(std::vector<std::int32_t>(row.values.begin(), row.values.begin() + 8),
            (std::vector<std::int32_t>{206000, 200700, 193701, 187500, 173200, 151600, 123700, 0}));
  MatBolt.E = 206000;
  ClearCalcMessages();
  EXPECT_DOUBLE_EQ(static_cast<double>(BoltEAtTemp("12.9", 100)), 200700);
  EXPECT_EQ(CalcMessages.count, 0);
  EXPECT_EQ(TableFailure(), "");

  // The bolt material's strengths and modulus, as the shipped table lays them out.
  WriteDbf(DbfDir + "/mat_bolt.dbf",
           {{"CLASS", 'C', 10, 0}, {"RP02", 'N', 6, 0}, {"RM", 'N', 6, 0}, {"BETAB", 'N', 6, 3}, {"E", 'N', 7, 0}},
           {{"12.9", "1100.4", "1.22E3", "0.600", "2.06E5"}});
  Schraube.MatBoltRow = 1;
  FindCalcRecord(kBoltMaterialTable);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(MatBolt.Rp02, 1100);
  EXPECT_EQ(MatBolt.Rm, 1220);
  EXPECT_EQ(MatBolt.E, 206000);

  platform::DialogScript script;
  auto failure = [&](const std::function<void()>& read) { return FailureOf(script, read); };
  moduli[2].type = 'C';
  WriteDbf(DbfDir + "/mat_p_e.dbf", moduli, {{"St 37", "205000", "n/a", "192700"}});
  EXPECT_NE(failure([&] {
              EXPECT_EQ(MaterialRows.ReadRow(kMatPlateETable, 1, row), MaterialRowStatus::TableMissing);
            }).find("mat_p_e.dbf: row 1, field E100: \"n/a\" is no number"),
            std::string::npos);
  WriteDbf(DbfDir + "/cylslot.dbf",
           {{"D", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}, {"B", 'N', 6, 1}, {"DK", 'N', 6, 2}, {"DW", 'N', 6, 2},
            {"K", 'N', 6, 2}, {"T", 'N', 6, 2}, {"N", 'N', 6, 2}, {"LH", 'N', 6, 2}, {"RF", 'N', 6, 2},
            {"NOROUND", 'N', 6, 0}},
           {{"12.00", "ISO 1207", "30.0", "", "", "", "", "", "", "", "3E9"}});
  Gewinde.d = 12;
  Schraube.HeadRow = 0;
  EXPECT_NE(failure([] { FindCalcRecord(7); }).find("cylslot.dbf: row 1, field NOROUND: 3E9 is out of range"),
            std::string::npos)
      << TableFailure();
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(CalcTablesTest, PartMaterialsAreRefreshedPicksCopyTheAcceptedRowAndPickListsChooseTheTableFirst) {
  Klemmstuecke.nPlates = 2;
  Klemmstuecke.Material[1] = "St 50";
  Klemmstuecke.MatTable[1] = 0;
  Klemmstuecke.Material[2] = "gone";
  Klemmstuecke.MatTable[2] = 1;
  Klemmstuecke.Codes[2][1] = 5;
  FindCalcRecord(kPlateMaterialTable);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(Klemmstuecke.Codes[1][0], 2);
  EXPECT_EQ(Klemmstuecke.pmax[1], 420);
  EXPECT_EQ(Klemmstuecke.Re[1], 295);
  EXPECT_EQ(Klemmstuecke.E[1], 205000);
  EXPECT_NEAR(static_cast<double>(Klemmstuecke.alphaT[1]), 11.5e-6, 1e-12);
  EXPECT_EQ(Klemmstuecke.Material[2].str(), "34CrMo4");
  EXPECT_EQ(Klemmstuecke.pmax[2], 870);

  // Picks copy the accepted row; Cancel keeps the records.
  TableDialogHook = [](std::string_view, int, std::int32_t&) { return true; };
  Gewinde.d = 12;
  SelectWasherAsPlate(1);  // the pick starts near the bolt diameter
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(DbfDialogCaption(2), "Select washer/standard plate as clamping piece 1");
  EXPECT_EQ(Klemmstuecke.Description[1].str(), Klemmstk.Name);
  EXPECT_EQ(Klemmstuecke.L[1], Klemmstk.h);
  EXPECT_GE(Klemmstuecke.Di[1], 12);
  EXPECT_LT(Klemmstuecke.Di[1], 14);

  TableDialogHook = [](std::string_view, int, std::int32_t& rec) {
    rec = 10;
    return true;
  };
  SelectPlateMaterial(2, 1);
  EXPECT_EQ(Klemmstuecke.Codes[2][1], 10);
  EXPECT_EQ(Klemmstuecke.Material[2].str(), "X5CrNiMo17-12-2");
  EXPECT_EQ(Klemmstuecke.pmax[2], 460);

  TableDialogHook = [](std::string_view, int, std::int32_t&) { return false; };
  Klemmstuecke.Material[3] = "keep";
  SelectPlateMaterial(3, 0);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Klemmstuecke.Material[3].str(), "keep");
  EXPECT_EQ(Klemmstuecke.Codes[3][0], 0);

  // Pick lists choose the table first.
  AbortFlag = 0;
  std::vector<std::string> shown;
  TableDialogHook = [&](std::string_view, int mode, std::int32_t&) {
    shown.push_back(fs::path(DbfTablePath()).filename().string() + " " + std::to_string(mode));
    return true;
  };
  platform::DialogScript script;
  script.Ok({{"ListBox_items", "#2"}});
  SelectScrewHead(0, 1);
  script.Ok({{"RadioGroup_items", "#1"}});
  SelectNutTable(0, 2);
  script.Ok({{"RadioGroup_items", "#2"}});
  SelectBoltMaterialTable(0, 1);
  script.Ok({{"RadioGroup_items", "#2"}});
  SelectPlateMaterialTable(0, 1);
  SelectPlateMaterialTable(1, 1);
  // The third kind of head opens table 4.
  EXPECT_EQ(shown, (std::vector<std::string>{"din963.dbf 1", "din6915.dbf 2", "mat_b_e.dbf 1", "mat_p_re.dbf 1",
                                             "pressung.dbf 1"}));
  EXPECT_EQ(HelpNumber, 9600);

  script.Cancel();
  SelectScrewHead(0, 1);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(shown.size(), 5u);
}

// Every index the program builds over the shipped tables (the calculation
// tables by their keys, the material tables and the help table by their
// first field) is read whole and in the engine's order by XBase::Index.
TEST_F(CalcTablesTest, IndependentReaderReadsEveryIndexOfTheShippedTables) {
  // The reader needs no locale: under C it never warns of a desktop locale it lacks.
  if (std::system("LC_ALL=C perl -MXBase::Index -e 1 2>/dev/null") != 0) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
  struct Built {
    std::string name, index, order;
    int records = 0;
  };
  std::vector<Built> built;
  const std::string dir = FreshDir("indexes");
  auto keep = [&](const std::string& name) {
    ASSERT_EQ(AbortFlag, 0) << name;
    if (DbfIndexPath().empty()) return;
    Built b{name, DbfIndexPath(), "", DbfRecordCount()};
    for (DbfFirst(); !DbfEof(); DbfNext()) b.order += std::to_string(DbfRecNo()) + "\n";
    // The index stays while its table is open: a copy is read.
    b.index = dir + "/" + name + ".ndx";
    fs::copy_file(DbfIndexPath(), b.index, fs::copy_options::overwrite_existing);
    built.push_back(b);
  };
  for (TCalcTableNo n = 1; n <= kCalcTableCount; ++n) {
    OpenCalcTable(n);
    keep(CalcTableNames[n].str());
    CloseDbfTable();
  }
  for (const char* table : {kMatBoltReTable, kMatPlateReTable, kMatBoltETable, kMatPlateETable, kMatBoltSigmaATable,
                            "bq4help"}) {
    OpenDbfTable(table);
    IndexDbfOn(DbfFieldName(1), table);
    keep(table);
    CloseDbfTable();
  }
  EXPECT_EQ(built.size(), 26u);  // 20 calculation tables with a key, 5 material tables, help
  const std::string script = dir + "/ndx.pl";
  std::ofstream(script) << "use XBase::Index;\n"
                           "my $i = new XBase::Index $ARGV[0] or die XBase::Index->errstr;\n"
                           "$i->prepare_select;\n"
                           "while (my ($k, $r) = $i->fetch) { print \"$r\\n\"; }\n";
  for (const Built& b : built) {
    SCOPED_TRACE(b.name);
    const std::string out = dir + "/" + b.name + ".txt";
    ASSERT_EQ(std::system(("LC_ALL=C perl " + ShellQuoted(script) + " " + ShellQuoted(b.index) + " > " + ShellQuoted(out)).c_str()), 0);
    std::ifstream in(out);
    const std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::count(read.begin(), read.end(), '\n'), b.records);
    EXPECT_EQ(read, b.order);
  }
}

}  // namespace
