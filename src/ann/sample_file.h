#pragma once
// A sample file mapped read-only and walked in place. The whole layout is
// checked against the file's own size before any pattern is handed out, so
// nothing ever reads outside the mapping: a count or record running past
// the end, trailing bytes, a status whose input count differs from the
// network's, a category outside the networks, or a value that is not a
// finite number makes the file unusable. A pattern of more than
// MAX_PATTERN_STATUSES statuses is left out on its own (with a note).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// One pattern inside the mapping.
struct CPatternView {
  int32_t StatusCount = 0;
  const unsigned char* Records = nullptr;  // StatusCount records of Stride bytes
  size_t Stride = 0;
  float Expect = 0;
  // The non-zero inputs of all its statuses (0 when not counted): with
  // StatusCount, how much work learning the pattern is.
  int32_t InputCount = 0;

  int32_t Category(int t) const {
    int32_t value;
    std::memcpy(&value, Records + static_cast<size_t>(t) * Stride, 4);
    return value;
  }
  // The mapping is page-aligned and every field is 4 bytes, so the inputs
  // are aligned floats.
  const float* Inputs(int t) const {
    return reinterpret_cast<const float*>(Records + static_cast<size_t>(t) * Stride + 8);
  }
  // Status t alone, as a pattern of one status with the same target.
  CPatternView Status(int t) const;
};

class CSampleFile {
 public:
  CSampleFile() = default;
  ~CSampleFile() { Close(); }
  CSampleFile(const CSampleFile&) = delete;
  CSampleFile& operator=(const CSampleFile&) = delete;

  // Maps the file and checks it for statuses of count0 inputs; categoryLimit
  // above 0 also requires every category to lie in 0..categoryLimit-1.
  // false with Error set when the file cannot be used (it is then closed).
  bool Open(const std::string& path, int count0, int categoryLimit);
  void Close();

  int32_t PatternCount() const { return FilePatternCount; }  // as the file says
  const std::vector<CPatternView>& Patterns() const { return Usable; }
  const std::string& Error() const { return Message; }
  // One line per pattern left out.
  const std::vector<std::string>& Notes() const { return NoteLines; }

 private:
  bool Check(int count0, int categoryLimit);

  void* Map = nullptr;
  size_t Size = 0;
  int32_t FilePatternCount = 0;
  std::vector<CPatternView> Usable;
  std::string Message;
  std::vector<std::string> NoteLines;
};
