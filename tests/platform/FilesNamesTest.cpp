// Names between Linux and the program: colons and slashes, long and unrepresentable names and
// their classic stand-ins, case.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "CoreFoundation.h"
#include "Files.h"
#include "FilesFixture.h"
#include "SpTextCodec.h"
#include "TestFiles.h"
#include "files/CFURLFiles.h"
#include "files/detail/Catalog.h"

namespace {

using files_test::HostExists;
using files_test::WriteHostFile;
namespace fs = sp_platform::files;

const char16_t kOto = u'\u97F3';  // a kanji: two bytes in MacJapanese, three in UTF-8

std::string Mac(const std::u16string& text) {
  std::string out;
  EXPECT_TRUE(
      sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, text.data(), text.size(), 0, out));
  return out;
}

std::string Utf8(const std::u16string& text) {
  return sp::text::UTF16ToUTF8(text);
}

using files_test::PStr;
using files_test::Text;

using files_test::U;

bool IsValidMacJapanese(const std::string& bytes) {
  std::u16string out;
  return sp::text::DecodeToUTF16(kTextEncodingMacJapanese, bytes.data(), bytes.size(), out);
}

TEST(FilesNames, StandInsKeepWhatFitsOnCharacterBoundariesThenTheIdAndAShortExtension) {
  const std::string a31(31, 'a'), a40(40, 'a');
  const std::u16string oto20(20, kOto);
  struct Case {
    std::string linuxName;
    UInt32 id;
    std::size_t limit;
    std::string classic;
    const char* why;
  } cases[] = {
      {"song.aiff", 5, 31, "song.aiff", "a name that fits stays"},
      {"a:b", 5, 31, "a/b", "a colon shows as a slash"},
      {a31, 5, 31, a31, "exactly at the limit"},
      {a31 + "a", 0x1F, 31, std::string(28, 'a') + "#1F", "one byte over"},
      {a40 + ".aiff", 0xABC, 31, std::string(22, 'a') + "#ABC.aiff", "the extension is kept"},
      {a40 + ".abcde", 0xA, 31, std::string(23, 'a') + "#A.abcde", "five characters are short"},
      {a40 + ".abcdef", 0xA, 31, std::string(29, 'a') + "#A", "six are not"},
      {a40 + ".toolongext", 0xA, 31, std::string(29, 'a') + "#A", "a long extension is not"},
      {a40, 9, 63, a40, "an FSSpec holds 63 bytes"},
      {Utf8(oto20), 0x1234, 31, Mac(std::u16string(13, kOto)) + "#1234", "whole kanji only"},
      {"a" + Utf8(oto20), 0x12, 31, "a" + Mac(std::u16string(13, kOto)) + "#12",
       "no kanji cut in half"},
      {Utf8(u"\u9AD9\u6A4B.aiff"), 7, 31, "\xFB\xFC\x8B\xB4.aiff", "IBM's kanji have codes"},
      {Utf8(u"\uD55C\uAD6D.txt"), 7, 31, "__#7.txt", "Hangul is not MacJapanese"},
      {Utf8(u"\U0001F3B5"), 0x80000001u, 31, "_#80000001", "a character beyond the BMP"},
      {Utf8(u"x\u00E9"), 3, 31, "x_#3", "nor is every Latin letter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string classic = fs::ClassicName(c.linuxName, c.id, c.limit);
    EXPECT_EQ(classic, c.classic);
    EXPECT_LE(classic.size(), c.limit);
    EXPECT_TRUE(IsValidMacJapanese(classic));
  }
}

// A name is cut to whole characters that fit both here and on disk (UTF-8), with room left
// for the suffix: a kanji is two bytes here and three there, a half-width kana one and three.
TEST(FilesNames, PrefixesThatFitCountTheNameOnDiskAndKeepWholeCharacters) {
  std::string kanji, kana;
  for (int i = 0; i < 100; ++i) kanji += Mac(u"\u97F3");
  for (int i = 0; i < 100; ++i) kana += "\xB1";  // half-width katakana A
  const struct {
    std::string name;
    SInt32 limit, suffix, want;
  } cases[] = {
      {"abc", 255, 4, 3},
      {std::string(300, 'a'), 251, 4, 251},
      {std::string(300, 'a'), 255, 10, 245},
      {kanji, 251, 4, 166},   // 83 kanji: 249 bytes on disk, and the suffix's 4
      {kanji, 255, 0, 170},   // 85 kanji: 255 bytes on disk
      {kana, 255, 0, 85},
      {"a" + kanji, 2, 0, 1},  // never the first byte of a kanji alone
      {"abc", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 8) + " " + std::to_string(c.name.size()));
    EXPECT_EQ(SpFileNamePrefixThatFits(c.name.data(), SInt32(c.name.size()), c.limit, c.suffix),
              c.want);
  }
  EXPECT_EQ(SpFileNamePrefixThatFits(nullptr, 3, 255, 0), 0);
}

