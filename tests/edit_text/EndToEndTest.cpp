// Two fields of a window on the Tab ring, driven through the event loop as the program runs:
// keys posted as the display posts them reach the framework's handlers, the Tab key moves
// the keyboard to the second field, typed letters and two-byte key pairs show wrapped in its
// pixels with the caret after them, and the field is the input method's inline target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpCarbonEventHandlers.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "TestTextServices.h"

namespace edit_test {
namespace {

class EndToEndTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    SpTextServiceInitialize();
  }
  void TearDown() override {
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    EditTextFixture::TearDown();
  }
  static void Press(UInt8 charCode) {
    sp_testing::PostKeyDown(charCode, 0);
    sp_testing::PostKeyUp(charCode, 0);
  }
};

TEST_F(EndToEndTest, TheTabKeyMovesToTheSecondFieldWhichShowsWhatIsTypedAndTakesInlineInput) {
  cEditTextObject* first = Field(R(10, 10, 40, 130));
  cEditTextObject* second = Field(R(60, 10, 90, 130));
  first->EnableEditTabControlMove();
  second->EnableEditTabControlMove();
  first->ActivateEditText(1, 1);
  Press('\t');
  sp_testing::PumpPending();
  ASSERT_TRUE(second->IsActiveEditText());
  EXPECT_TRUE(second->CheckTextActiveInputTarget());
  EXPECT_FALSE(sp_testing::InputMethodUsesOwnWindow());

  for (char c : std::string(17, 'w')) Press(UInt8(c));
  for (const char* pair : {kA, kKanji}) {
    Press(UInt8(pair[0]));
    Press(UInt8(pair[1]));
  }
  sp_testing::PumpPending();
  // 117 pixels of the 120 take 17 'w' of 6 pixels and one two-byte character of 12.
  EXPECT_EQ(Lines(second), (std::vector<std::string>{std::string(17, 'w') + kA, kKanji}));
  EXPECT_EQ(Caret(second), std::make_pair(SInt32(2), SInt32(2)));
  EXPECT_EQ(Text(first), "");
  Redraw();
  // The fixed-metric font draws solid boxes: the first 'w' and the wrapped kanji are ink.
  const short left = 10 + 1, secondTop = 60 + 2;
  EXPECT_EQ(Px(left + 2, secondTop + 8), 0x000000u);
  EXPECT_EQ(Px(left + 6, secondTop + 14 + 8), 0x000000u);
  EXPECT_EQ(Px(left + 2, 10 + 2 + 8), 0xFFFFFFu);
  // The caret after the kanji blinks on the second line.
  sp_testing::PumpFor(100000);
  EXPECT_EQ(second->IsCaretVisible(), 1);
  EXPECT_EQ(Px(left + 12, secondTop + 14 + 6), 0x000000u);
}

}  // namespace
}  // namespace edit_test
