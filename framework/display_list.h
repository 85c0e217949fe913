// The display list of the graphics window: one text record per recorded
// primitive, "code;field;field...", reals with 8 significant digits.
// Every repaint, zoom and printout replays it.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"

enum TGraphCode : int {
  gcMoveTo = 1,
  gcLineTo = 2,
  gcCircle = 3,
  gcLine = 4,
  gcArc = 5,
  gcOutTextXY = 6,
  gcSolid = 7,
  gcSetColor = 8,
  gcSetTextStyle = 9,
  gcSetWindow = 10,
  gcSetLineStyle = 11,
  gcSetLineWidth = 12,
  gcSleepMs = 13,
};

using TDisplayList = std::vector<std::string>;

// The one display list of the program; null until CreateDisplayList.
extern TDisplayList* DisplayList;

// Creates the list when it does not exist and returns it.
TDisplayList* CreateDisplayList();
void FreeDisplayList();

// Empties the list (creating it when missing).
void InitDisplayList();

// One record field: a real in the general 8-digit format, or an integer.
std::string RealField(Extended v);
std::string IntField(long v);

// Appends "code;f1;f2..." to the list (created on demand).
void AppendGraphRecord(TGraphCode code, std::initializer_list<std::string> fields);

// A record read back for the replay.
struct TGraphRecord {
  int code = 0;
  Extended v[8] = {};  // coordinates and reals in record order
  int n = 0;           // codes 8, 11, 12, 13
  std::string text;    // code 6
};

// Reads one record. False for a record without a code or with fields that
// do not read as numbers (a damaged record, which the replay skips); codes
// outside 1..13 read as their code alone.
bool ParseGraphRecord(const std::string& line, TGraphRecord& rec);
