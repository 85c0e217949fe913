#include "cad/plot_handoff.h"

#include <vector>

#include "cad/cad_output.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/plot_program.h"
#include "framework/text_utils.h"
#include "platform/os.h"
#include "platform/process.h"

namespace {

TPlotCommandEditor Editor = nullptr;

constexpr std::size_t kMaxPlotLines = 5;
constexpr std::size_t kMaxCommandLength = 60;

struct Destination {
  const char* listText;
  const char* value;
};
constexpr Destination kDestinations[5] = {{"HP-GL Laserjet (HPL)", "HPL"},
                                          {"Postscript  (PS)", "PS"},
                                          {"HP-GL (PLT)", "PLT"},
                                          {"HP-GL/2  (PL2)", "PL2"},
                                          {"Aristo  (ART)", "ART"}};

std::size_t SelectedIndex() {
  const auto& s = CadState;
  std::size_t i = s.PlotCommandIndex;
  if (i < 1 || i > kMaxPlotLines) i = 1;
  return i - 1;
}

bool EndsWithBat(const std::string& name) {
  return name.size() > 4 && UpperCaseText(name.substr(name.size() - 4)) == ".BAT";
}

// The program directory of a command line: its first word up to the last separator.
std::string ProgramDirectoryOf(const std::string& line) {
  const std::vector<std::string> words = SplitCommandLine(line);
  const std::string first = words.empty() ? std::string() : words.front();
  const std::size_t sep = first.find_last_of("/\\");
  return sep == std::string::npos ? "" : first.substr(0, sep);
}

std::string BatchFileDirectory() {
  const std::string dir = AddBackslash(ConfigDir);
  return dir.empty() ? AddBackslash(platform::ConfigDirectory()) : dir;
}

// Puts a long command line into a batch file; the line becomes its name.
void MoveIntoBatchFile(std::string& line) {
  ShowInfo("command line too long, A batch file will be created.");
  SetHelpNo(2170);
  std::string name;
  for (;;) {
    InputPath("batch file name (without .bat)", 20, name);
    if (AbortFlag) {
      AbortFlag = 0;  // the long command line is kept
      return;
    }
    name = TrimRightText(name);
    if (name.empty() || name.find('.') != std::string::npos) continue;
    const std::string path =
        NewFileName((name.find('/') == std::string::npos ? BatchFileDirectory() : "") + name + ".BAT");
    if (RefusedInCommandLine(path)) continue;
    TTextFile batch;
    batch.Assign(path);
    if (batch.Rewrite() && batch.WriteLine(line) && batch.Close()) {
      line = CommandLineWord(path);
      return;
    }
    batch.CloseQuiet();
    AbortFlag = 0;
    ShowTraceMessage("file " + name + ".BAT " + "cannot be created");
  }
}

}  // namespace

void SetPlotCommandEditor(TPlotCommandEditor editor) { Editor = editor; }

void SelectPlotCommandLine() {
  auto& s = CadState;
  const Word count = s.PlotCommandCount > kMaxPlotLines ? static_cast<Word>(kMaxPlotLines)
                                                        : s.PlotCommandCount;
  if (count >= 2) {
    for (std::size_t i = 0; i < count; ++i)
      ItemTexts[i + 1] = LeftText(NameAsStoredText(s.PlotCommandLines[i]), 64);
    SetHelpNo(2055);
    SelectCode("VESKART Command Line", count, s.PlotCommandIndex);
    if (AbortFlag) return;
  } else {
    s.PlotCommandIndex = 1;
  }
  std::string& line = s.PlotCommandLines[SelectedIndex()];
  if (Editor) {
    std::string edited = line;
    if (!Editor(edited)) {
      AbortFlag = 1;
      return;
    }
    line = edited;
  }
  SetHelpNo(2060);
  std::string text = line;
  InputPath("VESKART command line (0=Parameter)", 60, text);
  if (AbortFlag) return;
  if (TrimRightText(text).empty() || text[0] == '0') {
    SetupPlotProgram(text, 0);
    if (AbortFlag) return;
  }
  line = text;
}

