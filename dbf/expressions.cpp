#include "dbf/expressions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "dbf/byte_order.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/index_keys.h"
#include "dbf/runtime.h"
#include "platform/c_numbers.h"

std::uint8_t ExprDefaultDecimals = 2;

#include "dbf/expression_codes.h"

using namespace expr_codes;

namespace {

// ---- evaluation -------------------------------------------------------------

struct Value {
  int type = kExprL;
  double number = 0;
  std::string text;
};

void CutText(std::string& s) {
  if (s.size() > kTextLimit) s.resize(kTextLimit);
}

std::string Trimmed(const std::string& s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

double Trunc(double v) { return std::trunc(v); }

// Count argument as a safe size.
std::size_t CountOf(double v) {
  if (!(v > 0)) return 0;
  return v >= kTextLimit ? kTextLimit : static_cast<std::size_t>(v);
}

// The text a table file would hold for the typed value at `p`.
std::string TypedFieldText(const TDbfFieldEntry& f, const std::uint8_t* p) {
  std::string text;
  switch (f.type) {
    case 'C':
      text.assign(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.length));
      break;
    case 'D':
      text = DTOS(std::string(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], 10)));
      break;
    case 'L': text = p[0] != 0 ? "T" : "F"; break;
    case 'N':
    case 'F':
      if (f.decimals > 0) text = RoundedNumberText(Real48Decimal(p), f.decimals);
      else text = std::to_string(static_cast<std::int32_t>(Get32(p)));
      break;
    default: text = std::to_string(static_cast<std::int32_t>(Get32(p))); break;  // memo block
  }
  text.resize(f.length, ' ');
  return text;
}

// A number text as the engine reads every stored one; a text that is no
// number, or beyond range, is named and gives 0. Reported without the
// dispatcher, so that an index key or a filter evaluated inside a change
// finishes it; the change's caller then finds the error.
double StoredTextNumber(const TDbfFieldEntry* field, std::string_view text) {
  double v = 0;
  const TStoredRead read = ReadStoredNumber(text, v);
  if (read == TStoredRead::Number) return v;
  if (read != TStoredRead::Blank) {
    ErrorDispatchOff quiet;
    const std::string what = field ? "Field " + std::string(field->name.view()) : std::string("VAL");
    DederError(106, what + ": " + StoredNumberFault(text, read) + " [Evaluate/Engine]");
  }
  return 0;
}

Value FetchField(const TExprOp& op) {
  Value v;
  int area = op.area ? op.area : SelectedArea;
  TDbfWorkArea* wa = area >= 1 && area <= kMaxWorkAreas ? WorkAreas[area].get() : nullptr;
  int base = op.code > kTokFieldM ? op.code - 5 : op.code;
  const TDbfFieldEntry* f = wa && op.field >= 1 && op.field <= wa->fieldCount ? &wa->fields[op.field - 1] : nullptr;
  bool record = wa && f && wa->recordNumber >= 1 && wa->recordNumber <= wa->recordCount &&
                wa->recordBuffer.size() >= static_cast<std::size_t>(f->offset) + f->length;
  std::string raw = record ? std::string(wa->recordBuffer.data() + f->offset, f->length) : std::string();
  // A virtual table keeps its records only in typed form: the field's text
  // comes from the typed value, as the file would hold it.
  if (!record && wa && f && wa->isVirtual && wa->typedRecord && wa->recordNumber >= 1 &&
      wa->recordNumber <= wa->recordCount && static_cast<std::size_t>(op.field) <= wa->typedOffsets.size()) {
    raw = TypedFieldText(*f, wa->typedRecord + wa->typedOffsets[op.field - 1]);
    record = true;
  }
  switch (base) {
    case kTokFieldC:
      v.type = kExprC;
      v.text = record ? raw : std::string(f ? f->length : 0, ' ');
      CutText(v.text);
      break;
    case kTokFieldD:
      v.type = kExprD;
      v.number = record ? JulianFromDbf(raw) : 0;
      break;
    case kTokFieldN: {
      v.type = kExprN;
      v.number = StoredTextNumber(f, raw);
      break;
    }
    case kTokFieldL: {
      v.type = kExprL;
      char c = raw.empty() ? ' ' : raw[0];
      v.number = TrueLetter(c) ? 1 : 0;
      break;
    }
    default: {
      v.type = kExprM;
      std::int32_t block = 0;
      std::string t = AllTrim(raw);
      if (!t.empty()) std::from_chars(t.data(), t.data() + t.size(), block);
      if (MemoHooks.AssignMemo && block != 0) {
        std::uint8_t selected = SelectedArea;
        SelectedArea = static_cast<std::uint8_t>(area);
        std::string memo;
        MemoHooks.AssignMemo(block, memo);
        SelectedArea = selected;
        for (char c : memo)
          if (c != '\r' && c != '\n') v.text += c;
        CutText(v.text);
      }
      break;
    }
  }
  return v;
}

