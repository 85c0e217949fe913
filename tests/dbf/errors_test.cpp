#include "dbf/errors.h"

#include <gtest/gtest.h>

class DbfErrors : public ::testing::Test {
 protected:
  void SetUp() override { InitDbfErrors(); }
};

TEST_F(DbfErrors, TextsOfCodes) {
  EXPECT_EQ(TzErrorText(0), "");
  EXPECT_EQ(TzErrorText(2), "Error # 2 (File not found)");
  EXPECT_EQ(TzErrorText(7), "Error # 7 (Undefined error)");
  EXPECT_EQ(TzErrorText(999), "Error # 999 (Undefined error)");
  EXPECT_EQ(TzErrorText(1250), "Error # 1250 (Network Error)");
  EXPECT_EQ(TzErrorText(227), "Error # 227 (Insufficient disk space )");
  EXPECT_EQ(TzErrorText(101), "Error # 101 (Disk write error (probable cause: Disk Full).)");
  EXPECT_EQ(TzErrorText(254), "Error # 254 (Deder internal error)");
  EXPECT_EQ(TzErrorText(1301), "Error # 1301 (Undefined error)");
  EXPECT_EQ(TzErrorText(60), "Error # 60 (Remote adapter incompatible)");
  EXPECT_EQ(TzErrorText(231), "Error # 231 (Screen library not open)");
}

TEST_F(DbfErrors, DispatchOffStoresAndDetailIsTakenOnce) {
  SetErrorDispatch(false);
  DederError(215, "[RLock]");
  EXPECT_EQ(TzLastError, 215);
  EXPECT_EQ(GetTzErrorText(), "Error # 215 (No database in use)\r\n[RLock]");
  EXPECT_EQ(GetTzErrorText(), "");
}

TEST_F(DbfErrors, RaisingGivesTwoLineMessageAndClearsPending) {
  SetRaiseErrors(true);
  try {
    DederError(2, "[USE]");
    FAIL() << "no exception";
  } catch (const EDederError& e) {
    EXPECT_STREQ(e.what(), "Error # 2 (File not found)\r\n[USE]");
  }
  EXPECT_EQ(GetTzErrorText(), "");
}

TEST_F(DbfErrors, CodeZeroAndHandlerAndHalting) {
  SetRaiseErrors(true);
  EXPECT_NO_THROW(DederError(0, "nothing"));
  static int calls = 0;
  calls = 0;
  TzErrorHandler = [] { ++calls; };
  EXPECT_NO_THROW(DederError(5, "[x]"));
  EXPECT_EQ(calls, 1);
  TzErrorHandler = nullptr;
  TzHalting = true;
  EXPECT_NO_THROW(DederError(5, "[y]"));
  EXPECT_EQ(TzLastError, 5);
  EXPECT_EQ(TzErrorDetail, "[y]");
}

TEST_F(DbfErrors, DefaultModeReportsOnStderrAndExitsWithTheCode) {
  EXPECT_EXIT(DederError(2, "[USE]"), ::testing::ExitedWithCode(2),
              "Program halted.\nError # 2 \\(File not found\\)\r\n\\[USE\\]");
}

TEST_F(DbfErrors, HaltNeverExitsAsSuccess) {
  EXPECT_EQ(HaltExitCode(212), 212);
  EXPECT_EQ(HaltExitCode(1280), 255);  // 1280 mod 256 would be 0
  EXPECT_EXIT(DederError(1280, "[Net]"), ::testing::ExitedWithCode(255), "Network Error");
}
