#include "framework/input_dialogs.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/forms/input_forms.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "framework/units.h"
#include "platform/cp1252.h"
#include "platform/dialogs.h"
#include "platform/utf8.h"

namespace {

std::string Display(std::string_view text) { return OemToAnsiText(std::string(text)); }

}  // namespace

void SelectCode(std::string_view prompt, int n, Word& index) {
  n = std::min<int>(n, static_cast<int>(kItemTextCount));
  if (n < 1) {  // nothing to choose from
    AbortFlag = 1;
    return;
  }
  if (index < 1 || index > n) index = 1;
  std::vector<std::string> items;
  for (int i = 1; i <= n; ++i) items.push_back(Display(ItemTexts[static_cast<std::size_t>(i)].view()));
  int chosen = index;
  bool ok = n >= 8 ? RunCodeDialog(Display(prompt), items, chosen) : RunRadioDialog(Display(prompt), items, chosen);
  if (ok && !AbortFlag && chosen >= 1 && chosen <= n) index = static_cast<Word>(chosen);
}

void AskYesNoChar(std::string_view prompt, char& answer) {
  char a = answer;
  bool ok = RunYesNoDialog(Display(prompt), a);
  if (ok && !AbortFlag) answer = a == 'N' ? 'N' : 'J';
}

void AskYesNo(std::string_view prompt, bool& value) {
  char answer = value ? 'J' : 'N';
  AskYesNoChar(prompt, answer);
  value = answer != 'N';
}

void InputTextEx(std::string_view prompt, int maxLength, std::string& text) {
  // A text left as shown keeps its bytes: the display conversion of the own
  // transcription ("ue" for a u with umlaut) does not map back.
  const std::string shown = Display(text);
  std::string edited = shown;
  bool ok = RunTextDialog(Display(prompt), maxLength, edited);
  if (ok && !AbortFlag && edited != shown) text = AnsiToOemText(edited);
}

void InputText(std::string_view prompt, int maxLength, std::string& text) { InputTextEx(prompt, maxLength, text); }

void InputPath(std::string_view prompt, int maxLength, std::string& path) {
  // The dialog edits display (Windows-1252) text; a name that is no UTF-8
  // shows its bytes as they are.
  const std::string shown = platform::IsUtf8(path) ? Utf8ToAnsi(path) : path;
  std::string edited = shown;
  for (;;) {
    bool ok = RunTextDialog(Display(prompt), maxLength, edited);
    if (!ok || AbortFlag || edited == shown) return;
    const std::string typed = platform::Utf8FromDisplay(edited);
    if (RefusedWithLineBreak(typed)) continue;
    path = typed;
    return;
  }
}

bool HoldsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool RefusedWithLineBreak(std::string_view name) {
  if (!HoldsLineBreak(name)) return false;
  ShowError("The name \"" + OneLineDescription(name) + "\" holds a line break, which the settings and lists of " +
            "files cannot keep; choose another");
  return true;
}

// ---------------------------------------------------------------------------

namespace {

// The input loop shared by every numeric range check. Parse turns a changed
// text into a number (false: not a number); Format shows a number.
template <typename T, typename Parse, typename Format>
void InputInRange(std::string_view prompt, int editLength, T& value, T lo, T hi, Parse parse, Format format) {
  T work = value;
  bool invalid;
  do {
    invalid = false;
    std::string shown = format(work);
    std::string text = shown;
    InputTextEx(prompt, editLength, text);
    if (AbortFlag) return;
    if (text != shown) {
      T parsed{};
      // A number that reads two ways is refused, naming both; a refused text
      // is asked again with the value held before the dialog.
      std::string ambiguous;
      if constexpr (std::is_floating_point_v<T>)
        ambiguous = AmbiguousNumberMessage(prompt, TrimRightText(text), ShownDecimalSign());
      if (!ambiguous.empty()) {
        work = value;
        platform::Beep();
        ShowError(ambiguous);
        AbortFlag = 0;
        invalid = true;
      } else if (parse(text, parsed)) {
        work = parsed;
      } else {
        work = value;
        platform::Beep();
        ShowError("Invalid Input \"" + text + "\" !");
        AbortFlag = 0;
        invalid = true;
      }
    }
    if (work < lo || (work > hi && !invalid)) {
      platform::Beep();
      ShowError("Valid Data are: " + format(lo) + " .. " + format(hi) + " !");
    }
  } while (work < lo || work > hi || invalid);
  value = work;
}

bool ParseFloat(const std::string& text, Extended& x) { return TryTextToFloat(text, x); }
bool ParseInt(const std::string& text, int& x) { return TryTextToInt(text, x); }
std::string FormatFloat(Extended x) { return FloatToText(x); }
std::string FormatInt(int x) { return IntToText(x); }

}  // namespace

void InputFloatInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi) {
  InputInRange(prompt, 30, value, lo, hi, ParseFloat, FormatFloat);
}

void InputRealInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi) {
  Extended real = value;
  InputFloatInRange(prompt, real, lo, hi);
  if (!AbortFlag) value = RoundToReal48(real);  // the setting is held as a six-byte real
}

