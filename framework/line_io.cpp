#include "framework/line_io.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include <unistd.h>

#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "platform/os.h"

namespace fs = std::filesystem;

TTextFile TextFileVar;

namespace {

// A scratch file of the program ("$" starts its name, as in "$DESIGN1.dx$"
// and "$$$1.txt") in this process's own temporary folder: written in place
// under the name it was given, as nobody else reads it and it goes with the
// folder.
bool IsScratchFile(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash != std::string::npos && slash + 1 < name.size() && name[slash + 1] == '$' &&
         platform::InProcessTempDir(name);
}

}  // namespace

TTextFile::~TTextFile() { CloseQuiet(); }

void TTextFile::Assign(std::string_view name) {
  CloseQuiet();
  name_ = std::string(name);
  discarding_ = false;
  exactName_ = false;
}

void TTextFile::AssignUserFile(std::string_view name) {
  Assign(name);
  exactName_ = true;
}

void TTextFile::AssignDiscarding() {
  Assign("");
  discarding_ = true;
}

bool TTextFile::Reset() {
  CloseQuiet();
  // Only a regular file, opened without waiting (a FIFO never stops the program).
  file_ = OpenFileForReading(exactName_ ? name_ : FindExistingFile(name_), refusal_, name_);
  writing_ = false;
  failed_ = false;
  return file_ != nullptr;
}

bool TTextFile::Rewrite(platform::ReplaceSync sync) {
  CloseQuiet();
  sync_ = sync;
  if (discarding_) {
    target_.clear();
    temporary_.clear();
    file_ = platform::OpenDiscardingFile();
    writing_ = true;
    failed_ = false;
    return file_ != nullptr;
  }
  scratch_ = IsScratchFile(name_);
  // An output made from a project goes under exactly its name.
  target_ = scratch_ || exactName_                   ? name_
            : sync == platform::ReplaceSync::Derived ? OutputPathName(name_)
                                                     : NewFileName(name_);
  std::error_code ec;
  if (!scratch_ && fs::is_directory(target_, ec)) return false;
  const bool direct = scratch_ || !ReplacesThroughTemporary(target_);
  temporary_ = direct ? "" : TemporaryNameBeside(target_);
  if (!direct && temporary_.empty()) return false;
  // The temporary is new and empty: opened as it is, since truncating it
  // would make the file system write it out on close.
  file_ = std::fopen((direct ? target_ : temporary_).c_str(), direct ? "wb" : "r+b");
  if (!file_ && !temporary_.empty()) DiscardTemporaryFile(temporary_);
  if (!file_) temporary_.clear();
  writing_ = true;
  failed_ = false;
  return file_ != nullptr;
}

bool TTextFile::Append() {
  CloseQuiet();
  target_ = exactName_ ? name_ : NewFileName(name_);
  temporary_.clear();
  scratch_ = false;
  std::error_code ec;
  if (fs::is_directory(target_, ec)) return false;
  file_ = std::fopen(target_.c_str(), "ab");
  writing_ = true;
  failed_ = false;
  return file_ != nullptr;
}

bool TTextFile::Close() { return Finish(true); }

void TTextFile::CloseQuiet() {
  Finish(false);
  failed_ = false;
}

