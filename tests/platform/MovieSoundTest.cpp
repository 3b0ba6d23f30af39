// A playing movie's sound is heard: SDL's disk driver writes what the device plays to a file
// (16-bit native-endian stereo at 44.1 kHz), compared with the samples of the movie's file.
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>

#include "MoviePlayback.h"
#include "QuickTimeFixture.h"
#include "SoundCommands.h"
#include "TestClock.h"
#include "TestEvents.h"

namespace quicktime_test {
namespace {

constexpr UInt32 kFrames = 66150;  // a second and a half: more blocks than are queued at once

class MovieSound : public QuickTimeTest {
 protected:
  // What the device may have queued ahead of what it played when the movie stopped.
  static constexpr UInt32 kLead = 44100 / 2;
  void SetUp() override {
    sp_testing::ResetEvents();
    QuickTimeTest::SetUp();
    sp_testing::PumpOnTheDevicesTime();
    ASSERT_TRUE(sp_testing::WriteTestAiff(Path("sound.aiff"), 2, 44100, kFrames));
    played_ = Path("played.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", played_.c_str(), 1);
    // A block of 1,024 frames each 23 ms: the device plays in about real time, as the movie's
    // clock runs.
    setenv("SDL_DISKAUDIODELAY", "23", 1);
  }
  void TearDown() override {
    QuickTimeTest::TearDown();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }
  // The frames the device played that are not silent (the disk driver writes silence
  // whenever it runs ahead of the queue; the test file has no silent frame).
  std::vector<std::pair<SInt16, SInt16>> Played() const {
    std::ifstream in(played_, std::ios::binary);
    std::vector<std::pair<SInt16, SInt16>> frames;
    SInt16 f[2];
    while (in.read(reinterpret_cast<char*>(f), sizeof f)) {
      if (f[0] != 0 || f[1] != 0) frames.emplace_back(f[0], f[1]);
    }
    return frames;
  }
  std::string played_;
};

// The movie's sound comes out of the device with the file's samples, from the time it plays
// at, once; a muted movie opens no device.
TEST_F(MovieSound, APlayedSoundFileIsHeardWithItsSamples) {
  struct Case {
    const char* why;
    UInt32 fromFrame;
    SInt16 volume;
    bool heard;
  };
  const Case cases[] = {
      {"played from its start, sample for sample", 0, kFullVolume, true},
      {"played from a time inside it, from that frame", kFrames / 2, kFullVolume, true},
      {"muted, it writes nothing", 0, -kFullVolume, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Movie movie = Open("sound.aiff");
    ASSERT_NE(movie, nullptr);
    SetMovieVolume(movie, c.volume);
    SetMovieTimeValue(movie, TimeValue(UInt64(c.fromFrame) * GetMovieTimeScale(movie) / 44100));
    StartMovie(movie);
    // Its time runs on the clock, with or without a device to hear it: the loop turns until
    // the movie is done (a minute at most), then until its sound has left the device.
    for (int turn = 0; IsMovieDone(movie) == 0 && turn < 6000; ++turn) {
      ASSERT_TRUE(sp_testing::PumpFor(10000));
    }
    ASSERT_TRUE(sp_testing::PumpUntilIdle());
    struct stat st{};
    if (!c.heard) {
      EXPECT_NE(stat(played_.c_str(), &st), 0) << "the device was opened";
      continue;
    }
    const auto played = Played();
    ASSERT_EQ(played.size(), kFrames - c.fromFrame) << "the sound came out once, whole";
    for (UInt32 i = 0; i < played.size(); ++i) {
      ASSERT_EQ(played[i].first, sp_testing::TestSampleValue(c.fromFrame + i, 0)) << i;
      ASSERT_EQ(played[i].second, sp_testing::TestSampleValue(c.fromFrame + i, 1)) << i;
    }
    EXPECT_EQ(IsMovieDone(movie), 1);
    ASSERT_EQ(unlink(played_.c_str()), 0);
  }
}

// Stopping the movie stops its sound; started again, the sound goes on from the movie's time.
TEST_F(MovieSound, StoppingSilencesAndStartingGoesOnFromTheMoviesTime) {
  Movie movie = Open("sound.aiff");
  ASSERT_NE(movie, nullptr);
  StartMovie(movie);
  ASSERT_TRUE(sp_testing::PumpUntil([&] { return GetMovieTime(movie, nullptr) > 0; }));
  StopMovie(movie);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  const auto before = Played();
  EXPECT_LT(before.size(), kFrames - MovieSound::kLead) << "the sound went on after the stop";
  for (UInt32 i = 0; i < before.size(); ++i)
    ASSERT_EQ(before[i].first, sp_testing::TestSampleValue(i, 0)) << i;

  const TimeValue stoppedAt = GetMovieTime(movie, nullptr);
  ASSERT_LT(stoppedAt, GetMovieDuration(movie));
  const UInt32 at = UInt32(UInt64(stoppedAt) * 44100 / UInt64(GetMovieTimeScale(movie)));
  StartMovie(movie);
  ASSERT_TRUE(sp_testing::PumpUntilIdle());
  const auto after = Played();
  ASSERT_FALSE(after.empty());
  // The movie's time (in its own scale, stopped where the real clock was) may fall between
  // two frames: the sound goes on from one next to it.
  UInt32 from = at;
  for (const UInt32 near : {at - 1, at + 1}) {
    if (after[0].first == sp_testing::TestSampleValue(near, 0)) from = near;
  }
  ASSERT_EQ(after.size(), kFrames - from);
  for (UInt32 i = 0; i < after.size(); ++i)
    ASSERT_EQ(after[i].first, sp_testing::TestSampleValue(from + i, 0)) << i;
}

}  // namespace
}  // namespace quicktime_test
