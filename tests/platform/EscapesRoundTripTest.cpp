// Every escape the platform layer writes or reads gives back the very bytes it was given: paths
// in Trash info files, file URLs, bookmark lines, base64 data in property lists, file names as
// text and MacJapanese text. The inputs are the awkward ones: every byte value, '%' next to
// hex digits, line ends, bytes that are no UTF-8.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "CoreFoundation.h"
#include "SpTextCodec.h"
#include "files/detail/Trash.h"
#include "ui/internal/Navigation.h"

namespace {

// A path holding every byte value but NUL and '/' once, then names that look like escapes.
std::string EveryBytePath() {
  std::string path = "/";
  for (int c = 1; c < 256; ++c) {
    if (c != '/') path += char(c);
  }
  return path + "/%/%25/%2/%zz/a%";
}

const std::vector<std::string>& HostilePaths() {
  static const std::vector<std::string> paths = {
      EveryBytePath(),
      "/My Song \xE9\x9F\xB3%.aiff",
      "/line\nend\r/tab\t",
      "/\xFF\xFE\x80 not UTF-8 \xC0\x80",
      "/?query#fragment",
      "/ends in %",
      "/%41%",
  };
  return paths;
}

// Escapes every byte but letters, digits and '/'.
std::string Escaped(const std::string& path) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/') {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Base64(const std::vector<UInt8>& bytes) {
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    UInt32 group = UInt32(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= UInt32(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= bytes[i + 2];
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    out += "\n\t";  // property list files break their data into lines
  }
  return out;
}

std::string PathOfURL(CFURLRef url) {
  UInt8 buffer[1024];
  if (url == nullptr || !CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer)) {
    return "(none)";
  }
  return reinterpret_cast<const char*>(buffer);
}

TEST(EscapesRoundTrip, TrashInfoPathComesBackByteForByte) {
  namespace fs = sp_platform::files;
  for (const std::string& path : HostilePaths()) {
    const std::string info = fs::TrashInfoText(path, 0);
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 3) << "one line a key: " << info;
    EXPECT_EQ(fs::TrashInfoOriginalPath("/trash", info), path) << info;
  }
  const struct {
    const char* recorded;
    const char* path;  // empty: no usable path
  } written[] = {
      {"/a%c3%A9", "/a\xC3\xA9"},  // either case of hex digit
      {"/a%2", "/a%2"},            // a broken escape stays as written
      {"/a%g1", "/a%g1"},
      {"/a%00b", ""},  // a NUL would cut the path short
  };
  for (const auto& w : written) {
    EXPECT_EQ(fs::TrashInfoOriginalPath(
                  "/trash", std::string("[Trash Info]\nPath=") + w.recorded + "\nDeletionDate=x\n"),
              w.path)
        << w.recorded;
  }
}

TEST(EscapesRoundTrip, FileURLTextAndPathStringGiveTheSameFile) {
  for (const std::string& path : HostilePaths()) {
    SCOPED_TRACE(Escaped(path));
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
    ASSERT_NE(url, nullptr);
    char text[4096];
    ASSERT_TRUE(CFStringGetCString(CFURLGetString(url), text, sizeof text, kCFStringEncodingUTF8));
    for (const char* c = text; *c != 0; ++c) {
      EXPECT_TRUE(*c > ' ' && *c < 0x7F && *c != '?' && *c != '#') << "URL text: " << text;
    }
    CFURLRef again = CFURLCreateWithString(nullptr, CFURLGetString(url), nullptr);
    EXPECT_EQ(PathOfURL(again), path);
    CFStringRef asText = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
    CFURLRef fromText = CFURLCreateWithFileSystemPath(nullptr, asText, kCFURLPOSIXPathStyle, false);
    EXPECT_EQ(PathOfURL(fromText), path);
    EXPECT_TRUE(CFEqual(fromText, url));
    for (CFTypeRef r : {CFTypeRef(url), CFTypeRef(again), CFTypeRef(asText), CFTypeRef(fromText)}) {
      if (r != nullptr) CFRelease(r);
    }
  }
}

