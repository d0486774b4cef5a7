// The job runner: progress and the end arrive on the interface thread, a
// stop or the runner's end joins the job's thread, and a stopped job's late
// end report never passes for a later job's end.
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>

#include "app/job_runner.h"

class JobRunnerTest : public QObject {
  Q_OBJECT

 private slots:
  void progressAndEndArriveOnTheInterfaceThread() {
    CJobRunner runner;
    QList<long long> done;
    connect(&runner, &CJobRunner::Progress, this, [&](const CJobProgress& progress) {
      QCOMPARE(QThread::currentThread(), qApp->thread());
      done << progress.Done;
    });
    QSignalSpy finished(&runner, &CJobRunner::Finished);
    QVERIFY(runner.Start([](CJobControl& control) {
      for (int i = 1; i <= 3; ++i) control.Report(CJobProgress {i, 3, "f.pgn", 0, 0, 0});
      return QStringLiteral("完成");
    }));
    // The end waits for the interface thread: still running until then.
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!runner.Running());
    QCOMPARE(finished[0][0].toString(), QStringLiteral("完成"));
    QCOMPARE(done, (QList<long long> {1, 2, 3}));
  }

  // The job only stops on a flag of its own, which it clears again once:
  // the nudge is repeated until the job has ended.
  void stopNudgesUntilTheJobEnds() {
    CJobRunner runner;
    std::atomic<int> idle {0};
    std::atomic<bool> ended {false};
    runner.SetStopNudge([&] { idle = 1; });
    QVERIFY(runner.Start([&](CJobControl&) {
      int seen = 0;
      while (seen < 2) {
        if (idle.exchange(0) == 1) ++seen;
        QThread::msleep(1);
      }
      ended = true;
      return QString();
    }));
    runner.Stop();
    QVERIFY(ended);
    QVERIFY(!runner.Running());
  }

  void destructionStopsAndJoins() {
    std::atomic<bool> sawStop {false}, ended {false};
    auto runner = std::make_unique<CJobRunner>();
    QVERIFY(runner->Start([&](CJobControl& control) {
      while (!control.Stopping()) QThread::msleep(1);
      sawStop = true;
      QThread::msleep(50);  // the join must wait for this too
      ended = true;
      return QStringLiteral("never shown");
    }));
    QVERIFY(runner->Running());
    runner.reset();
    QVERIFY(sawStop);
    QVERIFY(ended);
    QCoreApplication::processEvents();  // the late end report finds no runner
  }

  void aStoppedJobsEndIsNotTakenForTheNextOne() {
    CJobRunner runner;
    QSignalSpy finished(&runner, &CJobRunner::Finished);
    QVERIFY(runner.Start([](CJobControl&) { return QStringLiteral("first"); }));
    runner.Stop();  // joined before its end report is handled
    std::atomic<bool> release {false};
    QVERIFY(runner.Start([&](CJobControl&) {
      while (!release) QThread::msleep(1);
      return QStringLiteral("second");
    }));
    QVERIFY(!runner.Start([](CJobControl&) { return QString(); }));  // one job at a time
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);
    QVERIFY(runner.Running());
    release = true;
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toString(), QStringLiteral("second"));
  }
};

QTEST_MAIN(JobRunnerTest)
#include "job_runner_test.moc"
