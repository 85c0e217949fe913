#include "framework/globals.h"

#include "platform/os.h"

// Flags and state
Byte AbortFlag;
Byte CalcFatalFlag;
Byte TraceMessagesOn;
Byte InputModified;
Byte StartedWithFile;
Byte FileNameWithPath;
Byte CadBatchMode;
Byte ArchiveFlag;

std::string CurrentFileName;
std::string CurrentFileExt;
std::string CurrentDir;
OneBasedArray<std::string, 4> RecentFiles;
int RecentFileAnchor;
int TxtFileCounter;
int MenuLanguage;
int CurrentViewCode;

OneBasedArray<ItemText, kItemTextCount> ItemTexts;
OneBasedArray<LineTableText, kLineTableCount> LineTable;
OneBasedArray<HeaderLineText, 3> HeaderLines;

std::string ProgShortName;
std::string ProgShortNameLower;
ShortString<60> ProgTitle;
std::string ProgVersion;
ShortString<3> InputFileExt;

std::string CadDir;
std::string DbfDir;
std::string EdiDir;
std::string PltDir;
std::string TempDir;
std::string MakerDir;
std::string StartDir;

Word UnitSystem;
Word CharSetMode;
Word UmlautMode;
Word DecimalCommaMode;
Word DecimalMode;
Word DateFormatCode;
Word DateCodeSetting;
int FloatDigits;

Word HelpLevel;
Word PrinterInterface;
Word HardcopyInterface;
Word PrinterType;
Word PrintingDensity;
Word PrintingDensityVertical;
char RotateHardcopy;
Word PrintoutDisplayMode;
int LinesPerPage;
Word WindowsPrintMode;
Byte ColorGraphics;
int GraphDriver;
int GraphMode;
Word HorizontalPixels;
Word VerticalPixels;
Word GraphColorCount;
int SelectedRecordNo;
int PrintMacroSelection;

void InitGlobals() {
  ItemTexts.fill(ItemText(std::string(60, ' ')));
  LineTable.fill(LineTableText(std::string(kLineTableWidth, ' ')));
  HeaderLines[1] = "Header line 1";
  HeaderLines[2] = "Header line 2";
  HeaderLines[3] = "";
  StartDir = platform::CurrentDirectory();

  AbortFlag = 0;
  CalcFatalFlag = 0;
  TraceMessagesOn = 1;
  InputModified = 0;
  StartedWithFile = 0;
  FileNameWithPath = 0;
  CadBatchMode = 0;
  ArchiveFlag = 0;

  CurrentFileName = "noname";
  CurrentFileExt.clear();
  CurrentDir = StartDir;
  RecentFileAnchor = 0;
  TxtFileCounter = 0;
  MenuLanguage = 0;
  CurrentViewCode = 0;

  ProgShortName = "TOVIMAR";
  ProgShortNameLower = "tovimar";
  ProgTitle = "TOVIMAR";
  ProgVersion = "1.0";
  InputFileExt = "EXT";

  CadDir.clear();
  DbfDir.clear();
  EdiDir.clear();
  PltDir.clear();
  TempDir.clear();
  MakerDir.clear();

  HelpLevel = 1;
  PrinterInterface = 1;
  HardcopyInterface = 1;
  PrinterType = 3;
  PrintingDensity = 1;
  PrintingDensityVertical = 1;
  RotateHardcopy = 'J';
  PrintoutDisplayMode = 2;
  LinesPerPage = 66;
  WindowsPrintMode = 1;
  ColorGraphics = 1;
  GraphDriver = 0;
  GraphMode = 0;
  HorizontalPixels = 0;
  VerticalPixels = 0;
  GraphColorCount = 16;
  SelectedRecordNo = 1;
  PrintMacroSelection = 0;
}

// External programs, windows, modes
std::string DatabaseProgram;
std::string WordProcessorPath;
std::string HtmlBrowserPath;
Word DatabaseMode;

std::string ConfigDir;
std::string DefaultDataDir;
std::string PrintWorkDir;

int HeaderSpaceLines;
Word TextDevice;
Byte AskTextDevice;
Byte SmallOnlineWindow;
Byte EnterDiagramLimits;
int InputWindowScale;
Word PrintoutHeaderMode;
int FormPlacementFactorX;
int FormPlacementFactorY;
int FormScalePercent;
int GridRow;
int GridColumn;
char LastDialogKey;
char GraphLastKey;
Word View3DSetting;
Word ConfigTailMode;
int ConfigTailSetting;

void InitWindowsSettings() {
  DatabaseProgram.clear();
  WordProcessorPath.clear();
  HtmlBrowserPath.clear();
  DatabaseMode = 1;

  ConfigDir = platform::ConfigDirectory();
  const std::string here = platform::CurrentDirectory();
  DefaultDataDir = here;
  PrintWorkDir = here;
  RecentFiles.fill(std::string());

  UnitSystem = 0;
  CharSetMode = 0;
  UmlautMode = 2;  // DXF readers take Windows code page texts
  DecimalCommaMode = 1;
  DecimalMode = 2;
  DateFormatCode = 2;
  DateCodeSetting = 0;
  FloatDigits = 3;

  HeaderSpaceLines = 0;
  TextDevice = 1;
  AskTextDevice = 0;
  SmallOnlineWindow = 0;
  EnterDiagramLimits = 0;
  InputWindowScale = 102;
  PrintoutHeaderMode = 1;
  FormPlacementFactorX = 1;
  FormPlacementFactorY = 1;
  FormScalePercent = 100;
  GridRow = 1;
  GridColumn = 1;
  LastDialogKey = '0';
  GraphLastKey = '0';
  View3DSetting = 0;
  ConfigTailMode = 2;
  ConfigTailSetting = 0;
}

