#pragma once
// The one game object: the game's tags and options, the engine that holds
// the position and the move record, and the voice. Every front end plays
// through it; a board view learns of a new board through OnBoardReset.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/search_engine.h"
#include "game/game_clock.h"
#include "game/game_end.h"
#include "game/voice.h"

// Why a person's move was not played.
enum class CMoveRefusal {
  None,                // it was played
  LeavesKingAttacked,  // the mover's own king would stand attacked after it
  NotPlayed,           // no move of the position, the record full, or the game ended by it
};

class CGame {
 public:
  // voiceFactory makes the voice (nullptr: no voice; the desktop program
  // passes CreateEspeakVoice).
  explicit CGame(CVoiceFactory voiceFactory = nullptr);
  ~CGame();
  CGame(const CGame&) = delete;
  CGame& operator=(const CGame&) = delete;

  // Tags, GB2312 byte strings.
  std::string Game, Event, Round, Date, Site, RedTeam, Red, BlackTeam, Black, Result, ECCO,
      Opening, Variation, FEN;
  // Tags of a read file that are none of the above (Annotator, TimeControl,
  // ...), name and value in file order; written back after the others.
  std::vector<std::pair<std::string, std::string>> OtherTags;

  int32_t NaturalLimitPlies = 80;
  int32_t NullMoveMinPieces = 6;
  int32_t HumanVsHuman = 0;
  int32_t HumanPlaysRed = 1;
  int32_t SpeakMoves = 1;
  int32_t EditMode = 0;
  std::atomic<int> TrainingIdle {1};
  std::atomic<int> CheckingIdle {1};
  int32_t RedToMove = 1;
  uint32_t LastMoveTick = 0;

  CSearchEngine Engine;
  // The time control of the next new game, and the clock of this one.
  CTimeControl TimeControl;
  CGameClock Clock;
  std::unique_ptr<CVoice> Voice;

  // Called when the board is set up anew (new game, cleared board, loaded
  // file), so a view can drop its selection and layout.
  std::function<void()> OnBoardReset;
  void NotifyBoardReset() {
    if (OnBoardReset) OnBoardReset();
  }

  // Empties every tag, names the two players and sets Result to "*".
  void ResetTags(const std::string& red, const std::string& black);

  int NewGame(const int32_t* board, int redToMove);
  int LoadPgn(const std::string& path);
  int SavePgn(const std::string& path);
  // The text SavePgn writes (CR LF line ends, GB2312 bytes); 0 when a move of
  // the record has no notation.
  int PgnText(std::string& text) const;
  // repetitionRule 0 plays a move read from a game file: the file's record
  // stands whatever it repeats, and the result stays the file's.
  int PlayMove(const CMove& move, int announce, int repetitionRule = 1);
  // A person's move: played only when legal, also with respect to the
  // mover's own king (the search leaves that test to its next ply, a person
  // may not). LastRefusal says why it was not played.
  int PlayPieceTo(int piece, int row, int col, int announce);
  CMoveRefusal LastRefusal = CMoveRefusal::None;
  int ComputerMove();
  int Undo();
  int Redo();
  int ClearBoard();
  int Resign();
  // The side to move loses for the reason (an outside engine's fault, its time).
  int Forfeit(CGameEnd reason);
  // Ends the game when the side to move's time has run out: 1 when it did.
  int CheckFlag();
  bool IsRedWin() const { return Result == "1-0"; }
  bool IsDraw() const { return Result == "1/2-1/2"; }
  bool IsBlackWin() const { return Result == "0-1"; }
  // Why Result left "*" (CGameEnd::None when it was set from outside, by a
  // file or the options, or when the game goes on).
  CGameEnd EndReason() const;
  // The end of the game as a UTF-8 sentence with its reason; empty while
  // Result is "*".
  std::string EndMessage() const { return GameEndMessage(EndReason(), Result); }
  // Whether the record holds its 1024 plies, so no move can be added.
  bool RecordIsFull() { return Record().Current + 1 >= MAX_RECORD_ENTRIES; }
  // Speaks GB2312 text asynchronously; 0 when there is no voice.
  int SpeakText(const std::string& text);

  // Shortcuts to what the engine holds.
  CPosition& Position() { return Engine.Position; }
  CGameRecord& Record() { return Engine.Record; }

 private:
  void SetDefaults();
  // Sets Result and remembers why, for the result as it stands now.
  void EndGame(const char* result, CGameEnd reason);
  // The side to move with no legal move has lost: true when that ended the game.
  bool EndIfNoLegalMove();
  CVoiceFactory VoiceFactory;
  // The reason holds while Result and the record are as they were when it was set.
  CGameEnd EndCause = CGameEnd::None;
  std::string EndResult;
  int32_t EndCurrent = -1;
  int32_t EndLength = 0;
};

// The process-wide game object.
extern CGame* g_Game;
