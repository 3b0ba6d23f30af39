// The application's compiled resources, read with the byte layouts their readers use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "Resources.h"
#include "TestBundle.h"
#include "TestResources.h"

namespace {

struct DialogItem {
  int kind = 0;  // without the disabled bit
  bool enabled = true;
  SInt16 top = 0, left = 0, bottom = 0, right = 0;
  std::string text;
  SInt16 resourceID = 0;
};

// An item list read the way the Dialog Manager reads it; empty when the bytes do not hold
// together.
std::vector<DialogItem> ReadItemList(Handle h) {
  std::vector<DialogItem> items;
  sp::ByteReader in(*h, std::size_t(GetHandleSize(h)));
  const int count = in.SBE16() + 1;
  for (int i = 0; i < count && in.Ok(); ++i) {
    in.Skip(4);
    DialogItem item{0, true, in.SBE16(), in.SBE16(), in.SBE16(), in.SBE16(), "", 0};
    const UInt8 kind = in.U8();
    item.kind = kind & 0x7F;
    item.enabled = (kind & 0x80) == 0;
    const UInt8 length = in.U8();
    std::vector<UInt8> data;
    in.Bytes(data, length);
    if (length % 2 == 1) in.Skip(1);
    if (item.kind == 7 || item.kind == 32 || item.kind == 64) {
      if (length == 2) item.resourceID = SInt16(sp::LoadBE16(data.data()));
    } else {
      item.text.assign(data.begin(), data.end());
    }
    items.push_back(item);
  }
  if (!in.Ok() || !in.AtEnd()) items.clear();
  return items;
}

struct DialogTemplate {
  SInt16 top, left, bottom, right;
  SInt16 procID;
  bool visible;
  SInt16 itemsID;
};

DialogTemplate ReadDialog(Handle h) {
  sp::ByteReader in(*h, std::size_t(GetHandleSize(h)));
  // Braced initialisers run in order.
  DialogTemplate d{in.SBE16(), in.SBE16(), in.SBE16(), in.SBE16(), in.SBE16(), in.U8() != 0, 0};
  in.Skip(1 + 2 + 4);
  d.itemsID = in.SBE16();
  unsigned char title[256];
  in.PascalString(title);
  EXPECT_TRUE(in.Ok());
  return d;
}

class AppResources : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr); }
  void TearDown() override { sp_testing::ResetResources(); }
};

constexpr int kButton = 4;
constexpr int kStaticText = 8;

