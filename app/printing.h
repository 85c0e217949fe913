// The printing commands of the File menu: Print and Printer Setup (the print
// configuration form) and Print Macro (the report and chosen pictures, each
// printed as a job of its own).
#pragma once

#include <string>

class Thh;


void ShowPrintConfiguration(bool printerSetupMode);
void RunPrintMacro(Thh& window);
// Replays the main window's display list as one print job; with setupPage
// the page is first set up for the configured print mode. A job into a PDF
// file asks for the file, proposing one named after the project and picture,
// unless `fileChosen`: the user has just chosen the printer choice's file.
void PrintDisplayList(Thh& window, bool setupPage, const std::string& picture, bool fileChosen = false);
// The name of the picture just drawn on the screen, for the PDF file of its
// print: "picture" when the screen was cleared or drawn anew since.
void SetScreenPictureName(const std::string& name);
const std::string& ScreenPictureName();
// The name of what the current view shows after a calculation (the
// calculation's messages when it stopped); empty when it shows nothing.
std::string CurrentViewName();
