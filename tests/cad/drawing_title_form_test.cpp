// Before any Qt header: the message list has a field named like a Qt macro.
#include "cad_test_support.h"

#include <QLineEdit>

#include "cad/forms/drawing_title_form.h"
#include "framework/drawing_info.h"

namespace {

class DrawingTitleFormTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    DrawingName = "JOINT";
    DrawingName2 = "second line";
    DrawingNumber = "BQ4-1";
    HeaderLines[1] = "head 1";
    HeaderLines[2] = "head 2";
    HeaderLines[3] = "head 3";
  }
};

TEST_F(DrawingTitleFormTest, CancelKeepsEveryTextOkStoresEachCutToItsWidthAndTheFormShowsTheStoredTexts) {
  platform::DialogScript script;
  script.Cancel();
  ShowDrawingTitleDialog();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(DrawingName.str(), "JOINT");
  EXPECT_EQ(DrawingName2.str(), "second line");
  EXPECT_EQ(DrawingNumber.str(), "BQ4-1");
  EXPECT_EQ(HeaderLines[2].str(), "head 2");
  AbortFlag = 0;
  script.Ok({{"Edit_zeichnr", "12345678901234567890"},
             {"Edit_zeichname", std::string(30, 'N')},
             {"Edit_zeichname2", "Gr\xFC\xDF" "e"},  // display text: ü and ß
             {"Edit_bemerk3", std::string(70, 'h')}});
  ShowDrawingTitleDialog();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(DrawingNumber.str(), "123456789012345678");
  EXPECT_EQ(DrawingName.str(), std::string(25, 'N'));
  EXPECT_EQ(DrawingName2.str(), "Gr\x81\xE1" "e");  // stored in code page 437
  EXPECT_EQ(HeaderLines[1].str(), "head 1");
  EXPECT_EQ(HeaderLines[3].str(), std::string(65, 'h'));
  // The form shows the stored texts, the second name line back in display text.
  Tform_uni3 form;
  EXPECT_EQ(form.Edit_zeichname2->text(), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e"));
  EXPECT_EQ(form.Edit_bemerk3->text(), QString(65, QChar('h')));
}

}  // namespace
