#include "cad/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "cad/recent_number_texts.h"
#include "framework/charset.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"

namespace {

std::vector<TDxfPair>* PairSink = nullptr;
bool PairSinkKeepsText = false;

// A box around drawn geometry; empty until a point is added.
struct Box {
  Extended xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool empty = true;
  void Add(Extended x, Extended y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (empty) {
      xmin = xmax = x;
      ymin = ymax = y;
      empty = false;
      return;
    }
    xmin = std::min(xmin, x), xmax = std::max(xmax, x);
    ymin = std::min(ymin, y), ymax = std::max(ymax, y);
  }
};

// The header's extents are the drawing window; entities may reach beyond it.
// The box of everything in the entity section (inserts by their block's box)
// widens the extents when the file is ended.
struct Extents {
  bool header = false;        // a header was written for this file
  Box window, entities;
  std::map<std::string, Box> blocks;
  std::string block;          // the block being written, or empty
  bool inBlock = false;
};
Extents Ext;

Box& CurrentBox() { return Ext.inBlock ? Ext.blocks[Ext.block] : Ext.entities; }

// Pairs kept in memory (the screen's blocks) are no file: no header extents
// to widen, so their geometry is not covered.
bool Covering() { return !PairSink; }
void Cover(Extended x, Extended y) {
  if (Covering()) CurrentBox().Add(x, y);
}

// The box of an arc from a1 to a2 (degrees, counter-clockwise).
void CoverArc(Extended x, Extended y, Extended a1, Extended a2, Extended r) {
  if (!Covering()) return;
  constexpr Extended kDeg = 3.14159265358979323846L / 180;
  Cover(x + r * std::cos(a1 * kDeg), y + r * std::sin(a1 * kDeg));
  Cover(x + r * std::cos(a2 * kDeg), y + r * std::sin(a2 * kDeg));
  Extended start = std::fmod(a1, 360), end = std::fmod(a2, 360);
  if (start < 0) start += 360;
  if (end < 0) end += 360;
  if (end <= start) end += 360;
  for (int q = 0; q <= 720; q += 90)
    if (q > start && q < end) Cover(x + r * std::cos(q * kDeg), y + r * std::sin(q * kDeg));
}

// A real value always carries a decimal point: readers that go by the group
// code's type take "0" for an integer and lose the entity after it.
std::string RealValue(std::string s) {
  if (s.find('.') != std::string::npos) return s;
  const std::size_t e = s.find_first_of("Ee");
  s.insert(e == std::string::npos ? s.size() : e, ".0");
  return s;
}

std::string CodeText(int code) {
  std::string s = IntToText(code);
  if (s.size() < 3) s.insert(0, 3 - s.size(), ' ');
  return s;
}

// The short number format with a decimal point whatever the comma setting,
// so that TEXT's ratio and angles never carry a decimal comma.
std::string ShortNumberText(Extended x) {
  // A text's ratio, angle and slant repeat from text to text: the last few are kept.
  static TRecentNumberTexts<4> known;
  return known.Text(x, [](Extended v) {
    const Word saved = DecimalCommaMode;
    DecimalCommaMode = 1;
    std::string s = RealValue(FloatToText(v));
    DecimalCommaMode = saved;
    return s;
  });
}

// The standard shape fonts that DXF readers know by name.
bool KnownShapeFont(const std::string& name) {
  for (const char* known : {"TXT", "SIMPLEX", "ROMANS", "ROMAND", "ROMANC", "ROMANT", "COMPLEX", "ITALIC",
                            "ISOCP", "ISOCT", "MONOTXT", "GOTHICG", "GREEKC", "SCRIPTS", "SCRIPTC"})
    if (name == known) return true;
  return false;
}

// The style's font file: a name with an extension as configured, a standard
// shape font by its file name, any other name as the standard text font.
std::string StyleFontFile(std::string_view configured) {
  std::string name = UpperCaseText(configured);
  TrimTextVar(name);
  if (name.find('.') != std::string::npos) return name;
  return (KnownShapeFont(name) ? name : std::string("TXT")) + ".SHX";
}

// Group 1 of TEXT. The screen's block files are read back by the program and
// keep the stored code page; files for other programs follow the umlaut mode
// and declare its code page in the header.
std::string TextValue(const std::string& text) {
  if (CadState.CadDevice == 3) return text;
  return UmlautModeText(text);
}

void Layer() { WriteDxfString(8, CadState.CadLayer.view()); }

void Point(int code, Extended x, Extended y) {
  WriteDxfReal(code, x);
  WriteDxfReal(code + 10, y);
}

void LineType(const char* name, const char* description, const char* count, const char* length,
              std::initializer_list<const char*> pattern) {
  WriteDxfString(0, "LTYPE");
  WriteDxfString(2, name);
  WriteDxfString(70, "64");
  WriteDxfString(3, description);
  WriteDxfString(72, "65");
  WriteDxfString(73, count);
  WriteDxfString(40, length);
  for (const char* p : pattern) WriteDxfString(49, p);
}

void LayerEntry(std::string_view name, int colour, const char* lineType) {
  WriteDxfString(0, "LAYER");
  WriteDxfString(2, name);
  WriteDxfString(70, "0");
  WriteDxfInt(62, CadState.CadLayerMonochrome ? 1 : colour);
  WriteDxfString(6, lineType);
}

}  // namespace

