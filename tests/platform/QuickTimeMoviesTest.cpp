// Movie Toolbox: sound files opened as movies, their tracks, descriptions, durations and time
// scales; the sound formats and converters.

#include <cstdio>
#include <functional>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "Sound.h"
#include "SoundConverter.h"

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
       ".mp3 v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp1152", -1, 0},
      {"tone.m4a", Tone("aac", 44100, 2, 1.0), "mp4a v1 r1 2ch 44100Hz 16bit id-2 bpf0 spp1024", -1,
       SpFourCC("esds")},
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
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
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

// 96 kHz has no 16.16 value, so the rate field is 0 (a converter refuses it) and the time
// scale keeps the true rate.
TEST_F(QuickTimeTest, MediaTimeScaleKeepsARateTheDescriptionCannotHold) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("hi.aif"), 2, 96000, 9600));
  Media media = SoundMedia(Open("hi.aif"));
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(std::vector<SInt32>({SInt32(Describe(media).desc.sampleRate), GetMediaTimeScale(media),
                                 GetMediaDuration(media)}),
            std::vector<SInt32>({0, 96000, 9600}));
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
  ASSERT_EQ(GetMovieTrackCount(movie), 2);
  Track video = GetMovieIndTrack(movie, 1), sound = GetMovieIndTrack(movie, 2);
  const OSType audio = AudioMediaCharacteristic, visual = VisualMediaCharacteristic;
  EXPECT_EQ(
      std::vector<Track>({GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType),
                          GetMovieIndTrackType(movie, 1, audio, movieTrackCharacteristic),
                          GetMovieIndTrackType(movie, 1, visual, movieTrackCharacteristic),
                          GetMovieIndTrackType(movie, 2, SoundMediaType, movieTrackMediaType)}),
      std::vector<Track>({sound, sound, video, nullptr}));
}

TEST_F(QuickTimeTest, DisposedOrForeignObjectsAreRefused) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 80));
  Movie movie = Open("a.aif");
  ASSERT_NE(movie, nullptr);
  Track track = GetMovieIndTrack(movie, 1);
  Media media = GetTrackMedia(track);
  movies_.clear();
  DisposeMovie(movie);
  auto withError = [](long result) { return std::vector<long>({result, GetMoviesError()}); };
  EXPECT_EQ(withError(0), std::vector<long>({0, noErr}));
  EXPECT_EQ(withError(GetMovieTrackCount(movie)), std::vector<long>({0, invalidMovie}));
  EXPECT_EQ(withError(GetTrackMedia(track) != nullptr), std::vector<long>({0, invalidTrack}));
  EXPECT_EQ(withError(GetMediaSampleCount(media)), std::vector<long>({0, invalidMedia}));
  EXPECT_EQ(GetMediaSample(media, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0,
                           nullptr, nullptr),
            invalidMedia);
  EXPECT_EQ(GetMovieUserData(nullptr), nullptr);
  DisposeMovie(movie);  // twice: refused, no crash
  EXPECT_EQ(GetMoviesError(), invalidMovie);
}

TEST_F(QuickTimeTest, MovieFilesNeedAFileAndAKnownNumber) {
  FSSpec missing = Spec("missing.aif");
  SInt16 ref = 0;
  EXPECT_EQ(OpenMovieFile(&missing, &ref, fsRdPerm), fnfErr);
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 80));
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
}

TEST_F(QuickTimeTest, MovieFromAnOpenDataForkReadsThroughTheFileManager) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("fork.aif"), 2, 11025, 500));
  FSSpec spec = Spec("fork.aif");
  SInt16 refNum = 0;
  ASSERT_EQ(FSpOpenDF(&spec, fsRdPerm, &refNum), noErr);
  Movie movie = nullptr;
  ASSERT_EQ(NewMovieFromDataFork(&movie, refNum, 0, newMovieActive, nullptr), noErr);
  Media media = SoundMedia(movie);
  ASSERT_NE(media, nullptr);
  Handle h = NewHandle(0);
  ASSERT_EQ(GetMediaSample(media, h, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                           nullptr),
            noErr);
  EXPECT_EQ(sp::LoadBE16(*h + 2), UInt16(sp_testing::TestSampleValue(0, 1)));
  DisposeHandle(h);
  DisposeMovie(movie);
  FSClose(refNum);
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
      {{0, k16BitBigEndianFormat, 2, 16, 0, 0, nullptr, 0}, working, siInvalidSampleRate},
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

}  // namespace
}  // namespace quicktime_test
