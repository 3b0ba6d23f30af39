// GetMediaSample: groups of samples, their bytes and times, a handle too small, the end.

#include <functional>
#include <vector>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "SpTesting.h"

namespace quicktime_test {
namespace {

struct Sample {
  OSErr err = noErr;
  SInt32 size = 0, count = 0;
  TimeValue time = 0, duration = 0;
  std::string bytes;
};

Sample Read(Media media, TimeValue time, SInt32 maxSize, SInt32 maxCount = 0) {
  Sample s;
  Handle h = NewHandle(0);
  s.err = GetMediaSample(media, h, maxSize, &s.size, time, &s.time, &s.duration, nullptr, nullptr,
                         maxCount, &s.count, nullptr);
  if (s.err == noErr) s.bytes.assign(*h, std::size_t(GetHandleSize(h)));
  DisposeHandle(h);
  return s;
}

// Reads group after group from time 0 until a read fails; each group must start where the
// last one ended and hold something. Returns the failure; `frames` counts what was read.
OSErr ReadToEnd(Media media, SInt32 maxSize, TimeValue* end, SInt32* frames,
                const std::function<void(const Sample&)>& each = nullptr) {
  *end = 0;
  *frames = 0;
  for (int guard = 0; guard < 100000; ++guard) {
    const Sample s = Read(media, *end, maxSize);
    if (s.err != noErr) return s.err;
    EXPECT_EQ(s.time, *end);
    EXPECT_GT(s.size, 0);
    if (each) each(s);
    *frames += s.count;
    *end = s.time + s.duration * s.count;
  }
  return -1;
}

class QuickTimeSamplesTest : public QuickTimeTest {};

// Bytes out of order, a group starting at the wrong frame or a frame lost between groups
// breaks the comparison with the values the file was written with.
TEST_F(QuickTimeSamplesTest, LinearGroupsFollowEachOtherWithTheFileBytes) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 44100, 1000));
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("a.wav"), 2, 44100, 1000));
  for (const char* name : {"a.aif", "a.wav"}) {
    SCOPED_TRACE(name);
    const bool bigEndian = std::string(name) == "a.aif";
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    int groups = 0;
    TimeValue end = 0;
    SInt32 frames = 0;
    auto check = [&](const Sample& s) {
      ++groups;
      ASSERT_TRUE(s.duration == 1 && s.count == std::min<SInt32>(100, 1000 - s.time) &&
                  s.size == s.count * 4);  // 100 frames of 4 bytes
      for (SInt32 i = 0; i < s.count * 2; ++i) {
        const UInt8* p = reinterpret_cast<const UInt8*>(s.bytes.data()) + i * 2;
        ASSERT_EQ(bigEndian ? sp::LoadBE16(p) : sp::LoadLE16(p),
                  UInt16(sp_testing::TestSampleValue(UInt32(s.time + i / 2), UInt16(i % 2))))
            << "frame " << s.time + i / 2;
      }
    };
    EXPECT_EQ(ReadToEnd(media, 400, &end, &frames, check), invalidTime);
    EXPECT_TRUE(groups == 10 && frames == 1000) << groups << " " << frames;
    // An earlier time after a later one gives its bytes again.
    EXPECT_EQ(Read(media, 10, 400).bytes.substr(0, 40), Read(media, 0, 400).bytes.substr(40, 40));
  }
}