namespace {

constexpr long long kPower10[] = {1, 10, 100, 1000, 10000, 100000, 1000000,
                                  10000000, 100000000, 1000000000};

// CadDecimals, as the writer takes it.
int DxfDecimals() {
  const int d = CadState.CadDecimals;
  return d < 0 ? 0 : (d > 18 ? 18 : d);
}

// Most values are written from whole numbers of the last decimal: far from
// a tie the rounding is certain, and the digits need no printf. n is x in
// units of the last of d decimals; false where printf must round.
bool ScaledReal(Extended x, int d, long long& n) {
  if (d > 9) return false;
  const Extended scaled = x * kPower10[d];
  if (!(std::fabs(scaled) < 1e12L)) return false;
  // floor and the conversion to an integer without switching the x87
  // rounding mode, which costs more than the rest: adding and taking away
  // 1.5 * 2^63 rounds to an integer; a whole number below 2^53 converts to a
  // double exactly.
  constexpr Extended kRound = 0x1.8p63L;
  volatile Extended shifted = scaled + kRound;
  Extended below = shifted - kRound;
  if (below > scaled) below -= 1;
  const Extended part = scaled - below;
  if (std::fabs(part - 0.5L) <= 1e-6L) return false;
  n = static_cast<long long>(static_cast<double>(part > 0.5L ? below + 1 : below));
  return true;
}

}  // namespace

namespace {

// Appends n / 10^d with d decimals.
void AppendScaledReal(std::string& text, long long n, int d) {
  const unsigned long long a = n < 0 ? -static_cast<unsigned long long>(n) : n;
  if (n < 0) text += '-';
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, a / kPower10[d]).ptr;
  text.append(digits, end);
  if (d == 0) return;
  end = std::to_chars(digits, digits + sizeof digits, a % kPower10[d]).ptr;
  text += '.';
  text.append(static_cast<std::size_t>(d - (end - digits)), '0');
  text.append(digits, end);
}

// The text of n / 10^d with d decimals.
std::string ScaledRealText(long long n, int d) {
  std::string s;
  AppendScaledReal(s, n, d);
  return s;
}

}  // namespace

std::string DxfRealText(Extended x) {
  // A value that is no number would make the file unreadable: it is written as 0.
  if (!std::isfinite(x)) x = 0;
  const int d = DxfDecimals();
  long long n = 0;
  if (ScaledReal(x, d, n)) return ScaledRealText(n, d);
  return FloatToTextWidth(0, d, x);
}

void SetDxfPairSink(std::vector<TDxfPair>* sink, bool keepText) {
  PairSink = sink;
  PairSinkKeepsText = sink && keepText;
}

bool operator==(const TDxfPair& a, const TDxfPair& b) {
  return a.code == b.code && a.real == b.real && a.decimals == b.decimals && a.value == b.value &&
         (a.decimals < 0 || a.scaled == b.scaled) && (a.decimals >= 0 || !a.real || a.number == b.number);
}

