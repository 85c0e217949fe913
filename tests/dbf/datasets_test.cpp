#include "dbf/datasets.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dataset_test_support.h"
#include "dbf/datasets_file.h"
#include "dbf/record_cache.h"
#include "../shown_path.h"

using dbftest::DatasetTest;
using dbftest::F;
using platform::DialogScript;
using platform::TDataSetState;

namespace {

// Exposes the record source for the tests.
class ProbeDbf : public TTzDbf {
 public:
  using TTzDbf::TTzDbf;
  using TTzDataSet::TziGetNextRecord;
  using TTzDataSet::TziGetRecordSize;
  using TTzDataSet::TziSetToEnd;
};

using dbftest::RecordText;

}  // namespace

class Datasets_ : public DatasetTest {};

TEST_F(Datasets_, FieldLinesAreCorrectedSkippedOrRejected) {
  struct Case {
    const char* line;
    bool numericMemos;
    const char* parsed;  // name, type, length, decimals and "corrected"; skipped lines only their name
  };
  for (const Case& c : {Case{" qty , N , 25 , 20", false, "QTY N 20 18 corrected"},
                        Case{"TEXT,C,300,0", false, "TEXT C 254 0 corrected"},
                        Case{"PIC,G,10,0", false, "PIC M 10 0 corrected"},
                        Case{"NOTE,M,10,0", true, "NOTE N 10 0 corrected"}, Case{"SKIP,X,1,0", false, "SKIP skipped"},
                        Case{"NAME,C,20,0", false, "NAME C 20 0"}}) {
    TTzDataSet::FieldLine l;
    ASSERT_TRUE(TTzDataSet::ParseFieldLine(c.line, c.numericMemos, l)) << c.line;
    std::string parsed = l.name + " " + l.type + " " + std::to_string(l.length) + " " + std::to_string(l.decimals) +
                         (l.corrected ? " corrected" : "");
    EXPECT_EQ(l.skip ? l.name + " skipped" : parsed, c.parsed) << c.line;
  }
  TTzDataSet::FieldLine l;
  EXPECT_FALSE(TTzDataSet::ParseFieldLine("NAME,C,20", false, l));
  EXPECT_FALSE(TTzDataSet::ParseFieldLine("A,B,C,D,E", false, l));
}

TEST_F(Datasets_, MissingTableIsCreatedFromTheFieldListWithCorrections) {
  TTzDbf ds("made");
  ds.DbfFields = {"NAME,C,12,0", "VALUE,N,25,20", "GONE,X,1,0"};
  ds.SetDbfFileName(Path("made"));  // ".DBF" is added
  DialogScript script;
  script.Ok().Expect("Invalid field definition for made: VALUE,N,25,20. Will use corrected definition: VALUE,N,20,18");
  ds.SetActive(true);
  EXPECT_EQ(std::vector<int>({ds.FieldCount(), ds.FieldLen(2), ds.RecordCount(), ds.IsEmpty()}),
            std::vector<int>({2, 20, 0, 1}));
  ds.Append();
  ds.FieldByName("NAME").SetAsString("first");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "first       ");
}

