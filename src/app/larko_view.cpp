#include "app/larko_view.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <array>

#include "app/command_ids.h"
#include "app/batch_training_dialog.h"
#include "app/board_engine_settings.h"
#include "app/book_dialog.h"
#include "app/deferred_reply.h"
#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/game_training_dialog.h"
#include "app/help_pages.h"
#include "app/job_messages.h"
#include "app/job_progress_text.h"
#include "app/larko_doc.h"
#include "app/message_box.h"
#include "app/options_dialog.h"
#include "app/selfplay_dialog.h"
#include "common/file_util.h"
#include "jobs/network_game_trainer.h"
#include "jobs/game_training_job.h"
#include "jobs/record_checking.h"
#include "jobs/ucci_engine_process.h"
#include "game/game.h"

namespace {
std::array<int32_t, 256> BoardOf(const CGame& game) {
  std::array<int32_t, 256> board {};
  std::copy(game.Engine.Position.Board, game.Engine.Position.Board + 256, board.begin());
  return board;
}
}  // namespace

CLarkoView::CLarkoView(CLarkoDoc* doc, QWidget* parent) : QWidget(parent), Doc(doc) {
  connect(doc, &CLarkoDoc::ComputerToMove, this, &CLarkoView::StartComputerReply);
  TrainingValues = new CGameTrainingDialog(this);
  SelfPlayValues = new CSelfPlayDialog(this);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(1, 1);
  // A new board is a new game for the outside engine: its program is ended
  // and started again at its next turn.
  g_Game->OnBoardReset = [this] {
    Painter.ResetPainter();
    Outside.End();
  };
  Outside.SetSettings(LoadOutsidePlayerSettings());
  SeatOutsideEngine(*g_Game, Outside.Settings().Seat);
  g_Game->TimeControl = LoadTimeControl();
  ClockTimer = new QTimer(this);
  ClockTimer->setInterval(1000);
  connect(ClockTimer, &QTimer::timeout, this, &CLarkoView::OnClockTick);
  ClockTimer->start();
  for (CJobRunner* runner : {&EngineWorker, &ReplyWorker, &TrainingWorker, &CheckingWorker, &SelfPlayWorker}) {
    // The search and the tool jobs stop on the game's idle flags.
    runner->SetStopNudge([] {
      g_Game->Engine.EngineIdle = 1;
      g_Game->TrainingIdle = 1;
      g_Game->CheckingIdle = 1;
    });
    connect(runner, &CJobRunner::Finished, this,
            [this, runner](const QString& message) { OnJobFinished(*runner, message); });
  }
  for (CJobRunner* runner : {&TrainingWorker, &CheckingWorker, &SelfPlayWorker}) {
    connect(runner, &CJobRunner::Progress, this, [this, runner](const CJobProgress& progress) {
      LastProgress = progress;
      // A report still queued when 中断 joined the job counts, but must not
      // cover the line that says it was interrupted.
      if (runner->Running()) emit StatusText(ProgressText(WordingOf(*runner), progress));
    });
    // A failed job's reason, worded in Chinese, arrives as a note before its end.
    connect(runner, &CJobRunner::Note, this, [this](const QString& line) { LastFailure = line; });
  }
}

CJobWording CLarkoView::WordingOf(const CJobRunner& runner) const {
  if (&runner == &TrainingWorker) return GameTrainingWording();
  if (&runner == &SelfPlayWorker) return SelfPlayWording();
  return RecordCheckWording();
}

QString CLarkoView::ToolSummary(const CJobRunner& runner, bool stopped, bool failed) const {
  QString summary = SummaryText(WordingOf(runner), LastProgress, stopped, failed);
  if (&runner == &SelfPlayWorker && stopped && SelfPlayResult.Dropped > 0)
    summary += QStringLiteral(", 未下完的 %1 局已丢弃 (再次运行时重下)").arg(SelfPlayResult.Dropped);
  return summary;
}

QString CLarkoView::RunningJobName() const {
  if (TrainingWorker.Running()) return GameTrainingWording().Name;
  if (CheckingWorker.Running()) return RecordCheckWording().Name;
  if (SelfPlayWorker.Running()) return SelfPlayWording().Name;
  return QString();
}

