// Control items and change-output groups, on a dialog window made from in-memory resources:
// what items read from the dialog, dimming, geometry in the dialog's item list, callbacks with
// their intervals, exclusive radio choice, the control-hit handler; and panels appended hidden,
// numbered after the dialog's items, shown and hidden as a whole by their control item.
#include <gtest/gtest.h>

#include <deque>

#include "FrameworkTestSupport.h"
#include "SpControlChangeItemGroup.h"
#include "SpDialogAnalyzor.h"

namespace {

constexpr SInt16 kDialogId = 200;

// Dialog 200: seven items (a button, a check box, two radio buttons, a static text, an edit
// text and a progress bar from a 'CNTL'). Panels 201 (three items: check box, edit text,
// button) and 202 (two radio buttons) are appended by the group tests.
inline const char* ResourceSource() {
  return R"(
resource 'DLOG' 200 { bounds 60, 80, 300, 420; procID 5; visible false; items 200; title "Items" }
resource 'DITL' 200 {
  button 200, 250, 220, 320 { text "OK" }
  checkBox 20, 20, 36, 150 { text "Check" }
  radioButton 50, 20, 66, 150 { text "A" }
  radioButton 70, 20, 86, 150 { text "B" }
  staticText 100, 20, 116, 150 { text "Label" }
  editText 120, 20, 136, 150 { text "abc" }
  control 20, 180, 36, 320 { id 200 }
}
resource 'CNTL' 200 { bounds 20, 180, 36, 320; value 0; max 10; min 0; procID progressBarProc; title "" }
resource 'DITL' 201 {
  checkBox 150, 180, 166, 320 { text "Panel one" }
  editText 170, 180, 186, 320 { text "one" }
  button 190, 180, 210, 240 { text "Go" }
}
resource 'DITL' 202 {
  radioButton 150, 180, 166, 320 { text "Two A" }
  radioButton 170, 180, 186, 320 { text "Two B" }
}
)";
}

using framework_test::Log;

// The user data of the logging procedures: a name that lives until the program ends.
inline unsigned long Name(const std::string& name) {
  static std::deque<std::string> names;
  names.push_back(name);
  return reinterpret_cast<unsigned long>(&names.back());
}
inline std::string NameOf(unsigned long userData) {
  return *reinterpret_cast<const std::string*>(userData);
}
inline void LogPlain(short modifiers, unsigned long userData) {
  Log().push_back(NameOf(userData) + "(" + std::to_string(modifiers) + ")");
}
inline void LogPart(short modifiers, unsigned long userData, short part) {
  Log().push_back(NameOf(userData) + "(" + std::to_string(modifiers) + "," + std::to_string(part) +
                  ")");
}

class ControlItemFixture : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(ResourceSource()));
    window_.reset(new cSp_Window(kDialogId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0));
    ASSERT_NE(Dialog(), nullptr);
  }
  void TearDown() override {
    items_.clear();  // before the window: items leave the controls' targets first
    window_.reset();
    FrameworkFixture::TearDown();
  }

  cSp_Window* Window() const { return window_.get(); }
  DialogRef Dialog() const { return window_->GetDialogRef(); }

  // An item kept until the end of the test.
  cSp_ControlItem* Item(short itemNo, unsigned char deferred = 0) {
    cSp_ControlItem* item = new (std::nothrow) cSp_ControlItem(Window(), itemNo, deferred);
    items_.emplace_back(item);
    return item;
  }
  // An item to hand over to a parent (which deletes it).
  cSp_ControlItem* LooseItem(short itemNo) {
    return new (std::nothrow) cSp_ControlItem(Window(), itemNo, 0);
  }

  ControlRef ControlOf(short dialogItemNo) const {
    return framework_test::ItemControl(Dialog(), dialogItemNo);
  }
  Rect ItemRect(short dialogItemNo) const {
    return framework_test::ItemBox(Dialog(), dialogItemNo);
  }
  static Rect Bounds(ControlRef control) {
    Rect rect = {0, 0, 0, 0};
    GetControlBounds(control, &rect);
    return rect;
  }
  static Point Centre(const Rect& r) {
    return framework_test::Pt(SInt16((r.left + r.right) / 2), SInt16((r.top + r.bottom) / 2));
  }

  // The control-hit event as the Control Manager sends it after a click released in a part;
  // the result of sending it.
  static OSStatus SendHit(ControlRef control) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeNone, &event);
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof(control), &control);
    ControlPartCode part = kControlButtonPart;
    SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof(part), &part);
    OSStatus result = SendEventToEventTarget(event, GetControlEventTarget(control));
    ReleaseEvent(event);
    return result;
  }

  std::unique_ptr<cSp_Window> window_;
  std::vector<std::unique_ptr<cSp_ControlItem>> items_;
};