// A float field asked too wide or with too many decimals is corrected as a
// number field is, and said so, never cut to its length modulo 256.
TEST_F(Datasets_, FloatFieldsAreCorrectedAsNumberFieldsAre) {
  TTzDbf ds("floats");
  ds.DbfFields = {"F1,F,300,2", "F2,F,25,20", "F3,F,8,3"};
  ds.SetDbfFileName(Path("floats.dbf"));
  DialogScript script;
  script.Ok().Expect("Invalid field definition for floats: F1,F,300,2. Will use corrected definition: F1,F,20,2");
  script.Ok().Expect("Invalid field definition for floats: F2,F,25,20. Will use corrected definition: F2,F,20,18");
  ds.SetActive(true);
  EXPECT_EQ(script.Shown().size(), 2u);
  EXPECT_EQ(std::vector<int>({ds.FieldCount(), ds.FieldLen(1), ds.FieldLen(2), ds.FieldLen(3)}),
            std::vector<int>({3, 20, 20, 8}));
  ds.SetActive(false);
  if (!dbftest::PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string reader = Path("read.py");
  std::ofstream(reader) << "import sys, dbfread\n"
                           "for f in dbfread.DBF(sys.argv[1]).fields: print(f.name, f.type, f.length, f.decimal_count)\n";
  EXPECT_EQ(dbftest::RunPython(reader, Path("floats.dbf"), Path("out.txt")), "F1 F 20 2\nF2 F 20 18\nF3 F 8 3\n");
}

// A line without a name or with a length that is no whole number is refused;
// numbers too large for any field are corrected. Each message quotes the line
// as written, not the numbers read from it.
TEST_F(Datasets_, FieldLinesAreQuotedAsWrittenWhenRefusedOrCorrected) {
  struct Case {
    const char* line;
    const char* parsed;  // name, type, length, decimals and "corrected", or the refusal
  };
  for (const Case& c : {Case{",F,10,2", "The field has no name."},
                        Case{"F1,C,abc,0", "Its length and decimals must be whole numbers."},
                        Case{"F1,N,8,2x", "Its length and decimals must be whole numbers."},
                        Case{"F1,C,0,0", "Its length must be at least 1."},
                        Case{"F1,N,-5,0", "Its length must be at least 1."},
                        Case{"F1,C,9999999999999999999,0", "F1 C 254 0 corrected"},
                        Case{"F1,F,4294967297,2", "F1 F 20 2 corrected"},
                        Case{"F1,N,10,-99999999999999999999", "F1 N 10 0 corrected"},
                        Case{"F1,C,10,2", "F1 C 10 0 corrected"}, Case{"F1,D,8,0", "F1 D 8 0"},
                        Case{"F1,N,+8,2", "F1 N 8 2"}}) {
    TTzDataSet::FieldLine l;
    const bool ok = TTzDataSet::ParseFieldLine(c.line, false, l);
    std::string parsed = l.name + " " + l.type + " " + std::to_string(l.length) + " " + std::to_string(l.decimals) +
                         (l.corrected ? " corrected" : "");
    EXPECT_EQ(ok ? parsed : l.refusal, c.parsed) << c.line;
    EXPECT_EQ(l.written, c.line);
  }
  TTzDbf ds("wide");
  ds.DbfFields = {"F1,C,9999999999999999999,0", "F2,F,4294967297,2"};
  ds.SetDbfFileName(Path("wide.dbf"));
  {
    DialogScript script;
    script.Ok().Expect("Invalid field definition for wide: F1,C,9999999999999999999,0. Will use corrected definition: "
                       "F1,C,254,0");
    script.Ok().Expect("Invalid field definition for wide: F2,F,4294967297,2. Will use corrected definition: F2,F,20,2");
    ds.SetActive(true);
    EXPECT_EQ(script.Shown().size(), 2u);
  }
  EXPECT_EQ(std::vector<int>({ds.FieldCount(), ds.FieldLen(1), ds.FieldLen(2)}), std::vector<int>({2, 254, 20}));
  ds.SetActive(false);
  TTzDbf refused("nameless");
  refused.DbfFields = {"F1,C,10,0", ",F,10,2"};
  refused.SetDbfFileName(Path("nameless.dbf"));
  {
    DialogScript script;
    script.Ok().Expect("Invalid field definition for nameless: ,F,10,2. The field has no name.");
    script.Ok().Expect("Could not create \"" + ShownPath(Path("nameless.dbf")) + "\"");
    Raised<platform::EDatabaseError>([&] { refused.SetActive(true); });
    EXPECT_EQ(script.Shown().size(), 2u);
  }
  EXPECT_FALSE(refused.Active());
  EXPECT_FALSE(std::filesystem::exists(Path("nameless.dbf")));
  if (!dbftest::PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string reader = Path("read.py");
  std::ofstream(reader) << "import sys, dbfread\n"
                           "for f in dbfread.DBF(sys.argv[1]).fields: print(f.name, f.type, f.length, f.decimal_count)\n";
  EXPECT_EQ(dbftest::RunPython(reader, Path("wide.dbf"), Path("out.txt")), "F1 C 254 0\nF2 F 20 2\n");
}

TEST_F(Datasets_, OpenFailuresAndClosedUseRaiseTheirTextsAndAutoFixRecCountFixesTheCount) {
  TTzDbf ds("none");
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { ds.SetActive(true); }), "Missing DbfFilename property");
  EXPECT_FALSE(ds.Active());
  ds.CreateIfNotFound = false;
  ds.SetDbfFileName(Path("absent.dbf"));
  EXPECT_NE(Raised<platform::EDatabaseError>([&] { ds.SetActive(true); }).find("Error # 2 (File not found)"),
            std::string::npos);
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { ds.CheckError(1401); }), "Dataset error: 1401");
  TTzDbf closed("closed");
  EXPECT_NE(Raised<EDederError>([&] { closed.Field(1); }).find("Database is not open [closed.Field]"),
            std::string::npos);
  // AutoFixRecCount takes the count from the file size on an exclusive open.
  std::string p = SampleTable(3);
  auto b = dbftest::ReadBytes(p);
  b[4] = 9;  // the header claims records the file does not hold
  dbftest::WriteBytes(p, b);
  TTzDbf fix("fix");
  fix.SetExclusive(true);
  fix.AutoFixRecCount = true;
  Open(fix, p);
  EXPECT_EQ(fix.RecordCount(), 3);
  EXPECT_FALSE(FixRecordCount);  // the engine's switch is back
}

