#include "cad/iges_writer.h"

#include <algorithm>
#include <cmath>

#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "platform/os.h"

namespace {

constexpr std::size_t kParameterWidth = 64;
constexpr std::size_t kDataWidth = 72;  // columns 1-72 of a record
constexpr std::size_t kBlockNameWidth = 8;
constexpr int kLineWeight = 1;  // the thinnest of the global section's gradations

// Palette index 0..15 to IGES colour number.
constexpr int kColourMap[16] = {0, 2, 5, 3, 7, 4, 6, 0, 8, 10, 11, 12, 13, 14, 15, 1};

// One drawing call of a block, kept until the block is inserted.
struct IgesPrimitive {
  enum Kind { kLine, kArc, kCopious, kNote, kInsert } kind = kLine;
  Extended v[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // points; an insert: x, y, angle, x scale, y scale
  std::string text;                          // a note's text, an insert's block name
  Extended height = 0, widthFactor = 0, angle = 0;  // a note's style
  int colour = 0, lineFont = 1;
};

struct IgesBlock {
  std::string name;  // cut to 8 characters
  std::vector<IgesPrimitive> items;
  int de = 0;            // DE pointer of its 308 entity once written
  bool writing = false;  // being written (a block that inserts itself)
};

// Readers transfer an instance only at scale 1: any other scale writes the
// block's geometry in place.
bool Unscaled(Extended xscale, Extended yscale) {
  return std::fabs(xscale - 1) < 1e-9L && std::fabs(yscale - 1) < 1e-9L;
}

// (x, y) -> (a x + b y + tx, c x + d y + ty)
struct Affine {
  Extended a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  void Map(Extended x, Extended y, Extended& X, Extended& Y) const {
    X = a * x + b * y + tx;
    Y = c * x + d * y + ty;
  }
  Affine Then(const Affine& inner) const {  // this after inner
    Affine r;
    r.a = a * inner.a + b * inner.c;
    r.b = a * inner.b + b * inner.d;
    r.c = c * inner.a + d * inner.c;
    r.d = c * inner.b + d * inner.d;
    Map(inner.tx, inner.ty, r.tx, r.ty);
    return r;
  }
  // A turn and an even scale: arcs stay arcs.
  bool Similar() const {
    return std::fabs(a - d) < 1e-9L && std::fabs(b + c) < 1e-9L && a * d - b * c > 0;
  }
};

Affine InsertTransform(Extended x, Extended y, Extended angle, Extended xscale, Extended yscale) {
  const Extended r = angle * 3.14159265358979323846L / 180;
  Affine t;
  t.a = std::cos(r) * xscale;
  t.b = -std::sin(r) * yscale;
  t.c = std::sin(r) * xscale;
  t.d = std::cos(r) * yscale;
  t.tx = x;
  t.ty = y;
  return t;
}

struct IgesWriterState {
  int s = 0, g = 0, d = 0, p = 0;
  int de = -1;       // first D line of the current entity
  int pd = 1;        // first P line of the next entity
  int pdLines = 0;   // P lines of the current entity
  int colour = 0;
  int lineFont = 1;
  int recording = -1;                  // index of the block being defined, or -1
  std::vector<int>* members = nullptr;  // DE pointers of the 308 being written
  std::vector<IgesBlock> blocks;
};

IgesWriterState W;
TTextFile TempFile;

std::string TempFileName() { return AddBackslash(platform::ProcessTempDir()) + "ZUZIZURI.$$$"; }

// Palette index to IGES colour; indexes beyond the palette wrap into it.
int MapColour(int index) { return kColourMap[((index % 16) + 16) % 16]; }

// A value that is no number would make the file unreadable: it is written as 0.
std::string Coord(Extended x) { return FloatToTextWidth(0, 3, std::isfinite(x) ? x : 0); }
std::string Term(Extended x) { return FloatToTextWidth(0, 6, std::isfinite(x) && x != 0 ? x : 0); }

std::string Record(const std::string& text, char section, int seq) {
  return PadRight(text, kDataWidth) + section + IntToTextZeros(seq, 7);
}

// Directory entry fields are right-justified in their 8 columns.
std::string Field(const std::string& text) { return TrimPadRight(text, 8); }

void WriteS(const std::string& text) { WriteTextLine(Record(text, 'S', ++W.s)); }
void WriteG(const std::string& text) { WriteTextLine(Record(text, 'G', ++W.g)); }

// One P line of the current entity into the temporary file.
void WritePLine(const std::string& text) {
  const std::string line = PadRight(text, 65) + IntToTextWidth(W.de, 7);
  if (!TempFile.WriteLine(Record(line, 'P', ++W.p))) AbortFlag = 1;
  ++W.pdLines;
}

void WriteParameters(const std::string& text) {
  for (const std::string& line : SplitIgesParameters(text)) WritePLine(line);
}

// Starts an entity: its DE pointer, and its place in the 308 being written.
void BeginEntity(bool member = true) {
  W.pdLines = 0;
  W.de += 2;
  if (W.members && member) W.members->push_back(W.de);
}

// The two D records of the current entity; then the next entity's P pointer.
// Members of a 308 and matrices of an instance are physically dependent.
void EndEntity(int type, const std::string& form = "", const std::string& matrix = "0",
               const std::string& label = "", bool dependent = false) {
  const std::string status = W.members || dependent ? "00010000" : "00000000";
  // Field 3, the structure, is 0: no entity of ours defines its own structure.
  WriteTextLine(Record(Field(IntToText(type)) + Field(IntToText(W.pd)) + Field("0") +
                           Field(IntToText(W.lineFont)) + Field(IntToText(W.colour)) + Field("") +
                           Field(matrix) + Field("") + Field(status),
                       'D', ++W.d));
  WriteTextLine(Record(Field(IntToText(type)) + Field(IntToText(kLineWeight)) + Field(IntToText(W.colour)) +
                           Field(IntToText(W.pdLines)) + Field(form) + Field("") + Field("") +
                           Field(label.substr(0, kBlockNameWidth)) + Field(""),
                       'D', ++W.d));
  W.pd += W.pdLines;
}

// Entity writers ------------------------------------------------------------

void LineEntity(Extended x1, Extended y1, Extended x2, Extended y2) {
  // Readers refuse a line whose ends coincide in the written resolution.
  if (Coord(x1) == Coord(x2) && Coord(y1) == Coord(y2)) return;
  BeginEntity();
  WriteParameters("110," + Coord(x1) + "," + Coord(y1) + ",0.0," + Coord(x2) + "," + Coord(y2) +
                  ",0.0;");
  EndEntity(110);
}

void ArcEntity(Extended xc, Extended yc, Extended xs, Extended ys, Extended xe, Extended ye) {
  BeginEntity();
  WriteParameters("100,0.0," + Coord(xc) + "," + Coord(yc) + "," + Coord(xs) + "," + Coord(ys) +
                  "," + Coord(xe) + "," + Coord(ye) + ";");
  EndEntity(100);
}

void CopiousEntity(const Extended v[8]) {
  BeginEntity();
  WritePLine("106,1,5,0.0," + Coord(v[0]) + "," + Coord(v[1]) + ",");
  WritePLine(Coord(v[6]) + "," + Coord(v[7]) + ",");
  WritePLine(Coord(v[4]) + "," + Coord(v[5]) + ",");
  WritePLine(Coord(v[2]) + "," + Coord(v[3]) + ",");
  WritePLine(Coord(v[0]) + "," + Coord(v[1]) + ";");
  EndEntity(106, "11");
}

// A note never belongs to a 308: readers that turn the file into geometry
// fail on annotation inside a subfigure.
void NoteEntity(const std::string& text, Extended x, Extended y, Extended height, Extended widthFactor,
                Extended angle) {
  const std::string t = IgesText(text);
  const Extended nc = static_cast<Extended>(t.size());
  std::vector<int>* members = W.members;
  W.members = nullptr;
  BeginEntity();
  WriteParameters("212,1," + IntToText(static_cast<long long>(t.size())) + "," +
                  Coord(nc * height * widthFactor) + "," + Coord(height) + ",1,," +
                  Term(angle * 3.14159265358979323846L / 180) + ",0,0," + Coord(x) + "," + Coord(y) + ",0.0,");
  // The string fills whole P lines: a break elsewhere would pad it with blanks.
  const std::string value = Hollerith(t) + ";";
  for (std::size_t i = 0; i < value.size(); i += kParameterWidth) WritePLine(value.substr(i, kParameterWidth));
  EndEntity(212);
  W.members = members;
}

// The instance of a written 308 (de) by a similarity: the 408 scales, a 124
// before it turns and moves.
void InstanceEntity(int de, const Affine& t) {
  const Extended scale = std::sqrt(t.a * t.a + t.c * t.c);
  const Extended c = scale > 0 ? t.a / scale : 1, s = scale > 0 ? t.c / scale : 0;
  if (s == 0 && c > 0) {
    BeginEntity();
    WriteParameters("408," + IntToText(de) + "," + Coord(t.tx) + "," + Coord(t.ty) + ",0.0," + Term(scale) + ";");
    EndEntity(408);
    return;
  }
  BeginEntity(false);  // the matrix belongs to the instance, not to a 308
  WritePLine("124," + Term(c) + "," + Term(-s) + ",0.0," + Coord(t.tx) + ",");
  WritePLine(Term(s) + "," + Term(c) + ",0.0," + Coord(t.ty) + ",");
  WritePLine("0.0,0.0,1.0,0.0;");
  EndEntity(124, "0", "0", "", true);
  const int matrix = W.de;
  BeginEntity();
  WriteParameters("408," + IntToText(de) + ",0.0,0.0,0.0," + Term(scale) + ";");
  EndEntity(408, "", IntToText(matrix));
}

// Blocks --------------------------------------------------------------------

IgesBlock* BlockNamed(const std::string& name) {
  const std::string key = name.substr(0, kBlockNameWidth);
  for (IgesBlock& b : W.blocks)
    if (b.name == key) return &b;
  return nullptr;
}

// Writes a primitive with its own colour and line font.
struct StyleOf {
  int colour, lineFont;
  explicit StyleOf(const IgesPrimitive& p) : colour(W.colour), lineFont(W.lineFont) {
    W.colour = p.colour;
    W.lineFont = p.lineFont;
  }
  ~StyleOf() {
    W.colour = colour;
    W.lineFont = lineFont;
  }
};

void WriteBlockDefinition(IgesBlock& block);
void WriteSubfigureEntity(const std::string& name, const std::vector<int>& members);

// The geometry of a block mapped by t; notes are left to WriteNotes. Arcs
// under an uneven scale become chains of short lines.
void WriteGeometry(IgesBlock& block, const Affine& t) {
  block.writing = true;
  for (const IgesPrimitive& p : block.items) {
    const StyleOf style(p);
    Extended m[8];
    for (int i = 0; i < 4; ++i) t.Map(p.v[2 * i], p.v[2 * i + 1], m[2 * i], m[2 * i + 1]);
    switch (p.kind) {
      case IgesPrimitive::kLine: LineEntity(m[0], m[1], m[2], m[3]); break;
      case IgesPrimitive::kCopious: CopiousEntity(m); break;
      case IgesPrimitive::kArc:
        if (t.Similar()) {
          ArcEntity(m[0], m[1], m[2], m[3], m[4], m[5]);
        } else {
          const Extended r = std::hypot(p.v[2] - p.v[0], p.v[3] - p.v[1]);
          const Extended a1 = std::atan2(p.v[3] - p.v[1], p.v[2] - p.v[0]);
          Extended a2 = std::atan2(p.v[5] - p.v[1], p.v[4] - p.v[0]);
          while (a2 <= a1) a2 += 2 * 3.14159265358979323846L;
          const int steps = static_cast<int>(std::ceil((a2 - a1) / 0.0872664626L));  // 5 degrees
          Extended x0 = m[2], y0 = m[3];
          for (int i = 1; i <= steps; ++i) {
            const Extended a = a1 + (a2 - a1) * i / steps;
            Extended x = 0, y = 0;
            t.Map(p.v[0] + r * std::cos(a), p.v[1] + r * std::sin(a), x, y);
            LineEntity(x0, y0, x, y);
            x0 = x;
            y0 = y;
          }
        }
        break;
      case IgesPrimitive::kInsert: {
        IgesBlock* inner = BlockNamed(p.text);
        if (!inner || inner->writing) break;  // reported where it was inserted
        const Affine own = InsertTransform(p.v[0], p.v[1], p.v[2], p.v[3], p.v[4]);
        // Inside a 308 an unscaled insert is an instance of its own 308;
        // otherwise its geometry is written in place.
        if (W.members && Unscaled(p.v[3], p.v[4])) {
          WriteBlockDefinition(*inner);
          if (inner->de > 0) InstanceEntity(inner->de, own);
        } else {
          WriteGeometry(*inner, t.Then(own));
        }
        break;
      }
      case IgesPrimitive::kNote: break;
    }
  }
  block.writing = false;
}

// The notes of a block and of the blocks it inserts, mapped by t.
void WriteNotes(IgesBlock& block, const Affine& t) {
  block.writing = true;
  const Extended xs = std::hypot(t.a, t.c), ys = std::hypot(t.b, t.d);
  const Extended turn = std::atan2(t.c, t.a) * 180 / 3.14159265358979323846L;
  for (const IgesPrimitive& p : block.items) {
    if (p.kind == IgesPrimitive::kNote) {
      const StyleOf style(p);
      Extended x = 0, y = 0;
      t.Map(p.v[0], p.v[1], x, y);
      NoteEntity(p.text, x, y, p.height * ys, ys > 0 ? p.widthFactor * xs / ys : p.widthFactor, p.angle + turn);
    } else if (p.kind == IgesPrimitive::kInsert) {
      IgesBlock* inner = BlockNamed(p.text);
      if (inner && !inner->writing) WriteNotes(*inner, t.Then(InsertTransform(p.v[0], p.v[1], p.v[2], p.v[3], p.v[4])));
    }
  }
  block.writing = false;
}

// The 308 of a block with its geometry as members, once; a block without
// geometry gets none.
void WriteBlockDefinition(IgesBlock& block) {
  if (block.de > 0 || block.writing) return;
  if (block.items.empty()) return;
  std::vector<int> members;
  std::vector<int>* outer = W.members;
  W.members = &members;
  WriteGeometry(block, Affine());
  W.members = nullptr;  // the 308 itself belongs to no other 308
  if (members.empty()) {
    W.members = outer;
    return;
  }
  WriteSubfigureEntity(block.name, members);
  W.members = outer;
  block.de = W.de;
}

// A 308 of the given members (DE pointers, at least one), labelled with the name.
void WriteSubfigureEntity(const std::string& name, const std::vector<int>& members) {
  BeginEntity();
  const std::string head = "308,0," + Hollerith(name) + "," + IntToText(static_cast<long long>(members.size()));
  WritePLine(head + ",");
  for (std::size_t i = 0; i < members.size(); i += 12) {
    std::string line;
    for (std::size_t j = i; j < members.size() && j < i + 12; ++j) line += IntToText(members[j]) + ",";
    if (i + 12 >= members.size()) line.back() = ';';
    WritePLine(line);
  }
  EndEntity(308, "", "0", name);
}

// Adds a primitive to the block being defined; false outside a block.
bool KeepInBlock(IgesPrimitive p) {
  if (W.recording < 0) return false;
  p.colour = W.colour;
  p.lineFont = W.lineFont;
  W.blocks[static_cast<std::size_t>(W.recording)].items.push_back(std::move(p));
  return true;
}

std::string TwoDigits(int n) { return IntToTextZeros(n % 100, 2); }

}  // namespace

std::string IgesText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u == 241) {
      out += "+-";  // the IGES spelling of the plus-minus sign
    } else if (const std::string t = TranscribeText(std::string_view(&c, 1)); t.size() != 1 || t[0] != c) {
      out += t;
    } else if (u < 32 || u == 127) {
      out += ' ';  // a line break would end the P record in the middle of the string
    } else {
      out += u < 128 ? c : '?';
    }
  }
  return out;
}

