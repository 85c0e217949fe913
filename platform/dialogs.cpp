#include "platform/dialogs.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>

#include "platform/cp1252.h"
#include "platform/dialog_answers.h"
#include "platform/os.h"

namespace platform {

namespace dialog_detail {

namespace {

struct ScriptState {
  bool active = false;
  std::deque<ScriptedAnswer> queue;
  std::vector<ShownDialog> shown;
};

ScriptState& Script() {
  static ScriptState state;
  return state;
}

bool batchMode = false;
const WindowDialogs* windowDialogs = nullptr;

DialogFailureHandler& FailureHandler() {
  static DialogFailureHandler handler;
  return handler;
}

const char* ResultName(DialogResult r) {
  switch (r) {
    case DialogResult::Ok: return "Ok";
    case DialogResult::Yes: return "Yes";
    case DialogResult::No: return "No";
    case DialogResult::Cancel: break;
  }
  return "Cancel";
}

std::string Describe(const std::string& kind, const std::string& caption, const std::string& text) {
  std::string d = kind + " dialog \"" + caption + "\"";
  if (!text.empty()) d += ": \"" + text + "\"";
  return d;
}

std::string Trim(const std::string& s) {
  auto b = s.find_first_not_of(' ');
  auto e = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

void SetWindowDialogs(const WindowDialogs* dialogs) { windowDialogs = dialogs; }
const WindowDialogs* GetWindowDialogs() { return windowDialogs; }
bool ScriptActive() { return Script().active; }

void Fail(const std::string& message) {
  if (FailureHandler()) {
    FailureHandler()(message);
    return;
  }
  std::fprintf(stderr, "bq4: %s\n", message.c_str());
  std::abort();
}

Source NextAnswer(const std::string& kind, const std::string& caption, const std::string& text,
                  std::initializer_list<DialogResult> allowed, ScriptedAnswer& answer) {
  ScriptState& s = Script();
  std::string what = Describe(kind, caption, text);
  if (s.active && !s.queue.empty()) {
    answer = std::move(s.queue.front());
    s.queue.pop_front();
    bool fits = false;
    for (DialogResult r : allowed) fits = fits || r == answer.result;
    if (!fits) {
      Fail(std::string("scripted answer ") + ResultName(answer.result) + " does not fit " + what);
      answer = ScriptedAnswer{};
    }
    if (!answer.expect.empty() && caption.find(answer.expect) == std::string::npos &&
        text.find(answer.expect) == std::string::npos) {
      Fail("expected a dialog containing \"" + answer.expect + "\", got " + what);
    }
    return Source::Scripted;
  }
  // A batch run, or a window that no user sees (the offscreen platform)
  // outside the tests, answers Cancel and writes the text to stderr; a test
  // fails loudly on a dialog it did not answer.
  const char* unseen = batchMode ? "batch run" : nullptr;
  if (!unseen && (s.active || GetEnvironment("BQ4_TEST_MODE") == "1")) {
    Fail("no scripted answer for " + what);
    return Source::Cancelled;
  }
  if (!unseen && (IsHeadless() || !windowDialogs)) unseen = "no display";
  if (unseen) {
    std::fprintf(stderr, "%s (answered Cancel: %s)\n", Utf8FromDisplay(what).c_str(), unseen);
    return Source::Cancelled;
  }
  return Source::User;
}

void Log(const std::string& kind, const std::string& caption, const std::string& text, DialogResult r) {
  ScriptState& s = Script();
  if (s.active) s.shown.push_back(ShownDialog{kind, caption, text, r});
}

const std::string* FindValue(const DialogValues& values, const std::string& key) {
  for (const auto& [k, v] : values)
    if (k == key) return &v;
  return nullptr;
}

std::optional<long long> ParseInt(const std::string& text) {
  long long v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
  return v;
}

bool ParseBool(const std::string& v) {
  return v == "1" || v == "true" || v == "TRUE" || v == "yes" || v == "J" || v == "on";
}

int PositionValue(const std::string& v) {
  if (v.size() < 2 || v[0] != '#') return -1;
  auto n = ParseInt(v.substr(1));
  return n && *n >= 0 && *n < 1000000 ? static_cast<int>(*n) : -1;
}

}  // namespace dialog_detail

using namespace dialog_detail;

// ---------------------------------------------------------------------------

DialogScript::DialogScript() {
  ScriptState& s = Script();
  if (s.active) Fail("a dialog script is already active");
  s.active = true;
  s.queue.clear();
  s.shown.clear();
}

DialogScript::~DialogScript() {
  ScriptState& s = Script();
  std::deque<ScriptedAnswer> left;
  left.swap(s.queue);
  s.active = false;
  if (!left.empty()) {
    std::string m = std::to_string(left.size()) + " scripted dialog answer(s) never used:";
    for (const auto& a : left) {
      m += std::string(" ") + ResultName(a.result);
      if (!a.expect.empty()) m += "(\"" + a.expect + "\")";
    }
    Fail(m);
  }
}

static DialogScript& Queue(DialogScript& self, ScriptedAnswer a) {
  Script().queue.push_back(std::move(a));
  return self;
}

DialogScript& DialogScript::Ok(DialogValues values) {
  return Queue(*this, {DialogResult::Ok, std::move(values), {}, {}});
}
DialogScript& DialogScript::Cancel() { return Queue(*this, {DialogResult::Cancel, {}, {}, {}}); }
DialogScript& DialogScript::Yes() { return Queue(*this, {DialogResult::Yes, {}, {}, {}}); }
DialogScript& DialogScript::No() { return Queue(*this, {DialogResult::No, {}, {}, {}}); }
DialogScript& DialogScript::Press(std::string button, DialogValues values) {
  return Queue(*this, {DialogResult::Ok, std::move(values), std::move(button), {}});
}
DialogScript& DialogScript::File(std::string path) { return Ok({{"file", std::move(path)}}); }
DialogScript& DialogScript::Directory(std::string path) { return Ok({{"directory", std::move(path)}}); }
DialogScript& DialogScript::Colour(std::uint32_t rgb) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFFu));
  return Ok({{"colour", buf}});
}
DialogScript& DialogScript::Expect(std::string fragment) {
  ScriptState& s = Script();
  if (s.queue.empty()) {
    Fail("Expect(\"" + fragment + "\") without a queued answer");
  } else {
    s.queue.back().expect = std::move(fragment);
  }
  return *this;
}
std::size_t DialogScript::Pending() const { return Script().queue.size(); }
const std::vector<ShownDialog>& DialogScript::Shown() const { return Script().shown; }

