#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "CoreFoundation.h"

namespace {

CFStringRef NewString(const char* utf8) {
  return CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
}

CFNumberRef NewInt(SInt64 v) {
  return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
}

}  // namespace

TEST(CFArray, RetainsWhatItHoldsFindsByEqualityAndReleasesOnRemoval) {
  CFStringRef a = NewString("a");
  CFStringRef b = NewString("b");
  const void* values[] = {a, b, a};
  CFArrayRef array = CFArrayCreate(nullptr, values, 3, &kCFTypeArrayCallBacks);
  CFStringRef other = NewString("b");
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 3), other), 1);
  EXPECT_EQ(CFArrayGetLastIndexOfValue(array, CFRangeMake(0, 3), a), 2);
  EXPECT_EQ(CFArrayGetCountOfValue(array, CFRangeMake(0, 3), a), 2);
  CFMutableArrayRef copy = CFArrayCreateMutableCopy(nullptr, 0, array);
  EXPECT_TRUE(CFEqual(copy, array));
  CFRelease(array);
  EXPECT_EQ(CFGetRetainCount(a), 3);  // ours, and twice in the copy
  CFArrayRemoveValueAtIndex(copy, 0);
  EXPECT_EQ(CFGetRetainCount(a), 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(copy, 2), nullptr);  // out of range, not a crash
  CFRelease(copy);
  EXPECT_EQ(CFGetRetainCount(a), 1);
  for (CFTypeRef r : {CFTypeRef(a), CFTypeRef(b), CFTypeRef(other)}) CFRelease(r);
  int x = 0;  // plain pointer arrays do not retain
  const void* plain[] = {&x};
  CFArrayRef pointers = CFArrayCreate(nullptr, plain, 1, nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(pointers, 0), &x);
  CFRelease(pointers);
}

// Keys are compared by value: a key made afresh finds the entry.
TEST(CFDictionary, FindsKeysByEqualityAndReleasesReplacedValues) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFNumberRef one = NewInt(1), two = NewInt(2);
  CFDictionarySetValue(dict, CFSTR("Track ID"), one);
  CFStringRef key = NewString("Track ID");
  EXPECT_EQ(CFDictionaryGetValue(dict, key), one);
  CFDictionarySetValue(dict, key, two);
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_EQ(CFGetRetainCount(one), 1);   // the replaced value was released
  CFDictionaryAddValue(dict, key, one);  // Add does not replace
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("Track ID")), two);
  for (CFTypeRef r : {CFTypeRef(one), CFTypeRef(two), CFTypeRef(key), CFTypeRef(dict)})
    CFRelease(r);
}

TEST(CFDictionary, StaysCorrectAfterRemovalsAndVisitsInInsertionOrder) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  std::vector<CFNumberRef> numbers;
  for (int i = 0; i < 1000; ++i) numbers.push_back(NewInt(i));
  for (CFNumberRef n : numbers) CFDictionarySetValue(dict, n, n);
  for (int i = 0; i < 1000; i += 2) CFDictionaryRemoveValue(dict, numbers[std::size_t(i)]);
  EXPECT_EQ(CFDictionaryGetCount(dict), 500);
  std::vector<const void*> expected, seen;
  for (int i = 1; i < 1000; i += 2) expected.push_back(numbers[std::size_t(i)]);
  for (int i : {0, 1, 2, 501, 998, 999}) {
    CFNumberRef fresh = NewInt(i);
    EXPECT_EQ(CFDictionaryGetValue(dict, fresh), i % 2 ? numbers[std::size_t(i)] : nullptr) << i;
    CFRelease(fresh);
  }
  CFDictionaryApplyFunction(
      dict,
      [](const void*, const void* value, void* seen) {
        static_cast<std::vector<const void*>*>(seen)->push_back(value);
      },
      &seen);
  EXPECT_EQ(seen, expected);
  for (CFNumberRef n : numbers) CFRelease(n);
  CFRelease(dict);
}

