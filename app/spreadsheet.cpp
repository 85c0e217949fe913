#include "app/spreadsheet.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "app/workbook_module.h"

#include "app/project_files.h"
#include "calc/calculation.h"
#include "calc/project_file.h"
#include "framework/charset.h"
#include "calc/report.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/report_window.h"
#include "framework/text_output.h"
#include "platform/c_numbers.h"
#include "platform/modules.h"
#include "platform/os.h"
#include "platform/process.h"
#include "platform/qt_text.h"

std::unique_ptr<TSpreadsheetApp> ExcelApp;

namespace {

constexpr const char* kCouldNotStart = "Could not start Excel";
int g_workbookCounter = 0;

std::string Utf8FromDisplay(const std::string& text) {
  return platform::QStringFromDisplay(text).toStdString();
}

// The cell writer of ShowStoredResultFile: into the active workbook.
void WriteStoredLine(int row, int column, const std::string& text) {
  if (ExcelApp) ExcelApp->Active().SetCell(row, column, Utf8FromDisplay(text));
}

// A cell never holds a control character: each becomes a blank.
std::string CellText(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
  return out;
}

// The project file just put into column 1 of the active workbook: the lines
// its layout holds as texts stay text cells however they look ("00123",
// "1,5"), and the lines are kept to tell on import what the user changed.
void KeepProjectLines(const std::string& name) {
  std::vector<std::string> lines;
  if (!ExcelApp || !ReadUserFileLines(StoredInputFileName(name), lines)) return;
  TWorkbook& book = ExcelApp->Active();
  const std::vector<bool> numbers = ProjectNumberLines(lines);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!numbers[i]) book.textCells.insert({static_cast<int>(i + 1), 1});
  book.projectLines = std::move(lines);
}

// Whether a cell read back is what the export made of a project file line:
// the same text, or a number equal within the 15 digits a spreadsheet keeps.
bool CellUnchanged(const TReadCell& cell, const std::string& line) {
  const std::string shown = Utf8FromDisplay(OemToAnsiText(line));
  NumberCell number;
  if (cell.number && ParseNumberCell(shown, number))
    return number.value == cell.value || std::fabs(number.value - cell.value) <= 1e-15 * std::fabs(number.value);
  return !cell.number && cell.text == CellText(shown);
}

std::string WorkbookDir() {
  std::string dir = AddBackslash(TempDir);
  return dir.empty() ? AddBackslash(platform::ProcessTempDir()) : dir;
}

constexpr std::string_view kHandedPrefix = "workbook-";
constexpr std::string_view kHandedExtension = ".xlsx";
constexpr std::time_t kHandedKeptSeconds = 30L * 24 * 3600;

// Removes the handed-over workbooks of this user that nobody has changed for
// a month: named as HandedWorkbookName names them, nothing else.
bool g_handedCleared = false;

void ClearOldHandedWorkbooks(const std::string& dir) {
  namespace fs = std::filesystem;
  const std::time_t now = std::time(nullptr);
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kHandedPrefix, 0) != 0 || name.size() <= kHandedExtension.size() ||
        name.compare(name.size() - kHandedExtension.size(), kHandedExtension.size(), kHandedExtension) != 0)
      continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        now - st.st_mtime > kHandedKeptSeconds)
      ::unlink(it->path().c_str());
  }
}

// A new name for a workbook handed to the spreadsheet program. The program
// holds it, and the user may save changes to it, after this run has ended:
// it goes to a folder of the user's that outlives the run, under a name no
// other run takes, and is cleared away a month after its last change.
std::string HandedWorkbookName() {
  const std::string dir = platform::UserDataDirectory() + "/workbooks";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!g_handedCleared) {
    g_handedCleared = true;
    ClearOldHandedWorkbooks(dir);
  }
  const std::string stem = dir + "/" + std::string(kHandedPrefix) + std::to_string(::getpid()) + "-";
  std::string file;
  do {
    file = stem + std::to_string(++g_workbookCounter) + std::string(kHandedExtension);
  } while (std::filesystem::exists(file, ec));
  return file;
}

