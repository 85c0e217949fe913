#include "dbf/dbf4.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "dbf/errors.h"
#include "dbf/record_cache.h"
#include "dbf/work_areas.h"
#include "dbf/runtime.h"
#include "dbf/table_writer.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/text_output.h"
#include "platform/os.h"
#include "platform/process.h"

Tdbf4* dbf4 = nullptr;

void CreateTableDialog() {
  if (!dbf4) dbf4 = new Tdbf4();
}

void FreeTableDialog() {
  delete dbf4;
  dbf4 = nullptr;
}

bool PickFromTable(const std::string& path, const std::string& title1, const std::string& title2,
                   const std::string& closeWord, int mode, std::int32_t& recNo) {
  CreateTableDialog();
  AbortFlag = 0;
  dbf4->OpenTable(path);
  if (AbortFlag) return false;
  dbf4->SetCaptions(title1, title2);
  if (recNo >= 1 && recNo <= dbf4->RecordCount()) dbf4->Go(recNo);
  AbortFlag = 0;
  dbf4->ShowTable(closeWord, mode);
  bool accepted = AbortFlag == 0 && LastDialogKey == 13;
  if (accepted) recNo = SelectedRecordNo;
  Byte abort = AbortFlag;
  dbf4->CloseTable();
  AbortFlag = accepted ? abort : 1;
  return accepted;
}