void CLarkoView::ShowJobStart(const CJobRunner& runner, long long total) {
  LastProgress = CJobProgress {};
  LastProgress.Total = total;
  LastFailure.clear();
  emit StatusText(ProgressText(WordingOf(runner), LastProgress));
}

CLarkoView::~CLarkoView() {
  StopWorkers();
  g_Game->OnBoardReset = nullptr;
}

bool CLarkoView::IsWorkerRunning() const {
  return EngineWorker.Running() || ReplyWorker.Running() || TrainingWorker.Running() ||
         CheckingWorker.Running() || SelfPlayWorker.Running();
}

bool CLarkoView::IsIdle() const {
  return !IsWorkerRunning() && g_Game->Engine.EngineIdle.load() == 1 &&
         g_Game->TrainingIdle.load() == 1 && g_Game->CheckingIdle.load() == 1;
}

bool CLarkoView::IsCommandEnabled(int id) const {
  switch (id) {
    case Cmd::UserManual:
    case Cmd::HomePage:
    case Cmd::About:
    case Cmd::AppExit:
    case Cmd::ViewToolBar:
    case Cmd::ViewStatusBar:
    case Cmd::MoveList:
      return true;
    case Cmd::StopJob:
      return TrainingWorker.Running() || CheckingWorker.Running() || SelfPlayWorker.Running();
    case Cmd::TextureGrayMarble:
    case Cmd::TexturePaleMarble:
    case Cmd::TextureTealMarble:
    case Cmd::TextureOak:
    case Cmd::TextureStone:
      // A worker paints with the texture path; it is changed only between jobs.
      return !IsWorkerRunning();
    default:
      break;
  }
  // Idle first: nothing of the game is read while a job uses it.
  if (!IsIdle()) return false;
  switch (id) {
    case Cmd::EditMode:
      return true;
    case Cmd::Undo:
      return g_Game->EditMode == 0 && g_Game->Engine.Record.Current >= 0;
    case Cmd::Redo:
      return g_Game->EditMode == 0 &&
             g_Game->Engine.Record.Current < g_Game->Engine.Record.Length - 1;
    case Cmd::OpeningBook:
    case Cmd::BatchTraining:
    case Cmd::GameTraining:
    case Cmd::RecordCheck:
    case Cmd::SelfPlay:
    case Cmd::Options:
    case Cmd::EngineMove:
    case Cmd::ClearBoard:
    case Cmd::Resign:
    case Cmd::MirrorHorizontal:
    case Cmd::MirrorVertical:
    case Cmd::FileNew:
    case Cmd::FileOpen:
    case Cmd::FileSave:
    case Cmd::FileSaveAs:
      return g_Game->EditMode == 0;
    default:
      return false;
  }
}

bool CLarkoView::IsCommandChecked(int id) const {
  if (id == Cmd::EditMode) return IsIdle() && g_Game->EditMode == 1;
  for (const auto& texture : kTextureCommands) {
    if (texture.Id == id) return Painter.Texture == texture.Path;
  }
  return false;
}

void CLarkoView::OnCommand(int id) {
  if (!IsCommandEnabled(id)) return;
  switch (id) {
    case Cmd::Options: OnOptions(); break;
    case Cmd::EditMode: OnEditMode(); break;
    case Cmd::Undo: OnUndo(); break;
    case Cmd::Redo: OnRedo(); break;
    case Cmd::EngineMove: OnEngineMove(); break;
    case Cmd::ClearBoard: OnClearBoard(); break;
    case Cmd::Resign: OnResign(); break;
    case Cmd::MirrorHorizontal:
    case Cmd::MirrorVertical: OnMirror(); break;
    case Cmd::UserManual: OpenHelpDocument(this, QString::fromUtf8(MANUAL_FILE)); break;
    case Cmd::HomePage: OnHomePage(); break;
    case Cmd::OpeningBook: OnOpeningBook(); break;
    case Cmd::BatchTraining: OnBatchTraining(); break;
    case Cmd::GameTraining: OnGameTraining(); break;
    case Cmd::RecordCheck: OnRecordCheck(); break;
    case Cmd::SelfPlay: OnSelfPlay(); break;
    case Cmd::StopJob: OnStopJob(); break;
    default:
      for (const auto& texture : kTextureCommands) {
        if (texture.Id == id) {
          Painter.Texture = texture.Path;
          Redraw();
        }
      }
      break;
  }
  emit StateChanged();
}

