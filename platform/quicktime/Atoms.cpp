// The layer's reader of QuickTime atoms and its atom builders.

#include "quicktime/detail/Atoms.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "ByteOrder.h"
#include "Sound.h"

namespace sp {
namespace quicktime {

bool ListAtoms(const UInt8* bytes, std::size_t begin, std::size_t end, std::vector<Atom>& out) {
  if (bytes == nullptr || begin > end) return false;
  std::size_t pos = begin;
  std::size_t count = 0;
  while (end - pos >= 8) {
    if (++count > kMaxAtomsPerList) return false;
    UInt64 size = sp::LoadBE32(bytes + pos);
    const OSType type = sp::LoadBE32(bytes + pos + 4);
    std::size_t header = 8;
    if (size == 0) return true;
    if (size == 1) {
      if (end - pos < 16) return false;
      size = sp::LoadBE64(bytes + pos + 8);
      header = 16;
    }
    if (size < header || size > UInt64(end - pos)) return false;
    Atom atom;
    atom.type = type;
    atom.start = pos;
    atom.dataStart = pos + header;
    atom.dataSize = std::size_t(size) - header;
    out.push_back(atom);
    pos += std::size_t(size);
  }
  return true;
}

const Atom* FindAtom(const std::vector<Atom>& atoms, OSType type) {
  for (const Atom& a : atoms) {
    if (a.type == type) return &a;
  }
  return nullptr;
}

bool ParseTextEntries(const UInt8* payload, std::size_t size, std::vector<TextEntry>& out) {
  out.clear();
  sp::ByteReader r(payload, size);
  {
    // An MPEG-4 item holds a 'data' atom, whose size fits the item; text entries whose first
    // text merely starts with "data" have their length and language there instead.
    sp::ByteReader atom = r;
    const UInt32 atomSize = atom.BE32();
    if (atom.FourCC() == SpFourCC("data") && atom.Ok() && atomSize >= 8 && atomSize <= size) {
      return false;
    }
  }
  while (r.Remaining() >= 4) {
    TextEntry entry;
    const UInt16 length = r.BE16();
    entry.language = r.BE16();
    if (!r.Bytes(entry.text, length)) {
      out.clear();
      return false;
    }
    out.push_back(std::move(entry));
  }
  return true;
}

}  // namespace quicktime
}  // namespace sp

