#include "cad/cad_output.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cad/cad_listing.h"
#include "cad/cad_screen.h"
#include "cad/dxf_blocks.h"
#include "cad/dxf_writer.h"
#include "cad/iges_writer.h"
#include "cad/plot_handoff.h"
#include "cad/text_keep_out.h"
#include "framework/charset.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/plane_geometry.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

bool BlockBegun = false;  // CadBeginBlock began a block that CadEndBlock has to end
bool BorderPending = false;  // the plot drawing's border waits for the entities section

// The lines written to the current block or entity section of a file, by
// layer, colour and written ends in either direction: drawers that meet on
// a common edge draw it twice, and a file holds it once.
std::unordered_set<std::string> WrittenLines;

// True when the line was already written in this section, or when its ends
// coincide as a file writes them (readers refuse such a line); records it
// otherwise.
bool RepeatedLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  std::string a = DxfRealText(x1) + "," + DxfRealText(y1), b = DxfRealText(x2) + "," + DxfRealText(y2);
  if (a == b) return true;
  if (b < a) std::swap(a, b);
  const auto& s = CadState;
  return !WrittenLines.insert(std::string(s.CadLayer.view()) + "|" + std::to_string(s.CadColor) + "|" + a + "|" + b)
              .second;
}

// The polyline being written to a file: its straight edges count as written
// lines, so that a line drawn again along one is not written twice.
struct TPolylineEdges {
  bool closed = false;
  bool first = true;  // no vertex yet
  Extended firstX = 0, firstY = 0, lastX = 0, lastY = 0, lastBulge = 0;
};
TPolylineEdges PolylineEdges;

void PolylineVertexWritten(Extended x, Extended y, Extended bulge) {
  auto& p = PolylineEdges;
  if (p.first) {
    p.firstX = x;
    p.firstY = y;
  } else if (p.lastBulge == 0) {
    RepeatedLine(p.lastX, p.lastY, x, y);
  }
  p.first = false;
  p.lastX = x;
  p.lastY = y;
  p.lastBulge = bulge;
}

TCadState& S() { return CadState; }

// The border around the drawing window in colour 19, drawn with the state of
// the drawing's start; the state that follows is left as it was.
void DrawBorder() {
  BorderPending = false;
  const TCadState kept = CadState;
  const TCadWindow& w = CadState.CadWindow;
  CadSetOrigin(0, 0);
  CadSetColor(19);
  CadRectangle(w.xmin, w.ymin, w.xmax, w.ymax);
  CadState = kept;
}

Word Device() { return CadState.CadDevice; }

// DXF entities go to the file on the DXF and plot devices.
bool DxfDevice() { return Device() == kCadDxf || Device() == kCadPlotProgram; }

bool ScreenWindow() { return Device() == kCadScreen && !CadState.CadInBlockSection; }

const char* ExtensionOf(Word device) {
  switch (device) {
    case kCadDxf: return "dxf";
    case kCadIges: return "igs";
    default: return "txt";
  }
}

// What goes to the device while texts keep lines off (CadBeginTextKeepOut):
// each call's device part with the state it ran in, in order; a line as its
// ends, so that it can be cut at the texts' boxes. Calls in one state share
// one copy of it.
struct HeldCall {
  std::size_t state = 0;  // index into HeldStates
  std::function<void()> out;
  bool line = false;
  Extended x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
int KeepOutDepth = 0;
std::vector<HeldCall> Held;
std::vector<TCadState> HeldStates;
std::vector<TTextBox> HeldTextBoxes;
// The room the texts and filled areas held take, which later texts keep clear of.
std::vector<TTextBox> HeldFootprints;

// The bytes of CadState when it was last found equal to the last held copy.
// The same bytes again, the moving fields aside, mean that no field changed
// since, unless a text changed in place: far cheaper to see than comparing
// every field.
#if defined(__x86_64__)
static_assert(sizeof(TCadState) == 1328, "a new std::string field of TCadState joins CadStateStringsEqual");
#endif
std::array<unsigned char, sizeof(TCadState)> HeldBytes;

const unsigned char* BytesOf(const TCadState& s) { return reinterpret_cast<const unsigned char*>(&s); }

// Copies the moving fields of CadState (the current point, the polyline
// progress) into HeldBytes, so that a comparison passes over them.
void TakeMovingFields() {
  const auto take = [](const auto& field) {
    const auto at = static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&field) - BytesOf(CadState));
    std::memcpy(HeldBytes.data() + at, &field, sizeof field);
  };
  take(CadState.CadCurrentX);
  take(CadState.CadCurrentY);
  take(CadState.CadVertexCount);
  take(CadState.CadLastBulge);
}

