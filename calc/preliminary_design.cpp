// Preliminary design: a thread size and strength class proposed from the
// loads, and the accepted proposal applied to the joint as a whole (thread,
// class, head, nut, washers and shank); the plates keep their holes.
#include <string>
#include <vector>

#include "calc/calc_tables.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "framework/units.h"

namespace {

// Proposed diameters in mm by force step 1..14 and the classes 12.9, 10.9, 8.8.
constexpr int kPreliminaryDiameters[14][3] = {
    {3, 3, 3},    {3, 3, 4},    {4, 4, 5},    {4, 5, 6},    {5, 6, 8},    {6, 8, 10},   {8, 10, 12},
    {10, 12, 14}, {12, 14, 16}, {16, 18, 20}, {20, 22, 24}, {24, 27, 30}, {30, 33, 36}, {36, 39, 42},
};

struct WasherRow {
  std::string name;
  Extended di = 0, de = 0, h = 0;
};

// What a new size takes from the tables, found before anything changes.
struct SizeRows {
  std::int32_t head = 0, nut = 0;
  std::vector<WasherRow> washers;           // the whole washer table
  std::vector<int> washerOf;                // per plate: index into washers of its new washer, -1 none
  std::vector<std::string> obstacles;       // what stands in the way, one line each
};

std::string Len(Extended mm) { return LengthToText(mm) + " " + LengthUnitText(); }

// "M16", "M1.6": a size as the message names it.
std::string SizeText(Extended d) { return "M" + FloatToTextAuto(d); }

bool HasHeadTable() { return Schraube.HeadType >= 1 && Schraube.HeadType <= 8; }
bool HasNutTable() {
  return Verbindung.JointKind == kJointWithNut && Mutter.NutType >= 1 && Mutter.NutType <= 3;
}

// Row number of the thread size d in a table keyed by it; 0 when the table
// has no such row, -1 when it cannot be opened.
std::int32_t RowOfSize(TCalcTableNo table, Extended d) {
  AbortFlag = 0;
  OpenCalcTable(table);
  if (AbortFlag) return -1;
  FindDbfKey(ThreadKeyText(d));
  const std::int32_t row = DbfKeyFound() ? DbfRecNo() : 0;
  CloseDbfTable();
  return row;
}

std::vector<WasherRow> ReadWashers() {
  std::vector<WasherRow> rows;
  AbortFlag = 0;
  OpenCalcTable(kWasherTable);
  if (AbortFlag) {
    AbortFlag = 0;
    return rows;
  }
  for (DbfFirst(); !DbfEof(); DbfNext()) {
    CopyCalcRecord(kWasherTable);
    rows.push_back({TrimRightText(Klemmstk.Name), Klemmstk.Di, Klemmstk.De, Klemmstk.h});
  }
  CloseDbfTable();
  return rows;
}

// A plate that is a washer row as it stands in the table ("ISO 7089 - 16"
// with that row's sizes); -1 for any other plate.
int WasherOfPlate(const std::vector<WasherRow>& washers, int i) {
  const std::string name = TrimRightText(Klemmstuecke.Description[i].str());
  for (std::size_t k = 0; k < washers.size(); ++k) {
    const WasherRow& w = washers[k];
    if (w.name == name && FloatEqual(w.di, Klemmstuecke.Di[i]) && FloatEqual(w.de, Klemmstuecke.De[i]) &&
        FloatEqual(w.h, Klemmstuecke.L[i]))
      return static_cast<int>(k);
  }
  return -1;
}

// The washer of the same standard for thread size d: "ISO 7089 - 16" becomes
// "ISO 7089 - 12".
int WasherForSize(const std::vector<WasherRow>& washers, const std::string& oldName, Extended d) {
  const std::size_t dash = oldName.rfind(" - ");
  if (dash == std::string::npos) return -1;
  const std::string name = oldName.substr(0, dash + 3) + FloatToTextAuto(d);
  for (std::size_t k = 0; k < washers.size(); ++k)
    if (washers[k].name == name) return static_cast<int>(k);
  return -1;
}

// What a failed look-up of size d (RowOfSize) says: no row, or no table.
std::string NoRowText(std::string_view what, Extended d, std::int32_t row) {
  if (row < 0) return std::string(what) + ": the table cannot be opened";
  return std::string(what) + ": no row for " + SizeText(d) + " in the table";
}

// Looks up the head, nut and washers of the new size and notes what stands
// in the way: always a head or nut table without the size (the joint would
// keep a part of the old size); for a proposal also the user's own entries
// of the old size, for a thread pick the washers, for a new joint nothing
// more (the rest of the joint is entered next).
SizeRows FindSizeRows(Extended d, SizeChange how) {
  SizeRows r;
  if (HasHeadTable()) {
    r.head = RowOfSize(Schraube.HeadType + 1, d);
    if (r.head <= 0) r.obstacles.push_back(NoRowText(HeadKindNames[Schraube.HeadType].str(), d, r.head));
  }
  if (HasNutTable()) {
    r.nut = RowOfSize(Mutter.NutType + 10, d);
    if (r.nut <= 0) r.obstacles.push_back(NoRowText(NutKindNames[Mutter.NutType].str(), d, r.nut));
  } else if (Mutter.NutType >= 1 && Mutter.NutType <= 3) {
    r.nut = RowOfSize(Mutter.NutType + 10, d);  // the unused nut keeps step where it can
  }
  AbortFlag = 0;
  const int n = Klemmstuecke.nPlates < kMaxPlates ? Klemmstuecke.nPlates : kMaxPlates;
  r.washers = ReadWashers();
  r.washerOf.assign(static_cast<std::size_t>(n) + 1, -1);
  std::vector<std::string> entered;  // what the user entered for the old size
  if (Schraube.BoltType == 3)
    entered.push_back("self-defined bolt: its sections were entered for d = " + Len(Gewinde.d));
  if (Schraube.ToleranceClass == 1) entered.push_back("d2, d3 and dmin were entered for d = " + Len(Gewinde.d));
  for (int i = 1; i <= n; ++i) {
    const int old = WasherOfPlate(r.washers, i);
    if (old < 0) continue;
    const int k = WasherForSize(r.washers, r.washers[static_cast<std::size_t>(old)].name, d);
    r.washerOf[static_cast<std::size_t>(i)] = k;
    if (k >= 0) continue;
    const std::string line = "clamping plate " + IntToText(i) + " (" + r.washers[static_cast<std::size_t>(old)].name +
                             "): no washer for " + SizeText(d) + " in the table";
    (how == SizeChange::ThreadPick ? r.obstacles : entered).push_back(line);
  }
  if (how == SizeChange::Proposal) r.obstacles.insert(r.obstacles.end(), entered.begin(), entered.end());
  return r;
}

// Thread length of a standard bolt for the new size: after a thread pick the
// standard length of the head row, as after a head pick; in a proposal a
// shank bolt takes the standard length, the others keep theirs while it fits.
void TakeThreadLength(SizeChange how) {
  const SCHRAUBTYPE& s = Schraube;
  const Extended pastFit = ZeroWithinRounding(s.b - (s.l - 2 * Gewinde.P), {s.b, s.l, 2 * Gewinde.P});
  if (how == SizeChange::ThreadPick || s.BoltType == 1 || pastFit > 0) {
    Schraube.b = StandardThreadLength();
    AbortFlag = 0;
  }
}

bool ReadThreadRow(std::int32_t row) {
  AbortFlag = 0;
  OpenCalcTable(kThreadTable);
  if (AbortFlag) return false;
  GotoDbfRecord(row);
  ReadGewindeRecord();
  CloseDbfTable();
  Schraube.ThreadRow = static_cast<Word>(row);
  return true;
}

void ApplySize(const SizeRows& r, SizeChange how) {
  if (r.head > 0) {
    Schraube.HeadRow = static_cast<Word>(r.head);
    FindCalcRecord(Schraube.HeadType + 1);
    TakeHeadRowValues();
  }
  if (r.nut > 0) {
    Mutter.NutRow = r.nut;
    FindCalcRecord(Mutter.NutType + 10);  // takes dw, height and d of the nut
  }
  AbortFlag = 0;

  for (int i = 1; i < static_cast<int>(r.washerOf.size()); ++i) {
    const int k = r.washerOf[static_cast<std::size_t>(i)];
    if (k < 0) continue;
    const WasherRow& w = r.washers[static_cast<std::size_t>(k)];
    Klemmstuecke.Di[i] = w.di;
    Klemmstuecke.De[i] = w.de;
    Klemmstuecke.L[i] = w.h;
    Klemmstuecke.Description[i] = w.name;
  }

  if (Schraube.BoltType != 3) {
    TakeThreadLength(how);
    BuildBoltSections();
  }
}

void ApplyStrengthClass(Word classCode) {
  Schraube.StrengthClassCode = classCode;
  Schraube.MatBoltRow = static_cast<Word>(StrengthClassIndex(classCode, Gewinde.d));
  AbortFlag = 0;
  FindCalcRecord(kBoltMaterialTable);
  AbortFlag = 0;
}

}  // namespace