void CLarkoView::OnOptions() {
  COptionsDialog dialog(this);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  Redraw();
  if (!accepted) return;
  Outside.SetSettings(LoadOutsidePlayerSettings());
  // The engine may now have the side to move.
  StartComputerReply();
}

void CLarkoView::OnClockTick() {
  if (!g_Game || !g_Game->Clock.Running()) return;
  if (IsIdle() && g_Game->CheckFlag()) {
    Redraw();
    emit StateChanged();
    return;
  }
  update();  // the clocks are drawn over the last picture
}

void CLarkoView::OnEditMode() {
  Doc->SetModifiedFlag();
  g_Game->EditMode = 1 - g_Game->EditMode;
  // A piece picked up in one mode means nothing in the other (it may be off the board).
  if (Painter.OnRightClick()) Redraw();
}

void CLarkoView::OnUndo() {
  Doc->SetModifiedFlag();
  if (g_Game->Undo()) {
    Redraw();
  } else {
    ShowMessage(this, QStringLiteral("没有可撤销的走法."));
  }
}

void CLarkoView::OnRedo() {
  Doc->SetModifiedFlag();
  if (g_Game->Redo()) {
    Redraw();
  } else {
    ShowMessage(this, QStringLiteral("没有可恢复的走法."));
  }
}

void CLarkoView::OnEngineMove() {
  if (!IsIdle()) return;
  Doc->SetModifiedFlag();
  StartEngineJob(EngineWorker, true);
}

void CLarkoView::OnClearBoard() {
  g_Game->ClearBoard();
  Redraw();
}

void CLarkoView::OnResign() {
  Doc->SetModifiedFlag();
  g_Game->Resign();
  Redraw();
}

void CLarkoView::OnMirror() {
  CPosition& position = g_Game->Engine.Position;
  CPosition mirrored(position);
  if (!position.MirrorInto(mirrored)) return;
  char fen[FEN_BUFFER_SIZE] = {};
  if (!position.SetFromBoard(mirrored.Board, g_Game->RedToMove, fen)) return;
  g_Game->Engine.Record.Reset();
  g_Game->FEN = fen;
  Redraw();
}

void CLarkoView::OnOpeningBook() {
  {
    CBookDialog dialog(this);
    dialog.exec();
  }
  update();
}

void CLarkoView::OnBatchTraining() {
  {
    CBatchTrainingDialog dialog(this);
    dialog.exec();
  }
  update();
}

void CLarkoView::OnGameTraining() {
  if (TrainingValues->exec() == QDialog::Accepted && !TrainingWorker.Running()) StartTraining();
}

void CLarkoView::StartTraining() {
  if (TrainingWorker.Running()) return;
  CGameTrainingValues values = TrainingValues->Values();
  values.Outside = TrainingValues->Outside();
  // Busy from now on; the training itself keeps the flag cleared while it runs.
  g_Game->TrainingIdle = 0;
  ShowJobStart(TrainingWorker, values.MaxTrainCount);
  TrainingWorker.Start([this, values](CJobControl& control) {
    CGameTrainingHooks hooks;
    hooks.Refresh = [this, &control] {
      if (!control.Stopping()) RedrawFromWorker();
    };
    hooks.Trainer = MakeNetworkGameTrainer();
    hooks.SaveNetworks = MakeNetworkSaver(*g_Game);
    const CJobError error = RunGameTraining(*g_Game, values, hooks, control);
    g_Game->TrainingIdle = 1;
    return FailureMessage(control, error, QStringLiteral("对局训练失败."));
  });
  emit StateChanged();
}

QString CLarkoView::FailureMessage(CJobControl& control, const CJobError& error, const QString& failed) {
  if (!error || control.Stopping()) return QString();
  // The box keeps its fixed text; the reason goes to the status bar's summary.
  control.Note(ChineseMessage(error).toStdString());
  return failed;
}

void CLarkoView::OnRecordCheck() {
  // A cancelled choice starts nothing: the check rewrites every file it finds.
  const QString folder = BrowseFolder(this, CheckFolderPath);
  if (!folder.isEmpty()) StartChecking(folder);
}

