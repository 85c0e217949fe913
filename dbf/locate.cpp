#include "dbf/locate.h"

#include <cmath>
#include <cstdio>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"

std::string LocateText;
std::uint8_t LocateField = 0;
bool LocateCaseSensitive = true;
bool LocateExact = false;
bool LocateContained = false;

namespace {

const char* const kLabel = "Locate/Count/Sum";

// The condition of the last LocateFor, kept for Continue, and the
// expression unit's routine that frees it.
TExprDescriptor* LocateCondition = nullptr;
void (*FreeLocateCondition)(TExprDescriptor*& expr) = nullptr;

void FreeCondition() {
  if (LocateCondition && FreeLocateCondition) FreeLocateCondition(LocateCondition);
  LocateCondition = nullptr;
}

std::string NumberText(long double v, int length, int decimals) {
  return decimals > 0 ? FixedNumberText(v, length, decimals) : FixedNumberText(std::trunc(v), length, 0);
}

// A date text as the display date: eight digits are YYYYMMDD.
std::string DisplayDate(const std::string& text) {
  std::string t = AllTrim(text);
  if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string::npos) return STOD(t);
  return t;
}

// Field f of record n as text to compare with LocateText. Stored text is
// turned into the program's character set and dates into display dates,
// the form LocateText has.
std::string ComparisonValue(std::int32_t n, int f) {
  TDbfWorkArea* wa = SelectedWorkArea();
  const TDbfFieldEntry& fe = wa->fields[f - 1];
  if (!wa->isVirtual) {
    std::string v;
    Peek(f, n, v);
    if (fe.type == 'C' || fe.type == 'M') {
      if (wa->readTranslator && !v.empty()) wa->readTranslator(v.data(), v.size());
      if (wa->oem) OemToAnsiBuffer(v.data(), v.size());
      return v;
    }
    if (fe.type == 'D') return DisplayDate(v);
    if (fe.type == 'L') return !v.empty() && TrueLetter(v[0]) ? "T" : "F";
    return v;
  }
  // Virtual: format from the typed record, then go back.
  std::int32_t old = wa->recordNumber;
  bool wasAfterEnd = old > wa->recordCount || old < 1;
  Go(n);
  std::string v;
  switch (fe.type) {
    case 'D': v = GetFieldText(f); break;
    case 'N':
    case 'F': v = NumberText(GetFieldValue(f), fe.length, fe.decimals); break;
    case 'L': v = GetFieldLogical(f) ? "T" : "F"; break;
    default: v = TzPadRight(GetFieldText(f), fe.length); break;
  }
  if (wasAfterEnd) {
    GoBottom();
    if (!dEOF()) Skip(1);
  } else {
    Go(old);
  }
  return v;
}

bool SameNumber(const std::string& a, const std::string& b) {
  double x = 0, y = 0;
  return StoredNumber(a, x) && StoredNumber(b, y) && x == y;
}

void PlaceAfterEnd() {
  ErrorDispatchOff off;
  GoBottom();
  if (RecCount() > 0 && !dEOF()) Skip(1);
  TzLastError = 0;
}

}  // namespace

void InitLocate() {
  LocateText.clear();
  LocateField = 0;
  LocateCaseSensitive = true;
  LocateExact = false;
  LocateContained = false;
  FreeCondition();
}

int ParseFieldCondition(const std::string& spec) {
  TzLastError = 0;
  if (NoDatabaseInUse(kLabel)) return 0;
  std::string s = " " + TzUpperCase(spec) + " ";
  auto take = [&s](const char* word) {
    std::string w = std::string(" ") + word + " ";
    bool found = false;
    for (std::size_t p; (p = s.find(w)) != std::string::npos;) {
      s.erase(p, w.size() - 1);
      found = true;
    }
    return found;
  };
  LocateCaseSensitive = !take("NOCASE");
  LocateExact = take("EXACT");
  LocateContained = take("CONTAINED");
  std::string name = AllTrim(s);
  if (name.empty()) {
    DederError(220, "No field name specified [Locate/Count/Sum]");
    return 0;
  }
  int f = FieldNo(name);
  if (f == 0) DederError(220, "Unrecognized field name [Locate/Count/Sum(" + spec + ")]");
  return f;
}

