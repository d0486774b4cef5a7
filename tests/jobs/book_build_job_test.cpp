// The book-build job: a failed or refused build leaves the book file and the
// engine's book as they were, a good one replaces both and says how much it
// read and kept, and the player's game is never used.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/exe_path.h"
#include "common/file_util.h"
#include "engine/opening_book.h"
#include "jobs/book_build_job.h"
#include "jobs/book_builder.h"
#include "train_test_support.h"

namespace {

using BookBuildJob = TrainSuite;

std::string Text(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

TEST_F(BookBuildJob, FailedBuildsLeaveTheBookFileAndTheEnginesBookAsTheyWere) {
  CGame& player = *game;
  COpeningBook& live = player.Engine.Book;
  BookNode node;
  node.LockLo = 7;
  node.Weight = 9;
  live.Nodes.assign(1, node);
  ASSERT_EQ(live.Save(), 1);
  const std::string kept = Text(COpeningBook::DefaultPath());
  const std::string data = GetExePath();
  std::filesystem::create_directories(data + "empty");
  std::filesystem::create_directories(data + "one");
  ASSERT_TRUE(WriteRecord(player, data + "one/a.pgn", FirstMoves(3), "1-0"));
  player.Red = "Alice";
  const struct {
    const char* Case;
    CBookBuildSettings Settings;
    CJobFault Fault;
    const char* Setting;
  } cases[] = {
      {"no folder", {data + "missing", 4, 3, 1, -1, ""}, CJobFault::NoSuchFolder, "RootDir"},
      {"empty folder", {data + "empty", 4, 3, 1, -1, ""}, CJobFault::NoInput, "RootDir"},
      {"culling leaves nothing", {data + "one", 4, 3, 1, -1, ""}, CJobFault::NoInput, "MinWeight"},
      {"book cannot be written", {data + "one", 1, 3, 1, -1, data + "one"}, CJobFault::CannotWrite, ""},
  };
  for (const auto& c : cases) {
    CJobControl control;
    CBookBuildResult result;
    const CJobError error = RunBookBuild(c.Settings, control, result, &live);
    EXPECT_EQ(error.Fault, c.Fault) << c.Case << ": " << EnglishMessage(error);
    EXPECT_EQ(error.Setting, c.Setting) << c.Case;
    ASSERT_EQ(live.Nodes.size(), 1u) << c.Case;
    EXPECT_EQ(live.Nodes[0].LockLo, 7u) << c.Case;
    EXPECT_EQ(Text(COpeningBook::DefaultPath()), kept) << c.Case;
  }
  // The player's game never held a record of the build.
  EXPECT_EQ(player.Red, "Alice");
  EXPECT_EQ(player.Record().Current, 2);
}

TEST_F(BookBuildJob, GoodBuildIsWrittenOnceCulledAndTakesThePlaceOfTheEnginesBook) {
  COpeningBook& live = game->Engine.Book;
  const std::string games = GetExePath() + "games/";
  std::filesystem::create_directories(games);
  for (const char* name : {"a.pgn", "b.pgn"}) ASSERT_TRUE(WriteRecord(*game, games + name, FirstMoves(4), "1-0"));
  std::filesystem::remove(CBookBuilder::LogPath());
  CBookBuildSettings settings;
  settings.RootDir = games;
  CJobControl control;
  CBookBuildResult result;
  ASSERT_FALSE(RunBookBuild(settings, control, result, &live));
  EXPECT_EQ(result.GamesRead, 2);
  // Red's two moves, in the position and its mirror (3 a win, twice), and
  // black's two moves turned round, which take the winner's weight: 8 nodes
  // of 6; black's own moves (-1) and nothing else reach MinWeight 4.
  EXPECT_EQ(result.NodesKept, 8u);
  EXPECT_EQ(live.Nodes.size(), 8u);
  COpeningBook saved;
  ASSERT_EQ(saved.Nodes.size(), 8u);
  for (const BookNode& node : saved.Nodes) EXPECT_EQ(node.Weight, 6);
  const std::string log = Text(CBookBuilder::LogPath());
  EXPECT_EQ(log.find("Running Save()."), log.rfind("Running Save().")) << log;
  EXPECT_LT(log.find("Running CullBad()."), log.find("Running Save().")) << log;
}

}  // namespace
