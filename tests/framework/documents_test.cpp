#include "framework/documents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QLineEdit>

#include "framework/forms/document_setup_form.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "output_test_support.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "../shown_path.h"

namespace {

namespace fs = std::filesystem;

class DocumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("documents");
    platform::RecordProgramStarts(true);
  }
  void TearDown() override { platform::RecordProgramStarts(false); }

  const std::vector<platform::ProgramStart>& Starts() { return platform::RecordedProgramStarts(); }

  std::string dir_;
};

TEST_F(DocumentsTest, ShortAndDamagedSectionsAndANewProjectKeepTheDocuments) {
  Documents[3] = {"kept", "kept.txt"};
  TLineCursor two({"documents", "2", "----", "p1", "f1", "----", "p2", "f2", "----"});
  ASSERT_TRUE(ReadDocumentsSection(two));
  EXPECT_EQ(Documents[2].DocFile.str(), "f2");
  EXPECT_EQ(Documents[3].DocFile.str(), "kept.txt");
  TLineCursor huge({"documents", "60000", "----"});
  EXPECT_FALSE(ReadDocumentsSection(huge));
  EXPECT_TRUE(huge.Damaged());
  TLineCursor cut({"documents", "5", "----", "p1"});
  EXPECT_FALSE(ReadDocumentsSection(cut));
  EXPECT_FALSE(cut.Damaged());

  // A new project clears the header lines but keeps the documents.
  HeaderLines[2] = "Design office";
  Documents[1] = {"gimp", "a.png"};
  ClearDocumentRecords();
  EXPECT_EQ(HeaderLines[2].str(), "");
  EXPECT_EQ(DocumentCount, 0);
  EXPECT_EQ(Documents[1].DocFile.str(), "a.png");
}

TEST_F(DocumentsTest, DocumentStartsWithItsProgramOrTheDefaultOpener) {
  if (!FitsNameFields(dir_, 30)) GTEST_SKIP() << "the test folder's name leaves no room in a 255-byte name field";
  const std::string notes = dir_ + "/notes with blanks.txt";
  const std::string drawing = dir_ + "/drawing.pdf";
  std::ofstream(notes) << "x";
  std::ofstream(drawing) << "x";
  Documents[1] = {"sh", notes};
  Documents[2] = {"", drawing};
  Documents[3] = {"sh  ", ""};
  RunDocument(1);
  RunDocument(2);
  RunDocument(3);
  ASSERT_EQ(Starts().size(), 3u);
  EXPECT_EQ(Starts()[0].program, "sh");
  EXPECT_EQ(Starts()[0].arguments, std::vector<std::string>{notes});
  EXPECT_EQ(Starts()[1].program, "default-opener");
  EXPECT_EQ(Starts()[1].arguments, std::vector<std::string>{drawing});
  EXPECT_TRUE(Starts()[2].arguments.empty());  // no file: the program alone
  EXPECT_EQ(AbortFlag, 0);

  // A file named without directory is found beside the project.
  CurrentDir = dir_;
  std::ofstream(dir_ + "/notes.txt") << "x";
  Documents[1] = {"", "notes.txt"};
  Documents[2] = {"", "https://example.org/elsewhere.txt"};  // an address: no file
  RunDocument(1);
  RunDocument(2);
  ASSERT_EQ(Starts().size(), 5u);
  EXPECT_EQ(Starts()[3].arguments.at(0), dir_ + "/notes.txt");
  EXPECT_EQ(Starts()[4].arguments.at(0), "https://example.org/elsewhere.txt");

  // A program with options: the program, its options, then the file.
  std::ofstream(dir_ + "/a b.txt") << "x";
  Documents[1] = {"cat -n", dir_ + "/a b.txt"};
  Documents[2] = {"sh -c 'exit 0'", ""};
  RunDocument(1);
  RunDocument(2);
  ASSERT_EQ(Starts().size(), 7u);
  EXPECT_EQ(Starts()[5].program, "cat");
  EXPECT_EQ(Starts()[5].arguments, (std::vector<std::string>{"-n", dir_ + "/a b.txt"}));
  EXPECT_EQ(Starts()[6].program, "sh");
  EXPECT_EQ(Starts()[6].arguments, (std::vector<std::string>{"-c", "'exit", "0'"}));
  EXPECT_EQ(AbortFlag, 0);
}

