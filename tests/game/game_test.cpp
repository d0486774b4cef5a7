// The game controller: defaults, the record limit, the repetition rule, the
// no-capture limit, undo/redo, computer moves and results.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "game/game.h"
#include "game_test_support.h"
#include "rules/notation.h"

namespace {

using GameTest = GameSuite;

// Kings off each other's file and two chariots that walk quiet cycles of 28
// and 27 squares on their own halves, attacking no king: as many plies as
// wanted without a capture and without any board standing four times.
class ChariotWalk {
 public:
  explicit ChariotWalk(CGame& game) : Game(game) {
    const int cols[] = {3, 4, 5, 7, 9, 10, 11};
    for (int row = 8; row <= 11; ++row)
      for (int col : cols) RedSquares.push_back({row, col});
    for (int row = 4; row <= 7; ++row)
      for (int col : cols) BlackSquares.push_back({row, col});
    BlackSquares.pop_back();
  }
  int Start() {
    std::array<int32_t, 256> board {};
    board[SquareOf(12, 6)] = RED_KING;
    board[SquareOf(3, 8)] = BLACK_KING;
    board[RedSquares[0].Index()] = 1;
    board[BlackSquares[0].Index()] = 17;
    RedStep = BlackStep = 0;
    return Game.NewGame(board.data(), 1);
  }
  CMove NextMove() const {
    const bool red = Game.RedToMove == 1;
    const auto& squares = red ? RedSquares : BlackSquares;
    const int step = red ? RedStep : BlackStep;
    CMove move;
    move.Piece = red ? 1 : 17;
    move.From = squares[step % squares.size()];
    move.To = squares[(step + 1) % squares.size()];
    return move;
  }
  int Play() {
    const bool red = Game.RedToMove == 1;
    if (!Game.PlayMove(NextMove(), 0)) return 0;
    ++(red ? RedStep : BlackStep);
    return 1;
  }