using framework_test::Show;

typedef ControlItemFixture ControlItemTest;
typedef std::vector<std::string> Lines;

// ---- What an item reads ---------------------------------------------------------------------

TEST_F(ControlItemTest, ImmediateItemTakesControlTypeAndRectangleFromTheDialog) {
  cSp_ControlItem* item = Item(2);
  EXPECT_EQ(item->GetMacOSControlHandle(), ControlOf(2));
  EXPECT_EQ(item->GetItemType(), kCheckBoxDialogItem);
  Rect current, resource;
  item->GetCurrentRect(&current);
  item->GetResourceRect(&resource);
  EXPECT_EQ(Show(resource), Show(ItemRect(2)));
  EXPECT_EQ(Show(current), Show(resource));
  EXPECT_EQ(errors_.Count(), 0u);
}

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

TEST_F(ControlItemTest, SetupControlInfoFromResourceReadsItemOfItsDialogNumber) {
  cSp_ControlItem* item = Item(4, 1);
  item->SetupAddResourceItemNo(-2);  // dialog item 2
  item->SetupControlInfoFromResource();
  EXPECT_EQ(item->GetItemType(), kCheckBoxDialogItem);
  Rect current;
  item->GetCurrentRect(&current);
  EXPECT_EQ(Show(current), Show(ItemRect(2)));
}

TEST_F(ControlItemTest, LayoutSnapshotGivesTypeAndRectanglesToItemAndDescendants) {
  cSp_ControlItem* parent = Item(7);
  cSp_ControlItem* child = LooseItem(2);
  cSp_ControlItem* grandchild = LooseItem(3);
  parent->AppendChildItem(child);
  child->AppendChildItem(grandchild);
  const Rect laidOut = ItemRect(3);
  cDialogAnalyzor snapshot(kDialogId);
  // The window's dialog moves on; the snapshot keeps the layout of the resource.
  Sp_MoveControlOnDialog(Dialog(), 3, 60, 90);
  grandchild->SetupControlInfoFromResource();

  parent->SetupControlInfoFromDlgAnalizeObj(&snapshot, 0);
  Rect rect;
  grandchild->GetCurrentRect(&rect);
  EXPECT_EQ(rect.left, 60) << "without recursion the descendants keep what they had";

  parent->SetupControlInfoFromDlgAnalizeObj(&snapshot, 1);
  grandchild->GetCurrentRect(&rect);
  EXPECT_EQ(Show(rect), Show(laidOut));
  grandchild->GetResourceRect(&rect);
  EXPECT_EQ(Show(rect), Show(laidOut));
  EXPECT_EQ(grandchild->GetItemType(), kRadioButtonDialogItem);

  parent->SetupControlInfoFromDlgAnalizeObj(nullptr, 1);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::SetupControlInfoFromDlgAnalizeObj", 1));
}

