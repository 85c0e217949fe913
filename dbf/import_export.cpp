#include "dbf/import_export.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "dbf/errors.h"
#include "dbf/message_windows.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "framework/charset.h"
#include "platform/binary_file.h"
#include "platform/cp1252.h"
#include "platform/file_replace.h"
#include "platform/utf8.h"

char DelimiterChar = ',';
char QuoteChar = '"';
std::uint16_t DelimitedLineLimit = 2048;

namespace {

constexpr std::size_t kMaxItem = 255;
constexpr char kEndMark = 0x1A;
constexpr std::uint8_t kSourceArea = 35;  // the engine's own work area

std::string FieldText(const TDbfWorkArea& wa, const TDbfFieldEntry& f) {
  return std::string(wa.recordBuffer.data() + f.offset, f.length);
}

std::string Quoted(const std::string& text) {
  if (QuoteChar == 0) return text;
  std::string out(1, QuoteChar);
  for (char c : text) {
    if (c == QuoteChar) out += QuoteChar;  // doubled, so that it reads back
    out += c;
  }
  out += QuoteChar;
  return out;
}

std::string RecordLine(const TDbfWorkArea& wa) {
  std::string line;
  for (std::size_t i = 0; i < wa.fields.size(); ++i) {
    const TDbfFieldEntry& f = wa.fields[i];
    if (i > 0) line += DelimiterChar;
    switch (f.type) {
      case 'C': line += Quoted(AllTrim(FieldText(wa, f))); break;
      case 'M': break;  // memos are not exported: an empty item
      case 'L': line += FieldText(wa, f).substr(0, 1); break;
      case 'D': line += AllTrim(FieldText(wa, f)); break;
      default: line += TzTrimLeft(FieldText(wa, f)); break;
    }
  }
  return line + "\r\n";
}

// Delimited text files are UTF-8, as text files on this platform are. The
// record buffer holds Windows-1252; a table in code page 437 holds each
// character by its code there, so that characters the table cannot store
// come in as "?" and everything it stores goes out as itself.
std::string Utf8FromBuffer(const TDbfWorkArea& wa, std::string_view text) {
  return wa.oem ? Cp437ToUtf8(TzAnsiToOem(text)) : platform::Utf8FromDisplay(text);
}

std::string BufferFromUtf8(const TDbfWorkArea& wa, std::string_view utf8) {
  return wa.oem ? TzOemToAnsi(Utf8ToOem(utf8)) : Utf8ToAnsi(utf8);
}

// A text read into number field f as a stored number, with every digit a
// field can hold; false, with what is wrong in `fault`, when it is no number.
bool TextNumber(const TDbfFieldEntry& f, const std::string& text, long double& value, std::string& fault) {
  const TStoredRead read = ReadStoredNumber(text, value);
  if (read == TStoredRead::Number || read == TStoredRead::Blank || OverflowStars(text)) {
    if (f.decimals == 0) value = std::trunc(value);
    return true;
  }
  fault = "Field " + std::string(f.name.view()) + ": " + StoredNumberFault(text, read);
  return false;
}

// What names a value too wide for field f: "Field NUM: 123456.78 is too
// wide for N(8,2)".
std::string TooWide(const TDbfFieldEntry& f, const std::string& value) {
  std::string shape = std::string(1, f.type) + "(" + std::to_string(f.length);
  if (f.decimals > 0) shape += "," + std::to_string(f.decimals);
  return "Field " + std::string(f.name.view()) + ": " + AllTrim(value) + " is too wide for " + shape + ")";
}

// Number field n of the selected work area took `value`; false, with the
// fault, when the field is too narrow to store it (it would hold "*"s).
bool Fits(int n, const TDbfFieldEntry& f, long double value, std::string& fault) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || FieldValueFits(*wa, static_cast<std::size_t>(n) - 1)) return true;
  fault = TooWide(f, RoundedNumberText(value, f.decimals));
  return false;
}

