#include "framework/hpgl.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

Extended PenX, PenY;
bool PenIsDown;
Byte CurrentPen;
Extended CharWidth, CharHeight;
Extended DirRun, DirRise;
int CharSetNumber;

void InitHpgl() {
  PenX = PenY = kPenUnknown;
  PenIsDown = false;
  CurrentPen = 0;
  CharWidth = CharHeight = 5.0L;
  DirRun = 1;
  DirRise = 0;
  CharSetNumber = 1;
}

int PenColour(int pen) {
  static const int kPens[8] = {0, 12, 14, 10, 11, 9, 13, 15};
  return pen >= 0 && pen <= 7 ? kPens[pen] : pen;
}

namespace {

constexpr Extended kUnit = 0.025L;  // mm per plotter unit

// No line or arc starts at the unknown pen position of a file's start: a
// damaged file that puts the pen down before any move draws from its first point.
bool PenKnown() { return PenX != kPenUnknown || PenY != kPenUnknown; }

constexpr char kEtx = 3;
constexpr std::size_t kMaxLabel = 255;

class Player {
 public:
  explicit Player(const std::string& data) : data_(data) {}
  void Run();

 private:
  // Next character, or 0 with AbortFlag set at the end of the data.
  char Raw() {
    if (pos_ >= data_.size()) {
      AbortFlag = 1;
      return 0;
    }
    return data_[pos_++];
  }
  char CommandChar() {
    for (;;) {
      char c = Raw();
      if (AbortFlag) return 0;
      if (c != ' ' && c != '\r' && c != '\n') return c;
    }
  }
  char LabelChar() {
    for (;;) {
      char c = Raw();
      if (AbortFlag) return 0;
      if (c != '\r' && c != '\n') return c;
    }
  }
  // Text up to the next "," or ";" (";" sets the terminator flag).
  std::string Collect() {
    std::string t;
    for (;;) {
      char c = CommandChar();
      if (AbortFlag) return t;
      if (c == ',') return t;
      if (c == ';') {
        terminated_ = true;
        return t;
      }
      t += c;
    }
  }
  int IntParam() {
    std::string t = Collect();
    return t.empty() ? 1 : TextToInt(t);
  }
  Extended RealParam() { return Finite(TextToFloat(Collect())); }
  Extended CoordParam() {
    std::string t;
    for (char c : Collect())
      if (c != 'P' && c != 'A') t += c;
    return Finite(TextToFloat(t));
  }
  static Extended Finite(Extended v) { return std::isfinite(v) ? v : 0; }
  void Skip() {
    for (;;) {
      char c = Raw();
      if (AbortFlag) return;
      if (c == ';') {
        terminated_ = true;
        return;
      }
    }
  }
  void PenColourOn() { GraphSetColor(PenColour(CurrentPen)); }

  void PairLoop();
  void Label();
  void ArcAbsolute();
  void EncodedPolyline();

