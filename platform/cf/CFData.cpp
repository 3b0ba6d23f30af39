#include "CFData.h"

#include <cstring>
#include <new>

#include "detail/CFObjects.h"

namespace {

SpCFData* Data(CFDataRef d) {
  return sp_cf::As<SpCFData>(d, sp_cf::kTypeData);
}

SpCFData* MutableData(CFMutableDataRef d) {
  SpCFData* data = Data(d);
  return data != nullptr && data->isMutable ? data : nullptr;
}

bool ValidRange(const SpCFData* d, CFRange range) {
  return range.location >= 0 && range.length >= 0 &&
         CFIndex(d->bytes.size()) - range.location >= range.length;
}

// Mutable data with a capacity refuses to grow past it.
bool Fits(const SpCFData* d, std::size_t newSize) {
  return d->capacity == 0 || newSize <= std::size_t(d->capacity);
}

}  // namespace

bool SpCFData::Equal(const Object& other) const {
  return bytes == static_cast<const SpCFData&>(other).bytes;
}

CFHashCode SpCFData::Hash() const {
  return sp_cf::HashUnits(bytes);
}

CFTypeID CFDataGetTypeID() {
  return sp_cf::kTypeData;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return nullptr;
  SpCFData* d = new (std::nothrow) SpCFData();
  if (d == nullptr) return nullptr;
  if (length > 0) d->bytes.assign(bytes, bytes + length);
  return d;
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef) {
  return CFDataCreate(allocator, bytes, length);
}

CFDataRef CFDataCreateCopy(CFAllocatorRef, CFDataRef theData) {
  const SpCFData* source = Data(theData);
  if (source == nullptr) return nullptr;
  if (!source->isMutable) return static_cast<CFDataRef>(CFRetain(theData));
  SpCFData* d = new (std::nothrow) SpCFData();
  if (d != nullptr) d->bytes = source->bytes;
  return d;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
  SpCFData* d = new (std::nothrow) SpCFData();
  if (d == nullptr) return nullptr;
  d->isMutable = true;
  d->capacity = capacity > 0 ? capacity : 0;
  return d;
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity,
                                         CFDataRef theData) {
  const SpCFData* source = Data(theData);
  if (source == nullptr) return nullptr;
  if (capacity > 0 && source->bytes.size() > std::size_t(capacity)) return nullptr;
  CFMutableDataRef d = CFDataCreateMutable(allocator, capacity);
  if (d != nullptr) d->bytes = source->bytes;
  return d;
}

CFIndex CFDataGetLength(CFDataRef theData) {
  const SpCFData* d = Data(theData);
  return d == nullptr ? 0 : CFIndex(d->bytes.size());
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  const SpCFData* d = Data(theData);
  return d == nullptr || d->bytes.empty() ? nullptr : d->bytes.data();
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData) {
  SpCFData* d = MutableData(theData);
  return d == nullptr || d->bytes.empty() ? nullptr : d->bytes.data();
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer) {
  const SpCFData* d = Data(theData);
  if (d == nullptr || buffer == nullptr || !ValidRange(d, range) || range.length == 0) return;
  std::memcpy(buffer, d->bytes.data() + range.location, std::size_t(range.length));
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length) {
  SpCFData* d = MutableData(theData);
  if (d == nullptr || length < 0 || !Fits(d, std::size_t(length))) return;
  d->bytes.resize(std::size_t(length), 0);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength) {
  SpCFData* d = MutableData(theData);
  if (d == nullptr || extraLength <= 0) return;
  CFDataSetLength(theData, CFIndex(d->bytes.size()) + extraLength);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length) {
  SpCFData* d = MutableData(theData);
  if (d == nullptr || bytes == nullptr || length <= 0) return;
  if (!Fits(d, d->bytes.size() + std::size_t(length))) return;
  d->bytes.insert(d->bytes.end(), bytes, bytes + length);
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes,
                        CFIndex newLength) {
  SpCFData* d = MutableData(theData);
  if (d == nullptr || !ValidRange(d, range) || newLength < 0 ||
      (newBytes == nullptr && newLength > 0)) {
    return;
  }
  if (!Fits(d, d->bytes.size() - std::size_t(range.length) + std::size_t(newLength))) return;
  const std::vector<UInt8> replacement(newBytes, newBytes + newLength);
  d->bytes.erase(d->bytes.begin() + range.location,
                 d->bytes.begin() + range.location + range.length);
  d->bytes.insert(d->bytes.begin() + range.location, replacement.begin(), replacement.end());
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) {
  CFDataReplaceBytes(theData, range, nullptr, 0);
}
