#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "ErrorLogCapture.h"
#include "Random.h"
#include "SpStdFunctionNumber.h"
#include "SpTesting.h"
#include "TestClock.h"
#include "TestResources.h"

namespace {

// A text buffer with a guard zone after the size the formatters promise, to catch a write
// past it.
struct GuardedText {
  static constexpr std::size_t kGuard = 64;
  char bytes[kSpFloatTextSize + kGuard];
  GuardedText() { std::memset(bytes, 0x5A, sizeof bytes); }
  bool GuardIntact() const {
    for (std::size_t i = kSpFloatTextSize; i < sizeof bytes; ++i) {
      if (bytes[i] != 0x5A) return false;
    }
    return true;
  }
};

}  // namespace

// ---- Float and double to text ---------------------------------------------------------------

TEST(StdFunctionNumber, FloatTextIsRoundedAsEachFormatterSays) {
  // kDouble2: Sp_DoubleToString2 (arg: the minimum of decimals shown); kFloat:
  // Sp_FloatToString; kRound: Sp_FloatToStringRound (arg: the digit that rounds up).
  enum Formatter { kDouble2, kFloat, kRound };
  struct Case {
    Formatter formatter;
    double value;
    short decimals, arg;
    const char* expected;
    const char* why;
  } cases[] = {
      {kDouble2, 2.375, 2, 0, "2.38", "half up on the third digit"},
      {kDouble2, 1.5, 3, 0, "1.5", "trailing zeros dropped"},
      {kDouble2, 1.5, 3, 3, "1.500", "but the minimum is shown"},
      {kDouble2, 1.5, 3, 5, "1.500", "never more than the decimals"},
      {kDouble2, 0.996, 2, 0, "1", "rounding carries into the integer part"},
      {kDouble2, -0.001, 2, 2, "0", "what shows as zero is \"0\", without a sign"},
      {kDouble2, 2.7, 0, 0, "2", "no rounding without decimals"},
      {kDouble2, 12.0, 2, 1, "12.0", "the minimum on a whole number"},
      {kDouble2, -3.25, 1, 0, "-3.3", "the magnitude rounds half up"},
      {kDouble2, 100.04, 1, 0, "100", ""},
      {kFloat, 2.96, 1, 0, "3.0", "the carry runs through the last digit"},
      {kFloat, 2.7, 0, 0, "3", "without decimals the first fraction digit rounds"},
      {kFloat, 2.4, 0, 0, "2", ""},
      {kFloat, 9.996, 2, 0, "10.00", ""},
      {kFloat, 3.0, 3, 0, "3.000", "exactly the decimals asked for"},
      {kFloat, -2.96, 1, 0, "-3.0", "the magnitude with a sign"},
      {kRound, 12.34, 1, 5, "12.3", ""},
      {kRound, 12.34, 0, 5, "12.", "no decimals: the text ends with the point"},
      {kRound, 0.05, 2, 5, "0.05", "leading \"0.\" and zeros"},
      {kRound, 0.004, 2, 5, "0.00", ""},
      {kRound, 0.006, 2, 5, "0.01", ""},
      {kRound, 12.39, 1, 0, "12.3", "0 truncates"},
      {kRound, 12.33, 1, 3, "12.4", "3 rounds up from the third tenth"},
      {kRound, -12.34, 1, 5, "-12.3", ""},
      {kRound, 0.0, 2, 5, "0", ""},
      {kRound, 5.0, -2, 5, "5.", "negative decimals read as none"},
      // Every integer digit is kept, also beyond 32 bits once scaled.
      {kFloat, 16777216.0, 2, 0, "16777216.00", ""},
      {kDouble2, 1234567890123.0, 2, 0, "1234567890123", ""},
      {kRound, 300000.0, 4, 5, "300000.0000", ""},
  };
  for (const Case& c : cases) {
    char text[kSpFloatTextSize];
    if (c.formatter == kDouble2) Sp_DoubleToString2(c.value, text, c.decimals, c.arg);
    if (c.formatter == kFloat) Sp_FloatToString(float(c.value), text, c.decimals);
    if (c.formatter == kRound) Sp_FloatToStringRound(float(c.value), text, c.decimals, c.arg);
    EXPECT_STREQ(text, c.expected) << c.value << " " << c.decimals << ": " << c.why;
  }
}

