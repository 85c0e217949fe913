#include "framework/error_explanations.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/file_utils.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/input_dialogs.h"
#include "framework/charset.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

// A file or folder changed more than a second ago: a later change shows in
// its time.
bool Settled(fs::file_time_type time) { return time + std::chrono::seconds(1) < fs::file_time_type::clock::now(); }

std::string_view Key(std::string_view text) { return text.substr(0, std::min(text.size(), kExplanationKeyLength)); }

// Index of the key line of Message, or lines.size() when there is none.
std::size_t FindKeyLine(const std::vector<std::string>& lines, std::string_view message) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (Key(lines[i]) == Key(message)) return i;
  return lines.size();
}

std::string MessageText(int I) {
  if (I < 1 || I > CalcMessages.count) return {};
  return CalcMessages.texts[static_cast<std::size_t>(I)].str();
}

// Origin and remedy of message I, each left as it is when there is no file.
void MessageExplanation(int I, std::string* Origin, std::string* Remedy) {
  const std::string file = ErrorExplanationFileName();
  if (file.empty()) return;
  std::string origin, remedy;
  switch (LookupExplanation(file, MessageText(I), origin, remedy)) {
    case ExplanationLookup::NoFile: return;
    case ExplanationLookup::NotFound: origin = remedy = kNoExplanationText; break;
    case ExplanationLookup::Found: break;
  }
  if (Origin) *Origin = origin;
  if (Remedy) *Remedy = remedy;
}

std::string FindInDir(const std::string& dir, const std::string& name) {
  if (dir.empty()) return {};
  std::string found = FindExistingFile(AddBackslash(dir) + name);
  return TextFileExists(found) ? found : std::string();
}

}  // namespace

std::string UserErrorExplanationFileName() {
  return AddBackslash(platform::UserDataDirectory()) + ProgShortNameLower + ".err";
}

namespace {

// The last search for the explanation file: the folders searched, each with
// its modification time when searched (a file made, removed or renamed in a
// folder changes it), and what was found. Every message of a report asks.
struct ExplanationFileSearch {
  std::array<std::string, 3> dirs;
  std::array<fs::file_time_type, 3> times;
  std::array<bool, 3> present{};
  std::string name;
  std::string found;
  bool done = false;
};

ExplanationFileSearch LastSearch;

void FolderState(const std::string& dir, fs::file_time_type& time, bool& present) {
  std::error_code ec;
  time = dir.empty() ? fs::file_time_type() : fs::last_write_time(dir, ec);
  present = !dir.empty() && !ec;
  if (!present) time = fs::file_time_type();
}

}  // namespace

std::string ErrorExplanationFileName() {
  const std::string name = ProgShortNameLower + ".err";
  ExplanationFileSearch now;
  now.dirs = {platform::UserDataDirectory(), TrimRightText(PltDir), platform::DataDirectory()};
  now.name = name;
  for (std::size_t i = 0; i < now.dirs.size(); ++i) FolderState(now.dirs[i], now.times[i], now.present[i]);
  const ExplanationFileSearch& last = LastSearch;
  std::error_code ec;
  if (last.done && last.name == now.name && last.dirs == now.dirs && last.times == now.times &&
      last.present == now.present && (last.found.empty() || fs::is_regular_file(last.found, ec)))
    return last.found;
  for (const std::string& dir : now.dirs)
    if (now.found.empty()) now.found = FindInDir(dir, name);
  // Folders changed just now are searched again next time.
  now.done = true;
  for (std::size_t i = 0; i < now.dirs.size(); ++i)
    if (now.present[i] && !Settled(now.times[i])) now.done = false;
  LastSearch = now;
  return now.found;
}

namespace {

// The lines of the explanation file last read, known by its path, size and
// modification time: a run that explains many messages (or many projects)
// reads the file once, and again as soon as it changes.
struct ExplanationFileLines {
  std::string path;
  std::uintmax_t size = 0;
  fs::file_time_type time;
  std::vector<std::string> lines;
};

ExplanationFileLines CachedExplanations;

const std::vector<std::string>* ExplanationLines(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  const fs::file_time_type time = ec ? fs::file_time_type() : fs::last_write_time(path, ec);
  ExplanationFileLines& c = CachedExplanations;
  if (!ec && !c.path.empty() && c.path == path && c.size == size && c.time == time) return &c.lines;
  c = ExplanationFileLines{};
  if (!ReadTextFileLines(path, c.lines)) return nullptr;
  // Kept only when the file was examined before it was read, and not just
  // written: a change within the same time stamp would go unseen.
  if (!ec && Settled(time)) {
    c.path = path;
    c.size = size;
    c.time = time;
  }
  return &c.lines;
}

}  // namespace

