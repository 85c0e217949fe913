#include "form_test_support.h"

#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "platform/dialogs.h"

namespace {

// Codes and counts out of range, as a damaged project file may leave them:
// every form opens, shows and stores without reading beyond the records.
class DamagedRecordsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
    Schraube.BoltType = 99;
    Schraube.HeadType = 42;
    Schraube.ToleranceClass = 0;
    Schraube.nSections = 60;
    Schraube.HeadRow = 9999;
    Schraube.ThreadRow = 65000;
    Klemmstuecke.nPlates = 300;
    Last.LoadIntroPos1 = 0;
    Last.LoadIntroPos2 = 77;
    Last.EnduranceChoice = 9;
    Last.AlphaAChoice = 12;
    Montage.GivenQuantity = 0;
    Montage.DriveSide = 5;
    Mutter.NutType = 8;
    Mutter.NutToleranceClass = 40;
    Mutter.NutRow = -5;
    Sackloch.MatTable = 7;
    ExzKraftangriff.SeamPart = 500;
    CalcOptions.VdiEdition = 9;
    CalcOptions.D2D3Choice = -3;
    Verbindung.JointKind = 0;
  }
};

TEST_F(DamagedRecordsTest, EveryFormAndListEditorStaysWithinTheRecords) {
  platform::DialogScript script;
  for (void (*form)() : {RunPreliminaryDesignForm, RunPreloadForm, RunCalcOptionsForm, RunLoadForm,
                         RunFrictionForm, RunEccentricForm, RunBoltForm, RunNutForm, RunTighteningForm}) {
    script.Ok();
    // The bolt's last section (the tenth, empty) takes no thread: named.
    if (form == RunBoltForm) script.Ok().Expect("thread length lG = 26 mm is longer than the last section (L = 0 mm) !");
    form();
  }
  script.Ok();
  RunBoltSectionForm(40);
  script.Ok();
  RunClampedPlateForm(400);
  script.Cancel();
  EXPECT_EQ(RunIndexSelection(0, -4), 1);
  EXPECT_EQ(script.Pending(), 0u);

  // The list editors stay within their limits.
  script.Ok();
  EditBoltSections();
  EXPECT_EQ(ItemTexts[10].str().substr(0, 3), "10:");
  EXPECT_EQ(ItemTexts[11].str(), "enter new section");
  script.Press("Button_neu");
  script.Ok().Expect("Too many clamping pieces !");
  EditClampingPieces();
  EXPECT_EQ(Klemmstuecke.nPlates, 300);  // left as it was
}

}  // namespace
