#include "framework/input_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/globals.h"
#include "framework/init.h"
#include "framework/math_utils.h"
#include "output_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "../shown_path.h"

namespace fs = std::filesystem;
using platform::DialogScript;

namespace {

class InputDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    for (std::size_t i = 1; i <= 10; ++i) ItemTexts[i] = "choice " + std::to_string(i);
    dir = FreshTestDir("input");
  }
  std::string dir;
};

// Seven choices are radio buttons, eight a list.
TEST_F(InputDialogsTest, SelectCodeTakesTheChoiceOrPreselectsTheFirst) {
  DialogScript script;
  Word index = 1;
  script.Ok({{"RadioGroup_items", "#6"}});
  SelectCode("pick", 7, index);
  EXPECT_EQ(index, 7);
  script.Ok({{"ListBox_items", "#7"}});
  SelectCode("pick", 8, index);
  EXPECT_EQ(index, 8);
  script.Ok({{"ListBox_items", "choice 3"}});
  SelectCode("pick", 10, index);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(script.Shown()[0].caption, "Select");
  // An index outside the choices preselects the first.
  for (int start : {0, 8, 200}) {
    index = static_cast<Word>(start);
    script.Ok();
    SelectCode("pick", 7, index);
    EXPECT_EQ(index, 1) << start;
  }
  index = 5;
  script.Ok();
  SelectCode("pick", 9, index);
  EXPECT_EQ(index, 5);  // kept preselection
}

TEST_F(InputDialogsTest, AnswersAreConvertedAndCancelLeavesTheValuesAndSetsAbortFlag) {
  DialogScript script;
  Word index = 4;
  script.Cancel();
  SelectCode("pick", 9, index);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  bool value = true;
  script.Cancel();
  AskYesNo("sure?", value);
  EXPECT_TRUE(value);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  std::string text = "old";
  script.Cancel();
  InputText("name", 20, text);
  EXPECT_EQ(text, "old");
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  // The preselection of a yes/no question, and the answer taken.
  for (char start : {'n', 'N', 'J', 'x'}) {
    char answer = start;
    script.Ok();
    AskYesNoChar("sure?", answer);
    EXPECT_EQ(answer, start == 'n' || start == 'N' ? 'N' : 'J') << start;
  }
  value = false;
  script.Ok({{"RadioButton_yes", "1"}});
  AskYesNo("sure?", value);
  EXPECT_TRUE(value);
  // A typed text is stored in the program's code page.
  text = "M\x84";  // stored a umlaut
  script.Ok({{"Edit_text", "Gr\xF6\xDF" "e"}});  // display o umlaut, sharp s
  InputText("name", 20, text);
  EXPECT_EQ(text, "Gr\x94\xE1" "e");
}

// A text left as it is shown comes back byte for byte in either
// character-set mode, also where the own transcription of mode 1 shows it
// otherwise ("ue" for the u with umlaut) or maps a letter to another code.
TEST_F(InputDialogsTest, AnUnchangedTextComesBackByteForByteInEitherCharacterSetMode) {
  std::string every;
  for (int c = 128; c < 256; ++c) every += static_cast<char>(c);
  for (Word mode : {0, 1}) {
    CharSetMode = mode;
    for (const std::string& stored : {std::string("R\x81" "ckseite"), std::string("\xE8" "en"),
                                      std::string("\xE6G"), every.substr(0, 64), every.substr(64)}) {
      std::string text = stored;
      DialogScript script;
      script.Ok();
      InputText("description", 80, text);
      EXPECT_EQ(AbortFlag, 0);
      EXPECT_EQ(text, stored) << "mode " << mode;
    }
  }
  // A changed text is stored as typed, in either mode: "µ" is no "u".
  for (Word mode : {0, 1}) {
    CharSetMode = mode;
    std::string text = "R\x81" "ckseite";
    DialogScript script;
    script.Ok({{"Edit_text", "Vorderseite \xB5G"}});
    InputText("description", 80, text);
    EXPECT_EQ(text, "Vorderseite \xE6G") << "mode " << mode;
  }
  CharSetMode = 0;
}

// A text that is no number brings back the value held before the dialog, not
// a value refused in a round before: OK on it then ends the dialog.
TEST_F(InputDialogsTest, TextThatIsNoNumberBringsBackTheValueBeforeTheDialog) {
  DialogScript script;
  Extended value = 5;
  script.Ok({{"Edit_text", "20"}});
  script.Ok().Expect("Valid Data are: 1 .. 10 !");
  script.Ok({{"Edit_text", "abc"}});
  script.Ok().Expect("Invalid Input \"abc\" !");
  script.Ok();
  InputFloatInRange("value", value, 1, 10);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(script.Shown().size(), 5u);
}

