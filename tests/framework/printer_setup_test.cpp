#include "framework/printer_setup.h"

#include <gtest/gtest.h>

#include <QCheckBox>

#include "framework/forms/printmac_form.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "platform/printer.h"

class PrinterSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    platform::ResetPrinter();
  }
  void TearDown() override { platform::ResetPrinter(); }
};

TEST_F(PrinterSetupTest, ModesSetScaleFrameAndOrientation) {
  SetupPrinterPage(1);
  EXPECT_EQ(PrintBorder, 1);
  EXPECT_TRUE(platform::PrinterLandscape());
  SetupPrinterPage(2);
  EXPECT_EQ(PrintScaleX, 1.4L);
  EXPECT_EQ(PrintScaleY, 1.0L);
  EXPECT_EQ(PrintBorder, 0);
  EXPECT_FALSE(platform::PrinterLandscape());
  PrintOriginX = 7;
  SetupPrinterPage(3);  // unknown mode: nothing changes
  EXPECT_EQ(PrintScaleX, 1.4L);
  EXPECT_EQ(PrintOriginX, 7);
  EXPECT_FALSE(platform::PrinterLandscape());
  SetupPrinterPage(0);
  EXPECT_EQ(PrintScaleX, 1.0L);
  EXPECT_EQ(PrintOriginX, 0);
  EXPECT_TRUE(platform::PrinterLandscape());
}

TEST_F(PrinterSetupTest, PrintJobSetsThePrintingFlagOnlyWhileItRuns) {
  platform::PrintChoice choice;
  choice.outputFile = platform::ProcessTempDir() + "/print_job.pdf";
  platform::SetPrinterChoice(choice);
  PrintMode = 2;
  BeginPrintJob();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_TRUE(PrintingGraphics);
  EXPECT_TRUE(platform::PrinterDocumentActive());
  EXPECT_EQ(PrintScaleX, 1.4L);
  EndPrintJob();
  EXPECT_FALSE(PrintingGraphics);
  EXPECT_FALSE(platform::PrinterDocumentActive());
}

TEST_F(PrinterSetupTest, PrintMacroOkWritesTheFourteenBitsBackAndCancelKeepsThem) {
  PrintMacroSelection = 0x3FFF | (1 << 20);  // a bit beyond the 14 boxes stays
  TForm_printmac form;
  EXPECT_TRUE(form.CheckBox(5)->isChecked());
  form.CheckBox(5)->setChecked(false);
  AbortFlag = 1;
  form.Button_okClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(PrintMacroSelection, (0x3FFF & ~(1 << 4)) | (1 << 20));

  PrintMacroSelection = 0x15;
  TForm_printmac cancelled;
  EXPECT_TRUE(cancelled.CheckBox(1)->isChecked());
  EXPECT_FALSE(cancelled.CheckBox(2)->isChecked());
  cancelled.CheckBox(2)->setChecked(true);
  cancelled.Button_cancelClick();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(PrintMacroSelection, 0x15);
}
