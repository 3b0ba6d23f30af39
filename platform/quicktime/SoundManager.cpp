// Sound Manager channels: heard through the sound device when there is one, played on the
// clock without a sound when there is none.
//
// A play session begins when a channel gets work while none had any, and ends when none has
// any more; it decides at its start whether the device or the clock plays, and a device that
// goes away during it hands the channels to the clock. Through the device, the
// channels' commands are taken ahead of what is heard (kLeadFrames), their sound converted to
// the device's format and mixed into its one stream; each command taken keeps where it stands
// in that stream, and a callback is called when the device has played up to it. A command
// that changes what plays (quiet, flush, pause, rate, an immediate buffer) takes back every
// channel's sound the device has not played yet and puts the commands it came from back,
// the sound heard halfway resuming at the frame reached.

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <new>
#include <vector>

#include "CarbonEvents.h"
#include "Clock.h"
#include "Sound.h"
#include "quicktime/detail/SoundDevice.h"

namespace {

namespace qt = sp_platform::quicktime;

// How often the timer serves the channels while they have work.
constexpr EventTimerInterval kServeInterval = 0.01;
// How far ahead of what the device plays the channels' sound is queued: enough to ride over a
// late timer, little enough that a new sound starts soon.
constexpr UInt64 kLeadFrames = qt::kDeviceRate / 5;
constexpr UInt32 kDeviceFrameBytes = sizeof(SInt16) * qt::kDeviceChannels;
// How long the device stays open once nothing plays: the sound server plays out what it took,
// and a sound that follows soon (the next track, a resumed pause) needs no new opening.
constexpr UInt64 kCloseAfterMicros = 500000;
// The longest silence a buffer the device cannot play stands for (a day).
constexpr double kLongestSilence = 86400.0;

enum class Mode { kIdle, kClock, kDevice };

// A buffer's samples as the device can take them. format 0: samples the device cannot play
// (they last their length in silence).
struct Source {
  const UInt8* data = nullptr;
  UInt32 frames = 0;
  int channels = 0;
  SDL_AudioFormat format = 0;
  double rate = 0;  // Hz
};

// A command taken into the device's stream and not yet heard to its end. A callback stands at
// one place (start == end).
struct Placed {
  SndCommand cmd{};
  UInt64 start = 0;  // device frames
  UInt64 end = 0;
  UInt32 fromFrame = 0;  // where it began: a buffer's source frame, a wait's device frame
  UInt32 frames = 0;     // how much of it was placed, in the same unit
};

// The converter of one channel's samples to the device's format.
struct Stream {
  SDL_AudioStream* sdl = nullptr;
  SDL_AudioFormat format = 0;
  int channels = 0;
  int rate = 0;
  double outPerIn = 1;  // device frames per source frame
  double put = 0;       // source frames given since it was made or cleared
  double got = 0;       // device frames taken since then
  bool flushed = true;
};

struct ChannelState {
  bool owned = false;  // made by SndNewChannel (else the caller's own record)
  std::deque<SndCommand> queue;
  bool paused = false;
  double rateMultiplier = 1.0;
  // The sound begun and not yet played (bufferCmd or waitCmd): on the clock, `playing` seconds
  // of it remain; otherwise it resumes at fromFrame (a buffer's source frame, a wait's device
  // frame).
  bool hasCurrent = false;
  SndCommand current{};
  UInt32 fromFrame = 0;
  double playing = 0;
  UInt64 served = 0;  // microseconds: when the channel last played on the clock
  // Through the device.
  std::deque<Placed> placed;
  UInt64 cursor = 0;       // device frame where its next sound goes
  UInt64 silentUntil = 0;  // device frame where a wait placed ends
  Stream stream;
};

struct Channels {
  std::map<SndChannel*, ChannelState> states;
  EventLoopTimerRef timer = nullptr;
  // Closes the device opened by the question whether sound is heard when no sound followed.
  EventLoopTimerRef closeTimer = nullptr;
  Mode mode = Mode::kIdle;
  UInt64 idleSince = 0;  // microseconds: when the device's channels last had work (0: they have)
};

Channels& C() {
  static Channels channels;
  return channels;
}

UInt64 Now() {
  UnsignedWide now;
  Microseconds(&now);
  return (UInt64(now.hi) << 32) | now.lo;
}

ChannelState* Find(SndChannelPtr chan) {
  auto it = C().states.find(chan);
  return it == C().states.end() ? nullptr : &it->second;
}

// ---- Buffers --------------------------------------------------------------------------------

SDL_AudioFormat LinearFormat(OSType format, UInt16 sampleSize) {
  switch (format) {
    case kSoundNotCompressed:
      return sampleSize == 8 ? AUDIO_U8 : sampleSize == 16 ? AUDIO_S16MSB : 0;
    case k16BitBigEndianFormat:
      return sampleSize == 8 ? AUDIO_S8 : sampleSize == 16 ? AUDIO_S16MSB : 0;
    case k16BitLittleEndianFormat:
      return sampleSize == 16 ? AUDIO_S16LSB : 0;
    case k8BitOffsetBinaryFormat:
      return AUDIO_U8;
    case k32BitFormat:
      return AUDIO_S32MSB;
    case k32BitLittleEndianFormat:
      return AUDIO_S32LSB;
    case kFloat32Format:
      return AUDIO_F32MSB;
    default:
      return 0;
  }
}

// What a buffer command's header holds; false when it holds no sound at all.
bool ReadSource(const SndCommand& cmd, Source* src) {
  const auto* ext = reinterpret_cast<const ExtSoundHeader*>(cmd.param2);
  if (ext == nullptr || ext->sampleRate == 0) return false;
  *src = Source{};
  src->rate = double(ext->sampleRate) / 65536.0;
  src->data = ext->samplePtr != nullptr ? reinterpret_cast<const UInt8*>(ext->samplePtr)
                                        : ext->sampleArea;
  if (ext->encode == stdSH) {
    // A standard header: 8-bit offset-binary mono, its length in the channel count's field.
    src->frames = ext->numChannels;
    src->channels = 1;
    src->format = AUDIO_U8;
  } else if (ext->encode == extSH) {
    src->frames = ext->numFrames;
    src->channels = ext->numChannels <= 8 ? int(ext->numChannels) : 0;
    src->format = LinearFormat(kSoundNotCompressed, ext->sampleSize);
  } else if (ext->encode == cmpSH) {
    const auto* cmp = reinterpret_cast<const CmpSoundHeader*>(cmd.param2);
    src->frames = cmp->numFrames;
    src->channels = cmp->numChannels <= 8 ? int(cmp->numChannels) : 0;
    if (cmp->compressionID == notCompressed || cmp->compressionID == fixedCompression)
      src->format = LinearFormat(cmp->format, cmp->sampleSize);
  }
  if (src->channels < 1) src->format = 0;
  return true;
}

UInt32 FrameBytes(const Source& src) {
  return UInt32(src.channels) * SDL_AUDIO_BITSIZE(src.format) / 8;
}

// Seconds the sound of a buffer command lasts from `fromFrame` at the channel's rate multiplier.
double BufferSeconds(const SndCommand& cmd, double multiplier, UInt32 fromFrame = 0) {
  Source src;
  if (!ReadSource(cmd, &src) || multiplier <= 0) return 0;
  return double(src.frames - std::min(fromFrame, src.frames)) / src.rate / multiplier;
}

UInt32 WaitDeviceFrames(const SndCommand& cmd) {
  return UInt32(UInt16(cmd.param1)) * qt::kDeviceRate / 2000;
}

// ---- On the clock ---------------------------------------------------------------------------

// Seconds still to play of the current sound, from where it stands.
double CurrentSeconds(const ChannelState& s) {
  if (!s.hasCurrent) return 0;
  if (s.current.cmd == waitCmd)
    return double(WaitDeviceFrames(s.current) - std::min(s.fromFrame, WaitDeviceFrames(s.current))) /
           qt::kDeviceRate;
  return BufferSeconds(s.current, s.rateMultiplier, s.fromFrame);
}

// Where the current sound stands after `playing` seconds remain of it.
UInt32 FrameAfterClock(const ChannelState& s) {
  if (s.current.cmd == waitCmd)
    return WaitDeviceFrames(s.current) - std::min<UInt32>(WaitDeviceFrames(s.current),
                                                          UInt32(s.playing * qt::kDeviceRate));
  Source src;
  if (!ReadSource(s.current, &src)) return 0;
  const double left = s.playing * src.rate * s.rateMultiplier;
  return src.frames - std::min<UInt32>(src.frames, UInt32(std::lround(left)));
}

void StartOnClock(ChannelState& s) {
  s.playing = CurrentSeconds(s);
  s.hasCurrent = s.playing > 0;
  s.served = Now();
}

void EndOnClock(ChannelState& s) {
  if (s.hasCurrent) s.fromFrame = FrameAfterClock(s);
  s.playing = 0;
}

// Plays one channel on to `now`; its callback procedure may change any channel (or end this
// one), so the channel is looked up again after every call.
void Advance(SndChannel* chan, UInt64 now) {
  ChannelState* found = Find(chan);
  if (found == nullptr) return;
  double seconds = double(now - std::min(now, found->served)) / 1e6;
  found->served = now;
  for (int guard = 0; guard < 100000; ++guard) {
    ChannelState* s = Find(chan);
    if (s == nullptr || s->paused) return;
    if (s->playing > 0) {
      const double used = std::min(s->playing, seconds);
      s->playing -= used;
      seconds -= used;
      if (s->playing > 0) return;
    }
    s->hasCurrent = false;
    if (s->queue.empty()) return;
    SndCommand cmd = s->queue.front();
    s->queue.pop_front();
    if (cmd.cmd == bufferCmd || cmd.cmd == waitCmd) {
      s->current = cmd;
      s->fromFrame = 0;
      s->hasCurrent = true;
      s->playing = CurrentSeconds(*s);
    }
    if (cmd.cmd == callBackCmd && chan->callBack != nullptr) chan->callBack(chan, &cmd);
  }
}

// ---- Through the device ---------------------------------------------------------------------

void ClearStream(Stream& st) {
  if (st.sdl != nullptr) SDL_AudioStreamClear(st.sdl);
  st.put = st.got = 0;
  st.flushed = true;
}

void FreeStream(Stream& st) {
  if (st.sdl != nullptr) SDL_FreeAudioStream(st.sdl);
  st = Stream{};
}

// Device frames the stream owes for the source frames it was given.
UInt64 Owed(const Stream& st) {
  if (st.sdl == nullptr) return 0;
  return UInt64(std::max(0.0, std::llround(st.put * st.outPerIn) - st.got));
}

// What a source's samples enter the converter as: 16-bit samples of the other byte order are
// turned, and 16-bit mono is made stereo, first (PutSamples), so that a sound already at the
// device's rate reaches it untouched (SDL would convert them through floats).
bool Turned16(const Source& src) {
  return (src.format == AUDIO_S16LSB || src.format == AUDIO_S16MSB) &&
         (src.format != AUDIO_S16SYS || src.channels == 1);
}

SDL_AudioFormat StreamFormat(const Source& src) {
  return Turned16(src) ? AUDIO_S16SYS : src.format;
}

int StreamChannels(const Source& src) {
  return Turned16(src) && src.channels == 1 ? 2 : src.channels;
}

// Gives the converter `frames` source frames from `from`; false when it cannot take them.
bool PutSamples(Stream& st, const Source& src, UInt32 from, UInt32 frames) {
  const UInt8* data = src.data + UInt64(from) * FrameBytes(src);
  const UInt64 bytes = UInt64(frames) * FrameBytes(src);
  const UInt64 copies = StreamChannels(src) / src.channels;
  if (bytes * copies > 0x7FFFFFFF) return false;
  if (!Turned16(src)) return SDL_AudioStreamPut(st.sdl, data, int(bytes)) == 0;
  const bool swap = src.format != AUDIO_S16SYS;
  std::vector<UInt8> turned(bytes * copies);
  UInt8* out = turned.data();
  for (UInt64 i = 0; i + 1 < bytes; i += 2) {
    for (UInt64 c = 0; c < copies; ++c) {
      *out++ = data[i + (swap ? 1 : 0)];
      *out++ = data[i + (swap ? 0 : 1)];
    }
  }
  return SDL_AudioStreamPut(st.sdl, turned.data(), int(turned.size())) == 0;
}

// A stream for the source at the channel's rate; false when SDL cannot convert it.
bool UseStream(ChannelState& s, const Source& src) {
  const long rate = std::lround(src.rate * s.rateMultiplier);
  Stream& st = s.stream;
  const SDL_AudioFormat format = StreamFormat(src);
  const int channels = StreamChannels(src);
  if (st.sdl != nullptr && st.format == format && st.channels == channels && st.rate == rate)
    return true;
  FreeStream(st);
  if (rate < 1 || rate > 4 * 1024 * 1024) return false;
  st.sdl = SDL_NewAudioStream(format, Uint8(channels), int(rate), AUDIO_S16SYS,
                              qt::kDeviceChannels, qt::kDeviceRate);
  if (st.sdl == nullptr) return false;
  st.format = format;
  st.channels = channels;
  st.rate = int(rate);
  st.outPerIn = double(qt::kDeviceRate) / double(rate);
  return true;
}

// Places `frames` device frames of silence for the current sound at `pos`.
void PlaceSilence(ChannelState& s, UInt64 pos, UInt32 fromFrame, UInt32 frames, UInt64 length) {
  s.placed.push_back(Placed{s.current, pos, pos + length, fromFrame, frames});
  s.silentUntil = pos + length;
  s.hasCurrent = false;
}

// Places the current sound at `pos`; false when the stream has to give out what it holds
// first (a new format, or a wait after it).
bool PlaceCurrent(ChannelState& s, UInt64 pos) {
  Source src;
  const bool buffer = s.current.cmd == bufferCmd;
  const bool sound = buffer && ReadSource(s.current, &src) && src.format != 0 &&
                     src.data != nullptr && s.rateMultiplier > 0;
  const bool sameStream = sound && s.stream.sdl != nullptr &&
                          s.stream.format == StreamFormat(src) &&
                          s.stream.channels == StreamChannels(src) &&
                          s.stream.rate == std::lround(src.rate * s.rateMultiplier);
  if (!sameStream && s.stream.sdl != nullptr && !s.stream.flushed) {
    SDL_AudioStreamFlush(s.stream.sdl);
    s.stream.flushed = true;
    return false;
  }
  if (!buffer) {
    const UInt32 total = WaitDeviceFrames(s.current);
    const UInt32 from = std::min(s.fromFrame, total);
    PlaceSilence(s, pos, from, total - from, total - from);
    return true;
  }
  if (!ReadSource(s.current, &src)) src = Source{};
  const UInt32 from = std::min(s.fromFrame, src.frames);
  const UInt32 frames = src.frames - from;
  if (!sound || !UseStream(s, src) || !PutSamples(s.stream, src, from, frames)) {
    // Samples the device cannot play last their length in silence.
    const double seconds = std::min(BufferSeconds(s.current, s.rateMultiplier, from), kLongestSilence);
    PlaceSilence(s, pos, from, frames, UInt64(std::llround(seconds * qt::kDeviceRate)));
    return true;
  }
  const UInt64 start = pos + Owed(s.stream);
  s.stream.put += frames;
  s.stream.flushed = false;
  const UInt64 end = pos + Owed(s.stream);
  s.placed.push_back(Placed{s.current, start, end, from, frames});
  s.hasCurrent = false;
  return true;
}

// Takes the next queued command into the device's stream at `pos`.
void TakeNext(ChannelState& s, UInt64 pos) {
  const SndCommand cmd = s.queue.front();
  s.queue.pop_front();
  if (cmd.cmd == bufferCmd || cmd.cmd == waitCmd) {
    s.current = cmd;
    s.fromFrame = 0;
    s.hasCurrent = true;
  } else if (cmd.cmd == callBackCmd) {
    const UInt64 at = pos + Owed(s.stream);
    s.placed.push_back(Placed{cmd, at, at, 0, 0});
  }
}

// Adds the channel's sound for device frames [from, to) to `mix`.
void Produce(ChannelState& s, UInt64 from, UInt64 to, std::vector<SInt32>& mix) {
  std::vector<SInt16> got;
  UInt64 pos = std::max(s.cursor, from);
  for (int guard = 0; pos < to && guard < 100000; ++guard) {
    if (pos < s.silentUntil) {
      pos = std::min(to, s.silentUntil);
      continue;
    }
    const int ready = s.stream.sdl != nullptr ? SDL_AudioStreamAvailable(s.stream.sdl) : 0;
    if (ready >= int(kDeviceFrameBytes)) {
      const UInt64 frames = std::min<UInt64>(UInt64(ready) / kDeviceFrameBytes, to - pos);
      got.resize(frames * qt::kDeviceChannels);
      const int bytes = SDL_AudioStreamGet(s.stream.sdl, got.data(), int(frames * kDeviceFrameBytes));
      const UInt64 taken = bytes > 0 ? UInt64(bytes) / kDeviceFrameBytes : 0;
      if (taken == 0) break;
      SInt32* out = mix.data() + (pos - from) * qt::kDeviceChannels;
      for (UInt64 i = 0; i < taken * qt::kDeviceChannels; ++i) out[i] += got[i];
      s.stream.got += double(taken);
      pos += taken;
    } else if (s.hasCurrent) {
      PlaceCurrent(s, pos);
    } else if (!s.queue.empty()) {
      TakeNext(s, pos);
    } else if (s.stream.sdl != nullptr && !s.stream.flushed) {
      // Nothing follows: the converter gives out the end of the sound it holds.
      SDL_AudioStreamFlush(s.stream.sdl);
      s.stream.flushed = true;
    } else {
      break;
    }
  }
  s.cursor = pos;
}

// Takes back the channel's sound not heard by `played`: what was heard to its end stays (its
// callbacks are due), the sound heard halfway becomes the current one again from the frame
// reached, and the commands after it go back to the front of the queue.
void TakeBack(ChannelState& s, UInt64 played) {
  std::deque<SndCommand> back;
  std::deque<Placed> heard;
  bool resumed = false;
  for (const Placed& p : s.placed) {
    if (p.end <= played && back.empty() && !resumed) {
      heard.push_back(p);
    } else if (!resumed && back.empty() && p.cmd.cmd != callBackCmd) {
      const UInt64 length = p.end - p.start;
      const UInt64 done = played > p.start ? played - p.start : 0;
      const UInt64 into = length > 0 ? done * p.frames / length : 0;
      s.current = p.cmd;
      s.fromFrame = p.fromFrame + UInt32(std::min<UInt64>(into, p.frames));
      s.hasCurrent = true;
      resumed = true;
    } else {
      back.push_back(p.cmd);
    }
  }
  s.placed.swap(heard);
  s.queue.insert(s.queue.begin(), back.begin(), back.end());
  ClearStream(s.stream);
  s.silentUntil = 0;
  s.cursor = played;
}

// Takes back from the device every channel's sound it has not played.
void TakeBackAll() {
  if (C().mode != Mode::kDevice) return;
  qt::DropUnplayedSoundDeviceFrames();
  const UInt64 played = qt::SoundDeviceFramesQueued();
  for (auto& entry : C().states) TakeBack(entry.second, played);
}

// Calls the callbacks the device has played up to; a callback may change any channel (or end
// this one), so the channel is looked up again after every call.
void FireHeard(SndChannel* chan, UInt64 played) {
  for (int guard = 0; guard < 100000; ++guard) {
    ChannelState* s = Find(chan);
    if (s == nullptr || s->placed.empty() || s->placed.front().end > played) return;
    SndCommand cmd = s->placed.front().cmd;
    s->placed.pop_front();
    if (cmd.cmd == callBackCmd && chan->callBack != nullptr) chan->callBack(chan, &cmd);
  }
}

// Queues the channels' sound to the device up to kLeadFrames ahead of what it played.
void FeedDevice() {
  const UInt64 from = qt::SoundDeviceFramesQueued();
  const UInt64 to = qt::SoundDeviceFramesPlayed() + kLeadFrames;
  if (to <= from) return;
  std::vector<SInt32> mix((to - from) * qt::kDeviceChannels, 0);
  for (auto& entry : C().states) {
    if (!entry.second.paused) Produce(entry.second, from, to, mix);
  }
  std::vector<SInt16> out(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i)
    out[i] = SInt16(std::clamp<SInt32>(mix[i], -32768, 32767));
  qt::QueueSoundDeviceFrames(out.data(), to - from);
}

// ---- Sessions -------------------------------------------------------------------------------

bool HasWork(const ChannelState& s) {
  return !s.placed.empty() || (!s.paused && (s.hasCurrent || s.playing > 0 || !s.queue.empty()));
}

void Serve(EventLoopTimerRef, void*);

// A session begins: through the device when it opens, on the clock otherwise.
void BeginSession() {
  Channels& c = C();
  c.mode = qt::OpenSoundDevice() ? Mode::kDevice : Mode::kClock;
  for (auto& entry : c.states) {
    if (c.mode == Mode::kClock) StartOnClock(entry.second);
    entry.second.cursor = 0;
  }
}

void EndSession() {
  Channels& c = C();
  for (auto& entry : c.states) {
    if (c.mode == Mode::kClock) EndOnClock(entry.second);
    FreeStream(entry.second.stream);
    entry.second.silentUntil = 0;
  }
  qt::CloseSoundDevice();
  c.mode = Mode::kIdle;
}

// The channel has work from now on (its idle time does not count).
void WakeServer(ChannelState& s, bool hadWork) {
  Channels& c = C();
  if (c.mode == Mode::kIdle) BeginSession();
  if (!hadWork) s.served = Now();
  if (hadWork && c.timer != nullptr) return;
  // Installed afresh: a timer the event loop has forgotten (its reset) is not relied on.
  if (c.timer != nullptr) RemoveEventLoopTimer(c.timer);
  c.timer = nullptr;
  static EventLoopTimerUPP upp = NewEventLoopTimerUPP(Serve);
  InstallEventLoopTimer(GetMainEventLoop(), kServeInterval, kServeInterval, upp, nullptr, &c.timer);
}

void SleepServerWhenIdle() {
  Channels& c = C();
  for (const auto& entry : c.states) {
    if (HasWork(entry.second)) {
      c.idleSince = 0;
      return;
    }
  }
  if (c.mode == Mode::kDevice && c.timer != nullptr && !c.states.empty()) {
    const UInt64 now = Now();
    if (c.idleSince == 0) c.idleSince = now;
    if (now - c.idleSince < kCloseAfterMicros) return;
  }
  c.idleSince = 0;
  if (c.timer != nullptr) RemoveEventLoopTimer(c.timer);
  c.timer = nullptr;
  if (c.mode != Mode::kIdle) EndSession();
}

// The device went away while the channels played through it (unplugged, its server ended):
// what it took counts as heard up to where it was played, the rest goes back to the channels,
// and they play on on the clock from there. The next session opens a device again.
void LoseDevice() {
  Channels& c = C();
  qt::DropUnplayedSoundDeviceFrames();
  const UInt64 heard = qt::SoundDeviceFramesPlayed();
  std::vector<SndChannel*> channels;
  for (auto& entry : c.states) {
    TakeBack(entry.second, heard);
    FreeStream(entry.second.stream);
    entry.second.silentUntil = 0;
    channels.push_back(entry.first);
  }
  qt::CloseSoundDevice();
  c.mode = Mode::kClock;
  for (auto& entry : c.states) StartOnClock(entry.second);
  // The callbacks of what was heard (TakeBack kept only those) are due now.
  for (SndChannel* chan : channels) FireHeard(chan, heard);
}

void CloseUnusedDevice(EventLoopTimerRef, void*) {
  Channels& c = C();
  if (c.closeTimer != nullptr) RemoveEventLoopTimer(c.closeTimer);
  c.closeTimer = nullptr;
  // A session that began meanwhile closes the device at its end.
  if (c.mode == Mode::kIdle) qt::CloseSoundDevice();
}

void Serve(EventLoopTimerRef, void*) {
  if (C().mode == Mode::kDevice && qt::SoundDeviceWasLost()) LoseDevice();
  std::vector<SndChannel*> channels;
  for (const auto& entry : C().states) {
    if (HasWork(entry.second)) channels.push_back(entry.first);
  }
  if (C().mode == Mode::kDevice) {
    const UInt64 played = qt::SoundDeviceFramesPlayed();
    for (SndChannel* chan : channels) FireHeard(chan, played);
    // Nothing is queued while nothing plays: a sound that comes starts at once.
    if (C().mode == Mode::kDevice && !channels.empty()) FeedDevice();
  } else {
    const UInt64 now = Now();
    for (SndChannel* chan : channels) Advance(chan, now);
  }
  SleepServerWhenIdle();
}

}  // namespace

