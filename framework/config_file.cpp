#include "framework/config_file.h"

#include <cerrno>
#include <cmath>
#include <functional>
#include <vector>

#include "framework/change_history.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/os.h"
#include "platform/screen.h"

namespace {

// One value line of an entry: how it is written and read.
struct Value {
  std::function<void()> write;
  std::function<void()> read;
};

// A value is one line: a line break would put every later entry out of
// step, so none is ever written (the dialogs refuse names holding one).
void WriteValueLine(std::string_view s) { WriteTextLine(OneLineDescription(s)); }

Value Text(std::string& s) {
  return {[&s] { WriteValueLine(s); }, [&s] { ReadTextLine(s); }};
}

template <std::size_t N>
Value Text(ShortString<N>& s) {
  return {[&s] { WriteValueLine(s.view()); }, [&s] {
            std::string t;
            ReadTextLine(t);
            s = t;
          }};
}

// A folder or program: the file system's bytes (see PathOfStoredName).
Value Path(std::string& s) {
  return {[&s] { WriteValueLine(s); }, [&s] {
            ReadTextLine(s);
            s = PathOfStoredName(s, false);
          }};
}

Value Int(int& n) {
  return {[&n] { WriteIntLine(n); }, [&n] { ReadIntLine(n); }};
}

Value Int(Word& n) {
  return {[&n] { WriteIntLine(n); }, [&n] { ReadWordLine(n); }};
}

Value Float(Extended& x) {
  return {[&x] { WriteFloatLine(x); }, [&x] { ReadFloatLine(x); }};
}

// Six-byte real settings: read back in that format.
Value Real(Extended& x) {
  return {[&x] { WriteFloatLine(x); }, [&x] { ReadRealLine(x); }};
}

Value Bool(Byte& b) {
  return {[&b] { WriteBoolLine(b != 0); }, [&b] { ReadBoolLine(b); }};
}

Value Char(char& c) {
  return {[&c] { WriteCharLine(c); }, [&c] { ReadCharLine(c); }};
}

struct Line {
  std::string label;  // empty: a value without label line
  Value value;
};

struct Entry {
  std::vector<Line> lines;
  std::function<void()> fix;  // the correction after reading
};

// The settings as they were before the file is written with "." and 7 decimals.
Word savedCommaMode = 1;
int savedFloatDigits = 3;

template <typename T>
void FixOutside(T& v, long long lo, long long hi, T to) {
  if (v < lo || v > hi) v = to;
}

// Entry 62: the number n of plot program command lines, then lines 2..n.
Value PlotCommandLines() {
  return {[] {
            int n = CadState.PlotCommandCount;
            if (n < 1) n = 1;
            if (n > static_cast<int>(CadState.PlotCommandLines.size())) n = static_cast<int>(CadState.PlotCommandLines.size());
            WriteIntLine(n);
            for (int i = 1; i < n; ++i) WriteValueLine(CadState.PlotCommandLines[static_cast<std::size_t>(i)]);
          },
          [] {
            int n = 0;
            ReadIntLine(n);
            const int held = static_cast<int>(CadState.PlotCommandLines.size());
            for (int i = 1; i < n; ++i) {
              if (TextFileVar.Eof()) break;  // a damaged count must not read forever
              std::string line;
              ReadTextLine(line);
              if (i < held) CadState.PlotCommandLines[static_cast<std::size_t>(i)] = PathOfStoredName(line, true);
            }
            CadState.PlotCommandCount = static_cast<Word>(n < 1 ? 1 : n > held ? held : n);
            if (CadState.PlotCommandIndex > CadState.PlotCommandCount) CadState.PlotCommandIndex = 1;
          }};
}

// Entry 102: "0" (the dialog chose none) leaves dates to the system's layout,
// 1..4 choose one; any other line, a text or an empty one among them, is
// year/month/day, as every other date code.
Value DateCodeValue() {
  return {[] { WriteIntLine(DateCodeSetting); },
          [] {
            std::string line;
            ReadTextLine(line);
            const std::string code = TrimRightText(line);
            const int n = TextToInt(code);
            if (!code.empty() && code.find_first_not_of('0') == std::string::npos)
              DateCodeSetting = 0;
            else
              DateCodeSetting = static_cast<Word>(n >= 1 && n <= 4 ? n : 3);
          }};
}

// Entry 77: left|top|width|height of the text window on one line.
Value TextWindowLine() {
  return {[] {
            WriteTextLine(IntToText(TextWindowLeft) + "|" + IntToText(TextWindowTop) + "|" +
                          IntToText(TextWindowWidth) + "|" + IntToText(TextWindowHeight));
          },
          [] {
            std::string a, b, c, d;
            ReadFieldsLine(a, b, c, d);
            TextWindowLeft = TextToInt(a);
            TextWindowTop = TextToInt(b);
            TextWindowWidth = TextToInt(c);
            TextWindowHeight = TextToInt(d);
          }};
}

// Entry 33: an empty line keeps the default command line.
Value FirstPlotCommandLine() {
  return {[] { WriteValueLine(CadState.PlotCommandLines[0]); },
          [] {
            std::string line;
            ReadTextLine(line);
            if (!line.empty()) CadState.PlotCommandLines[0] = PathOfStoredName(line, true);
          }};
}

Value CommaModeValue() {
  return {[] { WriteIntLine(savedCommaMode); }, [] { ReadWordLine(DecimalCommaMode); }};
}

// The entries in file order: the classic 100, then the device path. Each
// is bound to its global, which lives for the whole run: made once.
std::vector<Entry> MakeEntries() {
  std::vector<Entry> e;
  auto& cad = CadState;
  for (std::size_t i = 1; i <= 5; ++i)
    e.push_back({{{"Layer", Text(cad.CadLayerNames[i])}, {"Colour", Int(cad.CadLayerColors[i])}}, nullptr});
  e.push_back({{{"Text font CAD", Text(cad.CadTextFont)}}, nullptr});
  e.push_back({{{"Textwidth/height CAD", Float(cad.CadTextWidthSetting)}},
               [] { if (CadState.CadTextWidthSetting == 0) CadState.CadTextWidthSetting = 1; }});
  e.push_back({{{"Font angle", Float(cad.CadTextSlantSetting)}}, nullptr});
  e.push_back({{{"CAD Directory", Path(CadDir)}}, nullptr});
  e.push_back({{{"DBF Directory", Path(DbfDir)}}, nullptr});  // 10
  e.push_back({{{"Help level", Int(HelpLevel)}}, nullptr});
  e.push_back({{{"Printer interface", Int(PrinterInterface)}}, [] { if (PrinterInterface < 1) PrinterInterface = 1; }});
  e.push_back({{{"Printer type", Int(PrinterType)}}, nullptr});
  e.push_back({{{"Printing density", Int(PrintingDensity)}}, nullptr});
  e.push_back({{{"Rotate Hardcopy ?", Char(RotateHardcopy)}}, [] { if (RotateHardcopy == '\0') RotateHardcopy = 'N'; }});
  e.push_back({{{"Digits for floating point numbers",
                 {[] { WriteIntLine(savedFloatDigits); }, [] { ReadIntLine(FloatDigits); }}}},
               [] { FixOutside(FloatDigits, 1, 9, 3); }});
  e.push_back({{{"Printing density vertical", Int(PrintingDensityVertical)}},
               [] { FixOutside<Word>(PrintingDensityVertical, 1, 4, 1); }});
  e.push_back({{{"Color graphics", Bool(ColorGraphics)}}, nullptr});
  e.push_back({{{"X-Factor for graphic extension", Float(GraphicXFactor)}}, [] { if (GraphicXFactor == 0) GraphicXFactor = 1; }});
  e.push_back({{{"Graph mode", Int(GraphMode)}}, nullptr});  // 20
  e.push_back({{{"Graph driver", Int(GraphDriver)}}, nullptr});
  e.push_back({{{"Horizontal Pixels", Int(HorizontalPixels)}}, nullptr});
  e.push_back({{{"Vertical Pixels", Int(VerticalPixels)}}, nullptr});
  e.push_back({{{"temporary directory", Path(TempDir)}}, nullptr});
  e.push_back({{{"printer interface for hardcopy", Int(HardcopyInterface)}}, [] { if (HardcopyInterface < 1) HardcopyInterface = 1; }});
  e.push_back({{{"EDI Directory", Path(EdiDir)}}, nullptr});
  e.push_back({{{"PLT Directory", Path(PltDir)}}, nullptr});
  e.push_back({{{"Display mode for printout 1:* 2:-", Int(PrintoutDisplayMode)}},
               [] { if (PrintoutDisplayMode == 0) PrintoutDisplayMode = 1; }});
  e.push_back({{{"Lines per page for printer", Int(LinesPerPage)}}, [] { if (LinesPerPage < 5) LinesPerPage = 66; }});
  e.push_back({{{"zoom increment", Float(ZoomIncrement)}}, [] { if (ZoomIncrement == 0) ZoomIncrement = 1.02L; }});  // 30
  e.push_back({{{"pan faktor", Float(PanFactor)}}, [] { if (PanFactor == 0) PanFactor = 0.01L; }});
  e.push_back({{{"TOVIMAR directory", Path(MakerDir)}}, nullptr});
  e.push_back({{{"VESKART command line", FirstPlotCommandLine()}}, nullptr});
  e.push_back({{{"background colour", Int(BackgroundColour)}}, nullptr});
  e.push_back({{{"Windows print mode (1=mono 2=color)", Int(WindowsPrintMode)}},
               [] { if (WindowsPrintMode == 0) WindowsPrintMode = 1; }});
  e.push_back({{{"Layer Monochrome", Bool(cad.CadLayerMonochrome)}}, nullptr});
  e.push_back({{{"Textwidth/height Graphics", Float(GraphicsTextSize)}}, [] { if (GraphicsTextSize == 0) GraphicsTextSize = 0.8L; }});
  e.push_back({{{"Text font Graphics", Text(GraphicsTextFont)}}, nullptr});
  for (int n = 16; n <= 31; ++n) {  // 39-54
    int& colour = cad.CadPenColors[static_cast<std::size_t>(n - 16)];
    e.push_back({{{"Color Layer " + std::to_string(n), Int(colour)}}, [&colour] { if (colour == 0) colour = 1; }});
  }
  e.push_back({{{"word processor", Path(WordProcessorPath)}}, nullptr});  // 55
  e.push_back({{{"Database mode", Int(DatabaseMode)}}, nullptr});
  e.push_back({{{"external database", Path(DatabaseProgram)}}, nullptr});
  e.push_back({{{"Windows Screendump Origin X", Int(ScreendumpOriginX)}}, nullptr});
  e.push_back({{{"Windows Screendump Origin Y", Int(ScreendumpOriginY)}}, nullptr});
  e.push_back({{{"Windows Screendump Scale", Real(ScreendumpScale)}}, [] {  // 60
                 if (ScreendumpScale == 0) {
                   ScreendumpScale = 1;
                   PrintScaleVertical = 1;
                 }
               }});
  e.push_back({{{"Windows Screendump Border ?", Bool(ScreendumpBorder)}}, nullptr});
  e.push_back({{{"VESKART Command lines (n, line 2 .. line n)", PlotCommandLines()}}, nullptr});
  e.push_back({{{"Archive Flag ?", Bool(ArchiveFlag)}}, nullptr});
  e.push_back({{{"Header Space Lines", Int(HeaderSpaceLines)}}, [] { FixOutside(HeaderSpaceLines, 0, 30, 0); }});
  e.push_back({{{"Text Device", Int(TextDevice)}}, [] { FixOutside<Word>(TextDevice, 1, 9, 1); }});  // 65
  e.push_back({{{"Text Device Window ?", Bool(AskTextDevice)}}, nullptr});
  e.push_back({{{"Small Online Window ?", Bool(SmallOnlineWindow)}}, nullptr});
  e.push_back({{{"Enter Diagram Limits ?", Bool(EnterDiagramLimits)}}, nullptr});
  e.push_back({{{"Dot=1 Komma=2", CommaModeValue()}}, [] { FixOutside<Word>(DecimalCommaMode, 1, 2, 1); }});
  e.push_back({{{"Default Data Directory", Path(DefaultDataDir)}},  // 70
               [] { if (TrimRightText(DefaultDataDir).empty()) DefaultDataDir = AddBackslash(StartDir); }});
  e.push_back({{{"Text Height Factor", Float(TextHeightFactor)}}, [] { if (TextHeightFactor < 0.1L) TextHeightFactor = 1; }});
  e.push_back({{{"Input Window Scale %", Int(InputWindowScale)}}, [] { FixOutside(InputWindowScale, 10, 1000, 100); }});
  e.push_back({{{"HTML Browser", Path(HtmlBrowserPath)}}, nullptr});
  e.push_back({{{"Print Scale Vertical", Real(PrintScaleVertical)}},
               [] { if (PrintScaleVertical < 0.0001L) PrintScaleVertical = ScreendumpScale; }});
  {
    Entry widths;  // 75
    for (std::size_t i = 0; i < 6; ++i)
      widths.lines.push_back({i == 0 ? "Line thickness Layer 0..5" : "", Int(cad.CadLayerWidths[i])});
    widths.fix = [] {
      for (int& w : CadState.CadLayerWidths) FixOutside(w, 1, 255, 1);
    };
    e.push_back(widths);
  }
  e.push_back({{{"Graphic Printout Dialog Box ?", Bool(GraphicPrintoutDialog)}}, nullptr});
  e.push_back({{{"Text window left/top/width/height", TextWindowLine()}}, nullptr});
  e.push_back({{{"Metric Units=0,  English units=1", Int(UnitSystem)}}, nullptr});
  e.push_back({{{"printout with header=1, header page 1 only=2", Int(PrintoutHeaderMode)}},
               [] { FixOutside<Word>(PrintoutHeaderMode, 1, 2, 1); }});
  e.push_back({{{"Text Font Printout", Text(PrintoutFont)}}, [] { if (PrintoutFont.empty()) PrintoutFont = "Courier"; }});  // 80
  e.push_back({{{"Text Size Printout", Int(PrintoutTextSize)}}, [] { if (PrintoutTextSize == 0) PrintoutTextSize = 10; }});
  e.push_back({{{"Text Style Printout", Int(PrintoutTextStyle)}}, nullptr});
  e.push_back({{{"Text Style Graphics", Int(GraphicsTextStyle)}}, nullptr});
  e.push_back({{{"Printer: Portrait=1, Landscape=2", Int(PrinterOrientation)}}, nullptr});
  e.push_back({{{"Edit 3D x,y,z ?", {[] { WriteBoolLine(Edit3DAngles != 0); }, [] { ReadBoolLineTrue(Edit3DAngles); }}}}, nullptr});
  e.push_back({{{"3D - Default x,y,z", Float(View3DAngleX)},  // 86
                {"", Float(View3DAngleY)},
                {"", Float(View3DAngleZ)},
                {"", Int(View3DSetting)},
                {"", Int(DecimalMode)},
                {"", Text(cad.CadApprovalLabel4)}},
               [] { if (DecimalMode == 0) DecimalMode = 2; }});
  e.push_back({{{"Decimals DXF,TXT", Int(cad.CadDecimals)}}, [] { FixOutside(CadState.CadDecimals, 1, 32, 6); }});
  e.push_back({{{"CAD Text Mode", Int(UmlautMode)}}, [] { if (UmlautMode == 0) UmlautMode = 1; }});
  {
    Entry pens;  // 89
    for (std::size_t i = 0; i < 16; ++i)
      pens.lines.push_back({i == 0 ? "pen width Layer 16..31" : "", Int(cad.CadPenWidths[i])});
    e.push_back(pens);
  }
  e.push_back({{{"", Int(CharSetMode)}}, nullptr});  // 90
  e.push_back({{{"", Int(FormScalePercent)}}, [] { FixOutside(FormScalePercent, 10, 1000, 100); }});
  e.push_back({{{"", Int(ConfigTailMode)}}, [] { FixOutside<Word>(ConfigTailMode, 1, 2, 2); }});
  e.push_back({{{"", Float(cad.CadFactor)}}, [] { if (CadState.CadFactor == 0) CadState.CadFactor = 1; }});
  e.push_back({{{"", Int(PrintMacroSelection)}}, nullptr});
  e.push_back({{{"", Int(MenuLanguage)}}, nullptr});  // 95
  e.push_back({{{"", Int(ConfigTailSetting)}}, nullptr});
  e.push_back({{{"", Bool(cad.CadNoProgramLine)}}, nullptr});
  e.push_back({{{"", Bool(cad.CadNoFilePath)}}, nullptr});
  e.push_back({{{"", Bool(cad.CadNoDateTime)}}, nullptr});
  e.push_back({{{"", Bool(cad.CadNoLogo)}}, nullptr});  // 100
  // Added after the classic entries: device path of the raw text printer.
  e.push_back({{{"Text printer device", Path(TextPrinterDevice)}}, nullptr});  // 101
  // The date layout chosen in the dialog; 0 (none) follows the system's.
  e.push_back({{{"Date Code", DateCodeValue()}}, [] { ApplyDateLayout(); }});  // 102
  return e;
}

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = MakeEntries();
  return entries;
}

