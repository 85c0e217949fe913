// The display list of the graphics window: one text record per recorded
// primitive, "code;field;field...", reals with 8 significant digits.
// Every repaint, zoom and printout replays it.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/types.h"

enum TGraphCode : int {
  gcMoveTo = 1,
  gcLineTo = 2,
  gcCircle = 3,
  gcLine = 4,
  gcArc = 5,
  gcOutTextXY = 6,
  gcSolid = 7,
  gcSetColor = 8,
  gcSetTextStyle = 9,
  gcSetWindow = 10,
  gcSetLineStyle = 11,
  gcSetLineWidth = 12,
  gcSleepMs = 13,
};

// A record read back for the replay.
struct TGraphRecord {
  int code = 0;
  Extended v[8] = {};  // coordinates and reals in record order
  int n = 0;           // codes 8, 11, 12, 13
  std::string text;    // code 6
};

// Reads one record. False for a record without a code or with fields that
// do not read as numbers (a damaged record, which the replay skips); codes
// outside 1..13 read as their code alone.
bool ParseGraphRecord(const std::string& line, TGraphRecord& rec);

// The records as text, each read back once and kept beside its text, so
// that a repaint does not parse the list again. Records are only appended
// or all removed, so a record once read stays valid.
class TDisplayList {
 public:
  using value_type = std::string;
  using const_iterator = std::vector<std::string>::const_iterator;
  using iterator = const_iterator;

  TDisplayList() = default;
  TDisplayList(std::initializer_list<std::string> lines) : text_(lines) {}

  void push_back(std::string line) { text_.push_back(std::move(line)); }
  template <typename It>
  void insert(const_iterator at, It first, It last) {
    Forget(static_cast<std::size_t>(at - text_.begin()));
    text_.insert(at, first, last);
  }
  void insert(const_iterator at, std::initializer_list<std::string> lines) {
    insert(at, lines.begin(), lines.end());
  }
  void clear() {
    text_.clear();
    parsed_.clear();
  }

  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  const std::string& operator[](std::size_t i) const { return text_[i]; }
  const std::string& back() const { return text_.back(); }
  const_iterator begin() const { return text_.begin(); }
  const_iterator end() const { return text_.end(); }
  const std::vector<std::string>& Lines() const { return text_; }

  // Record i read back (i < size()); null for a damaged record.
  const TGraphRecord* Record(std::size_t i) const;

  friend bool operator==(const TDisplayList& a, const TDisplayList& b) { return a.text_ == b.text_; }

 private:
  struct Parsed {
    TGraphRecord rec;
    bool ok = false;
  };
  void Forget(std::size_t from) {
    if (parsed_.size() > from) parsed_.resize(from);
  }
  std::vector<std::string> text_;
  mutable std::vector<Parsed> parsed_;  // records 0..parsed_.size()-1 read back
};

// The one display list of the program; null until CreateDisplayList.
extern TDisplayList* DisplayList;

// Creates the list when it does not exist and returns it.
TDisplayList* CreateDisplayList();
void FreeDisplayList();

// Empties the list (creating it when missing).
void InitDisplayList();

// One record field: a real in the general 8-digit format, or an integer.
std::string RealField(Extended v);
std::string IntField(long v);

// Appends "code;f1;f2..." to the list (created on demand).
void AppendGraphRecord(TGraphCode code, std::initializer_list<std::string> fields);

