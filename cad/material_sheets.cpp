#include "cad/material_sheets.h"

#include "cad/axis_frame.h"
#include "cad/diagram_plotter.h"
#include "calc/calc_tables.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"

namespace {

constexpr int kSheetTextColour = 19;
constexpr Extended kDiagramSize = 60;

// The temperatures of the table columns: 20, 100, 200, ..., 700 °C.
Extended ColumnTemperature(int i) { return i == 0 ? 20 : 100 * i; }

// One value-over-temperature diagram of a material.
void DrawTemperatureDiagram(const char* table, const std::string& name, const char* quantity) {
  if (!MaterialRows.FindByName) return;
  MaterialRow row;
  if (MaterialRows.FindByName(table, name, row) != MaterialRowStatus::Found) return;
  const std::string unit = StressUnitText();
  PlotFrame("T (\xF8" "C)", std::string(quantity) + " [" + unit + "]",
            std::string("    ") + quantity + " = f (T)", 0, 0, 700, StressToDisplay(row.values[0]), 0);
  CadSetColor(kSheetTextColour);
  PlotMoveTo(20, StressToDisplay(row.values[0]));
  // Missing values (0 or less) are skipped: the line goes on from the last point.
  for (int i = 1; i <= 7; ++i)
    if (row.values[i] > 0) PlotLineTo(ColumnTemperature(i), StressToDisplay(row.values[i]));
}

std::string StressLine(const char* label, Extended mpa) {
  return label + StressToText(mpa) + " " + StressUnitText();
}

// Name, the strength values and the coefficients from (10, 115) down.
void WriteMaterialTexts(const std::string& name, Extended re, Extended rm, Extended e, Extended alpha,
                        const char* betaLabel, Extended beta, Extended taubRm) {
  CadSetColor(kSheetTextColour);
  CadSetTextStyle(2, 0, 2.2L, 2.5L);
  CadMoveTo(10, 115);
  CadTextLine(name);
  CadSetTextStyle(2, 0, 1.8L, 2.0L);
  CadTextLine(StressLine("Re = ", re));
  CadTextLine(StressLine("Rm = ", rm));
  CadTextLine(StressLine("E = ", e));
  CadTextLine("alpha = " + FloatToText(alpha) + "/K");
  CadTextLine(betaLabel + FloatToText(beta));
  CadTextLine("taub/Rm = " + FloatToText(taubRm));
}

void DrawDiagramPair(void (*re)(const std::string&), void (*e)(const std::string&), const std::string& name) {
  SetPlotSize(kDiagramSize, kDiagramSize);
  SetPlotOrigin(10, 10);
  re(name);
  SetPlotOrigin(90, 10);
  e(name);
}

// Opens the device and the sheet; false when the user cancelled.
bool OpenSheet(TCadDevice device) {
  CadOpen(device, "");
  if (AbortFlag) return false;
  PlotInit();
  CadBeginDrawing(0, 0, 160, 120);
  CadWriteTables(2);
  return true;
}

void CloseSheet() {
  CadClose(0);
  RestoreCursor();
}

TCalcTableNo PlateTable(Word kind) { return kind == 1 ? kPlateMaterialTable1 : kPlateMaterialTable; }

int TableRowCount(TCalcTableNo n) {
  OpenCalcTable(n);
  if (AbortFlag) return 0;
  const int count = DbfRecordCount();
  CloseDbfTable();
  return count;
}

}  // namespace

void DrawBoltReDiagram(const std::string& name) { DrawTemperatureDiagram(kMatBoltReTable, name, "Re"); }
void DrawBoltEDiagram(const std::string& name) { DrawTemperatureDiagram(kMatBoltETable, name, "E"); }
void DrawPlateReDiagram(const std::string& name) { DrawTemperatureDiagram(kMatPlateReTable, name, "Re"); }
void DrawPlateEDiagram(const std::string& name) { DrawTemperatureDiagram(kMatPlateETable, name, "E"); }