namespace {

int DigitCount(unsigned long long a) {
  int n = 1;
  while (a >= 10) {
    a /= 10;
    ++n;
  }
  return n;
}

// Writes the digits of a, at least atLeast of them, at out; the end.
char* PutDigits(char* out, unsigned long long a, int atLeast) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const int count = std::max(DigitCount(a), atLeast);
  char* const end = out + count;
  char* at = end;
  while (a >= 100) {
    at -= 2;
    at[0] = kPairs[2 * (a % 100)];
    at[1] = kPairs[2 * (a % 100) + 1];
    a /= 100;
  }
  if (a >= 10) {
    at -= 2;
    at[0] = kPairs[2 * a];
    at[1] = kPairs[2 * a + 1];
  } else {
    *--at = static_cast<char>('0' + a);
  }
  while (at > out) *--at = '0';
  return end;
}

}  // namespace

std::string DxfPairsText(const std::vector<TDxfPair>& pairs) {
  // Into a buffer of room enough, without a check per piece: a code line
  // takes at most 13 bytes, a real's 44, a text its own length and 2; a
  // short text is copied as 16 bytes.
  std::size_t room = 16;
  for (const TDxfPair& p : pairs) room += 13 + (p.real && p.decimals >= 0 ? 44 : p.value.size() + 16);
  // The buffer stays from call to call, so that its room is not cleared each time.
  static std::string buffer;
  if (buffer.size() < room) buffer.resize(room);
  char* const start = buffer.data();
  char* out = start;
  for (const TDxfPair& p : pairs) {
    const bool negative = p.code < 0;
    const unsigned long long code = negative ? 0ULL - static_cast<unsigned long long>(p.code) : p.code;
    for (int n = DigitCount(code) + negative; n < 3; ++n) *out++ = ' ';
    if (negative) *out++ = '-';
    out = PutDigits(out, code, 1);
    *out++ = '\r';
    *out++ = '\n';
    if (p.real && p.decimals >= 0) {
      const unsigned long long a = p.scaled < 0 ? 0ULL - static_cast<unsigned long long>(p.scaled) : p.scaled;
      const unsigned long long unit = kPower10[p.decimals];
      if (p.scaled < 0) *out++ = '-';
      out = PutDigits(out, a / unit, 1);
      *out++ = '.';
      // A real carries its point, and a digit after it.
      out = p.decimals > 0 ? PutDigits(out, a % unit, p.decimals) : PutDigits(out, 0, 1);
    } else {
      const std::size_t size = p.value.size();
      // A short text lies in the string's own 16 bytes.
      if (size < 16 && p.value.capacity() >= 15)
        std::memcpy(out, p.value.data(), 16);
      else
        std::memcpy(out, p.value.data(), size);
      out += size;
    }
    *out++ = '\r';
    *out++ = '\n';
  }
  return std::string(start, out);
}

void WriteDxfString(int code, std::string_view value) {
  // A line break inside a value would start a false group pair.
  const bool clean = value.find_first_of("\r\n") == std::string_view::npos;
  std::string v;
  if (!clean) {
    v = value;
    for (char& c : v)
      if (c == '\r' || c == '\n') c = ' ';
    value = v;
  }
  if (PairSink) {
    PairSink->push_back({code, std::string(value)});
    return;
  }
  WriteTextLine(CodeText(code));
  WriteTextLine(value);
}

void WriteDxfInt(int code, long long value) { WriteDxfString(code, IntToText(value)); }

void WriteDxfReal(int code, Extended value) {
  if (PairSink) {
    // Kept in memory as the value its text reads back as: the whole number
    // of the last decimal over a power of ten, both exact, rounded once.
    TDxfPair p{code, {}, true, 0};
    long long n = 0;
    const int d = DxfDecimals();
    if (std::isfinite(value) && ScaledReal(value, d, n)) {
      const Extended a = static_cast<Extended>(n < 0 ? -n : n) / static_cast<Extended>(kPower10[d]);
      p.number = n < 0 ? -a : a;
      if (PairSinkKeepsText) {
        p.scaled = n;
        p.decimals = d;
      }
    } else {
      if (PairSinkKeepsText) p.value = RealValue(DxfRealText(value));
      p.number = TextToFloat(TrimRightText(RealValue(DxfRealText(value))));
    }
    PairSink->push_back(std::move(p));
    return;
  }
  WriteDxfString(code, RealValue(DxfRealText(value)));
}