// The configured table program, else the desktop's program for workbooks,
// else a spreadsheet program on the PATH. When none opens it, the user learns
// where the workbook was written, to open it by hand.
bool OpenWorkbookFile(const std::string& file) {
  static const std::vector<platform::ProgramLine> kSpreadsheetPrograms = {
      {"localc", {}}, {"libreoffice", {"--calc"}}, {"soffice", {"--calc"}}};
  SetBusyCursor();
  const bool opened = platform::OpenWithDefaultProgram(file, DatabaseProgram, kSpreadsheetPrograms);
  SetNormalCursor();
  if (opened) return true;
  ShowMessageText(std::string(kCouldNotStart) + ": " +
                  (DatabaseProgram.empty() ? "no spreadsheet program opened"
                                           : DatabaseProgram + " did not open") +
                  " the workbook " + file);
  return false;
}

}  // namespace

void TWorkbook::SetCell(int row, int column, std::string text) {
  if (row < 1 || column < 1) return;
  cells[{row, column}] = std::move(text);
}

const std::string* TWorkbook::Cell(int row, int column) const {
  auto it = cells.find({row, column});
  return it == cells.end() ? nullptr : &it->second;
}

void TWorkbook::Clear() {
  cells.clear();
  textCells.clear();
  projectLines.clear();
}

void TWorkbook::TakeCurrentProject() {
  projectDir = CurrentDir;
  projectName = CurrentFileName;
  projectExt = CurrentFileExt;
}

bool TWorkbook::OpenText(const std::string& path) {
  std::vector<std::string> lines;
  if (!ReadTextFileLines(path, lines)) return false;
  int row = 0;
  for (const std::string& line : lines) {
    ++row;
    int column = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t tab = line.find('\t', start);
      const std::string field = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
      ++column;
      if (!field.empty()) SetCell(row, column, field);
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
  }
  return true;
}

bool TWorkbook::Save(const std::string& path, std::string& error) const {
  auto write = reinterpret_cast<Bq4WriteWorkbookFn>(
      platform::ModuleSymbol(kWorkbookModule, "Bq4WriteWorkbook", error));
  if (!write) return false;
  std::vector<Bq4WorkbookCell> out;
  std::vector<std::string> texts;  // formats and cleaned texts, alive until written
  texts.reserve(cells.size());
  out.reserve(cells.size());
  for (const auto& [place, text] : cells) {
    // The format's limits: 1048576 rows and 16384 columns.
    if (place.first > 1048576 || place.second > 16384) continue;
    Bq4WorkbookCell cell{static_cast<unsigned>(place.first - 1), static_cast<unsigned>(place.second - 1), 0, 0,
                         nullptr, nullptr};
    NumberCell number;
    if (!textCells.count(place) && ParseNumberCell(text, number)) {
      cell.isNumber = 1;
      cell.value = number.value;
      cell.format = texts.emplace_back(NumberCellFormat(number)).c_str();
    } else {
      cell.text = texts.emplace_back(CellText(text)).c_str();
    }
    out.push_back(cell);
  }
  // Written beside the workbook and renamed over it, so that a failed save
  // leaves the workbook the spreadsheet program holds as it was.
  const std::string temporary = ReplacesThroughTemporary(path) ? TemporaryNameBeside(path) : path;
  if (temporary.empty()) {
    error = "file " + path + " cannot be created";
    return false;
  }
  char reason[512] = "";
  if (write(temporary.c_str(), out.data(), out.size(), reason, sizeof reason) != 0) {
    if (temporary != path) DiscardTemporaryFile(temporary);
    error = reason;
    // The user knows the workbook, not its temporary name.
    if (const std::size_t at = error.find(temporary); temporary != path && at != std::string::npos)
      error.replace(at, temporary.size(), path);
    return false;
  }
  if (temporary != path && !CommitFile(temporary, path, platform::ReplaceSync::Durable)) {
    error = "file " + path + " cannot be written";
    return false;
  }
  return true;
}

