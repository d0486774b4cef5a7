#include "rules/perft.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "move_test_helpers.h"
#include "rules/move_rules.h"
#include "test_support.h"

namespace {

struct PerftCase {
  std::string Fen;
  uint64_t Nodes[5] = {1, 0, 0, 0, 0};  // by depth
};

std::vector<PerftCase> LoadPerftCases() {
  std::vector<PerftCase> cases;
  std::ifstream in(TestDataPath("perft.tsv"));
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    PerftCase c;
    std::getline(fields, c.Fen, '\t');
    for (int depth = 1; depth <= 4; ++depth) fields >> c.Nodes[depth];
    cases.push_back(c);
  }
  return cases;
}

// IsAttackingKing as the plain walk over the attacker's pieces, each asked
// whether its own destination list reaches the king's square.
int WalkedIsAttackingKing(const CPosition& p, int attackerIsRed) {
  const int side = attackerIsRed ? RED : BLACK;
  const CSquare target = p.PieceSquare[EnemyKing[side]];
  if (target.IsNone()) return 0;
  for (int id = SideIdRange[side][0]; id <= SideIdRange[side][1]; ++id) {
    const CSquare at = p.PieceSquare[id];
    if (at.IsNone()) continue;
    const int sq = at.Index();
    auto reaches = [&](const uint8_t* list, int n) {
      for (int i = 0; i < n && list[i] != 0; ++i)
        if (list[i] == target.Index()) return true;
      return false;
    };
    auto lineReaches = [&](const uint8_t (&table)[10][1024][2]) {
      const uint8_t* column = table[at.Row - 3][PatternIndex[p.ColBits[at.Col]]];
      const uint8_t* row = table[at.Col - 3][PatternIndex[p.RowBits[at.Row]]];
      for (int i = 0; i < 2; ++i) {
        if (target.Col == at.Col && column[i] == target.Row) return true;
        if (target.Row == at.Row && row[i] == target.Col) return true;
      }
      return false;
    };
    bool hit = false;
    switch (PieceKind[id]) {
      case PAWN: hit = reaches(PawnMoves[side][sq], 3); break;
      case HORSE: hit = reaches(HorseMoves[sq][HorseLegMask(p.Board, sq)], 8); break;
      case CANNON: hit = lineReaches(CannonCaptureLine); break;
      case CHARIOT: hit = lineReaches(ChariotCaptureLine); break;
      case KING:
        hit = at.Col == target.Col && (KingBetweenMask[at.Row * 16 + target.Row] & p.ColBits[at.Col]) == 0;
        break;
      default: break;
    }
    if (hit) return 1;
  }
  return 0;
}

bool SameBits(const CPosition& a, const CPosition& b) {
  return std::memcmp(a.Board, b.Board, sizeof a.Board) == 0 &&
         std::memcmp(static_cast<const void*>(a.PieceSquare), b.PieceSquare, sizeof a.PieceSquare) == 0 &&
         std::memcmp(a.RowBits, b.RowBits, sizeof a.RowBits) == 0 &&
         std::memcmp(a.ColBits, b.ColBits, sizeof a.ColBits) == 0;
}

// Perft by the plain definition, checking at every node that the generators
// agree with each other and with the rule tests, and that make/unmake
// restores every member bit for bit. Nodes at exhaustiveDepth or deeper from
// the leaves also ask IsPseudoLegal and CanMoveTo about every square.
class CCheckingPerft {
 public:
  int ExhaustiveDepth = 2;
  int Failures = 0;

