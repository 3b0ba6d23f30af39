// Sound media samples: sample descriptions, their extensions, and GetMediaSample over the
// packets FFmpeg reads from the file.
//
// A media is read forwards only: each media has its own reader, which FFmpeg opens at the
// start of the file and which follows the requests from one group to the next. A request for
// an earlier time opens the file again and reads up to it (the program reads from the start
// to the end). Packet times are counted from the packets' frames, not from the file's time
// stamps, so that every group starts where the previous one ended.

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
#include "quicktime/detail/MovieData.h"

namespace sp_platform {
namespace quicktime {

// One stream's packets in file order.
class MediaReader {
 public:
  enum class Status { kPacket, kEnd, kError };

  // What a packet says of its place beyond its bytes, in frames: its time stamp (kNoTime
  // without one), the frames its decoder gives (0 when that is not known without decoding)
  // and the frames to skip at its start and to discard at its end.
  static constexpr SInt64 kNoTime = INT64_MIN;
  struct Facts {
    SInt64 pts = kNoTime;
    SInt64 decodedFrames = 0;
    SInt64 skipStart = 0;
    SInt64 discardEnd = 0;
  };

  explicit MediaReader(const MediaRecord& media) : media_(media) {}
  ~MediaReader() { av_packet_free(&packet_); }

  // The next packet of the stream with its frames. Packets of linear and fixed-packet sound
  // are cut to whole packets of the format (a packet holding none is passed over).
  Status Next(std::vector<UInt8>& data, SInt64& frames, Facts* facts = nullptr) {
    if (!Ready()) return Status::kError;
    AVFormatContext* ctx = demuxer_->Context();
    for (;;) {
      const int r = av_read_frame(ctx, packet_);
      if (r == AVERROR(EIO)) return Status::kError;
      if (r < 0) return Status::kEnd;
      if (packet_->stream_index != media_.streamIndex || packet_->size <= 0) {
        av_packet_unref(packet_);
        continue;
      }
      std::size_t size = std::size_t(packet_->size);
      if (media_.layout == SoundLayout::kVaryingPackets) {
        frames = PacketFrames(ctx->streams[media_.streamIndex]);
      } else {
        const std::size_t units = size / media_.bytesPerUnit;
        size = units * media_.bytesPerUnit;
        frames = SInt64(units) * media_.framesPerUnit;
      }
      if (size == 0) {
        av_packet_unref(packet_);
        continue;
      }
      data.assign(packet_->data, packet_->data + size);
      if (facts != nullptr) *facts = FactsOf(ctx->streams[media_.streamIndex]);
      av_packet_unref(packet_);
      return Status::kPacket;
    }
  }

  // Reading starts again at the beginning of the file.
  void Restart() {
    demuxer_.reset();
    failed_ = false;
  }

  // Read position of the linear and fixed-packet layouts: the packet in hand.
  std::vector<UInt8> current;
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
  bool Ready() {
    if (demuxer_ != nullptr) return true;
    if (failed_) return false;
    if (packet_ == nullptr) packet_ = av_packet_alloc();
    const MovieRecord* movie = media_.track->movie;
    demuxer_ = Demuxer::Open(movie->source, movie->nameHint);
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
    return true;
  }

