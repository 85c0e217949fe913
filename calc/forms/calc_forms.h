// The input forms of the calculation, run without any GUI type in sight.
// Each creates its form, shows it modally and frees it. Values come from the
// joint records and go back on OK; Cancel (and Esc) sets AbortFlag and stores
// nothing beyond what the form's own buttons stored before.
#pragma once

#include <array>
#include <string>
#include <string_view>

// List editor over ItemTexts 1..count. selected: in, the entry to preselect
// (0 none); out, the marked entry (0 none). spare: captions of the three
// spare buttons (action codes 6, 7, 8); an empty caption hides the button.
// Returns the action: 0 OK or Cancel, 1 New, 2 Insert, 3 Delete, 6..8 the
// spare buttons, 9 Modify, 10 double click.
int RunListEditor(std::string_view caption, int count, int& selected,
                  const std::array<std::string, 3>& spare = {});
// Edits shank section `section` of the bolt (1..nSections).
void RunBoltSectionForm(int section);
// Edits clamped part `plate` (1..nPlates) with its material.
void RunClampedPlateForm(int plate);
// Stepping dialog of the material browsers: returns the new row within
// 1..maximum; its OK button sets AbortFlag (browsing ends).
int RunIndexSelection(int maximum, int position);

void RunPreliminaryDesignForm();  // TForm_vorauslegung
void RunPreloadForm();            // TForm_bq4pre
void RunCalcOptionsForm();        // TForm_bq4conf
void RunLoadForm();               // TForm_bq4last
void RunFrictionForm();           // TForm_bq4reib
void RunEccentricForm();          // TForm_exz
void RunBoltForm();               // TForm_bq4bolt
void RunNutForm();                // TForm_bq4nut
void RunTighteningForm();         // TForm_bq4anzi
