#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CoreFoundation.h"

namespace {

const char kHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Example//DTD PLIST 1.0//EN\" "
    "\"http://www.example.com/DTDs/PropertyList-1.0.dtd\">\n";

const std::string kLibrary =
    std::string(kHeader) +
    "<plist version=\"1.0\">\n<dict>\n"
    "  <key>Major Version</key><integer>1</integer>\n"
    "  <key>Date</key><date>2001-01-02T00:00:01Z</date>\n"
    "  <key>Tracks</key><dict><key>101</key><dict>\n"
    "    <key>Name</key><string>\xE6\x9B\xB2 &amp; &lt;1&gt;</string>\n"
    "    <key>Total Time</key><integer>-245000</integer><key>Volume</key><real>-1.5e2</real>\n"
    "    <key>Compilation</key><true/><key>Disabled</key><false/>\n"
    "    <key>Artwork</key><data>AAEC\n/w==</data>\n"
    "  </dict></dict>\n"
    "  <key>Playlists</key><array><string>a</string><array/></array>\n"
    "</dict>\n</plist>\n";

CFPropertyListRef Read(const std::string& xml, CFOptionFlags options = 0,
                       CFErrorRef* error = nullptr) {
  CFDataRef data =
      CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, options, nullptr, error);
  CFRelease(data);
  return plist;
}

CFTypeRef Get(CFTypeRef dict, const char* key) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef v = CFDictionaryGetValue(static_cast<CFDictionaryRef>(dict), k);
  CFRelease(k);
  return v;
}

SInt64 IntOf(CFTypeRef n) {
  SInt64 v = 0;
  EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(n), kCFNumberSInt64Type, &v));
  return v;
}

}  // namespace

TEST(CFPropertyList, ReadsEveryKindOfValue) {
  CFPropertyListRef root = Read(kLibrary);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(CFGetTypeID(root), CFDictionaryGetTypeID());
  EXPECT_EQ(IntOf(Get(root, "Major Version")), 1);
  EXPECT_EQ(CFDateGetAbsoluteTime(static_cast<CFDateRef>(Get(root, "Date"))), 86401.0);
  CFTypeRef track = Get(Get(root, "Tracks"), "101");
  ASSERT_NE(track, nullptr);
  EXPECT_TRUE(CFEqual(Get(track, "Name"), CFSTR("\xE6\x9B\xB2 & <1>")));
  EXPECT_EQ(IntOf(Get(track, "Total Time")), -245000);
  double volume = 0;
  EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(Get(track, "Volume")), kCFNumberFloat64Type,
                               &volume));
  EXPECT_EQ(volume, -150.0);
  EXPECT_EQ(Get(track, "Compilation"), kCFBooleanTrue);
  EXPECT_EQ(Get(track, "Disabled"), kCFBooleanFalse);
  CFDataRef artwork = static_cast<CFDataRef>(Get(track, "Artwork"));
  ASSERT_EQ(CFDataGetLength(artwork), 4);
  EXPECT_EQ(CFDataGetBytePtr(artwork)[3], 0xFF);
  CFArrayRef playlists = static_cast<CFArrayRef>(Get(root, "Playlists"));
  ASSERT_EQ(CFArrayGetCount(playlists), 2);
  EXPECT_EQ(CFArrayGetCount(static_cast<CFArrayRef>(CFArrayGetValueAtIndex(playlists, 1))), 0);
  CFRelease(root);
}

TEST(CFPropertyList, ContainersAreMutableOnlyWhenAsked) {
  const std::string xml = "<plist><array><integer>1</integer></array></plist>";
  for (CFOptionFlags options :
       {CFOptionFlags(0), CFOptionFlags(kCFPropertyListMutableContainers)}) {
    CFPropertyListRef array = Read(xml, options);
    CFArrayAppendValue(static_cast<CFMutableArrayRef>(const_cast<void*>(array)), kCFBooleanTrue);
    EXPECT_EQ(CFArrayGetCount(static_cast<CFArrayRef>(array)), options == 0 ? 1 : 2);
    CFRelease(array);
  }
}

TEST(CFPropertyList, AcceptsValuesAtTheirLimitsAndRefusesOnePast) {
  struct Case {
    const char* value;
    bool accepted;
  } cases[] = {
      {"<integer>9223372036854775807</integer>", true},
      {"<integer>-9223372036854775808</integer>", true},
      {"<integer>9223372036854775808</integer>", false},
      {"<integer>0x1F</integer>", true},
      {"<integer>12abc</integer>", false},
      {"<integer></integer>", false},
      {"<real>nan</real>", true},
      {"<real>1.5.2</real>", false},
      {"<date>1904-01-01T00:00:00Z</date>", true},
      {"<date>2001-12-31T23:59:60Z</date>", true},
      {"<date>2001-13-01T00:00:00Z</date>", false},
      {"<date>2001-00-01T00:00:00Z</date>", false},
      {"<date>2001-01-32T00:00:00Z</date>", false},
      {"<date>2001-01-00T00:00:00Z</date>", false},
      {"<date>2001-01-01T24:00:00Z</date>", false},
      {"<date>2001-01-01T00:60:00Z</date>", false},
      {"<date>2001-01-01T00:00:61Z</date>", false},
      {"<date>2001-01-01</date>", false},
      {"<data>AA=A</data>", false},
      {"<data>A*==</data>", false},
      {"<true>x</true>", false},
  };
  for (const Case& c : cases) {
    CFPropertyListRef plist = Read(std::string("<plist>") + c.value + "</plist>");
    EXPECT_EQ(plist != nullptr, c.accepted) << c.value;
    CFRelease(plist);
  }
}

