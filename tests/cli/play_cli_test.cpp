// tarvo-cli play, driven through standard input.
#include <gtest/gtest.h>

#include <fstream>
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
  EXPECT_NE(output.find("不合法的走法或命令: d1e1"), std::string::npos) << output;
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

TEST_F(PlayCli, BadFileAndArguments) {
  int exitCode = -1;
  std::string output = Play(home.Path() + "missing.pgn", "", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("加载棋谱失败."), std::string::npos) << output;
  output = Play("--red nobody", "", &exitCode);
  EXPECT_EQ(exitCode, 1);
}

}  // namespace
