#include "app/larko_app.h"

#include "app/larko_doc.h"
#include "app/main_frame.h"
#include "app/qt_translations.h"
#include "app/toolbar_icons.h"
#include "common/exe_path.h"
#include "common/random.h"
#include "game/espeak_voice.h"
#include "game/game.h"
#include "rules/notation_maps.h"

CLarkoApp::CLarkoApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tarvo"));
  setOrganizationName(QStringLiteral("Tarvo"));
  setWindowIcon(ApplicationIcon());
  InstallQtTranslations(*this);  // without the catalogue Qt's texts stay English
}

CLarkoApp::~CLarkoApp() { ExitInstance(); }

void CLarkoApp::CreateGameObject(CVoiceFactory voiceFactory) {
  SeedRandom();
  GetExePath();
  DeleteGameObject();
  g_Game = new CGame(voiceFactory);
}

void CLarkoApp::DeleteGameObject() {
  delete g_Game;
  g_Game = nullptr;
}

std::unique_ptr<CMainFrame> CLarkoApp::OpenMainFrame(const QStringList& files) {
  auto frame = std::make_unique<CMainFrame>();
  CLarkoDoc* doc = frame->Doc();
  const bool ok = files.isEmpty() ? doc->OnNewDocument() : doc->OnOpenDocument(files.first());
  if (!ok) return nullptr;
  return frame;
}

bool CLarkoApp::InitInstance() {
  BuildNotationMaps();
  CreateGameObject(CreateEspeakVoice);
  QStringList files = arguments();
  files.removeFirst();
  Frame = OpenMainFrame(files);
  if (!Frame) return false;
  Frame->RestoreSettings();
  Frame->show();
  return true;
}

void CLarkoApp::ExitInstance() {
  Frame.reset();
  DeleteGameObject();
}
