// The calculation document of a joint: one PDF file with the project's
// identification and verdict, the input listing, the whole report, the
// messages with their explanations, the joint drawing at a true scale and
// the load-extension, tightening and preload diagrams. A4 portrait, a header
// (product, project file, date) and "page n of m" on every page; drawings
// and diagrams are vector paths, texts are text.
#pragma once

#include <string>
#include <vector>

// Writes the document of the current, calculated joint to pdfPath, through a
// temporary file that replaces pdfPath only when it is complete. False (the
// reason shown, AbortFlag set) when it cannot be written; after a fatal
// calculation the messages are shown and nothing is written.
bool WriteCalculationDocument(const std::string& pdfPath);

// The batch run of one project: x.bq4 gives x.pdf beside it. The exit codes
// of the batch report: 0 written, 1 the project cannot be loaded or the
// document not written, 2 the joint cannot be calculated.
int RunBatchPdf(const std::string& projectPath);

// The projects named on a command line with "/PDF" (switches left out), one
// after the other, each from the program's start state. The highest exit
// code of the single runs.
int RunBatchPdfProjects(const std::vector<std::string>& params);
