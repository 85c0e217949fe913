#include "framework/calc_messages.h"

#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QString>
#include <QTimer>

#include "app/drawing_commands.h"
#include "app/help_index.h"
#include "app/menu_texts.h"
#include "app/printing.h"
#include "app/project_files.h"
#include "app/startup.h"
#include "calc/calc_tables.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc/report.h"
#include "dbf/dbf4.h"
#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/colours.h"
#include "framework/config_file.h"
#include "framework/display_list.h"
#include "framework/documents.h"
#include "framework/drawing.h"
#include "framework/drawing_info.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/forms/help_key.h"
#include "framework/forms/picture_list_form.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/hpgl.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "framework/text_output.h"

namespace {

Thh* g_mainWindow = nullptr;

unsigned BackgroundRgb() {
  const TColorRef bg = static_cast<TColorRef>(BackgroundColour);
  return static_cast<unsigned>(ColorRefRed(bg) << 16 | ColorRefGreen(bg) << 8 | ColorRefBlue(bg));
}

const std::string& C(int row) { return MenuCaptions[static_cast<std::size_t>(row)]; }
const std::string& P(int text) { return ProductTexts[static_cast<std::size_t>(text)]; }

// A command that changed what the project file holds marks the input as
// modified, also when it ended part-way (a thread taken, then Escape at the
// head) or changed the joint without a form (a pick in a table), so that
// Exit and Open ask before it is lost.
std::function<void()> MarkingChanges(std::function<void()> handler) {
  if (!handler) return {};
  return [handler] {
    const std::string before = ProjectInputText();
    handler();
    if (ProjectInputText() != before) InputModified = 1;
  };
}

}  // namespace

Thh* MainWindow() { return g_mainWindow; }

Thh::Thh(QWidget* parent) : DUdoduvoz(parent) {
  g_mainWindow = this;
  InstallHelpKey();
  BuildMenus();
  FormCreate();
}

Thh::~Thh() {
  FormDestroy();
  if (g_mainWindow == this) g_mainWindow = nullptr;
}

// ---------------------------------------------------------------------------
// Creation and destruction

void Thh::FormCreate() {
  ApplyMenuCaptions();
  CreateDisplayList();
  ReadConfigFile();
  AbortFlag = 0;
  ReadSessionFile();
  AbortFlag = 0;
  InitRecentFileMenu(Item("mi_fileexit"));
  CreateTableDialog();
  StartUp(8);
  AbortFlag = 0;
  NoteCalculated();
  FitToScreen();
  if (MenuLanguage > 0) SetLanguage(static_cast<Word>(MenuLanguage));
  // The captions were set before the start-up calculation: its messages count.
  ShowMessageCount();
  SetMainCaption();
  // The start picture when it is there; one that is no regular file is named.
  if (ProgramFileThere(AddBackslash(PltDir) + "tovi-rs.plt")) {
    GraphClear();
    ShowPltImage("tovi-rs");
    AbortFlag = 0;
  }
  // Said once the window is up, over it.
  QTimer::singleShot(0, this, [] { ReportNewerShippedTables(); });
}

void Thh::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  WriteSessionFile();
  AbortFlag = 0;
  FreeTableDialog();
  FreeDisplayList();
}

void Thh::FitToScreen() {
  FullScreenGraphForm(*this, BackgroundRgb());
  KeepDesktopMenuColours();
}

void Thh::ApplyBackgroundColour() {
  SetFormColour(*this, BackgroundRgb());
  KeepDesktopMenuColours();
}

void Thh::KeepDesktopMenuColours() {
  // The menus keep the desktop's colours, whatever the drawing background.
  // Each role is set by name: a palette without set roles would inherit the window's.
  const QPalette desktop = QApplication::palette(menuBar());
  QPalette menus = desktop;
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText,
                                   QPalette::Base, QPalette::Text, QPalette::Highlight, QPalette::HighlightedText})
    menus.setColor(role, desktop.color(role));
  menuBar()->setPalette(menus);
  menuBar()->setAutoFillBackground(true);
}

