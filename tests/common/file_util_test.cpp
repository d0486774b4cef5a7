// File helpers: atomic writes, whole-file reads, setting a damaged file aside.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/notices.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class FileUtilTest : public testing::Test {
 protected:
  void SetUp() override { TakeNoticeTexts(); }
  void TearDown() override { TakeNoticeTexts(); }
  std::string Path(const std::string& name) const { return Home.Path() + name; }
  // The names in the test folder, so left-over temporary files show.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Home.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  ScopedTarvoHome Home;
};

TEST_F(FileUtilTest, WriteAndReadBackEveryByte) {
  std::string bytes("a\0b\r\n\xff", 6);
  ASSERT_EQ(WriteFileAtomically(Path("f.bin"), bytes), 1);
  std::string read;
  ASSERT_EQ(ReadWholeFile(Path("f.bin"), read), 1);
  EXPECT_EQ(read, bytes);
  // Written over: the new text whole, no temporary file left.
  ASSERT_EQ(WriteFileAtomically(Path("f.bin"), ""), 1);
  ASSERT_EQ(ReadWholeFile(Path("f.bin"), read), 1);
  EXPECT_EQ(read, "");
  EXPECT_EQ(Names(), std::vector<std::string> {"f.bin"});
  EXPECT_EQ(ReadWholeFile(Path("missing"), read), 0);
  EXPECT_EQ(WriteFileAtomically(Path("no/such/folder/f"), "x"), 0);
}

TEST_F(FileUtilTest, AnUncommittedFileLeavesTheTargetAlone) {
  ASSERT_EQ(WriteFileAtomically(Path("t.txt"), "old"), 1);
  {
    CAtomicFile file;
    FILE* out = file.Open(Path("t.txt"), "w");
    ASSERT_NE(out, nullptr);
    std::fputs("new", out);
    EXPECT_EQ(Names().size(), 2u);  // the temporary file beside the target
  }
  std::string read;
  ASSERT_EQ(ReadWholeFile(Path("t.txt"), read), 1);
  EXPECT_EQ(read, "old");
  EXPECT_EQ(Names(), std::vector<std::string> {"t.txt"});

  CAtomicFile file;
  ASSERT_NE(file.Open(Path("t.txt"), "w"), nullptr);
  std::fputs("new", file.Stream());
  ASSERT_EQ(file.Commit(), 1);
  ASSERT_EQ(ReadWholeFile(Path("t.txt"), read), 1);
  EXPECT_EQ(read, "new");
  EXPECT_EQ(file.Commit(), 0);  // nothing open any more
  EXPECT_EQ(fs::status(Path("t.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
}

TEST_F(FileUtilTest, KeepAsideRenamesAndSaysSo) {
  ASSERT_EQ(WriteFileAtomically(Path("rand.has"), "damaged"), 1);
  const std::string first = KeepAside(Path("rand.has"));
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(std::regex_match(first, std::regex(".*/rand\\.has\\.damaged-\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d")))
      << first;
  EXPECT_FALSE(fs::exists(Path("rand.has")));
  std::string read;
  ASSERT_EQ(ReadWholeFile(first, read), 1);
  EXPECT_EQ(read, "damaged");

  // A second damaged file in the same second never overwrites the first.
  ASSERT_EQ(WriteFileAtomically(Path("rand.has"), "again"), 1);
  const std::string second = KeepAside(Path("rand.has"));
  ASSERT_FALSE(second.empty());
  EXPECT_NE(second, first);
  ASSERT_EQ(ReadWholeFile(first, read), 1);
  EXPECT_EQ(read, "damaged");

  const std::vector<std::string> notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], Path("rand.has") + " is damaged: kept aside as " + first);

  EXPECT_EQ(KeepAside(Path("missing")), "");
  ASSERT_EQ(TakeNoticeTexts().size(), 1u);
}

TEST_F(FileUtilTest, EnsureDirectoryCreatesOnlyWhatIsMissing) {
  EnsureDirectory(Path("book"));
  EXPECT_TRUE(fs::is_directory(Path("book")));
  ASSERT_EQ(WriteFileAtomically(Path("book/book.tab"), "x"), 1);
  EnsureDirectory(Path("book"));  // an existing folder keeps its files
  EXPECT_TRUE(fs::exists(Path("book/book.tab")));
  ASSERT_EQ(WriteFileAtomically(Path("plain"), "x"), 1);
  EnsureDirectory(Path("plain"));  // a file of that name stays a file
  EXPECT_TRUE(fs::is_regular_file(Path("plain")));
}

TEST_F(FileUtilTest, TimeStampFormat) {
  EXPECT_TRUE(std::regex_match(LocalTimeStamp(), std::regex("20\\d\\d_[01]\\d_[0-3]\\d_[0-2]\\d_[0-5]\\d_[0-6]\\d")))
      << LocalTimeStamp();
}

}  // namespace
