// Dialogs: message boxes, modal forms, common dialogs (open, save, directory,
// colour, font, print) and the scripted answers that replace a user.
//
// Every dialog of the program goes through this layer. Texts passed in are
// display texts (Windows-1252 bytes); this layer turns them into Qt strings.
//
// How a dialog is answered:
//   1. A DialogScript is active and holds answers: the next answer is used.
//   2. Batch run (SetBatchMode(true), set by the command-line modes): the dialog
//      answers Cancel and its text goes to stderr.
//   3. A test (a script active, or BQ4_TEST_MODE=1): the dialog is an error. It
//      is reported through the dialog failure handler (tests: a gtest failure
//      naming the dialog; elsewhere: stderr and abort) and answers Cancel.
//   4. A window that no user sees (the offscreen platform, no display), outside
//      the tests: as in a batch run, Cancel, and its text goes to stderr.
//   5. Otherwise the real Qt dialog is shown and the user answers.
//
// In a test (one script per test, on the stack):
//     platform::DialogScript script;
//     script.Yes();                                  // next message box: Yes
//     script.Ok({{"Edit_text", "42"}});              // next form: fill, press OK
//     script.Ok().Expect("Invalid Input");           // and its text must say so
//     script.File("/tmp/x/joint.bq4");               // next open/save dialog
//     script.Cancel();
//     CodeUnderTest();
//     EXPECT_EQ(script.Shown().at(0).caption, "Error  : ");
//   When the script goes out of scope, every answer must have been used; an
//   answer left over, or one that does not fit its dialog (Yes for a form, a
//   control name that does not exist), fails the test.
//
// Forms (QDialog subclasses) run through ExecModal(). Under a script an Ok
// answer sets the named controls (QLineEdit, QPlainTextEdit, QComboBox,
// QListWidget, QCheckBox, QRadioButton, QGroupBox of radio buttons, QSpinBox,
// QDoubleSpinBox; "#n" picks row or button n counted from 0, any other value
// the item with that text) and then clicks the button named "Button_ok"
// (Cancel: "Button_cancel"; Press(name): that button), or calls accept() /
// reject() when the form has no such button. A form that stays open after the
// click (its OK handler rejected the input) takes the next answer. A test may
// also build a form offscreen, fill it and call its handler directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QDialog;

namespace platform {

enum class DialogResult { Cancel = 0, Ok = 1, Yes = 2, No = 3 };

// Control object name (or common-dialog key) and the value to set.
using DialogValues = std::vector<std::pair<std::string, std::string>>;

struct ScriptedAnswer {
  DialogResult result = DialogResult::Cancel;
  DialogValues values;
  std::string button;  // forms: object name of the button to click
  std::string expect;  // the dialog's caption or text must contain this
};

// One dialog that was asked while a script was active.
struct ShownDialog {
  std::string kind;  // "message", "form", "open", "save", "directory", "colour", "font", "print"
  std::string caption;
  std::string text;
  DialogResult answer = DialogResult::Cancel;
};

// Queues answers for the dialogs asked during its lifetime. Only one may be
// active at a time.
class DialogScript {
 public:
  DialogScript();
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  DialogScript& Ok(DialogValues values = {});
  DialogScript& Cancel();
  DialogScript& Yes();
  DialogScript& No();
  // Fills the form's controls and clicks the named button instead of OK.
  DialogScript& Press(std::string button, DialogValues values = {});
  // Ok for the common dialogs.
  DialogScript& File(std::string path);
  DialogScript& Directory(std::string path);
  DialogScript& Colour(std::uint32_t rgb);  // 0xRRGGBB
  // The dialog answered by the answer queued last must contain this text.
  DialogScript& Expect(std::string fragment);

  std::size_t Pending() const;
  const std::vector<ShownDialog>& Shown() const;
};

// Batch runs answer every unscripted dialog with Cancel and write it to stderr.
void SetBatchMode(bool on);
bool BatchMode();

// Receives every misuse of the dialog layer in a headless run (unanswered
// dialog, unfitting or unused answer). Returns the handler it replaces. With no
// handler the message goes to stderr and the process aborts.
using DialogFailureHandler = std::function<void(const std::string& message)>;
DialogFailureHandler SetDialogFailureHandler(DialogFailureHandler handler);

// Message boxes --------------------------------------------------------------

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };

// Modal message box; returns Ok for an OK box, or Yes, No, Cancel.
DialogResult ShowMessageBox(const std::string& caption, const std::string& text,
                            MessageButtons buttons = MessageButtons::Ok,
                            MessageIcon icon = MessageIcon::None);

// The system's warning sound; silent while a script or a batch run answers.
void Beep();

// Modal forms ----------------------------------------------------------------

// Runs the form modally (or through the script). Returns Ok when it was
// accepted, Cancel when rejected. `description` names it in logs and messages.
DialogResult ExecModal(QDialog& form, const std::string& description = {});

// Common dialogs (return true when the user chose something) ------------------

struct FileDialogRequest {
  std::string title;
  std::string directory;               // start folder
  std::string fileName;                // proposed name
  std::vector<std::string> patterns;   // "*.bq4"; empty: every file
};

// Script key "file". Folders and names, asked and chosen, are the file
// system's bytes (UTF-8), not display texts. The save dialog does not ask
// about overwriting: callers do.
bool AskOpenFile(const FileDialogRequest& request, std::string& chosen);
bool AskSaveFile(const FileDialogRequest& request, std::string& chosen);
// Script key "directory".
bool AskDirectory(const std::string& title, const std::string& start, std::string& chosen);
// Script key "colour": "#RRGGBB" or a decimal 0xRRGGBB value.
bool AskColour(std::uint32_t& rgb);

struct FontChoice {
  std::string family;  // script keys "family", "size", "bold", "italic", "underline"
  int pointSize = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};
bool AskFont(FontChoice& font);

struct PrintChoice {
  std::string printerName;  // script keys "printer", "file", "copies", "orientation",
  std::string outputFile;   // "from", "to"; a PDF file (the file system's bytes) when set
  int copies = 1;
  bool landscape = false;
  int fromPage = 0;  // 0: all pages
  int toPage = 0;
  // The user's print dialog asked before outputFile is replaced (a scripted
  // answer never does).
  bool fileConfirmed = false;
};
bool AskPrint(PrintChoice& print);

}  // namespace platform
