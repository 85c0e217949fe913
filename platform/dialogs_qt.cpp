// The window's half of the dialog layer: modal forms, filled and pressed from
// a script or shown to the user, and the Qt message box and common dialogs.
#include "platform/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QSpinBox>
#include <QTextEdit>

#include <sys/stat.h>

#include <optional>

#include "platform/dialog_answers.h"
#include "platform/file_replace.h"
#include "platform/qt_text.h"

namespace platform {

using namespace dialog_detail;

namespace {

QString WithoutAccel(QString s) { return s.remove(QLatin1Char('&')); }

QWidget* ParentWindow() { return QApplication::activeWindow(); }

QString Filter(const std::vector<std::string>& patterns) {
  if (patterns.empty()) return QStringLiteral("*");
  QStringList p;
  for (const auto& x : patterns) p << QStringFromDisplay(x);
  return p.join(QLatin1Char(' ')) + QStringLiteral(" (") + p.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// Sets one control of a form from a script value; returns an error text.
std::string SetControl(QDialog& form, const std::string& name, const std::string& value) {
  QWidget* w = form.findChild<QWidget*>(QString::fromStdString(name));
  if (!w) return "has no control named \"" + name + "\"";
  QString text = QStringFromDisplay(value);
  int pos = PositionValue(value);
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(text);
  } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
    pe->setPlainText(text);
  } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
    te->setPlainText(text);
  } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
    int i = pos >= 0 ? pos : cb->findText(text);
    if (i >= 0 && i < cb->count()) {
      cb->setCurrentIndex(i);
    } else if (cb->isEditable()) {
      cb->setEditText(text);
    } else {
      return "combo box \"" + name + "\" has no item \"" + value + "\"";
    }
  } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
    int row = pos;
    if (row < 0) {
      auto items = lw->findItems(text, Qt::MatchExactly);
      row = items.isEmpty() ? -1 : lw->row(items.front());
    }
    if (row < 0 || row >= lw->count()) return "list \"" + name + "\" has no item \"" + value + "\"";
    lw->setCurrentRow(row);
  } else if (auto* cbx = qobject_cast<QCheckBox*>(w)) {
    cbx->setChecked(ParseBool(value));
  } else if (auto* rb = qobject_cast<QRadioButton*>(w)) {
    rb->setChecked(ParseBool(value));
  } else if (auto* sb = qobject_cast<QSpinBox*>(w)) {
    auto n = ParseInt(value);
    if (!n) return "spin box \"" + name + "\" needs a whole number, not \"" + value + "\"";
    sb->setValue(static_cast<int>(*n));
  } else if (auto* ds = qobject_cast<QDoubleSpinBox*>(w)) {
    bool ok = false;
    double d = text.toDouble(&ok);
    if (!ok) return "spin box \"" + name + "\" needs a number, not \"" + value + "\"";
    ds->setValue(d);
  } else if (auto* gb = qobject_cast<QGroupBox*>(w)) {
    auto radios = gb->findChildren<QRadioButton*>();
    QRadioButton* pick = nullptr;
    if (pos >= 0 && pos < radios.size()) pick = radios[pos];
    for (auto* r : radios)
      if (!pick && pos < 0 && WithoutAccel(r->text()) == WithoutAccel(text)) pick = r;
    if (!pick) return "group \"" + name + "\" has no choice \"" + value + "\"";
    pick->setChecked(true);
  } else if (auto* btn = qobject_cast<QAbstractButton*>(w)) {
    if (value != "click") return "button \"" + name + "\" takes the value \"click\"";
    btn->click();
  } else {
    return "cannot set control \"" + name + "\" of class " + w->metaObject()->className();
  }
  return {};
}

// Clicks the named push button, or closes the form directly when it has none.
void PressButton(QDialog& form, const std::string& name, bool accept) {
  if (auto* b = form.findChild<QAbstractButton*>(QString::fromStdString(name))) {
    b->click();
  } else if (accept) {
    form.accept();
  } else {
    form.reject();
  }
}

