// Locate and Continue: a sequential scan of the selected work area for the
// first record whose field matches a value (prefix, exact or contained,
// with or without case), continued record by record; the dataset forms
// over one or several fields; and a scan for a condition expression.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Scan state, one for the whole library.
extern std::string LocateText;
extern std::uint8_t LocateField;       // 0: no scan to continue
extern bool LocateCaseSensitive;
extern bool LocateExact;
extern bool LocateContained;

void InitLocate();

// A value to look for: a text, a number or a logical (what the dataset
// layer hands over as a variant).
struct TLocateValue {
  enum class Kind { Text, Number, Logical } kind = Kind::Text;
  std::string text;
  long double number = 0;
  bool logical = false;

  TLocateValue() = default;
  TLocateValue(const char* t) : text(t) {}
  TLocateValue(std::string t) : text(std::move(t)) {}
  TLocateValue(long double n) : kind(Kind::Number), number(n) {}
  TLocateValue(double n) : kind(Kind::Number), number(n) {}
  TLocateValue(int n) : kind(Kind::Number), number(n) {}
  TLocateValue(bool b) : kind(Kind::Logical), logical(b) {}
};

// "NAME NOCASE EXACT CONTAINED": the field number, and the switches set.
int ParseFieldCondition(const std::string& spec);
void LocateScan(std::int32_t start, int field, bool first);
void Continue();
bool LocateValue(const std::string& spec, const TLocateValue& value, bool noCase, std::int32_t start, bool exact);
// Several fields separated by ";" with one value each. Unless `move`, the
// work area stays on its record.
bool LocateFields(const std::string& fields, const std::vector<TLocateValue>& values, bool noCase, bool move,
                  bool exact);
// The i-th ";"-separated item (from 0).
std::string FieldItem(int i, const std::string& list);
// Whether a line of the memo whose block number is `block` (as field text)
// contains `text`.
bool MemoContains(const std::string& text, const std::string& block);

// The first record, from the top, for which the condition expression is
// true; Continue then goes on from the next record. Needs the expression
// unit.
bool LocateFor(const std::string& condition);
