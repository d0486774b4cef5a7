#include "app/batch_training_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ann/ann_trainer.h"
#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/job_messages.h"
#include "app/message_box.h"
#include "app/setting_refusal.h"
#include "app/training_field_tips.h"
#include "common/exe_path.h"
#include "common/tick.h"
#include "game/game.h"

namespace {
const char* kAnnName = "eval";
const char* kAnnExtension = ".ann";
const QString kIdleCaption = QStringLiteral("神经网络评价模型");
const QString kTrainingCaption = QStringLiteral("神经网络评价模型(正在训练...)");

CTdbpAnnList& Networks() { return g_Game->Engine.Evaluator.AnnList; }
}  // namespace

QLineEdit* CBatchTrainingDialog::AddNumber(const char* label, int row, int column) {
  auto* box = new QLineEdit(this);
  box->setMinimumWidth(90);
  Grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, column);
  Grid->addWidget(box, row, column + 1);
  return box;
}

QCheckBox* CBatchTrainingDialog::AddCheck(const char* label, int row, int column) {
  auto* box = new QCheckBox(QString::fromUtf8(label), this);
  Grid->addWidget(box, row, column, 1, 2);
  return box;
}

CBatchTrainingDialog::CBatchTrainingDialog(QWidget* parent)
    : QDialog(parent), P(BatchTrainingDefaults(Networks())), Timer(new QTimer(this)), Grid(new QGridLayout) {
  setWindowTitle(QStringLiteral("批量训练神经网络评价模型"));
  if (Networks().Count() > 0) LoadNetworkValues(0);

  RootDir = new CFolderEdit(true, this);
  Grid->addWidget(new QLabel(QStringLiteral("RootDir:"), this), 0, 0);
  Grid->addWidget(RootDir, 0, 1, 1, 2);
  Grid->addWidget(RootDir->BrowseButton(), 0, 3);
  CullDraw = new QCheckBox(QStringLiteral("CullDraw."), this);
  Grid->addWidget(CullDraw, 1, 0, 1, 2);
  BasicTdbpAnnIndex = AddNumber("BasicTdbpAnnIndex:", 1, 2);
  MaxPatternListBytes = AddNumber("MaxPatternListBytes:", 2, 0);
  TestOverflowFreq = AddNumber("TestOverflowFreq:", 2, 2);
  TestOverflowCoeff = AddNumber("TestOverflowCoeff:", 3, 0);
  MinStatusCount = AddNumber("MinStatusCount:", 3, 2);
  MinMoveCoeff = AddNumber("MinMoveCoeff:", 4, 0);
  StartTdbpAnnIndex = AddNumber("StartTdbpAnnIndex:", 4, 2);
  EndTdbpAnnIndex = AddNumber("EndTdbpAnnIndex:", 5, 0);
  MaxRelearnCount = AddNumber("MaxRelearnCount:", 5, 2);
  MaxLearnCount = AddNumber("MaxLearnCount:", 6, 0);
  AutoSaveCount = AddNumber("AutoSaveCount:", 6, 2);
  ThreadCount = AddNumber("ThreadCount:", 7, 0);
  Alpha = AddNumber("Alpha:", 7, 2);
  Lambda = AddNumber("Lambda:", 8, 0);
  Lower = AddNumber("Lower:", 8, 2);
  Upper = AddNumber("Upper:", 9, 0);
  AlphaEnd = AddNumber("最终学习率:", 9, 2);
  BatchSize = AddNumber("批大小:", 10, 0);
  ShuffleSeed = AddNumber("打乱种子:", 10, 2);
  Shuffle = AddCheck("打乱顺序.", 11, 0);
  Adam = AddCheck("Adam 优化.", 11, 2);
  SearchDepth = AddNumber("搜索深度:", 12, 0);
  ScoreWeight = AddNumber("搜索评分权重:", 12, 2);
  ScoreScale = AddNumber("评分尺度:", 13, 0);
  LeafPositions = AddCheck("叶节点样本.", 13, 2);
  // What an empty field means to the job.
  AlphaEnd->setPlaceholderText(QStringLiteral("不变"));
  BatchSize->setPlaceholderText(QStringLiteral("逐局"));
  ShuffleSeed->setPlaceholderText(QStringLiteral("每次随机"));
  CurrRelearnCountBox = AddNumber("CurrRelearnCount:", 14, 0);
  ElapsedTime = AddNumber("ElapsedTime:", 14, 2);
  CurrRelearnCountBox->setReadOnly(true);
  ElapsedTime->setReadOnly(true);
  Status = new QLabel(this);
  Status->setWordWrap(true);
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QHBoxLayout;
  const auto addButton = [&](const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setAutoDefault(false);
    buttons->addWidget(button);
    return button;
  };
  TrainButton = addButton("训练");
  SaveButton = addButton("保存");
  RandomizeButton = addButton("随机化");
  ResetButton = addButton("重置");
  StopButton = addButton("中断");
  ExitButton = addButton("退出");
  connect(TrainButton, &QPushButton::clicked, this, &CBatchTrainingDialog::OnTrain);
  connect(SaveButton, &QPushButton::clicked, this, &CBatchTrainingDialog::OnSave);
  connect(RandomizeButton, &QPushButton::clicked, this, &CBatchTrainingDialog::OnRandomize);
  connect(ResetButton, &QPushButton::clicked, this, &CBatchTrainingDialog::OnReset);
  connect(StopButton, &QPushButton::clicked, this, &CBatchTrainingDialog::OnStop);
  connect(ExitButton, &QPushButton::clicked, this, &CBatchTrainingDialog::reject);
  connect(BasicTdbpAnnIndex, &QLineEdit::editingFinished, this, &CBatchTrainingDialog::OnBasicIndexLeft);
  connect(Timer, &QTimer::timeout, this, &CBatchTrainingDialog::OnTimer);
  connect(&Runner, &CJobRunner::Progress, this, &CBatchTrainingDialog::ShowProgress);
  connect(&Runner, &CJobRunner::Finished, this, [this] { ShowEnd(true); });
  // Both requests stop a run: the networks' flags end the running pass, the
  // runner's request also a run that has not begun one yet.
  Runner.SetStopNudge([] { Networks().SetRunning(0); });

  Plot = new CTrainingPlot(this);
  auto* left = new QVBoxLayout;
  left->addLayout(Grid);
  left->addWidget(Status);
  left->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(Plot, 1);
  ShowFields();
  AddTrainingFieldTips(this, CTrainingJob::Batch);
}

