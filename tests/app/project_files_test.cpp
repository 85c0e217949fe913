#include "app/project_files.h"

#include "app_test_support.h"
#include "calc/project_file.h"
#include "platform/dialogs.h"
#include "../shown_path.h"

namespace {

using ProjectFilesTest = AppTest;

std::vector<std::string> RecentList() { return {RecentFiles.begin(), RecentFiles.end()}; }

TEST_F(ProjectFilesTest, RecentListHoldsAPathOnceMostRecentFirstShortenedForTheMenu) {
  CurrentDir = "/p/";
  for (const char* name : {"a", "b", "c", "d"}) AddRecentFile(name);
  EXPECT_EQ(RecentList(), (std::vector<std::string>{"/p/d.bq4", "/p/c.bq4", "/p/b.bq4", "/p/a.bq4"}));
  AddRecentFile("B");  // the same file in another case moves to the head
  EXPECT_EQ(RecentList(), (std::vector<std::string>{"/p/B.bq4", "/p/d.bq4", "/p/c.bq4", "/p/a.bq4"}));
  AddRecentFile("e");  // the oldest drops out
  EXPECT_EQ(RecentList(), (std::vector<std::string>{"/p/e.bq4", "/p/B.bq4", "/p/d.bq4", "/p/c.bq4"}));
  AddRecentFile("f\ng");  // a name with a line break stays out of the list
  EXPECT_EQ(RecentList(), (std::vector<std::string>{"/p/e.bq4", "/p/B.bq4", "/p/d.bq4", "/p/c.bq4"}));
  RemoveRecentFile(2);
  EXPECT_EQ(RecentList(), (std::vector<std::string>{"/p/e.bq4", "/p/d.bq4", "/p/c.bq4", ""}));
  EXPECT_EQ(RecentFileCaption(1), "&1 /p/e.bq4");
  EXPECT_EQ(RecentFileCaption(4), "");
  // Long paths are shortened for the menu between first and last separator.
  const std::string p49 = "/" + std::string(41, 'a') + "/bb.bq4";
  EXPECT_EQ(ShortenPathForMenu(p49), p49);
  const std::string p50 = "home/" + std::string(38, 'a') + "/xx.bq4";
  EXPECT_EQ(ShortenPathForMenu(p50), "home/.../xx.bq4");
  const std::string noSeparator(60, 'z');
  EXPECT_EQ(ShortenPathForMenu(noSeparator), noSeparator);
}

TEST_F(ProjectFilesTest, SaveQuestionByProjectState) {
  // Nothing changed: nothing asked.
  CurrentFileName.clear();
  QuerySaveChanges();
  EXPECT_EQ(AbortFlag, 0);
  // An unnamed, changed project is asked about where the main window closes.
  // A named project: Yes saves it under its name without asking to overwrite.
  CurrentDir = dir_ + "/";
  CurrentFileName = "joint";
  InputModified = 1;
  Answered([&](auto& s) { s.Yes().Expect("Save file (" + ShownPath(dir_) + "/joint.bq4) ?"); }, [&] { QuerySaveChanges(); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 0);
  EXPECT_TRUE(TextFileExists(dir_ + "/joint.bq4"));
  InputModified = 1;
  Answered([&](auto& s) { s.Cancel(); }, [&] { QuerySaveChanges(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(InputModified, 1);
  // Started on a file in archive mode: never asked.
  AbortFlag = 0;
  StartedWithFile = 1;
  ArchiveFlag = 1;
  QuerySaveChanges();
  EXPECT_EQ(InputModified, 0);
}

}  // namespace
