#pragma once
// The text logs of the training jobs: each line appended on its own, so a
// log stays readable while the job runs and after it was stopped. A log that
// cannot be opened loses its lines; the job goes on.
#include <cstdint>
#include <string>

void AppendLog(const std::string& path, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Whole seconds since a GetTick() reading.
int32_t SecondsSince(uint32_t startTick);
