#include "framework/file_utils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "platform/binary_file.h"
#include "platform/file_replace.h"
#include "platform/folder_names.h"
#include "platform/os.h"
#include "platform/cp1252.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace {

std::string g_lastFileError;
FileErrorHandler g_fileErrorHandler = nullptr;
std::vector<std::string> g_commandLine;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t NamePartStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) start = i + 1;
  }
  return start;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsDirectory(std::string_view path) {
  std::error_code ec;
  return fs::is_directory(fs::path(std::string(path)), ec);
}

struct FileCloser {
  void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle OpenFile(const std::string& name, const char* mode) {
  return FileHandle(std::fopen(name.c_str(), mode));
}

FileHandle OpenReadFile(const std::string& name) {
  std::string error;
  return FileHandle(OpenFileForReading(name, error));
}

enum class CopyResult { Ok, SourceFailed, TargetFailed, ReadFailed, WriteFailed };

// Copies in blocks through a temporary file beside the target.
CopyResult CopyThroughTemporary(const std::string& source, const std::string& target, std::size_t blockSize,
                                platform::ReplaceSync sync = platform::ReplaceSync::Durable) {
  if (IsDirectory(source)) return CopyResult::SourceFailed;
  FileHandle in = OpenReadFile(source);
  if (!in) return CopyResult::SourceFailed;
  const bool direct = !ReplacesThroughTemporary(target);
  const std::string temporary = direct ? "" : TemporaryNameBeside(target);
  if (!direct && temporary.empty()) return CopyResult::TargetFailed;
  FileHandle out = OpenFile(direct ? target : temporary, "wb");
  if (!out) {
    if (!direct) DiscardTemporaryFile(temporary);
    return CopyResult::TargetFailed;
  }
  std::vector<char> block(blockSize);
  CopyResult result = CopyResult::Ok;
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), in.get());
    if (got < block.size() && std::ferror(in.get())) {
      result = CopyResult::ReadFailed;
      break;
    }
    if (got > 0 && std::fwrite(block.data(), 1, got, out.get()) != got) {
      result = CopyResult::WriteFailed;
      break;
    }
    if (got < block.size()) break;
  }
  if (std::fclose(out.release()) != 0 && result == CopyResult::Ok) result = CopyResult::WriteFailed;
  if (temporary.empty()) return result;
  if (result != CopyResult::Ok) {
    DiscardTemporaryFile(temporary);
    return result;
  }
  return CommitFile(temporary, target, sync) ? CopyResult::Ok : CopyResult::WriteFailed;
}

std::string CopyTarget(std::string_view source, std::string_view dest) {
  std::error_code ec;
  std::string target = fs::absolute(fs::path(std::string(dest)), ec).string();
  if (ec) target = std::string(dest);
  if (IsDirectory(target)) {
    target = AddBackslash(target) + std::string(source.substr(NamePartStart(source)));
  }
  return NewFileName(target);
}

