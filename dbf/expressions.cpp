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

namespace {

// Tokens.
enum Token : int {
  kEnd = 0,
  kTokNe = 342, kTokLe = 343, kTokGe = 344, kTokEqEq = 345, kTokDollar = 346,
  kTokCLit = 331, kTokNLit = 332,
  kTokFieldC = 321, kTokFieldN = 322, kTokFieldL = 323, kTokFieldD = 324, kTokFieldM = 325,
  kTokUnknown = 336, kTokF = 337, kTokT = 338, kTokNot = 339, kTokOr = 340, kTokAnd = 341,
};

// Operation codes of Part "operators".
enum OpCode : int {
  kAddNN = 347, kAddND = 348, kAddDN = 349, kAddCC = 350, kSubNN = 351, kSubDN = 352,
  kSubDD = 353, kSubCC = 354, kMul = 355, kDiv = 356, kPow = 357, kEqN = 358, kEqD = 359,
  kEqC = 360, kEqL = 361, kEqEqC = 362, kInC = 363, kGtN = 364, kGtD = 365, kGtC = 366,
  kLtN = 367, kLtD = 368, kLtC = 369, kNeN = 370, kNeD = 371, kNeC = 372, kNeL = 373,
  kLeN = 374, kLeD = 375, kLeC = 376, kGeN = 377, kGeD = 378, kGeC = 379, kOr = 380,
  kAnd = 381, kNot = 382, kNeg = 383, kEndMark = -1,
};

enum Func : int {
  fABS = 257, fASC = 259, fAT = 261, fCDOW = 264, fCHR = 266, fCMONTH = 267, fCTOD = 269,
  fDATE = 270, fDAY = 271, fDELETED = 272, fDOW = 274, fDTOC = 275, fDTOS = 277, fIIF = 283,
  fINT = 284, fLEFT = 288, fLEN = 289, fLOWER = 292, fLTRIM = 293, fMAX = 294, fMIN = 295,
  fMOD = 296, fMONTH = 297, fRECNO = 300, fREPLICATE = 301, fRIGHT = 302, fROUND = 303,
  fRTRIM = 305, fSOUNDEX = 308, fSPACE = 310, fSTR = 311, fSTUFF = 312, fSUBSTR = 313,
  fTRIM = 316, fUPPER = 318, fVAL = 319, fYEAR = 320,
};

struct Keyword {
  const char* name;
  int token;
  int pool;
};

const Keyword kKeywords[] = {
    {"ABS", fABS, 0}, {"ASC", fASC, 0}, {"AT", fAT, 0}, {"CDOW", fCDOW, 15}, {"CHR", fCHR, 2},
    {"CMON", fCMONTH, 15}, {"CMONT", fCMONTH, 15}, {"CMONTH", fCMONTH, 15}, {"CTOD", fCTOD, 0},
    {"DATE", fDATE, 0}, {"DAY", fDAY, 0}, {"DELE", fDELETED, 0}, {"DELET", fDELETED, 0},
    {"DELETE", fDELETED, 0}, {"DELETED", fDELETED, 0}, {"DOW", fDOW, 0}, {"DTOC", fDTOC, 11},
    {"DTOS", fDTOS, 9}, {"IIF", fIIF, 256}, {"INT", fINT, 0}, {"LEFT", fLEFT, 0},
    {"LEN", fLEN, 0}, {"LOWE", fLOWER, 0}, {"LOWER", fLOWER, 0}, {"LTRI", fLTRIM, 0},
    {"LTRIM", fLTRIM, 0}, {"MAX", fMAX, 0}, {"MIN", fMIN, 0}, {"MOD", fMOD, 0},
    {"MONT", fMONTH, 0}, {"MONTH", fMONTH, 0}, {"RECN", fRECNO, 0}, {"RECNO", fRECNO, 0},
    {"REPL", fREPLICATE, 256}, {"REPLI", fREPLICATE, 256}, {"REPLIC", fREPLICATE, 256},
    {"REPLICA", fREPLICATE, 256}, {"REPLICAT", fREPLICATE, 256}, {"REPLICATE", fREPLICATE, 256},
    {"RIGH", fRIGHT, 0}, {"RIGHT", fRIGHT, 0}, {"ROUN", fROUND, 0}, {"ROUND", fROUND, 0},
    {"RTRI", fRTRIM, 0}, {"RTRIM", fRTRIM, 0}, {"SOUN", fSOUNDEX, 15}, {"SOUND", fSOUNDEX, 15},
    {"SOUNDE", fSOUNDEX, 15}, {"SOUNDEX", fSOUNDEX, 15}, {"SPAC", fSPACE, 256},
    {"SPACE", fSPACE, 256}, {"STR", fSTR, 256}, {"STUF", fSTUFF, 0}, {"STUFF", fSTUFF, 0},
    {"SUBS", fSUBSTR, 0}, {"SUBST", fSUBSTR, 0}, {"SUBSTR", fSUBSTR, 0}, {"TRIM", fTRIM, 0},
    {"UPPE", fUPPER, 0}, {"UPPER", fUPPER, 0}, {"VAL", fVAL, 0}, {"YEAR", fYEAR, 0},
    {".F.", kTokF, 0}, {".T.", kTokT, 0}, {".NOT.", kTokNot, 0}, {".OR.", kTokOr, 0},
    {".AND.", kTokAnd, 0},
};

// Argument types of each function ('X': N or D, both alike).
struct FuncSig {
  int token;
  const char* name;
  const char* args;
  char result;  // 'X': like the arguments
  int minArgs;
};

const FuncSig kFunctions[] = {
    {fABS, "ABS", "N", 'N', 1}, {fASC, "ASC", "C", 'N', 1}, {fAT, "AT", "CC", 'N', 2},
    {fCDOW, "CDOW", "D", 'C', 1}, {fCHR, "CHR", "N", 'C', 1}, {fCMONTH, "CMONTH", "D", 'C', 1},
    {fCTOD, "CTOD", "C", 'D', 1}, {fDATE, "DATE", "", 'D', 0}, {fDAY, "DAY", "D", 'N', 1},
    {fDELETED, "DELETED", "", 'L', 0}, {fDOW, "DOW", "D", 'N', 1}, {fDTOC, "DTOC", "D", 'C', 1},
    {fDTOS, "DTOS", "D", 'C', 1}, {fIIF, "IIF", "LCC", 'C', 3}, {fINT, "INT", "N", 'N', 1},
    {fLEFT, "LEFT", "CN", 'C', 2}, {fLEN, "LEN", "C", 'N', 1}, {fLOWER, "LOWER", "C", 'C', 1},
    {fLTRIM, "LTRIM", "C", 'C', 1}, {fMAX, "MAX", "XX", 'X', 2}, {fMIN, "MIN", "XX", 'X', 2},
    {fMOD, "MOD", "NN", 'N', 2}, {fMONTH, "MONTH", "D", 'N', 1}, {fRECNO, "RECNO", "", 'N', 0},
    {fREPLICATE, "REPLICATE", "CN", 'C', 2}, {fRIGHT, "RIGHT", "CN", 'C', 2},
    {fROUND, "ROUND", "NN", 'N', 2}, {fRTRIM, "RTRIM", "C", 'C', 1},
    {fSOUNDEX, "SOUNDEX", "C", 'C', 1}, {fSPACE, "SPACE", "N", 'C', 1}, {fSTR, "STR", "NNN", 'C', 1},
    {fSTUFF, "STUFF", "CNNC", 'C', 4}, {fSUBSTR, "SUBSTR", "CNN", 'C', 3}, {fTRIM, "TRIM", "C", 'C', 1},
    {fUPPER, "UPPER", "C", 'C', 1}, {fVAL, "VAL", "C", 'N', 1}, {fYEAR, "YEAR", "D", 'N', 1},
};

const FuncSig* FindFunction(int token) {
  for (const FuncSig& f : kFunctions)
    if (f.token == token) return &f;
  return nullptr;
}

char LetterOf(int type) {
  switch (type) {
    case kExprC: return 'C';
    case kExprN: return 'N';
    case kExprL: return 'L';
    case kExprD: return 'D';
    default: return 'M';
  }
}

int TypeOf(char letter) {
  switch (letter) {
    case 'C': return kExprC;
    case 'N': return kExprN;
    case 'L': return kExprL;
    case 'D': return kExprD;
    default: return kExprM;
  }
}

constexpr std::size_t kTextLimit = 255;

// ---- compiler ---------------------------------------------------------------

class Compiler {
 public:
  explicit Compiler(const std::string& text) : text_(text.substr(0, 256)) {}

