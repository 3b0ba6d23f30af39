// The media manager's resources as its code will read them: the menus and their items, every
// dialog's items with the kinds and numbers the code addresses, the string lists it indexes,
// the pictures, icons and cursors at the sizes it draws them, and the error-number texts.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "Fonts.h"
#include "QDPictures.h"
#include "Resources.h"
#include "UiFixture.h"

namespace {

using ui_test::ItemControl;
using ui_test::ItemRect;
using ui_test::PText;
using ui_test::SJ;

class MediaManagerResources : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
};

std::string ItemText(MenuRef menu, SInt16 item) {
  Str255 text;
  GetMenuItemText(menu, item, text);
  return PText(text);
}

bool IsSeparator(MenuRef menu, SInt16 item) {
  return ItemText(menu, item) == "-" && !IsMenuItemEnabled(menu, item);
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.left < inner.right && inner.top < inner.bottom;
}

TEST_F(MediaManagerResources, StringListsHoldEveryEntryTheCodeIndexes) {
  const struct {
    SInt16 id;
    int entries;  // the highest index the code reads
  } lists[] = {{5004, 1}, {5007, 4}, {5008, 2}, {5009, 1}, {5010, 3}, {5011, 2}, {5012, 4},
               {5013, 1}, {5014, 3}, {5015, 3}, {5020, 1}, {5022, 1}, {5023, 8}, {5024, 2},
               {5025, 1}, {5026, 2}, {5027, 2}, {5035, 7}, {5040, 3}, {5100, 1}};
  for (const auto& list : lists) {
    SCOPED_TRACE(list.id);
    Handle h = Get1Resource(SpFourCC("STR#"), list.id);
    ASSERT_NE(h, nullptr);
    EXPECT_GE(int((UInt8(**h) << 8) | UInt8((*h)[1])), list.entries);
    for (int i = 1; i <= list.entries; ++i) {
      Str255 s;
      GetIndString(s, list.id, SInt16(i));
      // The title over the open triangle and icon columns is left blank on purpose.
      if (!(list.id == 5010 && i == 1)) {
        EXPECT_GT(s[0], 0) << "entry " << i;
      }
    }
  }
  // The largest window size is read as decimal numbers; the list's and the calendar's fonts
  // must be installed.
  for (SInt16 i : {1, 2}) {
    Str255 s;
    GetIndString(s, 5008, i);
    const std::string text = PText(s);
    EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
  }
  for (SInt16 id : {5004, 5100}) {
    Str255 font;
    GetIndString(font, id, 1);
    SInt16 family = 0;
    GetFNum(font, &family);
    EXPECT_NE(family, 0) << PText(font) << " is not an installed font";
  }
}

