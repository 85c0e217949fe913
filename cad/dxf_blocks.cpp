#include "cad/dxf_blocks.h"

#include <cmath>
#include <map>
#include <vector>

#include "cad/cad_output.h"
#include "cad/cad_screen.h"
#include "cad/dxf_writer.h"
#include "framework/file_utils.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/plane_geometry.h"
#include "framework/text_utils.h"

namespace {

struct Transform {
  int level;
  Extended x, y, angle, xscale, yscale;
};

Transform CurrentTransform() {
  const auto& s = CadState;
  return {s.CadInsertLevel, s.CadInsertX, s.CadInsertY, s.CadInsertAngle, s.CadInsertXScale,
          s.CadInsertYScale};
}

void SetTransform(const Transform& t) {
  auto& s = CadState;
  s.CadInsertLevel = t.level;
  s.CadInsertX = t.x;
  s.CadInsertY = t.y;
  s.CadInsertAngle = t.angle;
  s.CadInsertXScale = t.xscale;
  s.CadInsertYScale = t.yscale;
}

// A point of the block in drawing coordinates, as ScaleRotatePoint places
// it; the cosine and sine are kept for the angle of the last call.
void Map(Extended x, Extended y, Extended& X, Extended& Y) {
  const auto& s = CadState;
  static Extended angle = 0, cosine = 1, sine = 0;
  if (s.CadInsertAngle != angle) {
    angle = s.CadInsertAngle;
    const Extended a = DegToRad(angle);
    cosine = std::cos(a);
    sine = std::sin(a);
  }
  const Extended px = x * s.CadInsertXScale, py = y * s.CadInsertYScale;
  X = s.CadInsertX + px * cosine - py * sine;
  Y = s.CadInsertY + px * sine + py * cosine;
}

// The "too deep" report is given once per insert from a drawer, so a block
// that inserts itself does not flood the user with messages.
bool DepthReported = false;

// The blocks a drawing inserted but could not read, each once, with the
// reason, until ReportMissingBlocks names them.
struct MissingBlock {
  std::string name, reason;
};
std::vector<MissingBlock> MissingBlocks;

void NoteMissingBlock(const std::string& name, const std::string& reason) {
  AddErrorMessage("Invalid temp directory");
  for (const auto& missing : MissingBlocks)
    if (missing.name == name) return;
  MissingBlocks.push_back({name, reason});
}

std::string BlockNameText(const std::string& name) {
  return name.empty() ? std::string("A block without a name") : "Block \"" + name + "\"";
}

using Pair = TDxfPair;

// The blocks the screen keeps in memory, by the name of their block file.
std::map<std::string, std::vector<TDxfPair>> StoredBlocks;

std::string BlockKey(const std::string& name) { return CadBlockFileName(name); }

// The stored block of that name; like a block file, found whatever its case.
const std::vector<TDxfPair>* StoredBlock(const std::string& name) {
  if (StoredBlocks.empty()) return nullptr;
  const std::string key = BlockKey(name);
  const auto it = StoredBlocks.find(key);
  if (it != StoredBlocks.end()) return &it->second;
  for (const auto& [stored, pairs] : StoredBlocks)
    if (UpperCaseText(stored) == UpperCaseText(key)) return &pairs;
  return nullptr;
}

// One block of one level, read in group pairs from its file or from memory.
// A pair read stays valid until the next one is read.
class PairReader {
 public:
  explicit PairReader(TTextFile& file) : file_(&file) {}
  explicit PairReader(const std::vector<TDxfPair>& pairs) : pairs_(&pairs) {}
  // False at the end of the block or on a read error.
  bool Next(const Pair*& p) {
    if (pairs_) {
      if (next_ >= pairs_->size()) return false;
      p = &(*pairs_)[next_++];  // read in place: the stored blocks are not copied
      return true;
    }
    p = &read_;
    std::string codeLine;
    if (!file_->ReadLine(codeLine)) return false;
    if (!file_->ReadLine(read_.value) && file_->Failed()) return false;
    int code = 0;
    // A code that is no number is a damaged pair: skipped like any other non-zero code.
    read_.code = TryTextToInt(TrimRightText(codeLine), code) ? code : -1;
    return true;
  }

