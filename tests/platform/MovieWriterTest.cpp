// Writing movies: sound of every kind the converter encodes goes into a movie file that FFmpeg
// reads back with its codec, rate, channels and length; the file's structure stays valid past
// 4 GiB; and the calls refuse what they cannot do.
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "FilesFixture.h"
#include "PrivateMounts.h"
#include "QuickTimeFixture.h"
#include "Sound.h"
#include "SoundConverter.h"
#include "UserData.h"

namespace quicktime_test {
namespace {

// A second of a 440 Hz tone in the working format.
std::vector<UInt8> Tone(UInt32 frames, SInt16 channels) {
  std::vector<UInt8> bytes(std::size_t(frames) * 2 * std::size_t(channels));
  for (UInt32 f = 0; f < frames; ++f) {
    const SInt16 v = SInt16(12000.0 * std::sin(2.0 * M_PI * 440.0 * f / 44100.0));
    for (SInt16 c = 0; c < channels; ++c) sp::StoreBE16(&bytes[(f * channels + c) * 2], UInt16(v));
  }
  return bytes;
}

std::string Probe(const std::string& path, const std::string& entry) {
  std::string out;
  sp_testing::RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                          entry, "-of", "default=nw=1:nk=1", path},
                         out);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// What ffmpeg says while decoding the whole file (nothing for a sound file).
std::string DecodeComplaints(const std::string& path) {
  std::string out;
  sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"}, out,
                         true);
  return out;
}

struct Fill {
  const std::vector<UInt8>* bytes;
  bool given = false;
  SoundComponentData data{};
};

Boolean GiveOnce(SoundComponentDataPtr* out, void* refCon) {
  Fill* f = static_cast<Fill*>(refCon);
  if (f->given) return false;
  f->given = true;
  f->data.buffer = const_cast<Byte*>(f->bytes->data());
  *out = &f->data;
  return true;
}

// The description of 16-bit big-endian stereo at 44.1 kHz (version 1), in a new handle.
Handle StereoTwos() {
  SoundDescriptionV1 d{};
  d.desc.descSize = sizeof d;
  d.desc.dataFormat = k16BitBigEndianFormat;
  d.desc.version = 1;
  d.desc.numChannels = 2;
  d.desc.sampleSize = 16;
  d.desc.sampleRate = rate44khz;
  d.samplesPerPacket = 1;
  d.bytesPerPacket = 2;
  d.bytesPerFrame = 4;
  d.bytesPerSample = 2;
  Handle desc = NewHandle(sizeof d);
  std::memcpy(*desc, &d, sizeof d);
  return desc;
}

// Adds the samples in pieces of `piece` bytes, as a save adds each fill of the converter.
void AddInPieces(Media media, Handle desc, const std::vector<UInt8>& samples, std::size_t piece) {
  for (std::size_t at = 0; at < samples.size(); at += piece) {
    const std::size_t n = std::min(piece, samples.size() - at);
    Ptr p = reinterpret_cast<Ptr>(const_cast<UInt8*>(samples.data() + at));
    ASSERT_EQ(
        AddMediaSample(media, &p, 0, UInt32(n), 1, reinterpret_cast<SampleDescriptionHandle>(desc),
                       SInt32(n / 4), 0, nullptr),
        noErr);
  }
}

// The track decoded by FFmpeg as 16-bit big-endian samples.
std::string Decoded(const std::string& path, int track = 0) {
  std::string out;
  EXPECT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map",
                                      "0:a:" + std::to_string(track), "-f", "s16be", "-"},
                                     out));
  return out;
}

class MovieWriterTest : public QuickTimeTest {
 protected:
  // A new movie file with one sound track and media at `scale`.
  Movie Create(const std::string& name, TimeScale scale, SInt16* ref) {
    return Create(Spec(name), scale, ref);
  }
  Movie Create(const FSSpec& spec, TimeScale scale, SInt16* ref) {
    Movie movie = nullptr;
    EXPECT_EQ(
        CreateMovieFile(&spec, SpFourCC("TVOD"), -1, createMovieFileDontCreateResFile, ref, &movie),
        noErr);
    if (movie == nullptr) return nullptr;
    movies_.push_back(movie);
    track_ = NewMovieTrack(movie, 0, 0, 0x0100);
    media_ = NewTrackMedia(track_, SoundMediaType, scale, nullptr, 0);
    EXPECT_NE(media_, nullptr);
    EXPECT_EQ(BeginMediaEdits(media_), noErr);
    return movie;
  }

