// CFNumber keeps every value as a 64-bit integer or a double; CFBoolean is two constants.
#include "CFNumber.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "detail/CFObjects.h"

namespace {

SpCFBoolean gTrue(true);
SpCFBoolean gFalse(false);

const SpCFNumber* Number(CFNumberRef n) {
  return sp_cf::As<const SpCFNumber>(n, sp_cf::kTypeNumber);
}

enum class Shape { kInvalid, kInt, kFloat };

// How a number type is held in memory: integer of `size` bytes, or float of `size` bytes.
Shape ShapeOf(CFNumberType type, std::size_t* size) {
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      *size = 1;
      return Shape::kInt;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      *size = 2;
      return Shape::kInt;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      *size = 4;
      return Shape::kInt;
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
      *size = 8;
      return Shape::kInt;
    case kCFNumberLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
      *size = sizeof(long);
      return Shape::kInt;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      *size = 4;
      return Shape::kFloat;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
      *size = 8;
      return Shape::kFloat;
    default:
      return Shape::kInvalid;
  }
}

SInt64 LoadInt(const void* p, std::size_t size) {
  switch (size) {
    case 1: {
      SInt8 v;
      std::memcpy(&v, p, 1);
      return v;
    }
    case 2: {
      SInt16 v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 4: {
      SInt32 v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default: {
      SInt64 v;
      std::memcpy(&v, p, 8);
      return v;
    }
  }
}

// Stores v in an integer of size bytes, clamped; false when it had to be clamped.
bool StoreInt(SInt64 v, void* p, std::size_t size) {
  SInt64 lo = std::numeric_limits<SInt64>::min();
  SInt64 hi = std::numeric_limits<SInt64>::max();
  if (size < 8) {
    hi = (SInt64(1) << (8 * size - 1)) - 1;
    lo = -hi - 1;
  }
  const bool exact = v >= lo && v <= hi;
  const SInt64 c = v < lo ? lo : (v > hi ? hi : v);
  switch (size) {
    case 1: {
      const SInt8 x = SInt8(c);
      std::memcpy(p, &x, 1);
      break;
    }
    case 2: {
      const SInt16 x = SInt16(c);
      std::memcpy(p, &x, 2);
      break;
    }
    case 4: {
      const SInt32 x = SInt32(c);
      std::memcpy(p, &x, 4);
      break;
    }
    default:
      std::memcpy(p, &c, 8);
      break;
  }
  return exact;
}

// The nearest 64-bit integer toward zero (NaN gives 0); false unless exact.
bool DoubleToInt(double d, SInt64* out) {
  if (std::isnan(d)) {
    *out = 0;
    return false;
  }
  if (d >= 9223372036854775807.0) {
    *out = std::numeric_limits<SInt64>::max();
    return false;
  }
  if (d <= -9223372036854775808.0) {
    *out = std::numeric_limits<SInt64>::min();
    return d == -9223372036854775808.0;
  }
  *out = SInt64(d);
  return double(*out) == d;
}

}  // namespace

const CFBooleanRef kCFBooleanTrue = &gTrue;
const CFBooleanRef kCFBooleanFalse = &gFalse;

CFTypeID CFBooleanGetTypeID() {
  return sp_cf::kTypeBoolean;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  const SpCFBoolean* b = sp_cf::As<const SpCFBoolean>(boolean, sp_cf::kTypeBoolean);
  return b != nullptr && b->value;
}

bool SpCFNumber::Equal(const Object& other) const {
  const SpCFNumber& o = static_cast<const SpCFNumber&>(other);
  if (!isFloat && !o.isFloat) return integer == o.integer;
  const double a = isFloat ? real : double(integer);
  const double b = o.isFloat ? o.real : double(o.integer);
  return a == b;
}

CFHashCode SpCFNumber::Hash() const {
  SInt64 asInt = integer;
  if (isFloat && !DoubleToInt(real, &asInt)) {
    UInt64 bits;
    std::memcpy(&bits, &real, 8);
    return CFHashCode(bits);
  }
  return CFHashCode(asInt);
}

CFTypeID CFNumberGetTypeID() {
  return sp_cf::kTypeNumber;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
  std::size_t size = 0;
  const Shape shape = ShapeOf(theType, &size);
  if (shape == Shape::kInvalid || valuePtr == nullptr) return nullptr;
  SpCFNumber* n = new (std::nothrow) SpCFNumber();
  if (n == nullptr) return nullptr;
  if (shape == Shape::kInt) {
    n->integer = LoadInt(valuePtr, size);
  } else {
    n->isFloat = true;
    if (size == 4) {
      float f;
      std::memcpy(&f, valuePtr, 4);
      n->real = f;
    } else {
      std::memcpy(&n->real, valuePtr, 8);
    }
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const SpCFNumber* n = Number(number);
  if (n == nullptr) return 0;
  return n->isFloat ? kCFNumberFloat64Type : kCFNumberSInt64Type;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
  return Number(number) == nullptr ? 0 : 8;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const SpCFNumber* n = Number(number);
  return n != nullptr && n->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  const SpCFNumber* n = Number(number);
  std::size_t size = 0;
  const Shape shape = ShapeOf(theType, &size);
  if (n == nullptr || shape == Shape::kInvalid || valuePtr == nullptr) return false;
  if (shape == Shape::kInt) {
    SInt64 v = n->integer;
    bool exact = true;
    if (n->isFloat) exact = DoubleToInt(n->real, &v);
    return StoreInt(v, valuePtr, size) && exact;
  }
  const double d = n->isFloat ? n->real : double(n->integer);
  bool exact = true;
  if (size == 4) {
    float f;
    if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max())) {
      f = d > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    } else {
      f = float(d);
    }
    std::memcpy(valuePtr, &f, 4);
    if (n->isFloat) {
      exact = std::isnan(d) || double(f) == d;
    } else {
      SInt64 back = 0;
      exact = DoubleToInt(double(f), &back) && back == n->integer;
    }
  } else {
    std::memcpy(valuePtr, &d, 8);
    if (!n->isFloat) {
      SInt64 back = 0;
      exact = DoubleToInt(d, &back) && back == n->integer;
    }
  }
  return exact;
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*) {
  const SpCFNumber* a = Number(number);
  const SpCFNumber* b = Number(otherNumber);
  if (a == nullptr || b == nullptr) return kCFCompareEqualTo;
  if (!a->isFloat && !b->isFloat) {
    if (a->integer == b->integer) return kCFCompareEqualTo;
    return a->integer < b->integer ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  const double x = a->isFloat ? a->real : double(a->integer);
  const double y = b->isFloat ? b->real : double(b->integer);
  if (x == y) return kCFCompareEqualTo;
  return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
}
