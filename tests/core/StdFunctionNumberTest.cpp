#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <utility>

#include "Clock.h"
#include "ErrorLogCapture.h"
#include "Random.h"
#include "SpStdFunctionNumber.h"
#include "SpTesting.h"
#include "TestBundle.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(StdFunctionNumber, FloatTextIsRoundedAsEachFormatterSaysAndNegativesMirrorPositives) {
  // kDouble2: Sp_DoubleToString2 (arg: the minimum of decimals shown); kFloat2: the same in
  // single precision; kFloat: Sp_FloatToString; kRound: Sp_FloatToStringRound (arg: the digit
  // that rounds up). A negative value is its magnitude, formatted, behind a sign.
  enum Formatter { kDouble2, kFloat2, kFloat, kRound };
  struct Case {
    Formatter formatter;
    double value;
    short decimals, arg;
    const char* expected;
  } cases[] = {
      {kDouble2, 2.375, 2, 0, "2.38"},  // half up on the third digit
      {kDouble2, 1.5, 3, 0, "1.5"},     // trailing zeros dropped
      {kDouble2, 1.5, 3, 3, "1.500"},   // but the minimum is shown
      {kDouble2, 1.5, 3, 5, "1.500"},   // never more than the decimals
      {kDouble2, 0.996, 2, 0, "1"},     // rounding carries into the integer part
      {kDouble2, -0.001, 2, 2, "0"},    // what shows as zero has no sign
      {kDouble2, 2.7, 0, 0, "2"},       // no rounding without decimals
      {kDouble2, 12.9, 0, 1, "12"},     // nor a point, whatever the minimum
      {kDouble2, -12.9, 0, 3, "-12"},
      {kDouble2, 0.9, 0, 1, "0"},
      {kDouble2, 12.5, -1, 2, "12"},    // negative decimals read as none
      {kFloat2, 12.9, 0, 1, "12"},
      {kFloat2, 7.25, 0, 2, "7"},
      {kDouble2, -3.25, 1, 0, "-3.3"},  // the magnitude rounds half up
      {kDouble2, -0.5, 1, 0, "-0.5"},
      {kDouble2, 2.8, 3, 0, "2.8"},     // a value just below its decimal rounds to it,
      {kDouble2, 4.8, 3, 3, "4.800"},   // and gains no unit in its last digit
      {kDouble2, 0.9999, 3, 0, "1"},    // the carry empties every decimal
      {kFloat2, 2.375, 2, 0, "2.38"},
      {kFloat2, 3.8, 4, 0, "3.8"},
      {kFloat2, -0.5, 1, 0, "-0.5"},
      {kFloat, 2.96, 1, 0, "3.0"},  // the carry runs through the last digit
      {kFloat, -2.96, 1, 0, "-3.0"},
      {kFloat, 2.7, 0, 0, "3"},  // without decimals the first fraction digit rounds
      {kFloat, -2.7, 0, 0, "-3"},
      {kFloat, -0.25, 1, 0, "-0.3"},
      {kFloat, 3.0, 3, 0, "3.000"},  // exactly the decimals asked for
      {kRound, 12.34, 1, 5, "12.3"},
      {kRound, -12.34, 1, 5, "-12.3"},
      {kRound, 12.34, 0, 5, "12."},  // no decimals: the text ends with the point
      {kRound, 0.006, 2, 5, "0.01"},
      {kRound, 12.39, 1, 0, "12.3"},  // 0 truncates
      {kRound, 12.33, 1, 3, "12.4"},  // 3 rounds up from the third tenth
      {kRound, 5.0, -2, 5, "5."},     // negative decimals read as none
      // Every integer digit is kept, also beyond 32 bits once scaled.
      {kFloat, 16777216.0, 2, 0, "16777216.00"},
      {kDouble2, 1234567890123.0, 2, 0, "1234567890123"},
      {kRound, 300000.0, 4, 5, "300000.0000"},
  };
  for (const Case& c : cases) {
    char text[kSpFloatTextSize];
    if (c.formatter == kDouble2) Sp_DoubleToString2(c.value, text, c.decimals, c.arg);
    if (c.formatter == kFloat2) Sp_FloatToString2(float(c.value), text, c.decimals, c.arg);
    if (c.formatter == kFloat) Sp_FloatToString(float(c.value), text, c.decimals);
    if (c.formatter == kRound) Sp_FloatToStringRound(float(c.value), text, c.decimals, c.arg);
    EXPECT_STREQ(text, c.expected) << c.formatter << ": " << c.value << " " << c.decimals;
  }
}

