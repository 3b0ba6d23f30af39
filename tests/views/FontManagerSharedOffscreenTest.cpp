// The shared offscreen: one GWorld as large as the largest need of its users.
#include <gtest/gtest.h>

#include <vector>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "SpFontManager.h"
#include "TestQuickDraw.h"

namespace {

struct Size2 {
  SInt16 width;
  SInt16 height;
  bool operator==(const Size2& o) const { return width == o.width && height == o.height; }
};

// The size of the shared GWorld's port rectangle; (0, 0) when there is none.
Size2 GWorldSize(const cSp_GeneralGWorldManagerObj& manager) {
  GWorldPtr gworld = manager.GetGeneralGWorld();
  if (gworld == nullptr) return {0, 0};
  Rect r;
  GetPortBounds(gworld, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  return {SInt16(r.right - r.left), SInt16(r.bottom - r.top)};
}

TEST(SharedOffscreen, GrowsToTheLargestNeedAndShrinksAsUsersLeave) {
  cSp_GeneralGWorldManagerObj manager;
  EXPECT_EQ(manager.GetGeneralGWorld(), nullptr) << "no GWorld without a user";
  EXPECT_EQ(manager.GetPixelDepth(), 32);

  const UInt32 first = manager.RequestNewUser(100, 50);
  EXPECT_EQ(GWorldSize(manager), (Size2{100, 50}));
  const UInt32 second = manager.RequestNewUser(80, 120);
  EXPECT_EQ(GWorldSize(manager), (Size2{100, 120})) << "width and height grow separately";
  EXPECT_NE(first, 0u);
  EXPECT_EQ(second, first + 1);

  manager.ReleaseUser(first);
  EXPECT_EQ(GWorldSize(manager), (Size2{80, 120}));
  manager.ReleaseUser(second);
  EXPECT_EQ(manager.GetGeneralGWorld(), nullptr) << "the last user takes the GWorld with it";

  const UInt32 third = manager.RequestNewUser(30, 40);
  EXPECT_EQ(GWorldSize(manager), (Size2{30, 40})) << "a new first user sets its own size";
  EXPECT_EQ(third, second + 1) << "numbers are never given twice";
  manager.ReleaseUser(third);
}

TEST(SharedOffscreen, GWorldIsRemadeOnlyWhenTheLargestSizeChanges) {
  cSp_GeneralGWorldManagerObj manager;
  const UInt32 big = manager.RequestNewUser(60, 60);
  const UInt32 wide = manager.RequestNewUser(60, 10);
  // A mark in the GWorld shows whether it is still the same one.
  sp_testing::FillPort(manager.GetGeneralGWorld(), 0x123456);
  const UInt32 small = manager.RequestNewUser(20, 20);
  EXPECT_EQ(sp_testing::ReadPixel(manager.GetGeneralGWorld(), 0, 0), 0x123456u)
      << "a request within the size keeps the GWorld";
  manager.ReleaseUser(small);
  EXPECT_EQ(sp_testing::ReadPixel(manager.GetGeneralGWorld(), 59, 59), 0x123456u)
      << "a smaller user leaving keeps the GWorld";
  manager.ReleaseUser(wide);
  EXPECT_EQ(sp_testing::ReadPixel(manager.GetGeneralGWorld(), 59, 59), 0x123456u)
      << "the size left is the same: kept";
  const UInt32 tall = manager.RequestNewUser(10, 90);
  EXPECT_EQ(GWorldSize(manager), (Size2{60, 90}));
  manager.ReleaseUser(big);
  EXPECT_EQ(GWorldSize(manager), (Size2{10, 90})) << "the width shrinks, the height stays";
  manager.ReleaseUser(tall);
}

}  // namespace
