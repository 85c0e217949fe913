#include "framework/text_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/report_window.h"
#include "framework/text_utils.h"
#include "platform/os.h"
#include "platform/process.h"
#include "platform/utf8.h"

TOutputDevice OutputDevice;
std::string OutputFileName;
int OutputLineCount;
int OutputPageCount;
int OutputHeaderKind;
Byte PageHeadersOn;
Byte HtmlTableOpen;
namespace {
bool HtmlTableTagPending = false;  // opened, its tag waiting for the first row
}  // namespace
Byte SinglePagePrinting;
Byte DiscardBatchText;
ShortString<3> SavedInputFileExt;
TPageHeaderTexts PageHeaderTexts;
TColumnHeads ColumnHeads;
std::array<Byte, 4> ColumnPositions;
Byte RowValue3Column;
std::string TextPrinterDevice;

namespace {

constexpr std::string_view kIndent = "       ";  // 7 blanks before every text-device line
constexpr char kFormFeed = '\f';

// While a page header is written its own lines must not start another page:
// with few lines per page that would recurse without end.
bool g_inPageHeader = false;
// Printer set-up codes still to be sent ahead of the first line (device 2).
std::string g_pendingPrinterSetup;
// Device 6 writes into a file the user named (not a temporary one).
bool g_txtNamedByUser = false;

const char* const kDeviceNames[7] = {
    "Screen",
    "Text printer",
    "File",
    "Windows printer",
    "external word processor",
    "TXT File (Excel, QPRO ...)",
    "HTML File (Netscape, Internet Explorer ...)",
};

bool IsTxtDevice() { return OutputDevice == kDeviceTxt || OutputDevice == kDeviceBatchTxt; }
bool IsHtmlDevice() { return OutputDevice == kDeviceHtml; }
bool IsTextDevice() { return !IsTxtDevice() && !IsHtmlDevice(); }

bool FrameLess() { return PrintoutDisplayMode == 4; }
// A print-out only read for its values: its lines are not even made.
bool Discarding() { return DiscardBatchText && OutputDevice == kDeviceBatchTxt; }

// Control characters become blanks. Every byte is stored, without a branch,
// so that the compiler does many at once.
void CleanTabField(char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    text[i] = c < 0x20 || c == 0x7F ? ' ' : text[i];
  }
}

// One line of TAB-separated fields, each cleaned by TabFieldText.
std::string TabFieldsLine(std::initializer_list<std::string_view> fields) {
  std::string line;
  std::size_t size = fields.size();
  for (const std::string_view f : fields) size += f.size();
  line.reserve(size);
  bool first = true;
  for (const std::string_view f : fields) {
    if (!first) line += '\t';
    const std::size_t at = line.size();
    line += f;
    CleanTabField(line.data() + at, f.size());
    first = false;
  }
  return line;
}

// The directory of the layer's files: TempDir, or this process's own
// temporary directory while none is configured.
std::string OutputDir() {
  std::string dir = AddBackslash(TempDir);
  if (dir.empty()) dir = AddBackslash(platform::ProcessTempDir());
  return dir;
}

std::string OutWinName() { return OutputDir() + "outwin.txt"; }

bool IsFirstPage(int page) { return page == 1 || (page == 0 && OutputPageCount == 0); }

// A line between two frame characters at columns 1 and 70, with each text
// inserted at its column.
std::string FramedLine(std::initializer_list<std::pair<std::size_t, std::string_view>> texts) {
  std::string line(71, ' ');
  line = InsertAtColumn(line, 1, std::string(1, FrameChar()));
  // A text longer than the room before the right frame (a deep path) is cut
  // there, so that the frame stays closed and nothing runs past it.
  for (const auto& [col, text] : texts) line = InsertAtColumn(line, col, text.substr(0, col < 70 ? 70 - col : 0));
  return InsertAtColumn(line, 70, std::string(1, FrameChar()));
}

// OutputLine without escaping: for mark-up the layer writes itself.
void OutputMarkupLine(std::string_view Line);

