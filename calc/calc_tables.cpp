#include "calc/calc_tables.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_access.h"
#include "dbf/runtime.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"

namespace {

// Captions in stored characters; 0xE6 is the µ of code page 437.
const char* const kCaptions[kCalcTableCount + 1] = {
    "",
    "Database Thread",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // head kind names
    "Material for plate / nut",
    "Database for hexagon nut to DIN 934",
    "Database for HV-hexagon nut to DIN 6915",
    "Database for hexagon nut to ANSI B18.2.4.4",
    "Database for Tightening tool, Tightening factor and Dispersion",
    "Friction in thread \xE6G",
    "Friction \xE6K in head seat",
    "Friction \xE6Tr in mould seam",
    "Washer",
    "Standard. screw lengths",
    "Material bolt",
    "Friction in thread \xE6G",
    "Friction \xE6K in head seat",
    "Friction in thread \xE6G",
    "Material for plate / nut",
};

bool ValidTable(TCalcTableNo n) { return n >= 1 && n <= kCalcTableCount; }

// Field values of the current row; a column the table does not have reads as
// empty, so as 0. A number field that holds no number, or a value outside
// the range that the calculation takes for it, fails the table by name.
// The text is read as the table engine reads a stored text ("1.018,00" is 1018).
Extended StoredValue(int n) {
  long double value = 0;
  const TStoredRead read = ReadStoredNumber(DbfFieldText(n), value);
  return read == TStoredRead::Number ? value : 0;
}
Extended Num(int n, const TInputRange* range = nullptr) {
  const Extended value = StoredValue(n);
  CheckDbfNumber(n, value, range);
  return value;
}
// A whole-number field of a record takes a fraction or an exponent
// ("200700.4", "2.0E5") as the number it is, rounded to the nearest whole one.
std::int32_t Int(int n, const TInputRange* range = nullptr) {
  const Extended value = StoredValue(n);
  CheckDbfNumber(n, value, range, true);
  return std::fabs(value) <= kWholeFieldLimit ? static_cast<std::int32_t>(std::llround(value)) : 0;
}
std::string Txt(int n) {
  CheckDbfText(n);
  return AnsiToOemText(DbfFieldText(n));
}

// A dimension of a part: a length as the one range table has them.
Extended Len(int n) { return Num(n, &InputRange::ThreadDiameter); }

namespace R = InputRange;

std::string D2(Extended d) { return FloatToTextFix(2, d); }

// Searches the key of d in the open table; reports a miss with the kind name.
void FindThreadSized(std::string_view kindName, Extended d) {
  FindDbfKey(ThreadKeyText(d));
  if (!DbfKeyFound()) ReportMissingRow("record " + std::string(kindName) + " for d = " + D2(d) + " not found !");
}

// A row that FindCalcRecord found, kept while the table's file is unchanged
// (its identity, as for the material rows), under every input that chooses
// it: the same lookup in the next project of a batch run puts the row record
// back without opening the table.
std::map<std::string, std::function<void()>, std::less<>> KeptLookups;

std::string LookupKey(TCalcTableNo n, const std::string& identity) {
  if (identity.empty()) return {};
  std::string key = std::to_string(n) + '\n' + identity + '\n' + ThreadKeyText(Gewinde.d);
  for (const std::int64_t row : {std::int64_t{Schraube.ThreadRow}, std::int64_t{Schraube.HeadRow},
                                 std::int64_t{Mutter.NutRow}, std::int64_t{Montage.TighteningRow},
                                 std::int64_t{Reibung.ThreadFrictionRow}, std::int64_t{Reibung.HeadFrictionRow},
                                 std::int64_t{Reibung.InterfaceFrictionRow}, std::int64_t{Schraube.MatBoltRow}})
    key += ' ' + std::to_string(row);
  return key;
}

// Whether a head or nut table has a row of the bolt's size, kept while the
// table's file is unchanged: loading a project finds it, and the
// calculation's check asks again without opening the table.
std::map<std::string, PartRowStatus, std::less<>> KeptPartRows;

std::string PartRowKey(const std::string& identity) {
  return identity.empty() ? std::string() : identity + '\n' + ThreadKeyText(Gewinde.d);
}

// What a lookup of the table (known by the identity it had before it was
// opened) found; nothing when reading it failed.
void KeepPartRow(const std::string& identity, bool found) {
  const std::string key = PartRowKey(identity);
  if (!key.empty() && !AbortFlag) KeptPartRows[key] = found ? PartRowStatus::Found : PartRowStatus::NoRow;
}

// The row record that CopyCalcRecord(n) fills, as a copy that puts itself back.
std::function<void()> KeepRowRecord(TCalcTableNo n) {
  auto keep = [](auto& record) { return std::function<void()>([&record, copy = record] { record = copy; }); };
  switch (n) {
    case 1: return keep(Gewinde);
    case 2: return keep(Din912);
    case 3: return keep(Din931);
    case 4: return keep(Din963);
    case 5: return keep(Din964);
    case 6: return keep(Iso10642);
    case 7: return keep(Cylslot);
    case 8: return keep(Sondkopf);
    case 9: return keep(Flangesc);
    case 11: return keep(Din934);
    case 12: return keep(Din6915);
    case 13: return keep(Flangnut);
    case 14: return keep(Anzieh);
    case 15: return keep(MueG);
    case 16: return keep(MueK);
    case 17: return keep(MueTr);
    case 18: return keep(Klemmstk);
    case 19: return keep(LSchraub);
    case 20: return keep(MatBolt);
    default: return {};  // plates and 21..23: not found through FindCalcRecord's rows
  }
}

// The nut's dimensions that the joint takes from the row of nut table n.
void TakeNutDimensions(TCalcTableNo n) {
  if (n < kHexNutTable || n > 13 || AbortFlag) return;
  const bool flange = n == 13;
  Mutter.dwNut = flange ? Flangnut.dw : (n == 11 ? Din934 : Din6915).dw;
  Mutter.m = flange ? Flangnut.m : (n == 11 ? Din934 : Din6915).m;
  Mutter.dNut = flange ? Flangnut.d : (n == 11 ? Din934 : Din6915).d;
}

// The remembered row stands when it exists and its d (field 1) is the
// thread's; otherwise the key of the thread's d is searched.
// True when the table has a row of the bolt's size.
bool GoToRowOfDiameter(std::int32_t row, std::string_view kindName) {
  if (row > 0 && row <= DbfRecordCount()) {
    GotoDbfRecord(row);
    if (FloatEqual(Num(1), Gewinde.d)) return true;
  }
  FindThreadSized(kindName, Gewinde.d);
  return DbfKeyFound();
}

// The remembered row: the only one that will do. One beyond the table is its
// failure (GotoDbfRecord), never another row.
void GoToRememberedRow(std::int32_t row) {
  if (row != 0) GotoDbfRecord(row);
}

// Where a pick starts: the remembered row when the table has it.
void StartPickAt(std::int32_t row) {
  if (row >= 1 && row <= DbfRecordCount()) GotoDbfRecord(row);
}

void RefreshPlateMaterials() {
  for (int i = 1; i <= Klemmstuecke.nPlates && i < kPlateEntries; ++i) {
    const int flag = Klemmstuecke.MatTable[i] == 1 ? 1 : 0;
    const TCalcTableNo table = flag ? kPlateMaterialTable1 : kPlateMaterialTable;
    OpenCalcTable(table);
    if (AbortFlag) return;
    Word& remembered = Klemmstuecke.Codes[i][flag];
    const std::string name = Klemmstuecke.Material[i].str();
    bool found = false;
    if (!name.empty()) {
      FindDbfKey(OemToAnsiText(name));
      found = DbfKeyFound();
    }
    if (found || remembered != 0) {
      if (!found) GotoDbfRecord(remembered);
      ReadPressungRecord();
      if (found) remembered = static_cast<Word>(DbfRecNo());
      else Klemmstuecke.Material[i] = Pressung.Name;
      Klemmstuecke.pmax[i] = Pressung.pG;
      Klemmstuecke.Re[i] = Pressung.Re;
      Klemmstuecke.E[i] = Pressung.E;
      Klemmstuecke.alphaT[i] = Pressung.alphaT;
    }
    CopyCalcRecord(table);
    CloseDbfTable();
  }
}

}  // namespace

