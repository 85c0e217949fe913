// The handlers of the main window's menu commands: file handling, the edit
// commands that recalculate the joint, the spreadsheet and help items.
#include "framework/calc_messages.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QUrl>

#include "app/drawing_commands.h"
#include "app/file_table.h"
#include "app/forms/about_box.h"
#include "cad/forms/drawing_title_form.h"
#include "app/main_window.h"
#include "app/printing.h"
#include "app/project_files.h"
#include "app/spreadsheet.h"
#include "calc/calculation.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_listing.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/colours.h"
#include "framework/config_file.h"
#include "framework/display_list.h"
#include "framework/documents.h"
#include "framework/drawing_info.h"
#include "framework/drawing.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/forms/config_form.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "framework/report_window.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/qt_text.h"

namespace {

const char* const kWebAddress = "https://www.bq4.example";
const char* const kSupportAddress = "support@bq4.example";
const char* const kNoBoltOrPlates = "Please enter first bolt and clampng pieces";

bool JointHasBoltAndPlates() { return Klemmstuecke.nPlates > 0 && Schraube.nSections > 0; }

// The texts of the drawing title dialog: names, number, header lines.
std::vector<std::string> TitleTexts() {
  return {DrawingName.str(), DrawingName2.str(), DrawingNumber.str(),
          HeaderLines[1].str(), HeaderLines[2].str(), HeaderLines[3].str()};
}

// Hands an address to the desktop's opener as it is (never as a file name);
// when nothing opens it, the user is told, with the address to use by hand.
void OpenAddress(const QUrl& url, const std::string& failure) {
  SetBusyCursor();
  const bool opened = platform::OpenWithDefaultProgram(url.toString(QUrl::FullyEncoded).toStdString());
  SetNormalCursor();
  if (!opened) ShowMessageText(failure);
}

}  // namespace

// ---------------------------------------------------------------------------
// Caption, recent files, messages item

void Thh::SetMainCaption() {
  setWindowTitle(platform::QStringFromDisplay(MainCaptionTitle()) + platform::QStringFromPath(MainCaptionFileName()));
  RestoreCursor();
  UpdateRecentFileMenu();
}

void Thh::SetCaptionText(const std::string& text) { setWindowTitle(platform::QStringFromDisplay(text)); }

void Thh::InitRecentFileMenu(QAction* exitItem) {
  const QList<QAction*> actions = Menu("mi_file")->actions();
  RecentFileAnchor = static_cast<int>(actions.indexOf(exitItem));
  UpdateRecentFileMenu();
}

void Thh::UpdateRecentFileItem(QAction* item, int n) {
  if (!item) return;
  const std::string caption = RecentFileCaption(n);
  item->setVisible(!caption.empty());
  if (!caption.empty()) item->setText(platform::QStringFromPath(caption));
}

void Thh::UpdateRecentFileMenu() {
  const QList<QAction*> actions = Menu("mi_file")->actions();
  const int anchor = RecentFileAnchor;
  if (anchor < 6 || anchor >= actions.size()) return;
  actions[anchor - 1]->setVisible(!RecentFiles[1].empty());
  for (int n = 1; n <= 4; ++n) UpdateRecentFileItem(actions[anchor - 6 + n], n);
}

void Thh::OpenRecentFile(int n) {
  AbortFlag = 0;
  QuerySaveChanges();
  if (AbortFlag) return;
  const std::string path = RecentFiles[static_cast<std::size_t>(n)];
  if (!path.empty() && TextFileExists(path)) {
    // The load names the joint after the file; a refused file leaves the
    // joint and its name, so that a save cannot go over the damaged file.
    ReadCalcFile(path);
    if (!AbortFlag) {
      NoteCalculated();
      AddRecentFile(CurrentFileName);
      InputModified = 0;
      UpdateAfterCalculation();
    }
    SetMainCaption();
    return;
  }
  RemoveRecentFile(n);
  ApplyMenuCaptions();
  UpdateRecentFileMenu();
  ShowMessageText("File " + path + (NoRegularFileAt(path) ? " is no regular file !" : " not found !"));
}

