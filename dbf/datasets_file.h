// The datasets that forms and code use: TTzCDataSet adds plain xBase verbs
// (go, append, pack, search, fields by number or name), TTzFileDataSet opens
// a DBF file (shared or exclusive, created from DbfFields when missing),
// keeps its indexes and writes every record under the engine's locks,
// TTzDbf is the component on forms, and TTzBlobStream reads and writes the
// memo of a field of the current record.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbf/datasets.h"

class IndexReadScope;  // dbf/work_areas.h

class TTzCDataSet : public TTzDataSet {
 public:
  explicit TTzCDataSet(std::string name) : TTzDataSet(std::move(name)) {}

  bool ReadOnly = false;

  void AppendRec();
  void AppendFrom(const std::string& fileName);
  bool Pack();
  std::string Field(int n);  // name of field n (from 1)
  int FieldCount();
  int FieldLen(int n);
  void Go(std::int32_t n);
  void Search(const std::string& text, bool& found, int fromTop);
  std::string SField(int n);
  bool EofFlag() const { return Eof(); }
  std::int32_t FieldAsInteger(const std::string& name);
  void SetFieldString(const std::string& name, const std::string& value);
  void SetFieldBoolean(const std::string& name, bool value);
  void SetFieldInteger(const std::string& name, std::int32_t value);
  void SetFieldFloat(const std::string& name, double value);
  bool CanModify() const override { return !ReadOnly; }
  // Puts the dataset into edit state unless it is editing already.
  void EnsureEditing();

 protected:
  // Aligns the work area with the active record and selects it.
  void Align(const std::string& label);
  platform::TField& NamedField(const std::string& name);
};

enum class TCreateIndexType { ciNotFound, ciAlways, ciVerifyHeader, ciNever };

class TTzFileDataSet;
using TTzLockFailedEvent = std::function<void(TTzFileDataSet& dataSet, bool& retry)>;
using TBeforeMakeIndexEvent = std::function<void(const std::string& indexFile, bool& build)>;
using TAfterMakeIndexEvent = std::function<void(const std::string& indexFile)>;
// A key maker of the dataset: the engine's record stands in the active
// buffer while it runs, so field reads see it; it sets the key text.
using TTzKeyMakerEvent = std::function<void(TTzFileDataSet& dataSet, std::string& key)>;

class TTzFileDataSet : public TTzCDataSet {
 public:
  explicit TTzFileDataSet(std::string name) : TTzCDataSet(std::move(name)) {}
  ~TTzFileDataSet() override;

  bool AutoFixRecCount = false;
  TCreateIndexType CreateIndex = TCreateIndexType::ciNotFound;
  bool CreateIfNotFound = true;
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool on);
  // "number,index file,key expression" per line.
  std::vector<std::string> IndexList;
  TBeforeMakeIndexEvent OnBeforeMakeIndex;
  TAfterMakeIndexEvent OnAfterMakeIndex;
  TTzLockFailedEvent OnALockFailedOnInsert, OnRLockFailedOnDelete, OnRLockFailedOnPost,
      OnRLockFailedOnRestore;

  bool ALock();
  void FLock();
  void UnLock();
  bool Find(const std::string& key);
  bool FindExact(const std::string& key);
  bool FindNear(const std::string& key);
  void IndexOn(const std::string& expression, const std::string& indexFile);
  // Builds (and attaches as number 1) an index whose keys `maker` computes;
  // the index file may carry the options UNIQUE, SOUNDEX and DESCENDING.
  void IndexOnCB(const std::string& indexFile, TTzKeyMakerEvent maker);
  void SetIndexTo(const std::string& indexFiles);
  // Attaches a key-maker index as number `number`.
  void SetIndexToCB(const std::string& indexFile, int number, TTzKeyMakerEvent maker);
  // Attaches the index file as number `number` by its whole name, blanks and all.
  void SetIndexToLFN(const std::string& indexFile, int number);
  // The one index file, by its whole name, in place of every attached index.
  void SetIndexToFile(const std::string& indexFile);
  // One field (0: the delete flag) or the whole record as stored, read from
  // the file at once, in the program's characters.
  std::string Peek(int field, std::int32_t recordNumber);
  std::string PeekRecord(std::int32_t recordNumber);
  // Holds the table's indexes for reading (IndexReadScope) until the result goes.
  std::unique_ptr<IndexReadScope> HoldIndexesForReading();
  // The record count stamped in the controlling index (ControllingIndexRecCount).
  std::int32_t ControllingIndexRecCount();
  // The change counter of the table's shared indexes (IndexChangeStamp).
  bool ChangeStamp(std::uint16_t& stamp);
  std::int32_t AppendFromDelimited(const std::string& fileName);
  std::int32_t CopyToDelimited(const std::string& fileName);
  bool Locate(const std::string& keyFields, const std::vector<std::string>& values,
              TLocateOptions options) override;
  // False while a filter (the framework's or the engine's) or an index is on.
  bool IsSequenced();
  // Whether an index gives the order.
  bool IndexActive();

  std::string GetMemoText(const platform::TField& field) const override;
  void SetMemoText(platform::TField& field, const std::string& text) override;

 protected:
  bool OpenTable(const std::string& name) override;
  bool AppendWithLock() override;
  bool DeleteWithLock() override;
  bool RestoreWithLock() override;
  bool ReplaceWithLock() override;

 private:
  enum class LockedWrite { Append, Delete, Restore, Replace };
  bool RunLockedWrite(LockedWrite kind);
  bool OpenIndexes();
  bool FindWith(const std::string& key, const std::string& label, int how);
  bool FindSteps(const std::string& k, int how);
  std::uint32_t KeyMakerId();
  static void KeyMakerCallback(std::uint32_t id, std::uint8_t number, std::string& key);

  bool exclusive_ = false;
  std::uint32_t keyMakerId_ = 0;
  std::vector<TTzKeyMakerEvent> keyMakers_;  // by index number
};

class TTzDbf : public TTzFileDataSet {
 public:
  explicit TTzDbf(std::string name) : TTzFileDataSet(std::move(name)) {}
};

// The memo of a memo field of the current record as a stream (the
// engine's BLOB stream). Writing starts a new memo; when the stream is
// destroyed the field holds it (or no memo when nothing was written) and
// the dataset is told that the field changed. A write stream puts the
// dataset into edit state.
class TTzBlobStream {
 public:
  enum class Mode { Read = 1, Write = 2 };
  TTzBlobStream(platform::TField& field, Mode mode);
  ~TTzBlobStream();
  TTzBlobStream(const TTzBlobStream&) = delete;
  TTzBlobStream& operator=(const TTzBlobStream&) = delete;

  std::int32_t Read(void* buffer, std::int32_t count);
  std::int32_t Write(const void* buffer, std::int32_t count);
  std::int32_t Seek(std::int32_t offset, int origin);  // 0 begin, 1 current, 2 end

 private:
  TTzFileDataSet& dataSet_;
  platform::TField& field_;
  Mode mode_;
  std::int32_t oldBlock_ = 0;
  std::int32_t newBlock_ = 0;
  bool open_ = false;     // the engine's descriptor is active
  bool modified_ = false;
};
