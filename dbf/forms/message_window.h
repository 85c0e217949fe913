// The on-screen part of the engine's status windows (Qt, in message_window.cpp).
// This header is Qt-free so that the engine can create the window.
#pragma once

#include <memory>
#include <string>

class TzMsgWindow {
 public:
  virtual ~TzMsgWindow() = default;
  // Size of `text` in the window's font, in pixels.
  virtual void MeasureText(const std::string& text, int& width, int& height) = 0;
  // Height of a title bar, and the width of `caption` in the system font.
  virtual int CaptionHeight() = 0;
  virtual int CaptionWidth(const std::string& caption) = 0;
  // Resizes (with or without a dialog border and caption), centres on the
  // owner or the screen, and shows the window.
  virtual void Place(int width, int height, bool bordered, const std::string& caption) = 0;
  // Shows the text at once and lets the window paint while the caller works.
  virtual void ShowPanelText(const std::string& text) = 0;
};

// A window for `owner` (a QWidget, or nullptr).
std::unique_ptr<TzMsgWindow> CreateTzMsgWindow(void* owner);
