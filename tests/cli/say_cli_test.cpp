// tarvo-cli say: the spoken form of a notation, recorded as a WAV file on a
// machine without sound, and the refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

std::string Say(const std::string& args, int* exitCode) {
  return RunCommand(std::string(TARVO_CLI_PATH) + " say " + args + " 2>&1", exitCode);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}
uint16_t U16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

// Seconds of 16-bit mono PCM in a canonical RIFF/WAVE file, after checking its header.
double WavSeconds(const std::string& wav) {
  EXPECT_GE(wav.size(), 44u);
  if (wav.size() < 44) return 0;
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U32(wav, 16), 16u);  // PCM format block
  EXPECT_EQ(U16(wav, 20), 1);    // PCM
  EXPECT_EQ(U16(wav, 22), 1);    // mono
  const uint32_t rate = U32(wav, 24);
  EXPECT_GE(rate, 8000u);
  EXPECT_EQ(U32(wav, 28), rate * 2);  // bytes a second
  EXPECT_EQ(U16(wav, 32), 2);         // bytes a sample
  EXPECT_EQ(U16(wav, 34), 16);        // bits a sample
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(U32(wav, 40), wav.size() - 44);
  return rate ? static_cast<double>(wav.size() - 44) / 2 / rate : 0;
}

TEST(SayCli, WritesTheSpokenMoveAsAWavFile) {
  ScopedTarvoHome home;
  for (const auto& [notation, spoken] : {std::pair {"車一进一", "驹一进一"}, {"馬８进７", "马八进七"}}) {
    const std::string path = home.Path() + "move.wav";
    int exitCode = -1;
    const std::string output = Say(std::string(notation) + " --wav " + path, &exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_EQ(output.substr(0, output.find('\n')), spoken);
    const double seconds = WavSeconds(ReadFile(path));
    EXPECT_GT(seconds, 0.3) << "four syllables";
    EXPECT_LT(seconds, 4.0) << "four syllables";
  }
}

TEST(SayCli, RefusesWhatIsNotANotation) {
  ScopedTarvoHome home;
  int exitCode = -1;
  EXPECT_NE(Say("車一进 --wav " + home.Path() + "x.wav", &exitCode).find("not a notation"), std::string::npos);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(Say("abcdefgh --wav " + home.Path() + "x.wav", &exitCode).find("no spoken form"), std::string::npos);
  EXPECT_EQ(exitCode, 1);
  Say("", &exitCode);
  EXPECT_EQ(exitCode, 1);
  Say("車一进一 --wav", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(home.Path() + "x.wav"));
}

TEST(SayCli, ReportsAFileItCannotWrite) {
  ScopedTarvoHome home;
  int exitCode = -1;
  const std::string output = Say("車一进一 --wav " + home.Path() + "missing/x.wav", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("cannot write"), std::string::npos) << output;
}

}  // namespace
