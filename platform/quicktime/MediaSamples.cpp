// Sound media samples: sample descriptions, their extensions, and GetMediaSample over the
// packets FFmpeg reads from the file.
//
// A media is read forwards only: each media has its own reader, which FFmpeg opens at the
// start of the file and which follows the requests from one group to the next. A request for
// an earlier time opens the file again and reads up to it (the program reads from the start
// to the end). Packet times are counted from the packets' frames, not from the file's time
// stamps, so that every group starts where the previous one ended. The length of compressed
// sound (the frames its decoder presents) is what the file states where it states it exactly
// (StatedLength.h); otherwise its packets are counted once for the file by decoding them.
// Either way a file's length is found once and kept with the file's identity.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "Movies.h"
#include "Sound.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/KeptByFile.h"
#include "quicktime/detail/MediaReader.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/SoundPipeline.h"
#include "quicktime/detail/StatedLength.h"

namespace sp_platform {
namespace quicktime {

// The frames a packet of `duration` (the stream's time base) lasts at the media's rate; 0 when
// it states none.
SInt64 TimedFrames(SInt64 duration, const AVStream* st, const MediaRecord& media) {
  if (duration <= 0) return 0;
  // Most streams count time in their frames: the sample index is walked entry by entry.
  if (st->time_base.num == 1 && st->time_base.den == int(media.rate)) return duration;
  return std::max<SInt64>(0, av_rescale_q(duration, st->time_base, AVRational{1, int(media.rate)}));
}

// The frames a packet of `duration` states; the codec's frames, or the description's, when its
// duration states none.
SInt64 StatedFrames(SInt64 duration, const AVStream* st, const MediaRecord& media) {
  const SInt64 f = TimedFrames(duration, st, media);
  if (f > 0) return f;
  if (st->codecpar->frame_size > 0) return st->codecpar->frame_size;
  return SInt64(std::max<UInt32>(media.sound.samplesPerPacket, 1));
}

bool IsMovieContainer(OSType container) {
  return container == SpFourCC("MooV") || container == SpFourCC("mpg4");
}

MediaReader::~MediaReader() { av_packet_free(&packet_); }

const AVStream* MediaReader::Stream() {
  return Ready() ? demuxer_->Context()->streams[media_.streamIndex] : nullptr;
}

bool MediaReader::SeekTo(SInt64 timestamp) {
  return Ready() && av_seek_frame(demuxer_->Context(), media_.streamIndex, timestamp,
                                  AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0;
}

void MediaReader::Restart() {
  if (packet_ != nullptr) av_packet_unref(packet_);
  demuxer_.reset();
  ready_ = false;
  failed_ = false;
}

bool MediaReader::Ready() {
  if (ready_) return true;
  if (failed_) return false;
  if (packet_ == nullptr) packet_ = av_packet_alloc();
  const MovieRecord* movie = media_.track->movie;
  if (demuxer_ == nullptr) demuxer_ = Demuxer::Open(movie->source, movie->nameHint);
  const AVFormatContext* ctx = demuxer_ != nullptr ? demuxer_->Context() : nullptr;
  // The file must show the same stream it showed when the movie was made.
  if (packet_ == nullptr || ctx == nullptr || unsigned(media_.streamIndex) >= ctx->nb_streams ||
      ctx->streams[media_.streamIndex]->codecpar->codec_id != media_.codecID) {
    demuxer_.reset();
    failed_ = true;
    return false;
  }
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (int(i) != media_.streamIndex) ctx->streams[i]->discard = AVDISCARD_ALL;
  }
  ready_ = true;
  return true;
}


// The frames a stream presents, counted by decoding it as FFmpeg does: every frame its decoder
// gives, less what FFmpeg trims at the start (an encoder's delay, a pre-skip) and at the end
// (padding), as the packets or the codec's set-up ask. Packet durations and time stamps are
// not trusted for this: encoders write them differently, and FFmpeg only estimates some. The
// decoder leaves the trimming to the count (it reports it with each frame), so that the frames
// dropped before the first presented one are known: the Sound Converter decodes the same
// packets and drops as many.
class PresentedCount {
 public:
  PresentedCount() = default;
  ~PresentedCount() {
    avcodec_free_context(&decoder_);
    av_frame_free(&frame_);
  }
  PresentedCount(const PresentedCount&) = delete;
  PresentedCount& operator=(const PresentedCount&) = delete;

  // One packet of the stream, with its side data; the decoder is opened with the first.
  void Add(const AVStream* st, const AVPacket* packet) {
    decoded_ = kept_ = 0;
    packetRate_ = 0;
    if (!Open(st)) return;
    // A packet the decoder refuses (damaged data) gives no sound here, as in FFmpeg's own
    // tools; the conversion that meets it reports the damage.
    if (avcodec_send_packet(decoder_, packet) == 0) Receive();
  }

  // The decoder's last frames (counted to the last packet): the frames they add, -1 when no
  // decoder took the stream (nothing was counted).
  SInt64 Finish() {
    if (decoder_ == nullptr) return -1;
    const SInt64 before = decoded_;
    if (avcodec_send_packet(decoder_, nullptr) == 0) Receive();
    return decoded_ - before;
  }