TEST(FilesNames, ClassicNamesThatNoLinuxNameMatchesAreRefused) {
  struct Case {
    std::string classic;
    bool ok;
    std::string linuxName;
  } cases[] = {
      {"a/b", true, "a:b"},
      {Mac(u"\u97F3"), true, Utf8(u"\u97F3")},
      {"\x80", true, "\\"},  // MacJapanese 0x80 is the backslash
      {"", false, ""},
      {".", false, ""},
      {"..", false, ""},
      {"a:b", false, ""},
      {std::string("a\0b", 3), false, ""},
      {"\x81", false, ""},  // a lead byte without its trail byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.classic);
    std::string name;
    EXPECT_EQ(fs::LinuxNameFromClassic(reinterpret_cast<const unsigned char*>(c.classic.data()),
                                       c.classic.size(), name),
              c.ok);
    EXPECT_EQ(name, c.linuxName);
  }
  std::string name;
  EXPECT_FALSE(fs::LinuxNameFromUnicode(U(u"a:b"), 3, name));
  EXPECT_TRUE(fs::LinuxNameFromUnicode(U(u"a/b"), 3, name));
  EXPECT_EQ(name, "a:b");
  // A Unicode name holds up to 255 units, as HFSUniStr255 does.
  const std::u16string units(256, u'u');
  EXPECT_TRUE(fs::LinuxNameFromUnicode(U(units), 255, name));
  EXPECT_EQ(name, std::string(255, 'u'));
  EXPECT_FALSE(fs::LinuxNameFromUnicode(U(units), 256, name));
}

class FilesNamesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(home_.Path("N").c_str(), 0700), 0);
    ASSERT_EQ(fs::LocatePath(home_.Path("N"), folder_), noErr);
    fs::MakeFSRef(folder_, &folderRef_);
  }
  SInt16 V() const { return folder_.vRefNum; }
  SInt32 D() const { return SInt32(folder_.nodeID); }
  // The classic name the index walk shows for the index'th item of the folder.
  std::string ClassicName(SInt16 index = 1) {
    CInfoPBRec pb;
    std::string name;
    EXPECT_EQ(files_test::CatInfoOf(V(), D(), index, &pb, &name), noErr);
    return name;
  }
  static std::u16string UnicodeName(const FSRef& ref) {
    HFSUniStr255 out{};
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, &out, nullptr, nullptr), noErr);
    return std::u16string(reinterpret_cast<char16_t*>(out.unicode), out.length);
  }
  UInt32 NodeOf(const FSRef& ref) {
    FSCatalogInfo info{};
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeID, &info, nullptr, nullptr, nullptr), noErr);
    return info.nodeID;
  }

  sp_testing::HomeScope home_;
  fs::Location folder_;
  FSRef folderRef_{};
};

