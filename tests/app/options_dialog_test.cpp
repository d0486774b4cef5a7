// The options dialog: values shown, validation that keeps the dialog open
// with nothing copied, the table size, the halved move limit, cancel.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "board/board_painter.h"

#include "app/options_dialog.h"
#include "app_test_support.h"

class OptionsDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
  }
  void cleanup() { Recorder.reset(); }

  void showsTheGameValues() {
    g_Game->Engine.MaxDepth = 124;
    g_Game->Result = "0-1";
    COptionsDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("游戏选项"));
    QCOMPARE(dialog.Red->text(), QStringLiteral("Player"));
    QCOMPARE(dialog.Black->text(), QStringLiteral("Computer"));
    QCOMPARE(dialog.Result->currentIndex(), 3);
    QCOMPARE(dialog.MaxDepth->text(), QStringLiteral("124"));
    QCOMPARE(dialog.HashEntries->text(), QString::number(g_Game->Engine.TransTable.Count));
    QCOMPARE(dialog.NaturalLimitMoves->text(), QStringLiteral("40"));
    QCOMPARE(dialog.NullMoveMinPieces->text(), QStringLiteral("6"));
    QCOMPARE(dialog.EvalModel->currentIndex(), 1);
    QVERIFY(dialog.HumanPlaysRed->isChecked());
    QVERIFY(!dialog.HumanVsHuman->isChecked());
  }

  void rejectsABadDepthAndCopiesNothing() {
    const int before = g_Game->Engine.MaxDepth;
    COptionsDialog dialog;
    dialog.show();
    dialog.Event->setText(QStringLiteral("全国赛"));
    dialog.MaxDepth->setText(QStringLiteral("200"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.isVisible());
    QCOMPARE(Recorder->Messages.size(), 1);
    QVERIFY(Recorder->Messages[0].contains(QStringLiteral("最大迭代深度")));
    QCOMPARE(dialog.focusWidget(), dialog.MaxDepth);
    QCOMPARE(g_Game->Engine.MaxDepth, before);
    QCOMPARE(g_Game->Event, std::string());
    // Not a number at all.
    dialog.MaxDepth->setText(QStringLiteral("12"));
    dialog.MaxSearchTime->setText(QStringLiteral("-5"));
    dialog.accept();
    QCOMPARE(Recorder->Messages.size(), 2);
    QVERIFY(Recorder->Messages[1].contains(QStringLiteral("最长搜索时间")));
    QCOMPARE(dialog.focusWidget(), dialog.MaxSearchTime);
    QCOMPARE(g_Game->Engine.MaxDepth, before);
  }

  // A time limit of 0 would make the computer forfeit its first move.
  void refusesTimeLimitsBelowOne() {
    const int iterBefore = g_Game->Engine.MaxIterTime;
    const int searchBefore = g_Game->Engine.MaxSearchTime;
    COptionsDialog dialog;
    dialog.show();
    dialog.MaxIterTime->setText(QStringLiteral("0"));
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(Recorder->Messages.size(), 1);
    QCOMPARE(Recorder->Messages[0], QStringLiteral("最大迭代时间: 请输入一个 1 到 4294967295 之间的整数."));
    QCOMPARE(dialog.focusWidget(), dialog.MaxIterTime);
    dialog.MaxIterTime->setText(QStringLiteral("1"));
    dialog.MaxSearchTime->setText(QStringLiteral("0"));
    dialog.accept();
    QCOMPARE(Recorder->Messages.size(), 2);
    QVERIFY(Recorder->Messages[1].startsWith(QStringLiteral("最长搜索时间:")));
    QCOMPARE(g_Game->Engine.MaxIterTime, iterBefore);
    QCOMPARE(g_Game->Engine.MaxSearchTime, searchBefore);
    dialog.MaxSearchTime->setText(QStringLiteral("1"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(g_Game->Engine.MaxIterTime, 1);
    QCOMPARE(g_Game->Engine.MaxSearchTime, 1);
  }

  void acceptCopiesEverything() {
    COptionsDialog dialog;
    dialog.Event->setText(QStringLiteral("全国赛"));
    dialog.Red->setText(QStringLiteral("甲"));
    dialog.Result->setCurrentIndex(2);
    dialog.SearchMode->setCurrentIndex(1);
    dialog.EvalModel->setCurrentIndex(0);
    dialog.MaxDepth->setText(QStringLiteral("7"));
    dialog.MaxIterTime->setText(QStringLiteral("1500"));
    dialog.MaxSearchTime->setText(QStringLiteral("2500"));
    dialog.HashEntries->setText(QStringLiteral("1000000"));
    dialog.NaturalLimitMoves->setText(QStringLiteral("30"));
    dialog.NullMoveMinPieces->setText(QStringLiteral("4"));
    dialog.UseBook->setChecked(false);
    dialog.RandomBook->setChecked(true);
    dialog.HumanPlaysRed->setChecked(false);
    dialog.SpeakMoves->setChecked(false);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(Recorder->Messages.isEmpty());
    const CGame& game = *g_Game;
    QCOMPARE(game.Event, std::string("\xC8\xAB\xB9\xFA\xC8\xFC"));  // GB2312
    QCOMPARE(game.Red, std::string("\xBC\xD7"));
    QCOMPARE(game.Result, std::string("1/2-1/2"));
    QCOMPARE(game.Engine.SearchMode, 1);
    QCOMPARE(game.Engine.Evaluator.EvalModel, 0);
    QCOMPARE(game.Engine.MaxDepth, 7);
    QCOMPARE(game.Engine.MaxIterTime, 1500);
    QCOMPARE(game.Engine.MaxSearchTime, 2500);
    QCOMPARE(game.Engine.TransTable.Count, 524288);
    QCOMPARE(game.NaturalLimitPlies, 60);
    QCOMPARE(game.NullMoveMinPieces, 4);
    QCOMPARE(game.Engine.UseBook, 0);
    QCOMPARE(game.Engine.RandomBook, 1);
    QCOMPARE(game.HumanPlaysRed, 0);
    QCOMPARE(game.SpeakMoves, 0);
    // The next opening shows the table's real size; the board turns at once.
    COptionsDialog again;
    QCOMPARE(again.HashEntries->text(), QStringLiteral("524288"));
    CBoardPainter painter;
    painter.Layout(*g_Game, {0, 0, 640, 580});
    QCOMPARE(painter.Mode, 1);
    // Back to the usual size for the other tests.
    again.HashEntries->setText(QStringLiteral("1048576"));
    again.HumanPlaysRed->setChecked(true);
    again.accept();
    QCOMPARE(g_Game->Engine.TransTable.Count, 1048576);
  }

  void cancelChangesNothing() {
    COptionsDialog dialog;
    dialog.Black->setText(QStringLiteral("nobody"));
    dialog.MaxDepth->setText(QStringLiteral("3"));
    dialog.HumanVsHuman->setChecked(true);
    dialog.reject();
    QCOMPARE(g_Game->Black, std::string("Computer"));
    QCOMPARE(g_Game->Engine.MaxDepth, 2);
    QCOMPARE(g_Game->HumanVsHuman, 0);
  }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
