#include "app/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

#include "app/board_engine_settings.h"
#include "app/dialog_buttons.h"
#include "app/message_box.h"
#include "common/text_encoding.h"
#include "engine/search_engine.h"
#include "game/game.h"
#include "game/game_tags.h"
#include "jobs/outside_player.h"

namespace {
// Largest transposition table the dialog asks for (two tables of 32-byte entries).
constexpr uint32_t MAX_HASH_ENTRIES = 16777216;

QString FromGame(const std::string& gb) { return QString::fromStdString(Gb2312ToUtf8(gb)); }
std::string ToGame(const QLineEdit* box) { return Utf8ToGb18030(box->text().toStdString()); }

int32_t ClampToInt32(uint64_t value) {
  return static_cast<int32_t>(std::min<uint64_t>(value, INT32_MAX));
}
}  // namespace

COptionsDialog::COptionsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("游戏选项"));
  const auto edit = [this](const char* name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };
  const auto check = [this](const char* text, const char* name) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };
  Event = edit("Event");
  Round = edit("Round");
  Date = edit("Date");
  Site = edit("Site");
  RedTeam = edit("RedTeam");
  Red = edit("Red");
  BlackTeam = edit("BlackTeam");
  Black = edit("Black");
  Ecco = edit("ECCO");
  Opening = edit("Opening");
  Variation = edit("Variation");
  Result = new QComboBox(this);
  Result->setObjectName(QStringLiteral("Result"));
  Result->addItems({QStringLiteral("未知"), QStringLiteral("红胜"), QStringLiteral("红和"),
                    QStringLiteral("红负")});
  SearchMode = new QComboBox(this);
  SearchMode->setObjectName(QStringLiteral("SearchMode"));
  SearchMode->addItems({QStringLiteral("NegaScout"), QStringLiteral("MTD(f)")});
  EvalModel = new QComboBox(this);
  EvalModel->setObjectName(QStringLiteral("EvalModel"));
  EvalModel->addItems({QStringLiteral("棋子价值评价模型"), QStringLiteral("神经网络评价模型")});
  MaxDepth = edit("MaxDepth");
  MaxIterTime = edit("MaxIterTime");
  MaxSearchTime = edit("MaxSearchTime");
  HashEntries = edit("HashEntries");
  NaturalLimitMoves = edit("NaturalLimitMoves");
  NullMoveMinPieces = edit("NullMoveMinPieces");
  UseBook = check("使用开局库.", "UseBook");
  RandomBook = check("随机选择开局.", "RandomBook");
  UseNullMove = check("使用空着裁剪.", "UseNullMove");
  HumanVsHuman = check("人-人对局.", "HumanVsHuman");
  HumanPlaysRed = check("人使用红棋.", "HumanPlaysRed");
  SpeakMoves = check("语音朗读着法.", "SpeakMoves");

  const auto group = [this](const char* title, std::initializer_list<std::pair<const char*, QWidget*>> rows) {
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    auto* form = new QFormLayout(box);
    for (const auto& [label, widget] : rows) form->addRow(QString::fromUtf8(label), widget);
    return box;
  };
  auto* match = group("比赛", {{"赛事:", Event}, {"轮次:", Round}, {"日期:", Date}, {"地点:", Site},
                              {"结果:", Result}});
  auto* red = group("红方", {{"单位:", RedTeam}, {"选手:", Red}});
  auto* black = group("黑方", {{"单位:", BlackTeam}, {"选手:", Black}});
  auto* opening = group("开局", {{"ECCO:", Ecco}, {"开局:", Opening}, {"变例:", Variation}});
  auto* engine = group("内核参数", {{"搜索引擎:", SearchMode},
                                    {"估值引擎:", EvalModel},
                                    {"最大迭代深度:", MaxDepth},
                                    {"最大迭代时间:", MaxIterTime},
                                    {"最长搜索时间:", MaxSearchTime},
                                    {"置换表结点数:", HashEntries},
                                    {"自然限着回合:", NaturalLimitMoves},
                                    {"禁用空着子力:", NullMoveMinPieces}});
  auto* engineForm = static_cast<QFormLayout*>(engine->layout());
  auto* checks = new QGridLayout;
  checks->addWidget(UseBook, 0, 0);
  checks->addWidget(RandomBook, 0, 1);
  checks->addWidget(UseNullMove, 1, 0);
  checks->addWidget(HumanVsHuman, 1, 1);
  checks->addWidget(HumanPlaysRed, 2, 0);
  checks->addWidget(SpeakMoves, 2, 1);
  engineForm->addRow(checks);

  auto* left = new QVBoxLayout;
  left->addWidget(match);
  left->addWidget(red);
  left->addWidget(black);
  left->addWidget(opening);
  left->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  auto* right = new QVBoxLayout;
  right->addWidget(engine);
  right->addWidget(MakeOutsideGroup());
  right->addStretch();
  columns->addLayout(right);

  QDialogButtonBox* buttons = MakeOkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(buttons);

  LoadFromGame();
}

