// Lengths of compressed sound from what the files state: equal to what the decoder presents,
// found without decoding, once for a file; headers that lie are counted or reported; cut and
// damaged files never make a reader claim more than they hold.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "QuickTimeSamples.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/StatedLength.h"

namespace quicktime_test {
namespace {

namespace qt = sp_platform::quicktime;

constexpr SInt64 kSourceFrames = 321930;  // 7.3 s at 44.1 kHz

class SoundLengthTest : public QuickTimeTest {
 protected:
  void SetUp() override {
    QuickTimeTest::SetUp();
    qt::ForgetSoundLengths();
  }

  static bool Have(const char* tool) {
    std::string out;
    return sp_testing::RunProgram({"sh", "-c", std::string("command -v ") + tool}, out);
  }

  // The source sound (a tone of kSourceFrames stereo frames) as a WAVE file.
  std::string Source() {
    const std::string path = Path("source.wav");
    std::string log;
    if (access(path.c_str(), F_OK) != 0) {
      EXPECT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi",
                                          "-i", "sine=f=440:d=7.3:r=44100", "-ac", "2", path},
                                         log))
          << log;
    }
    return path;
  }

  // The source encoded by a command whose "IN" and "OUT" stand for the paths.
  bool Encode(std::vector<std::string> argv, const std::string& name) {
    const std::string source = Source();
    for (std::string& a : argv) {
      if (a == "IN") a = source;
      if (a == "OUT") a = Path(name);
    }
    std::string log;
    const bool ok = sp_testing::RunProgram(argv, log, true);
    EXPECT_TRUE(ok) << log;
    return ok;
  }

  std::vector<UInt8> Bytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<UInt8>(std::istreambuf_iterator<char>(in), {});
  }
  void Put(const std::string& name, const std::vector<UInt8>& bytes) const {
    WriteFile(name, std::string(bytes.begin(), bytes.end()));
  }

  // The frames the converter makes of a media's packets, and its error.
  static OSErr Convert(Media media, SInt64* frames) {
    std::vector<UInt8> decoded;
    bool withParameters = false;
    const SoundDescriptionV1 d = Describe(media);
    const OSErr err = DecodeToSixteenBits(media, d, &decoded, &withParameters);
    *frames = SInt64(decoded.size() / 2 / std::size_t(std::max<SInt16>(d.desc.numChannels, 1)));
    return err;
  }
};

// Files of the encoders people use: the length is what ffmpeg decodes of them (for MPEG-4, to
// the end its edit list gives), the converter presents exactly that many frames, the packet
// count is the packets read, and nothing was decoded to find it. A second opening of the same
// file reads nothing again.
TEST_F(SoundLengthTest, EncodersFilesGiveTheDecodersLengthWithoutDecoding) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    const char* tool;
    std::vector<std::string> argv;
  } cases[] = {
      {"lame.mp3", "lame", {"lame", "--quiet", "IN", "OUT"}},
      {"lame-vbr.mp3", "lame", {"lame", "--quiet", "-V", "2", "IN", "OUT"}},
      {"untagged.mp3", "lame", {"lame", "--quiet", "-t", "IN", "OUT"}},
      {"ffmpeg.mp3", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "libmp3lame", "OUT"}},
      {"a.flac", "flac", {"flac", "-s", "-f", "IN", "-o", "OUT"}},
      {"a.ogg", "oggenc", {"oggenc", "-Q", "IN", "-o", "OUT"}},
      {"a.opus", "opusenc", {"opusenc", "--quiet", "IN", "OUT"}},
      {"flac.oga", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "flac", "OUT"}},
      {"aac.m4a", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "aac", "OUT"}},
      {"alac.m4a", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "alac", "OUT"}},
      {"adts.aac", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "aac", "OUT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!Have(c.tool)) {
      ADD_FAILURE() << c.tool << " is missing (tools/install-deps installs it)";
      continue;
    }
    ASSERT_TRUE(Encode(c.argv, c.name));
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const TimeValue duration = GetMediaDuration(media);
    const bool mpeg4 = std::string(c.name).find(".m4a") != std::string::npos;
    EXPECT_EQ(duration, mpeg4 ? kSourceFrames : FramesFfmpegDecodes(Path(c.name)));
    EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded) << "found without decoding";
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, duration);
    TimeValue end = 0;
    SInt32 packets = 0;
    EXPECT_EQ(ReadToEnd(media, 1 << 20, &end, &packets), invalidTime);
    EXPECT_EQ(packets, GetMediaSampleCount(media));
    Media again = SoundMedia(Open(c.name));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetMediaDuration(again), duration);
    EXPECT_EQ(GetMediaSampleCount(again), packets);
    EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1) << "kept with the file";
  }
}