void SetBatchMode(bool on) { batchMode = on; }
bool BatchMode() { return batchMode; }

DialogFailureHandler SetDialogFailureHandler(DialogFailureHandler handler) {
  DialogFailureHandler old = std::move(FailureHandler());
  FailureHandler() = std::move(handler);
  return old;
}

// ---------------------------------------------------------------------------

DialogResult ShowMessageBox(const std::string& caption, const std::string& text,
                            MessageButtons buttons, MessageIcon icon) {
  std::initializer_list<DialogResult> okOnly = {DialogResult::Ok, DialogResult::Cancel};
  std::initializer_list<DialogResult> yesNo = {DialogResult::Yes, DialogResult::No};
  std::initializer_list<DialogResult> yesNoCancel = {DialogResult::Yes, DialogResult::No,
                                                     DialogResult::Cancel};
  auto allowed = buttons == MessageButtons::Ok      ? okOnly
                 : buttons == MessageButtons::YesNo ? yesNo
                                                    : yesNoCancel;
  ScriptedAnswer a;
  Source src = NextAnswer("message", caption, text, allowed, a);
  DialogResult r = DialogResult::Cancel;
  if (src == Source::Scripted) {
    r = a.result;
    // An OK box closed with Esc reports OK like the system box does.
    if (buttons == MessageButtons::Ok) r = DialogResult::Ok;
  } else if (src == Source::Cancelled) {
    r = buttons == MessageButtons::Ok ? DialogResult::Ok
        : buttons == MessageButtons::YesNo ? DialogResult::No
                                           : DialogResult::Cancel;
  } else {
    r = GetWindowDialogs()->messageBox(caption, text, buttons, icon);
  }
  Log("message", caption, text, r);
  return r;
}

void Beep() {
  if (Script().active || batchMode || IsHeadless() || !windowDialogs) return;
  windowDialogs->beep();
}

// ---------------------------------------------------------------------------

namespace {

bool AskFile(const char* kind, const FileDialogRequest& req, std::string& chosen, bool save) {
  ScriptedAnswer a;
  std::string start = req.directory;
  if (!req.fileName.empty()) start = (start.empty() ? std::string() : start + "/") + req.fileName;
  Source src = NextAnswer(kind, req.title, start, {DialogResult::Ok, DialogResult::Cancel}, a);
  std::string result;
  if (src == Source::Scripted) {
    if (a.result == DialogResult::Ok) {
      const std::string* f = FindValue(a.values, "file");
      if (!f) Fail(std::string(kind) + " dialog answered Ok without a \"file\" value");
      if (f) result = *f;
    }
  } else if (src == Source::User) {
    result = GetWindowDialogs()->askFile(req, save);
  }
  Log(kind, req.title, start, result.empty() ? DialogResult::Cancel : DialogResult::Ok);
  if (result.empty()) return false;
  chosen = result;
  return true;
}

}  // namespace

bool AskOpenFile(const FileDialogRequest& request, std::string& chosen) {
  return AskFile("open", request, chosen, false);
}

bool AskSaveFile(const FileDialogRequest& request, std::string& chosen) {
  return AskFile("save", request, chosen, true);
}