DialogResult RunScriptedForm(QDialog& form, const std::string& description, ScriptedAnswer first) {
  bool closed = false;
  QMetaObject::Connection watch = QObject::connect(
      &form, &QDialog::finished, &form, [&closed](int) { closed = true; }, Qt::DirectConnection);
  // A form behaves as shown (closing it emits finished) but never reaches the screen.
  bool wasVisible = form.isVisible();
  if (!wasVisible) {
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
  }
  std::string caption = DisplayFromQString(form.windowTitle());
  std::optional<ScriptedAnswer> answer = std::move(first);
  while (!closed) {
    if (!answer) {
      ScriptedAnswer next;
      Source src = NextAnswer("form", caption, description,
                              {DialogResult::Ok, DialogResult::Cancel}, next);
      if (src != Source::Scripted) {
        Log("form", caption, description, DialogResult::Cancel);
        PressButton(form, "Button_cancel", false);
        if (!closed) form.reject();
        break;
      }
      answer = std::move(next);
    }
    std::string error;
    for (const auto& [name, value] : answer->values) {
      std::string e = SetControl(form, name, value);
      if (!e.empty() && error.empty()) error = e;
    }
    if (!error.empty()) Fail("form \"" + caption + "\" " + error);
    Log("form", caption, description, answer->result);
    if (!answer->button.empty()) {
      PressButton(form, answer->button, true);
      if (!form.findChild<QAbstractButton*>(QString::fromStdString(answer->button)))
        Fail("form \"" + caption + "\" has no button named \"" + answer->button + "\"");
    } else {
      bool ok = answer->result == DialogResult::Ok;
      PressButton(form, ok ? "Button_ok" : "Button_cancel", ok);
    }
    answer.reset();
  }
  QObject::disconnect(watch);
  if (form.isVisible()) form.hide();
  if (!wasVisible) form.setAttribute(Qt::WA_DontShowOnScreen, false);
  return form.result() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

DialogResult UserMessageBox(const std::string& caption, const std::string& text, MessageButtons buttons,
                            MessageIcon icon) {
  QMessageBox box(ParentWindow());
  box.setWindowTitle(WindowTitleFromDisplay(caption));
  box.setText(QStringFromDisplay(text));
  // A window manager cuts a title wider than its window ("M... :"): the box
  // is made wide enough for its title beside the title bar's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    constexpr int kTitleBarButtons = 160;
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle()) * 5 / 4 + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::None: break;
  }
  if (buttons == MessageButtons::Ok) {
    box.setStandardButtons(QMessageBox::Ok);
  } else if (buttons == MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  }
  int res = box.exec();
  return res == QMessageBox::Yes          ? DialogResult::Yes
         : res == QMessageBox::No         ? DialogResult::No
         : buttons == MessageButtons::Ok ? DialogResult::Ok
                                          : DialogResult::Cancel;
}

std::string UserFile(const FileDialogRequest& req, bool save) {
  QString dir = QStringFromPath(req.directory);
  // No folder: the name alone (the working folder), never "/" + name.
  if (!req.fileName.empty())
    dir = dir.isEmpty() ? QStringFromPath(req.fileName) : dir + QLatin1Char('/') + QStringFromPath(req.fileName);
  QString got = save ? QFileDialog::getSaveFileName(ParentWindow(), QStringFromDisplay(req.title), dir,
                                                    Filter(req.patterns), nullptr,
                                                    QFileDialog::DontConfirmOverwrite)
                     : QFileDialog::getOpenFileName(ParentWindow(), QStringFromDisplay(req.title), dir,
                                                    Filter(req.patterns));
  return PathFromQString(got);
}

std::string UserDirectory(const std::string& title, const std::string& start) {
  return PathFromQString(
      QFileDialog::getExistingDirectory(ParentWindow(), QStringFromDisplay(title), QStringFromPath(start)));
}

std::optional<std::uint32_t> UserColour(std::uint32_t rgb) {
  QColor c = QColorDialog::getColor(QColor(QRgb(rgb & 0xFFFFFFu)), ParentWindow());
  if (!c.isValid()) return std::nullopt;
  return static_cast<std::uint32_t>(c.rgb() & 0xFFFFFFu);
}

