#include "framework/documents.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/change_history.h"
#include "framework/file_utils.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/text_utils.h"
#include "platform/process.h"

OneBasedArray<TDocumentRecord, kDocumentSlots> Documents;
Word DocumentCount = kDocumentSlots;

void InitDocuments() {
  Documents.fill(TDocumentRecord{});
  DocumentCount = kDocumentSlots;
}

void ClearDocumentRecords() {
  for (auto& line : HeaderLines) line = "";
  DocumentCount = 0;
}

namespace {

// A file named without a directory is looked for beside the project first.
std::string DocumentPath(const std::string& file) {
  if (file.empty() || file.front() == '/' || CurrentDir.empty()) return file;
  const std::string beside = AddBackslash(CurrentDir) + file;
  return TextFileExists(beside) ? beside : file;
}

// The program of a document line and the options after it: the whole text
// names the program when there is one of that name, else its first word does
// and the further words are options ("cat -n").
std::vector<std::string> ProgramAndOptions(const std::string& line) {
  if (platform::ProgramExists(line)) return {line};
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string::npos) {
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  if (words.empty()) words.push_back(line);
  return words;
}

// An address for the desktop's opener ("https://...", "mailto:..."), not a file.
bool IsAddress(const std::string& name) {
  return name.find("://") != std::string::npos || name.rfind("mailto:", 0) == 0;
}

}  // namespace

void RunDocument(Word n) {
  if (n < 1 || n > kDocumentSlots) return;
  const std::string program = TrimRightText(Documents[n].Program.view());
  const std::string file = DocumentPath(TrimRightText(Documents[n].DocFile.view()));
  // A file that is not there is named here: the program would get a name
  // that does not exist and say so, if at all, where nobody looks.
  if (!file.empty() && !IsAddress(file) && !TextFileExists(file) && !DirectoryAccessible(file)) {
    ShowError("Document " + std::to_string(n) + ": the file " + file + " does not exist");
    AbortFlag = 1;
    return;
  }
  if (program.empty()) {
    if (file.empty()) {
      ShowError("Document " + std::to_string(n) + ": no program and no file set up");
      AbortFlag = 1;
      return;
    }
    SetBusyCursor();
    const bool started = platform::OpenWithDefaultProgram(file);
    RestoreCursor();
    if (!started) {
      ShowError("No program to open " + file + " found");
      AbortFlag = 1;
    }
    return;
  }
  std::vector<std::string> arguments = ProgramAndOptions(program);
  if (!platform::ProgramExists(arguments.front())) {
    ShowError("Program " + program + " not found");
    AbortFlag = 1;
    return;
  }
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (!file.empty()) arguments.push_back(file);
  SetBusyCursor();
  const bool started = platform::StartProgram(command, arguments);
  RestoreCursor();
  if (!started) {
    ShowError("Program " + program + " could not be started");
    AbortFlag = 1;
  }
}

void WriteDocumentsSection() {
  WriteTextLine("documents");
  WriteIntLine(kDocumentSlots);  // always five, whatever DocumentCount holds
  WriteTextLine("--------------------");
  for (int i = 1; i <= kDocumentSlots; ++i) {
    WriteTextLine(OneLineDescription(Documents[i].Program));  // a line break would shift the file
    WriteTextLine(OneLineDescription(Documents[i].DocFile));
    WriteTextLine("--------------");
  }
}

bool ReadDocumentsSection(TLineCursor& in) {
  if (!in.Keyword("documents")) return false;
  Word count = 0;
  if (!in.Word16(count)) return false;
  if (count > 100) {
    in.Fault("document count out of range");
    return false;
  }
  std::string rule;
  if (!in.Text(rule)) return false;
  for (int i = 1; i <= count; ++i) {
    TDocumentRecord d;
    if (!in.Text(d.Program) || !in.Text(d.DocFile) || !in.Text(rule)) return false;
    // Older versions stored the names in code page 437.
    d.Program = PathOfStoredName(d.Program.view(), true);
    d.DocFile = PathOfStoredName(d.DocFile.view(), true, CurrentDir);
    if (i <= kDocumentSlots) Documents[i] = d;  // groups beyond the fifth are skipped
  }
  return true;
}