 private:
  CGame& Game;
  std::vector<CSquare> RedSquares, BlackSquares;
  int RedStep = 0, BlackStep = 0;
};

// Red and black horses out and back: the start board again every four plies.
const char* const kShuffle[4] = {"h0g2", "h9g7", "g2h0", "g7h9"};

TEST_F(GameTest, ConstructorDefaults) {
  auto owner = std::make_unique<CGame>(&NoTestVoice);
  CGame& fresh = *owner;
  EXPECT_EQ(fresh.Red, "Player");
  EXPECT_EQ(fresh.Black, "Computer");
  EXPECT_EQ(fresh.Result, "*");
  EXPECT_TRUE(fresh.Event.empty());
  EXPECT_TRUE(fresh.FEN.empty());
  EXPECT_EQ(fresh.NaturalLimitPlies, 80);
  EXPECT_EQ(fresh.NullMoveMinPieces, 6);
  EXPECT_EQ(fresh.HumanVsHuman, 0);
  EXPECT_EQ(fresh.HumanPlaysRed, 1);
  EXPECT_EQ(fresh.SpeakMoves, 1);
  EXPECT_EQ(fresh.EditMode, 0);
  EXPECT_EQ(fresh.TrainingIdle.load(), 1);
  EXPECT_EQ(fresh.CheckingIdle.load(), 1);
  EXPECT_EQ(fresh.RedToMove, 1);
  EXPECT_EQ(fresh.Voice, nullptr);
}

TEST_F(GameTest, PlayMoveRecordsTheEntry) {
  EXPECT_EQ(game->FEN, "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1");
  const CMove move = Iccs("h2e2");
  ASSERT_EQ(game->PlayMove(move, 1), 1);  // no voice: announcing is silent
  const CRecordEntry& entry = game->Record()[0];
  EXPECT_EQ(entry.Move, move);
  EXPECT_STREQ(entry.Notation, "\xB3\x68\xB6\xFE\xC6\xBD\xCE\xE5");  // 砲二平五
  EXPECT_EQ(entry.Comment[0], '\0');
  EXPECT_EQ(entry.Depth, -1);
  EXPECT_GE(entry.TimeMs, 0);
  EXPECT_EQ(game->Record().Current, 0);
  EXPECT_EQ(game->Record().Length, 1);
  EXPECT_EQ(game->RedToMove, 0);
  EXPECT_EQ(game->Position().Board[SquareOf(10, 7)], move.Piece);
}

TEST_F(GameTest, MoveWithoutNotationIsRefused) {
  CMove offBoard;
  offBoard.Piece = 1;
  offBoard.From = CSquare {12, 11};
  offBoard.To = CSquare {1, 1};
  EXPECT_EQ(game->PlayMove(offBoard, 0), 0);
  EXPECT_EQ(game->Record().Length, 0);
  EXPECT_EQ(game->RedToMove, 1);
  EXPECT_EQ(game->PlayPieceTo(0, 11, 11, 0), 0);
  EXPECT_EQ(game->PlayPieceTo(1, 16, 3, 0), 0);
}

TEST_F(GameTest, The1025thMoveIsRefused) {
  ChariotWalk walk(*game);
  ASSERT_EQ(walk.Start(), 1);
  for (int ply = 0; ply < MAX_RECORD_ENTRIES; ++ply) ASSERT_EQ(walk.Play(), 1) << ply;
  EXPECT_EQ(game->Record().Length, 1024);
  const CPosition before = game->Position();
  EXPECT_EQ(game->PlayMove(walk.NextMove(), 0), 0);
  EXPECT_EQ(game->Record().Length, 1024);
  EXPECT_EQ(game->Record().Current, 1023);
  EXPECT_EQ(game->RedToMove, 1);
  EXPECT_EQ(game->Result, "*");
  EXPECT_TRUE(game->Position().SamePlacement(before));
}

TEST_F(GameTest, UndoAtTheFullRecordLetsAnotherMoveIn) {
  ChariotWalk walk(*game);
  ASSERT_EQ(walk.Start(), 1);
  for (int ply = 0; ply < MAX_RECORD_ENTRIES; ++ply) ASSERT_EQ(walk.Play(), 1) << ply;
  const CMove last = game->Record()[MAX_RECORD_ENTRIES - 1].Move;
  ASSERT_EQ(game->Undo(), 1);
  EXPECT_EQ(game->PlayMove(last, 0), 1);
  EXPECT_EQ(game->Record().Current, MAX_RECORD_ENTRIES - 1);
  EXPECT_EQ(game->Record().Length, MAX_RECORD_ENTRIES);
  EXPECT_EQ(game->PlayMove(walk.NextMove(), 0), 0);

  // The computer cannot add a move either: the game ends as a draw, and says why.
  game->NaturalLimitPlies = 2000;
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1/2-1/2");
  EXPECT_EQ(game->EndReason(), CGameEnd::RecordFull);
  EXPECT_NE(game->EndMessage().find("1024"), std::string::npos);
}

TEST_F(GameTest, FourthRepetitionLosesThirdIsAllowed) {
  // The start board stands after plies 0, 4 and 8; black's 12th ply would
  // make it a fourth time.
  for (int ply = 0; ply < 11; ++ply) ASSERT_EQ(Play(kShuffle[ply % 4]), 1) << ply;
  EXPECT_EQ(game->Result, "*");
  const CPosition before = game->Position();
  EXPECT_EQ(Play(kShuffle[11 % 4]), 0);
  EXPECT_EQ(game->Result, "1-0");  // black moved, black loses
  EXPECT_EQ(game->Record().Current, 10);
  EXPECT_EQ(game->Record().Length, 11);
  EXPECT_EQ(game->RedToMove, 0);
  EXPECT_TRUE(game->Position().SamePlacement(before));
}

TEST_F(GameTest, RedLosesWhenRedRepeatsFourthTime) {
  // Black opens the shuffle; red's ply makes the start board stand a fourth time.
  game->HumanPlaysRed = 0;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 0), 1);
  const char* const shuffle[4] = {"h9g7", "h0g2", "g7h9", "g2h0"};
  for (int ply = 0; ply < 11; ++ply) ASSERT_EQ(Play(shuffle[ply % 4]), 1) << ply;
  EXPECT_EQ(Play(shuffle[3]), 0);
  EXPECT_EQ(game->Result, "0-1");
}

