// The external documents of a project: five pairs of a program and a file,
// stored in the project file's "documents" section.
#pragma once

#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/types.h"

constexpr int kDocumentSlots = 5;

struct TDocumentRecord {
  ShortString<50> Program;  // empty: the desktop's default opener
  ShortString<50> DocFile;
};

extern OneBasedArray<TDocumentRecord, kDocumentSlots> Documents;
extern Word DocumentCount;

void InitDocuments();

// Writes "documents", 5, a rule and five groups of program, file and rule.
void WriteDocumentsSection();
// Reads the section from its first line "documents"; false when the file
// ends inside it or it is damaged (a fault is recorded in the cursor).
bool ReadDocumentsSection(TLineCursor& in);
