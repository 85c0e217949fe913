#include "framework/picture_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/charset.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/hpgl.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/plot_program.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/utf8.h"

namespace {

std::string DoubledQuotes(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out;
}

bool HasDirectory(std::string_view name) { return name.find('/') != std::string_view::npos; }

// Whether two directories are the same, whatever way they are written.
bool SameDirectory(const std::string& a, const std::string& b) {
  std::error_code error;
  const std::filesystem::path x = std::filesystem::weakly_canonical(RemoveTrailingBackslash(a), error);
  if (error) return RemoveTrailingBackslash(a) == RemoveTrailingBackslash(b);
  const std::filesystem::path y = std::filesystem::weakly_canonical(RemoveTrailingBackslash(b), error);
  return !error && x == y;
}

// Entries := the first 130 lines; an empty list shows one empty entry.
void ParseEntries(TPictureList& list) {
  list.Entries.clear();
  for (const std::string& line : list.Lines) {
    if (list.Count() >= kMaxPictureEntries) break;
    TPictureEntry entry = ParseDbhLine(line);
    // A name typed into an older version is in code page 437; the file
    // system's names are UTF-8.
    if (!platform::IsUtf8(entry.Name) && !ProgramFileExists(PictureFilePath(entry.Name)))
      entry.Name = Cp437ToUtf8(entry.Name);
    list.Entries.push_back(std::move(entry));
  }
  if (list.Entries.empty()) list.Entries.push_back({});
}

}  // namespace

bool ChoosePictureFile(std::string& name) {
  std::string start = PltDir;
  std::string chosen;
  SelectFileOfKind(5, start, "*.plt", chosen);
  if (AbortFlag || chosen.empty()) {
    AbortFlag = 1;
    return false;
  }
  // A picture elsewhere keeps its whole file name, so that it is found again.
  const std::string dir = ExtractDirPart(chosen);
  const std::string base = StripPathAndExt(chosen);
  const bool inPltDir = SameDirectory(dir, AddBackslash(PltDir)) &&
                        LowerCaseText(chosen.substr(dir.size())) == LowerCaseText(base) + ".plt";
  std::error_code error;
  const std::string whole = std::filesystem::absolute(chosen, error).string();
  name = inPltDir ? base : error ? chosen : whole;
  return true;
}

namespace {

bool ChoosePicture(std::string& name) { return ChoosePictureFile(name); }

bool AskDescription(std::string& description) {
  InputText("Aux.Graph. Information", kPictureDescriptionLength, description);
  return !AbortFlag;
}

// The selected entry, or the one the user picks from the list.
int EntryToWorkOn(const TPictureList& list, int selected, std::string_view prompt) {
  if (selected >= 1 && selected <= list.Count()) return selected;
  FillPictureItemTexts(list);
  Word index = 1;
  SelectCode(prompt, list.Count(), index);
  if (AbortFlag) return 0;
  return index;
}

}  // namespace

std::string PictureListFileName() { return AddBackslash(PltDir) + LowerCaseText(ProgShortNameLower) + ".dbh"; }

void ReadDbhField(std::string_view line, std::size_t& pos, std::string& field) {
  field.clear();
  if (pos >= line.size()) return;  // end of the line: an empty field
  char c = line[pos++];
  if (c == ',' && pos < line.size()) c = line[pos++];
  if (c != '"' && c != '\r' && c != '\n') ShowTraceMessage("DBH file error");
  while (pos < line.size()) {
    c = line[pos++];
    if (c == '"' && pos < line.size() && line[pos] == '"') {
      ++pos;  // a quote in the text
    } else if (c == '"' || c == '\r' || c == '\n') {
      return;
    }
    field += c;
  }
}

TPictureEntry ParseDbhLine(std::string_view line) {
  TPictureEntry entry;
  std::size_t pos = 0;
  ReadDbhField(line, pos, entry.Name);
  ReadDbhField(line, pos, entry.Description);
  return entry;
}

std::string FormatDbhLine(std::string_view name, std::string_view description) {
  return "\"" + DoubledQuotes(name) + "\",\"" + DoubledQuotes(description) + "\"";
}