TEST(StdFunctionNumber, HugeValuesAndManyDecimalsNeverWritePastTheTextSize) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {FLT_MAX, -FLT_MAX, 1e300, -1e300, inf, -inf, std::nan(""), 0.1};
  for (double v : values) {
    for (short decimals : {short(0), short(7), short(20), short(300), short(32767)}) {
      GuardedText a, b, c, d;
      Sp_FloatToString(float(v), a.bytes, decimals);
      Sp_FloatToString2(float(v), b.bytes, decimals, decimals);
      Sp_DoubleToString2(v, c.bytes, decimals, decimals);
      Sp_FloatToStringRound(float(v), d.bytes, decimals, 5);
      for (const GuardedText* g : {&a, &b, &c, &d}) {
        EXPECT_TRUE(g->GuardIntact()) << v << " " << decimals;
        EXPECT_LT(std::strlen(g->bytes), std::size_t(kSpFloatTextSize));
        for (const char* p = g->bytes; *p; ++p) {
          EXPECT_TRUE((*p >= '0' && *p <= '9') || *p == '.' || *p == '-') << g->bytes;
        }
      }
    }
  }
}

// ---- Text to float and double ---------------------------------------------------------------

TEST(StdFunctionNumber, StringToDoubleReadsEveryDigit) {
  struct Case {
    const char* text;
    double expected;
  } cases[] = {
      {".5", 0.5},
      {"", 0.0},
      {"-1.5", -1.5},
      {"5.", 5.0},
      {"abc", 0.0},
      {".", 0.0},
      {"1234567890.5", 1234567890.5},        // more than 9 digits before the point
      {"98765432109876", 98765432109876.0},  // no digit dropped
      {"0.1234567891", 0.1234567891},
      {"12abc", 12.0},  // reading stops at the first other byte
      {"1.2.3", 1.2},   // one point only
  };
  for (const Case& c : cases) {
    double value = -99.0;
    EXPECT_TRUE(Sp_StringToDouble(c.text, &value));
    EXPECT_DOUBLE_EQ(value, c.expected) << c.text;
  }
}

// ---- Integers and text ----------------------------------------------------------------------

TEST(StdFunctionNumber, NumberTextRoundTripsThe32BitRange) {
  const SInt32 values[] = {0, 7, -7, 2147483647, -2147483647 - 1, 1000000};
  const char* texts[] = {"0", "7", "-7", "2147483647", "-2147483648", "1000000"};
  for (std::size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
    char text[kSpNumberTextSize + 4];
    std::memset(text, 0x5A, sizeof text);
    Sp_NumberToString(values[i], text);
    EXPECT_STREQ(text, texts[i]);
    EXPECT_EQ(text[kSpNumberTextSize], 0x5A);
    SInt32 back = 12345;
    Sp_StringToNumber(text, &back);
    EXPECT_EQ(back, values[i]);
  }
  SInt32 unchanged = 42;
  Sp_StringToNumber("", &unchanged);  // an empty field keeps the number read before
  EXPECT_EQ(unchanged, 42);
}

TEST(StdFunctionNumber, TextLongerThanAStr255IsReadUpTo255Bytes) {
  // The 255 bytes a length-prefixed string holds end with "17": the 256th byte is not read
  // (and never copied past the scratch block).
  const std::string text = std::string(253, '0') + "17" + std::string(700, '9');
  SInt32 value = 0;
  Sp_StringToNumber(text.c_str(), &value);
  EXPECT_EQ(value, 17);
}

TEST(StdFunctionNumber, AddZeroPadsToWidth) {
  struct Case {
    SInt32 value, width;
    const char* expected;
  } cases[] = {
      {7, 3, "007"}, {7, 1, "7"},    {123, 2, "123"},
      {0, 2, "00"},  {-7, 3, "0-7"},  // the zeros go before the whole text, sign included
      {5, 0, "5"},   {5, -4, "5"},
  };
  for (const Case& c : cases) {
    char text[300];
    Sp_NumberToStringAddZero(c.value, c.width, text);
    EXPECT_STREQ(text, c.expected) << c.value << " " << c.width;
  }
}

