// Mapped sample files: every damaged or truncated file is refused before a
// pattern is handed out, and nothing is read outside the mapping.
#include "ann/sample_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ann/training_samples.h"
#include "test_support.h"

namespace {

class SampleFileTest : public testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = home.Path() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // A list of patterns of the given status counts, count0 inputs each.
  std::string Bytes(const std::vector<int>& statusCounts, int count0 = 91) {
    CPatternList list;
    for (int count : statusCounts) {
      CStatusList statuses;
      CStatus status(0, count0);
      for (int t = 0; t < count; ++t) {
        status.Vectors[0] = static_cast<float>(t);
        statuses.Add(status);
      }
      list.Add(CPattern(statuses, 0.5f));
    }
    const std::string path = home.Path() + "made.sam";
    EXPECT_EQ(list.Save(path, 1), 1);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(path);
    return text.str();
  }
  static void PutInt(std::string& bytes, size_t at, int32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
  }
  ScopedTarvoHome home;
};

TEST_F(SampleFileTest, GoodFileGivesItsPatternsInPlace) {
  CSampleFile file;
  ASSERT_TRUE(file.Open(Write("good.sam", Bytes({3, 1}, 91)), 91, 1)) << file.Error();
  EXPECT_EQ(file.PatternCount(), 2);
  ASSERT_EQ(file.Patterns().size(), 2u);
  EXPECT_EQ(file.Patterns()[0].StatusCount, 3);
  EXPECT_EQ(file.Patterns()[0].Inputs(2)[0], 2.0f);
  EXPECT_EQ(file.Patterns()[0].Category(2), 0);
  EXPECT_EQ(file.Patterns()[1].Expect, 0.5f);
  EXPECT_TRUE(file.Open(Write("empty.sam", Bytes({})), 91, 0));
  EXPECT_EQ(file.PatternCount(), 0);
}

TEST_F(SampleFileTest, PatternsCountTheirNonZeroInputsAndAStatusStandsAlone) {
  // Statuses of 8 inputs with these numbers of non-zero ones (a -0 counts as 0).
  const std::vector<std::vector<int>> nonZero {{2, 0, 5}, {8}};
  CPatternList list;
  for (const std::vector<int>& pattern : nonZero) {
    CStatusList statuses;
    for (int count : pattern) {
      CStatus status(0, 8);
      for (int i = 0; i < 8; ++i) status.Vectors[static_cast<size_t>(i)] = i < count ? 0.25f * static_cast<float>(i + 1) : -0.0f;
      statuses.Add(status);
    }
    list.Add(CPattern(statuses, 0.75f));
  }
  const std::string path = home.Path() + "counted.sam";
  ASSERT_EQ(list.Save(path, 1), 1);
  CSampleFile file;
  ASSERT_TRUE(file.Open(path, 8, 1)) << file.Error();
  ASSERT_EQ(file.Patterns().size(), 2u);
  EXPECT_EQ(file.Patterns()[0].InputCount, 7);
  EXPECT_EQ(file.Patterns()[1].InputCount, 8);
  const CPatternView& game = file.Patterns()[0];
  for (int t = 0; t < 3; ++t) {
    const CPatternView one = game.Status(t);
    EXPECT_EQ(one.StatusCount, 1);
    EXPECT_EQ(one.InputCount, nonZero[0][static_cast<size_t>(t)]);
    EXPECT_EQ(one.Inputs(0), game.Inputs(t));
    EXPECT_EQ(one.Expect, 0.75f);
  }
}

TEST_F(SampleFileTest, EveryTruncationIsRefused) {
  const std::string bytes = Bytes({2, 3}, 4);
  for (size_t size = 0; size < bytes.size(); ++size) {
    CSampleFile file;
    EXPECT_FALSE(file.Open(Write("cut.sam", bytes.substr(0, size)), 4, 0)) << size;
    EXPECT_FALSE(file.Error().empty());
  }
}

