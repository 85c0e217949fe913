// File, Open Table: every project file of the current directory, loaded and
// calculated one after the other, as one row each of a table of the main
// inputs and results. A picked row opens that project.
#pragma once

#include <string>
#include <vector>

class Thh;
class TForm_preview;

constexpr int kFileTableColumns = 31;

// The header row in the current unit system.
std::vector<std::string> FileTableHeaders();
// The row of the joint in memory for the file of that name and date text.
std::vector<std::string> FileTableRow(const std::string& fileName, const std::string& dateText);
// The row of a file that could not be read: its name, its date and the mark
// kFileNotRead in the name column; no numbers.
inline constexpr const char* kFileNotRead = "(file cannot be read)";
std::vector<std::string> UnreadableFileTableRow(const std::string& fileName, const std::string& dateText);
// A joint whose calculation stopped: its result columns (residual clamp
// load, required preloads, safety factors) empty, kCalculationStopped in the
// first of the safeties.
inline constexpr const char* kCalculationStopped = "(stopped)";
void ClearFileTableResults(std::vector<std::string>& row);

// Sorts strings[first..last] ascending by character codes and moves indexes
// alike (not stable); QuickSortStrings first sets indexes[k] = k.
void QuickSortStringsRange(int first, int last, std::vector<std::string>& strings, std::vector<int>& indexes);
void QuickSortStrings(std::vector<std::string>& strings, std::vector<int>& indexes, int first, int last);

// The command: save question, table, picks until the user leaves it.
void RunFileTable(Thh& window);
// Loads every project of CurrentDir in turn into a row of the form.
void FillFileTable(Thh& window, TForm_preview& form);
// Opens the project of the form's selected row. A file that cannot be read
// is reported and changes nothing; AbortFlag stays clear, so the table stays open.
void OpenFileTableRow(Thh& window, const TForm_preview& form);
