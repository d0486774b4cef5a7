#include "app/batch_training_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ann/ann_trainer.h"
#include "jobs/batch_train.h"
#include "app/field_reader.h"
#include "app/folder_field.h"
#include "app/message_box.h"
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

CBatchTrainingDialog::CBatchTrainingDialog(QWidget* parent)
    : QDialog(parent), Timer(new QTimer(this)), Grid(new QGridLayout) {
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
  CurrRelearnCountBox = AddNumber("CurrRelearnCount:", 10, 0);
  ElapsedTime = AddNumber("ElapsedTime:", 10, 2);
  CurrRelearnCountBox->setReadOnly(true);
  ElapsedTime->setReadOnly(true);

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

  Plot = new CTrainingPlot(this);
  auto* left = new QVBoxLayout;
  left->addLayout(Grid);
  left->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(Plot, 1);
  ShowFields();
  AddTrainingFieldTips(this);
}

CBatchTrainingDialog::~CBatchTrainingDialog() { OnStop(); }

void CBatchTrainingDialog::LoadNetworkValues(int index) {
  const CTdbpAnn& network = Networks().GetAt(index);
  V.MaxLearnCount = network.MaxLearnCount;
  V.AutoSaveCount = network.AutoSaveCount;
  V.ThreadCount = network.ThreadCount;
  V.Alpha = network.Alpha;
  V.Lambda = network.Lambda;
  V.Lower = network.Lower;
  V.Upper = network.Upper;
}

bool CBatchTrainingDialog::ReadFields() {
  CBatchTrainingValues read = V;
  read.RootDir = RootDir->text();
  read.CullDraw = CullDraw->isChecked() ? 1 : 0;
  const bool ok =
      ReadIntField(this, BasicTdbpAnnIndex, QStringLiteral("BasicTdbpAnnIndex:"), read.BasicTdbpAnnIndex) &&
      ReadIntField(this, MaxPatternListBytes, QStringLiteral("MaxPatternListBytes:"), read.MaxPatternListBytes) &&
      ReadIntField(this, TestOverflowFreq, QStringLiteral("TestOverflowFreq:"), read.TestOverflowFreq) &&
      ReadFloatField(this, TestOverflowCoeff, QStringLiteral("TestOverflowCoeff:"), read.TestOverflowCoeff) &&
      ReadIntField(this, MinStatusCount, QStringLiteral("MinStatusCount:"), read.MinStatusCount) &&
      ReadFloatField(this, MinMoveCoeff, QStringLiteral("MinMoveCoeff:"), read.MinMoveCoeff) &&
      ReadIntField(this, StartTdbpAnnIndex, QStringLiteral("StartTdbpAnnIndex:"), read.StartTdbpAnnIndex) &&
      ReadIntField(this, EndTdbpAnnIndex, QStringLiteral("EndTdbpAnnIndex:"), read.EndTdbpAnnIndex) &&
      ReadIntField(this, MaxRelearnCount, QStringLiteral("MaxRelearnCount:"), read.MaxRelearnCount) &&
      ReadIntField(this, MaxLearnCount, QStringLiteral("MaxLearnCount:"), read.MaxLearnCount) &&
      ReadIntField(this, AutoSaveCount, QStringLiteral("AutoSaveCount:"), read.AutoSaveCount) &&
      ReadIntField(this, ThreadCount, QStringLiteral("ThreadCount:"), read.ThreadCount) &&
      ReadFloatField(this, Alpha, QStringLiteral("Alpha:"), read.Alpha) &&
      ReadFloatField(this, Lambda, QStringLiteral("Lambda:"), read.Lambda) &&
      ReadFloatField(this, Lower, QStringLiteral("Lower:"), read.Lower) &&
      ReadFloatField(this, Upper, QStringLiteral("Upper:"), read.Upper);
  if (ok) V = read;
  return ok;
}

void CBatchTrainingDialog::ShowFields() {
  if (RootDir->text() != V.RootDir) RootDir->setText(V.RootDir);
  CullDraw->setChecked(V.CullDraw != 0);
  const auto show = [](QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
  };
  show(BasicTdbpAnnIndex, QString::number(V.BasicTdbpAnnIndex));
  show(MaxPatternListBytes, QString::number(V.MaxPatternListBytes));
  show(TestOverflowFreq, QString::number(V.TestOverflowFreq));
  show(TestOverflowCoeff, QString::number(V.TestOverflowCoeff));
  show(MinStatusCount, QString::number(V.MinStatusCount));
  show(MinMoveCoeff, QString::number(V.MinMoveCoeff));
  show(StartTdbpAnnIndex, QString::number(V.StartTdbpAnnIndex));
  show(EndTdbpAnnIndex, QString::number(V.EndTdbpAnnIndex));
  show(MaxRelearnCount, QString::number(V.MaxRelearnCount));
  show(MaxLearnCount, QString::number(V.MaxLearnCount));
  show(AutoSaveCount, QString::number(V.AutoSaveCount));
  show(ThreadCount, QString::number(V.ThreadCount));
  show(Alpha, QString::number(V.Alpha));
  show(Lambda, QString::number(V.Lambda));
  show(Lower, QString::number(V.Lower));
  show(Upper, QString::number(V.Upper));
  show(CurrRelearnCountBox, QString::number(RelearnCount.load()));
  show(ElapsedTime, QString::number(ElapsedSeconds));
}

