// PGN files: the writer's exact bytes, the reader's tag, comment and move
// rules, what it says when the moves stop early, and that a failed save
// leaves the old file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "game/pgn_reader.h"
#include "game_test_support.h"

namespace {

class PgnTest : public GameSuite {
 protected:
  // Writes UTF-8 text as a GB2312 file (LF turned into CR LF unless crlf is false).
  std::string WriteGame(const std::string& utf8, bool crlf = true, bool keepUtf8 = false) {
    std::string text;
    for (char c : utf8) {
      if (c == '\n' && crlf) text += '\r';
      text += c;
    }
    const std::string path = Folder() + "test.pgn";
    WriteBytes(path, keepUtf8 ? text : Utf8ToGb18030(text));
    return path;
  }
  int Load(const std::string& utf8, bool crlf = true) {
    return ReadPgnFile(*game, WriteGame(utf8, crlf), report);
  }
  // Saves, reloads and checks that the moves, comments, tags and result
  // came back the same.
  void ExpectRoundTrip() {
    const auto take = [&] {
      std::vector<std::string> all {game->Result, game->Red, game->Event, game->FEN};
      for (int i = 0; i <= game->Record().Current; ++i) {
        all.push_back(MoveToIccs(game->Record()[i].Move));
        all.push_back(game->Record()[i].Comment);
      }
      return all;
    };
    const auto before = take();
    const std::string path = Folder() + "round.pgn";
    ASSERT_EQ(game->SavePgn(path), 1);
    ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
    EXPECT_TRUE(report.Complete()) << DescribeStop(report);
    EXPECT_EQ(take(), before);
  }
  std::string Notation(int ply) { return Gb2312ToUtf8(game->Record()[ply].Notation); }
  std::string Comment(int ply) { return Gb2312ToUtf8(game->Record()[ply].Comment); }
  int Plies() { return game->Record().Current + 1; }
  CPgnReadReport report;
};

const char kStartFen[] = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

TEST_F(PgnTest, WriterBytes) {
  game->Event = "Test";
  game->Round = game->Date = game->Site = game->RedTeam = game->BlackTeam = "";
  game->ECCO = game->Opening = game->Variation = "";
  game->Game = "not written";
  game->Red = "Player";
  game->Black = "Computer";
  for (const char* move : {"h2e2", "h9g7", "h0g2", "i9h9", "b0c2"}) ASSERT_EQ(Play(move), 1);
  game->Record()[1].Comment = "good";
  game->Record()[2].Comment = Utf8ToGb18030("两行\n注释");
  const std::string path = Folder() + "written.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  const std::string expected = Utf8ToGb18030(
      "[Game \"Chinese Chess\"]\r\n[Event \"Test\"]\r\n[Round \"\"]\r\n[Date \"\"]\r\n"
      "[Site \"\"]\r\n[RedTeam \"\"]\r\n[Red \"Player\"]\r\n[BlackTeam \"\"]\r\n"
      "[Black \"Computer\"]\r\n[Result \"*\"]\r\n[ECCO \"\"]\r\n[Opening \"\"]\r\n"
      "[Variation \"\"]\r\n[FEN \"" + std::string(kStartFen) + "\"]\r\n"
      "\r\n   1. 砲二平五 馬８进７ {good}   2. 馬二进三 {两行\r\n注释} 車９平８"
      "\r\n   3. 馬八进七"
      "\r\n*\r\n");
  EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(PgnTest, CommentsStayTheSameOverSavesAndLoads) {
  for (const char* move : {"h2e2", "h9g7", "h0g2", "i9h9", "b0c2"}) ASSERT_EQ(Play(move), 1);
  game->Record()[1].Comment = "good";
  game->Record()[2].Comment = " padded {nested} \n two lines ";
  game->Record()[3].Comment = "a } alone and { another";  // braces without partners
  const std::string path = Folder() + "again.pgn";
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(game->SavePgn(path), 1);
    ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
    EXPECT_TRUE(report.Complete()) << DescribeStop(report);
    EXPECT_EQ(Plies(), 5);
    EXPECT_EQ(Notation(4), "馬八进七");
    EXPECT_EQ(Comment(1), "good");
    EXPECT_EQ(Comment(2), " padded {nested} \n two lines ");
    EXPECT_EQ(Comment(3), "a ｝ alone and ｛ another");
    EXPECT_EQ(Comment(4), "");
  }
}