CBatchTrainingDialog::~CBatchTrainingDialog() { Runner.Stop(); }

void CBatchTrainingDialog::LoadNetworkValues(int index) {
  const CTrainParams learned = BatchTrainingDefaults(Networks(), index);
  P.MaxLearnCount = learned.MaxLearnCount;
  P.AutoSaveCount = learned.AutoSaveCount;
  P.ThreadCount = learned.ThreadCount;
  P.Alpha = learned.Alpha;
  P.Lambda = learned.Lambda;
  LowerValue = Networks().GetAt(index).Lower;
  UpperValue = Networks().GetAt(index).Upper;
}

namespace {
// A learning value the job may leave unset is always given by the dialog.
bool ReadOptional(QWidget* dialog, QLineEdit* box, const QString& label, std::optional<int32_t>& value) {
  int32_t read = value.value_or(0);
  if (!ReadIntField(dialog, box, label, read)) return false;
  value = read;
  return true;
}
bool ReadOptional(QWidget* dialog, QLineEdit* box, const QString& label, std::optional<float>& value) {
  float read = value.value_or(0.0f);
  if (!ReadFloatField(dialog, box, label, read)) return false;
  value = read;
  return true;
}

// A switch's field: empty leaves the job's setting unset.
template <typename T, typename Reader>
bool ReadUnlessEmpty(QWidget* dialog, QLineEdit* box, const QString& label, std::optional<T>& value,
                     Reader read) {
  if (box->text().trimmed().isEmpty()) {
    value.reset();
    return true;
  }
  T number {};
  if (!read(dialog, box, label, number)) return false;
  value = number;
  return true;
}
}  // namespace

