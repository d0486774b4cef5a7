#include "jobs/uci_xiangqi_talk.h"

#include <algorithm>
#include <sstream>

#include "engine/principal_line.h"
#include "engine/score_units.h"
#include "engine/ucci_session.h"
#include "rules/iccs.h"

namespace {

constexpr int kHandshakeMs = 10000;
constexpr long long kLargestCentipawns = MATE_CENTIPAWNS - 1;

}  // namespace

bool WaitForUciWord(CChildProcess& child, const std::string& word, int waitMs, const std::string& command,
                    std::string& error) {
  std::string line;
  for (;;) {
    const CReadStatus status = child.ReadLine(line, waitMs);
    if (status != CReadStatus::Line) {
      error = "the engine " + command + (status == CReadStatus::TimeOut ? " did not answer " + word + " in time" : " ended");
      return false;
    }
    if (line.compare(0, word.size(), word) == 0) return true;
  }
}

bool StartUciXiangqi(CChildProcess& child, const std::string& command, std::string& error) {
  if (!child.Start(command)) {
    error = child.Error();
    return false;
  }
  child.WriteLine("uci");
  if (!WaitForUciWord(child, "uciok", kHandshakeMs, command, error)) return false;
  child.WriteLine("setoption name UCI_Variant value xiangqi");
  child.WriteLine("isready");
  return WaitForUciWord(child, "readyok", kHandshakeMs, command, error);
}

std::string UciPositionCommand(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves,
                               size_t played) {
  std::string command = "position fen ";
  command += start.Fen(startRedToMove);
  if (played > 0) command += " moves";
  for (size_t i = 0; i < played && i < moves.size(); ++i) {
    command += ' ';
    command += CUcciSession::IccsToUci(MoveToIccs(moves[i]));
  }
  return command;
}

bool ParseUciInfo(const std::string& line, CUciInfo& info) {
  std::istringstream words(line);
  std::string word;
  if (!(words >> word) || word != "info") return false;
  while (words >> word) {
    if (word == "depth") {
      words >> info.Depth;
    } else if (word == "multipv") {
      words >> info.MultiPv;
    } else if (word == "nodes") {
      words >> info.Nodes;
    } else if (word == "nps") {
      words >> info.NodesPerSecond;
    } else if (word == "time") {
      words >> info.TimeMs;
    } else if (word == "lowerbound" || word == "upperbound") {
      info.Bound = true;
    } else if (word == "score") {
      std::string kind;
      long long value = 0;
      if (!(words >> kind >> value)) break;
      if (kind == "cp") {
        info.HasScore = true;
        info.Mate = false;
        info.Centipawns = static_cast<int>(std::clamp(value, -kLargestCentipawns, kLargestCentipawns));
      } else if (kind == "mate") {
        // "mate 0": the side to move is mated already.
        info.HasScore = true;
        info.Mate = true;
        info.Centipawns = value > 0 ? MATE_CENTIPAWNS : -MATE_CENTIPAWNS;
        info.MateMoves = static_cast<int>(value > 0 ? value : -value);
      }
    } else if (word == "pv") {
      // The line runs to the end of the info line.
      info.Pv.clear();
      while (words >> word) info.Pv.push_back(word);
    } else if (word == "string") {
      break;  // free text to the end of the line
    }
  }
  return true;
}

std::vector<CMove> MovesOfUciLine(const CPosition& position, int redToMove, const std::vector<std::string>& pv) {
  // Read each move on the board it is played from; PlayableLine then checks them.
  CPosition walk(position);
  std::vector<CMove> moves;
  for (const std::string& text : pv) {
    CMove move;
    if (!MoveFromIccs(walk, CUcciSession::UciToIccs(text), move)) break;
    moves.push_back(move);
    walk.MakeMove(move);
  }
  return PlayableLine(position, redToMove, moves);
}
