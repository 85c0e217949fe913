// A small dataset framework: a dataset with states, one active record
// buffer, bookmarks, typed fields and the events of its life, and a data
// source through which grids and navigators follow it. The record storage
// is left to descendants, which fill the protected operations. Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

enum class TDataSetState { Inactive, Browse, Edit, Insert, SetKey, CalcFields, Filter, NewValue };
enum class TGetMode { Current, Next, Prior };
enum class TGetResult { Ok, Bof, Eof, Error };
// Bookmark flags of a record buffer.
enum class TBookmarkFlag : std::uint8_t { Current = 0, Bof = 1, Eof = 2, Inserted = 3 };
enum class TFieldType { String, Integer, Float, Date, Boolean, Memo };
enum class TDataEvent { DataSetChange, RecordChange, DataSetScroll, UpdateState, FieldChange };

using Bookmark = std::vector<std::uint8_t>;
using RecordBuffer = std::vector<std::uint8_t>;

// The framework's general exception.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
};
// A value the named field cannot hold.
inline EDatabaseError ValueOutOfRange(const std::string& field) {
  return EDatabaseError("Value out of range for field '" + field + "'");
}
// A failure that was already reported to the user: callers stop quietly.
class EAbort : public EDatabaseError {
 public:
  EAbort() : EDatabaseError("Operation aborted") {}
};

// Day numbers of dates: 0001-01-01 is 1721426 (0 = blank date).
std::int32_t DayNumber(int year, int month, int day);
void DayNumberToDate(std::int32_t dayNumber, int& year, int& month, int& day);

class TDataSet;

// Bytes of a field's value in the framework's representation (below).
int FieldDataSize(TFieldType type, int size);

struct TFieldDef {
  std::string name;
  TFieldType type = TFieldType::String;
  int size = 0;  // characters of a string field; width of a number
  bool calculated = false;  // computed by OnCalcFields, not stored
};

// What a dataset does after an error event: raise the error, stop quietly
// (EAbort), or try the operation again.
enum class TDataAction { daFail, daAbort, daRetry };

// One field of a dataset. Values travel through the dataset's field-data
// operations in the framework's representation:
//   String: length-prefixed text (size + 1 bytes); Integer: int32;
//   Float: double; Date: double day number (0 = blank);
//   Boolean: 2 bytes, byte 0 non-zero = true; Memo: int32 block number.
class TField {
 public:
  TField(TDataSet& dataSet, const TFieldDef& def, int fieldNo);
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return name_; }
  int FieldNo() const { return fieldNo_; }  // from 1; -1 for a calculated field
  bool Calculated() const { return calcOffset_ >= 0; }
  // Start of the field's slot in the calculated part of a record buffer
  // (a has-value byte, then the value); -1 for a data field.
  int CalcOffset() const { return calcOffset_; }
  void SetCalcOffset(int offset) { calcOffset_ = offset; }
  TFieldType DataType() const { return type_; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  bool ReadOnly = false;
  // Boolean fields: "true text;false text".
  std::string DisplayValues;
  std::string EditMask;
  TDataSet& DataSet() const { return dataSet_; }

  int DataSize() const;
  bool IsNull() const;
  bool GetData(void* dest) const;
  void SetData(const void* source);  // nullptr clears

  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& text);
  virtual std::string DisplayText() const { return AsString(); }
  std::int32_t AsInteger() const;
  void SetAsInteger(std::int32_t v);
  double AsFloat() const;
  void SetAsFloat(double v);
  bool AsBoolean() const;
  void SetAsBoolean(bool v);
  void Clear() { SetData(nullptr); }

 protected:
  TDataSet& dataSet_;
  std::string name_;
  TFieldType type_;
  int size_;
  int fieldNo_;
  int calcOffset_ = -1;
};

