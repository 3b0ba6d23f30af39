// Disc-position arithmetic: conversions, signed sums and differences, carries at 75 frames
// and 60 seconds, ordering, seconds and byte offsets.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "ErrorLogCapture.h"
#include "SpCDDiscPosition.h"

namespace {

// m:s:f, '-' before for a negative position.
struct Pos {
  UInt32 m, s, f;
  UInt8 neg;
  cDiscPosition Make() const { return cDiscPosition(m, s, f, neg); }
};

::testing::AssertionResult Is(const cDiscPosition& got, const Pos& want) {
  if (got.minutes == want.m && got.seconds == want.s && got.frames == want.f &&
      (got.negative != 0) == (want.neg != 0)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "got " << (got.negative ? "-" : "") << got.minutes << ":" << got.seconds << ":"
         << got.frames << ", want " << (want.neg ? "-" : "") << want.m << ":" << want.s << ":"
         << want.f;
}

TEST(DiscPositionTest, SectorCountsConvertBothWaysWithCarriesAndSign) {
  const struct {
    SInt32 sectors;
    Pos pos;
  } cases[] = {
      {0, {0, 0, 0, 0}},       {74, {0, 0, 74, 0}},
      {75, {0, 1, 0, 0}},      {4499, {0, 59, 74, 0}},
      {4500, {1, 0, 0, 0}},    {4653, {1, 2, 3, 0}},
      {-76, {0, 1, 1, 1}},     {-4653, {1, 2, 3, 1}},
      {333000, {74, 0, 0, 0}}, {INT_MAX, {477218, 35, 22, 0}},
  };
  for (const auto& c : cases) {
    cDiscPosition p(9, 9, 9, 1);
    Sp_SectorToCDPosition(c.sectors, &p);
    EXPECT_TRUE(Is(p, c.pos)) << c.sectors;
    EXPECT_EQ(c.sectors, Sp_CDPositionToSector(&p)) << c.sectors;
  }
  // The most negative count has no positive twin in 32 bits; its magnitude must not wrap.
  cDiscPosition lowest;
  Sp_SectorToCDPosition(INT_MIN, &lowest);
  EXPECT_TRUE(Is(lowest, {477218, 35, 23, 1}));
}

TEST(DiscPositionTest, UnnormalisedFieldsCountAsTheirSectors) {
  cDiscPosition sixtySeconds(0, 60, 0);
  EXPECT_EQ(4500, Sp_CDPositionToSector(&sixtySeconds));
  cDiscPosition oneMinute(1, 0, 0);
  EXPECT_EQ(0, Sp_CDPositionComp(&sixtySeconds, &oneMinute, nullptr));
  // Absurd fields are held at the 32-bit limit instead of wrapping into a small count.
  cDiscPosition huge(0xFFFFFFFFu, 59, 74);
  EXPECT_EQ(INT_MAX, Sp_CDPositionToSector(&huge));
}

TEST(DiscPositionTest, ComparisonOrdersPositionsAndTellsWithinOneSecond) {
  const struct {
    Pos a, b;
    SInt32 result;
    unsigned char within;
  } cases[] = {
      {{0, 0, 10, 0}, {0, 0, 5, 0}, 1, 1},   // 5 frames later
      {{0, 0, 5, 0}, {0, 0, 10, 0}, -1, 1},  // 5 frames earlier
      {{0, 1, 0, 0}, {0, 0, 0, 0}, 1, 0},    // 75 frames is a whole second
      {{0, 0, 74, 0}, {0, 0, 0, 0}, 1, 1},   // 74 frames is not
      {{3, 2, 1, 0}, {3, 2, 1, 0}, 0, 0},    // identical
      {{0, 0, 1, 1}, {0, 0, 1, 0}, -1, 1},   // -1 and +1 frame: 2 frames apart
      {{0, 0, 1, 0}, {0, 0, 1, 1}, 1, 1},
      {{0, 2, 0, 1}, {0, 1, 0, 1}, -1, 0},  // further below zero lies earlier
      {{0, 0, 1, 1}, {0, 0, 3, 1}, 1, 1},
      {{0, 0, 0, 1}, {0, 0, 0, 0}, -1, 0},  // flagged zero before zero, distance 0
      {{0, 0, 0, 0}, {0, 0, 0, 1}, 1, 0},
      {{70, 0, 0, 0}, {0, 0, 0, 1}, 1, 0},
  };
  for (const auto& c : cases) {
    const cDiscPosition a = c.a.Make();
    const cDiscPosition b = c.b.Make();
    unsigned char within = 7;
    EXPECT_EQ(c.result, Sp_CDPositionComp(&a, &b, &within))
        << c.a.m << ":" << c.a.s << ":" << c.a.f << "/" << int(c.a.neg) << " vs " << c.b.m << ":"
        << c.b.s << ":" << c.b.f << "/" << int(c.b.neg);
    EXPECT_EQ(c.within, within) << c.a.f << " vs " << c.b.f;
  }
}

TEST(DiscPositionTest, SignedSumsAndDistancesCarryAndBorrow) {
  enum Op { kAdd, kDiff };
  const struct {
    Op op;
    Pos a, b, want;
  } cases[] = {
      {kAdd, {0, 59, 74, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}},  // frame and second carry
      {kAdd, {1, 30, 40, 0}, {2, 45, 50, 0}, {4, 16, 15, 0}},
      {kAdd, {0, 0, 10, 1}, {0, 0, 5, 1}, {0, 0, 15, 1}},  // both negative
      {kAdd, {1, 0, 0, 0}, {0, 0, 1, 1}, {0, 59, 74, 0}},  // borrow across minute
      {kAdd, {0, 0, 1, 0}, {1, 0, 0, 1}, {0, 59, 74, 1}},  // b's sign wins
      {kAdd, {0, 5, 0, 1}, {0, 5, 0, 0}, {0, 0, 0, 0}},    // cancel to an unflagged zero
      {kDiff, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 59, 74, 0}},
      {kDiff, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 59, 74, 0}},  // distance, not signed
      {kDiff, {0, 0, 10, 1}, {0, 0, 4, 1}, {0, 0, 6, 1}},   // common flag kept
      {kDiff, {0, 0, 10, 1}, {0, 0, 4, 0}, {0, 0, 14, 1}},  // across zero: a's flag
      {kDiff, {0, 0, 10, 0}, {0, 0, 4, 1}, {0, 0, 14, 0}},
  };
  for (const auto& c : cases) {
    const cDiscPosition a = c.a.Make();
    const cDiscPosition b = c.b.Make();
    cDiscPosition out(9, 9, 9, 1);
    if (c.op == kAdd) {
      Sp_AddCDPosition(&a, &b, &out);
    } else {
      Sp_DeffCDPositionFromCDPosition(&a, &b, &out);
    }
    EXPECT_TRUE(Is(out, c.want)) << (c.op == kAdd ? "add " : "diff ") << c.a.m << ":" << c.a.s
                                 << ":" << c.a.f << " / " << c.b.m << ":" << c.b.s << ":" << c.b.f;
  }
}