// A field whose descriptor lost its name (another program's damage) takes no
// room in the dataset's record: the named fields read and write as before,
// and the unnamed one keeps what the file holds.
TEST_F(Datasets_, FieldWithoutANameIsKeptOutOfTheRecord) {
  std::string p = FilledTable("unnamed.dbf", {F("NAME", 'C', 4), F("X", 'C', 32), F("QTY", 'N', 5)},
                              {{"a", std::string(32, 'x'), "7"}});
  auto b = dbftest::ReadBytes(p);
  std::fill(b.begin() + 64, b.begin() + 64 + 11, 0);  // the second field's name
  dbftest::WriteBytes(p, b);
  TTzDbf ds("unnamed");
  ds.SetExclusive(true);
  Open(ds, p);
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "a   ");
  EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 7);
  ds.Append();
  ds.FieldByName("NAME").SetAsString("b");
  ds.Post();
  ds.SetActive(false);
  Use(p);
  EXPECT_EQ(Fields(1), "a|" + std::string(32, 'x') + "|7");
  EXPECT_EQ(Fields(2), "b||0");
}

TEST_F(Datasets_, MovesReachBothEndsAndSoftDeletesFollowHideDeletedRecs) {
  std::string p = SampleTable(3);
  ProbeDbf ds("moves");
  Open(ds, p);
  EXPECT_TRUE(ds.Bof() && ds.FieldByName("NAME").AsString() == "R1        ");
  using platform::TDataSet;
  std::string seen;
  for (auto move : {&TDataSet::Next, &TDataSet::Next, &TDataSet::Next, &TDataSet::Prior, &TDataSet::Last, &TDataSet::First}) {
    (ds.*move)();
    seen += std::to_string(ds.RecNo()) + (ds.Eof() ? "e" : "") + ",";
  }
  EXPECT_EQ(seen, "2,3,3e,2,3e,1,");
  ds.SetRecNo(2);
  EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 2);
  EXPECT_DOUBLE_EQ(ds.FieldByName("PRICE").AsFloat(), 2.5);
  EXPECT_TRUE(ds.FieldByName("DAY").AsString() == "05/17/24" && ds.FieldByName("OK").AsBoolean());
  // The record source past the last record: 1403, the work area stays on it.
  ds.TziSetToEnd();
  std::vector<std::uint8_t> native(ds.TziGetRecordSize());
  std::int32_t rec = 0;
  ds.Last();
  ds.UpdateCursorPos();
  EXPECT_EQ(ds.TziGetNextRecord(native.data(), rec), kTzAtEnd);
  Select(ds.WorkArea());
  EXPECT_EQ(RecNo(), 3);
  // A soft delete and its restore follow HideDeletedRecs.
  int restored = 0;
  ds.AfterRestore = [&](platform::TDataSet&) { ++restored; };
  ds.SetRecNo(2);
  ds.SetDeleted(true);
  EXPECT_EQ(RecordText(p, 2, 0, 1), "*");
  ds.SetRecNo(2);
  EXPECT_TRUE(ds.IsDeleted());
  ds.SetHideDeletedRecs(true);
  std::vector<platform::Bookmark> rows;
  ds.CollectBookmarks(rows);
  EXPECT_EQ(rows.size(), 2u);
  ds.SetHideDeletedRecs(false);
  ds.SetRecNo(2);
  ds.SetDeleted(false);
  EXPECT_EQ(RecordText(p, 2, 0, 1), " ");
  EXPECT_FALSE(ds.IsDeleted());
  EXPECT_EQ(restored, 1);
}

