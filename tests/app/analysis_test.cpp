// 分析, 提示 and 复盘 in the main window: the analysis follows the board and
// leaves no thread behind, its dock shows lines in Chinese notation, the
// hint is an arrow from the suggested piece, and a review finds a planted
// blunder, marks it in the move list and draws one curve point a position.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <fstream>
#include <sys/wait.h>

#include "app/analysis_dock.h"
#include "app/analysis_text.h"
#include "app/board_engine_settings.h"
#include "app/command_ids.h"
#include "app/game_reviewer.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/move_list_dock.h"
#include "app/review_dialog.h"
#include "app/score_curve.h"
#include "app_test_support.h"
#include "board/hint_arrow.h"
#include "common/text_encoding.h"
#include "engine/principal_line.h"
#include "engine/score_units.h"
#include "rules/iccs.h"

namespace {
QString DataFile(const char* name) { return QStringLiteral(TARVO_TEST_DATA_DIR "/") + name; }

int ThreadCount() { return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

// Red's moves are written with Chinese numerals (炮二平五), black's with
// digits (马8进7): the side of a line's first move, read from its text.
bool FirstMoveIsRed(const QString& line) {
  const QString moves = line.section(QLatin1Char(')'), 1).trimmed();
  if (moves.size() < 2) return false;
  return QStringLiteral("一二三四五六七八九前中后").contains(moves.at(1));
}

void Play(const char* iccs) {
  CMove move;
  QVERIFY(MoveFromIccs(g_Game->Position(), iccs, move));
  QVERIFY(g_Game->PlayMove(move, 0));
}
}  // namespace

class AnalysisTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  CLarkoView* View() { return Frame->View(); }
  CAnalysisDock* Dock() { return Frame->Analysis(); }

  void Open(const QStringList& files = {}) {
    Frame = CLarkoApp::OpenMainFrame(files);
    QVERIFY(Frame);
    QVERIFY(ShowFrame(*Frame, 1000, 760));
  }
  void ClickGrid(int column, int row) { ::ClickGrid(View(), column, row); }
  bool AnalysesBoard() {
    const CPositionAnalysis* analysis = Dock()->Analysis();
    return analysis && Dock()->IsThinking() && analysis->AnalysedRedToMove() == g_Game->RedToMove &&
           analysis->AnalysedPosition().Fen(1) == g_Game->Position().Fen(1);
  }
  QString FirstLine() { return Dock()->Lines()->toPlainText().section(QLatin1Char('\n'), 0, 0); }

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

  void scoreTexts() {
    struct Case {
      int Cp;
      bool Mate;
      int MateMoves;
      const char* Text;
    };
    const Case cases[] = {{125, false, 0, "+1.25"},  {-40, false, 0, "-0.40"},  {-5, false, 0, "-0.05"},
                          {0, false, 0, "0.00"},     {1000, false, 0, "+10.00"}, {MATE_CENTIPAWNS, true, 3, "红方3步杀"},
                          {-MATE_CENTIPAWNS, true, 1, "黑方1步杀"}};
    for (const Case& c : cases) {
      CAnalysisLine line;
      line.RedCentipawns = c.Cp;
      line.Mate = c.Mate;
      line.MateMoves = c.MateMoves;
      QCOMPARE(AnalysisScoreText(line), QString::fromUtf8(c.Text));
    }
  }

