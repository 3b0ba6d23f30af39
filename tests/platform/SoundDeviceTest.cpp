// Sound channels heard through a sound device: SDL's disk driver writes what the device plays
// to a file (16-bit native-endian stereo at 44.1 kHz), which is compared with the sounds the
// channel was given.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "Clock.h"
#include "FileSizeLimit.h"
#include "Sound.h"
#include "SoundCommands.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "quicktime/detail/SoundDevice.h"

namespace {

std::vector<SInt16> gCalled;
SInt16 gQuietAt = -1;
SInt16 gPauseAt = -1;
long gHeardAtCall = -1;  // sound frames in the file at the first callback
std::vector<bool> gOpenAtCall;
std::vector<UInt64> gTimeAtCall;
std::string gFile;

UInt64 NowMicroseconds() {
  UnsignedWide now;
  Microseconds(&now);
  return (UInt64(now.hi) << 32) | now.lo;
}

long FileBytes(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

long SoundFramesIn(const std::string& path);

void Heard(SndChannelPtr chan, SndCommand* cmd) {
  gCalled.push_back(cmd->param1);
  gOpenAtCall.push_back(sp_platform::quicktime::SoundDeviceIsOpen());
  gTimeAtCall.push_back(NowMicroseconds());
  if (gHeardAtCall < 0) gHeardAtCall = SoundFramesIn(gFile);
  SndCommand now{0, 0, 0};
  if (cmd->param1 == gQuietAt) now.cmd = quietCmd;
  if (cmd->param1 == gPauseAt) now.cmd = pauseCmd;
  if (now.cmd != 0) SndDoImmediate(chan, &now);
}

// A stereo frame as the device plays it.
struct Frame {
  SInt16 left, right;
};

// The frames of the file that are not silent.
long SoundFramesIn(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  long count = 0;
  Frame f{};
  while (in.read(reinterpret_cast<char*>(&f), sizeof f)) count += f.left != 0 || f.right != 0;
  return count;
}

class SoundDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetEvents();
    sp_testing::PumpOnTheDevicesTime();
    char pattern[] = "/tmp/sp-sound-device-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    gFile = dir_ + "/played.raw";
    gCalled.clear();
    gOpenAtCall.clear();
    gTimeAtCall.clear();
    gQuietAt = gPauseAt = -1;
    gHeardAtCall = -1;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", gFile.c_str(), 1);
    // The disk driver waits this many milliseconds per block it writes.
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    ASSERT_EQ(SndNewChannel(&chan_, sampledSynth, initStereo, NewSndCallBackUPP(Heard)), noErr);
  }
  void TearDown() override {
    if (chan_ != nullptr) SndDisposeChannel(chan_, true);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Extended header over 16-bit big-endian samples (`channels` interleaved).
  intptr_t Ext16(const std::vector<SInt16>& samples, UInt32 channels, UnsignedFixed rate) {
    std::vector<UInt8>& bytes = Keep(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      bytes[2 * i] = UInt8(UInt16(samples[i]) >> 8);
      bytes[2 * i + 1] = UInt8(samples[i]);
    }
    ExtSoundHeader& h = NewHeader<ExtSoundHeader>(bytes, extSH, channels, rate);
    h.numFrames = UInt32(samples.size() / channels);
    h.sampleSize = 16;
    return reinterpret_cast<intptr_t>(&h);
  }
  // Standard header over 8-bit offset-binary mono samples.
  intptr_t Std8(const std::vector<UInt8>& samples, UnsignedFixed rate) {
    std::vector<UInt8>& bytes = Keep(samples.size());
    bytes = samples;
    ExtSoundHeader& h = NewHeader<ExtSoundHeader>(bytes, stdSH, UInt32(samples.size()), rate);
    return reinterpret_cast<intptr_t>(&h);
  }
  // Compressed-sound header over mono samples in `format`, stored as given.
  intptr_t Cmp(const std::vector<UInt8>& samples, OSType format, UInt16 sampleSize, UInt32 frames,
               UnsignedFixed rate, SInt16 compressionID = notCompressed) {
    std::vector<UInt8>& bytes = Keep(samples.size());
    bytes = samples;
    CmpSoundHeader& h = NewHeader<CmpSoundHeader>(bytes, cmpSH, 1, rate);
    h.numFrames = frames;
    h.format = format;
    h.sampleSize = sampleSize;
    h.compressionID = compressionID;
    return reinterpret_cast<intptr_t>(&h);
  }

  OSErr Queue(UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
    return sp_testing::QueueSound(chan_, cmd, param1, param2);
  }
  OSErr Now(UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
    return sp_testing::SoundNow(chan_, cmd, param1, param2);
  }

  // What the device played: the file's frames that are not silent. The disk driver writes
  // faster than a sound card plays, and may run past what was queued (silence a test's sounds
  // never hold): the silence between sounds is not compared.
  static std::vector<Frame> Played() {
    std::ifstream in(gFile, std::ios::binary);
    std::vector<Frame> frames;
    Frame f{};
    while (in.read(reinterpret_cast<char*>(&f), sizeof f)) {
      if (f.left != 0 || f.right != 0) frames.push_back(f);
    }
    return frames;
  }

  SndChannelPtr chan_ = nullptr;
  std::string dir_;

 private:
  std::vector<UInt8>& Keep(std::size_t size) {
    data_.emplace_back(size);
    return data_.back();
  }
  template <typename Header>
  Header& NewHeader(std::vector<UInt8>& bytes, UInt8 encode, UInt32 channels, UnsignedFixed rate) {
    headers_.emplace_back(sizeof(Header), 0);
    auto& h = *reinterpret_cast<Header*>(headers_.back().data());
    h.samplePtr = reinterpret_cast<Ptr>(bytes.data());
    h.numChannels = channels;
    h.sampleRate = rate;
    h.encode = encode;
    return h;
  }
  std::deque<std::vector<UInt8>> data_;
  std::deque<std::vector<UInt8>> headers_;
};

// A ramp that never passes through silence (silence is not compared).
std::vector<SInt16> Ramp(std::size_t count, SInt16 from, SInt16 step) {
  std::vector<SInt16> r(count);
  for (std::size_t i = 0; i < count; ++i) r[i] = SInt16(from + SInt32(i % 300) * step);
  return r;
}

// Expects `played` from `at` to hold `expected` (within `tolerance`: SDL converts samples
// of other sizes through floats, which may move a sample by one step of its size).
void ExpectFrames(const std::vector<Frame>& played, std::size_t at,
                  const std::vector<Frame>& expected, int tolerance, const char* why) {
  ASSERT_GE(played.size(), at + expected.size()) << why;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Frame& p = played[at + i];
    ASSERT_NEAR(p.left, expected[i].left, tolerance) << why << ", frame " << i;
    ASSERT_NEAR(p.right, expected[i].right, tolerance) << why << ", frame " << i;
  }
}


