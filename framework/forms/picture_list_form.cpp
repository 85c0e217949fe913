#include "framework/forms/picture_list_form.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/form_placement.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "framework/picture_list.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

constexpr Word kPictureListHelp = 1480;

}  // namespace

TForm_hilfebild::TForm_hilfebild(const QString& caption, int count, int select, QWidget* parent)
    : QDialog(parent), count_(count) {
  OwnByOpeningWindow(*this);  // stays above the pictures it draws
  setObjectName("TForm_hilfebild");
  setWindowTitle(caption);
  ListBox1 = new QComboBox(this);
  ListBox1->setObjectName("ListBox1");
  ListBox1->setMinimumWidth(420);
  ListBox1->setMaxVisibleItems(20);
  ListBox1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));  // names in a column of 8
  SpinButton1Up = new QToolButton(this);
  SpinButton1Up->setObjectName("SpinButton1Up");
  SpinButton1Up->setArrowType(Qt::UpArrow);
  SpinButton1Down = new QToolButton(this);
  SpinButton1Down->setObjectName("SpinButton1Down");
  SpinButton1Down->setArrowType(Qt::DownArrow);
  Button_ok = NewButton(this, "Button_ok", "OK");
  Button_help = NewButton(this, "Button_help", "&Help");
  Button_neu = NewButton(this, "Button_neu", "&New");
  Button_aendern = NewButton(this, "Button_aendern", "&Modify");
  Button_einfuegen = NewButton(this, "Button_einfuegen", "&Insert");
  Button_loeschen = NewButton(this, "Button_loeschen", "&Delete");
  Button_plot = NewButton(this, "Button_plot", "&Plot");
  Button_show = NewButton(this, "Button_show", "&Show");

  connect(ListBox1, &QComboBox::currentIndexChanged, this, &TForm_hilfebild::ListBox1Change);
  connect(SpinButton1Up, &QToolButton::clicked, this, &TForm_hilfebild::SpinButton1UpClick);
  connect(SpinButton1Down, &QToolButton::clicked, this, &TForm_hilfebild::SpinButton1DownClick);
  connect(Button_ok, &QPushButton::clicked, this, &TForm_hilfebild::Button_okClick);
  connect(Button_help, &QPushButton::clicked, this, &TForm_hilfebild::Button_helpClick);
  connect(Button_neu, &QPushButton::clicked, this, &TForm_hilfebild::Button_neuClick);
  connect(Button_aendern, &QPushButton::clicked, this, &TForm_hilfebild::Button_aendernClick);
  connect(Button_einfuegen, &QPushButton::clicked, this, &TForm_hilfebild::Button_einfuegenClick);
  connect(Button_loeschen, &QPushButton::clicked, this, &TForm_hilfebild::Button_loeschenClick);
  connect(Button_plot, &QPushButton::clicked, this, &TForm_hilfebild::Button_plotClick);
  connect(Button_show, &QPushButton::clicked, this, &TForm_hilfebild::Button_showClick);

  auto* spin = new QVBoxLayout;
  spin->setSpacing(0);
  spin->addWidget(SpinButton1Up);
  spin->addWidget(SpinButton1Down);
  auto* list = new QHBoxLayout;
  list->addWidget(ListBox1, 1);
  list->addLayout(spin);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {Button_ok, Button_show, Button_neu, Button_aendern, Button_einfuegen, Button_loeschen, Button_plot,
                         Button_help})
    buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(list);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Filled while busy, so that selecting the entry shows nothing yet.
  for (int i = 1; i <= count; ++i)
    ListBox1->addItem(ShownText(ItemTexts[static_cast<std::size_t>(i)].view()));
  ListBox1->setCurrentIndex(select >= 1 && select <= count ? select - 1 : -1);
  PlaceFormAtPictureWindow(*this);
  busy_ = false;
}

TForm_hilfebild::~TForm_hilfebild() {
  PicWindowLeft = x();
  PicWindowTop = y();
}

int TForm_hilfebild::Chosen() const {
  if (chosenOverride_ >= 0) return chosenOverride_;
  return ListBox1->currentIndex() + 1;
}

void TForm_hilfebild::Close(int action) {
  Action = action;
  accept();
}

void TForm_hilfebild::done(int result) {
  finished_ = true;
  QDialog::done(result);
}

// Choosing an entry only selects it, so that one whose picture cannot be
// shown can still be modified or deleted; Show or OK draws it.
void TForm_hilfebild::ListBox1Change() {
  if (busy_ || finished_) return;
  AbortFlag = 0;
}

