#include "jobs/record_checking.h"

#include <cstdio>
#include <filesystem>

#include "common/dir_list.h"
#include "common/file_util.h"
#include "common/folder_walk.h"
#include "jobs/game_snapshot.h"
#include "jobs/outside_engine.h"
#include "jobs/outside_training.h"
#include "jobs/training_game_rules.h"
#include "jobs/setting_range.h"
#include "game/game.h"
#include "game/pgn_reader.h"
#include "rules/perft.h"
#include "rules/iccs.h"

namespace {

enum class CFileStep { Done, Stopped, Failed };

// Every "1-0" and "0-1" of the text becomes "1/2-1/2".
std::string AsDrawn(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 64);
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 3, "1-0") == 0 || text.compare(i, 3, "0-1") == 0) {
      out += "1/2-1/2";
      i += 3;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// Writes the game over the file; an endless game with its results drawn.
int WriteBack(CGame& game, const std::string& path, bool endless) {
  if (!endless) return game.SavePgn(path);
  const std::string scratch = path + ".check-tmp";
  std::string text;
  const int ok = game.SavePgn(scratch) && ReadWholeFile(scratch, text);
  std::remove(scratch.c_str());
  return ok && WriteFileAtomically(path, AsDrawn(text));
}

class CRecordChecker {
 public:
  CRecordChecker(CGame& game, COutsideEngine& outside, const CRecordCheckValues& values, CRecordCheckHooks& hooks)
      : Game(game), Outside(outside), Values(values), Hooks(hooks) {}

  bool StopRequested() const {
    if (Hooks.Control && Hooks.Control->Stopping()) Game.CheckingIdle = 1;
    return Game.CheckingIdle.load() != 0;
  }

  // 1: done or stopped; 0: failed. Each real folder is checked once, however
  // many links lead to it.
  int CheckFolder(const std::string& folder) {
    if (StopRequested()) return 1;
    CFolderWalk walk;
    bool failed = false;
    walk.VisitFile = [&](const CDirEntry& file) {
      if (!IsGameFileName(file.Name)) return true;
      if (CheckFile(file.Path) == CFileStep::Failed) {
        failed = true;
        return false;
      }
      return !StopRequested();
    };
    if (walk.Run(folder) || walk.Ended) return failed ? 0 : 1;
    Hooks.Error = walk.Error.empty() ? "cannot read the folder " + folder : walk.Error;
    return 0;
  }

 private:
  CFileStep CheckFile(const std::string& path) {
    CCheckedFileReport report;
    report.Path = path;
    ++Hooks.Summary.Files;
    if (Values.DrawnOnly) {
      std::string text;
      if (ReadWholeFile(path, text) && text.find("1/2-1/2") == std::string::npos) {
        report.Outcome = "skipped";
        return Finish(report);
      }
    }
    CPgnReadReport read;
    if (!ReadPgnFile(Game, path, read)) {
      Hooks.Error = "cannot read " + path + " as a game: " + DescribeFailure(read);
      return CFileStep::Failed;
    }
    const CGameRecord& record = Game.Record();
    report.MovesBefore = report.MovesAfter = record.Current + 1;
    report.ResultBefore = report.Result = Game.Result;
    if (!read.Complete()) {
      // Writing back what was read would drop the rest of the file.
      report.Outcome = "not read whole: " + DescribeStop(read);
      return Finish(report);
    }
    if (!Started) {
      if (!Outside.Start(Values.MaxWaitTime)) {
        Hooks.Error = Outside.Error();
        return CFileStep::Failed;
      }
      Started = true;
    }
    if (!Outside.NewGame(Game.FEN, COutsideSides::Both)) {
      Hooks.Error = "cannot hand " + path + " over: " + Outside.Error();
      return CFileStep::Failed;
    }
    for (int i = 0; i <= record.Current; ++i) Outside.HandOver(MoveToIccs(record[i].Move));

    bool endless = false;
    bool writeBack = true;
    report.Outcome = "completed";
    auto stop = [this] { return StopRequested(); };
    for (;;) {
      if (StopRequested()) return CFileStep::Stopped;
      if (record.Current + 1 > Values.MaxListCount) {
        endless = true;
        report.Outcome = "endless";
        break;
      }
      if (QuietMoveCount(record) >= Game.NaturalLimitPlies) {
        Game.Result = "1/2-1/2";  // the game's no-capture rule
        break;
      }
      std::string reply;
      const COutsideAnswer answer = Outside.Reply(Values.MaxWaitTime, reply, stop);
      if (answer == COutsideAnswer::Stopped) return CFileStep::Stopped;
      if (answer == COutsideAnswer::Gone) {
        Hooks.Error = Outside.Error();
        return CFileStep::Failed;
      }
      if (answer == COutsideAnswer::TimeOut) {
        report.Outcome = "no reply";
        break;
      }
      if (answer == COutsideAnswer::GameOver) {
        if (SideToMoveCanMove()) {
          // Its verdict is wrong: the game is not over, and not lost.
          report.Outcome = "engine fault: no move given where legal moves exist";
          writeBack = false;
          break;
        }
        Game.Result = Game.RedToMove ? "0-1" : "1-0";
        break;
      }
      CMove move;
      if (!ReadOutsideMove(Game, reply, move)) {
        // A move the program should not have made: leave the file alone.
        report.Outcome = "bad reply: " + reply;
        writeBack = false;
        break;
      }
      // The repetition rule (or a full record) ends the game.
      if (!Game.PlayMove(move, 0)) break;
    }
    report.MovesAfter = record.Current + 1;
    if (Values.KeepDecisive && (report.ResultBefore == "1-0" || report.ResultBefore == "0-1")) {
      Game.Result = report.ResultBefore;
      endless = false;  // its result stands, drawn or not
    }
    if (writeBack) {
      if (!WriteBack(Game, path, endless)) {
        Hooks.Error = "cannot write " + path;
        return CFileStep::Failed;
      }
      report.Written = true;
      report.Result = endless ? AsDrawn(Game.Result) : Game.Result;
    }
    return Finish(report);
  }

  bool SideToMoveCanMove() {
    CMoveList moves;
    GenerateLegalMoves(Game.Position(), Game.RedToMove, moves);
    return moves.Count > 0;
  }

  CFileStep Finish(const CCheckedFileReport& report) {
    CRecordCheckSummary& summary = Hooks.Summary;
    if (report.Written) {
      ++summary.Written;
      if (report.Result != report.ResultBefore) ++summary.ResultsChanged;
    } else if (report.Outcome != "skipped") {
      ++summary.LeftAsTheyWere;
    }
    if (Hooks.FileDone) Hooks.FileDone(report);
    return CFileStep::Done;
  }

  CGame& Game;
  COutsideEngine& Outside;
  const CRecordCheckValues& Values;
  CRecordCheckHooks& Hooks;
  bool Started = false;
};

}  // namespace