bool AskDirectory(const std::string& title, const std::string& start, std::string& chosen) {
  ScriptedAnswer a;
  Source src = NextAnswer("directory", title, start, {DialogResult::Ok, DialogResult::Cancel}, a);
  std::string result;
  if (src == Source::Scripted && a.result == DialogResult::Ok) {
    const std::string* d = FindValue(a.values, "directory");
    if (!d) Fail("directory dialog answered Ok without a \"directory\" value");
    if (d) result = *d;
  } else if (src == Source::User) {
    result = GetWindowDialogs()->askDirectory(title, start);
  }
  Log("directory", title, start, result.empty() ? DialogResult::Cancel : DialogResult::Ok);
  if (result.empty()) return false;
  chosen = result;
  return true;
}

bool AskColour(std::uint32_t& rgb) {
  char start[16];
  std::snprintf(start, sizeof start, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFFu));
  ScriptedAnswer a;
  Source src = NextAnswer("colour", "Colour", start, {DialogResult::Ok, DialogResult::Cancel}, a);
  std::optional<std::uint32_t> result;
  if (src == Source::Scripted && a.result == DialogResult::Ok) {
    const std::string* c = FindValue(a.values, "colour");
    std::string v = c ? Trim(*c) : std::string();
    std::optional<long long> n;
    if (v.size() == 7 && v[0] == '#') {
      long long x = 0;
      auto [p, ec] = std::from_chars(v.data() + 1, v.data() + 7, x, 16);
      if (ec == std::errc() && p == v.data() + 7) n = x;
    } else {
      n = ParseInt(v);
    }
    if (!n || *n < 0 || *n > 0xFFFFFF) {
      Fail("colour dialog answered with \"" + v + "\", not #RRGGBB");
    } else {
      result = static_cast<std::uint32_t>(*n);
    }
  } else if (src == Source::User) {
    result = GetWindowDialogs()->askColour(rgb);
  }
  Log("colour", "Colour", start, result ? DialogResult::Ok : DialogResult::Cancel);
  if (!result) return false;
  rgb = *result;
  return true;
}

bool AskFont(FontChoice& font) {
  ScriptedAnswer a;
  std::string start = font.family + " " + std::to_string(font.pointSize);
  Source src = NextAnswer("font", "Font", start, {DialogResult::Ok, DialogResult::Cancel}, a);
  bool chosen = false;
  if (src == Source::Scripted && a.result == DialogResult::Ok) {
    FontChoice f = font;
    if (const auto* v = FindValue(a.values, "family")) f.family = *v;
    if (const auto* v = FindValue(a.values, "size")) {
      auto n = ParseInt(*v);
      if (n && *n > 0 && *n < 1000) f.pointSize = static_cast<int>(*n);
      else Fail("font dialog answered with size \"" + *v + "\"");
    }
    if (const auto* v = FindValue(a.values, "bold")) f.bold = ParseBool(*v);
    if (const auto* v = FindValue(a.values, "italic")) f.italic = ParseBool(*v);
    if (const auto* v = FindValue(a.values, "underline")) f.underline = ParseBool(*v);
    font = f;
    chosen = true;
  } else if (src == Source::User) {
    chosen = GetWindowDialogs()->askFont(font);
  }
  Log("font", "Font", start, chosen ? DialogResult::Ok : DialogResult::Cancel);
  return chosen;
}

bool AskPrint(PrintChoice& print) {
  ScriptedAnswer a;
  // The dialog names its printer, or the file it prints into.
  const std::string shown = print.printerName.empty() ? print.outputFile : print.printerName;
  Source src = NextAnswer("print", "Print", shown, {DialogResult::Ok, DialogResult::Cancel}, a);
  bool chosen = false;
  if (src == Source::Scripted && a.result == DialogResult::Ok) {
    PrintChoice p = print;
    auto number = [&](const char* key, int& target, int low) {
      if (const auto* v = FindValue(a.values, key)) {
        auto n = ParseInt(*v);
        if (n && *n >= low && *n < 100000) target = static_cast<int>(*n);
        else Fail(std::string("print dialog answered with ") + key + " \"" + *v + "\"");
      }
    };
    if (const auto* v = FindValue(a.values, "printer")) p.printerName = *v;
    if (const auto* v = FindValue(a.values, "file")) p.outputFile = *v;
    if (const auto* v = FindValue(a.values, "orientation")) p.landscape = *v == "landscape";
    number("copies", p.copies, 1);
    number("from", p.fromPage, 0);
    number("to", p.toPage, 0);
    print = p;
    chosen = true;
  } else if (src == Source::User) {
    chosen = GetWindowDialogs()->askPrint(print);
  }
  Log("print", "Print", shown, chosen ? DialogResult::Ok : DialogResult::Cancel);
  return chosen;
}

}  // namespace platform
