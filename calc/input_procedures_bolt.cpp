// Guided input of the bolt: type, thread, head, lengths, sections and material.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>
#include <vector>

#include "calc/calc_tables.h"
#include "calc/design_defaults.h"
#include "calc/designation.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/input_procedures_list.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "framework/calc_messages.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"

namespace {

bool ValidHeadType(int t) { return t >= 1 && t <= 8; }

void FillItems(std::initializer_list<const char*> texts) {
  int i = 0;
  for (const char* t : texts) ItemTexts[++i] = t;
}

// Goes to a remembered row when the table has it.
bool GoToRow(std::int32_t row) {
  if (row < 1 || row > DbfRecordCount()) return false;
  GotoDbfRecord(row);
  return true;
}

// Thread length b of the current head row record.
Extended HeadRowB(int headType) {
  switch (headType) {
    case 1: return Din912.b;
    case 2: return Din931.b;
    case 3: return Din963.b;
    case 4: return Din964.b;
    case 5: return Iso10642.b;
    case 6: return Cylslot.b;
    case 7: return Sondkopf.b;
    case 8: return Flangesc.b;
    default: return 0;
  }
}

void AskThreadDiameter(Word help, const char* prompt, Extended& value, Extended proposal) {
  SetHelpNo(help);
  do {
    if (value == 0) value = proposal;
    InputFloatInRange(prompt, value, 0, Gewinde.d);
    if (AbortFlag) return;
  } while (value == 0);
}

std::string SectionLine(int i) {
  const std::string unit = " " + LengthUnitText();
  return IntToTextZeros(i, 2) + ":  De=" + LengthToTextFmt(3, 2, Schraube.dSec[i]) + unit +
         "     Di=" + LengthToTextFmt(3, 1, Schraube.diSec[i]) + unit + "     L=" +
         LengthToTextFmt(4, 1, Schraube.lSec[i]) + unit;
}

std::string DiameterText(Extended mm) { return LengthToTextDigits(3, mm) + " " + LengthUnitText(); }

}  // namespace

// Basic-profile diameters of a thread from d and P.
Extended ProposedPitchDiameter() { return Gewinde.d - 0.649519L * Gewinde.P; }
Extended ProposedMinorDiameter() { return Gewinde.d - 1.22687L * Gewinde.P; }
Extended ProposedMinMajorDiameter() {
  const Extended p = Gewinde.P;
  if (p <= 0) return Gewinde.d;  // no pitch: nothing to take off
  return Gewinde.d - 0.18L * SafePower("told", p, 2.0L / 3) - 0.00315L / std::sqrt(p);
}

void TakeHeadRowValues() {
  switch (Schraube.HeadType) {
    case 1: Schraube.dw = Din912.dw; Schraube.dK = Din912.dK; break;
    case 2: Schraube.dw = Din931.dw; Schraube.dK = Din931.s; break;
    case 3: Schraube.dw = Din963.dK; Schraube.dK = Schraube.dw; break;
    case 4: Schraube.dw = Din964.dK; Schraube.dK = Schraube.dw; break;
    case 5: Schraube.dw = Iso10642.dK; Schraube.dK = Schraube.dw; break;
    case 6: Schraube.dw = Cylslot.dw; Schraube.dK = Cylslot.dK; break;
    case 7: Schraube.dw = Sondkopf.dw; Schraube.dK = Sondkopf.dK; break;
    case 8: Schraube.dw = Flangesc.dw; Schraube.dK = Flangesc.dc; break;
    default: break;
  }
}

void InputBoltType() {
  FillItems({"shank bolt", "necked-down bolt de1=0.9*d3", "self-defined bolt",
             "necked-down bolt de1=d, l1=0.5*d, de2=d2", "necked-down bolt de1=d2"});
  SetHelpNo(4350);
  SelectCode("select type of bolt", 4, Schraube.BoltType);
  if (AbortFlag) return;
  if (Schraube.BoltType == 3) InputSelfDefinedBolt();
  else InputStandardBolt();
}