TEST_F(PgnTest, WriterKeepsResultAndTagsReadable) {
  ASSERT_EQ(Play("h2e2"), 1);
  game->Result = Utf8ToGb18030("马二进三");
  game->Red = "say \"hi\"\nthere";
  const std::string path = Folder() + "odd.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find("[Result \"*\"]\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n*\r\n")) << text;
  EXPECT_NE(text.find("[Red \"say 'hi' there\"]\r\n"), std::string::npos);
  ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
  EXPECT_TRUE(report.Complete()) << DescribeStop(report);
  EXPECT_EQ(Plies(), 1);
  EXPECT_EQ(game->Result, "*");
  // A Result tag that is none of the four results reads as undecided.
  ASSERT_EQ(Load("[Result \"马二进三\"]\n\n1. 炮二平五\n"), 1);
  EXPECT_EQ(game->Result, "*");
  ASSERT_EQ(Load("[Result \" 0-1 \"]\n\n1. 炮二平五\n"), 1);
  EXPECT_EQ(game->Result, "0-1");
}

// Every tag with a value of its own goes out in its line and comes back to
// its own member: a slip in the tag table would swap or drop one.
TEST_F(PgnTest, EachTagComesBackToItsOwnField) {
  std::string CGame::*const members[] = {&CGame::Event,   &CGame::Round,     &CGame::Date,
                                         &CGame::Site,    &CGame::RedTeam,   &CGame::Red,
                                         &CGame::BlackTeam, &CGame::Black,   &CGame::ECCO,
                                         &CGame::Opening, &CGame::Variation};
  const char* const values[] = {"E", "R1", "D2", "S3", "RT4", "R5", "BT6", "B7", "C8", "O9", "V10"};
  for (size_t i = 0; i < std::size(members); ++i) (*game).*members[i] = values[i];
  game->Result = "0-1";
  const std::string path = Folder() + "tags.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.substr(0, text.find("[FEN")),
            "[Game \"Chinese Chess\"]\r\n[Event \"E\"]\r\n[Round \"R1\"]\r\n[Date \"D2\"]\r\n"
            "[Site \"S3\"]\r\n[RedTeam \"RT4\"]\r\n[Red \"R5\"]\r\n[BlackTeam \"BT6\"]\r\n"
            "[Black \"B7\"]\r\n[Result \"0-1\"]\r\n[ECCO \"C8\"]\r\n[Opening \"O9\"]\r\n"
            "[Variation \"V10\"]\r\n");
  game->ResetTags("x", "y");
  EXPECT_EQ(game->Event, "");
  EXPECT_EQ(game->FEN, "");
  ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
  for (size_t i = 0; i < std::size(members); ++i) EXPECT_EQ((*game).*members[i], values[i]) << values[i];
  EXPECT_EQ(game->Game, "Chinese Chess");
  EXPECT_EQ(game->Result, "0-1");
  EXPECT_EQ(game->FEN, kStartFen);
}

TEST_F(PgnTest, ResultComesFromTheTagWhateverTheMovesRepeat) {
  // The start position stands a fourth time after twelve plies: the record
  // stands as written and the tag's result is kept.
  std::string moves = "\n";
  for (int i = 1; i <= 6; i += 2)
    moves += std::to_string(i) + ". 马二进三 马８进７ " + std::to_string(i + 1) + ". 马三退二 马７退８\n";
  ASSERT_EQ(Load("[Result \"1/2-1/2\"]\n" + moves + "1. 炮二平五\n"), 1);
  EXPECT_EQ(Plies(), 13);
  EXPECT_TRUE(report.Complete()) << DescribeStop(report);
  EXPECT_EQ(game->Result, "1/2-1/2");
  const std::string path = Folder() + "draw.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  EXPECT_TRUE(ReadBytes(path).ends_with("\r\n1/2-1/2\r\n"));
  ExpectRoundTrip();
  EXPECT_EQ(game->Result, "1/2-1/2");
}

