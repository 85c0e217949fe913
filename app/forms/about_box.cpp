#include "app/forms/about_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/drawing.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

const char* const kIdentityLine1 = "Design calculation of bolted joints after VDI 2230";
const char* const kIdentityLine2 = "Support: support@bq4.example";

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("TAboutBox");
  setWindowTitle("Info");
  auto* layout = new QVBoxLayout(this);
  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  auto* panelLayout = new QVBoxLayout(panel);
  Label_extended = new QLabel(panel);
  Label_extended->setObjectName("Label_extended");
  QFont big = Label_extended->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  Label_extended->setFont(big);
  ProductName = new QLabel(panel);
  ProductName->setObjectName("ProductName");
  Version = new QLabel(panel);
  Version->setObjectName("Version");
  Comments = new QLabel(panel);
  Comments->setObjectName("Comments");
  for (QLabel* l : {Label_extended, ProductName, Version, Comments}) panelLayout->addWidget(l);
  layout->addWidget(panel);
  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);

  ScaleCenterForm(*this);
  GraphClear();
  GraphLogo();
  Label_extended->setText(platform::QStringFromDisplay(OemToAnsiText(ProgTitle.str())));
  ProductName->setText(platform::QStringFromDisplay("Version " + ProgVersion + " for Linux"));
  Version->setText(kIdentityLine1);
  Comments->setText(kIdentityLine2);
  setWindowTitle(platform::QStringFromDisplay(ProgShortName));
}

void RunAboutBox(QWidget* parent) {
  TAboutBox box(parent);
  platform::ExecModal(box, "TAboutBox");
}
