// The CD-ROM manager: its buffer set, its programs, the CD poll on the virtual clock, ejects,
// and a CD that goes away while a program holds it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "ErrorLogCapture.h"
#include "SpTesting.h"

namespace {

using engine_test::EngineTest;

int gCDChanges = 0;
void CountCDChange(unsigned long refCon) {
  EXPECT_EQ(refCon, 5u);
  ++gCDChanges;
}

struct SaveEnd {
  cSp_CDRProgramBaseObj* program;
  unsigned char stopped;
};
std::vector<SaveEnd> gSaveEnds;
void RecordSaveEnd(cSp_CDRProgramBaseObj* program, unsigned char stopped, unsigned long) {
  gSaveEnds.push_back({program, stopped});
}

class CDRomManager : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    gCDChanges = 0;
    gSaveEnds.clear();
  }
  cSp_CDRomManager* Start() {
    cSp_CDRomManager* manager = Sp_InitialCDRom(1, 1, 0);
    if (manager != nullptr) manager->SetupModCDSetupCB(CountCDChange, 5);
    return manager;
  }
  // The poll on the clock until it has scanned past its start-up wait.
  void Poll(double seconds = 6.0) { sp_testing::PumpFor(SInt64(seconds * 1e6)); }
};

TEST_F(CDRomManager, MakesOneBufferSetOfZeroFilledBuffersReadyForASoundChannel) {
  cSp_CDRomManager* manager = Start();
  ASSERT_NE(manager, nullptr);
  sSpPlayBackBufferSetBase* set = manager->GetAllBufferSets();
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->aNext, nullptr) << "one set";
  EXPECT_EQ(set->freeBufferCount, 128);
  UInt32 count = 0;
  static const UInt8 k44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  for (sSpPlayBackSoundBuffer* b = set->allHead; b != nullptr; b = b->allNext, ++count) {
    ASSERT_EQ(b->dataLength, 176400u);
    ASSERT_EQ(b->header.numChannels, 2u);
    ASSERT_EQ(b->header.sampleRate, 0xAC440000u);
    ASSERT_EQ(b->header.encode, 0xFF);
    ASSERT_EQ(b->header.baseFrequency, 60);
    ASSERT_EQ(b->header.sampleSize, 16);
    ASSERT_EQ(std::memcmp(b->header.AIFFSampleRate.bytes, k44100, 10), 0);
    ASSERT_EQ(b->bufferCommand.cmd, bufferCmd);
    ASSERT_EQ(b->bufferCommand.param2, reinterpret_cast<intptr_t>(&b->header));
    ASSERT_EQ(b->data[0] | b->data[176399], 0);
  }
  EXPECT_EQ(count, 128u);
}

TEST_F(CDRomManager, ASecondProgramGetsNoSetWhileTheFirstHoldsTheOnlyOne) {
  cSp_CDRomManager* manager = Start();
  ASSERT_NE(manager, nullptr);
  cSp_CDRProgramBaseObj* first = SpCDR_CreateNewProgramBaseObject();
  cSp_CDRProgramBaseObj* second = SpCDR_CreateNewProgramBaseObject();
  ASSERT_TRUE(first->BorrowBufferSet());
  sSpPlayBackBufferSetBase* set = first->GetBufferSet();
  set->freeBufferCount = 3;  // as play-back leaves it
  set->blockFree[2] = 0;
  EXPECT_FALSE(second->BorrowBufferSet());
  Sp_CDDisposeProgram(first);
  EXPECT_EQ(set->freeBufferCount, 128) << "given back reset";
  EXPECT_EQ(set->blockFree[2], 1);
  ASSERT_TRUE(second->BorrowBufferSet());
  EXPECT_EQ(second->GetBufferSet(), set);
}

TEST_F(CDRomManager, SharingHandsTheOldestSetOverAndItsProgramLosesIt) {
  cSp_CDRomManager* manager = Sp_InitialCDRom(1, 1, kSpCDShareBuffSetOldest);
  ASSERT_NE(manager, nullptr);
  cSp_CDRProgramBaseObj* first = SpCDR_CreateNewProgramBaseObject();
  cSp_CDRProgramBaseObj* second = SpCDR_CreateNewProgramBaseObject();
  ASSERT_TRUE(first->BorrowBufferSet());
  ASSERT_TRUE(second->BorrowBufferSet());
  EXPECT_EQ(first->GetBufferSet(), nullptr);
  EXPECT_EQ(second->GetBufferSet()->owner, second);
  Sp_CDDisposeProgram(first);
  EXPECT_EQ(second->GetBufferSet()->owner, second) << "the set stays with its new holder";
}

