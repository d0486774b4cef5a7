#include "number_option.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

bool ReadIntOption(const std::string& text, long long min, long long max, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || number < min || number > max) return false;
  value = static_cast<int32_t>(number);
  return true;
}

bool ReadFloatOption(const std::string& text, double min, double max, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(number) || number < min || number > max)
    return false;
  value = static_cast<float>(number);
  return true;
}

bool ReadInt32Text(const std::string& text, int32_t& value) {
  return ReadIntOption(text, INT32_MIN, INT32_MAX, value);
}

bool ReadFloatText(const std::string& text, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (*end != '\0') return false;
  value = static_cast<float>(number);
  return true;
}

bool ReadInt64Text(const std::string& text, int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [at, fault] = std::from_chars(text.data(), end, value);
  return fault == std::errc() && at == end && !text.empty();
}
