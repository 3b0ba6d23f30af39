// From a disc to the save's load buffer: an emulated audio CD in the media folder is found by
// the poll and made into a program; its tracks, loaded through the program's load step,
// are byte for byte the sound data of their AIFF files, and their tag record comes from the
// disc's titles.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "LoaderFixture.h"
#include "SpQTMusicInfo.h"

namespace engine_test {
namespace {

const UInt32 kFrames[] = {100 * 588, 37 * 588 + 100};  // the second ends inside a sector

class LoadEndToEnd : public LoaderTest {
 protected:
  // A disc folder of two tracks holding the test ramp, each from its own offset.
  void MakeDisc() {
    ASSERT_EQ(mkdir(Media("Ramp").c_str(), 0700), 0);
    std::vector<cdtest::TocTrack> toc;
    SInt32 start = 150;
    for (int i = 0; i < 2; ++i) {
      const std::string path = Media("Ramp/" + std::to_string(i + 1) + " Part.aiff");
      ASSERT_TRUE(sp_testing::WriteTestAiff(path, 2, 44100, kFrames[i]));
      toc.push_back({i + 1, start});
      start += SInt32((kFrames[i] + 587) / 588);
    }
    cdtest::WriteFile(Media("Ramp/.TOC.plist"), cdtest::TocPlist({{1, 1, 2, start, 0x00, toc}}));
  }

  static std::string SoundDataOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str().substr(54);  // after FORM, COMM and the SSND header
  }
};

TEST_F(LoadEndToEnd, ATrackOfAnEmulatedCDLoadsAsItsAIFFSoundData) {
  MakeDisc();
  ASSERT_TRUE(sp_testing::PumpFor(6000000));
  ASSERT_EQ(Sp_CDRomCountCDDA(), 1);
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  cSp_CDRProgramBaseObj* program = nullptr;
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &program), 1);
  ASSERT_EQ(program->GetItemCount(), 2);

  // One track: its own data, whole.
  program->ClearPlayProgramItem();
  ASSERT_TRUE(program->SetupPlayProgramItem(2));
  ASSERT_TRUE(program->BorrowBufferSet());
  program->SetupLoadChannelCount(program->GetSaveChannelCount(2, 0));
  program->StartSaveAndPlayEventLoop();
  ASSERT_TRUE(program->PlaySound());
  LoadedRun run = LoadAll(program);
  ASSERT_EQ(run.items.size(), 1u);
  EXPECT_EQ(program->GetLoadInfo().convert, 0) << "the working format is copied";
  const std::string second = SoundDataOf(Media("Ramp/2 Part.aiff"));
  ASSERT_EQ(run.items[0].size(), second.size());
  EXPECT_TRUE(run.items[0] == second) << "identical bytes";

  // The whole disc: both tracks, one after the other, each identical.
  program->EndOfSaveProgItem(0);
  program->SetupAllItemIntoPlayProgramItem();
  program->StartSaveAndPlayEventLoop();
  ASSERT_TRUE(program->PlaySound());
  run = LoadAll(program);
  ASSERT_EQ(run.items.size(), 2u);
  EXPECT_TRUE(run.items[0] == SoundDataOf(Media("Ramp/1 Part.aiff")));
  EXPECT_TRUE(run.items[1] == second);

  // The track's tags come from the disc's titles (no library): its number of the disc's
  // tracks and its title.
  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  ASSERT_TRUE(program->GetTargetProgramItemMusicInfo(program->GetProgramItem(2), nullptr, record));
  char title[64] = "";
  EXPECT_EQ(record->GetMusicTitle(title, sizeof title, nullptr), 1);
  EXPECT_STREQ(title, "Part");
  delete record;
}

// A track whose CD went away stops the load at once, holding nothing of the CD.
TEST_F(LoadEndToEnd, ATrackWhoseCDWentAwayStopsTheLoad) {
  MakeDisc();
  ASSERT_TRUE(sp_testing::PumpFor(6000000));
  cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(0);
  cSp_CDRProgramBaseObj* program = nullptr;
  ASSERT_EQ(Sp_CDRomCreateCDAudioProgram(cd, 1, &program), 1);
  ASSERT_TRUE(program->BorrowBufferSet());
  program->SetupAllItemIntoPlayProgramItem();
  program->StartSaveAndPlayEventLoop();
  ASSERT_TRUE(program->PlaySound());
  ASSERT_TRUE(program->InitLoadQTFileSoundDataInfo(nullptr));
  ASSERT_TRUE(program->LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR());
  program->MarkCDGone(cd);
  program->ForgetCDMedia(cd);
  EXPECT_FALSE(program->LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR());
  EXPECT_EQ(program->GetStopRequest(), 1);
  EXPECT_FALSE(program->InitLoadQTFileSoundDataInfo(nullptr));
}

}  // namespace
}  // namespace engine_test