  bool Run(TExprDescriptor& d) {
    Next();
    int type = 0;
    if (!Expr(0, type)) return false;
    if (token_ != kEnd) return Fail("Syntax error");
    Emit(kEndMark);
    d.code = std::move(code_);
    d.ResultType = LetterOf(type);
    switch (d.ResultType) {
      case 'C': d.ResultWidth = static_cast<std::uint8_t>(singleCField_ ? width_ : 0); break;
      case 'N': {
        int dec = decimals_ < 19 ? decimals_ : ExprDefaultDecimals;
        int w = width_;
        if (w < dec + 2) w = 0;
        if (w == 0) w = dec + 11;
        d.ResultWidth = static_cast<std::uint8_t>(std::min(w, 255));
        d.ResultDecimals = static_cast<std::uint8_t>(dec);
        break;
      }
      case 'D': d.ResultWidth = 8; break;
      case 'L': d.ResultWidth = 1; break;
      default: d.ResultWidth = 255; break;
    }
    return true;
  }

 private:
  // Reading characters: upper case outside literals; 255 marks the end.
  int GetChar(bool raw = false) {
    int c = pos_ < text_.size() && pos_ < 256 ? static_cast<unsigned char>(text_[pos_]) : 255;
    if (c == 0) c = 255;
    ++pos_;
    if (!raw && c >= 'a' && c <= 'z') c -= 32;
    return c;
  }
  void Unget() {
    if (pos_ > 0) --pos_;
  }

