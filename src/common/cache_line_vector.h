#pragma once
// A vector whose storage begins on a cache-line boundary and fills whole
// lines, so what one thread writes into it never shares a line with data
// another thread reads or writes (two cores writing one line take it from
// each other on every write). 128 bytes: the line pairs that the adjacent-
// line prefetcher fetches together count as one.
#include <cstddef>
#include <new>
#include <vector>

inline constexpr std::size_t kCacheLineBytes = 128;

template <typename T>
struct CCacheLineAllocator {
  using value_type = T;

  CCacheLineAllocator() = default;
  template <typename U>
  CCacheLineAllocator(const CCacheLineAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T) - kCacheLineBytes) throw std::bad_array_new_length();
    const std::size_t bytes = (n * sizeof(T) + kCacheLineBytes - 1) / kCacheLineBytes * kCacheLineBytes;
    return static_cast<T*>(::operator new(bytes, std::align_val_t {kCacheLineBytes}));
  }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p, std::align_val_t {kCacheLineBytes}); }

  template <typename U>
  bool operator==(const CCacheLineAllocator<U>&) const noexcept {
    return true;
  }
};

template <typename T>
using CCacheLineVector = std::vector<T, CCacheLineAllocator<T>>;
