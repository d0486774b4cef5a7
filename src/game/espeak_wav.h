#pragma once
// Speech synthesised into memory instead of the sound card, for recording
// what the voice says on machines without sound.
#include <cstdint>
#include <string>
#include <vector>

// Synthesises UTF-8 text with the Mandarin voice, volume and rate of the
// game's voice into 16-bit mono samples. 1 with the samples and their rate;
// 0 when espeak-ng or its Mandarin voice data are missing, or when this
// process speaks through the sound card (CreateEspeakVoice).
int SynthesizeSpeech(const std::string& utf8, std::vector<int16_t>& samples, int& sampleRate);
