#include "jobs/setting_range.h"

#include <string>

const CSettingRange* FindSettingRange(CSettingRanges ranges, std::string_view setting) {
  for (const CSettingRange& range : ranges)
    if (range.Setting == setting) return &range;
  return nullptr;
}

CJobError CheckRange(const CSettingRange& range, double value) {
  const std::string name(range.Setting);
  // NaN fails every comparison and is refused with the rest.
  if (range.AboveMin && !(value > static_cast<double>(range.Min)))
    return OutOfRange(name, value, range.Min, range.Max);
  return CheckRange(name, value, range.Min, range.Max);
}

CJobError CheckRange(CSettingRanges ranges, std::string_view setting, double value) {
  if (const CSettingRange* range = FindSettingRange(ranges, setting)) return CheckRange(*range, value);
  CJobError error;
  error.Fault = CJobFault::Failed;
  error.Setting = std::string(setting);
  error.Detail = "the setting has no known range";
  return error;
}

CJobError CheckRanges(std::initializer_list<CSettingCheck> checks) {
  for (const CSettingCheck& check : checks)
    if (CJobError error = CheckRange(check.Setting, check.Value, check.Min, check.Max)) return error;
  return {};
}
