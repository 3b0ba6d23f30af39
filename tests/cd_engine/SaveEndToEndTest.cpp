// From a mounted disc and from sound files to saved files, judged by ffprobe, sox and mutagen:
// a track as WAVE, three tracks in one tagged AIFF, double speed, AIFF-C both ways, a file's
// Japanese tags kept, and a disc taken away in the middle of its save.
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "CDDBFixture.h"
#include "SaveFixture.h"
#include "SpTesting.h"
#include "TestResponder.h"

namespace engine_test {
namespace {

const UInt32 kFrames[] = {3 * 44100, 2 * 44100 + 588 * 3, 4 * 44100};

class SaveEndToEnd : public SaveTest {
 protected:
  void SetUp() override {
    SaveTest::SetUp();
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
  }
  // A disc folder of three tracks of the test ramp (of these lengths in frames), with its
  // titles in the title file.
  cSp_CDRomMediaDataObj* MountDisc(const UInt32* frames = kFrames) {
    EXPECT_EQ(mkdir(Media("Ramp").c_str(), 0700), 0);
    std::vector<cdtest::TocTrack> toc;
    SInt32 start = 150;
    const char* names[] = {"1 One.aiff", "2 Two.aiff", "3 Three.aiff"};
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(sp_testing::WriteTestAiff(Media("Ramp/") + names[i], 2, 44100, frames[i]));
      toc.push_back({i + 1, start});
      start += SInt32((frames[i] + 587) / 588);
    }
    cdtest::WriteFile(Media("Ramp/.TOC.plist"), cdtest::TocPlist({{1, 1, 3, start, 0x00, toc}}));
    cddb_test::Disc entry{3,
                          UInt8(start / 4500),
                          UInt8(start / 75 % 60),
                          UInt8(start % 75),
                          200,
                          {"Ramp Album", "First Ramp", "Second Ramp", "Third Ramp"}};
    cddb_test::WriteTitleFile(cddb_test::TitleFileOf({entry}));
    EXPECT_TRUE(sp_testing::PumpFor(6000000));
    return Sp_CDRomGetCDObjectByCounter(0);
  }
  cSp_CDRProgramBaseObj* DiscProgram(const UInt32* frames = kFrames) {
    cSp_CDRomMediaDataObj* cd = MountDisc(frames);
    EXPECT_NE(cd, nullptr);
    cSp_CDRProgramBaseObj* p = nullptr;
    EXPECT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &p), 1);
    if (p != nullptr) Prepare(p);
    return p;
  }
  // Starts saving the whole disc into "disc.wav" at normal speed, until its loading began.
  void StartDiscSave(cSp_CDRProgramBaseObj* p) {
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "disc.wav", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
  p->StartSaveAndPlayEventLoop();
  SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  ASSERT_TRUE(sp_testing::PumpUntil(
      [p] { return p->GetSaveBufferSet() != nullptr && p->GetLoadInfo().initialised; }));
  }
  std::string Track(int n) const {
    const char* names[] = {"1 One.aiff", "2 Two.aiff", "3 Three.aiff"};
    return ReadAll(Media("Ramp/") + names[n - 1]).substr(54);
  }
};

// The frame count of an AIFF-C file's COMM chunk (0 without one).
UInt32 CommFrames(const std::string& file) {
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const UInt32 size = sp::LoadBE32(file.data() + at + 4);
    if (file.compare(at, 4, "COMM") == 0 && at + 14 <= file.size())
      return sp::LoadBE32(file.data() + at + 10);
    at += 8 + size + (size & 1);
  }
  return 0;
}

std::string Swapped(std::string bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

TEST_F(SaveEndToEnd, TrackOneAsWaveIsTheTracksSamplesLittleEndian) {
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "one.wav", kSpCDRISoundFileTypeWAVE, 1.0f, 0, 1), 0);
  const std::string path = Doc("one.wav");
  EXPECT_EQ(ProbeEntry(path, "stream=codec_name"), "pcm_s16le");
  EXPECT_EQ(ProbeEntry(path, "stream=sample_rate"), "44100");
  EXPECT_EQ(ProbeEntry(path, "stream=channels"), "2");
  EXPECT_NEAR(std::atof(ProbeEntry(path, "stream=duration").c_str()), 3.0, 0.001);
  EXPECT_TRUE(ReadAll(path).substr(44) == Swapped(Track(1)));
}

