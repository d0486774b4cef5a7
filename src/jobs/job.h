#pragma once
// What every workbench job shares: the request to stop, the progress it
// reports and the refusal of a setting. A job is one entry point that takes
// one settings value; it checks every setting before any work, reports
// through the callbacks of its CJobControl, and looks at the stop request
// between units of work. Front ends fill the settings and word what comes
// back (Chinese in the desktop program, English on the terminal); they keep
// no defaults or checks of their own.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// How far a running job has come.
struct CJobProgress {
  long long Done = 0;   // units finished: files, games, passes
  long long Total = 0;  // units in all; 0 while unknown
  std::string Current;  // the file or item being worked on
  // Game jobs: results so far, from the trained or checked side's view.
  int32_t Wins = 0, Draws = 0, Losses = 0;
};

// Why a job refused to start, or why it failed. Setting names the setting
// exactly as the dialogs label it ("MaxLearnCount", "RootDir", ...); empty
// when the fault is not one setting's.
enum class CJobFault {
  None,
  OutOfRange,      // a number outside [Min, Max]
  NoSuchFolder,    // Path names no folder
  NoInput,         // nothing to work on below Path
  Unreadable,      // Path could not be read
  CannotWrite,     // Path could not be written (full disk, read-only folder)
  BadFile,         // Path holds something the job cannot use (Detail says what)
  Missing,         // a setting that must be given is empty
  Failed,          // anything else; Detail says what
};

struct CJobError {
  CJobFault Fault = CJobFault::None;
  std::string Setting;
  long long Min = 0, Max = 0;  // the range, for OutOfRange
  double Value = 0;            // the value refused, for OutOfRange
  std::string Path;
  std::string Detail;          // English detail from the core, for logs and the terminal

  explicit operator bool() const { return Fault != CJobFault::None; }
};

// A refusal of a number outside [min, max], naming the setting.
CJobError OutOfRange(const std::string& setting, double value, long long min, long long max);
// The first setting outside its range, or no error. Used by the jobs' checks.
inline CJobError CheckRange(const std::string& setting, double value, long long min, long long max) {
  if (!(value >= static_cast<double>(min) && value <= static_cast<double>(max)))
    return OutOfRange(setting, value, min, max);
  return {};
}

// A refusal of a folder setting that names no folder.
CJobError NoSuchFolder(const std::string& setting, const std::string& path);

// The English wording of an error, as the terminal shows it.
std::string EnglishMessage(const CJobError& error);

// The caller's side of a running job: the stop request and the callbacks.
class CJobControl {
 public:
  std::atomic<int> StopRequested {0};
  std::function<void(const CJobProgress&)> OnProgress;
  // A line for the user that is not an error: a skipped file, a note.
  std::function<void(const std::string&)> OnNote;

  void RequestStop() { StopRequested = 1; }
  bool Stopping() const { return StopRequested.load() != 0; }
  void Report(const CJobProgress& progress) const {
    if (OnProgress) OnProgress(progress);
  }
  void Note(const std::string& line) const {
    if (OnNote) OnNote(line);
  }
};
