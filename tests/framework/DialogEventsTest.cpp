// Dialog event procedures: buttons followed by the framework (released over the item or not),
// keys standing in for clicks with their modifier rules, Tab and the edit commands on the
// focused field, control hits through the Carbon path, dispatch and updates.
#include <gtest/gtest.h>

#include "Clock.h"
#include "WindowGeometryTestSupport.h"

namespace window_geometry_test {
namespace {

constexpr SInt16 kDialogId = 400;
constexpr SInt16 kOneFieldDialogId = 401;
constexpr SInt16 kModelessDialogId = 402;
constexpr SInt16 kModelessItemsDialogId = 403;

// Dialog 400 (content at 80, 60 global): OK (1), Cancel (2), two fields (3, 5) around a label
// (4), a check box (6) and a resource check box (7).
const char kResources[] = R"(
resource 'DLOG' 400 { bounds 60, 80, 260, 420; procID 5; visible true; items 400; title "Events" }
resource 'DITL' 400 {
  button 160, 250, 180, 320 { text "OK" }
  button 160, 160, 180, 230 { text "Cancel" }
  editText 20, 20, 36, 150 { text "first" }
  staticText 50, 20, 66, 150 { text "Label" }
  editText 80, 20, 96, 150 { text "second" }
  checkBox 110, 20, 126, 150 { text "Check" }
  control 20, 180, 36, 320 { id 400 }
}
resource 'CNTL' 400 { bounds 20, 180, 36, 320; value 0; max 1; min 0; procID checkBoxProc; title "Resource" }
resource 'DLOG' 401 { bounds 300, 80, 400, 420; procID 5; visible true; items 401; title "One field" }
resource 'DLOG' 402 { bounds 300, 80, 400, 420; procID 0; visible true; items 401; title "Modeless" }
resource 'DLOG' 403 { bounds 60, 80, 260, 420; procID 0; visible true; items 400; title "Modeless items" }
resource 'DITL' 401 {
  button 60, 250, 80, 320 { text "OK" }
  editText 20, 20, 36, 150 { text "only" }
}
)";

// What the control items' callbacks were told: "<item>.<callback>[(<part>)]@<hilite>", the
// hilite being the item's control's as the callback ran.
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

struct Watched {
  const char* name;
  ControlRef control;
};

void Tell(unsigned long userData, const std::string& what) {
  const Watched* w = reinterpret_cast<const Watched*>(userData);
  Calls().push_back(std::string(w->name) + "." + what + "@" +
                    std::to_string(GetControlHilite(w->control)));
}

using Log = std::vector<std::string>;
using framework_test::Record;

class DialogEvents : public WindowGeometryFixture {
 protected:
  void SetUp() override {
    WindowGeometryFixture::SetUp();
    Calls().clear();
    ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(kResources));
    if (!CarbonEventMode()) {
      if (Sp_Is_CarbonEvent_ModeEnable()) GTEST_SKIP() << "Carbon events already on here";
    } else {
      Sp_SetupWindowEventHandlerForCarbonEvent();
    }
    dialog_ = OpenDialog(CarbonEventMode() ? kDialogId : kModelessItemsDialogId);
    ASSERT_NE(dialog_, nullptr);
    const std::pair<short, const char*> watched[] = {
        {1, "ok"}, {2, "cancel"}, {6, "check"}, {7, "resource"}};
    for (const auto& [itemNo, name] : watched) {
      watched_[itemNo] = {name, Control(itemNo)};
      Watch(itemNo);
    }
  }

  cSp_Window* OpenDialog(SInt16 resourceId) {
    cSp_Window* window =
        Keep(new cSp_Window(resourceId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0));
    if (window->GetDialogRef() == nullptr) return nullptr;
    window->Open(1, nullptr);
    return window;
  }

  DialogRef Dialog() const { return dialog_->GetDialogRef(); }
  ControlRef Control(short itemNo) const { return framework_test::ItemControl(Dialog(), itemNo); }
  Point Centre(short itemNo) const {
    Point global = {0, 0};
    EXPECT_TRUE(sp_testing::DialogItemCentre(Dialog(), itemNo, &global));
    return global;
  }

