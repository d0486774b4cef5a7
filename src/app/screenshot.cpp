#include "app/screenshot.h"

#include <QLineEdit>
#include <QPixmap>
#include <QThread>
#include <cstdio>

#include "app/batch_training_dialog.h"
#include "app/folder_field.h"
#include "app/larko_app.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/message_box.h"
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
