#include "app/book_dialog.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/job_messages.h"
#include "app/job_progress_text.h"
#include "app/message_box.h"
#include "app/setting_refusal.h"
#include "game/game.h"

namespace {
const QString kIdleCaption = QStringLiteral("开局库");
const QString kBuildingCaption = QStringLiteral("开局库(正在创建...)");
const QString kFolderLabel = QStringLiteral("棋谱目录");

QString OutcomeText(const CBookBuildResult& result) {
  QString text = QStringLiteral("读取 %1 局, 保留 %2 个节点").arg(result.GamesRead).arg(result.NodesKept);
  if (result.Stopped) text += QStringLiteral(" (已中断)");
  if (!result.SkippedFiles.empty())
    text += QStringLiteral("; 跳过 %1 个无法使用的文件 (见 creating.txt)").arg(result.SkippedFiles.size());
  return text + QStringLiteral(".");
}

// The job's reason in the dialog's words: its fields by their labels, and
// the two ways a build finds nothing to keep said in full.
QString FailureText(const CJobError& error, const CBookBuildResult& result, int32_t minWeight) {
  if (error.Fault == CJobFault::NoInput && error.Setting == "MinWeight")
    return QStringLiteral("最小权重: 没有一个节点的权重达到 %1, 原开局库保持不变.").arg(minWeight);
  CJobError shown = error;
  if (shown.Setting == "RootDir") shown.Setting = kFolderLabel.toStdString();
  if (shown.Fault != CJobFault::NoInput) return ChineseMessage(shown);
  shown.Detail.clear();
  QString text = ChineseMessage(shown);
  if (!result.SkippedFiles.empty())
    text += QStringLiteral(" (跳过 %1 个无法使用的文件, 见 creating.txt)").arg(result.SkippedFiles.size());
  return text;
}
}  // namespace

CBookDialog::CBookDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kIdleCaption);
  const CBookBuildSettings defaults = BookBuildDefaults(g_Game ? &g_Game->Engine.Book : nullptr);
  auto* grid = new QGridLayout;
  RecordFolder = new CFolderEdit(false, this);
  RecordFolder->setText(FromLocalPath(defaults.RootDir));
  RecordFolder->setMinimumWidth(280);
  grid->addWidget(new QLabel(kFolderLabel + QStringLiteral(":"), this), 0, 0);
  grid->addWidget(RecordFolder, 0, 1, 1, 2);
  grid->addWidget(RecordFolder->BrowseButton(), 0, 3);
  const auto addWeight = [&](const char* label, int32_t value, int row) {
    auto* box = new QLineEdit(QString::number(value), this);
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
    grid->addWidget(box, row, 1);
    return box;
  };
  MinWeight = addWeight("最小权重:", defaults.MinWeight, 1);
  WonWeight = addWeight("赢棋权重:", defaults.WonWeight, 2);
  DrawWeight = addWeight("和棋权重:", defaults.DrawWeight, 3);
  LossWeight = addWeight("输棋权重:", defaults.LossWeight, 4);
  Status = new QLabel(this);
  Status->setWordWrap(true);
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QHBoxLayout;
  CreateButton = new QPushButton(QStringLiteral("创建"), this);
  StopButton = new QPushButton(QStringLiteral("中断"), this);
  ExitButton = new QPushButton(QStringLiteral("退出"), this);
  for (QPushButton* button : {CreateButton, StopButton, ExitButton}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  connect(CreateButton, &QPushButton::clicked, this, &CBookDialog::OnCreate);
  connect(StopButton, &QPushButton::clicked, this, &CBookDialog::OnStop);
  connect(ExitButton, &QPushButton::clicked, this, &CBookDialog::reject);
  connect(&Runner, &CJobRunner::Progress, this, &CBookDialog::ShowProgress);
  connect(&Runner, &CJobRunner::Finished, this, [this] { ShowEnd(true); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(Status);
  layout->addLayout(buttons);
}

CBookDialog::~CBookDialog() { Runner.Stop(); }

void CBookDialog::OnCreate() {
  OnStop();
  CBookBuildSettings settings = BookBuildDefaults(nullptr);
  if (!ReadIntField(this, MinWeight, QStringLiteral("最小权重:"), settings.MinWeight) ||
      !ReadIntField(this, WonWeight, QStringLiteral("赢棋权重:"), settings.WonWeight) ||
      !ReadIntField(this, DrawWeight, QStringLiteral("和棋权重:"), settings.DrawWeight) ||
      !ReadIntField(this, LossWeight, QStringLiteral("输棋权重:"), settings.LossWeight))
    return;
  settings.RootDir = LocalPathOf(RecordFolder->text());
  if (!AcceptOrRefuse(this, CheckBookBuildSettings(settings), {{"RootDir", RecordFolder, kFolderLabel}})) return;
  setWindowTitle(kBuildingCaption);
  Status->setText(ProgressText(BookBuildWording(), CJobProgress {}));
  Result = CBookBuildResult {};
  Error = CJobError {};
  Running = settings;
  Runner.Start([this, settings](CJobControl& control) {
    const auto report = control.OnProgress;
    control.OnProgress = [this, report, &control](const CJobProgress& progress) {
      report(progress);
      if (AfterProgress) AfterProgress(control);
    };
    // The build reads the records into a game of its own; only a build that
    // succeeds takes the place of the engine's book.
    Error = RunBookBuild(settings, control, Result, &g_Game->Engine.Book);
    return QString();
  });
}

void CBookDialog::ShowProgress(const CJobProgress& progress) {
  if (!Runner.Running()) return;
  // The current file below the folder, which the field above already shows.
  CJobProgress shown = progress;
  if (shown.Current.rfind(Running.RootDir, 0) == 0) shown.Current.erase(0, Running.RootDir.size());
  Status->setText(ProgressText(BookBuildWording(), shown));
}

void CBookDialog::ShowEnd(bool withBox) {
  setWindowTitle(kIdleCaption);
  Status->setText(Error ? FailureText(Error, Result, Running.MinWeight) : OutcomeText(Result));
  if (!withBox) return;
  if (Error) {
    ShowMessage(this, QStringLiteral("创建开局库失败."));
  } else {
    ShowMessage(this, QStringLiteral("创建开局库成功."), CMessageKind::Information);
  }
}

void CBookDialog::OnStop() {
  // The end of a build stopped here does not come as a signal: it is reported now.
  if (!Runner.Running()) return;
  Runner.Stop();
  ShowEnd(true);
}

void CBookDialog::reject() {
  if (Runner.Running()) {
    Runner.Stop();
    ShowEnd(false);
  }
  QDialog::reject();
}
