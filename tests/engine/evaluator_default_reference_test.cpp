// The piece-value model against a plain pass written out here from the model's
// definition: every piece's destinations walked square by square on the board
// (no move tables), attacker and defender lists kept in identity order and
// handed to the public exchange estimate (checked by hand on its own), the
// king tests by the same walk. Every
// position of every third master game of the ICCS collection is scored with
// both sides to move, at the search's leaf ply (evasions searched) and at a
// ply without the evasion search.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/evaluator.h"
#include "engine/search_engine.h"
#include "iccs_positions.h"
#include "test_support.h"
#include "rules/move_generator.h"
#include "rules/move_rules.h"

namespace {

bool OnBoard(int square) { return IsPlayable(RowOf(square), ColOf(square)); }

bool InOwnPalace(int side, int square) {
  const int row = RowOf(square), col = ColOf(square);
  const bool rows = side == RED ? row >= 10 && row <= 12 : row >= 3 && row <= 5;
  return rows && col >= 6 && col <= 8;
}

bool OnOwnHalf(int side, int square) { return side == RED ? RowOf(square) >= 8 : RowOf(square) <= 7; }

// Every square the piece reaches by its movement rules, held by its own
// side or not; kings do not reach each other across the board here.
std::vector<int> Destinations(const CPosition& p, int id) {
  const int from = p.PieceSquare[id].Index();
  const int side = PieceSide[id];
  std::vector<int> to;
  auto addIf = [&](int square, bool allowed) {
    if (OnBoard(square) && allowed) to.push_back(square);
  };
  switch (PieceKind[id]) {
    case CHARIOT:
      for (const int step : {-16, 16, -1, 1})
        for (int sq = from + step; OnBoard(sq); sq += step) {
          to.push_back(sq);
          if (p.Board[sq] != 0) break;
        }
      break;
    case CANNON:
      for (const int step : {-16, 16, -1, 1}) {
        int sq = from + step;
        for (; OnBoard(sq) && p.Board[sq] == 0; sq += step) to.push_back(sq);
        if (!OnBoard(sq)) continue;
        for (sq += step; OnBoard(sq) && p.Board[sq] == 0; sq += step) {
        }
        if (OnBoard(sq)) to.push_back(sq);
      }
      break;
    case HORSE:
      for (const int leg : {-16, 16, -1, 1}) {
        if (!OnBoard(from + leg) || p.Board[from + leg] != 0) continue;
        const int side1 = leg == -16 || leg == 16 ? 1 : 16;
        addIf(from + 2 * leg + side1, true);
        addIf(from + 2 * leg - side1, true);
      }
      break;
    case ELEPHANT:
      for (const int step : {-17, -15, 15, 17})
        addIf(from + 2 * step, OnBoard(from + step) && p.Board[from + step] == 0 && OnOwnHalf(side, from + 2 * step));
      break;
    case ADVISOR:
      for (const int step : {-17, -15, 15, 17}) addIf(from + step, InOwnPalace(side, from + step));
      break;
    case KING:
      for (const int step : {-16, 16, -1, 1}) addIf(from + step, InOwnPalace(side, from + step));
      break;
    case PAWN: {
      addIf(from + (side == RED ? -16 : 16), true);
      const bool crossed = !OnOwnHalf(side, from);
      addIf(from - 1, crossed);
      addIf(from + 1, crossed);
      break;
    }
    default:
      break;
  }
  return to;
}

bool KingsFacePlainly(const CPosition& p) {
  const CSquare red = p.PieceSquare[RED_KING], black = p.PieceSquare[BLACK_KING];
  if (red.IsNone() || black.IsNone() || red.Col != black.Col) return false;
  for (int row = black.Row + 1; row < red.Row; ++row)
    if (p.Board[SquareOf(row, red.Col)] != 0) return false;
  return true;
}

// Does the side reach the other side's king?
bool ReachesKing(const CPosition& p, int side) {
  const CSquare king = p.PieceSquare[EnemyKing[side]];
  if (king.IsNone()) return false;
  if (KingsFacePlainly(p)) return true;
  for (int id = SideIdRange[side][0]; id <= SideIdRange[side][1]; ++id) {
    if (!p.IsOnBoard(id)) continue;
    const std::vector<int> to = Destinations(p, id);
    if (std::find(to.begin(), to.end(), king.Index()) != to.end()) return true;
  }
  return false;
}

int PlainStatic(const CPosition& p, int redToMove, bool inCheck) {
  int control[2] = {0, 0};
  std::array<int, 48> mobility {};
  std::array<std::vector<int>, 48> attackers, defenders;
  for (int id = 1; id <= 32; ++id) {
    if (!p.IsOnBoard(id)) continue;
    const int side = PieceSide[id], kind = PieceKind[id];
    for (const int sq : Destinations(p, id)) {
      if (kind != ELEPHANT && kind != ADVISOR) ++control[side];
      const int other = p.Board[sq];
      if (other == 0) {
        ++mobility[id];
      } else if (PieceSide[other] != side) {
        ++mobility[id];
        attackers[other].push_back(kind);
      } else {
        defenders[other].push_back(kind);
      }
    }
  }
  const int us = redToMove ? RED : BLACK;
  int score = (control[us] - control[1 - us]) * 64 - (inCheck ? 640 : 0);
  for (int id = 1; id <= 32; ++id) {
    if (!p.IsOnBoard(id)) continue;
    const int table = CEvaluator::PieceSquareValue(id, p.PieceSquare[id].Index()) +
                      CEvaluator::MobilityBonus(id, std::min(mobility[id], 23));
    score += us == RED ? table : -table;
    if (attackers[id].empty()) continue;
    const bool own = PieceSide[id] == us;
    // The estimate itself is checked against hand-worked cases; the plain
    // pass checks the lists it is given.
    const int e = CEvaluator::ExchangeEstimate(PieceKind[id], attackers[id].data(),
                                               static_cast<int>(attackers[id].size()), defenders[id].data(),
                                               static_cast<int>(defenders[id].size()), own ? 3 : 2, own ? 5 : 4);
    score += own ? e : -e;
  }
  return score;
}

// King captures, then checks (evasions searched above the evasion ply limit),
// then the static score.
int PlainEvaluate(CPosition& p, int redToMove, int ply) {
  const int us = redToMove ? RED : BLACK;
  if (ReachesKing(p, us)) return MATE_SCORE;
  const bool inCheck = ReachesKing(p, 1 - us);
  if (inCheck) {
    CMoveList list;
    GenerateAllMoves(p, redToMove, list);
    int best = -MATE_SCORE;
    bool anyLegal = false;
    for (int i = 0; i < list.Count; ++i) {
      p.MakeMove(list.Moves[i]);
      if (!ReachesKing(p, 1 - us)) {
        anyLegal = true;
        if (ply > EVASION_PLY_LIMIT) best = std::max(best, -PlainEvaluate(p, redToMove ? 0 : 1, ply - 1));
      }
      p.UnmakeMove(list.Moves[i]);
    }
    if (ply > EVASION_PLY_LIMIT) return best;
    if (!anyLegal) return -MATE_SCORE;
  }
  return PlainStatic(p, redToMove, inCheck);
}

TEST(PieceValueModel, EveryScoreEqualsThePlainPassOnRealGames) {
  const std::vector<CGamePosition> samples = IccsGamePositions(TestDataPath("iccs/master_games_1125.pgn"), 3);
  ASSERT_GT(samples.size(), 25000u);
  CEvaluator evaluator;
  evaluator.EvalModel = EVAL_MODEL_DEFAULT;
  int checks = 0, kingCaptures = 0, attackedPieces = 0;
  for (const CGamePosition& sample : samples) {
    for (const int redToMove : {sample.RedToMove, 1 - sample.RedToMove}) {
      CPosition position = sample.Position;
      if (ReachesKing(position, redToMove ? RED : BLACK)) ++kingCaptures;
      if (ReachesKing(position, redToMove ? BLACK : RED)) ++checks;
      for (const int ply : {127, 100}) {
        const int expected = PlainEvaluate(position, redToMove, ply);
        ASSERT_EQ(evaluator.EvaluatePosition(position, redToMove, ply), expected)
            << position.Fen(redToMove) << " ply " << ply;
        ASSERT_TRUE(position.SamePlacement(sample.Position));
      }
      // The records the model keeps agree with the plain walk's lists.
      evaluator.BuildAttackRecords(position);
      for (int id = 1; id <= 32; ++id) {
        if (!position.IsOnBoard(id)) continue;
        attackedPieces += evaluator.Attacks[id].AttackerCount > 0 ? 1 : 0;
      }
    }
  }
  // The games hold plenty of each case the model treats apart.
  EXPECT_GT(checks, 1000);
  EXPECT_GT(kingCaptures, 1000);
  EXPECT_GT(attackedPieces, 50000);
}

TEST(PieceValueModel, AttackRecordsMatchThePlainWalk) {
  const std::vector<CGamePosition> samples = IccsGamePositions(TestDataPath("iccs/master_games_1125.pgn"), 25);
  ASSERT_GT(samples.size(), 3000u);
  CEvaluator evaluator;
  for (const CGamePosition& sample : samples) {
    const CPosition& p = sample.Position;
    evaluator.BuildAttackRecords(p);
    std::array<std::vector<int>, 48> reach;
    for (int id = 1; id <= 32; ++id)
      if (p.IsOnBoard(id)) reach[id] = Destinations(p, id);
    int control[2] = {0, 0};
    for (int id = 1; id <= 32; ++id) {
      if (!p.IsOnBoard(id)) continue;
      std::vector<int> attackers, defenders;
      for (int other = 1; other <= 32; ++other) {
        const int hits = static_cast<int>(std::count(reach[other].begin(), reach[other].end(), p.PieceSquare[id].Index()));
        for (int i = 0; i < hits; ++i)
          (PieceSide[other] == PieceSide[id] ? defenders : attackers).push_back(PieceKind[other]);
      }
      int mobility = 0;
      for (const int sq : reach[id]) {
        if (PieceKind[id] != ELEPHANT && PieceKind[id] != ADVISOR) ++control[PieceSide[id]];
        if (p.Board[sq] == 0 || PieceSide[p.Board[sq]] != PieceSide[id]) ++mobility;
      }
      const CAttackRecord& record = evaluator.Attacks[id];
      ASSERT_EQ(record.Mobility, mobility) << p.Fen(1) << " id " << id;
      std::vector<int> gotAttackers(record.Attackers, record.Attackers + record.AttackerCount);
      std::vector<int> gotDefenders(record.Defenders, record.Defenders + record.DefenderCount);
      std::sort(attackers.begin(), attackers.end());
      std::sort(defenders.begin(), defenders.end());
      std::sort(gotAttackers.begin(), gotAttackers.end());
      std::sort(gotDefenders.begin(), gotDefenders.end());
      ASSERT_EQ(gotAttackers, attackers) << p.Fen(1) << " id " << id;
      ASSERT_EQ(gotDefenders, defenders) << p.Fen(1) << " id " << id;
    }
    ASSERT_EQ(evaluator.Control[RED], control[RED]) << p.Fen(1);
    ASSERT_EQ(evaluator.Control[BLACK], control[BLACK]) << p.Fen(1);
  }
}

}  // namespace
