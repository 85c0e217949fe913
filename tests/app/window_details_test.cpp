// Details of the window a user meets: Cancel undoes a unit switch, a saved
// project's new name reaches the drawing shown, a print file chosen in the
// Printout form is the one written, the forms' number buttons show the
// decimal sign of the forms, and the message printout counts its pages.
#include "framework/calc_messages.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "../framework/output_test_support.h"
#include "app/forms/printconf_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/forms/eccentric_form.h"
#include "calc/forms/load_form.h"
#include "calc/forms/tightening_form.h"
#include "calc/joint_records.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

namespace {

using WindowDetailsTest = AppTest;

bool ListHolds(const std::string& text) {
  for (const std::string& line : DisplayList->Lines())
    if (line.find(text) != std::string::npos) return true;
  return false;
}

TEST_F(WindowDetailsTest, CancelSaveAsPrintFileNumberButtonsAndMessagePagesAreAsTheUserSeesThem) {
  Sample("null.bq4");
  Thh main;

  // The eccentric form's unit button pressed an odd number of times, then Cancel.
  Klemmstuecke.nPlates = 2;
  for (int presses : {1, 2, 3}) {
    UnitSystem = 0;
    TForm_exz form;
    for (int i = 0; i < presses; ++i) form.Button_metricClick();
    EXPECT_EQ(UnitSystem, presses % 2);
    form.Button_cancelClick();
    EXPECT_EQ(UnitSystem, 0) << presses;
  }

  // Saved under another name: the drawing shown names the new file at once.
  main.Item("mi_viewtabellenzeichnung")->trigger();
  ASSERT_FALSE(ListHolds("renamed.bq4"));
  const std::string renamed = dir_ + "/renamed.bq4";
  Answered([&](auto& s) { s.File(renamed); }, [&] { main.mi_FileSaveAsClick(); });
  EXPECT_TRUE(ListHolds("renamed.bq4"));

  // A PDF file chosen with "Printer" in the Printout form is the one written;
  // no second dialog proposes another.
  const std::string chosen = dir_ + "/chosen.pdf";
  {
    platform::DialogScript script;
    TForm_printconf form(false, &main);
    script.Ok({{"file", chosen}});
    form.Button_printerClick();
    form.Edit_scalex->setText("1");
    form.Button_okClick();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Shown().size(), 1u);
  }
  EXPECT_GT(QFileInfo(QString::fromStdString(chosen)).size(), 1000);
  platform::ResetPrinter();

  // Where the forms show ",", so do their number buttons and what they fill in.
  DecimalCommaMode = 2;
  {
    TForm_bq4last load;
    EXPECT_EQ(load.Button_n105->text().toStdString(), "0,5");
    load.Button_n205->click();
    EXPECT_EQ(load.Edit_n2->text().toStdString(), "0,5");
    TForm_bq4anzi tightening;
    tightening.Button_ktau->click();
    EXPECT_EQ(tightening.Edit_ktau->text().toStdString(), "0,5");
  }
  DecimalCommaMode = 1;

  // The message printout over more than one page counts them.
  ClearCalcMessages();
  for (int i = 1; i <= 30; ++i) AddErrorMessage("Warning: message " + std::to_string(i));
  CalcFatalFlag = 0;
  LinesPerPage = 40;
  Answered([&](auto& s) { s.Ok(); }, [&] { PrintCalculationMessages(); });
  const std::string shown = ReadBytes(dir_ + "/outwin.txt");
  int pages = 0;
  for (std::size_t at = 0; (at = shown.find("pg.", at)) != std::string::npos; ++at) ++pages;
  ASSERT_GT(pages, 1);
  EXPECT_NE(shown.find("pg. 1/" + IntToTextWidth(pages, 2)), std::string::npos);
  EXPECT_NE(shown.find("pg." + IntToTextWidth(pages, 2) + "/" + IntToTextWidth(pages, 2)), std::string::npos);
}

}  // namespace
