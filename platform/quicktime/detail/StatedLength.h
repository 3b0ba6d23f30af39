// A compressed sound stream's length as its file states it, read without decoding: FLAC's
// STREAMINFO, an MP3's encoder tag (or its frame headers), an Ogg stream's first and last
// pages, an MPEG-4 movie's sample index. Not for the program's own code.
//
// The lengths are those FFmpeg's decoder presents as the Sound Converter uses it: every frame
// the decoder gives, less what FFmpeg trims at the start (an encoder's delay, a pre-skip) and
// at the end (padding). A reader answers false when the file does not state its length in a
// way known to match that (a damaged file, a form not handled): the caller then counts.
#pragma once

#include <memory>
#include <vector>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/SoundFormats.h"

struct MediaRecord;

namespace sp_platform {
namespace quicktime {

struct StatedLength {
  SInt64 presented = -1;        // frames presented
  SInt64 priming = 0;           // decoded frames dropped before the first presented one
  SInt64 packets = -1;          // packets FFmpeg's demultiplexer gives (each holding sound);
                                // -1 when not counted
  UInt32 mostPacketFrames = 0;  // the most frames one packet gives
  // Decoded frames after the presented ones (an encoder's padding), -1 when not known: more
  // than these means the length was wrong.
  SInt64 padding = -1;
  // The sound ends with the `packets`th packet: what the demultiplexer gives after it is other
  // bytes (a cut frame's first bytes, junk), no sound.
  bool endsWithPackets = false;
  // Where the sound ends in the file when other bytes follow it that the demultiplexer hands on
  // with the last packet; -1 when none do.
  SInt64 soundEnd = -1;
  // Decoded frames dropped amid the presented ones: where FFmpeg trims between the parts of a
  // file joined or chained from others.
  std::vector<FrameCut> cuts;
  // The presented frames at the stream's stated rate where parts of it have rates of their own
  // (counted by decoding); -1: `presented`.
  SInt64 listed = -1;
};

// A native FLAC file: STREAMINFO's total, which the last frame's header must confirm.
bool FlacStatedLength(ByteSource& source, StatedLength& out);

// An MPEG audio file (layer I, II or III): its frame headers counted one after the other to
// the end of its sound (before the tags that may follow it), and the Xing/Info tag's delay and
// padding (LAME's) trimmed as FFmpeg trims them. False where the frames stop and more sound
// follows (damage, another stream joined on).
bool MpegAudioStatedLength(ByteSource& source, StatedLength& out);

// Whether the file starts (after its ID3v2 tags) with seven MPEG audio frames of one stream,
// one after the other: what FFmpeg's probe takes for MPEG audio above any other format. The
// first frame's rate and channels go to `format` when given.
bool StartsAsMpegAudio(ByteSource& source, StatedFormat* format = nullptr);
// Whether the file starts (after its ID3v2 tags) as a native FLAC file with a STREAMINFO block
// whose block sizes and rate FFmpeg's probe finds sound: what it takes for FLAC for certain.
// STREAMINFO's rate and channels go to `format` when given.
bool StartsAsFlac(ByteSource& source, StatedFormat* format = nullptr);

// An Ogg file holding one Vorbis, Opus or FLAC stream. Its first pages give the codec, Opus's
// pre-skip and the granule position the sound starts from; the last two pages, found
// searching backwards within half of `tailSpan` bytes of the file's end (or else the pages
// within `tailSpan` of it, or eight times that; 0: every page is walked), give the position
// and the packets it ends with. Every page read must be whole with its checksum right, of the
// one stream, and the pages of the end must follow one another to the file's end, their
// numbers and positions agreeing with the first pages' and with their packets' durations;
// the packets between are not counted (`packets` is -1). The first pages are those within
// kOggHeadWalk bytes of the start, all walked. Pages between are probed at kOggBetweenProbes
// places evenly spaced, and before the first of those at places each half as far again from
// the start as the one before, a page header found within kOggProbeSpan bytes of each: every
// one found, and the header after it, must be of the stream amid it (no stream's first or last
// page) and follow the one before in number and position, which a stream chained on under the
// same serial number does not, also after a short first stream (unless the one chained on has
// more than twice as many pages and frames to the byte). A file too short for that, or whose
// end does not settle it, has every page walked and its packets counted and summed from their
// headers. A stream damaged between its first and its last pages can still state a length it
// does not present: its decoding then reports the difference. `vorbisSetup` is FFmpeg's
// set-up of a Vorbis stream (the three headers), used to size its packets.
constexpr UInt64 kOggTailSpan = UInt64(1) << 16;
constexpr int kOggBetweenProbes = 5;
constexpr UInt64 kOggHeadWalk = UInt64(1) << 15;
constexpr std::size_t kOggProbeSpan = 8192;
bool OggStatedLength(ByteSource& source, const std::vector<UInt8>& vorbisSetup,
                     StatedLength& out, UInt64 tailSpan = kOggTailSpan);

// The packets of sound of an Ogg file holding one Vorbis, Opus or FLAC stream, as FFmpeg's
// demultiplexer gives them: its first pages read whole, and only the header of every page after
// them (the packets ending on a page are in its lacing values). -1 when the pages do not follow
// one another as one stream's to the file's end; `restarted` (when given) then says whether a
// stream started again after the first pages (a page after the last, or another first page).
SInt64 OggPacketCount(ByteSource& source, const std::vector<UInt8>& vorbisSetup,
                      bool* restarted = nullptr);

// An AAC or ALAC stream in an MPEG-4 or QuickTime movie: its packets as FFmpeg's demultiplexer
// gives them, taken from its sample index with only the first and the last packet read. False
// where the index cannot tell them exactly (a fragmented file, an entry outside the file or
// without a duration, a packet not where its entry says): the caller reads every packet.
// `opened`: the file already opened by FFmpeg, used (and closed) instead of opening it again.
bool SampleIndexLength(MediaRecord& media, StatedLength& out,
                       std::unique_ptr<Demuxer> opened = nullptr);

// AAC in any container, ALAC in movies: every packet read, none decoded. False where that cannot
// be exact (AAC packets stating other than the codec's frames, a read failing).
bool ReadPacketsLength(MediaRecord& media, StatedLength& out);

}  // namespace quicktime
}  // namespace sp_platform