void InputStandardBolt() {
  for (void (*step)() : {InputThreadData, InputScrewHead, InputBoltLength, InputThreadLength}) {
    if (AbortFlag) return;
    step();
  }
  if (AbortFlag) return;
  FindCalcRecord(kThreadTable);
  if (AbortFlag) return;
  BuildBoltSections();
  InputBoltMaterial();
}

void InputSelfDefinedBolt() {
  for (void (*step)() : {EditBoltSections, InputThreadData, InputScrewHead, InputThreadLength, InputBoltMaterial}) {
    if (AbortFlag) return;
    step();
  }
}

void InputThreadData() {
  AbortFlag = 0;
  if (!PickBoltThread(1, "Database thread")) return;

  FillItems({"input d2, d3, dmin", "allowance class 6h", "allowance class 4h", "allowance class 6g",
             "allowance class 4g", "allowance class 6e", "allowance class 4e"});
  SetHelpNo(5110);
  SelectCode("allowance class", 7, Schraube.ToleranceClass);
  if (AbortFlag || Schraube.ToleranceClass != 1) return;
  AskThreadDiameter(5120, "pitch diameter d2 [mm]  (0=suggest)", Schraube.d2, ProposedPitchDiameter());
  if (AbortFlag) return;
  AskThreadDiameter(5130, "minor diameter d3 [mm]  (0=suggest)", Schraube.d3, ProposedMinorDiameter());
  if (AbortFlag) return;
  AskThreadDiameter(5140, "major diameter dmin [mm]  (0=suggest)", Schraube.dmin, ProposedMinMajorDiameter());
}

namespace {

// After a thread of another size: pitch, minor and major diameter entered
// for the old size give way to those of the new thread; a self-defined
// bolt keeps the sections the user entered. The user is told either.
void TakeEnteredValuesToNewSize(Extended oldD) {
  SCHRAUBTYPE& s = Schraube;
  std::string text;
  if (s.ToleranceClass == 1) {
    s.d2 = ProposedPitchDiameter();
    s.d3 = ProposedMinorDiameter();
    s.dmin = ProposedMinMajorDiameter();
    text += "\nd2, d3 and dmin entered for d = " + DiameterText(oldD) + " are now those of " +
            Gewinde.Designation + ": d2 = " + DiameterText(s.d2) + ", d3 = " + DiameterText(s.d3) +
            ", dmin = " + DiameterText(s.dmin);
  }
  const int n = std::min<int>(s.nSections, kMaxBoltSections);
  if (s.BoltType == 3 && n >= 1 && !FloatEqual(s.dSec[n], Gewinde.d))
    text += "\nthe self-defined bolt keeps its sections, its threaded end of De = " + DiameterText(s.dSec[n]) +
            ": edit them for d = " + DiameterText(Gewinde.d) + " with the bolt";
  if (!text.empty()) ShowMessageText(Gewinde.Designation + " taken:" + text);
}

}  // namespace

bool PickBoltThread(int mode, const std::string& caption) {
  AbortFlag = 0;
  CalcFatalFlag = 0;
  if (!OpenTextForRead(AddBackslash(DbfDir) + "gewinde.dbf")) {
    CalcFatalFlag = 1;
    AbortFlag = 1;
    return false;
  }
  SetDbfDialogCaptions("", caption);
  OpenCalcTable(kThreadTable);
  if (AbortFlag) {
    CalcFatalFlag = 1;
    return false;
  }
  GoToRow(Schraube.ThreadRow);
  SetHelpNo(9510);
  ShowDbfDialog("", mode);
  const bool accepted = !AbortFlag;
  const std::int32_t row = SelectedRecordNo;
  // The picked row is read aside: the joint's thread changes only with the
  // rest of its size.
  GEWINDE_Record picked = Gewinde;
  if (accepted) {
    std::swap(picked, Gewinde);
    ReadGewindeRecord();
    std::swap(picked, Gewinde);
  }
  CloseDbfTable();
  RestoreCursor();
  if (!accepted) return false;
  const Extended oldD = Gewinde.d;
  if (!TakeThreadSize(row, picked.d, SizeChange::ThreadPick, picked.Designation + " not taken:",
                      "the bolt keeps " + Gewinde.Designation))
    return false;
  if (!FloatEqual(oldD, Gewinde.d)) TakeEnteredValuesToNewSize(oldD);
  return true;
}

