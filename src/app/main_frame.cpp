#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/move_list_dock.h"
#include "app/notice_text.h"
#include "app/toolbar_icons.h"
#include "app/window_settings.h"
#include "common/notices.h"
#include "game/game.h"

namespace {
const char* kReady = "就绪";
const char* kPlainStatusTip = "plainStatusTip";
const char* kPlainToolTip = "plainToolTip";

// While a tool job runs, a command that stays enabled says that it still
// works; otherwise its tips are its own.
void ShowJobInTips(QAction* action, const QString& job) {
  const bool note = !job.isEmpty() && action->isEnabled();
  const QString suffix = QStringLiteral("（%1进行中，仍可使用）").arg(job);
  for (const char* name : {kPlainStatusTip, kPlainToolTip}) {
    const QString plain = action->property(name).toString();
    const QString tip = note ? plain + suffix : plain;
    if (name == kPlainStatusTip) action->setStatusTip(tip);
    else action->setToolTip(tip);
  }
}
}  // namespace

CMainFrame::CMainFrame() : Document(new CLarkoDoc(this)), BoardView(new CLarkoView(Document, this)) {
  Document->SetWindow(this);
  setWindowIcon(ApplicationIcon());
  setCentralWidget(BoardView);
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateMoveList();
  CreateAnalysis();
  setMinimumSize(MIN_WIDTH, MIN_HEIGHT);
  resize(MIN_WIDTH, MIN_HEIGHT);

  connect(Document, &CLarkoDoc::TitleChanged, this, &CMainFrame::UpdateTitle);
  connect(BoardView, &CLarkoView::StateChanged, this, &CMainFrame::UpdateCommandUI);
  connect(BoardView, &CLarkoView::MoveRefused, this,
          [this](const QString& reason) { statusBar()->showMessage(reason); });
  connect(BoardView, &CLarkoView::StatusText, statusBar(), [this](const QString& text) { statusBar()->showMessage(text); });
  UpdateTitle();
  UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
  // The dock reports itself hidden while the window is taken apart.
  disconnect(MoveListDock, nullptr, this, nullptr);
  StopAnalysis();
  BoardView->StopWorkers();
}

QAction* CMainFrame::Action(int id) const {
  const auto found = Actions.find(id);
  return found == Actions.end() ? nullptr : found->second;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const char* text, const char* prompt,
                                const char* tip) {
  auto* action = new QAction(QString::fromUtf8(text), this);
  action->setData(id);
  if (prompt) action->setStatusTip(QString::fromUtf8(prompt));
  if (tip) action->setToolTip(QString::fromUtf8(tip));
  action->setProperty(kPlainStatusTip, action->statusTip());
  action->setProperty(kPlainToolTip, action->toolTip());
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  menu->addAction(action);
  Actions[id] = action;
  return action;
}