void CLarkoView::StartChecking(const QString& folder) {
  if (CheckingWorker.Running() || folder.isEmpty()) return;
  CheckFolderPath = TidyFolderText(folder);
  CRecordCheckValues values;
  values.RootDir = LocalPathOf(CheckFolderPath);
  values.Outside = TrainingValues->Outside();
  ShowJobStart(CheckingWorker, 0);  // the job counts the files when it starts
  CheckingWorker.Start([values](CJobControl& control) {
    CRecordCheckHooks hooks;
    const CJobError error = RunRecordCheck(values, hooks, control);
    return FailureMessage(control, error, QStringLiteral("棋谱检查失败."));
  });
  emit StateChanged();
}

void CLarkoView::OnSelfPlay() {
  if (SelfPlayValues->exec() == QDialog::Accepted) StartSelfPlay();
}

void CLarkoView::StartSelfPlay() {
  if (SelfPlayWorker.Running()) return;
  const CSelfPlaySettings settings = SelfPlayValues->Settings();
  SelfPlayResult = CSelfPlayRun {};
  ShowJobStart(SelfPlayWorker, settings.Games);
  SelfPlayWorker.Start([this, settings](CJobControl& control) {
    // The games end on several threads at once: the last file written says
    // little, the count in the folder says it all.
    const auto report = control.OnProgress;
    control.OnProgress = [report](const CJobProgress& progress) {
      CJobProgress shown = progress;
      shown.Current.clear();
      report(shown);
    };
    const CJobError error = RunSelfPlay(settings, control, SelfPlayResult);
    return FailureMessage(control, error, QStringLiteral("自对弈失败."));
  });
  emit StateChanged();
}

void CLarkoView::OnHomePage() { OpenHelpDocument(this, QString::fromUtf8(README_FILE)); }

QImage CLarkoView::RenderPicture() {
  const int width = std::max(1, ClientWidth.load());
  const int height = std::max(1, ClientHeight.load());
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  CQtCanvas canvas(painter, Textures);
  Painter.Paint(canvas, *g_Game, CRect {0, 0, width, height});
  return image;
}

void CLarkoView::Redraw() {
  // While a search runs the game is not read: the last picture stays.
  if (IsIdle()) {
    CachedPicture = RenderPicture();
    PictureLayout = Painter;
  }
  update();
}

void CLarkoView::RedrawFromWorker() {
  QImage picture = RenderPicture();
  CBoardPainter layout = Painter;
  QMetaObject::invokeMethod(
      this,
      [this, picture, layout] {
        CachedPicture = picture;
        PictureLayout = layout;
        update();
        // A move was played: the move list and the commands follow it.
        emit StateChanged();
      },
      Qt::QueuedConnection);
}

void CLarkoView::paintEvent(QPaintEvent*) {
  if (CachedPicture.size() != size() && IsIdle()) {
    CachedPicture = RenderPicture();
    PictureLayout = Painter;
  }
  QPainter painter(this);
  if (CachedPicture.size() != size()) painter.fillRect(rect(), QColor(224, 224, 224));
  painter.drawImage(0, 0, CachedPicture);
  // The clocks read only the clock, which is safe while a worker plays.
  if (CachedPicture.size() == size() && g_Game && g_Game->Clock.Enabled()) {
    CQtCanvas canvas(painter, Textures);
    PictureLayout.DrawClocks(canvas, g_Game->Clock);
  }
}

void CLarkoView::resizeEvent(QResizeEvent* event) {
  ClientWidth = width();
  ClientHeight = height();
  QWidget::resizeEvent(event);
}

void CLarkoView::mousePressEvent(QMouseEvent* event) {
  const CPoint point {static_cast<int32_t>(event->position().x()),
                      static_cast<int32_t>(event->position().y())};
  if (event->button() == Qt::LeftButton) {
    if (!IsIdle()) return;
    Doc->SetModifiedFlag();
    const bool editMode = g_Game->EditMode == 1;
    const std::array<int32_t, 256> boardBefore = BoardOf(*g_Game);
    // An edit that makes a new game would have the computer answer at once on
    // this thread; its move is left to the reply worker instead.
    g_Game->LastRefusal = CMoveRefusal::None;
    const int result = WithoutImmediateComputerMove(
        *g_Game, [&] { return Painter.OnClick(*g_Game, point); });
    if (g_Game->LastRefusal == CMoveRefusal::LeavesKingAttacked) {
      Painter.OnRightClick();  // the piece goes back to its square
      emit MoveRefused(QStringLiteral("不能这样走: 走后己方将帅受攻击."));
    }
    Redraw();
    const bool newPosition = editMode && BoardOf(*g_Game) != boardBefore;
    if (result == 1 && (g_Game->EditMode == 0 || newPosition) && IsComputerToMove(*g_Game)) {
      StartEngineJob(ReplyWorker, false);
    }
  } else if (event->button() == Qt::RightButton) {
    if (IsWorkerRunning()) return;
    if (Painter.OnRightClick()) Redraw();
  }
  emit StateChanged();
}