TEST_F(ControlItemTest, ItemWithoutControlReportsDataErrorAndAnswersZero) {
  cSp_ControlItem* label = Item(5, 1);  // static text: no control
  EXPECT_EQ(label->GetMacOSControlHandle(), nullptr);
  EXPECT_EQ(label->GetCurrentValue(), 0);
  EXPECT_EQ(label->GetMaxValue(), 0);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::GetCurrentValue", 1));
  EXPECT_EQ(errors_.Records().back().message, "Data Error !! ");
  const std::size_t reports = errors_.Count();
  // Comparing is a question, not a failure.
  EXPECT_EQ(label->EqualMacOSControlReference(nullptr), 0);
  EXPECT_EQ(errors_.Count(), reports);
  EXPECT_NE(label->EnableCarbonEventHandle(), noErr);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::EnableCarbonEventHandle", 5));
  EXPECT_EQ(label->IsCarbonEventHandleInstalled(), 0);
}

// ---- Values and dimming ---------------------------------------------------------------------

TEST_F(ControlItemTest, ValuesGoToTheControl) {
  cSp_ControlItem* bar = Item(7);
  bar->SetupMaxValue(50);
  bar->SetupMinValue(5);
  bar->SetupCurrentValue(20);
  EXPECT_EQ(GetControlMaximum(ControlOf(7)), 50);
  EXPECT_EQ(GetControlMinimum(ControlOf(7)), 5);
  EXPECT_EQ(GetControlValue(ControlOf(7)), 20);
  EXPECT_EQ(bar->GetCurrentValue(), 20);
  EXPECT_EQ(bar->GetMinValue(), 5);
  EXPECT_EQ(bar->GetMaxValue(), 50);
}

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

