// Internal declarations of the work-area layer, shared by its files; the rest of the system uses work_areas.h.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/work_areas.h"

namespace workareas {

// Translators for the next table opened.
extern TDbfTranslator NextWriteTranslator;
extern TDbfTranslator NextReadTranslator;

// A work area without index state has no index open: no hook call needed.
inline bool IndexActive() {
  const TDbfWorkArea* wa = SelectedWorkArea();
  return wa && wa->indexData && IndexLinked && IndexHooks.IsActive && IndexHooks.IsActive();
}
void CallIndex(void (*hook)());
std::string Quoted(const std::string& s);
void CallVFile(TDbfWorkArea& wa, std::uint8_t op, std::int32_t n);
void ReadRecord(TDbfWorkArea& wa, std::int32_t n);
void BlankRecord(TDbfWorkArea& wa);
void PlaceAfterEnd(TDbfWorkArea& wa);
// The checks below run on every move: inline for the usual table without
// filter, WHILE condition or relation, the rest out of line.
bool FilterShows(TDbfWorkArea& wa);
bool WhileEvaluates(TDbfWorkArea& wa);
void CallRelation(TDbfWorkArea& wa);
inline bool IsVisible(TDbfWorkArea& wa) {
  return (!wa.ignoreDeleted && !wa.filterCallback && !wa.filterExpression) || FilterShows(wa);
}
inline bool WhileHolds(TDbfWorkArea& wa) { return (!wa.whileExpression && !wa.whileCallback) || WhileEvaluates(wa); }
inline void RunRelation(TDbfWorkArea& wa) {
  if (wa.relationCallback) CallRelation(wa);
}
void DispatchIfError();
// The value of an N or F field's text, as from_chars reads it after the
// blanks and a "+" around it.
double FieldNumber(const char* p, std::size_t n);

}  // namespace workareas
