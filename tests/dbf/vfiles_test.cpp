#include "dbf/vfiles.h"

#include <algorithm>

#include "dbf_test_util.h"

using namespace dbftest;

namespace {

std::string KeyOfName(void*) { return GetFieldText(1); }

class VFiles : public DbfTest {
 protected:
  // A virtual file NAME C10, QTY N5, NOTE M in the selected work area.
  void OpenVirtual(const std::string& words = "") {
    UseVirtual("scratch", {F("name", 'c', 10), F("QTY", 'N', 5), F("NOTE", 'M', 0)}, words);
  }
  void Add(const std::string& name, int qty = 0) {
    ClearRecord();
    SetFieldText(1, name);
    SetFieldValue(2, qty);
    Append();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  }
  void Push(const std::string& name) {
    ClearRecord();
    SetFieldText(1, name);
    PushRec();
  }
  std::string Pops() {
    std::string out;
    while (RecCount() > 0) {
      PopRec();
      out += GetFieldText(1);
    }
    return out;
  }
  std::uint8_t buffer_[64];
};

// AddStru builds the structure and refuses bad fields; queues and stacks pop in their order.
TEST_F(VFiles, StructureFromAddStruQueuesAndStacks) {
  OpenVirtual();
  EXPECT_EQ(FieldCount(), 3);
  EXPECT_EQ(Field(1) + FieldType(3) + std::to_string(FieldLen(3)), "NAMEN10");  // memo fields hold block numbers
  std::vector<TDbfFieldEntry> bad{F("X", 'Q', 3)};
  AddStru(bad.data(), 1);
  EXPECT_EQ(TzErrorDetail.find("Invalid type \"Q\" in VFile field list. Alias= SCRATCH [AddStru]"), 0u) << TzLastError;
  std::vector<TDbfFieldEntry> zero{F("X", 'N', 0)};
  AddStru(zero.data(), 1);
  EXPECT_EQ(TzLastError, 211);
  for (const char* n : {"A", "B", "C"}) Push(n);
  EXPECT_EQ(Pops(), "ABC");
  PopRec();
  EXPECT_EQ(TzLastError, 1100);
  EXPECT_NE(TzErrorDetail.find("Virtual file empty - no more records to POP from SCRATCH"), std::string::npos);
  Set_VFileMode_To(LIFO);
  for (const char* n : {"A", "B", "C"}) Push(n);
  EXPECT_EQ(Pops(), "CBA");

  // A plain table is not a virtual file.
  Select(2);
  Sample(1);
  PushRec();
  EXPECT_EQ(TzLastError, 1100);
}

TEST_F(VFiles, SortedInsertionAndSorting) {
  OpenVirtual(" ASCENDING");
  SetFieldText(1, "x");
  Append();
  EXPECT_EQ(TzLastError, 1100);  // sorted without a key maker
  EXPECT_EQ(RecCount(), 0);
  CloseDatabase();
  // Loaded order, and the order after the first record's key became "8".
  for (auto [words, loaded, changed] :
       {std::tuple<const char*, const char*, const char*>{" ASCENDING", "1,3,3,5,7,9,", "3,3,5,7,8,9,"},
        {" DESCENDING", "9,7,5,3,3,1,", "8,7,5,3,3,1,"}}) {
    OpenVirtual(words);
    Set_VFileKey_To(KeyOfName, nullptr);
    for (const char* n : {"5", "3", "3", "9", "7", "1"}) Add(n);
    EXPECT_EQ(Column(), loaded) << words;
    Go(1);
    SetFieldText(1, "8");
    Replace();
    EXPECT_EQ(Column(), changed) << words;
    CloseDatabase();
  }
  // The only record of a sorted file, replaced: the file stands on it, neither before nor after it.
  OpenVirtual(" DESCENDING");
  Set_VFileKey_To(KeyOfName, nullptr);
  Add("5");
  Go(1);
  SetFieldText(1, "4");
  Replace();
  EXPECT_EQ(TzLastError, 0);
  EXPECT_TRUE(RecNo() == 1 && !dBOF() && !dEOF());
  EXPECT_EQ(Column(), "4,");
  CloseDatabase();

  OpenVirtual();
  for (const char* n : {"d", "a", "e", "b", "c"}) Add(n);
  Set_VFileMode_To(ASCENDING);
  EXPECT_EQ(TzLastError, 1100);
  EXPECT_EQ(Get_VFileMode(), FIFO);
  SortVFile(ASCENDING);
  EXPECT_EQ(TzLastError, 1100);  // no key maker yet
  Set_VFileKey_To(KeyOfName, nullptr);
  SortVFile(ASCENDING);
  EXPECT_EQ(Column(), "a,b,c,d,e,");
  EXPECT_EQ(Get_VFileMode(), ASCENDING);
  SortVFile(DESCENDING);
  EXPECT_EQ(Column(), "e,d,c,b,a,");
  SortVFile(FIFO);
  EXPECT_EQ(TzLastError, 220);
}

TEST_F(VFiles, RecordsMoveDeletePackAndSnip) {
  OpenVirtual();
  for (int i = 1; i <= 5; ++i) Add("R" + std::to_string(i), i);
  EXPECT_EQ(RecCount(), 5);
  EXPECT_EQ(Fields(3), "R3|3|0");
  SetFieldValue(2, 33);
  Replace();
  Go(1);
  EXPECT_EQ(Fields(3), "R3|33|0");
  GoBottom();
  EXPECT_EQ(GetFieldText(1), "R5");
  Go(9);
  EXPECT_EQ(TzLastError, 212);
  EXPECT_EQ(TzErrorDetail, "Record # 9 of 5 in SCRATCH [VFiles]");
  EXPECT_TRUE(dEOF() && RecNo() == 6);

  DeleteRecs({2, 4});
  SetIgnoreDel(true);
  EXPECT_EQ(Column(), "R1,R3,R5,");
  SetIgnoreDel(false);
  Go(4);
  RecallRec();
  ASSERT_TRUE(Pack());
  EXPECT_EQ(Column(), "R1,R3,R4,R5,");

  Go(2);
  SnipRec();
  EXPECT_EQ(GetFieldText(1), "R4");  // the next record becomes current
  EXPECT_EQ(Column(), "R1,R4,R5,");

  // Insertion mode puts a new record before the current one.
  Set_VFileMode_To(INSERTION);
  Go(2);
  Push("new");
  EXPECT_EQ(Column(), "R1,new,R4,R5,");
  PopRec();
  EXPECT_EQ(TzLastError, 1100);

  DeleteRecs({1, 2, 3, 4});
  ASSERT_TRUE(Pack());
  EXPECT_TRUE(RecCount() == 0 && dEOF() && dBOF());
}

TEST_F(VFiles, WrittenToDiskAndReadBack) {
  OpenVirtual();
  for (int i = 1; i <= 4; ++i) Add("R" + std::to_string(i), i * 10);
  DeleteRecs({2});
  std::string p = Path("saved.dbf");
  EXPECT_EQ(WriteVFileToDisk(p, true, true), 3);
  EXPECT_FALSE(platform::FileExists(p + ".v$$"));
  CloseDatabase();

  // An independent open sees the records.
  Select(2);
  Use(p);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(Fields(3), "R4|40|0");
  CloseDatabase();

  Select(1);
  std::fill(std::begin(buffer_), std::end(buffer_), 0);
  Use("loaded VIRTUAL FILE DESCENDING", buffer_, sizeof buffer_);
  Set_VFileKey_To(KeyOfName, nullptr);
  EXPECT_EQ(ReadVFileFromDisk(p, false, true), 3);
  EXPECT_TRUE(FieldCount() == 3 && SelectedArea == 1);
  EXPECT_EQ(Column(), "R4,R3,R1,");
  GoTop();
  EXPECT_EQ(GetFieldText(1), "R4        ");  // padded to the stored width
  EXPECT_EQ(WorkAreas[2], nullptr);  // the disk file is closed again

  // A failed save leaves the old file whole.
  auto before = ReadBytes(p);
  std::filesystem::create_directories(p + ".v$$");
  EXPECT_EQ(WriteVFileToDisk(p, false), -1);
  EXPECT_NE(TzLastError, 0);
  EXPECT_EQ(ReadBytes(p), before);
}

}  // namespace
