#include "SpStdFunctionNumber.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "ByteOrder.h"
#include "CFBundle.h"
#include "CFString.h"
#include "CFURL.h"
#include "CFURLFiles.h"
#include "Clock.h"
#include "Events.h"
#include "Files.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "Processes.h"
#include "Random.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionInternal.h"
#include "SpStdFunction.h"
#include "TextUtils.h"

namespace {

const char kSource[] = "SpStdFunction";
const char kMsgRequiredNull[] = "Required argument is Null";

// Process-wide flags, written once at start-up.
Boolean enableCarbonEventMmodeFlag_GlV = 0;
Boolean bundleProjectTypeFlag_GlV = 0;

// ---- Text building -------------------------------------------------------------------------

// Collects one formatted text. Its room is larger than any text the formatters make, and it
// refuses bytes beyond kSpFloatTextSize - 1 all the same, so the caller's buffer is never
// written past that size.
class TextOut {
 public:
  void Put(char c) {
    if (length_ < kSpFloatTextSize - 1) buffer_[length_++] = c;
  }
  void Put(const char* s, int count) {
    for (int i = 0; i < count; ++i) Put(s[i]);
  }
  void Clear() { length_ = 0; }
  void CopyTo(char* text) const {
    std::memcpy(text, buffer_, std::size_t(length_));
    text[length_] = '\0';
  }

 private:
  char buffer_[kSpFloatTextSize];
  int length_ = 0;
};

// The decimal digits of a non-negative integral value into out (room for 48 bytes); returns
// how many. Magnitudes of 10^39 and more (beyond every float) are written as 39 nines, a NaN
// as 0.
int IntegralDigits(double value, char* out) {
  if (!(value >= 0)) value = 0;
  if (value >= 1e39) {
    std::memset(out, '9', 39);
    out[39] = '\0';
    return 39;
  }
  return std::snprintf(out, 48, "%.0f", std::trunc(value));
}

void PutIntegral(TextOut& t, double value) {
  char digits[48];
  int n = IntegralDigits(value, digits);
  t.Put(digits, n);
}

// One decimal digit from the difference of two truncated products; rounding noise far past
// a value's precision can push it outside 0..9, and a digit is never written as anything else.
template <class T>
int DigitOf(T difference) {
  if (!(difference > 0)) return 0;
  if (difference > 9) return 9;
  return int(difference);
}

int ClampDecimals(short decimals) {
  return decimals > kSpMaxFloatDecimals ? int(kSpMaxFloatDecimals) : int(decimals);
}

// The value and fraction-to-text steps of Sp_FloatToString2 (T = float, every intermediate in
// single precision) and Sp_DoubleToString2 (T = double).
template <class T>
void FormatWithMinimumDecimals(T value, TextOut& t, int decimals, int minimumDecimals) {
  if (std::isnan(value) || value == 0) {
    t.Put('0');
    return;
  }
  if (value < 0) {
    t.Put('-');
    value = -value;
  }
  const T ten = T(10);
  T integral = std::trunc(value);
  T fraction = value - integral;
  if (!std::isfinite(fraction)) fraction = 0;  // an infinite value has no fraction

  // The kept decimals as a whole number of units of the last one, rounded half up on the digit
  // after them, and written digit by digit from that number: dividing the rounded fraction
  // back and multiplying it out again would bring the rounding noise back (2.8 to three
  // decimals came out as 2.801).
  int digits[kSpMaxFloatDecimals];
  int significant = 0;  // one past the last digit above 0
  if (decimals > 0) {
    T scaled = fraction;
    T scale = 1;
    for (int i = 0; i < decimals; ++i) {
      scaled = scaled * ten;
      scale = scale * ten;
    }
    T next = std::trunc(scaled * ten) - ten * std::trunc(scaled);
    T units = std::trunc(scaled);
    if (next > 4) units = units + T(1);
    // A fraction rounded up to a whole unit or more carries into the integer part.
    if (units >= scale) {
      integral = integral + T(1);
      units = units - scale;
    }
    for (int i = decimals - 1; i >= 0; --i) {
      const T rest = std::trunc(units / ten);
      digits[i] = DigitOf(units - rest * ten);
      units = rest;
      if (digits[i] > 0 && significant == 0) significant = i + 1;
    }
  }

  if (integral == 0 && (significant == 0 || decimals <= 0)) {
    t.Clear();  // no sign on a value that shows as zero
    t.Put('0');
    return;
  }
  PutIntegral(t, double(integral));
  int shown = 0;
  // Without decimals there is no point, whatever the minimum asks: "12", never "12.".
  if (minimumDecimals > significant && decimals > 0) {
    shown = minimumDecimals < decimals ? minimumDecimals : decimals;
    t.Put('.');
  } else if (significant > 0) {
    shown = significant;
    t.Put('.');
  }
  for (int i = 0; i < shown; ++i) t.Put(char('0' + digits[i]));
}

// The same into the caller's text of kSpFloatTextSize bytes.
template <class T>
void FormatWithMinimumDecimalsInto(T value, char* text, short decimals, short minimumDecimals,
                                   const char* method) {
  if (text == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgPointerArg);
    return;
  }
  TextOut t;
  FormatWithMinimumDecimals<T>(value, t, ClampDecimals(decimals), minimumDecimals);
  t.CopyTo(text);
}

