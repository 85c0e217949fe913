#include "framework/forms/graph_window.h"

#include <QFont>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygon>
#include <QRubberBand>
#include <QStaticText>
#include <cmath>
#include <map>
#include <unordered_map>
#include <tuple>

#include "framework/display_list.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/graph_replay.h"
#include "framework/graph_transform.h"
#include "framework/graph_zoom.h"
#include "platform/cursor.h"
#include "platform/printer_qt.h"

namespace {

QColor ToQColor(TColorRef c) { return QColor(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c)); }

// Keeps pixel coordinates where the raster engine stays exact and fast.
int Px(int v) {
  constexpr int limit = 1 << 24;
  return v < -limit ? -limit : (v > limit ? limit : v);
}

// A font of the replay with the ascent its text is placed by, and the
// texts laid out in it: a repaint draws the same texts again, and laying
// out a text costs more than drawing it.
struct CachedFont {
  QFont font;
  qreal ascent = 0;
  std::unordered_map<std::string, QStaticText> texts;
};

// The font of a replay font request, built once: a list draws its texts in
// a handful of fonts, and building a font and its metrics costs far more
// than drawing the text.
CachedFont& FontFor(const TGraphFont& f) {
  using Key = std::tuple<std::string, int, int, int, bool, bool, bool>;
  // Never destroyed: fonts must not outlive the application object at exit.
  static auto& cache = *new std::map<Key, CachedFont>;
  Key key{f.face, f.height, f.width, f.weight, f.italic, f.underline, f.strikeOut};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (cache.size() > 512) cache.clear();  // zooming makes new sizes; keep the cache small
  QFont font(QString::fromLatin1(f.face.c_str()));
  // The height is the character cell (ascent and descent), as a Windows
  // font of positive height has it; Qt's pixel size is the em.
  int height = f.height > 0 ? f.height : 1;
  font.setPixelSize(height);
  qreal cell = QFontMetricsF(font).height();
  if (cell > 0) font.setPixelSize(qMax(1, qRound(height * height / cell)));
  font.setWeight(static_cast<QFont::Weight>(f.weight));
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setStrikeOut(f.strikeOut);
  if (f.width > 0) {
    qreal natural = QFontMetricsF(font).averageCharWidth();
    if (natural > 0) {
      int stretch = qRound(100 * f.width / natural);
      font.setStretch(stretch < 1 ? 1 : (stretch > 4000 ? 4000 : stretch));
    }
  }
  CachedFont& entry = cache[key];
  entry.font = font;
  entry.ascent = QFontMetricsF(font).ascent();
  return entry;
}

// The replay's canvas on a QPainter, with the drawing semantics of the
// Windows canvas the display list was made for.
class PainterCanvas : public TGraphCanvas {
 public:
  explicit PainterCanvas(QPainter& p) : p_(p) {
    pen_.setCapStyle(Qt::FlatCap);
    pen_.setColor(Qt::black);
    pen_.setWidth(1);
    p_.setRenderHint(QPainter::Antialiasing, false);
    Apply();
  }

