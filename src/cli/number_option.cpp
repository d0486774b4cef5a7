#include "number_option.h"

#include <cerrno>
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
