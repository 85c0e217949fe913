#include "platform/qt_text.h"

#include <gtest/gtest.h>

// Window titles keep their padding as no-break spaces; single blanks stay.
TEST(PlatformQtText, WindowTitlesKeepTheirPadding) {
  const QChar nb(0xA0);
  struct Row {
    const char* caption;
    QString title;
  };
  for (const Row& row : {Row{"Error  : ", QString("Error") + nb + nb + ":"}, Row{"Message:", "Message:"},
                         Row{"HELP TEXT No.4711", "HELP TEXT No.4711"}, Row{"a   b", QString("a") + nb + nb + nb + "b"},
                         Row{"   ", ""}}) {
    SCOPED_TRACE(row.caption);
    EXPECT_EQ(platform::WindowTitleFromDisplay(row.caption), row.title);
  }
}
