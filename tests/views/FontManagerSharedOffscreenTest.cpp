// The shared offscreen: one GWorld as large as the largest need of its users.
#include <gtest/gtest.h>

#include <utility>

#include "QuickDraw.h"
#include "SpFontManager.h"
#include "TestQuickDraw.h"

namespace {

// The size of the shared GWorld, and whether it is the one marked by Mark.
struct Shared {
  cSp_GeneralGWorldManagerObj manager;
  std::pair<int, int> Size() const {
    Rect r{};
    if (manager.GetGeneralGWorld() != nullptr) GetPortBounds(manager.GetGeneralGWorld(), &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  void Mark() { sp_testing::FillPort(manager.GetGeneralGWorld(), 0x123456); }
  bool Marked() const {
    return sp_testing::ReadPixel(manager.GetGeneralGWorld(), 0, 0) == 0x123456;
  }
};

using Size = std::pair<int, int>;

TEST(SharedOffscreen, GrowsToTheLargestNeedAndShrinksAsUsersLeave) {
  Shared s;
  EXPECT_EQ(s.manager.GetGeneralGWorld(), nullptr) << "no GWorld without a user";
  const UInt32 first = s.manager.RequestNewUser(100, 50);
  EXPECT_EQ(s.Size(), Size(100, 50));
  const UInt32 second = s.manager.RequestNewUser(80, 120);
  EXPECT_EQ(s.Size(), Size(100, 120)) << "width and height grow separately";
  EXPECT_NE(first, 0u);
  EXPECT_EQ(second, first + 1);
  s.manager.ReleaseUser(first);
  EXPECT_EQ(s.Size(), Size(80, 120));
  s.manager.ReleaseUser(second);
  EXPECT_EQ(s.manager.GetGeneralGWorld(), nullptr) << "the last user takes the GWorld with it";
  const UInt32 third = s.manager.RequestNewUser(30, 40);
  EXPECT_EQ(s.Size(), Size(30, 40)) << "a new first user sets its own size";
  EXPECT_EQ(third, second + 1) << "numbers are never given twice";
  s.manager.ReleaseUser(third);
}

TEST(SharedOffscreen, GWorldIsRemadeOnlyWhenTheLargestSizeChanges) {
  Shared s;
  const UInt32 big = s.manager.RequestNewUser(60, 60);
  const UInt32 wide = s.manager.RequestNewUser(60, 10);
  s.Mark();
  const UInt32 small = s.manager.RequestNewUser(20, 20);
  EXPECT_TRUE(s.Marked()) << "a request within the size keeps the GWorld";
  s.manager.ReleaseUser(small);
  s.manager.ReleaseUser(wide);
  EXPECT_TRUE(s.Marked()) << "smaller users leaving keep the GWorld";
  const UInt32 tall = s.manager.RequestNewUser(10, 90);
  s.manager.ReleaseUser(big);
  EXPECT_EQ(s.Size(), Size(10, 90)) << "the width shrinks, the height stays";
  s.manager.ReleaseUser(tall);
}

}  // namespace
