#pragma once
// Gathers book nodes during a build without keeping the array sorted: a hash
// map finds the node of a (lock, move) pair, new nodes are kept in the order
// they first arrived, and the book's order is laid out once at the end. The
// result is the array that adding the same nodes one at a time with
// COpeningBook::AddNode gives: locks in book order, each lock's moves in the
// order they first arrived, weights summed.
#include <cstddef>
#include <cstdint>
#include <vector>

struct BookNode;

class CBookGatherer {
 public:
  CBookGatherer();
  ~CBookGatherer();

  void Clear();
  // Adds the node's weight to the node of the same lock and move, or keeps it as new.
  void Add(const BookNode& node);
  size_t Count() const;
  // Replaces `out` with the gathered nodes in book order and empties the gatherer.
  void LayOut(std::vector<BookNode>& out);

 private:
  uint64_t* FindSlot(const BookNode& node, uint64_t hash);
  void Grow();

  std::vector<BookNode> Nodes;  // in order of first arrival
  std::vector<uint64_t> Hashes;  // of each node, for growing without rehashing
  // Open addressing with linear probing, kept at most half full. A slot holds
  // the node's index + 1 in its low half (0: empty) and the high half of the
  // node's hash above it, so most mismatches are seen without visiting Nodes.
  std::vector<uint64_t> Slots;
};
