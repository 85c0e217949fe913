// The 24 numbered standard-part and material tables of the calculation: their
// files, keys, captions and help numbers, the readers that copy a table's
// current row into its global row record, and the routines that open a table,
// find the row of the current joint, or let the user pick one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calc/table_rows.h"
#include "framework/types.h"

using TCalcTableNo = int;  // 1..24
constexpr TCalcTableNo kCalcTableCount = 24;

// Table numbers named where the code picks them.
constexpr TCalcTableNo kThreadTable = 1;
constexpr TCalcTableNo kPlateMaterialTable = 10;  // pressung
constexpr TCalcTableNo kHexNutTable = 11;
constexpr TCalcTableNo kTighteningTable = 14;
constexpr TCalcTableNo kThreadFrictionTable = 15;
constexpr TCalcTableNo kHeadFrictionTable = 16;
constexpr TCalcTableNo kInterfaceFrictionTable = 17;
constexpr TCalcTableNo kWasherTable = 18;
constexpr TCalcTableNo kLengthTable = 19;
constexpr TCalcTableNo kBoltMaterialTable = 20;
constexpr TCalcTableNo kPlateMaterialTable1 = 24;  // mat_p_1

// Caption of table n in the table dialog (stored characters).
std::string CalcTableCaption(TCalcTableNo n);
// Key fields of table n, counted from 1 and joined by "+" ("2", "2+4+3"); empty without a key.
std::string CalcTableKeyFields(TCalcTableNo n);
// Base name of table n's index file: the table's own, "pressung" for table 24.
std::string CalcTableIndexName(TCalcTableNo n);
int CalcTableHelpNumber(TCalcTableNo n);  // 9500 + 10 n

// Key of a thread-sized row: d with 2 decimals right-aligned in 6 characters (" 12.00").
std::string ThreadKeyText(Extended d);

// Opens table n, orders it on its key and sets the help number. A missing
// table is a message and AbortFlag.
void OpenCalcTable(TCalcTableNo n);
// Copies the current row of the open table n into its row record.
void CopyCalcRecord(TCalcTableNo n);
// Opens table n, positions it on the row of the current joint, copies that
// row and closes the table.
void FindCalcRecord(TCalcTableNo n);
// For the span of a lookup the user did not ask for: no message shown,
// AbortFlag clear, and AbortFlag, messages and help number as they were after.
class QuietTableLookup {
 public:
  QuietTableLookup();
  ~QuietTableLookup();
  QuietTableLookup(const QuietTableLookup&) = delete;
  QuietTableLookup& operator=(const QuietTableLookup&) = delete;

 private:
  Byte abort_, trace_;
  Word help_;
};

// Whether the table of a head kind (tables 2..9) or nut kind (11..13) holds a
// row for the thread's d: NoTable when its file is missing, Unreadable when
// it cannot be opened as that table. Quiet; the answer is kept while the
// table's file is unchanged, so that a calculation run costs a stat.
enum class PartRowStatus { Found, NoRow, NoTable, Unreadable };
PartRowStatus PartRowOfThread(TCalcTableNo n);
// Lets the user browse table n and copies the accepted row.
void SelectCalcTable(TCalcTableNo n, int mode);
// The row record that CopyCalcRecord(n) fills, put back as it was when the
// keeper ends unless Keep() was called (nothing for tables without one).
class RowRecordKeeper {
 public:
  explicit RowRecordKeeper(TCalcTableNo n);
  ~RowRecordKeeper();
  RowRecordKeeper(const RowRecordKeeper&) = delete;
  RowRecordKeeper& operator=(const RowRecordKeeper&) = delete;
  void Keep() { putBack_ = nullptr; }

 private:
  std::function<void()> putBack_;
};
// Lets the user browse and edit table n in the dialog that show opens; the
// joint takes nothing from it: the row record is put back afterwards.
void BrowseCalcTable(TCalcTableNo n, const std::function<void()>& show);
// Pick lists in front of the tables: a type or choice of 0 asks first.
// SelectScrewHead: head kinds 1..8 (tables 2..9); SelectNutTable: nut kinds
// 1..3 (tables 11..13); SelectBoltMaterialTable: 1 mat_bolt, 2 Re(T), 3 E(T),
// 4 Sigma A(d); SelectPlateMaterialTable: 1 pressung, 2 E(T), 3 Re(T), 4 mat_p_1.
void SelectScrewHead(int headType, int mode);
void SelectNutTable(int nutType, int mode);
void SelectBoltMaterialTable(int choice, int mode);
void SelectPlateMaterialTable(int choice, int mode);
// Opens table 24 (flag 1) or table 10, reads row rowNo into Pressung and closes it.
void OpenPlateMaterialTable(int tableFlag, int rowNo);
// Fills clamped part i from the washer table.
void SelectWasherAsPlate(int part);
// Fills the material of clamped part i from table 10 (flag 0) or 24 (flag 1).
void SelectPlateMaterial(int part, int tableFlag);

// Row readers: each copies the current row of the open table into its
// record and does nothing while AbortFlag is set.
void ReadGewindeRecord();
void ReadDin912Record();
void ReadDin931Record();
void ReadDin963Record();
void ReadDin964Record();
void ReadIso10642Record();
void ReadCylslotRecord();
void ReadSondkopfRecord();
void ReadFlangescRecord();
void ReadPressungRecord();
void ReadNutRecord(DIN934_Record& rec);  // din934 and din6915
void ReadFlangnutRecord();
void ReadAnziehRecord();
void ReadMueRecord(MUE_Record& rec);
void ReadKlemmstkRecord();
void ReadLSchraubRecord();
void ReadMatBoltRecord();

// Browsers of the five material tables over temperature and diameter.
void ShowBoltReTable(int mode);
void ShowPlateReTable(int mode);
void ShowBoltETable(int mode);
void ShowBoltSigmaATable(int mode, std::int32_t startRow = 0);  // starts on that row when the table has it
void ShowPlateETable(int mode);

// Closes any open table and lets the material values over temperature read
// their rows from the tables (MaterialRows).
void InitCalcTables();
