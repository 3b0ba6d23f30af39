// From a disc to a program and back: a disc of three tracks (a CUE/BIN image read through
// libcdio, or an emulated disc folder) whose titles lie in the title file is mounted, found by
// the poll, made into a program whose items carry the positions of its table of contents and
// its titles, and ejected; nothing is left pointing at it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineFixture.h"

namespace {

int gChanges = 0;
void CountChange(unsigned long) {
  ++gChanges;
}

const UInt32 kSectors[] = {160, 200, 175};
const char* const kTitles[] = {"Sunrise", "Midday", "Sunset"};

class DiscEndToEnd : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    gChanges = 0;
    ASSERT_EQ(Sp_InitialQuckTime(0), 1);
  }

  // The title file with the disc's entry, keyed by its lead-out block.
  void WriteTitles(SInt32 leadout) {
    cddb_test::WriteTitleFile(
        cddb_test::TitleFileOf({{3,
                                 UInt8(leadout / 4500),
                                 UInt8(leadout / 75 % 60),
                                 UInt8(leadout % 75),
                                 301,
                                 {"Day Trip", kTitles[0], kTitles[1], kTitles[2]}}}));
  }

  void Run() {
    cSp_CDRomManager* manager = Sp_InitialCDRom(1, 1, 0);
    ASSERT_NE(manager, nullptr);
    manager->SetupModCDSetupCB(CountChange, 0);
    sp_testing::PumpFor(6000000);
    ASSERT_EQ(gChanges, 1) << "one CD came";
    ASSERT_EQ(Sp_CDRomCountCDDA(), 1);
    cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
    char title[64] = "";
    ASSERT_TRUE(cd->GetCDTitle(title, sizeof title, nullptr));
    EXPECT_STREQ(title, "Day Trip");

    cSp_CDRProgramBaseObj* program = nullptr;
    ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &program), 1);
    ASSERT_EQ(program->GetItemCount(), 3);
    SInt32 start = 150;
    for (SInt32 i = 0; i < 3; ++i) {
      cSp_CDRProgramItemObj* item = program->GetProgramItem(UInt32(i + 1));
      SCOPED_TRACE(i + 1);
      EXPECT_EQ(Sp_CDPositionToSector(&item->GetStartPosition()), start);
      EXPECT_EQ(Sp_CDPositionToSector(&item->GetEndPosition()), start + SInt32(kSectors[i]));
      EXPECT_EQ(item->GetLength(), SInt32(kSectors[i]));
      ASSERT_TRUE(item->GetMusicTitleForSaveFile(title, sizeof title, nullptr));
      EXPECT_STREQ(title, kTitles[i]);
      // Its track file reads as the sound of its sectors.
      cSp_QTFileDataObj* file = item->GetQTFileMedia();
      ASSERT_NE(file, nullptr);
      ASSERT_TRUE(file->SetupSoundSampleDataInfo(0, nullptr));
      EXPECT_EQ(file->GetLengthInSectors(), kSectors[i]);
      EXPECT_EQ(file->GetSoundFormat().format, SpFourCC("twos"));
      start += SInt32(kSectors[i]);
    }

    EXPECT_EQ(Sp_CDEjectCD(SInt32(cd->GetReferenceNo())), noErr);
    sp_testing::PumpFor(3000000);
    EXPECT_EQ(gChanges, 2) << "the CD went";
    EXPECT_EQ(Sp_CDRomCountCDDA(), 0);
    cSp_CDRomMediaDataObj* held = nullptr;
    program->IsOneCDRomProgram(&held);
    EXPECT_EQ(held, nullptr);
    for (cSp_CDRProgramItemObj* item = program->GetFirstProgramItem(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      EXPECT_EQ(item->GetCDMedia(), nullptr);
      EXPECT_EQ(item->GetTrackData(), nullptr);
      EXPECT_EQ(item->GetCDGoneFlag(), 1);
      EXPECT_FALSE(item->GetMusicTitleForSaveFile(title, sizeof title, nullptr));
    }
    Sp_CDDisposeProgram(program);
  }
};

TEST_F(DiscEndToEnd, ACueBinImageBecomesAProgramOfItsTracksWithItsTitlesAndGoesWhenEjected) {
  disc_image::WriteImage(Media(), "Trip",
                         {{kSectors[0], ""}, {kSectors[1], ""}, {kSectors[2], ""}});
  WriteTitles(150 + 160 + 200 + 175);
  Run();
}

TEST_F(DiscEndToEnd,
       AnEmulatedDiscFolderBecomesAProgramOfItsTracksWithItsTitlesAndGoesWhenEjected) {
  WriteTitles(MakeDiscFolder("Trip", {{"1 Track.aiff", kSectors[0]},
                                      {"2 Track.aiff", kSectors[1]},
                                      {"3 Track.aiff", kSectors[2]}}));
  Run();
}

}  // namespace
