#include "CFDate.h"

#include <cstring>
#include <new>

#include "detail/CFObjects.h"

bool SpCFDate::Equal(const Object& other) const {
  return time == static_cast<const SpCFDate&>(other).time;
}

CFHashCode SpCFDate::Hash() const {
  UInt64 bits;
  std::memcpy(&bits, &time, 8);
  return CFHashCode(bits);
}

CFTypeID CFDateGetTypeID() {
  return sp_cf::kTypeDate;
}

CFDateRef CFDateCreate(CFAllocatorRef, CFAbsoluteTime at) {
  SpCFDate* d = new (std::nothrow) SpCFDate();
  if (d != nullptr) d->time = at;
  return d;
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) {
  const SpCFDate* d = sp_cf::As<const SpCFDate>(theDate, sp_cf::kTypeDate);
  return d == nullptr ? 0.0 : d->time;
}

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void*) {
  const CFAbsoluteTime a = CFDateGetAbsoluteTime(theDate);
  const CFAbsoluteTime b = CFDateGetAbsoluteTime(otherDate);
  if (a == b) return kCFCompareEqualTo;
  return a < b ? kCFCompareLessThan : kCFCompareGreaterThan;
}
