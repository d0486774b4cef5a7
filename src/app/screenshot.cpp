#include "app/screenshot.h"

#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QThread>
#include <cstdio>
#include <functional>

#include "app/analysis_dock.h"
#include "app/batch_training_dialog.h"
#include "app/command_ids.h"
#include "app/folder_field.h"
#include "app/game_reviewer.h"
#include "app/larko_app.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/message_box.h"
#include "app/move_list_dock.h"
#include "common/text_encoding.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "rules/notation_maps.h"

namespace {
std::unique_ptr<CVoice> NoVoice() { return nullptr; }

// A central-cannon opening with an exchange, so both captured-piece boxes hold a piece.
const char* const kMoves[] = {"h2e2", "b9c7", "e2e6", "c7e6", "h0g2", "h9g7", "i0h0", "i9h9", "b2c2", "h7h3"};
}  // namespace

int TakeScreenshot(int argc, char** argv, const char* outputPath) {
  CLarkoApp app(argc, argv);
  BuildNotationMaps();
  CLarkoApp::CreateGameObject(NoVoice);
  int code = 1;
  {
    auto frame = CLarkoApp::OpenMainFrame({});
    if (frame) {
      frame->resize(1024, 720);
      frame->show();
      int depth = 5;
      for (const char* text : kMoves) {
        CMove move;
        if (!MoveFromIccs(g_Game->Position(), text, move) ||
            !CanMoveTo(g_Game->Position(), g_Game->RedToMove, move.Piece, move.To) ||
            !g_Game->PlayMove(move, 0)) {
          std::fprintf(stderr, "screenshot: move %s was not played\n", text);
          break;
        }
        // Show a computer-style depth and time on black's moves.
        if (!g_Game->RedToMove) continue;
        CRecordEntry& entry = g_Game->Record()[g_Game->Record().Current];
        entry.Depth = depth++;
        entry.TimeMs = 800 + 97 * depth;
      }
      // The last move's comment shows under the move list.
      g_Game->Record()[g_Game->Record().Current].Comment = Utf8ToGb18030("黑炮进四, 压住红方右翼");
      frame->View()->Redraw();
      frame->UpdateCommandUI();
      app.processEvents();
      code = frame->grab().save(QString::fromLocal8Bit(outputPath), "PNG") ? 0 : 1;
    }
  }
  CLarkoApp::DeleteGameObject();
  return code;
}

namespace {
// The window on a game file at a ply, with no computer move pending.
std::unique_ptr<CMainFrame> OpenGameAt(CLarkoApp& app, const char* gamePath, int ply) {
  auto frame = CLarkoApp::OpenMainFrame({QString::fromLocal8Bit(gamePath)});
  if (!frame) return frame;
  frame->resize(1100, 760);
  frame->show();
  while (frame->View()->IsWorkerRunning()) {
    app.processEvents();
    QThread::msleep(20);
  }
  frame->MoveList()->GoToPly(ply);
  frame->View()->Redraw();
  frame->UpdateCommandUI();
  return frame;
}

// Lets the window's threads report for a while.
void Wait(CLarkoApp& app, int ms, const std::function<bool()>& done = nullptr) {
  for (int waited = 0; waited < ms && !(done && done()); waited += 20) {
    app.processEvents();
    QThread::msleep(20);
  }
  app.processEvents();
}

int Save(CMainFrame& frame, const char* outputPath) {
  return frame.grab().save(QString::fromLocal8Bit(outputPath), "PNG") ? 0 : 1;
}
}  // namespace

int TakeAnalysisScreenshot(int argc, char** argv, const char* gamePath, const char* outputPath) {
  CLarkoApp app(argc, argv);
  BuildNotationMaps();
  CLarkoApp::CreateGameObject(NoVoice);
  int code = 1;
  {
    auto frame = OpenGameAt(app, gamePath, 23);
    if (frame) {
      frame->Analysis()->LineCount()->setValue(3);
      frame->OnCommand(Cmd::Analysis);
      Wait(app, 4000);
      frame->OnCommand(Cmd::Hint);
      Wait(app, 200);
      code = Save(*frame, outputPath);
      frame->OnCommand(Cmd::Analysis);
    }
  }
  CLarkoApp::DeleteGameObject();
  return code;
}

int TakeReviewScreenshot(int argc, char** argv, const char* gamePath, const char* outputPath) {
  CLarkoApp app(argc, argv);
  BuildNotationMaps();
  CLarkoApp::CreateGameObject(NoVoice);
  int code = 1;
  {
    auto frame = OpenGameAt(app, gamePath, -1);
    if (frame) {
      CReviewSettings settings;
      settings.MaxDepth = 6;
      settings.MoveTimeMs = 600000;  // the depth ends every search: the same picture every time
      if (frame->Reviewer()->Start(settings)) {
        Wait(app, 600000, [&] { return !frame->Reviewer()->Running(); });
        frame->MoveList()->GoToPly(40);
        frame->View()->Redraw();
        frame->UpdateCommandUI();
        Wait(app, 100);
        code = Save(*frame, outputPath);
      }
    }
  }
  CLarkoApp::DeleteGameObject();
  return code;
}

int TakeTrainingScreenshot(int argc, char** argv, const char* recordFolder, const char* outputPath) {
  CLarkoApp app(argc, argv);
  BuildNotationMaps();
  CLarkoApp::CreateGameObject(NoVoice);
  int code = 1;
  {
    CBatchTrainingDialog dialog;
    dialog.RootDir->setText(QString::fromLocal8Bit(recordFolder));
    dialog.MaxRelearnCount->setText(QStringLiteral("1"));
    dialog.MaxLearnCount->setText(QStringLiteral("8"));
    dialog.resize(1000, 520);
    dialog.show();
    // The box at the end would wait for a person; the picture is of the dialog.
    SetMessageHook([](const QString&, CMessageKind) { return CAnswer::Ok; });
    dialog.OnTrain();
    while (dialog.IsTraining()) {
      app.processEvents();
      QThread::msleep(20);
    }
    app.processEvents();
    code = dialog.grab().save(QString::fromLocal8Bit(outputPath), "PNG") ? 0 : 1;
    SetMessageHook(nullptr);
  }
  CLarkoApp::DeleteGameObject();
  return code;
}