void OutputLineBreakCheck(int Kind) {
  if (g_inPageHeader || OutputLineCount < LinesPerPage) return;
  if (PrintoutHeaderMode == 2) {
    // A form feed has no place in an HTML page.
    if (!IsHtmlDevice()) OutputWriteRaw(std::string(1, kFormFeed));
    OutputLineCount = 0;
  } else if (PageHeadersOn) {
    // A header longer than the page must not start the next page itself.
    g_inPageHeader = true;
    OutputPageCheck();
    OutputPageHeader(0, Kind);
    OutputLine("");
    g_inPageHeader = false;
  } else {
    OutputPageCheck();
  }
}

void SendPendingPrinterSetup() {
  if (g_pendingPrinterSetup.empty()) return;
  std::string name = g_pendingPrinterSetup;
  g_pendingPrinterSetup.clear();
  CopyFileToOutput(name);
}

void AskInsertPaper() {
  if (SinglePagePrinting && !AskYesNoCancel("Insert paper.  Continue ?")) AbortFlag = 1;
}

void OutputColumnHeads() {
  if (IsTxtDevice()) {
    const auto& h = ColumnHeads.Heads;
    OutputTabLine(TabFieldsLine({ColumnHeads.Head1.view(), h[0].view(), h[1].view(), h[2].view(), h[3].view()}));
  } else if (IsHtmlDevice()) {
    OpenHtmlTable();
    std::string row = "<TR><TD><CENTER>" + HtmlEscape(ColumnHeads.Head1.view()) + "</CENTER></TD>";
    for (const auto& h : ColumnHeads.Heads) row += "<TD>" + HtmlEscape(h.view()) + "</TD>";
    OutputHtmlTableRow(row + "</TR>");
  } else {
    std::string line(69, ' ');
    line = InsertAtColumn(line, 1, std::string(1, FrameChar()));
    line = InsertAtColumn(line, 1, ColumnHeads.Head1.view());
    for (std::size_t k = 0; k < 4; ++k)
      line = InsertAtColumn(line, ColumnPositions[k], ColumnHeads.Heads[k].view());
    line = InsertAtColumn(line, 70, std::string(1, FrameChar()));
    OutputLine(line);
    OutputLine(FrameBottomLine());
    OutputLine("");
  }
}

// The calculation file the printout belongs to, as the page header names it.
// A project that has no file yet (File New, the default project) says so
// instead of naming a file without a name.
std::string FileLineText() {
  if (TrimRightText(CurrentFileName).empty()) return "new project, not saved yet";
  // Names are the file system's UTF-8; the report is a stored text.
  if (StartedWithFile) return Utf8ToOem(CurrentProjectFile());
  const std::string name = ProjectFileOfStem(CurrentFileName);
  if (CurrentDir.size() + CurrentFileName.size() >= 70) return Utf8ToOem(name);
  return Utf8ToOem(AddBackslash(CurrentDir) + name);
}

void TxtPageHeader(int Page) {
  if (!IsFirstPage(Page)) return;
  OutputTabLine(TabFieldsLine({ProgTitle.str() + " V" + ProgVersion, TodayText(), TimeText()}));
  // The calculation file, not the temporary file the rows are written to.
  OutputLine(FileLineText());
  for (const auto& h : HeaderLines) OutputLine(h.view());
  OutputLine(" ");
  ++OutputPageCount;
}