bool sp_platform::quicktime::SoundChannelsAreHeard() {
  Channels& c = C();
  if (c.mode != Mode::kIdle) return c.mode == Mode::kDevice;
  if (!qt::OpenSoundDevice()) return false;
  // Opened for the question: a sound that follows soon plays on this opening, else it is
  // closed again (installed afresh, as the server's timer is).
  if (c.closeTimer != nullptr) RemoveEventLoopTimer(c.closeTimer);
  c.closeTimer = nullptr;
  static EventLoopTimerUPP upp = NewEventLoopTimerUPP(CloseUnusedDevice);
  InstallEventLoopTimer(GetMainEventLoop(), double(kCloseAfterMicros) / 1e6, 0, upp, nullptr,
                        &c.closeTimer);
  return true;
}

SndCallBackUPP NewSndCallBackUPP(SndCallBackProcPtr proc) {
  return proc;
}

void DisposeSndCallBackUPP(SndCallBackUPP) {}

OSErr SndNewChannel(SndChannelPtr* chan, SInt16 synth, SInt32, SndCallBackUPP userRoutine) {
  if (chan == nullptr) return paramErr;
  if (synth != 0 && synth != sampledSynth) return badChannel;
  const bool owned = *chan == nullptr;
  if (owned) {
    *chan = new (std::nothrow) SndChannel{};
    if (*chan == nullptr) return memFullErr;
  }
  (*chan)->callBack = userRoutine;
  ChannelState state;
  state.owned = owned;
  C().states[*chan] = state;
  return noErr;
}