bool UserFont(FontChoice& font) {
  QFont initial(QStringFromDisplay(font.family), font.pointSize > 0 ? font.pointSize : 10);
  initial.setBold(font.bold);
  initial.setItalic(font.italic);
  initial.setUnderline(font.underline);
  bool ok = false;
  QFont f = QFontDialog::getFont(&ok, initial, ParentWindow());
  if (!ok) return false;
  font.family = DisplayFromQString(f.family());
  font.pointSize = f.pointSize() > 0 ? f.pointSize() : font.pointSize;
  font.bold = f.bold();
  font.italic = f.italic();
  font.underline = f.underline();
  return true;
}

// Into a file, the print dialog's own check would open the file for
// appending (waiting for a reader on a FIFO, writing into a device) and make
// and remove a file that is not there yet, through a link too. The file is
// checked here instead, as the program checks its outputs, with nothing
// opened, made or removed; a refused name is named and the dialog stays
// open. The dialog's check of the printer's options is kept.
class FileCheckingPrintDialog : public QPrintDialog {
 public:
  FileCheckingPrintDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent) {
    for (QDialogButtonBox* buttons : findChildren<QDialogButtonBox*>()) {
      if (!QObject::disconnect(buttons, &QDialogButtonBox::accepted, this, nullptr)) continue;
      connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (OutputFileEdit() || !QMetaObject::invokeMethod(this, "_q_checkFields")) accept();
      });
    }
  }
  void accept() override {
    if (QLineEdit* edit = OutputFileEdit(); edit && !FileAccepted(edit->text())) return;
    QPrintDialog::accept();
  }

 private:
  // The output file's field, while the dialog prints into a file.
  QLineEdit* OutputFileEdit() {
    for (QLineEdit* edit : findChildren<QLineEdit*>(QStringLiteral("filename")))
      if (edit->isEnabled()) return edit;
    return nullptr;
  }
  bool FileAccepted(const QString& name) {
    const std::string file = PathFromQString(name);
    const std::string refusal = name.isEmpty() ? std::string("No file is named") : OutputRefusal(file);
    if (!refusal.empty()) {
      QMessageBox::warning(this, windowTitle(),
                           QStringFromPath(refusal) + QStringLiteral(".\nPlease choose a different file name."));
      return false;
    }
    struct stat st {};
    if (::lstat(ReplacementTarget(file).c_str(), &st) != 0) return true;
    return QMessageBox::question(this, windowTitle(),
                                 name + QStringLiteral(" already exists.\nDo you want to overwrite it?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
  }
};

bool UserPrint(PrintChoice& print) {
  QPrinter printer;
  if (!print.printerName.empty()) printer.setPrinterName(QStringFromDisplay(print.printerName));
  if (!print.outputFile.empty()) printer.setOutputFileName(QStringFromPath(print.outputFile));
  printer.setCopyCount(print.copies > 0 ? print.copies : 1);
  printer.setPageOrientation(print.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  FileCheckingPrintDialog dlg(&printer, ParentWindow());
  if (dlg.exec() != QDialog::Accepted) return false;
  print.printerName = DisplayFromQString(printer.printerName());
  print.outputFile = PathFromQString(printer.outputFileName());
  print.copies = printer.copyCount();
  print.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
  print.fromPage = printer.fromPage();
  print.toPage = printer.toPage();
  // The dialog itself asks before a file that is there is replaced.
  print.fileConfirmed = printer.outputFormat() == QPrinter::PdfFormat && !print.outputFile.empty();
  return true;
}

void UserBeep() { QApplication::beep(); }

const WindowDialogs kWindowDialogs = {UserMessageBox, UserFile,  UserDirectory, UserColour,
                                      UserFont,       UserPrint, UserBeep};

}  // namespace

void dialog_detail::InstallWindowDialogs() { SetWindowDialogs(&kWindowDialogs); }

DialogResult ExecModal(QDialog& form, const std::string& description) {
  std::string caption = DisplayFromQString(form.windowTitle());
  ScriptedAnswer a;
  Source src = NextAnswer("form", caption, description, {DialogResult::Ok, DialogResult::Cancel}, a);
  if (src == Source::Scripted) return RunScriptedForm(form, description, std::move(a));
  if (src == Source::Cancelled) {
    Log("form", caption, description, DialogResult::Cancel);
    PressButton(form, "Button_cancel", false);
    return DialogResult::Cancel;
  }
  return form.exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

}  // namespace platform