void InputScrewHead() {
  for (int i = 1; i <= 8; ++i) ItemTexts[i] = HeadKindNames[i];
  SetHelpNo(4180);
  // A head kind is taken with a row of its table: without one the head stays.
  const Word oldType = Schraube.HeadType, oldRow = Schraube.HeadRow;
  SelectCode("screw head", 8, Schraube.HeadType);
  if (AbortFlag || !ValidHeadType(Schraube.HeadType)) return;
  const int type = Schraube.HeadType;
  const TCalcTableNo table = type + 1;
  RowRecordKeeper record(table);
  auto keepOldHead = [&] {
    Schraube.HeadType = oldType;
    Schraube.HeadRow = oldRow;
  };
  const std::string key = ThreadKeyText(Gewinde.d);
  int mode = 1;
  if (type == 7) SetDbfDialogCaptions("", "select self-defined head");
  OpenCalcTable(table);
  if (AbortFlag) {
    AddErrorMessage("Fatal  : Database screw head");
    CalcFatalFlag = 1;
    keepOldHead();
    return;
  }
  if (type == 7) {
    if (!GoToRow(Schraube.HeadRow)) {
      FindDbfKey(key);
      if (!DbfKeyFound()) DbfFirst();
    }
    SetHelpNo(9580);
  } else {
    FindDbfKey(key);
    if (!DbfKeyFound()) {
      AddErrorMessage("Fatal  : Database screw head");
      ShowTraceMessage("Database: Append d= " + FloatToTextFix(2, Gewinde.d));
      Schraube.HeadRow = 0;
      // Opened where the bolt's size would stand, in edit mode, so that its row can be appended.
      FindDbfNear(key);
      SetDbfDialogCaptions("", std::string(HeadKindNames[type].view()) + " for d= " + FloatToTextFix(2, Gewinde.d) +
                                   " enter with <Append>");
      mode = 2;
    } else {
      SetDbfDialogCaptions("", HeadKindNames[type].view());
      if (GoToRow(Schraube.HeadRow)) {
        CopyCalcRecord(table);
        if (!FloatEqual(HeadRowNominalDiameter(), Gewinde.d)) FindDbfKey(key);
      }
    }
  }
  if (!PickHeadRowOfBoltSize(type, mode)) {
    CloseDbfTable();
    keepOldHead();
    return;
  }
  record.Keep();
  Schraube.HeadRow = static_cast<Word>(SelectedRecordNo);
  CloseDbfTable();
  TakeHeadRowValues();
  if (Schraube.dK == 0 || Schraube.dw == 0) {
    SetHelpNo(4190);
    InputLengthInRange("diameter of the screw head", Schraube.dK, 0.1L, 100000);
    if (AbortFlag) return;
    SetHelpNo(4195);
    InputLengthInRange("min head seat diameter of the screw head", Schraube.dw, 0.1L, 100000);
  }
}

bool PickHeadRowOfBoltSize(int headType, int mode) {
  // Every row of the special head fits: its d is the user's own.
  return PickRowOfBoltSize(headType + 1, HeadKindNames[headType].view(), mode,
                           headType == 7 ? std::function<Extended()>() : HeadRowNominalDiameter);
}