TEST(StdFunctionNumber, FloatToIntegerRoundsBothSignsAlikeAndStaysInRange) {
  struct Case {
    double value;
    Boolean round;
    SInt32 expected;
    UInt32 unsignedExpected;  // Sp_flot2unsignedLong, which truncates
  } cases[] = {
      {2.5, 1, 3, 2},
      {2.4, 1, 2, 2},
      {-2.5, 1, -3, 0},
      {-2.4, 1, -2, 0},
      {-2.9, 0, -2, 0},
      {-0.5, 1, -1, 0},
      {3e9, 0, 2147483647, 3000000000u},
      {-3e9, 1, -2147483647 - 1, 0},
      {kNaN, 1, 0, 0},
      {4294967295.0, 0, 2147483647, 0xFFFFFFFFu},
      {5e9, 0, 2147483647, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    SInt32 out = 99;
    Sp_flot2long(float(c.value), &out, c.round);
    EXPECT_EQ(out, c.expected) << c.value << " " << int(c.round);
    UInt32 u = 7;
    Sp_flot2unsignedLong(c.value, &u);
    EXPECT_EQ(u, c.unsignedExpected) << c.value;
  }
}

TEST(StdFunctionNumber, FloatRoundingAndComparingCarryAtTheDecimals) {
  struct Round {
    float value;
    short decimals;
    float expected;
  } rounds[] = {
      {1.25f, 1, 1.3f},      {1.24f, 1, 1.2f},        {2.675f, 2, 2.68f},
      {9.999f, 2, 10.0f},    {3.14159f, 0, 3.14159f},  // no decimals: unchanged
      {-1.25f, 1, -1.2f},                              // negative values are cut at the decimals
      {FLT_MAX, 3, FLT_MAX},                           // too large to have a fraction
  };
  for (const Round& c : rounds) {
    float out = 0;
    Sp_FloatRound(c.value, &out, c.decimals);
    EXPECT_FLOAT_EQ(out, c.expected) << c.value << " " << int(c.decimals);
  }
  const float compares[][4] = {
      {1.996f, 2.0f, 2, 0},  // the rounded fraction carries into the integer part
      {2.0f, 1.996f, 2, 0}, {1.24f, 1.21f, 1, 0}, {1.24f, 1.26f, 1, -1},
      {1.26f, 1.24f, 1, 1}, {1.9f, 1.1f, 0, 0},  // no decimals: integer parts only
      {3.0f, 2.9f, 0, 1},   {2.0f, 3.5f, 2, -1},
  };
  for (const auto& c : compares) {
    EXPECT_EQ(Sp_flortcmp(c[0], c[1], short(c[2])), short(c[3])) << c[0] << " " << c[1];
  }
}

TEST(StdFunctionNumber, HugeValuesAndManyDecimalsNeverWritePastTheTextSize) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {double(FLT_MAX), -1e300, inf, -inf, kNaN, 0.1}) {
    for (short decimals : {0, 7, 20, 300, 32767}) {
      char texts[4][kSpFloatTextSize + 64];
      std::memset(texts, 0x5A, sizeof texts);
      Sp_FloatToString(float(v), texts[0], decimals);
      Sp_FloatToString2(float(v), texts[1], decimals, decimals);
      Sp_DoubleToString2(v, texts[2], decimals, decimals);
      Sp_FloatToStringRound(float(v), texts[3], decimals, 5);
      for (const char* t : texts) {
        EXPECT_EQ(t[kSpFloatTextSize + 63], 0x5A) << v << " " << decimals;
        EXPECT_LT(std::strlen(t), std::size_t(kSpFloatTextSize));
        EXPECT_EQ(std::strspn(t, "0123456789.-"), std::strlen(t)) << t;
      }
    }
  }
}

TEST(StdFunctionNumber, TextToFloatAndDoubleReadsEveryDigit) {
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
      {"12abc", 12},
      {"1.2.3", 1.2},                        // stops at the first other byte; one point only
      {"1234567890.5", 1234567890.5},        // more than 9 digits before the point
      {"98765432109876", 98765432109876.0},  // no digit dropped
      {"0.1234567891", 0.1234567891},
  };
  for (const Case& c : cases) {
    double value = -99.0;
    float single = -99.0f;
    EXPECT_TRUE(Sp_StringToDouble(c.text, &value));
    EXPECT_TRUE(Sp_StringToFloat(c.text, &single));
    EXPECT_DOUBLE_EQ(value, c.expected) << c.text;
    EXPECT_FLOAT_EQ(single, float(c.expected)) << c.text;
  }
  float single = 0;
  Sp_StringToFloat(std::string(50, '9').c_str(), &single);  // beyond float: infinity
  EXPECT_TRUE(std::isinf(single));
}