// The index of the held copy of the current state: the last one when only
// the current point or the polyline progress moved since, which no device
// part reads; a new copy otherwise.
std::size_t HeldState() {
  if (!HeldStates.empty()) {
    TCadState& last = HeldStates.back();
    last.CadCurrentX = CadState.CadCurrentX;
    last.CadCurrentY = CadState.CadCurrentY;
    last.CadVertexCount = CadState.CadVertexCount;
    last.CadLastBulge = CadState.CadLastBulge;
    TakeMovingFields();
    if (std::memcmp(HeldBytes.data(), BytesOf(CadState), sizeof(TCadState)) == 0 &&
        CadStateStringsEqual(last, CadState))
      return HeldStates.size() - 1;
    if (last == CadState) {
      std::memcpy(HeldBytes.data(), BytesOf(CadState), sizeof(TCadState));
      return HeldStates.size() - 1;
    }
  }
  HeldStates.push_back(CadState);
  std::memcpy(HeldBytes.data(), BytesOf(CadState), sizeof(TCadState));
  return HeldStates.size() - 1;
}

// Runs a call's device part now, or holds it back with the state it reads.
void ToDevice(std::function<void()> out) {
  if (KeepOutDepth > 0)
    Held.push_back({HeldState(), std::move(out)});
  else
    out();
}

void ForgetHeldCalls() {
  KeepOutDepth = 0;
  Held.clear();
  HeldStates.clear();
  HeldTextBoxes.clear();
  HeldFootprints.clear();
}

}  // namespace

std::string CadBatchFileName(TCadDevice device) { return CadBatchFileName(device, CurrentFileName); }

std::string CadBatchFileName(TCadDevice device, const std::string& base) {
  // The listing keeps clear of the batch report x.txt of the same project.
  return base + "." + (device == kCadListing ? "lst" : ExtensionOf(device));
}

namespace {

// Opens CadFileName for writing on TextFileVar; a failure is reported.
bool OpenOutputFile() {
  TextFileVar.Assign(S().CadFileName);
  if (TextFileVar.Rewrite(platform::ReplaceSync::Derived)) return true;
  ReportFileError("Cannot create file " + S().CadFileName);
  AbortFlag = 1;
  return false;
}

// Settles CadFileName for the DXF, IGES and listing devices.
bool ChooseOutputFile() {
  const std::string ext = ExtensionOf(Device());
  if (CadBatchMode) {
    S().CadFileName = CadBatchFileName(Device());
    return true;
  }
  platform::FileDialogRequest request;
  // The CAD folder, else the project's own.
  request.directory = CadDir.empty() ? CurrentDir : CadDir;
  request.fileName = CurrentProjectName();
  request.patterns = {"*." + ext, "*.*"};
  std::string chosen;
  if (!platform::AskSaveFile(request, chosen) || TrimRightText(chosen).empty()) {
    AbortFlag = 1;
    S().CadFileName.clear();
    SetNormalCursor();
    return false;
  }
  if (!HasFileExtension(chosen, ext)) chosen += "." + ext;
  // The save dialog itself does not ask before an existing drawing is replaced.
  ConfirmOverwrite(chosen);
  if (AbortFlag) {
    S().CadFileName.clear();
    SetNormalCursor();
    return false;
  }
  S().CadFileName = chosen;
  return true;
}

void Origin(Extended& x, Extended& y) {
  x += CadState.CadOriginX;
  y += CadState.CadOriginY;
}

void DrawStamp() {
  const TCadWindow& w = S().CadWindow;
  // Small, in the bottom left corner: clear of the diagrams' axis labels.
  CadSetTextStyle(2, 0, 0.006L * w.height, 0.0045L * w.width);
  CadSetColor(30);
  // The file name is the file system's UTF-8; drawing texts are stored texts.
  std::string file = Utf8ToOem(CurrentFilePath());
  if (!file.empty()) file = ShortenText(file, 120);
  CadText(TodayText() + " " + TimeText() + " - " + "TOVIMAR " + ProgShortName + " V" +
              ProgVersion + " - " + file,
          w.xmin + 0.005L * w.width, w.ymin + 0.002L * w.height);
}

void InsertLogo(const char* name, Extended fx, Extended fy) {
  if (!BlockAvailable(name)) return;
  const TCadWindow& w = S().CadWindow;
  CadInsertBlock(name, w.xmin + fx * w.width, w.ymin + fy * w.height, 0, w.width / 480,
                 w.height / 360);
}

}  // namespace