  // The item's control item, with every callback writing into Calls(). The completion comes
  // from the framework's own calls only: the item's hit handler is taken off again.
  cSp_ControlItem* Watch(short itemNo) {
    cSp_ControlItem* item = dialog_->SetupDialogContorlItem(itemNo, 0);
    const unsigned long data = reinterpret_cast<unsigned long>(&watched_[itemNo]);
    // clang-format off
    item->SetMouseDownProc([](short, unsigned long d, short part) { Tell(d, "mouseDown(" + std::to_string(part) + ")"); }, data);
    item->SetButtonDownProc([](short, unsigned long d, short part) { Tell(d, "buttonDown(" + std::to_string(part) + ")"); }, data);
    item->SetButtonUpProc([](short, unsigned long d) { Tell(d, "buttonUp"); }, data);
    item->SetMouseUpCompleatedProc([](short, unsigned long d) { Tell(d, "upInside"); }, data);
    item->SetMouseUpIncompleatedProc([](short, unsigned long d) { Tell(d, "upOutside"); }, data);
    item->SetButtonOperationCompleatedProc([](short, unsigned long d) { Tell(d, "completed"); }, data);
    // clang-format on
    item->DisableCarbonEventHandle();
    return item;
  }

  unsigned char Key(char ch, UInt32 modifiers, short* itemHit) {
    EventRecord record = Record(keyDown, Pt(0, 0), modifiers, UInt8(ch));
    return Sp_DialogKeyDownProc(Dialog(), &record, itemHit);
  }

  cSp_Window* dialog_ = nullptr;
  Watched watched_[8] = {};
};

// ---- Buttons followed by the framework ------------------------------------------------------

