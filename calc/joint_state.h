// A copy of the whole joint: every joint record with its results and the
// table rows its inputs came from. An input form takes one when it opens and
// puts it back on Cancel; a failed project load puts back the joint it
// replaced.
#pragma once

#include "calc/joint_records.h"
#include "calc/table_rows.h"

struct TJointState {
  SCHRAUBTYPE schraube = Schraube;
  GEWINDE_Record gewinde = Gewinde;
  KLEMMSTUECKTYPE klemm = Klemmstuecke;
  LASTTYPE last = Last;
  VERBINDUNGTYPE verbindung = Verbindung;
  SACKLOCHTYPE sackloch = Sackloch;
  REIBUNGTYPE reibung = Reibung;
  MONTAGETYPE montage = Montage;
  MUTTERTYPE mutter = Mutter;
  CALCOPTIONSTYPE options = CalcOptions;
  CALCAUXTYPE calcAux = CalcAux;
  EXZTYPE exz = ExzKraftangriff;
  FLANSCHTYPE flansch = Flansch;
  MAT_BOLT_Record matBolt = MatBolt;
  MUTTERMATTYPE matMutter = MatMutter;
  TEMPERATURTYPE temperatur = Temperatur;
  STRESSTYPE stress = Stress;
  VDIENGAGETYPE vdiEngage = VdiEngage;
  SAFETYTYPE safety = Safety;
  Extended mEngaged = MEngaged, mGeo = MGeo, fase = Fase;
  TIGHTENINGUSEDTYPE tighteningUsed = TighteningUsed;
  DIN912_Record din912 = Din912;
  DIN931_Record din931 = Din931;
  DIN963_Record din963 = Din963;
  DIN964_Record din964 = Din964;
  ISO10642_Record iso10642 = Iso10642;
  Cylslot_Record cylslot = Cylslot;
  SONDKOPF_Record sondkopf = Sondkopf;
  FLANGESC_Record flangesc = Flangesc;
  DIN934_Record din934 = Din934;
  DIN6915_Record din6915 = Din6915;
  FLANGNUT_Record flangnut = Flangnut;
  PRESSUNG_Record pressung = Pressung;
  ANZIEH_Record anzieh = Anzieh;
  MUE_Record mueG = MueG, mueK = MueK, mueTr = MueTr;
  KLEMMSTK_Record klemmstk = Klemmstk;
  LSCHRAUB_Record lschraub = LSchraub;

  void Restore() const;         // records, results and table rows
  void RestoreRecords() const;  // records and results only
};
