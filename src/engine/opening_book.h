#pragma once
// The weighted opening book: (position lock, move) pairs with weights, kept
// sorted by lock (LockHi descending as signed, then LockLo descending as
// unsigned) in memory and in the file book/book.tab.
#include <cstdint>
#include <string>
#include <vector>

struct BookNode {
  uint32_t LockLo = 0;
  int32_t LockHi = 0;
  int32_t Weight = 0;
  int32_t Piece = 0;
  int32_t ToRow = 0;
  int32_t ToCol = 0;
};

class COpeningBook {
 public:
  COpeningBook();  // Reset, then Load from the default path

  int32_t MinWeight = 4;
  int32_t WonWeight = 3;
  int32_t DrawWeight = 1;
  int32_t LossWeight = -1;
  std::vector<BookNode> Nodes;

  void Reset();
  // 1 when the file opened (weights and nodes replaced), 0 otherwise (book
  // unchanged). Damaged records are dropped and reported in LoadWarning.
  int Load(const std::string& path = DefaultPath());
  // 1 when written (through a temporary file and a rename), 0 otherwise.
  int Save(const std::string& path = DefaultPath());
  int AddNode(const BookNode& node);
  // 1 with the move of a candidate of the side to move, or 0.
  int Lookup(uint32_t lockLo, int32_t lockHi, int redToMove, int random, int& piece, int& toRow,
             int& toCol);

  // The candidates Lookup chooses from, in its order (the node the binary
  // search found, then the others of that lock backwards and forwards); at
  // most maxCount are copied. Their count.
  int Candidates(uint32_t lockLo, int32_t lockHi, int redToMove, BookNode* out, int maxCount) const;

  // The candidate a random draw picks: floor(draw * count / 2^31), clamped
  // to 0..count-1 (a negative draw picks the first).
  static int RandomIndex(int32_t draw, int count);

  // What the last Load dropped from a damaged file; empty when it was sound.
  std::string LoadWarning;

  // "<exe dir>book/book.tab"
  static std::string DefaultPath();


 private:
  // Calls visit(index) for each candidate of the side to move at the lock
  // found at `at`, in lookup order.
  template <typename Visit>
  void ForEachCandidate(size_t at, int redToMove, Visit&& visit) const;
};

// a + b, held at the ends of the 32-bit range instead of wrapping round.
inline int32_t AddWeights(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(sum);
}
