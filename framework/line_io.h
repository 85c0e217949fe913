// Text files written and read one value per line.
//
// TTextFile is a text file variable: assign a name, open it, read or write
// lines, close it. Lines are read with a trailing CR removed (CRLF and LF
// files both read) and written with CRLF. Rewrite writes into a temporary
// file beside the target that Close renames into place only when every write
// succeeded, so a failed write never destroys the previous file.
//
// The line routines work on the one global TextFileVar and turn every I/O
// error into AbortFlag; a read past the end of the file gives an empty line
// (0, empty text, false) without an error.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"
#include "platform/file_replace.h"

class TTextFile {
 public:
  TTextFile() = default;
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  void Assign(std::string_view name);
  // A user's file (a project): read and written under exactly its name; a
  // file whose name differs only in case is another file, and stays.
  void AssignUserFile(std::string_view name);
  // No file: Rewrite opens a file that keeps nothing written to it.
  void AssignDiscarding();
  const std::string& Name() const { return name_; }

  // Each returns false (and sets nothing else) when the file cannot be opened.
  // Read; the file is found whatever the case of its name, a user's file as
  // named. Only a regular file is opened (without waiting); ResetRefusal()
  // then names the reason.
  bool Reset();
  const std::string& ResetRefusal() const { return refusal_; }
  // Write a new file (devices such as printer ports directly); an output
  // made from a project is Derived: written under exactly its name (an
  // existing file whose name differs in case is another file), replaced
  // whole, not synced. Other files replace the existing one whatever its case.
  // A scratch file ("$" starts its name) in the process's temporary folder
  // (platform::InProcessTempDir) is written in place, and removed when a
  // write fails.
  bool Rewrite(platform::ReplaceSync sync = platform::ReplaceSync::Durable);
  bool Append();   // write at the end of an existing or new file
  // Ends the file; false when a write failed: the target then stays as it
  // was and the failure is reported (ReportFileError, which sets AbortFlag).
  bool Close();
  // Closes and discards any error; a file written through a temporary is not
  // stored (the target stays as it was).
  void CloseQuiet();
  // Writes out what is buffered; false when a write failed.
  bool Flush();
  // The file the writes go to until Close: the temporary, or the target
  // when written directly.
  const std::string& WrittenPath() const { return temporary_.empty() ? target_ : temporary_; }
  bool WritesThroughTemporary() const { return !temporary_.empty(); }

  bool IsOpen() const { return file_ != nullptr; }
  bool IsReading() const { return file_ && !writing_; }
  bool IsWriting() const { return file_ && writing_; }
  bool Failed() const { return failed_; }
  bool Eof();

  // False at the end of the file (line empty) or on an error (Failed()).
  bool ReadLine(std::string& line);
  bool Write(std::string_view text);
  bool WriteLine(std::string_view text);

 private:
  // Store: commit the temporary and report a failure; otherwise discard it.
  bool Finish(bool store);
  // Makes unread bytes available; false at the end of the file or on an error.
  bool FillReadBuffer();

  std::string name_;
  std::string target_;     // the file Close replaces
  std::string temporary_;  // empty when writing directly
  std::string refusal_;    // why the last Reset failed
  bool scratch_ = false;   // a scratch file of this process's temporary folder, written in place
  platform::ReplaceSync sync_ = platform::ReplaceSync::Durable;
  std::FILE* file_ = nullptr;
  bool writing_ = false;
  bool failed_ = false;
  bool discarding_ = false;
  bool exactName_ = false;  // a user's file: never found or replaced whatever its case
  // Lines are read from a block of the file at a time.
  std::vector<char> readBuffer_;
  std::size_t readAt_ = 0, readEnd_ = 0;
};

// The one global text file of the line routines.
extern TTextFile TextFileVar;

void AssignTextFile(TTextFile& f, std::string_view name);
void CloseFileQuiet(TTextFile& f);
// Closes a file being written: stored (Close) unless AbortFlag is set; a
// drawing or report that stopped halfway leaves the old file as it was.
// True when stored.
bool CloseUnlessAborted(TTextFile& f);

// Line input from TextFileVar
void ReadTextLine(std::string& s);
// Splits the line at its first four "|": the texts before the first, between
// the first and second, the second and third, the third and fourth.
void ReadFieldsLine(std::string& a, std::string& b, std::string& c, std::string& d);
void ReadCharLine(char& c);        // first character; the rest of the line skipped
void ReadIntLine(int& n);          // 0 when not a valid integer
void ReadWordLine(Word& n);        // 0 when not a valid 16-bit value
void ReadFloatLine(Extended& x);   // "," read as "."; 0 when invalid
void ReadRealLine(Extended& x);    // the same, rounded to the 6-byte real format
void ReadBoolLine(bool& b);        // true when the line is "TRUE" in any case
void ReadBoolLine(Byte& b);
void ReadBoolLineTrue(bool& b);    // true unless the line is "FALSE" in any case
void ReadBoolLineTrue(Byte& b);

// Line output to TextFileVar
void WriteTextLine(std::string_view s);
void WriteTextLineStr(std::string_view s);
void WriteTextNoEol(std::string_view s);
void WriteIntLine(long long n);
// Whole numbers below 1 (0, -1, ...) in short form, every other value with 7 decimals.
void WriteFloatLine(Extended x);
void WriteCharLine(char c);
void WriteBoolLine(bool b);        // "TRUE" / "FALSE"
void WriteFieldsLine4(std::string_view a, std::string_view b, std::string_view c, std::string_view d);
void WriteFieldsLine6(std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                      std::string_view e, std::string_view f);
void WriteFieldsLine8(std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                      std::string_view e, std::string_view f, std::string_view g, std::string_view h);
// Rule of 65 "-", ProgTitle, "Version " + ProgVersion, the rule, the three HeaderLines.
void WriteFileHeader();

void InitLineIo();  // closes TextFileVar quietly