bool LoadPictureList(const std::string& file, TPictureList& list) {
  list = {};
  std::string error;
  if (!ProgramFileExists(file) || !LoadTextLines(FindExistingFile(file), list.Lines, error, 16u << 20)) {
    list.Lines.clear();
    return false;
  }
  // A DOS end-of-file mark ends the list: neither it nor what follows it is
  // a line (kept, a second mark would vanish on the next rewrite).
  list.Lines.erase(std::find(list.Lines.begin(), list.Lines.end(), "\x1A"), list.Lines.end());
  ParseEntries(list);
  return true;
}

std::string PictureFilePath(std::string_view name) {
  const std::string trimmed = TrimRightText(name);
  return HasDirectory(trimmed) ? trimmed : AddBackslash(PltDir) + trimmed + ".plt";
}

std::string PictureItemText(const TPictureEntry& entry) {
  constexpr std::size_t kShownPath = 40;
  const std::string shown = NameAsStoredText(entry.Name);
  std::string name = PadRight(shown, kPictureNameWidth);
  if (HasDirectory(shown))
    name = shown.size() <= kShownPath ? shown : "..." + shown.substr(shown.size() - (kShownPath - 3));
  return name + ": " + LeftText(entry.Description, 65);
}

void FillPictureItemTexts(const TPictureList& list) {
  static const char* const commands[5] = {"-----  Append  -----", "-----  Delete  -----", "-----  Edit  ------",
                                          "-----  Insert ------", "-----  Print/Plot HP-GL/2  ------"};
  const int n = list.Count();
  for (int i = 1; i <= n; ++i)
    ItemTexts[static_cast<std::size_t>(i)] = PictureItemText(list.Entries[static_cast<std::size_t>(i - 1)]);
  for (int k = 0; k < 5; ++k) ItemTexts[static_cast<std::size_t>(n + 1 + k)] = commands[k];
}

void AppendPictureEntry(TPictureList& list, const TPictureEntry& entry) {
  list.Lines.push_back(FormatDbhLine(entry.Name, entry.Description));
  ParseEntries(list);
}

void InsertPictureEntry(TPictureList& list, int before, const TPictureEntry& entry) {
  const std::size_t at = std::min<std::size_t>(before < 1 ? 0 : static_cast<std::size_t>(before - 1), list.Lines.size());
  list.Lines.insert(list.Lines.begin() + static_cast<std::ptrdiff_t>(at), FormatDbhLine(entry.Name, entry.Description));
  ParseEntries(list);
}

void ReplacePictureEntry(TPictureList& list, int index, const TPictureEntry& entry) {
  if (index < 1 || index > list.Count()) return;
  const std::size_t at = static_cast<std::size_t>(index - 1);
  const std::string line = FormatDbhLine(entry.Name, entry.Description);
  if (at < list.Lines.size())
    list.Lines[at] = line;
  else
    list.Lines.push_back(line);
  list.Entries[at] = entry;
}

void DeletePictureEntry(TPictureList& list, int index) {
  if (index < 1 || index > list.Count()) return;
  const std::size_t at = static_cast<std::size_t>(index - 1);
  if (at < list.Lines.size()) list.Lines.erase(list.Lines.begin() + static_cast<std::ptrdiff_t>(at));
  ParseEntries(list);
}

bool SavePictureList(const std::string& file, const TPictureList& list) {
  TTextFile out;
  out.Assign(NewFileName(file));
  if (!CheckWriteError(out)) return false;
  for (const std::string& line : list.Lines) {
    WriteTextChecked(out, line);
    WriteTextChecked(out, "\r\n");
  }
  if (AbortFlag) {
    out.CloseQuiet();  // the old list stays
    return false;
  }
  CheckCloseError(out);
  return !AbortFlag;
}

std::string PrinterPortDevice(int /*port*/) { return TextPrinterDevice; }

