// Shared set-up of the table engine tests: defaults, a private folder and
// small helpers to build tables.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/init.h"
#include "dbf/memo.h"
#include "dbf/runtime.h"
#include "dbf/vfiles.h"
#include "dbf/work_areas.h"
#include "framework/clock.h"
#include "framework/init.h"
#include "platform/os.h"
#include "../fork_handshake.h"
#include "../run_program.h"
#include "../shell_quote.h"

namespace dbftest {

inline TDbfFieldEntry F(const char* name, char type, int len, int dec = 0) {
  TDbfFieldEntry e;
  e.name = name;
  e.type = type;
  e.length = static_cast<std::uint8_t>(len);
  e.decimals = static_cast<std::uint8_t>(dec);
  return e;
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<unsigned char> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline std::string ReadText(const std::string& path) {
  auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

// Whether the system's Python has `module`.
inline bool PythonModule(const char* module) {
  return ProgramSucceeds({"/usr/bin/python3", "-c", "import " + std::string(module)});
}

// Runs a Python script with the arguments and gives what it printed, kept in `out`.
inline std::string RunPython(const std::string& script, const std::vector<std::string>& args, const std::string& out) {
  std::vector<std::string> argv{"/usr/bin/python3", "-W", "ignore", script};
  argv.insert(argv.end(), args.begin(), args.end());
  if (RunProgram(argv, {"/dev/null", out, ""}) != 0) return "<python failed>";
  return ReadText(out);
}
inline std::string RunPython(const std::string& script, const std::string& arg, const std::string& out) {
  return RunPython(script, std::vector<std::string>{arg}, out);
}

// `len` bytes of record `rec` (from 1) at byte `from` of the table file.
inline std::string RecordText(const std::string& path, int rec, int from, int len) {
  auto b = ReadBytes(path);
  std::size_t header = b[8] | (b[9] << 8), recLen = b[10] | (b[11] << 8);
  return std::string(reinterpret_cast<char*>(&b[header + (rec - 1) * recLen + from]), len);
}

// Waits for a child and gives its exit code, or -1 when it did not exit.
inline int ExitCode(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Kills and reaps a child that is still running when the test leaves its
// scope (a failed assertion returns early), so that a child working in an
// endless loop never outlives the test and holds its output open.
class KillChildOnExit {
 public:
  explicit KillChildOnExit(pid_t child) : child_(child) {}
  ~KillChildOnExit() {
    if (child_ > 0 && waitpid(child_, nullptr, WNOHANG) == 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }
  KillChildOnExit(const KillChildOnExit&) = delete;
  KillChildOnExit& operator=(const KillChildOnExit&) = delete;

 private:
  pid_t child_;
};

// Forks a child that runs `work` and exits with 0 when it succeeds.
template <class Work>
pid_t Child(ForkHandshake& shake, Work work) {
  pid_t pid = fork();
  if (pid == 0) {
    shake.InChild();
    bool ok = work();
    CloseAll();
    _exit(ok ? 0 : 1);
  }
  shake.InParent();
  return pid;
}

// The text of the memo at `block` of the selected table, or "<error>".
inline std::string MemoText(std::int32_t block) {
  std::string data;
  return ReadMemoData(block, data) ? data : "<error>";
}

// The record a search left current, negated when it found nothing.
inline int Landed(bool found) { return found ? RecNo() : -RecNo(); }

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The engine's national settings of a desktop of `country` (the codes of
// DetectCountry: 0 American, 5 German), with two-digit years.
inline void UseCountry(std::uint8_t country) {
  TzCountry = country;
  TzCentury = false;
  SetDateFormat(country);
  ApplyCountrySeparators(country);
}

class DbfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitDbfModules();
    // An American desktop's dates and numbers, whatever desktop the tests
    // run on: they write their texts in its layout. Tests of other national
    // settings set theirs.
    UseCountry(0);
    SetErrorDispatch(false);  // tests read TzLastError
    ClockReading r;
    r.Year = 2024;
    r.Month = 5;
    r.Day = 17;
    PinClock(r);
    dir_ = platform::ProcessTempDir() + "/" +
           ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    CloseAllAtExit();
    UnpinClock();
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Creates a table with the given fields.
  std::string Create(const std::string& name, const std::vector<TDbfFieldEntry>& fields) {
    TDbfWorkArea wa;
    std::string p = Path(name);
    CreateDbf(wa, p, static_cast<int>(fields.size()), fields.data());
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    return p;
  }

  // Appends one record per row, its texts into the fields in order.
  static void AppendTexts(const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows) {
      ClearRecord();
      for (std::size_t i = 0; i < row.size(); ++i) SetFieldText(static_cast<int>(i + 1), row[i]);
      Append();
    }
  }

  static void DeleteRecs(std::initializer_list<int> recs) {
    for (int r : recs) Go(r), DeleteRec();
  }

  // The trimmed texts of `field` in the current order, each followed by ",".
  static std::string Column(int field = 1) {
    std::string out;
    for (GoTop(); !dEOF(); Skip(1)) out += AllTrim(GetFieldText(field)) + ",";
    return out;
  }

  // Record `rec`'s fields as trimmed texts joined by "|".
  static std::string Fields(int rec) {
    Go(rec);
    std::string out;
    for (int i = 1; i <= FieldCount(); ++i) out += (i > 1 ? "|" : "") + AllTrim(GetFieldText(i));
    return out;
  }

  // Creates `name` with `fields`, opened exclusively, holding `rows`.
  std::string Filled(const std::string& name, const std::vector<TDbfFieldEntry>& fields,
                     const std::vector<std::vector<std::string>>& rows) {
    std::string p = Create(name, fields);
    Use(p + " EXCLUSIVE");
    AppendTexts(rows);
    return p;
  }

  // Table NAME C10, QTY N5, PRICE N8.2, DAY D, OK L with `n` records
  // NAME = "R<i>", QTY = i, opened exclusively in the selected work area.
  std::string Sample(int n, const std::string& name = "sample.dbf") {
    std::string p = Create(name, {F("NAME", 'C', 10), F("QTY", 'N', 5), F("PRICE", 'N', 8, 2),
                                  F("DAY", 'D', 8), F("OK", 'L', 1)});
    Use(p + " EXCLUSIVE");
    for (int i = 1; i <= n; ++i) {
      ClearRecord();
      SetFieldText(1, "R" + std::to_string(i));
      SetFieldValue(2, i);
      SetFieldValue(3, i * 1.25L);
      SetFieldText(4, "05/17/24");
      SetFieldLogical(5, i % 2 == 0);
      Append();
    }
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    return p;
  }

  // NAME C10, NOTES M, MORE M of the given memo kind, opened exclusively, with `n`
  // records whose memos are "note <i>" and "more <i>".
  std::string MemoTable(std::uint8_t kind, int n, const std::string& name = "memo.dbf",
                        std::uint16_t blockSize = 512) {
    CreateVersionByte = kind;
    MemoBlockSize = blockSize;
    std::string p = Create(name, {F("NAME", 'C', 10), F("NOTES", 'M', 10), F("MORE", 'M', 10)});
    Use(p + " EXCLUSIVE");
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    for (int i = 1; i <= n; ++i) {
      std::string s = std::to_string(i);
      AppendTexts({{"R" + s, std::to_string(AddMemo("note " + s)), std::to_string(AddMemo("more " + s))}});
    }
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    return p;
  }

  // Opens the virtual file `name` (with `words`, such as " ASCENDING") of `fields` in the selected work area.
  void UseVirtual(const std::string& name, const std::vector<TDbfFieldEntry>& fields, const std::string& words = "") {
    std::fill(std::begin(virtualRecord_), std::end(virtualRecord_), 0);
    Use(name + " VIRTUAL FILE" + words, virtualRecord_, sizeof virtualRecord_);
    AddStru(fields.data(), static_cast<int>(fields.size()));
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
  }

  std::string dir_;
  std::uint8_t virtualRecord_[64];
};

}  // namespace dbftest
