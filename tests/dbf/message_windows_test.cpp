#include "dbf/message_windows.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "dbf_test_util.h"
#include "platform/dialogs.h"

using namespace dbftest;

namespace {

class MessageWindows : public DbfTest {};

QLabel* ShownPanel() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "TTzMsg" && w->isVisible()) return w->findChild<QLabel*>("Panel");
  return nullptr;
}

// Without a screen the windows keep their state; batch runs write texts, not the bar, to stderr.
TEST_F(MessageWindows, HeadlessAndBatchRuns) {
  EXPECT_FALSE(TzMsgWindowsOnScreen);
  TTzMsg msg;
  EXPECT_FALSE(msg.HasWindow());
  msg.ShowText("a rather long status text");
  int w = msg.Width(), h = msg.Height();
  msg.ShowText("short");
  EXPECT_TRUE(msg.Width() == w && msg.Height() == h);  // never shrinks
  msg.ShowText(nullptr);
  EXPECT_EQ(msg.Text(), "short");
  msg.SetCaption("Busy");  // a caption adds a border and its height
  msg.ShowText(nullptr);
  EXPECT_GT(msg.Height(), h);
  platform::SetBatchMode(true);
  testing::internal::CaptureStderr();
  TTzMsg batch;
  batch.ShowText("Building index...");
  auto p = ShowTzMsg(TzMsgKind::Progress, nullptr, "Appending...");
  EXPECT_EQ(p->Bar, std::string(100, '|'));
  int width = p->Width();
  for (int i = 0; i < 99; ++i) ShowTzProgress(*p);
  EXPECT_EQ(p->Text(), "|");
  ShowTzProgress(*p);
  EXPECT_EQ(p->Text(), "");
  ShowTzProgress(*p);
  EXPECT_EQ(p->Text(), std::string(100, '|'));  // refilled
  EXPECT_EQ(p->Width(), width);
  std::string err = testing::internal::GetCapturedStderr();
  platform::SetBatchMode(false);
  EXPECT_EQ(err, "Building index...\n");
}

TEST_F(MessageWindows, OnScreenWindowShowsItsTextAndGoesWithItsOwner) {
  TzMsgWindowsOnScreen = true;  // the offscreen platform stands in for a screen
  {
    TTzMsg msg;
    ASSERT_TRUE(msg.HasWindow());
    msg.ShowText("Reading from disk...");
    QLabel* panel = ShownPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), "Reading from disk...");
    auto p = ShowTzMsg(TzMsgKind::Progress, nullptr, "Writing to disk...");
    ShowTzProgress(*p);
    EXPECT_EQ(p->Text().size(), 99u);
  }
  EXPECT_EQ(ShownPanel(), nullptr);  // freed with their owners
  TzMsgWindowsOnScreen = false;
}

}  // namespace
