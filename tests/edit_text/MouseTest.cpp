// The mouse in a field: what a press decides (only activating, dragging the selected text,
// moving one end of the range, nothing), tracking, the release and its callbacks, and the
// cursor over the text and over the highlight.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpHotSpotArea.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceObject.h"
#include "SpResourceManager.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "TestResources.h"

namespace edit_test {
namespace {

void Note(cEditTextObject*, unsigned long refCon) {
  Log().push_back(reinterpret_cast<const char*>(refCon));
}

class MouseTest : public EditTextFixture {
 protected:
  void TearDown() override {
    Sp_HotspotMouseTraceCancel();
    EditTextFixture::TearDown();
  }
  // A field at (10, 10) of the window: one-byte characters are 6 pixels wide after a left
  // offset of 1, lines 14 high after a top offset of 2.
  cEditTextObject* Noted(const char* text, unsigned char editable = 1,
                         unsigned char selection = 1) {
    fields_.emplace_back(new (std::nothrow) cEditTextObject(window_, R(10, 10, 100, 200), 12, 1,
                                                            editable, selection, nullptr, 0));
    cEditTextObject* f = fields_.back().get();
    f->SetupText(text, 0);
    f->SetupSelectInCB(Note, reinterpret_cast<unsigned long>("in"));
    f->SetupSelectOutCB(Note, reinterpret_cast<unsigned long>("out"));
    f->SetupSelectionModifyCB(Note, reinterpret_cast<unsigned long>("modify"));
    f->SetupCaretModifyCB(Note, reinterpret_cast<unsigned long>("caret"));
    f->SetupMouseDownTextCB(Note, reinterpret_cast<unsigned long>("down"));
    f->SetupMouseUpTextCB(Note, reinterpret_cast<unsigned long>("up"));
    return f;
  }
  // The window point just right of the boundary before `byte` on `line`.
  static Point At(SInt32 line, SInt32 byte) {
    return Pt(short(10 + 1 + 6 * byte + 1), short(10 + 2 + 14 * (line - 1) + 7));
  }
  static std::vector<SInt32> Points(const cEditTextObject* f) {
    SInt32 sl = 0, so = 0, el = 0, eo = 0;
    f->GetSelectionStartPoint(sl, so);
    f->GetSelectionEndPoint(el, eo);
    return {sl, so, el, eo};
  }
  static void Click(cEditTextObject* f, Point down, Point up, short modifiers = 0) {
    f->HotSpotMouseDonwProc(modifiers, down);
    f->HotSpotMouseDownTraceProc(modifiers, up);
    f->HotSpotMouseUpProc(modifiers, up);
  }
};

TEST_F(MouseTest, TheFirstPressOnAnInactiveFieldOnlyActivatesIt) {
  cEditTextObject* f = Noted("abcdef");
  f->SetupDirectActiveFlag(0);
  f->SetupCaretPosition(1, 1, 0);
  ASSERT_EQ(f->IsActiveEditText(), 0);
  Click(f, At(1, 4), At(1, 5));
  EXPECT_EQ(f->IsActiveEditText(), 1);
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 1, 1, 1}));
  EXPECT_EQ(Log(), (std::vector<std::string>{"down", "up"}));
  // Once active, a press places the caret and a drag selects.
  Log().clear();
  Click(f, At(1, 4), At(1, 2));
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 4, 1, 2}));
  EXPECT_EQ(Log(), (std::vector<std::string>{"down", "up", "in"}));
}

TEST_F(MouseTest, PressInsideTheRangeAndReleaseWithoutMovingPlacesTheCaretThere) {
  cEditTextObject* f = Noted("abcdefgh");
  f->ActivateEditText(1, 0);
  f->SetupSelectionPosition(1, 0, 6, 0, 0, 0);
  Log().clear();
  f->HotSpotMouseDonwProc(0, At(1, 3));
  f->HotSpotMouseDownTraceProc(0, At(1, 3));
  EXPECT_EQ(f->ExistSelectionText(), 1);  // nothing changes before the release
  f->HotSpotMouseUpProc(0, At(1, 3));
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 3, 1, 3}));
  EXPECT_EQ(Log(), (std::vector<std::string>{"down", "up", "out", "caret"}));
}

TEST_F(MouseTest, AOnePixelMoveInsideTheRangeStartsADragAndTheReleaseNeverArrives) {
  cEditTextObject* f = Noted("abcdefgh");
  f->ActivateEditText(1, 0);
  f->SetupSelectionPosition(1, 0, 6, 0, 0, 0);
  ASSERT_NE(Sp_MouseDownHotSpot(window_, At(1, 3), 0), 0);
  ASSERT_EQ(mouseDownHotSpot_GlV, static_cast<cSp_HotSpotArea*>(f));
  Point moved = At(1, 3);
  moved.h += 1;
  f->HotSpotMouseDownTraceProc(0, moved);
  // The drag ran and is over: the press is forgotten and the source is gone.
  EXPECT_EQ(mouseDownHotSpot_GlV, nullptr);
  EXPECT_EQ(f->GetDragSendDataObject(), nullptr);
  EXPECT_EQ(f->GetDragSourceFlag(), 0);
  Log().clear();
  Sp_MouseUpHotSpot(window_, moved, 0);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 1, 1, 6}));
  // What the release would have resumed runs again: the hover areas and the caret's blink.
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  f->SetupCaretPosition(1, 2, 0);
  sp_testing::PumpFor(300000);
  EXPECT_EQ(f->IsCaretVisible(), 1);
}