class TStringField : public TField { using TField::TField; };
class TIntegerField : public TField { using TField::TField; };
class TFloatField : public TField { using TField::TField; };
class TDateField : public TField { using TField::TField; };
class TBooleanField : public TField { using TField::TField; };
// A memo (BLOB) field: its text is read and written through the dataset.
class TMemoField : public TField {
 public:
  using TField::TField;
  std::string AsString() const override;
  void SetAsString(const std::string& text) override;
};

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
using TDataSetErrorEvent = std::function<void(TDataSet&, EDatabaseError&, TDataAction&)>;

class TDataSource;
class TActiveRecordScope;

class TDataSet {
  friend class TActiveRecordScope;

 public:
  explicit TDataSet(std::string name);
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  const std::string& Name() const { return name_; }

  // Life.
  bool Active() const { return state_ != TDataSetState::Inactive; }
  void SetActive(bool on);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }

  // Moves.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const;
  virtual int RecNo() const { return GetRecNo(); }
  virtual void SetRecNo(int n);
  virtual int RecordCount();

  // Editing.
  void Edit();
  void Insert();
  void Append();
  virtual void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  bool Modified() const { return modified_; }
  virtual bool CanModify() const { return true; }

  // Bookmarks.
  Bookmark GetBookmark() const;
  void GotoBookmark(const Bookmark& bm);
  virtual bool BookmarkValid(const Bookmark& bm);
  virtual int CompareBookmarks(const Bookmark* a, const Bookmark* b);

  // Re-reads the records around the current position.
  void Resync();
  void Refresh();
  // Moves the storage cursor back to the active record.
  void UpdateCursorPos();

  // Fields.
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField& Fields(int i) const { return *fields_.at(static_cast<std::size_t>(i)); }  // from 0
  TField* FindField(const std::string& name) const;
  TField& FieldByName(const std::string& name) const;
  const std::vector<TFieldDef>& FieldDefs() const { return fieldDefs_; }
  // Declares a calculated field (only while closed); it follows the data
  // fields and gets its value from OnCalcFields.
  void AddCalcField(const std::string& name, TFieldType type, int size = 0);
  const std::vector<TFieldDef>& CalcFieldDefs() const { return calcFieldDefs_; }
  // Bytes of the calculated part of a record buffer.
  std::size_t CalcFieldsSize() const;
  // OnCalcFields also runs when a data field of the record being edited
  // changes (it always runs when a record is read).
  bool AutoCalcFields = true;

  // Reads every record in the current order into `bookmarks` without moving
  // the active record (grids show rows this way).
  void CollectBookmarks(std::vector<Bookmark>& bookmarks);
  // Fills the buffer with the record of the bookmark; false when it is gone.
  bool ReadRecordAt(const Bookmark& bm, RecordBuffer& buffer);
  // Field reads go to `buffer` instead of the active one while it is set.
  void SetReadBuffer(const RecordBuffer* buffer) { readBuffer_ = buffer; }

  // Controls.
  void DisableControls() { ++disableCount_; }
  void EnableControls();
  void DataEvent(TDataEvent event, const TField* field = nullptr);
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);

  // The framework's filter switch. Filtering itself is the descendant's:
  // while it is on, record numbers are no positions (not sequenced).
  bool Filtered = false;

  // Events.
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
      BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete,
      AfterDelete, BeforeScroll, AfterScroll, OnNewRecord, OnCalcFields;
  // A failed delete, edit or post: the handler may ask to retry or abort.
  TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;

  // Field data, used by TField.
  bool GetFieldData(const TField& field, void* dest) const;
  void SetFieldData(TField& field, const void* source);
  // Memo texts; descendants with memo storage override.
  virtual std::string GetMemoText(const TField& field) const;
  virtual void SetMemoText(TField& field, const std::string& text);

  RecordBuffer& ActiveBuffer() { return active_; }
  const RecordBuffer& ActiveBuffer() const { return active_; }

 protected:
  // Storage operations that descendants fill.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual std::size_t BufferSize() const = 0;
  virtual TGetResult GetRecord(RecordBuffer& buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalInitRecord(RecordBuffer& buffer) = 0;
  virtual void InternalAddRecord(RecordBuffer& buffer, bool append) = 0;
  virtual void InternalPost() = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalCancel() {}
  virtual void InternalGotoBookmark(const Bookmark& bm) = 0;
  virtual void InternalSetToRecord(const RecordBuffer& buffer) = 0;
  virtual Bookmark GetBookmarkData(const RecordBuffer& buffer) const = 0;
  virtual void SetBookmarkData(RecordBuffer& buffer, const Bookmark& bm) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(const RecordBuffer& buffer) const = 0;
  virtual void SetBookmarkFlag(RecordBuffer& buffer, TBookmarkFlag flag) = 0;
  virtual bool GetFieldDataFrom(const RecordBuffer& buffer, const TField& field, void* dest) const = 0;
  virtual void SetFieldDataIn(RecordBuffer& buffer, TField& field, const void* source) = 0;
  virtual int GetRecNo() const { return -1; }
  virtual int GetRecordCountInternal() { return -1; }
  // The class of a new field; the default is the plain class of its type.
  virtual std::unique_ptr<TField> CreateField(const TFieldDef& def, int fieldNo);
  virtual void DoAfterOpen();
  virtual void DoBeforeClose() {}
  virtual void ClearActiveBuffer();

  void CheckActive() const;
  void CheckBrowseState() const;
  // Re-reads the buffers around the storage cursor's record.
  void RefetchAround();
  // Re-reads starting from the beginning.
  void RefetchFromStart();
  void SetState(TDataSetState s);
  void FireScroll();
  // Computes the calculated fields of `buffer`: OnCalcFields runs in the
  // calculated-fields state with field reads and writes on `buffer`.
  void GetCalcFields(RecordBuffer& buffer);
  // The buffer whose calculated fields are being computed, else nullptr.
  const RecordBuffer* CalcBuffer() const { return calcBuffer_; }
  // Runs `operation`; a database error goes to `errorEvent`, which may fail
  // (raise it), abort or retry.
  void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent);
  std::vector<TFieldDef> fieldDefs_;

 private:
  void OpenCursor();
  void CloseCursor();
  void CreateFields();
  bool ReadCurrent();

  std::string name_;
  TDataSetState state_ = TDataSetState::Inactive;
  std::vector<std::unique_ptr<TField>> fields_;
  RecordBuffer active_;
  RecordBuffer saved_;  // the active record before an edit or insert
  bool savedValid_ = false;
  const RecordBuffer* readBuffer_ = nullptr;
  RecordBuffer* calcBuffer_ = nullptr;
  std::vector<TFieldDef> calcFieldDefs_;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  int disableCount_ = 0;
  std::vector<TDataSource*> sources_;
};

// Makes a record buffer of the dataset (a row a grid draws) its active
// record for the scope: field reads, RecNo and the deleted flag answer for
// it. The storage cursor does not move; the active record comes back at the
// end of the scope.
class TActiveRecordScope {
 public:
  TActiveRecordScope(TDataSet& dataSet, const RecordBuffer& buffer);
  ~TActiveRecordScope();
  TActiveRecordScope(const TActiveRecordScope&) = delete;
  TActiveRecordScope& operator=(const TActiveRecordScope&) = delete;

 private:
  TDataSet& dataSet_;
  RecordBuffer kept_;
  const RecordBuffer* keptRead_;
  bool bof_, eof_;
};

// Links controls (grid, navigator) to a dataset: they subscribe and are told
// of every change of data, position and state.
class TDataSource {
 public:
  TDataSource() = default;
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* ds);
  // Returns a subscription number for Unsubscribe.
  int Subscribe(std::function<void(TDataEvent)> listener);
  void Unsubscribe(int id);
  void Notify(TDataEvent event);

 private:
  TDataSet* dataSet_ = nullptr;
  std::vector<std::pair<int, std::function<void(TDataEvent)>>> listeners_;
  int nextId_ = 1;
};

}  // namespace platform
