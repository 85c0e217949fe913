// Edit > Pre-Dimensioning in the main window: the accepted proposal is
// applied and calculated, and the screen is cleared, or shows the messages
// of a fatal calculation.
#include "app/main_window.h"

#include <QAction>

#include "app_test_support.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

namespace {

using PreliminaryDesignCommandTest = AppTest;

std::string Caption(const Thh& w, const std::string& item) { return w.Item(item)->text().toStdString(); }

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

// A proposal that leaves the joint fatal (an M12 head on 17.5 mm bores) shows
// the messages on the screen, as every fatal calculation does.
TEST_F(PreliminaryDesignCommandTest, AProposalThatLeavesTheJointFatalShowsItsMessages) {
  Sample("null.bq4");
  Thh main;
  main.Item("mi_viewQuick")->trigger();
  for (int i = 1; i <= Klemmstuecke.nPlates; ++i) Klemmstuecke.Di[i] = 17.5L;
  Answered(
      [&](auto& s) {
        s.Ok({{"Edit_fa", "16000"}});
        s.Ok({{"RadioGroup_items", "#1"}}).Expect("possible variations");
        s.Cancel().Expect("Select message for more info");
      },
      [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(Gewinde.d, 12);
  EXPECT_EQ(Schraube.StrengthClassCode, 2);  // 10.9
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_EQ(ItemTexts[2].str(), "Fatal  : di > dw !");  // the bores beyond the head's bearing circle
  EXPECT_FALSE(DisplayList->empty());
  EXPECT_NE(Caption(main, "mi_viewErrorMessages").find("(" + std::to_string(CalcMessages.count) + ")"),
            std::string::npos);
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
