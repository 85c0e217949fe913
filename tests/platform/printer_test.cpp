#include "platform/printer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/cp1252.h"
#include "platform/os.h"

// A job that cannot start leaves the printer usable for the next one, a PDF
// document of one page per new page.
TEST(PlatformPrinter, AFailedStartLeavesThePrinterReusableForAPdfDocument) {
  platform::ResetPrinter();
  platform::PrintChoice choice;
  choice.printerName = "no such printer";  // a system printer that is not there
  platform::SetPrinterChoice(choice);
  EXPECT_FALSE(platform::BeginPrinterDocument("fails"));
  EXPECT_FALSE(platform::PrinterDocumentActive());
  choice.printerName.clear();
  choice.outputFile = platform::ProcessTempDir() + "/no such folder/failed.pdf";
  platform::SetPrinterChoice(choice);
  EXPECT_FALSE(platform::BeginPrinterDocument("fails again"));
  choice.outputFile = platform::ProcessTempDir() + "/after_failure.pdf";
  platform::SetPrinterChoice(choice);
  ASSERT_TRUE(platform::BeginPrinterDocument("works"));
  EXPECT_TRUE(platform::PrinterDocumentActive());
  platform::SetPrinterFont("Courier New", 10, 1);
  platform::PrinterDrawText(0, 0, "first page \xE4");
  platform::NewPrinterPage();
  platform::PrinterDrawText(0, 0, "second page");
  EXPECT_GT(platform::PrinterPageHeight(), platform::PrinterPageWidth());  // portrait
  EXPECT_TRUE(platform::EndPrinterDocument());
  EXPECT_FALSE(platform::PrinterDocumentActive());
  EXPECT_EQ(platform::PrinterPagesPrinted(), 2);
  char head[6] = {};
  std::ifstream(choice.outputFile, std::ios::binary).read(head, 5);
  EXPECT_STREQ(head, "%PDF-");
  // The printer information describes the printer printed on.
  const platform::PrinterFacts f = platform::CurrentPrinterFacts();
  EXPECT_TRUE(f.pdf);
  EXPECT_EQ(platform::Utf8FromDisplay(f.name), choice.outputFile);  // the name as the program shows it
  EXPECT_GT(f.dpiX, 0);
  EXPECT_GT(f.widthPixels, f.leftOffsetPixels);
  EXPECT_NEAR(f.paperWidthMm, f.widthPixels * 25.4 / f.dpiX, 1);
  // Landscape swaps the page sides, until the printer is reset.
  platform::SetPrinterLandscape(true);
  EXPECT_GT(platform::PrinterPageWidth(), platform::PrinterPageHeight());
  platform::ResetPrinter();
  EXPECT_FALSE(platform::PrinterLandscape());
  // Without a system printer the print dialog is offered the PDF printer.
  EXPECT_TRUE(platform::SystemPrinterAvailable() || !platform::PrinterChoice().outputFile.empty());
}