TEST_F(PgnTest, MateOnTheLastMoveLeavesTheTagsResult) {
  // 車八进二 mates; a file without a Result tag is still undecided, and a
  // tag is kept whatever the moves decide.
  const std::string body = "[FEN \"3k5/R8/1R7/9/9/9/9/9/9/4K4 w - - 0 1\"]\n\n1. 車八进二\n";
  ASSERT_EQ(Load(body), 1);
  EXPECT_EQ(Plies(), 1);
  EXPECT_EQ(game->Result, "*");
  ASSERT_EQ(Load("[Result \"1/2-1/2\"]\n" + body), 1);
  EXPECT_EQ(Plies(), 1);
  EXPECT_EQ(game->Result, "1/2-1/2");
}

TEST_F(PgnTest, MoveLeavingTheKingAttackedIsRefused) {
  ASSERT_EQ(Load("[FEN \"4k4/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1\"]\n\n1. 車五平四\n"), 1);
  EXPECT_EQ(Plies(), 0);
  EXPECT_EQ(report.Stop, CPgnStop::KingLeftAttacked);
  EXPECT_EQ(report.StopLine, 3);
  EXPECT_EQ(DescribeStop(report),
            "read 0 plies; stopped at line 3: '車五平四' leaves the mover's king attacked");
  ASSERT_EQ(Load("[FEN \"4k4/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1\"]\n\n1. 車五进一\n"), 1);
  EXPECT_EQ(Plies(), 1);
}

TEST_F(PgnTest, WhatRealFilesHold) {
  // A byte-order mark, UTF-8, full-width spaces, "1、" numbers and
  // half-width digits in black's moves.
  const std::string text = "\xEF\xBB\xBF[Red \"红方\"]\n\n1、炮二平五　马8进7　2、马二进三　车9平8\n"
                           "3.兵七进一 卒7进1 1-0\n";
  ASSERT_EQ(game->LoadPgn(WriteGame(text, true, true)), 1);
  EXPECT_EQ(Plies(), 6);
  EXPECT_EQ(game->Red, Utf8ToGb18030("红方"));
  EXPECT_EQ(Notation(1), "馬８进７");
  EXPECT_EQ(Notation(5), "卒７进１");
  // The same in GB2312 bytes.
  ASSERT_EQ(Load(text.substr(3)), 1);
  EXPECT_EQ(Plies(), 6);
  EXPECT_TRUE(report.Complete()) << DescribeStop(report);
  // Traditional characters: 俥 進 後 帥 傌 將.
  ASSERT_EQ(Load("[FEN \"3k5/9/9/9/9/9/9/R8/R8/5K3 w - - 0 1\"]\n\n"
                 "1. 後俥平二 將4平5 2. 帥四進一 傌\n"),
            1);
  EXPECT_EQ(DescribeStop(report), "read 3 plies; stopped at line 3: cannot read '傌'");
  EXPECT_EQ(Notation(0), "后車平二");
  EXPECT_EQ(Notation(2), "帅四进一");
}

TEST_F(PgnTest, BracesInsideTwoByteCharactersAreText) {
  // 皚 is B0 7D and 亄 81 7B in GBK: their second bytes are "}" and "{".
  ASSERT_EQ(Load("\n1. 炮二平五 {皚亄} 马８进７\n"), 1);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(Comment(0), "皚亄");
  ExpectRoundTrip();
}

TEST_F(PgnTest, FilesThatAreNoGameText) {
  EXPECT_EQ(ReadPgnFile(*game, "/dev/zero", report), 0);
  EXPECT_EQ(DescribeFailure(report), "is a device or a pipe, not a file of games");
  EXPECT_EQ(ReadPgnFile(*game, Folder(), report), 0);
  EXPECT_EQ(DescribeFailure(report), "is a folder, not a file of games");
  const std::string nul = Folder() + "nul.pgn";
  WriteBytes(nul, std::string("[Event \"E\"]\n\n1. ") + '\0' + "\n");
  EXPECT_EQ(ReadPgnFile(*game, nul, report), 0);
  EXPECT_EQ(DescribeFailure(report), "holds NUL bytes: not a text file");
  const std::string huge = Folder() + "huge.pgn";
  WriteBytes(huge, "[Event \"E\"]\n\n");
  std::filesystem::resize_file(huge, 9u << 20);  // sparse: costs no disk
  EXPECT_EQ(ReadPgnFile(*game, huge, report), 0);
  EXPECT_EQ(DescribeFailure(report), "is larger than 8 MB, too large for a game file");
  EXPECT_EQ(ReadPgnFile(*game, Folder() + "missing.pgn", report), 0);
  EXPECT_EQ(DescribeFailure(report), "No such file or directory");
}

