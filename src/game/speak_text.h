#pragma once
// Handing GB2312 game text to a voice; the game object and tarvo-cli both
// speak through here.
#include <cstddef>
#include <memory>
#include <string>

#include "game/voice.h"

// Longest text handed over, in bytes: a 4096-byte text buffer less its terminator.
constexpr size_t MAX_SPOKEN_TEXT_BYTES = 4095;

// Queues the text (up to its first NUL, at most MAX_SPOKEN_TEXT_BYTES) on
// the voice as UTF-8 without waiting. When the voice refuses the request it
// is released and the factory makes a new one, which gets the old voice's
// volume and rate (VOICE_VOLUME / VOICE_RATE when they cannot be read) and is
// asked once more, whatever comes of it; when the factory makes none, voice
// stays empty. 0 when there is no voice to begin with, else 1.
int SpeakGb2312Text(std::unique_ptr<CVoice>& voice, CVoiceFactory factory, const std::string& text);
