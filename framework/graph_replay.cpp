#include "framework/graph_replay.h"

#include <cmath>
#include <numbers>

#include "framework/globals.h"
#include "framework/graph_support.h"
#include "framework/number_format.h"

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;
const TColorRef kBlack = MakeColorRef(0, 0, 0);

// Nearest integer, halves to even, clamped like NInt; in double, where the
// replay transforms.
int RoundPixel(double v) {
  if (!(v == v)) return 0;
  if (v > kPixelLimit) return kPixelLimit;
  if (v < -kPixelLimit) return -kPixelLimit;
  constexpr double kRound = 0x1.8p52;  // leaves v rounded to an integer, halves to even
  return static_cast<int>((v + kRound) - kRound);
}

// True when v lies so near a half that double and extended arithmetic may
// round it to different neighbours.
bool NearHalf(double v) {
  if (!(std::fabs(v) < kPixelLimit)) return false;
  constexpr double kRound = 0x1.8p52;
  return std::fabs(std::fabs(v - ((v + kRound) - kRound)) - 0.5) < 1e-6;
}

// The extended value of a record's real, as reading its 8-digit text gives
// it: near a half pixel the transform is done as the window's own.
Extended ExactValue(double v) {
  Extended x = v;
  TryTextToFloat(GraphFloatText(v), x);
  return x;
}

// One canvas with its transform and the font colour the replay tracks. The
// transform is PX, PY, LX, LY (PrX, PrY, PrLX, PrLY on the printer) with
// the window state taken once per window record, in double.
struct Target {
  TGraphCanvas* canvas;
  bool printer;
  const TPrinterPage* page;
  TColorRef fontColour = MakeColorRef(0, 0, 0);
  double visX = 0, visY = 0, scaleX = 1, scaleY = 1;  // visible window, scales
  double factorX = 1, factorY = 1;  // canvas factors, or printer pixels per screen pixel
  double viewX1 = 0, viewY2 = 0;
  double lenX = 1, lenY = 1;        // pixels per world unit of a length
  int offX = 0, offY = 0;           // pixel offsets

  void Update() {
    visX = static_cast<double>(VisibleXMin);
    visY = static_cast<double>(VisibleYMin);
    scaleX = static_cast<double>(ScaleX);
    scaleY = static_cast<double>(ScaleY);
    viewX1 = ViewX1;
    viewY2 = ViewY2;
    if (printer) {
      const Extended perX = Extended(page->PageWidth) * PrintScaleX / (HorizontalPixels ? HorizontalPixels : 1);
      const Extended perY = Extended(page->PageHeight) * PrintScaleY / (VerticalPixels ? VerticalPixels : 1);
      factorX = static_cast<double>(perX);
      factorY = static_cast<double>(perY);
      offX = NInt(Extended(page->PageWidth) * PrintOriginX / 210);
      offY = NInt(Extended(page->PageWidth) * PrintOriginY / 210);
      lenX = static_cast<double>(perX * ScaleX);
      lenY = static_cast<double>(perY * ScaleY);
    } else {
      factorX = static_cast<double>(CanvasFactorX);
      factorY = static_cast<double>(CanvasFactorY);
      offX = NInt(ViewX1 * CanvasFactorX);
      offY = NInt(ViewY2 * CanvasFactorY);
      lenX = static_cast<double>(ScaleX * CanvasFactorX);
      lenY = static_cast<double>(ScaleY * CanvasFactorY);
    }
  }
  int X(double x) const {
    const double p = printer ? factorX * ((x - visX) * scaleX + viewX1) : (x - visX) * scaleX * factorX;
    if (NearHalf(p)) return printer ? PrX(*page, ExactValue(x)) : PX(ExactValue(x));
    return printer ? offX + RoundPixel(p) : RoundPixel(p) + offX;
  }
  int Y(double y) const {
    const double p = printer ? factorY * (viewY2 - (y - visY) * scaleY) : (y - visY) * scaleY * factorY;
    if (NearHalf(p)) return printer ? PrY(*page, ExactValue(y)) : PY(ExactValue(y));
    return printer ? offY + RoundPixel(p) : offY - RoundPixel(p);
  }
  int W(double w) const { return RoundPixel(lenX * w); }
  int H(double h) const { return RoundPixel(lenY * h); }
};