// A negative dimension keeps the old one; the dialog's item list, the control and the item's own
// rectangle move together.
TEST_F(ControlItemTest, MoveAndResizeKeepItemListControlAndItemTogether) {
  struct Case {
    const char* why;
    short itemNo, width, height;  // width < -1000: a move to (height, width + 2000)
    Rect expected;
  } cases[] = {
      {"width kept", 2, -1, 40, {20, 20, 60, 150}},
      {"height kept", 3, 60, -5, {50, 20, 66, 80}},
      {"both given", 4, 90, 30, {70, 20, 100, 110}},
      {"moved, size kept", 1, 40 - 2000, 150, {150, 40, 170, 110}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cSp_ControlItem* item = Item(c.itemNo);
    if (c.width < -1000) {
      item->MovePosition(SInt16(c.width + 2000), c.height);
    } else {
      item->ModifySize(c.width, c.height);
    }
    Rect current;
    item->GetCurrentRect(&current);
    EXPECT_EQ(Show(ItemRect(c.itemNo)), Show(c.expected));
    EXPECT_EQ(Show(Bounds(ControlOf(c.itemNo))), Show(c.expected));
    EXPECT_EQ(Show(current), Show(c.expected));
  }
}

TEST_F(ControlItemTest, MovePositionToWhereItStandsLeavesTheDialogAlone) {
  cSp_ControlItem* check = Item(2);
  const Rect old = ItemRect(2);
  const Rect elsewhere = {1, 2, 3, 4};
  Sp_SetDialogItemAreaOnDialogDITL(Dialog(), 2, elsewhere);
  check->MovePosition(old.left, old.top);
  EXPECT_EQ(Show(ItemRect(2)), Show(elsewhere)) << "the dialog was touched";
}

TEST_F(ControlItemTest, DialogGeometryFunctionsIgnoreItemsWithoutControlAndReportNullDialog) {
  const Rect label = ItemRect(5);
  Sp_MoveControlOnDialog(Dialog(), 5, 0, 0);
  Sp_ResizeControlOnDialog(Dialog(), 5, 10, 10);
  EXPECT_EQ(Show(ItemRect(5)), Show(label));
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

TEST_F(ControlItemTest, EachRunnerCallsItsOwnProcedureWithModifiersAndUserData) {
  cSp_ControlItem* b = Item(1);
  b->SetMouseDownProc(LogPart, Name("down"));
  b->SetMousePressIntervalProc(LogPlain, Name("press"), 0);
  b->SetButtonDownProc(LogPart, Name("bdown"));
  b->SetButtonDownIntervalProc(LogPlain, Name("bint"), 0);
  b->SetButtonUpProc(LogPlain, Name("up"));
  b->SetMouseUpIncompleatedProc(LogPlain, Name("miss"));
  b->SetMouseUpCompleatedProc(LogPlain, Name("done"));
  b->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  b->SetHitItemProc(LogPlain, Name("hit"));
  const short shift = short(shiftKey);
  b->ExecuteMouseDownOnControl(shift, kControlButtonPart);
  b->ExecuteButtonDown(shift, kControlButtonPart);
  sp_testing::AdvanceClockTicks(2);
  b->ExecuteMousePressIntervalProc(shift);
  b->ExecuteButtonDownIntervalProc(shift);
  b->ExecuteButtonUp(shift);
  b->ExecuteMouseUpIncompleatedProc(shift);
  b->ExecuteMouseUpCompleatedProc(shift);
  b->ExecuteButtonOperationCompleatedProc(shift);
  b->ExecHitItem(Centre(ItemRect(1)));
  EXPECT_EQ(Log(), (Lines{"down(512,10)", "bdown(512,10)", "press(512)", "bint(512)", "up(512)",
                          "miss(512)", "done(512)", "op(512)", "hit(0)"}));
}

TEST_F(ControlItemTest, ContainerItemsGetNoMouseOrButtonCallbacks) {
  sp_testing::AdvanceClockTicks(100);  // so that a start never recorded (0) lies far back
  cSp_ControlItem* b = Item(3);
  b->ApplyContainer(0, 0);
  b->SetMouseDownProc(LogPart, Name("down"));
  b->SetButtonDownProc(LogPart, Name("bdown"));
  b->SetButtonUpProc(LogPlain, Name("up"));
  b->SetMouseUpCompleatedProc(LogPlain, Name("done"));
  b->SetMouseUpIncompleatedProc(LogPlain, Name("miss"));
  b->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  b->SetButtonDownIntervalProc(LogPlain, Name("bint"), 20);
  b->ExecuteMouseDownOnControl(0, 2);
  b->ExecuteButtonDown(0, 2);
  b->ExecuteButtonUp(0);
  b->ExecuteMouseUpCompleatedProc(0);
  b->ExecuteMouseUpIncompleatedProc(0);
  b->ExecuteButtonOperationCompleatedProc(0);
  sp_testing::AdvanceClockTicks(30);
  b->ExecuteButtonDownIntervalProc(0);
  EXPECT_TRUE(Log().empty());
}

// Interval 10 from the press: not at +10, at +11; then again 11 ticks after that run.
TEST_F(ControlItemTest, IntervalProcedureRunsOnlyAfterAFullIntervalAndRestartsIt) {
  const std::pair<UInt32, std::size_t> steps[] = {{10, 0}, {1, 1}, {5, 1}, {5, 1}, {1, 2}, {0, 2}};
  for (bool press : {true, false}) {
    SCOPED_TRACE(press ? "press" : "button");
    Log().clear();
    cSp_ControlItem* b = Item(1);
    press ? b->SetMousePressIntervalProc(LogPlain, Name("tick"), 10)
          : b->SetButtonDownIntervalProc(LogPlain, Name("tick"), 10);
    press ? b->ExecuteMouseDownOnControl(0, kControlButtonPart)
          : b->ExecuteButtonDown(0, kControlButtonPart);
    for (const auto& [advance, runs] : steps) {
      sp_testing::AdvanceClockTicks(advance);
      press ? b->ExecuteMousePressIntervalProc(0) : b->ExecuteButtonDownIntervalProc(0);
      EXPECT_EQ(Log().size(), runs) << "after +" << advance;
    }
  }
}

// ---- Exclusive choice -----------------------------------------------------------------------

TEST_F(ControlItemTest, ChildWithoutControlIsSkippedWithAReport) {
  cSp_ControlItem* group = Item(7);
  group->ApplyContainer(1, 0);
  cSp_ControlItem* label = LooseItem(5);
  cSp_ControlItem* radio = LooseItem(3);
  radio->SetupRadioItemFlag(1);
  group->AppendChildItem(label);
  group->AppendChildItem(radio);
  group->ExecHitItem(Centre(ItemRect(3)));
  EXPECT_EQ(group->GetChosenChildItem(), radio);
  EXPECT_EQ(GetControlValue(ControlOf(3)), 1);
  EXPECT_TRUE(errors_.Has("cSp_ControlItem::ExecHitItem", 1));
}

TEST_F(ControlItemTest, SearchByControlFindsChildrenDepthFirst) {
  cSp_ControlItem* top = Item(7);
  cSp_ControlItem* child = LooseItem(2);
  cSp_ControlItem* grandchild = LooseItem(4);
  cSp_ControlItem* second = LooseItem(3);
  top->AppendChildItem(child);
  child->AppendChildItem(grandchild);
  top->AppendChildItem(second);
  EXPECT_EQ(top->SerchTargetMacOSControlRefNumItemFromUnderItemList(ControlOf(4)), grandchild);
  EXPECT_EQ(top->SerchTargetMacOSControlRefNumItemFromUnderItemList(ControlOf(3)), second);
  EXPECT_EQ(top->SerchTargetMacOSControlRefNumItemFromUnderItemList(ControlOf(7)), nullptr)
      << "the item itself is not below itself";
  EXPECT_EQ(grandchild->ParentObject(), child);
  EXPECT_EQ(top->ChildObject(), child);
}

TEST_F(ControlItemTest, ExclusiveContainerKeepsExactlyOneRadioChildOn) {
  cSp_ControlItem* group = Item(7);
  group->ApplyContainer(1, 0);
  cSp_ControlItem* a = LooseItem(3);
  cSp_ControlItem* b = LooseItem(4);
  for (cSp_ControlItem* child : {a, b}) {
    child->SetupRadioItemFlag(1);
    child->SetHitItemProc(LogPlain, Name(child == a ? "a" : "b"));
    group->AppendChildItem(child);
  }

  struct Step {
    const char* why;
    short item;  // 0: a point outside both
    SInt16 valueA, valueB;
    cSp_ControlItem* chosen;
  };
  const Step steps[] = {{"first choice", 4, 0, 1, b}, {"the other child", 3, 1, 0, a},
                        {"the chosen child again", 3, 1, 0, a}, {"outside every child", 0, 1, 0, a}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.why);
    Log().clear();
    EXPECT_EQ(group->ExecHitItem(s.item != 0 ? Centre(ItemRect(s.item)) : Point{5, 5}), 0);
    EXPECT_EQ(GetControlValue(ControlOf(3)) * 10 + GetControlValue(ControlOf(4)),
              s.valueA * 10 + s.valueB);
    EXPECT_EQ(group->GetChosenChildItem(), s.chosen);
    EXPECT_EQ(Log(), (Lines{"a(0)", "b(0)"})) << "every child hears of the hit";
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
  // In the Carbon-event mode setting the procedure installs the handler; the newest is called.
  Sp_CarbonEvent_ModeEnable();
  cSp_ControlItem* check = Item(2);
  check->SetButtonOperationCompleatedProc(LogPlain, Name("c1"));
  check->SetButtonOperationCompleatedProc(LogPlain, Name("c2"));
  Log().clear();
  EXPECT_EQ(SendHit(ControlOf(2)), noErr);
  EXPECT_EQ(Log(), (Lines{"c2(0)"}));
}

TEST_F(ControlItemTest, DeletedItemNoLongerHearsHits) {
  cSp_ControlItem* ok = new (std::nothrow) cSp_ControlItem(Window(), 1, 0);
  ok->SetButtonOperationCompleatedProc(LogPlain, Name("op"));
  ASSERT_EQ(ok->EnableCarbonEventHandle(), noErr);
  delete ok;
  EXPECT_NE(SendHit(ControlOf(1)), noErr);
  EXPECT_TRUE(Log().empty());
}

// ---- Change-output groups ------------------------------------------------------------------

// The dialog has seven items; panel 201 adds three, panel 202 two.
constexpr short kOwnItems = 7;

void LogGroup(cSp_ControlChangeOutputItemGroup* group, unsigned char flag, unsigned long user) {
  Log().push_back(NameOf(user) + std::to_string(group->GetGroupNo()) + "/" + std::to_string(flag));
}

class ControlChangeItemGroupTest : public ControlItemFixture {
 protected:
  // The item whose value chooses the panel: the progress bar (values 0..10).
  cSp_ControlItem* Chooser() {
    if (chooser_ == nullptr) chooser_ = Item(7);
    return chooser_;
  }
  bool Shown(short dialogItemNo) const { return IsControlVisible(ControlOf(dialogItemNo)); }
  bool Active(short dialogItemNo) const { return IsControlActive(ControlOf(dialogItemNo)); }

  cSp_ControlItem* chooser_ = nullptr;
};

TEST_F(ControlChangeItemGroupTest, PanelIsAppendedAfterTheDialogsItemsAndStartsHidden) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 3);
  EXPECT_EQ(one->GetBaseItemNum(), kOwnItems);
  EXPECT_EQ(one->GetItemCount(), 3);
  EXPECT_EQ(one->GetOutputNowFlag(), 0);
  // Coordinates of the resource (overlay), not moved by the append.
  EXPECT_EQ(Show(ItemRect(kOwnItems + 1)), "(150, 180, 166, 320)");
  for (short n : {8, 10}) EXPECT_FALSE(Shown(n) || Active(n)) << n;
  // The second panel is numbered after the first.
  cSp_ControlChangeOutputItemGroup* two = Chooser()->SetupChangeOutputItemDITL(2, 202, 0);
  EXPECT_EQ(two->GetBaseItemNum(), kOwnItems + 3);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 5);
  // Asking again for a group number gives the group there is; nothing more is appended.
  EXPECT_EQ(Chooser()->SetupChangeOutputItemDITL(1, 202, 0), one);
  EXPECT_EQ(Chooser()->GetChangeOutputItemDITLByGroupNo(3, 201, 0, 0), nullptr);
  EXPECT_EQ(Chooser()->IsChangeOutputItemContainer(), 1);
  // A panel whose item list is missing is an empty group.
  EXPECT_EQ(Chooser()->SetupChangeOutputItemDITL(3, 299, 0)->GetItemCount(), 0);
  EXPECT_EQ(CountDITL(Dialog()), kOwnItems + 5);
}

