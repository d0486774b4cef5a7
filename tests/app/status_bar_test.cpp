// The status bar tells why a game ended and which data files were set aside
// or replaced.
#include <QStatusBar>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app_test_support.h"
#include "common/exe_path.h"
#include "common/notices.h"

class StatusBarTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  QString Shown() {
    Frame->UpdateCommandUI();
    return Frame->statusBar()->currentMessage();
  }

 private slots:
  void initTestCase() {
    // A damaged network file where start-up looks for it.
    std::filesystem::create_directories(GetExePath() + "ann");
    std::ofstream(GetExePath() + "ann/eval000.ann") << "\nCount0 =91\nnot a network\n";
    StartGameObject();
  }
  void cleanupTestCase() {
    CLarkoApp::DeleteGameObject();
    std::filesystem::remove_all(GetExePath() + "ann");  // with the file kept aside
  }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
    Frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(Frame);
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  void startUpSaysWhichNetworkFileWasReplaced() {
    const QString message = Shown();
    QVERIFY2(message.contains(QStringLiteral("eval000.ann 已损坏，已另存为")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("已换成新的随机网络")), qPrintable(message));
    // Every notice the window shows is worded in Chinese.
    QVERIFY2(!message.contains(QStringLiteral("is damaged")), qPrintable(message));
  }

  void aNoticeFromAnyThreadIsShown() {
    std::thread([] { PostNotice(CNoticeKind::BookReadInPart, "book.tab", "3 of 9 records damaged, dropped"); }).join();
    QCOMPARE(Shown(), QStringLiteral("开局库文件 book.tab 有损坏的记录，已略去，其余照用."));
  }

  void resignationIsNamed() {
    Frame->OnCommand(Cmd::Resign);
    QCOMPARE(Shown(), QStringLiteral("红方认输, 黑胜"));
    // A passing status tip does not lose it.
    Frame->statusBar()->showMessage(QStringLiteral("tip"));
    Frame->statusBar()->clearMessage();
    QCOMPARE(Frame->statusBar()->currentMessage(), QStringLiteral("红方认输, 黑胜"));
  }

  void mateBetweenPeopleEndsTheGameAndSaysSo() {
    g_Game->HumanVsHuman = 1;
    CPosition position;
    int redToMove = 1;
    QVERIFY(position.SetFromFen("4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1", redToMove));
    QVERIFY(g_Game->NewGame(position.Board, redToMove));
    QCOMPARE(Shown(), QStringLiteral("就绪"));
    QVERIFY(g_Game->PlayPieceTo(g_Game->Position().Board[SquareOf(12, 4)], 3, 4, 0));
    QCOMPARE(g_Game->Result, std::string("1-0"));
    QCOMPARE(Shown(), QStringLiteral("黑方被将死, 红胜"));
  }
};

QTEST_MAIN(StatusBarTest)
#include "status_bar_test.moc"