  // Ends the movie as a save does: the media's whole length into the track, the movie
  // resource, the file closed.
  void Finish(Movie movie, SInt16 ref) {
    EXPECT_EQ(EndMediaEdits(media_), noErr);
    EXPECT_EQ(InsertMediaIntoTrack(track_, 0, 0, GetMediaDuration(media_), 0x00010000), noErr);
    EXPECT_EQ(AddMovieResource(movie, ref, nullptr, nullptr), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
  }

  // A movie of `frames` of the tone encoded as `format`, added as the movie save adds them.
  void WriteEncoded(const std::string& name, OSType format, SInt16 channels, UnsignedFixed rate,
                    SInt16 size, UInt32 frames) {
    const SoundComponentData in{0, k16BitBigEndianFormat, channels, 16, rate44khz, 0, nullptr, 0};
    const SoundComponentData out{0, format, channels, size, rate, 0, nullptr, 0};
    SoundConverter sc = nullptr;
    ASSERT_EQ(SoundConverterOpen(&in, &out, &sc), noErr);
    SoundConverterSetInfo(sc, siClientAcceptsVBR, reinterpret_cast<void*>(1));
    Handle wave = nullptr;
    SoundConverterGetInfo(sc, siDecompressionParams, &wave);
    CompressionInfo ci{};
    ASSERT_EQ(SoundConverterGetInfo(sc, siCompressionFactor, &ci), noErr);
    UnsignedFixed realRate = rate;
    SoundConverterGetInfo(sc, siCompressionOutputSampleRate, &realRate);
    SoundDescriptionV1 d{};
    d.desc.descSize = sizeof d;
    d.desc.dataFormat = format;
    d.desc.dataRefIndex = 1;
    d.desc.version = 1;
    d.desc.numChannels = channels;
    d.desc.sampleSize = size;
    d.desc.compressionID = ci.compressionID;
    d.desc.sampleRate = realRate;
    d.samplesPerPacket = ci.samplesPerPacket;
    d.bytesPerPacket = ci.bytesPerPacket;
    d.bytesPerFrame = UInt32(ci.bytesPerPacket) * UInt32(channels);
    d.bytesPerSample = ci.bytesPerSample;
    Handle desc = NewHandle(sizeof d);
    std::memcpy(*desc, &d, sizeof d);
    if (wave != nullptr) {
      AddSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), wave,
                                   siDecompressionParams);
      DisposeHandle(wave);
    }
    const TimeScale scale = TimeScale(rate >> 16 != 0 ? rate >> 16 : 96000);
    SInt16 ref = 0;
    Movie movie = Create(name, scale, &ref);
    ASSERT_NE(movie, nullptr);
    const std::vector<UInt8> tone = Tone(frames, channels);
    Fill fill{&tone};
    fill.data = in;
    fill.data.sampleCount = SInt32(frames);
    std::vector<UInt8> buffer(1 << 20);
    const bool varying = ci.compressionID == variableCompression;
    auto add = [&](UInt32 bytes, UInt32 count) {
      if (bytes == 0) return;
      Ptr data = reinterpret_cast<Ptr>(buffer.data());
      const SInt32 samples = varying ? SInt32(count) : SInt32(count * ci.samplesPerPacket);
      ASSERT_EQ(
          AddMediaSample(media_, &data, 0, bytes, varying ? ci.samplesPerPacket : 1,
                         reinterpret_cast<SampleDescriptionHandle>(desc), samples, 0, nullptr),
          noErr);
    };
    SoundConverterBeginConversion(sc);
    for (int guard = 0; guard < 100000; ++guard) {
      UInt32 bytes = 0, count = 0, flags = 0;
      ASSERT_EQ(SoundConverterFillBuffer(sc, GiveOnce, &fill, buffer.data(), UInt32(buffer.size()),
                                         &bytes, &count, &flags),
                noErr);
      add(bytes, count);
      if (!(flags & kSoundConverterHasLeftOverData)) break;
    }
    UInt32 bytes = 0, count = 0;
    SoundConverterEndConversion(sc, buffer.data(), &count, &bytes);
    add(bytes, count);
    SoundConverterClose(sc);
    DisposeHandle(desc);
    Finish(movie, ref);
  }

  Track track_ = nullptr;
  Media media_ = nullptr;
};