TEST_F(MediaManagerResources, MenusHoldTheItemsTheCodeBindsInTheirPlaces) {
  // Both menu bars hold the application menu, the preferences and their own File menu.
  for (auto [bar, file, other] : {std::tuple{505, 505, 501}, std::tuple{502, 501, 505}}) {
    SCOPED_TRACE(bar);
    Handle mbar = Get1Resource(SpFourCC("MBAR"), SInt16(bar));
    ASSERT_NE(mbar, nullptr);
    std::set<int> menus;
    const int count = (UInt8((*mbar)[0]) << 8) | UInt8((*mbar)[1]);
    for (int i = 0; i < count; ++i) {
      menus.insert(SInt16((UInt8((*mbar)[2 + 2 * i]) << 8) | UInt8((*mbar)[3 + 2 * i])));
    }
    EXPECT_EQ(menus, (std::set<int>{500, 200, file}));
    EXPECT_EQ(menus.count(other), 0u);
  }
  const struct {
    SInt16 id;
    int count;
    std::vector<int> separators;
    std::vector<int> disabledAtStart;
  } cases[] = {
      // Item 2 of the application menu only has to exist.
      {500, 2, {2}, {}},
      {200, 2, {}, {}},
      // Close, (free), eject, each file, one file; the classic layout adds quit.
      {505, 5, {2}, {3, 4, 5}},
      {501, 6, {2}, {3, 4, 5}},
      // The speed popup's items are made by the code.
      {129, 0, {}, {}},
      {133, 5, {}, {}},
      {134, 2, {}, {}},
      {153, 22, {2, 7, 10, 14, 18}, {}},
      {154, 2, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    MenuRef menu = GetMenu(c.id);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(CountMenuItems(menu), c.count);
    for (SInt16 i = 1; i <= c.count; ++i) {
      const bool separator = std::count(c.separators.begin(), c.separators.end(), i) > 0;
      const bool disabled = std::count(c.disabledAtStart.begin(), c.disabledAtStart.end(), i) > 0;
      EXPECT_EQ(IsSeparator(menu, i), separator) << "item " << i;
      if (!separator) {
        EXPECT_EQ(IsMenuItemEnabled(menu, i), !disabled) << "item " << i;
      }
    }
  }
  // The code compares item 5's name with these before renaming it.
  for (SInt16 file : {505, 501}) EXPECT_EQ(ItemText(GetMenu(file), 5), SJ("保存..."));
  // The file types in the order the code maps them: 'AIFF', 'WAVE', 'MooV', 'QTnc', 'AIFC'.
  MenuRef types = GetMenu(133);
  EXPECT_EQ(ItemText(types, 1), "AIFF");
  EXPECT_EQ(ItemText(types, 2), "WAVE");
  EXPECT_EQ(ItemText(types, 3).rfind("QuickTime", 0), 0u);
  EXPECT_EQ(ItemText(types, 4).rfind("QuickTime", 0), 0u);
  EXPECT_EQ(ItemText(types, 5), "AIFF-C");
}

TEST_F(MediaManagerResources, SpeedPopupsOfferNumbersTheSaveSetUpCanShowAndMatch) {
  // Each item is a positive number with one decimal (the save set-up shows speeds so and
  // finds the chosen one by its text), rising; the window's defaults are offered.
  auto values = [](SInt16 id) {
    std::vector<double> out;
    MenuRef menu = GetMenu(id);
    EXPECT_NE(menu, nullptr);
    for (SInt16 i = 1; menu != nullptr && i <= CountMenuItems(menu); ++i) {
      const std::string text = ItemText(menu, i);
      char* end = nullptr;
      const double v = std::strtod(text.c_str(), &end);
      EXPECT_TRUE(*end == '\0' && text.size() >= 3 && text[text.size() - 2] == '.') << text;
      EXPECT_GT(v, 0.0) << text;
      if (!out.empty()) {
        EXPECT_GT(v, out.back()) << text;
      }
      out.push_back(v);
    }
    return out;
  };
  const std::vector<double> start = values(150), end = values(151), interval = values(152);
  auto has = [](const std::vector<double>& v, double x) {
    return std::any_of(v.begin(), v.end(), [x](double y) { return std::fabs(x - y) < 1e-9; });
  };
  EXPECT_TRUE(has(start, 1.0));
  EXPECT_TRUE(has(end, 5.0));
  EXPECT_TRUE(has(interval, 0.2));
  ASSERT_FALSE(start.empty());
  ASSERT_FALSE(end.empty());
  EXPECT_GT(end.back(), start.back()) << "every start speed leaves an end speed above it";
}

TEST_F(MediaManagerResources, DialogItemListsHoldTheKindsTheCodeAddresses) {
  enum Kind { kButton, kRadio, kCheck, kPopup, kBar, kPicture, kPlain };
  struct Item {
    int n;
    Kind kind;
    SInt16 ref = 0;  // a popup's menu, a picture's id
  };
  auto plain = [](std::initializer_list<int> ns) {
    std::vector<Item> out;
    for (int n : ns) out.push_back({n, kPlain});
    return out;
  };
  auto join = [](std::vector<Item> a, const std::vector<Item>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<Item> saveSetUp = join({{1, kButton},
                                            {2, kButton},
                                            {3, kPopup, 133},
                                            {6, kPopup, 129},
                                            {7, kButton},
                                            {8, kPopup, 134}},
                                           plain({9, 10, 11, 12}));
  const std::vector<Item> progress = join(
      {{1, kButton}, {2, kBar}}, plain({3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
  std::vector<Item> rule = join({{1, kButton}, {2, kButton}}, plain({3, 11, 12, 13, 14, 15, 16}));
  for (int n = 4; n <= 10; ++n) rule.push_back({n, kPopup, 153});
  const struct {
    SInt16 id;
    int count;
    std::vector<Item> items;
  } dialogs[] = {
      {130, 12, {{1, kButton}, {2, kPicture, 2002}, {7, kPlain}, {12, kPicture, 2001}}},
      {132, 18,
       join({{1, kButton}}, plain({2, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18}))},
      {133, 12, saveSetUp},
      {134, 16, join(saveSetUp, join(plain({13, 14}), {{15, kButton}, {16, kButton}}))},
      {135, 18, progress},
      {136, 19, join(progress, {{19, kBar}})},
      {150, 8, {{1, kButton}, {2, kButton}, {5, kPopup, 150}, {6, kPopup, 151}, {8, kPopup, 152}}},
      {151, 16, rule},
      {152, 17, join(rule, {{17, kPopup, 154}})},
      {153, 12,
       join({{1, kButton},
             {2, kButton},
             {5, kRadio},
             {6, kRadio},
             {7, kRadio},
             {8, kRadio},
             {9, kCheck}},
            plain({10, 11, 12}))},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.id);
    DialogRef dialog = GetNewDialog(d.id, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDialogWindow(dialog))) << "shown by the code when ready";
    ASSERT_EQ(CountDITL(dialog), d.count);
    Rect port;
    GetWindowPortBounds(GetDialogWindow(dialog), &port);
    for (int n = 1; n <= d.count; ++n) {
      EXPECT_TRUE(Inside(ItemRect(dialog, DialogItemIndex(n)), port)) << "item " << n;
    }
    for (const Item& item : d.items) {
      SCOPED_TRACE(item.n);
      DialogItemType type = 0;
      Handle handle = nullptr;
      Rect box;
      GetDialogItem(dialog, DialogItemIndex(item.n), &type, &handle, &box);
      ControlRef control = ItemControl(dialog, DialogItemIndex(item.n));
      ControlKind kind{};
      if (control != nullptr) GetControlKind(control, &kind);
      switch (item.kind) {
        case kButton:
          EXPECT_EQ(kind.kind, kControlKindPushButton);
          break;
        case kRadio:
          EXPECT_EQ(kind.kind, kControlKindRadioButton);
          break;
        case kCheck:
          EXPECT_EQ(kind.kind, kControlKindCheckBox);
          break;
        case kBar:
          EXPECT_EQ(kind.kind, kControlKindProgressBar);
          break;
        case kPopup:
          ASSERT_EQ(kind.kind, kControlKindPopupButton);
          ASSERT_NE(GetControlPopupMenuHandle(control), nullptr);
          EXPECT_EQ(GetMenuID(GetControlPopupMenuHandle(control)), item.ref);
          break;
        case kPicture:
          EXPECT_EQ(type & ~itemDisable, kPictureDialogItem);
          EXPECT_NE(GetPicture(item.ref), nullptr);
          break;
        case kPlain:
          EXPECT_EQ(control, nullptr) << "drawn by the code, not a control";
          break;
      }
    }
    // A picture of the dialog for a person to look at.
    if (const char* folder = std::getenv("TEST_TMPDIR"); folder != nullptr && *folder != 0) {
      const std::string path =
          std::string(folder) + "/media-manager-dialog-" + std::to_string(d.id) + ".png";
      EXPECT_TRUE(sp_testing::SnapshotDialog(dialog, path));
    }
    DisposeDialog(dialog);
  }
}

TEST_F(MediaManagerResources, LayoutsKeepTheGeometryTheCodeBuildsOn) {
  // Media window: a resizable window with a close box; the list's columns side by side under
  // the titles, the scroll bar beside them; all but the save button inside the panel.
  DialogRef window = GetNewDialog(132, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  WindowAttributes attributes = 0;
  GetWindowAttributes(GetDialogWindow(window), &attributes);
  EXPECT_NE(attributes & kWindowResizableAttribute, 0u);
  EXPECT_NE(attributes & kWindowCloseBoxAttribute, 0u);
  auto at = [window](int n) { return ItemRect(window, DialogItemIndex(n)); };
  const Rect panel = at(2);
  for (int n = 3; n <= 18; ++n) {
    if (n != 8) {
      EXPECT_TRUE(Inside(at(n), panel)) << "item " << n;
    }
  }
  EXPECT_GE(at(8).top, panel.bottom) << "the save button lies below the panel";
  const int columns[] = {7, 10, 11, 12};
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(at(columns[i]).left, at(columns[i - 1]).right);
    EXPECT_EQ(at(columns[i]).top, at(7).top);
    EXPECT_EQ(at(columns[i]).bottom, at(7).bottom);
  }
  EXPECT_GT(at(11).right - at(11).left, 25) << "the name column keeps 25 pixels for numbers";
  EXPECT_EQ(at(13).left, at(12).right);
  EXPECT_TRUE(at(6).left == at(7).left && at(6).right == at(12).right && at(6).bottom <= at(7).top);
  EXPECT_GE(at(16).bottom - at(16).top, 10) << "the small bar's shading needs its height";
  DisposeDialog(window);

  // Save set-up: the window shrinks to item 11's bottom, leaving out only the compression
  // texts 9, 10 and 12.
  for (SInt16 id : {133, 134}) {
    SCOPED_TRACE(id);
    DialogRef dialog = GetNewDialog(id, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    const SInt16 shrunk = ItemRect(dialog, 11).bottom;
    for (int n = 1; n <= CountDITL(dialog); ++n) {
      const Rect r = ItemRect(dialog, DialogItemIndex(n));
      if (n == 9 || n == 10 || n == 12) {
        EXPECT_GE(r.top, shrunk) << "item " << n;
      } else {
        EXPECT_LE(r.bottom, shrunk) << "item " << n;
      }
    }
    DisposeDialog(dialog);
  }
}

// The say dialogs stand in the alert position (a third of the free height above them, below
// the menu bar) and the About box in the middle, centred across the main screen of any size.
TEST_F(MediaManagerResources, DialogsStandWhereTheirPositionCodeSays) {
  const struct {
    SInt16 id;
    int share;  // the free height above the window: 1/share of it
    SInt16 screenWidth, screenHeight;
  } cases[] = {{6130, 3, 1024, 768}, {6131, 3, 800, 600}, {130, 2, 1024, 768}, {130, 2, 800, 600}};
  for (const auto& c : cases) {
    sp_testing::SetScreenSize(c.screenWidth, c.screenHeight);
    DialogRef dialog = GetNewDialog(c.id, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog, nullptr) << c.id;
    Rect structure;
    ASSERT_EQ(GetWindowBounds(GetDialogWindow(dialog), kWindowStructureRgn, &structure), noErr);
    const int width = structure.right - structure.left;
    const int freeHeight = c.screenHeight - GetMBarHeight() - (structure.bottom - structure.top);
    EXPECT_EQ(structure.left, (c.screenWidth - width) / 2) << c.id << " at " << c.screenWidth;
    EXPECT_EQ(structure.top, GetMBarHeight() + freeHeight / c.share)
        << c.id << " at " << c.screenHeight;
    DisposeDialog(dialog);
  }
}

TEST_F(MediaManagerResources, ImagesDecodeAtTheSizesTheyAreDrawnAt) {
  // Pictures fill their About box items without scaling; the CD row's pair is 16 x 16.
  DialogRef about = GetNewDialog(130, nullptr, nullptr);
  ASSERT_NE(about, nullptr);
  auto size = [](const Rect& r) { return std::pair(r.bottom - r.top, r.right - r.left); };
  const std::map<SInt16, std::pair<int, int>> pictures = {{2002, size(ItemRect(about, 2))},
                                                          {2001, size(ItemRect(about, 12))},
                                                          {511, {16, 16}},
                                                          {512, {16, 16}}};
  DisposeDialog(about);
  for (const auto& [id, expected] : pictures) {
    PicHandle pic = GetPicture(id);
    ASSERT_NE(pic, nullptr) << id;
    Rect frame{};
    QDGetPictureBounds(pic, &frame);
    EXPECT_EQ(size(frame), expected) << id;
  }
  const std::map<SInt16, std::pair<int, int>> icons = {
      {129, {32, 32}}, {130, {32, 32}}, {620, {12, 16}}, {621, {12, 16}}, {634, {16, 16}}};
  for (const auto& [id, expected] : icons) {
    CIconHandle icon = GetCIcon(id);
    ASSERT_NE(icon, nullptr) << id;
    EXPECT_EQ(size((**icon).iconPMap.bounds), expected) << id;
    DisposeCIcon(icon);
  }
  // Cursors: the hot spot lies within the cursor's shape (the box round its mask), so that
  // the pointer's place is where the shape shows it.
  auto onShape = [](const Bits16& mask, Point hot) {
    int top = 16, bottom = -1, left = 16, right = -1;
    for (int v = 0; v < 16; ++v) {
      for (int h = 0; h < 16; ++h) {
        if ((mask[v] & (0x8000 >> h)) == 0) continue;
        top = std::min(top, v), bottom = std::max(bottom, v);
        left = std::min(left, h), right = std::max(right, h);
      }
    }
    return hot.v >= top && hot.v <= bottom && hot.h >= left && hot.h <= right;
  };
  for (SInt16 id : {610, 611, 6140}) {
    CCrsrHandle c = GetCCursor(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_TRUE(onShape((**c).crsrMask, (**c).crsrHotSpot)) << id;
    DisposeCCursor(c);
  }
  for (SInt16 id : {6140, 2000, 2001, 6550, 6551}) {
    CursHandle c = GetCursor(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_TRUE(onShape((**c).mask, (**c).hotSpot)) << id;
  }
}

TEST_F(MediaManagerResources, CdPictureShowsTheListThroughItsMaskAroundTheDisc) {
  // As a list cell draws it: picture 511 through the see-through picture 512 onto red.
  const Rect r{0, 0, 16, 16};
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  auto world = [&r](SInt16 pictureID) {
    GWorldPtr w = nullptr;
    EXPECT_EQ(NewGWorld(&w, 32, &r, nullptr, nullptr, 0), noErr);
    if (w == nullptr) return w;
    sp_testing::FillPort(w, 0xFF0000);
    if (pictureID != 0) {
      SetGWorld(w, nullptr);
      DrawPicture(GetPicture(pictureID), &r);
    }
    return w;
  };
  GWorldPtr picture = world(511), mask = world(512), target = world(0);
  SetGWorld(savedPort, savedDevice);
  ASSERT_TRUE(picture != nullptr && mask != nullptr && target != nullptr);
  CopyDeepMask(GetPortBitMapForCopyBits(picture), GetPortBitMapForCopyBits(mask),
               GetPortBitMapForCopyBits(target), &r, &r, &r, srcCopy, nullptr);
  EXPECT_EQ(sp_testing::ReadPixel(target, 0, 0), 0xFF0000u) << "corner: the list shows";
  EXPECT_EQ(sp_testing::ReadPixel(target, 8, 8), 0xFF0000u) << "the hole: the list shows";
  EXPECT_EQ(sp_testing::ReadPixel(target, 8, 3), sp_testing::ReadPixel(picture, 8, 3))
      << "the disc covers the list";
  for (GWorldPtr w : {picture, mask, target}) DisposeGWorld(w);
}

TEST_F(MediaManagerResources, ErrorTextFileHoldsMacJapaneseLinesForTheErrorsASaveEndsWith) {
  std::string path = sp_testing::CompiledAppResourcesPath();
  path = path.substr(0, path.rfind('/')) + "/FileErrorNoData.txt";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find('\n'), std::string::npos) << "lines end in carriage returns only";
  EXPECT_EQ(text.back(), '\r');
  std::set<long> numbers;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line, '\r');) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    char* end = nullptr;
    const long number = std::strtol(line.c_str(), &end, 10);
    EXPECT_EQ(end, line.c_str() + tab) << line;
    EXPECT_TRUE(numbers.insert(number).second) << "only the first line of a number counts";
    const std::string message = line.substr(tab + 1);
    std::string back;
    EXPECT_TRUE(sp::text::UTF8ToMacJapanese(sp::text::MacJapaneseToUTF8(message), back));
    EXPECT_EQ(back, message) << "MacJapanese text";
    EXPECT_LT(line.size(), 512u) << "the reader's line buffer";
  }
  // The errors a save or an add can end with: of files, of memory, of reading movies and
  // converting sound.
  for (long n : {-34L,   -35L,   -36L,   -39L,   -43L,   -44L,   -45L,   -47L,   -48L,
                 -50L,   -54L,   -61L,   -108L,  -120L,  -128L,  -206L,  -207L,  -208L,
                 -223L,  -225L,  -1310L, -2000L, -2006L, -2008L, -2010L, -2015L, -2027L,
                 -2048L, -2126L, -8971L}) {
    EXPECT_EQ(numbers.count(n), 1u) << n;
  }
}

}  // namespace
