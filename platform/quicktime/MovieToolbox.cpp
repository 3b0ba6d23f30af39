// Movie Toolbox: start-up, movie files, movies built over FFmpeg, tracks and media.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <new>
#include <unordered_set>

#include "ByteOrder.h"
#include "Files.h"
#include "Movies.h"
#include "files/internal/FileLocations.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/MovieData.h"

namespace sp_platform {
namespace quicktime {
namespace {

struct Registry {
  std::unordered_set<const MovieRecord*> movies;
  std::unordered_set<const TrackRecord*> tracks;
  std::unordered_set<const MediaRecord*> media;
  std::map<SInt16, MovieFile> files;
  OSErr lastError = noErr;
};

Registry& R() {
  static Registry registry;
  return registry;
}

SInt32 Clamp32(SInt64 v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return SInt32(v);
}

OSType FourCCOfCodecTag(UInt32 tag) {
  // FFmpeg keeps tags with the first character in the low byte.
  return sp::Swap32(tag);
}

// The stream's length in frames when the file states it; -1 when it does not, or when FFmpeg
// only estimated it from the bit rate (which counts the header bytes as sound).
SInt64 StatedFrames(const AVFormatContext* ctx, const AVStream* st, UInt32 rate) {
  if (ctx->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return -1;
  if (st->duration == AV_NOPTS_VALUE || st->duration <= 0) return -1;
  return av_rescale_q(st->duration, st->time_base, AVRational{1, int(rate)});
}

bool DescribeSound(MediaRecord& media, const AVFormatContext* ctx, const AVStream* st) {
  const AVCodecParameters* par = st->codecpar;
  const int bits = par->bits_per_raw_sample > 0 ? par->bits_per_raw_sample
                                                : av_get_bits_per_sample(par->codec_id);
  bool littleEndian = false;
  SInt16 sampleSize = 16;
  const OSType format = FormatOfCodec(par->codec_id, bits, &littleEndian, &sampleSize);
  if (format == 0) return false;
  const int channels = std::min(par->ch_layout.nb_channels, 0x7FFF);
  const SoundFormat* entry = FindSoundFormat(format);

  SoundMediaDescription& d = media.sound;
  d.format = format;
  d.numChannels = SInt16(channels);
  d.sampleSize = sampleSize;
  d.sampleRate = par->sample_rate < 65536 ? UnsignedFixed(par->sample_rate) << 16 : 0;
  media.rate = UInt32(par->sample_rate);
  media.layout = entry != nullptr ? entry->layout : SoundLayout::kVaryingPackets;
  switch (media.layout) {
    case SoundLayout::kLinear: {
      const UInt32 bytes = LinearSampleBytes(*entry, sampleSize);
      if (bytes == 0) return false;
      d.compressionID = notCompressed;
      d.samplesPerPacket = 1;
      d.bytesPerPacket = bytes;
      d.bytesPerFrame = bytes * UInt32(channels);
      d.bytesPerSample = bytes;
      media.framesPerUnit = 1;
      media.bytesPerUnit = d.bytesPerFrame;
      break;
    }
    case SoundLayout::kFixedPackets:
      d.compressionID = fixedCompression;
      d.samplesPerPacket = entry->samplesPerPacket;
      d.bytesPerPacket = entry->bytesPerPacket;
      d.bytesPerFrame = UInt32(entry->bytesPerPacket) * UInt32(channels);
      d.bytesPerSample = entry->bytesPerSample;
      media.framesPerUnit = entry->samplesPerPacket;
      media.bytesPerUnit = d.bytesPerFrame;
      break;
    case SoundLayout::kVaryingPackets:
      d.compressionID = variableCompression;
      // 0 while unknown: the description then takes the first packet's frames.
      d.samplesPerPacket = par->frame_size > 0 ? UInt32(par->frame_size)
                           : entry != nullptr  ? entry->samplesPerPacket
                                               : 0;
      d.bytesPerSample = entry != nullptr && entry->bytesPerSample > 0
                             ? entry->bytesPerSample
                             : UInt32(std::max(1, (sampleSize + 7) / 8));
      break;
  }
  if (media.layout != SoundLayout::kVaryingPackets)
    media.statedFrames = StatedFrames(ctx, st, media.rate);
  // The decompression parameters are made when first asked for (MediaSamples.cpp).
  d.littleEndian = littleEndian;
  if (par->extradata != nullptr && par->extradata_size > 0)
    d.codecSetup.assign(par->extradata, par->extradata + par->extradata_size);
  d.blockAlign = par->block_align;
  d.bitRate = par->bit_rate;
  media.mediaType = SoundMediaType;
  media.dataFormat = format;
  media.timeScale = TimeScale(par->sample_rate);
  return true;
}

void DescribeOther(MediaRecord& media, const AVFormatContext* ctx, const AVStream* st,
                   OSType mediaType) {
  media.mediaType = mediaType;
  media.dataFormat = FourCCOfCodecTag(st->codecpar->codec_tag);
  media.timeScale = 600;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
    media.otherDuration = av_rescale_q(st->duration, st->time_base, AVRational{1, 600});
  } else if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0) {
    media.otherDuration = av_rescale(ctx->duration, 600, AV_TIME_BASE);
  }
  media.otherSampleCount = st->nb_frames > 0 ? st->nb_frames : 0;
}

// A file of linear or fixed-packet sound in one block (AIFF, WAVE, ...) may end before the
// length its header states: such media hold the whole packets the file has from the first
// packet's position on, as FFmpeg reads them.
void ClampToFramesPresent(AVFormatContext* ctx, ByteSource& source,
                          std::vector<MediaRecord*>& media) {
  std::vector<MediaRecord*> open;
  for (MediaRecord* m : media) {
    if (m->statedFrames > 0 && m->bytesPerUnit > 0) open.push_back(m);
  }
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return;
  const UInt64 size = source.Size();
  for (int read = 0; read < 256 && !open.empty() && av_read_frame(ctx, packet) >= 0; ++read) {
    for (auto it = open.begin(); it != open.end(); ++it) {
      MediaRecord& m = **it;
      if (m.streamIndex != packet->stream_index) continue;
      if (packet->pos >= 0 && UInt64(packet->pos) <= size) {
        const SInt64 units = SInt64((size - UInt64(packet->pos)) / m.bytesPerUnit);
        m.statedFrames = std::min(m.statedFrames, units * SInt64(m.framesPerUnit));
      }
      open.erase(it);
      break;
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
}

bool StreamIsEncrypted(const AVStream* st) {
  return av_stream_get_side_data(st, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr) != nullptr ||
         av_stream_get_side_data(st, AV_PKT_DATA_ENCRYPTION_INFO, nullptr) != nullptr;
}

void Register(MovieRecord* movie) {
  R().movies.insert(movie);
  for (auto& track : movie->tracks) {
    R().tracks.insert(track.get());
    if (track->media != nullptr) R().media.insert(track->media.get());
  }
}

void Unregister(MovieRecord* movie) {
  for (auto& track : movie->tracks) {
    R().tracks.erase(track.get());
    if (track->media != nullptr) R().media.erase(track->media.get());
  }
  R().movies.erase(movie);
}

SInt64 MediaDurationValue(MediaRecord& media) {
  if (media.written != nullptr) return SInt64(media.written->duration);
  return media.mediaType == SoundMediaType ? SoundMediaFrames(media) : media.otherDuration;
}

SInt64 TrackDurationValue(TrackRecord& track) {
  if (track.written != nullptr && !track.written->edits.empty()) {
    const WrittenTrack::Edit& last = track.written->edits.back();
    const TimeScale scale = track.media != nullptr ? track.media->timeScale : 0;
    if (scale <= 0) return last.trackStart;
    return last.trackStart + av_rescale(last.mediaDuration, track.movie->timeScale, scale);
  }
  if (track.media == nullptr) return 0;
  MediaRecord& media = *track.media;
  const SInt64 d = MediaDurationValue(media);
  if (media.timeScale <= 0) return 0;
  return av_rescale(d, track.movie->timeScale, media.timeScale);
}

OSErr Result(OSErr err) {
  SetMoviesError(err);
  return err;
}

// The record when it is live, else null; the Movie Toolbox's error says which.
template <typename Record>
Record* Checked(Record* record, bool live, OSErr notLive) {
  SetMoviesError(live ? OSErr(noErr) : notLive);
  return live ? record : nullptr;
}

MovieRecord* LiveMovie(Movie movie) {
  return Checked(movie, IsLiveMovie(movie), invalidMovie);
}

TrackRecord* LiveTrack(Track track) {
  return Checked(track, IsLiveTrack(track), invalidTrack);
}

MediaRecord* LiveMedia(Media media) {
  return Checked(media, IsLiveMedia(media), invalidMedia);
}

bool TrackMatches(const TrackRecord& track, OSType trackType, SInt32 flags) {
  if ((flags & movieTrackEnabledOnly) != 0 && !track.enabled) return false;
  if (track.media == nullptr) return false;
  const OSType mediaType = track.media->mediaType;
  if ((flags & movieTrackCharacteristic) != 0) {
    if (trackType == AudioMediaCharacteristic) return mediaType == SoundMediaType;
    if (trackType == VisualMediaCharacteristic)
      return mediaType == VideoMediaType || mediaType == TextMediaType;
    return false;
  }
  if ((flags & movieTrackMediaType) != 0) return mediaType == trackType;
  return true;
}

OSErr NewMovieFromSource(std::shared_ptr<ByteSource> source, const std::string& nameHint,
                         SInt16 flags, Movie* theMovie, Boolean* dataRefWasChanged) {
  const OSErr err = BuildMovie(std::move(source), nameHint, theMovie);
  if (err == noErr) (*theMovie)->active = (flags & newMovieActive) != 0;
  if (dataRefWasChanged != nullptr) *dataRefWasChanged = false;
  return Result(err);
}

}  // namespace

void SetMoviesError(OSErr err) {
  R().lastError = err;
}

bool IsLiveMovie(const MovieRecord* movie) {
  return movie != nullptr && R().movies.count(movie) != 0;
}
bool IsLiveTrack(const TrackRecord* track) {
  return track != nullptr && R().tracks.count(track) != 0;
}
bool IsLiveMedia(const MediaRecord* media) {
  return media != nullptr && R().media.count(media) != 0;
}

SInt16 AddMovieFile(MovieFile file) {
  auto& files = R().files;
  SInt16 number = 1;
  while (files.count(number) != 0) {
    if (number == INT16_MAX) return 0;
    ++number;
  }
  files[number] = std::move(file);
  return number;
}

void RegisterMovie(MovieRecord* movie) {
  Register(movie);
}

void RegisterTrack(TrackRecord* track) {
  R().tracks.insert(track);
  if (track->media != nullptr) R().media.insert(track->media.get());
}

const MovieFile* FindMovieFile(SInt16 resRefNum) {
  auto it = R().files.find(resRefNum);
  return it == R().files.end() ? nullptr : &it->second;
}

OSErr BuildMovie(std::shared_ptr<ByteSource> source, const std::string& nameHint, Movie* out) {
  try {
    std::unique_ptr<Demuxer> demuxer = Demuxer::Open(source, nameHint, Demuxer::kDescription);
    if (demuxer == nullptr) return noMovieFound;
    const AVFormatContext* ctx = demuxer->Context();
    const bool movieFile = std::strncmp(ctx->iformat->name, "mov,", 4) == 0;

    std::unique_ptr<MovieRecord> movie(new MovieRecord);
    std::vector<MediaRecord*> blockMedia;  // sound stored as one block
    bool refusedRate = false;
    movie->source = source;
    movie->nameHint = nameHint;
    movie->container = SummariseFile(*demuxer).container;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
      const AVStream* st = ctx->streams[i];
      const StreamKind kind = KindOfStream(st);
      refusedRate = refusedRate || HasRefusedRate(st);
      if (kind == StreamKind::kNone) continue;
      std::unique_ptr<TrackRecord> track(new TrackRecord);
      track->movie = movie.get();
      track->media.reset(new MediaRecord);
      MediaRecord& media = *track->media;
      media.track = track.get();
      media.streamIndex = int(i);
      media.codecID = st->codecpar->codec_id;
      // A movie's track header says whether the track is enabled; FFmpeg shows it as the
      // stream's default disposition. Other files have no such flag.
      if (movieFile) track->enabled = (st->disposition & AV_DISPOSITION_DEFAULT) != 0;
      if (kind == StreamKind::kSound) {
        if (!DescribeSound(media, ctx, st)) continue;
        if (!movieFile && media.layout != SoundLayout::kVaryingPackets)
          blockMedia.push_back(&media);
      } else {
        DescribeOther(media, ctx, st, kind == StreamKind::kVideo ? VideoMediaType : TextMediaType);
      }
      if (StreamIsEncrypted(st)) movie->isProtected = true;
      movie->tracks.push_back(std::move(track));
    }
    // Sound at a rate no sound file has is a format the movie cannot take.
    if (movie->tracks.empty()) return refusedRate ? OSErr(badFormat) : OSErr(noMovieFound);
    ClampToFramesPresent(demuxer->Context(), *source, blockMedia);
    // Taken while the demultiplexer that read them is open.
    std::vector<UserDataRecord::Item> tags = VorbisCommentUserData(ctx);
    // A movie's compressed sound is measured from the tables just read, while the file is open
    // (only one media can take the demultiplexer; others are measured on first use).
    for (auto& track : movie->tracks) {
      MediaRecord& media = *track->media;
      if (movieFile && media.mediaType == SoundMediaType &&
          media.layout == SoundLayout::kVaryingPackets) {
        MeasureWhileOpen(media, std::move(demuxer));
        break;
      }
    }
    demuxer.reset();

    MovieAtomInfo info;
    if (movieFile && ReadMovieFileStructure(*source, info)) {
      if (info.hasMovieHeader && info.timeScale <= UInt32(INT32_MAX)) {
        movie->timeScale = TimeScale(info.timeScale);
        movie->hasStatedDuration = true;
        movie->statedDuration = SInt64(std::min<UInt64>(info.duration, UInt64(INT32_MAX)));
      }
      if (info.isProtected) movie->isProtected = true;
    }
    movie->userData = NewUserDataRecord(true);
    for (auto& item : info.userData) {
      UserDataRecord::Item entry;
      entry.type = item.first;
      entry.payload = std::move(item.second);
      movie->userData->Add(std::move(entry));
    }
    for (auto& item : tags) movie->userData->Add(std::move(item));
    Register(movie.get());
    *out = movie.release();
    return noErr;
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
}

}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

// ---- Start and errors ----------------------------------------------------------------------

OSErr EnterMovies() {
  qt::StartFFmpeg();
  return qt::Result(noErr);
}

void ExitMovies() {
  qt::SetMoviesError(noErr);
}

OSErr GetMoviesError() {
  return qt::R().lastError;
}

// ---- Movie files ---------------------------------------------------------------------------

OSErr OpenMovieFile(const FSSpec* fileSpec, SInt16* resRefNum, SInt8 permission) {
  if (fileSpec == nullptr || resRefNum == nullptr) return qt::Result(paramErr);
  *resRefNum = 0;
  if (permission != fsCurPerm && permission != fsRdPerm) return qt::Result(permErr);
  if (OSErr err = sp_platform::files::CheckFSSpec(fileSpec)) return qt::Result(err);
  sp_platform::files::Location location;
  OSErr err = sp_platform::files::LocateClassic(fileSpec->vRefNum, fileSpec->parID, fileSpec->name,
                                                location);
  if (err != noErr) return qt::Result(err);
  if (location.isFolder) return qt::Result(notAFileErr);
  std::shared_ptr<qt::ByteSource> source = qt::OpenPathSource(location.path, &err);
  if (source == nullptr) return qt::Result(err);
  auto& files = qt::R().files;
  SInt16 number = 1;
  while (files.count(number) != 0) {
    if (number == INT16_MAX) return qt::Result(tmfoErr);
    ++number;
  }
  files[number] = qt::MovieFile{source, location.path, nullptr};
  *resRefNum = number;
  return qt::Result(noErr);
}

OSErr CloseMovieFile(SInt16 resRefNum) {
  if (qt::R().files.erase(resRefNum) == 0) return qt::Result(rfNumErr);
  return qt::Result(noErr);
}

OSErr NewMovieFromFile(Movie* theMovie, SInt16 resRefNum, SInt16* resId, StringPtr resName,
                       SInt16 newMovieFlags, Boolean* dataRefWasChanged) {
  if (theMovie == nullptr) return qt::Result(paramErr);
  *theMovie = nullptr;
  if (resName != nullptr) resName[0] = 0;
  const qt::MovieFile* file = qt::FindMovieFile(resRefNum);
  if (file == nullptr) return qt::Result(rfNumErr);
  if (resId != nullptr && *resId > 0) return qt::Result(resNotFound);
  const OSErr err =
      qt::NewMovieFromSource(file->source, file->path, newMovieFlags, theMovie, dataRefWasChanged);
  if (err == noErr && resId != nullptr) *resId = movieInDataForkResID;
  return err;
}

OSErr NewMovieFromDataFork(Movie* theMovie, SInt16 fRefNum, SInt32 fileOffset, SInt16 newMovieFlags,
                           Boolean* dataRefWasChanged) {
  if (theMovie == nullptr) return qt::Result(paramErr);
  *theMovie = nullptr;
  OSErr err = noErr;
  std::shared_ptr<qt::ByteSource> source = qt::OpenForkSource(fRefNum, fileOffset, &err);
  if (source == nullptr) return qt::Result(err);
  return qt::NewMovieFromSource(source, std::string(), newMovieFlags, theMovie, dataRefWasChanged);
}

OSErr NewMovieFromDataRef(Movie* theMovie, SInt16 flags, SInt16* id, Handle dataRef,
                          OSType dataRefType) {
  if (theMovie == nullptr) return qt::Result(paramErr);
  *theMovie = nullptr;
  std::string path;
  OSErr err = noErr;
  std::shared_ptr<qt::ByteSource> source = qt::OpenAliasDataRef(dataRefType, dataRef, &path, &err);
  if (source == nullptr) return qt::Result(err);
  err = qt::NewMovieFromSource(source, path, flags, theMovie, nullptr);
  if (err == noErr && id != nullptr) *id = movieInDataForkResID;
  return err;
}

void DisposeMovie(Movie theMovie) {
  if (theMovie == nullptr) return qt::SetMoviesError(noErr);
  if (!qt::IsLiveMovie(theMovie)) return qt::SetMoviesError(invalidMovie);
  qt::Unregister(theMovie);
  qt::DeleteUserDataRecord(theMovie->userData);
  delete theMovie;
  qt::SetMoviesError(noErr);
}

// ---- Movies --------------------------------------------------------------------------------

TimeScale GetMovieTimeScale(Movie theMovie) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  return movie != nullptr ? movie->timeScale : 0;
}

TimeValue GetMovieDuration(Movie theMovie) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  if (movie == nullptr) return 0;
  if (movie->hasStatedDuration) return qt::Clamp32(movie->statedDuration);
  SInt64 longest = 0;
  for (auto& track : movie->tracks) longest = std::max(longest, qt::TrackDurationValue(*track));
  return qt::Clamp32(longest);
}