bool Among(int n, std::initializer_list<int> set) {
  for (int x : set)
    if (x == n) return true;
  return false;
}

// Creates TextFileVar for writing, with the bounded retries.
bool CreateTextFile(const std::string& name) {
  AssignTextFile(TextFileVar, name);
  return RewriteRetry([] {
    errno = 0;
    if (TextFileVar.Rewrite()) return 0;
    int code = IoResultFromErrno(errno);
    return code == 0 ? 5 : code;
  });
}

}  // namespace

std::string ConfigFileName() { return AddBackslash(ConfigDir) + ProgShortNameLower + ".cfg"; }

std::string SessionFileName() { return AddBackslash(ConfigDir) + ProgShortNameLower + ".cff"; }

void DefaultScreenSize() {
  platform::ScreenInfo s = platform::GetScreenInfo();
  if (HorizontalPixels == 0 || HorizontalPixels == 65535) HorizontalPixels = static_cast<Word>(std::max(s.width - 9, 1));
  if (VerticalPixels == 0 || VerticalPixels == 65535) VerticalPixels = static_cast<Word>(std::max(s.height - 91, 1));
}

void WriteConfigFile() { WriteConfigFile(ConfigFileName()); }

void WriteConfigFile(const std::string& path) {
  if (AbortFlag) return;
  if (!CreateTextFile(path) || AbortFlag) {
    TextFileVar.CloseQuiet();
    return;
  }
  // Numbers are written with "." and full precision whatever the settings.
  savedCommaMode = DecimalCommaMode;
  savedFloatDigits = FloatDigits;
  DecimalCommaMode = 1;
  FloatDigits = 3;
  WriteTextLine(ProgShortNameLower + " " + "Configuration");
  WriteTextLine("Version " + ProgVersion);
  for (const Entry& entry : Entries()) {
    for (const Line& line : entry.lines) {
      if (!line.label.empty()) WriteTextLine(line.label);
      line.value.write();
    }
  }
  DecimalCommaMode = savedCommaMode;
  FloatDigits = savedFloatDigits;
  TextFileVar.Close();  // a failed write keeps the old file and is reported
}

