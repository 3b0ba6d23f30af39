// Decoding time and memory of long compressed files through the Sound Converter.
//
// Makes an hour (or the seconds given) of stereo sound at 44.1 kHz, a tone over soft pink
// noise, as MP3 and as FLAC with the ffmpeg tool in a temporary home, then decodes each file
// to 16-bit big-endian stereo at 44.1 kHz as the program's loader does (the Movie Toolbox's
// groups handed one by one to SoundConverterFillBuffer through its procedure, into a 4 MiB
// buffer) and, in turn, with
//   ffmpeg -i SRC -f s16be -ar 44100 -ac 2 -y /dev/null
// Each side runs as a process of its own, several times; the medians of their wall times and
// their peak memory are printed.
//
//   sound_converter_bench [seconds] [--runs N] [--keep]
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "BenchProcess.h"
#include "Files.h"
#include "Folders.h"
#include "MacMemory.h"
#include "Movies.h"
#include "SoundConverter.h"

namespace {

// ---- One decode, in this process -----------------------------------------------------------

struct Feed {
  Media media = nullptr;
  TimeValue time = 0;
  Handle group = nullptr;
  ExtendedSoundComponentData data{};
};

Boolean NextGroup(SoundComponentDataPtr* out, void* refCon) {
  Feed* f = static_cast<Feed*>(refCon);
  SInt32 size = 0, count = 0;
  TimeValue sampleTime = 0, perSample = 0;
  if (GetMediaSample(f->media, f->group, 1 << 20, &size, f->time, &sampleTime, &perSample, nullptr,
                     nullptr, 0, &count, nullptr) != noErr) {
    return false;
  }
  f->time = sampleTime + perSample * count;
  f->data.desc.buffer = reinterpret_cast<Byte*>(*f->group);
  f->data.bufferSize = size;
  *out = &f->data.desc;
  return true;
}

// Decodes Documents/name of the home; the frames it gave, -1 on a failure.
long long DecodeFile(const char* name) {
  EnterMovies();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr)
    return -1;
  Str255 pascal;
  pascal[0] = UInt8(std::strlen(name));
  std::memcpy(pascal + 1, name, pascal[0]);
  FSSpec spec{};
  SInt16 ref = 0;
  Movie movie = nullptr;
  if (FSMakeFSSpec(vRefNum, dirID, pascal, &spec) != noErr ||
      OpenMovieFile(&spec, &ref, fsRdPerm) != noErr ||
      NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr) != noErr) {
    return -1;
  }
  CloseMovieFile(ref);
  Feed feed;
  feed.media = GetTrackMedia(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType));
  Handle desc = NewHandle(0);
  GetMediaSampleDescription(feed.media, 1, reinterpret_cast<SampleDescriptionHandle>(desc));
  const SoundDescription d = **reinterpret_cast<SoundDescriptionHandle>(desc);
  const SoundComponentData in{
      0, d.dataFormat, d.numChannels, d.sampleSize, d.sampleRate, 0, nullptr, 0};
  const SoundComponentData out{0, k16BitBigEndianFormat, 2, 16, rate44khz, 0, nullptr, 0};
  SoundConverter sc = nullptr;
  if (SoundConverterOpen(&in, &out, &sc) != noErr) return -1;
  SoundConverterSetInfo(sc, siClientAcceptsVBR, reinterpret_cast<void*>(1));
  Handle wave = nullptr;
  if (GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), &wave,
                                   siDecompressionParams) == noErr) {
    SoundConverterSetInfo(sc, siDecompressionParams, *wave);
  }
  feed.group = NewHandle(0);
  feed.data.desc.flags = kExtendedSoundData;
  feed.data.recordSize = kExtendedSoundComponentDataRecordSize;
  feed.data.extendedFlags = kExtendedSoundBufferSizeValid | kExtendedSoundSampleCountNotValid;
  const UInt32 room = 4u << 20;
  std::vector<UInt8> buffer(room);
  long long frames = 0;
  SoundConverterBeginConversion(sc);
  for (;;) {
    UInt32 bytes = 0, count = 0, flags = 0;
    if (SoundConverterFillBuffer(sc, NextGroup, &feed, buffer.data(), room, &bytes, &count,
                                 &flags) != noErr) {
      return -1;
    }
    frames += count;
    if (!(flags & kSoundConverterHasLeftOverData)) break;
  }
  UInt32 bytes = 0, count = 0;
  SoundConverterEndConversion(sc, buffer.data(), &count, &bytes);
  frames += count;
  SoundConverterClose(sc);
  DisposeMovie(movie);
  return frames;
}

// ---- Runs of whole processes ---------------------------------------------------------------

bool Make(const std::string& path, const std::string& codec, long seconds) {
  const std::string duration = std::to_string(seconds);
  return bench::Spawn({"ffmpeg",
                       "-v",
                       "error",
                       "-nostdin",
                       "-y",
                       "-f",
                       "lavfi",
                       "-i",
                       "sine=frequency=220:sample_rate=44100:duration=" + duration,
                       "-f",
                       "lavfi",
                       "-i",
                       "anoisesrc=color=pink:amplitude=0.05:sample_rate=44100:duration=" + duration,
                       "-filter_complex",
                       "amix=inputs=2,aformat=channel_layouts=stereo",
                       "-c:a",
                       codec,
                       "-b:a",
                       "192k",
                       path})
      .ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--decode") == 0) {
    const long long frames = DecodeFile(argv[2]);
    std::printf("%lld\n", frames);
    return frames >= 0 ? 0 : 1;
  }
  long seconds = 3600;
  int runs = 3;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      seconds = std::max(1L, std::strtol(argv[i], nullptr, 10));
    }
  }
  const std::string home =
      bench::MakeHome("converter-bench", keep, "XDG_DOCUMENTS_DIR", {"/Documents"});
  if (home.empty()) return 1;
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;

  std::printf(
      "sound: %ld s of stereo at 44.1 kHz, decoded to 16-bit big-endian stereo at 44.1 kHz;"
      " medians of %d runs\n",
      seconds, runs);
  for (const auto& format :
       {std::make_pair("hour.mp3", "libmp3lame"), std::make_pair("hour.flac", "flac")}) {
    const std::string path = home + "/Documents/" + format.first;
    if (!Make(path, format.second, seconds)) {
      std::printf("%s: ffmpeg could not make it\n", format.first);
      return 1;
    }
    struct stat st;
    stat(path.c_str(), &st);
    std::vector<double> ours, theirs;
    long oursMB = 0, theirsMB = 0;
    for (int r = 0; r < runs; ++r) {
      const bench::Run a = bench::Spawn({self, "--decode", format.first});
      const bench::Run b = bench::Spawn({"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-f",
                                         "s16be", "-ar", "44100", "-ac", "2", "-y", "/dev/null"});
      if (!a.ok || !b.ok) {
        std::printf("%s: a decode failed (ours %d, ffmpeg %d)\n", format.first, a.ok, b.ok);
        return 1;
      }
      ours.push_back(a.seconds);
      theirs.push_back(b.seconds);
      oursMB = std::max(oursMB, a.peakMB);
      theirsMB = std::max(theirsMB, b.peakMB);
    }
    std::printf(
        "%-10s %7.1f MB  converter %6.2f s, peak %4ld MB   ffmpeg %6.2f s, peak %4ld MB"
        "   ratio %.2f\n",
        format.first, double(st.st_size) / 1e6, bench::Median(ours), oursMB, bench::Median(theirs),
        theirsMB, bench::Median(ours) / bench::Median(theirs));
  }
  return 0;
}