TEST_F(QuickTimeSamplesTest, GroupSizeFollowsTheLimitsGivenAndFailuresLoseNothing) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 10000));
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("s.wav"), 2, 8000, 100));
  Media media = SoundMedia(Open("a.aif"));
  Media stereo = SoundMedia(Open("s.wav"));
  ASSERT_NE(media, nullptr);
  const struct {
    Media media;
    TimeValue time;
    SInt32 maxSize, maxCount;
    OSErr err;
    SInt32 count;  // frames of 2 bytes
    const char* why;
  } cases[] = {
      {media, 0, 2, 0, noErr, 1, "one frame fits"},
      {media, 0, 3, 0, noErr, 1, "an odd byte left over is not filled"},
      {media, 5, 100, 7, noErr, 7, "the sample count limit"},
      {media, 9990, 1000, 0, noErr, 10, "the end of the media"},
      {media, 9999, 1000, 0, noErr, 1, "the last frame"},
      {media, 10000, 1000, 0, invalidTime, 0, "just past the end"},
      {media, -1, 1000, 0, invalidTime, 0, "before the start"},
      {stereo, 0, 3, 0, maxSizeToGrowTooSmall, 0, "a handle smaller than one frame"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const Sample s = Read(c.media, c.time, c.maxSize, c.maxCount);
    ASSERT_EQ(s.err, c.err);
    EXPECT_TRUE(s.count == c.count && s.size == c.count * 2) << s.count;
    EXPECT_TRUE(c.err == noErr || GetMoviesError() == c.err);
  }
  // Without a size, the group is what the file stores together: never empty, never more
  // than what is left.
  const Sample chunk = Read(media, 100, 0);
  EXPECT_TRUE(chunk.count > 0 && chunk.count <= 10000 - 100) << chunk.count;
  // A memory shortage (-108) is told from the other failures, and loses nothing.
  sp_testing::FailNthAllocation(2);  // the first is Read's own handle
  const Sample failed = Read(media, 0, 4000);
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(failed.err == memFullErr && GetMoviesError() == memFullErr);
  EXPECT_EQ(Read(media, 0, 4000).count, 2000) << "nothing was lost";
  // Without a handle: sizes, times and the description only.
  SInt32 size = 0, n = 0, index = 0;
  TimeValue st = -1;
  Handle desc = NewHandle(0);
  ASSERT_EQ(GetMediaSample(media, nullptr, 20, &size, 50, &st, nullptr,
                           reinterpret_cast<SampleDescriptionHandle>(desc), &index, 0, &n, nullptr),
            noErr);
  EXPECT_EQ(std::vector<SInt32>({size, n, st, index}), std::vector<SInt32>({20, 10, 50, 1}));
  EXPECT_EQ((**reinterpret_cast<SoundDescriptionHandle>(desc)).dataFormat, SpFourCC("twos"));
  DisposeHandle(desc);
  // A file shorter than its header ends without empty groups.
  WriteFile("cut.wav", ReadFile("s.wav").substr(0, 44 + 60 * 4));  // header: 100 frames
  TimeValue end = 0;
  SInt32 frames = 0;
  EXPECT_EQ(ReadToEnd(SoundMedia(Open("cut.wav")), 256, &end, &frames), invalidTime);
  EXPECT_EQ(frames, 60);
}

// Packets of varying size come one at a time, in order. The loader's loop: on -2027 the
// handle grows tenfold and the read is tried again; every packet is read once, whatever size
// the handle started with.
TEST_F(QuickTimeSamplesTest, VaryingPacketsComeWholeThroughAHandleThatGrows) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.mp3"), "libmp3lame", 44100, 2, 1.0));
  Media media = SoundMedia(Open("a.mp3"));
  ASSERT_NE(media, nullptr);
  SInt32 handleSize = 4, grown = 0, packets = 0;
  std::string all, direct;
  TimeValue t = 0;
  while (grown < 100) {
    const Sample s = Read(media, t, handleSize);
    if (s.err == maxSizeToGrowTooSmall) {
      handleSize *= 10;
      ++grown;
      continue;
    }
    if (s.err != noErr) break;
    ASSERT_LE(s.size, handleSize);
    EXPECT_EQ(std::vector<SInt32>({s.time, s.count, s.duration}),
              std::vector<SInt32>({t, 1, 1152}));
    ASSERT_GE(s.bytes.size(), 4u);  // each MPEG audio packet starts with its sync word
    EXPECT_EQ(sp::LoadBE16(s.bytes.data()) & 0xFFE0, 0xFFE0);
    all += s.bytes;
    t = s.time + s.duration * s.count;
    ++packets;
  }
  EXPECT_TRUE(grown >= 2 && packets == GetMediaSampleCount(media) && t == GetMediaDuration(media));
  ReadToEnd(media, 1 << 20, &t, &packets, [&](const Sample& s) { direct += s.bytes; });
  EXPECT_EQ(all, direct) << "the same packets as read with a large handle";
  EXPECT_EQ(Read(media, 1152 + 5, 100000).time, 1152) << "a time inside a packet gives it";
}

TEST_F(QuickTimeSamplesTest, FixedPacketGroupsStartAtAPacket) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.aifc"), "adpcm_ima_qt", 22050, 1, 0.5));
  Media media = SoundMedia(Open("a.aifc"));
  ASSERT_NE(media, nullptr);
  const Sample s = Read(media, 70, 34 * 3);
  EXPECT_EQ(std::vector<SInt32>({s.err, s.time, s.count, s.size}),
            std::vector<SInt32>({noErr, 64, 64 * 3, 34 * 3}));
  EXPECT_EQ(Read(media, 0, 33).err, maxSizeToGrowTooSmall);
}

}  // namespace
}  // namespace quicktime_test
