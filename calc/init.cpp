#include "calc/init.h"

#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_rows.h"

void InitCalcModules() {
  InitCalcRecords();
  InitTableRows();
  InitMaterialValues();
}