void ReadConfigFile() { ReadConfigFile(ConfigFileName()); }

bool IsConfigFile(const std::string& path) {
  TTextFile f;
  f.Assign(path);
  if (!f.Reset()) return false;
  std::string title, version;
  const bool read = f.ReadLine(title) && f.ReadLine(version);
  f.CloseQuiet();
  constexpr std::string_view kTitleEnd = " Configuration";
  title = TrimRightText(title);
  return read && title.size() > kTitleEnd.size() &&
         title.compare(title.size() - kTitleEnd.size(), kTitleEnd.size(), kTitleEnd) == 0 &&
         version.rfind("Version ", 0) == 0;
}

void ReadConfigFile(const std::string& path) {
  AssignTextFile(TextFileVar, path);
  if (!TextFileVar.Reset()) {
    // A FIFO, device or folder in its place is named; the defaults hold.
    if (NoRegularFileAt(path)) ShowError(TextFileVar.ResetRefusal());
    platform::ScreenInfo s = platform::GetScreenInfo();
    HorizontalPixels = 0;
    VerticalPixels = 0;
    DefaultScreenSize();
    TextWindowHeight = s.height - 80;
    if (s.mainHeight > 0) {
      double ratio = static_cast<double>(s.mainHeight) / (s.mainClientHeight + 46);
      InputWindowScale = static_cast<int>(std::lround((ratio + 0.009) * (s.dpiY / 96.0) * 100));
    } else {
      InputWindowScale = static_cast<int>(std::lround(1.009 * (s.dpiY / 96.0) * 100));
    }
    AbortFlag = 1;
    return;
  }
  GraphicXFactor = 1;
  std::string skip;
  ReadTextLine(skip);
  ReadTextLine(skip);
  const std::vector<Entry>& entries = Entries();
  for (int k = 1; k <= static_cast<int>(entries.size()); ++k) {
    const Entry& entry = entries[static_cast<std::size_t>(k - 1)];
    bool skipWhenEnded = Among(k, {64, 65, 66, 67, 68, 71, 72, 101, 102});
    if (!(skipWhenEnded && TextFileVar.Eof())) {
      for (const Line& line : entry.lines) {
        if (!line.label.empty()) ReadTextLine(skip);
        line.value.read();
      }
    }
    if (entry.fix) entry.fix();
    if (!TextFileVar.Eof()) continue;
    if (k == 36) {
      GraphicsTextSize = CadState.CadTextWidthSetting;
      GraphicsTextFont = CadState.CadTextFont;
    }
    // An early end keeps the later defaults. The screen size is fitted at
    // every end, so a short file never leaves a window of no size.
    if (Among(k, {12, 13, 17, 25, 32, 33, 34, 35, 36, 38, 54, 57, 61, 73})) break;
  }
  DefaultScreenSize();
  ApplyIndexStyle();
  TextFileVar.CloseQuiet();
}

