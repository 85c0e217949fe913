// The calculation on a joint filled from the tables the build ships.
#include <gtest/gtest.h>

#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "table_test_support.h"

namespace {

class JointFromTablesTest : public table_test::TableTest {
 protected:
  void SetUp() override {
    TableTest::SetUp();
    TempDir = table_test::FreshDir("calc_index");
  }
};

// Bolt, head, bolt material and the tapped part's material from their tables,
// as the input procedures take them over.
void FillTappedM12JointFromTables() {
  FindCalcRecord(1);
  FindCalcRecord(2);
  FindCalcRecord(20);
  OpenPlateMaterialTable(0, Sackloch.NutMatRow);
  ASSERT_EQ(AbortFlag, 0);
  Schraube.dK = Din912.dK;
  Schraube.dw = Din912.dw;
  Schraube.nSections = 1;
  Schraube.lSec[1] = 60;
  Schraube.dSec[1] = Gewinde.d;
  MatMutter.Name = Pressung.Name;
  MatMutter.RmM = Pressung.Rm;
  MatMutter.ReM = Pressung.Re;
  MatMutter.EM = Pressung.E;
  MatMutter.pGNut = Pressung.pG;
  Klemmstuecke.nPlates = 1;
  Klemmstuecke.De[1] = 80;
  Klemmstuecke.Di[1] = 13.5L;
  Klemmstuecke.L[1] = 42;
  Klemmstuecke.pmax[1] = 700;
  Klemmstuecke.Re[1] = 300;
}

TEST_F(JointFromTablesTest, WorkingTemperatureReadsTheMaterialTables) {
  FillTappedM12JointFromTables();
  Temperatur.TWork = 150;
  MatBolt.alphaTBolt = 11.5e-6L;
  Klemmstuecke.alphaT[1] = 11.5e-6L;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_FALSE(HasMessageStartingWith("mat_b_re.dbf:")) << ::testing::PrintToString(MessageTexts());
  EXPECT_FALSE(HasMessage("mat_b_e.dbf not found !"));
  EXPECT_FALSE(HasMessageStartingWith("Error  : mat_"));
  EXPECT_LT(static_cast<double>(Temperatur.Rp02T), MatBolt.Rp02);
  EXPECT_GT(static_cast<double>(Schraube.deltaST), static_cast<double>(Schraube.deltaS));
}

}  // namespace
