// The table engine's two small status windows: TTzMsg, a yellow borderless
// box showing one text, and TTzProgress100, a captioned box whose text is a
// bar of up to 100 "|" that shrinks by one per step. They are not modal and
// need no answer. Without a screen (headless and batch runs) they keep
// their state but show nothing; in a batch run a message text goes to
// stderr.
#pragma once

#include <memory>
#include <string>

class TzMsgWindow;  // the window on the screen (dbf/forms/message_window.h)

extern int MsgMargin;               // pixels added to the text's width and height
extern bool TzMsgWindowsOnScreen;   // decided at start: a real screen is there

void InitMessageWindows();

class TTzMsg {
 public:
  // `owner`: the form to centre on (a QWidget), or nullptr for the screen.
  explicit TTzMsg(void* owner = nullptr);
  virtual ~TTzMsg();
  TTzMsg(const TTzMsg&) = delete;
  TTzMsg& operator=(const TTzMsg&) = delete;

  // Shows `text` (a display text); nullptr keeps the previous text.
  void ShowText(const std::string* text);
  void ShowText(const std::string& text) { ShowText(&text); }

  void SetCaption(const std::string& caption) { caption_ = caption; }
  const std::string& Caption() const { return caption_; }
  const std::string& Text() const { return text_; }
  std::string Bar;  // the progress bar, at most 100 characters
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Visible() const { return visible_; }
  bool HasWindow() const { return window_ != nullptr; }

 private:
  void* owner_;
  std::string caption_;
  std::string text_;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = false;
  bool bordered_ = false;
  std::unique_ptr<TzMsgWindow> window_;
};

class TTzProgress100 : public TTzMsg {
 public:
  explicit TTzProgress100(void* owner = nullptr);
};

enum class TzMsgKind { Message, Progress };

// Creates a window of the kind, sets its caption, fills the bar with 100
// "|" and shows it. The caller owns (and frees) the window.
std::unique_ptr<TTzMsg> ShowTzMsg(TzMsgKind kind, void* owner, const std::string& caption);
// One step: the bar loses its first character (an empty bar is refilled).
void ShowTzProgress(TTzMsg& window);
