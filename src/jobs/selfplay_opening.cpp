#include "jobs/selfplay_opening.h"

#include "engine/opening_book.h"
#include "engine/trans_table.h"
#include "game/game.h"
#include "game/pgn_move_check.h"
#include "rules/move_generator.h"

namespace {

constexpr int kMaxBookCandidates = 64;

bool IsLegalHere(CPosition& position, int redToMove, const CMove& move) {
  return IsPseudoLegal(position, redToMove, move) && !LeavesKingAttacked(position, redToMove, move);
}

// A weighted book pick; false when the book has no legal candidate here.
bool PickBookMove(CPosition& position, int redToMove, const COpeningBook& book, const CTransTable& keys,
                  CSelfPlayRandom& random, CMove& move) {
  const uint64_t lock = keys.LockOf(position);
  BookNode nodes[kMaxBookCandidates];
  const int count = book.Candidates(static_cast<uint32_t>(lock), static_cast<int32_t>(lock >> 32), redToMove,
                                    nodes, kMaxBookCandidates);
  CMove legal[kMaxBookCandidates];
  int64_t weights[kMaxBookCandidates];
  int legalCount = 0;
  int64_t total = 0;
  for (int i = 0; i < count; ++i) {
    const BookNode& node = nodes[i];
    // The book file is outside data: every index is checked before use.
    if (node.Piece < 1 || node.Piece > 32 || !IsPlayable(node.ToRow, node.ToCol) || node.Weight <= 0) continue;
    CMove candidate;
    candidate.Piece = node.Piece;
    candidate.From = position.PieceSquare[node.Piece];
    candidate.To = CSquare {node.ToRow, node.ToCol};
    candidate.Captured = position.Board[candidate.To.Index()];
    if (!IsLegalHere(position, redToMove, candidate)) continue;
    legal[legalCount] = candidate;
    weights[legalCount++] = node.Weight;
    total += node.Weight;
  }
  if (legalCount == 0) return false;
  int64_t draw = static_cast<int64_t>(random.Next() % static_cast<uint64_t>(total));
  int chosen = 0;
  while (draw >= weights[chosen]) draw -= weights[chosen++];
  move = legal[chosen];
  return true;
}

}  // namespace

CSelfPlayRandom::CSelfPlayRandom(int64_t seed, int gameNumber)
    : State((static_cast<uint64_t>(seed) << 32) ^ static_cast<uint32_t>(gameNumber)) {}

uint64_t CSelfPlayRandom::Next() {
  uint64_t z = (State += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int CSelfPlayRandom::Below(int count) {
  return static_cast<int>(((Next() >> 32) * static_cast<uint64_t>(count)) >> 32);
}

bool PickOpeningMove(CGame& game, const COpeningBook& book, const CTransTable& keys, CSelfPlayRandom& random,
                     CMove& move) {
  CPosition& position = game.Position();
  const int redToMove = game.RedToMove;
  if (PickBookMove(position, redToMove, book, keys, random, move)) return true;
  CMoveList all;
  GenerateAllMoves(position, redToMove, all);
  CMove legal[MAX_MOVES];
  int count = 0;
  for (int i = 0; i < all.Count; ++i)
    if (!LeavesKingAttacked(position, redToMove, all.Moves[i])) legal[count++] = all.Moves[i];
  if (count == 0) return false;
  move = legal[random.Below(count)];
  return true;
}

int PlayRandomOpening(CGame& game, const COpeningBook& book, const CTransTable& keys, int plies,
                      CSelfPlayRandom& random) {
  int played = 0;
  for (; played < plies && game.Result == "*"; ++played) {
    CMove move;
    if (!PickOpeningMove(game, book, keys, random, move)) break;
    // The rules of the game hold here too: a random repetition loses.
    if (!game.PlayMove(move, 0)) break;
  }
  return played;
}
