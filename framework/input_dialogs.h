// Asking the user: a choice from ItemTexts, yes or no, a text, a number in
// range, a file or a directory. Texts passed in are stored (OEM) texts;
// file and directory names are the file system's bytes (UTF-8), as they are
// on disk.
// Cancel and Esc set AbortFlag and leave the variable arguments unchanged
// (SelectDirectory: see there); callers test AbortFlag and stop quietly.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// Choice 1..n of ItemTexts; n of 8 or more as a list, fewer as radio
// buttons. An index outside 1..n preselects entry 1.
void SelectCode(std::string_view prompt, int n, Word& index);

// Answer 'J' or 'N'; 'N' or 'n' preselects No.
void AskYesNoChar(std::string_view prompt, char& answer);
void AskYesNo(std::string_view prompt, bool& value);

void InputTextEx(std::string_view prompt, int maxLength, std::string& text);
void InputText(std::string_view prompt, int maxLength, std::string& text);
// A file or folder name (or a command line naming one), the file system's
// bytes: shown as its characters and stored as typed, in UTF-8; left as
// shown, it stays byte for byte.
void InputPath(std::string_view prompt, int maxLength, std::string& path);
// A file or folder name holding a line break (CR or LF), which no file of
// one value a line can keep, is refused by name (ShowError): true when
// refused. InputPath asks again after such a refusal.
bool HoldsLineBreak(std::string_view text);
bool RefusedWithLineBreak(std::string_view name);

// Numbers, asked again until they are valid and within [lo, hi]. Errors say
// "Invalid Input \"<text>\" !" and "Valid Data are: <lo> .. <hi> !".
void InputFloatInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi);
void InputRealInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi);
// Millimetres (inches shown in imperial mode) and MPa (psi).
void InputLengthInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi);
void InputStressInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi);
// Limits given the wrong way round are swapped.
void InputIntInRange(std::string_view prompt, int& value, int lo, int hi);
void InputLongInRange(std::string_view prompt, int& value, int lo, int hi);
void InputWordInRange(std::string_view prompt, Word& value, Word lo, Word hi);

// A directory; a cancelled choice gives back start and clears AbortFlag.
void SelectDirectory(const std::string& start, std::string& dir);

// Shows ItemTexts 1..22 in a fixed-pitch font.
void ShowScreenForm();

// The full name of an input or output file of the current kind
// (extension InputFileExt): empty name asks with a save dialog; a name
// without "." lies in CurrentDir. Ends with ConfirmOverwrite.
void SelectFileName(std::string name, std::string& fullName);

// Open-file dialog over mask ("*.exe"), starting where name lies; nothing
// chosen: result := name and AbortFlag.
void SelectOpenFile(const std::string& name, const std::string& mask, std::string& result);

// Open-file dialog over mask starting in dir; dir := the chosen file's
// directory, name := its name without directory and extension (kind 5: the
// full name); kind 4 also sets InputFileExt to the chosen extension.
void SelectFileOfKind(int kind, std::string& dir, const std::string& mask, std::string& name);
