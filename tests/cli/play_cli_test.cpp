// tarvo-cli play, driven through standard input.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "test_support.h"

namespace {

class PlayCli : public testing::Test {
 protected:
  // Runs the command with the given lines on standard input.
  std::string Play(const std::string& args, const std::string& input, int* exitCode) {
    const std::string inputPath = home.Path() + "input.txt";
    std::ofstream(inputPath, std::ios::binary) << input;
    return RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH + " play --silent " + args +
                          " < " + inputPath + " 2>&1",
                      exitCode);
  }
  std::string WriteGame(const std::string& name, const std::string& fen) {
    const std::string path = home.Path() + name;
    std::ofstream(path, std::ios::binary) << "[FEN \"" << fen << "\"]\r\n\r\n";
    return path;
  }
  ScopedTarvoHome home;
};

TEST_F(PlayCli, PersonAgainstComputer) {
  int exitCode = -1;
  const std::string output = Play("--depth 2", "h2e3\n炮二平五\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("  車 馬 象 士 将 士 象 馬 車\n"), std::string::npos) << output;
  EXPECT_NE(output.find("轮到 红方 走棋"), std::string::npos);
  EXPECT_NE(output.find("不合法的走法或命令: h2e3"), std::string::npos);
  EXPECT_NE(output.find("上一步: 砲二平五 h2e2"), std::string::npos) << output;
  EXPECT_TRUE(std::regex_search(output, std::regex("电脑走棋: \\S+ [a-i][0-9][a-i][0-9] [0-9]+层 [0-9]+ms")))
      << output;
}

TEST_F(PlayCli, CommandsBetweenTwoPeople) {
  const std::string saved = home.Path() + "saved.pgn";
  int exitCode = -1;
  const std::string output =
      Play("--red human --black human", "undo\nredo\nh2e2\n马８进７\nundo\nsave " + saved + "\nresign\nh9g7\nquit\n",
           &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("没有可撤销的走法."), std::string::npos);
  EXPECT_NE(output.find("没有可恢复的走法."), std::string::npos);
  EXPECT_NE(output.find("已保存: " + saved), std::string::npos) << output;
  EXPECT_NE(output.find("红先胜"), std::string::npos);  // black resigned
  EXPECT_NE(output.find("对局已结束."), std::string::npos);
  EXPECT_EQ(output.find("电脑走棋"), std::string::npos);

  const std::string shown = RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH +
                                       " pgn show " + saved);
  EXPECT_NE(shown.find("plies=1\n"), std::string::npos) << shown;
}

