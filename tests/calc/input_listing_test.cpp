#include "calc/input_listing.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../framework/output_test_support.h"
#include "calc/init.h"
#include "calc/joint_records.h"
#include "dbf/init.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class InputListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitDbfModules();
    InitCalcModules();
    TempDir = platform::ProcessTempDir() + "/input_listing";
    std::filesystem::create_directories(TempDir);
  }

  // The listing as the report window shows it.
  std::string Listing() {
    platform::DialogScript script;
    script.Ok();  // the report window
    WriteInputListing();
    return ReadBytes(FindExistingFile(TempDir + "/outwin.txt"));
  }
};

TEST_F(InputListingTest, ListsEnteredValuesInMillimetresAndAJointWithoutPlatesOrKind) {
  Klemmstuecke.nPlates = 2;
  Klemmstuecke.L[1] = 10;
  Klemmstuecke.L[2] = 15;
  Last.LoadIntroPos1 = 3;  // after the last plate: the bolt head
  Last.LoadIntroPos2 = 2;
  UnitSystem = 1;
  std::string text = Listing();
  EXPECT_NE(text.find("BOLT:  "), std::string::npos);
  EXPECT_NE(text.find(" i   de [mm]   di [mm]   l [mm]  x [mm]"), std::string::npos);
  EXPECT_NE(text.find("25.0"), std::string::npos);  // running sum of the thicknesses
  EXPECT_NE(text.find("FA max = 24900"), std::string::npos);
  EXPECT_NE(text.find("introd.of load (in): at bolt head"), std::string::npos);
  EXPECT_NE(text.find("introd.of load (out): to clamping plate 2 (n2 = 0.3)"), std::string::npos);
  EXPECT_NE(text.find("nue Re = 0.9"), std::string::npos);
  EXPECT_EQ(text.find("ECCENTRIC"), std::string::npos);

  // A joint without plates and of no kind.
  Klemmstuecke.nPlates = 0;
  Verbindung.JointKind = 0;
  Montage.GivenQuantity = 3;
  text = Listing();
  EXPECT_NE(text.find("- no data ! -"), std::string::npos);
  EXPECT_EQ(text.find(" i   de [mm]   di [mm]   l [mm]  x [mm]"), std::string::npos);
  EXPECT_NE(text.find("BOLTED JOINT: undefined"), std::string::npos);
  EXPECT_EQ(text.find("NUT: "), std::string::npos);
  EXPECT_EQ(text.find("nue Re"), std::string::npos);
  EXPECT_EQ(text.find("MA = "), std::string::npos);
}

}  // namespace
