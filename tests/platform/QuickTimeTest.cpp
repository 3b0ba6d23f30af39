// Movie Toolbox: files as movies, their tracks, descriptions, samples and time scales; the
// sound formats and converters.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "QuickTimeSamples.h"
#include "Sound.h"
#include "SoundConverter.h"
#include "SpTesting.h"
#include "quicktime/detail/Demux.h"

namespace quicktime_test {
namespace {

std::function<bool(const std::string&)> Tone(const char* codec, UInt32 rate, UInt16 channels,
                                             double seconds) {
  return [=](const std::string& path) {
    return sp_testing::MakeToneWithFfmpeg(path, codec, rate, channels, seconds);
  };
}

// A sound description as one line: format, version, data reference, channels, rate,
// sample size, compression id, bytes per frame, samples per packet.
std::string Summary(const SoundDescriptionV1& d) {
  const OSType f = d.desc.dataFormat;
  const char format[5] = {char(f >> 24), char(f >> 16), char(f >> 8), char(f), 0};
  char text[128];
  std::snprintf(text, sizeof text, "%s v%d r%d %dch %uHz %dbit id%d bpf%u spp%u", format,
                d.desc.version, d.desc.dataRefIndex, d.desc.numChannels,
                unsigned(d.desc.sampleRate >> 16), d.desc.sampleSize, d.desc.compressionID,
                unsigned(d.bytesPerFrame), unsigned(d.samplesPerPacket));
  return text;
}

// Wrong channel counts, rates in the wrong fixed-point position, PCM counted in packets or
// compressed media counted in frames all show in this table.
TEST_F(QuickTimeTest, SoundDescriptionsMatchEachFormat) {
  auto aiff = [](const std::string& p) { return sp_testing::WriteTestAiff(p, 2, 44100, 44100); };
  auto wave = [](const std::string& p) { return sp_testing::WriteTestWave(p, 1, 22050, 1000); };
  const struct {
    const char* name;
    std::function<bool(const std::string& path)> make;
    const char* summary;   // a '*' ends what must match
    SInt32 frames;         // -1: packets of varying size
    OSType extensionAtom;  // an atom the 'wave' extension must hold; 0: none
    bool probed = true;    // FFmpeg decodes the sound to describe it, as its header leaves
                           // something out
  } cases[] = {
      {"tone.aif", aiff, "twos v1 r1 2ch 44100Hz 16bit id0 bpf4 spp1", 44100, 0},
      {"tone.wav", wave, "sowt v1 r1 1ch 22050Hz 16bit id0 bpf2 spp1", 1000, 0},
      {"tone24.wav", Tone("pcm_s24le", 48000, 2, 0.5), "in24 v1 r1 2ch 48000Hz 24bit id0 bpf6 spp1",
       24000, SpFourCC("enda")},
      {"ulaw.wav", Tone("pcm_mulaw", 8000, 1, 0.5), "ulaw v1 r1 1ch 8000Hz 16bit id-1 bpf1 spp1",
       4000, 0},
      {"tone.aifc", Tone("adpcm_ima_qt", 22050, 1, 0.5),
       "ima4 v1 r1 1ch 22050Hz 16bit id-1 bpf34 spp64", -1, 0},
      {"tone.mov", Tone("pcm_s16be", 44100, 2, 1.0), "twos v1 r1 2ch 44100Hz 16bit id0 bpf4 spp1",
       44100, 0},
      {"tone.mp3", Tone("libmp3lame", 44100, 2, 1.0),
       ".mp3 v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp1152", -1, SpFourCC("strp")},
      {"tone.m4a", Tone("aac", 44100, 2, 1.0), "mp4a v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp1024", -1,
       SpFourCC("esds"), false},
      // In one channel or at 24 kHz or less, AAC may hide band replication or parametric
      // stereo that only decoding shows.
      {"mono.m4a", Tone("aac", 44100, 1, 0.5), "mp4a v1 r1 1ch 44100Hz 16bit id-2 bpf0 spp1024", -1,
       SpFourCC("esds")},
      {"low.m4a", Tone("aac", 22050, 2, 0.5), "mp4a v1 r1 2ch 22050Hz 16bit id-2 bpf0 spp1024", -1,
       SpFourCC("esds")},
      // Vorbis has no format code of its own (the summary shows none).
      {"tone.ogg", Tone("libvorbis", 44100, 2, 1.0), " v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp*", -1,
       SpFourCC("cset"), false},
      {"tone.opus", Tone("libopus", 48000, 1, 1.0), "opus v1 r1 1ch 48000Hz 16bit id-2 bpf0 spp*",
       -1, SpFourCC("cset"), false},
      {"alac.m4a", Tone("alac", 44100, 1, 0.5), "alac v1 r1 1ch 44100Hz 16bit id-2 bpf0 spp4096",
       -1, SpFourCC("alac")},
      {"tone.flac", Tone("flac", 44100, 2, 0.5), "flac v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp*", -1,
       SpFourCC("cset")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool written = std::string(c.name) == "tone.aif" || std::string(c.name) == "tone.wav";
    if (!written && !sp_testing::FfmpegAvailable()) continue;
    ASSERT_TRUE(c.make(Path(c.name)));
    const UInt64 probed = sp_testing::CountedSoundLengths().probed;
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(sp_testing::CountedSoundLengths().probed - probed, c.probed ? 1u : 0u);
    const SoundDescriptionV1 d = Describe(media);
    const std::string summary = c.summary;
    EXPECT_EQ(Summary(d).substr(0, summary.find('*')), summary.substr(0, summary.find('*')));
    EXPECT_TRUE(d.samplesPerPacket >= 1 &&
                GetMediaTimeScale(media) == TimeScale(d.desc.sampleRate >> 16));
    const SInt32 count = GetMediaSampleCount(media);
    const TimeValue duration = GetMediaDuration(media);
    if (c.frames >= 0) {
      EXPECT_TRUE(count == c.frames && duration == c.frames) << count << " " << duration;
    } else if (d.samplesPerPacket == 64) {
      EXPECT_EQ(count % 64, 0) << "whole IMA packets of frames";
    } else {  // packets, each lasting about one packet's frames
      EXPECT_TRUE(count > 0 && duration >= TimeValue(d.desc.sampleRate >> 17) &&
                  duration <= SInt32(count * SInt32(d.samplesPerPacket)))
          << count << " " << duration;
    }
    Handle ext = nullptr;
    Handle desc = NewHandle(0);
    auto extension = [&](OSType type) {
      return GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), &ext,
                                          type);
    };
    EXPECT_EQ(extension(SpFourCC("wave")), paramErr) << "an empty handle is no description";
    GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(desc));
    const OSErr waveErr = extension(SpFourCC("wave"));
    EXPECT_EQ(waveErr, c.extensionAtom == 0 ? OSErr(cannotFindAtomErr) : OSErr(noErr));
    if (waveErr == noErr) {
      // The list starts with the format atom, as a decompression atom must.
      ASSERT_GE(GetHandleSize(ext), 20);
      EXPECT_TRUE(sp::LoadBE32(*ext) == UInt32(GetHandleSize(ext)) &&
                  sp::LoadBE32(*ext + 16) == d.desc.dataFormat);
      EXPECT_EQ(std::string(*ext + 4, 4) + std::string(*ext + 12, 4), "wavefrma");
      DisposeHandle(ext);
      ASSERT_EQ(extension(c.extensionAtom), noErr);
      EXPECT_EQ(sp::LoadBE32(*ext + 4), c.extensionAtom);
      DisposeHandle(ext);
    }
    DisposeHandle(desc);
  }
}