bool Thh::FormCloseQuery() {
  AbortFlag = 0;
  QuerySaveChanges();
  if (AbortFlag) return false;
  return DeleteTempFiles();
}

void Thh::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery())
    event->accept();
  else
    event->ignore();
}

// ---------------------------------------------------------------------------
// Menus

QAction* Thh::Item(const std::string& name) const {
  auto it = items_.find(name);
  return it == items_.end() ? nullptr : it->second;
}

QMenu* Thh::Menu(const std::string& name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

QMenu* Thh::AddMenu(QMenu* parent, const char* name, const char* caption) {
  QMenu* menu = parent ? parent->addMenu(QString::fromUtf8(caption)) : menuBar()->addMenu(QString::fromUtf8(caption));
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  menus_[name] = menu;
  items_[name] = menu->menuAction();
  return menu;
}

QAction* Thh::AddItem(QMenu* menu, const char* name, const char* caption, std::function<void()> handler) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  action->setObjectName(name);
  items_[name] = action;
  if (handler)
    connect(action, &QAction::triggered, this, [this, handler] {
      KeepResultsCurrent();
      handler();
      KeepResultsCurrent();
    });
  return action;
}

QAction* Thh::AddInputItem(QMenu* menu, const char* name, const char* caption, std::function<void()> handler) {
  return AddItem(menu, name, caption, MarkingChanges(std::move(handler)));
}

void Thh::AddSeparator(QMenu* menu) { menu->addSeparator(); }

void Thh::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  BuildViewMenu();
  BuildCadMenu();
  BuildDatabaseMenu();
  BuildDocumentMenu();
  BuildOleMenu();
  BuildHelpMenu();
}

void Thh::BuildFileMenu() {
  QMenu* m = AddMenu(nullptr, "mi_file", "&File");
  AddItem(m, "mi_fileNew", "&New...", [this] { mi_fileNewClick(); })->setShortcut(QKeySequence("Ctrl+N"));
  AddItem(m, "mi_fileOpen", "&Open...", [this] { mi_fileOpenClick(); })->setShortcut(QKeySequence("Ctrl+O"));
  AddItem(m, "mi_fileOpenTable", "&Open... (&Table)", [this] { mi_fileOpenTableClick(); });
  AddItem(m, "mi_FileSave", "&Save...", [this] { mi_FileSaveClick(); })->setShortcut(QKeySequence("Ctrl+S"));
  AddItem(m, "mi_FileSaveAs", "Save &As...", [this] { mi_FileSaveAsClick(); });
  AddSeparator(m);
  AddItem(m, "mi_fileprint", "&Print...", [this] { mi_fileprintClick(); })->setShortcut(QKeySequence("Ctrl+P"));
  AddItem(m, "mi_fileprintersetup", "Printer Setup", [this] { mi_fileprintersetupClick(); })->setVisible(false);
  AddItem(m, "mi_filePrintMacro", "Print &Macro...", [this] { mi_filePrintMacroClick(); });
  AddItem(m, "mi_fileCalcDocument", "Calculation &Document (PDF)...", [this] { mi_fileCalcDocumentClick(); });
  AddSeparator(m);
  AddItem(m, "mi_fileConfig", "Se&ttings", [this] { mi_fileConfigClick(); });
  AddSeparator(m);
  for (int n = 1; n <= 4; ++n) {
    const std::string name = "mi_file" + std::to_string(n);
    AddItem(m, name.c_str(), name.c_str(), [this, n] { OpenRecentFile(n); });
  }
  AddSeparator(m);
  AddItem(m, "mi_fileexit", "E&xit", [this] { mi_fileexitClick(); });
}

