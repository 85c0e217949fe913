#include "framework/change_history.h"

#include <vector>

#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"

OneBasedArray<TChangeRecord, kMaxChanges> Changes;
Word ChangeCount = 0;
namespace {

// The protocol's style for the configured index style of the drawing (0
// letters a.., 1 numbers, 2 letters A..): numbers or letters.
Word IndexStyleOf(Word setting) { return setting == 1 ? 1 : 2; }

// The configuration's default index style (View3DSetting): letters a, b, c ...
constexpr Word kDefaultIndexSetting = 0;

}  // namespace

// As the configuration's default gives it, with or without a file.
Word ChangeIndexStyle = IndexStyleOf(kDefaultIndexSetting);

void ApplyIndexStyle() {
  CadState.CadRevisionIndexStyle = View3DSetting;
  ChangeIndexStyle = IndexStyleOf(View3DSetting);
}

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

// A date or name of the signature line: a "|" in it would shift every
// later field of the line, so it is written as "/", and so is a line break.
std::string FieldSafe(std::string_view text) {
  std::string s = OneLineDescription(text);
  for (char& c : s)
    if (c == '|') c = '/';
  return s;
}

// The text of a drawing-text line "x|y|h|phi|text||": everything after the
// fourth "|" without the line's closing "||", so that a "|" typed into the
// text survives.
std::string DrawingTextField(const std::string& line) {
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    pos = line.find('|', pos);
    if (pos == std::string::npos) return std::string();
    ++pos;
  }
  std::string text = line.substr(pos);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "||") == 0)
    text.resize(text.size() - 2);
  else if (!text.empty() && text.back() == '|')
    text.pop_back();
  return text;
}

}  // namespace

void InitChangeHistory() {
  Changes.fill(TChangeRecord{});
  ChangeCount = 0;
  ChangeIndexStyle = IndexStyleOf(kDefaultIndexSetting);
  InitDrawingInfo();
}

void ResetChangeHistory() {
  ChangeCount = 0;
  ReplacementFor = "";
  ReplacedBy = "";
  ComplDate = TodayText();
  ComplName = "";
  CheckDate = "";
  CheckName = "";
  StandDate = "";
  StandName = "";
  Row4Date = "";
  Row4Name = "";
}

