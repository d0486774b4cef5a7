// Network files: the text form in use everywhere and an equivalent binary form
// (little-endian, no header). Both readers refuse a damaged file: an
// unreadable value, truncated weights, a non-finite number, sizes beyond any
// sensible network, or anything but blanks after the last weight. A text file
// that lacks a parameter line loads with that parameter's preset, and says so.
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ann/tdbp_ann.h"
#include "common/file_util.h"
#include "common/int_scan.h"
#include "common/notices.h"

namespace {

struct CFileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<FILE, CFileCloser>;

// The parameter block as read, before the network is created from it.
struct CParameters {
  int32_t Count0 = 0, Count11 = 0, Count12 = 0;
  float Lower = 0, Upper = 0;
  int32_t MaxLearnCount = 0, AutoSaveCount = 0, ThreadCount = 0;
  float Alpha = 0, Lambda = 0;
};

bool CountsFit(const CParameters& p) {
  if (p.Count0 <= 0 || p.Count11 <= 0 || p.Count12 <= 0) return true;  // an empty network
  return p.Count0 <= ANN_MAX_UNITS && p.Count11 <= ANN_MAX_UNITS && p.Count12 <= ANN_MAX_UNITS &&
         static_cast<long long>(p.Count0) * p.Count11 +
                 static_cast<long long>(p.Count11) * p.Count12 <=
             ANN_MAX_WEIGHTS;
}

// Training values a run can use: a negative trace decay or pass count, or a
// learning rate beyond any sensible step, turns every weight into NaN or
// runs without end, so a file that holds one is refused when it is read.
std::string ValueProblem(const CParameters& p) {
  const auto within = [](float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; };
  if (!within(p.Alpha, 0, 10)) return "Alpha=" + std::to_string(p.Alpha) + " is outside 0..10";
  if (!within(p.Lambda, 0, 1)) return "Lambda=" + std::to_string(p.Lambda) + " is outside 0..1";
  if (!within(p.Lower, -1000, 1000) || !within(p.Upper, -1000, 1000) || p.Lower > p.Upper)
    return "Lower/Upper=" + std::to_string(p.Lower) + "/" + std::to_string(p.Upper) + " is no range within -1000..1000";
  if (p.MaxLearnCount < 0) return "MaxLearnCount=" + std::to_string(p.MaxLearnCount) + " is negative";
  if (p.AutoSaveCount < 0) return "AutoSaveCount=" + std::to_string(p.AutoSaveCount) + " is negative";
  if (p.ThreadCount < 0 || p.ThreadCount > 64)
    return "ThreadCount=" + std::to_string(p.ThreadCount) + " is outside 0..64";
  return {};
}

bool ValuesFit(const CParameters& p, const std::string& path) {
  const std::string problem = ValueProblem(p);
  if (problem.empty()) return true;
  PostNotice(path + ": " + problem + "; the network file is not used");
  return false;
}

int CreateFrom(CTdbpAnn& ann, const CParameters& p) {
  return ann.Create(p.Count0, p.Count11, p.Count12, p.Lower, p.Upper, p.MaxLearnCount,
                    p.AutoSaveCount, p.ThreadCount, p.Alpha, p.Lambda);
}

// ---- text ----

// One line of the file without its line end; false at the end of the file or
// on a line too long to be a parameter line.
bool ReadLine(FILE* file, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF && c != '\n') {
    if (line.size() >= 256) return false;
    line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return c != EOF || !line.empty();
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool OnlyBlanks(const char* p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
  return p == end;
}

// The whole text a number, as "%d" or "%e" read it, with blanks around.
bool ParseIntValue(const std::string& text, int32_t& value) {
  const char* p = text.data();
  const char* end = p + text.size();
  return ReadInt32(p, end, value) && OnlyBlanks(p, end);
}

bool ParseFloatValue(const std::string& text, float& value) {
  const char* begin = text.c_str();
  while (IsBlank(*begin)) ++begin;
  if (*begin == '\0') return false;
  char* after = nullptr;
  const float read = std::strtof(begin, &after);
  if (after == begin || !OnlyBlanks(after, text.c_str() + text.size()) || !std::isfinite(read))
    return false;
  value = read;
  return true;
}

// One parameter line of the text form: "Name=value" (blanks allowed before
// "="), and the value a line that is missing takes.
struct CParameterLine {
  const char* Name;
  int32_t CParameters::*Int;
  float CParameters::*Float;
  const char* PresetText;
};

constexpr CParameterLine kParameterLines[] = {
    {"Count0", &CParameters::Count0, nullptr, "0"},
    {"Count11", &CParameters::Count11, nullptr, "0"},
    {"Count12", &CParameters::Count12, nullptr, "0"},
    {"Lower", nullptr, &CParameters::Lower, "0"},
    {"Upper", nullptr, &CParameters::Upper, "0"},
    {"MaxLearnCount", &CParameters::MaxLearnCount, nullptr, "0"},
    {"AutoSaveCount", &CParameters::AutoSaveCount, nullptr, "0"},
    {"ThreadCount", &CParameters::ThreadCount, nullptr, "1"},
    {"Alpha", nullptr, &CParameters::Alpha, "0"},
    {"Lambda", nullptr, &CParameters::Lambda, "0"},
};
constexpr int kParameterCount = sizeof kParameterLines / sizeof kParameterLines[0];

// Reads the parameter lines up to and including the "Weight11s=" line. A
// parameter line that is missing takes its preset (0, and 1 for ThreadCount)
// and is named in missing; a damaged or repeated line, an unknown line, or
// the end of the file before "Weight11s=" fails.
bool ReadParameters(FILE* file, CParameters& p, std::string& missing) {
  p = CParameters {};
  p.ThreadCount = 1;
  bool seen[kParameterCount] = {};
  std::string line;
  for (;;) {
    if (!ReadLine(file, line)) return false;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const size_t nameEnd = line.find_last_not_of(" \t", equals - 1);
    const std::string name =
        equals == 0 || nameEnd == std::string::npos ? "" : line.substr(first, nameEnd + 1 - first);
    const std::string value = line.substr(equals + 1);
    if (name == "Weight11s" && equals == first + name.size()) {
      if (!OnlyBlanks(value.data(), value.data() + value.size())) return false;
      break;
    }
    int index = 0;
    while (index < kParameterCount && name != kParameterLines[index].Name) ++index;
    if (index == kParameterCount || seen[index]) return false;
    seen[index] = true;
    const CParameterLine& entry = kParameterLines[index];
    if (entry.Int ? !ParseIntValue(value, p.*entry.Int) : !ParseFloatValue(value, p.*entry.Float))
      return false;
  }
  for (int i = 0; i < kParameterCount; ++i) {
    if (seen[i]) continue;
    if (!missing.empty()) missing += ", ";
    missing += std::string(kParameterLines[i].Name) + " (" + kParameterLines[i].PresetText + ")";
  }
  return true;
}

// Skips blanks and line ends, then matches the literal text exactly.
bool ScanLiteral(FILE* file, const char* literal) {
  char format[64];
  std::snprintf(format, sizeof format, " %s%%n", literal);
  int matched = -1;
  std::fscanf(file, format, &matched);
  return matched >= 0;
}

// Each weight is "%e;"; the ";" must be there too, so a value cut short at
// the end of a truncated file is not taken for a whole one.
bool ScanWeights(FILE* file, float* weights, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int end = -1;
    if (std::fscanf(file, "%e;%n", &weights[i], &end) != 1 || end < 0 ||
        !std::isfinite(weights[i]))
      return false;
  }
  return true;
}

bool OnlyBlanksLeft(FILE* file) {
  int c;
  while ((c = std::fgetc(file)) != EOF)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  return true;
}

int LoadText(CTdbpAnn& ann, const std::string& path) {
  CFilePtr file(std::fopen(path.c_str(), "r"));
  if (!file) return 0;
  FILE* f = file.get();
  CParameters p;
  std::string missing;
  if (!ReadParameters(f, p, missing) || !CountsFit(p) || !ValuesFit(p, path) || !CreateFrom(ann, p)) {
    ann.Destroy();
    return 0;
  }
  if (!missing.empty()) PostNotice(CNoticeKind::NetworkPresetUsed, path, missing);
  if (ann.IsEmpty()) return 1;  // a count of 0: an empty network, no weights to read

  bool ok = true;
  for (auto& row : ann.Weight11s) ok = ok && ScanWeights(f, row.data(), row.size());
  ok = ok && ScanLiteral(f, "Weight12s=");
  for (auto& row : ann.Weight12s) ok = ok && ScanWeights(f, row.data(), row.size());
  ok = ok && ScanLiteral(f, "Weight2s=") &&
       ScanWeights(f, ann.Weight2s.data(), ann.Weight2s.size()) && OnlyBlanksLeft(f);
  if (!ok) {
    ann.Destroy();
    return 0;
  }
  return 1;
}

bool PrintWeights(FILE* f, const float* weights, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (std::fprintf(f, "%e;", static_cast<double>(weights[i])) < 0) return false;
  return true;
}

int SaveText(const CTdbpAnn& ann, const std::string& path) {
  CAtomicFile file;
  FILE* f = file.Open(path, "w");
  if (!f) return 0;
  std::fprintf(f, "\n");
  std::fprintf(f, "Count0 =%d\n", ann.Count0);
  std::fprintf(f, "Count11=%d\n", ann.Count11);
  std::fprintf(f, "Count12=%d\n", ann.Count12);
  std::fprintf(f, "\n");
  std::fprintf(f, "Lower=%e\n", static_cast<double>(ann.Lower));
  std::fprintf(f, "Upper=%e\n", static_cast<double>(ann.Upper));
  std::fprintf(f, "\n");
  std::fprintf(f, "MaxLearnCount=%d\n", ann.MaxLearnCount);
  std::fprintf(f, "AutoSaveCount=%d\n", ann.AutoSaveCount);
  std::fprintf(f, "\n");
  std::fprintf(f, "ThreadCount=%d\n", ann.ThreadCount);
  std::fprintf(f, "\n");
  std::fprintf(f, "Alpha =%e\n", static_cast<double>(ann.Alpha));
  std::fprintf(f, "Lambda=%e\n", static_cast<double>(ann.Lambda));
  std::fprintf(f, "\n");
  std::fprintf(f, "Weight11s=\n");
  std::fprintf(f, "\n");
  bool ok = true;
  for (const auto& row : ann.Weight11s) ok = ok && PrintWeights(f, row.data(), row.size());
  std::fprintf(f, "\n\n");
  std::fprintf(f, "Weight12s=\n");
  std::fprintf(f, "\n");
  for (const auto& row : ann.Weight12s) ok = ok && PrintWeights(f, row.data(), row.size());
  std::fprintf(f, "\n\n");
  std::fprintf(f, "Weight2s=\n");
  std::fprintf(f, "\n");
  ok = ok && PrintWeights(f, ann.Weight2s.data(), ann.Weight2s.size());
  std::fprintf(f, "\n");
  if (!ok) return 0;  // the temporary file is removed, the target untouched
  return file.Commit();
}

// ---- binary ----

bool ReadWord(FILE* f, uint32_t& word) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, f) != 4) return false;
  word = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

