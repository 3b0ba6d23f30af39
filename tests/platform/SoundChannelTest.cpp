// Sound Manager channels: commands play on the clock, in order, without a device.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "Clock.h"
#include "Components.h"
#include "Sound.h"
#include "SoundCommands.h"
#include "TestClock.h"
#include "TestEvents.h"

namespace {

struct Heard {
  SInt16 param1;
  UInt64 atMicroseconds;
};
std::vector<Heard> gHeard;
SndChannelPtr gDisposeInCallback = nullptr;

UInt64 NowMicroseconds() {
  UnsignedWide now;
  Microseconds(&now);
  return (UInt64(now.hi) << 32) | now.lo;
}

void Record(SndChannelPtr, SndCommand* cmd) {
  gHeard.push_back({cmd->param1, NowMicroseconds()});
  if (gDisposeInCallback != nullptr) {
    SndDisposeChannel(gDisposeInCallback, true);
    gDisposeInCallback = nullptr;
  }
}

class SoundChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    gHeard.clear();
    ASSERT_EQ(SndNewChannel(&chan_, sampledSynth, initStereo, NewSndCallBackUPP(Record)), noErr);
    start_ = NowMicroseconds();
  }
  void TearDown() override {
    if (chan_ != nullptr) SndDisposeChannel(chan_, true);
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // A second of 44.1 kHz stereo, or `frames` frames.
  ExtSoundHeader* Buffer(UInt32 frames = 44100) {
    headers_.emplace_back();
    ExtSoundHeader& h = headers_.back();
    h = ExtSoundHeader{};
    h.numChannels = 2;
    h.sampleRate = rate44khz;
    h.encode = extSH;
    h.numFrames = frames;
    h.sampleSize = 16;
    return &h;
  }
  OSErr Queue(UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
    return sp_testing::QueueSound(chan_, cmd, param1, param2);
  }
  OSErr Now(UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
    return sp_testing::SoundNow(chan_, cmd, param1, param2);
  }
  // When each callback came, in milliseconds after the start.
  std::vector<std::pair<SInt16, long>> Times() const {
    std::vector<std::pair<SInt16, long>> t;
    for (const Heard& h : gHeard)
      t.emplace_back(h.param1, long((h.atMicroseconds - start_) / 1000));
    return t;
  }

  SndChannelPtr chan_ = nullptr;
  UInt64 start_ = 0;
  std::deque<ExtSoundHeader> headers_;
};

// Buffers last their frames at their rate; callbacks come where they stand in the queue. The
// timer serves every 10 ms, so times are exact to that.
TEST_F(SoundChannelTest, BuffersLastTheirLengthAndCallbacksComeInOrder) {
  ASSERT_EQ(Queue(bufferCmd, 0, reinterpret_cast<intptr_t>(Buffer())), noErr);
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_EQ(Queue(bufferCmd, 0, reinterpret_cast<intptr_t>(Buffer(22050))), noErr);
  ASSERT_EQ(Queue(waitCmd, 400), noErr);  // 200 ms
  ASSERT_EQ(Queue(callBackCmd, 2), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  const auto t = Times();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].first, 1);
  EXPECT_NEAR(t[0].second, 1000, 10);
  EXPECT_EQ(t[1].first, 2);
  EXPECT_NEAR(t[1].second, 1700, 10);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0) << "an idle channel needs no timer";
}

// Pausing holds the queue; flushing drops it; quieting ends the sound playing; a faster rate
// shortens it.
TEST_F(SoundChannelTest, ImmediateCommandsPauseFlushQuietAndSpeedUp) {
  Queue(bufferCmd, 0, reinterpret_cast<intptr_t>(Buffer()));
  Queue(callBackCmd, 1);
  ASSERT_EQ(Now(pauseCmd), noErr);
  ASSERT_TRUE(sp_testing::PumpFor(3000000));
  EXPECT_TRUE(gHeard.empty()) << "nothing moves while paused";
  ASSERT_EQ(Now(resumeCmd), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  ASSERT_EQ(Times().size(), 1u);
  EXPECT_NEAR(Times()[0].second, 4000, 10);

  gHeard.clear();
  start_ = NowMicroseconds();
  Queue(bufferCmd, 0, reinterpret_cast<intptr_t>(Buffer()));
  Queue(callBackCmd, 3);
  ASSERT_EQ(Now(flushCmd), noErr);
  ASSERT_EQ(Now(quietCmd), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_TRUE(gHeard.empty()) << "flushed commands never run";

  ASSERT_EQ(Now(rateMultiplierCmd, 0, 2 << 16), noErr);
  EXPECT_EQ(Now(rateMultiplierCmd, 0, 0), paramErr);
  Queue(bufferCmd, 0, reinterpret_cast<intptr_t>(Buffer()));
  Queue(callBackCmd, 4);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  ASSERT_EQ(Times().size(), 1u);
  EXPECT_NEAR(Times()[0].second, 500, 10);
}

// The queue holds 128 commands; a channel ended by its own callback stops at once; ended
// channels are refused.
TEST_F(SoundChannelTest, QueuesAreBoundedAndChannelsEndSafely) {
  for (int i = 0; i < stdQLength; ++i) ASSERT_EQ(Queue(nullCmd), noErr);
  EXPECT_EQ(Queue(nullCmd), queueFull);
  ASSERT_EQ(Now(flushCmd), noErr);
  Queue(callBackCmd, 1);
  Queue(callBackCmd, 2);
  gDisposeInCallback = chan_;
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  SndChannelPtr gone = chan_;
  chan_ = nullptr;
  ASSERT_EQ(Times().size(), 1u) << "nothing after the channel ended";
  EXPECT_EQ(SndDoCommand(gone, nullptr, false), badChannel);
  EXPECT_EQ(SndDisposeChannel(gone, true), badChannel);
  EXPECT_EQ(SndNewChannel(&chan_, 3, 0, nullptr), badChannel) << "only sampled sound";
  EXPECT_EQ(chan_, nullptr);
}

// There is no sound output device.
TEST(SoundDevicesTest, NoOutputDeviceIsFound) {
  const ComponentDescription sdev{SpFourCC("sdev"), 0, 0, 0, 0};
  EXPECT_EQ(CountComponents(&sdev), 0);
  EXPECT_EQ(FindNextComponent(nullptr, &sdev), nullptr);
  EXPECT_EQ(SndSoundManagerVersion().majorRev, 3);
}

}  // namespace