bool CBatchTrainingDialog::ReadFields() {
  CTrainParams read = P;
  int32_t basic = BasicIndex;
  float lower = LowerValue, upper = UpperValue;
  read.RootDir = LocalPathOf(RootDir->text());
  read.CullDraw = CullDraw->isChecked() ? 1 : 0;
  read.Shuffle = Shuffle->isChecked();
  read.Adam = Adam->isChecked();
  read.LeafPositions = LeafPositions->isChecked() ? 1 : 0;
  const bool ok =
      ReadIntField(this, BasicTdbpAnnIndex, QStringLiteral("BasicTdbpAnnIndex:"), basic) &&
      ReadIntField(this, MaxPatternListBytes, QStringLiteral("MaxPatternListBytes:"), read.MaxPatternListBytes) &&
      ReadIntField(this, TestOverflowFreq, QStringLiteral("TestOverflowFreq:"), read.TestOverflowFreq) &&
      ReadFloatField(this, TestOverflowCoeff, QStringLiteral("TestOverflowCoeff:"), read.TestOverflowCoeff) &&
      ReadIntField(this, MinStatusCount, QStringLiteral("MinStatusCount:"), read.MinStatusCount) &&
      ReadFloatField(this, MinMoveCoeff, QStringLiteral("MinMoveCoeff:"), read.MinMoveCoeff) &&
      ReadIntField(this, StartTdbpAnnIndex, QStringLiteral("StartTdbpAnnIndex:"), read.StartTdbpAnnIndex) &&
      ReadIntField(this, EndTdbpAnnIndex, QStringLiteral("EndTdbpAnnIndex:"), read.EndTdbpAnnIndex) &&
      ReadIntField(this, MaxRelearnCount, QStringLiteral("MaxRelearnCount:"), read.MaxRelearnCount) &&
      ReadOptional(this, MaxLearnCount, QStringLiteral("MaxLearnCount:"), read.MaxLearnCount) &&
      ReadOptional(this, AutoSaveCount, QStringLiteral("AutoSaveCount:"), read.AutoSaveCount) &&
      ReadOptional(this, ThreadCount, QStringLiteral("ThreadCount:"), read.ThreadCount) &&
      ReadOptional(this, Alpha, QStringLiteral("Alpha:"), read.Alpha) &&
      ReadOptional(this, Lambda, QStringLiteral("Lambda:"), read.Lambda) &&
      ReadFloatField(this, Lower, QStringLiteral("Lower:"), lower) &&
      ReadFloatField(this, Upper, QStringLiteral("Upper:"), upper) &&
      ReadUnlessEmpty(this, AlphaEnd, QStringLiteral("最终学习率:"), read.AlphaEnd, ReadFloatField) &&
      ReadUnlessEmpty(this, BatchSize, QStringLiteral("批大小:"), read.BatchSize, ReadIntField) &&
      ReadUnlessEmpty(this, ShuffleSeed, QStringLiteral("打乱种子:"), read.ShuffleSeed, ReadInt64Field) &&
      ReadIntField(this, SearchDepth, QStringLiteral("搜索深度:"), read.SearchDepth) &&
      ReadFloatField(this, ScoreWeight, QStringLiteral("搜索评分权重:"), read.ScoreWeight) &&
      ReadFloatField(this, ScoreScale, QStringLiteral("评分尺度:"), read.ScoreScale);
  if (!ok) return false;
  P = read;
  BasicIndex = basic;
  LowerValue = lower;
  UpperValue = upper;
  return true;
}

void CBatchTrainingDialog::ShowFields() {
  const QString root = FromLocalPath(P.RootDir);
  if (RootDir->text() != root) RootDir->setText(root);
  CullDraw->setChecked(P.CullDraw != 0);
  Shuffle->setChecked(P.Shuffle);
  Adam->setChecked(P.Adam);
  LeafPositions->setChecked(P.LeafPositions != 0);
  const auto show = [](QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
  };
  const auto number = [](const auto& value) { return value ? QString::number(*value) : QString(); };
  show(BasicTdbpAnnIndex, QString::number(BasicIndex));
  show(MaxPatternListBytes, QString::number(P.MaxPatternListBytes));
  show(TestOverflowFreq, QString::number(P.TestOverflowFreq));
  show(TestOverflowCoeff, QString::number(P.TestOverflowCoeff));
  show(MinStatusCount, QString::number(P.MinStatusCount));
  show(MinMoveCoeff, QString::number(P.MinMoveCoeff));
  show(StartTdbpAnnIndex, QString::number(P.StartTdbpAnnIndex));
  show(EndTdbpAnnIndex, QString::number(P.EndTdbpAnnIndex));
  show(MaxRelearnCount, QString::number(P.MaxRelearnCount));
  show(MaxLearnCount, number(P.MaxLearnCount));
  show(AutoSaveCount, number(P.AutoSaveCount));
  show(ThreadCount, number(P.ThreadCount));
  show(Alpha, number(P.Alpha));
  show(Lambda, number(P.Lambda));
  show(Lower, QString::number(LowerValue));
  show(Upper, QString::number(UpperValue));
  show(AlphaEnd, number(P.AlphaEnd));
  show(BatchSize, number(P.BatchSize));
  show(ShuffleSeed, number(P.ShuffleSeed));
  show(SearchDepth, QString::number(P.SearchDepth));
  show(ScoreWeight, QString::number(P.ScoreWeight));
  show(ScoreScale, QString::number(P.ScoreScale));
  show(CurrRelearnCountBox, QString::number(RelearnCount.load()));
  show(ElapsedTime, QString::number(ElapsedSeconds));
}