bool ParseNumberCell(const std::string& text, NumberCell& cell) {
  std::size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  if (i == end || end - i > 40) return false;
  std::string plain;  // with a decimal point, for the number parser
  if (text[i] == '-') plain += '-';
  if (text[i] == '+' || text[i] == '-') ++i;
  int digits = 0, decimals = 0, integerDigits = 0, significant = 0;
  bool separator = false, leadingZero = false, nonZero = false;
  for (; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      plain += c;
      ++digits;
      if (separator) ++decimals;
      else ++integerDigits;
      if (c == '0' && !nonZero && !separator && integerDigits == 1) leadingZero = true;
      nonZero = nonZero || c != '0';
      if (nonZero) ++significant;
    } else if ((c == '.' || c == ',') && !separator) {
      plain += '.';
      separator = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  bool exponent = false, exponentPlus = false;
  int exponentValue = 0, exponentDigits = 0;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      exponentPlus = text[i] == '+';
      negative = text[i] == '-';
      plain += text[i++];
    }
    const std::size_t first = i;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
      if (exponentValue < 100000) exponentValue = exponentValue * 10 + (text[i] - '0');
      plain += text[i++];
    }
    if (i == first) return false;
    exponent = true;
    exponentDigits = static_cast<int>(i - first);
    if (negative) exponentValue = -exponentValue;
  }
  if (i != end) return false;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || ptr != plain.data() + plain.size() || !std::isfinite(value)) return false;
  cell.value = value;
  cell.decimals = decimals < 15 ? decimals : 15;
  cell.exponent = exponent;
  cell.integerDigits = integerDigits;
  cell.significantDigits = significant;
  // A zero before other digits, or a mantissa of zeros before the separator.
  cell.leadingZero = leadingZero && (integerDigits > 1 || (exponent && nonZero));
  cell.exponentValue = exponentValue;
  cell.exponentDigits = exponentDigits;
  cell.exponentPlus = exponentPlus;
  return true;
}

std::string NumberCellFormat(const NumberCell& n) {
  std::string decimals = n.decimals > 0 ? "." + std::string(static_cast<std::size_t>(n.decimals), '0') : "";
  if (!n.exponent)
    return std::string(n.leadingZero ? static_cast<std::size_t>(n.integerDigits) : 1, '0') + decimals;
  const std::string exponent = (n.exponentPlus ? "E+" : "E-") +
                               std::string(static_cast<std::size_t>(std::clamp(n.exponentDigits, 1, 5)), '0');
  // A scientific format shows an exponent that is a multiple of its integer
  // places, with 1 to that many integer digits: the fewest places, at least
  // the digits written, whose multiple the written exponent is.
  const int e = std::abs(n.exponentValue);
  int places = n.integerDigits > 0 ? n.integerDigits : 1;
  if (e != 0)
    while (places <= 30 && e % places != 0) ++places;
  if (!n.leadingZero && places <= 30)
    return std::string(static_cast<std::size_t>(places - 1), '#') + "0" + decimals + exponent;
  const int shown = n.significantDigits > 1 ? n.significantDigits - 1 : 0;
  return "0" + (shown > 0 ? "." + std::string(static_cast<std::size_t>(shown), '0') : "") + exponent;
}

namespace {

// A workbook archive for reading, through the workbook module.
struct ZipArchive {
  std::string path;
  Bq4ReadZipEntryFn read = nullptr;
  bool readable = false;
  std::string error;
  explicit ZipArchive(const std::string& file) : path(file) {
    read = reinterpret_cast<Bq4ReadZipEntryFn>(platform::ModuleSymbol(kWorkbookModule, "Bq4ReadZipEntry", error));
    unsigned char* data = nullptr;
    std::size_t size = 0;
    readable = read && read(path.c_str(), nullptr, 0, &data, &size) == 0;
    std::free(data);
  }
};

// The bytes of one entry of a workbook archive; false when it is missing,
// damaged or larger than any sheet of a project (64 MB).
bool ReadEntry(ZipArchive& archive, const QString& name, QByteArray& data) {
  if (!archive.readable) return false;
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  if (archive.read(archive.path.c_str(), name.toStdString().c_str(), 64u * 1024 * 1024, &bytes, &size) != 0)
    return false;
  data = QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  std::free(bytes);
  return true;
}

// Reads on to the next token; true when it starts an element.
bool NextStart(QXmlStreamReader& xml) { return xml.readNext() == QXmlStreamReader::StartElement; }

// The texts of the elements <t> inside the current element (shared strings,
// inline strings, rich text runs), phonetic runs left out.
QString ElementText(QXmlStreamReader& xml) {
  QString text;
  int depth = 1;
  while (depth > 0 && !xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (xml.name() == u"rPh") {
        xml.skipCurrentElement();
      } else if (xml.name() == u"t") {
        text += xml.readElementText();
      } else {
        ++depth;
      }
    } else if (xml.isEndElement()) {
      --depth;
    }
  }
  return text;
}

