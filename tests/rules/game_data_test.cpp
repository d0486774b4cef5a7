// The notation over master games: the Chinese records replay to their known
// final positions, and every move of the ICCS collection writes and reads back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "rules/iccs.h"
#include "rules/move_generator.h"
#include "rules/move_rules.h"
#include "rules/move_tables.h"
#include "rules/notation.h"
#include "test_support.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsResult(const std::string& token) {
  return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

// The move tokens of the move section: no tag lines, move numbers or result.
std::vector<std::string> MoveTokens(const std::vector<std::string>& lines) {
  std::vector<std::string> tokens;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == '[') continue;
    std::istringstream words(line);
    std::string token;
    while (words >> token)
      if (token.back() != '.' && !IsResult(token)) tokens.push_back(token);
  }
  return tokens;
}

bool IsLegal(CPosition& position, int redToMove, const CMove& move) {
  if (!IsPseudoLegal(position, redToMove, move)) return false;
  position.MakeMove(move);
  const bool legal = !IsAttackingKing(position, redToMove ? 0 : 1);
  position.UnmakeMove(move);
  return legal;
}

struct CExpectedGame {
  std::string File;
  int Plies;
  std::string Fen;
};

std::vector<CExpectedGame> ExpectedGames() {
  std::vector<CExpectedGame> games;
  for (const std::string& line : Lines(ReadFile(TestDataPath("games/expected.tsv")))) {
    std::istringstream fields(line);
    CExpectedGame game;
    std::string plies;
    if (!std::getline(fields, game.File, '\t') || !std::getline(fields, plies, '\t') ||
        !std::getline(fields, game.Fen) || game.File == "file")
      continue;
    game.Plies = std::stoi(plies);
    games.push_back(game);
  }
  return games;
}

// A slip in a record: the text names a different move from the one played,
// which the ICCS collection and the final position both show.
struct CRecordSlip {
  const char* File;
  int Ply;             // 1-based
  const char* Read;    // what the text means, in ICCS
  const char* Played;  // what the game had, in ICCS
};
// 36. 后兵进一: with red pawns on e3 and e5 the rear pawn is e3, but the game
// advanced the front one (前兵进一).
constexpr CRecordSlip kRecordSlips[] = {{"game02.pgn", 71, "e3e4", "e5e6"}};

const CRecordSlip* FindSlip(const std::string& file, int ply) {
  for (const CRecordSlip& slip : kRecordSlips)
    if (file == slip.File && ply == slip.Ply) return &slip;
  return nullptr;
}

class GameData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildNotationMaps();
  }
};

TEST_F(GameData, ChineseRecordsReplayToTheirFinalPositions) {
  const std::vector<CExpectedGame> games = ExpectedGames();
  ASSERT_EQ(games.size(), 5u);
  for (const CExpectedGame& game : games) {
    SCOPED_TRACE(game.File);
    const std::vector<std::string> tokens = MoveTokens(Lines(ReadFile(TestDataPath("games/" + game.File))));
    ASSERT_EQ(static_cast<int>(tokens.size()), game.Plies);
    CPosition position;
    int redToMove = 1;
    for (size_t ply = 0; ply < tokens.size(); ++ply) {
      const std::string& text = tokens[ply];
      ASSERT_EQ(text.size(), 8u) << "ply " << ply + 1;
      CMove move;
      ASSERT_EQ(ParseMove(position, redToMove, text, move), 1)
          << "ply " << ply + 1 << " " << Gb2312ToUtf8(text);
      ASSERT_TRUE(IsLegal(position, redToMove, move)) << "ply " << ply + 1 << " " << Gb2312ToUtf8(text);
      EXPECT_EQ(FormatMove(position, move), NormaliseNotation(redToMove ? RED : BLACK, text))
          << "ply " << ply + 1 << " " << Gb2312ToUtf8(text);
      if (const CRecordSlip* slip = FindSlip(game.File, static_cast<int>(ply) + 1)) {
        EXPECT_EQ(MoveToIccs(move), slip->Read);
        ASSERT_EQ(MoveFromIccs(position, slip->Played, move), 1);
        ASSERT_TRUE(IsLegal(position, redToMove, move));
      }
      position.MakeMove(move);
      redToMove = redToMove ? 0 : 1;
    }
    CPosition expected;
    int expectedRedToMove = -1;
    ASSERT_EQ(expected.SetFromFen(game.Fen.c_str(), expectedRedToMove), 1);
    EXPECT_EQ(redToMove, expectedRedToMove);
    // Identities may differ from the FEN's reading order: compare kind and side.
    for (int square = 0; square < 256; ++square) {
      const int got = position.Board[square], want = expected.Board[square];
      EXPECT_EQ(PieceKind[got], PieceKind[want]) << "square " << square;
      EXPECT_EQ(PieceSide[got], PieceSide[want]) << "square " << square;
    }
  }
}

// Every move of 1125 master games, and every legal alternative in the
// positions of every third game, writes in notation and reads back as the same move.
TEST_F(GameData, EveryMoveOfTheIccsCollectionRoundTrips) {
  const std::vector<std::string> lines = Lines(ReadFile(TestDataPath("iccs/master_games_1125.pgn")));
  int games = 0, moves = 0;
  CPosition position;
  int redToMove = 1;
  CMoveList list;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (line.rfind("[Event", 0) == 0) {
        position = CPosition();
        redToMove = 1;
        ++games;
      }
      continue;
    }
    for (const std::string& token : MoveTokens({line})) {
      CMove played;
      ASSERT_EQ(MoveFromIccs(position, token, played), 1) << "game " << games << " " << token;
      ASSERT_TRUE(IsLegal(position, redToMove, played)) << "game " << games << " " << token;
      list.Count = 0;
      if (games % 3 == 1)
        GenerateAllMoves(position, redToMove, list);
      else
        list.Moves[list.Count++] = played;
      for (int i = 0; i < list.Count; ++i) {
        const CMove& move = list.Moves[i];
        if (!IsLegal(position, redToMove, move)) continue;
        const std::string text = FormatMove(position, move);
        CMove back;
        ASSERT_EQ(ParseMove(position, redToMove, text, back), 1)
            << "game " << games << " " << MoveToIccs(move) << " " << Gb2312ToUtf8(text);
        ASSERT_EQ(back, move) << "game " << games << " " << MoveToIccs(move) << " "
                              << Gb2312ToUtf8(text);
        ++moves;
      }
      position.MakeMove(played);
      redToMove = redToMove ? 0 : 1;
    }
  }
  EXPECT_EQ(games, 1125);
  EXPECT_GT(moves, 1500000 / 3);
}

}  // namespace
