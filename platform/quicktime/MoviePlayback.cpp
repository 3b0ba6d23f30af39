// Playing movies: each movie's time base on the program's clock, where its video shows and the
// frames it shows.

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

#include "Clock.h"
#include "MoviePlayback.h"
#include "Sound.h"
#include "quickdraw/internal/PictureMaking.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/SoundDevice.h"
#include "quicktime/detail/SoundFrames.h"
#include "quicktime/detail/VideoFrames.h"

// A movie's time base: its flags, reached through the movie's playback state.
struct TimeBaseRecord {
  SInt32 flags = 0;
};

namespace sp_platform {
namespace quicktime {

struct MoviePlayback;

// A playing movie's sound: its first enabled sound track decoded from the movie's time on, a
// few blocks ahead of what is heard, through a Sound Manager channel of its own. Each block's
// callback decodes the next one into it.
struct MovieSound {
  static constexpr std::size_t kBlockFrames = kDeviceRate / 4;
  struct Block {
    CmpSoundHeader header{};
    std::vector<SInt16> samples;
    bool queued = false;
  };
  SndChannelPtr channel = nullptr;
  std::unique_ptr<SoundFrames> frames;
  std::array<Block, 3> blocks;
  SInt16 generation = 0;  // callbacks of blocks queued before the last restart are stale
  bool ended = false;

  ~MovieSound() {
    if (channel != nullptr) SndDisposeChannel(channel, true);
  }
};

struct MoviePlayback {
  TimeBaseRecord timeBase;
  Fixed rate = 0;
  Fixed preferredRate = 0x10000;
  SInt16 volume = kFullVolume;
  // The time stood at anchorTime (movie time scale) when the clock read anchorMicros; it has
  // moved at `rate` since.
  SInt64 anchorTime = 0;
  SInt64 anchorMicros = 0;

  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  Rect natural{0, 0, 0, 0};
  Rect box{0, 0, 0, 0};
  RgnHandle displayClip = nullptr;

  TrackRecord* videoTrack = nullptr;  // the first enabled video track when playback began
  std::unique_ptr<VideoFrames> frames;
  bool framesTried = false;
  UInt64 drawnSerial = 0;
  bool drawnOnce = false;

  std::unique_ptr<MovieSound> sound;
  bool soundTried = false;

