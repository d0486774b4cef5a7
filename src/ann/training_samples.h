#pragma once
// Training samples: a position as network inputs with its category (a
// status), a game as the list of its statuses with the result it should
// predict (a pattern), and a list of patterns, which is what a sample file
// holds.
//
// Binary sample file, little-endian, no header:
//   int32 PatternCount, then per pattern: int32 StatusCount, then per status
//   int32 Category, int32 Count0, Count0 float32 inputs; then float32 Expect.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The trainers keep work buffers for this many positions, so no pattern may
// hold more statuses.
constexpr int MAX_PATTERN_STATUSES = 600;

class CStatus {
 public:
  CStatus() = default;
  CStatus(int category, int count0) { Create(category, count0); }
  virtual ~CStatus() = default;
  CStatus(const CStatus&) = default;
  CStatus& operator=(const CStatus&) = default;
  CStatus(CStatus&&) noexcept = default;
  CStatus& operator=(CStatus&&) noexcept = default;

  // Zero-filled inputs; a negative category or a count below 1 leaves the
  // status empty (category and count 0). Always 1.
  int Create(int category, int count0);
  int WriteBinary(FILE* file) const;
  int WriteText(FILE* file) const;

  int32_t Category = 0;
  int32_t Count0 = 0;
  std::vector<float> Vectors;
};

class CStatusList {
 public:
  virtual ~CStatusList() = default;
  int Count() const { return static_cast<int>(Statuses.size()); }
  CStatus& GetAt(int index) { return Statuses[static_cast<size_t>(index)]; }
  const CStatus& GetAt(int index) const { return Statuses[static_cast<size_t>(index)]; }
  void Add(const CStatus& status) { Statuses.push_back(status); }
  void Clear() { Statuses.clear(); }
  int WriteBinary(FILE* file) const;
  int WriteText(FILE* file) const;

 private:
  std::vector<CStatus> Statuses;
};

class CPattern {
 public:
  CPattern() = default;
  CPattern(const CStatusList& statuses, float expect) : Statuses(statuses), Expect(expect) {}
  virtual ~CPattern() = default;
  int WriteBinary(FILE* file) const;
  int WriteText(FILE* file) const;

  CStatusList Statuses;
  float Expect = 0.5f;
};

class CPatternList {
 public:
  virtual ~CPatternList() = default;
  int Count() const { return static_cast<int>(Patterns.size()); }
  CPattern& GetAt(int index) { return Patterns[static_cast<size_t>(index)]; }
  const CPattern& GetAt(int index) const { return Patterns[static_cast<size_t>(index)]; }
  void Add(const CPattern& pattern) { Patterns.push_back(pattern); }
  void Add(CPattern&& pattern) { Patterns.push_back(std::move(pattern)); }
  void Clear() { Patterns.clear(); }

  // Binary (binary = 1) or the text dump (0), written through a temporary
  // file renamed over the path. 0 when the file cannot be created or a
  // write fails (the path is then left as it was), else 1.
  int Save(const std::string& path, int binary) const;

 private:
  std::vector<CPattern> Patterns;
};

// Bytes one status of `count0` inputs takes in a sample file.
constexpr long long SampleStatusBytes(int count0) { return 8 + 4LL * count0; }

// A sample-file name that names no existing file: base + extension, or when
// that exists base + "_2" + extension, "_3", ... (a later name sorts after
// the earlier one, so files keep the order they were written in).
std::string UniqueFileName(const std::string& base, const std::string& extension);
// The same name, but claimed: created empty and exclusively, so two
// programs writing into one folder at the same second never pick the same
// file. Empty when no file can be created there.
std::string ClaimUniqueFileName(const std::string& base, const std::string& extension);
