// The main window end to end on the offscreen platform: start-up with and
// without a file, clicks and the computer's reply, the game commands and
// their availability, the textures, and closing during a search.
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "board/board_painter.h"
#include "app/command_ids.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app_test_support.h"
#include "rules/iccs.h"

namespace {
QString DataFile(const char* name) { return QStringLiteral(TARVO_TEST_DATA_DIR "/") + name; }

std::string BoardPart(const std::string& fen) { return fen.substr(0, fen.find(' ')); }
}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  CLarkoView* View() { return Frame->View(); }

  void Open(const QStringList& files = {}) {
    Frame = CLarkoApp::OpenMainFrame(files);
    QVERIFY(Frame);
    QVERIFY(ShowFrame(*Frame, 800, 700));
  }
  void ClickGrid(int column, int row) { ::ClickGrid(View(), column, row); }
  bool Enabled(int id) {
    Frame->UpdateCommandUI();
    return Frame->Action(id)->isEnabled();
  }
  void WaitForWorkers() { QTRY_VERIFY_WITH_TIMEOUT(!View()->IsWorkerRunning(), 60000); }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  void startsWithANewGame() {
    g_Game->Resign();  // whatever came before is replaced
    Open();
    QCOMPARE(Frame->windowTitle(), QStringLiteral("Unknown - Tarvo"));
    QCOMPARE(g_Game->RedToMove, 1);
    QCOMPARE(g_Game->Result, std::string("*"));
    QVERIFY(std::equal(InitialBoard.begin(), InitialBoard.end(), g_Game->Position().Board));
    QCOMPARE(View()->Picture().size(), View()->size());
    QVERIFY(Frame->minimumSize() == QSize(640, 580));
    QVERIFY(Recorder->Messages.isEmpty());
  }

  void startsWithAGameFile() {
    Open({DataFile("games/game01.pgn")});
    QCOMPARE(Frame->windowTitle(), QStringLiteral("game01.pgn - Tarvo"));
    QCOMPARE(g_Game->Record().Length, 127);
    QCOMPARE(BoardPart(g_Game->Position().Fen(g_Game->RedToMove)),
             std::string("3aka3/9/9/3P5/7r1/9/6R2/4B4/3p2p2/3AKA3"));
    QCOMPARE(g_Game->RedToMove, 0);
    QVERIFY(!LoadRecentFiles().isEmpty());
    QVERIFY(LoadRecentFiles().first().endsWith(QStringLiteral("/game01.pgn")));
  }

  void saveAndReopen() {
    g_Game->HumanVsHuman = 1;
    Open();
    ClickGrid(8, 8);
    ClickGrid(5, 8);
    QVERIFY(Frame->Doc()->IsModified());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.pgn"));
    QVERIFY(Frame->Doc()->OnSaveDocument(path));
    QVERIFY(!Frame->Doc()->IsModified());
    QCOMPARE(Frame->windowTitle(), QStringLiteral("saved.pgn - Tarvo"));
    QVERIFY(Frame->Doc()->OpenDocumentFile(path));
    QCOMPARE(g_Game->Record().Length, 1);
    QVERIFY(Recorder->Messages.isEmpty());
    // A folder that does not exist cannot take the file.
    QVERIFY(!Frame->Doc()->OnSaveDocument(dir.filePath(QStringLiteral("no/such/folder/x.pgn"))));
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("保存棋谱失败.")});
    // A failed open while running keeps the game and its title.
    Recorder->Messages.clear();
    QVERIFY(!Frame->Doc()->OpenDocumentFile(dir.filePath(QStringLiteral("missing.pgn"))));
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("加载棋谱失败.")});
    QCOMPARE(Frame->windowTitle(), QStringLiteral("saved.pgn - Tarvo"));
    QCOMPARE(g_Game->Record().Length, 1);
  }

  // A file that fails in its tag block would leave the board with empty
  // names (":"); the game keeps its names and moves.
  void failedOpenKeepsTheNames() {
    Open({DataFile("games/game01.pgn")});
    const std::string red = g_Game->Red, black = g_Game->Black, fen = g_Game->Position().Fen(1);
    QVERIFY(!red.empty() && !black.empty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.pgn"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Event \"unfinished\"\r\n[Red \"x\"");
    file.close();
    QVERIFY(!Frame->Doc()->OpenDocumentFile(path));
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("加载棋谱失败.")});
    QCOMPARE(g_Game->Red, red);
    QCOMPARE(g_Game->Black, black);
    QCOMPARE(g_Game->Record().Length, 127);
    QCOMPARE(g_Game->Position().Fen(1), fen);
    QCOMPARE(Frame->windowTitle(), QStringLiteral("game01.pgn - Tarvo"));
    // The picture shows the names, not a bare ":".
    View()->Redraw();
    CRecordingCanvas canvas;
    View()->Painter.Paint(canvas, *g_Game, {0, 0, View()->width(), View()->height()});
    for (const auto& text : canvas.Texts()) QVERIFY(text != ":");
  }

  void badFileEndsStartUp() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.pgn"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Event \"unfinished\"\r\n[Red \"x\"");
    file.close();
    for (const QString& name : {path, dir.filePath(QStringLiteral("missing.pgn"))}) {
      Recorder->Messages.clear();
      QVERIFY(!CLarkoApp::OpenMainFrame({name}));
      QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("加载棋谱失败.")});
    }
  }

  void toolbarAndMenus() {
    Open();
    QStringList tips;
    int separators = 0;
    for (QAction* action : Frame->ToolBar()->actions()) {
      if (action->isSeparator()) {
        ++separators;
        continue;
      }
      tips << action->toolTip();
    }
    QCOMPARE(tips, (QStringList {"新建", "打开", "保存", "清空棋盘", "编辑局面", "撤消着法", "恢复着法",
                                 "引擎走棋", "投降认输", "分析", "选项", "关于 Tarvo"}));
    QCOMPARE(separators, 10);
    QCOMPARE(Frame->Action(Cmd::Undo)->statusTip(), QStringLiteral("撤消最后一步着法"));
    QCOMPARE(Frame->Action(Cmd::Undo)->shortcuts().size(), 2);
    QVERIFY(Enabled(Cmd::MoveList));
    QVERIFY(Enabled(Cmd::GameTraining));
    QVERIFY(Enabled(Cmd::Options));
  }

  void personMoveAndComputerReply() {
    Open();
    ClickGrid(8, 8);  // red cannon on h2
    QCOMPARE(View()->Painter.Selected, 3);
    ClickGrid(5, 8);  // to e2
    QCOMPARE(g_Game->Record().Length >= 1, true);
    QVERIFY(Frame->Doc()->IsModified());
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Length, 2);
    QCOMPARE(g_Game->RedToMove, 1);
    QCOMPARE(g_Game->Record()[1].Move.Piece > 16, true);
    QCOMPARE(g_Game->Engine.EngineIdle.load(), 1);
    QVERIFY(View()->IsIdle());
  }

  void blackPieceCannotBeSelected() {
    Open();
    ClickGrid(1, 1);
    QCOMPARE(View()->Painter.Selected, 0);
    ClickGrid(2, 3);  // black cannon
    QCOMPARE(View()->Painter.Selected, 0);
  }

  void clicksDoNothingAfterResigning() {
    Open();
    Frame->OnCommand(Cmd::Resign);
    QCOMPARE(g_Game->Result, std::string("0-1"));
    const QImage before = View()->Picture();
    ClickGrid(8, 8);
    QCOMPARE(View()->Painter.Selected, 0);
    QCOMPARE(View()->Picture(), before);
    QVERIFY(!View()->IsWorkerRunning());
  }

  void undoRedoAvailability() {
    g_Game->HumanVsHuman = 1;
    Open();
    QVERIFY(!Enabled(Cmd::Undo));
    QVERIFY(!Enabled(Cmd::Redo));
    ClickGrid(8, 8);
    ClickGrid(5, 8);
    QCOMPARE(g_Game->Record().Length, 1);
    QVERIFY(Enabled(Cmd::Undo));
    QVERIFY(!Enabled(Cmd::Redo));
    Frame->OnCommand(Cmd::Undo);
    QCOMPARE(g_Game->Record().Current, -1);
    QVERIFY(!Enabled(Cmd::Undo));
    QVERIFY(Enabled(Cmd::Redo));
    Frame->OnCommand(Cmd::Redo);
    QCOMPARE(g_Game->Record().Current, 0);
    QVERIFY(Recorder->Messages.isEmpty());
    // Edit mode leaves only itself and the textures.
    Frame->OnCommand(Cmd::EditMode);
    QVERIFY(Frame->Action(Cmd::EditMode)->isChecked());
    QVERIFY(!Enabled(Cmd::Undo));
    QVERIFY(!Enabled(Cmd::Options));
    QVERIFY(!Enabled(Cmd::FileNew));
    QVERIFY(Enabled(Cmd::TextureStone));
    QVERIFY(Enabled(Cmd::EditMode));
  }

  void clearBoardAndPlaceKings() {
    Open();
    Frame->OnCommand(Cmd::ClearBoard);
    QCOMPARE(g_Game->EditMode, 1);
    for (int piece = 1; piece <= 32; ++piece) QVERIFY(!g_Game->Position().IsOnBoard(piece));
    CBoardPainter& painter = View()->Painter;
    const CPoint redKing = painter.SlotOf(16);
    ClickGrid(redKing.X, redKing.Y);
    QCOMPARE(painter.Selected, 16);
    ClickGrid(5, 10);
    QCOMPARE(g_Game->Position().Board[SquareOf(12, 7)], 16);
    const CPoint blackKing = painter.SlotOf(32);
    ClickGrid(blackKing.X, blackKing.Y);
    ClickGrid(4, 2);  // d9, inside black's palace
    QCOMPARE(g_Game->Position().Board[SquareOf(4, 6)], 32);
    QCOMPARE(g_Game->FEN, std::string("9/3k5/9/9/9/9/9/9/9/4K4 w - - 0 1"));
    QCOMPARE(g_Game->Record().Length, 0);
    QCOMPARE(g_Game->Result, std::string("*"));
  }

  void mirrorTwiceRestores() {
    g_Game->HumanVsHuman = 1;
    Open();
    ClickGrid(8, 8);
    ClickGrid(5, 8);
    const CPosition before = g_Game->Position();
    Frame->OnCommand(Cmd::MirrorHorizontal);
    QVERIFY(!g_Game->Position().SamePlacement(before));
    QCOMPARE(g_Game->Record().Length, 0);
    QCOMPARE(g_Game->FEN, g_Game->Position().Fen(g_Game->RedToMove));
    Frame->OnCommand(Cmd::MirrorVertical);
    QVERIFY(std::equal(std::begin(before.Board), std::end(before.Board), g_Game->Position().Board));
    QCOMPARE(g_Game->Record().Length, 0);
    QCOMPARE(g_Game->RedToMove, 0);
  }

  void textureBackToOakAfterNewGame() {
    Open();
    Frame->OnCommand(Cmd::TexturePaleMarble);
    Frame->UpdateCommandUI();
    QCOMPARE(View()->Painter.Texture, std::string("image/marbpale_2.bmp"));
    QVERIFY(Frame->Action(Cmd::TexturePaleMarble)->isChecked());
    QVERIFY(!Frame->Action(Cmd::TextureOak)->isChecked());
    ClickGrid(8, 8);  // a move: the game changed
    ClickGrid(5, 8);
    WaitForWorkers();
    Frame->OnCommand(Cmd::FileNew);  // the save question is answered No
    QCOMPARE(Recorder->Messages.size(), 1);
    Frame->UpdateCommandUI();
    QCOMPARE(View()->Painter.Texture, std::string("image/oak_bed2_2.bmp"));
    QVERIFY(Frame->Action(Cmd::TextureOak)->isChecked());
    QVERIFY(!Frame->Action(Cmd::TexturePaleMarble)->isChecked());
  }

  void engineMovePlaysBothSides() {
    Open();
    Frame->OnCommand(Cmd::EngineMove);
    // Busy at once, before the search itself begins.
    QVERIFY(!View()->IsIdle());
    QVERIFY(!Enabled(Cmd::EngineMove));
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Length, 2);
    QVERIFY(Enabled(Cmd::EngineMove));
  }

  // 新建 with the person playing black: the computer's first move runs on
  // the reply worker, and the interface thread comes back before it is made.
  void newGameWithComputerToMoveDoesNotBlock() {
    Open();
    g_Game->HumanPlaysRed = 0;
    g_Game->Engine.MaxDepth = 124;
    g_Game->Engine.MaxIterTime = 600000;
    g_Game->Engine.MaxSearchTime = 600000;
    Frame->OnCommand(Cmd::FileNew);
    QVERIFY(View()->IsWorkerRunning());
    QCOMPARE(g_Game->Record().Length, 0);
    QVERIFY(!View()->IsIdle());
    QVERIFY(!Enabled(Cmd::EngineMove));
    // The window still answers: a repaint is served from the last picture.
    View()->repaint();
    View()->StopWorkers();
    QVERIFY(!View()->IsWorkerRunning());
    // A quick search plays the move through the same worker.
    g_Game->Engine.MaxDepth = 2;
    Frame->OnCommand(Cmd::FileNew);
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Length, 1);
    QCOMPARE(g_Game->RedToMove, 0);
    QVERIFY(Enabled(Cmd::EngineMove));
  }

  // Placing a piece in edit mode starts a new game; when the computer is to
  // move its answer runs on the reply worker too.
  void editPlacementLeavesTheComputerMoveToTheWorker() {
    Open();
    Frame->OnCommand(Cmd::ClearBoard);
    CBoardPainter& painter = View()->Painter;
    // Kings, chariots, horses and cannons, placed while the person is to move.
    const int placements[][3] = {{16, 5, 10}, {32, 4, 2}, {1, 1, 10}, {17, 1, 1},
                                 {5, 2, 10},  {21, 2, 1}, {3, 2, 8},  {19, 2, 3}};
    for (const auto& [piece, column, row] : placements) {
      const CPoint slot = painter.SlotOf(piece);
      ClickGrid(slot.X, slot.Y);
      ClickGrid(column, row);
      QCOMPARE(g_Game->Position().Board[painter.GridSquare(column, row)], piece);
    }
    QVERIFY(!View()->IsWorkerRunning());
    // Now the computer plays red, the side to move: the next edit makes a new
    // game whose first move is searched on the reply worker.
    g_Game->HumanPlaysRed = 0;
    g_Game->Engine.MaxDepth = 124;
    g_Game->Engine.MaxIterTime = 600000;
    g_Game->Engine.MaxSearchTime = 600000;
    // The board is turned now (black at the bottom): the black king stands at
    // grid point (6, 9) and moves one file to (4, 9).
    View()->Redraw();
    QCOMPARE(painter.Mode, 1);
    ClickGrid(6, 9);
    ClickGrid(4, 9);
    QVERIFY(View()->IsWorkerRunning());
    QCOMPARE(g_Game->Record().Length, 0);
    View()->StopWorkers();
    QVERIFY(!View()->IsWorkerRunning());
    // The board is read only now: the search makes and unmakes its moves on
    // the game's position while it runs.
    QCOMPARE(g_Game->Position().Board[painter.GridSquare(4, 9)], 32);
  }

  void closingDuringASearchEndsCleanly() {
    Open();
    g_Game->Engine.MaxDepth = 124;
    g_Game->Engine.MaxIterTime = 60000;
    g_Game->Engine.MaxSearchTime = 60000;
    Frame->OnCommand(Cmd::EngineMove);
    QTest::qWait(300);
    QVERIFY(View()->IsWorkerRunning());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(Frame->close());
    QVERIFY(!View()->IsWorkerRunning());
    Frame.reset();
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(g_Game->Engine.EngineIdle.load(), 1);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
