// The VDI 2230 calculation of the joint in memory.
#pragma once

// Reads the joint records, writes every result it reaches and collects its
// messages in CalcMessages; a Fatal message that stops the run sets
// CalcFatalFlag. Always starts from the stored inputs.
void CalculateJoint();
