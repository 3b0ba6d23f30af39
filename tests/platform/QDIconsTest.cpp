// Colour icons and one-bit icon families: masks, scaling, alignment, transforms, the family
// member chosen for a rectangle, icon suites, and refusal of what is not an icon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Icons.h"
#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "Resources.h"
#include "TestResources.h"

namespace {

using qdtest::kBlack;
using qdtest::kGrey;
using qdtest::kRed;
using qdtest::kWhite;
using qdtest::R;

constexpr ResType kCicn = SpFourCC("cicn");
constexpr SInt16 kColourIcon = 9072;  // 16 x 16: red square (4, 4)-(12, 12), clear around
constexpr SInt16 kOneBitIcon = 9073;  // 32 x 32: black (8, 8)-(24, 24), white ring to 4/28

class QDIcons : public qdtest::QDPixelsFixture {
 protected:
  void SetUp() override {
    QDPixelsFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Clear(kGrey);
  }
  void TearDown() override {
    sp_testing::ResetResources();
    QDPixelsFixture::TearDown();
  }
  // Row v from column 0 to `right`: 'r' red, '#' black, '.' white, '-' grey, 'o' else.
  std::string RowText(SInt16 v, SInt16 right = 32) const {
    std::string out;
    for (UInt32 p : Row(v, 0, right))
      out += p == kRed ? 'r' : p == kBlack ? '#' : p == kWhite ? '.' : p == kGrey ? '-' : 'o';
    return out;
  }
};

TEST_F(QDIcons, ColourIconIsDrawnThroughItsMaskWhereItsAlignmentPutsIt) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ((**icon).iconPMap.bounds.right, 16);
  EXPECT_EQ(HomeResFile(reinterpret_cast<Handle>(icon)), -1) << "an icon is no resource";
  const std::string none(32, '-');
  const struct {
    bool plotCIcon;  // else PlotCIconHandle with the alignment
    IconAlignmentType align;
    Rect rect;
    SInt16 row;
    std::string pixels;
  } cases[] = {
      {true, 0, R(0, 0, 16, 16), 4, "----rrrrrrrr--------------------"},
      {true, 0, R(0, 0, 16, 16), 11, "----rrrrrrrr--------------------"},
      {true, 0, R(0, 0, 16, 16), 3, none},
      {true, 0, R(0, 0, 16, 16), 12, none},
      {true, 0, R(0, 0, 16, 32), 4, "--------rrrrrrrrrrrrrrrr--------"},  // stretched
      {false, kAlignLeft, R(0, 0, 16, 32), 8, "----rrrrrrrr--------------------"},
      {false, kAlignRight, R(0, 0, 16, 32), 8, "--------------------rrrrrrrr----"},
      {false, kAlignAbsoluteCenter, R(0, 0, 16, 32), 8, "------------rrrrrrrr------------"},
      {false, kAlignNone, R(0, 0, 16, 32), 8, "------------rrrrrrrr------------"},
      {false, kAlignTop, R(0, 0, 32, 16), 4, "----rrrrrrrr--------------------"},
      {false, kAlignTop, R(0, 0, 32, 16), 20, none},
      {false, kAlignBottom, R(0, 0, 32, 16), 20, "----rrrrrrrr--------------------"},
      {false, kAlignBottom, R(0, 0, 32, 16), 4, none},
      {false, kAlignVerticalCenter, R(0, 0, 32, 16), 12, "----rrrrrrrr--------------------"},
      {false, kAlignVerticalCenter, R(0, 0, 32, 16), 11, none},
      {false, kAlignAbsoluteCenter, R(0, 0, 32, 32), 8, "--------rrrrrrrrrrrrrrrr--------"},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    if (c.plotCIcon) {
      PlotCIcon(&c.rect, icon);
    } else {
      EXPECT_EQ(PlotCIconHandle(&c.rect, c.align, kTransformNone, icon), noErr);
    }
    EXPECT_EQ(RowText(c.row), c.pixels) << "alignment " << c.align << " row " << c.row;
  }
  const struct {
    IconTransformType transform;
    UInt32 pixel;  // red over white
  } transforms[] = {
      {kTransformNone, 0xFF0000},     {kTransformSelected, 0x7F0000},
      {kTransformDisabled, 0xFF7F7F}, {kTransformSelectedDisabled, 0xBF7F7F},
      {kTransformLabel3, 0xFF0000},
  };
  const Rect r = R(0, 0, 16, 16);
  for (const auto& c : transforms) {
    Clear(kWhite);
    EXPECT_EQ(PlotCIconHandle(&r, kAlignNone, c.transform, icon), noErr);
    EXPECT_EQ(Px(8, 8), c.pixel) << "transform " << c.transform;
    EXPECT_EQ(Px(1, 1), kWhite);
  }
  DisposeCIcon(icon);
}