std::string CalcTableCaption(TCalcTableNo n) {
  if (!ValidTable(n)) return {};
  if (n >= 2 && n <= 9) return HeadKindNames[n - 1].str();
  return kCaptions[n];
}

std::string CalcTableKeyFields(TCalcTableNo n) {
  if (n == kThreadTable || n == kWasherTable) return "2";
  if (n >= kThreadFrictionTable && n <= kInterfaceFrictionTable) return "2+4+3";
  if (n >= kBoltMaterialTable && n <= 23) return {};
  return ValidTable(n) ? "1" : "";
}

std::string CalcTableIndexName(TCalcTableNo n) {
  if (n == kPlateMaterialTable1) return "pressung";
  return ValidTable(n) ? CalcTableNames[n].str() : "";
}

int CalcTableHelpNumber(TCalcTableNo n) { return 9500 + 10 * n; }

std::string ThreadKeyText(Extended d) { return FloatToTextWidth(3, 2, d); }

void OpenCalcTable(TCalcTableNo n) {
  if (!ValidTable(n)) return;
  DbfDir = AddBackslash(DbfDir);
  OpenDbfTable(CalcTableNames[n].str() + ".dbf");
  if (AbortFlag) return;
  const std::string fields = CalcTableKeyFields(n);
  if (!fields.empty()) {
    // The key names the fields by position; a table with fewer columns is
    // not a table of this kind.
    std::string key;
    std::size_t start = 0;
    while (start < fields.size()) {
      std::size_t plus = fields.find('+', start);
      if (plus == std::string::npos) plus = fields.size();
      const std::string name = DbfFieldName(std::stoi(fields.substr(start, plus - start)));
      if (name.empty()) {
        ShowTraceMessage("Error  : " + CalcTableNames[n].str() + ".dbf has too few fields");
        CloseDbfTable();
        AbortFlag = 1;
        return;
      }
      key += (key.empty() ? "" : "+") + name;
      start = plus + 1;
    }
    IndexDbfOn(key, CalcTableIndexName(n));
  }
  SetHelpNo(static_cast<Word>(CalcTableHelpNumber(n)));
}

