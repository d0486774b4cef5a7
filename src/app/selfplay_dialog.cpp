#include "app/selfplay_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_buttons.h"
#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/setting_refusal.h"
#include "app/training_field_tips.h"

namespace {

struct CSelfPlayTip {
  const char* Setting;  // the job's name, looked up in its range table
  const char* Tip;
};

constexpr CSelfPlayTip kTips[] = {
    {"OutDir", "每局结束后写入 selfplay_<编号>.pgn 的文件夹, 不存在时自动创建. 已有的对局保留, 只下缺少的局."},
    {"Games", "文件夹中要有的对局总数 (含已有的)."},
    {"AEval", "A 方的局面评价: 子力估值或神经网络. A 在单数局执红, 双数局执黑."},
    {"BEval", "B 方的局面评价: 子力估值或神经网络."},
    {"ADepth", "A 方每步搜索的深度."},
    {"BDepth", "B 方每步搜索的深度."},
    {"ANodes", "A 方每步搜索的节点数上限, 0 为不限."},
    {"BNodes", "B 方每步搜索的节点数上限, 0 为不限."},
    {"MoveTime", "双方每步思考的时间上限 (毫秒), 0 为不限. 限时下对局随机器速度而变, 同一种子不再重现同样的对局."},
    {"RandomPlies", "开局随机走的步数: 开局库有的局面按权重选着, 否则任选一步合法着法."},
    {"MaxPlies", "一局最多的步数, 到此仍未结束的对局按双方子力判定."},
    {"MinDeltaPieceCount", "到最多步数时, 一方的子比对方多出此数加 1 个以上判胜, 否则判和."},
    {"Seed", "随机步的种子: 同一种子下出同样的开局. 留空时取自时钟."},
    {"Threads", "同时进行的对局数, 每局一个线程."},
};

QString TipOf(const char* setting) {
  for (const CSelfPlayTip& tip : kTips) {
    if (std::string_view(tip.Setting) != setting) continue;
    QString text = QString::fromUtf8(tip.Tip);
    if (const CSettingRange* range = FindSettingRange(kSelfPlayRanges, setting)) text += SettingRangeTip(*range);
    return text;
  }
  return QString();
}

void FillEvalChoices(QComboBox* box) {
  box->addItem(QStringLiteral("子力估值"));  // EvalModel 0
  box->addItem(QStringLiteral("神经网络"));  // EvalModel 1
}

}  // namespace

CSelfPlayDialog::CSelfPlayDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("自对弈"));
  auto* grid = new QGridLayout;
  int row = 0;
  const auto place = [&](const char* setting, const char* label, QWidget* field) {
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row++, 1);
    caption->setToolTip(TipOf(setting));
    field->setToolTip(TipOf(setting));
  };
  const auto edit = [&](const char* setting, const char* label) {
    auto* box = new QLineEdit(this);
    place(setting, label, box);
    return box;
  };
  const auto choice = [&](const char* setting, const char* label) {
    auto* box = new QComboBox(this);
    FillEvalChoices(box);
    place(setting, label, box);
    return box;
  };
  OutDir = edit("OutDir", "输出文件夹:");
  OutDir->setMinimumWidth(280);
  // The folder is made when missing, so only the browser is shared with the
  // other folder fields, not their check that the folder exists.
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setAutoDefault(false);
  grid->addWidget(browse, 0, 2);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString folder = BrowseFolder(this, OutDir->text());
    if (!folder.isEmpty()) OutDir->setText(folder);
  });
  Games = edit("Games", "局数:");
  AEval = choice("AEval", "A 评价:");
  BEval = choice("BEval", "B 评价:");
  ADepth = edit("ADepth", "A 深度:");
  BDepth = edit("BDepth", "B 深度:");
  ANodes = edit("ANodes", "A 节点数:");
  BNodes = edit("BNodes", "B 节点数:");
  MoveTime = edit("MoveTime", "每步时间(毫秒):");
  RandomPlies = edit("RandomPlies", "随机步数:");
  MaxPlies = edit("MaxPlies", "最多步数:");
  MinDeltaPieceCount = edit("MinDeltaPieceCount", "子力差:");
  Seed = edit("Seed", "随机种子:");
  Seed->setPlaceholderText(QStringLiteral("取自时钟"));
  Threads = edit("Threads", "线程数:");

  QDialogButtonBox* buttons = MakeOkCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  ShowValues();
}

