// tarvo: the desktop program. "tarvo [FILE.pgn]" opens a game file;
// "tarvo --screenshot OUT.png" saves a picture of the window in the middle
// of a game and ends; "tarvo --screenshot-training FOLDER OUT.png" one of the
// batch-training dialog after a few passes over the games in FOLDER;
// "--screenshot-analysis" and "--screenshot-review" the analysis dock and
// the score curve over a game file.
#include <QImage>
#include <cstdio>
#include <string>

#include "app/larko_app.h"
#include "app/screenshot.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::printf(
        "Usage: tarvo [GAME.pgn]\n"
        "The Chinese chess desktop program: a new game, or the game file named.\n"
        "  --screenshot OUT.png                   save a picture of the window in a game\n"
        "  --screenshot-training FOLDER OUT.png   save a picture of the batch-training dialog\n"
        "  --screenshot-analysis GAME.pgn OUT.png save a picture of the analysis of a game's position\n"
        "  --screenshot-review GAME.pgn OUT.png   save a picture of the window after a review of a game\n"
        "Data folders sit beside the program, or in $TARVO_HOME.\n");
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--screenshot") return TakeScreenshot(argc, argv, argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--screenshot-training")
    return TakeTrainingScreenshot(argc, argv, argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--screenshot-analysis")
    return TakeAnalysisScreenshot(argc, argv, argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--screenshot-review")
    return TakeReviewScreenshot(argc, argv, argv[2], argv[3]);
  CLarkoApp app(argc, argv);
  if (!app.InitInstance()) return 1;
  const int code = app.exec();
  app.ExitInstance();
  return code;
}