TEST(StdFunctionNumber, NumberTextRoundTripsThe32BitRange) {
  const SInt32 values[] = {0, -7, 2147483647, -2147483647 - 1, 1000000};
  const char* texts[] = {"0", "-7", "2147483647", "-2147483648", "1000000"};
  for (std::size_t i = 0; i < 5; ++i) {
    char text[kSpNumberTextSize + 4];
    std::memset(text, 0x5A, sizeof text);
    Sp_NumberToString(values[i], text);
    EXPECT_STREQ(text, texts[i]);
    EXPECT_EQ(text[kSpNumberTextSize], 0x5A);
    SInt32 back = 12345;
    Sp_StringToNumber(text, &back);
    EXPECT_EQ(back, values[i]);
  }
  SInt32 value = 42;
  Sp_StringToNumber("", &value);  // an empty field keeps the number read before
  EXPECT_EQ(value, 42);
  // The 255 bytes a length-prefixed string holds end with "17": the 256th byte is not read.
  Sp_StringToNumber((std::string(253, '0') + "17" + std::string(700, '9')).c_str(), &value);
  EXPECT_EQ(value, 17);
}

// A BCD byte holds two decimal digits, the tens in the high nibble: the disc positions of a
// CD's table of contents are stored this way.
TEST(StdFunctionNumber, BCDBytesHoldTheTensInTheHighNibbleBothWays) {
  const struct {
    UInt8 number, bcd;
  } cases[] = {{0, 0x00}, {9, 0x09}, {10, 0x10}, {12, 0x12}, {59, 0x59}, {74, 0x74}, {99, 0x99}};
  for (const auto& c : cases) {
    EXPECT_EQ(Sp_Number_To_BCD(c.number), c.bcd) << int(c.number);
    EXPECT_EQ(Sp_BCD_To_Number(c.bcd), c.number) << int(c.number);
  }
  for (UInt8 n = 0; n <= 99; ++n) EXPECT_EQ(Sp_BCD_To_Number(Sp_Number_To_BCD(n)), n);
}