void Thh::ShowMessageCount() {
  const std::string count = std::to_string(CalcMessages.count);
  SetCaption("mi_viewErrorMessages", MenuCaptions[kCaptionErrorMessages] + " (" + count + ")");
  if (QAction* item = Item("mi_viewErrorMessages")) item->setEnabled(CalcMessages.count > 0);
}

void Thh::UpdateAfterCalculation() {
  ShowMessageCount();
  // The view shows the calculation, whether or not the input before it was
  // cancelled: a cancel would leave the screen as it was, with a view or
  // messages of an earlier calculation.
  const Byte abort = AbortFlag;
  AbortFlag = 0;
  RunRedrawCurrentView();
  AbortFlag = abort;
  SetScreenPictureName(CurrentViewName());
  Shown(RunRedrawCurrentView);
}

void Thh::NoteCalculated() { calculatedInputs_ = ProjectInputText(); }

void Thh::KeepResultsCurrent() {
  if (destroyed_ || ProjectInputText() == calculatedInputs_) return;
  const Byte abort = AbortFlag;
  CalculateJoint();
  NoteCalculated();
  UpdateAfterCalculation();
  AbortFlag = abort;
}

void Thh::Shown(std::function<void()> draw) {
  shownDrawing_ = std::move(draw);
  shownDrawingClears_ = DisplayList ? DisplayList->ClearCount() : 0;
}

// ---------------------------------------------------------------------------
// File menu

void Thh::mi_fileNewClick() {
  AbortFlag = 0;
  QuerySaveChanges();
  if (AbortFlag) return;
  // The default project; one that is no regular file is named by the load.
  const std::string defaults = AddBackslash(CurrentDir) + "null." + InputFileExt.str();
  if (TextFileExists(defaults) || NoRegularFileAt(defaults)) ReadCalcFile("null");
  AbortFlag = 0;
  NoteCalculated();
  ResetChangeHistory();
  ClearDocumentRecords();
  GraphClear();
  CurrentFileName.clear();
  SetMainCaption();
  GuidedNewInput();
}

void Thh::GuidedNewInput() {
  const bool entered = GuidedNewInputSteps();
  // After a cancel the joint holds what was chosen before it: calculated,
  // it shows its own results (or why it has none), never those of the
  // joint it was made from.
  if (!entered) {
    AbortFlag = 0;
    CalculateJoint();
    NoteCalculated();
    UpdateAfterCalculation();
  }
}

bool Thh::GuidedNewInputSteps() {
  const std::vector<std::string> title = TitleTexts();
  ShowDrawingTitleDialogCommand();
  if (AbortFlag) return false;
  // What was typed is input: a later Cancel leaves it to the save question.
  if (TitleTexts() != title) InputModified = 1;
  PreliminaryDesign(true);
  if (!AbortFlag) InputBoltType();
  if (!AbortFlag) EditClampingPieces();
  if (!AbortFlag) InputNut();
  if (AbortFlag) return false;
  RunFrictionForm();
  if (AbortFlag) return false;
  InputLoad();
  if (AbortFlag) return false;
  if (!JointHasBoltAndPlates()) {
    ShowTraceMessage(AnsiToOemText(kNoBoltOrPlates));
    return false;
  }
  RunTighteningFormCommand();
  if (AbortFlag) return false;
  InputModified = 1;
  CalculateJoint();
  NoteCalculated();
  ShowCalculationMessages();
  UpdateAfterCalculation();
  InputModified = 1;
  return true;
}

void Thh::mi_fileOpenClick() {
  AbortFlag = 0;
  QuerySaveChanges();
  if (AbortFlag) return;
  ReadCalcFile("");
  if (AbortFlag) return;
  NoteCalculated();
  InputModified = 0;
  AddRecentFile(CurrentFileName);
  UpdateAfterCalculation();
  SetMainCaption();
}

void Thh::mi_fileOpenTableClick() {
  AbortFlag = 0;
  RunFileTable(*this);
}

