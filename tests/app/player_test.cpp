// The window in a player's hands: a move that exposes the mover's own king
// is refused with its reason, the save question comes only for a game that
// changed, and the window opens to fit the screen and as it was left.
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/move_list_dock.h"
#include "app/window_settings.h"
#include "app/command_ids.h"
#include "app_test_support.h"

class PlayerTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  void Open() {
    Frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(Frame);
    Frame->resize(800, 700);
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
    Frame->View()->Redraw();
  }
  // A point of the board by ICCS file (a..i) and rank (0..9), red at the bottom.
  void ClickSquare(char file, int rank) {
    const CPoint p = Frame->View()->Painter.GridPixel(file - 'a' + 1, 10 - rank);
    QTest::mouseClick(Frame->View(), Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
  }
  void SetUp(const char* fen) {
    CPosition position;
    int redToMove = 1;
    QVERIFY(position.SetFromFen(fen, redToMove));
    QVERIFY(g_Game->NewGame(position.Board, redToMove));
  }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
    g_Game->HumanVsHuman = 1;
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  // 帅e0, 车e4, 将e9 and a black rook on a9: the rook leaving the file
  // would leave the two kings facing each other.
  void aMoveExposingTheOwnKingIsRefused() {
    Open();
    SetUp("r3k4/9/9/9/9/4R4/9/9/9/4K4 w");
    Frame->View()->Redraw();
    ClickSquare('e', 4);
    ClickSquare('a', 4);
    QCOMPARE(g_Game->Record().Length, 0);
    QCOMPARE(g_Game->Result, std::string("*"));
    QCOMPARE(g_Game->LastRefusal, CMoveRefusal::LeavesKingAttacked);
    QVERIFY2(Frame->statusBar()->currentMessage().contains(QStringLiteral("将帅受攻击")),
             qPrintable(Frame->statusBar()->currentMessage()));
    QCOMPARE(Frame->View()->Painter.Selected, 0);  // the rook is put back
    // Along the file the rook still shields its king, and may go.
    ClickSquare('e', 4);
    ClickSquare('e', 8);
    QCOMPARE(g_Game->Record().Length, 1);
    QCOMPARE(g_Game->LastRefusal, CMoveRefusal::None);
  }

  void theSaveQuestionComesOnlyForAChangedGame() {
    Open();
    // A click on the empty margin left of the board.
    QTest::mouseClick(Frame->View(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    Frame->Doc()->FileNew();
    QVERIFY2(Recorder->Messages.isEmpty(), qPrintable(Recorder->Messages.join('|')));

    // A failed open changes nothing either.
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.pgn"));
    std::ofstream(bad.toStdString()) << "[Event \"no end\n";
    QVERIFY(!Frame->Doc()->OpenDocumentFile(bad));
    Recorder->Messages.clear();
    Frame->Doc()->FileNew();
    QVERIFY2(Recorder->Messages.isEmpty(), qPrintable(Recorder->Messages.join('|')));

    // A move is a change; taking it back again is none.
    Frame->View()->Redraw();
    ClickSquare('h', 2);
    ClickSquare('e', 2);
    QCOMPARE(g_Game->Record().Length, 1);
    QVERIFY(Frame->Doc()->IsModified());
    QVERIFY(g_Game->Undo());
    QVERIFY(!Frame->Doc()->IsModified());
    QVERIFY(g_Game->Redo());
    Frame->Doc()->FileNew();
    QCOMPARE(Recorder->Messages.size(), 1);
    QVERIFY(Recorder->Messages[0].startsWith(QStringLiteral("是否将更改保存到")));
  }

  // Worked by hand: cells of 9/10 of the largest that fit, at least 48 where
  // 48 fits, plus the chrome (300 x 100 here), centred, never below 640 x 580.
  void aFirstStartFitsTheScreen() {
    struct {
      QRect Available;
      QRect Expected;
    } cases[] = {
        {{0, 0, 1920, 1080}, {234, 58, 1452, 964}},   // fit 81: cells of 72
        {{0, 0, 1366, 768}, {141, 40, 1084, 688}},    // fit 55: cells of 49
        {{0, 0, 1024, 600}, {34, 4, 956, 592}},       // fit 41: all of it, below 48
        {{0, 0, 800, 600}, {2, 10, 796, 580}},        // fit 31: the minimum height
        {{100, 50, 1920, 1080}, {334, 108, 1452, 964}},  // a second screen's offset
    };
    for (const auto& c : cases)
      QCOMPARE(FittedWindowRect(c.Available, QSize(300, 100), QSize(640, 580)), c.Expected);
  }

  void sizePictureAndDocksAreKeptBetweenRuns() {
    QSettings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo")).clear();
    Frame = CLarkoApp::OpenMainFrame({});
    Frame->RestoreSettings();
    // A first start fills the (800 x 600) offscreen screen as far as it goes.
    QVERIFY(Frame->width() > CMainFrame::MIN_WIDTH);
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
    Frame->OnCommand(Cmd::TexturePaleMarble);
    Frame->MoveList()->hide();
    Frame->resize(700, 620);
    QVERIFY(Frame->close());
    Frame.reset();

    Frame = CLarkoApp::OpenMainFrame({});
    QCOMPARE(Frame->View()->Painter.Texture, std::string(CBoardPainter::DEFAULT_TEXTURE));
    Frame->RestoreSettings();
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
    QCOMPARE(Frame->size(), QSize(700, 620));
    QCOMPARE(Frame->View()->Painter.Texture, std::string("image/marbpale_2.bmp"));
    QVERIFY(Frame->MoveList()->isHidden());
    QVERIFY(Frame->Action(Cmd::TexturePaleMarble)->isChecked());
  }
};

QTEST_MAIN(PlayerTest)
#include "player_test.moc"
