// A data folder of one's own gets the shipped book and network it lacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/file_util.h"
#include "common/notices.h"
#include "common/shipped_data.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::string text;
  EXPECT_TRUE(ReadWholeFile(path, text)) << path;
  return text;
}

TEST(ShippedDataTest, MissingFilesAreCopiedAndOwnFilesStay) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(shipped.Path() + "ann/eval000.ann", "shipped network");
  WriteText(data.Path() + "ann/eval000.ann", "my own network");
  TakeNoticeTexts();

  const auto copied = CopyShippedData(shipped.Path(), data.Path());
  ASSERT_EQ(copied, std::vector<std::string>{"book/book.tab"});
  EXPECT_EQ(ReadText(data.Path() + "book/book.tab"), "shipped book");
  EXPECT_EQ(ReadText(data.Path() + "ann/eval000.ann"), "my own network");
  EXPECT_TRUE(TakeNoticeTexts().empty());

  // A second start copies nothing, even after the user changed the book.
  WriteText(data.Path() + "book/book.tab", "my own book");
  EXPECT_TRUE(CopyShippedData(shipped.Path(), data.Path()).empty());
  EXPECT_EQ(ReadText(data.Path() + "book/book.tab"), "my own book");
}

// The book is found through locks made from the key file: it goes only
// where the shipped key file is, or comes with it.
TEST(ShippedDataTest, TheBookGoesOnlyWithItsKeys) {
  ScopedTarvoHome shipped;
  WriteText(shipped.Path() + "rand/rand.has", "shipped keys");
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(shipped.Path() + "ann/eval000.ann", "shipped network");

  ScopedTarvoHome fresh;
  EXPECT_EQ(CopyShippedData(shipped.Path(), fresh.Path()),
            (std::vector<std::string> {"rand/rand.has", "book/book.tab", "ann/eval000.ann"}));
  EXPECT_EQ(ReadText(fresh.Path() + "rand/rand.has"), "shipped keys");

  ScopedTarvoHome otherKeys;
  WriteText(otherKeys.Path() + "rand/rand.has", "keys of its own");
  EXPECT_EQ(CopyShippedData(shipped.Path(), otherKeys.Path()), std::vector<std::string> {"ann/eval000.ann"});
  EXPECT_FALSE(fs::exists(otherKeys.Path() + "book/book.tab"));
  EXPECT_EQ(ReadText(otherKeys.Path() + "rand/rand.has"), "keys of its own");
}

TEST(ShippedDataTest, NothingShippedOrTheSameFolderCopiesNothing) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  EXPECT_TRUE(CopyShippedData(shipped.Path(), data.Path()).empty());
  EXPECT_FALSE(fs::exists(data.Path() + "book"));

  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  EXPECT_TRUE(CopyShippedData(shipped.Path(), shipped.Path()).empty());
  EXPECT_EQ(ReadText(shipped.Path() + "book/book.tab"), "shipped book");
}

TEST(ShippedDataTest, AFolderInTheWayIsReportedNotReplaced) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(data.Path() + "book", "a file where the book folder belongs");
  TakeNoticeTexts();
  EXPECT_TRUE(CopyShippedData(shipped.Path(), data.Path()).empty());
  const auto notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("could not copy"), std::string::npos);
  EXPECT_EQ(ReadText(data.Path() + "book"), "a file where the book folder belongs");
}

}  // namespace
