// The font manager: the installed fonts listed once, names to numbers, font-name string lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpFontManager.h"
#include "SpTesting.h"
#include "TestResources.h"

namespace {

constexpr ResType kSTRList = SpFourCC("STR#");
constexpr SInt16 kIPAGothic = 16384;
constexpr SInt16 kIPAMincho = 16386;

class FontManager : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetResources(); }
  void TearDown() override { sp_testing::ResetResources(); }
};

TEST_F(FontManager, NamesAreFoundByteForByteOnly) {
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

TEST_F(FontManager, StringListGivesItsFirstInstalledName) {
  struct Case {
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
  for (const Case& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(kSTRList, id, sp_testing::MakeStringList(c.names)), noErr);
    char out[kSpFontNameSize];
    std::strcpy(out, "unchanged");
    EXPECT_EQ(Sp_GetFontNoFromIndString(id, out), c.number) << id;
    EXPECT_STREQ(out, c.copied != nullptr ? c.copied : "unchanged") << id;
    ++id;
  }
  EXPECT_EQ(Sp_GetFontNoFromIndString(9599, nullptr), 0) << "no such list";
  EXPECT_EQ(Sp_GetFontNoFromIndString(9500, nullptr), kIPAMincho) << "no buffer is needed";
}

TEST_F(FontManager, LinkedItemsGoInNameOrderAndKeepTheTailAndCount) {
  cSp_FontManager manager;
  const SInt32 count = manager.GetFontItemCount();
  cSp_FontItem* first = new (std::nothrow) cSp_FontItem("AAA First", 1);
  cSp_FontItem* last = new (std::nothrow) cSp_FontItem("zzz Last", 2);
  cSp_FontItem* middle = new (std::nothrow) cSp_FontItem("IPAGothic2", 3);
  for (cSp_FontItem* item : {last, first, middle}) manager.LinkFontItemList(item);
  EXPECT_EQ(manager.GetFontItemList(), first);
  EXPECT_EQ(manager.GetFontItemListTail(), last) << "a later append must not lose the item";
  EXPECT_EQ(manager.GetFontItemCount(), count + 3);
  EXPECT_STREQ(middle->GetBeforeObjectPtr()->GetFontName(), "IPAGothic");
}

TEST_F(FontManager, ItemNamesAreCutTo255Bytes) {
  const std::string longName(300, 'x');
  cSp_FontItem item(longName.c_str(), 7);
  char out[kSpFontNameSize];
  EXPECT_EQ(std::strlen(item.GetTargetFontName(out)), 255u);
}

TEST_F(FontManager, NullArgumentsAreRecordedAndChangeNothing) {
  cSp_FontManager manager;
  cSp_FontItem item("Short", 7);
  ErrorLogCapture log;
  EXPECT_EQ(Sp_GetFontNoFromFontName(nullptr), 0);
  EXPECT_EQ(item.GetTargetFontName(nullptr), nullptr);
  item.SetupFontName(nullptr);
  manager.LinkFontItemList(nullptr);
  EXPECT_STREQ(item.GetFontName(), "Short");
  for (const char* method : {"Sp_GetFontNoFromFontName", "cSp_FontItem::GetTargetFontName",
                             "cSp_FontItem::SetupFontName", "cSp_FontManager::LinkFontItemList"}) {
    EXPECT_TRUE(log.Has(method, 1)) << method;
  }
  EXPECT_EQ(log.Count(), 4u);
}

}  // namespace