  ~MoviePlayback() {
    if (displayClip != nullptr) DisposeRgn(displayClip);
  }
};

namespace {

// The movies that have playback state, for MoviesTask without a movie. Entries whose movie
// was disposed are dropped as they are met.
std::unordered_set<MovieRecord*>& Playing() {
  static std::unordered_set<MovieRecord*> movies;
  return movies;
}

SInt64 NowMicros() {
  UnsignedWide now;
  Microseconds(&now);
  return SInt64((UInt64(now.hi) << 32) | now.lo);
}

SInt64 Duration(MovieRecord* movie) {
  const TimeValue d = GetMovieDuration(movie);
  SetMoviesError(noErr);
  return d > 0 ? d : 0;
}

// The first enabled video track and its decoder; the natural box is (0, 0, height, width) of
// its stream.
void FindVideo(MovieRecord* movie, MoviePlayback& p) {
  for (auto& track : movie->tracks) {
    if (track->enabled && track->media->mediaType == VideoMediaType) {
      p.videoTrack = track.get();
      break;
    }
  }
  if (p.videoTrack == nullptr) return;
  p.framesTried = true;
  p.frames = VideoFrames::Open(movie->source, movie->nameHint, p.videoTrack->media->streamIndex);
  if (p.frames != nullptr) {
    p.natural = Rect{0, 0, SInt16(p.frames->NaturalHeight()), SInt16(p.frames->NaturalWidth())};
  }
}

MoviePlayback* Playback(MovieRecord* movie) {
  if (movie->playback == nullptr) {
    movie->playback = std::make_shared<MoviePlayback>();
    FindVideo(movie, *movie->playback);
    movie->playback->box = movie->playback->natural;
    movie->playback->anchorMicros = NowMicros();
  }
  Playing().insert(movie);
  return movie->playback.get();
}

// The live movie's playback state; null (and invalidMovie) for anything else.
MoviePlayback* Live(Movie theMovie, MovieRecord** record = nullptr) {
  if (!IsLiveMovie(theMovie)) {
    SetMoviesError(invalidMovie);
    return nullptr;
  }
  SetMoviesError(noErr);
  if (record != nullptr) *record = theMovie;
  return Playback(theMovie);
}

bool Loops(const MoviePlayback& p) {
  return (p.timeBase.flags & (loopTimeBase | palindromeLoopTimeBase)) != 0;
}

// Brings the anchor to now: the time the movie reached, wrapped when it loops, stopped at an
// end when it does not.
SInt64 Settle(MovieRecord* movie, MoviePlayback& p) {
  const SInt64 now = NowMicros();
  if (p.rate != 0) {
    const double elapsed = double(now - p.anchorMicros) / 1e6;
    const double moved = elapsed * (double(p.rate) / 65536.0) * double(movie->timeScale);
    SInt64 t = p.anchorTime + SInt64(std::floor(moved));
    const SInt64 duration = Duration(movie);
    if (Loops(p) && duration > 0) {
      if ((p.timeBase.flags & palindromeLoopTimeBase) != 0) {
        // Forth and back: one period is twice the movie.
        SInt64 phase = t % (2 * duration);
        if (phase < 0) phase += 2 * duration;
        t = phase <= duration ? phase : 2 * duration - phase;
      } else {
        t %= duration;
        if (t < 0) t += duration;
      }
      // The anchor moves only by whole periods' worth of wall time: keep it where it was.
      return t;
    }
    if (t >= duration && p.rate > 0) {
      t = duration;
      p.rate = 0;
    } else if (t <= 0 && p.rate < 0) {
      t = 0;
      p.rate = 0;
    }
    p.anchorTime = t;
  }
  p.anchorMicros = now;
  return p.anchorTime;
}

// Restarts the anchor at `time` from now on.
void Anchor(MovieRecord* movie, MoviePlayback& p, SInt64 time) {
  const SInt64 duration = Duration(movie);
  p.anchorTime = std::clamp<SInt64>(time, 0, duration);
  p.anchorMicros = NowMicros();
}

VideoFrames* Frames(MovieRecord* movie, MoviePlayback& p) {
  if (p.frames == nullptr && !p.framesTried && p.videoTrack != nullptr) {
    p.framesTried = true;
    p.frames = VideoFrames::Open(movie->source, movie->nameHint, p.videoTrack->media->streamIndex);
  }
  return p.frames.get();
}

// Shows the frame at `time`; null when the movie has no video or the frame cannot be decoded.
VideoFrames* FrameAt(MovieRecord* movie, MoviePlayback& p, SInt64 time) {
  VideoFrames* frames = Frames(movie, p);
  if (frames == nullptr || movie->timeScale <= 0) return nullptr;
  return frames->ShowFrameAt(double(time) / movie->timeScale) ? frames : nullptr;
}

// Draws the frame at the current time into the movie's port, in its box, within its display
// clip; with onlyChanged, only when another frame than the last one drawn is shown.
void Draw(MovieRecord* movie, MoviePlayback& p, bool onlyChanged) {
  if (p.port == nullptr || EmptyRect(&p.box) || p.videoTrack == nullptr) return;
  VideoFrames* frames = FrameAt(movie, p, Settle(movie, p));
  if (frames == nullptr) return;
  if (onlyChanged && p.drawnOnce && frames->FrameSerial() == p.drawnSerial) return;
  RgnHandle saved = NewRgn();
  RgnHandle clip = NewRgn();
  if (saved == nullptr || clip == nullptr) {
    if (saved != nullptr) DisposeRgn(saved);
    if (clip != nullptr) DisposeRgn(clip);
    SetMoviesError(memFullErr);
    return;
  }
  GetPortClipRegion(p.port, saved);
  RectRgn(clip, &p.box);
  SectRgn(clip, saved, clip);
  if (p.displayClip != nullptr) SectRgn(clip, p.displayClip, clip);
  SetPortClipRegion(p.port, clip);
  DrawPixelsInPort(p.port, frames->Pixels().data(), frames->Width(), frames->Height(), p.box);
  SetPortClipRegion(p.port, saved);
  DisposeRgn(saved);
  DisposeRgn(clip);
  p.drawnSerial = frames->FrameSerial();
  p.drawnOnce = true;
}

// ---- Sound ----------------------------------------------------------------------------------

void BlockPlayed(SndChannelPtr chan, SndCommand* cmd);

// Decodes the next blocks of sound into the free blocks and queues them; a looping movie's
// sound starts again at its end.
void FillSound(MoviePlayback& p) {
  MovieSound& s = *p.sound;
  const double volume = std::max(0.0, double(p.volume) / kFullVolume);
  for (MovieSound::Block& b : s.blocks) {
    if (b.queued || s.ended) continue;
    b.samples.clear();
    s.frames->Read(b.samples, MovieSound::kBlockFrames);
    if (b.samples.size() < MovieSound::kBlockFrames * kDeviceChannels) {
      if (Loops(p) && (p.timeBase.flags & palindromeLoopTimeBase) == 0) {
        s.frames->Seek(0);
        s.frames->Read(b.samples, MovieSound::kBlockFrames - b.samples.size() / kDeviceChannels);
      } else {
        s.ended = true;
      }
    }
    if (b.samples.empty()) break;
    if (volume != 1.0) {
      for (SInt16& v : b.samples) v = SInt16(std::clamp(std::lround(v * volume), -32768L, 32767L));
    }
    b.header = CmpSoundHeader{};
    b.header.samplePtr = reinterpret_cast<Ptr>(b.samples.data());
    b.header.numChannels = kDeviceChannels;
    b.header.sampleRate = rate44khz;
    b.header.encode = cmpSH;
    b.header.numFrames = UInt32(b.samples.size() / kDeviceChannels);
    // The samples are in this machine's order.
    b.header.format = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? k16BitLittleEndianFormat
                                                                : k16BitBigEndianFormat;
    b.header.compressionID = notCompressed;
    b.header.sampleSize = 16;
    const SndCommand play{bufferCmd, 0, reinterpret_cast<intptr_t>(&b.header)};
    const SndCommand played{callBackCmd, s.generation, reinterpret_cast<intptr_t>(&b)};
    if (SndDoCommand(s.channel, &play, false) != noErr ||
        SndDoCommand(s.channel, &played, false) != noErr) {
      break;
    }
    b.queued = true;
  }
}

void BlockPlayed(SndChannelPtr chan, SndCommand* cmd) {
  auto* p = reinterpret_cast<MoviePlayback*>(chan->userInfo);
  if (p == nullptr || p->sound == nullptr || cmd->param1 != p->sound->generation) return;
  reinterpret_cast<MovieSound::Block*>(cmd->param2)->queued = false;
  FillSound(*p);
}

// The sound of a movie made ready to play; false when it has none or nothing would hear it.
bool MakeSound(MovieRecord* movie, MoviePlayback& p) {
  if (p.sound != nullptr) return true;
  if (p.soundTried) return false;
  p.soundTried = true;
  TrackRecord* track = nullptr;
  for (auto& t : movie->tracks) {
    if (t->enabled && t->media->mediaType == SoundMediaType) {
      track = t.get();
      break;
    }
  }
  if (track == nullptr) return false;
  auto sound = std::make_unique<MovieSound>();
  sound->frames = SoundFrames::Open(movie->source, movie->nameHint, track->media->streamIndex);
  // Without a sound device the movie keeps its time on the clock and decodes nothing.
  static SndCallBackUPP played = NewSndCallBackUPP(BlockPlayed);
  if (sound->frames == nullptr || !SoundChannelsAreHeard() ||
      SndNewChannel(&sound->channel, sampledSynth, initStereo, played) != noErr) {
    return false;
  }
  sound->channel->userInfo = reinterpret_cast<intptr_t>(&p);
  p.sound = std::move(sound);
  return true;
}

// The sound follows the movie's time and rate from now: what plays stops, and a movie
// playing forwards is heard from its current time at its rate. Backwards, it is silent.
void Resound(MovieRecord* movie, MoviePlayback& p, SInt64 time) {
  if (p.sound != nullptr) {
    MovieSound& s = *p.sound;
    const SndCommand flush{flushCmd, 0, 0};
    const SndCommand quiet{quietCmd, 0, 0};
    SndDoImmediate(s.channel, &flush);
    SndDoImmediate(s.channel, &quiet);
    for (MovieSound::Block& b : s.blocks) b.queued = false;
    ++s.generation;
  }
  if (p.rate <= 0 || p.volume <= 0 || movie->timeScale <= 0 || !MakeSound(movie, p)) return;
  MovieSound& s = *p.sound;
  const SndCommand rate{rateMultiplierCmd, 0, intptr_t(p.rate)};
  SndDoImmediate(s.channel, &rate);
  s.frames->Seek(double(time) / movie->timeScale);
  s.ended = false;
  FillSound(p);
}

void Service(MovieRecord* movie, MoviePlayback& p) {
  const bool wasPlaying = p.rate != 0;
  Settle(movie, p);
  // A movie that stopped at its end since the last service still shows its last frame.
  if (wasPlaying || !p.drawnOnce) Draw(movie, p, true);
}

}  // namespace
}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

// ---- The time base --------------------------------------------------------------------------

void StartMovie(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  const SInt64 t = qt::Settle(movie, *p);
  const Fixed rate = p->preferredRate != 0 ? p->preferredRate : 0x10000;
  const SInt64 duration = qt::Duration(movie);
  if (!qt::Loops(*p) && ((rate > 0 && t >= duration) || (rate < 0 && t <= 0))) {
    qt::Anchor(movie, *p, rate > 0 ? 0 : duration);
  }
  p->rate = rate;
  qt::Resound(movie, *p, qt::Settle(movie, *p));
}

void StopMovie(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  qt::Anchor(movie, *p, qt::Settle(movie, *p));
  p->rate = 0;
  qt::Resound(movie, *p, p->anchorTime);
}

void GoToBeginningOfMovie(Movie theMovie) {
  SetMovieTimeValue(theMovie, 0);
}

void GoToEndOfMovie(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  qt::Anchor(movie, *p, qt::Duration(movie));
  qt::Resound(movie, *p, p->anchorTime);
}

TimeValue GetMovieTime(Movie theMovie, TimeRecord* currentTime) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return 0;
  const SInt64 t = qt::Settle(movie, *p);
  if (currentTime != nullptr) {
    currentTime->value.hi = SInt32(t >> 32);
    currentTime->value.lo = UInt32(t);
    currentTime->scale = movie->timeScale;
    currentTime->base = &p->timeBase;
  }
  return TimeValue(std::min<SInt64>(t, INT32_MAX));
}

