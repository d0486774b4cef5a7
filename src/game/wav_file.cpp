#include "game/wav_file.h"

#include <cstdio>

#include "common/file_util.h"

namespace {

// WAVE fields are little-endian whatever the machine.
void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

int WriteWavFile(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
  constexpr uint16_t kChannels = 1;
  constexpr uint16_t kBitsPerSample = 16;
  constexpr uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
  const uint64_t dataBytes = uint64_t {samples.size()} * kBlockAlign;
  if (sampleRate <= 0 || dataBytes > 0xFFFFFFFFull - 36) return 0;

  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  PutU32(out, static_cast<uint32_t>(36 + dataBytes));
  out += "WAVE";
  out += "fmt ";
  PutU32(out, 16);  // size of the PCM format block
  PutU16(out, 1);   // PCM
  PutU16(out, kChannels);
  PutU32(out, static_cast<uint32_t>(sampleRate));
  PutU32(out, static_cast<uint32_t>(sampleRate) * kBlockAlign);
  PutU16(out, kBlockAlign);
  PutU16(out, kBitsPerSample);
  out += "data";
  PutU32(out, static_cast<uint32_t>(dataBytes));
  for (const int16_t sample : samples) PutU16(out, static_cast<uint16_t>(sample));
  return WriteFileAtomically(path, out);
}
