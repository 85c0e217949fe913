#include "dbf/record_cache.h"

#include <gtest/gtest.h>

#include "dbf/locks.h"
#include "dbf_test_util.h"

using dbftest::DbfTest;
using dbftest::F;

class RecordCache_ : public DbfTest {
 protected:
  void Table() {
    Filled("s.dbf", {F("A", 'C', 5), F("B", 'C', 5), F("C", 'C', 5)},
           {{"abcde", "fgh", "xyz"}, {"xx", "needl", "e"}, {"one", "two", "needl"}});
  }
};

TEST_F(RecordCache_, SearchFindsWithinOneFieldIgnoringCaseAndPeekAndPokeUseTheCache) {
  Table();
  std::uint8_t field = 0;
  Search("DEF", field, true);  // spans fields A and B
  EXPECT_EQ(field, 0);
  Search("NEEDL", field, true);
  EXPECT_EQ(field, 2);
  EXPECT_EQ(RecNo(), 2);
  field = 3;  // restricted to field C: passes the hit in field B
  Search("needl", field, true);
  EXPECT_EQ(field, 3);
  EXPECT_EQ(RecNo(), 3);
  Go(1);
  field = 0;
  Search("needl", field, false);  // from the record after the current one
  EXPECT_EQ(RecNo(), 2);
  Search("missing", field, true);
  EXPECT_EQ(field, 0);
  EXPECT_EQ(RecNo(), 2);  // stays where it began
  // The callback decides, then records outside the filter are passed over.
  SearchCallback = [] { SearchAccept = RecNo() == 3; };
  Search("needl", field, true);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(SearchFoundField, 3);
  SearchCallback = nullptr;
  TDbfWorkArea* wa = SelectedWorkArea();
  wa->filterExpression = ExprHooks.Compile("RECNO() <> 2");
  field = 0;
  Go(1);
  Search("needl", field, true);
  EXPECT_EQ(field, 3);
  EXPECT_EQ(RecNo(), 3);
  ExprHooks.Free(wa->filterExpression);
  EXPECT_EQ(wa->filterExpression, nullptr);
  // Peek and Poke read and write stored texts, with and without the cache.
  DeleteRecs({2});
  for (std::uint16_t size : {0, 4096}) {
    CacheSize = size;
    std::string v;
    Peek(0, 2, v);
    EXPECT_EQ(v, "*");
    Peek(2, 3, v);
    EXPECT_EQ(v, "two  ");
    Poke("QQ", 2, 3);
    Peek(2, 3, v);
    EXPECT_EQ(v, "QQo  ");
    Poke("two", 2, 3);
  }
  // A Replace of a cached record reaches the cache.
  Go(1);
  SetFieldText(1, "new");
  Replace();
  std::string v;
  Peek(1, 1, v);
  EXPECT_EQ(v, "new  ");
  Peek(9, 1, v);
  EXPECT_EQ(v, "");
}
