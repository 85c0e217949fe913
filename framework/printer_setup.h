// Printer set-up of the graphic print-outs: page scale, origin, frame flag and
// orientation per print mode, and the bracket around one print job.
// The printer variables (PrintScaleX/Y, PrintOriginX/Y, PrintBorder,
// PrintMode) live in framework/globals.h; PrintingGraphics with the graphics
// window.
#pragma once

#include <string>

#include "framework/types.h"

// Forgets the folder of the last PDF.
void InitPrinterSetup();

// Mode 0: scale 1, no frame, landscape; 1: the same with a frame; 2: x scale
// 1.4, no frame, portrait; any other mode changes nothing.
void SetupPrinterPage(Word Mode);
// SetupPrinterPage(PrintMode), PrintingGraphics on, start the printer document.
// Sets AbortFlag when the printer cannot be opened.
void BeginPrintJob();
// PrintingGraphics off, end the printer document.
void EndPrintJob();

// A run of print-outs chosen in one print dialog (the print macro): from
// BeginPrintRun to EndPrintRun no print-out asks for a printer or a file
// again. With oneDocument (printing into a PDF file) they all go into that
// one document, each beginning on a new page; else each is a job of its own.
void BeginPrintRun(bool oneDocument);
bool InPrintRun();
// Ends the run and its document; sets AbortFlag when the printer reported a failure.
void EndPrintRun();
// The printer document of one print-out: a job of its own, or the next page
// of the run's document, titled PrintoutTitle(). Sets AbortFlag when the
// printer cannot be opened.
void BeginPrintoutDocument();
// The title of a print-out's document (a PDF's title, a printer queue's job):
// the program's short name and the project's file name, "BQ4 - joint.bq4".
std::string PrintoutTitle();
// Ends the print-out's job (the run's document stays open); sets AbortFlag
// when the printer reported a failure.
void EndPrintoutDocument();

// The PDF file proposed for printing a picture: the project's name (the
// program's short name for a project without one) and the picture's, as
// "joint-load-extension-diagram.pdf", in the folder of the last PDF chosen,
// else the project's folder.
std::string ProposedPdfFileName(std::string_view picture);
// Before a print job: when the printer prints into a PDF file, asks for the
// file (proposing ProposedPdfFileName) and asks before an existing file is
// replaced. Sets AbortFlag when the user declines; asks nothing for a printer
// nor during a print run.
void ChoosePdfFileForJob(std::string_view picture);
// For a job whose file the print dialog named: refuses a FIFO, device or
// folder by name and a file that cannot be written, and asks before a file
// is replaced unless dialogAsked (the print dialog has asked already). Sets
// AbortFlag when refused or declined.
void ConfirmPdfOverwrite(bool dialogAsked = false);