TEST(StdFunctionNumber, AddZeroCapsHugeWidth) {
  char text[257 + 16];
  std::memset(text, 0x5A, sizeof text);
  Sp_NumberToStringAddZero(1, 1000000, text);
  EXPECT_EQ(std::strlen(text), 255u);
  EXPECT_EQ(text[254], '1');
  EXPECT_EQ(text[257], 0x5A);
}

TEST(StdFunctionNumber, DigitCountIgnoresSign) {
  struct Case {
    SInt32 value, digits;
  } cases[] = {
      {0, 1}, {9, 1}, {10, 2}, {-100, 3}, {99999, 5}, {2147483647, 10}, {-2147483647 - 1, 10}};
  for (const Case& c : cases) EXPECT_EQ(Sp_GetKetasu(c.value), c.digits) << c.value;
}

TEST(StdFunctionNumber, Float80BytesOfSampleRates) {
  struct Case {
    double value;
    UInt8 bytes[10];
  } cases[] = {
      {44100.0, {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {22050.0, {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}},
      {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {1.0, {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Float80 f;
    std::memset(f.bytes, 0xEE, sizeof f.bytes);
    Sp_DoubleToFloat80(c.value, &f);
    EXPECT_EQ(0, std::memcmp(f.bytes, c.bytes, 10)) << c.value;
  }
}

// ---- Rounding and comparison ----------------------------------------------------------------

TEST(StdFunctionNumber, FloatRoundHalfUpAtDecimals) {
  struct Case {
    float value;
    short decimals;
    float expected;
  } cases[] = {
      {1.25f, 1, 1.3f},      {1.24f, 1, 1.2f},        {2.675f, 2, 2.68f},
      {9.999f, 2, 10.0f},    {3.14159f, 0, 3.14159f},  // no decimals: unchanged
      {-1.25f, 1, -1.2f},                              // negative values are cut at the decimals
      {FLT_MAX, 3, FLT_MAX},                           // too large to have a fraction
  };
  for (const Case& c : cases) {
    float out = 0;
    Sp_FloatRound(c.value, &out, c.decimals);
    EXPECT_FLOAT_EQ(out, c.expected) << c.value << " " << int(c.decimals);
  }
}

TEST(StdFunctionNumber, Flot2LongRoundsNegativeValuesLikePositiveOnes) {
  struct Case {
    float value;
    Boolean round;
    SInt32 expected;
  } cases[] = {{2.5f, 1, 3},
               {2.4f, 1, 2},
               {-2.5f, 1, -3},
               {-2.4f, 1, -2},
               {2.9f, 0, 2},
               {-2.9f, 0, -2},
               {0.5f, 1, 1},
               {-0.5f, 1, -1},
               {3e9f, 0, 2147483647},
               {-3e9f, 1, -2147483647 - 1},
               {std::numeric_limits<float>::quiet_NaN(), 1, 0}};
  for (const Case& c : cases) {
    SInt32 out = 99;
    Sp_flot2long(c.value, &out, c.round);
    EXPECT_EQ(out, c.expected) << c.value << " " << int(c.round);
  }
}

TEST(StdFunctionNumber, Flot2UnsignedLongStaysInRange) {
  struct Case {
    double value;
    UInt32 expected;
  } cases[] = {{3.9, 3},           {0.0, 0},
               {-1.0, 0},          {4294967295.0, 0xFFFFFFFFu},
               {5e9, 0xFFFFFFFFu}, {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const Case& c : cases) {
    UInt32 out = 7;
    Sp_flot2unsignedLong(c.value, &out);
    EXPECT_EQ(out, c.expected) << c.value;
  }
}

TEST(StdFunctionNumber, FlortcmpComparesAtDecimals) {
  struct Case {
    float a, b;
    short decimals;
    short expected;
  } cases[] = {
      {1.996f, 2.0f, 2, 0},  // the rounded fraction carries into the integer part
      {2.0f, 1.996f, 2, 0}, {1.24f, 1.21f, 1, 0}, {1.24f, 1.26f, 1, -1},
      {1.26f, 1.24f, 1, 1}, {1.9f, 1.1f, 0, 0},  // no decimals: integer parts only
      {3.0f, 2.9f, 0, 1},   {2.0f, 3.5f, 2, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sp_flortcmp(c.a, c.b, c.decimals), c.expected)
        << c.a << " " << c.b << " " << c.decimals;
  }
}

// ---- Random numbers -------------------------------------------------------------------------

TEST(StdFunctionNumber, RandomIntegersStayWithinLimitsAndReachBoth) {
  struct Case {
    short low, high;
    bool bothEnds;  // small ranges must reach both limits within the draws
  } cases[] = {{1, 3, true},           {1, 100, true},       {-10, 10, true},  {0, 1, true},
               {-32768, 32767, false}, {32760, 32767, true}, {0, 32767, false}};
  for (const Case& c : cases) {
    std::set<short> seen;
    for (SInt32 seed = 1; seed < 2000; ++seed) {
      SetRandomSeed(seed * 7919);
      short out = 0;
      Sp_GetRandomIntNumber(c.low, c.high, &out);
      ASSERT_GE(out, c.low);
      ASSERT_LE(out, c.high);
      seen.insert(out);
    }
    if (!c.bothEnds) continue;
    EXPECT_TRUE(seen.count(c.low)) << c.low << ".." << c.high;
    EXPECT_TRUE(seen.count(c.high)) << c.low << ".." << c.high;
  }
  short out = 0;
  Sp_GetRandomIntNumber(5, 5, &out);
  EXPECT_EQ(out, 5);
}

TEST(StdFunctionNumber, RandomByTickCoversTheWholeRangeWithoutDividingByZero) {
  sp_testing::VirtualClockScope clock(0);
  for (int i = 0; i < 50; ++i) {
    UInt32 v = Sp_GetRandomIntNumberByTick(20, 10);
    EXPECT_GE(v, 10u);
    EXPECT_LE(v, 20u);
    sp_testing::AdvanceClockTicks(7);
  }
  EXPECT_EQ(Sp_GetRandomIntNumberByTick(5, 5), 5u);
  Sp_GetRandomIntNumberByTick(0, 0xFFFFFFFFu);  // a span of 2^32 wraps to 0
}

// ---- Versions and system --------------------------------------------------------------------

// ---- Modifier keys --------------------------------------------------------------------------

// ---- Failure records ------------------------------------------------------------------------

TEST(StdFunctionNumber, NullPointersAreReportedAndNothingIsWritten) {
  struct Case {
    const char* method;
    void (*call)();
  } cases[] = {
      {"Sp_NumberToString", [] { Sp_NumberToString(1, nullptr); }},
      {"Sp_StringToNumber", [] { Sp_StringToNumber("1", nullptr); }},
      {"Sp_NumberToStringAddZero", [] { Sp_NumberToStringAddZero(1, 2, nullptr); }},
      {"Sp_StringToFloat", [] { Sp_StringToFloat("1", nullptr); }},
      {"Sp_FloatToString", [] { Sp_FloatToString(1, nullptr, 1); }},
      {"Sp_DoubleToString2", [] { Sp_DoubleToString2(1, nullptr, 1, 1); }},
      {"Sp_FloatToStringRound", [] { Sp_FloatToStringRound(1, nullptr, 1, 5); }},
      {"Sp_flot2long", [] { Sp_flot2long(1, nullptr, 1); }},
      {"Sp_GetRandomIntNumber", [] { Sp_GetRandomIntNumber(1, 2, nullptr); }},
      {"Sp_GetApplicatinVersionInBandle", [] { Sp_GetApplicatinVersionInBandle(nullptr); }},
      {"Sp_CheckEnableModifierKeyOnDisableFlag",
       [] {
         sSpModifiersDataStruct k{};
         Sp_CheckEnableModifierKeyOnDisableFlag(nullptr, &k, &k);
       }},
  };
  for (const Case& c : cases) {
    ErrorLogCapture log;
    c.call();
    EXPECT_EQ(log.Count(), 1u) << c.method;
    EXPECT_TRUE(log.Has(c.method, 1)) << c.method;
  }
}
