#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

#include "platform/cursor.h"
#include "platform/dialog_answers.h"
#include "platform/os.h"
#include "platform/qt_text.h"

using platform::DialogResult;
using platform::DialogScript;

namespace {

// A small form: an edit, a list, a radio group; OK refuses an empty edit. The
// dialog layer finds controls by name, so the form needs no layout.
class SampleForm : public QDialog {
 public:
  SampleForm() {
    setWindowTitle("Sample");
    edit = new QLineEdit(this);
    edit->setObjectName("Edit_text");
    list = new QListWidget(this);
    list->setObjectName("ListBox_items");
    list->addItems({"one", "two", "three"});
    auto* group = new QGroupBox("Select", this);
    group->setObjectName("RadioGroup_kind");
    for (const char* t : {"&Yes", "&No"}) new QRadioButton(t, group);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button_ok");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Button_cancel");
    connect(ok, &QPushButton::clicked, this, [this] {
      ++okClicks;
      if (!edit->text().isEmpty()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
      cancelled = true;
      reject();
    });
  }
  QLineEdit* edit;
  QListWidget* list;
  int okClicks = 0;
  bool cancelled = false;
};

}  // namespace

// Message box answers are checked wherever a test answers one, a chosen file
// where the main window's test opens and saves projects; here a cancelled
// file dialog and the other common dialogs, which few tests meet.
TEST(PlatformDialogs, CommonDialogsTakeScriptedAnswersInOrder) {
  DialogScript script;
  script.Cancel().Directory("/data").Colour(0x12AB34);
  script.Ok({{"family", "Courier"}, {"size", "12"}, {"bold", "1"}});
  script.Ok({{"file", "/tmp/out.pdf"}, {"copies", "2"}, {"orientation", "landscape"}});
  std::string f = "old", d;
  EXPECT_FALSE(platform::AskSaveFile({"Save", "/data", "b.bq4", {}}, f));
  EXPECT_EQ(f, "old");
  EXPECT_TRUE(platform::AskDirectory("Dir", "/", d));
  EXPECT_EQ(d, "/data");
  std::uint32_t c = 0;
  EXPECT_TRUE(platform::AskColour(c));
  EXPECT_EQ(c, 0x12AB34u);
  platform::FontChoice font{"Arial", 10, false, true, false};
  EXPECT_TRUE(platform::AskFont(font));
  EXPECT_EQ(font.family + " " + std::to_string(font.pointSize), "Courier 12");
  EXPECT_TRUE(font.bold && font.italic);  // italic not named: kept
  platform::PrintChoice print;
  EXPECT_TRUE(platform::AskPrint(print));
  EXPECT_EQ(print.outputFile + " " + std::to_string(print.copies), "/tmp/out.pdf 2");
  EXPECT_TRUE(print.landscape);
}

TEST(PlatformDialogs, MisuseIsReported) {
  // What the dialog layer reports as misuse is collected instead of failing
  // the test, until the handler is put back before any fatal check.
  std::vector<std::string> failures;
  const auto handler = platform::SetDialogFailureHandler([&](const std::string& m) { failures.push_back(m); });
  {
    DialogScript script;
    // No answer queued.
    EXPECT_EQ(platform::ShowMessageBox("Q", "unanswered", platform::MessageButtons::YesNoCancel),
              DialogResult::Cancel);
    // An answer that does not fit the dialog is refused and taken as Cancel.
    script.Yes();
    std::string f;
    EXPECT_FALSE(platform::AskOpenFile({"Open", "/tmp", "", {"*.bq4"}}, f));
    // A text that does not match the expectation.
    script.Ok().Expect("something else");
    platform::ShowMessageBox("Message:", "hello");
    // An answer left over at the end.
    script.No();
  }
  std::string dir;  // no script at all
  EXPECT_FALSE(platform::AskDirectory("Select Directory", "/tmp", dir));
  {
    // A control or a list item that the form does not have.
    DialogScript script;
    script.Ok({{"Edit_nothere", "1"}, {"Edit_text", "a"}}).Ok({{"ListBox_items", "four"}});
    SampleForm first, second;
    platform::ExecModal(first);
    second.edit->setText("filled");
    platform::ExecModal(second);
  }
  platform::SetDialogFailureHandler(handler);
  ASSERT_EQ(failures.size(), 7u);
  EXPECT_NE(failures[0].find("unanswered"), std::string::npos);
  const char* says[] = {"no scripted answer", "does not fit", "something else", "never used: No", "Select Directory",
                        "Edit_nothere",       "four"};
  for (int i = 0; i < 7; ++i) EXPECT_NE(failures[i].find(says[i]), std::string::npos) << says[i];
}

