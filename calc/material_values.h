// Material values over temperature (yield point, modulus) and the endurance
// limit over the bolt diameter, interpolated from the rows of five material
// tables, with fallback formulas over the 20 °C value where a row or value
// is missing. A missing table gives 1.0, AbortFlag (on which the calculation
// stops) and the fatal message "<table>.dbf not found !"; while AbortFlag is
// set every lookup gives 1.0. The rows come through MaterialRows, a seam that the table
// access fills; tests fill it with rows of their own.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/types.h"

// Base names of the five tables.
inline constexpr const char* kMatBoltReTable = "mat_b_re";
inline constexpr const char* kMatPlateReTable = "mat_p_re";
inline constexpr const char* kMatBoltETable = "mat_b_e";
inline constexpr const char* kMatPlateETable = "mat_p_e";
inline constexpr const char* kMatBoltSigmaATable = "mat_b_sa";

// TableMissing: the table could not be opened; the table access has said so.
enum class MaterialRowStatus { Found, NotFound, TableMissing };

// One row: its name and its values. Over temperature values[0..7] hold the
// values at 20, 100, 200, ..., 700 °C; over diameter values[0..8] the values
// at d = 1, 4, 6, 10, 16, 25, 40, 63, 100 mm. Values are whole numbers as the
// tables hold them.
struct MaterialRow {
  std::string name;
  std::array<std::int32_t, 9> values{};
};

struct MaterialRowSource {
  // The row of a table whose name column equals the name.
  std::function<MaterialRowStatus(std::string_view table, std::string_view name, MaterialRow& row)>
      FindByName;
  // Row number n (from 1) of a table; a number below 1 gives row 1, one
  // beyond the table is the table's failure (TableMissing).
  std::function<MaterialRowStatus(std::string_view table, int rowNo, MaterialRow& row)> ReadRow;
};

extern MaterialRowSource MaterialRows;

// Start value of the seam: every table missing, until the table access sets it.
void InitMaterialValues();

// Fallbacks over the 20 °C value.
Extended FallbackYieldAtTemp(Extended re20, Extended T);
Extended FallbackModulusAtTemp(Extended e20, Extended T);

Extended BoltReAtTemp(std::string_view name, Extended T);
Extended BoltRmAtTemp(std::string_view name, Extended T);
Extended PlateReAtTemp(std::string_view name, Extended T, Extended re20);
Extended PlateScaledAtTemp(std::string_view name, Extended T, Extended value20, Extended re20);
Extended PlatePpermAtTemp(std::string_view name, Extended T, Extended value20, Extended re20);
Extended BoltEAtTemp(std::string_view name, Extended T);
Extended PlateEAtTemp(std::string_view name, int part, Extended T);
// Whether a calculation message says that a material is missing from a table
// over temperature ("mat_b_re.dbf: 6.8 not found !"): its value was then
// estimated from the 20 °C value, a notice rather than a failed check.
bool IsMaterialEstimateMessage(std::string_view text);
// Endurance limit for diameter d from row rowNo of the endurance-limit table;
// the row's material name goes to name.
Extended BoltSigmaAAtD(int rowNo, std::string& name, Extended d);
