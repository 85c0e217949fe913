// The frame of an upright A4 drawing sheet with its title block in the lower
// right: sheet edge, drawing frame, the revision table with the last eight
// changes, the approval rows, drawing name and number, the replacement
// notes, the freely placed drawing texts, file path, date and time of output
// and an optional logo block. Millimetres from the sheet's lower left
// corner. Qt-free.
#pragma once

#include <string>

#include "framework/types.h"

// The top line of the title block, across the sheet: what stands above it
// ends higher.
constexpr Extended kTitleBlockTop = 43;

// Draws the frame and title block into the current block or entity pass.
void DrawTitleBlock(const std::string& drawingName, const std::string& drawingName2,
                    const std::string& drawingNumber);
// The rows of the revision table (the last eight changes).
void DrawTitleBlockTexts();
// n lines from (x, y - i * spacing) to (x + length, y - i * spacing), i = 1..n.
void DrawHorizontalLines(int n, Extended x, Extended y, Extended length, Extended spacing);
// The index of change i in the revision table by CadState.CadRevisionIndexStyle:
// "c" (style 0), "3" (style 1), "C" (style 2), empty for any other style.
std::string RevisionIndexText(int i);