TEST_F(DocumentsTest, MissingProgramOrEmptySlotIsReported) {
  Documents[1] = {"NOTEPAD.EXE", ""};
  platform::DialogScript script;
  script.Ok().Expect("NOTEPAD.EXE not found");
  script.Ok().Expect("Document 4");
  RunDocument(1);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  RunDocument(4);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_TRUE(Starts().empty());
  AbortFlag = 0;
  Documents[2] = {"\t", ""};  // no word at all: not a program
  script.Ok().Expect("not found");
  RunDocument(2);
  EXPECT_EQ(AbortFlag, 1);
  RunDocument(0);  // outside 1..5: nothing
  RunDocument(6);
  EXPECT_TRUE(Starts().empty());
}

// File names are the file system's: typed in Document Setup they are stored
// as UTF-8 and the program gets the file that exists; a file that does not
// exist is named in the window and nothing starts; older projects hold the
// names in code page 437 and are read as their characters.
TEST_F(DocumentsTest, FileNamesAreStoredAsTheFileSystemNamesThemAndAMissingOneIsNamed) {
  if (!FitsNameFields(dir_, 40)) GTEST_SKIP() << "the test folder's name leaves no room in a 255-byte name field";
  const std::string folder = dir_ + "/Konstruktion \xC3\xA4";
  fs::create_directories(folder);
  const std::string note = folder + "/notiz \xC3\xA4.txt";
  std::ofstream(note) << "x";
  platform::DialogScript script;
  // The dialog's controls take display (Windows-1252) text: 0xE4 is "ä".
  script.Ok({{"Edit_prog1", "sh"}, {"Edit_file1", ShownPath(dir_) + "/Konstruktion \xE4/notiz \xE4.txt"}});
  ShowDocumentSetup();
  EXPECT_EQ(Documents[1].DocFile.str(), note);
  RunDocument(1);
  ASSERT_EQ(Starts().size(), 1u);
  EXPECT_EQ(Starts()[0].arguments, std::vector<std::string>{note});

  Documents[2] = {"sh", folder + "/gone.txt"};
  script.Ok().Expect("Document 2: the file " + ShownPath(dir_) + "/Konstruktion \xE4/gone.txt does not exist");
  RunDocument(2);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Starts().size(), 1u);
  EXPECT_EQ(script.Pending(), 0u);

  // A project of an older version: code page 437 (0x84 is "ä").
  CurrentDir = dir_;
  TLineCursor old({"documents", "1", "----", "sh", "Konstruktion \x84/notiz \x84.txt", "----"});
  ASSERT_TRUE(ReadDocumentsSection(old));
  EXPECT_EQ(Documents[1].DocFile.str(), "Konstruktion \xC3\xA4/notiz \xC3\xA4.txt");
  // Shown in the dialog as its characters and kept as it is by OK.
  TForm_confDoku form;
  EXPECT_EQ(form.Edit_file[0]->text(), QString::fromUtf8("Konstruktion \xC3\xA4/notiz \xC3\xA4.txt"));
  form.Button_okClick();
  EXPECT_EQ(Documents[1].DocFile.str(), "Konstruktion \xC3\xA4/notiz \xC3\xA4.txt");
  // A name longer than the record holds in bytes is refused by name.
  form.Edit_file[0]->setText(QString(200, QChar(0xE4)));
  script.Ok().Expect("longer than 255 bytes");
  form.Button_okClick();
  EXPECT_EQ(Documents[1].DocFile.str(), "Konstruktion \xC3\xA4/notiz \xC3\xA4.txt");
}

TEST_F(DocumentsTest, SetupDialogStoresOnOkAndKeepsEverythingOnCancel) {
  Documents[2] = {"old", "old.txt"};
  platform::DialogScript script;
  script.Ok({{"Edit_prog1", "gimp"}, {"Edit_file1", std::string(300, 'f')}, {"Edit_prog2", ""}})
      .Expect("Document Setup");
  EXPECT_EQ(ShowDocumentSetup(), 0);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 1);
  EXPECT_EQ(Documents[1].Program.str(), "gimp");
  EXPECT_EQ(Documents[1].DocFile.str(), std::string(255, 'f'));  // typing stops at 255
  EXPECT_EQ(Documents[2].Program.str(), "");
  EXPECT_EQ(Documents[2].DocFile.str(), "old.txt");

  InputModified = 0;
  script.Cancel();
  ShowDocumentSetup();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(Documents[1].Program.str(), "gimp");
}

}  // namespace