std::string CadTempDir() {
  const std::string dir = AddBackslash(TempDir);
  return dir.empty() ? AddBackslash(platform::ProcessTempDir()) : dir;
}

std::string CadBlockFileName(const std::string& name) {
  // A block name names a file of the temporary directory and never a path out of it.
  std::string safe = name;
  for (char& c : safe)
    if (c == '/' || c == '\\' || c == '\0') c = '_';
  return CadTempDir() + "$" + safe + ".dx$";
}

// ---------------------------------------------------------------------------
// Opening and closing

void SetCadDevice(TCadDevice device) { S().CadDevice = device; }

void SelectCadDevice() {
  static const char* const kDevices[5] = {"DXF", "IGES", "Control Output to Screen",
                                          "VESKART - Send to Printer/Plotter", "TXT"};
  for (std::size_t i = 0; i < 5; ++i) ItemTexts[i + 1] = kDevices[i];
  SetHelpNo(2050);
  SelectCode("CAD Code", 5, S().CadDevice);
  if (AbortFlag || S().CadDevice != kCadPlotProgram) return;
  SelectPlotCommandLine();
}

void CadOpen(TCadDevice device, const std::string& /*name*/) {
  S().CadRequestedDevice = device;
  ForgetHeldCalls();
  ForgetMissingBlocks();
  BlockBegun = false;
  BorderPending = false;
  WrittenLines.clear();
  CadSetOrigin(0, 0);
  S().CadOutputMode = 0;
  if (device != kCadAskDevice)
    SetCadDevice(device);
  else
    SelectCadDevice();
  if (AbortFlag) return;
  switch (Device()) {
    case kCadScreen:
      GraphClear();
      SetWaitCursor();
      break;
    case kCadPlotProgram:
      S().CadFileName = CadTempDir() + "veskart.dxf";
      if (!OpenOutputFile()) return;
      break;
    case kCadDxf:
    case kCadIges:
    case kCadListing:
      if (!ChooseOutputFile()) return;
      // IGES first opens its temporary file, so that a failure there leaves
      // an existing drawing file untouched.
      if (Device() == kCadIges && !OpenIgesTempFile()) return;
      if (!OpenOutputFile()) {
        if (Device() == kCadIges) DiscardIgesTempFile();
        return;
      }
      break;
    default:
      break;
  }
  CadSetTextAlign(0, 0);
  CadSetLineSpacing(1.0L);
  CadSetScreenPen(0);
  CadSetScale(1.0L);
}

void CadClose(Byte /*flag*/) {
  switch (Device()) {
    case kCadDxf:
      WriteDxfEof();
      break;
    case kCadIges:
      CloseIgesFile();
      break;
    case kCadScreen:
      CloseScreenBlock();
      GraphClearViewPort();
      SetArrowCursor();
      EndScreenBlockFiles(CadTempDir());  // the stored blocks too
      ReportMissingBlocks();
      break;
    case kCadPlotProgram:
      // The plot program gets a drawing only when it was stored whole.
      if (WriteDxfEof())
        RunPlotCommandLine();
      else
        SetNormalCursor();
      break;
    case kCadListing:
      WriteTxtEof();
      break;
    default:
      break;
  }
  S().CadInBlockSection = 0;
}

// ---------------------------------------------------------------------------
// Sections