void Thh::BuildEditMenu() {
  QMenu* m = AddMenu(nullptr, "mi_Edit", "&Edit");
  AddInputItem(m, "mi_edittext", "Te&xt", [this] { mi_edittextClick(); });
  AddInputItem(m, "mi_editvorauslegung", "&Pre-Dimensioning", [this] { mi_editvorauslegungClick(); });
  AddSeparator(m);
  QMenu* bolt = AddMenu(m, "mi_editschraube", "&Bolt");
  AddInputItem(bolt, "mi_editschraubeneu", "&New...", [this] { mi_editschraubeneuClick(); });
  AddInputItem(bolt, "mi_editschraubeedit", "&Edit", [this] { mi_editschraubeeditClick(); });
  AddInputItem(m, "mi_editklemmstuecke", "Clamping &Plates ", [this] { mi_editklemmstueckeClick(); });
  QMenu* nut = AddMenu(m, "mi_editmutter", "&Nut");
  AddInputItem(nut, "mi_editmutterneu", "&New...", [this] { mi_editmutterneuClick(); });
  AddInputItem(nut, "mi_editmutteredit", "&Edit", [this] { mi_editmuttereditClick(); });
  AddInputItem(m, "mi_editreibung", "&Friction", [this] { mi_editreibungClick(); });
  AddInputItem(m, "mi_editlast", "&Load ", [this] { mi_editlastClick(); });
  AddInputItem(m, "mi_editanziehverfahren", "&Tightening", [this] { mi_editanziehverfahrenClick(); });
  AddInputItem(m, "mi_edittemperatur", "&Temperature", [this] { mi_edittemperaturClick(); });
  AddInputItem(m, "mi_editexzKraftangriff", "&Eccentr.Applic. ", [this] { mi_editexzKraftangriffClick(); });
  AddInputItem(m, "mi_editflansch", "F&lange", [this] { mi_editflanschClick(); });
  m->addSeparator()->setVisible(false);
  AddInputItem(m, "mi_editpreload", "Preload", [this] { mi_editpreloadClick(); })->setVisible(false);
  AddInputItem(m, "mi_editberechnung", "&Calculation Method", [this] { mi_editberechnungClick(); });
  AddInputItem(m, "mi_editinfo", "&Info", [this] { mi_editinfoClick(); })->setVisible(false);
}

void Thh::BuildViewMenu() {
  QMenu* m = AddMenu(nullptr, "mi_View", "&View");
  const TCadDevice screen = kCadScreen;
  // A picture drawn on the screen; its name names the PDF file of its print.
  auto picture = [this](QMenu* menu, const char* name, const char* caption, std::function<void()> draw) {
    AddItem(menu, name, caption, [this, caption, draw] {
      AbortFlag = 0;
      draw();
      SetScreenPictureName(caption);
      Shown(draw);
    });
  };
  AddItem(m, "mi_viewausdruck", "&Printout", [] {
    AbortFlag = 0;
    WritePrintout();
  });
  picture(m, "mi_viewQuick", "&Quick", [=] { RunDrawSheet(3, screen); });
  AddSeparator(m);
  struct Diagram { const char* name; const char* caption; int kind; };
  const Diagram diagrams[] = {
      {"mi_viewverspannungsschaubild", "&Load-Extension Diagram", 3},
      {"mi_viewmontagezustanderf", "Assembly Cond. re&qd.", 1},
      {"mi_viewmontagezustand", "&Assembly Condition", 4},
      {"mi_viewbetriebszustanderf", "Working Cond. reqd.", 2},
      {"mi_viewbetriebszustandmax", "Working Cond. max.", 5},
      {"mi_viewbetriebszustandmin", "Working Cond. min.", 11},
  };
  for (const Diagram& d : diagrams) {
    const int kind = d.kind;
    picture(m, d.name, d.caption, [=] { RunDiagramCommand(kind, screen); });
  }
  AddSeparator(m);
  picture(m, "mi_viewzeichnungschraubenverbindung", "&Drawing", [=] { RunDrawBoltedJoint(5, screen); });
  picture(m, "mi_viewtabellenzeichnung", "&Table Drawing", [=] { RunDrawSheet(1, screen); });
  picture(m, "mi_viewtabellekraefte", "&Load", [=] { RunDrawSheet(2, screen); });
  picture(m, "mi_viewFlansch", "F&lange", [=] { RunDrawFlange(screen); });
  AddSeparator(m);
  const Diagram tightening[] = {
      {"mi_viewmalphadiagramm", "&M-alpha-Diagram", 6}, {"mi_viewfalphadiagramm", "&F-alpha-Diagram", 7},
      {"mi_viewfmmadiagramm", "FM-MA-D&iagram", 8},     {"mi_viewmafmdiagramm", "MA-FM", 9},
      {"FMStatist1", "FM Statist.", 10},
  };
  for (const Diagram& d : tightening) {
    const int kind = d.kind;
    picture(m, d.name, d.caption, [=] { RunDiagramCommand(kind, screen); });
  }
  picture(m, "mi_viewdiagrams", "&Diagrams", [=] { RunDiagramSheet(screen); });
  AddSeparator(m);
  QMenu* material = AddMenu(m, "mi_viewmaterial", "&Material");
  AddItem(material, "mi_viewmaterialbolt", "&Bolt (mat_bolt)", [] { AbortFlag = 0; RunViewBoltMaterial(); });
  AddItem(material, "mi_viewmaterialnut0", "&Nut/Clamping &Plates  0 (pressung)",
          [] { AbortFlag = 0; RunViewNutMaterial(0); });
  AddItem(material, "mi_viewmaterialnut1", "&Nut/Clamping &Plates  1 (mat_p_1)",
          [] { AbortFlag = 0; RunViewNutMaterial(1); });
  AddSeparator(m);
  AddItem(m, "mi_viewErrorMessages", "&Error messages", [] {
    AbortFlag = 0;
    PrintCalculationMessages();
  });
}

