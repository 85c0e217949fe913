#include "calc/material_values.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/calc_messages.h"

namespace {

// Rows handed to the lookups in place of the tables.
class MaterialValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCalcTest();
    // A 12.9 bolt of nominal values, as the yield table below starts.
    MatBolt.Rp02 = 1080;
    MatBolt.Rm = 1200;
    MaterialRows.FindByName = [this](std::string_view table, std::string_view name, MaterialRow& row) {
      const auto t = tables.find(std::string(table));
      if (t == tables.end()) return MaterialRowStatus::TableMissing;
      const auto r = t->second.find(std::string(name));
      if (r == t->second.end()) return MaterialRowStatus::NotFound;
      row = r->second;
      return MaterialRowStatus::Found;
    };
    MaterialRows.ReadRow = [this](std::string_view table, int rowNo, MaterialRow& row) {
      const auto t = tables.find(std::string(table));
      if (t == tables.end()) return MaterialRowStatus::TableMissing;
      int i = 1;
      for (const auto& [name, r] : t->second)
        if (i++ == rowNo) {
          row = r;
          return MaterialRowStatus::Found;
        }
      return MaterialRowStatus::NotFound;
    };
    // Yield point of 12.9 over 20, 100, ..., 700 °C.
    tables["mat_b_re"]["12.9"] = {"12.9", {1080, 1000, 940, 870, 780, 600, 400, 200}};
    tables["mat_b_e"]["12.9"] = {"12.9", {206000, 202000, 195000, 186000, 178000, 170000, 160000, 150000}};
    tables["mat_p_re"]["S355"] = {"S355", {355, 315, 280, 240, 200, 160, 120, 80}};
    tables["mat_p_e"]["S355"] = {"S355", {210000, 205000, 200000, 192000, 184000, 175000, 165000, 150000}};
    tables["mat_b_sa"]["rolled"] = {"rolled", {100, 90, 80, 70, 60, 50, 45, 40, 35}};
  }
  std::map<std::string, std::map<std::string, MaterialRow>> tables;
};

TEST_F(MaterialValuesTest, InterpolatesOverTemperatureAndTakesTheFallbackOutOfRange) {
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 20.4L)), 1080, 1e-12);
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 20.6L)), 1080 + (1000 - 1080) * 0.6 / 80, 1e-9);
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 150)), 1000 + (940 - 1000) * 0.5, 1e-9);
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 700)), 200, 1e-9);
  EXPECT_NEAR(D(BoltReAtTemp("12.9", -50)), 1080, 1e-12);
  EXPECT_EQ(CalcMessages.count, 0);
  // A different value at 20 °C still uses the table.
  MatBolt.Rp02 = 1100;
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 100)), 1000, 1e-9);
  EXPECT_TRUE(HasMessage("Warning: mat_bolt.Re<>mat_b_Re20!"));
  EXPECT_NEAR(D(BoltRmAtTemp("12.9", 100)), 1000.0 * 1200 / 1100, 1e-9);

  // Out of range: the fallback.
  MatBolt.Rp02 = 1080;
  EXPECT_NEAR(D(BoltReAtTemp("12.9", 700.6L)), (1.018 - 700.6 / 1120) * 1080, 1e-9);
  EXPECT_TRUE(HasMessage("Error  : T out of range (701\xF8" "C"));
  EXPECT_NEAR(D(BoltReAtTemp("12.9", -60)), (1.018 + 60.0 / 1120) * 1080, 1e-9);
  EXPECT_TRUE(HasMessage("Error  : T out of range (-60\xF8" "C"));
}

TEST_F(MaterialValuesTest, MissingRowsZeroValuesAndMissingTablesFallBack) {
  // Modulus: a = 206000/72.5 = 2841.4, E(300) = E20·(a - 300)/(a - 20) = 185556.
  EXPECT_NEAR(D(BoltEAtTemp("unknown", 300)), 185556, 0.5);
  EXPECT_TRUE(HasMessage("mat_b_e.dbf not found !"));
  EXPECT_NEAR(D(BoltReAtTemp("unknown", 300)), 0.750142857 * 1080, 1e-6);
  EXPECT_TRUE(HasMessage("mat_b_re.dbf: unknown not found !"));

  tables["mat_b_e"]["12.9"].values[3] = 0;
  tables["mat_b_e"]["12.9"].values[2] = 0;
  EXPECT_NEAR(D(BoltEAtTemp("12.9", 250)), D(FallbackModulusAtTemp(206000, 250)), 1e-6);
  EXPECT_TRUE(HasMessage("Error  : ES(T) = 0 !"));

}

