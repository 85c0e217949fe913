// Number texts that another program stored in a table: every reader of the
// engine (field reads, expressions, index keys, searches, appends) reads one
// the same way, and names a text that holds no number, a value beyond range
// and a value too wide for the field it goes into.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "dataset_test_support.h"
#include "dbf/datasets_virtual.h"
#include "dbf/expressions.h"
#include "dbf/import_export.h"
#include "dbf/ndx_index.h"

using dbftest::DatasetTest;
using dbftest::DbfTest;
using dbftest::F;
using dbftest::Landed;
using dbftest::ReadBytes;
using dbftest::RecordText;

namespace {

// Puts `texts` into field 1 (at byte 1, `width` wide) of the records of a
// table that holds as many, as another program writes them.
void StoreTexts(const std::string& path, const std::vector<std::string>& texts, std::size_t width) {
  std::vector<unsigned char> bytes = ReadBytes(path);
  const std::size_t header = bytes[8] | (bytes[9] << 8), length = bytes[10] | (bytes[11] << 8);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string text = texts[i];
    text.insert(0, width - text.size(), ' ');
    std::memcpy(&bytes[header + i * length + 1], text.data(), width);
  }
  dbftest::WriteBytes(path, bytes);
}

// The value `read` gives with the error it leaves ("" or its detail).
template <class Read>
std::string Reading(Read read) {
  TzLastError = 0;
  TzErrorDetail.clear();
  char value[64];
  std::snprintf(value, sizeof value, "%.10Lg", static_cast<long double>(read()));
  return TzLastError ? std::string(value) + " " + TzErrorDetail : std::string(value);
}

}  // namespace

class StoredNumbers : public DbfTest {
 protected:
  // NUM N(8,2) with the texts of another program, and a name beside them.
  std::string Foreign() {
    const std::vector<std::string> texts = {"1,5", "1,2", "1,7", "+5", "1.234,5", "-0,5", "0,25", "12abc"};
    std::string p = Create("foreign.dbf", {F("NUM", 'N', 8, 2), F("NAME", 'C', 4)});
    Use(p + " EXCLUSIVE");
    for (std::size_t i = 0; i < texts.size(); ++i) {
      ClearRecord();
      SetFieldText(2, "R" + std::to_string(i + 1));
      Append();
    }
    CloseDatabase();
    StoreTexts(p, texts, 8);
    Use(p + " EXCLUSIVE");
    return p;
  }
};

// Field reads, the expression field value and VAL read such texts whole,
// with a decimal comma as one; "12abc" is named wherever it is read.
TEST_F(StoredNumbers, EveryReaderReadsATextWholeAndNamesOneThatIsNoNumber) {
  Foreign();
  TExprDescriptor* str = AssignExpr("STR(NUM, 8, 2)");
  TExprDescriptor* above = AssignExpr("NUM > 1.2");
  ASSERT_TRUE(str && above);
  std::vector<std::string> values, texts, fields;
  std::string filtered;
  for (GoTop(); !dEOF(); Skip(1)) {
    values.push_back(Reading([] { return GetFieldValue(1); }));
    values.push_back(Reading([] { return GetFieldValue(1); }));  // from the typed record
    fields.push_back(Reading([] { return FieldTextValue(1); }));
    TzLastError = 0;
    const std::string text = EvaluateExpr(str).text;
    texts.push_back(text + (TzLastError ? " " + TzErrorDetail : ""));
    if (EvaluateExpr(above).logical) filtered += AllTrim(GetFieldText(2)) + ",";
  }
  FreeExpr(str);
  FreeExpr(above);
  const std::string named = "0 Field NUM: \"12abc\" is no number [GetFieldValue]";
  EXPECT_EQ(values, std::vector<std::string>({"1.5", "1.5", "1.2", "1.2", "1.7", "1.7", "5", "5", "1234.5", "1234.5",
                                              "-0.5", "-0.5", "0.25", "0.25", named, named}));
  EXPECT_EQ(fields, std::vector<std::string>({"1.5", "1.2", "1.7", "5", "1234.5", "-0.5", "0.25",
                                              "0 Field NUM: \"12abc\" is no number [FieldTextValue]"}));
  EXPECT_EQ(texts, std::vector<std::string>({"    1.50", "    1.20", "    1.70", "    5.00", " 1234.50", "   -0.50",
                                             "    0.25",
                                             "    0.00 Field NUM: \"12abc\" is no number [Evaluate/Engine]"}));
  EXPECT_EQ(filtered, "R1,R3,R4,R5,");
  std::vector<std::string> vals;
  for (const char* text : {"VAL(\" 1,5 \")", "VAL(\"+5\")", "VAL(\"1.234,5\")", "VAL(\"\")", "VAL(\"12abc\")"}) {
    TExprDescriptor* d = AssignExpr(text);
    TzLastError = 0;
    vals.push_back(Reading([d] { return EvaluateExpr(d).number; }));
    FreeExpr(d);
  }
  EXPECT_EQ(vals, std::vector<std::string>({"1.5", "5", "1234.5", "0", "0 VAL: \"12abc\" is no number [Evaluate/Engine]"}));
}

