// The AIFF-C writer takes the compressions an AIFF-C file holds and refuses the others with a
// word to the user before anything is written, instead of failing later for want of memory.
#include "ErrorLogCapture.h"
#include "SaveFixture.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestResponder.h"

namespace engine_test {
namespace {

class AiffCCompression : public SaveTest {};

TEST_F(AiffCCompression, TheWriterSavesWhatAiffCHoldsAndRefusesTheRestBeforeWriting) {
  if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
  const struct {
    OSType compression;
    short size;
    const char* codec;  // as ffprobe reads the file; null: refused
  } cases[] = {
      {SpFourCC("NONE"), 16, "pcm_s16be"},
      {SpFourCC("twos"), 16, "pcm_s16be"},
      {SpFourCC("sowt"), 16, "pcm_s16le"},
      {SpFourCC("ima4"), 16, "adpcm_ima_qt"},
      {SpFourCC("ulaw"), 16, "pcm_mulaw"},
      {SpFourCC("alaw"), 16, "pcm_alaw"},
      {SpFourCC("in24"), 24, "pcm_s24be"},
      {SpFourCC("in32"), 32, "pcm_s32be"},
      {SpFourCC("fl32"), 32, "pcm_f32be"},
      {SpFourCC("fl64"), 64, "pcm_f64be"},
      {SpFourCC("raw "), 8, "pcm_u8"},
      {SpFourCC("twos"), 8, "pcm_s8"},
      {SpFourCC("NONE"), 8, "pcm_s8"},
      // Packets of varying size need tables AIFF-C has no room for.
      {SpFourCC("mp4a"), 16, nullptr},
      {SpFourCC("alac"), 16, nullptr},
      // Not a compression at all.
      {SpFourCC("junk"), 16, nullptr},
  };
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("src.aiff"), 2, 44100, 44100));
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  for (const auto& c : cases) {
    const std::string name = {char(c.compression >> 24), char(c.compression >> 16),
                              char(c.compression >> 8), char(c.compression)};
    SCOPED_TRACE(name);
    ErrorLogCapture log;
    cdtest::WriteFile(Doc("out.aifc"), "the user's file");
    const std::size_t shown = sp_testing::ShownSoFar().size();
    EXPECT_EQ(SpCDR_AIFFCWriterTakesCompression(c.compression) != 0, c.codec != nullptr);
    if (c.codec == nullptr) sp_testing::Respond(sp_testing::Answer::Return());
    const bool started = p->SaveTargetProgItemIntoAIFFC_File(
        -1, vRefNum_, dirID_, "out.aifc", SpFourCC("TVOD"), kSpCDRISoundFileTypeAIFC, c.compression,
        0xAC440000, c.size, 2, nullptr, 1.0f, nullptr, 0);
    ASSERT_EQ(started, c.codec != nullptr);
    if (c.codec == nullptr) {
      EXPECT_EQ(ReadAll(Doc("out.aifc")), "the user's file");
      ExpectFolderHolds({"out.aifc", "src.aiff"});
      ASSERT_EQ(sp_testing::ShownSoFar().size(), shown + 1) << "told once";
      EXPECT_NE(sp::text::MacJapaneseToUTF8(sp_testing::ShownSoFar().back().explanation +
                                            sp_testing::ShownSoFar().back().message)
                    .find("AIFF-Cファイルには"),
                std::string::npos);
      EXPECT_EQ(p->GetSaveTarget().failureTold, 1) << "the caller need not tell it again";
      EXPECT_TRUE(log.Has("cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile", 4));
      EXPECT_FALSE(p->IsSaveRunning());
      continue;
    }
    ASSERT_TRUE(Run(p, Road::kAIFFC));
    EXPECT_EQ(SaveEnds().back().stopped, 0);
    EXPECT_EQ(ReadAll(Doc("out.aifc")).substr(8, 4), "AIFC");
    EXPECT_EQ(ProbeEntry(Doc("out.aifc"), "stream=codec_name"), c.codec);
    EXPECT_NEAR(std::atof(ProbeEntry(Doc("out.aifc"), "stream=duration").c_str()), 1.0, 0.01);
    EXPECT_EQ(sp_testing::ShownSoFar().size(), shown);
    EXPECT_EQ(log.Count(), 0u);
  }
}

// 8-bit samples asked for without compression are written as 8-bit signed samples at the
// working rate too, and sox reads back the source's samples: each 16-bit sample's high byte.
TEST_F(AiffCCompression, EightBitSamplesWithoutCompressionAreSavedAsEightBit) {
  if (!sp_testing::FfmpegAvailable() || !HaveTool("sox")) GTEST_SKIP() << "ffmpeg or sox is missing";
  std::vector<SInt16> samples;
  for (int i = 0; i < 2 * 22050; ++i) samples.push_back(SInt16(((i / 2) % 255 - 127) * 256));
  WriteAiff(Doc("src.aiff"), 2, samples);
  cSp_CDRProgramBaseObj* p = SaveProgram({"src.aiff"});
  for (const OSType compression : {SpFourCC("NONE"), SpFourCC("twos")}) {
    SCOPED_TRACE(compression == SpFourCC("NONE") ? "NONE" : "twos");
    ASSERT_TRUE(p->SaveTargetProgItemIntoAIFFC_File(-1, vRefNum_, dirID_, "out.aifc",
                                                    SpFourCC("TVOD"), kSpCDRISoundFileTypeAIFC,
                                                    compression, 0xAC440000, 8, 2, nullptr, 1.0f,
                                                    nullptr, 0));
    ASSERT_TRUE(Run(p, Road::kAIFFC));
    EXPECT_EQ(ProbeEntry(Doc("out.aifc"), "stream=codec_name"), "pcm_s8");
    EXPECT_EQ(ProbeEntry(Doc("out.aifc"), "stream=bits_per_sample"), "8");
    EXPECT_LT(ReadAll(Doc("out.aifc")).size(), samples.size() + 200) << "one byte a sample";
    const std::string raw =
        Tool({"sox", Doc("out.aifc"), "-t", "raw", "-e", "signed", "-b", "16", "-L", "-"});
    EXPECT_EQ(LittleEndianSamples(raw), samples);
  }
}

}  // namespace
}  // namespace engine_test
