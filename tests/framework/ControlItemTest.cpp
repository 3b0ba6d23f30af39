// Control items: what they read from the dialog, values and dimming, geometry in the dialog's
// item list, callbacks with their intervals, exclusive radio choice, the control-hit handler.
#include "ControlItemTestSupport.h"
#include "SpDialogAnalyzor.h"

namespace {

using namespace control_item_test;

typedef ControlItemFixture ControlItemTest;
typedef std::vector<std::string> Lines;

// ---- What an item reads ---------------------------------------------------------------------

TEST_F(ControlItemTest, DeferredItemFindsItsControlByBasePlusOwnNumber) {
  cSp_ControlItem* item = Item(3, 1);
  item->SetupAddResourceItemNo(1);  // as if its DITL had been appended after one item
  EXPECT_EQ(item->GetDialogItemNo(1), 3);
  EXPECT_EQ(item->GetDialogItemNo(0), 4);
  EXPECT_EQ(item->GetMacOSControlHandle(), ControlOf(4));
  // It follows the dialog: a new base is used at once.
  item->SetupAddResourceItemNo(0);
  EXPECT_EQ(item->GetMacOSControlHandle(), ControlOf(3));
}

TEST_F(ControlItemTest, ItemWithoutControlReportsDataErrorAndAnswersZero) {
  cSp_ControlItem* label = Item(5);  // static text: no control
  EXPECT_EQ(label->GetMacOSControlHandle(), nullptr);
  EXPECT_EQ(label->GetCurrentValue(), 0);
  EXPECT_EQ(label->GetMaxValue(), 0);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::GetCurrentValue", 1));
  EXPECT_EQ(errors_.Records().back().message, "Data Error !! ");
  const std::size_t reports = errors_.Count();
  // Comparing is a question, not a failure.
  EXPECT_EQ(label->EqualMacOSControlReference(nullptr), 0);
  EXPECT_EQ(errors_.Count(), reports);
}

// ---- Values and dimming ---------------------------------------------------------------------

TEST_F(ControlItemTest, DimmingTogglesOnceAndForceUndimsWhatOthersDimmed) {
  cSp_ControlItem* button = Item(1);
  ControlRef control = ControlOf(1);
  button->EnableHilite();
  EXPECT_EQ(button->GetHiliteStatusFlag(), 1);
  EXPECT_FALSE(IsControlActive(control));
  EXPECT_EQ(GetControlHilite(control), 255);

  button->DisableHilite(0);
  EXPECT_EQ(button->GetHiliteStatusFlag(), 0);
  EXPECT_TRUE(IsControlActive(control));
  button->EnableHilite();  // a second pass reaches the control again
  EXPECT_FALSE(IsControlActive(control));
  button->DisableHilite(0);
  EXPECT_TRUE(IsControlActive(control));

  // Dimmed behind the item's back: only a forced undim touches it.
  DeactivateControl(control);
  button->DisableHilite(0);
  EXPECT_FALSE(IsControlActive(control));
  button->DisableHilite(1);
  EXPECT_TRUE(IsControlActive(control));
}

// ---- Geometry -------------------------------------------------------------------------------

TEST_F(ControlItemTest, MovePositionMovesControlAndDialogRectangleTogether) {
  cSp_ControlItem* check = Item(2);
  const Rect old = ItemRect(2);
  check->MovePosition(40, 150);
  const Rect expected = {150, 40, SInt16(150 + old.bottom - old.top),
                         SInt16(40 + old.right - old.left)};
  EXPECT_TRUE(SameRect(ItemRect(2), expected)) << RectText(ItemRect(2));
  EXPECT_TRUE(SameRect(Bounds(ControlOf(2)), expected)) << RectText(Bounds(ControlOf(2)));
  Rect current;
  check->GetCurrentRect(&current);
  EXPECT_TRUE(SameRect(current, expected));
}

TEST_F(ControlItemTest, ModifySizeKeepsANegativeDimensionAndTheTopLeft) {
  struct Case {
    const char* why;
    short width, height;
    short expectWidth, expectHeight;
  };
  const Case cases[] = {
      {"width kept", -1, 40, 130, 40},
      {"height kept", 60, -5, 60, 16},
      {"both given", 90, 30, 90, 30},
  };
  // Items 2 to 4 are all 130 x 16.
  short itemNo = 2;
  for (const Case& c : cases) {
    cSp_ControlItem* item = Item(itemNo);
    const Rect old = ItemRect(itemNo);
    item->ModifySize(c.width, c.height);
    const Rect expected = {old.top, old.left, SInt16(old.top + c.expectHeight),
                           SInt16(old.left + c.expectWidth)};
    EXPECT_TRUE(SameRect(ItemRect(itemNo), expected)) << c.why << " " << RectText(ItemRect(itemNo));
    EXPECT_TRUE(SameRect(Bounds(ControlOf(itemNo)), expected)) << c.why;
    Rect current;
    item->GetCurrentRect(&current);
    EXPECT_TRUE(SameRect(current, expected)) << c.why;
    ++itemNo;
  }
}

TEST_F(ControlItemTest, DialogGeometryFunctionsIgnoreItemsWithoutControlAndReportNullDialog) {
  const Rect label = ItemRect(5);
  Sp_MoveControlOnDialog(Dialog(), 5, 0, 0);
  Sp_ResizeControlOnDialog(Dialog(), 5, 10, 10);
  EXPECT_TRUE(SameRect(ItemRect(5), label));
  EXPECT_EQ(errors_.Count(), 0u);
  Sp_MoveControlOnDialog(nullptr, 1, 0, 0);
  Sp_ResizeControlOnDialog(nullptr, 1, 0, 0);
  Sp_SetDialogItemAreaOnDialogDITL(nullptr, 1, label);
  EXPECT_TRUE(errors_.Has("Sp_MoveControlOnDialog", 1));
  EXPECT_TRUE(errors_.Has("Sp_ResizeControlOnDialog", 1));
  EXPECT_TRUE(errors_.Has("Sp_SetDialogItemAreaOnDialogDITL", 1));
  EXPECT_EQ(errors_.Beeps(), 3u);
}

// ---- Callbacks ------------------------------------------------------------------------------

TEST_F(ControlItemTest, IntervalProcedureRunsOnlyAfterAFullIntervalAndRestartsIt) {
  struct Step {
    UInt32 advance;  // ticks before the call
    bool runs;
  };
  // Interval 10 from the press: not at +10, at +11; then again 11 ticks after that run.
  const Step steps[] = {{10, false}, {1, true}, {5, false}, {5, false}, {1, true}, {0, false}};
  for (int which = 0; which < 2; ++which) {
    Log().clear();
    cSp_ControlItem* b = Item(1);
    if (which == 0) {
      b->SetMousePressIntervalProc(LogPlain, Name("tick"), 10);
      b->ExecuteMouseDownOnControl(0, kControlButtonPart);
    } else {
      b->SetButtonDownIntervalProc(LogPlain, Name("tick"), 10);
      b->ExecuteButtonDown(0, kControlButtonPart);
    }
    size_t expected = 0;
    for (const Step& s : steps) {
      sp_testing::AdvanceClockTicks(s.advance);
      if (which == 0) {
        b->ExecuteMousePressIntervalProc(0);
      } else {
        b->ExecuteButtonDownIntervalProc(0);
      }
      if (s.runs) ++expected;
      EXPECT_EQ(Log().size(), expected)
          << (which == 0 ? "press" : "button") << " after +" << s.advance;
    }
  }
}

// ---- Exclusive choice -----------------------------------------------------------------------

TEST_F(ControlItemTest, ExclusiveContainerKeepsExactlyOneRadioChildOn) {
  cSp_ControlItem* group = Item(7);
  group->ApplyContainer(1, 0);
  cSp_ControlItem* a = LooseItem(3);
  cSp_ControlItem* b = LooseItem(4);
  a->SetupRadioItemFlag(1);
  b->SetupRadioItemFlag(1);
  a->SetHitItemProc(LogPlain, Name("a"));
  b->SetHitItemProc(LogPlain, Name("b"));
  group->AppendChildItem(a);
  group->AppendChildItem(b);

  struct Step {
    const char* why;
    short item;  // 0: a point outside both
    SInt16 valueA, valueB;
    cSp_ControlItem* chosen;
  };
  const Step steps[] = {
      {"first choice", 4, 0, 1, b},
      {"the other child", 3, 1, 0, a},
      {"the chosen child again", 3, 1, 0, a},
      {"outside every child", 0, 1, 0, a},
  };
  for (const Step& s : steps) {
    Point where = {5, 5};
    if (s.item != 0) where = Centre(ItemRect(s.item));
    Log().clear();
    EXPECT_EQ(group->ExecHitItem(where), 0);
    EXPECT_EQ(GetControlValue(ControlOf(3)), s.valueA) << s.why;
    EXPECT_EQ(GetControlValue(ControlOf(4)), s.valueB) << s.why;
    EXPECT_EQ(group->GetChosenChildItem(), s.chosen) << s.why;
    // Every child hears of the hit.
    EXPECT_EQ(Log(), (Lines{"a(0)", "b(0)"})) << s.why;
  }
}

// ---- The control-hit handler ----------------------------------------------------------------

TEST_F(ControlItemTest, HitHandlerCompletesTheButtonOperationAndConsumesTheHit) {
  cSp_ControlItem* ok = Item(1, 1);
  ok->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  EXPECT_EQ(ok->DisableCarbonEventHandle(), noErr) << "removing none is silent";
  EXPECT_EQ(errors_.Count(), 0u);
  EXPECT_NE(SendHit(ControlOf(1)), noErr) << "no handler yet";
  EXPECT_TRUE(Log().empty());

  EXPECT_EQ(ok->EnableCarbonEventHandle(), noErr);
  EXPECT_EQ(ok->EnableCarbonEventHandle(), noErr);
  EXPECT_EQ(ok->IsCarbonEventHandleInstalled(), 1);
  EXPECT_EQ(SendHit(ControlOf(1)), noErr);
  EXPECT_EQ(Log(), (Lines{"op(0)"})) << "one handler, however often it was enabled";

  EXPECT_EQ(ok->DisableCarbonEventHandle(), noErr);
  Log().clear();
  EXPECT_NE(SendHit(ControlOf(1)), noErr);
  EXPECT_TRUE(Log().empty());
  // A second pass: enabled again, it hears hits again.
  EXPECT_EQ(ok->EnableCarbonEventHandle(), noErr);
  EXPECT_EQ(SendHit(ControlOf(1)), noErr);
  EXPECT_EQ(Log(), (Lines{"op(0)"}));
}

TEST_F(ControlItemTest, EnablingHandlerOnItemWithoutControlIsReported) {
  cSp_ControlItem* label = Item(5, 1);
  EXPECT_NE(label->EnableCarbonEventHandle(), noErr);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::EnableCarbonEventHandle", 5));
  EXPECT_EQ(label->IsCarbonEventHandleInstalled(), 0);
}

TEST_F(ControlItemTest, CompletedProcedureInstallsHandlerInCarbonEventMode) {
  Sp_CarbonEvent_ModeEnable();
  cSp_ControlItem* ok = Item(1);
  ok->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  ok->SetButtonOperationCompleatedProc(LogPlain, Name("op2"));
  EXPECT_EQ(ok->IsCarbonEventHandleInstalled(), 1);
  EXPECT_EQ(SendHit(ControlOf(1)), noErr);
  EXPECT_EQ(Log(), (Lines{"op2(0)"}));
}

TEST_F(ControlItemTest, DeletedItemNoLongerHearsHits) {
  cSp_ControlItem* ok = new (std::nothrow) cSp_ControlItem(Window(), 1, 0);
  ok->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  ASSERT_EQ(ok->EnableCarbonEventHandle(), noErr);
  delete ok;
  EXPECT_NE(SendHit(ControlOf(1)), noErr);
  EXPECT_TRUE(Log().empty());
}

}  // namespace