// Text and values out of range are asked for again; a real has six bytes;
// integer limits given backwards are swapped; lengths are in inches in
// imperial mode.
TEST_F(InputDialogsTest, NumberInputsRejectTextAndOutOfRangeValues) {
  DialogScript script;
  Extended value = 5;
  script.Ok({{"Edit_text", "abc"}});
  script.Ok().Expect("Invalid Input \"abc\" !");
  script.Ok({{"Edit_text", "20"}});
  script.Ok().Expect("Valid Data are: 1 .. 10 !");
  script.Ok({{"Edit_text", "10"}});
  InputFloatInRange("value", value, 1, 10);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(AbortFlag, 0);
  // After "abc" the dialog shows the old value again.
  script.Ok({{"Edit_text", "2,5"}});
  InputFloatInRange("value", value, 1, 10);
  EXPECT_EQ(value, 2.5L);
  script.Ok({{"Edit_text", "1"}});
  InputFloatInRange("value", value, 1, 10);
  EXPECT_EQ(value, 1);
  script.Cancel();
  InputFloatInRange("value", value, 5, 10);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  script.Ok({{"Edit_text", "0.1"}});
  InputRealInRange("scale", value, 0, 10);
  EXPECT_EQ(value, RoundToReal48(0.1L));
  EXPECT_NE(value, 0.1L);

  int count = 3;
  script.Ok({{"Edit_text", "11"}});
  script.Ok().Expect("Valid Data are: 1 .. 10 !");
  script.Ok({{"Edit_text", "1"}});
  InputIntInRange("count", count, 10, 1);
  EXPECT_EQ(count, 1);
  Word w = 7;
  script.Ok({{"Edit_text", "9"}});
  InputWordInRange("count", w, 1, 10);
  EXPECT_EQ(w, 9);

  value = 25.4L;
  UnitSystem = 1;
  script.Ok({{"Edit_text", "2"}});
  InputLengthInRange("length", value, 0, 100);
  EXPECT_NEAR(static_cast<double>(value), 50.8, 1e-9);
  EXPECT_EQ(script.Shown().at(13).text, "length [inch]");
  UnitSystem = 0;
  script.Ok();
  InputStressInRange("stress", value, 0, 100);
  EXPECT_EQ(script.Shown().at(14).text, "stress [MPa]");
}

// A typed length whose "," (or, where "," is shown, ".") stands before
// three digits reads two ways: refused naming both and asked again.
TEST_F(InputDialogsTest, ANumberThatReadsTwoWaysIsAskedForAgain) {
  DialogScript script;
  Extended value = 55;
  script.Ok({{"Edit_text", "1,500"}});
  script.Ok().Expect("bolt length [mm]: \"1,500\" is ambiguous: 1500 or 1.5 ?  Please type 1500, or 1.5.");
  script.Ok({{"Edit_text", "0,125"}});
  InputLengthInRange("bolt length", value, 0, 2000);
  EXPECT_EQ(value, 0.125L);
  EXPECT_EQ(AbortFlag, 0);
  DecimalCommaMode = 2;
  script.Ok({{"Edit_text", "1.500"}});
  script.Ok().Expect("\"1.500\" is ambiguous: 1500 or 1,5 ?");
  script.Ok({{"Edit_text", "1,500"}});
  InputFloatInRange("value", value, 0, 2000);
  EXPECT_EQ(value, 1.5L);
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(InputDialogsTest, SelectFileNameRefusesNamesInArchiveModeAndAsksForAnEmptyName) {
  DialogScript script;
  CurrentDir = dir;
  StartedWithFile = 1;
  ArchiveFlag = 1;
  std::string full;
  script.Ok().Expect("Option is not available in archive mode.");
  SelectFileName("joint", full);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  SelectFileName("actual", full);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(full, dir + "/actual." + InputFileExt.str());
  ArchiveFlag = 0;
  SelectFileName("joint", full);
  EXPECT_EQ(StartedWithFile, 0);
  // An empty name asks and takes directory and name.
  CurrentDir = "/somewhere";
  script.File(dir + "/chosen.bq4");
  SelectFileName("", full);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentDir, dir);
  EXPECT_EQ(CurrentFileName, "chosen");
  EXPECT_EQ(full, dir + "/chosen." + InputFileExt.str());
  script.File(dir + "/Flansch \u00e4 1.bq4");
  SelectFileName("", full);
  EXPECT_EQ(CurrentFileName, "Flansch \u00e4 1");
  EXPECT_EQ(full, dir + "/Flansch \u00e4 1." + InputFileExt.str());
  script.Cancel();
  SelectFileName("", full);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  SelectFileName(dir + "/report.bq4", full);
  EXPECT_EQ(full, dir + "/report.bq4");
}

// A name with further dots ("joint.v2", "Flansch 1.5") is a project name, not
// a file: it gets the folder and the extension; a chosen file loses only the
// extension of the kind, and the project then has that extension.
TEST_F(InputDialogsTest, SelectFileNameKeepsTheFurtherDotsOfAName) {
  DialogScript script;
  CurrentDir = dir;
  std::string full;
  SelectFileName("joint.v2", full);
  EXPECT_EQ(full, dir + "/joint.v2.bq4");
  SelectFileName("Flansch 1.5", full);
  EXPECT_EQ(full, dir + "/Flansch 1.5.bq4");
  std::filesystem::create_directories(dir + "/d.1");
  SelectFileName(dir + "/d.1/joint", full);
  EXPECT_EQ(full, dir + "/d.1/joint.bq4");
  SelectFileName(dir + "/joint.v2.bq4", full);
  EXPECT_EQ(full, dir + "/joint.v2.bq4");
  CurrentFileExt = "bak";
  script.File(dir + "/joint.v2");
  SelectFileName("", full);
  EXPECT_EQ(CurrentFileName, "joint.v2");
  EXPECT_EQ(full, dir + "/joint.v2.bq4");
  EXPECT_EQ(CurrentFileExt, "");
  script.File(dir + "/Flansch 1.5.BQ4");
  SelectFileName("", full);
  EXPECT_EQ(CurrentFileName, "Flansch 1.5");
  EXPECT_EQ(full, dir + "/Flansch 1.5.bq4");
}

