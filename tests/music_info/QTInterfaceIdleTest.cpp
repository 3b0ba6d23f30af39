// QuickTime start-up, the idle timer and its owners, the running-object lists.
#include <gtest/gtest.h>

#include "CarbonEvents.h"
#include "ErrorLogCapture.h"
#include "Gestalt.h"
#include "SpQTInterface.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "TestEvents.h"

namespace {

TEST(QuickTimeStartUp, RefusesQuickTimeOlderThan3) {
  const struct {
    SInt32 answer;
    unsigned char enabled;
    UInt16 version;
  } cases[] = {
      {0x02FF0000, 0, 0},       // 2.5.5: too old
      {0x03000000, 1, 0x0300},  // 3.0
      {0x06408000, 1, 0x0640},  // 6.4, the low word is not the version
  };
  for (const auto& c : cases) {
    sp_testing::SetGestalt(gestaltQuickTimeVersion, c.answer);
    EXPECT_EQ(Sp_InitialQuckTime(0), c.enabled) << std::hex << c.answer;
    EXPECT_EQ(Sp_EnableQT(), c.enabled);
    EXPECT_EQ(Sp_GetQuickTImeVersion(), c.version);
  }
  sp_testing::RemoveGestalt(gestaltQuickTimeVersion);
  EXPECT_EQ(Sp_InitialQuckTime(0), 0) << "no QuickTime at all";
  EXPECT_EQ(Sp_GetQuickTImeVersion(), 0);
  sp_testing::ResetGestalt();
}

// Playback objects as the playback classes are: they carry the links of their lists.
class MovieObject : public cSpQTOnExecuteMovieLinks<MovieObject> {};
class SoundObject : public cSpQTOnExecuteQTSoundLinks<SoundObject> {};

class IdleTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    Sp_CarbonEvent_ModeEnable();
  }
  void TearDown() override {
    for (MovieObject* m : {&a_, &b_, &c_}) SpQTM_UnlinkOnExecutedMovieItemList(m);
    SpQTM_UnlinkOnExecutedQTSoundItemList(&sound_);
    SpQT_DisableIdleEvent();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  MovieObject a_, b_, c_;
  SoundObject sound_;
};

TEST_F(IdleTimer, IsInstalledOnceAndOnlyItsInstallerOwnsIt) {
  for (int pass = 0; pass < 2; ++pass) {  // installed anew after removal
    EXPECT_EQ(SpQTI_EnableIdleEvent(), 1);
    EXPECT_EQ(SpQTI_EnableIdleEvent(), 0) << "a second caller does not own it";
    EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
    // It keeps firing on the loop, 0.05 s apart, until its owner is done.
    sp_testing::PumpFor(500000);
    EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 1);
    SpQT_DisableIdleEvent();
    EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
    EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
    SpQT_DisableIdleEvent();  // again: nothing to remove
  }
}

TEST_F(IdleTimer, StaysWhileAPlayingObjectIsListedAndGoesWithTheLast) {
  ASSERT_EQ(SpQTI_EnableIdleEvent(), 1);
  ASSERT_EQ(SpQTM_SetupOnExecutedMovieItemList(&a_), noErr);
  ASSERT_EQ(SpQTM_SetupOnExecutedQTSoundItemList(&sound_), noErr);
  // The operation that installed it ends while the objects still play.
  SpQT_DisableIdleEvent();
  sp_testing::PumpFor(200000);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  SpQTM_UnlinkOnExecutedMovieItemList(&a_);
  SpQT_DisableIdleEvent();
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 1) << "the sound object still plays";
  SpQTM_UnlinkOnExecutedQTSoundItemList(&sound_);
  SpQT_DisableIdleEvent();
  EXPECT_EQ(SpQTI_CheckQuickTimeIdleEventStatus(), 0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
}

TEST_F(IdleTimer, NewObjectsGoInFrontAndLeavingOrDoublingKeepsTheListWhole) {
  for (MovieObject* m : {&a_, &b_, &c_}) ASSERT_EQ(SpQTM_SetupOnExecutedMovieItemList(m), noErr);
  EXPECT_EQ(SpQTM_GetOnExecutedMovieItemListHead(), &c_);
  EXPECT_EQ(c_.GetLastOnExecuteMovieObjectPtr(), &a_);
  ErrorLogCapture log;
  EXPECT_EQ(SpQTM_SetupOnExecutedMovieItemList(&a_), paramErr) << "already listed";
  EXPECT_EQ(SpQTM_SetupOnExecutedMovieItemList(nullptr), paramErr);
  EXPECT_EQ(log.Beeps(), 2u);
  EXPECT_EQ(a_.GetNextOnExecuteMovieObjectPtr(), nullptr) << "no loop";

  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&b_), noErr);
  EXPECT_EQ(SpQTM_CheckTargetOnExecutedMovieItemList(&b_), 0);
  EXPECT_EQ(c_.GetNextOnExecuteMovieObjectPtr(), &a_);
  EXPECT_EQ(a_.GetBeforeOnExecuteMovieObjectPtr(), &c_);
  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&c_), noErr);
  EXPECT_EQ(SpQTM_GetOnExecutedMovieItemListHead(), &a_);
  EXPECT_EQ(a_.GetBeforeOnExecuteMovieObjectPtr(), nullptr);
  EXPECT_EQ(SpQTM_UnlinkOnExecutedMovieItemList(&c_), paramErr) << "no longer listed";
  EXPECT_EQ(SpQTM_CheckTargetOnExecutedMovieItemList(&a_), 1);
}

}  // namespace