TEST_F(Datasets_, BookmarksLocateAndLookup) {
  std::string p = SampleTable(7);
  TTzDbf ds("bm");
  Open(ds, p);
  platform::Bookmark five{5, 0, 0, 0}, seven{7, 0, 0, 0};
  const platform::Bookmark* pairs[][2] = {{nullptr, nullptr}, {nullptr, &five}, {&five, nullptr}, {&five, &seven}, {&seven, &five}};
  std::vector<int> order;
  for (auto& pr : pairs) order.push_back(ds.CompareBookmarks(pr[0], pr[1]));
  EXPECT_EQ(order, (std::vector<int>{0, 1, -1, -1, 1}));
  ds.GotoBookmark(seven);
  EXPECT_TRUE(ds.RecNo() == 7 && ds.GetBookmark() == seven);
  std::vector<platform::Bookmark> all;
  ds.CollectBookmarks(all);
  EXPECT_EQ(all.size(), 7u);
  EXPECT_EQ(ds.RecNo(), 7);
  // Locate moves to the record found, Lookup stays.
  EXPECT_EQ(ds.Locate("NAME", {"r4"}, TLocateOptions{true, false}) ? ds.RecNo() : 0, 4);
  EXPECT_EQ(ds.Locate("NAME", {"R9"}, TLocateOptions{}) ? 0 : ds.RecNo(), 4);
  std::vector<std::string> out;
  EXPECT_TRUE(ds.Lookup("QTY", {"2"}, "NAME;PRICE", out));
  EXPECT_EQ(out, (std::vector<std::string>{"R2        ", "2.50"}));  // with the field's decimals
  EXPECT_EQ(ds.RecNo(), 4);
}

// Post writes the file, Cancel discards, a failed lock keeps the edit; fields and the data source follow the
// dataset rules.
TEST_F(Datasets_, EditPostCancelFailedLockFieldRulesAndDataSource) {
  std::string p = SampleTable(2);
  auto owned = std::make_unique<TTzDbf>("edit");
  TTzDbf& ds = *owned;
  platform::TDataSource source;
  source.SetDataSet(&ds);
  std::vector<platform::TDataEvent> seen;
  source.Subscribe([&](platform::TDataEvent e) { seen.push_back(e); });
  Open(ds, p);
  EXPECT_FALSE(seen.empty());
  ds.Next();
  ds.Edit();
  ds.FieldByName("NAME").SetAsString("changed");
  ds.FieldByName("PRICE").SetAsFloat(7.75);
  ds.FieldByName("DAY").SetAsString("12/31/23");
  ds.FieldByName("OK").SetAsBoolean(false);
  ds.Post();
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  EXPECT_EQ(RecordText(p, 2, 1, 32), "changed       2    7.7520231231F");
  ds.Edit();
  ds.FieldByName("NAME").SetAsString("dropped");
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "changed   ");
  EXPECT_EQ(RecordText(p, 2, 1, 10), "changed   ");
  EXPECT_THROW(ds.FieldByName("NAME").SetAsString("x"), platform::EDatabaseError);  // not editing
  EXPECT_THROW(ds.FieldByName("DAY").SetAsString("13/45/24"), platform::EDatabaseError);
  // A post whose record lock fails is reported and keeps the edit.
  ds.First();
  OpenOther(p, 20);
  Select(20);
  Go(1);
  ASSERT_TRUE(RLock());
  ds.Edit();
  ds.FieldByName("NAME").SetAsString("mine");
  {
    DialogScript script;
    script.Ok().Expect("Lock failed [Post]");
    EXPECT_THROW(ds.Post(), platform::EAbort);
  }
  EXPECT_EQ(ds.State(), TDataSetState::Edit);
  EXPECT_EQ(RecordText(p, 1, 1, 10), "R1        ");
  // A lock-failed event that asks again after the other user let go.
  int calls = 0;
  ds.OnRLockFailedOnPost = [&](TTzFileDataSet&, bool& retry) {
    ++calls;
    Select(20);
    Unlock();
    retry = true;
  };
  ds.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  EXPECT_EQ(RecordText(p, 1, 1, 10), "mine      ");
  ds.FieldByName("NAME").ReadOnly = true;
  ds.Edit();
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { ds.FieldByName("NAME").SetAsString("x"); }),
            "Field 'NAME' cannot be modified");
  ds.FieldByName("NAME").ReadOnly = false;
  EXPECT_THROW(ds.FieldByName("QTY").SetAsString("12x"), platform::EDatabaseError);
  ds.FieldByName("QTY").SetAsString(" 42 ");
  EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 42);
  ds.FieldByName("NAME").SetAsString("a much longer text");
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "a much lon");  // cut to its size
  EXPECT_THROW(ds.FieldByName("NOPE"), platform::EDatabaseError);
  ds.Post();
  seen.clear();
  ds.DisableControls();
  ds.Next();
  EXPECT_TRUE(seen.empty());
  ds.EnableControls();
  EXPECT_EQ(seen, std::vector<platform::TDataEvent>{platform::TDataEvent::DataSetChange});
  owned.reset();  // the source forgets a dataset that is gone
  EXPECT_EQ(source.DataSet(), nullptr);
  int y, m, d;
  platform::DayNumberToDate(platform::DayNumber(2024, 5, 17), y, m, d);
  EXPECT_EQ(std::vector<int>({platform::DayNumber(1, 1, 1), platform::DayNumber(2024, 5, 17), y * 10000 + m * 100 + d}),
            std::vector<int>({1721426, 2460448, 20240517}));
}

