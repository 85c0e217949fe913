// Menu captions of the main window in nine languages. The main window copies
// MenuCaptions into its menu items after every language change.
//
// Captions are UTF-8 (the Korean texts need it); "&" marks the access key.
// English and German are built in; all nine languages come from the file
// menu_captions.txt in the data directory (row|German|English|...|Spanish,
// an empty field keeping the text of the language applied before).
#pragma once

#include <array>
#include <string>

#include "framework/globals.h"
#include "framework/types.h"

constexpr int kMenuCaptionCount = 61;
constexpr int kMenuLanguageCount = 9;

// Languages 1..9.
enum TMenuLanguage : int {
  kLanguageGerman = 1, kLanguageEnglish, kLanguageFrench, kLanguageItalian, kLanguageSwedish,
  kLanguagePortuguese, kLanguageRomanian, kLanguageKorean, kLanguageSpanish
};

// Caption rows, in the fixed order of the language file.
enum TMenuCaptionRow : int {
  kCaptionMenu = 1,  // Menu
  kCaptionFile = 2,  // &File
  kCaptionFileNew = 3,  // &New...
  kCaptionFileOpen = 4,  // &Open...
  kCaptionFileSave = 5,  // &Save...
  kCaptionFileSaveAs = 6,  // Save &As...
  kCaptionFileReset = 7,  // &Reset
  kCaptionFileEdi = 8,  // &EDI Files...
  kCaptionFileSettings = 9,  // Se&ttings
  kCaptionFileExit = 10,  // E&xit
  kCaptionFileInfo = 11,  // &Info
  kCaptionFilePrint = 12,  // &Print...
  kCaptionPrinterSetup = 13,  // Printer Setup
  kCaptionImport = 14,  // &Import
  kCaptionExport = 15,  // Ex&port
  kCaptionEdit = 16,  // &Edit
  kCaptionEditText = 17,  // Te&xt
  kCaptionEditQuick = 18,  // &Quick
  kCaptionEditMaterial = 19,  // &Material
  kCaptionEditProduction = 20,  // &Production
  kCaptionEditTolerance = 21,  // &Tolerance
  kCaptionEditApplication = 22,  // A&pplication
  kCaptionDimensioning = 23,  // &Dimensioning
  kCaptionPreDimensioning = 24,  // &Pre-Dimensioning
  kCaptionRecalculation = 25,  // &Recalculation
  kCaptionCalculationMethod = 26,  // &Calculation Method
  kCaptionView = 27,  // &View
  kCaptionStandardPrintout = 28,  // &Standard Printout
  kCaptionStandard = 29,  // &Standard
  kCaptionExcerptPrintout = 30,  // &Excerpt Printout
  kCaptionDatabase = 31,  // &Database
  kCaptionCad = 32,  // &CAD
  kCaptionProductionDrawing = 33,  // &Production drawing
  kCaptionDrawing = 34,  // &Drawing
  kCaptionProjection = 35,  // P&rojection
  kCaptionSideView = 36,  // &Side view
  kCaptionProfile = 37,  // Pr&ofile
  kCaptionSimpleProfile = 38,  // &Simple profile
  kCaptionUpperView = 39,  // &Upper view
  kCaptionDiagrams = 40,  // &Diagrams
  kCaptionDiagram = 41,  // &Diagram
  kCaptionDocument = 42,  // D&ocument
  kCaptionDrawingData = 43,  // &Drawing data
  kCaptionModificationsInfo = 44,  // Modifications - &Info
  kCaptionModificationsPrintout = 45,  // Modifications - &Printout
  kCaptionModificationNew = 46,  // Modification - &New
  kCaptionEditModification = 47,  // &Edit previous modification
  kCaptionDeleteModification = 48,  // &Delete previous modification
  kCaptionDocumentSetup = 49,  // Document &Setup
  kCaptionHelp = 50,  // &Help
  kCaptionAuxiliaryImages = 51,  // &Auxiliary images
  kCaptionErrorMessages = 52,  // &Error messages
  kCaptionSafety = 53,  // &Safety
  kCaptionPrintout = 54,  // &Printout
  kCaptionLanguage = 55,  // &Language
  kCaptionOthers = 56,  // &Others
  kCaptionDimensions = 57,  // &Dimensions
  kCaptionAnimation = 58,  // &Animation
  kCaptionTable = 59,  // &Table
  kCaptionPreview = 60,  // &Preview
  kCaptionBaseData = 61,  // &Base Data
};

extern OneBasedArray<std::string, kMenuCaptionCount> MenuCaptions;

// German captions, then English applied, as at start-up.
void InitMenuCaptions();

// Assigns every caption the text of the language; outside 1..9 nothing
// changes. A language file that cannot be read leaves English and German
// available and reports the others through ShowTraceMessage with AbortFlag.
void SetMenuLanguage(Word language);

// The language file: texts[language - 1][row - 1], empty where a language
// keeps the text before. False with a reason when the file is missing or damaged.
using MenuCaptionTable = std::array<std::array<std::string, kMenuCaptionCount>, kMenuLanguageCount>;
bool ReadMenuCaptionFile(const std::string& fileName, MenuCaptionTable& table, std::string& error);
std::string MenuCaptionFileName();