// The whole disc into one AIFF: sox counts the three tracks' frames, mutagen reads the disc's
// titles from its ID3 chunk; a single track's file also carries its number and its own title.
TEST_F(SaveEndToEnd, ThreeTracksInOneAiffHaveTheSummedLengthAndTheDiscsTitles) {
  if (!HaveTool("soxi")) GTEST_SKIP() << "sox is missing";
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "disc.aiff", kSpCDRISoundFileTypeAIFF), 0);
  const std::string path = Doc("disc.aiff");
  EXPECT_EQ(Tool({"soxi", "-s", path}), std::to_string(kFrames[0] + kFrames[1] + kFrames[2]));
  const std::string file = ReadAll(path);
  EXPECT_TRUE(file.substr(54, Track(1).size()) == Track(1)) << "big-endian as the tracks";
  EXPECT_EQ(sp::LoadBE32(file.data() + 4), file.size() - 8) << "the tag chunk is in the FORM";
  EXPECT_NE(file.find("ID3 "), std::string::npos);
  const std::string tags = MutagenTags(path);
  EXPECT_NE(tags.find("TALB=Ramp Album"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TIT2=Ramp Album"), std::string::npos) << tags;

  ASSERT_EQ(SavePlain(p, "two.aiff", kSpCDRISoundFileTypeAIFF, 1.0f, 0, 2), 0);
  const std::string one = MutagenTags(Doc("two.aiff"));
  EXPECT_NE(one.find("TIT2=Second Ramp"), std::string::npos) << one;
  EXPECT_NE(one.find("TALB=Ramp Album"), std::string::npos) << one;
  EXPECT_NE(one.find("TRCK=2/3"), std::string::npos) << one;
  EXPECT_EQ(Tool({"soxi", "-s", Doc("two.aiff")}), std::to_string(kFrames[1]));
}

TEST_F(SaveEndToEnd, DoubleSpeedGivesHalfTheLength) {
  if (!HaveTool("soxi")) GTEST_SKIP() << "sox is missing";
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "fast.aiff", kSpCDRISoundFileTypeAIFF, 2.0f), 0);
  const double seconds = std::atof(Tool({"soxi", "-D", Doc("fast.aiff")}).c_str());
  const double source = double(kFrames[0] + kFrames[1] + kFrames[2]) / 44100.0;
  EXPECT_NEAR(seconds, source * 2054.0 / 4116.0, 0.2);
}

