// Sound Manager channels that play on the clock without a sound device.

#include <algorithm>
#include <deque>
#include <map>
#include <new>
#include <vector>

#include "CarbonEvents.h"
#include "Clock.h"
#include "Sound.h"

namespace {

// How often the timer serves the channels while they have work.
constexpr EventTimerInterval kServeInterval = 0.01;

struct ChannelState {
  bool owned = false;  // made by SndNewChannel (else the caller's own record)
  std::deque<SndCommand> queue;
  bool paused = false;
  double playing = 0;  // seconds of the current sound still to play
  double rateMultiplier = 1.0;
  UInt64 served = 0;  // microseconds: when the channel last played on
};

struct Channels {
  std::map<SndChannel*, ChannelState> states;
  EventLoopTimerRef timer = nullptr;
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

bool HasWork(const ChannelState& s) {
  return !s.paused && (s.playing > 0 || !s.queue.empty());
}

// Seconds the sound of a buffer command lasts at the channel's rate multiplier.
double BufferSeconds(const SndCommand& cmd, double multiplier) {
  const auto* header = reinterpret_cast<const ExtSoundHeader*>(cmd.param2);
  if (header == nullptr || header->sampleRate == 0 || multiplier <= 0) return 0;
  UInt32 frames = header->numFrames;
  if (header->encode == stdSH) frames = header->numChannels;  // a standard header's length field
  return double(frames) / (double(header->sampleRate) / 65536.0) / multiplier;
}

void Serve(EventLoopTimerRef, void*);

// The channel has work from now on (its idle time does not count).
void WakeServer(ChannelState& s, bool hadWork) {
  if (!hadWork) s.served = Now();
  Channels& c = C();
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
    if (HasWork(entry.second)) return;
  }
  if (c.timer != nullptr) RemoveEventLoopTimer(c.timer);
  c.timer = nullptr;
}

// Plays one channel on to `now`; its callback procedure may change any channel (or end this
// one), so the channel is looked up again after every call.
void Advance(SndChannel* chan, UInt64 now) {
  auto found = C().states.find(chan);
  if (found == C().states.end()) return;
  double seconds = double(now - std::min(now, found->second.served)) / 1e6;
  found->second.served = now;
  for (int guard = 0; guard < 100000; ++guard) {
    auto it = C().states.find(chan);
    if (it == C().states.end()) return;
    ChannelState& s = it->second;
    if (s.paused) return;
    if (s.playing > 0) {
      const double used = std::min(s.playing, seconds);
      s.playing -= used;
      seconds -= used;
      if (s.playing > 0) return;
    }
    if (s.queue.empty()) return;
    SndCommand cmd = s.queue.front();
    s.queue.pop_front();
    switch (cmd.cmd) {
      case bufferCmd:
        s.playing = BufferSeconds(cmd, s.rateMultiplier);
        break;
      case waitCmd:
        s.playing = double(UInt16(cmd.param1)) / 2000.0;
        break;
      case callBackCmd:
        if (chan->callBack != nullptr) chan->callBack(chan, &cmd);
        break;
      default:
        break;
    }
  }
}

void Serve(EventLoopTimerRef, void*) {
  const UInt64 now = Now();
  std::vector<SndChannel*> channels;
  for (const auto& entry : C().states) {
    if (HasWork(entry.second)) channels.push_back(entry.first);
  }
  for (SndChannel* chan : channels) Advance(chan, now);
  SleepServerWhenIdle();
}

ChannelState* Find(SndChannelPtr chan) {
  auto it = C().states.find(chan);
  return it == C().states.end() ? nullptr : &it->second;
}

}  // namespace

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
  const bool owned = it->second.owned;
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
  const bool hadWork = HasWork(*s);
  switch (cmd->cmd) {
    case quietCmd:
      s->playing = 0;
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
      if (cmd->param2 <= 0) return paramErr;
      s->rateMultiplier = double(cmd->param2) / 65536.0;
      break;
    case bufferCmd:
      s->playing = BufferSeconds(*cmd, s->rateMultiplier);
      break;
    case callBackCmd: {
      SndCommand copy = *cmd;
      if (chan->callBack != nullptr) chan->callBack(chan, &copy);
      return noErr;
    }
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
