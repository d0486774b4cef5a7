// An outside engine at the board and the clock, in the main window: the
// options keep them between runs, the engine (a small script speaking UCCI)
// answers the person's moves through the game, an illegal answer ends the
// game with its reason in the status bar, and no program outlives the window.
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sys/wait.h>

#include "app/board_engine_settings.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/options_dialog.h"
#include "app_test_support.h"
#include "rules/iccs.h"

namespace {
// No child of ours is left, not even a zombie.
bool NoChildLeft() {
  errno = 0;
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}
}  // namespace

class OutsideBoardTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;
  QTemporaryDir Folder;

  CLarkoView* View() { return Frame->View(); }
  void Open() {
    Frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(Frame);
    QVERIFY(ShowFrame(*Frame, 800, 700));
  }
  void ClickGrid(int column, int row) { ::ClickGrid(View(), column, row); }
  // A UCCI engine in sh that answers its n-th "go" with the n-th move.
  std::string ScriptEngine(const std::vector<std::string>& answers) {
    const std::string path = Folder.filePath(QStringLiteral("engine.sh")).toStdString();
    std::ofstream script(path);
    script << "n=0\nwhile IFS= read -r line; do\n  echo \"$line\" >> '" << LogPath() << "'\n  case \"$line\" in\n"
           << "    ucci) echo 'id name Scripty'; echo ucciok;;\n    isready) echo readyok;;\n"
           << "    go*) n=$((n+1)); case $n in\n";
    for (size_t i = 0; i < answers.size(); ++i) script << "      " << i + 1 << ") echo 'bestmove " << answers[i] << "';;\n";
    script << "    esac;;\n    quit) exit 0;;\n  esac\ndone\n";
    return "sh '" + path + "'";
  }
  std::string LogPath() { return Folder.filePath(QStringLiteral("input.log")).toStdString(); }
  std::string Log() {
    std::ifstream in(LogPath());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static int Count(const std::string& text, const std::string& word) {
    int count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
    return count;
  }
  void WaitForWorkers() { QTRY_VERIFY_WITH_TIMEOUT(!View()->IsWorkerRunning(), 60000); }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    SaveOutsidePlayerSettings({});
    SaveTimeControl({});
    g_Game->TimeControl = {};
    ResetGame();
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
    QVERIFY(NoChildLeft());
  }

  void optionsKeepTheEngineAndTheClockBetweenRuns() {
    {
      COptionsDialog dialog;
      QCOMPARE(dialog.OutsideSeat->currentIndex(), 0);
      dialog.OutsideSeat->setCurrentIndex(2);
      dialog.OutsideCommand->setText(QStringLiteral("/usr/games/fairy-stockfish"));
      dialog.OutsideOptions->setText(QStringLiteral("UCI_LimitStrength=true; UCI_Elo=1500"));
      dialog.OutsideMoveTime->setText(QStringLiteral("700"));
      dialog.ClockMinutes->setText(QStringLiteral("5"));
      dialog.ClockIncrement->setText(QStringLiteral("3"));
      dialog.accept();
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    const COutsidePlayerSettings saved = LoadOutsidePlayerSettings();
    QCOMPARE(saved.Seat, COutsideSeat::Black);
    QCOMPARE(saved.Engine.Command, std::string("/usr/games/fairy-stockfish"));
    QCOMPARE(saved.Engine.MoveTimeMs, 700);
    QCOMPARE(saved.Engine.Options.size(), size_t(2));
    QCOMPARE(saved.Engine.Options[1].second, std::string("1500"));
    QVERIFY((LoadTimeControl() == CTimeControl {5, 3}));
    // The engine takes black, so the person plays red against it.
    QCOMPARE(g_Game->HumanVsHuman, 0);
    QCOMPARE(g_Game->HumanPlaysRed, 1);
    // The game not begun yet runs on the new clock at once.
    QVERIFY(g_Game->Clock.Running());
    QCOMPARE(g_Game->Clock.RemainingMs(false), int64_t {300000});

    COptionsDialog again;
    QCOMPARE(again.OutsideSeat->currentIndex(), 2);
    QCOMPARE(again.OutsideOptions->text(), QStringLiteral("UCI_LimitStrength=true; UCI_Elo=1500"));
    QCOMPARE(again.ClockMinutes->text(), QStringLiteral("5"));

    // Options that are no name=value pairs keep the dialog open and change nothing.
    again.show();
    again.OutsideOptions->setText(QStringLiteral("UCI_Elo 1500"));
    again.OutsideMoveTime->setText(QStringLiteral("900"));
    again.accept();
    QVERIFY(again.isVisible());
    QCOMPARE(Recorder->Messages.size(), 1);
    QVERIFY(Recorder->Messages[0].contains(QStringLiteral("引擎选项")));
    QCOMPARE(LoadOutsidePlayerSettings().Engine.MoveTimeMs, 700);
  }

  void engineAnswersThePersonAndLosesByAnIllegalMove() {
    COutsidePlayerSettings settings;
    settings.Seat = COutsideSeat::Black;
    settings.Engine.Command = ScriptEngine({"h9g7", "a0a5"});
    settings.Engine.MoveTimeMs = 50;
    SaveOutsidePlayerSettings(settings);
    Open();
    ClickGrid(8, 8);  // red cannon h2
    ClickGrid(5, 8);  // to e2
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Current, 1);
    QCOMPARE(MoveToIccs(g_Game->Record()[1].Move), std::string("h9g7"));
    QVERIFY(View()->OutsideEngine().IsRunning());
    ClickGrid(8, 10);  // red horse h0
    ClickGrid(7, 8);   // to g2
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Current, 2);  // its a0a5 was not played
    QCOMPARE(g_Game->Result, std::string("1-0"));
    QVERIFY(Frame->statusBar()->currentMessage().contains(QStringLiteral("黑方引擎走出非法着法, 红胜")));
    QVERIFY(!View()->OutsideEngine().IsRunning());
    const std::string log = Log();
    QCOMPARE(Count(log, "ucci\n"), 1);  // one program for the game
    QVERIFY(log.find("moves h2e2 h9g7 h0g2\n") != std::string::npos);
  }

  void newGameEndsTheProgramAndClosingLeavesNone() {
    COutsidePlayerSettings settings;
    settings.Seat = COutsideSeat::Red;  // it moves first
    settings.Engine.Command = ScriptEngine({"h2e2"});
    settings.Engine.MoveTimeMs = 50;
    SaveOutsidePlayerSettings(settings);
    SaveTimeControl({5, 3});
    Open();
    WaitForWorkers();
    QCOMPARE(g_Game->Record().Current, 0);
    QCOMPARE(g_Game->HumanPlaysRed, 0);
    QVERIFY(View()->OutsideEngine().IsRunning());
    // On the clock the engine is given both sides' times.
    // (its own time has run a few milliseconds when it is asked)
    QVERIFY(Log().find(" increment 3 opptime 300 oppincrement 3\n") != std::string::npos);
    // Both clocks are on the board, black's running after red's move.
    CRecordingCanvas canvas;
    View()->Painter.Paint(canvas, *g_Game, CRect {0, 0, 800, 600});
    int clocks = 0;
    for (const CDrawCall& call : canvas.Calls)
      if (call.What == CDrawCall::TextCall && call.Text.find(':') == 1 && call.Text.size() == 4) ++clocks;
    QCOMPARE(clocks, 2);
    const int quits = Count(Log(), "\nquit\n"), starts = Count(Log(), "\nucci\n");
    Frame->Doc()->OnNewDocument();
    WaitForWorkers();  // the engine moves first in the new game too
    QCOMPARE(g_Game->Record().Current, 0);
    // The first game's program was told to quit and a second one started
    // (the reply worker may start it before this thread looks).
    QTRY_COMPARE(Count(Log(), "\nquit\n"), quits + 1);
    QCOMPARE(Count(Log(), "\nucci\n"), starts + 1);
    Frame.reset();
    QVERIFY(NoChildLeft());
  }
};

QTEST_MAIN(OutsideBoardTest)
#include "outside_board_test.moc"
