// Row records of the standard-part and material tables: one global record per
// table, filled from the table's current row by its reader. Fields are in the
// order of the table's columns; "Num" fields are further numbers of a row that
// travel with it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/types.h"

struct DIN912_Record {  // hexagon socket head bolt
  Extended d = 0; std::string Standard; Extended b = 0, s = 0, k = 0, t = 0, dK = 0, dw = 0, rK = 0, r = 0;
  Extended Num11 = 0, Num12 = 0; std::string Text;
};
struct DIN931_Record {  // hexagon head bolt
  Extended d = 0; std::string Standard; Extended b = 0, s = 0, k = 0, c = 0, dw = 0, r = 0;
  Extended Num9 = 0, Num10 = 0; std::string Text;
};
struct DIN963_Record {  // slotted countersunk screw
  Extended d = 0; std::string Standard; Extended b = 0, dK = 0, k = 0, t = 0, n = 0, r = 0;
  Extended Num9 = 0, Num10 = 0; std::string Text;
};
struct DIN964_Record {  // slotted raised countersunk screw
  Extended d = 0; std::string Standard; Extended b = 0, dK = 0, k = 0, t = 0, n = 0, f = 0, r = 0;
  Extended Num10 = 0, Num11 = 0; std::string Text;
};
struct ISO10642_Record {  // hexagon socket countersunk head screw
  Extended d = 0; std::string Standard; Extended b = 0, dK = 0, k = 0, t = 0, s = 0, r = 0;
  Extended Num9 = 0, Num10 = 0; std::string Text;
};
struct Cylslot_Record {  // slotted cheese head screw
  Extended d = 0; std::string Standard; Extended b = 0, dK = 0, dw = 0, k = 0, t = 0, n = 0, lh = 0, rf = 0;
  std::int32_t NoRound = 0; Extended Num12 = 0, Num13 = 0; std::string Text;
};
struct SONDKOPF_Record {  // special head bolt
  Extended d = 0; std::string Standard; Extended b = 0, k = 0, dK = 0, dw = 0, rf = 0, di = 0, r = 0;
  Extended Num10 = 0, Num11 = 0; std::string Text;
};
struct FLANGESC_Record {  // hex flange bolt
  Extended d = 0; std::string Standard; Extended b = 0, s = 0, k = 0, c = 0, dc = 0, dw = 0, r = 0;
  Extended Num10 = 0, Num11 = 0, Num12 = 0, Num13 = 0; std::string Text;
};
struct DIN934_Record {  // hexagon nut
  Extended d = 0, m = 0, s = 0, dw = 0; std::string Standard; std::string Text;
};
using DIN6915_Record = DIN934_Record;  // heavy hex nut: the same columns
struct FLANGNUT_Record {  // hex flange nut
  Extended d = 0; std::string Standard; Extended s = 0, m = 0, c = 0, dc = 0, dw = 0;
  Extended Num8 = 0, Num9 = 0; std::string Text;
};
struct PRESSUNG_Record {  // plate and nut material
  std::string Name; std::int32_t Re = 0, Rm = 0, pG = 0; Extended Ratio1 = 0; std::int32_t E = 0;
  Extended alphaT = 0; std::string Text; Extended Ratio2 = 0;
};
struct ANZIEH_Record {  // tightening tool
  Extended alphaA = 0, Dispersion = 0; std::string Procedure, Tool, Text;
};
struct MUE_Record {  // friction coefficient
  Extended mu = 0; std::string Text2, Text3, Text4, Text5, Text6;
};
struct KLEMMSTK_Record {  // washer
  std::string Name; Extended Di = 0, De = 0, h = 0; std::string Text;
};
struct LSCHRAUB_Record {  // standard bolt length
  Extended l = 0; std::string Text2, Text3;
};

extern DIN912_Record Din912;
extern DIN931_Record Din931;
extern DIN963_Record Din963;
extern DIN964_Record Din964;
extern ISO10642_Record Iso10642;
extern Cylslot_Record Cylslot;
extern SONDKOPF_Record Sondkopf;
extern FLANGESC_Record Flangesc;
extern DIN934_Record Din934;
extern DIN6915_Record Din6915;
extern FLANGNUT_Record Flangnut;
extern PRESSUNG_Record Pressung;
extern ANZIEH_Record Anzieh;
extern MUE_Record MueG, MueK, MueTr;
extern KLEMMSTK_Record Klemmstk;
extern LSCHRAUB_Record LSchraub;

// Every row record empty.
void InitTableRows();
