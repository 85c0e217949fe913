#include "calc/table_rows.h"

DIN912_Record Din912;
DIN931_Record Din931;
DIN963_Record Din963;
DIN964_Record Din964;
ISO10642_Record Iso10642;
Cylslot_Record Cylslot;
SONDKOPF_Record Sondkopf;
FLANGESC_Record Flangesc;
DIN934_Record Din934;
DIN6915_Record Din6915;
FLANGNUT_Record Flangnut;
PRESSUNG_Record Pressung;
ANZIEH_Record Anzieh;
MUE_Record MueG, MueK, MueTr;
KLEMMSTK_Record Klemmstk;
LSCHRAUB_Record LSchraub;

void InitTableRows() {
  Din912 = {}; Din931 = {}; Din963 = {}; Din964 = {}; Iso10642 = {}; Cylslot = {}; Sondkopf = {};
  Flangesc = {}; Din934 = {}; Din6915 = {}; Flangnut = {}; Pressung = {}; Anzieh = {};
  MueG = {}; MueK = {}; MueTr = {}; Klemmstk = {}; LSchraub = {};
}