  void MoveTo(int x, int y) override { cur_ = QPoint(Px(x), Px(y)); }
  void LineTo(int x, int y) override {
    QPoint to(Px(x), Px(y));
    p_.drawLine(cur_, to);
    cur_ = to;
  }
  void Ellipse(int x1, int y1, int x2, int y2) override {
    p_.setBrush(Qt::NoBrush);
    p_.drawEllipse(Box(x1, y1, x2, y2));
  }
  void Arc(int x1, int y1, int x2, int y2, int xs, int ys, int xe, int ye) override {
    QRectF box = Box(x1, y1, x2, y2);
    QPointF c = box.center();
    // Screen y grows downwards; Qt's angles count counterclockwise on screen.
    qreal a0 = std::atan2(-(ys - c.y()), xs - c.x()) * 180 / M_PI;
    qreal a1 = std::atan2(-(ye - c.y()), xe - c.x()) * 180 / M_PI;
    qreal span = a1 - a0;
    while (span <= 0) span += 360;
    if (span > 360) span -= 360;
    p_.drawArc(box, qRound(a0 * 16), qRound(span * 16));
  }
  void Polygon(const int (&xy)[8]) override {
    QPolygon poly;
    for (int k = 0; k < 4; ++k) poly << QPoint(Px(xy[2 * k]), Px(xy[2 * k + 1]));
    p_.setBrush(brush_);
    p_.drawPolygon(poly);
    p_.setBrush(Qt::NoBrush);
  }
  void Text(int x, int y, const std::string& text, const TGraphFont& f,
            TColorRef colour) override {
    CachedFont& font = FontFor(f);
    if (font.texts.size() > 4096) font.texts.clear();  // keep the cache small
    auto [it, added] = font.texts.try_emplace(text);
    QStaticText& laid = it->second;
    if (added) {
      laid.setTextFormat(Qt::PlainText);
      // As every dialog shows a stored text: "Φ" stays "Φ", which code page
      // 1252 has not.
      laid.setText(ShownDisplayText(text));
      laid.prepare(QTransform(), font.font);
    }
    p_.setFont(font.font);
    p_.setPen(ToQColor(colour));
    // A text never runs past its box, as many characters as it has of the
    // font's average width: wide letters ("WWW") are narrowed to it, so that
    // a text placed and fitted by that width ends where the drawing meant.
    const qreal box = static_cast<qreal>(laid.text().size()) * f.width;
    const qreal drawn = laid.size().width();
    const qreal narrow = f.width > 0 && drawn > box && box > 0 ? box / drawn : 1;
    if (f.escapement == 0 && narrow == 1) {
      p_.drawStaticText(QPointF(Px(x), Px(y)), laid);
    } else if (f.escapement == 0) {
      p_.save();
      p_.translate(Px(x), Px(y));
      p_.scale(narrow, 1);
      p_.drawStaticText(QPointF(0, 0), laid);
      p_.restore();
    } else {
      // A turned text is drawn from its text: a layout kept for the upright
      // text would be turned as a picture, its pixels differing.
      p_.save();
      p_.translate(Px(x), Px(y));
      p_.rotate(-f.escapement / 10.0);
      p_.scale(narrow, 1);
      p_.drawText(QPointF(0, font.ascent), laid.text());
      p_.restore();
    }
    p_.setPen(pen_);
  }
  void SetPenColour(TColorRef c) override {
    pen_.setColor(ToQColor(c));
    Apply();
  }
  void SetBrushColour(TColorRef c) override { brush_ = ToQColor(c); }
  void SetPenStyle(TPenStyle s) override {
    pen_.setStyle(s == psDot ? Qt::DotLine
                  : s == psDashDot ? Qt::DashDotLine
                  : s == psDash    ? Qt::DashLine
                                   : Qt::SolidLine);
    Apply();
  }
  void SetPenWidth(int w) override {
    pen_.setWidth(w < 1 ? 1 : w);
    Apply();
  }

 private:
  static QRectF Box(int x1, int y1, int x2, int y2) {
    return QRectF(QPointF(Px(x1), Px(y1)), QPointF(Px(x2), Px(y2))).normalized();
  }
  void Apply() { p_.setPen(pen_); }

  QPainter& p_;
  QPen pen_;
  QColor brush_ = Qt::black;
  QPoint cur_;
};

}  // namespace

std::unique_ptr<TGraphCanvas> MakePainterCanvas(QPainter& painter) {
  return std::make_unique<PainterCanvas>(painter);
}

// The client area: paints through the window and hands it the mouse.
class GraphCanvasWidget : public QWidget {
 public:
  explicit GraphCanvasWidget(DUdoduvoz* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    owner_->PaintCanvas(p);
  }
  void mousePressEvent(QMouseEvent* e) override {
    owner_->FormMouseDown(e->button(), e->modifiers(), e->position().toPoint().x(),
                          e->position().toPoint().y());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    owner_->FormMouseMove(e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    owner_->FormMouseUp(e->button(), e->modifiers(), e->position().toPoint().x(),
                        e->position().toPoint().y());
  }
  // A double click arrives in place of the second press: the window sees the
  // double click first and then the press, which consumes it.
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    owner_->FormDblClick();
    owner_->FormMouseDown(e->button(), e->modifiers(), e->position().toPoint().x(),
                          e->position().toPoint().y());
  }
  void keyPressEvent(QKeyEvent* e) override { owner_->keyPressEvent(e); }
  // The drawing fits the client area again at its new size.
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    SetCanvasSize(width(), height());
    update();
  }

 private:
  DUdoduvoz* owner_;
};

