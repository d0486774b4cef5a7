#pragma once
// Collects the reports an analysis posts from its worker thread, and waits
// (bounded, so a fault fails rather than hangs) for one that passes a test.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "jobs/position_analysis.h"

class CAnalysisWatcher {
 public:
  void Watch(CPositionAnalysis& analysis) {
    analysis.OnReport = [this](const CAnalysisReport& report) {
      std::lock_guard<std::mutex> lock(Mutex);
      Reports.push_back(report);
      Arrived.notify_all();
    };
  }
  template <class Test>
  CAnalysisReport WaitFor(Test test, std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(Mutex);
    const auto found = [&] {
      for (const auto& report : Reports)
        if (test(report)) return true;
      return false;
    };
    EXPECT_TRUE(Arrived.wait_for(lock, limit, found));
    for (const auto& report : Reports)
      if (test(report)) return report;
    return {};
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Reports.size();
  }
  std::vector<CAnalysisReport> Taken() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Reports;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(Mutex);
    Reports.clear();
  }

 private:
  std::mutex Mutex;
  std::condition_variable Arrived;
  std::vector<CAnalysisReport> Reports;
};
