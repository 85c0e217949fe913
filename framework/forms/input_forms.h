// The small modal input dialogs, run without any GUI type in sight: callers
// (framework/input_dialogs.h) pass display texts and get the answer back.
// Each returns true for OK; Cancel and Esc set AbortFlag and return false.
#pragma once

#include <string>
#include <vector>

// List of choices; index counts from 1 and is preselected.
bool RunCodeDialog(const std::string& prompt, const std::vector<std::string>& items, int& index);
// The same as a radio group.
bool RunRadioDialog(const std::string& prompt, const std::vector<std::string>& items, int& index);
// One line of text of at most maxLength characters.
bool RunTextDialog(const std::string& prompt, int maxLength, std::string& text);
// Yes or no; answer 'J' or 'N' in and out.
bool RunYesNoDialog(const std::string& prompt, char& answer);
// A directory, starting at start when it exists.
bool RunSelectDirDialog(const std::string& start, std::string& dir);
// Shows the lines in a fixed-pitch font with an OK button.
void RunShowScreen(const std::string& caption, const std::vector<std::string>& lines);