// A red chariot checks the black king along ranks 9 and 8 while the king
// steps between e9 and e8. The start board (chariot a8, king e9) is the one
// black makes again with every fourth ply, in check each time.
TEST_F(GameTest, PerpetualCheckPunishesTheCheckerNotTheCheckedSide) {
  game->HumanVsHuman = 1;
  ASSERT_EQ(StartFrom("4k4/R8/9/9/9/9/9/9/9/3K5 w - - 0 1"), 1);
  const char* const cycle[4] = {"a8a9", "e9e8", "a9a8", "e8e9"};
  // Black's 12th ply makes the start board stand a fourth time: black is in check, so it stands.
  for (int ply = 0; ply < 12; ++ply) ASSERT_EQ(Play(cycle[ply % 4]), 1) << ply;
  EXPECT_EQ(game->Result, "*");
  // Red's 13th ply would give the same check a fourth time: red loses.
  EXPECT_EQ(Play(cycle[0]), 0);
  EXPECT_EQ(game->Result, "0-1");
  EXPECT_EQ(game->EndReason(), CGameEnd::Repetition);
  EXPECT_EQ(game->Record().Current, 11);
}

TEST_F(GameTest, CaptureResetsRepetitionAndNaturalCount) {
  // Three start boards, then red's cannon takes the horse on h9: the count starts again.
  for (int ply = 0; ply < 8; ++ply) ASSERT_EQ(Play(kShuffle[ply % 4]), 1);
  ASSERT_EQ(Play("h2h9"), 1);
  ASSERT_EQ(Play("i9h9"), 1);  // the chariot takes the cannon back
  const char* const after[4] = {"b0c2", "b9c7", "c2b0", "c7b9"};
  for (int ply = 0; ply < 11; ++ply) ASSERT_EQ(Play(after[ply % 4]), 1) << ply;
  EXPECT_EQ(Play(after[3]), 0);
  EXPECT_EQ(game->Result, "1-0");  // black made the 12th ply after the captures

  // The quiet plies since the last capture are 11: a limit of 12 still lets the engine move.
  game->Result = "*";
  game->NaturalLimitPlies = 11;
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1/2-1/2");
  game->Result = "*";
  game->NaturalLimitPlies = 12;
  EXPECT_EQ(game->ComputerMove(), 1);
}

TEST_F(GameTest, NaturalMoveLimitAt80Plies) {
  ChariotWalk walk(*game);
  ASSERT_EQ(walk.Start(), 1);
  for (int ply = 0; ply < 79; ++ply) ASSERT_EQ(walk.Play(), 1);
  // 79 quiet plies: the computer still searches and moves (black to move).
  EXPECT_EQ(game->ComputerMove(), 1);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->Record().Current, 79);
  const CRecordEntry& entry = game->Record()[79];
  EXPECT_GE(entry.Depth, 0);
  EXPECT_LT(entry.Depth, game->Engine.MaxDepth);
  EXPECT_EQ(static_cast<uint32_t>(entry.TimeMs), game->Engine.Elapsed);

  // 80 quiet plies (unless the engine captured): the game is drawn and nothing is played.
  if (entry.Move.Captured == 0) {
    EXPECT_EQ(game->ComputerMove(), 0);
    EXPECT_EQ(game->Result, "1/2-1/2");
    EXPECT_EQ(game->Record().Current, 79);
  }
  ASSERT_EQ(walk.Start(), 1);
  for (int ply = 0; ply < 80; ++ply) ASSERT_EQ(walk.Play(), 1);
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1/2-1/2");
  EXPECT_EQ(game->Record().Current, 79);
}