bool TTextFile::Flush() {
  if (file_ && writing_ && std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

bool TTextFile::Finish(bool store) {
  if (!file_) return !failed_;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  readAt_ = readEnd_ = 0;
  if (!temporary_.empty()) {
    // Only a Close stores the new file: one left unclosed, by a writer that
    // stopped halfway, never replaces the old one.
    if (failed_ || !store) {
      DiscardTemporaryFile(temporary_);
    } else if (!CommitFile(temporary_, target_, sync_)) {
      failed_ = true;
    }
    temporary_.clear();
  }
  // A scratch file written only in part is not read as if whole.
  if (failed_ && writing_ && scratch_) ::unlink(target_.c_str());
  if (failed_ && writing_ && store) {
    ReportFileError("Write error on file " + target_ + " (disk full?); the file was not stored");
  }
  return !failed_;
}

bool TTextFile::FillReadBuffer() {
  if (readAt_ < readEnd_) return true;
  readBuffer_.resize(8192);
  readAt_ = 0;
  readEnd_ = std::fread(readBuffer_.data(), 1, readBuffer_.size(), file_);
  return readEnd_ > 0;
}

bool TTextFile::Eof() {
  if (!file_ || writing_) return true;
  return !FillReadBuffer();
}

bool TTextFile::ReadLine(std::string& line) {
  line.clear();
  if (!file_ || writing_) {
    failed_ = true;
    return false;
  }
  if (!FillReadBuffer()) {
    if (std::ferror(file_)) failed_ = true;
    return false;
  }
  // The line is taken from the buffer up to its end, refilled as it runs out.
  for (;;) {
    const char* start = readBuffer_.data() + readAt_;
    const std::size_t left = readEnd_ - readAt_;
    const auto* end = static_cast<const char*>(std::memchr(start, '\n', left));
    if (end) {
      line.append(start, end);
      readAt_ += static_cast<std::size_t>(end - start) + 1;
      break;
    }
    line.append(start, left);
    readAt_ = readEnd_;
    if (FillReadBuffer()) continue;
    if (std::ferror(file_)) {
      failed_ = true;
      return false;
    }
    break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool TTextFile::Write(std::string_view text) {
  if (!file_ || !writing_) {
    failed_ = true;
    return false;
  }
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    failed_ = true;
    return false;
  }
  return true;
}

bool TTextFile::WriteLine(std::string_view text) {
  const bool ok = Write(text);
  return Write("\r\n") && ok;
}

void AssignTextFile(TTextFile& f, std::string_view name) { f.Assign(name); }

void CloseFileQuiet(TTextFile& f) { f.CloseQuiet(); }

bool CloseUnlessAborted(TTextFile& f) {
  // A failed write is still reported by Close, which then stores nothing.
  if (AbortFlag && !f.Failed()) {
    f.CloseQuiet();
    return false;
  }
  return f.Close();
}

// ---------------------------------------------------------------------------

namespace {

// Reads one line; an I/O error (file not open for reading, read failure)
// sets AbortFlag, the end of the file gives an empty line.
std::string NextLine() {
  std::string line;
  if (!TextFileVar.ReadLine(line) && TextFileVar.Failed()) AbortFlag = 1;
  return line;
}

void Emit(std::string_view text, bool lineEnd) {
  const bool ok = lineEnd ? TextFileVar.WriteLine(text) : TextFileVar.Write(text);
  if (!ok) AbortFlag = 1;
}

void EmitFields(std::initializer_list<std::string_view> fields) {
  std::string line;
  for (auto f : fields) {
    line += f;
    line += '|';
  }
  Emit(line, true);
}

}  // namespace

void ReadTextLine(std::string& s) { s = NextLine(); }

void ReadFieldsLine(std::string& a, std::string& b, std::string& c, std::string& d) {
  const std::string line = NextLine();
  std::string* fields[4] = {&a, &b, &c, &d};
  std::size_t start = 0;
  for (auto* field : fields) {
    const std::size_t bar = start <= line.size() ? line.find('|', start) : std::string::npos;
    if (bar == std::string::npos) {
      // Missing separators: the rest of the line, then empty fields.
      *field = start < line.size() ? line.substr(start) : "";
      start = line.size() + 1;
    } else {
      *field = line.substr(start, bar - start);
      start = bar + 1;
    }
  }
}

void ReadCharLine(char& c) {
  const std::string line = NextLine();
  c = line.empty() ? '\0' : line[0];
}

void ReadIntLine(int& n) { n = TextToInt(NextLine()); }

void ReadWordLine(Word& n) {
  const int v = TextToInt(NextLine());
  n = v >= 0 && v <= 65535 ? static_cast<Word>(v) : 0;
}

void ReadFloatLine(Extended& x) { x = TextToFloat(CommaToDot(NextLine())); }

void ReadRealLine(Extended& x) {
  ReadFloatLine(x);
  x = RoundToReal48(x);
}

void ReadBoolLine(bool& b) {
  const Byte before = AbortFlag;
  AbortFlag = 0;
  const std::string line = NextLine();
  if (!AbortFlag) b = UpperCaseText(line) == "TRUE";
  AbortFlag = AbortFlag || before;
}

void ReadBoolLine(Byte& b) {
  bool v = b != 0;
  ReadBoolLine(v);
  b = v ? 1 : 0;
}

void ReadBoolLineTrue(bool& b) {
  const Byte before = AbortFlag;
  AbortFlag = 0;
  const std::string line = NextLine();
  if (!AbortFlag) b = UpperCaseText(line) != "FALSE";
  AbortFlag = AbortFlag || before;
}

void ReadBoolLineTrue(Byte& b) {
  bool v = b != 0;
  ReadBoolLineTrue(v);
  b = v ? 1 : 0;
}

void WriteTextLine(std::string_view s) { Emit(s, true); }
void WriteTextLineStr(std::string_view s) { Emit(s, true); }
void WriteTextNoEol(std::string_view s) { Emit(s, false); }
void WriteIntLine(long long n) { Emit(IntToText(n), true); }

void WriteFloatLine(Extended x) {
  const bool wholeBelowOne = x < 1 && std::fabs(x - std::nearbyint(x)) < 1e-10L;
  // A stored value keeps all its digits: the display's exponent form of very
  // large values would round it.
  if (std::fabs(x) >= 1e15L && std::isfinite(x)) Emit(FloatToTextWidth(0, 7, x), true);
  else Emit(wholeBelowOne ? FloatToText(x) : FloatToTextFix(7, x), true);
}

void WriteCharLine(char c) { Emit(std::string_view(&c, 1), true); }

void WriteBoolLine(bool b) { Emit(b ? "TRUE" : "FALSE", true); }

void WriteFieldsLine4(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
  EmitFields({a, b, c, d});
}

void WriteFieldsLine6(std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                      std::string_view e, std::string_view f) {
  EmitFields({a, b, c, d, e, f});
}

void WriteFieldsLine8(std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                      std::string_view e, std::string_view f, std::string_view g, std::string_view h) {
  EmitFields({a, b, c, d, e, f, g, h});
}

void WriteFileHeader() {
  const std::string rule(65, '-');
  WriteTextLine(rule);
  WriteTextLine(ProgTitle.view());
  WriteTextLine("Version " + ProgVersion);
  WriteTextLine(rule);
  for (const auto& line : HeaderLines) WriteTextLine(line.view());
}

void InitLineIo() { TextFileVar.CloseQuiet(); }
