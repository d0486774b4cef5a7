// 工具 > 自对弈: a tiny run through the window writes its records and sums
// them up; values the job refuses keep the dialog open and write nothing.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/command_ids.h"
#include "app/selfplay_dialog.h"
#include "app_test_support.h"

class SelfPlayDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }

  void tinyRunWritesTwoRecords() {
    CMessageRecorder recorder;
    ResetGame();
    CMainFrame frame;
    QStringList shown;
    connect(frame.statusBar(), &QStatusBar::messageChanged, this, [&](const QString& text) { shown << text; });
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("made/here"));  // the job makes it
    CSelfPlayDialog* dialog = frame.View()->SelfPlayDialog();
    QVERIFY(dialog->Games->toolTip().endsWith(QStringLiteral(" 范围: 1 到 999999.")));
    QCOMPARE(dialog->Seed->text(), QString());
    QTimer::singleShot(0, dialog, [&] {
      dialog->OutDir->setText(out);
      dialog->Games->setText(QStringLiteral("2"));
      dialog->AEval->setCurrentIndex(0);
      dialog->ADepth->setText(QStringLiteral("1"));
      dialog->BDepth->setText(QStringLiteral("1"));
      dialog->MaxPlies->setText(QStringLiteral("40"));
      dialog->Seed->setText(QStringLiteral("7"));
      dialog->Threads->setText(QStringLiteral("1"));
      dialog->accept();
    });
    frame.OnCommand(Cmd::SelfPlay);
    QVERIFY(frame.View()->IsSelfPlayRunning());
    QVERIFY(!frame.Action(Cmd::SelfPlay)->isEnabled());
    QVERIFY(frame.Action(Cmd::StopJob)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->IsWorkerRunning(), 120000);
    QVERIFY2(shown.contains(QStringLiteral("自对弈: 文件夹中已完成 0/2 局")), qPrintable(shown.join('|')));
    QCOMPARE(recorder.Messages.size(), 1);
    const QRegularExpression summary(QStringLiteral("^自对弈结束: 文件夹中共 2 局, A 胜 (\\d) 和 (\\d) 负 (\\d)$"));
    const QRegularExpressionMatch match = summary.match(recorder.Messages.first());
    QVERIFY2(match.hasMatch(), qPrintable(recorder.Messages.first()));
    QCOMPARE(match.captured(1).toInt() + match.captured(2).toInt() + match.captured(3).toInt(), 2);
    QCOMPARE(frame.statusBar()->currentMessage(), recorder.Messages.first());
    QCOMPARE(QDir(out).entryList({QStringLiteral("*.pgn")}, QDir::Files),
             (QStringList {QStringLiteral("selfplay_000001.pgn"), QStringLiteral("selfplay_000002.pgn")}));
    // The seed given is offered again.
    QCOMPARE(dialog->Settings().Seed, 7);
  }

  // 中断 joins the run at once; the game in hand is dropped, not written.
  void stopDropsTheGameInHand() {
    CMessageRecorder recorder;
    CMainFrame frame;
    QTemporaryDir dir;
    CSelfPlayDialog* dialog = frame.View()->SelfPlayDialog();
    dialog->OutDir->setText(dir.path());
    dialog->Games->setText(QStringLiteral("2"));
    dialog->ADepth->setText(QStringLiteral("8"));  // no game ends before the stop
    dialog->BDepth->setText(QStringLiteral("8"));
    dialog->MaxPlies->setText(QStringLiteral("1000"));
    dialog->Threads->setText(QStringLiteral("1"));
    dialog->accept();
    frame.View()->StartSelfPlay();
    QTest::qWait(1500);  // the game object is made and the first game begins
    frame.OnCommand(Cmd::StopJob);
    QVERIFY(!frame.View()->IsWorkerRunning());
    const QString line = frame.statusBar()->currentMessage();
    QVERIFY2(QRegularExpression(QStringLiteral("^自对弈已中断: 文件夹中共 0 局, A 胜 0 和 0 负 0"
                                               "(, 未下完的 1 局已丢弃 \\(再次运行时重下\\))?$"))
                 .match(line)
                 .hasMatch(),
             qPrintable(line));
    QTest::qWait(50);  // a late end report must not add a box
    QCOMPARE(recorder.Messages, QStringList {});
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.pgn")}, QDir::Files), QStringList {});
  }

  // The limits start at the job's defaults and what is typed reaches the
  // run's settings, each into its own side.
  void limitFieldsReachTheSettings() {
    CMessageRecorder recorder;
    CMainFrame frame;
    QTemporaryDir dir;
    CSelfPlayDialog* dialog = frame.View()->SelfPlayDialog();
    const CSelfPlaySettings defaults;
    QCOMPARE(dialog->ANodes->text(), QString::number(defaults.A.Nodes));
    QCOMPARE(dialog->BNodes->text(), QString::number(defaults.B.Nodes));
    QCOMPARE(dialog->MoveTime->text(), QString::number(defaults.MoveTime));
    QCOMPARE(dialog->MinDeltaPieceCount->text(), QString::number(defaults.MinDeltaPieceCount));
    QVERIFY(dialog->MoveTime->toolTip().endsWith(QStringLiteral(" 范围: 0 到 3600000.")));
    dialog->OutDir->setText(dir.path());
    dialog->ANodes->setText(QStringLiteral("1000"));
    dialog->BNodes->setText(QStringLiteral("2500"));
    dialog->MoveTime->setText(QStringLiteral("50"));
    dialog->MinDeltaPieceCount->setText(QStringLiteral("5"));
    dialog->accept();
    QCOMPARE(recorder.Messages, QStringList {});
    const CSelfPlaySettings& read = dialog->Settings();
    QCOMPARE(read.A.Nodes, 1000);
    QCOMPARE(read.B.Nodes, 2500);
    QCOMPARE(read.MoveTime, 50);
    QCOMPARE(read.MinDeltaPieceCount, 5);
  }

  // Each refusal names the field as labelled, takes the focus there and
  // leaves the folder unmade.
  void refusedValuesWriteNothing() {
    CMessageRecorder recorder;
    CMainFrame frame;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    CSelfPlayDialog* dialog = frame.View()->SelfPlayDialog();
    dialog->show();
    const struct {
      QLineEdit* Field;
      QString Text, Message;
    } cases[] = {
        {dialog->Games, QStringLiteral("0"), QStringLiteral("局数 必须在 1 到 999999 之间 (现为 0).")},
        {dialog->Games, QStringLiteral("x"), QStringLiteral("局数: 请输入一个整数.")},
        {dialog->OutDir, QString(), QStringLiteral("输出文件夹: 不能为空.")},
        {dialog->ANodes, QStringLiteral("-1"), QStringLiteral("A 节点数 必须在 0 到 2147483647 之间 (现为 -1).")},
        {dialog->BNodes, QStringLiteral("x"), QStringLiteral("B 节点数: 请输入一个整数.")},
        {dialog->MoveTime, QStringLiteral("3600001"),
         QStringLiteral("每步时间(毫秒) 必须在 0 到 3600000 之间 (现为 3600001).")},
        {dialog->MinDeltaPieceCount, QStringLiteral("17"), QStringLiteral("子力差 必须在 0 到 16 之间 (现为 17).")},
    };
    for (const auto& c : cases) {
      recorder.Messages.clear();
      dialog->OutDir->setText(out);
      dialog->Games->setText(QStringLiteral("2"));
      for (QLineEdit* limit : {dialog->ANodes, dialog->BNodes, dialog->MoveTime, dialog->MinDeltaPieceCount})
        limit->setText(QStringLiteral("0"));
      c.Field->setText(c.Text);
      dialog->accept();
      QCOMPARE(recorder.Messages, QStringList {c.Message});
      QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(c.Field));
      QVERIFY(dialog->isVisible());
    }
    dialog->reject();
    QVERIFY(!frame.View()->IsWorkerRunning());
    QVERIFY(!QFileInfo::exists(out));
  }
};

QTEST_MAIN(SelfPlayDialogTest)
#include "selfplay_dialog_test.moc"