// A dialog the batch run answers is no misuse: the test program's own
// failure handler would report it.
TEST(PlatformDialogs, BatchModeAnswersCancelAndWritesToStderr) {
  SampleForm form;
  platform::SetBatchMode(true);
  testing::internal::CaptureStderr();
  auto r = platform::ShowMessageBox("BQ4", "Save changes?", platform::MessageButtons::YesNoCancel);
  std::string f = "unchanged";
  bool chose = platform::AskSaveFile({"Save", "/tmp", "x.bq4", {"*.bq4"}}, f);
  const DialogResult formResult = platform::ExecModal(form, "a form");
  std::string err = testing::internal::GetCapturedStderr();
  platform::SetBatchMode(false);
  EXPECT_EQ(r, DialogResult::Cancel);
  EXPECT_FALSE(chose);
  EXPECT_EQ(f, "unchanged");
  EXPECT_EQ(formResult, DialogResult::Cancel);
  EXPECT_TRUE(form.cancelled);  // through the form's own cancel handler
  EXPECT_NE(err.find("Save changes?"), std::string::npos);
  EXPECT_NE(err.find("batch"), std::string::npos);
  EXPECT_NE(err.find("Sample"), std::string::npos);
}

// The window on the offscreen platform, outside the tests, has no user: a
// dialog is answered as in a batch run, its text on stderr, never an abort.
// Inside the tests the same dialog is a failure (MisuseIsReported).
TEST(PlatformDialogs, AWindowNoUserSeesAnswersAsABatchRunDoes) {
  if (!platform::IsHeadless()) GTEST_SKIP() << "the offscreen platform only";
  unsetenv("BQ4_TEST_MODE");
  testing::internal::CaptureStderr();
  const auto r = platform::ShowMessageBox("BQ4", "directory nodir not found !", platform::MessageButtons::YesNo);
  std::string f = "unchanged";
  const bool chose = platform::AskOpenFile({"Open", "/tmp", "", {"*.bq4"}}, f);
  const std::string err = testing::internal::GetCapturedStderr();
  setenv("BQ4_TEST_MODE", "1", 1);
  EXPECT_EQ(r, DialogResult::No);
  EXPECT_FALSE(chose);
  EXPECT_EQ(f, "unchanged");
  EXPECT_NE(err.find("directory nodir not found !"), std::string::npos) << err;
  EXPECT_NE(err.find("no display"), std::string::npos) << err;
}

TEST(PlatformDialogs, FormIsFilledByObjectNameAndAnsweredUntilAButtonCloses) {
  SampleForm form;
  DialogScript script;
  script.Ok({{"Edit_text", "M12"}, {"ListBox_items", "three"}, {"RadioGroup_kind", "No"}});
  EXPECT_EQ(platform::ExecModal(form, "sample"), DialogResult::Ok);
  EXPECT_EQ(form.edit->text(), "M12");
  EXPECT_EQ(form.list->currentRow(), 2);
  EXPECT_TRUE(form.findChildren<QRadioButton*>()[1]->isChecked());
  EXPECT_EQ(form.okClicks, 1);
  // A form that refuses OK takes the next answer.
  form.edit->clear();
  script.Ok({{"ListBox_items", "#1"}}).Ok({{"Edit_text", "x"}});
  EXPECT_EQ(platform::ExecModal(form), DialogResult::Ok);
  EXPECT_EQ(form.okClicks, 3);
  EXPECT_EQ(form.list->currentRow(), 1);
  script.Cancel();  // Cancel runs the cancel handler
  EXPECT_EQ(platform::ExecModal(form), DialogResult::Cancel);
  EXPECT_TRUE(form.cancelled);
}

TEST(PlatformDialogs, DisplayTextRoundTripsAllBytes) {
  std::string all;
  for (int i = 1; i < 256; ++i) all.push_back(static_cast<char>(i));
  QString q = platform::QStringFromDisplay(all);
  EXPECT_EQ(q[0x80 - 1], QChar(0x20AC));  // euro sign
  EXPECT_EQ(q[0xE4 - 1], QChar(0xE4));    // a umlaut
  EXPECT_EQ(platform::DisplayFromQString(q), all);
  EXPECT_EQ(platform::DisplayFromQString(QString::fromUtf8("\xED\x8C\x8C")), "?");
}

