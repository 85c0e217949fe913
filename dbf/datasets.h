// Datasets over the table engine. TTzPrimDataset maps the dataset
// framework (platform/dataset.h) onto a small record-number-based record
// source; TTzDataSet fills that record source with work-area calls, converts
// between the work-area record and the dataset's native record image,
// defines the fields from the table's structure, creates tables from a
// textual field list and adds soft delete and restore.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbf/work_area.h"
#include "platform/dataset.h"

// Record-source result codes.
constexpr std::int32_t kTzOk = 0;
constexpr std::int32_t kTzOpenFailed = 1401;
constexpr std::int32_t kTzAtBegin = 1402;
constexpr std::int32_t kTzAtEnd = 1403;
constexpr std::int32_t kTzNoTableName = 1404;
// A locked write could not get its lock; the failure was already reported,
// so it surfaces as a silent abort and the edit is kept.
constexpr std::int32_t kTzLockFailed = 1405;

// Locate options.
struct TLocateOptions {
  bool caseInsensitive = false;
  bool partialKey = false;
};

class TTzPrimDataset : public platform::TDataSet {
 public:
  explicit TTzPrimDataset(std::string name) : TDataSet(std::move(name)) {}

  // The error text of a record-source code; default: the code in decimal.
  virtual std::string ErrorText(std::int32_t code);
  virtual bool IsEmptyTest() { return IsEmpty(); }

  int RecNo() const override;
  // Goes to record n; returns the record source's code (no exception).
  std::int32_t SetRecNoCode(std::int32_t n);
  void SetRecNo(int n) override { SetRecNoCode(n); }
  int RecordCount() override;
  bool BookmarkValid(const platform::Bookmark& bm) override;
  int CompareBookmarks(const platform::Bookmark* a, const platform::Bookmark* b) override;
  // The current record into a caller's buffer.
  bool GetCurrentRecord(platform::RecordBuffer& buffer);
  // keyFields separated by ";"; one value per field.
  virtual bool Locate(const std::string& keyFields, const std::vector<std::string>& values,
                      TLocateOptions options);
  bool Lookup(const std::string& keyFields, const std::vector<std::string>& values,
              const std::string& resultFields, std::vector<std::string>& results);
  // Find first / next / prior / last.
  bool FindRecord(bool restart, bool forward);
  bool Sequenced() const { return sequenced_; }

  // Raises the framework's exception for a non-zero code.
  void CheckError(std::int32_t code);

 protected:
  // The record source.
  virtual std::int32_t TziSetToBegin() = 0;
  virtual std::int32_t TziSetToEnd() = 0;
  virtual std::int32_t TziOpen() = 0;
  virtual std::int32_t TziClose() = 0;
  virtual std::int32_t TziGetRecordCount() = 0;
  virtual std::int32_t TziForceReread() = 0;
  virtual std::int32_t TziAppendRecord(std::uint8_t* native) = 0;
  virtual std::int32_t TziInsertRecord(std::uint8_t* native) = 0;
  virtual std::int32_t TziDeleteRecord() = 0;
  virtual std::int32_t TziInitRecord(std::uint8_t* native) = 0;
  virtual std::int32_t TziUpdateRecord(std::uint8_t* native) = 0;
  virtual std::uint16_t TziGetRecordSize() = 0;
  virtual std::uint8_t TziGetCursorKind() = 0;
  virtual std::int32_t TziGetRecord(std::uint8_t* native, std::int32_t& recNo) = 0;
  virtual std::int32_t TziGetNextRecord(std::uint8_t* native, std::int32_t& recNo) = 0;
  virtual std::int32_t TziGetPriorRecord(std::uint8_t* native, std::int32_t& recNo) = 0;
  virtual std::int32_t TziGetField(const platform::TField& field, const std::uint8_t* native, bool& isBlank,
                                   void* dest) = 0;
  virtual std::int32_t TziSetField(const platform::TField& field, std::uint8_t* native, const void* source) = 0;
  virtual std::int32_t TziGotoRecord(std::int32_t n) = 0;
  virtual bool TziLocate(const std::string& keyFields, const std::vector<std::string>& values,
                         TLocateOptions options) = 0;
  virtual bool TziLookup(const std::string& keyFields, const std::vector<std::string>& values,
                         const std::string& resultFields, std::vector<std::string>& results) = 0;
  virtual std::uint16_t TziGetBookmarkSize() = 0;
  virtual std::int32_t TziGotoBookmark(const std::uint8_t* bookmark) = 0;
  virtual std::int32_t TziSetToBookmark(std::uint8_t* bookmark) = 0;
  virtual std::int32_t TziCompareBookmarks(const std::uint8_t* a, const std::uint8_t* b, int& result) = 0;