// A file that is no game is reported by a code; the terminal words it in
// English, the window in Chinese.
TEST_F(PgnTest, UnloadableFilesGiveTheirReasonCode) {
  const struct {
    const char* Text;
    CPgnFailure Failure;
    const char* English;
    const char* Chinese;
  } cases[] = {
      {"[Event \"E\"]\n[Round 3]\n", CPgnFailure::BadTag, "line 2: a tag without a name or a pair of double quotes",
       "第2行: 标签没有名称或缺少成对的双引号"},
      {"[Event \"E\"]\n", CPgnFailure::EndsInTags, "the file ends in its tag section: no line follows the tags",
       "文件在标签部分就结束了, 标签后没有着法"},
      {"[FEN \"xyz w\"]\n\n", CPgnFailure::BadFen, "the FEN tag is not a valid position",
       "FEN 标签不是有效的局面"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load(c.Text), 0) << c.Text;
    EXPECT_EQ(report.Failure, c.Failure) << c.Text;
    EXPECT_EQ(DescribeFailure(report), c.English);
    EXPECT_EQ(DescribeFailureChinese(report), c.Chinese);
    EXPECT_FALSE(report.Complete());
  }
  EXPECT_EQ(Load("[Event \"E\"]\n\n1. 炮二平五\n"), 1);
  EXPECT_EQ(report.Failure, CPgnFailure::None);
  EXPECT_EQ(DescribeFailure(report), "");
}

TEST_F(PgnTest, SaveAfterUndoWritesOnlyPlayedMoves) {
  for (const char* move : {"h2e2", "h9g7", "h0g2", "i9h9", "b0c2"}) ASSERT_EQ(Play(move), 1);
  ASSERT_EQ(game->Undo(), 1);
  ASSERT_EQ(game->Undo(), 1);
  const std::string path = Folder() + "undone.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  ASSERT_EQ(game->LoadPgn(path), 1);
  EXPECT_EQ(Plies(), 3);
  EXPECT_EQ(game->Record().Length, 3);
}

TEST_F(PgnTest, FailedSaveLeavesTheOldFile) {
  ASSERT_EQ(Play("h2e2"), 1);
  const std::string path = Folder() + "kept.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  const std::string before = ReadBytes(path);
  ASSERT_EQ(Play("h9g7"), 1);
  game->Record()[1].Notation[0] = '\0';
  EXPECT_EQ(game->SavePgn(path), 0);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(game->SavePgn(Folder() + "no/such/folder.pgn"), 0);
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(PgnTest, TagRules) {
  ASSERT_EQ(Load("[Game \"Chinese Chess\"]\n"
                 "[Redx \"A\"]\n"
                 "[RedTeam \"T\"]\n"
                 "[BlackTeamName \"BT\"]\n"
                 "[Unknown \"U\"]\n"
                 "  [ \tEvent \"E\" ]\n"
                 "[Result \"1-0\"]\n"
                 "\n"
                 " 1. 炮二平五 马８进７ 0-1\n"),
            1);
  EXPECT_EQ(game->Red, "A");
  EXPECT_EQ(game->RedTeam, "T");
  EXPECT_EQ(game->BlackTeam, "BT");
  EXPECT_EQ(game->Black, "");
  EXPECT_EQ(game->Event, "E");
  EXPECT_EQ(game->Game, "Chinese Chess");
  EXPECT_EQ(game->Result, "1-0");  // the tag, not the last token
  EXPECT_EQ(game->FEN, kStartFen);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(Notation(1), "馬８进７");
  EXPECT_EQ(game->RedToMove, 1);

  ASSERT_EQ(Load("[Event \"E\"]\n\n1. 炮二平五\n"), 1);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->Red, "");
}