std::string ChangeIndexText(int i) {
  if (ChangeIndexStyle == 1) return std::to_string(i);
  return std::string(1, static_cast<char>(96 + i));
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

void ChangesMenu(Word Command) {
  if (Command == 0) {
    static const char* const kItems[] = {"new", "change", "cancel", "show", "Print-out", "Info drawing",
                                         "back...."};
    for (int i = 0; i < 7; ++i) ItemTexts[i + 1] = kItems[i];
    SetHelpNumber(2600);
    Word chosen = 4;
    SelectCode("Changes", 7, chosen);
    if (AbortFlag || chosen == 7) return;
    Command = chosen;
  }
  switch (Command) {
    case 1: {
      if (ChangeCount >= kMaxChanges) {
        ShowTraceMessage("Max. Changes = " + std::to_string(kMaxChanges) + " !");
        return;
      }
      const Word index = ChangeCount + 1;
      Changes[index].Date = TodayText();
      ChangeCount = index;
      EditChange(index);
      // Cancel keeps the new change as it stands (today's date, the slot's
      // texts); the protocol shows it either way.
      AbortFlag = 0;
      InputModified = 1;
      WriteChangeProtocol(1);
      break;
    }
    case 2:
      if (ChangeCount == 0) return;
      EditChange(ChangeCount);
      if (AbortFlag) AbortFlag = 0;  // nothing stored; the protocol still shows
      else InputModified = 1;
      WriteChangeProtocol(1);
      break;
    case 3:
      if (ChangeCount > 0) {
        --ChangeCount;
        InputModified = 1;
      }
      WriteChangeProtocol(1);
      break;
    case 4: WriteChangeProtocol(1); break;
    case 5: WriteChangeProtocol(0); break;
    case 6: ShowChangeInfoForm(); break;
    default: break;
  }
}

void WriteChangeProtocol(Word Device) {
  SetPageHeader(ProgTitle.str() + " V" + ProgVersion, "Protocol of changes", HeaderLines[1].view(),
                HeaderLines[2].view(), HeaderLines[3].view(), 0);
  OpenOutput(Device, CurrentFileName + ".TXT");
  if (AbortFlag) return;
  if (!RewriteOutput()) return;
  if (GetOutputDevice() != kDeviceScreen) OutputPageHeader(0, 0);
  OutputLine("");
  OutputLine("Drawing date: " + ComplDate.str() + "     " + "Designed by" + ": " + ComplName.str());
  if (!ReplacementFor.empty()) {
    OutputLine("");
    OutputLine("Replacement for: " + PadRight(ReplacementFor.view(), 15));
  }
  if (!ReplacedBy.empty()) {
    OutputLine("");
    OutputLine("Replaced by: " + PadRight(ReplacedBy.view(), 15));
  }
  OutputLine("");
  OutputLine(PadRight("Index", 6) + "  " + PadRight("Date", 10) + "   " + PadRight("Compl.", 6) + "   " +
             PadRight("Modification", 20));
  OutputLine(RuleLineText());
  const int count = ChangeCount <= kMaxChanges ? ChangeCount : kMaxChanges;
  for (int i = 1; i <= count; ++i) {
    const TChangeRecord& c = Changes[i];
    OutputLine("  " + ChangeIndexText(i) + "     " + PadRight(c.Date.view(), 10) + "   " +
               PadRight(c.Editor.view(), 6) + "   " + PadRight(c.Change.view(), 20));
    OutputLine(" " + c.Description.str());
    OutputLine(SeparatorLine());
  }
  CloseOutput();
  RestoreCursor();
}

void WriteChangesSection() {
  // Every value is one line of the file: a line break in any text would put
  // the position-based reader out of step.
  auto line = [](std::string_view text) { WriteTextLine(OneLineDescription(text)); };
  WriteTextLine("CHANGES");
  const int count = ChangeCount <= kMaxChanges ? ChangeCount : kMaxChanges;
  WriteIntLine(count);
  WriteTextLine(kSectionRule);
  for (int i = 1; i <= count; ++i) {
    TChangeRecord& c = Changes[i];
    c.Description = OneLineDescription(c.Description.view());
    line(c.Change);
    line(c.Date);
    line(c.Editor);
    WriteTextLine(c.Description.view());
    WriteTextLine(kRecordRule);
  }
  const int texts = DrawingTextCount <= kMaxDrawingTexts ? DrawingTextCount : kMaxDrawingTexts;
  WriteFieldsLine8(FieldSafe(CheckDate), FieldSafe(CheckName), FieldSafe(StandDate), FieldSafe(StandName),
                   FieldSafe(Row4Date), FieldSafe(Row4Name), std::to_string(texts), "");
  line(ComplDate);
  line(ReplacementFor);
  line(ReplacedBy);
  line(ComplName);
  for (int i = 1; i <= texts; ++i) {
    const TDrawingTextRecord& t = DrawingTexts[i];
    WriteFieldsLine6(FileFloatText(t.x), FileFloatText(t.y), FileFloatText(t.h), FileFloatText(t.phi),
                     OneLineDescription(t.Text), "");
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
    std::string description;
    if (!in.Text(c.Change) || !in.Text(c.Date) || !in.Text(c.Editor) || !in.Text(description)) return false;
    // Older files kept the line feed after each "|" of a description, so its
    // lines run on up to the record's rule.
    while (!description.empty() && description.back() == '|' && !in.AtEnd() && in.Peek() != kRecordRule) {
      std::string more;
      in.Text(more);
      description += more;
    }
    c.Description = description;
    if (!in.Text(rule)) return false;
    if (rule != kRecordRule) {
      in.Fault("change " + std::to_string(i) + ": rule line \"" + std::string(kRecordRule) + "\" expected");
      return false;
    }
    Changes[i] = c;
    ChangeCount = static_cast<Word>(i);
  }
  std::string line;
  if (!in.Text(line)) return false;
  const auto fields = SplitFields(line);
  long long texts = 0;
  if (!ParseFileInt(Field(fields, 6), texts) || texts < 0 || texts > kMaxDrawingTexts) {
    in.Fault("number of drawing texts 0.." + std::to_string(kMaxDrawingTexts) + " expected");
    return false;
  }
  CheckDate = Field(fields, 0);
  CheckName = Field(fields, 1);
  StandDate = Field(fields, 2);
  StandName = Field(fields, 3);
  Row4Date = Field(fields, 4);
  Row4Name = Field(fields, 5);
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
    t.Text = DrawingTextField(line);
    DrawingTexts[i] = t;
    DrawingTextCount = static_cast<Word>(i);
  }
  return true;
}
