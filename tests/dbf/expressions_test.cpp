#include "dbf/expressions.h"

#include <gtest/gtest.h>

#include <tuple>

#include "dbf/index_keys.h"
#include "dbf/vfiles.h"
#include "dbf_test_util.h"

using dbftest::DbfTest;
using dbftest::F;

class Expressions : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    Filled("e.dbf", {F("NAME", 'C', 8), F("QTY", 'N', 5), F("PRICE", 'N', 7, 2), F("DAY", 'D', 8), F("OK", 'L', 1),
                     F("LEFT", 'C', 3)}, {{"ABC", "12", "2.5", "05/17/24", "T", "xyz"}});
  }
  TExprValue Eval(const std::string& text) {
    TzLastError = 0;
    TExprDescriptor* d = AssignExpr(text);
    EXPECT_NE(d, nullptr) << text << ": " << TzErrorDetail;
    TExprValue v;
    if (d) v = EvaluateExpr(d);
    FreeExpr(d);
    return v;
  }
  std::string CompileError(const std::string& text) {
    TzLastError = 0;
    TExprDescriptor* d = AssignExpr(text);
    EXPECT_EQ(d, nullptr) << text;
    FreeExpr(d);
    EXPECT_EQ(TzLastError, 351) << text;
    return TzErrorDetail;
  }
};

TEST_F(Expressions, TypesAndValues) {
  // A field called LEFT does not hide the function; DATE() is the pinned clock's.
  for (auto [expr, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"NAME", "ABC     "}, {"name + 'x'", "ABC     x"}, {"NAME - 'x'", "ABCx     "},
           {"DTOS(DAY + 1)", "20240518"}, {"DTOS(DATE())", "20240517"}, {"UPPER(SUBSTR('hello', 2, 3))", "ELL"},
           {"STR(PRICE, 8, 2)", "    2.50"}, {"STR(123456, 3)", "***"}, {"STR(7)", "         7"},
           {"STR(2.5, 1)", "3"}, {"STR(1234.5, 4)", "1235"}, {"STR(-2.5, 2)", "-3"}, {"STR(1.005, 4, 2)", "1.01"},
           {"STR(-0.001, 5, 2)", " 0.00"}, {"STR(99.5, 2)", "**"}, {"IIF(OK, 'y', 'n')", "y"},
           {"LEFT(NAME, 2) + RIGHT('abcd', 2)", "ABcd"}, {"LEFT(NAME,3)", "ABC"}, {"STUFF('abcdef', 2, 3, 'XY')", "aXYef"},
           {"TRIM(NAME) + LTRIM('  q')", "ABCq"}, {"CMON(DAY)", "May"}, {"CMONTH(DAY)", "May"},
           {"SOUNDEX('Robert')", "R163"}, {"E->NAME", "ABC     "}, {"CHR(65)", "A"}})
    EXPECT_EQ(Eval(expr).text, text) << expr;
  // Numbers (ROUND truncates) and logical values.
  for (auto [expr, number] : std::initializer_list<std::pair<const char*, double>>{
           {"QTY * 2 + PRICE", 26.5}, {"-2^2", 4}, {"2**3", 8}, {"DAY - CTOD('05/01/24')", 16},
           {"VAL(' 12.5 ') + LEN(NAME) + AT('C', NAME)", 23.5}, {"MOD(-7, 3)", -1}, {"RECNO()", 1},
           {"DOW(CTOD('01/01/00'))", 7}, {"ROUND(2.9, 0)", 2}, {"ROUND(2.9, -1)", 2}, {"ROUND(2.567, 2)", 2.56}})
    EXPECT_DOUBLE_EQ(Eval(expr).number, number) << expr;
  // "=" is a prefix match an empty right side never satisfies; "==" keeps the field's blanks.
  for (auto [expr, logical] : std::initializer_list<std::pair<const char*, bool>>{
           {"QTY > 10 .AND. .NOT. (QTY > 20)", true}, {"OK .OR. .F.", true}, {"DELETED()", false},
           {"NAME = ''", false}, {"NAME = 'AB'", true}, {"NAME == 'ABC'", false}, {"TRIM(NAME) == 'ABC'", true},
           {"'B' $ NAME", true}, {"'AB' < 'ABC'", true}})
    EXPECT_EQ(Eval(expr).logical, logical) << expr;
  EXPECT_EQ(Eval("QTY").width, 5);
}