void Thh::BuildCadMenu() {
  QMenu* m = AddMenu(nullptr, "mi_CAD", "&CAD");
  const TCadDevice ask = kCadAskDevice;
  struct View { const char* name; const char* caption; int view; };
  const View views[] = {{"mi_cadvorderansicht", "P&rojection", 1}, {"mi_cadseitenansicht", "&Side view", 2},
                        {"mi_caddraufsicht", "&Upper view", 3},    {"mi_caduntersicht", "&Lower View", 4}};
  for (const View& v : views) {
    const int view = v.view;
    AddItem(m, v.name, v.caption, [=] { AbortFlag = 0; RunDrawBoltedJoint(view, ask); });
  }
  AddSeparator(m);
  AddItem(m, "mi_cadschraube", "&Bolt", [=] { AbortFlag = 0; RunDrawBoltPart(ask); });
  AddItem(m, "mi_cadmutter", "&Nut", [=] { AbortFlag = 0; RunDrawNutPart(ask); });
  AddItem(m, "mi_cadklemmstuecke", "Clamping &Plates ", [=] { AbortFlag = 0; RunDrawClampingPieces(ask); });
  AddItem(m, "mi_cadFlansch", "F&lange", [=] { AbortFlag = 0; RunDrawFlange(ask); });
  AddSeparator(m);
  AddItem(m, "mi_caddiagramme", "&Diagrams ..", [=] { AbortFlag = 0; RunDiagramCommand(0, ask); });
  AddSeparator(m);
  AddItem(m, "mi_cadzeichnung", "&Table Drawing", [=] { AbortFlag = 0; RunDrawSheet(1, ask); });
  AddItem(m, "mi_cadload", "&Load", [=] { AbortFlag = 0; RunDrawSheet(2, ask); });
  AddItem(m, "mi_cadquick", "&Quick", [=] { AbortFlag = 0; RunDrawSheet(3, ask); });
}