TEST(PlatformDialogs, BusyCursorNestsOnceAndArrowRestores) {
  platform::ShowBusyCursor();
  platform::ShowBusyCursor();
  EXPECT_TRUE(platform::BusyCursorShown());
  platform::ShowArrowCursor();
  EXPECT_FALSE(platform::BusyCursorShown());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

namespace {

// Answers the modal dialogs of the window one after the other, each step
// acting on the dialog in front; a step that finds no dialog waits for the
// next round of the event loop. Whatever is still open after the steps is
// cancelled, so that a test fails rather than hangs.
class ModalSteps {
 public:
  using Step = std::function<void(QWidget*)>;
  explicit ModalSteps(std::vector<Step> steps) : steps_(std::move(steps)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Next(); });
    timer_.start();
  }
  std::size_t Done() const { return done_; }

 private:
  // A step runs from an event of its own: one that opens a dialog returns
  // only when that dialog closes, and the timer is not fired again while its
  // own handler runs.
  void Next() {
    QPointer<QWidget> front = QApplication::activeModalWidget();
    if (pending_ || !front) return;
    pending_ = true;
    QTimer::singleShot(0, [this, front] {
      pending_ = false;
      if (!front) return;
      if (done_ < steps_.size()) {
        steps_[done_++](front);
      } else if (auto* d = qobject_cast<QDialog*>(front.data())) {
        d->reject();
      }
    });
  }
  std::vector<Step> steps_;
  std::size_t done_ = 0;
  bool pending_ = false;
  QTimer timer_;
};

// The print dialog's field of the output file, with a name typed in, and its
// print button pressed.
ModalSteps::Step PrintInto(const std::string& file) {
  return [file](QWidget* dialog) {
    ASSERT_NE(qobject_cast<QPrintDialog*>(dialog), nullptr);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->isEnabled());
    edit->setText(platform::QStringFromPath(file));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  };
}

// A message box's text kept, and the box answered with `button`.
ModalSteps::Step Answer(QString& text, QMessageBox::StandardButton button) {
  return [&text, button](QWidget* front) {
    auto* box = qobject_cast<QMessageBox*>(front);
    ASSERT_NE(box, nullptr);
    text = box->text();
    box->button(button)->click();
  };
}

}  // namespace

// Printing into a file through a link that leads nowhere: the print dialog
// looks at the name without making, opening or removing a file. A link into
// a folder that is there is taken (the PDF goes where it leads, the link
// stays); one into a missing folder is refused by name; a file that is there
// is replaced only on Yes.
TEST(PlatformDialogs, PrintDialogChecksItsFileWithoutMakingOrRemovingOne) {
  const auto* window = platform::dialog_detail::GetWindowDialogs();
  ASSERT_NE(window, nullptr);
  namespace fs = std::filesystem;
  const std::string dir = platform::ProcessTempDir() + "/print dialog \xC3\xA4";
  fs::remove_all(dir);
  fs::create_directories(dir + "/elsewhere");
  const std::string nowhere = dir + "/nowhere.pdf", linked = dir + "/linked.pdf", old = dir + "/old.pdf";
  fs::create_symlink(dir + "/gone/out.pdf", nowhere);
  fs::create_symlink(dir + "/elsewhere/out.pdf", linked);
  std::ofstream(old) << "old";
  const auto listing = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.insert(e.path().string());
    return names;
  };
  const std::set<std::string> before = listing();

  QString refused, question;
  platform::PrintChoice choice;
  choice.outputFile = nowhere;
  {
    ModalSteps steps({PrintInto(nowhere), Answer(refused, QMessageBox::Ok), PrintInto(linked)});
    ASSERT_TRUE(window->askPrint(choice));
    EXPECT_EQ(steps.Done(), 3u);
  }
  EXPECT_TRUE(refused.contains(platform::QStringFromPath(dir + "/gone does not exist"))) << refused.toStdString();
  EXPECT_EQ(choice.outputFile, linked);
  EXPECT_EQ(listing(), before);  // the links stay, nothing made where they lead

  {
    ModalSteps steps({PrintInto(old), Answer(question, QMessageBox::No)});  // then cancelled
    EXPECT_FALSE(window->askPrint(choice));
    EXPECT_EQ(steps.Done(), 2u);
  }
  EXPECT_TRUE(question.contains(QStringLiteral("already exists"))) << question.toStdString();
  {
    ModalSteps steps({PrintInto(old), Answer(question, QMessageBox::Yes)});
    EXPECT_TRUE(window->askPrint(choice));
    EXPECT_TRUE(choice.fileConfirmed);
  }
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(fs::file_size(old), 3u);
}
