#pragma once
// The speech voice the game announces moves with. The real one speaks
// through espeak-ng; tests use doubles.
#include <memory>
#include <string>

class CVoice {
 public:
  virtual ~CVoice() = default;
  // Queues UTF-8 text and returns at once. 1 when the request was accepted.
  virtual int Speak(const std::string& utf8) = 0;
  virtual int SetVolume(int volume) = 0;  // 0..100
  virtual int SetRate(int rate) = 0;      // words a minute
  virtual int GetVolume(int& volume) = 0;
  virtual int GetRate(int& rate) = 0;
};

// Makes a voice, or nullptr when none can speak here.
using CVoiceFactory = std::unique_ptr<CVoice> (*)();

// The volume and rate a new voice is given.
constexpr int VOICE_VOLUME = 100;
constexpr int VOICE_RATE = 378;  // 175 x 3^(7/10) words a minute