// The tabulated forces are the rounded R5 numbers (1600, not 1584.9), so the
// step is found by comparing with them, not from a logarithm.
int ForceClass(Extended force) {
  if (!(force > 0)) return -9999;
  constexpr Extended kR5[5] = {1000, 1600, 2500, 4000, 6300};
  auto tabulated = [&](int k) {
    const int decade = k >= 0 ? k / 5 : -((-k + 4) / 5);
    Extended f = kR5[k - 5 * decade];
    for (int i = 0; i < decade; ++i) f *= 10;
    for (int i = 0; i > decade; --i) f /= 10;
    return f;
  };
  constexpr int kLimit = 200;  // 10^40 N either way: far beyond the table
  int k = 0;
  while (k < kLimit && BelowBeyondRounding(tabulated(k), force)) ++k;
  while (k > -kLimit && !BelowBeyondRounding(tabulated(k - 1), force)) --k;
  return k;
}

int PreliminaryDiameter(int k, int classColumn) {
  k = IntClamp(1, 14, k);
  classColumn = IntClamp(1, 3, classColumn);
  return kPreliminaryDiameters[k - 1][classColumn - 1];
}

bool TakeThreadSize(std::int32_t threadRow, Extended d, SizeChange how, const std::string& heading,
                    const std::string& advice) {
  if (FloatEqual(Gewinde.d, d)) {  // another thread of the size: the rest stays
    if (threadRow > 0 && !ReadThreadRow(threadRow)) {
      AddErrorMessage("Fatal  : Database thread");
      AbortFlag = 1;
      return false;
    }
    if (Schraube.BoltType != 3) BuildBoltSections();
    return true;
  }
  std::vector<std::string> obstacles;
  if (threadRow <= 0) {
    threadRow = RowOfSize(kThreadTable, d);
    if (threadRow <= 0) obstacles.push_back(NoRowText("thread", d, threadRow));
  }
  SizeRows rows = FindSizeRows(d, how);
  obstacles.insert(obstacles.end(), rows.obstacles.begin(), rows.obstacles.end());
  if (obstacles.empty() && !ReadThreadRow(threadRow)) {
    threadRow = -1;
    obstacles.push_back(NoRowText("thread", d, threadRow));
  }
  if (!obstacles.empty()) {
    std::string text = heading;
    for (const std::string& line : obstacles) text += "\n" + line;
    text += "\n" + advice;
    if (threadRow < 0) AddErrorMessage("Fatal  : Database thread");
    ShowMessageText(text);
    AbortFlag = 1;
    return false;
  }
  Gewinde.d = d;
  ApplySize(rows, how);
  return true;
}