// "<>" and "#" on texts compare whole texts, blanks included; a literal or a keyword after a numeric field
// sets the decimals of the result back to the default.
TEST_F(Expressions, NotEqualOnTextsAndDecimalsOfNumericResults) {
  for (auto [expr, logical] : std::initializer_list<std::pair<const char*, bool>>{
           {"'ABC' <> 'AB'", true}, {"'ABC' # 'AB'", true}, {"'AB' # 'ABC'", true}, {"'AB' <> 'AB'", false},
           {"'' # ''", false}, {"'ABC' # ''", true}, {"NAME <> 'ABC'", true}, {"TRIM(NAME) # 'ABC'", false}})
    EXPECT_EQ(Eval(expr).logical, logical) << expr;
  Select(2);
  Filled("p.dbf", {F("PRICE", 'N', 8, 3)}, {{"1.125"}});
  for (auto [expr, width, decimals] : std::initializer_list<std::tuple<const char*, int, int>>{
           {"PRICE", 8, 3}, {"PRICE * 2", 13, 2}, {"ABS(PRICE)", 8, 2},
           {"PRICE * PRICE", 8, 2}}) {
    TExprValue v = Eval(expr);
    EXPECT_EQ(v.width, width) << expr;
    EXPECT_EQ(v.decimals, decimals) << expr;
  }
  EXPECT_DOUBLE_EQ(Eval("PRICE * 2").number, 2.25);
}

// Fields of a virtual table, which keeps its records only in typed form.
TEST_F(Expressions, VirtualTableFields) {
  Select(2);
  UseVirtual("mem", {F("NAME", 'C', 8), F("QTY", 'N', 5), F("PRICE", 'N', 7, 2), F("DAY", 'D', 8), F("OK", 'L', 1)});
  AppendTexts({{"VIRT", "7", "1.25", "05/20/24", "T"}});
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  GoTop();
  EXPECT_EQ(Eval("NAME + '|'").text, "VIRT    |");
  EXPECT_DOUBLE_EQ(Eval("QTY * 10 + PRICE").number, 71.25);
  EXPECT_EQ(Eval("DTOS(DAY)").text, "20240520");
  EXPECT_TRUE(Eval("OK").logical);
  // The disk table in work area 1 is read through its alias meanwhile.
  EXPECT_EQ(Eval("E->NAME").text, "ABC     ");
}

// Division by zero and CHR of a number outside the character range are evaluation errors; compile errors
// name what went wrong.
TEST_F(Expressions, EvaluationAndCompileErrors) {
  TExprDescriptor* d = AssignExpr("10/0");
  ASSERT_NE(d, nullptr);
  EXPECT_DOUBLE_EQ(EvaluateExpr(d).number, 1e250);
  EXPECT_EQ(TzLastError, 358);
  EXPECT_EQ(TzErrorDetail, "Error during evaluation: Divide by 0 [Evaluate/Engine]");
  FreeExpr(d);
  EXPECT_EQ(d, nullptr);
  for (const char* bad : {"CHR(3000000000)", "CHR(-1)", "CHR(256)", "CHR(-3000000000)"}) {
    EXPECT_EQ(Eval(bad).text.size(), 1u) << bad;
    EXPECT_EQ(TzLastError, 358) << bad;
  }

  EXPECT_EQ(CompileError("NAME = 5"),
            "Error in expression : PARSER:Type mismatch in expression \"=\"\r\n[NAME = 5]\r\n [AssignExpr]");
  EXPECT_EQ(CompileError("MAX(DATE(), 5)").substr(0, 62),
            "Error in expression : PARSER:Type mismatch in function \"MAX\"\r\n");
  for (const char* bad : {"CMO(DATE())", "SUBSTR(NAME, 2)", "1.5.3", ".5", "'open"})
    EXPECT_EQ(CompileError(bad).substr(0, 34), "Error in expression : Syntax error");
  EXPECT_NE(CompileError("-'a'").find("\"Unary -\""), std::string::npos);
  EXPECT_NE(CompileError("QTY .AND. OK").find("\".AND.\""), std::string::npos);
  std::string longText = "QTY + QTY + QTY + QTY + QTY + QTY + QTY + QTY + QTY + 'x' + QTY";
  std::string detail = CompileError(longText);
  EXPECT_NE(detail.find("\r\n[..."), std::string::npos) << detail;
  for (const char* ok : {"STR(1)", "STR(1, 2)", "STR(1, 2, 1)"}) {
    TExprDescriptor* compiled = AssignExpr(ok);
    EXPECT_NE(compiled, nullptr) << ok;
    FreeExpr(compiled);
  }
  std::string deep(200, '(');
  EXPECT_NE(CompileError(deep + "1" + std::string(200, ')')).find("Parser_stack_overflow"), std::string::npos);
}