void TForm_hilfebild::Button_showClick() {
  if (finished_) return;
  AbortFlag = 0;
  Close(kShow);
}

void TForm_hilfebild::SpinButton1UpClick() {
  if (busy_ || finished_) return;
  busy_ = true;
  if (ListBox1->currentIndex() > 0) ListBox1->setCurrentIndex(ListBox1->currentIndex() - 1);
  busy_ = false;
  AbortFlag = 0;
  Close(kShow);
}

void TForm_hilfebild::SpinButton1DownClick() {
  if (busy_ || finished_) return;
  busy_ = true;
  if (ListBox1->currentIndex() < count_ - 1) ListBox1->setCurrentIndex(ListBox1->currentIndex() + 1);
  busy_ = false;
  AbortFlag = 0;
  Close(kShow);
}

void TForm_hilfebild::Button_okClick() {
  if (finished_) return;
  AbortFlag = 0;
  Close(kShowAndEnd);
}

void TForm_hilfebild::Button_helpClick() {
  ShowHelpText(HelpNumber, "", 1);
  AbortFlag = 0;
}

void TForm_hilfebild::Button_neuClick() {
  if (finished_) return;
  chosenOverride_ = count_ + 1;  // the append command
  Close(kNew);
}

void TForm_hilfebild::Button_einfuegenClick() {
  if (!finished_) Close(kInsert);
}

void TForm_hilfebild::Button_loeschenClick() {
  if (!finished_) Close(kDelete);
}

void TForm_hilfebild::Button_aendernClick() {
  if (!finished_) Close(kModify);
}

void TForm_hilfebild::Button_plotClick() {
  if (!finished_) Close(kPlot);
}

// Esc and the close box end the manager, as OK does.
void TForm_hilfebild::reject() {
  AbortFlag = 1;
  Action = kShow;
  QDialog::reject();
}

void AuxGraphicsManager() {
  AbortFlag = 0;
  int last = 1;
  bool endAfterShow = false;
  while (!endAfterShow) {
    TPictureList list;
    int entry = 0;
    const bool listed = LoadPictureList(PictureListFileName(), list);
    if (!listed) {
      // Without a list the user picks a picture file directly.
      SetNormalCursor();
      std::string name;
      if (!ChoosePictureFile(name)) break;
      list.Entries = {{name, ""}};
      entry = 1;
    } else {
      SetHelpNumber(kPictureListHelp);
      FillPictureItemTexts(list);
      const int n = list.Count();
      int action = TForm_hilfebild::kShow;
      int chosen = 0;
      {
        TForm_hilfebild form(platform::QStringFromDisplay(OemToAnsiText(ProgShortName + " " + "Auxiliary Images")), n,
                             std::max(last, 1));
        platform::ExecModal(form, "Auxiliary Images");
        if (AbortFlag) break;
        action = form.Action;
        chosen = form.Chosen();
      }
      const int selected = chosen >= 1 && chosen <= n ? chosen : 0;
      endAfterShow = action == TForm_hilfebild::kShowAndEnd;
      switch (action) {
        case TForm_hilfebild::kShow:
        case TForm_hilfebild::kShowAndEnd: entry = selected; break;
        case TForm_hilfebild::kNew: entry = n + kPictureAppend; break;
        case TForm_hilfebild::kInsert: entry = n + kPictureInsert; break;
        case TForm_hilfebild::kDelete: entry = n + kPictureDelete; break;
        case TForm_hilfebild::kModify: entry = n + kPictureEdit; break;
        case TForm_hilfebild::kPlot: entry = n + kPicturePlot; break;
        case 7: entry = selected ? selected : 1; break;
        case 10: entry = selected; break;
        default: entry = 0; break;
      }
      if (entry == 0) break;
      if (entry > n) {
        switch (entry - n) {
          case kPictureAppend: last = AppendPictureCommand(list); break;
          case kPictureDelete: last = DeletePictureCommand(list, selected); break;
          case kPictureEdit: last = EditPictureCommand(list, selected); break;
          case kPictureInsert: last = InsertPictureCommand(list, selected); break;
          case kPicturePlot: last = PlotPictureCommand(list, selected); break;
        }
        if (AbortFlag) break;
        entry = 0;
      }
    }
    if (entry >= 1 && entry <= list.Count()) {
      last = entry;
      // A picture that cannot be shown has been reported; the list comes
      // back on its entry, so that it can be mended or deleted.
      if (!ShowPictureEntry(list, entry) && listed) {
        AbortFlag = 0;
        endAfterShow = false;
      }
    }
    if (AbortFlag) break;
  }
  AbortFlag = 0;
}