void HtmlPageHeader(int Page) {
  if (!IsFirstPage(Page)) return;
  const std::string title = HtmlEscape(ProgTitle.str() + " V" + ProgVersion);
  // An HTML comment may not hold "--".
  std::string name = RemoveBlanks(OutputFileName);
  for (std::size_t p; (p = name.find("--")) != std::string::npos;) name.replace(p, 2, "-");
  OutputWriteRaw(kHtmlDoctype);
  // The name is the file system's UTF-8, not a stored text: the page takes it
  // as it is (a byte that is no UTF-8 as "?").
  if (!platform::IsUtf8(name)) name = Cp437ToUtf8(Utf8ToOem(name));
  WriteTextNoEol("<!-- " + name + " -->\n");
  OutputWriteRaw("<HTML>");
  OutputWriteRaw("<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                 "<title>" + title + "</title></head>");
  OutputWriteRaw(kHtmlBody);
  OutputWriteRaw("<hr>");
  OutputMarkupLine("<h4>" + title + "</h4>");
  OutputWriteRaw("<hr>");
  // An empty heading is no heading.
  for (const auto& line : PageHeaderTexts.Lines)
    if (!TrimRightText(line.view()).empty()) OutputWriteRaw("<h5>" + HtmlEscape(line.view()) + "</h5>");
  OutputWriteRaw("<hr>");
  ++OutputPageCount;
}

void TextPageHeader(int Page, int Kind) {
  AskInsertPaper();
  if (AbortFlag) return;
  const bool first = IsFirstPage(Page);
  if (PrintoutHeaderMode == 2 && !first) {
    OutputWriteRaw(" ");
    return;
  }
  if (FrameLess() && !first && OutputLineCount < LinesPerPage / 2) return;
  OutputLineCount = 0;
  OutputHeaderKind = Kind;
  ++OutputPageCount;
  if (Page == 0) Page = OutputPageCount;

  if (FrameLess()) OutputLine("");
  for (int i = 0; i < HeaderSpaceLines; ++i) OutputLine("");
  OutputLine(FrameTopLine());
  if (AbortFlag) return;

  std::string pageText;
  std::size_t pageCol = 60;
  if (PrintoutHeaderMode != 2) {
    if (PageHeaderTexts.TotalPages != 0) {
      pageText = "pg." + IntToTextWidth(Page, 2) + "/" + IntToTextWidth(PageHeaderTexts.TotalPages, 2);
    } else {
      pageText = "pg." + IntToText(Page);
      pageCol = 64;
    }
  }
  OutputLine(FramedLine({{6, PageHeaderTexts.Title.view()}, {pageCol, pageText}}));
  OutputLine(FramedLine({{53, TodayText()}, {64, TimeText()}}));
  OutputLine(FramedLine({{6, FileLineText()}}));
  OutputLine(FrameMiddleLine());
  for (std::size_t k = 0; k < 3; ++k) OutputLine(FramedLine({{6, PageHeaderTexts.Lines[k].view()}}));
  if (!PageHeaderTexts.Lines[3].empty()) OutputLine(FramedLine({{6, PageHeaderTexts.Lines[3].view()}}));

  if (Kind != 1) {
    OutputLine(FrameBottomLine());
  } else {
    OutputLine(FrameMiddleLine());
    OutputColumnHeads();
  }
}

// The separator or rule line of the display mode, told without making them.
bool IsSeparatorText(std::string_view Line) {
  if (Line == kNoLine) return true;
  auto repeats = [Line](char c) { return Line.size() == 70 && Line.find_first_not_of(c) == std::string_view::npos; };
  switch (PrintoutDisplayMode) {
    case 1: return repeats('-') || repeats('=');
    case 2: return repeats('\xC4') || repeats('\xCD');
    case 3: return repeats(' ');
    default: return false;  // both are the marker of no line
  }
}

void OutputLineImpl(std::string_view Line, bool escape) {
  if (IsTxtDevice()) {
    // The line is one field of the TAB-separated file.
    if (!Discarding() && !IsSeparatorText(Line)) OutputWriteRaw(TabFieldText(Line));
  } else if (IsHtmlDevice()) {
    CloseHtmlTable();
    ++OutputLineCount;
    if (!IsSeparatorText(Line)) OutputWriteRaw("<br>" + (escape ? HtmlEscape(Line) : std::string(Line)));
  } else {
    if (Line == kNoLine) return;
    ++OutputLineCount;
    OutputLineBreakCheck(OutputHeaderKind);
    OutputWriteRaw(std::string(kIndent) + std::string(Line));
  }
}

void OutputMarkupLine(std::string_view Line) { OutputLineImpl(Line, false); }

// A new temporary "$OUT" + n + ".TMP": the first of ten names that can be
// created, else the eleventh.
std::string NewTempOutputName() {
  const std::string dir = OutputDir();
  for (int n = 1; n <= 10; ++n) {
    std::string name = dir + "$OUT" + std::to_string(n) + ".TMP";
    if (std::FILE* f = std::fopen(name.c_str(), "wb")) {
      std::fclose(f);
      return name;
    }
  }
  return dir + "$OUT11.TMP";
}

// Creates the output file empty, so that a name that cannot be written is
// reported before the caller starts.
void CreateEmptyOutput() {
  AssignTextFile(TextFileVar, OutputFileName);
  if (RewriteOutput()) TextFileVar.Close();
}

void PrepareTempOutput() {
  SinglePagePrinting = 0;
  OutputFileName = NewTempOutputName();
  CreateEmptyOutput();
}

struct SavedFileNaming {
  ShortString<3> ext = InputFileExt;
  std::string name = CurrentFileName;
  std::string dir = CurrentDir;
  std::string fileExt = CurrentFileExt;
  void Restore() const {
    InputFileExt = ext;
    CurrentFileName = name;
    CurrentDir = dir;
    CurrentFileExt = fileExt;
  }
};

// Lets the user name the output file (extension ext); restores the current
// file's naming afterwards.
bool AskOutputFileName(std::string_view ext, std::string& name) {
  SavedFileNaming saved;
  InputFileExt = ext;
  std::string full;
  SelectFileName("", full);
  saved.Restore();
  if (AbortFlag) return false;
  name = full;
  return true;
}

std::string FindPrinterSetupFile() {
  for (const char* n : {"TEXT.HXP", "text.hxp"}) {
    std::string name = AddBackslash(platform::ConfigDirectory()) + n;
    if (ProgramFileExists(name)) return name;
  }
  return {};
}

void OpenTextPrinter() {
  SetHelpNo(1060);
  if (TextPrinterDevice.empty()) {
    ShowTraceMessage("Text printer unavailable: no printer device is set in the configuration.");
    AbortFlag = 1;
    return;
  }
  OutputFileName = TextPrinterDevice;
  AssignTextFile(TextFileVar, OutputFileName);
  SinglePagePrinting = AskYesNoCancel("single page printing ?") ? 1 : 0;
  if (AbortFlag) return;
  // The caller rewrites the device after this call; the set-up codes are sent
  // ahead of the first line instead.
  g_pendingPrinterSetup = FindPrinterSetupFile();
}

// The user names the output file; the file dialog has already asked whether
// an existing one may be overwritten.
bool AskOutputFile(std::string_view ext) {
  std::string name;
  if (!AskOutputFileName(ext, name)) return false;
  OutputFileName = name;
  return true;
}

void OpenFileOutput() {
  SinglePagePrinting = 0;
  SetHelpNo(1070);
  if (!AskOutputFile("txt")) return;
  AssignTextFile(TextFileVar, OutputFileName);
}

void OpenTxtOutput() {
  SetHelpNo(1070);
  g_txtNamedByUser = false;
  if (OutputDevice == kDeviceBatchTxt) {
    // The report beside the project, written through a temporary file beside
    // it and renamed into place when closed.
    OutputFileName = CurrentFileName + ".txt";
    if (DiscardBatchText) {
      TextFileVar.AssignDiscarding();
      return;
    }
  } else if (!AskTextDevice) {
    OutputFileName = OutputDir() + "$$$" + std::to_string(TxtFileCounter + 1) + ".txt";
  } else if (!AskOutputFile("txt")) {
    return;
  } else {
    g_txtNamedByUser = true;
  }
  AssignTextFile(TextFileVar, OutputFileName);
}

// The HTML page is named with the extension "htm"; the calculation file's
// extension is given back at once, so that a print-out that ends early (the
// caller stops on AbortFlag without CloseOutput) cannot leave "htm" behind
// for the next save.
void OpenHtmlOutput() {
  SetHelpNo(1070);
  SavedFileNaming saved;
  SavedInputFileExt = InputFileExt;
  InputFileExt = "htm";
  if (HtmlBrowserPath.empty()) {
    // The file dialog asks before an existing file is overwritten.
    std::string full;
    SelectFileName("", full);
    saved.Restore();
    if (AbortFlag) return;
    OutputFileName = full;
  } else {
    OutputFileName = OutputDir() + ProgShortNameLower + ".htm";
    saved.Restore();
    ConfirmOverwrite(OutputFileName);
    if (AbortFlag) return;
  }
  AssignTextFile(TextFileVar, OutputFileName);
}

void OpenDosTextOutput() {
  SinglePagePrinting = 0;
  OutputFileName = OutputDir() + "OUTDOS.TXT";
  CreateEmptyOutput();
}

// Starts Program on File, or the desktop's default opener when no program is
// configured. A configured program that does not exist is reported.
void StartViewer(const std::string& program, const std::string& file) {
  if (program.empty()) {
    SetBusyCursor();
    if (!platform::OpenWithDefaultProgram(file)) ShowTraceMessage("No program to open " + file + " found");
    return;
  }
  if (!platform::ProgramExists(program)) {
    ShowTraceMessage(program + " not found");
    return;
  }
  SetBusyCursor();
  if (!platform::StartProgram(program, {file})) ShowTraceMessage(program + " could not be started");
}

}  // namespace

