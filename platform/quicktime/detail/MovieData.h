// The records behind Movie, Track, Media and UserData, shared by the Movie Toolbox's source
// files and the movie writer. Not for the program's own code.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Movies.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/MovieWriter.h"
#include "quicktime/detail/SoundFormats.h"
#include "quicktime/internal/SoundLengthCounts.h"

// A movie's user data: typed items in order, with each type's items found through an index
// (the types in the order of their first items), so that the many items a damaged or hostile
// file may hold are read in linear work.
struct UserDataRecord {
  struct Item {
    OSType type = 0;
    std::vector<UInt8> payload;
  };
  bool ownedByMovie = false;  // a movie's own user data, disposed with the movie

  const std::vector<Item>& Items() const { return items_; }
  // Takes the item in after all others.
  void Add(Item item);
  // The index'th (from 1) item of the type; null when there is none.
  Item* Find(OSType type, SInt32 index);
  std::size_t Count(OSType type) const;
  void Erase(const Item* item);
  // The type after `type` in the order of first items (the first type for 0); 0 after the
  // last and for a type there is none of.
  OSType TypeAfter(OSType type) const;

 private:
  struct Kind {
    std::size_t order = 0;              // place among the types
    std::vector<std::size_t> items;     // places in items_
  };
  std::vector<Item> items_;
  std::vector<OSType> types_;
  std::unordered_map<OSType, Kind> kinds_;
};

struct MovieRecord;
struct TrackRecord;

namespace sp_platform {
namespace quicktime {

// How many user-data items the look-ups have examined so far (a look-up through the index
// counts one): tests compare it with how many items were read.
UInt64 UserDataItemsExamined();

class MediaReader;    // MediaSamples.cpp: reads one stream's packets in order
struct MoviePlayback;  // MoviePlayback.cpp: the time base, the place and the frames shown

// A sound media's description, as GetMediaSampleDescription gives it.
struct SoundMediaDescription {
  OSType format = 0;
  SInt16 numChannels = 0;
  SInt16 sampleSize = 0;
  UnsignedFixed sampleRate = 0;  // 0 for rates of 65,536 Hz and above (no 16.16 value)
  SInt16 compressionID = 0;
  UInt32 samplesPerPacket = 0;
  UInt32 bytesPerPacket = 0;
  UInt32 bytesPerFrame = 0;
  UInt32 bytesPerSample = 0;
  std::vector<UInt8> extension;  // the 'wave' atom; empty when the format has none
  bool extensionReady = false;   // built on first use (varying formats need the packets)

  // What FFmpeg says of the codec, for the decompression parameters.
  std::vector<UInt8> codecSetup;  // the decoder's set-up bytes
  bool littleEndian = false;      // linear samples stored little-endian under a big-endian code
  SInt32 blockAlign = 0;
  SInt64 bitRate = 0;
};

// One packet of a varying-packet media: the media time of its first frame and its frames.
struct PacketEntry {
  SInt32 time = 0;
  SInt32 frames = 0;
};

}  // namespace quicktime
}  // namespace sp_platform

struct MediaRecord {
  TrackRecord* track = nullptr;
  OSType mediaType = 0;
  int streamIndex = -1;
  int codecID = 0;
  OSType dataFormat = 0;  // the sample description's format

  // Sound media.
  sp_platform::quicktime::SoundMediaDescription sound;
  sp_platform::quicktime::SoundLayout layout = sp_platform::quicktime::SoundLayout::kLinear;
  UInt32 rate = 0;              // frames per second: the media's time scale
  UInt32 framesPerUnit = 1;     // linear and fixed-packet layouts: the frames and bytes of one
  UInt32 bytesPerUnit = 0;      // packet (one frame for linear formats)
  SInt64 statedFrames = -1;     // the stream's stated length in frames; -1 when unknown
  bool scanned = false;         // the stream's packets were counted by decoding them
  SInt64 scannedFrames = 0;     // every frame the packets hold
  // The varying layout's length, from what the file states or counted once for the file.
  bool measured = false;
  SInt64 presentedFrames = -1;  // without the encoder's delay and padding; -1 when unknown
  // The presented frames at the media's rate where parts of the stream have rates of their own
  // (each part as many frames as its rate change makes); -1: the presented frames.
  SInt64 listedFrames = -1;
  SInt64 primingFrames = 0;     // decoded frames before the first presented one
  SInt64 paddingFrames = -1;    // decoded frames after the presented ones; -1 when unknown
  std::vector<sp_platform::quicktime::FrameCut> cuts;  // decoded frames dropped amid them
  SInt64 packetCount = 0;       // the packets the stream holds; -1 until counted
  bool endsWithPackets = false;  // what the file gives after those packets is no sound
  SInt64 soundEnd = -1;          // the file's offset where other bytes follow the sound
  UInt32 mostPacketFrames = 1;  // the most frames one packet gives
  // The packets read so far (all of them once `packetsComplete`), each with the frames the
  // file states for it, or those its decoding gave when it was counted by decoding.
  std::vector<sp_platform::quicktime::PacketEntry> packets;
  bool packetsComplete = false;
  std::unique_ptr<sp_platform::quicktime::MediaReader> reader;