 private:
  TTextFile* file_ = nullptr;
  const std::vector<TDxfPair>* pairs_ = nullptr;
  std::size_t next_ = 0;
  Pair read_;  // the pair last read from the file
};

// Reads the groups of one entity up to the next pair with code 0, which is
// left in cur; false when the file ended first.
template <typename Handler>
bool ReadGroups(PairReader& in, const Pair*& cur, Handler handle) {
  for (;;) {
    if (!in.Next(cur)) return false;
    if (cur->code == 0) return true;
    handle(cur->code, *cur);
  }
}

// A real of a pair: read from its text, or as kept in memory.
Extended Real(const Pair& p) { return p.real ? p.number : TextToFloat(TrimRightText(p.value)); }

// Draws an arc of the block (centre, angles in degrees, radius) mapped.
void MappedArc(Extended x, Extended y, Extended a1, Extended a2, Extended r) {
  Extended X = 0, Y = 0;
  Map(x, y, X, Y);
  const Extended turn = CadState.CadInsertAngle;
  CadArc(X, Y, a1 + turn, a2 + turn, std::fabs(r * CadState.CadInsertXScale));
}

void MappedLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  Extended X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  Map(x1, y1, X1, Y1);
  Map(x2, y2, X2, Y2);
  CadLine(X1, Y1, X2, Y2);
}

// A polyline segment: straight, or the arc with the included angle (radians).
void Segment(Extended x1, Extended y1, Extended x2, Extended y2, Extended included) {
  if (included == 0) {
    MappedLine(x1, y1, x2, y2);
    return;
  }
  Extended xc = 0, yc = 0, a1 = 0, a2 = 0, r = 0;
  GetArcCenter(x1, y1, x2, y2, included, xc, yc, a1, a2, r);
  MappedArc(xc, yc, RadToDeg(a1), RadToDeg(a2), r);
}

struct Vertex {
  Extended x = 0, y = 0, included = 0;
  int colour = 0;
};

bool ReadVertex(PairReader& in, const Pair*& cur, Vertex& v) {
  return ReadGroups(in, cur, [&](int code, const Pair& value) {
    switch (code) {
      case 8: v.colour = LayerToColor(value.value); break;
      case 10: v.x = Real(value); break;
      case 20: v.y = Real(value); break;
      case 42: v.included = 4 * std::atan(Real(value)); break;
      default: break;
    }
  });
}

bool ReadPolyline(PairReader& in, const Pair*& cur) {
  int flags = 0;
  if (!ReadGroups(in, cur, [&](int code, const Pair& value) {
        if (code == 70) flags = TextToInt(TrimRightText(value.value));
      }))
    return false;
  if (cur->value != "VERTEX") {
    ShowTraceMessage("Error in DXF File");
    return true;
  }
  Vertex first, prev;
  int count = 0;
  while (cur->code == 0 && cur->value == "VERTEX") {
    Vertex v;
    const bool more = ReadVertex(in, cur, v);
    if (count == 0) {
      first = v;
    } else {
      CadSetColor(v.colour);
      Segment(prev.x, prev.y, v.x, v.y, prev.included);
    }
    prev = v;
    ++count;
    if (!more) return false;
  }
  if (count > 1 && flags == 1) Segment(prev.x, prev.y, first.x, first.y, 0);
  if (cur->value == "SEQEND") return ReadGroups(in, cur, [](int, const Pair&) {});
  return true;
}

