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

TEST(CFArray, KeepsItsValuesAliveAndReleasesThemOnRemoval) {
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFStringRef value = NewString("value");
  CFArrayAppendValue(array, value);
  EXPECT_EQ(CFGetRetainCount(value), 2);
  CFRelease(value);  // the array's reference keeps it alive
  EXPECT_EQ(CFStringGetLength(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, 0))), 5);
  CFRetain(value);
  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(CFGetRetainCount(value), 1);
  CFRelease(value);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), nullptr);  // out of range, not a crash
  CFRelease(array);
}

TEST(CFArray, FindsValuesByEqualityAndCopiesRetain) {
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
  CFArrayAppendValue(copy, other);
  EXPECT_EQ(CFArrayGetCount(copy), 4);
  EXPECT_EQ(CFGetRetainCount(a), 3);  // ours, and twice in the copy
  CFRelease(copy);
  EXPECT_EQ(CFGetRetainCount(a), 1);
  CFRelease(a);
  CFRelease(b);
  CFRelease(other);
}

TEST(CFArray, PlainPointerArraysDoNotRetain) {
  int x = 0;
  const void* values[] = {&x};
  CFArrayRef array = CFArrayCreate(nullptr, values, 1, nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), &x);
  CFRelease(array);
}

// Keys are compared by value: a key made afresh finds the entry.
TEST(CFDictionary, FindsKeysByEqualityNotIdentity) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFNumberRef one = NewInt(1);
  CFDictionarySetValue(dict, CFSTR("Track ID"), one);
  CFStringRef key = NewString("Track ID");
  EXPECT_EQ(CFDictionaryGetValue(dict, key), one);
  CFNumberRef two = NewInt(2);
  CFDictionarySetValue(dict, key, two);
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_EQ(CFGetRetainCount(one), 1);  // the replaced value was released
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("Track ID")), two);
  CFDictionaryAddValue(dict, key, one);  // Add does not replace
  EXPECT_EQ(CFDictionaryGetValue(dict, key), two);
  CFRelease(one);
  CFRelease(two);
  CFRelease(key);
  CFRelease(dict);
}

TEST(CFDictionary, StaysCorrectAfterRemovalsAndVisitsInInsertionOrder) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (int i = 0; i < 1000; ++i) {
    CFNumberRef key = NewInt(i);
    CFStringRef value = NewString(std::to_string(i).c_str());
    CFDictionarySetValue(dict, key, value);
    CFRelease(key);
    CFRelease(value);
  }
  for (int i = 0; i < 1000; i += 2) {
    CFNumberRef key = NewInt(i);
    CFDictionaryRemoveValue(dict, key);
    CFRelease(key);
  }
  EXPECT_EQ(CFDictionaryGetCount(dict), 500);
  for (int i : {1, 2, 501, 998, 999}) {
    CFNumberRef key = NewInt(i);
    const void* value = CFDictionaryGetValue(dict, key);
    if (i % 2 == 0) {
      EXPECT_EQ(value, nullptr) << i;
    } else {
      EXPECT_EQ(CFStringGetIntValue(static_cast<CFStringRef>(value)), i);
    }
    CFRelease(key);
  }
  std::vector<SInt32> order;
  CFDictionaryApplyFunction(
      dict,
      [](const void*, const void* value, void* context) {
        static_cast<std::vector<SInt32>*>(context)->push_back(
            CFStringGetIntValue(static_cast<CFStringRef>(value)));
      },
      &order);
  ASSERT_EQ(order.size(), 500u);
  EXPECT_EQ(order.front(), 1);
  EXPECT_EQ(order.back(), 999);
  CFRelease(dict);
}