TEST_F(FilesNamesOnDisk, LongJapaneseNamesKeepTheirNamesAndAnswerToTheirStandIns) {
  const std::u16string name(20, kOto);
  FSRef ref{};
  FSSpec spec{};
  ASSERT_EQ(
      FSCreateFileUnicode(&folderRef_, name.size(), U(name), kFSCatInfoNone, nullptr, &ref, &spec),
      noErr);
  EXPECT_TRUE(HostExists(home_.Path("N/" + Utf8(name))));
  EXPECT_EQ(Text(spec.name), Mac(name)) << "40 bytes fit an FSSpec";
  EXPECT_EQ(UnicodeName(ref), name);

  const std::string standIn = ClassicName();
  EXPECT_EQ(standIn, fs::ClassicName(Utf8(name), NodeOf(ref), 31)) << "the index walk's name";
  for (const std::string& asked : {standIn, Mac(name)}) {
    EXPECT_EQ(UInt32(files_test::FileInfoOf({V(), D(), ""}, asked).fileParam.ioDirID), NodeOf(ref));
  }
  // Seventy bytes do not fit an FSSpec either: its stand-in leads back to the file.
  const std::u16string longer(35, kOto);
  ASSERT_EQ(FSCreateFileUnicode(&folderRef_, longer.size(), U(longer), kFSCatInfoNone, nullptr,
                                &ref, &spec),
            noErr);
  EXPECT_LE(spec.name[0], 63);
  FSRef again{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &again), noErr);
  EXPECT_EQ(FSCompareFSRefs(&ref, &again), noErr);
}

TEST_F(FilesNamesOnDisk, NamesMacJapaneseCannotHoldAreReachedThroughTheirStandIns) {
  const std::u16string hangul = u"\uD55C\uAD6D \uB178\uB798.aiff";
  WriteHostFile(home_.Path("N/" + Utf8(hangul)), "FORM");
  const std::string standIn = ClassicName();

  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(V(), D(), PStr(standIn), &spec), noErr);
  EXPECT_EQ(Text(spec.name), standIn);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  EXPECT_EQ(UnicodeName(ref), hangul);

  EXPECT_EQ(FSMakeFSSpec(V(), D(), PStr("__ __#1.aiff"), &spec), fnfErr)
      << "a stand-in with another id is no name of this file";
  ASSERT_EQ(HRename(V(), D(), PStr(standIn), PStr("plain.aiff")), noErr);
  EXPECT_TRUE(HostExists(home_.Path("N/plain.aiff")));
}

// A family name written with one of IBM's kanji is shown as it is, and the name the program
// holds finds the file and makes new names with the same characters.
TEST_F(FilesNamesOnDisk, NamesWithIBMKanjiAreShownAndUsedAsTheyAre) {
  const std::u16string name = u"\u9AD9\u6A4B.aiff";
  WriteHostFile(home_.Path("N/" + Utf8(name)), "FORM");
  const std::string classic = ClassicName();
  EXPECT_EQ(sp::text::MacJapaneseToUTF8(classic), Utf8(name));
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(V(), D(), PStr(classic), &spec), noErr);
  FSRef ref{};
  ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
  EXPECT_EQ(UnicodeName(ref), name);
  ASSERT_EQ(HCreate(V(), D(), PStr("\xFB\xFC.aiff"), 0, 0), noErr);
  EXPECT_TRUE(HostExists(home_.Path("N/" + Utf8(u"\u9AD9.aiff"))));
  ASSERT_EQ(HRename(V(), D(), PStr(classic), PStr("\xFB\xFC 2.aiff")), noErr);
  EXPECT_TRUE(HostExists(home_.Path("N/" + Utf8(u"\u9AD9 2.aiff"))));
}

// The program keeps the FSSpec name of a file it lists and hands it to the Unicode calls when
// it is longer than a classic call takes: a stand-in must lead there to its file too, and a
// stand-in of another id to none.
TEST_F(FilesNamesOnDisk, StandInsLeadToTheirFilesThroughTheUnicodeCalls) {
  const std::string longest = std::string(240, 'a') + ".mp3";
  WriteHostFile(home_.Path("N/" + longest), "ID3");
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(V(), D(), PStr(longest), &spec), noErr);
  const std::string standIn = Text(spec.name);
  ASSERT_NE(standIn.find('#'), std::string::npos);
  const std::u16string asked = sp::text::UTF8ToUTF16(standIn);
  FSRef ref{};
  ASSERT_EQ(FSMakeFSRefUnicode(&folderRef_, asked.size(), U(asked), kTextEncodingUnknown, &ref),
            noErr);
  EXPECT_EQ(UnicodeName(ref), sp::text::UTF8ToUTF16(longest));
  const std::u16string other = u"aaaa#1.mp3";
  EXPECT_EQ(FSMakeFSRefUnicode(&folderRef_, other.size(), U(other), kTextEncodingUnknown, &ref),
            fnfErr);
}

