#include "app/game_training_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_buttons.h"
#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/message_box.h"
#include "app/setting_refusal.h"
#include "app/training_field_tips.h"
#include "game/game.h"

CGameTrainingDialog::CGameTrainingDialog(QWidget* parent)
    : QDialog(parent), V(DefaultGameTrainingValues(g_Game->Engine.Evaluator.AnnList)) {
  setWindowTitle(QStringLiteral("对局训练神经网络评价模型"));
  auto* grid = new QGridLayout;
  RootDir = new CFolderEdit(false, this);
  RootDir->setMinimumWidth(280);
  grid->addWidget(new QLabel(QStringLiteral("RootDir:"), this), 0, 0);
  grid->addWidget(RootDir, 0, 1, 1, 2);
  grid->addWidget(RootDir->BrowseButton(), 0, 3);
  CullDraw = new QCheckBox(QStringLiteral("CullDraw."), this);
  grid->addWidget(CullDraw, 1, 0, 1, 2);
  int row = 2, column = 0;
  const auto add = [&](const char* label) {
    auto* box = new QLineEdit(this);
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, column);
    grid->addWidget(box, row, column + 1);
    column = column == 0 ? 2 : 0;
    if (column == 0) ++row;
    return box;
  };
  MaxTrainCount = add("MaxTrainCount:");
  MaxMoveCount = add("MaxMoveCount:");
  MaxWaitTime = add("MaxWaitTime:");
  MaxUncapMoveCount = add("MaxUncapMoveCount:");
  MinDeltaPieceCount = add("MinDeltaPieceCount:");
  MinStatusCount = add("MinStatusCount:");
  MinMoveCoeff = add("MinMoveCoeff:");
  MaxLearnCount = add("MaxLearnCount:");
  AutoSaveCount = add("AutoSaveCount:");
  Alpha = add("Alpha:");
  Lambda = add("Lambda:");
  if (column != 0) ++row;
  // The opponent: another engine program, or the network against the
  // hand-written evaluation when the box is clear.
  UseOutside = new QCheckBox(QStringLiteral("与外部引擎对局."), this);
  grid->addWidget(UseOutside, row++, 0, 1, 4);
  EngineCommand = new QLineEdit(this);
  grid->addWidget(new QLabel(QStringLiteral("引擎命令:"), this), row, 0);
  grid->addWidget(EngineCommand, row++, 1, 1, 3);
  EngineMoveTime = new QLineEdit(this);
  grid->addWidget(new QLabel(QStringLiteral("思考时间(ms):"), this), row, 0);
  grid->addWidget(EngineMoveTime, row++, 1);
  connect(UseOutside, &QCheckBox::toggled, this, [this](bool on) {
    EngineCommand->setEnabled(on);
    EngineMoveTime->setEnabled(on);
  });

  QDialogButtonBox* buttons = MakeOkCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  ShowValues();
  AddTrainingFieldTips(this, CTrainingJob::Game);
}

void CGameTrainingDialog::ShowValues() {
  RootDir->setText(FromLocalPath(V.RootDir));
  CullDraw->setChecked(V.CullDraw != 0);
  MaxTrainCount->setText(QString::number(V.MaxTrainCount));
  MaxMoveCount->setText(QString::number(V.MaxMoveCount));
  MaxWaitTime->setText(QString::number(V.MaxWaitTime));
  MaxUncapMoveCount->setText(QString::number(V.MaxUncapMoveCount));
  MinDeltaPieceCount->setText(QString::number(V.MinDeltaPieceCount));
  MinStatusCount->setText(QString::number(V.MinStatusCount));
  MinMoveCoeff->setText(QString::number(V.MinMoveCoeff));
  MaxLearnCount->setText(QString::number(V.MaxLearnCount));
  AutoSaveCount->setText(QString::number(V.AutoSaveCount));
  Alpha->setText(QString::number(V.Alpha));
  Lambda->setText(QString::number(V.Lambda));
  UseOutside->setChecked(V.TrainWithOutside != 0);
  EngineCommand->setText(QString::fromStdString(V.Outside.Command));
  EngineMoveTime->setText(QString::number(V.Outside.MoveTimeMs));
  EngineCommand->setEnabled(UseOutside->isChecked());
  EngineMoveTime->setEnabled(UseOutside->isChecked());
}

