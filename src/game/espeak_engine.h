#pragma once
// The one espeak-ng synthesiser of the process. The library keeps its state
// in globals and, in the version Debian ships, hangs when it is shut down and
// started a second time, so it is started on first use and stays loaded;
// users (the live voice, a WAV synthesis) take it in turn.
#include <mutex>

// Every call into espeak-ng is made with this lock held.
std::mutex& EspeakLock();

// With the lock held: takes the synthesiser for one user in the given output
// mode (an espeak_ng_OUTPUT_MODE), with a Mandarin voice ("cmn"), volume
// VOICE_VOLUME and rate VOICE_RATE. 0 when the library cannot start, has no
// Mandarin voice data, another user holds it, or it was started in the other
// output mode (the first user fixes the mode for the life of the process).
int AcquireEspeak(int outputMode);

// With the lock held: drops any speech still queued and frees the
// synthesiser for the next user.
void ReleaseEspeak();

// With the lock held: waits until the speech queued so far has been
// synthesised and played (at once when the synthesiser was never started).
void SynchroniseEspeak();