DUdoduvoz::DUdoduvoz(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("ToviGraf");
  setCursor(Qt::ArrowCursor);
  CreateDisplayList();
  canvas_ = new GraphCanvasWidget(this);
  canvas_->setObjectName("GraphCanvas");
  setCentralWidget(canvas_);
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, canvas_);
  waitTimer_.setSingleShot(true);
  connect(&waitTimer_, &QTimer::timeout, this, [this] { WaitElapsed(); });
  FormCreate();
  RegisterMainGraphWindow(this);
}

DUdoduvoz::~DUdoduvoz() { UnregisterMainGraphWindow(this); }

void DUdoduvoz::PaintCanvas(QPainter& painter) {
  painter.fillRect(canvas_->rect(), ToQColor(static_cast<TColorRef>(BackgroundColour)));
  SetCanvasSize(canvas_->width(), canvas_->height());
  ResetStyleCaches();
  const TDisplayList& list = *CreateDisplayList();
  if (animatedUpTo_ > list.size()) animatedUpTo_ = list.size();
  // Replay up to and including the next wait not yet animated; the timer
  // then lets the following records appear.
  int ms = 0;
  std::size_t wait = waitTimer_.isActive() ? pendingWait_ : NextWaitRecord(list, animatedUpTo_, ms);
  std::size_t count = wait < list.size() ? wait + 1 : list.size();
  PainterCanvas canvas(painter);
  bool wasPrinting = PrintingGraphics;
  PrintingGraphics = false;  // the screen replay never draws on a printer
  // A replay that stops at a pause must not leave the window state of that
  // point behind: drawing and zooming go on from the state of the whole list.
  TGraphWindowState state = SaveGraphWindowState();
  ReplayDisplayList(list, count, &canvas, nullptr, TPrinterPage{});
  if (count < list.size()) RestoreGraphWindowState(state);
  PrintingGraphics = wasPrinting;
  if (!directLines_.empty()) {
    painter.setPen(ToQColor(PaletteColour(Colour >= 0 && Colour < PaletteSize ? Colour : 15)));
    for (const QLine& l : directLines_) painter.drawLine(l);
  }
  if (wait < list.size() && !waitTimer_.isActive()) {
    pendingWait_ = wait;
    waitTimer_.start(ms);
  } else if (wait >= list.size()) {
    animatedUpTo_ = list.size();
  }
  if (platform::BusyCursorShown()) platform::ShowArrowCursor();
}

void DUdoduvoz::WaitElapsed() {
  animatedUpTo_ = pendingWait_ + 1;
  canvas_->update();
}

void DUdoduvoz::ListCleared() {
  waitTimer_.stop();
  animatedUpTo_ = 0;
  pendingWait_ = 0;
  directLines_.clear();
}

void DUdoduvoz::FormPaint() {
  QPainter* printer = printerPainter_ ? printerPainter_ : platform::PrinterPainter();
  if (PrintingGraphics && printer) {
    ResetStyleCaches();
    PainterCanvas canvas(*printer);
    TPrinterPage page{printer->device()->width(), printer->device()->height()};
    const TDisplayList& list = *CreateDisplayList();
    // The page keeps a world unit as long in x as in y, like the window; the
    // window's own scales come back afterwards.
    TGraphWindowState screen = SaveGraphWindowState();
    Extended pageHeight = Extended(page.PageHeight) * PrintScaleY;
    if (page.PageWidth > 0 && pageHeight > 0)
      DisplayAspect = Extended(page.PageWidth) * PrintScaleX / pageHeight;
    PrintingToPrinter = 1;
    ReplayDisplayList(list, list.size(), nullptr, &canvas, page);
    PrintingToPrinter = 0;
    RestoreGraphWindowState(screen);
    return;
  }
  canvas_->update();
}

void DUdoduvoz::SetPrinterPainter(QPainter* painter) { printerPainter_ = painter; }

void DUdoduvoz::PaintOnPrinter(QPainter& painter) {
  bool wasPrinting = PrintingGraphics;
  QPainter* old = printerPainter_;
  PrintingGraphics = true;
  printerPainter_ = &painter;
  FormPaint();
  printerPainter_ = old;
  PrintingGraphics = wasPrinting;
}

