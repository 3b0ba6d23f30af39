// The loader of a save: sources of every kind read through the Sound Converter into the
// working format (16-bit big-endian, 44,100 Hz, one or two channels), item after item.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "LoaderFixture.h"
#include "SpCDRFileSaveinitData.h"
#include "SpCDR_FileMediaObject.h"
#include "SpTextCodec.h"
#include "TestResources.h"
#include "TestResponder.h"

namespace engine_test {
namespace {

struct Report {
  cSp_CDRProgramItemObj* item;
  SInt32 total, done;
};
std::vector<Report> reports_;
void RecordProgress(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done, unsigned long) {
  reports_.push_back({item, total, done});
}

// The working format's source is copied, not converted: byte for byte what the file holds.
TEST_F(LoaderTest, WorkingFormatSourcesAreCopiedByteForByte) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("ramp.aif"), 2, 44100, 100000));
  cSp_CDRProgramBaseObj* program = FileProgram({"ramp.aif"});
  StartSave(program, 2);
  const LoadedRun run = LoadAll(program);
  EXPECT_EQ(program->GetLoadInfo().convert, 0);
  ASSERT_EQ(run.items.size(), 1u);
  const std::string& bytes = run.items[0];
  ASSERT_EQ(bytes.size(), 400000u);
  for (UInt32 f = 0; f < 100000; f += 997) {
    for (UInt16 c = 0; c < 2; ++c) {
      EXPECT_EQ(Samples(bytes.substr(f * 4 + c * 2, 2))[0], sp_testing::TestSampleValue(f, c))
          << "frame " << f;
    }
  }
}

// Channels and rates: a mono file saved as stereo, six channels saved without a count, a
// rate of 22,050 Hz, a 96 kHz file whose rate no 16.16 field holds, and an AIFF cut short,
// each to the length in time it has.
TEST_F(LoaderTest, SourcesBecomeTheWorkingFormatWithTheirLengthInTime) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("mono.aif"), 1, 44100, 44100));
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Doc("six.wav"), "pcm_s16le", 44100, 6, 1.0));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("half.aif"), 2, 22050, 22050));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("high.aif"), 2, 96000, 96000));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("cut.aif"), 2, 44100, 3 * 44100));
  ASSERT_EQ(0, truncate(Doc("cut.aif").c_str(), 54 + 66150 * 4));
  const struct {
    const char* name;
    short channels;
    UInt32 frames;  // at 44.1 kHz
    UInt32 tolerance;
  } cases[] = {
      {"mono.aif", 2, 44100, 0}, {"six.wav", 0, 44100, 0}, {"half.aif", 2, 44100, 2},
      {"high.aif", 2, 44100, 2}, {"cut.aif", 2, 66150, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cSp_CDRProgramBaseObj* program = FileProgram({c.name});
    StartSave(program, c.channels);
    const LoadedRun run = LoadAll(program);
    ASSERT_FALSE(run.loadError || run.refused);
    ASSERT_EQ(run.items.size(), 1u);
    EXPECT_EQ(program->GetLoadInfo().output.numChannels, 2);
    EXPECT_NEAR(double(run.items[0].size() / 4), double(c.frames), double(c.tolerance));
    if (std::string(c.name) == "mono.aif") {
      const std::vector<SInt16> s = Samples(run.items[0]);
      EXPECT_TRUE(s[2000] == s[2001] && s[2000] == sp_testing::TestSampleValue(1000, 0))
          << "the one channel on both sides";
    }
    manager_->DisposeProgramBase(program);
  }
}