// Days are counted from 2001-01-01; the month lengths around February are where a calendar
// sum goes wrong (leap years, centuries that are not leap years, the 400-year rule).
TEST(CFPropertyList, DatesAroundFebruaryCountTheRightDays) {
  struct Case {
    const char* date;
    double days;
  } cases[] = {
      {"2001-01-01T00:00:00Z", 0},      {"2001-01-31T00:00:00Z", 30},
      {"2001-02-01T00:00:00Z", 31},     {"2001-02-28T00:00:00Z", 58},
      {"2001-03-01T00:00:00Z", 59},     {"2000-02-28T00:00:00Z", -308},
      {"2000-02-29T00:00:00Z", -307},   {"2000-03-01T00:00:00Z", -306},
      {"2000-12-31T00:00:00Z", -1},     {"2004-02-29T00:00:00Z", 1154},
      {"2004-03-01T00:00:00Z", 1155},   {"2100-02-28T00:00:00Z", 36217},
      {"2100-03-01T00:00:00Z", 36218},  {"1900-02-28T00:00:00Z", -36832},
      {"1900-03-01T00:00:00Z", -36831}, {"1970-01-01T00:00:00Z", -11323},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    CFPropertyListRef date = Read(std::string("<plist><date>") + c.date + "</date></plist>");
    ASSERT_NE(date, nullptr);
    ASSERT_EQ(CFGetTypeID(date), CFDateGetTypeID());
    EXPECT_EQ(CFDateGetAbsoluteTime(static_cast<CFDateRef>(date)), c.days * 86400.0);
    CFRelease(date);
  }
}

TEST(CFPropertyList, MalformedDocumentsGiveNullAndAnError) {
  const char* cases[] = {
      "",
      "<plist>",
      "<plist></plist>",
      "<plist><dict><key>a</key></dict></plist>",
      "<plist><dict><string>a</string></dict></plist>",
      "<plist><dict><key>a</key><key>b</key><true/></dict></plist>",
      "<plist><array><key>a</key></array></plist>",
      "<plist><integer>1</integer><integer>2</integer></plist>",
      "<plist><dict>text<key>a</key><true/></dict></plist>",
      "<plist><string><string>a</string></string></plist>",
      "<plist><unknown/></plist>",
      "<plist><array></dict></plist>",
      "bplist00\x01\x02",
      "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaa\">]><plist><string>&a;</string>"
      "</plist>",
  };
  for (const char* xml : cases) {
    CFErrorRef error = nullptr;
    CFPropertyListRef plist = Read(xml, 0, &error);
    EXPECT_EQ(plist, nullptr) << xml;
    ASSERT_NE(error, nullptr) << xml;
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListReadCorruptError);
    CFRelease(error);
  }
  CFStringRef message = nullptr;  // the older call gives a message instead
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("<plist>"), 7);
  EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, data, 0, &message), nullptr);
  EXPECT_GT(CFStringGetLength(message), 0);
  for (CFTypeRef r : {CFTypeRef(message), CFTypeRef(data)}) CFRelease(r);
}

TEST(CFPropertyList, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  // Well formed, but releasing a graph this deep would recurse 100000 times.
  for (int depth : {200, 100000}) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) open += "<array>", close += "</array>";
    CFPropertyListRef plist = Read("<plist>" + open + close + "</plist>");
    EXPECT_EQ(plist != nullptr, depth == 200) << depth;
    CFRelease(plist);
  }
}

// Untrusted files: every truncation and random damage must give NULL or a sound object.
TEST(CFPropertyList, TruncatedAndDamagedDocumentsNeverCrash) {
  // Only a cut in the trailing white space still holds a whole document.
  for (std::size_t len = 0; len < kLibrary.size() - 1; ++len)
    EXPECT_EQ(Read(kLibrary.substr(0, len)), nullptr) << len;
  std::mt19937 random(20240601);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = kLibrary;
    for (int k = 1 + int(random() % 8); k > 0; --k)
      damaged[random() % damaged.size()] = char(random());
    CFPropertyListRef plist = Read(damaged);
    if (plist != nullptr) {  // whatever was read is a sound object graph
      CFPropertyListRef copy = Read(damaged, kCFPropertyListMutableContainersAndLeaves);
      EXPECT_TRUE(CFEqual(plist, copy));
      CFRelease(copy);
    }
    CFRelease(plist);
  }
}
