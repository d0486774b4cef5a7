// Notices about data files, kept until a front end takes or shows them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/notices.h"

namespace {

TEST(NoticesTest, KeptInOrderUntilTaken) {
  TakeNoticeTexts();
  PostNotice("one");
  PostNotice("two");
  EXPECT_EQ(TakeNoticeTexts(), (std::vector<std::string> {"one", "two"}));
  EXPECT_TRUE(TakeNoticeTexts().empty());
}

TEST(NoticesTest, ASinkGetsTheKeptOnesFirstThenEveryNewOne) {
  TakeNoticeTexts();
  PostNotice("before");
  std::vector<std::string> shown;
  SetNoticeSink([&shown](const CNotice& notice) { shown.push_back(notice.Text); });
  PostNotice("after");
  EXPECT_EQ(shown, (std::vector<std::string> {"before", "after"}));
  EXPECT_TRUE(TakeNoticeTexts().empty());

  SetNoticeSink(nullptr);
  PostNotice("kept again");
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(TakeNoticeTexts(), std::vector<std::string> {"kept again"});
}

TEST(NoticesTest, PostedFromManyThreads) {
  TakeNoticeTexts();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 250; ++i) PostNotice("n");
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(TakeNoticeTexts().size(), 1000u);
}

}  // namespace