void SetDxfLayerByColor(int n) {
  if (CadState.CadLayerMode != 0 || n > 5 || n < 0)
    CadState.CadLayer = IntToText(n);
  else if (n == 0)
    CadState.CadLayer = "0";
  else
    CadState.CadLayer = CadState.CadLayerNames[static_cast<std::size_t>(n)];
}

std::string DxfCodePage() { return UmlautMode == 1 ? "DOS437" : "ANSI_1252"; }

void WriteDxfHeader(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  Ext = Extents();
  Ext.header = !PairSink;
  Ext.window.Add(xmin, ymin);
  Ext.window.Add(xmax, ymax);
  WriteDxfString(0, "SECTION");
  WriteDxfString(2, "HEADER");
  WriteDxfString(9, "$EXTMIN");
  Point(10, xmin, ymin);
  WriteDxfString(9, "$EXTMAX");
  Point(10, xmax, ymax);
  WriteDxfString(9, "$LIMMIN");
  Point(10, xmin, ymin);
  WriteDxfString(9, "$LIMMAX");
  Point(10, xmax, ymax);
  WriteDxfString(9, "$LTSCALE");
  WriteDxfString(40, "15.0");
  WriteDxfString(9, "$DWGCODEPAGE");
  WriteDxfString(3, DxfCodePage());
  WriteDxfString(0, "ENDSEC");
}

void WriteDxfTables(Word variant) {
  WriteDxfString(0, "SECTION");
  WriteDxfString(2, "TABLES");

  WriteDxfString(0, "TABLE");
  WriteDxfString(2, "LTYPE");
  WriteDxfString(70, variant == 1 ? "17" : variant == 2 ? "23" : "6");
  LineType("CONTINUOUS", "Ausgezogene Linie", "0", "0.0", {});
  LineType("DASHDOT", "--. --. --.-", "4", "1.0", {"0.5", "-0.25", "0.0", "-0.25"});
  LineType("DASHED", "- - - - - - ", "2", "0.375", {"0.25", "-0.125"});
  WriteDxfString(0, "ENDTAB");

  WriteDxfString(0, "TABLE");
  WriteDxfString(2, "LAYER");
  const auto& s = CadState;
  // Every layer that SetDxfLayerByColor can select is declared once: colours
  // 0..31 by number, 1..5 also by their configured names (line types). The
  // table's count is that of its entries.
  struct Entry {
    std::string name;
    int colour;
    const char* lineType;
  };
  std::vector<Entry> entries;
  const auto entry = [&](const std::string& name, int colour, const char* lineType) {
    for (const Entry& e : entries)
      if (e.name == name) return;
    entries.push_back({name, colour, lineType});
  };
  if (variant == 1) {
    for (int n = 0; n <= 15; ++n) entry(IntToText(n), n + 1, "CONTINUOUS");
  } else {
    entry("0", 1, "CONTINUOUS");
    entry(std::string(s.CadLayerNames[1].view()), s.CadLayerColors[1], "DASHDOT");
    entry(std::string(s.CadLayerNames[2].view()), s.CadLayerColors[2], "DASHED");
    for (std::size_t i = 3; i <= 5; ++i)
      entry(std::string(s.CadLayerNames[i].view()), s.CadLayerColors[i], "CONTINUOUS");
  }
  for (int n = 1; n <= 15; ++n) entry(IntToText(n), n + 1, "CONTINUOUS");
  for (int n = 16; n <= 31; ++n)
    entry(IntToText(n), s.CadPenColors[static_cast<std::size_t>(n - 16)], "CONTINUOUS");
  WriteDxfInt(70, static_cast<long long>(entries.size()));
  for (const Entry& e : entries) LayerEntry(e.name, e.colour, e.lineType);
  WriteDxfString(0, "ENDTAB");

  WriteDxfString(0, "TABLE");
  WriteDxfString(2, "STYLE");
  WriteDxfString(70, "1");
  WriteDxfString(0, "STYLE");
  WriteDxfString(2, "STANDARD");
  WriteDxfString(70, "0");
  WriteDxfString(40, "0.0");
  WriteDxfString(41, "1.0");
  WriteDxfString(50, "0.0");
  WriteDxfString(71, "0");
  WriteDxfString(42, "3.5");
  WriteDxfString(3, StyleFontFile(s.CadTextFont.view()));
  WriteDxfString(4, "");
  WriteTextLine("0");  // the group code of ENDTAB, written unpadded
  WriteTextLine("ENDTAB");
  WriteDxfString(0, "ENDSEC");
}

