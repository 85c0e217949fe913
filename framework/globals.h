// Process-wide settings, flags, directories and shared text slots.
//
// Every subsystem reads and writes these directly. Each group has one init
// routine that gives it its start values; InitFrameworkModules (framework/
// init.h) calls them in order, and tests call it in SetUp so that every test
// starts from the defaults. The configuration reader then overwrites most of
// them from the configuration file.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <string>

#include "framework/types.h"

// A fixed table whose entries count from 1, as the callers number them
// (choice i is ItemTexts[i]). Index 0 and indexes beyond N are faults.
template <typename T, std::size_t N>
class OneBasedArray {
 public:
  static constexpr std::size_t count = N;
  T& operator[](std::size_t i) { assert(i >= 1 && i <= N); return items_[i - 1]; }
  const T& operator[](std::size_t i) const { assert(i >= 1 && i <= N); return items_[i - 1]; }
  T* begin() { return items_.data(); }
  T* end() { return items_.data() + N; }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + N; }
  static constexpr std::size_t size() { return N; }
  void fill(const T& v) { items_.fill(v); }

 private:
  std::array<T, N> items_{};
};

// ---------------------------------------------------------------------------
// Flags and state shared by all subsystems (InitGlobals)

extern Byte AbortFlag;        // set by Cancel, failed checks and I/O errors; callers stop quietly
extern Byte CalcFatalFlag;    // set with every fatal calculation message
extern Byte TraceMessagesOn;  // ShowTraceMessage shows its text only while set
extern Byte InputModified;    // input changed since the last load or save
extern Byte StartedWithFile;  // an input file was given on the command line
extern Byte FileNameWithPath; // CurrentFileName already carries its directory
extern Byte CadBatchMode;     // command-line CAD export running: the file is named after the input
extern Byte ArchiveFlag;      // "Archive Flag ?"

extern std::string CurrentFileName;  // current calculation file, without extension
extern std::string CurrentDir;       // its directory
// Extension of the current project's own file, without the dot, as it was
// loaded or saved ("bak" for flange.bak); empty: InputFileExt.
extern std::string CurrentFileExt;
extern OneBasedArray<std::string, 4> RecentFiles;  // full paths, most recent first
extern int RecentFileAnchor;         // index used by the recent-file menu
extern int TxtFileCounter;           // running number of text-file outputs
extern int MenuLanguage;             // 1..9 once set, 0 = none chosen
extern int CurrentViewCode;          // code of the view last drawn (kept in the configuration)

constexpr std::size_t kItemTextCount = 135;
constexpr std::size_t kItemTextWidth = 65;
constexpr std::size_t kLineTableCount = 5;
constexpr std::size_t kLineTableWidth = 64;

using ItemText = ShortString<kItemTextWidth>;
using LineTableText = ShortString<kLineTableWidth>;
using HeaderLineText = ShortString<65>;

// Filled 1..n by a caller before a selection dialog (choice i is entry i);
// also receives device names and message lists. Start: 60 blanks each.
extern OneBasedArray<ItemText, kItemTextCount> ItemTexts;
// Lines produced by WrapTextLines. Start: 64 blanks each.
extern OneBasedArray<LineTableText, kLineTableCount> LineTable;
// Printed under the title in every page header and in drawing title tables.
extern OneBasedArray<HeaderLineText, 3> HeaderLines;

// Program identity; provisional values here, InitProgramIdentity
// (framework/identity.h) sets the real ones at start-up.
extern std::string ProgShortName;
extern std::string ProgShortNameLower;
extern ShortString<60> ProgTitle;
extern std::string ProgVersion;
extern ShortString<3> InputFileExt;  // extension of calculation files, without the dot

// Directories; used with AddBackslash. Empty until the configuration is read.
extern std::string CadDir;          // "CAD Directory"
extern std::string DbfDir;          // "DBF Directory": directory of the tables
extern std::string EdiDir;          // "EDI Directory"
extern std::string PltDir;          // "PLT Directory": pictures and help files
extern std::string TempDir;         // "temporary directory"
extern std::string MakerDir;        // "TOVIMAR directory": program directory of the framework
extern std::string StartDir;        // current directory at start (not stored)

// Number and text modes
extern Word UnitSystem;        // 0 metric, 1 imperial; values are always held metric
extern Word CharSetMode;       // 1 = own transcription and plain-ASCII unit signs
extern Word UmlautMode;        // CAD text: 1 unchanged, 2 display conversion, 3 transcription
extern Word DecimalCommaMode;  // "Dot=1 Komma=2": 2 = "," in FormatFloatText output
extern Word DecimalMode;       // decimal sign of output table rows: 1 ".", else ","
extern Word DateFormatCode;    // 1 d.m.y, 2 m/d/y, 3 y/m/d, 4 d/m/y, other y/m/d
extern Word DateCodeSetting;   // "Date Code" chosen in the configuration, 1..4; 0 none: the system's
extern int FloatDigits;        // decimals of formatted numbers shift by FloatDigits - 3

