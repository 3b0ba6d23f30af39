// The font menu: one item per installed font, in the font manager's order.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

#include "SpFontManager.h"

namespace {

std::vector<std::string> ManagerFonts() {
  std::vector<std::string> names;
  for (cSp_FontItem* font = Sp_GetFontManager(1)->GetFontItemList(); font != nullptr;
       font = font->GetNextObjectPtr()) {
    if (font->GetFontName()[0] != '\0') names.push_back(font->GetFontName());
  }
  return names;
}

TEST(MenuFontItem, MenuListsEveryFontOfTheManagerInItsOrder) {
  sp_testing::ResetMenus();
  cSpMenu menu(9600, "Font");
  menu.CreateMenuItemAndSetupToMenuMgr(-1, "Size...", 0);
  const UInt32 drawsBefore = sp_testing::ReadMenuBar().drawCount;
  menu.AddFontMenuItem(0);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, drawsBefore) << "no redraw asked";

  const std::vector<std::string> fonts = ManagerFonts();
  ASSERT_FALSE(fonts.empty());
  const sp_testing::MenuModel model = sp_testing::ReadMenu(menu.GetMacOSMenuHandle());
  ASSERT_EQ(model.items.size(), fonts.size() + 1) << "appended after the items there were";
  EXPECT_EQ(model.items[0].text, "Size...");
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    EXPECT_EQ(model.items[i + 1].text, fonts[i]);
    char text[kSpMenuItemNameSize];
    ASSERT_TRUE(menu.GetMenuItemString(SInt32(i + 2), text));
    EXPECT_EQ(std::string(text), fonts[i]) << "the item objects match the menu";
  }
  EXPECT_EQ(menu.GetMenuItemCount(), SInt32(fonts.size() + 1));

  menu.AddFontMenuItem(1);
  EXPECT_EQ(sp_testing::ReadMenuBar().drawCount, drawsBefore + 1);
  EXPECT_EQ(CountMenuItems(menu.GetMacOSMenuHandle()), SInt16(2 * fonts.size() + 1));
  sp_testing::ResetMenus();
}

}  // namespace