// Every kind of sound the save writes: the codec FFmpeg finds, its rate and channels, a whole
// second to within 30 ms, and a decode without complaints. The edit list skips the AAC
// encoder's delay (a second and 1,024 frames would be 23 ms long).
TEST_F(MovieWriterTest, EachFormatIsReadBackWithItsCodecRateChannelsAndLength) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    OSType format;
    SInt16 channels;
    UnsignedFixed rate;
    SInt16 size;
    const char* codec;
    UInt32 expectedRate;
  } cases[] = {
      {k16BitBigEndianFormat, 2, rate44khz, 16, "pcm_s16be", 44100},
      {k16BitBigEndianFormat, 1, rate22050hz, 16, "pcm_s16be", 22050},
      {k16BitLittleEndianFormat, 2, rate44khz, 16, "pcm_s16le", 44100},
      {k24BitFormat, 2, rate48khz, 24, "pcm_s24be", 48000},
      {kIMACompression, 2, rate44khz, 16, "adpcm_ima_qt", 44100},
      {kULawCompression, 1, rate8khz, 16, "pcm_mulaw", 8000},
      {kALawCompression, 2, rate44khz, 16, "pcm_alaw", 44100},
      {kMPEG4AudioFormat, 2, rate44khz, 16, "aac", 44100},
      {kMPEG4AudioFormat, 1, rate32khz, 16, "aac", 32000},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "m" + std::to_string(n++) + ".mov";
    SCOPED_TRACE(name + " " + c.codec);
    WriteEncoded(name, c.format, c.channels, c.rate, c.size, 44100);
    EXPECT_EQ(Probe(Path(name), "stream=codec_name"), c.codec);
    sp_testing::ProbedStream s;
    ASSERT_TRUE(sp_testing::ProbeAudioStream(Path(name), s));
    EXPECT_EQ(s.sampleRate, c.expectedRate);
    EXPECT_EQ(s.channels, c.channels);
    EXPECT_NEAR(s.duration - s.startTime, 1.0, 0.03);
    EXPECT_EQ(DecodeComplaints(Path(name)), "");
  }
}

// Uncompressed samples come back exactly as they went in, and the file is a QuickTime movie
// in its data: ftyp 'qt  ', 'mdat' before 'moov', a sample entry of data reference 1.
TEST_F(MovieWriterTest, UncompressedSamplesComeBackByteForByte) {
  SKIP_WITHOUT_FFMPEG();
  SInt16 ref = 0;
  Movie movie = Create("pcm.mov", 44100, &ref);
  ASSERT_NE(movie, nullptr);
  Handle desc = StereoTwos();
  std::vector<UInt8> all;
  for (int part = 0; part < 3; ++part) {
    std::vector<UInt8> samples(4 * 1000 * std::size_t(part + 1));
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = UInt8(i * 7 + part);
    Ptr p = reinterpret_cast<Ptr>(samples.data());
    TimeValue at = -1;
    ASSERT_EQ(AddMediaSample(media_, &p, 0, UInt32(samples.size()), 1,
                             reinterpret_cast<SampleDescriptionHandle>(desc),
                             SInt32(samples.size() / 4), 1, &at),
              noErr);
    EXPECT_EQ(at, TimeValue(all.size() / 4));
    all.insert(all.end(), samples.begin(), samples.end());
  }
  EXPECT_EQ(GetMediaDuration(media_), 6000);
  EXPECT_EQ(GetMediaSampleCount(media_), 6000);
  Finish(movie, ref);
  DisposeHandle(desc);
  std::string decoded;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffmpeg", "-nostdin", "-v", "error", "-i", Path("pcm.mov"), "-f", "s16be", "-"}, decoded));
  EXPECT_TRUE(decoded == std::string(all.begin(), all.end())) << decoded.size();
  const std::string file = ReadFile("pcm.mov");
  EXPECT_EQ(file.substr(4, 8), "ftypqt  ");
  EXPECT_LT(file.find("mdat"), file.find("moov"));
  const std::size_t entry = file.find("twos");
  ASSERT_NE(entry, std::string::npos);
  EXPECT_EQ(sp::LoadBE16(file.data() + entry + 10), 1) << "data reference index";
}

