#include "app/main_window.h"

#include <QString>

#include "framework/colours.h"
#include "framework/display_list.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"

Thh::Thh(QWidget* parent) : DUdoduvoz(parent) { FormCreate(); }

Thh::~Thh() { FormDestroy(); }

void Thh::FormCreate() {
  CreateDisplayList();
  setWindowTitle(QString::fromLatin1(ProgTitle.data(), static_cast<int>(ProgTitle.size())));
  TColorRef bg = static_cast<TColorRef>(BackgroundColour);
  FullScreenGraphForm(*this, static_cast<unsigned>(ColorRefRed(bg) << 16 | ColorRefGreen(bg) << 8 |
                                                   ColorRefBlue(bg)));
}

void Thh::FormDestroy() { FreeDisplayList(); }
