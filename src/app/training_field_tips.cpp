#include "app/training_field_tips.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace {

struct CFieldTip {
  const char* Name;
  const char* Tip;
};

// Shared by both dialogs where a name means the same in both.
constexpr CFieldTip kTips[] = {
    {"RootDir", "棋谱所在的文件夹: 对局训练把对局保存在这里, 批量训练从这里读取样本. 必须是已存在的文件夹."},
    {"CullDraw", "勾选时, 和棋既不保存也不用于训练."},
    {"MaxTrainCount", "要下的对局局数. 范围: 1 到 10000000."},
    {"MaxMoveCount", "一局最多的步数 (双方各走一步算两步), 到此仍未结束的对局按未完成处理. 范围: 1 到 1023."},
    {"MaxWaitTime", "等待外部引擎应着的最长时间 (毫秒), 超时按超时方负处理. 范围: 1 到 2147483647."},
    {"MaxUncapMoveCount", "连续这么多步没有吃子后, 按双方子力判定结果. 范围: 1 到 1023."},
    {"MinDeltaPieceCount", "按子力判定时, 双方棋子数相差超过此数才判胜负, 否则判和. 范围: 0 到 32."},
    {"MinStatusCount", "少于这么多步的对局不保存, 也不用于训练. 范围: 0 到 1023."},
    {"MinMoveCoeff", "训练时一局中着法权重系数的下限 (小数). 范围: 0 到 1."},
    {"MaxLearnCount", "每次训练的学习遍数. 范围: 1 到 10000000."},
    {"AutoSaveCount", "每学习这么多遍保存一次网络快照. 范围: 1 到 MaxLearnCount."},
    {"Alpha", "学习率 (小数), 每遍学习调整权重的步长. 范围: 大于 0, 至多 1."},
    {"Lambda", "时间差分学习的衰减系数 (小数). 范围: 0 到 1."},
    {"BasicTdbpAnnIndex", "显示和保存参数所用的网络序号. 范围: 0 到 网络数 - 1."},
    {"MaxPatternListBytes", "样本列表在内存中最多占用的字节数. 范围: 1 到 2147483647."},
    {"TestOverflowFreq", "每学习这么多个样本检查一次权重是否溢出. 范围: 1 到 2147483647."},
    {"TestOverflowCoeff", "检查溢出时所用的系数 (小数). 范围: 大于 0, 至多 1."},
    {"StartTdbpAnnIndex", "参加训练的第一个网络的序号. 范围: 0 到 EndTdbpAnnIndex."},
    {"EndTdbpAnnIndex", "参加训练的最后一个网络的序号. 范围: StartTdbpAnnIndex 到 网络数 - 1."},
    {"MaxRelearnCount", "整个样本集重复学习的轮数. 范围: 1 到 2147483647."},
    {"ThreadCount", "每个样本所用的学习线程数. 范围: 1 到 64."},
    {"Lower", "随机化时初始权重的下限 (小数), 不大于 Upper."},
    {"Upper", "随机化时初始权重的上限 (小数), 不小于 Lower."},
    {"CurrRelearnCount", "当前已学习的轮数 (只读)."},
    {"ElapsedTime", "训练已用的时间 (只读)."},
    {"与外部引擎对局", "勾选时与外部引擎对局; 不勾选时神经网络与手写评价对局."},
    {"引擎命令", "启动外部引擎的命令行."},
    {"思考时间(ms)", "外部引擎每步的思考时间 (毫秒). 范围: 1 到 2147483647."},
};

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

QString TrainingFieldTip(const QString& label) {
  QString name = label.trimmed();
  if (name.endsWith(':') || name.endsWith('.')) name.chop(1);
  for (const CFieldTip& tip : kTips)
    if (name == QString::fromUtf8(tip.Name)) return QString::fromUtf8(tip.Tip);
  return QString();
}

void AddTrainingFieldTips(QWidget* dialog) {
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    const QString tip = TrainingFieldTip(label->text());
    if (tip.isEmpty()) continue;
    label->setToolTip(tip);
    if (QWidget* field = FieldBeside(dialog, label)) field->setToolTip(tip);
  }
  for (QAbstractButton* box : dialog->findChildren<QAbstractButton*>()) {
    const QString tip = TrainingFieldTip(box->text());
    if (!tip.isEmpty()) box->setToolTip(tip);
  }
}