void CadBeginDrawing(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  S().CadWindow = {xmin, xmax, ymin, ymax, xmax - xmin, ymax - ymin};
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
      WriteDxfHeader(xmin, ymin, xmax, ymax);
      break;
    case kCadIges:
      WriteIgesStartGlobal(StripPathAndExt(S().CadFileName), FloatMax(xmax, ymax));
      break;
    case kCadScreen:
      GraphHeader(xmin, ymin, xmax, ymax);
      break;
    case kCadListing:
      WriteTxtMinMax(xmin, ymin, xmax, ymax);
      break;
    default:
      break;
  }
  if ((Device() == kCadScreen || Device() == kCadPlotProgram) && S().CadBorderOn) {
    CadSetColor(19);
    // A file holds its entities in the entities section: there the border
    // comes first (CadBeginEntities).
    if (Device() == kCadScreen)
      CadRectangle(xmin, ymin, xmax, ymax);
    else
      BorderPending = true;
  }
  if (Device() == kCadScreen) DrawStamp();
}

void CadWriteTables(Word variant) {
  if (DxfDevice()) WriteDxfTables(variant);
}

void CadBeginBlocks() {
  S().CadInBlockSection = 1;
  if (DxfDevice()) WriteDxfBlocksSection();
  if (Device() == kCadListing) WriteTxtBlocksSection();
}

void CadBeginBlock(const std::string& name) {
  if (AbortFlag) return;
  BlockBegun = true;
  WrittenLines.clear();
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
      WriteDxfBlock(name);
      break;
    case kCadIges:
      BeginIgesSubfigure(name);
      break;
    case kCadListing:
      WriteTxtBlock(name);
      break;
    case kCadScreen:
      BlockBegun = OpenScreenBlock(name);
      break;
    default:
      break;
  }
}

void CadEndBlock() {
  // A block that failed is left out and the drawing goes on. One that was
  // begun is still ended, so that the file keeps its structure.
  AbortFlag = 0;
  if (!BlockBegun) return;
  BlockBegun = false;
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
      WriteDxfEndBlk();
      break;
    case kCadIges:
      WriteIgesSubfigure();
      break;
    case kCadScreen:
      CloseScreenBlock();
      break;
    case kCadListing:
      WriteTxtEndBlock();
      break;
    default:
      break;
  }
}

void CadEndSection() {
  S().CadInBlockSection = 0;
  WrittenLines.clear();
  if (DxfDevice()) WriteDxfEndSec();
}

void CadBeginEntities() {
  WrittenLines.clear();
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
      WriteDxfEntitiesSection();
      if (BorderPending) DrawBorder();
      break;
    case kCadListing:
      WriteTxtEntitiesSection();
      break;
    case kCadScreen:
      GraphClearViewPort();
      GraphSetLineStyle(0);
      break;
    default:
      break;
  }
  if (S().CadOutputMode != 2 && (Device() == kCadScreen || Device() == kCadPlotProgram)) {
    InsertLogo("LOGO_2", 0.91L, 0.01L);
    InsertLogo("LOGO_3", 0.91L, 0.96L);
  }
}

bool CadLastPass() { return true; }

// ---------------------------------------------------------------------------
// State

void CadSetOrigin(Extended x0, Extended y0) {
  S().CadOriginX = x0;
  S().CadOriginY = y0;
}

void CadSetScale(Extended s) { S().CadScale = s * S().CadUnitFactor; }

void CadSetOutputMode(Word mode) { S().CadOutputMode = mode; }

void CadSetColor(int colour) {
  if (colour < 0) colour = 0;
  if (colour > 31) colour = 16 + colour % 16;
  S().CadColor = static_cast<Byte>(colour);
  // The layer is state that the next calls read at once; the IGES and
  // screen colours belong to the device.
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
    case kCadListing:
      SetDxfLayerByColor(colour);
      break;
    case kCadIges:
      ToDevice([colour] { SetIgesColor(colour); });
      break;
    case kCadScreen:
      if (S().CadInBlockSection)
        SetDxfLayerByColor(colour);
      else
        ToDevice([colour] { ScreenSetColor(colour); });
      break;
    default:
      break;
  }
}

void CadSetScreenPen(Word style) {
  if (ScreenWindow()) ToDevice([style] { GraphSetLineStyle(style); });
}