TEST_F(DialogEvents, AButtonHitsOnlyWhenReleasedOverItAndTellsItsItemEachStage) {
  const Point ok = Centre(1);
  const Point away = Pt(SInt16(ok.h - 150), ok.v);
  struct Case {
    const char* why;
    std::vector<MouseStep> steps;
    unsigned char result;
    short itemHit;
    Log calls;
    bool dimmed = false;
  };
  // clang-format off
  const Case cases[] = {
      {"released over it", {{ok}, {ok, 0, true}}, 1, 1, {"ok.mouseDown(10)@10", "ok.buttonDown(10)@10", "ok.buttonUp@0", "ok.upInside@0", "ok.completed@0"}},
      {"dragged off and released there", {{away}, {away, 0, true}}, 0, 0, {"ok.mouseDown(10)@10", "ok.buttonDown(10)@10", "ok.buttonUp@0", "ok.upOutside@0"}},
      {"dragged off and back", {{away}, {ok}, {ok, 0, true}}, 1, 1, {"ok.mouseDown(10)@10", "ok.buttonDown(10)@10", "ok.buttonUp@0", "ok.buttonDown(10)@10", "ok.buttonUp@0", "ok.upInside@0", "ok.completed@0"}},
      {"a dimmed button is neither followed nor told", {{ok, 0, true}}, 0, 0, {}, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Calls().clear();
    if (c.dimmed) dialog_->GetTargetDialogControlItemObjPtr(1)->EnableHilite();
    ScriptMouse(ok, c.steps);
    EventRecord press = Record(mouseDown, ok);
    short itemHit = -1;
    short modifiers = -1;
    EXPECT_EQ(Sp_DialogMouseDownProc(Dialog(), &press, &itemHit, &modifiers), c.result);
    EXPECT_EQ(itemHit, c.itemHit);
    EXPECT_EQ(Calls(), c.calls);
    EXPECT_EQ(GetControlHilite(Control(1)), c.dimmed ? 255 : 0) << "never left looking pressed";
    sp_testing::ResetEvents();
  }
}

TEST_F(DialogEvents, AClickOnAButtonReachesTheDialogBeforeTheWindowAndCompletesOnce) {
  // With the item's own hit handler in place: a second tracking by the toolbox would complete
  // the operation a second time.
  dialog_->GetTargetDialogControlItemObjPtr(1)->EnableCarbonEventHandle();
  ScriptMouse(Centre(1), {{Centre(1), 0, true}});
  sp_testing::PumpPending();
  EXPECT_EQ(Calls(), (Log{"ok.mouseDown(10)@10", "ok.buttonDown(10)@10", "ok.buttonUp@0",
                          "ok.upInside@0", "ok.completed@0"}));
  for (const std::string& entry : window_geometry_test::Log()) {
    EXPECT_NE(entry.rfind("down@", 0), 0u) << "the window's areas never saw the press";
  }
}

// A click on a button of a dialog lying behind another window, or on its title strip, only
// brings the dialog forward; the toolbox's front window and the framework's list agree after.
TEST_F(DialogEvents, AClickOnADialogBehindOnlyBringsItForwardInBothOrders) {
  dialog_->Close();
  dialog_ = OpenDialog(kModelessDialogId);  // content (80, 300)-(420, 400)
  ASSERT_NE(dialog_, nullptr);
  watched_[1] = {"ok", Control(1)};
  Watch(1)->EnableCarbonEventHandle();
  WindowRef dialogWindow = GetDialogWindow(Dialog());
  struct Case {
    Point at;
    std::vector<Point> path;
    const char* why;
  };
  const Case cases[] = {
      {Centre(1), {}, "the OK button"},
      {sp_testing::WindowPartPoint(dialogWindow, inDrag), {Pt(150, 285)}, "the title strip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Calls().clear();
    cSp_Window* front = AddWindow(R(500, 100, 700, 250));
    ASSERT_EQ(FrontWindow(), front->GetWindowRef());
    sp_testing::PostClick(c.at, c.path);
    sp_testing::PumpPending();
    EXPECT_EQ(Calls(), Log{}) << "the button is not pressed";
    EXPECT_EQ(FrontWindow(), dialogWindow);
    ASSERT_NE(WindowListHead_GlV, nullptr);
    EXPECT_EQ(WindowListHead_GlV->GetWindowRef(), FrontWindow());
  }
}

// ---- Keys standing in for clicks ------------------------------------------------------------

TEST_F(DialogEvents, KeysPressTheirUndimmedButtonWithADoubleFlashAndNothingElse) {
  struct Case {
    const char* why;
    short dim;  // item dimmed first (0: none)
    unsigned char withModifiers;
    char ch;
    UInt32 modifiers;
    short itemHit;  // 0: no button pressed
  } cases[] = {
      {"Return", 0, 1, 0x0D, 0, 1}, {"Enter", 0, 1, 0x03, 0, 1}, {"Escape", 0, 1, 0x1B, 0, 2},
      {"Command-period", 0, 1, '.', cmdKey, 2},
      {"Shift-Return: modifiers allowed, none excepted", 0, 1, 0x0D, shiftKey, 1},
      {"Option-Escape", 0, 1, 0x1B, optionKey, 2},
      {"Return on a dimmed OK", 1, 1, 0x0D, 0, 0},
      {"Escape on a dimmed Cancel", 2, 1, 0x1B, 0, 0},
      {"Command-period on a dimmed Cancel", 2, 1, '.', cmdKey, 0},
      {"Shift-Return when Return does not work with modifiers", 0, 0, 0x0D, shiftKey, 0},
      {"Command-Return is no Return", 0, 1, 0x0D, cmdKey, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Calls().clear();
    cSp_ControlItem* dimmed = dialog_->GetTargetDialogControlItemObjPtr(c.dim);
    if (dimmed != nullptr) dimmed->EnableHilite();
    dialog_->SetupReturnKeyConnectToButtonDownWithModifiersFlag(c.withModifiers);
    const short drawn = c.itemHit != 0 ? c.itemHit : 1;
    const UInt32 drawsBefore = sp_testing::ReadControl(Control(drawn)).drawCount;
    const UInt32 ticksBefore = TickCount();
    short itemHit = -1;
    EXPECT_EQ(Key(c.ch, c.modifiers, &itemHit), c.itemHit != 0 ? 1 : 0);
    EXPECT_EQ(itemHit, c.itemHit);
    // Pressed, up, pressed, up: four drawings over three waits of ten ticks; else no flash.
    const std::string name = c.itemHit == 1 ? "ok" : "cancel";
    const Log pressed = {name + ".buttonDown(0)@0", name + ".buttonUp@0", name + ".completed@0"};
    EXPECT_EQ(Calls(), c.itemHit == 0 ? Log() : pressed);
    EXPECT_EQ(TickCount() - ticksBefore, c.itemHit != 0 ? 30u : 0u);
    EXPECT_EQ(sp_testing::ReadControl(Control(drawn)).drawCount - drawsBefore,
              c.itemHit != 0 ? 4u : 0u);
    if (dimmed != nullptr) dimmed->DisableHilite(0);
  }
}

// ---- The focused field ----------------------------------------------------------------------

TEST_F(DialogEvents, AClickInAFieldFocusesItAndPlacesTheInsertionPointWhereClicked) {
  ASSERT_EQ(GetDialogKeyboardFocusItem(Dialog()), 3);
  // A click at a field's left edge puts the insertion point before its first character.
  for (short itemNo : {5, 3}) {
    SCOPED_TRACE(itemNo);
    const Rect box = framework_test::ItemBox(Dialog(), itemNo);
    Point where = Pt(SInt16(box.left + 2), SInt16((box.top + box.bottom) / 2));
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetDialogPort(Dialog()));
    LocalToGlobal(&where);
    SetPort(saved);
    EventRecord press = Record(mouseDown, where);
    short itemHit = 0;
    EXPECT_EQ(Sp_DialogMouseDownProc(Dialog(), &press, &itemHit, nullptr), 1);
    EXPECT_EQ(itemHit, itemNo);
    EXPECT_EQ(GetDialogKeyboardFocusItem(Dialog()), itemNo);
    const sp_testing::TextSelection selection = sp_testing::DialogSelection(Dialog());
    EXPECT_EQ(selection.start, 0);
    EXPECT_EQ(selection.end, 0);
  }
}

TEST_F(DialogEvents, TabCyclesThroughTheFieldsAndStopsWhenThereIsNoOther) {
  short itemHit = 0;
  EXPECT_EQ(Key(0x09, 0, &itemHit), 1);
  EXPECT_EQ(itemHit * 10 + GetDialogKeyboardFocusItem(Dialog()), 55);
  EXPECT_EQ(sp_testing::DialogSelection(Dialog()).end, 6) << "the whole text selected";
  EXPECT_EQ(Key(0x09, 0, &itemHit), 1);
  EXPECT_EQ(itemHit, 3) << "after the last field the first";

  DialogRef one = OpenDialog(kOneFieldDialogId)->GetDialogRef();
  EventRecord tab = Record(keyDown, Pt(0, 0), 0, 0x09);
  EXPECT_EQ(Sp_DialogKeyDownProc(one, &tab, &itemHit), 0);
  EXPECT_EQ(GetDialogKeyboardFocusItem(one), 2);

  // Without a focused field there is nothing to cycle from.
  SetDialogKeyboardFocusItem(Dialog(), -1);
  EXPECT_EQ(Key(0x09, 0, &itemHit), 0);
}

TEST_F(DialogEvents, EditCommandsActOnTheFocusedField) {
  sp_testing::SetClipboardText("");
  short itemHit = 0;
  EXPECT_EQ(Key('A', cmdKey, &itemHit), 1);
  EXPECT_EQ(itemHit, 3);
  const sp_testing::TextSelection all = sp_testing::DialogSelection(Dialog());
  EXPECT_EQ(all.end - all.start, 5);
  EXPECT_EQ(Key('c', cmdKey, &itemHit), 1);
  EXPECT_EQ(sp_testing::ClipboardText(), "first");
  EXPECT_EQ(Key('x', cmdKey, &itemHit), 1);
  EXPECT_EQ(sp_testing::DialogItemText(Dialog(), 3), "");
  EXPECT_EQ(Key('V', cmdKey, &itemHit), 1);
  EXPECT_EQ(Key('v', cmdKey, &itemHit), 1);
  EXPECT_EQ(sp_testing::DialogItemText(Dialog(), 3), "firstfirst");
  EXPECT_EQ(Key('q', cmdKey, &itemHit), 0) << "no command of a field";
  EXPECT_EQ(Key('z', 0, &itemHit), 0) << "plain keys are left to the standard handling";
  EXPECT_EQ(sp_testing::DialogItemText(Dialog(), 5), "second") << "the other field untouched";
}

// ---- Control hits through the Carbon path ---------------------------------------------------

OSStatus SendHit(ControlRef control, Point global, EventTargetRef target) {
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeNone, &event);
  const ControlPartCode part = kControlCheckBoxPart;
  const UInt32 modifiers = shiftKey;
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof global, &global);
  const OSStatus result = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return result;
}

