// Edit > Pre-Dimensioning in the main window: the accepted proposal is
// applied and calculated, and the screen is cleared.
#include "app/main_window.h"

#include "app_test_support.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
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
        s.Ok({{"Edit_fa", "25000"}});
        s.Ok({{"RadioGroup_items", "#2"}}).Expect("possible variations");
      },
      [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(InputModified, 1);
  // The plates keep their M12 holes: the calculation names both.
  EXPECT_EQ(CalcFatalFlag, 0);
  ASSERT_EQ(CalcMessages.count, 2);
  EXPECT_EQ(CalcMessages.texts[1].str(), "Error  : Di < d !  (1)");
  EXPECT_EQ(CalcMessages.texts[2].str(), "Error  : Di < d !  (2)");
  EXPECT_EQ(PlainBoltDesignation(), "ISO 4014 - M16 x 60 - 8.8 SW24");
  EXPECT_TRUE(DisplayList->empty());
}

TEST_F(PreliminaryDesignCommandTest, ACancelledProposalLeavesTheJointItsResultsAndTheModifiedMarkAlone) {
  Sample("null.bq4");
  Thh main;
  main.Item("mi_viewQuick")->trigger();
  InputModified = 0;
  Last.FAmin = 2000;
  const LASTTYPE load = Last;
  const Word method = Montage.TighteningMethod;
  const std::string bolt = PlainBoltDesignation();
  Last.FSAmax = 12345;  // a result no calculation of this joint gives
  Answered(
      [&](auto& s) {
        s.Ok({{"Edit_fa", "9000"}, {"RadioGroup_statdyn", "#0"}, {"RadioGroup_anz", "#0"}});
        s.Cancel().Expect("possible variations");
      },
      [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(Last.FSAmax, 12345);
  EXPECT_EQ(Last.FAmax, load.FAmax);
  EXPECT_EQ(Last.FAmin, 2000);
  EXPECT_EQ(Last.LoadKind, load.LoadKind);
  EXPECT_EQ(Last.LoadCase, load.LoadCase);
  EXPECT_EQ(Last.FQ, load.FQ);
  EXPECT_EQ(Montage.TighteningMethod, method);
  EXPECT_EQ(PlainBoltDesignation(), bolt);
}

}  // namespace
