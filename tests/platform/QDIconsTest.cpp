// Colour icons and one-bit icon families: masks, scaling, alignment, transforms, the family
// member chosen for a rectangle, icon suites, and refusal of what is not an icon.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Icons.h"
#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpTesting.h"
#include "TestResources.h"

namespace {

using qdtest::R;

constexpr ResType kCicn = SpFourCC("cicn");
constexpr ResType kICNs = SpFourCC("ICN#");
constexpr ResType kIcss = SpFourCC("ics#");
constexpr SInt16 kColourIcon = 9072;  // 16 x 16: red square (4, 4)-(12, 12), clear around
constexpr SInt16 kOneBitIcon = 9073;  // 32 x 32: black (8, 8)-(24, 24), white ring to 4/28
constexpr UInt32 kRed = 0xFF0000;
constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;
constexpr UInt32 kGrey = 0x808080;

class QDIcons : public qdtest::QDPixelsFixture {
 protected:
  void SetUp() override {
    QDPixelsFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    sp_testing::FillPort(world_, kGrey);
  }
  void TearDown() override {
    sp_testing::FailNthAllocation(0);
    sp_testing::ResetResources();
    QDPixelsFixture::TearDown();
  }

  // The columns of row v from `left` to `right` - 1 that are red.
  std::vector<SInt16> RedColumns(SInt16 v, SInt16 left = 0, SInt16 right = 40) const {
    std::vector<SInt16> out;
    for (SInt16 h = left; h < right; ++h)
      if (Px(h, v) == kRed) out.push_back(h);
    return out;
  }
  static std::vector<SInt16> Span(SInt16 from, SInt16 to) {
    std::vector<SInt16> out;
    for (SInt16 h = from; h < to; ++h) out.push_back(h);
    return out;
  }
};

TEST_F(QDIcons, ColourIconIsDrawnThroughItsMask) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ((**icon).iconPMap.bounds.right, 16);
  EXPECT_EQ((**icon).iconPMap.bounds.bottom, 16);
  EXPECT_EQ(HomeResFile(reinterpret_cast<Handle>(icon)), -1) << "an icon is no resource";
  const Rect r = R(0, 0, 16, 16);
  PlotCIcon(&r, icon);
  EXPECT_EQ(RedColumns(4), Span(4, 12));
  EXPECT_EQ(RedColumns(11), Span(4, 12));
  EXPECT_EQ(RedColumns(3), std::vector<SInt16>{});
  EXPECT_EQ(RedColumns(12), std::vector<SInt16>{});
  EXPECT_EQ(Px(3, 8), kGrey) << "outside the mask the port stays";
  DisposeCIcon(icon);
}

TEST_F(QDIcons, PlotCIconStretchesToTheRectangle) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  const Rect r = R(0, 0, 16, 32);  // twice as wide
  PlotCIcon(&r, icon);
  EXPECT_EQ(RedColumns(4), Span(8, 24));
  EXPECT_EQ(RedColumns(3), std::vector<SInt16>{});
  DisposeCIcon(icon);
}

TEST_F(QDIcons, AlignmentPlacesTheIconInAWiderOrTallerRectangle) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  struct Case {
    IconAlignmentType align;
    Rect rect;
    SInt16 row;               // a row through the red square
    std::vector<SInt16> red;  // its red columns
  };
  const Case cases[] = {
      {kAlignLeft, R(0, 0, 16, 32), 8, Span(4, 12)},
      {kAlignRight, R(0, 0, 16, 32), 8, Span(20, 28)},
      {kAlignAbsoluteCenter, R(0, 0, 16, 32), 8, Span(12, 20)},
      {kAlignNone, R(0, 0, 16, 32), 8, Span(12, 20)},
      // Tall rectangles: the column of the square is fixed, its rows move.
      {kAlignTop, R(0, 0, 32, 16), 4, Span(4, 12)},
      {kAlignTop, R(0, 0, 32, 16), 20, {}},
      {kAlignBottom, R(0, 0, 32, 16), 20, Span(4, 12)},
      {kAlignBottom, R(0, 0, 32, 16), 4, {}},
      {kAlignVerticalCenter, R(0, 0, 32, 16), 12, Span(4, 12)},
      {kAlignVerticalCenter, R(0, 0, 32, 16), 11, {}},
      // A larger square rectangle: the icon grows to it.
      {kAlignAbsoluteCenter, R(0, 0, 32, 32), 8, Span(8, 24)},
  };
  for (const Case& c : cases) {
    sp_testing::FillPort(world_, kGrey);
    EXPECT_EQ(PlotCIconHandle(&c.rect, c.align, kTransformNone, icon), noErr);
    EXPECT_EQ(RedColumns(c.row), c.red) << "alignment " << c.align << " row " << c.row;
  }
  DisposeCIcon(icon);
}

