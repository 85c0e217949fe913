// Set-up of the dataset and table dialog tests: engine defaults with errors
// raised as exceptions (as the datasets run), a private folder, and a
// sample table shared with a second work area for lock conflicts.
#pragma once

#include "dbf/datasets_file.h"
#include "dbf/locks.h"
#include "dbf_test_util.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

namespace dbftest {

class DatasetTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    SetErrorDispatch(true);
    SetRaiseErrors(true);  // as under the facade's guard
    LockRetries = 0;
    AbortFlag = 0;
  }

  // The table `make` builds with the engine's errors stored, closed.
  template <class Make>
  std::string Closed(Make make) {
    SetErrorDispatch(false);
    std::string p = make();
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
    SetErrorDispatch(true);
    return p;
  }
  // Table NAME C10, QTY N5, PRICE N8.2, DAY D, OK L with `n` records, closed.
  std::string SampleTable(int n, const std::string& name = "sample.dbf") {
    return Closed([&] { return Sample(n, name); });
  }
  // Table of `fields` holding `rows`, closed.
  std::string FilledTable(const std::string& name, const std::vector<TDbfFieldEntry>& fields,
                          const std::vector<std::vector<std::string>>& rows) {
    return Closed([&] { return Filled(name, fields, rows); });
  }

  // Opens the dataset on `path`.
  static void Open(TTzDataSet& ds, const std::string& path) {
    ds.SetDbfFileName(path);
    ds.SetActive(true);
  }

  // The message of the `Error` that `run` raises.
  template <class Error, class Run>
  static std::string Raised(Run run) {
    try {
      run();
    } catch (const Error& e) {
      return e.what();
    }
    return "<nothing raised>";
  }

  // Opens `path` shared in work area `area` (outside any dataset).
  void OpenOther(const std::string& path, int area, const std::string& alias = "OTHER") {
    std::uint8_t keep = CurrentWorkArea();
    Select(area);
    Use(path + " ALIAS " + alias);
    Select(keep);
  }
};

}  // namespace dbftest
