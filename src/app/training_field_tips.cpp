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
    {"ThreadCount", "ThreadCount", CFor::Batch, "每个样本所用的学习线程数; 批大小大于 1 时为分担每批的线程数."},
    {"打乱顺序", nullptr, CFor::Batch, "勾选时每遍按各自的随机顺序学习样本文件夹中所有文件的对局, 网络只在每遍结束时写出. 只用于单个网络的训练 (不指定网络序号)."},
    {"打乱种子", "ShuffleSeed", CFor::Batch, "打乱顺序所用的种子 (整数): 同一种子下各遍的顺序相同, 训练可以重现. 留空时每次训练随机取一个."},
    {"最终学习率", "AlphaEnd", CFor::Batch, "学习率从第 1 遍的 Alpha 按同一比例逐遍下降, 最后一遍为此值 (小数). 留空时学习率不变; 网络文件保存的仍是 Alpha."},
    {"批大小", "BatchSize", CFor::Batch, "每批这么多局从同一组权重学习, 更新相加后一次应用, 由 ThreadCount 个线程分担. 批越大, Alpha 宜越小. 留空或 1 时逐局学习."},
    {"Adam 优化", nullptr, CFor::Batch, "勾选时每个权重按 Adam 规则逐批调整 (步长约为 Alpha, 宜取 0.01 左右), 代替普通的更新."},
    {"搜索深度", "SearchDepth", CFor::Batch, "生成样本时, 子力评价模型对每个取样局面搜索的层数, 0 表示不搜索. 搜索评分权重大于 0 或勾选叶节点样本时至少为 1."},
    {"搜索评分权重", "ScoreWeight", CFor::Batch, "大于 0 时每个局面自成一个样本, 目标值为 (1 - 权重) × 对局结果 + 权重 × 搜索评分 (红方角度) 换算的期望值."},
    {"评分尺度", "ScoreScale", CFor::Batch, "搜索评分换算为期望值时, 逻辑函数一个单位对应的分数 (100 为一兵)."},
    {"叶节点样本", nullptr, CFor::Batch, "勾选时取样搜索主要变例末端的局面, 而不是局面本身 (TD-leaf). 搜索深度至少为 1."},
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
