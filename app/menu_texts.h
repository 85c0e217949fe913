// The menu texts particular to bolted joints, in German, English, French and
// Korean. The common texts (File, Edit, View ...) are the framework's
// MenuCaptions; the main window composes its captions from both sets.
// Texts are UTF-8, as the framework's captions; "&" marks the access key.
#pragma once

#include <string>

#include "framework/globals.h"
#include "framework/types.h"

enum TProductText : int {
  kTextTightening = 1,         // &Tightening
  kTextTighteningTool,         // Tightening T&ool
  kTextWorkingReqd,            // Working Cond. reqd.
  kTextWorkingMax,             // Working Cond. max.
  kTextWorkingMin,             // Working Cond. min.
  kTextEccentric,              // &Eccentr.Applic.
  kTextFAlphaDiagram,          // &F-alpha-Diagram
  kTextFlange,                 // F&lange
  kTextFmMaDiagram,            // FM-MA-D&iagram
  kTextThread,                 // &Thread
  kTextFrictionThread,         // &Friction Thread
  kTextClampingPlates,         // Clamping &Plates
  kTextFrictionHead,           // Friction &Head
  kTextLoadInput,              // &Load  (Edit menu)
  kTextMAlphaDiagram,          // &M-alpha-Diagram
  kTextAssembly,               // &Assembly Condition
  kTextAssemblyReqd,           // Assembly Cond. re&qd.
  kTextNut,                    // &Nut
  kTextNuts,                   // &Nuts
  kTextFriction,               // &Friction
  kTextWashers,                // &Washers
  kTextBolt,                   // &Bolt
  kTextScrewHead,              // &Screw Head
  kTextBoltLength,             // &Bolt Length
  kTextTemperature,            // &Temperature
  kTextFrictionMating,         // Friction &Mating Surface
  kTextLowerView,              // &Lower View
  kTextLoadExtension,          // &Load-Extension Diagram
  kTextMaterialPlates,         // M&aterial Plates/Nut
  kTextMaterialBolt,           // &Material Bolt
  kTextTableDrawing,           // &Table Drawing
  kTextForces,                 // &Load  (forces table)
  kTextCalculationDocument,    // Calculation &Document (PDF)...
};

constexpr int kProductTextCount = 33;

extern OneBasedArray<std::string, kProductTextCount> ProductTexts;

// Assigns every product text for language 1 German, 2 English, 3 French or
// 8 Korean; any other code keeps the texts of the language before.
void SetProductMenuTexts(Word language);

// English texts, as at start-up.
void InitMenuTexts();