void Thh::mi_FileSaveClick() {
  AbortFlag = 0;
  const std::string before = CurrentFilePath();
  SaveInputFile(CurrentFileName);
  if (!AbortFlag) InputModified = 0;
  SetMainCaption();
  ShowNewFileName(before);
}

void Thh::mi_FileSaveAsClick() {
  AbortFlag = 0;
  const std::string before = CurrentFilePath();
  WriteCalcFile("");
  if (!AbortFlag) {
    InputModified = 0;
    AddRecentFile(CurrentFileName);
  }
  SetMainCaption();
  ShowNewFileName(before);
}

void Thh::ShowNewFileName(const std::string& before) {
  if (AbortFlag || CurrentFilePath() == before || !shownDrawing_ || !DisplayList ||
      DisplayList->ClearCount() != shownDrawingClears_)
    return;
  const std::function<void()> draw = shownDrawing_;
  const std::string picture = ScreenPictureName();
  draw();
  SetScreenPictureName(picture);
  Shown(draw);
}

void Thh::mi_fileprintClick() {
  AbortFlag = 0;
  ShowPrintConfiguration(false);
}

void Thh::mi_fileprintersetupClick() {
  AbortFlag = 0;
  ShowPrintConfiguration(true);
}

void Thh::mi_filePrintMacroClick() {
  AbortFlag = 0;
  RunPrintMacro(*this);
}

void Thh::mi_fileConfigClick() {
  AbortFlag = 0;
  {
    Tconfig form(this);
    platform::ExecModal(form, "Tconfig");
  }
  ApplyBackgroundColour();
}

void Thh::mi_fileexitClick() { close(); }

// ---------------------------------------------------------------------------
// Edit menu

void Thh::EditCommand(const std::function<void()>& input) {
  AbortFlag = 0;
  input();
  if (!AbortFlag) InputModified = 1;
  CalculateJoint();
  NoteCalculated();
  UpdateAfterCalculation();
}

void Thh::PreDimensioningCommand() {
  AbortFlag = 0;
  const std::string before = ProjectInputText();
  PreliminaryDesign();
  if (AbortFlag) {
    // What was chosen before the cancel stays and is calculated; the joint
    // shows as calculated rather than on a cleared screen.
    if (ProjectInputText() != before) {
      CalculateJoint();
      NoteCalculated();
    }
    UpdateAfterCalculation();
    return;
  }
  CalculateJoint();
  NoteCalculated();
  if (!AbortFlag) InputModified = 1;
  GraphClear();
  // A proposal that leaves the joint fatal shows its messages, as every
  // fatal calculation does.
  ShowMessageCount();
  if (CalcFatalFlag) RunRedrawCurrentView();
}

void Thh::mi_edittextClick() {
  AbortFlag = 0;
  ShowDrawingTitleDialogCommand();
  if (!AbortFlag) InputModified = 1;
}

void Thh::mi_editvorauslegungClick() { PreDimensioningCommand(); }

void Thh::mi_editschraubeneuClick() { EditCommand(InputBoltType); }
void Thh::mi_editschraubeeditClick() { EditCommand(RunBoltFormCommand); }
void Thh::mi_editklemmstueckeClick() { EditCommand(EditClampingPieces); }
void Thh::mi_editmutterneuClick() { EditCommand(InputNut); }
void Thh::mi_editmuttereditClick() { EditCommand(RunNutFormCommand); }
void Thh::mi_editreibungClick() { EditCommand(RunFrictionForm); }
void Thh::mi_editlastClick() { EditCommand(InputLoad); }

void Thh::mi_editanziehverfahrenClick() {
  AbortFlag = 0;
  if (!JointHasBoltAndPlates()) {
    ShowTraceMessage(AnsiToOemText(kNoBoltOrPlates));
    return;
  }
  EditCommand(RunTighteningFormCommand);
}

void Thh::mi_edittemperaturClick() {
  AbortFlag = 0;
  Extended t0 = Temperatur.T0;
  Extended work = Temperatur.TWork;
  SetHelpNo(0);
  InputFloatInRange("reference (assembly) temperature T0 [deg C]", t0, -200, 1000);
  if (!AbortFlag) InputFloatInRange("working temperature [deg C]", work, -200, 1000);
  if (!AbortFlag) {
    Temperatur.T0 = t0;
    Temperatur.TWork = work;
    InputModified = 1;
  }
  CalculateJoint();
  NoteCalculated();
  UpdateAfterCalculation();
}

