// The game object's voice: moves are announced from whichever thread plays
// them (the interface thread, the computer's and the training workers).
#include <mutex>

#include "game/game.h"
#include "game/speak_text.h"

namespace {

// One lock for all speech: the voice may be replaced while it is used.
std::mutex& SpeechLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

int CGame::SpeakText(const std::string& text) {
  std::lock_guard lock(SpeechLock());
  return SpeakGb2312Text(Voice, VoiceFactory, text);
}