void SetMovieTime(Movie theMovie, const TimeRecord* newTime) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  if (newTime == nullptr || newTime->scale < 0) {
    qt::SetMoviesError(paramErr);
    return;
  }
  const SInt64 value = SInt64((UInt64(UInt32(newTime->value.hi)) << 32) | newTime->value.lo);
  const TimeScale scale = newTime->scale != 0 ? newTime->scale : movie->timeScale;
  qt::Settle(movie, *p);
  qt::Anchor(movie, *p, av_rescale(value, movie->timeScale, scale));
  qt::Resound(movie, *p, p->anchorTime);
}

void SetMovieTimeValue(Movie theMovie, TimeValue newTime) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  qt::Settle(movie, *p);
  qt::Anchor(movie, *p, newTime);
  qt::Resound(movie, *p, p->anchorTime);
}

Boolean IsMovieDone(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return 0;
  const Fixed before = p->rate;
  const SInt64 t = qt::Settle(movie, *p);
  if (qt::Loops(*p) && p->rate != 0) return 0;
  const Fixed direction = p->rate != 0 ? p->rate : (before != 0 ? before : p->preferredRate);
  return (direction >= 0 ? t >= qt::Duration(movie) : t <= 0) ? 1 : 0;
}

Fixed GetMovieRate(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return 0;
  qt::Settle(movie, *p);
  return p->rate;
}