  // The framework's storage operations.
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return open_; }
  std::size_t BufferSize() const override;
  platform::TGetResult GetRecord(platform::RecordBuffer& buffer, platform::TGetMode mode, bool doCheck) override;
  void InternalFirst() override;
  void InternalLast() override;
  void InternalInitRecord(platform::RecordBuffer& buffer) override;
  void InternalAddRecord(platform::RecordBuffer& buffer, bool append) override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalGotoBookmark(const platform::Bookmark& bm) override;
  void InternalSetToRecord(const platform::RecordBuffer& buffer) override;
  platform::Bookmark GetBookmarkData(const platform::RecordBuffer& buffer) const override;
  void SetBookmarkData(platform::RecordBuffer& buffer, const platform::Bookmark& bm) override;
  platform::TBookmarkFlag GetBookmarkFlag(const platform::RecordBuffer& buffer) const override;
  void SetBookmarkFlag(platform::RecordBuffer& buffer, platform::TBookmarkFlag flag) override;
  bool GetFieldDataFrom(const platform::RecordBuffer& buffer, const platform::TField& field,
                        void* dest) const override;
  void SetFieldDataIn(platform::RecordBuffer& buffer, platform::TField& field, const void* source) override;
  int GetRecNo() const override;
  int GetRecordCountInternal() override;

  std::int32_t RecordNumberOf(const platform::RecordBuffer& buffer) const;
  std::size_t NativeSize() const { return nativeSize_; }

 private:
  void ComputeOffsets() const;

  std::uint16_t nativeSize_ = 0;
  std::uint16_t bookmarkSize_ = 4;
  mutable std::size_t recInfoOffset_ = 0;
  mutable std::size_t bookmarkOffset_ = 0;
  mutable std::size_t bufferSize_ = 0;
  bool open_ = false;
  bool sequenced_ = false;
};

// ---- the DBF dataset -------------------------------------------------------------

enum class TTzTableLanguage { tlOem, tlAnsi };

struct TDTField {
  std::string name;
  char type = 'C';
  std::uint16_t length = 0;
  std::uint16_t decimals = 0;
  std::uint16_t offset = 0;
};

// The open table's field descriptors and a copy of its record image.
class TDbfFieldProps {
 public:
  void Build();  // from the selected work area
  void Clear() { fields_.clear(); record_.clear(); }
  int Count() const { return static_cast<int>(fields_.size()); }
  const TDTField& Item(int i) const { return fields_.at(static_cast<std::size_t>(i - 1)); }  // from 1
  std::string Name(int i) const { return Item(i).name; }
  char Type(int i) const { return Item(i).type; }
  int Length(int i) const { return Item(i).length; }
  int Decimals(int i) const { return Item(i).decimals; }
  const char* Address(int i) const { return record_.data() + Item(i).offset; }

 private:
  std::vector<TDTField> fields_;
  std::vector<char> record_;
};

// Date fields show and take the engine's national date text.
class TTzDateField : public platform::TDateField {
 public:
  using TDateField::TDateField;
  std::string AsString() const override;
  void SetAsString(const std::string& text) override;
};
// The text a grid shows for the value of a number field with `decimals`
// decimals: rounded as the field stores it, with the national decimal sign.
std::string ShownNumberText(long double value, int decimals);
class TTzFloatField : public platform::TFloatField {
 public:
  using TFloatField::TFloatField;
  std::string AsString() const override;
};
class TTzIntegerField : public platform::TIntegerField {
 public:
  using TIntegerField::TIntegerField;
};

