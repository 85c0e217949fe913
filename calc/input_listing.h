// A short listing of the joint's inputs in the report window: entered values
// only, in millimetres and newtons whatever the unit setting; written also
// when the last calculation failed.
#pragma once

void WriteInputListing();
