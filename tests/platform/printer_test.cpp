#include "platform/printer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/os.h"

TEST(PlatformPrinter, PdfDocumentGetsOnePagePerNewPage) {
  platform::ResetPrinter();
  platform::PrintChoice choice;
  choice.outputFile = platform::ProcessTempDir() + "/printer_pages.pdf";
  platform::SetPrinterChoice(choice);
  ASSERT_TRUE(platform::BeginPrinterDocument("test"));
  EXPECT_TRUE(platform::PrinterDocumentActive());
  platform::SetPrinterFont("Courier New", 10, 1);
  platform::PrinterDrawText(0, 0, "first page \xE4");
  platform::NewPrinterPage();
  platform::PrinterDrawText(0, 0, "second page");
  EXPECT_GT(platform::PrinterPageHeight(), platform::PrinterPageWidth());  // portrait
  EXPECT_TRUE(platform::EndPrinterDocument());
  EXPECT_FALSE(platform::PrinterDocumentActive());
  EXPECT_EQ(platform::PrinterPagesPrinted(), 2);
  std::ifstream in(choice.outputFile, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str().substr(0, 5), "%PDF-");
  platform::ResetPrinter();
}

TEST(PlatformPrinter, LandscapeSwapsThePageSides) {
  platform::ResetPrinter();
  platform::SetPrinterLandscape(true);
  EXPECT_TRUE(platform::PrinterLandscape());
  EXPECT_GT(platform::PrinterPageWidth(), platform::PrinterPageHeight());
  platform::ResetPrinter();
  EXPECT_FALSE(platform::PrinterLandscape());
}
