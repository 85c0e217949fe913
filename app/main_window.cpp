#include "app/main_window.h"

#include <QString>

#include "framework/display_list.h"
#include "framework/globals.h"

Thh::Thh(QWidget* parent) : DUdoduvoz(parent) { FormCreate(); }

Thh::~Thh() { FormDestroy(); }

void Thh::FormCreate() {
  CreateDisplayList();
  setWindowTitle(QString::fromLatin1(ProgTitle.data(), static_cast<int>(ProgTitle.size())));
  // The client area is the configured graphics area, one pixel more each way.
  if (HorizontalPixels && VerticalPixels)
    Canvas()->setMinimumSize(HorizontalPixels + 1, VerticalPixels + 1);
}

void Thh::FormDestroy() { FreeDisplayList(); }
