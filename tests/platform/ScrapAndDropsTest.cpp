// The Scrap Manager over the clipboard (with and without a desktop behind it), and files
// dropped from the desktop as drags of 'hfs ' items.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "Files.h"
#include "Scrap.h"
#include "TestDialogs.h"
#include "TestFiles.h"
#include "UiFixture.h"
#include "files/internal/FileLocations.h"
#include "ui/internal/DialogClipboard.h"
#include "ui/internal/Drops.h"

namespace ui_test {
namespace {

namespace dialogs = sp_platform::dialogs;
namespace drops = sp_platform::drops;

class Scrap : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_EQ(ClearCurrentScrap(), noErr);
    ASSERT_EQ(GetCurrentScrap(&scrap_), noErr);
  }
  void TearDown() override {
    dialogs::SetDesktopClipboard(nullptr);
    ClearCurrentScrap();
    UiTest::TearDown();
  }
  OSStatus Put(ScrapFlavorType type, const std::string& bytes, ScrapFlavorFlags flags = 0) {
    return PutScrapFlavor(scrap_, type, flags, Size(bytes.size()), bytes.data());
  }
  std::string Get(ScrapFlavorType type, Size room = 256) {
    std::string bytes(std::size_t(room), '\0');
    Size size = room;
    if (GetScrapFlavorData(scrap_, type, &size, &bytes[0]) != noErr) return "<none>";
    bytes.resize(std::size_t(size));
    return bytes;
  }
  ScrapRef scrap_ = nullptr;
};

TEST_F(Scrap, FlavoursReadBackAndBadRequestsAreRefused) {
  EXPECT_EQ(Put(kScrapFlavorTypeText, "abc\rdef"), noErr);
  EXPECT_EQ(Put(kScrapFlavorTypeTextStyle, std::string("\0\0", 2)), noErr);
  EXPECT_EQ(Get(kScrapFlavorTypeText), "abc\rdef");
  EXPECT_EQ(Get(kScrapFlavorTypeText, 3), "abc") << "at most the room given";
  EXPECT_EQ(dialogs::ClipboardText(), "abc\rdef") << "dialogs paste what the scrap holds";
  Size size = 0;
  EXPECT_EQ(GetScrapFlavorSize(scrap_, kScrapFlavorTypeTextStyle, &size), noErr);
  EXPECT_EQ(size, 2);
  struct Bad {
    const char* what;
    OSStatus expected;
    OSStatus got;
  } const bad[] = {
      {"a flavour twice", duplicateScrapFlavorErr, Put(kScrapFlavorTypeText, "x")},
      {"unknown flags", illegalScrapFlavorFlagsErr, Put(SpFourCC("abcd"), "x", 0x10)},
      {"a negative size", illegalScrapFlavorSizeErr,
       PutScrapFlavor(scrap_, SpFourCC("abcd"), 0, -1, "x")},
      {"no data for bytes", nilScrapFlavorDataErr,
       PutScrapFlavor(scrap_, SpFourCC("abcd"), 0, 4, nullptr)},
      {"a flavour not there", noTypeErr, GetScrapFlavorSize(scrap_, SpFourCC("PICT"), &size)},
  };
  for (const Bad& b : bad) EXPECT_EQ(b.got, b.expected) << b.what;
}

TEST_F(Scrap, ClearingMakesEarlierScrapReferencesStale) {
  ASSERT_EQ(Put(kScrapFlavorTypeText, "old"), noErr);
  ScrapRef old = scrap_;
  ASSERT_EQ(ClearCurrentScrap(), noErr);
  Size size = 0;
  EXPECT_EQ(GetScrapFlavorSize(old, kScrapFlavorTypeText, &size), badScrapRefErr);
  EXPECT_EQ(PutScrapFlavor(old, kScrapFlavorTypeText, 0, 1, "x"), badScrapRefErr);
  ASSERT_EQ(GetCurrentScrap(&scrap_), noErr);
  EXPECT_EQ(GetScrapFlavorSize(scrap_, kScrapFlavorTypeText, &size), noTypeErr)
      << "the new scrap is empty";
}