void CopyCalcRecord(TCalcTableNo n) {
  switch (n) {
    case 1: ReadGewindeRecord(); break;
    case 2: ReadDin912Record(); break;
    case 3: ReadDin931Record(); break;
    case 4: ReadDin963Record(); break;
    case 5: ReadDin964Record(); break;
    case 6: ReadIso10642Record(); break;
    case 7: ReadCylslotRecord(); break;
    case 8: ReadSondkopfRecord(); break;
    case 9: ReadFlangescRecord(); break;
    case 10:
    case 24: ReadPressungRecord(); break;
    case 11: ReadNutRecord(Din934); break;
    case 12: ReadNutRecord(Din6915); break;
    case 13: ReadFlangnutRecord(); break;
    case 14: ReadAnziehRecord(); break;
    case 15: ReadMueRecord(MueG); break;
    case 16: ReadMueRecord(MueK); break;
    case 17: ReadMueRecord(MueTr); break;
    case 18: ReadKlemmstkRecord(); break;
    case 19: ReadLSchraubRecord(); break;
    case 20: ReadMatBoltRecord(); break;
    default: break;  // 21..23: the callers read the fields themselves
  }
  CheckRowNumbers();
}

void FindCalcRecord(TCalcTableNo n) {
  if (!ValidTable(n)) return;
  if (n == kPlateMaterialTable || n == kPlateMaterialTable1) {
    RefreshPlateMaterials();
    return;
  }
  const Extended keptD = Gewinde.d, keptP = Gewinde.P;
  const std::string keptKind = Gewinde.Kind.str();
  const std::string identity = AbortFlag ? std::string() : DbfTableIdentity(CalcTableNames[n].str() + ".dbf");
  const std::string key = LookupKey(n, identity);
  if (const auto kept = KeptLookups.find(key); !key.empty() && kept != KeptLookups.end()) {
    DbfDir = AddBackslash(DbfDir);
    SetHelpNo(static_cast<Word>(CalcTableHelpNumber(n)));
    kept->second();
    TakeNutDimensions(n);
    return;
  }
  const std::uint32_t messages = TableNotices();
  OpenCalcTable(n);
  if (AbortFlag) return;
  if (n == kThreadTable) {
    // The remembered row stands when the table has it and its d is the
    // kept one; otherwise the kept d is searched.
    bool search = Schraube.ThreadRow < 1 || Schraube.ThreadRow > DbfRecordCount();
    if (!search) {
      GotoDbfRecord(Schraube.ThreadRow);
      search = !FloatEqual(Num(2), keptD);
    }
    if (search) {
      FindDbfKey(ThreadKeyText(keptD));
      if (!DbfKeyFound()) ReportMissingRow(keptKind + D2(keptD) + " x " + FloatToTextFix(3, keptP) + " not found !");
    }
  } else if (n >= 2 && n <= 9) {
    KeepPartRow(identity, GoToRowOfDiameter(Schraube.HeadRow, HeadKindNames[n - 1].view()));
  } else if (n >= kHexNutTable && n <= 13) {
    KeepPartRow(identity, GoToRowOfDiameter(Mutter.NutRow, NutKindNames[n - 10].view()));
  } else if (n == kTighteningTable) {
    GoToRememberedRow(Montage.TighteningRow);
  } else if (n == kThreadFrictionTable) {
    GoToRememberedRow(Reibung.ThreadFrictionRow);
  } else if (n == kHeadFrictionTable) {
    GoToRememberedRow(Reibung.HeadFrictionRow);
  } else if (n == kInterfaceFrictionTable) {
    GoToRememberedRow(Reibung.InterfaceFrictionRow);
  } else if (n == kBoltMaterialTable) {
    GoToRememberedRow(Schraube.MatBoltRow);
  }
  CopyCalcRecord(n);
  TakeNutDimensions(n);
  CloseDbfTable();
  // A lookup that gave a message (a row not found, a row beyond the table)
  // gives it again next time: not kept.
  if (!key.empty() && !AbortFlag && TableNotices() == messages) {
    if (std::function<void()> keep = KeepRowRecord(n)) KeptLookups[key] = std::move(keep);
  }
}

