// The font manager: the installed fonts listed once, names to numbers, font-name string lists;
// and the shared offscreen, one GWorld as large as the largest need of its users.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ErrorLogCapture.h"
#include "Resources.h"
#include "SpFontManager.h"
#include "SpTesting.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestResources.h"

namespace {

constexpr SInt16 kIPAGothic = 16384;
constexpr SInt16 kIPAMincho = 16386;

TEST(FontManager, ListHoldsEveryInstalledFamilyWithItsNumberInMenuOrder) {
  cSp_FontManager manager;
  std::vector<std::pair<std::string, SInt16>> expected, listed;
  for (const sp_testing::FontFamily& family : sp_testing::InstalledFontFamilies()) {
    expected.emplace_back(family.name, family.number);
  }
  ASSERT_FALSE(expected.empty());
  for (cSp_FontItem* item = manager.GetFontItemList(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    char name[kSpFontNameSize];
    EXPECT_EQ(item->GetTargetFontName(name), name);
    listed.emplace_back(name, item->GetFontNo());
  }
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(manager.GetFontItemCount(), SInt32(expected.size()));
  ASSERT_NE(manager.GetFontItemListTail(), nullptr);
  EXPECT_EQ(manager.GetFontItemListTail()->GetNextObjectPtr(), nullptr);
  EXPECT_EQ(manager.GetFontItemListTail()->GetFontName(), expected.back().first);
}

TEST(FontManager, StringListGivesItsFirstInstalledName) {
  sp_testing::ResetResources();
  const struct {
    std::vector<std::string> names;
    SInt16 number;
    const char* copied;  // null: the buffer is left as it was
  } cases[] = {
      {{"No Such Font", "IPAMincho", "IPAGothic"}, kIPAMincho, "IPAMincho"},
      {{"IPAGothic"}, kIPAGothic, "IPAGothic"},
      {{"No Such Font", "ipamincho"}, 0, nullptr},
      {{"No Such Font", "", "IPAGothic"}, 0, nullptr},  // an empty string ends the list
      {{}, 0, nullptr},
  };
  SInt16 id = 9500;
  for (const auto& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("STR#"), id, sp_testing::MakeStringList(c.names)),
              noErr);
    char out[kSpFontNameSize];
    std::strcpy(out, "unchanged");
    EXPECT_EQ(Sp_GetFontNoFromIndString(id, out), c.number) << id;
    EXPECT_STREQ(out, c.copied != nullptr ? c.copied : "unchanged") << id;
    ++id;
  }
  EXPECT_EQ(Sp_GetFontNoFromIndString(9599, nullptr), 0) << "no such list";
  EXPECT_EQ(Sp_GetFontNoFromIndString(9500, nullptr), kIPAMincho) << "no buffer is needed";
  sp_testing::ResetResources();
}

