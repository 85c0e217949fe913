// The external documents of a project: five pairs of a program and a file,
// opened from the documentation menu and stored in the project file's
// "documents" section. Programs and files are the file system's names (UTF-8).
#pragma once

#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/types.h"

constexpr int kDocumentSlots = 5;

// Room for a whole path as the file dialog gives it.
constexpr int kDocumentTextLength = 255;

struct TDocumentRecord {
  // Empty: the desktop's default program for the file. May carry options
  // after the program ("cat -n").
  ShortString<kDocumentTextLength> Program;
  ShortString<kDocumentTextLength> DocFile;
};

extern OneBasedArray<TDocumentRecord, kDocumentSlots> Documents;
extern Word DocumentCount;  // 5 at start, 0 after ClearDocumentRecords

void InitDocuments();

// For a new project: the three HeaderLines empty, DocumentCount 0. The
// document records keep their programs and files.
void ClearDocumentRecords();

// Opens document n (1..5): its program with its options and the file as
// the last argument (none when the file is empty), or the file with the desktop's
// default program when no program is set. A file that does not exist, or a
// program that cannot be found or started, is reported and sets AbortFlag.
void RunDocument(Word n);

// The dialog "Document Setup" (TForm_confDoku); returns 0.
int ShowDocumentSetup();

// Writes "documents", 5, a rule and five groups of program, file and rule.
void WriteDocumentsSection();
// Reads the section from its first line "documents"; false when the file
// ends inside it or it is damaged (a fault is recorded in the cursor).
bool ReadDocumentsSection(TLineCursor& in);