bool ReadInt(FILE* f, int32_t& value) {
  uint32_t word;
  if (!ReadWord(f, word)) return false;
  value = std::bit_cast<int32_t>(word);
  return true;
}

bool ReadFloat(FILE* f, float& value) {
  uint32_t word;
  if (!ReadWord(f, word)) return false;
  value = std::bit_cast<float>(word);
  return std::isfinite(value);
}

bool ReadFloats(FILE* f, float* values, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (!ReadFloat(f, values[i])) return false;
  return true;
}

int LoadBinary(CTdbpAnn& ann, const std::string& path) {
  CFilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;
  FILE* f = file.get();
  CParameters p;
  const bool parameters = ReadInt(f, p.Count0) && ReadInt(f, p.Count11) && ReadInt(f, p.Count12) &&
                          ReadFloat(f, p.Lower) && ReadFloat(f, p.Upper) &&
                          ReadInt(f, p.MaxLearnCount) && ReadInt(f, p.AutoSaveCount) &&
                          ReadInt(f, p.ThreadCount) && ReadFloat(f, p.Alpha) &&
                          ReadFloat(f, p.Lambda);
  if (!parameters || !CountsFit(p) || !ValuesFit(p, path) || !CreateFrom(ann, p)) {
    ann.Destroy();
    return 0;
  }
  if (ann.IsEmpty()) return 1;
  bool ok = true;
  for (auto& row : ann.Weight11s) ok = ok && ReadFloats(f, row.data(), row.size());
  for (auto& row : ann.Weight12s) ok = ok && ReadFloats(f, row.data(), row.size());
  ok = ok && ReadFloats(f, ann.Weight2s.data(), ann.Weight2s.size()) && std::fgetc(f) == EOF;
  if (!ok) {
    ann.Destroy();
    return 0;
  }
  return 1;
}

void AppendWord(std::string& out, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(word >> shift));
}

int SaveBinary(const CTdbpAnn& ann, const std::string& path) {
  std::string out;
  auto put = [&](auto value) { AppendWord(out, std::bit_cast<uint32_t>(value)); };
  put(ann.Count0);
  put(ann.Count11);
  put(ann.Count12);
  put(ann.Lower);
  put(ann.Upper);
  put(ann.MaxLearnCount);
  put(ann.AutoSaveCount);
  put(ann.ThreadCount);
  put(ann.Alpha);
  put(ann.Lambda);
  for (const auto& row : ann.Weight11s)
    for (float w : row) put(w);
  for (const auto& row : ann.Weight12s)
    for (float w : row) put(w);
  for (float w : ann.Weight2s) put(w);
  return WriteFileAtomically(path, out);
}

}  // namespace

int CTdbpAnn::Load(const std::string& path, int binary) {
  const int result = binary ? LoadBinary(*this, path) : LoadText(*this, path);
  WeightsChanged();
  return result;
}

int CTdbpAnn::Save(const std::string& path, int binary) const {
  return binary ? SaveBinary(*this, path) : SaveText(*this, path);
}
