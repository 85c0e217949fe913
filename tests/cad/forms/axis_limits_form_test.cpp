#include <gtest/gtest.h>

#include "../diagram_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "cad/axis_frame.h"
#include "cad/forms/axis_limits_form.h"
#include "platform/qt_text.h"

namespace {

class AxisLimitsFormTest : public DiagramTest {};

TEST_F(AxisLimitsFormTest, EditsStartWithTheLastLimitsCalculateOffersTheAutomaticOnesAndOkRefusesNonNumbers) {
  PlotState.UserAxisLimits = {-5, 2.5L, 120, 40};
  TEinDiagramLimits form;
  EXPECT_EQ(form.Edit_xmin->text(), "-5");
  EXPECT_EQ(form.Edit_ymin->text(), "2.5");
  EXPECT_EQ(form.Edit_xmax->text(), "120");
  EXPECT_EQ(form.Edit_ymax->text(), "40");
  // Calculate offers the automatic limits.
  SetDiagramLimitsCalc(form, 0, -10, 100, 50);
  form.Button_calcClick();
  EXPECT_EQ(form.Edit_xmax->text(), "100");
  EXPECT_EQ(form.Edit_ymin->text(), "-10");
  EXPECT_EQ(form.Edit_ymax->text(), "50");
  PlotState.UserAxisLimits = {0, 0, 10, 10};
  form.Edit_xmin->setText("1,5");
  form.Edit_xmax->setText("abc");
  form.Edit_ymin->setText("-2");
  form.Edit_ymax->setText("75");
  {
    // Refused, naming the field; the form stays open with the text, nothing stored.
    platform::DialogScript script;
    script.Ok().Expect("x max: Invalid Input \"abc\" !");
    form.Button_okClick();
  }
  EXPECT_NE(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.Edit_xmax->text(), "abc");
  EXPECT_EQ(PlotState.UserAxisLimits.xmin, 0);
  EXPECT_EQ(PlotState.UserAxisLimits.xmax, 10);
  form.Edit_xmax->setText("80");
  form.Button_okClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(PlotState.UserAxisLimits.xmin, 1.5L);
  EXPECT_EQ(PlotState.UserAxisLimits.xmax, 80);
  EXPECT_EQ(PlotState.UserAxisLimits.ymin, -2);
  EXPECT_EQ(PlotState.UserAxisLimits.ymax, 75);
  // Cancel sets the abort flag and stores nothing.
  TEinDiagramLimits cancelled;
  cancelled.Edit_xmax->setText("99");
  cancelled.Button_cancelClick();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(PlotState.UserAxisLimits.xmax, 80);
}

}  // namespace
