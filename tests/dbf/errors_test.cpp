#include "dbf/errors.h"

#include <gtest/gtest.h>

class DbfErrors : public ::testing::Test {
 protected:
  void SetUp() override { InitDbfErrors(); }
};

// Stored errors give their text once; raised ones carry two lines; code 0, a handler or a halt raise nothing.
TEST_F(DbfErrors, StoredRaisedHandledAndHalting) {
  SetErrorDispatch(false);
  DederError(215, "[RLock]");
  EXPECT_EQ(TzLastError, 215);
  EXPECT_EQ(GetTzErrorText(), "Error # 215 (No database in use)\r\n[RLock]");
  EXPECT_EQ(GetTzErrorText(), "");
  EXPECT_EQ(TzErrorText(999), "Error # 999 (Undefined error)");
  SetErrorDispatch(true);
  SetRaiseErrors(true);
  try {
    DederError(2, "[USE]");
    FAIL() << "no exception";
  } catch (const EDederError& e) {
    EXPECT_STREQ(e.what(), "Error # 2 (File not found)\r\n[USE]");
  }
  EXPECT_EQ(GetTzErrorText(), "");
  EXPECT_NO_THROW(DederError(0, "nothing"));
  static int calls = 0;
  calls = 0;
  TzErrorHandler = [] { ++calls; };
  EXPECT_NO_THROW(DederError(5, "[x]"));
  EXPECT_EQ(calls, 1);
  TzErrorHandler = nullptr;
  TzHalting = true;
  EXPECT_NO_THROW(DederError(5, "[y]"));
  EXPECT_TRUE(TzLastError == 5 && TzErrorDetail == "[y]");
}

// By default an error is reported on stderr and halts with its code, never with 0.
TEST_F(DbfErrors, DefaultModeHaltsWithTheCodeNeverAsSuccess) {
  EXPECT_EXIT(DederError(2, "[USE]"), ::testing::ExitedWithCode(2),
              "Program halted.\nError # 2 \\(File not found\\)\r\n\\[USE\\]");
  EXPECT_EQ(HaltExitCode(212), 212);
  EXPECT_EQ(HaltExitCode(1280), 255);  // 1280 mod 256 would be 0
  EXPECT_EXIT(DederError(1280, "[Net]"), ::testing::ExitedWithCode(255), "Network Error");
}
