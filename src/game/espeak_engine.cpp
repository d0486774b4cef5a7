#include "game/espeak_engine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <vector>

#include "game/voice.h"

namespace {

enum class CEngineState { NotStarted, Ready, Broken };

CEngineState g_State = CEngineState::NotStarted;
bool g_InUse = false;
int g_OutputMode = -1;  // none set yet

// Synthesised samples go to the vector a synthesis passed as its user data;
// requests without one (spoken through the sound card) leave nothing here.
int CollectSamples(short* wave, int count, espeak_EVENT* events) {
  if (wave && count > 0 && events && events->user_data) {
    auto* samples = static_cast<std::vector<short>*>(events->user_data);
    samples->insert(samples->end(), wave, wave + count);
  }
  return 0;  // go on synthesising
}

bool StartLibrary() {
  if (g_State == CEngineState::NotStarted) {
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    // A failed start (no data files) is not retried: nothing will change
    // while the program runs, and the library is not safe to restart.
    g_State = status == ENS_OK ? CEngineState::Ready : CEngineState::Broken;
    if (g_State == CEngineState::Ready) espeak_SetSynthCallback(CollectSamples);
  }
  return g_State == CEngineState::Ready;
}

}  // namespace

std::mutex& EspeakLock() {
  static std::mutex lock;
  return lock;
}

int AcquireEspeak(int outputMode) {
  if (g_InUse || !StartLibrary()) return 0;
  // The output mode is chosen once: after speaking to the sound card the
  // library synthesises nothing into memory, and back in sound-card mode its
  // audio device fails.
  if (g_OutputMode < 0) {
    if (espeak_ng_InitializeOutput(static_cast<espeak_ng_OUTPUT_MODE>(outputMode), 0, nullptr) !=
        ENS_OK)
      return 0;
    g_OutputMode = outputMode;
  }
  if (g_OutputMode != outputMode) return 0;
  // The Mandarin voice that reads Latin letters as pinyin first: the
  // characters become pinyin with tone digits inside the synthesiser, and
  // the plain "cmn" voice of espeak-ng 1.51 reads those digits aloud in
  // English ("ju one yi one"). Plain "cmn" is the fallback.
  if (espeak_ng_SetVoiceByName("cmn-latn-pinyin") != ENS_OK &&
      espeak_ng_SetVoiceByName("cmn") != ENS_OK)
    return 0;
  if (espeak_ng_SetParameter(espeakVOLUME, VOICE_VOLUME, 0) != ENS_OK ||
      espeak_ng_SetParameter(espeakRATE, VOICE_RATE, 0) != ENS_OK)
    return 0;
  g_InUse = true;
  return 1;
}

void ReleaseEspeak() {
  if (!g_InUse) return;
  espeak_ng_Cancel();
  g_InUse = false;
}

void SynchroniseEspeak() {
  if (g_State == CEngineState::Ready && g_OutputMode >= 0) espeak_ng_Synchronize();
}
