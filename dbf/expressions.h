// The xBase expression language of filters, WHILE conditions and index
// keys: lexer, parser with type checks, compiled postfix code and its
// evaluation against the current records. The work-area and index layers
// reach it only through the expression hooks (work_areas.h), which
// InitExpressions fills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbf/work_areas.h"

// Type codes of the language.
enum TExprType : int { kExprC = 331, kExprN = 332, kExprL = 333, kExprD = 334, kExprM = 335 };

struct TExprOp {
  int code = 0;        // 0 pushes the value; else an operation or function token
  int args = 0;
  int type = 0;
  double number = 0;
  std::string text;
  int field = 0;       // field references
  int area = 0;        // 0: the selected work area
};

struct TExprDescriptor {
  std::string Text;
  char ResultType = 'L';
  std::uint8_t ResultWidth = 0;
  std::uint8_t ResultDecimals = 0;
  TExprValue ResultValue;
  std::vector<TExprOp> code;
};

extern std::uint8_t ExprDefaultDecimals;  // 2

void InitExpressions();

TExprDescriptor* AssignExpr(const std::string& text);
void FreeExpr(TExprDescriptor*& expr);
TExprValue EvaluateExpr(TExprDescriptor* expr);
std::string ExprText(const TExprDescriptor* expr);
