// Guided input of the nut or tapped hole with its material.
#include <algorithm>

#include "calc/calc_tables.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"

namespace {

Extended NutRowD(int nutType) {
  switch (nutType) {
    case 1: return Din934.d;
    case 2: return Din6915.d;
    case 3: return Flangnut.d;
    default: return 0;
  }
}

}  // namespace

bool GoToNutRowOfThread(int nutType) {
  if (Mutter.NutRow > 0 && Mutter.NutRow <= DbfRecordCount()) {
    GotoDbfRecord(Mutter.NutRow);
    CopyCalcRecord(nutType + 10);
    if (FloatEqual(NutRowD(nutType), Gewinde.d)) return true;
  }
  FindDbfKey(ThreadKeyText(Gewinde.d));
  return DbfKeyFound();
}

NutSnapshot::NutSnapshot() : nut_(Mutter), hex_(Din934), heavy_(Din6915), flange_(Flangnut) {}

NutSnapshot::~NutSnapshot() {
  if (keep_) return;
  Mutter = nut_;
  Din934 = hex_;
  Din6915 = heavy_;
  Flangnut = flange_;
}

bool TakeNutRowOfThread(int nutType) {
  if (nutType < 1 || nutType > 3) return false;
  NutSnapshot before;
  const QuietTableLookup quiet;
  const TCalcTableNo table = nutType + 10;
  OpenCalcTable(table);
  bool found = !AbortFlag && GoToNutRowOfThread(nutType);
  if (found) {
    CopyCalcRecord(table);
    found = !AbortFlag;
    Mutter.NutRow = DbfRecNo();
  }
  CloseDbfTable();
  if (!found) return false;
  TakeNutRowValues(nutType);
  before.Keep();
  return true;
}

bool PickNutRowOfBoltSize(int nutType) {
  if (nutType < 1 || nutType > 3) return false;
  SetDbfDialogCaptions("", "Database nut");
  int mode = 1;
  if (!GoToNutRowOfThread(nutType)) {
    const std::string d = FloatToTextWidth(3, 2, Gewinde.d);
    ShowTraceMessage("nut for d = " + d + " " + "not found" + " !   " + "please append item to database" + ".");
    DbfFirst();
    SetDbfDialogCaptions("", "nut for d= " + d + " " + "enter with <Append>");
    mode = 2;  // edit mode, so that the row can be appended
  }
  AbortFlag = 0;
  if (!PickRowOfBoltSize(nutType + 10, NutKindNames[nutType].view(), mode,
                         [nutType] { return NutRowD(nutType); }))
    return false;
  Mutter.NutRow = SelectedRecordNo;
  TakeNutRowValues(nutType);
  return true;
}

void TakeNutRowValues(int nutType) {
  if (nutType < 1 || nutType > 3) return;
  const bool flange = nutType == 3;
  const DIN934_Record& hex = nutType == 1 ? Din934 : Din6915;
  Mutter.dwNut = flange ? Flangnut.dw : hex.dw;
  Mutter.m = flange ? Flangnut.m : hex.m;
  Mutter.dNut = flange ? Flangnut.d : hex.d;
}

void TakeNutMaterialRow() {
  MatMutter.Name = Pressung.Name;  // cut to 25 characters
  MatMutter.RmM = Pressung.Rm;
  MatMutter.ReM = Pressung.Re;
  MatMutter.betaM = Pressung.Ratio1;
  MatMutter.pGNut = Pressung.pG;
  MatMutter.EM = Pressung.E;
  MatMutter.betaMVdi = Pressung.Ratio2 > 0 ? Pressung.Ratio2 : Pressung.Ratio1;
}

