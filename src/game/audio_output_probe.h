#pragma once

// Whether this machine has somewhere to play sound: a reachable PulseAudio
// (or PipeWire) server, or an ALSA playback device this user may open.
// Looking first keeps the sound libraries from printing their errors when
// there is none. Fast, silent, opens no device.
bool HasAudioOutput();
