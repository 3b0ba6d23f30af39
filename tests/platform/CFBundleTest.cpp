#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CoreFoundation.h"
#include "TestBundle.h"
#include "TestFiles.h"

namespace {

// A bundle folder made for one test and removed after it.
class BundleFolder : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::SetMainBundleFolder(folder_); }
  void TearDown() override { sp_testing::ResetMainBundleFolder(); }
  void Write(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(folder_ + "/" + name).parent_path());
    std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
  }
  // The localized string for key (UTF-8), with value as the caller's default.
  static std::string Lookup(const char* key, CFStringRef value, CFStringRef table) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFStringRef s = CFBundleCopyLocalizedString(CFBundleGetMainBundle(), k, value, table);
    CFRelease(k);
    char buffer[256] = "(null)";
    if (s != nullptr) CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8);
    CFRelease(s);
    return buffer;
  }
  static std::string Path(CFURLRef url) {
    UInt8 buffer[1024] = {0};
    CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer);
    CFRelease(url);
    return reinterpret_cast<char*>(buffer);
  }

  sp_testing::HomeScope home_;
  const std::string folder_ = home_.Home();
};

const char kTable[] =
    "/* The program's messages */\n"
    "\"Quit\" = \"\xE7\xB5\x82\xE4\xBA\x86\";  // quit\n"
    "\"Escapes\" = \"a\\\"b\\\\c\\nd\\te\\U30A2\\101\";\n"
    "\"Multi\nLine Key\" = \"x\";\n"
    "bare_key = bare.value;\n"
    "\"Octal\" = \"\\1012\\78\";\n"
    "// a comment ending a classic line\r\"Classic\" = \"cr\";\n"
    "\"Alone\";\n";

}  // namespace

TEST_F(BundleFolder, ReadsTheStringsTableWithCommentsAndEscapes) {
  Write("LocalizableForCDROMProgram.strings", kTable);
  Write("Localizable.strings", kTable);
  CFStringRef table = CFSTR("LocalizableForCDROMProgram");
  EXPECT_EQ(Lookup("Quit", nullptr, table), "\xE7\xB5\x82\xE4\xBA\x86");
  EXPECT_EQ(Lookup("Escapes", nullptr, table),
            "a\"b\\c\nd\te\xE3\x82\xA2"
            "A");
  EXPECT_EQ(Lookup("Multi\nLine Key", nullptr, table), "x");
  EXPECT_EQ(Lookup("bare_key", nullptr, table), "bare.value");
  EXPECT_EQ(Lookup("Classic", nullptr, table), "cr") << "a line comment ends at a carriage return";
  EXPECT_EQ(Lookup("Octal", nullptr, table), "A2\a8")
      << "an octal escape takes three digits at most";
  EXPECT_EQ(Lookup("Alone", nullptr, table), "Alone");
  // The program tells "missing" apart by passing a value of its own.
  EXPECT_EQ(Lookup("Quit", nullptr, nullptr), "\xE7\xB5\x82\xE4\xBA\x86") << "the default table";
  EXPECT_EQ(Lookup("Nothing", CFSTR("fallback"), nullptr), "fallback");
  EXPECT_EQ(Lookup("Nothing", CFSTR(""), nullptr), "Nothing");
  EXPECT_EQ(Lookup("Nothing", nullptr, nullptr), "Nothing");
  EXPECT_EQ(Lookup("Quit", CFSTR("fallback"), CFSTR("NoSuchTable")), "fallback");
  EXPECT_EQ(CFBundleCopyLocalizedString(CFBundleGetMainBundle(), nullptr, nullptr, nullptr),
            nullptr);
}

TEST_F(BundleFolder, ReadsUTF16TablesInEitherByteOrder) {
  const std::u16string text = u"\"\u66F2\" = \"Track\";";
  std::string be = "\xFE\xFF", le = "\xFF\xFE";
  for (char16_t c : text)
    be += {char(c >> 8), char(c & 0xFF)}, le += {char(c & 0xFF), char(c >> 8)};
  Write("BE.strings", be);
  Write("LE.strings", le);
  EXPECT_EQ(Lookup("\xE6\x9B\xB2", nullptr, CFSTR("BE")), "Track");
  EXPECT_EQ(Lookup("\xE6\x9B\xB2", nullptr, CFSTR("LE")), "Track");
}

TEST_F(BundleFolder, MalformedTableIsTreatedAsEmpty) {
  const char* cases[] = {"\"a\" = \"b\"",     "\"a\" = \"b;",       "\"a\" = ;",
                         "/* \"a\" = \"b\";", "\"a\" = \"\\U12\";", "\"a\" \"b\";"};
  for (const char* text : cases) {
    Write("Bad.strings", text);
    sp_testing::SetMainBundleFolder(folder_);  // forgets the table read before
    EXPECT_EQ(Lookup("a", nullptr, CFSTR("Bad")), "a") << text;
  }
}

TEST_F(BundleFolder, InfoPlistGivesVersionAndIdentifierAndItsAbsenceEmptyAnswers) {
  CFBundleRef bundle = CFBundleGetMainBundle();
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleVersionKey), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(bundle)), 0);
  Write("Info.plist",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>CFBundleVersion</key><string>2.1.3</string>"
        "<key>CFBundleIdentifier</key><string>org.example.media</string>"
        "</dict></plist>");
  sp_testing::SetMainBundleFolder(folder_);  // moving the bundle forgets what was read
  bundle = CFBundleGetMainBundle();
  EXPECT_TRUE(
      CFEqual(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleVersionKey), CFSTR("2.1.3")));
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(bundle), CFSTR("org.example.media")));
}

TEST_F(BundleFolder, FindsResourcesByNameTypeAndSubfolder) {
  Write("FileErrorNoData.txt", "1\tNo data\r");
  Write("Pictures/Logo.png", "png");
  CFBundleRef b = CFBundleGetMainBundle();
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe");
  const std::string txt = folder_ + "/FileErrorNoData.txt";
  EXPECT_EQ(Path(CFBundleCopyResourceURL(b, CFSTR("FileErrorNoData"), CFSTR("txt"), nullptr)), txt);
  EXPECT_EQ(Path(CFBundleCopyResourceURL(b, CFSTR("FileErrorNoData"), CFSTR(".txt"), nullptr)),
            txt);
  EXPECT_EQ(Path(CFBundleCopyResourceURL(b, CFSTR("Logo.png"), nullptr, CFSTR("Pictures"))),
            folder_ + "/Pictures/Logo.png");
  EXPECT_EQ(CFBundleCopyResourceURL(b, CFSTR("Logo"), CFSTR("png"), nullptr), nullptr);
  EXPECT_EQ(Path(CFBundleCopyBundleURL(b)), folder_);
  EXPECT_EQ(Path(CFBundleCopyResourcesDirectoryURL(b)), folder_);
  EXPECT_EQ(Path(CFBundleCopyExecutableURL(b)), exe);
  sp_testing::ResetMainBundleFolder();
  EXPECT_EQ(Path(CFBundleCopyBundleURL(CFBundleGetMainBundle())),
            exe.substr(0, exe.rfind('/')) + "/Resources")
      << "by default, the Resources folder beside the executable";
}