// Index keys are the same numbers, built from the field or from an
// expression; a text that is no number keys as 0, where the index finds it,
// so that the other records stay within reach, and reading it names it.
TEST_F(StoredNumbers, IndexKeysAreTheNumbersTheFieldsRead) {
  Foreign();
  for (const char* key : {"NUM", "NUM * 1"}) {
    SCOPED_TRACE(key);
    Index_On(key, Path("num.ndx"));
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    EXPECT_EQ(Column(2), "R6,R8,R7,R2,R1,R3,R4,R5,");
    EXPECT_TRUE(Find("0"));
    EXPECT_EQ(RecNo(), 8);
    EXPECT_EQ(Reading([] { return GetFieldValue(1); }), "0 Field NUM: \"12abc\" is no number [GetFieldValue]");
    CloseIndexes();
  }
}

// A search of a number index for a text that is no number, or beyond range,
// finds nothing and names it; it never stands on the key 0.
TEST_F(StoredNumbers, ASearchForNoNumberFindsNothing) {
  std::string p = Create("keys.dbf", {F("NUM", 'N', 8, 2)});
  Use(p + " EXCLUSIVE");
  AppendTexts({{"0"}, {"2.5"}, {"-1"}});
  Index_On("NUM", Path("keys.ndx"));
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  std::vector<std::string> seen;
  for (const char* key : {"abc", "-", "1e400", "1e-400", "2,5", "0"}) {
    TzLastError = 0;
    TzErrorDetail.clear();
    const int landed = Landed(Find(key));
    seen.push_back(std::to_string(landed) + (dEOF() ? " eof" : "") + (TzLastError ? " " + TzErrorDetail : ""));
  }
  EXPECT_EQ(seen, std::vector<std::string>({"-4 eof Key \"abc\" is no number [Find]",
                                            "-4 eof Key \"-\" is no number [Find]",
                                            "-4 eof Key \"1e400\" is beyond range [Find]", "1", "2", "1"}));
  TzLastError = 0;
  EXPECT_FALSE(FindNear("x1"));
  EXPECT_EQ(TzErrorDetail, "Key \"x1\" is no number [FindNear]");
}

// Values beyond the range of the typed value or of any number are named
// by the field reads rather than read as the largest value or as 0.
TEST_F(StoredNumbers, ValuesBeyondRangeAreNamed) {
  std::string p = Create("far.dbf", {F("BIG", 'N', 20, 4)});
  Use(p + " EXCLUSIVE");
  AppendTexts({{""}, {""}, {""}});
  CloseDatabase();
  StoreTexts(p, {"9.95e65", "1e400", "-1.7e38"}, 20);
  Use(p + " EXCLUSIVE");
  std::vector<std::string> seen;
  for (GoTop(); !dEOF(); Skip(1)) {
    seen.push_back(Reading([] { return GetFieldValue(1); }));
    seen.push_back(Reading([] { return FieldTextValue(1); }));
  }
  EXPECT_EQ(seen, std::vector<std::string>({"0 Field BIG: \"9.95e65\" is beyond range [GetFieldValue]", "9.95e+65",
                                            "0 Field BIG: \"1e400\" is beyond range [GetFieldValue]",
                                            "0 Field BIG: \"1e400\" is beyond range [FieldTextValue]", "-1.7e+38",
                                            "-1.7e+38"}));
}