// Each kind of buffer comes out of the device as the samples it holds, once, and its callback
// comes after the device played them.
TEST_F(SoundDeviceTest, BuffersComeOutWithTheirSamples) {
  struct Case {
    const char* why;
    std::function<intptr_t()> buffer;
    Fixed rateMultiplier;
    std::vector<Frame> expected;
    int tolerance;
  };
  const std::vector<SInt16> left = Ramp(4410, 1000, 7), right = Ramp(4410, -2000, -5);
  std::vector<SInt16> stereo;
  std::vector<Frame> stereoFrames;
  for (std::size_t i = 0; i < left.size(); ++i) {
    stereo.insert(stereo.end(), {left[i], right[i]});
    stereoFrames.push_back({left[i], right[i]});
  }
  std::vector<UInt8> offsetBinary;
  std::vector<Frame> offsetFrames;
  for (int i = 0; i < 3000; ++i) {
    offsetBinary.push_back(UInt8(10 + i % 117));
    const SInt16 v = SInt16((10 + i % 117 - 128) * 256);
    offsetFrames.push_back({v, v});
  }
  std::vector<UInt8> littleEndian;
  std::vector<Frame> littleFrames;
  for (SInt16 v : Ramp(3000, 500, 11)) {
    littleEndian.insert(littleEndian.end(), {UInt8(v), UInt8(UInt16(v) >> 8)});
    littleFrames.push_back({v, v});
  }
  const std::vector<Case> cases = {
      {"16-bit big-endian stereo at the device's rate plays sample for sample",
       [&] { return Ext16(stereo, 2, rate44khz); }, 0x10000, stereoFrames,
       0},
      {"8-bit offset-binary mono is centred on silence and heard on both sides",
       [&] { return Std8(offsetBinary, rate44khz); }, 0x10000,
       offsetFrames, 256},
      {"little-endian samples at half the rate played twice as fast keep their samples",
       [&] {
         return Cmp(littleEndian, k16BitLittleEndianFormat, 16, 3000, rate22050hz);
       },
       0x20000, littleFrames, 0},
      {"compressed samples the device cannot play last their length in silence",
       [&] {
         return Cmp(offsetBinary, kIMACompression, 16, 3000, rate44khz, fixedCompression);
       },
       0x10000, {}, 0},
      {"more channels than a sound has are not read as fewer: silence",
       [&] { return Ext16(std::vector<SInt16>(9 * 300, 1234), 9, rate44khz); }, 0x10000, {}, 0},
  };
  // The device takes a block each 25 ms, about as a sound card does: a callback that came when
  // the device took the sound's last block, not when it let it out, would find that block
  // missing from the file.
  setenv("SDL_DISKAUDIODELAY", "25", 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    gCalled.clear();
    gHeardAtCall = -1;
    ASSERT_EQ(Now(rateMultiplierCmd, 0, c.rateMultiplier), noErr);
    ASSERT_EQ(Queue(bufferCmd, 0, c.buffer()), noErr);
    ASSERT_EQ(Queue(callBackCmd, 1), noErr);
    ASSERT_TRUE(sp_testing::PumpUntilIdle());
    ASSERT_EQ(gCalled, std::vector<SInt16>{1});
    // The disk driver writes each block SDL takes through a buffer of a block, as a sound
    // server holds a block while the next is taken: at the callback the sound is in the file.
    EXPECT_EQ(gHeardAtCall, long(c.expected.size()))
        << "the callback came before the device played the sound";
    const std::vector<Frame> played = Played();
    ExpectFrames(played, 0, c.expected, c.tolerance, c.why);
    EXPECT_EQ(played.size(), c.expected.size()) << "the sound came out once";
  }
}

