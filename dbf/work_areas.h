// Work areas: numbered slots of open tables, one selected at a time, with
// the xBase record interface (Use, moves, Append, Replace, DeleteRec, Pack)
// and the hook tables through which the optional units plug in: indexes,
// expressions, memo files and virtual files. The layer calls only what is
// installed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dbf/work_area.h"

constexpr int kMaxWorkAreas = 35;   // 1..33 for users, 34 and 35 for the engine
constexpr int kUserWorkAreas = 33;

// Slots 1..35 (index 0 unused).
extern std::array<std::unique_ptr<TDbfWorkArea>, kMaxWorkAreas + 1> WorkAreas;
extern std::uint8_t SelectedArea;

// Library settings.
extern bool NetworkMode;
extern unsigned ShareFileMode;        // 66: read/write, deny none
extern unsigned OpenModeOverride;     // 65535: none
extern bool AnsiTables;
extern std::int32_t (*SkipProcedure)(std::int32_t steps);
extern bool ConfirmPack;
extern bool IndexKeysOnReplace;
extern bool Packing;                  // set while Pack rebuilds the indexes
extern char NoLetter, YesLetter;      // national letters of FieldAsString

// ---- hook tables -------------------------------------------------------

// Index engine; every entry works on the selected work area. Numbers are
// the entries' places in the table.
struct TIndexHooks {
  bool (*IsActive)() = nullptr;                 // 0
  void (*SyncToRecord)() = nullptr;             // 1
  std::int32_t (*NextRecord)() = nullptr;       // 2
  std::int32_t (*PriorRecord)() = nullptr;      // 3
  std::int32_t (*FirstRecord)() = nullptr;      // 4
  std::int32_t (*LastRecord)() = nullptr;       // 5
  bool (*AtEnd)() = nullptr;                    // 6
  bool (*AtBeginning)() = nullptr;              // 7
  void (*AppendNewKey)() = nullptr;             // 8
  void (*RefreshKey)() = nullptr;               // 9
  void (*RememberKeys)() = nullptr;             // 10
  void (*UpdateChangedKeys)() = nullptr;        // 11
  void (*SetAtBeginning)() = nullptr;           // 12
  void (*SetAtEnd)() = nullptr;                 // 13
  bool* (*FoundFlag)() = nullptr;               // 14
  void (*Reindex)() = nullptr;                  // 15
  void (*CloseIndexes)() = nullptr;             // 16
  // 17 stays empty.
  std::string (*IndexFileName)(int slot) = nullptr;                       // 18
  std::string (*(*KeyTextOfSlot)(int slot))() = nullptr;                  // 19
  std::string (*(*KeyTextOfOrder)())() = nullptr;                         // 20
  bool (*Ascending)(int slot) = nullptr;                                  // 21
  bool (*Soundex)(int slot) = nullptr;                                    // 22
  void (*SetReadSemaphore)(bool on) = nullptr;  // 23
  void (*SetLockSemaphore)(bool on) = nullptr;  // 24
  // Pack, before records move: stamps the attached index files as fitting
  // no table (true) until they are built again, or gives them their stamp
  // back (false) when the pack failed.
  void (*StampIndexes)(bool stale) = nullptr;
  // True while no other program changed the indexes since the table's size
  // was last read; false asks the caller to read it now.
  bool (*CountCurrent)() = nullptr;
  // A read without the read lock: Start gives false when one may not run
  // now (a writer at work, anchors out of date), else the change counter in
  // `stamp`; Held says whether the counter is still `stamp`, no writer came.
  bool (*StartUnlockedRead)(std::uint16_t& stamp) = nullptr;
  bool (*UnlockedReadHeld)(std::uint16_t stamp) = nullptr;
};
extern TIndexHooks IndexHooks;
extern bool IndexLinked;

// Value of an evaluated expression.
struct TExprValue {
  char type = 'L';            // C, N, D (day number in `number`) or L
  std::string text;
  double number = 0;
  bool logical = false;
  std::uint8_t width = 0;     // result width and decimals of the expression
  std::uint8_t decimals = 0;
};

struct TExprHooks {
  TExprDescriptor* (*Compile)(const std::string& text) = nullptr;   // 0
  void (*Free)(TExprDescriptor*& expr) = nullptr;                   // 1
  TExprValue (*Evaluate)(TExprDescriptor* expr) = nullptr;          // 2
  std::string (*Text)(const TExprDescriptor* expr) = nullptr;       // 3
};
extern TExprHooks ExprHooks;
extern bool ParserLinked;