// Japanese ID3 v2.4 tags of an MP3 come through to the AIFF's tag chunk.
TEST_F(SaveEndToEnd, AnMP3sJapaneseTitleIsKeptInTheAiff) {
  ASSERT_TRUE(sp_testing::RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac",
                                     "2", "-c:a", "libmp3lame", "-id3v2_version", "4", "-metadata",
                                     "title=春の海", "-metadata", "artist=宮城", Doc("song.mp3")},
                                    Doc("song.mp3")));
  cSp_CDRProgramBaseObj* p = SaveProgram({"song.mp3"});
  ASSERT_EQ(SavePlain(p, "song.aiff", kSpCDRISoundFileTypeAIFF), 0);
  const std::string tags = MutagenTags(Doc("song.aiff"));
  EXPECT_NE(tags.find("TIT2=春の海"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TPE1=宮城"), std::string::npos) << tags;
  EXPECT_NEAR(std::atof(ProbeEntry(Doc("song.aiff"), "stream=duration").c_str()), 2.0, 0.05);
}

// AIFF-C both ways: the working format under an AIFF-C header ('NONE'), and the AIFF-C
// writer compressing into IMA 4:1 through the temporary file, replacing the old file only at
// its end.
TEST_F(SaveEndToEnd, AiffCFilesAreReadableEitherWay) {
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(SavePlain(p, "plain.aifc", kSpCDRISoundFileTypeAIFC, 1.0f, 0, 1), 0);
  EXPECT_EQ(ProbeEntry(Doc("plain.aifc"), "stream=codec_name"), "pcm_s16be");
  std::string decoded;
  ASSERT_TRUE(sp_testing::DecodeWithFfmpeg(Doc("plain.aifc"), decoded));
  EXPECT_TRUE(decoded == Track(1));
  EXPECT_NE(MutagenTags(Doc("plain.aifc")).find("TIT2=First Ramp"), std::string::npos);

  const struct {
    OSType compression;
    const char* codec;
    UInt32 framesPerCount;  // what one frame of the COMM chunk stands for (a packet of IMA)
  } cases[] = {
      {SpFourCC("ima4"), "adpcm_ima_qt", 64},
      {SpFourCC("ulaw"), "pcm_mulaw", 1},
      {SpFourCC("NONE"), "pcm_s16be", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codec);
    cdtest::WriteFile(Doc("out.aifc"), "the user's file");
    ASSERT_TRUE(p->SaveTargetProgItemIntoAIFFC_File(
        -1, vRefNum_, dirID_, "out.aifc", SpFourCC("TVOD"), kSpCDRISoundFileTypeAIFC, c.compression,
        0xAC440000, 16, 2, nullptr, 1.0f, nullptr, 0));
    EXPECT_EQ(ReadAll(Doc("out.aifc")), "the user's file") << "untouched while it runs";
    ASSERT_TRUE(Run(p, Road::kAIFFC));
    EXPECT_EQ(SaveEnds().back().stopped, 0);
    EXPECT_EQ(ProbeEntry(Doc("out.aifc"), "stream=codec_name"), c.codec);
    const double seconds = std::atof(ProbeEntry(Doc("out.aifc"), "stream=duration").c_str());
    EXPECT_NEAR(seconds, double(kFrames[0] + kFrames[1] + kFrames[2]) / 44100.0, 0.01);
    // The header counts every frame of the sound data, the compressor's last packet too.
    std::string decoded;
    ASSERT_TRUE(sp_testing::DecodeWithFfmpeg(Doc("out.aifc"), decoded));
    EXPECT_EQ(CommFrames(ReadAll(Doc("out.aifc"))) * c.framesPerCount, decoded.size() / 4);
    EXPECT_GE(decoded.size() / 4, kFrames[0] + kFrames[1] + kFrames[2]);
    EXPECT_EQ(
        Tool({"ffmpeg", "-nostdin", "-v", "error", "-i", Doc("out.aifc"), "-f", "null", "-"}, true),
        "");
    ExpectFolderHolds({"out.aifc", "plain.aifc"});
    EXPECT_NE(MutagenTags(Doc("out.aifc")).find("TALB=Ramp Album"), std::string::npos);
  }
}

// How far the file's blocks on the disk reach, rounded up to whole blocks: past its size
// when space set aside for it was left over. -1 when the file system cannot tell.
SInt64 AllocatedEnd(const std::string& path, SInt64* roundedSize) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  struct stat st {};
  fstat(fd, &st);
  const SInt64 block = std::max<SInt64>(st.st_blksize, 512);
  *roundedSize = (SInt64(st.st_size) + block - 1) / block * block;
  constexpr unsigned kMost = 512;
  std::vector<char> bytes(sizeof(fiemap) + kMost * sizeof(fiemap_extent));
  auto* map = reinterpret_cast<fiemap*>(bytes.data());
  map->fm_length = FIEMAP_MAX_OFFSET;
  map->fm_flags = FIEMAP_FLAG_SYNC;
  map->fm_extent_count = kMost;
  SInt64 end = -1;
  if (ioctl(fd, FS_IOC_FIEMAP, map) == 0) {
    end = 0;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i)
      end = std::max<SInt64>(end,
                             SInt64(map->fm_extents[i].fe_logical + map->fm_extents[i].fe_length));
  }
  close(fd);
  return end;
}

// The end of the file's blocks is at most its size in whole blocks.
void ExpectNothingHeldPastTheEnd(const std::string& path) {
  SInt64 rounded = 0;
  const SInt64 end = AllocatedEnd(path, &rounded);
  if (end >= 0) {
    EXPECT_LE(end, rounded) << path;
  }
}

