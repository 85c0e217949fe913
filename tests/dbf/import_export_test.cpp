#include "dbf/import_export.h"

#include "dbf/memo.h"
#include "dbf/record_cache.h"
#include "dbf/vfiles.h"
#include "dbf_test_util.h"

using namespace dbftest;

namespace {

class ImportExport : public DbfTest {
 protected:
  std::string Empty(const std::string& name) {
    return Create(name, {F("NAME", 'C', 10), F("QTY", 'N', 5), F("PRICE", 'N', 8, 2), F("DAY", 'D', 8),
                         F("OK", 'L', 1)});
  }
};

TEST_F(ImportExport, DelimitedRoundTripWithQuotesAndSeparators) {
  Sample(3);
  Go(1);
  SetFieldText(1, "a,b");
  Replace();
  Go(2);
  SetFieldText(1, "say \"hi\"");
  Replace();
  std::string out = Path("out");
  EXPECT_EQ(CopyToDelimited(out), 3);
  std::string text = ReadText(out + ".txt");
  EXPECT_EQ(text,
            "\"a,b\",1,1.25,20240517,F\r\n"
            "\"say \"\"hi\"\"\",2,2.50,20240517,T\r\n"
            "\"R3\",3,3.75,20240517,F\r\n\x1A");

  Select(2);
  Use(Empty("back.dbf") + " EXCLUSIVE");
  EXPECT_EQ(AppendFromDelimited(out + ".txt", true), 3);
  ASSERT_EQ(RecCount(), 3);
  Go(1);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), "a,b");
  Go(2);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), "say \"hi\"");
  EXPECT_EQ(GetFieldValue(2), 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(GetFieldValue(3)), 2.5);
  EXPECT_EQ(GetFieldText(4), "05/17/24");
  EXPECT_TRUE(GetFieldLogical(5));
}

TEST_F(ImportExport, ShortLongAndOddLines) {
  Use(Empty("in.dbf") + " EXCLUSIVE");
  std::string in = Path("in.txt");
  std::ofstream(in, std::ios::binary) << "  \"only\"\n"
                                         "x,7,1.5,05/17/24,y,extra,items\r"
                                         "\r\n"
                                         "z,,  ,20240517,no\r\n"
                                         "\x1A"
                                         "after the end mark\r\n";
  EXPECT_EQ(AppendFromDelimited(in, false), 3);
  Go(1);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), "only");
  EXPECT_EQ(GetFieldValue(2), 0);
  EXPECT_EQ(GetFieldText(4), "  /  /  ");
  Go(2);
  EXPECT_EQ(GetFieldValue(2), 7);
  EXPECT_TRUE(GetFieldLogical(5));
  std::string viaDisplay = GetFieldText(4);
  Go(3);
  EXPECT_EQ(GetFieldText(4), viaDisplay);  // eight digits and display date agree
  EXPECT_FALSE(GetFieldLogical(5));

  EXPECT_EQ(SplitDelimitedLine("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(SplitDelimitedLine("\t \"x, y\" ,z"), (std::vector<std::string>{"x, y ", "z"}));
  EXPECT_EQ(SplitDelimitedLine(std::string(300, 'q'))[0].size(), 255u);
  DelimitedLineLimit = 3;
  EXPECT_EQ(SplitDelimitedLine("ab,cd"), (std::vector<std::string>{"ab", ""}));

  EXPECT_EQ(AppendFromDelimited(Path("missing.txt"), false), 0);
  EXPECT_EQ(TzLastError, 2);
}