// A file changed after its length was found is read again, even when it keeps its size, its
// inode and its time stamp; an untagged MP3 is counted by its frame headers, once, however
// often it is opened.
TEST_F(SoundLengthTest, ALengthIsKeptWithTheFileAsItIs) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("lame")) GTEST_SKIP() << "lame is missing";
  // At 48 kHz and 128 kb/s every frame is 384 bytes.
  ASSERT_TRUE(Encode({"lame", "--quiet", "-t", "--resample", "48", "IN", "OUT"}, "a.mp3"));
  std::vector<UInt8> bytes = Bytes("a.mp3");
  const std::size_t frame = 384;
  ASSERT_EQ(bytes.size() % frame, 0u);
  const qt::SoundLengthCounts before = qt::CountedSoundLengths();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  }
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1);
  // The same file rewritten in place, as large and stamped with the same time (the clock's
  // step): its second half is silence now, and its frames are counted again.
  struct stat was {};
  ASSERT_EQ(stat(Path("a.mp3").c_str(), &was), 0);
  std::vector<UInt8> silenced = bytes;
  std::fill(silenced.begin() + std::ptrdiff_t(bytes.size() / frame / 2 * frame), silenced.end(), 0);
  Put("a.mp3", silenced);
  const timespec times[2] = {was.st_atim, was.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, Path("a.mp3").c_str(), times, 0), 0);
  struct stat now {};
  ASSERT_EQ(stat(Path("a.mp3").c_str(), &now), 0);
  ASSERT_TRUE(now.st_ino == was.st_ino && now.st_size == was.st_size &&
              now.st_mtim.tv_nsec == was.st_mtim.tv_nsec);
  EXPECT_LT(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 2);
  // Half the frames.
  bytes.resize(bytes.size() / frame / 2 * frame);
  Put("a.mp3", bytes);
  EXPECT_EQ(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 3);
}

// A FLAC header that says more or fewer frames than the file holds is not taken: the frames
// are counted by decoding, and the whole sound converts. An MP3 tag that says more frames
// than there are fails the conversion at its end (eofErr); one that says far fewer fails it
// too (badFileFormat), rather than cutting the sound short.
TEST_F(SoundLengthTest, HeadersThatLieAreCountedOrReported) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("flac") || !Have("lame")) GTEST_SKIP() << "flac or lame is missing";
  ASSERT_TRUE(Encode({"flac", "-s", "-f", "IN", "-o", "OUT"}, "true.flac"));
  const std::vector<UInt8> flac = Bytes("true.flac");
  ASSERT_TRUE(flac.size() > 42 && std::memcmp(flac.data(), "fLaC", 4) == 0);
  for (const SInt64 change : {SInt64(4096), SInt64(-4096), SInt64(1)}) {
    SCOPED_TRACE(change);
    std::vector<UInt8> lying = flac;
    // STREAMINFO's total: 36 bits from the low half of its 14th byte.
    UInt8* total = lying.data() + 8 + 13;
    const UInt64 stated = (UInt64(total[0] & 0x0F) << 32) | sp::LoadBE32(total + 1);
    ASSERT_EQ(stated, UInt64(kSourceFrames));
    sp::StoreBE32(total + 1, UInt32(UInt64(SInt64(stated) + change)));
    const std::string name = "lies" + std::to_string(change) + ".flac";
    Put(name, lying);
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), kSourceFrames);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, kSourceFrames);
  }

  ASSERT_TRUE(Encode({"lame", "--quiet", "IN", "OUT"}, "true.mp3"));
  const std::vector<UInt8> mp3 = Bytes("true.mp3");
  std::size_t tag = 0;
  while (tag + 12 < mp3.size() && std::memcmp(mp3.data() + tag, "Info", 4) != 0 &&
         std::memcmp(mp3.data() + tag, "Xing", 4) != 0)
    ++tag;
  ASSERT_LT(tag + 12, std::size_t(100)) << "the tag frame comes first";
  ASSERT_NE(sp::LoadBE32(mp3.data() + tag + 4) & 1, 0u) << "with a frame count";
  const UInt32 count = sp::LoadBE32(mp3.data() + tag + 8);
  const struct {
    SInt32 change;
    OSErr err;
  } mp3Cases[] = {{30, eofErr}, {-30, badFileFormat}, {0, noErr}};
  for (const auto& c : mp3Cases) {
    SCOPED_TRACE(c.change);
    std::vector<UInt8> lying = mp3;
    sp::StoreBE32(lying.data() + tag + 8, UInt32(SInt32(count) + c.change));
    const std::string name = "lies" + std::to_string(c.change) + ".mp3";
    Put(name, lying);
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), kSourceFrames + SInt64(c.change) * 1152);
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), c.err);
    if (c.err == noErr) {
      EXPECT_EQ(frames, kSourceFrames);
    }
  }
}

