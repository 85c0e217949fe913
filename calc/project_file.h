// The project file: the whole input of one joint as a text file of one value
// per line in named sections ("SCHRAUBE", "KLEMMSTUECKE", "LAST", ...,
// "CHANGES", "documents"), then an unnamed tail of later additions and the
// section "FURTHER INPUTS" with the inputs the older layout does not hold.
// Lines end in CR LF; texts are code page 437; numbers use "." and enough
// digits to read back exactly. Results are never stored: the reader
// recalculates the joint.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes the joint to a project file. An empty name asks for one; any other
// goes through ProjectFileOfName (framework/file_utils.h): CurrentFileName is
// the current project's own file, a name without the project extension (also
// "joint.v2") is taken in CurrentDir with it. A failed write leaves an
// existing file as it was and sets AbortFlag.
void WriteCalcFile(std::string_view fileName);

// The joint's inputs as one text, field by field as a project file stores
// them (without the change history and the document list): two texts are
// equal exactly when the joint's stored inputs are. Changes nothing.
std::string ProjectInputText();

// Reads a project file: a full path, a bare stem (taken in CurrentDir with
// the project extension) or an empty name (open dialog). Loads the joint,
// sets CurrentDir, CurrentFileName and CurrentFileExt, refreshes the table rows and
// recalculates. A file that cannot be read or is damaged is reported, sets
// AbortFlag and leaves the joint as it was. Files of the older layouts,
// which end after the document list, after the unnamed tail or after the
// further inputs, leave the fields they do not hold at their defaults; a
// file that ends anywhere else, or inside its last line, was cut short and
// is damaged. The writer ends every file with a mark line.
void ReadCalcFile(std::string_view fileName);

// Loads the joint from the lines of a project file (no recalculation, no
// table refresh). False with the reason in error when the lines are not a
// readable project; the joint is then unchanged.
bool ReadCalcLines(std::vector<std::string> lines, std::string& error);
// Whether ReadCalcLines would load the lines, the joint left as it is.
bool CheckCalcLines(std::vector<std::string> lines, std::string& error);
// The same on the bytes of a project file; also refuses data that is no
// 8-bit text with LF or CR LF line ends (UTF-16, CR alone, NUL bytes only).
// The reason given holds no control characters of the file.
bool ReadCalcText(std::string_view data, std::string& error);

// Which lines of a project file its layout holds as numbers (or flags); the
// others hold texts (header lines, names, the drawing number, keywords),
// whatever they look like. A damaged file's lines from its fault on count
// as texts. The joint is left as it is.
std::vector<bool> ProjectNumberLines(const std::vector<std::string>& lines);

// The file that a name given to the loader stands for: a name with the
// project extension as it is; a name without "." in CurrentDir with it;
// a name with another extension, or ending in ".", that file when it exists
// (flange.bak, "a."), else
// the project file of that name with the extension added when that exists
// ("joint.v2" for joint.v2.bq4), else the name as it is.
std::string ProjectFilePath(std::string_view name);