TEST_F(Datasets_, MemoFieldsAreWrittenAndReadAsStreams) {
  TTzDbf ds("memo");
  ds.DbfFields = {"NAME,C,10,0", "NOTE,M,10,0"};
  Open(ds, Path("memo.dbf"));
  ds.Append();
  ds.FieldByName("NAME").SetAsString("first");
  {
    TTzBlobStream out(ds.FieldByName("NOTE"), TTzBlobStream::Mode::Write);
    std::string text = "A memo of two parts";
    EXPECT_EQ(out.Write(text.data(), 9), 9);
    EXPECT_EQ(out.Write(text.data() + 9, static_cast<std::int32_t>(text.size()) - 9), 10);
  }
  ds.Post();
  EXPECT_NE(ds.FieldByName("NOTE").AsString().find("A memo of two parts"), std::string::npos);
  TTzBlobStream in(ds.FieldByName("NOTE"), TTzBlobStream::Mode::Read);
  char buffer[64] = {};
  EXPECT_EQ(in.Read(buffer, 6), 6);
  EXPECT_EQ(std::string(buffer, 6), "A memo");
  // A write stream that writes nothing leaves the field without a memo.
  ds.Edit();
  { TTzBlobStream empty(ds.FieldByName("NOTE"), TTzBlobStream::Mode::Write); }
  ds.Post();
  EXPECT_EQ(ds.FieldByName("NOTE").AsString(), "");
}

// The index list at open: built when missing, rebuilt on another record count with ciVerifyHeader
// and always with ciAlways unless rebuilt today already, required with ciNever.
TEST_F(Datasets_, IndexListIsBuiltAsItsCreateModeSays) {
  std::string p = SampleTable(5);
  std::string ndx = Path("names.ndx");
  {
    TTzDbf ds("idx");
    ds.IndexList = {"1," + ndx + ",NAME"};
    std::vector<std::string> built;
    ds.OnAfterMakeIndex = [&](const std::string& f) { built.push_back(f); };
    Open(ds, p);  // ciNotFound: the missing index is built
    ASSERT_EQ(built.size(), 1u);
    EXPECT_TRUE(ds.IndexActive() && !ds.IsSequenced());
    EXPECT_EQ(ds.Find("R3") ? ds.RecNo() : 0, 3);
    EXPECT_TRUE(ds.Find("R3" + std::string(120, ' ')));  // only the first 100 characters count
    EXPECT_EQ(ds.Locate("NAME", {"R4"}, TLocateOptions{false, true}) ? ds.RecNo() : 0, 4);
    ds.Last();
    EXPECT_EQ(ds.RecNo(), 5);
    ds.SetIndexTo("");  // detach, then add a record the index does not know
    ASSERT_TRUE(ds.ALock());
    ds.AppendRec();
    ds.UnLock();
  }
  // Opens with `mode` and gives how often the index was built.
  auto builds = [&](TCreateIndexType mode) {
    TTzDbf ds("mode");
    ds.IndexList = {"1," + ndx + ",NAME"};
    ds.CreateIndex = mode;
    int n = 0;
    ds.OnBeforeMakeIndex = [&](const std::string&, bool& build) { ++n, build = true; };
    Open(ds, p);
    EXPECT_EQ(ds.RecordCount(), 6);
    EXPECT_TRUE(ds.Find("R2"));
    return n;
  };
  EXPECT_EQ(builds(TCreateIndexType::ciVerifyHeader), 1);
  EXPECT_EQ(builds(TCreateIndexType::ciVerifyHeader), 0);
  EXPECT_EQ(builds(TCreateIndexType::ciAlways), 1);
  std::tm noon{};  // the pinned clock's today at noon
  noon.tm_year = 124, noon.tm_mon = 4, noon.tm_mday = 17, noon.tm_hour = 12, noon.tm_isdst = -1;
  std::time_t t = std::mktime(&noon);
  std::filesystem::last_write_time(
      ndx, std::filesystem::file_time_type::clock::now() +
               std::chrono::seconds(t - std::chrono::system_clock::to_time_t(std::chrono::system_clock::now())));
  EXPECT_EQ(builds(TCreateIndexType::ciAlways), 0);
  std::filesystem::remove(ndx);
  TTzDbf ds("never");
  ds.IndexList = {"1," + ndx + ",NAME"};
  ds.CreateIndex = TCreateIndexType::ciNever;
  ds.SetDbfFileName(p);
  EXPECT_THROW(ds.SetActive(true), std::exception);
  EXPECT_FALSE(ds.Active() || std::filesystem::exists(ndx));
}