// Item n of a delimited line into field n; false, with the fault, when a
// number field's item is no number or too wide for the field.
bool StoreItem(int n, const TDbfFieldEntry& f, const std::string& item, std::string& fault) {
  switch (f.type) {
    case 'C': SetFieldText(n, item.substr(0, f.length)); break;
    case 'D': {
      std::string d = AllTrim(item);
      if (!d.empty() && d.find_first_not_of("0123456789") == std::string::npos) d = STOD(d);
      SetFieldText(n, d.substr(0, 10));
      break;
    }
    case 'N':
    case 'F': {
      long double v = 0;
      if (!TextNumber(f, item, v, fault)) return false;
      SetFieldValue(n, v);
      if (!Fits(n, f, v, fault)) return false;
      break;
    }
    case 'L': SetFieldLogical(n, !item.empty() && TrueLetter(item[0])); break;
    default: break;  // memo items are ignored
  }
  return true;
}

// Reads a text file in blocks and gives it line by line.
class LineReader {
 public:
  explicit LineReader(platform::FileHandle f) : file_(f) { size_ = platform::FileSize(f); }
  // False at the end of the file (or at its 0x1A end mark).
  bool Next(std::string& line, int& error) {
    line.clear();
    if (done_) return false;
    for (;;) {
      if (at_ == got_ && !Fill(error)) {
        done_ = true;
        return !line.empty();
      }
      char c = buffer_[at_++];
      ++consumed_;
      if (c == kEndMark) {
        done_ = true;
        return !line.empty();
      }
      if (c == '\n') return true;
      if (c == '\r') {
        if ((at_ < got_ || Fill(error)) && buffer_[at_] == '\n') {
          ++at_;
          ++consumed_;
        }
        return true;
      }
      line += c;
    }
  }
  std::int64_t Size() const { return size_; }
  std::int64_t Consumed() const { return consumed_; }

 private:
  bool Fill(int& error) {
    std::size_t got = 0;
    int rc = platform::ReadAt(file_, static_cast<std::uint64_t>(offset_), buffer_, sizeof buffer_, got);
    if (rc != 0) error = rc;
    offset_ += static_cast<std::int64_t>(got);
    at_ = 0;
    got_ = got;
    return got > 0;
  }
  platform::FileHandle file_;
  std::int64_t size_ = 0;
  std::int64_t offset_ = 0;
  std::int64_t consumed_ = 0;
  char buffer_[4096];
  std::size_t at_ = 0, got_ = 0;
  bool done_ = false;
};

}  // namespace

void InitImportExport() {
  DelimiterChar = ',';
  QuoteChar = '"';
  DelimitedLineLimit = 2048;
}

std::vector<std::string> SplitDelimitedLine(const std::string& text) {
  const std::string line = text.substr(0, DelimitedLineLimit);
  std::vector<std::string> items;
  std::size_t i = 0;
  for (;;) {
    // Blanks before an item are skipped, but not when one is the delimiter:
    // an empty item would take the next one's place.
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t') && line[i] != DelimiterChar) ++i;
    std::string item;
    bool quoted = false;
    bool delimited = false;
    while (i < line.size()) {
      char c = line[i++];
      if (QuoteChar != 0 && c == QuoteChar) {
        if (!(quoted && i < line.size() && line[i] == QuoteChar)) {
          quoted = !quoted;
          continue;
        }
        ++i;  // a doubled quote inside quotes is one quote character
      } else if (c == DelimiterChar && !quoted) {
        delimited = true;
        break;
      }
      if (item.size() < kMaxItem) item += c;
    }
    items.push_back(std::move(item));
    if (!delimited) return items;
  }
}

std::int32_t CopyToDelimited(const std::string& fileName) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("CopyToDelimited");
    return 0;
  }
  if (wa->isVirtual) return 0;
  const std::string name = DefaultExtension(fileName, "txt");
  // Written to a temporary file of its own beside the target and renamed
  // into place when complete: no other file is touched, and a link keeps
  // pointing to the file it names.
  const std::string temp = platform::CreateTemporaryBeside(name);
  std::FILE* out = temp.empty() ? nullptr : std::fopen(temp.c_str(), "wb");
  int rc = out ? 0 : platform::kErrAccessDenied;
  std::int32_t count = 0;
  std::string chunk;
  auto flush = [&]() {
    if (rc == 0 && !chunk.empty() && std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size())
      rc = platform::kErrDiskWrite;
    chunk.clear();
  };
  if (rc == 0) {
    GoTop();
    while (rc == 0 && TzLastError == 0 && !dEOF()) {
      chunk += Utf8FromBuffer(*wa, RecordLine(*wa));
      ++count;
      if (chunk.size() >= 65536) flush();
      Skip(1);
    }
    chunk += kEndMark;
    flush();
    if (TzLastError != 0 && rc == 0) rc = TzLastError;
  }
  if (out && std::fclose(out) != 0 && rc == 0) rc = platform::kErrDiskWrite;
  if (rc == 0 && !platform::CommitTemporary(temp, name, platform::ReplaceSync::Derived))
    rc = platform::kErrAccessDenied;  // the temporary is gone, the target as it was
  else if (rc != 0)
    platform::DiscardTemporary(temp);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot write " + name + " [CopyToDelimited]");
    return 0;
  }
  return count;
}