  // A media being written (MovieWriter.cpp): its sample tables.
  std::shared_ptr<sp_platform::quicktime::WrittenMedia> written;

  // Other media.
  TimeScale timeScale = 600;
  SInt64 otherDuration = 0;
  SInt64 otherSampleCount = 0;

  MediaRecord();
  ~MediaRecord();
};

struct TrackRecord {
  MovieRecord* movie = nullptr;
  std::unique_ptr<MediaRecord> media;
  bool enabled = true;
  // A track being written: its header values and edits.
  std::shared_ptr<sp_platform::quicktime::WrittenTrack> written;
};

struct MovieRecord {
  std::shared_ptr<sp_platform::quicktime::ByteSource> source;
  std::string nameHint;
  TimeScale timeScale = 600;
  bool hasStatedDuration = false;
  SInt64 statedDuration = 0;
  std::vector<std::unique_ptr<TrackRecord>> tracks;
  UserDataRecord* userData = nullptr;
  bool isProtected = false;
  bool active = false;
  OSType container = 0;
  // Made by the first playback call.
  std::shared_ptr<sp_platform::quicktime::MoviePlayback> playback;
  // A movie being written (CreateMovieFile).
  std::shared_ptr<sp_platform::quicktime::WrittenMovie> written;
};

namespace sp_platform {
namespace quicktime {

// Every call records its result here; GetMoviesError answers it.
void SetMoviesError(OSErr err);

// The movie calls check what they are given against these registries.
bool IsLiveMovie(const MovieRecord* movie);
bool IsLiveTrack(const TrackRecord* track);
bool IsLiveMedia(const MediaRecord* media);
bool IsLiveUserData(const UserDataRecord* userData);

// UserData.cpp: a registered user data record (owned by a movie or not), and its end.
UserDataRecord* NewUserDataRecord(bool ownedByMovie);
void DeleteUserDataRecord(UserDataRecord* userData);

// MediaSamples.cpp: the sound media's length in frames and its media samples (the packets
// are counted on first use when the stream does not state them).
SInt64 SoundMediaFrames(MediaRecord& media);
SInt64 SoundMediaSampleCount(MediaRecord& media);
// The media samples when known without reading more than the length needs (kept for the file,
// or stated with the length); -1 when they are still to be counted.
SInt64 KnownSoundMediaSampleCount(MediaRecord& media);
// The length of a movie's AAC or ALAC sound from the sample index of the demultiplexer that
// built the movie, handed over (and closed after), so that the file is not opened again for
// it. Where the index cannot tell the length exactly it is found on first use.
void MeasureWhileOpen(MediaRecord& media, std::unique_ptr<Demuxer> demuxer);

// StreamTags.cpp: a FLAC or Ogg file's Vorbis comments (title, artist, album, composer,
// date, genre, comment, track) as text items for the movie's user data; none for other files.
std::vector<UserDataRecord::Item> VorbisCommentUserData(const AVFormatContext* ctx);

// A movie from a byte source (MovieToolbox.cpp), registered; noMovieFound when FFmpeg cannot
// read it or it has no track, badFormat when it has none because its sound's rate is refused.
OSErr BuildMovie(std::shared_ptr<ByteSource> source, const std::string& nameHint, Movie* out);

// The file a movie file reference number (OpenMovieFile) stands for.
struct MovieFile {
  std::shared_ptr<ByteSource> source;
  std::string path;
  std::shared_ptr<MovieFileWriter> writer;  // a file made by CreateMovieFile
};
const MovieFile* FindMovieFile(SInt16 resRefNum);
// Registers a movie file; its reference number, 0 when all are taken.
SInt16 AddMovieFile(MovieFile file);
// Registers a movie made here with its tracks and media, and a track added to a registered
// movie later (with its media, when it has one).
void RegisterMovie(MovieRecord* movie);
void RegisterTrack(TrackRecord* track);

// MovieImport.cpp: the path of an 'alis' data reference's file. invalidDataRef for a
// damaged alias, couldNotResolveDataRef when its file is gone.
OSErr ResolveAliasDataRef(Handle dataRef, std::string* path);
// The bytes of a data reference's file, and its path: only 'alis' references are taken
// (invalidDataRef for the others); couldNotResolveDataRef also when the file cannot be read.
std::shared_ptr<ByteSource> OpenAliasDataRef(OSType dataRefType, Handle dataRef, std::string* path,
                                             OSErr* err);

}  // namespace quicktime
}  // namespace sp_platform
