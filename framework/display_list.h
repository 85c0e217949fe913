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

// A record as the replay reads it. Reals are doubles: the value of the
// record's 8-digit text.
struct TGraphRecord {
  int code = 0;
  double v[8] = {};  // coordinates and reals in record order
  int n = 0;         // codes 8, 11, 12, 13; the font of code 9
  std::string text;  // code 6
};

// Reads one record. False for a record without a code or with fields that
// do not read as numbers (a damaged record, which the replay skips); codes
// outside 1..13 read as their code alone.
bool ParseGraphRecord(const std::string& line, TGraphRecord& rec);

// The text of a record that the recording routines made (codes 3..13).
std::string GraphRecordText(const TGraphRecord& rec);

// The records of the list. The recording routines append them binary, as
// the replay reads them; their text ("code;field;...") is made only when it
// is asked for. Records given as text are read back once and kept beside
// their text. Records are only appended, inserted or all removed.
class TDisplayList {
 public:
  using value_type = std::string;
  using const_iterator = std::vector<std::string>::const_iterator;
  using iterator = const_iterator;

  TDisplayList() = default;
  TDisplayList(std::initializer_list<std::string> lines) {
    for (const std::string& l : lines) push_back(l);
  }

  // A record given as text.
  void push_back(std::string line);
  // A record made by a recording routine (fields as GraphRecordText writes them).
  void Append(TGraphRecord rec) { records_.push_back({std::move(rec), true, false, {}}); }
  template <typename It>
  void insert(const_iterator at, It first, It last) {
    const std::size_t pos = static_cast<std::size_t>(at - lines_.begin());
    std::vector<Entry> added;
    for (; first != last; ++first) added.push_back(FromText(std::string(*first)));
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(pos), added.begin(), added.end());
    if (lines_.size() > pos) lines_.resize(pos);
  }
  void insert(const_iterator at, std::initializer_list<std::string> lines) {
    insert(at, lines.begin(), lines.end());
  }
  void clear() {
    records_.clear();
    lines_.clear();
    ++clears_;
  }
  // How often the list was cleared: a drawing is still the one shown while
  // the count is the one after it was drawn.
  std::size_t ClearCount() const { return clears_; }

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  // The text of the records (made on demand).
  const std::string& operator[](std::size_t i) const { return Lines()[i]; }
  const std::string& back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return Lines().begin(); }
  const_iterator end() const { return Lines().end(); }
  const std::vector<std::string>& Lines() const;

  // Record i as the replay reads it (i < size()); null for a damaged record.
  const TGraphRecord* Record(std::size_t i) const {
    return i < records_.size() && records_[i].ok ? &records_[i].rec : nullptr;
  }
  int Code(std::size_t i) const { return records_[i].rec.code; }

  friend bool operator==(const TDisplayList& a, const TDisplayList& b) {
    return a.Lines() == b.Lines();
  }

 private:
  struct Entry {
    TGraphRecord rec;
    bool ok = false;        // reads as a record
    bool fromText = false;  // given as text: source holds it
    std::string source;
  };
  static Entry FromText(std::string line);
  std::vector<Entry> records_;
  mutable std::vector<std::string> lines_;  // text of records 0..lines_.size()-1
  std::size_t clears_ = 0;
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

// Appends "code;f1;f2..." given as text to the list (created on demand).
void AppendGraphRecord(TGraphCode code, std::initializer_list<std::string> fields);

// Append records of the recording routines to the list (created on demand),
// each real taken as its 8-digit text gives it.
// Codes 3, 4, 5 and 7: the reals in record order.
void AppendGraphReals(TGraphCode code, std::initializer_list<Extended> reals);
// Codes 8, 11, 12 and 13.
void AppendGraphInt(TGraphCode code, int n);
void AppendGraphText(Extended x, Extended y, const std::string& text);
void AppendGraphTextStyle(Extended height, Extended width, int font, Extended angle);
void AppendGraphWindow(int px1, int py1, int px2, int py2, Extended xmin, Extended ymin,
                       Extended xmax, Extended ymax);