TEST(StdFunctionNumber, AddZeroPadsToWidthAndCapsHugeWidth) {
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
  char text[257 + 16];
  std::memset(text, 0x5A, sizeof text);
  Sp_NumberToStringAddZero(1, 1000000, text);
  EXPECT_EQ(std::string(text), std::string(254, '0') + "1");
  EXPECT_EQ(text[257], 0x5A);
  for (SInt32 v : {0, 9, 10, -100, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(Sp_GetKetasu(v), SInt32(std::to_string(std::abs(double(v))).find('.'))) << v;
  }
}

TEST(StdFunctionNumber, RandomIntegersStayWithinLimitsAndReachBothEvenOneApart) {
  struct Case {
    short low, high;
    bool bothEnds;  // small ranges must reach both limits within the draws
  } cases[] = {{1, 3, true},           {-10, 10, true},      {0, 1, true},
               {-32768, 32767, false}, {32760, 32767, true}, {5, 5, true}};
  for (const Case& c : cases) {
    std::set<short> seen;
    for (SInt32 seed = 1; seed < 2000; ++seed) {
      SetRandomSeed(seed * 7919);
      short out = 0;
      Sp_GetRandomIntNumber(c.low, c.high, &out);
      ASSERT_TRUE(out >= c.low && out <= c.high) << out;
      seen.insert(out);
    }
    EXPECT_TRUE(!c.bothEnds || (seen.count(c.low) && seen.count(c.high))) << c.low;
  }
  // By ticks: the limits in either order; a span of 2^32 wraps to 0 and is no divisor.
  sp_testing::VirtualClockScope clock(0);
  for (int i = 0; i < 50; ++i) {
    UInt32 v = Sp_GetRandomIntNumberByTick(20, 10);
    EXPECT_TRUE(v >= 10u && v <= 20u) << v;
    EXPECT_EQ(Sp_GetRandomIntNumberByTick(5, 5), 5u);
    EXPECT_EQ(Sp_GetRandomIntNumberByTick(0, 0xFFFFFFFFu), TickCount());
    sp_testing::AdvanceClockTicks(7);
  }
}

// With the bundle layout the name is the bundle folder's, into the buffer of a classic name:
// a long one comes as its stand-in, and nothing is written past the 32 bytes. The layout
// cannot be switched off again, so this runs in a child process of its own.
// ---- Modifier keys --------------------------------------------------------------------------

TEST(StdFunctionNumber, ModifierBitsBecomeTheirFiveFlagsAndNothingElseLeaksIn) {
  const struct {
    short bits;
    sSpModifiersDataStruct flags;  // command, shift, caps lock, option, control
  } cases[] = {
      {0x0000, {0, 0, 0, 0, 0}}, {0x0100, {1, 0, 0, 0, 0}}, {0x0200, {0, 1, 0, 0, 0}},
      {0x0400, {0, 0, 1, 0, 0}}, {0x0800, {0, 0, 0, 1, 0}}, {0x1000, {0, 0, 0, 0, 1}},
      {0x0900, {1, 0, 0, 1, 0}}, {0x1F00, {1, 1, 1, 1, 1}},
      {short(0x0081), {0, 0, 0, 0, 0}},  // button state and active flag are no modifiers
  };
  for (const auto& c : cases) {
    sSpModifiersDataStruct info{9, 9, 9, 9, 9};
    Sp_ModifiersValueToModifiersDataInfo(c.bits, info);
    EXPECT_EQ(0, std::memcmp(&info, &c.flags, sizeof info)) << std::hex << c.bits;
  }
}

TEST(StdFunctionNumber, GetModifiersReadsTheLiveKeyboard) {
  sp_testing::ReleaseAllKeys();
  sp_testing::SetKeyDown(56, true);  // shift
  sp_testing::SetKeyDown(55, true);  // command
  short bits = 0;
  sSpModifiersDataStruct info{};
  EXPECT_TRUE(Sp_GetModifiers(&bits, &info));
  EXPECT_EQ(bits, 0x0300);
  EXPECT_EQ(info.commandFlag, 1);
  EXPECT_EQ(info.shiftFlag, 1);
  EXPECT_EQ(info.capsLockFlag + info.optionFlag + info.controlFlag, 0);

  sp_testing::ReleaseAllKeys();
  const std::pair<UInt8, short> keys[] = {{57, 0x0400}, {58, 0x0800}, {59, 0x1000}};
  for (const auto& [code, expected] : keys) {
    sp_testing::SetKeyDown(code, true);
    EXPECT_TRUE(Sp_GetModifiers(&bits, nullptr));
    EXPECT_EQ(bits, expected) << int(code);
    sp_testing::SetKeyDown(code, false);
  }
  EXPECT_TRUE(Sp_GetModifiers(nullptr, &info));
  EXPECT_EQ(info.commandFlag + info.shiftFlag, 0);
  ErrorLogCapture log;
  EXPECT_FALSE(Sp_GetModifiers(nullptr, nullptr));
  EXPECT_TRUE(log.Has("Sp_GetModifiers", 1));
}

TEST(StdFunctionNumberBundle, TheBundlesNameStaysInsideTheBufferOfAClassicName) {
  EXPECT_EXIT(
      {
        sp_testing::HomeScope home;
        Sp_BundleProjectTypeEnable();
        int failures = 0;
        for (const std::string name : {std::string("Short.app"), std::string(60, 'L') + ".app"}) {
          mkdir(home.Path(name).c_str(), 0700);
          sp_testing::SetMainBundleFolder(home.Path(name));
          char buffer[80];
          std::memset(buffer, '#', sizeof buffer);
          short vRefNum = 0;
          SInt32 dirID = 0;
          const bool ok = Sp_GetApplicatinFolderInfo(vRefNum, dirID, buffer) == noErr;
          const std::string got(buffer, strnlen(buffer, sizeof buffer));
          const bool fits = got.size() <= 31 && buffer[got.size()] == '\0' &&
                            std::string(buffer + 32, 48) == std::string(48, '#');
          const bool named = name.size() <= 31 ? got == name : got.find('#') != std::string::npos;
          if (!ok || !fits || !named || dirID <= 2) ++failures;
        }
        _exit(failures);
      },
      ::testing::ExitedWithCode(0), "");
}