  void analysisFollowsTheBoardAndLeavesNoThread() {
    g_Game->HumanVsHuman = 1;
    Open();
    const int threadsBefore = ThreadCount();
    Frame->OnCommand(Cmd::Analysis);
    QVERIFY(Frame->Action(Cmd::Analysis)->isChecked());
    QVERIFY(!Dock()->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(AnalysesBoard(), 5000);
    // A line in Chinese notation, red to move first, and a score in pawns.
    QTRY_VERIFY_WITH_TIMEOUT(FirstLine().startsWith(QStringLiteral("1. ")), 10000);
    QVERIFY2(FirstMoveIsRed(FirstLine()), qPrintable(FirstLine()));
    QVERIFY(QRegularExpression(QStringLiteral("^[+-]?\\d+\\.\\d\\d$")).match(Dock()->Score()->text()).hasMatch());
    QVERIFY(Dock()->Pace()->text().startsWith(QStringLiteral("深度 ")));

    // A move restarts it on black's turn.
    ClickGrid(8, 8);
    ClickGrid(5, 8);
    QCOMPARE(g_Game->Record().Length, 1);
    QVERIFY(AnalysesBoard());
    QTRY_VERIFY_WITH_TIMEOUT(FirstLine().startsWith(QStringLiteral("1. ")), 10000);
    QVERIFY2(!FirstMoveIsRed(FirstLine()), qPrintable(FirstLine()));
    // Undo, a click in the move list: each time the board's position.
    Frame->OnCommand(Cmd::Undo);
    QVERIFY(AnalysesBoard());
    QTRY_VERIFY_WITH_TIMEOUT(FirstLine().startsWith(QStringLiteral("1. ")) && FirstMoveIsRed(FirstLine()), 10000);

    // Three lines, each its own first move.
    Dock()->LineCount()->setValue(3);
    QTRY_COMPARE_WITH_TIMEOUT(Dock()->Lines()->toPlainText().split(QLatin1Char('\n')).size(), 3, 10000);
    QStringList firstMoves;
    for (const QString& line : Dock()->Lines()->toPlainText().split(QLatin1Char('\n')))
      firstMoves << line.section(QLatin1Char(')'), 1).trimmed().section(QLatin1Char(' '), 0, 0);
    firstMoves.removeDuplicates();
    QCOMPARE(firstMoves.size(), 3);

    // Off ends the worker; on again and closing the window ends it too.
    Frame->OnCommand(Cmd::Analysis);
    QVERIFY(!Dock()->IsThinking());
    QVERIFY(!Frame->Action(Cmd::Analysis)->isChecked());
    Frame->OnCommand(Cmd::Analysis);
    QTRY_VERIFY_WITH_TIMEOUT(Dock()->IsThinking(), 5000);
    QVERIFY(ThreadCount() > threadsBefore);
    QVERIFY(Frame->close());
    QVERIFY(!Dock()->IsThinking());
    QTRY_VERIFY_WITH_TIMEOUT(ThreadCount() <= threadsBefore, 5000);
  }

  // While the computer searches for its move the analysis pauses; it takes
  // up the position after the reply.
  void analysisResumesAfterTheComputersMove() {
    Open();
    Frame->OnCommand(Cmd::Analysis);
    QTRY_VERIFY_WITH_TIMEOUT(AnalysesBoard(), 5000);
    ClickGrid(8, 8);
    ClickGrid(5, 8);
    QVERIFY(View()->IsWorkerRunning());
    QVERIFY(!Dock()->IsThinking());
    QTRY_VERIFY_WITH_TIMEOUT(!View()->IsWorkerRunning(), 60000);
    QCOMPARE(g_Game->Record().Length, 2);
    QTRY_VERIFY_WITH_TIMEOUT(AnalysesBoard(), 5000);
    QCOMPARE(g_Game->RedToMove, 1);
  }

  void hintDrawsAnArrowFromTheSuggestedPiece() {
    g_Game->HumanVsHuman = 1;
    Open();
    QVERIFY(Frame->Action(Cmd::Hint)->isEnabled());
    QSignalSpy shown(Dock(), &CAnalysisDock::HintShown);
    Frame->OnCommand(Cmd::Hint);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
    CBoardPainter& painter = View()->Painter;
    QVERIFY(painter.HasHint());
    // The hint's own search is over.
    QVERIFY(!Dock()->IsThinking());
    // It moves a red piece, and the move is legal.
    const int piece = g_Game->Position().Board[painter.HintFrom.Index()];
    QVERIFY(piece >= 1 && piece <= 16);
    CMove move;
    CMove hinted;
    hinted.Piece = piece;
    hinted.From = painter.HintFrom;
    hinted.To = painter.HintTo;
    const std::string iccs = LineIccs({hinted});
    QVERIFY2(MoveFromIccs(g_Game->Position(), iccs.c_str(), move), iccs.c_str());

    // Three strokes in the arrow's colour; the shaft leaves the piece's
    // square as the click mapping finds it.
    CRecordingCanvas canvas;
    painter.Paint(canvas, *g_Game, {0, 0, View()->width(), View()->height()});
    std::vector<CDrawCall> strokes;
    for (const CDrawCall& call : canvas.Calls)
      if (call.What == CDrawCall::LineCall && call.Pen == HINT_ARROW_COLOR) strokes.push_back(call);
    QCOMPARE(strokes.size(), size_t(3));
    const int column = (strokes[0].X1 - painter.Left + painter.Cell / 2) / painter.Cell;
    const int row = (strokes[0].Y1 - painter.Top + painter.Cell / 2) / painter.Cell;
    QCOMPARE(painter.GridSquare(column, row), painter.HintFrom.Index());
    // The tip is nearer the target square than the tail is.
    const int targetColumn = (strokes[0].X2 - painter.Left + painter.Cell / 2) / painter.Cell;
    const int targetRow = (strokes[0].Y2 - painter.Top + painter.Cell / 2) / painter.Cell;
    QCOMPARE(painter.GridSquare(targetColumn, targetRow), painter.HintTo.Index());

    // The next change takes the arrow away.
    QVERIFY(g_Game->PlayMove(move, 0));
    Frame->UpdateCommandUI();
    QVERIFY(!painter.HasHint());
    CRecordingCanvas after;
    painter.Paint(after, *g_Game, {0, 0, View()->width(), View()->height()});
    for (const CDrawCall& call : after.Calls) QVERIFY(!(call.What == CDrawCall::LineCall && call.Pen == HINT_ARROW_COLOR));
  }

  // game01 to its 26th ply, then red's chariot steps into the black
  // chariot's line (c4c5) and is taken (g5c5).
  void reviewMarksAPlantedBlunder() {
    constexpr int kBlunderPly = 27;
    g_Game->HumanVsHuman = 1;
    Open({DataFile("games/game01.pgn")});
    while (g_Game->Record().Current + 1 > kBlunderPly - 1) QVERIFY(g_Game->Undo());
    Play("c4c5");
    Play("g5c5");
    QCOMPARE(g_Game->Record().Length, kBlunderPly + 1);
    Frame->Doc()->SetModifiedFlag(false);
    Frame->UpdateCommandUI();
    QVERIFY(Frame->Action(Cmd::Review)->isEnabled());

    CReviewSettings settings;
    settings.MaxDepth = 5;
    settings.MoveTimeMs = 600000;  // the depth ends every search
    settings.WriteComments = true;
    CGameReviewer* reviewer = Frame->Reviewer();
    QVERIFY(reviewer->Start(settings));
    Frame->UpdateCommandUI();
    QVERIFY(Frame->Action(Cmd::StopReview)->isEnabled());
    QVERIFY(!Frame->Action(Cmd::Review)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!reviewer->Running(), 120000);
    QVERIFY(Frame->statusBar()->currentMessage().startsWith(QStringLiteral("复盘完成")));

    // The blunder and only it is marked 败着, with the better move.
    CMoveListDock* list = Frame->MoveList();
    for (int ply = 0; ply < g_Game->Record().Length; ++ply) {
      int row = 0, column = 0;
      CMoveListDock::CellOfPly(ply, true, row, column);
      const QString text = list->Table()->item(row, column)->text();
      if (ply == kBlunderPly - 1) {
        QVERIFY2(text.contains(QStringLiteral("败着→")), qPrintable(text));
        QVERIFY(list->Table()->item(row, column)->toolTip().contains(QStringLiteral("应走")));
      } else {
        QVERIFY2(!text.contains(QStringLiteral("败着")), qPrintable(text));
      }
    }
    // The review went into the comments: the game must be saved.
    QVERIFY(Gb2312ToUtf8(g_Game->Record()[kBlunderPly - 1].Comment).find("复盘：") != std::string::npos);
    QVERIFY(Frame->Doc()->IsModified());

    // One curve point a position; the chariot's loss shows as a fall.
    CScoreCurve* curve = reviewer->Curve();
    QVERIFY(!reviewer->CurveDock()->isHidden());
    QCOMPARE(curve->Scores().size(), size_t(kBlunderPly + 2));
    const int before = curve->Scores()[kBlunderPly - 1], after = curve->Scores()[kBlunderPly];
    QVERIFY2(before - after >= 300, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    QCOMPARE(curve->Current(), g_Game->Record().Current + 1);
    // A click on the curve goes to that move.
    QTest::mouseClick(curve, Qt::LeftButton, Qt::NoModifier, curve->PointOf(10));
    QCOMPARE(g_Game->Record().Current, 9);
    QCOMPARE(curve->Current(), 10);

    // Another game takes the review away.
    g_Game->NewGame(InitialBoard.data(), 1);
    Frame->UpdateCommandUI();
    QVERIFY(curve->Scores().empty());
    QCOMPARE(list->Table()->rowCount(), 1);
  }

  void reviewStopsOnRequest() {
    g_Game->HumanVsHuman = 1;
    Open({DataFile("games/game01.pgn")});
    CGameReviewer* reviewer = Frame->Reviewer();
    CReviewSettings settings;
    settings.MoveTimeMs = 600000;
    QVERIFY(reviewer->Start(settings));
    QTest::qWait(300);
    Frame->OnCommand(Cmd::StopReview);
    QVERIFY(!reviewer->Running());
    QVERIFY(reviewer->Review().Stopped);
    QVERIFY(Frame->statusBar()->currentMessage().startsWith(QStringLiteral("复盘已中断")));
    // Nothing is written by a stopped review.
    for (int ply = 0; ply < g_Game->Record().Length; ++ply)
      QVERIFY(Gb2312ToUtf8(g_Game->Record()[ply].Comment).find("复盘：") == std::string::npos);
  }

  // The engine seated in 选项 can judge a review; without one the choice is off.
  void reviewCanUseTheEngineOfTheOptions() {
    for (const std::string& command : {std::string(), std::string("/usr/games/fairy-stockfish")}) {
      COutsidePlayerSettings seated;
      seated.Engine.Command = command;
      SaveOutsidePlayerSettings(seated);
      CReviewDialog dialog;
      QCOMPARE(dialog.UseOutside()->isEnabled(), !command.empty());
      dialog.UseOutside()->setChecked(!command.empty());
      QCOMPARE(dialog.Settings().EngineCommand, command);
    }
    SaveOutsidePlayerSettings({});
  }

  // 用外部引擎分析: off without an engine in 选项; with a (scripted) one its
  // line shows in the dock, and an engine that cannot start is reported.
  void analysisCanUseTheEngineOfTheOptions() {
    g_Game->HumanVsHuman = 1;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const std::string script = folder.filePath(QStringLiteral("engine.sh")).toStdString();
    std::ofstream(script) << "while IFS= read -r line; do\n"
                             "  case \"$line\" in\n"
                             "    uci) echo uciok;;\n"
                             "    isready) echo readyok;;\n"
                             "    go*) echo 'info depth 12 multipv 1 score cp 4321 nodes 5000 nps 25000 time 200 pv h3e3';;\n"
                             "    stop) echo 'bestmove h3e3';;\n"
                             "    quit) exit 0;;\n"
                             "  esac\n"
                             "done\n";
    COutsidePlayerSettings seated;
    seated.Engine.Command = "";
    SaveOutsidePlayerSettings(seated);
    Open();
    Frame->OnCommand(Cmd::Analysis);
    QVERIFY(!Dock()->UseOutside()->isEnabled());
    Frame->OnCommand(Cmd::Analysis);

    seated.Engine.Command = "sh '" + script + "'";
    SaveOutsidePlayerSettings(seated);
    Frame->OnCommand(Cmd::Analysis);
    QVERIFY(Dock()->UseOutside()->isEnabled());
    Dock()->UseOutside()->setChecked(true);
    QTRY_COMPARE_WITH_TIMEOUT(Dock()->Score()->text(), QStringLiteral("+43.21"), 10000);
    QVERIFY2(FirstLine().contains(QStringLiteral("(12层) 砲二平五")), qPrintable(FirstLine()));
    Frame->OnCommand(Cmd::Analysis);

    seated.Engine.Command = "sh '" + script + ".missing'";
    SaveOutsidePlayerSettings(seated);
    Frame->OnCommand(Cmd::Analysis);
    QVERIFY(Dock()->UseOutside()->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(Dock()->Lines()->toPlainText().startsWith(QStringLiteral("外部引擎出错")), 10000);
    QVERIFY(Frame->close());
    errno = 0;
    QVERIFY(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);
    SaveOutsidePlayerSettings({});
  }
};

QTEST_MAIN(AnalysisTest)
#include "analysis_test.moc"
