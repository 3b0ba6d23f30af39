// GetMediaSample: groups of samples, their bytes and times, a handle too small, the end.

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "SpTesting.h"

namespace quicktime_test {
namespace {

struct Sample {
  OSErr err = noErr;
  SInt32 size = 0;
  TimeValue time = 0;
  TimeValue duration = 0;
  SInt32 count = 0;
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
    TimeValue t = 0;
    int groups = 0;
    while (t < 1000) {
      const Sample s = Read(media, t, 400);  // 100 frames of 4 bytes
      ASSERT_EQ(s.err, noErr) << "at " << t;
      EXPECT_EQ(s.time, t);
      EXPECT_EQ(s.duration, 1);
      EXPECT_EQ(s.count, std::min<SInt32>(100, 1000 - t));
      ASSERT_EQ(s.size, s.count * 4);
      for (SInt32 f = 0; f < s.count; ++f) {
        for (UInt16 c = 0; c < 2; ++c) {
          const UInt8* p = reinterpret_cast<const UInt8*>(s.bytes.data()) + f * 4 + c * 2;
          const UInt16 v = bigEndian ? sp::LoadBE16(p) : sp::LoadLE16(p);
          ASSERT_EQ(v, UInt16(sp_testing::TestSampleValue(UInt32(t + f), c)))
              << "frame " << t + f << " channel " << c;
        }
      }
      t = s.time + s.duration * s.count;
      ++groups;
    }
    EXPECT_EQ(groups, 10);
    EXPECT_EQ(Read(media, 1000, 400).err, invalidTime);
  }
}

TEST_F(QuickTimeSamplesTest, GroupSizeFollowsTheLimitsGiven) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 10000));
  Media media = SoundMedia(Open("a.aif"));
  ASSERT_NE(media, nullptr);
  struct Case {
    TimeValue time;
    SInt32 maxSize;
    SInt32 maxCount;
    SInt32 count;
  } cases[] = {
      {0, 2, 0, 1},         // one frame fits
      {5, 100, 7, 7},       // the sample count limit
      {9990, 1000, 0, 10},  // the end of the media
      {0, 3, 0, 1},         // an odd byte left over is not filled
  };
  for (const Case& c : cases) {
    const Sample s = Read(media, c.time, c.maxSize, c.maxCount);
    ASSERT_EQ(s.err, noErr);
    EXPECT_EQ(s.count, c.count) << c.time << " " << c.maxSize;
    EXPECT_EQ(s.size, c.count * 2);
  }
  // Without a size, the group is what the file stores together: never empty, never more
  // than what is left.
  const Sample chunk = Read(media, 100, 0);
  ASSERT_EQ(chunk.err, noErr);
  EXPECT_GT(chunk.count, 0);
  EXPECT_LE(chunk.count, 10000 - 100);
}

TEST_F(QuickTimeSamplesTest, TimesOutsideTheMediaAreInvalid) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 100));
  Media media = SoundMedia(Open("a.aif"));
  for (TimeValue t : {-1, 100, 1000000}) EXPECT_EQ(Read(media, t, 1000).err, invalidTime) << t;
  EXPECT_EQ(GetMoviesError(), invalidTime);
  // A handle smaller than one frame asks for growth before anything else.
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("s.wav"), 2, 8000, 100));
  EXPECT_EQ(Read(SoundMedia(Open("s.wav")), 0, 3).err, maxSizeToGrowTooSmall);
}

TEST_F(QuickTimeSamplesTest, ReadingAnEarlierTimeGivesTheSameBytesAgain) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 44100, 20000));
  Media media = SoundMedia(Open("a.aif"));
  const Sample late = Read(media, 15000, 4000);
  const Sample early = Read(media, 10, 4000);
  const Sample lateAgain = Read(media, 15000, 4000);
  ASSERT_EQ(late.err, noErr);
  ASSERT_EQ(early.err, noErr);
  EXPECT_EQ(late.bytes, lateAgain.bytes);
  EXPECT_EQ(sp::LoadBE16(early.bytes.data()), UInt16(sp_testing::TestSampleValue(10, 0)));
}

TEST_F(QuickTimeSamplesTest, FileShorterThanItsHeaderEndsWithoutEmptyGroups) {
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("full.wav"), 1, 8000, 1000));
  // The header still says 1000 frames; 600 are there.
  WriteFile("cut.wav", ReadFile("full.wav").substr(0, 44 + 600 * 2));
  Media media = SoundMedia(Open("cut.wav"));
  ASSERT_NE(media, nullptr);
  TimeValue t = 0;
  OSErr err = noErr;
  SInt32 frames = 0;
  for (int guard = 0; guard < 100; ++guard) {
    const Sample s = Read(media, t, 256);
    err = s.err;
    if (err != noErr) break;
    ASSERT_GT(s.size, 0);
    frames += s.count;
    t = s.time + s.duration * s.count;
  }
  EXPECT_EQ(err, invalidTime);
  EXPECT_EQ(frames, 600);
}

