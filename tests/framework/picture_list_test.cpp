#include "framework/picture_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/os.h"
#include "../shown_path.h"

namespace fs = std::filesystem;

namespace {

class PictureListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("dbh");
    PltDir = dir_ + "/";
    file_ = PictureListFileName();
  }
  TPictureList Load() {
    TPictureList list;
    EXPECT_TRUE(LoadPictureList(file_, list));
    return list;
  }
  std::string dir_;
  std::string file_;
};

TEST_F(PictureListTest, FieldsEndOnlyAtAQuoteOrTheLineEndAndAMissingQuoteIsReported) {
  TPictureEntry e = ParseDbhLine("\"joint\",\"Bolt, nut and washer\" trailing");
  EXPECT_EQ(e.Name, "joint");
  EXPECT_EQ(e.Description, "Bolt, nut and washer");
  e = ParseDbhLine("\"open end");  // the field runs to the line end
  EXPECT_EQ(e.Name, "open end");
  EXPECT_EQ(e.Description, "");
  e = ParseDbhLine("");
  EXPECT_EQ(e.Name, "");
  EXPECT_EQ(FormatDbhLine("a", "b, c"), "\"a\",\"b, c\"");
  // Quotes in the texts are written twice and read back as they were.
  for (const char* text : {"say \"hi\"", "\"", "\"\"x", ""}) {
    e = ParseDbhLine(FormatDbhLine(text, text));
    EXPECT_EQ(e.Name, text);
    EXPECT_EQ(e.Description, text);
  }
  // A missing quote is reported only when trace messages are on.
  TraceMessagesOn = 0;
  e = ParseDbhLine("xname\",\"text\"");
  EXPECT_EQ(e.Name, "name");  // the character in place of the quote is lost; reading goes on
  EXPECT_EQ(e.Description, "text");

  TraceMessagesOn = 1;
  platform::DialogScript script;
  script.Ok().Expect("DBH file error");
  ParseDbhLine("name,text");
}

TEST_F(PictureListTest, EmptyFileGivesOneEmptyEntryBeforeTheCommands) {
  WriteBytes(file_, "");
  TPictureList list = Load();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Lines.empty());
  FillPictureItemTexts(list);
  EXPECT_EQ(ItemTexts[1].str(), "        : ");
  EXPECT_EQ(ItemTexts[2].str(), "-----  Append  -----");

  AppendPictureEntry(list, {"first", "the first"});  // the empty entry is no line of its own
  ASSERT_EQ(list.Count(), 1);
  ASSERT_TRUE(SavePictureList(file_, list));
  EXPECT_EQ(ReadBytes(file_), "\"first\",\"the first\"\r\n");
}

TEST_F(PictureListTest, EntriesShowNameInEightColumnsAndTheDescription) {
  // Nothing from a DOS end-of-file mark on is a line.
  WriteBytes(file_, "\"joint\",\"Joint\"\n\"averylongname\",\"Long\"\r\n\x1A\r\n\"after\",\"the mark\"\r\n\x1A");
  TPictureList list = Load();
  ASSERT_EQ(list.Count(), 2);
  FillPictureItemTexts(list);
  EXPECT_EQ(ItemTexts[1].str(), "joint   : Joint");
  EXPECT_EQ(ItemTexts[2].str(), "averylon: Long");
  EXPECT_EQ(ItemTexts[3].str(), "-----  Append  -----");  // the commands follow the entries
}

// Picture names are the file system's (UTF-8): the picture is found on disk
// and the list shows the name as its characters; a name typed into an older
// version (code page 437) is read as its characters.
TEST_F(PictureListTest, NamesAreTheFileSystemsAndShowAsTheirCharacters) {
  WriteBytes(file_, "\"b\xC3\xA4r\",\"Neu\"\r\n\"k\x84se\",\"Alt \x84\"\r\n");
  TPictureList list = Load();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(PictureFilePath(list.Entries[0].Name), dir_ + "/b\xC3\xA4r.plt");
  EXPECT_EQ(list.Entries[1].Name, "k\xC3\xA4se");
  EXPECT_EQ(list.Entries[1].Description, "Alt \x84");  // a stored text
  FillPictureItemTexts(list);
  EXPECT_EQ(ItemTexts[1].str(), "b\x84r     : Neu");
  EXPECT_EQ(ItemTexts[2].str(), "k\x84se    : Alt \x84");
}

TEST_F(PictureListTest, DeleteInsertAndReplaceKeepTheOtherLinesInOrder) {
  WriteBytes(file_, "\"a\",\"1\"\r\n\"b\",\"2\"\r\n\"c\",\"3\"\r\n");
  TPictureList list = Load();
  DeletePictureEntry(list, 2);
  InsertPictureEntry(list, 1, {"z", "0"});
  ReplacePictureEntry(list, 3, {"cc", "33"});
  DeletePictureEntry(list, 9);  // no such entry: nothing happens
  ASSERT_TRUE(SavePictureList(file_, list));
  EXPECT_EQ(ReadBytes(file_), "\"z\",\"0\"\r\n\"a\",\"1\"\r\n\"cc\",\"33\"\r\n");
  EXPECT_EQ(Load().Count(), 3);
}

