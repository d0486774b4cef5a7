#pragma once
// The numeric limits of job settings, kept as data so that the check that
// refuses a value and the text that tells the user the range are read from
// the same entry and cannot disagree.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "jobs/job.h"

struct CSettingRange {
  std::string_view Setting;  // as the dialogs label it
  long long Min = 0, Max = 0;
  // The value must lie above Min rather than at or above it (a rate or a
  // fraction that 0 would switch off).
  bool AboveMin = false;
};

using CSettingRanges = std::span<const CSettingRange>;

// The entry for a setting, or nullptr when the table does not limit it.
const CSettingRange* FindSettingRange(CSettingRanges ranges, std::string_view setting);

// No error when value lies in the range; else the refusal naming the setting.
CJobError CheckRange(const CSettingRange& range, double value);
// The same through a table; a setting missing from the table is a fault of
// the caller and refuses every value.
CJobError CheckRange(CSettingRanges ranges, std::string_view setting, double value);

// A value with its limits written out in place, for a job whose limits no
// dialog shows.
struct CSettingCheck {
  const char* Setting;
  double Value;
  long long Min, Max;
};
// The first value outside its limits, or no error.
CJobError CheckRanges(std::initializer_list<CSettingCheck> checks);