// Reads the longest prefix of the text that has the form [sign] digits [. digits] (at least
// one digit) into a clean copy for std::from_chars, which knows no locale. False when there
// is no such prefix.
bool CleanNumberText(const char* text, bool& negative, std::string& clean, bool& integralNonZero) {
  const char* p = text;
  negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  bool anyDigit = false;
  bool point = false;
  integralNonZero = false;
  for (; *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') {
      anyDigit = true;
      if (!point && *p != '0') integralNonZero = true;
      clean.push_back(*p);
    } else if (*p == '.' && !point) {
      point = true;
      clean.push_back('.');
    } else {
      break;
    }
  }
  return anyDigit;
}

// The value of a decimal text, correctly rounded to T, however many digits it has. Values too
// large for T become infinities and values too small for it zero, as strtod does.
template <class T>
Boolean ParseDecimal(const char* text, T* value) {
  bool negative = false;
  bool integralNonZero = false;
  std::string clean;
  if (!CleanNumberText(text, negative, clean, integralNonZero)) {
    *value = 0;
    return 1;
  }
  T result = 0;
  auto r =
      std::from_chars(clean.data(), clean.data() + clean.size(), result, std::chars_format::fixed);
  if (r.ec == std::errc::result_out_of_range) {
    result = integralNonZero ? std::numeric_limits<T>::infinity() : T(0);
  } else if (r.ec != std::errc()) {
    result = 0;
  }
  *value = negative ? -result : result;
  return 1;
}

// The modifier flags held in the live keyboard map.
sSpModifiersDataStruct ModifiersFromKeyMap(const KeyMap keys) {
  const UInt8* bytes = reinterpret_cast<const UInt8*>(keys);
  auto down = [bytes](UInt8 code) -> Boolean { return (bytes[code >> 3] >> (code & 7)) & 1; };
  sSpModifiersDataStruct info;
  info.commandFlag = down(kVK_Command);
  info.shiftFlag = down(kVK_Shift);
  info.capsLockFlag = down(kVK_CapsLock);
  info.optionFlag = down(kVK_Option);
  info.controlFlag = down(kVK_Control);
  return info;
}

// Marks the held keys whose flag is set (flagSet true) or clear (false); 1 when any is marked.
Boolean MarkHeldModifiers(const sSpModifiersDataStruct* keys, const sSpModifiersDataStruct* flags,
                          bool flagSet, sSpModifiersDataStruct* result, const char* method) {
  if (keys == nullptr || flags == nullptr) {
    return SpReportFailure(kSource, method, 1, kMsgRequiredNull, Boolean(0));
  }
  auto mark = [flagSet](Boolean key, Boolean flag) -> Boolean {
    return (key && (flag != 0) == flagSet) ? 1 : 0;
  };
  sSpModifiersDataStruct marked{};
  marked.commandFlag = mark(keys->commandFlag, flags->commandFlag);
  marked.shiftFlag = mark(keys->shiftFlag, flags->shiftFlag);
  marked.capsLockFlag = mark(keys->capsLockFlag, flags->capsLockFlag);
  marked.optionFlag = mark(keys->optionFlag, flags->optionFlag);
  marked.controlFlag = mark(keys->controlFlag, flags->controlFlag);
  if (result != nullptr) *result = marked;
  return (marked.commandFlag | marked.shiftFlag | marked.capsLockFlag | marked.optionFlag |
          marked.controlFlag)
             ? 1
             : 0;
}

}  // namespace