TEST_F(PictureListTest, LinesBeyondTheShownEntriesSurviveARewrite) {
  std::string data;
  for (int i = 1; i <= 135; ++i) data += "\"p" + std::to_string(i) + "\",\"picture\"\r\n";
  WriteBytes(file_, data);
  TPictureList list = Load();
  EXPECT_EQ(list.Count(), kMaxPictureEntries);
  DeletePictureEntry(list, 1);
  EXPECT_EQ(list.Count(), kMaxPictureEntries);
  EXPECT_EQ(list.Entries.back().Name, "p131");
  ASSERT_TRUE(SavePictureList(file_, list));
  EXPECT_EQ(ReadBytes(file_), data.substr(data.find('\n') + 1));
}

// The list file lies in the picture directory; a missing file is no list; one
// huge line of quotes is one entry; a failed rewrite leaves nothing behind.
TEST_F(PictureListTest, MissingFileIsNoListAHugeLineIsOneEntryAndAFailedRewriteSetsAbortFlag) {
  EXPECT_EQ(file_, dir_ + "/bq4.dbh");
  TPictureList list;
  EXPECT_FALSE(LoadPictureList(file_, list));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(AbortFlag, 0);
  TraceMessagesOn = 0;
  WriteBytes(file_, std::string(100000, '"'));  // one huge line of quotes
  EXPECT_EQ(Load().Count(), 1);
  AppendPictureEntry(list, {"a", "b"});
  EXPECT_FALSE(SavePictureList(dir_ + "/missing/bq4.dbh", list));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(fs::exists(dir_ + "/missing"));
}

// Plot offers what there is here: an HP-GL file, the printer device of the
// settings when one is set, the plot program when one is configured.
TEST_F(PictureListTest, PlotGoesToAFileOrTheConfiguredDeviceNeverToANumberedPort) {
  WriteBytes(file_, "\"joint\",\"Joint\"\r\n");
  WriteBytes(dir_ + "/joint.plt", "IN;PA0,0;");
  TextPrinterDevice.clear();
  platform::DialogScript script;
  script.Ok().Expect("unavailable");
  EXPECT_FALSE(SendPictureToPort(dir_ + "/joint.plt", PrinterPortDevice(1), true));
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  CadState.PlotCommandLines[0].clear();
  TPictureList list = Load();
  struct Row {
    const char* what;
    bool device;
    bool hpgl2;
    std::string expected;
  };
  const std::string file = dir_ + "/out/joint-copy.plt";
  fs::create_directories(dir_ + "/out");
  for (const Row& row : {Row{"file with switches", false, true, "\x1B" "E" "\x1B" "%0BIN;PA0,0;\x1B" "%0A" "\x1B" "E"},
                         Row{"device", true, false, "IN;PA0,0;"}}) {
    SCOPED_TRACE(row.what);
    TextPrinterDevice = row.device ? dir_ + "/lp0" : "";
    script.Ok({{"RadioGroup_items", row.device ? "#1" : "#0"}}).Expect("Plot the picture to");
    if (!row.device) script.File(file);
    row.hpgl2 ? script.Yes().Expect("HP-GL/2") : script.No().Expect("HP-GL/2");
    EXPECT_EQ(PlotPictureCommand(list, 1), 1);
    EXPECT_EQ(ReadBytes(row.device ? TextPrinterDevice : file), row.expected);
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_EQ(script.Pending(), 0u);
    for (const auto& shown : script.Shown()) EXPECT_EQ(shown.text.find("printer port"), std::string::npos);
  }
  // An installed plot program is given the picture's file; one that is not
  // installed is not offered.
  TextPrinterDevice.clear();
  CadState.PlotCommandLines[0] = "/bin/sh -x";
  platform::RecordProgramStarts(true);
  script.Ok({{"RadioGroup_items", "#1"}});
  EXPECT_EQ(PlotPictureCommand(list, 1), 1);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  // (A plot command line holds no double quote: such a name reaches it without.)
  if (!HoldsQuoteOrLineBreak(dir_)) {
    EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.back(), dir_ + "/joint.plt");
  }
  platform::RecordProgramStarts(false);
  CadState.PlotCommandLines[0] = "/no/such/plotter";
  ItemTexts[2] = "";
  script.Cancel();
  EXPECT_EQ(PlotPictureCommand(list, 1), 0);
  EXPECT_EQ(ItemTexts[2].str(), "");  // only the file was offered
  AbortFlag = 0;
  CadState.PlotCommandLines[0].clear();
  // An existing file is replaced only on Yes.
  TextPrinterDevice.clear();
  script.Ok({{"RadioGroup_items", "#0"}}).File(file).No().Expect("already exists");
  EXPECT_EQ(PlotPictureCommand(list, 1), 0);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ReadBytes(file).size(), 21u);
}

}  // namespace
