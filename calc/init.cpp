#include "calc/init.h"

#include "calc/calc_tables.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_rows.h"

void InitCalcModules() {
  InitCalcRecords();
  InitTableRows();
  InitMaterialValues();
  InitCalcTables();  // after InitMaterialValues: it connects the material rows to the tables
}
