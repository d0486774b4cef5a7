#include "jobs/outside_player.h"

#include <algorithm>

#include "game/game.h"
#include "jobs/outside_training.h"
#include "rules/iccs.h"

namespace {
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}
}  // namespace

void SeatOutsideEngine(CGame& game, COutsideSeat seat) {
  if (seat == COutsideSeat::None) return;
  game.HumanVsHuman = 0;
  game.HumanPlaysRed = seat == COutsideSeat::Black ? 1 : 0;
}

bool ParseEngineOptions(const std::string& text, std::vector<std::pair<std::string, std::string>>& options,
                        std::string& bad) {
  options.clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(';', start), text.size());
    const std::string pair = Trimmed(text.substr(start, end - start));
    start = end + 1;
    if (pair.empty()) continue;
    const size_t equals = pair.find('=');
    const std::string name = equals == std::string::npos ? "" : Trimmed(pair.substr(0, equals));
    if (name.empty()) {
      bad = pair;
      return false;
    }
    options.emplace_back(name, Trimmed(pair.substr(equals + 1)));
  }
  return true;
}

std::string EngineOptionsText(const std::vector<std::pair<std::string, std::string>>& options) {
  std::string text;
  for (const auto& [name, value] : options) text += (text.empty() ? "" : "; ") + name + "=" + value;
  return text;
}

COutsidePlayer::COutsidePlayer(CFactory factory) : Factory(std::move(factory)) {
  if (!Factory) Factory = [](const COutsideEngineSettings& settings) {
    return std::make_unique<CUcciEngineProcess>(settings);
  };
}

COutsidePlayer::~COutsidePlayer() { End(); }

void COutsidePlayer::SetSettings(const COutsidePlayerSettings& settings) {
  const COutsideEngineSettings& was = Current.Engine;
  const bool sameProgram = was.Command == settings.Engine.Command && was.Protocol == settings.Engine.Protocol &&
                           was.Options == settings.Engine.Options;
  if (!sameProgram) End();
  Current = settings;
}

void COutsidePlayer::End() {
  if (Engine) Engine->End();
  Engine.reset();
  SentFen.clear();
  SentMoves.clear();
}

bool COutsidePlayer::PlaysSideToMove(const CGame& game) const {
  if (game.Result != "*") return false;
  return (Current.Seat == COutsideSeat::Red && game.RedToMove == 1) ||
         (Current.Seat == COutsideSeat::Black && game.RedToMove == 0);
}

COutsideTurn COutsidePlayer::Lose(CGame& game, CGameEnd reason, const std::string& why) {
  ErrorText = why;
  // Whatever it may still send belongs to no question: a fresh start is safer.
  End();
  // Out of time on the clock is the clock's reason, not the engine's.
  if (!game.CheckFlag()) game.Forfeit(reason);
  return COutsideTurn::Ended;
}

bool COutsidePlayer::Sync(const CGame& game) {
  const CGameRecord& record = game.Engine.Record;
  std::vector<std::string> moves;
  for (int i = 0; i <= record.Current; ++i) moves.push_back(MoveToIccs(record[i].Move));
  const bool continues = SentFen == game.FEN && SentMoves.size() <= moves.size() &&
                         std::equal(SentMoves.begin(), SentMoves.end(), moves.begin());
  if (!continues) {
    const COutsideSides sides = Current.Seat == COutsideSeat::Red ? COutsideSides::Red : COutsideSides::Black;
    if (!Engine->NewGame(game.FEN, sides)) return false;
    SentFen = game.FEN;
    SentMoves.clear();
  }
  for (size_t i = SentMoves.size(); i < moves.size(); ++i) Engine->HandOver(moves[i]);
  SentMoves = std::move(moves);
  return true;
}

int COutsidePlayer::GiveTime(const CGame& game) {
  COutsideTime time;
  time.RedToMove = game.RedToMove == 1;
  if (game.Clock.Running()) {
    time.Clock = true;
    time.RedMs = game.Clock.RemainingMs(true);
    time.BlackMs = game.Clock.RemainingMs(false);
    time.RedIncMs = time.BlackIncMs = int64_t {game.Clock.Control().IncrementSeconds} * 1000;
    const int64_t own = std::max<int64_t>(0, time.RedToMove ? time.RedMs : time.BlackMs);
    time.MoveTimeMs = EngineMoveTimeMs(own, time.RedIncMs);  // for a program without clocks
    Engine->SetTime(time);
    // Its own time is all it may use; the clock judges a late move.
    return static_cast<int>(std::min<int64_t>(own + kAnswerGraceMs, INT32_MAX));
  }
  time.MoveTimeMs = Current.Engine.MoveTimeMs;
  Engine->SetTime(time);
  return Current.Engine.MoveTimeMs + std::max(5000, Current.Engine.MoveTimeMs);
}

COutsideTurn COutsidePlayer::PlayTurn(CGame& game, const std::function<bool()>& stop) {
  ErrorText.clear();
  if (!PlaysSideToMove(game)) return COutsideTurn::Ended;
  if (game.CheckFlag()) return COutsideTurn::Ended;
  if (!Engine) {
    Engine = Factory(Current.Engine);
    if (!Engine->Start(kStartWaitMs)) return Lose(game, CGameEnd::NoAnswer, Engine->Error());
    // The record names the opponent the person played.
    (Current.Seat == COutsideSeat::Red ? game.Red : game.Black) = Engine->Name();
  }
  if (!Sync(game)) return Lose(game, CGameEnd::NoAnswer, Engine->Error());
  const int waitMs = GiveTime(game);
  std::string reply;
  switch (Engine->Reply(waitMs, reply, stop)) {
    case COutsideAnswer::Stopped:
      End();
      return COutsideTurn::Stopped;
    case COutsideAnswer::Gone:
      return Lose(game, CGameEnd::NoAnswer, Engine->Error().empty() ? Engine->Name() + " went away" : Engine->Error());
    case COutsideAnswer::TimeOut:
      return Lose(game, CGameEnd::NoAnswer, Engine->Name() + " did not answer in time");
    case COutsideAnswer::GameOver:
      return Lose(game, CGameEnd::NoMove, Engine->Name() + " has no move");
    case COutsideAnswer::Move:
      break;
  }
  CMove move;
  if (!ReadOutsideMove(game, reply, move)) return Lose(game, CGameEnd::IllegalMove, "illegal move: " + reply);
  SentMoves.push_back(MoveToIccs(move));
  if (!game.PlayMove(move, 1)) {
    // The game's own rules refused it (time, a fourth repetition) or the record is full.
    if (game.Result == "*") return Lose(game, CGameEnd::IllegalMove, "the move cannot be recorded: " + reply);
    End();
    return COutsideTurn::Ended;
  }
  return COutsideTurn::Played;
}
