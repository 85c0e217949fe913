#include "dbf/runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>

#include "dbf_test_util.h"

using dbftest::DbfTest;

class DbfRuntime : public DbfTest {};

// The century window, validation and national layouts of dates.
TEST_F(DbfRuntime, Dates) {
  TzBaseYear = 1956;
  EXPECT_EQ(std::vector<int>({CenturyOf("56"), CenturyOf("55")}), std::vector<int>({1900, 2000}));
  TzCentury = true;
  EXPECT_EQ(std::vector<std::string>({CenturyDigits("55"), ExpandYear("55"), ExpandYear("7")}),
            std::vector<std::string>({"20", "2055", "0007"}));
  // Validation in the default layout.
  TzCentury = false;
  SetDateFormat(0);
  TzBaseYear = 1950;
  // Century off: the century digits go; "" marks a refused date.
  for (auto [in, out] : {std::pair<const char*, const char*>{"02/29/2000", "02/29/00"}, {"02/29/1900", ""},
                         {"04/31/98", ""}, {"  /  /", "  /  /  "}, {"2/3/99", "02/03/99"}}) {
    std::string d = in;
    EXPECT_EQ(ValidDate(d) ? d : "", out) << in;
  }
  // National layouts.
  SetDateFormat(5);
  std::string d = "17.05.24";
  DateToInternal(d);
  EXPECT_EQ(d, "05/17/24");
  DateToNational(d);
  EXPECT_EQ(d, "17.05.24");
  EXPECT_EQ(EmptyDate(5) + "|" + EmptyDate(1), "  .  .  |  .  .  ");
  TzCentury = true;
  EXPECT_EQ(EmptyDate(0), "  /  /    ");
  SetDateFormat(1);
  d = "2024.05.17";
  EXPECT_EQ(ValidDate(d) ? d : "", "2024.05.17");
  SetDateFormat(9);
  EXPECT_EQ(TzDateFormat, 0);
  // Days of the week and names.
  TzCentury = false;
  SetDateFormat(0);
  EXPECT_EQ(std::vector<int>({DOW("01/01/2000"), DOW("05/17/2024"), DOW("03/01/2000")}), std::vector<int>({7, 6, 4}));
  SetDateFormat(5);
  EXPECT_EQ(std::vector<std::string>({CDOW("01.01.2000"), CMONTH("01.03.2000"), CDOW("  .  .  ")}),
            std::vector<std::string>({"Samstag   ", "M\x84rz     ", std::string(10, ' ')}));
  SetDateFormat(0);
  EXPECT_EQ(DTOS("05/17/24") + STOD("20240517"), "2024051705/17/24");
  TzCentury = true;
  EXPECT_EQ(STOD("20240517"), "05/17/2024");
  EXPECT_EQ(DateYear("05/17/2024") * 10000 + DateMonth("05/17/2024") * 100 + DateDay("05/17/2024"), 20240517);
}

TEST_F(DbfRuntime, Strings) {
  EXPECT_EQ(std::vector<int>({AtN(2, "aa", "aaaa"), AtN(-1, "ab", "abab"), AtN(3, "aa", "aaaa"), AtN(4, "aa", "aaaa"),
                              Occurs("aa", "aaaa"), Occurs("", "aaaa")}),
            std::vector<int>({2, 3, 3, 0, 2, 0}));
  EXPECT_EQ(std::vector<std::string>({AllTrim("  \t x \r\n"), TzPadRight("ab", 4), TzPadRight("abcdef", 4),
                                      Replicate('x', 0), TzUpperCase("ab\xE4")}),
            std::vector<std::string>({"x", "ab  ", "abcdef", "", "AB\xC4"}));
  EXPECT_EQ(PosNoCase("Bc", 2, "abcd", 4), 2);
  std::string cmd = "table exclusive";
  EXPECT_TRUE(RemoveKeyword(" EXCLUSIVE", cmd));
  EXPECT_EQ(cmd, "TABLE");
  cmd = "TABLE EXCLUSIVE2";
  EXPECT_FALSE(RemoveKeyword(" EXCLUSIVE", cmd));
  EXPECT_EQ(cmd, "TABLE EXCLUSIVE2");
}