// The frames of each packet of plain AAC come from its configuration only where nothing the
// decoder finds can change them; any other configuration is left to the decoder.
TEST(QuickTimeAacTest, PlainAacStatesItsFramesPerPacket) {
  const struct {
    const char* why;
    std::vector<UInt8> config;
    int frames;
  } cases[] = {
      {"low complexity, 44.1 kHz, stereo", {0x12, 0x10}, 1024},
      {"then no band replication, as FFmpeg writes it", {0x12, 0x10, 0x56, 0xE5, 0x00}, 1024},
      {"short frames", {0x12, 0x14}, 960},
      {"a rate of its own", {0x17, 0x80, 0x56, 0x22, 0x10}, 1024},
      {"band replication present", {0x12, 0x10, 0x56, 0xE5, 0x98}, 0},
      {"band replication as the object type", {0x2B, 0x92, 0x08, 0x00}, 0},
      {"channels from a program configuration", {0x12, 0x00}, 0},
      {"seven channels and one", {0x12, 0x38}, 1024},
      {"a reserved channel configuration", {0x12, 0x40}, 0},
      {"a core coder", {0x12, 0x12}, 0},
      {"another extension after it", {0x12, 0x10, 0x56, 0xE6, 0x00}, 0},
      {"cut short", {0x12}, 0},
      {"cut in the rate of its own", {0x17, 0x80, 0x56}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sp_platform::quicktime::AacFramesPerPacket(c.config.data(), c.config.size()),
              c.frames)
        << c.why;
  }
  EXPECT_EQ(sp_platform::quicktime::AacFramesPerPacket(nullptr, 2), 0);
}

// Movie files need a file and a known number; a movie comes from an open data fork too;
// disposed objects are refused. 96 kHz has no 16.16 value, so the rate field is 0 and the time
// scale keeps the true rate.
TEST_F(QuickTimeTest, MovieFilesOpenOnceAndDisposedObjectsAreRefused) {
  FSSpec missing = Spec("missing.aif");
  SInt16 ref = 0;
  EXPECT_EQ(OpenMovieFile(&missing, &ref, fsRdPerm), fnfErr);
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 96000, 9600));
  FSSpec spec = Spec("a.aif");
  EXPECT_EQ(OpenMovieFile(&spec, &ref, fsRdWrPerm), permErr);
  ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr);
  Movie movie = nullptr;
  SInt16 resId = 1;
  EXPECT_EQ(std::vector<OSErr>({NewMovieFromFile(&movie, ref, &resId, nullptr, 0, nullptr),
                                CloseMovieFile(ref), CloseMovieFile(ref),
                                NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr)}),
            std::vector<OSErr>({resNotFound, noErr, rfNumErr, rfNumErr}));
  EXPECT_EQ(movie, nullptr);
  ASSERT_EQ(FSpOpenDF(&spec, fsRdPerm, &ref), noErr);
  ASSERT_EQ(NewMovieFromDataFork(&movie, ref, 0, newMovieActive, nullptr), noErr);
  Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  Media media = GetTrackMedia(track);
  EXPECT_EQ(std::vector<SInt32>({SInt32(Describe(media).desc.sampleRate), GetMediaTimeScale(media),
                                 GetMediaDuration(media)}),
            std::vector<SInt32>({0, 96000, 9600}));
  Handle h = NewHandle(0);
  ASSERT_EQ(GetMediaSample(media, h, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                           nullptr),
            noErr);
  EXPECT_EQ(sp::LoadBE16(*h + 2), UInt16(sp_testing::TestSampleValue(0, 1)));
  DisposeHandle(h);
  DisposeMovie(movie);
  FSClose(ref);  // the movie read through the open fork
  auto withError = [](long result) { return std::vector<long>({result, GetMoviesError()}); };
  EXPECT_EQ(withError(0), std::vector<long>({0, noErr}));
  EXPECT_EQ(
      withError(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType) != nullptr),
      std::vector<long>({0, invalidMovie}));
  EXPECT_EQ(withError(GetTrackMedia(track) != nullptr), std::vector<long>({0, invalidTrack}));
  EXPECT_EQ(withError(GetMediaSampleCount(media)), std::vector<long>({0, invalidMedia}));
  EXPECT_EQ(GetMediaSample(media, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0,
                           nullptr, nullptr),
            invalidMedia);
  EXPECT_EQ(GetMovieUserData(nullptr), nullptr);
  DisposeMovie(movie);  // twice: refused, no crash
  EXPECT_EQ(GetMoviesError(), invalidMovie);
}

// A movie may start part way into a data fork: it is read from the offset given, and an
// offset outside the fork is refused.
TEST_F(QuickTimeTest, MoviesInADataForkStartAtTheOffsetGiven) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 8000, 800));
  WriteFile("lead.aif", std::string(100, 'x') + ReadFile("a.aif"));
  const SInt32 size = SInt32(ReadFile("lead.aif").size());
  const FSSpec spec = Spec("lead.aif");
  SInt16 ref = 0;
  ASSERT_EQ(FSpOpenDF(&spec, fsRdPerm, &ref), noErr);
  const struct {
    SInt32 offset;
    OSErr err;
  } cases[] = {{100, noErr}, {size + 1, eofErr}, {-1, eofErr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    Movie movie = nullptr;
    EXPECT_EQ(NewMovieFromDataFork(&movie, ref, c.offset, newMovieActive, nullptr), c.err);
    if (movie == nullptr) continue;
    Media media = SoundMedia(movie);
    EXPECT_EQ(GetMediaDuration(media), 800);
    Handle h = NewHandle(0);
    ASSERT_EQ(GetMediaSample(media, h, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0,
                             nullptr, nullptr),
              noErr);
    EXPECT_EQ(sp::LoadBE16(*h + 2), UInt16(sp_testing::TestSampleValue(0, 1)));
    DisposeHandle(h);
    DisposeMovie(movie);
  }
  FSClose(ref);
}

TEST_F(QuickTimeTest, TracksAreFoundByTypeAndCharacteristic) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::RunFfmpeg(  // a video track first, a sound track second
      {"-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-f", "lavfi", "-i",
       "sine=sample_rate=22050:duration=1", "-map", "0:v", "-map", "1:a", "-c:v", "mjpeg", "-c:a",
       "pcm_s16be", "-fflags", "+bitexact", Path("av.mov")},
      Path("av.mov")));
  Movie movie = Open("av.mov");
  ASSERT_NE(movie, nullptr);
  Track sound = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  Track video = GetMovieIndTrackType(movie, 1, VisualMediaCharacteristic, movieTrackCharacteristic);
  EXPECT_TRUE(sound != nullptr && video != nullptr && video != sound);
  EXPECT_EQ(Describe(GetTrackMedia(sound)).desc.dataFormat, SpFourCC("twos"));
  EXPECT_EQ(GetMovieIndTrackType(movie, 1, AudioMediaCharacteristic, movieTrackCharacteristic),
            sound);
  EXPECT_EQ(GetMovieIndTrackType(movie, 2, SoundMediaType, movieTrackMediaType), nullptr);
}

