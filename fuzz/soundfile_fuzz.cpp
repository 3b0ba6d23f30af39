// Sound files: the bytes as a file told as a movie or not (as the add dialog tells the files it
// lists), then opened as a movie, its first sound track described and read through a Sound
// Converter into the working format (16-bit big-endian stereo at 44.1 kHz), as the loader of a
// save reads it; at most a bounded number of groups.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Files.h"
#include "Folders.h"
#include "FuzzHome.h"
#include "MacMemory.h"
#include "Movies.h"
#include "SoundConverter.h"
#include "quicktime/detail/MovieData.h"

namespace {

constexpr int kMaxGroups = 2000;

struct Feed {
  Media media = nullptr;
  TimeValue time = 0;
  Handle group = nullptr;
  int groups = 0;
  ExtendedSoundComponentData data{};
};

Boolean NextGroup(SoundComponentDataPtr* out, void* refCon) {
  Feed* f = static_cast<Feed*>(refCon);
  if (++f->groups > kMaxGroups) return false;
  SInt32 size = 0, count = 0;
  TimeValue sampleTime = 0, perSample = 0;
  if (GetMediaSample(f->media, f->group, 1 << 16, &size, f->time, &sampleTime, &perSample, nullptr,
                     nullptr, 0, &count, nullptr) != noErr) {
    return false;
  }
  f->time = sampleTime + perSample * count;
  f->data.desc.buffer = reinterpret_cast<Byte*>(*f->group);
  f->data.bufferSize = size;
  *out = &f->data.desc;
  return true;
}

void Convert(Media media) {
  Handle desc = NewHandle(0);
  if (desc == nullptr) return;
  GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(desc));
  GetMediaDuration(media);
  GetMediaSampleCount(media);
  if (GetMoviesError() != noErr || GetHandleSize(desc) < Size(sizeof(SoundDescription))) {
    DisposeHandle(desc);
    return;
  }
  const SoundDescription d = **reinterpret_cast<SoundDescriptionHandle>(desc);
  const SoundComponentData in{
      0, d.dataFormat, d.numChannels, d.sampleSize, d.sampleRate, 0, nullptr, 0};
  const SoundComponentData out{0, k16BitBigEndianFormat, 2, 16, rate44khz, 0, nullptr, 0};
  SoundConverter sc = nullptr;
  if (SoundConverterOpen(&in, &out, &sc) == noErr) {
    SoundConverterSetInfo(sc, siClientAcceptsVBR, reinterpret_cast<void*>(1));
    Handle wave = nullptr;
    if (GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), &wave,
                                     siDecompressionParams) == noErr) {
      SoundConverterSetInfo(sc, siDecompressionParams, *wave);
      DisposeHandle(wave);
    }
    Feed feed;
    feed.media = media;
    feed.group = NewHandle(0);
    feed.data.desc.flags = kExtendedSoundData;
    feed.data.recordSize = kExtendedSoundComponentDataRecordSize;
    feed.data.extendedFlags = kExtendedSoundBufferSizeValid | kExtendedSoundSampleCountNotValid;
    std::vector<UInt8> buffer(1 << 16);
    for (int fills = 0; fills < kMaxGroups && feed.group != nullptr; ++fills) {
      UInt32 bytes = 0, frames = 0, flags = 0;
      if (SoundConverterFillBuffer(sc, NextGroup, &feed, buffer.data(), UInt32(buffer.size()),
                                   &bytes, &frames, &flags) != noErr ||
          !(flags & kSoundConverterHasLeftOverData)) {
        break;
      }
    }
    UInt32 bytes = 0, frames = 0;
    SoundConverterEndConversion(sc, buffer.data(), &frames, &bytes);
    SoundConverterClose(sc);
    if (feed.group != nullptr) DisposeHandle(feed.group);
  }
  DisposeHandle(desc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  if (home.empty()) return 0;
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum, &dirID) != noErr)
    return 0;
  if (!sp_fuzz::WriteFile(home + "/Documents/input", data, size)) return 0;
  EnterMovies();
  // Every input is written to the same path: what was learnt of the last one goes.
  sp_platform::quicktime::ForgetSoundLengths();
  FSSpec spec{};
  SInt16 ref = 0;
  if (FSMakeFSSpec(vRefNum, dirID, reinterpret_cast<ConstStr255Param>("\x05input"), &spec) !=
          noErr ||
      OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) {
    return 0;
  }
  Boolean graphics = false, asMovie = false, preferred = false;
  CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &asMovie, &preferred, 0);
  Movie movie = nullptr;
  NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr);
  CloseMovieFile(ref);
  if (movie == nullptr) return 0;
  Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  if (track != nullptr) Convert(GetTrackMedia(track));
  DisposeMovie(movie);
  return 0;
}