bool ReportCopy(CopyResult r, std::string_view source, const std::string& target) {
  switch (r) {
    case CopyResult::Ok: return true;
    case CopyResult::SourceFailed: ReportFileError("Cannot open file " + std::string(source)); break;
    case CopyResult::TargetFailed: ReportFileError("Cannot create file " + target); break;
    case CopyResult::ReadFailed: ReportFileError("Read error on file " + std::string(source)); break;
    case CopyResult::WriteFailed:
      ReportFileError("Write error on file " + target + " (disk full?)");
      break;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------

void ReportFileError(const std::string& text) {
  g_lastFileError = text;
  AbortFlag = 1;
  if (g_fileErrorHandler) g_fileErrorHandler(text);
}

void SetFileErrorHandler(FileErrorHandler handler) { g_fileErrorHandler = handler; }

bool FileErrorsShown() { return g_fileErrorHandler != nullptr; }

const std::string& LastFileErrorText() { return g_lastFileError; }

void InitFileErrors() { g_lastFileError.clear(); }

// ---------------------------------------------------------------------------

std::string AddBackslash(std::string_view dir) {
  std::string d = TrimRightText(dir);
  if (!d.empty() && !IsSeparator(d.back())) d += '/';
  return d;
}

std::string AddBackslashDrive(std::string_view dir) { return AddBackslash(dir); }

std::string RemoveTrailingBackslash(std::string_view dir) {
  std::string d = TrimRightText(dir);
  if (d.size() > 1 && IsSeparator(d.back())) d.pop_back();
  return d;
}

std::string ExtractDirPart(std::string_view path) {
  return std::string(path.substr(0, NamePartStart(path)));
}

std::string DrivePart(std::string_view) { return ""; }

std::string StripPathAndExt(std::string_view name) {
  std::string_view n = name.substr(NamePartStart(name));
  // A name that ends in a dot ("a.", "a..") has no extension.
  if (n.size() > 1 && n.back() != '.') {
    const auto dot = n.substr(0, n.size() - 1).rfind('.');
    if (dot != std::string_view::npos) n = n.substr(0, dot);
  }
  return std::string(n);
}

std::string ExtractNameOnly(std::string_view name) { return StripPathAndExt(name); }

std::string ExtensionAfterFirstDot(std::string_view name) {
  const std::string_view n = name.substr(NamePartStart(name));
  const auto dot = n.find('.');
  return dot == std::string_view::npos ? "" : std::string(n.substr(dot + 1));
}

std::string FileExtension(std::string_view path) {
  const std::string_view n = path.substr(NamePartStart(path));
  if (n.size() < 2) return {};
  const auto dot = n.substr(0, n.size() - 1).rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(n.substr(dot + 1));
}

bool HasFileExtension(std::string_view path, std::string_view ext) {
  return !ext.empty() && UpperCaseText(FileExtension(path)) == UpperCaseText(ext);
}

bool NameHoldsDot(std::string_view path) { return path.find('.', NamePartStart(path)) != std::string_view::npos; }

std::string ProjectExtension() {
  if (CurrentFileExt == kNoFileExtension) return {};
  return CurrentFileExt.empty() ? InputFileExt.str() : CurrentFileExt;
}

std::string ProjectExtensionOf(std::string_view path) {
  const std::string_view name = path.substr(NamePartStart(path));
  if (name.size() > 1 && name.back() == '.') return std::string(kNoFileExtension);
  return FileExtension(path);
}

std::string ProjectFileOfStem(std::string_view stem) {
  if (CurrentFileExt == kNoFileExtension) return std::string(stem);
  return std::string(stem) + "." + ProjectExtension();
}

std::string CurrentProjectFile() {
  if (CurrentFileName.empty()) return {};
  const std::string file = ProjectFileOfStem(CurrentFileName);
  return NamePartStart(CurrentFileName) > 0 ? file : AddBackslash(CurrentDir) + file;
}

std::string CurrentProjectName() { return CurrentFileName.substr(NamePartStart(CurrentFileName)); }

std::string ProjectFileOfName(std::string_view name) {
  if (name.empty()) return {};
  if (name == CurrentFileName) return CurrentProjectFile();
  if (HasFileExtension(name, InputFileExt.view())) return std::string(name);
  const std::string file = std::string(name) + "." + InputFileExt.str();
  return NamePartStart(name) > 0 ? file : AddBackslash(CurrentDir) + file;
}

std::string FindExistingFile(std::string_view path) {
  const std::string p(path);
  if (p.empty() || Exists(p)) return p;
  // Find the longest existing prefix, then match each further component.
  std::vector<std::string> parts;
  std::string current;
  std::size_t start = 0;
  if (IsSeparator(p[0])) {
    current = "/";
    start = 1;
  }
  while (start <= p.size()) {
    std::size_t end = start;
    while (end < p.size() && !IsSeparator(p[end])) ++end;
    parts.emplace_back(p.substr(start, end - start));
    start = end + 1;
  }
  std::string resolved = current;
  // When the folder exists as written, only the name is looked for.
  std::size_t first = 0;
  std::size_t last = parts.size();
  while (last > 0 && parts[last - 1].empty()) --last;
  if (last > 1) {
    std::string folder = current;
    for (std::size_t i = 0; i + 1 < last; ++i)
      if (!parts[i].empty()) folder = folder.empty() ? parts[i] : AddBackslash(folder) + parts[i];
    if (!folder.empty() && IsDirectory(folder)) {
      resolved = folder;
      first = last - 1;
    }
  }
  for (std::size_t i = first; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) continue;
    std::string candidate = resolved.empty() ? part : AddBackslash(resolved) + part;
    if (!Exists(candidate)) {
      std::string entry;
      if (!platform::FindEntryIgnoringCase(resolved.empty() ? "." : resolved, part, entry)) return p;
      candidate = resolved.empty() ? entry : AddBackslash(resolved) + entry;
    }
    resolved = candidate;
  }
  return resolved;
}

std::string NewFileName(std::string_view path) {
  std::string existing = FindExistingFile(path);
  if (Exists(existing)) return existing;
  std::string p(path);
  const std::size_t nameStart = NamePartStart(p);
  const auto dot = p.rfind('.');
  if (dot != std::string::npos && dot > nameStart) {
    p = p.substr(0, dot) + LowerCaseText(std::string_view(p).substr(dot));
  }
  return p;
}

std::string OutputPathName(std::string_view path) {
  const std::size_t nameStart = NamePartStart(path);
  if (nameStart == 0) return std::string(path);
  const std::string folder = FindExistingFile(path.substr(0, nameStart));
  return AddBackslash(folder) + std::string(path.substr(nameStart));
}

namespace {

// Letters of the other case: a name that also opens so lies in a folder
// that folds case, or beside a file whose name differs only in case.
std::string OtherSpelling(std::string_view name) {
  std::string other(name);
  for (char& c : other) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return other;
}

// The entry of folder that name opens, as the folder lists it. A folder
// that folds case folds ASCII letters: where the name holds one and its
// other spelling opens nothing, the folder lists the name as it is.
// `undecided` is set when the name opens a file that no entry can be shown
// to be.
std::string ListedSpelling(const std::string& folder, const std::string& name, bool& undecided) {
  const std::string other = OtherSpelling(name);
  if (other != name && !Exists(AddBackslash(folder) + other)) return name;
  bool unknown = false;
  const std::string entry = platform::EntryOpenedBy(folder, name, &unknown);
  undecided = undecided || unknown;
  return entry.empty() ? name : entry;
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

std::string ResolvedFileName(std::string_view path, bool* undecided) {
  bool unknown = false;
  if (undecided) *undecided = false;
  if (path.empty()) return {};
  // The whole name when it opens something (a link to the file it names),
  // else its folder and the name as given.
  std::string resolved = RealPath(std::string(path));
  std::string rest;
  if (resolved.empty()) {
    const std::size_t nameStart = NamePartStart(path);
    rest = std::string(path.substr(nameStart));
    resolved = RealPath(nameStart == 0 ? std::string(".") : std::string(path.substr(0, nameStart)));
    if (resolved.empty()) return std::string(path);
  }
  // Each component as its folder lists it; the folders of a resolved path
  // once a run, as the outputs of a run lie beside their projects.
  static std::unordered_map<std::string, std::string> spelledFolders;
  const std::size_t slash = resolved.rfind('/');
  const std::string folder = resolved.substr(0, slash);
  auto known = spelledFolders.find(folder);
  std::string spelled;
  if (known != spelledFolders.end()) {
    spelled = known->second;
  } else {
    spelled = "/";
    std::size_t start = 1;
    while (start < folder.size()) {
      std::size_t end = folder.find('/', start);
      if (end == std::string::npos) end = folder.size();
      spelled = AddBackslash(spelled) + ListedSpelling(spelled, folder.substr(start, end - start), unknown);
      start = end + 1;
    }
    // A folder spelled in doubt is asked again next time.
    if (!unknown) spelledFolders.emplace(folder, spelled);
  }
  const std::string name = resolved.substr(slash + 1);
  const std::string file = name.empty() ? spelled : AddBackslash(spelled) + ListedSpelling(spelled, name, unknown);
  if (undecided) *undecided = unknown;
  return rest.empty() ? file : AddBackslash(file) + rest;
}

bool WildcardMatchExact(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool MatchesWildcard(std::string_view name, std::string_view mask) {
  const std::string n = UpperCaseText(name), m = UpperCaseText(mask);
  if (m == "*.*") return true;
  if (WildcardMatchExact(n, m)) return true;
  // DOS: "name.*" also matches a name without extension.
  if (m.size() >= 2 && m.compare(m.size() - 2, 2, ".*") == 0 && n.find('.') == std::string::npos) {
    return WildcardMatchExact(n, std::string_view(m).substr(0, m.size() - 2));
  }
  return false;
}

std::vector<std::string> MatchingFiles(std::string_view dir, std::string_view mask) {
  std::vector<std::string> names;
  std::error_code ec;
  const std::string d = dir.empty() ? "." : std::string(dir);
  for (fs::directory_iterator it(d, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (MatchesWildcard(name, mask)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------------------

std::FILE* OpenFileForReading(const std::string& path, std::string& error, std::string_view shown) {
  int code = 0;
  std::FILE* f = platform::OpenRegularStreamForReading(path, code);
  if (f) return f;
  error = "file " + (shown.empty() ? path : std::string(shown)) +
          (code == platform::kErrNotRegularFile ? " is no regular file !" : " not found or no access !");
  return nullptr;
}

std::string ReadRefusalText(const std::string& path, std::string_view shown) {
  std::string error;
  FileHandle f(OpenFileForReading(path, error, shown));
  return f ? std::string() : error;
}

bool TextFileExists(std::string_view name) {
  return static_cast<bool>(OpenReadFile(std::string(name)));
}

bool NoRegularFileAt(std::string_view name) {
  std::error_code ec;
  const fs::file_status status = fs::status(std::string(name), ec);
  return fs::exists(status) && !fs::is_regular_file(status);
}

bool ProgramFileExists(std::string_view name) { return TextFileExists(FindExistingFile(name)); }

bool ProgramFileThere(std::string_view name) {
  const std::string found = FindExistingFile(name);
  return TextFileExists(found) || NoRegularFileAt(found);
}

std::string PathOfStoredName(std::string_view stored, bool codePage437, std::string_view besideDir) {
  if (platform::IsUtf8(stored)) return std::string(stored);
  std::error_code ec;
  const std::string name(stored);
  if (fs::exists(name, ec)) return name;
  if (!besideDir.empty() && name.front() != '/' && fs::exists(AddBackslash(besideDir) + name, ec)) return name;
  return codePage437 ? Cp437ToUtf8(stored) : platform::Utf8FromDisplay(stored);
}

bool DirectoryAccessible(std::string_view dir) {
  const std::string d = RemoveTrailingBackslash(dir);
  if (d.empty() || !IsDirectory(d)) return false;
  std::error_code ec;
  fs::directory_iterator it(d, ec);
  return !ec;
}

bool DirWritable(std::string_view dir) { return platform::DirectoryWritable(std::string(dir)); }

bool DirHasEntries(std::string_view dir) {
  std::error_code ec;
  fs::directory_iterator it(RemoveTrailingBackslash(dir), ec);
  return !ec && it != fs::directory_iterator();
}

int CountFiles(std::string_view pattern) {
  const std::size_t start = NamePartStart(pattern);
  return static_cast<int>(MatchingFiles(pattern.substr(0, start), pattern.substr(start)).size());
}

void DeleteFiles(std::string_view dir, std::string_view mask) {
  for (const auto& name : MatchingFiles(dir, mask)) {
    std::error_code ec;
    const std::string path = dir.empty() ? name : AddBackslash(dir) + name;
    if (!IsDirectory(path)) fs::remove(path, ec);
  }
}

void DeleteTextFile(std::string_view name) {
  const std::string found = FindExistingFile(name);
  if (IsDirectory(found)) return;
  std::error_code ec;
  fs::remove(found, ec);
}

bool ReplacesThroughTemporary(std::string_view dest) {
  std::error_code ec;
  const auto status = fs::status(fs::path(std::string(dest)), ec);
  return !fs::exists(status) || fs::is_regular_file(status);
}

std::string TemporaryNameBeside(std::string_view dest) {
  return platform::CreateTemporaryBeside(std::string(dest));
}

bool CommitFile(const std::string& temporary, const std::string& dest, platform::ReplaceSync sync) {
  return platform::CommitTemporary(temporary, dest, sync);
}

void DiscardTemporaryFile(const std::string& temporary) { platform::DiscardTemporary(temporary); }

std::time_t FileModificationTime(std::string_view name) {
  std::error_code ec;
  const auto t = fs::last_write_time(FindExistingFile(name), ec);
  if (ec) return 0;
  const auto sys = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(t));
  return std::chrono::system_clock::to_time_t(sys);
}

bool CopyFileTo(std::string_view source, std::string_view dest) {
  const std::string src = FindExistingFile(source);
  const std::string target = CopyTarget(source, dest);
  return ReportCopy(CopyThroughTemporary(src, target, 8192), source, target);
}

bool CopyFileReplacing(const std::string& source, const std::string& target, platform::ReplaceSync sync) {
  return CopyThroughTemporary(source, target, 65536, sync) == CopyResult::Ok;
}

bool CopyFileBlocks(std::string_view source, std::string_view dest) {
  const std::string src = FindExistingFile(source);
  const std::string target = NewFileName(dest);
  return ReportCopy(CopyThroughTemporary(src, target, 2048), source, target);
}

bool CopyIfExists(std::string_view source, std::string_view dest) {
  if (!TextFileExists(source)) return true;
  return CopyFileTo(source, AddBackslash(ExtractDirPart(dest)));
}

void CopyFileBetweenDirs(std::string_view mask, std::string_view srcDir, std::string_view dstDir) {
  const auto names = MatchingFiles(srcDir, mask);
  bool failed = names.empty();
  for (const auto& name : names) {
    if (!CopyIfExists(AddBackslash(srcDir) + name, AddBackslash(dstDir))) failed = true;
  }
  AbortFlag = failed ? 1 : 0;
}

// ---------------------------------------------------------------------------

void TodayYMD(int& year, int& month, int& day, int& weekday) {
  const ClockReading now = ClockNow();
  year = now.Year;
  month = now.Month;
  day = now.Day;
  weekday = 0;
}

std::string DateText(int year, int month, int day) {
  const std::string y = IntToText(year), m = IntToTextZeros(month, 2), d = IntToTextZeros(day, 2);
  switch (DateFormatCode) {
    case 1: return d + "." + m + "." + y;
    case 2: return m + "/" + d + "/" + y;
    case 4: return d + "/" + m + "/" + y;
    default: return y + "/" + m + "/" + d;
  }
}

Word DateCodeOfFormat(std::string_view format) {
  const std::size_t first = format.find_first_of("dDmMyY");
  if (first == std::string_view::npos) return 0;
  const std::size_t sep = format.find_first_not_of("dDmMyY", first);
  const char separator = sep == std::string_view::npos ? '/' : format[sep];
  switch (format[first]) {
    case 'y': case 'Y': return 3;
    case 'm': case 'M': return 2;
    default: return separator == '.' ? 1 : 4;
  }
}

void ApplyDateLayout() {
  if (DateCodeSetting >= 1 && DateCodeSetting <= 4)
    DateFormatCode = DateCodeSetting;
  else if (const Word code = DateCodeOfFormat(SystemShortDateFormat()))
    DateFormatCode = code;
}

std::string TodayText() {
  int y, m, d, w;
  TodayYMD(y, m, d, w);
  return DateText(y, m, d);
}

void TimeParts(int& hour, int& minute, int& second, int& hundredths) {
  const ClockReading now = ClockNow();
  hour = now.Hour;
  minute = now.Minute;
  second = now.Second;
  hundredths = now.Hundredths;
}

std::string TimeText() {
  int h, m, s, hs;
  TimeParts(h, m, s, hs);
  return IntToText(h) + ":" + IntToTextZeros(m, 2);
}

std::string FileDateText(std::time_t stamp) {
  std::tm tm{};
  if (const std::tm* local = std::localtime(&stamp)) tm = *local;
  return IntToText(tm.tm_year + 1900) + "/" + IntToTextZeros(tm.tm_mon + 1, 2) + "/" +
         IntToTextZeros(tm.tm_mday, 2);
}

// ---------------------------------------------------------------------------

void SetCommandLineParams(const std::vector<std::string>& params) { g_commandLine = params; }

const std::vector<std::string>& CommandLineParams() { return g_commandLine; }

bool ParamExists(std::string_view sw) {
  const std::string wanted = UpperCaseText(sw);
  return std::any_of(g_commandLine.begin(), g_commandLine.end(),
                     [&](const std::string& p) { return UpperCaseText(p) == wanted; });
}

int MaxPrinterPort() { return 3; }