// The sound format table: packing of each format, and which conversions a converter can be
// opened for.
TEST(QuickTimeSoundTest, CompressionInfoGivesEachFormatsPacking) {
  struct Case {
    SInt16 id;
    OSType format;
    SInt16 channels, size;
    SInt16 compressionID;
    UInt16 samplesPerPacket, bytesPerPacket, bytesPerFrame, bytesPerSample;
  } cases[] = {
      {fixedCompression, k16BitBigEndianFormat, 2, 16, 0, 1, 2, 4, 2},
      {fixedCompression, k16BitLittleEndianFormat, 1, 16, 0, 1, 2, 2, 2},
      {fixedCompression, kSoundNotCompressed, 2, 8, 0, 1, 1, 2, 1},
      {notCompressed, k24BitFormat, 2, 24, 0, 1, 3, 6, 3},
      {fixedCompression, kFloat32Format, 1, 32, 0, 1, 4, 4, 4},
      {fixedCompression, kULawCompression, 2, 16, -1, 1, 1, 2, 2},
      {fixedCompression, kIMACompression, 2, 16, -1, 64, 34, 68, 2},
      {variableCompression, kFullMPEGLay3Format, 2, 16, -2, 1152, 0, 0, 2},
      {fixedCompression, kMPEG4AudioFormat, 2, 16, -2, 1024, 0, 0, 2},
      {threeToOne, 0, 1, 8, -1, 6, 2, 2, 1},  // the MACE ids name their format
  };
  for (const Case& c : cases) {
    CompressionInfo ci{};
    ASSERT_EQ(GetCompressionInfo(c.id, c.format, c.channels, c.size, &ci), noErr) << c.format;
    EXPECT_EQ(std::vector<int>({ci.compressionID, ci.samplesPerPacket, ci.bytesPerPacket,
                                ci.bytesPerFrame, ci.bytesPerSample}),
              std::vector<int>({c.compressionID, c.samplesPerPacket, c.bytesPerPacket,
                                c.bytesPerFrame, c.bytesPerSample}))
        << c.format;
  }
  CompressionInfo ci{};
  const OSType be = k16BitBigEndianFormat;
  EXPECT_EQ(GetCompressionInfo(fixedCompression, SpFourCC("zzzz"), 2, 16, &ci),
            siInvalidCompression);
  EXPECT_EQ(std::vector<OSErr>({GetCompressionInfo(fixedCompression, be, 2, 12, &ci),
                                GetCompressionInfo(fixedCompression, be, 0, 16, &ci),
                                GetCompressionInfo(fixedCompression, be, 2, 16, nullptr)}),
            std::vector<OSErr>(3, paramErr));
}

// A converter is refused for what cannot be decoded or encoded, so the program tells the
// user before a save starts rather than failing halfway.
TEST(QuickTimeSoundTest, ConvertersOpenOnlyForPossibleConversions) {
  const SoundComponentData working{0, k16BitBigEndianFormat, 2, 16, rate44khz, 0, nullptr, 0};
  struct Case {
    SoundComponentData in, out;
    OSErr expected;
  } cases[] = {
      {working, working, noErr},
      {{0, kFullMPEGLay3Format, 2, 16, rate44khz, 0, nullptr, 0}, working, noErr},
      {{0, kMPEG4AudioFormat, 6, 16, rate48khz, 0, nullptr, 0}, working, noErr},
      {{0, k16BitLittleEndianFormat, 1, 24, rate22050hz, 0, nullptr, 0}, working, noErr},
      {working, {0, kMPEG4AudioFormat, 2, 16, rate44khz, 0, nullptr, 0}, noErr},
      {working, {0, kIMACompression, 1, 16, rate22050hz, 0, nullptr, 0}, noErr},
      {working, {0, kMACE3Compression, 1, 8, rate22050hz, 0, nullptr, 0}, badFormat},  // no encoder
      {{0, SpFourCC("zzzz"), 2, 16, rate44khz, 0, nullptr, 0}, working, badFormat},
      {{0, k16BitBigEndianFormat, 2, 12, rate44khz, 0, nullptr, 0}, working, badFormat},
      {{0, k16BitBigEndianFormat, 9, 16, rate44khz, 0, nullptr, 0}, working, badFormat},
      // An input rate of 0 comes with the decompression parameters; an output needs one.
      {{0, k16BitBigEndianFormat, 2, 16, 0, 0, nullptr, 0}, working, noErr},
      {working, {0, k16BitBigEndianFormat, 2, 16, 0, 0, nullptr, 0}, siInvalidSampleRate},
  };
  for (const Case& c : cases) {
    SoundConverter sc = nullptr;
    EXPECT_EQ(SoundConverterOpen(&c.in, &c.out, &sc), c.expected)
        << std::hex << c.in.format << " -> " << c.out.format;
    EXPECT_EQ(sc != nullptr, c.expected == noErr);
    EXPECT_EQ(sc != nullptr ? SoundConverterClose(sc) : OSErr(noErr), noErr);
  }
  SoundConverter sc = nullptr;
  EXPECT_EQ(SoundConverterOpen(nullptr, &working, &sc), paramErr);
  ASSERT_EQ(SoundConverterOpen(&working, &working, &sc), noErr);
  ASSERT_EQ(SoundConverterClose(sc), noErr);
  EXPECT_EQ(SoundConverterClose(sc), paramErr);
}

// Files as movies: which files open, which importer media type they give, aliases, and
// protected files.
class QuickTimeImportTest : public QuickTimeTest {
 protected:
  // The importer's media type for a file, as the sound-file check asks it: 0 when there is
  // no importer.
  OSType ImporterMediaType(const std::string& name, OSErr* err) {
    FSSpec spec = Spec(name);
    AliasHandle alias = nullptr;
    EXPECT_EQ(NewAlias(nullptr, &spec, &alias), noErr);
    Component importer = nullptr;
    *err = GetMovieImporterForDataRef(rAliasType, reinterpret_cast<Handle>(alias), 0, &importer);
    DisposeHandle(reinterpret_cast<Handle>(alias));
    if (*err != noErr) return 0;
    ComponentDescription cd{};
    EXPECT_EQ(GetComponentInfo(importer, &cd, nullptr, nullptr, nullptr), noErr);
    OSType viaInstance = 0;
    ComponentInstance ci = OpenComponent(importer);
    EXPECT_EQ(MovieImportGetDestinationMediaType(ci, &viaInstance), noErr);
    EXPECT_EQ(CloseComponent(ci), noErr);
    EXPECT_TRUE(cd.componentType == MovieImportType && viaInstance == cd.componentManufacturer);
    return cd.componentManufacturer;
  }
};

using Maker = std::function<bool(const std::string& path)>;

Maker Ffmpeg(std::vector<std::string> args) {
  return [args](const std::string& p) mutable {
    args.push_back(p);
    return sp_testing::RunFfmpeg(args, p);
  };
}
Maker Bytes(const std::string& bytes) {
  return [bytes](const std::string& p) {
    std::ofstream(p, std::ios::binary) << bytes;
    return true;
  };
}