// ---------------------------------------------------------------------------

void InitTextOutput() {
  OutputDevice = kDeviceScreen;
  SinglePagePrinting = 0;
  DiscardBatchText = 0;
  OutputLineCount = 0;
  OutputPageCount = 0;
  OutputHeaderKind = 0;
  SetPageHeader("", "", "", "", "", 0);
  SetColumnHeads("", "Symbol", "Unit", "1", "2");
  PageHeadersOn = 1;
  OutputFileName = "$out.tmp";
  HtmlTableOpen = 0;
  HtmlTableTagPending = false;
  SavedInputFileExt = "";
  TextPrinterDevice.clear();
  g_inPageHeader = false;
  g_pendingPrinterSetup.clear();
}

void SetPageHeader(std::string_view Title, std::string_view Line1, std::string_view Line2,
                   std::string_view Line3, std::string_view Line4, int TotalPages) {
  if (Title.empty())
    PageHeaderTexts.Title = ProgTitle.str() + "  V" + ProgVersion;
  else
    PageHeaderTexts.Title = Title;
  PageHeaderTexts.Lines = {Line1, Line2, Line3, Line4};
  PageHeaderTexts.TotalPages = TotalPages;
  OutputPageCount = 0;
  OutputLineCount = 0;
}

void SetColumnHeads(std::string_view Head1, std::string_view Head2, std::string_view Head3,
                    std::string_view Head4, std::string_view Head5) {
  ColumnHeads.Head1 = Head1;
  ColumnHeads.Heads = {Head2, Head3, Head4, Head5};
  ColumnPositions = {35, 44, 51, 62};
  RowValue3Column = 56;
}

