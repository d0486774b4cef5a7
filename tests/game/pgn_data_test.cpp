// Master games: each loads with every move, ends on its known board, and
// survives saving and reloading; its UTF-8 copy loads to the same record.
// The ICCS collection's games, written as game files, read back whole with
// their result, also those that repeat a position a fourth time.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "game/pgn_reader.h"
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

// The moves of every game of the ICCS collection, in ICCS coordinates.
std::vector<std::vector<std::string>> IccsGameMoves() {
  std::vector<std::vector<std::string>> games;
  std::istringstream lines(ReadBytes(TestDataPath("iccs/master_games_1125.pgn")));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("[Event")) games.emplace_back();
    if (line.empty() || line[0] == '[') continue;
    std::istringstream words(line);
    std::string word;
    while (words >> word)
      if (word.size() == 4 && word[0] >= 'a' && word[0] <= 'i') games.back().push_back(word);
  }
  return games;
}

class IccsRoundTrip : public GameSuite {
 protected:
  // Plays the game from the start as its record stands. With the repetition
  // rule on, returns 0 at the first move the rule refuses.
  int PlayGame(const std::vector<std::string>& moves, int repetitionRule) {
    EXPECT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
    for (const std::string& move : moves)
      if (!game->PlayMove(Iccs(move), 0, repetitionRule)) return 0;
    return 1;
  }
  // Saves with a draw in the Result tag, reloads, and checks every move and
  // the result.
  void ExpectRoundTrip(const std::vector<std::string>& moves) {
    game->Result = "1/2-1/2";
    const std::string path = Folder() + "iccs.pgn";
    ASSERT_EQ(game->SavePgn(path), 1);
    CPgnReadReport report;
    ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
    EXPECT_TRUE(report.Complete()) << DescribeStop(report);
    ASSERT_EQ(game->Record().Current + 1, static_cast<int>(moves.size()));
    for (size_t i = 0; i < moves.size(); ++i)
      EXPECT_EQ(MoveToIccs(game->Record()[static_cast<int>(i)].Move), moves[i]) << i;
    EXPECT_EQ(game->Result, "1/2-1/2");
  }
};

TEST_F(IccsRoundTrip, GamesThatRepeatAPositionAFourthTimeKeepTheirMovesAndResult) {
  const auto games = IccsGameMoves();
  ASSERT_EQ(games.size(), 1125u);
  game->SpeakMoves = 0;
  game->HumanVsHuman = 1;
  int repeating = 0;
  for (size_t n = 0; n < games.size(); ++n) {
    if (PlayGame(games[n], 1)) continue;  // the rule never refused a move of it
    SCOPED_TRACE("game " + std::to_string(n + 1));
    ++repeating;
    ASSERT_EQ(PlayGame(games[n], 0), 1);
    ExpectRoundTrip(games[n]);
  }
  EXPECT_GE(repeating, 10);  // the collection holds such games
}

TEST_F(IccsRoundTrip, SlowEveryGameOfTheCollection) {
  const auto games = IccsGameMoves();
  game->SpeakMoves = 0;
  game->HumanVsHuman = 1;
  for (size_t n = 0; n < games.size(); ++n) {
    SCOPED_TRACE("game " + std::to_string(n + 1));
    ASSERT_EQ(PlayGame(games[n], 0), 1);
    ExpectRoundTrip(games[n]);
  }
}

}  // namespace