// The block's entities; returns when the file or its EOF pair is reached,
// or when AbortFlag is set.
void ReplayEntities(PairReader& in) {
  const Pair* cur = nullptr;
  if (!in.Next(cur)) return;
  int colour = 0;  // colour of the entity read before
  for (;;) {
    if (cur->code != 0) {
      if (!in.Next(cur)) return;
      continue;
    }
    const std::string kind = TrimRightText(cur->value);
    if (kind == "EOF") return;
    bool more = true;
    if (kind == "LINE") {
      Extended v[4] = {0, 0, 0, 0};
      colour = 0;
      more = ReadGroups(in, cur, [&](int code, const Pair& value) {
        switch (code) {
          case 8: colour = LayerToColor(value.value); break;
          case 10: v[0] = Real(value); break;
          case 20: v[1] = Real(value); break;
          case 11: v[2] = Real(value); break;
          case 21: v[3] = Real(value); break;
          default: break;
        }
      });
      CadSetColor(colour);
      MappedLine(v[0], v[1], v[2], v[3]);
    } else if (kind == "CIRCLE" || kind == "ARC") {
      Extended x = 0, y = 0, r = 0, a1 = 0, a2 = 360;
      more = ReadGroups(in, cur, [&](int code, const Pair& value) {
        switch (code) {
          case 8: colour = LayerToColor(value.value); break;
          case 10: x = Real(value); break;
          case 20: y = Real(value); break;
          case 40: r = Real(value); break;
          case 50: a1 = Real(value); break;
          case 51: a2 = Real(value); break;
          default: break;
        }
      });
      CadSetColor(colour);
      if (kind == "CIRCLE") {
        Extended X = 0, Y = 0;
        Map(x, y, X, Y);
        CadCircle(X, Y, std::fabs(r * CadState.CadInsertXScale));
      } else {
        MappedArc(x, y, a1, a2, r);
      }
    } else if (kind == "SOLID") {
      Extended v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
      more = ReadGroups(in, cur, [&](int code, const Pair& value) {
        if (code == 8) colour = LayerToColor(value.value);
        const int corner = code % 10, axis = code / 10;
        if ((axis == 1 || axis == 2) && corner <= 3) v[2 * corner + (axis - 1)] = Real(value);
      });
      CadSetColor(colour);
      Extended m[8];
      for (int i = 0; i < 4; ++i) Map(v[2 * i], v[2 * i + 1], m[2 * i], m[2 * i + 1]);
      CadSolid(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7]);
    } else if (kind == "TEXT") {
      Extended x = 0, y = 0, height = 3.5L, ratio = 1, angle = 0;
      std::string text;
      more = ReadGroups(in, cur, [&](int code, const Pair& value) {
        switch (code) {
          case 1: text = value.value; break;
          case 8: colour = LayerToColor(value.value); break;
          case 10: x = Real(value); break;
          case 20: y = Real(value); break;
          case 40: height = Real(value); break;
          case 41: ratio = Real(value); break;
          case 50: angle = Real(value); break;
          default: break;  // 51, the slant, is set by the style
        }
      });
      CadSetColor(colour);
      const auto& s = CadState;
      // The text turns with the whole insert chain, as its position does.
      CadSetTextStyle(2, angle + s.CadInsertAngle, height * s.CadInsertYScale,
                      height * ratio * s.CadInsertXScale);
      Extended X = 0, Y = 0;
      Map(x, y, X, Y);
      CadText(text, X, Y);
    } else if (kind == "INSERT") {
      std::string name;
      Extended x = 0, y = 0, xs = 1, ys = 1, angle = 0;
      int layerColour = colour;
      more = ReadGroups(in, cur, [&](int code, const Pair& value) {
        switch (code) {
          case 2: name = TrimRightText(value.value); break;
          case 8: layerColour = LayerToColor(value.value); break;
          case 10: x = Real(value); break;
          case 20: y = Real(value); break;
          case 41: xs = Real(value); break;
          case 42: ys = Real(value); break;
          case 50: angle = Real(value); break;
          default: break;
        }
      });
      const int before = CadState.CadColor;
      CadSetColor(layerColour);
      ReadDxfBlockFile(name, x, y, angle, xs, ys);
      CadSetColor(before);
    } else if (kind == "POLYLINE") {
      more = ReadPolyline(in, cur);
    } else {
      // Anything else (a stray VERTEX or SEQEND, an unknown entity) is skipped whole.
      more = ReadGroups(in, cur, [](int, const Pair&) {});
    }
    if (!more || AbortFlag) return;
  }
}

}  // namespace

int LayerToColor(const std::string& layer) {
  const std::string name = TrimRightText(layer);
  for (std::size_t i = 0; i < CadState.CadLayerNames.size(); ++i)
    if (CadState.CadLayerNames[i].view() == name) return static_cast<int>(i);
  const int n = TextToInt(name);
  return n < 0 ? 0 : n;
}

