// A tool job's progress and summary in the status bar: the counting of
// results from what the jobs report, and a game training started from the
// window showing its games as they end, and the command that stops it.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/command_ids.h"
#include "app/folder_field.h"
#include "app/game_training_dialog.h"
#include "app/job_progress_text.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app_test_support.h"
#include "jobs/game_training_hooks.h"
#include "jobs/record_checking.h"

class JobStatusTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }

  // The record check's progress: files done, results from red's side.
  void checkProgressIsWorded() {
    CJobProgress checked;
    checked.Done = 5;
    checked.Wins = 2;
    checked.Draws = 1;
    checked.Losses = 1;
    checked.Current = "c/1-0";
    QCOMPARE(ProgressText(RecordCheckWording(), checked),
             QStringLiteral("棋谱检查: 已完成 5 个文件, 红胜 2 和 1 黑胜 1, 当前 c/1-0"));
  }

  // Two short self-play games: each ended game reaches the status bar, the
  // end is summed up there and in a message box, and meanwhile the
  // commands left enabled say that they still work.
  void gameTrainingShowsItsGamesAndItsEnd() {
    CMessageRecorder recorder;
    ResetGame();
    CMainFrame frame;
    QStringList shown;
    connect(frame.statusBar(), &QStatusBar::messageChanged, this,
            [&](const QString& text) { shown << text; });
    QTemporaryDir dir;
    CGameTrainingDialog* dialog = frame.View()->TrainingDialog();
    dialog->RootDir->setText(dir.path());
    dialog->UseOutside->setChecked(false);
    dialog->CullDraw->setChecked(false);
    dialog->MaxTrainCount->setText(QStringLiteral("2"));
    dialog->MaxMoveCount->setText(QStringLiteral("6"));
    dialog->MaxLearnCount->setText(QStringLiteral("1"));
    dialog->AutoSaveCount->setText(QStringLiteral("1000"));  // no snapshot folders
    dialog->accept();
    g_Game->Engine.MaxDepth = 1;
    frame.View()->StartTraining();
    frame.UpdateCommandUI();
    QVERIFY(frame.Action(Cmd::AppExit)->statusTip().contains(QStringLiteral("对局训练进行中")));
    QVERIFY(!frame.Action(Cmd::GameTraining)->isEnabled());
    QVERIFY(!frame.Action(Cmd::GameTraining)->statusTip().contains(QStringLiteral("进行中")));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->IsWorkerRunning(), 60000);
    QVERIFY2(shown.contains(QStringLiteral("对局训练: 已完成 0/2 局")), qPrintable(shown.join('|')));
    bool first = false;
    for (const QString& text : shown) first = first || text.startsWith(QStringLiteral("对局训练: 已完成 1/2 局"));
    QVERIFY2(first, qPrintable(shown.join('|')));
    // Games stopped at the move limit count as draws.
    const QString summary = QStringLiteral("对局训练结束: 共 2 局, 胜 0 和 2 负 0");
    QCOMPARE(frame.statusBar()->currentMessage(), summary);
    QCOMPARE(recorder.Messages, QStringList {summary});
    frame.UpdateCommandUI();
    QCOMPARE(frame.Action(Cmd::AppExit)->statusTip(), QStringLiteral("退出游戏"));
  }

  // 工具 > 中断 is there only while a tool job runs; it stops the game
  // training, joins it and says in the status bar that it was interrupted.
  void stopCommandInterruptsGameTraining() {
    CMessageRecorder recorder;
    ResetGame();
    CMainFrame frame;
    frame.UpdateCommandUI();
    QAction* stop = frame.Action(Cmd::StopJob);
    QVERIFY(stop);
    QCOMPARE(stop->text(), QStringLiteral("中断(&S)"));
    QVERIFY(!stop->isEnabled());
    QTemporaryDir dir;
    CGameTrainingDialog* dialog = frame.View()->TrainingDialog();
    dialog->RootDir->setText(dir.path());
    dialog->UseOutside->setChecked(false);
    dialog->CullDraw->setChecked(false);
    dialog->MaxTrainCount->setText(QStringLiteral("100000"));
    dialog->MaxMoveCount->setText(QStringLiteral("6"));
    dialog->MaxLearnCount->setText(QStringLiteral("1"));
    dialog->AutoSaveCount->setText(QStringLiteral("100000"));
    dialog->accept();
    g_Game->Engine.MaxDepth = 1;
    frame.View()->StartTraining();
    frame.UpdateCommandUI();
    QVERIFY(stop->isEnabled());
    const QRegularExpression playing(QStringLiteral("^对局训练: 已完成 [1-9][0-9]*/100000 局"));
    QTRY_VERIFY_WITH_TIMEOUT(playing.match(frame.statusBar()->currentMessage()).hasMatch(), 60000);
    stop->trigger();
    QVERIFY(!frame.View()->IsWorkerRunning());
    QCOMPARE(g_Game->TrainingIdle.load(), 1);
    const QString shown = frame.statusBar()->currentMessage();
    QVERIFY2(shown.startsWith(QStringLiteral("对局训练已中断: 共 ")), qPrintable(shown));
    QVERIFY(!stop->isEnabled());
    QVERIFY(frame.Action(Cmd::GameTraining)->isEnabled());
    QTest::qWait(50);  // reports still queued at the stop add nothing
    QCOMPARE(frame.statusBar()->currentMessage(), shown);
    // The summary counts every game played (each kept in the folder), also
    // those reported just before the stop.
    const qsizetype saved = QDir(dir.path()).entryList({QStringLiteral("*.pgn")}, QDir::Files).size();
    QCOMPARE(shown.section(QLatin1Char(' '), 2, 2).toLongLong(), saved);
    QVERIFY(recorder.Messages.isEmpty());
  }

  // 棋谱检查 from the window with the real outside engine on a game one move
  // from mate: the status bar follows the file and sums the check up.
  void recordCheckShowsItsFileAndItsEnd() {
    if (!QFile::exists(QStringLiteral("/usr/games/fairy-stockfish"))) QSKIP("fairy-stockfish is not installed");
    CMessageRecorder recorder;
    ResetGame();
    CMainFrame frame;
    QStringList shown;
    connect(frame.statusBar(), &QStatusBar::messageChanged, this, [&](const QString& text) { shown << text; });
    QTemporaryDir dir;
    QFile game(dir.filePath(QStringLiteral("mate.pgn")));
    QVERIFY(game.open(QIODevice::WriteOnly));
    // Red's chariot b0 mates at b9: the other chariot holds rank 8.
    game.write("[Game \"Chinese Chess\"]\r\n[FEN \"3k5/R8/9/9/9/9/9/9/9/1R2K4 w - - 0 1\"]\r\n\r\n");
    game.close();
    frame.View()->StartChecking(dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->IsWorkerRunning(), 60000);
    const QString progress = QStringLiteral("棋谱检查: 已完成 1/1 个文件, 红胜 1 和 0 黑胜 0, 当前 %1")
                                 .arg(dir.filePath(QStringLiteral("mate.pgn")));
    QVERIFY2(shown.contains(progress), qPrintable(shown.join('|')));
    const QString summary = QStringLiteral("棋谱检查结束: 共 1 个文件, 红胜 1 和 0 黑胜 0");
    QCOMPARE(frame.statusBar()->currentMessage(), summary);
    QCOMPARE(recorder.Messages, QStringList {summary});
  }
};

QTEST_MAIN(JobStatusTest)
#include "job_status_test.moc"
