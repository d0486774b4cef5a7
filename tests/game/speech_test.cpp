// Spoken moves: what reaches the voice when moves are played, the silent
// game without a voice, and replacing a voice that refuses a request.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/text_encoding.h"
#include "game/espeak_voice.h"
#include "game/espeak_wav.h"
#include "game/game.h"
#include "rules/move_tables.h"
#include "rules/notation.h"
#include "rules/notation_maps.h"
#include "rules/pieces.h"
#include "shared_game_suite.h"
#include "test_support.h"

namespace {

// What the test voices heard, across every voice the factory made.
struct CVoiceLog {
  std::vector<std::string> Accepted;
  std::vector<std::string> Refused;
  int Requests = 0;
  int FailEvery = 0;          // refuse every n-th request (0: never)
  bool FactoryMakesNone = false;
  bool SettingsUnreadable = false;
  int Made = 0;
};
CVoiceLog g_Log;

class CTestVoice final : public CVoice {
 public:
  int Speak(const std::string& utf8) override {
    ++g_Log.Requests;
    if (g_Log.FailEvery > 0 && g_Log.Requests % g_Log.FailEvery == 0) {
      g_Log.Refused.push_back(utf8);
      return 0;
    }
    g_Log.Accepted.push_back(utf8);
    Heard.push_back(utf8);
    return 1;
  }
  int SetVolume(int volume) override {
    Volume = volume;
    return 1;
  }
  int SetRate(int rate) override {
    Rate = rate;
    return 1;
  }
  int GetVolume(int& volume) override {
    volume = Volume;
    return g_Log.SettingsUnreadable ? 0 : 1;
  }
  int GetRate(int& rate) override {
    rate = Rate;
    return g_Log.SettingsUnreadable ? 0 : 1;
  }

  int Volume = -1;  // nothing set yet
  int Rate = -1;
  std::vector<std::string> Heard;
};

std::unique_ptr<CVoice> MakeTestVoice() {
  if (g_Log.FactoryMakesNone) return nullptr;
  ++g_Log.Made;
  return std::make_unique<CTestVoice>();
}

CTestVoice* TestVoice(CGame& game) { return dynamic_cast<CTestVoice*>(game.Voice.get()); }

class SpeechTest : public SharedGameSuite<&MakeTestVoice> {
 protected:
  void SetUp() override {
    g_Log = CVoiceLog {};
    game = SharedGame;
    game->Voice = MakeTestVoice();
    g_Log.Made = 0;  // counts the voices made after this one
    game->SpeakMoves = 1;
    game->HumanVsHuman = 1;
    ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  }

  // The move a notation (UTF-8 here, GB2312 in the game) names for the side to move.
  CMove Named(const std::string& utf8) {
    CMove move;
    EXPECT_EQ(ParseMove(game->Position(), game->RedToMove, Utf8ToGb18030(utf8), move), 1) << utf8;
    return move;
  }
  std::string LastNotation() {
    return Gb2312ToUtf8(game->Record().Entries[game->Record().Current].Notation);
  }

  CGame* game = nullptr;
};

TEST_F(SpeechTest, RedChariotIsSpokenAsJu) {
  CMove move;
  move.Piece = game->Position().Board[SquareOf(12, 11)];
  move.From = {12, 11};
  move.To = {11, 11};
  ASSERT_EQ(game->PlayMove(move, 1), 1);
  EXPECT_EQ(LastNotation(), "車一进一");
  EXPECT_EQ(g_Log.Accepted, std::vector<std::string> {"驹一进一"});
}

TEST_F(SpeechTest, BlackHorseIsSpokenWithChineseNumerals) {
  ASSERT_EQ(game->PlayMove(Named("炮二平五"), 1), 1);
  ASSERT_EQ(game->PlayMove(Named("馬８进７"), 1), 1);
  EXPECT_EQ(LastNotation(), "馬８进７");
  EXPECT_EQ(g_Log.Accepted, (std::vector<std::string> {"炮二平五", "马八进七"}));
}

TEST_F(SpeechTest, MovesReadWithoutAnnouncingOrWithSpeechOffAreSilent) {
  ASSERT_EQ(game->PlayMove(Named("炮二平五"), 0), 1);
  game->SpeakMoves = 0;
  ASSERT_EQ(game->PlayMove(Named("馬８进７"), 1), 1);
  ASSERT_EQ(game->PlayMove(Named("馬二进三"), 1), 1);
  EXPECT_EQ(game->Record().Current, 2);
  EXPECT_EQ(g_Log.Requests, 0);
}

TEST_F(SpeechTest, WithoutVoiceTheGamePlaysSilently) {
  game->Voice.reset();
  EXPECT_EQ(game->SpeakText(Utf8ToGb18030("驹一进一")), 0);
  ASSERT_EQ(game->PlayMove(Named("炮二平五"), 1), 1);
  ASSERT_EQ(game->PlayMove(Named("馬８进７"), 1), 1);
  EXPECT_EQ(game->Record().Current, 1);
  EXPECT_EQ(game->Voice, nullptr) << "no voice is made while playing";
  EXPECT_EQ(g_Log.Made, 0);
  EXPECT_EQ(g_Log.Requests, 0);
}

TEST_F(SpeechTest, RefusedRequestMakesANewVoiceWithTheOldSettings) {
  CTestVoice* old = TestVoice(*game);
  old->SetVolume(55);
  old->SetRate(222);
  g_Log.FailEvery = 2;  // the first request is accepted, the second refused
  ASSERT_EQ(game->PlayMove(Named("炮二平五"), 1), 1);
  EXPECT_EQ(TestVoice(*game), old);
  EXPECT_EQ(g_Log.Made, 0);

  EXPECT_EQ(game->SpeakText(Utf8ToGb18030("马八进七")), 1);
  CTestVoice* fresh = TestVoice(*game);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(g_Log.Made, 1);
  EXPECT_EQ(fresh->Volume, 55);
  EXPECT_EQ(fresh->Rate, 222);
  EXPECT_EQ(fresh->Heard, std::vector<std::string> {"马八进七"});
  EXPECT_EQ(g_Log.Refused, std::vector<std::string> {"马八进七"});
}

TEST_F(SpeechTest, NewVoiceGetsDefaultSettingsWhenTheOldOnesCannotBeRead) {
  g_Log.FailEvery = 1;  // the old voice refuses; so does the new one, which is not looked at
  g_Log.SettingsUnreadable = true;
  EXPECT_EQ(game->SpeakText(Utf8ToGb18030("驹一进一")), 1);
  CTestVoice* fresh = TestVoice(*game);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Volume, VOICE_VOLUME);
  EXPECT_EQ(fresh->Rate, VOICE_RATE);
  EXPECT_EQ(g_Log.Requests, 2) << "one request to each voice, no more";
}

