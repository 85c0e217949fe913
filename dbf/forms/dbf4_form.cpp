#include "dbf/forms/dbf4_form.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "dbf/forms/tz_grid.h"
#include "dbf/runtime.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

void Guarded(const std::function<void()>& f) { RunReportingErrors(f); }

QString Caption(int row) { return QString::fromStdString(MenuCaptions[row]); }

}  // namespace

Tdbf4Form::Tdbf4Form(Tdbf4& owner, QWidget* parent) : QDialog(parent), owner_(owner) {
  setObjectName("dbf4");
  resize(630, 464);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  layout->setMenuBar(MainMenu1);
  mi_File = MainMenu1->addMenu(Caption(kCaptionFile));
  mi_File->setObjectName("mi_File");
  mi_fileExportHtml = mi_File->addAction("Export HTML", this, [this] { mi_fileExportHtmlClick(); });
  mi_fileSaveAsDelimited = mi_File->addAction("Save As Delimited", this, [this] { mi_fileSaveAsDelimitedClick(); });
  N1 = mi_File->addSeparator();
  mi_fileAppenddbf = mi_File->addAction("Append dbf", this, [this] { mi_fileAppenddbfClick(); });
  mi_fileAppendDelimited = mi_File->addAction("Append Delimited", this, [this] { mi_fileAppendDelimitedClick(); });
  N2 = mi_File->addSeparator();
  mi_filePrint = mi_File->addAction(Caption(kCaptionFilePrint), this, [this] { mi_filePrintClick(); });
  N3 = mi_File->addSeparator();
  mi_fileExit = mi_File->addAction(Caption(kCaptionFileExit), this, [this] { Button_okClick(); });
  mi_edit = MainMenu1->addMenu(Caption(kCaptionEdit));
  mi_edit->setObjectName("mi_edit");
  mi_editAppend = mi_edit->addAction("Append", this, [this] { mi_editAppendClick(); });
  mi_editPack = mi_edit->addAction("Pack", this, [this] { Button_packClick(); });
  mi_editPack->setToolTip("Remove records to be deleted");
  mi_view = MainMenu1->addMenu(Caption(kCaptionView));
  mi_view->setObjectName("mi_view");
  mi_viewSearch = mi_view->addAction("&Search", this, [this] { Button_searchClick(); });
  mi_viewSearchNext = mi_view->addAction("Search &Next", this, [this] { Button_SearchNextClick(); });
  mi_Help = MainMenu1->addMenu(Caption(kCaptionHelp));
  mi_Help->setObjectName("mi_Help");
  mi_helpdbf = mi_Help->addAction("dbf Structure", this, [this] { mi_helpdbfClick(); });
  mi_helpCommon = mi_Help->addAction(Caption(kCaptionDatabase), this, [this] { mi_helpCommonClick(); });
  mi_helphilfebild = mi_Help->addAction("Aux. &Image", this, [this] { mi_helphilfebildClick(); });
  mi_helpDatei = mi_Help->addAction(Caption(kCaptionFile), this, [this] { mi_helpDateiClick(); });

  auto* top = new QHBoxLayout;
  TzNavigator1 = new TTzNavigator(owner_.tzdbf0, this);
  TzNavigator1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  top->addWidget(TzNavigator1);
  Button_search = new QPushButton("&Search", this);
  Button_search->setObjectName("Button_search");
  Button_SearchNext = new QPushButton("Search &Next", this);
  Button_SearchNext->setObjectName("Button_SearchNext");
  Label_recno = new QLabel(this);
  Label_recno->setObjectName("Label_recno");
  Label_recno->setMinimumWidth(60);
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  Button_cancel = new QPushButton("Cancel", this);
  Button_cancel->setObjectName("Button_cancel");
  top->addWidget(Button_search);
  top->addWidget(Button_SearchNext);
  top->addWidget(Label_recno);
  top->addStretch();
  top->addWidget(Button_ok);
  top->addWidget(Button_cancel);
  layout->addLayout(top);

  TzGrid1 = new TTzGrid(owner_.tzdbf0, this);
  TzGrid1->setObjectName("TzGrid1");
  // The dialog's grid confirms neither a delete nor a restore.
  TzGrid1->ConfirmDelete = false;
  TzGrid1->ConfirmRestore = false;
  layout->addWidget(TzGrid1, 1);
  TzGrid1->OnCellClick = [this](const QModelIndex& index) { TzGrid1CellClick(index); };
  TzGrid1->OnKeyDown = [this](int key, Qt::KeyboardModifiers) { TzGrid1KeyDown(key); };
  TzGrid1->OnDepressTitle = [this](int column) { TzGrid1DepressTitle(column); };
  // The record counter follows the current row, however it was reached.
  connect(TzGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && owner_.tzdbf.Active()) ShowRecordCounter();
          });
  // A row's change is stored when the row is left: only the row being
  // edited is still undone by Cancel.
  Button_cancel->setToolTip("Drops the change of the row being edited; rows left before are stored");

  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_search, &QPushButton::clicked, this, [this] { Button_searchClick(); });
  connect(Button_SearchNext, &QPushButton::clicked, this, [this] { Button_SearchNextClick(); });
}