void SetupPlotProgram(std::string& commandLine, int mode) {
  // The configured temporary folder, none when the run's own is used: the
  // line is kept with the settings, and each plot fills in where its drawing lies.
  std::string drawing = mode == 0 ? AddBackslash(TempDir) + "veskart" : "*.dxf";
  if (RefusedInCommandLine(drawing)) {
    AbortFlag = 1;
    return;
  }

  ItemTexts[1] = "WVESKART.EXE (Windows)";
  ItemTexts[2] = "VESKART.EXE (MS-DOS)";
  Word kind = 2;
  SelectCode("VESKART/WVESKART", 2, kind);
  if (AbortFlag) return;
  const std::string program = kind == 1 ? "wveskart.exe" : "veskart.exe";

  // The line names the program file found, in the case it has on disk.
  std::string directory = ProgramDirectoryOf(commandLine), programFile;
  SetHelpNo(2080);
  for (;;) {
    InputPath("Program directory of " + program, 40, directory);
    if (AbortFlag) return;
    programFile = FindExistingFile(AddBackslash(directory) + program);
    if (!RefusedInCommandLine(programFile) && OpenTextForRead(programFile)) break;
    AbortFlag = 0;  // not there: ask again
  }

  for (std::size_t i = 0; i < 5; ++i) ItemTexts[i + 1] = kDestinations[i].listText;
  Word code = 1;
  SelectCode("destination code", 5, code);
  if (AbortFlag) return;
  if (code < 1 || code > 5) code = 1;

  while (mode == 1) {
    InputPath("file name or wildcard", 40, drawing);
    if (AbortFlag) return;
    if (!RefusedInCommandLine(drawing)) break;
  }

  ItemTexts[1] = "serial";
  ItemTexts[2] = "parallel";
  ItemTexts[3] = "file";
  Word interface = 2;
  SelectCode("output interface", 3, interface);
  if (AbortFlag) return;
  Word port = 1;
  std::string destinationFile;
  if (interface == 1)
    InputWordInRange("COM-Port", port, 1, 4);
  else if (interface == 2)
    InputWordInRange("LPT-Port", port, 1, 4);
  else
    // A name the command line cannot hold is refused by name and asked again.
    do InputPath("destination file name", 30, destinationFile);
    while (!AbortFlag && RefusedInCommandLine(destinationFile));
  if (AbortFlag) return;

  Extended scale = 1;
  InputRealInRange("scale (0=fit limits)", scale, 0, 1000);
  if (AbortFlag) return;
  bool rotate = false;
  AskYesNo("rotate 90 degrees ?", rotate);
  if (AbortFlag) return;
  Extended dx = 0, dy = 0;
  InputRealInRange("reference point shifting x direction", dx, -1e8L, 1e8L);
  if (AbortFlag) return;
  InputRealInRange("reference point shifting y direction", dy, -1e8L, 1e8L);
  if (AbortFlag) return;
  Extended textRatio = 1;  // asked as before; no switch carries it
  InputRealInRange("Textwidth/height", textRatio, 0.1L, 10);
  if (AbortFlag) return;
  std::string font;
  if (code == 2) {
    InputText("Postscript font", 28, font);
    if (AbortFlag) return;
  }

  std::string line = CommandLineWord(programFile) + " " + CommandLineWord(drawing);
  line += std::string(" /C") + kDestinations[code - 1].value;
  if (interface != 2) line += " /D" + IntToText(interface);
  if ((interface == 1 || interface == 2) && port != 1) line += " /P" + IntToText(port);
  if (interface == 3 && !RemoveBlanks(destinationFile).empty())
    line += " /F" + RemoveBlanks(destinationFile);
  if (scale != 1) line += scale == 0 ? std::string(" /M*") : " /M" + FloatToText(scale);
  if (dx != 0) line += " /X" + FloatToText(dx);
  if (rotate) line += " /R";
  if (dy != 0) line += " /Y" + FloatToText(dy);
  if (code == 2) line += " " + CommandLineWord("/T" + font);

  if (mode == 0 && line.size() > kMaxCommandLength) MoveIntoBatchFile(line);
  commandLine = line;
}

void FillInPlotDrawing(std::vector<std::string>& words, const std::string& folder) {
  if (words.size() < 2) return;
  std::string& drawing = words[1];
  const std::size_t sep = drawing.find_last_of("/\\");
  const std::string name = LowerCaseText(sep == std::string::npos ? drawing : drawing.substr(sep + 1));
  if (name == "veskart" || name == "veskart.dxf") drawing = AddBackslash(folder) + name;
}

void RunPlotCommandLine() {
  const std::string line = CadState.PlotCommandLines[SelectedIndex()];
  const std::string drawing = CadTempDir() + "veskart.dxf";
  const auto fail = [&](const std::string& why) {
    ShowError(why + "; the drawing " + drawing + " was not plotted");
    AbortFlag = 1;
    SetNormalCursor();
  };
  std::vector<std::string> words = SplitCommandLine(line);
  if (!words.empty() && EndsWithBat(words[0])) {
    // Our batch files hold one command line; it is run directly, not by a shell.
    TTextFile batch;
    batch.Assign(words[0]);
    std::string inner;
    const bool read = batch.Reset() && batch.ReadLine(inner);
    batch.CloseQuiet();
    if (!read) return fail("The plot program's batch file " + words[0] + " cannot be read");
    words = SplitCommandLine(inner);
  }
  if (words.empty()) return fail("No plot program command line is configured");
  if (!platform::ProgramExists(words[0]))
    return fail("The plot program " + words[0] +
                (TextFileExists(words[0]) ? " cannot be run: it is no executable program" : " was not found"));
  FillInPlotDrawing(words, CadTempDir());
  const std::string program = words[0];
  words.erase(words.begin());
  if (!platform::StartProgram(program, words)) return fail("The plot program " + program + " could not be started");
  SetNormalCursor();
}