bool PickRowOfBoltSize(int table, std::string_view kindName, int mode,
                       const std::function<Extended()>& rowDiameter) {
  for (;;) {
    ShowDbfDialog("", mode);
    if (AbortFlag) return false;
    CopyCalcRecord(table);
    if (!rowDiameter || FloatEqual(rowDiameter(), Gewinde.d)) return true;
    // A part of another size would end the calculation: the row is refused.
    const std::string d = FloatToTextFix(2, Gewinde.d);
    ShowError(std::string(kindName) + ": the row of d = " + FloatToTextFix(2, rowDiameter()) +
              " is for another size than the bolt's d = " + d + "; choose or append a row of d = " + d + ".");
    FindDbfNear(ThreadKeyText(Gewinde.d));
  }
}

void InputBoltLength() {
  const Extended proposal = 1.5L * Gewinde.d + Klemmstuecke.lK;
  do {
    if (Schraube.l == 0) {
      Schraube.l = SelectBoltLength(proposal);
      AbortFlag = 0;  // a cancelled pick is no abort
      if (Schraube.l == 0) Schraube.l = proposal;
    }
    SetHelpNo(4210);
    InputLengthInRange(Klemmstuecke.nPlates > 0 ? "bolt length up to head (0=suggest)"
                                                : "bolt length up to head (0=Database)",
                       Schraube.l, 0, 100000);
    if (AbortFlag) return;
  } while (Schraube.l == 0);
}

Extended SelectBoltLength(Extended proposal) {
  SetDbfDialogCaptions("", "select screw length form database");
  OpenCalcTable(kLengthTable);
  if (AbortFlag) return 0;
  FindDbfNear(FloatToTextWidth(3, 1, proposal));
  ShowDbfDialog("", 1);
  const bool cancelled = AbortFlag != 0;
  CopyCalcRecord(kLengthTable);
  CloseDbfTable();
  RestoreCursor();
  return cancelled ? 0 : LSchraub.l;
}

void InputThreadLength() {
  if (Schraube.BoltType == 1) {  // a shank bolt takes the standard length without asking
    Schraube.b = StandardThreadLength();
    return;
  }
  do {
    if (Schraube.b == 0) Schraube.b = StandardThreadLength();
    if (AbortFlag) return;
    SetHelpNo(4220);
    InputLengthInRange("thread length (0 = DIN)", Schraube.b, 0, 100000);
    if (AbortFlag) return;
  } while (Schraube.b == 0);
}

Extended StandardThreadLength() {
  const Extended d = Gewinde.d, p = Gewinde.P, l = Schraube.l;
  Extended b = 0;
  bool found = false;
  const int type = Schraube.HeadType;
  if (ValidHeadType(type)) {
    OpenCalcTable(type + 1);
    if (AbortFlag) {
      AddErrorMessage("Fatal  : Database screw head !");
      CalcFatalFlag = 1;
      return 0;
    }
    if (Schraube.HeadRow > 0 && GoToRow(Schraube.HeadRow)) {
      found = true;
    } else {
      FindDbfKey(ThreadKeyText(d));
      found = DbfKeyFound();
    }
    CopyCalcRecord(type + 1);
    CloseDbfTable();
    b = HeadRowB(type);
  }
  if (!found) b = 2.5L * d;
  if (b >= 2 * p && b > l - 2 * p) return l - 2 * p;
  return b;
}

void BuildBoltSections() {
  const Extended d = Gewinde.d, p = Gewinde.P, l = Schraube.l, b = Schraube.b;
  SCHRAUBTYPE& s = Schraube;
  auto set = [&s](int n, std::initializer_list<std::pair<Extended, Extended>> sections) {
    int i = 0;
    for (auto [de, len] : sections) {
      ++i;
      s.dSec[i] = de;
      s.lSec[i] = len;
    }
    s.nSections = static_cast<Word>(n);
    for (auto& di : s.diSec) di = 0;
  };
  switch (s.BoltType) {
    case 1: set(1, {{d, l}}); break;
    case 2: set(2, {{0.9L * (d - 1.22687L * p), l - b}, {d, b}}); break;
    case 4: {
      const Extended d2 = d - 0.649519L * p, l1 = 0.5L * d;
      set(3, {{d, l1}, {d2, l - b - l1}, {d, b}});
      break;
    }
    case 5: set(2, {{d - 0.649519L * p, l - b}, {d, b}}); break;
    default: break;  // self-defined: the user's sections stay
  }
}