TOutputDevice GetOutputDevice() { return OutputDevice; }

bool RewriteOutput() {
  if (TextFileVar.Rewrite(platform::ReplaceSync::Derived)) return true;
  ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + OutputFileName);
  AbortFlag = 1;
  return false;
}

void OpenOutput(TOutputDevice Device, std::string_view FileName) {
  // FileName names the print-out for the caller only: the copy of device 9
  // is always CurrentFileName + ".txt", so that a name with the project's
  // extension can never overwrite the project file.
  (void)FileName;
  for (int i = 0; i < 7; ++i) ItemTexts[i + 1] = kDeviceNames[i];
  if (Device == kDeviceListNames) return;

  OutputDevice = TextDevice;
  SetHelpNo(1050);
  if (Device == kDeviceConfigured) {
    if (AskTextDevice) {
      Word chosen = OutputDevice;
      SelectCode("Device", 7, chosen);
      if (AbortFlag) return;
      OutputDevice = chosen;
    }
  } else {
    OutputDevice = Device;
  }
  if (AbortFlag) return;

  g_pendingPrinterSetup.clear();
  HtmlTableOpen = 0;
  HtmlTableTagPending = false;
  switch (OutputDevice) {
    case kDeviceConfigured:
    case kDeviceScreen:
    case kDevicePrinter:
    case kDeviceWordProcessor: PrepareTempOutput(); break;
    case kDeviceTextPrinter: OpenTextPrinter(); break;
    case kDeviceFile: OpenFileOutput(); break;
    case kDeviceTxt:
    case kDeviceBatchTxt: OpenTxtOutput(); break;
    case kDeviceHtml: OpenHtmlOutput(); break;
    case kDeviceDosText: OpenDosTextOutput(); break;
    default:
      // Without a device of its own the caller's rewrite would hit whatever
      // file TextFileVar was last assigned to (the project file, say).
      ShowTraceMessage("unknown output device " + IntToText(OutputDevice));
      AbortFlag = 1;
      return;
  }
  if (AbortFlag) return;
  OutputLineCount = 0;
  OutputPageCount = 0;
}

