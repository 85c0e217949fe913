// Thh, the main window of the program. It is the one graphics window: every
// diagram, drawing and picture is recorded into its display list and
// replayed in its client area and on the printer. Its menus are the only way
// into the rest of the system after start-up; every command is a handler of
// one menu item ("mi_..." + "Click").
#pragma once

#include <functional>
#include <map>
#include <string>

#include "framework/forms/graph_window.h"
#include "framework/types.h"

class QAction;
class QMenu;
class QCloseEvent;

class Thh : public DUdoduvoz {
  Q_OBJECT

 public:
  // Creates the window and runs FormCreate (start-up included).
  explicit Thh(QWidget* parent = nullptr);
  ~Thh() override;

  void FormCreate();
  void FormDestroy();
  // True when the window may close: the save question and the temporary files.
  bool FormCloseQuery();
  // Client area of the configured size in the background colour.
  void FitToScreen();
  // The window in the configured background colour; size and place stay.
  void ApplyBackgroundColour();

  // The menu item (or submenu's item) of that name; nullptr when unknown.
  QAction* Item(const std::string& name) const;
  QMenu* Menu(const std::string& name) const;

  // Menu captions from the current language texts.
  void ApplyMenuCaptions();
  void SetLanguage(Word language);
  // Window caption from the current file; rebuilds the recent-file items.
  void SetMainCaption();
  void SetCaptionText(const std::string& text);
  void InitRecentFileMenu(QAction* exitItem);
  void UpdateRecentFileMenu();
  void UpdateRecentFileItem(QAction* item, int n);
  void OpenRecentFile(int n);
  // Caption and state of the messages item, then the current view (also
  // after a cancelled input: it shows the joint as calculated).
  void UpdateAfterCalculation();
  // The joint was just calculated from the inputs it holds now.
  void NoteCalculated();
  // When the inputs changed since the last calculation noted, the joint is
  // calculated again and the current view shown, so that nothing the window
  // shows, prints or exports is a result of other inputs. Every menu
  // command runs between two of these.
  void KeepResultsCurrent();
  // The messages item shows the count of the last calculation, enabled when any.
  void ShowMessageCount();

  // File menu
  void mi_fileNewClick();
  void mi_fileOpenClick();
  void mi_fileOpenTableClick();
  void mi_FileSaveClick();
  void mi_FileSaveAsClick();
  void mi_fileprintClick();
  void mi_fileprintersetupClick();
  void mi_filePrintMacroClick();
  // The calculation document of the joint as a PDF file the user names.
  void mi_fileCalcDocumentClick();
  void mi_fileConfigClick();
  void mi_fileexitClick();
  // Edit menu
  void mi_edittextClick();
  void mi_editvorauslegungClick();
  void mi_editschraubeneuClick();
  void mi_editschraubeeditClick();
  void mi_editklemmstueckeClick();
  void mi_editmutterneuClick();
  void mi_editmuttereditClick();
  void mi_editreibungClick();
  void mi_editlastClick();
  void mi_editanziehverfahrenClick();
  void mi_edittemperaturClick();
  void mi_editexzKraftangriffClick();
  void mi_editflanschClick();
  void mi_editpreloadClick();
  void mi_editberechnungClick();
  void mi_editinfoClick();
  // OLE menu
  void mi_oleStartExcelClick();
  void mi_OleExportExcelClick();
  void mi_oleImportExcelClick();
  void mi_OlePrintoutExcelClick();
  // Help menu
  void mi_helphistoryClick();
  void mi_helpwwwClick();
  void mi_helpemailClick();
  void mi_HelpAboutClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QMenu* AddMenu(QMenu* parent, const char* name, const char* caption);
  QAction* AddItem(QMenu* menu, const char* name, const char* caption, std::function<void()> handler);
  // An item of a command that may change the joint: InputModified is set
  // when what the project file holds changed, however the command ended.
  QAction* AddInputItem(QMenu* menu, const char* name, const char* caption, std::function<void()> handler);
  void AddSeparator(QMenu* menu);
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildViewMenu();
  void BuildCadMenu();
  void BuildDatabaseMenu();
  void BuildDocumentMenu();
  void BuildOleMenu();
  void BuildHelpMenu();
  // The edit pattern: input, InputModified unless aborted, calculation
  // (also after Cancel), messages item and current view.
  void EditCommand(const std::function<void()>& input);
  // Edit > Pre-Dimensioning: the proposal, calculated, then InputModified;
  // the screen is cleared. Cancelled, what was chosen before the cancel is
  // calculated (when anything was) and the current view shown.
  void PreDimensioningCommand();
  void KeepDesktopMenuColours();
  void SetCaption(const std::string& name, const std::string& utf8);
  void GuidedNewInput();
  // The guided input's steps; false when one was cancelled (or the joint
  // lacks bolt or plates) and the joint is not calculated yet.
  bool GuidedNewInputSteps();
  // The drawing shown and how to draw it again while it is shown.
  void Shown(std::function<void()> draw);
  // After a save under another name than `before`: the drawing shown is
  // drawn again, since it names its project file.
  void ShowNewFileName(const std::string& before);

  std::map<std::string, QAction*> items_;
  std::map<std::string, QMenu*> menus_;
  bool destroyed_ = false;
  std::string calculatedInputs_;  // ProjectInputText of the last calculation noted
  std::function<void()> shownDrawing_;
  std::size_t shownDrawingClears_ = 0;
};

// The one main window while it exists (nullptr otherwise).
Thh* MainWindow();
