// CFDictionary: entries in insertion order with a hash index over them, so look-ups stay
// fast for the large dictionaries of a music library and enumeration is deterministic.
#include "CFDictionary.h"

#include <new>

#include "detail/CFObjects.h"

namespace {

using sp_cf::EqualValues;
using sp_cf::ReleaseValue;
using sp_cf::RetainValue;

CFHashCode HashValue(const void* value) {
  return CFHash(value);
}
const void* CopyKey(CFAllocatorRef, const void* value) {
  if (CFGetTypeID(value) == CFStringGetTypeID()) {
    return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(value));
  }
  return CFRetain(value);
}

SpCFDictionary* Dict(CFDictionaryRef d) {
  return sp_cf::As<SpCFDictionary>(d, sp_cf::kTypeDictionary);
}

SpCFDictionary* MutableDict(CFMutableDictionaryRef d) {
  SpCFDictionary* dict = Dict(d);
  return dict != nullptr && dict->isMutable ? dict : nullptr;
}

CFHashCode KeyHash(const SpCFDictionary* d, const void* key) {
  return d->keyCallBacks.hash != nullptr ? d->keyCallBacks.hash(key)
                                         : reinterpret_cast<CFHashCode>(key);
}

bool SameKey(const SpCFDictionary* d, const void* a, const void* b) {
  if (a == b) return true;
  return d->keyCallBacks.equal != nullptr && d->keyCallBacks.equal(a, b);
}

bool SameValue(const SpCFDictionary* d, const void* a, const void* b) {
  if (a == b) return true;
  return d->valueCallBacks.equal != nullptr && d->valueCallBacks.equal(a, b);
}

// Position of key among the entries, or -1.
long Find(const SpCFDictionary* d, const void* key) {
  auto range = d->index.equal_range(KeyHash(d, key));
  for (auto it = range.first; it != range.second; ++it) {
    if (SameKey(d, d->entries[it->second].first, key)) return long(it->second);
  }
  return -1;
}

const void* RetainKey(const SpCFDictionary* d, const void* key) {
  return d->keyCallBacks.retain != nullptr ? d->keyCallBacks.retain(nullptr, key) : key;
}
const void* RetainVal(const SpCFDictionary* d, const void* value) {
  return d->valueCallBacks.retain != nullptr ? d->valueCallBacks.retain(nullptr, value) : value;
}
void ReleaseKey(const SpCFDictionary* d, const void* key) {
  if (d->keyCallBacks.release != nullptr) d->keyCallBacks.release(nullptr, key);
}
void ReleaseVal(const SpCFDictionary* d, const void* value) {
  if (d->valueCallBacks.release != nullptr) d->valueCallBacks.release(nullptr, value);
}

bool HasRoom(const SpCFDictionary* d) {
  return d->capacity == 0 || d->entries.size() < std::size_t(d->capacity);
}

void Add(SpCFDictionary* d, const void* key, const void* value) {
  d->entries.emplace_back(RetainKey(d, key), RetainVal(d, value));
  d->index.emplace(KeyHash(d, key), d->entries.size() - 1);
}

void Replace(SpCFDictionary* d, std::size_t at, const void* value) {
  const void* old = d->entries[at].second;
  d->entries[at].second = RetainVal(d, value);
  ReleaseVal(d, old);
}

void Reindex(SpCFDictionary* d) {
  d->index.clear();
  for (std::size_t i = 0; i < d->entries.size(); ++i) {
    d->index.emplace(KeyHash(d, d->entries[i].first), i);
  }
}

SpCFDictionary* NewDict(const CFDictionaryKeyCallBacks* keyCallBacks,
                        const CFDictionaryValueCallBacks* valueCallBacks, bool isMutable,
                        CFIndex capacity) {
  SpCFDictionary* d = new (std::nothrow) SpCFDictionary();
  if (d == nullptr) return nullptr;
  if (keyCallBacks != nullptr) d->keyCallBacks = *keyCallBacks;
  if (valueCallBacks != nullptr) d->valueCallBacks = *valueCallBacks;
  d->isMutable = isMutable;
  d->capacity = capacity > 0 ? capacity : 0;
  return d;
}

void CopyEntries(SpCFDictionary* to, const SpCFDictionary* from) {
  for (const auto& e : from->entries) Add(to, e.first, e.second);
}

}  // namespace

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,       RetainValue, ReleaseValue,
                                                                nullptr, EqualValues, HashValue};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, CopyKey, ReleaseValue, nullptr, EqualValues, HashValue};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, RetainValue, ReleaseValue,
                                                                    nullptr, EqualValues};

SpCFDictionary::~SpCFDictionary() {
  for (const auto& e : entries) {
    ReleaseKey(this, e.first);
    ReleaseVal(this, e.second);
  }
}

