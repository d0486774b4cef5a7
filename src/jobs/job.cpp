#include "jobs/job.h"

#include <cmath>
#include <cstdio>

CJobError OutOfRange(const std::string& setting, double value, long long min, long long max) {
  CJobError error;
  error.Fault = CJobFault::OutOfRange;
  error.Setting = setting;
  error.Value = value;
  error.Min = min;
  error.Max = max;
  return error;
}

CJobError NoSuchFolder(const std::string& setting, const std::string& path) {
  CJobError error;
  error.Fault = CJobFault::NoSuchFolder;
  error.Setting = setting;
  error.Path = path;
  return error;
}

namespace {
std::string NumberText(double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  char text[64];
  if (value == std::floor(value) && std::fabs(value) < 1e18)
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  else
    std::snprintf(text, sizeof text, "%g", value);
  return text;
}
}  // namespace

std::string EnglishMessage(const CJobError& error) {
  const std::string what = error.Setting.empty() ? std::string() : error.Setting + ": ";
  const std::string detail = error.Detail.empty() ? std::string() : " (" + error.Detail + ")";
  switch (error.Fault) {
    case CJobFault::None:
      return "";
    case CJobFault::OutOfRange:
      return what + "must be between " + std::to_string(error.Min) + " and " + std::to_string(error.Max) +
             " (got " + NumberText(error.Value) + ")";
    case CJobFault::NoSuchFolder:
      return what + "no such folder '" + error.Path + "'";
    case CJobFault::NoInput:
      return what + "nothing to work on in '" + error.Path + "'" + detail;
    case CJobFault::Unreadable:
      return what + "cannot read '" + error.Path + "'" + detail;
    case CJobFault::CannotWrite:
      return what + "cannot write '" + error.Path + "'" + detail;
    case CJobFault::BadFile:
      return what + "'" + error.Path + "': " + error.Detail;
    case CJobFault::Missing:
      return what + "must not be empty";
    case CJobFault::Failed:
      return what + (error.Detail.empty() ? std::string("failed") : error.Detail);
  }
  return error.Detail;
}
