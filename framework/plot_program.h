// Command lines of the external plot program: composing one from the plot
// options of the settings dialog, and starting the program with one.
// Qt-free; the dialog lives in framework/forms/config_form_plot.h.
#pragma once

#include <array>
#include <string>
#include <vector>

// Output interfaces of the plot program.
constexpr int kPlotInterfaceSerial = 0;
constexpr int kPlotInterfaceParallel = 1;
constexpr int kPlotInterfaceFile = 2;

// Destination codes, in the order of the dialog's choice.
extern const std::array<const char*, 5> kPlotDestinationCodes;
extern const std::array<const char*, 5> kPlotDestinationNames;
constexpr int kPlotDestinationPostscript = 1;
// The PostScript fonts offered (35 texts of at most 28 characters).
extern const std::array<const char*, 35> kPostscriptFonts;

// The options as the dialog holds them: numbers as typed.
struct TPlotProgramOptions {
  std::string ProgramPath = "c:/veskart/wveskart";
  int Destination = 0;  // index of kPlotDestinationCodes
  int Interface = kPlotInterfaceParallel;
  std::string ComPort = "1";
  std::string LptPort = "1";
  std::string OutputDir;  // also the directory of the drawing handed over
  std::string Scale = "1";  // "0": fit to the drawing's limits
  bool Rotate = false;
  std::string ShiftX = "0";
  std::string ShiftY = "0";
  std::string TextWidthFactor = "1";
  std::string PostscriptFont;
};

// Program, the drawing "veskart" in the output directory, then the switches
// that differ from the plot program's own defaults.
std::string BuildVeskartCommandLine(const TPlotProgramOptions& options);

// Splits a command line at blanks; double quotes keep blanks inside a word.
std::vector<std::string> SplitCommandLine(const std::string& line);
// A word for a command line: in double quotes when it holds a blank or a
// tab, so that SplitCommandLine gives it back whole.
std::string CommandLineWord(const std::string& word);
// A name that no stored command line can hold (a double quote or a line
// break in it) is refused by name (ShowError): true when refused.
bool RefusedInCommandLine(const std::string& name);

// The plot program a typed name means: the file itself, else the name with
// ".exe", or in a folder its wveskart.exe, veskart.exe, wveskart or veskart
// (in whatever case the name has on disk). Empty, with the reason in why,
// when there is none.
std::string FindPlotProgram(const std::string& typed, std::string& why);

// Starts the program of the line with the rest as its arguments, without a
// shell. A blank line or a program that cannot be started is reported and
// sets AbortFlag.
bool StartPlotProgram(const std::string& commandLine);