void Tdbf4Form::Configure() {
  bool view = owner_.Mode == 1;
  // The titles are display texts, the table's name is the file system's.
  QString caption = platform::QStringFromDisplay(owner_.CaptionTitles(owner_.Mode));
  if (!view) caption += platform::QStringFromPath(owner_.Label_filename) + ")";
  setWindowTitle(caption);
  mi_helpdbf->setText(platform::QStringFromDisplay(owner_.Label_title2));
  TzNavigator1->SetVisibleButtons(view ? 0x0Fu : 0x3FFu);
  for (QAction* a : {mi_fileAppenddbf, mi_fileAppendDelimited, N2, mi_editAppend, mi_editPack}) a->setVisible(!view);
  mi_edit->menuAction()->setVisible(!view);
  TzGrid1->SetEditing(!view);
  TzGrid1->Model().Reload();
  TzGrid1->FollowDataSet();
}

void Tdbf4Form::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (owner_.CloseOnPick) {
    QModelIndex current = TzGrid1->currentIndex();
    if (current.isValid() && GridColumn >= 0 && GridColumn < TzGrid1->Model().columnCount())
      TzGrid1->setCurrentIndex(TzGrid1->Model().index(current.row(), GridColumn));
  } else {
    ScaleCenterForm(*this);
  }
  Label_recno->clear();
}

void Tdbf4Form::AcceptSelection() {
  QModelIndex current = TzGrid1->currentIndex();
  owner_.AcceptSelection(current.isValid() ? current.row() : 0, current.isValid() ? current.column() : 0);
  if (LastDialogKey != 13 || AbortFlag) return;  // the pending edit could not be stored
  closing_ = true;
  accept();
}

void Tdbf4Form::Button_okClick() { AcceptSelection(); }

void Tdbf4Form::Button_cancelClick() {
  owner_.CancelSelection();
  closing_ = true;
  QDialog::reject();
}

void Tdbf4Form::reject() {
  // Closing the window is a Cancel.
  if (!closing_) owner_.CancelSelection();
  closing_ = true;
  QDialog::reject();
}

void Tdbf4Form::ShowRecordCounter() {
  Label_recno->setText(QString::number(owner_.RecNo()) + "/" + QString::number(owner_.RecordCount()));
}

void Tdbf4Form::TzGrid1CellClick(const QModelIndex&) {
  ShowRecordCounter();
  if (owner_.CloseOnPick) AcceptSelection();
}

void Tdbf4Form::TzGrid1KeyDown(int key) {
  if (owner_.CloseOnPick && (key == Qt::Key_Up || key == Qt::Key_Down)) AcceptSelection();
}

