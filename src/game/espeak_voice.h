#pragma once
// The voice that speaks through espeak-ng with a Mandarin voice ("cmn").
// espeak-ng is one engine per process, so at most one such voice lives at a
// time and every call into the library is serialised.
#include <memory>
#include <string>

#include "game/voice.h"

// Makes the espeak-ng voice with volume VOICE_VOLUME and rate VOICE_RATE, or
// nullptr when it cannot speak here: no audio output, no Mandarin voice data,
// the library fails to start, another espeak-ng voice is still alive, or
// this process has already synthesised speech into memory (espeak_wav.h).
// Never blocks for long and prints nothing. Releasing the voice drops the
// speech still queued, which can take the library a second or two while it
// is playing. The game's voice factory.
std::unique_ptr<CVoice> CreateEspeakVoice();

// Blocks until everything queued on the live espeak-ng voice has been spoken
// (returns at once when there is none).
void WaitForEspeakSpeech();
