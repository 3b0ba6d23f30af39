// Compressed files through the Movie Toolbox and the Sound Converter, each side a whole process
// beside the tool a user would otherwise run on the same file, several times, medians printed.
//
// describe: four minutes of stereo sound at 44.1 kHz as WAVE, MP3, FLAC, M4A (AAC) and Ogg
//   Vorbis, each opened as a movie and its sound described as adding it to the list does (the
//   sample description with its decompression parameters, the length, the packet count),
//   beside the same on the WAVE file of the same sound: the times, and the bytes the
//   description read (the process's read calls, as /proc/self/io counts them).
// decode: an hour (or the seconds given) as MP3 and as FLAC decoded to 16-bit big-endian
//   stereo at 44.1 kHz as the program's loader does (the Movie Toolbox's groups handed one by
//   one to SoundConverterFillBuffer through its procedure, into a 4 MiB buffer), beside
//     ffmpeg -i SRC -f s16be -ar 44100 -ac 2 -y /dev/null
//   and beside the same with -threads 1 (ffmpeg on one thread, as the program decodes)
// each: 20 four-minute FLAC files each saved into a WAVE file of its own through the engine
//   (save_driver each: each file checked, then saved, in one run of the event loop, whose
//   longest pass it prints), beside a shell loop of
//     sox SRC DST.wav
//
//   sound_converter_bench [seconds] [--runs N] [--keep] [--only describe|decode|each]
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

// Documents/name of the home as a movie; null when it does not open.
Movie OpenDocument(const char* name) {
  EnterMovies();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr)
    return nullptr;
  Str255 pascal;
  pascal[0] = UInt8(std::strlen(name));
  std::memcpy(pascal + 1, name, pascal[0]);
  FSSpec spec{};
  SInt16 ref = 0;
  Movie movie = nullptr;
  if (FSMakeFSSpec(vRefNum, dirID, pascal, &spec) != noErr ||
      OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) {
    return nullptr;
  }
  NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr);
  CloseMovieFile(ref);
  return movie;
}

// Decodes Documents/name of the home; the frames it gave, -1 on a failure.
long long DecodeFile(const char* name) {
  Movie movie = OpenDocument(name);
  if (movie == nullptr) return -1;
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

// Describes Documents/name of the home as adding it to the list does; its length in frames,
// -1 on a failure.
long long DescribeFile(const char* name) {
  Movie movie = OpenDocument(name);
  if (movie == nullptr) return -1;
  Media media = GetTrackMedia(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType));
  Handle desc = NewHandle(0);
  GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(desc));
  if (GetMoviesError() != noErr || GetMediaSampleCount(media) <= 0) return -1;
  const long long frames = GetMediaDuration(media);
  DisposeHandle(desc);
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

// Medians of runs of two commands in turn; false when a run failed.
struct Pair {
  std::vector<double> a, b;
  long aMB = 0, bMB = 0;
  std::vector<std::string> aOutputs;  // what the first command printed, run by run
};

bool RunPair(const std::vector<std::string>& a, const std::vector<std::string>& b, int runs,
             Pair& out, const std::function<void()>& before = nullptr) {
  for (int r = 0; r < runs; ++r) {
    if (before) before();
    const bench::Run x = bench::Spawn(a);
    if (before) before();
    const bench::Run y = bench::Spawn(b);
    if (!x.ok || !y.ok) {
      std::printf("a run failed: %s %d, %s %d\n", a[0].c_str(), x.ok, b[0].c_str(), y.ok);
      return false;
    }
    out.a.push_back(x.seconds);
    out.aOutputs.push_back(x.output);
    out.b.push_back(y.seconds);
    out.aMB = std::max(out.aMB, x.peakMB);
    out.bMB = std::max(out.bMB, y.peakMB);
  }
  return true;
}

// The ratios of the runs pair by pair, their median.
double PairedRatio(const Pair& p) {
  std::vector<double> r;
  for (std::size_t i = 0; i < p.a.size() && i < p.b.size(); ++i) r.push_back(p.a[i] / p.b[i]);
  return bench::Median(r);
}

bool Describe(const std::string& self, const std::string& home, int runs) {
  const long seconds = 240;
  std::printf("describe: %ld s of stereo at 44.1 kHz; medians of %d runs, each a process\n",
              seconds, runs);
  const std::string docs = home + "/Documents/";
  const struct {
    const char* name;
    const char* codec;
  } files[] = {{"four.wav", "pcm_s16le"},
               {"four.mp3", "libmp3lame"},
               {"four.flac", "flac"},
               {"four.m4a", "aac"},
               {"four.ogg", "libvorbis"}};
  for (const auto& f : files) {
    if (!Make(docs + f.name, f.codec, seconds)) {
      std::printf("%s: ffmpeg could not make it\n", f.name);
      return false;
    }
  }
  // The bytes a description read, as its process printed them after its length.
  auto bytesRead = [&self](const char* name) {
    const bench::Run run = bench::Spawn({self, "--describe", name});
    long long frames = 0, bytes = -1;
    if (!run.ok || std::sscanf(run.output.c_str(), "%lld %lld", &frames, &bytes) != 2) return -1.0;
    return double(bytes);
  };
  const double waveBytes = bytesRead("four.wav");
  for (const auto& f : files) {
    if (std::strcmp(f.name, "four.wav") == 0) continue;
    Pair p;
    if (!RunPair({self, "--describe", f.name}, {self, "--describe", "four.wav"}, runs, p))
      return false;
    const double bytes = bytesRead(f.name);
    std::printf("  %-10s %6.1f ms   WAVE %6.1f ms   ratio %.2f (limit 1.5)   read %.2f MB   WAVE"
                " %.2f MB   ratio %.2f (limit 1.5)\n",
                f.name, bench::Median(p.a) * 1000, bench::Median(p.b) * 1000, PairedRatio(p),
                bytes / 1e6, waveBytes / 1e6, bytes / waveBytes);
  }
  return true;
}