TEST_F(ControlChangeItemGroupTest, ChoosingAPanelHidesTheOldOneFirstAndSetsTheValue) {
  cSp_ControlItem* chooser = Chooser();
  cSp_ControlChangeOutputItemGroup* one = chooser->SetupChangeOutputItemDITL(1, 201, 0);
  cSp_ControlChangeOutputItemGroup* two = chooser->SetupChangeOutputItemDITL(2, 202, 0);
  for (cSp_ControlChangeOutputItemGroup* g : {one, two}) {
    g->SetupChangeToEnableOutputCallback(LogGroup, Name("show"));
    g->SetupChangeToDisableOutputCallback(LogGroup, Name("hide"));
  }

  // Items 8-10 are panel one's (9 is text, no control), 11-12 panel two's: "S" shown and
  // active, "s" shown, "." hidden or no control; then the chooser's value.
  const auto panels = [&] {
    std::string out;
    for (short n = 8; n <= 12; ++n) out += !Shown(n) ? '.' : Active(n) ? 'S' : 's';
    return out + " " + std::to_string(GetControlValue(ControlOf(7)));
  };
  EXPECT_EQ(chooser->EnableTargetOutputItem(1, 0), 1);
  EXPECT_EQ(chooser->GetCurrentChangeOutputGroup(), one);
  EXPECT_EQ(panels(), "S.S.. 1");
  EXPECT_EQ(chooser->EnableTargetOutputItem(2, 0), 1);
  EXPECT_EQ(Log(), (Lines{"show1/0", "hide1/0", "show2/0"}));
  EXPECT_EQ(panels(), "...SS 2");
  EXPECT_EQ(one->GetOutputNowFlag() * 10 + two->GetOutputNowFlag(), 1);

  // The panel shown now, chosen again: stays shown, no callback, the value is set again.
  SetControlValue(ControlOf(7), 5);
  Log().clear();
  EXPECT_EQ(chooser->EnableTargetOutputItem(2, 0), 1);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(panels(), "...SS 2");

  // A group that does not exist is not made.
  EXPECT_EQ(chooser->EnableTargetOutputItem(9, 0), 0);
  EXPECT_EQ(chooser->GetCurrentChangeOutputGroup(), two);
  // Hiding a hidden panel and showing a shown one call nothing.
  one->DisableOutputItem();
  two->EnableOutputItem();
  EXPECT_TRUE(Log().empty());
}