// ---- Integers and text ---------------------------------------------------------------------

void Sp_NumberToString(SInt32 value, char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_NumberToString", 1, kSpMsgPointerArg);
    return;
  }
  Str255 pascal;
  NumToString(value, pascal);
  std::size_t length = pascal[0] < kSpNumberTextSize ? pascal[0] : kSpNumberTextSize - 1;
  std::memcpy(text, pascal + 1, length);
  text[length] = '\0';
}

void Sp_StringToNumber(const char* text, SInt32* value) {
  if (text == nullptr || value == nullptr) {
    SpReportFailure(kSource, "Sp_StringToNumber", 1, kSpMsgPointerArg);
    return;
  }
  std::size_t length = std::strlen(text);
  if (length == 0) return;
  if (length > 255) length = 255;  // a length-prefixed string holds no more
  Ptr block = NewPtr(Size(length + 4));
  if (block == nullptr) {
    SpReportFailure(kSource, "Sp_StringToNumber", 2, kSpMsgPointerArg);
    return;
  }
  block[0] = char(length);
  std::memcpy(block + 1, text, length);
  StringToNum(reinterpret_cast<ConstStr255Param>(block), value);
  DisposePtr(block);
}

void Sp_NumberToStringAddZero(SInt32 value, SInt32 width, char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_NumberToStringAddZero", 1, kSpMsgPointerArg);
    return;
  }
  char number[kSpNumberTextSize];
  Sp_NumberToString(value, number);
  SInt32 length = SInt32(std::strlen(number));
  if (width > 255) width = 255;
  SInt32 zeros = width - length;
  if (zeros < 0) zeros = 0;
  std::memset(text, '0', std::size_t(zeros));
  std::memcpy(text + zeros, number, std::size_t(length) + 1);
}

SInt32 Sp_GetKetasu(SInt32 value) {
  UInt32 magnitude = value < 0 ? UInt32(0) - UInt32(value) : UInt32(value);
  SInt32 count = 1;
  while (magnitude >= 10) {
    magnitude /= 10;
    ++count;
  }
  return count;
}

UInt8 Sp_BCD_To_Number(UInt8 bcd) {
  return UInt8((bcd >> 4) * 10 + (bcd & 0x0F));
}

UInt8 Sp_Number_To_BCD(UInt8 number) {
  return UInt8(((number / 10 * 16) & 0xF0) + number % 10);
}

void Sp_BigEndianBetweenLittleEndianForLong(UInt32 value, UInt32* out) {
  if (out != nullptr) *out = sp::Swap32(value);
}

void Sp_BigEndianBetweenLittleEndianForShort(UInt16 value, UInt16* out) {
  if (out != nullptr) *out = sp::Swap16(value);
}

void Sp_DoubleToFloat80(double value, Float80* out) {
  if (out != nullptr) sp::DoubleToExtended80(value, out->bytes);
}

// ---- Floating point and text ---------------------------------------------------------------

Boolean Sp_StringToFloat(const char* text, float* value) {
  if (text == nullptr || value == nullptr) {
    return SpReportFailure(kSource, "Sp_StringToFloat", 1, kSpMsgPointerArg, Boolean(0));
  }
  return ParseDecimal(text, value);
}

Boolean Sp_StringToDouble(const char* text, double* value) {
  if (text == nullptr || value == nullptr) {
    return SpReportFailure(kSource, "Sp_StringToDouble", 1, kSpMsgPointerArg, Boolean(0));
  }
  return ParseDecimal(text, value);
}

