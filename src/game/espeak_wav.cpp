#include "game/espeak_wav.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <mutex>

#include "game/espeak_engine.h"

int SynthesizeSpeech(const std::string& utf8, std::vector<int16_t>& samples, int& sampleRate) {
  samples.clear();
  sampleRate = 0;
  std::lock_guard lock(EspeakLock());
  if (!AcquireEspeak(ENOUTPUT_MODE_SYNCHRONOUS)) return 0;
  // Synchronous mode: the samples arrive through the synthesiser's callback,
  // which appends them to the vector passed as user data, before this returns.
  const espeak_ng_STATUS status =
      espeak_ng_Synthesize(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                           nullptr, &samples);
  sampleRate = espeak_ng_GetSampleRate();
  ReleaseEspeak();
  return status == ENS_OK && sampleRate > 0;
}
