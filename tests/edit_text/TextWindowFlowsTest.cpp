// The text flows of the edit-text test window, driven only through the event loop as the
// program runs: a word dragged by the mouse within a field (one undo puts it back) and into
// the other field, text dropped from another program, and the input method's composition
// shown inline and committed as one undo step.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EditTestWindow.h"
#include "EditTextTestSupport.h"
#include "SpCarbonEventHandlers.h"
#include "SpDragAndDropObject.h"
#include "SpETOOperationRec.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "SpWindowHandlers.h"
#include "TestDrags.h"
#include "TestTextServices.h"

namespace edit_test {
namespace {

class TextWindowFlowsTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    sp_testing::ResetDrags();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    SpTextServiceInitialize();
    sp_testing::PumpFor(2000000);
    window_.reset(new sp_test_support::EditTestWindow(100, 100));
    window_->First()->SetupText("alpha beta", 0);
    window_->Second()->SetupText("gamma", 0);
    sp_testing::PumpPending();
  }
  void TearDown() override {
    sp_testing::SetModifierKeys(0);
    window_.reset();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    EditTextFixture::TearDown();
  }
  // The global point just right of the boundary before `byte` on a field's first line.
  Point In(const cEditTextObject* field, SInt32 byte) const {
    Rect area;
    field->GetDrawingAreaOnWindow(&area);
    return window_->Global(short(area.left + 1 + 6 * byte + 1), short(area.top + 2 + 7));
  }
  // Presses at `from`, moves a pixel (the field starts its drag on its next tracking step),
  // then the drag goes to `to` and is let go there.
  static void Drag(Point from, Point to) {
    Point moved = from;
    moved.h += 1;
    sp_testing::ScheduleInput(50000, [moved] { sp_testing::PostMouseDragged(moved); });
    sp_testing::ScheduleInput(150000, [to] {
      sp_testing::PostMouseDragged(to);
      sp_testing::PostMouseUp(to);
    });
    sp_testing::PostMouseDown(from);
    sp_testing::PumpFor(400000);
  }
  static std::vector<SInt32> Range(const cEditTextObject* f) {
    SInt32 a = 0, b = 0;
    unsigned char af = 0, bf = 0;
    f->GetSelectionInfoStock(a, af, b, bf);
    return {a, b};
  }

  std::unique_ptr<sp_test_support::EditTestWindow> window_;
};

TEST_F(TextWindowFlowsTest, AWordDraggedByTheMouseMovesInItsFieldOrIsCopiedIntoTheOther) {
  struct Case {
    const char* why;
    bool intoSecond;
    SInt32 dropByte;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"to the start of its own field", false, 0, "betaalpha ", "gamma"},
      {"to the end of the other field", true, 5, "alpha beta", "gammabeta"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cEditTextObject* first = window_->First();
    cEditTextObject* second = window_->Second();
    first->SetupText("alpha beta", 0);
    second->SetupText("gamma", 0);
    first->ActivateEditText(1, 1);
    first->SetupSelectionPosition(6, 0, 10, 0, 0, 0);
    Drag(In(first, 8), In(c.intoSecond ? second : first, c.dropByte));
    EXPECT_EQ(Text(first), c.first);
    EXPECT_EQ(Text(second), c.second);
    cEditTextObject* target = c.intoSecond ? second : first;
    EXPECT_EQ(Range(target), (std::vector<SInt32>{c.intoSecond ? 5 : 0, c.intoSecond ? 9 : 4}));
    ASSERT_EQ(target->ExecUnDoOneOperation(1), 1);
    EXPECT_EQ(Text(first), "alpha beta");
    EXPECT_EQ(Text(second), "gamma");
  }
}

TEST_F(TextWindowFlowsTest, TextFromAnotherProgramLandsWhereItIsDropped) {
  cEditTextObject* second = window_->Second();
  EXPECT_EQ(sp_testing::DropText("\x82\xA0!", {In(second, 4), In(second, 2)}), noErr);
  EXPECT_EQ(Text(second), "ga\x82\xA0!mma");
  EXPECT_EQ(Text(window_->First()), "alpha beta");
}

TEST_F(TextWindowFlowsTest, CompositionShowsInlineAndItsCommitIsOneUndoStep) {
  cEditTextObject* first = window_->First();
  first->ActivateEditText(1, 1);
  first->SetupCaretPosition(5, 0);
  sp_testing::PostPreedit("\xE3\x81\x8B", 1);  // "ka", raw
  sp_testing::PumpPending();
  EXPECT_EQ(Text(first), "alpha\x82\xA9 beta");
  sp_testing::PostPreedit("\xE8\x94\x9A\xE3\x81\xAA", 2, 0, 1);  // converted, first clause
  sp_testing::PumpPending();
  ASSERT_NE(first->GetActiveInputAreaClauseList(), nullptr);
  EXPECT_EQ(first->GetActiveInputAreaClauseList()->GetAreaType(), 4);
  sp_testing::PostCommit("\xE8\x94\x9A\xE3\x81\xAA");
  sp_testing::PumpPending();
  EXPECT_EQ(first->IsTextInputInProgress(), 0);
  EXPECT_EQ(first->GetUndoManager()->GetOperationTermCount(), 1);
  ASSERT_EQ(first->ExecUnDoOneOperation(1), 1);
  EXPECT_EQ(Text(first), "alpha beta");
}

}  // namespace
}  // namespace edit_test