QuietTableLookup::QuietTableLookup() : abort_(AbortFlag), trace_(TraceMessagesOn), help_(HelpNumber) {
  AbortFlag = 0;
  TraceMessagesOn = 0;
}

QuietTableLookup::~QuietTableLookup() {
  AbortFlag = abort_;
  TraceMessagesOn = trace_;
  HelpNumber = help_;
}

PartRowStatus PartRowOfThread(TCalcTableNo n) {
  if (!ValidTable(n) || !((n >= 2 && n <= 9) || (n >= kHexNutTable && n <= 13))) return PartRowStatus::NoTable;
  const std::string table = CalcTableNames[n].str() + ".dbf";
  const std::string key = PartRowKey(DbfTableIdentity(table));
  if (const auto kept = KeptPartRows.find(key); !key.empty() && kept != KeptPartRows.end()) return kept->second;
  if (!DbfTableExists(table)) return PartRowStatus::NoTable;
  PartRowStatus status = PartRowStatus::Unreadable;
  {
    const QuietTableLookup quiet;
    OpenCalcTable(n);
    if (!AbortFlag) {
      FindDbfKey(ThreadKeyText(Gewinde.d));
      if (!AbortFlag) status = DbfKeyFound() ? PartRowStatus::Found : PartRowStatus::NoRow;
    }
    CloseDbfTable();
  }
  if (!key.empty() && status != PartRowStatus::Unreadable) KeptPartRows[key] = status;
  return status;
}

RowRecordKeeper::RowRecordKeeper(TCalcTableNo n) : putBack_(KeepRowRecord(n)) {}

RowRecordKeeper::~RowRecordKeeper() {
  if (putBack_) putBack_();
}

void BrowseCalcTable(TCalcTableNo n, const std::function<void()>& show) {
  const RowRecordKeeper kept(n);
  show();
}

void SelectCalcTable(TCalcTableNo n, int mode) {
  if (!ValidTable(n)) return;
  SetDbfDialogCaptions("", CalcTableCaption(n));
  OpenCalcTable(n);
  if (AbortFlag) return;
  if (n == kThreadFrictionTable) StartPickAt(Reibung.ThreadFrictionRow);
  if (n == kHeadFrictionTable) StartPickAt(Reibung.HeadFrictionRow);
  if (n == kInterfaceFrictionTable) StartPickAt(Reibung.InterfaceFrictionRow);
  SetHelpNo(static_cast<Word>(CalcTableHelpNumber(n)));
  ShowDbfDialog("", mode);
  CopyCalcRecord(n);
  CloseDbfTable();
  RestoreCursor();
}

namespace {

// Lets the user choose 1..count of the texts; 0 after Cancel (AbortFlag set).
int AskChoice(Word help, std::string_view prompt, std::initializer_list<std::string_view> texts) {
  SetHelpNo(help);
  std::size_t i = 0;
  for (std::string_view t : texts) ItemTexts[++i] = t;
  Word choice = 1;
  SelectCode(prompt, static_cast<int>(texts.size()), choice);
  return AbortFlag ? 0 : choice;
}

}  // namespace

namespace {

// The kind names 1..count as the choice; 0 after Cancel.
template <typename Names>
int AskKind(Word help, std::string_view prompt, const Names& names, int count) {
  SetHelpNo(help);
  for (int i = 1; i <= count; ++i) ItemTexts[static_cast<std::size_t>(i)] = names[static_cast<std::size_t>(i)].view();
  Word choice = 1;
  SelectCode(prompt, count, choice);
  return AbortFlag ? 0 : choice;
}

}  // namespace