// Memo unit; entries work on the selected work area.
struct TMemoHooks {
  bool (*AssignMemo)(std::int32_t block, std::string& text) = nullptr;            // 0
  void (*PackMemo)() = nullptr;                                                   // 1
  void (*OpenMemo)() = nullptr;                                                   // 2
  void (*CloseMemo)() = nullptr;                                                  // 3
  std::int32_t (*CopyMemoAppend)(std::uint8_t sourceArea, std::int32_t block) = nullptr;  // 4
  std::int32_t (*CopyMemoInPlace)(std::uint8_t sourceArea, std::int32_t block) = nullptr; // 5
  void (*RecreateMemo)() = nullptr;                                               // 6
  std::int32_t (*AddMemo)(const std::string& text) = nullptr;                     // 7
};
extern TMemoHooks MemoHooks;

// Virtual-file unit: one procedure; the operation code and record number
// are set in the work area first.
enum TVFileOperation : std::uint8_t {
  kVfClose = 1, kVfDelete = 2, kVfRead = 3, kVfOpen = 4, kVfPack = 5, kVfWrite = 8, kVfRecall = 9
};
using TVFileHooks = void (*)(TDbfWorkArea& wa);
extern TVFileHooks VFileHook;

// Start values of every global above; also empties the hook tables.
void InitWorkAreas();

// ---- selection and state -----------------------------------------------

void Select(int n);
std::uint8_t CurrentWorkArea();
// The selected work area, or nullptr.
inline TDbfWorkArea* SelectedWorkArea() {
  return SelectedArea >= 1 && SelectedArea <= kMaxWorkAreas ? WorkAreas[SelectedArea].get() : nullptr;
}
bool NoDatabaseInUse(const std::string& label);
std::int32_t RecCount();
std::int32_t RecNo();
std::uint16_t RecSize();
bool dEOF();
bool dBOF();
std::string Alias();
std::string DbfFileName();

// ---- fields --------------------------------------------------------------

char FieldType(int n);
int FieldLen(int n);
int FieldDec(int n);
std::string Field(int n);
int FieldNo(const std::string& name);
int FieldCount();
// Field n's place in the typed record (0: the whole record), its value
// converted: read it there until the record is loaded again.
std::uint8_t* FieldAddress(int n);
std::string FieldAsString(int n);
bool Deleted();
// Whether the current record is shown: not a hidden deleted record and
// accepted by the filter.
bool IsRecordVisible();
void ClearRecord();
void LoadTypedRecord();
void StoreTypedRecord();
// Loading takes the deleted mark at once and each field when it is first
// read through TypedField (a buffer the caller owns is filled whole).
void LoadTypedRecord(TDbfWorkArea& wa);
void StoreTypedRecord(TDbfWorkArea& wa);
// Field index (0 = field 1) of the typed record, converted if it was not
// yet; a value written through the pointer stays until the next load.
std::uint8_t* TypedField(TDbfWorkArea& wa, std::size_t index);
// The whole typed record, every field converted: for copies in and out.
std::uint8_t* WholeTypedRecord(TDbfWorkArea& wa);
// The typed value of field index (0 = field 1) as its stored text gives it.
void ReloadTypedField(TDbfWorkArea& wa, std::size_t index);
// Field index (0 = field 1) was set by the caller: the next store writes it
// from its typed value, unless its stored text is a plain number or date of
// that very value (which may hold more than the typed record).
void MarkFieldSet(TDbfWorkArea& wa, std::size_t index);
// Whether the typed value of N or F field index fits the field's width
// (else the store fills the field with "*"); true for other fields.
bool FieldValueFits(TDbfWorkArea& wa, std::size_t index);
// Size of the typed record of a table's fields.
std::size_t TypedRecordSize(const TDbfWorkArea& wa);
// Offsets of the fields in the typed record (typedOffsets) from the fields.
void ComputeTypedOffsets(TDbfWorkArea& wa);

// Typed access to field n of the selected work area (the typed record).
// Texts are cut to the field's typed capacity.
std::string GetFieldText(int n);       // C and D fields
void SetFieldText(int n, const std::string& text);
long double GetFieldValue(int n);      // N, F and M fields
void SetFieldValue(int n, long double value);
// N and F fields: the value as the record text holds it, with the digits
// the typed record drops (the typed value on a virtual table).
// A text that holds no number, or one beyond range, is named (error 106) and
// reads as 0; so is one beyond the typed value's range through GetFieldValue.
long double FieldTextValue(int n);
// FieldTextValue without the error routine: false, with what is wrong in
// `fault` ("Field QTY: \"12abc\" is no number"), for such a text.
bool ReadFieldTextValue(int n, long double& value, std::string& fault);
// What GetFieldValue names in N or F field n of the current record's stored
// text (a text that is no number, "*"s, a value beyond the typed range);
// empty for a number the typed value holds, blanks and other fields.
std::string NumberFieldFault(int n);
bool GetFieldLogical(int n);
void SetFieldLogical(int n, bool value);

