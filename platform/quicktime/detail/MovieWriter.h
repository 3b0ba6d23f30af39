// What a movie being written keeps: its file, the sample tables of its media and the edits of
// its tracks, and the builder of its 'moov' atom. Shared by MovieWriter.cpp and the Movie
// Toolbox's records. Not for the program's own code.
#pragma once

#include <memory>
#include <vector>

#include "MacTypes.h"

struct MovieRecord;
struct TrackRecord;
struct MediaRecord;

namespace sp_platform {
namespace quicktime {

// The file of a movie being written: 'ftyp', 'wide', 'mdat' and, at the end, 'moov'. Sample
// bytes are appended through a write-behind buffer; every write names its offset.
class MovieFileWriter {
 public:
  // Writes the file's opening atoms into the open data fork `forkRefNum` (the writer closes
  // it). The File Manager's error.
  static OSErr Start(SInt16 forkRefNum, std::unique_ptr<MovieFileWriter>& out);
  ~MovieFileWriter();
  MovieFileWriter(const MovieFileWriter&) = delete;
  MovieFileWriter& operator=(const MovieFileWriter&) = delete;

  // Appends sample bytes to 'mdat'; their file offset in *offset. The error of a write that
  // failed (the bytes are then not part of the file).
  OSErr AppendSamples(const UInt8* data, std::size_t size, UInt64* offset);
  // Completes 'mdat' (a 64-bit size when it passed 4 GiB), writes `moov` after it and
  // flushes the file.
  OSErr Finish(const std::vector<UInt8>& moov);
  bool Finished() const { return finished_; }
  // The offset the next sample bytes take.
  UInt64 DataEnd() const { return end_ + pending_.size(); }

 private:
  explicit MovieFileWriter(SInt16 forkRefNum) : fork_(forkRefNum) {}
  OSErr WriteAt(UInt64 offset, const void* data, std::size_t size);
  OSErr FlushPending();

  SInt16 fork_;
  UInt64 wideStart_ = 0;  // the 'wide' atom, which a 64-bit 'mdat' header takes over
  UInt64 mdatStart_ = 0;
  UInt64 end_ = 0;  // the file's end as written
  std::vector<UInt8> pending_;
  bool finished_ = false;
};

// One sample description of a written media, as the file holds it (the sample entry's
// bytes), and what the tables need of it.
struct WrittenDescription {
  std::vector<UInt8> source;  // the description handle's bytes as they were given
  std::vector<UInt8> entry;   // the sample entry written in 'stsd'
  UInt32 unitBytes = 0;       // stsz's size of one sample (linear: a frame; fixed packets: 1)
  bool varying = false;       // a sample per packet, sizes of their own
  UInt32 primingFrames = 0;   // the encoder's delay, skipped by the edit list
};

// The sample tables of a written media.
struct WrittenMedia {
  bool editing = false;
  std::vector<WrittenDescription> descriptions;
  struct TimeRun {
    UInt32 count;
    UInt32 delta;
  };
  std::vector<TimeRun> times;  // stts
  struct Chunk {
    UInt64 offset;
    UInt32 samples;
    UInt32 description;  // from 1
    UInt64 bytes;
  };
  std::vector<Chunk> chunks;
  // stsz: one size for all while `sizes` is empty, else every sample's size.
  bool sizesVary = false;
  UInt32 commonSize = 0;
  std::vector<UInt32> sizes;
  UInt64 sampleCount = 0;
  UInt64 duration = 0;  // in the media's time scale
};

// A written track's header values and its edits.
struct WrittenTrack {
  Fixed width = 0;
  Fixed height = 0;
  SInt16 volume = 0x0100;
  struct Edit {
    SInt64 trackStart;  // movie time scale
    SInt64 mediaTime;   // media time scale
    SInt64 mediaDuration;
  };
  std::vector<Edit> edits;
};

// A movie being written: the movie file it goes into.
struct WrittenMovie {
  SInt16 resRefNum = 0;
};

// The 'moov' atom of a written movie.
std::vector<UInt8> BuildMovieAtom(MovieRecord& movie);

}  // namespace quicktime
}  // namespace sp_platform
