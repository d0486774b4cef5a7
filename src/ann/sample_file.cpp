#include "ann/sample_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>

#include "ann/training_samples.h"

namespace {

// Reads at offset `at` of a mapping of `size` bytes; false past the end.
bool ReadInt(const unsigned char* base, size_t size, size_t at, int32_t& value) {
  if (at > size || size - at < 4) return false;
  std::memcpy(&value, base + at, 4);
  return true;
}

// The non-zero values among count floats, or -1 when one is not a finite number.
int32_t CountNonZero(const unsigned char* bytes, size_t count) {
  int32_t nonZero = 0;
  for (size_t i = 0; i < count; ++i) {
    float value;
    std::memcpy(&value, bytes + 4 * i, 4);
    if (!std::isfinite(value)) return -1;
    nonZero += value != 0.0f;
  }
  return nonZero;
}

}  // namespace

CPatternView CPatternView::Status(int t) const {
  CPatternView one = *this;
  one.StatusCount = 1;
  one.Records = Records + static_cast<size_t>(t) * Stride;
  one.InputCount = CountNonZero(one.Records + 8, (Stride - 8) / 4);
  return one;
}

void CSampleFile::Close() {
  if (Map) ::munmap(Map, Size);
  Map = nullptr;
  Size = 0;
  FilePatternCount = 0;
  Usable.clear();
}

bool CSampleFile::Open(const std::string& path, int count0, int categoryLimit) {
  Close();
  Message.clear();
  NoteLines.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Message = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    Message = "not a regular file";
    return false;
  }
  if (info.st_size < 4) {
    ::close(fd);
    Message = "too short to hold a pattern count";
    return false;
  }
  Size = static_cast<size_t>(info.st_size);
  void* map = ::mmap(nullptr, Size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (map == MAP_FAILED) {
    Size = 0;
    Message = std::string("cannot map: ") + std::strerror(errno);
    return false;
  }
  Map = map;
  ::madvise(Map, Size, MADV_SEQUENTIAL);
  if (!Check(count0, categoryLimit)) {
    Close();
    return false;
  }
  return true;
}

bool CSampleFile::Check(int count0, int categoryLimit) {
  const auto* base = static_cast<const unsigned char*>(Map);
  if (count0 < 1) {
    Message = "the network has no inputs";
    return false;
  }
  const size_t stride = static_cast<size_t>(SampleStatusBytes(count0));
  int32_t patterns = 0;
  ReadInt(base, Size, 0, patterns);
  if (patterns < 0) {
    Message = "negative pattern count " + std::to_string(patterns);
    return false;
  }
  size_t at = 4;
  for (int32_t p = 0; p < patterns; ++p) {
    int32_t statuses = 0;
    if (!ReadInt(base, Size, at, statuses)) {
      Message = "pattern " + std::to_string(p) + " of " + std::to_string(patterns) +
                " runs past the end of the file";
      return false;
    }
    at += 4;
    // A file made for another network says so in its first record.
    int32_t firstInputs = count0;
    if (statuses > 0 && ReadInt(base, Size, at + 4, firstInputs) && firstInputs != count0) {
      Message = "pattern " + std::to_string(p) + " has a status of " +
                std::to_string(firstInputs) + " inputs, the network takes " +
                std::to_string(count0);
      return false;
    }
    // Statuses and the closing Expect must fit in what is left.
    if (statuses < 0 || (Size - at) / stride < static_cast<size_t>(statuses) ||
        Size - at - static_cast<size_t>(statuses) * stride < 4) {
      Message = "pattern " + std::to_string(p) + " (" + std::to_string(statuses) +
                " statuses) runs past the end of the file";
      return false;
    }
    CPatternView view;
    view.StatusCount = statuses;
    view.Records = base + at;
    view.Stride = stride;
    int64_t nonZeroInputs = 0;
    for (int32_t t = 0; t < statuses; ++t) {
      const unsigned char* record = view.Records + static_cast<size_t>(t) * stride;
      int32_t category, inputs;
      std::memcpy(&category, record, 4);
      std::memcpy(&inputs, record + 4, 4);
      if (inputs != count0) {
        Message = "pattern " + std::to_string(p) + " has a status of " + std::to_string(inputs) +
                  " inputs, the network takes " + std::to_string(count0);
        return false;
      }
      if (categoryLimit > 0 && (category < 0 || category >= categoryLimit)) {
        Message = "pattern " + std::to_string(p) + " has a status of category " +
                  std::to_string(category) + ", beyond the " + std::to_string(categoryLimit) +
                  " networks";
        return false;
      }
      const int32_t nonZero = CountNonZero(record + 8, static_cast<size_t>(count0));
      if (nonZero < 0) {
        Message = "pattern " + std::to_string(p) + " has an input that is not a number";
        return false;
      }
      nonZeroInputs += nonZero;
    }
    view.InputCount = static_cast<int32_t>(std::min<int64_t>(nonZeroInputs, INT32_MAX));
    at += static_cast<size_t>(statuses) * stride;
    std::memcpy(&view.Expect, base + at, 4);
    at += 4;
    // A target is an expected result: anything outside 0..1 drives the
    // weights without bound.
    if (!std::isfinite(view.Expect) || view.Expect < 0 || view.Expect > 1) {
      Message = "pattern " + std::to_string(p) + " has a target outside 0..1";
      return false;
    }
    if (statuses > MAX_PATTERN_STATUSES)
      NoteLines.push_back("pattern " + std::to_string(p) + " left out: " +
                          std::to_string(statuses) + " statuses, at most " +
                          std::to_string(MAX_PATTERN_STATUSES) + " are learned");
    else
      Usable.push_back(view);
  }
  if (at != Size) {
    Message = std::to_string(Size - at) + " bytes after the last pattern";
    return false;
  }
  FilePatternCount = patterns;
  return true;
}
