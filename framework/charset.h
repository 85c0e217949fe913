// Character sets. Stored texts (files, tables, help files, literals) are in
// code page 437; they turn into Windows-1252 for display and back for input.
// The conversion is a permutation of the 256 codes, so an unchanged text
// converts back to the same bytes. CharSetMode 1 replaces it for display by
// the program's own transcription to plain ASCII; UmlautMode chooses how
// texts are written into CAD drawings. Texts of any length are converted.
#pragma once

#include <string>
#include <string_view>

unsigned char OemToAnsiChar(unsigned char c);
unsigned char AnsiToOemChar(unsigned char c);

// Display form of a stored text (OemToAnsiStr).
std::string OemToAnsiText(std::string_view s);
// CharSetMode 1: TranscribeText, then OemToAnsiOwn; otherwise the code page conversion.
std::string OemToAnsiStr(std::string_view s);
// Typed (display) text back to the stored code page, whatever CharSetMode is.
std::string AnsiToOemText(std::string_view s);
// Umlauts, sharp s, degree, plus-minus and superscript two spelt in ASCII.
std::string TranscribeText(std::string_view s);
// The own mapping: accented letters to Windows codes, box drawing to | + -.
std::string OemToAnsiOwn(std::string_view s);
// CAD text: UmlautMode 2 display conversion, 3 transcription, else unchanged.
std::string UmlautModeText(std::string_view s);
// A stored text as UTF-8: code page 437 to its Unicode characters (box
// drawing stays box drawing); CharSetMode 1 transcribes umlauts first.
std::string OemToUtf8(std::string_view s);
// A code page 437 text as UTF-8, every code its own character whatever
// CharSetMode is (a text that must read back the same).
std::string Cp437ToUtf8(std::string_view s);
// UTF-8 text (as files of this platform hold it) in code page 437, or in
// Windows-1252; a character the code page lacks becomes "?", and so does a
// byte that is no UTF-8.
std::string Utf8ToOem(std::string_view utf8);
std::string Utf8ToAnsi(std::string_view utf8);
// A file name (the file system's UTF-8) inside a stored text, to be shown
// with it; a name that is no UTF-8 stays as it is.
std::string NameAsStoredText(std::string_view name);
// Display form of a message that may name files. File names are the file
// system's UTF-8: a well-formed multi-byte UTF-8 sequence is a character of
// a name, shown as itself ("?" where Windows-1252 lacks it); every other byte
// is a stored (code page 437) character. A stored text hardly ever holds
// such a sequence (a box-drawing or Greek character followed by an accented
// letter).
std::string OemToAnsiNamingFiles(std::string_view s);
// Kept for its callers: the vertical box line (179) stays as it is.
std::string ReplaceBoxChars(std::string_view s);
