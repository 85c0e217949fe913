#include "framework/drawing_info.h"

#include "framework/file_utils.h"
#include "framework/text_utils.h"

ShortString<15> ReplacementFor;
ShortString<15> ReplacedBy;
ShortString<10> ComplDate, ComplName;
ShortString<10> CheckDate, CheckName;
ShortString<10> StandDate, StandName;
ShortString<10> Row4Date, Row4Name;
OneBasedArray<TDrawingTextRecord, kMaxDrawingTexts> DrawingTexts;
Word DrawingTextCount = 0;

ShortString<18> DrawingNumber;
ShortString<25> DrawingName;
ShortString<30> DrawingName2;
ShortString<20> DrawingIdentText20;
ShortString<25> DrawingIdentText25;
ShortString<32> DrawingIdentText32;

void InitDrawingInfo() {
  const std::string today = TodayText();
  ReplacementFor = "";
  ReplacedBy = "";
  ComplDate = today;
  CheckDate = today;
  StandDate = today;
  Row4Date = "";
  ComplName = "";
  CheckName = "";
  StandName = "";
  Row4Name = "";
  DrawingTexts.fill(TDrawingTextRecord{});
  DrawingTextCount = 0;
  DrawingNumber = "";
  DrawingName = "";
  DrawingName2 = "";
  DrawingIdentText20 = "";
  DrawingIdentText25 = "";
  DrawingIdentText32 = "";
}

void StoreDrawingTextRows(const std::vector<TDrawingTextRecord>& rows) {
  std::size_t n = 0;
  while (n < rows.size() && n < static_cast<std::size_t>(kMaxDrawingTexts)) {
    DrawingTexts[n + 1] = rows[n];
    ++n;
    if (n < rows.size() && RemoveBlanks(rows[n].Text.view()).empty()) break;
  }
  DrawingTextCount = static_cast<Word>(n);
}