void Sp_FloatToString(float value, char* text, short decimals) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_FloatToString", 1, kSpMsgPointerArg);
    return;
  }
  TextOut t;
  double v = std::isnan(value) ? 0.0 : double(value);
  if (v < 0) {
    t.Put('-');
    v = -v;
  }
  const int d = ClampDecimals(decimals);
  double integral = std::trunc(v);
  bool carry = false;
  int digits[kSpMaxFloatDecimals];
  if (d > 0) {
    // Each digit is the next truncated product less ten times the digits before it.
    double product = v;
    double before = integral;
    for (int i = 0; i < d; ++i) {
      product *= 10.0;
      double truncated = std::trunc(product);
      digits[i] = DigitOf(truncated - 10.0 * before);
      before = truncated;
    }
    double next = std::trunc(product * 10.0) - 10.0 * before;
    if (next > 4) {
      int i = d - 1;
      for (; i >= 0; --i) {
        if (++digits[i] < 10) break;
        digits[i] = 0;
      }
      carry = i < 0;
    }
  } else {
    double next = std::trunc(v * 10.0) - 10.0 * integral;
    carry = next > 4;
  }
  if (carry) integral = std::trunc(v + 1.0);
  PutIntegral(t, integral);
  if (d > 0) {
    t.Put('.');
    for (int i = 0; i < d; ++i) t.Put(char('0' + digits[i]));
  }
  t.CopyTo(text);
}

void Sp_FloatToString2(float value, char* text, short decimals, short minimumDecimals) {
  FormatWithMinimumDecimalsInto(value, text, decimals, minimumDecimals, "Sp_FloatToString2");
}

void Sp_DoubleToString2(double value, char* text, short decimals, short minimumDecimals) {
  FormatWithMinimumDecimalsInto(value, text, decimals, minimumDecimals, "Sp_DoubleToString2");
}

void Sp_FloatToStringRound(float value, char* text, short decimals, short roundUpDigit) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_FloatToStringRound", 1, kSpMsgPointerArg);
    return;
  }
  TextOut t;
  if (std::isnan(value) || value == 0) {
    t.Put('0');
    t.CopyTo(text);
    return;
  }
  if (value < 0) {
    t.Put('-');
    value = -value;
  }
  int d = ClampDecimals(decimals);
  if (d < 0) d = 0;
  float product = value;
  for (int i = 0; i < d; ++i) product *= 10.0f;
  if (!std::isfinite(product)) product = std::numeric_limits<float>::max();
  double units = std::trunc(double(product));  // exact: every float of this size is whole
  if (roundUpDigit != 0) {
    float tenfold = product * 10.0f;
    float next = std::isfinite(tenfold) ? std::trunc(tenfold) - 10.0f * std::trunc(product) : 0;
    if (next >= float(roundUpDigit)) units += 1;
  }
  char digits[48];
  int length = IntegralDigits(units, digits);
  if (length > d) {
    t.Put(digits, length - d);
    t.Put('.');
    t.Put(digits + (length - d), d);
  } else {
    t.Put("0.", 2);
    for (int i = length; i < d; ++i) t.Put('0');
    t.Put(digits, length);
  }
  t.CopyTo(text);
}

void Sp_FloatRound(float value, float* out, short decimals) {
  if (out == nullptr) {
    SpReportFailure(kSource, "Sp_FloatRound", 1, kSpMsgPointerArg);
    return;
  }
  if (decimals <= 0) {
    *out = value;
    return;
  }
  const int d = ClampDecimals(decimals);
  float scale = 1.0f;
  for (int i = 0; i <= d; ++i) scale *= 10.0f;
  float product = value * scale;
  if (!std::isfinite(product)) {  // too large to have a fraction at these decimals
    *out = value;
    return;
  }
  double units = std::trunc(double(product));
  double kept = std::trunc(units / 10.0);
  double last = units - 10.0 * kept;
  if (last > 4) kept += 1.0;  // a negative value's last digit is negative: it is truncated
  float divisor = 1.0f;
  for (int i = 0; i < d; ++i) divisor *= 10.0f;
  *out = float(kept) / divisor;
}

