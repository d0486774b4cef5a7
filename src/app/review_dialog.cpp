#include "app/review_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/board_engine_settings.h"

CReviewDialog::CReviewDialog(QWidget* parent)
    : QDialog(parent),
      MoveTimeBox(new QSpinBox(this)),
      WriteCommentsBox(new QCheckBox(this)),
      UseOutsideBox(new QCheckBox(this)),
      OutsideCommand(LoadOutsidePlayerSettings().Engine.Command) {
  setWindowTitle(QStringLiteral("复盘"));
  const CReviewSettings defaults;
  MoveTimeBox->setRange(1, 600000);
  MoveTimeBox->setSingleStep(100);
  MoveTimeBox->setSuffix(QStringLiteral(" 毫秒"));
  MoveTimeBox->setValue(defaults.MoveTimeMs);
  MoveTimeBox->setToolTip(QStringLiteral("引擎思考每个局面的时间 (10 至 600000 毫秒)"));
  WriteCommentsBox->setText(QStringLiteral("把复盘结果写入棋谱注释"));
  WriteCommentsBox->setChecked(defaults.WriteComments);
  // The engine set in 选项 can judge the moves too (a UCI engine gives scores).
  UseOutsideBox->setText(OutsideCommand.empty() ? QStringLiteral("用外部引擎复盘 (选项中未设外部引擎)")
                                                : QStringLiteral("用外部引擎复盘: %1").arg(QString::fromStdString(OutsideCommand)));
  UseOutsideBox->setEnabled(!OutsideCommand.empty());
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("每步时间:"), MoveTimeBox);
  form->addRow(QString(), WriteCommentsBox);
  form->addRow(QString(), UseOutsideBox);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("开始"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("引擎逐步分析本局的每一步, 标出疑问手和败着."), this));
  layout->addLayout(form);
  layout->addWidget(buttons);
}

CReviewSettings CReviewDialog::Settings() const {
  CReviewSettings settings;
  settings.MoveTimeMs = MoveTimeBox->value();
  settings.WriteComments = WriteCommentsBox->isChecked();
  if (UseOutsideBox->isChecked()) settings.EngineCommand = OutsideCommand;
  return settings;
}
