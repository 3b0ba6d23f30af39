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
#include "quicktime/detail/ByteSource.h"

namespace sp_platform {
namespace quicktime {

// One atom inside a byte range.
struct Atom {
  OSType type = 0;
  std::size_t start = 0;      // offset of its size field
  std::size_t dataStart = 0;  // offset of its contents
  std::size_t dataSize = 0;   // bytes of its contents
};

enum : std::size_t {
  kMaxAtomsPerList = 100000,       // atoms read from one list at most
  kMaxMovieAtomBytes = 64u << 20,  // a larger 'moov' is not read (its user data is lost)
};

// The atoms that fill bytes [begin, end), in order: a 32-bit size (counting the 8-byte
// header), a type, and the contents; size 1 is followed by a 64-bit size; size 0 ends the
// list (the terminator some writers put after their items). The list also ends when fewer
// than 8 bytes are left. An atom whose size is smaller than its header or larger than what
// is left of the range ends the list: false then, with the atoms before it kept.
bool ListAtoms(const UInt8* bytes, std::size_t begin, std::size_t end, std::vector<Atom>& out);

// The first atom of that type among `atoms`; null when none.
const Atom* FindAtom(const std::vector<Atom>& atoms, OSType type);

// International text: entries of a 16-bit byte count, a 16-bit language code and the text.
struct TextEntry {
  UInt16 language = 0;
  std::vector<UInt8> text;
};
// The entries of a text item's payload. False when the payload is no such list: an entry
// longer than what is left, or an item holding atoms ('data' after a size, the MPEG-4 form).
// One to three bytes left after the last entry are ignored.
bool ParseTextEntries(const std::vector<UInt8>& payload, std::vector<TextEntry>& out);
// The payload of these entries (texts over 65,535 bytes must not be given).
std::vector<UInt8> BuildTextEntries(const std::vector<TextEntry>& entries);
// The packed ISO 639-2/T code of a Mac language code's language ('und' for 0x7FFF), 0 when
// the table lacks it. Text in files is marked with either.
UInt16 PackedISOLanguageOfMacLanguage(UInt16 macLanguage);

// Inside a 'wave' extension: FFmpeg's set-up bytes of a codec that has no atom of its own
// (Vorbis, Opus, FLAC, ...), for the converter's decoder.
enum : OSType { kCodecSetupAtomType = SpFourCC("cset") };

// An atom's bytes: size, type and contents.
std::vector<UInt8> MakeAtom(OSType type, const std::vector<UInt8>& contents);
// An MPEG-4 'esds' atom for AAC: the elementary-stream descriptor holding a decoder
// configuration (object type 0x40, audio stream) with the AudioSpecificConfig bytes.
std::vector<UInt8> MakeEsdsAtom(const UInt8* config, std::size_t size, UInt32 averageBitRate,
                                UInt32 maxBitRate, UInt32 bufferSize);

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
};

// Reads the contents of a 'moov' atom (the bytes after its header).
void ReadMovieAtom(const UInt8* bytes, std::size_t size, MovieAtomInfo& out);

// Finds the top-level 'moov' atom of a file and reads it. False when the file has none that
// lies wholly inside it (or one larger than kMaxMovieAtomBytes); the walk stops at the first
// top-level atom whose size does not fit the file.
bool ReadMovieFileStructure(ByteSource& source, MovieAtomInfo& out);

}  // namespace quicktime
}  // namespace sp_platform