void Sp_flot2long(float value, SInt32* out, Boolean round) {
  if (out == nullptr) {
    SpReportFailure(kSource, "Sp_flot2long", 1, kSpMsgPointerArg);
    return;
  }
  if (std::isnan(value)) {
    *out = 0;
    return;
  }
  double v = value;
  double result = std::trunc(v);
  if (round) {
    // Rounds half away from zero on the first fraction digit, so -2.5 and 2.5 mirror.
    double magnitude = std::fabs(v);
    double next = std::trunc(magnitude * 10.0) - 10.0 * std::trunc(magnitude);
    if (next > 4) result += v < 0 ? -1.0 : 1.0;
  }
  if (result <= double(std::numeric_limits<SInt32>::min())) {
    *out = std::numeric_limits<SInt32>::min();
  } else if (result >= double(std::numeric_limits<SInt32>::max())) {
    *out = std::numeric_limits<SInt32>::max();
  } else {
    *out = SInt32(result);
  }
}

void Sp_flot2unsignedLong(double value, UInt32* out) {
  if (out == nullptr) {
    SpReportFailure(kSource, "Sp_flot2unsignedLong", 1, kSpMsgPointerArg);
    return;
  }
  if (!(value > 0)) {
    *out = 0;
  } else if (value >= 4294967295.0) {
    *out = 0xFFFFFFFFu;
  } else {
    *out = UInt32(value);
  }
}

short Sp_flortcmp(float a, float b, short decimals) {
  struct Parts {
    float integral;
    float fraction;  // whole units of the last decimal
  };
  const int d = ClampDecimals(decimals);
  auto split = [d](float x) {
    Parts p{std::trunc(x), 0.0f};
    if (d < 1) return p;
    float scaled = x - p.integral;
    float unit = 1.0f;
    for (int i = 0; i < d; ++i) {
      scaled *= 10.0f;
      unit *= 10.0f;
    }
    p.fraction = std::trunc(scaled);
    float next = std::trunc(scaled * 10.0f) - 10.0f * p.fraction;
    if (next > 4) p.fraction += 1.0f;
    // A fraction rounded up to a whole unit carries into the integer part, so 1.996 and 2.0
    // are equal at two decimals.
    if (p.fraction >= unit) {
      p.integral += 1.0f;
      p.fraction -= unit;
    }
    return p;
  };
  Parts pa = split(a);
  Parts pb = split(b);
  if (pa.integral > pb.integral) return 1;
  if (pa.integral < pb.integral) return -1;
  if (pa.fraction > pb.fraction) return 1;
  if (pa.fraction < pb.fraction) return -1;
  return 0;
}

// ---- Random numbers ------------------------------------------------------------------------

void Sp_GetRandomIntNumber(short low, short high, short* out) {
  if (out == nullptr) {
    SpReportFailure(kSource, "Sp_GetRandomIntNumber", 1, kSpMsgPointerArg);
    return;
  }
  if (low == high) {
    *out = high;
    return;
  }
  const int sum = int(low) + int(high);
  const float centre = sum == 0 ? 0.0f : float(sum) * 0.5f;
  const float reach = float(std::abs(int(high) - int(low))) * 0.5f + 1.0f;
  const short r = Random();
  const float value = r == 0 ? centre : centre + (float(r) / 32767.0f) * reach;
  // |value| stays below 2^16, so the truncation is exact; clamping happens before narrowing,
  // so a value past the 16-bit range ends at the nearer limit instead of wrapping.
  int n = int(value);
  if (n < low) n = low;
  if (n > high) n = high;
  *out = short(n);
}

UInt32 Sp_GetRandomIntNumberByTick(UInt32 a, UInt32 b) {
  const UInt32 smaller = a < b ? a : b;
  const UInt32 span = (a < b ? b - a : a - b) + 1u;
  // The full 32-bit range has a span of 2^32, which wraps to 0: any tick count is in range.
  if (span == 0) return TickCount();
  return TickCount() % span + smaller;
}

// ---- Versions and system -------------------------------------------------------------------

Boolean Sp_GetSystemVersion(short* major, short* minor, short* fixLevel) {
  SInt32 response = 0;
  if (Gestalt(gestaltSystemVersion, &response) != noErr) return 0;
  if (major != nullptr) {
    *major = short(((response & 0xF000) >> 12) * 10 + ((response & 0x0F00) >> 8));
  }
  if (minor != nullptr) *minor = short((response & 0x00F0) >> 4);
  if (fixLevel != nullptr) *fixLevel = short(response & 0x000F);
  return 1;
}