void SetMovieRate(Movie theMovie, Fixed rate) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return;
  qt::Anchor(movie, *p, qt::Settle(movie, *p));
  p->rate = rate;
  qt::Resound(movie, *p, p->anchorTime);
}

Fixed GetMoviePreferredRate(Movie theMovie) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  return p != nullptr ? p->preferredRate : 0;
}

void SetMoviePreferredRate(Movie theMovie, Fixed rate) {
  if (qt::MoviePlayback* p = qt::Live(theMovie)) p->preferredRate = rate;
}

SInt16 GetMovieVolume(Movie theMovie) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  return p != nullptr ? p->volume : 0;
}

void SetMovieVolume(Movie theMovie, SInt16 volume) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr || p->volume == volume) return;
  p->volume = volume;
  qt::Resound(movie, *p, qt::Settle(movie, *p));
}

OSErr PrerollMovie(Movie theMovie, TimeValue, Fixed) {
  return qt::Live(theMovie) != nullptr ? OSErr(noErr) : OSErr(invalidMovie);
}

OSErr LoadMovieIntoRam(Movie theMovie, TimeValue, TimeValue, SInt32) {
  return qt::Live(theMovie) != nullptr ? OSErr(noErr) : OSErr(invalidMovie);
}

TimeBase GetMovieTimeBase(Movie theMovie) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  return p != nullptr ? &p->timeBase : nullptr;
}