TEST_F(QDIcons, TransformsDarkenAndDim) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  struct Case {
    IconTransformType transform;
    UInt32 pixel;  // red over white
  };
  const Case cases[] = {
      {kTransformNone, 0xFF0000},     {kTransformSelected, 0x7F0000},
      {kTransformDisabled, 0xFF7F7F}, {kTransformSelectedDisabled, 0xBF7F7F},
      {kTransformLabel3, 0xFF0000},
  };
  const Rect r = R(0, 0, 16, 16);
  for (const Case& c : cases) {
    sp_testing::FillPort(world_, kWhite);
    EXPECT_EQ(PlotCIconHandle(&r, kAlignNone, c.transform, icon), noErr);
    EXPECT_EQ(Px(8, 8), c.pixel) << "transform " << c.transform;
    EXPECT_EQ(Px(1, 1), kWhite);
  }
  DisposeCIcon(icon);
}

TEST_F(QDIcons, PlotIconIDDrawsTheOneBitFamilyThroughItsMask) {
  const Rect r = R(0, 0, 32, 32);
  EXPECT_EQ(PlotIconID(&r, kAlignAbsoluteCenter, kTransformNone, kOneBitIcon), noErr);
  EXPECT_EQ(Px(10, 10), kBlack);
  EXPECT_EQ(Px(23, 23), kBlack);
  EXPECT_EQ(Px(5, 5), kWhite);
  EXPECT_EQ(Px(27, 27), kWhite);
  EXPECT_EQ(Px(2, 2), kGrey) << "outside the mask";
  EXPECT_EQ(Px(28, 16), kGrey);
}

TEST_F(QDIcons, PlotIconIDPrefersTheColourIconAndFailsForAMissingId) {
  const Rect r = R(0, 0, 16, 16);
  EXPECT_EQ(PlotIconID(&r, kAlignAbsoluteCenter, kTransformNone, kColourIcon), noErr);
  EXPECT_EQ(Px(8, 8), kRed);
  sp_testing::FillPort(world_, kGrey);
  EXPECT_EQ(PlotIconID(&r, kAlignAbsoluteCenter, kTransformNone, 9097), resNotFound);
  EXPECT_EQ(PlotIconID(nullptr, kAlignAbsoluteCenter, kTransformNone, kColourIcon), paramErr);
  EXPECT_EQ(AllPixels(world_), std::vector<UInt32>(40 * 40, kGrey));
}

TEST_F(QDIcons, PlotIconIDChoosesTheFamilyMemberForTheRectangle) {
  // A small member that is black everywhere, beside the large one of the same id.
  std::vector<UInt8> small(64, 0xFF);
  ASSERT_EQ(sp_testing::AddAppResource(kIcss, kOneBitIcon, small), noErr);
  struct Case {
    Rect rect;
    bool small;  // the all-black small icon: its top-left pixel is black
  };
  const Case cases[] = {
      {R(0, 0, 16, 16), true},
      {R(0, 0, 32, 32), false},
      {R(0, 0, 20, 20), true},
      {R(0, 0, 12, 16), true},  // no mini member: the next larger one
  };
  for (const Case& c : cases) {
    sp_testing::FillPort(world_, kGrey);
    EXPECT_EQ(PlotIconID(&c.rect, kAlignTopLeft, kTransformNone, kOneBitIcon), noErr);
    EXPECT_EQ(Px(0, 0), c.small ? kBlack : kGrey) << c.rect.right << " x " << c.rect.bottom;
  }
}

