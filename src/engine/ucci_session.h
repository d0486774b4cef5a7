#pragma once
// The engine behind the UCCI protocol (and its UCI form): reads command
// lines, searches on a worker thread so that "stop" and "isready" are
// answered while it thinks, and writes every answer line under one mutex.
// Streams are given by the caller, so a conversation can be held in-process.
#include <atomic>
#include <condition_variable>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/search_engine.h"

enum class CProtocol { Ucci, Uci };

class CUcciSession {
 public:
  // Builds the engine (tables, book, network) at once.
  CUcciSession(std::ostream& out, CProtocol protocol);
  ~CUcciSession();  // stops a running search
  CUcciSession(const CUcciSession&) = delete;
  CUcciSession& operator=(const CUcciSession&) = delete;

  // Handles one command line; false after "quit".
  bool HandleLine(const std::string& line);
  // Handles lines until "quit" or the end of the input; a search still
  // running at the end of the input answers first (an infinite one is stopped).
  // Unties `in` from any output stream: only Send may flush the output.
  void Run(std::istream& in);

  // Whether a search has been started and has not answered yet.
  bool IsSearching() const { return !WorkerDone.load(); }
  // Waits for a finite search to answer; stops an infinite one.
  void WaitForSearch();

  CSearchEngine& Engine() { return *EnginePtr; }
  int RedToMove() const { return SideToMove; }

  // "h2e2" (ICCS ranks 0..9) <-> "h3e3" (UCI ranks 1..10); empty when malformed.
  static std::string IccsToUci(const std::string& iccs);
  static std::string UciToIccs(const std::string& uci);

 private:
  void Send(const std::string& line);
  void SendIdentity();
  void SetOption(const std::vector<std::string>& words);
  void SetPosition(const std::vector<std::string>& words);
  // Reads "startpos | fen FEN [moves M...]" from words[at]: a position and
  // its side to move with the moves checked and played; false with a message.
  bool ReadPosition(const std::vector<std::string>& words, size_t at, CPosition& position, int& redToMove,
                    std::vector<CMove>& moves, std::string& fen, std::string& error) const;
  void BanMoves(const std::vector<std::string>& words);
  void Probe(const std::vector<std::string>& words);
  // A legal move that is not banned (when the search refused every move).
  bool AllowedMove(CMove& move);
  void Go(const std::vector<std::string>& words);
  void StopSearch();
  void SearchAndAnswer(bool infinite);
  void SendIteration(const CIterationInfo& info);
  std::string MoveText(const CMove& move) const;
  std::string ScoreText(int score, int depth) const;
  long long ScoreValue(int score) const;

  std::ostream& Out;
  CProtocol Protocol;
  std::mutex OutMutex;
  std::unique_ptr<CSearchEngine> EnginePtr;
  int SideToMove = 1;
  int NullMinPieces = 6;
  bool UseMillisec = false;  // UCCI times in seconds unless the GUI sets usemillisec
  bool HavePosition = true;  // false after a refused position command: nothing to search

  std::thread Worker;
  std::atomic<bool> WorkerDone {true};
  bool Infinite = false;
  bool StopRequested = false;  // guarded by StopMutex
  std::mutex StopMutex;
  std::condition_variable StopSignal;
};
