// The opening book and the trained network the program ships with, as a new
// user meets them. The data folder of each test holds copies of the shipped
// files (what a new folder gets from beside the program), so the test does not
// depend on files a developer made in the build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "ann/tdbp_ann.h"
#include "common/file_util.h"
#include "test_support.h"

namespace {

const std::string kShipped = TARVO_SHIPPED_DATA_DIR;

class ShippedKnowledgeTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"rand/rand.has", "book/book.tab", "ann/eval000.ann"}) {
      std::filesystem::create_directories(std::filesystem::path(Home.Path() + name).parent_path());
      std::filesystem::copy_file(kShipped + "/" + name, Home.Path() + name);
    }
  }
  ScopedTarvoHome Home;
  std::string Cli(const std::string& args) {
    int code = -1;
    const std::string out =
        RunCommand("TARVO_HOME='" + Home.Path() + "' " + TARVO_CLI_PATH + " " + args + " 2>&1", &code);
    EXPECT_EQ(code, 0) << args << "\n" << out;
    return out;
  }
  // The move of a `go` answer (ICCS), its depth and its score.
  struct Answer {
    std::string Move;
    int Depth = -1;
    std::string Score;
  };
  Answer Go(const std::string& args) {
    const std::string out = Cli("go " + args);
    std::smatch match;
    static const std::regex best(R"(bestmove ([a-i]\d[a-i]\d) \S+ score=(\S+) depth=(\d+))");
    EXPECT_TRUE(std::regex_search(out, match, best)) << out;
    if (match.empty()) return {};
    return {match[1], std::stoi(match[3]), match[2]};
  }
};

TEST_F(ShippedKnowledgeTest, TheBuildPutsTheFilesBesideTheProgramAndTheNetworkLoads) {
  const std::string beside = std::filesystem::path(TARVO_CLI_PATH).parent_path().string();
  EXPECT_TRUE(std::filesystem::is_regular_file(beside + "/book/book.tab"));
  EXPECT_TRUE(std::filesystem::is_regular_file(beside + "/ann/eval000.ann"));
  EXPECT_TRUE(std::filesystem::is_regular_file(beside + "/rand/rand.has"));
  CTdbpAnn network;
  ASSERT_EQ(network.Load(kShipped + "/ann/eval000.ann"), 1);
  EXPECT_EQ(network.Count0, 91);
  EXPECT_EQ(network.Count11, 31);
  EXPECT_EQ(network.Count12, 11);
}

TEST_F(ShippedKnowledgeTest, ANewDataFolderAnswersTheStartFromTheBook) {
  const std::string probe = Cli("book probe");
  EXPECT_TRUE(std::regex_search(probe, std::regex(R"(^[a-i]\d[a-i]\d \d+ )"))) << probe;
  const Answer answer = Go("");
  EXPECT_EQ(answer.Depth, 0) << "a book move is no search";
  EXPECT_NE(probe.find(answer.Move + " "), std::string::npos) << answer.Move << " is not in\n" << probe;

  // The network loads as it is: not set aside and replaced by a fresh one.
  EXPECT_EQ(Cli("go --no-book --eval ann --depth 2").find("damaged"), std::string::npos);
  std::string shipped, used;
  ASSERT_TRUE(ReadWholeFile(kShipped + "/ann/eval000.ann", shipped));
  ASSERT_TRUE(ReadWholeFile(Home.Path() + "ann/eval000.ann", used));
  EXPECT_TRUE(shipped == used);
}

// A new data folder gets copies of the files beside the program; a network
// its owner deleted comes back as the shipped one, not as a random one.
TEST(ShippedDataFolderTest, ANewFolderGetsTheFilesBesideTheProgram) {
  ScopedTarvoHome home;
  const std::string cli = "TARVO_HOME='" + home.Path() + "' " + TARVO_CLI_PATH + " ";
  int code = -1;
  RunCommand(cli + "book probe 2>&1", &code);
  EXPECT_EQ(code, 0);
  const std::string beside = std::filesystem::path(TARVO_CLI_PATH).parent_path().string() + "/";
  const auto sameAsBeside = [&](const char* name) {
    std::string original, copy;
    return ReadWholeFile(beside + name, original) && ReadWholeFile(home.Path() + name, copy) && original == copy;
  };
  for (const char* name : {"rand/rand.has", "book/book.tab", "ann/eval000.ann"}) EXPECT_TRUE(sameAsBeside(name)) << name;
  std::filesystem::remove(home.Path() + "ann/eval000.ann");
  RunCommand(cli + "go --no-book --eval ann --depth 1 2>&1", &code);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(sameAsBeside("ann/eval000.ann"));
}

// Without the book the network still opens soundly: no king move, and no
// piece left for the taking (the piece-value model, answering for the other
// side, finds no gain as large as a horse).
TEST_F(ShippedKnowledgeTest, TheNetworkOpensSoundlyWithoutTheBook) {
  for (const std::string before : {"", "h2e2"}) {
    const std::string moves = before.empty() ? "" : " --moves " + before;
    const Answer ours = Go("--no-book --eval ann --depth 5" + moves);
    ASSERT_EQ(ours.Move.size(), 4u);
    const bool kingMove = ours.Move.substr(0, 2) == (before.empty() ? "e0" : "e9");
    EXPECT_FALSE(kingMove) << "after '" << before << "' the network moves its king: " << ours.Move;
    const Answer reply = Go("--no-book --eval default --depth 4 --moves " + before + " " + ours.Move);
    EXPECT_LT(std::stoi(reply.Score), 6000) << "after '" << before << " " << ours.Move
                                            << "' the reply " << reply.Move << " wins material";
  }
}

}  // namespace