Boolean Sp_GetCPUVersion(SInt32* processor, SInt32* clock) {
  if (processor != nullptr && Gestalt(gestaltNativeCPUtype, processor) != noErr) return 0;
  if (clock != nullptr && Gestalt(gestaltProcClkSpeed, clock) != noErr) return 0;
  return 1;
}

Boolean Sp_GetApplicatinVersion(short resID, sNumVersion* version) {
  if (version == nullptr) {
    return SpReportFailure(kSource, "Sp_GetApplicatinVersion", 1, kSpMsgPointerArg, Boolean(0));
  }
  Handle resource = GetResource(SpFourCC("vers"), resID);
  if (resource == nullptr) return 0;
  Boolean found = 0;
  if (*resource != nullptr && GetHandleSize(resource) >= 4) {
    HLock(resource);
    const UInt8* bytes = reinterpret_cast<const UInt8*>(*resource);
    Sp_BCDVersionToVersion(NumVersion{bytes[0], bytes[1], bytes[2], bytes[3]}, version);
    HUnlock(resource);
    found = 1;
  }
  // The system file's resources are shared: only the application's own are released.
  if (HomeResFile(resource) >= 2) ReleaseResource(resource);
  return found;
}

void Sp_BCDVersionToVersion(NumVersion packed, sNumVersion* version) {
  if (version == nullptr) {
    SpReportFailure(kSource, "Sp_BCDVersionToVersion", 1, kSpMsgPointerArg);
    return;
  }
  version->majorRev = Sp_BCD_To_Number(packed.majorRev);
  version->minorRev = (packed.minorAndBugRev >> 4) & 0x0F;
  version->fixLevel = packed.minorAndBugRev & 0x0F;
  version->stage = packed.stage;
}

Boolean Sp_GetApplicatinVersionInBandle(sNumVersion* version) {
  if (version == nullptr) {
    return SpReportFailure(kSource, "Sp_GetApplicatinVersionInBandle", 1, kSpMsgPointerArg,
                           Boolean(0));
  }
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return 0;
  CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleVersion"));
  if (value == nullptr || CFGetTypeID(value) != CFStringGetTypeID()) return 0;
  char text[256] = {0};
  CFStringEncoding encoding = 0;
  if (!Sp_GetCStringFromCFString(static_cast<CFStringRef>(value), text, sizeof text, &encoding)) {
    return 0;
  }
  SInt32 numbers[3] = {0, 0, 0};
  for (SInt32 field = 0; field < 3; ++field) {
    char part[256] = {0};
    unsigned char overflow = 0;
    if (Sp_GetSeparateString(text, '.', field, part, sizeof part, &overflow)) {
      Sp_StringToNumber(part, &numbers[field]);
    }
  }
  version->majorRev = numbers[0];
  version->minorRev = numbers[1];
  version->fixLevel = numbers[2];
  version->stage = finalStage;
  return 1;
}

OSErr Sp_GetApplicatinHeapInfo(SInt32& size, SInt32& freeSize) {
  ProcessSerialNumber psn{0, kCurrentProcess};
  ProcessInfoRec info{};
  info.processInfoLength = sizeof info;
  info.processName = nullptr;
  info.processAppSpec = nullptr;
  OSErr err = GetProcessInformation(&psn, &info);
  if (err != noErr) return err;
  size = SInt32(info.processSize);
  freeSize = SInt32(info.processFreeMem);
  return noErr;
}