SInt32 GetMovieTrackCount(Movie theMovie) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  return movie != nullptr ? SInt32(movie->tracks.size()) : 0;
}

Track GetMovieIndTrack(Movie theMovie, SInt32 index) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  if (movie == nullptr) return nullptr;
  if (index < 1 || std::size_t(index) > movie->tracks.size()) {
    qt::SetMoviesError(badTrackIndex);
    return nullptr;
  }
  return movie->tracks[std::size_t(index) - 1].get();
}

Track GetMovieIndTrackType(Movie theMovie, SInt32 index, OSType trackType, SInt32 flags) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  if (movie == nullptr) return nullptr;
  SInt32 seen = 0;
  for (auto& track : movie->tracks) {
    if (qt::TrackMatches(*track, trackType, flags) && ++seen == index) return track.get();
  }
  qt::SetMoviesError(badTrackIndex);
  return nullptr;
}

UserData GetMovieUserData(Movie theMovie) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  return movie != nullptr ? movie->userData : nullptr;
}

OSErr QTGetMovieProperty(Movie theMovie, QTPropertyClass propClass, QTPropertyID propID,
                         ByteCount propValueSize, QTPropertyValuePtr propValueAddress,
                         ByteCount* propValueSizeUsed) {
  MovieRecord* movie = qt::LiveMovie(theMovie);
  if (movie == nullptr) return invalidMovie;
  if (propClass != kQTPropertyClass_DRM || propID != kQTDRMPropertyID_IsProtected)
    return qt::Result(OSErr(kQTPropertyNotSupportedErr));
  if (propValueAddress == nullptr) return qt::Result(paramErr);
  if (propValueSize < sizeof(Boolean)) return qt::Result(OSErr(kQTPropertyBadValueSizeErr));
  *static_cast<Boolean*>(propValueAddress) = movie->isProtected ? 1 : 0;
  if (propValueSizeUsed != nullptr) *propValueSizeUsed = sizeof(Boolean);
  return qt::Result(noErr);
}