// An empty table opens with its index list as an empty dataset: one of a
// field list made now, and one whose missing index is built empty.
TEST_F(Datasets_, AnEmptyTableOpensWithItsIndexList) {
  for (bool made : {true, false}) {
    SCOPED_TRACE(made ? "made from the field list" : "empty table, index missing");
    const std::string p = made ? Path("new.dbf") : SampleTable(0);
    const std::string ndx = Path(made ? "new.ndx" : "sample.ndx");
    TTzDbf ds("empty");
    ds.DbfFields = {"NAME,C,10,0"};
    ds.IndexList = {"1," + ndx + ",NAME"};
    ds.CreateIndex = TCreateIndexType::ciNotFound;
    Open(ds, p);
    EXPECT_TRUE(ds.Active() && ds.IsEmpty() && ds.Eof() && ds.Bof());
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(ndx));
    ds.Append();
    ds.FieldByName("NAME").SetAsString("first");
    ds.Post();
    EXPECT_TRUE(ds.Find("first"));
    EXPECT_EQ(ds.RecordCount(), 1);
  }
}

// Pack of a read-only dataset is refused, naming the table, and leaves the
// file as it was.
TEST_F(Datasets_, ReadOnlyDatasetIsNeverPacked) {
  const std::string p = SampleTable(3);
  {
    SetErrorDispatch(false);
    Use(p);
    Go(2);
    DeleteRec();
    CloseDatabase();
    SetErrorDispatch(true);
  }
  const auto before = dbftest::ReadBytes(p);
  TTzDbf ds("shown");
  ds.ReadOnly = true;
  Open(ds, p);
  const std::string raised = Raised<EDederError>([&] { ds.Pack(); });
  EXPECT_EQ(raised, "Error # 5 (File access denied)\r\nCannot pack " + p + ": it is open for reading only [Pack]");
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.SetActive(false);
  EXPECT_EQ(dbftest::ReadBytes(p), before);
}

// Key-maker indexes read the record through the fields, follow appends and can be attached again.
TEST_F(Datasets_, KeyMakerIndexesReadTheRecordThroughTheFields) {
  std::string p = SampleTable(6);
  std::string ndx = Path("km.ndx");
  // Key: QTY counted down from 100, so the order is the reverse of QTY.
  auto maker = [](TTzFileDataSet& ds, std::string& key) {
    char k[12];
    std::snprintf(k, sizeof k, "%03d", 100 - ds.FieldByName("QTY").AsInteger());
    key = k;
  };
  {
    TTzDbf ds("km");
    ds.SetDbfFileName(p);
    ds.SetExclusive(true);
    ds.SetActive(true);
    ds.Go(2);
    ds.IndexOnCB(ndx, maker);
    EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 2);  // the active record is unchanged
    ds.First();
    EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 6);
    ds.Append();
    ds.FieldByName("NAME").SetAsString("NEW");
    ds.FieldByName("QTY").SetAsInteger(50);
    ds.Post();
    ds.First();
    EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 50);
  }
  TTzDbf ds("again");
  Open(ds, p);
  ds.SetIndexToCB(ndx, 1, maker);
  EXPECT_EQ(ds.Find("097") ? ds.FieldByName("QTY").AsInteger() : 0, 3);
  ds.Last();
  EXPECT_EQ(ds.FieldByName("QTY").AsInteger(), 1);
}