TEST_F(ControlChangeItemGroupTest, PanelItemsHearHitsOnlyWhileShown) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  cSp_ControlItem* go = one->SetupDialogContorlItem(3);
  go->SetButtonOperationCompleatedProc(LogPlain, Name("go"));
  EXPECT_NE(SendHit(ControlOf(10)), noErr);
  EXPECT_EQ(Chooser()->GetChangeOutputItemFromRefNum(10), nullptr) << "no panel shown yet";
  for (int pass = 0; pass < 2; ++pass) {  // shown, hidden, and shown again
    Chooser()->EnableTargetOutputItem(1, 0);
    EXPECT_EQ(go->IsCarbonEventHandleInstalled(), 1);
    EXPECT_EQ(Chooser()->GetChangeOutputItemFromRefNum(10), go);
    EXPECT_EQ(SendHit(ControlOf(10)), noErr);
    one->DisableOutputItem();
    EXPECT_EQ(go->IsCarbonEventHandleInstalled(), 0);
    EXPECT_NE(SendHit(ControlOf(10)), noErr);
  }
  EXPECT_EQ(Log(), (Lines{"go(0)", "go(0)"}));
  // Items made while the panel shows never had a handler: hiding them is silent.
  one->EnableOutputItem();
  one->SetupDialogContorlItem(1);
  one->DisableOutputItem();
  EXPECT_EQ(errors_.Count(), 0u);
}

