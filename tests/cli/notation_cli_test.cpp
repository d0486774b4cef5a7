#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string Notation(const std::string& args, int* exitCode, bool withErrors = false) {
  return RunCommand(std::string(TARVO_CLI_PATH) + " notation " + args + (withErrors ? " 2>&1" : " 2>/dev/null"),
                    exitCode);
}

TEST(NotationCli, WritesIccsMovesInChineseNotation) {
  int exitCode = -1;
  EXPECT_EQ(Notation("h2e2 h9g7 h0g2 i9h9 i0i1", &exitCode),
            "h2e2 砲二平五\n"
            "h9g7 馬８进７\n"
            "h0g2 馬二进三\n"
            "i9h9 車９平８\n"
            "i0i1 車一进一\n");
  EXPECT_EQ(exitCode, 0);
}

TEST(NotationCli, ReadsNotationBackInAnySpelling) {
  int exitCode = -1;
  EXPECT_EQ(Notation("--parse 炮二平五 马8进7", &exitCode), "砲二平五 h2e2\n")
      << "ASCII digits are not numerals";
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(Notation("--parse 炮二平五 马８进７ 马二进三 车９平８ 车一进一", &exitCode),
            "砲二平五 h2e2\n"
            "馬８进７ h9g7\n"
            "馬二进三 h0g2\n"
            "車９平８ i9h9\n"
            "車一进一 i0i1\n");
  EXPECT_EQ(exitCode, 0);
}

TEST(NotationCli, FenSetsThePositionAndTheSideToMove) {
  int exitCode = -1;
  const std::string fen = "'3k5/9/9/9/9/9/R8/9/R8/4K4 w - - 0 1'";
  EXPECT_EQ(Notation("--fen " + fen + " a3a4 d9d8 a1a0", &exitCode),
            "a3a4 前車进一\n"
            "d9d8 将４进１\n"
            "a1a0 后車退一\n");
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(Notation("--fen '3k5/9/9/9/9/9/R8/9/R8/4K4 b - - 0 1' d9d8", &exitCode), "d9d8 将４进１\n");
  EXPECT_EQ(exitCode, 0);
}

TEST(NotationCli, RejectsIllegalMovesAndBadInput) {
  int exitCode = -1;
  // Moves out of turn, against the movement rules, or leaving the king attacked.
  std::string out = Notation("h2e2 h2e2", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("h2e2 砲二平五\n"), std::string::npos);
  EXPECT_NE(out.find("move 2 'h2e2'"), std::string::npos) << out;
  out = Notation("b0b5", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("'b0b5'"), std::string::npos) << out;
  EXPECT_EQ(Notation("--fen '4k4/9/9/9/9/9/9/9/4R4/3AK4 b' e9e8", &exitCode, true).find("e9e8 "),
            std::string::npos)
      << "the king may not stay on the chariot's file";
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(Notation("--fen '4k4/9/9/9/9/9/9/9/4R4/3AK4 b' e9d9", &exitCode), "e9d9 将５平４\n");
  EXPECT_EQ(exitCode, 0);
  out = Notation("--fen '4k4/9/9/9/4r4/9/9/9/4A4/4K4 w' e1d2", &exitCode, true);
  EXPECT_EQ(exitCode, 1) << "the advisor may not leave the king to the chariot";
  EXPECT_NE(out.find("'e1d2'"), std::string::npos) << out;

  out = Notation("--parse 車五进一", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("車五进一"), std::string::npos) << out;
  out = Notation("--parse 車一进", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  out = Notation("z9z9", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("'z9z9'"), std::string::npos) << out;
  out = Notation("--fen 'rnbakabnr/ppppppppppp w' h2e2", &exitCode, true);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(out.find("bad FEN"), std::string::npos) << out;
  Notation("", &exitCode);
  EXPECT_EQ(exitCode, 1);
}

}  // namespace