// Quieting from a callback cuts the sound that began there; the commands after it follow at
// once, so the long sound is hardly heard.
TEST_F(SoundDeviceTest, QuietCutsTheSoundTheDeviceHasNotPlayed) {
  const std::vector<SInt16> a = Ramp(2000, 300, 3), c = Ramp(2000, -300, -3);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(a, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(std::vector<SInt16>(88200, 7), 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 2), noErr);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(c, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 3), noErr);
  gQuietAt = 1;
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled, (std::vector<SInt16>{1, 2, 3}));
  const std::vector<Frame> played = Played();
  std::vector<Frame> expectA, expectC;
  for (SInt16 v : a) expectA.push_back({v, v});
  for (SInt16 v : c) expectC.push_back({v, v});
  ExpectFrames(played, 0, expectA, 0, "the first sound");
  std::size_t at = expectA.size();
  while (at < played.size() && played[at].left == 7) ++at;
  // What was queued ahead when the callback came may be heard (a fifth of a second at most),
  // not the two seconds.
  EXPECT_LT(at - expectA.size(), 22050u) << "the quieted sound went on";
  ExpectFrames(played, at, expectC, 0, "the sound after the quieted one");
  EXPECT_EQ(played.size(), at + expectC.size());
}

// A pause takes back what the device has not played; the sound resumes at the frame where it
// stopped, so the two sessions together hold it exactly once.
TEST_F(SoundDeviceTest, PauseAndResumeContinueWhereTheDeviceStopped) {
  const std::vector<SInt16> a = Ramp(2000, 300, 3), b = Ramp(20000, -1000, 13);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(a, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(b, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 2), noErr);
  gPauseAt = 1;
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  ASSERT_EQ(gCalled, std::vector<SInt16>{1}) << "nothing moves while paused";
  std::vector<Frame> heard = Played();
  ASSERT_GE(heard.size(), a.size());
  heard.erase(heard.begin(), heard.begin() + long(a.size()));

  ASSERT_EQ(Now(resumeCmd), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  ASSERT_EQ(gCalled, (std::vector<SInt16>{1, 2}));
  const std::vector<Frame> rest = Played();
  heard.insert(heard.end(), rest.begin(), rest.end());
  std::vector<Frame> expectB;
  for (SInt16 v : b) expectB.push_back({v, v});
  ExpectFrames(heard, 0, expectB, 0, "the paused sound, before and after");
  EXPECT_EQ(heard.size(), expectB.size());
}

// Two channels play at once into the one device: their samples add up. A channel ended
// while it plays takes its sound out of what the device has queued; the other's stays.
TEST_F(SoundDeviceTest, ChannelsAreMixedAndAnEndedOneLeavesTheOthers) {
  SndChannelPtr other = nullptr;
  ASSERT_EQ(SndNewChannel(&other, sampledSynth, initStereo, NewSndCallBackUPP(Heard)), noErr);
  auto play = [&](SndChannelPtr chan, std::size_t frames, SInt16 value, SInt16 call) {
    ASSERT_EQ(sp_testing::QueueSound(chan, bufferCmd, 0,
                                     Ext16(std::vector<SInt16>(frames, value), 1, rate44khz)),
              noErr);
    ASSERT_EQ(sp_testing::QueueSound(chan, callBackCmd, call), noErr);
  };
  play(chan_, 4410, 1000, 1);
  play(other, 4410, 2000, 2);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled.size(), 2u);
  std::vector<Frame> played = Played();
  ExpectFrames(played, 0, std::vector<Frame>(4410, Frame{3000, 3000}), 0, "started together");
  EXPECT_EQ(played.size(), 4410u);

  // The device is slowed to a block each 20 ms, so that little of what one feed queued is
  // played when the channel ends (a fifth of a second is queued; without taking it back all
  // of it would be heard mixed). The channel ends once the device has begun to play the two
  // mixed; after that the device plays at most what it had taken from the queue: a block
  // being written and a block buffered.
  setenv("SDL_DISKAUDIODELAY", "20", 1);
  gCalled.clear();
  play(chan_, 13230, 1000, 1);
  play(other, 44100, 2000, 2);
  const auto heardMixed = [] {
    std::size_t mixed = 0;
    for (const Frame& f : Played()) mixed += f.left == 3000 ? 1 : 0;
    return mixed;
  };
  ASSERT_TRUE(sp_testing::PumpUntil([&] { return heardMixed() > 0; }));
  const std::size_t mixedWhenEnded = heardMixed();
  ASSERT_EQ(SndDisposeChannel(other, true), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled, std::vector<SInt16>{1}) << "an ended channel calls nothing";
  std::size_t both = 0, first = 0;
  for (const Frame& f : Played()) {
    ASSERT_EQ(f.left, f.right);
    ASSERT_TRUE(f.left == 3000 || f.left == 1000) << "neither the sound nor the sum: " << f.left;
    ++(f.left == 3000 ? both : first);
  }
  EXPECT_EQ(both + first, 13230u) << "the other channel's sound is heard whole";
  EXPECT_LE(both, mixedWhenEnded + 2048) << "the ended channel's queued sound was heard";
}