TEST_F(DbfRuntime, NumbersFollowTheSeparatorSetting) {
  TzDecimalSep = ',';
  EXPECT_EQ(std::vector<int>({ValInt16("1.234"), ValInt16("99999"), ValInt16("-5"), ValInt16("+7x")}),
            std::vector<int>({1234, 32767, -5, 7}));
  EXPECT_DOUBLE_EQ(static_cast<double>(ValReal("1.234,5")), 1234.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(ValReal("- ,5")), -0.5);
  EXPECT_EQ(ValLong("12,9"), 12);
  std::string s;
  FloatToStrDec(3.25L, 6, 2, s);
  EXPECT_EQ(s, "  3,25");
  TzDecimalSep = '.';
  EXPECT_DOUBLE_EQ(static_cast<double>(ValReal("$1,234.5")), 1234.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(ValReal("abc")), 0.0);
  std::string t = " +.5x";
  CleanNumber(t);
  EXPECT_EQ(t, "0.5");
  IntToStrWidth(42, 5, s);
  EXPECT_EQ(s, "   42");
}

// Number texts that a program or a file wrote: "," is a decimal sign like
// ".", never dropped to join digits; a thousands sign only where the other
// sign is the decimal one or where it groups by three; anything else and a
// value beyond range are told, whatever the national settings.
TEST_F(DbfRuntime, StoredNumbersReadEitherDecimalSignAndNameWhatIsNone) {
  for (char national : {'.', ','}) {
    TzDecimalSep = national;
    std::vector<std::string> read;
    for (const char* text : {"1,5", "205,5", " -2.25 ", "+,5", "1.234,5", "1,234.5", "1,234,567", "1.234.567",
                             "206,000", "1.5E+3", "$7", "1e-5000", "   "}) {
      long double v = -1;
      const TStoredRead r = ReadStoredNumber(text, v);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.10Lg%s", v, r == TStoredRead::Blank ? " blank" : r == TStoredRead::Number ? "" : " ?");
      read.push_back(buf);
    }
    EXPECT_EQ(read, std::vector<std::string>({"1.5", "205.5", "-2.25", "0.5", "1234.5", "1234.5", "1234567", "1234567",
                                              "206", "1500", "7", "0", "0 blank"}))
        << national;
    std::vector<std::string> faults;
    for (const char* text : {"12ab", "1.2.3,4", "1,23,456", "1.234,5.6", "12 34", "-", ".", "1e", "*****", "1e400",
                             "-1e309"}) {
      long double v = 0;
      faults.push_back(StoredNumberFault(text, ReadStoredNumber(text, v)));
    }
    EXPECT_EQ(faults, std::vector<std::string>({"\"12ab\" is no number", "\"1.2.3,4\" is no number",
                                                "\"1,23,456\" is no number", "\"1.234,5.6\" is no number",
                                                "\"12 34\" is no number", "\"-\" is no number", "\".\" is no number",
                                                "\"1e\" is no number", "\"*****\" is no number",
                                                "\"1e400\" is beyond range", "\"-1e309\" is beyond range"}));
    EXPECT_EQ(StoredReal("1,5") * 10, 15);
    EXPECT_EQ(StoredReal("1e400"), 0);
    EXPECT_EQ(std::vector<std::int32_t>({StoredLong("205,9"), StoredLong("9223372036854775808"), StoredLong("-1e30"),
                                         StoredLong("1e400"), StoredLong("abc")}),
              std::vector<std::int32_t>({205, INT32_MAX, INT32_MIN, INT32_MAX, 0}));
  }
  EXPECT_TRUE(OverflowStars(" *** "));
  EXPECT_FALSE(OverflowStars("** *"));
}