// The path in the archive of the workbook's first sheet.
QString FirstSheetPath(ZipArchive& zip) {
  QByteArray data;
  QString id;
  if (ReadEntry(zip, "xl/workbook.xml", data)) {
    QXmlStreamReader xml(data);
    while (!xml.atEnd() && id.isEmpty())
      if (NextStart(xml) && xml.name() == u"sheet") {
        for (const QXmlStreamAttribute& a : xml.attributes())
          if (a.name() == u"id" && a.namespaceUri().endsWith(u"/relationships")) id = a.value().toString();
      }
  }
  if (!id.isEmpty() && ReadEntry(zip, "xl/_rels/workbook.xml.rels", data)) {
    QXmlStreamReader xml(data);
    while (!xml.atEnd())
      if (NextStart(xml) && xml.name() == u"Relationship" && xml.attributes().value("Id") == id) {
        const QString target = xml.attributes().value("Target").toString();
        return target.startsWith('/') ? target.mid(1) : "xl/" + target;
      }
  }
  return "xl/worksheets/sheet1.xml";
}

// Decimals and exponent of the number formats of the cell styles, so that a
// number reads back as it is shown ("0.00": two decimals).
std::vector<NumberCell> StyleFormats(ZipArchive& zip) {
  std::vector<NumberCell> styles;
  QByteArray data;
  if (!ReadEntry(zip, "xl/styles.xml", data)) return styles;
  std::map<int, QString> codes = {{1, "0"}, {2, "0.00"}, {11, "0.00E+00"}};
  QXmlStreamReader xml(data);
  bool inCellFormats = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"cellXfs") inCellFormats = false;
    if (!xml.isStartElement()) continue;
    const QXmlStreamAttributes a = xml.attributes();
    if (xml.name() == u"numFmt") {
      codes[a.value("numFmtId").toInt()] = a.value("formatCode").toString();
    } else if (xml.name() == u"cellXfs") {
      inCellFormats = true;
    } else if (xml.name() == u"xf" && inCellFormats) {
      NumberCell style;
      style.decimals = -1;  // no fixed decimals: the shortest exact text
      const auto code = codes.find(a.value("numFmtId").toInt());
      if (code != codes.end()) {
        const QString c = code->second.section(';', 0, 0);
        const qsizetype point = c.indexOf('.');
        style.exponent = c.contains('E', Qt::CaseInsensitive);
        style.decimals = 0;
        // At most the 30 decimals a spreadsheet shows.
        if (point >= 0)
          for (qsizetype i = point + 1; i < c.size() && c[i] == '0' && style.decimals < 30; ++i) ++style.decimals;
      }
      styles.push_back(style);
    }
  }
  return styles;
}

// A number cell's value as its style shows it.
std::string NumberText(double value, const NumberCell& style) {
  if (style.decimals < 0) {
    char buffer[40];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
  }
  char buffer[400];
  platform::FormatC(buffer, sizeof buffer, style.exponent ? "%.*E" : "%.*f", style.decimals, value);
  return buffer;
}

}  // namespace

bool ReadWorkbookColumn(const std::string& path, int column, std::vector<std::string>& texts,
                        std::string& error) {
  std::vector<TReadCell> cells;
  const bool read = ReadWorkbookColumn(path, column, cells, error);
  texts.clear();
  for (TReadCell& cell : cells) texts.push_back(std::move(cell.text));
  return read;
}

