#include "ann/training_samples.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>

#include "common/file_util.h"

namespace {

bool WriteWord(FILE* file, uint32_t word) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                  static_cast<unsigned char>(word >> 16),
                                  static_cast<unsigned char>(word >> 24)};
  return std::fwrite(bytes, 1, 4, file) == 4;
}

bool WriteInt(FILE* file, int32_t value) { return WriteWord(file, std::bit_cast<uint32_t>(value)); }
bool WriteFloat(FILE* file, float value) { return WriteWord(file, std::bit_cast<uint32_t>(value)); }

}  // namespace

int CStatus::Create(int category, int count0) {
  if (category < 0 || count0 < 1) {
    Category = 0;
    Count0 = 0;
    Vectors.clear();
    return 1;
  }
  Category = category;
  Count0 = count0;
  Vectors.assign(static_cast<size_t>(count0), 0.0f);
  return 1;
}

int CStatus::WriteBinary(FILE* file) const {
  if (!WriteInt(file, Category) || !WriteInt(file, Count0)) return 0;
  if constexpr (std::endian::native == std::endian::little) {
    return std::fwrite(Vectors.data(), sizeof(float), Vectors.size(), file) == Vectors.size();
  }
  for (float value : Vectors)
    if (!WriteFloat(file, value)) return 0;
  return 1;
}

int CStatus::WriteText(FILE* file) const {
  bool ok = std::fprintf(file, "\n") >= 0 && std::fprintf(file, "Category=%d\n", Category) >= 0 &&
            std::fprintf(file, "Count0  =%d\n", Count0) >= 0 && std::fprintf(file, "\n") >= 0 &&
            std::fprintf(file, "Vectors=\n") >= 0 && std::fprintf(file, "\n") >= 0;
  for (float value : Vectors) ok = ok && std::fprintf(file, "%e;", static_cast<double>(value)) >= 0;
  return ok && std::fprintf(file, "\n") >= 0;
}

int CStatusList::WriteBinary(FILE* file) const {
  if (!WriteInt(file, Count())) return 0;
  for (const CStatus& status : Statuses)
    if (!status.WriteBinary(file)) return 0;
  return 1;
}

int CStatusList::WriteText(FILE* file) const {
  bool ok = std::fprintf(file, "\n") >= 0 && std::fprintf(file, "StatusCount=%d\n", Count()) >= 0 &&
            std::fprintf(file, "\n") >= 0;
  for (const CStatus& status : Statuses) ok = ok && status.WriteText(file);
  return ok;
}

int CPattern::WriteBinary(FILE* file) const {
  return Statuses.WriteBinary(file) && WriteFloat(file, Expect);
}

int CPattern::WriteText(FILE* file) const {
  return std::fprintf(file, "\n") >= 0 && Statuses.WriteText(file) && std::fprintf(file, "\n") >= 0 &&
         std::fprintf(file, "Expect=%e\n", static_cast<double>(Expect)) >= 0;
}

int CPatternList::Save(const std::string& path, int binary) const {
  CAtomicFile file;
  FILE* f = file.Open(path, binary ? "wb" : "w");
  if (!f) return 0;
  bool ok;
  if (binary) {
    ok = WriteInt(f, Count());
    for (const CPattern& pattern : Patterns) ok = ok && pattern.WriteBinary(f);
  } else {
    ok = std::fprintf(f, "\n") >= 0 && std::fprintf(f, "PatternCount=%d\n", Count()) >= 0 &&
         std::fprintf(f, "\n") >= 0;
    for (const CPattern& pattern : Patterns) ok = ok && pattern.WriteText(f);
  }
  if (!ok) return 0;  // the temporary file goes, the path stays as it was
  return file.Commit();
}

std::string UniqueFileName(const std::string& base, const std::string& extension) {
  std::string name = base + extension;
  for (int n = 2; ::access(name.c_str(), F_OK) == 0; ++n)
    name = base + "_" + std::to_string(n) + extension;
  return name;
}

std::string ClaimUniqueFileName(const std::string& base, const std::string& extension) {
  std::string name = base + extension;
  for (int n = 2;; ++n) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
    name = base + "_" + std::to_string(n) + extension;
  }
}
