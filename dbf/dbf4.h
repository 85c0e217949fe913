// The table dialog Tdbf4 and its facade: the one door through which the
// rest of the program opens, orders, searches, reads and writes tables, and
// the dialog that shows the open table for picking, browsing or editing.
//
// Callers work in this order: OpenTable, then facade operations and/or
// ShowTable, then CloseTable. Failures never leave the facade as exceptions:
// they are shown and set AbortFlag (a failed lock only sets AbortFlag, its
// message was shown already).
//
// The facade is Qt-free and works headless; only ShowTable builds the form
// (dbf/forms/dbf4_form.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dbf/datasets_file.h"
#include "dbf/datasets_virtual.h"
#include "framework/types.h"
#include "platform/dataset.h"

class Tdbf4Form;

class Tdbf4 {
 public:
  Tdbf4();
  ~Tdbf4();
  Tdbf4(const Tdbf4&) = delete;
  Tdbf4& operator=(const Tdbf4&) = delete;

  // Components.
  platform::TDataSource tzdbf0;
  TTzDbf tzdbf{"tzdbf"};
  std::string Label_title1, Label_title2, Label_filename;
  // A virtual file on the dialog, which no handler uses.
  TTzVFile TzVFile1{"TzVFile1"};

  // The facade.
  void OpenTable(const std::string& path);
  // As OpenTable, but a failure is not shown: false with the engine's text,
  // for a caller that words its own message.
  bool OpenTableQuietly(const std::string& path, std::string& failure);
  void ShowTable(const std::string& closeWord, int mode);
  void SetCaptions(const std::string& title1, const std::string& title2);
  void CloseTable();
  void Go(std::int32_t n);
  void First();
  bool Eof();
  std::int32_t RecNo();
  std::int32_t RecordCount();
  void AppendBlank();
  void Pack();
  void Search(const std::string& text, bool& found, int fromTop);
  void IndexOn(const std::string& expression, const std::string& indexFile);
  void SetIndexTo(const std::string& indexFile);  // without ".ndx"
  void FindKey(const std::string& key);
  void FindNear(const std::string& key);
  bool KeyFound() const { return keyFound_; }
  void FieldText(Byte n, std::string& text);
  std::string FieldText(Byte n);
  void FieldName(Byte n, std::string& text);
  std::string FieldName(Byte n);
  int FieldCount();
  std::int32_t FieldAsInteger(const std::string& name);
  void SetFieldString(const std::string& name, const std::string& value);
  void SetFieldFloat(const std::string& name, Extended value);
  void SetFieldInteger(const std::string& name, std::int32_t value);
  void SetFieldBoolean(const std::string& name, bool value);
  int DbfErrorCode() const { return 0; }
  void ClearDbfError() {}
  void InitDbfError() {}

  // The dialog's operations, without the form (the form's handlers call them).
  // Accept: posts the pending edit and stores the chosen record.
  void AcceptSelection(int gridRow, int gridColumn);
  void CancelSelection();
  // Search from the first record (fromTop) or onward with the stored text
  // as the grid shows the records (a number with the national decimal sign);
  // shows "<text> not found" when nothing matched.
  bool SearchStored(bool fromTop);
  // The same without the message.
  bool SearchAsShown(bool fromTop);
  // Orders the table by field `column` (from 0) through the temporary
  // index; the current record stays current and is SelectedRecordNo.
  void SortByColumn(int column);
  // Writes the table as an HTML page; false when the file could not be written.
  bool ExportHtml(const std::string& path);
  // Prints the first seven fields through the text output layer.
  void PrintTable();
  void SaveAsDelimited(const std::string& path);
  void AppendFromDbf(const std::string& path);
  void AppendFromDelimited(const std::string& path);
  // The name (without ".ndx") of the temporary sort index, in the
  // configured temporary directory.
  static std::string SortIndexName();
  // The configured temporary directory with its separator (the process's
  // own when none is configured).
  static std::string TableTempDir();
  // The caption ShowTable gives the form for a mode; the titles alone are
  // what comes before the table's file name (all of it in mode 1).
  std::string CaptionForMode(int mode) const;
  std::string CaptionTitles(int mode) const;

  std::string SearchText;
  bool CloseOnPick = false;
  int Mode = 0;

 private:
  // Runs `op`, turning every exception into a message and AbortFlag.
  bool Guard(const std::function<void()>& op);
  // Runs `op` (guarded) while the table is locked as a whole.
  void UnderFileLock(const std::function<void()>& op);

  bool keyFound_ = false;
  // Set when AppendBlank could not append: field writes then go nowhere
  // until the position changes.
  bool appendFailed_ = false;
};

// The one instance, created by the main window (CreateTableDialog) and freed
// at its end (FreeTableDialog).
extern Tdbf4* dbf4;
void CreateTableDialog();
void FreeTableDialog();

// Shows the table at `path` in the dialog (captions in display characters),
// starting on record `recNo`; true with the accepted record number in
// `recNo`, false on Cancel (AbortFlag set). The table is closed again. For
// callers that keep their own copy of the table open.
bool PickFromTable(const std::string& path, const std::string& title1, const std::string& title2,
                   const std::string& closeWord, int mode, std::int32_t& recNo);

// Shows the form of the dialog modally; the form module provides it.
void RunTableDialogForm(Tdbf4& dialog);
