// Words of the bolt, nut and options for the report, the title blocks and the
// drawings, from the current rows of the head and nut tables.
#pragma once

#include <string>

#include "framework/types.h"

std::string NutWidthAcrossFlatsText();
Extended BoltWidthAcrossFlats();
std::string BoltStandardText();
Extended HeadRowNominalDiameter();
std::string NutStandardText();
// Standard - thread x length - strength class (and the width across flats of hex heads).
std::string PlainBoltDesignation();
// The plain designation, with "SPECIAL BOLT: " in front for a self-defined bolt.
std::string BoltDesignation();
std::string VdiEditionText(int code);
// Maximum tensile strength of the bolt: 1.2·Rm.
Extended BoltRmMax();
