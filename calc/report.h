// The text report of a calculated joint: its inputs, the results of the last
// calculation and the calculation messages, written through the text output
// layer on whatever device it opens (window, printer, text, spreadsheet text
// or HTML file).
#pragma once

#include <string>

// Writes the report on the configured text device (TextDevice). After a
// fatal calculation it shows the message list instead and writes nothing.
// Once the output is open it is always closed, also when a step stops.
void WritePrintout();
