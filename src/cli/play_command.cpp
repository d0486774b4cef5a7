// tarvo-cli play: a game on the terminal through the game object. People
// type moves in Chinese notation or ICCS coordinates; the computer answers.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/text_encoding.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "rules/notation.h"

namespace {

struct CPlayOptions {
  bool RedIsComputer = false;
  bool BlackIsComputer = true;
  int Depth = 0;     // 0: the engine's default
  int MoveTime = 0;  // 0: the engine's default
  bool Silent = false;
  std::string File;
};

const char* kBlackFiles[9] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* kRedFiles[9] = {"九", "八", "七", "六", "五", "四", "三", "二", "一"};

void PrintBoard(CGame& game) {
  const CPosition& position = game.Position();
  std::string out = "  ";
  for (const char* label : kBlackFiles) out += std::string(label) + " ";
  out += "\n";
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
    out += "  ";
    for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
      const int id = position.Board[SquareOf(row, col)];
      out += id ? ShowText(PieceName[PieceKind[id]][PieceSide[id]]) : std::string("＋");
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
    std::printf("上一步: %s %s %d层 %dms\n", ShowText(last.Notation).c_str(),
                MoveToIccs(last.Move).c_str(), last.Depth + 1, last.TimeMs);
  }
  const char* result = ResultText(game);
  if (*result)
    std::printf("%s\n", result);
  else
    std::printf("%s\n", game.RedToMove ? "轮到 红方 走棋" : "轮到 黑方 走棋");
  std::fflush(stdout);
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
  if (!CanMoveTo(position, red, move.Piece, move.To)) return 0;
  position.MakeMove(move);
  const bool exposesKing = IsAttackingKing(position, red ? 0 : 1) != 0;
  position.UnmakeMove(move);
  return exposesKing ? 0 : 1;
}

int ParsePlayOptions(const std::vector<std::string>& args, CPlayOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((arg == "--red" || arg == "--black") && hasValue) {
      const std::string& who = args[++i];
      if (who != "human" && who != "computer")
        return CliError("play: " + arg + " takes 'human' or 'computer'");
      (arg == "--red" ? options.RedIsComputer : options.BlackIsComputer) = who == "computer";
    } else if ((arg == "--depth" || arg == "--movetime") && hasValue) {
      const int value = std::atoi(args[++i].c_str());
      if (value <= 0 || (arg == "--depth" && value > 124))
        return CliError("play: bad value for " + arg);
      (arg == "--depth" ? options.Depth : options.MoveTime) = value;
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
      "走法: 中文记谱 (炮二平五) 或 ICCS (h2e2); 命令: undo redo resign save FILE new quit\n");
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
  const bool personPlays = !options.RedIsComputer || !options.BlackIsComputer;
  // The loop below answers for the computer; the game object never moves on its own.
  game->HumanVsHuman = 1;
  game->HumanPlaysRed = options.RedIsComputer ? 0 : 1;

  if (!options.File.empty()) {
    if (!game->LoadPgn(options.File)) {
      std::fprintf(stderr, "加载棋谱失败.\n");
      return CliError("play: cannot load '" + options.File + "'");
    }
  } else if (!game->NewGame(InitialBoard.data(), 1)) {
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
    if (!std::getline(std::cin, line)) return 0;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);

    if (line == "quit") return 0;
    if (line == "help") {
      PrintHelp();
    } else if (line == "new") {
      game->NewGame(InitialBoard.data(), 1);
      PrintBoard(*game);
    } else if (line == "undo") {
      if (!game->Undo()) {
        std::printf("没有可撤销的走法.\n");
        continue;
      }
      // Back to a person's turn, so the computer does not answer at once again.
      if (IsComputerTurn(*game, options)) game->Undo();
      PrintBoard(*game);
    } else if (line == "redo") {
      if (!game->Redo()) {
        std::printf("没有可恢复的走法.\n");
        continue;
      }
      if (IsComputerTurn(*game, options)) game->Redo();
      PrintBoard(*game);
    } else if (line == "resign") {
      if (game->Result != "*") {
        std::printf("对局已结束.\n");
        continue;
      }
      game->Resign();
      PrintBoard(*game);
    } else if (line.rfind("save ", 0) == 0) {
      const std::string path = line.substr(5);
      if (game->SavePgn(path))
        std::printf("已保存: %s\n", path.c_str());
      else
        std::printf("保存棋谱失败.\n");
    } else {
      if (game->Result != "*") {
        std::printf("对局已结束.\n");
        continue;
      }
      CMove move;
      if (!ReadPersonMove(*game, line, move)) {
        std::printf("不合法的走法或命令: %s\n", line.c_str());
        continue;
      }
      if (!game->PlayPieceTo(move.Piece, move.To.Row, move.To.Col, 1) && game->Result == "*") {
        std::printf("不合法的走法或命令: %s\n", line.c_str());
        continue;
      }
      PrintBoard(*game);
    }
  }
}

const CliCommand kPlay {
    "play", "[--red human|computer] [--black human|computer] [--depth N] [--movetime MS] "
            "[--silent] [FILE]",
    "Plays a game on the terminal (from FILE, or the start position): moves in Chinese\n"
    "notation (炮二平五) or ICCS (h2e2), or the commands undo, redo, resign, save FILE, new,\n"
    "quit, read line by line from standard input. Defaults: red human, black computer.\n"
    "--depth caps the iterations, --movetime the milliseconds per move; --silent turns off\n"
    "spoken moves.",
    RunPlay};

}  // namespace
