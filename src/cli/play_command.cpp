// tarvo-cli play: a game on the terminal through the game object. People
// type moves in Chinese notation or ICCS coordinates; the computer answers.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/text_encoding.h"
#include "engine/search_engine.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "rules/notation.h"

namespace {

struct CPlayOptions {
  bool RedIsComputer = false;
  bool BlackIsComputer = true;
  int Depth = 0;       // 0: the engine's default
  int MoveTime = 0;    // 0: the engine's default
  int EvalModel = -1;  // -1: the engine's default
  int SearchMode = SEARCH_NEGASCOUT;
  bool Silent = false;
  std::string File;
};

const char* kBlackFiles[9] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* kRedFiles[9] = {"九", "八", "七", "六", "五", "四", "三", "二", "一"};

// Board names by kind and side. Red's chariot and horse take their
// traditional red forms, so the two sides differ in every kind even without
// colour; the cannons keep the names the move notation gives them.
const char* const kBoardName[8][2] = {{"＋", "＋"}, {"兵", "卒"}, {"相", "象"}, {"仕", "士"},
                                      {"傌", "馬"}, {"砲", "炮"}, {"俥", "車"}, {"帅", "将"}};

// Colour on a terminal only, and never when NO_COLOR is set.
bool UseColour() {
  static const bool colour = ::isatty(STDOUT_FILENO) == 1 && !std::getenv("NO_COLOR");
  return colour;
}

std::string PieceText(int id) {
  const bool red = PieceSide[id] == RED;
  const std::string name = kBoardName[PieceKind[id]][red ? 0 : 1];
  if (!UseColour()) return name;
  return (red ? "\033[1;31m" : "\033[1m") + name + "\033[0m";
}

const char* SideName(int redToMove) { return redToMove ? "红方" : "黑方"; }

// "红先胜 (黑方被将死)" for a decided game, empty text otherwise.
std::string ResultLine(const CGame& game) {
  const char* result = ResultText(game);
  if (!*result) return {};
  const std::string why = GameEndReasonText(game.EndReason(), game.Result);
  return why.empty() ? std::string(result) : std::string(result) + " (" + why + ")";
}

void PrintBoard(CGame& game) {
  const CPosition& position = game.Position();
  std::string out = "  ";
  for (const char* label : kBlackFiles) out += std::string(label) + " ";
  out += "\n";
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
    out += "  ";
    for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
      const int id = position.Board[SquareOf(row, col)];
      out += id ? PieceText(id) : std::string("＋");
      out += col == COL_RIGHT ? "" : " ";
    }
    out += "\n";
    if (row == 7) out += "     楚 河          汉 界\n";
  }
  out += "  ";
  for (const char* label : kRedFiles) out += std::string(label) + " ";
  out += "\n";
  std::fputs(out.c_str(), stdout);

  const CGameRecord& record = game.Record();
  if (record.Length > 0 && record.Current >= 0) {
    const CRecordEntry& last = record[record.Current];
    // Depth and time of a search; a person's or a book move has only its time.
    if (last.Depth >= 0)
      std::printf("上一步: %s %s %d层 %dms\n", ShowText(last.Notation).c_str(),
                  MoveToIccs(last.Move).c_str(), last.Depth + 1, last.TimeMs);
    else
      std::printf("上一步: %s %s %dms\n", ShowText(last.Notation).c_str(),
                  MoveToIccs(last.Move).c_str(), last.TimeMs);
  }
  const std::string result = ResultLine(game);
  if (!result.empty())
    std::printf("%s\n", result.c_str());
  else
    std::printf("轮到 %s 走棋\n", SideName(game.RedToMove));
  std::fflush(stdout);
}