TEST_F(QDIcons, IconSuitePlotsItsOneBitMember) {
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(GetIconSuite(&suite, kOneBitIcon, kSelectorAllLargeData), noErr);
  const Rect r = R(0, 0, 16, 16);  // the large icon shrunk to half
  EXPECT_EQ(PlotIconSuite(&r, kAlignAbsoluteCenter, kTransformNone, suite), noErr);
  EXPECT_EQ(Px(4, 4), kBlack);
  EXPECT_EQ(Px(2, 2), kWhite);
  EXPECT_EQ(Px(1, 1), kGrey);
  DisposeIconSuite(suite, false);

  IconSuiteRef empty = nullptr;
  ASSERT_EQ(NewIconSuite(&empty), noErr);
  EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, empty), noSuchIconErr);
  DisposeIconSuite(empty, true);
  Handle notASuite = NewHandleClear(16);
  EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, notASuite), paramErr);
  DisposeHandle(notASuite);
}

TEST_F(QDIcons, PlotIconHandleTakesOnlyOneBitIconSizes) {
  Handle icon = GetResource(kICNs, kOneBitIcon);
  ASSERT_NE(icon, nullptr);
  const Rect r = R(0, 0, 32, 32);
  EXPECT_EQ(PlotIconHandle(&r, kAlignNone, kTransformNone, icon), noErr);
  EXPECT_EQ(Px(10, 10), kBlack);
  EXPECT_EQ(Px(2, 2), kGrey);
  Handle odd = NewHandleClear(100);
  EXPECT_EQ(PlotIconHandle(&r, kAlignNone, kTransformNone, odd), paramErr);
  DisposeHandle(odd);
}

TEST_F(QDIcons, WhatIsNotAColourIconIsRefused) {
  // A damaged 'cicn': no icon.
  std::vector<UInt8> bytes;
  {
    Handle good = GetResource(kCicn, kColourIcon);
    ASSERT_NE(good, nullptr);
    const UInt8* p = reinterpret_cast<const UInt8*>(*good);
    bytes.assign(p, p + GetHandleSize(good) - 20);
  }
  ASSERT_EQ(sp_testing::AddAppResource(kCicn, 9096, bytes), noErr);
  EXPECT_EQ(GetCIcon(9096), nullptr);
  EXPECT_EQ(GetCIcon(9095), nullptr);

  // A handle GetCIcon did not make is neither drawn nor disposed of.
  Handle other = NewHandleClear(Size(sizeof(CIcon)));
  const Rect r = R(0, 0, 16, 16);
  PlotCIcon(&r, reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(PlotCIconHandle(&r, kAlignNone, kTransformNone, reinterpret_cast<CIconHandle>(other)),
            paramErr);
  DisposeCIcon(reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(GetHandleSize(other), Size(sizeof(CIcon)));
  DisposeHandle(other);

  // A disposed icon is not drawn any more.
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  DisposeCIcon(icon);
  PlotCIcon(&r, icon);
  EXPECT_EQ(AllPixels(world_), std::vector<UInt32>(40 * 40, kGrey));
}

TEST_F(QDIcons, ColourIconFailsCleanlyWhenMemoryRunsOut) {
  ASSERT_NE(GetResource(kCicn, kColourIcon), nullptr);  // loaded: only the icon allocates now
  for (UInt32 n = 1; n <= 2; ++n) {
    sp_testing::FailNthAllocation(n);
    EXPECT_EQ(GetCIcon(kColourIcon), nullptr) << "allocation " << n;
    sp_testing::FailNthAllocation(0);
  }
  CIconHandle icon = GetCIcon(kColourIcon);
  EXPECT_NE(icon, nullptr);
  DisposeCIcon(icon);
}

}  // namespace
