// A short listing of the joint's inputs in the report window: entered values
// only, in millimetres and newtons whatever the unit setting; written also
// when the last calculation failed.
#pragma once

#include "framework/text_output.h"

// Device: the report window, or another device of the text output layer.
void WriteInputListing(TOutputDevice device = kDeviceScreen);