// A sound file must be told from a movie without sound, a text, an empty or a damaged file,
// and a still picture (which opens as a movie only when graphics importers are not preferred).
// WAVE, AIFF, MP3 and FLAC files are told from their headers alone, also a WAVE whose 16-bit
// samples carry DTS (still sound, whatever its codec turns out to be when it is described).
TEST_F(QuickTimeImportTest, SoundFilesAreToldFromOtherFiles) {
  const Maker aiff = [](const std::string& p) {
    return sp_testing::WriteTestAiff(p, 2, 44100, 441);
  };
  const Maker wave = [](const std::string& p) {
    return sp_testing::WriteTestWave(p, 1, 8000, 800);
  };
  const Maker dtsInWave = [](const std::string& p) {
    const std::string dts = p + ".dts";
    return sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=duration=1:sample_rate=44100", "-ac",
                                  "2", "-c:a", "dca", "-strict", "-2", "-f", "dts", dts},
                                 dts) &&
           sp_testing::RunFfmpeg({"-f", "s16le", "-ar", "44100", "-ac", "2", "-i", dts, "-c:a",
                                  "pcm_s16le", p},
                                 p);
  };
  const struct {
    const char* name;
    Maker make;
    bool opensAsMovie, graphics;
    OSType importerMediaType;  // 0: no importer
    bool fromHeader = false;   // told without FFmpeg reading the streams' first packets
  } cases[] = {
      {"a.aif", aiff, true, false, SoundMediaType, true},
      {"a.wav", wave, true, false, SoundMediaType, true},
      {"dts.wav", dtsInWave, true, false, SoundMediaType, true},
      {"a.mp3", Tone("libmp3lame", 44100, 2, 0.5), true, false, SoundMediaType, true},
      {"a.flac", Tone("flac", 44100, 2, 0.5), true, false, SoundMediaType, true},
      {"a.m4a", Tone("aac", 44100, 2, 0.5), true, false, SoundMediaType},
      {"video.mov",
       Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-c:v", "mjpeg"}), true,
       false, VideoMediaType},
      {"notes.txt", Bytes("Shopping list:\n- milk\n"), false, false, 0},
      {"empty.wav", Bytes(""), false, false, 0},
      {"cut.wav", Bytes(std::string("RIFF\x24\x08\0\0WAVEfmt \x10\0\0\0", 20)), false, false, 0},
      {"image.png",
       Ffmpeg({"-f", "lavfi", "-i", "color=c=red:size=8x8", "-frames:v", "1", "-c:v", "png", "-f",
               "image2"}),
       false, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.make(Path(c.name))) {
      ASSERT_FALSE(sp_testing::FfmpegAvailable());
      continue;
    }
    FSSpec spec = Spec(c.name);
    Boolean graphics = 2, movie = 2, prefer = 2;
    const UInt64 probed = sp_testing::CountedSoundLengths().probed;
    ASSERT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &movie, &prefer,
                                   kQTDontLookForMovieImporterIfGraphicsImporterFound),
              noErr);
    if (c.fromHeader) {
      EXPECT_EQ(sp_testing::CountedSoundLengths().probed, probed);
    }
    EXPECT_EQ(std::vector<bool>({bool(movie), bool(graphics)}),
              std::vector<bool>({c.opensAsMovie, c.graphics}));
    ASSERT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &movie, &prefer, 0), noErr);
    EXPECT_EQ(std::vector<bool>({bool(movie), bool(prefer) || !c.graphics}),
              std::vector<bool>({c.opensAsMovie || c.graphics, true}));
    OSErr err = noErr;
    EXPECT_EQ(ImporterMediaType(c.name, &err), c.importerMediaType);
    EXPECT_EQ(err, c.importerMediaType == 0 ? OSErr(cantFindHandler) : OSErr(noErr));
  }
}

// A folder listed in the add dialog asks of every file whether it opens and which importer
// takes it, and asks again whenever the folder is listed anew: a file is opened once while it
// stays as it is (a refused one too), and again once it has changed.
TEST_F(QuickTimeImportTest, AFileIsOpenedOnceWhileItStaysAsItIs) {
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("a.wav"), 1, 8000, 800));
  std::ofstream(Path("b.wav"), std::ios::binary) << "Shopping list:\n- milk\n";
  const auto opened = [] { return sp_testing::CountedSoundLengths().opened; };
  const auto ask = [this](const char* name) {
    FSSpec spec = Spec(name);
    Boolean movie = 2;
    EXPECT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, nullptr, &movie, nullptr, 0), noErr);
    OSErr err = noErr;
    const OSType type = ImporterMediaType(name, &err);
    EXPECT_EQ(bool(movie), type != 0);
    return type;
  };
  for (const char* name : {"a.wav", "b.wav"}) {
    SCOPED_TRACE(name);
    const UInt64 before = opened();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ask(name), name[0] == 'a' ? SoundMediaType : 0u);
    EXPECT_EQ(opened(), before + 1);
  }
  // The text becomes a sound under its name.
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("b.wav"), 2, 8000, 400));
  const UInt64 before = opened();
  EXPECT_EQ(ask("b.wav"), SoundMediaType);
  EXPECT_EQ(ask("b.wav"), SoundMediaType);
  EXPECT_EQ(opened(), before + 1);
}

// A movie of plain AAC sound tracks is summarised from its 'moov' atom without FFmpeg opening
// it; any other movie, or one whose 'moov' does not fit the file, is opened by FFmpeg. Either
// way the summary is FFmpeg's.
TEST_F(QuickTimeImportTest, AacMoviesAreSummarisedFromTheirMovieAtom) {
  namespace qt = sp_platform::quicktime;
  const Maker cut = [this](const std::string& p) {
    std::ifstream in(Path("a.m4a"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(p, std::ios::binary) << bytes.substr(0, bytes.size() - 40);
    return bytes.size() > 40;
  };
  const struct {
    const char* name;
    Maker make;
    bool fromMovieAtom;
  } cases[] = {
      {"a.m4a", Tone("aac", 44100, 2, 0.5), true},
      {"six.m4a", Tone("aac", 48000, 6, 0.5), true},
      // A QuickTime movie keeps its 'esds' inside a 'wave' atom.
      {"a.mov", Tone("aac", 48000, 2, 0.5), false},
      {"cut.m4a", cut, false},
      {"mono.m4a", Tone("aac", 44100, 1, 0.5), false},
      {"low.m4a", Tone("aac", 22050, 2, 0.5), false},
      {"alac.m4a", Tone("alac", 44100, 2, 0.5), false},
      {"video.mp4",
       Ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.5", "-f", "lavfi", "-i",
               "testsrc=size=32x32:rate=5:duration=0.5", "-ac", "2", "-c:a", "aac", "-c:v",
               "mjpeg"}),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.make(Path(c.name))) {
      ASSERT_FALSE(sp_testing::FfmpegAvailable());
      continue;
    }
    OSErr err = noErr;
    const std::shared_ptr<qt::ByteSource> source = qt::OpenPathSource(Path(c.name), &err);
    ASSERT_NE(source, nullptr);
    const UInt64 before = sp_testing::CountedSoundLengths().opened;
    const qt::FileSummary summary = qt::SummariseSource(source, Path(c.name));
    EXPECT_EQ(sp_testing::CountedSoundLengths().opened - before, c.fromMovieAtom ? 0u : 1u);
    const std::unique_ptr<qt::Demuxer> d =
        qt::Demuxer::Open(source, Path(c.name), qt::Demuxer::kSummary);
    const qt::FileSummary ffmpeg = d != nullptr ? qt::SummariseFile(*d) : qt::FileSummary();
    EXPECT_EQ(std::vector<int>({summary.readable, summary.hasSound, summary.hasVideo,
                                summary.hasText, summary.stillImage}),
              std::vector<int>({ffmpeg.readable, ffmpeg.hasSound, ffmpeg.hasVideo,
                                ffmpeg.hasText, ffmpeg.stillImage}));
    EXPECT_EQ(summary.container, ffmpeg.container);
  }
}