  Facts FactsOf(const AVStream* st) const {
    Facts f;
    const AVRational frame{1, int(media_.rate)};
    if (packet_->pts != AV_NOPTS_VALUE) f.pts = av_rescale_q(packet_->pts, st->time_base, frame);
    f.decodedFrames = av_get_audio_frame_duration2(st->codecpar, packet_->size);
    std::size_t size = 0;
    const UInt8* skip = av_packet_get_side_data(packet_, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (skip != nullptr && size >= 8) {
      f.skipStart = sp::LoadLE32(skip);
      f.discardEnd = sp::LoadLE32(skip + 4);
    }
    return f;
  }

  SInt64 PacketFrames(const AVStream* st) const {
    if (packet_->duration > 0) {
      const SInt64 f =
          av_rescale_q(packet_->duration, st->time_base, AVRational{1, int(media_.rate)});
      if (f > 0) return f;
    }
    if (st->codecpar->frame_size > 0) return st->codecpar->frame_size;
    return SInt64(std::max<UInt32>(media_.sound.samplesPerPacket, 1));
  }

  const MediaRecord& media_;
  std::unique_ptr<Demuxer> demuxer_;
  AVPacket* packet_ = nullptr;
  bool failed_ = false;
};

namespace {

MediaReader& ReaderOf(MediaRecord& media) {
  if (media.reader == nullptr) media.reader.reset(new MediaReader(media));
  return *media.reader;
}

// The frames a varying-packet stream presents: from the first packet's time stamp past the
// frames it skips (negative times are the decoder's pre-roll) to the end of the last packet,
// less what that packet discards. A packet whose length the file already cut short (an edit
// list, an Ogg granule) discards nothing more. -1 when the packets carry no time stamps.
SInt64 PresentedFrames(const MediaReader::Facts& first, const MediaReader::Facts& last,
                       SInt64 lastFrames) {
  if (first.pts == MediaReader::kNoTime || last.pts == MediaReader::kNoTime) return -1;
  const SInt64 start = std::max<SInt64>(0, first.pts + first.skipStart);
  SInt64 lastPresented = lastFrames;
  if (last.decodedFrames > 0) {
    lastPresented = last.decodedFrames -
                    std::max(last.discardEnd, std::max<SInt64>(0, last.decodedFrames - lastFrames));
  }
  return last.pts + std::max<SInt64>(0, lastPresented) - start;
}

// Counts the stream's packets (and keeps their times for the varying layout) with a reader
// of its own. Times stop at the largest media time a TimeValue holds.
void Scan(MediaRecord& media) {
  if (media.scanned) return;
  media.scanned = true;
  MediaReader reader(media);
  std::vector<UInt8> data;
  SInt64 frames = 0;
  SInt64 total = 0;
  MediaReader::Facts facts, first, last;
  SInt64 lastFrames = 0;
  SInt64 skipped = 0;
  while (reader.Next(data, frames, &facts) == MediaReader::Status::kPacket) {
    if (total + frames > INT32_MAX) break;
    if (media.layout == SoundLayout::kVaryingPackets) {
      PacketEntry entry;
      entry.time = SInt32(total);
      entry.frames = SInt32(frames);
      media.packets.push_back(entry);
      if (media.packets.size() == 1) first = facts;
      last = facts;
      lastFrames = frames;
      skipped += facts.skipStart + facts.discardEnd;
    }
    total += frames;
  }
  media.scannedFrames = total;
  if (media.layout != SoundLayout::kVaryingPackets || media.packets.empty()) return;
  // The decoder is given no time stamps: it drops the frames the first packet skips.
  media.primingFrames = first.skipStart;
  SInt64 presented = PresentedFrames(first, last, lastFrames);
  if (presented <= 0 || presented > total) presented = total - skipped;
  media.presentedFrames = std::max<SInt64>(0, std::min(presented, total));
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
      Scan(media);
      params.primingFrames = UInt32(std::min<SInt64>(media.primingFrames, INT32_MAX));
      params.presentedFrames = UInt64(std::max<SInt64>(0, media.presentedFrames));
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
    // Formats whose packets have no set length (FLAC, Vorbis, ...): the first packet's
    // frames. Never 0: callers divide by it.
    Scan(media);
    d.samplesPerPacket = media.packets.empty() ? 1 : UInt32(media.packets.front().frames);
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
    const MediaReader::Status status = reader.Next(reader.current, frames);
    if (status != MediaReader::Status::kPacket) {
      reader.Restart();
      reader.haveCurrent = false;
      return status == MediaReader::Status::kError ? OSErr(ioErr) : OSErr(invalidTime);
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
    const UInt8* from = reader.current.data() + offset * bpu;
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
    if (reader.Next(reader.current, frames) != MediaReader::Status::kPacket) {
      reader.Restart();
      reader.haveCurrent = false;
      break;
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

// Varying-packet sound: the one packet holding `time`.
OSErr ReadPacketGroup(MediaRecord& media, SInt64 time, SInt32 maxSizeToGrow, Group& group) {
  Scan(media);
  if (time < 0 || time >= media.scannedFrames || media.packets.empty()) return invalidTime;
  auto it = std::upper_bound(media.packets.begin(), media.packets.end(), time,
                             [](SInt64 t, const PacketEntry& e) { return t < SInt64(e.time); });
  const std::size_t index = std::size_t(it - media.packets.begin()) - 1;
  MediaReader& reader = ReaderOf(media);
  if (reader.lastIndex != index) {
    if (index < reader.nextIndex) {
      reader.Restart();
      reader.nextIndex = 0;
    }
    SInt64 frames = 0;
    while (reader.nextIndex <= index) {
      const MediaReader::Status status = reader.Next(reader.last, frames);
      if (status != MediaReader::Status::kPacket) {
        reader.Restart();
        reader.nextIndex = 0;
        reader.lastIndex = SIZE_MAX;
        return status == MediaReader::Status::kError ? OSErr(ioErr) : OSErr(invalidTime);
      }
      reader.lastIndex = reader.nextIndex++;
    }
  }
  if (maxSizeToGrow > 0 && reader.last.size() > std::size_t(maxSizeToGrow))
    return maxSizeToGrowTooSmall;
  group.packet = &reader.last;
  group.time = media.packets[index].time;
  group.durationPerSample = media.packets[index].frames;
  group.count = 1;
  return noErr;
}

}  // namespace

SInt64 SoundMediaFrames(MediaRecord& media) {
  if (media.written != nullptr) return SInt64(media.written->duration);
  if (media.layout != SoundLayout::kVaryingPackets && media.statedFrames >= 0)
    return std::min<SInt64>(media.statedFrames, INT32_MAX);
  Scan(media);
  return media.presentedFrames >= 0 ? media.presentedFrames : media.scannedFrames;
}

SInt64 SoundMediaSampleCount(MediaRecord& media) {
  if (media.written != nullptr) return SInt64(media.written->sampleCount);
  if (media.layout != SoundLayout::kVaryingPackets) return SoundMediaFrames(media);
  Scan(media);
  return SInt64(media.packets.size());
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