void CadSetTextStyle(int font, Extended angle, Extended height, Extended width) {
  auto& s = S();
  s.CadTextHeight = height;
  // A text without height cannot give a width ratio: it keeps the standard one.
  if (width == 0 || height == 0)
    s.CadTextWidthFactor = 0.7L * s.CadTextWidthSetting;
  else
    s.CadTextWidthFactor = width / height * s.CadTextWidthSetting;
  s.CadTextAngle = angle;
  s.CadTextSlant = s.CadTextSlantSetting;
  if (ScreenWindow()) ToDevice([=] { GraphSetTextStyle(font, angle, height, 0.95L * width); });
}

void CadSetTextAlign(int horizontal, int vertical) {
  S().CadAlignH = horizontal;
  S().CadAlignV = vertical;
}

void CadSetLineSpacing(Extended factor) { S().CadLineSpacing = factor; }

// ---------------------------------------------------------------------------
// Primitives

namespace {

// A line with the origin added, to the device.
void LineOnDevice(Extended x1, Extended y1, Extended x2, Extended y2) {
  if (Device() != kCadScreen && RepeatedLine(x1, y1, x2, y2)) return;
  switch (Device()) {
    case kCadDxf:
    case kCadPlotProgram:
      WriteDxfLine(x1, y1, x2, y2);
      break;
    case kCadIges:
      WriteIgesLine(x1, y1, x2, y2);
      break;
    case kCadScreen:
      if (!CadState.CadInBlockSection)
        GraphLine(x1, y1, x2, y2);
      else if (ScreenBlockOpen())
        WriteDxfLine(x1, y1, x2, y2);
      break;
    case kCadListing:
      WriteTxtLine(x1, y1, x2, y2);
      break;
    default:
      break;
  }
}

}  // namespace

void CadLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  // A line whose ends coincide draws nothing, and some readers refuse it.
  if (x1 == x2 && y1 == y2) return;
  Origin(x1, y1);
  Origin(x2, y2);
  if (KeepOutDepth > 0)
    Held.push_back({HeldState(), nullptr, true, x1, y1, x2, y2});
  else
    LineOnDevice(x1, y1, x2, y2);
}

void CadHorizontalLine(Extended x, Extended y, Extended length) { CadLine(x, y, x + length, y); }

void CadRectangle(Extended x1, Extended y1, Extended x2, Extended y2) {
  CadMoveTo(x1, y1);
  CadLineTo(x1, y2);
  CadLineTo(x2, y2);
  CadLineTo(x2, y1);
  CadLineTo(x1, y1);
}

void CadMoveTo(Extended x, Extended y) {
  S().CadCurrentX = x;
  S().CadCurrentY = y;
}

void CadLineTo(Extended x, Extended y) {
  CadLine(S().CadCurrentX, S().CadCurrentY, x, y);
  CadMoveTo(x, y);
}

void CadMoveToPolar(Extended length, Extended angle) {
  const Extended a = angle + S().CadRotation;
  CadMoveTo(S().CadCurrentX + length * std::cos(a), S().CadCurrentY + length * std::sin(a));
}

void CadLineToPolar(Extended length, Extended angle) {
  const Extended a = angle + S().CadRotation;
  CadLineTo(S().CadCurrentX + length * std::cos(a), S().CadCurrentY + length * std::sin(a));
}

void CadCircle(Extended x, Extended y, Extended r) {
  Origin(x, y);
  ToDevice([=] {
    switch (Device()) {
      case kCadDxf:
      case kCadPlotProgram:
        WriteDxfCircle(x, y, r);
        break;
      case kCadIges:
        WriteIgesCircle(x, y, r);
        break;
      case kCadScreen:
        if (!CadState.CadInBlockSection)
          GraphCircle(x, y, r);
        else if (ScreenBlockOpen())
          WriteDxfCircle(x, y, r);
        break;
      case kCadListing:
        WriteTxtCircle(x, y, r);
        break;
      default:
        break;
    }
  });
}

