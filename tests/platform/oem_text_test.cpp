#include "platform/oem_text.h"

#include <gtest/gtest.h>

TEST(PlatformOemText, BoxDrawingUmlautsAndSignsBecomeTheirUnicodeCharacters) {
  const QString s = platform::QStringFromOem("\xC9\xCD\xBB\xBA\xC4 \x84\x94\x81\xE1 \xF8\xF1\xE6 ab");
  EXPECT_EQ(s, QString::fromUtf8("╔═╗║─ äöüß °±µ ab"));
  EXPECT_EQ(platform::QStringFromOem(std::string_view("\0x", 2)).size(), 2);
}
