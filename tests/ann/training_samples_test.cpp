// Sample containers and their two file forms.
#include "ann/training_samples.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int32_t IntAt(const std::string& bytes, size_t at) {
  int32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

float FloatAt(const std::string& bytes, size_t at) { return std::bit_cast<float>(IntAt(bytes, at)); }

TEST(TrainingSamples, EmptyListIsFourBytesHoldingZero) {
  ScopedTarvoHome home;
  CPatternList list;
  ASSERT_EQ(list.Save(home.Path() + "empty.sam", 1), 1);
  EXPECT_EQ(ReadBytes(home.Path() + "empty.sam"), std::string(4, '\0'));
}

// The pattern takes 4 + 372 + 4 = 380 bytes after the file's pattern count.
TEST(TrainingSamples, OnePatternOfOneStatusIs380BytesInFileOrder) {
  ScopedTarvoHome home;
  CStatus status(3, 91);
  for (int i = 0; i < 91; ++i) status.Vectors[static_cast<size_t>(i)] = 0.25f * static_cast<float>(i);
  CStatusList statuses;
  statuses.Add(status);
  CPatternList list;
  list.Add(CPattern(statuses, 0.9f));
  ASSERT_EQ(list.Save(home.Path() + "one.sam", 1), 1);
  const std::string bytes = ReadBytes(home.Path() + "one.sam");
  ASSERT_EQ(bytes.size(), 4u + 380u);
  EXPECT_EQ(IntAt(bytes, 0), 1);   // PatternCount
  EXPECT_EQ(IntAt(bytes, 4), 1);   // StatusCount
  EXPECT_EQ(IntAt(bytes, 8), 3);   // Category
  EXPECT_EQ(IntAt(bytes, 12), 91);  // Count0
  EXPECT_EQ(FloatAt(bytes, 16), 0.0f);
  EXPECT_EQ(FloatAt(bytes, 16 + 4 * 90), 22.5f);
  EXPECT_EQ(FloatAt(bytes, 380), 0.9f);  // Expect
}

TEST(TrainingSamples, TextDumpHasItsExactLines) {
  ScopedTarvoHome home;
  CStatus status(0, 2);
  status.Vectors = {1.0f, -0.5f};
  CStatusList statuses;
  statuses.Add(status);
  CPatternList list;
  list.Add(CPattern(statuses, 0.1f));
  ASSERT_EQ(list.Save(home.Path() + "dump.txt", 0), 1);
  EXPECT_EQ(ReadBytes(home.Path() + "dump.txt"),
            "\nPatternCount=1\n\n"
            "\n"
            "\nStatusCount=1\n\n"
            "\nCategory=0\nCount0  =2\n\nVectors=\n\n1.000000e+00;-5.000000e-01;\n"
            "\nExpect=1.000000e-01\n");
}

TEST(TrainingSamples, StatusWithNegativeCategoryOrNoInputsIsEmpty) {
  CStatus status;
  EXPECT_EQ(status.Create(-1, 91), 1);
  EXPECT_EQ(status.Category, 0);
  EXPECT_EQ(status.Count0, 0);
  EXPECT_TRUE(status.Vectors.empty());
  EXPECT_EQ(status.Create(2, 0), 1);
  EXPECT_EQ(status.Count0, 0);
  EXPECT_EQ(status.Create(2, 5), 1);
  EXPECT_EQ(status.Vectors, std::vector<float>(5, 0.0f));
}

TEST(TrainingSamples, CopiesAreDeep) {
  CStatus status(0, 3);
  CStatusList statuses;
  statuses.Add(status);
  CPattern pattern(statuses, 0.5f);
  CPattern copy = pattern;
  copy.Statuses.GetAt(0).Vectors[0] = 7.0f;
  EXPECT_EQ(pattern.Statuses.GetAt(0).Vectors[0], 0.0f);
}

TEST(TrainingSamples, SaveIntoAMissingFolderFailsAndLeavesNothing) {
  ScopedTarvoHome home;
  CPatternList list;
  EXPECT_EQ(list.Save(home.Path() + "no/such/folder/x.sam", 1), 0);
}

TEST(TrainingSamples, UniqueFileNameNeverNamesAnExistingFile) {
  ScopedTarvoHome home;
  const std::string base = home.Path() + "eval_2009_05_01_12_00_00";
  EXPECT_EQ(UniqueFileName(base, ".sam"), base + ".sam");
  std::ofstream(base + ".sam") << "x";
  EXPECT_EQ(UniqueFileName(base, ".sam"), base + "_2.sam");
  std::ofstream(base + "_2.sam") << "x";
  EXPECT_EQ(UniqueFileName(base, ".sam"), base + "_3.sam");
  // The later name sorts after the earlier one.
  EXPECT_LT(base + ".sam", base + "_2.sam");
}

// Two sample runs writing into one folder within the same second: each name
// is taken as it is found, so the second never gets the first one's file
// (which it would truncate), even before the first has written anything.
TEST(TrainingSamples, ClaimedNamesAreTakenAtOnceAndNeverShared) {
  ScopedTarvoHome home;
  const std::string base = home.Path() + "eval_2009_05_01_12_00_00";
  const std::string first = ClaimUniqueFileName(base, ".sam");
  const std::string second = ClaimUniqueFileName(base, ".sam");
  EXPECT_EQ(first, base + ".sam");
  EXPECT_EQ(second, base + "_2.sam");
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_EQ(ClaimUniqueFileName(home.Path() + "no/such/folder/x", ".sam"), "");
}

}  // namespace
