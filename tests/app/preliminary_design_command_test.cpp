// Edit > Pre-Dimensioning in the main window: the accepted proposal is
// applied and calculated, and the screen is cleared.
#include "app/main_window.h"

#include "app_test_support.h"
#include "calc/designation.h"
#include "framework/calc_messages.h"
#include "framework/display_list.h"
#include "platform/dialogs.h"

namespace {

using PreliminaryDesignCommandTest = AppTest;

TEST_F(PreliminaryDesignCommandTest, TheAppliedProposalCalculatesAndTheScreenIsCleared) {
  Sample("null.bq4");
  Thh main;
  main.Item("mi_viewQuick")->trigger();
  InputModified = 0;
  Answered(
      [&](auto& s) {
        s.Ok({{"Edit_fa", "30000"}});
        s.Ok({{"RadioGroup_items", "#2"}}).Expect("possible variations");
      },
      [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(InputModified, 1);
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_EQ(CalcMessages.count, 0);
  EXPECT_EQ(PlainBoltDesignation(), "ISO 4014 - M16 x 60 - 8.8 SW24");
  EXPECT_TRUE(DisplayList->empty());
}

}  // namespace