OSErr Sp_GetApplicatinFolderInfo(short& vRefNum, SInt32& dirID, char* name) {
  if (!bundleProjectTypeFlag_GlV) {
    // The process itself says where its program file lies.
    ProcessSerialNumber psn{0, kCurrentProcess};
    Str255 processName = {0};
    FSSpec spec;
    std::memset(&spec, 0, sizeof spec);
    ProcessInfoRec info{};
    info.processInfoLength = sizeof info;
    info.processName = processName;
    info.processAppSpec = &spec;
    OSErr err = GetProcessInformation(&psn, &info);
    if (err != noErr) return err;
    vRefNum = spec.vRefNum;
    dirID = spec.parID;
    if (name != nullptr) {
      std::memcpy(name, processName + 1, processName[0]);
      name[processName[0]] = '\0';
    }
    return noErr;
  }
  // The bundle layout: the folder that holds the bundle.
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return paramErr;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (url == nullptr) return paramErr;
  FSRef ref;
  Boolean found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  if (!found) return paramErr;
  FSSpec spec;
  FSCatalogInfo info;
  OSErr err = FSGetCatalogInfo(&ref, kFSCatInfoNodeID, &info, nullptr, &spec, nullptr);
  if (err != noErr) return err;
  vRefNum = spec.vRefNum;
  dirID = spec.parID;
  // The FSSpec may carry up to 63 bytes; the caller's buffer holds a classic name, so the
  // bundle's name is the classic one (its stand-in when it is longer).
  if (name != nullptr &&
      sp_filelib::ClassicNameOfItem(spec, SInt32(info.nodeID), true, name) != noErr) {
    name[0] = '\0';
  }
  char path[kSpMaxFullPathLength + 1];
  if (Sp_DirFullPathNameFromDirID(dirID, vRefNum, path) != noErr) SysBeep(19);
  return noErr;
}

void Sp_CarbonEvent_ModeEnable() {
  enableCarbonEventMmodeFlag_GlV = 1;
}

Boolean Sp_Is_CarbonEvent_ModeEnable() {
  return enableCarbonEventMmodeFlag_GlV;
}

void Sp_BundleProjectTypeEnable() {
  bundleProjectTypeFlag_GlV = 1;
}

Boolean Sp_IsBundleProjectType() {
  return bundleProjectTypeFlag_GlV;
}

// ---- Modifier keys -------------------------------------------------------------------------

Boolean Sp_GetModifiers(short* modifiers, sSpModifiersDataStruct* info) {
  if (modifiers == nullptr && info == nullptr) {
    return SpReportFailure(kSource, "Sp_GetModifiers", 1, kSpMsgPointerArg, Boolean(0));
  }
  KeyMap keys;
  GetKeys(keys);
  sSpModifiersDataStruct held = ModifiersFromKeyMap(keys);
  if (info != nullptr) *info = held;
  if (modifiers != nullptr) Sp_ModifiersDataInfoToModifiersValue(held, *modifiers);
  return 1;
}

void Sp_ModifiersDataInfoToModifiersValue(sSpModifiersDataStruct& info, short& modifiers) {
  UInt16 bits = 0;
  if (info.commandFlag) bits |= cmdKey;
  if (info.shiftFlag) bits |= shiftKey;
  if (info.capsLockFlag) bits |= alphaLock;
  if (info.optionFlag) bits |= optionKey;
  if (info.controlFlag) bits |= controlKey;
  modifiers = short(bits);
}

void Sp_ModifiersValueToModifiersDataInfo(short modifiers, sSpModifiersDataStruct& info) {
  const UInt16 bits = UInt16(modifiers);
  info.commandFlag = (bits & cmdKey) ? 1 : 0;
  info.shiftFlag = (bits & shiftKey) ? 1 : 0;
  info.capsLockFlag = (bits & alphaLock) ? 1 : 0;
  info.optionFlag = (bits & optionKey) ? 1 : 0;
  info.controlFlag = (bits & controlKey) ? 1 : 0;
}

Boolean Sp_CheckEnableModifierKeyOnEnableFlag(const sSpModifiersDataStruct* keys,
                                              const sSpModifiersDataStruct* flags,
                                              sSpModifiersDataStruct* result) {
  return MarkHeldModifiers(keys, flags, true, result, "Sp_CheckEnableModifierKeyOnEnableFlag");
}

Boolean Sp_CheckEnableModifierKeyOnDisableFlag(const sSpModifiersDataStruct* keys,
                                               const sSpModifiersDataStruct* flags,
                                               sSpModifiersDataStruct* result) {
  return MarkHeldModifiers(keys, flags, false, result, "Sp_CheckEnableModifierKeyOnDisableFlag");
}
