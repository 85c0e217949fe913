// Guided input of the clamped parts, and the entry points to the load form
// and the eccentric-loading form.
#include "calc/calc_tables.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/input_procedures_list.h"
#include "calc/joint_records.h"
#include "calc/joint_state.h"
#include "calc/table_access.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"

namespace {

std::string PlateLine(int i) {
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  return IntToTextZeros(i, 2) + ": de=" + LengthToTextFmt(4, 1, k.De[i]) + "  di=" + LengthToTextFmt(4, 1, k.Di[i]) +
         "  l=" + LengthToTextFmt(4, 2, k.L[i]) + "  " + k.Material[i].str();
}

// Every field of a part moves with it.
void MovePlate(int from, int to) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  for (PlateValues* a : {&k.De, &k.Di, &k.L, &k.E, &k.Aers, &k.deltaP, &k.betaP, &k.pPart, &k.alphaT, &k.DAeff,
                         &k.pmax, &k.Re})
    (*a)[to] = (*a)[from];
  k.Material[to] = k.Material[from];
  k.Description[to] = k.Description[from];
  k.Codes[to] = k.Codes[from];
  k.MatTable[to] = k.MatTable[from];
}

void ModifyAllBores() {
  SetHelpNo(4510);
  Extended di = DefaultBoreDiameter(Gewinde.d);
  InputLengthInRange("New bore diameter Di", di, 0, 100000000);
  if (AbortFlag) return;
  SetAllBores(di);
}

}  // namespace

void SetAllBores(Extended di) {
  for (int i = 1; i <= Klemmstuecke.nPlates && i <= kMaxPlates; ++i) Klemmstuecke.Di[i] = di;
}

void EditClampingPieces() {
  KLEMMSTUECKTYPE saved;
  EntryListEditor e;
  e.caption = "clamping plates";
  e.enterText = "Enter new clamping piece";
  e.insertText = "Insert clamping piece";
  e.deleteText = "Delete clamping piece";
  e.generalText = "General modification of all bore diameters";
  e.spareCaption = "&Drill hole";
  e.maxCount = kMaxPlates;
  e.tooManyText = "Too many clamping pieces !";
  e.insertPrompt = "In front of which piece do you want to insert ?";
  e.deletePrompt = "select section to delete...";
  e.listHelp = 4450;
  e.insertHelp = 4460;
  e.deleteHelp = 4500;
  e.count = [] { return static_cast<int>(Klemmstuecke.nPlates > kMaxPlates ? kMaxPlates : Klemmstuecke.nPlates); };
  e.setCount = [](int n) { Klemmstuecke.nPlates = static_cast<Word>(n); };
  e.line = PlateLine;
  e.move = MovePlate;
  e.edit = RunClampedPlateForm;
  e.general = ModifyAllBores;
  e.save = [&saved] { saved = Klemmstuecke; };
  e.restore = [&saved] { Klemmstuecke = saved; };
  RunEntryListEditor(e);
}

void InputLoad() {
  if (Klemmstuecke.nPlates != 0) {
    RunLoadForm();
    return;
  }
  ShowTraceMessage("First you have to define the clamping pieces");
  AbortFlag = 1;  // refused: nothing changed
}

void InputForceIntroduction() {
  if (Klemmstuecke.nPlates == 0 || Schraube.nSections == 0) {
    ShowTraceMessage("Please enter first screw and clampng pieces !");
    AbortFlag = 1;  // refused: nothing changed
    return;
  }
  ItemTexts[1] = "centric application of force";
  ItemTexts[2] = "eccentric application of force";
  SetHelpNo(4700);
  // Cancel in the form puts the joint back as it was before the kind was chosen.
  const TJointState before;
  SelectCode("force introduction", 2, ExzKraftangriff.ExzCode);
  if (AbortFlag || ExzKraftangriff.ExzCode != 2) return;
  RunEccentricForm();
  if (AbortFlag) before.Restore();
}

bool PickTighteningTool(int mode, const std::string& caption) {
  AbortFlag = 0;
  SetDbfDialogCaptions("", caption);
  OpenCalcTable(kTighteningTable);
  if (AbortFlag) {
    AddErrorMessage("Fatal  : Database tight.tool !");
    CalcFatalFlag = 1;
    return false;
  }
  if (Montage.TighteningRow >= 1 && Montage.TighteningRow <= DbfRecordCount()) GotoDbfRecord(Montage.TighteningRow);
  SetHelpNo(9620);
  ShowDbfDialog("", mode);
  const bool accepted = !AbortFlag;
  if (accepted) {
    CopyCalcRecord(kTighteningTable);
    Montage.TighteningRow = static_cast<Word>(SelectedRecordNo);
    Montage.alphaA = Anzieh.alphaA;
    Montage.ktau = Anzieh.Dispersion;
  }
  CloseDbfTable();
  RestoreCursor();
  return accepted;
}