TEST_F(MouseTest, ShiftPressesMoveTheEndNearestThePressOrSelectFromTheCaret) {
  struct Case {
    const char* why;
    SInt32 start, end;  // the range before (absolute), equal for a caret
    SInt32 press;
    std::vector<SInt32> after;
    std::vector<std::string> calls;
  } cases[] = {
      {"beyond the end of a forward range", 2, 4, 6, {1, 2, 1, 6}, {"modify"}},
      {"before the start of a forward range", 2, 4, 0, {1, 0, 1, 4}, {"modify"}},
      {"beyond the start of a backward range", 4, 2, 6, {1, 6, 1, 2}, {"modify"}},
      {"beyond the end of a backward range", 4, 2, 0, {1, 4, 1, 0}, {"modify"}},
      {"from a caret", 3, 3, 6, {1, 3, 1, 6}, {"in"}},
      {"inside a range: the end goes to the release", 1, 6, 3, {1, 1, 1, 3}, {"modify"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = Noted("abcdefgh");
    f->ActivateEditText(1, 0);
    f->SetupSelectionPosition(c.start, 0, c.end, 0, 0, 0);
    Log().clear();
    f->HotSpotMouseDonwProc(shiftKey, At(1, c.press));
    f->HotSpotMouseUpProc(shiftKey, At(1, c.press));
    EXPECT_EQ(Points(f), c.after);
    std::vector<std::string> calls{"down", "up"};
    calls.insert(calls.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(Log(), calls);
  }
}

TEST_F(MouseTest, AReadOnlyFieldCollapsesTheRangeAtThePressAndSelectsByDragging) {
  cEditTextObject* f = Noted("abcdefgh", 0, 1);
  f->ActivateEditText(1, 0);
  f->SetupSelectionPosition(1, 0, 6, 0, 0, 0);
  f->HotSpotMouseDonwProc(0, At(1, 3));
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 3, 1, 3}));
  f->HotSpotMouseDownTraceProc(0, At(1, 7));
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 3, 1, 7}));
  Log().clear();
  f->HotSpotMouseUpProc(0, At(1, 7));
  EXPECT_EQ(Log(), (std::vector<std::string>{"up", "modify"}));
}

TEST_F(MouseTest, WithoutSelectionByMouseNoPressTrackingOrReleaseChangesTheSelection) {
  cEditTextObject* f = Noted("abcdefgh", 1, 0);
  f->ActivateEditText(1, 0);
  f->SetupSelectionPosition(1, 0, 6, 0, 0, 0);
  for (short modifiers : {short(0), short(shiftKey)}) {
    Click(f, At(1, 7), At(1, 2), modifiers);
    EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 1, 1, 6}));
  }
  f->SetupCaretPosition(1, 2, 0);
  Click(f, At(1, 7), At(1, 5), shiftKey);
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 2, 1, 2}));
}

TEST_F(MouseTest, ADoubleClickSelectsNothingAndOnlyReachesTheClient) {
  cEditTextObject* f = Noted("abc def");
  f->SetupDblClickTextCB(Note, reinterpret_cast<unsigned long>("double"));
  f->SetupCaretPosition(1, 2, 0);
  EXPECT_EQ(f->HotSpotDblClickProc(0, At(1, 2)), 1);
  EXPECT_EQ(Points(f), (std::vector<SInt32>{1, 2, 1, 2}));
  EXPECT_EQ(Log(), std::vector<std::string>{"double"});
}

TEST_F(MouseTest, TheCursorIsTheArrowOverTheHighlightAndTheBeamElsewhere) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Sp_InstallViewServices();
  cEditTextObject* f = Noted("abcdefgh");
  cMouseTraceObject* hover = f->GetTextAreaMouseTraceObject();
  ASSERT_NE(hover, nullptr);
  CursHandle arrow = nullptr, beam = nullptr;
  SInt32 ref1 = 0, ref2 = 0;
  ASSERT_NE(Sp_ResM_GetCursorHandle(2000, &arrow, &ref1), 0);
  ASSERT_NE(Sp_ResM_GetCursorHandle(2001, &beam, &ref2), 0);
  ASSERT_NE(arrow, beam);
  short code = 0;
  f->SetupSelectionPosition(1, 0, 6, 0, 0, 0);
  f->MouseTraceVerifyPosition(At(1, 3), 0, 0, code);
  EXPECT_EQ(hover->GetTraceCrsrHandle(), arrow);
  f->MouseTraceVerifyPosition(At(1, 7), 0, 0, code);
  EXPECT_EQ(hover->GetTraceCrsrHandle(), beam);
  // A caret is never the selection.
  f->SetupCaretPosition(1, 3, 0);
  f->MouseTraceVerifyPosition(At(1, 3), 0, 0, code);
  EXPECT_EQ(hover->GetTraceCrsrHandle(), beam);
  Sp_ResM_ReleaseCursor(2000, ref1);
  Sp_ResM_ReleaseCursor(2001, ref2);
  fields_.clear();
  Sp_SetupViewServices(nullptr);
  sp_testing::ResetResources();
}

}  // namespace
}  // namespace edit_test