namespace {

// The float loop on a value shown in another unit. An answer left as
// proposed keeps the stored value exactly, rather than bringing it back
// through the unit; so does Cancel.
void InputConvertedInRange(const std::string& prompt, Extended& value, Extended lo, Extended hi,
                           Extended (*toShown)(Extended), Extended (*toStored)(Extended)) {
  const Extended shown = toShown(value);
  Extended answer = shown;
  InputFloatInRange(prompt, answer, toShown(lo), toShown(hi));
  if (!AbortFlag && answer != shown) value = toStored(answer);
}

}  // namespace

void InputLengthInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi) {
  if (UnitSystem == 0) {
    InputFloatInRange(std::string(prompt) + " [mm]", value, lo, hi);
    return;
  }
  InputConvertedInRange(std::string(prompt) + " [inch]", value, lo, hi, MmToInch, InchToMm);
}

void InputStressInRange(std::string_view prompt, Extended& value, Extended lo, Extended hi) {
  if (UnitSystem == 0) {
    InputFloatInRange(std::string(prompt) + " [" + StressUnitText() + "]", value, lo, hi);
    return;
  }
  InputConvertedInRange(std::string(prompt) + " [psi]", value, lo, hi, MPaToPsi, PsiToMPa);
}

void InputIntInRange(std::string_view prompt, int& value, int lo, int hi) {
  if (lo > hi) std::swap(lo, hi);
  InputInRange(prompt, 12, value, lo, hi, ParseInt, FormatInt);
}

void InputLongInRange(std::string_view prompt, int& value, int lo, int hi) { InputIntInRange(prompt, value, lo, hi); }

void InputWordInRange(std::string_view prompt, Word& value, Word lo, Word hi) {
  int v = value;
  InputIntInRange(prompt, v, lo, hi);
  value = static_cast<Word>(v);
}

// ---------------------------------------------------------------------------

void SelectDirectory(const std::string& start, std::string& dir) {
  SetBusyCursor();
  std::string chosen;
  if (RunSelectDirDialog(start, chosen) && !AbortFlag) {
    dir = chosen;
  } else {
    dir = start;
    AbortFlag = 0;
  }
  RestoreCursor();
}

void ShowScreenForm() {
  std::vector<std::string> lines;
  for (std::size_t i = 1; i <= 22; ++i) lines.push_back(Display(ItemTexts[i].view()));
  RunShowScreen(Display(ProgShortName), lines);
}

namespace {

// Directory part of a path, without the separator at its end.
std::string DirectoryOf(const std::string& path) {
  std::string dir = ExtractDirPart(path);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

void SelectFileName(std::string name, std::string& fullName) {
  if (StartedWithFile) {
    if (ArchiveFlag) {
      if (name != "actual") {
        NotInArchiveMode();
        AbortFlag = 1;
        return;
      }
    } else {
      StartedWithFile = 0;
    }
  }
  std::string ext = InputFileExt.str();
  if (name.empty()) {
    platform::FileDialogRequest req;
    req.title = "Save As";
    req.directory = AddBackslash(CurrentDir);
    req.fileName = CurrentFileName;
    req.patterns = {"*." + ext};
    std::string chosen;
    if (!platform::AskSaveFile(req, chosen)) {
      AbortFlag = 1;
      return;
    }
    const std::string dir = DirectoryOf(chosen);
    // Only the extension of the kind is taken off: "joint.v2" stays whole.
    name = chosen.substr(ExtractDirPart(chosen).size());
    if (HasFileExtension(name, ext)) name.resize(name.size() - ext.size() - 1);
    fullName = AddBackslash(dir) + name + "." + ext;
    ConfirmOverwrite(fullName);
    // A name refused (No, Cancel) leaves the project where and as it was.
    if (!AbortFlag) {
      CurrentDir = dir;
      CurrentFileName = name;
      CurrentFileExt.clear();
    }
    return;
  }
  fullName = ProjectFileOfName(name);
  ConfirmOverwrite(fullName);
}

void SelectOpenFile(const std::string& name, const std::string& mask, std::string& result) {
  platform::FileDialogRequest req;
  req.title = "Open";
  req.directory = DirectoryOf(TrimRightText(name));
  req.patterns = {mask};
  std::string chosen;
  if (platform::AskOpenFile(req, chosen)) {
    result = chosen;
  } else {
    result = name;
    AbortFlag = 1;
  }
}

void SelectFileOfKind(int kind, std::string& dir, const std::string& mask, std::string& name) {
  platform::FileDialogRequest req;
  req.title = "Open";
  req.directory = dir;
  req.patterns = {mask};
  std::string chosen;
  if (!platform::AskOpenFile(req, chosen)) {
    AbortFlag = 1;
    return;
  }
  dir = AddBackslash(DirectoryOf(chosen));
  name = kind == 5 ? chosen : StripPathAndExt(chosen);
  if (kind == 4) InputFileExt = FileExtension(chosen).substr(0, 3);
}
