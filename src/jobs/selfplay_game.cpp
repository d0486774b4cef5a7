#include "jobs/selfplay_game.h"

#include <climits>

#include "engine/opening_book.h"
#include "game/game.h"
#include "jobs/selfplay_opening.h"
#include "jobs/training_game_rules.h"
#include "rules/pieces.h"

namespace {

const char* TerminationText(CGameEnd reason) {
  switch (reason) {
    case CGameEnd::Checkmate: return "checkmate";
    case CGameEnd::Stalemate: return "no legal move";
    case CGameEnd::Repetition: return "repetition";
    case CGameEnd::NaturalLimit: return "capture-free limit";
    case CGameEnd::RecordFull: return "record full";
    case CGameEnd::ForcedWin: return "forced win";
    case CGameEnd::Resignation: return "resignation";
    default: return "engine gave no move";
  }
}

void ApplySide(CSearchEngine& engine, const CSelfPlaySide& side, int moveTime) {
  engine.Evaluator.EvalModel = side.EvalModel;
  engine.MaxDepth = side.Depth;
  engine.MaxNodes = side.Nodes > 0 ? static_cast<uint64_t>(side.Nodes) : NO_NODE_LIMIT;
  engine.MaxSearchTime = moveTime > 0 ? moveTime : INT_MAX;
  engine.MaxIterTime = moveTime > 0 ? moveTime * 3 / 4 : INT_MAX;
}

}  // namespace

void PrepareSelfPlayGame(CGame& game) {
  game.HumanVsHuman = 1;  // the job asks for every move itself
  game.SpeakMoves = 0;
  game.Engine.UseBook = 0;
  game.Engine.Book.Reset();
  game.Engine.OnIteration = nullptr;
  game.Engine.OnTick = nullptr;
}

std::string SelfPlaySideName(char label, const CSelfPlaySide& side, int32_t moveTime) {
  std::string name = std::string(1, label) + ": " + (side.EvalModel == 1 ? "TdbpAnn" : "Default") + " depth " +
                     std::to_string(side.Depth);
  if (side.Nodes > 0) name += " nodes " + std::to_string(side.Nodes);
  if (moveTime > 0) name += " " + std::to_string(moveTime).append(" ms");
  return name;
}

CSelfPlayGame PlaySelfPlayGame(CGame& game, const CSelfPlaySettings& settings, int number,
                               const COpeningBook& book, const std::function<bool()>& stop) {
  CSelfPlayGame played;
  played.AIsRed = number % 2 == 1;
  const std::string a = SelfPlaySideName('A', settings.A, settings.MoveTime),
                    b = SelfPlaySideName('B', settings.B, settings.MoveTime);
  game.ResetTags(played.AIsRed ? a : b, played.AIsRed ? b : a);
  game.Event = "selfplay";
  game.Round = std::to_string(number);
  if (!game.NewGame(InitialBoard.data(), 1)) {
    played.Stopped = true;  // cannot happen with the start position; never saved
    return played;
  }
  CSelfPlayRandom random(settings.Seed, number);
  PlayRandomOpening(game, book, game.Engine.TransTable, settings.RandomPlies, random);

  // A stop also ends the search in hand, not only the game between moves:
  // a deep search could otherwise hold the run for minutes.
  game.Engine.TickIntervalMs = 100;
  game.Engine.OnTick = [&](const CIterationInfo&) {
    if (stop()) game.Engine.EngineIdle.store(1);
  };
  struct CTickReset {
    CSearchEngine& Engine;
    ~CTickReset() { Engine.OnTick = nullptr; }
  } tickReset {game.Engine};
  const CGameRecord& record = game.Record();
  bool capped = false;
  while (game.Result == "*") {
    if (stop()) {
      played.Stopped = true;
      return played;
    }
    if (record.Current + 1 >= settings.MaxPlies) {
      game.Result = AdjudicateByMaterial(game.Position(), settings.MinDeltaPieceCount);
      capped = true;
      break;
    }
    const bool aToMove = (game.RedToMove == 1) == played.AIsRed;
    ApplySide(game.Engine, aToMove ? settings.A : settings.B, settings.MoveTime);
    if (!game.ComputerMove() && game.Result == "*") {
      if (stop()) {
        played.Stopped = true;  // the search was cut short, not the game lost
        return played;
      }
      game.Result = "1/2-1/2";
    }
  }
  played.Result = game.Result;
  played.Termination = capped ? "ply limit, material" : TerminationText(game.EndReason());
  played.Plies = record.Current + 1;
  game.OtherTags.emplace_back("Termination", played.Termination);
  return played;
}