TEST_F(ImportExport, MemosExportAsEmptyItems) {
  std::string p = Create("m.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10), F("N", 'N', 3)});
  Use(p + " EXCLUSIVE");
  ClearRecord();
  SetFieldText(1, "a");
  SetFieldValue(2, AddMemo("memo text"));
  SetFieldValue(3, 5);
  Append();
  EXPECT_EQ(CopyToDelimited(Path("m.txt")), 1);
  EXPECT_EQ(ReadText(Path("m.txt")), "\"a\",,5\r\n\x1A");
}

TEST_F(ImportExport, AppendFromMatchesFieldsByName) {
  std::string src = Create("src.dbf", {F("OK", 'C', 3), F("QTY", 'C', 6), F("NAME", 'C', 12), F("DAY", 'C', 10),
                                       F("PRICE", 'N', 12, 3), F("EXTRA", 'N', 3)});
  Use(src + " EXCLUSIVE");
  ClearRecord();
  SetFieldText(1, "T");
  SetFieldText(2, "42.7");
  SetFieldText(3, "a long name!");
  SetFieldText(4, "05/17/24");
  SetFieldValue(5, 123456.5L);
  Append();
  DeleteRec();
  CloseDatabase();
  Use(Empty("dst.dbf") + " EXCLUSIVE");
  AppendFrom(src);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  ASSERT_EQ(RecCount(), 1);
  Go(1);
  EXPECT_TRUE(Deleted());
  EXPECT_EQ(GetFieldText(1), "a long nam");
  EXPECT_EQ(GetFieldValue(2), 42);  // integer from a text, truncated
  std::string stored;
  Peek(3, 1, stored);
  EXPECT_EQ(stored, "********");  // 123456.50 does not fit N(8,2)
  EXPECT_EQ(GetFieldText(4), "05/17/24");
  EXPECT_FALSE(GetFieldLogical(5));  // L from C is false

  // Dates and numbers into texts.
  std::string texts = Create("texts.dbf", {F("DAY", 'C', 8), F("QTY", 'C', 3), F("OK", 'C', 1)});
  CloseDatabase();
  Use(Sample(1, "one.dbf"));
  CloseDatabase();
  TzCentury = true;
  SetDateFormat(0);
  Use(texts + " EXCLUSIVE");
  AppendFrom(Path("one.dbf"));
  Go(1);
  EXPECT_EQ(GetFieldText(1), "05/17/24");  // century digits dropped to fit
  EXPECT_EQ(GetFieldText(2), "  1");
  EXPECT_EQ(GetFieldText(3), "F");
  TzCentury = false;
}

TEST_F(ImportExport, AppendFromCopiesMemosAndVirtualSources) {
  std::string src = Create("msrc.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10)});
  std::string dst = Create("mdst.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10)});
  Use(src + " EXCLUSIVE");
  for (const char* t : {"one", "two"}) {
    ClearRecord();
    SetFieldText(1, t);
    SetFieldValue(2, AddMemo(std::string("memo ") + t));
    Append();
  }
  CloseDatabase();
  Use(dst + " EXCLUSIVE");
  AppendFrom(src);
  ASSERT_EQ(RecCount(), 2);
  Go(2);
  std::string data;
  ASSERT_TRUE(ReadMemoData(static_cast<std::int32_t>(GetFieldValue(2)), data));
  EXPECT_EQ(data, "memo two");
  EXPECT_EQ(WorkAreas[35], nullptr);

  // A virtual source, and one that asks to stop after the first record.
  Select(3);
  std::uint8_t buf[32] = {};
  Use("mem VIRTUAL FILE", buf, sizeof buf);
  std::vector<TDbfFieldEntry> f{F("NAME", 'C', 4)};
  AddStru(f.data(), 1);
  for (const char* t : {"v1", "v2", "v3"}) {
    ClearRecord();
    SetFieldText(1, t);
    Append();
  }
  Select(1);
  GoTop();
  Select(3);
  GoTop();
  Select(1);
  AppendFrom("MEM VIRTUAL FILE", [] { return false; });
  EXPECT_EQ(RecCount(), 3);
  Go(3);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), "v1");
  EXPECT_EQ(GetFieldValue(2), 0);
}

TEST_F(ImportExport, AppendFromRefusals) {
  std::string p = Sample(1);
  AppendFrom(p);
  EXPECT_EQ(TzLastError, 214);
  EXPECT_NE(TzErrorDetail.find("Attempting to append file to itself. [AppendFrom("), std::string::npos);
  AppendFrom(Path("nothere"));
  EXPECT_EQ(TzLastError, 2);
  AppendFrom("ghost VIRTUAL");
  EXPECT_EQ(TzLastError, 215);
  EXPECT_NE(TzErrorDetail.find("Virtual file must be open. [AppendFrom(ghost VIRTUAL)]"), std::string::npos);
  CloseDatabase();
  AppendFrom(p);
  EXPECT_EQ(TzLastError, 215);
  // No field in common: nothing is appended.
  Use(Create("other.dbf", {F("ZZZ", 'C', 2)}) + " EXCLUSIVE");
  AppendFrom(p);
  EXPECT_EQ(TzLastError, 0);
  EXPECT_EQ(RecCount(), 0);
}

}  // namespace
