// The tables of the drawing sheets: the clamped-plates table with the bolt's
// designation, the plates, the thread engagement, the loads, the header
// lines, friction, assembly and factors of safety (block "TABLES"), and the
// forces table (block "FTABLE"). Values come from the joint's records and
// results and are shown in the current unit system. Qt-free.
#pragma once

#include <string>

#include "framework/types.h"

constexpr Extended kSheetTableTextHeight = 2.5L;

// Draws into the current block or entity pass.
void DrawPlatesTable();
void DrawForcesTable();

// The lowest edge that both tables reach, drawing nothing; start when that
// is lower. Their rows vary with the joint, the options and the messages.
Extended SheetTablesBottom(Extended start);

// " (T=20 .. 120 °C)"-style suffix of the load and safety titles: empty
// while the working temperature equals the reference temperature.
std::string SheetTemperatureSuffix();
