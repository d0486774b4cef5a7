// tarvo: the desktop program. "tarvo [FILE.pgn]" opens a game file;
// "tarvo --screenshot OUT.png" saves a picture of the window in the middle
// of a game and ends.
#include <QImage>

#include "app/larko_app.h"
#include "app/screenshot.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--screenshot") return TakeScreenshot(argc, argv, argv[2]);
  CLarkoApp app(argc, argv);
  if (!app.InitInstance()) return 1;
  const int code = app.exec();
  app.ExitInstance();
  return code;
}