TEST_F(QuickTimeSamplesTest, VaryingPacketsComeOneAtATimeInOrder) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.mp3"), "libmp3lame", 44100, 2, 1.0));
  Media media = SoundMedia(Open("a.mp3"));
  ASSERT_NE(media, nullptr);
  const SInt32 count = GetMediaSampleCount(media);
  TimeValue t = 0;
  SInt32 packets = 0;
  for (;;) {
    const Sample s = Read(media, t, 100000);
    if (s.err != noErr) {
      EXPECT_EQ(s.err, invalidTime);
      break;
    }
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.duration, 1152);
    EXPECT_EQ(s.time, t);
    // Every MPEG audio packet starts with its sync word.
    ASSERT_GE(s.bytes.size(), 4u);
    EXPECT_EQ(UInt8(s.bytes[0]), 0xFF);
    EXPECT_EQ(UInt8(s.bytes[1]) & 0xE0, 0xE0);
    t = s.time + s.duration * s.count;
    ++packets;
  }
  EXPECT_EQ(packets, count);
  EXPECT_EQ(t, GetMediaDuration(media));
  // A time inside a packet gives that packet.
  EXPECT_EQ(Read(media, 1152 + 5, 100000).time, 1152);
}

// The loader's loop: on -2027 the handle grows tenfold and the read is tried again; every
// packet is read once, whatever size the handle started with.
TEST_F(QuickTimeSamplesTest, HandleTooSmallForAPacketAsksToGrowAndLosesNothing) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.m4a"), "aac", 44100, 2, 1.0));
  Media media = SoundMedia(Open("a.m4a"));
  ASSERT_NE(media, nullptr);
  SInt32 handleSize = 4;
  Handle h = NewHandleClear(handleSize);
  TimeValue t = 0;
  SInt32 samples = 0, grown = 0;
  std::string all;
  for (int guard = 0; guard < 10000; ++guard) {
    SInt32 size = 0, n = 0;
    TimeValue st = 0, dps = 0;
    const OSErr err =
        GetMediaSample(media, h, handleSize, &size, t, &st, &dps, nullptr, nullptr, 0, &n, nullptr);
    if (err == maxSizeToGrowTooSmall) {
      handleSize *= 10;
      ++grown;
      DisposeHandle(h);
      h = NewHandleClear(handleSize);
      continue;
    }
    if (err == invalidTime) break;
    ASSERT_EQ(err, noErr);
    ASSERT_LE(size, handleSize);
    all.append(*h, std::size_t(size));
    samples += n;
    t = st + dps * n;
  }
  DisposeHandle(h);
  EXPECT_GE(grown, 2);
  EXPECT_EQ(samples, GetMediaSampleCount(media));
  EXPECT_EQ(t, GetMediaDuration(media));

  // The same packets as read with a large handle from the start.
  std::string direct;
  for (TimeValue u = 0;;) {
    const Sample s = Read(media, u, 1 << 20);
    if (s.err != noErr) break;
    direct += s.bytes;
    u = s.time + s.duration * s.count;
  }
  EXPECT_EQ(all, direct);
}

TEST_F(QuickTimeSamplesTest, FixedPacketGroupsStartAtAPacket) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("a.aifc"), "adpcm_ima_qt", 22050, 1, 0.5));
  Media media = SoundMedia(Open("a.aifc"));
  ASSERT_NE(media, nullptr);
  const Sample s = Read(media, 70, 34 * 3);
  ASSERT_EQ(s.err, noErr);
  EXPECT_EQ(s.time, 64);
  EXPECT_EQ(s.count, 64 * 3);
  EXPECT_EQ(s.size, 34 * 3);
  EXPECT_EQ(Read(media, 0, 33).err, maxSizeToGrowTooSmall);
}

// The loader tells a memory shortage (-108) from the other failures.
TEST_F(QuickTimeSamplesTest, HandleThatCannotGrowIsMemFull) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 2, 8000, 1000));
  Media media = SoundMedia(Open("a.aif"));
  Handle h = NewHandle(0);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(GetMediaSample(media, h, 4000, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0,
                           nullptr, nullptr),
            memFullErr);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(GetMoviesError(), memFullErr);
  // Nothing was lost: the same group comes on the next try.
  SInt32 n = 0;
  TimeValue st = -1;
  EXPECT_EQ(
      GetMediaSample(media, h, 4000, nullptr, 0, &st, nullptr, nullptr, nullptr, 0, &n, nullptr),
      noErr);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(n, 1000);
  DisposeHandle(h);
}

TEST_F(QuickTimeSamplesTest, NullHandleGivesSizesAndTimesOnly) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 100));
  Media media = SoundMedia(Open("a.aif"));
  SInt32 size = 0, n = 0;
  TimeValue st = -1;
  Handle desc = NewHandle(0);
  SInt32 index = 0;
  ASSERT_EQ(GetMediaSample(media, nullptr, 20, &size, 50, &st, nullptr,
                           reinterpret_cast<SampleDescriptionHandle>(desc), &index, 0, &n, nullptr),
            noErr);
  EXPECT_EQ(size, 20);
  EXPECT_EQ(n, 10);
  EXPECT_EQ(st, 50);
  EXPECT_EQ(index, 1);
  EXPECT_EQ((**reinterpret_cast<SoundDescriptionHandle>(desc)).dataFormat, SpFourCC("twos"));
  DisposeHandle(desc);
}

}  // namespace
}  // namespace quicktime_test