// Printer and display settings
extern Word HelpLevel;               // "Help level"
extern Word PrinterInterface;        // "Printer interface"
extern Word HardcopyInterface;       // "printer interface for hardcopy"
extern Word PrinterType;             // "Printer type"
extern Word PrintingDensity;         // "Printing density"
extern Word PrintingDensityVertical; // "Printing density vertical"
extern char RotateHardcopy;          // "Rotate Hardcopy ?" 'J' or 'N'
extern Word PrintoutDisplayMode;     // "Display mode for printout 1:* 2:-"
extern int LinesPerPage;             // "Lines per page for printer"
extern Word WindowsPrintMode;        // "Windows print mode (1=mono 2=color)"
extern Byte ColorGraphics;           // "Color graphics"
extern int GraphDriver;              // "Graph driver"
extern int GraphMode;                // "Graph mode"
extern Word HorizontalPixels;        // "Horizontal Pixels"; 0 = screen default
extern Word VerticalPixels;          // "Vertical Pixels"; 0 = screen default
extern Word GraphColorCount;         // colour count of the graphics window
extern int SelectedRecordNo;         // record the user accepted in the table dialog (ChosenRecNo)
extern int PrintMacroSelection;      // bit set of the print macro's print-outs

void InitGlobals();

// ---------------------------------------------------------------------------
// External programs, windows, modes (InitWindowsSettings)

// External programs: empty means the desktop's default opener.
extern std::string DatabaseProgram;   // "external database"
extern std::string WordProcessorPath; // "word processor"
extern std::string HtmlBrowserPath;   // "HTML Browser"
extern Word DatabaseMode;             // "Database mode"

extern std::string ConfigDir;        // where the configuration and session files lie
extern std::string DefaultDataDir;   // "Default Data Directory" (DataDir)
extern std::string PrintWorkDir;     // working directory of the print-outs

extern int HeaderSpaceLines;       // "Header Space Lines"
extern Word TextDevice;            // "Text Device": configured text output device
extern Byte AskTextDevice;         // "Text Device Window ?" (TextDeviceWindow)
extern Byte SmallOnlineWindow;     // "Small Online Window ?"
extern Byte EnterDiagramLimits;    // "Enter Diagram Limits ?"
extern int InputWindowScale;       // "Input Window Scale %"
extern Word PrintoutHeaderMode;    // "printout with header=1, header page 1 only=2"
extern int FormPlacementFactorX;   // form placement
extern int FormPlacementFactorY;
extern int FormScalePercent;       // percent by which the framework's forms scale their contents
extern int GridRow;                // row and column of the table dialog's grid
extern int GridColumn;
extern char LastDialogKey;         // table dialog: 13 accepted, 27 cancelled
extern char GraphLastKey;          // last key of the graphics window
extern Word View3DSetting;         // the 16-bit setting after the 3D default angles
extern Word ConfigTailMode;        // mode 1 or 2 kept in the configuration tail
extern int ConfigTailSetting;      // further framework setting of the configuration tail

void InitWindowsSettings();

// ---------------------------------------------------------------------------
// Graphics window defaults (InitGraphicsDefaults)

extern int ViewportX1, ViewportY1, ViewportX2, ViewportY2;  // pixel viewport
extern Extended WindowOriginX, WindowOriginY;  // world window origin
extern Extended WindowScaleX, WindowScaleY;    // world window scale
extern Extended ZoomIncrement;      // "zoom increment"
extern Extended PanFactor;          // "pan faktor"
extern Extended GraphicXFactor;     // "X-Factor for graphic extension"
extern int BackgroundColour;        // "background colour"
extern ShortString<32> GraphicsTextFont;  // "Text font Graphics"
extern Extended GraphicsTextSize;   // "Textwidth/height Graphics"
extern Extended TextHeightFactor;   // "Text Height Factor"
extern Word GraphicsTextStyle;      // "Text Style Graphics"
extern Extended GraphicsTextScale;  // text scale of the graphics window
extern Byte GraphicsDrawingOn;      // drawing flag of the graphics window

void InitGraphicsDefaults();

// ---------------------------------------------------------------------------
// Printer defaults (InitPrinterDefaults)

extern Extended PrintScaleX, PrintScaleY;  // graphics printout scale (6-byte reals)
extern int PrintOriginX, PrintOriginY;     // graphics printout origin in mm
extern Byte PrintBorder;                   // border line around the graphics printout
extern Extended ScreendumpScale;           // "Windows Screendump Scale"
extern Extended PrintScaleVertical;        // "Print Scale Vertical"
extern int ScreendumpOriginX;              // "Windows Screendump Origin X"
extern int ScreendumpOriginY;              // "Windows Screendump Origin Y"
extern Byte ScreendumpBorder;              // "Windows Screendump Border ?"
extern Word PrinterOrientation;            // "Printer: Portrait=1, Landscape=2"
extern Byte GraphicPrintoutDialog;         // "Graphic Printout Dialog Box ?"
extern int TextWindowLeft, TextWindowTop, TextWindowWidth, TextWindowHeight;
extern ShortString<60> PrintoutFont;       // "Text Font Printout"
extern Word PrintoutTextSize;              // "Text Size Printout"
extern Word PrintoutTextStyle;             // "Text Style Printout"
extern Byte PrintingToPrinter;             // 1 while the display list is replayed on the printer
extern Word PrintMode;                     // print mode 0..2 of the printer page set-up