// A missing table gives 1.0, AbortFlag (the table access has named it) and a
// fatal message naming the table: no fallback value; while the flag is set,
// later lookups give 1.0 without asking again.
TEST_F(MaterialValuesTest, AMissingTableGivesOneAndAbortsEveryLookup) {
  std::string name = "kept";
  struct Row {
    const char* table;
    std::function<Extended()> lookup;
  };
  const std::vector<Row> rows = {
      {"mat_b_re", [] { return BoltReAtTemp("12.9", 300); }},
      {"mat_p_re", [] { return PlateReAtTemp("S355", 300, 355); }},
      {"mat_b_e", [] { return BoltEAtTemp("12.9", 300); }},
      {"mat_p_e", [] { return PlateEAtTemp("S355", 1, 300); }},
      {"mat_b_sa", [&] { return BoltSigmaAAtD(1, name, 12); }},
      {"mat_b_sa", [&] { return BoltSigmaAAtD(0, name, 12); }},  // row 0 too
  };
  tables.clear();
  for (bool seam : {true, false}) {
    if (!seam) InitMaterialValues();  // no table access at all
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.table) + (seam ? "" : ", no table access"));
      ClearCalcMessages();
      AbortFlag = 0;
      EXPECT_EQ(r.lookup(), 1.0L);
      EXPECT_EQ(AbortFlag, 1);
      EXPECT_EQ(CalcMessages.count, 1);
      EXPECT_TRUE(HasMessage("Fatal  : " + std::string(r.table) + ".dbf not found !"));
      EXPECT_EQ(r.lookup(), 1.0L);
      EXPECT_EQ(CalcMessages.count, 1);
    }
  }
  EXPECT_EQ(name, "kept");
}

TEST_F(MaterialValuesTest, EnduranceLimitOverDiameterAndPlateValuesScaledByTheirYieldPoint) {
  std::string name;
  EXPECT_NEAR(D(BoltSigmaAAtD(1, name, 12)), 70 + (60 - 70) * 2 / 6.0, 1e-9);
  EXPECT_EQ(name, "rolled");
  // 100.4 still rounds to the last interval: S63 + (S100 - S63)·(d - 63)/37.
  EXPECT_NEAR(D(BoltSigmaAAtD(1, name, 100.4L)), 40 - 5 * 37.4 / 37, 1e-9);
  EXPECT_NEAR(D(BoltSigmaAAtD(1, name, 1)), 100, 1e-9);
  EXPECT_EQ(CalcMessages.count, 0);
  EXPECT_EQ(BoltSigmaAAtD(1, name, 101), 0);
  EXPECT_TRUE(HasMessage("Error  : d out of range (101) MAT_B_SA"));
  EXPECT_TRUE(HasMessage("Error  : Sigma A (d) = 0 !"));
  ClearCalcMessages();
  EXPECT_EQ(BoltSigmaAAtD(0, name, 12), 0);
  EXPECT_EQ(CalcMessages.count, 0);

  // Plate values scale with their yield point.
  EXPECT_NEAR(D(PlateReAtTemp("S355", 200, 355)), 280, 1e-9);
  EXPECT_NEAR(D(PlateScaledAtTemp("S355", 200, 500, 355)), 280.0 * 500 / 355, 1e-9);
  EXPECT_EQ(PlateScaledAtTemp("S355", 200, 500, 0), 0);
  EXPECT_EQ(PlatePpermAtTemp("S355", 200, 500, 0), 500);
  // No message for a plate missing from the yield table; the fallback.
  EXPECT_NEAR(D(PlateReAtTemp("AlMg3", 100, 200)), (1.018 - 100.0 / 1120) * 200, 1e-9);
  EXPECT_EQ(CalcMessages.count, 0);
  Klemmstuecke.E[2] = 70000;
  EXPECT_NEAR(D(PlateEAtTemp("AlMg3", 2, 20)), 70000, 1e-9);  // a = 965.5 > 200: E20 at 20 °C
  EXPECT_TRUE(HasMessage("mat_p_e.dbf: AlMg3 not found !"));
}

}  // namespace