TEST_F(Scrap, StyleGoesWhenAnotherCopyReplacesTheText) {
  ASSERT_EQ(Put(kScrapFlavorTypeText, "styled"), noErr);
  ASSERT_EQ(Put(kScrapFlavorTypeTextStyle, std::string("\0\1", 2)), noErr);
  dialogs::PutClipboardText("plain");  // an edit field's Copy
  EXPECT_EQ(Get(kScrapFlavorTypeText), "plain");
  EXPECT_EQ(Get(kScrapFlavorTypeTextStyle), "<none>") << "the style of a text no longer there";
}

TEST_F(Scrap, StyleGoesWhenAnotherProgramTakesTheClipboardEvenWithTheSameText) {
  ASSERT_EQ(Put(kScrapFlavorTypeText, "styled"), noErr);
  ASSERT_EQ(Put(kScrapFlavorTypeTextStyle, std::string("\0\1", 2)), noErr);
  UInt32 before = 0, after = 0;
  ASSERT_EQ(GetScrapChangeCount(&before), noErr);
  dialogs::DesktopClipboardTaken();
  EXPECT_EQ(Get(kScrapFlavorTypeText), "styled");
  EXPECT_EQ(Get(kScrapFlavorTypeTextStyle), "<none>");
  ASSERT_EQ(GetScrapChangeCount(&after), noErr);
  EXPECT_GT(after, before) << "a copy elsewhere is a change";
  // Our next copy keeps its style again.
  ASSERT_EQ(ClearCurrentScrap(), noErr);
  ASSERT_EQ(GetCurrentScrap(&scrap_), noErr);
  ASSERT_EQ(Put(kScrapFlavorTypeText, "again"), noErr);
  ASSERT_EQ(Put(kScrapFlavorTypeTextStyle, std::string("\0\1", 2)), noErr);
  EXPECT_EQ(Get(kScrapFlavorTypeTextStyle), std::string("\0\1", 2));
}

// A desktop clipboard of the test's own.
struct FakeDesktop {
  std::string text;
  bool has = false;
  int puts = 0;
};

TEST_F(Scrap, TextCrossesToTheDesktopAsUTF8WithLineFeedsAndComesBackWhole) {
  FakeDesktop desk;
  const dialogs::DesktopClipboard clipboard = {
      [](const std::string& utf8, void* refCon) {
        auto* d = static_cast<FakeDesktop*>(refCon);
        d->text = utf8;
        d->has = !utf8.empty();
        ++d->puts;
      },
      [](std::string* utf8, void* refCon) {
        auto* d = static_cast<FakeDesktop*>(refCon);
        *utf8 = d->text;
        return d->has;
      },
      &desk};
  dialogs::SetDesktopClipboard(&clipboard);
  // "日本\r" then a byte UTF-8 cannot carry as itself (0x80, the backslash of MacJapanese, does
  // cross as U+005C; 0xFD is the copyright sign): what we put comes back byte for byte.
  const std::string ours = SJ("日本") + "\r\x80\xFD";
  ASSERT_EQ(Put(kScrapFlavorTypeText, ours), noErr);
  EXPECT_EQ(desk.text, "日本\n\\\u00A9");
  EXPECT_EQ(Get(kScrapFlavorTypeText), ours);
  // Another program's text: CR LF and LF become CR, characters MacJapanese lacks become '?'.
  desk.text = "one\r\ntwo\nthree \u00E9";
  EXPECT_EQ(Get(kScrapFlavorTypeText), "one\rtwo\rthree ?");
  desk.has = false;
  desk.text.clear();
  Size size = 0;
  EXPECT_EQ(GetScrapFlavorSize(scrap_, kScrapFlavorTypeText, &size), noTypeErr);
}