TEST(CFNumber, ConversionsSayWhenTheyLoseTheValue) {
  struct Case {
    double stored;
    bool isFloat;
    CFNumberType asType;
    bool exact;
    double got;
  } cases[] = {
      {300, false, kCFNumberSInt8Type, false, 127},  // clamped
      {-300, false, kCFNumberSInt16Type, true, -300},
      {4294967296.0, false, kCFNumberSInt32Type, false, 2147483647},
      {3.5, true, kCFNumberSInt32Type, false, 3},
      {-3.0, true, kCFNumberIntType, true, -3},
      {0.5, true, kCFNumberFloat32Type, true, 0.5},
      {0.1, true, kCFNumberFloat32Type, false, double(0.1f)},
      {1e300, true, kCFNumberFloat32Type, false, HUGE_VAL},
      {1e300, true, kCFNumberSInt64Type, false, 9223372036854775807.0},
  };
  for (const Case& c : cases) {
    CFNumberRef n;
    if (c.isFloat) {
      n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &c.stored);
    } else {
      const SInt64 v = SInt64(c.stored);
      n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    }
    union {
      SInt8 i8;
      SInt16 i16;
      SInt32 i32;
      int i;
      SInt64 i64;
      float f;
    } out;
    EXPECT_EQ(bool(CFNumberGetValue(n, c.asType, &out)), c.exact) << c.stored;
    double got = 0;
    switch (c.asType) {
      case kCFNumberSInt8Type:
        got = out.i8;
        break;
      case kCFNumberSInt16Type:
        got = out.i16;
        break;
      case kCFNumberSInt32Type:
        got = out.i32;
        break;
      case kCFNumberIntType:
        got = out.i;
        break;
      case kCFNumberSInt64Type:
        got = double(out.i64);
        break;
      default:
        got = out.f;
        break;
    }
    EXPECT_EQ(got, c.got) << c.stored;
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
  CFRelease(a);
  CFRelease(b);
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &i), nullptr);
}

TEST(CFData, MutableDataGrowsWithinItsCapacity) {
  CFMutableDataRef data = CFDataCreateMutable(nullptr, 6);
  CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("abcd"), 4);
  CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("efg"), 3);  // past the capacity
  EXPECT_EQ(CFDataGetLength(data), 4);
  CFDataReplaceBytes(data, CFRangeMake(1, 2), reinterpret_cast<const UInt8*>("XYZ"), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), 5), "aXYZd");
  UInt8 out[2];
  CFDataGetBytes(data, CFRangeMake(4, 1), out);
  EXPECT_EQ(out[0], 'd');
  CFDataRef copy = CFDataCreateCopy(nullptr, data);
  EXPECT_TRUE(CFEqual(copy, data));
  CFRelease(copy);
  CFRelease(data);
}

TEST(CFURL, FilePathsComponentsAndStrings) {
  CFURLRef dir = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/Music Folder/"),
                                               kCFURLPOSIXPathStyle, true);
  ASSERT_NE(dir, nullptr);
  CFURLRef file =
      CFURLCreateCopyAppendingPathComponent(nullptr, dir, CFSTR("1 \xE6\x9B\xB2.aiff"), false);
  CFStringRef path = CFURLCopyFileSystemPath(file, kCFURLPOSIXPathStyle);
  EXPECT_TRUE(CFEqual(path, CFSTR("/tmp/Music Folder/1 \xE6\x9B\xB2.aiff")));
  CFRelease(path);
  EXPECT_TRUE(CFEqual(CFURLGetString(dir), CFSTR("file:///tmp/Music%20Folder/")));
  CFStringRef ext = CFURLCopyPathExtension(file);
  EXPECT_TRUE(CFEqual(ext, CFSTR("aiff")));
  CFRelease(ext);
  CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, file);
  EXPECT_TRUE(CFEqual(parent, dir));
  CFRelease(parent);

  // The URL text read back gives the same file.
  CFURLRef again = CFURLCreateWithString(nullptr, CFURLGetString(file), nullptr);
  EXPECT_TRUE(CFEqual(again, file));
  CFRelease(again);

  UInt8 small[8];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(file, true, small, sizeof small));
  UInt8 big[256];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(file, true, big, sizeof big));
  EXPECT_STREQ(reinterpret_cast<char*>(big), "/tmp/Music Folder/1 \xE6\x9B\xB2.aiff");
  CFRelease(file);
  CFRelease(dir);
}

TEST(CFURL, OnlyLocalFileURLsAreAccepted) {
  struct Case {
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
  for (const Case& c : cases) {
    CFStringRef text = CFStringCreateWithCString(nullptr, c.text, kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithString(nullptr, text, nullptr);
    CFRelease(text);
    if (c.path == nullptr) {
      EXPECT_EQ(url, nullptr) << c.text;
      continue;
    }
    ASSERT_NE(url, nullptr) << c.text;
    UInt8 buffer[128];
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), c.path);
    CFRelease(url);
  }
}