  uint64_t Run(CPosition& p, int redToMove, int depth) {
    if (depth == 0 || Failures > 20) return 1;
    const CPosition before = p;
    CMoveList all, captures, quiets, legal;
    GenerateAllMoves(p, redToMove, all);
    GenerateCaptures(p, redToMove, captures);
    GenerateQuietMoves(p, redToMove, quiets);
    CheckSplit(p, redToMove, all, captures, quiets);
    Expect(IsAttackingKing(p, 1) == WalkedIsAttackingKing(p, 1), p, redToMove, "IsAttackingKing(red)");
    Expect(IsAttackingKing(p, 0) == WalkedIsAttackingKing(p, 0), p, redToMove, "IsAttackingKing(black)");
    for (int i = 0; i < all.Count; ++i) {
      const CMove& m = all.Moves[i];
      Expect(IsPseudoLegal(p, redToMove, m) == 1, p, redToMove, "IsPseudoLegal refuses a generated move");
      Expect(CanMoveTo(p, redToMove, m.Piece, m.To) == 1, p, redToMove, "CanMoveTo refuses a generated move");
    }
    if (depth >= ExhaustiveDepth) CheckEverySquare(p, redToMove, all);

    // Legal = the mover's king not attacked after the move, by the plain walk.
    CMoveList expectedLegal;
    for (int i = 0; i < all.Count; ++i) {
      p.MakeMove(all.Moves[i]);
      if (!WalkedIsAttackingKing(p, redToMove ? 0 : 1)) expectedLegal.Moves[expectedLegal.Count++] = all.Moves[i];
      p.UnmakeMove(all.Moves[i]);
      Expect(SameBits(p, before), p, redToMove, "make/unmake changed the position");
    }
    GenerateLegalMoves(p, redToMove, legal);
    Expect(legal.Count == expectedLegal.Count &&
               std::equal(legal.Moves, legal.Moves + legal.Count, expectedLegal.Moves),
           p, redToMove, "GenerateLegalMoves");
    CMoveList scratch;
    Expect(HasNoLegalMove(p, redToMove, scratch) == (expectedLegal.Count == 0 ? 1 : 0), p, redToMove, "HasNoLegalMove");
    Expect(SameBits(p, before), p, redToMove, "HasNoLegalMove changed the position");

    uint64_t nodes = 0;
    for (int i = 0; i < expectedLegal.Count; ++i) {
      const CMove& m = expectedLegal.Moves[i];
      p.MakeMove(m);
      nodes += Run(p, redToMove ? 0 : 1, depth - 1);
      p.UnmakeMove(m);
      Expect(SameBits(p, before), p, redToMove, "make/unmake over a subtree changed the position");
    }
    return nodes;
  }

 private:
  void Expect(bool ok, const CPosition& p, int redToMove, const char* what) {
    if (ok) return;
    ++Failures;
    ADD_FAILURE() << what << " at " << p.Fen(redToMove);
  }

  // All moves = captures and quiet moves, each group in the same order.
  void CheckSplit(const CPosition& p, int redToMove, const CMoveList& all, const CMoveList& captures,
                  const CMoveList& quiets) {
    int c = 0, q = 0;
    bool ok = all.Count == captures.Count + quiets.Count;
    for (int i = 0; ok && i < all.Count; ++i) {
      const CMove& m = all.Moves[i];
      if (m.Captured != 0) ok = c < captures.Count && captures.Moves[c++] == m;
      else ok = q < quiets.Count && quiets.Moves[q++] == m;
    }
    Expect(ok, p, redToMove, "all moves differ from captures + quiet moves");
  }

  // Every square for every piece of the mover: accepted exactly when generated.
  void CheckEverySquare(const CPosition& p, int redToMove, const CMoveList& all) {
    const int side = redToMove ? RED : BLACK;
    for (int id = SideIdRange[side][0]; id <= SideIdRange[side][1]; ++id) {
      if (!p.IsOnBoard(id)) continue;
      for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
        for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
          const CSquare to {row, col};
          const CMove move {id, p.Board[to.Index()], p.PieceSquare[id], to};
          const int generated = ListHasMove(all, move) ? 1 : 0;
          Expect(IsPseudoLegal(p, redToMove, move) == generated, p, redToMove, "IsPseudoLegal on a square");
          Expect(CanMoveTo(p, redToMove, id, to) == generated, p, redToMove, "CanMoveTo on a square");
          CMove wrongCapture = move;
          wrongCapture.Captured = move.Captured == 0 ? EnemyKing[side] : 0;
          Expect(IsPseudoLegal(p, redToMove, wrongCapture) == 0, p, redToMove, "IsPseudoLegal with a wrong Captured");
          Expect(IsPseudoLegal(p, redToMove ? 0 : 1, move) == 0, p, redToMove, "IsPseudoLegal for the wrong side");
        }
      }
    }
  }
};