void DrawBoltMaterialPasses() {
  do {
    CadBeginEntities();
    WriteMaterialTexts(MatBolt.StrengthClass, MatBolt.Rp02, MatBolt.Rm, MatBolt.E, MatBolt.alphaTBolt,
                       "beta b = ", MatBolt.betaB, MatBolt.betaBVdi);
    CadTextLine(MatBolt.Comment1);
    CadTextLine(MatBolt.Comment2);
    CadTextLine("mat_bolt.dbf");
    DrawDiagramPair(DrawBoltReDiagram, DrawBoltEDiagram, MatBolt.StrengthClass);
    CadEndSection();
  } while (!CadLastPass());
}

void DrawPlateMaterialPasses(Word kind, Word row) {
  do {
    CadBeginEntities();
    WriteMaterialTexts(Pressung.Name, Pressung.Re, Pressung.Rm, Pressung.E, Pressung.alphaT, "beta m = ",
                       Pressung.Ratio1, Pressung.Ratio2);
    CadTextLine(Pressung.Text);
    // An empty text moves no line: a blank keeps the empty line.
    CadTextLine(" ");
    CadTextLine(std::string(kind == 1 ? "mat_p_1.dbf" : "pressung.dbf") + "   (" + IntToText(row) + ")");
    DrawDiagramPair(DrawPlateReDiagram, DrawPlateEDiagram, Pressung.Name);
    CadEndSection();
  } while (!CadLastPass());
}

void DrawBoltMaterialSheet(Word mode, TCadDevice device) {
  // The joint's own material row comes back whole afterwards, also when the
  // bolt record holds no table row.
  const Word keptRow = Schraube.MatBoltRow;
  const MAT_BOLT_Record kept = MatBolt;
  // The user picks before the output opens, so that a cancelled pick leaves
  // no drawing file half written.
  if (mode == 1) SelectCalcTable(kBoltMaterialTable, 1);
  else FindCalcRecord(kBoltMaterialTable);
  if (!AbortFlag && OpenSheet(device)) {
    DrawBoltMaterialPasses();
    CloseSheet();
  }
  Schraube.MatBoltRow = keptRow;
  MatBolt = kept;
}

void DrawPlateMaterialSheet(Word mode, TCadDevice device, Word kind, Word row) {
  if (mode == 1) {
    SelectCalcTable(PlateTable(kind), 1);
    row = static_cast<Word>(SelectedRecordNo);
  } else {
    OpenPlateMaterialTable(kind, row);
  }
  if (AbortFlag || !OpenSheet(device)) return;
  DrawPlateMaterialPasses(kind, row);
  CloseSheet();
}

void ViewBoltMaterial() {
  const Word keptRow = Schraube.MatBoltRow;
  const MAT_BOLT_Record kept = MatBolt;
  const int count = TableRowCount(kBoltMaterialTable);
  if (!AbortFlag && count > 0) {
    if (Schraube.MatBoltRow < 1) Schraube.MatBoltRow = 1;
    DrawBoltMaterialSheet(0, kCadScreen);
    while (!AbortFlag) {
      Schraube.MatBoltRow = static_cast<Word>(RunIndexSelection(count, Schraube.MatBoltRow));
      DrawBoltMaterialSheet(0, kCadScreen);
    }
  }
  AbortFlag = 0;
  Schraube.MatBoltRow = keptRow;
  MatBolt = kept;
}

void ViewNutMaterial(Word kind) {
  const int count = TableRowCount(PlateTable(kind));
  if (!AbortFlag && count > 0) {
    Word row = 1;
    DrawPlateMaterialSheet(0, kCadScreen, kind, row);
    while (!AbortFlag) {
      row = static_cast<Word>(RunIndexSelection(count, row));
      DrawPlateMaterialSheet(0, kCadScreen, kind, row);
    }
  }
  AbortFlag = 0;
}