namespace {

bool SendBytes(const std::string& device, std::string_view bytes) {
  if (device.empty()) {
    ShowError("Printer port unavailable: no printer device is set in the configuration.");
    AbortFlag = 1;
    return false;
  }
  TTextFile port;
  port.Assign(device);
  if (!port.Append()) {
    ShowError("Cannot open the printer port " + device + ".");
    AbortFlag = 1;
    return false;
  }
  WriteTextChecked(port, bytes);
  if (AbortFlag) {
    port.CloseQuiet();
    return false;
  }
  CheckCloseError(port);
  return !AbortFlag;
}

// The bytes of a picture file, read as the player reads it; false, the
// file named, when it cannot be read, is no regular file or is too large.
bool ReadPicture(const std::string& pltFile, std::string& data) {
  std::string error;
  if (LoadTextBytes(FindExistingFile(pltFile), data, error, kLargestPicture)) return true;
  ShowError(error);
  AbortFlag = 1;
  return false;
}

}  // namespace

bool PlotterToHpgl2(const std::string& device) { return SendBytes(device, "\x1B" "E" "\x1B" "%0B"); }

bool PlotterFromHpgl2(const std::string& device) { return SendBytes(device, "\x1B" "%0A" "\x1B" "E"); }

bool SendPictureToPort(const std::string& pltFile, const std::string& device, bool hpgl2) {
  std::string data;
  if (!ReadPicture(pltFile, data)) return false;
  if (hpgl2 && !PlotterToHpgl2(device)) return false;
  if (!SendBytes(device, data)) return false;
  if (hpgl2 && !PlotterFromHpgl2(device)) return false;
  return true;
}

int AppendPictureCommand(TPictureList& list) {
  SetHelpNumber(1490);
  std::string name, description;
  if (!ChoosePicture(name) || !AskDescription(description)) return 0;
  AppendPictureEntry(list, {name, description});
  if (!SavePictureList(PictureListFileName(), list)) return 0;
  return list.Count();
}

int DeletePictureCommand(TPictureList& list, int selected) {
  SetHelpNumber(1491);
  int index = selected;
  if (index < 1 || index > list.Count()) {
    index = EntryToWorkOn(list, 0, "Select line to delete...");
    if (AbortFlag) return 0;
  } else if (!AskYesNoCancel("Delete ?")) {
    AbortFlag = 1;
    return 0;
  }
  DeletePictureEntry(list, index);
  if (!SavePictureList(PictureListFileName(), list)) return 0;
  return std::min(index, list.Count());
}

int EditPictureCommand(TPictureList& list, int selected) {
  SetHelpNumber(1492);
  const int index = EntryToWorkOn(list, selected, "Select line to modify...");
  if (AbortFlag || index < 1) return 0;
  const TPictureEntry& old = list.Entries[static_cast<std::size_t>(index - 1)];
  // The whole name is offered and kept as given: its blanks and case name
  // the file, so that an entry whose description alone changes still finds it.
  std::string name = old.Name;
  InputPath("File name (without extension .plt)", kPicturePathLength, name);
  if (AbortFlag) return 0;
  std::string description = old.Description;
  if (!AskDescription(description)) return 0;
  ReplacePictureEntry(list, index, {name, description});
  if (!SavePictureList(PictureListFileName(), list)) return 0;
  return index;
}

int InsertPictureCommand(TPictureList& list, int selected) {
  SetHelpNumber(1493);
  const int index = EntryToWorkOn(list, selected, "Insert before which line ?");
  if (AbortFlag || index < 1) return 0;
  std::string name, description;
  if (!ChoosePicture(name) || !AskDescription(description)) return 0;
  InsertPictureEntry(list, index, {name, description});
  if (!SavePictureList(PictureListFileName(), list)) return 0;
  return index;
}