void FillConfigDirDefaults() {
  // No temporary directory configured: the run's own one (platform::
  // ProcessTempDir), made only when a file needs it and never stored in the
  // settings, where it would name a directory gone after this run.
  if (TrimRightText(TempDir).empty()) TempDir.clear();
  const std::string data = platform::DataDirectory();
  if (TrimRightText(DbfDir).empty()) DbfDir = AddBackslash(data + "/tables");
  if (TrimRightText(PltDir).empty()) PltDir = AddBackslash(data + "/plt");
  if (TrimRightText(EdiDir).empty()) EdiDir = AddBackslash(StartDir);
  if (TrimRightText(DefaultDataDir).empty()) DefaultDataDir = AddBackslash(StartDir);
}

void RepairConfigDirs() {
  FillConfigDirDefaults();
  if (!DirWritable(CadDir)) ShowTraceMessage("invalid CAD Directory configured");
  if (!DirHasEntries(DbfDir)) ShowTraceMessage("invalid DBF Directory configured");
  if (!DirHasEntries(PltDir)) ShowTraceMessage("invalid PLT Directory configured");
  if (!TempDir.empty() && !DirWritable(TempDir)) {
    ShowTraceMessage("invalid temporary directory configured");
    AbortFlag = 0;
    InputPath("temporary directory", 60, TempDir);
  }
  if (!DirWritable(EdiDir)) ShowTraceMessage("invalid EDI Directory configured");
  if (!DirWritable(DefaultDataDir)) ShowTraceMessage("invalid Data Directory configured");
}

void WriteSessionFile() {
  AbortFlag = 0;
  if (!CreateTextFile(SessionFileName())) {
    TextFileVar.CloseQuiet();
    return;
  }
  WriteTextLine(ProgShortNameLower + "\t Session " + OneLineDescription(CurrentDir));
  // Only the names the list holds, one a line (a name holding a line break
  // never enters it): a missing line reads back as an empty place.
  for (const std::string& f : RecentFiles)
    if (!f.empty() && !HoldsLineBreak(f)) WriteTextLine(f);
  TextFileVar.Close();
}

void ReadSessionFile() {
  AssignTextFile(TextFileVar, SessionFileName());
  if (!TextFileVar.Reset()) {
    if (NoRegularFileAt(SessionFileName())) ShowError(TextFileVar.ResetRefusal());
    for (std::string& f : RecentFiles) f.clear();
    return;
  }
  std::string line;
  ReadTextLine(line);
  for (std::string& f : RecentFiles) ReadTextLine(f);
  TextFileVar.CloseQuiet();
}
