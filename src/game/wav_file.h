#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes 16-bit mono PCM samples as a RIFF/WAVE file, replacing any file of
// that name only once the whole file is written. 1/0.
int WriteWavFile(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);
