// Thh, the main window of the program. It is the one graphics window: every
// diagram, drawing and picture is recorded into its display list and
// replayed in its client area and on the printer. The menus come later.
#pragma once

#include "framework/forms/graph_window.h"

class Thh : public DUdoduvoz {
  Q_OBJECT

 public:
  explicit Thh(QWidget* parent = nullptr);
  ~Thh() override;

  void FormCreate();
  void FormDestroy();
};
