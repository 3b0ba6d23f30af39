// The one sound output device the Sound Manager's channels play through: SDL2's audio output
// (the desktop's sound server), opened when a channel starts to play (or when asked whether
// sound is heard) and closed half a second after none plays any more (at once when no channel
// is left), so that the sound server's output may sleep. Samples go to it as 16-bit
// native-endian stereo at 44.1 kHz, queued from the event loop (no audio callback runs
// program code). SDL's dummy driver, and a device that cannot be opened, count as no device:
// the channels then play on the clock. A device that goes away while open (unplugged, its
// server ended) is dropped: the channels play on on the clock, and a later sound opens a
// device again.
#pragma once

#include <cstdint>

namespace sp_platform {
namespace quicktime {

constexpr int kDeviceRate = 44100;
constexpr int kDeviceChannels = 2;

// Opens the device (anew when the open one went away); false (and nothing said to the user)
// when there is none.
bool OpenSoundDevice();
void CloseSoundDevice();
bool SoundDeviceIsOpen();
// True when the Sound Manager's channels are heard through the device (it opens it when no
// channel plays yet); false when they play on the clock.
bool SoundChannelsAreHeard();
// True when the open device went away (SDL stopped it).
bool SoundDeviceWasLost();
// Frames queued to the device so far that it has played: those SDL took from its queue, less
// the two buffers' worth SDL and the device hold before they are heard.
uint64_t SoundDeviceFramesPlayed();
// Frames queued to the device so far.
uint64_t SoundDeviceFramesQueued();
// Queues `frames` interleaved stereo frames and starts the device if it was waiting.
void QueueSoundDeviceFrames(const int16_t* samples, uint64_t frames);
// Drops what SDL has not taken yet; the queued count falls back to what it took (which is
// heard still).
void DropUnplayedSoundDeviceFrames();

}  // namespace quicktime
}  // namespace sp_platform