void CBatchTrainingDialog::OnTrain() {
  OnStop();
  if (!ReadFields()) return;
  CTrainParams params = P;
  params.AnnName = kAnnName;
  params.AnnExtension = kAnnExtension;
  params.SampleDir = GetExePath() + "sample/";
  params.SampleExtension = ".sam";
  params.CurrRelearnCount = &RelearnCount;
  // Every range is the job's, checked before any work.
  const std::vector<CSettingField> fields = {
      {"RootDir", RootDir, {}},
      {"CullDraw", CullDraw, {}},
      {"MaxPatternListBytes", MaxPatternListBytes, {}},
      {"TestOverflowFreq", TestOverflowFreq, {}},
      {"TestOverflowCoeff", TestOverflowCoeff, {}},
      {"MinStatusCount", MinStatusCount, {}},
      {"MinMoveCoeff", MinMoveCoeff, {}},
      {"StartTdbpAnnIndex", StartTdbpAnnIndex, {}},
      {"EndTdbpAnnIndex", EndTdbpAnnIndex, {}},
      {"MaxRelearnCount", MaxRelearnCount, {}},
      {"MaxLearnCount", MaxLearnCount, {}},
      {"AutoSaveCount", AutoSaveCount, {}},
      {"ThreadCount", ThreadCount, {}},
      {"Alpha", Alpha, {}},
      {"Lambda", Lambda, {}},
      {"AlphaEnd", AlphaEnd, QStringLiteral("最终学习率")},
      {"BatchSize", BatchSize, QStringLiteral("批大小")},
      {"ShuffleSeed", ShuffleSeed, QStringLiteral("打乱种子")},
      {"SearchDepth", SearchDepth, QStringLiteral("搜索深度")},
      {"ScoreWeight", ScoreWeight, QStringLiteral("搜索评分权重")},
      {"ScoreScale", ScoreScale, QStringLiteral("评分尺度")},
      {"LeafPositions", LeafPositions, QStringLiteral("叶节点样本")},
  };
  if (!AcceptOrRefuse(this, CheckBatchTraining(Networks(), params), fields)) return;
  params.OnProgress = [this](const CTrainProgress& progress) { Recorder.OnProgress(progress, GetTick()); };

  setWindowTitle(kTrainingCaption);
  Status->setText(QStringLiteral("正在读取棋谱..."));
  RelearnCount = 0;
  Result = CBatchTrainingResult {};
  Error = CJobError {};
  StartTick = GetTick();
  ElapsedSeconds = 0;
  Recorder.Start(StartTick);
  Plot->Clear();
  Runner.Start([this, params](CJobControl& control) {
    // The samples are read with a game of the job's own; the engine's networks learn.
    Error = RunBatchTraining(Networks(), params, control, Result);
    return QString();
  });
  Timer->start(100);
}

void CBatchTrainingDialog::ShowProgress(const CJobProgress& progress) {
  if (!Runner.Running()) return;
  // Sample generation reports files without a run name; the training its passes.
  if (progress.Current.empty()) {
    Status->setText(QStringLiteral("正在读取棋谱: 已读 %1 个文件, 取得 %2 局").arg(progress.Done).arg(progress.Wins));
  } else {
    Status->setText(QStringLiteral("正在训练 %1: 第 %2/%3 遍")
                        .arg(QString::fromStdString(progress.Current))
                        .arg(progress.Done)
                        .arg(progress.Total));
  }
}