// Whether the volume of the folder can set space aside for a file.
bool CanSetSpaceAside(const std::string& folder) {
  const std::string probe = folder + "/space-probe";
  const int fd = open(probe.c_str(), O_RDWR | O_CREAT, 0600);
  const bool can = fd >= 0 && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, 1 << 20) == 0;
  if (fd >= 0) close(fd);
  unlink(probe.c_str());
  return can;
}

UInt64 FileBlocks(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? UInt64(st.st_blocks) * 512u : 0;
}

// The space of CD tracks is set aside when their save starts, yet never more than the save
// writes: tracks that end a frame into their last sector leave no block held past the end of
// the file, at normal speed as at double speed (which sets nothing aside).
TEST_F(SaveEndToEnd, SpaceSetAsideForCDTracksNeverOutlastsTheFile) {
  const UInt32 frames[] = {588 * 200 + 1, 588 * 150 + 1, 588 * 250 + 1};
  cSp_CDRProgramBaseObj* p = DiscProgram(frames);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "disc.wav", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
  const UInt64 setAside = FileBlocks(Doc(p->GetSaveTarget().tempName));
  ASSERT_TRUE(Run(p, Road::kPlain));
  ASSERT_EQ(SaveEnds().back().stopped, 0);
  const UInt64 sound = UInt64(frames[0] + frames[1] + frames[2]) * 4;
  // Where the volume can set space aside, the file held every track's whole sectors at once.
  if (CanSetSpaceAside(home_.Path("Documents"))) {
    EXPECT_GE(setAside, (200u + 150u + 250u) * 2352u);
  }
  const std::string wave = ReadAll(Doc("disc.wav"));
  ASSERT_EQ(wave.size(), 44 + sound);
  EXPECT_TRUE(wave.substr(44) == Swapped(Track(1) + Track(2) + Track(3)));
  ExpectNothingHeldPastTheEnd(Doc("disc.wav"));

  ASSERT_EQ(SavePlain(p, "fast.aiff", kSpCDRISoundFileTypeAIFF, 2.0f), 0);
  ExpectNothingHeldPastTheEnd(Doc("fast.aiff"));
}

// The disc goes while its tracks are saved: the save stops through its end callback, its
// temporary file goes, and nothing of the program points at the disc any more.
TEST_F(SaveEndToEnd, ADiscTakenAwayWhileSavingStopsTheSaveCleanly) {
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  cdtest::WriteFile(Doc("disc.wav"), "the user's file");
  ASSERT_NO_FATAL_FAILURE(StartDiscSave(p));
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseStart();
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
  ASSERT_EQ(std::rename(Media("Ramp").c_str(), home_.Path("Ramp").c_str()), 0);
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd();
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  EXPECT_FALSE(p->IsSaveRunning());
  EXPECT_EQ(ReadAll(Doc("disc.wav")), "the user's file");
  ExpectFolderHolds({"disc.wav"});
  for (cSp_CDRProgramItemObj* item = p->GetFirstProgramItem(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    EXPECT_EQ(item->GetCDMedia(), nullptr);
    EXPECT_EQ(item->GetCDGoneFlag(), 1);
  }
  EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
}

// A question asked while the disc is saved pauses the save: the loop meanwhile turns on the
// CD poll's beat, not on every pass, and once the pause ends the file is saved whole.
TEST_F(SaveEndToEnd, APausedSaveLeavesTheLoopWaitingAndThenEndsWhole) {
  cSp_CDRProgramBaseObj* p = DiscProgram();
  ASSERT_NE(p, nullptr);
  ASSERT_NO_FATAL_FAILURE(StartDiscSave(p));
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
  const sp_testing::PumpResult paused = sp_testing::PumpFor(10000000);
  // Ten seconds: two turns a second for the poll and two for the paused save, and a few more.
  EXPECT_LE(paused.passes, 60u);
  EXPECT_TRUE(SaveEnds().empty());
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  EXPECT_EQ(SaveEnds().back().stopped, 0);
  EXPECT_TRUE(ReadAll(Doc("disc.wav")).substr(44) == Swapped(Track(1) + Track(2) + Track(3)));
}

}  // namespace
}  // namespace engine_test
