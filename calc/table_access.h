// Access of the calculation to its dBASE tables: one open table at a time,
// located in the table directory (or a writable copy of it), searched through
// an index kept in the per-user cache, read field by field.
// Failures become messages and AbortFlag; callers test the flag and stop
// quietly.
//
// Everything goes through the table dialog's facade (dbf4, dbf/dbf4.h; made
// here when the program has not made it yet), whose dataset holds the open
// table; picks show the table dialog through TableDialogHook.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calc/input_ranges.h"

// Opening and closing -------------------------------------------------------

// Opens a table of the table directory (DbfDir); a name without "." gets
// ".dbf". A missing or unreadable file shows "file <path> not found or no
// access !" and sets AbortFlag. When the directory or the file cannot be
// written, the table is opened from a copy in the process's temporary
// directory.
void OpenDbfTable(std::string_view tableName);
// True when the table (name as for OpenDbfTable) exists in the table
// directory and can be read; no message.
bool DbfTableExists(std::string_view tableName);
// Opens the table file at a full path without further checks.
void OpenDbfFile(const std::string& path);
// The contents of a table (name as for OpenDbfTable) as far as a stat knows
// them: full path, size, modification time, the file (device and inode) and
// the time of its last change; empty when it cannot be examined or was
// changed within the last second (a change within the same time stamp would
// not show). Equal identities are taken as equal contents.
std::string DbfTableIdentity(std::string_view tableName);
void CloseDbfTable();
bool DbfTableOpen();
// Path of the open table file (the copy when one was taken), empty when closed.
std::string DbfTablePath();

// Position --------------------------------------------------------------------

// Record n; below 1 record 1. A record beyond the table is a failure of the
// table (as OpenDbfTable's): the message "DBF #n not found." in the
// calculation's messages, TableFailure and AbortFlag; the table stays where
// it was, so that no other row stands in for the one asked for.
void GotoDbfRecord(std::int32_t n);
void DbfFirst();  // first record in key order (file order without a key)
void DbfNext();   // next record in key order; past the last one DbfEof is true
bool DbfEof();
std::int32_t DbfRecNo();
std::int32_t DbfRecordCount();
void AppendDbfBlank();

// Key order and search ---------------------------------------------------------

// Orders the open table on the key expression: field names joined by "+".
// In runs that show no dialog the table then stays as it is until it is
// closed or written: the indexes' read lock is held for all its moves and
// reads, so that the checks of shared use are made once (a message shown
// meanwhile would keep other programs from writing the table).
// While the table is only read, the index is the one that a run built on the
// same table contents (same path, size and modification time) and kept in
// the per-user cache (platform::CacheDirectory), opened read-only in place;
// when the cache holds none it is built there. Before the first write the
// index becomes a private copy, indexName + ".ndx" in the process's
// temporary directory, so that no write reaches the cache; a table written
// since it was opened is always indexed afresh there.
void IndexDbfOn(std::string_view keyExpression, std::string_view indexName);
std::string DbfIndexPath();  // the index file in use
// Exact search: a numeric key by value, a text key as a prefix of the joined
// field texts (trailing blanks of the key ignored). When not found, tried
// again with every "." of the key replaced by ",". The current record is the
// found one, else the one the search stopped at (the next greater key).
void FindDbfKey(std::string_view key);
// Positions on the first record whose key is not less than the given key
// (the last record when none is).
void FindDbfNear(std::string_view key);
bool DbfKeyFound();

// Fields of the current record, counted from 1 --------------------------------

int DbfFieldCount();
std::string DbfFieldName(int n);        // empty outside 1..count
std::string DbfFieldText(int n);        // the field's text in display characters, blanks trimmed
char DbfFieldType(int n);               // C, N, F, D, L, M; 0 outside 1..count
std::int32_t DbfFieldAsInteger(std::string_view name);
// Fails the table, as CheckDbfNumber does, when any number field of the
// current row holds no number or one beyond range ("1e400"), also one that
// the calculation does not read: a damaged row is named whatever it is used for.
void CheckRowNumbers();
// Checks the value read as a number from field n of the current record: a
// text that is no number (in a field of any type: a number column retyped C
// that holds "n/a" is no number either), a value other than 0 (not given)
// outside the range, or, for a whole-number field of a record (whole), a
// value beyond 32 bits, fails the table (TableFailure, AbortFlag), named with
// table, row and field. An empty field is 0. Nothing is checked once
// AbortFlag is set.
void CheckDbfNumber(int n, Extended value, const TInputRange* range = nullptr, bool whole = false);
// Checks that field n holds text as the program reads it: a memo field
// (whose record holds a block number) fails the table, named with table and
// field, as CheckDbfNumber does for a field of a kind that holds no number.
void CheckDbfText(int n);
// The largest magnitude that a whole-number field of a row record (32 bits)
// takes.
constexpr Extended kWholeFieldLimit = 2147483647.0L;

// Write one field of the current record and store the record; the name is cut
// to 10 characters. A text is given in display characters, as DbfFieldText
// gives it, and stored in the table's code page.
void SetDbfFieldString(std::string_view name, std::string_view value);
void SetDbfFieldFloat(std::string_view name, long double value);
void SetDbfFieldInteger(std::string_view name, std::int64_t value);
void SetDbfFieldBoolean(std::string_view name, bool value);

// Dialog -------------------------------------------------------------------

// The dialog's two title lines, given in stored characters.
void SetDbfDialogCaptions(std::string_view first, std::string_view second);
const std::string& DbfDialogCaption(int line);  // display characters; line 1 or 2

// Shows the open table for browsing and picking (mode 1) or editing. OK leaves
// the accepted record current and stores its number in SelectedRecordNo
// (ChosenRecNo, framework/globals.h) and clears AbortFlag; Cancel sets AbortFlag.
void ShowDbfDialog(std::string_view closeWord, int mode);

// The browse dialog: returns true with the accepted record number, false on
// Cancel. InitTableAccess sets it to the table dialog on the open table
// (answered from the dialog script in headless runs, Cancel in batch runs);
// tests may put their own answer in. Without a hook the dialog is not
// available: a message, then Cancel.
using TableDialogFunction = std::function<bool(std::string_view closeWord, int mode, std::int32_t& recNo)>;
extern TableDialogFunction TableDialogHook;

// The first failure to open, index or read a table since ClearTableFailure
// (its message, shown when it happened), empty when none: a batch run that
// lacked a table's data must not report success. A table cut short (its
// header counts more records than the file holds) fails to open.
const std::string& TableFailure();
void ClearTableFailure();
// A key search found no row of the joint (the table lacks it): the text
// shown (ShowTraceMessage) and kept as the open table's failure, so that a
// batch run does not report a joint with another row's values. AbortFlag
// stays as it is.
void ReportMissingRow(std::string_view text);
// How many messages this layer has given so far (failures, records beyond a
// table): a caller that keeps what it read keeps only what came without one.
std::uint32_t TableNotices();

// Closes any open table and gives the globals above their start values.
void InitTableAccess();