// The moves played so far, a red and a black ply a line: "1. 砲二平五 马８进７".
void PrintMoveList(CGame& game) {
  const CGameRecord& record = game.Record();
  if (record.Current < 0) {
    std::printf("还没有走棋.\n");
    return;
  }
  // Who made the first ply: the side to move now after an even number of plies.
  const int plies = record.Current + 1;
  const bool redFirst = (plies % 2 == 0) == (game.RedToMove == 1);
  std::string out;
  int number = 0;
  for (int i = 0; i < plies; ++i) {
    const bool redPly = (i % 2 == 0) == redFirst;
    if (redPly || i == 0) {
      if (i > 0) out += "\n";
      out += std::to_string(++number);
      out += '.';
      if (!redPly) out += " ...";
    }
    out += ' ';
    out += ShowText(record[i].Notation);
  }
  std::printf("%s\n", out.c_str());
}

bool IsComputerTurn(const CGame& game, const CPlayOptions& options) {
  return game.RedToMove ? options.RedIsComputer : options.BlackIsComputer;
}

bool LooksLikeIccs(const std::string& text) {
  return text.size() == 4 && text[0] >= 'a' && text[0] <= 'i' && text[1] >= '0' &&
         text[1] <= '9' && text[2] >= 'a' && text[2] <= 'i' && text[3] >= '0' && text[3] <= '9';
}

// A person's move: Chinese notation (UTF-8 or GB18030) or ICCS, checked as
// the board view checks a click, and refused when it leaves the own king
// attacked. 1 with the move, 0 otherwise.
int ReadPersonMove(CGame& game, const std::string& text, CMove& move) {
  CPosition& position = game.Position();
  const int red = game.RedToMove;
  if (LooksLikeIccs(text)) {
    if (!MoveFromIccs(position, text, move)) return 0;
  } else {
    const std::string gb = LooksLikeUtf8(text) ? Utf8ToGb18030(text) : text;
    if (!ParseMove(position, red, gb, move)) return 0;
  }
  if (move.Piece < 1 || move.Piece > 32 || PieceSide[move.Piece] != (red ? RED : BLACK)) return 0;
  return CanMoveTo(position, red, move.Piece, move.To) ? 1 : 0;
}

int ParsePlayOptions(const std::vector<std::string>& args, CPlayOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--red" || arg == "--black" || arg == "--depth" ||
                            arg == "--movetime" || arg == "--eval" || arg == "--search";
    if (takesValue && i + 1 >= args.size()) return CliError("play: " + arg + " needs a value");
    const std::string value = takesValue ? args[++i] : std::string();
    if (arg == "--red" || arg == "--black") {
      if (value != "human" && value != "computer")
        return CliError("play: " + arg + " takes 'human' or 'computer', not '" + value + "'");
      (arg == "--red" ? options.RedIsComputer : options.BlackIsComputer) = value == "computer";
    } else if (arg == "--depth") {
      if (!ParseWholeNumber(value, 1, DEFAULT_MAX_DEPTH, options.Depth))
        return CliError("play: bad depth '" + value + "': expected a whole number from 1 to " +
                        std::to_string(DEFAULT_MAX_DEPTH));
    } else if (arg == "--movetime") {
      if (!ParseWholeNumber(value, 1, 2000000000, options.MoveTime))
        return CliError("play: bad move time '" + value + "': expected milliseconds, at least 1");
    } else if (arg == "--eval") {
      if (value == "default")
        options.EvalModel = EVAL_MODEL_DEFAULT;
      else if (value == "ann")
        options.EvalModel = EVAL_MODEL_ANN;
      else
        return CliError("play: bad evaluation model '" + value + "': expected default or ann");
    } else if (arg == "--search") {
      if (value == "negascout")
        options.SearchMode = SEARCH_NEGASCOUT;
      else if (value == "mtdf")
        options.SearchMode = SEARCH_MTDF;
      else
        return CliError("play: bad search mode '" + value + "': expected negascout or mtdf");
    } else if (arg == "--silent") {
      options.Silent = true;
    } else if (!arg.empty() && arg[0] != '-' && options.File.empty()) {
      options.File = arg;
    } else {
      return CliError("play: unexpected argument '" + arg + "' (tarvo-cli play --help)");
    }
  }
  return 0;
}

