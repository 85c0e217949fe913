// The editor behind the lists of bolt sections and clamped parts: shows the
// entries with their action lines in the list editor, carries out the chosen
// action on the records and opens the entry's form. Internal to the input
// procedures.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "framework/types.h"

struct EntryListEditor {
  std::string caption;
  std::string enterText, insertText, deleteText;
  std::string generalText;  // a fourth action line behind spare button 1; empty: none
  std::string spareCaption;  // caption of that button
  std::string continueText = "continue...";
  int maxCount = 0;
  std::string tooManyText;
  std::string insertPrompt, deletePrompt;
  Word listHelp = 0, insertHelp = 0, deleteHelp = 0;  // 0: HelpNumber stays
  std::function<int()> count;
  std::function<void(int)> setCount;
  std::function<std::string(int)> line;       // list text of entry i
  std::function<void(int from, int to)> move;  // every field of an entry
  std::function<void(int)> edit;              // the entry's form; Cancel sets AbortFlag
  std::function<void()> general;              // the fourth action
  std::function<void()> save, restore;        // the records before a new entry
};

// Repeats until "continue..." or Cancel; a new entry whose form is cancelled
// is taken back, and the list's own Cancel puts the joint back as it was when
// the list opened.
void RunEntryListEditor(const EntryListEditor& e);