TEST_F(AppResources, SayDialogsHoldTheItemsTheirCodeUses) {
  struct Case {
    SInt16 id;
    std::vector<int> buttons;  // item numbers
    std::vector<int> texts;
  } cases[] = {
      {6130, {1}, {3}},          {6131, {1, 2}, {4}},       {6132, {1, 2}, {4}},
      {6133, {1, 2}, {4}},       {6140, {1, 2, 3}, {5, 6}}, {6141, {1, 2, 3}, {5, 6}},
      {6142, {1, 2, 3}, {5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Handle dlog = GetResource(SpFourCC("DLOG"), c.id);
    ASSERT_NE(dlog, nullptr);
    EXPECT_EQ(HomeResFile(dlog), kSpApplicationResFile);
    const DialogTemplate d = ReadDialog(dlog);
    EXPECT_EQ(d.itemsID, c.id);
    EXPECT_FALSE(d.visible) << "the code shows the dialog once its texts are in";
    const SInt16 width = SInt16(d.right - d.left), height = SInt16(d.bottom - d.top);
    ASSERT_TRUE(width > 200 && height > 80);

    const std::vector<DialogItem> items = ReadItemList(GetResource(SpFourCC("DITL"), d.itemsID));
    ASSERT_FALSE(items.empty()) << "the item list reads to its end";
    for (const DialogItem& item : items) {  // items lie inside the dialog
      EXPECT_TRUE(0 <= item.top && item.top < item.bottom && item.bottom <= height);
      EXPECT_TRUE(0 <= item.left && item.left < item.right && item.right <= width);
    }
    for (int n : c.buttons) {
      ASSERT_LE(std::size_t(n), items.size());
      const DialogItem& b = items[std::size_t(n - 1)];
      EXPECT_EQ(b.kind, kButton) << "item " << n;
      EXPECT_TRUE(b.enabled) << "item " << n;
      EXPECT_GE(b.right - b.left, 60) << "room for a short title";
      for (int m = 1; m < n; ++m) {
        const DialogItem& a = items[std::size_t(m - 1)];
        EXPECT_TRUE(a.kind != kButton || a.right <= b.left || b.right <= a.left ||
                    a.bottom <= b.top || b.bottom <= a.top)
            << "buttons " << m << " and " << n << " overlap";
      }
    }
    for (int n : c.texts) {
      ASSERT_LE(std::size_t(n), items.size());
      EXPECT_EQ(items[std::size_t(n - 1)].kind, kStaticText) << "item " << n;
    }
    // A widened second button grows leftwards and pushes the first one left: the second
    // stands right of the first, on its line.
    if (c.buttons.size() == 2) {
      EXPECT_LE(items[0].right, items[1].left);
      EXPECT_EQ(items[0].top, items[1].top);
    }
  }
}

// The about box reads the program's version from 'vers' 1: BCD major version, final stage.
TEST_F(AppResources, VersionOneIsANumVersion) {
  Handle vers = GetResource(SpFourCC("vers"), 1);
  ASSERT_NE(vers, nullptr);
  ASSERT_GE(GetHandleSize(vers), 6);
  const UInt8* b = reinterpret_cast<const UInt8*>(*vers);
  EXPECT_EQ(b[0], 0x01) << "major version in BCD";
  EXPECT_EQ(b[2], 0x80) << "a final release";
}

TEST_F(AppResources, EveryCompiledResourceHoldsTogether) {
  // Every dialog's item list exists and reads to its end; every menu bar names menus that
  // exist; every string list's strings stay inside it.
  struct Check {
    ResType type;
    bool (*ok)(Handle);
  } checks[] = {
      {SpFourCC("DITL"), [](Handle h) { return !ReadItemList(h).empty(); }},
      {SpFourCC("DLOG"),
       [](Handle h) { return GetResource(SpFourCC("DITL"), ReadDialog(h).itemsID) != nullptr; }},
      {SpFourCC("MBAR"),
       [](Handle h) {
         sp::ByteReader in(*h, std::size_t(GetHandleSize(h)));
         const int count = in.SBE16();
         for (int i = 0; i < count; ++i) {
           const SInt16 menu = in.SBE16();
           if (!in.Ok() || Get1Resource(SpFourCC("MENU"), menu) == nullptr) return false;
         }
         return in.Ok() && in.AtEnd();
       }},
      {SpFourCC("STR#"),
       [](Handle h) {
         sp::ByteReader in(*h, std::size_t(GetHandleSize(h)));
         const int count = in.BE16();
         for (int i = 0; i < count; ++i) in.Skip(in.U8());
         return in.Ok() && in.AtEnd();
       }},
  };
  for (const Check& c : checks) {
    const SInt16 count = Count1Resources(c.type);
    for (SInt16 i = 1; i <= count; ++i) {
      Handle h = Get1IndResource(c.type, i);
      ASSERT_NE(h, nullptr);
      SInt16 id = 0;
      GetResInfo(h, &id, nullptr, nullptr);
      EXPECT_TRUE(c.ok(h)) << "resource " << id;
      UseResFile(kSpApplicationResFile);
    }
  }
}

TEST_F(AppResources, StartOpensTheCompiledFileOfTheMainBundle) {
  const std::string path = sp_testing::CompiledAppResourcesPath();
  sp_testing::SetMainBundleFolder(path.substr(0, path.rfind('/')));
  sp_testing::RestartResources();
  EXPECT_EQ(HomeResFile(GetResource(SpFourCC("DLOG"), 6130)), kSpApplicationResFile);
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);

  sp_testing::SetMainBundleFolder("/nonexistent-bundle-folder");
  sp_testing::RestartResources();
  EXPECT_EQ(GetResource(SpFourCC("DLOG"), 6130), nullptr) << "no bundle: an empty file";
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);
  sp_testing::ResetMainBundleFolder();
}

}  // namespace
