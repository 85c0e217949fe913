// The configuration dialog, the colour chooser and the plot program dialog,
// built offscreen: filled, clicked and read back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../../comma_locale.h"
#include "../output_test_support.h"
#include "framework/clock.h"
#include "framework/config_file.h"
#include "framework/file_utils.h"
#include "framework/forms/config_form.h"
#include "framework/forms/config_form_plot.h"
#include "framework/forms/graph_window.h"
#include "framework/locale_dates.h"
#include "framework/plot_program.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "platform/screen.h"
#include "../../shown_path.h"

namespace fs = std::filesystem;

namespace {

class ConfigFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    ConfigDir = dir_ = FreshTestDir("cfgform");
    TempDir = "/tmp/bq4temp";
    HorizontalPixels = 799;
    VerticalPixels = 599;
  }
  // The settings as the configuration file holds them.
  static std::string Snapshot() {
    AbortFlag = 0;
    WriteConfigFile();
    EXPECT_EQ(AbortFlag, 0);
    return ReadBytes(ConfigFileName());
  }
  static QRadioButton* Radio(QGroupBox* g, int i) {
    return g->findChild<QRadioButton*>(g->objectName() + "_" + QString::number(i));
  }
  std::string dir_;
};

// A folder whose name holds a line feed cannot be kept in the settings file
// of one value a line: the folder chooser and OK refuse it by name, the
// dialog stays open, and the settings stay as they were.
TEST_F(ConfigFormTest, FoldersHoldingALineBreakAreRefusedByName) {
  if (!FitsNameFields(dir_, 30)) GTEST_SKIP() << "the test folder's name leaves no room in a 255-byte name field";
  const std::string odd = dir_ + "/Projekte 7\nzwei";
  fs::create_directories(odd);
  const std::string before = Snapshot();
  Tconfig dlg;
  const QString shown = dlg.Edit_dirdata->text();
  {
    platform::DialogScript script;
    script.Ok({{"Edit_directory", ShownPath(odd)}});
    script.Ok().Expect("holds a line break");
    dlg.findChild<QPushButton*>("Button_dirdata")->click();
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(dlg.Edit_dirdata->text(), shown);
  dlg.Edit_dirdata->setText(QString::fromStdString(odd));  // typed or pasted
  {
    platform::DialogScript script;
    script.Ok().Expect("The name \"" + ShownPath(dir_) + "/Projekte 7|zwei\" holds a line break");
    dlg.Button_saveClick();
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(Snapshot(), before);
  dlg.Edit_dirdata->setText(QString::fromStdString(dir_));
  dlg.Button_okClick();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(DefaultDataDir, dir_);
}

TEST_F(ConfigFormTest, OkWithoutChangesOrCancelAfterChangesKeepsEverySetting) {
  const std::string before = Snapshot();
  const Extended angleX = View3DAngleX;
  {
    Tconfig dlg;
    dlg.Button_okClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(View3DAngleX, angleX);  // not even rounded through degrees

  Tconfig dlg;
  dlg.Edit_dirdbf->setText("/elsewhere");
  dlg.Edit_zoomfaktor->setText("3");
  dlg.SpinEdit_linesperpage->setValue(12);
  Radio(dlg.RadioGroup_unit, 1)->setChecked(true);
  dlg.StringGrid_layer->item(0, 0)->setText("CHANGED");
  dlg.Button_cancelClick();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(AbortFlag, 0);  // Cancel does not touch it
  EXPECT_EQ(Snapshot(), before);
}

// A folder the system takes is kept whole: OK does not cut a long one to
// the width of a classic field.
TEST_F(ConfigFormTest, LongFoldersAreKeptWhole) {
  const std::string longDir = "/tmp/" + std::string(300, 'x');
  TempDir = longDir;
  DefaultDataDir = longDir + "/data";
  {
    Tconfig dlg;
    dlg.Button_okClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  EXPECT_EQ(TempDir, longDir);
  EXPECT_EQ(DefaultDataDir, longDir + "/data");
}

TEST_F(ConfigFormTest, OkStoresValuesWithTheirConversions) {
  Tconfig dlg;
  EXPECT_EQ(dlg.Pagecontrol1->currentWidget(), dlg.Tab_grafik);
  EXPECT_EQ(dlg.Edit_x->text(), "800");  // shown as the stored value + 1
  dlg.Edit_x->setText("6000");
  dlg.Edit_y->setText("0");
  dlg.Edit_texthoehenfaktor->setText("0");
  dlg.Edit_textbreitenfaktor->setText("abc");
  dlg.Edit_massfaktorconfig->setText("0.005");
  dlg.Edit_3dx->setText("30");
  dlg.Edit_zoomfaktor->setText("1,5");
  dlg.CheckBox_zeichfilename->setChecked(false);
  dlg.CheckBox_zeichlogo->setChecked(false);
  Radio(dlg.radiogroupcadtexttyp, 2)->setChecked(true);
  Radio(dlg.RadioGroup_lpt, 1)->setChecked(true);
  Radio(dlg.RadioGroup_bildschirmgrafik, 1)->setChecked(true);
  Radio(dlg.RadioGroup_index, 3)->setChecked(true);
  dlg.StringGrid_layer->item(0, 0)->setText("TOP");  // grid row 1 is layer 5
  dlg.StringGrid_layer->item(0, 1)->setText("7");
  dlg.Edit_printerdevice->setText("/dev/usb/lp0");
  dlg.ComboBox_ausdruckdefault->setCurrentIndex(6);
  {
    // A text in a number field is refused, on whatever page it stands.
    dlg.Pagecontrol1->setCurrentWidget(dlg.Tab_cad);
    platform::DialogScript script;
    script.Ok().Expect("Textwidth/height: Invalid Input \"abc\" !");
    dlg.Button_okClick();
    EXPECT_EQ(dlg.Pagecontrol1->currentWidget(), dlg.Tab_grafik);
    EXPECT_NEAR(static_cast<double>(GraphicsTextSize), 0.8, 1e-9);  // nothing stored
    dlg.Edit_textbreitenfaktor->setText("");
  }
  dlg.Button_okClick();

  EXPECT_EQ(HorizontalPixels, 5000);
  EXPECT_EQ(VerticalPixels, platform::GetScreenInfo().height);  // 0: the whole screen
  EXPECT_EQ(TextHeightFactor, 1);
  EXPECT_EQ(GraphicsTextSize, 1);
  EXPECT_EQ(CadState.CadFactor, 1);
  EXPECT_NEAR(static_cast<double>(View3DAngleX), M_PI / 6, 1e-12);
  EXPECT_NEAR(static_cast<double>(ZoomIncrement), 1.5, 1e-12);
  EXPECT_EQ(CadState.CadNoFilePath, 1);
  EXPECT_EQ(CadState.CadNoLogo, 1);
  EXPECT_EQ(CadState.CadNoDateTime, 0);
  EXPECT_EQ(UmlautMode, 3);
  EXPECT_EQ(PrinterInterface, 2);
  EXPECT_EQ(ColorGraphics, 0);
  EXPECT_EQ(View3DSetting, 3);
  EXPECT_EQ(CadState.CadLayerNames[5].str(), "TOP");
  EXPECT_EQ(CadState.CadLayerColors[5], 7);
  EXPECT_EQ(TextPrinterDevice, "/dev/usb/lp0");
  EXPECT_EQ(TextDevice, 7);

  Tconfig again;  // reopened: the stored values, pixels + 1
  EXPECT_EQ(again.Edit_x->text(), "5001");
  EXPECT_EQ(again.Edit_3dx->text(), "30");
  EXPECT_EQ(again.StringGrid_layer->item(0, 0)->text(), "TOP");
  EXPECT_FALSE(again.CheckBox_zeichfilename->isChecked());
}

// Under a decimal-comma locale the dialog shows and stores numbers as in any other.
TEST_F(ConfigFormTest, NumbersShowWithAPointUnderACommaLocale) {
  BQ4_IN_COMMA_LOCALE(german);
  ZoomIncrement = 1.25L;
  const std::string before = Snapshot();
  Tconfig dlg;
  EXPECT_EQ(dlg.Edit_zoomfaktor->text(), "1.25");
  dlg.Button_okClick();
  EXPECT_EQ(ZoomIncrement, 1.25L);
  EXPECT_EQ(Snapshot(), before);
}

// Dates take the layout of the system's short dates, told from the locale's
// name (the statically linked command line has no locale data to ask), until
// the dialog chooses one of the four; the choice is stored under "Date Code"
// and kept by the next start.
TEST_F(ConfigFormTest, DateLayoutIsTheSystemsUntilTheDialogChoosesOneThatTheNextStartKeeps) {
  std::vector<int> codes;
  for (const char* format : {"dd.MM.yyyy", "MM/dd/yy", "yyyy-MM-dd", "dd/MM/yyyy", "d-M-yy", ""})
    codes.push_back(DateCodeOfFormat(format));
  EXPECT_EQ(codes, std::vector<int>({1, 2, 3, 4, 4, 0}));
  std::vector<std::string> formats;
  for (const char* locale : {"de_DE.UTF-8", "en_GB.UTF-8", "en_US", "sv_SE.UTF-8", "sr_RS@latin", "de_AT",
                             "ja_JP.eucJP", "C", "C.UTF-8", "POSIX", "de", "xx_YY"})
    formats.push_back(ShortDateFormatOfLocale(locale));
  EXPECT_EQ(formats, std::vector<std::string>({"dd.MM.yyyy", "dd/MM/yy", "MM/dd/yyyy", "yyyy-MM-dd", "dd.MM.yyyy",
                                               "yyyy-MM-dd", "yyyy/MM/dd", "MM/dd/yy", "MM/dd/yy", "MM/dd/yy",
                                               "MM/dd/yy", "MM/dd/yy"}));
  {
    testlocale::LocaleNames set("", "en_GB.UTF-8", "de_DE.UTF-8");  // an empty LC_ALL does not count
    EXPECT_EQ(LocaleNameFor("LC_TIME"), "en_GB.UTF-8");
    EXPECT_EQ(LocaleNameFor("LC_NUMERIC"), "de_DE.UTF-8");
  }
  ClockReading r;
  r.Year = 2026;
  r.Month = 12;
  r.Day = 7;
  PinClock(r);
  {
    testlocale::LocaleNames none(nullptr, nullptr, nullptr);
    ApplyDateLayout();  // the C locale: month/day/year
    EXPECT_EQ(TodayText(), "12/07/2026");
  }
  {
    testlocale::LocaleNames german("de_DE.UTF-8", nullptr, nullptr);
    ApplyDateLayout();
    EXPECT_EQ(TodayText(), "07.12.2026");
    {
      Tconfig dlg;
      EXPECT_TRUE(dlg.RadioGroup_date->isEnabled());
      EXPECT_TRUE(Radio(dlg.RadioGroup_date, 0)->isChecked());
      dlg.Button_okClick();  // the layout shown is no choice
    }
    EXPECT_EQ(DateCodeSetting, 0);
    const std::string unchosen = Snapshot();
    {
      Tconfig dlg;
      Radio(dlg.RadioGroup_date, 2)->setChecked(true);
      dlg.Button_saveClick();
    }
    EXPECT_EQ(TodayText(), "2026/12/07");
    // The next start reads the choice back, whatever the locale says.
    InitFrameworkModules();
    ConfigDir = dir_;
    PinClock(r);
    ReadConfigFile();
    ApplyDateLayout();
    EXPECT_EQ(TodayText(), "2026/12/07");
    Tconfig dlg;
    EXPECT_TRUE(Radio(dlg.RadioGroup_date, 2)->isChecked());
    // A file without a choice leaves the layout to the system.
    WriteBytes(ConfigFileName(), unchosen);
    testlocale::LocaleNames british("en_GB.UTF-8", nullptr, nullptr);
    ReadConfigFile();
    ApplyDateLayout();
    EXPECT_EQ(TodayText(), "07/12/2026");
  }
  UnpinClock();
}

TEST_F(ConfigFormTest, OkSizesTheMainWindowsDrawingArea) {
  DUdoduvoz main;
  main.setAttribute(Qt::WA_DontShowOnScreen, true);
  main.show();
  Tconfig dlg;
  dlg.Edit_x->setText("500");
  dlg.Edit_y->setText("300");
  dlg.Button_okClick();
  EXPECT_EQ(HorizontalPixels, 499);
  EXPECT_EQ(main.Canvas()->width(), 500);
  EXPECT_EQ(main.Canvas()->height(), 300);
  main.hide();
}

TEST_F(ConfigFormTest, SaveStoresTheValuesAndWritesThemToTheFile) {
  Tconfig dlg;
  dlg.SpinEdit_linesperpage->setValue(72);
  dlg.SpinEdit_spacelines->setValue(4);
  dlg.Edit_panfaktor->setText("0.05");
  dlg.Edit_externhtml->setText("/usr/bin/firefox");
  dlg.StringGrid_color->item(12, 1)->setText("13");
  dlg.StringGrid_color->item(12, 2)->setText("3");
  Radio(dlg.RadioGroup_punktkomma, 1)->setChecked(true);
  AbortFlag = 1;  // left over from an earlier command: saving still works
  dlg.Button_saveClick();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(AbortFlag, 0);
  const std::string saved = ReadBytes(ConfigFileName());
  EXPECT_EQ(Snapshot(), saved);  // the file holds the settings the dialog stored
  EXPECT_EQ(LinesPerPage, 72);
  EXPECT_EQ(HeaderSpaceLines, 4);
  EXPECT_NEAR(static_cast<double>(PanFactor), 0.05, 1e-9);
  EXPECT_EQ(HtmlBrowserPath, "/usr/bin/firefox");
  EXPECT_EQ(CadState.CadPenColors[12], 13);
  EXPECT_EQ(CadState.CadPenWidths[12], 3);
  EXPECT_EQ(DecimalCommaMode, 2);
}

// A value that the next start would read as another is refused by name
// where it is typed; what the dialog takes, the next start keeps.
TEST_F(ConfigFormTest, ValuesTheNextStartWouldChangeAreRefusedWhereTheyAreTyped) {
  if (!FitsNameFields(dir_, 10)) GTEST_SKIP() << "the test folder's name leaves no room in a 255-byte name field";
  const std::string before = Snapshot();
  Tconfig dlg;
  dlg.Pagecontrol1->setCurrentWidget(dlg.Tab_cad);
  for (const char* text : {"0.05", "-2"}) {
    dlg.Edit_texthoehenfaktor->setText(text);
    platform::DialogScript script;
    script.Ok().Expect(std::string("Text height factor: ") + text + " is below 0.1");
    dlg.Button_saveClick();
    EXPECT_EQ(script.Pending(), 0u) << text;
    EXPECT_NE(dlg.result(), QDialog::Accepted) << text;
    EXPECT_EQ(dlg.Pagecontrol1->currentWidget(), dlg.Tab_grafik);
    EXPECT_EQ(ReadBytes(ConfigFileName()), before) << text;
  }
  dlg.Edit_texthoehenfaktor->setText("0.1");
  dlg.Edit_panfaktor->setText("0");
  {
    platform::DialogScript script;
    script.Ok().Expect("pan faktor: 0 would move nothing, and the next start would read it as 0.01.");
    dlg.Button_okClick();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
  }
  dlg.Edit_panfaktor->setText("0.05");
  // The printer device keeps its trailing blank; blanks alone name none.
  dlg.Edit_printerdevice->setText("   ");
  dlg.Button_okClick();
  EXPECT_EQ(TextPrinterDevice, "");
  dlg.Edit_printerdevice->setText(QString::fromStdString(dir_ + "/lp "));
  // Fewer than 5 lines a page cannot be chosen.
  dlg.SpinEdit_linesperpage->setValue(3);
  EXPECT_EQ(dlg.SpinEdit_linesperpage->value(), 5);
  dlg.Button_saveClick();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  TextHeightFactor = 7;
  LinesPerPage = 9;
  ReadConfigFile();
  EXPECT_NEAR(static_cast<double>(TextHeightFactor), 0.1, 1e-12);
  EXPECT_EQ(LinesPerPage, 5);
  EXPECT_EQ(TextPrinterDevice, dir_ + "/lp ");
}

TEST_F(ConfigFormTest, ImportFillsTheControlsButCancelKeepsTheSettings) {
  const std::string other = ConfigDir + "/other";
  fs::create_directories(other);
  const std::string before = Snapshot();
  std::string imported = before;
  const std::string lines = "Lines per page for printer\r\n";
  imported.replace(imported.find(lines) + lines.size(), 2, "55");
  WriteBytes(other + "/bq4.cfg", imported);
  Tconfig dlg;
  platform::DialogScript script;
  script.File(other + "/bq4.cfg");
  dlg.Button_importClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(dlg.SpinEdit_linesperpage->value(), 55);
  EXPECT_EQ(ConfigDir.find("/other"), std::string::npos);  // restored
  EXPECT_EQ(ProgShortNameLower, "bq4");
  EXPECT_EQ(Snapshot(), before);
  dlg.Button_cancelClick();
  EXPECT_EQ(LinesPerPage, 66);

  script.Cancel();
  dlg.Button_importClick();
  EXPECT_EQ(AbortFlag, 1);
}

// OK after an import takes every setting of the file, also those without a
// control, whatever the length of the file's name; a file that is no
// configuration is refused with a message.
TEST_F(ConfigFormTest, ImportThenOkTakesEverySettingOfTheFile) {
  const std::string other = ConfigDir + "/other";
  fs::create_directories(other);
  const std::string file = other + "/workshop-settings-of-the-second-floor.cfg";
  MenuLanguage = 8;
  PrintMacroSelection = 5;
  PrinterType = 7;
  DatabaseProgram = "/usr/bin/dbview";
  LinesPerPage = 55;
  AbortFlag = 0;
  WriteConfigFile(file);
  InitFrameworkModules();
  ConfigDir = dir_;
  HorizontalPixels = 799;
  VerticalPixels = 599;
  const std::string before = Snapshot();
  {
    Tconfig dlg;
    platform::DialogScript script;
    script.File(file);
    dlg.Button_importClick();
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_EQ(dlg.SpinEdit_linesperpage->value(), 55);
    EXPECT_EQ(Snapshot(), before);  // nothing taken before OK
    dlg.SpinEdit_linesperpage->setValue(60);
    dlg.Button_okClick();
  }
  EXPECT_EQ(MenuLanguage, 8);
  EXPECT_EQ(PrintMacroSelection, 5);
  EXPECT_EQ(PrinterType, 7);
  EXPECT_EQ(DatabaseProgram, "/usr/bin/dbview");
  EXPECT_EQ(LinesPerPage, 60);  // what was changed after the import
  EXPECT_EQ(ConfigDir, dir_);
  EXPECT_EQ(ProgShortNameLower, "bq4");

  WriteBytes(other + "/notes.cfg", "shopping list\r\nmilk\r\n");
  const std::string now = Snapshot();
  Tconfig dlg;
  platform::DialogScript script;
  script.File(other + "/notes.cfg");
  script.Ok().Expect("notes.cfg");
  dlg.Button_importClick();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(script.Pending(), 0u);
  dlg.Button_okClick();
  EXPECT_EQ(Snapshot(), now);
}

TEST_F(ConfigFormTest, GridColoursComeFromTheColourChooserOrTheDefaultButtons) {
  Tconfig dlg;
  dlg.StringGrid_layer->setCurrentCell(2, 0);
  platform::DialogScript script;
  script.Ok({{"ListBox_colors", "#12"}}).Expect("Select Color");
  dlg.Button_selectlayercolorClick();
  EXPECT_EQ(dlg.StringGrid_layer->item(2, 1)->text(), "13");
  script.Cancel();
  dlg.Button_selectlayercolorClick();
  EXPECT_EQ(dlg.StringGrid_layer->item(2, 1)->text(), "13");
  EXPECT_EQ(AbortFlag, 0);

  // The colour grid acts on its colour column only and names the colour.
  dlg.StringGrid_color->setCurrentCell(0, 2);
  dlg.Button_selectcolorClick();  // no dialog
  dlg.StringGrid_color->setCurrentCell(0, 1);
  script.Ok({{"ListBox_colors", "#12"}});
  dlg.Button_selectcolorClick();
  EXPECT_EQ(dlg.StringGrid_color->item(0, 1)->text(), "13");
  EXPECT_EQ(dlg.StringGrid_color->item(0, 0)->text(), "Colour of layer 16 (brown)");

  // The default buttons fill layers, pen widths and the text window.
  dlg.Button_layerClick(1);
  EXPECT_EQ(dlg.StringGrid_layer->item(0, 0)->text(), "5");
  EXPECT_EQ(dlg.StringGrid_layer->item(0, 2)->text(), "3");
  dlg.Button_layerClick(2);
  EXPECT_EQ(dlg.StringGrid_layer->item(1, 1)->text(), "3");
  dlg.Button_dickClick(2);
  for (int r = 0; r < 16; ++r) EXPECT_EQ(dlg.StringGrid_color->item(r, 2)->text(), "2");
  dlg.Edit_x->setText("640");
  dlg.Edit_y->setText("480");
  dlg.Button_TextwindowClick();
  EXPECT_EQ(dlg.Edit_width->text(), "620");
  EXPECT_EQ(dlg.Edit_height->text(), "460");
  dlg.Edit_x->setText("1024");
  dlg.Button_TextwindowClick();
  EXPECT_EQ(dlg.Edit_width->text(), "700");  // printout size 10 x 700 x 0.1
}

TEST_F(ConfigFormTest, PlotProgramLinesAreEditedAndComposed) {
  if (HoldsQuoteOrLineBreak(dir_)) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  Tconfig dlg;
  ASSERT_EQ(dlg.ListBox_veskart->count(), 5);
  dlg.ListBox_veskart->setCurrentRow(1);
  platform::DialogScript script;
  script.Ok({{"Edit_text", "plot /X"}}).Expect("VESKART Command Line");
  dlg.Button_editveskartcommandlineClick();
  EXPECT_EQ(dlg.ListBox_veskart->item(1)->text(), "plot /X");
  dlg.ListBox_veskart->setCurrentRow(2);
  std::ofstream(dir_ + "/wv") << "";
  script.Ok({{"RadioGroup_d", "#2"}, {"Edit_veskartPath", ShownPath(dir_) + "/wv"}}).Expect("VESKART");
  dlg.Button_confveskartClick();
  // Read back as the plot run splits it: a folder with blanks is one word.
  EXPECT_EQ(SplitCommandLine(dlg.ListBox_veskart->item(2)->text().toStdString()),
            (std::vector<std::string>{dir_ + "/wv", "/tmp/bq4temp/veskart", "/CHPL", "/D3", "/F/tmp/bq4temp/veskart"}));
  dlg.Button_okClick();
  EXPECT_EQ(CadState.PlotCommandLines[1], "plot /X");
  EXPECT_EQ(CadState.PlotCommandCount, 3);
  EXPECT_EQ(CadState.PlotCommandIndex, 3);
}

// The program field shows the stored line's program; OK stores only a
// program that is there: a folder is searched for it, a name without
// ".exe" finds the file with it, and anything else is refused with the
// reason while the form stays open.
TEST_F(ConfigFormTest, PlotProgramFormStoresOnlyAProgramThatIsThere) {
  if (HoldsQuoteOrLineBreak(dir_)) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  TempDir.clear();
  const std::string folder = dir_ + "/Plot \xC3\xA4/mein plot";  // "Plot ä/mein plot"
  const std::string typed = ShownPath(dir_) + "/Plot \xE4/mein plot";          // as the dialog shows it
  fs::create_directories(folder);
  std::ofstream(folder + "/VESKART.EXE") << "";
  std::string line = "\"" + folder + "/VESKART.EXE\" veskart /CPLT";
  {
    TForm_confveskart form;
    form.ShowLine(line);
    EXPECT_EQ(form.Edit_veskartPath->text(), QString::fromUtf8((folder + "/VESKART.EXE").c_str()));
  }
  for (const std::string& answer : {typed, typed + "/veskart"}) {
    platform::DialogScript script;
    script.Ok({{"Edit_veskartPath", answer}});
    ASSERT_TRUE(EditPlotCommandLine(line)) << answer;
    EXPECT_EQ(line, "\"" + folder + "/VESKART.EXE\" veskart /CHPL") << answer;
  }
  // A folder without the program and a name of nothing are refused; Cancel keeps the line.
  const std::string kept = line;
  platform::DialogScript script;
  script.Ok({{"Edit_veskartPath", ShownPath(dir_) + "/Plot \xE4"}});
  script.Ok().Expect("holds no plot program (wveskart.exe or veskart.exe); type the plot program or the folder");
  script.Ok({{"Edit_veskartPath", typed + "/wveskart"}});
  script.Ok().Expect("wveskart was not found");
  script.Cancel();
  EXPECT_FALSE(EditPlotCommandLine(line));
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(line, kept);
}

// Folders and programs are the file system's names: shown as their
// characters, stored as typed in UTF-8, so the program finds them again; a
// name on disk that is no UTF-8 is kept byte for byte.
TEST_F(ConfigFormTest, FoldersAndProgramsAreShownAsTheirCharactersAndStoredAsTheFileSystemsNames) {
  if (!FitsNameFields(dir_, 40)) GTEST_SKIP() << "the test folder's name leaves no room in a 255-byte name field";
  const std::string data = dir_ + "/Daten \xC3\xA4";  // "Daten ä"
  fs::create_directories(data);
  const std::string latin1 = dir_ + "/alt \xE4";  // a folder named in Latin-1
  fs::create_directories(latin1);
  WriteBytes(data + "/t.dbf", "x");
  WriteBytes(latin1 + "/p.plt", "x");
  CadDir = EdiDir = dir_;
  TempDir.clear();
  DbfDir = data + "/";
  PltDir = latin1;
  CadState.PlotCommandLines[1] = "/opt/pl\xC3\xB6t veskart /CHPL";
  {
    Tconfig dlg;
    EXPECT_EQ(dlg.Edit_dirdbf->text(), QString::fromUtf8(data + "/"));
    EXPECT_EQ(dlg.Edit_dirplt->text(), QString::fromLatin1(QByteArray::fromStdString(latin1)));
    EXPECT_EQ(dlg.ListBox_veskart->item(1)->text(), QString::fromUtf8("/opt/pl\xC3\xB6t veskart /CHPL"));
    dlg.Edit_dirdata->setText(QString::fromUtf8(data));
    dlg.Edit_externtxt->setText(QString::fromUtf8("/usr/bin/\xC3\xA9" "dit"));
    dlg.Edit_printerdevice->setText(QString::fromUtf8("/dev/lp\xC3\xA4"));
    dlg.Button_okClick();
  }
  EXPECT_EQ(DefaultDataDir, data);
  EXPECT_EQ(WordProcessorPath, "/usr/bin/\xC3\xA9" "dit");
  EXPECT_EQ(TextPrinterDevice, "/dev/lp\xC3\xA4");
  EXPECT_EQ(DbfDir, data + "/");
  EXPECT_EQ(PltDir, latin1);  // left as shown: byte for byte
  EXPECT_EQ(CadState.PlotCommandLines[1], "/opt/pl\xC3\xB6t veskart /CHPL");
  // Written and read back, the folder is the one on disk: no complaint.
  WriteConfigFile();
  DefaultDataDir.clear();
  ReadConfigFile();
  EXPECT_EQ(DefaultDataDir, data);
  EXPECT_EQ(PltDir, latin1);
  TraceMessagesOn = 1;
  platform::DialogScript script;
  RepairConfigDirs();  // any message would fail: none is scripted
  EXPECT_EQ(script.Pending(), 0u);

  // Typed into the line editor, a command line keeps its characters too.
  Tconfig dlg;
  dlg.ListBox_veskart->setCurrentRow(2);
  script.Ok({{"Edit_text", "/opt/pl\xF6t veskart"}}).Expect("VESKART Command Line");
  dlg.Button_editveskartcommandlineClick();
  EXPECT_EQ(dlg.ListBox_veskart->item(2)->text(), QString::fromUtf8("/opt/pl\xC3\xB6t veskart"));
  dlg.Button_okClick();
  EXPECT_EQ(CadState.PlotCommandLines[2], "/opt/pl\xC3\xB6t veskart");
}

TEST_F(ConfigFormTest, EveryControlLiesInsideItsPage) {
  Tconfig dlg;
  dlg.setAttribute(Qt::WA_DontShowOnScreen, true);
  dlg.show();
  for (int i = 0; i < dlg.Pagecontrol1->count(); ++i) {
    dlg.Pagecontrol1->setCurrentIndex(i);
    QWidget* page = dlg.Pagecontrol1->widget(i);
    // Every control of the page lies inside the page.
    for (QWidget* w : page->findChildren<QWidget*>()) {
      if (!w->isVisible() || w->parentWidget() != page) continue;
      EXPECT_TRUE(page->rect().contains(w->geometry())) << page->objectName().toStdString() << " "
                                                        << w->objectName().toStdString();
    }
  }
  dlg.hide();
}

TEST(PlotProgramForm, ShowsTheLineAsTheUserEditsAndKeepsAGivenLineWithoutAChange) {
  InitFrameworkModules();
  TempDir = "/tmp/t";
  TForm_confveskart form;
  EXPECT_FALSE(form.Edit_com->isEnabled());
  EXPECT_TRUE(form.Edit_lpt->isEnabled());
  EXPECT_FALSE(form.ComboBox_psfont->isEnabled());

  form.CheckBox_scale->setChecked(true);
  EXPECT_EQ(form.Edit_scale->text(), "0");
  EXPECT_FALSE(form.Edit_scale->isEnabled());
  EXPECT_EQ(form.CommandLine, "c:/veskart/wveskart /tmp/t/veskart /CHPL /M*");
  form.CheckBox_scale->setChecked(false);  // the 0 stays until another value is typed
  EXPECT_TRUE(form.Edit_scale->isEnabled());
  EXPECT_EQ(form.Label_commandline->text(), "c:/veskart/wveskart /tmp/t/veskart /CHPL /M*");

  form.findChild<QRadioButton*>("RadioGroup_d_0")->setChecked(true);
  EXPECT_TRUE(form.Edit_com->isEnabled());
  EXPECT_FALSE(form.Edit_lpt->isEnabled());
  form.Edit_com->setText("2");
  form.findChild<QRadioButton*>("RadioGroup_outcode_1")->setChecked(true);
  EXPECT_TRUE(form.ComboBox_psfont->isEnabled());
  form.ComboBox_psfont->setCurrentIndex(12);
  EXPECT_EQ(form.CommandLine, "c:/veskart/wveskart /tmp/t/veskart /CPS /D1 /P3 /M* /TCourier");

  // OK without a change returns the given line; Cancel aborts.
  std::string line = "my line /Q";
  platform::DialogScript script;
  script.Ok();
  EXPECT_TRUE(EditPlotCommandLine(line));
  EXPECT_EQ(line, "my line /Q");
  script.Cancel();
  EXPECT_FALSE(EditPlotCommandLine(line));
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