std::int32_t AppendFromDelimited(const std::string& fileName, bool showProgress) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("AppendFromDelimited");
    return 0;
  }
  const std::string name = FindFileAnyCase(DefaultExtension(fileName, "txt"));
  platform::FileHandle in = platform::kNoFile;
  int rc = platform::OpenFile(name, platform::kOpenRead | platform::kShareDenyWrite, in);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot read " + name + " [AppendFromDelimited]");
    return 0;
  }
  // A file that is not UTF-8 throughout (written in the table's own code
  // page) is taken byte for byte.
  bool utf8 = true;
  {
    LineReader check(in);
    std::string line;
    int ioError = 0;
    while (utf8 && check.Next(line, ioError)) utf8 = platform::IsUtf8(line);
  }
  LineReader reader(in);
  std::unique_ptr<TTzMsg> progress;
  std::int64_t stepBytes = std::max<std::int64_t>(1, reader.Size() / 100);
  std::int64_t nextStep = stepBytes;
  if (showProgress) progress = ShowTzMsg(TzMsgKind::Progress, nullptr, "Appending...");
  std::int32_t count = 0;
  std::string line;
  int ioError = 0;
  std::string refused;  // an item that is no number stops the import before its line
  for (bool first = true; reader.Next(line, ioError); first = false) {
    if (utf8) {
      if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // a byte-order mark
      line = BufferFromUtf8(*wa, line);
    }
    if (line.empty()) continue;  // blank lines hold no record
    std::vector<std::string> items = SplitDelimitedLine(line);
    ClearRecord();
    std::string fault;
    for (std::size_t i = 0; i < wa->fields.size() && i < items.size() && fault.empty(); ++i)
      StoreItem(static_cast<int>(i) + 1, wa->fields[i], items[i], fault);
    if (!fault.empty()) {
      refused = fault + " in line " + std::to_string(count + 1) + " [AppendFromDelimited(" + fileName + ")]";
      break;
    }
    Append();
    if (TzLastError != 0) break;
    ++count;
    while (progress && reader.Consumed() >= nextStep) {
      ShowTzProgress(*progress);
      nextStep += stepBytes;
    }
  }
  platform::CloseFile(in);
  if (ioError != 0 && TzLastError == 0) TzLastError = static_cast<std::uint16_t>(ioError);
  if (!refused.empty() && TzLastError == 0) DederError(106, refused);
  return count;
}

