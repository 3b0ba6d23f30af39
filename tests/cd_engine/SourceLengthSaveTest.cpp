// Saves of sound files whose length the file states: an MP3 without a tag is counted once for
// the file however many saves (and the checks before them) read it, and saved whole; an MP3
// whose tag says more or fewer frames than it holds (or none), or with another joined on after
// it, is saved as ffmpeg decodes it.
#include <tuple>

#include "SaveFixture.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestResponder.h"
#include "TestQuickTime.h"

namespace engine_test {
namespace {

namespace qt = sp_testing;

class SourceLengthSave : public SaveTest {
 protected:
  void SetUp() override {
    SaveTest::SetUp();
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
    qt::ForgetSoundLengths();
  }

  // Two seconds of a tone as MP3, with or without the encoder's tag.
  void MakeMp3(const std::string& name, bool tag) {
    ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac",
                                       "2", "-c:a", "libmp3lame", "-write_xing", tag ? "1" : "0",
                                       Doc(name)},
                                      Doc(name)));
  }

  // The frames of a saved WAVE file as ffprobe counts them.
  SInt64 SavedFrames(const std::string& name) {
    return std::atoll(ProbeEntry(Doc(name), "stream=duration_ts").c_str());
  }
};

TEST_F(SourceLengthSave, AnUntaggedMp3IsCountedOnceForTwoSavesAndSavedWhole) {
  MakeMp3("plain.mp3", false);
  const qt::SoundLengthCounts before = qt::CountedSoundLengths();
  cSp_CDRProgramBaseObj* first = SaveProgram({"plain.mp3"});
  ASSERT_EQ(SavePlain(first, "one.wav", kSpCDRISoundFileTypeWAVE), 0);
  cSp_CDRProgramBaseObj* second = SaveProgram({"plain.mp3"});
  ASSERT_EQ(SavePlain(second, "two.wav", kSpCDRISoundFileTypeWAVE), 0);
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1);
  EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded);
  // Every frame of the file: 2 s and the encoder's delay and padding, in whole frames.
  const SInt64 frames = SavedFrames("one.wav");
  EXPECT_TRUE(frames % 1152 == 0 && frames >= 2 * 44100 && frames < 2 * 44100 + 3 * 1152)
      << frames;
  EXPECT_EQ(SavedFrames("two.wav"), frames);
  EXPECT_EQ(ReadAll(Doc("one.wav")), ReadAll(Doc("two.wav")));
}

TEST_F(SourceLengthSave, AnMp3WhoseTagLiesIsSavedAsFfmpegDecodesIt) {
  MakeMp3("true.mp3", true);
  const std::string bytes = ReadAll(Doc("true.mp3"));
  std::size_t tag = bytes.find("Xing");
  if (tag == std::string::npos) tag = bytes.find("Info");
  ASSERT_LT(tag, std::size_t(200));
  ASSERT_NE(sp::LoadBE32(bytes.data() + tag + 4) & 1, 0u) << "the tag counts the frames";
  const UInt32 count = sp::LoadBE32(bytes.data() + tag + 8);
  for (const SInt32 change : {40, -40, -SInt32(count)}) {
    SCOPED_TRACE(change);
    std::string lying = bytes;
    sp::StoreBE32(&lying[tag + 8], UInt32(SInt32(count) + change));
    cdtest::WriteFile(Doc("lies.mp3"), lying);
    qt::ForgetSoundLengths();
    const std::size_t shown = sp_testing::ShownSoFar().size();
    cSp_CDRProgramBaseObj* p = SaveProgram({"lies.mp3"});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 0);
    EXPECT_EQ(sp_testing::ShownSoFar().size(), shown) << "nothing told";
    std::string pcm;
    ASSERT_TRUE(sp_testing::RunProgram(
        {"ffmpeg", "-v", "error", "-nostdin", "-i", Doc("lies.mp3"), "-f", "s16le", "-ac", "1", "-"},
        pcm));
    EXPECT_EQ(SavedFrames("out.wav"), SInt64(pcm.size() / 2));
  }
}

// A tagged MP3 with a short one joined on, FFmpeg dropping the first part's padding at the
// join: the saved WAVE holds FFmpeg's decoding sample for sample, the second part in its place
// and whole to its end.
TEST_F(SourceLengthSave, AJoinedMp3IsSavedWithItsJoinWhereFfmpegPutsIt) {
  MakeMp3("first.mp3", true);
  ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=660:duration=0.05",
                                     "-ac", "2", "-c:a", "libmp3lame", "-write_xing", "0",
                                     "-id3v2_version", "0", Doc("second.mp3")},
                                    Doc("second.mp3")));
  const std::string first = ReadAll(Doc("first.mp3")), second = ReadAll(Doc("second.mp3"));
  ASSERT_LT(second.size(), first.size() / 16) << "the tag's count is taken";
  cdtest::WriteFile(Doc("joined.mp3"), first + second);
  cSp_CDRProgramBaseObj* p = SaveProgram({"joined.mp3"});
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "joined.wav", kSpCDRISoundFileTypeWAVE), 0);
  std::string ours, theirs;
  for (const auto& [path, out] : {std::make_pair(Doc("joined.wav"), &ours),
                                  std::make_pair(Doc("joined.mp3"), &theirs)}) {
    ASSERT_TRUE(sp_testing::RunProgram(
        {"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-ac", "2", "-f", "s16le", "-"}, *out));
  }
  ASSERT_EQ(ours.size(), theirs.size());
  int worst = 0;
  for (std::size_t i = 0; i + 1 < ours.size(); i += 2) {
    const int x = SInt16(sp::LoadLE16(ours.data() + i)), y = SInt16(sp::LoadLE16(theirs.data() + i));
    worst = std::max(worst, std::abs(x - y));
  }
  EXPECT_LE(worst, 1);
}

// An Opus jingle of many bytes to the second chained before speech of few under one serial
// number, a chain the pages probed when the file is opened miss: the save counts the packets,
// finds the chain there and saves the file whole, as FFmpeg decodes it, the first time.
TEST_F(SourceLengthSave, AChainMissedWhenOpenedIsSavedWholeTheFirstTime) {
  std::string log;
  for (const auto& [name, seconds, bitrate] :
       {std::make_tuple("jingle", "4", "256"), std::make_tuple("speech", "120", "12")}) {
    ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i",
                                       std::string("anoisesrc=color=pink:amplitude=0.2:r=48000:d=") +
                                           seconds,
                                       "-ac", "2", Doc(std::string(name) + ".wav")},
                                      Doc(std::string(name) + ".wav")));
    if (!sp_testing::RunProgram({"opusenc", "--quiet", "--serial", "4242", "--bitrate", bitrate,
                                 Doc(std::string(name) + ".wav"), Doc(std::string(name) + ".opus")},
                                log))
      GTEST_SKIP() << "opusenc is missing or failed: " << log;
  }
  cdtest::WriteFile(Doc("chain.opus"), ReadAll(Doc("jingle.opus")) + ReadAll(Doc("speech.opus")));
  std::string pcm;
  ASSERT_TRUE(sp_testing::RunProgram({"ffmpeg", "-v", "error", "-nostdin", "-i", Doc("chain.opus"),
                                      "-ar", "44100", "-ac", "1", "-f", "s16le", "-"},
                                     pcm));
  cSp_CDRProgramBaseObj* p = SaveProgram({"chain.opus"});
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "chain.wav", kSpCDRISoundFileTypeWAVE), 0);
  EXPECT_NEAR(double(SavedFrames("chain.wav")), double(pcm.size() / 2), 64.0);
}

}  // namespace
}  // namespace engine_test
