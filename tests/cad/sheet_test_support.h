// Shared set-up of the sheet, title-block and table tests: the drawing
// fixture with the calculated tapped M12 12.9 joint, and the texts of a
// listing with their positions.
#pragma once

#include <string>
#include <vector>

#include "../calc/calc_test_support.h"
#include "calc/calculation.h"
#include "calc/init.h"
#include "drawing_test_support.h"

namespace sheet_test {

struct PlacedText {
  double x = 0, y = 0;
  std::string text;
};

// The TEXT lines of a listing: x, y and the text.
inline std::vector<PlacedText> Texts(const std::vector<std::string>& lines) {
  std::vector<PlacedText> out;
  for (const auto& line : lines) {
    const auto parts = drawing_test::SplitTabs(line);
    if (parts.size() < 4 || parts[0] != "TEXT") continue;
    out.push_back({std::stod(parts[1]), std::stod(parts[2]), parts[3]});
  }
  return out;
}

inline bool HasText(const std::vector<PlacedText>& texts, const std::string& text) {
  for (const auto& t : texts)
    if (t.text == text) return true;
  return false;
}

// The first text that begins with head; empty when none does.
inline std::string TextStartingWith(const std::vector<PlacedText>& texts, const std::string& head) {
  for (const auto& t : texts)
    if (t.text.rfind(head, 0) == 0) return t.text;
  return "";
}

}  // namespace sheet_test

class SheetTest : public DrawingTest {
 protected:
  void SetUp() override {
    InitCalcTest();  // empty head tables; the CAD fixture then resets the framework
    const std::string tables = DbfDir;
    DrawingTest::SetUp();
    InitCalcModules();
    DbfDir = tables;
    SetUpTappedM12Joint();
  }

  static void Calculate() {
    ClearCalcMessages();
    CalculateJoint();
  }

  // The texts of a body drawn into one entity pass of a listing.
  std::vector<sheet_test::PlacedText> ListedTexts(const std::function<void()>& body) {
    return sheet_test::Texts(Draw(kCadListing, "/drawing.lst", body));
  }
};