void Tdbf4Form::TzGrid1DepressTitle(int column) { owner_.SortByColumn(column); }

void Tdbf4Form::Button_searchClick() {
  Word savedHelp = HelpNumber;
  HelpNumber = 2450;
  InputText("Type search string", 50, owner_.SearchText);
  bool found = false;
  if (!AbortFlag) found = owner_.SearchStored(true);
  else AbortFlag = 0;
  HelpNumber = savedHelp;
  // Only a row the search found is taken: a failed or cancelled search
  // leaves the dialog open.
  if (owner_.CloseOnPick && found) AcceptSelection();
}

void Tdbf4Form::Button_SearchNextClick() {
  const bool found = owner_.SearchStored(false);
  if (owner_.CloseOnPick && found) AcceptSelection();
}

void Tdbf4Form::Button_packClick() { owner_.Pack(); }

void Tdbf4Form::mi_editAppendClick() { owner_.AppendBlank(); }

void Tdbf4Form::mi_fileExportHtmlClick() {
  platform::FileDialogRequest r;
  std::string dir, name, ext;
  SplitPath(owner_.tzdbf.DbfFileName(), dir, name, ext);
  r.title = "Export HTML";
  r.fileName = name + ".htm";
  r.patterns = {"*.htm", "*.html"};
  std::string path;
  if (!platform::AskSaveFile(r, path)) return;
  std::string d, n, e;
  SplitPath(path, d, n, e);
  if (e.empty()) path += ".htm";
  if (RefuseSpecialOutput(path)) {
    AbortFlag = 0;  // told; the table stays as it was
    return;
  }
  Guarded([&] { owner_.ExportHtml(path); });
}

void Tdbf4Form::mi_fileSaveAsDelimitedClick() {
  platform::FileDialogRequest r;
  r.title = "Save As Delimited";
  r.patterns = {"*.txt"};
  std::string path;
  if (!platform::AskSaveFile(r, path)) return;
  if (RefuseSpecialOutput(path)) {
    AbortFlag = 0;
    return;
  }
  owner_.SaveAsDelimited(path);
}

void Tdbf4Form::mi_fileAppenddbfClick() {
  platform::FileDialogRequest r;
  r.title = "Append dbf";
  r.patterns = {"*.dbf"};
  std::string path;
  if (!platform::AskOpenFile(r, path)) return;
  owner_.AppendFromDbf(DefaultExtension(path, "dbf"));
}

void Tdbf4Form::mi_fileAppendDelimitedClick() {
  platform::FileDialogRequest r;
  r.title = "Append Delimited";
  r.patterns = {"*.txt"};
  std::string path;
  if (!platform::AskOpenFile(r, path)) return;
  owner_.AppendFromDelimited(DefaultExtension(path, "txt"));
}

void Tdbf4Form::mi_filePrintClick() { Guarded([&] { owner_.PrintTable(); }); }

void Tdbf4Form::mi_helpdbfClick() {
  ShowHelpText(HelpNumber, std::string(), 1);
  AbortFlag = 0;
}

void Tdbf4Form::mi_helpCommonClick() {
  ShowHelpText(3210, std::string(), 1);
  AbortFlag = 0;
}

void Tdbf4Form::mi_helphilfebildClick() {
  ShowHelpText(HelpNumber, std::string(), 2);
  raise();
  activateWindow();
  AbortFlag = 0;
}

void Tdbf4Form::Button_hilfeClick() {
  ShowHelpText(HelpNumber, std::string(), 0);
  show();
  raise();
  activateWindow();
}

void Tdbf4Form::mi_helpDateiClick() { ShowMessageText(owner_.tzdbf.DbfFileName()); }

void RunTableDialogForm(Tdbf4& dialog) {
  Tdbf4Form form(dialog);
  form.Configure();
  platform::ExecModal(form, "table dialog");
}
