#include "app/book_dialog.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/message_box.h"
#include "common/exe_path.h"
#include "game/game.h"

namespace {
const QString kIdleCaption = QStringLiteral("开局库");
const QString kBuildingCaption = QStringLiteral("开局库(正在创建...)");
}  // namespace

CBookDialog::CBookDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kIdleCaption);
  auto* grid = new QGridLayout;
  RecordFolder = new CFolderEdit(false, this);
  RecordFolder->setText(FromLocalPath(GetExePath() + "case/"));
  RecordFolder->setMinimumWidth(280);
  grid->addWidget(new QLabel(QStringLiteral("棋谱目录:"), this), 0, 0);
  grid->addWidget(RecordFolder, 0, 1, 1, 2);
  grid->addWidget(RecordFolder->BrowseButton(), 0, 3);
  // The book's current weights.
  const COpeningBook& book = g_Game->Engine.Book;
  const auto addWeight = [&](const char* label, int32_t value, int row) {
    auto* box = new QLineEdit(QString::number(value), this);
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
    grid->addWidget(box, row, 1);
    return box;
  };
  MinWeight = addWeight("最小权重:", book.MinWeight, 1);
  WonWeight = addWeight("赢棋权重:", book.WonWeight, 2);
  DrawWeight = addWeight("和棋权重:", book.DrawWeight, 3);
  LossWeight = addWeight("输棋权重:", book.LossWeight, 4);

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
  connect(this, &CBookDialog::BuildEnded, this, &CBookDialog::ShowResult, Qt::QueuedConnection);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

CBookDialog::~CBookDialog() { OnStop(); }

void CBookDialog::OnCreate() {
  OnStop();
  int32_t minWeight = 0, wonWeight = 0, drawWeight = 0, lossWeight = 0;
  if (!ReadIntField(this, MinWeight, QStringLiteral("最小权重:"), minWeight) ||
      !ReadIntField(this, WonWeight, QStringLiteral("赢棋权重:"), wonWeight) ||
      !ReadIntField(this, DrawWeight, QStringLiteral("和棋权重:"), drawWeight) ||
      !ReadIntField(this, LossWeight, QStringLiteral("输棋权重:"), lossWeight))
    return;
  setWindowTitle(kBuildingCaption);
  Finished = false;
  const std::string folder = LocalPathOf(RecordFolder->text());
  CBookBuildSettings settings;
  settings.RootDir = folder;
  settings.MinWeight = minWeight;
  settings.WonWeight = wonWeight;
  settings.DrawWeight = drawWeight;
  settings.LossWeight = lossWeight;
  Control.StopRequested = 0;
  Worker = std::thread([this, settings] {
    // The build reads the records into a game of its own; only a build that
    // succeeds takes the place of the engine's book.
    CBookBuildResult result;
    const CJobError error = RunBookBuild(settings, Control, result, &g_Game->Engine.Book);
    Finished = true;
    emit BuildEnded(error ? 0 : 1);
  });
}

void CBookDialog::ShowResult(int result) {
  if (result) {
    ShowMessage(this, QStringLiteral("创建开局库成功."), CMessageKind::Information);
  } else {
    // What went wrong is in the build log, creating.txt.
    ShowMessage(this, QStringLiteral("创建开局库失败."));
  }
}

void CBookDialog::OnStop() {
  if (Worker.joinable()) {
    Control.RequestStop();
    Worker.join();
  }
  setWindowTitle(kIdleCaption);
}

void CBookDialog::reject() {
  OnStop();
  QDialog::reject();
}
