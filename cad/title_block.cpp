#include "cad/title_block.h"

#include "cad/cad_output.h"
#include "cad/dxf_blocks.h"
#include "framework/charset.h"
#include "framework/change_history.h"
#include "framework/drawing.h"
#include "framework/drawing_info.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"

namespace {

constexpr int kRevisionRows = 8;
constexpr Extended kRowSpacing = 4.2L;
// Room kept between a text and the line that ends its cell.
constexpr Extended kCellGap = 0.4L;

// A text of the title block at (x, y), in narrower letters where it would
// reach the line at x = right that ends its cell.
void CellText(const std::string& text, Extended x, Extended y, Extended right) {
  CadTextFitted(text, x, y, right - kCellGap - x);
}

struct ApprovalRow {
  const ShortString<10>& date;
  const ShortString<10>& name;
  Extended y;
};

}  // namespace

void DrawHorizontalLines(int n, Extended x, Extended y, Extended length, Extended spacing) {
  for (int i = 1; i <= n; ++i) CadLine(x, y - i * spacing, x + length, y - i * spacing);
}

std::string RevisionIndexText(int i) {
  switch (CadState.CadRevisionIndexStyle) {
    case 0: return i + 96 <= 255 ? std::string(1, static_cast<char>(i + 96)) : std::string();
    case 1: return IntToText(i);
    case 2: return i + 64 <= 255 ? std::string(1, static_cast<char>(i + 64)) : std::string();
    default: return "";
  }
}

void DrawTitleBlockTexts() {
  const int count = ChangeCount <= kMaxChanges ? ChangeCount : kMaxChanges;
  if (count <= 0) return;
  CadSetTextStyle(2, 0, 1.7L, 1.3L);
  CadSetColor(3);
  const int first = count > kRevisionRows ? count - kRevisionRows + 1 : 1;
  for (int i = first; i <= count; ++i) {
    const int k = i - first + 1;
    const Extended y = kRowSpacing * k + 6.5L;
    CellText(RevisionIndexText(i), 21, y, 26);
    CellText(Changes[i].Change.str(), 27, y, 52);
    CellText(Changes[i].Date.str(), 52.5L, y, 65);
    CellText(Changes[i].Editor.str(), 66, y, 73);
  }
}

void DrawTitleBlock(const std::string& drawingName, const std::string& drawingName2,
                    const std::string& drawingNumber) {
  if (AbortFlag) return;
  CadState.CadOutputMode = 2;

  CadSetColor(5);
  CadRectangle(18, 5, 205, 292);
  CadLine(18, 43, 205, 43);

  CadSetColor(4);
  CadLine(73, 5, 73, 43);
  CadLine(116, 5, 116, 43);
  CadLine(73, 22, 205, 22);
  CadLine(192, 9.4L, 192, 22);

  CadSetColor(3);
  CadRectangle(0, 0, 210, 297);
  DrawHorizontalLines(kRevisionRows, 18, 43, 55, kRowSpacing);
  DrawHorizontalLines(4, 73, 43, 43, kRowSpacing);
  CadLine(26, 5, 26, 43);
  CadLine(52, 5, 52, 43);
  CadLine(65, 5, 65, 43);
  CadLine(82, 22, 82, 43);
  CadLine(98, 22, 98, 43);
  CadLine(73, 9.4L, 205, 9.4L);
  CadLine(160, 5, 160, 9.4L);
  CadLine(192, 14, 205, 14);
  CadLine(0, 148.5L, 15, 148.5L);  // fold mark

  CadSetTextStyle(2, 0, 1.6L, 1.3L);
  CadText("Cond.", 19, 6);
  CadText("Modification", 30, 6);
  CadText("Date", 54, 6);
  CadText("Name", 65.6L, 6);

  CadSetTextStyle(2, 0, 1.8L, 1.5L);
  CadText("Date", 85, 39.8L);
  CadText("Name", 100, 39.8L);
  // The labels end before the line at x = 82 that ends their cells.
  CellText("Compl.", 74, 35.6L, 82);
  CellText("Check", 74, 31.4L, 82);
  CellText("Stand.", 74, 27.2L, 82);
  CellText(CadState.CadApprovalLabel4, 74, 23.2L, 82);

  const ApprovalRow rows[] = {{ComplDate, ComplName, 35.6L},
                              {CheckDate, CheckName, 31.2L},
                              {StandDate, StandName, 27.0L},
                              {Row4Date, Row4Name, 23.0L}};
  for (const auto& r : rows) {
    CellText(r.date.str(), 83.5L, r.y, 98);
    CellText(r.name.str(), 100, r.y, 116);
  }

  CadText("Page", 194, 18);
  CadText("Pg.", 200, 10.4L);

  if (!ReplacementFor.empty())
    CellText(ShortString<31>("Replacement for " + ReplacementFor.str()).str(), 118, 6.5L, 160);
  if (!ReplacedBy.empty()) CellText(ShortString<27>("Replaced by " + ReplacedBy.str()).str(), 162, 6.5L, 205);

  DrawTitleBlockTexts();

  const int texts = DrawingTextCount <= kMaxDrawingTexts ? DrawingTextCount : kMaxDrawingTexts;
  for (int i = 1; i <= texts; ++i) {
    const TDrawingTextRecord& r = DrawingTexts[i];
    if (!(r.h > 0)) continue;
    CadSetTextStyle(2, r.phi, r.h, 0.8L * r.h);
    CadText(r.Text.str(), r.x, r.y);
  }

  CadSetColor(5);
  CadSetTextStyle(2, 0, 5.0L, 4.0L);
  CellText(drawingName, 120, 32.5L, 205);
  CellText(drawingNumber, 120, 12.0L, 192);
  CadSetTextStyle(2, 0, 3.5L, 2.8L);
  CellText(drawingName2, 120, 25, 205);

  if (!CadState.CadNoFilePath || !CadState.CadNoDateTime) CadSetTextStyle(2, 0, 1.5L, 1.2L);
  // The file name is the file system's UTF-8; drawing texts are stored texts.
  // The path ends before the date, the date at the sheet's edge.
  if (!CadState.CadNoFilePath) CellText(ShortenText(Utf8ToOem(CurrentFilePath()), 150), 18, 1, 185);
  if (!CadState.CadNoDateTime) CellText(TodayText() + " " + TimeText(), 186, 1, 210);

  CadSetTextStyle(2, 0, 3.5L, 3.0L);

  const Word device = CadState.CadDevice;
  if (!CadState.CadNoLogo && (device == kCadScreen || device == kCadPlotProgram) &&
      BlockAvailable("logo_1"))
    CadInsertBlock("logo_1", 75, 10, 0, 1, 1);
}
