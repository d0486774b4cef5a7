// PGN files: the writer's exact bytes, the reader's tag, comment and move
// rules, and that a failed save leaves the old file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "common/text_encoding.h"
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
    return game->LoadPgn(WriteGame(utf8, crlf));
  }
  std::string Notation(int ply) { return Gb2312ToUtf8(game->Record()[ply].Notation); }
  std::string Comment(int ply) { return Gb2312ToUtf8(game->Record()[ply].Comment); }
  int Plies() { return game->Record().Current + 1; }
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
  std::strcpy(game->Record()[1].Comment, "\tgood}");
  const std::string path = Folder() + "written.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  const std::string expected = Utf8ToGb18030(
      "[Game \"Chinese Chess\"]\r\n[Event \"Test\"]\r\n[Round \"\"]\r\n[Date \"\"]\r\n"
      "[Site \"\"]\r\n[RedTeam \"\"]\r\n[Red \"Player\"]\r\n[BlackTeam \"\"]\r\n"
      "[Black \"Computer\"]\r\n[Result \"*\"]\r\n[ECCO \"\"]\r\n[Opening \"\"]\r\n"
      "[Variation \"\"]\r\n[FEN \"" + std::string(kStartFen) + "\"]\r\n"
      "\r\n   1. 砲二平五 馬８进７ { \tgood} }   2. 馬二进三 車９平８"
      "\r\n   3. 馬八进七"
      "\r\n*\r\n");
  EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(PgnTest, SavedGameReadsBackWholeWithItsComment) {
  for (const char* move : {"h2e2", "h9g7", "h0g2", "i9h9", "b0c2"}) ASSERT_EQ(Play(move), 1);
  std::strcpy(game->Record()[1].Comment, "\tgood}");
  const std::string path = Folder() + "again.pgn";
  ASSERT_EQ(game->SavePgn(path), 1);
  ASSERT_EQ(game->LoadPgn(path), 1);
  EXPECT_EQ(Plies(), 5);
  EXPECT_EQ(Notation(4), "馬八进七");
  EXPECT_EQ(Comment(1), "\t \tgood}");  // the written blank and tab join the text
  EXPECT_EQ(Comment(2), "");
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
  EXPECT_EQ(Comment(1), "\t{good}");
  EXPECT_EQ(Comment(2), "\tgood}");
  EXPECT_EQ(Comment(3), "\ta (nested) one)");
  EXPECT_EQ(Comment(4), "\tmulti\n\tline}");
  EXPECT_EQ(Notation(5), "卒７进１");

  // A comment at the very end of the file, without a line after it.
  ASSERT_EQ(Load("\n1. 炮二平五 {end}"), 1);
  EXPECT_EQ(Comment(0), "\tend}");
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ {open\nstill"), 1);
  EXPECT_EQ(Comment(1), "\topen\n\tstill");
}

TEST_F(PgnTest, OverlongCommentIsCut) {
  const std::string x(5000, 'x');
  ASSERT_EQ(Load("\n1. 炮二平五 {" + x + "} 马８进７ {\n" + x + "\n" + x + "\n" + x + "} 2. 马二进三\n"), 1);
  ASSERT_EQ(Plies(), 3);
  const std::string first = game->Record()[0].Comment;
  EXPECT_EQ(first.size(), 4095u);
  EXPECT_EQ(first, "\t" + x.substr(0, 4094));
  EXPECT_EQ(std::string(game->Record()[1].Comment).size(), 4095u);
}

TEST_F(PgnTest, ReadingStopsQuietlyAtABadMove) {
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ 2. 炮二平五 马二进三\n"), 1);
  EXPECT_EQ(Plies(), 2);
  ASSERT_EQ(Load("\n1. 炮二平五 马８进７ 2. 炮八进九 马二进三\n"), 1);  // not a cannon move
  EXPECT_EQ(Plies(), 2);
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

}  // namespace