TEST_F(FilesNamesOnDisk, StandInsOfNamesSharingTheirStartDifferAndSurviveARestart) {
  const std::string start(35, 'x');
  WriteHostFile(home_.Path("N/" + start + "1"), "");
  WriteHostFile(home_.Path("N/" + start + "2"), "");
  const std::string first = ClassicName(1), second = ClassicName(2);
  EXPECT_NE(first, second);
  sp_testing::RestartFileCatalogue();
  ASSERT_EQ(fs::LocatePath(home_.Path("N"), folder_), noErr);
  EXPECT_EQ(ClassicName(1) + "|" + ClassicName(2), first + "|" + second);
}

TEST_F(FilesNamesOnDisk, ColonsInLinuxNamesShowAsSlashesBothWays) {
  WriteHostFile(home_.Path("N/a:b.txt"), "");
  EXPECT_EQ(ClassicName(), "a/b.txt");
  FSSpec spec{};
  EXPECT_EQ(FSMakeFSSpec(V(), D(), PStr("a/b.txt"), &spec), noErr);
  FSRef ref{};
  EXPECT_EQ(FSMakeFSRefUnicode(&folderRef_, 7, U(u"a/b.txt"), kTextEncodingUnknown, &ref), noErr);

  EXPECT_EQ(HCreate(V(), D(), PStr("c/d"), 0, 0), noErr);
  EXPECT_TRUE(HostExists(home_.Path("N/c:d")));
  EXPECT_EQ(
      FSCreateFileUnicode(&folderRef_, 3, U(u"e:f"), kFSCatInfoNone, nullptr, nullptr, nullptr),
      bdNamErr);
  EXPECT_EQ(HCreate(V(), D(), PStr("g:h"), 0, 0), nsvErr) << "a colon makes it a full path";
}

TEST_F(FilesNamesOnDisk, NamesAreCaseSensitive) {
  WriteHostFile(home_.Path("N/Song"), "1");
  WriteHostFile(home_.Path("N/song"), "22");
  const files_test::Folder n{V(), D(), ""};
  EXPECT_EQ(files_test::FileInfoOf(n, "Song").fileParam.ioFlLgLen, 1);
  EXPECT_EQ(files_test::FileInfoOf(n, "song").fileParam.ioFlLgLen, 2);
  FSSpec spec{};
  EXPECT_EQ(FSMakeFSSpec(V(), D(), PStr("SONG"), &spec), fnfErr);
}

