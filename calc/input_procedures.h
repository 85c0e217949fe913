// The guided input of a joint: chains of small dialogs, each asking for one
// choice or one value, that fill the joint records and pick the matching
// table rows. Cancel anywhere sets AbortFlag; a procedure stops at its next
// test of the flag and leaves the fields not yet asked unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/types.h"

// Bolt, thread, head, length and material -------------------------------------

// Chooses the bolt type and runs the chain of that type.
void InputBoltType();
void InputStandardBolt();     // types other than 3
void InputSelfDefinedBolt();  // type 3: sections entered by the user
void InputThreadData();
// Shows the thread table (in mode) on the bolt's thread row; a row accepted
// there becomes the bolt's thread with the head, nut, washers and shank of
// its size (TakeThreadSize), or is refused by name and nothing changes.
// False, with AbortFlag set, after Cancel, a refusal or a missing table.
bool PickBoltThread(int mode, const std::string& caption);
void InputScrewHead();
void InputBoltLength();
void InputThreadLength();
void InputBoltMaterial();
// The endurance strength choices 1..4 (stored characters): the two formulas
// of the project's edition, "Database" and "Input".
std::vector<std::string> EnduranceChoiceTexts();
// The shank sections of a standard bolt type from d, P, l and b.
void BuildBoltSections();
// List editor of the sections of a self-defined bolt (at most 10).
void EditBoltSections();
// Standard thread length b of the current bolt from its head row (2.5 d
// without one), cut to l - 2 P.
Extended StandardThreadLength();
// Proposals from the basic thread profile of Gewinde (d, P).
Extended ProposedPitchDiameter();     // d2 = d - 0.649519 P
Extended ProposedMinorDiameter();     // d3 = d - 1.22687 P
Extended ProposedMinMajorDiameter();  // dmin = d - 0.18 P^(2/3) - 0.00315 / sqrt(P)
// Bearing and head diameter of the bolt from the current head row record.
void TakeHeadRowValues();
// Shows the open head table of the kind (in mode) until a row of the bolt's
// size (any row of the special head) is chosen, which becomes the head row
// record; a row of another size is refused by name. False after Cancel.
bool PickHeadRowOfBoltSize(int headType, int mode);
// Shows the open table (in mode) until a row is chosen whose d, as
// rowDiameter reads it from the row record, is the bolt's (any row without
// rowDiameter); the row stays in the row record. A row of another size is
// refused by name. False after Cancel.
bool PickRowOfBoltSize(int table, std::string_view kindName, int mode,
                       const std::function<Extended()>& rowDiameter);
// Lets the user pick a standard length near the proposal; 0 after Cancel.
Extended SelectBoltLength(Extended proposal);

// Nut, tapped hole and nut material --------------------------------------------

// A tapped hole is taken with a material: Escape before one is picked
// leaves the joint kind and material as they were.
void InputNut();
// The table, its row and the allowance class; true when a material row was
// taken (Escape at the allowance class after it keeps it).
bool InputNutMaterial();
// Lets the user pick the nut material from plate-material table 0
// (pressung) or 1 (mat_p_1); on OK the row becomes the nut material with its
// table and row. False after Cancel or a table that cannot be had (the
// material, its table and row unchanged).
bool PickNutMaterial(int table);
// Bearing diameter, height and nominal diameter of the nut from the current
// row record of nut kind 1..3.
void TakeNutRowValues(int nutType);
// The nut material from the current plate-material row record (Pressung).
void TakeNutMaterialRow();
// With the table of nut kind 1..3 open: goes to the remembered row NutRow
// when its d is the thread's, else searches the key of the thread's d; true
// when a row of that diameter stands.
bool GoToNutRowOfThread(int nutType);
// The nut and the row records of the nut tables as they were, put back when
// the snapshot ends unless Keep() was called.
class NutSnapshot {
 public:
  NutSnapshot();
  ~NutSnapshot();
  NutSnapshot(const NutSnapshot&) = delete;
  NutSnapshot& operator=(const NutSnapshot&) = delete;
  void Keep() { keep_ = true; }

 private:
  MUTTERTYPE nut_;
  DIN934_Record hex_, heavy_;
  FLANGNUT_Record flange_;
  bool keep_ = false;
};
// With the table of nut kind 1..3 open: shows it on the nut's row of the
// thread's size (in edit mode to append one when the table lacks the size)
// until a row of that size is chosen, which becomes the nut (row record,
// NutRow, dw, height, d). False after Cancel; the row record may then hold
// another row (a NutSnapshot puts it back).
bool PickNutRowOfBoltSize(int nutType);
// Without a dialog or message: the row of the thread's size in the table of
// nut kind 1..3 becomes the nut (row record, NutRow, dw, height, d); false,
// with nothing changed, when the table lacks the size or cannot be read.
bool TakeNutRowOfThread(int nutType);

// Preliminary design -------------------------------------------------------------

// Proposes thread size and strength class from the loads and applies the
// accepted one. newJoint: the bolt, plates and nut are entered next, so the
// user's entries of the old size are no obstacle.
void PreliminaryDesign(bool newJoint = false);
// Applies thread size d (mm) and strength class 1..3 ("12.9", "10.9", "8.8")
// with the matching thread, head and nut rows, washers, holes and shank.
// When the tables or the user's own entries stand in the way (a head without
// that size, a plate too narrow for the new hole, a self-defined bolt),
// nothing changes: a message names each point, AbortFlag is set and false
// returned.
bool ApplyPreliminaryDesign(int d, Word classCode, bool newJoint);

// What stands in the way of a new thread size besides a table without it.
enum class SizeChange {
  Proposal,    // a proposal for the joint: also what the user entered for the old size
  NewJoint,    // a proposal for a new joint: thread, head and nut; what was entered
               // for the old size is no obstacle (the rest is entered next)
  ThreadPick,  // a thread picked for the bolt: the head, nut and washer rows
};
// Takes thread row threadRow (0: the row of d) of size d with the head row
// of the same head kind, the nut row of the same nut kind and the washers of
// the same standard for that size, the holes, thread length and shank. Of
// the same size only the thread row is taken. When something stands in the
// way nothing changes: one message (heading, a line for each point, advice)
// names it, AbortFlag is set and false returned.
bool TakeThreadSize(std::int32_t threadRow, Extended d, SizeChange how, const std::string& heading,
                    const std::string& advice);
// Row of the smallest tabulated force of the R5 series (1000, 1600, 2500,
// 4000, 6300, 10000, ... N) not below the force: 1000 N gives 0, 1600 N 1,
// 1601 N 2, 10000 N 5; -9999 for no positive force.
int ForceClass(Extended force);
// Thread diameter in mm proposed for force step k (1..14) and strength class
// column (1 "12.9", 2 "10.9", 3 "8.8").
int PreliminaryDiameter(int k, int classColumn);

// Clamped parts, load and force introduction -------------------------------------

// Bore Di of every clamped part.
void SetAllBores(Extended di);

// List editor of the clamped parts (at most 20).
void EditClampingPieces();
void InputLoad();
// Centric or eccentric application of force.
void InputForceIntroduction();

// Tightening ---------------------------------------------------------------------

// Shows the tightening tool table (in mode) on the joint's row; an accepted
// row gives the procedure and tool texts, the tightening factor alphaA and
// the dispersion. False after Cancel or a missing table.
bool PickTighteningTool(int mode, const std::string& caption);
