// Building blocks of the calculation's input forms: controls named as the
// handlers expect them, text conversion between stored (code page 437) and
// display texts, hints from the help file, a radio group and an up-down
// control. Forms are built in code; their captions are set when created.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
struct TInputRange;

// Stored text shown on a control.
QString Disp(std::string_view stored);
// A control's text back in stored characters.
std::string Stored(const QString& text);
// A control's text in display characters without surrounding blanks
// (numbers are read from it).
std::string DisplayText(const QString& text);

QPushButton* MakeButton(QWidget* parent, const char* name, std::string_view caption);
QLabel* MakeLabel(QWidget* parent, const char* name, std::string_view caption);
QLineEdit* MakeEdit(QWidget* parent, const char* name, int width = 90);
QComboBox* MakeCombo(QWidget* parent, const char* name, const std::vector<std::string>& items);
QGroupBox* MakeGroup(QWidget* parent, const char* name, std::string_view caption);

// One row of a grid: a right-aligned label, a number edit named by the label
// (MarkNumberField) and a unit label.
void AddEditRow(QWidget* parent, QGridLayout* grid, int row, QLabel*& label, const char* labelName,
                std::string_view caption, QLineEdit*& edit, const char* editName, QLabel*& unit,
                const char* unitName);

// The value of an edit: while it still shows the text the form made of
// `stored` and the user has not typed into it, the stored value itself, so
// that showing a value and storing it again does not round it; otherwise its
// text read in the display unit (what the user typed is stored as typed, and
// a stored value outside the field's range gives way to the text shown).
Extended LengthValue(const QLineEdit* e, Extended stored);
Extended ForceValue(const QLineEdit* e, Extended stored);
Extended MomentValue(const QLineEdit* e, Extended stored);
Extended StressValue(const QLineEdit* e, Extended stored);
Extended AreaValue(const QLineEdit* e, Extended stored);
Extended InertiaValue(const QLineEdit* e, Extended stored);
Extended NumberValue(const QLineEdit* e, Extended stored);  // plain numbers (FloatToText)

// Puts a value into an edit as `text`: while the edit shows that text and is
// not typed into, the value functions above give `value` itself (a proposal
// taken as calculated, not as its rounded text).
void TakeEditValue(QLineEdit* e, const QString& text, Extended value);
// Copies the text of `from` into `to` with the value `from` stands for
// (`fromValue`, read with the functions above): a typed text stays typed, a
// shown value keeps its stored value unrounded.
void CopyEditValue(QLineEdit* to, const QLineEdit* from, Extended fromValue);

// The range of a number field, from the table of the calculation's input
// ranges, by the edit's object name (edits not found are passed over).
void SetFieldRanges(QWidget* form, std::initializer_list<std::pair<const char*, const TInputRange&>> ranges);

// Hint of a control: the text of help entry n (AbortFlag is kept).
void SetHint(QWidget* w, Word helpNo, std::string_view prefix = {});

// The picture of help entry n in the graphics window, drawn only when the
// entry names one that exists: a form's opening sketch is no cause for a
// message. AbortFlag is kept.
void ShowOpeningPicture(Word helpNo);

// Sets a line edit's text only when it differs, so that an unchanged value
// does not count as an edit.
void SetEditText(QLineEdit* edit, const std::string& text);

// A group of radio buttons; ItemIndex counts from 0, -1 for none.
class TRadioGroup : public QGroupBox {
 public:
  TRadioGroup(QWidget* parent, const char* name, std::string_view caption,
              const std::vector<std::string>& items, int columns = 1);
  int ItemIndex() const;
  void SetItemIndex(int i);
  int Count() const;
  std::function<void()> OnClick;  // after the user (or a script) chose an item

 private:
  QButtonGroup* Buttons;
  bool Filling = false;
};

// Up-down control: two arrow buttons over a position within Min..Max.
// Increment is added by the up arrow and taken off by the down arrow; without
// Wrap the position stops at the limits.
class TUpDown : public QWidget {
 public:
  TUpDown(QWidget* parent, const char* name, bool vertical = true);
  int Min = 0;
  int Max = 100;
  int Position = 0;
  int Increment = 1;
  bool Wrap = false;
  QToolButton* ButtonUp;
  QToolButton* ButtonDown;
  void Click(bool up);  // what a click on an arrow does
  std::function<void(bool up)> OnClick;
};

struct TJointState;

// Base of the input forms: closing by Esc or the window's close box is
// Cancel, which sets AbortFlag and puts the joint and the unit system back
// as they were when the form opened (a form may store values and table
// picks before its OK, and its unit button switches the units at once).
class TCalcForm : public QDialog {
 public:
  explicit TCalcForm(QWidget* parent = nullptr);
  ~TCalcForm() override;
  void reject() override;
  // Form to the front again after a picture was drawn behind it.
  void BringToFront();

 protected:
  // Texts filled in on showing may need more room than at creation.
  void showEvent(QShowEvent* e) override;
  // The joint as it is now is what Cancel puts back: what the form's
  // creation set stays.
  void KeepAsOpened();

 private:
  std::unique_ptr<TJointState> Opened;
  Word OpenedUnits;
};