bool Decode(const std::string& self, const std::string& home, long seconds, int runs) {
  std::printf(
      "decode: %ld s of stereo at 44.1 kHz, decoded to 16-bit big-endian stereo at 44.1 kHz;"
      " medians of %d runs\n",
      seconds, runs);
  for (const auto& format :
       {std::make_pair("hour.mp3", "libmp3lame"), std::make_pair("hour.flac", "flac")}) {
    const std::string path = home + "/Documents/" + format.first;
    if (!Make(path, format.second, seconds)) {
      std::printf("%s: ffmpeg could not make it\n", format.first);
      return false;
    }
    struct stat st;
    stat(path.c_str(), &st);
    // ffmpeg as a user runs it (its decoder and its output on threads of their own, on as
    // many cores as it finds), and on one thread as the program decodes.
    Pair p, single;
    const std::vector<std::string> ffmpeg = {"ffmpeg", "-v", "error", "-nostdin", "-i",
                                             path,     "-f", "s16be", "-ar",      "44100",
                                             "-ac",    "2",  "-y",    "/dev/null"};
    std::vector<std::string> ffmpegOneThread = ffmpeg;
    ffmpegOneThread.insert(ffmpegOneThread.begin() + 4, {"-threads", "1"});
    if (!RunPair({self, "--decode", format.first}, ffmpeg, runs, p) ||
        !RunPair({self, "--decode", format.first}, ffmpegOneThread, runs, single))
      return false;
    std::printf(
        "  %-10s %7.1f MB  converter %6.2f s, peak %4ld MB   ffmpeg %6.2f s, peak %4ld MB"
        "   ratio %.2f (limit 1.0)\n",
        format.first, double(st.st_size) / 1e6, bench::Median(p.a), p.aMB, bench::Median(p.b),
        p.bMB, PairedRatio(p));
    std::printf(
        "  %-10s %7s     converter %6.2f s                ffmpeg -threads 1 %6.2f s"
        "   ratio %.2f\n",
        "", "", bench::Median(single.a), bench::Median(single.b), PairedRatio(single));
    std::remove(path.c_str());
  }
  return true;
}

bool Each(const std::string& home, int runs) {
  const int count = 20;
  const long seconds = 240;
  std::printf("each: %d FLAC files of %ld s each saved into its own WAVE; medians of %d runs\n",
              count, seconds, runs);
  const std::string docs = home + "/Documents/";
  const std::string soxDir = home + "/sox/";
  mkdir(soxDir.c_str(), 0700);
  mkdir((home + "/media").c_str(), 0700);
  if (!Make(docs + "e01.flac", "flac", seconds)) return false;
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "e%02d", i);
    names.push_back(name);
    if (i > 1 && !bench::Spawn({"cp", docs + "e01.flac", docs + name + ".flac"}).ok) return false;
  }
  auto clear = [&] {
    for (const std::string& n : names) {
      std::remove((docs + n + ".wav").c_str());
      std::remove((soxDir + n + ".wav").c_str());
    }
  };
  const std::string loop = "for f in " + docs + "e*.flac; do n=${f##*/}; sox \"$f\" \"" +
                           soxDir + "${n%.flac}.wav\" || exit 1; done";
  Pair p;
  if (!RunPair({SP_SAVE_DRIVER, "each", home}, {"sh", "-c", loop}, runs, p, clear)) return false;
  std::printf("  ours %6.2f s, peak %4ld MB   sox loop %6.2f s, peak %4ld MB   ratio %.2f"
              " (limit 1.0)\n",
              bench::Median(p.a), p.aMB, bench::Median(p.b), p.bMB, PairedRatio(p));
  // The driver prints its seconds, its longest pass of the event loop and its passes over
  // 50 ms, the files' starts and ends included.
  double longest = 0;
  int over = 0;
  for (const std::string& output : p.aOutputs) {
    double seconds = 0, pass = 0;
    int passes = 0;
    if (std::sscanf(output.c_str(), "%lf %lf %d", &seconds, &pass, &passes) != 3) continue;
    longest = std::max(longest, pass);
    over = std::max(over, passes);
  }
  std::printf(
      "  longest event-loop pass of ours %.1f ms, at most %d passes over 50 ms in a run"
      " (goal <= 50 ms: %s)\n",
      longest, over, longest <= 50.0 ? "met" : "MISSED");
  clear();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--decode") == 0) {
    const long long frames = DecodeFile(argv[2]);
    std::printf("%lld\n", frames);
    return frames >= 0 ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "--describe") == 0) {
    const long long before = bench::BytesRead();
    const long long frames = DescribeFile(argv[2]);
    std::printf("%lld %lld\n", frames, bench::BytesRead() - before);
    return frames >= 0 ? 0 : 1;
  }
  long seconds = 3600;
  int runs = 3;
  bool keep = false;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      seconds = std::max(1L, std::strtol(argv[i], nullptr, 10));
    }
  }
  const std::string home =
      bench::MakeHome("converter-bench", keep, "XDG_DOCUMENTS_DIR", {"/Documents"});
  if (home.empty()) return 1;
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  if ((only.empty() || only == "describe") && !Describe(self, home, std::max(runs, 11))) return 1;
  if ((only.empty() || only == "decode") && !Decode(self, home, seconds, runs)) return 1;
  if ((only.empty() || only == "each") && !Each(home, runs)) return 1;
  return 0;
}