bool MemoContains(const std::string& text, const std::string& block) {
  if (!MemoHooks.AssignMemo) {
    DederError(220, "MEMO unit not linked in [Count/Sum/Continue]");
    return false;
  }
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->isVirtual) return false;
  std::int32_t b = StoredLong(AllTrim(block));
  if (b < 1) return false;
  std::string memo;
  {
    ErrorDispatchOff off;
    if (!MemoHooks.AssignMemo(b, memo)) {
      TzLastError = 0;
      return false;
    }
  }
  std::size_t start = 0;
  while (start < memo.size()) {
    std::size_t end = memo.find("\r\n", start);
    if (end == std::string::npos) end = memo.size();
    std::string line = memo.substr(start, end - start);
    if (!LocateCaseSensitive) line = TzUpperCase(line);
    if (line.find(text) != std::string::npos) return true;
    start = end + 2;
  }
  return false;
}

void LocateScan(std::int32_t start, int f, bool first) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(kLabel);
    return;
  }
  if (f < 1 || f > wa->fieldCount) {
    DederError(220, "Invalid field number. [Locate/Count/Sum(" + std::to_string(f) + ")]");
    return;
  }
  if (first) {
    FreeCondition();
    if (!LocateExact) LocateText = AllTrim(LocateText);
    if (!LocateCaseSensitive) LocateText = TzUpperCase(LocateText);
    LocateField = static_cast<std::uint8_t>(f);
  }
  const TDbfFieldEntry fe = wa->fields[f - 1];
  const bool memo = fe.type == 'M';
  std::int32_t count = RecCount();
  for (std::int32_t n = std::max(start, 1); n <= count; ++n) {
    IdleHook();
    std::string value = ComparisonValue(n, f);
    if (TzLastError != 0) return;
    bool match;
    if (memo) {
      match = MemoContains(LocateText, value);
    } else {
      // Numbers are right-aligned in their field and compared whole, as
      // texts or as the numbers they are: a search for 4 never finds 42.
      const bool number = fe.type == 'N' || fe.type == 'F';
      if (!LocateExact && number) value = AllTrim(value);
      if (!LocateExact && !LocateContained && !number && value.size() > LocateText.size())
        value.resize(LocateText.size());
      if (!LocateCaseSensitive) value = TzUpperCase(value);
      match = LocateContained ? value.find(LocateText) != std::string::npos
                              : value == LocateText || (number && !LocateExact && SameNumber(value, LocateText));
    }
    if (match) {
      Go(n);
      return;
    }
  }
  PlaceAfterEnd();
  LocateField = 0;
}

bool LocateFor(const std::string& condition) {
  TzLastError = 0;
  if (NoDatabaseInUse("LocateFor")) return false;
  if (!ParserLinked || !ExprHooks.Compile || !ExprHooks.Evaluate) {
    DederError(220, "Expression unit not linked in [LocateFor(" + condition + ")]");
    return false;
  }
  FreeCondition();
  LocateField = 0;
  TExprDescriptor* expr = ExprHooks.Compile(condition);
  if (!expr || TzLastError != 0) {
    if (expr && ExprHooks.Free) ExprHooks.Free(expr);
    if (TzLastError == 0) DederError(220, "Invalid condition [LocateFor(" + condition + ")]");
    return false;
  }
  LocateCondition = expr;
  FreeLocateCondition = ExprHooks.Free;
  std::int32_t count = RecCount();
  for (std::int32_t n = 1; n <= count; ++n) {
    Go(n);
    if (TzLastError != 0) return false;
    TExprValue v = ExprHooks.Evaluate(LocateCondition);
    if (v.type == 'L' && v.logical) return true;
  }
  PlaceAfterEnd();
  FreeCondition();
  return false;
}