namespace {

// Busy cursor for the scope of a facade operation.
class BusyCursor {
 public:
  BusyCursor() { SetBusyCursor(); }
  ~BusyCursor() { SetNormalCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string CutName(const std::string& name) { return name.substr(0, std::min<std::size_t>(name.size(), 10)); }

std::string BaseName(const std::string& path) {
  std::string dir, name, ext;
  SplitPath(path, dir, name, ext);
  return name;
}

}  // namespace

Tdbf4::Tdbf4() { tzdbf0.SetDataSet(&tzdbf); }

Tdbf4::~Tdbf4() { CloseQuietly(tzdbf); }

bool Tdbf4::Guard(const std::function<void()>& op) { return RunReportingErrors(op); }

void Tdbf4::OpenTable(const std::string& path) {
  BusyCursor busy;
  keyFound_ = false;
  appendFailed_ = false;
  Guard([&] {
    if (tzdbf.Active()) tzdbf.SetActive(false);
    tzdbf.SetDbfFileName(path);
    tzdbf.SetActive(true);
  });
  Label_filename = path;
}

bool Tdbf4::OpenTableQuietly(const std::string& path, std::string& failure) {
  BusyCursor busy;
  keyFound_ = false;
  appendFailed_ = false;
  failure.clear();
  {
    RaiseEngineErrors raise;
    try {
      if (tzdbf.Active()) tzdbf.SetActive(false);
      tzdbf.SetDbfFileName(path);
      tzdbf.SetActive(true);
    } catch (const std::exception& e) {
      failure = *e.what() ? e.what() : "table engine error";
    }
  }
  Label_filename = path;
  return failure.empty() && tzdbf.Active();
}

void Tdbf4::SetCaptions(const std::string& title1, const std::string& title2) {
  Label_title1 = title1;
  Label_title2 = title2;
}

void Tdbf4::CloseTable() {
  // A pending edit is stored before the table closes, never dropped.
  if (tzdbf.Active()) Guard([&] { tzdbf.CheckBrowseMode(); });
  Guard([&] { tzdbf.SetActive(false); });
  appendFailed_ = false;
  SetNormalCursor();
}

void Tdbf4::Go(std::int32_t n) {
  appendFailed_ = false;
  Guard([&] { tzdbf.Go(n); });
}

void Tdbf4::First() {
  appendFailed_ = false;
  Guard([&] { tzdbf.First(); });
}

bool Tdbf4::Eof() { return !tzdbf.Active() || tzdbf.Eof(); }

std::int32_t Tdbf4::RecNo() { return tzdbf.Active() ? tzdbf.RecNo() : 0; }

std::int32_t Tdbf4::RecordCount() {
  std::int32_t n = 0;
  if (tzdbf.Active()) Guard([&] { n = tzdbf.RecordCount(); });
  return n;
}

void Tdbf4::AppendBlank() {
  Guard([&] {
    tzdbf.CheckBrowseMode();
    if (!tzdbf.ALock()) {
      // Nothing is appended; the caller's field writes must not land on
      // the current record.
      if (TzWarningMode == 2) ShowMessageText("Lock failed [Insert]");
      appendFailed_ = true;
      AbortFlag = 1;
      return;
    }
    try {
      tzdbf.AppendRec();
    } catch (...) {
      tzdbf.UnLock();
      throw;
    }
    tzdbf.UnLock();
    appendFailed_ = false;
  });
}

void Tdbf4::Pack() {
  BusyCursor busy;
  appendFailed_ = false;
  Guard([&] { tzdbf.Pack(); });
}

void Tdbf4::Search(const std::string& text, bool& found, int fromTop) {
  found = false;
  appendFailed_ = false;
  Guard([&] { tzdbf.Search(text, found, fromTop); });
}

void Tdbf4::IndexOn(const std::string& expression, const std::string& indexFile) {
  BusyCursor busy;
  Guard([&] { tzdbf.IndexOn(expression, indexFile); });
}

void Tdbf4::SetIndexTo(const std::string& indexFile) {
  BusyCursor busy;
  // By its whole name: a folder's name may hold blanks, which a list of names would split.
  Guard([&] { tzdbf.SetIndexToFile(ShortPathName(indexFile + ".ndx")); });
}

void Tdbf4::FindKey(const std::string& key) {
  BusyCursor busy;
  appendFailed_ = false;
  keyFound_ = false;
  std::string k = key.substr(0, std::min<std::size_t>(key.size(), 255));
  Guard([&] {
    keyFound_ = tzdbf.Find(k);
    if (keyFound_) return;
    std::string comma = k;
    std::replace(comma.begin(), comma.end(), '.', ',');
    if (comma != k) keyFound_ = tzdbf.Find(comma);
  });
}

void Tdbf4::FindNear(const std::string& key) {
  BusyCursor busy;
  appendFailed_ = false;
  keyFound_ = false;
  Guard([&] { keyFound_ = tzdbf.FindNear(key); });
}

void Tdbf4::FieldText(Byte n, std::string& text) {
  text.clear();
  if (!tzdbf.Active()) return;
  Guard([&] { text = tzdbf.SField(n); });
}

std::string Tdbf4::FieldText(Byte n) {
  std::string t;
  FieldText(n, t);
  return t;
}

void Tdbf4::FieldName(Byte n, std::string& text) {
  text.clear();
  if (!tzdbf.Active()) return;
  Guard([&] {
    if (n >= 1 && n <= tzdbf.FieldCount()) text = tzdbf.Field(n);
  });
}

std::string Tdbf4::FieldName(Byte n) {
  std::string t;
  FieldName(n, t);
  return t;
}

int Tdbf4::FieldCount() {
  int n = 0;
  if (tzdbf.Active()) Guard([&] { n = tzdbf.FieldCount(); });
  return n;
}

std::int32_t Tdbf4::FieldAsInteger(const std::string& name) {
  std::int32_t v = 0;
  Guard([&] { v = tzdbf.FieldAsInteger(CutName(name)); });
  return v;
}

void Tdbf4::SetFieldString(const std::string& name, const std::string& value) {
  if (appendFailed_) {
    AbortFlag = 1;
    return;
  }
  Guard([&] { tzdbf.SetFieldString(CutName(name), value); });
}

void Tdbf4::SetFieldFloat(const std::string& name, Extended value) {
  if (appendFailed_) {
    AbortFlag = 1;
    return;
  }
  Guard([&] { tzdbf.SetFieldFloat(CutName(name), static_cast<double>(value)); });
}

void Tdbf4::SetFieldInteger(const std::string& name, std::int32_t value) {
  if (appendFailed_) {
    AbortFlag = 1;
    return;
  }
  Guard([&] { tzdbf.SetFieldInteger(CutName(name), value); });
}

void Tdbf4::SetFieldBoolean(const std::string& name, bool value) {
  if (appendFailed_) {
    AbortFlag = 1;
    return;
  }
  Guard([&] { tzdbf.SetFieldBoolean(CutName(name), value); });
}

// ---- the dialog ---------------------------------------------------------------------

std::string Tdbf4::CaptionTitles(int mode) const {
  if (mode == 1) return Label_title2 + "   " + Label_title1;
  return Label_title2 + "  " + Label_title1 + "  (";
}

std::string Tdbf4::CaptionForMode(int mode) const {
  return mode == 1 ? CaptionTitles(mode) : CaptionTitles(mode) + Label_filename + ")";
}

void Tdbf4::ShowTable(const std::string& closeWord, int mode) {
  Mode = mode;
  CloseOnPick = closeWord == "CLOSE";
  if (!Guard([&] { tzdbf.SetHideDeletedRecs(mode == 1); })) return;
  if (mode != 1) {
    std::size_t cut = Label_filename.find_last_of("/\\:");
    std::string dir = cut == std::string::npos ? std::string() : Label_filename.substr(0, cut + 1);
    if (dir == TableTempDir())
      ShowMessageText("No Write Access for dbf directory !  Temp directory used.");
  }
  Guard([&] { RunTableDialogForm(*this); });
}

void Tdbf4::AcceptSelection(int gridRow, int gridColumn) {
  AbortFlag = 0;
  if (tzdbf.Active() && !Guard([&] { tzdbf.CheckBrowseMode(); })) return;
  // A record marked deleted is no row to take.
  if (tzdbf.Active() && !tzdbf.IsEmpty() && tzdbf.IsDeleted()) {
    ShowError("Record " + std::to_string(RecNo()) +
              " is marked deleted and cannot be taken: restore it (Ctrl+Del) or choose another row.");
    AbortFlag = 1;
    return;
  }
  AbortFlag = 0;
  LastDialogKey = 13;
  SelectedRecordNo = RecNo();
  GridRow = gridRow;
  GridColumn = gridColumn;
}

void Tdbf4::CancelSelection() {
  if (tzdbf.Active()) Guard([&] { tzdbf.Cancel(); });
  AbortFlag = 1;
  LastDialogKey = 27;
}

namespace {

// The dialog's search key, upper-cased, and whether only number fields count.
std::string ShownKey;
bool NumbersOnly = false;

// A hit counts where the grid shows the key: a number field shows its value
// with the field's decimals and the national decimal sign ("2,500" for the
// stored "2.500"), every other field its text.
void AcceptWhereShown() {
  const int n = SearchFoundField;
  const char type = FieldType(n);
  // A number field's text that holds no value shows as stored, where the hit is.
  if ((type != 'N' && type != 'F') || !NumberFieldFault(n).empty()) {
    SearchAccept = !NumbersOnly;
    return;
  }
  SearchAccept = TzUpperCase(ShownNumberText(GetFieldValue(n), FieldDec(n))).find(ShownKey) != std::string::npos;
}

}  // namespace

bool Tdbf4::SearchAsShown(bool fromTop) {
  // A table in the Windows code page holds the letters as they show.
  const std::string key = AllTrim(AnsiTables ? OemToAnsiText(SearchText) : SearchText);
  if (key.empty() || !tzdbf.Active()) return false;
  ShownKey = TzUpperCase(key);
  void (*const kept)() = SearchCallback;
  SearchCallback = AcceptWhereShown;
  const std::int32_t start = RecNo();
  bool found = false;
  NumbersOnly = false;
  Search(key, found, fromTop ? 1 : 0);
  std::int32_t hit = found ? RecNo() : 0;
  // Numbers are stored with ".": where the grid shows ",", the key with "."
  // finds them; the earlier of the two hits is the one.
  if (TzDecimalSep != '.' && key.find(TzDecimalSep) != std::string::npos && !AbortFlag) {
    std::string stored = key;
    std::replace(stored.begin(), stored.end(), TzDecimalSep, '.');
    if (found) Go(start);
    NumbersOnly = true;
    bool number = false;
    Search(stored, number, fromTop ? 1 : 0);
    if (number && (!found || RecNo() < hit)) hit = RecNo();
    found = found || number;
    if (found && RecNo() != hit) Go(hit);
  }
  SearchCallback = kept;
  return found;
}

bool Tdbf4::SearchStored(bool fromTop) {
  bool found = false;
  {
    BusyCursor busy;
    found = SearchAsShown(fromTop);
  }
  if (!found) ShowMessageText(SearchText + " " + "not found");
  return found;
}

std::string Tdbf4::TableTempDir() { return AddBackslash(TempDir.empty() ? platform::ProcessTempDir() : TempDir); }

std::string Tdbf4::SortIndexName() { return TableTempDir() + "$tovtemp"; }

void Tdbf4::SortByColumn(int column) {
  Guard([&] {
    std::int32_t current = tzdbf.RecNo();
    SelectedRecordNo = current;
    std::string field = tzdbf.Field(column + 1);
    if (field.empty()) return;
    // The same name, in one case, is written and attached.
    std::string index = SortIndexName() + ".ndx";
    tzdbf.IndexOn(field, index);
    tzdbf.SetIndexToFile(index);
    if (current > 0) tzdbf.Go(current);
  });
}

bool Tdbf4::ExportHtml(const std::string& path) {
  // Records are read from the file: a pending edit is stored first.
  if (!tzdbf.Active() || !Guard([&] { tzdbf.CheckBrowseMode(); })) return false;
  AssignTextFile(TextFileVar, path);
  if (!TextFileVar.Rewrite()) {
    ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + path);
    AbortFlag = 1;
    return false;
  }
  // A page for people, in UTF-8: the engine hands table texts over in
  // Windows-1252 (it converts a code page 437 table as it reads), which goes
  // back to the stored code page and from there to UTF-8; HTML's special
  // characters are escaped. The title is a file name, UTF-8 already.
  auto cell = [](const std::string& text) { return HtmlEscape(OemToUtf8(AnsiToOemText(text))); };
  bool ok = Guard([&] {
    std::string title = BaseName(path);
    WriteTextLineStr(kHtmlDoctype);
    WriteTextLineStr("<HTML>");
    WriteTextLineStr("<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                     "<title>" + HtmlEscape(title) + "</title></head>");
    WriteTextLineStr(kHtmlBody);
    WriteTextLineStr("<P>" + cell(ProgShortName + "V" + ProgVersion) + "</P>");
    // The path is the file system's UTF-8: only its ASCII letters are upper-cased.
    std::string shownPath = path;
    for (char& c : shownPath)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    WriteTextLineStr("<P>" + HtmlEscape(shownPath) + "</P>");
    WriteTextLineStr("<P>" + cell(TodayText() + " - " + TimeText()) + "</P>");
    WriteTextLineStr("<HR>");
    WriteTextLineStr("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
    int fields = tzdbf.FieldCount();
    std::string head = "<TR>";
    for (int i = 1; i <= fields; ++i) head += "<TD><CENTER>" + cell(tzdbf.Field(i)) + "</CENTER></TD>";
    WriteTextLineStr(head + "</TR>");
    std::int32_t count = tzdbf.RecordCount();
    for (std::int32_t r = 1; r <= count; ++r) {
      std::string row = "<TR>";
      for (int i = 1; i <= fields; ++i) row += "<TD>" + cell(tzdbf.Peek(i, r)) + "</TD>";
      WriteTextLineStr(row + "</TR>");
    }
    WriteTextLineStr("</TABLE>");
    WriteTextLineStr("</BODY>");
    WriteTextLineStr("</HTML>");
  });
  if (!ok) {
    TextFileVar.CloseQuiet();
    return false;
  }
  if (!TextFileVar.Close()) return false;
  // The file is written either way; the user learns when nothing shows it.
  if (!HtmlBrowserPath.empty()) {
    if (!platform::StartProgram(HtmlBrowserPath, {path})) ShowMessageText(HtmlBrowserPath + " could not be started");
  } else if (!platform::OpenWithDefaultProgram(path)) {
    ShowMessageText("No program to open " + path + " found");
  }
  return true;
}

void Tdbf4::PrintTable() {
  // Records are read from the file: a pending edit is stored first.
  if (!tzdbf.Active() || !Guard([&] { tzdbf.CheckBrowseMode(); })) return;
  std::string title = (ProgShortName + " V").substr(0, 27) + ProgVersion;
  SetPageHeader(title.substr(0, std::min<std::size_t>(title.size(), 32)), Label_filename, CaptionForMode(Mode),
                "", Label_title1, 0);
  OpenOutput(kDeviceConfigured, Label_filename);
  if (AbortFlag) return;
  if (!TextFileVar.Rewrite()) {
    ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + OutputFileName);
    AbortFlag = 1;
    return;
  }
  OutputPageHeader(0, 0);
  OutputLine("");
  Guard([&] {
    int n = std::min(7, tzdbf.FieldCount());
    std::array<int, 7> widths{};
    std::array<std::string, 7> titles;
    for (int i = 0; i < n; ++i) {
      titles[i] = tzdbf.Field(i + 1).substr(0, 65);
      widths[i] = tzdbf.FieldLen(i + 1) + 1;
    }
    TTableWriter writer;
    writer.Init(widths, titles);
    std::int32_t count = tzdbf.RecordCount();
    for (std::int32_t r = 1; r <= count && !AbortFlag; ++r) {
      std::array<std::string, 7> cells;
      // The output layer takes stored (code page 437) texts.
      for (int i = 0; i < n; ++i) cells[i] = AnsiToOemText(tzdbf.Peek(i + 1, r)).substr(0, 65);
      writer.WriteRow(cells);
    }
    writer.Done();
  });
  Byte stopped = AbortFlag;
  AbortFlag = 0;
  CloseOutput();
  if (stopped) AbortFlag = 1;
}

void Tdbf4::UnderFileLock(const std::function<void()>& op) {
  Guard([&] {
    tzdbf.CheckBrowseMode();
    tzdbf.FLock();
    try {
      op();
    } catch (...) {
      tzdbf.UnLock();
      throw;
    }
    tzdbf.UnLock();
  });
}

void Tdbf4::SaveAsDelimited(const std::string& path) {
  UnderFileLock([&] { tzdbf.CopyToDelimited(path); });
}

void Tdbf4::AppendFromDbf(const std::string& path) {
  UnderFileLock([&] { tzdbf.AppendFrom(path); });
}

void Tdbf4::AppendFromDelimited(const std::string& path) {
  UnderFileLock([&] { tzdbf.AppendFromDelimited(path); });
}