namespace {

// An open that finds no field list fails with the component's name; deleting
// the last visible record leaves an empty dataset, not the hidden record.
TEST_F(Datasets_, NoFieldListFailsTheOpenAndDeletingTheLastVisibleRecordEmptiesTheDataset) {
  // The engine refuses a table file without fields; a table source may still
  // open without describing any.
  struct NoFields : TTzDbf {
    using TTzDbf::TTzDbf;
    bool OpenTable(const std::string& name) override {
      if (!TTzDbf::OpenTable(name)) return false;
      SelectedWorkArea()->fields.clear();
      return true;
    }
  };
  NoFields none("nofields");
  none.SetDbfFileName(SampleTable(1, "bare.dbf"));
  EXPECT_EQ(Raised<std::exception>([&] { none.SetActive(true); }), "nofields.DbfFields undefined. Set Active to TRUE");
  EXPECT_FALSE(none.Active());

  std::string p = SampleTable(2);
  TTzDbf ds("emptied");
  ds.SetHideDeletedRecs(true);
  Open(ds, p);
  ds.Delete();
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "R2        ");
  ds.Delete();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Bof() && ds.Eof());
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "");
  EXPECT_EQ(RecordText(p, 2, 0, 1), "*");
}

// A filter of either kind, like an index, means record numbers are no
// positions; a failing index line is named as written.
TEST_F(Datasets_, FiltersMakeTheDatasetUnsequencedAndIndexErrorsNameTheWholeLine) {
  std::string p = SampleTable(3);
  {
    TTzDbf ds("seq");
    Open(ds, p);
    EXPECT_TRUE(ds.IsSequenced());
    ds.Filtered = true;
    EXPECT_FALSE(ds.IsSequenced());
    ds.Filtered = false;
    Select(ds.WorkArea());
    SelectedWorkArea()->filterCallback = [] { return true; };
    EXPECT_FALSE(ds.IsSequenced());
    SelectedWorkArea()->filterCallback = nullptr;
    EXPECT_TRUE(ds.IsSequenced());
  }
  const std::string line = " 1 , " + Path("bad.ndx") + " , NAME +";
  TTzDbf ds("badkey");
  ds.IndexList = {line};
  ds.SetDbfFileName(p);
  const std::string error = Raised<std::exception>([&] { ds.SetActive(true); });
  EXPECT_NE(error.find(line), std::string::npos) << error;
  EXPECT_FALSE(ds.Active());
}

}  // namespace

namespace {

// Edits, posts and deletes that fail the given number of times first, as a
// busy table would.
class FlakyDbf : public TTzDbf {
 public:
  using TTzDbf::TTzDbf;
  int editFailures = 0, postFailures = 0, deleteFailures = 0;

 protected:
  std::int32_t TziGotoBookmark(const std::uint8_t* bookmark) override {
    if (State() == TDataSetState::Browse && editing_ && editFailures > 0 && editFailures--)
      throw platform::EDatabaseError("record busy");
    return TTzDbf::TziGotoBookmark(bookmark);
  }
  bool ReplaceWithLock() override {
    if (postFailures > 0 && postFailures--) throw platform::EDatabaseError("post busy");
    return TTzDbf::ReplaceWithLock();
  }
  bool DeleteWithLock() override {
    if (deleteFailures > 0 && deleteFailures--) throw platform::EDatabaseError("delete busy");
    return TTzDbf::DeleteWithLock();
  }

 public:
  bool editing_ = false;
};

}  // namespace