TEST_F(PgnTest, TagsOfOtherNamesAreKeptInOrderAndWrittenBack) {
  ASSERT_EQ(Load("[Annotator \"某人\"]\n[Red \"A\"]\n[TimeControl \"40/7200\"]\n[Unknown \"U\"]\n\n1. 炮二平五\n"), 1);
  using CTags = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(game->OtherTags,
            (CTags {{"Annotator", Utf8ToGb18030("某人")}, {"TimeControl", "40/7200"}, {"Unknown", "U"}}));
  const std::string path = Folder() + "kept.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
  EXPECT_EQ(game->OtherTags.size(), 3u);
  EXPECT_EQ(game->OtherTags[1], (std::pair<std::string, std::string> {"TimeControl", "40/7200"}));
  // A file without them, or a new game, carries none over.
  ASSERT_EQ(Load("[Event \"E\"]\n\n1. 炮二平五\n"), 1);
  EXPECT_TRUE(game->OtherTags.empty());
  ASSERT_EQ(ReadPgnFile(*game, path, report), 1);
  game->ResetTags("Player", "Computer");
  EXPECT_TRUE(game->OtherTags.empty());
}

TEST_F(PgnTest, MalformedTagSectionsFail) {
  EXPECT_EQ(Load("[Event \"E\"]\n[Red \"R\"]\n"), 0);  // no line after the tags
  EXPECT_EQ(Load("[Event \"E\"]\n[Red \"R\"]"), 0);
  EXPECT_EQ(Load("[Red Player]\n\n1. 炮二平五\n"), 0);
  EXPECT_EQ(Load("[Red \"Player]\n\n1. 炮二平五\n"), 0);
  EXPECT_EQ(Load("[  \n\n1. 炮二平五\n"), 0);
  EXPECT_EQ(Load("[FEN \"rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAQABNR w\"]\n\n"), 0);
  EXPECT_EQ(Load("[FEN \"4k4/9/9/9/9/9/9/9/9/3K5 w\"]\n\n"), 1);
  EXPECT_EQ(Load("[FEN \"4k4/9/9/9/9/9/9/9/9/K8 w\"]\n\n"), 0);  // king outside the palace
  EXPECT_EQ(game->LoadPgn(Folder() + "missing.pgn"), 0);
  EXPECT_EQ(Load("[Event \"E\"]\n\n"), 1);  // a move section without moves
  EXPECT_EQ(Plies(), 0);
  EXPECT_EQ(Load("1. 炮二平五\n"), 1);  // no tags at all
  EXPECT_EQ(Plies(), 1);
}

TEST_F(PgnTest, FenWithBlackToMove) {
  ASSERT_EQ(Load("[FEN \"rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1\"]\n"
                 "\n 1. 马８进７ 炮二平五\n"),
            1);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(game->RedToMove, 0);
  EXPECT_EQ(PieceSide[game->Record()[0].Move.Piece], BLACK);
}

