#include "calc/designation.h"

#include <gtest/gtest.h>

#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "calc_test_support.h"

namespace {

using DesignationTest = CalcTest;

TEST_F(DesignationTest, BoltDesignationsAndStandardTexts) {
  Schraube.HeadType = 2;
  Din931.Standard = "ISO 4014  ";
  Din931.s = 18;
  MatBolt.StrengthClass = "8.8 ";
  EXPECT_EQ(BoltDesignation(), "ISO 4014 - M12 x 60 - 8.8 SW18");
  EXPECT_EQ(BoltWidthAcrossFlats(), 18);
  // A self-defined bolt is special; the report writes its own "SPECIAL BOLT:  "
  // line in front of the plain text.
  InitCalcTest();
  Din912.Standard = "ISO 4762";
  Schraube.BoltType = 3;
  EXPECT_EQ(BoltDesignation(), "SPECIAL BOLT: ISO 4762 - M12 x 60 - 12.9");
  EXPECT_EQ(PlainBoltDesignation(), "ISO 4762 - M12 x 60 - 12.9");

  // Standard texts and widths across flats; none for kinds without a standard.
  Din934.Standard = "ISO 4032   ";
  Din934.s = 18;
  EXPECT_EQ(NutStandardText(), "ISO 4032");
  EXPECT_EQ(NutWidthAcrossFlatsText(), "18");
  Mutter.NutType = 4;
  EXPECT_EQ(NutStandardText(), "");
  EXPECT_EQ(NutWidthAcrossFlatsText(), "");
  Schraube.HeadType = 9;
  EXPECT_EQ(BoltStandardText(), "");
  EXPECT_EQ(HeadRowNominalDiameter(), 0);
  Schraube.HeadType = 3;
  EXPECT_EQ(BoltWidthAcrossFlats(), 0);
}

}  // namespace
