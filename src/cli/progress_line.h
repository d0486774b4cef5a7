#pragma once
// Progress of a long job on standard error, so standard output stays
// readable by other programs: on a terminal one line rewritten in place,
// otherwise a plain line at most every few seconds.
#include <chrono>
#include <string>

class CProgressLine {
 public:
  // Total 0 means the number of items is not known beforehand.
  explicit CProgressLine(std::string label, long long total = 0);
  // Shows the count when enough time has passed since the last line.
  void Update(long long done, const std::string& detail = "");
  // Shows the count now, however recently it was shown.
  void ShowNow(long long done, const std::string& detail) { Show(done, detail, false); }
  // Shows the final count, always, and ends the line.
  void Finish(long long done, const std::string& detail = "");
  // Elapsed seconds since construction.
  double Seconds() const;

 private:
  void Show(long long done, const std::string& detail, bool last);

  std::string Label;
  long long Total;
  bool Terminal;
  std::chrono::steady_clock::time_point Start;
  std::chrono::steady_clock::time_point LastShown;
  bool Shown = false;
};
