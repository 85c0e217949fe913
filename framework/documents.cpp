#include "framework/documents.h"

#include "framework/line_io.h"

OneBasedArray<TDocumentRecord, kDocumentSlots> Documents;
Word DocumentCount = kDocumentSlots;

void InitDocuments() {
  Documents.fill(TDocumentRecord{});
  DocumentCount = kDocumentSlots;
}

void WriteDocumentsSection() {
  WriteTextLine("documents");
  WriteIntLine(kDocumentSlots);  // always five, whatever DocumentCount holds
  WriteTextLine("--------------------");
  for (int i = 1; i <= kDocumentSlots; ++i) {
    WriteTextLine(Documents[i].Program.view());
    WriteTextLine(Documents[i].DocFile.view());
    WriteTextLine("--------------");
  }
}

bool ReadDocumentsSection(TLineCursor& in) {
  if (!in.Keyword("documents")) return false;
  Word count = 0;
  if (!in.Word16(count)) return false;
  if (count > 100) {
    in.Fault("document count out of range");
    return false;
  }
  std::string rule;
  if (!in.Text(rule)) return false;
  for (int i = 1; i <= count; ++i) {
    TDocumentRecord d;
    if (!in.Text(d.Program) || !in.Text(d.DocFile) || !in.Text(rule)) return false;
    if (i <= kDocumentSlots) Documents[i] = d;  // groups beyond the fifth are skipped
  }
  return true;
}
