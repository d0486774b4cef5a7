#include "game/speak_text.h"

#include <algorithm>

#include "common/text_encoding.h"

int SpeakGb2312Text(std::unique_ptr<CVoice>& voice, CVoiceFactory factory, const std::string& text) {
  if (!voice) return 0;
  const size_t length = std::min({text.find('\0'), text.size(), MAX_SPOKEN_TEXT_BYTES});
  const std::string utf8 = Gb2312ToUtf8(std::string_view(text).substr(0, length));
  if (voice->Speak(utf8)) return 1;

  // The voice is broken: replace it once, keeping what the user had set.
  int volume = VOICE_VOLUME;
  int rate = VOICE_RATE;
  if (!voice->GetVolume(volume)) volume = VOICE_VOLUME;
  if (!voice->GetRate(rate)) rate = VOICE_RATE;
  voice.reset();  // the old voice goes first: the synthesiser takes one at a time
  if (factory) voice = factory();
  if (voice) {
    voice->SetVolume(volume);
    voice->SetRate(rate);
    voice->Speak(utf8);
  }
  return 1;
}
