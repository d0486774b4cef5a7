#include "jobs/book_gatherer.h"

#include <algorithm>

#include "engine/opening_book.h"

namespace {

uint64_t LockOf(const BookNode& node) {
  return static_cast<uint64_t>(static_cast<uint32_t>(node.LockHi)) << 32 | node.LockLo;
}

// Book order: LockHi descending as signed, then LockLo descending as unsigned.
bool BeforeInBook(const BookNode& a, const BookNode& b) {
  if (a.LockHi != b.LockHi) return a.LockHi > b.LockHi;
  return a.LockLo > b.LockLo;
}

}  // namespace

CBookGatherer::CBookGatherer() = default;
CBookGatherer::~CBookGatherer() = default;

size_t CBookGatherer::Count() const { return Nodes.size(); }

void CBookGatherer::Clear() {
  Nodes.clear();
  Hashes.clear();
  Slots.clear();
}

namespace {

bool SameLockAndMove(const BookNode& a, const BookNode& b) {
  return a.LockLo == b.LockLo && a.LockHi == b.LockHi && a.Piece == b.Piece && a.ToRow == b.ToRow &&
         a.ToCol == b.ToCol;
}

uint64_t HashOf(const BookNode& node) {
  // The locks are random already; fold the move in with an odd multiplier.
  const uint64_t move = static_cast<uint64_t>(static_cast<uint32_t>(node.Piece)) << 40 ^
                        static_cast<uint64_t>(static_cast<uint32_t>(node.ToRow)) << 20 ^
                        static_cast<uint32_t>(node.ToCol);
  const uint64_t hash = (LockOf(node) ^ move) * 0x9E3779B97F4A7C15ull;
  return hash ^ hash >> 29;
}

}  // namespace

uint64_t* CBookGatherer::FindSlot(const BookNode& node, uint64_t hash) {
  const size_t mask = Slots.size() - 1;
  const uint64_t tag = hash & 0xFFFFFFFF00000000ull;
  for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
    uint64_t& slot = Slots[at];
    if (slot == 0) return &slot;
    if ((slot & 0xFFFFFFFF00000000ull) == tag && SameLockAndMove(Nodes[(slot & 0xFFFFFFFFu) - 1], node))
      return &slot;
  }
}

void CBookGatherer::Grow() {
  Slots.assign(Slots.empty() ? 65536 : Slots.size() * 2, 0);
  const size_t mask = Slots.size() - 1;
  for (size_t i = 0; i < Nodes.size(); ++i) {
    size_t at = static_cast<size_t>(Hashes[i]) & mask;
    while (Slots[at] != 0) at = (at + 1) & mask;
    Slots[at] = (Hashes[i] & 0xFFFFFFFF00000000ull) | (i + 1);
  }
}

void CBookGatherer::Add(const BookNode& node) {
  if ((Nodes.size() + 1) * 2 > Slots.size()) Grow();
  const uint64_t hash = HashOf(node);
  uint64_t* slot = FindSlot(node, hash);
  if (*slot != 0) {
    BookNode& known = Nodes[(*slot & 0xFFFFFFFFu) - 1];
    known.Weight = AddWeights(known.Weight, node.Weight);
    return;
  }
  Nodes.push_back(node);
  Hashes.push_back(hash);
  *slot = (hash & 0xFFFFFFFF00000000ull) | Nodes.size();
}

void CBookGatherer::LayOut(std::vector<BookNode>& out) {
  // A stable sort keeps each lock's moves in the order they first arrived.
  std::stable_sort(Nodes.begin(), Nodes.end(), BeforeInBook);
  out.swap(Nodes);
  Clear();
  Nodes.shrink_to_fit();
  Hashes.shrink_to_fit();
  Slots.shrink_to_fit();
}