// A panel item dimmed by the program stays dimmed however often its panel is hidden and shown;
// undimmed, it comes back active with its panel.
TEST_F(ControlChangeItemGroupTest, ADimmedPanelItemStaysDimmedWhenItsPanelShowsAgain) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  cSp_ControlItem* first = one->SetupDialogContorlItem(1);
  cSp_ControlItem* go = one->SetupDialogContorlItem(3);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(go, nullptr);
  Chooser()->EnableTargetOutputItem(1, 0);
  go->EnableHilite();
  // "<item 8> <item 10>": A active, d dimmed, . hidden.
  const auto look = [&] {
    std::string out;
    for (short n : {8, 10}) {
      out += !Shown(n) ? '.' : !Active(n) ? 'd' : 'A';
    }
    return out;
  };
  EXPECT_EQ(look(), "Ad");
  for (int pass = 0; pass < 2; ++pass) {
    one->DisableOutputItem();
    EXPECT_EQ(look(), "..");
    one->EnableOutputItem();
    EXPECT_EQ(look(), "Ad") << pass;
  }
  go->DisableHilite(0);
  one->DisableOutputItem();
  one->EnableOutputItem();
  EXPECT_EQ(look(), "AA");
}

// A hidden panel's field is out of reach: Tab passes it by and typing goes elsewhere; shown
// again, Tab reaches it.
TEST_F(ControlChangeItemGroupTest, HiddenPanelFieldTakesNeitherTheFocusNorTyping) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  constexpr short kOwnField = 6;
  constexpr short kPanelField = kOwnItems + 2;
  // "<focus after Tab> <panel field's text> <whether it can be clicked>" after Tab and a key.
  const auto tabAndType = [&](char ch) {
    EventRecord tab = framework_test::Record(keyDown, framework_test::Pt(0, 0), 0, '\t');
    short itemHit = 0;
    Sp_DialogKeyDownProc(Dialog(), &tab, &itemHit);
    const short focus = GetDialogKeyboardFocusItem(Dialog());
    TEKey(ch, GetDialogTextEditHandle(Dialog()));
    Point centre = {0, 0};
    return std::to_string(focus) + " " + sp_testing::DialogItemText(Dialog(), kPanelField) +
           (sp_testing::DialogItemCentre(Dialog(), kPanelField, &centre) ? " shown" : " hidden");
  };
  EXPECT_EQ(tabAndType('a'), "6 one hidden") << "a new panel starts hidden";
  Chooser()->EnableTargetOutputItem(1, 0);
  EXPECT_EQ(tabAndType('b'), "9 b shown");
  one->DisableOutputItem();
  EXPECT_NE(GetDialogKeyboardFocusItem(Dialog()), kPanelField) << "the focus left with the panel";
  EXPECT_EQ(tabAndType('c'), "6 b hidden");
  one->EnableOutputItem();
  EXPECT_EQ(tabAndType('d'), "9 d shown");
  EXPECT_EQ(sp_testing::DialogItemText(Dialog(), kOwnField), "abcac") << "a and c typed there";
}

