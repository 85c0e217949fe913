// Engineering rules that propose input values: the bore of a clamped part
// for a bolt diameter, the bolt material row of a strength class, and the
// guide values of the embedding amount. No state, no table file.
#pragma once

#include "framework/types.h"

// Bore (clearance hole) diameter in mm for the bolt diameter d in mm.
Extended DefaultBoreDiameter(Extended d);
// Row of the bolt material table for the strength-class code 1..9.
int StrengthClassIndex(int classCode, Extended d);
// Total embedding guide value in mm by kind 1 or 2, the number of clamped
// parts and the transverse load (0: axial).
Extended EmbeddingAmount(int kind, int plates, Extended transverseLoad);
// Embedding amount fZ in mm by roughness class 1..3 of the surfaces.
Extended TotalEmbedding(int roughnessClass, int plates, int jointKind, Extended transverseLoad);
