#include "dbf/locks.h"

#include <gtest/gtest.h>


#include "dbf_test_util.h"
#include "platform/file_lock.h"

using dbftest::DbfTest;

class DbfLocks : public DbfTest {
 protected:
  // The sample table opened shared in work areas 1 (alias A) and 2 (alias B).
  std::string TwoAreas(int records = 5) {
    std::string p = Sample(records);
    CloseDatabase();
    Select(1);
    Use(p + " ALIAS A");
    Select(2);
    Use(p + " ALIAS B");
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    return p;
  }
};

TEST_F(DbfLocks, TwoWorkAreasOfOneProcessConflict) {
  TwoAreas();
  // Area, record (0: stay), lock R/F/A or U(nlock), and whether it is granted.
  struct Step {
    int area, rec;
    char lock;
    bool granted;
  };
  const Step steps[] = {
      {1, 2, 'R', true}, {2, 2, 'R', false},  // RLock against RLock
      {2, 3, 'R', true}, {2, 0, 'F', false},  // holds a record lock itself
      {2, 0, 'U', true}, {2, 0, 'F', false},  // FLock against the other area's RLock
      {1, 0, 'U', true}, {2, 0, 'F', true},  {1, 0, 'R', false}, {1, 0, 'A', false},  // against FLock
      {2, 0, 'U', true}, {2, 0, 'A', true},  {1, 0, 'A', false},  // ALock against ALock
      {1, 1, 'R', true},  // append locks do not hinder record locks
  };
  for (const Step& s : steps) {
    Select(s.area);
    if (s.rec) Go(s.rec);
    bool got = s.lock == 'R' ? RLock() : s.lock == 'F' ? FLock() : s.lock == 'A' ? ALock() : (Unlock(), true);
    EXPECT_EQ(got, s.granted) << s.area << " " << s.lock << " " << s.rec;
  }
  // Area 1's lock of record 1 lies beyond the data, over the record's length only.
  Select(1);
  TDbfWorkArea* wa = SelectedWorkArea();
  std::uint64_t at = 0x40000000ULL + wa->headerLength;
  Select(2);
  platform::FileHandle other = SelectedWorkArea()->file;
  EXPECT_TRUE(platform::RangeLockedByOther(other, at, 1) &&
              platform::RangeLockedByOther(other, at + wa->recordLength - 1, 1));
  EXPECT_FALSE(platform::RangeLockedByOther(other, at + wa->recordLength, 1) ||
               platform::RangeLockedByOther(other, 0, 1 << 20));
  // Retries of area 2 wait on the clock between rounds the callback allows.
  Unlock();
  Go(1);
  LockRetries = 3;
  LockWaitMs = 20;
  static int rounds = 0;
  rounds = 0;
  LockRetryCallback = [] { return ++rounds < 2; };
  std::uint32_t t0 = TickCount();
  EXPECT_FALSE(RLock());
  EXPECT_EQ(rounds, 2);
  EXPECT_GE(TickCount() - t0, 2u * 3u * 20u);
}

TEST_F(DbfLocks, RecordLockBookkeeping) {
  TwoAreas(10);
  Select(1);
  RecordLockLimit = 2;
  Go(5);
  ASSERT_TRUE(RLock());
  Go(7);
  ASSERT_TRUE(RLock());
  EXPECT_TRUE(RLock());  // already held: not counted again
  Go(9);
  EXPECT_FALSE(RLock());
  EXPECT_EQ(TzLastError, 212);
  EXPECT_EQ(TzErrorDetail, "Deder record lock limit exceeded [RLock]");
  EXPECT_TRUE(IsLocked(5) && IsLocked(7));
  RecordLockLimit = 0;
  TzLastError = 0;
  ASSERT_TRUE(RLock());
  EXPECT_TRUE(UnlockRec(-1) && !IsLocked(5));                 // the oldest: 5
  EXPECT_TRUE(UnlockRec(-2) && !IsLocked(9) && IsLocked(7));  // the newest: 9
  EXPECT_FALSE(UnlockRec(8));
  EXPECT_EQ(TzLastError, 220);
  EXPECT_EQ(TzErrorDetail, "Record not locked. [UnlockRec(8)]");
  EXPECT_FALSE(UnlockRec(-7));
  EXPECT_EQ(TzErrorDetail, "[UnlockRec(-7)]");
  EXPECT_TRUE(UnlockRec(7) && SelectedWorkArea()->lockState == 0);
  // Released locks are free for the other work area.
  Select(2);
  Go(5);
  EXPECT_TRUE(RLock());
}

TEST_F(DbfLocks, NetworkModeOffLocksOnlyBookkeeping) {
  NetworkMode = false;
  Sample(2);
  Go(1);
  EXPECT_TRUE(RLock());
  EXPECT_TRUE(IsLocked(1));
  SetFieldText(1, "changed");
  Replace();
  EXPECT_EQ(TzLastError, 0);
}

TEST_F(DbfLocks, LocksHoldAgainstAnotherProcess) {
  std::string p = Sample(5);
  CloseDatabase();
  ForkHandshake shake;
  ASSERT_TRUE(shake.Ok());
  pid_t child = dbftest::Child(shake, [&] {
    Select(1);
    Use(p + " ALIAS CHILD");
    Go(2);
    bool ok = TzLastError == 0 && RLock();
    Select(2);
    Use(p + " ALIAS CHILD2");
    ok = ok && ALock();
    shake.SignalParent();
    return shake.WaitForParent() && ok;
  });
  ASSERT_TRUE(shake.WaitForChild());
  Use(p);
  Go(2);
  EXPECT_FALSE(RLock() || FLock() || ALock());  // record, file and append lock of the other
  Go(3);
  EXPECT_TRUE(RLock());
  shake.SignalChild();
  EXPECT_EQ(dbftest::ExitCode(child), 0);
  Unlock();
  EXPECT_TRUE(FLock());
}
