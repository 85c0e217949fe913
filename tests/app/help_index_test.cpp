#include "app/help_index.h"

#include "app_test_support.h"
#include "calc/table_access.h"
#include "platform/dialogs.h"

namespace {

using HelpIndexTest = AppTest;

TEST_F(HelpIndexTest, ShowsTheHelpTableOrderedByNumber) {
  std::string caption, first;
  TableDialogHook = [&](std::string_view, int, std::int32_t&) {
    caption = DbfDialogCaption(1);
    DbfFirst();
    first = DbfFieldText(1);
    return false;
  };
  ShowHelpIndex();
  TableDialogHook = nullptr;
  EXPECT_EQ(caption, "BQ4 Help Database");
  EXPECT_EQ(first, "1030");
  EXPECT_FALSE(DbfTableOpen());
}

TEST_F(HelpIndexTest, MissingTableIsReported) {
  DbfDir = dir_;
  {
    platform::DialogScript script;
    script.Ok().Expect("not found");
    ShowHelpIndex();
  }
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
