// A save that cannot finish leaves the target folder as it was: the user's file of the name
// untouched, no temporary file, the end callback told that the save stopped, and the reason
// told to the user once. A completed save puts the file it replaces into the Trash.
#include <sys/mount.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "FileSizeLimit.h"
#include "PrivateMounts.h"
#include "SaveFixture.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestResponder.h"
#include "files/internal/FileLocations.h"

namespace engine_test {
namespace {

using sp_testing::Answer;

class SaveFailure : public SaveTest {
 protected:
  // A 30-second source (three save buffers) and the user's file of the target's name.
  cSp_CDRProgramBaseObj* LongSave() {
    EXPECT_TRUE(sp_testing::WriteTestAiff(Doc("long.aiff"), 2, 44100, 44100 * 30));
    cdtest::WriteFile(Doc("out.wav"), "the user's file");
    return SaveProgram({"long.aiff"});
  }
  void ExpectUntouched() {
    // Compared without printing: a save gone wrong leaves hundreds of megabytes there.
    const std::string now = ReadAll(Doc("out.wav"));
    EXPECT_TRUE(now == "the user's file")
        << now.size() << " bytes, starting \"" << now.substr(0, 32) << "\"";
    ExpectFolderHolds({"long.aiff", "out.wav"});
  }
  void StartAndWrite(cSp_CDRProgramBaseObj* p) { SaveTest::StartAndWrite(p, folder_); }
  bool Finish() {
    return bool(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
  }
  // The messages shown so far, in UTF-8.
  static std::string Shown() {
    std::string all;
    for (const sp_testing::Shown& s : sp_testing::ShownSoFar())
      all += sp::text::MacJapaneseToUTF8(s.message + " " + s.explanation) + "\n";
    return all;
  }
};

TEST_F(SaveFailure, AStopDeletesTheTemporaryFileAndLeavesTheTargetUntouched) {
  cSp_CDRProgramBaseObj* p = LongSave();
  StartAndWrite(p);
  EXPECT_EQ(ReadAll(Doc("mSpeadFileTmp")).size() > 44, true) << "written while running";
  p->StopSaveProgram();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  EXPECT_FALSE(p->IsSaveRunning());
  EXPECT_EQ(p->GetSaveBufferSet(), nullptr);
  ExpectUntouched();
}

// The user cancels from the progress window once a third of the source has been read.
void CancelAtAThird(cSp_CDRProgramItemObj*, SInt32 total, SInt32 done, unsigned long refCon) {
  if (done > total / 3) reinterpret_cast<cSp_CDRProgramBaseObj*>(refCon)->StopSaveProgram();
}

// Movies (plain and compressed) and AIFF-C files stopped in the middle of their save go the
// same way: the user's file stays, the half-written temporary file goes.
TEST_F(SaveFailure, AStoppedMovieOrAiffCSaveLeavesTheFolderAsItWas) {
  if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
  const struct {
    const char* name;
    tCDRISoundFileType type;
    OSType compression;
    Road road;
  } cases[] = {
      {"movie", kSpCDRISoundFileTypeMovieNoCompress, 0, Road::kMovie},
      {"AAC movie", kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), Road::kMovie},
      {"IMA 4:1 AIFF-C", kSpCDRISoundFileTypeAIFC, SpFourCC("ima4"), Road::kAIFFC},
  };
  cSp_CDRProgramBaseObj* p = LongSave();
  p->SetupSaveFileProgressCB(CancelAtAThird, reinterpret_cast<unsigned long>(p));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SaveEnds().clear();
    if (c.road == Road::kMovie) {
      ASSERT_TRUE(p->SaveTargetProgItemIntoQuickTimeFile(-1, &folder_, "out.wav", 1, c.type,
                                                         c.compression, 0xAC440000, 16, 2, nullptr,
                                                         1.0f, nullptr, 0));
    } else {
      ASSERT_TRUE(p->SaveTargetProgItemIntoAIFFC_File(
          -1, vRefNum_, dirID_, "out.wav", SpFourCC("TVOD"), c.type, c.compression, 0xAC440000, 16,
          2, nullptr, 1.0f, nullptr, 0));
    }
    ASSERT_TRUE(Run(p, c.road));
    EXPECT_EQ(SaveEnds().back().stopped, 1);
    EXPECT_FALSE(p->IsSaveRunning());
    ExpectUntouched();
  }
}

// A write that fails (the file may not grow) stops the save at once instead of retrying it
// for ever; the user is told the error the system gave (EFBIG: the disk is full).
TEST_F(SaveFailure, AFailedWriteStopsTheSaveAndIsTold) {
  cSp_CDRProgramBaseObj* p = LongSave();
  sp_testing::Respond(Answer::Return());
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "out.wav", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
  bool ended = false;
  {
    // Files may grow to 3 MB from here on: the second buffer cannot be written.
    FileSizeLimit limit(3u << 20);
    ASSERT_TRUE(limit.Ok());
    ended = Run(p, Road::kPlain);
  }
  ASSERT_TRUE(ended);
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  ExpectUntouched();
  EXPECT_NE(Shown().find("[Error No = -34]"), std::string::npos) << Shown();
}

// The sound is all written, but the tag chunk behind it is not: the save fails as a whole
// rather than leave a file without its tags, or with a chunk cut short.
TEST_F(SaveFailure, ATagChunkThatCannotBeWrittenFailsTheSave) {
  if (!HaveFFmpeg()) GTEST_SKIP() << "the ffmpeg tool is missing";
  ASSERT_TRUE(
      MakeTone(Doc("tagged.aiff"), "0.1", "-c:a pcm_s16be -write_id3v2 1 -metadata title=Tagged"));
  cdtest::WriteFile(Doc("out.aiff"), "the user's file");
  cSp_CDRProgramBaseObj* p = SaveProgram({"tagged.aiff"});
  sp_testing::Respond(Answer::Return());
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "out.aiff", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeAIFF, 1.0f, 0, nullptr, 0));
  bool ended = false;
  {
    // Room for the header and the 4,410 frames, and a few bytes more.
    FileSizeLimit limit(54 + 4410 * 4 + 6);
    ASSERT_TRUE(limit.Ok());
    ended = Run(p, Road::kPlain);
  }
  ASSERT_TRUE(ended);
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  EXPECT_TRUE(ReadAll(Doc("out.aiff")) == "the user's file") << "untouched";
  ExpectFolderHolds({"out.aiff", "tagged.aiff"});
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << Shown();
  EXPECT_NE(Shown().find("[Error No = -34]"), std::string::npos) << "the write's own error";
}