void OutputPageHeader(int Page, int Kind) {
  SendPendingPrinterSetup();
  const bool outer = g_inPageHeader;
  g_inPageHeader = true;
  if (IsTxtDevice())
    TxtPageHeader(Page);
  else if (IsHtmlDevice())
    HtmlPageHeader(Page);
  else
    TextPageHeader(Page, Kind);
  g_inPageHeader = outer;
}

void OutputLine(std::string_view Line) {
  SendPendingPrinterSetup();
  OutputLineImpl(Line, true);
}

void OutputLineAll(std::string_view Text) {
  SendPendingPrinterSetup();
  if (IsTxtDevice()) {
    OutputWriteRawText(TabFieldText(Text));
  } else if (IsHtmlDevice()) {
    CloseHtmlTable();
    ++OutputLineCount;
    OutputLineBreakCheck(OutputHeaderKind);
    OutputWriteRawText("<br>" + HtmlEscape(Text));
  } else {
    if (Text == kNoLine) return;
    ++OutputLineCount;
    OutputLineBreakCheck(OutputHeaderKind);
    OutputWriteRawText(std::string(kIndent) + std::string(Text));
  }
}

void OutputTableRow(std::string_view Name, std::string_view Value1, std::string_view Value2,
                    std::string_view Value3) {
  if (IsTxtDevice()) {
    if (Discarding()) return;
    OutputWriteRaw(TabFieldsLine({Name, Value1, Value2, RowDecimalText(Value3)}));
  } else if (IsHtmlDevice()) {
    OutputHtmlTableRow("<TR><TD>" + HtmlEscape(Name) + "</TD><TD>" + HtmlEscape(Value1) + "</TD><TD>" +
                   HtmlEscape(Value2) + "</TD><TD><DIV ALIGN=RIGHT>" + HtmlEscape(Value3) +
                   "</DIV></TD></TR>");
  } else {
    OutputLine(TableRowLine(Name, Value1, Value2, Value3));
    if (!FrameLess()) OutputLine(SeparatorLine());
  }
}

void OpenHtmlTable() {
  CloseHtmlTable();
  HtmlTableOpen = 1;
  HtmlTableTagPending = true;
}

void CloseHtmlTable() {
  if (!HtmlTableOpen) return;
  if (!HtmlTableTagPending) OutputWriteRaw("</TABLE>");
  HtmlTableOpen = 0;
  HtmlTableTagPending = false;
}

void OutputHtmlTableRow(std::string_view Row) {
  if (!HtmlTableOpen) OpenHtmlTable();
  if (HtmlTableTagPending) OutputWriteRaw("<TABLE BORDER = \"2\" WIDTH= \"100%\">");
  HtmlTableTagPending = false;
  OutputWriteRaw(Row);
}

void OutputCell(std::string_view Text) {
  if (IsHtmlDevice()) {
    OutputHtmlTableRow("<TR><TD>" + HtmlEscape(Text) + "</TD></TR>");
  } else {
    OutputLine(Text);
  }
}

void OutputWrappedText(std::string_view Text) {
  if (Text.empty()) return;
  if (!IsTextDevice() || Text.size() <= kLineWidth) {
    OutputCell(Text);
    return;
  }
  // WrapTextLines keeps five lines; a longer text is wrapped again from where
  // the fifth line ended, so that nothing is lost.
  std::string rest(Text);
  while (!rest.empty()) {
    int longest = 0, count = 0;
    WrapTextLines(rest, ' ', 64, longest, count);
    const int stored = std::min<int>(count, static_cast<int>(LineTable.size()));
    std::size_t used = 0;
    for (int i = 1; i <= stored; ++i) {
      OutputCell(LineTable[i].view());
      used += LineTable[i].size();
    }
    if (count <= stored || used == 0) break;
    rest.erase(0, std::min(used, rest.size()));
  }
}

