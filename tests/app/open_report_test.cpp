// What the desktop program says after 打开: how many moves were read, and
// where and why the reading stopped when it stopped early.
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/larko_doc.h"
#include "app/main_frame.h"
#include "app_test_support.h"

class OpenReportTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  QString Status() { return Frame->statusBar()->currentMessage(); }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
    g_Game->HumanVsHuman = 1;
    Frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(Frame);
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  void wholeFileInTheStatusBar() {
    QVERIFY(Frame->Doc()->OpenDocumentFile(QStringLiteral(TARVO_TEST_DATA_DIR "/games/game01.pgn")));
    QVERIFY(Recorder->Messages.isEmpty());
    QCOMPARE(Status(), QStringLiteral("已读入127步"));
  }

  void partReadSaysWhereAndWhy() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.pgn"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Event \"E\"]\r\n\r\n1. 炮二平五 马8进7\r\n2. 炮二平五\r\n");  // UTF-8 text
    file.close();
    QVERIFY(Frame->Doc()->OpenDocumentFile(path));
    const QString expected = QStringLiteral("已读入2步，第4行停止：“炮二平五”不是该局面的着法");
    QCOMPARE(Recorder->Messages, QStringList {expected});
    QCOMPARE(Status(), expected);
    QCOMPARE(g_Game->Record().Current, 1);
  }

  void failureNamesTheReason() {
    QTemporaryDir dir;
    QVERIFY(!Frame->Doc()->OpenDocumentFile(dir.path()));
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("加载棋谱失败.")});
    QVERIFY2(Status().endsWith(QStringLiteral(": is a folder, not a file of games")), qPrintable(Status()));
  }
};

QTEST_MAIN(OpenReportTest)
#include "open_report_test.moc"