QWidget* COptionsDialog::MakeOutsideGroup() {
  const auto edit = [this](const char* name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };
  OutsideSeat = new QComboBox(this);
  OutsideSeat->setObjectName(QStringLiteral("OutsideSeat"));
  OutsideSeat->addItems({QStringLiteral("不用外部引擎"), QStringLiteral("外部引擎执红"), QStringLiteral("外部引擎执黑")});
  OutsideCommand = edit("OutsideCommand");
  OutsideOptions = edit("OutsideOptions");
  OutsideOptions->setPlaceholderText(QStringLiteral("UCI_LimitStrength=true; UCI_Elo=1500"));
  OutsideMoveTime = edit("OutsideMoveTime");
  ClockMinutes = edit("ClockMinutes");
  ClockIncrement = edit("ClockIncrement");
  auto* box = new QGroupBox(QStringLiteral("外部引擎与棋钟"), this);
  auto* form = new QFormLayout(box);
  form->addRow(QStringLiteral("对手:"), OutsideSeat);
  form->addRow(QStringLiteral("引擎命令:"), OutsideCommand);
  form->addRow(QStringLiteral("引擎选项:"), OutsideOptions);
  form->addRow(QStringLiteral("每步时间(毫秒):"), OutsideMoveTime);
  form->addRow(QStringLiteral("每方时间(分钟, 0 不计时):"), ClockMinutes);
  form->addRow(QStringLiteral("每步加秒:"), ClockIncrement);
  return box;
}

void COptionsDialog::LoadFromGame() {
  const CGame& game = *g_Game;
  // Each tag's box is named after its tag; Game, Result and FEN have none.
  for (const CGameTag& tag : kGameTags)
    if (auto* box = findChild<QLineEdit*>(QString::fromLatin1(tag.Name))) box->setText(FromGame(game.*tag.Member));
  Result->setCurrentIndex(game.IsRedWin() ? 1 : game.IsDraw() ? 2 : game.IsBlackWin() ? 3 : 0);

  const CSearchEngine& engine = game.Engine;
  SearchMode->setCurrentIndex(engine.SearchMode == 1 ? 1 : 0);
  EvalModel->setCurrentIndex(engine.Evaluator.EvalModel == EVAL_MODEL_ANN ? 1 : 0);
  MaxDepth->setText(QString::number(engine.MaxDepth));
  MaxIterTime->setText(QString::number(engine.MaxIterTime));
  MaxSearchTime->setText(QString::number(engine.MaxSearchTime));
  HashEntries->setText(QString::number(engine.TransTable.Count));
  NaturalLimitMoves->setText(QString::number(game.NaturalLimitPlies >> 1));
  NullMoveMinPieces->setText(QString::number(game.NullMoveMinPieces));
  UseBook->setChecked(engine.UseBook != 0);
  RandomBook->setChecked(engine.RandomBook != 0);
  UseNullMove->setChecked(engine.UseNullMove != 0);
  HumanVsHuman->setChecked(game.HumanVsHuman != 0);
  HumanPlaysRed->setChecked(game.HumanPlaysRed != 0);
  SpeakMoves->setChecked(game.SpeakMoves != 0);

  const COutsidePlayerSettings outside = LoadOutsidePlayerSettings();
  OutsideSeat->setCurrentIndex(outside.Seat == COutsideSeat::Red ? 1 : outside.Seat == COutsideSeat::Black ? 2 : 0);
  OutsideCommand->setText(QString::fromStdString(outside.Engine.Command));
  OutsideOptions->setText(QString::fromStdString(EngineOptionsText(outside.Engine.Options)));
  OutsideMoveTime->setText(QString::number(outside.Engine.MoveTimeMs));
  ClockMinutes->setText(QString::number(game.TimeControl.Minutes));
  ClockIncrement->setText(QString::number(game.TimeControl.IncrementSeconds));
}

bool COptionsDialog::ReadNumber(QLineEdit* box, const QString& label, uint32_t min, uint32_t max,
                                uint32_t& value) {
  bool ok = false;
  const QString text = box->text().trimmed();
  const qulonglong number = text.toULongLong(&ok, 10);
  if (ok && !text.startsWith('+') && number >= min && number <= max) {
    value = static_cast<uint32_t>(number);
    return true;
  }
  if (min == 0 && max == UINT32_MAX) {
    ShowMessage(this, QStringLiteral("%1 请输入一个无符号整数.").arg(label));
  } else {
    ShowMessage(this, QStringLiteral("%1 请输入一个 %2 到 %3 之间的整数.").arg(label).arg(min).arg(max));
  }
  box->setFocus();
  box->selectAll();
  return false;
}

