#include "calc/material_values.h"

#include <cmath>

#include "calc/calc_run.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"

MaterialRowSource MaterialRows;

namespace {

long NearestInt(Extended x) { return std::lrint(static_cast<double>(x)); }

std::string WholeText(Extended x) {
  return std::to_string(NearestInt(x));
}

// A missing table was reported by the table access (a message box); the run
// gets a fatal message naming it, and AbortFlag stops it, so the 1.0 never
// reaches a result.
Extended TableMissing(std::string_view table) {
  FatalStop("Fatal  : " + std::string(table) + ".dbf not found !");
  AbortFlag = 1;
  return 1.0L;
}

// The message of a material missing from a table over temperature, without
// the name for the bolt modulus table.
std::string NotFoundText(std::string_view table, std::string_view name) {
  return std::string(table) + ".dbf" + (name.empty() ? "" : ": " + std::string(name)) + " not found !";
}

enum class Quantity { Yield, Modulus };

struct TempLookup {
  const char* table;
  Quantity quantity;
  std::string notFound;  // empty: no message
  const char* zero;
  const char* mismatch;  // nullptr: no comparison
};

// Interpolates the row over temperature; false when T is out of range.
bool InterpolateOverTemp(const MaterialRow& row, Extended T, Extended& result) {
  const long t = NearestInt(T);
  const auto& v = row.values;
  if (t >= -50 && t <= 20) {
    result = v[0];
    return true;
  }
  if (t >= 21 && t <= 100) {
    if (v[0] == 0 || v[1] == 0) result = 0;  // no value at one end: see below
    else result = v[0] + static_cast<Extended>(v[1] - v[0]) * (T - 20) * 0.0125L;
    return true;
  }
  for (int k = 1; k < 7; ++k) {
    const long lo = 100L * k;
    if (t >= lo + 1 && t <= lo + 100) {
      // A 0 in the table means "no value at that temperature": interpolating
      // towards it would make one up, so the interval has no value either.
      if (v[k] == 0 || v[k + 1] == 0) result = 0;
      else result = v[k] + static_cast<Extended>(v[k + 1] - v[k]) * (T - lo) * 0.01L;
      return true;
    }
  }
  return false;
}

Extended LookupOverTemp(const TempLookup& how, std::string_view name, Extended T, Extended base) {
  auto fallback = [&] {
    return how.quantity == Quantity::Yield ? FallbackYieldAtTemp(base, T)
                                           : FallbackModulusAtTemp(base, T);
  };
  if (AbortFlag) return 1.0L;  // a table failed already: one message is enough
  MaterialRow row;
  MaterialRowStatus status = MaterialRowStatus::TableMissing;
  if (MaterialRows.FindByName) status = MaterialRows.FindByName(how.table, name, row);
  if (status == MaterialRowStatus::TableMissing) return TableMissing(how.table);
  if (status == MaterialRowStatus::NotFound) {
    if (!how.notFound.empty()) AddErrorMessage(how.notFound);
    return fallback();
  }
  Extended result = 1.0L;
  if (!InterpolateOverTemp(row, T, result)) {
    AddErrorMessage("Error  : T out of range (" + WholeText(T) + "\xF8" "C");
    result = fallback();
  }
  if (result == 0) {
    AddErrorMessage(how.zero);
    result = fallback();
  }
  if (how.mismatch && row.values[0] != base) AddErrorMessage(how.mismatch);
  return result;
}

}  // namespace

void InitMaterialValues() { MaterialRows = MaterialRowSource{}; }

Extended FallbackYieldAtTemp(Extended re20, Extended T) { return (1.018L - T / 1120) * re20; }

Extended FallbackModulusAtTemp(Extended e20, Extended T) {
  const Extended a = e20 / 72.5L;
  if (a > 200) return e20 * (a - T) / (a - 20);
  return e20;
}

Extended BoltReAtTemp(std::string_view name, Extended T) {
  const TempLookup how{kMatBoltReTable, Quantity::Yield, NotFoundText(kMatBoltReTable, name),
                       "Warning: Re(T) = 0 !", "Warning: mat_bolt.Re<>mat_b_Re20!"};
  return LookupOverTemp(how, name, T, MatBolt.Rp02);
}