void ResetInsertTransform() {
  SetTransform({0, 0, 0, 0, 1, 1});
  DepthReported = false;
}

void ReadDxfBlockFile(const std::string& name, Extended x, Extended y, Extended angle,
                      Extended xscale, Extended yscale) {
  const Transform saved = CurrentTransform();
  Transform next = saved;
  next.level = saved.level + 1;
  Map(x, y, next.x, next.y);
  next.angle = saved.angle + angle;
  next.xscale = saved.xscale * xscale;
  next.yscale = saved.yscale * yscale;
  if (next.level > kMaxBlockInsertLevel) {
    if (!DepthReported) ShowTraceMessage("error blockno." + IntToText(next.level));
    DepthReported = true;
    return;
  }
  if (const auto* pairs = StoredBlock(name)) {
    SetTransform(next);
    PairReader in(*pairs);
    ReplayEntities(in);
    SetTransform(saved);
    return;
  }
  // A block that cannot be read is left out and named; the drawing goes on.
  TTextFile file;
  const std::string path = CadBlockFileName(name);
  file.Assign(path);
  if (ScreenBlockFileGone(path)) {
    NoteMissingBlock(name, "file " + path + " not found or no access !");
    return;
  }
  if (!file.Reset()) {
    NoteMissingBlock(name, file.ResetRefusal());
    return;
  }
  SetTransform(next);
  PairReader in(file);
  ReplayEntities(in);
  file.CloseQuiet();
  SetTransform(saved);
}

namespace {

// Emptied lists of blocks gone, with their room, for the blocks of the next drawing.
std::vector<std::vector<TDxfPair>> SpareLists;
constexpr std::size_t kMaxSpareLists = 64;

void Spare(std::vector<TDxfPair>&& pairs) {
  if (SpareLists.size() >= kMaxSpareLists || pairs.capacity() == 0) return;
  pairs.clear();
  SpareLists.push_back(std::move(pairs));
}

}  // namespace

void StoreBlock(const std::string& name, std::vector<TDxfPair> pairs) {
  auto& stored = StoredBlocks[BlockKey(name)];
  Spare(std::move(stored));
  stored = std::move(pairs);
}

bool TakeStoredBlock(const std::string& path, std::vector<TDxfPair>& pairs) {
  const auto it = StoredBlocks.find(path);
  if (it == StoredBlocks.end()) return false;
  Spare(std::move(pairs));
  pairs = std::move(it->second);
  StoredBlocks.erase(it);
  return true;
}

void ClearStoredBlocks() {
  for (auto& [key, pairs] : StoredBlocks) Spare(std::move(pairs));
  StoredBlocks.clear();
}

std::vector<TDxfPair> TakeSparePairList() {
  if (SpareLists.empty()) return {};
  std::vector<TDxfPair> pairs = std::move(SpareLists.back());
  SpareLists.pop_back();
  return pairs;
}

bool BlockAvailable(const std::string& name) {
  const std::string file = CadBlockFileName(name);
  // A file that is no regular file counts, so that its insert names it.
  return StoredBlock(name) != nullptr || (!ScreenBlockFileGone(file) && ProgramFileThere(file));
}

std::string MissingBlocksText() {
  if (MissingBlocks.empty()) return {};
  constexpr std::size_t kNamed = 8;
  std::string text;
  for (std::size_t i = 0; i < MissingBlocks.size() && i < kNamed; ++i)
    text += BlockNameText(MissingBlocks[i].name) + " is missing: " + MissingBlocks[i].reason + "\n";
  const std::size_t count = MissingBlocks.size();
  if (count > kNamed) text += "and " + IntToText(static_cast<long long>(count - kNamed)) + " blocks more.\n";
  return text + (count == 1 ? "The drawing is shown without it." : "The drawing is shown without them.");
}

void ReportMissingBlocks() {
  const std::string text = MissingBlocksText();
  MissingBlocks.clear();
  if (text.empty()) return;
  const Byte keptAbort = AbortFlag;
  ShowError(text);
  AbortFlag = keptAbort;
}

void ForgetMissingBlocks() { MissingBlocks.clear(); }