class TTzDataSet : public TTzPrimDataset {
  friend class TTzBlobStream;

 public:
  explicit TTzDataSet(std::string name);
  ~TTzDataSet() override;

  // Published properties.
  std::vector<std::string> DbfFields;  // "name,type,length,decimals" per line
  const std::string& DbfFileName() const { return dbfFileName_; }
  void SetDbfFileName(const std::string& name);
  bool ShowProgress = true;
  TTzTableLanguage TableLanguage = TTzTableLanguage::tlOem;
  bool HideDeletedRecs() const { return hideDeleted_; }
  void SetHideDeletedRecs(bool on);
  platform::TDataSetNotifyEvent BeforeRestore, AfterRestore;

  std::uint8_t WorkArea() const { return workArea_; }
  const TDbfFieldProps& FieldProps() const { return fieldProps_; }

  void SafeGo(std::int32_t n);
  // Opening and closing the table directly belongs to a form designer; here
  // it only checks that the dataset is active (else engine error 1103).
  void DirectOpenClose();
  bool s_IsEmptyDbf();
  bool IsDeleted() const;
  // true: delete (soft); false: restore.
  void SetDeleted(bool on);
  void Post() override;
  std::string ErrorText(std::int32_t code) override;

  // Creates the table DbfFileName from DbfFields; false when it failed.
  bool CreateTableFromFields();
  struct FieldLine {
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    bool skip = false;       // type X
    bool corrected = false;  // the definition was changed
    std::string givenType;
    int givenLength = 0;
    int givenDecimals = 0;
    std::string written;  // the line as written, for the messages
    std::string refusal;  // why the line cannot be used; empty when it can
  };
  // Parses and corrects one DbfFields line; false (with `refusal`) when it
  // does not have exactly three commas, has no name, or gives a length or
  // decimals that is no whole number or a length below 1.
  static bool ParseFieldLine(const std::string& line, bool memoAsNumber, FieldLine& out);
  // Names a line ParseFieldLine refused (with the warnings on), quoting it as written.
  void ReportRefusedFieldLine(const FieldLine& line);
  // The fields of DbfFields, at most 255, parsed and corrected (the
  // corrections named when `nameCorrections`); false, the line named, when
  // one is refused or gives the name of an earlier field again.
  bool FieldsFromLines(bool memoAsNumber, bool nameCorrections, std::vector<TDbfFieldEntry>& entries);

 protected:
  // Selects the dataset's work area; raises 1103 when it has none.
  virtual void SelectWorkArea(const std::string& label);
  virtual void DoBeforeRestore();
  virtual void DoAfterRestore();
  // Outside insert state: aligns the work area with the active record; in
  // insert state: stores the active buffer into the work-area record.
  virtual void WritePendingRecord();
  void InternalCancel() override;
  virtual bool MemoAsBlockNumber() const { return false; }
  virtual void AfterBulkChange() {}
  virtual void ResetPositionState() {}
  virtual bool OpenTable(const std::string& name) = 0;
  // The locked writes; false when nothing was written.
  virtual bool AppendWithLock() = 0;
  virtual bool DeleteWithLock() = 0;
  virtual bool RestoreWithLock() = 0;
  virtual bool ReplaceWithLock() = 0;
  virtual bool IsLive() const { return true; }
  // A virtual dataset opens without a table file.
  virtual bool NeedsFileName() const { return true; }

  // Re-fetch after an engine operation.
  void RefetchAfterEngineOp();
  // Its two halves: the buffers anew (false when an error is pending), and
  // telling the controls.
  bool RefetchBuffersAfterEngineOp();
  void AnnounceRefetch();

