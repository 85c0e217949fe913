#include "framework/calc_messages.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/init.h"
#include "output_test_support.h"

namespace {

using CalcMessagesTest = FrameworkTest;

TEST_F(CalcMessagesTest, DuplicatesJudgedByFirst36CharactersAndElevenKept) {
  const std::string head(36, 'a');
  struct Case { const char* name; std::string first, second; int count; };
  const Case cases[] = {
      {"same text", "Warning: x", "Warning: x", 1},
      {"differs after 36", head + "1", head + "2", 1},
      {"differs at 36", head.substr(0, 35) + "1", head.substr(0, 35) + "2", 2},
      {"case counts", "Error  : a", "Error  : A", 2},
      {"blanks count", "Error  : a", "Error  : a ", 2},
  };
  for (const auto& c : cases) {
    ClearCalcMessages();
    AddErrorMessage(c.first);
    AddErrorMessage(c.second);
    EXPECT_EQ(CalcMessages.count, c.count) << c.name;
  }
  // A long text is stored as its first 36 characters.
  ClearCalcMessages();
  const std::string text = "Fatal  : 0123456789012345678901234567890";  // 40 characters
  AddErrorMessage(text);
  ASSERT_EQ(CalcMessages.count, 1);
  EXPECT_EQ(CalcMessages.texts[1].view(), text.substr(0, 36));

  // The twelfth distinct message is dropped, the order kept.
  ClearCalcMessages();
  for (int i = 1; i <= 12; ++i) AddErrorMessage("Warning: " + std::to_string(i));
  ASSERT_EQ(CalcMessages.count, 11);
  for (int i = 1; i <= 11; ++i)
    EXPECT_EQ(CalcMessages.texts[i].view(), "Warning: " + std::to_string(i));
  AddErrorMessage("Warning: 13");
  EXPECT_EQ(CalcMessages.count, 11);
  // Clearing empties the list and the fatal flag.
  AddErrorMessage("Fatal  : x");
  CalcFatalFlag = 1;
  ClearCalcMessages();
  EXPECT_EQ(CalcMessages.count, 0);
  EXPECT_EQ(CalcFatalFlag, 0);
  AddErrorMessage("Fatal  : x");
  EXPECT_EQ(CalcMessages.count, 1);
}

// The reason a run ended stands in the list however full it is: the first
// fatal message takes the last place of a full list, later ones do not push
// it out, and a list cleared for the next run takes one again.
TEST_F(CalcMessagesTest, AFatalMessageTakesTheLastPlaceOfAFullList) {
  const auto fill = [] {
    ClearCalcMessages();
    for (int i = 1; i <= 11; ++i) AddErrorMessage("p perm. clamp.plate " + std::to_string(i) + " !");
  };
  fill();
  AddErrorMessage("Warning: 12");
  AddErrorMessage("Fatal  : m tr < 0 (chamfer) !");
  ASSERT_EQ(CalcMessages.count, 11);
  EXPECT_EQ(CalcMessages.texts[10].view(), "p perm. clamp.plate 10 !");
  EXPECT_EQ(CalcMessages.texts[11].view(), "Fatal  : m tr < 0 (chamfer) !");
  AddErrorMessage("Fatal  : A tau B = 0 !");
  AddFatalMessage("dK = 0! (screw head)");
  EXPECT_EQ(CalcMessages.texts[11].view(), "Fatal  : m tr < 0 (chamfer) !");

  // A fatal text without a kind prefix, added as fatal.
  fill();
  AddFatalMessage("dK = 0! (screw head)");
  EXPECT_EQ(CalcMessages.texts[11].view(), "dK = 0! (screw head)");

  // A fatal message already in the list keeps the full list as it is.
  ClearCalcMessages();
  AddErrorMessage("Fatal  : no clamp.piece !");
  for (int i = 2; i <= 12; ++i) AddErrorMessage("Warning: " + std::to_string(i));
  AddErrorMessage("Fatal  : delta P = 0 !");
  ASSERT_EQ(CalcMessages.count, 11);
  EXPECT_EQ(CalcMessages.texts[1].view(), "Fatal  : no clamp.piece !");
  EXPECT_EQ(CalcMessages.texts[11].view(), "Warning: 11");
}

}  // namespace
