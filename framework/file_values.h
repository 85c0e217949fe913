// Values in the program's own stored text files (project file and its
// sections): numbers written so that they read back exactly, with "." as the
// decimal sign whatever the display settings say, and a cursor over the lines
// of a file for the position-based readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/types.h"

// The largest magnitude a number of a stored file may have: no input of a
// joint comes near it, and a form accepts nothing larger.
constexpr Extended kLargestStoredNumber = 1e100L;

// A stored number: whole values below 1 as an integer ("0", "-2"); other
// values with 7 decimals ("60.0000000", "0.3000000") when that reads back
// as the same value, else with as many digits as it takes ("1.15e-05").
std::string FileFloatText(Extended x);

// Numbers of stored lines. Blanks around the number are ignored and "," is
// read as "."; false (value unchanged) when the text is no number.
bool ParseFileFloat(std::string_view text, Extended& x);
bool ParseFileInt(std::string_view text, long long& n);

// The lines of a text held in memory (CR LF or LF ends a line).
std::vector<std::string> SplitTextLines(std::string_view data);

// The most a text file of the program (a report, a table of texts, a help
// file) and a picture may hold: what lies beyond is no such file.
constexpr std::size_t kLargestTextFile = std::size_t{64} << 20;
constexpr std::size_t kLargestPicture = std::size_t{16} << 20;

// Reads a whole file as it is, the file of exactly that name, opened as
// OpenFileForReading opens it (a FIFO, device or folder is refused unread).
// False when it cannot be read or is larger than maxBytes; the reason goes
// to error.
bool LoadTextBytes(const std::string& path, std::string& data, std::string& error,
                   std::size_t maxBytes = 1 << 20);
// Reads a whole text file into lines (CR LF or LF ends a line). False when
// it cannot be read or is larger than maxBytes; the reason goes to error.
bool LoadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error,
                   std::size_t maxBytes = 1 << 20);

// The lines of a file, read one after the other. Reading past the end gives
// false and marks the cursor; a reader that needs a value records a fault
// (the first one is kept), so a damaged file is reported with its line number.
class TLineCursor {
 public:
  explicit TLineCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  bool AtEnd() const { return pos_ >= lines_.size(); }
  std::size_t LineNo() const { return pos_; }  // lines read so far
  const std::string& Peek() const;             // the next line, empty at the end
  bool RestIsBlank() const;                    // no line left but blank ones

  // Each returns false at the end of the file (value unchanged). A line
  // that is there but holds no valid value records a fault.
  bool Text(std::string& s);
  template <std::size_t N>
  bool Text(ShortString<N>& s) {
    std::string t;
    if (!Text(t)) return false;
    s = t;
    return true;
  }
  bool Float(Extended& x);
  bool Int(std::int32_t& n);
  bool Word16(Word& n);  // 0..65535
  // A flag: 0 or 1, as the digit or as the raw byte of older files; any
  // other line records a fault.
  bool Flag(Byte& b);
  // The next line must be exactly this keyword.
  bool Keyword(std::string_view word);

  void Fault(const std::string& what);
  bool Damaged() const { return !fault_.empty(); }
  const std::string& FaultText() const { return fault_; }

  // From now on marks in numbers (one entry a line) every line read as a
  // number or flag.
  void MarkNumberLines(std::vector<bool>& numbers) { numbers_ = &numbers; }

 private:
  const std::string* NextLine();
  void MarkNumber();

  std::vector<std::string> lines_;
  std::size_t pos_ = 0;
  std::string fault_;
  std::vector<bool>* numbers_ = nullptr;
};
