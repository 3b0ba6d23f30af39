// QuickTime atoms: the layer's own reader of movie-file structure, used where FFmpeg's view
// of a file loses what the program needs (the raw user data items, the 'meta' item,
// protected sample entries), and the atom builders shared with the movie writer. Every byte
// is untrusted: each atom's size is checked against its parent and the file before it is
// used. Not for the program's own code.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "MacTypes.h"
#include "quicktime/UserData.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/SoundFormats.h"

namespace sp_platform {
namespace quicktime {

// The reader of atoms and text entries is public (UserData.h); the layer uses it by these names.
using sp::quicktime::Atom;
using sp::quicktime::FindAtom;
using sp::quicktime::kMaxAtomsPerList;
using sp::quicktime::ListAtoms;
using sp::quicktime::TextEntry;

enum : std::size_t {
  kMaxMovieAtomBytes = 64u << 20,  // a larger 'moov' is not read (its user data is lost)
};

inline bool ParseTextEntries(const std::vector<UInt8>& payload, std::vector<TextEntry>& out) {
  return sp::quicktime::ParseTextEntries(payload.data(), payload.size(), out);
}
// The payload of these entries (texts over 65,535 bytes must not be given).
std::vector<UInt8> BuildTextEntries(const std::vector<TextEntry>& entries);
// The packed ISO 639-2/T code of a Mac language code's language ('und' for 0x7FFF), 0 when
// the table lacks it. Text in files is marked with either.
UInt16 PackedISOLanguageOfMacLanguage(UInt16 macLanguage);

// Inside a 'wave' extension: FFmpeg's set-up bytes of a codec that has no atom of its own
// (Vorbis, Opus, FLAC, ...), for the converter's decoder.
enum : OSType { kCodecSetupAtomType = SpFourCC("cset") };

// Inside a 'wave' extension: what the converter's decoder needs of the stream beyond its
// description: its sample rate in hertz (a 16.16 rate cannot hold 65,536 Hz and above), the
// bytes of one block of a block-aligned codec, the decoded frames before the first one the
// stream presents (the encoder's delay) and the frames it presents (0: all it decodes to);
// in its version 1 also the frames decoded after those (the encoder's padding), with which the
// frames presented are exact even when they are 0; in its version 2 also the frames dropped
// amid the sound (a count, then each cut's first frame and frames), in order.
enum : OSType { kStreamParamsAtomType = SpFourCC("strp") };
struct StreamParams {
  UInt32 rate = 0;
  UInt32 blockAlign = 0;
  UInt32 primingFrames = 0;
  UInt64 presentedFrames = 0;
  SInt64 paddingFrames = -1;  // -1: not known (version 0)
  std::vector<FrameCut> cuts;  // at most kMostFrameCuts, in order, none overlapping
};
std::vector<UInt8> MakeStreamParamsAtom(const StreamParams& params);

// Inside a 'wave' atom given to an encoding converter: how the encoder works, as the
// standard sound compression dialog chose it (its 'cdec' settings): a bit rate in bits per
// second (0: the encoder's own), a quality from 1 to 100 (0: none) and whether the encoder
// varies its bit rate (it then works to the quality).
enum : OSType { kEncoderSettingsAtomType = SpFourCC("sset") };
struct EncoderSettings {
  UInt32 bitRate = 0;
  UInt32 quality = 0;
  bool variable = false;
};
std::vector<UInt8> MakeEncoderSettingsAtom(const EncoderSettings& settings);

// What a decompression ('wave') atom tells a decoder.
struct DecompressionParams {
  OSType format = 0;               // from 'frma'; 0 when absent
  bool littleEndian = false;       // 'enda' set
  std::vector<UInt8> codecConfig;  // 'esds' (its AudioSpecificConfig), 'alac' (the atom), 'cset'
  bool hasStreamParams = false;
  StreamParams stream;
  bool hasEncoderSettings = false;
  EncoderSettings encoder;
};
// Reads a whole 'wave' atom (size, type, contents) of `size` bytes at most. False when it is
// no 'wave' atom or one of its atoms is malformed.
bool ReadDecompressionAtom(const UInt8* bytes, std::size_t size, DecompressionParams& out);

// An atom's bytes: size, type and contents.
std::vector<UInt8> MakeAtom(OSType type, const std::vector<UInt8>& contents);
// An MPEG-4 'esds' atom for AAC: the elementary-stream descriptor holding a decoder
// configuration (object type 0x40, audio stream) with the AudioSpecificConfig bytes.
std::vector<UInt8> MakeEsdsAtom(const UInt8* config, std::size_t size, UInt32 averageBitRate,
                                UInt32 maxBitRate, UInt32 bufferSize);

// A track of a 'moov' atom as its handler and first sample entry state it.
struct MovieTrackInfo {
  OSType handler = 0;  // the media handler's type ('soun', 'vide', ...); 0 without one
  OSType format = 0;   // the first sample entry's type; 0 without one
  // For an 'mp4a' entry with an 'esds' atom: its object type indication and the
  // AudioSpecificConfig bytes (hasEsds false when the atom is missing or malformed).
  bool hasEsds = false;
  UInt8 objectType = 0;
  std::vector<UInt8> config;
};

// What the layer reads from a movie file's 'moov' atom.
struct MovieAtomInfo {
  bool hasMovieHeader = false;
  UInt32 timeScale = 0;
  UInt64 duration = 0;
  // The items of 'moov'/'udta', in order (items of several 'udta' atoms one after the other).
  std::vector<std::pair<OSType, std::vector<UInt8>>> userData;
  // A sample entry of a track is protected ('drms', 'drmi', 'enca', 'encv', 'p608', or it
  // carries a 'sinf' protection scheme).
  bool isProtected = false;
  // Its tracks in order, kMaxMovieTracks at most (tracksComplete false when it has more).
  std::vector<MovieTrackInfo> tracks;
  bool tracksComplete = true;
};
enum : std::size_t { kMaxMovieTracks = 64 };

// Reads the contents of a 'moov' atom (the bytes after its header).
void ReadMovieAtom(const UInt8* bytes, std::size_t size, MovieAtomInfo& out);

// Finds the top-level 'moov' atom of a file and reads it. False when the file has none that
// lies wholly inside it (or one larger than kMaxMovieAtomBytes); the walk stops at the first
// top-level atom whose size does not fit the file.
bool ReadMovieFileStructure(ByteSource& source, MovieAtomInfo& out);

}  // namespace quicktime
}  // namespace sp_platform