// A computed date outside the calendar (or a NaN) is the blank date; a NaN
// where a whole number is counted (a divisor, decimals, a width, a position)
// is named and counts as 0.
TEST_F(Expressions, DatesBeyondTheCalendarAreBlankAndNaNCountsAreNamed) {
  const std::string nan = "(-8)^(1/3)";
  for (auto [expr, text] : std::initializer_list<std::pair<std::string, const char*>>{
           {"CDOW(DAY+1e12)", ""}, {"CMONTH(DAY+1e12)", ""}, {"DTOC(DAY-1e12)", "  /  /  "},
           {"DTOS(DAY+1e300)", "        "}, {"DTOS(DAY+0.75)", "20240517"}, {"DTOC(DAY-1e12) + CDOW(DAY)", "  /  /  Friday"}}) {
    EXPECT_EQ(Eval(expr).text, text) << expr;
    EXPECT_EQ(TzLastError, 0) << expr;
  }
  for (const char* expr : {"DAY(DAY+1e15)", "DOW(DAY+1e12)", "MONTH(DAY-1e12)", "YEAR(DAY+1e12)",
                           "YEAR(CTOD(\"01/01/99\")+1e10)", "DAY(CTOD(''))"}) {
    EXPECT_EQ(Eval(expr).number, 0) << expr;
    EXPECT_EQ(TzLastError, 0) << expr;
  }
  EXPECT_EQ(Eval("DTOC(DAY+0/0)").text, "  /  /  ");
  EXPECT_EQ(TzLastError, 358);
  for (auto [expr, function, number, text] :
       std::initializer_list<std::tuple<std::string, const char*, double, const char*>>{
           {"MOD(3," + nan + ")", "MOD", 0, ""}, {"MOD(" + nan + ",3)", "MOD", 0, ""},
           {"ROUND(1.5," + nan + ")", "ROUND", 1, ""}, {"STR(1," + nan + ")", "STR", 0, ""},
           {"STR(1,10," + nan + ")", "STR", 0, "         1"}, {"SUBSTR(NAME," + nan + ",2)", "SUBSTR", 0, "AB"}}) {
    const TExprValue v = Eval(expr);
    EXPECT_EQ(v.number, number) << expr;
    EXPECT_EQ(v.text, text) << expr;
    EXPECT_EQ(TzLastError, 358) << expr;
    EXPECT_EQ(TzErrorDetail, "Error during evaluation: " + std::string(function) +
                                 "() of a value that is no number [Evaluate/Engine]");
  }
}

TEST(IndexKeys, SoundexDescendAndDays) {
  InitIndexKeys();
  EXPECT_EQ(Soundex("Robert") + Soundex("Rupert") + Soundex("Tymczak") + Soundex("A"), "R163R163T522A000");
  EXPECT_EQ(Descend("AB"), "\xBE\xBD");
  EXPECT_EQ(std::vector<std::int32_t>({JulianFromYmd(1, 1, 1), JulianFromYmd(9999, 12, 31), JulianFromYmd(1900, 2, 29),
                                       JulianFromDbf("20000101"), JulianFromDbf("        ")}),
            std::vector<std::int32_t>({1721426, 5373484, 0, 2451545, 0}));
  EXPECT_EQ(DbfFromJulian(2451545) + "|" + DbfFromJulian(1721425), "20000101|        ");
  std::string e = "upper( name )+'x'";
  CanonicalExpression(e, false);
  EXPECT_EQ(e, "UPPER(NAME)+\"x\"");
  e = "upper( name ) + 'x y'";
  CanonicalExpression(e, true);
  EXPECT_EQ(e, "UPPER( NAME ) +'x y'");
}