TEST_F(ControlChangeItemGroupTest, EditTextIsCutBetweenCharactersAt255Bytes) {
  cSp_ControlChangeOutputItemGroup* one = Chooser()->SetupChangeOutputItemDITL(1, 201, 0);
  char buffer[256];
  ASSERT_EQ(one->GetDialogEditItemText(2, buffer), 1);
  EXPECT_STREQ(buffer, "one");

  struct Case {
    const char* why;
    std::string text, expected;
  } cases[] = {
      // "\x89\xB9" is one two-byte MacJapanese character.
      {"short text as it is", "\x89\xB9\x8A\x79", "\x89\xB9\x8A\x79"},
      {"255 bytes stay", std::string(255, 'a'), std::string(255, 'a')},
      {"256 bytes cut to 255", std::string(256, 'a'), std::string(255, 'a')},
      {"long text cut to 255", std::string(300, 'a'), std::string(255, 'a')},
      {"no half character at the cut", std::string(254, 'b') + "\x89\xB9", std::string(254, 'b')},
  };
  for (const Case& c : cases) {
    one->SetupDialogEditItemText(2, c.text.c_str());
    std::memset(buffer, 0x55, sizeof(buffer));
    ASSERT_EQ(one->GetDialogEditItemText(2, buffer), 1);
    EXPECT_EQ(std::string(buffer), c.expected) << c.why;
  }

  one->SetupDialogEditItemText(2, nullptr);
  EXPECT_EQ(one->GetDialogEditItemText(2, nullptr), 0);
  EXPECT_TRUE(errors_.Has("cSp_ControlChangeOutputItemGroup::SetupDialogEditItemText", 1));
  EXPECT_TRUE(errors_.Has("cSp_ControlChangeOutputItemGroup::GetDialogEditItemText", 1));
}

}  // namespace