bool ApplyPreliminaryDesign(int d, Word classCode, bool newJoint) {
  if (!FloatEqual(Gewinde.d, d)) {
    const std::string heading = "M " + IntToText(d) + " at class of resistance " +
                                StrengthClassNames[classCode - 1u].str() + " not applied:";
    if (!TakeThreadSize(0, d, newJoint ? SizeChange::NewJoint : SizeChange::Proposal, heading,
                        "change these in the Edit menu first, or choose another proposal"))
      return false;
  }
  ApplyStrengthClass(classCode);
  return true;
}

void PreliminaryDesign(bool newJoint) {
  // The form stores the load it asks for; a proposal cancelled or not
  // applied puts it back, so that the joint stays as it was.
  const LASTTYPE load = Last;
  const Word method = Montage.TighteningMethod;
  auto putBack = [&] {
    Last.LoadKind = load.LoadKind;
    Last.LoadCase = load.LoadCase;
    Last.FAmax = load.FAmax;
    Last.FAmin = load.FAmin;
    Last.FQ = load.FQ;
    Montage.TighteningMethod = method;
  };
  RunPreliminaryDesignForm();
  if (AbortFlag) return;
  const bool dynamic = Last.LoadKind == 2;
  int k = ForceClass(Last.LoadCase == 3 ? Last.FQ : Last.FAmax);
  if (Last.LoadCase == 3) k += 4;
  else if (Last.LoadCase == 2) k += dynamic ? 2 : 1;
  else if (Last.LoadCase == 1 && dynamic) k += 1;
  if (Montage.TighteningMethod == 1) k += 2;
  else if (Montage.TighteningMethod == 2) k += 1;
  k = IntClamp(1, 14, k);
  for (int i = 1; i <= 3; ++i)
    ItemTexts[i] = "M " + IntToTextWidth(PreliminaryDiameter(k, i), 2) + " " + "at" + " " + "class of resistance" +
                   " " + StrengthClassNames[i - 1].str();
  SetHelpNo(4060);
  Word choice = 1;
  SelectCode("Preliminary calculation done.  possible variations:", 3, choice);
  if (AbortFlag || !ApplyPreliminaryDesign(PreliminaryDiameter(k, choice), choice, newJoint)) {
    putBack();
    AbortFlag = 1;
  }
}
