#include "framework/forms/form_selectdir.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

TForm_selectDir::TForm_selectDir(const QString& start, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Select Directory");
  auto* lay = new QVBoxLayout(this);
  ComboBox_drive = new QComboBox(this);
  ComboBox_drive->setObjectName("ComboBox_drive");
  ComboBox_drive->addItems({QDir::rootPath(), QDir::homePath()});
  Edit_directory = new QLineEdit(this);
  Edit_directory->setObjectName("Edit_directory");
  DirListBox = new QListWidget(this);
  DirListBox->setObjectName("DirListBox");
  DirListBox->setMinimumSize(320, 240);
  lay->addWidget(ComboBox_drive);
  lay->addWidget(Edit_directory);
  lay->addWidget(DirListBox, 1);
  auto* buttons = new QHBoxLayout;
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  Button_cancel = new QPushButton("Cancel", this);
  Button_cancel->setObjectName("Button_cancel");
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  lay->addLayout(buttons);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ComboBox_drive, &QComboBox::activated, this,
          [this](int i) { ShowDirectory(ComboBox_drive->itemText(i)); });
  connect(DirListBox, &QListWidget::itemDoubleClicked, this, [this] { DirListBoxDblClick(); });
  connect(Edit_directory, &QLineEdit::editingFinished, this, [this] {
    if (QDir(Edit_directory->text()).exists()) ShowDirectory(Edit_directory->text());
  });
  QString first = !start.isEmpty() && QDir(start).exists() ? start : QDir::currentPath();
  ShowDirectory(first);
  ScaleCenterForm(*this);
}

void TForm_selectDir::ShowDirectory(const QString& dir) {
  QDir d(dir);
  QString path = QDir::cleanPath(d.absolutePath());
  Edit_directory->setText(path);
  DirListBox->clear();
  if (!d.isRoot()) DirListBox->addItem("..");
  DirListBox->addItems(d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}

void TForm_selectDir::DirListBoxDblClick() {
  auto* item = DirListBox->currentItem();
  if (!item) return;
  ShowDirectory(QDir(Edit_directory->text()).filePath(item->text()));
}

QString TForm_selectDir::Directory() const { return QDir::cleanPath(Edit_directory->text()); }

void TForm_selectDir::Button_okClick() {
  if (!QDir(Directory()).exists()) {
    platform::ShowMessageBox("Error  : ", "directory " + platform::DisplayFromQString(Directory()) + " not found !");
    return;
  }
  accept();
}

bool RunSelectDirDialog(const std::string& start, std::string& dir) {
  TForm_selectDir dlg(platform::QStringFromPath(start));
  if (platform::ExecModal(dlg, start) != platform::DialogResult::Ok) return false;
  dir = platform::PathFromQString(dlg.Directory());
  return true;
}