Extended BoltRmAtTemp(std::string_view name, Extended T) {
  if (MatBolt.Rp02 == 0) return 0;
  return BoltReAtTemp(name, T) * MatBolt.Rm / MatBolt.Rp02;
}

Extended PlateReAtTemp(std::string_view name, Extended T, Extended re20) {
  const TempLookup how{kMatPlateReTable, Quantity::Yield, "", "Warning: Re(T) = 0 !",
                       "Warning: mat_p_Re20<>base!"};
  return LookupOverTemp(how, name, T, re20);
}

Extended PlateScaledAtTemp(std::string_view name, Extended T, Extended value20, Extended re20) {
  if (re20 == 0) return 0;
  return PlateReAtTemp(name, T, re20) * value20 / re20;
}

Extended PlatePpermAtTemp(std::string_view name, Extended T, Extended value20, Extended re20) {
  if (re20 == 0) return value20;
  return PlateReAtTemp(name, T, re20) * value20 / re20;
}

Extended BoltEAtTemp(std::string_view name, Extended T) {
  const TempLookup how{kMatBoltETable, Quantity::Modulus, NotFoundText(kMatBoltETable, ""),
                       "Error  : ES(T) = 0 !", "Warning: mat_bolt.E<>mat_b_E20!"};
  return LookupOverTemp(how, name, T, MatBolt.E);
}

Extended PlateEAtTemp(std::string_view name, int part, Extended T) {
  const Extended base = part >= 0 && part < kPlateEntries ? Klemmstuecke.E[part] : 0;
  const TempLookup how{kMatPlateETable, Quantity::Modulus, NotFoundText(kMatPlateETable, name),
                       "Warning: EP(T) = 0 !", nullptr};
  return LookupOverTemp(how, name, T, base);
}

bool IsMaterialEstimateMessage(std::string_view text) {
  const auto begins = [text](const std::string& head) { return text.substr(0, head.size()) == head; };
  return begins(std::string(kMatBoltReTable) + ".dbf: ") || begins(std::string(kMatPlateETable) + ".dbf: ") ||
         text == NotFoundText(kMatBoltETable, "");
}

Extended BoltSigmaAAtD(int rowNo, std::string& name, Extended d) {
  if (AbortFlag) return 1.0L;
  MaterialRow row;
  MaterialRowStatus status = MaterialRowStatus::TableMissing;
  if (MaterialRows.ReadRow) status = MaterialRows.ReadRow(kMatBoltSigmaATable, rowNo, row);
  if (status == MaterialRowStatus::TableMissing) return TableMissing(kMatBoltSigmaATable);
  if (rowNo == 0) return 0;
  if (status != MaterialRowStatus::Found) {
    // An empty table: no endurance limit rather than a made-up one.
    AddErrorMessage("Error  : mat_b_sa.dbf not found !");
    AddErrorMessage("Error  : Sigma A (d) = 0 !");
    return 0;
  }
  name = row.name;
  const auto& s = row.values;
  const long t = NearestInt(d);
  Extended result = 0;
  if (t < 2) result = s[0];
  else if (t <= 4) result = s[0] + static_cast<Extended>(s[1] - s[0]) * (d - 1) / 3;
  else if (t <= 6) result = s[1] + static_cast<Extended>(s[2] - s[1]) * (d - 4) / 2;
  else if (t <= 10) result = s[2] + static_cast<Extended>(s[3] - s[2]) * (d - 6) / 4;
  else if (t <= 16) result = s[3] + static_cast<Extended>(s[4] - s[3]) * (d - 10) / 6;
  else if (t <= 25) result = s[4] + static_cast<Extended>(s[5] - s[4]) * (d - 16) / 9;
  else if (t <= 40) result = s[5] + static_cast<Extended>(s[6] - s[5]) * (d - 25) / 15;
  else if (t <= 63) result = s[6] + static_cast<Extended>(s[7] - s[6]) * (d - 40) / 23;
  else if (t <= 100) result = s[7] + static_cast<Extended>(s[8] - s[7]) * (d - 63) / 37;
  else AddErrorMessage("Error  : d out of range (" + WholeText(d) + ") MAT_B_SA");
  if (result == 0) AddErrorMessage("Error  : Sigma A (d) = 0 !");
  return result;
}
