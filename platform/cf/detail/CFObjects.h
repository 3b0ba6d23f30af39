// The CF object model behind the opaque references: every CF object is an sp_cf::Object
// with a type id, a retain count and virtual equality and hashing. Only the cf folder and its
// test hooks include this.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "CFArray.h"
#include "CFBase.h"
#include "CFData.h"
#include "CFDate.h"
#include "CFDictionary.h"
#include "CFError.h"
#include "CFNumber.h"
#include "CFString.h"
#include "CFURL.h"

namespace sp_cf {

enum : CFTypeID {
  kTypeNull = 1,
  kTypeAllocator,
  kTypeString,
  kTypeData,
  kTypeNumber,
  kTypeBoolean,
  kTypeArray,
  kTypeDictionary,
  kTypeDate,
  kTypeURL,
  kTypeBundle,
  kTypeError,
};

struct Object {
  explicit Object(CFTypeID type) : typeID(type) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // Called only with another object of the same type id.
  virtual bool Equal(const Object& other) const { return this == &other; }
  virtual CFHashCode Hash() const { return reinterpret_cast<CFHashCode>(this); }

  const CFTypeID typeID;
  CFIndex retainCount = 1;
  bool immortal = false;  // constants: retain and release do nothing
};

// The object behind a reference when it has the type, else NULL.
inline const Object* AsObject(CFTypeRef cf) {
  return static_cast<const Object*>(cf);
}
template <class T>
T* As(CFTypeRef cf, CFTypeID type) {
  const Object* o = AsObject(cf);
  if (o == nullptr || o->typeID != type) return nullptr;
  return static_cast<T*>(const_cast<Object*>(o));
}

// The hash of a run of bytes or UTF-16 units (FNV-1a over the units' values), for the
// objects that hash their contents.
template <class Units>
CFHashCode HashUnits(const Units& units) {
  CFHashCode h = 1469598103934665603ull;
  for (auto unit : units) h = (h ^ CFHashCode(unit)) * 1099511628211ull;
  return h;
}

// The callbacks of the CF-type collections (kCFTypeArrayCallBacks and the dictionaries'):
// values are retained, released and compared as CF objects.
inline const void* RetainValue(CFAllocatorRef, const void* value) {
  return CFRetain(value);
}
inline void ReleaseValue(CFAllocatorRef, const void* value) {
  CFRelease(value);
}
inline Boolean EqualValues(const void* a, const void* b) {
  return CFEqual(a, b);
}

// Helpers for the other CF files.
CFStringRef NewString(std::u16string chars);
CFStringRef NewStringFromUTF8(const std::string& utf8);
const std::u16string* StringChars(CFStringRef str);  // NULL when not a string
std::string StringToUTF8(CFStringRef str);           // empty when not a string
CFErrorRef NewError(CFIndex code, const std::string& description);

}  // namespace sp_cf

struct SpCFString : sp_cf::Object {
  SpCFString() : Object(sp_cf::kTypeString) {}
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  std::u16string chars;
  bool isMutable = false;
  CFIndex maxLength = 0;  // mutable strings: 0 unlimited
  // CFStringGetCStringPtr's lent copy (immutable strings only).
  std::string cString;
  CFStringEncoding cStringEncoding = kCFStringEncodingInvalidId;
  bool cStringValid = false;
};

struct SpCFData : sp_cf::Object {
  SpCFData() : Object(sp_cf::kTypeData) {}
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  std::vector<UInt8> bytes;
  bool isMutable = false;
  CFIndex capacity = 0;
};

struct SpCFNumber : sp_cf::Object {
  SpCFNumber() : Object(sp_cf::kTypeNumber) {}
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  bool isFloat = false;
  SInt64 integer = 0;
  double real = 0.0;
};

struct SpCFBoolean : sp_cf::Object {
  explicit SpCFBoolean(bool v) : Object(sp_cf::kTypeBoolean), value(v) { immortal = true; }
  bool value;
};

struct SpCFNull : sp_cf::Object {
  SpCFNull() : Object(sp_cf::kTypeNull) { immortal = true; }
};

struct SpCFAllocator : sp_cf::Object {
  SpCFAllocator() : Object(sp_cf::kTypeAllocator) { immortal = true; }
};

struct SpCFDate : sp_cf::Object {
  SpCFDate() : Object(sp_cf::kTypeDate) {}
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  CFAbsoluteTime time = 0.0;
};

struct SpCFArray : sp_cf::Object {
  SpCFArray() : Object(sp_cf::kTypeArray) {}
  ~SpCFArray() override;
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  std::vector<const void*> values;
  CFArrayCallBacks callBacks = {0, nullptr, nullptr, nullptr, nullptr};
  bool isMutable = false;
  CFIndex capacity = 0;
};

struct SpCFDictionary : sp_cf::Object {
  SpCFDictionary() : Object(sp_cf::kTypeDictionary) {}
  ~SpCFDictionary() override;
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  // Entries in the order they were added; index maps a key's hash to entry positions.
  std::vector<std::pair<const void*, const void*>> entries;
  std::unordered_multimap<CFHashCode, std::size_t> index;
  CFDictionaryKeyCallBacks keyCallBacks = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
  CFDictionaryValueCallBacks valueCallBacks = {0, nullptr, nullptr, nullptr, nullptr};
  bool isMutable = false;
  CFIndex capacity = 0;
};

struct SpCFURL : sp_cf::Object {
  SpCFURL() : Object(sp_cf::kTypeURL) {}
  ~SpCFURL() override;
  bool Equal(const Object& other) const override;
  CFHashCode Hash() const override;

  std::string path;  // absolute, no trailing '/' except for the root
  bool isDirectory = false;
  mutable CFStringRef urlString = nullptr;  // CFURLGetString's lent string
};

struct SpCFError : sp_cf::Object {
  SpCFError() : Object(sp_cf::kTypeError) {}
  CFIndex code = 0;
  std::string description;
};
