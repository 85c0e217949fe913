// Memo files: the ".dbt" (dBASE III, dBASE IV, level 7) and ".fpt"
// (FoxPro) files beside a table that hold its memo texts in block groups.
// The unit opens and closes the memo file of a work area, reads a memo into
// the library-wide line array, writes lines or a text back as a memo,
// copies memos between work areas, packs the memo file, and offers a memo
// as a text file. The work-area layer reaches it through TMemoHooks, which
// InitMemo fills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbf/work_area.h"
#include "platform/binary_file.h"

// Memo kinds: the table's version byte.
constexpr std::uint8_t kMemoDbase3 = 0x83;
constexpr std::uint8_t kMemoDbase4 = 0x8B;
constexpr std::uint8_t kMemoLevel7 = 0x8C;
constexpr std::uint8_t kMemoFoxPro = 0xF5;

// One memo as a positioned byte stream (blob_streams.h works on it).
struct TBlobDescriptor {
  bool active = false;
  std::uint8_t mode = 0;            // 1 read, 2 write
  std::int32_t length = -1;         // -1 while unknown (dBASE III text being read)
  std::int64_t dataStart = 0;       // file position of the first data byte
  std::uint8_t headerLength = 0;    // 0 or 8
  std::int32_t position = 0;        // from the data start
  std::int32_t block = 0;
  std::int32_t textMode = 0;        // 0 binary, 1 text (OEM <-> ANSI), -1 decide on the first piece
  std::vector<std::uint8_t> buffer; // translation window, only with a translator
  std::int32_t windowStart = 0x7FFFFFFF - 512;
  std::uint16_t pending = 0;        // bytes of the window not yet written
  std::int32_t written = 0;         // bytes written so far (write mode)
  std::vector<std::uint8_t> plain;  // untranslated bytes written so far, only with a write translator
};

// Memo state of a work area (TDbfWorkArea::memoData).
struct TMemoState {
  platform::FileHandle file = platform::kNoFile;
  std::uint8_t kind = kMemoDbase4;
  std::uint16_t blockSize = 512;
  std::string fileName;
  bool locked = false;
  TBlobDescriptor blob;
};

// Library settings.
extern std::uint16_t MaxMemoLines;   // 1024
extern bool MemoWidthOn;             // wrap at MemoWidth instead of 253
extern std::uint8_t MemoWidth;       // 78
extern std::string MemoLineBreak;    // CR LF: written after each line

// The line array: one memo at a time. MemoLineEnds: 0x0D hard end, 0x8D
// soft end, 0 wrapped line.
extern std::vector<std::string> MemoLines;
extern std::vector<std::uint8_t> MemoLineEnds;
extern std::uint16_t MemoLineCount;

// Start values; fills the memo hooks of the work-area layer.
void InitMemo();

// The memo state of the selected work area, or nullptr.
TMemoState* SelectedMemoState();
// Same, but reports 1019 " No Memo Field [<alias>]" when there is none.
TMemoState* RequireMemoState(const std::string& label);

std::uint8_t GetMemoType();
void CreateMemofile(const std::string& name);
void OpenMemofile(const std::string& tableFileName);
void CloseMemofile();

// Reads memo `block` into the line array.
void GetMemo(std::int32_t block);
// Writes the line array as the memo that replaces `oldBlock`; returns the
// memo's block (0 on failure).
std::int32_t EditMemo(std::int32_t oldBlock);
std::int32_t AddMemo(const std::string& text);
// mode 4: append to the selected work area's memo file; mode 5: write at
// the same block position.
std::int32_t CopyMemo(std::uint8_t sourceArea, std::int32_t block, int mode);
void PackMemofile();

// The stored bytes of memo `block` of the selected work area, without group
// header or terminator. False (and a reported error) when it cannot be read.
bool ReadMemoData(std::int32_t block, std::string& data);
// The memo as text with a CR LF after each line (what reading its text file gives).
bool MemoAsText(std::int32_t block, std::string& text);

// Writing position, group header and main header of the selected memo
// file, shared with the BLOB streams. Returns 0 or an error code.
int PrepareMemoWrite(TMemoState& m, std::int64_t& position, const std::string& label);
int FinishMemoWrite(TMemoState& m, const std::string& label);
int WriteGroupHeader(TMemoState& m, std::int64_t position, std::uint32_t dataLength);
// Where the data of the group at `block` starts and how long it is (-1: a
// dBASE III text, up to its first 0x1A). Returns 0, 1003 when the block is
// not in the file, or an I/O code.
int MemoGroupData(const TMemoState& m, std::int32_t block, std::int64_t& dataStart, std::int64_t& length);
// Releases the memo lock taken by PrepareMemoWrite.
void ReleaseMemoLock(TMemoState& m, const std::string& label);
// The memo's record number text for reports: " Record # <n>".
std::string MemoRecordText();

// A memo as a text file (the memo text-file variable): lines are read from
// and written to the line array; closing a file opened for writing stores
// the memo and the new block in the caller's variable.
class TMemoTextFile {
 public:
  // Attaches the file to the memo whose block is in `blockVar`, in the
  // selected work area. False (1019 reported) without memo state.
  bool AssignMemo(std::int32_t* blockVar);
  int Reset();    // open for reading; returns an I/O code
  int Rewrite();  // start with no lines
  int Append();   // continue after the memo's last line
  // Reading: the next line without its line break; false at the end.
  bool ReadLine(std::string& line);
  bool Eof() const;
  // Writing: text with CR / LF as line ends.
  int Write(const std::string& text);
  int WriteLn(const std::string& text) { return Write(text + "\r\n"); }
  int Close();

 private:
  enum class Mode { Closed, Reading, Writing };
  Mode mode_ = Mode::Closed;
  bool assigned_ = false;
  std::uint8_t area_ = 0;
  std::int32_t* block_ = nullptr;
  std::size_t next_ = 0;       // next line to read
  std::string pending_;        // unfinished last line while writing
};

// Crash-injection seam for tests: called at the steps of PackMemofile
// (0 after each memo copied, 1 new memo file written, 2 new table written,
// 3 memo file renamed, 4 table renamed). Not set in the program.
extern void (*MemoPackStepHook)(int step);

// Finishes a memo pack that a crash interrupted after the new memo file
// was put in place; called when a memo file is opened.
void RecoverInterruptedMemoPack(TDbfWorkArea& wa, const std::string& memoName);
