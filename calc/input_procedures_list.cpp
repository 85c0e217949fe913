#include "calc/input_procedures_list.h"

#include "calc/forms/calc_forms.h"
#include "calc/joint_state.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"

namespace {

enum class Step { Edit, Enter, Insert, Delete, General, Continue };

// The entry lines 1..n, then the action lines.
int FillList(const EntryListEditor& e, int n) {
  for (int i = 1; i <= n; ++i) ItemTexts[i] = e.line(i);
  int k = n;
  ItemTexts[++k] = e.enterText;
  ItemTexts[++k] = e.insertText;
  ItemTexts[++k] = e.deleteText;
  if (!e.generalText.empty()) ItemTexts[++k] = e.generalText;
  ItemTexts[++k] = e.continueText;
  return k;
}

Step StepOfLine(const EntryListEditor& e, int n, int line) {
  if (line >= 1 && line <= n) return Step::Edit;
  if (line == n + 1) return Step::Enter;
  if (line == n + 2) return Step::Insert;
  if (line == n + 3) return Step::Delete;
  if (line == n + 4 && !e.generalText.empty()) return Step::General;
  return Step::Continue;
}

// The marked entry, or the user's choice among the entries; 0 after Cancel.
int EntryToActOn(const EntryListEditor& e, int n, int marked, Word help, const std::string& prompt) {
  if (marked >= 1 && marked <= n) return marked;
  if (help) SetHelpNo(help);
  for (int i = 1; i <= n; ++i) ItemTexts[i] = e.line(i);
  Word choice = 1;
  SelectCode(prompt, n, choice);
  return AbortFlag ? 0 : choice;
}

bool RoomForOneMore(const EntryListEditor& e, int n) {
  if (n + 1 <= e.maxCount) return true;
  ShowMessageText(e.tooManyText);
  AbortFlag = 1;
  return false;
}

// Edits a new entry; a cancelled form takes it back.
void EditNewEntry(const EntryListEditor& e, int i) {
  e.edit(i);
  if (AbortFlag) e.restore();
}

}  // namespace

void RunEntryListEditor(const EntryListEditor& e) {
  const TJointState opened;  // the list's Cancel puts the joint back to this
  bool changed = false;      // an action carried out since the list opened
  for (;;) {
    const int n = e.count();
    const int lines = FillList(e, n);
    if (e.listHelp) SetHelpNo(e.listHelp);
    int marked = 0;
    AbortFlag = 0;  // only the list's Cancel ends the editor here
    const int action = RunListEditor(e.caption, lines, marked, {e.spareCaption, "", ""});
    if (AbortFlag) {
      opened.Restore();
      return;
    }
    int line = lines;  // "continue..."
    if (action >= 1 && action <= 3) line = n + action;
    else if (action == 6 && !e.generalText.empty()) line = n + 4;
    else if (action == 9) line = marked ? marked : 1;
    else if (action == 10) line = marked;
    switch (StepOfLine(e, n, line)) {
      case Step::Edit:
        e.edit(line);
        break;
      case Step::Enter:
        if (!RoomForOneMore(e, n)) break;
        e.save();
        e.setCount(n + 1);
        EditNewEntry(e, n + 1);
        break;
      case Step::Insert: {
        if (!RoomForOneMore(e, n)) break;
        const int i = n == 0 ? 1 : EntryToActOn(e, n, marked, e.insertHelp, e.insertPrompt);
        if (i == 0) break;
        e.save();
        for (int j = n; j >= i; --j) e.move(j, j + 1);  // entry i keeps its values as a start
        e.setCount(n + 1);
        EditNewEntry(e, i);
        break;
      }
      case Step::Delete: {
        if (n == 0) break;
        const int i = EntryToActOn(e, n, marked, e.deleteHelp, e.deletePrompt);
        if (i == 0) break;
        for (int j = i; j < n; ++j) e.move(j + 1, j);
        e.setCount(n - 1);
        break;
      }
      case Step::General:
        if (e.general) e.general();
        break;
      case Step::Continue:
        return;
    }
    if (AbortFlag) {
      // A Cancel in an entry's form or a prompt ends the editor and takes
      // back only that step: what was done before stays, and is a change
      // of the input that a later Save must not miss.
      if (changed) InputModified = 1;
      return;
    }
    changed = true;
  }
}
