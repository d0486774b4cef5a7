#include "app/job_runner.h"

#include <chrono>

CJobRunner::CJobRunner(QObject* parent) : QObject(parent) { qRegisterMetaType<CJobProgress>(); }

CJobRunner::~CJobRunner() { Stop(); }

bool CJobRunner::Start(CJob job) {
  if (Running()) return false;
  Control = std::make_unique<CJobControl>();
  Control->OnProgress = [this](const CJobProgress& progress) { emit Progress(progress); };
  Control->OnNote = [this](const std::string& line) { emit Note(QString::fromStdString(line)); };
  Ended = false;
  const unsigned generation = ++Generation;
  Thread = std::thread([this, generation, job = std::move(job)] {
    const QString message = job(*Control);
    Ended = true;
    // Dropped by Qt when the runner is gone by then.
    QMetaObject::invokeMethod(
        this, [this, generation, message] { JoinEnded(generation, message); }, Qt::QueuedConnection);
  });
  return true;
}

void CJobRunner::JoinEnded(unsigned generation, const QString& message) {
  // Stop() may have joined this job already, and another may run now.
  if (generation != Generation || !Running()) return;
  Thread.join();
  emit Finished(message);
}

void CJobRunner::Stop() {
  if (!Running()) return;
  Control->RequestStop();
  while (!Ended) {
    if (StopNudge) StopNudge();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  Thread.join();
}
