// TForm_bq4last: the loads of the joint: axial load, load introduction,
// transverse load, embedding, required residual clamp load with its
// proposals, the preset loads and the chamfer of the thread engagement.
#pragma once

#include <array>

#include "calc/forms/form_support.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm_bq4last : public TCalcForm {
 public:
  explicit TForm_bq4last(QWidget* parent = nullptr);

  QGroupBox *GroupBox_fa, *GroupBox_einl, *GroupBox_fq, *GroupBox_setz, *GroupBox_fkr;
  QLabel *Label_fao, *Label_fau, *Label_feinl, *Label_n1, *Label_fausl, *Label_n2, *Label_fq, *Label_setz,
      *Label_fkr, *Label_fpre, *Label_fapre, *Label_mapre, *Label_fase;
  QLineEdit *Edit_fao, *Edit_fau, *Edit_n1, *Edit_n2, *Edit_fq, *Edit_setz, *Edit_fkr, *Edit_fpre, *Edit_fapre,
      *Edit_mapre, *Edit_fase;
  QLabel *Label_faou, *Label_fauu, *Label_fqu, *Label_setzu, *Label_fkru, *Label_fpreu, *Label_fapreu,
      *Label_mapreu, *Label_faseu;
  QComboBox *ComboBox_feinl, *ComboBox_fausl;
  QLabel *Label_m, *Label_mtr, *Label_vdi, *Label_vdi99fein, *Label_vdi99mittel, *Label_vdi99grob, *Label_setzvdi,
      *Label_setzgeschliffen, *Label_setzgedreht;
  QLabel *Label_fqtext, *Label_fkrfq, *Label_muetext, *Label_fkrmax, *Label_fkrexz;
  QPushButton *Button_statisch, *Button_n110, *Button_n105, *Button_n100, *Button_n210, *Button_n205, *Button_n200;
  QPushButton *Button_setzvdi, *Button_setzgeschliffen, *Button_setzgedreht, *Button_vdi99fein,
      *Button_vdi99mittel, *Button_vdi99grob;
  QPushButton *Button_fkrfq, *Button_fkrmax, *Button_fkrexz, *Button_calc, *Button_fase, *Button_metric,
      *Button_hblast, *Button_hbn;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfebild, *Button_hilfetext;

  void Show();
  void Refresh();
  bool StoreInput();  // false when a number field is refused
  void Button_calcClick();
  void Button_faseClick();
  void Button_metricClick();
  void Button_hblastClick();
  void Button_hbnClick();
  void Button_hilfebildClick();
  void Button_hilfetextClick();
  void Button_okClick();
  void Button_cancelClick();
  void Edit_faseChange();

 private:
  bool Filling = false;
  void ShowEccentricProposal();
  void ProposalsOutdated();  // inputs changed: the calculated proposals wait for "<"
  void EnableProposals();
  // The embedding proposals as calculated (the buttons show them rounded).
  Extended EmbeddingProposals[6] = {};
  std::array<QPushButton*, 6> EmbeddingButtons() const;  // in the order of the proposals
};
