// The tool dialogs and commands: the folder field, the opening-book dialog
// (a build, a stop that keeps the partial book, closing during a build), the
// batch-training dialog (one pass, a stop at the end of a pass, the
// questions, the live plot), the game-training dialog's kept values, the
// availability of the tool commands and their workers.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/batch_training_dialog.h"
#include "app/book_dialog.h"
#include "app/command_ids.h"
#include "app/folder_field.h"
#include "app/game_training_dialog.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app_test_support.h"
#include "common/exe_path.h"

namespace {
const QString kFolderRefused = QStringLiteral("保存目录非法或该文件夹不存在,请重新选择!");

// A folder holding copies of the first n master games.
void CopyGames(const QString& folder, int n) {
  QDir().mkpath(folder);
  for (int i = 1; i <= n; ++i) {
    const QString name = QStringLiteral("game%1.pgn").arg(i, 2, 10, QLatin1Char('0'));
    QVERIFY(QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/games/") + name, folder + "/" + name));
  }
}

QString BookPath() { return QString::fromStdString(COpeningBook::DefaultPath()); }
}  // namespace

class ToolDialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  QTemporaryDir Work;
  QString Games;

 private slots:
  void initTestCase() {
    StartGameObject();
    Games = Work.filePath(QStringLiteral("games"));
    CopyGames(Games, 2);
  }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
  }
  void cleanup() {
    Recorder.reset();
    SetFolderChooser(nullptr);
  }

  void folderFieldChecksAndTidies() {
    CFolderEdit edit(false);
    edit.setText(Work.filePath(QStringLiteral("no/such")));
    QVERIFY(!edit.CheckFolder());
    QCOMPARE(Recorder->Messages, QStringList {kFolderRefused});
    QCOMPARE(edit.text(), Work.filePath(QStringLiteral("no/such/")));
    QVERIFY(!(edit.setText(QStringLiteral("\\")), edit.CheckFolder()));  // a lone separator
    QCOMPARE(Recorder->Messages.size(), 2);
    // Backslashes and doubled separators of a good folder are tidied.
    QDir().mkpath(Work.filePath(QStringLiteral("a/b")));
    edit.setText(Work.path() + QStringLiteral("//a\\b"));
    QVERIFY(edit.CheckFolder());
    QCOMPARE(edit.text(), Work.filePath(QStringLiteral("a/b/")));
    QCOMPARE(Recorder->Messages.size(), 2);
    // An empty field is left alone where it may be empty.
    CFolderEdit optional(true);
    QVERIFY(optional.CheckFolder());
    QCOMPARE(optional.text(), QString());
  }

  void browseButtonTakesTheChosenFolder() {
    QString titleSeen;
    QString answer = Work.path();
    SetFolderChooser([&](QWidget*, const QString& title, const QString&) {
      titleSeen = title;
      return answer;
    });
    CFolderEdit edit(false);
    edit.setText(QStringLiteral("/tmp/"));
    edit.BrowseButton()->click();
    QCOMPARE(titleSeen, QStringLiteral("请选择分类数据路径"));
    QCOMPARE(edit.text(), Work.path() + "/");
    answer.clear();  // cancelled
    edit.BrowseButton()->click();
    QCOMPARE(edit.text(), Work.path() + "/");
  }

  void bookDialogBuildsFromAFolder() {
    QFile::remove(BookPath());
    g_Game->Engine.Book.MinWeight = 1;
    CBookDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("开局库"));
    QCOMPARE(dialog.MinWeight->text(), QStringLiteral("1"));
    QCOMPARE(dialog.LossWeight->text(), QStringLiteral("-1"));
    QCOMPARE(dialog.RecordFolder->text(), QString::fromStdString(GetExePath() + "case/"));
    dialog.RecordFolder->setText(Games + "/");
    dialog.OnCreate();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("开局库(正在创建...)"));
    // The end comes by itself: one box, the caption back, what was read and kept.
    QTRY_COMPARE_WITH_TIMEOUT(Recorder->Messages, QStringList {QStringLiteral("创建开局库成功.")}, 60000);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("开局库"));
    QVERIFY(!dialog.IsBuilding());
    QVERIFY2(QRegularExpression(QStringLiteral("^读取 2 局, 保留 [1-9][0-9]* 个节点\\.$")).match(dialog.Status->text()).hasMatch(),
             qPrintable(dialog.Status->text()));
    QVERIFY(QFileInfo(BookPath()).size() > 0);
    QVERIFY(g_Game->Engine.Book.Load());
    // A bad weight keeps the dialog idle with the message.
    dialog.WonWeight->setText(QStringLiteral("x"));
    dialog.OnCreate();
    QVERIFY(!dialog.IsBuilding());
    QCOMPARE(Recorder->Messages.last(), QStringLiteral("赢棋权重: 请输入一个整数."));
  }

  // A folder that is no folder is refused before a build, naming the field;
  // one with nothing to read, or a build that keeps no node, fails with one
  // box and the reason in the dialog; the engine's book stays as it was.
  void bookDialogRefusalsAndFailures() {
    const QString empty = Work.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const QString missing = Work.filePath(QStringLiteral("no/such"));
    struct {
      QString Folder;
      QString MinWeight;
      QString Box;
      QString Status;  // empty: the dialog's line is left as it was
    } const cases[] = {
        {missing, QStringLiteral("1"), QStringLiteral("棋谱目录: 文件夹不存在: ") + missing, {}},
        {empty, QStringLiteral("1"), QStringLiteral("创建开局库失败."), QStringLiteral("棋谱目录: ") + empty + QStringLiteral(" 中没有可处理的文件.")},
        {Games, QStringLiteral("1000"), QStringLiteral("创建开局库失败."), QStringLiteral("最小权重: 没有一个节点的权重达到 1000, 原开局库保持不变.")},
    };
    for (const auto& c : cases) {
      Recorder->Messages.clear();
      const size_t nodesBefore = g_Game->Engine.Book.Nodes.size();
      CBookDialog dialog;
      dialog.show();
      dialog.RecordFolder->setText(c.Folder);
      dialog.MinWeight->setText(c.MinWeight);
      dialog.OnCreate();
      QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBuilding(), 60000);
      QTRY_COMPARE(Recorder->Messages, QStringList {c.Box});
      QCOMPARE(dialog.windowTitle(), QStringLiteral("开局库"));
      QCOMPARE(g_Game->Engine.Book.Nodes.size(), nodesBefore);
      QCOMPARE(dialog.Status->text(), c.Status);
      if (c.Status.isEmpty()) QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.RecordFolder));
    }
  }

  // 中断 (and closing the dialog) during a build: the job is joined, the
  // book built so far is saved whole; 中断 reports success in one box,
  // closing shows none.
  void stoppingABuildKeepsThePartialBook() {
    for (bool close : {false, true}) {
      QFile::remove(BookPath());
      std::atomic<int> loaded {0};
      COpeningBook& book = g_Game->Engine.Book;
      // Hold the build after its first game until the stop arrives.
      CBookDialog dialog;
      dialog.AfterProgress = [&](const CJobControl& control) {
        ++loaded;
        while (!control.Stopping()) std::this_thread::yield();
      };
      dialog.MinWeight->setText(QStringLiteral("1"));
      dialog.RecordFolder->setText(Games + "/");
      dialog.show();
      dialog.OnCreate();
      // The progress line: games read of the files found, and the file.
      QTRY_VERIFY_WITH_TIMEOUT(dialog.Status->text().startsWith(QStringLiteral("创建开局库: 已完成 1/2 局, 当前 ")), 60000);
      QVERIFY2(QRegularExpression(QStringLiteral("当前 game0[12]\\.pgn$")).match(dialog.Status->text()).hasMatch(),
               qPrintable(dialog.Status->text()));
      if (close) {
        dialog.close();
      } else {
        dialog.StopButton->click();
      }
      QVERIFY(!dialog.IsBuilding());
      QCOMPARE(dialog.windowTitle(), QStringLiteral("开局库"));
      QCOMPARE(loaded.load(), 1);
      QVERIFY(dialog.Status->text().contains(QStringLiteral("(已中断)")));
      QVERIFY(QFileInfo(BookPath()).size() > 0);
      QVERIFY(book.Load());
      QTest::qWait(50);  // a late end report must not add a box
      QCOMPARE(Recorder->Messages, close ? QStringList {} : QStringList {QStringLiteral("创建开局库成功.")});
      Recorder->Messages.clear();
    }
  }

  void batchDialogStartsWithTheJobsDefaults() {
    const CTdbpAnn& network = g_Game->Engine.Evaluator.AnnList.GetAt(0);
    CBatchTrainingDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("批量训练神经网络评价模型"));
    QCOMPARE(dialog.RootDir->text(), QString());
    QVERIFY(!dialog.CullDraw->isChecked());
    QCOMPARE(dialog.MaxPatternListBytes->text(), QStringLiteral("1073741824"));
    QCOMPARE(dialog.TestOverflowCoeff->text(), QStringLiteral("0.8"));
    QCOMPARE(dialog.StartTdbpAnnIndex->text(), QStringLiteral("-1"));
    QCOMPARE(dialog.MaxRelearnCount->text(), QStringLiteral("10000000"));
    QCOMPARE(dialog.MaxLearnCount->text(), QString::number(network.MaxLearnCount));
    QCOMPARE(dialog.Alpha->text(), QString::number(network.Alpha));
    QCOMPARE(dialog.Upper->text(), QString::number(network.Upper));
    QVERIFY(dialog.CurrRelearnCountBox->isReadOnly());
    // An index outside the list is refused with a message.
    dialog.BasicTdbpAnnIndex->setText(QStringLiteral("5"));
    dialog.OnBasicIndexLeft();
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("BasicTdbpAnnIndex: 请输入一个 0 到 0 之间的整数.")});
    dialog.BasicTdbpAnnIndex->setText(QStringLiteral("0"));
    dialog.Alpha->setText(QStringLiteral("0.5"));
    dialog.OnBasicIndexLeft();
    QCOMPARE(dialog.Alpha->text(), QString::number(network.Alpha));
  }

  // Values the job cannot take are refused by the job before any work, in
  // Chinese, naming the setting; the dialog keeps the focus on its field.
  void batchDialogRefusalsComeFromTheJob() {
    CBatchTrainingDialog dialog;
    struct {
      QLineEdit* Field;
      QString Text;
      QString Message;
    } const cases[] = {
        {dialog.MaxLearnCount, QStringLiteral("-1"), QStringLiteral("MaxLearnCount 必须在 1 到 2147483647 之间 (现为 -1).")},
        {dialog.AutoSaveCount, QStringLiteral("0"), QStringLiteral("AutoSaveCount 必须在 1 到 2147483647 之间 (现为 0).")},
        {dialog.ThreadCount, QStringLiteral("65"), QStringLiteral("ThreadCount 必须在 1 到 64 之间 (现为 65).")},
        {dialog.TestOverflowCoeff, QStringLiteral("0"), QStringLiteral("TestOverflowCoeff 必须在 0 到 1 之间 (现为 0).")},
        // The switches, named as the dialog labels them.
        {dialog.AlphaEnd, QStringLiteral("0"), QStringLiteral("最终学习率 必须在 0 到 10 之间 (现为 0).")},
        {dialog.BatchSize, QStringLiteral("65537"), QStringLiteral("批大小 必须在 1 到 65536 之间 (现为 65537).")},
        {dialog.ShuffleSeed, QStringLiteral("-1"), QStringLiteral("打乱种子 必须在 0 到 4294967295 之间 (现为 -1).")},
        {dialog.SearchDepth, QStringLiteral("9"), QStringLiteral("搜索深度 必须在 0 到 8 之间 (现为 9).")},
        {dialog.ScoreWeight, QStringLiteral("1.5"), QStringLiteral("搜索评分权重 必须在 0 到 1 之间 (现为 1.5).")},
        {dialog.ScoreScale, QStringLiteral("0"), QStringLiteral("评分尺度 必须在 1 到 100000 之间 (现为 0).")},
        // Not a number, and an empty field the job needs.
        {dialog.BatchSize, QStringLiteral("32 games"), QStringLiteral("批大小: 请输入一个整数.")},
        {dialog.SearchDepth, QString(), QStringLiteral("搜索深度: 请输入一个整数.")},
    };
    dialog.show();
    dialog.RootDir->setText(Games + "/");
    for (const auto& c : cases) {
      Recorder->Messages.clear();
      const QString before = c.Field->text();
      c.Field->setText(c.Text);
      dialog.TrainButton->click();
      QVERIFY(!dialog.IsTraining());
      QCOMPARE(Recorder->Messages, QStringList {c.Message});
      QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(c.Field));
      QCOMPARE(dialog.windowTitle(), QStringLiteral("批量训练神经网络评价模型"));
      c.Field->setText(before);
    }
    // A leaf sample without a search is refused on the depth.
    Recorder->Messages.clear();
    dialog.LeafPositions->setChecked(true);
    dialog.TrainButton->click();
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("搜索深度 必须在 1 到 8 之间 (现为 0).")});
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.SearchDepth));
    dialog.LeafPositions->setChecked(false);
    // An empty RootDir names the field too.
    Recorder->Messages.clear();
    dialog.RootDir->setText(QString());
    dialog.TrainButton->click();
    QVERIFY(!dialog.IsTraining());
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("RootDir: 文件夹不存在: ")});
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.RootDir));
  }

  // Left as they open, the switches stay unset (the training as without
  // them) and the search targets are the job's defaults; each field and box
  // reaches its own setting, and emptying a field unsets it again.
  void batchDialogSwitchesReachTheJobsSettings() {
    CBatchTrainingDialog dialog;
    const CTrainParams defaults = BatchTrainingDefaults(g_Game->Engine.Evaluator.AnnList);
    QVERIFY(dialog.ReadFields());
    const CTrainParams& p = dialog.Params();
    QVERIFY(!p.AlphaEnd && !p.BatchSize && !p.ShuffleSeed && !p.Shuffle && !p.Adam && !p.LeafPositions);
    QVERIFY(p.SearchDepth == defaults.SearchDepth && p.ScoreWeight == defaults.ScoreWeight &&
            p.ScoreScale == defaults.ScoreScale);
    dialog.AlphaEnd->setText(QStringLiteral("0.001"));
    dialog.BatchSize->setText(QStringLiteral(" 32 "));
    dialog.ShuffleSeed->setText(QStringLiteral("4294967295"));
    dialog.SearchDepth->setText(QStringLiteral("3"));
    dialog.ScoreWeight->setText(QStringLiteral("0.25"));
    dialog.ScoreScale->setText(QStringLiteral("250"));
    for (QCheckBox* box : {dialog.Shuffle, dialog.Adam, dialog.LeafPositions}) box->setChecked(true);
    QVERIFY(dialog.ReadFields());
    QVERIFY(p.AlphaEnd == 0.001f && p.BatchSize == 32 && p.ShuffleSeed == 4294967295LL && p.SearchDepth == 3 &&
            p.ScoreWeight == 0.25f && p.ScoreScale == 250.0f && p.Shuffle && p.Adam && p.LeafPositions == 1);
    QCOMPARE(p.Alpha, defaults.Alpha);
    for (QLineEdit* field : {dialog.AlphaEnd, dialog.BatchSize, dialog.ShuffleSeed}) field->setText(QStringLiteral(" "));
    QVERIFY(dialog.ReadFields());
    QVERIFY(!p.AlphaEnd && !p.BatchSize && !p.ShuffleSeed);
    QVERIFY(Recorder->Messages.isEmpty());
  }

  // A folder with no games: the job fails, one box, the reason in the dialog,
  // nothing trained.
  void batchDialogReportsAFailedRun() {
    const QString empty = Work.filePath(QStringLiteral("no-games"));
    QDir().mkpath(empty);
    CBatchTrainingDialog dialog;
    dialog.RootDir->setText(empty + "/");
    dialog.MaxRelearnCount->setText(QStringLiteral("1"));
    dialog.MaxLearnCount->setText(QStringLiteral("1"));
    dialog.TrainButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsTraining(), 60000);
    QTRY_COMPARE(Recorder->Messages, QStringList {QStringLiteral("批量训练失败.")});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("神经网络评价模型"));
    QCOMPARE(dialog.Status->text(), QStringLiteral("RootDir: %1 中没有可处理的文件.").arg(empty + "/"));
    QVERIFY(dialog.Plot->Points().empty());
  }

  void batchDialogTrainsOnePass() {
    CBatchTrainingDialog dialog;
    dialog.RootDir->setText(Games + "/");
    dialog.MaxRelearnCount->setText(QStringLiteral("1"));
    dialog.MaxLearnCount->setText(QStringLiteral("1"));
    dialog.TrainButton->click();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("神经网络评价模型(正在训练...)"));
    QVERIFY(dialog.IsTraining());
    // The end arrives by itself: caption, read-outs, one box, the outcome line.
    QTRY_COMPARE_WITH_TIMEOUT(Recorder->Messages, QStringList {QStringLiteral("批量训练完成.")}, 120000);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("神经网络评价模型"));
    QVERIFY(!dialog.IsTraining());
    QCOMPARE(dialog.Status->text(), QStringLiteral("训练完成: 共学习 1 遍."));
    QCOMPARE(dialog.Plot->Points().size(), size_t(1));
    QVERIFY(dialog.Plot->Points()[0].Patterns > 0);
    QCOMPARE(dialog.CurrRelearnCountBox->text(), QString::number(dialog.CurrRelearnCount()));
  }

  // 中断 and closing: the running pass ends, the job is joined, every
  // network file stays whole; 中断 says so in one box, closing in none.
  void stoppingTrainingWaitsForThePass() {
    for (bool close : {false, true}) {
      Recorder->Messages.clear();
      CBatchTrainingDialog dialog;
      dialog.show();
      dialog.RootDir->setText(Games + "/");
      dialog.MaxRelearnCount->setText(QStringLiteral("1"));
      dialog.MaxLearnCount->setText(QStringLiteral("100000"));
      dialog.TrainButton->click();
      QTRY_VERIFY_WITH_TIMEOUT(dialog.Plot->Points().size() >= 2, 120000);
      // The job's passes reach the dialog's line.
      QTRY_VERIFY(dialog.Status->text().startsWith(QStringLiteral("正在训练 ")));
      QVERIFY2(dialog.Status->text().contains(QStringLiteral("/100000 遍")), qPrintable(dialog.Status->text()));
      if (close) {
        dialog.close();
      } else {
        dialog.StopButton->click();
      }
      QVERIFY(!dialog.IsTraining());
      QCOMPARE(dialog.windowTitle(), QStringLiteral("神经网络评价模型"));
      QVERIFY(dialog.Status->text().startsWith(QStringLiteral("训练已中断: 共学习 ")));
      const int passes = static_cast<int>(dialog.Plot->Points().size());
      QVERIFY(passes >= 2 && passes < 100000);
      QTest::qWait(50);  // a late end report must not add a box
      QCOMPARE(Recorder->Messages, close ? QStringList {} : QStringList {QStringLiteral("批量训练已中断.")});
      QDir folder(QString::fromStdString(GetExePath()));
      for (const QString& name : folder.entryList({QStringLiteral("*.ann")}, QDir::Files)) {
        CTdbpAnn network;
        QVERIFY2(network.Load(folder.filePath(name).toStdString()), qPrintable(name));
      }
    }
  }

  void questionsComeFirst() {
    CTdbpAnnList& list = g_Game->Engine.Evaluator.AnnList;
    const float lower = list.GetAt(0).Lower;
    const float weight = list.GetAt(0).Weight2s[0];
    CBatchTrainingDialog dialog;
    dialog.Lower->setText(QStringLiteral("-0.2"));
    // No: nothing changes.
    dialog.SaveButton->click();
    dialog.RandomizeButton->click();
    dialog.ResetButton->click();
    QCOMPARE(Recorder->Messages, (QStringList {QStringLiteral("神经网络的参数将被修改并保存.您要继续吗(Y/N)?"),
                                               QStringLiteral("神经网络将被重新随机化.您要继续吗(Y/N)?"),
                                               QStringLiteral("其它神经网络将被重置为第一个神经网络.您要继续吗(Y/N)?")}));
    QCOMPARE(list.GetAt(0).Lower, lower);
    QCOMPARE(list.GetAt(0).Weight2s[0], weight);
    // Yes to 保存: Lower -0.2 in the network file, the weights as they were.
    SetMessageHook([](const QString&, CMessageKind) { return CAnswer::Yes; });
    dialog.SaveButton->click();
    QCOMPARE(list.GetAt(0).Lower, -0.2f);
    CTdbpAnn saved;
    QVERIFY(saved.Load(GetExePath() + "ann/eval000.ann"));
    QCOMPARE(saved.Lower, -0.2f);
    QVERIFY(qAbs(saved.Weight2s[0] - weight) < 1e-5f);
    // Yes to 随机化: new weights, saved.
    dialog.RandomizeButton->click();
    QVERIFY(list.GetAt(0).Weight2s != saved.Weight2s);
    QVERIFY(saved.Load(GetExePath() + "ann/eval000.ann"));
    // Written as text with six decimals.
    QCOMPARE(saved.Weight2s.size(), list.GetAt(0).Weight2s.size());
    for (size_t i = 0; i < saved.Weight2s.size(); ++i)
      QVERIFY(qAbs(saved.Weight2s[i] - list.GetAt(0).Weight2s[i]) < 1e-5f);
  }

  void gameTrainingDialogKeepsItsValues() {
    CMainFrame frame;
    CGameTrainingDialog* dialog = frame.View()->TrainingDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("对局训练神经网络评价模型"));
    QCOMPARE(dialog->MaxMoveCount->text(), QStringLiteral("600"));
    QVERIFY(dialog->UseOutside->isChecked());
    QCOMPARE(dialog->EngineCommand->text(), QStringLiteral("/usr/games/fairy-stockfish"));
    QCOMPARE(dialog->EngineMoveTime->text(), QStringLiteral("1000"));
    dialog->show();
    dialog->RootDir->setText(Games);
    dialog->MaxMoveCount->setText(QStringLiteral("300"));
    dialog->EngineMoveTime->setText(QStringLiteral("0"));
    dialog->accept();
    // A thinking time below 1 is the job's refusal, named as the dialog labels it.
    QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("思考时间(ms) 必须在 1 到 3600000 之间 (现为 0).")});
    QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(dialog->EngineMoveTime));
    QVERIFY(dialog->isVisible());
    // So is an empty engine command.
    dialog->EngineMoveTime->setText(QStringLiteral("500"));
    dialog->EngineCommand->setText(QStringLiteral("  "));
    dialog->accept();
    QCOMPARE(Recorder->Messages.last(), QStringLiteral("引擎命令: 不能为空."));
    QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(dialog->EngineCommand));
    QCOMPARE(Recorder->Messages.size(), 2);
    // Without the outside engine neither matters.
    dialog->UseOutside->setChecked(false);
    dialog->accept();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(dialog->Values().MaxMoveCount, 300);
    QCOMPARE(dialog->Values().TrainWithOutside, 0);
    QCOMPARE(dialog->Values().RootDir, (Games + "/").toStdString());
    QCOMPARE(dialog->Outside().MoveTimeMs, 500);
    // Edited but cancelled: the next opening shows the accepted values.
    dialog->MaxMoveCount->setText(QStringLiteral("123"));
    dialog->reject();
    QString shown;
    QTimer::singleShot(0, dialog, [&] {
      shown = dialog->MaxMoveCount->text();
      dialog->reject();
    });
    dialog->exec();
    QCOMPARE(shown, QStringLiteral("300"));
  }

  void toolCommandsAvailability() {
    CMainFrame frame;
    const auto enabled = [&](int id) {
      frame.UpdateCommandUI();
      return frame.Action(id)->isEnabled();
    };
    const int tools[] = {Cmd::OpeningBook, Cmd::BatchTraining, Cmd::GameTraining, Cmd::RecordCheck};
    for (int id : tools) QVERIFY(enabled(id));
    g_Game->EditMode = 1;
    for (int id : tools) QVERIFY(!enabled(id));
    g_Game->EditMode = 0;
    g_Game->TrainingIdle = 0;
    for (int id : tools) QVERIFY(!enabled(id));
    g_Game->TrainingIdle = 1;
    g_Game->CheckingIdle = 0;
    for (int id : tools) QVERIFY(!enabled(id));
    g_Game->CheckingIdle = 1;
    g_Game->Engine.EngineIdle = 0;
    for (int id : tools) QVERIFY(!enabled(id));
    g_Game->Engine.EngineIdle = 1;
  }

  void recordCheckNeedsAChosenFolder() {
    CMainFrame frame;
    SetFolderChooser([](QWidget*, const QString&, const QString&) { return QString(); });
    frame.OnCommand(Cmd::RecordCheck);
    QVERIFY(!frame.View()->IsCheckingRunning());
    QCOMPARE(g_Game->CheckingIdle.load(), 1);
    // A chosen folder starts the check; an engine that does not start ends it
    // with a message and leaves the files alone.
    QTemporaryDir dir;
    CopyGames(dir.path(), 1);
    const QByteArray before = [&] {
      QFile file(dir.filePath(QStringLiteral("game01.pgn")));
      return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    CGameTrainingDialog* settings = frame.View()->TrainingDialog();
    settings->RootDir->setText(Games);
    settings->EngineCommand->setText(QStringLiteral("/no/such/engine"));
    settings->accept();
    SetFolderChooser([&](QWidget*, const QString&, const QString&) { return dir.path(); });
    frame.OnCommand(Cmd::RecordCheck);
    QCOMPARE(frame.View()->CheckFolder(), dir.path() + "/");
    QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->IsWorkerRunning(), 60000);
    QTRY_COMPARE(Recorder->Messages, QStringList {QStringLiteral("棋谱检查失败.")});
    QCOMPARE(g_Game->CheckingIdle.load(), 1);
    QFile file(dir.filePath(QStringLiteral("game01.pgn")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
  }

  // Self-play game training on the worker; the board follows the moves and
  // closing the window stops the training and joins the worker.
  void closingDuringGameTrainingEndsCleanly() {
    auto frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(frame);
    frame->show();
    QTemporaryDir dir;
    CGameTrainingDialog* dialog = frame->View()->TrainingDialog();
    dialog->RootDir->setText(dir.path());
    dialog->UseOutside->setChecked(false);
    dialog->accept();
    g_Game->Engine.MaxDepth = 1;
    frame->View()->StartTraining();
    QVERIFY(!frame->View()->IsIdle());
    QVERIFY(!frame->Action(Cmd::GameTraining)->isEnabled() || (frame->UpdateCommandUI(), true));
    frame->UpdateCommandUI();
    QVERIFY(!frame->Action(Cmd::GameTraining)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(g_Game->Record().Length >= 4, 60000);
    QVERIFY(frame->close());
    QVERIFY(!frame->View()->IsWorkerRunning());
    QCOMPARE(g_Game->TrainingIdle.load(), 1);
    frame.reset();
  }
};

QTEST_MAIN(ToolDialogsTest)
#include "tool_dialogs_test.moc"
