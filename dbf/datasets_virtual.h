// Datasets over virtual files: the table structure comes from DbfFields,
// the records live in memory, and they can be loaded from a DBF file after
// opening and saved back to it when the dataset closes. No locks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbf/datasets_file.h"
#include "dbf/vfiles.h"

// Gives the key text of the dataset's active record (sorted modes).
using TTzKeyMaker = std::function<std::string()>;

class TTzLLDataSet : public TTzCDataSet {
 public:
  explicit TTzLLDataSet(std::string name) : TTzCDataSet(std::move(name)) {}
  ~TTzLLDataSet() override;

  LStatusType AppendMode() const { return appendMode_; }
  void SetAppendMode(LStatusType mode);
  bool PopulateFromDisk = false;
  bool SaveToDisk = false;
  TTzKeyMaker KeyMaker;
  bool DataModified() const { return modified_; }

  bool CanModify() const override { return true; }
  // The key of the virtual record in the work area (the sort key maker).
  std::string KeyOfCurrentRecord();

 protected:
  bool MemoAsBlockNumber() const override { return true; }
  bool NeedsFileName() const override { return false; }
  void AfterBulkChange() override { modified_ = true; }
  void ResetPositionState() override;
  bool OpenTable(const std::string& name) override;
  bool AppendWithLock() override;
  bool DeleteWithLock() override;
  bool RestoreWithLock() override;
  bool ReplaceWithLock() override;
  void DoAfterOpen() override;

 private:
  // False when the file could not be loaded (the engine's error is set).
  bool ReadFromDisk();
  void CloseUnsaved();
  void WriteToDisk();
  void ApplySortMode();

  LStatusType appendMode_ = FIFO;
  bool modified_ = false;
  std::vector<std::uint8_t> buffer_;  // the virtual file's typed record
};

class TTzVFile : public TTzLLDataSet {
 public:
  explicit TTzVFile(std::string name) : TTzLLDataSet(std::move(name)) {}
};
