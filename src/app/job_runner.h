#pragma once
// Runs one job at a time on its own thread for a window. The job gets a
// CJobControl: it looks at the stop request and reports progress through
// it. Progress, notes and the end reach the interface thread as queued
// signals, so receivers never run on the job's thread.
//
// The thread is joined exactly once, on the interface thread: when the end
// arrives there (then Finished is emitted), or by Stop(), or by the
// destructor (both silent). Running() stays true until the join.
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "jobs/job.h"

Q_DECLARE_METATYPE(CJobProgress)

class CJobRunner : public QObject {
  Q_OBJECT

 public:
  // Returns the message to show at the end (empty: none).
  using CJob = std::function<QString(CJobControl& control)>;

  explicit CJobRunner(QObject* parent = nullptr);
  ~CJobRunner() override;
  CJobRunner(const CJobRunner&) = delete;
  CJobRunner& operator=(const CJobRunner&) = delete;

  // Starts the job; false (and nothing runs) while another is running.
  bool Start(CJob job);
  bool Running() const { return Thread.joinable(); }
  // Whether a stop was asked of the running job.
  bool Stopping() const { return Control && Control->Stopping(); }

  // Some jobs stop on a flag of their own (the game's idle flags), which a
  // job may clear again after one request: the nudge is repeated until the
  // job has ended.
  void SetStopNudge(std::function<void()> nudge) { StopNudge = std::move(nudge); }
  // Asks the job to stop and joins its thread.
  void Stop();

 signals:
  void Progress(const CJobProgress& progress);
  void Note(const QString& line);
  // The job ended on its own or after a stop; message as the job returned it.
  void Finished(const QString& message);

 private:
  void JoinEnded(unsigned generation, const QString& message);

  std::thread Thread;
  std::unique_ptr<CJobControl> Control;
  std::atomic<bool> Ended {false};
  unsigned Generation = 0;  // tells a late end report of an earlier job apart
  std::function<void()> StopNudge;
};
