#include "cad/iges_writer.h"

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
constexpr std::size_t kBlockNameWidth = 8;

// Palette index 0..15 to IGES colour number.
constexpr int kColourMap[16] = {0, 2, 5, 3, 7, 4, 6, 0, 8, 10, 11, 12, 13, 14, 15, 1};

struct IgesBlock {
  int de = 0;        // DE pointer of the block's 308 entity
  std::string name;  // cut to 8 characters
};

struct IgesWriterState {
  int s = 0, g = 0, d = 0, p = 0;
  int de = -1;       // first D line of the current entity
  int pd = 1;        // first P line of the next entity
  int pdLines = 0;   // P lines of the current entity
  int colour = 0;
  int lineFont = 1;
  bool inSubfigure = false;
  std::vector<int> members;  // DE pointers of the block being defined
  std::vector<IgesBlock> blocks;
};

IgesWriterState W;
TTextFile TempFile;

std::string TempFileName() { return AddBackslash(platform::ProcessTempDir()) + "ZUZIZURI.$$$"; }

// Palette index to IGES colour; indexes beyond the palette wrap into it.
int MapColour(int index) { return kColourMap[((index % 16) + 16) % 16]; }

// A value that is no number would make the file unreadable: it is written as 0.
std::string Coord(Extended x) { return FloatToTextWidth(0, 3, std::isfinite(x) ? x : 0); }
std::string Term(Extended x) { return FloatToTextWidth(0, 6, std::isfinite(x) ? x : 0); }

std::string Record(const std::string& text, char section, int seq) {
  return PadRight(text, 72) + section + IntToTextZeros(seq, 7);
}

std::string Field(const std::string& text) { return PadRight(text, 8); }

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

// Starts an entity: its DE pointer, and its place in the block being defined.
void BeginEntity(bool member = true) {
  W.pdLines = 0;
  W.de += 2;
  if (W.inSubfigure && member) W.members.push_back(W.de);
}

// The two D records of the current entity; then the next entity's P pointer.
void EndEntity(int type, const std::string& form = "", const std::string& matrix = "0",
               const std::string& label = "", bool dependent = false) {
  const std::string status = W.inSubfigure || dependent ? "00010000" : "00000000";
  WriteTextLine(Record(Field(IntToText(type)) + Field(IntToText(W.pd)) + Field("1") +
                           Field(IntToText(W.lineFont)) + Field(IntToText(W.colour)) + Field("") +
                           Field(matrix) + Field("") + Field(status),
                       'D', ++W.d));
  WriteTextLine(Record(Field(IntToText(type)) + Field("") + Field(IntToText(W.colour)) +
                           Field(IntToText(W.pdLines)) + Field(form) + Field("") + Field("") +
                           Field(label.substr(0, kBlockNameWidth)) + Field(""),
                       'D', ++W.d));
  W.pd += W.pdLines;
}

std::string TwoDigits(int n) { return IntToTextZeros(n % 100, 2); }

}  // namespace

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
  if (TempFile.Rewrite()) return true;
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
  // A long file name is cut so that the first global record keeps its 72 columns.
  const std::string base = baseName.substr(0, 24);
  WriteG(",," + Hollerith("FILE") + "," + Hollerith(base) + "," +
         Hollerith(ProgShortName + " V" + ProgVersion) + ",,");
  WriteG("16,38,6,99,15,");
  WriteG(Hollerith(base) + ",1.0,2," + Hollerith("MM") + ",32767,3.2767D1,");
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
  BeginEntity();
  WriteParameters("110," + Coord(x1) + "," + Coord(y1) + ",0.0," + Coord(x2) + "," + Coord(y2) +
                  ",0.0;");
  EndEntity(110);
}

void WriteIgesArc(Extended xc, Extended yc, Extended xs, Extended ys, Extended xe, Extended ye) {
  BeginEntity();
  WriteParameters("100,0.0," + Coord(xc) + "," + Coord(yc) + "," + Coord(xs) + "," + Coord(ys) +
                  "," + Coord(xe) + "," + Coord(ye) + ";");
  EndEntity(100);
}

void WriteIgesCircle(Extended x, Extended y, Extended r) {
  WriteIgesArc(x, y, x + r, y, x + r, y);
}

