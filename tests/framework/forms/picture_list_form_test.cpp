// The auxiliary picture window and its manager, answered by scripts.
#include <gtest/gtest.h>

#include <QComboBox>

#include <filesystem>
#include <fstream>

#include "framework/display_list.h"
#include "framework/drawing.h"
#include "framework/forms/picture_list_form.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "../output_test_support.h"
#include "framework/form_placement.h"
#include "framework/picture_list.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

class PictureListFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("dbhform");
    PltDir = dir_ + "/";
    for (const char* name : {"a", "b", "c", "d"}) WriteBytes(dir_ + "/" + name + ".plt", "IN;SP1;PU0,0;PD400,400;");
    WriteBytes(PictureListFileName(), "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n");
  }
  std::string List() const { return ReadBytes(PictureListFileName()); }
  std::string dir_;
};

TEST_F(PictureListFormTest, WindowListsTheEntriesAndSelectsTheRequestedOne) {
  ItemTexts[1] = "a       : first";
  ItemTexts[2] = "b       : second";
  TForm_hilfebild form("BQ4 Auxiliary Images", 2, 2);
  EXPECT_EQ(form.ListBox1->count(), 2);
  EXPECT_EQ(form.ListBox1->currentIndex(), 1);
  EXPECT_EQ(form.result(), 0);  // selecting while filling closes nothing

  form.SpinButton1UpClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.Chosen(), 1);
  EXPECT_EQ(form.Action, TForm_hilfebild::kShow);
  form.Button_okClick();  // already closed: ignored
  EXPECT_EQ(AbortFlag, 0);

  TForm_hilfebild first("x", 2, 1);
  first.SpinButton1UpClick();  // not past the first entry
  EXPECT_EQ(first.Chosen(), 1);

  TForm_hilfebild append("x", 2, 1);
  append.Button_neuClick();
  EXPECT_EQ(append.Action, TForm_hilfebild::kNew);
  EXPECT_EQ(append.Chosen(), 3);

  {
    TForm_hilfebild placed("x", 2, 1);
    placed.move(33, 44);
  }
  EXPECT_EQ(PicWindowLeft, 33);  // remembered for the next opening
  EXPECT_EQ(PicWindowTop, 44);
}

TEST_F(PictureListFormTest, ChoosingShowsThePictureAndDeletingTheShownEntryKeepsTheOthersInOrder) {
  platform::DialogScript script;
  script.Press("Button_show", {{"ListBox1", "#1"}}).Expect("BQ4 Auxiliary Images");
  script.Cancel();
  AuxGraphicsManager();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_GT(CreateDisplayList()->size(), 2u);  // picture b was played

  // Deleting: any answer but Yes ends with the list intact.
  script.Press("Button_loeschen");
  script.No();
  AuxGraphicsManager();
  EXPECT_EQ(List(), "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n");
  EXPECT_EQ(AbortFlag, 0);
  script.Press("Button_loeschen", {{"ListBox1", "#1"}});  // delete the selected entry
  script.Yes().Expect("Delete ?");
  script.Ok();
  AuxGraphicsManager();
  EXPECT_EQ(List(), "\"a\",\"first\"\r\n\"c\",\"third\"\r\n");
  EXPECT_EQ(AbortFlag, 0);
}

// OK shows the picture selected in the window, then the manager ends; Esc
// ends it without drawing.
TEST_F(PictureListFormTest, OkShowsTheSelectedPictureAndEscShowsNothing) {
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok);
    GraphClear();
    CreateDisplayList()->clear();
    platform::DialogScript script;
    ok ? script.Ok() : script.Cancel();
    AuxGraphicsManager();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_EQ(CreateDisplayList()->size() > 2, ok);
  }
}

