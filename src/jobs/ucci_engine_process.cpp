#include "jobs/ucci_engine_process.h"

#include <algorithm>
#include <sstream>

#include "engine/ucci_session.h"

namespace {

// A UCI-only engine ignores "ucci"; how long to wait before trying "uci".
constexpr int kUcciProbeMs = 5000;
constexpr int kQuitGraceMs = 500;

std::string FirstWord(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  return word;
}

// The program's file name, for an engine that does not say its name:
// "sh engine.sh" and "env X=1 nice engine" name the engine, not the helper.
std::string ProgramName(const std::string& command) {
  std::istringstream in(command);
  std::string word, program;
  while (in >> word) {
    const std::string base = word.substr(word.rfind('/') == std::string::npos ? 0 : word.rfind('/') + 1);
    if (program.empty()) program = base;
    const bool helper = base == "sh" || base == "bash" || base == "dash" || base == "env" || base == "nice" ||
                        word[0] == '-' || word.find('=') != std::string::npos;
    if (!helper) return base;
  }
  return program;
}

}  // namespace

CUcciEngineProcess::CUcciEngineProcess(COutsideEngineSettings settings) : Settings(std::move(settings)) {}

CUcciEngineProcess::~CUcciEngineProcess() { End(); }

void CUcciEngineProcess::Fail(const std::string& why) { ErrorText = why; }

std::string CUcciEngineProcess::DescribeEnd() {
  Child.End(kQuitGraceMs);
  const int code = Child.ExitCode();
  if (code == 127) return "'" + Settings.Command + "': command not found";
  if (code == 126) return "'" + Settings.Command + "': cannot be run";
  return "'" + Settings.Command + "' ended" + (code >= 0 ? " (exit status " + std::to_string(code) + ")" : "");
}

void CUcciEngineProcess::NoteHandshakeLine(const std::string& line) {
  if (line.rfind("id name ", 0) == 0) EngineName = line.substr(8);
  if (line.rfind("option usemillisec ", 0) == 0) OffersMillisec = true;
}

CReadStatus CUcciEngineProcess::WaitFor(const std::string& word, int waitMs, std::string* found) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs));
  std::string line;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const CReadStatus status = Child.ReadLine(line, static_cast<int>(std::max<long long>(0, left)));
    if (status != CReadStatus::Line) return status;
    NoteHandshakeLine(line);
    if (FirstWord(line) == word) {
      if (found) *found = line;
      return CReadStatus::Line;
    }
  }
}

int CUcciEngineProcess::Handshake(const char* hello, const char* ok, int waitMs) {
  if (!Child.WriteLine(hello)) return 0;
  return WaitFor(ok, waitMs, nullptr) == CReadStatus::Line ? 1 : 0;
}

int CUcciEngineProcess::Start(int waitMs) {
  End();
  ErrorText.clear();
  EngineName.clear();
  OffersMillisec = false;
  if (!Child.Start(Settings.Command)) {
    Fail(Child.Error());
    return 0;
  }
  bool answered = false;
  if (Settings.Protocol == COutsideProtocol::Uci) {
    Spoken = COutsideProtocol::Uci;
    answered = Handshake("uci", "uciok", waitMs) != 0;
  } else if (Settings.Protocol == COutsideProtocol::Ucci) {
    Spoken = COutsideProtocol::Ucci;
    answered = Handshake("ucci", "ucciok", waitMs) != 0;
  } else {
    Spoken = COutsideProtocol::Ucci;
    const int probe = std::min(waitMs, kUcciProbeMs);
    if (!Child.WriteLine("ucci")) {
      Fail(DescribeEnd());
      return 0;
    }
    std::string line;
    CReadStatus status = WaitFor("ucciok", probe, nullptr);
    if (status == CReadStatus::Line) {
      answered = true;
    } else if (status == CReadStatus::TimeOut && Child.WriteLine("uci")) {
      // A slow UCCI engine may still answer its "ucciok" now.
      using Clock = std::chrono::steady_clock;
      const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs - probe));
      for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (Child.ReadLine(line, static_cast<int>(std::max<long long>(0, left))) != CReadStatus::Line) break;
        NoteHandshakeLine(line);
        const std::string word = FirstWord(line);
        if (word == "uciok" || word == "ucciok") {
          Spoken = word == "uciok" ? COutsideProtocol::Uci : COutsideProtocol::Ucci;
          answered = true;
          break;
        }
      }
    }
  }
  if (!answered) {
    std::string line;
    if (Child.ReadLine(line, 0) == CReadStatus::Closed) Fail(DescribeEnd());
    else Fail("'" + Settings.Command + "' does not answer as a UCCI or UCI engine");
    End();
    return 0;
  }
  if (EngineName.empty()) EngineName = ProgramName(Settings.Command);
  // The name goes into a game's tags, whose values cannot hold a double quote.
  for (char& c : EngineName)
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) c = '\'';

  bool written = true;
  if (Spoken == COutsideProtocol::Uci) written = Child.WriteLine("setoption name UCI_Variant value xiangqi") != 0;
  // UCCI times are seconds unless the engine is told otherwise; the moves'
  // thinking time is sent in milliseconds.
  if (Spoken == COutsideProtocol::Ucci && OffersMillisec)
    written = Child.WriteLine("setoption usemillisec true") != 0;
  for (const auto& [name, value] : Settings.Options) {
    const std::string line = Spoken == COutsideProtocol::Uci ? "setoption name " + name + " value " + value
                                                             : "setoption " + name + " " + value;
    written = written && Child.WriteLine(line) != 0;
  }
  if (!written || !Child.WriteLine("isready") || WaitFor("readyok", waitMs, nullptr) != CReadStatus::Line) {
    std::string line;
    if (Child.ReadLine(line, 0) == CReadStatus::Closed) Fail(DescribeEnd());
    else Fail("'" + Settings.Command + "' does not answer \"isready\"");
    End();
    return 0;
  }
  ReadyWaitMs = waitMs;
  return 1;
}

