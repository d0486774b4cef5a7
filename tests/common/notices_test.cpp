// Notices about data files, kept until a front end takes or shows them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/notices.h"

namespace {

TEST(NoticesTest, KeptInOrderUntilTaken) {
  TakeNotices();
  PostNotice("one");
  PostNotice("two");
  EXPECT_EQ(TakeNotices(), (std::vector<std::string> {"one", "two"}));
  EXPECT_TRUE(TakeNotices().empty());
}

TEST(NoticesTest, ASinkGetsTheKeptOnesFirstThenEveryNewOne) {
  TakeNotices();
  PostNotice("before");
  std::vector<std::string> shown;
  SetNoticeSink([&shown](const std::string& text) { shown.push_back(text); });
  PostNotice("after");
  EXPECT_EQ(shown, (std::vector<std::string> {"before", "after"}));
  EXPECT_TRUE(TakeNotices().empty());

  SetNoticeSink(nullptr);
  PostNotice("kept again");
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(TakeNotices(), std::vector<std::string> {"kept again"});
}

TEST(NoticesTest, PostedFromManyThreads) {
  TakeNotices();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 250; ++i) PostNotice("n");
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(TakeNotices().size(), 1000u);
}

}  // namespace