TEST_F(CDRomManager, StartingAgainKeepsTheManagerAndItsOnePollTimer) {
  cSp_CDRomManager* manager = Start();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  EXPECT_EQ(Sp_InitialCDRom(1, 1, 0), manager);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  Sp_DisposeCDRom(0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  EXPECT_EQ(Sp_GetCDRomManager(), nullptr);
}

TEST_F(CDRomManager, MemoryRunningOutWhileStartingLeavesNoManagerAndNoMemoryBehind) {
  for (UInt32 n : {1u, 2u, 3u, 5u, 8u, 40u, 100u}) {
    sp_testing::FailNthAllocation(n);
    cSp_CDRomManager* manager = Sp_InitialCDRom(1, 1, 0);
    sp_testing::FailNthAllocation(0);
    if (manager != nullptr) {
      EXPECT_NE(manager->GetAllBufferSets(), nullptr) << n;
      Sp_DisposeCDRom(0);
    }
    if (n == 100) {
      EXPECT_EQ(manager, nullptr) << "a buffer of the set could not be made";
    }
  }
  EXPECT_NE(Start(), nullptr);
}

TEST_F(CDRomManager, ACDProgramHoldsTheTracksFromTheFirstAskedForWithTheirPositions) {
  MakeDiscFolder("Disc", {{"1 A.aiff", 100}, {"2 B.aiff", 200}, {"3 C.aiff", 300}});
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  cSp_CDRProgramBaseObj* program = nullptr;
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 2, &program), 1);
  ASSERT_EQ(program->GetItemCount(), 2);
  cSp_CDRomMediaDataObj* held = nullptr;
  EXPECT_TRUE(program->IsOneCDRomProgram(&held));
  EXPECT_EQ(held, cd);
  const cSp_CDRProgramItemObj* item = program->GetProgramItem(1);
  EXPECT_EQ(item->GetTrackData()->trackNo, 2u);
  EXPECT_EQ(Sp_CDPositionToSector(&item->GetStartPosition()), 250);
  EXPECT_EQ(Sp_CDPositionToSector(&item->GetEndPosition()), 450);
  EXPECT_EQ(item->GetLength(), 200) << "the track's own length";
  EXPECT_EQ(Sp_CDPositionToSector(&item->GetRealStartPosition()), 250);
  EXPECT_STREQ(item->GetFileName(), "2 B.aiff");
  EXPECT_EQ(item->GetVolumeRefNum(), cd->GetVolumeRefNum());
  EXPECT_NE(item->GetQTFileMedia(), nullptr);
  EXPECT_EQ(program->GetProgramItem(2)->GetTrackData()->trackNo, 3u);

  // Past the last track: no program, and none left in the list.
  cSp_CDRProgramBaseObj* none = nullptr;
  EXPECT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 4, &none), 0);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(Sp_GetCDRomManager()->GetProgramListHead(), program);
  EXPECT_EQ(program->GetNextObjectPtr(), nullptr);
  ErrorLogCapture log;
  EXPECT_EQ(Sp_CDRomCreateCDAudioProgram(nullptr, 1, &none), 0);
  EXPECT_TRUE(log.Has("Sp_CDRomCreateCDAudioProgram", 1));
}

TEST_F(CDRomManager, ASoundFileProgramIsNamedAndFoundByItsFile) {
  ASSERT_EQ(Sp_InitialQuckTime(0), 1);
  cSp_CDRomManager* manager = Start();
  ASSERT_NE(manager, nullptr);
  SInt16 v = 0;
  SInt32 dir = 0;
  ASSERT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &v, &dir), noErr);
  cdtest::WriteFile(home_.Path("Documents/song.aiff"),
                    cdtest::AiffHeader(588 * 150) + std::string(588 * 150 * 4, '\0'));

  cSp_CDRProgramBaseObj* named =
      manager->CreateSoundFileProgram(v, dir, "song.aiff", "Shown", nullptr, nullptr);
  ASSERT_NE(named, nullptr);
  EXPECT_STREQ(named->GetFirstProgramItem()->GetTitle(), "Shown");
  EXPECT_EQ(named->GetFirstProgramItem()->GetLength(), 150) << "two seconds";
  EXPECT_EQ(named->GetProgramType(), kSpProgramTypeOneFile);

  sSpMusicFileInfo info{};
  named->GetFirstProgramItem()->GetQTFileMedia()->GetMusicInfo(info);
  info.seconds = 0;
  cSp_CDRProgramBaseObj* fromRecord =
      manager->CreateSoundFileProgram(v, dir, "song.aiff", "", &info, nullptr);
  ASSERT_NE(fromRecord, nullptr);
  EXPECT_STREQ(fromRecord->GetFirstProgramItem()->GetTitle(), "song.aiff") << "its long name";
  EXPECT_EQ(fromRecord->GetFirstProgramItem()->GetLength(), 0) << "a record of no duration";

  EXPECT_EQ(Sp_GetTargetFileProgram(v, dir, "song.aiff"), named);
  EXPECT_EQ(Sp_GetTargetFileProgram(v, dir, "other.aiff"), nullptr);
  Sp_CDDisposeProgram(named);
  EXPECT_EQ(Sp_GetTargetFileProgram(v, dir, "song.aiff"), fromRecord);
  EXPECT_EQ(manager->CreateSoundFileProgram(v, dir, "missing.aiff", "", nullptr, nullptr), nullptr);
  EXPECT_EQ(fromRecord->GetNextObjectPtr(), nullptr) << "the failed program is gone";

  ErrorLogCapture log;
  Sp_CDDisposeProgram(named);
  EXPECT_TRUE(log.Has("cSp_CDRomManager::DisposeProgramBase", 3)) << "not the manager's any more";
}