int CUcciEngineProcess::NewGame(const std::string& fen, COutsideSides) {
  StartFen = fen;
  Moves.clear();
  if (!Child.IsRunning()) {
    Fail("'" + Settings.Command + "' is not running");
    return 0;
  }
  if (Spoken == COutsideProtocol::Uci) Child.WriteLine("ucinewgame");
  // Also passes over a late answer to an earlier question.
  if (!Child.WriteLine("isready") || WaitFor("readyok", ReadyWaitMs, nullptr) != CReadStatus::Line) {
    std::string line;
    if (Child.ReadLine(line, 0) == CReadStatus::Closed) Fail(DescribeEnd());
    else Fail("'" + Settings.Command + "' does not answer \"isready\"");
    return 0;
  }
  return 1;
}

void CUcciEngineProcess::HandOver(const std::string& iccs) { Moves.push_back(iccs); }

COutsideAnswer CUcciEngineProcess::Reply(int waitMs, std::string& iccs, const std::function<bool()>& stop) {
  iccs.clear();
  const bool uci = Spoken == COutsideProtocol::Uci;
  std::string position = StartFen.empty() ? "position startpos" : "position fen " + StartFen;
  if (!Moves.empty()) {
    position += " moves";
    for (const std::string& move : Moves) position += " " + (uci ? CUcciSession::IccsToUci(move) : move);
  }
  if (!Child.WriteLine(position) || !Child.WriteLine(GoCommand())) {
    Fail(DescribeEnd());
    return COutsideAnswer::Gone;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs));
  std::string line;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const CReadStatus status = Child.ReadLine(line, static_cast<int>(std::max<long long>(0, left)), stop);
    if (status == CReadStatus::Closed) {
      Fail(DescribeEnd());
      return COutsideAnswer::Gone;
    }
    if (status == CReadStatus::TimeOut || status == CReadStatus::Stopped) {
      Child.WriteLine("stop");
      return status == CReadStatus::TimeOut ? COutsideAnswer::TimeOut : COutsideAnswer::Stopped;
    }
    std::istringstream words(line);
    std::string word, move;
    words >> word >> move;
    if (word == "nobestmove") return COutsideAnswer::GameOver;
    if (word != "bestmove") continue;
    if (move.empty() || move == "(none)" || move == "0000" || move == "none") return COutsideAnswer::GameOver;
    if (uci) {
      const std::string converted = CUcciSession::UciToIccs(move);
      iccs = converted.empty() ? move : converted;  // left as sent when malformed
    } else {
      iccs = move;
    }
    Moves.push_back(iccs);
    return COutsideAnswer::Move;
  }
}

void CUcciEngineProcess::SetTime(const COutsideTime& time) {
  Time = time;
  TimeSet = true;
}

std::string CUcciEngineProcess::GoCommand() const {
  const auto n = [](int64_t value) { return std::to_string(std::max<int64_t>(0, value)); };
  if (!TimeSet || !Time.Clock)
    return "go movetime " + n(TimeSet && Time.MoveTimeMs > 0 ? Time.MoveTimeMs : Settings.MoveTimeMs);
  if (Spoken == COutsideProtocol::Uci)
    return "go wtime " + n(Time.RedMs) + " btime " + n(Time.BlackMs) + " winc " + n(Time.RedIncMs) + " binc " +
           n(Time.BlackIncMs);
  // UCCI speaks of the mover's own time and its opponent's.
  const auto unit = [this, &n](int64_t ms) { return OffersMillisec ? n(ms) : n(ms / 1000); };
  const bool red = Time.RedToMove;
  return "go time " + unit(red ? Time.RedMs : Time.BlackMs) + " increment " +
         unit(red ? Time.RedIncMs : Time.BlackIncMs) + " opptime " + unit(red ? Time.BlackMs : Time.RedMs) +
         " oppincrement " + unit(red ? Time.BlackIncMs : Time.RedIncMs);
}

void CUcciEngineProcess::End() {
  if (Child.IsRunning()) Child.WriteLine("quit");
  Child.End(kQuitGraceMs);
}
