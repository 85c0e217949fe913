// Every form and table shows a help topic about its own subject, and F1
// finds the help of the focused field or form.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QUrl>

#include <fstream>
#include <functional>
#include <memory>

#include "app/forms/printconf_form.h"
#include "app/main_window.h"
#include "../fake_programs.h"
#include "app_test_support.h"
#include "calc/calc_tables.h"
#include "calc/forms/bolt_form.h"
#include "calc/forms/calc_options_form.h"
#include "calc/forms/clamped_plate_form.h"
#include "calc/forms/eccentric_form.h"
#include "calc/forms/friction_form.h"
#include "calc/forms/load_form.h"
#include "calc/forms/nut_form.h"
#include "calc/forms/preliminary_design_form.h"
#include "calc/forms/tightening_form.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "framework/forms/help_key.h"
#include "framework/forms/printmac_form.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/qt_text.h"

namespace {

using HelpTopics = AppTest;

struct FormRow {
  const char* form;
  std::function<std::unique_ptr<QDialog>()> make;
  const char* button;
  const char* topic;  // words of the help text that names the form's subject
};

// The help button of each form shows a topic about that form.
TEST_F(HelpTopics, EachFormsHelpButtonShowsATopicAboutThatForm) {
  const FormRow rows[] = {
      {"nut", [] { return std::make_unique<TForm_bq4nut>(); }, "Button_hilfetext", "Nut: hexagon nut"},
      {"friction", [] { return std::make_unique<TForm_bq4reib>(); }, "Button_help", "friction in the thread"},
      {"eccentric", [] {
         Klemmstuecke.nPlates = 2;  // the form is for two clamped parts or more
         return std::make_unique<TForm_exz>();
       }, "Button_help", "Force introduction"},
      {"options", [] { return std::make_unique<TForm_bq4conf>(); }, "Button_help", "Calculation base"},
      {"tightening", [] { return std::make_unique<TForm_bq4anzi>(); }, "Button_help", "tightening torque"},
      {"load", [] { return std::make_unique<TForm_bq4last>(); }, "Button_hilfetext", "Load: the axial load"},
      {"plates", [] { return std::make_unique<TForm_klemmstueck>(); }, "Button_hilfetext", "Clamped parts"},
      {"pre-dimensioning", [] { return std::make_unique<TForm_vorauslegung>(); }, "Button_hilfe",
       "Preliminary design"},
      {"printout", [] { return std::make_unique<TForm_printconf>(false); }, "Button_help", "Printout settings"},
      {"print macro", [] { return std::make_unique<TForm_printmac>(); }, "Button_help", "Print macro"},
  };
  for (const FormRow& row : rows) {
    SCOPED_TRACE(row.form);
    HelpNumber = 1000;  // another form's number must not leak in
    std::unique_ptr<QDialog> form = row.make();
    auto* button = form->findChild<QAbstractButton*>(row.button);
    ASSERT_NE(button, nullptr);
    platform::DialogScript script;
    script.Ok().Expect(row.topic);
    button->click();
  }
}

// A table's help names that table; the bolt-length pick and the tightening
// tools show their own tables' help, not another table's.
TEST_F(HelpTopics, EachTableHasItsOwnTopic) {
  struct Row {
    TCalcTableNo table;
    const char* topic;
  };
  for (const Row& row : {Row{kThreadTable, "Thread table"}, Row{kHexNutTable, "nuts DIN 934"},
                         Row{kTighteningTable, "Tightening methods"}, Row{kInterfaceFrictionTable, "interfaces"},
                         Row{kWasherTable, "Washers"}, Row{kLengthTable, "bolt lengths"},
                         Row{kBoltMaterialTable, "Bolt materials"}}) {
    SCOPED_TRACE(row.topic);
    const HelpEntry entry = LookupHelpEntry(static_cast<Word>(CalcTableHelpNumber(row.table)));
    EXPECT_NE(entry.lines[0].find(row.topic), std::string::npos) << entry.lines[0];
  }
  Word shown = 0;
  TableDialogHook = [&](std::string_view, int, std::int32_t&) {
    shown = HelpNumber;
    return false;
  };
  SelectBoltLength(40);
  EXPECT_EQ(shown, CalcTableHelpNumber(kLengthTable));
  AbortFlag = 0;
  InputBoltMaterial();
  EXPECT_EQ(shown, CalcTableHelpNumber(kBoltMaterialTable));
  TableDialogHook = nullptr;
}

// F1: the focused field's own topic; a field without one takes its form's
// help button; the main window shows the program's overview.
TEST_F(HelpTopics, F1ShowsTheHelpOfTheFocusedFieldOrForm) {
  TForm_bq4bolt bolt;
  auto* type = bolt.findChild<QComboBox*>("ComboBox_typ");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(WidgetHelpNumber(type), 4350);
  {
    platform::DialogScript script;
    script.Ok().Expect("No.4350");
    ShowHelpForFocus(type);
  }
  // A field takes the help of its label.
  auto* d2 = bolt.findChild<QLineEdit*>("Edit_d2");
  ASSERT_NE(d2, nullptr);
  EXPECT_EQ(WidgetHelpNumber(d2), 5120);
  TForm_bq4reib friction;
  auto* edit = friction.findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  if (WidgetHelpNumber(edit) == 0) {
    platform::DialogScript script;
    script.Ok().Expect("friction in the thread");
    ShowHelpForFocus(edit);
  }
  Thh main;
  InstallHelpKey();
  AbortFlag = 1;
  platform::DialogScript script;
  script.Ok().Expect("No.4000");
  main.setFocus();
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(&main, &f1);
  EXPECT_EQ(AbortFlag, 1);  // the help leaves the command's state alone
}

}  // namespace