// Graphics window defaults
int ViewportX1, ViewportY1, ViewportX2, ViewportY2;
Extended WindowOriginX, WindowOriginY;
Extended WindowScaleX, WindowScaleY;
Extended ZoomIncrement;
Extended PanFactor;
Extended GraphicXFactor;
int BackgroundColour;
ShortString<32> GraphicsTextFont;
Extended GraphicsTextSize;
Extended TextHeightFactor;
Word GraphicsTextStyle;
Extended GraphicsTextScale;
Byte GraphicsDrawingOn;

void InitGraphicsDefaults() {
  ViewportX1 = 0;
  ViewportX2 = 640;
  ViewportY1 = 0;
  ViewportY2 = 480;
  WindowOriginX = 0;
  WindowOriginY = 0;
  WindowScaleX = 1.0L;
  WindowScaleY = 1.0L;
  ZoomIncrement = 1.02L;
  PanFactor = 0.02L;
  GraphicXFactor = 1.0L;
  BackgroundColour = 1;
  GraphicsTextFont = "Arial";
  GraphicsTextSize = 0.8L;
  TextHeightFactor = 1.0L;
  GraphicsTextStyle = 0;
  GraphicsTextScale = 1.0L;
  GraphicsDrawingOn = 1;
}

// Printer defaults
Extended PrintScaleX, PrintScaleY;
int PrintOriginX, PrintOriginY;
Byte PrintBorder;
Extended ScreendumpScale;
Extended PrintScaleVertical;
int ScreendumpOriginX;
int ScreendumpOriginY;
Byte ScreendumpBorder;
Word PrinterOrientation;
Byte GraphicPrintoutDialog;
int TextWindowLeft, TextWindowTop, TextWindowWidth, TextWindowHeight;
ShortString<60> PrintoutFont;
Word PrintoutTextSize;
Word PrintoutTextStyle;
Byte PrintingToPrinter;
Word PrintMode;

void InitPrinterDefaults() {
  PrintScaleX = 1.0L;
  PrintScaleY = 1.0L;
  PrintOriginX = 0;
  PrintOriginY = 0;
  PrintBorder = 0;
  ScreendumpScale = 1.0L;
  PrintScaleVertical = 1.0L;
  ScreendumpOriginX = 0;
  ScreendumpOriginY = 0;
  ScreendumpBorder = 0;
  PrinterOrientation = 2;
  GraphicPrintoutDialog = 1;
  TextWindowLeft = 10;
  TextWindowTop = 40;
  TextWindowWidth = 700;
  TextWindowHeight = 440;
  PrintoutFont = "Courier New";
  PrintoutTextSize = 10;
  PrintoutTextStyle = 0;
  PrintingToPrinter = 0;
  PrintMode = 0;
}

// CAD state
TCadState CadState;

const char* const kDefaultPlotCommandLine = "C:\\VESKART\\WVESKART VESKART.DXF /M1.0";

void InitCadDefaults() {
  CadState = TCadState();
  static const int kLayerColors[6] = {1, 2, 2, 2, 3, 1};
  static const int kLayerWidths[6] = {3, 1, 1, 1, 2, 3};
  for (int i = 0; i < 6; ++i) {
    CadState.CadLayerNames[i] = std::to_string(i);
    CadState.CadLayerColors[i] = kLayerColors[i];
    CadState.CadLayerWidths[i] = kLayerWidths[i];
  }
  for (int i = 0; i < 16; ++i) {
    CadState.CadPenColors[i] = i + 1;  // layer n gets colour n - 15
    CadState.CadPenWidths[i] = 1;
  }
  CadState.CadLayer = "0";
  CadState.CadTextFont = "TXT8";
  CadState.CadOutputText = std::string(59, ' ');
  CadState.PlotCommandLines.fill(kDefaultPlotCommandLine);
  CadState.PlotCommandCount = 1;
  CadState.PlotCommandIndex = 1;
}

// 3D view
Extended View3DAngleX, View3DAngleY, View3DAngleZ;
Byte Edit3DAngles;
Extended View3DDirectionX, View3DDirectionY;
Extended View3DFactorX, View3DFactorY;
Byte View3DFlag;

void InitView3DDefaults() {
  View3DAngleX = -0.2617994L;  // -15 degrees
  View3DAngleY = 1.5707963L;   // 90 degrees
  View3DAngleZ = 3.6651914L;   // 210 degrees
  Edit3DAngles = 1;
  View3DDirectionX = -1;
  View3DDirectionY = -1;
  View3DFactorX = 1;
  View3DFactorY = 1;
  View3DFlag = 1;
}
