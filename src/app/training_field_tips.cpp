#include "app/training_field_tips.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include "jobs/batch_train.h"
#include "jobs/game_training_values.h"

namespace {

enum class CFor { Both, Batch, Game };

struct CFieldTip {
  const char* Label;
  const char* Setting;  // the job's name for it, when it has a range
  CFor Dialog;
  const char* Tip;
};

constexpr CFieldTip kTips[] = {
    {"RootDir", nullptr, CFor::Both, "棋谱所在的文件夹: 对局训练把对局保存在这里, 批量训练从这里读取样本. 必须是已存在的文件夹."},
    {"CullDraw", nullptr, CFor::Both, "勾选时, 和棋既不保存也不用于训练."},
    {"MaxTrainCount", "MaxTrainCount", CFor::Game, "要下的对局局数."},
    {"MaxMoveCount", "MaxMoveCount", CFor::Game, "一局最多的步数 (双方各走一步算两步), 到此仍未结束的对局按未完成处理."},
    {"MaxWaitTime", "MaxWaitTime", CFor::Game, "等待外部引擎应着的最长时间 (毫秒), 超时按超时方负处理."},
    {"MaxUncapMoveCount", "MaxUncapMoveCount", CFor::Game, "连续这么多步没有吃子后, 按双方子力判定结果."},
    {"MinDeltaPieceCount", "MinDeltaPieceCount", CFor::Game, "按子力判定时, 双方棋子数相差超过此数才判胜负, 否则判和."},
    {"MinStatusCount", "MinStatusCount", CFor::Both, "少于这么多步的对局不保存, 也不用于训练."},
    {"MinMoveCoeff", "MinMoveCoeff", CFor::Both, "训练时一局中着法权重系数的下限 (小数)."},
    {"MaxLearnCount", "MaxLearnCount", CFor::Batch, "每次训练的学习遍数."},
    {"MaxLearnCount", "MaxLearnCount", CFor::Game, "每局对局的学习遍数."},
    {"AutoSaveCount", "AutoSaveCount", CFor::Batch, "每学习这么多遍保存一次网络快照."},
    {"AutoSaveCount", "AutoSaveCount", CFor::Game, "每训练这么多局保存一次网络, 训练结束时也保存."},
    {"Alpha", "Alpha", CFor::Both, "学习率 (小数), 每遍学习调整权重的步长."},
    {"Lambda", "Lambda", CFor::Both, "时间差分学习的衰减系数 (小数)."},
    {"BasicTdbpAnnIndex", nullptr, CFor::Batch, "显示和保存参数所用的网络序号. 范围: 0 到 网络数 - 1."},
    {"MaxPatternListBytes", "MaxPatternListBytes", CFor::Batch, "样本列表在内存中最多占用的字节数."},
    {"TestOverflowFreq", "TestOverflowFreq", CFor::Batch, "每学习这么多个样本检查一次权重是否溢出."},
    {"TestOverflowCoeff", "TestOverflowCoeff", CFor::Batch, "检查溢出时所用的系数 (小数)."},
    {"StartTdbpAnnIndex", "StartTdbpAnnIndex", CFor::Batch, "参加训练的第一个网络的序号, -1 表示不指定."},
    {"EndTdbpAnnIndex", "EndTdbpAnnIndex", CFor::Batch, "参加训练的最后一个网络的序号, -1 表示不指定."},
    {"MaxRelearnCount", "MaxRelearnCount", CFor::Batch, "整个样本集重复学习的轮数."},
    {"ThreadCount", "ThreadCount", CFor::Batch, "每个样本所用的学习线程数."},
    {"Lower", nullptr, CFor::Batch, "随机化时初始权重的下限 (小数), 不大于 Upper."},
    {"Upper", nullptr, CFor::Batch, "随机化时初始权重的上限 (小数), 不小于 Lower."},
    {"CurrRelearnCount", nullptr, CFor::Batch, "当前已学习的轮数 (只读)."},
    {"ElapsedTime", nullptr, CFor::Batch, "训练已用的时间 (只读)."},
    {"与外部引擎对局", nullptr, CFor::Game, "勾选时与外部引擎对局; 不勾选时神经网络与手写评价对局."},
    {"引擎命令", nullptr, CFor::Game, "启动外部引擎的命令行."},
    {"思考时间(ms)", "MoveTime", CFor::Game, "外部引擎每步的思考时间 (毫秒)."},
};

CSettingRanges RangesOf(CTrainingJob job) {
  return job == CTrainingJob::Batch ? BatchTrainingRanges() : CSettingRanges(kGameTrainingRanges);
}

bool Serves(CFor dialog, CTrainingJob job) {
  return dialog == CFor::Both || (dialog == CFor::Batch) == (job == CTrainingJob::Batch);
}

// The field beside a label in the grid that holds it.
QWidget* FieldBeside(QWidget* dialog, QLabel* label) {
  for (QGridLayout* grid : dialog->findChildren<QGridLayout*>()) {
    const int index = grid->indexOf(label);
    if (index < 0) continue;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    QLayoutItem* item = grid->itemAtPosition(row, column + columns);
    return item ? item->widget() : nullptr;
  }
  return nullptr;
}

}  // namespace

QString SettingRangeTip(const CSettingRange& range) {
  if (range.AboveMin) return QStringLiteral(" 范围: 大于 %1, 至多 %2.").arg(range.Min).arg(range.Max);
  return QStringLiteral(" 范围: %1 到 %2.").arg(range.Min).arg(range.Max);
}

QString TrainingFieldTip(CTrainingJob job, const QString& label) {
  QString name = label.trimmed();
  if (name.endsWith(':') || name.endsWith('.')) name.chop(1);
  for (const CFieldTip& tip : kTips) {
    if (!Serves(tip.Dialog, job) || name != QString::fromUtf8(tip.Label)) continue;
    QString text = QString::fromUtf8(tip.Tip);
    if (tip.Setting)
      if (const CSettingRange* range = FindSettingRange(RangesOf(job), tip.Setting)) text += SettingRangeTip(*range);
    return text;
  }
  return QString();
}

void AddTrainingFieldTips(QWidget* dialog, CTrainingJob job) {
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    const QString tip = TrainingFieldTip(job, label->text());
    if (tip.isEmpty()) continue;
    label->setToolTip(tip);
    if (QWidget* field = FieldBeside(dialog, label)) field->setToolTip(tip);
  }
  for (QAbstractButton* box : dialog->findChildren<QAbstractButton*>()) {
    const QString tip = TrainingFieldTip(job, box->text());
    if (!tip.isEmpty()) box->setToolTip(tip);
  }
}
