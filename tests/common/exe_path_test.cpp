// How the data folder is chosen from TARVO_HOME.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/exe_path.h"
#include "common/notices.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(ExePathTest, WithoutTarvoHomeTheExecutablesFolder) {
  const std::string expected = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(ChooseExePath(nullptr).Folder, expected);
  EXPECT_EQ(ChooseExePath("").Folder, expected);
  EXPECT_TRUE(ChooseExePath(nullptr).Problem.empty());
}

TEST(ExePathTest, AnExistingFolderGetsItsSlash) {
  ScopedTarvoHome home;
  std::string folder = home.Path();
  folder.pop_back();
  const CExePathChoice choice = ChooseExePath(folder.c_str());
  EXPECT_EQ(choice.Folder, home.Path());
  EXPECT_TRUE(choice.Problem.empty());
}

TEST(ExePathTest, AMissingFolderIsCreatedAndNamed) {
  ScopedTarvoHome home;
  TakeNoticeTexts();
  const std::string folder = home.Path() + "a/b";
  const CExePathChoice choice = ChooseExePath(folder.c_str());
  EXPECT_EQ(choice.Folder, folder + "/");
  EXPECT_TRUE(choice.Problem.empty());
  EXPECT_TRUE(fs::is_directory(folder));
  const auto notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find(folder), std::string::npos);
}

TEST(ExePathTest, AFileOrAnImpossibleFolderIsAProblemNeverAnotherFolder) {
  ScopedTarvoHome home;
  const std::string file = home.Path() + "file";
  std::ofstream(file) << "x";
  CExePathChoice choice = ChooseExePath(file.c_str());
  EXPECT_EQ(choice.Folder, file + "/");
  EXPECT_NE(choice.Problem.find("not a folder"), std::string::npos);
  const std::string below = file + "/sub";
  choice = ChooseExePath(below.c_str());
  EXPECT_EQ(choice.Folder, below + "/");
  EXPECT_NE(choice.Problem.find("cannot be created"), std::string::npos);
}

}  // namespace