void SelectScrewHead(int headType, int mode) {
  if (headType == 0) headType = AskKind(4900, "Database Screw head", HeadKindNames, 8);
  if (headType >= 1 && headType <= 8) SelectCalcTable(headType + 1, mode);
}

void SelectNutTable(int nutType, int mode) {
  if (nutType == 0) nutType = AskKind(4910, "Database hexagon nut", NutKindNames, 3);
  if (nutType >= 1 && nutType <= 3) SelectCalcTable(nutType + 10, mode);
}

void SelectBoltMaterialTable(int choice, int mode) {
  if (choice == 0)
    choice = AskChoice(4920, "Database",
                       {"Material bolt", "Material bolt Re = f (T)", "Material bolt E = f (T)",
                        "Material bolt Sigma A = f (d)"});
  switch (choice) {
    case 1: SelectCalcTable(kBoltMaterialTable, mode); break;
    case 2: ShowBoltReTable(mode); break;
    case 3: ShowBoltETable(mode); break;
    case 4: ShowBoltSigmaATable(mode); break;
    default: break;
  }
}

void SelectPlateMaterialTable(int choice, int mode) {
  if (choice == 0)
    choice = AskChoice(4920, "Database",
                       {"Material plate / nut 0 (pressung.dbf)", "Material plate / nut E = f (T)",
                        "Material plate / nut Re = f (T)", "Material plate / nut 1 (mat_p_1.dbf)"});
  switch (choice) {
    case 1: SelectCalcTable(kPlateMaterialTable, mode); break;
    case 2: ShowPlateETable(mode); break;
    case 3: ShowPlateReTable(mode); break;
    case 4: SelectCalcTable(kPlateMaterialTable1, mode); break;
    default: break;
  }
}

void OpenPlateMaterialTable(int tableFlag, int rowNo) {
  OpenCalcTable(tableFlag == 1 ? kPlateMaterialTable1 : kPlateMaterialTable);
  if (AbortFlag) return;
  GotoDbfRecord(rowNo);
  ReadPressungRecord();
  CloseDbfTable();
}

void SelectWasherAsPlate(int part) {
  if (part < 1 || part >= kPlateEntries) return;
  SetDbfDialogCaptions("", "Select washer/standard plate as clamping piece " + std::to_string(part));
  OpenCalcTable(kWasherTable);
  if (AbortFlag) return;
  if (Gewinde.d > 0) FindDbfNear(FloatToTextWidth(3, 1, Gewinde.d));
  ShowDbfDialog("", 1);
  CopyCalcRecord(kWasherTable);
  CloseDbfTable();
  RestoreCursor();
  if (AbortFlag) return;
  Klemmstuecke.Di[part] = Klemmstk.Di;
  Klemmstuecke.De[part] = Klemmstk.De;
  Klemmstuecke.L[part] = Klemmstk.h;
  Klemmstuecke.Description[part] = Klemmstk.Name;
}

void SelectPlateMaterial(int part, int tableFlag) {
  if (part < 1 || part >= kPlateEntries) return;
  const int flag = tableFlag == 1 ? 1 : 0;
  SetDbfDialogCaptions("", "select material for clamping piece " + std::to_string(part));
  OpenCalcTable(flag ? kPlateMaterialTable1 : kPlateMaterialTable);
  if (AbortFlag) return;
  Word& remembered = Klemmstuecke.Codes[part][flag];
  StartPickAt(remembered);
  ShowDbfDialog("", 1);
  if (!AbortFlag) remembered = static_cast<Word>(SelectedRecordNo);
  ReadPressungRecord();
  CloseDbfTable();
  if (AbortFlag) return;
  Klemmstuecke.Material[part] = Pressung.Name;
  Klemmstuecke.pmax[part] = Pressung.pG;
  Klemmstuecke.Re[part] = Pressung.Re;
  Klemmstuecke.E[part] = Pressung.E;
  Klemmstuecke.alphaT[part] = Pressung.alphaT;
}

// Row readers ------------------------------------------------------------------

void ReadGewindeRecord() {
  if (AbortFlag) return;
  Gewinde.RowNo = DbfRecNo();
  Gewinde.Designation = Txt(1);
  Gewinde.d = Num(2, &R::ThreadDiameter);
  Gewinde.P = Num(3, &R::Pitch);
  Gewinde.Kind = Txt(4).substr(0, 1);
  Gewinde.Column5 = Txt(5);
  Gewinde.Column6 = Txt(6);
  const bool wide = DbfFieldCount() > 6;
  Gewinde.Column7 = wide ? Len(7) : 0;
  Gewinde.Column8 = wide ? Len(8) : 0;
}

