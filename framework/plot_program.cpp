#include "framework/plot_program.h"

#include <filesystem>

#include "framework/change_history.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "platform/process.h"

const std::array<const char*, 5> kPlotDestinationCodes = {"HPL", "PS", "PLT", "PL2", "ART"};
const std::array<const char*, 5> kPlotDestinationNames = {
    "HP-GL Laserjet (HPL)", "Postscript (PS)", "HP-GL Plotter (PLT)", "HP-GL/2 (PL2)", "Aristo (ART)"};

const std::array<const char*, 35> kPostscriptFonts = {
    "Times-Roman", "Times-Italic", "Times-Bold", "Times-BoldItalic", "Helvetica",
    "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Narrow",
    "Helvetica-Narrow-Oblique", "Helvetica-Narrow-Bold", "Helvetica-Narrow-BoldOblique", "Courier",
    "Courier-Oblique", "Courier-Bold", "Courier-BoldOblique", "Palatino-Roman", "Palatino-Italic",
    "Palatino-Bold", "Palatino-BoldItalic", "AvantGarde-Book", "AvantGarde-Demi",
    "AvantGarde-BookOblique", "AvantGarde-DemiOblique", "Bookman-Light", "Bookman-Demi",
    "Bookman-LightItalic", "Bookman-DemiItalic", "NewCenturySchlbk-Roman", "NewCenturySchlbk-Bold",
    "NewCenturySchlbk-Italic", "NewCenturySchlbk-BoldItalic", "ZapfChancery-MediumItalic", "Symbol",
    "other fonts"};

namespace {

// The drawing file handed over, without extension.
std::string DrawingIn(const std::string& dir) { return AddBackslash(dir) + "veskart"; }

}  // namespace

std::string BuildVeskartCommandLine(const TPlotProgramOptions& o) {
  std::string line = CommandLineWord(o.ProgramPath) + " " + CommandLineWord(DrawingIn(o.OutputDir));
  int destination = o.Destination;
  if (destination < 0 || destination >= static_cast<int>(kPlotDestinationCodes.size())) destination = 0;
  line += std::string(" /C") + kPlotDestinationCodes[static_cast<std::size_t>(destination)];
  if (o.Interface != kPlotInterfaceParallel) line += " /D" + IntToText(o.Interface + 1);
  if (o.Interface == kPlotInterfaceSerial) {
    int com = TextToInt(TrimRightText(o.ComPort));
    if (com != 1) line += " /P" + IntToText(com + 1);
  } else if (o.Interface == kPlotInterfaceParallel) {
    int lpt = TextToInt(TrimRightText(o.LptPort));
    if (lpt != 1) line += " /P" + IntToText(lpt + 1);
  } else if (!RemoveBlanks(o.OutputDir).empty()) {
    line += " /F" + CommandLineWord(DrawingIn(o.OutputDir));
  }
  Extended scale = TextToFloat(TrimRightText(o.Scale));
  if (scale == 0)
    line += " /M*";
  else if (scale != 1)
    line += " /M" + o.Scale;
  if (TextToFloat(TrimRightText(o.ShiftX)) != 0) line += " /X" + o.ShiftX;
  if (TextToFloat(TrimRightText(o.ShiftY)) != 0) line += " /Y" + o.ShiftY;
  if (TextToFloat(TrimRightText(o.TextWidthFactor)) != 1) line += " /B" + o.TextWidthFactor;
  if (o.Rotate) line += " /R";
  if (destination == kPlotDestinationPostscript) line += " " + CommandLineWord("/T" + o.PostscriptFont);
  return line;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::string CommandLineWord(const std::string& word) {
  return word.find_first_of(" \t") == std::string::npos ? word : "\"" + word + "\"";
}

bool RefusedInCommandLine(const std::string& name) {
  if (name.find_first_of("\"\r\n") == std::string::npos) return false;
  ShowError("The name \"" + OneLineDescription(name) + "\" holds a double quote or a line break, which a command line of the plot "
            "program cannot hold; choose another");
  return true;
}

std::string FindPlotProgram(const std::string& typed, std::string& why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string name = TrimRightText(typed);
  const auto isFile = [&ec](const std::string& path) { return !path.empty() && fs::is_regular_file(path, ec); };
  if (name.empty()) {
    why = "No plot program is given";
    return {};
  }
  if (fs::is_directory(name, ec)) {
    for (const char* program : {"wveskart.exe", "veskart.exe", "wveskart", "veskart"}) {
      const std::string found = FindExistingFile(AddBackslash(name) + program);
      if (isFile(found)) return found;
    }
    why = "The folder " + name + " holds no plot program (wveskart.exe or veskart.exe)";
    return {};
  }
  if (isFile(name)) return name;
  const std::string withExe = FindExistingFile(name + ".exe");
  if (isFile(withExe)) return withExe;
  why = "The plot program " + name + " was not found";
  return {};
}

bool StartPlotProgram(const std::string& commandLine) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) {
    ShowError("No plot program command line is configured.");
    AbortFlag = 1;
    return false;
  }
  std::string program = words.front();
  words.erase(words.begin());
  if (!platform::StartProgram(program, words)) {
    ShowError("Cannot start the plot program \"" + program + "\".");
    AbortFlag = 1;
    return false;
  }
  return true;
}