void OutputMessages() {
  if (CalcMessages.count == 0) return;
  OutputWriteRaw("");
  OutputLine("REMARKS, WARNINGS AND ERROR MESSAGES");
  if (!IsTxtDevice()) {
    OutputLine(RuleLineText());
    OutputWriteRaw("");
    OutputLine(SeparatorLine());
  }
  if (IsHtmlDevice()) OpenHtmlTable();
  for (int i = 1; i <= CalcMessages.count; ++i) {
    std::string origin, remedy;
    ExplanationOfMessage(i, origin, remedy);
    const std::string message = CalcMessages.texts[i].str();
    if (IsTxtDevice()) {
      OutputWriteRaw(TabFieldsLine({message, origin, remedy}));
      continue;
    }
    OutputCell(message);
    OutputWrappedText(origin);
    OutputWrappedText(remedy);
    if (IsTextDevice() && !FrameLess()) OutputLine(SeparatorLine());
    if (IsHtmlDevice()) {
      CloseHtmlTable();
      OutputLine("");
      OpenHtmlTable();
    }
  }
  if (IsHtmlDevice()) CloseHtmlTable();
}

void OutputMessagePage() {
  if (CalcMessages.count == 0) return;
  AskInsertPaper();
  if (AbortFlag) return;
  OutputPageHeader(0, 0);
  OutputMessages();
  OutputPageCheck();
}

void OutputKeepLines(int Kind) {
  if (OutputLineCount > std::max(LinesPerPage - 10, 10)) {
    OutputPageCheck();
    OutputPageHeader(0, Kind);
    OutputLine("");
  }
}

void OutputPageCheck() {
  if (!IsTextDevice()) return;
  if (FrameLess() && OutputLineCount < LinesPerPage / 2) return;
  if (OutputDevice == kDeviceScreen || OutputDevice == kDevicePrinter)
    OutputWriteRaw(std::string(1, kFormFeed));
  else if (OutputDevice == kDeviceTextPrinter)
    OutputWriteRawText(std::string(1, kFormFeed));
  OutputLineCount = 0;
}

namespace {

// The HTML page and the batch report are written as their final UTF-8 text
// with LF; the other devices go through a file in the stored code page.
bool WritesUtf8() { return IsHtmlDevice() || OutputDevice == kDeviceBatchTxt; }

std::string Utf8Text(std::string_view Text) {
  std::string text = OemToUtf8(Text);
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

}  // namespace

void OutputWriteRaw(std::string_view Text) {
  if (Discarding()) return;
  if (WritesUtf8()) {
    std::string text = Utf8Text(Text);
    text += '\n';
    WriteTextNoEol(text);
  } else {
    WriteTextLine(Text);
  }
}

void OutputTabLine(std::string_view Line) {
  if (!Discarding()) OutputWriteRaw(Line);
}

std::string TabFieldText(std::string_view Text) {
  std::string field(Text);
  CleanTabField(field.data(), field.size());
  return field;
}

void OutputWriteRawText(std::string_view Text) {
  if (Discarding()) return;
  if (WritesUtf8())
    WriteTextNoEol(Utf8Text(Text));
  else
    WriteTextNoEol(Text);
}

namespace {

// The pages the message printout takes on the screen device: written once
// where nothing keeps it, counted by its page headers.
int MessagePageCount() {
  const TOutputDevice device = OutputDevice;
  const Byte singlePages = SinglePagePrinting;
  OutputDevice = kDeviceScreen;
  SinglePagePrinting = 0;
  TextFileVar.AssignDiscarding();
  int pages = 1;
  if (TextFileVar.Rewrite()) {
    OutputLineCount = 0;
    OutputPageCount = 0;
    OutputMessagePage();
    pages = std::max(OutputPageCount, 1);
  }
  TextFileVar.CloseQuiet();
  OutputDevice = device;
  SinglePagePrinting = singlePages;
  return pages;
}

}  // namespace

void PrintCalculationMessages() {
  if (CalcMessages.count == 0) {
    ShowMessageText("Calculation successful without error messages");
    return;
  }
  SetPageHeader(ProgShortName + " V" + ProgVersion, "Error Messages", HeaderLines[1].view(),
                HeaderLines[2].view(), HeaderLines[3].view(), 1);
  if (!CalcFatalFlag) PageHeaderTexts.TotalPages = MessagePageCount();
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  OpenOutput(kDeviceScreen, CurrentFileName + ".txt");
  if (AbortFlag) return;
  if (!RewriteOutput()) return;
  OutputMessagePage();
  CloseOutput();
}

void CopyFileToOutput(std::string_view FileName) {
  std::string data, error;
  if (!LoadTextBytes(FindExistingFile(FileName), data, error, kLargestTextFile)) return;
  WriteTextNoEol(data);
}

bool ReadTextFileLines(std::string_view FileName, std::vector<std::string>& Lines) {
  std::string error;
  return LoadTextLines(FindExistingFile(FileName), Lines, error, kLargestTextFile);
}

bool ReadUserFileLines(std::string_view FileName, std::vector<std::string>& Lines) {
  std::string error;
  return LoadTextLines(std::string(FileName), Lines, error, kLargestTextFile);
}

void CopyTextFileToUtf8(std::string_view Source, std::string_view Target) {
  std::vector<std::string> lines;
  std::string error;
  if (!LoadTextLines(FindExistingFile(Source), lines, error, kLargestTextFile)) {
    ShowTraceMessage(error);
    AbortFlag = 1;
    return;
  }
  // The target is replaced only when every line was written.
  TTextFile out;
  out.Assign(Target);
  if (!out.Rewrite(platform::ReplaceSync::Derived)) {
    ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + std::string(Target));
    AbortFlag = 1;
    return;
  }
  for (const auto& line : lines)
    if (!out.Write(OemToUtf8(line) + "\n")) break;
  if (!out.Close()) AbortFlag = 1;
}