// ---- Tracks --------------------------------------------------------------------------------

Media GetTrackMedia(Track theTrack) {
  TrackRecord* track = qt::LiveTrack(theTrack);
  return track != nullptr ? track->media.get() : nullptr;
}

Movie GetTrackMovie(Track theTrack) {
  TrackRecord* track = qt::LiveTrack(theTrack);
  return track != nullptr ? track->movie : nullptr;
}

Boolean GetTrackEnabled(Track theTrack) {
  TrackRecord* track = qt::LiveTrack(theTrack);
  return track != nullptr && track->enabled ? 1 : 0;
}

void SetTrackEnabled(Track theTrack, Boolean isEnabled) {
  if (TrackRecord* track = qt::LiveTrack(theTrack)) track->enabled = isEnabled != 0;
}

TimeValue GetTrackDuration(Track theTrack) {
  TrackRecord* track = qt::LiveTrack(theTrack);
  return track != nullptr ? qt::Clamp32(qt::TrackDurationValue(*track)) : 0;
}

// ---- Media ---------------------------------------------------------------------------------

Track GetMediaTrack(Media theMedia) {
  MediaRecord* media = qt::LiveMedia(theMedia);
  return media != nullptr ? media->track : nullptr;
}

void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, Str255 creatorName,
                                OSType* creatorManufacturer) {
  MediaRecord* media = qt::LiveMedia(theMedia);
  if (mediaType != nullptr) *mediaType = media != nullptr ? media->mediaType : 0;
  if (creatorManufacturer != nullptr) *creatorManufacturer = 0;
  if (creatorName != nullptr) {
    const char* name = "";
    if (media != nullptr) {
      name = media->mediaType == SoundMediaType   ? "Sound Media Handler"
             : media->mediaType == VideoMediaType ? "Video Media Handler"
                                                  : "Text Media Handler";
    }
    const std::size_t n = std::strlen(name);
    creatorName[0] = static_cast<unsigned char>(n);
    std::memcpy(creatorName + 1, name, n);
  }
}

