// Time of one board redraw at 1920 x 1080: a new off-screen image, the
// painter's whole picture through the QPainter canvas. "Warm" keeps the
// decoded, scaled board picture between redraws (as the view does); "Cold"
// reads and scales the picture file every time.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "board/board_painter.h"
#include "app/qt_canvas.h"
#include "common/exe_path.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/notation_maps.h"

namespace {
std::unique_ptr<CVoice> NoVoice() { return nullptr; }

void PlayOpening(CGame& game) {
  for (const char* text : {"h2e2", "b9c7", "e2e6", "c7e6", "h0g2", "h9g7"}) {
    CMove move;
    if (MoveFromIccs(game.Position(), text, move)) game.PlayMove(move, 0);
  }
}

void Redraw(CGame& game, CTextureCache& textures) {
  QImage image(1920, 1080, QImage::Format_RGB32);
  QPainter painter(&image);
  CQtCanvas canvas(painter, textures);
  CBoardPainter board;
  board.Paint(canvas, game, CRect {0, 0, 1920, 1080});
  benchmark::DoNotOptimize(image.constBits());
}

void BM_RedrawWarm(benchmark::State& state) {
  CTextureCache textures;
  for (auto _ : state) Redraw(*g_Game, textures);
}
BENCHMARK(BM_RedrawWarm)->Unit(benchmark::kMillisecond);

void BM_RedrawCold(benchmark::State& state) {
  for (auto _ : state) {
    CTextureCache textures;
    Redraw(*g_Game, textures);
  }
}
BENCHMARK(BM_RedrawCold)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The pictures the build made; the game's data files go beside them.
  SetExePath(TARVO_IMAGE_DIR "/..");
  BuildNotationMaps();
  g_Game = new CGame(NoVoice);
  PlayOpening(*g_Game);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete g_Game;
  g_Game = nullptr;
  return 0;
}
