// The play-back twins of the save's fills: the loaded read blocks go to the sound channel in
// buffers of a second, as they are or by the full-scale overlap, and the last one ends the
// play.
#include "SaveFixture.h"
#include "SpCDROMLoadCDSoundData.h"

namespace engine_test {
namespace {

class PlayBackStep : public LoaderTest {
 protected:
  // Plays the program with the step until its last buffer is queued; the bytes queued.
  static UInt32 PlayThrough(cSp_CDRProgramBaseObj* p, bool multi) {
    EXPECT_TRUE(p->PlayBackProgram(-1));
    for (int guard = 0; guard < 10000 && !p->GetSaveTarget().hold; ++guard) {
      if (multi) {
        p->PlayQTFileTrack_ForEventLoopMultiSpeedByFullScaleOverlap();
      } else {
        p->PlayQTFileTrack_ForEventLoopNormalForwordSpeed();
      }
      sp_testing::PumpPending();
    }
    EXPECT_EQ(p->GetSaveTarget().hold, 1) << "the last buffer was queued";
    return p->GetPlayBackStepState().itemBytes;
  }
};

TEST_F(PlayBackStep, NormalSpeedQueuesTheSamplesAsTheyAreAndTheLastEndsThePlay) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("ramp.aiff"), 2, 44100, 44100 * 3 + 100));
  cSp_CDRProgramBaseObj* p = FileProgram({"ramp.aiff"});
  EXPECT_EQ(PlayThrough(p, false), (44100u * 3 + 100) * 4);
  const std::string source = ReadAll(Doc("ramp.aiff")).substr(54);
  const sSpPlayBackSoundBuffer* first = p->GetBufferSet()->allHead;
  EXPECT_EQ(first->dataLength, 176400u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(first->data), 176400),
            source.substr(0, 176400));
  // The channel plays the buffers on the clock; the last one's callback ends the play.
  ASSERT_TRUE(sp_testing::PumpFor(5000000));
  EXPECT_EQ(p->GetQueuedBufferCount(), 0);
  EXPECT_FALSE(p->IsPlaying());
}

// At triple speed the output is the source shortened by the hop over the window, a steady
// level made up by the gain.
TEST_F(PlayBackStep, MultiSpeedOverlapsWindowsAndMakesUpTheLevel) {
  WriteAiff(Doc("dc.aiff"), 2, std::vector<SInt16>(44100 * 4 * 2, 10000));
  cSp_CDRProgramBaseObj* p = FileProgram({"dc.aiff"});
  p->ChangeMultiSpeed(3.0);
  const UInt32 bytes = PlayThrough(p, true);
  EXPECT_NEAR(double(bytes / 4), 44100.0 * 4 * 1369.0 / 4116.0, 4116.0);
  const sSpPlayBackSoundBuffer* first = p->GetBufferSet()->allHead;
  ASSERT_EQ(first->dataLength, 176400u);
  int off = 0;
  for (UInt32 i = 0; i < 176400; i += 2) {
    const SInt32 v = SInt16(sp::LoadBE16(first->data + i));
    off += std::abs(v - 13293) > 1 ? 1 : 0;
  }
  EXPECT_EQ(off, 0) << "10,000 times 1.329375 throughout";
}

}  // namespace
}  // namespace engine_test