// A header's sample rate decides what a rate change from it costs: a 48-byte WAVE claiming
// 5x10^8 Hz or a 64 KB AIFF at 1 Hz would hold the converter for seconds and gigabytes. Sound
// at a rate no file really has is no sound: the importer check does not take such a file and
// opening it is refused with badFormat, while the limits themselves open.
TEST_F(QuickTimeImportTest, SoundAtRatesNoFileHasIsRefusedWhenOpened) {
  const struct {
    const char* name;
    UInt32 rate;
    UInt16 channels;
    UInt32 frames;
    bool taken;
  } cases[] = {
      {"huge.wav", 500000000, 1, 2, false},  {"one.aif", 1, 2, 16384, false},
      {"below.wav", 999, 1, 100, false},     {"lowest.wav", 1000, 1, 100, true},
      {"highest.aif", 768000, 2, 100, true}, {"above.aif", 768001, 2, 100, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool aiff = std::string(c.name).find(".aif") != std::string::npos;
    ASSERT_TRUE(aiff ? sp_testing::WriteTestAiff(Path(c.name), c.channels, c.rate, c.frames)
                     : sp_testing::WriteTestWave(Path(c.name), c.channels, c.rate, c.frames));
    FSSpec spec = Spec(c.name);
    Boolean graphics = 2, movie = 2;
    ASSERT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &movie, nullptr, 0), noErr);
    EXPECT_EQ(bool(movie), c.taken);
    OSErr err = noErr;
    EXPECT_EQ(ImporterMediaType(c.name, &err), c.taken ? SoundMediaType : 0u);
    SInt16 ref = 0;
    ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr);
    Movie opened = nullptr;
    err = NewMovieFromFile(&opened, ref, nullptr, nullptr, newMovieActive, nullptr);
    EXPECT_EQ(err, c.taken ? OSErr(noErr) : OSErr(badFormat));
    EXPECT_EQ(GetMoviesError(), err);
    CloseMovieFile(ref);
    if (opened == nullptr) continue;
    EXPECT_EQ(GetMediaDuration(SoundMedia(opened)), TimeValue(c.frames));
    DisposeMovie(opened);
  }
}

// A handle whose recorded size disagrees with its size is no alias of ours.
TEST_F(QuickTimeImportTest, AliasesOfMissingFilesOrDamagedAliasesAreRefused) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 800));
  FSSpec spec = Spec("a.aif");
  AliasHandle alias = nullptr;
  ASSERT_EQ(NewAlias(nullptr, &spec, &alias), noErr);
  Handle h = reinterpret_cast<Handle>(alias);
  EXPECT_EQ((**alias).aliasSize, GetHandleSize(h));
  SetHandleSize(h, GetHandleSize(h) - 3);
  Component importer = nullptr;
  EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, h, 0, &importer), invalidDataRef);
  DisposeHandle(h);
  std::remove(Path("a.aif").c_str());
  FSSpec gone = Spec("a.aif");
  EXPECT_EQ(NewAlias(nullptr, &gone, &alias), fnfErr);
  Boolean movie = 1;
  EXPECT_EQ(CanQuickTimeOpenFile(&gone, 0, 0, nullptr, &movie, nullptr, 0), fnfErr);
  EXPECT_FALSE(movie);
  EXPECT_EQ(CanQuickTimeOpenFile(nullptr, 0, 0, nullptr, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, nullptr, 0, nullptr), paramErr);
  EXPECT_EQ(GetComponentInfo(nullptr, nullptr, nullptr, nullptr, nullptr), invalidComponentID);
  EXPECT_TRUE(OpenComponent(nullptr) == nullptr && CloseComponent(nullptr) == badComponentInstance);
}

// The name an alias records is a Str63: a file whose name has 63 bytes resolves, a stated
// length past that is damage, and so is a handle longer or shorter than its recorded size.
TEST_F(QuickTimeImportTest, AliasesHoldNamesUpToTheirLimitAndRefuseDamage) {
  const std::string longest(63, 'n');
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path(longest), 1, 8000, 800));
  const FSSpec spec = Spec(longest);
  const struct {
    UInt8 nameLength;
    Size extra;
    OSErr err;
    const char* why;
  } cases[] = {
      {63, 0, noErr, "a name at the limit"},
      {64, 0, invalidDataRef, "a name length past it"},
      {255, 0, invalidDataRef, "the largest length byte"},
      {63, 3, invalidDataRef, "bytes after the recorded size"},
      {63, -3, invalidDataRef, "the end cut off"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    AliasHandle alias = nullptr;
    ASSERT_EQ(NewAlias(nullptr, &spec, &alias), noErr);
    Handle h = reinterpret_cast<Handle>(alias);
    // The name's length byte follows the record, the volume and the parent id.
    UInt8* length = reinterpret_cast<UInt8*>(*h) + sizeof(AliasRecord) + 6;
    ASSERT_EQ(*length, 63);
    *length = c.nameLength;
    SetHandleSize(h, GetHandleSize(h) + c.extra);
    Component importer = nullptr;
    EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, h, 0, &importer), c.err);
    EXPECT_EQ(importer != nullptr, c.err == noErr);
    DisposeHandle(h);
  }
}

// A protected sample entry ('enca' in place of 'mp4a') must be reported, so the program tells
// the user instead of failing to decode.
TEST_F(QuickTimeImportTest, ProtectedSampleEntriesAreReported) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("plain.m4a"), "aac", 44100, 2, 0.5));
  std::string bytes = ReadFile("plain.m4a");
  const std::size_t entry = bytes.find("mp4a", bytes.find("stsd"));
  ASSERT_NE(entry, std::string::npos);
  WriteFile("locked.m4a", bytes.replace(entry, 4, "enca"));
  for (const char* name : {"plain.m4a", "locked.m4a"}) {
    SCOPED_TRACE(name);
    Movie movie = Open(name);
    if (movie == nullptr) continue;
    Boolean isProtected = 2;
    ByteCount used = 0;
    ASSERT_EQ(QTGetMovieProperty(movie, kQTPropertyClass_DRM, kQTDRMPropertyID_IsProtected,
                                 sizeof(isProtected), &isProtected, &used),
              noErr);
    EXPECT_TRUE(used == sizeof(Boolean) &&
                bool(isProtected) == (std::string(name) == "locked.m4a"));
    EXPECT_EQ(
        QTGetMovieProperty(movie, kQTPropertyClass_DRM, SpFourCC("xxxx"), 1, &isProtected, nullptr),
        kQTPropertyNotSupportedErr);
    EXPECT_EQ(QTGetMovieProperty(movie, kQTPropertyClass_DRM, kQTDRMPropertyID_IsProtected, 0,
                                 &isProtected, nullptr),
              kQTPropertyBadValueSizeErr);
  }
}