bool SpCFDictionary::Equal(const Object& other) const {
  const SpCFDictionary& o = static_cast<const SpCFDictionary&>(other);
  if (entries.size() != o.entries.size()) return false;
  for (const auto& e : entries) {
    const long at = Find(&o, e.first);
    if (at < 0 || !SameValue(this, e.second, o.entries[std::size_t(at)].second)) return false;
  }
  return true;
}

CFHashCode SpCFDictionary::Hash() const {
  return CFHashCode(entries.size());
}

CFTypeID CFDictionaryGetTypeID() {
  return sp_cf::kTypeDictionary;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (keys == nullptr || values == nullptr))) return nullptr;
  SpCFDictionary* d = NewDict(keyCallBacks, valueCallBacks, false, 0);
  if (d == nullptr) return nullptr;
  for (CFIndex i = 0; i < numValues; ++i) {
    const long at = Find(d, keys[i]);
    if (at >= 0) {
      Replace(d, std::size_t(at), values[i]);
    } else {
      Add(d, keys[i], values[i]);
    }
  }
  return d;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef, CFDictionaryRef theDict) {
  const SpCFDictionary* source = Dict(theDict);
  if (source == nullptr) return nullptr;
  SpCFDictionary* d = NewDict(&source->keyCallBacks, &source->valueCallBacks, false, 0);
  if (d != nullptr) CopyEntries(d, source);
  return d;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return NewDict(keyCallBacks, valueCallBacks, true, capacity);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex capacity,
                                                     CFDictionaryRef theDict) {
  const SpCFDictionary* source = Dict(theDict);
  if (source == nullptr) return nullptr;
  if (capacity > 0 && source->entries.size() > std::size_t(capacity)) return nullptr;
  SpCFDictionary* d = NewDict(&source->keyCallBacks, &source->valueCallBacks, true, capacity);
  if (d != nullptr) CopyEntries(d, source);
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
  const SpCFDictionary* d = Dict(theDict);
  return d == nullptr ? 0 : CFIndex(d->entries.size());
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key) {
  return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value) {
  const SpCFDictionary* d = Dict(theDict);
  if (d == nullptr) return 0;
  CFIndex count = 0;
  for (const auto& e : d->entries) {
    if (SameValue(d, e.second, value)) ++count;
  }
  return count;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
  const SpCFDictionary* d = Dict(theDict);
  return d != nullptr && Find(d, key) >= 0;
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value) {
  return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(theDict, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key,
                                      const void** value) {
  const SpCFDictionary* d = Dict(theDict);
  if (d == nullptr) return false;
  const long at = Find(d, key);
  if (at < 0) return false;
  if (value != nullptr) *value = d->entries[std::size_t(at)].second;
  return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
  const SpCFDictionary* d = Dict(theDict);
  if (d == nullptr) return;
  for (std::size_t i = 0; i < d->entries.size(); ++i) {
    if (keys != nullptr) keys[i] = d->entries[i].first;
    if (values != nullptr) values[i] = d->entries[i].second;
  }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier,
                               void* context) {
  const SpCFDictionary* d = Dict(theDict);
  if (d == nullptr || applier == nullptr) return;
  // A copy, so an applier that changes the dictionary cannot pull entries from under the loop.
  const std::vector<std::pair<const void*, const void*>> entries = d->entries;
  CFRetain(theDict);
  for (const auto& e : entries) applier(e.first, e.second, context);
  CFRelease(theDict);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  SpCFDictionary* d = MutableDict(theDict);
  if (d == nullptr || Find(d, key) >= 0 || !HasRoom(d)) return;
  Add(d, key, value);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  SpCFDictionary* d = MutableDict(theDict);
  if (d == nullptr) return;
  const long at = Find(d, key);
  if (at >= 0) {
    Replace(d, std::size_t(at), value);
  } else if (HasRoom(d)) {
    Add(d, key, value);
  }
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  SpCFDictionary* d = MutableDict(theDict);
  if (d == nullptr) return;
  const long at = Find(d, key);
  if (at >= 0) Replace(d, std::size_t(at), value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
  SpCFDictionary* d = MutableDict(theDict);
  if (d == nullptr) return;
  const long at = Find(d, key);
  if (at < 0) return;
  const auto removed = d->entries[std::size_t(at)];
  d->entries.erase(d->entries.begin() + at);
  Reindex(d);
  ReleaseKey(d, removed.first);
  ReleaseVal(d, removed.second);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
  SpCFDictionary* d = MutableDict(theDict);
  if (d == nullptr) return;
  std::vector<std::pair<const void*, const void*>> old;
  old.swap(d->entries);
  d->index.clear();
  for (const auto& e : old) {
    ReleaseKey(d, e.first);
    ReleaseVal(d, e.second);
  }
}