void ReadDin912Record() {
  if (AbortFlag) return;
  DIN912_Record& r = Din912;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.s = Len(4); r.k = Len(5); r.t = Len(6);
  r.dK = Len(7); r.dw = Len(8); r.rK = Len(9); r.r = Len(10); r.Num11 = Num(11); r.Num12 = Num(12);
  r.Text = Txt(13);
}

void ReadDin931Record() {
  if (AbortFlag) return;
  DIN931_Record& r = Din931;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.s = Len(4); r.k = Len(5); r.c = Len(6);
  r.dw = Len(7); r.r = Len(8); r.Num9 = Num(9); r.Num10 = Num(10); r.Text = Txt(11);
}

void ReadDin963Record() {
  if (AbortFlag) return;
  DIN963_Record& r = Din963;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.dK = Len(4); r.k = Len(5); r.t = Len(6);
  r.n = Len(7); r.r = Len(8); r.Num9 = Num(9); r.Num10 = Num(10); r.Text = Txt(11);
}

void ReadDin964Record() {
  if (AbortFlag) return;
  DIN964_Record& r = Din964;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.dK = Len(4); r.k = Len(5); r.t = Len(6);
  r.n = Len(7); r.f = Len(8); r.r = Len(9); r.Num10 = Num(10); r.Num11 = Num(11); r.Text = Txt(12);
}

void ReadIso10642Record() {
  if (AbortFlag) return;
  ISO10642_Record& r = Iso10642;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.dK = Len(4); r.k = Len(5); r.t = Len(6);
  r.s = Len(7); r.r = Len(8); r.Num9 = Num(9); r.Num10 = Num(10); r.Text = Txt(11);
}

void ReadCylslotRecord() {
  if (AbortFlag) return;
  Cylslot_Record& r = Cylslot;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.dK = Len(4); r.dw = Len(5); r.k = Len(6);
  r.t = Len(7); r.n = Len(8); r.lh = Len(9); r.rf = Len(10); r.NoRound = Int(11);
  r.Num12 = Num(12); r.Num13 = Num(13); r.Text = Txt(14);
}

void ReadSondkopfRecord() {
  if (AbortFlag) return;
  SONDKOPF_Record& r = Sondkopf;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.k = Len(4); r.dK = Len(5); r.dw = Len(6);
  r.rf = Len(7); r.di = Len(8); r.r = Len(9); r.Num10 = Num(10); r.Num11 = Num(11); r.Text = Txt(12);
}

void ReadFlangescRecord() {
  if (AbortFlag) return;
  FLANGESC_Record& r = Flangesc;
  r.d = Len(1); r.Standard = Txt(2); r.b = Len(3); r.s = Len(4); r.k = Len(5); r.c = Len(6);
  r.dc = Len(7); r.dw = Len(8); r.r = Len(9); r.Num10 = Num(10); r.Num11 = Num(11);
  r.Num12 = Num(12); r.Num13 = Num(13); r.Text = Txt(14);
}

void ReadPressungRecord() {
  if (AbortFlag) return;
  PRESSUNG_Record& r = Pressung;
  r.Name = Txt(1); r.Re = Int(2, &R::PlateYield); r.Rm = Int(3, &R::NutTensile); r.pG = Int(4, &R::PlatePressure);
  r.Ratio1 = Num(5, &R::NutShear); r.E = Int(6, &R::PlateModulus); r.alphaT = Num(7, &R::ThermalExpansion);
  r.Text = Txt(8);
  r.Ratio2 = DbfFieldCount() > 8 ? Num(9, &R::NutShearVdi) : r.Ratio1;
}

void ReadNutRecord(DIN934_Record& r) {
  if (AbortFlag) return;
  r.d = Len(1); r.m = Len(2); r.s = Len(3); r.dw = Len(4); r.Standard = Txt(5); r.Text = Txt(6);
}

void ReadFlangnutRecord() {
  if (AbortFlag) return;
  FLANGNUT_Record& r = Flangnut;
  r.d = Len(1); r.Standard = Txt(2); r.s = Len(3); r.m = Len(4); r.c = Len(5); r.dc = Len(6);
  r.dw = Len(7); r.Num8 = Num(8); r.Num9 = Num(9); r.Text = Txt(10);
}

void ReadAnziehRecord() {
  if (AbortFlag) return;
  Anzieh.alphaA = Num(1, &R::TighteningFactor);
  Anzieh.Dispersion = Num(2);
  Anzieh.Procedure = Txt(3);
  Anzieh.Tool = Txt(4);
  Anzieh.Text = Txt(5);
}