TEST_F(CDRomManager, ThePollCallsTheApplicationOncePerChangeOfTheCDs) {
  MakeDiscFolder("A", {{"1 A.aiff", 100}});
  ASSERT_NE(Start(), nullptr);
  Poll(0.9);
  EXPECT_EQ(gCDChanges, 0) << "the poll's first firing is after a second";
  Poll();
  EXPECT_EQ(gCDChanges, 1);
  EXPECT_EQ(Sp_CDRomCountCDDA(), 1);
  Poll();
  EXPECT_EQ(gCDChanges, 1) << "nothing changed";
  MakeDiscFolder("B", {{"1 B.aiff", 100}});
  Poll();
  EXPECT_EQ(gCDChanges, 2);
  Sp_CDRomPauseEventLoop();
  ASSERT_EQ(std::rename(Media("B").c_str(), home_.Path("B").c_str()), 0);
  Poll();
  EXPECT_EQ(gCDChanges, 2) << "paused";
  Sp_CDRomStartEventLoopFromPauseStatus();
  Poll();
  EXPECT_EQ(gCDChanges, 3);
}

TEST_F(CDRomManager, TheClassicPollLeavesTheCDsAloneWhileAProgramRuns) {
  MakeDiscFolder("A", {{"1 A.aiff", 100}});
  ASSERT_NE(Start(), nullptr);
  Sp_DisableCDRomAndSoundEventIdleProcedureForCarbonEvent();
  cSp_CDRProgramBaseObj* program = SpCDR_CreateNewProgramBaseObject();
  program->SetupSaveFileEndProcCB(RecordSaveEnd, 0);
  program->StartSaveAndPlayEventLoop();
  // Its start takes a poll for each piece of its set-up; it stops at the one that fails.
  for (int i = 0; i < 5 && gSaveEnds.empty(); ++i) {
    sp_testing::AdvanceClockTicks(130);
    Sp_CDRomEventProcedure(0);
    EXPECT_EQ(Sp_CDRomCountCDDA(), 0) << "a save without anything to save runs until it stops";
  }
  EXPECT_EQ(gSaveEnds.size(), 1u);
  sp_testing::AdvanceClockTicks(130);
  Sp_CDRomEventProcedure(0);
  EXPECT_EQ(Sp_CDRomCountCDDA(), 1);
  EXPECT_EQ(gCDChanges, 1);
}

TEST_F(CDRomManager, AnEjectReportsWhatTheVolumeAnswered) {
  EXPECT_EQ(Sp_CDEjectCD(1), noErr) << "no manager";
  MakeDiscFolder("A", {{"1 A.aiff", 100}});
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(Scan());
  const SInt16 v = Sp_CDRomGetCDObjectByCounter(0)->GetVolumeRefNum();
  Str255 name;
  name[0] = 8;
  std::memcpy(name + 1, "1 A.aiff", 8);
  SInt16 ref = 0;
  ASSERT_EQ(HOpenDF(v, fsRtDirID, name, fsRdPerm, &ref), noErr);
  EXPECT_EQ(Sp_CDEjectCD(1), fBsyErr);
  FSClose(ref);
  EXPECT_EQ(Sp_CDEjectCD(1), noErr);
  EXPECT_EQ(Sp_CDEjectCD(1), nsvErr) << "already ejected";
  SpCDR_DisposeMediaMgr();
  EXPECT_EQ(Sp_CDEjectCD(1), paramErr) << "no media manager";
}