TEST_F(GameTest, UndoRedo) {
  EXPECT_EQ(game->Undo(), 0);
  EXPECT_EQ(game->Redo(), 0);
  ASSERT_EQ(Play("h2e2"), 1);
  ASSERT_EQ(Play("h9g7"), 1);
  ASSERT_EQ(Play("h0g2"), 1);
  EXPECT_EQ(game->Redo(), 0);
  const CPosition after = game->Position();

  ASSERT_EQ(game->Undo(), 1);
  EXPECT_EQ(game->RedToMove, 1);
  EXPECT_EQ(game->Record().Current, 1);
  EXPECT_EQ(game->Record().Length, 3);
  EXPECT_EQ(game->Position().Board[SquareOf(12, 10)], 5);  // the horse is home again
  ASSERT_EQ(game->Redo(), 1);
  EXPECT_EQ(game->RedToMove, 0);
  EXPECT_EQ(game->Record().Current, 2);
  EXPECT_TRUE(game->Position().SamePlacement(after));

  // Undo to the start; the record keeps every move and the result stays.
  game->Result = "1-0";
  while (game->Undo()) {
  }
  EXPECT_EQ(game->Record().Current, -1);
  EXPECT_EQ(game->Record().Length, 3);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_TRUE(game->Position().SamePlacement(CPosition()));
  game->Result = "*";

  // A new move after Undo discards what could have been replayed.
  ASSERT_EQ(game->Redo(), 1);
  ASSERT_EQ(Play("b9c7"), 1);
  EXPECT_EQ(game->Record().Current, 1);
  EXPECT_EQ(game->Record().Length, game->Record().Current + 1);
  EXPECT_EQ(game->Redo(), 0);
}

TEST_F(GameTest, ComputerMakesTheFirstMoveWhenThePersonPlaysBlack) {
  game->HumanPlaysRed = 0;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  EXPECT_EQ(game->Record().Current, 0);
  EXPECT_EQ(game->RedToMove, 0);
  const CRecordEntry& entry = game->Record()[0];
  EXPECT_EQ(PieceSide[entry.Move.Piece], RED);
  EXPECT_GE(entry.Depth, 0);
  EXPECT_EQ(std::strlen(entry.Notation), 8u);

  // Person against person: nobody answers.
  game->HumanVsHuman = 1;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  EXPECT_EQ(game->Record().Current, -1);
}

TEST_F(GameTest, NewGameFailsOnABadBoard) {
  std::array<int32_t, 256> board {};
  board[SquareOf(7, 7)] = RED_KING;  // outside the palace
  board[SquareOf(3, 7)] = BLACK_KING;
  game->Result = "1-0";
  EXPECT_EQ(game->NewGame(board.data(), 0), 0);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->RedToMove, 0);
}

TEST_F(GameTest, WinningCaptureEndsTheGameWithoutAMove) {
  // Facing kings, red to move: red takes the king, so red has won.
  std::array<int32_t, 256> board {};
  board[SquareOf(12, 7)] = RED_KING;
  board[SquareOf(3, 7)] = BLACK_KING;
  board[SquareOf(9, 3)] = 11;
  game->HumanVsHuman = 1;
  ASSERT_EQ(game->NewGame(board.data(), 1), 1);
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->Record().Current, -1);
}

// Red chariots on d1 and f1 guard d9 and f9, a red pawn on e7 guards e8:
// the black king on e9 has no move.
const char* const kBlackStalemated = "4k4/9/4P4/9/9/9/9/9/3R1R3/3K5 b - - 0 1";
// The same with the colours swapped: red to move, and red has no move.
const char* const kRedStalemated = "3k5/3r1r3/9/9/9/9/9/4p4/9/4K4 w - - 0 1";

