#include "ann/job_log.h"

#include <cstdarg>
#include <cstdio>

#include "common/tick.h"

void AppendLog(const std::string& path, const char* format, ...) {
  FILE* file = std::fopen(path.c_str(), "a+");
  if (!file) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fclose(file);
}

int32_t SecondsSince(uint32_t startTick) {
  return static_cast<int32_t>((GetTick() - startTick) / 1000u);
}
