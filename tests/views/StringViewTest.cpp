// The string view: width fitting with a mark on whole characters, its colours (the hilite
// colour halfway to white, a label built with a colour), margins, and what it redraws.
#include <cstring>

#include "SpStringView.h"
#include "TestFonts.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

// Two-byte kana of the program's text: at size 20 in the fixed-metric font each is 20 pixels
// wide, a one-byte character and the ellipsis (0xFF) 10.
std::string Kana(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += std::string("\x82") + char(0xA0 + 2 * i);
  return s;
}

class StringView : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    sp_testing::UseFixedMetricFont(true);
  }
  void TearDown() override {
    labels_.clear();
    sp_testing::UseFixedMetricFont(false);
    ViewFixture::TearDown();
  }
  cSp_StringView* Label(const Rect& area, const RGBColor* colour = nullptr, short size = 20) {
    labels_.emplace_back(new cSp_StringView(window_, area, colour, size, nullptr, 0));
    return labels_.back().get();
  }
  // Whether some pixel of the window rectangle has the colour.
  bool Shows(const Rect& r, UInt32 rgb) const {
    for (short y = r.top; y < r.bottom; ++y) {
      for (short x = r.left; x < r.right; ++x) {
        if (Px(x, y) == rgb) return true;
      }
    }
    return false;
  }
  std::vector<std::unique_ptr<cSp_StringView>> labels_;
};

TEST_F(StringView, FittingLeavesRoomForTheMarkAndNeverSplitsACharacter) {
  const struct {
    short width;
    int kanaShown;  // -1: the whole text, without an ellipsis
  } cases[] = {
      {100, 3},   // 80 left after the mark: three kana and the ellipsis take 70
      {109, 3},   // 89: a fourth kana would need 90
      {110, 4},   // 90
      {199, 8},   // 179: one pixel too narrow for the whole text
      {200, -1},  // the whole text (200) fits exactly: the mark is not needed
      {205, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    cSp_StringView* label = Label(R(0, 0, 30, c.width));
    ASSERT_EQ(label->SetupModifyStringWidthParam(0, "ab", 0, 0), 1);
    EXPECT_EQ(label->GetTestStringPixWidthOnThisObject("ab"), 20);
    label->EnableModifyStringWidth(0, 0);
    label->SetString(Kana(10).c_str(), 0);
    const std::string expected = c.kanaShown < 0 ? Kana(10) : Kana(c.kanaShown) + "\xFF";
    EXPECT_EQ(std::string(label->GetString()), expected);
  }
}

TEST_F(StringView, AWiderViewShowsTheWholeTextAgainAndSwitchingFittingOffRestoresIt) {
  cSp_StringView* label = Label(R(0, 0, 30, 100));
  label->SetString(Kana(10).c_str(), 0);
  label->EnableModifyStringWidth(1, 0);
  EXPECT_EQ(std::string(label->GetString()), Kana(4) + "\xFF");
  label->ResizeViewArea(R(0, 0, 30, 200), 0, 0);
  EXPECT_EQ(label->ModifyOutputStringWidth(0), 1);
  EXPECT_EQ(std::string(label->GetString()), Kana(10));
  label->ResizeViewArea(R(0, 0, 30, 100), 0, 0);
  label->ModifyOutputStringWidth(0);
  label->DisableModifyStringWidth(0);
  EXPECT_EQ(std::string(label->GetString()), Kana(10));
  // Emptying the text while fitting empties what is shown.
  label->EnableModifyStringWidth(0, 0);
  label->SetString(nullptr, 0);
  EXPECT_EQ(std::string(label->GetString()), "");
}

TEST_F(StringView, MarginsNarrowTheOutputAndLongMarksAreRefused) {
  cSp_StringView* label = Label(R(0, 0, 30, 100));
  label->SetStringLayoutOffset(5, 0, 5, 0, 0);
  EXPECT_EQ(label->GetOutputAreaWidth(), 90);
  EXPECT_EQ(label->GetOutputAreaHeight(), 30);
  const std::string longest(cSp_StringView::kMarkStringMax, 'm');
  EXPECT_EQ(label->SetupModifyStringWidthParam(0, (longest + "m").c_str(), 0, 0), 0);
  EXPECT_TRUE(errors_.Has("cSp_StringView::SetupModifyStringWidthParam"));
  EXPECT_EQ(label->SetupModifyStringWidthParam(0, longest.c_str(), 0, 0), 1);
}

TEST_F(StringView, HiliteDrawsTheTextHalfwayToWhite) {
  const RGBColor red = Colour(kRed);
  cSp_StringView* label = Label(R(0, 0, 40, 200));
  label->SetStringColor(&red, 0);
  RGBColor text, hilite;
  label->GetStringColor(text, hilite);
  // Built without a colour: the hilite colour is halfway from the port's black to white.
  EXPECT_EQ(hilite.red, 0x7FFF);
  EXPECT_EQ(hilite.green, 0x7FFF);
  label->SetString("HHHH", 1);
  EXPECT_TRUE(Shows(R(0, 0, 40, 200), kRed));
  label->EnableStringViewHilite(1);
  EXPECT_FALSE(Shows(R(0, 0, 40, 200), kRed));
  EXPECT_TRUE(Shows(R(0, 0, 40, 200), 0x7F7F7F));
  // A hilite colour of its own replaces it.
  const RGBColor blue = Colour(kBlue);
  label->SetStringColorOnHilite(&blue, 1);
  EXPECT_TRUE(Shows(R(0, 0, 40, 200), kBlue));
}

TEST_F(StringView, ALabelBuiltWithAColourPaintsItsBackgroundAndTextInIt) {
  const RGBColor green = Colour(kGreen);
  cSp_StringView* label = Label(R(10, 10, 50, 210), &green);
  label->SetString("HHHH", 1);
  EXPECT_EQ(Px(11, 11), kGreen);
  EXPECT_FALSE(Shows(R(10, 10, 50, 210), 0x000000)) << "the text is green on green";
  const RGBColor black = Colour(0);
  label->SetStringColor(&black, 1);
  EXPECT_TRUE(Shows(R(10, 10, 50, 210), 0x000000));
  // The shadow's own colour is 50 % grey.
  label->SetupShadowOffset(3, 3, 0);
  label->SetupShadowFlag(1, 1);
  EXPECT_TRUE(Shows(R(10, 10, 50, 210), 0x7F7F7F));
}

TEST_F(StringView, SettingTheTextItShowsDoesNotMarkTheView) {
  cSp_StringView* label = Label(R(0, 0, 30, 100));
  label->SetString("abc", 1);
  EXPECT_EQ(label->IsWaitRedraw(), 0);
  label->SetString("abc", 0);
  EXPECT_EQ(label->IsWaitRedraw(), 0);
  label->SetString("abd", 0);
  EXPECT_EQ(label->IsWaitRedraw(), 1);
}

}  // namespace
}  // namespace view_test