// Compressed files decode to the length ffprobe presents (within one packet): the encoder's
// delay and padding are left out.
TEST_F(LoaderTest, CompressedFilesDecodeToTheLengthFfprobeReports) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  const struct {
    const char* name;
    const char* codec;
    UInt32 packet;  // frames of one packet
  } cases[] = {
      {"a.mp3", "libmp3lame", 1152}, {"a.m4a", "aac", 1024},       {"b.m4a", "alac", 4096},
      {"a.flac", "flac", 4608},      {"a.ogg", "libvorbis", 1024},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Doc(c.name), c.codec, 44100, 2, 3.0));
    sp_testing::ProbedStream probe;
    ASSERT_TRUE(sp_testing::ProbeAudioStream(Doc(c.name), probe));
    cSp_CDRProgramBaseObj* program = FileProgram({c.name});
    StartSave(program, 2);
    const LoadedRun run = LoadAll(program);
    ASSERT_FALSE(run.loadError || run.refused);
    EXPECT_EQ(program->GetLoadInfo().vbr, 1);
    ASSERT_EQ(run.items.size(), 1u);
    const double frames = double(run.items[0].size() / 4);
    EXPECT_NEAR(frames, (probe.duration - probe.startTime) * 44100.0, double(c.packet));
    EXPECT_NEAR(frames, 3.0 * 44100.0, 1.0) << "the tone's own length";
    // The same samples as ffmpeg decodes (it keeps an AAC file's padding at the end): equal
    // to the step of rounding.
    std::string theirs;
    ASSERT_TRUE(sp_testing::DecodeWithFfmpeg(Doc(c.name), theirs));
    const std::vector<SInt16> ours = Samples(run.items[0]);
    const std::vector<SInt16> reference = Samples(theirs);
    ASSERT_LE(ours.size(), reference.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
      worst = std::max(worst, std::abs(ours[i] - reference[i]));
    EXPECT_LE(worst, 1);
    SInt16 peak = 0;
    for (std::size_t i = 44100; i < 48100; ++i) peak = std::max(peak, ours[i]);
    EXPECT_GT(peak, 2000) << "the tone, not silence";
    manager_->DisposeProgramBase(program);
  }
}

// A program of several files loads them one after another, each whole, and its progress comes
// at most once a second and once more at the end of each item.
TEST_F(LoaderTest, ItemsFollowEachOtherAndProgressIsThrottledWithAFinalReport) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("one.aif"), 2, 44100, 50000));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("two.aif"), 1, 22050, 30000));
  cSp_CDRProgramBaseObj* program = FileProgram({"one.aif", "two.aif"});
  reports_.clear();
  StartSave(program, 2);
  program->GetLoadInfo().progressProc = RecordProgress;
  const LoadedRun run = LoadAll(program);
  ASSERT_EQ(run.items.size(), 2u);
  EXPECT_EQ(run.items[0].size(), 50000u * 4);
  EXPECT_NEAR(double(run.items[1].size() / 4), 60000.0, 2.0);
  // The clock stood still: per item the start and the end, nothing in between, nothing again.
  using R = std::vector<std::pair<SInt32, SInt32>>;
  R seen;
  for (const Report& r : reports_) seen.emplace_back(r.total, r.done);
  EXPECT_EQ(seen, (R{{50000, 0}, {50000, 50000}, {30000, 0}, {30000, 30000}}));
  ASSERT_EQ(reports_.size(), 4u);
  EXPECT_TRUE(reports_[1].item == program->GetProgramItem(1) &&
              reports_[3].item == program->GetProgramItem(2));

  // On a moving clock, one report a second (60 ticks) while groups come, and the last.
  manager_->DisposeProgramBase(program);
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("long.aif"), 2, 44100, 88200));
  cSp_CDRProgramBaseObj* longer = FileProgram({"long.aif"});
  reports_.clear();
  StartSave(longer, 2);
  sSp_CDRQTFileLoadInfoObj& info = longer->GetLoadInfo();
  ASSERT_TRUE(longer->InitLoadQTFileSoundDataInfo(nullptr));
  info.progressProc = RecordProgress;
  info.sampleHandleSize = 4000;  // groups of 1,000 frames
  for (int group = 0; group < 1000 && !info.mediaEnd; ++group) {
    ASSERT_EQ(SpCDR_LoadMediaSampleFromQTFile(&info), 1);
    sp_testing::AdvanceClockTicks(1);
  }
  seen.clear();
  for (const Report& r : reports_) seen.emplace_back(r.total, r.done);
  EXPECT_EQ(seen, (R{{88200, 1000}, {88200, 61000}, {88200, 88200}}));
}

// A file moved since it was added is found by its file id, and the item follows it.
TEST_F(LoaderTest, AMovedSourceIsFoundByItsFileId) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("before.aif"), 2, 44100, 1000));
  cSp_CDRProgramBaseObj* program = FileProgram({"before.aif"});
  ASSERT_NE(program->GetFirstProgramItem()->GetFileID(), 0);
  ASSERT_EQ(std::rename(Doc("before.aif").c_str(), Doc("after.aif").c_str()), 0);
  StartSave(program, 2);
  ErrorLogCapture log;
  const LoadedRun run = LoadAll(program);
  ASSERT_EQ(run.items.size(), 1u);
  EXPECT_EQ(run.items[0].size(), 4000u);
  EXPECT_STREQ(program->GetFirstProgramItem()->GetFileName(), "after.aif");
  EXPECT_TRUE(log.Records().empty());
}

