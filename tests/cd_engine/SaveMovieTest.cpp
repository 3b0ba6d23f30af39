// Saving into QuickTime movies, judged by ffprobe, ffmpeg, exiftool and mutagen: uncompressed
// and AAC movies with the source's samples or sound, its length and its title, and an encoder
// that refuses the data failing the save instead of leaving a short movie.
#include <cmath>

#include "QuickTimeComponents.h"
#include "SaveFixture.h"
#include "SpTesting.h"
#include "TestResponder.h"
#include "quicktime/internal/SoundSettingsDialog.h"

namespace engine_test {
namespace {

class MovieSave : public SaveTest {
 protected:
  void SetUp() override {
    SaveTest::SetUp();
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
  }
  // A tagged AIFF tone (ID3 chunk), made by ffmpeg.
  void MakeTaggedTone(const std::string& name, const std::string& seconds, int channels = 2) {
    ASSERT_TRUE(sp_testing::RunFfmpeg(
        {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + seconds, "-ac",
         std::to_string(channels), "-c:a", "pcm_s16be", "-write_id3v2", "1", "-metadata",
         "title=Saved Tone", "-metadata", "album=Test Album", Doc(name)},
        Doc(name)));
  }
  static double Seconds(const std::string& path) {
    return std::atof(ProbeEntry(path, "stream=duration").c_str());
  }
  // The first audio stream has this codec, 44.1 kHz and two channels.
  static void ExpectStream(const std::string& path, const std::string& codec) {
    EXPECT_EQ(ProbeEntry(path, "stream=codec_name"), codec);
    EXPECT_EQ(ProbeEntry(path, "stream=sample_rate"), "44100");
    EXPECT_EQ(ProbeEntry(path, "stream=channels"), "2");
  }
  static std::string DecodeComplaints(const std::string& path) {
    return Tool({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"}, true);
  }
};

// An uncompressed movie holds the source's samples exactly; its title shows in exiftool and
// mutagen.
TEST_F(MovieSave, AnUncompressedMovieHoldsTheSamplesAndTheTitle) {
  MakeTaggedTone("tone.aiff", "3");
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  ASSERT_EQ(SaveMovie(p, "out.mov", kSpCDRISoundFileTypeMovieNoCompress, 0), 0);
  const std::string path = Doc("out.mov");
  ExpectStream(path, "pcm_s16be");
  EXPECT_NEAR(Seconds(path), 3.0, 0.05);
  EXPECT_EQ(DecodeComplaints(path), "");
  std::string decoded, source;
  ASSERT_TRUE(sp_testing::DecodeWithFfmpeg(path, decoded));
  ASSERT_TRUE(sp_testing::DecodeWithFfmpeg(Doc("tone.aiff"), source));
  EXPECT_TRUE(decoded == source) << decoded.size() << " " << source.size();
  if (HaveTool("exiftool")) {
    EXPECT_EQ(Tool({"exiftool", "-s3", "-Title", path}), "Saved Tone");
  }
  EXPECT_NE(MutagenTags(path).find("©nam=Saved Tone"), std::string::npos) << MutagenTags(path);
  ExpectFolderHolds({"out.mov", "tone.aiff"});
}

// An AAC movie: the codec, rate, channels and length of the source, decoding without a word,
// its title, and the requirements item AAC movies carry.
TEST_F(MovieSave, AnAACMovieHasTheSourcesLengthAndTitleAndDecodesCleanly) {
  MakeTaggedTone("tone.aiff", "5");
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  ASSERT_EQ(SaveMovie(p, "out.mov", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a")), 0);
  const std::string path = Doc("out.mov");
  ExpectStream(path, "aac");
  EXPECT_NEAR(Seconds(path), 5.0, 0.05);
  EXPECT_EQ(DecodeComplaints(path), "");
  if (HaveTool("exiftool")) {
    EXPECT_EQ(Tool({"exiftool", "-s3", "-Title", path}), "Saved Tone");
  }
  const std::string tags = MutagenTags(path);
  EXPECT_NE(tags.find("©nam=Saved Tone"), std::string::npos) << tags;
  EXPECT_NE(tags.find("©alb=Test Album"), std::string::npos) << tags;
  EXPECT_NE(ReadAll(path).find("QuickTime 6.0 or greater"), std::string::npos);
}

// A mono source saved with two channels keeps its mono loading; the converter makes the
// movie stereo. At double speed the movie is half as long.
TEST_F(MovieSave, AMonoSourceBecomesStereoAndDoubleSpeedHalvesTheLength) {
  MakeTaggedTone("mono.aiff", "4", 1);
  cSp_CDRProgramBaseObj* p = SaveProgram({"mono.aiff"});
  ASSERT_EQ(SaveMovie(p, "stereo.mov", kSpCDRISoundFileTypeMovieNoCompress, 0, 2), 0);
  EXPECT_EQ(p->GetLoadChannelCount(), 1);
  EXPECT_EQ(ProbeEntry(Doc("stereo.mov"), "stream=channels"), "2");
  EXPECT_NEAR(Seconds(Doc("stereo.mov")), 4.0, 0.05);
  ASSERT_EQ(SaveMovie(p, "fast.mov", kSpCDRISoundFileTypeMovieNoCompress, 0, 1, 2.0f), 0);
  EXPECT_EQ(ProbeEntry(Doc("fast.mov"), "stream=channels"), "1");
  EXPECT_NEAR(Seconds(Doc("fast.mov")), 4.0 * 2054.0 / 4116.0, 0.1);
}

// The settings chosen in the standard compression dialog reach the encoder.
TEST_F(MovieSave, TheCompressionDialogsSettingsMakeTheMovie) {
  MakeTaggedTone("tone.aiff", "4");
  ComponentInstance ci =
      OpenDefaultComponent(StandardCompressionType, StandardCompressionSubTypeSound);
  ASSERT_NE(ci, nullptr);
  OSType type = SpFourCC("mp4a");
  SCSetInfo(ci, scSoundCompressionType, &type);
  sp_testing::Respond(sp_testing::Answer()
                          .SetEditText(sp_platform::quicktime::kSoundSettingsBitRate, "64")
                          .ClickItem(sp_platform::quicktime::kSoundSettingsOK));
  ASSERT_EQ(SCRequestImageSettings(ci), noErr);
  Handle settings = nullptr;
  ASSERT_EQ(SCGetInfo(ci, scCodecSettingsType, &settings), noErr);
  CloseComponent(ci);
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  ASSERT_EQ(SaveMovie(p, "out.mov", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), 2, 1.0f, settings),
            0);
  EXPECT_NE(settings, nullptr) << "the caller's handle stays the caller's";
  DisposeHandle(settings);
  const double rate = std::atof(ProbeEntry(Doc("out.mov"), "stream=bit_rate").c_str());
  EXPECT_NEAR(rate, 64000.0, 12000.0);
}

// An encoder that refuses the data (variable packets the converter may not give) fails the
// save: no movie is left, the user's file stays, and the end says stopped.
TEST_F(MovieSave, AnEncoderThatRefusesTheDataFailsTheSave) {
  MakeTaggedTone("tone.aiff", "2");
  cdtest::WriteFile(Doc("out.mov"), "the user's file");
  sp_testing::SetGestalt(SpFourCC("qtim"), 0x05008000);  // QuickTime 5: no variable packets
  sp_testing::Respond(sp_testing::Answer::Return());
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  const int stopped = SaveMovie(p, "out.mov", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"));
  sp_testing::ResetGestalt();
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(ReadAll(Doc("out.mov")), "the user's file");
  ExpectFolderHolds({"out.mov", "tone.aiff"});
}

// One program saves file after file, movies and AIFF-C files in turn, each with its own
// compression: every file has its own codec and configuration, nothing of the save before
// it, and decodes cleanly.
TEST_F(MovieSave, EachSaveOfOneProgramHasItsOwnCompression) {
  MakeTaggedTone("tone.aiff", "2");
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  const struct {
    tCDRISoundFileType type;
    OSType compression;
    const char* codec;
  } saves[] = {
      {kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), "aac"},
      {kSpCDRISoundFileTypeAIFC, SpFourCC("ima4"), "adpcm_ima_qt"},
      {kSpCDRISoundFileTypeMovie, SpFourCC("alac"), "alac"},
      {kSpCDRISoundFileTypeAIFC, SpFourCC("NONE"), "pcm_s16be"},
      {kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), "aac"},
      {kSpCDRISoundFileTypeMovieNoCompress, 0, "pcm_s16be"},
  };
  int n = 0;
  for (const auto& s : saves) {
    const bool aiffc = s.type == kSpCDRISoundFileTypeAIFC;
    const std::string name = "out" + std::to_string(++n) + (aiffc ? ".aifc" : ".mov");
    SCOPED_TRACE(name + " " + s.codec);
    if (aiffc) {
      ASSERT_TRUE(p->SaveTargetProgItemIntoAIFFC_File(-1, vRefNum_, dirID_, name.c_str(),
                                                      SpFourCC("TVOD"), s.type, s.compression,
                                                      0xAC440000, 16, 2, nullptr, 1.0f, nullptr, 0));
      ASSERT_TRUE(Run(p, Road::kAIFFC));
      ASSERT_EQ(SaveEnds().back().stopped, 0);
    } else {
      ASSERT_EQ(SaveMovie(p, name, s.type, s.compression), 0);
    }
    ExpectStream(Doc(name), s.codec);
    EXPECT_NEAR(Seconds(Doc(name)), 2.0, 0.05);
    EXPECT_EQ(DecodeComplaints(Doc(name)), "");
  }
}

}  // namespace
}  // namespace engine_test