TimeScale GetMediaTimeScale(Media theMedia) {
  MediaRecord* media = qt::LiveMedia(theMedia);
  return media != nullptr ? media->timeScale : 0;
}

TimeValue GetMediaDuration(Media theMedia) {
  MediaRecord* media = qt::LiveMedia(theMedia);
  return media != nullptr ? qt::Clamp32(qt::MediaDurationValue(*media)) : 0;
}

namespace {

SInt32 MediaSampleCount(Media theMedia, bool countNow) {
  MediaRecord* media = qt::LiveMedia(theMedia);
  if (media == nullptr) return 0;
  if (media->written != nullptr) return qt::Clamp32(SInt64(media->written->sampleCount));
  if (media->mediaType != SoundMediaType) return qt::Clamp32(media->otherSampleCount);
  if (countNow) return qt::Clamp32(qt::SoundMediaSampleCount(*media));
  const SInt64 known = qt::KnownSoundMediaSampleCount(*media);
  return known < 0 ? -1 : qt::Clamp32(known);
}

}  // namespace

SInt32 GetMediaSampleCount(Media theMedia) {
  return MediaSampleCount(theMedia, true);
}

SInt32 SpGetMediaSampleCountIfKnown(Media theMedia) {
  return MediaSampleCount(theMedia, false);
}