namespace {

// Help, History shows the change history shipped beside the program.
TEST_F(HelpTopics, HistoryShowsTheShippedChangeHistory) {
  Thh main;
  WordProcessorPath.clear();
  platform::DialogScript script;
  script.Ok().Expect("History");
  main.mi_helphistoryClick();
  EXPECT_EQ(script.Pending(), 0u);
  PltDir = dir_;
  script.Ok().Expect("not found");
  main.mi_helphistoryClick();
}

// The shipped history names what the program has: every batch switch, many
// projects in one run, and the nine menu languages.
TEST_F(HelpTopics, HistoryListsTheBatchModesAndTheMenuLanguages) {
  std::ifstream in(PltDir + "/history.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(text.empty());
  for (const char* said : {"/I ", "/JSON", "/PDF", "/CADi:j", "a.bq4 b.bq4", "nine languages", "German", "English",
                           "French", "Italian", "Swedish", "Portuguese", "Romanian", "Korean", "Spanish", "(File > Settings, Save)"})
    EXPECT_NE(text.find(said), std::string::npos) << said;
  EXPECT_EQ(text.find("German, English and Korean."), std::string::npos);
}

// The web page and the mail link go to the desktop's opener as addresses
// (never as file names), the mail's subject percent-encoded; when nothing
// opens them, a message says so.
TEST_F(HelpTopics, WebAndMailLinksGoOutAsAddressesAndSaySoWhenNothingOpensThem) {
  Thh main;
  platform::RecordProgramStarts(false);
  const int wait = platform::SetOpenerWaitMs(5000);
  FakePrograms fakes(dir_ + "/bin");
  fakes.Add("xdg-open", 0);
  main.mi_helpwwwClick();
  main.mi_helpemailClick();
  const std::vector<std::string> sent = fakes.Arguments("xdg-open");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "https://www.bq4.example");
  const std::string mail = "mailto:support@bq4.example?subject=";
  ASSERT_EQ(sent[1].rfind(mail, 0), 0u) << sent[1];
  const std::string subject = sent[1].substr(mail.size());
  EXPECT_EQ(subject.find_first_of(" ?&#"), std::string::npos) << subject;
  const std::string expected = ProgShortName + " " + ProgVersion + " " + ProgTitle.str();
  EXPECT_EQ(QUrl::fromPercentEncoding(QByteArray::fromStdString(subject)),
            platform::QStringFromDisplay(expected));

  fakes.Add("xdg-open", 3);  // no browser, no mail program
  platform::DialogScript script;
  script.Ok().Expect("No web browser could open https://www.bq4.example");
  script.Ok().Expect("No mail program could open a mail to support@bq4.example");
  main.mi_helpwwwClick();
  main.mi_helpemailClick();
  platform::SetOpenerWaitMs(wait);
}

}  // namespace