// GetMediaSample: groups of samples, their bytes and times, a handle too small, the end.
class QuickTimeSamplesTest : public QuickTimeTest {};

// Bytes out of order, a group starting at the wrong frame or a frame lost between groups
// breaks the comparison with the values the file was written with.
TEST_F(QuickTimeSamplesTest, LinearGroupsFollowEachOtherWithTheFileBytes) {
  // Three thousand frames: groups of 100 frames run across the packets FFmpeg reads them in.
  constexpr SInt32 kFrames = 3000;
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 44100, kFrames));
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("a.wav"), 2, 44100, kFrames));
  for (const char* name : {"a.aif", "a.wav"}) {
    SCOPED_TRACE(name);
    const bool bigEndian = std::string(name) == "a.aif";
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    int groups = 0;
    TimeValue end = 0;
    SInt32 frames = 0;
    auto check = [&](const Sample& s) {
      ++groups;
      ASSERT_TRUE(s.duration == 1 && s.count == std::min<SInt32>(100, kFrames - s.time) &&
                  s.size == s.count * 4);  // 100 frames of 4 bytes
      for (SInt32 i = 0; i < s.count * 2; ++i) {
        const UInt8* p = reinterpret_cast<const UInt8*>(s.bytes.data()) + i * 2;
        ASSERT_EQ(bigEndian ? sp::LoadBE16(p) : sp::LoadLE16(p),
                  UInt16(sp_testing::TestSampleValue(UInt32(s.time + i / 2), UInt16(i % 2))))
            << "frame " << s.time + i / 2;
      }
    };
    EXPECT_EQ(ReadToEnd(media, 400, &end, &frames, check), invalidTime);
    EXPECT_TRUE(groups == kFrames / 100 && frames == kFrames) << groups << " " << frames;
    // An earlier time after a later one gives its bytes again.
    EXPECT_EQ(Read(media, 10, 400).bytes.substr(0, 40), Read(media, 0, 400).bytes.substr(40, 40));
  }
}

TEST_F(QuickTimeSamplesTest, GroupSizeFollowsTheLimitsGivenAndFailuresLoseNothing) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 10000));
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("s.wav"), 2, 8000, 100));
  Media media = SoundMedia(Open("a.aif"));
  Media stereo = SoundMedia(Open("s.wav"));
  ASSERT_NE(media, nullptr);
  const struct {
    Media media;
    TimeValue time;
    SInt32 maxSize, maxCount;
    OSErr err;
    SInt32 count;  // frames of 2 bytes
    const char* why;
  } cases[] = {
      {media, 0, 2, 0, noErr, 1, "one frame fits"},
      {media, 0, 3, 0, noErr, 1, "an odd byte left over is not filled"},
      {media, 5, 100, 7, noErr, 7, "the sample count limit"},
      {media, 9990, 1000, 0, noErr, 10, "the end of the media"},
      {media, 9999, 1000, 0, noErr, 1, "the last frame"},
      {media, 10000, 1000, 0, invalidTime, 0, "just past the end"},
      {media, -1, 1000, 0, invalidTime, 0, "before the start"},
      {stereo, 0, 3, 0, maxSizeToGrowTooSmall, 0, "a handle smaller than one frame"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const Sample s = Read(c.media, c.time, c.maxSize, c.maxCount);
    ASSERT_EQ(s.err, c.err);
    EXPECT_TRUE(s.count == c.count && s.size == c.count * 2) << s.count;
    EXPECT_TRUE(c.err == noErr || GetMoviesError() == c.err);
  }
  // Without a size, the group is what the file stores together: never empty, never more
  // than what is left.
  const Sample chunk = Read(media, 100, 0);
  EXPECT_TRUE(chunk.count > 0 && chunk.count <= 10000 - 100) << chunk.count;
  // A memory shortage (-108) is told from the other failures, and loses nothing.
  sp_testing::FailNthAllocation(2);  // the first is Read's own handle
  const Sample failed = Read(media, 0, 4000);
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(failed.err == memFullErr && GetMoviesError() == memFullErr);
  EXPECT_EQ(Read(media, 0, 4000).count, 2000) << "nothing was lost";
  // Without a handle: sizes, times and the description only.
  SInt32 size = 0, n = 0, index = 0;
  TimeValue st = -1;
  Handle desc = NewHandle(0);
  ASSERT_EQ(GetMediaSample(media, nullptr, 20, &size, 50, &st, nullptr,
                           reinterpret_cast<SampleDescriptionHandle>(desc), &index, 0, &n, nullptr),
            noErr);
  EXPECT_EQ(std::vector<SInt32>({size, n, st, index}), std::vector<SInt32>({20, 10, 50, 1}));
  EXPECT_EQ((**reinterpret_cast<SoundDescriptionHandle>(desc)).dataFormat, SpFourCC("twos"));
  DisposeHandle(desc);
  // A file shorter than its header ends without empty groups.
  WriteFile("cut.wav", ReadFile("s.wav").substr(0, 44 + 60 * 4));  // header: 100 frames
  TimeValue end = 0;
  SInt32 frames = 0;
  EXPECT_EQ(ReadToEnd(SoundMedia(Open("cut.wav")), 256, &end, &frames), invalidTime);
  EXPECT_EQ(frames, 60);
}

// A file cut short is described by the whole frames it holds, and reads to its end without an
// error, whatever its header claims.
TEST_F(QuickTimeSamplesTest, FilesCutShortAreDescribedByTheFramesTheyHold) {
  for (const char* name : {"cut.aif", "cut.wav"}) {
    SCOPED_TRACE(name);
    const bool aiff = std::string(name) == "cut.aif";
    ASSERT_TRUE(aiff ? sp_testing::WriteTestAiff(Path(name), 2, 44100, 3 * 44100)
                     : sp_testing::WriteTestWave(Path(name), 2, 44100, 3 * 44100));
    const std::size_t header = aiff ? 54 : 44;
    std::string bytes = ReadFile(name);
    bytes.resize(header + 66150 * 4 + 3);  // 1.5 s and three bytes of the next frame
    WriteFile(name, bytes);
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), 66150);
    EXPECT_EQ(GetMediaSampleCount(media), 66150);
    TimeValue end = 0;
    SInt32 frames = 0;
    EXPECT_EQ(ReadToEnd(media, 1 << 16, &end, &frames), invalidTime);
    EXPECT_EQ(frames, 66150);
  }
  // A file holding more than its header states (a chunk after the sound) keeps the statement.
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("tail.aif"), 2, 44100, 1000));
  WriteFile("tail.aif", ReadFile("tail.aif") + std::string(4000, '\0'));
  EXPECT_EQ(GetMediaDuration(SoundMedia(Open("tail.aif"))), 1000);
}

