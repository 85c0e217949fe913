// The expression engine's codes shared by its compiler and its evaluator:
// tokens, operation codes, the functions with their argument types, and
// the keywords. Internal to the table engine.
#pragma once

#include <cstddef>

#include "dbf/expressions.h"

namespace expr_codes {

// Tokens.
enum Token : int {
  kEnd = 0,
  kTokNe = 342, kTokLe = 343, kTokGe = 344, kTokEqEq = 345, kTokDollar = 346,
  kTokCLit = 331, kTokNLit = 332,
  kTokFieldC = 321, kTokFieldN = 322, kTokFieldL = 323, kTokFieldD = 324, kTokFieldM = 325,
  kTokUnknown = 336, kTokF = 337, kTokT = 338, kTokNot = 339, kTokOr = 340, kTokAnd = 341,
};

// Operation codes of the operators.
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

inline constexpr Keyword kKeywords[] = {
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

inline constexpr FuncSig kFunctions[] = {
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

inline const FuncSig* FindFunction(int token) {
  for (const FuncSig& f : kFunctions)
    if (f.token == token) return &f;
  return nullptr;
}

inline char LetterOf(int type) {
  switch (type) {
    case kExprC: return 'C';
    case kExprN: return 'N';
    case kExprL: return 'L';
    case kExprD: return 'D';
    default: return 'M';
  }
}

inline int TypeOf(char letter) {
  switch (letter) {
    case 'C': return kExprC;
    case 'N': return kExprN;
    case 'L': return kExprL;
    case 'D': return kExprD;
    default: return kExprM;
  }
}

inline constexpr std::size_t kTextLimit = 255;

// Compiles text into d (code, result type and width); false with the
// engine's error set when the text is no expression.
bool CompileExpression(const std::string& text, TExprDescriptor& d);

}  // namespace expr_codes
