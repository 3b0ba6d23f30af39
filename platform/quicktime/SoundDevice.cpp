// The sound output device through SDL2's audio queue.

#include "quicktime/detail/SoundDevice.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace sp_platform {
namespace quicktime {
namespace {

constexpr uint32_t kBytesPerFrame = sizeof(int16_t) * kDeviceChannels;

struct Device {
  SDL_AudioDeviceID id = 0;
  bool started = false;
  uint64_t queued = 0;  // frames queued since the device opened
  // Frames SDL has taken from the queue and not yet let out: it hands the device a buffer at a
  // time while the device (the sound server) plays the one before.
  uint64_t inFlight = 0;
};

Device& D() {
  static Device device;
  return device;
}

}  // namespace

bool OpenSoundDevice() {
  Device& d = D();
  if (d.id != 0 && !SoundDeviceWasLost()) return true;
  CloseSoundDevice();
  // The audio subsystem is started for each opening and ended with the device, so that it
  // reads the desktop's choice of driver (SDL_AUDIODRIVER) afresh.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  const char* driver = SDL_GetCurrentAudioDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = kDeviceRate;
  want.format = AUDIO_S16SYS;
  want.channels = kDeviceChannels;
  want.samples = 1024;
  // No changes allowed: SDL converts to what the hardware takes, and the queue keeps this format.
  SDL_AudioSpec have{};
  d.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (d.id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  d.started = false;
  d.queued = 0;
  d.inFlight = 2 * uint64_t(have.samples != 0 ? have.samples : want.samples);
  return true;
}

void CloseSoundDevice() {
  Device& d = D();
  if (d.id == 0) return;
  SDL_CloseAudioDevice(d.id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  d = Device{};
}

bool SoundDeviceIsOpen() {
  return D().id != 0;
}

bool SoundDeviceWasLost() {
  // SDL disables a device that went away before it posts SDL_AUDIODEVICEREMOVED; the status
  // tells it whoever takes that event from SDL's queue.
  const Device& d = D();
  return d.id != 0 && SDL_GetAudioDeviceStatus(d.id) == SDL_AUDIO_STOPPED;
}

namespace {

// Frames queued that SDL has taken from its queue (heard, or about to be).
uint64_t FramesTaken(const Device& d) {
  const uint64_t waiting = SDL_GetQueuedAudioSize(d.id) / kBytesPerFrame;
  return d.queued - std::min(waiting, d.queued);
}

}  // namespace

uint64_t SoundDeviceFramesPlayed() {
  Device& d = D();
  if (d.id == 0) return 0;
  const uint64_t taken = FramesTaken(d);
  return taken - std::min(taken, d.inFlight);
}

uint64_t SoundDeviceFramesQueued() {
  return D().queued;
}

void QueueSoundDeviceFrames(const int16_t* samples, uint64_t frames) {
  Device& d = D();
  if (d.id == 0 || frames == 0) return;
  if (SDL_QueueAudio(d.id, samples, Uint32(frames * kBytesPerFrame)) != 0) return;
  d.queued += frames;
  if (!d.started) SDL_PauseAudioDevice(d.id, 0);
  d.started = true;
}

void DropUnplayedSoundDeviceFrames() {
  Device& d = D();
  if (d.id == 0) return;
  // Held still, so that nothing leaves the queue between the count and the clearing.
  SDL_LockAudioDevice(d.id);
  const uint64_t taken = FramesTaken(d);
  SDL_ClearQueuedAudio(d.id);
  SDL_UnlockAudioDevice(d.id);
  d.queued = taken;
}

}  // namespace quicktime
}  // namespace sp_platform