// Names on disk that are no UTF-8. `decoded` marks a Shift-JIS name that lists as its
// decoding (and as its own bytes in the classic calls).
struct RawName {
  std::string raw;
  bool decoded;
};
const std::u16string kTesuto = u"\u30C6\u30B9\u30C8.txt";
const std::string kTesutoSJIS = "\x83\x65\x83\x58\x83\x67.txt";

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// Writes the names into the new folder `sub` of the home, lists it, and takes every listed
// name back through each call that takes one: each must find its own file, and a name
// given to a create call in an empty folder must make the same bytes there.
void ExpectEachListedNameFindsItsFile(const sp_testing::HomeScope& home, const std::string& sub,
                                      const std::vector<RawName>& rows) {
  ASSERT_EQ(mkdir(home.Path(sub).c_str(), 0700), 0);
  for (const RawName& r : rows) WriteHostFile(home.Path(sub + "/" + r.raw), r.raw);
  const files_test::Folder folder = files_test::FolderAt(home, sub);
  const FSRef folderRef = files_test::RefAt(home, sub);
  FSIterator it = nullptr;
  ASSERT_EQ(FSOpenIterator(&folderRef, kFSIterateFlat, &it), noErr);
  FSRef refs[8];
  HFSUniStr255 names[8];
  ItemCount n = 0;
  ASSERT_EQ(FSGetCatalogInfoBulk(it, 8, &n, nullptr, kFSCatInfoNone, nullptr, refs, nullptr, names),
            noErr);
  FSCloseIterator(it);
  ASSERT_EQ(n, rows.size());
  std::set<std::u16string> unicodeNames;
  std::set<std::string> classicNames;
  for (ItemCount i = 0; i < n; ++i) {
    const std::string raw = BaseName(files_test::PathOf(refs[i]));
    SCOPED_TRACE(raw);
    const RawName& row =
        *std::find_if(rows.begin(), rows.end(), [&](const RawName& r) { return r.raw == raw; });
    const std::u16string listed(reinterpret_cast<char16_t*>(names[i].unicode), names[i].length);
    unicodeNames.insert(listed);
    HFSUniStr255 asked{};
    FSSpec spec{};
    ASSERT_EQ(FSGetCatalogInfo(&refs[i], kFSCatInfoNone, nullptr, &asked, &spec, nullptr), noErr);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(asked.unicode), asked.length), listed);
    const std::string classic = Text(spec.name);
    classicNames.insert(classic);
    if (row.decoded) {
      EXPECT_EQ(Utf8(listed), sp::text::MacJapaneseToUTF8(raw));
      EXPECT_EQ(classic, raw) << "valid Shift-JIS is its own classic name";
    }

    FSRef back{};
    EXPECT_EQ(FSMakeFSRefUnicode(&folderRef, listed.size(), U(listed), kTextEncodingUnknown, &back),
              noErr);
    EXPECT_EQ(FSCompareFSRefs(&back, &refs[i]), noErr) << "the Unicode name finds the same file";
    EXPECT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, PStr(classic), &spec), noErr);
    EXPECT_EQ(FSpMakeFSRef(&spec, &back), noErr);
    EXPECT_EQ(FSCompareFSRefs(&back, &refs[i]), noErr) << "the classic name finds the same file";
    if (!row.decoded) {
      const std::string copy = sub + "-" + std::to_string(i);
      ASSERT_EQ(mkdir(home.Path(copy).c_str(), 0700), 0);
      const FSRef copies = files_test::RefAt(home, copy);
      EXPECT_EQ(FSCreateFileUnicode(&copies, listed.size(), U(listed), kFSCatInfoNone, nullptr,
                                    nullptr, nullptr),
                noErr);
      EXPECT_TRUE(HostExists(home.Path(copy + "/" + raw))) << "the name carries the bytes";
    }
  }
  EXPECT_EQ(unicodeNames.size(), n) << "two raw names never list alike";
  EXPECT_EQ(classicNames.size(), n);
}

TEST_F(FilesNamesOnDisk, NamesThatAreNoUTF8ListDistinctlyAndEveryCallTakesTheListedNameBack) {
  ExpectEachListedNameFindsItsFile(home_, "Archive",
                                   {{"caf\xE9.txt", false},  // Latin-1 names side by side
                                    {"caf\xE8.txt", false},
                                    {kTesutoSJIS, true},
                                   {"\xFB\xFC\x8B\xB4.txt", true},  // code page 932's kanji
                                    {"\xE6\x97\xA5\x81-x.txt", false}});  // a stray byte
}

TEST_F(FilesNamesOnDisk, AShiftJISNameBesideItsUTF8TwinListsApartFromIt) {
  ExpectEachListedNameFindsItsFile(home_, "Twins", {{Utf8(kTesuto), false}, {kTesutoSJIS, false}});
}

TEST_F(FilesNamesOnDisk, FileURLsOfNamesThatAreNoUTF8GiveAPathThatLeadsBack) {
  for (const std::string& raw : {std::string("caf\xE9.txt"), kTesutoSJIS}) {
    SCOPED_TRACE(raw);
    WriteHostFile(home_.Path("N/" + raw), raw);
    const FSRef ref = files_test::RefAt(home_, "N/" + raw);
    CFURLRef url = CFURLCreateFromFSRef(nullptr, &ref);
    ASSERT_NE(url, nullptr);
    CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
    ASSERT_NE(path, nullptr) << "a path string for every file";
    CFURLRef again = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, false);
    FSRef back{};
    EXPECT_TRUE(CFURLGetFSRef(again, &back));
    EXPECT_EQ(FSCompareFSRefs(&back, &ref), noErr);
    CFRelease(again);
    CFRelease(path);
    CFRelease(url);
  }
}

}  // namespace