// A file of exactly one page whose last pattern claims more than is there:
// reading one byte past the mapping would crash the test.
TEST_F(SampleFileTest, CountsRunningPastAPageSizedFileAreRefusedUnread) {
  std::string bytes = Bytes({11});  // 4 + 4 + 11 * 372 + 4 = 4104 bytes
  bytes.resize(4096);
  CSampleFile file;
  EXPECT_FALSE(file.Open(Write("page.sam", bytes), 91, 0));
  EXPECT_NE(file.Error().find("runs past the end"), std::string::npos) << file.Error();

  std::string huge = Bytes({1});
  PutInt(huge, 4, 0x7FFFFFFF);  // a status count far beyond the file
  EXPECT_FALSE(file.Open(Write("huge.sam", huge), 91, 0));
  std::string many = Bytes({1});
  PutInt(many, 0, 1000000);  // patterns beyond the file
  EXPECT_FALSE(file.Open(Write("many.sam", many), 91, 0));
  std::string negative = Bytes({1});
  PutInt(negative, 4, -3);
  EXPECT_FALSE(file.Open(Write("negative.sam", negative), 91, 0));
  PutInt(negative, 0, -1);
  EXPECT_FALSE(file.Open(Write("negative.sam", negative), 91, 0));
}

TEST_F(SampleFileTest, StatusOfAnotherInputCountIsRefused) {
  CSampleFile file;
  EXPECT_FALSE(file.Open(Write("ninety.sam", Bytes({2}, 90)), 91, 0));
  EXPECT_NE(file.Error().find("90 inputs"), std::string::npos) << file.Error();
  // The record's own count is checked too, not only the sizes.
  std::string bytes = Bytes({2}, 91);
  PutInt(bytes, 12, 92);
  EXPECT_FALSE(file.Open(Write("field.sam", bytes), 91, 0));
}

TEST_F(SampleFileTest, TrailingBytesNonNumbersAndForeignCategoriesAreRefused) {
  CSampleFile file;
  EXPECT_FALSE(file.Open(Write("tail.sam", Bytes({2}) + "x"), 91, 0));
  std::string nan = Bytes({2});
  const float notANumber = std::nanf("");
  std::memcpy(nan.data() + 16, &notANumber, 4);
  EXPECT_FALSE(file.Open(Write("nan.sam", nan), 91, 0));
  std::string category = Bytes({2});
  PutInt(category, 8, 3);
  EXPECT_TRUE(file.Open(Write("category.sam", category), 91, 0));  // category not used
  EXPECT_FALSE(file.Open(Write("category.sam", category), 91, 2));
  EXPECT_NE(file.Error().find("category 3"), std::string::npos) << file.Error();
}

TEST_F(SampleFileTest, PatternOfMoreThan600StatusesIsLeftOutWithANote) {
  CSampleFile file;
  ASSERT_TRUE(file.Open(Write("long.sam", Bytes({600, 601, 2})), 91, 0)) << file.Error();
  EXPECT_EQ(file.PatternCount(), 3);
  ASSERT_EQ(file.Patterns().size(), 2u);
  EXPECT_EQ(file.Patterns()[0].StatusCount, 600);
  EXPECT_EQ(file.Patterns()[1].StatusCount, 2);
  ASSERT_EQ(file.Notes().size(), 1u);
  EXPECT_NE(file.Notes()[0].find("pattern 1 left out: 601 statuses"), std::string::npos);
}

TEST_F(SampleFileTest, MissingFileAndFolderAreRefused) {
  CSampleFile file;
  EXPECT_FALSE(file.Open(home.Path() + "none.sam", 91, 0));
  EXPECT_FALSE(file.Open(home.Path(), 91, 0));
}

// Three stray bytes where a last pattern should be, or in place of a last
// pattern's four-byte target, are a pattern that runs past the end of the
// file: the size checks must not wrap.
TEST_F(SampleFileTest, ThreeBytesShortOfALastPatternRunPastTheEnd) {
  std::string countOnly = Bytes({2});
  PutInt(countOnly, 0, 2);  // a second pattern of which only three bytes are there
  const std::string noTarget = Bytes({2, 0});
  const std::string cases[] = {countOnly + "abc", noTarget.substr(0, noTarget.size() - 1),
                               Bytes({2, 1}).substr(0, Bytes({2, 1}).size() - 1)};
  for (const std::string& bytes : cases) {
    CSampleFile file;
    EXPECT_FALSE(file.Open(Write("short.sam", bytes), 91, 0));
    EXPECT_NE(file.Error().find("pattern 1 "), std::string::npos) << file.Error();
    EXPECT_NE(file.Error().find("runs past the end of the file"), std::string::npos) << file.Error();
  }
}

}  // namespace
