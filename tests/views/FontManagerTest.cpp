// The font manager: the installed fonts listed once, names to numbers;
// and the shared offscreen, one GWorld as large as the largest need of its users.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpFontManager.h"
#include "SpTesting.h"
#include "TestQuickDraw.h"

namespace {

constexpr SInt16 kIPAGothic = 16384;
constexpr SInt16 kIPAMincho = 16386;

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

}  // namespace
