#pragma once
// The application: builds the game object at start-up, opens the main window
// with a new game or the file named on the command line, and destroys the
// game object at exit.
#include <QApplication>
#include <QStringList>
#include <memory>

#include "game/voice.h"

class CMainFrame;

class CLarkoApp : public QApplication {
  Q_OBJECT

 public:
  CLarkoApp(int& argc, char** argv);
  ~CLarkoApp() override;

  // The start-up steps; false when the program must end (a file on the
  // command line could not be opened).
  bool InitInstance();
  // Closes the window and deletes the game object.
  void ExitInstance();
  CMainFrame* MainFrame() const { return Frame.get(); }

  // Seeds the random generator, fixes the executable's directory and makes a
  // new game object (replacing any earlier one) with the given voice.
  static void CreateGameObject(CVoiceFactory voiceFactory);
  static void DeleteGameObject();
  // Settings, document, command line: a new game when files is empty, else
  // the first file opened. nullptr when the file cannot be opened.
  static std::unique_ptr<CMainFrame> OpenMainFrame(const QStringList& files);

 private:
  std::unique_ptr<CMainFrame> Frame;
};
