// The table engine and its datasets under a decimal-comma locale, as the
// window program runs for a German user: what is stored and read back
// carries "." whatever the C library's locale says.
#include <gtest/gtest.h>

#include "../comma_locale.h"
#include "dataset_test_support.h"
#include "dbf/expressions.h"
#include "dbf/import_export.h"
#include "dbf/locate.h"
#include "dbf/ndx_index.h"
#include "dbf/record_cache.h"

using dbftest::DatasetTest;
using dbftest::F;
using dbftest::Landed;
using dbftest::ReadText;
using dbftest::RecordText;
using dbftest::UseCountry;

class CommaLocaleEngine : public DatasetTest {};

TEST_F(CommaLocaleEngine, TablesExpressionsAndNumberTextsKeepTheDecimalPoint) {
  BQ4_IN_COMMA_LOCALE(german);
  UseCountry(5);
  SetErrorDispatch(false);
  std::string p = Create("mu.dbf", {F("NAME", 'C', 6), F("MU", 'N', 8, 2), F("K", 'N', 6, 3)});
  Use(p + " EXCLUSIVE");
  ClearRecord();
  SetFieldText(1, "A");
  SetFieldValue(2, 12.5L);
  SetFieldValue(3, 0.12L);
  Append();
  EXPECT_EQ(RecordText(p, 1, 7, 14), "   12.50 0.120");
  GoTop();
  EXPECT_EQ(GetFieldValue(2), 12.5L);
  EXPECT_NEAR(static_cast<double>(GetFieldValue(3)), 0.12, 1e-12);
  // Literals, STR() and field texts of expressions.
  std::vector<std::string> seen;
  for (const char* text : {"STR(2.25, 6, 2)", "STR(12.5 * 2, 6, 1)", "STR(MU, 8, 2)", "STR(K, 6, 3)"}) {
    TExprDescriptor* d = AssignExpr(text);
    seen.push_back(d ? EvaluateExpr(d).text : "<refused>");
    FreeExpr(d);
  }
  EXPECT_EQ(seen, std::vector<std::string>({"  2.25", "  25.0", "   12.50", " 0.120"}));
  // Number texts that the program or a file wrote read and write "."; what
  // a user types reads with the national sign.
  EXPECT_EQ(StoredReal("2.5") * 10, 25);
  EXPECT_EQ(StoredLong("12.9"), 12);
  EXPECT_EQ(FixedNumberText(2.5L, 6, 2), "  2.50");
  EXPECT_EQ(ValReal("2,5") * 10, 25);
  EXPECT_EQ(ValReal("1.234,5") * 10, 12345);
  // Delimited text holds one item per field.
  ASSERT_EQ(CopyToDelimited(Path("mu.txt")), 1);
  EXPECT_EQ(ReadText(Path("mu.txt")), "\"A\",12.50,0.120\r\n\x1A");
  CloseDatabase();
}

// Number texts that the program or a table wrote are read with "." under a
// German desktop's settings: index keys (a bolt length, a thread size),
// locate values and texts appended into number fields.
TEST_F(CommaLocaleEngine, WrittenNumberTextsAreReadWithThePoint) {
  UseCountry(5);
  std::string p = Filled("len.dbf", {F("L", 'N', 6, 1), F("D", 'N', 8, 3)},
                         {{"50.0", "12.000"}, {"55.0", "14.000"}, {"60.0", "64.000"}, {"300.0", "6.000"}});
  Index_On("L", Path("l.ndx"));
  std::vector<int> landed;
  for (const char* key : {"55.0", "55,0", "56.0", "0.0"}) landed.push_back(Landed(Find(key)));
  EXPECT_EQ(landed, std::vector<int>({2, 2, -5, -5}));
  for (const char* key : {"56.0", "5.5", "0.0"}) landed.push_back(Landed(FindNear(key)));
  EXPECT_EQ(landed, std::vector<int>({2, 2, -5, -5, -3, -1, -1}));
  Index_On("D", Path("d.ndx"));
  EXPECT_EQ(Landed(FindNear("13.000")), -2);
  Set_Order_To(0);
  EXPECT_EQ(LocateValue("L", "60.0", false, 1, true) ? RecNo() : 0, 3);
  CloseDatabase();

  std::string src = Filled("src.dbf", {F("L", 'C', 8), F("D", 'C', 8)}, {{"42.7", "1.250"}});
  CloseDatabase();
  std::string dst = Create("dst.dbf", {F("L", 'N', 6, 1), F("D", 'N', 3)});
  Use(dst + " EXCLUSIVE");
  AppendFrom(src);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_EQ(RecordText(dst, 1, 1, 9), "  42.7  1");
  CloseDatabase();
}

// The table dialog's edits: "1,25" and "1.25" are both 1.25, stored with "."
// beside the record's other numbers; what it shows reads back unchanged.
TEST_F(CommaLocaleEngine, DatasetEditsTakeCommaOrPointAndStoreThePoint) {
  BQ4_IN_COMMA_LOCALE(german);
  std::string p = FilledTable("tool.dbf", {F("NAME", 'C', 6), F("ALPHAA", 'N', 6, 2), F("KTAU", 'N', 6, 2)},
                              {{"X", "2.00", "0.50"}});
  TTzDbf ds("tool");
  Open(ds, p);
  std::vector<std::string> stored;
  for (const char* typed : {"1,25", "1.75", "3", "0,5"}) {
    ds.Edit();
    ds.FieldByName("ALPHAA").SetAsString(typed);
    ds.Post();
    stored.push_back(RecordText(p, 1, 7, 12));
  }
  EXPECT_EQ(stored, std::vector<std::string>({"  1.25  0.50", "  1.75  0.50", "  3.00  0.50", "  0.50  0.50"}));
  TzDecimalSep = ',';
  EXPECT_EQ(ds.FieldByName("KTAU").AsString(), "0,50");
  ds.Edit();
  ds.FieldByName("KTAU").SetAsString(ds.FieldByName("KTAU").AsString());
  ds.FieldByName("ALPHAA").SetAsString("1,25");
  ds.Post();
  EXPECT_EQ(RecordText(p, 1, 7, 12), "  1.25  0.50");
  TzDecimalSep = '.';
  EXPECT_EQ(ds.FieldByName("KTAU").AsFloat(), 0.5);
}

// A number field's text as a German desktop shows it ("2,50") written back
// through the work area keeps its value, and "J" (ja) in a logical field is
// read as true like T and Y.
TEST_F(CommaLocaleEngine, AFieldsShownTextWrittenBackKeepsItsValue) {
  BQ4_IN_COMMA_LOCALE(german);
  UseCountry(5);
  SetRaiseErrors(false);
  SetErrorDispatch(false);
  std::string p = Filled("back.dbf", {F("A", 'N', 8, 2), F("B", 'N', 6), F("OK", 'L', 1)}, {{"2.50", "-17", "F"}});
  Poke("J", 3, 1);  // as another program stores "ja"
  GoTop();
  EXPECT_EQ(GetFieldText(1), "    2,50");
  EXPECT_TRUE(GetFieldLogical(3));
  for (int f : {1, 2}) SetFieldText(f, GetFieldText(f));
  Replace();
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_EQ(RecordText(p, 1, 1, 15), "    2.50   -17J");
  SetFieldText(1, "zwei");
  EXPECT_EQ(TzLastError, 106);
  EXPECT_NE(TzErrorDetail.find("Field A: \"zwei\" is no number"), std::string::npos) << TzErrorDetail;
  EXPECT_EQ(GetFieldValue(1), 2.5L);  // left as it was
  CloseDatabase();
}
