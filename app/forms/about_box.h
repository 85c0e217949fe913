// TAboutBox: the program's name, version and identity lines; OK closes it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The two identity lines under the version.
extern const char* const kIdentityLine1;
extern const char* const kIdentityLine2;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* ProductName;
  QLabel* Version;  // first identity line
  QLabel* Comments;  // second identity line
  QLabel* Label_extended;
  QPushButton* OKButton;
};

// Creates the about box, shows it modally and frees it.
void RunAboutBox(QWidget* parent);
