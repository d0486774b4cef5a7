// The move list beside the board: the moves of a loaded game in numbered
// pairs, the current move marked, a click going back or forward to a move,
// and the menu's check mark following the dock.
#include <QAction>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <fstream>
#include <QtTest>

#include "app/command_ids.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/move_list_dock.h"
#include "app_test_support.h"
#include "common/text_encoding.h"
#include "rules/iccs.h"

class MoveListTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  QTableWidget* Table() { return Frame->MoveList()->Table(); }
  void ClickCell(int row, int column) {
    QTableWidgetItem* item = Table()->item(row, column);
    QVERIFY(item);
    Table()->scrollToItem(item);
    QTest::mouseClick(Table()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Table()->visualItemRect(item).center());
  }
  QString Notation(int ply) {
    return QString::fromStdString(Gb2312ToUtf8(g_Game->Record()[ply].Notation));
  }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
    Frame = CLarkoApp::OpenMainFrame({QStringLiteral(TARVO_TEST_DATA_DIR "/games/game01.pgn")});
    QVERIFY(Frame);
    Frame->resize(1000, 700);
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
    Frame->UpdateCommandUI();
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  void showsTheMovesInPairs() {
    QCOMPARE(g_Game->Record().Length, 127);
    QVERIFY(Frame->MoveList()->isVisible());
    // The starting position, then 64 numbered pairs (the last one red's alone).
    QCOMPARE(Table()->rowCount(), 65);
    QCOMPARE(Table()->item(0, 0)->text(), QStringLiteral("开局"));
    QCOMPARE(Table()->verticalHeaderItem(1)->text(), QStringLiteral("1."));
    QCOMPARE(Table()->item(1, 0)->text(), Notation(0));
    QCOMPARE(Table()->item(1, 1)->text(), Notation(1));
    QCOMPARE(Table()->item(64, 0)->text(), Notation(126));
    QCOMPARE(Table()->item(1, 0)->text().size(), 4);  // four Chinese characters
    QVERIFY(!Table()->item(64, 1));
    // The last move played is marked.
    QCOMPARE(Table()->currentRow(), 64);
    QCOMPARE(Table()->currentColumn(), 0);
  }

  void clickGoesBackAndForward() {
    // The position after ten plies, by undoing from the end.
    const std::string endFen = g_Game->Position().Fen(g_Game->RedToMove);
    while (g_Game->Record().Current > 9) QVERIFY(g_Game->Undo());
    const std::string tenFen = g_Game->Position().Fen(g_Game->RedToMove);
    while (g_Game->Record().Current < 126) QVERIFY(g_Game->Redo());
    Frame->UpdateCommandUI();

    ClickCell(5, 1);  // pair 5, black's move: ply 9
    QCOMPARE(g_Game->Record().Current, 9);
    QCOMPARE(g_Game->Position().Fen(g_Game->RedToMove), tenFen);
    QCOMPARE(g_Game->Record().Length, 127);  // later moves can still be redone
    QVERIFY(Frame->Doc()->IsModified());
    QCOMPARE(Table()->currentRow(), 5);
    QCOMPARE(Table()->currentColumn(), 1);
    // The picture follows.
    QCOMPARE(Frame->View()->Picture().size(), Frame->View()->size());

    ClickCell(64, 0);
    QCOMPARE(g_Game->Record().Current, 126);
    QCOMPARE(g_Game->Position().Fen(g_Game->RedToMove), endFen);

    ClickCell(0, 0);  // 开局
    QCOMPARE(g_Game->Record().Current, -1);
    QCOMPARE(g_Game->Position().Fen(1), g_Game->FEN);
  }

  void followsMovesPlayedOnTheBoard() {
    ResetGame();
    Frame->UpdateCommandUI();
    QCOMPARE(Table()->rowCount(), 1);
    for (const char* iccs : {"h2e2", "h9g7", "h0g2"}) {
      CMove move;
      QVERIFY(MoveFromIccs(g_Game->Position(), iccs, move));
      QVERIFY(g_Game->PlayMove(move, 0));
    }
    Frame->UpdateCommandUI();
    QCOMPARE(Table()->rowCount(), 3);
    QCOMPARE(Table()->item(2, 0)->text(), Notation(2));
    QCOMPARE(Table()->currentRow(), 2);
    QVERIFY(g_Game->Undo());
    Frame->UpdateCommandUI();
    QCOMPARE(Table()->rowCount(), 3);  // the undone move stays to be redone
    QCOMPARE(Table()->currentRow(), 1);
    QCOMPARE(Table()->currentColumn(), 1);
  }

  void noClickWhileEditing() {
    g_Game->EditMode = 1;
    ClickCell(1, 0);
    QCOMPARE(g_Game->Record().Current, 126);
    QCOMPARE(Table()->currentRow(), 64);  // the mark stays on the current move
    g_Game->EditMode = 0;
  }

  void menuCheckFollowsTheDock() {
    QAction* action = Frame->Action(Cmd::MoveList);
    QVERIFY(action->isEnabled());
    QVERIFY(action->isChecked());
    Frame->OnCommand(Cmd::MoveList);
    QVERIFY(Frame->MoveList()->isHidden());
    QVERIFY(!action->isChecked());
    Frame->OnCommand(Cmd::MoveList);
    QVERIFY(Frame->MoveList()->isVisible());
    QVERIFY(action->isChecked());
    // The dock's own close button.
    Frame->MoveList()->close();
    QTRY_VERIFY(!action->isChecked());
  }

  // A file's comments show under the list for the current move; an edited
  // comment is saved with the game.
  void commentsAreShownEditedAndSaved() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("comments.pgn"));
    std::ofstream(path.toStdString()) << "[Event \"comments\"]\n\n"
                                         "1. 炮二平五 {中炮开局} 马８进７\n2. 马二进三 {第二步\r\n两行}\n*\n";
    QVERIFY(Frame->Doc()->OpenDocumentFile(path));
    QCOMPARE(g_Game->Record().Length, 3);
    QPlainTextEdit* box = Frame->MoveList()->CommentBox();
    const std::pair<int, QString> shown[] = {
        {0, QStringLiteral("中炮开局")}, {1, QString()}, {2, QStringLiteral("第二步\n两行")}, {-1, QString()}};
    for (const auto& [ply, text] : shown) {
      QVERIFY(Frame->MoveList()->GoToPly(ply));
      QCOMPARE(box->toPlainText(), text);
      QCOMPARE(box->isReadOnly(), ply < 0);  // the start position has no move to comment
    }
    QVERIFY(!Frame->Doc()->IsModified());

    QVERIFY(Frame->MoveList()->GoToPly(1));
    box->setFocus();
    box->setPlainText(QStringLiteral("黑方跳马"));
    QCOMPARE(g_Game->Record()[1].Comment, Utf8ToGb18030("黑方跳马"));
    QVERIFY(Frame->Doc()->IsModified());
    QVERIFY(Frame->MoveList()->GoToPly(2));
    QVERIFY(Frame->Doc()->OnSaveDocument(path));
    QVERIFY(Frame->Doc()->OpenDocumentFile(path));
    QCOMPARE(g_Game->Record()[0].Comment, Utf8ToGb18030("中炮开局"));
    QCOMPARE(g_Game->Record()[1].Comment, Utf8ToGb18030("黑方跳马"));
    QVERIFY(Frame->MoveList()->GoToPly(1));
    QCOMPARE(box->toPlainText(), QStringLiteral("黑方跳马"));
  }
};

QTEST_MAIN(MoveListTest)
#include "move_list_test.moc"
