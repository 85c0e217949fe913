#include "framework/printer_setup.h"

#include <gtest/gtest.h>

#include <QCheckBox>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "framework/forms/printmac_form.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"
#include "framework/init.h"
#include "framework/message_box.h"
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

// A PDF file named in the print dialog, which asked before replacing it, is
// still refused when it is a FIFO, device or folder, before anything opens it.
TEST_F(PrinterSetupTest, APdfFileTheDialogConfirmedIsRefusedWhenItIsNoRegularFile) {
  const std::string dir = platform::ProcessTempDir() + "/pdf-targets";
  std::filesystem::create_directories(dir);
  const std::string fifo = dir + "/pipe.pdf";
  ::unlink(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_directories(dir + "/folder.pdf");
  platform::DialogScript script;
  for (const std::string& name : {fifo, dir + "/folder.pdf", std::string("/dev/null")}) {
    SCOPED_TRACE(name);
    platform::PrintChoice choice;
    choice.outputFile = name;
    platform::SetPrinterChoice(choice);
    AbortFlag = 0;
    script.Ok().Expect("not a regular file");
    ConfirmPdfOverwrite(true);
    EXPECT_EQ(AbortFlag, 1);
    // The printer itself opens nothing there either.
    EXPECT_FALSE(platform::BeginPrinterDocument("refused"));
  }
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder.pdf"));
  // A regular file the dialog confirmed is replaced without a second question.
  const std::string pdf = dir + "/old.pdf";
  std::ofstream(pdf) << "old";
  platform::PrintChoice choice;
  choice.outputFile = pdf;
  platform::SetPrinterChoice(choice);
  AbortFlag = 0;
  ConfirmPdfOverwrite(true);
  EXPECT_EQ(AbortFlag, 0);
  ASSERT_TRUE(platform::BeginPrinterDocument("replaces"));
  EXPECT_TRUE(platform::EndPrinterDocument());
  EXPECT_GT(std::filesystem::file_size(pdf), 100u);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 3u);  // no temporary left beside them
}

// A menu caption's access key mark is no word break of the proposed name.
TEST_F(PrinterSetupTest, TheProposedPdfNameDropsTheAccessKeyMark) {
  EXPECT_NE(ProposedPdfFileName("FM-MA-D&iagram").find("-fm-ma-diagram.pdf"), std::string::npos);
}