namespace sp_platform {
namespace quicktime {
namespace {

bool ReadFully(ByteSource& source, UInt64 offset, void* buffer, std::size_t count) {
  UInt8* out = static_cast<UInt8*>(buffer);
  while (count > 0) {
    const long n = source.ReadAt(offset, out, count);
    if (n <= 0) return false;
    out += n;
    offset += UInt64(n);
    count -= std::size_t(n);
  }
  return true;
}

bool IsProtectedEntryType(OSType type) {
  switch (type) {
    case SpFourCC("drms"):  // protected sound and video of online stores
    case SpFourCC("drmi"):
    case SpFourCC("enca"):  // common-encryption sample entries
    case SpFourCC("encv"):
    case SpFourCC("encs"):
    case SpFourCC("enct"):
    case SpFourCC("p608"):
      return true;
    default:
      return false;
  }
}

// A 'sinf' (protection scheme) atom anywhere in a sample entry: its position differs with
// the entry's kind and version, so every place where its type could stand is tried, and
// one whose size fits the entry counts.
bool EntryCarriesProtectionScheme(const UInt8* bytes, const Atom& entry) {
  const std::size_t end = entry.dataStart + entry.dataSize;
  for (std::size_t p = entry.dataStart; p + 8 <= end; ++p) {
    if (sp::LoadBE32(bytes + p + 4) != SpFourCC("sinf")) continue;
    const UInt32 size = sp::LoadBE32(bytes + p);
    if (size >= 8 && size <= end - p) return true;
  }
  return false;
}

// The atom at the end of a path of types below `from`: one level of atoms at a time, so
// nesting never goes deeper than the path.
bool FindPath(const UInt8* bytes, const Atom& from, std::initializer_list<OSType> path,
              Atom& out) {
  Atom current = from;
  for (OSType type : path) {
    std::vector<Atom> children;
    ListAtoms(bytes, current.dataStart, current.dataStart + current.dataSize, children);
    const Atom* next = FindAtom(children, type);
    if (next == nullptr) return false;
    current = *next;
  }
  out = current;
  return true;
}

// The sample entries of a trak's stsd (after its version and flags and entry count).
std::vector<Atom> SampleEntries(const UInt8* bytes, const Atom& trak) {
  std::vector<Atom> entries;
  Atom stsd;
  if (FindPath(bytes, trak,
               {SpFourCC("mdia"), SpFourCC("minf"), SpFourCC("stbl"), SpFourCC("stsd")}, stsd) &&
      stsd.dataSize >= 8)
    ListAtoms(bytes, stsd.dataStart + 8, stsd.dataStart + stsd.dataSize, entries);
  return entries;
}

bool TrackIsProtected(const UInt8* bytes, const std::vector<Atom>& entries) {
  for (const Atom& entry : entries) {
    if (IsProtectedEntryType(entry.type) || EntryCarriesProtectionScheme(bytes, entry)) return true;
  }
  return false;
}

bool ReadEsdsConfig(const UInt8* contents, std::size_t size, std::vector<UInt8>& config,
                    UInt8* objectType);

// Bytes of a sound sample entry before its atoms: the general entry's 8, then 20 of the
// sound description of version 0, 36 of version 1, 56 of version 2.
std::size_t SoundEntryHeaderBytes(const UInt8* bytes, const Atom& entry) {
  if (entry.dataSize < 10) return 0;
  switch (sp::LoadBE16(bytes + entry.dataStart + 8)) {
    case 0:
      return 28;
    case 1:
      return 44;
    case 2:
      return 64;
    default:
      return 0;
  }
}

MovieTrackInfo TrackInfo(const UInt8* bytes, const Atom& trak,
                         const std::vector<Atom>& entries) {
  MovieTrackInfo track;
  Atom hdlr;
  // hdlr: version and flags, the component type, then the handler's type.
  if (FindPath(bytes, trak, {SpFourCC("mdia"), SpFourCC("hdlr")}, hdlr) && hdlr.dataSize >= 12)
    track.handler = sp::LoadBE32(bytes + hdlr.dataStart + 8);
  if (entries.empty()) return track;
  const Atom& entry = entries.front();
  track.format = entry.type;
  const std::size_t header = SoundEntryHeaderBytes(bytes, entry);
  if (entry.type != SpFourCC("mp4a") || header == 0 || header > entry.dataSize) return track;
  std::vector<Atom> children;
  ListAtoms(bytes, entry.dataStart + header, entry.dataStart + entry.dataSize, children);
  const Atom* esds = FindAtom(children, SpFourCC("esds"));
  track.hasEsds = esds != nullptr && ReadEsdsConfig(bytes + esds->dataStart, esds->dataSize,
                                                    track.config, &track.objectType);
  return track;
}

void PutDescriptorLength(sp::ByteWriter& w, std::size_t n) {
  // The four-byte form, as movie writers commonly use it.
  w.U8(UInt8(0x80 | ((n >> 21) & 0x7F)));
  w.U8(UInt8(0x80 | ((n >> 14) & 0x7F)));
  w.U8(UInt8(0x80 | ((n >> 7) & 0x7F)));
  w.U8(UInt8(n & 0x7F));
}

}  // namespace

std::vector<UInt8> BuildTextEntries(const std::vector<TextEntry>& entries) {
  sp::ByteWriter w;
  for (const TextEntry& e : entries) {
    w.BE16(UInt16(e.text.size()));
    w.BE16(e.language);
    w.Bytes(e.text.data(), e.text.size());
  }
  return w.Data();
}

UInt16 PackedISOLanguageOfMacLanguage(UInt16 macLanguage) {
  // Mac language codes 0 to 23 in order, as ISO 639-2/T codes.
  static const char* const kCodes[] = {"eng", "fra", "deu", "ita", "nld", "swe", "spa", "dan",
                                       "por", "nor", "heb", "jpn", "ara", "fin", "ell", "isl",
                                       "mlt", "tur", "hrv", "zho", "urd", "hin", "tha", "kor"};
  const char* code = nullptr;
  if (macLanguage < sizeof(kCodes) / sizeof(kCodes[0])) code = kCodes[macLanguage];
  if (macLanguage == 0x7FFF) code = "und";
  if (code == nullptr) return 0;
  return UInt16(((code[0] - 0x60) << 10) | ((code[1] - 0x60) << 5) | (code[2] - 0x60));
}

std::vector<UInt8> MakeAtom(OSType type, const std::vector<UInt8>& contents) {
  sp::ByteWriter w;
  w.BE32(UInt32(contents.size() + 8));
  w.FourCC(type);
  w.Bytes(contents.data(), contents.size());
  return w.Data();
}

std::vector<UInt8> MakeEsdsAtom(const UInt8* config, std::size_t size, UInt32 averageBitRate,
                                UInt32 maxBitRate, UInt32 bufferSize) {
  sp::ByteWriter specific;  // DecoderSpecificInfo
  specific.U8(0x05);
  PutDescriptorLength(specific, size);
  specific.Bytes(config, size);

  sp::ByteWriter decoder;  // DecoderConfigDescriptor
  decoder.U8(0x04);
  PutDescriptorLength(decoder, 13 + specific.Size());
  decoder.U8(0x40);             // MPEG-4 audio
  decoder.U8((0x05 << 2) | 1);  // audio stream, upstream 0, reserved 1
  decoder.BE24(bufferSize & 0xFFFFFFu);
  decoder.BE32(maxBitRate);
  decoder.BE32(averageBitRate);
  decoder.Bytes(specific.Data().data(), specific.Size());

  sp::ByteWriter es;  // ES_Descriptor
  es.U8(0x03);
  PutDescriptorLength(es, 3 + decoder.Size() + 6);
  es.BE16(0);  // ES id
  es.U8(0);    // no dependency, URL or OCR stream
  es.Bytes(decoder.Data().data(), decoder.Size());
  es.U8(0x06);  // SLConfigDescriptor: predefined for MP4 files
  PutDescriptorLength(es, 1);
  es.U8(0x02);

  sp::ByteWriter contents;
  contents.BE32(0);  // version and flags
  contents.Bytes(es.Data().data(), es.Size());
  return MakeAtom(SpFourCC("esds"), contents.Data());
}

namespace {

// An MPEG-4 descriptor's length: up to four bytes of seven bits each.
std::size_t ReadDescriptorLength(sp::ByteReader& r) {
  std::size_t n = 0;
  for (int i = 0; i < 4; ++i) {
    const UInt8 b = r.U8();
    n = (n << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) break;
  }
  return n;
}

// The AudioSpecificConfig of an 'esds' atom's contents (after its version and flags), and
// the decoder configuration's object type indication.
bool ReadEsdsConfig(const UInt8* contents, std::size_t size, std::vector<UInt8>& config,
                    UInt8* objectType) {
  sp::ByteReader r(contents, size);
  r.Skip(4);
  if (r.U8() != 0x03) return false;  // ES_Descriptor
  ReadDescriptorLength(r);
  r.Skip(2);
  const UInt8 flags = r.U8();
  if (flags & 0x80) r.Skip(2);
  if (flags & 0x40) r.Skip(r.U8());
  if (flags & 0x20) r.Skip(2);
  if (r.U8() != 0x04) return false;  // DecoderConfigDescriptor
  ReadDescriptorLength(r);
  const UInt8 indication = r.U8();
  if (objectType != nullptr) *objectType = indication;
  r.Skip(12);
  if (r.U8() != 0x05) return false;  // DecoderSpecificInfo
  const std::size_t length = ReadDescriptorLength(r);
  return r.Bytes(config, length) && r.Ok();
}

}  // namespace

std::vector<UInt8> MakeStreamParamsAtom(const StreamParams& params) {
  sp::ByteWriter w;
  const bool cut = !params.cuts.empty() && params.cuts.size() <= kMostFrameCuts;
  const bool padded = params.paddingFrames >= 0 || cut;
  w.BE32(cut ? 0x02000000u : padded ? 0x01000000u : 0u);  // version and flags
  w.BE32(params.rate);
  w.BE32(params.blockAlign);
  w.BE32(params.primingFrames);
  w.BE64(params.presentedFrames);
  // Version 2 keeps "not known" as all ones.
  if (padded)
    w.BE32(params.paddingFrames < 0 ? UINT32_MAX
                                    : UInt32(std::min<SInt64>(params.paddingFrames, UINT32_MAX - 1)));
  if (cut) {
    w.BE32(UInt32(params.cuts.size()));
    for (const FrameCut& c : params.cuts) {
      w.BE64(c.at);
      w.BE32(c.frames);
    }
  }
  return MakeAtom(kStreamParamsAtomType, w.Data());
}

std::vector<UInt8> MakeEncoderSettingsAtom(const EncoderSettings& settings) {
  sp::ByteWriter w;
  w.BE32(0);  // version and flags
  w.BE32(settings.bitRate);
  w.BE32(settings.quality);
  w.U8(settings.variable ? 1 : 0);
  return MakeAtom(kEncoderSettingsAtomType, w.Data());
}

bool ReadDecompressionAtom(const UInt8* bytes, std::size_t size, DecompressionParams& out) {
  out = DecompressionParams();
  if (bytes == nullptr || size < 8) return false;
  const std::size_t waveSize = sp::LoadBE32(bytes);
  if (sp::LoadBE32(bytes + 4) != SpFourCC("wave") || waveSize < 8 || waveSize > size) return false;
  std::vector<Atom> atoms;
  if (!ListAtoms(bytes, 8, waveSize, atoms)) return false;
  for (const Atom& a : atoms) {
    const UInt8* data = bytes + a.dataStart;
    sp::ByteReader r(data, a.dataSize);
    switch (a.type) {
      case kAudioFormatAtomType:
        out.format = r.BE32();
        break;
      case kAudioEndianAtomType:
        out.littleEndian = (r.BE16() & 1) != 0;
        break;
      case SpFourCC("esds"):
        if (!ReadEsdsConfig(data, a.dataSize, out.codecConfig, nullptr)) return false;
        break;
      case kALACFormat:
        // The ALAC decoder takes the whole atom as its configuration.
        out.codecConfig.assign(bytes + a.start, data + a.dataSize);
        break;
      case kCodecSetupAtomType:
        out.codecConfig.assign(data, data + a.dataSize);
        break;
      case kStreamParamsAtomType: {
        const UInt32 version = r.BE32() >> 24;
        out.stream.rate = r.BE32();
        out.stream.blockAlign = r.BE32();
        out.stream.primingFrames = r.BE32();
        out.stream.presentedFrames = r.BE64();
        if (version >= 1) out.stream.paddingFrames = r.BE32();
        if (version >= 2 && out.stream.paddingFrames == SInt64(UINT32_MAX))
          out.stream.paddingFrames = -1;
        if (version >= 2) {
          // Each cut in order after the one before: a list out of order or too long is no
          // list of this writer's.
          const UInt32 count = r.BE32();
          if (!r.Ok() || count == 0 || count > kMostFrameCuts) return false;
          UInt64 after = 0;
          for (UInt32 i = 0; i < count && r.Ok(); ++i) {
            FrameCut c;
            c.at = r.BE64();
            c.frames = r.BE32();
            if (c.at < after || c.frames == 0 || c.at > UINT64_MAX - c.frames) return false;
            after = c.at + c.frames;
            out.stream.cuts.push_back(c);
          }
        }
        out.hasStreamParams = r.Ok();
        break;
      }
      case kEncoderSettingsAtomType:
        r.Skip(4);
        out.encoder.bitRate = r.BE32();
        out.encoder.quality = std::min<UInt32>(r.BE32(), 100);
        out.encoder.variable = r.U8() != 0;
        out.hasEncoderSettings = r.Ok();
        break;
      default:
        break;
    }
    if (!r.Ok()) return false;
  }
  return true;
}

void ReadMovieAtom(const UInt8* bytes, std::size_t size, MovieAtomInfo& out) {
  std::vector<Atom> children;
  ListAtoms(bytes, 0, size, children);
  for (const Atom& child : children) {
    switch (child.type) {
      case SpFourCC("mvhd"): {
        sp::ByteReader r(bytes + child.dataStart, child.dataSize);
        const UInt8 version = r.U8();
        r.Skip(3);
        UInt32 scale = 0;
        UInt64 duration = 0;
        if (version == 1) {
          r.Skip(16);
          scale = r.BE32();
          duration = r.BE64();
        } else {
          r.Skip(8);
          scale = r.BE32();
          duration = r.BE32();
        }
        if (r.Ok() && scale != 0 && !out.hasMovieHeader) {
          out.hasMovieHeader = true;
          out.timeScale = scale;
          out.duration = duration;
        }
        break;
      }
      case SpFourCC("udta"): {
        std::vector<Atom> items;
        ListAtoms(bytes, child.dataStart, child.dataStart + child.dataSize, items);
        for (const Atom& item : items) {
          const UInt8* p = bytes + item.dataStart;
          out.userData.emplace_back(item.type, std::vector<UInt8>(p, p + item.dataSize));
        }
        break;
      }
      case SpFourCC("trak"): {
        const std::vector<Atom> entries = SampleEntries(bytes, child);
        if (TrackIsProtected(bytes, entries)) out.isProtected = true;
        if (out.tracks.size() < kMaxMovieTracks) {
          out.tracks.push_back(TrackInfo(bytes, child, entries));
        } else {
          out.tracksComplete = false;
        }
        break;
      }
      default:
        break;
    }
  }
}

bool ReadMovieFileStructure(ByteSource& source, MovieAtomInfo& out) {
  const UInt64 fileSize = source.Size();
  UInt64 pos = 0;
  for (std::size_t count = 0; count < kMaxAtomsPerList && fileSize - pos >= 8; ++count) {
    UInt8 header[16];
    if (!ReadFully(source, pos, header, 8)) return false;
    UInt64 size = sp::LoadBE32(header);
    const OSType type = sp::LoadBE32(header + 4);
    UInt64 headerSize = 8;
    if (size == 1) {
      if (fileSize - pos < 16 || !ReadFully(source, pos + 8, header + 8, 8)) return false;
      size = sp::LoadBE64(header + 8);
      headerSize = 16;
    } else if (size == 0) {
      size = fileSize - pos;  // the last atom of the file
    }
    if (size < headerSize || size > fileSize - pos) return false;
    if (type == SpFourCC("moov")) {
      const UInt64 contents = size - headerSize;
      if (contents > kMaxMovieAtomBytes) return false;
      std::vector<UInt8> bytes(std::size_t(contents), 0);
      if (!bytes.empty() && !ReadFully(source, pos + headerSize, bytes.data(), bytes.size()))
        return false;
      ReadMovieAtom(bytes.data(), bytes.size(), out);
      return true;
    }
    pos += size;
  }
  return false;
}

}  // namespace quicktime
}  // namespace sp_platform
