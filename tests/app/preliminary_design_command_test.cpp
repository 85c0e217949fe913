// Edit > Pre-Dimensioning in the main window: the accepted proposal is
// applied, calculated and drawn; what stands in its way is named.
#include "app/main_window.h"

#include "app_test_support.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/display_list.h"
#include "framework/drawing.h"
#include "platform/dialogs.h"

namespace {

using PreliminaryDesignCommandTest = AppTest;

// The form with the axial force typed in, then the proposal item (0-based).
void Propose(platform::DialogScript& s, int item) {
  s.Ok({{"Edit_fa", "30000"}});
  s.Ok({{"RadioGroup_items", "#" + std::to_string(item)}}).Expect("possible variations");
}

TEST_F(PreliminaryDesignCommandTest, TheAppliedProposalCalculatesAndItsViewIsDrawn) {
  Sample("null.bq4");
  Thh main;
  main.Item("mi_viewQuick")->trigger();
  const struct {
    int item;
    const char* designation;
  } steps[] = {{2, "ISO 4014 - M16 x 60 - 8.8 SW24"}, {0, "ISO 4014 - M12 x 60 - 12.9 SW18"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.designation);
    InputModified = 0;
    Answered([&](auto& s) { Propose(s, step.item); }, [&] { main.mi_editvorauslegungClick(); });
    EXPECT_EQ(InputModified, 1);
    EXPECT_EQ(CalcFatalFlag, 0);
    EXPECT_EQ(CalcMessages.count, 0);
    EXPECT_EQ(PlainBoltDesignation(), step.designation);
    EXPECT_GT(DisplayList->size(), 10u);  // the quick view again, not a blank screen
  }

  // A plate too narrow for the M16 hole: named, and the joint stays M12.
  Klemmstuecke.De[1] = 15;
  InputModified = 0;
  Answered(
      [&](auto& s) {
        Propose(s, 2);
        s.Ok().Expect("clamping plate 1: outer diameter De = 15 mm");
      },
      [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(Gewinde.d, 12);
  EXPECT_GT(DisplayList->size(), 10u);
}

}  // namespace