bool ReadWorkbookColumn(const std::string& path, int column, std::vector<TReadCell>& texts, std::string& error) {
  texts.clear();
  ZipArchive zip(path);
  if (!zip.readable) {
    error = zip.read ? "file " + path + " cannot be read as a workbook" : zip.error;
    return false;
  }
  QByteArray data;
  std::vector<QString> shared;
  if (ReadEntry(zip, "xl/sharedStrings.xml", data)) {
    QXmlStreamReader xml(data);
    while (!xml.atEnd())
      if (NextStart(xml) && xml.name() == u"si") shared.push_back(ElementText(xml));
  }
  const std::vector<NumberCell> styles = StyleFormats(zip);
  if (!ReadEntry(zip, FirstSheetPath(zip), data)) {
    error = "the workbook " + path + " holds no sheet";
    return false;
  }
  QXmlStreamReader xml(data);
  // Rows and cells without a reference follow the one before. A row numbered
  // outside the sheet, or not as a number, holds no cell of it.
  constexpr int kSheetRows = 1048576;
  int nextRow = 0, lastColumn = 0;
  while (!xml.atEnd()) {
    if (!NextStart(xml)) continue;
    if (xml.name() == u"row") {
      const QStringView ref = xml.attributes().value("r");
      bool numbered = false;
      const long long r = ref.toLongLong(&numbered);
      if (ref.isEmpty())
        nextRow = std::min(nextRow, kSheetRows) + 1;
      else
        nextRow = numbered && r >= 1 && r <= kSheetRows ? static_cast<int>(r) : kSheetRows + 1;
      lastColumn = 0;
      continue;
    }
    if (xml.name() != u"c") continue;
    // The reference gives the column ("A7"); without one the cell is the row's next.
    const QString ref = xml.attributes().value("r").toString();
    int c = 0;
    for (const QChar ch : ref) {
      if (!ch.isLetter() || c > 16384) break;
      c = c * 26 + (ch.toUpper().unicode() - 'A' + 1);
    }
    if (c == 0) c = lastColumn + 1;
    lastColumn = c;
    const QString type = xml.attributes().value("t").toString();
    const int style = xml.attributes().value("s").toInt();
    const int row = nextRow;
    QString value, inlineText;
    bool hasInline = false;
    while (!(xml.isEndElement() && xml.name() == u"c") && !xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == u"v") value = xml.readElementText();
      if (xml.isStartElement() && xml.name() == u"is") {
        inlineText = ElementText(xml);
        hasInline = true;
      }
    }
    if (c != column || row < 1 || row > kSheetRows) continue;
    TReadCell text;
    if (type == u"s") {
      const auto index = static_cast<std::size_t>(value.toLongLong());
      if (index < shared.size()) text.text = shared[index].toStdString();
    } else if (type == u"inlineStr" || hasInline) {
      text.text = inlineText.toStdString();
    } else if (type == u"str" || type == u"e") {
      text.text = value.toStdString();
    } else if (type == u"b") {
      text.text = value == u"1" ? "1" : "0";
    } else if (!value.isEmpty()) {
      bool ok = false;
      double number = value.toDouble(&ok);
      // Workbooks written under a decimal-comma locale by earlier versions
      // hold "10,9" in number cells.
      if (!ok && value.count(u',') == 1 && !value.contains(u'.')) number = QString(value).replace(u',', u'.').toDouble(&ok);
      const NumberCell none{0, -1, false};
      text.text = ok ? NumberText(number, style >= 0 && static_cast<std::size_t>(style) < styles.size()
                                              ? styles[static_cast<std::size_t>(style)]
                                              : none)
                     : value.toStdString();
      text.number = ok;
      text.value = ok ? number : 0;
    }
    if (texts.size() < static_cast<std::size_t>(row)) texts.resize(static_cast<std::size_t>(row));
    texts[static_cast<std::size_t>(row - 1)] = std::move(text);
  }
  if (xml.hasError()) {
    error = "the workbook " + path + " is damaged (" + xml.errorString().toStdString() + ")";
    return false;
  }
  return true;
}

TWorkbook& TSpreadsheetApp::Add() {
  workbooks.emplace_back();
  return workbooks.back();
}

TWorkbook& TSpreadsheetApp::Active() {
  if (workbooks.empty()) Add();
  return workbooks.back();
}

bool TSpreadsheetApp::Show() {
  const std::string file = HandedWorkbookName();
  std::string error;
  if (!Active().Save(file, error)) {
    ShowTraceMessage(error);
    return false;
  }
  lastFile = file;
  return OpenWorkbookFile(file);
}

void InitSpreadsheet() {
  ExcelApp.reset();
  g_workbookCounter = 0;
  g_handedCleared = false;
  SetSpreadsheetCellWriter(&WriteStoredLine);
}

void StartExcel() {
  if (CurrentFileName.empty()) {
    ShowMessageText("You must save your input data before you can use Excel interface (Menu \"File -> Save\")");
    AbortFlag = 1;
    return;
  }
  SetBusyCursor();
  ExcelApp = std::make_unique<TSpreadsheetApp>();
  ExcelApp->Add().TakeCurrentProject();
  SetSpreadsheetCellWriter(&WriteStoredLine);
  // A missing project file is reported; the spreadsheet starts all the same.
  ShowStoredResultFile(CurrentFileName);
  if (!AbortFlag) KeepProjectLines(CurrentFileName);
  AbortFlag = 0;
  const bool shown = ExcelApp->Show();
  SetNormalCursor();
  if (!shown) {
    ExcelApp.reset();
    AbortFlag = 1;
  }
}