// AppendFrom reads a number field of the source as the field reads it, and
// names a text that is no number and a value too wide for its field, from a
// number field, from a text field and into a text field, as the delimited
// import does with its line; what comes before stays appended.
TEST_F(StoredNumbers, AppendsNameWhatTheyCannotStore) {
  std::string src = Foreign();
  CloseDatabase();
  std::string dst = Create("dst.dbf", {F("NAME", 'C', 4), F("NUM", 'N', 10, 3)});
  Use(dst + " EXCLUSIVE");
  AppendFrom(src);
  EXPECT_EQ(TzLastError, 106);
  EXPECT_EQ(TzErrorDetail, "Field NUM: \"12abc\" is no number in record 8 [AppendFrom(" + src + ")]");
  EXPECT_EQ(RecCount(), 7);
  std::string column;
  for (int r = 1; r <= 7; ++r) column += RecordText(dst, r, 5, 10) + "|";
  EXPECT_EQ(column, "     1.500|     1.200|     1.700|     5.000|  1234.500|    -0.500|     0.250|");
  if (dbftest::PythonModule("dbfread")) {
    std::ofstream(Path("read.py")) << "import sys, dbfread\n"
                                      "print(','.join(str(r['NUM']) for r in dbfread.DBF(sys.argv[1])))\n";
    EXPECT_EQ(dbftest::RunPython(Path("read.py"), dst, Path("read.out")), "1.5,1.2,1.7,5.0,1234.5,-0.5,0.25\n");
  }
  CloseDatabase();

  std::string texts = Filled("texts.dbf", {F("NUM", 'C', 10)}, {{"1.5"}, {"123456.78"}});
  CloseDatabase();
  std::string narrow = Create("narrow.dbf", {F("NUM", 'N', 8, 2)});
  Use(narrow + " EXCLUSIVE");
  AppendFrom(texts);
  EXPECT_EQ(TzErrorDetail, "Field NUM: 123456.78 is too wide for N(8,2) in record 2 [AppendFrom(" + texts + ")]");
  EXPECT_EQ(RecCount(), 1);
  std::ofstream(Path("in.txt"), std::ios::binary) << "2.25\r\n123456.78\r\n3\r\n";
  TzLastError = 0;
  EXPECT_EQ(AppendFromDelimited(Path("in.txt"), false), 1);
  EXPECT_EQ(TzLastError, 106);
  EXPECT_EQ(TzErrorDetail,
            "Field NUM: 123456.78 is too wide for N(8,2) in line 2 [AppendFromDelimited(" + Path("in.txt") + ")]");
  EXPECT_EQ(RecordText(narrow, 1, 1, 8) + RecordText(narrow, 2, 1, 8), "    1.50    2.25");
  CloseDatabase();
  std::string shortText = Create("short.dbf", {F("NUM", 'C', 3)});
  Use(shortText + " EXCLUSIVE");
  TzLastError = 0;
  AppendFrom(narrow);
  EXPECT_EQ(TzLastError, 106);
  EXPECT_EQ(TzErrorDetail, "Field NUM: 1.50 is too wide for C(3) in record 1 [AppendFrom(" + narrow + ")]")
      << "a text field narrower than the number";
}

class StoredNumberDatasets : public DatasetTest {};

// A virtual dataset shows a value as it saves it: 2.675 in N(9,2) is 2.68.
TEST_F(StoredNumberDatasets, AVirtualDatasetShowsWhatItSaves) {
  std::string p = Path("v.dbf");
  {
    TTzVFile v("v");
    v.DbfFields = {"NAME,C,4,0", "PRICE,N,9,2"};
    v.SetDbfFileName(p);
    v.SaveToDisk = true;
    v.SetActive(true);
    v.Append();
    v.FieldByName("NAME").SetAsString("A");
    v.FieldByName("PRICE").SetAsString("2.675");
    v.Post();
    EXPECT_EQ(AllTrim(v.SField(2)), "2.68");
    v.SetActive(false);
  }
  EXPECT_EQ(RecordText(p, 1, 5, 9), "     2.68");
}

// The whole-number read of a dataset names a stored "  12ab" in Edit state
// too, while the field holds what it was read as; a value given to it is read.
TEST_F(StoredNumberDatasets, AWholeNumberReadNamesNoNumberWhileEditing) {
  std::string p = FilledTable("qty.dbf", {F("QTY", 'N', 6), F("NAME", 'C', 4)}, {{"1", "A"}});
  StoreTexts(p, {"  12ab"}, 6);
  TTzDbf ds("qty");
  Open(ds, p);
  ds.Edit();
  ds.FieldByName("NAME").SetAsString("B");
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { ds.FieldAsInteger("QTY"); }), "Field QTY holds no number (\"12ab\")");
  ds.Post();
  EXPECT_EQ(RecordText(p, 1, 0, 11), "   12abB   ");
  ds.Edit();
  ds.FieldByName("QTY").SetAsInteger(7);
  EXPECT_EQ(ds.FieldAsInteger("QTY"), 7);
  ds.Post();
  EXPECT_EQ(RecordText(p, 1, 0, 11), "      7B   ");
}
