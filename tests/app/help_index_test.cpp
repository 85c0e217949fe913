#include "app/help_index.h"

#include "app_test_support.h"
#include "calc/table_access.h"
#include "platform/dialogs.h"

namespace {

using HelpIndexTest = AppTest;

// The help table is shown ordered by number, and every topic of the index
// leads to its own text, and a topic with a sketch draws it; none says
// "No help available".
TEST_F(HelpIndexTest, EveryTopicShowsItsTextAndAMissingTableIsReported) {
  PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  std::int32_t count = 0;
  std::string first;
  int mode = 0;
  TableDialogHook = [&](std::string_view, int shownMode, std::int32_t&) {
    mode = shownMode;
    count = DbfRecordCount();
    DbfFirst();
    first = DbfFieldText(1);
    return false;
  };
  ShowHelpIndex();
  EXPECT_EQ(first, "1000");
  EXPECT_EQ(mode, 1);  // shown for reading: no entry can be changed or deleted
  EXPECT_FALSE(DbfTableOpen());
  ASSERT_GT(count, 100);
  for (std::int32_t record = 1; record <= count; ++record) {
    std::string topic;
    TableDialogHook = [&](std::string_view, int, std::int32_t& chosen) {
      chosen = record;
      GotoDbfRecord(record);
      topic = DbfFieldText(1);
      return true;
    };
    platform::DialogScript script;
    script.Ok();
    ShowHelpIndex();
    ASSERT_EQ(script.Shown().size(), 1u) << record;
    EXPECT_EQ(script.Shown()[0].caption, "HELP TEXT No." + topic);
    EXPECT_EQ(script.Shown()[0].text.find("No help available"), std::string::npos) << topic;
    EXPECT_EQ(script.Shown()[0].text.find("not found"), std::string::npos) << topic;
  }
  TableDialogHook = nullptr;
  // A missing table is reported.
  DbfDir = dir_;
  Answered([&](auto& s) { s.Ok().Expect("not found"); }, [&] { ShowHelpIndex(); });
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