TEST_F(SpeechTest, NoNewVoiceLeavesTheGameSilent) {
  g_Log.FailEvery = 1;
  g_Log.FactoryMakesNone = true;
  EXPECT_EQ(game->SpeakText(Utf8ToGb18030("驹一进一")), 1);
  EXPECT_EQ(game->Voice, nullptr);
  EXPECT_EQ(game->SpeakText(Utf8ToGb18030("驹一进一")), 0);
  ASSERT_EQ(game->PlayMove(Named("炮二平五"), 1), 1);
  EXPECT_EQ(g_Log.Requests, 1);
}

TEST_F(SpeechTest, TextStopsAtItsTerminatorAndAtTheBufferSize) {
  EXPECT_EQ(game->SpeakText(std::string("ab\0cd", 5)), 1);
  EXPECT_EQ(game->SpeakText(std::string(5000, 'a')), 1);
  ASSERT_EQ(g_Log.Accepted.size(), 2u);
  EXPECT_EQ(g_Log.Accepted[0], "ab");
  EXPECT_EQ(g_Log.Accepted[1], std::string(4095, 'a'));
}

// Moves are announced from the interface thread and from workers at once;
// voices are replaced meanwhile. Every call must end with one accepted text.
TEST_F(SpeechTest, SpeakingFromSeveralThreadsIsSafe) {
  g_Log.FailEvery = 5;
  const std::string text = Utf8ToGb18030("驹一进一");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 100; ++i) EXPECT_EQ(game->SpeakText(text), 1);
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(g_Log.Accepted.size(), 400u);
  EXPECT_GT(g_Log.Refused.size(), 0u);
  EXPECT_EQ(g_Log.Made, static_cast<int>(g_Log.Refused.size())) << "one new voice per refusal";
}

TEST(EspeakVoice, SynthesisesMandarinWithoutASoundCard) {
  std::vector<int16_t> samples;
  int sampleRate = 0;
  ASSERT_EQ(SynthesizeSpeech("驹一进一", samples, sampleRate), 1)
      << "espeak-ng and its Mandarin voice data are installed by scripts/install-deps.sh";
  ASSERT_GT(sampleRate, 0);
  const double seconds = static_cast<double>(samples.size()) / sampleRate;
  EXPECT_GT(seconds, 0.3);
  EXPECT_LT(seconds, 4.0);
  int loud = 0;
  for (int16_t sample : samples) loud += sample > 1000 || sample < -1000;
  EXPECT_GT(loud, 100) << "speech, not silence";
}

// On a machine without sound the real voice is none, at once and without a
// word on the terminal; with sound it holds the synthesiser alone. (After the
// synthesis above in the same process it is none too: the first user fixes
// the library's output mode. CTest runs each test in its own process.)
TEST(EspeakVoice, IsNoneOrTheOnlyOneAndNeverNoisy) {
  testing::internal::CaptureStderr();
  std::unique_ptr<CVoice> voice = CreateEspeakVoice();
  std::unique_ptr<CVoice> second = voice ? CreateEspeakVoice() : nullptr;
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  if (!voice) return;
  EXPECT_EQ(second, nullptr);
  int volume = 0, rate = 0;
  EXPECT_EQ(voice->GetVolume(volume), 1);
  EXPECT_EQ(voice->GetRate(rate), 1);
  EXPECT_EQ(volume, VOICE_VOLUME);
  EXPECT_EQ(rate, VOICE_RATE);
  EXPECT_EQ(voice->SetVolume(40), 1);
  EXPECT_EQ(voice->GetVolume(volume), 1);
  EXPECT_EQ(volume, 40);
  voice.reset();
  EXPECT_NE(CreateEspeakVoice(), nullptr) << "a released voice frees the synthesiser";
}

}  // namespace
