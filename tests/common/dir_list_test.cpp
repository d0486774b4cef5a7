#include "common/dir_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(DirListTest, ListsEntriesInByteOrderWithKindsAndSizes) {
  const fs::path root = fs::temp_directory_path() / "tarvo_dir_list_test";
  fs::remove_all(root);
  fs::create_directories(root / "b_folder");
  // Upper case sorts before lower case, and a high byte (GB2312) after both.
  for (const char* name : {"z.pgn", "A.pgn", "a.pgn", "\xc6\xe5.pgn"}) std::ofstream(root / name) << "12345";
  std::vector<CDirEntry> entries;
  ASSERT_TRUE(ListDirSorted(root.string(), entries));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].Name, "A.pgn");
  EXPECT_EQ(entries[1].Name, "a.pgn");
  EXPECT_EQ(entries[2].Name, "b_folder");
  EXPECT_TRUE(entries[2].IsDir);
  EXPECT_EQ(entries[3].Name, "z.pgn");
  EXPECT_EQ(entries[4].Name, "\xc6\xe5.pgn");
  EXPECT_EQ(entries[0].Size, 5u);
  EXPECT_EQ(entries[0].Path, root.string() + "/A.pgn");
  fs::remove_all(root);
}

TEST(DirListTest, MissingFolderFailsWithItsName) {
  std::vector<CDirEntry> entries;
  std::string error;
  EXPECT_FALSE(ListDirSorted("/nonexistent/tarvo", entries, &error));
  EXPECT_NE(error.find("/nonexistent/tarvo/"), std::string::npos);
  EXPECT_EQ(WithTrailingSlash("a//"), "a/");
  EXPECT_EQ(WithTrailingSlash("/"), "/");
}