void Thh::BuildDatabaseMenu() {
  QMenu* m = AddMenu(nullptr, "mi_database", "&Database");
  // The tables are browsed and edited; of a pick the joint takes only a
  // thread, with the head, nut and shank of its size, and a tightening tool.
  // Any other row record is put back, so that the window shows nothing of
  // a part the joint does not hold.
  auto browse = [](TCalcTableNo n, std::function<void()> show) {
    return [n, show] {
      AbortFlag = 0;
      BrowseCalcTable(n, show);
    };
  };
  auto table = [browse](TCalcTableNo n) { return browse(n, [n] { SelectCalcTable(n, 0); }); };
  AddInputItem(m, "mi_dbgewinde", "&Thread", [] { PickBoltThread(0, CalcTableCaption(kThreadTable)); });
  QMenu* heads = AddMenu(m, "mi_dbschraubenkopf", "&Screw Head");
  for (int k = 1; k <= 9; ++k) {
    const std::string name = "mi_dbkopf" + std::to_string(k);
    QAction* a = AddInputItem(heads, name.c_str(), name.c_str(),
                         k <= 8 ? std::function<void()>(browse(k + 1, [k] { SelectScrewHead(k, 0); }))
                                : std::function<void()>());
    if (k == 9) a->setVisible(false);
  }
  QMenu* boltMat = AddMenu(m, "mi_dbwerkstoffschraube", "&Material Bolt ");
  const char* boltItems[4][2] = {{"mi_dbwerkstoffschraubeBasedata", "&Base Data"},
                                 {"mi_dbwerkstoffschraubeRfT", "Re = f (T)"},
                                 {"mi_dbwerkstoffschraubeEfT", "E = f (T)"},
                                 {"mi_dbwerkstoffschraubeSigmaAfd", "Sigma A = f (d)"}};
  for (int k = 0; k < 4; ++k)
    AddInputItem(boltMat, boltItems[k][0], boltItems[k][1],
            browse(kBoltMaterialTable, [k] { SelectBoltMaterialTable(k + 1, 0); }));
  QMenu* plateMat = AddMenu(m, "mi_dbwerkstoffplatten", "M&aterial Plates/Nut");
  struct PlateItem { const char* name; const char* caption; int choice; };
  const PlateItem plateItems[] = {{"mi_dbwerkstoffplattenBasedata", "&Base Data 0 (pressung.dbf)", 1},
                                  {"mi_dbwerkstoffplattenbasematp1", "&Base Data 1 (mat_p_1.dbf)", 4},
                                  {"mi_dbwerkstoffplattenEfT", "E = f (T)", 2},
                                  {"mi_werkstoffplattenRefT", "Re = f (T)", 3}};
  for (const PlateItem& p : plateItems) {
    const int choice = p.choice;
    AddInputItem(plateMat, p.name, p.caption, [choice] {
      AbortFlag = 0;
      SelectPlateMaterialTable(choice, 0);
    });
  }
  QMenu* nuts = AddMenu(m, "mi_dbmuttern", "&Nut");
  for (int k = 1; k <= 3; ++k) {
    const std::string name = "mi_dbmutter" + std::to_string(k);
    AddInputItem(nuts, name.c_str(), name.c_str(), browse(k + 10, [k] { SelectNutTable(k, 0); }));
  }
  AddInputItem(m, "mi_dbanziehwerkzeug", "Tightening T&ool",
          [] { PickTighteningTool(0, CalcTableCaption(kTighteningTable)); });
  QMenu* fmin = AddMenu(m, "mi_dbReibungmin", "&Friction min");
  AddInputItem(fmin, "mi_dbgewindereibung", "&Friction Thread", table(15));
  AddInputItem(fmin, "mi_dbkopfreibung", "Friction &Head  ", table(16));
  AddInputItem(fmin, "mi_dbtrennflaechenreibung", "Friction &Mating Surface", table(17));
  QMenu* fminmax = AddMenu(m, "mi_dbreibungminmax", "&Friction min/max");
  AddInputItem(fminmax, "mi_dbgewindereibungtol", "&Friction Thread", table(21));
  AddInputItem(fminmax, "mi_dbkopfreibungtol", "Friction &Head  ", table(22));
  AddInputItem(m, "mi_dbunterlegscheiben", "&Washers", table(18));
  AddInputItem(m, "mi_dbschraubenlaenge", "&Bolt Length", table(19));
}