void CloseOutput() {
  const bool linesOnPage = OutputLineCount > 0;
  const TOutputDevice d = OutputDevice;
  if (linesOnPage) {
    const bool textish = d == kDeviceScreen || d == kDeviceTextPrinter || d == kDevicePrinter;
    if ((textish && PrintoutHeaderMode == 2) || (textish && FrameLess()))
      OutputWriteRawText(std::string(1, kFormFeed));
  }
  if (IsHtmlDevice()) {
    CloseHtmlTable();
    OutputWriteRaw("</BODY>");
    OutputWriteRaw("</HTML>");
  }
  const bool closed = TextFileVar.Close();
  g_pendingPrinterSetup.clear();
  // A print-out that could not be stored whole (a full disk, the file-size
  // limit; reported as it failed) goes nowhere further.
  if (!closed) {
    if (d == kDeviceBatchTxt) {
      ++TxtFileCounter;
      ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + OutputFileName);
    }
    AbortFlag = 1;
    RestoreCursor();
    return;
  }

  switch (d) {
    case kDeviceConfigured:
    case kDeviceScreen:
      CopyTextFileToUtf8(OutputFileName, OutWinName());
      if (!AbortFlag) ShowReportWindow(OutputFileName);
      DeleteTextFile(OutputFileName);
      break;
    case kDeviceFile:
    case kDeviceDosText:
      CopyTextFileToUtf8(OutputFileName, OutWinName());
      // The user's file, too, is a text file of this system: UTF-8 and LF.
      if (!AbortFlag) CopyTextFileToUtf8(OutputFileName, OutputFileName);
      TraceMessagesOn = 1;
      if (d == kDeviceFile && !AbortFlag)
        ShowMessageText(OutputFileName + " and Windows file outwin.txt have been created..");
      break;
    case kDevicePrinter:
      PrintTextFile(OutputFileName);
      DeleteTextFile(OutputFileName);
      break;
    case kDeviceWordProcessor:
      if (!WordProcessorPath.empty() && !platform::ProgramExists(WordProcessorPath)) {
        ShowTraceMessage(WordProcessorPath + " not found");
        break;
      }
      CopyTextFileToUtf8(OutputFileName, OutWinName());
      if (!AbortFlag) StartViewer(WordProcessorPath, OutWinName());
      break;
    case kDeviceTxt:
      ++TxtFileCounter;
      CopyTextFileToUtf8(OutputFileName, OutputDir() + "$$" + std::to_string(TxtFileCounter) + ".txt");
      // A file the user named is for people, as the file device's: UTF-8.
      if (g_txtNamedByUser && !AbortFlag) CopyTextFileToUtf8(OutputFileName, OutputFileName);
      break;
    case kDeviceBatchTxt:
      ++TxtFileCounter;
      break;
    case kDeviceHtml:
      StartViewer(HtmlBrowserPath, OutputFileName);
      break;
    default: break;
  }
  RestoreCursor();
}