void Thh::mi_editexzKraftangriffClick() {
  AbortFlag = 0;
  InputForceIntroduction();
  if (!AbortFlag) InputModified = 1;
  CalculateJoint();
  NoteCalculated();
  AbortFlag = 0;
  RunDiagramCommand(3, kCadScreen);
  SetScreenPictureName("load-extension diagram");
}

void Thh::mi_editflanschClick() {
  AbortFlag = 0;
  int bolts = Flansch.nBolts;
  Extended dt = Flansch.DT;
  Extended da = Flansch.Da;
  InputIntInRange("number of bolts", bolts, 1, 200);
  if (!AbortFlag) InputLengthInRange("bolt circle diameter DT", dt, 1, 100000);
  if (!AbortFlag) InputLengthInRange("outer diameter Da", da, dt, 100000);
  if (AbortFlag) return;
  Flansch.nBolts = bolts;
  Flansch.DT = dt;
  Flansch.Da = da;
  InputModified = 1;
}

void Thh::mi_editpreloadClick() {
  AbortFlag = 0;
  RunPreloadForm();
}

void Thh::mi_editberechnungClick() { EditCommand(RunCalcOptionsForm); }

void Thh::mi_editinfoClick() {
  AbortFlag = 0;
  WriteInputListing();
}

// ---------------------------------------------------------------------------
// OLE menu

void Thh::mi_oleStartExcelClick() {
  AbortFlag = 0;
  StartExcel();
  if (AbortFlag) return;
  Item("mi_OleExportExcel")->setEnabled(true);
  Item("mi_oleImportExcel")->setEnabled(true);
}

void Thh::mi_OleExportExcelClick() {
  AbortFlag = 0;
  ExportInputToExcel();
}

void Thh::mi_oleImportExcelClick() {
  AbortFlag = 0;
  ImportExcelInput();
  if (AbortFlag) return;
  UpdateAfterCalculation();
  SetMainCaption();
}

void Thh::mi_OlePrintoutExcelClick() {
  AbortFlag = 0;
  PrintoutToExcel();
}

// ---------------------------------------------------------------------------
// Help menu

// The change history we ship is a text file: the configured word processor
// opens it, else the program's own text window shows it.
void Thh::mi_helphistoryClick() {
  AbortFlag = 0;
  const std::string document = FindExistingFile(AddBackslash(PltDir) + "history.txt");
  if (!TextFileExists(document)) {
    ShowMessageText("file " + document + " not found !");
    return;
  }
  if (!WordProcessorPath.empty() && platform::StartProgram(WordProcessorPath, {document})) return;
  ShowTextDocument(document, ProgShortName + " - " + "History");
}

void Thh::mi_helpwwwClick() {
  AbortFlag = 0;
  OpenAddress(QUrl::fromUserInput(QString::fromLatin1(kWebAddress)),
              std::string("No web browser could open ") + kWebAddress);
}

// A mail to the support address; the subject (product, version, title) is
// percent-encoded as UTF-8, so that blanks and any "&", "#" or "?" stay in it.
void Thh::mi_helpemailClick() {
  AbortFlag = 0;
  const std::string subject = ProgShortName + " " + ProgVersion + " " + ProgTitle.str();
  const QByteArray encoded = QUrl::toPercentEncoding(platform::QStringFromDisplay(subject));
  OpenAddress(QUrl(QString::fromLatin1("mailto:") + kSupportAddress + "?subject=" + QString::fromLatin1(encoded)),
              std::string("No mail program could open a mail to ") + kSupportAddress);
}

void Thh::mi_HelpAboutClick() {
  AbortFlag = 0;
  RunAboutBox(this);
}

// The title block form is a Qt form: the command lives with the window.
void ShowDrawingTitleDialogCommand() { ShowDrawingTitleDialog(); }
