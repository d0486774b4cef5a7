// tarvo-cli say: speaks a move notation the way the game announces it, or
// records the speech as a WAV file (which needs no sound card).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "common/text_encoding.h"
#include "game/espeak_voice.h"
#include "game/espeak_wav.h"
#include "game/speak_text.h"
#include "game/wav_file.h"
#include "rules/notation.h"
#include "rules/notation_maps.h"

namespace {

int SayAloud(const std::string& spoken) {
  std::unique_ptr<CVoice> voice = CreateEspeakVoice();
  if (!voice)
    return CliError(
        "say: no voice here (no audio output, or espeak-ng has no Mandarin voice data); "
        "--wav FILE records the speech instead");
  SpeakGb2312Text(voice, CreateEspeakVoice, spoken);
  if (!voice) return CliError("say: the voice failed and could not be made again");
  WaitForEspeakSpeech();
  return 0;
}

int SayToWav(const std::string& spoken, const std::string& path) {
  std::vector<int16_t> samples;
  int sampleRate = 0;
  if (!SynthesizeSpeech(Gb2312ToUtf8(spoken), samples, sampleRate) || samples.empty())
    return CliError("say: no voice data (espeak-ng with its Mandarin voice \"cmn\" is needed)");
  if (!WriteWavFile(path, samples, sampleRate))
    return CliError("say: cannot write '" + path + "'");
  std::printf("%s: %zu samples at %d Hz, %.2f s\n", path.c_str(), samples.size(), sampleRate,
              static_cast<double>(samples.size()) / sampleRate);
  return 0;
}

int RunSay(const std::vector<std::string>& args) {
  std::string text;
  std::string wavPath;
  int textCount = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--wav") {
      if (i + 1 >= args.size()) return CliError("say: --wav needs a file name");
      wavPath = args[++i];
    } else {
      text = args[i];
      ++textCount;
    }
  }
  if (textCount != 1) return CliError("say: give one move notation (tarvo-cli say --help)");

  BuildNotationMaps();
  const std::string notation = LooksLikeUtf8(text) ? Utf8ToGb18030(text) : text;
  if (notation.size() != NOTATION_BYTES)
    return CliError("say: '" + text + "' is not a notation of four Chinese characters");
  std::string spoken;
  if (!ToSpokenText(notation, spoken))
    return CliError("say: '" + text + "' has no spoken form");
  std::printf("%s\n", Gb2312ToUtf8(spoken).c_str());
  std::fflush(stdout);
  return wavPath.empty() ? SayAloud(spoken) : SayToWav(spoken, wavPath);
}

const CliCommand kSay {
    "say", "NOTATION [--wav FILE]",
    "Speaks a move notation (e.g. 車一进一) as the game announces it; --wav writes the speech "
    "to a WAV file instead of the sound card",
    RunSay};

}  // namespace
