// Internal declarations of the work-area layer, shared by its files; the rest of the system uses work_areas.h.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/work_areas.h"

namespace workareas {

// Translators for the next table opened.
extern TDbfTranslator NextWriteTranslator;
extern TDbfTranslator NextReadTranslator;

inline bool IndexActive() { return IndexLinked && IndexHooks.IsActive && IndexHooks.IsActive(); }
void CallIndex(void (*hook)());
void ReadSemaphore(bool on);
void LockSemaphore(bool on);
std::string Quoted(const std::string& s);
void CallVFile(TDbfWorkArea& wa, std::uint8_t op, std::int32_t n);
void ReadRecord(TDbfWorkArea& wa, std::int32_t n);
void BlankRecord(TDbfWorkArea& wa);
void PlaceAfterEnd(TDbfWorkArea& wa);
bool IsVisible(TDbfWorkArea& wa);
bool WhileHolds(TDbfWorkArea& wa);
void RunRelation(TDbfWorkArea& wa);
void DispatchIfError();
// The value of an N or F field's text, as from_chars reads it after the
// blanks and a "+" around it.
double FieldNumber(const char* p, std::size_t n);

}  // namespace workareas
