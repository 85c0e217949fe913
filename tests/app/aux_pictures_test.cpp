// Where auxiliary pictures and their list window appear on the main window.
#include <QDialog>

#include "app/main_window.h"
#include "app_test_support.h"
#include "framework/forms/picture_list_form.h"
#include "framework/form_placement.h"
#include "framework/forms/placement.h"
#include "platform/screen.h"

namespace {

class AuxPictures : public AppTest {
 protected:
  // The main window's drawing area on the screen.
  static QRect Canvas(Thh& main) {
    QWidget* canvas = main.centralWidget();
    return QRect(canvas->mapToGlobal(QPoint(0, 0)), canvas->size());
  }
};

// The list window opens where it was closed last, also in the corner over
// the top of the drawing area, and closed there it keeps that place.
TEST_F(AuxPictures, ListWindowOpensAtItsRememberedPlace) {
  Thh main;
  main.show();
  for (const QPoint place : {QPoint(0, 0), QPoint(40, 30)}) {
    PicWindowLeft = place.x();
    PicWindowTop = place.y();
    {
      TForm_hilfebild form("x", 2, 1);
      EXPECT_EQ(form.pos(), place);
    }
    EXPECT_EQ(PicWindowLeft, place.x());
    EXPECT_EQ(PicWindowTop, place.y());
  }
}

// A form open over the window leaves a strip free; the picture it shows goes
// there. Without a form the whole area is used.
TEST_F(AuxPictures, PictureOfAFormGoesWhereTheFormLeavesRoom) {
  Thh main;
  main.show();
  platform::AreaFractions area;
  EXPECT_FALSE(platform::AreaBesideModalForm(4.0 / 3.0, area));
  const QRect canvas = Canvas(main);
  QDialog form(&main);
  form.setWindowModality(Qt::ApplicationModal);
  form.setGeometry(canvas.left() + canvas.width() * 2 / 3, canvas.top() + 10, canvas.width() / 4, canvas.height() / 2);
  form.show();
  ASSERT_TRUE(platform::AreaBesideModalForm(4.0 / 3.0, area));
  const QRect frame = form.frameGeometry();
  EXPECT_LE(area.x2 * canvas.width(), frame.left() - canvas.left() + 1);  // the strip left of the form
  EXPECT_DOUBLE_EQ(area.x1, 0);
  EXPECT_DOUBLE_EQ(area.y1, 0);
  EXPECT_DOUBLE_EQ(area.y2, 1);
  form.hide();
}

}  // namespace
