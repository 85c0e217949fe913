// A calculated joint for the drawing tests: the tables the build ships,
// rows of every head and nut kind for one thread size, and the default
// M12 12.9 joint with one clamped plate.
#pragma once

#include <filesystem>
#include <string>

#include "../calc/table_test_support.h"
#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/init.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "dbf/init.h"
#include "drawing_test_support.h"

class JointDrawingFixture : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    InitDbfModules();
    InitCalcModules();
    const std::string tempDir = TempDir;
    DbfDir = table_test::CopyBuiltTables();
    TempDir = tempDir;
  }

  // Rows of the head and nut tables for the thread diameter d (the thread
  // itself is set by hand: the tables' keys follow it); the slotted heads
  // exist up to M10 only.
  static void ReadPartRows(Extended d, Extended P) {
    Gewinde.d = d;
    Gewinde.P = P;
    for (int table = 2; table <= 9; ++table)
      if (d <= 10 || (table != 4 && table != 5 && table != 7)) FindCalcRecord(table);
    FindCalcRecord(13);
    if (d > 10) FindCalcRecord(12);
    FindCalcRecord(11);  // last: the nut values of the hex nut row
    AbortFlag = 0;
  }

  // The default M12 12.9 joint with its socket head and one 42 mm plate,
  // calculated; joint kind and head type as given.
  static void CalculatedM12Joint(Word jointKind = kJointTapped, Word headType = 1) {
    FindCalcRecord(1);
    ReadPartRows(12, 1.75L);
    FindCalcRecord(20);
    OpenPlateMaterialTable(0, Sackloch.NutMatRow);
    AbortFlag = 0;
    Verbindung.JointKind = jointKind;
    Schraube.HeadType = headType;
    Schraube.dK = Din912.dK;
    Schraube.dw = Din912.dw;
    Schraube.nSections = 1;
    Schraube.lSec[1] = jointKind == kJointWithNut ? 70 : 60;
    Schraube.dSec[1] = Gewinde.d;
    Schraube.b = 30;
    Klemmstuecke.nPlates = 1;
    Klemmstuecke.De[1] = 80;
    Klemmstuecke.Di[1] = 13.5L;
    Klemmstuecke.L[1] = 42;
    Klemmstuecke.pmax[1] = 700;
    Klemmstuecke.Re[1] = 300;
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0) << FirstMessage();
    ClearCalcMessages();  // warnings of the calculation do not stop a drawing
  }
};
