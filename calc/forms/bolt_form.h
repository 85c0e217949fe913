// TForm_bq4bolt: the whole bolt in one window: type and shank sections,
// thread with its tolerance data, head kind and row, lengths, material and
// endurance strength.
#pragma once

#include <vector>

#include "calc/forms/form_support.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TForm_bq4bolt : public TCalcForm {
 public:
  explicit TForm_bq4bolt(QWidget* parent = nullptr);

  QComboBox* ComboBox_typ;
  QTableWidget* StringGrid_boltgeo;
  TUpDown* UpDown1;
  QPushButton* Button_sonder;
  QGroupBox *GroupBox_gewinde, *GroupBox_schraubenkopf, *GroupBox_werkstoff;
  QLabel *Label_gewinde, *Label_toleranzklasse, *Label_werkstoff, *Label_dauerfest;
  QPushButton *Button_gewinde, *Button_schraubenkopf, *Button_werkstoff;
  QComboBox *ComboBox_toleranzklasse, *ComboBox_schraubenkopf, *ComboBox_dauerfest;
  QLabel *Label_d2, *Label_d3, *Label_dmin, *Label_lschraube, *Label_dk, *Label_dw, *Label_lgew, *Label_sigmaazul;
  QLineEdit *Edit_d2, *Edit_d3, *Edit_dmin, *Edit_lschraube, *Edit_dk, *Edit_dw, *Edit_lgew, *Edit_sigmaazul;
  QLabel *Label_d2u, *Label_d3u, *Label_dminu, *Label_lschraubeu, *Label_dku, *Label_dwu, *Label_lgewu,
      *Label_sigmaazulu;
  QPushButton *Button_d2, *Button_d3, *Button_dmin, *Button_lschraube;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfetext, *Button_hilfebild, *Button_metric;

  Byte Filling = 1;  // set until the first show ends and during the unit switch
  bool Shown = false;  // from the first show on

  void FillForm();
  void FillGrid();
  bool StoreInput(bool report = true);  // false when a number field is refused
  void UpDown1Click(bool up);
  void UpdateBoltTypeControls();
  void Edit_lschraubeChange();
  void Button_sonderClick();
  void UpdateToleranceControls();
  void UpdateEnduranceControls(bool pick);
  void Button_d2Click();
  void Button_d3Click();
  void Button_dminClick();
  void Button_lschraubeClick();
  void Button_gewindeClick();
  void HeadPick();
  void Button_schraubenkopfClick();
  void Button_werkstoffClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_hilfetextClick();
  void Button_hilfebildClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  struct GridSection {
    Extended d, di, l;
  };
  // The sections of the grid; false (shown when `report`) for a cell refused.
  bool ReadGridSections(bool report, std::vector<GridSection>& sections);
  void NumberGridRows();
  void FillControls();  // the controls from the records, the table not offered
  bool SelfDefined() const;
  void ShowBoltTypeControls();
};
