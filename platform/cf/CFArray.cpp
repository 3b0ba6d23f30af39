#include "CFArray.h"

#include <algorithm>
#include <new>

#include "detail/CFObjects.h"

namespace {

SpCFArray* Array(CFArrayRef a) {
  return sp_cf::As<SpCFArray>(a, sp_cf::kTypeArray);
}

SpCFArray* MutableArray(CFMutableArrayRef a) {
  SpCFArray* array = Array(a);
  return array != nullptr && array->isMutable ? array : nullptr;
}

bool ValidRange(const SpCFArray* a, CFRange range) {
  return range.location >= 0 && range.length >= 0 &&
         CFIndex(a->values.size()) - range.location >= range.length;
}

const void* Retain(const SpCFArray* a, const void* value) {
  return a->callBacks.retain != nullptr ? a->callBacks.retain(nullptr, value) : value;
}

void Release(const SpCFArray* a, const void* value) {
  if (a->callBacks.release != nullptr) a->callBacks.release(nullptr, value);
}

bool Same(const SpCFArray* a, const void* x, const void* y) {
  if (x == y) return true;
  return a->callBacks.equal != nullptr && a->callBacks.equal(x, y);
}

bool HasRoom(const SpCFArray* a) {
  return a->capacity == 0 || a->values.size() < std::size_t(a->capacity);
}

SpCFArray* NewArray(const CFArrayCallBacks* callBacks, bool isMutable, CFIndex capacity) {
  SpCFArray* a = new (std::nothrow) SpCFArray();
  if (a == nullptr) return nullptr;
  if (callBacks != nullptr) a->callBacks = *callBacks;
  a->isMutable = isMutable;
  a->capacity = capacity > 0 ? capacity : 0;
  return a;
}

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, sp_cf::RetainValue, sp_cf::ReleaseValue, nullptr,
                                                sp_cf::EqualValues};

SpCFArray::~SpCFArray() {
  for (const void* v : values) Release(this, v);
}

bool SpCFArray::Equal(const Object& other) const {
  const SpCFArray& o = static_cast<const SpCFArray&>(other);
  if (values.size() != o.values.size()) return false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!Same(this, values[i], o.values[i])) return false;
  }
  return true;
}

CFHashCode SpCFArray::Hash() const {
  return CFHashCode(values.size());
}

CFTypeID CFArrayGetTypeID() {
  return sp_cf::kTypeArray;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (values == nullptr && numValues > 0)) return nullptr;
  SpCFArray* a = NewArray(callBacks, false, 0);
  if (a == nullptr) return nullptr;
  a->values.reserve(std::size_t(numValues));
  for (CFIndex i = 0; i < numValues; ++i) a->values.push_back(Retain(a, values[i]));
  return a;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef theArray) {
  const SpCFArray* source = Array(theArray);
  if (source == nullptr) return nullptr;
  return CFArrayCreate(allocator, const_cast<const void**>(source->values.data()),
                       CFIndex(source->values.size()), &source->callBacks);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
  return NewArray(callBacks, true, capacity);
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef, CFIndex capacity, CFArrayRef theArray) {
  const SpCFArray* source = Array(theArray);
  if (source == nullptr) return nullptr;
  if (capacity > 0 && source->values.size() > std::size_t(capacity)) return nullptr;
  SpCFArray* a = NewArray(&source->callBacks, true, capacity);
  if (a == nullptr) return nullptr;
  for (const void* v : source->values) a->values.push_back(Retain(a, v));
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  const SpCFArray* a = Array(theArray);
  return a == nullptr ? 0 : CFIndex(a->values.size());
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || idx < 0 || std::size_t(idx) >= a->values.size()) return nullptr;
  return a->values[std::size_t(idx)];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || values == nullptr || !ValidRange(a, range)) return;
  for (CFIndex i = 0; i < range.length; ++i) values[i] = a->values[std::size_t(range.location + i)];
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || !ValidRange(a, range)) return 0;
  CFIndex count = 0;
  for (CFIndex i = range.location; i < range.location + range.length; ++i) {
    if (Same(a, a->values[std::size_t(i)], value)) ++count;
  }
  return count;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
  return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || !ValidRange(a, range)) return kCFNotFound;
  for (CFIndex i = range.location; i < range.location + range.length; ++i) {
    if (Same(a, a->values[std::size_t(i)], value)) return i;
  }
  return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || !ValidRange(a, range)) return kCFNotFound;
  for (CFIndex i = range.location + range.length - 1; i >= range.location; --i) {
    if (Same(a, a->values[std::size_t(i)], value)) return i;
  }
  return kCFNotFound;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier,
                          void* context) {
  const SpCFArray* a = Array(theArray);
  if (a == nullptr || applier == nullptr || !ValidRange(a, range)) return;
  // A copy, so an applier that changes the array cannot pull values from under the loop.
  const std::vector<const void*> values(a->values.begin() + range.location,
                                        a->values.begin() + range.location + range.length);
  CFRetain(theArray);
  for (const void* v : values) applier(v, context);
  CFRelease(theArray);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr || !HasRoom(a)) return;
  a->values.push_back(Retain(a, value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr || idx < 0 || std::size_t(idx) > a->values.size() || !HasRoom(a)) return;
  a->values.insert(a->values.begin() + idx, Retain(a, value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr || idx < 0 || std::size_t(idx) > a->values.size()) return;
  if (std::size_t(idx) == a->values.size()) {
    CFArrayAppendValue(theArray, value);
    return;
  }
  const void* old = a->values[std::size_t(idx)];
  a->values[std::size_t(idx)] = Retain(a, value);
  Release(a, old);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr || idx < 0 || std::size_t(idx) >= a->values.size()) return;
  const void* old = a->values[std::size_t(idx)];
  a->values.erase(a->values.begin() + idx);
  Release(a, old);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr) return;
  std::vector<const void*> old;
  old.swap(a->values);
  for (const void* v : old) Release(a, v);
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange) {
  SpCFArray* a = MutableArray(theArray);
  const SpCFArray* other = Array(otherArray);
  if (a == nullptr || other == nullptr || !ValidRange(other, otherRange)) return;
  const std::vector<const void*> values(
      other->values.begin() + otherRange.location,
      other->values.begin() + otherRange.location + otherRange.length);
  for (const void* v : values) CFArrayAppendValue(theArray, v);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2) {
  SpCFArray* a = MutableArray(theArray);
  const CFIndex n = CFIndex(a == nullptr ? 0 : a->values.size());
  if (a == nullptr || idx1 < 0 || idx2 < 0 || idx1 >= n || idx2 >= n) return;
  std::swap(a->values[std::size_t(idx1)], a->values[std::size_t(idx2)]);
}

void CFArraySortValues(CFMutableArrayRef theArray, CFRange range, CFComparatorFunction comparator,
                       void* context) {
  SpCFArray* a = MutableArray(theArray);
  if (a == nullptr || comparator == nullptr || !ValidRange(a, range)) return;
  std::stable_sort(a->values.begin() + range.location,
                   a->values.begin() + range.location + range.length,
                   [&](const void* x, const void* y) {
                     return comparator(x, y, context) == kCFCompareLessThan;
                   });
}
