#include "platform/dataset.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace {

// An in-memory dataset: records of NAME (String 8) and N (Integer).
// Buffer: name (9) | n (4) | record index (4) | flag (1).
class MemoryDataSet : public TDataSet {
 public:
  MemoryDataSet() : TDataSet("mem") {}
  std::vector<RecordBuffer> rows;

 protected:
  static constexpr std::size_t kIndex = 13, kFlag = 17, kSize = 18;
  void InternalOpen() override { open_ = true; }
  void InternalClose() override { open_ = false; }
  bool IsCursorOpen() const override { return open_; }
  void InternalInitFieldDefs() override {
    fieldDefs_.push_back({"NAME", TFieldType::String, 8});
    fieldDefs_.push_back({"N", TFieldType::Integer, 0});
  }
  std::size_t BufferSize() const override { return kSize; }
  TGetResult GetRecord(RecordBuffer& b, TGetMode mode, bool) override {
    int next = mode == TGetMode::Current ? cursor_ : mode == TGetMode::Next ? cursor_ + 1 : cursor_ - 1;
    if (next < 0) {
      cursor_ = -1;
      return TGetResult::Bof;
    }
    if (next >= static_cast<int>(rows.size())) {
      cursor_ = static_cast<int>(rows.size());
      return TGetResult::Eof;
    }
    cursor_ = next;
    b.assign(kSize, 0);
    std::memcpy(b.data(), rows[static_cast<std::size_t>(next)].data(), 13);
    std::memcpy(b.data() + kIndex, &next, 4);
    b[kFlag] = 0;
    return TGetResult::Ok;
  }
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = static_cast<int>(rows.size()); }
  void InternalInitRecord(RecordBuffer& b) override { b.assign(kSize, 0); }
  void InternalAddRecord(RecordBuffer& b, bool) override { rows.emplace_back(b.begin(), b.begin() + 13); }
  void InternalPost() override {
    if (State() == TDataSetState::Insert) {
      rows.emplace_back(ActiveBuffer().begin(), ActiveBuffer().begin() + 13);
      cursor_ = static_cast<int>(rows.size()) - 1;
    } else {
      std::memcpy(rows[static_cast<std::size_t>(cursor_)].data(), ActiveBuffer().data(), 13);
    }
  }
  void InternalDelete() override { rows.erase(rows.begin() + cursor_); }
  void InternalGotoBookmark(const Bookmark& bm) override { std::memcpy(&cursor_, bm.data(), 4); }
  void InternalSetToRecord(const RecordBuffer& b) override { std::memcpy(&cursor_, b.data() + kIndex, 4); }
  Bookmark GetBookmarkData(const RecordBuffer& b) const override {
    return Bookmark(b.begin() + kIndex, b.begin() + kIndex + 4);
  }
  void SetBookmarkData(RecordBuffer& b, const Bookmark& bm) override { std::memcpy(b.data() + kIndex, bm.data(), 4); }
  TBookmarkFlag GetBookmarkFlag(const RecordBuffer& b) const override { return static_cast<TBookmarkFlag>(b[kFlag]); }
  void SetBookmarkFlag(RecordBuffer& b, TBookmarkFlag f) override { b[kFlag] = static_cast<std::uint8_t>(f); }
  bool GetFieldDataFrom(const RecordBuffer& b, const TField& f, void* dest) const override {
    std::memcpy(dest, b.data() + (f.FieldNo() == 1 ? 0 : 9), f.FieldNo() == 1 ? 9 : 4);
    return true;
  }
  void SetFieldDataIn(RecordBuffer& b, TField& f, const void* src) override {
    std::size_t n = f.FieldNo() == 1 ? 9 : 4;
    if (src) std::memcpy(b.data() + (f.FieldNo() == 1 ? 0 : 9), src, n);
    else std::memset(b.data() + (f.FieldNo() == 1 ? 0 : 9), 0, n);
  }
  int GetRecordCountInternal() override { return static_cast<int>(rows.size()); }

 private:
  bool open_ = false;
  int cursor_ = -1;
};

void AddRow(MemoryDataSet& ds, const std::string& name, std::int32_t n) {
  ds.Append();
  ds.FieldByName("NAME").SetAsString(name);
  ds.FieldByName("N").SetAsInteger(n);
  ds.Post();
}

}  // namespace

// Moves, edit, cancel, post and a failed post are checked on the table
// engine's datasets (tests/dbf/datasets_test.cpp).
TEST(Dataset, FieldsChangeOnlyInEditAndNeverWhenReadOnly) {
  MemoryDataSet ds;
  ds.Open();
  AddRow(ds, "A", 1);
  EXPECT_THROW(ds.FieldByName("N").SetAsInteger(2), EDatabaseError);  // browsing
  ds.FieldByName("NAME").ReadOnly = true;
  ds.Edit();
  try {
    ds.FieldByName("NAME").SetAsString("x");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'NAME' cannot be modified");
  }
  ds.FieldByName("N").SetAsInteger(8);
  ds.Post();
  EXPECT_EQ(ds.FieldByName("N").AsInteger(), 8);
}

TEST(Dataset, DataSourceTellsItsListenersUnlessControlsAreDisabled) {
  auto ds = std::make_unique<MemoryDataSet>();
  TDataSource source;
  source.SetDataSet(ds.get());
  std::vector<TDataEvent> seen;
  source.Subscribe([&](TDataEvent e) { seen.push_back(e); });
  ds->Open();
  EXPECT_FALSE(seen.empty());
  AddRow(*ds, "A", 1);
  seen.clear();
  ds->DisableControls();
  AddRow(*ds, "B", 2);
  EXPECT_TRUE(seen.empty());
  ds->EnableControls();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], TDataEvent::DataSetChange);
  ds.reset();  // the source forgets a dataset that is gone
  EXPECT_EQ(source.DataSet(), nullptr);
}

TEST(Dataset, FieldTextsAndDayNumbers) {
  EXPECT_EQ(DayNumber(1, 1, 1), 1721426);
  EXPECT_EQ(DayNumber(2024, 5, 17), 2460448);
  int y, m, d;
  DayNumberToDate(2460448, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240517);
  MemoryDataSet ds;
  ds.Open();
  ds.Append();
  EXPECT_THROW(ds.FieldByName("N").SetAsString("12x"), EDatabaseError);
  ds.FieldByName("N").SetAsString(" 42 ");
  EXPECT_EQ(ds.FieldByName("N").AsInteger(), 42);
  ds.FieldByName("NAME").SetAsString("a much longer text");
  EXPECT_EQ(ds.FieldByName("NAME").AsString(), "a much l");  // cut to its size
  EXPECT_THROW(ds.FieldByName("NOPE"), EDatabaseError);
}