// Chunks that lie past 4 GiB get 64-bit chunk offsets and a 64-bit 'mdat' size, also when
// only the later chunks do; FFmpeg still finds every sample. The bytes before the samples are
// a hole in the file.
TEST_F(MovieWriterTest, SamplesPastFourGigabytesGetWideOffsetsAndSizes) {
  SKIP_WITHOUT_FFMPEG();
  const UInt64 k4G = UInt64(1) << 32;
  const struct {
    const char* why;
    UInt64 padding;
    bool wide;
  } cases[] = {
      {"near the start of the file", 0, false},
      {"the first chunk below 4 GiB, the next ones past it", k4G - 100000, true},
      {"every chunk past 4 GiB", k4G, true},
  };
  // Three seconds: chunks of 256 KiB, so the samples take three chunks.
  const std::vector<UInt8> tone = Tone(3 * 44100, 2);
  Handle desc = StereoTwos();
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string name = "wide" + std::to_string(n++) + ".mov";
    sp_testing::SetMovieWriterPadding(c.padding);
    SInt16 ref = 0;
    Movie movie = Create(name, 44100, &ref);
    sp_testing::SetMovieWriterPadding(0);
    ASSERT_NE(movie, nullptr);
    AddInPieces(media_, desc, tone, 65536);
    Finish(movie, ref);
    struct stat st {};
    ASSERT_EQ(stat(Path(name).c_str(), &st), 0);
    EXPECT_EQ(UInt64(st.st_size) > k4G, c.wide);
    EXPECT_LT(UInt64(st.st_blocks) * 512, UInt64(64) << 20) << "the gap takes no room";
    std::string head(32, '\0'), tail(4096, '\0');
    {
      std::ifstream in(Path(name), std::ios::binary);
      in.read(&head[0], 32);
      in.seekg(std::max<std::streamoff>(std::streamoff(st.st_size) - 4096, 0));
      in.read(&tail[0], 4096);
    }
    EXPECT_EQ(tail.find("co64") != std::string::npos, c.wide);
    EXPECT_EQ(tail.find("stco") != std::string::npos, !c.wide);
    EXPECT_EQ(head.substr(20, 8),
              c.wide ? std::string("\0\0\0\1mdat", 8) : std::string("\0\0\0\x08wide", 8))
        << "a 64-bit 'mdat' header takes the place of 'wide'";
    EXPECT_TRUE(Decoded(Path(name)) == std::string(tone.begin(), tone.end()));
  }
  DisposeHandle(desc);
}

// Rates at and past the largest that the entry's 16.16 field holds: 65,535 Hz goes there;
// from 65,536 Hz on, given by the description's stream parameters, the entry takes version 2
// and its 64-bit rate. FFmpeg reads each rate and length back (it would also take the media's
// time scale for a missing rate, so the entry is read too).
TEST_F(MovieWriterTest, RatesAtAndPastTheSixteenBitLimitAreReadBack) {
  SKIP_WITHOUT_FFMPEG();
  for (const UInt32 rate : {65535u, 65536u, 96000u}) {
    SCOPED_TRACE(rate);
    const std::string name = "r" + std::to_string(rate) + ".mov";
    Handle desc = StereoTwos();
    reinterpret_cast<SoundDescriptionV1*>(*desc)->desc.sampleRate = rate < 65536 ? rate << 16 : 0;
    if (rate >= 65536) {
      sp::ByteWriter wave;
      wave.BE32(8 + 12 + 32 + 8);
      wave.FourCC(SpFourCC("wave"));
      wave.BE32(12);
      wave.FourCC(SpFourCC("frma"));
      wave.FourCC(k16BitBigEndianFormat);
      wave.BE32(32);
      wave.FourCC(SpFourCC("strp"));
      wave.BE32(0);  // version and flags
      wave.BE32(rate);
      wave.Zeros(16);  // block alignment, priming and presented frames
      wave.BE32(8);
      wave.BE32(0);
      Handle ext = NewHandle(Size(wave.Size()));
      std::memcpy(*ext, wave.Data().data(), wave.Size());
      ASSERT_EQ(AddSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc), ext,
                                             siDecompressionParams),
                noErr);
      DisposeHandle(ext);
    }
    SInt16 ref = 0;
    Movie movie = Create(name, TimeScale(rate), &ref);
    ASSERT_NE(movie, nullptr);
    AddInPieces(media_, desc, Tone(rate / 10, 2), 1 << 20);
    DisposeHandle(desc);
    Finish(movie, ref);
    sp_testing::ProbedStream s;
    ASSERT_TRUE(sp_testing::ProbeAudioStream(Path(name), s));
    EXPECT_EQ(s.sampleRate, rate);
    EXPECT_NEAR(s.duration - s.startTime, 0.1, 0.001);
    const std::string file = ReadFile(name);
    const std::size_t entry = file.find("twos", file.find("stsd"));
    ASSERT_NE(entry, std::string::npos);
    // After the type: reserved bytes, data reference, version, revision, vendor, then the
    // channels, sample size, compression id and packet size before the 16.16 rate; version
    // 2 has its 64-bit rate after six fields of its own.
    if (rate < 65536) {
      EXPECT_EQ(sp::LoadBE16(file.data() + entry + 12), 1);
      EXPECT_EQ(sp::LoadBE32(file.data() + entry + 28), rate << 16);
    } else {
      EXPECT_EQ(sp::LoadBE16(file.data() + entry + 12), 2);
      const UInt64 bits = sp::LoadBE64(file.data() + entry + 36);
      double written = 0;
      std::memcpy(&written, &bits, 8);
      EXPECT_EQ(written, double(rate));
    }
  }
}

