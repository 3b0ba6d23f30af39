#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "ErrorLogCapture.h"
#include "Random.h"
#include "SpStdFunctionNumber.h"
#include "SpTesting.h"
#include "TestResources.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(StdFunctionNumber, DoubleTextIsRoundedHalfUpAndShowsTheMinimumOfDecimals) {
  struct Case {
    double value;
    short decimals, minimum;
    const char* expected;
  } cases[] = {
      {2.375, 2, 0, "2.38"},                     // half up on the third digit
      {1.5, 3, 0, "1.5"},                        // trailing zeros dropped
      {1.5, 3, 3, "1.500"},                      // but the minimum is shown
      {1.5, 3, 5, "1.500"},                      // never more than the decimals
      {0.996, 2, 0, "1"},                        // rounding carries into the integer part
      {-0.001, 2, 2, "0"},                       // what shows as zero has no sign
      {2.7, 0, 0, "2"},                          // no rounding without decimals
      {-3.25, 1, 0, "-3.3"},                     // the magnitude rounds half up
      {1234567890123.0, 2, 0, "1234567890123"},  // every digit kept beyond 32 bits
  };
  for (const Case& c : cases) {
    char text[kSpFloatTextSize];
    Sp_DoubleToString2(c.value, text, c.decimals, c.minimum);
    EXPECT_STREQ(text, c.expected) << c.value << " " << c.decimals << " " << c.minimum;
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
