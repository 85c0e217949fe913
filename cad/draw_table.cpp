#include "cad/draw_table.h"

#include "cad/cad_output.h"

namespace {
constexpr int kFrameColour = 17;
constexpr int kTextColour = 18;

bool Measuring = false;
bool Measured = false;
Extended LowestEdge = 0;

// Notes a bottom edge while measuring.
void Reach(Extended y) {
  if (!Measured || y < LowestEdge) LowestEdge = y;
  Measured = true;
}
}  // namespace

TDrawTable::Measure::Measure() {
  Measuring = true;
  Measured = false;
}
TDrawTable::Measure::~Measure() { Measuring = false; }
Extended TDrawTable::Measure::Lowest(Extended start) const {
  return Measured && LowestEdge < start ? LowestEdge : start;
}

std::unique_ptr<TDrawTable> TDrawTable::Init(const std::string& title1, Extended x, Extended y,
                                             Extended h, std::initializer_list<Extended> widths,
                                             std::initializer_list<std::string> titles) {
  auto t = std::make_unique<TDrawTable>();
  t->H = h;
  t->RowHeight = 2 * h;
  t->YTop = y;
  t->YRow = y - 2 * h;
  t->YText = y - 1.5L * h;
  t->X[0] = x;
  int k = 1;
  for (Extended w : widths) {
    if (k > kDrawTableColumns) break;
    t->X[k] = t->X[k - 1] + 0.9L * h * w;
    ++k;
  }
  for (; k <= kDrawTableColumns; ++k) t->X[k] = t->X[k - 1];
  t->CountBounds();
  t->RowLines = 1;
  t->OuterLines = 1;

  std::vector<std::string> cells{title1};
  cells.insert(cells.end(), titles.begin(), titles.end());
  t->StoreCells(cells);

  const Extended right = t->X[t->Bounds - 1];
  if (Measuring) {
    Reach(y - 2 * h);
  } else {
    CadSetColor(kFrameColour);
    CadRectangle(x, y, right, y - 2 * h);
    // A header cell without a title joins the one before it: a table's
    // caption then has the whole row.
    for (int i = 1; i <= t->Bounds - 2; ++i)
      if (!t->Cells[i].empty()) CadLine(t->X[i], y, t->X[i], y - 2 * h);
    CadSetTextStyle(2, 0, h, 0.75L * h);
  }
  t->WriteRowTexts(true);
  return t;
}

void TDrawTable::CountBounds() {
  // A boundary that does not lie right of the one before ends the columns.
  Bounds = 1;
  for (int k = 1; k <= kDrawTableColumns && X[k] > X[k - 1]; ++k) Bounds = k + 1;
}

void TDrawTable::StoreCells(const std::vector<std::string>& cells) {
  for (int k = 0; k < kDrawTableColumns; ++k)
    Cells[k] = k < static_cast<int>(cells.size()) ? cells[k] : std::string();
}

void TDrawTable::AddRow(const std::vector<std::string>& cells) {
  StoreCells(cells);
  if (Measuring) {
    Reach(YRow);
    YRow -= RowHeight;
    YText -= RowHeight;
    return;
  }
  const Extended right = X[Bounds - 1];
  CadSetColor(kFrameColour);
  if (RowLines) CadLine(X[0], YRow, right, YRow);
  const int first = OuterLines ? 0 : 1;
  const int last = OuterLines ? Bounds - 1 : Bounds - 2;
  for (int i = first; i <= last; ++i) CadLine(X[i], YRow, X[i], YRow + RowHeight);
  WriteRowTexts();
}

void TDrawTable::WriteRowTexts(bool header) {
  if (!Measuring) {
    CadSetColor(kTextColour);
    for (int k = 1; k <= Bounds - 1; ++k) {
      const std::string text = " " + Cells[k - 1].str();
      // A text longer than its cell would cross the cell's line: it is written
      // smaller, on the same baseline, so that it fits.
      int end = k;
      if (header)
        while (end < Bounds - 1 && Cells[end].empty()) ++end;
      const Extended room = X[end] - X[k - 1];
      const Extended width = static_cast<Extended>(text.size()) * H * CadState.CadTextWidthFactor;
      if (width > room && room > 0) {
        const Extended f = room / width;
        CadSetTextStyle(2, 0, f * H, f * 0.75L * H);
        CadText(text, X[k - 1], YText);
        CadSetTextStyle(2, 0, H, 0.75L * H);
      } else {
        CadText(text, X[k - 1], YText);
      }
    }
  }
  YRow -= RowHeight;
  YText -= RowHeight;
}