// A sound that follows soon after the last one ended plays on the same opening of the device
// (the disk driver starts its file anew at each opening).
TEST_F(SoundDeviceTest, ASoundSoonAfterTheLastOnePlaysWithoutANewOpening) {
  const std::vector<SInt16> a = Ramp(2000, 300, 3), b = Ramp(2000, -300, -3);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(a, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !gCalled.empty(); }));
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(b, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 2), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled, (std::vector<SInt16>{1, 2}));
  std::vector<Frame> both;
  for (SInt16 v : a) both.push_back({v, v});
  for (SInt16 v : b) both.push_back({v, v});
  const std::vector<Frame> played = Played();
  ExpectFrames(played, 0, both, 0, "both sounds, one after the other");
  EXPECT_EQ(played.size(), both.size());
}

// Channels mixed at and past full scale are clipped to the largest sample of each sign, never
// wrapped round to the other sign; samples within it add up exactly.
TEST_F(SoundDeviceTest, MixingClipsAtFullScale) {
  SndChannelPtr other = nullptr;
  ASSERT_EQ(SndNewChannel(&other, sampledSynth, initStereo, NewSndCallBackUPP(Heard)), noErr);
  const struct {
    SInt16 a, b, mixed;
  } cases[] = {
      {16384, 16383, 32767}, {30000, 30000, 32767},    {32767, 1, 32767},  {-16384, -16384, -32768},
      {-30000, -30000, -32768}, {-32768, -1, -32768}, {32767, -32768, -1},
  };
  // Buffers of one length on both channels, queued before the device starts, stay side by
  // side: the device plays each pair's mix in turn.
  std::vector<Frame> expected;
  for (const auto& c : cases) {
    ASSERT_EQ(Queue(bufferCmd, 0, Ext16(std::vector<SInt16>(2205, c.a), 1, rate44khz)), noErr);
    ASSERT_EQ(sp_testing::QueueSound(other, bufferCmd, 0,
                                     Ext16(std::vector<SInt16>(2205, c.b), 1, rate44khz)),
              noErr);
    expected.insert(expected.end(), 2205, Frame{c.mixed, c.mixed});
  }
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_EQ(sp_testing::QueueSound(other, callBackCmd, 2), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled.size(), 2u);
  const std::vector<Frame> played = Played();
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(std::to_string(cases[i].a) + " + " + std::to_string(cases[i].b));
    ExpectFrames(played, i * 2205,
                 std::vector<Frame>(expected.begin() + long(i * 2205),
                                    expected.begin() + long((i + 1) * 2205)),
                 0, "mixed");
  }
  EXPECT_EQ(played.size(), expected.size());
  ASSERT_EQ(SndDisposeChannel(other, true), noErr);
}

