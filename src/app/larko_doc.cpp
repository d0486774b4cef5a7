#include "app/larko_doc.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QStatusBar>

#include "app/deferred_reply.h"
#include "app/failed_load_guard.h"
#include "app/message_box.h"
#include "app/recent_files.h"
#include "game/game.h"
#include "game/pgn_reader.h"
#include "rules/pieces.h"

namespace {
const char* kFilter = "中国象棋可移植棋谱 (*.pgn)";

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void ShowStatus(QWidget* window, const QString& text) {
  if (auto* frame = qobject_cast<QMainWindow*>(window)) frame->statusBar()->showMessage(text);
}
}  // namespace

void CLarkoDoc::SetTitle(const QString& title) {
  Title_ = title;
  emit TitleChanged();
}

void CLarkoDoc::SetPathName(const QString& path) {
  PathName_ = QFileInfo(path).absoluteFilePath();
  SetTitle(QFileInfo(path).fileName());
  AddToRecentFiles(PathName_);
}

void CLarkoDoc::RememberGame() {
  Modified = false;
  if (!g_Game->PgnText(RememberedText)) RememberedText.clear();
}

bool CLarkoDoc::IsModified() const {
  if (!Modified) return false;
  // A job may be using the game: then the mark alone answers.
  if (!g_Game || g_Game->Engine.EngineIdle.load() != 1 || g_Game->TrainingIdle.load() != 1 ||
      g_Game->CheckingIdle.load() != 1)
    return true;
  std::string text;
  return !g_Game->PgnText(text) || text != RememberedText;
}

bool CLarkoDoc::OnNewDocument() {
  PathName_.clear();
  Modified = false;
  SetTitle(QStringLiteral("Unknown"));
  // The computer's first move (when the person plays black) is left to the
  // view's worker, so the window never waits for a search.
  if (!WithoutImmediateComputerMove(*g_Game, [] { return g_Game->NewGame(InitialBoard.data(), 1); })) {
    ShowMessage(Window, QStringLiteral("新建游戏失败."));
    return false;
  }
  RememberGame();
  if (IsComputerToMove(*g_Game)) emit ComputerToMove();
  return true;
}

bool CLarkoDoc::OnOpenDocument(const QString& path) {
  const CFailedLoadGuard before(*g_Game);
  CPgnReadReport report;
  if (!ReadPgnFile(*g_Game, LocalPath(path), report)) {
    before.RestoreAfterFailedLoad(*g_Game);
    ShowStatus(Window, QStringLiteral("加载棋谱失败. ") + path + QStringLiteral(": ") +
                           QString::fromStdString(DescribeFailureChinese(report)));
    ShowMessage(Window, QStringLiteral("加载棋谱失败."));
    return false;
  }
  // How far the moves were read; a file read only in part is worth a box.
  const QString read = QString::fromStdString(DescribeStopChinese(report));
  ShowStatus(Window, read);
  if (!report.Complete()) ShowMessage(Window, read);
  RememberGame();
  SetPathName(path);
  return true;
}

bool CLarkoDoc::OnSaveDocument(const QString& path) {
  // The game writes the file itself, through a temporary file and a rename.
  if (!g_Game->SavePgn(LocalPath(path))) {
    ShowMessage(Window, QStringLiteral("保存棋谱失败."));
    return false;
  }
  RememberGame();
  SetPathName(path);
  return true;
}

bool CLarkoDoc::SaveModified() {
  if (!IsModified()) return true;
  const QString name = PathName_.isEmpty() ? Title_ : PathName_;
  switch (AskYesNoCancel(Window, QStringLiteral("是否将更改保存到 %1?").arg(name))) {
    case CAnswer::Yes:
      return FileSave();
    case CAnswer::No:
      return true;
    default:
      return false;
  }
}

void CLarkoDoc::FileNew() {
  if (!SaveModified()) return;
  OnNewDocument();
}

void CLarkoDoc::FileOpen() {
  const QString path = QFileDialog::getOpenFileName(Window, QStringLiteral("打开"), QString(),
                                                    QString::fromUtf8(kFilter));
  if (path.isEmpty()) return;
  OpenDocumentFile(path);
}

bool CLarkoDoc::OpenDocumentFile(const QString& path) {
  if (!SaveModified()) return false;
  // A failed load keeps the game as the load left it, under the old title.
  return OnOpenDocument(path);
}

bool CLarkoDoc::FileSave() {
  if (PathName_.isEmpty()) return FileSaveAs();
  return OnSaveDocument(PathName_);
}

bool CLarkoDoc::FileSaveAs() {
  QString suggestion = PathName_.isEmpty() ? Title_ + QStringLiteral(".pgn") : PathName_;
  QString path = QFileDialog::getSaveFileName(Window, QStringLiteral("另存为"), suggestion,
                                              QString::fromUtf8(kFilter));
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pgn");
  return OnSaveDocument(path);
}