// The UTF-16 bytes of a UTF-8 text, in the machine's order.
std::string Utf16(const std::string& utf8) {
  const std::u16string units = sp::text::UTF8ToUTF16(utf8);
  return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

TEST_F(Scrap, TextIsBothMacJapaneseAndUnicodeAndUnicodeKeepsWhatMacJapaneseLacks) {
  ASSERT_EQ(Put(kScrapFlavorTypeText, SJ("日本\r語")), noErr);
  EXPECT_EQ(Get(kScrapFlavorTypeUnicode), Utf16("日本\r語"));
  UInt32 count = 0;
  ASSERT_EQ(GetScrapFlavorCount(scrap_, &count), noErr);
  EXPECT_EQ(count, 2u);
  ASSERT_EQ(Put(kScrapFlavorTypeTextStyle, std::string("\0\0", 2)), noErr);
  ASSERT_EQ(GetScrapFlavorCount(scrap_, &count), noErr);
  EXPECT_EQ(count, 3u);
  // The Unicode form put after the MacJapanese one replaces it, with its é.
  ASSERT_EQ(Put(kScrapFlavorTypeUnicode, Utf16("caf\u00E9\n")), noErr);
  EXPECT_EQ(Get(kScrapFlavorTypeText), "caf?\r");
  EXPECT_EQ(Get(kScrapFlavorTypeUnicode), Utf16("caf\u00E9\r"));
  EXPECT_EQ(Put(kScrapFlavorTypeUnicode, Utf16("x")), duplicateScrapFlavorErr);
  // Unicode first, then MacJapanese: the fuller form stays.
  ASSERT_EQ(ClearCurrentScrap(), noErr);
  ASSERT_EQ(GetCurrentScrap(&scrap_), noErr);
  ASSERT_EQ(Put(kScrapFlavorTypeUnicode, Utf16("\u00E9t\u00E9") + std::string(1, 'x')), noErr)
      << "an odd byte is no character";
  ASSERT_EQ(Put(kScrapFlavorTypeText, "?t?"), noErr);
  EXPECT_EQ(Get(kScrapFlavorTypeUnicode), Utf16("\u00E9t\u00E9"));
  EXPECT_EQ(Put(kScrapFlavorTypeText, "y"), duplicateScrapFlavorErr);
}

TEST_F(Scrap, EveryChangeOfTheClipboardCountsEvenWhenItKeepsItsFlavours) {
  UInt32 before = 0, after = 0;
  ASSERT_EQ(Put(kScrapFlavorTypeText, "one"), noErr);
  ASSERT_EQ(GetScrapChangeCount(&before), noErr);
  ASSERT_EQ(GetScrapChangeCount(&after), noErr);
  EXPECT_EQ(after, before) << "looking changes nothing";
  struct Step {
    const char* what;
    std::function<void()> change;
  } const steps[] = {
      {"an edit field's copy", [] { dialogs::PutClipboardText("two"); }},
      {"another program's copy", [] { sp_testing::SetClipboardTextUnicode("three"); }},
      {"a clear", [] { ClearCurrentScrap(); }},
      {"a private flavour",
       [] {
         ScrapRef s = nullptr;
         GetCurrentScrap(&s);
         PutScrapFlavor(s, SpFourCC("abcd"), 0, 1, "z");
       }},
  };
  for (const Step& step : steps) {
    step.change();
    ASSERT_EQ(GetScrapChangeCount(&after), noErr);
    EXPECT_GT(after, before) << step.what;
    before = after;
  }
  EXPECT_EQ(GetScrapChangeCount(nullptr), paramErr);
}

class Drops : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    drops::SetFileDropReceiver(nullptr, nullptr);
    drops::TakePendingFileDrops();
  }
  void TearDown() override {
    drops::SetFileDropReceiver(nullptr, nullptr);
    drops::TakePendingFileDrops();
    UiTest::TearDown();
  }
  std::string Touch(const std::string& name) {
    const std::string path = home_.Path(name);
    std::ofstream(path) << "data";
    return path;
  }
  sp_testing::HomeScope home_;
};