void CSelfPlayDialog::ShowValues() {
  OutDir->setText(FromLocalPath(V.OutDir));
  Games->setText(QString::number(V.Games));
  AEval->setCurrentIndex(V.A.EvalModel);
  BEval->setCurrentIndex(V.B.EvalModel);
  ADepth->setText(QString::number(V.A.Depth));
  BDepth->setText(QString::number(V.B.Depth));
  ANodes->setText(QString::number(V.A.Nodes));
  BNodes->setText(QString::number(V.B.Nodes));
  MoveTime->setText(QString::number(V.MoveTime));
  RandomPlies->setText(QString::number(V.RandomPlies));
  MaxPlies->setText(QString::number(V.MaxPlies));
  MinDeltaPieceCount->setText(QString::number(V.MinDeltaPieceCount));
  Seed->setText(SeedFromClock ? QString() : QString::number(V.Seed));
  Threads->setText(QString::number(V.Threads));
}

int CSelfPlayDialog::exec() {
  ShowValues();
  return QDialog::exec();
}

void CSelfPlayDialog::accept() {
  CSelfPlaySettings read = V;
  read.OutDir = LocalPathOf(OutDir->text().trimmed());
  read.A.EvalModel = AEval->currentIndex();
  read.B.EvalModel = BEval->currentIndex();
  const bool fromClock = Seed->text().trimmed().isEmpty();
  if (fromClock) read.Seed = CSelfPlaySettings::NewSelfPlaySeed();
  if (!ReadIntField(this, Games, QStringLiteral("局数:"), read.Games) ||
      !ReadIntField(this, ADepth, QStringLiteral("A 深度:"), read.A.Depth) ||
      !ReadIntField(this, BDepth, QStringLiteral("B 深度:"), read.B.Depth) ||
      !ReadIntField(this, ANodes, QStringLiteral("A 节点数:"), read.A.Nodes) ||
      !ReadIntField(this, BNodes, QStringLiteral("B 节点数:"), read.B.Nodes) ||
      !ReadIntField(this, MoveTime, QStringLiteral("每步时间(毫秒):"), read.MoveTime) ||
      !ReadIntField(this, RandomPlies, QStringLiteral("随机步数:"), read.RandomPlies) ||
      !ReadIntField(this, MaxPlies, QStringLiteral("最多步数:"), read.MaxPlies) ||
      !ReadIntField(this, MinDeltaPieceCount, QStringLiteral("子力差:"), read.MinDeltaPieceCount) ||
      (!fromClock && !ReadInt64Field(this, Seed, QStringLiteral("随机种子:"), read.Seed)) ||
      !ReadIntField(this, Threads, QStringLiteral("线程数:"), read.Threads))
    return;
  // Every range is the job's: the same values get the same refusal here as
  // on the command line.
  const std::vector<CSettingField> fields = {
      {"OutDir", OutDir, QStringLiteral("输出文件夹")},
      {"Games", Games, QStringLiteral("局数")},
      {"AEval", AEval, QStringLiteral("A 评价")},
      {"BEval", BEval, QStringLiteral("B 评价")},
      {"ADepth", ADepth, QStringLiteral("A 深度")},
      {"BDepth", BDepth, QStringLiteral("B 深度")},
      {"ANodes", ANodes, QStringLiteral("A 节点数")},
      {"BNodes", BNodes, QStringLiteral("B 节点数")},
      {"MoveTime", MoveTime, QStringLiteral("每步时间(毫秒)")},
      {"RandomPlies", RandomPlies, QStringLiteral("随机步数")},
      {"MaxPlies", MaxPlies, QStringLiteral("最多步数")},
      {"MinDeltaPieceCount", MinDeltaPieceCount, QStringLiteral("子力差")},
      {"Seed", Seed, QStringLiteral("随机种子")},
      {"Threads", Threads, QStringLiteral("线程数")},
  };
  if (!AcceptOrRefuse(this, CheckSelfPlaySettings(read), fields)) return;
  V = read;
  SeedFromClock = fromClock;
  QDialog::accept();
}
