// Loading or creating the start-up network file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "engine/evaluator.h"
#include "test_support.h"

namespace {

std::string ReadText(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

// Files in the folder whose names begin with the prefix.
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) found.push_back(entry.path().string());
  }
  return found;
}

class StartUpNetworkTest : public ::testing::Test {
 protected:
  std::string AnnFolder() const { return Home.Path() + "ann/"; }
  std::string NetworkFile() const { return AnnFolder() + "eval000.ann"; }
  ScopedTarvoHome Home;
};

}  // namespace

TEST_F(StartUpNetworkTest, CreatesTheFileWhenMissingAndLoadsItWhenPresent) {
  auto first = std::make_unique<CEvaluator>();
  ASSERT_EQ(first->InitDefaultAnnList(), 1);
  ASSERT_EQ(first->AnnList.Count(), 1);
  const CTdbpAnn& created = first->AnnList.GetAt(0);
  EXPECT_EQ(created.Count0, 91);
  EXPECT_EQ(created.Count11, 31);
  EXPECT_EQ(created.Count12, 11);
  const std::string text = ReadText(NetworkFile());
  EXPECT_EQ(text.rfind(
                "\nCount0 =91\nCount11=31\nCount12=11\n\nLower=-1.000000e-01\nUpper=1.000000e-01\n\n"
                "MaxLearnCount=10000000\nAutoSaveCount=1\n\nThreadCount=1\n\nAlpha =1.000000e-02\n"
                "Lambda=9.000000e-01\n\nWeight11s=\n\n",
                0),
            0u);

  auto second = std::make_unique<CEvaluator>();
  ASSERT_EQ(second->InitDefaultAnnList(), 1);
  EXPECT_EQ(ReadText(NetworkFile()), text);  // loaded, not rewritten
  const CTdbpAnn& loaded = second->AnnList.GetAt(0);
  for (int i = 0; i < 31; ++i)
    for (int j = 0; j < 91; ++j)
      ASSERT_NEAR(loaded.Weight11s[i][j], created.Weight11s[i][j], 1e-7);
  EXPECT_TRUE(FilesStartingWith(AnnFolder(), "eval000.ann.").empty());
}

TEST_F(StartUpNetworkTest, KeepsADamagedOrMisfittingFileAsideBeforeWritingAFreshOne) {
  const std::string damaged[] = {
      "\nCount0 =91\nCount11=31\nCount12=11\n\nLower=-1.0e-01\n",  // cut short
      "garbage",
      // A whole, valid network of other sizes, and an empty one.
      "\nCount0 =3\nCount11=1\nCount12=1\n\nLower=0e0\nUpper=0e0\n\nMaxLearnCount=1\n"
      "AutoSaveCount=1\n\nThreadCount=1\n\nAlpha =0e0\nLambda=0e0\n\nWeight11s=\n\n1e0;2e0;3e0;"
      "\n\nWeight12s=\n\n1e0;\n\nWeight2s=\n\n1e0;\n",
      "\nCount0 =91\nCount11=31\nCount12=0\n\nLower=0e0\nUpper=0e0\n\nMaxLearnCount=1\n"
      "AutoSaveCount=1\n\nThreadCount=1\n\nAlpha =0e0\nLambda=0e0\n",
  };
  for (const std::string& content : damaged) {
    std::filesystem::remove_all(AnnFolder());
    std::filesystem::create_directory(AnnFolder());
    ASSERT_EQ(WriteFileAtomically(NetworkFile(), content), 1);

    auto evaluator = std::make_unique<CEvaluator>();
    ASSERT_EQ(evaluator->InitDefaultAnnList(), 1);
    EXPECT_EQ(evaluator->AnnList.GetAt(0).Count0, 91);
    EXPECT_EQ(evaluator->AnnList.GetAt(0).Count11, 31);

    const auto aside = FilesStartingWith(AnnFolder(), "eval000.ann.damaged-");
    ASSERT_EQ(aside.size(), 1u) << content;
    EXPECT_EQ(ReadText(aside[0]), content);
    CTdbpAnn fresh;
    EXPECT_EQ(fresh.Load(NetworkFile()), 1);
    EXPECT_EQ(fresh.Count0, 91);
  }
}

TEST_F(StartUpNetworkTest, RefusesMissingArguments) {
  auto evaluator = std::make_unique<CEvaluator>();
  const std::string folder = AnnFolder();
  EXPECT_EQ(evaluator->InitAnnList(0, 91, 31, 11, "eval", ".ann", folder.c_str()), 0);
  EXPECT_EQ(evaluator->InitAnnList(1, 91, 0, 11, "eval", ".ann", folder.c_str()), 0);
  EXPECT_EQ(evaluator->InitAnnList(1, 91, 31, 11, nullptr, ".ann", folder.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(folder));
  // Two networks: two files.
  ASSERT_EQ(evaluator->InitAnnList(2, 91, 4, 3, "net", ".ann", folder.c_str()), 1);
  EXPECT_TRUE(std::filesystem::exists(folder + "net000.ann"));
  EXPECT_TRUE(std::filesystem::exists(folder + "net001.ann"));
  EXPECT_EQ(evaluator->AnnList.GetAt(1).Count11, 4);
}
