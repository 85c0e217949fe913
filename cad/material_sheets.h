// Material property sheets: for a bolt material (table mat_bolt) or a plate
// and nut material (pressung or mat_p_1) a sheet of 160 x 120 with the
// material's name, strength values and coefficients, and two diagrams of the
// yield point Re and the modulus E over the temperature from the temperature
// tables. The browsers step through a table's rows with the index picker and
// draw each row's sheet on the screen. Qt-free.
#pragma once

#include <string>

#include "cad/cad_output.h"

// Browses mat_bolt from the bolt's own row; the joint keeps its material.
void ViewBoltMaterial();
// Browses pressung (kind 0) or mat_p_1 (kind 1) from row 1.
void ViewNutMaterial(Word kind);

// mode 0: the row the bolt record holds; mode 1: the user picks it first.
// The bolt's row and material are put back afterwards.
void DrawBoltMaterialSheet(Word mode, TCadDevice device);
// mode 0: row `row` of pressung (kind 0) or mat_p_1 (kind 1); mode 1: the user picks.
void DrawPlateMaterialSheet(Word mode, TCadDevice device, Word kind, Word row);

// The entity passes of the sheets (the material rows already read).
void DrawBoltMaterialPasses();
void DrawPlateMaterialPasses(Word kind, Word row);

// One diagram each over 0..700 °C in the current plot area; nothing at all
// when the material is missing from its temperature table.
void DrawBoltReDiagram(const std::string& name);
void DrawBoltEDiagram(const std::string& name);
void DrawPlateReDiagram(const std::string& name);
void DrawPlateEDiagram(const std::string& name);