void CadArc(Extended x, Extended y, Extended a1, Extended a2, Extended r) {
  if (r == 0) return;
  Origin(x, y);
  ToDevice([=] {
    switch (Device()) {
      case kCadDxf:
      case kCadPlotProgram:
        WriteDxfArc(x, y, a1, a2, r);
        break;
      case kCadIges:
        WriteIgesArc(x, y, x + r * std::cos(DegToRad(a1)), y + r * std::sin(DegToRad(a1)),
                     x + r * std::cos(DegToRad(a2)), y + r * std::sin(DegToRad(a2)));
        break;
      case kCadScreen:
        if (!CadState.CadInBlockSection)
          GraphArc(x, y, a1, a2, r);
        else if (ScreenBlockOpen())
          WriteDxfArc(x, y, a1, a2, r);
        break;
      case kCadListing:
        WriteTxtArc(x, y, a1, a2, r);
        break;
      default:
        break;
    }
  });
}

void CadArc3P(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3) {
  Extended xc = 0, yc = 0, r = 0;
  // Three points on one line make no arc: nothing is drawn.
  if (!CircleThrough3Points(x1, y1, x2, y2, x3, y3, xc, yc, r)) return;
  CadArc(xc, yc, RadToDeg(ArcTan2(x1 - xc, y1 - yc)), RadToDeg(ArcTan2(x3 - xc, y3 - yc)), r);
}

void CadSineCurve(Extended x, Extended y, Extended amplitude, Extended advance, Extended start,
                  Extended turns) {
  constexpr Extended kStep = 0.0698131700797732L;  // 4 degrees
  const Extended t0 = DegToRad(start);
  const Extended end = t0 + 2 * kPi * turns;
  bool first = true;
  // Counted steps with a little slack, so that rounding never loses the last point.
  for (long i = 0;; ++i) {
    const Extended t = t0 + i * kStep;
    if (t > end + 1e-9L) break;
    const Extended px = x + (t - t0) * advance / (2 * kPi), py = y + amplitude * std::sin(t);
    if (first)
      CadMoveTo(px, py);
    else
      CadLineTo(px, py);
    first = false;
  }
}

void CadRegularPolygon(Word n, Extended x, Extended y, Extended s, Extended angle) {
  if (n < 3) return;  // fewer than three corners make no polygon
  const Extended a = DegToRad(angle);
  const Extended step = 2 * kPi / n;
  const Extended R = (s / 2) / std::cos(step / 2);
  const Extended side = 2 * std::sqrt(std::fabs(R * R - (s / 2) * (s / 2)));
  CadMoveTo(x, y);
  CadMoveToPolar(R, a);
  for (Word i = 1; i <= n; ++i) CadLineToPolar(side, a + kPi / 2 + step / 2 + (i - 1) * step);
}

void CadGrid(int nx, int ny, Extended x0, Extended y0, Extended dx, Extended dy) {
  const Extended xe = x0 + nx * dx, ye = y0 + ny * dy;
  for (int i = 0; i <= nx; ++i) CadLine(x0 + i * dx, y0, x0 + i * dx, ye);
  for (int j = 0; j <= ny; ++j) CadLine(x0, y0 + j * dy, xe, y0 + j * dy);
}

void CadSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
              Extended x4, Extended y4) {
  Origin(x1, y1);
  Origin(x2, y2);
  Origin(x3, y3);
  Origin(x4, y4);
  // A filled area with a corner that is no number or lies farther than any
  // sheet reaches (a damaged block: NaN, 1e308) would fill the whole view
  // or write no number into a file: it is left out.
  constexpr Extended kFarthestCorner = 1e7L;  // ten kilometres of drawing
  for (const Extended v : {x1, y1, x2, y2, x3, y3, x4, y4})
    if (!(std::fabs(v) <= kFarthestCorner)) return;
  if (KeepOutDepth > 0) HeldFootprints.push_back(AreaFootprintOf({{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}));
  ToDevice([=] {
    switch (Device()) {
      case kCadDxf:
      case kCadPlotProgram:
        WriteDxfSolid(x1, y1, x2, y2, x3, y3, x4, y4);
        break;
      case kCadIges:
        WriteIgesCopious(x1, y1, x2, y2, x3, y3, x4, y4);
        break;
      case kCadScreen:
        if (!CadState.CadInBlockSection)
          GraphSolid(x1, y1, x2, y2, x3, y3, x4, y4);
        else if (ScreenBlockOpen())
          WriteDxfSolid(x1, y1, x2, y2, x3, y3, x4, y4);
        break;
      case kCadListing:
        WriteTxtSolid(x1, y1, x2, y2, x3, y3, x4, y4);
        break;
      default:
        break;
    }
  });
}

void CadBeginPolyline(int closed) {
  if (DxfDevice() && S().CadPolylinesOn)
    ToDevice([closed] {
      WriteDxfPolyline(closed);
      PolylineEdges = {closed != 0, true};
    });
  else
    S().CadVertexCount = 1;
}

void CadVertex(Extended x, Extended y, Extended angle) {
  auto& s = S();
  if (DxfDevice() && s.CadPolylinesOn) {
    const Extended bulge = std::tan(angle / 4);
    ToDevice([x = x + s.CadOriginX, y = y + s.CadOriginY, bulge] {
      WriteDxfVertex(x, y, bulge);
      PolylineVertexWritten(x, y, bulge);
    });
    return;
  }
  if (s.CadVertexCount <= 1) {
    CadMoveTo(x, y);
  } else if (s.CadLastBulge == 0) {
    CadLineTo(x, y);
  } else {
    Extended xc = 0, yc = 0, a1 = 0, a2 = 0, r = 0;
    GetArcCenter(s.CadCurrentX, s.CadCurrentY, x, y, s.CadLastBulge, xc, yc, a1, a2, r);
    CadArc(xc, yc, RadToDeg(a1), RadToDeg(a2), r);
    CadMoveTo(x, y);
  }
  s.CadLastBulge = angle;
  ++s.CadVertexCount;
}

void CadEndPolyline() {
  if (DxfDevice() && S().CadPolylinesOn)
    ToDevice([] {
      WriteDxfSeqEnd();
      auto& p = PolylineEdges;
      if (p.closed && !p.first && p.lastBulge == 0) RepeatedLine(p.lastX, p.lastY, p.firstX, p.firstY);
    });
}

namespace {

// The start of a text's baseline on the sheet: its point moved by the
// alignment (with the width factor w) and the origin.
void AlignedText(const std::string& text, Extended w, Extended& x, Extended& y) {
  const auto& s = S();
  const Extended n = static_cast<Extended>(text.size());
  const Extended h = s.CadTextHeight;
  if (s.CadAlignH == 1)
    x -= n * h * w / 2;
  else if (s.CadAlignH == 2)
    x -= n * h * w;
  if (s.CadAlignV == 1)
    y -= h / 2;
  else if (s.CadAlignV == 2)
    y -= h;
  Origin(x, y);
}

}  // namespace

void CadText(const std::string& text, Extended x, Extended y) {
  if (text.empty()) return;
  const auto& s = S();
  const Extended h = s.CadTextHeight, w = s.CadTextWidthFactor;
  AlignedText(text, w, x, y);
  if (KeepOutDepth > 0) {
    HeldTextBoxes.push_back(TextBoxOf(text, x, y, h, w, s.CadTextAngle));
    HeldFootprints.push_back(TextFootprintOf(text, x, y, h, w, s.CadTextAngle));
  }
  ToDevice([=] {
    switch (Device()) {
      case kCadDxf:
      case kCadPlotProgram:
        WriteDxfText(text, x, y);
        break;
      case kCadIges:
        WriteIgesNote(text, x, y);
        break;
      case kCadScreen:
        if (!CadState.CadInBlockSection)
          GraphOutText(x, y, text);
        else if (ScreenBlockOpen())
          WriteDxfText(text, x, y);
        break;
      case kCadListing:
        WriteTxtText(text, x, y);
        break;
      default:
        break;
    }
  });
}

void CadTextLine(const std::string& text) {
  if (text.empty()) return;
  CadText(text, S().CadCurrentX, S().CadCurrentY);
  S().CadCurrentY -= 1.6L * S().CadTextHeight * S().CadLineSpacing;
}

namespace {

// Runs write with the letters of text narrowed where it would be wider than room.
template <typename Write>
void Narrowed(const std::string& text, Extended room, Write write) {
  const TCadState& s = S();
  const Extended h = s.CadTextHeight, width = static_cast<Extended>(text.size()) * h * s.CadTextWidthFactor;
  if (!(width > room) || !(room > 0) || !(s.CadTextWidthSetting > 0)) {
    write();
    return;
  }
  const Extended angle = s.CadTextAngle, letter = h * s.CadTextWidthFactor / s.CadTextWidthSetting;
  CadSetTextStyle(2, angle, h, letter * room / width);
  write();
  CadSetTextStyle(2, angle, h, letter);
}

}  // namespace

void CadTextFitted(const std::string& text, Extended x, Extended y, Extended room) {
  Narrowed(text, room, [&] { CadText(text, x, y); });
}

void CadTextLineFitted(const std::string& text, Extended room) {
  Narrowed(text, room, [&] { CadTextLine(text); });
}

void CadInsertBlock(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale) {
  ToDevice([=] {
    switch (Device()) {
      case kCadDxf:
      case kCadPlotProgram:
        WriteDxfInsert(name, x, y, angle, xscale, yscale);
        break;
      case kCadIges:
        WriteIgesInstance(name, x, y, angle, xscale, yscale);
        break;
      case kCadScreen:
        if (!CadState.CadInBlockSection)
          ScreenInsertBlock(name, x, y, angle, xscale, yscale);
        else if (ScreenBlockOpen())
          WriteDxfInsert(name, x, y, angle, xscale, yscale);
        break;
      case kCadListing:
        WriteTxtInsert(name, x, y, angle, xscale, yscale);
        break;
      default:
        break;
    }
  });
}

bool CadTextClear(const std::string& text, Extended x, Extended y, Extended room) {
  const auto& s = S();
  const Extended n = static_cast<Extended>(text.size()), h = s.CadTextHeight;
  Extended w = s.CadTextWidthFactor;
  if (n * h * w > room && room > 0 && s.CadTextWidthSetting > 0) w = room / (n * h);  // as Narrowed does
  AlignedText(text, w, x, y);
  const TTextBox mine = TextFootprintOf(text, x, y, h, w, s.CadTextAngle);
  for (const TTextBox& b : HeldFootprints)
    if (FootprintsMeet(mine, b)) return false;
  return true;
}

Extended CadHeldTopBelow(Extended x1, Extended x2, Extended y) {
  x1 += S().CadOriginX;
  x2 += S().CadOriginX;
  y += S().CadOriginY;
  Extended top = -HUGE_VALL;
  for (const TTextBox& b : HeldFootprints)
    if (b.u2 > b.u1 && b.maxX > x1 && b.minX < x2 && b.maxY < y && b.maxY > top) top = b.maxY;
  return top - S().CadOriginY;
}

void CadBeginTextKeepOut() { ++KeepOutDepth; }

void CadEndTextKeepOut() {
  if (KeepOutDepth <= 0 || --KeepOutDepth > 0) return;
  // Out in the order they came, each in the state it came in; the state
  // after the last call stays. The held lists keep their room for the next
  // drawing.
  const TCadState after = CadState;
  std::vector<HeldCall> calls;
  std::vector<TCadState> states;
  std::vector<TTextBox> boxes;
  calls.swap(Held);
  states.swap(HeldStates);
  boxes.swap(HeldTextBoxes);
  HeldFootprints.clear();
  const TTextBoxIndex index = IndexOfBoxes(boxes);
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t set = kNone;  // the held state CadState still equals
  for (const HeldCall& c : calls) {
    if (c.state != set) {
      CadState = states[c.state];
      set = c.state;
    }
    if (!c.line) {
      c.out();
      set = kNone;  // a device part may change the state (an insert replays a block)
      continue;
    }
    if (SegmentClearOfBoxes(c.x1, c.y1, c.x2, c.y2, index)) {
      LineOnDevice(c.x1, c.y1, c.x2, c.y2);
      continue;
    }
    for (const auto& p : SegmentOutsideBoxes(c.x1, c.y1, c.x2, c.y2, boxes)) LineOnDevice(p[0], p[1], p[2], p[3]);
  }
  CadState = after;
  calls.clear();
  states.clear();
  boxes.clear();
  if (Held.empty()) Held.swap(calls);
  if (HeldStates.empty()) HeldStates.swap(states);
  if (HeldTextBoxes.empty()) HeldTextBoxes.swap(boxes);
}

void InitCadOutput() {
  ForgetHeldCalls();
  BlockBegun = false;
  BorderPending = false;
  WrittenLines.clear();
  InitCadScreen();
}