// The players' names follow the sides, for a new game and for its file.
void NameThePlayers(CGame& game, const CPlayOptions& options) {
  game.ResetTags(options.RedIsComputer ? "Computer" : "Player",
                 options.BlackIsComputer ? "Computer" : "Player");
}

// Lets the computer move. false when it could not move although the game
// goes on (then the game cannot continue).
bool PlayComputerMove(CGame& game) {
  if (game.ComputerMove()) {
    const CRecordEntry& entry = game.Record()[game.Record().Current];
    std::printf("电脑走棋: %s %s %d层 %dms\n", ShowText(entry.Notation).c_str(),
                MoveToIccs(entry.Move).c_str(), entry.Depth + 1, entry.TimeMs);
    return true;
  }
  if (game.Result != "*") return true;
  if (!game.Engine.IsReady())
    CliError("play: the engine cannot search: " + game.Engine.NotReadyReason());
  else
    CliError("play: the computer found no move");
  return false;
}

void PrintHelp() {
  std::printf(
      "走法: 中文记谱 (炮二平五) 或 ICCS (h2e2)\n"
      "命令: undo 悔棋, redo 还原, moves 着法列表, resign 认输, save 文件名 保存, new 新局, "
      "help 帮助, quit 退出\n");
}

// Only for a person at a terminal: piped input is not echoed, so a prompt
// would only run into the next output.
void PrintPrompt(const CGame& game) {
  static const bool terminal = ::isatty(STDIN_FILENO) == 1;
  if (!terminal) return;
  if (game.Result == "*")
    std::printf("%s> ", SideName(game.RedToMove));
  else
    std::printf("> ");
  std::fflush(stdout);
}

// Takes back the last move (and the computer's answer before it, so a person
// is to move again). A game that the moves ended is open again afterwards;
// a result read from a file stays.
void TakeBack(CGame& game, const CPlayOptions& options) {
  const bool endedByPlay = game.Result != "*" && game.EndReason() != CGameEnd::None;
  if (!game.Undo()) {
    std::printf("没有可撤销的走法.\n");
    return;
  }
  // Only the computer's opening move to take back: it would be played again at once.
  if (IsComputerTurn(game, options) && !game.Undo()) {
    game.Redo();
    std::printf("没有可撤销的走法.\n");
    return;
  }
  if (endedByPlay) game.Result.assign(1, '*');
  PrintBoard(game);
}

void PlayPersonMove(CGame& game, const std::string& line) {
  if (game.Result != "*") {
    std::printf("对局已结束. new 开始新局, undo 悔棋.\n");
    return;
  }
  if (game.RecordIsFull()) {
    std::printf("棋谱已满 %d 步, 不能再走棋.\n", MAX_RECORD_ENTRIES);
    return;
  }
  CMove move;
  if (!ReadPersonMove(game, line, move)) {
    std::printf("不合法的走法或命令: %s (help 查看命令)\n", line.c_str());
    return;
  }
  if (!game.PlayPieceTo(move.Piece, move.To.Row, move.To.Col, 1) && game.Result == "*") {
    if (game.LastRefusal == CMoveRefusal::LeavesKingAttacked)
      std::printf("不能走 %s: 走后己方将帅受攻击.\n", line.c_str());
    else
      std::printf("不合法的走法或命令: %s\n", line.c_str());
    return;
  }
  PrintBoard(game);
}