void WriteDxfBlocksSection() {
  WriteDxfString(0, "SECTION");
  WriteDxfString(2, "BLOCKS");
}

void WriteDxfEntitiesSection() {
  WriteDxfString(0, "SECTION");
  WriteDxfString(2, "ENTITIES");
}

void WriteDxfEndSec() { WriteDxfString(0, "ENDSEC"); }

void WriteDxfBlock(const std::string& name) {
  Ext.inBlock = true;
  Ext.block = name;
  Ext.blocks[name] = Box();
  WriteDxfString(0, "BLOCK");
  Layer();
  WriteDxfString(2, name);
  WriteDxfString(70, "0");
  WriteDxfString(10, "0.0");
  WriteDxfString(20, "0.0");
}

void WriteDxfEndBlk() {
  Ext.inBlock = false;
  WriteDxfString(0, "ENDBLK");
}

void WriteDxfLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  Cover(x1, y1);
  Cover(x2, y2);
  WriteDxfString(0, "LINE");
  Layer();
  Point(10, x1, y1);
  Point(11, x2, y2);
}

void WriteDxfCircle(Extended x, Extended y, Extended r) {
  Cover(x - r, y - r);
  Cover(x + r, y + r);
  WriteDxfString(0, "CIRCLE");
  Layer();
  Point(10, x, y);
  WriteDxfReal(40, r);
}

bool ArcIsFullCircle(Extended a1, Extended a2) {
  return a1 == a2 || (FloatEqual(a1, 0) && FloatEqual(a2, 360)) ||
         (FloatEqual(a1, 360) && FloatEqual(a2, 0));
}

void WriteDxfArc(Extended x, Extended y, Extended a1, Extended a2, Extended r) {
  if (ArcIsFullCircle(a1, a2)) {
    WriteDxfCircle(x, y, r);
    return;
  }
  CoverArc(x, y, a1, a2, r);
  WriteDxfString(0, "ARC");
  Layer();
  Point(10, x, y);
  WriteDxfReal(40, r);
  WriteDxfReal(50, a1);
  WriteDxfReal(51, a2);
}

void WriteDxfText(const std::string& text, Extended x, Extended y) {
  if (Covering()) {
    // The text's box, by the width ratio, turned by its angle.
    const auto& c = CadState;
    const Extended a = c.CadTextAngle * 3.14159265358979323846L / 180;
    const Extended w = static_cast<Extended>(text.size()) * c.CadTextHeight * c.CadTextWidthFactor;
    const Extended h = c.CadTextHeight;
    for (const auto& [u, v] : {std::pair<Extended, Extended>{0, 0}, {w, 0}, {0, h}, {w, h}})
      Cover(x + u * std::cos(a) - v * std::sin(a), y + u * std::sin(a) + v * std::cos(a));
  }
  WriteDxfString(0, "TEXT");
  Layer();
  Point(10, x, y);
  WriteDxfReal(40, CadState.CadTextHeight);
  WriteDxfString(1, TextValue(text));
  WriteDxfString(7, "STANDARD");
  WriteDxfString(41, ShortNumberText(CadState.CadTextWidthFactor));
  WriteDxfString(50, ShortNumberText(CadState.CadTextAngle));
  WriteDxfString(51, ShortNumberText(CadState.CadTextSlant));
}

void WriteDxfSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                   Extended x4, Extended y4) {
  Cover(x1, y1);
  Cover(x2, y2);
  Cover(x3, y3);
  Cover(x4, y4);
  WriteDxfString(0, "SOLID");
  Layer();
  Point(10, x1, y1);
  Point(11, x2, y2);
  Point(12, x3, y3);
  Point(13, x4, y4);
}

void WriteDxfInsert(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale) {
  if (const auto found = Ext.blocks.find(name); Covering() && found != Ext.blocks.end() && !found->second.empty) {
    const Box b = found->second;  // a copy: covering may add to the map
    const Extended a = angle * 3.14159265358979323846L / 180;
    for (const auto& [u, v] : {std::pair<Extended, Extended>{b.xmin, b.ymin}, {b.xmax, b.ymin},
                               {b.xmin, b.ymax}, {b.xmax, b.ymax}}) {
      const Extended su = u * xscale, sv = v * yscale;
      Cover(x + su * std::cos(a) - sv * std::sin(a), y + su * std::sin(a) + sv * std::cos(a));
    }
  }
  WriteDxfString(0, "INSERT");
  Layer();
  WriteDxfString(2, name);
  Point(10, x, y);
  WriteDxfReal(41, xscale);
  WriteDxfReal(42, yscale);
  WriteDxfReal(50, angle);
}

void WriteDxfPolyline(int closed) {
  WriteDxfString(0, "POLYLINE");
  Layer();
  WriteDxfInt(66, 1);
  if (closed != 0) WriteDxfInt(70, closed);
}

void WriteDxfVertex(Extended x, Extended y, Extended bulge) {
  Cover(x, y);
  WriteDxfString(0, "VERTEX");
  Layer();
  Point(10, x, y);
  if (bulge != 0) WriteDxfReal(42, bulge);
}

void WriteDxfSeqEnd() {
  WriteDxfString(0, "SEQEND");
  Layer();
}

namespace {

// Stores the file with the extents of its header widened to cover box: the
// lines written so far are read back and go to the target in a new file,
// which replaces it only when whole. The target stays as it was otherwise.
bool StoreWidened(const Box& box) {
  if (AbortFlag || !TextFileVar.WritesThroughTemporary() || !TextFileVar.Flush())
    return CloseUnlessAborted(TextFileVar);
  TTextFile in;
  in.Assign(TextFileVar.WrittenPath());
  std::vector<std::string> lines;
  std::string line;
  if (!in.Reset()) return CloseUnlessAborted(TextFileVar);
  while (in.ReadLine(line)) lines.push_back(line);
  const bool failed = in.Failed();
  in.CloseQuiet();
  if (failed) return CloseUnlessAborted(TextFileVar);
  for (std::size_t i = 0; i + 4 < lines.size() && lines[i] != "ENDSEC"; ++i) {
    if (lines[i] == "$EXTMIN" || lines[i] == "$EXTMAX") {
      const bool min = lines[i] == "$EXTMIN";
      lines[i + 2] = RealValue(DxfRealText(min ? box.xmin : box.xmax));
      lines[i + 4] = RealValue(DxfRealText(min ? box.ymin : box.ymax));
    }
  }
  TTextFile out;
  out.Assign(TextFileVar.Name());
  if (!out.Rewrite(platform::ReplaceSync::Derived)) return CloseUnlessAborted(TextFileVar);
  for (const std::string& l : lines) out.WriteLine(l);
  TextFileVar.CloseQuiet();  // its lines are in out, which replaces the target
  return CloseUnlessAborted(out);
}

}  // namespace

bool WriteDxfEof() {
  WriteDxfString(0, "EOF");
  const bool header = Ext.header && !PairSink;
  Ext.header = false;
  if (!header || Ext.entities.empty) return CloseUnlessAborted(TextFileVar);
  Box all = Ext.window;
  all.Add(Ext.entities.xmin, Ext.entities.ymin);
  all.Add(Ext.entities.xmax, Ext.entities.ymax);
  if (all.xmin < Ext.window.xmin || all.ymin < Ext.window.ymin || all.xmax > Ext.window.xmax ||
      all.ymax > Ext.window.ymax)
    return StoreWidened(all);
  return CloseUnlessAborted(TextFileVar);
}
