#include "calc/input_listing.h"

#include <cerrno>

#include "calc/designation.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"

namespace {

std::string V(Extended x) { return FloatToText(x); }
std::string W4(Extended x) { return FormatFloatText(4, 1, x); }

template <typename Table>
std::string TableText(const Table& table, std::size_t i) {
  return i < table.size() ? table[i].str() : std::string();
}

// The load enters at a plate, or at the head (in) or the nut thread (out),
// which the model counts as position nPlates + 1.
void LoadIntroLine(Word pos, const std::string& dir, const std::string& end, const std::string& factor,
                   Extended n) {
  if (pos == Klemmstuecke.nPlates + 1)
    OutputLine("introd.of load (" + dir + "): " + end);
  else
    OutputLine("introd.of load (" + dir + "): to clamping plate " + IntToText(pos) + " (" + factor + " = " + V(n) +
               ")");
}

void Body() {
  const SCHRAUBTYPE& s = Schraube;
  OutputLine("");
  for (const auto& h : HeaderLines) OutputLine(h.view());
  OutputLine(" ");
  if (s.BoltType == 1 || s.BoltType == 2) {
    OutputLine("BOLT:  " + PlainBoltDesignation());
  } else {
    OutputLine("SPECIAL BOLT:  " + PlainBoltDesignation());
    OutputLine(" i   de [mm]   di [mm]   l [mm] ");
    const int n = s.nSections <= kMaxBoltSections ? s.nSections : kMaxBoltSections;
    for (int i = 1; i <= n; ++i)
      OutputLine(IntToTextWidth(i, 2) + "  " + W4(s.dSec[i]) + "    " + W4(s.diSec[i]) + "    " + W4(s.lSec[i]));
  }

  OutputLine("");
  OutputLine("CLAMPED PLATES");
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  if (k.nPlates == 0) {
    OutputLine("- no data ! -");
  } else {
    OutputLine(" i   de [mm]   di [mm]   l [mm]  x [mm]");
    Extended x = 0;
    const int n = k.nPlates <= kMaxPlates ? k.nPlates : kMaxPlates;
    for (int i = 1; i <= n; ++i) {
      x += k.L[i];
      OutputLine(IntToTextWidth(i, 2) + "   " + W4(k.De[i]) + "    " + W4(k.Di[i]) + "    " + W4(k.L[i]) + "  " +
                 W4(x));
    }
  }

  OutputLine("");
  OutputLine("BOLTED JOINT: " + TableText(JointKindNames, Verbindung.JointKind));
  if (Verbindung.JointKind == kJointTapped)
    OutputLine("tG = " + V(Sackloch.tg) + "  t = " + V(Sackloch.tb));
  else if (Verbindung.JointKind == kJointWithNut)
    OutputLine("NUT: " + TableText(NutKindNames, Mutter.NutType));

  const LASTTYPE& l = Last;
  OutputLine("");
  OutputLine("LOAD");
  OutputLine("FA max = " + V(l.FAmax) + "  FA min = " + V(l.FAmin) + "  FA pre = " + V(l.FApre));
  OutputLine("FQ = " + V(l.FQ) + "   FK" + "req" + " = " + V(l.FKreq));

  OutputLine("");
  OutputLine("DISTRIBUTION OF LOAD");
  LoadIntroLine(l.LoadIntroPos1, "in", "at bolt head", "n1", l.n1);
  LoadIntroLine(l.LoadIntroPos2, "out", "at nut thread", "n2", l.n2);

  OutputLine("");
  OutputLine("FRICTION");
  OutputLine("\xE6G = " + V(Reibung.muGmin) + "  \xE6K = " + V(Reibung.muKmin) + "  \xE6Tr = " + V(Reibung.muTr));

  OutputLine("");
  OutputLine("ASSEMBLY");
  const std::string procedure = TrimRightText(Anzieh.Procedure);
  if (!procedure.empty()) OutputLine("tightening procedure: " + procedure);
  if (Montage.GivenQuantity == 1) OutputLine("nue Re = " + V(Montage.nu));
  if (Montage.GivenQuantity == 2) OutputLine("MA = " + V(l.MA));

  const EXZTYPE& e = ExzKraftangriff;
  if (e.ExzCode != 1) {
    OutputLine("");
    OutputLine("ECCENTRIC APPLICATION OF LOAD");
    OutputLine("a = " + V(e.a) + " s = " + V(e.s) + " u = " + V(e.u) + "v = " + V(e.v));
    OutputLine("AD = " + V(e.AD) + "  IBT = " + V(e.IBT) + "  IB" + "equ" + " = " + V(e.IBers) + "  I'B" + "equ" +
               " = " + V(e.IBersPrime));
    OutputLine("seam for bending body calculation: between clamping plate " + IntToText(e.SeamPart) + " and " +
               IntToText(e.SeamPart + 1));
  }
}

}  // namespace

void WriteInputListing(TOutputDevice device) {
  OpenOutput(device, "");
  if (AbortFlag) return;
  SetPageHeader("", "", "", "", "", 0);
  if (!TextFileVar.Rewrite(platform::ReplaceSync::Derived)) {
    ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + OutputFileName);
    AbortFlag = 1;
    return;
  }
  Body();
  OutputPageCheck();
  CloseOutput();
  RestoreCursor();
}