// A disk that fills up while the save runs (a small file system filled by another file).
TEST_F(SaveFailure, ADiskFillingUpStopsTheSaveAndLeavesTheFolderAsItWas) {
  if (!test_support::UsePrivateMounts()) GTEST_SKIP() << "this process may not mount";
  const std::string volume = home_.Path("vol");
  ASSERT_EQ(mkdir(volume.c_str(), 0700), 0);
  if (mount("tmpfs", volume.c_str(), "tmpfs", 0, "size=8m") != 0) GTEST_SKIP() << "no tmpfs";
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("long.aiff"), 2, 44100, 44100 * 30));
  cdtest::WriteFile(volume + "/out.wav", "the user's file");
  sp_platform::files::Location loc;
  ASSERT_EQ(sp_platform::files::LocatePath(volume, loc), noErr);
  FSRef folder{};
  sp_platform::files::MakeFSRef(loc, &folder);
  cSp_CDRProgramBaseObj* p = SaveProgram({"long.aiff"});
  sp_testing::Respond(Answer::Return());
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder, "out.wav", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0))
      << "5.3 MB fit when it starts";
  cdtest::WriteFile(volume + "/filler", std::string(5u << 20, 'x'));
  ASSERT_TRUE(Run(p, Road::kPlain));
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  EXPECT_EQ(ReadAll(volume + "/out.wav"), "the user's file");
  EXPECT_EQ(FolderNames(volume), (std::vector<std::string>{"filler", "out.wav"}));
  EXPECT_EQ(sp_testing::ShownSoFar().size(), 1u) << "told once";
  umount2(volume.c_str(), MNT_DETACH);
}