// Hostile files: cuts of a file all through it and bytes changed anywhere. A reader either
// declines or states no more frames than the whole file does.
TEST_F(SoundLengthTest, CutAndDamagedFilesNeverStateMoreThanTheWhole) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    std::vector<std::string> argv;
    int reader;  // 0 FLAC, 1 MPEG audio, 2 Ogg
  } cases[] = {
      {"a.flac", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "flac", "OUT"}, 0},
      {"a.mp3", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libmp3lame", "OUT"}, 1},
      {"u.mp3",
       {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libmp3lame", "-write_xing", "0",
        "OUT"},
       1},
      {"a.opus", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libopus", "OUT"}, 2},
      {"f.oga", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "flac", "OUT"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Encode(c.argv, c.name));
    const std::vector<UInt8> whole = Bytes(c.name);
    auto state = [&](const std::vector<UInt8>& bytes, qt::StatedLength& out) {
      qt::MemorySource source(bytes);
      if (c.reader == 0) return qt::FlacStatedLength(source, out);
      if (c.reader == 1) return qt::MpegAudioStatedLength(source, out);
      return qt::OggStatedLength(source, {}, out);
    };
    qt::StatedLength full;
    ASSERT_TRUE(state(whole, full));
    ASSERT_GT(full.presented, 0);
    int taken = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += 1 + whole.size() / 211) {
      qt::StatedLength part;
      const std::vector<UInt8> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
      if (!state(bytes, part)) continue;
      ++taken;
      EXPECT_LE(part.presented, full.presented) << cut;
      EXPECT_GE(part.packets, 0) << cut;
    }
    // A FLAC file's STREAMINFO never matches a cut one; a tag states the whole however much
    // follows it (the conversion reports what is missing).
    if (c.reader == 0) {
      EXPECT_EQ(taken, 0);
    }
    UInt32 seed = 12345;
    for (int round = 0; round < 300; ++round) {
      std::vector<UInt8> bytes = whole;
      for (int k = 0; k < 4; ++k) {
        seed = seed * 1103515245u + 12345u;
        bytes[(seed >> 8) % bytes.size()] = UInt8(seed >> 24);
      }
      qt::StatedLength damaged;
      if (state(bytes, damaged)) {
        EXPECT_GE(damaged.presented, 0);
        EXPECT_LE(damaged.packets, SInt64(bytes.size()));
      }
    }
  }
}

// FFmpeg looks into the first packets of a 16-bit WAVE for DTS carried as PCM, and opening
// looks at fewer of them than FFmpeg would (each look runs every format's probe): a WAVE that
// carries DTS is still told from one that carries sound.
TEST_F(SoundLengthTest, AWaveCarryingDtsIsStillToldAsDts) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("pcm.wav"), 2, 44100, 44100));
  // DTS frames written as the samples of a 16-bit WAVE.
  ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "dca", "-strict", "-2", "-f",
                      "dts", "OUT"},
                     "tone.dts"));
  std::string log;
  ASSERT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "s16le",
                                      "-ar", "44100", "-ac", "2", "-i", Path("tone.dts"), "-c:a",
                                      "pcm_s16le", Path("dts.wav")},
                                     log))
      << log;
  Media pcm = SoundMedia(Open("pcm.wav"));
  Media dts = SoundMedia(Open("dts.wav"));
  ASSERT_TRUE(pcm != nullptr && dts != nullptr);
  EXPECT_NE(Describe(dts).desc.dataFormat, Describe(pcm).desc.dataFormat);
}

}  // namespace
}  // namespace quicktime_test