void InitPrinterDefaults();

// ---------------------------------------------------------------------------
// CAD output state (InitCadDefaults) and 3D view defaults (InitView3DDefaults)

using CadName = ShortString<32>;

// Drawing window of the current drawing.
struct TCadWindow {
  Extended xmin = 0, xmax = 0, ymin = 0, ymax = 0, width = 0, height = 0;
  friend bool operator==(const TCadWindow&, const TCadWindow&) = default;
};

struct TCadState {
  Word CadDevice = 3;            // current device: 1 DXF, 2 IGES, 3 screen, 4 plot program, 5 listing
  Word CadRequestedDevice = 0;   // device code given to CadOpen
  Extended CadCurrentX = 0, CadCurrentY = 0;  // current point of the relative operations
  Extended CadOriginX = 0, CadOriginY = 0;    // added to every coordinate
  TCadWindow CadWindow;
  Extended CadScale = 1, CadUnitFactor = 1;   // scale = set value * unit factor
  Extended CadTextHeight = 5, CadTextWidthFactor = 1, CadTextAngle = 0, CadTextSlant = 0;
  Extended CadTextWidthSetting = 1;  // "Textwidth/height CAD"
  Extended CadTextSlantSetting = 0;  // "Font angle"
  CadName CadTextFont;               // "Text font CAD"
  int CadAlignH = 0, CadAlignV = 0;
  Extended CadLineSpacing = 1;
  Byte CadColor = 3;                 // current colour 0..31
  CadName CadLayer;                  // current layer name
  std::array<CadName, 6> CadLayerNames;   // names of colours 0..5
  std::array<int, 6> CadLayerColors{};    // screen colour index of colours 0..5
  std::array<int, 6> CadLayerWidths{};    // line thickness of colours 0..5
  std::array<int, 16> CadPenColors{};     // screen colour index of colours 16..31
  std::array<int, 16> CadPenWidths{};     // line width of colours 16..31
  Byte CadLayerMonochrome = 0;       // "Layer Monochrome"
  int CadLayerMode = 0;              // 0 named layers, 1 and 2 numbered layers
  Byte CadInBlockSection = 0;
  Byte CadPolylinesOn = 1;
  int CadVertexCount = 0;
  Extended CadLastBulge = 0;
  Extended CadRotation = 0;          // radians added by the polar operations
  Word CadOutputMode = 0;            // 2 suppresses the logo blocks; shared with the print set-up
  Byte CadBorderOn = 1;              // border around the window on screen and plot program
  std::string CadFileName;           // output file of the current drawing
  std::string CadOutputText;         // output text line of the current drawing
  Word CadHatchMode = 0;             // 1 own colours, 2 hatch lines only, else current colour
  Extended CadSheetWidth = 160, CadSheetHeight = 120;  // default drawing extents
  int CadDecimals = 6;               // "Decimals DXF,TXT"
  Extended CadFactor = 1;            // CAD factor of the configuration tail
  // The four CAD switches of the configuration tail.
  Byte CadNoProgramLine = 0;         // no program line on sheets
  Byte CadNoFilePath = 0;            // no file path in the title block
  Byte CadNoDateTime = 0;            // no date and time in the title block
  Byte CadNoLogo = 0;                // no logo block in the title block
  std::string CadApprovalLabel4;     // label of the fourth approval row (CAD text of the 3D entry)
  int CadRevisionIndexStyle = 0;     // 0 letters a.., 1 numbers, 2 letters A..
  // Plot program command lines
  std::array<std::string, 5> PlotCommandLines;
  Word PlotCommandCount = 1;         // lines in use
  Word PlotCommandIndex = 1;         // selected line, from 1
  // Insert transform while a block file is replayed on the screen
  int CadInsertLevel = 0;
  Extended CadInsertX = 0, CadInsertY = 0, CadInsertAngle = 0;
  Extended CadInsertXScale = 1, CadInsertYScale = 1;
  friend bool operator==(const TCadState&, const TCadState&) = default;
};

// The fields of TCadState whose characters may lie outside its own bytes
// (std::string): two states of equal bytes are equal when these are. Every
// std::string field of TCadState belongs here.
inline bool CadStateStringsEqual(const TCadState& a, const TCadState& b) {
  return a.CadFileName == b.CadFileName && a.CadOutputText == b.CadOutputText &&
         a.CadApprovalLabel4 == b.CadApprovalLabel4 && a.PlotCommandLines == b.PlotCommandLines;
}

extern TCadState CadState;

extern const char* const kDefaultPlotCommandLine;  // first plot program command line

void InitCadDefaults();

// 3D view
extern Extended View3DAngleX, View3DAngleY, View3DAngleZ;  // radians
extern Byte Edit3DAngles;                                  // "Edit 3D x,y,z ?"
extern Extended View3DDirectionX, View3DDirectionY;        // -1 each
extern Extended View3DFactorX, View3DFactorY;              // 1 each
extern Byte View3DFlag;

void InitView3DDefaults();