void Continue() {
  TzLastError = 0;
  if (NoDatabaseInUse("Continue")) return;
  if (LocateCondition) {
    std::int32_t count = RecCount();
    for (std::int32_t n = RecNo() + 1; n <= count; ++n) {
      Go(n);
      if (TzLastError != 0) return;
      TExprValue v = ExprHooks.Evaluate(LocateCondition);
      if (v.type == 'L' && v.logical) return;
    }
    PlaceAfterEnd();
    FreeCondition();
    return;
  }
  if (LocateField == 0) {
    DederError(220, "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
    return;
  }
  LocateScan(RecNo() + 1, LocateField, false);
}

bool LocateValue(const std::string& spec, const TLocateValue& value, bool noCase, std::int32_t start, bool exact) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(kLabel);
    return false;
  }
  std::string s = TzUpperCase(AllTrim(spec));
  s = s.substr(0, s.find(' '));
  if (noCase) s += " NOCASE";
  if (exact) s += " EXACT";
  int f = ParseFieldCondition(s);
  if (f == 0) return false;
  const TDbfFieldEntry& fe = wa->fields[f - 1];
  if (fe.type == 'M' && wa->isVirtual) {
    PlaceAfterEnd();
    LocateField = static_cast<std::uint8_t>(f);
    return false;
  }
  auto asText = [&value]() -> std::string {
    switch (value.kind) {
      case TLocateValue::Kind::Number: {
        std::string t;
        FloatToStrDec(value.number, 0, 10, t);
        return t;
      }
      case TLocateValue::Kind::Logical: return value.logical ? "T" : "F";
      default: return value.text;
    }
  };
  if ((fe.type == 'N' || fe.type == 'F') && value.kind == TLocateValue::Kind::Text) {
    // A text sought in a number field is the number it holds; one that holds
    // none is named rather than sought as 0.
    long double number = 0;
    const TStoredRead read = ReadStoredNumber(value.text, number);
    if (read == TStoredRead::NoNumber || read == TStoredRead::OutOfRange) {
      DederError(106, "Field " + std::string(fe.name.view()) + ": " + StoredNumberFault(value.text, read) + " [" +
                          kLabel + "]");
      return false;
    }
  }
  auto asNumber = [&value]() -> long double {
    if (value.kind == TLocateValue::Kind::Number) return value.number;
    if (value.kind == TLocateValue::Kind::Logical) return value.logical ? 1 : 0;
    return StoredReal(value.text);
  };
  switch (fe.type) {
    case 'C':
      LocateText = asText();
      if (exact) LocateText = TzPadRight(LocateText, fe.length);
      break;
    case 'D': LocateText = DisplayDate(asText()); break;
    case 'N':
    case 'F': LocateText = NumberText(asNumber(), fe.length, fe.decimals); break;
    case 'L': {
      bool b = value.kind == TLocateValue::Kind::Logical
                   ? value.logical
                   : value.kind == TLocateValue::Kind::Number
                         ? value.number != 0
                         : (!value.text.empty() && TrueLetter(value.text[0]));
      LocateText = b ? "T" : "F";
      break;
    }
    default: LocateText = asText(); break;
  }
  LocateScan(start, f, true);
  while (TzLastError == 0 && !dEOF() && !IsRecordVisible()) Continue();
  return TzLastError == 0 && !dEOF();
}

std::string FieldItem(int i, const std::string& list) {
  std::size_t start = 0;
  for (int k = 0; k < i; ++k) {
    std::size_t p = list.find(';', start);
    if (p == std::string::npos) return std::string();
    start = p + 1;
  }
  std::size_t end = list.find(';', start);
  return AllTrim(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

bool LocateFields(const std::string& fields, const std::vector<TLocateValue>& values, bool noCase, bool move,
                  bool exact) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(kLabel);
    return false;
  }
  std::int32_t old = wa->recordNumber;
  const bool wasAfterEnd = wa->endFlag || old < 1 || old > wa->recordCount;
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  bool found = false;
  int count = 1;
  for (char c : fields) count += c == ';';
  if (count == 1) {
    found = LocateValue(fields, values.empty() ? TLocateValue() : values[0], noCase, 1, exact);
  } else {
    int i = 0;
    std::int32_t start = 1;
    for (;;) {
      const TLocateValue v = static_cast<std::size_t>(i) < values.size() ? values[i] : TLocateValue();
      found = LocateValue(FieldItem(i, fields), v, noCase, start, exact);
      if (!found) break;
      ++i;
      std::int32_t at = RecNo();
      if (i > 1 && at != start) {
        i = 0;  // a later record: every field again from there
      } else if (i == count) {
        break;
      }
      start = at;
    }
  }
  if (!(move && found)) {
    if (wasAfterEnd) PlaceAfterEnd();
    else GoChecked(old);
  }
  wa->relationCallback = relation;
  return found;
}