// Asking whether sound is heard opens the device; when no sound follows it is closed again (so
// that the sound server's output may sleep). A sound that follows soon plays on that opening.
TEST_F(SoundDeviceTest, TheDeviceOpenedByAskingIsClosedWhenNoSoundFollows) {
  namespace qt = sp_platform::quicktime;
  ASSERT_TRUE(qt::SoundChannelsAreHeard());
  EXPECT_TRUE(qt::SoundDeviceIsOpen());
  ASSERT_TRUE(sp_testing::PumpUntil([] { return !qt::SoundDeviceIsOpen(); }));
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0) << "nothing waits once it is closed";

  ASSERT_TRUE(qt::SoundChannelsAreHeard());
  const std::vector<SInt16> a = Ramp(2000, 300, 3);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(a, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 1), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled, std::vector<SInt16>{1});
  EXPECT_EQ(gOpenAtCall, std::vector<bool>{true});
  EXPECT_FALSE(qt::SoundDeviceIsOpen());
  std::vector<Frame> expected;
  for (SInt16 v : a) expected.push_back({v, v});
  ExpectFrames(Played(), 0, expected, 0, "the sound after the question");
}

// A device that goes away while it plays (the disk driver's writes fail past a file size, as a
// device unplugged) is dropped: the channel plays on on the clock from where the device
// stopped, its callbacks come in order and in time, and a later sound opens a device again.
TEST_F(SoundDeviceTest, ADeviceThatGoesAwayIsDroppedAndTheChannelPlaysOnOnTheClock) {
  namespace qt = sp_platform::quicktime;
  UInt64 dropped = 0;
  {
    FileSizeLimit limit(65536);  // 16384 frames
    ASSERT_TRUE(limit.Ok());
    ASSERT_EQ(Queue(bufferCmd, 0, Ext16(std::vector<SInt16>(44100, 5), 1, rate44khz)), noErr);
    ASSERT_EQ(Queue(callBackCmd, 1), noErr);
    ASSERT_EQ(Queue(bufferCmd, 0, Ext16(std::vector<SInt16>(22050, 6), 1, rate44khz)), noErr);
    ASSERT_EQ(Queue(callBackCmd, 2), noErr);
    // The last time the device was seen open comes before it was dropped, however late
    // this loop runs: the times below are lower bounds measured from it.
    UInt64 lastSeenOpen = 0;
    ASSERT_TRUE(sp_testing::PumpUntil([&] {
      if (qt::SoundDeviceIsOpen()) lastSeenOpen = NowMicroseconds();
      return lastSeenOpen != 0 && !qt::SoundDeviceIsOpen();
    }));
    dropped = lastSeenOpen;
  }
  ASSERT_TRUE(sp_testing::PumpUntil([] { return gCalled.size() == 2; }));
  EXPECT_EQ(gCalled, (std::vector<SInt16>{1, 2}));
  EXPECT_EQ(gOpenAtCall, (std::vector<bool>{false, false}));
  // At most 16384 frames of the first sound were heard: the rest of it (0.63 s or more) plays
  // on the clock, and the second sound its half second after that. Each is measured from the
  // drop, never between two callbacks that may both come late.
  EXPECT_GE(gTimeAtCall[0] - dropped, UInt64(27716) * 1000000 / 44100 - 20000);
  EXPECT_GE(gTimeAtCall[1] - dropped, UInt64(27716 + 22050) * 1000000 / 44100 - 20000);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());

  gCalled.clear();
  gOpenAtCall.clear();
  const std::vector<SInt16> b = Ramp(2000, -300, -3);
  ASSERT_EQ(Queue(bufferCmd, 0, Ext16(b, 1, rate44khz)), noErr);
  ASSERT_EQ(Queue(callBackCmd, 3), noErr);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  EXPECT_EQ(gCalled, std::vector<SInt16>{3});
  EXPECT_EQ(gOpenAtCall, std::vector<bool>{true}) << "the next sound opens a device again";
  std::vector<Frame> expected;
  for (SInt16 v : b) expected.push_back({v, v});
  ExpectFrames(Played(), 0, expected, 0, "the sound after the device came back");
}