int CompareText(const std::string& a, const std::string& b) {
  int c = CompareBytes(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::string DateTextOf(double julian) { return DisplayFromJulian(DayNumber(julian)); }

// A number that counts (decimals, a width, a position) as a whole number; a
// NaN is named and counts as 0.
double WholeArgument(double v, const char* function) {
  if (!std::isnan(v)) return Trunc(v);
  DederError(358, std::string("Error during evaluation: ") + function + "() of a value that is no number [Evaluate/Engine]");
  return 0;
}

void Run(TExprDescriptor& d, std::vector<Value>& st) {
  st.clear();
  auto pop = [&]() {
    Value v = std::move(st.back());
    st.pop_back();
    return v;
  };
  auto pushN = [&](double n, int type = kExprN) {
    Value v;
    v.type = type;
    v.number = n;
    st.push_back(std::move(v));
  };
  auto pushC = [&](std::string s) {
    CutText(s);
    Value v;
    v.type = kExprC;
    v.text = std::move(s);
    st.push_back(std::move(v));
  };
  for (const TExprOp& op : d.code) {
    if (op.code == kEndMark) break;
    if (op.code == 0) {
      Value v;
      v.type = op.type;
      v.number = op.number;
      v.text = op.text;
      st.push_back(std::move(v));
      continue;
    }
    if ((op.code >= kTokFieldC && op.code <= kTokFieldM) ||
        (op.code >= kTokFieldC + 5 && op.code <= kTokFieldM + 5)) {
      st.push_back(FetchField(op));
      continue;
    }
    if (st.size() < static_cast<std::size_t>(op.args)) return;  // cannot happen for compiled code
    switch (op.code) {
      case kAddNN: case kAddND: case kAddDN: { Value b = pop(), a = pop(); pushN(a.number + b.number, op.type); break; }
      case kSubNN: case kSubDN: case kSubDD: { Value b = pop(), a = pop(); pushN(a.number - b.number, op.type); break; }
      case kAddCC: { Value b = pop(), a = pop(); pushC(a.text + b.text); break; }
      case kSubCC: {
        Value b = pop(), a = pop();
        std::string left = Trimmed(a.text);
        pushC(left + b.text + std::string(a.text.size() - left.size(), ' '));
        break;
      }
      case kMul: { Value b = pop(), a = pop(); pushN(a.number * b.number); break; }
      case kDiv: {
        Value b = pop(), a = pop();
        if (b.number == 0) {
          DederError(358, "Error during evaluation: Divide by 0 [Evaluate/Engine]");
          pushN(1e250);
        } else {
          pushN(a.number / b.number);
        }
        break;
      }
      case kPow: { Value b = pop(), a = pop(); pushN(std::pow(a.number, b.number)); break; }
      case kEqN: case kEqD: case kEqL: { Value b = pop(), a = pop(); pushN(a.number == b.number, kExprL); break; }
      case kNeN: case kNeD: case kNeL: { Value b = pop(), a = pop(); pushN(a.number != b.number, kExprL); break; }
      case kEqC: {
        Value b = pop(), a = pop();
        pushN(!b.text.empty() && a.text.compare(0, b.text.size(), b.text) == 0, kExprL);
        break;
      }
      case kNeC: { Value b = pop(), a = pop(); pushN(CompareText(a.text, b.text) != 0, kExprL); break; }
      case kEqEqC: { Value b = pop(), a = pop(); pushN(a.text == b.text, kExprL); break; }
      case kInC: { Value b = pop(), a = pop(); pushN(b.text.find(a.text) != std::string::npos, kExprL); break; }
      case kGtN: case kGtD: { Value b = pop(), a = pop(); pushN(a.number > b.number, kExprL); break; }
      case kLtN: case kLtD: { Value b = pop(), a = pop(); pushN(a.number < b.number, kExprL); break; }
      case kLeN: case kLeD: { Value b = pop(), a = pop(); pushN(a.number <= b.number, kExprL); break; }
      case kGeN: case kGeD: { Value b = pop(), a = pop(); pushN(a.number >= b.number, kExprL); break; }
      case kGtC: { Value b = pop(), a = pop(); pushN(CompareText(a.text, b.text) > 0, kExprL); break; }
      case kLtC: { Value b = pop(), a = pop(); pushN(CompareText(a.text, b.text) < 0, kExprL); break; }
      case kLeC: { Value b = pop(), a = pop(); pushN(CompareText(a.text, b.text) <= 0, kExprL); break; }
      case kGeC: { Value b = pop(), a = pop(); pushN(CompareText(a.text, b.text) >= 0, kExprL); break; }
      case kOr: { Value b = pop(), a = pop(); pushN(a.number != 0 || b.number != 0, kExprL); break; }
      case kAnd: { Value b = pop(), a = pop(); pushN(a.number != 0 && b.number != 0, kExprL); break; }
      case kNot: { Value a = pop(); pushN(a.number == 0, kExprL); break; }
      case kNeg: { Value a = pop(); pushN(-a.number); break; }
      case fABS: { Value a = pop(); pushN(std::fabs(a.number)); break; }
      case fINT: { Value a = pop(); pushN(Trunc(a.number)); break; }
      case fASC: { Value a = pop(); pushN(a.text.empty() ? 0 : static_cast<unsigned char>(a.text[0])); break; }
      case fAT: {
        Value b = pop(), a = pop();
        std::size_t p = a.text.empty() ? std::string::npos : b.text.find(a.text);
        pushN(p == std::string::npos ? 0 : static_cast<double>(p + 1));
        break;
      }
      case fCHR: {
        Value a = pop();
        double code = Trunc(a.number);
        if (!(code >= 0 && code <= 255)) {
          DederError(358, "Error during evaluation: CHR() of a number outside 0 to 255 [Evaluate/Engine]");
          code = 32;
        }
        pushC(std::string(1, static_cast<char>(static_cast<int>(code))));
        break;
      }
      case fLEN: { Value a = pop(); pushN(static_cast<double>(a.text.size())); break; }
      case fLEFT: {
        Value n = pop(), a = pop();
        std::size_t k = CountOf(Trunc(n.number));
        pushC(a.text.substr(0, k));
        break;
      }
      case fRIGHT: {
        Value n = pop(), a = pop();
        std::size_t k = CountOf(Trunc(n.number));
        pushC(k >= a.text.size() ? a.text : a.text.substr(a.text.size() - k));
        break;
      }
      case fUPPER: { Value a = pop(); pushC(TzUpperCase(a.text)); break; }
      case fLOWER: {
        Value a = pop();
        for (char& c : a.text) c = LoCaseChar(c);
        pushC(a.text);
        break;
      }
      case fLTRIM: {
        Value a = pop();
        std::size_t i = a.text.find_first_not_of(' ');
        pushC(i == std::string::npos ? std::string() : a.text.substr(i));
        break;
      }
      case fTRIM:
      case fRTRIM: { Value a = pop(); pushC(Trimmed(a.text)); break; }
      case fMAX: { Value b = pop(), a = pop(); pushN(std::max(a.number, b.number), op.type); break; }
      case fMIN: { Value b = pop(), a = pop(); pushN(std::min(a.number, b.number), op.type); break; }
      case fMOD: {
        Value b = pop(), a = pop();
        double x = WholeArgument(a.number, "MOD"), y = WholeArgument(b.number, "MOD");
        if (y == 0 || std::fabs(x) > 2147483647.0 || std::fabs(y) > 2147483647.0) pushN(y == 0 ? 0 : std::fmod(x, y));
        else pushN(static_cast<double>(static_cast<std::int32_t>(x) % static_cast<std::int32_t>(y)));
        break;
      }
      case fROUND: {
        Value dv = pop(), xv = pop();
        double x = xv.number;
        int dec = static_cast<int>(std::clamp(WholeArgument(dv.number, "ROUND"), -20.0, 20.0));
        double f = x - Trunc(x);
        for (int i = 0; i < dec; ++i) f *= 10;
        f = Trunc(f);
        for (int i = 0; i < dec; ++i) f *= 0.1;
        pushN(Trunc(x) + f);
        break;
      }
      case fREPLICATE: {
        Value n = pop(), a = pop();
        std::string r;
        std::size_t k = CountOf(Trunc(n.number));
        for (std::size_t i = 0; i < k && r.size() < kTextLimit; ++i) r += a.text;
        pushC(r);
        break;
      }
      case fSPACE: { Value n = pop(); pushC(std::string(CountOf(Trunc(n.number)), ' ')); break; }
      case fSTR: {
        double dec = 0, len = 10;
        if (op.args >= 3) dec = pop().number;
        if (op.args >= 2) len = pop().number;
        Value x = pop();
        int w = static_cast<int>(std::clamp(WholeArgument(len, "STR"), 0.0, 255.0));
        int dd = static_cast<int>(std::clamp(WholeArgument(dec, "STR"), 0.0, 30.0));
        const std::string text = FixedNumberText(x.number, w, dd);
        pushC(text.size() > static_cast<std::size_t>(w) ? std::string(static_cast<std::size_t>(w), '*') : text);
        break;
      }
      case fSTUFF: {
        Value c2 = pop(), count = pop(), start = pop(), c1 = pop();
        std::size_t s = CountOf(Trunc(start.number));
        if (s > 0) --s;
        std::size_t k = CountOf(Trunc(count.number));
        std::string r = c1.text;
        if (s >= r.size()) r += c2.text;
        else r = r.substr(0, s) + c2.text + (s + k < r.size() ? r.substr(s + k) : std::string());
        pushC(r);
        break;
      }
      case fSUBSTR: {
        Value count = pop(), start = pop(), a = pop();
        double s0 = WholeArgument(start.number, "SUBSTR");
        std::size_t s = s0 < 1 ? 0 : static_cast<std::size_t>(std::min(s0, 1000.0)) - 1;
        std::size_t k = CountOf(Trunc(count.number));
        pushC(s >= a.text.size() ? std::string() : a.text.substr(s, k));
        break;
      }
      case fVAL: {
        Value a = pop();
        pushN(StoredTextNumber(nullptr, a.text));
        break;
      }
      case fSOUNDEX: { Value a = pop(); pushC(Soundex(a.text)); break; }
      case fIIF: { Value b = pop(), a = pop(), l = pop(); pushC(l.number != 0 ? a.text : b.text); break; }
      case fDATE: {
        TzDate t = TzToday();
        pushN(JulianFromYmd(t.year, t.month, t.day), kExprD);
        break;
      }
      case fCTOD: { Value a = pop(); pushN(JulianFromText(a.text), kExprD); break; }
      case fDTOC: { Value a = pop(); pushC(DateTextOf(a.number)); break; }
      case fDTOS: { Value a = pop(); pushC(DbfFromJulian(DayNumber(a.number))); break; }
      case fDAY: case fMONTH: case fYEAR: case fDOW: {
        Value a = pop();
        const std::int32_t day = DayNumber(a.number);
        int y = 0, m = 0, dd = 0;
        if (!YmdFromJulian(day, y, m, dd)) {
          pushN(0);
        } else if (op.code == fDOW) {
          pushN(static_cast<double>((day + 1) % 7 + 1));
        } else {
          pushN(op.code == fDAY ? dd : op.code == fMONTH ? m : y);
        }
        break;
      }
      case fCDOW: { Value a = pop(); pushC(AllTrim(CDOW(DateTextOf(a.number)))); break; }
      case fCMONTH: { Value a = pop(); pushC(AllTrim(CMONTH(DateTextOf(a.number)))); break; }
      case fRECNO: pushN(RecNo()); break;
      case fDELETED: {
        TDbfWorkArea* wa = SelectedWorkArea();
        pushN(wa && !wa->recordBuffer.empty() && wa->recordBuffer[0] == '*', kExprL);
        break;
      }
      default: return;
    }
  }
}

std::vector<Value> Stack;

}  // namespace

TExprDescriptor* AssignExpr(const std::string& text) {
  if (TzLastError >= 350 && TzLastError <= 363) TzLastError = 0;
  auto d = std::make_unique<TExprDescriptor>();
  if (!CompileExpression(text, *d)) return nullptr;
  d->Text = text.substr(0, 255);
  return d.release();
}

void FreeExpr(TExprDescriptor*& expr) {
  delete expr;
  expr = nullptr;
}

TExprValue EvaluateExpr(TExprDescriptor* expr) {
  TExprValue r;
  if (!expr) return r;
  Run(*expr, Stack);
  r.type = expr->ResultType;
  r.width = expr->ResultWidth;
  r.decimals = expr->ResultDecimals;
  if (!Stack.empty()) {
    const Value& v = Stack.back();
    r.number = v.number;
    r.logical = v.type == kExprL && v.number != 0;
    r.text = v.text;
  }
  expr->ResultValue = r;
  return r;
}

std::string ExprText(const TExprDescriptor* expr) { return expr ? expr->Text : std::string(); }

void InitExpressions() {
  ExprDefaultDecimals = 2;
  ExprHooks.Compile = AssignExpr;
  ExprHooks.Free = FreeExpr;
  ExprHooks.Evaluate = EvaluateExpr;
  ExprHooks.Text = ExprText;
  ParserLinked = true;
}