// Refused before anything is written: a target volume without room, a save too large for the
// files' 32-bit sizes, a source that is gone, too little memory for the save buffers.
TEST_F(SaveFailure, SavesThatCannotFitOrFindTheirSourceNeverStart) {
  cSp_CDRProgramBaseObj* p = LongSave();
  // Too large: a CD track of seven hours.
  const SInt32 lead = MakeDiscFolder("Long", {{"1 Long.aiff", 7u * 3600u * 75u}});
  (void)lead;
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  ASSERT_NE(cd, nullptr);
  cSp_CDRProgramBaseObj* huge = nullptr;
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &huge), 1);
  Prepare(huge);
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(huge, "out.wav", kSpCDRISoundFileTypeWAVE), -1);
  EXPECT_NE(Shown().find("4GB"), std::string::npos) << Shown();
  // The engine told why: the program adds no second message.
  EXPECT_EQ(huge->GetSaveTarget().failureTold, 1);
  // Gone: the source file was removed.
  ASSERT_EQ(std::rename(Doc("long.aiff").c_str(), home_.Path("elsewhere.aiff").c_str()), 0);
  sp_testing::Respond(Answer::Return());
  EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), -1);
  EXPECT_NE(Shown().find("元となるファイルが見つかりません。[long.aiff]"), std::string::npos);
  EXPECT_EQ(p->GetSaveTarget().failureTold, 1);
  ASSERT_EQ(std::rename(home_.Path("elsewhere.aiff").c_str(), Doc("long.aiff").c_str()), 0);
  ExpectUntouched();
  EXPECT_TRUE(SaveEnds().empty());

  // Memory for less than two seconds a buffer: the save starts, but its first step stops it.
  ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "out.wav", 1, SpFourCC("TVOD"),
                                    kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
  sp_testing::LimitAllocationSize(3u << 19);
  const bool ended = Run(p, Road::kPlain);
  sp_testing::LimitAllocationSize(0);
  ASSERT_TRUE(ended);
  EXPECT_EQ(SaveEnds().back().stopped, 1);
  EXPECT_EQ(p->GetLoadInfo().loadEnded, 1);
  ExpectUntouched();
}

// Movies have no 4 GB limit, but no save holds more than 2^31 - 1 frames at 44.1 kHz: a disc
// of one frame too many is refused with that limit in the message (not the 4 GB of plain
// files); one sector less starts.
TEST_F(SaveFailure, MoviesPastTheFrameLimitAreRefusedWithThatLimitAndAtItStart) {
  const SInt32 sectorsAtLimit = SInt32(kSpCDRMaxSaveFrames / 588);  // 2,147,483,604 frames
  const struct {
    SInt32 sectors;
    bool refused;
  } cases[] = {{sectorsAtLimit + 1, true}, {sectorsAtLimit, false}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sectors);
    const std::string name = "Long" + std::to_string(++n);
    MakeDiscFolder(name, {{"1 A.aiff", UInt32(c.sectors / 2)},
                          {"2 B.aiff", UInt32(c.sectors - c.sectors / 2)}});
    ASSERT_TRUE(Scan());
    cSp_CDRProgramBaseObj* disc = nullptr;
    ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(Sp_CDRomGetCDObjectByCounter(n - 1), 1, &disc), 1);
    Prepare(disc);
    if (c.refused) sp_testing::Respond(Answer::Return());
    const std::size_t shown = sp_testing::ShownSoFar().size();
    const Boolean started = disc->SaveTargetProgItemIntoQuickTimeFile(
        -1, &folder_, "long.mov", 1, kSpCDRISoundFileTypeMovie, SpFourCC("mp4a"), 0xAC440000, 16, 2,
        nullptr, 1.0f, nullptr, 0);
    EXPECT_EQ(started, !c.refused);
    if (c.refused) {
      EXPECT_NE(Shown().find("13時間31分"), std::string::npos) << Shown();
      EXPECT_EQ(Shown().find("4GB"), std::string::npos) << Shown();
      EXPECT_EQ(disc->GetSaveTarget().failureTold, 1);
    } else {
      EXPECT_EQ(sp_testing::ShownSoFar().size(), shown);
      disc->StopSaveProgram();
      ASSERT_TRUE(Run(disc, Road::kMovie));
    }
    EXPECT_EQ(FolderNames(home_.Path("Documents")).size(), 0u) << "nothing left in the folder";
  }
}

// A completed save replaces the user's file: the old one goes to the Trash (beside an item of
// its name there, which stays as it is), the new one takes its name.
TEST_F(SaveFailure, ACompletedSavePutsTheFileItReplacesIntoTheTrash) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("short.aiff"), 2, 44100, 1000));
  cdtest::WriteFile(Doc("out.wav"), "old version");
  const std::string trash = home_.Path(".local/share/Trash/files");
  ASSERT_EQ(
      std::system(
          ("mkdir -p '" + trash + "' '" + home_.Path(".local/share/Trash/info") + "'").c_str()),
      0);
  cdtest::WriteFile(trash + "/out.wav", "older version");
  cSp_CDRProgramBaseObj* p = SaveProgram({"short.aiff"});
  ASSERT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 0);
  EXPECT_EQ(ReadAll(Doc("out.wav")).size(), 44u + 4000u);
  EXPECT_EQ(ReadAll(trash + "/out.wav"), "older version");
  EXPECT_EQ(ReadAll(trash + "/out.wav 1"), "old version");
  ExpectFolderHolds({"out.wav", "short.aiff"});
}

}  // namespace
}  // namespace engine_test