TEST_F(DialogEvents, AHitOnAButtonLikeItemCompletesItOnceWhoeverAnswersIt) {
  ControlRef check = Control(6);
  // No handler of the item's own: the application's control handler answers it.
  EXPECT_EQ(SendHit(check, Centre(6), GetControlEventTarget(check)), noErr);
  EXPECT_EQ(Calls(), (Log{"check.buttonUp@0", "check.upInside@0", "check.completed@0"}));
  // The item's own handler takes the hit first, and nobody completes it again.
  Calls().clear();
  dialog_->GetTargetDialogControlItemObjPtr(6)->EnableCarbonEventHandle();
  EXPECT_EQ(SendHit(check, Centre(6), GetControlEventTarget(check)), noErr);
  EXPECT_EQ(Calls(), (Log{"check.completed@0"}));
  // Released off the item: not the item's hit.
  Calls().clear();
  dialog_->GetTargetDialogControlItemObjPtr(6)->DisableCarbonEventHandle();
  EXPECT_EQ(SendHit(check, Pt(700, 500), GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(DialogEvents, AResourceControlHearsOfItsPressOnceThoughTheToolboxTracksIt) {
  ControlRef resource = Control(7);
  ASSERT_TRUE(sp_testing::ClickControl(resource));
  EXPECT_EQ(Calls(), (Log{"resource.mouseDown(11)@0", "resource.buttonDown(11)@0"}));
  // A hit of its own (not after a press the dialog saw) is told as the press.
  Calls().clear();
  EXPECT_EQ(SendHit(resource, Centre(7), GetApplicationEventTarget()), eventNotHandledErr);
  EXPECT_EQ(Calls(), (Log{"resource.mouseDown(11)@0", "resource.buttonDown(11)@0"}));
}

TEST_F(DialogEvents, AnotherControlCompletesOnlyWhenTrackingChangedItsValue) {
  // Tracked by the dialog itself: no Carbon handler hears the hit.
  sp_testing::ResetEvents();
  // The resource check box pressed on its label part is no button part: the dialog tracks it
  // with its own action, here one that may turn it on.
  static bool turnOn = false;
  SetControlAction(Control(7), [](ControlRef control, ControlPartCode) {
    if (turnOn) SetControlValue(control, 1);
  });
  for (bool changes : {false, true}) {
    SCOPED_TRACE(changes ? "value changed" : "value kept");
    Calls().clear();
    turnOn = changes;
    SetControlValue(Control(7), 0);
    sp_testing::PostMouseDown(Centre(7));
    sp_testing::PostMouseUp(Centre(7));
    Point local = Centre(7);
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetDialogPort(Dialog()));
    GlobalToLocal(&local);
    SetPort(saved);
    EXPECT_EQ(dialog_->TrackControlOnDialog(kControlCheckBoxPart, local, 7, 7, Control(7)), 1);
    EXPECT_EQ(Calls(), changes ? Log{"resource.completed@0"} : Log{});
    sp_testing::ResetEvents();
  }
  EXPECT_EQ(dialog_->TrackControlOnDialog(0, Pt(0, 0), 7, 7, nullptr), 0);
}

TEST_F(DialogEvents, HitsWithAMissingPieceAreLeftAlone) {
  EventRecord record = Record(nullEvent, Centre(6));
  cSp_Window* plain = AddWindow(R(500, 300, 600, 400));
  struct Case {
    const char* why;
    cSp_Window* window;
    ControlRef control;
    EventRecord* event;
  } cases[] = {
      {"no window", nullptr, Control(6), &record},
      {"no event", dialog_, Control(6), nullptr},
      {"no control", dialog_, nullptr, &record},
      {"a window without a dialog", plain, Control(6), &record},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Sp_MouseHitProcForCarbonEventManager(c.window, c.control, c.event), 0);
  }
  EXPECT_TRUE(Calls().empty());
}

TEST_F(DialogEvents, AControlItemThatCannotBeMadeIsReportedAndNotListed) {
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(dialog_->SetupDialogContorlItem(4, kStaticTextDialogItem), nullptr);
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(errors_.Has("cSp_Window::SetupDialogContorlItem", 1));
  EXPECT_EQ(dialog_->GetTargetDialogControlItemObjPtr(4), nullptr);
}

// ---- Dispatching and updates ----------------------------------------------------------------

TEST_F(DialogEvents, EventsGoToTheFrontDialogOnly) {
  EventRecord key = Record(keyDown, Pt(0, 0), 0, 0x0D);
  DialogRef dialog = nullptr;
  short itemHit = 0;
  short modifiers = -1;
  unsigned char updated = 1;
  EXPECT_EQ(Sp_DialogSelect(&key, &dialog, &itemHit, &modifiers, updated), 1);
  EXPECT_EQ(dialog, Dialog());
  EXPECT_EQ(itemHit * 100 + modifiers * 10 + updated, 100) << "item 1, no modifiers, no update";
  // With a plain window in front the events are not the dialog's.
  AddWindow(R(500, 300, 600, 400));
  dialog_->Close();
  itemHit = 0;
  EXPECT_EQ(Sp_DialogSelect(&key, &dialog, &itemHit, &modifiers, updated), 0);
  EXPECT_EQ(dialog, nullptr);
  EXPECT_EQ(itemHit, 0);
}

TEST_F(DialogEvents, KeysPassAFloatingPaletteInFrontToTheActiveDialog) {
  dialog_->Close();
  cSp_Window* modeless = OpenDialog(kModelessDialogId);
  ASSERT_NE(modeless, nullptr);
  AddWindow(R(500, 300, 600, 400), floatProc, kSpFloatingWindowType);
  ASSERT_NE(FrontWindow(), GetDialogWindow(modeless->GetDialogRef())) << "the palette is in front";
  EventRecord key = Record(keyDown, Pt(0, 0), cmdKey, 'a');
  DialogRef dialog = nullptr;
  short itemHit = 0;
  short modifiers = -1;
  unsigned char updated = 1;
  EXPECT_EQ(Sp_DialogSelect(&key, &dialog, &itemHit, &modifiers, updated), 1);
  EXPECT_EQ(dialog, modeless->GetDialogRef());
  EXPECT_EQ(itemHit, 2) << "Command-A selects the text of the dialog's focused field";
}

TEST_F(DialogEvents, AnUpdateWithNothingWaitingRedrawsTheWholeContent) {
  WindowRef window = GetDialogWindow(Dialog());
  CGrafPtr port = GetWindowPort(window);
  const Rect all = R(0, 0, 400, 400);
  ValidWindowRect(window, &all);
  constexpr UInt32 kRed = 0xFF0000;
  sp_testing::FillPort(port, kRed);
  EventRecord update = Record(updateEvt, Pt(0, 0), 0, reinterpret_cast<unsigned long>(window));
  DialogRef dialog = nullptr;
  unsigned char updated = 0;
  EXPECT_EQ(Sp_DialogSelect(&update, &dialog, nullptr, nullptr, updated), 0);
  EXPECT_EQ(updated, 1);
  // Every control was drawn, also those near the content's top edge.
  for (short itemNo : {1, 2, 6, 7}) {
    const Rect box = framework_test::ItemBox(Dialog(), itemNo);
    int drawn = 0;
    for (SInt16 v = box.top; v < box.bottom; ++v) {
      for (SInt16 h = box.left; h < box.right; ++h) {
        drawn += (sp_testing::ReadPixel(port, h, v) & 0xFFFFFF) != kRed;
      }
    }
    EXPECT_GT(drawn, 0) << itemNo;
  }
  const Rect waiting = sp_testing::UpdateRegionBounds(window);
  EXPECT_TRUE(EmptyRect(&waiting)) << "nothing left waiting";
}

// An update of a dialog draws its texts too and leaves nothing waiting: otherwise the toolbox
// would ask again and again and the label would stay blank.
TEST_F(DialogEvents, AnUpdateDrawsTheStaticTextAndEmptiesTheUpdateRegion) {
  WindowRef window = GetDialogWindow(Dialog());
  CGrafPtr port = GetWindowPort(window);
  const Rect all = R(0, 0, 400, 400);
  ValidWindowRect(window, &all);
  constexpr UInt32 kRed = 0xFF0000;
  sp_testing::FillPort(port, kRed);
  const Rect label = framework_test::ItemBox(Dialog(), 4);
  InvalWindowRect(window, &label);
  EventRef event = nullptr;
  ASSERT_EQ(
      CreateEvent(nullptr, kEventClassWindow, kEventWindowUpdate, 0, kEventAttributeNone, &event),
      noErr);
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  EXPECT_EQ(SendEventToEventTarget(event, GetWindowEventTarget(window)), noErr);
  ReleaseEvent(event);
  int drawn = 0;
  for (SInt16 v = label.top; v < label.bottom; ++v) {
    for (SInt16 h = label.left; h < label.right; ++h) {
      drawn += (sp_testing::ReadPixel(port, h, v) & 0xFFFFFF) != kRed;
    }
  }
  EXPECT_GT(drawn, 0) << "the label drawn";
  const Rect waiting = sp_testing::UpdateRegionBounds(window);
  EXPECT_TRUE(EmptyRect(&waiting)) << "nothing left waiting";
}

// ---- Control items --------------------------------------------------------------------------

// ---- The classic loop -----------------------------------------------------------------------

class ClassicDialogLoop : public DialogEvents {
 protected:
  bool CarbonEventMode() const override { return false; }
};

TEST_F(ClassicDialogLoop, AModelessDialogTakesReturnForItsDefaultButtonAndClicksOnItsItems) {
  // The application's completion of the check box turns it over.
  dialog_->GetTargetDialogControlItemObjPtr(6)->SetButtonOperationCompleatedProc(
      [](short, unsigned long d) {
        Tell(d, "completed");
        ControlRef check = reinterpret_cast<const Watched*>(d)->control;
        SetControlValue(check, SInt16(1 - GetControlValue(check)));
      },
      reinterpret_cast<unsigned long>(&watched_[6]));
  sp_testing::PostKeyDown(0x0D, 0x24);
  sp_testing::PostMouseDown(Centre(6));
  sp_testing::PostMouseUp(Centre(6));
  RunClassicLoop();
  EXPECT_EQ(Calls(), (Log{"ok.buttonDown(0)@0", "ok.buttonUp@0", "ok.completed@0",
                          "check.mouseDown(11)@10", "check.buttonDown(11)@10", "check.buttonUp@0",
                          "check.upInside@0", "check.completed@0"}));
  EXPECT_EQ(GetControlValue(Control(6)), 1);
  EXPECT_EQ(sp_testing::QueuedEventCount(), 0u);
}

}  // namespace
}  // namespace window_geometry_test
