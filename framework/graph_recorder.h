// The recording side of the graphics window DUdoduvoz: every drawing call
// appends one record to DisplayList and changes the window state. Qt-free,
// so that drawings are recorded and checked without a screen; the window
// class (framework/forms/graph_window.h) derives from it and adds the view.
#pragma once

#include <string>

#include "framework/types.h"

class TGraphRecorder {
 public:
  TGraphRecorder();
  virtual ~TGraphRecorder();
  TGraphRecorder(const TGraphRecorder&) = delete;
  TGraphRecorder& operator=(const TGraphRecorder&) = delete;

  // Initial state of the window fields.
  void FormCreate();

  void SetWindow(bool KeepAspect, bool Inset, Extended fx1, Extended fy1, Extended fx2,
                 Extended fy2, Extended xmin, Extended ymin, Extended xmax, Extended ymax);
  void SetScale(int x1, int y1, int x2, int y2);
  void SaveLimit();
  void RestoreLimit();
  void circle(Extended x, Extended y, Extended r);
  void line(Extended x1, Extended y1, Extended x2, Extended y2);
  // Angles in degrees, counterclockwise from StartAngle to EndAngle.
  void Arc(Extended x, Extended y, Extended StartAngle, Extended EndAngle, Extended r);
  Extended EinX(Extended v) const;
  Extended EinY(Extended v) const;
  void SetColor(int c);
  // Empties the display list and asks for a repaint.
  void Clear();
  void Header(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
  void ReSetWindow();
  // Asks for a repaint of the unchanged list.
  virtual void ClearViewPort();
  void SetLineStyle(Word s);
  void SetLineWidth(Word w);
  void SleepMs(int ms);
  void SetLineStyleName(const std::string& name);
  void Rectangle(Extended x1, Extended y1, Extended x2, Extended y2);
  // Draw at once on the window, recording nothing.
  virtual void LineTo(Extended x, Extended y);
  virtual void MoveTo(Extended x, Extended y);
  void OutTextXY(Extended x, Extended y, const std::string& text);
  static int GetDirection(Extended angle);
  void SetTextStyle(int font, Extended angle, Extended height, Extended width);
  static Byte GetColorTurbo(Byte n);
  void SetColorAcad(Byte n);
  int GetColor() const { return Colour; }
  void Solid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
             Extended x4, Extended y4);
  void ResetZoom();
  void SaveViewPort();
  void RetrieveViewPort();
  void DrawTovimarLogo();
  virtual void SetWaitCursor();
  virtual void SetOldCursor();
  void SetTextSizeMode(int mode) { TextSizeMode = mode; }
  void Regen();

  // What a replay does to the record caches: the next SetLineStyle and
  // SetLineWidth record again.
  void ResetStyleCaches();

  int TextSizeMode = 0;
  bool Dragging = false;
  bool DoubleClicked = false;
  std::int32_t Colour = -1;  // last colour recorded
  Word LineStyle = 99;       // last line style recorded
  Word LineWidth = 1;        // last line width recorded

 protected:
  // Called by Clear after the list was emptied.
  virtual void ListCleared() {}
};

// The one graphics window that the procedural drawing routines address:
// the registered main window, or a window without a view while none exists
// (batch runs and tests record into the same list).
TGraphRecorder& MainGraphWindow();
void RegisterMainGraphWindow(TGraphRecorder* window);
// Start state of the record caches of that window.
void InitGraphRecorder();
void UnregisterMainGraphWindow(TGraphRecorder* window);