// Samples under a second description start a run of chunks of their own in the sample-to-chunk
// table, so that each chunk names the entry its samples were added with.
TEST_F(MovieWriterTest, EachChunkNamesTheDescriptionItsSamplesCameWith) {
  SKIP_WITHOUT_FFMPEG();
  SInt16 ref = 0;
  Movie movie = Create("descs.mov", 44100, &ref);
  ASSERT_NE(movie, nullptr);
  // The same sound, once as a version 1 description and once as version 0.
  Handle v1 = StereoTwos();
  Handle v0 = NewHandle(sizeof(SoundDescription));
  std::memcpy(*v0, *v1, sizeof(SoundDescription));
  reinterpret_cast<SoundDescription*>(*v0)->descSize = sizeof(SoundDescription);
  reinterpret_cast<SoundDescription*>(*v0)->version = 0;
  const std::vector<UInt8> tone = Tone(3000, 2);
  const std::vector<UInt8> thirds[] = {std::vector<UInt8>(tone.begin(), tone.begin() + 4000),
                                       std::vector<UInt8>(tone.begin() + 4000, tone.begin() + 8000),
                                       std::vector<UInt8>(tone.begin() + 8000, tone.end())};
  AddInPieces(media_, v1, thirds[0], 4000);
  AddInPieces(media_, v0, thirds[1], 4000);
  AddInPieces(media_, v1, thirds[2], 4000);
  DisposeHandle(v0);
  DisposeHandle(v1);
  Finish(movie, ref);
  EXPECT_TRUE(Decoded(Path("descs.mov")) == std::string(tone.begin(), tone.end()));
  const std::string file = ReadFile("descs.mov");
  const std::size_t stsd = file.find("stsd", file.find("moov", file.find("mdat")));
  ASSERT_NE(stsd, std::string::npos);
  EXPECT_EQ(sp::LoadBE32(file.data() + stsd + 8), 2u) << "two entries";
  const std::size_t stsc = file.find("stsc", stsd);
  ASSERT_NE(stsc, std::string::npos);
  std::vector<UInt32> runs;  // first chunk, samples a chunk, entry
  for (UInt32 i = 0; i < sp::LoadBE32(file.data() + stsc + 8) && i < 8; ++i) {
    for (int k = 0; k < 3; ++k)
      runs.push_back(sp::LoadBE32(file.data() + stsc + 12 + 12 * i + 4 * k));
  }
  EXPECT_EQ(runs, (std::vector<UInt32>{1, 1000, 1, 2, 1000, 2, 3, 1000, 1}));
}