void CBatchTrainingDialog::OnTrain() {
  OnStop();
  if (!ReadFields()) return;
  CTrainParams params;
  params.CullDraw = V.CullDraw;
  params.MaxPatternListBytes = V.MaxPatternListBytes;
  params.TestOverflowFreq = V.TestOverflowFreq;
  params.TestOverflowCoeff = V.TestOverflowCoeff;
  params.MinStatusCount = V.MinStatusCount;
  params.MinMoveCoeff = V.MinMoveCoeff;
  params.StartTdbpAnnIndex = V.StartTdbpAnnIndex;
  params.EndTdbpAnnIndex = V.EndTdbpAnnIndex;
  params.MaxRelearnCount = V.MaxRelearnCount;
  params.MaxLearnCount = V.MaxLearnCount;
  params.AutoSaveCount = V.AutoSaveCount;
  params.ThreadCount = V.ThreadCount;
  params.Alpha = V.Alpha;
  params.Lambda = V.Lambda;
  params.AnnName = kAnnName;
  params.AnnExtension = kAnnExtension;
  params.SampleDir = GetExePath() + "sample/";
  params.SampleExtension = ".sam";
  params.RootDir = LocalPathOf(V.RootDir);
  params.CurrRelearnCount = &RelearnCount;
  // Values the training cannot take are refused by the job, before any work.
  if (const CJobError refusal = CheckBatchTraining(Networks(), params)) {
    ShowMessage(this, QStringLiteral("无法训练: %1.").arg(QString::fromStdString(EnglishMessage(refusal))));
    return;
  }
  params.OnProgress = [this](const CTrainProgress& progress) { Recorder.OnProgress(progress, GetTick()); };

  setWindowTitle(kTrainingCaption);
  Control.StopRequested = 0;
  RelearnCount = 0;
  Finished = false;
  StartTick = GetTick();
  ElapsedSeconds = 0;
  Recorder.Start(StartTick);
  Plot->Clear();
  Worker = std::thread([this, params] {
    // The samples are read with a game of the job's own; the engine's networks learn.
    CBatchTrainingResult result;
    if (g_Game) RunBatchTraining(Networks(), params, Control, result);
    Finished = true;
  });
  Timer->start(100);
}

void CBatchTrainingDialog::OnStop() {
  if (Worker.joinable()) {
    // Both requests: the networks' flags end the running pass, the stop
    // request also a run that has not begun yet.
    Control.RequestStop();
    Networks().SetRunning(0);
    Worker.join();
    Timer->stop();
    // The last pass may have ended after the last tick: show where it got.
    Plot->Add(Recorder.Take());
    ShowFields();
  }
  setWindowTitle(kIdleCaption);
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
    network.Lower = V.Lower;
    network.Upper = V.Upper;
    network.MaxLearnCount = V.MaxLearnCount;
    network.AutoSaveCount = V.AutoSaveCount;
    network.ThreadCount = V.ThreadCount;
    network.Alpha = V.Alpha;
    network.Lambda = V.Lambda;
  }
  SaveNetworks();
}

void CBatchTrainingDialog::OnRandomize() {
  if (AskYesNo(this, QStringLiteral("神经网络将被重新随机化.您要继续吗(Y/N)?")) != CAnswer::Yes) return;
  OnStop();
  if (!ReadFields()) return;
  if (Networks().RandomizeAll(V.Lower, V.Upper)) {
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
  if (V.BasicTdbpAnnIndex < 0 || V.BasicTdbpAnnIndex >= count) {
    // Only networks of the list have values to show.
    ShowMessage(this, QStringLiteral("BasicTdbpAnnIndex: 请输入一个 0 到 %1 之间的整数.").arg(count - 1));
    BasicTdbpAnnIndex->setFocus();
    BasicTdbpAnnIndex->selectAll();
    return;
  }
  LoadNetworkValues(V.BasicTdbpAnnIndex);
  ShowFields();
}

void CBatchTrainingDialog::reject() {
  OnStop();
  QDialog::reject();
}