  std::int32_t TziSetToBegin() override;
  std::int32_t TziSetToEnd() override;
  std::int32_t TziOpen() override;
  std::int32_t TziClose() override;
  std::int32_t TziGetRecordCount() override;
  std::int32_t TziForceReread() override;
  std::int32_t TziAppendRecord(std::uint8_t* native) override;
  std::int32_t TziInsertRecord(std::uint8_t* native) override;
  std::int32_t TziDeleteRecord() override;
  std::int32_t TziInitRecord(std::uint8_t* native) override;
  std::int32_t TziUpdateRecord(std::uint8_t* native) override;
  std::uint16_t TziGetRecordSize() override;
  std::uint8_t TziGetCursorKind() override { return 2; }
  std::int32_t TziGetRecord(std::uint8_t* native, std::int32_t& recNo) override;
  std::int32_t TziGetNextRecord(std::uint8_t* native, std::int32_t& recNo) override;
  std::int32_t TziGetPriorRecord(std::uint8_t* native, std::int32_t& recNo) override;
  std::int32_t TziGetField(const platform::TField& field, const std::uint8_t* native, bool& isBlank,
                           void* dest) override;
  std::int32_t TziSetField(const platform::TField& field, std::uint8_t* native, const void* source) override;
  std::int32_t TziGotoRecord(std::int32_t n) override;
  bool TziLocate(const std::string& keyFields, const std::vector<std::string>& values,
                 TLocateOptions options) override;
  bool TziLookup(const std::string& keyFields, const std::vector<std::string>& values,
                 const std::string& resultFields, std::vector<std::string>& results) override;
  std::uint16_t TziGetBookmarkSize() override { return 4; }
  std::int32_t TziGotoBookmark(const std::uint8_t* bookmark) override;
  std::int32_t TziSetToBookmark(std::uint8_t* bookmark) override;
  std::int32_t TziCompareBookmarks(const std::uint8_t* a, const std::uint8_t* b, int& result) override;

  void InternalInitFieldDefs() override;
  std::unique_ptr<platform::TField> CreateField(const platform::TFieldDef& def, int fieldNo) override;
  void ClearActiveBuffer() override;

  // Native image <-> work-area record (field 0: all fields).
  void RecordToNative(std::uint8_t* native);
  void NativeToRecord(const std::uint8_t* native, int field = 0);
  // Closes the table through the engine (descendants may add to it).
  virtual void CloseTable();

  bool atBegin_ = true;
  bool atEnd_ = true;
  std::uint8_t workArea_ = 0;

 private:
  bool OpenWithFileName();
  static std::size_t NativeFieldSize(const TDTField& f);
  bool HasNativeField(std::size_t index) const;

  std::uint16_t cachedNativeSize_ = 0;
  std::string dbfFileName_;
  bool hideDeleted_ = false;
  TDbfFieldProps fieldProps_;
  std::vector<std::size_t> fieldOffsets_;  // in the native image, index 0 = field 1
  // The fields set in the pending edit: the write stores them from their
  // values, whatever the record's text held (the record is read afresh first).
  std::vector<bool> fieldsSet_;
};

// The engine's Boolean texts: "yes", "no", "True", "False".
extern std::string TzYesText, TzNoText, TzTrueText, TzFalseText;
// 2: definition corrections and creation failures are reported.
extern std::uint8_t TzWarningMode;

// Engine failures become EDederError exceptions while one of these lives
// (the engine otherwise halts the program on them). Dataset operations run
// under it; it is kept to their scope so that engine users outside the
// datasets keep the engine's own failure handling.
class RaiseEngineErrors {
 public:
  RaiseEngineErrors();
  ~RaiseEngineErrors();
  RaiseEngineErrors(const RaiseEngineErrors&) = delete;
  RaiseEngineErrors& operator=(const RaiseEngineErrors&) = delete;

 private:
  bool previous_;
};

// Runs `op` with engine failures raised; an exception ends as a message
// (none for an abort whose message was shown already) and AbortFlag. False
// when `op` failed. Every handler and facade operation runs this way, so
// that no exception reaches the event loop or a caller.
bool RunReportingErrors(const std::function<void()>& op);

// Closes a dataset in a destructor: failures are dropped.
void CloseQuietly(platform::TDataSet& ds);

// Start values of the dataset unit: Boolean texts.
void InitDatasets();
// The engine's date layout and four-digit-year flag from a short date
// format written with d, M and y ("dd.MM.yyyy"); an empty one changes nothing.
void ApplyShortDateFormat(const std::string& format);
