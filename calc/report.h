// The text report of a calculated joint: its inputs, the results of the last
// calculation and the calculation messages, written through the text output
// layer on whatever device it opens (window, printer, text, spreadsheet text
// or HTML file).
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"

// Writes the report on the configured text device (TextDevice). After a
// fatal calculation it shows the message list instead and writes nothing.
// Once the output is open it is always closed, also when a step stops.
void WritePrintout();

// The numbers of the report as it writes them, for programs that read them:
// each row with its heading, description, symbol and unit, each table with its
// title, column heads and cells. Texts are stored texts (code page 437); a
// number is the exact value behind its printed text, in the unit printed.
struct ReportNumber {
  std::string text;               // as printed, blanks trimmed
  std::vector<Extended> values;   // none for a text, two for a range (min, max)
};
struct ReportRow {
  std::string section, name, symbol, unit;
  ReportNumber value;
};
struct ReportTable {
  std::string section, title;
  std::vector<std::string> columns;
  std::vector<std::vector<ReportNumber>> rows;
};
struct ReportValues {
  std::vector<ReportRow> rows;
  std::vector<ReportTable> tables;
};
// While set, WritePrintout fills it with what it writes.
extern ReportValues* ReportValueCollector;