void ExportInputToExcel() {
  if (!ExcelApp) {
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
    return;
  }
  // The current project is saved under its own name: no overwrite question.
  if (InputModified) SaveInputFile(CurrentFileName);
  if (AbortFlag) return;
  InputModified = 0;
  SetSpreadsheetCellWriter(&WriteStoredLine);
  ExcelApp->Active().Clear();
  ExcelApp->Active().TakeCurrentProject();
  ShowStoredResultFile(CurrentFileName);
  if (AbortFlag) return;
  KeepProjectLines(CurrentFileName);
  if (!ExcelApp->Show()) AbortFlag = 1;
}

void PrintoutToExcel() {
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  TSpreadsheetApp app;
  app.Add();
  const Word device = TextDevice;
  const Byte ask = AskTextDevice;
  AskTextDevice = 0;
  TextDevice = kDeviceTxt;
  const int before = TxtFileCounter;
  WritePrintout();
  TextDevice = device;
  AskTextDevice = ask;
  if (AbortFlag || TxtFileCounter == before) return;
  const std::string report = WorkbookDir() + "$$" + std::to_string(TxtFileCounter) + ".txt";
  TWorkbook& book = app.Add();
  if (!book.OpenText(report)) {
    ShowTraceMessage("file " + report + " not found or no access !");
    AbortFlag = 1;
    return;
  }
  // The report's head (file name, header lines) is text however it looks.
  for (const auto& [place, text] : book.cells)
    if (place.first <= kTxtHeaderRows) book.textCells.insert(place);
  if (!app.Show()) AbortFlag = 1;
}

void ImportExcelInput() {
  if (!ExcelApp || ExcelApp->lastFile.empty()) {
    ShowMessageText("Use \"Start Excel\" first: there is no workbook to import");
    AbortFlag = 1;
    return;
  }
  const std::string book = ExcelApp->lastFile;
  std::vector<TReadCell> cells;
  std::string error;
  if (!ReadWorkbookColumn(book, 1, cells, error)) {
    ShowMessageText(error);
    AbortFlag = 1;
    return;
  }
  // Column 1 holds the project file's lines (UTF-8); the file's own code
  // page back, and a line the user left as it was with the project's bytes.
  const std::vector<std::string>& exported = ExcelApp->Active().projectLines;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i < exported.size() && CellUnchanged(cells[i], exported[i]))
      lines.push_back(exported[i]);
    else
      lines.push_back(AnsiToOemText(platform::DisplayFromQString(QString::fromStdString(cells[i].text))));
  }
  // A workbook of another shape fails here and leaves the joint as it is.
  if (!CheckCalcLines(lines, error)) {
    ShowMessageText("The workbook " + book + " holds no BQ4 input in column 1 (" + error +
                    "). The input is unchanged.");
    AbortFlag = 1;
    return;
  }
  // Then loaded as File Open does: unsaved input asked about first, then
  // tables and recalculation, under the name of the workbook's project.
  const TWorkbook& made = ExcelApp->Active();
  const std::string dir = made.projectName.empty() ? CurrentDir : made.projectDir;
  const std::string name = made.projectName.empty() ? CurrentFileName : made.projectName;
  const std::string ext = made.projectName.empty() ? CurrentFileExt : made.projectExt;
  QuerySaveChanges();
  if (AbortFlag) return;
  const std::string file = WorkbookDir() + "$$import." + InputFileExt.str();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\r\n";
    if (!out.flush()) {
      ShowMessageText("file " + file + " cannot be written");
      AbortFlag = 1;
      return;
    }
  }
  const std::string keptDir = CurrentDir, keptName = CurrentFileName, keptExt = CurrentFileExt;
  ReadCalcFile(file);
  DeleteTextFile(file);
  CurrentDir = AbortFlag ? keptDir : dir;
  CurrentFileName = AbortFlag ? keptName : name;
  CurrentFileExt = AbortFlag ? keptExt : ext;
  if (!AbortFlag) InputModified = 1;  // the imported input is not saved yet
}

void ExportGridToExcel(const std::vector<std::vector<std::string>>& rows) {
  TSpreadsheetApp app;
  TWorkbook& book = app.Add();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      if (!rows[r][c].empty()) book.SetCell(static_cast<int>(r + 1), static_cast<int>(c + 1), rows[r][c]);
  if (!app.Show()) AbortFlag = 1;
}
