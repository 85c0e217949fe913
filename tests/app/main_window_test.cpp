#include "framework/calc_messages.h"

#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/menu_texts.h"
#include "app/printing.h"
#include "calc/calculation.h"
#include "app/project_files.h"
#include "../comma_locale.h"
#include "../framework/output_test_support.h"
#include "app_test_support.h"
#include "../screenshot_dir.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/drawing_info.h"
#include "framework/config_file.h"
#include "framework/display_list.h"
#include "framework/drawing.h"
#include "framework/menu_captions.h"
#include "framework/printer_setup.h"
#include "platform/dialogs.h"
#include "../shown_path.h"

namespace {

using MainWindowTest = AppTest;

std::string Caption(const Thh& w, const std::string& item) { return w.Item(item)->text().toStdString(); }

TEST_F(MainWindowTest, StartsWithTheDefaultProjectAndStartPictureAndSwitchesTheMenuLanguage) {
  {
    // Without a default project the drawing's dates are today's, in the
    // layout of the start: the system's.
    testlocale::LocaleNames british("en_GB.UTF-8", nullptr, nullptr);
    PinClock({2026, 12, 7});
    Thh main;
    UnpinClock();
    EXPECT_EQ(ComplDate.str(), "07/12/2026");
    EXPECT_EQ(CheckDate.str(), "07/12/2026");
  }
  Sample("null.bq4");
  {
    Thh main;
    EXPECT_EQ(main.windowTitle().toStdString(), ProgTitle.str());
    EXPECT_EQ(InputModified, 0);
    ASSERT_NE(DisplayList, nullptr);
    EXPECT_GT(DisplayList->size(), 50u);  // the start picture
    EXPECT_FALSE(main.Item("mi_file1")->isVisible());  // no recent files
    // A language switch sets the common and the product texts.
    main.SetLanguage(kLanguageKorean);
    EXPECT_EQ(Caption(main, "mi_editreibung"), "마찰(&F)");
    EXPECT_EQ(Caption(main, "mi_viewbetriebszustandmin"), "Working Cond. min.");
    main.SetLanguage(kLanguageGerman);
    EXPECT_EQ(Caption(main, "mi_editreibung"), "&Reibung");
    EXPECT_EQ(Caption(main, "mi_dbReibungmin"), "&Reibung min");
    // Swedish has no product texts: they stay German, the common ones change.
    main.SetLanguage(kLanguageSwedish);
    EXPECT_EQ(Caption(main, "mi_editreibung"), "&Reibung");
    EXPECT_EQ(Caption(main, "mi_fileexit"), "&Avsluta");
    main.SetLanguage(kLanguageEnglish);
    EXPECT_EQ(Caption(main, "mi_editklemmstuecke"), "Clamping &Plates ");
    RecentFiles[1] = "/somewhere/x.bq4";
  }
  EXPECT_EQ(DisplayList, nullptr);  // freed with the main window
  // Destroying the window wrote the state file.
  RecentFiles[1].clear();
  ReadSessionFile();
  EXPECT_EQ(RecentFiles[1], "/somewhere/x.bq4");
}

// Tables with a newer shipped version beside them (name.dbf.new) are named
// once, at start, in one message that says what is known of each and how to
// take the newer one wherever the tables lie (here a configured data folder
// with a blank and an umlaut, where no build runs); a .new without its table
// is no table of the user's.
TEST_F(MainWindowTest, NamesTheTablesWithANewerShippedVersionOnceAtStart) {
  Sample("null.bq4");
  const std::string tables = dir_ + "/Daten \xC3\xA4";
  const std::string built = std::string(BQ4_BINARY_DIR) + "/data/tables";
  DbfDir = tables;
  std::filesystem::create_directories(DbfDir);
  for (const auto& e : std::filesystem::directory_iterator(built))
    if (e.path().extension() == ".dbf") std::filesystem::copy_file(e.path(), DbfDir + "/" + e.path().filename().string());
  for (const char* t : {"mat_b_e", "gewinde"})
    std::filesystem::copy_file(DbfDir + "/" + t + ".dbf", DbfDir + "/" + t + ".dbf.new");
  // din912: unchanged since its build, its stamp beside it; mat_p_e: changed since.
  for (const char* t : {"din912", "mat_p_e"}) {
    std::filesystem::copy_file(built + "/" + t + ".dbf.built", DbfDir + "/" + t + ".dbf.built");
    std::ofstream(DbfDir + "/" + t + ".dbf.new") << "newer";
  }
  {
    std::fstream changed(DbfDir + "/mat_p_e.dbf", std::ios::in | std::ios::out | std::ios::binary);
    changed.seekp(20);  // a reserved header byte
    changed.put('\x01');
  }
  std::ofstream(DbfDir + "/lone.dbf.new") << "x";
  {
    platform::DialogScript script;
    script.Ok().Expect("gewinde.dbf (newer: gewinde.dbf.new)");
    Thh main;
    EXPECT_TRUE(script.Shown().empty());  // said once the window is up
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    ASSERT_EQ(script.Shown().size(), 1u);
    const std::string& text = script.Shown()[0].text;
    EXPECT_NE(text.find("tables in " + ShownPath(dir_) + "/Daten \xE4:\n"), std::string::npos) << text;  // shown in code page 1252
    EXPECT_NE(text.find("\nmat_b_e.dbf (newer: mat_b_e.dbf.new): the same records as the newer version\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\ndin912.dbf (newer: din912.dbf.new): unchanged since it was built\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nmat_p_e.dbf (newer: mat_p_e.dbf.new): changed after it was built\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("changed after they were built"), std::string::npos) << text;
    EXPECT_EQ(text.find("build again"), std::string::npos) << text;  // no build where the tables lie
    EXPECT_NE(text.find("rename its .new file to the table's name in that folder (din912.dbf.new to din912.dbf)"),
              std::string::npos) << text;
    EXPECT_EQ(text.find("lone"), std::string::npos) << text;
    EXPECT_LT(text.find("gewinde"), text.find("mat_b_e"));
  }
  // Taken as the message says (renamed), nothing more is said, and the table is found.
  for (const char* t : {"mat_b_e", "gewinde", "din912", "mat_p_e"})
    std::filesystem::rename(DbfDir + "/" + t + ".dbf.new", DbfDir + "/" + t + ".dbf");
  std::filesystem::copy_file(built + "/din912.dbf", DbfDir + "/din912.dbf", std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(built + "/mat_p_e.dbf", DbfDir + "/mat_p_e.dbf", std::filesystem::copy_options::overwrite_existing);
  platform::DialogScript quiet;
  Thh main;
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  EXPECT_TRUE(quiet.Shown().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(DbfDir + "/gewinde.dbf"));
}

// Opening a file or closing the window over a changed project that has no
// file yet: No to "Reject old data ?" stops the command and keeps the work
// (no save dialog, nothing opened, the window stays); Yes drops it.
TEST_F(MainWindowTest, NoToRejectOldDataStopsTheCommandAndKeepsTheWork) {
  const std::string hot = Sample("hot.bq4");
  Sample("null.bq4");
  Thh main;
  CurrentFileName.clear();
  Temperatur.TWork = 55;
  InputModified = 1;
  Answered([&](auto& s) { s.No().Expect("Reject old data ?"); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(CurrentFileName, "");
  EXPECT_EQ(InputModified, 1);
  EXPECT_EQ(Temperatur.TWork, 55);
  Answered([&](auto& s) { s.No().Expect("Reject old data ?"); }, [&] { main.mi_fileNewClick(); });
  EXPECT_EQ(Temperatur.TWork, 55);
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.No().Expect("Reject old data ?"); }, [&] { EXPECT_FALSE(main.FormCloseQuery()); });
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.Yes().Expect("Reject old data ?").File(hot); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(InputModified, 0);
}

// File > New: header lines typed into the title dialog are input, so that a
// Cancel in a later step leaves them to the save question of the next New,
// which No answers by keeping them.
TEST_F(MainWindowTest, TitleTypedIntoANewProjectIsKeptOrAskedForWhenALaterStepIsCancelled) {
  Sample("null.bq4");
  Thh main;
  CurrentFileName.clear();
  InputModified = 0;
  Answered(
      [&](auto& s) {
        s.Ok({{"Edit_bemerk1", "Konstrukteur: M\xFCller"}, {"Edit_bemerk2", "Projekt 7"}});
        s.Cancel();  // the next step of the guided input
      },
      [&] { main.mi_fileNewClick(); });
  EXPECT_EQ(HeaderLines[1].str(), "Konstrukteur: M\x81ller");
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.No().Expect("Reject old data ?"); }, [&] { main.mi_fileNewClick(); });
  EXPECT_EQ(HeaderLines[1].str(), "Konstrukteur: M\x81ller");
  EXPECT_EQ(HeaderLines[2].str(), "Projekt 7");
  // An unchanged title is no input of its own.
  Answered(
      [&](auto& s) {
        s.Yes().Expect("Reject old data ?");
        s.Ok();
        s.Cancel();
      },
      [&] { main.mi_fileNewClick(); });
  EXPECT_EQ(HeaderLines[1].str(), "");
  EXPECT_EQ(InputModified, 0);
}

// Nothing the window shows is a result of other inputs: inputs changed
// without a calculation are calculated before the next command shows them,
// and a cancelled File > New or edit shows the joint as calculated, not a
// cleared screen or the page of an earlier calculation.
TEST_F(MainWindowTest, ResultsAlwaysBelongToTheInputsInMemory) {
  Sample("null.bq4");
  Thh main;
  const Extended before = Last.FSAmax;
  ASSERT_GT(before, 0);
  Last.FAmax *= 2;  // an input changed by no command of the window
  main.Item("mi_viewQuick")->trigger();
  const Extended shown = Last.FSAmax;
  EXPECT_NE(shown, before);
  CalculateJoint();
  EXPECT_EQ(Last.FSAmax, shown);

  InputModified = 0;
  Answered(
      [&](auto& s) {
        s.Ok();
        s.Cancel();
      },
      [&] { main.mi_fileNewClick(); });
  EXPECT_FALSE(DisplayList->empty());

  GraphClear();
  Answered([&](auto& s) { s.Cancel(); }, [&] { main.mi_editreibungClick(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(DisplayList->empty());
  EXPECT_EQ(ScreenPictureName(), "quick");

  // A PDF of the screen is named after what the screen shows: the view a
  // file opens with, also after the file is saved under another name.
  main.Item("mi_viewfmmadiagramm")->trigger();
  EXPECT_EQ(ScreenPictureName(), "FM-MA-D&iagram");
  const std::string hot = Sample("hot.bq4");
  Answered([&](auto& s) { s.File(hot); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(ScreenPictureName(), "quick");
  Answered([&](auto& s) { s.File(dir_ + "/copy.bq4"); }, [&] { main.mi_FileSaveAsClick(); });
  EXPECT_EQ(ScreenPictureName(), "quick");
  EXPECT_EQ(ProposedPdfFileName(ScreenPictureName()), dir_ + "/copy-quick.pdf");
}

// Settings sets the window's colour and leaves its place alone (the form
// itself sets the drawing area's size);
// Pre-Dimensioning cancelled with nothing chosen calculates nothing and shows
// the joint's current view, never a cleared screen.
TEST_F(MainWindowTest, SettingsAndPreDimensioningDoWhatTheirItemsSay) {
  Sample("null.bq4");
  Thh main;
  main.move(30, 40);
  BackgroundColour = 0x00FF00;  // green; the form keeps it
  Answered([&](auto& s) { s.Ok(); }, [&] { main.mi_fileConfigClick(); });
  EXPECT_EQ(main.pos(), QPoint(30, 40));
  EXPECT_EQ(main.palette().color(QPalette::Window), QColor(0, 255, 0));
  main.Item("mi_viewQuick")->trigger();
  ASSERT_FALSE(DisplayList->empty());
  InputModified = 0;
  ClearCalcMessages();
  AddErrorMessage("Warning: kept");
  Answered([&](auto& s) { s.Cancel(); }, [&] { main.mi_editvorauslegungClick(); });
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(CalcMessages.count, 1);  // no calculation after Cancel
  EXPECT_FALSE(DisplayList->empty());
}

TEST_F(MainWindowTest, OpenSaveAndRecentFiles) {
  const std::string hot = Sample("hot.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(hot); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(RecentFiles[1], hot);
  EXPECT_TRUE(main.Item("mi_file1")->isVisible());
  EXPECT_EQ(Caption(main, "mi_file1"), "&1 " + ShortenPathForMenu(hot));
  EXPECT_NE(main.windowTitle().toStdString().find("hot.bq4"), std::string::npos);

  // Save As under a new name; the list gets it at the head.
  const std::string copy = dir_ + "/copy.bq4";
  Answered([&](auto& s) { s.File(copy); }, [&] { main.mi_FileSaveAsClick(); });
  EXPECT_TRUE(TextFileExists(copy));
  EXPECT_EQ(RecentFiles[1], copy);
  EXPECT_EQ(RecentFiles[2], hot);

  // Save under the current name asks nothing.
  InputModified = 1;
  main.mi_FileSaveClick();
  EXPECT_EQ(InputModified, 0);

  // A damaged recent file is refused, and says why: the joint keeps its name.
  std::ofstream(hot, std::ios::binary | std::ios::trunc) << "SCHRAUBE\r\n2\r\n";
  Answered([&](auto& s) { s.Ok().Expect("damaged project file"); }, [&] { main.OpenRecentFile(2); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(CurrentFileName, "copy");

  // A recent file that has gone is removed and reported.
  std::filesystem::remove(copy);
  Answered([&](auto& s) { s.Ok().Expect("File " + ShownPath(copy) + " not found !"); }, [&] { main.OpenRecentFile(1); });
  EXPECT_EQ(RecentFiles[1], hot);
  EXPECT_EQ(RecentFiles[2], "");
  EXPECT_FALSE(main.Item("mi_file2")->isVisible());
  // The list's file, readable again, opens.
  Sample("hot.bq4");
  main.OpenRecentFile(1);
  EXPECT_EQ(CurrentFileName, "hot");
}

// File names are the file system's bytes from the dialogs to the disk and
// back: Open and Save As in a folder named with an umlaut, the title, the
// recent files (also through the state file) and the messages that name them.
TEST_F(MainWindowTest, NamesWithUmlautsKeepTheirCharactersFromTheDialogsToTheDiskAndBack) {
  const std::string folder = dir_ + "/Projekte \u00e4";
  std::filesystem::create_directories(folder);
  const std::string size = folder + "/Gr\u00f6\u00dfe \u00fc.bq4";
  std::filesystem::copy_file(Sample("hot.bq4"), size);
  Thh main;
  Answered([&](auto& s) { s.File(size); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "Gr\u00f6\u00dfe \u00fc");
  EXPECT_EQ(CurrentDir, folder + "/");
  EXPECT_TRUE(main.windowTitle().endsWith(QString::fromUtf8("  -  Gr\u00f6\u00dfe \u00fc.bq4")));
  EXPECT_EQ(RecentFiles[1], size);

  const std::string flange = folder + "/Flansch \u00e4 1.bq4";
  Answered([&](auto& s) { s.File(flange); }, [&] { main.mi_FileSaveAsClick(); });
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(flange)));
  EXPECT_TRUE(main.windowTitle().endsWith(QString::fromUtf8("Flansch \u00e4 1.bq4")));
  EXPECT_EQ(Caption(main, "mi_file1"), "&1 " + ShortenPathForMenu(flange));
  EXPECT_EQ(Caption(main, "mi_file2"), "&2 " + ShortenPathForMenu(size));
  WriteSessionFile();
  RecentFiles[1].clear();
  ReadSessionFile();
  EXPECT_EQ(RecentFiles[1], flange);

  // The saved project opens again, from the dialog and from the list.
  Answered([&](auto& s) { s.File(flange); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(CurrentFileName, "Flansch \u00e4 1");
  main.OpenRecentFile(2);
  EXPECT_EQ(CurrentFileName, "Gr\u00f6\u00dfe \u00fc");
  // A message names the file with its characters (shown in Windows-1252).
  std::filesystem::remove(std::filesystem::u8path(flange));
  Answered([&](auto& s) { s.Ok().Expect("Flansch \xE4 1.bq4 not found !"); }, [&] { main.OpenRecentFile(2); });
}

// A project whose name holds further dots is saved to the file it was opened
// from, by File > Save and by Yes to the save question, and the spreadsheet
// commands find it; a project started on flange.bak is saved to flange.bak,
// and the project flange.bq4 beside it stays as it was.
TEST_F(MainWindowTest, ProjectsAreSavedToTheFileTheyWereOpenedFrom) {
  const std::string folder = dir_ + "/Projekte \u00e4 1";
  std::filesystem::create_directories(folder);
  for (const std::string stem : {"joint.v2", "Flansch 1.5"}) {
    SCOPED_TRACE(stem);
    const std::string file = folder + "/" + stem + ".bq4";
    std::filesystem::copy_file(Sample("hot.bq4"), file);
    Thh main;
    Answered([&](auto& s) { s.File(file); }, [&] { main.mi_fileOpenClick(); });
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_EQ(CurrentFileName, stem);
    EXPECT_TRUE(main.windowTitle().endsWith(QString::fromStdString("  -  " + stem + ".bq4")));
    Temperatur.TWork = 111.5;
    InputModified = 1;
    main.mi_FileSaveClick();
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_NE(ReadBytes(file).find("111.5000000"), std::string::npos);
    Temperatur.TWork = 122.5;
    InputModified = 1;
    // Message boxes show the name in the Windows code page.
    Answered([&](auto& s) { s.Yes().Expect("Save file (" + Utf8ToAnsi(file) + ") ?"); }, [&] { QuerySaveChanges(); });
    EXPECT_NE(ReadBytes(file).find("122.5000000"), std::string::npos);
    EXPECT_EQ(RecentFiles[1], file);
    // No message: the saved project is found.
    StartExcel();
    EXPECT_EQ(AbortFlag, 0);
    InputModified = 1;
    ExportInputToExcel();
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/" + stem));
    EXPECT_FALSE(std::filesystem::exists(stem));
  }

  const std::string bak = folder + "/flange.bak", other = folder + "/flange.bq4";
  std::filesystem::copy_file(Sample("hot.bq4"), bak);
  std::filesystem::copy_file(Sample("null.bq4"), other);
  const std::string untouched = ReadBytes(other);
  SetCommandLineParams({bak});
  Thh main;
  ASSERT_EQ(StartedWithFile, 1);
  EXPECT_TRUE(main.windowTitle().endsWith("  -  flange.bak"));
  Temperatur.TWork = 133.5;
  InputModified = 1;
  Answered([&](auto& s) { s.Yes().Expect("Save file (" + Utf8ToAnsi(bak) + ") ?"); }, [&] { QuerySaveChanges(); });
  EXPECT_NE(ReadBytes(bak).find("133.5000000"), std::string::npos);
  EXPECT_EQ(ReadBytes(other), untouched);
  StartExcel();
  EXPECT_EQ(AbortFlag, 0);
  // A PDF print-out is proposed beside it.
  EXPECT_EQ(ProposedPdfFileName("Report"), folder + "/flange-report.pdf");
}

// A project that cannot be loaded says why in a message, as the batch run
// does on stderr, and the joint and its name stay.
TEST_F(MainWindowTest, AProjectThatCannotBeOpenedSaysWhyAndKeepsTheJoint) {
  const std::string hot = Sample("hot.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(hot); }, [&] { main.mi_fileOpenClick(); });
  const Extended work = Temperatur.TWork;
  const std::string whole = ReadBytes(hot);
  const std::string cut = dir_ + "/cut.bq4";
  std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() / 2);
  Answered([&](auto& s) { s.File(cut).Ok().Expect("(cut short?)"); }, [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(Temperatur.TWork, work);
  EXPECT_NE(main.windowTitle().toStdString().find("hot.bq4"), std::string::npos);
}

// Cancel in the eccentric form puts the joint back as it was before the
// command: the kind of force introduction, the moments and the results.
TEST_F(MainWindowTest, CancelInTheEccentricFormPutsTheJointBack) {
  Sample("null.bq4");
  Thh main;
  ASSERT_EQ(ExzKraftangriff.ExzCode, 1);
  ASSERT_EQ(CalcFatalFlag, 0);
  const EXZTYPE before = ExzKraftangriff;
  const Extended result = Last.FSAmax;
  InputModified = 0;
  Answered([&](auto& s) { s.Ok({{"RadioGroup_items", "#1"}}).Cancel(); },
           [&] { main.mi_editexzKraftangriffClick(); });
  EXPECT_EQ(ExzKraftangriff.ExzCode, 1);
  EXPECT_EQ(ExzKraftangriff.IBers, before.IBers);
  EXPECT_EQ(ExzKraftangriff.IBT, before.IBT);
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_EQ(Last.FSAmax, result);
  EXPECT_EQ(InputModified, 0);
}

TEST_F(MainWindowTest, EditAndHelpCommandsRecalculateAskAndCountMessages) {
  Sample("null.bq4");
  Thh main;
  // Cancel in the friction form: no change, but a calculation all the same,
  // which leaves none of the sample's messages: (0), disabled.
  InputModified = 0;
  ClearCalcMessages();
  AddErrorMessage("Warning: stale");
  Answered([&](auto& s) { s.Cancel(); }, [&] { main.mi_editreibungClick(); });
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(Caption(main, "mi_viewErrorMessages"), "&Error messages (0)");
  EXPECT_FALSE(main.Item("mi_viewErrorMessages")->isEnabled());
  // OK in the friction form marks the input changed.
  Answered([&](auto& s) { s.Ok(); }, [&] { main.mi_editreibungClick(); });
  EXPECT_EQ(InputModified, 1);
  InputModified = 0;
  Answered([&](auto& s) { s.Ok({{"Edit_text", "25"}}).Ok({{"Edit_text", "120"}}); },
           [&] { main.mi_edittemperaturClick(); });
  EXPECT_EQ(Temperatur.T0, 25);
  EXPECT_EQ(Temperatur.TWork, 120);
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.Ok(); }, [&] { main.mi_HelpAboutClick(); });  // the about box
  // Tightening needs the clamped parts; closing the unnamed, changed project
  // asks: Cancel or No keeps it and the window open, Yes drops it and deletes
  // the temporary block files.
  Klemmstuecke.nPlates = 0;
  InputModified = 0;
  Answered([&](auto& s) { s.Ok().Expect("Please enter first bolt and clampng pieces"); },
           [&] { main.mi_editanziehverfahrenClick(); });
  EXPECT_EQ(InputModified, 0);
  InputModified = 1;
  Answered([&](auto& s) { s.Cancel().Expect("Reject old data ?"); }, [&] { EXPECT_FALSE(main.FormCloseQuery()); });
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.No().Expect("Reject old data ?"); }, [&] { EXPECT_FALSE(main.FormCloseQuery()); });
  EXPECT_EQ(InputModified, 1);
  for (const char* name : {"$A.dx$", "$B.dx$", "keep.dxf"}) std::ofstream(dir_ + "/" + name);
  Answered([&](auto& s) { s.Yes(); }, [&] { EXPECT_TRUE(main.FormCloseQuery()); });
  EXPECT_EQ(InputModified, 0);
  EXPECT_FALSE(TextFileExists(dir_ + "/$A.dx$"));
  EXPECT_FALSE(TextFileExists(dir_ + "/$B.dx$"));
  EXPECT_TRUE(TextFileExists(dir_ + "/keep.dxf"));

  // Three messages: the item says so and is enabled.
  ClearCalcMessages();
  for (const char* m : {"Warning: a", "Warning: b", "Error  : c"}) AddErrorMessage(m);
  main.UpdateAfterCalculation();
  EXPECT_EQ(Caption(main, "mi_viewErrorMessages"), "&Error messages (3)");
  EXPECT_TRUE(main.Item("mi_viewErrorMessages")->isEnabled());
}

// The protocol letters the changes as the configuration says, also after
// the project was saved and opened again in the same session.
TEST_F(MainWindowTest, ChangeProtocolKeepsTheConfiguredIndexStyleAfterSaveAndOpen) {
  Sample("null.bq4");
  Thh main;
  View3DSetting = 0;  // letters a, b, c ...
  ApplyIndexStyle();
  for (const char* change : {"first", "second"})
    Answered([&](auto& s) { s.Ok({{"Edit_aenderung", change}}).Expect("Modification").Ok(); },
             [&] { main.Item("mi_docuNewChange")->trigger(); });
  const auto protocol = [&] {
    Answered([](auto& s) { s.Ok(); }, [&] { main.Item("mi_docuShowChanges1")->trigger(); });
    return ReadBytes(dir_ + "/outwin.txt");
  };
  ASSERT_NE(protocol().find("  b     "), std::string::npos);
  const std::string saved = dir_ + "/changed.bq4";
  Answered([&](auto& s) { s.File(saved); }, [&] { main.mi_FileSaveAsClick(); });
  Answered([&](auto& s) { s.File(saved); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(ChangeCount, 2);
  const std::string text = protocol();
  EXPECT_NE(text.find("  a     "), std::string::npos) << text;
  EXPECT_NE(text.find("  b     "), std::string::npos) << text;
  EXPECT_EQ(text.find("  2     "), std::string::npos) << text;
  EXPECT_EQ(ChangeIndexStyle, 2);
}

// A project named relatively on the command line is taken in the folder the
// program was started in: the project's folder and the session file's name
// it whole.
TEST_F(MainWindowTest, ARelativeProjectNameIsTakenWithItsWholeFolder) {
  Sample("eccentric.bq4", "hot.bq4");
  const std::filesystem::path started = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  SetCommandLineParams({"hot.bq4"});
  {
    Thh main;
    EXPECT_EQ(StartedWithFile, 1);
    EXPECT_EQ(CurrentFileName, "hot");
    EXPECT_EQ(CurrentDir, dir_ + "/");
    WriteSessionFile();
  }
  std::filesystem::current_path(started);
  std::ifstream in(SessionFileName(), std::ios::binary);
  std::string session;
  std::getline(in, session);
  EXPECT_EQ(session, "bq4\t Session " + dir_ + "/\r");
}

TEST_F(MainWindowTest, CommandLineFileIsLoadedForTheWindow) {
  // The eccentric sample calculates with a warning.
  const std::string eccentric = Sample("eccentric.bq4");
  struct Case {
    const char* name;
    std::vector<std::string> params;
    const char* message;  // expected in a message box, or none
    int startedWithFile;
    std::string fileName;
    bool endsProgram;
  };
  for (const Case& c : {Case{"a project", {eccentric}, nullptr, 1, "eccentric", false},
                        // "/E" starts the window without reading the file.
                        Case{"/E", {eccentric, "/E"}, nullptr, 0, "", false},
                        Case{"neither loaded nor created", {dir_ + "/no/such/dir/x.bq4"}, "x.bq4", 0, "", true},
                        // A name that cannot be loaded but can be created names a new project.
                        Case{"created", {dir_ + "/new.bq4"}, nullptr, 0, "new", false}}) {
    SCOPED_TRACE(c.name);
    InitFrameworkModules();
    UseTestDirs();
    SetCommandLineParams(c.params);
    platform::DialogScript script;
    if (c.message) script.Ok().Expect(c.message);
    Thh main;
    EXPECT_EQ(StartedWithFile, c.startedWithFile);
    EXPECT_EQ(CurrentFileName, c.fileName);
    EXPECT_EQ(CurrentDir, dir_ + "/");
    EXPECT_EQ(StartUpEndsProgram(), c.endsProgram);
    const bool titled = main.windowTitle().toStdString().find(c.fileName + ".bq4") != std::string::npos;
    EXPECT_EQ(titled, !c.fileName.empty());
    // The messages item counts the start-up calculation's messages.
    if (c.startedWithFile) {
      EXPECT_GT(CalcMessages.count, 0u);
    }
    EXPECT_NE(Caption(main, "mi_viewErrorMessages").find("(" + std::to_string(CalcMessages.count) + ")"),
              std::string::npos);
    EXPECT_EQ(main.Item("mi_viewErrorMessages")->isEnabled(), CalcMessages.count > 0);
  }
}

// A project named on the command line that exists but cannot be loaded:
// first why (as File > Open says it), then the question whether a new
// project may take its name. Yes gives the new project that name; No ends
// the program; a file that is not asked about stays, the project unnamed.
TEST_F(MainWindowTest, ACommandLineProjectThatCannotBeLoadedSaysWhyBeforeTheQuestion) {
  const std::string damaged = dir_ + "/damaged.bq4";
  const std::string whole = ReadBytes(Sample("eccentric.bq4"));
  WriteBytes(damaged, whole.substr(0, 900));
  struct Case {
    const char* name;
    std::string file;
    bool asked, yes;
    std::string fileName;
    bool endsProgram;
  };
  const std::string actual = dir_ + "/actual.bq4";
  WriteBytes(actual, whole.substr(0, 900));
  for (const Case& c : {Case{"Yes", damaged, true, true, "damaged", false},
                        Case{"No", damaged, true, false, "", true},
                        Case{"not asked", actual, false, false, "", false}}) {
    SCOPED_TRACE(c.name);
    InitFrameworkModules();
    UseTestDirs();
    SetCommandLineParams({c.file});
    platform::DialogScript script;
    script.Ok().Expect(ShownPath(c.file) + ": damaged project file: it ends after line ");
    if (c.asked) (c.yes ? script.Yes() : script.No()).Expect(ShownPath(c.file) + " already exists.   overwrite ?");
    Thh main;
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(StartedWithFile, 0);
    EXPECT_EQ(CurrentFileName, c.fileName);
    EXPECT_EQ(StartUpEndsProgram(), c.endsProgram);
    if (!c.asked) {
      ASSERT_FALSE(script.Shown().empty());
      EXPECT_NE(script.Shown()[0].text.find("without a name; the file stays as it is"), std::string::npos);
      // Saving asks for a name; Cancel leaves the file.
      script.Cancel();
      main.mi_FileSaveClick();
      EXPECT_EQ(script.Shown().back().kind, "save");
    }
    EXPECT_EQ(ReadBytes(c.file), whole.substr(0, 900));
  }
}

bool DisplayHas(const std::string& fragment) {
  for (const std::string& line : DisplayList->Lines())
    if (line.find(fragment) != std::string::npos) return true;
  return false;
}

// An edit that leaves the joint ending on a fatal message (the eccentric
// joint without a load-introduction share: "Φen = 0 !") shows the messages
// in place of the view; no result of the run is shown as current.
TEST_F(MainWindowTest, AnEditThatEndsTheCalculationFatallyShowsTheMessagesNotTheResults) {
  Sample("eccentric.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(dir_ + "/eccentric.bq4"); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(CalcFatalFlag, 0);
  main.show();
  main.Item("mi_viewQuick")->trigger();
  ASSERT_FALSE(DisplayHas("Calculation messages:"));
  const std::vector<std::string> results = DisplayList->Lines();
  Answered(
      [&](auto& s) {
        s.Ok({{"Edit_n1", "0"}});
        s.Cancel().Expect("Select message for more info");
      },
      [&] { main.mi_editlastClick(); });
  EXPECT_EQ(Last.n1, 0);
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(DisplayHas("Calculation messages:"));
  EXPECT_TRUE(DisplayHas("en = 0 !"));
  // None of the view's texts (its results) is left.
  for (const std::string& line : DisplayList->Lines())
    if (line.rfind("6;", 0) == 0) {
      EXPECT_EQ(std::count(results.begin(), results.end(), line), 0) << line;
    }
  main.grab().save(QString::fromStdString(ScreenshotDir() + "/fatal_eccentric.png"));
}

// Distinct colours among a grid of sample pixels.
int ColourCount(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 4)
    for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
  return static_cast<int>(colours.size());
}

TEST_F(MainWindowTest, EveryViewItemDrawsAndTheMenuBarKeepsTheDesktopColours) {
  Sample("null.bq4");
  Thh main;
  main.show();
  for (const char* name :
       {"mi_viewQuick", "mi_viewverspannungsschaubild", "mi_viewmontagezustanderf", "mi_viewmontagezustand",
        "mi_viewbetriebszustanderf", "mi_viewbetriebszustandmax", "mi_viewbetriebszustandmin",
        "mi_viewtabellenzeichnung", "mi_viewtabellekraefte", "mi_viewFlansch", "mi_viewmalphadiagramm",
        "mi_viewfalphadiagramm", "mi_viewfmmadiagramm", "mi_viewmafmdiagramm", "FMStatist1", "mi_viewdiagrams",
        "mi_viewzeichnungschraubenverbindung"}) {
    GraphClear();
    main.Item(name)->trigger();
    EXPECT_EQ(AbortFlag, 0) << name;
    EXPECT_GT(DisplayList->size(), 10u) << name;
  }
  // The joint drawing, the last one, on the screen; the menu bar keeps the
  // desktop's colours over the drawing background.
  EXPECT_GE(ColourCount(main.grab().toImage()), 3);
  EXPECT_TRUE(main.menuBar()->isVisible());
  EXPECT_EQ(main.menuBar()->palette().color(QPalette::Window),
            QApplication::palette(main.menuBar()).color(QPalette::Window));
}

// The M-alpha diagram of a joint whose hatched field is thinner than its
// numbers can tell apart is drawn, not hatched for ever.
TEST_F(MainWindowTest, AFieldTooThinToHatchStillDrawsItsDiagram) {
  std::filesystem::copy_file(std::string(BQ4_TEST_DATA) + "/calc/rounding/hatching_never_ends.bq4",
                             dir_ + "/null.bq4", std::filesystem::copy_options::overwrite_existing);
  Thh main;
  main.show();
  GraphClear();
  main.Item("mi_viewmalphadiagramm")->trigger();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_GT(DisplayList->size(), 10u);
}

}  // namespace