TEST_F(GameTest, ComputerWithoutALegalMoveLoses) {
  game->HumanVsHuman = 1;
  ASSERT_EQ(StartFrom(kBlackStalemated), 1);
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->EndReason(), CGameEnd::Stalemate);
  EXPECT_EQ(game->Record().Current, -1);

  ASSERT_EQ(StartFrom(kRedStalemated), 1);
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "0-1");
  EXPECT_EQ(game->EndReason(), CGameEnd::Stalemate);
}

TEST_F(GameTest, PeopleMatingOrStalematingEndTheGame) {
  game->HumanVsHuman = 1;
  // The chariot from b0 to b9 checks along rank 9; the chariot on a8 guards rank 8.
  ASSERT_EQ(StartFrom("4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1"), 1);
  ASSERT_EQ(Play("b0b9"), 1);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->EndReason(), CGameEnd::Checkmate);
  EXPECT_NE(game->EndMessage().find("黑方被将死"), std::string::npos);

  // Black mates red the same way.
  ASSERT_EQ(StartFrom("1r1k5/9/9/9/9/9/9/9/r8/4K4 b - - 0 1"), 1);
  ASSERT_EQ(Play("b9b0"), 1);
  EXPECT_EQ(game->Result, "0-1");
  EXPECT_EQ(game->EndReason(), CGameEnd::Checkmate);

  // The pawn's step to e7 leaves black without a move, not in check.
  ASSERT_EQ(StartFrom("4k4/9/9/4P4/9/9/9/9/3R1R3/3K5 w - - 0 1"), 1);
  ASSERT_EQ(Play("e6e7"), 1);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->EndReason(), CGameEnd::Stalemate);

  // A mate on the last ply the no-capture limit allows stays a mate when the computer is asked.
  ASSERT_EQ(StartFrom("4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1"), 1);
  ASSERT_EQ(Play("b0b9"), 1);
  game->NaturalLimitPlies = 1;
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->EndReason(), CGameEnd::Checkmate);
  game->NaturalLimitPlies = 80;

  // A move that leaves the other side a move goes on.
  ASSERT_EQ(StartFrom("4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1"), 1);
  ASSERT_EQ(Play("b0b8"), 1);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->EndMessage(), "");
}

TEST_F(GameTest, EndReasonFollowsTheResultItExplains) {
  EXPECT_EQ(game->Resign(), 1);
  EXPECT_EQ(game->EndReason(), CGameEnd::Resignation);
  EXPECT_EQ(game->EndMessage(), "红方认输, 黑胜");
  // A result set from outside (the options, a file) has no reason of its own.
  game->Result = "1-0";
  EXPECT_EQ(game->EndReason(), CGameEnd::None);
  EXPECT_EQ(game->EndMessage(), "对局结束, 红胜");
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  EXPECT_EQ(game->EndReason(), CGameEnd::None);
  EXPECT_EQ(GameEndMessage(CGameEnd::NaturalLimit, "1/2-1/2").find("自然限着"), 0u);
  EXPECT_EQ(GameEndMessage(CGameEnd::Checkmate, "*"), "");
}

TEST_F(GameTest, ResignAndClearBoard) {
  EXPECT_EQ(game->Resign(), 1);
  EXPECT_EQ(game->Result, "0-1");
  ASSERT_EQ(Play("h2e2"), 1);
  game->Result = "*";
  EXPECT_EQ(game->Resign(), 1);
  EXPECT_EQ(game->Result, "1-0");

  const std::string fen = game->FEN;
  int boardResets = 0;
  game->OnBoardReset = [&boardResets] { ++boardResets; };
  EXPECT_EQ(game->ClearBoard(), 1);
  game->OnBoardReset = nullptr;
  EXPECT_EQ(boardResets, 1);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->EditMode, 1);
  EXPECT_EQ(game->Record().Length, 0);
  EXPECT_EQ(game->Record().Current, -1);
  EXPECT_EQ(game->FEN, fen);
  for (int sq = 0; sq < 256; ++sq) EXPECT_EQ(game->Position().Board[sq], 0);
  game->EditMode = 0;
}

}  // namespace