TEST(FontManager, NamesAreFoundByteForByteOnly) {
  cSp_FontManager manager;
  const struct {
    const char* name;
    SInt16 number;
  } cases[] = {
      {"IPAGothic", kIPAGothic},
      {"IPAMincho", kIPAMincho},
      {"ipagothic", 0},
      {"IPAGothic ", 0},
      {"IPA", 0},  // a beginning is no name
      {"", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(manager.GetFontNoFromName(c.name), c.number) << c.name;
    EXPECT_EQ(Sp_GetFontNoFromFontName(c.name), c.number) << c.name;
  }
}

TEST(FontManager, LinkedItemsGoInNameOrderKeepTheTailCountAndNameLengthAndRefuseNull) {
  cSp_FontManager manager;
  const SInt32 count = manager.GetFontItemCount();
  cSp_FontItem* first = new (std::nothrow) cSp_FontItem("AAA First", 1);
  cSp_FontItem* last = new (std::nothrow) cSp_FontItem(std::string(300, 'z').c_str(), 2);
  cSp_FontItem* middle = new (std::nothrow) cSp_FontItem("IPAGothic2", 3);
  for (cSp_FontItem* item : {last, first, middle}) manager.LinkFontItemList(item);
  EXPECT_EQ(manager.GetFontItemList(), first);
  EXPECT_EQ(manager.GetFontItemListTail(), last) << "a later append must not lose the item";
  EXPECT_STREQ(middle->GetBeforeObjectPtr()->GetFontName(), "IPAGothic");
  char out[kSpFontNameSize];
  EXPECT_EQ(std::strlen(last->GetTargetFontName(out)), 255u) << "names are cut to 255 bytes";

  ErrorLogCapture log;  // null arguments are recorded and change nothing
  EXPECT_EQ(Sp_GetFontNoFromFontName(nullptr), 0);
  EXPECT_EQ(middle->GetTargetFontName(nullptr), nullptr);
  middle->SetupFontName(nullptr);
  manager.LinkFontItemList(nullptr);
  EXPECT_STREQ(middle->GetFontName(), "IPAGothic2");
  EXPECT_EQ(manager.GetFontItemCount(), count + 3);
  for (const char* method : {"Sp_GetFontNoFromFontName", "cSp_FontItem::GetTargetFontName",
                             "cSp_FontItem::SetupFontName", "cSp_FontManager::LinkFontItemList"}) {
    EXPECT_TRUE(log.Has(method, 1)) << method;
  }
  EXPECT_EQ(log.Count(), 4u);
}

TEST(SharedOffscreen, GrowsToTheLargestNeedAndIsRemadeOnlyWhenThatChanges) {
  cSp_GeneralGWorldManagerObj manager;
  auto size = [&manager] {
    Rect r{};
    if (manager.GetGeneralGWorld() != nullptr) GetPortBounds(manager.GetGeneralGWorld(), &r);
    return std::make_pair(r.right - r.left, r.bottom - r.top);
  };
  EXPECT_EQ(manager.GetGeneralGWorld(), nullptr) << "no GWorld without a user";
  const UInt32 wide = manager.RequestNewUser(100, 50);
  const UInt32 tall = manager.RequestNewUser(80, 120);
  EXPECT_EQ(tall, wide + 1);
  sp_testing::FillPort(manager.GetGeneralGWorld(), 0x123456);
  manager.ReleaseUser(manager.RequestNewUser(20, 20));
  EXPECT_EQ(size(), std::make_pair(100, 120)) << "width and height grow separately";
  EXPECT_EQ(sp_testing::ReadPixel(manager.GetGeneralGWorld(), 0, 0), 0x123456u)
      << "a user within the size coming and going keeps the GWorld";
  manager.ReleaseUser(wide);
  EXPECT_EQ(size(), std::make_pair(80, 120)) << "the width shrinks, the height stays";
  manager.ReleaseUser(tall);
  EXPECT_EQ(size(), std::make_pair(0, 0)) << "the last user takes the GWorld with it";
  const UInt32 again = manager.RequestNewUser(30, 40);
  EXPECT_EQ(size(), std::make_pair(30, 40)) << "a new first user sets its own size";
  EXPECT_EQ(again, tall + 2) << "numbers are never given twice";
  manager.ReleaseUser(again);
}

TEST(SharedOffscreen, ReleasesThatMatchNoUserAreReportedAndChangeNothing) {
  cSp_GeneralGWorldManagerObj manager;
  ErrorLogCapture log;
  manager.ReleaseUser(1);
  EXPECT_TRUE(log.Has("cSp_GeneralGWorldManagerObj::ReleaseUser", 3)) << "no user at all";
  const UInt32 user = manager.RequestNewUser(16, 16);
  manager.ReleaseUser(user + 1);
  EXPECT_TRUE(log.Has("cSp_GeneralGWorldManagerObj::ReleaseUser", 5)) << "an unknown number";
  EXPECT_EQ(log.Beeps(), 2u);
  Rect r{};
  GetPortBounds(manager.GetGeneralGWorld(), &r);
  EXPECT_TRUE(r.right == 16 && r.bottom == 16);
  manager.ReleaseUser(user);
  manager.ReleaseUser(user);
  EXPECT_EQ(log.Beeps(), 3u) << "a number is given back once";
  EXPECT_EQ(manager.GetGeneralGWorld(), nullptr);
}

TEST(SharedOffscreen, WipingOutTheUsersTakesTheGWorld) {
  cSp_GeneralGWorldManagerObj manager;
  manager.RequestNewUser(10, 10);
  manager.RequestNewUser(20, 5);
  manager.WipeOutAllItem();
  EXPECT_EQ(manager.GetUserListHead(), nullptr);
  EXPECT_EQ(manager.GetGeneralGWorld(), nullptr);
  EXPECT_EQ(manager.RequestNewUser(4, 4), 3u) << "numbers are never given twice";
  Rect r{};
  GetPortBounds(manager.GetGeneralGWorld(), &r);
  EXPECT_TRUE(r.right == 4 && r.bottom == 4);
}

}  // namespace