class PerftData : public RulesTest {
 protected:
  void CheckDepths(int fromDepth, int toDepth) {
    const auto cases = LoadPerftCases();
    ASSERT_GE(cases.size(), 10u);
    for (const auto& c : cases) {
      int redToMove = 1;
      CPosition position = PositionFromFen(c.Fen.c_str(), redToMove);
      const CPosition before = position;
      for (int depth = fromDepth; depth <= toDepth; ++depth)
        EXPECT_EQ(Perft(position, redToMove, depth), c.Nodes[depth]) << c.Fen << " depth " << depth;
      EXPECT_TRUE(SameBits(position, before)) << c.Fen;
    }
  }

  void CheckWithChecks(int depth) {
    for (const auto& c : LoadPerftCases()) {
      int redToMove = 1;
      CPosition position = PositionFromFen(c.Fen.c_str(), redToMove);
      CCheckingPerft checker;
      EXPECT_EQ(checker.Run(position, redToMove, depth), c.Nodes[depth]) << c.Fen;
      EXPECT_EQ(checker.Failures, 0) << c.Fen;
    }
  }
};

TEST_F(PerftData, CountsMatchToDepthThree) { CheckDepths(1, 3); }

TEST_F(PerftData, CheckedTreesToDepthThree) { CheckWithChecks(3); }

// Many positions, each checked one ply deep: random games from the start
// and from every perft position, the same games on every run.
TEST_F(PerftData, CheckedRandomGames) {
  std::vector<std::string> starts {"rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1"};
  for (const auto& c : LoadPerftCases()) starts.push_back(c.Fen);
  std::mt19937 random(20240611);
  CCheckingPerft checker;
  int nodes = 0;
  for (int game = 0; game < 120; ++game) {
    int redToMove = 1;
    CPosition position = PositionFromFen(starts[game % starts.size()].c_str(), redToMove);
    for (int ply = 0; ply < 200 && checker.Failures == 0; ++ply, ++nodes) {
      checker.ExhaustiveDepth = ply % 16 == 0 ? 1 : 2;
      checker.Run(position, redToMove, 1);
      CMoveList legal;
      GenerateLegalMoves(position, redToMove, legal);
      if (legal.Count == 0) break;
      position.MakeMove(legal.Moves[random() % legal.Count]);
      redToMove = redToMove ? 0 : 1;
    }
  }
  EXPECT_EQ(checker.Failures, 0);
  EXPECT_GT(nodes, 5000);
}

TEST_F(PerftData, DepthZeroIsOneNode) {
  CPosition start;
  EXPECT_EQ(Perft(start, 1, 0), 1u);
}

TEST_F(PerftData, FacingKingsAtTheRootMayBeCaptured) {
  // Every move that leaves the column open leaves red's king attacked; closing
  // the column, stepping aside or taking the other king is legal.
  const CPosition position = PositionWith({{16, 12, 7}, {32, 3, 7}, {1, 7, 3}});
  CPosition p = position;
  CMoveList legal;
  GenerateLegalMoves(p, 1, legal);
  ASSERT_EQ(legal.Count, 4);  // chariot to (7,7), king steps aside twice, king takes king
  EXPECT_TRUE(ListHasMove(legal, (CMove {1, 0, {7, 3}, {7, 7}})));
  EXPECT_TRUE(ListHasMove(legal, (CMove {16, 32, {12, 7}, {3, 7}})));
  EXPECT_EQ(Perft(p, 1, 1), 4u);
}

TEST_F(PerftData, SlowCountsAtDepthFour) { CheckDepths(4, 4); }

TEST_F(PerftData, SlowCheckedTreesToDepthFour) { CheckWithChecks(4); }

}  // namespace
