// Disc-position arithmetic (conversions, signed sums and differences, carries at 75 frames and
// 60 seconds, ordering, seconds and byte offsets) and track-file lists compared: a rescan of a
// disc tells changed track files from renamed titles.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpCDDiscPosition.h"
#include "SpCDTOCInfoObject.h"

namespace {

// "m:s:f", "-" in front for a negative position.
std::string Text(const cDiscPosition& p) {
  return (p.negative ? "-" : "") + std::to_string(p.minutes) + ":" + std::to_string(p.seconds) +
         ":" + std::to_string(p.frames);
}
cDiscPosition Pos(UInt32 m, UInt32 s, UInt32 f, UInt8 negative = 0) {
  return cDiscPosition(m, s, f, negative);
}
const cDiscPosition kDirty(9, 9, 9, 1);  // what an output holds before a call

TEST(DiscPositionTest, SectorCountsConvertBothWaysWithCarriesAndSign) {
  const struct {
    SInt32 sectors;
    const char* pos;
  } cases[] = {
      {0, "0:0:0"},       {74, "0:0:74"},
      {75, "0:1:0"},      {4499, "0:59:74"},
      {4500, "1:0:0"},    {4653, "1:2:3"},
      {-76, "-0:1:1"},    {-4653, "-1:2:3"},
      {333000, "74:0:0"}, {INT_MAX, "477218:35:22"},
  };
  for (const auto& c : cases) {
    cDiscPosition p = kDirty;
    Sp_SectorToCDPosition(c.sectors, &p);
    EXPECT_EQ(Text(p), c.pos) << c.sectors;
    EXPECT_EQ(c.sectors, Sp_CDPositionToSector(&p)) << c.sectors;
  }
  // The most negative count has no positive twin in 32 bits; its magnitude must not wrap.
  cDiscPosition lowest;
  Sp_SectorToCDPosition(INT_MIN, &lowest);
  EXPECT_EQ(Text(lowest), "-477218:35:23");
  // Unnormalised fields count as their sectors; absurd ones are held at the 32-bit limit.
  cDiscPosition sixtySeconds(0, 60, 0), oneMinute(1, 0, 0), huge(0xFFFFFFFFu, 59, 74);
  EXPECT_EQ(4500, Sp_CDPositionToSector(&sixtySeconds));
  EXPECT_EQ(0, Sp_CDPositionComp(&sixtySeconds, &oneMinute, nullptr));
  EXPECT_EQ(INT_MAX, Sp_CDPositionToSector(&huge));
}

TEST(DiscPositionTest, ComparisonOrdersPositionsAndTellsWithinOneSecond) {
  const struct {
    cDiscPosition a, b;
    SInt32 result;
    unsigned char within;
  } cases[] = {
      {Pos(0, 0, 10), Pos(0, 0, 5), 1, 1},      {Pos(0, 0, 5), Pos(0, 0, 10), -1, 1},
      {Pos(0, 1, 0), Pos(0, 0, 0), 1, 0},   // 75 frames is a whole second
      {Pos(0, 0, 74), Pos(0, 0, 0), 1, 1},  // 74 frames is not
      {Pos(3, 2, 1), Pos(3, 2, 1), 0, 0},       {Pos(0, 0, 1, 1), Pos(0, 0, 1), -1, 1},
      {Pos(0, 0, 1), Pos(0, 0, 1, 1), 1, 1},    {Pos(0, 2, 0, 1), Pos(0, 1, 0, 1), -1, 0},
      {Pos(0, 0, 1, 1), Pos(0, 0, 3, 1), 1, 1}, {Pos(0, 0, 0, 1), Pos(0, 0, 0), -1, 0},
      {Pos(0, 0, 0), Pos(0, 0, 0, 1), 1, 0},    {Pos(70, 0, 0), Pos(0, 0, 0, 1), 1, 0},
  };
  for (const auto& c : cases) {
    unsigned char within = 7;
    EXPECT_EQ(c.result, Sp_CDPositionComp(&c.a, &c.b, &within)) << Text(c.a) << " " << Text(c.b);
    EXPECT_EQ(c.within, within) << Text(c.a) << " " << Text(c.b);
  }
}

TEST(DiscPositionTest, SumsDistancesAndSectorStepsCarryBorrowAndCrossZero) {
  enum Op { kAdd, kDiff, kAddSectors, kSubSectors, kDiffSectors };
  const struct {
    Op op;
    cDiscPosition a, b;  // b.frames is the sector count of the sector steps
    const char* want;
  } cases[] = {
      {kAdd, Pos(0, 59, 74), Pos(0, 0, 1), "1:0:0"},  // frame and second carry
      {kAdd, Pos(1, 30, 40), Pos(2, 45, 50), "4:16:15"},
      {kAdd, Pos(0, 0, 10, 1), Pos(0, 0, 5, 1), "-0:0:15"},
      {kAdd, Pos(1, 0, 0), Pos(0, 0, 1, 1), "0:59:74"},   // borrow across minute
      {kAdd, Pos(0, 0, 1), Pos(1, 0, 0, 1), "-0:59:74"},  // b's sign wins
      {kAdd, Pos(0, 5, 0, 1), Pos(0, 5, 0), "0:0:0"},     // cancel to an unflagged zero
      {kDiff, Pos(1, 0, 0), Pos(0, 0, 1), "0:59:74"},
      {kDiff, Pos(0, 0, 1), Pos(1, 0, 0), "0:59:74"},        // distance, not signed
      {kDiff, Pos(0, 0, 10, 1), Pos(0, 0, 4, 1), "-0:0:6"},  // common flag kept
      {kDiff, Pos(0, 0, 10, 1), Pos(0, 0, 4), "-0:0:14"},    // across zero: a's flag
      {kDiff, Pos(0, 0, 10), Pos(0, 0, 4, 1), "0:0:14"},
      {kSubSectors, Pos(0, 0, 0), Pos(0, 0, 1), "-0:0:1"},
      // Down to zero and either side of it: zero itself is never flagged negative.
      {kSubSectors, Pos(0, 1, 5), Pos(0, 0, 79), "0:0:1"},
      {kSubSectors, Pos(0, 1, 5), Pos(0, 0, 80), "0:0:0"},
      {kSubSectors, Pos(0, 1, 5), Pos(0, 0, 81), "-0:0:1"},
      {kDiffSectors, Pos(2, 0, 0), Pos(0, 0, 9000), "0:0:0"},
      {kAddSectors, Pos(0, 0, 1, 1), Pos(0, 0, 1), "0:0:0"},
      {kAddSectors, Pos(0, 59, 74), Pos(0, 0, 1), "1:0:0"},
      {kSubSectors, Pos(1, 0, 0), Pos(0, 0, 1), "0:59:74"},
      {kAddSectors, Pos(0, 0, 10, 1), Pos(0, 0, 4), "-0:0:6"},
      {kAddSectors, Pos(0, 0, 10, 1), Pos(0, 0, 85), "0:1:0"},
      {kSubSectors, Pos(0, 0, 10, 1), Pos(0, 0, 65), "-0:1:0"},
      {kSubSectors, Pos(0, 0, 10), Pos(0, 0, 85), "-0:1:0"},
      {kDiffSectors, Pos(0, 0, 10), Pos(0, 0, 85), "-0:1:0"},
      {kAddSectors, Pos(0, 60, 80), Pos(0, 0, 0), "0:60:80"},  // nothing added: copied as it is
      {kSubSectors, Pos(0, 0, 3, 1), Pos(0, 0, 0), "-0:0:3"},
      {kAddSectors, Pos(0, 0, 0), Pos(0, 0, 0xFFFFFFFFu), "954437:10:45"},
  };
  for (const auto& c : cases) {
    cDiscPosition out = kDirty;
    switch (c.op) {
      case kAdd:
        Sp_AddCDPosition(&c.a, &c.b, &out);
        break;
      case kDiff:
        Sp_DeffCDPositionFromCDPosition(&c.a, &c.b, &out);
        break;
      case kAddSectors:
        Sp_AddSectorToCDPosition(&c.a, c.b.frames, &out);
        break;
      case kSubSectors:
        Sp_SubSectorToCDPosition(&c.a, c.b.frames, &out);
        break;
      case kDiffSectors:
        Sp_DiffSectorFromCDPosition(&c.a, c.b.frames, &out);
        break;
    }
    EXPECT_EQ(Text(out), c.want) << c.op << " " << Text(c.a) << " " << Text(c.b);
  }
  // Lengths are sector counts either way round; outputs may be inputs.
  const cDiscPosition start(0, 2, 0), end(1, 2, 3), before(0, 0, 10, 1);
  cDiscPosition out(0, 0, 0, 1);
  EXPECT_EQ(4503u, Sp_GetLengthCDPosition(&start, &end, &out));
  EXPECT_EQ(Text(out), "-1:0:3") << "the output's flag is left alone";
  EXPECT_EQ(4503u, Sp_GetLengthCDPosition(&end, &start, nullptr));
  EXPECT_EQ(160u, Sp_GetLengthCDPosition(&before, &start, nullptr));
  cDiscPosition p(0, 59, 74);
  Sp_AddCDPosition(&p, &start, &p);
  EXPECT_EQ(Text(p), "1:1:74");
  Sp_SubSectorToCDPosition(&p, 4650, &p);
  EXPECT_EQ(Text(p), "-0:0:1");
}

TEST(DiscPositionTest, SecondsAndBytePositionsConvertWithTruncatedFrames) {
  const struct {
    float seconds;
    const char* pos;
  } cases[] = {
      {61.5f, "1:1:37"},        {0.0f, "0:0:0"},
      {-2.5f, "-0:2:37"},       {59.99f, "0:59:74"},
      {3600.0f, "60:0:0"},      {std::numeric_limits<float>::quiet_NaN(), "0:0:0"},
      {1e30f, "71582788:15:0"}, {-std::numeric_limits<float>::infinity(), "-71582788:15:0"},
  };
  for (const auto& c : cases) {
    cDiscPosition p = kDirty;
    Sp_SecondToCDPosition(c.seconds, p);
    EXPECT_EQ(Text(p), c.pos) << c.seconds;
  }
  float seconds = 0;
  Sp_CDPositionToSecond(cDiscPosition(1, 1, 37), seconds);
  EXPECT_NEAR(61.4933f, seconds, 1e-4f);

  const struct {
    UInt32 bytes, rate, channels, bits;
    const char* pos;
  } bytes[] = {
      {176400u * 61 + 88200, 44100, 2, 16, "1:1:37"},
      {0, 44100, 2, 16, "0:0:0"},
      {2352, 44100, 2, 16, "0:0:1"},  // one sector
      {88200u * 3600, 44100, 1, 16, "60:0:0"},
      // Just under one second of a wide format: single precision rounds the fraction up to a
      // whole second, which must still read as the last frame.
      {(1u << 30) - 1, 1u << 27, 8, 8, "0:0:74"},
      {1000, 44100, 2, 0, "0:0:0"},  // zero bytes a second: refused, not divided by
  };
  ErrorLogCapture log;
  for (const auto& c : bytes) {
    cDiscPosition p = kDirty;
    Sp_BytePositionToCDPosition(c.bytes, c.rate, c.channels, c.bits, p);
    EXPECT_EQ(Text(p), c.pos) << c.bytes;
  }
  EXPECT_TRUE(log.Has("Sp_BytePositionToCDPosition", 1));
  EXPECT_EQ(1u, log.Beeps());
}

struct Track {
  UInt32 number;
  const char* name;
  const char* title;
  UInt32 sectors;
};

// A list owned by the test, freed with the layer's own dispose call.
class TrackList {
 public:
  explicit TrackList(const std::vector<Track>& tracks) {
    for (auto it = tracks.rbegin(); it != tracks.rend(); ++it) {
      sTrackDataForOSX* r = Sp_NewMusicTrackData();
      r->trackNo = it->number;
      std::strcpy(r->fileName, it->name);
      std::strcpy(r->title, it->title);
      r->lengthInSectors = it->sectors;
      r->next = head_;
      if (head_ != nullptr) head_->before = r;
      head_ = r;
    }
  }
  ~TrackList() { Sp_DisposeMusicTrackDataList(head_); }
  sTrackDataForOSX* head_ = nullptr;
};

TEST(TrackListCompareTest, TellsChangedTrackFilesFromRenamedTitles) {
  const Track a = {1, "1 A.aiff", "A", 100}, b = {2, "2 B.aiff", "B", 200};
  const struct {
    const char* why;
    std::vector<Track> other;
    Boolean same;
  } cases[] = {
      {"identical", {a, b}, true},
      {"title differs only", {a, {2, "2 B.aiff", "Other", 200}}, true},
      {"one track more", {a, b, {3, "3 C.aiff", "C", 1}}, false},
      {"one track less", {a}, false},
      {"file renamed", {a, {2, "2 b.aiff", "B", 200}}, false},
      {"length differs", {a, {2, "2 B.aiff", "B", 201}}, false},
      {"number differs", {a, {3, "2 B.aiff", "B", 200}}, false},
  };
  const TrackList base({a, b});
  for (const auto& c : cases) {
    const TrackList other(c.other);
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(base.head_, other.head_)) << c.why;
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(other.head_, base.head_)) << c.why;
  }
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(base.head_, nullptr));
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(nullptr, nullptr));
}

}  // namespace