  bool Decoding() const { return decoder_ != nullptr; }
  SInt64 Presented() const { return trimming_.Presented(); }
  SInt64 Priming() const { return trimming_.Priming(); }
  const std::vector<FrameCut>& Cuts() const { return trimming_.Cuts(); }
  // What the decoder gave for the last packet: all its frames, and those presented.
  SInt64 PacketFrames() const { return decoded_; }
  SInt64 PacketPresented() const { return kept_; }
  // The rate of the last packet's decoded frames (0: none).
  int PacketRate() const { return packetRate_; }
  // The presented frames in runs of one rate, in order.
  const std::vector<RateRun>& Runs() const { return runs_; }

 private:
  bool Open(const AVStream* st) {
    if (decoder_ != nullptr) return true;
    if (failed_) return false;
    failed_ = true;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (codec == nullptr) return false;
    decoder_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    if (decoder_ == nullptr || frame_ == nullptr ||
        avcodec_parameters_to_context(decoder_, st->codecpar) < 0) {
      avcodec_free_context(&decoder_);
      return false;
    }
    decoder_->pkt_timebase = st->time_base;
    decoder_->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    if (avcodec_open2(decoder_, codec, nullptr) < 0) {
      avcodec_free_context(&decoder_);
      return false;
    }
    failed_ = false;
    return true;
  }

  // Applies FFmpeg's trimming to each decoded frame, as its side data asks.
  void Receive() {
    while (avcodec_receive_frame(decoder_, frame_) == 0) {
      const SInt64 n = frame_->nb_samples;
      UInt32 skip = 0;
      SInt64 discard = 0;
      if (const AVFrameSideData* side =
              av_frame_get_side_data(frame_, AV_FRAME_DATA_SKIP_SAMPLES)) {
        if (side->size >= 8) {
          skip = sp::LoadLE32(side->data);
          discard = sp::LoadLE32(side->data + 4);
        }
      }
      const SInt64 kept =
          trimming_.Take(n, skip, discard, (frame_->flags & AV_FRAME_FLAG_DISCARD) != 0);
      kept_ += kept;
      decoded_ += n;
      packetRate_ = frame_->sample_rate;
      if (kept > 0 && frame_->sample_rate > 0) {
        if (runs_.empty() || runs_.back().rate != frame_->sample_rate)
          runs_.push_back(RateRun{frame_->sample_rate, 0});
        runs_.back().frames += kept;
      }
      av_frame_unref(frame_);
    }
  }