void CBatchTrainingDialog::ShowEnd(bool withBox) {
  Timer->stop();
  // The last pass may have ended after the last tick: show where it got.
  Plot->Add(Recorder.Take());
  ElapsedSeconds = static_cast<int32_t>((GetTick() - StartTick) / 1000);
  ShowFields();
  setWindowTitle(kIdleCaption);
  QString outcome;
  if (Error.Fault == CJobFault::NoInput) {
    // Said in full in Chinese; the job's English detail is in the log.
    CJobError shown = Error;
    shown.Detail.clear();
    outcome = ChineseMessage(shown);
    const size_t skipped = Result.Samples.SkippedRecords.size();
    if (skipped > 0) outcome += QStringLiteral(" (跳过 %1 个无法使用的棋谱)").arg(skipped);
  } else if (Error) {
    outcome = ChineseMessage(Error);
  } else {
    outcome = QStringLiteral("%1: 共学习 %2 遍")
                  .arg(Result.Stopped ? QStringLiteral("训练已中断") : QStringLiteral("训练完成"))
                  .arg(Result.Passes);
    const long long skipped = Result.Samples.SkippedRecords.size();
    if (skipped > 0) outcome += QStringLiteral(", 跳过 %1 个无法使用的棋谱").arg(skipped);
    if (Result.Learn.SkippedFiles > 0)
      outcome += QStringLiteral(", 跳过 %1 个无法使用的样本文件").arg(Result.Learn.SkippedFiles);
    outcome += QStringLiteral(".");
  }
  Status->setText(outcome);
  if (!withBox) return;
  if (Error) {
    ShowMessage(this, QStringLiteral("批量训练失败."));
  } else {
    ShowMessage(this, Result.Stopped ? QStringLiteral("批量训练已中断.") : QStringLiteral("批量训练完成."),
                CMessageKind::Information);
  }
}

void CBatchTrainingDialog::OnStop() {
  // The end of a run stopped here does not come as a signal: it is reported now.
  if (!Runner.Running()) return;
  Runner.Stop();
  ShowEnd(true);
}

void CBatchTrainingDialog::OnTimer() {
  ElapsedSeconds = static_cast<int32_t>((GetTick() - StartTick) / 1000);
  Plot->Add(Recorder.Take());
  ShowFields();
}

bool CBatchTrainingDialog::SaveNetworks() {
  const std::string folder = GetExePath() + "ann/";
  if (Networks().SaveAll(Networks().Count(), kAnnName, kAnnExtension, folder.c_str())) return true;
  ShowMessage(this, QStringLiteral("保存神经网络失败: %1").arg(FromLocalPath(folder)));
  return false;
}

void CBatchTrainingDialog::OnSave() {
  if (AskYesNo(this, QStringLiteral("神经网络的参数将被修改并保存.您要继续吗(Y/N)?")) != CAnswer::Yes) return;
  OnStop();
  if (!ReadFields()) return;
  for (int i = 0; i < Networks().Count(); ++i) {
    CTdbpAnn& network = Networks().GetAt(i);
    network.Lower = LowerValue;
    network.Upper = UpperValue;
    network.MaxLearnCount = P.MaxLearnCount.value_or(network.MaxLearnCount);
    network.AutoSaveCount = P.AutoSaveCount.value_or(network.AutoSaveCount);
    network.ThreadCount = P.ThreadCount.value_or(network.ThreadCount);
    network.Alpha = P.Alpha.value_or(network.Alpha);
    network.Lambda = P.Lambda.value_or(network.Lambda);
  }
  SaveNetworks();
}

void CBatchTrainingDialog::OnRandomize() {
  if (AskYesNo(this, QStringLiteral("神经网络将被重新随机化.您要继续吗(Y/N)?")) != CAnswer::Yes) return;
  OnStop();
  if (!ReadFields()) return;
  if (Networks().RandomizeAll(LowerValue, UpperValue)) {
    SaveNetworks();
  } else {
    ShowMessage(this, QStringLiteral("神经网络随机化失败!"));
  }
}

void CBatchTrainingDialog::OnReset() {
  if (AskYesNo(this, QStringLiteral("其它神经网络将被重置为第一个神经网络.您要继续吗(Y/N)?")) != CAnswer::Yes)
    return;
  OnStop();
  if (!ReadFields()) return;
  for (int i = 1; i < Networks().Count(); ++i) Networks().GetAt(i) = Networks().GetAt(0);
  SaveNetworks();
}

void CBatchTrainingDialog::OnBasicIndexLeft() {
  if (!ReadFields()) return;
  const int count = Networks().Count();
  if (BasicIndex < 0 || BasicIndex >= count) {
    // Only networks of the list have values to show.
    ShowMessage(this, QStringLiteral("BasicTdbpAnnIndex: 请输入一个 0 到 %1 之间的整数.").arg(count - 1));
    BasicTdbpAnnIndex->setFocus();
    BasicTdbpAnnIndex->selectAll();
    return;
  }
  LoadNetworkValues(BasicIndex);
  ShowFields();
}

void CBatchTrainingDialog::reject() {
  // Closing during a run stops it without a message box.
  if (Runner.Running()) {
    Runner.Stop();
    ShowEnd(false);
  }
  QDialog::reject();
}