void WriteIgesCopious(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                      Extended y3, Extended x4, Extended y4) {
  BeginEntity();
  WritePLine("106,1,5,0.0," + Coord(x1) + "," + Coord(y1) + ",");
  WritePLine(Coord(x4) + "," + Coord(y4) + ",");
  WritePLine(Coord(x3) + "," + Coord(y3) + ",");
  WritePLine(Coord(x2) + "," + Coord(y2) + ",");
  WritePLine(Coord(x1) + "," + Coord(y1) + ";");
  EndEntity(106, "11");
}

void WriteIgesNote(const std::string& text, Extended x, Extended y) {
  // A line break would end the P record in the middle of the string.
  std::string t = UmlautModeText(text);
  for (char& c : t)
    if (c == '\r' || c == '\n') c = ' ';
  const auto& s = CadState;
  const Extended nc = static_cast<Extended>(t.size());
  BeginEntity();
  WriteParameters("212,1," + IntToText(static_cast<long long>(t.size())) + "," +
                  Coord(nc * s.CadTextHeight * s.CadTextWidthFactor) + "," +
                  Coord(s.CadTextHeight) + ",1,," + Term(s.CadTextAngle * 3.14159265358979323846L / 180) +
                  ",0,0," + Coord(x) + "," + Coord(y) + ",0.0,");
  WriteParameters(Hollerith(t) + ";");
  EndEntity(212);
}

void BeginIgesSubfigure(const std::string& name) {
  W.blocks.push_back({0, name.substr(0, kBlockNameWidth)});
  W.inSubfigure = true;
  W.members.clear();
}

void WriteIgesSubfigure() {
  W.inSubfigure = false;
  if (W.blocks.empty()) return;  // an end without a begin
  IgesBlock& block = W.blocks.back();
  const std::vector<int> members = W.members;
  W.members.clear();
  BeginEntity(false);
  const std::string head =
      "308,0," + Hollerith(block.name) + "," + IntToText(static_cast<long long>(members.size()));
  if (members.empty()) {
    WritePLine(head + ";");
  } else {
    WritePLine(head + ",");
    for (std::size_t i = 0; i < members.size(); i += 12) {
      std::string line;
      for (std::size_t j = i; j < members.size() && j < i + 12; ++j)
        line += IntToText(members[j]) + ",";
      if (i + 12 >= members.size()) line.back() = ';';
      WritePLine(line);
    }
  }
  EndEntity(308, "", "0", block.name);
  block.de = W.de;
}

int FindIgesBlock(const std::string& name) {
  const std::string key = name.substr(0, kBlockNameWidth);
  for (std::size_t i = 0; i < W.blocks.size(); ++i)
    if (W.blocks[i].name == key) return static_cast<int>(i) + 1;
  AddErrorMessage("Blockname " + name + " not found !");
  return 0;
}

void WriteIgesInstance(const std::string& name, Extended x, Extended y, Extended angle) {
  const int index = FindIgesBlock(name);
  const int de = index > 0 ? W.blocks[static_cast<std::size_t>(index - 1)].de : 0;
  if (angle == 0) {
    BeginEntity();
    WriteParameters("408," + IntToText(de) + "," + Coord(x) + "," + Coord(y) + ",0.0,1.0;");
    EndEntity(408);
    return;
  }
  const Extended a = angle * 3.14159265358979323846L / 180;
  const Extended c = std::cos(a), s = std::sin(a);
  // The matrix belongs to the instance, not to the block being defined.
  BeginEntity(false);
  WritePLine("124," + Term(c) + "," + Term(-s) + ",0.0," + Coord(x) + ",");
  WritePLine(Term(s) + "," + Term(c) + ",0.0," + Coord(y) + ",");
  WritePLine("0.0,0.0,1.0,0.0;");
  EndEntity(124, "0", "0", "", true);
  const int matrix = W.de;
  BeginEntity();
  WriteParameters("408," + IntToText(de) + ",0.0,0.0,0.0,1.0;");
  EndEntity(408, "", IntToText(matrix));
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
  TempFile.Close();
  TTextFile in;
  in.Assign(TempFileName());
  if (in.Reset()) {
    std::string line;
    while (in.ReadLine(line)) WriteTextLine(line);
    if (in.Failed()) AbortFlag = 1;
    in.CloseQuiet();
  } else {
    AbortFlag = 1;
  }
  WriteTextLine(Record("S" + IntToTextZeros(W.s, 7) + "G" + IntToTextZeros(W.g, 7) + "D" +
                           IntToTextZeros(W.d, 7) + "P" + IntToTextZeros(W.p, 7),
                       'T', 1));
  TextFileVar.Close();
  DeleteTextFile(TempFileName());
}

void InitIgesWriter() { W = IgesWriterState(); }
