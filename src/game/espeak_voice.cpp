#include "game/espeak_voice.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <mutex>

#include "game/audio_output_probe.h"
#include "game/espeak_engine.h"

namespace {

// Speech goes to the sound card from espeak-ng's own thread: a request is
// queued and the call returns at once.
class CEspeakVoice final : public CVoice {
 public:
  ~CEspeakVoice() override {
    std::lock_guard lock(EspeakLock());
    ReleaseEspeak();
  }

  int Speak(const std::string& utf8) override {
    std::lock_guard lock(EspeakLock());
    return espeak_ng_Synthesize(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0,
                                espeakCHARS_UTF8, nullptr, nullptr) == ENS_OK;
  }

  int SetVolume(int volume) override { return SetParameter(espeakVOLUME, volume, Volume); }
  int SetRate(int rate) override { return SetParameter(espeakRATE, rate, Rate); }

  // The library applies settings on its own thread, in turn with the queued
  // speech, so the values last handed to it are the ones that hold.
  int GetVolume(int& volume) override {
    volume = Volume;
    return 1;
  }
  int GetRate(int& rate) override {
    rate = Rate;
    return 1;
  }

 private:
  int SetParameter(espeak_PARAMETER parameter, int value, int& kept) {
    std::lock_guard lock(EspeakLock());
    if (espeak_ng_SetParameter(parameter, value, 0) != ENS_OK) return 0;
    kept = value;
    return 1;
  }

  int Volume = VOICE_VOLUME;
  int Rate = VOICE_RATE;
};

}  // namespace

std::unique_ptr<CVoice> CreateEspeakVoice() {
  if (!HasAudioOutput()) return nullptr;
  std::lock_guard lock(EspeakLock());
  if (!AcquireEspeak(ENOUTPUT_MODE_SPEAK_AUDIO)) return nullptr;
  return std::make_unique<CEspeakVoice>();
}

void WaitForEspeakSpeech() {
  std::lock_guard lock(EspeakLock());
  SynchroniseEspeak();
}
