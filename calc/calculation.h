// The VDI 2230 calculation of the joint in memory.
#pragma once

#include <string_view>

// Reads the joint records, writes every result it reaches and collects its
// messages in CalcMessages; a Fatal message that stops the run sets
// CalcFatalFlag. Always starts from the stored inputs.
void CalculateJoint();

// The kind of a calculation message. Most carry it in their first nine
// characters; a few texts carry none: those of the data checks that stop the
// run are fatal, those of a material missing from a table over temperature
// (its value estimated) are warnings, and every other one reports a failed
// check or a fault (a surface pressure or alternating stress exceeded, a row
// not read), so it counts as an error.
enum class CalcMessageKind { Fatal, Error, Warning };
CalcMessageKind KindOfCalcMessage(std::string_view text);