  void Next() {
    token_ = Lex();
    if (token_ < 0) token_ = kEnd;
  }

  int Lex() {
    int c;
    do c = GetChar(); while (c == ' ' || c == '\t');
    if (c == 255) return -1;
    if (c >= '0' && c <= '9') {
      std::string num(1, static_cast<char>(c));
      bool dot = false;
      for (;;) {
        c = GetChar();
        if (c >= '0' && c <= '9') num += static_cast<char>(c);
        else if (c == '.' && !dot) { dot = true; num += '.'; }
        else if (c == 'E') num += 'E';
        else { Unget(); break; }
      }
      if (num.size() > 80) num.resize(80);
      number_ = platform::StrToDoubleC(num.c_str(), nullptr);
      width_ = 0;
      decimals_ = ExprDefaultDecimals;
      tokenCount_++;
      return kTokNLit;
    }
    if (c == '"' || c == '\'') {
      int quote = c;
      literal_.clear();
      for (;;) {
        int ch = GetChar(true);
        if (ch == 255) return -1;  // no closing quote: the text ends
        if (ch == quote) break;
        if (literal_.size() < 511) literal_ += static_cast<char>(ch);
      }
      width_ = 0;
      decimals_ = ExprDefaultDecimals;
      tokenCount_++;
      return kTokCLit;
    }
    if (c == '=') {
      if (GetChar() == '=') return kTokEqEq;
      Unget();
      return '=';
    }
    if (c == '*') {
      if (GetChar() == '*') return '^';
      Unget();
      return '*';
    }
    if (c == '#') return kTokNe;
    if (c == '$') return kTokDollar;
    if (c == '>') {
      if (GetChar() == '=') return kTokGe;
      Unget();
      return '>';
    }
    if (c == '<') {
      int n = GetChar();
      if (n == '=') return kTokLe;
      if (n == '>') return kTokNe;
      Unget();
      return '<';
    }
    if ((c >= 'A' && c <= 'Z') || c == '.' || c == '_') return Identifier(c);
    return c;
  }

