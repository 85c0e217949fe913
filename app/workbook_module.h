// The workbook file library (xlsx writer, zip reader) sits in a module of its
// own, loaded when a workbook is first written or read, so that the window
// program does not load it and its dependencies at every start.
#pragma once

#include <cstddef>

extern "C" {

// One cell of a sheet, row and column counted from 0; a number carries its
// display format, a text is UTF-8.
struct Bq4WorkbookCell {
  unsigned row;
  unsigned column;
  int isNumber;
  double value;
  const char* format;  // number format ("0.00"), numbers only
  const char* text;    // texts only
};

// Writes one sheet; 0 when written, else the reason in error.
using Bq4WriteWorkbookFn = int (*)(const char* path, const Bq4WorkbookCell* cells, std::size_t count,
                                   char* error, std::size_t errorSize);

// Reads one entry of a zip archive into a buffer from malloc (freed by the
// caller with free); 0 when read, 1 when the archive cannot be opened, 2 when
// the entry is missing, damaged or larger than maxSize. A null entry only
// asks whether the archive opens.
using Bq4ReadZipEntryFn = int (*)(const char* path, const char* entry, std::size_t maxSize,
                                  unsigned char** data, std::size_t* size);
}


// The module's file name, looked for beside the program.
inline constexpr const char* kWorkbookModule = "libbq4_workbook.so";