TEST_F(PgnTest, Comments) {
  ASSERT_EQ(Load("[Event \"C\"]\n"
                 "\n"
                 "{before} 1. 炮二平五 马８进７\n"
                 "{good}\n"
                 " 2. 马二进三 {good} 车９平８\n"
                 " 3. (a (nested) one) 马八进七 {multi\n"
                 "line} 卒７进１\n"),
            1);
  ASSERT_EQ(Plies(), 6);
  EXPECT_EQ(Comment(0), "");  // the comment before the first move is dropped
  EXPECT_EQ(Comment(1), "good");
  EXPECT_EQ(Comment(2), "good");
  EXPECT_EQ(Comment(3), "(a (nested) one)");  // a variation keeps its parentheses
  EXPECT_EQ(Comment(4), "multi\nline");
  EXPECT_EQ(Notation(5), "卒７进１");
  EXPECT_TRUE(report.Complete()) << DescribeStop(report);
  ExpectRoundTrip();

  // A comment at the very end of the file, without a line after it.
  ASSERT_EQ(Load("\n1. 炮二平五 {end}"), 1);
  EXPECT_EQ(Comment(0), "end");
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ {open\nstill"), 1);
  EXPECT_EQ(Comment(1), "open\nstill");
  EXPECT_EQ(report.Stop, CPgnStop::UnclosedComment);
  EXPECT_EQ(report.StopLine, 2);
  ExpectRoundTrip();
}

TEST_F(PgnTest, LongCommentsAreKeptWhole) {
  const std::string x(5000, 'x');
  ASSERT_EQ(Load("\n1. 炮二平五\n{" + x + "} 马８进７ {\n" + x + "\n" + x + "\n" + x +
                 "} 2. 马二进三\n"),
            1);
  ASSERT_EQ(Plies(), 3);
  EXPECT_EQ(Comment(0), x);
  EXPECT_EQ(Comment(1), "\n" + x + "\n" + x + "\n" + x);
  ExpectRoundTrip();
}

TEST_F(PgnTest, ReadingStopsAtABadMoveAndSaysWhereAndWhy) {
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７\n2. 炮二平五 马二进三\n"), 1);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(report.Plies, 2);
  EXPECT_EQ(report.Stop, CPgnStop::NotAMove);
  EXPECT_EQ(report.StopLine, 3);
  EXPECT_EQ(DescribeStop(report),
            "read 2 plies; stopped at line 3: '炮二平五' is not a move of the position");
  EXPECT_EQ(DescribeStopChinese(report), "已读入2步，第3行停止：“炮二平五”不是该局面的着法");
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ 2. 炮八进九 马二进三\n"), 1);  // not a cannon move
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(report.Stop, CPgnStop::NotAMove);
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ 2. C2.5\n"), 1);
  EXPECT_EQ(report.Stop, CPgnStop::UnreadableText);
  EXPECT_EQ(DescribeStop(report), "read 2 plies; stopped at line 2: cannot read 'C2.5'");
  ASSERT_EQ(Load("[Event \"1\"]\n\n1. 炮二平五 马８进７\n\n[Event \"2\"]\n\n1. 炮二平五\n"), 1);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(game->Event, "1");
  EXPECT_EQ(DescribeStop(report), "read 2 plies; stopped at line 5: the tags of another game "
                                  "begin there; only the first game is read");
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ *\n"), 1);  // the result ends the moves
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ(DescribeStop(report), "read 2 plies");
}

TEST_F(PgnTest, LineEndsEncodingsAndLongLines) {
  const std::string text = "[Red \"红方\"]\n\n 1. 炮二平五 马８进７\n 2. 马二进三 车９平８\n*\n";
  ASSERT_EQ(Load(text, false), 1);  // LF only
  EXPECT_EQ(Plies(), 4);
  EXPECT_EQ(game->Red, Utf8ToGb18030("红方"));
  ASSERT_EQ(game->LoadPgn(WriteGame(text, true, true)), 1);  // UTF-8 text
  EXPECT_EQ(Plies(), 4);
  EXPECT_EQ(Notation(3), "車９平８");
  EXPECT_EQ(game->Red, Utf8ToGb18030("红方"));
  // A line far longer than 4096 bytes is read whole.
  ASSERT_EQ(Load("\n1. 炮二平五" + std::string(6000, ' ') + "马８进７ 2. 马二进三\n"), 1);
  EXPECT_EQ(Plies(), 3);
}

// Lines inside a comment count: a stop after a comment of two lines names
// the line it stands on. Two comments after one move join with a blank.
TEST_F(PgnTest, CommentLinesCountAndTwoCommentsJoin) {
  ASSERT_EQ(Load("\n1. 炮二平五 {one\ntwo} 马８进７\n2. 炮八进九\n"), 1);
  EXPECT_EQ(Plies(), 2);
  EXPECT_EQ(report.Stop, CPgnStop::NotAMove);
  EXPECT_EQ(report.StopLine, 4);
  ASSERT_EQ(Load("\n1. 炮二平五 (one\ntwo\nthree) 马８进７ C2\n"), 1);
  EXPECT_EQ(report.Stop, CPgnStop::UnreadableText);
  EXPECT_EQ(report.StopLine, 4);

  ASSERT_EQ(Load("\n1. 炮二平五 {a} {b} 马８进７ {c}\n(d)\n"), 1);
  EXPECT_TRUE(report.Complete()) << DescribeStop(report);
  EXPECT_EQ(Comment(0), "a b");
  EXPECT_EQ(Comment(1), "c (d)");
}

}  // namespace