void Thh::BuildDocumentMenu() {
  QMenu* m = AddMenu(nullptr, "mi_documentation", "D&ocument");
  AddItem(m, "mi_docdrawinginfo", "&Drawing data", [] { AbortFlag = 0; ShowChangeInfoForm(); });
  struct Change { const char* name; const char* caption; Word command; };
  const Change changes[] = {{"mi_docuShowChanges1", "Modifications - &Info", 4},
                            {"mi_docuPrintChanges", "Modifications - &Printout", 5},
                            {"mi_docuNewChange", "Modification - &New", 1},
                            {"mi_docuModifyChanges", "&Edit previous modification", 2},
                            {"mi_docudeleteChange", "&Delete previous modification", 3}};
  for (const Change& c : changes) {
    const Word command = c.command;
    AddItem(m, c.name, c.caption, [this, command] {
      AbortFlag = 0;
      ChangesMenu(command);
      if (!AbortFlag && command <= 3) InputModified = 1;
    });
  }
  AddSeparator(m);
  for (Word n = 1; n <= 5; ++n) {
    const std::string name = "mi_Document" + std::to_string(n);
    AddItem(m, name.c_str(), name.c_str(), [n] { AbortFlag = 0; RunDocument(n); });
  }
  AddItem(m, "mi_DocumentSetup", "Document &Setup", [] { AbortFlag = 0; ShowDocumentSetup(); });
}

void Thh::BuildOleMenu() {
  QMenu* m = AddMenu(nullptr, "mi_OLE", "&OLE");
  AddItem(m, "mi_oleStartExcel", "Start Excel", [this] { mi_oleStartExcelClick(); });
  AddItem(m, "mi_OleExportExcel", "Export BQ4 -> Excel", [this] { mi_OleExportExcelClick(); })->setEnabled(false);
  AddItem(m, "mi_oleImportExcel", "Import Excel -> BQ4", [this] { mi_oleImportExcelClick(); })->setEnabled(false);
  AddItem(m, "mi_OlePrintoutExcel", "Printout -> Excel", [this] { mi_OlePrintoutExcelClick(); });
  m->addSeparator()->setVisible(false);
  AddItem(m, "PrintoutWord1", "Printout -> Word", {})->setVisible(false);
}

void Thh::BuildHelpMenu() {
  QMenu* m = AddMenu(nullptr, "mi_Help", "&Help");
  AddItem(m, "mi_HelpHilfebild", "&Auxiliary images", [] { AbortFlag = 0; AuxGraphicsManager(); });
  AddItem(m, "mi_helpErrorMessages", "&Error messages", [] { AbortFlag = 0; ShowCalculationMessages(); });
  AddItem(m, "Index1", "&Index (engl.)", [] { AbortFlag = 0; ShowHelpIndex(); });
  AddItem(m, "mi_helphistory", "&History", [this] { mi_helphistoryClick(); });
  QMenu* language = AddMenu(m, "mi_helplanguage", "Menu &Language");
  AddItem(language, "mi_helplanguageDeutsch", "&Deutsch", [this] { SetLanguage(1); });
  AddItem(language, "mi_helplanguageEnglish", "&English", [this] { SetLanguage(2); });
  AddItem(language, "mi_helplanguageFrancais", "&Francais", [this] { SetLanguage(3); })->setVisible(false);
  AddItem(language, "mi_helplanguageKorea", "&Korea", [this] { SetLanguage(8); });
  AddSeparator(m);
  AddItem(m, "mi_helpwww", "www.bq4.example", [this] { mi_helpwwwClick(); });
  AddItem(m, "mi_helpemail", "support@bq4.example", [this] { mi_helpemailClick(); });
  AddSeparator(m);
  AddItem(m, "mi_HelpAbout", "BQ&4", [this] { mi_HelpAboutClick(); });
}

// ---------------------------------------------------------------------------
// Captions and languages

void Thh::SetCaption(const std::string& name, const std::string& utf8) {
  if (QAction* a = Item(name)) a->setText(QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())));
}

