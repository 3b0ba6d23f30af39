// One sound stream's packets in file order as FFmpeg's demultiplexer gives them, with what the
// media's sample reading (MediaSamples.cpp) and the movies' length readers (StatedLengthMp4.cpp)
// share of them. Not for the program's own code.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <vector>

#include "MacTypes.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/MovieData.h"

struct AVPacket;
struct AVStream;

namespace sp_platform {
namespace quicktime {

class PresentedCount;

// What FFmpeg asks of a packet's decoded frames: frames to skip at the start, to discard at
// the end, or all of them; and the frames a packet of the codec decodes to (0: varies).
struct PacketTrim {
  SInt64 skip = 0;
  SInt64 discard = 0;
  bool dropped = false;
  SInt64 codecFrames = 0;
};

// Where a packet lies in the file and what the demultiplexer says of it: its offset and size,
// its time stamp and duration (the stream's time base), and whether it is to be dropped.
struct PacketPlace {
  SInt64 pos = -1;
  SInt64 size = 0;
  SInt64 dts = 0;
  SInt64 duration = 0;
  bool dropped = false;
  bool operator==(const PacketPlace& o) const {
    return pos == o.pos && size == o.size && dts == o.dts && duration == o.duration &&
           dropped == o.dropped;
  }
};

// The frames a packet of `duration` (the stream's time base) lasts at the media's rate; 0 when
// it states none.
SInt64 TimedFrames(SInt64 duration, const AVStream* st, const MediaRecord& media);

// The frames a packet of `duration` states; the codec's frames, or the description's, when its
// duration states none.
SInt64 StatedFrames(SInt64 duration, const AVStream* st, const MediaRecord& media);

// An MPEG-4 or QuickTime movie.
bool IsMovieContainer(OSType container);

// One stream's packets in file order.
class MediaReader {
 public:
  // A packet; the end of the stream; a failure to read it (an I/O error, damaged data).
  enum class Status { kPacket, kEnd, kError };

  // A reader of its own opening of the file, or of a demultiplexer already open on it.
  explicit MediaReader(const MediaRecord& media, std::unique_ptr<Demuxer> opened = nullptr)
      : media_(media), demuxer_(std::move(opened)) {}
  ~MediaReader();

  // The next packet of the stream with its frames. Packets of linear and fixed-packet sound
  // are cut to whole packets of the format (a packet holding none is passed over). A count
  // given is handed each packet as FFmpeg read it; a trim given gets what FFmpeg asks of it.
  Status Next(std::vector<UInt8>& data, SInt64& frames, PresentedCount* count = nullptr,
              PacketTrim* trim = nullptr, PacketPlace* place = nullptr);

  // The stream as FFmpeg reads it; null when the file does not open as it did.
  const AVStream* Stream();

  // Reading goes on from the stream's packet at `timestamp` (its time base), or the one before.
  bool SeekTo(SInt64 timestamp);
  // As Next, without copying the packet: `data` points at its bytes as FFmpeg read them, which
  // the reader holds until its next read or its restart.
  Status NextHeld(const UInt8*& data, SInt64& frames);

  // Reading starts again at the beginning of the file.
  void Restart();

  // Read position of the linear and fixed-packet layouts: the packet in hand (held).
  const UInt8* current = nullptr;
  SInt64 currentStart = 0;
  SInt64 currentFrames = 0;
  bool haveCurrent = false;
  // Read position of the varying layout: the index of the next packet, and the last packet
  // read (kept, so that a request repeated with a larger handle needs no new read).
  std::size_t nextIndex = 0;
  std::size_t lastIndex = SIZE_MAX;
  std::vector<UInt8> last;
  // The bytes of the last group of the linear and fixed-packet layouts, kept with their room so
  // that reading group after group takes no new memory.
  std::vector<UInt8> group;

 private:
  // The stream opened (once) and checked to be the one the media was made of.
  bool Ready();

  // A header of an Opus stream chained on in an Ogg file, which holds no sound.
  bool ChainedOpusHeader(const AVPacket* packet) const;
  // The next packet of the stream, cut as Next says, held in packet_ with its whole size.
  Status Take(std::size_t& size, SInt64& frames);

  const MediaRecord& media_;
  std::unique_ptr<Demuxer> demuxer_;
  AVPacket* packet_ = nullptr;
  bool ready_ = false;
  bool failed_ = false;
};

// FFmpeg's trimming applied to decoded frames, one decoded frame after another: a skip carries
// over frames until it is spent (a new one replaces it), a frame marked for discarding is
// skipped whole, and the padding to discard applies to what the frame keeps when it is no
// more than that. What it drops after the first frame presented is kept as cuts.
class Trimming {
 public:
  // `n` frames decoded, with the skip and discard asked of them: the frames presented.
  SInt64 Take(SInt64 n, UInt32 skip, SInt64 discard, bool dropAll) {
    const UInt64 at = decoded_;
    decoded_ += UInt64(std::max<SInt64>(0, n));
    if (skip > 0) skipLeft_ = skip <= UInt32(INT32_MAX) ? SInt64(skip) : 0;
    SInt64 kept = 0;
    SInt64 dropped = n;
    if (dropAll) {
      skipLeft_ = std::max<SInt64>(0, skipLeft_ - n);
    } else {
      dropped = std::min(skipLeft_, n);
      skipLeft_ -= dropped;
      kept = n - dropped;
    }
    // The frames skipped at the frame's start come before its padding at the end (a chained
    // link of one packet has both), and the cuts stay in order.
    if (presented_ == 0) {
      priming_ += dropped;
    } else {
      Cut(at, dropped);
    }
    if (!dropAll && discard > 0 && discard <= kept) {
      kept -= discard;
      Cut(at + UInt64(n - discard), discard);
    }
    presented_ += kept;
    return kept;
  }
  SInt64 Presented() const { return presented_; }
  SInt64 Priming() const { return priming_; }
  // The frames dropped after the first one presented, in order.
  const std::vector<FrameCut>& Cuts() const { return cuts_; }

 private:
  void Cut(UInt64 at, SInt64 frames) {
    if (frames <= 0 || frames > INT32_MAX) return;
    if (!cuts_.empty() && cuts_.back().at + cuts_.back().frames == at &&
        cuts_.back().frames <= UInt32(INT32_MAX)) {
      cuts_.back().frames += UInt32(frames);
      return;
    }
    if (cuts_.size() < kMostFrameCuts) cuts_.push_back(FrameCut{at, UInt32(frames)});
  }

  SInt64 skipLeft_ = 0;
  SInt64 presented_ = 0;
  SInt64 priming_ = 0;
  UInt64 decoded_ = 0;
  std::vector<FrameCut> cuts_;
};

}  // namespace quicktime
}  // namespace sp_platform
