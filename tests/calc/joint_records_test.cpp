#include "calc/joint_records.h"

#include <gtest/gtest.h>

#include "calc/init.h"

namespace {

class JointRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcModules(); }
};

TEST_F(JointRecordsTest, StartsFromMetricM12StrengthClass129) {
  EXPECT_EQ(Gewinde.Designation, "M12");
  EXPECT_EQ(Gewinde.d, 12);
  EXPECT_EQ(Gewinde.P, 1.75L);
  EXPECT_EQ(Gewinde.Kind.view(), "M");
  EXPECT_EQ(Schraube.l, 60);
  EXPECT_EQ(Schraube.b, 26);
  EXPECT_EQ(Schraube.nSections, 1);
  EXPECT_EQ(Schraube.lSec[1], 60);
  EXPECT_EQ(Schraube.As, 84.3L);
  EXPECT_EQ(Schraube.ThreadRow, 12);
  EXPECT_EQ(MatBolt.StrengthClass, "12.9");
  EXPECT_EQ(MatBolt.Rp02, 1100);  // the minimum values, as the tables hold them
  EXPECT_EQ(MatBolt.Rm, 1220);
  EXPECT_EQ(MatBolt.E, 206000);
  EXPECT_EQ(Verbindung.JointKind, kJointTapped);
  EXPECT_EQ(Last.LoadKind, 2);
  EXPECT_EQ(Last.LoadCase, 1);
  EXPECT_EQ(Last.FAmax, 24900);
  EXPECT_EQ(Last.FKreq, 1000);
  EXPECT_EQ(Reibung.muGmin, 0.14L);
  EXPECT_EQ(Reibung.muKmin, 0.1L);
  EXPECT_EQ(Reibung.muTr, 0.12L);
  EXPECT_EQ(Montage.nu, 0.9L);
  EXPECT_EQ(Montage.alphaA, 1.6L);
  EXPECT_EQ(CalcOptions.VdiEdition, 2);
  EXPECT_EQ(Klemmstuecke.nPlates, 0);
  EXPECT_EQ(Temperatur.T0, 20);
  EXPECT_EQ(Temperatur.TWork, 20);
}

TEST_F(JointRecordsTest, ClampedPartsDefaultEveryEntry) {
  for (int i = 0; i < kPlateEntries; ++i) {
    EXPECT_EQ(Klemmstuecke.E[i], 210000) << i;
    EXPECT_EQ(Klemmstuecke.pmax[i], 100) << i;
  }
  EXPECT_EQ(Klemmstuecke.De[1], 80);
  EXPECT_EQ(Klemmstuecke.L[1], 42);
  EXPECT_EQ(Klemmstuecke.SPmin, 1);
  // 20 parts plus the head (0) and the nut entry (21).
  EXPECT_EQ(kPlateEntries, kMaxPlates + 2);
  EXPECT_EQ(kSectionEntries, kMaxBoltSections + 1);
}

TEST_F(JointRecordsTest, ReinitialisingRestoresDefaultsAfterChanges) {
  Schraube.l = 99;
  Klemmstuecke.E[5] = 1;
  Klemmstuecke.Material[3] = "S235";
  InitCalcModules();
  EXPECT_EQ(Schraube.l, 60);
  EXPECT_EQ(Klemmstuecke.E[5], 210000);
  EXPECT_TRUE(Klemmstuecke.Material[3].empty());
}

TEST_F(JointRecordsTest, DisplayNamesAreCutToTheirWidths) {
  EXPECT_EQ(StrengthClassNames[6].view(), "specia");
  EXPECT_EQ(JointKindNames[2].view(), "through bolted joint with nut (DSV)");
}

}  // namespace
