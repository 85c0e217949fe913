#include "framework/graph_replay.h"

#include <cmath>
#include <numbers>

#include "framework/globals.h"

namespace {

constexpr Extended kDegToRad = std::numbers::pi_v<long double> / 180;
const TColorRef kBlack = MakeColorRef(0, 0, 0);

// One canvas with its transform and the font colour the replay tracks.
struct Target {
  TGraphCanvas* canvas;
  bool printer;
  const TPrinterPage* page;
  TColorRef fontColour = MakeColorRef(0, 0, 0);

  int X(Extended x) const { return printer ? PrX(*page, x) : PX(x); }
  int Y(Extended y) const { return printer ? PrY(*page, y) : PY(y); }
  int W(Extended w) const { return printer ? PrLX(*page, w) : LX(w); }
  int H(Extended h) const { return printer ? PrLY(*page, h) : LY(h); }
};

TGraphFont MakeFont(const Target& t, Extended height, Extended width, Extended angle) {
  TGraphFont f;
  f.face = GraphicsTextFont.str();
  f.height = t.H(height);
  f.width = t.W(width);
  f.escapement = NInt(angle * 10);
  if (GraphicsTextStyle >= 1 && GraphicsTextStyle <= 15) {
    f.weight = GraphicsTextStyle & 1 ? 700 : 100;
    f.italic = GraphicsTextStyle & 2;
    f.underline = GraphicsTextStyle & 4;
    f.strikeOut = GraphicsTextStyle & 8;
  }
  return f;
}

// Colour of a text in the current colour c.
void TextColour(Target& t, long c) {
  TColorRef background = static_cast<TColorRef>(BackgroundColour);
  if (c == 0)
    t.fontColour = background;
  else if (!ColorGraphics || (t.printer && WindowsPrintMode == 1))
    t.fontColour = kBlack;
  else if (c >= 1 && c <= 15)
    t.fontColour = PaletteColour(static_cast<int>(c));
}

void SetColour(Target& t, long c) {
  TColorRef background = static_cast<TColorRef>(BackgroundColour);
  if (c == 0) {
    t.canvas->SetPenColour(background);
    t.canvas->SetBrushColour(background);
    t.fontColour = background;
  } else if (c >= 1 && c <= 16) {
    bool colour = t.printer ? WindowsPrintMode == 2 : ColorGraphics != 0;
    TColorRef p = PaletteColour(static_cast<int>(c));
    t.canvas->SetPenColour(colour ? p : kBlack);
    t.canvas->SetBrushColour(colour ? p : background);
    t.fontColour = colour ? p : kBlack;
  }
}

}  // namespace

