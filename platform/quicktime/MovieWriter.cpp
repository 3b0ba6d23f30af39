// Writing movies: the movie file, its sound media and their sample tables, and the 'moov'
// atom at the end.

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "ByteOrder.h"
#include "Clock.h"
#include "Files.h"
#include "MacMemory.h"
#include "Movies.h"
#include "files/internal/FileLocations.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/MovieWriter.h"
#include "quicktime/internal/MovieWriterHooks.h"

namespace sp_platform {
namespace quicktime {
namespace {

// Sample bytes gathered before they are written, and the largest chunk the tables make of
// samples that follow each other in the file.
constexpr std::size_t kWriteBehindBytes = 1u << 20;
constexpr UInt64 kMaxChunkBytes = 256u << 10;
// Zero bytes a test asks to stand before the first sample (a file past 4 GiB without
// writing 4 GiB: the gap is a hole in the file).
UInt64 gPaddingForTesting = 0;

OSErr Result(OSErr err) {
  SetMoviesError(err);
  return err;
}

// ---- The sample entry of a description ------------------------------------------------------

// Reads a host-order SoundDescription (version 0, 1 or 2) and its extensions from the handle
// the caller gave. False for a handle too small for what its fields say.
struct DescribedSound {
  OSType format = 0;
  SInt16 version = 0;
  SInt16 channels = 0;
  SInt16 sampleSize = 0;
  SInt16 compressionID = 0;
  UnsignedFixed rate = 0;
  double rate64 = 0;
  UInt32 samplesPerPacket = 0;
  UInt32 bytesPerPacket = 0;
  UInt32 bytesPerFrame = 0;
  UInt32 bytesPerSample = 0;
  std::vector<UInt8> extensions;  // big-endian atoms
};

bool ReadDescription(Handle h, DescribedSound& out) {
  if (h == nullptr || *h == nullptr) return false;
  const std::size_t handleSize = std::size_t(std::max<Size>(GetHandleSize(h), 0));
  if (handleSize < sizeof(SoundDescription)) return false;
  SoundDescription d;
  std::memcpy(&d, *h, sizeof d);
  std::size_t fixed = sizeof(SoundDescription);
  if (d.version == 1) fixed = sizeof(SoundDescriptionV1);
  if (d.version == 2) fixed = 72;
  if (d.version < 0 || d.version > 2 || d.descSize < SInt32(fixed) ||
      std::size_t(d.descSize) > handleSize) {
    return false;
  }
  out.format = d.dataFormat;
  out.version = d.version;
  out.channels = d.numChannels;
  out.sampleSize = d.sampleSize;
  out.compressionID = d.compressionID;
  out.rate = d.sampleRate;
  out.rate64 = double(d.sampleRate) / 65536.0;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(*h);
  if (d.version == 1) {
    SoundDescriptionV1 v1;
    std::memcpy(&v1, bytes, sizeof v1);
    out.samplesPerPacket = v1.samplesPerPacket;
    out.bytesPerPacket = v1.bytesPerPacket;
    out.bytesPerFrame = v1.bytesPerFrame;
    out.bytesPerSample = v1.bytesPerSample;
  } else if (d.version == 2) {
    // The version 2 record: after the common fields, a 64-bit rate, the channels, the bits
    // of a linear sample, format flags, bytes and frames of a packet (host order).
    double rate = 0;
    UInt32 channels = 0, bits = 0, packetBytes = 0, packetFrames = 0;
    std::memcpy(&rate, bytes + 40, 8);
    std::memcpy(&channels, bytes + 48, 4);
    std::memcpy(&bits, bytes + 56, 4);
    std::memcpy(&packetBytes, bytes + 64, 4);
    std::memcpy(&packetFrames, bytes + 68, 4);
    out.rate64 = rate;
    out.channels = SInt16(std::min<UInt32>(channels, 0x7FFF));
    out.sampleSize = SInt16(std::min<UInt32>(bits, 0x7FFF));
    out.bytesPerFrame = packetBytes;
    out.samplesPerPacket = packetFrames;
  } else {
    out.samplesPerPacket = 1;
    out.bytesPerSample = UInt32(std::max<SInt16>(d.sampleSize, 8) / 8);
    out.bytesPerPacket = out.bytesPerSample;
    out.bytesPerFrame = out.bytesPerSample * UInt32(std::max<SInt16>(d.numChannels, 1));
  }
  out.extensions.assign(bytes + fixed, bytes + d.descSize);
  return true;
}

// The extensions as the file takes them: a 'wave' atom's stream parameters (ours, for our
// own converter) are taken out; the encoder's delay and a rate beyond 16.16 they tell are
// kept for the tables.
bool FileExtensions(const DescribedSound& d, std::vector<UInt8>& out, UInt32& priming,
                    double& rate) {
  out.clear();
  std::vector<Atom> atoms;
  const std::vector<UInt8>& ext = d.extensions;
  if (ext.empty()) return true;
  if (!ListAtoms(ext.data(), 0, ext.size(), atoms)) return false;
  for (const Atom& a : atoms) {
    const UInt8* start = ext.data() + a.start;
    const UInt8* end = ext.data() + a.dataStart + a.dataSize;
    if (a.type != SpFourCC("wave")) {
      out.insert(out.end(), start, end);
      continue;
    }
    DecompressionParams params;
    if (ReadDecompressionAtom(start, std::size_t(end - start), params) && params.hasStreamParams) {
      priming = params.stream.primingFrames;
      if (params.stream.rate != 0) rate = params.stream.rate;
    }
    std::vector<Atom> inner;
    if (!ListAtoms(ext.data(), a.dataStart, a.dataStart + a.dataSize, inner)) return false;
    std::vector<UInt8> kept;
    for (const Atom& i : inner) {
      if (i.type == kStreamParamsAtomType) continue;
      kept.insert(kept.end(), ext.data() + i.start, ext.data() + i.dataStart + i.dataSize);
    }
    // The terminator the list ends with (an atom of type 0) is kept by ListAtoms's callers
    // as eight bytes of its own.
    if (inner.empty() || inner.back().type != 0) kept.insert(kept.end(), {0, 0, 0, 8, 0, 0, 0, 0});
    const std::vector<UInt8> wave = MakeAtom(SpFourCC("wave"), kept);
    out.insert(out.end(), wave.begin(), wave.end());
  }
  return true;
}

// Format flags of a linear format in a version 2 entry.
UInt32 LinearFlags(OSType format) {
  constexpr UInt32 kFloat = 1, kBigEndian = 2, kSigned = 4, kPacked = 8;
  switch (format) {
    case kFloat32Format:
    case kFloat64Format:
      return kFloat | kBigEndian | kPacked;
    case k16BitLittleEndianFormat:
    case k32BitLittleEndianFormat:
      return kSigned | kPacked;
    case k8BitOffsetBinaryFormat:
      return kPacked;
    default:
      return kSigned | kBigEndian | kPacked;
  }
}

// The 'stsd' entry of a description; false for a description that cannot be written.
bool MakeEntry(Handle h, WrittenDescription& out) {
  DescribedSound d;
  if (!ReadDescription(h, d) || d.channels < 1) return false;
  out.source.assign(reinterpret_cast<const UInt8*>(*h),
                    reinterpret_cast<const UInt8*>(*h) + GetHandleSize(h));
  double rate = d.rate64;
  std::vector<UInt8> extensions;
  if (!FileExtensions(d, extensions, out.primingFrames, rate)) return false;
  out.varying = d.compressionID == variableCompression;
  if (d.compressionID == fixedCompression) {
    out.unitBytes = 1;
  } else if (!out.varying) {
    out.unitBytes = d.bytesPerFrame != 0
                        ? d.bytesPerFrame
                        : UInt32(std::max<SInt16>(d.sampleSize, 8) / 8) * UInt32(d.channels);
  }
  // A rate or channel count the older records cannot hold takes version 2.
  SInt16 version = d.version;
  if (rate >= 65536.0 || d.channels > 2) version = 2;
  sp::ByteWriter w;
  w.BE32(0);
  w.FourCC(d.format);
  w.Zeros(6);
  w.BE16(1);  // data reference 1: the movie's own file
  w.BE16(UInt16(version));
  w.BE16(0);  // revision
  w.BE32(0);  // vendor
  if (version == 2) {
    const bool linear = d.compressionID == notCompressed;
    w.BE16(3);
    w.BE16(16);
    w.BE16(0xFFFE);
    w.BE16(0);
    w.BE32(0x00010000);
    w.BE32(72);
    UInt64 bits = 0;
    std::memcpy(&bits, &rate, 8);
    w.BE64(bits);
    w.BE32(UInt32(d.channels));
    w.BE32(0x7F000000);
    w.BE32(linear ? UInt32(d.sampleSize) : 0);
    w.BE32(linear ? LinearFlags(d.format) : 0);
    w.BE32(out.varying ? 0 : (linear ? out.unitBytes : d.bytesPerFrame));
    w.BE32(out.varying ? d.samplesPerPacket : (linear ? 1 : d.samplesPerPacket));
  } else {
    w.BE16(UInt16(d.channels));
    w.BE16(UInt16(d.sampleSize));
    w.BE16(UInt16(d.compressionID));
    w.BE16(0);  // packet size
    w.BE32(rate < 65536.0 ? UInt32(rate * 65536.0 + 0.5) : 0);
    if (version == 1) {
      w.BE32(d.samplesPerPacket);
      w.BE32(d.bytesPerPacket);
      w.BE32(d.bytesPerFrame);
      w.BE32(d.bytesPerSample);
    }
  }
  w.Bytes(extensions.data(), extensions.size());
  w.PatchBE32(0, UInt32(w.Size()));
  out.entry = w.Data();
  return true;
}

// ---- Records --------------------------------------------------------------------------------

MovieRecord* WrittenMovieOf(Movie movie) {
  if (!IsLiveMovie(movie) || movie->written == nullptr) {
    SetMoviesError(invalidMovie);
    return nullptr;
  }
  return movie;
}

TrackRecord* WrittenTrackOf(Track track) {
  if (!IsLiveTrack(track) || track->written == nullptr) {
    SetMoviesError(invalidTrack);
    return nullptr;
  }
  return track;
}

MediaRecord* WrittenMediaOf(Media media) {
  if (!IsLiveMedia(media) || media->written == nullptr) {
    SetMoviesError(invalidMedia);
    return nullptr;
  }
  return media;
}

MovieFileWriter* WriterOfMovie(const MovieRecord& movie) {
  const MovieFile* file = FindMovieFile(movie.written->resRefNum);
  return file != nullptr ? file->writer.get() : nullptr;
}

// The index (from 1) of the description among the media's, added when it is new; 0 when it
// cannot be written.
UInt32 DescriptionIndex(WrittenMedia& media, Handle h) {
  const std::size_t size = std::size_t(std::max<Size>(GetHandleSize(h), 0));
  const UInt8* bytes = reinterpret_cast<const UInt8*>(*h);
  for (std::size_t i = 0; i < media.descriptions.size(); ++i) {
    const std::vector<UInt8>& s = media.descriptions[i].source;
    if (s.size() == size && std::equal(s.begin(), s.end(), bytes)) return UInt32(i + 1);
  }
  WrittenDescription d;
  if (!MakeEntry(h, d)) return 0;
  media.descriptions.push_back(std::move(d));
  return UInt32(media.descriptions.size());
}

void AddSizes(WrittenMedia& media, UInt32 size, UInt64 count) {
  if (!media.sizesVary && (media.sampleCount == 0 || size == media.commonSize)) {
    media.commonSize = size;
    return;
  }
  if (!media.sizesVary) {
    media.sizes.assign(std::size_t(media.sampleCount), media.commonSize);
    media.sizesVary = true;
  }
  media.sizes.insert(media.sizes.end(), std::size_t(count), size);
}

void AddTimes(WrittenMedia& media, UInt32 delta, UInt64 count) {
  while (count > 0) {
    const UInt32 n = UInt32(std::min<UInt64>(count, UINT32_MAX));
    if (!media.times.empty() && media.times.back().delta == delta &&
        media.times.back().count <= UINT32_MAX - n) {
      media.times.back().count += n;
    } else {
      media.times.push_back({n, delta});
    }
    count -= n;
  }
}

void AddChunk(WrittenMedia& media, UInt64 offset, UInt64 bytes, UInt32 samples, UInt32 desc) {
  if (!media.chunks.empty()) {
    WrittenMedia::Chunk& last = media.chunks.back();
    if (last.description == desc && last.offset + last.bytes == offset &&
        last.bytes + bytes <= kMaxChunkBytes && last.samples <= UINT32_MAX - samples) {
      last.bytes += bytes;
      last.samples += samples;
      return;
    }
  }
  media.chunks.push_back({offset, samples, desc, bytes});
}

OSErr AddSamples(MediaRecord& media, const UInt8* data, UInt64 size, SInt64 duration,
                 Handle description, SInt64 count, TimeValue64* sampleTime) {
  WrittenMedia& w = *media.written;
  if (!w.editing) return editingNotAllowed;
  if (data == nullptr || description == nullptr || *description == nullptr || count < 1 ||
      duration < 1 || size == 0 || size > UINT32_MAX) {
    return paramErr;
  }
  MovieRecord* movie = media.track != nullptr ? media.track->movie : nullptr;
  MovieFileWriter* writer = movie != nullptr ? WriterOfMovie(*movie) : nullptr;
  if (writer == nullptr || writer->Finished()) return notAllowedToSaveMovieErr;
  const UInt32 index = DescriptionIndex(w, description);
  if (index == 0) return paramErr;
  const WrittenDescription& d = w.descriptions[index - 1];
  // Samples must divide the bytes as their kind says.
  UInt32 unit = d.unitBytes;
  if (d.varying) {
    if (size % UInt64(count) != 0) return paramErr;
    unit = UInt32(size / UInt64(count));
  } else if (d.unitBytes > 1 && size != UInt64(count) * d.unitBytes) {
    return paramErr;
  }
  if (w.sampleCount + UInt64(count) > UINT32_MAX ||
      w.duration + UInt64(count) * UInt64(duration) > UInt64(INT32_MAX)) {
    return paramErr;
  }
  UInt64 offset = 0;
  if (OSErr err = writer->AppendSamples(data, std::size_t(size), &offset)) return err;
  if (sampleTime != nullptr) *sampleTime = TimeValue64(w.duration);
  AddChunk(w, offset, size, UInt32(count), index);
  AddSizes(w, unit, UInt64(count));
  AddTimes(w, UInt32(duration), UInt64(count));
  w.sampleCount += UInt64(count);
  w.duration += UInt64(count) * UInt64(duration);
  return noErr;
}

// ---- The 'moov' atom ----------------------------------------------------------------------

void Matrix(sp::ByteWriter& w) {
  const UInt32 m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
  for (UInt32 v : m) w.BE32(v);
}

std::vector<UInt8> FullAtom(OSType type, UInt8 version, UInt32 flags,
                            const std::vector<UInt8>& contents) {
  sp::ByteWriter body;
  body.BE32((UInt32(version) << 24) | (flags & 0xFFFFFF));
  body.Bytes(contents.data(), contents.size());
  return MakeAtom(type, body.Data());
}

void Append(std::vector<UInt8>& to, const std::vector<UInt8>& atom) {
  to.insert(to.end(), atom.begin(), atom.end());
}

std::vector<UInt8> HandlerAtom(OSType component, OSType subtype, const char* name) {
  sp::ByteWriter w;
  w.FourCC(component);
  w.FourCC(subtype);
  w.FourCC(SpFourCC("appl"));
  w.BE32(0);
  w.BE32(0);
  const std::size_t n = std::strlen(name);
  w.U8(UInt8(n));
  w.Bytes(name, n);
  return FullAtom(SpFourCC("hdlr"), 0, 0, w.Data());
}

std::vector<UInt8> SampleTableAtom(const WrittenMedia& m) {
  std::vector<UInt8> stbl;
  sp::ByteWriter stsd;
  stsd.BE32(UInt32(m.descriptions.size()));
  for (const WrittenDescription& d : m.descriptions) stsd.Bytes(d.entry.data(), d.entry.size());
  Append(stbl, FullAtom(SpFourCC("stsd"), 0, 0, stsd.Data()));

  sp::ByteWriter stts;
  stts.BE32(UInt32(m.times.size()));
  for (const WrittenMedia::TimeRun& r : m.times) {
    stts.BE32(r.count);
    stts.BE32(r.delta);
  }
  Append(stbl, FullAtom(SpFourCC("stts"), 0, 0, stts.Data()));

  sp::ByteWriter stsc;
  UInt32 runs = 0;
  stsc.BE32(0);
  for (std::size_t i = 0; i < m.chunks.size(); ++i) {
    const WrittenMedia::Chunk& c = m.chunks[i];
    if (i > 0 && m.chunks[i - 1].samples == c.samples &&
        m.chunks[i - 1].description == c.description) {
      continue;
    }
    stsc.BE32(UInt32(i + 1));
    stsc.BE32(c.samples);
    stsc.BE32(c.description);
    ++runs;
  }
  stsc.Data()[0] = UInt8(runs >> 24);
  stsc.Data()[1] = UInt8(runs >> 16);
  stsc.Data()[2] = UInt8(runs >> 8);
  stsc.Data()[3] = UInt8(runs);
  Append(stbl, FullAtom(SpFourCC("stsc"), 0, 0, stsc.Data()));

  sp::ByteWriter stsz;
  stsz.BE32(m.sizesVary ? 0 : m.commonSize);
  stsz.BE32(UInt32(m.sampleCount));
  for (UInt32 size : m.sizes) stsz.BE32(size);
  Append(stbl, FullAtom(SpFourCC("stsz"), 0, 0, stsz.Data()));

  const bool wide = !m.chunks.empty() && m.chunks.back().offset > UINT32_MAX;
  sp::ByteWriter offsets;
  offsets.BE32(UInt32(m.chunks.size()));
  for (const WrittenMedia::Chunk& c : m.chunks) {
    if (wide) {
      offsets.BE64(c.offset);
    } else {
      offsets.BE32(UInt32(c.offset));
    }
  }
  Append(stbl, FullAtom(wide ? SpFourCC("co64") : SpFourCC("stco"), 0, 0, offsets.Data()));
  return MakeAtom(SpFourCC("stbl"), stbl);
}

std::vector<UInt8> MediaAtom(const MediaRecord& media, UInt32 now) {
  const WrittenMedia& m = *media.written;
  std::vector<UInt8> mdia;
  const bool wide = m.duration > UINT32_MAX;
  sp::ByteWriter mdhd;
  if (wide) {
    mdhd.BE64(now);
    mdhd.BE64(now);
    mdhd.BE32(UInt32(media.timeScale));
    mdhd.BE64(m.duration);
  } else {
    mdhd.BE32(now);
    mdhd.BE32(now);
    mdhd.BE32(UInt32(media.timeScale));
    mdhd.BE32(UInt32(m.duration));
  }
  mdhd.BE16(0);  // language: English (a Mac language code)
  mdhd.BE16(0);  // quality
  Append(mdia, FullAtom(SpFourCC("mdhd"), wide ? 1 : 0, 0, mdhd.Data()));
  Append(mdia, HandlerAtom(SpFourCC("mhlr"), SoundMediaType, "Sound Media Handler"));

  std::vector<UInt8> minf;
  Append(minf, FullAtom(SpFourCC("smhd"), 0, 0, std::vector<UInt8>(4, 0)));
  Append(minf, HandlerAtom(SpFourCC("dhlr"), rAliasType, "Alias Data Handler"));
  sp::ByteWriter dref;
  dref.BE32(1);
  dref.Bytes(FullAtom(rAliasType, 0, 1, {}).data(), 12);  // flag 1: in this file
  Append(minf, MakeAtom(SpFourCC("dinf"), FullAtom(SpFourCC("dref"), 0, 0, dref.Data())));
  Append(minf, SampleTableAtom(m));
  Append(mdia, MakeAtom(SpFourCC("minf"), minf));
  return MakeAtom(SpFourCC("mdia"), mdia);
}

// The track's edits in the movie's time scale, an encoder's delay skipped by the first.
struct EditEntry {
  SInt64 duration;
  SInt64 mediaTime;
};

std::vector<EditEntry> EditsOf(const TrackRecord& track, TimeScale movieScale) {
  std::vector<EditEntry> out;
  const MediaRecord* media = track.media.get();
  const TimeScale mediaScale = media != nullptr ? media->timeScale : 0;
  if (mediaScale <= 0) return out;
  UInt32 priming = 0;
  if (media->written != nullptr && !media->written->descriptions.empty())
    priming = media->written->descriptions.front().primingFrames;
  SInt64 at = 0;
  bool first = true;
  for (const WrittenTrack::Edit& e : track.written->edits) {
    if (e.trackStart > at) out.push_back({e.trackStart - at, -1});
    SInt64 mediaTime = e.mediaTime;
    SInt64 duration = e.mediaDuration;
    if (first && mediaTime < SInt64(priming)) {
      const SInt64 skip = std::min<SInt64>(SInt64(priming) - mediaTime, duration);
      mediaTime += skip;
      duration -= skip;
    }
    first = false;
    const SInt64 movieDuration = duration * movieScale / mediaScale;
    out.push_back({movieDuration, mediaTime});
    at = std::max(at, e.trackStart) + movieDuration;
  }
  return out;
}

std::vector<UInt8> TrackAtom(const TrackRecord& track, UInt32 id, TimeScale movieScale, UInt32 now,
                             SInt64& trackDuration) {
  const WrittenTrack& t = *track.written;
  const std::vector<EditEntry> edits = EditsOf(track, movieScale);
  trackDuration = 0;
  for (const EditEntry& e : edits) trackDuration += e.duration;
  std::vector<UInt8> trak;
  sp::ByteWriter tkhd;
  tkhd.BE32(now);
  tkhd.BE32(now);
  tkhd.BE32(id);
  tkhd.BE32(0);
  tkhd.BE32(UInt32(std::min<SInt64>(trackDuration, UINT32_MAX)));
  tkhd.Zeros(8);
  tkhd.BE16(0);  // layer
  tkhd.BE16(0);  // alternate group
  tkhd.BE16(UInt16(t.volume));
  tkhd.BE16(0);
  Matrix(tkhd);
  tkhd.BE32(UInt32(t.width));
  tkhd.BE32(UInt32(t.height));
  // Enabled, in the movie, in its preview and its poster.
  Append(trak, FullAtom(SpFourCC("tkhd"), 0, track.enabled ? 0x0F : 0x0E, tkhd.Data()));
  if (!edits.empty()) {
    sp::ByteWriter elst;
    elst.BE32(UInt32(edits.size()));
    for (const EditEntry& e : edits) {
      elst.BE32(UInt32(std::min<SInt64>(e.duration, UINT32_MAX)));
      elst.BE32(UInt32(SInt32(e.mediaTime)));
      elst.BE32(0x00010000);
    }
    Append(trak, MakeAtom(SpFourCC("edts"), FullAtom(SpFourCC("elst"), 0, 0, elst.Data())));
  }
  if (track.media != nullptr && track.media->written != nullptr)
    Append(trak, MediaAtom(*track.media, now));
  return MakeAtom(SpFourCC("trak"), trak);
}

}  // namespace

// ---- The file ---------------------------------------------------------------------------------

OSErr MovieFileWriter::Start(SInt16 forkRefNum, std::unique_ptr<MovieFileWriter>& out) {
  std::unique_ptr<MovieFileWriter> w(new (std::nothrow) MovieFileWriter(forkRefNum));
  if (w == nullptr) {
    FSClose(forkRefNum);
    return memFullErr;
  }
  sp::ByteWriter head;
  head.BE32(20);
  head.FourCC(SpFourCC("ftyp"));
  head.FourCC(SpFourCC("qt  "));
  head.BE32(0x20050300);
  head.FourCC(SpFourCC("qt  "));
  w->wideStart_ = head.Size();
  head.BE32(8);
  head.FourCC(SpFourCC("wide"));
  w->mdatStart_ = head.Size();
  head.BE32(8);
  head.FourCC(SpFourCC("mdat"));
  if (OSErr err = w->WriteAt(0, head.Data().data(), head.Size())) return err;
  w->end_ = head.Size() + gPaddingForTesting;
  out = std::move(w);
  return noErr;
}

MovieFileWriter::~MovieFileWriter() {
  FSClose(fork_);
}

OSErr MovieFileWriter::WriteAt(UInt64 offset, const void* data, std::size_t size) {
  ByteCount actual = 0;
  OSErr err = FSWriteFork(fork_, fsFromStart, SInt64(offset), ByteCount(size), data, &actual);
  if (err == noErr && actual != size) err = ioErr;
  return err;
}

OSErr MovieFileWriter::FlushPending() {
  if (pending_.empty()) return noErr;
  OSErr err = WriteAt(end_, pending_.data(), pending_.size());
  if (err != noErr) return err;
  end_ += pending_.size();
  pending_.clear();
  return noErr;
}

OSErr MovieFileWriter::AppendSamples(const UInt8* data, std::size_t size, UInt64* offset) {
  if (finished_) return notAllowedToSaveMovieErr;
  const UInt64 at = DataEnd();
  if (pending_.size() + size > kWriteBehindBytes) {
    if (OSErr err = FlushPending()) return err;
  }
  if (size >= kWriteBehindBytes) {
    if (OSErr err = WriteAt(end_, data, size)) return err;
    end_ += size;
  } else {
    try {
      pending_.insert(pending_.end(), data, data + size);
    } catch (const std::bad_alloc&) {
      return memFullErr;
    }
  }
  *offset = at;
  return noErr;
}

OSErr MovieFileWriter::Finish(const std::vector<UInt8>& moov) {
  if (finished_) return dupFNErr;
  if (OSErr err = FlushPending()) return err;
  UInt8 header[16];
  const UInt64 mdatSize = end_ - mdatStart_;
  OSErr err = noErr;
  if (mdatSize <= UINT32_MAX) {
    sp::StoreBE32(header, UInt32(mdatSize));
    err = WriteAt(mdatStart_, header, 4);
  } else {
    // The 'wide' atom and the 8-byte header become one 64-bit header.
    sp::StoreBE32(header, 1);
    sp::StoreBE32(header + 4, SpFourCC("mdat"));
    sp::StoreBE64(header + 8, end_ - wideStart_);
    err = WriteAt(wideStart_, header, 16);
  }
  if (err == noErr) err = WriteAt(end_, moov.data(), moov.size());
  if (err != noErr) return err;
  end_ += moov.size();
  ParamBlockRec pb{};
  pb.ioParam.ioRefNum = fork_;
  if (OSErr flushed = PBFlushFileSync(&pb)) return flushed;
  finished_ = true;
  return noErr;
}

std::vector<UInt8> BuildMovieAtom(MovieRecord& movie) {
  UInt32 now = 0;
  GetDateTime(&now);
  std::vector<UInt8> traks;
  SInt64 longest = 0;
  UInt32 id = 0;
  for (auto& track : movie.tracks) {
    if (track->written == nullptr) continue;
    SInt64 duration = 0;
    Append(traks, TrackAtom(*track, ++id, movie.timeScale, now, duration));
    longest = std::max(longest, duration);
  }
  sp::ByteWriter mvhd;
  mvhd.BE32(now);
  mvhd.BE32(now);
  mvhd.BE32(UInt32(movie.timeScale));
  mvhd.BE32(UInt32(std::min<SInt64>(longest, UINT32_MAX)));
  mvhd.BE32(0x00010000);  // rate
  mvhd.BE16(0x0100);      // volume
  mvhd.Zeros(10);
  Matrix(mvhd);
  mvhd.Zeros(24);  // preview, poster, selection and current times
  mvhd.BE32(id + 1);
  std::vector<UInt8> moov;
  Append(moov, FullAtom(SpFourCC("mvhd"), 0, 0, mvhd.Data()));
  Append(moov, traks);
  if (movie.userData != nullptr && !movie.userData->Items().empty()) {
    Handle h = NewHandle(0);
    if (h != nullptr && PutUserDataIntoHandle(movie.userData, h) == noErr) {
      const UInt8* bytes = reinterpret_cast<const UInt8*>(*h);
      moov.insert(moov.end(), bytes, bytes + GetHandleSize(h));
    }
    if (h != nullptr) DisposeHandle(h);
  }
  return MakeAtom(SpFourCC("moov"), moov);
}

void SetMovieWriterPaddingForTesting(UInt64 bytes) {
  gPaddingForTesting = bytes;
}

}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

// ---- Calls ---------------------------------------------------------------------------------

OSErr CreateMovieFile(const FSSpec* fileSpec, OSType creator, ScriptCode scriptTag,
                      SInt32 createMovieFileFlags, SInt16* resRefNum, Movie* newmovie) {
  if (resRefNum != nullptr) *resRefNum = 0;
  if (newmovie != nullptr) *newmovie = nullptr;
  if (fileSpec == nullptr) return qt::Result(paramErr);
  const bool makeMovie = (createMovieFileFlags & createMovieFileDontCreateMovie) == 0;
  const bool openFile = (createMovieFileFlags & createMovieFileDontOpenFile) == 0;
  if ((makeMovie && newmovie == nullptr) || (openFile && resRefNum == nullptr))
    return qt::Result(paramErr);
  OSErr err = FSpCreate(fileSpec, creator, MovieFileType, scriptTag);
  if (err == dupFNErr && (createMovieFileFlags & createMovieFileDeleteCurFile) != 0) {
    err = FSpDelete(fileSpec);
    if (err == noErr) err = FSpCreate(fileSpec, creator, MovieFileType, scriptTag);
  }
  if (err != noErr || !openFile) return qt::Result(err);
  SInt16 fork = 0;
  std::unique_ptr<qt::MovieFileWriter> writer;
  err = FSpOpenDF(fileSpec, fsRdWrPerm, &fork);
  // The writer owns the fork from here on, whatever Start answers.
  if (err == noErr) err = qt::MovieFileWriter::Start(fork, writer);
  if (err != noErr) {
    // A file that cannot be written to is not left behind.
    FSpDelete(fileSpec);
    return qt::Result(err);
  }
  qt::MovieFile file;
  file.writer = std::shared_ptr<qt::MovieFileWriter>(std::move(writer));
  const SInt16 number = qt::AddMovieFile(file);
  if (number == 0) return qt::Result(tmfoErr);
  *resRefNum = number;
  if (!makeMovie) return qt::Result(noErr);
  auto* movie = new (std::nothrow) MovieRecord;
  if (movie == nullptr) return qt::Result(memFullErr);
  movie->written = std::make_shared<qt::WrittenMovie>();
  movie->written->resRefNum = number;
  movie->userData = qt::NewUserDataRecord(true);
  movie->active = true;
  qt::RegisterMovie(movie);
  *newmovie = movie;
  return qt::Result(noErr);
}

Track NewMovieTrack(Movie theMovie, Fixed width, Fixed height, SInt16 trackVolume) {
  MovieRecord* movie = qt::WrittenMovieOf(theMovie);
  if (movie == nullptr) return nullptr;
  auto* track = new (std::nothrow) TrackRecord;
  if (track == nullptr) {
    qt::SetMoviesError(memFullErr);
    return nullptr;
  }
  track->movie = movie;
  track->written = std::make_shared<qt::WrittenTrack>();
  track->written->width = width;
  track->written->height = height;
  track->written->volume = trackVolume;
  movie->tracks.emplace_back(track);
  qt::RegisterTrack(track);
  qt::SetMoviesError(noErr);
  return track;
}

Media NewTrackMedia(Track theTrack, OSType mediaType, TimeScale timeScale, Handle dataRef,
                    OSType dataRefType) {
  (void)dataRefType;
  TrackRecord* track = qt::WrittenTrackOf(theTrack);
  if (track == nullptr) return nullptr;
  if (mediaType != SoundMediaType) {
    qt::SetMoviesError(noMediaHandler);
    return nullptr;
  }
  if (timeScale <= 0 || dataRef != nullptr || track->media != nullptr) {
    qt::SetMoviesError(paramErr);
    return nullptr;
  }
  track->media.reset(new (std::nothrow) MediaRecord);
  if (track->media == nullptr) {
    qt::SetMoviesError(memFullErr);
    return nullptr;
  }
  MediaRecord& media = *track->media;
  media.track = track;
  media.mediaType = SoundMediaType;
  media.timeScale = timeScale;
  media.rate = UInt32(timeScale);
  media.written = std::make_shared<qt::WrittenMedia>();
  // The movie takes its first media's time scale, so that its edits fall on whole samples.
  MovieRecord& movie = *track->movie;
  bool first = true;
  for (auto& t : movie.tracks) {
    if (t.get() != track && t->media != nullptr) first = false;
  }
  if (first) movie.timeScale = timeScale;
  qt::RegisterTrack(track);
  qt::SetMoviesError(noErr);
  return &media;
}

OSErr BeginMediaEdits(Media theMedia) {
  MediaRecord* media = qt::WrittenMediaOf(theMedia);
  if (media == nullptr) return GetMoviesError();
  media->written->editing = true;
  return qt::Result(noErr);
}

OSErr EndMediaEdits(Media theMedia) {
  MediaRecord* media = qt::WrittenMediaOf(theMedia);
  if (media == nullptr) return GetMoviesError();
  media->written->editing = false;
  return qt::Result(noErr);
}

OSErr AddMediaSample(Media theMedia, Handle dataIn, SInt32 inOffset, UInt32 size,
                     TimeValue durationPerSample, SampleDescriptionHandle sampleDescriptionH,
                     SInt32 numberOfSamples, SInt16 sampleFlags, TimeValue* sampleTime) {
  (void)sampleFlags;
  MediaRecord* media = qt::WrittenMediaOf(theMedia);
  if (media == nullptr) return GetMoviesError();
  if (dataIn == nullptr || *dataIn == nullptr || inOffset < 0) return qt::Result(paramErr);
  TimeValue64 at = 0;
  OSErr err = noErr;
  try {
    err = qt::AddSamples(*media, reinterpret_cast<const UInt8*>(*dataIn) + inOffset, size,
                         durationPerSample, reinterpret_cast<Handle>(sampleDescriptionH),
                         numberOfSamples, &at);
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  if (err == noErr && sampleTime != nullptr) *sampleTime = TimeValue(at);
  return qt::Result(err);
}

OSErr AddMediaSample2(Media theMedia, const UInt8* dataIn, ByteCount size,
                      TimeValue64 decodeDurationPerSample, TimeValue64 displayOffset,
                      SampleDescriptionHandle sampleDescriptionH, ItemCount numberOfSamples,
                      MediaSampleFlags sampleFlags, TimeValue64* sampleDecodeTimeOut) {
  (void)sampleFlags;
  MediaRecord* media = qt::WrittenMediaOf(theMedia);
  if (media == nullptr) return GetMoviesError();
  if (displayOffset != 0 || decodeDurationPerSample > INT32_MAX) return qt::Result(paramErr);
  OSErr err = noErr;
  try {
    err = qt::AddSamples(*media, dataIn, size, decodeDurationPerSample,
                         reinterpret_cast<Handle>(sampleDescriptionH), SInt64(numberOfSamples),
                         sampleDecodeTimeOut);
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  return qt::Result(err);
}

OSErr InsertMediaIntoTrack(Track theTrack, TimeValue trackStart, TimeValue mediaTime,
                           TimeValue mediaDuration, Fixed mediaRate) {
  TrackRecord* track = qt::WrittenTrackOf(theTrack);
  if (track == nullptr) return GetMoviesError();
  MediaRecord* media = track->media.get();
  if (media == nullptr) return qt::Result(invalidMedia);
  if (mediaRate != 0x00010000 || trackStart < 0 || mediaTime < 0 || mediaDuration < 0 ||
      UInt64(mediaTime) + UInt64(mediaDuration) > media->written->duration) {
    return qt::Result(paramErr);
  }
  try {
    track->written->edits.push_back({trackStart, mediaTime, mediaDuration});
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr AddMovieResource(Movie theMovie, SInt16 resRefNum, SInt16* resId, ConstStr255Param resName) {
  (void)resName;
  MovieRecord* movie = qt::WrittenMovieOf(theMovie);
  if (movie == nullptr) return GetMoviesError();
  const qt::MovieFile* file = qt::FindMovieFile(resRefNum);
  if (file == nullptr || file->writer == nullptr) return qt::Result(rfNumErr);
  if (file->writer->Finished()) return qt::Result(dupFNErr);
  OSErr err = noErr;
  try {
    err = file->writer->Finish(qt::BuildMovieAtom(*movie));
  } catch (const std::bad_alloc&) {
    err = memFullErr;
  }
  if (err == noErr && resId != nullptr) *resId = movieInDataForkResID;
  return qt::Result(err);
}
