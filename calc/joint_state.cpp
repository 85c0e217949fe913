#include "calc/joint_state.h"

void TJointState::Restore() const {
  RestoreRecords();
  Din912 = din912;
  Din931 = din931;
  Din963 = din963;
  Din964 = din964;
  Iso10642 = iso10642;
  Cylslot = cylslot;
  Sondkopf = sondkopf;
  Flangesc = flangesc;
  Din934 = din934;
  Din6915 = din6915;
  Flangnut = flangnut;
  Pressung = pressung;
  Anzieh = anzieh;
  MueG = mueG;
  MueK = mueK;
  MueTr = mueTr;
  Klemmstk = klemmstk;
  LSchraub = lschraub;
}

void TJointState::RestoreRecords() const {
  Schraube = schraube;
  Gewinde = gewinde;
  Klemmstuecke = klemm;
  Last = last;
  Verbindung = verbindung;
  Sackloch = sackloch;
  Reibung = reibung;
  Montage = montage;
  Mutter = mutter;
  CalcOptions = options;
  CalcAux = calcAux;
  ExzKraftangriff = exz;
  Flansch = flansch;
  MatBolt = matBolt;
  MatMutter = matMutter;
  Temperatur = temperatur;
  Stress = stress;
  VdiEngage = vdiEngage;
  Safety = safety;
  MEngaged = mEngaged;
  MGeo = mGeo;
  Fase = fase;
  TighteningUsed = tighteningUsed;
}
