#include "game/audio_output_probe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

bool CanConnect(const std::string& socketPath) {
  sockaddr_un address {};
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

bool HasPulseServer() {
  if (const char* server = std::getenv("PULSE_SERVER"); server && *server) {
    const std::string named = server;
    if (named.rfind("unix:", 0) == 0) return CanConnect(named.substr(5));
    if (named[0] == '/') return CanConnect(named);
    return true;  // a network server: only connecting would tell
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string runtimeDir =
      runtime && *runtime ? runtime : "/run/user/" + std::to_string(getuid());
  return CanConnect(runtimeDir + "/pulse/native") || CanConnect("/run/pulse/native") ||
         CanConnect("/var/run/pulse/native");
}

// ALSA names playback devices /dev/snd/pcmC<card>D<device>p.
bool HasAlsaPlaybackDevice() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("pcmC", 0) == 0 && name.back() == 'p' &&
        access(entry.path().c_str(), R_OK | W_OK) == 0)
      return true;
  }
  return false;
}

}  // namespace

bool HasAudioOutput() { return HasPulseServer() || HasAlsaPlaybackDevice(); }
