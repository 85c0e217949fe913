#include "dbf/forms/message_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include "platform/qt_text.h"

namespace {

// A yellow box with one bevelled panel that fills it.
class QtMsgWindow : public TzMsgWindow {
 public:
  explicit QtMsgWindow(QWidget* owner) : owner_(owner), window_(new QWidget(nullptr)) {
    window_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window_->setAttribute(Qt::WA_ShowWithoutActivating);
    window_->setObjectName("TTzMsg");
    QPalette pal = window_->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    window_->setPalette(pal);
    window_->setAutoFillBackground(true);
    if (owner_) window_->setFont(owner_->font());
    panel_ = new QLabel(window_.get());
    panel_->setObjectName("Panel");
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setLineWidth(2);
    panel_->setAlignment(Qt::AlignCenter);
    window_->resize(0, 0);
  }

  void MeasureText(const std::string& text, int& width, int& height) override {
    QFontMetrics fm(window_->font());
    QRect r = fm.boundingRect(QRect(), Qt::AlignLeft, platform::QStringFromDisplay(text));
    width = r.width();
    height = r.height();
  }

  int CaptionHeight() override { return window_->style()->pixelMetric(QStyle::PM_TitleBarHeight); }

  int CaptionWidth(const std::string& caption) override {
    QFont system = QApplication::font("QMdiSubWindowTitleBar");
    return QFontMetrics(system).horizontalAdvance(platform::QStringFromDisplay(caption)) + 2 * MsgMarginFor();
  }

  void Place(int width, int height, bool bordered, const std::string& caption) override {
    Qt::WindowFlags flags = Qt::WindowStaysOnTopHint;
    flags |= bordered ? (Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
                      : (Qt::Tool | Qt::FramelessWindowHint);
    if (window_->windowFlags() != flags) window_->setWindowFlags(flags);
    window_->setWindowTitle(platform::QStringFromDisplay(caption));
    window_->resize(width, height);
    QRect area;
    if (owner_) area = owner_->frameGeometry();
    else if (QScreen* s = QGuiApplication::primaryScreen()) area = s->availableGeometry();
    if (area.isValid()) window_->move(area.center() - QPoint(width / 2, height / 2));
    panel_->setGeometry(0, 0, width, height);
    window_->show();
  }

  void ShowPanelText(const std::string& text) override {
    panel_->setText(platform::QStringFromDisplay(text));
    panel_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  static int MsgMarginFor() { return 8; }

  QWidget* owner_;
  std::unique_ptr<QWidget> window_;
  QLabel* panel_;
};

}  // namespace

std::unique_ptr<TzMsgWindow> CreateTzMsgWindow(void* owner) {
  if (!QApplication::instance()) return nullptr;
  return std::make_unique<QtMsgWindow>(static_cast<QWidget*>(owner));
}