TEST(DiscPositionTest, AddingAndSubtractingSectorsCrossesZero) {
  enum Op { kAdd, kSub, kDiffSector };
  const struct {
    Op op;
    Pos pos;
    UInt32 n;
    Pos want;
  } cases[] = {
      {kSub, {0, 0, 0, 0}, 1, {0, 0, 1, 1}},
      {kAdd, {0, 0, 1, 1}, 1, {0, 0, 0, 0}},
      {kAdd, {0, 59, 74, 0}, 1, {1, 0, 0, 0}},
      {kSub, {1, 0, 0, 0}, 1, {0, 59, 74, 0}},
      {kAdd, {0, 0, 10, 1}, 4, {0, 0, 6, 1}},
      {kAdd, {0, 0, 10, 1}, 85, {0, 1, 0, 0}},
      {kSub, {0, 0, 10, 1}, 65, {0, 1, 0, 1}},
      {kSub, {0, 0, 10, 0}, 85, {0, 1, 0, 1}},
      {kDiffSector, {0, 0, 10, 0}, 85, {0, 1, 0, 1}},
      {kAdd, {0, 60, 80, 0}, 0, {0, 60, 80, 0}},  // nothing added: copied as it is
      {kSub, {0, 0, 3, 1}, 0, {0, 0, 3, 1}},
      {kAdd, {0, 0, 0, 0}, 0xFFFFFFFFu, {954437, 10, 45, 0}},
  };
  for (const auto& c : cases) {
    const cDiscPosition pos = c.pos.Make();
    cDiscPosition out(9, 9, 9, 1);
    if (c.op == kAdd) Sp_AddSectorToCDPosition(&pos, c.n, &out);
    if (c.op == kSub) Sp_SubSectorToCDPosition(&pos, c.n, &out);
    if (c.op == kDiffSector) Sp_DiffSectorFromCDPosition(&pos, c.n, &out);
    EXPECT_TRUE(Is(out, c.want)) << c.op << " " << c.pos.m << ":" << c.pos.s << ":" << c.pos.f
                                 << " by " << c.n;
  }
}