namespace {

// The source's record copied into the destination's typed record, field
// by field by the pair of types; false, with the fault, when a number read
// from the source is no number or a value is too wide for its field.
bool CopyField(std::uint8_t dst, int dn, std::uint8_t src, int sn, std::string& fault) {
  SelectedArea = src;
  const TDbfFieldEntry sf = WorkAreas[src]->fields[sn - 1];
  std::string text = sf.type == 'C' || sf.type == 'D' ? GetFieldText(sn) : std::string();
  long double value = sf.type == 'M' ? GetFieldValue(sn) : 0;
  if ((sf.type == 'N' || sf.type == 'F') && !ReadFieldTextValue(sn, value, fault)) {
    SelectedArea = dst;
    return false;
  }
  bool flag = sf.type == 'L' && GetFieldLogical(sn);
  SelectedArea = dst;
  const TDbfFieldEntry df = WorkAreas[dst]->fields[dn - 1];
  char st = sf.type == 'F' ? 'N' : sf.type;
  char dt = df.type == 'F' ? 'N' : df.type;
  switch (dt) {
    case 'C':
      if (st == 'C') {
        SetFieldText(dn, text);
      } else if (st == 'D') {
        if (text.size() > df.length) {
          // Drop the century digits first: the two after the second
          // separator, blanks in an empty date standing for digits.
          std::size_t at = 0;
          if (TzDateFormat != 1) {
            std::size_t first = text.find_first_not_of("0123456789 ");
            std::size_t second = first == std::string::npos ? first : text.find_first_not_of("0123456789 ", first + 1);
            at = second == std::string::npos ? text.size() : second + 1;
          }
          if (at + 2 <= text.size()) text.erase(at, 2);
        }
        SetFieldText(dn, text.substr(0, df.length));
      } else if (st == 'N') {
        const std::string number = FixedNumberText(value, df.length, sf.decimals);
        if (number.size() > df.length) {
          fault = TooWide(df, number);
          return false;
        }
        SetFieldText(dn, number);
      } else if (st == 'L') {
        SetFieldText(dn, flag ? "T" : "F");
      }
      break;
    case 'D':
      if (st == 'D') {
        SetFieldText(dn, text);
      } else if (st == 'C') {
        std::string d = AllTrim(text);
        if (!d.empty() && ValidDate(d)) SetFieldText(dn, AllTrim(text));
      }
      break;
    case 'N':
      if (st == 'N') {
        if (df.decimals == 0) value = std::trunc(value);
        SetFieldValue(dn, value);
        if (!Fits(dn, df, value, fault)) return false;
      } else if (st == 'C') {
        if (!TextNumber(df, text, value, fault)) return false;
        SetFieldValue(dn, value);
        if (!Fits(dn, df, value, fault)) return false;
      }
      break;
    case 'L': SetFieldLogical(dn, st == 'L' && flag); break;
    case 'M':
      if (st == 'M' && value != 0 && MemoHooks.CopyMemoAppend) {
        SetFieldValue(dn, MemoHooks.CopyMemoAppend(src, static_cast<std::int32_t>(value)));
      } else if (st == 'C' && MemoHooks.AddMemo) {
        SetFieldValue(dn, MemoHooks.AddMemo(text));
      }
      break;
    default: break;
  }
  return true;
}

bool SameStructure(const TDbfWorkArea& a, const TDbfWorkArea& b) {
  if (a.fields.size() != b.fields.size() || a.typedRecordSize != b.typedRecordSize) return false;
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    const TDbfFieldEntry &x = a.fields[i], &y = b.fields[i];
    if (x.name.view() != y.name.view() || x.type != y.type || x.length != y.length || x.decimals != y.decimals)
      return false;
  }
  return true;
}

bool HasMemoFields(const TDbfWorkArea& wa) {
  for (const auto& f : wa.fields)
    if (f.type == 'M') return true;
  return wa.memo;
}

}  // namespace