void COptionsDialog::accept() {
  uint32_t depth = 0, iterTime = 0, searchTime = 0, hash = 0, naturalMoves = 0, nullPieces = 0;
  if (!ReadNumber(MaxDepth, QStringLiteral("最大迭代深度:"), 1, 124, depth) ||
      !ReadNumber(MaxIterTime, QStringLiteral("最大迭代时间:"), 1, UINT32_MAX, iterTime) ||
      !ReadNumber(MaxSearchTime, QStringLiteral("最长搜索时间:"), 1, UINT32_MAX, searchTime) ||
      !ReadNumber(HashEntries, QStringLiteral("置换表结点数:"), 0, MAX_HASH_ENTRIES, hash) ||
      !ReadNumber(NaturalLimitMoves, QStringLiteral("自然限着回合:"), 0, UINT32_MAX, naturalMoves) ||
      !ReadNumber(NullMoveMinPieces, QStringLiteral("禁用空着子力:"), 0, UINT32_MAX, nullPieces)) {
    return;  // the dialog stays open and nothing is copied
  }
  uint32_t outsideMoveTime = 0, clockMinutes = 0, clockIncrement = 0;
  COutsidePlayerSettings outside;
  outside.Seat = OutsideSeat->currentIndex() == 1   ? COutsideSeat::Red
                 : OutsideSeat->currentIndex() == 2 ? COutsideSeat::Black
                                                    : COutsideSeat::None;
  outside.Engine.Command = OutsideCommand->text().trimmed().toStdString();
  std::string badOption;
  if (!ReadNumber(OutsideMoveTime, QStringLiteral("每步时间(毫秒):"), 1, 3600000, outsideMoveTime) ||
      !ReadNumber(ClockMinutes, QStringLiteral("每方时间(分钟, 0 不计时):"), 0, 600, clockMinutes) ||
      !ReadNumber(ClockIncrement, QStringLiteral("每步加秒:"), 0, 600, clockIncrement))
    return;
  if (!ParseEngineOptions(OutsideOptions->text().toStdString(), outside.Engine.Options, badOption)) {
    ShowMessage(this, QStringLiteral("引擎选项: \"%1\" 应写成 名称=值, 以分号隔开.").arg(QString::fromStdString(badOption)));
    OutsideOptions->setFocus();
    return;
  }
  if (outside.Seat != COutsideSeat::None && outside.Engine.Command.empty()) {
    ShowMessage(this, QStringLiteral("引擎命令: 请输入外部引擎的命令行."));
    OutsideCommand->setFocus();
    return;
  }
  outside.Engine.MoveTimeMs = static_cast<int>(outsideMoveTime);

  CGame& game = *g_Game;
  for (const CGameTag& tag : kGameTags)
    if (auto* box = findChild<QLineEdit*>(QString::fromLatin1(tag.Name))) game.*tag.Member = ToGame(box);
  static const char* const kResults[4] = {"*", "1-0", "1/2-1/2", "0-1"};
  const int result = Result->currentIndex();
  game.Result = result >= 1 && result <= 3 ? kResults[result] : "*";

  CSearchEngine& engine = game.Engine;
  engine.SearchMode = SearchMode->currentIndex() == 1 ? 1 : 0;
  engine.Evaluator.EvalModel = EvalModel->currentIndex() == 1 ? EVAL_MODEL_ANN : EVAL_MODEL_DEFAULT;
  engine.MaxDepth = static_cast<int32_t>(depth);
  engine.MaxIterTime = ClampToInt32(iterTime);
  engine.MaxSearchTime = ClampToInt32(searchTime);
  // Set up again on every accept: a fresh, empty table of the largest power of two.
  if (!engine.TransTable.Setup(hash)) {
    ShowMessage(this, QStringLiteral("置换表设置失败."));
  }
  game.NaturalLimitPlies = ClampToInt32(2ULL * naturalMoves);
  game.NullMoveMinPieces = ClampToInt32(nullPieces);
  engine.UseBook = UseBook->isChecked() ? 1 : 0;
  engine.RandomBook = RandomBook->isChecked() ? 1 : 0;
  engine.UseNullMove = UseNullMove->isChecked() ? 1 : 0;
  game.HumanVsHuman = HumanVsHuman->isChecked() ? 1 : 0;
  game.HumanPlaysRed = HumanPlaysRed->isChecked() ? 1 : 0;
  game.SpeakMoves = SpeakMoves->isChecked() ? 1 : 0;

  // The seated engine decides who plays which side.
  SeatOutsideEngine(game, outside.Seat);
  SaveOutsidePlayerSettings(outside);
  game.TimeControl = {static_cast<int32_t>(clockMinutes), static_cast<int32_t>(clockIncrement)};
  SaveTimeControl(game.TimeControl);
  // A game not yet begun takes the new time control at once; others keep theirs.
  if (game.Record().Current < 0 && game.Result == "*") game.Clock.Start(game.TimeControl, game.RedToMove == 1);
  QDialog::accept();
}