// Two tracks whose samples are added in turn: each track's chunks hold its own samples only,
// the tracks are numbered 1 and 2 and the movie's next track number is 3.
TEST_F(MovieWriterTest, TracksWrittenInTurnKeepTheirOwnSamplesAndNumbers) {
  SKIP_WITHOUT_FFMPEG();
  SInt16 ref = 0;
  Movie movie = Create("two.mov", 44100, &ref);
  ASSERT_NE(movie, nullptr);
  Track otherTrack = NewMovieTrack(movie, 0, 0, 0x0100);
  Media other = NewTrackMedia(otherTrack, SoundMediaType, 44100, nullptr, 0);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(BeginMediaEdits(other), noErr);
  const std::vector<UInt8> tone = Tone(4410, 2);
  std::vector<UInt8> pattern(tone.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = UInt8(i * 13 + 5);
  Handle desc = StereoTwos();
  for (std::size_t at = 0; at < tone.size(); at += 4000) {
    const std::size_t n = std::min<std::size_t>(4000, tone.size() - at);
    AddInPieces(media_, desc, std::vector<UInt8>(tone.begin() + at, tone.begin() + at + n), n);
    AddInPieces(other, desc, std::vector<UInt8>(pattern.begin() + at, pattern.begin() + at + n), n);
  }
  DisposeHandle(desc);
  EXPECT_EQ(EndMediaEdits(other), noErr);
  EXPECT_EQ(InsertMediaIntoTrack(otherTrack, 0, 0, GetMediaDuration(other), 0x00010000), noErr);
  Finish(movie, ref);
  EXPECT_TRUE(Decoded(Path("two.mov"), 0) == std::string(tone.begin(), tone.end()));
  EXPECT_TRUE(Decoded(Path("two.mov"), 1) == std::string(pattern.begin(), pattern.end()));
  const std::string file = ReadFile("two.mov");
  const std::size_t moov = file.find("moov", file.find("mdat"));
  ASSERT_NE(moov, std::string::npos);
  // After 'mvhd': version and flags, times, scale, duration, rate, volume, reserved bytes, the
  // matrix and the preview, poster, selection and current times.
  const std::size_t mvhd = file.find("mvhd", moov);
  ASSERT_NE(mvhd, std::string::npos);
  EXPECT_EQ(sp::LoadBE32(file.data() + mvhd + 100), 3u) << "the next track number";
  std::vector<UInt32> numbers;
  for (std::size_t at = file.find("tkhd", moov); at != std::string::npos;
       at = file.find("tkhd", at + 4)) {
    numbers.push_back(sp::LoadBE32(file.data() + at + 16));
  }
  EXPECT_EQ(numbers, (std::vector<UInt32>{1, 2}));
}

// A save onto a full disk fails, and says so: samples gathered before they are written fail
// the movie's end, samples written at once fail as they are added (and the save stops there).
TEST_F(MovieWriterTest, SamplesThatFindTheDiskFullFailTheSave) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "no mounts of our own here";
  const std::string full = Path("full");
  mkdir(full.c_str(), 0700);
  if (mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  const files_test::Folder folder = files_test::FolderAt(home_, "Documents/full");
  const struct {
    const char* name;
    std::size_t bytes;
    OSErr atAdd;
  } cases[] = {
      {"gathered.mov", 200000, noErr},
      {"direct.mov", 2 << 20, dskFulErr},
  };
  Handle desc = StereoTwos();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FSSpec spec{};
    const std::string pname = char(std::strlen(c.name)) + std::string(c.name);
    FSMakeFSSpec(folder.vRefNum, folder.dirID, reinterpret_cast<ConstStr255Param>(pname.data()),
                 &spec);
    SInt16 ref = 0;
    Movie movie = Create(spec, 44100, &ref);
    ASSERT_NE(movie, nullptr);
    std::vector<UInt8> samples(c.bytes, 0x11);
    Ptr p = reinterpret_cast<Ptr>(samples.data());
    EXPECT_EQ(AddMediaSample(media_, &p, 0, UInt32(c.bytes), 1,
                             reinterpret_cast<SampleDescriptionHandle>(desc), SInt32(c.bytes / 4),
                             0, nullptr),
              c.atAdd);
    if (c.atAdd == noErr) {
      EXPECT_EQ(AddMovieResource(movie, ref, nullptr, nullptr), dskFulErr);
    }
    CloseMovieFile(ref);
    FSpDelete(&spec);
  }
  DisposeHandle(desc);
  umount2(full.c_str(), MNT_DETACH);
}