  static bool IdChar(int c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_'; }

  int Identifier(int c) {
    std::string name(1, static_cast<char>(c));
    for (c = GetChar(); IdChar(c); c = GetChar()) name += static_cast<char>(c);
    bool aliased = false;
    if (c == '-') {
      if (GetChar() == '>') {
        aliased = true;
        name += '.';
        for (c = GetChar(); (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; c = GetChar())
          name += static_cast<char>(c);
        Unget();
      } else {
        Unget();
        Unget();
      }
    } else {
      Unget();
    }
    if (name.size() > 80) name.resize(80);
    tokenCount_++;
    int token = LookupField(name, aliased);
    if (token != kTokUnknown) {
      // A field name followed by "(" is a function name.
      std::size_t save = pos_;
      int n;
      do n = GetChar(); while (n == ' ' || n == '\t');
      pos_ = save;
      if (n == '(') token = kTokUnknown;
      else return token;
    }
    width_ = 0;
    decimals_ = ExprDefaultDecimals;
    for (const Keyword& k : kKeywords) {
      if (name == k.name) {
        pool_ += k.pool;
        return k.token;
      }
    }
    return kTokUnknown;
  }

  int LookupField(const std::string& name, bool aliased) {
    int area = SelectedArea;
    std::string fieldName = name;
    if (aliased) {
      std::size_t dot = name.find('.');
      std::string alias = name.substr(0, std::min<std::size_t>(dot, 10));
      fieldName = name.substr(dot + 1);
      area = 0;
      for (int i = 1; i <= 32; ++i) {
        TDbfWorkArea* w = WorkAreas[i].get();
        if (!w) continue;
        std::string a = TzUpperCase(w->alias.view());
        if (a.size() > 10) a.resize(10);
        if (a == alias) {
          area = i;
          break;
        }
      }
      if (area == 0) return kTokUnknown;
    }
    if (area < 1 || area > kMaxWorkAreas || !WorkAreas[area]) return kTokUnknown;
    const TDbfWorkArea& wa = *WorkAreas[area];
    for (std::size_t i = 0; i < wa.fields.size(); ++i) {
      if (wa.fields[i].name.view() != fieldName) continue;
      const TDbfFieldEntry& f = wa.fields[i];
      int token;
      switch (f.type) {
        case 'C': token = kTokFieldC; pool_ += f.length + 1; break;
        case 'D': token = kTokFieldD; break;
        case 'L': token = kTokFieldL; break;
        case 'M': token = kTokFieldM; break;
        case 'N':
        case 'F':
          token = kTokFieldN;
          decimals_ = decimals_ == 19 ? f.decimals : ExprDefaultDecimals;
          break;
        default: return kTokUnknown;
      }
      width_ = f.length;
      fieldNo_ = static_cast<int>(i) + 1;
      fieldArea_ = aliased ? area : 0;
      fieldType_ = f.type;
      return aliased ? token + 5 : token;
    }
    return kTokUnknown;
  }

  void Emit(int code, int type = 0, int args = 0) {
    TExprOp op;
    op.code = code;
    op.type = type;
    op.args = args;
    code_.push_back(std::move(op));
  }

  bool Fail(const std::string& message) {
    if (failed_) return false;
    failed_ = true;
    std::size_t read = std::min(pos_, text_.size());
    std::string window;
    std::size_t start = read > 50 ? read - 51 : 0;
    window = text_.substr(start, 51);
    std::string detail = message + "\r\n" + (read > 50 ? "[..." : "[") + window +
                         (start + 51 >= text_.size() ? "]" : "...]") + "\r\n";
    DederError(351, "Error in expression : " + detail + " [AssignExpr]");
    return false;
  }

  static int BindingPower(int token) {
    switch (token) {
      case kTokOr: return 1;
      case kTokAnd: return 2;
      case '=': case kTokNe: return 3;
      case kTokEqEq: case kTokDollar: return 4;
      case '<': case '>': case kTokLe: case kTokGe: return 5;
      case '+': case '-': return 6;
      case '*': case '/': return 7;
      case '^': return 8;
      default: return 0;
    }
  }

  static const char* OperatorText(int token) {
    switch (token) {
      case '+': return "+";
      case '-': return "-";
      case '*': return "*";
      case '/': return "/";
      case '^': return "** or ^";
      case '=': return "=";
      case kTokEqEq: return "==";
      case kTokDollar: return "$";
      case '>': return ">";
      case '<': return "<";
      case kTokNe: return "<>";
      case kTokLe: return "<=";
      case kTokGe: return ">=";
      case kTokOr: return ".OR.";
      case kTokAnd: return ".AND.";
      default: return "?";
    }
  }

  // Operation code for operator `op` on types a, b; 0 when they mismatch.
  static int BinaryCode(int op, int a, int b, int& result) {
    auto is = [&](int x, int y) { return a == x && b == y; };
    result = kExprL;
    switch (op) {
      case '+':
        if (is(kExprN, kExprN)) { result = kExprN; return kAddNN; }
        if (is(kExprN, kExprD)) { result = kExprD; return kAddND; }
        if (is(kExprD, kExprN)) { result = kExprD; return kAddDN; }
        if (is(kExprC, kExprC)) { result = kExprC; return kAddCC; }
        return 0;
      case '-':
        if (is(kExprN, kExprN)) { result = kExprN; return kSubNN; }
        if (is(kExprD, kExprN)) { result = kExprD; return kSubDN; }
        if (is(kExprD, kExprD)) { result = kExprN; return kSubDD; }
        if (is(kExprC, kExprC)) { result = kExprC; return kSubCC; }
        return 0;
      case '*': result = kExprN; return is(kExprN, kExprN) ? kMul : 0;
      case '/': result = kExprN; return is(kExprN, kExprN) ? kDiv : 0;
      case '^': result = kExprN; return is(kExprN, kExprN) ? kPow : 0;
      case '=':
        if (is(kExprN, kExprN)) return kEqN;
        if (is(kExprD, kExprD)) return kEqD;
        if (is(kExprC, kExprC)) return kEqC;
        if (is(kExprL, kExprL)) return kEqL;
        return 0;
      case kTokEqEq: return is(kExprC, kExprC) ? kEqEqC : 0;
      case kTokDollar: return is(kExprC, kExprC) ? kInC : 0;
      case kTokNe:
        if (is(kExprN, kExprN)) return kNeN;
        if (is(kExprD, kExprD)) return kNeD;
        if (is(kExprC, kExprC)) return kNeC;
        if (is(kExprL, kExprL)) return kNeL;
        return 0;
      case kTokOr: return is(kExprL, kExprL) ? kOr : 0;
      case kTokAnd: return is(kExprL, kExprL) ? kAnd : 0;
      default: break;
    }
    int base = op == '>' ? kGtN : op == '<' ? kLtN : op == kTokLe ? kLeN : op == kTokGe ? kGeN : 0;
    if (base == 0) return 0;
    if (is(kExprN, kExprN)) return base;
    if (is(kExprD, kExprD)) return base + 1;
    if (is(kExprC, kExprC)) return base + 2;
    return 0;
  }

  bool Expr(int minPower, int& type) {
    if (++depth_ > 150) return Fail("Parser_stack_overflow");
    if (!Unary(type)) return false;
    for (;;) {
      int op = token_;
      int power = BindingPower(op);
      if (power == 0 || power <= minPower) break;
      Next();
      int right = 0;
      if (!Expr(power, right)) return false;
      int result = 0;
      int code = BinaryCode(op, type, right, result);
      if (code == 0)
        return Fail(std::string("PARSER:Type mismatch in expression \"") + OperatorText(op) + "\"");
      Emit(code, result, 2);
      type = result;
    }
    --depth_;
    return true;
  }

  bool Unary(int& type) {
    if (++depth_ > 150) return Fail("Parser_stack_overflow");
    int t = token_;
    if (t == kTokNot || t == '+' || t == '-') {
      Next();
      if (!Unary(type)) return false;
      if (t == kTokNot) {
        if (type != kExprL) return Fail("PARSER:Type mismatch in expression \".NOT.\"");
        Emit(kNot, kExprL, 1);
      } else if (type != kExprN) {
        return Fail(t == '+' ? "PARSER:Type mismatch in expression \"Unary +\""
                             : "PARSER:Type mismatch in expression \"Unary -\"");
      } else if (t == '-') {
        Emit(kNeg, kExprN, 1);
      }
      --depth_;
      return true;
    }
    --depth_;
    return Primary(type);
  }

  bool Primary(int& type) {
    int t = token_;
    switch (t) {
      case '(': {
        Next();
        if (!Expr(0, type)) return false;
        if (token_ != ')') return Fail("Syntax error");
        Next();
        return true;
      }
      case kTokCLit: {
        TExprOp op;
        op.type = type = kExprC;
        op.text = literal_.substr(0, kTextLimit);
        code_.push_back(op);
        singleCField_ = false;
        Next();
        return true;
      }
      case kTokNLit: {
        TExprOp op;
        op.type = type = kExprN;
        op.number = number_;
        code_.push_back(op);
        Next();
        return true;
      }
      case kTokT:
      case kTokF: {
        TExprOp op;
        op.type = type = kExprL;
        op.number = t == kTokT ? 1 : 0;
        code_.push_back(op);
        Next();
        return true;
      }
      default: break;
    }
    if ((t >= kTokFieldC && t <= kTokFieldM) || (t >= kTokFieldC + 5 && t <= kTokFieldM + 5)) {
      TExprOp op;
      op.code = t;
      op.field = fieldNo_;
      op.area = fieldArea_;
      int base = t > kTokFieldM ? t - 5 : t;
      op.type = type = base == kTokFieldC ? kExprC : base == kTokFieldN ? kExprN
                      : base == kTokFieldL ? kExprL : base == kTokFieldD ? kExprD : kExprM;
      if (type == kExprC) {
        fieldRefs_++;
        singleCField_ = fieldRefs_ == 1 && tokenCount_ == 1;
      } else {
        singleCField_ = false;
      }
      code_.push_back(op);
      Next();
      return true;
    }
    const FuncSig* f = FindFunction(t);
    if (!f) return Fail("Syntax error");
    singleCField_ = false;
    Next();
    if (token_ != '(') return Fail("Syntax error");
    Next();
    std::vector<int> args;
    if (token_ != ')') {
      for (;;) {
        int at = 0;
        if (!Expr(0, at)) return false;
        args.push_back(at);
        if (token_ == ',') {
          Next();
          continue;
        }
        break;
      }
    }
    if (token_ != ')') return Fail("Syntax error");
    int maxArgs = static_cast<int>(std::strlen(f->args));
    int n = static_cast<int>(args.size());
    if (n < f->minArgs || n > maxArgs) return Fail("Syntax error");
    bool ok = true;
    char like = 0;
    for (int i = 0; i < n; ++i) {
      char want = f->args[i];
      char got = LetterOf(args[i]);
      if (want == 'X') {
        if (got != 'N' && got != 'D') ok = false;
        if (like && got != like) ok = false;
        like = got;
      } else if (want != got) {
        ok = false;
      }
    }
    if (!ok) return Fail(std::string("PARSER:Type mismatch in function \"") + f->name + "\"");
    type = f->result == 'X' ? TypeOf(like) : TypeOf(f->result);
    Emit(f->token, type, n);
    Next();
    return true;
  }

  std::string text_;
  std::size_t pos_ = 0;
  int token_ = 0;
  std::string literal_;
  double number_ = 0;
  int width_ = 0;
  int decimals_ = 19;
  int pool_ = 0;
  int depth_ = 0;
  int fieldNo_ = 0, fieldArea_ = 0;
  char fieldType_ = 0;
  int fieldRefs_ = 0;
  int tokenCount_ = 0;
  bool singleCField_ = false;
  bool failed_ = false;
  std::vector<TExprOp> code_;
};

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
  Compiler compiler(text);
  if (!compiler.Run(*d)) return nullptr;
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