// Without a device the channel keeps its time on the clock, silently.
TEST_F(SoundDeviceTest, WithoutADeviceChannelsPlayOnTheClock) {
  // Nothing plays in real time here: the virtual clock measures the sound's length exactly.
  sp_testing::VirtualClockScope clock(3160987200LL);
  struct Case {
    const char* why;
    const char* driver;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"a driver the system lacks", "no-such-driver", gFile},
      {"a device that cannot be opened", "disk", dir_ + "/missing/played.raw"},
      {"the dummy driver, which plays nothing", "dummy", gFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    setenv("SDL_AUDIODRIVER", c.driver, 1);
    setenv("SDL_DISKAUDIOFILE", c.file.c_str(), 1);
    gCalled.clear();
    const UInt64 before = NowMicroseconds();
    ASSERT_EQ(Queue(bufferCmd, 0, Ext16(std::vector<SInt16>(44100, 9), 1, rate44khz)), noErr);
    ASSERT_EQ(Queue(callBackCmd, 1), noErr);
    ASSERT_TRUE(sp_testing::PumpUntilIdle());
    ASSERT_EQ(gCalled, std::vector<SInt16>{1});
    EXPECT_NEAR(double(NowMicroseconds() - before) / 1000.0, 1000.0, 10.0);
    EXPECT_EQ(FileBytes(gFile), -1) << "nothing was written";
  }
}

}  // namespace