TEST_F(CDRomManager, LevelsOfEarlierRunsSurviveTheSavesOfThisRun) {
  SInt16 v = 0;
  SInt32 dir = 0;
  ASSERT_TRUE(SpCDR_CreateCDInitialDataFile(kPreferencesFolderType, kSpStartDataFolderName,
                                            kSpCDStartDataFileName, kSpStartDataCreator,
                                            kSpStartDataFileType, 1, v, dir));
  FILE* file = std::fopen(home_.Path(".config/Zanthe Folder/CDDA-Data").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("7\t44\t3\t21\t35\t\r", file);
  std::fclose(file);
  MakeDiscFolder("A", {{"1 A.aiff", 100}});
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(Scan());
  Sp_DisposeCDRom(0);  // saves
  std::ifstream in(home_.Path(".config/Zanthe Folder/CDDA-Data"), std::ios::binary);
  const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(stored.find("7\t44\t3\t21\t35\t\r"), std::string::npos) << stored;
  EXPECT_NE(stored.find("1\t0\t3\t25\t100\t\r"), std::string::npos) << stored;
}

// A CD's volume level is kept from 0 to 100: a level past either end is kept at that end.
TEST_F(CDRomManager, TheVolumeLevelOfACDIsKeptFromZeroTo100) {
  MakeDiscFolder("A", {{"1 A.aiff", 100}});
  cSp_CDRomManager* manager = Start();
  ASSERT_NE(manager, nullptr);
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  ASSERT_NE(cd, nullptr);
  ASSERT_NE(cd->GetStartData(), nullptr);
  const short refNum = short(cd->GetReferenceNo());
  const struct {
    short level;
    UInt32 kept;
  } cases[] = {{37, 37}, {100, 100}, {99, 99}, {101, 100}, {1, 1}, {0, 0}, {-1, 0}, {32767, 100}};
  for (const auto& c : cases) {
    EXPECT_EQ(manager->SetCDSoundAmp(refNum, c.level), 1) << c.level;
    UInt32 level = 999;
    cd->GetStartData()->GetCDData(nullptr, nullptr, &level);
    EXPECT_EQ(level, c.kept) << c.level;
  }
  EXPECT_EQ(manager->SetCDSoundAmp(short(refNum + 1), 50), 0) << "no such CD";
}

TEST_F(CDRomManager, ACDGoingAwayStopsTheSaveOfItsProgramAndNoItemPointsAtIt) {
  MakeDiscFolder("A", {{"1 A.aiff", 100}, {"2 B.aiff", 100}});
  ASSERT_NE(Start(), nullptr);
  Poll();
  ASSERT_EQ(gCDChanges, 1);
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  cSp_CDRProgramBaseObj* saving = nullptr;
  cSp_CDRProgramBaseObj* idle = nullptr;
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &saving), 1);
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 2, &idle), 1);
  saving->SetupSaveFileEndProcCB(RecordSaveEnd, 0);
  saving->StartSaveAndPlayEventLoop();

  ASSERT_EQ(std::rename(Media("A").c_str(), home_.Path("A").c_str()), 0);
  Poll();
  EXPECT_EQ(gCDChanges, 2);
  EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
  EXPECT_EQ(saving->GetStopRequest(), 1) << "asked to stop";
  for (cSp_CDRProgramBaseObj* p : {saving, idle}) {
    cSp_CDRomMediaDataObj* held = cd;
    EXPECT_TRUE(p->IsOneCDRomProgram(&held));
    EXPECT_EQ(held, nullptr);
    for (cSp_CDRProgramItemObj* item = p->GetFirstProgramItem(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      EXPECT_EQ(item->GetCDMedia(), nullptr);
      EXPECT_EQ(item->GetTrackData(), nullptr);
      EXPECT_EQ(item->GetCDGoneFlag(), 1);
      char title[64] = "";
      EXPECT_FALSE(item->GetCDDBTrackSongTitle(title, sizeof title, nullptr));
      EXPECT_EQ(Sp_CDPositionToSector(&item->GetStartPosition()) > 0, true) << "kept";
    }
  }
  // The save ends through its end callback at the step timer's next stop check.
  EXPECT_TRUE(gSaveEnds.empty());
  SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  sp_testing::PumpPending();
  SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  ASSERT_EQ(gSaveEnds.size(), 1u);
  EXPECT_EQ(gSaveEnds[0].program, saving);
  EXPECT_EQ(gSaveEnds[0].stopped, 1);
  EXPECT_FALSE(saving->IsSaveRunning());
}

}  // namespace