void InputNut() {
  ItemTexts[1] = JointKindNames[1];
  ItemTexts[2] = JointKindNames[2];
  SetHelpNo(4120);
  const Word oldKind = Verbindung.JointKind;
  SelectCode("bolt-nut type", 2, Verbindung.JointKind);
  if (AbortFlag) return;
  const Extended p = Gewinde.P;
  if (Verbindung.JointKind == kJointTapped) {
    if (!InputNutMaterial()) {
      Verbindung.JointKind = oldKind;
      AbortFlag = 1;  // a table that cannot be had ends the input too
      return;
    }
    if (AbortFlag) return;
    SetHelpNo(4130);
    do {
      if (Sackloch.tg == 0) Sackloch.tg = (Schraube.l - Klemmstuecke.lK) + 2 * p;
      InputLengthInRange("thread depth (0=suggest)", Sackloch.tg, 0, 10000);
      if (AbortFlag) return;
    } while (Sackloch.tg == 0);
    SetHelpNo(4140);
    do {
      if (Sackloch.tb <= Sackloch.tg) Sackloch.tb = Sackloch.tg + std::max<Extended>(2 * p, 3);
      InputLengthInRange("bore depth (0=suggest)", Sackloch.tb, 0, 100000);
      if (AbortFlag) return;
    } while (Sackloch.tb <= Sackloch.tg);
    return;
  }

  for (int i = 1; i <= 4; ++i) ItemTexts[i] = NutKindNames[i];
  SetHelpNo(4150);
  // A nut kind of a table is taken with a row of its table.
  // Without one the joint keeps its kind and nut.
  NutSnapshot before;
  SelectCode("nut", 4, Mutter.NutType);
  const int type = Mutter.NutType;
  bool picked = !AbortFlag && (type < 1 || type > 3);
  if (!AbortFlag && !picked) {
    OpenCalcTable(type + 10);
    if (AbortFlag) {
      AddErrorMessage("Fatal  : Database nut !");
      CalcFatalFlag = 1;
    } else {
      picked = PickNutRowOfBoltSize(type);
    }
    CloseDbfTable();
  }
  if (!picked) {
    Verbindung.JointKind = oldKind;
    return;
  }
  before.Keep();
  if (type >= 1 && type <= 3) {
    SetHelpNo(4175);
    bool own = MatMutter.OwnNutMaterial != 0;
    AskYesNo("Input nut material ?", own);
    if (AbortFlag) return;
    const Byte ownBefore = MatMutter.OwnNutMaterial;
    MatMutter.OwnNutMaterial = own ? 1 : 0;
    if (own && !InputNutMaterial()) MatMutter.OwnNutMaterial = ownBefore;  // no material of its own taken
  } else if (type == 4) {
    SetHelpNo(4160);
    InputLengthInRange("min.head seat of the nut", Mutter.dwNut, 0.1L, 100000);
    if (AbortFlag) return;
    SetHelpNo(4170);
    InputLengthInRange("height of nut", Mutter.m, 0.1L, 100000);
    if (AbortFlag) return;
    InputNutMaterial();
  }
}

bool PickNutMaterial(int table) {
  SetDbfDialogCaptions("", "Database material nut");
  OpenCalcTable(table == 1 ? kPlateMaterialTable1 : kPlateMaterialTable);
  if (AbortFlag) return false;
  if (Sackloch.NutMatRow >= 1 && Sackloch.NutMatRow <= DbfRecordCount()) GotoDbfRecord(Sackloch.NutMatRow);
  ShowDbfDialog("", 1);
  const bool picked = !AbortFlag;
  if (picked) {
    ReadPressungRecord();
    Sackloch.NutMatRow = static_cast<Word>(SelectedRecordNo);
    Sackloch.MatTable = static_cast<Word>(table);
    TakeNutMaterialRow();
  }
  CloseDbfTable();
  return picked && !AbortFlag;
}

bool InputNutMaterial() {
  ItemTexts[1] = "0 (pressung.dbf)";
  ItemTexts[2] = "1 (mat_p_1.dbf)";
  Word choice = static_cast<Word>(Sackloch.MatTable == 1 ? 2 : 1);
  SelectCode("Database", 2, choice);
  if (AbortFlag || !PickNutMaterial(choice - 1)) return false;
  for (int i = 1; i <= 6; ++i) ItemTexts[i] = "allowance class " + NutAllowanceClasses[i - 1].str();
  SetHelpNo(5110);
  SelectCode("allowance class", 6, Mutter.NutToleranceClass);
  return true;
}