void CMainFrame::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  AddCommand(file, Cmd::FileNew, "新建(&N)", "建立新游戏", "新建")->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
  file->addSeparator();
  AddCommand(file, Cmd::FileOpen, "打开(&O)...", "打开现有棋谱", "打开")->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
  file->addSeparator();
  AddCommand(file, Cmd::FileSave, "保存(&S)", "保存当前棋谱", "保存")->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
  AddCommand(file, Cmd::FileSaveAs, "另存为(&A)...", "将当前棋谱以一个新文件名保存", "另存为");
  file->addSeparator();
  AddCommand(file, Cmd::AppExit, "退出(&X)", "退出游戏", "退出");

  QMenu* play = menuBar()->addMenu(QStringLiteral("操作(&O)"));
  AddCommand(play, Cmd::MirrorHorizontal, "水平翻转(&H)", "水平翻转棋盘", "水平翻转");
  AddCommand(play, Cmd::MirrorVertical, "垂直翻转(&V)", "垂直翻转棋盘", "垂直翻转");
  play->addSeparator();
  AddCommand(play, Cmd::ClearBoard, "清空棋盘(&E)", "清空棋盘", "清空棋盘");
  play->addSeparator();
  AddCommand(play, Cmd::EditMode, "编辑局面(&E)", "编辑局面", "编辑局面")->setCheckable(true);
  play->addSeparator();
  AddCommand(play, Cmd::Undo, "撤消着法(&U)", "撤消最后一步着法", "撤消着法")
      ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
  AddCommand(play, Cmd::Redo, "恢复着法(&R)", "恢复执行先前已撤消的着法", "恢复着法");
  play->addSeparator();
  AddCommand(play, Cmd::EngineMove, "引擎走棋(&T)", "搜索引擎代劳走棋", "引擎走棋");
  play->addSeparator();
  AddCommand(play, Cmd::Resign, "投降认输(&S)", "投降认输", "投降认输");

  QMenu* view = menuBar()->addMenu(QStringLiteral("查看(&V)"));
  AddCommand(view, Cmd::ViewToolBar, "工具栏(&T)", "显示或隐藏工具栏", "显隐工具栏")->setCheckable(true);
  AddCommand(view, Cmd::ViewStatusBar, "状态栏(&S)", "显示或隐藏状态栏", "显隐状态栏")->setCheckable(true);
  view->addSeparator();
  QMenu* board = view->addMenu(QStringLiteral("棋盘(&B)"));
  AddCommand(board, Cmd::TextureGrayMarble, "灰色大理石(&G)", "灰色大理石棋盘", "灰色大理石");
  AddCommand(board, Cmd::TexturePaleMarble, "紫色大理石(&P)", nullptr, nullptr);
  AddCommand(board, Cmd::TextureTealMarble, "绿色大理石(&T)", "绿色大理石棋盘", "绿色大理石");
  board->addSeparator();
  AddCommand(board, Cmd::TextureOak, "普通橡木(&O)", "普通橡木棋盘", "普通橡木");
  board->addSeparator();
  AddCommand(board, Cmd::TextureStone, "普通石纹(&B)", "普通石纹棋盘", "普通石纹");
  for (const auto& texture : kTextureCommands) Actions[texture.Id]->setCheckable(true);
  view->addSeparator();
  AddCommand(view, Cmd::MoveList, "着法列表(&L)", "显示或隐藏着法列表", "显隐着法列表")->setCheckable(true);

  QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
  AddCommand(tools, Cmd::OpeningBook, "开局库(&O)...", nullptr, nullptr);
  tools->addSeparator();
  AddCommand(tools, Cmd::BatchTraining, "批量训练(&B)...", "批量训练神经网络评价模型", "批量训练");
  AddCommand(tools, Cmd::GameTraining, "对局训练(&T)...", "对局训练神经网络评价模型", "对局训练");
  AddCommand(tools, Cmd::SelfPlay, "自对弈(&Y)...", "引擎的两种设置互相对局, 棋谱写入文件夹", "自对弈");
  tools->addSeparator();
  AddCommand(tools, Cmd::RecordCheck, "棋谱检查(&X)...", "通过象棋巫师检查棋谱完整性", "棋谱检查");
  AddCommand(tools, Cmd::StopJob, "中断(&S)", "中断正在进行的对局训练、自对弈或棋谱检查", "中断");
  tools->addSeparator();
  AddCommand(tools, Cmd::Options, "选项(&P)...", "游戏选项页面", "选项");

  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  AddCommand(help, Cmd::UserManual, "用户手册(&C)...", "打开用户手册", "用户手册");
  help->addSeparator();
  AddCommand(help, Cmd::HomePage, "Tarvo 主页(&W)", "访问 Tarvo 项目主页", "Tarvo 主页");
  help->addSeparator();
  AddCommand(help, Cmd::About, "关于 Tarvo(&A)...", "显示程序信息，版本号和版权", "关于 Tarvo");

  CreateAnalysisCommands(play, view, tools);

  for (QMenu* menu : {file, play, view, board, tools, help}) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
  }
}

void CMainFrame::CreateToolBar() {
  Tools = new QToolBar(QStringLiteral("工具栏"), this);
  Tools->setObjectName(QStringLiteral("ToolBar"));
  Tools->setIconSize(QSize(16, 16));
  Tools->setMovable(true);
  Tools->setFloatable(true);
  Tools->setAllowedAreas(Qt::AllToolBarAreas);
  const int buttons[] = {Cmd::FileNew,    Cmd::FileOpen, Cmd::FileSave,   Cmd::ClearBoard,
                         Cmd::EditMode,   Cmd::Undo,     Cmd::Redo,       Cmd::EngineMove,
                         Cmd::Resign,     Cmd::Options,  Cmd::About};
  bool first = true;
  for (int id : buttons) {
    // Undo and redo stand together; every other pair is separated.
    if (!first && id != Cmd::Redo) Tools->addSeparator();
    first = false;
    QAction* action = Actions[id];
    action->setIcon(ToolbarIcon(id));
    Tools->addAction(action);
  }
  addToolBar(Qt::TopToolBarArea, Tools);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  for (const char* text : {"大写", "数字", "滚动"}) {
    auto* indicator = new QLabel(QString::fromUtf8(text), bar);
    indicator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    indicator->setEnabled(false);  // lock-key states are not known here
    bar->addPermanentWidget(indicator);
  }
  connect(bar, &QStatusBar::messageChanged, bar, [this, bar](const QString& message) {
    if (message.isEmpty()) bar->showMessage(IdleMessage());
  });
  bar->showMessage(QString::fromUtf8(kReady));
}

