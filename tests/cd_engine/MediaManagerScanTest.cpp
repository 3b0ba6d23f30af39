// The media manager's scan of the mounted volumes: CDs that arrive, stay, change and go, on the
// virtual clock; and its eject.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "EngineFixture.h"
#include "SpCDRCDSaveInitData.h"

namespace {

using engine_test::EngineTest;

// Every run of the before-eject procedure: the CD's reference number and whether the CD was
// still present then.
struct EjectCall {
  unsigned long referenceNo;
  unsigned char present;
};
std::vector<EjectCall>& EjectCalls() {
  static std::vector<EjectCall> calls;
  return calls;
}
void RecordEject(cSp_CDRomMediaDataObj* cd, unsigned long referenceNo, unsigned long refCon) {
  EXPECT_EQ(refCon, 77u);
  EjectCalls().push_back({referenceNo, cd->GetExistFlag()});
}

class MediaScan : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    EjectCalls().clear();
    SpCDR_GetMediaMgrPtr(1)->SetupBeforeEjectExecCBProc(RecordEject, 77);
  }
  void MakeDisc(const std::string& name, UInt32 sectors = 100) {
    MakeDiscFolder(name, {{"1 One.aiff", sectors}, {"2 Two.aiff", 200}});
  }
  void TakeAway(const std::string& name) {
    ASSERT_EQ(std::rename(Media(name).c_str(), home_.Path(name + " away").c_str()), 0);
  }
  std::vector<UInt32> ReferenceNumbers() const {
    std::vector<UInt32> numbers;
    for (SInt32 i = 0; i < Sp_CDRomCountCDDA(); ++i)
      numbers.push_back(Sp_CDRomGetCDObjectByCounter(i)->GetReferenceNo());
    return numbers;
  }
};

TEST_F(MediaScan, NothingIsScannedUntil120TicksAfterTheFirstCall) {
  MakeDisc("A");
  cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(1);
  EXPECT_FALSE(media->CheckCDRom());
  sp_testing::AdvanceClockTicks(119);
  EXPECT_FALSE(media->CheckCDRom());
  EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
  sp_testing::AdvanceClockTicks(1);
  EXPECT_TRUE(media->CheckCDRom());
  ASSERT_EQ(Sp_CDRomCountCDDA(), 1);
  EXPECT_EQ(Sp_CDRomGetNumOfTrack(1), 2);
  EXPECT_EQ(Sp_CDRomGetNumOfTrack(2), 0);
  EXPECT_EQ(Sp_CDRomGetCDObjectByCounter(1), nullptr);
  EXPECT_EQ(Sp_CDRomGetCDObjectByCounter(0)->GetNewCDFlag(), 1);
}

TEST_F(MediaScan, AnUnchangedRescanKeepsItsCDsAndAGoneCDIsAnnouncedOnce) {
  MakeDisc("A");
  MakeDisc("B", 300);
  EXPECT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{1, 2}));
  cSp_CDRomMediaDataObj* first = Sp_CDRomGetCDObjectByCounter(0);
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Sp_CDRomGetCDObjectByCounter(0), first);
  EXPECT_TRUE(EjectCalls().empty());

  TakeAway("B");
  EXPECT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), std::vector<UInt32>{1});
  ASSERT_EQ(EjectCalls().size(), 1u);
  EXPECT_EQ(EjectCalls()[0].referenceNo, 2u);
  EXPECT_EQ(EjectCalls()[0].present, 0) << "told that it is going away";
  EXPECT_FALSE(Scan());
  EXPECT_EQ(EjectCalls().size(), 1u);
}

// Two CDs, one of them taken away and, a scan later, another inserted: the reference numbers
// then.
TEST_F(MediaScan, ANewCDTakesTheNumberAfterTheLastCDWhenTheLastWentAway) {
  MakeDisc("A");
  MakeDisc("B");
  ASSERT_TRUE(Scan());
  TakeAway("B");
  ASSERT_TRUE(Scan());
  MakeDisc("C");
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{1, 2}));
}

TEST_F(MediaScan, ANewCDTakesTheNumberAfterTheLastCDWhenTheFirstWentAway) {
  MakeDisc("A");
  MakeDisc("B");
  ASSERT_TRUE(Scan());
  TakeAway("A");
  ASSERT_TRUE(Scan());
  MakeDisc("C");
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{2, 3}));
}

TEST_F(MediaScan, CDsGoingAndComingInOneScanLeaveTheOthersListedInOrder) {
  for (const char* name : {"A", "B", "C"}) MakeDisc(name);
  ASSERT_TRUE(Scan());
  TakeAway("A");
  TakeAway("C");
  MakeDisc("D");
  MakeDisc("E");
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{2, 4, 5}));
  TakeAway("E");
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{2, 4}));
  MakeDisc("F");
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReferenceNumbers(), (std::vector<UInt32>{2, 4, 5}));
}