bool DUdoduvoz::PrintToPdf(const std::string& path) {
  QPdfWriter writer(QString::fromLocal8Bit(path.c_str()));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setResolution(300);
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  PaintOnPrinter(painter);
  return painter.end();
}

void DUdoduvoz::ClearViewPort() {
  directLines_.clear();
  if (isVisible()) {
    platform::ShowBusyCursor();
    raise();
  }
  canvas_->update();
}

void DUdoduvoz::MoveTo(Extended x, Extended y) { penPoint_ = QPoint(PX(x), PY(y)); }

void DUdoduvoz::LineTo(Extended x, Extended y) {
  QPoint to(PX(x), PY(y));
  directLines_.emplace_back(penPoint_, to);
  penPoint_ = to;
  canvas_->update();
}

void DUdoduvoz::SetWaitCursor() { platform::ShowBusyCursor(); }
void DUdoduvoz::SetOldCursor() { platform::ShowArrowCursor(); }

void DUdoduvoz::DrawRectangle(int x1, int y1, int x2, int y2) {
  rubberBand_->setGeometry(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized());
  rubberBand_->show();
}

void DUdoduvoz::FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button == Qt::RightButton) {
    ResetZoom();
    ClearViewPort();
    DoubleClicked = false;
  } else if (Button == Qt::LeftButton && DoubleClicked) {
    RestoreLimit();
    ResetZoom();
    ReSetWindow();
    ClearViewPort();
    DoubleClicked = false;
  } else if (Button == Qt::LeftButton && !Dragging) {
    Dragging = true;
    dragStart_ = dragEnd_ = QPoint(X, Y);
    DoubleClicked = false;
  } else {
    DoubleClicked = false;
  }
}

void DUdoduvoz::FormMouseMove(Qt::KeyboardModifiers, int X, int Y) {
  if (!Dragging) return;
  dragEnd_ = QPoint(X, Y);
  DrawRectangle(dragStart_.x(), dragStart_.y(), dragEnd_.x(), dragEnd_.y());
}

void DUdoduvoz::FormMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
  if (!Dragging) return;
  dragEnd_ = QPoint(X, Y);
  Dragging = false;
  rubberBand_->hide();
  TZoomRect out;
  if (BoxZoom(dragStart_.x(), dragStart_.y(), dragEnd_.x(), dragEnd_.y(), out)) {
    SetWaitCursor();
    SetScale(out.x1, out.y1, out.x2, out.y2);
    ClearViewPort();
  }
}

void DUdoduvoz::FormDblClick() { DoubleClicked = true; }

void DUdoduvoz::FormKeyDown(Word& Key, Qt::KeyboardModifiers) { processKey(Key); }

void DUdoduvoz::processKey(Word Key) {
  TZoomRect z{ZoomX1, ZoomY1, ZoomX2, ZoomY2}, out;
  TZoomAction action = KeyZoom(Key, z, ZoomIncrement, PanFactor, out);
  if (action == TZoomAction::None) return;
  ClearViewPort();
  if (action == TZoomAction::SetScale) {
    SetScale(out.x1, out.y1, out.x2, out.y2);
  } else {
    ResetZoom();
    ClearViewPort();
  }
}

Word DUdoduvoz::VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  bool keypad = modifiers & Qt::KeypadModifier;
  switch (qtKey) {
    case Qt::Key_Escape: return VkEscape;
    case Qt::Key_PageUp: return VkPageUp;
    case Qt::Key_PageDown: return VkPageDown;
    case Qt::Key_Left: return VkLeft;
    case Qt::Key_Up: return VkUp;
    case Qt::Key_Right: return VkRight;
    case Qt::Key_Down: return VkDown;
    case Qt::Key_F5: return VkF5;
    case Qt::Key_Plus: return keypad ? VkAdd : 187;
    case Qt::Key_Minus: return keypad ? VkSubtract : 189;
    default: return 0;
  }
}

void DUdoduvoz::keyPressEvent(QKeyEvent* event) {
  Word key = VirtualKey(event->key(), event->modifiers());
  if (key == 0) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  FormKeyDown(key, event->modifiers());
}