namespace {

// The HP-GL/2 switches around a picture for a printer that speaks another language.
std::string FramedPicture(const std::string& data, bool hpgl2) {
  return hpgl2 ? std::string("\x1B" "E" "\x1B" "%0B") + data + "\x1B" "%0A" "\x1B" "E" : data;
}

// The picture as an HP-GL file of the user's choice, written beside it under
// another name and renamed into place.
bool WritePictureFile(const std::string& pltFile, const std::string& name) {
  platform::FileDialogRequest request;
  request.title = "Plot into HP-GL file";
  request.directory = RemoveTrailingBackslash(CurrentDir.empty() ? PltDir : CurrentDir);
  request.fileName = name + ".plt";
  request.patterns = {"*.plt", "*.hpgl"};
  std::string target;
  if (!platform::AskSaveFile(request, target) || target.empty()) {
    AbortFlag = 1;
    return false;
  }
  if (FindExistingFile(target) == FindExistingFile(pltFile)) {
    ShowError("The picture cannot be plotted into its own file " + target + ".");
    AbortFlag = 1;
    return false;
  }
  ConfirmOverwrite(target);
  if (AbortFlag) return false;
  const bool hpgl2 = AskYesNoCancel("Insert HP-GL/2 switching command ?");
  if (AbortFlag) return false;
  std::string data;
  if (!ReadPicture(pltFile, data)) return false;
  const std::string temporary = TemporaryNameBeside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << FramedPicture(data, hpgl2);
    if (!out.flush()) {
      out.close();
      DiscardTemporaryFile(temporary);
      ShowError("Cannot create file " + target + ".");
      AbortFlag = 1;
      return false;
    }
  }
  if (!CommitFile(temporary, target, platform::ReplaceSync::Durable)) {
    ShowError("Cannot create file " + target + ".");
    AbortFlag = 1;
    return false;
  }
  return true;
}

}  // namespace

int PlotPictureCommand(const TPictureList& list, int selected) {
  SetHelpNumber(1494);
  const int index = EntryToWorkOn(list, selected, "Which drawing to plot ?");
  if (AbortFlag || index < 1) return 0;
  const std::string pltFile = PictureFilePath(list.Entries[static_cast<std::size_t>(index - 1)].Name);
  const std::string name = StripPathAndExt(pltFile);
  // Where a picture can go here: a file, the printer device of the settings,
  // the plot program of the first command line when it is installed (given
  // the picture's file).
  enum class Target { File, Device, Program };
  std::vector<Target> targets = {Target::File};
  ItemTexts[1] = "HP-GL file ...";
  if (!TextPrinterDevice.empty()) {
    targets.push_back(Target::Device);
    ItemTexts[targets.size()] = LeftText("Printer device " + NameAsStoredText(TextPrinterDevice), 64);
  }
  std::string program = CadState.PlotCommandLines[0];
  TrimTextVar(program);
  const std::vector<std::string> words = SplitCommandLine(program);
  if (!words.empty() && platform::ProgramExists(words.front())) {
    targets.push_back(Target::Program);
    ItemTexts[targets.size()] = LeftText("Plot program " + NameAsStoredText(words.front()), 64);
  }
  Word choice = 1;
  SelectCode("Plot the picture to", static_cast<int>(targets.size()), choice);
  if (AbortFlag) return 0;
  switch (targets[static_cast<std::size_t>(choice - 1)]) {
    case Target::File:
      if (!WritePictureFile(pltFile, name)) return 0;
      break;
    case Target::Device: {
      const bool hpgl2 = AskYesNoCancel("Insert HP-GL/2 switching command ?");
      if (AbortFlag) return 0;
      SilentMessage("Aux. graphic is plotted ..");
      if (!SendPictureToPort(pltFile, TextPrinterDevice, hpgl2)) return 0;
      break;
    }
    case Target::Program:
      if (!ProgramFileExists(pltFile)) {
        ShowError(ReadRefusalText(FindExistingFile(pltFile), pltFile));
        AbortFlag = 1;
        return 0;
      }
      if (!StartPlotProgram(program + " \"" + pltFile + "\"")) return 0;
      break;
  }
  return index;
}

bool ShowPictureEntry(const TPictureList& list, int entry) {
  if (entry < 1 || entry > list.Count()) return false;
  GraphClear();
  GraphHeader(0, 0, 160, 120);
  PlayHpglFile(PictureFilePath(list.Entries[static_cast<std::size_t>(entry - 1)].Name));
  return !AbortFlag;
}