ExplanationLookup LookupExplanation(std::string_view FileName, std::string_view Message, std::string& Origin,
                                    std::string& Remedy) {
  const std::vector<std::string>* read = ExplanationLines(std::string(FileName));
  if (!read) return ExplanationLookup::NoFile;
  const std::vector<std::string>& lines = *read;
  const std::size_t key = FindKeyLine(lines, Message);
  // A key on the last line has no explanation.
  if (key + 1 >= lines.size()) return ExplanationLookup::NotFound;
  Origin = lines[key + 1];
  Remedy = key + 2 < lines.size() ? lines[key + 2] : std::string();
  return ExplanationLookup::Found;
}

void SaveErrorExplanation(std::string_view Message, std::string_view Origin, std::string_view Remedy) {
  const std::string source = ErrorExplanationFileName();
  std::vector<std::string> lines;
  if (source.empty() || !ReadTextFileLines(source, lines)) {
    OpenTextForRead(source.empty() ? AddBackslash(PltDir) + ProgShortNameLower + ".err" : source);
    AbortFlag = 1;
    return;
  }
  const std::size_t key = FindKeyLine(lines, Message);
  if (key == lines.size()) {
    ShowMessagePlain(std::string(Message) + " not found.");
    return;
  }
  // An explanation is exactly one line each: a line break typed in a memo
  // would shift every explanation after it.
  auto oneLine = [](std::string_view text) {
    std::string line(text);
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    return line;
  };
  lines.resize(std::max(lines.size(), key + 3));
  lines[key + 1] = oneLine(Origin);
  lines[key + 2] = oneLine(Remedy);

  CachedExplanations = ExplanationFileLines{};
  LastSearch = ExplanationFileSearch{};
  TTextFile target;
  target.Assign(UserErrorExplanationFileName());
  if (!CheckWriteError(target)) return;
  // A failed write leaves the previous copy in place (Close reports it).
  for (const std::string& line : lines)
    if (!target.WriteLine(line)) break;
  CheckCloseError(target);
}

void ExplanationOrigin(int I, std::string& Text) { MessageExplanation(I, &Text, nullptr); }
void ExplanationRemedy(int I, std::string& Text) { MessageExplanation(I, nullptr, &Text); }
void ExplanationOfMessage(int I, std::string& Origin, std::string& Remedy) { MessageExplanation(I, &Origin, &Remedy); }

void ShowMessageHelp(Word I) {
  const std::string file = ErrorExplanationFileName();
  const std::string message = MessageText(I);
  std::string origin, remedy;
  const ExplanationLookup result = file.empty() ? ExplanationLookup::NoFile
                                                : LookupExplanation(file, message, origin, remedy);
  switch (result) {
    case ExplanationLookup::NoFile:
      OpenTextForRead(file.empty() ? AddBackslash(PltDir) + ProgShortNameLower + ".err" : file);
      AbortFlag = 1;
      return;
    case ExplanationLookup::NotFound:
      AppMessageBox("Message", std::string(kNoExplanationText));
      return;
    case ExplanationLookup::Found:
      ShowErrorHelp(message, origin, remedy);
      return;
  }
}

void ShowCalculationMessages() {
  if (ParamExists("/NOGUI") || platform::BatchMode()) return;
  const int n = CalcMessages.count;
  if (n == 0) {
    ShowMessageText("Calculation successful without error messages");
    return;
  }
  AbortFlag = 0;
  for (int i = 1; i <= n; ++i) ItemTexts[static_cast<std::size_t>(i)] = CalcMessages.texts[static_cast<std::size_t>(i)];
  const Word cont = static_cast<Word>(n + 1);
  ItemTexts[cont] = "Continue...";
  SetHelpNo(2070);
  Word index = HelpLevel < 2 ? cont : 1;
  for (;;) {
    SetHelpNo(1210);
    SelectCode("Calculation done. Select message for more info or continue.", n + 1, index);
    if (AbortFlag || index == cont) break;
    ShowMessageHelp(index);
    if (AbortFlag) break;
    ++index;
    if (index == cont) break;
  }
}