TEST_F(PlayCli, MoveLeavingTheKingAttackedIsRefused) {
  const std::string file = WriteGame("pinned.pgn", "3r1k3/9/9/9/9/9/9/9/3R5/3K5 w - - 0 1");
  int exitCode = -1;
  const std::string output =
      Play("--red human --black human " + file, "d1e1\nd1d5\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("不能走 d1e1: 走后己方将帅受攻击."), std::string::npos) << output;
  EXPECT_NE(output.find("上一步: 車六进四 d1d5"), std::string::npos) << output;
}

TEST_F(PlayCli, ComputersEndTheGame) {
  // Facing kings: red, to move, takes the king.
  const std::string file = WriteGame("facing.pgn", "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1");
  int exitCode = -1;
  const std::string output = Play("--red computer --black computer " + file, "", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("红先胜"), std::string::npos) << output;
}

TEST_F(PlayCli, TwoPeoplePlayToMateAndAreToldWhy) {
  const std::string file = WriteGame("mate.pgn", "4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1");
  int exitCode = -1;
  std::string output =
      Play("--red human --black human " + file, "b0b9\ne9e8\nundo\nb0b8\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("红先胜 (黑方被将死)"), std::string::npos) << output;
  // After the mate no move is taken, and nobody is told it is illegal.
  EXPECT_NE(output.find("对局已结束."), std::string::npos) << output;
  EXPECT_EQ(output.find("不合法"), std::string::npos) << output;
  // Taking the mating move back opens the game again.
  EXPECT_NE(output.find("上一步: 車八进八 b0b8"), std::string::npos) << output;
  EXPECT_NE(output.find("轮到 黑方 走棋"), std::string::npos) << output;

  // Black stalemated by red's pawn step.
  const std::string stalemate = WriteGame("stalemate.pgn", "4k4/9/9/4P4/9/9/9/9/3R1R3/3K5 w - - 0 1");
  output = Play("--red human --black human " + stalemate, "e6e7\nquit\n", &exitCode);
  EXPECT_NE(output.find("红先胜 (黑方被困毙"), std::string::npos) << output;
}

TEST_F(PlayCli, TheComputerWithoutAMoveLoses) {
  // Black to move has no move: red wins, whichever side the computer plays.
  const std::string blackStuck = WriteGame("black.pgn", "4k4/9/4P4/9/9/9/9/9/3R1R3/3K5 b - - 0 1");
  int exitCode = -1;
  std::string output = Play("--red computer --black computer " + blackStuck, "", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("红先胜 (黑方被困毙"), std::string::npos) << output;
  const std::string redStuck = WriteGame("red.pgn", "3k5/3r1r3/9/9/9/9/9/4p4/9/4K4 w - - 0 1");
  output = Play("--red computer --black human " + redStuck, "quit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("红先负 (红方被困毙"), std::string::npos) << output;
}

TEST_F(PlayCli, RedAndBlackPiecesLookDifferentAndTheMoveListIsShown) {
  int exitCode = -1;
  const std::string output =
      Play("--red human --black human", "h2e2\nh9g7\nmoves\nsave\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("  車 馬 象 士 将 士 象 馬 車\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  俥 傌 相 仕 帅 仕 相 傌 俥\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("\033["), std::string::npos);  // no colour into a pipe
  EXPECT_NE(output.find("1. 砲二平五 馬８进７\n"), std::string::npos) << output;
  EXPECT_NE(output.find("用法: save 文件名"), std::string::npos) << output;
  EXPECT_EQ(output.find("不合法"), std::string::npos) << output;
}

TEST_F(PlayCli, NewForgetsTheFileAndNamesThePlayersBySide) {
  const std::string file = home.Path() + "tagged.pgn";
  std::ofstream(file, std::ios::binary)
      << "[Event \"Club night\"]\r\n[Red \"Alice\"]\r\n[Black \"Bob\"]\r\n[Result \"1-0\"]\r\n\r\n"
         "1. h2e2\r\n";
  const std::string saved = home.Path() + "new.pgn";
  int exitCode = -1;
  const std::string output =
      Play("--red computer --black human --depth 1 --eval default " + file,
           "new\nsave " + saved + "\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  std::ifstream in(saved, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("Club night"), std::string::npos) << text;
  EXPECT_EQ(text.find("Alice"), std::string::npos) << text;
  EXPECT_NE(text.find("[Red \"Computer\"]"), std::string::npos) << text;
  EXPECT_NE(text.find("[Black \"Player\"]"), std::string::npos) << text;
  EXPECT_NE(text.find("[Result \"*\"]"), std::string::npos) << text;
}

TEST_F(PlayCli, NumbersAndChoicesAreCheckedWhole) {
  const char* const refused[] = {"--movetime 5x", "--movetime 0",  "--movetime -5", "--depth 0",
                                 "--depth 129",   "--depth 3.5",   "--depth ' 3'",  "--eval foo",
                                 "--search best", "--depth",       "--red",         "--movetime 99999999999"};
  for (const char* args : refused) {
    int exitCode = -1;
    const std::string output = Play(args, "quit\n", &exitCode);
    EXPECT_EQ(exitCode, 1) << args << "\n" << output;
    EXPECT_NE(output.find("tarvo-cli: play:"), std::string::npos) << args << "\n" << output;
  }
  int exitCode = -1;
  const std::string output =
      Play("--depth 2 --movetime 500 --eval default --search mtdf", "h2e2\nquit\n", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("电脑走棋"), std::string::npos) << output;
}

TEST_F(PlayCli, AMissingTarvoHomeIsCreatedAndAFileIsRefused) {
  const std::string folder = home.Path() + "new/home";
  int exitCode = -1;
  std::string output = RunCommand("TARVO_HOME=" + folder + " " + TARVO_CLI_PATH +
                                      " play --silent --black human < /dev/null 2>&1",
                                  &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("created the data folder '" + folder + "'"), std::string::npos) << output;
  EXPECT_TRUE(std::ifstream(folder + "/rand/rand.has").good());

  const std::string file = home.Path() + "plain.txt";
  std::ofstream(file) << "x";
  output = RunCommand("TARVO_HOME=" + file + " " + TARVO_CLI_PATH + " play --silent < /dev/null 2>&1",
                      &exitCode);
  EXPECT_EQ(exitCode, 1) << output;
  EXPECT_NE(output.find("TARVO_HOME names '" + file + "', which is not a folder"), std::string::npos)
      << output;
}

TEST_F(PlayCli, BadFileAndArguments) {
  int exitCode = -1;
  std::string output = Play(home.Path() + "missing.pgn", "", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("加载棋谱失败."), std::string::npos) << output;
  output = Play("--red nobody", "", &exitCode);
  EXPECT_EQ(exitCode, 1);
}

}  // namespace