void CLarkoView::mouseMoveEvent(QMouseEvent* event) {
  // A worker may be painting with the painter's fields.
  if (IsWorkerRunning()) return;
  const CPoint point {static_cast<int32_t>(event->position().x()),
                      static_cast<int32_t>(event->position().y())};
  if (Painter.OnMouseMove(point)) Redraw();
}

void CLarkoView::StartComputerReply() {
  if (IsIdle() && IsComputerToMove(*g_Game)) StartEngineJob(ReplyWorker, false);
  emit StateChanged();
}

void CLarkoView::StartEngineJob(CJobRunner& runner, bool engineCommand) {
  if (runner.Running()) return;
  // Busy from now on, not only once the search itself begins.
  g_Game->Engine.EngineIdle = 0;
  OutsideFault.clear();
  runner.Start([this, engineCommand](CJobControl& control) {
    int played = engineCommand ? g_Game->ComputerMove() : PlayComputerSide(control);
    // The engine command plays the side to move and then answers itself.
    if (engineCommand && played == 1 && !control.Stopping()) {
      RedrawFromWorker();
      played = PlayComputerSide(control);
    }
    g_Game->Engine.EngineIdle = 1;
    if (!control.Stopping()) RedrawFromWorker();
    return QString();
  });
}

int CLarkoView::PlayComputerSide(CJobControl& control) {
  if (!Outside.PlaysSideToMove(*g_Game)) return g_Game->ComputerMove();
  const COutsideTurn turn = Outside.PlayTurn(*g_Game, [&control] { return control.Stopping(); });
  OutsideFault = Outside.Error();
  return turn == COutsideTurn::Played ? 1 : 0;
}

void CLarkoView::OnJobFinished(const CJobRunner& runner, const QString& message) {
  Redraw();
  emit StateChanged();
  // After the game's end, which the status bar shows: what the outside engine did wrong.
  if (&runner == &ReplyWorker || &runner == &EngineWorker) {
    if (!OutsideFault.empty())
      emit StatusText(QString::fromStdString(g_Game->EndMessage()) + QStringLiteral(" (") +
                      QString::fromStdString(OutsideFault) + QStringLiteral(")"));
    OutsideFault.clear();
  }
  const bool toolJob = &runner == &TrainingWorker || &runner == &CheckingWorker || &runner == &SelfPlayWorker;
  if (toolJob) {
    // After the command states, which may show the game's end in the status bar.
    QString summary = ToolSummary(runner, runner.Stopping(), !message.isEmpty());
    if (!message.isEmpty() && !LastFailure.isEmpty()) summary += QStringLiteral(" (%1)").arg(LastFailure);
    emit StatusText(summary);
    if (message.isEmpty()) ShowMessage(this, summary, CMessageKind::Information);
  }
  if (!message.isEmpty()) ShowMessage(this, message);
}

void CLarkoView::OnStopJob() {
  for (CJobRunner* runner : {&TrainingWorker, &CheckingWorker, &SelfPlayWorker}) {
    if (!runner->Running()) continue;
    // Joined here, so no end arrives from the runner: the view words it,
    // after the reports the job sent before it stopped.
    runner->Stop();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    Redraw();
    emit StateChanged();
    emit StatusText(ToolSummary(*runner, true, false));
  }
}

void CLarkoView::StopWorkers() {
  if (g_Game) {
    g_Game->Engine.EngineIdle = 1;
    g_Game->TrainingIdle = 1;
    g_Game->CheckingIdle = 1;
  }
  for (CJobRunner* runner : {&EngineWorker, &ReplyWorker, &TrainingWorker, &CheckingWorker, &SelfPlayWorker}) runner->Stop();
  // No program is left behind the window.
  Outside.End();
}