TEST(CFNumber, ConversionsSayWhenTheyLoseTheValue) {
  const struct {
    double stored;
    bool isFloat;
    CFNumberType asType;
    bool exact;
    double got;
  } cases[] = {
      {127, false, kCFNumberSInt8Type, true, 127},
      {128, false, kCFNumberSInt8Type, false, 127},  // clamped
      {-129, false, kCFNumberSInt8Type, false, -128},
      {-300, false, kCFNumberSInt16Type, true, -300},
      {2147483647.0, false, kCFNumberSInt32Type, true, 2147483647},
      {2147483648.0, false, kCFNumberSInt32Type, false, 2147483647},
      {3.5, true, kCFNumberSInt32Type, false, 3},
      {-3.0, true, kCFNumberSInt32Type, true, -3},
      {0.5, true, kCFNumberFloat32Type, true, 0.5},
      {0.1, true, kCFNumberFloat32Type, false, double(0.1f)},
      {1e300, true, kCFNumberFloat32Type, false, HUGE_VAL},
      {1e300, true, kCFNumberSInt64Type, false, 9223372036854775807.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    const SInt64 whole = SInt64(c.stored);
    CFNumberRef n = c.isFloat ? CFNumberCreate(nullptr, kCFNumberFloat64Type, &c.stored)
                              : CFNumberCreate(nullptr, kCFNumberSInt64Type, &whole);
    SInt64 out = 0;  // room for any type; read back through a number of that type
    EXPECT_EQ(bool(CFNumberGetValue(n, c.asType, &out)), c.exact);
    CFNumberRef back = CFNumberCreate(nullptr, c.asType, &out);
    double got = 0;
    CFNumberGetValue(back, kCFNumberFloat64Type, &got);
    CFRelease(back);
    EXPECT_EQ(got, c.got);
    CFRelease(n);
  }
}

TEST(CFNumber, IntegerAndRealOfTheSameValueAreEqual) {
  const SInt32 i = 3;
  const double d = 3.0;
  CFNumberRef a = CFNumberCreate(nullptr, kCFNumberSInt32Type, &i);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberDoubleType, &d);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_EQ(CFNumberCompare(a, b, nullptr), kCFCompareEqualTo);
  EXPECT_FALSE(CFEqual(a, kCFBooleanTrue));
  for (CFTypeRef r : {CFTypeRef(a), CFTypeRef(b)}) CFRelease(r);
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &i), nullptr);
}

TEST(CFData, MutableDataGrowsWithinItsCapacity) {
  CFMutableDataRef data = CFDataCreateMutable(nullptr, 6);
  CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("abcd"), 4);
  CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("efg"), 3);  // past the capacity
  EXPECT_EQ(CFDataGetLength(data), 4);
  CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("ef"), 2);  // up to it
  EXPECT_EQ(CFDataGetLength(data), 6);
  CFDataReplaceBytes(data, CFRangeMake(1, 2), reinterpret_cast<const UInt8*>("X"), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), 5), "aXdef");
  // A range that reaches the last byte is taken; one byte further is refused.
  UInt8 out[3] = {0};
  CFDataGetBytes(data, CFRangeMake(2, 3), out);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 3), "def");
  CFDataGetBytes(data, CFRangeMake(3, 3), out);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 3), "def") << "left untouched";
  CFDataDeleteBytes(data, CFRangeMake(4, 2));
  EXPECT_EQ(CFDataGetLength(data), 5);
  CFDataDeleteBytes(data, CFRangeMake(3, 2));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), 3), "aXd");
  CFDataRef copy = CFDataCreateCopy(nullptr, data);
  EXPECT_TRUE(CFEqual(copy, data));
  for (CFTypeRef r : {CFTypeRef(copy), CFTypeRef(data)}) CFRelease(r);
}

TEST(CFURL, FilePathsComponentsAndStrings) {
  CFURLRef dir = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/Music Folder/"),
                                               kCFURLPOSIXPathStyle, true);
  ASSERT_NE(dir, nullptr);
  CFURLRef file =
      CFURLCreateCopyAppendingPathComponent(nullptr, dir, CFSTR("1 \xE6\x9B\xB2.aiff"), false);
  EXPECT_TRUE(CFEqual(CFURLGetString(dir), CFSTR("file:///tmp/Music%20Folder/")));
  const CFTypeRef made[] = {CFURLCopyPathExtension(file),
                            CFURLCreateCopyDeletingLastPathComponent(nullptr, file),
                            CFURLCreateWithString(nullptr, CFURLGetString(file), nullptr)};
  EXPECT_TRUE(CFEqual(made[0], CFSTR("aiff")));
  EXPECT_TRUE(CFEqual(made[1], dir));
  EXPECT_TRUE(CFEqual(made[2], file)) << "the URL text read back gives the same file";
  for (CFTypeRef r : made) CFRelease(r);
  const char path[] = "/tmp/Music Folder/1 \xE6\x9B\xB2.aiff";
  UInt8 buffer[64];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(file, true, buffer, sizeof path - 1));
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(file, true, buffer, sizeof path));
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), path);
  for (CFTypeRef r : {CFTypeRef(file), CFTypeRef(dir)}) CFRelease(r);
}

TEST(CFURL, OnlyLocalFileURLsAreAccepted) {
  const struct {
    const char* text;
    const char* path;  // nullptr: refused
  } cases[] = {
      {"file://localhost/Users/a%20b/x.plist", "/Users/a b/x.plist"},
      {"file:///a/%E6%9B%B2", "/a/\xE6\x9B\xB2"},
      {"file://otherhost/a", nullptr},
      {"http://example.com/a", nullptr},
      {"file:///a%2", nullptr},
      {"file:///a%00b", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    CFStringRef text = NewString(c.text);
    CFURLRef url = CFURLCreateWithString(nullptr, text, nullptr);
    CFRelease(text);
    ASSERT_EQ(url != nullptr, c.path != nullptr);
    if (url == nullptr) continue;
    UInt8 buffer[128];
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), c.path);
    CFRelease(url);
  }
}