TGraphFont MakeFont(const Target& t, double height, double width, double angle) {
  TGraphFont f;
  f.face = GraphicsTextFont.str();
  f.height = t.H(height);
  f.width = t.W(width);
  f.escapement = RoundPixel(angle * 10);
  if (GraphicsTextStyle >= 1 && GraphicsTextStyle <= 15) {
    f.weight = GraphicsTextStyle & 1 ? 700 : 100;
    f.italic = GraphicsTextStyle & 2;
    f.underline = GraphicsTextStyle & 4;
    f.strikeOut = GraphicsTextStyle & 8;
  }
  return f;
}

// Relative luminance of a colour, 0 (black) to 1 (white).
Extended Luminance(TColorRef c) {
  return (0.2126L * ColorRefRed(c) + 0.7152L * ColorRefGreen(c) + 0.0722L * ColorRefBlue(c)) / 255;
}

// A text colour on the window that stands out from the background: a dark
// colour on a dark background (navy on black) is lightened towards white
// until the difference in luminance is a third. Lines keep their colour.
TColorRef ReadableOn(TColorRef c, TColorRef background) {
  const Extended bg = Luminance(background);
  if (bg > 0.5L || Luminance(c) - bg >= 1.0L / 3) return c;
  for (int mix = 1; mix <= 8; ++mix) {
    auto toWhite = [mix](int v) { return static_cast<Byte>(v + (255 - v) * mix / 10); };
    TColorRef m = MakeColorRef(toWhite(ColorRefRed(c)), toWhite(ColorRefGreen(c)), toWhite(ColorRefBlue(c)));
    if (Luminance(m) - bg >= 1.0L / 3) return m;
  }
  return c;
}

// Colour of a text in the current colour c.
void TextColour(Target& t, long c) {
  TColorRef background = static_cast<TColorRef>(BackgroundColour);
  if (c == 0)
    t.fontColour = background;
  else if (!ColorGraphics || (t.printer && WindowsPrintMode == 1))
    t.fontColour = kBlack;
  else if (c >= 1 && c <= 15)
    t.fontColour = t.printer ? PaletteColour(static_cast<int>(c))
                             : ReadableOn(PaletteColour(static_cast<int>(c)), background);
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
  double textHeight = 3.5, textWidth = 3.5, textAngle = 0;
  long colour = 1;
  for (Target& t : targets) {
    t.Update();
    if (t.canvas) t.canvas->SetPenWidth(1);
  }

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
    const double* v = r.v;
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
        for (Target& t : targets) t.Update();
        continue;
      }
      case gcSetColor:
        colour = r.n;
        for (Target& t : targets)
          if (t.canvas) SetColour(t, r.n);
        continue;
      case gcSetTextStyle:
        textHeight = static_cast<double>(v[0] * 1.6L * TextHeightFactor);
        textWidth = static_cast<double>(v[1] * 1.1L * GraphicsTextSize);
        textAngle = v[2];
        continue;
      case gcOutTextXY: {
        Target& t = prn.canvas ? prn : win;
        if (!t.canvas) continue;
        TextColour(t, colour);
        const double h = textHeight, a = textAngle * kDegToRad;
        const double x = textAngle == 0 ? v[0] : v[0] - std::sin(a) * h * 0.7;
        const double y = textAngle == 0 ? v[1] + 0.75 * h : v[1] + std::cos(a) * h * 0.75;
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
    if (list.Code(i) != gcSleepMs) continue;
    const TGraphRecord* r = list.Record(i);
    if (r && r->code == gcSleepMs) {
      ms = static_cast<int>(r->n < 0 ? 0 : (r->n > 60000 ? 60000 : r->n));
      return i;
    }
  }
  return list.size();
}
