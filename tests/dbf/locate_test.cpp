#include "dbf/locate.h"

#include "dbf/memo.h"
#include "dbf/vfiles.h"
#include "dbf_test_util.h"

using namespace dbftest;

namespace {

class Locate : public DbfTest {
 protected:
  // NAME C10 and SIZE N5 with the given rows, opened exclusively.
  void Rows(const std::vector<std::vector<std::string>>& rows) {
    Filled("rows.dbf", {F("NAME", 'C', 10), F("SIZE", 'N', 5)}, rows);
  }
};

TEST_F(Locate, PrefixExactContainedAndCase) {
  Rows({{"xyz", "1"}, {"ABC", "2"}, {"abc", "3"}});
  EXPECT_EQ(ParseFieldCondition("name"), 1);
  // Record found, 0 at the end; "ABC" differs from "abc" in case.
  for (auto [text, condition, rec] : {std::tuple<const char*, const char*, int>{"AB", "NAME", 2}, {"AB", "NAME EXACT", 0},
                                      {"B", "NAME CONTAINED", 2}, {"abc", "NAME", 3}, {"abc", "NAME NOCASE", 2}}) {
    LocateText = text;
    LocateScan(1, ParseFieldCondition(condition), true);
    EXPECT_EQ(dEOF() ? 0 : RecNo(), rec) << text << " " << condition;
    if (rec == 0) {
      EXPECT_EQ(LocateField, 0);
    }
  }
  Continue();
  EXPECT_EQ(RecNo(), 3);
  Continue();
  EXPECT_TRUE(dEOF());
  // A failed scan clears the field: nothing to continue.
  Continue();
  EXPECT_EQ(TzLastError, 220);
  EXPECT_NE(TzErrorDetail.find("Call to CONTINUE not preceeded by call to LOCATE. [Continue]"), std::string::npos);

  EXPECT_EQ(ParseFieldCondition(""), 0);
  EXPECT_NE(TzErrorDetail.find("No field name specified [Locate/Count/Sum]"), std::string::npos);
  EXPECT_EQ(ParseFieldCondition("WEIGHT NOCASE"), 0);
  EXPECT_NE(TzErrorDetail.find("Unrecognized field name [Locate/Count/Sum(WEIGHT NOCASE)]"), std::string::npos);
}

TEST_F(Locate, ValuesOfEveryFieldType) {
  Sample(5);
  struct Case {
    const char* field;
    TLocateValue value;
    bool noCase;
    int start;
    bool exact;
    int rec;  // 0: not found
  };
  for (const Case& c : {Case{"QTY", 3, false, 1, true, 3}, Case{"qty", 4, false, 1, false, 4},
                        Case{"PRICE", 2.5, false, 1, true, 2}, Case{"OK", true, false, 1, false, 2},
                        Case{"DAY", "20240517", false, 3, false, 3}, Case{"DAY", "05/17/24", false, 1, true, 1},
                        Case{"NAME", "r5", true, 1, true, 5}, Case{"NAME", "R6", false, 1, false, 0}}) {
    bool found = LocateValue(c.field, c.value, c.noCase, c.start, c.exact);
    EXPECT_EQ(found ? RecNo() : 0, c.rec) << c.field;
  }

  // Text stored in code page 437 is found with the program's text.
  Go(2);
  SetFieldText(1, "Gr\xF6\xDF" "e");
  Replace();
  EXPECT_EQ(Landed(LocateValue("NAME", "gr\xF6\xDF" "e", true, 1, false)), 2);

  // Hidden records are stepped over.
  DeleteRec();
  SetIgnoreDel(true);
  EXPECT_FALSE(LocateValue("NAME", "gr", true, 1, false));

  // A number field wider than any number is compared by its digits.
  CloseDatabase();
  Filled("wide.dbf", {F("N", 'N', 150)}, {{"1"}, {"2"}});
  EXPECT_EQ(Landed(LocateValue("N", 2, false, 1, true)), 2);
}

// Several fields agree on one record; conditions run through the expression unit.
TEST_F(Locate, SeveralFieldsAndConditionExpressions) {
  Rows({{"A", "1"}, {"B", "2"}, {"A", "3"}, {"A", "2"}, {"A", "2"}});
  Go(2);
  EXPECT_EQ(Landed(LocateFields("NAME;SIZE", {"A", 2}, false, false, true)), 2);  // without move the record stays
  EXPECT_EQ(Landed(LocateFields("NAME;SIZE", {"A", 2}, false, true, true)), 4);
  EXPECT_EQ(Landed(LocateFields("NAME;SIZE", {"B", 3}, false, true, true)), -4);
  EXPECT_EQ(Landed(LocateFields("SIZE", {3}, false, true, true)), 3);
  EXPECT_EQ(FieldItem(1, "A; B ;C"), "B");
  EXPECT_EQ(FieldItem(5, "A;B"), "");
  EXPECT_EQ(Landed(LocateFor("SIZE = 2 .AND. TRIM(NAME) <> 'B'")), 4);
  Continue();
  EXPECT_EQ(RecNo(), 5);
  Continue();
  EXPECT_TRUE(dEOF());
  Continue();
  EXPECT_EQ(TzLastError, 220);  // the condition ended with the scan
  EXPECT_FALSE(LocateFor("SIZE = "));
  EXPECT_NE(TzLastError, 0);

  TExprHooks saved = ExprHooks;
  ExprHooks = TExprHooks{};
  EXPECT_FALSE(LocateFor("SIZE = 3"));
  EXPECT_EQ(TzLastError, 220);
  EXPECT_NE(TzErrorDetail.find("Expression unit not linked in"), std::string::npos);
  ExprHooks = saved;
  EXPECT_TRUE(LocateFor("SIZE = 2"));  // held until the next scan or start-up
}

// Numbers are compared whole: 4 is not found in 42, and a search text of
// another form finds the same number.
TEST_F(Locate, NumbersAreComparedWhole) {
  Filled("n.dbf", {F("NAME", 'C', 10), F("SIZE", 'N', 5), F("PRICE", 'N', 8, 2)},
         {{"a", "42", "4.5"}, {"b", "4", "45"}, {"c", "0", "4.5"}});
  EXPECT_EQ(Landed(LocateValue("SIZE", 4, false, 1, false)), 2);
  EXPECT_EQ(Landed(LocateValue("SIZE", "4", false, 1, false)), 2);
  EXPECT_EQ(Landed(LocateValue("PRICE", 45, false, 1, false)), 2);
  EXPECT_EQ(Landed(LocateValue("PRICE", 4.5, false, 2, false)), 3);
  for (auto [text, rec] : {std::pair<const char*, int>{"4", 2}, {"4.00", 2}, {"+42", 1}, {"420", 0}, {"**", 0}}) {
    LocateText = text;
    LocateScan(1, ParseFieldCondition("SIZE"), true);
    EXPECT_EQ(dEOF() ? 0 : RecNo(), rec) << text;
  }
  LocateText = "2";
  LocateScan(1, ParseFieldCondition("SIZE CONTAINED"), true);
  EXPECT_EQ(RecNo(), 1);
}

// Without move, LocateFields leaves the work area where it stood, after the
// end too.
TEST_F(Locate, FieldsWithoutMoveKeepThePositionAfterTheEnd) {
  Rows({{"A", "1"}, {"B", "2"}});
  GoBottom();
  Skip(1);
  ASSERT_TRUE(dEOF());
  EXPECT_TRUE(LocateFields("NAME", {"A"}, false, false, false));
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(RecNo(), 3);
  EXPECT_TRUE(LocateFields("NAME;SIZE", {"B", 2}, false, false, true));
  EXPECT_TRUE(dEOF());
}

TEST_F(Locate, MemoFieldsAreSearchedLineByLine) {
  Use(Create("m.dbf", {F("NAME", 'C', 10), F("NOTES", 'M', 10)}) + " EXCLUSIVE");
  for (const char* text : {"first line\r\nnothing", "alpha\r\nthe Bolt is here", ""})
    AppendTexts({{"", std::to_string(AddMemo(text))}});
  EXPECT_EQ(Landed(LocateValue("NOTES", "bolt", true, 1, false)), 2);
  EXPECT_FALSE(LocateValue("NOTES", "bolt", false, 1, false));
  MemoHooks.AssignMemo = nullptr;
  EXPECT_FALSE(MemoContains("X", "1"));
  EXPECT_NE(TzErrorDetail.find("MEMO unit not linked in"), std::string::npos);
}

TEST_F(Locate, VirtualTablesCompareFormattedValues) {
  UseVirtual("v", {F("NAME", 'C', 10), F("SIZE", 'N', 6, 2)});
  AppendTexts({{"V1", "1.5"}, {"V2", "3"}, {"V3", "4.5"}});
  Go(1);
  EXPECT_EQ(Landed(LocateValue("SIZE", 4.5, false, 1, true)), 3);
  Go(1);
  EXPECT_EQ(Landed(LocateValue("NAME", "v2", true, 1, false)), 2);
}

}  // namespace