bool IsGameFileName(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ending = name.substr(name.size() - 4);
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ending == ".pgn";
}

int CheckRecords(CGame& game, COutsideEngine& outside, const std::string& rootDir, const CRecordCheckValues& values,
                 CRecordCheckHooks& hooks) {
  const CGameSnapshot snapshot(game);
  CRecordChecker checker(game, outside, values, hooks);
  const int result = checker.CheckFolder(WithTrailingSlash(rootDir));
  outside.End();
  snapshot.Restore(game);
  return result;
}

namespace {

long long CountGameFiles(const std::string& folder) {
  CFolderWalk walk;
  long long count = 0;
  walk.VisitFile = [&count](const CDirEntry& file) {
    if (IsGameFileName(file.Name)) ++count;
    return true;
  };
  walk.Run(folder);
  return count;
}

}  // namespace

CJobError CheckRecordCheckValues(const CRecordCheckValues& v) {
  std::error_code ignored;
  if (v.RootDir.empty() || !std::filesystem::is_directory(v.RootDir, ignored))
    return NoSuchFolder("RootDir", v.RootDir);
  constexpr long long kMax = 2147483647LL;
  if (CJobError error = CheckRanges({
      {"MaxListCount", double(v.MaxListCount), 1, 1024},
      {"MaxWaitTime", double(v.MaxWaitTime), 1, kMax},
      {"DrawnOnly", double(v.DrawnOnly), 0, 1},
      {"KeepDecisive", double(v.KeepDecisive), 0, 1},
      {"MoveTime", double(v.Outside.MoveTimeMs), 1, 3600000},
      }))
    return error;
  if (v.Outside.Command.find_first_not_of(" \t") == std::string::npos) {
    CJobError error;
    error.Fault = CJobFault::Failed;
    error.Setting = "Engine";
    error.Detail = "the outside engine needs a command";
    return error;
  }
  return {};
}

CJobError RunRecordCheck(const CRecordCheckValues& values, CRecordCheckHooks& hooks, CJobControl& control,
                         COutsideEngine* outside) {
  if (CJobError error = CheckRecordCheckValues(values)) return error;
  const std::string root = WithTrailingSlash(values.RootDir);
  CJobProgress progress;
  progress.Total = CountGameFiles(root);
  const auto fileDone = hooks.FileDone;
  hooks.FileDone = [&](const CCheckedFileReport& report) {
    ++progress.Done;
    progress.Current = report.Path;
    // Results as the check leaves them, counted from red's side.
    if (report.Result == "1-0") ++progress.Wins;
    else if (report.Result == "0-1") ++progress.Losses;
    else if (report.Result == "1/2-1/2") ++progress.Draws;
    if (fileDone) fileDone(report);
    control.Report(progress);
  };
  hooks.Control = &control;
  hooks.Summary = {};

  CGame game;  // the check's own: the player's game is never touched
  game.CheckingIdle = 0;
  int result;
  if (outside) {
    result = CheckRecords(game, *outside, root, values, hooks);
  } else {
    CUcciEngineProcess process(values.Outside);
    result = CheckRecords(game, process, root, values, hooks);
  }
  hooks.FileDone = fileDone;
  hooks.Control = nullptr;
  if (result) return {};
  CJobError error;
  error.Fault = CJobFault::Failed;
  error.Detail = hooks.Error;
  return error;
}