std::string Hollerith(const std::string& text) { return IntToText(static_cast<long long>(text.size())) + "H" + text; }

std::vector<std::string> SplitIgesParameters(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    if (text.size() - start <= kParameterWidth) {
      lines.push_back(text.substr(start));
      break;
    }
    // Break after the last delimiter that still fits; a long text without one is cut.
    std::size_t cut = text.find_last_of(",;", start + kParameterWidth - 1);
    std::size_t len = cut != std::string::npos && cut >= start ? cut - start + 1 : kParameterWidth;
    lines.push_back(text.substr(start, len));
    start += len;
  }
  return lines;
}

bool OpenIgesTempFile() {
  TempFile.Assign(TempFileName());
  if (TempFile.Rewrite(platform::ReplaceSync::Derived)) return true;
  ReportFileError("Cannot create file " + TempFileName());
  AbortFlag = 1;
  return false;
}

void DiscardIgesTempFile() {
  TempFile.CloseQuiet();
  DeleteTextFile(TempFileName());
}

void WriteIgesStartGlobal(const std::string& baseName, Extended maxCoordinate) {
  InitIgesWriter();
  WriteS("IGES-Datei generiert von " + ProgShortName);
  WriteS(ProgShortName + " IGES writer, version " + ProgVersion);
  // The file name (the file system's UTF-8) in ASCII as the drawing's texts
  // are, control characters as blanks; only what does not fit into the 72
  // columns of the records that hold it is cut.
  std::string base = IgesText(Utf8ToOem(baseName));
  const auto fileRecord = [](const std::string& name) {
    return ",," + Hollerith("FILE") + "," + Hollerith(name) + "," + Hollerith(ProgShortName + " V" + ProgVersion) +
           ",,";
  };
  const auto receiverRecord = [](const std::string& name) {
    return Hollerith(name) + ",1.0,2," + Hollerith("MM") + ",32767,3.2767D1,";
  };
  while (!base.empty() && (fileRecord(base).size() > kDataWidth || receiverRecord(base).size() > kDataWidth))
    base.pop_back();
  WriteG(fileRecord(base));
  WriteG("16,38,6,99,15,");
  WriteG(receiverRecord(base));
  const ClockReading now = ClockNow();
  const std::string date = TwoDigits(now.Year) + TwoDigits(now.Month) + TwoDigits(now.Day);
  const Word savedComma = DecimalCommaMode;
  DecimalCommaMode = 1;  // a decimal comma would end the parameter
  const std::string maxText = FloatToText(maxCoordinate);
  DecimalCommaMode = savedComma;
  WriteG(Hollerith(date + "." + "081107") + ",1.0D-8," + maxText + ",");
  WriteG(Hollerith(ProgShortName + " user") + "," + Hollerith(ProgShortName) + ",4,0;");
}

void WriteIgesLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  IgesPrimitive p;
  p.kind = IgesPrimitive::kLine;
  p.v[0] = x1, p.v[1] = y1, p.v[2] = x2, p.v[3] = y2;
  if (!KeepInBlock(p)) LineEntity(x1, y1, x2, y2);
}

void WriteIgesArc(Extended xc, Extended yc, Extended xs, Extended ys, Extended xe, Extended ye) {
  IgesPrimitive p;
  p.kind = IgesPrimitive::kArc;
  p.v[0] = xc, p.v[1] = yc, p.v[2] = xs, p.v[3] = ys, p.v[4] = xe, p.v[5] = ye;
  if (!KeepInBlock(p)) ArcEntity(xc, yc, xs, ys, xe, ye);
}

void WriteIgesCircle(Extended x, Extended y, Extended r) {
  WriteIgesArc(x, y, x + r, y, x + r, y);
}

void WriteIgesCopious(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                      Extended y3, Extended x4, Extended y4) {
  IgesPrimitive p;
  p.kind = IgesPrimitive::kCopious;
  const Extended v[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
  std::copy(v, v + 8, p.v);
  if (!KeepInBlock(p)) CopiousEntity(p.v);
}

void WriteIgesNote(const std::string& text, Extended x, Extended y) {
  const auto& s = CadState;
  IgesPrimitive p;
  p.kind = IgesPrimitive::kNote;
  p.v[0] = x, p.v[1] = y;
  p.text = text;
  p.height = s.CadTextHeight;
  p.widthFactor = s.CadTextWidthFactor;
  p.angle = s.CadTextAngle;
  if (!KeepInBlock(p)) NoteEntity(text, x, y, p.height, p.widthFactor, p.angle);
}

void BeginIgesSubfigure(const std::string& name) {
  IgesBlock block;
  block.name = name.substr(0, kBlockNameWidth);
  W.blocks.push_back(std::move(block));
  W.recording = static_cast<int>(W.blocks.size()) - 1;
}

void WriteIgesSubfigure() { W.recording = -1; }

int FindIgesBlock(const std::string& name) {
  const std::string key = name.substr(0, kBlockNameWidth);
  for (std::size_t i = 0; i < W.blocks.size(); ++i)
    if (W.blocks[i].name == key) return static_cast<int>(i) + 1;
  AddErrorMessage("Blockname " + name + " not found !");
  return 0;
}

void WriteIgesInstance(const std::string& name, Extended x, Extended y, Extended angle,
                       Extended xscale, Extended yscale) {
  int index = FindIgesBlock(name);
  if (index == 0 && W.recording < 0) {
    // The instance of an unknown block (reported above) is still written, of
    // a 308 of that name holding only a point at its base: readers refuse a
    // 308 without members.
    IgesBlock unknown;
    unknown.name = name.substr(0, kBlockNameWidth);
    W.blocks.push_back(std::move(unknown));
    index = static_cast<int>(W.blocks.size());
    std::vector<int> members;
    W.members = &members;
    BeginEntity();
    WriteParameters("116,0.0,0.0,0.0,0;");
    EndEntity(116);
    W.members = nullptr;
    WriteSubfigureEntity(W.blocks.back().name, members);
    W.blocks.back().de = W.de;
  }
  IgesPrimitive p;
  p.kind = IgesPrimitive::kInsert;
  p.text = name;
  const Extended v[5] = {x, y, angle, xscale, yscale};
  std::copy(v, v + 5, p.v);
  if (index == 0 || KeepInBlock(p)) return;
  IgesBlock& block = W.blocks[static_cast<std::size_t>(index - 1)];
  const Affine t = InsertTransform(x, y, angle, xscale, yscale);
  if (Unscaled(xscale, yscale)) {
    WriteBlockDefinition(block);
    if (block.de > 0) InstanceEntity(block.de, t);
  } else {
    WriteGeometry(block, t);
  }
  WriteNotes(block, t);
}

void SetIgesColor(int n) {
  const auto& s = CadState;
  if (n >= 0 && n <= 5 && s.CadLayerMode == 0) {
    W.colour = MapColour(n >= 1 ? s.CadLayerColors[static_cast<std::size_t>(n)] : 7);
    W.lineFont = n == 1 ? 4 : n == 2 ? 2 : 1;
  } else if (s.CadLayerMode != 0 || n < 16 || n > 31) {
    W.colour = MapColour(n % 16 + 1);
    if (s.CadLayerMode == 0) W.lineFont = 1;
  } else {
    W.colour = MapColour(s.CadPenColors[static_cast<std::size_t>(n - 16)]);
    W.lineFont = 1;
  }
}

void CloseIgesFile() {
  // The P records are appended only when all of them were written: the
  // drawing file is stored whole or not at all.
  if (!TempFile.Close()) AbortFlag = 1;
  TTextFile in;
  in.Assign(TempFileName());
  if (!AbortFlag && in.Reset()) {
    std::string line;
    while (!AbortFlag && in.ReadLine(line)) WriteTextLine(line);
    if (in.Failed()) ReportFileError("Read error on file " + TempFileName());
    in.CloseQuiet();
  } else if (!AbortFlag) {
    ReportFileError("Cannot open file " + TempFileName());
  }
  WriteTextLine(Record("S" + IntToTextZeros(W.s, 7) + "G" + IntToTextZeros(W.g, 7) + "D" +
                           IntToTextZeros(W.d, 7) + "P" + IntToTextZeros(W.p, 7),
                       'T', 1));
  CloseUnlessAborted(TextFileVar);
  DeleteTextFile(TempFileName());
}

void InitIgesWriter() { W = IgesWriterState(); }