// Calculated fields follow the data fields; OnCalcFields fills them for every
// record read (with that record's fields and number), and, with
// AutoCalcFields, again whenever a data field of the edited record changes.
TEST_F(Datasets_, CalculatedFieldsAreComputedForEveryRecordAndFollowEdits) {
  std::string p = SampleTable(3);
  TTzDbf ds("calc");
  ds.AddCalcField("TOTAL", platform::TFieldType::Float);
  ds.AddCalcField("LABEL", platform::TFieldType::String, 12);
  std::vector<std::int32_t> seen;
  ds.OnCalcFields = [&](platform::TDataSet& d) {
    EXPECT_EQ(d.State(), TDataSetState::CalcFields);
    seen.push_back(d.RecNo());
    d.FieldByName("TOTAL").SetAsFloat(d.FieldByName("QTY").AsFloat() * d.FieldByName("PRICE").AsFloat());
    if (d.FieldByName("OK").AsBoolean()) d.FieldByName("LABEL").SetAsString("even " + AllTrim(d.FieldByName("NAME").AsString()));
  };
  Open(ds, p);
  ASSERT_EQ(static_cast<platform::TDataSet&>(ds).FieldCount(), 7);
  EXPECT_TRUE(ds.FieldByName("TOTAL").Calculated());
  EXPECT_EQ(ds.FieldByName("TOTAL").FieldNo(), -1);
  std::vector<std::string> totals, labels;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    totals.push_back(ds.FieldByName("TOTAL").AsString());
    labels.push_back(ds.FieldByName("LABEL").IsNull() ? "<null>" : ds.FieldByName("LABEL").AsString());
  }
  EXPECT_EQ(totals, (std::vector<std::string>{"1.25", "5", "11.25"}));
  EXPECT_EQ(labels, (std::vector<std::string>{"<null>", "even R2", "<null>"}));
  EXPECT_NE(std::find(seen.begin(), seen.end(), 3), seen.end());
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  // Outside the calculation a calculated field is not written; the data
  // fields of the record are untouched in the file.
  EXPECT_THROW(ds.FieldByName("TOTAL").SetAsFloat(1), platform::EDatabaseError);
  EXPECT_THROW(ds.AddCalcField("MORE", platform::TFieldType::Integer), platform::EDatabaseError);
  // AutoCalcFields: the edited record's total follows its quantity at once.
  ds.Go(2);
  ds.Edit();
  ds.FieldByName("QTY").SetAsInteger(10);
  EXPECT_EQ(ds.FieldByName("TOTAL").AsFloat(), 25);
  ds.Post();
  EXPECT_EQ(ds.FieldByName("TOTAL").AsFloat(), 25);
  EXPECT_EQ(RecordText(p, 2, 11, 5), "   10");
  // Without it the total waits for the next read of the record.
  ds.AutoCalcFields = false;
  ds.Edit();
  ds.FieldByName("QTY").SetAsInteger(4);
  EXPECT_EQ(ds.FieldByName("TOTAL").AsFloat(), 25);
  ds.Post();
  EXPECT_EQ(ds.FieldByName("TOTAL").AsFloat(), 10);
  // A handler that fails leaves the dataset browsing, not calculating.
  ds.OnCalcFields = [](platform::TDataSet&) { throw platform::EDatabaseError("bad formula"); };
  EXPECT_THROW(ds.First(), platform::EDatabaseError);
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
}

// A failed edit, post or delete goes to its error event, which may retry,
// abort (quietly) or let the error fail the operation. DirectOpenClose only
// checks that the dataset is active.
TEST_F(Datasets_, ErrorEventsRetryAbortOrFailAndDirectOpenCloseNeedsAnActiveDataset) {
  std::string p = SampleTable(3);
  FlakyDbf ds("flaky");
  EXPECT_NE(Raised<EDederError>([&] { ds.DirectOpenClose(); }).find("DataSet must be active. flaky"),
            std::string::npos);
  EXPECT_EQ(TzLastError, 1103);
  Open(ds, p);
  EXPECT_NO_THROW(ds.DirectOpenClose());
  std::vector<std::string> messages;
  auto retryOnce = [&](platform::TDataSet& d, platform::EDatabaseError& e, platform::TDataAction& action) {
    EXPECT_EQ(&d, &ds);
    messages.push_back(e.what());
    action = platform::TDataAction::daRetry;
  };
  // Post: retried until it goes through.
  ds.OnPostError = retryOnce;
  ds.Go(1);
  ds.Edit();
  ds.FieldByName("QTY").SetAsInteger(77);
  ds.postFailures = 2;
  ds.Post();
  EXPECT_EQ(messages, (std::vector<std::string>{"post busy", "post busy"}));
  EXPECT_EQ(RecordText(p, 1, 11, 5), "   77");
  // Delete: aborted, quietly, and the record stays.
  ds.OnDeleteError = [](platform::TDataSet&, platform::EDatabaseError&, platform::TDataAction& action) {
    action = platform::TDataAction::daAbort;
  };
  ds.deleteFailures = 1;
  EXPECT_THROW(ds.Delete(), platform::EAbort);
  EXPECT_EQ(RecordText(p, 1, 0, 1), " ");
  // Without an event the error fails the operation; the next try works.
  ds.OnDeleteError = nullptr;
  ds.deleteFailures = 1;
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { ds.Delete(); }), "delete busy");
  ds.Delete();
  EXPECT_EQ(RecordText(p, 1, 0, 1), "*");
  // Edit: the event sees the failure and leaves it failing.
  int editErrors = 0;
  ds.OnEditError = [&](platform::TDataSet&, platform::EDatabaseError&, platform::TDataAction&) { ++editErrors; };
  ds.Go(2);
  ds.editing_ = true;
  ds.editFailures = 1;
  EXPECT_THROW(ds.Edit(), platform::EDatabaseError);
  EXPECT_EQ(editErrors, 1);
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  ds.OnEditError = retryOnce;
  ds.editFailures = 1;
  ds.Edit();
  EXPECT_EQ(ds.State(), TDataSetState::Edit);
  ds.Cancel();
}
