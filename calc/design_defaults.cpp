#include "calc/design_defaults.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "framework/math_utils.h"

namespace {

long NearestInt(Extended x) { return std::lrint(static_cast<double>(x)); }

// Embedding per surface in µm after VDI 2230 (2003) by roughness class:
// bearing area axial, bearing area transverse, interface axial, interface transverse.
constexpr std::array<std::array<Extended, 4>, 3> kEmbeddingPerSurface = {{
    {2.5L, 3.0L, 1.5L, 2.0L},
    {3.0L, 4.5L, 2.0L, 2.5L},
    {4.0L, 6.5L, 3.0L, 3.5L},
}};
constexpr Extended kThreadEmbedding = 3;  // µm, every case

// Total embedding in µm by j = parts + 1 (2..6): axial kind 1, 2; transverse kind 1, 2.
constexpr std::array<std::array<Extended, 4>, 5> kEmbeddingTotal = {{
    {13, 10, 20, 13},
    {16, 12, 28, 16},
    {20, 14, 35, 20},
    {25, 16, 42, 25},
    {30, 18, 50, 30},
}};

}  // namespace

Extended DefaultBoreDiameter(Extended d) {
  Extended bore;
  switch (NearestInt(d)) {
    case 3: bore = 3.2L; break;
    case 4: bore = 4.3L; break;
    case 5: bore = 5.3L; break;
    case 6: bore = 6.4L; break;
    case 7: bore = 7.4L; break;
    case 8: bore = 8.4L; break;
    case 10: bore = 10.5L; break;
    default: bore = d <= 11 ? NearestInt(11 * d) * 0.1L : d + 1; break;
  }
  return RoundToReal48(bore);
}

int StrengthClassIndex(int classCode, Extended d) {
  switch (classCode) {
    case 1: return 1;
    case 2: return 3;
    case 3: return d <= 16 ? 5 : 6;  // 8.8 has two rows, split at 16 mm
    default: return classCode >= 4 && classCode <= 9 ? classCode + 3 : 1;
  }
}

Extended EmbeddingAmount(int kind, int plates, Extended transverseLoad) {
  const int j = std::clamp(plates + 1, 2, 6);
  const int column = (transverseLoad == 0 ? 0 : 2) + (kind == 2 ? 1 : 0);
  return kEmbeddingTotal[j - 2][column] * 0.001L;
}

Extended TotalEmbedding(int roughnessClass, int plates, int jointKind, Extended transverseLoad) {
  const auto& row = kEmbeddingPerSurface[std::clamp(roughnessClass, 1, 3) - 1];
  const bool axial = FloatEqual(transverseLoad, 0);
  const Extended bearing = axial ? row[0] : row[1];
  const Extended inner = axial ? row[2] : row[3];
  const Extended fZ = jointKind == 1 ? kThreadEmbedding + bearing + inner * plates
                                     : kThreadEmbedding + 2 * bearing + inner * (plates - 1);
  return fZ * 0.001L;
}