  AVCodecContext* decoder_ = nullptr;
  AVFrame* frame_ = nullptr;
  bool failed_ = false;
  Trimming trimming_;
  SInt64 decoded_ = 0;  // of the packet in hand
  SInt64 kept_ = 0;
  int packetRate_ = 0;
  std::vector<RateRun> runs_;
};

bool MediaReader::ChainedOpusHeader(const AVPacket* packet) const {
  // An Ogg Opus stream chained on under the same serial number has FFmpeg's demultiplexer hand
  // on its two headers among the sound, which its decoder refuses and gives nothing for.
  if (media_.codecID != AV_CODEC_ID_OPUS || media_.track == nullptr ||
      media_.track->movie == nullptr || media_.track->movie->container != SpFourCC("OggS") ||
      packet->size < 8)
    return false;
  return std::memcmp(packet->data, "OpusHead", 8) == 0 ||
         std::memcmp(packet->data, "OpusTags", 8) == 0;
}

MediaReader::Status MediaReader::Take(std::size_t& size, SInt64& frames) {
  if (!Ready()) return Status::kError;
  AVFormatContext* ctx = demuxer_->Context();
  av_packet_unref(packet_);
  for (;;) {
    const int r = av_read_frame(ctx, packet_);
    if (r == AVERROR_EOF) return Status::kEnd;
    if (r < 0) return Status::kError;
    if (packet_->stream_index != media_.streamIndex || packet_->size <= 0 ||
        ChainedOpusHeader(packet_)) {
      av_packet_unref(packet_);
      continue;
    }
    size = std::size_t(packet_->size);
    const AVStream* st = ctx->streams[media_.streamIndex];
    if (media_.layout == SoundLayout::kVaryingPackets) {
      frames = StatedFrames(packet_->duration, st, media_);
    } else {
      const std::size_t units = size / media_.bytesPerUnit;
      size = units * media_.bytesPerUnit;
      frames = SInt64(units) * media_.framesPerUnit;
    }
    if (size == 0) {
      av_packet_unref(packet_);
      continue;
    }
    return Status::kPacket;
  }
}

MediaReader::Status MediaReader::NextHeld(const UInt8*& data, SInt64& frames) {
  std::size_t size = 0;
  const Status status = Take(size, frames);
  data = status == Status::kPacket ? packet_->data : nullptr;
  return status;
}

MediaReader::Status MediaReader::Next(std::vector<UInt8>& data, SInt64& frames,
                                      PresentedCount* count, PacketTrim* trim, PacketPlace* place) {
  std::size_t size = 0;
  const Status status = Take(size, frames);
  if (status != Status::kPacket) return status;
  const AVStream* st = demuxer_->Context()->streams[media_.streamIndex];
  data.assign(packet_->data, packet_->data + size);
  if (count != nullptr) count->Add(st, packet_);
  if (trim != nullptr) {
    *trim = PacketTrim();
    std::size_t sideSize = 0;
    const UInt8* side = av_packet_get_side_data(packet_, AV_PKT_DATA_SKIP_SAMPLES, &sideSize);
    if (side != nullptr && sideSize >= 8) {
      trim->skip = sp::LoadLE32(side);
      trim->discard = sp::LoadLE32(side + 4);
    }
    trim->dropped = (packet_->flags & AV_PKT_FLAG_DISCARD) != 0;
    trim->codecFrames = std::max(0, st->codecpar->frame_size);
  }
  if (place != nullptr) {
    place->pos = packet_->pos;
    place->size = packet_->size;
    place->dts = packet_->dts;
    place->duration = packet_->duration;
    place->dropped = (packet_->flags & AV_PKT_FLAG_DISCARD) != 0;
  }
  av_packet_unref(packet_);
  return Status::kPacket;
}

namespace {

MediaReader& ReaderOf(MediaRecord& media) {
  if (media.reader == nullptr) media.reader.reset(new MediaReader(media));
  return *media.reader;
}

UInt64 gLengthsFound = 0;     // lengths found by reading a file (not from what was kept)
UInt64 gLengthsDecoded = 0;   // of those, found by decoding the stream
UInt64 gLengthsIndexed = 0;   // of those, found from a movie's sample index
UInt64 gPacketsCounted = 0;   // media whose packets were counted after their length

// Counts the stream's packets (and keeps their times for the varying layout) with a reader
// of its own, and for the varying layout decodes them to count the frames they present. A
// packet takes the media time of the frames its decoding gives (one at least: the first of a
// decoder that only primes itself must still be read in its turn); without a decoder, what
// the file states. Frames decoded at another rate than the media's (a part of a file joined
// or chained from others) take the media time they last at the media's rate. Times stop at
// the largest media time a TimeValue holds.
void Scan(MediaRecord& media) {
  if (media.scanned) return;
  media.scanned = true;
  const bool varying = media.layout == SoundLayout::kVaryingPackets;
  MediaReader reader(media);
  PresentedCount count;
  std::vector<UInt8> data;
  SInt64 stated = 0, lastStated = 0, total = 0;
  // The run of packets decoded at one rate: its rate, its start and its frames at that rate.
  int runRate = int(media.rate);
  SInt64 runStart = 0, runFrames = 0;
  auto atMediaRate = [&](int rate, SInt64 decoded) {
    if (UInt32(rate) == media.rate) runRate = rate;
    if (rate <= 0 || UInt32(rate) == media.rate) return decoded;
    if (rate != runRate) {
      runRate = rate;
      runStart = total;
      runFrames = 0;
    }
    runFrames += decoded;
    return runStart + runFrames * SInt64(media.rate) / rate - total;
  };
  media.packets.clear();
  while (reader.Next(data, stated, varying ? &count : nullptr) == MediaReader::Status::kPacket) {
    const SInt64 frames =
        count.Decoding()
            ? std::max<SInt64>(1, atMediaRate(count.PacketRate(), count.PacketFrames()))
            : stated;
    if (total + frames > INT32_MAX) break;
    if (varying) {
      PacketEntry entry;
      entry.time = SInt32(total);
      entry.frames = SInt32(frames);
      media.packets.push_back(entry);
    }
    total += frames;
    lastStated = stated;
  }
  media.packetsComplete = true;
  const SInt64 tail = varying ? count.Finish() : -1;
  if (tail > 0 && !media.packets.empty()) {
    const SInt64 more = std::min<SInt64>(std::max<SInt64>(0, atMediaRate(count.PacketRate(), tail)),
                                         INT32_MAX - total);
    media.packets.back().frames += SInt32(more);
    total += more;
  }
  media.scannedFrames = total;
  if (tail < 0) return;
  SInt64 presented = count.Presented();
  // An MPEG-4 edit list ends the sound inside the last packet, which the file gives the
  // shorter length; FFmpeg's decoder would present the whole packet.
  if (IsMovieContainer(media.track->movie->container) && !media.packets.empty())
    presented -= std::max<SInt64>(0, count.PacketPresented() - lastStated);
  media.primingFrames = count.Priming();
  media.presentedFrames = std::max<SInt64>(0, presented);
  media.cuts = count.Cuts();
  // Parts at rates of their own are listed at the frames their rate change to the media's
  // rate makes, as the Sound Converter makes them: the tail only of the last.
  const std::vector<RateRun>& runs = count.Runs();
  media.listedFrames = std::any_of(runs.begin(), runs.end(),
                                   [&](const RateRun& r) { return UInt32(r.rate) != media.rate; })
                           ? SInt64(ResampledFrames(runs, int(media.rate)))
                           : -1;
}

}  // namespace

namespace {

// The length as the file states it, for the containers and codecs whose statements are known
// to give what the decoder presents.
bool StateLength(MediaRecord& media, StatedLength& out) {
  ByteSource& source = *media.track->movie->source;
  const OSType container = media.track->movie->container;
  const int codec = media.codecID;
  if (container == SpFourCC("FLAC") && codec == AV_CODEC_ID_FLAC)
    return FlacStatedLength(source, out);
  if (container == SpFourCC("MP3 ") &&
      (codec == AV_CODEC_ID_MP3 || codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP1))
    return MpegAudioStatedLength(source, out);
  if (container == SpFourCC("OggS") &&
      (codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS || codec == AV_CODEC_ID_FLAC))
    return OggStatedLength(source, media.sound.codecSetup, out);
  if (SampleIndexLength(media, out)) {
    ++gLengthsIndexed;
    return true;
  }
  return ReadPacketsLength(media, out);
}

// Lengths found by reading whole files, by the file and the stream.
using KeptLengths = KeptByFile<int, StatedLength, 65536>;

KeptLengths& Kept() {
  static KeptLengths kept;
  return kept;
}

// The media takes the length found for it.
void TakeLength(MediaRecord& media, const StatedLength& length) {
  media.measured = true;
  media.presentedFrames = std::min<SInt64>(std::max<SInt64>(0, length.presented), INT32_MAX);
  media.primingFrames = std::max<SInt64>(0, length.priming);
  media.packetCount = std::max<SInt64>(-1, length.packets);
  media.mostPacketFrames = std::max<UInt32>(1, length.mostPacketFrames);
  media.paddingFrames = length.padding;
  media.endsWithPackets = length.endsWithPackets && length.packets >= 0;
  media.soundEnd = length.soundEnd;
  media.cuts = length.cuts;
  media.listedFrames = length.listed >= 0 ? std::min<SInt64>(length.listed, INT32_MAX) : SInt64(-1);
}

// The length the stream's decoding counts.
StatedLength ScannedLength(MediaRecord& media) {
  ++gLengthsDecoded;
  Scan(media);
  StatedLength length;
  length.presented = media.presentedFrames >= 0 ? media.presentedFrames : media.scannedFrames;
  length.priming = media.primingFrames;
  length.packets = SInt64(media.packets.size());
  length.cuts = media.cuts;
  length.listed = media.listedFrames;
  length.mostPacketFrames = 1;
  for (const PacketEntry& packet : media.packets)
    length.mostPacketFrames = std::max(length.mostPacketFrames, UInt32(packet.frames));
  return length;
}

// The varying layout's length: what was kept for the file, what it states, or else the count
// of its decoding; once for each media, and once for each file while it stays the same.
void Measure(MediaRecord& media) {
  if (media.measured) return;
  media.measured = true;
  StatedLength length;
  FileIdentity file;
  const bool identified = media.track->movie->source->Identity(&file);
  if (!identified || !Kept().Find(file, media.streamIndex, length)) {
    ++gLengthsFound;
    if (!StateLength(media, length)) length = ScannedLength(media);
    if (identified) Kept().Keep(file, media.streamIndex, length);
  }
  TakeLength(media, length);
}

// The packets of a stream whose length was found without counting them (an Ogg stream's first
// and last pages): counted once when first asked for, from the pages' headers or else by
// reading every packet, none decoded; kept with the length.
void CountPackets(MediaRecord& media) {
  ++gPacketsCounted;
  SInt64 count = -1;
  if (media.packetsComplete) {
    count = SInt64(media.packets.size());
  } else if (media.track->movie->container == SpFourCC("OggS")) {
    bool restarted = false;
    count = OggPacketCount(*media.track->movie->source, media.sound.codecSetup, &restarted);
    if (restarted && !media.scanned) {
      // A stream chained on that the pages probed for the length did not show (one of far
      // fewer bytes to the second after a short first): the length found is not the file's,
      // and every conversion would fail on the sound past it. The file is counted by decoding
      // it, as a chain found when opened is, and that length kept for it instead.
      const StatedLength length = ScannedLength(media);
      FileIdentity file;
      if (media.track->movie->source->Identity(&file))
        Kept().Keep(file, media.streamIndex, length);
      TakeLength(media, length);
      return;
    }
  }
  if (count < 0) {
    count = 0;
    MediaReader reader(media);
    const UInt8* data = nullptr;
    SInt64 frames = 0;
    while (reader.NextHeld(data, frames) == MediaReader::Status::kPacket) ++count;
  }
  media.packetCount = count;
  StatedLength length;
  FileIdentity file;
  if (media.track->movie->source->Identity(&file) &&
      Kept().Find(file, media.streamIndex, length) && length.packets < 0) {
    length.packets = count;
    Kept().Keep(file, media.streamIndex, length);
  }
}

std::vector<UInt8> BE32Bytes(UInt32 v) {
  std::vector<UInt8> b(4);
  sp::StoreBE32(b.data(), v);
  return b;
}

// The 'wave' extension of a sound description: the format, the decoder's configuration in
// the atom the format is known by, what a decoder needs of the stream beyond the description,
// and the terminator. Empty when a decoder needs nothing beyond the description.
std::vector<UInt8> MakeWaveExtension(MediaRecord& media) {
  const SoundMediaDescription& d = media.sound;
  std::vector<UInt8> inner = MakeAtom(kAudioFormatAtomType, BE32Bytes(d.format));
  const std::size_t bare = inner.size();
  auto append = [&inner](const std::vector<UInt8>& atom) {
    inner.insert(inner.end(), atom.begin(), atom.end());
  };
  const std::vector<UInt8>& extra = d.codecSetup;
  if (d.format == kMPEG4AudioFormat) {
    if (!extra.empty()) {
      append(MakeAtom(kMPEG4AudioFormat, std::vector<UInt8>(4, 0)));
      const UInt32 rate = d.bitRate > 0 && d.bitRate < INT32_MAX ? UInt32(d.bitRate) : 0;
      append(MakeEsdsAtom(extra.data(), extra.size(), rate, rate, 0));
    }
  } else if (d.format == kALACFormat) {
    // FFmpeg keeps the whole 'alac' atom as the decoder's configuration.
    if (extra.size() >= 12 && sp::LoadBE32(extra.data()) == extra.size() &&
        sp::LoadBE32(extra.data() + 4) == kALACFormat) {
      append(extra);
    } else if (!extra.empty()) {
      append(MakeAtom(kALACFormat, extra));
    }
  } else if (d.littleEndian) {
    append(MakeAtom(kAudioEndianAtomType, {0x00, 0x01}));
  } else if (!extra.empty()) {
    append(MakeAtom(kCodecSetupAtomType, extra));
  }
  const bool varying = media.layout == SoundLayout::kVaryingPackets;
  if (varying || d.sampleRate == 0) {
    StreamParams params;
    params.rate = media.rate;
    params.blockAlign = UInt32(std::max<SInt32>(0, d.blockAlign));
    if (varying) {
      Measure(media);
      params.primingFrames = UInt32(std::min<SInt64>(media.primingFrames, INT32_MAX));
      params.presentedFrames = UInt64(std::max<SInt64>(0, media.presentedFrames));
      params.paddingFrames = media.paddingFrames;
      params.cuts = media.cuts;
    }
    append(MakeStreamParamsAtom(params));
  }
  if (inner.size() == bare) return {};
  append(std::vector<UInt8>{0, 0, 0, 8, 0, 0, 0, 0});
  return MakeAtom(SpFourCC("wave"), inner);
}

const std::vector<UInt8>& SoundExtension(MediaRecord& media) {
  if (!media.sound.extensionReady) {
    media.sound.extension = MakeWaveExtension(media);
    media.sound.extensionReady = true;
  }
  return media.sound.extension;
}

void FillSoundDescription(MediaRecord& media, Handle h) {
  SoundMediaDescription& d = media.sound;
  if (d.samplesPerPacket == 0) {
    // Formats whose packets have no set length (FLAC, Vorbis, ...): the most frames a packet
    // gives. Never 0: callers divide by it.
    Measure(media);
    d.samplesPerPacket = media.mostPacketFrames;
  }
  const std::vector<UInt8>& extension = SoundExtension(media);
  SoundDescriptionV1 v1{};
  v1.desc.descSize = SInt32(sizeof(SoundDescriptionV1) + extension.size());
  v1.desc.dataFormat = d.format;
  v1.desc.dataRefIndex = 1;
  v1.desc.version = 1;
  v1.desc.numChannels = d.numChannels;
  v1.desc.sampleSize = d.sampleSize;
  v1.desc.compressionID = d.compressionID;
  v1.desc.sampleRate = d.sampleRate;
  v1.samplesPerPacket = d.samplesPerPacket;
  v1.bytesPerPacket = d.bytesPerPacket;
  v1.bytesPerFrame = d.bytesPerFrame;
  v1.bytesPerSample = d.bytesPerSample;
  std::memcpy(*h, &v1, sizeof(v1));
  if (!extension.empty()) std::memcpy(*h + sizeof(v1), extension.data(), extension.size());
}

// The description of the media into the handle (resized); memFullErr when it cannot grow.
OSErr DescribeInto(MediaRecord& media, Handle h) {
  if (media.mediaType == SoundMediaType) {
    SetHandleSize(h, Size(sizeof(SoundDescriptionV1) + SoundExtension(media).size()));
    if (MemError() != noErr) return memFullErr;
    FillSoundDescription(media, h);
    return noErr;
  }
  SetHandleSize(h, Size(sizeof(SampleDescription)));
  if (MemError() != noErr) return memFullErr;
  SampleDescription d{};
  d.descSize = SInt32(sizeof(SampleDescription));
  d.dataFormat = media.dataFormat;
  d.dataRefIndex = 1;
  std::memcpy(*h, &d, sizeof(d));
  return noErr;
}

struct Group {
  std::vector<UInt8> bytes;
  // The group's bytes: its own, or a packet the reader keeps (no copy).
  const std::vector<UInt8>* packet = nullptr;
  const std::vector<UInt8>& Bytes() const { return packet != nullptr ? *packet : bytes; }
  // The caller's handle, which a group of linear or fixed packets is read into directly (it
  // then holds `directSize` bytes).
  Handle out = nullptr;
  bool direct = false;
  std::size_t directSize = 0;
  std::size_t Size() const { return direct ? directSize : Bytes().size(); }
  SInt64 time = 0;
  SInt64 durationPerSample = 1;
  SInt64 count = 0;
};

// What a read gives when the stream stops before the frames the media holds: ioErr when the
// file could not be read, eofErr when it ended early (it was cut short after the movie was
// made, or holds less than it claims). Never the media's end: the caller must not take what
// it read for the whole sound.
OSErr StoppedEarly(MediaReader::Status status) {
  return status == MediaReader::Status::kError ? OSErr(ioErr) : OSErr(eofErr);
}

// Linear and fixed-packet sound: whole packets from the one holding `time`.
OSErr ReadUnitGroup(MediaRecord& media, SInt64 time, SInt32 maxSizeToGrow,
                    SInt32 maxNumberOfSamples, Group& group) {
  const SInt64 total = SoundMediaFrames(media);
  if (time < 0 || time >= total) return invalidTime;
  const SInt64 fpu = media.framesPerUnit;
  const SInt64 bpu = media.bytesPerUnit;
  if (maxSizeToGrow > 0 && maxSizeToGrow < bpu) return maxSizeToGrowTooSmall;
  const SInt64 start = time / fpu * fpu;

  MediaReader& reader = ReaderOf(media);
  if (reader.haveCurrent && start < reader.currentStart) {
    reader.Restart();
    reader.haveCurrent = false;
  }
  if (!reader.haveCurrent) {
    reader.currentStart = 0;
    reader.currentFrames = 0;
  }
  SInt64 frames = 0;
  while (!reader.haveCurrent || start >= reader.currentStart + reader.currentFrames) {
    const SInt64 next = reader.haveCurrent ? reader.currentStart + reader.currentFrames : 0;
    const MediaReader::Status status = reader.NextHeld(reader.current, frames);
    if (status != MediaReader::Status::kPacket) {
      reader.Restart();
      reader.haveCurrent = false;
      return StoppedEarly(status);
    }
    reader.currentStart = next;
    reader.currentFrames = frames;
    reader.haveCurrent = true;
  }

  SInt64 limit = (total - start + fpu - 1) / fpu;
  if (maxSizeToGrow > 0) limit = std::min<SInt64>(limit, maxSizeToGrow / bpu);
  if (maxNumberOfSamples > 0)
    limit = std::min<SInt64>(limit, std::max<SInt64>(1, maxNumberOfSamples / fpu));
  group.time = start;
  group.durationPerSample = 1;
  std::vector<UInt8>& bytes = reader.group;
  UInt8* to = nullptr;
  if (group.out != nullptr) {
    // Straight into the caller's handle: one copy less, and the handle's room is reused.
    SetHandleSize(group.out, Size(limit * bpu));
    if (MemError() != noErr) return memFullErr;
    to = reinterpret_cast<UInt8*>(*group.out);
    group.direct = true;
  } else {
    bytes.clear();
    group.packet = &bytes;
  }
  SInt64 taken = 0;
  SInt64 position = start;
  for (;;) {
    const SInt64 offset = (position - reader.currentStart) / fpu;
    const SInt64 available = reader.currentFrames / fpu - offset;
    const SInt64 take = std::min(available, limit - taken);
    const UInt8* from = reader.current + offset * bpu;
    if (to != nullptr) {
      std::memcpy(to + taken * bpu, from, std::size_t(take * bpu));
    } else {
      bytes.insert(bytes.end(), from, from + take * bpu);
    }
    taken += take;
    position += take * fpu;
    // Without a size to fill, a group is the rest of the chunk the file stores together.
    if (taken == limit || maxSizeToGrow <= 0) break;
    const SInt64 next = reader.currentStart + reader.currentFrames;
    const MediaReader::Status status = reader.NextHeld(reader.current, frames);
    if (status != MediaReader::Status::kPacket) {
      reader.Restart();
      reader.haveCurrent = false;
      return StoppedEarly(status);
    }
    reader.currentStart = next;
    reader.currentFrames = frames;
  }
  group.count = taken * fpu;
  if (to != nullptr) {
    group.directSize = std::size_t(taken * bpu);
    SetHandleSize(group.out, Size(group.directSize));
  }
  return noErr;
}

// Varying-packet sound: the one packet holding `time`. Packets not read before are read now,
// each taking the frames the file states for it (one at least).
OSErr ReadPacketGroup(MediaRecord& media, SInt64 time, SInt32 maxSizeToGrow, Group& group) {
  Measure(media);
  if (time < 0) return invalidTime;
  MediaReader& reader = ReaderOf(media);
  auto restart = [&reader]() {
    reader.Restart();
    reader.nextIndex = 0;
    reader.lastIndex = SIZE_MAX;
  };
  std::vector<PacketEntry>& packets = media.packets;
  const SInt64 known = packets.empty() ? 0 : SInt64(packets.back().time) + packets.back().frames;
  std::size_t index = SIZE_MAX;
  if (time < known) {
    auto it = std::upper_bound(packets.begin(), packets.end(), time,
                               [](SInt64 t, const PacketEntry& e) { return t < SInt64(e.time); });
    index = std::size_t(it - packets.begin()) - 1;
  } else if (media.packetsComplete) {
    return invalidTime;
  }
  if (index == SIZE_MAX || reader.lastIndex != index) {
    if (index != SIZE_MAX && index < reader.nextIndex) restart();
    SInt64 frames = 0;
    for (;;) {
      if (index != SIZE_MAX && reader.nextIndex > index) break;
      // Past the packets the sound ends with, the file holds no more sound (other bytes that
      // the demultiplexer may still give as packets).
      const bool past = media.endsWithPackets && SInt64(reader.nextIndex) >= media.packetCount;
      PacketPlace place;
      const MediaReader::Status status =
          past ? MediaReader::Status::kEnd
               : reader.Next(reader.last, frames, nullptr, nullptr, &place);
      // Bytes after the sound that came with the last packet (a tag, junk) are no sound.
      if (status == MediaReader::Status::kPacket && media.soundEnd >= 0 && place.pos >= 0 &&
          place.pos < media.soundEnd && SInt64(reader.last.size()) > media.soundEnd - place.pos)
        reader.last.resize(std::size_t(media.soundEnd - place.pos));
      if (status != MediaReader::Status::kPacket) {
        const bool unread = reader.nextIndex >= packets.size();
        restart();
        if (status == MediaReader::Status::kEnd && unread) {
          media.packetsComplete = true;
          return invalidTime;
        }
        return StoppedEarly(status);
      }
      if (reader.nextIndex == packets.size()) {
        const SInt64 end = packets.empty() ? 0 : SInt64(packets.back().time) + packets.back().frames;
        // What a packet states may be far off (the last of an Ogg stream, say): no packet
        // takes more than the most any packet of the stream gives.
        frames = std::min<SInt64>(std::max<SInt64>(1, frames), media.mostPacketFrames);
        if (end + frames > INT32_MAX) {
          restart();
          media.packetsComplete = true;
          return invalidTime;
        }
        PacketEntry entry;
        entry.time = SInt32(end);
        entry.frames = SInt32(frames);
        packets.push_back(entry);
        if (time < end + frames) index = packets.size() - 1;
      }
      reader.lastIndex = reader.nextIndex++;
    }
  }
  if (maxSizeToGrow > 0 && reader.last.size() > std::size_t(maxSizeToGrow))
    return maxSizeToGrowTooSmall;
  group.packet = &reader.last;
  group.time = packets[index].time;
  group.durationPerSample = packets[index].frames;
  group.count = 1;
  return noErr;
}

}  // namespace

SInt64 SoundMediaFrames(MediaRecord& media) {
  if (media.written != nullptr) return SInt64(media.written->duration);
  if (media.layout != SoundLayout::kVaryingPackets) {
    if (media.statedFrames >= 0) return std::min<SInt64>(media.statedFrames, INT32_MAX);
    Scan(media);
    return media.scannedFrames;
  }
  Measure(media);
  return media.listedFrames >= 0 ? media.listedFrames : media.presentedFrames;
}

void MeasureWhileOpen(MediaRecord& media, std::unique_ptr<Demuxer> demuxer) {
  if (media.measured || media.layout != SoundLayout::kVaryingPackets) return;
  StatedLength length;
  FileIdentity file;
  const bool identified = media.track->movie->source->Identity(&file);
  // A length kept for the file is taken on first use, without reading it.
  if (identified && Kept().Find(file, media.streamIndex, length)) return;
  if (!SampleIndexLength(media, length, std::move(demuxer))) return;
  ++gLengthsFound;
  ++gLengthsIndexed;
  if (identified) Kept().Keep(file, media.streamIndex, length);
  TakeLength(media, length);
}

SInt64 SoundMediaSampleCount(MediaRecord& media) {
  if (media.written != nullptr || media.layout != SoundLayout::kVaryingPackets)
    return KnownSoundMediaSampleCount(media);
  Measure(media);
  if (media.packetCount < 0) CountPackets(media);
  return media.packetCount;
}

SInt64 KnownSoundMediaSampleCount(MediaRecord& media) {
  if (media.written != nullptr) return SInt64(media.written->sampleCount);
  if (media.layout != SoundLayout::kVaryingPackets) return SoundMediaFrames(media);
  Measure(media);
  return media.packetCount;
}

SoundLengthCounts CountedSoundLengths() {
  SoundLengthCounts counts;
  counts.indexed = gLengthsIndexed;
  counts.found = gLengthsFound;
  counts.decoded = gLengthsDecoded;
  counts.packetsCounted = gPacketsCounted;
  counts.opened = CountedDemuxerOpens();
  counts.probed = CountedStreamInfoReads();
  return counts;
}

void ForgetSoundLengths() {
  Kept().Clear();
  ForgetFileSummaries();
}

}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

MediaRecord::MediaRecord() = default;
MediaRecord::~MediaRecord() = default;

namespace sp_platform {
namespace quicktime {

// The size of a sound description's fixed part by its version; 0 when the handle cannot hold
// a description of that size.
std::size_t FixedDescriptionSize(Handle h, SoundDescription& d) {
  const Size handleSize = h != nullptr && *h != nullptr ? GetHandleSize(h) : 0;
  if (handleSize < Size(sizeof(SoundDescription))) return 0;
  std::memcpy(&d, *h, sizeof(d));
  std::size_t fixed = sizeof(SoundDescription);
  if (d.version == 1) fixed = sizeof(SoundDescriptionV1);
  if (d.version == 2) fixed = 72;
  if (d.descSize < SInt32(fixed) || d.descSize > handleSize) return 0;
  return fixed;
}

}  // namespace quicktime
}  // namespace sp_platform

void GetMediaSampleDescription(Media theMedia, SInt32 index, SampleDescriptionHandle descH) {
  if (!qt::IsLiveMedia(theMedia)) return qt::SetMoviesError(invalidMedia);
  if (descH == nullptr || index != 1) return qt::SetMoviesError(paramErr);
  // A media being written has only what was added: it is read once its file is opened.
  if (theMedia->written != nullptr) return qt::SetMoviesError(noMediaHandler);
  qt::SetMoviesError(qt::DescribeInto(*theMedia, reinterpret_cast<Handle>(descH)));
}

OSErr GetSoundDescriptionExtension(SoundDescriptionHandle desc, Handle* extension, OSType idType) {
  if (extension == nullptr) return paramErr;
  *extension = nullptr;
  const Handle h = reinterpret_cast<Handle>(desc);
  SoundDescription d;
  const std::size_t fixed = qt::FixedDescriptionSize(h, d);
  if (fixed == 0) return paramErr;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(*h);
  std::vector<qt::Atom> atoms;
  qt::ListAtoms(bytes, fixed, std::size_t(d.descSize), atoms);
  const qt::Atom* found = qt::FindAtom(atoms, idType);
  std::vector<qt::Atom> inner;
  if (found == nullptr) {
    // Also the atoms inside the 'wave' list ('esds', 'frma', ...).
    if (const qt::Atom* wave = qt::FindAtom(atoms, SpFourCC("wave"))) {
      qt::ListAtoms(bytes, wave->dataStart, wave->dataStart + wave->dataSize, inner);
      found = qt::FindAtom(inner, idType);
    }
  }
  if (found == nullptr) return cannotFindAtomErr;
  const std::size_t size = found->dataStart + found->dataSize - found->start;
  Handle copy = NewHandle(Size(size));
  if (copy == nullptr) return memFullErr;
  std::memcpy(*copy, bytes + found->start, size);
  *extension = copy;
  return noErr;
}

OSErr AddSoundDescriptionExtension(SoundDescriptionHandle desc, Handle extension, OSType idType) {
  const Handle h = reinterpret_cast<Handle>(desc);
  SoundDescription d;
  const std::size_t fixed = qt::FixedDescriptionSize(h, d);
  if (fixed == 0 || extension == nullptr || *extension == nullptr) return paramErr;
  const std::size_t extSize = std::size_t(GetHandleSize(extension));
  const UInt8* ext = reinterpret_cast<const UInt8*>(*extension);
  std::vector<UInt8> atom;
  if (extSize >= 8 && sp::LoadBE32(ext) == extSize && sp::LoadBE32(ext + 4) == idType) {
    atom.assign(ext, ext + extSize);
  } else {
    atom = qt::MakeAtom(idType, std::vector<UInt8>(ext, ext + extSize));
  }
  // The description's other extensions stay, in their order.
  const UInt8* bytes = reinterpret_cast<const UInt8*>(*h);
  std::vector<qt::Atom> atoms;
  qt::ListAtoms(bytes, fixed, std::size_t(d.descSize), atoms);
  std::vector<UInt8> kept(bytes, bytes + fixed);
  for (const qt::Atom& a : atoms) {
    if (a.type == idType) continue;
    kept.insert(kept.end(), bytes + a.start, bytes + a.dataStart + a.dataSize);
  }
  kept.insert(kept.end(), atom.begin(), atom.end());
  if (kept.size() > std::size_t(INT32_MAX)) return paramErr;
  SetHandleSize(h, Size(kept.size()));
  if (MemError() != noErr) return memFullErr;
  d.descSize = SInt32(kept.size());
  std::memcpy(kept.data(), &d.descSize, sizeof(d.descSize));
  std::memcpy(*h, kept.data(), kept.size());
  return noErr;
}

OSErr GetMediaSample(Media theMedia, Handle dataOut, SInt32 maxSizeToGrow, SInt32* size,
                     TimeValue time, TimeValue* sampleTime, TimeValue* durationPerSample,
                     SampleDescriptionHandle sampleDescriptionH, SInt32* sampleDescriptionIndex,
                     SInt32 maxNumberOfSamples, SInt32* numberOfSamples, SInt16* sampleFlags) {
  auto fail = [](OSErr err) {
    qt::SetMoviesError(err);
    return err;
  };
  if (!qt::IsLiveMedia(theMedia)) return fail(invalidMedia);
  MediaRecord& media = *theMedia;
  if (media.mediaType != SoundMediaType || media.written != nullptr) return fail(noMediaHandler);
  try {
    qt::Group group;
    const bool varying = media.layout == qt::SoundLayout::kVaryingPackets;
    // A group bounded by the handle's room is read into it directly.
    if (!varying && maxSizeToGrow > 0) group.out = dataOut;
    const OSErr err =
        varying ? qt::ReadPacketGroup(media, time, maxSizeToGrow, group)
                : qt::ReadUnitGroup(media, time, maxSizeToGrow, maxNumberOfSamples, group);
    if (err != noErr) return fail(err);
    if (dataOut != nullptr && !group.direct) {
      SetHandleSize(dataOut, Size(group.Bytes().size()));
      if (MemError() != noErr) return fail(memFullErr);
      std::memcpy(*dataOut, group.Bytes().data(), group.Bytes().size());
    }
    if (sampleDescriptionH != nullptr) {
      const OSErr described = qt::DescribeInto(media, reinterpret_cast<Handle>(sampleDescriptionH));
      if (described != noErr) return fail(described);
    }
    if (size != nullptr) *size = SInt32(group.Size());
    if (sampleTime != nullptr) *sampleTime = TimeValue(group.time);
    if (durationPerSample != nullptr) *durationPerSample = TimeValue(group.durationPerSample);
    if (numberOfSamples != nullptr) *numberOfSamples = SInt32(group.count);
    if (sampleDescriptionIndex != nullptr) *sampleDescriptionIndex = 1;
    if (sampleFlags != nullptr) *sampleFlags = 0;
    return fail(noErr);
  } catch (const std::bad_alloc&) {
    return fail(memFullErr);
  }
}