void ReadMueRecord(MUE_Record& r) {
  if (AbortFlag) return;
  r.mu = Num(1, &R::Friction); r.Text2 = Txt(2); r.Text3 = Txt(3); r.Text4 = Txt(4); r.Text5 = Txt(5); r.Text6 = Txt(6);
}

void ReadKlemmstkRecord() {
  if (AbortFlag) return;
  Klemmstk.Name = Txt(1);
  Klemmstk.Di = Num(2, &R::PlateDiameter);
  Klemmstk.De = Num(3, &R::PlateDiameter);
  Klemmstk.h = Num(4, &R::PlateThickness);
  Klemmstk.Text = Txt(5);
}

void ReadLSchraubRecord() {
  if (AbortFlag) return;
  LSchraub.l = Num(1, &R::BoltLength);
  LSchraub.Text2 = Txt(2);
  LSchraub.Text3 = Txt(3);
}

void ReadMatBoltRecord() {
  if (AbortFlag) return;
  MAT_BOLT_Record& r = MatBolt;
  r.RowNo = DbfRecNo();
  r.StrengthClass = Txt(1); r.Rp02 = Int(2, &R::BoltYield); r.Rm = Int(3, &R::BoltTensile);
  r.betaB = Num(4, &R::BoltShear); r.E = Int(5, &R::BoltModulus); r.alphaTBolt = Num(6, &R::ThermalExpansion);
  r.Comment1 = Txt(7); r.Comment2 = Txt(8);
  r.betaBVdi = DbfFieldCount() > 8 ? Num(9, &R::BoltShearVdi) : r.betaB;
}

// Material tables over temperature and diameter ---------------------------------