void AppendFrom(const std::string& command, const std::function<bool()>& goOn) {
  TzLastError = 0;
  const std::string detail = "[AppendFrom(" + command + ")]";
  const std::uint8_t dst = SelectedArea;
  TDbfWorkArea* dwa = SelectedWorkArea();
  const std::string folder = FolderPart(command);
  std::string cmd = (folder.empty() ? " " : "") + command.substr(folder.size()) + " ";
  bool isVirtual = false;
  std::string upper = TzUpperCase(cmd);
  for (const char* word : {" VIRTUAL FILE ", " LINKED LIST ", " VIRTUAL ", " LINKED "}) {
    for (std::size_t p; (p = upper.find(word)) != std::string::npos;) {
      upper.erase(p, std::strlen(word) - 1);
      cmd.erase(p, std::strlen(word) - 1);
      isVirtual = true;
    }
  }
  std::string source = AllTrim(folder + cmd);
  if (!dwa) {
    DederError(215, detail);
    return;
  }
  std::uint8_t src = 0;
  if (isVirtual) {
    std::string key = TzUpperCase(source);
    for (int i = 1; i <= kMaxWorkAreas && src == 0; ++i) {
      TDbfWorkArea* w = WorkAreas[i].get();
      if (w && w->isVirtual && (TzUpperCase(w->alias.view()) == key || TzUpperCase(w->fileName) == key))
        src = static_cast<std::uint8_t>(i);
    }
    if (src == 0) {
      DederError(215, "Virtual file must be open. " + detail);
      return;
    }
    if (src == dst) {
      DederError(214, "Attempting to append file to itself. " + detail);
      return;
    }
  } else {
    source = FindFileAnyCase(DefaultExtension(FullPath(source), "dbf"));
    if (!platform::FileExists(source)) {
      DederError(2, detail);
      return;
    }
    // The same file under another name (a link) is the table itself too.
    if (!dwa->isVirtual && (FullPath(dwa->fileName) == source || platform::NamesOpenFile(source, dwa->file))) {
      DederError(214, "Attempting to append file to itself. " + detail);
      return;
    }
    SelectedArea = kSourceArea;
    UseTable(source, "*FROMFILE");
    SelectedArea = dst;
    if (TzLastError != 0 || !WorkAreas[kSourceArea]) {
      std::uint16_t code = TzLastError ? TzLastError : 2;
      DederError(code, detail);
      return;
    }
    src = kSourceArea;
  }
  TDbfWorkArea& swa = *WorkAreas[src];
  auto closeSource = [&]() {
    if (src == kSourceArea) {
      SelectedArea = kSourceArea;
      CloseDatabase();
    }
    SelectedArea = dst;
  };
  if (HasMemoFields(swa) && !swa.isVirtual && !MemoHooks.CopyMemoAppend) {
    closeSource();
    DederError(220, "Memo unit MEMO.TPU not linked into program. " + detail);
    return;
  }
  // Destination field -> source field by name.
  std::vector<int> map(dwa->fields.size(), 0);
  bool any = false;
  SelectedArea = src;
  for (std::size_t i = 0; i < dwa->fields.size(); ++i) {
    map[i] = FieldNo(dwa->fields[i].name.str());
    any = any || map[i] != 0;
  }
  SelectedArea = dst;
  if (!any) {
    closeSource();
    return;
  }
  const bool same = SameStructure(*dwa, swa);
  SelectedArea = src;
  if (swa.whileCallback || swa.whileExpression || goOn) Skip(0);
  else GoTop();
  // Only the records the source holds now: what is appended meanwhile (to
  // the source by another user, or by us to a table that is the source in
  // disguise) is not copied again.
  const std::int32_t sourceCount = RecCount();
  bool more = sourceCount > 0 && !dEOF() && RecNo() <= sourceCount;
  SelectedArea = dst;
  std::string refused;  // a text that is no number stops the copy before its record
  while (more) {
    if (same && !swa.isVirtual) {
      // The record as stored: numbers keep the digits a typed value drops.
      dwa->recordBuffer[0] = swa.recordBuffer[0];
      for (std::size_t i = 0; i < dwa->fields.size(); ++i)
        std::memcpy(dwa->recordBuffer.data() + dwa->fields[i].offset, swa.recordBuffer.data() + swa.fields[i].offset,
                    dwa->fields[i].length);
      LoadTypedRecord(*dwa);
    } else if (same) {
      ClearRecord();
      std::memcpy(WholeTypedRecord(*dwa), WholeTypedRecord(swa), dwa->typedRecordSize);
    }
    if (same) {
      for (std::size_t i = 0; i < dwa->fields.size(); ++i) {
        if (dwa->fields[i].type != 'M') continue;
        std::int32_t block = static_cast<std::int32_t>(GetFieldValue(static_cast<int>(i) + 1));
        std::int32_t copied = block != 0 && MemoHooks.CopyMemoAppend && !swa.isVirtual && dwa->memoData
                                  ? MemoHooks.CopyMemoAppend(src, block)
                                  : 0;
        SetFieldValue(static_cast<int>(i) + 1, copied);
      }
    } else {
      ClearRecord();
      dwa->typedRecord[0] = swa.typedRecord[0];
      std::string fault;
      for (std::size_t i = 0; i < map.size() && fault.empty(); ++i)
        if (map[i] != 0) CopyField(dst, static_cast<int>(i) + 1, src, map[i], fault);
      SelectedArea = dst;
      if (!fault.empty()) {
        SelectedArea = src;
        refused = fault + " in record " + std::to_string(RecNo()) + " " + detail;
        SelectedArea = dst;
        break;
      }
    }
    Append();
    if (TzLastError != 0) break;
    SelectedArea = src;
    Skip(1);
    more = TzLastError == 0 && !dEOF() && RecNo() <= sourceCount;
    SelectedArea = dst;
    if (more && goOn && !goOn()) break;
  }
  std::uint16_t code = TzLastError;
  std::string kept = TzErrorDetail;
  closeSource();
  TzLastError = code;
  TzErrorDetail = kept;
  if (!refused.empty()) DederError(106, refused);
}