// Cancelling the directory choice keeps the start without an abort; the
// open-file dialogs keep the old name and abort.
// A name typed with a line break is refused by name and asked again.
TEST_F(InputDialogsTest, PathsHoldingALineBreakAreRefusedAndAskedAgain) {
  DialogScript script;
  std::string path = "/tmp";
  script.Ok({{"Edit_text", "/tmp/Plot\n\xE4"}}).Expect("temporary directory");
  script.Ok().Expect("The name \"/tmp/Plot|\xE4\" holds a line break");
  script.Ok({{"Edit_text", "/tmp/Plot \xE4"}}).Expect("temporary directory");
  InputPath("temporary directory", 60, path);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(path, "/tmp/Plot \xC3\xA4");
  script.Ok({{"Edit_text", "/tmp/a\rb"}});
  script.Ok().Expect("holds a line break");
  script.Cancel();
  InputPath("temporary directory", 60, path);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(path, "/tmp/Plot \xC3\xA4");
}

TEST_F(InputDialogsTest, DirectoryAndOpenFileDialogs) {
  DialogScript script;
  std::string chosen = "x";
  script.Cancel();
  SelectDirectory(dir, chosen);
  EXPECT_EQ(chosen, dir);
  EXPECT_EQ(AbortFlag, 0);
  fs::create_directories(dir + "/sub");
  script.Ok({{"Edit_directory", ShownPath(dir) + "/sub"}});
  SelectDirectory(dir, chosen);
  EXPECT_EQ(chosen, dir + "/sub");
  std::string result;
  script.File(dir + "/prog.exe");
  SelectOpenFile("/usr/bin/prog", "*.exe", result);
  EXPECT_EQ(result, dir + "/prog.exe");
  script.Cancel();
  SelectOpenFile("/usr/bin/prog", "*.exe", result);
  EXPECT_EQ(result, "/usr/bin/prog");
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  std::string d = "/", name;
  script.File(dir + "/joint.xyz1");
  SelectFileOfKind(4, d, "*.*", name);
  EXPECT_EQ(d, dir + "/");
  EXPECT_EQ(name, "joint");
  EXPECT_EQ(InputFileExt.str(), "xyz");
  script.File(dir + "/pic.plt");
  SelectFileOfKind(5, d, "*.plt", name);
  EXPECT_EQ(name, dir + "/pic.plt");
  // Names are the file system's bytes (UTF-8) as chosen, in folders too; the
  // directory form's edit is typed in (shows) Windows-1252.
  script.File(dir + "/Projekte \u00e4/Gr\u00f6\u00dfe \u00fc.bq4");
  SelectFileOfKind(5, d, "*.bq4", name);
  EXPECT_EQ(name, dir + "/Projekte \u00e4/Gr\u00f6\u00dfe \u00fc.bq4");
  EXPECT_EQ(d, dir + "/Projekte \u00e4/");
  fs::create_directories(fs::u8path(dir + "/sub \u00e4"));
  script.Ok({{"Edit_directory", ShownPath(dir) + "/sub \xE4"}});
  SelectDirectory(dir, chosen);
  EXPECT_EQ(chosen, dir + "/sub \u00e4");
}

}  // namespace

// In inches (and psi) an answer left as proposed keeps the stored value
// exactly, as does Cancel; a changed answer is converted back.
TEST_F(InputDialogsTest, AnUnchangedAnswerInAnotherUnitKeepsTheStoredValue) {
  DialogScript script;
  UnitSystem = 1;
  Extended da = 436;
  script.Ok();
  InputLengthInRange("outer diameter Da", da, 300, 100000);
  EXPECT_EQ(da, 436);
  EXPECT_EQ(script.Shown().back().text, "outer diameter Da [inch]");
  script.Cancel();
  InputLengthInRange("outer diameter Da", da, 300, 100000);
  EXPECT_EQ(da, 436);
  AbortFlag = 0;
  Extended stress = 1234.5678L;
  script.Ok();
  InputStressInRange("Sig.a.zul", stress, 1, 10000);
  EXPECT_EQ(stress, 1234.5678L);
  script.Ok({{"Edit_text", "20"}});
  InputLengthInRange("outer diameter Da", da, 300, 100000);
  EXPECT_NEAR(static_cast<double>(da), 508, 1e-9);
  EXPECT_EQ(script.Pending(), 0u);
  UnitSystem = 0;
}