// A field of a record has no terminating zero: the reader stops at its end,
// for a field that ends its allocation too (the sanitizers watch the byte past it).
TEST_F(DbfRuntime, LongDoublesAreReadWithinTheirText) {
  for (const char* text : {"231 12345678.12345", "12345678.12345", "1e5", "-7"}) {
    const std::string whole(text);
    std::vector<char> field(whole.begin(), whole.end());
    const std::vector<char> wide(300, '9');
    long double v = 0;
    const auto r = ReadLongDouble(field.data(), field.data() + field.size(), v);
    long double expected = 0;
    std::from_chars(whole.c_str(), whole.c_str() + whole.size(), expected);
    EXPECT_EQ(v, expected) << text;
    EXPECT_EQ(r.ptr - field.data(), whole.find(' ') == std::string::npos ? static_cast<long>(whole.size()) : 3) << text;
    const auto w = ReadLongDouble(wide.data(), wide.data() + wide.size(), v);
    EXPECT_EQ(w.ec, std::errc());
    EXPECT_EQ(w.ptr, wide.data() + wide.size());
  }
}

// Numbers for fields and STR round halves away from zero, as their shortest
// decimal text reads: 1.005 is a half although its binary value lies below.
TEST_F(DbfRuntime, NumbersRoundHalvesAwayFromZero) {
  struct Case {
    long double value;
    int width, decimals;
    const char* text;
  };
  const Case cases[] = {{2.5, 1, 0, "3"},          {1234.5, 4, 0, "1235"},     {0.5, 4, 0, "   1"},
                        {-2.5, 4, 0, "  -3"},      {-0.5, 3, 0, " -1"},        {0.49999999999999994, 3, 0, "  0"},
                        {1.005, 6, 2, "  1.01"},   {-1.005, 6, 2, " -1.01"},   {1.0049, 6, 2, "  1.00"},
                        {2.675, 5, 2, " 2.68"},    {9.995, 5, 2, "10.00"},     {999.5, 3, 0, "1000"},
                        {-0.001, 5, 2, " 0.00"},   {0.004, 4, 2, "0.00"},      {0.006, 4, 2, "0.01"},
                        {0.0006, 6, 3, " 0.001"},  {1e-30, 4, 2, "0.00"},      {0, 4, 1, " 0.0"},
                        {123.25, 7, 1, "  123.3"}, {1e20, 21, 0, "100000000000000000000"},
                        {9007199254740993.0L, 16, 0, "9007199254740993"},  // more than a double holds
                        {std::numeric_limits<long double>::quiet_NaN(), 3, 1, "0.0"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FixedNumberText(c.value, c.width, c.decimals), c.text) << static_cast<double>(c.value);
    EXPECT_EQ(static_cast<double>(RoundedNumber(c.value, c.decimals)), std::strtod(c.text, nullptr))
        << static_cast<double>(c.value);
  }
}

TEST_F(DbfRuntime, PathsAndFiles) {
  EXPECT_EQ(DefaultExtension("DATA/TAB", "dbf"), "DATA/TAB.dbf");
  EXPECT_EQ(DefaultExtension("TAB.X", "dbf"), "TAB.X");
  EXPECT_EQ(ForceExtension("TAB.X", "ndx"), "TAB.ndx");
  std::string dir, name, ext;
  SplitPath("a/b/c.txt", dir, name, ext);
  EXPECT_EQ(dir + "|" + name + "|" + ext, "a/b/|c|.txt");
  EXPECT_TRUE(WildcardMatch("*.DBF", "x.dbf") && !WildcardMatch("?.dbf", "xy.dbf"));
  // ".." goes up from where a link leads, as the kernel takes it.
  std::filesystem::create_directories(Path("sub/inner"));
  std::filesystem::create_directory_symlink(Path("sub/inner"), Path("link"));
  EXPECT_EQ(FullPath(Path("link/../t.dbf")), (std::filesystem::canonical(Path("sub")) / "t.dbf").string());
  EXPECT_EQ(FullPath(Path("link/./x/../t.dbf")), FullPath(Path("link/t.dbf")));

  dbftest::WriteBytes(Path("one.tmp"), {1});
  dbftest::WriteBytes(Path("two.tmp"), {2});
  platform::FileHandle h = platform::kNoFile;
  ASSERT_EQ(platform::OpenFile(Path("two.tmp"), platform::kOpenReadWrite | platform::kShareDenyNone, h), 0);
  EraseFiles(Path("*.tmp"));
  EXPECT_EQ(TzLastError, 5);
  EXPECT_EQ(TzErrorDetail, "Could not erase 1 files like " + Path("*.tmp"));
  EXPECT_FALSE(TzFileExists(Path("one.tmp")));
  EXPECT_TRUE(TzFileExists(Path("two.tmp")));
  EXPECT_EQ(FindFileAnyCase(Path("TWO.TMP")), Path("two.tmp"));
  platform::CloseFile(h);
  EXPECT_FALSE(FileDatedToday(Path("two.tmp")));  // the clock is pinned to 2024
  UnpinClock();
  EXPECT_TRUE(FileDatedToday(Path("two.tmp")));
  std::string unique;
  UniqueFilename(unique);
  EXPECT_TRUE(TzFileExists(unique));
}