// A protected file shows its alert and nothing else; a missing or unreadable one its alert
// and one record; none of them starts loading. A Vorbis file whose setup header is damaged
// where only its decoder looks (a codebook's sync pattern) is described from its headers, and
// still cannot be read.
TEST_F(LoaderTest, ProtectedMissingAndUnreadableFilesGiveTheirAlertOnly) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  MakeProtectedM4a("locked.m4a");
  cdtest::WriteFile(Doc("noise.aif"), std::string(5000, 'x'));
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Doc("broken.ogg"), "libvorbis", 44100, 2, 1.0));
  ASSERT_TRUE(PatchDoc("broken.ogg", "\x05vorbis", "BCV", "XXX"));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("gone.aif"), 2, 44100, 10));
  const struct {
    const char* name;
    const char* alert;
    std::size_t records;
    unsigned char isProtected;
  } cases[] = {
      {"locked.m4a", "著作権保護機能により保護されているファイルのため再生することができません。",
       0, 1},
      {"noise.aif", "実行初期化段階でファイル再生時間の取得に失敗しました。", 1, 0},
      {"broken.ogg", "実行初期化段階でファイル再生時間の取得に失敗しました。", 1, 0},
      {"gone.aif", "元となるファイルが見つかりませんでした。", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cSp_CDRProgramBaseObj* program = FileProgram({c.name}, false);
    if (std::string(c.name) == "gone.aif") std::remove(Doc(c.name).c_str());
    StartSave(program, 2);
    const std::size_t shown = sp_testing::ShownSoFar().size();
    sp_testing::Respond(sp_testing::Answer::Return());
    ErrorLogCapture log;
    unsigned char isProtected = 9;
    EXPECT_FALSE(program->InitLoadQTFileSoundDataInfo(&isProtected));
    EXPECT_EQ(isProtected, c.isProtected);
    EXPECT_EQ(log.Records().size(), c.records);
    ASSERT_EQ(sp_testing::ShownSoFar().size(), shown + 1) << "one alert";
    EXPECT_NE(sp::text::MacJapaneseToUTF8(sp_testing::ShownSoFar().back().message).find(c.alert),
              std::string::npos);
    manager_->DisposeProgramBase(program);
  }
}

// The level stored for a file (its start data) and the program's amplification scale the
// saved samples; at 100 % nothing changes.
TEST_F(LoaderTest, TheStoredLevelAndAmplificationScaleTheSavedSamples) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("loud.aif"), 2, 44100, 2000));
  const struct {
    UInt32 volume;
    short amplification;
    double gain;
  } cases[] = {{100, 100, 1.0}, {50, 100, 0.5}, {80, 50, 0.4}};
  for (const auto& c : cases) {
    cSp_CDRProgramBaseObj* program = FileProgram({"loud.aif"});
    cSp_QTFileDataObj* file = program->GetFirstProgramItem()->GetQTFileMedia();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->SetupSoundSampleDataInfo(1, nullptr));
    ASSERT_NE(file->GetStartData(), nullptr);
    file->GetStartData()->SetupVolumeLevel(c.volume);
    program->SetSoundAmp(c.amplification);
    StartSave(program, 2);
    const std::vector<SInt16> s = Samples(LoadAll(program).items[0]);
    ASSERT_EQ(s.size(), 4000u);
    for (UInt32 i : {3u, 999u, 3001u}) {
      EXPECT_EQ(s[i],
                SInt16(float(sp_testing::TestSampleValue(i / 2, UInt16(i % 2))) * float(c.gain)))
          << c.volume << " " << c.amplification;
    }
    manager_->DisposeProgramBase(program);
  }
}

// Converting block by block cannot take packets of varying size: the converter refuses.
TEST_F(LoaderTest, BlockConversionOfVaryingPacketsIsRefused) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Doc("a.mp3"), "libmp3lame", 44100, 2, 0.5));
  cSp_CDRProgramBaseObj* program = FileProgram({"a.mp3"});
  StartSave(program, 2);
  ASSERT_TRUE(program->InitLoadQTFileSoundDataInfo(nullptr));
  EXPECT_FALSE(program->LoadQTFileSoundDataOnForwardForSaveDataInFile());
  EXPECT_EQ(program->GetLoadInfo().converterRefused, 1);
}

}  // namespace
}  // namespace engine_test
