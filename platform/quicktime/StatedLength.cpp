// Lengths of compressed sound read from what the file states, without decoding (see
// StatedLength.h). Every size read is checked against the file; each reader walks the file
// once, forwards, through a window of fixed size (an Ogg stream's reader its first and its last
// pages).

extern "C" {
#include <libavcodec/vorbis_parser.h>
#include <libavutil/crc.h>
}

#include "quicktime/detail/StatedLength.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "quicktime/detail/Demux.h"

namespace sp_platform {
namespace quicktime {
namespace {

constexpr std::size_t kWindowBytes = std::size_t(1) << 18;
// What the readers of FLAC and MPEG audio read at a time of a file's first and last bytes.
constexpr std::size_t kHeadFill = std::size_t(1) << 14;
constexpr int kTailFrames = 3;
// FFmpeg's probe of MPEG audio scores a file above its extension's format once this many
// frames follow one another from its start.
constexpr int kProbeFrames = 7;
constexpr std::size_t kProbeFill = 4096;

// A source's bytes through one window of up to `chunk` bytes, refilled from wherever a read asks
// with `fill` bytes at least; held in `storage` when given (its bytes are replaced), so that
// large windows made one after another reuse their memory.
class Window {
 public:
  explicit Window(ByteSource& source, std::size_t chunk = kWindowBytes, std::size_t fill = 0,
                  std::vector<UInt8>* storage = nullptr)
      : source_(source),
        size_(source.Size()),
        chunk_(chunk),
        fill_(fill > 0 ? fill : chunk),
        bytes_(storage != nullptr ? *storage : own_) {
    bytes_.clear();
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  UInt64 Size() const { return size_; }
  ByteSource& Source() const { return source_; }

  // The `n` bytes at `offset` (n at most the chunk); null when the source ends before them or
  // cannot be read.
  const UInt8* At(UInt64 offset, std::size_t n) {
    if (n > chunk_ || offset > size_ || n > size_ - offset) return nullptr;
    if (offset >= start_ && offset - start_ + n <= bytes_.size())
      return bytes_.data() + (offset - start_);
    const std::size_t want = std::size_t(std::min<UInt64>(std::max(n, fill_), size_ - offset));
    bytes_.resize(want);
    std::size_t got = 0;
    while (got < want) {
      const long r = source_.ReadAt(offset + got, bytes_.data() + got, want - got);
      if (r <= 0) break;
      got += std::size_t(r);
    }
    bytes_.resize(got);
    start_ = offset;
    return got >= n ? bytes_.data() : nullptr;
  }

 private:
  ByteSource& source_;
  UInt64 size_;
  std::size_t chunk_;
  std::size_t fill_;
  UInt64 start_ = 0;
  std::vector<UInt8> own_;
  std::vector<UInt8>& bytes_;
};

// Up to `n` bytes of the source at `at`: the number read before it ended or failed.
std::size_t ReadUpTo(ByteSource& source, UInt64 at, UInt8* to, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    const long r = source.ReadAt(at + got, to + got, n - got);
    if (r <= 0) break;
    got += std::size_t(r);
  }
  return got;
}

// The offset after the ID3v2 tags at `at` (FFmpeg passes over them before the sound).
UInt64 SkipId3v2(Window& w, UInt64 at) {
  for (int tags = 0; tags < 16; ++tags) {
    const UInt8* h = w.At(at, 10);
    if (h == nullptr || std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
        ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0)
      return at;
    const UInt64 size = (UInt64(h[6]) << 21) | (UInt64(h[7]) << 14) | (UInt64(h[8]) << 7) | h[9];
    at += 10 + size + ((h[5] & 0x10) != 0 ? 10 : 0);
  }
  return at;
}

// Where an ID3v1 tag at the end of the file begins (the file's end when there is none), the
// sound starting at `start`.
UInt64 BeforeId3v1(Window& w, UInt64 start) {
  const UInt64 size = w.Size();
  if (size - start < 128) return size;
  const UInt8* tag = w.At(size - 128, 3);
  return tag != nullptr && std::memcmp(tag, "TAG", 3) == 0 ? size - 128 : size;
}

// ---- FLAC ------------------------------------------------------------------------------------

struct FlacInfo {
  UInt32 minBlock = 0;
  UInt32 maxBlock = 0;
  UInt32 minFrame = 0;
  UInt32 maxFrame = 0;
  UInt32 channels = 0;
  UInt32 bits = 0;
  UInt64 total = 0;
};

UInt8 Crc8(const UInt8* p, std::size_t n) {
  UInt8 crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int b = 0; b < 8; ++b) crc = UInt8((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
  }
  return crc;
}

// FLAC's CRC-16 (polynomial 0x8005, none reflected) as FFmpeg's table keeps it, its bytes
// swapped: 0 for a frame's bytes followed by their CRC, whichever the order.
UInt32 Crc16Swapped(UInt32 crc, const UInt8* p, std::size_t n) {
  static const AVCRC* const table = av_crc_get_table(AV_CRC_16_ANSI);
  return av_crc(table, crc, p, n);
}

// FLAC's coded number after a frame header's fourth byte: up to 36 bits in one to seven bytes.
bool CodedNumber(const UInt8* p, std::size_t avail, UInt64& value, std::size_t& length) {
  if (avail == 0) return false;
  const UInt8 first = p[0];
  if ((first & 0x80) == 0) {
    value = first;
    length = 1;
    return true;
  }
  int ones = 0;
  while (ones < 8 && (first & (0x80 >> ones)) != 0) ++ones;
  if (ones < 2 || ones > 7) return false;
  length = std::size_t(ones);
  if (avail < length) return false;
  value = ones == 7 ? 0 : UInt64(first & (0xFF >> (ones + 1)));
  for (std::size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return false;
    value = (value << 6) | (p[i] & 0x3F);
  }
  return true;
}

// A frame header at `p` (sync, fields, CRC-8): its first frame and its block size. With
// `info`, its fields must agree with the stream's.
bool FlacFrameHeader(const UInt8* p, std::size_t avail, const FlacInfo* info, UInt64& first,
                     UInt32& block, bool& variable) {
  if (avail < 6 || p[0] != 0xFF || (p[1] & 0xFE) != 0xF8) return false;
  variable = (p[1] & 1) != 0;
  const unsigned blockCode = p[2] >> 4, rateCode = p[2] & 0x0F;
  const unsigned channelCode = p[3] >> 4, bitsCode = (p[3] >> 1) & 7;
  if (blockCode == 0 || rateCode == 15 || channelCode > 10 || bitsCode == 3 || (p[3] & 1) != 0)
    return false;
  UInt64 number = 0;
  std::size_t length = 0;
  if (!CodedNumber(p + 4, avail - 4, number, length)) return false;
  std::size_t i = 4 + length;
  if (blockCode == 1) {
    block = 192;
  } else if (blockCode <= 5) {
    block = 576u << (blockCode - 2);
  } else if (blockCode == 6) {
    if (avail < i + 1) return false;
    block = UInt32(p[i]) + 1;
    i += 1;
  } else if (blockCode == 7) {
    if (avail < i + 2) return false;
    block = UInt32(sp::LoadBE16(p + i)) + 1;
    i += 2;
  } else {
    block = 256u << (blockCode - 8);
  }
  if (rateCode == 12) i += 1;
  if (rateCode == 13 || rateCode == 14) i += 2;
  if (avail < i + 1 || Crc8(p, i) != p[i]) return false;
  if (info != nullptr) {
    static const UInt32 kBits[8] = {0, 8, 12, 0, 16, 20, 24, 32};
    const UInt32 channels = channelCode < 8 ? channelCode + 1 : 2;
    if (channels != info->channels || (bitsCode != 0 && kBits[bitsCode] != info->bits) ||
        block > info->maxBlock)
      return false;
    first = variable ? number : number * info->maxBlock;
  } else {
    first = number;
  }
  return true;
}

// The length of the frame at `p` of `avail` bytes at most: where the CRC-16 of its bytes first
// checks, within the least and the most bytes STREAMINFO gives a frame; 0 when it does not.
std::size_t FlacFrameLength(const UInt8* p, std::size_t avail, const FlacInfo& info) {
  const std::size_t least = std::max<std::size_t>(info.minFrame, 10);
  const std::size_t most = info.maxFrame > 0 ? std::min<std::size_t>(info.maxFrame, avail) : avail;
  if (least > most) return 0;
  // The CRC of a frame's bytes with the CRC after them is 0.
  UInt32 crc = Crc16Swapped(0, p, least - 1);
  for (std::size_t n = least - 1; n < most; ++n) {
    crc = Crc16Swapped(crc, p + n, 1);
    if (crc == 0) return n + 1;
  }
  return 0;
}

enum class LastFrame { kStated, kNotStated, kNoneWithin };

// The last frame, searched backwards through the `tail` bytes before the sound's end (`size`):
// whether it ends the stream where STREAMINFO says, or no frame within them settles it.
LastFrame FlacLastFrame(const FlacInfo& info, const UInt8* end, std::size_t tail, UInt64 size,
                        UInt64 fileSize, StatedLength& out) {
  int checked = 0;
  for (std::size_t i = tail - 6 + 1; i-- > 0;) {
    UInt64 first = 0;
    UInt32 block = 0;
    bool variable = false;
    if (!FlacFrameHeader(end + i, tail - i, &info, first, block, variable)) continue;
    // The frame must be whole: its CRC-16 checks (a header by chance inside the last frame's
    // data has none). Few such checks: a file made of headers would make the search quadratic.
    if (++checked > 8) return LastFrame::kNotStated;
    // Other bytes may follow the last frame (a tag, junk): it ends where its CRC-16 first
    // checks, unless that was by chance inside it and the CRC checks again at the end with more
    // than zeros between.
    const std::size_t length = FlacFrameLength(end + i, tail - i, info);
    if (length == 0) continue;
    std::size_t frameEnd = i + length;
    if (frameEnd < tail && tail - i >= 8 && Crc16Swapped(0, end + i, tail - i) == 0 &&
        std::any_of(end + frameEnd, end + tail, [](UInt8 b) { return b != 0; }))
      frameEnd = tail;
    if (first + block != info.total) return LastFrame::kNotStated;
    out.presented = SInt64(info.total);
    out.priming = 0;
    out.padding = 0;
    out.endsWithPackets = true;
    const UInt64 soundEnd = size - tail + frameEnd;
    out.soundEnd = soundEnd < fileSize ? SInt64(soundEnd) : -1;
    out.mostPacketFrames = info.maxBlock;
    // Frames of a fixed block size are numbered: the last one's number tells how many.
    out.packets = variable ? -1 : SInt64(first / info.maxBlock + 1);
    return variable ? LastFrame::kNotStated : LastFrame::kStated;
  }
  return LastFrame::kNoneWithin;
}

}  // namespace

bool FlacStatedLength(ByteSource& source, StatedLength& out) {
  Window w(source, kWindowBytes, kHeadFill);
  UInt64 at = SkipId3v2(w, 0);
  const UInt8* magic = w.At(at, 4);
  if (magic == nullptr || std::memcmp(magic, "fLaC", 4) != 0) return false;
  at += 4;
  FlacInfo info;
  for (bool first = true, last = false; !last; first = false) {
    const UInt8* b = w.At(at, 4);
    if (b == nullptr) return false;
    last = (b[0] & 0x80) != 0;
    const unsigned type = b[0] & 0x7F;
    const UInt32 length = (UInt32(b[1]) << 16) | (UInt32(b[2]) << 8) | b[3];
    // STREAMINFO comes first, and only there.
    if ((type == 0) != first || type == 127) return false;
    if (type == 0) {
      const UInt8* s = length == 34 ? w.At(at + 4, 34) : nullptr;
      if (s == nullptr) return false;
      info.minBlock = sp::LoadBE16(s);
      info.maxBlock = sp::LoadBE16(s + 2);
      info.minFrame = (UInt32(s[4]) << 16) | (UInt32(s[5]) << 8) | s[6];
      info.maxFrame = (UInt32(s[7]) << 16) | (UInt32(s[8]) << 8) | s[9];
      info.channels = ((s[12] >> 1) & 7) + 1;
      info.bits = ((UInt32(s[12] & 1) << 4) | (s[13] >> 4)) + 1;
      info.total = (UInt64(s[13] & 0x0F) << 32) | sp::LoadBE32(s + 14);
    }
    at += 4 + UInt64(length);
    if (at > w.Size()) return false;
  }
  if (info.total == 0 || info.minBlock < 16 || info.maxBlock < info.minBlock) return false;
  // An ID3v1 tag after the last frame is no sound (FFmpeg hands it to the decoder with the
  // last frame, which passes over it).
  const UInt64 size = BeforeId3v1(w, at);
  // The last frame, looked for backwards from the sound's end, must be whole and end the
  // stream where STREAMINFO says: a header that says more or fewer frames is not taken, nor
  // a file cut short or damaged at its end. It looks first within twice the largest frame
  // STREAMINFO states (else 32 KiB), and further, within the whole window, only where nothing
  // in that settled it: it meets the same headers in the same order either way.
  const UInt64 audio = size - at;
  const UInt64 near =
      std::max<UInt64>(kHeadFill, info.maxFrame > 0 ? 2 * UInt64(info.maxFrame) : 2 * kHeadFill);
  for (const UInt64 span : {near, UInt64(kWindowBytes)}) {
    const std::size_t tail = std::size_t(std::min<UInt64>({audio, span, kWindowBytes}));
    if (tail < 6) return false;
    const UInt8* end = w.At(size - tail, tail);
    if (end == nullptr) return false;
    const LastFrame last = FlacLastFrame(info, end, tail, size, w.Size(), out);
    if (last != LastFrame::kNoneWithin) return last == LastFrame::kStated;
    if (tail == audio || tail == kWindowBytes) break;
  }
  return false;
}

// ---- MPEG audio ------------------------------------------------------------------------------

namespace {

struct MpegHeader {
  unsigned version = 0;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  unsigned layer = 0;    // 1, 2 or 3
  UInt32 rate = 0;
  UInt32 bytes = 0;   // the frame's size
  UInt32 frames = 0;  // sound frames it holds
  UInt32 sideInfo = 0;
};

bool ParseMpegHeader(const UInt8* p, MpegHeader& h) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const unsigned version = (p[1] >> 3) & 3, layerBits = (p[1] >> 1) & 3;
  const unsigned bitrateIndex = p[2] >> 4, rateIndex = (p[2] >> 2) & 3, padding = (p[2] >> 1) & 1;
  const bool mono = (p[3] >> 6) == 3;
  // Free-format frames (bit rate index 0) state no size: they are counted by decoding.
  if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
    return false;
  static const UInt32 kRates[3] = {44100, 48000, 32000};
  static const UInt16 kBitrates[5][15] = {
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 layer I
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 II, III
  };
  h.version = version;
  h.layer = 4 - layerBits;
  const bool mpeg1 = version == 3;
  h.rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  const UInt32 bitrate =
      UInt32(kBitrates[mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4)][bitrateIndex]) * 1000;
  if (h.layer == 1) {
    h.bytes = (12 * bitrate / h.rate + padding) * 4;
    h.frames = 384;
  } else if (h.layer == 2 || mpeg1) {
    h.bytes = 144 * bitrate / h.rate + padding;
    h.frames = 1152;
  } else {
    h.bytes = 72 * bitrate / h.rate + padding;
    h.frames = 576;
  }
  h.sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  return h.bytes >= 4;
}

bool SameStream(const MpegHeader& a, const MpegHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

// A frame header of the stream at `at`, whole.
bool StreamFrameAt(Window& w, UInt64 at, UInt64 end, const MpegHeader& stream, MpegHeader& h) {
  const UInt8* p = end - at >= 4 ? w.At(at, 4) : nullptr;
  return p != nullptr && ParseMpegHeader(p, h) && SameStream(h, stream);
}

// Where the sound of an MPEG audio file ends: before the tags that may follow it (ID3v1, then
// APE and Lyrics3 tags, in any order), which FFmpeg does not decode. `handedOn`: set when a
// Lyrics3 tag is among them, which FFmpeg's demultiplexer hands on as one more packet.
UInt64 MpegSoundEnd(Window& w, UInt64 start, bool* handedOn = nullptr) {
  UInt64 end = BeforeId3v1(w, start);
  for (int tags = 0; tags < 8; ++tags) {
    const UInt8* ape = end - start >= 32 ? w.At(end - 32, 32) : nullptr;
    if (ape != nullptr && std::memcmp(ape, "APETAGEX", 8) == 0) {
      // The footer's size counts the items and the footer; a header, when flagged, comes first.
      const UInt64 size =
          UInt64(sp::LoadLE32(ape + 12)) + ((sp::LoadLE32(ape + 20) & 0x80000000u) != 0 ? 32 : 0);
      if (size < 32 || size > end - start) break;
      end -= size;
      continue;
    }
    // Lyrics3 v2: its size in six digits, then "LYRICS200".
    const UInt8* lyrics = end - start >= 15 ? w.At(end - 15, 15) : nullptr;
    if (lyrics != nullptr && std::memcmp(lyrics + 6, "LYRICS200", 9) == 0) {
      UInt64 size = 0;
      for (int i = 0; i < 6; ++i) {
        if (lyrics[i] < '0' || lyrics[i] > '9') return end;
        size = size * 10 + UInt64(lyrics[i] - '0');
      }
      if (size + 15 > end - start) break;
      const UInt8* begin = w.At(end - 15 - size, 11);
      if (begin == nullptr || std::memcmp(begin, "LYRICSBEGIN", 11) != 0) break;
      end -= size + 15;
      if (handedOn != nullptr) *handedOn = true;
      continue;
    }
    break;
  }
  return end;
}

// True when sound lies anywhere in [at, end): two frames of one stream, one after the other
// (of this stream or another). Looked for once, from where the frames stop to the end.
bool MoreSoundAfter(Window& w, UInt64 at, UInt64 end) {
  for (; end - at >= 4; ++at) {
    const UInt8* p = w.At(at, 4);
    if (p == nullptr) return false;
    MpegHeader h, next;
    if (p[0] == 0xFF && ParseMpegHeader(p, h) && h.bytes <= end - at &&
        StreamFrameAt(w, at + h.bytes, end, h, next))
      return true;
  }
  return false;
}

// Frames from `at` to the end of the sound, as FFmpeg's decoder gives them: every whole frame,
// and a last one cut short that still has its header. -1 when the frames stop before the end
// and more sound follows (damage or another stream: their frames are counted by decoding).
// Bytes after the last frame with no sound in them end the sound.
SInt64 CountMpegFrames(Window& w, UInt64 at, UInt64 end, const MpegHeader& stream) {
  SInt64 frames = 0;
  MpegHeader h;
  while (at < end && StreamFrameAt(w, at, end, stream, h)) {
    ++frames;
    if (h.bytes >= end - at) return frames;
    at += h.bytes;
  }
  return at < end && MoreSoundAfter(w, at, end) ? -1 : frames;
}

// The smallest and the largest frame a stream of the header's kind can have: unpadded at its
// lowest bit rate and padded at its highest, or at the header's own bit rate (`ownRate`).
void FrameSizes(const UInt8* header, bool ownRate, UInt32& least, UInt32& most) {
  UInt8 b[4] = {header[0], header[1], header[2], header[3]};
  MpegHeader h;
  if (!ownRate) b[2] = UInt8((b[2] & 0x0F) | 0x10);
  b[2] &= UInt8(~2u);
  least = ParseMpegHeader(b, h) ? h.bytes : 0;
  if (!ownRate) b[2] = UInt8((b[2] & 0x0F) | 0xE0);
  b[2] |= 2;
  most = ParseMpegHeader(b, h) ? h.bytes : 0;
}

// True when the stream's last `count` frames end exactly at `end`, each found searching back
// from where the next one begins within the largest frame's size: the tail of a stream whose
// frames run unbroken to the end of its sound. Reads one span of the file.
bool FramesEndAt(Window& w, UInt64 sound, UInt64 end, const MpegHeader& stream, UInt32 most,
                 int count) {
  const UInt64 span = std::min<UInt64>(end - sound, UInt64(most) * UInt64(count));
  const UInt8* tail = w.At(end - span, std::size_t(span));
  if (tail == nullptr) return false;
  std::size_t next = std::size_t(span);
  for (int i = 0; i < count; ++i) {
    bool found = false;
    for (std::size_t back = 4; back <= std::min<std::size_t>(next, most); ++back) {
      MpegHeader h;
      const UInt8* p = tail + (next - back);
      if (p[0] == 0xFF && ParseMpegHeader(p, h) && SameStream(h, stream) && h.bytes == back) {
        next -= back;
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

// Whether the encoder's tag (LAME's, or FFmpeg's of the same form) at `lame` in the tag frame
// at `start` is as its encoder wrote it: the CRC-16 (reflected, of polynomial 0x8005) of the
// frame's bytes up to the tag's last two, which hold it big-endian. The frame count comes
// before it, so a count changed by another tool after the encoder wrote it fails this.
bool EncoderTagIntact(Window& w, UInt64 start, UInt64 lame) {
  constexpr std::size_t kCrcAt = 34;
  const std::size_t covered = std::size_t(lame - start) + kCrcAt;
  const UInt8* p = w.At(start, covered + 2);
  if (p == nullptr) return false;
  static const AVCRC* const table = av_crc_get_table(AV_CRC_16_ANSI_LE);
  return av_crc(table, 0, p, covered) == sp::LoadBE16(p + covered);
}

// What FFmpeg drops of `packets` packets of `spf` frames: `skip` frames at the start and, when
// the tag's frame count is taken, the encoder's padding before the frame the count ends with
// (the packets ending after that point and starting before it lose their frames from there
// on, but only where the skip left at least as many in the packet). The padding dropped goes
// to `cuts` where sound follows it (another stream joined on after the counted frames).
SInt64 FfmpegTrimmed(SInt64 packets, SInt64 spf, SInt64 skip, SInt64 countFrames,
                     SInt64 endPad, std::vector<FrameCut>& cuts) {
  SInt64 dropped = std::min(skip, packets * spf);
  if (countFrames <= 0) return dropped;
  const SInt64 last = countFrames * spf;
  const SInt64 first = last - endPad + 529;
  if (first == 0) return dropped;  // FFmpeg takes a point of 0 for none
  // The window is at most 4,095 frames wide: a few packets.
  for (SInt64 i = std::max<SInt64>(0, first / spf); i < packets && i * spf < last; ++i) {
    const SInt64 begin = i * spf, end = begin + spf;
    if (end <= first) continue;
    const SInt64 discard = std::min(end - first, spf);
    const SInt64 left = spf - std::min(spf, std::max<SInt64>(0, skip - begin));
    if (left > 0 && discard <= left) {
      dropped += discard;
      if (end < packets * spf) cuts.push_back(FrameCut{UInt64(end - discard), UInt32(discard)});
    }
  }
  return dropped;
}

}  // namespace

bool StartsAsFlac(ByteSource& source, StatedFormat* format) {
  Window w(source, kWindowBytes, kProbeFill);
  const UInt8* b = w.At(SkipId3v2(w, 0), 4 + 4 + 13);
  if (b == nullptr || std::memcmp(b, "fLaC", 4) != 0) return false;
  const UInt32 size = (UInt32(b[5]) << 16) | (UInt32(b[6]) << 8) | b[7];
  const UInt32 least = sp::LoadBE16(b + 8), most = sp::LoadBE16(b + 10);
  const UInt32 rate = ((UInt32(b[18]) << 16) | (UInt32(b[19]) << 8) | b[20]) >> 4;
  if ((b[4] & 0x7F) != 0 || size != 34 || least < 16 || most < least || rate == 0 || rate > 655350)
    return false;
  if (format != nullptr) {
    format->rate = rate;
    format->channels = ((b[20] >> 1) & 7) + 1u;
  }
  return true;
}

bool StartsAsMpegAudio(ByteSource& source, StatedFormat* format) {
  Window w(source, kWindowBytes, kProbeFill);
  UInt64 at = SkipId3v2(w, 0);
  MpegHeader stream, h;
  const UInt8* p = w.At(at, 4);
  if (p == nullptr || !ParseMpegHeader(p, stream)) return false;
  const UInt32 channels = (p[3] >> 6) == 3 ? 1 : 2;
  for (int frames = 0; frames < kProbeFrames; ++frames) {
    if (!StreamFrameAt(w, at, w.Size(), stream, h)) return false;
    at += h.bytes;
  }
  if (format != nullptr) {
    format->rate = stream.rate;
    format->channels = channels;
  }
  return true;
}

bool MpegAudioStatedLength(ByteSource& source, StatedLength& out) {
  // The file's first and last bytes are read in small runs; only a walk of every frame fills
  // the large window.
  Window w(source, kWindowBytes, kHeadFill);
  const UInt64 start = SkipId3v2(w, 0);
  const UInt8* p = w.At(start, 4);
  MpegHeader first;
  if (p == nullptr || !ParseMpegHeader(p, first)) return false;
  UInt8 firstHeader[4];
  std::memcpy(firstHeader, p, sizeof firstHeader);
  // A tag frame: Xing or Info after the side information, VBRI 32 bytes in. What FFmpeg
  // reads of it (and so this) may run past the frame.
  UInt32 tagFrames = 0, tagBytes = 0;
  // knownCount: the count is of an encoder that counts the frames after the tag frame.
  bool encoderPads = false, constantRate = false, knownCount = false;
  UInt32 startPad = 0, endPad = 0;
  if (first.layer == 3) {
    const UInt64 x = start + 4 + first.sideInfo;
    const UInt8* t = w.At(x, 8);
    if (t != nullptr && (std::memcmp(t, "Xing", 4) == 0 || std::memcmp(t, "Info", 4) == 0)) {
      constantRate = std::memcmp(t, "Info", 4) == 0;
      const UInt32 flags = sp::LoadBE32(t + 4);
      UInt64 at = x + 8;
      const UInt8* fields = w.At(at, 8);
      if (fields == nullptr) return false;
      if ((flags & 1) != 0) {
        tagFrames = sp::LoadBE32(fields);
        at += 4;
      }
      if ((flags & 2) != 0) {
        tagBytes = sp::LoadBE32(fields + (at - x - 8));
        at += 4;
      }
      if ((flags & 4) != 0) at += 100;
      if ((flags & 8) != 0) at += 4;
      // The encoder's version, then its delay and padding 21 bytes on.
      const UInt8* lame = w.At(at, 24);
      if (lame != nullptr &&
          (std::memcmp(lame, "LAME", 4) == 0 || std::memcmp(lame, "Lavf", 4) == 0 ||
           std::memcmp(lame, "Lavc", 4) == 0)) {
        encoderPads = true;
        knownCount = EncoderTagIntact(w, start, at);
        const UInt32 v = (UInt32(lame[21]) << 16) | (UInt32(lame[22]) << 8) | lame[23];
        startPad = v >> 12;
        endPad = v & 0xFFF;
      }
    }
    const UInt8* v = w.At(start + 4 + 32, 18);
    if (v != nullptr && std::memcmp(v, "VBRI", 4) == 0 && sp::LoadBE16(v + 4) == 1) {
      tagBytes = sp::LoadBE32(v + 10);
      tagFrames = sp::LoadBE32(v + 14);
      constantRate = knownCount = false;
    }
  }
  // FFmpeg passes over a tag frame that gives a count or a size; the others are sound.
  const bool tagged = tagFrames != 0 || tagBytes != 0;
  const UInt64 sound = tagged ? start + first.bytes : start;
  // The first sound frame's header, read while the window holds the file's start.
  UInt8 soundHeader[4] = {};
  const UInt8* q = w.At(sound, 4);
  const bool soundHeaderRead = q != nullptr;
  if (soundHeaderRead) std::memcpy(soundHeader, q, sizeof soundHeader);
  bool handedOn = false;
  const UInt64 end = MpegSoundEnd(w, start, &handedOn);
  if (end <= start || sound > end) return false;
  // A tag's count may be wrong (files joined or cut, a tag written before the encoder
  // finished, a count changed by a cutting tool or tag writer): it is taken only from an
  // encoder known to count the frames after the tag frame (LAME, FFmpeg; other encoders' tags,
  // VBRI among them, may count the tag frame too) whose tag's CRC still holds, where
  // its size is the sound's to the byte, no Lyrics3 tag follows, its frames fit that size (at
  // the first sound frame's bit rate for a constant one, "Info"), and the stream's last frames
  // end where the sound does. Else every frame header is read. A count that passes and is still
  // wrong (changed, or the stream damaged amid it) is found when the file is decoded.
  SInt64 frames = -1;
  if (knownCount && tagFrames != 0 && tagBytes != 0 && end - start == tagBytes && !handedOn) {
    // A constant rate is the first sound frame's: the tag frame's may be lower.
    UInt32 least = 0, most = 0, largest = 0, unused = 0;
    MpegHeader second;
    if (soundHeaderRead && end - sound >= 4 && ParseMpegHeader(soundHeader, second) &&
        SameStream(second, first))
      FrameSizes(constantRate ? soundHeader : firstHeader, constantRate, least, most);
    FrameSizes(firstHeader, false, unused, largest);
    const UInt64 bytes = end - sound;
    if (least > 0 && bytes >= UInt64(tagFrames) * least && bytes <= UInt64(tagFrames) * most &&
        FramesEndAt(w, sound, end, first, largest, kTailFrames))
      frames = tagFrames;
  }
  // A count taken from the tag does not end the sound: the demultiplexer gives no packet after
  // the frames that end at the sound's end, and any it gives before them is more sound than
  // the count says, which the decoding then reports.
  const bool counted = frames < 0;
  if (counted) {
    Window whole(source);
    frames = CountMpegFrames(whole, sound, end, first);
  }
  if (frames < 0) return false;
  // FFmpeg drops the encoder's delay and the decoder's (529 frames) at the start. It takes the
  // tag's count unless the file is larger than the tag's bytes by more than a sixteenth (a file
  // joined to another), and then drops the padding (less the decoder's delay) before the end
  // the count gives, which is the stream's end only where the count is right.
  const SInt64 spf = first.frames;
  const SInt64 skip = encoderPads ? SInt64(startPad) + 529 : 0;
  SInt64 countFrames = encoderPads ? SInt64(tagFrames) : 0;
  const UInt64 afterHeader = w.Size() - start - 4;
  if (tagBytes != 0) {
    const UInt64 least = std::min<UInt64>(afterHeader, tagBytes);
    if (afterHeader > tagBytes && afterHeader - least > least >> 4) countFrames = 0;
  }
  out.cuts.clear();
  const SInt64 dropped = FfmpegTrimmed(frames, spf, skip, countFrames, SInt64(endPad), out.cuts);
  out.packets = frames;
  out.priming = std::min(skip, frames * spf);
  out.presented = frames * spf - dropped;
  out.padding = dropped - out.priming;
  out.endsWithPackets = counted;
  out.mostPacketFrames = first.frames;
  return true;
}

// ---- Ogg -------------------------------------------------------------------------------------

namespace {

enum class OggCodec { kUnknown, kVorbis, kOpus, kFlac };

// An Opus packet's frames at 48 kHz from its table of contents; -1 when it is malformed.
SInt64 OpusPacketFrames(const UInt8* p, std::size_t size) {
  if (size < 1) return -1;
  const unsigned config = p[0] >> 3;
  static const UInt32 kSilk[4] = {480, 960, 1920, 2880};
  static const UInt32 kCelt[4] = {120, 240, 480, 960};
  const UInt32 per = config < 12 ? kSilk[config & 3] : config < 16 ? (config & 1 ? 960 : 480)
                                                                   : kCelt[config & 3];
  UInt32 count = 1;
  switch (p[0] & 3) {
    case 0:
      count = 1;
      break;
    case 1:
    case 2:
      count = 2;
      break;
    default:
      if (size < 2) return -1;
      count = p[1] & 0x3F;
      break;
  }
  const SInt64 frames = SInt64(per) * count;
  return count == 0 || frames > 5760 ? -1 : frames;
}

// The block size a FLAC frame header states (the packet's first bytes); -1 when malformed.
SInt64 FlacPacketFrames(const UInt8* p, std::size_t size) {
  UInt64 first = 0;
  UInt32 block = 0;
  bool variable = false;
  return FlacFrameHeader(p, size, nullptr, first, block, variable) ? SInt64(block) : -1;
}

constexpr std::size_t kPacketHead = 64;  // the first bytes of a packet its reading needs
// A page is at most 65,307 bytes: a window of 64 KiB holds any page whole. It reads 16 KiB at
// least, which holds the first pages of most files.
constexpr std::size_t kOggWindow = std::size_t(1) << 16;
constexpr std::size_t kOggFill = std::size_t(1) << 14;
// A count of packets walks every page header to the file's end: it reads 256 KiB at a time.
constexpr std::size_t kOggCountBlock = std::size_t(1) << 18;
constexpr UInt64 kLongestPage = 27 + 255 + 255 * 255;
constexpr UInt64 kShortestPage = 27;
// Candidate pages a search checks (each costs a checksum) before it gives up.
constexpr int kMostCandidates = 16;

struct OggPage {
  UInt8 type = 0;
  SInt64 granule = -1;
  UInt32 serial = 0;
  UInt32 sequence = 0;
  std::size_t segments = 0;
  const UInt8* lace = nullptr;  // the lacing values, then the body (in the window)
  UInt64 end = 0;               // the offset after the page
};

// The length of the page whose header starts at `p` (`available` bytes there); 0 when no
// page header is whole there.
UInt64 OggPageLength(const UInt8* p, std::size_t available) {
  if (available < 27 || std::memcmp(p, "OggS", 4) != 0 || p[4] != 0) return 0;
  const std::size_t segments = p[26];
  if (available < 27 + segments) return 0;
  UInt64 length = 27 + segments;
  for (std::size_t s = 0; s < segments; ++s) length += p[27 + s];
  return length;
}

// The page at `at`: whole within the file, its checksum right (FFmpeg drops a page whose
// checksum fails) and its granule position a real one. `page.lace` stays valid until the
// window's next read.
bool ReadOggPage(Window& w, UInt64 at, OggPage& page) {
  const UInt8* h = w.At(at, 27);
  if (h == nullptr) return false;
  const std::size_t segments = h[26];
  const UInt8* header = w.At(at, 27 + segments);
  const std::size_t length =
      header != nullptr ? std::size_t(OggPageLength(header, 27 + segments)) : 0;
  if (length == 0) return false;
  const UInt8* p = w.At(at, length);
  if (p == nullptr) return false;
  page.granule = SInt64(sp::LoadLE64(p + 6));
  // A position past any real length (2^50 frames) is no position: the sums below stay small.
  if (page.granule < -1 || page.granule > (SInt64(1) << 50)) return false;
  static const UInt8 kNoChecksum[4] = {};
  const AVCRC* table = av_crc_get_table(AV_CRC_32_IEEE);
  UInt32 crc = av_crc(table, 0, p, 22);
  crc = av_crc(table, crc, kNoChecksum, 4);
  crc = av_crc(table, crc, p + 26, length - 26);
  // FFmpeg's CRC of this kind comes out with its bytes in the other order.
  if (crc != sp::LoadBE32(p + 22)) return false;
  page.type = p[5];
  page.serial = sp::LoadLE32(p + 14);
  page.sequence = sp::LoadLE32(p + 18);
  page.segments = segments;
  page.lace = p + 27;
  page.end = at + length;
  return true;
}

// The first whole page starting in [from, to); false when none does among the first few
// places that look like one.
bool FindOggPage(Window& w, UInt64 from, UInt64 to, UInt64& found, OggPage& page) {
  int candidates = 0;
  for (UInt64 at = from; at < to && w.Size() - at >= 27;) {
    const std::size_t n = std::size_t(std::min<UInt64>(kOggWindow, w.Size() - at));
    const UInt8* b = w.At(at, n);
    if (b == nullptr) return false;
    const void* hit = memmem(b, n, "OggS", 4);
    if (hit == nullptr) {
      at += n - 3;
      continue;
    }
    at += UInt64(static_cast<const UInt8*>(hit) - b);
    if (at >= to) return false;
    if (ReadOggPage(w, at, page)) {
      found = at;
      return true;
    }
    if (++candidates >= kMostCandidates) return false;
    ++at;
  }
  return false;
}

// Where the last page but one of the file starts, as the page headers within `within` bytes
// of its end tell it, searching backwards: the page ending at the file's end, then the one
// ending where that one starts. 0 when they are not both there (their checksums are left to
// the walk that reads them).
UInt64 LastPagesStart(ByteSource& source, UInt64 size, UInt64 within) {
  const std::size_t span = std::size_t(std::min(within, size));
  const UInt64 base = size - span;
  std::vector<UInt8> tail(span);
  std::size_t got = 0;
  while (got < span) {
    const long r = source.ReadAt(base + got, tail.data() + got, span - got);
    if (r <= 0) return 0;
    got += std::size_t(r);
  }
  UInt64 end = size;         // where the page searched for ends
  std::size_t below = span;  // it starts before this
  int candidates = 0;
  for (int found = 0; found < 2; ++found) {
    std::size_t at = below;
    for (;;) {
      const void* hit = at > 0 ? memrchr(tail.data(), 'O', at) : nullptr;
      if (hit == nullptr) return 0;
      at = std::size_t(static_cast<const UInt8*>(hit) - tail.data());
      const UInt64 length = OggPageLength(tail.data() + at, span - at);
      if (length > 0 && base + at + length == end) break;
      if (length > 0 && ++candidates >= 4 * kMostCandidates) return 0;
    }
    end = base + at;
    below = at;
  }
  return end;
}

enum class Probe { kFound, kNone, kBroken };

// The first page header of stream `serial` within kOggProbeSpan bytes of `from` and before `to`:
// its type, number and granule position, its checksum not read. The header of the page after
// it must follow it as the stream's next page (or the file end there): kBroken when it does
// not, or when the header found is of another stream. kNone when no header starts there.
Probe ProbeOggPage(ByteSource& source, UInt64 from, UInt64 to, UInt32 serial, OggPage& page) {
  const UInt64 size = source.Size();
  if (from >= to || from >= size) return Probe::kNone;
  UInt8 b[kOggProbeSpan + 27 + 255];
  const std::size_t got =
      ReadUpTo(source, from, b, std::size_t(std::min<UInt64>(sizeof b, size - from)));
  if (got < 27) return Probe::kNone;
  const std::size_t scan = std::size_t(std::min<UInt64>({got - 3, kOggProbeSpan, to - from}));
  const void* hit = memmem(b, scan + 3, "OggS", 4);
  const std::size_t i = hit != nullptr ? std::size_t(static_cast<const UInt8*>(hit) - b) : scan;
  if (i >= scan) return Probe::kNone;
  const UInt64 length = OggPageLength(b + i, got - i);
  if (length == 0 || sp::LoadLE32(b + i + 14) != serial) return Probe::kBroken;
  page.type = b[i + 5];
  page.granule = SInt64(sp::LoadLE64(b + i + 6));
  page.serial = serial;
  page.sequence = sp::LoadLE32(b + i + 18);
  page.segments = 0;
  page.lace = nullptr;
  page.end = from + i + length;
  if (page.end > size) return Probe::kBroken;
  if (page.end == size) return Probe::kFound;
  UInt8 next[27];
  if (ReadUpTo(source, page.end, next, sizeof next) != sizeof next ||
      std::memcmp(next, "OggS", 4) != 0 || next[4] != 0 || (next[5] & 2) != 0 ||
      sp::LoadLE32(next + 14) != serial || sp::LoadLE32(next + 18) != page.sequence + 1)
    return Probe::kBroken;
  return Probe::kFound;
}

// The stream's pages in file order: from the first (the headers, then the sound), or from a
// page amid the stream to the file's end.
class OggWalk {
 public:
  explicit OggWalk(const std::vector<UInt8>& vorbisSetup) {
    if (!vorbisSetup.empty())
      vorbis_ = av_vorbis_parse_init(vorbisSetup.data(), int(vorbisSetup.size()));
  }
  ~OggWalk() { av_vorbis_parse_free(&vorbis_); }
  OggWalk(const OggWalk&) = delete;
  OggWalk& operator=(const OggWalk&) = delete;

  enum class Outcome { kFound, kNotStated, kWalkWhole };

  // Every page when `tailSpan` is 0. Otherwise the first pages and, for a long file, its last
  // two pages found backwards within half of `tailSpan` of its end, or else the last ones
  // found within `tailSpan` (or eight times that): kWalkWhole when those do not settle the
  // length.
  Outcome Run(ByteSource& source, UInt64 tailSpan, StatedLength& out);

  // The packets of sound, counted from the lacing values of the pages after the first ones,
  // of which only the headers are read; -1 when the pages do not follow one another.
  SInt64 CountPackets(ByteSource& source, bool* restarted);

 private:
  // What the pages taken so far found.
  struct Pass {
    bool tail = false;     // started amid the stream
    bool started = false;  // a page was taken
    bool continuing = false, eos = false, inHeaders = true;
    bool skipping = false;  // a packet begun before the first page taken
    bool primed = true;     // Vorbis: a packet gave the parser its block size
    bool consistent = true;
    UInt32 sequence = 0;
    std::vector<UInt8> head;  // the packet's first bytes
    UInt64 packetBytes = 0;
    SInt64 packetsSeen = 0;  // every packet, headers too
    SInt64 audioPackets = 0;
    SInt64 decoded = 0;  // frames the decoder gives
    SInt64 lastDecoded = 0;
    SInt64 pageDurations = 0;  // durations of the packets that ended on the page in hand
    bool pageKnown = true;     // and all of them known
    bool placed = false;       // packets ended on the last page taken
    // Granule positions: of the last page before the last that gave one, and of that one; the
    // durations of the packets ending on that one.
    SInt64 previousGranule = -1, granule = -1, lastPageDurations = 0;
    bool lastPageKnown = true;
  };

  // A packet ended; false when it cannot be read.
  bool Packet();
  // The next page in file order; false when it breaks the stream.
  bool Page(const OggPage& page);
  // Whether pages sampled between the first pages (ending at `headEnd` on page number
  // `headSequence`) and the last ones (from `tail`, at `tailAt`) follow one another as one
  // stream's: a stream chained on under the same serial number numbers its pages from 0 again
  // and starts its positions anew, which the count of pages between rarely reveals.
  bool BetweenFollows(Window& w, UInt64 headEnd, UInt32 headSequence, UInt64 tailAt,
                      const OggPage& tail) const;
  // The length from the pages from the first one starting at or after `from` to the file's
  // end, the first pages having ended at `headEnd` on page number `headSequence`.
  Outcome FromTail(Window& w, UInt64 headEnd, UInt32 headSequence, UInt64 from, StatedLength& out);
  // The length of a stream whose decoder gives `decoded` frames, as FFmpeg trims them.
  bool Finish(SInt64 decoded, SInt64 packets, StatedLength& out) const;

  AVVorbisParseContext* vorbis_ = nullptr;
  OggCodec codec_ = OggCodec::kUnknown;
  UInt32 serial_ = 0;
  UInt32 preSkip_ = 0;
  SInt64 most_ = 0;          // the most frames a packet taken gave
  SInt64 longestBlock_ = 0;  // the most the stream's header lets a packet give
  SInt64 headGranule_ = 0;   // the first pages': the last granule position
  SInt64 headDecoded_ = 0;   // and the frames decoded up to it
  Pass pass_;
};

bool OggWalk::Packet() {
  Pass& s = pass_;
  const std::size_t size = std::size_t(std::min<UInt64>(s.packetBytes, kPacketHead));
  const UInt8* p = s.head.data();
  if (!s.tail) {
    const SInt64 index = s.packetsSeen++;
    if (index == 0) {
      if (s.packetBytes >= 30 && p[0] == 1 && std::memcmp(p + 1, "vorbis", 6) == 0) {
        codec_ = OggCodec::kVorbis;
        if (vorbis_ == nullptr) return false;
        // A packet gives at most half the long block's frames.
        const unsigned longBlock = p[28] >> 4;
        if (longBlock >= 6 && longBlock <= 13) longestBlock_ = SInt64(1) << (longBlock - 1);
      } else if (s.packetBytes >= 19 && std::memcmp(p, "OpusHead", 8) == 0) {
        codec_ = OggCodec::kOpus;
        preSkip_ = sp::LoadLE16(p + 10);
      } else if (s.packetBytes >= 13 && p[0] == 0x7F && std::memcmp(p + 1, "FLAC", 4) == 0) {
        codec_ = OggCodec::kFlac;
        // STREAMINFO's largest block follows "fLaC" and its block header.
        if (s.packetBytes >= 21 && std::memcmp(p + 9, "fLaC", 4) == 0)
          longestBlock_ = sp::LoadBE16(p + 19);
      } else {
        return false;
      }
      return true;
    }
  }
  if (s.packetBytes == 0) return true;  // no sound, and no packet FFmpeg hands on
  if (s.inHeaders) {
    // Which packets are headers, as FFmpeg's Ogg reader tells them.
    const SInt64 index = s.packetsSeen - 1;
    bool header = false;
    if (codec_ == OggCodec::kVorbis) header = (p[0] & 1) != 0;
    if (codec_ == OggCodec::kOpus) header = index == 1;
    if (codec_ == OggCodec::kFlac) header = p[0] != 0xFF;
    if (header) return true;
    s.inHeaders = false;
  }
  SInt64 duration = -1, gives = -1;
  switch (codec_) {
    case OggCodec::kVorbis: {
      int flags = 0;
      duration = av_vorbis_parse_frame_flags(vorbis_, p, int(size), &flags);
      if (flags != 0) return false;  // a header among the sound
      // The decoder gives nothing for the first packet: it only starts the overlap.
      gives = s.audioPackets == 0 && !s.tail ? 0 : duration;
      break;
    }
    case OggCodec::kOpus:
      gives = duration = OpusPacketFrames(p, size);
      break;
    case OggCodec::kFlac:
      gives = duration = FlacPacketFrames(p, size);
      break;
    case OggCodec::kUnknown:
      return false;
  }
  if (duration < 0) return false;
  ++s.audioPackets;
  // A short block's duration depends on the block before: a walk from amid a Vorbis stream
  // knows it from its second packet on.
  if (!s.primed) s.pageKnown = false;
  s.primed = true;
  s.decoded += gives;
  s.lastDecoded = gives;
  most_ = std::max(most_, gives);
  s.pageDurations += duration;
  return true;
}

bool OggWalk::Page(const OggPage& page) {
  Pass& s = pass_;
  const bool bos = (page.type & 2) != 0, continued = (page.type & 1) != 0;
  if (s.eos) return false;  // anything after the stream's end (another stream, chained)
  if (!s.started) {
    // The file's first page starts the stream; a page amid it may continue a packet.
    if (bos == s.tail) return false;
    if (!s.tail) serial_ = page.serial;
    s.continuing = s.skipping = s.tail && continued;
  } else if (bos || continued != s.continuing ||
             (s.tail && page.sequence != UInt32(s.sequence + 1))) {
    // Pages amid the stream must follow each other: nothing left out or put in between.
    return false;
  }
  if (page.serial != serial_) return false;
  s.started = true;
  s.sequence = page.sequence;
  s.eos = (page.type & 4) != 0;
  const UInt8* body = page.lace + page.segments;
  s.placed = false;
  s.pageDurations = 0;
  s.pageKnown = true;
  for (std::size_t seg = 0; seg < page.segments; ++seg) {
    const std::size_t n = page.lace[seg];
    s.continuing = n == 255;
    if (s.skipping) {
      // The rest of a packet begun before: it ends here, of a duration not known.
      if (n < 255) {
        s.skipping = false;
        s.placed = true;
        s.pageKnown = false;
      }
      body += n;
      continue;
    }
    if (s.head.size() < kPacketHead && n > 0) {
      const std::size_t take = std::min(n, kPacketHead - s.head.size());
      s.head.insert(s.head.end(), body, body + take);
    }
    s.packetBytes += n;
    body += n;
    if (n < 255) {
      if (!Packet()) return false;
      s.head.clear();
      s.packetBytes = 0;
      s.placed = true;
    }
  }
  if (!s.placed) return true;
  if (page.granule == -1) return false;  // packets ended with no granule position to place them
  // Amid the stream each position is the one before it and the durations of the packets
  // between, as the encoder counted them (the last page's may be cut short).
  if (s.tail && s.granule >= 0 && s.pageKnown && !s.eos &&
      s.granule + s.pageDurations != page.granule)
    s.consistent = false;
  s.previousGranule = s.granule;
  s.granule = page.granule;
  s.lastPageDurations = s.pageDurations;
  s.lastPageKnown = s.pageKnown;
  return true;
}

bool OggWalk::Finish(SInt64 decoded, SInt64 packets, StatedLength& out) const {
  const Pass& s = pass_;
  SInt64 presented = decoded;
  SInt64 priming = 0;
  if (codec_ != OggCodec::kFlac && s.eos) {
    // FFmpeg trims the end of the last page's last packet to the granule position: the
    // packets of that page take up from the previous page's position on.
    if (s.previousGranule < 0) return false;
    SInt64 trim = s.previousGranule + s.lastPageDurations - s.granule;
    if (codec_ == OggCodec::kOpus) trim = std::min(trim, s.lastDecoded);
    if (trim > 0 && trim <= s.lastDecoded) presented -= trim;
  }
  if (codec_ == OggCodec::kOpus) {
    priming = preSkip_;
    presented -= priming;
  }
  out.presented = std::max<SInt64>(0, presented);
  out.priming = priming;
  out.packets = packets;
  out.mostPacketFrames = UInt32(std::max<SInt64>({1, most_, longestBlock_}));
  return true;
}

bool OggWalk::BetweenFollows(Window& w, UInt64 headEnd, UInt32 headSequence, UInt64 tailAt,
                             const OggPage& tail) const {
  UInt32 sequence = headSequence;
  SInt64 granule = headGranule_;
  UInt64 last = 0;
  // The places probed: evenly spaced, and before the first of those, from the first pages
  // on, each half as far again from the file's start as the one before. A first stream ending
  // before the first even place is then probed within its last third (or its first pages
  // were), and the next place lies within half its length of the stream chained on after it:
  // the pages there are numbered and placed below the first stream's, unless they are more
  // than twice as dense in the file.
  std::vector<UInt64> places;
  const UInt64 step = (tailAt - headEnd) / (kOggBetweenProbes + 1);
  for (UInt64 at = headEnd + headEnd / 2; at < headEnd + step;
       at += std::max<UInt64>(at / 2, kOggProbeSpan))
    places.push_back(at);
  for (int k = 1; k <= kOggBetweenProbes; ++k) places.push_back(headEnd + step * UInt64(k));
  // The places probed are asked of the disk together: each is a read of its own, far from the
  // others, and a file not read lately waited for each in turn. The span holds the page found
  // and the next page's header where pages are of common sizes.
  for (const UInt64 at : places) w.Source().WillRead(at, kOggProbeSpan * 4);
  for (const UInt64 at : places) {
    const UInt64 from = std::max(last, at);
    OggPage page;
    const Probe probe = ProbeOggPage(w.Source(), from, tailAt, serial_, page);
    if (probe == Probe::kNone) continue;
    if (probe == Probe::kBroken) return false;
    last = page.end;
    // No stream begins or ends amid it; numbers and positions only go up towards the end.
    if ((page.type & 6) != 0 || page.sequence <= sequence || page.sequence >= tail.sequence)
      return false;
    if (page.granule >= 0) {
      if (page.granule < granule || (tail.granule >= 0 && page.granule > tail.granule))
        return false;
      granule = page.granule;
    }
    sequence = page.sequence;
  }
  return true;
}

OggWalk::Outcome OggWalk::FromTail(Window& w, UInt64 headEnd, UInt32 headSequence, UInt64 from,
                                   StatedLength& out) {
  const UInt64 size = w.Size();
  pass_ = Pass();
  pass_.tail = true;
  pass_.inHeaders = false;
  pass_.primed = codec_ != OggCodec::kVorbis;
  UInt64 at = 0;
  OggPage page;
  if (!FindOggPage(w, from, size, at, page)) return Outcome::kWalkWhole;
  // The pages between the first ones and these: as many as their numbers say, each of a
  // length a page can have. Pages left out rarely fit.
  if (page.sequence <= headSequence) return Outcome::kWalkWhole;
  const UInt64 between = UInt64(page.sequence - headSequence - 1);
  if (at - headEnd < between * kShortestPage || at - headEnd > between * kLongestPage)
    return Outcome::kWalkWhole;
  if (!BetweenFollows(w, headEnd, headSequence, at, page)) return Outcome::kWalkWhole;
  for (;;) {
    if (!Page(page)) return Outcome::kWalkWhole;
    if (page.end == size) break;
    if (!ReadOggPage(w, page.end, page)) return Outcome::kWalkWhole;
  }
  const Pass& s = pass_;
  // The last page's packets known whole, after a page that placed sound no earlier than the
  // first pages did.
  if (s.continuing || !s.consistent || !s.placed || !s.lastPageKnown ||
      s.previousGranule < headGranule_)
    return Outcome::kWalkWhole;
  // The decoder gives as many frames up to a page as its granule position is past the first
  // pages' position, and then the last page's packets.
  const SInt64 decoded = headDecoded_ + (s.previousGranule - headGranule_) + s.lastPageDurations;
  return Finish(decoded, -1, out) ? Outcome::kFound : Outcome::kWalkWhole;
}

OggWalk::Outcome OggWalk::Run(ByteSource& source, UInt64 tailSpan, StatedLength& out) {
  Window w(source, kOggWindow, kOggFill);
  const UInt64 size = w.Size();
  pass_ = Pass();
  pass_.head.reserve(kPacketHead);
  // The pages walked at the start, and the page ending past them in most files, in one read.
  if (tailSpan != 0) w.At(0, std::size_t(std::min<UInt64>(kOggHeadWalk + kOggFill, size)));
  bool tailTried = false;
  UInt64 at = 0;
  while (at < size) {
    OggPage page;
    if (!ReadOggPage(w, at, page) || !Page(page)) return Outcome::kNotStated;
    at = page.end;
    // Once the headers are behind and a page placed sound, a long file's end is read.
    // The pages within kOggHeadWalk of the start are all walked: a first stream ending among
    // them, and the one chained on after it, break the walk there.
    if (tailSpan == 0 || tailTried || pass_.inHeaders || pass_.audioPackets == 0 || !pass_.placed ||
        pass_.eos || at < kOggHeadWalk)
      continue;
    tailTried = true;
    headGranule_ = pass_.granule;
    headDecoded_ = pass_.decoded;
    // The last two pages, which most streams' ends hold within a few kilobytes: only those
    // are read whole and checksummed. Else the pages within the span, and eight times that for
    // streams of long pages.
    bool searched = false;
    if (size - at > tailSpan) {
      const UInt64 lastTwo = LastPagesStart(source, size, tailSpan / 2);
      searched = true;
      if (lastTwo > at && FromTail(w, at, page.sequence, lastTwo, out) == Outcome::kFound)
        return Outcome::kFound;
    }
    for (const UInt64 span : {tailSpan, 8 * tailSpan}) {
      if (size - at <= 2 * span) break;
      searched = true;
      const Outcome outcome = FromTail(w, at, page.sequence, size - span, out);
      if (outcome == Outcome::kFound) return outcome;
    }
    // The pages taken amid the stream are no part of a walk of every page.
    if (searched) return Outcome::kWalkWhole;
  }
  const Pass& s = pass_;
  if (s.continuing || s.audioPackets == 0 || codec_ == OggCodec::kUnknown) {
    return Outcome::kNotStated;
  }
  return Finish(s.decoded, s.audioPackets, out) ? Outcome::kFound : Outcome::kNotStated;
}

SInt64 OggWalk::CountPackets(ByteSource& source, bool* restarted) {
  // The file is read in large blocks and the page headers are looked at where they lie: a page
  // is a few kilobytes, and a read of each header cost hundreds of calls a file. The blocks'
  // memory stays for the next count: fresh memory for each file cost more than its reading.
  static std::vector<UInt8> blocks;
  Window w(source, kOggWindow, kOggCountBlock, &blocks);
  const UInt64 size = w.Size();
  pass_ = Pass();
  UInt64 at = 0;
  // The headers and the first page of sound, read whole: the packets that are headers.
  while (at < size && (pass_.inHeaders || !pass_.placed)) {
    OggPage page;
    if (!ReadOggPage(w, at, page) || !Page(page)) return -1;
    at = page.end;
  }
  SInt64 packets = pass_.audioPackets;
  UInt64 packetBytes = pass_.packetBytes;
  bool continuing = pass_.continuing, eos = pass_.eos;
  while (at < size) {
    const UInt8* h = w.At(at, 27);
    const std::size_t segments = h != nullptr ? h[26] : 0;
    if (h != nullptr) h = w.At(at, 27 + segments);
    if (h == nullptr || std::memcmp(h, "OggS", 4) != 0 || h[4] != 0) return -1;
    // A page after the stream's last, a stream's first page or another stream's: a stream
    // starts again (chained on), which the length found from the first and last pages missed.
    if (eos || (h[5] & 2) != 0 || sp::LoadLE32(h + 14) != serial_) {
      if (restarted != nullptr) *restarted = true;
      return -1;
    }
    if (((h[5] & 1) != 0) != continuing) return -1;
    eos = (h[5] & 4) != 0;
    UInt64 length = 27 + segments;
    for (std::size_t seg = 0; seg < segments; ++seg) {
      const UInt8 n = h[27 + seg];
      length += n;
      packetBytes += n;
      continuing = n == 255;
      if (n < 255) {
        // FFmpeg hands on no empty packet.
        if (packetBytes > 0) ++packets;
        packetBytes = 0;
      }
    }
    if (length > size - at) return -1;
    at += length;
  }
  return continuing || packets == 0 ? -1 : packets;
}

}  // namespace

SInt64 OggPacketCount(ByteSource& source, const std::vector<UInt8>& vorbisSetup,
                      bool* restarted) {
  if (restarted != nullptr) *restarted = false;
  StartFFmpeg();
  OggWalk walk(vorbisSetup);
  return walk.CountPackets(source, restarted);
}

bool OggStatedLength(ByteSource& source, const std::vector<UInt8>& vorbisSetup,
                     StatedLength& out, UInt64 tailSpan) {
  StartFFmpeg();
  {
    OggWalk ends(vorbisSetup);
    const OggWalk::Outcome outcome = ends.Run(source, tailSpan, out);
    if (outcome != OggWalk::Outcome::kWalkWhole) return outcome == OggWalk::Outcome::kFound;
  }
  OggWalk whole(vorbisSetup);
  return whole.Run(source, 0, out) == OggWalk::Outcome::kFound;
}

}  // namespace quicktime
}  // namespace sp_platform
