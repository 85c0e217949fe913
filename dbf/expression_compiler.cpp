#include "dbf/expression_codes.h"

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

namespace expr_codes {

namespace {

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

}  // namespace

bool CompileExpression(const std::string& text, TExprDescriptor& d) {
  Compiler compiler(text);
  return compiler.Run(d);
}

}  // namespace expr_codes