OSErr SndDisposeChannel(SndChannelPtr chan, Boolean) {
  auto it = C().states.find(chan);
  if (it == C().states.end()) return badChannel;
  // Its sound leaves the device's stream; the other channels' stays.
  TakeBackAll();
  it = C().states.find(chan);
  const bool owned = it->second.owned;
  FreeStream(it->second.stream);
  C().states.erase(it);
  if (owned) delete chan;
  SleepServerWhenIdle();
  return noErr;
}

OSErr SndDoCommand(SndChannelPtr chan, const SndCommand* cmd, Boolean) {
  ChannelState* s = Find(chan);
  if (s == nullptr) return badChannel;
  if (cmd == nullptr) return paramErr;
  if (s->queue.size() >= std::size_t(stdQLength)) return queueFull;
  const bool hadWork = HasWork(*s);
  s->queue.push_back(*cmd);
  if (HasWork(*s)) WakeServer(*s, hadWork);
  return noErr;
}

OSErr SndDoImmediate(SndChannelPtr chan, const SndCommand* cmd) {
  ChannelState* s = Find(chan);
  if (s == nullptr) return badChannel;
  if (cmd == nullptr) return paramErr;
  if (cmd->cmd == callBackCmd) {
    SndCommand copy = *cmd;
    if (chan->callBack != nullptr) chan->callBack(chan, &copy);
    return noErr;
  }
  if (cmd->cmd == rateMultiplierCmd && cmd->param2 <= 0) return paramErr;
  const bool changesSound = cmd->cmd == quietCmd || cmd->cmd == flushCmd ||
                            cmd->cmd == pauseCmd || cmd->cmd == rateMultiplierCmd ||
                            cmd->cmd == bufferCmd;
  if (changesSound) TakeBackAll();
  const bool hadWork = HasWork(*s);
  switch (cmd->cmd) {
    case quietCmd:
      s->playing = 0;
      s->hasCurrent = false;
      break;
    case flushCmd:
      s->queue.clear();
      break;
    case pauseCmd:
      s->paused = true;
      break;
    case resumeCmd:
      s->paused = false;
      break;
    case rateMultiplierCmd:
      s->rateMultiplier = double(cmd->param2) / 65536.0;
      break;
    case bufferCmd:
      s->current = *cmd;
      s->fromFrame = 0;
      s->hasCurrent = true;
      s->playing = C().mode == Mode::kClock ? BufferSeconds(*cmd, s->rateMultiplier) : 0;
      s->hasCurrent = C().mode != Mode::kClock || s->playing > 0;
      break;
    default:
      break;
  }
  if (HasWork(*s)) {
    WakeServer(*s, hadWork);
  } else {
    SleepServerWhenIdle();
  }
  return noErr;
}

NumVersion SndSoundManagerVersion() {
  return NumVersion{0x03, 0x65, finalStage, 0};
}