// Six-byte real of the typed record.
long double Real48ToExtended(const std::uint8_t* p);
void ExtendedToReal48(long double v, std::uint8_t* p);
// The value as the shortest decimal text that gives the same six-byte real:
// what its field text rounds from (1.005 stays 1.005, not the binary value
// just below the half).
long double Real48Decimal(const std::uint8_t* p);

// ---- opening and closing ---------------------------------------------------

void Use(const std::string& command, void* buffer = nullptr, std::uint16_t size = 0);
// Use of the table file `file`, taken whole (blanks and the option words in
// its folders or name are its own), with the options given apart.
void UseTable(const std::string& file, const std::string& alias = std::string(), bool exclusive = false,
              void* buffer = nullptr, std::uint16_t size = 0);
void UseWithTranslators(const std::string& command, void* buffer, std::uint16_t size,
                        TDbfTranslator writeTranslator, TDbfTranslator readTranslator);
void UseWithBuffer(const std::string& command, void* buffer, std::uint16_t size);
void CloseDatabase();
void CloseAll();
// Program end: slots 34 and 35, then all.
void CloseAllAtExit();

// ---- records -------------------------------------------------------------

void Append();
void Replace();
void DeleteRec();
void RecallRec();
bool Pack();
bool SetIgnoreDel(bool on);

// ---- moves ---------------------------------------------------------------

void GoTop();
void GoBottom();
void Skip(std::int32_t n = 1);
void Go(std::int32_t n);
void Dbf4RawGo(std::int32_t n);
bool GoChecked(std::int32_t n);
bool StepOffRecord();
void GoFirstWhile();
void GoLastWhile();
bool IsWhileOn();
using TRelationProc = void (*)();
TRelationProc SetRelation(TRelationProc proc);

// The record count from the file size, for tables shared with others.
void RecordCountFromFile(TDbfWorkArea& wa);
inline void RefreshRecordCount(TDbfWorkArea& wa) {
  if (!wa.exclusive && !wa.isVirtual && !wa.countHeld && wa.file != platform::kNoFile) RecordCountFromFile(wa);
}

// The indexes' read or write lock of the selected work area for a scope,
// given back on every path, also when an error is raised. A lock that could
// not be had is Failed(): its error stands in TzLastError (raised or
// reported), and it is neither counted nor given back.
class IndexLock {
 public:
  enum Kind { kRead, kWrite };
  IndexLock(Kind kind, bool wanted);
  ~IndexLock();
  IndexLock(const IndexLock&) = delete;
  IndexLock& operator=(const IndexLock&) = delete;

  bool Failed() const { return failed_; }
  // Gives the lock back now; a failed release stands in TzLastError.
  void Release();

 private:
  void (*hook_)(bool on) = nullptr;
  std::uint8_t area_ = 0;
  bool held_ = false;
  bool failed_ = false;
};

// Holds the read semaphore of the selected work area's indexes for an
// operation of several moves, so that the shared-use checks (semaphore,
// index anchors, record count) are made once for all of them.
// Asked to run `unlocked`, it takes no lock while no other program is at
// work on the indexes; the caller then runs its steps with errors kept
// quiet and asks Held() at their end: when false, another program changed
// the indexes meanwhile and the steps are repeated under the lock.
class IndexReadScope {
 public:
  explicit IndexReadScope(bool unlocked = false);
  ~IndexReadScope();
  IndexReadScope(const IndexReadScope&) = delete;
  IndexReadScope& operator=(const IndexReadScope&) = delete;

  bool Unlocked() const { return unlocked_; }
  bool Held() const;
  // The read lock could not be had: the error stands, nothing is held.
  bool Failed() const { return lock_ && lock_->Failed(); }

 private:
  std::optional<IndexLock> lock_;
  std::uint8_t area_ = 0;
  bool on_ = false;
  bool unlocked_ = false;
  std::uint16_t stamp_ = 0;
};

// For the index unit: reads record n of the selected work area into its
// buffer and typed record without running any hook; true on success.
bool ReadRecordOnly(std::int32_t n);
// Whether the current record passes the deleted-record setting and filter.
bool RecordVisible();
// Places the selected work area after its last record (blank record).
void PlaceAfterEndOfTable();
// Runs the selected work area's relation callback.
void RunRelationCallback();