TEST_F(Drops, AFileBecomesAnHfsItemWithItsFinderInfoAndFSSpec) {
  const std::string path = Touch("曲.aiff");
  FSSpec spec;
  ASSERT_EQ(sp_platform::files::FSSpecOfPath(path, &spec), noErr);
  FInfo info{};
  info.fdType = SpFourCC("AIFF");
  info.fdCreator = SpFourCC("TVOD");
  info.fdFlags = 0x0100;
  ASSERT_EQ(FSpSetFInfo(&spec, &info), noErr);
  drops::HFSFlavorBytes item;
  ASSERT_TRUE(drops::MakeHFSFlavor(path, &item));
  const std::string bytes(item.begin(), item.end());
  EXPECT_EQ(bytes.substr(0, 10), std::string("AIFFTVOD\x01\x00", 10));
  EXPECT_EQ(SInt16(UInt16(item[10] << 8 | item[11])), spec.vRefNum);
  EXPECT_EQ(SInt32(UInt32(item[12]) << 24 | UInt32(item[13]) << 16 | UInt32(item[14]) << 8 |
                   item[15]),
            spec.parID);
  EXPECT_EQ(bytes.substr(16, 1u + item[16]), PText(spec.name).insert(0, 1, char(spec.name[0])));
  EXPECT_EQ(bytes.substr(17 + item[16]), std::string(80 - 17 - item[16], '\0'));
  ASSERT_TRUE(drops::MakeHFSFlavor(home_.Home(), &item));
  EXPECT_EQ(std::string(item.begin(), item.begin() + 8), "foldMACS");
  EXPECT_FALSE(drops::MakeHFSFlavor(home_.Path("missing"), &item));
}

TEST_F(Drops, DropsGoToTheReceiverOrWaitAndNamesOfNothingAreLeftOut) {
  WindowRef window = MakeWindow(R(100, 100, 300, 400));
  const std::string a = Touch("a.wav"), b = Touch("b.wav");
  EXPECT_EQ(drops::DeliverFileDrop(Pt(150, 150), {}), paramErr);
  EXPECT_EQ(drops::DeliverFileDrop(Pt(150, 150), {home_.Path("gone")}), fnfErr);
  EXPECT_TRUE(drops::TakePendingFileDrops().empty()) << "a drop of nothing is no drop";
  std::vector<drops::FileDrop> received;
  drops::SetFileDropReceiver(
      [](const drops::FileDrop& drop, void* refCon) {
        static_cast<std::vector<drops::FileDrop>*>(refCon)->push_back(drop);
      },
      &received);
  EXPECT_EQ(drops::DeliverFileDrop(Pt(150, 120), {a, home_.Path("gone"), b}), noErr);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].window, window);
  EXPECT_EQ(received[0].items.size(), 2u);
  EXPECT_EQ(received[0].items[1][17], 'b');
  EXPECT_TRUE(drops::TakePendingFileDrops().empty());
  // Without a receiver they wait, the oldest let go past the limit.
  drops::SetFileDropReceiver(nullptr, nullptr);
  for (std::size_t i = 0; i < drops::kMaxPendingDrops + 2; ++i) {
    drops::DeliverFileDrop(Pt(SInt16(i), 500), {a});
  }
  const auto pending = drops::TakePendingFileDrops();
  ASSERT_EQ(pending.size(), drops::kMaxPendingDrops);
  EXPECT_EQ(pending.front().where.h, 2);
  EXPECT_EQ(pending.front().window, nullptr);
}

// A text/uri-list from another program: each line one URI, only local files taken.
TEST_F(Drops, AUriListNamesOnlyLocalFilesWithTheirEscapesDecoded) {
  const struct {
    const char* why;
    std::string list;
    std::vector<std::string> paths;
  } cases[] = {
      {"lines end in CR LF, the last in nothing", "file:///a/b\r\nfile:///c", {"/a/b", "/c"}},
      {"escapes decoded, either case", "file:///x%20y/%e6%9b%b2%2Eaif\n", {"/x y/\xE6\x9B\xB2.aif"}},
      {"localhost and no authority are this machine", "file://localhost/l\nfile:/m", {"/l", "/m"}},
      {"comments, blanks, other hosts and schemes are left out",
       "# c\r\n\r\nfile://far/x\nhttp://h/y\nfile:rel\nfile:///ok", {"/ok"}},
      {"an escape of NUL or cut short ends only its own line",
       "file:///a%00b\nfile:///c%4\nfile:///d%zz\nfile:///e", {"/e"}},
      {"a host without a path names nothing", "file://localhost", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(drops::PathsOfUriList(c.list), c.paths) << c.why;
  }
}

}  // namespace
}  // namespace ui_test