void EditBoltSections() {
  SectionValues savedL{}, savedD{}, savedDi{};
  Word savedCount = 0;
  EntryListEditor e;
  e.caption = "section self-defined bolt";
  e.enterText = "enter new section";
  e.insertText = "insert new section";
  e.deleteText = "delete section";
  e.maxCount = kMaxBoltSections;
  e.tooManyText = "bolt too complex !";
  e.insertPrompt = "Where do you want to insert ?";
  e.deletePrompt = "select section to delete ...";
  e.insertHelp = 4260;
  e.count = [] { return static_cast<int>(Schraube.nSections > kMaxBoltSections ? kMaxBoltSections : Schraube.nSections); };
  e.setCount = [](int n) { Schraube.nSections = static_cast<Word>(n); };
  e.line = SectionLine;
  e.move = [](int from, int to) {
    Schraube.lSec[to] = Schraube.lSec[from];
    Schraube.dSec[to] = Schraube.dSec[from];
    Schraube.diSec[to] = Schraube.diSec[from];
  };
  e.edit = RunBoltSectionForm;
  e.save = [&] {
    savedL = Schraube.lSec;
    savedD = Schraube.dSec;
    savedDi = Schraube.diSec;
    savedCount = Schraube.nSections;
  };
  e.restore = [&] {
    Schraube.lSec = savedL;
    Schraube.dSec = savedD;
    Schraube.diSec = savedDi;
    Schraube.nSections = savedCount;
  };
  RunEntryListEditor(e);
}

std::vector<std::string> EnduranceChoiceTexts() {
  if (CalcOptions.VdiEdition == 2)
    return {"RTBHT Sig.ASV=0.85*(150/d+45) N/mm\xFD (VDI 2230:2003)",
            "RTAHT Sig.ASG=Sig.ASV*(2*FSm/F0.2) N/mm\xFD (VDI 2230:2003)", "Database", "Input"};
  return {"RTBHT Sig.ASV=0.75*(180/d+52) N/mm\xFD (VDI 2230:1986)",
          "RTAHT Sig.ASG=0.75*(180/d+52)*(2-FV/F0.2) N/mm\xFD", "Database", "Input"};
}

void InputBoltMaterial() {
  if (Schraube.MatBoltRow == 0 && Schraube.StrengthClassCode > 0)
    Schraube.MatBoltRow = static_cast<Word>(StrengthClassIndex(Schraube.StrengthClassCode, Gewinde.d));
  SetDbfDialogCaptions("", CalcTableCaption(kBoltMaterialTable));
  OpenCalcTable(kBoltMaterialTable);
  if (AbortFlag) {
    AddErrorMessage("Fatal  : Database MAT_BOLT");
    return;
  }
  GoToRow(Schraube.MatBoltRow);
  ShowDbfDialog("", 1);
  if (!AbortFlag) {
    CopyCalcRecord(kBoltMaterialTable);
    Schraube.MatBoltRow = static_cast<Word>(SelectedRecordNo);
  }
  CloseDbfTable();
  if (AbortFlag) return;

  const std::vector<std::string> choices = EnduranceChoiceTexts();
  for (std::size_t i = 0; i < choices.size(); ++i) ItemTexts[i + 1] = choices[i];
  SetHelpNo(5050);
  SelectCode("endurance strength", 4, Last.EnduranceChoice);
  if (AbortFlag) return;
  if (Last.EnduranceChoice == 3) {
    ShowBoltSigmaATable(1, Last.MatSaRow);
    if (!AbortFlag) Last.MatSaRow = static_cast<Word>(SelectedRecordNo);
  } else if (Last.EnduranceChoice == 4) {
    SetHelpNo(5060);
    InputStressInRange("endurance strength thread (d=" + FloatToText(Gewinde.d) + ") Sig.a.zul", Last.sigmaASV, 1,
                       10000);
  }
}