TEST_F(PictureListFormTest, AppendInsertAndModifyAskForPictureAndDescription) {
  // Modify offers the name as the list holds it and keeps it when only the
  // description changes: blanks and capitals are part of the file name.
  WriteBytes(dir_ + "/My Bolt.plt", "IN;SP1;PU0,0;PD400,400;");
  WriteBytes(PictureListFileName(), "\"My Bolt\",\"bolt\"\r\n");
  {
    platform::DialogScript script;
    script.Press("Button_aendern");
    script.Ok().Expect("File name");
    script.Ok({{"Edit_text", "the bolt"}});
    script.Ok();
    AuxGraphicsManager();
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(List(), "\"My Bolt\",\"the bolt\"\r\n");
  WriteBytes(PictureListFileName(), "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n");

  platform::DialogScript script;
  script.Press("Button_neu");
  script.File(dir_ + "/d.plt");
  script.Ok({{"Edit_text", "fourth, \"quoted\""}}).Expect("Aux.Graph. Information");
  script.Press("Button_einfuegen");  // before the entry worked on last: the new fourth
  script.File(dir_ + "/a.plt");
  script.Ok({{"Edit_text", "again"}});
  script.Press("Button_aendern");
  script.Ok({{"Edit_text", "B"}}).Expect("File name");
  script.Ok({{"Edit_text", "changed"}});
  script.Ok();
  AuxGraphicsManager();
  EXPECT_EQ(List(),
            "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n\"B\",\"changed\"\r\n"
            "\"d\",\"fourth, \"\"quoted\"\"\"\r\n");  // a quote in the text is written twice
}

// A picture outside the picture folder keeps its directory in the list and is
// shown from there. Choosing an entry in the list only selects it: an entry
// whose file is gone is reported when shown, and the list comes back so that
// it can be deleted.
TEST_F(PictureListFormTest, PictureOutsideTheFolderIsFoundAndABrokenEntryCanBeDeleted) {
  const std::string elsewhere = FreshTestDir("dbhform-elsewhere");
  WriteBytes(elsewhere + "/mypic.plt", "IN;SP1;PU0,0;PD400,400;PD0,400;");
  WriteBytes(dir_ + "/inside.PLT", "IN;SP1;PU0,0;PD400,400;");
  platform::DialogScript script;
  script.Press("Button_neu");
  script.File(elsewhere + "/mypic.plt");
  script.Ok({{"Edit_text", "mine"}});
  script.Press("Button_neu");
  script.File(dir_ + "/inside.PLT");  // in the folder: its name alone, as always
  script.Ok({{"Edit_text", "inside"}});
  script.Ok({{"ListBox1", "#3"}});  // OK: show my picture and end
  AuxGraphicsManager();
  EXPECT_EQ(script.Pending(), 0u);
  std::string quoted = elsewhere;  // a quote in a field is written twice
  for (std::size_t at = 0; (at = quoted.find('"', at)) != std::string::npos; at += 2) quoted.insert(at, 1, '"');
  EXPECT_EQ(List(), "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n\"" + quoted +
                        "/mypic.plt\",\"mine\"\r\n\"inside\",\"inside\"\r\n");
  EXPECT_GT(CreateDisplayList()->size(), 2u);
  for (const auto& shown : script.Shown()) EXPECT_EQ(shown.text.find("not found"), std::string::npos) << shown.text;
  TPictureList list;
  ASSERT_TRUE(LoadPictureList(PictureListFileName(), list));
  FillPictureItemTexts(list);
  EXPECT_EQ(ItemTexts[4].str().substr(ItemTexts[4].str().size() - 16), "/mypic.plt: mine");

  // The picture is gone: selecting its entry closes nothing; showing it
  // reports it and brings the list back, where Delete reaches it.
  fs::remove(elsewhere + "/mypic.plt");
  {
    TForm_hilfebild form("x", 5, 1);
    form.ListBox1->setCurrentIndex(3);
    EXPECT_EQ(form.result(), 0);
    EXPECT_EQ(form.Chosen(), 4);
  }
  script.Press("Button_show", {{"ListBox1", "#3"}});
  script.Ok().Expect("mypic.plt not found !");
  script.Press("Button_loeschen").Expect("BQ4 Auxiliary Images");  // on the broken entry
  script.Yes().Expect("Delete ?");
  script.Cancel();
  AuxGraphicsManager();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(List(), "\"a\",\"first\"\r\n\"b\",\"second\"\r\n\"c\",\"third\"\r\n\"inside\",\"inside\"\r\n");
}

TEST_F(PictureListFormTest, WithoutAListThePictureIsChosenDirectly) {
  fs::remove(PictureListFileName());
  platform::DialogScript script;
  script.File(dir_ + "/c.plt");
  script.Cancel();
  AuxGraphicsManager();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_GT(CreateDisplayList()->size(), 2u);
  EXPECT_FALSE(fs::exists(PictureListFileName()));
}

TEST_F(PictureListFormTest, PlotSendsTheSelectedPictureToTheConfiguredDevice) {
  TextPrinterDevice = dir_ + "/lp0";
  platform::DialogScript script;
  script.Press("Button_plot");
  script.Ok({{"RadioGroup_items", "#1"}}).Expect("Plot the picture to");
  script.Yes();
  script.Ok();
  AuxGraphicsManager();
  EXPECT_EQ(ReadBytes(TextPrinterDevice), "\x1B" "E\x1B%0BIN;SP1;PU0,0;PD400,400;\x1B%0A\x1B" "E");
}

}  // namespace