int RunPlay(const std::vector<std::string>& args) {
  CPlayOptions options;
  if (ParsePlayOptions(args, options)) return 1;

  auto game = MakeCliGame(!options.Silent);
  if (options.Silent) game->SpeakMoves = 0;
  if (options.Depth) game->Engine.MaxDepth = options.Depth;
  if (options.MoveTime) {
    game->Engine.MaxIterTime = options.MoveTime;
    game->Engine.MaxSearchTime = options.MoveTime + options.MoveTime / 3;
  }
  if (options.EvalModel >= 0) game->Engine.Evaluator.EvalModel = options.EvalModel;
  game->Engine.SearchMode = options.SearchMode;
  const bool personPlays = !options.RedIsComputer || !options.BlackIsComputer;
  // The loop below answers for the computer; the game object never moves on its own.
  game->HumanVsHuman = 1;
  game->HumanPlaysRed = options.RedIsComputer ? 0 : 1;

  if (!options.File.empty()) {
    if (!game->LoadPgn(options.File)) {
      std::fprintf(stderr, "加载棋谱失败.\n");
      return CliError("play: cannot load '" + options.File + "'");
    }
  } else {
    NameThePlayers(*game, options);
    if (!game->NewGame(InitialBoard.data(), 1))
      return CliError("play: cannot set up the start position");
  }
  if (personPlays) PrintHelp();
  PrintBoard(*game);

  std::string line;
  for (;;) {
    if (game->Result == "*" && IsComputerTurn(*game, options)) {
      if (!PlayComputerMove(*game)) return 1;
      PrintBoard(*game);
      continue;
    }
    if (!personPlays) return 0;  // the computers have finished
    PrintPrompt(*game);
    if (!std::getline(std::cin, line)) {
      if (::isatty(STDIN_FILENO) == 1) std::printf("\n");  // after the prompt
      return 0;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    const size_t blank = line.find_first_of(" \t");
    const std::string word = line.substr(0, blank);
    const size_t rest = blank == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", blank);
    const std::string argument = rest == std::string::npos ? std::string() : line.substr(rest);

    if (word == "quit" || word == "exit") {
      return 0;
    } else if (word == "help") {
      PrintHelp();
    } else if (word == "new") {
      NameThePlayers(*game, options);
      if (!game->NewGame(InitialBoard.data(), 1)) return CliError("play: cannot set up the start position");
      PrintBoard(*game);
    } else if (word == "undo") {
      TakeBack(*game, options);
    } else if (word == "redo") {
      if (!game->Redo()) {
        std::printf("没有可恢复的走法.\n");
        continue;
      }
      if (IsComputerTurn(*game, options)) game->Redo();
      PrintBoard(*game);
    } else if (word == "moves") {
      PrintMoveList(*game);
    } else if (word == "resign") {
      if (game->Result != "*") {
        std::printf("对局已结束.\n");
        continue;
      }
      game->Resign();
      PrintBoard(*game);
    } else if (word == "save") {
      if (argument.empty()) {
        std::printf("用法: save 文件名 (例如 save game.pgn)\n");
      } else if (game->SavePgn(argument)) {
        std::printf("已保存: %s\n", argument.c_str());
      } else {
        std::printf("保存棋谱失败: %s\n", argument.c_str());
      }
    } else {
      PlayPersonMove(*game, line);
    }
  }
}

const CliCommand kPlay {
    "play",
    "[--red human|computer] [--black human|computer] [--depth N] [--movetime MS] "
    "[--eval default|ann] [--search negascout|mtdf] [--silent] [FILE]",
    "Plays a game on the terminal (from FILE, or the start position): moves in Chinese\n"
    "notation (炮二平五) or ICCS (h2e2), or the commands undo, redo, moves (the move list),\n"
    "resign, save FILE, new, help, quit, read line by line from standard input.\n"
    "Defaults: red human, black computer. --depth caps the iterations (1 to 124), --movetime\n"
    "the milliseconds per move; --eval and --search choose the evaluation and the search as\n"
    "for 'go'; --silent turns off spoken moves. Every end of the game is shown with its\n"
    "reason (mate, stalemate, repetition, move limit, resignation).",
    RunPlay};

}  // namespace