// The one-bit family through its mask, the member that suits the rectangle (a small member
// that is black everywhere is added beside the large one), the colour icon before it.
TEST_F(QDIcons, PlotIconIDChoosesTheIconForTheRectangle) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("ics#"), kOneBitIcon, std::vector<UInt8>(64, 0xFF)),
            noErr);
  const struct {
    SInt16 id;
    Rect rect;
    OSErr err;
    SInt16 row;
    std::string pixels;
  } cases[] = {
      {kOneBitIcon, R(0, 0, 32, 32), noErr, 10, "----....################....-----"},
      {kOneBitIcon, R(0, 0, 32, 32), noErr, 2, std::string(33, '-')},
      {kOneBitIcon, R(0, 0, 16, 16), noErr, 0, "################-"},
      {kOneBitIcon, R(0, 0, 20, 20), noErr, 0, "####################-"},
      {kOneBitIcon, R(0, 0, 12, 16), noErr, 0, "############-----"},  // no mini: the small one
      {kColourIcon, R(0, 0, 16, 16), noErr, 8, "----rrrrrrrr-----"},
      {9097, R(0, 0, 16, 16), resNotFound, 8, std::string(17, '-')},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    EXPECT_EQ(PlotIconID(&c.rect, kAlignTopLeft, kTransformNone, c.id), c.err);
    EXPECT_EQ(RowText(c.row, SInt16(c.pixels.size())), c.pixels) << c.id << " " << c.rect.right;
  }
  EXPECT_EQ(PlotIconID(nullptr, kAlignAbsoluteCenter, kTransformNone, kColourIcon), paramErr);
}

TEST_F(QDIcons, SuitesAndHandlesPlotTheirOneBitMemberAndRefuseOthers) {
  IconSuiteRef suite = nullptr, empty = nullptr;
  ASSERT_EQ(GetIconSuite(&suite, kOneBitIcon, kSelectorAllLargeData), noErr);
  const Rect half = R(0, 0, 16, 16), full = R(0, 0, 32, 32);
  EXPECT_EQ(PlotIconSuite(&half, kAlignAbsoluteCenter, kTransformNone, suite), noErr);
  EXPECT_EQ(RowText(4, 17), "--..########..---") << "the large icon shrunk to half";
  DisposeIconSuite(suite, false);
  ASSERT_EQ(NewIconSuite(&empty), noErr);
  EXPECT_EQ(PlotIconSuite(&half, kAlignNone, kTransformNone, empty), noSuchIconErr);
  DisposeIconSuite(empty, true);
  Handle notAnIcon = NewHandleClear(100);
  EXPECT_EQ(PlotIconSuite(&half, kAlignNone, kTransformNone, notAnIcon), paramErr);
  EXPECT_EQ(PlotIconHandle(&full, kAlignNone, kTransformNone, notAnIcon), paramErr);
  DisposeHandle(notAnIcon);
  Clear(kGrey);
  EXPECT_EQ(
      PlotIconHandle(&full, kAlignNone, kTransformNone, GetResource(SpFourCC("ICN#"), kOneBitIcon)),
      noErr);
  EXPECT_EQ(RowText(10, 33), "----....################....-----");
}

TEST_F(QDIcons, WhatIsNotAColourIconIsRefused) {
  Handle good = GetResource(kCicn, kColourIcon);
  ASSERT_NE(good, nullptr);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  ASSERT_EQ(
      sp_testing::AddAppResource(kCicn, 9096, std::vector<UInt8>(p, p + GetHandleSize(good) - 20)),
      noErr);
  EXPECT_EQ(GetCIcon(9096), nullptr) << "damaged";
  EXPECT_EQ(GetCIcon(9095), nullptr) << "missing";
  for (UInt32 n = 1; n <= 2; ++n) {  // the resource is loaded: only the icon allocates now
    sp_testing::FailNthAllocation(n);
    EXPECT_EQ(GetCIcon(kColourIcon), nullptr) << "allocation " << n;
    sp_testing::FailNthAllocation(0);
  }
  // A handle GetCIcon did not make is neither drawn nor disposed of; a disposed icon is not
  // drawn any more.
  Handle other = NewHandleClear(Size(sizeof(CIcon)));
  const Rect r = R(0, 0, 16, 16);
  PlotCIcon(&r, reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(PlotCIconHandle(&r, kAlignNone, kTransformNone, reinterpret_cast<CIconHandle>(other)),
            paramErr);
  DisposeCIcon(reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(GetHandleSize(other), Size(sizeof(CIcon)));
  DisposeHandle(other);
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  DisposeCIcon(icon);
  PlotCIcon(&r, icon);
  EXPECT_TRUE(AllAre(kGrey));
}

}  // namespace