void CMainFrame::CreateMoveList() {
  MoveListDock = new CMoveListDock(BoardView, this);
  addDockWidget(Qt::RightDockWidgetArea, MoveListDock);
  // The check mark follows the dock, also when its own close button hides it.
  connect(MoveListDock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
  connect(MoveListDock, &CMoveListDock::CommentEdited, this, [this] { Document->SetModifiedFlag(); });
  connect(MoveListDock, &CMoveListDock::PlyChanged, this, [this] {
    Document->SetModifiedFlag();
    BoardView->Redraw();
    UpdateCommandUI();
  });
}

void CMainFrame::UpdateTitle() {
  setWindowTitle(Document->Title() + QStringLiteral(" - Tarvo"));
}

QString CMainFrame::IdleMessage() const {
  return ShownEnd.isEmpty() ? QString::fromUtf8(kReady) : ShownEnd;
}

void CMainFrame::ShowGameNews() {
  QStringList notices;
  for (const CNotice& notice : TakeNotices()) notices << NoticeForWindow(notice);
  if (!notices.isEmpty()) statusBar()->showMessage(notices.join(QStringLiteral("; ")));
  // The game is read only while no job uses it.
  if (!g_Game || !BoardView->IsIdle()) return;
  const QString end = QString::fromStdString(g_Game->EndMessage());
  if (end == ShownEnd) return;
  ShownEnd = end;
  statusBar()->showMessage(IdleMessage());
}

void CMainFrame::UpdateCommandUI() {
  ShowGameNews();
  if (MoveListDock) MoveListDock->Refresh();
  FollowBoard();
  for (const auto& [id, action] : Actions) {
    if (id == Cmd::ViewToolBar) {
      action->setChecked(Tools && Tools->isVisible());
      continue;
    }
    if (id == Cmd::ViewStatusBar) {
      action->setChecked(statusBar()->isVisible());
      continue;
    }
    if (UpdateAnalysisCommand(id, action)) continue;
    if (id == Cmd::MoveList) {
      action->setEnabled(true);
      action->setChecked(MoveListDock && !MoveListDock->isHidden());
      continue;
    }
    action->setEnabled(BoardView->IsCommandEnabled(id));
    if (action->isCheckable()) action->setChecked(BoardView->IsCommandChecked(id));
  }
  const QString job = BoardView->RunningJobName();
  for (const auto& [id, action] : Actions)
    if (id != Cmd::StopJob) ShowJobInTips(action, job);
}

void CMainFrame::OnCommand(int id) {
  if (OnAnalysisCommand(id)) {
    UpdateCommandUI();
    return;
  }
  switch (id) {
    case Cmd::FileNew:
    case Cmd::FileOpen:
    case Cmd::FileSave:
    case Cmd::FileSaveAs:
      if (!BoardView->IsCommandEnabled(id)) break;
      if (id == Cmd::FileNew) Document->FileNew();
      if (id == Cmd::FileOpen) Document->FileOpen();
      if (id == Cmd::FileSave) Document->FileSave();
      if (id == Cmd::FileSaveAs) Document->FileSaveAs();
      BoardView->Redraw();
      break;
    case Cmd::AppExit:
      close();
      break;
    case Cmd::ViewToolBar:
      Tools->setVisible(!Tools->isVisible());
      break;
    case Cmd::ViewStatusBar:
      statusBar()->setVisible(!statusBar()->isVisible());
      break;
    case Cmd::MoveList:
      MoveListDock->setVisible(MoveListDock->isHidden());
      break;
    case Cmd::About:
      ShowAbout();
      break;
    default:
      BoardView->OnCommand(id);
      break;
  }
  UpdateCommandUI();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!Document->SaveModified()) {
    event->ignore();
    return;
  }
  StopAnalysis();
  BoardView->StopWorkers();
  SaveWindowSettings(*this, BoardView->Painter);
  event->accept();
}

void CMainFrame::RestoreSettings() {
  // What the window adds around the board view, as it is laid out now.
  if (layout()) layout()->activate();
  RestoreWindowSettings(*this, BoardView->Painter, size() - BoardView->size());
  UpdateCommandUI();
}

void CMainFrame::ShowAbout() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("关于 Tarvo"));
  auto* picture = new QLabel(&dialog);
  picture->setPixmap(ApplicationIcon().pixmap(64, 64));
  auto* text = new QLabel(QStringLiteral("Tarvo 1.0 版\n中国象棋\n\n版权所有 (C) 2026 Tarvo 开发者"), &dialog);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(picture);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(buttons);
  dialog.exec();
}