void Thh::ApplyMenuCaptions() {
  const std::string& table = C(kCaptionTable);
  SetCaption("mi_file", C(kCaptionFile));
  SetCaption("mi_fileNew", C(kCaptionFileNew));
  SetCaption("mi_fileOpen", C(kCaptionFileOpen));
  SetCaption("mi_fileOpenTable", C(kCaptionFileOpen) + " (" + table + ")");
  SetCaption("mi_FileSave", C(kCaptionFileSave));
  SetCaption("mi_FileSaveAs", C(kCaptionFileSaveAs));
  SetCaption("mi_fileprint", C(kCaptionFilePrint));
  SetCaption("mi_fileprintersetup", C(kCaptionPrinterSetup));
  SetCaption("mi_fileCalcDocument", P(kTextCalculationDocument));
  SetCaption("mi_fileConfig", C(kCaptionFileSettings));
  SetCaption("mi_fileexit", C(kCaptionFileExit));

  SetCaption("mi_Edit", C(kCaptionEdit));
  SetCaption("mi_edittext", C(kCaptionEditText));
  SetCaption("mi_editvorauslegung", C(kCaptionPreDimensioning));
  SetCaption("mi_editschraube", P(kTextBolt));
  SetCaption("mi_editschraubeneu", C(kCaptionFileNew));
  SetCaption("mi_editschraubeedit", C(kCaptionEdit));
  SetCaption("mi_editklemmstuecke", P(kTextClampingPlates));
  SetCaption("mi_editmutter", P(kTextNut));
  SetCaption("mi_editmutterneu", C(kCaptionFileNew));
  SetCaption("mi_editmutteredit", C(kCaptionEdit));
  SetCaption("mi_editreibung", P(kTextFriction));
  SetCaption("mi_editlast", P(kTextLoadInput));
  SetCaption("mi_editanziehverfahren", P(kTextTightening));
  SetCaption("mi_edittemperatur", P(kTextTemperature));
  SetCaption("mi_editexzKraftangriff", P(kTextEccentric));
  SetCaption("mi_editflansch", P(kTextFlange));
  SetCaption("mi_editberechnung", C(kCaptionCalculationMethod));
  SetCaption("mi_editinfo", C(kCaptionFileInfo));

  SetCaption("mi_View", C(kCaptionView));
  SetCaption("mi_viewausdruck", C(kCaptionPrintout));
  SetCaption("mi_viewQuick", C(kCaptionEditQuick));
  SetCaption("mi_viewverspannungsschaubild", P(kTextLoadExtension));
  SetCaption("mi_viewmontagezustanderf", P(kTextAssemblyReqd));
  SetCaption("mi_viewmontagezustand", P(kTextAssembly));
  SetCaption("mi_viewbetriebszustanderf", P(kTextWorkingReqd));
  SetCaption("mi_viewbetriebszustandmax", P(kTextWorkingMax));
  SetCaption("mi_viewbetriebszustandmin", P(kTextWorkingMin));
  SetCaption("mi_viewzeichnungschraubenverbindung", C(kCaptionDrawing));
  SetCaption("mi_viewtabellenzeichnung", P(kTextTableDrawing));
  SetCaption("mi_viewtabellekraefte", P(kTextForces));
  SetCaption("mi_viewFlansch", P(kTextFlange));
  SetCaption("mi_viewmalphadiagramm", P(kTextMAlphaDiagram));
  SetCaption("mi_viewfalphadiagramm", P(kTextFAlphaDiagram));
  SetCaption("mi_viewfmmadiagramm", P(kTextFmMaDiagram));
  SetCaption("mi_viewdiagrams", C(kCaptionDiagrams));
  SetCaption("mi_viewmaterial", C(kCaptionEditMaterial));
  SetCaption("mi_viewmaterialbolt", P(kTextBolt) + " (mat_bolt)");
  SetCaption("mi_viewmaterialnut0", P(kTextNut) + "/" + P(kTextClampingPlates) + " 0 (pressung)");
  SetCaption("mi_viewmaterialnut1", P(kTextNut) + "/" + P(kTextClampingPlates) + " 1 (mat_p_1)");
  SetCaption("mi_viewErrorMessages", C(kCaptionErrorMessages) + " (" + std::to_string(CalcMessages.count) + ")");

  SetCaption("mi_CAD", C(kCaptionCad));
  SetCaption("mi_cadvorderansicht", C(kCaptionProjection));
  SetCaption("mi_cadseitenansicht", C(kCaptionSideView));
  SetCaption("mi_caddraufsicht", C(kCaptionUpperView));
  SetCaption("mi_caduntersicht", P(kTextLowerView));
  SetCaption("mi_cadschraube", P(kTextBolt));
  SetCaption("mi_cadmutter", P(kTextNut));
  SetCaption("mi_cadklemmstuecke", P(kTextClampingPlates));
  SetCaption("mi_cadFlansch", P(kTextFlange));
  SetCaption("mi_caddiagramme", C(kCaptionDiagrams) + " ..");
  SetCaption("mi_cadzeichnung", P(kTextTableDrawing));
  SetCaption("mi_cadload", P(kTextForces));
  SetCaption("mi_cadquick", C(kCaptionEditQuick));

  SetCaption("mi_database", C(kCaptionDatabase));
  SetCaption("mi_dbgewinde", P(kTextThread));
  SetCaption("mi_dbschraubenkopf", P(kTextScrewHead));
  for (int k = 1; k <= 8; ++k)
    SetCaption("mi_dbkopf" + std::to_string(k),
               ShownText(HeadKindNames[static_cast<std::size_t>(k)].str())
                   .toStdString());
  SetCaption("mi_dbwerkstoffschraube", P(kTextMaterialBolt));
  SetCaption("mi_dbwerkstoffschraubeBasedata", C(kCaptionBaseData));
  SetCaption("mi_dbwerkstoffplatten", P(kTextMaterialPlates));
  SetCaption("mi_dbwerkstoffplattenBasedata", C(kCaptionBaseData) + " 0 (pressung.dbf)");
  SetCaption("mi_dbwerkstoffplattenbasematp1", C(kCaptionBaseData) + " 1 (mat_p_1.dbf)");
  SetCaption("mi_dbmuttern", P(kTextNut));
  for (int k = 1; k <= 3; ++k)
    SetCaption("mi_dbmutter" + std::to_string(k),
               ShownText(NutKindNames[static_cast<std::size_t>(k)].str())
                   .toStdString());
  SetCaption("mi_dbanziehwerkzeug", P(kTextTighteningTool));
  SetCaption("mi_dbReibungmin", P(kTextFriction) + " min");
  SetCaption("mi_dbgewindereibung", P(kTextFrictionThread));
  SetCaption("mi_dbkopfreibung", P(kTextFrictionHead));
  SetCaption("mi_dbtrennflaechenreibung", P(kTextFrictionMating));
  SetCaption("mi_dbreibungminmax", P(kTextFriction) + " min/max");
  SetCaption("mi_dbgewindereibungtol", P(kTextFrictionThread));
  SetCaption("mi_dbkopfreibungtol", P(kTextFrictionHead));
  SetCaption("mi_dbunterlegscheiben", P(kTextWashers));
  SetCaption("mi_dbschraubenlaenge", P(kTextBoltLength));

  SetCaption("mi_documentation", C(kCaptionDocument));
  SetCaption("mi_docdrawinginfo", C(kCaptionDrawingData));
  SetCaption("mi_docuShowChanges1", C(kCaptionModificationsInfo));
  SetCaption("mi_docuPrintChanges", C(kCaptionModificationsPrintout));
  SetCaption("mi_docuNewChange", C(kCaptionModificationNew));
  SetCaption("mi_docuModifyChanges", C(kCaptionEditModification));
  SetCaption("mi_docudeleteChange", C(kCaptionDeleteModification));
  for (int n = 1; n <= 5; ++n)
    SetCaption("mi_Document" + std::to_string(n), C(kCaptionDocument) + " &" + std::to_string(n));
  SetCaption("mi_DocumentSetup", C(kCaptionDocumentSetup));

  SetCaption("mi_Help", C(kCaptionHelp));
  SetCaption("mi_HelpHilfebild", C(kCaptionAuxiliaryImages));
  SetCaption("mi_helpErrorMessages", C(kCaptionErrorMessages));
  SetCaption("mi_helplanguage", C(kCaptionMenu) + " " + C(kCaptionLanguage));
}

void Thh::SetLanguage(Word language) {
  MenuLanguage = language;
  SetMenuLanguage(language);
  AbortFlag = 0;
  SetProductMenuTexts(language);
  ApplyMenuCaptions();
  SetMainCaption();
}