  const std::string& data_;
  std::size_t pos_ = 0;
  bool terminated_ = false;
};

void Player::PairLoop() {
  while (!terminated_ && !AbortFlag) {
    Extended x = CoordParam();
    if (terminated_ || AbortFlag) return;
    Extended y = CoordParam();
    Extended nx = x * kUnit, ny = y * kUnit;
    if (PenIsDown && PenKnown()) {
      PenColourOn();
      GraphLine(PenX, PenY, nx, ny);
    }
    PenX = nx;
    PenY = ny;
  }
}

void Player::Label() {
  std::string text;
  for (;;) {
    char c = LabelChar();
    if (AbortFlag) return;  // the file ended inside the label
    if (c == kEtx) break;
    if (text.size() >= kMaxLabel) return;  // too long: no label, the rest reads as commands
    if (CharSetNumber == 3 && c == '}') {
      if (!text.empty()) {
        switch (text.back()) {
          case 'a': text.back() = static_cast<char>(132); break;
          case 'o': text.back() = static_cast<char>(148); break;
          case 'u': text.back() = static_cast<char>(129); break;
          case 'A': text.back() = static_cast<char>(142); break;
          case 'O': text.back() = static_cast<char>(153); break;
          case 'U': text.back() = static_cast<char>(154); break;
          default: break;
        }
      }
      continue;
    }
    text += c;
  }
  PenColourOn();
  GraphSetTextStyle(2, RadToDeg(VectorAngle(DirRise, DirRun)), CharHeight * 10, CharWidth * 10);
  GraphSetTextJustify(0, 0);
  GraphOutText(PenX, PenY, text);
}

void Player::ArcAbsolute() {
  Extended cx = CoordParam() * kUnit;
  Extended cy = CoordParam() * kUnit;
  Extended sweep = RealParam();
  // An arc around a centre needs its start point: none from the unknown one.
  if (PenIsDown && PenKnown()) {
    Extended ex, ey;
    RotateAboutPoint(ex, ey, PenX, PenY, cx, cy, DegToRad(sweep));
    Extended r = std::hypot(PenX - cx, PenY - cy);
    Extended start = RadToDeg(VectorAngle(PenY - cy, PenX - cx));
    Extended end = RadToDeg(VectorAngle(ey - cy, ex - cx));
    if (start == end) end = start + 360;
    PenColourOn();
    GraphArc(cx, cy, start, end, r);
  }
  // The pen then stands at the arc's centre.
  PenX = cx;
  PenY = cy;
}

void Player::EncodedPolyline() {
  PenIsDown = true;
  bool base32 = false, absolute = false, moveNext = false;
  auto number = [&](unsigned char first, Extended& mm) {
    unsigned long long v = 0;
    int shift = 0;
    unsigned char c = first;
    for (;;) {
      int digit;
      bool final;
      if (base32) {
        if (c >= 63 && c <= 94) digit = c - 63, final = false;
        else if (c >= 95 && c <= 126) digit = c - 95, final = true;
        else return;  // not a digit: the number ends unfinished
      } else {
        if (c >= 63 && c <= 126) digit = c - 63, final = false;
        else if (c >= 191 && c <= 254) digit = c - 191, final = true;
        else return;
      }
      if (shift < 60) v += static_cast<unsigned long long>(digit) << shift;
      shift += base32 ? 5 : 6;
      if (final) break;
      c = static_cast<unsigned char>(CommandChar());
      if (AbortFlag) return;
    }
    mm = (v % 2 == 0) ? Extended(v) * 0.0125L : -Extended(v - 1) * 0.0125L;
  };
  for (;;) {
    unsigned char c = static_cast<unsigned char>(CommandChar());
    if (AbortFlag || c == ';') return;
    if (c == ':') {
      int pen = static_cast<unsigned char>(CommandChar());
      if (AbortFlag) return;
      CurrentPen = static_cast<Byte>(pen < 1 ? 1 : (pen > 15 ? 15 : pen));
    } else if (c == '<') {
      moveNext = true;
    } else if (c == '>') {
      CommandChar();
    } else if (c == '=') {
      absolute = true;
    } else if (c == '7') {
      base32 = true;
    } else if (c >= 63 && c <= 254) {
      Extended x = 0, y = 0;
      number(c, x);
      if (AbortFlag) return;
      unsigned char d = static_cast<unsigned char>(CommandChar());
      if (AbortFlag) return;
      number(d, y);
      if (AbortFlag) return;
      // A step from the unknown point leads nowhere; an absolute point is reached without a line.
      if (absolute || PenKnown()) {
        Extended nx = absolute ? x : PenX + x, ny = absolute ? y : PenY + y;
        if (!moveNext && PenKnown()) {
          PenColourOn();
          GraphLine(PenX, PenY, nx, ny);
        }
        PenX = nx;
        PenY = ny;
      }
      PenIsDown = true;
      absolute = false;
      moveNext = false;
    }
  }
}

void Player::Run() {
  while (!AbortFlag) {
    terminated_ = false;
    char c1 = CommandChar();
    if (!AbortFlag && c1 == ';') c1 = CommandChar();
    if (AbortFlag) break;
    char c2 = CommandChar();
    if (AbortFlag) break;
    std::string cmd{static_cast<char>(std::toupper(static_cast<unsigned char>(c1))),
                    static_cast<char>(std::toupper(static_cast<unsigned char>(c2)))};
    if (cmd == "PU") {
      PenIsDown = false;
      PairLoop();
    } else if (cmd == "PD") {
      PenIsDown = true;
      PairLoop();
    } else if (cmd == "PA") {
      PairLoop();
    } else if (cmd == "SP") {
      int pen = IntParam();
      CurrentPen = static_cast<Byte>(pen < 0 ? 0 : (pen > 255 ? 255 : pen));
    } else if (cmd == "CI") {
      Extended r = CoordParam();
      PenColourOn();
      GraphCircle(PenX, PenY, r * kUnit);
    } else if (cmd == "SI") {
      CharWidth = RealParam();
      CharHeight = RealParam();
    } else if (cmd == "DI") {
      DirRun = RealParam();
      DirRise = RealParam();
    } else if (cmd == "LB") {
      Label();
    } else if (cmd == "AA") {
      ArcAbsolute();
    } else if (cmd == "PE") {
      EncodedPolyline();
    } else if (cmd == "CS") {
      Extended n = CoordParam();
      CharSetNumber = n >= 0 && n <= 255 ? static_cast<int>(n) : 0;
    } else {
      Skip();  // RO, IN, IP, IW, DF, VS, LT, SC, escape sequences and the rest
    }
  }
}

}  // namespace

void PlayHpglText(const std::string& data) {
  PenX = PenY = kPenUnknown;
  Player(data).Run();
  AbortFlag = 0;
}

void PlayHpglFile(const std::string& FileName) {
  PenX = PenY = kPenUnknown;
  SetWaitCursor();
  if (!CheckFileFound(FileName)) {
    SetArrowCursor();
    return;
  }
  // Read no further than a picture may go: a larger file (or one that grew
  // since, or a link to an endless device) is named and nothing is drawn.
  std::string data, error;
  if (!LoadTextBytes(FindExistingFile(FileName), data, error, kLargestPicture)) {
    ShowMessageLine(error);
    AbortFlag = 1;
    SetArrowCursor();
    return;
  }
  PlayHpglText(data);
  SetArrowCursor();
}

void ShowPltImage(const std::string& Name) {
  GraphHeader(0, 0, 160, 120);
  PlayHpglFile(AddBackslash(PltDir) + Name + ".plt");
}
