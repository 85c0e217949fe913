// DUdoduvoz, the graphics window: a main window whose client area replays
// the display list on every repaint, zoom and pan, and onto a printer page
// while a print job runs. The main window Thh derives from it; its recording
// methods come from TGraphRecorder.
#pragma once

#include <QMainWindow>
#include <QLine>
#include <QPoint>
#include <QTimer>
#include <string>
#include <vector>

#include "framework/graph_recorder.h"
#include "framework/graph_replay.h"

#include <memory>

class QPainter;
class QRubberBand;

class DUdoduvoz : public QMainWindow, public TGraphRecorder {
  Q_OBJECT

 public:
  explicit DUdoduvoz(QWidget* parent = nullptr);
  ~DUdoduvoz() override;

  // The client area the list is replayed on.
  QWidget* Canvas() const { return canvas_; }

  // Replays the list: onto the printer page while PrintingGraphics is set
  // and a printer document is active (the program's printer, or the painter
  // given to SetPrinterPainter), else it asks for a repaint of the window.
  void FormPaint();
  void SetPrinterPainter(QPainter* painter);
  // Replays the whole list onto a printer (or PDF) painter now.
  void PaintOnPrinter(QPainter& painter);
  // Prints the list into a PDF file; false when the file cannot be written.
  bool PrintToPdf(const std::string& path);

  void ClearViewPort() override;
  void LineTo(Extended x, Extended y) override;
  void MoveTo(Extended x, Extended y) override;
  void SetWaitCursor() override;
  void SetOldCursor() override;

  // Zoom and pan.
  void DrawRectangle(int x1, int y1, int x2, int y2);
  void FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void FormMouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
  void FormMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void FormDblClick();
  void FormKeyDown(Word& Key, Qt::KeyboardModifiers Shift);
  void processKey(Word Key);

  // True while a replay is waiting at a timed pause (code 13).
  bool AnimationRunning() const { return waitTimer_.isActive(); }
  // Index of the first record not yet animated.
  std::size_t AnimatedRecords() const { return animatedUpTo_; }

  // Virtual key code of a Qt key event's key (0 for keys without one).
  static Word VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void ListCleared() override;

 private:
  friend class GraphCanvasWidget;
  void PaintCanvas(QPainter& painter);
  void WaitElapsed();

  QWidget* canvas_ = nullptr;
  QRubberBand* rubberBand_ = nullptr;
  QPainter* printerPainter_ = nullptr;
  QPoint dragStart_, dragEnd_;
  QPoint penPoint_;                      // current point of MoveTo / LineTo
  std::vector<QLine> directLines_;       // drawn by LineTo, gone at the next ClearViewPort
  QTimer waitTimer_;
  std::size_t animatedUpTo_ = 0;         // records before it are drawn without waits
  std::size_t pendingWait_ = 0;
};

// The replay's canvas on any painter: a document page, an image.
std::unique_ptr<TGraphCanvas> MakePainterCanvas(QPainter& painter);