int CGameTrainingDialog::exec() {
  ShowValues();
  return QDialog::exec();
}

void CGameTrainingDialog::accept() {
  CGameTrainingValues read = V;
  if (!RootDir->CheckFolder()) return;
  read.RootDir = LocalPathOf(RootDir->text());
  read.CullDraw = CullDraw->isChecked() ? 1 : 0;
  read.TrainWithOutside = UseOutside->isChecked() ? 1 : 0;
  read.Outside.Command = EngineCommand->text().trimmed().toStdString();
  if (!ReadIntField(this, MaxTrainCount, QStringLiteral("MaxTrainCount:"), read.MaxTrainCount) ||
      !ReadIntField(this, MaxMoveCount, QStringLiteral("MaxMoveCount:"), read.MaxMoveCount) ||
      !ReadIntField(this, MaxWaitTime, QStringLiteral("MaxWaitTime:"), read.MaxWaitTime) ||
      !ReadIntField(this, MaxUncapMoveCount, QStringLiteral("MaxUncapMoveCount:"), read.MaxUncapMoveCount) ||
      !ReadIntField(this, MinDeltaPieceCount, QStringLiteral("MinDeltaPieceCount:"), read.MinDeltaPieceCount) ||
      !ReadIntField(this, MinStatusCount, QStringLiteral("MinStatusCount:"), read.MinStatusCount) ||
      !ReadFloatField(this, MinMoveCoeff, QStringLiteral("MinMoveCoeff:"), read.MinMoveCoeff) ||
      !ReadIntField(this, MaxLearnCount, QStringLiteral("MaxLearnCount:"), read.MaxLearnCount) ||
      !ReadIntField(this, AutoSaveCount, QStringLiteral("AutoSaveCount:"), read.AutoSaveCount) ||
      !ReadFloatField(this, Alpha, QStringLiteral("Alpha:"), read.Alpha) ||
      !ReadFloatField(this, Lambda, QStringLiteral("Lambda:"), read.Lambda) ||
      !ReadIntField(this, EngineMoveTime, QStringLiteral("思考时间(ms):"), read.Outside.MoveTimeMs))
    return;
  // Every range is the job's: the same values get the same refusal here as
  // on the command line.
  const std::vector<CSettingField> fields = {
      {"RootDir", RootDir, {}},
      {"CullDraw", CullDraw, {}},
      {"MaxTrainCount", MaxTrainCount, {}},
      {"MaxMoveCount", MaxMoveCount, {}},
      {"MaxWaitTime", MaxWaitTime, {}},
      {"MaxUncapMoveCount", MaxUncapMoveCount, {}},
      {"MinDeltaPieceCount", MinDeltaPieceCount, {}},
      {"MinStatusCount", MinStatusCount, {}},
      {"MinMoveCoeff", MinMoveCoeff, {}},
      {"TrainWithOutside", UseOutside, QStringLiteral("与外部引擎对局")},
      {"MaxLearnCount", MaxLearnCount, {}},
      {"AutoSaveCount", AutoSaveCount, {}},
      {"Alpha", Alpha, {}},
      {"Lambda", Lambda, {}},
      {"MoveTime", EngineMoveTime, QStringLiteral("思考时间(ms)")},
      {"Engine", EngineCommand, QStringLiteral("引擎命令")},
  };
  if (!AcceptOrRefuse(this, CheckGameTrainingValues(read), fields)) return;
  V = read;
  QDialog::accept();
}