TEST(DiscPositionTest, LengthIsASectorCountAndOutputsMayBeInputs) {
  const cDiscPosition start(0, 2, 0);
  const cDiscPosition end(1, 2, 3);
  cDiscPosition out(0, 0, 0, 1);
  EXPECT_EQ(4503u, Sp_GetLengthCDPosition(&start, &end, &out));
  EXPECT_TRUE(Is(out, {1, 0, 3, 1})) << "the output's flag is left alone";
  EXPECT_EQ(4503u, Sp_GetLengthCDPosition(&end, &start, nullptr));
  const cDiscPosition before(0, 0, 10, 1);
  EXPECT_EQ(160u, Sp_GetLengthCDPosition(&before, &start, nullptr));

  cDiscPosition p(0, 59, 74);
  const cDiscPosition one(0, 0, 1);
  Sp_AddCDPosition(&p, &one, &p);
  EXPECT_TRUE(Is(p, {1, 0, 0, 0}));
  Sp_SubSectorToCDPosition(&p, 4501, &p);
  EXPECT_TRUE(Is(p, {0, 0, 1, 1}));
}

TEST(DiscPositionTest, SecondsConvertWithTruncatedFrames) {
  const struct {
    float seconds;
    Pos pos;
  } cases[] = {
      {61.5f, {1, 1, 37, 0}},   {0.0f, {0, 0, 0, 0}},     {-2.5f, {0, 2, 37, 1}},
      {59.99f, {0, 59, 74, 0}}, {3600.0f, {60, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    cDiscPosition p(9, 9, 9, 1);
    Sp_SecondToCDPosition(c.seconds, p);
    EXPECT_TRUE(Is(p, c.pos)) << c.seconds;
  }
  float seconds = 0;
  Sp_CDPositionToSecond(cDiscPosition(1, 1, 37), seconds);
  EXPECT_NEAR(61.4933f, seconds, 1e-4f);

  // Values no position can hold give defined results, not undefined conversions.
  cDiscPosition p(9, 9, 9, 1);
  Sp_SecondToCDPosition(std::numeric_limits<float>::quiet_NaN(), p);
  EXPECT_TRUE(Is(p, {0, 0, 0, 0}));
  Sp_SecondToCDPosition(1e30f, p);
  EXPECT_TRUE(Is(p, {71582788, 15, 0, 0}));
  Sp_SecondToCDPosition(-std::numeric_limits<float>::infinity(), p);
  EXPECT_TRUE(Is(p, {71582788, 15, 0, 1}));
}

TEST(DiscPositionTest, BytePositionsOfPcmDataBecomePositions) {
  const struct {
    UInt32 bytes, rate, channels, bits;
    Pos pos;
  } cases[] = {
      {176400u * 61 + 88200, 44100, 2, 16, {1, 1, 37, 0}},
      {0, 44100, 2, 16, {0, 0, 0, 0}},
      {2352, 44100, 2, 16, {0, 0, 1, 0}},  // one sector
      {88200u * 3600, 44100, 1, 16, {60, 0, 0, 0}},
      // Just under one second of a wide format: single precision rounds the fraction up to a
      // whole second, which must still read as the last frame.
      {(1u << 30) - 1, 1u << 27, 8, 8, {0, 0, 74, 0}},
  };
  for (const auto& c : cases) {
    cDiscPosition p(9, 9, 9, 1);
    Sp_BytePositionToCDPosition(c.bytes, c.rate, c.channels, c.bits, p);
    EXPECT_TRUE(Is(p, c.pos)) << c.bytes;
  }
  // Zero bytes a second is refused, not divided by.
  ErrorLogCapture log;
  cDiscPosition p(9, 9, 9, 1);
  Sp_BytePositionToCDPosition(1000, 44100, 2, 0, p);
  EXPECT_TRUE(Is(p, {0, 0, 0, 0}));
  EXPECT_TRUE(log.Has("Sp_BytePositionToCDPosition", 1));
  EXPECT_EQ(1u, log.Beeps());
}

}  // namespace
