// The opening book and the position keys it was built with belong together:
// a new data folder gets both, whatever the random generator was seeded
// with, and a book made under other keys is reported.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/notices.h"
#include "common/random.h"
#include "common/shipped_data.h"
#include "engine/search_engine.h"
#include "test_support.h"

namespace {

const std::string kShipped = std::string(TARVO_SHIPPED_DATA_DIR) + "/";

int StartMoves(const CSearchEngine& engine) {
  const uint64_t lock = engine.TransTable.LockOf(CPosition {});
  BookNode nodes[8];
  return engine.Book.Candidates(static_cast<uint32_t>(lock), static_cast<int32_t>(lock >> 32), 1, nodes, 8);
}

// The desktop program seeds the generator from the clock before the keys
// are first read; the seeds stand for a few such starts.
TEST(BookKeysTest, ANewFolderAnswersTheStartWhateverTheSeed) {
  for (const uint32_t seed : {1u, 4711u, 61234u}) {
    ScopedTarvoHome home;
    UpdateShippedData(kShipped, home.Path());
    SeedRandomWith(seed);
    TakeNotices();
    auto engine = std::make_unique<CSearchEngine>();
    EXPECT_GE(StartMoves(*engine), 2) << "seed " << seed;
    EXPECT_FALSE(engine->CheckBookKeys());
    EXPECT_TRUE(TakeNotices().empty());
  }
}

TEST(BookKeysTest, ABookUnderOtherKeysIsReported) {
  ScopedTarvoHome home;
  UpdateShippedData(kShipped, home.Path());
  std::remove((home.Path() + "rand/rand.has").c_str());
  SeedRandomWith(4711);  // new keys, unlike the shipped ones
  TakeNotices();
  auto engine = std::make_unique<CSearchEngine>();
  ASSERT_FALSE(engine->Book.Nodes.empty());
  EXPECT_EQ(StartMoves(*engine), 0);
  const auto notices = TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].Kind, CNoticeKind::BookKeysDiffer);

  // An empty book is no sign of other keys.
  engine->Book.Reset();
  EXPECT_FALSE(engine->CheckBookKeys());
}

}  // namespace
