#include "framework/change_history.h"

#include <vector>

#include "framework/file_utils.h"
#include "framework/line_io.h"

OneBasedArray<TChangeRecord, kMaxChanges> Changes;
Word ChangeCount = 0;
Word ChangeIndexStyle = 1;

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

namespace {

constexpr std::string_view kSectionRule = "--------------------";  // 20 dashes
constexpr std::string_view kRecordRule = "--------------";        // 14 dashes

// The fields of a line "a|b|c|": the texts before each "|"; a last field
// without "|" counts too.
std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t bar = line.find('|', start);
    if (bar == std::string::npos) {
      fields.push_back(line.substr(start));
      break;
    }
    fields.push_back(line.substr(start, bar - start));
    start = bar + 1;
  }
  return fields;
}

std::string Field(const std::vector<std::string>& fields, std::size_t i) {
  return i < fields.size() ? fields[i] : std::string();
}

}  // namespace

void InitChangeHistory() {
  Changes.fill(TChangeRecord{});
  ChangeCount = 0;
  ChangeIndexStyle = 1;
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
}

std::string OneLineDescription(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '|';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += '|';
    } else {
      out += text[i];
    }
  }
  return out;
}

void WriteChangesSection() {
  WriteTextLine("CHANGES");
  const int count = ChangeCount <= kMaxChanges ? ChangeCount : kMaxChanges;
  WriteIntLine(count);
  WriteTextLine(kSectionRule);
  for (int i = 1; i <= count; ++i) {
    TChangeRecord& c = Changes[i];
    c.Description = OneLineDescription(c.Description.view());
    WriteTextLine(c.Change.view());
    WriteTextLine(c.Date.view());
    WriteTextLine(c.Editor.view());
    WriteTextLine(c.Description.view());
    WriteTextLine(kRecordRule);
  }
  const int texts = DrawingTextCount <= kMaxDrawingTexts ? DrawingTextCount : kMaxDrawingTexts;
  WriteFieldsLine8(CheckDate.view(), CheckName.view(), StandDate.view(), StandName.view(), Row4Date.view(),
                   Row4Name.view(), std::to_string(texts), "");
  WriteTextLine(ComplDate.view());
  WriteTextLine(ReplacementFor.view());
  WriteTextLine(ReplacedBy.view());
  WriteTextLine(ComplName.view());
  for (int i = 1; i <= texts; ++i) {
    const TDrawingTextRecord& t = DrawingTexts[i];
    WriteFieldsLine6(FileFloatText(t.x), FileFloatText(t.y), FileFloatText(t.h), FileFloatText(t.phi),
                     t.Text.view(), "");
  }
}

bool ReadChangesSection(TLineCursor& in) {
  if (!in.Keyword("CHANGES")) return false;
  Word count = 0;
  if (!in.Word16(count)) return false;
  if (count > kMaxChanges) {
    in.Fault("more than " + std::to_string(kMaxChanges) + " changes");
    return false;
  }
  std::string rule;
  if (!in.Text(rule)) return false;
  ChangeCount = 0;
  for (int i = 1; i <= count; ++i) {
    TChangeRecord c;
    std::string end;
    if (!in.Text(c.Change) || !in.Text(c.Date) || !in.Text(c.Editor) || !in.Text(c.Description) ||
        !in.Text(end))
      return false;
    Changes[i] = c;
    ChangeCount = static_cast<Word>(i);
  }
  std::string line;
  if (!in.Text(line)) return false;
  const auto fields = SplitFields(line);
  CheckDate = Field(fields, 0);
  CheckName = Field(fields, 1);
  StandDate = Field(fields, 2);
  StandName = Field(fields, 3);
  Row4Date = Field(fields, 4);
  Row4Name = Field(fields, 5);
  long long texts = 0;
  if (!ParseFileInt(Field(fields, 6), texts) || texts < 0 || texts > kMaxDrawingTexts) {
    in.Fault("number of drawing texts 0.." + std::to_string(kMaxDrawingTexts) + " expected");
    return false;
  }
  if (!in.Text(ComplDate) || !in.Text(ReplacementFor) || !in.Text(ReplacedBy) || !in.Text(ComplName))
    return false;
  DrawingTextCount = 0;
  for (int i = 1; i <= texts; ++i) {
    if (!in.Text(line)) return false;
    const auto f = SplitFields(line);
    TDrawingTextRecord t;
    if (!ParseFileFloat(Field(f, 0), t.x) || !ParseFileFloat(Field(f, 1), t.y) ||
        !ParseFileFloat(Field(f, 2), t.h) || !ParseFileFloat(Field(f, 3), t.phi)) {
      in.Fault("drawing text " + std::to_string(i) + ": four numbers expected");
      return false;
    }
    t.Text = Field(f, 4);
    DrawingTexts[i] = t;
    DrawingTextCount = static_cast<Word>(i);
  }
  return true;
}