bool ReplayDisplayList(const TDisplayList& list, std::size_t count, TGraphCanvas* window,
                       TGraphCanvas* printer, const TPrinterPage& page) {
  Target targets[2] = {{window, false, &page}, {PrintingGraphics ? printer : nullptr, true, &page}};
  Target& win = targets[0];
  Target& prn = targets[1];
  Extended textHeight = 3.5L, textWidth = 3.5L, textAngle = 0;
  long colour = 1;
  for (Target& t : targets)
    if (t.canvas) t.canvas->SetPenWidth(1);

  if (PrintBorder && prn.canvas) {
    if (ColorGraphics) prn.canvas->SetPenColour(PaletteColour(11));
    prn.canvas->MoveTo(prn.X(WorldXMin), prn.Y(WorldYMin));
    prn.canvas->LineTo(prn.X(WorldXMin), prn.Y(WorldYMax));
    prn.canvas->LineTo(prn.X(WorldXMax), prn.Y(WorldYMax));
    prn.canvas->LineTo(prn.X(WorldXMax), prn.Y(WorldYMin));
    prn.canvas->LineTo(prn.X(WorldXMin), prn.Y(WorldYMin));
  }

  if (count > list.size()) count = list.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TGraphRecord* rp = list.Record(i);
    if (!rp) continue;
    const TGraphRecord& r = *rp;
    const Extended* v = r.v;
    switch (r.code) {
      case gcSetWindow: {
        ViewX1 = NInt(v[0]);
        ViewY1 = NInt(v[1]);
        ViewX2 = NInt(v[2]);
        ViewY2 = NInt(v[3]);
        WorldXMin = v[4];
        WorldYMin = v[5];
        WorldXMax = v[6];
        WorldYMax = v[7];
        if (WorldXMin == WorldXMax || WorldYMin == WorldYMax) {
          AbortFlag = 1;
          return false;
        }
        SetScale(ZoomX1, ZoomY1, ZoomX2, ZoomY2);
        continue;
      }
      case gcSetColor:
        colour = r.n;
        for (Target& t : targets)
          if (t.canvas) SetColour(t, r.n);
        continue;
      case gcSetTextStyle:
        textHeight = v[0] * 1.6L * TextHeightFactor;
        textWidth = v[1] * 1.1L * GraphicsTextSize;
        textAngle = v[2];
        continue;
      case gcOutTextXY: {
        Target& t = prn.canvas ? prn : win;
        if (!t.canvas) continue;
        TextColour(t, colour);
        Extended h = textHeight, a = textAngle * kDegToRad;
        Extended x = textAngle == 0 ? v[0] : v[0] - std::sin(a) * h * 0.7L;
        Extended y = textAngle == 0 ? v[1] + 0.75L * h : v[1] + std::cos(a) * h * 0.75L;
        t.canvas->Text(t.X(x), t.Y(y), r.text, MakeFont(t, textHeight, textWidth, textAngle),
                       t.fontColour);
        continue;
      }
      default: break;
    }
    for (Target& t : targets) {
      TGraphCanvas* c = t.canvas;
      if (!c) continue;
      switch (r.code) {
        case gcMoveTo: c->MoveTo(t.X(v[0]), t.Y(v[1])); break;
        case gcLineTo: c->LineTo(t.X(v[0]), t.Y(v[1])); break;
        case gcCircle:
          c->Ellipse(t.X(v[0] - v[2]), t.Y(v[1] - v[2]), t.X(v[0] + v[2]), t.Y(v[1] + v[2]));
          break;
        case gcLine:
          c->MoveTo(t.X(v[0]), t.Y(v[1]));
          c->LineTo(t.X(v[2]), t.Y(v[3]));
          break;
        case gcArc:
          c->Arc(t.X(v[0]), t.Y(v[1]), t.X(v[2]), t.Y(v[3]), t.X(v[4]), t.Y(v[5]), t.X(v[6]),
                 t.Y(v[7]));
          break;
        case gcSolid: {
          if (!ColorGraphics) c->SetBrushColour(kBlack);
          int xy[8];
          for (int k = 0; k < 4; ++k) {
            xy[2 * k] = t.X(v[2 * k]);
            xy[2 * k + 1] = t.Y(v[2 * k + 1]);
          }
          c->Polygon(xy);
          break;
        }
        case gcSetLineStyle:
          c->SetPenStyle(r.n >= 1 && r.n <= 3 ? static_cast<TPenStyle>(r.n) : psSolid);
          break;
        case gcSetLineWidth: {
          long w = r.n < 0 ? 0 : (r.n > 1000 ? 1000 : r.n);  // a damaged width stays drawable
          c->SetPenWidth(static_cast<int>(t.printer ? 4 * w : w));
          break;
        }
        default: break;  // waits (13) are timed by the window; unknown codes are skipped
      }
    }
  }
  return true;
}

std::size_t NextWaitRecord(const TDisplayList& list, std::size_t from, int& ms) {
  for (std::size_t i = from; i < list.size(); ++i) {
    if (list[i].compare(0, 3, "13;") != 0) continue;
    const TGraphRecord* r = list.Record(i);
    if (r && r->code == gcSleepMs) {
      ms = static_cast<int>(r->n < 0 ? 0 : (r->n > 60000 ? 60000 : r->n));
      return i;
    }
  }
  return list.size();
}