TEST(EscapesRoundTrip, BookmarkLinesGiveTheirPathsBack) {
  for (const std::string& path : HostilePaths()) {
    const std::vector<sp_platform::nav::Place> places =
        sp_platform::nav::ParseBookmarks("file://" + Escaped(path) + " Label\n");
    ASSERT_EQ(places.size(), 1u) << Escaped(path);
    EXPECT_EQ(places[0].path, path);
    EXPECT_EQ(places[0].label, "Label");
  }
  // A NUL inside the path would name another folder to every call that takes the path.
  EXPECT_TRUE(sp_platform::nav::ParseBookmarks("file:///home%00/etc\n").empty());
  EXPECT_EQ(sp_platform::nav::ParseBookmarks("file:///a%4\n").at(0).path, "/a%4");
}

TEST(EscapesRoundTrip, PropertyListDataOfEveryLengthAndByteComesBack) {
  std::vector<UInt8> every;
  for (int c = 0; c < 256; ++c) every.push_back(UInt8(255 - c));
  for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 5u, 255u, 256u}) {
    const std::vector<UInt8> bytes(every.begin(), every.begin() + length);
    const std::string xml = "<plist><data>" + Base64(bytes) + "</data></plist>";
    CFDataRef file =
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, file, 0, nullptr, nullptr);
    CFRelease(file);
    ASSERT_NE(plist, nullptr) << xml;
    ASSERT_EQ(CFGetTypeID(plist), CFDataGetTypeID());
    CFDataRef data = static_cast<CFDataRef>(plist);
    EXPECT_EQ(std::vector<UInt8>(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + CFDataGetLength(data)),
              bytes)
        << length << " bytes";
    CFRelease(plist);
  }
}

TEST(EscapesRoundTrip, FileNamesKeepEveryByteAsText) {
  const struct {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"\xE6\x9B\xB2", u"\u66F2"},                     // UTF-8 reads as itself
      {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},              // a pair whose low half is DCxx-like
      {"\xF0\x9F\x8E\xB5\xB5", u"\U0001F3B5\xDCB5"},    // ... then a stray byte
      {"\x80", u"\xDC80"},                              // lowest escaped byte
      {"\xFF", u"\xDCFF"},                              // highest
      {"\xC0\x80", u"\xDCC0\xDC80"},                    // overlong NUL
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},          // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // past U+10FFFF
      {"\xE6\x9B", u"\xDCE6\xDC9B"},                    // cut short
      {"a\xE6\x9B" "b", u"a\xDCE6\xDC9B" u"b"},
  };
  for (const auto& c : cases) {
    const std::u16string text = sp::text::FileNameToUTF16(c.bytes);
    EXPECT_EQ(text, c.text) << Escaped(c.bytes);
    EXPECT_EQ(sp::text::FileNameFromUTF16(text), c.bytes) << Escaped(c.bytes);
  }
  std::string every;
  for (int c = 1; c < 256; ++c) every += char(c);
  EXPECT_EQ(sp::text::FileNameFromUTF16(sp::text::FileNameToUTF16(every)), every);
  // Only escapes give bytes back: a lone surrogate of text is not one.
  EXPECT_EQ(sp::text::FileNameFromUTF16(u"\xDC7F"), "\xEF\xBF\xBD");
  EXPECT_EQ(sp::text::FileNameFromUTF16(u"\xD800"), "\xEF\xBF\xBD");
}

TEST(EscapesRoundTrip, MacJapaneseTextComesBackThroughUTF8) {
  std::vector<std::string> codes;
  for (int c = 0x20; c < 0x7F; ++c) codes.push_back(std::string(1, char(c)));
  for (int c = 0xA1; c < 0xE0; ++c) codes.push_back(std::string(1, char(c)));  // half-width kana
  // The first level of kanji, whose codes map one to one.
  for (int lead = 0x89; lead <= 0x97; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F) codes.push_back({char(lead), char(trail)});
    }
  }
  std::string all;
  for (const std::string& code : codes) {
    const std::string utf8 = sp::text::MacJapaneseToUTF8(code);
    std::string back;
    EXPECT_TRUE(sp::text::UTF8ToMacJapanese(utf8, back)) << Escaped(code);
    EXPECT_EQ(back, code) << Escaped(code) << " read as " << Escaped(utf8);
    all += code;
  }
  std::string back;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(sp::text::MacJapaneseToUTF8(all), back));
  EXPECT_EQ(back, all) << "a run of single- and double-byte codes";
}

}  // namespace
