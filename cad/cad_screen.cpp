#include "cad/cad_screen.h"

#include "cad/cad_output.h"
#include "cad/dxf_blocks.h"
#include "cad/dxf_writer.h"
#include "framework/calc_messages.h"
#include "framework/drawing.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/line_io.h"

bool ScreenBlocksInFiles = true;

namespace {

bool BlockOpen = false;
bool BlockInMemory = false;         // the open block goes to OpenBlockPairs
std::string OpenBlockName;          // the block that the pair sink takes
std::vector<TDxfPair> OpenBlockPairs;

Word LineWidthOf(int n) {
  const auto& s = CadState;
  int w = 1;
  if (n >= 1 && n <= 5) {
    w = s.CadLayerWidths[static_cast<std::size_t>(n)];
    if (w < 1 || w > 50) w = 1;  // a damaged setting draws thin, never huge
  } else if (n >= 16 && n <= 31) {
    const int pen = s.CadPenWidths[static_cast<std::size_t>(n - 16)];
    if (pen >= 2 && pen <= 50) w = pen;
  }
  return static_cast<Word>(w);
}

}  // namespace

void ScreenSetColor(int n) {
  const auto& s = CadState;
  if (n <= 5 && s.CadLayerMode == 0) {
    GraphSetLineStyle(n == 1 ? 2 : n == 2 ? 3 : 0);
    GraphSetColorIndex(static_cast<Byte>(s.CadLayerColors[static_cast<std::size_t>(n)]));
  } else {
    if (s.CadLayerMode == 0) GraphSetLineStyle(0);
    if (n >= 16 && n <= 31 && s.CadLayerMode != 2)
      GraphSetColorIndex(static_cast<Byte>(s.CadPenColors[static_cast<std::size_t>(n - 16)]));
    if (n == 0 && s.CadLayerMode == 2) GraphSetColorIndex(0);
  }
  MainGraphWindow().SetLineWidth(LineWidthOf(n));
}

bool OpenScreenBlock(const std::string& name) {
  if (!ScreenBlocksInFiles) {
    CloseScreenBlock();
    OpenBlockName = name;
    OpenBlockPairs = TakeSparePairList();
    SetDxfPairSink(&OpenBlockPairs);
    BlockOpen = BlockInMemory = true;
    return true;
  }
  BlockOpen = false;
  TextFileVar.Assign(CadBlockFileName(name));
  if (!TextFileVar.Rewrite(platform::ReplaceSync::Derived)) {
    AbortFlag = 1;
    return false;
  }
  // The block's pairs are gathered in memory and written to its file in one
  // piece when it ends; the inserts of this drawing replay them from memory.
  OpenBlockName = name;
  OpenBlockPairs = TakeSparePairList();
  SetDxfPairSink(&OpenBlockPairs, true);
  BlockOpen = true;
  return true;
}

void CloseScreenBlock() {
  if (!BlockOpen) return;
  BlockOpen = false;
  if (BlockInMemory) {
    BlockInMemory = false;
    SetDxfPairSink(nullptr);
    StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
    OpenBlockName.clear();
    OpenBlockPairs.clear();
    return;
  }
  SetDxfPairSink(nullptr);
  const bool written = TextFileVar.Write(DxfPairsText(OpenBlockPairs));
  if (!written) AbortFlag = 1;
  WriteDxfEof();
  // Only a block whose file is whole is replayed: a failed one stays missing.
  if (written && !AbortFlag) StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
  OpenBlockName.clear();
  OpenBlockPairs.clear();
}

bool ScreenBlockOpen() { return BlockOpen; }

void ScreenInsertBlock(const std::string& name, Extended x, Extended y, Extended angle,
                       Extended xscale, Extended yscale) {
  auto& s = CadState;
  const int colour = s.CadColor;
  const Extended height = s.CadTextHeight, ratio = s.CadTextWidthFactor, turn = s.CadTextAngle;
  const Extended slant = s.CadTextSlant;
  ResetInsertTransform();
  ReadDxfBlockFile(name, x, y, angle, xscale, yscale);
  ResetInsertTransform();
  CadSetColor(colour);
  s.CadTextHeight = height;
  s.CadTextWidthFactor = ratio;
  s.CadTextAngle = turn;
  s.CadTextSlant = slant;
  GraphSetTextStyle(2, turn, height, 0.95L * height * ratio);
}

void ShowFatalCalculation(int device) {
  if (device == kCadScreen) {
    GraphClear();
    GraphHeader(0, 0, 160, 120);
    GraphSetColor(14);
    GraphSetTextStyle(2, 0, 4, 4);
    GraphOutText(8, 110, "Calculation messages:");
    GraphSetColor(15);
    GraphSetTextStyle(2, 0, 3, 3);
    for (int i = 1; i <= CalcMessages.count; ++i)
      GraphOutText(8, 104 - 6 * i, CalcMessages.texts[static_cast<std::size_t>(i)].str());
    GraphClearViewPort();
  }
  ShowCalculationMessages();
}

void InitCadScreen() {
  if (BlockOpen && !BlockInMemory) TextFileVar.CloseQuiet();
  BlockOpen = BlockInMemory = false;
  SetDxfPairSink(nullptr);
  OpenBlockName.clear();
  OpenBlockPairs.clear();
  ClearStoredBlocks();
}