// A file cut short while it is read (a sound file truncated during a save) is an error where
// its sound stops (the file no longer holds what it held: an I/O error), never the end of the
// media: what was read is not the whole sound. So is a sound chunk that holds less than its
// header claims, with another chunk after it (the file is longer than the sound: it ends
// early). The file's first part still reads afterwards.
TEST_F(QuickTimeSamplesTest, AFileCutShortWhileReadIsAnErrorNotTheEnd) {
  const auto claims = [this](const std::string& p) {
    if (!sp_testing::WriteTestAiff(p, 2, 44100, 20000)) return false;
    std::string bytes = ReadFile("claims.aif");
    sp::StoreBE32(reinterpret_cast<UInt8*>(&bytes[22]), 50000);  // COMM's frames
    WriteFile("claims.aif",
              bytes + "APPL" + std::string("\0\1\x86\xa0", 4) + std::string(100000, '\0'));
    return true;
  };
  const struct {
    const char* name;
    std::function<bool(const std::string&)> make;
    bool cut;  // cut to half its size after the first read
    OSErr err;
  } cases[] = {
      {"cut.aif",
       [](const std::string& p) { return sp_testing::WriteTestAiff(p, 2, 44100, 88200); }, true,
       ioErr},
      {"cut.wav",
       [](const std::string& p) { return sp_testing::WriteTestWave(p, 2, 44100, 88200); }, true,
       ioErr},
      // Long enough that what FFmpeg reads ahead holds a small part of them.
      {"cut.flac", Tone("flac", 44100, 2, 30.0), true, ioErr},
      {"cut.mp3", Tone("libmp3lame", 44100, 2, 30.0), true, ioErr},
      {"claims.aif", claims, false, eofErr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.make(Path(c.name))) {
      ASSERT_FALSE(sp_testing::FfmpegAvailable());
      continue;
    }
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const TimeValue duration = GetMediaDuration(media);
    const Sample first = Read(media, 0, 1 << 16);
    ASSERT_EQ(first.err, noErr);
    if (c.cut) {
      ASSERT_EQ(truncate(Path(c.name).c_str(), off_t(ReadFile(c.name).size() / 2)), 0);
    }
    TimeValue end = 0;
    SInt32 frames = 0;
    EXPECT_EQ(ReadToEnd(media, 1 << 16, &end, &frames), c.err);
    EXPECT_EQ(GetMoviesError(), c.err);
    EXPECT_LT(end, duration);
    EXPECT_EQ(Read(media, 0, 1 << 16).bytes, first.bytes);
  }
}

// Compressed media present what ffprobe presents: the encoder's delay (MPEG-4 edit lists, MP3
// encoder tags, Opus pre-skip) and the padding of the last packet are left out, and so is
// Vorbis's pre-roll. Each file holds four seconds of a tone.
TEST_F(QuickTimeSamplesTest, CompressedLengthsLeaveOutTheEncodersDelayAndPadding) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    const char* codec;
    UInt32 rate;
  } cases[] = {
      {"a.m4a", "aac", 44100},   {"a.mp3", "libmp3lame", 44100}, {"a.ogg", "libvorbis", 44100},
      {"a.flac", "flac", 44100}, {"b.m4a", "alac", 44100},       {"a.opus", "libopus", 48000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path(c.name), c.codec, c.rate, 2, 4.0));
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), TimeValue(4 * c.rate));
    sp_testing::ProbedStream probe;
    ASSERT_TRUE(sp_testing::ProbeAudioStream(Path(c.name), probe));
    // ffprobe counts an MP3's padding and an Opus pre-skip in; within one packet of it.
    EXPECT_NEAR(double(GetMediaDuration(media)) / c.rate, probe.duration - probe.startTime, 0.03);
  }
}

// 24-bit lossless files decoded to 16 bits through the converter as the loader does: each
// sample the nearest 16-bit one, halves rounded up, and the largest and smallest samples stay
// the largest and smallest, never wrapped round. The files are made from exact 24-bit samples,
// in one channel (decoded interleaved) and in two (ALAC decodes them planar).
TEST_F(QuickTimeSamplesTest, TwentyFourBitLosslessFilesRoundToSixteenBitsAndKeepFullScale) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    SInt32 in;  // a 24-bit sample
    SInt16 out;
  } samples[] = {
      {0x000080, 1},      {0x00007F, 0},       {-0x000080, 0},      {-0x000081, -1},
      {0x12B4C0, 0x12B5}, {0x12B47F, 0x12B4},  {0x7FFFFF, 32767},   {0x7FFF80, 32767},
      {0x7FFF7F, 32767},  {-0x800000, -32768}, {-0x7FFF80, -32767}, {0, 0},
  };
  const std::size_t n = sizeof samples / sizeof samples[0];
  std::string raw;
  for (const auto& sample : samples) {
    UInt8 bytes[4];
    sp::StoreLE32(bytes, UInt32(sample.in) << 8);
    raw.append(reinterpret_cast<const char*>(bytes), 4);
  }
  std::ofstream(Path("exact.raw"), std::ios::binary) << raw;
  const struct {
    const char* name;
    const char* codec;
    const char* sampleFormat;
    const char* channels;
  } cases[] = {{"exact.flac", "flac", "s32", "1"}, {"exact.m4a", "alac", "s32p", "2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const SInt16 channels = SInt16(std::atoi(c.channels));
    std::string log;
    const std::string raw = Path("exact.raw"), out = Path(c.name);
    const std::vector<std::string> encode = {
        "ffmpeg", "-nostdin", "-v",    "error",       "-y",           "-f",
        "s32le",  "-ar",      "44100", "-ac",         c.channels,     "-i",
        raw,      "-c:a",     c.codec, "-sample_fmt", c.sampleFormat, "-bits_per_raw_sample",
        "24",     out};
    ASSERT_TRUE(sp_testing::RunProgram(encode, log)) << log;
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const SoundDescriptionV1 d = Describe(media);
    ASSERT_EQ(d.desc.sampleSize, 24);
    std::vector<UInt8> decoded;
    bool withParameters = false;
    ASSERT_EQ(DecodeToSixteenBits(media, d, &decoded, &withParameters), noErr);
    EXPECT_TRUE(withParameters);
    ASSERT_EQ(d.desc.numChannels, channels);
    ASSERT_EQ(decoded.size(), n * 2);
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_EQ(SInt16(sp::LoadBE16(&decoded[2 * i])), samples[i].out) << std::hex << samples[i].in;
    }
  }
}

// A codec without a sound format of its own is described by its codec number under a zero
// top byte, and that format opens a converter that decodes it.
TEST_F(QuickTimeSamplesTest, CodecsWithoutAFormatOfTheirOwnStillDecode) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    const char* codec;
  } cases[] = {{"a.ogg", "libvorbis"}, {"a.mp2", "mp2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path(c.name), c.codec, 44100, 2, 1.0));
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const SoundDescriptionV1 d = Describe(media);
    EXPECT_EQ(d.desc.dataFormat >> 24, 0u) << Summary(d);
    std::vector<UInt8> decoded;
    bool withParameters = false;
    ASSERT_EQ(DecodeToSixteenBits(media, d, &decoded, &withParameters), noErr);
    EXPECT_NEAR(double(decoded.size()) / 4, 44100.0, 2048.0) << "a second of two channels";
    int peak = 0;
    for (std::size_t i = 0; i + 1 < decoded.size(); i += 2)
      peak = std::max(peak, std::abs(int(SInt16(sp::LoadBE16(&decoded[i])))));
    EXPECT_GT(peak, 2000) << "the tone (at about 3000), not silence";
  }
}

