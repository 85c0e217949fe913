#include "framework/globals.h"

#include <gtest/gtest.h>

#include "framework/identity.h"
#include "framework/init.h"

namespace {

class GlobalsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitFrameworkModules(); }
};

TEST_F(GlobalsTest, TextSlotsStartAsBlanksAndCutOnAssignment) {
  for (const auto& t : ItemTexts) EXPECT_EQ(t.view(), std::string(60, ' '));
  for (const auto& t : LineTable) EXPECT_EQ(t.view(), std::string(64, ' '));
  ItemTexts[135] = std::string(80, 'x');
  EXPECT_EQ(ItemTexts[135].size(), kItemTextWidth);
  ItemTexts[1] = "changed";
  InitFrameworkModules();
  EXPECT_EQ(ItemTexts[1].view(), std::string(60, ' '));
}

}  // namespace
