// The results that programs read: the project's inputs, every number of its
// report with symbol, name and unit, and the calculation messages, as JSON
// (UTF-8, LF; data/bq4-results.schema.json describes it).
#pragma once

#include <string>

#include "calc/report.h"
#include "framework/types.h"

// A number as JSON: the double nearest to x in its shortest form that reads
// back exactly, always with a decimal point or an exponent; null when x is
// not finite.
std::string JsonNumber(Extended x);
// A UTF-8 text as a JSON string, with its quotes.
std::string JsonString(const std::string& utf8);

// The JSON document of the loaded and calculated joint, with the report's
// values; projectFile as given on the command line.
std::string JointResultsJson(const std::string& projectFile, const ReportValues& report);