// The sound files (by their extensions) a folder holds itself, not through links, by name.
std::vector<std::string> SoundFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    struct stat st {};
    if ((extension == ".oga" || extension == ".ogg" || extension == ".wav" ||
         extension == ".flac") &&
        lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      names.push_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// Sound files of Debian's packages (tools/install-deps installs them), made by other encoders
// than FFmpeg's: the desktop's sound themes (Ogg Vorbis whose packets' durations do not add up
// to the sound), speech-aid sounds (WAVE) and a synthesiser's samples (FLAC). The media's
// length and the frames the converter makes of its samples are what ffmpeg decodes, to the
// frame: the decoder's frames count, not what packets claim.
TEST_F(QuickTimeSamplesTest, SoundFilesOfOtherEncodersGiveTheFramesFfmpegDecodes) {
  SKIP_WITHOUT_FFMPEG();
  const char* const kFolders[] = {"/usr/share/sounds/freedesktop/stereo", "/usr/share/sounds",
                                  "/usr/share/sounds/sound-icons", "/usr/share/sonic-pi/samples"};
  struct Ours {
    std::string path;
    TimeValue duration = 0;
    SInt64 decoded = 0;
    bool halved = false;
  };
  std::vector<Ours> ours;
  for (const char* folder : kFolders) {
    for (const std::string& name : SoundFilesIn(folder)) {
      Ours o;
      o.path = std::string(folder) + "/" + name;
      SCOPED_TRACE(o.path);
      std::remove(Path("real").c_str());
      ASSERT_EQ(symlink(o.path.c_str(), Path("real").c_str()), 0);
      Media media = SoundMedia(Open("real"));
      ASSERT_NE(media, nullptr);
      o.duration = GetMediaDuration(media);
      // Rates of 65,536 Hz and above have no 16.16 value: such sound comes out at 48 kHz,
      // through the same rate change as ffmpeg's.
      const SoundDescriptionV1 d = Describe(media);
      o.halved = d.desc.sampleRate == 0;
      std::vector<UInt8> decoded;
      bool withParameters = false;
      ASSERT_EQ(DecodeToSixteenBits(media, d, &decoded, &withParameters,
                                    o.halved ? UnsignedFixed(48000u << 16) : 0),
                noErr);
      o.decoded = SInt64(decoded.size() / 2 / std::size_t(d.desc.numChannels));
      ours.push_back(o);
      DisposeMovie(movies_.back());
      movies_.pop_back();
    }
  }
  if (ours.empty()) GTEST_SKIP() << "no sound files of Debian's packages are installed";

  std::vector<std::string> all, halved;
  for (const Ours& o : ours) {
    all.push_back(o.path);
    if (o.halved) halved.push_back(o.path);
  }
  const std::vector<SInt64> theirs = FramesFfmpegDecodesEach(all, Path(""));
  const std::vector<SInt64> theirsAt48k = FramesFfmpegDecodesEach(halved, Path(""), 48000);
  for (std::size_t i = 0, h = 0; i < ours.size(); ++i) {
    SCOPED_TRACE(ours[i].path);
    ASSERT_GT(theirs[i], 0);
    EXPECT_EQ(ours[i].duration, theirs[i]);
    EXPECT_EQ(ours[i].decoded, ours[i].halved ? theirsAt48k[h++] : theirs[i]);
  }
}

// Rates that 16.16 cannot hold reach a decoder through the decompression parameters.
TEST_F(QuickTimeSamplesTest, RatesOfSixtyFiveThousandHertzAndAboveTravelInTheExtension) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("hi.aif"), 2, 96000, 9600));
  Handle desc = NewHandle(0);
  GetMediaSampleDescription(SoundMedia(Open("hi.aif")), 1,
                            reinterpret_cast<SampleDescriptionHandle>(desc));
  Handle strp = nullptr;
  ASSERT_EQ(GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), &strp,
                                         SpFourCC("strp")),
            noErr);
  ASSERT_EQ(GetHandleSize(strp), 32);
  EXPECT_EQ(sp::LoadBE32(*strp + 12), 96000u);
  DisposeHandle(strp);
  DisposeHandle(desc);
}

// Packets of varying size come one at a time, in order. The loader's loop: on -2027 the
// handle grows tenfold and the read is tried again; every packet is read once, whatever size
// the handle started with.
TEST_F(QuickTimeSamplesTest, PacketsComeWholeThroughAHandleThatGrowsAndGroupsStartAtAPacket) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.mp3"), "libmp3lame", 44100, 2, 1.0));
  Media media = SoundMedia(Open("a.mp3"));
  ASSERT_NE(media, nullptr);
  SInt32 handleSize = 4, grown = 0, packets = 0;
  std::string all, direct;
  TimeValue t = 0;
  while (grown < 100) {
    const Sample s = Read(media, t, handleSize);
    if (s.err == maxSizeToGrowTooSmall) {
      handleSize *= 10;
      ++grown;
      continue;
    }
    if (s.err != noErr) break;
    ASSERT_LE(s.size, handleSize);
    EXPECT_EQ(std::vector<SInt32>({s.time, s.count, s.duration}),
              std::vector<SInt32>({t, 1, 1152}));
    ASSERT_GE(s.bytes.size(), 4u);  // each MPEG audio packet starts with its sync word
    EXPECT_EQ(sp::LoadBE16(s.bytes.data()) & 0xFFE0, 0xFFE0);
    all += s.bytes;
    t = s.time + s.duration * s.count;
    ++packets;
  }
  EXPECT_TRUE(grown >= 2 && packets == GetMediaSampleCount(media));
  // The packets also hold the encoder's delay and padding, which the media's length leaves out.
  EXPECT_TRUE(t > GetMediaDuration(media) && t - GetMediaDuration(media) < 2 * 1152)
      << t << " " << GetMediaDuration(media);
  ReadToEnd(media, 1 << 20, &t, &packets, [&](const Sample& s) { direct += s.bytes; });
  EXPECT_EQ(all, direct) << "the same packets as read with a large handle";
  EXPECT_EQ(Read(media, 1152 + 5, 100000).time, 1152) << "a time inside a packet gives it";
  // Fixed packets (IMA): a group starts at a packet.
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.aifc"), "adpcm_ima_qt", 22050, 1, 0.5));
  media = SoundMedia(Open("a.aifc"));
  ASSERT_NE(media, nullptr);
  const Sample s = Read(media, 70, 34 * 3);
  EXPECT_EQ(std::vector<SInt32>({s.err, s.time, s.count, s.size}),
            std::vector<SInt32>({noErr, 64, 64 * 3, 34 * 3}));
  EXPECT_EQ(Read(media, 0, 33).err, maxSizeToGrowTooSmall);
}

}  // namespace
}  // namespace quicktime_test
