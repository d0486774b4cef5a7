#pragma once
// Gathers book nodes during a build without keeping the array sorted: a hash
// map finds the node of a (lock, move) pair, new nodes are kept in the order
// they first arrived, and the book's order is laid out once at the end. The
// result is the array that adding the same nodes one at a time with
// COpeningBook::AddNode gives: locks in book order, each lock's moves in the
// order they first arrived, weights summed.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
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
  struct CKey {
    uint64_t Lock;
    int32_t Piece, ToRow, ToCol;
    bool operator==(const CKey& other) const {
      return Lock == other.Lock && Piece == other.Piece && ToRow == other.ToRow && ToCol == other.ToCol;
    }
  };
  struct CKeyHash {
    size_t operator()(const CKey& key) const {
      // The locks are random already; fold the move in with an odd multiplier.
      const uint64_t move = static_cast<uint64_t>(static_cast<uint32_t>(key.Piece)) << 40 ^
                            static_cast<uint64_t>(static_cast<uint32_t>(key.ToRow)) << 20 ^
                            static_cast<uint32_t>(key.ToCol);
      return static_cast<size_t>(key.Lock ^ move * 0x9E3779B97F4A7C15ull);
    }
  };

  std::vector<BookNode> Nodes;  // in order of first arrival
  std::unordered_map<CKey, uint32_t, CKeyHash> IndexOf;
};
