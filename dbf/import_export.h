// Bulk transfer into and out of the selected work area: appending every
// record of another table with fields matched by name (AppendFrom),
// writing the table as comma-delimited text (CopyToDelimited) and
// appending the lines of such a text (AppendFromDelimited).
//
// Delimited text: one line per record ended by CR LF, items in field order
// separated by DelimiterChar, texts between QuoteChar (a QuoteChar inside
// a text is written twice), one 0x1A after the last line. The text is
// written in UTF-8; a file read in is taken as UTF-8 when it is UTF-8
// throughout, else byte for byte. Characters the table's code page lacks
// are stored as "?".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

extern char DelimiterChar;              // ','
extern char QuoteChar;                  // '"'; 0: texts are not quoted
extern std::uint16_t DelimitedLineLimit;  // 2048: characters of a line that are parsed

void InitImportExport();

// Returns the number of records written (0 for a virtual table).
std::int32_t CopyToDelimited(const std::string& fileName);
// Returns the number of records appended.
std::int32_t AppendFromDelimited(const std::string& fileName, bool showProgress);
// `command`: the source table file, or an open virtual table followed by
// " VIRTUAL FILE", " LINKED LIST", " VIRTUAL" or " LINKED". `goOn`, when
// given, is asked after each record whether to continue.
void AppendFrom(const std::string& command, const std::function<bool()>& goOn = nullptr);

// The items of one delimited line (used by AppendFromDelimited).
std::vector<std::string> SplitDelimitedLine(const std::string& line);
