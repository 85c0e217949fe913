// The printing commands of the File menu: Print and Printer Setup (the print
// configuration form) and Print Macro (the report and chosen pictures, each
// printed as a job of its own).
#pragma once

class Thh;


void ShowPrintConfiguration(bool printerSetupMode);
void RunPrintMacro(Thh& window);
// Replays the main window's display list as one print job; with setupPage
// the page is first set up for the configured print mode.
void PrintDisplayList(Thh& window, bool setupPage);
