#include "framework/forms/placement.h"

#include <algorithm>

#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "framework/form_placement.h"
#include "framework/globals.h"
#include "platform/application.h"

namespace {

QWidget* VisibleMainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
  return nullptr;
}

}  // namespace

void OwnByOpeningWindow(QWidget& form) {
  if (form.parentWidget() || !form.isWindow()) return;
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner || owner == &form) owner = VisibleMainWindow();
  if (owner && owner != &form) form.setParent(owner, form.windowFlags());
}

namespace {

// The main window's frame, or the screen's available area before one exists.
FormRect MainWindowRect() {
  if (QWidget* w = VisibleMainWindow()) {
    QRect g = w->frameGeometry();
    return {g.left(), g.top(), g.width(), g.height()};
  }
  QScreen* s = QApplication::primaryScreen();
  QRect g = s ? s->availableGeometry() : QRect(0, 0, 800, 600);
  return {g.left(), g.top(), g.width(), g.height()};
}

FormRect CurrentSize(QWidget& form) {
  if (!form.testAttribute(Qt::WA_Resized)) form.adjustSize();
  return {form.x(), form.y(), form.width(), form.height()};
}

// Proportional scaling of the contents: the font grows or shrinks with the form.
void ScaleContents(QWidget& form) {
  if (FormScalePercent == 100 || FormScalePercent < 10 || FormScalePercent > 1000) return;
  QFont f = form.font();
  qreal size = f.pointSizeF() > 0 ? f.pointSizeF() : 9;
  f.setPointSizeF(size * FormScalePercent / 100.0);
  form.setFont(f);
}

// A scale below 100 % (a display of low resolution) shrinks the form, but
// never below what its layout needs to show every text whole.
FormRect AtLeastItsLayout(const QWidget& form, FormRect r) {
  const QSize least = form.layout() ? form.minimumSizeHint() : QSize(0, 0);
  r.width = std::max(r.width, least.width());
  r.height = std::max(r.height, least.height());
  return r;
}

void Apply(QWidget& form, FormRect r) {
  r = AtLeastItsLayout(form, r);
  form.resize(r.width, r.height);
  form.move(r.left, r.top);
  ScaleContents(form);
}

}  // namespace

// Centred at the size the form gets.
void ScaleCenterForm(QWidget& form) {
  Apply(form, CenterRect(AtLeastItsLayout(form, ScaledFormSize(CurrentSize(form))), MainWindowRect()));
}

void PlaceFormAtPictureWindow(QWidget& form) { Apply(form, PictureWindowRect(CurrentSize(form))); }

void ScaleFormOnly(QWidget& form) {
  FormRect r = ScaledFormSize(CurrentSize(form));
  form.resize(r.width, r.height);
  ScaleContents(form);
}

void SetFormColour(QWidget& form, unsigned rgb) {
  QPalette p = form.palette();
  p.setColor(QPalette::Window, QColor(QRgb(rgb & 0xFFFFFFu)));
  form.setPalette(p);
  form.setAutoFillBackground(true);
}

void FullScreenGraphForm(QWidget& form, unsigned backgroundRgb) {
  SetFormColour(form, backgroundRgb);
  platform::SetApplicationHints(true, kMainWindowHintHidePause);
  form.move(0, 0);
  form.resize(HorizontalPixels + 1, VerticalPixels + 1);
}