void SetTimeBaseFlags(TimeBase tb, SInt32 timeBaseFlags) {
  if (tb == nullptr) return qt::SetMoviesError(paramErr);
  tb->flags = timeBaseFlags;
  qt::SetMoviesError(noErr);
}

SInt32 GetTimeBaseFlags(TimeBase tb) {
  return tb != nullptr ? tb->flags : 0;
}

void MoviesTask(Movie theMovie, SInt32) {
  if (theMovie != nullptr) {
    MovieRecord* movie = nullptr;
    if (qt::MoviePlayback* p = qt::Live(theMovie, &movie)) qt::Service(movie, *p);
    return;
  }
  auto& movies = qt::Playing();
  for (auto it = movies.begin(); it != movies.end();) {
    MovieRecord* movie = *it;
    if (!qt::IsLiveMovie(movie) || movie->playback == nullptr) {
      it = movies.erase(it);
      continue;
    }
    // Hold the state: drawing may reach code that disposes of the movie.
    std::shared_ptr<qt::MoviePlayback> p = movie->playback;
    ++it;
    qt::Service(movie, *p);
  }
  qt::SetMoviesError(noErr);
}

// ---- Where the movie shows ------------------------------------------------------------------

void SetMovieGWorld(Movie theMovie, CGrafPtr port, GDHandle gdh) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (p == nullptr) return;
  if (p->port != port) p->drawnOnce = false;
  p->port = port;
  p->device = gdh;
}

void GetMovieGWorld(Movie theMovie, CGrafPtr* port, GDHandle* gdh) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (port != nullptr) *port = p != nullptr ? p->port : nullptr;
  if (gdh != nullptr) *gdh = p != nullptr ? p->device : nullptr;
}

void GetMovieBox(Movie theMovie, Rect* boxRect) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (boxRect != nullptr) *boxRect = p != nullptr ? p->box : Rect{0, 0, 0, 0};
}

void SetMovieBox(Movie theMovie, const Rect* boxRect) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (p == nullptr) return;
  if (boxRect == nullptr) return qt::SetMoviesError(paramErr);
  p->box = *boxRect;
  p->drawnOnce = false;
}

void GetMovieNaturalBoundsRect(Movie theMovie, Rect* naturalBounds) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (naturalBounds != nullptr) *naturalBounds = p != nullptr ? p->natural : Rect{0, 0, 0, 0};
}

RgnHandle GetMovieDisplayClipRgn(Movie theMovie) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (p == nullptr || p->displayClip == nullptr) return nullptr;
  RgnHandle copy = NewRgn();
  if (copy == nullptr) {
    qt::SetMoviesError(memFullErr);
    return nullptr;
  }
  CopyRgn(p->displayClip, copy);
  return copy;
}

void SetMovieDisplayClipRgn(Movie theMovie, RgnHandle theClip) {
  qt::MoviePlayback* p = qt::Live(theMovie);
  if (p == nullptr) return;
  if (theClip == nullptr) {
    if (p->displayClip != nullptr) DisposeRgn(p->displayClip);
    p->displayClip = nullptr;
    return;
  }
  if (p->displayClip == nullptr) p->displayClip = NewRgn();
  if (p->displayClip == nullptr) return qt::SetMoviesError(memFullErr);
  CopyRgn(theClip, p->displayClip);
  p->drawnOnce = false;
}

OSErr UpdateMovie(Movie theMovie) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return invalidMovie;
  qt::Draw(movie, *p, false);
  return GetMoviesError();
}

PicHandle GetMoviePict(Movie theMovie, TimeValue time) {
  MovieRecord* movie = nullptr;
  qt::MoviePlayback* p = qt::Live(theMovie, &movie);
  if (p == nullptr) return nullptr;
  qt::VideoFrames* frames = qt::FrameAt(movie, *p, std::max<SInt64>(time, 0));
  if (frames == nullptr) return nullptr;
  PicHandle pic = sp_platform::NewPictureFromPixels(frames->Pixels().data(), frames->Width(),
                                                    frames->Height());
  if (pic == nullptr) qt::SetMoviesError(memFullErr);
  // The frame shown to the movie's port is no longer the one decoded last.
  p->drawnOnce = false;
  return pic;
}
