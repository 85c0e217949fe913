#include "framework/help_texts.h"

#include "framework/charset.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/hpgl.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/screen.h"

Word HelpNumber = 0;

void InitHelpTexts() { HelpNumber = 0; }

void SetHelpNumber(Word n) { HelpNumber = n; }

std::string HelpFileName(Word n) {
  if (n < 4000) return AddBackslash(PltDir) + "tovimar.hlp";
  return AddBackslash(PltDir) + LowerCaseText(ProgShortNameLower) + ".hlp";
}

void ParseHelpHeader(const std::string& line, int& number, std::string& tail) {
  std::string head = line.substr(0, 4);
  number = -1;
  if (!head.empty()) {
    int v = 0;
    bool ok = true;
    std::size_t i = 0;
    bool neg = false;
    if (head[0] == '-' || head[0] == '+') {
      neg = head[0] == '-';
      i = 1;
    }
    if (i >= head.size()) ok = false;
    for (; ok && i < head.size(); ++i) {
      if (head[i] < '0' || head[i] > '9') ok = false;
      else v = v * 10 + (head[i] - '0');
    }
    if (ok) number = neg ? -v : v;
  }
  auto colon = line.find(':');
  tail = colon == std::string::npos ? std::string("NULL") : line.substr(colon + 1);
}

std::string NoHelpText(Word n) {
  return "help text No " + std::to_string(n) + ": " + "No help available" + ".";
}

HelpEntry LookupHelpEntry(Word n) {
  if (n == 0) n = HelpNumber;
  HelpEntry entry;
  std::string fileName = HelpFileName(n);
  std::vector<std::string> lines;
  std::string error;
  if (!LoadTextLines(FindExistingFile(fileName), lines, error, kLargestTextFile)) {
    // A missing file as such; a FIFO, device or oversized file with its reason.
    const bool there = ProgramFileThere(fileName);
    entry.lines[0] = there ? error : "File " + fileName + " " + "not found" + " !";
    AbortFlag = 0;
    return entry;
  }
  std::size_t i = 0;
  // Reads one line and, for a header, its text line.
  auto next = [&](int& number, std::string& tail, std::string& text) {
    const std::string& line = lines[i++];
    ParseHelpHeader(line, number, tail);
    if (number >= 0) {
      text = i < lines.size() ? lines[i++] : std::string();
    } else {
      text = line;
    }
  };
  bool found = false;
  while (i < lines.size() && !found) {
    int number;
    std::string tail, text;
    next(number, tail, text);
    if (number >= 0 && number == static_cast<int>(n)) {
      found = true;
      entry.lines[0] = text;
      entry.picture = tail;
      for (std::size_t k = 2; k <= 5 && i < lines.size(); ++k) {
        int num2;
        std::string tail2;
        ParseHelpHeader(lines[i], num2, tail2);
        if (num2 >= 0 && num2 % 5 == 0) break;  // the next entry starts
        std::string text2;
        next(num2, tail2, text2);
        if (num2 < 0 || num2 == static_cast<int>(n) + static_cast<int>(k) - 1) entry.lines[k - 1] = text2;
      }
    }
  }
  if (!found) entry.lines[0] = NoHelpText(n);
  AbortFlag = 0;
  return entry;
}

void ShowHelpText(Word n, const std::string& /*text*/, Word mode) {
  if (n == 0) n = HelpNumber;
  HelpEntry entry = LookupHelpEntry(n);
  if (mode == 0 || mode == 1) {
    std::string message;
    for (const auto& line : entry.lines) message += OemToAnsiText(line) + " ";
    platform::ShowMessageBox("HELP TEXT No." + std::to_string(n), message);
  }
  if (mode == 0 || mode == 2) {
    GraphClear();
    GraphHeader(0, 0, 160, 120);
    // A form that shows its picture stays open over the window: the picture
    // goes where the form leaves room for it.
    platform::AreaFractions free;
    if (platform::AreaBesideModalForm(160.0 / 120.0, free))
      MainGraphWindow().SetWindow(true, true, free.x1, free.y1, free.x2, free.y2, 0, 0, 160, 120);
    // Exact comparison: a missing entry's picture "null" plays null.plt.
    if (!entry.picture.empty() && entry.picture != "NULL") PlayHpglFile(AddBackslash(PltDir) + entry.picture + ".plt");
  }
  AbortFlag = 0;
}

void ShowHelpPictureIfNamed(Word n) {
  const Byte keptAbort = AbortFlag;
  const HelpEntry entry = LookupHelpEntry(n);
  // A picture that is there is shown; one that is no regular file is named.
  if (!entry.picture.empty() && entry.picture != "NULL" && ProgramFileThere(AddBackslash(PltDir) + entry.picture + ".plt"))
    ShowHelpText(n, "", 2);
  AbortFlag = keptAbort;
}

void GetHelpEntryText(Word n, std::string& result) {
  HelpEntry entry = LookupHelpEntry(n);
  result.clear();
  for (std::size_t k = 0; k < entry.lines.size(); ++k) {
    if (k) result += ' ';
    result += OemToAnsiText(entry.lines[k]);
  }
}