TEST_F(MediaScan, VolumesWithoutUsableContentsOrTracksAreNoCDs) {
  // A table of contents whose last entry is a data track; one that does not parse; one whose
  // tracks have no files.
  MakeDisc("Data");
  cdtest::WriteFile(Media("Data/.TOC.plist"),
                    cdtest::TocPlist({{1, 1, 2, 500, 0x00, {{1, 150}, {2, 250, true}}}}));
  MakeDisc("Garbage");
  cdtest::WriteFile(Media("Garbage/.TOC.plist"), "<plist><dict><key>Sessions");
  ASSERT_EQ(mkdir(Media("Empty").c_str(), 0700), 0);
  cdtest::WriteFile(Media("Empty/.TOC.plist"), cdtest::TocPlist({{1, 1, 1, 300, 0, {{1, 150}}}}));
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
}

TEST_F(MediaScan, OtherTracksUnderTheSameVolumeMakeTheCDChangeAndItsHoldersLetGo) {
  MakeDisc("A");
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  cCDSaveInitialData* before = cd->GetStartData();
  cdtest::WriteFile(Media("A/3 Three.aiff"), cdtest::AiffHeader(588));
  cdtest::WriteFile(Media("A/.TOC.plist"),
                    cdtest::TocPlist({{1, 1, 3, 451, 0, {{1, 150}, {2, 250}, {3, 450}}}}));
  EXPECT_TRUE(Scan());
  EXPECT_EQ(Sp_CDRomGetCDObjectByCounter(0), cd) << "the same CD object";
  EXPECT_EQ(cd->GetNumOfTrack(), 3u);
  ASSERT_EQ(EjectCalls().size(), 1u) << "holders of the old track records were told";
  EXPECT_EQ(EjectCalls()[0].present, 0);
  EXPECT_NE(cd->GetStartData(), before) << "another disc, another level";
  EXPECT_EQ(cd->GetExistFlag(), 1);
}

TEST_F(MediaScan, DiscsOfEqualTrackCountsKeepLevelsOfTheirOwn) {
  MakeDisc("A", 100);
  MakeDisc("B", 101);
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* a = Sp_CDRomGetCDObjectByCounter(0);
  cSp_CDRomMediaDataObj* b = Sp_CDRomGetCDObjectByCounter(1);
  ASSERT_NE(a->GetStartData(), nullptr);
  ASSERT_NE(b->GetStartData(), nullptr);
  EXPECT_NE(a->GetStartData(), b->GetStartData());
  EXPECT_EQ(a->GetAmpVolume(), 100u) << "a new disc plays at the full level";
  cDiscPosition end;
  a->GetStartData()->GetCDData(nullptr, &end, nullptr);
  EXPECT_EQ(Sp_CDPositionToSector(&end), 150 + 100 + 200) << "keyed by the lead-out";
}

TEST_F(MediaScan, AnEjectReportsTheVolumesRealAnswerAndTheCDGoesWithTheNextScan) {
  cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(1);
  EXPECT_EQ(media->EjectTheMusicCDMedia(0), noErr);
  EXPECT_TRUE(EjectCalls().empty()) << "no CD, no call";
  MakeDisc("A");
  ASSERT_TRUE(Scan());
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);

  SInt16 ref = 0;
  Str255 name;
  name[0] = 10;
  std::memcpy(name + 1, "1 One.aiff", 10);
  ASSERT_EQ(HOpenDF(cd->GetVolumeRefNum(), fsRtDirID, name, fsRdPerm, &ref), noErr);
  EXPECT_EQ(media->EjectTheMusicCDMedia(1), fBsyErr) << "a track is open";
  ASSERT_EQ(EjectCalls().size(), 1u);
  EXPECT_EQ(EjectCalls()[0].present, 1) << "asked to eject, not gone yet";
  EXPECT_FALSE(Scan()) << "the CD is still there";
  FSClose(ref);

  EXPECT_EQ(media->EjectTheMusicCDMedia(9), noErr) << "no CD of that number";
  EXPECT_EQ(EjectCalls().size(), 1u);
  EXPECT_EQ(media->EjectTheMusicCDMedia(1), noErr);
  EXPECT_EQ(Sp_CDRomCountCDDA(), 1) << "kept until the next scan";
  EXPECT_TRUE(Scan());
  EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
  EXPECT_EQ(EjectCalls().size(), 3u);
}

}  // namespace
