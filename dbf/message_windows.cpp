#include "dbf/message_windows.h"

#include <algorithm>
#include <cstdio>

#include "dbf/forms/message_window.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/os.h"

int MsgMargin = 30;
bool TzMsgWindowsOnScreen = false;

namespace {

constexpr std::size_t kBarLength = 100;

// Text metrics without a screen: a fixed-pitch estimate.
void EstimateText(const std::string& text, int& width, int& height) {
  width = static_cast<int>(text.size()) * 8;
  height = 16;
}

}  // namespace

void InitMessageWindows() {
  MsgMargin = 30;
  TzMsgWindowsOnScreen =
      platform::ApplicationExists() && !platform::IsHeadless() && !platform::BatchMode();
}

TTzMsg::TTzMsg(void* owner) : owner_(owner) {
  if (TzMsgWindowsOnScreen) window_ = CreateTzMsgWindow(owner);
}

TTzMsg::~TTzMsg() = default;

void TTzMsg::ShowText(const std::string* text) {
  if (text) text_ = *text;
  int w = 0, h = 0;
  if (window_) window_->MeasureText(text_, w, h);
  else EstimateText(text_, w, h);
  w += MsgMargin;
  h += MsgMargin;
  bool bordered = !caption_.empty();
  if (bordered) {
    int captionHeight = 20, captionWidth = static_cast<int>(caption_.size()) * 8;
    if (window_) {
      captionHeight = window_->CaptionHeight();
      captionWidth = window_->CaptionWidth(caption_);
    }
    h += captionHeight;
    w = std::max(w, captionWidth);
  }
  // The window grows when it must and never shrinks.
  if (width_ < w || height_ < h || bordered != bordered_) {
    width_ = std::max(width_, w);
    height_ = std::max(height_, h);
    bordered_ = bordered;
    if (window_) window_->Place(width_, height_, bordered_, caption_);
  }
  visible_ = true;
  if (window_) window_->ShowPanelText(text_);
  else if (platform::BatchMode() && Bar.empty() && !text_.empty())
    std::fprintf(stderr, "%s\n", text_.c_str());
}

TTzProgress100::TTzProgress100(void* owner) : TTzMsg(owner) { SetCaption("Progress"); }

std::unique_ptr<TTzMsg> ShowTzMsg(TzMsgKind kind, void* owner, const std::string& caption) {
  std::unique_ptr<TTzMsg> w;
  if (kind == TzMsgKind::Progress) w = std::make_unique<TTzProgress100>(owner);
  else w = std::make_unique<TTzMsg>(owner);
  w->SetCaption(caption);
  w->Bar.assign(kBarLength, '|');
  w->ShowText(w->Bar);
  return w;
}

void ShowTzProgress(TTzMsg& window) {
  if (window.Bar.empty()) window.Bar.assign(kBarLength, '|');
  else window.Bar.erase(0, 1);
  window.ShowText(window.Bar);
}