// User data and the MP4 'meta' item are written as items of 'moov'/'udta' and read back.
TEST_F(MovieWriterTest, UserDataGoesIntoTheMovieAndIsReadBack) {
  SKIP_WITHOUT_FFMPEG();
  SInt16 ref = 0;
  Movie movie = Create("tags.mov", 44100, &ref);
  ASSERT_NE(movie, nullptr);
  UserData ud = GetMovieUserData(movie);
  ASSERT_NE(ud, nullptr);
  Handle text = NewHandle(5);
  std::memcpy(*text, "Title", 5);
  ASSERT_EQ(AddUserDataText(ud, text, kUserDataTextFullName, 1, langEnglish), noErr);
  DisposeHandle(text);
  std::vector<UInt8> tone = Tone(4410, 2);
  Handle desc = StereoTwos();
  Ptr p = reinterpret_cast<Ptr>(tone.data());
  ASSERT_EQ(AddMediaSample(media_, &p, 0, UInt32(tone.size()), 1,
                           reinterpret_cast<SampleDescriptionHandle>(desc), 4410, 0, nullptr),
            noErr);
  DisposeHandle(desc);
  Finish(movie, ref);
  EXPECT_EQ(Probe(Path("tags.mov"), "format_tags=title"), "Title");
  Movie back = Open("tags.mov");
  ASSERT_NE(back, nullptr);
  Handle got = NewHandle(0);
  EXPECT_EQ(GetUserDataText(GetMovieUserData(back), got, kUserDataTextFullName, 1, langEnglish),
            noErr);
  EXPECT_EQ(std::string(*got, std::size_t(GetHandleSize(got))), "Title");
  DisposeHandle(got);
  EXPECT_EQ(GetMediaDuration(SoundMedia(back)), 4410);
}

// What the calls refuse: a second file of the name without the flag to replace it, samples
// outside media edits or not dividing into their samples, a range past the media, a second
// movie resource, and every call on a movie that was read rather than made.
TEST_F(MovieWriterTest, CallsRefuseWhatTheyCannotDo) {
  SInt16 ref = 0;
  Movie movie = Create("refuse.mov", 44100, &ref);
  ASSERT_NE(movie, nullptr);
  const FSSpec spec = Spec("refuse.mov");
  SInt16 ref2 = 0;
  Movie other = nullptr;
  EXPECT_EQ(CreateMovieFile(&spec, SpFourCC("TVOD"), -1, 0, &ref2, &other), dupFNErr);
  EXPECT_EQ(other, nullptr);

  Handle desc = StereoTwos();
  std::vector<UInt8> bytes(400);
  Ptr p = reinterpret_cast<Ptr>(bytes.data());
  auto add = [&](UInt32 size, SInt32 count) {
    return AddMediaSample(media_, &p, 0, size, 1, reinterpret_cast<SampleDescriptionHandle>(desc),
                          count, 0, nullptr);
  };
  EXPECT_EQ(add(400, 99), paramErr) << "400 bytes are 100 frames";
  EXPECT_EQ(add(400, 100), noErr);
  EXPECT_EQ(InsertMediaIntoTrack(track_, 0, 50, 51, 0x00010000), paramErr) << "past the media";
  EXPECT_EQ(EndMediaEdits(media_), noErr);
  EXPECT_EQ(add(400, 100), editingNotAllowed);
  EXPECT_EQ(GetMediaDuration(media_), 100);
  EXPECT_EQ(AddMovieResource(movie, ref, nullptr, nullptr), noErr);
  EXPECT_EQ(AddMovieResource(movie, ref, nullptr, nullptr), dupFNErr);
  EXPECT_EQ(CloseMovieFile(ref), noErr);
  DisposeHandle(desc);

  WriteFile("read.aiff", "");
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("read.aiff"), 2, 44100, 100));
  Movie read = Open("read.aiff");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(NewMovieTrack(read, 0, 0, 0x0100), nullptr);
  EXPECT_EQ(GetMoviesError(), invalidMovie);
  EXPECT_EQ(BeginMediaEdits(SoundMedia(read)), invalidMedia);
  EXPECT_EQ(NewTrackMedia(track_, SpFourCC("vide"), 600, nullptr, 0), nullptr)
      << "sound only, and one media a track";
}

}  // namespace
}  // namespace quicktime_test