namespace {

// First value column of a material table: the yield-point tables keep a
// number in column 2 that the lookups do not use.
int FirstValueColumn(std::string_view table) {
  return table == kMatBoltReTable || table == kMatPlateReTable ? 3 : 2;
}

// The range of a material table's values.
const TInputRange* MaterialRange(std::string_view table) {
  if (table == kMatBoltReTable) return &R::BoltYield;
  if (table == kMatPlateReTable) return &R::PlateYield;
  if (table == kMatBoltETable) return &R::BoltModulus;
  if (table == kMatPlateETable) return &R::PlateModulus;
  return &R::Strength;
}

// The current row; a value the table access refused fails the table, which
// has said so: TableMissing.
MaterialRowStatus ReadMaterialRow(std::string_view table, MaterialRow& row) {
  const std::uint32_t notices = TableNotices();
  row.name = AnsiToOemText(DbfFieldText(1));
  const int first = FirstValueColumn(table);
  const int count = table == kMatBoltSigmaATable ? 9 : 8;
  row.values.fill(0);
  for (int i = 0; i < count; ++i) row.values[i] = Int(first + i, MaterialRange(table));
  return TableNotices() == notices ? MaterialRowStatus::Found : MaterialRowStatus::TableMissing;
}

// Opens and indexes the table. A table that is missing or cannot be opened
// is reported by the table access, which sets AbortFlag; otherwise AbortFlag
// is left as it was.
bool OpenMaterialTable(std::string_view table) {
  const Byte before = AbortFlag;
  AbortFlag = 0;
  OpenDbfTable(table);
  if (!AbortFlag) IndexDbfOn(DbfFieldName(1), table);
  if (AbortFlag) {
    CloseDbfTable();
    return false;
  }
  AbortFlag = before;
  return true;
}

// Rows already looked up, per material table, while the table file stays as
// it was: the calculation asks for the same rows at every temperature, and a
// batch run for the same rows in every project. Only answers that took no
// message are kept, so an answer from here is the one a new lookup gives.
struct KnownMaterialRows {
  std::string identity;
  std::int32_t count = 0;
  std::map<std::string, MaterialRow, std::less<>> byName;  // a name without a row maps to an empty name
  std::map<int, MaterialRow> byNumber;
};

std::map<std::string, KnownMaterialRows, std::less<>> KnownRows;

// The rows known of the table while its file is unchanged; forgotten when it changed.
KnownMaterialRows* KnownRowsOf(std::string_view table, const std::string& identity) {
  if (identity.empty()) return nullptr;
  KnownMaterialRows& known = KnownRows[std::string(table)];
  if (known.identity != identity) {
    known = KnownMaterialRows{};
    known.identity = identity;
  }
  return &known;
}

MaterialRowStatus LookUpMaterialRowByName(std::string_view table, std::string_view name, MaterialRow& row);
MaterialRowStatus ReadMaterialRowNumber(std::string_view table, int rowNo, MaterialRow& row, std::int32_t& count);

MaterialRowStatus FindMaterialRowByName(std::string_view table, std::string_view name, MaterialRow& row) {
  KnownMaterialRows* known = KnownRowsOf(table, DbfTableIdentity(table));
  if (known) {
    const auto it = known->byName.find(name);
    if (it != known->byName.end()) {
      if (it->second.name.empty()) return MaterialRowStatus::NotFound;
      row = it->second;
      return MaterialRowStatus::Found;
    }
  }
  const MaterialRowStatus status = LookUpMaterialRowByName(table, name, row);
  if (known && status != MaterialRowStatus::TableMissing)
    known->byName[std::string(name)] = status == MaterialRowStatus::Found ? row : MaterialRow{};
  return status;
}

MaterialRowStatus ReadMaterialRowNo(std::string_view table, int rowNo, MaterialRow& row) {
  KnownMaterialRows* known = KnownRowsOf(table, DbfTableIdentity(table));
  if (known) {
    const auto it = known->byNumber.find(rowNo);
    if (it != known->byNumber.end()) {
      row = it->second;
      return MaterialRowStatus::Found;
    }
  }
  std::int32_t count = 0;
  const MaterialRowStatus status = ReadMaterialRowNumber(table, rowNo, row, count);
  // A number outside the table takes a message: read again each time.
  if (known && status == MaterialRowStatus::Found && rowNo >= 1 && rowNo <= count) known->byNumber[rowNo] = row;
  return status;
}

MaterialRowStatus LookUpMaterialRowByName(std::string_view table, std::string_view name, MaterialRow& row) {
  if (!OpenMaterialTable(table)) return MaterialRowStatus::TableMissing;
  std::string key(name);
  while (!key.empty() && key.back() == ' ') key.pop_back();
  MaterialRowStatus status = MaterialRowStatus::NotFound;
  if (!key.empty()) {
    FindDbfKey(OemToAnsiText(key));
    // The key matches as a prefix; the row's name must be the whole name.
    if (DbfKeyFound() && AnsiToOemText(DbfFieldText(1)) == key) status = ReadMaterialRow(table, row);
  }
  CloseDbfTable();
  return status;
}

MaterialRowStatus ReadMaterialRowNumber(std::string_view table, int rowNo, MaterialRow& row, std::int32_t& count) {
  if (!OpenMaterialTable(table)) return MaterialRowStatus::TableMissing;
  MaterialRowStatus status = MaterialRowStatus::NotFound;
  count = DbfRecordCount();
  if (count >= 1) {
    const std::uint32_t notices = TableNotices();
    GotoDbfRecord(rowNo);
    // A row beyond the table failed it, with its message: no row.
    if (TableNotices() != notices) {
      status = MaterialRowStatus::TableMissing;
    } else {
      status = ReadMaterialRow(table, row);
    }
  }
  CloseDbfTable();
  return status;
}

void BrowseMaterialTable(std::string_view table, std::string_view caption, int help, int mode,
                         std::int32_t startRow = 0) {
  SetDbfDialogCaptions("", caption);
  OpenDbfTable(table);
  if (AbortFlag) return;
  StartPickAt(startRow);
  SetHelpNo(static_cast<Word>(help));
  ShowDbfDialog("", mode);
  CloseDbfTable();
  RestoreCursor();
}

}  // namespace

// 0xF8 is the degree sign of code page 437.
void ShowBoltReTable(int mode) { BrowseMaterialTable(kMatBoltReTable, "MAT_B_RE  Re = f(T) [\xF8" "C]", 9800, mode); }
void ShowPlateReTable(int mode) { BrowseMaterialTable(kMatPlateReTable, "MAT_P_RE  Re = f(T) [\xF8" "C]", 9800, mode); }
void ShowBoltETable(int mode) { BrowseMaterialTable(kMatBoltETable, "MAT_B_E  E Modul = f(T) [\xF8" "C]", 9810, mode); }
void ShowBoltSigmaATable(int mode, std::int32_t startRow) {
  BrowseMaterialTable(kMatBoltSigmaATable, "mat_b_sa  Sigma A = f(d) [mm]", 9820, mode, startRow);
}
void ShowPlateETable(int mode) { BrowseMaterialTable(kMatPlateETable, "MAT_P_E  E Modul = f(T) [\xF8" "C]", 9830, mode); }

void InitCalcTables() {
  InitTableAccess();
  MaterialRows.FindByName = FindMaterialRowByName;
  MaterialRows.ReadRow = ReadMaterialRowNo;
}