// The directory search hands out normal files, and hidden files and directories only when asked for; its
// result is also in TzDosError. File dates come in the packed DOS form; the files an erase by wildcard
// could not remove stay listed until the next erase.
TEST_F(DbfRuntime, DirectorySearchFileDatesAndUnerasableFiles) {
  dbftest::WriteBytes(Path("b.txt"), {1, 2, 3});
  dbftest::WriteBytes(Path("a.txt"), {1});
  dbftest::WriteBytes(Path(".hidden.txt"), {1});
  std::filesystem::create_directories(Path("dir.txt"));
  auto names = [](std::uint8_t attributes, const std::string& mask) {
    TzSearchRec rec;
    std::string out;
    for (std::int32_t rc = TzFindFirst(mask, attributes, rec); rc == 0; rc = TzFindNext(rec))
      out += rec.Name + ":" + std::to_string(rec.Size) + ",";
    TzFindClose(rec);
    return out + std::to_string(TzDosError);
  };
  EXPECT_EQ(names(0x20, Path("*.txt")), "a.txt:1,b.txt:3,18");
  EXPECT_EQ(names(kTzAnyFile, Path("*.TXT")).substr(0, 30), ".hidden.txt:1,a.txt:1,b.txt:3,");
  EXPECT_EQ(names(kTzAnyFile, Path("?.txt")), "a.txt:1,b.txt:3,18");
  EXPECT_EQ(names(0x20, Path("*.none")), "2");
  EXPECT_EQ(names(0x20, Path("missing/*.txt")), "3");
  TzSearchRec dir;
  ASSERT_EQ(TzFindFirst(Path("dir.*"), 0x10, dir), 0);
  EXPECT_EQ(dir.Attr & 0x10, 0x10);

  platform::FileHandle h = platform::kNoFile;
  ASSERT_EQ(platform::OpenFile(Path("b.txt"), platform::kOpenReadWrite | platform::kShareDenyNone, h), 0);
  std::uint32_t date = 1;
  FileDateOfHandle(h, date);
  EXPECT_EQ(TzDosError, 0);
  TzSearchRec b;
  ASSERT_EQ(TzFindFirst(Path("b.txt"), 0x20, b), 0);
  EXPECT_EQ(date, b.Time);
  TzDateTime dt{};
  UnpackFileTime(date, dt);
  EXPECT_GE(dt.year, 2024);
  FileDateOfHandle(-1, date);
  EXPECT_EQ(date, 0u);
  EXPECT_EQ(TzDosError, 6);

  // Other programs write meanwhile: the same disk within a GiB.
  EXPECT_NEAR(static_cast<double>(DiskFreeOfDrive(0)), static_cast<double>(DiskFreeKB("")), 1048576.0);
  EXPECT_GT(DiskFreeOfDrive(3), 0);
  EXPECT_EQ(DiskFreeOfDrive(-1), 2147483647);

  EraseFiles(Path("*.txt"));  // b.txt is in use
  EXPECT_EQ(TzLastError, 5);
  EXPECT_EQ(TzErrorDetail, "Could not erase 1 files like " + Path("*.txt"));
  ASSERT_EQ(UnerasableFiles.size(), 1u);
  EXPECT_EQ(UnerasableFiles[0].Name, "b.txt");
  EXPECT_TRUE(TzFileExists(Path(".hidden.txt")));  // not asked for
  platform::CloseFile(h);
  EraseFiles(Path("*.txt"));
  EXPECT_EQ(TzLastError, 0);
  EXPECT_TRUE(UnerasableFiles.empty());
  EXPECT_FALSE(TzFileExists(Path("b.txt")));
}
