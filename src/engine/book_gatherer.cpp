#include "engine/book_gatherer.h"

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
  IndexOf.clear();
}

void CBookGatherer::Add(const BookNode& node) {
  const CKey key {LockOf(node), node.Piece, node.ToRow, node.ToCol};
  const auto [at, isNew] = IndexOf.try_emplace(key, static_cast<uint32_t>(Nodes.size()));
  if (isNew)
    Nodes.push_back(node);
  else
    Nodes[at->second].Weight = AddWeights(Nodes[at->second].Weight, node.Weight);
}

void CBookGatherer::LayOut(std::vector<BookNode>& out) {
  // A stable sort keeps each lock's moves in the order they first arrived.
  std::stable_sort(Nodes.begin(), Nodes.end(), BeforeInBook);
  out.swap(Nodes);
  Clear();
  Nodes.shrink_to_fit();
}
