// Clicks and keys through the event loops, the Carbon-event loop and the classic one: a modal
// dialog or sheet holds every click and key meant for the program's other windows; a click on
// a window behind others brings it forward in the toolbox's order and the framework's list
// alike, before the next key; a floating palette in front lets keys, typed text, clicks and
// hover areas reach the window behind it; the zoom box keeps the window on the screen and
// zooms back after a drag; dialogs redraw their texts on an update.
#include <gtest/gtest.h>

#include <map>

#include "SpEditTextObject.h"
#include "SpStdSayDialog.h"
#include "TestResponder.h"
#include "WindowGeometryTestSupport.h"

namespace window_geometry_test {
namespace {

constexpr SInt16 kModalMovableId = 500;
constexpr SInt16 kModalPlainId = 501;
constexpr SInt16 kModelessId = 502;

// The modal dialogs (content (600, 100)-(900, 250)) have OK (1); the modeless one (content
// (80, 300)-(420, 400)) OK (1), two fields (2, 5), a check box (3) and a label (4).
const char kResources[] = R"(
resource 'DLOG' 500 { bounds 100, 600, 250, 900; procID 5; visible false; items 500; title "Modal" }
resource 'DLOG' 501 { bounds 100, 600, 250, 900; procID 0; visible false; items 500; title "Modal" }
resource 'DITL' 500 {
  button 110, 220, 130, 290 { text "OK" }
}
resource 'DLOG' 502 { bounds 300, 80, 400, 420; procID 0; visible false; items 502; title "Modeless" }
resource 'DITL' 502 {
  button 60, 250, 80, 320 { text "OK" }
  editText 20, 20, 36, 150 { text "field" }
  checkBox 60, 20, 76, 150 { text "Check" }
  staticText 20, 180, 36, 320 { text "Label" }
  editText 84, 20, 96, 150 { text "other" }
}
)";

using framework_test::Log;
using Strings = std::vector<std::string>;

void Note(const std::string& what) {
  Log().push_back(what);
}

unsigned char NoteKey(char ch, char, unsigned char, short, unsigned long name) {
  Note(std::string(reinterpret_cast<const char*>(name)) + ".key:" + ch);
  return 1;
}

// A press, the points it is dragged through, and what it is.
struct Press {
  std::string what;
  Point down;
  std::vector<Point> path;
};

Point Offset(Point p, SInt16 dh, SInt16 dv) {
  return Pt(SInt16(p.h + dh), SInt16(p.v + dv));
}

// How many pixels of the rectangle (local) are not of the colour.
int PixelsNotOf(CGrafPtr port, const Rect& box, UInt32 rgb) {
  int count = 0;
  for (SInt16 v = box.top; v < box.bottom; ++v) {
    for (SInt16 h = box.left; h < box.right; ++h) {
      count += (sp_testing::ReadPixel(port, h, v) & 0xFFFFFF) != rgb;
    }
  }
  return count;
}

class FrontWindowTest : public WindowGeometryFixture {
 protected:
  void SetUp() override {
    WindowGeometryFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(kResources));
    if (!CarbonEventMode()) {
      if (Sp_Is_CarbonEvent_ModeEnable()) GTEST_SKIP() << "Carbon events already on here";
      return;
    }
    Sp_SetOtherEventHandlerForOSXCFM();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    SpTSMSetupEventHandlerForCarbonEvent();
  }

  // The window's keys are noted under its name (and taken) when `keys` is set.
  cSp_Window* Named(cSp_Window* window, const char* name, bool keys = true) {
    if (keys) {
      const unsigned long tag = reinterpret_cast<unsigned long>(name);
      window->SetupRowKeyDownIntoWindowCallback(NoteKey, tag);
      window->SetupKeyInIntoWindowCallback(NoteKey, tag);
    }
    names_[window] = name;
    return window;
  }

  // An open framework dialog whose OK button's completion is noted under its name.
  cSp_Window* Dialog(SInt16 id, const char* name, unsigned char modal = 0, bool keys = true) {
    cSp_Window* window = Keep(Sp_NewDialogObject(id, modal));
    EXPECT_NE(window->GetDialogRef(), nullptr);
    Named(window, name, keys);
    window->SetupModalDialogBackgroundMouseDownBeepFlag(1);
    window->Open(1, nullptr);
    window->SetupDialogContorlItem(1, 0)->SetButtonOperationCompleatedProc(
        [](short, unsigned long n) { Note(std::string(reinterpret_cast<const char*>(n)) + ".ok"); },
        reinterpret_cast<unsigned long>(name));
    return window;
  }

  cSp_Window* Plain(const Rect& content, const char* name, short procID = documentProc,
                    tWindowType type = kSpNormalWindowType) {
    return Named(AddWindow(content, procID, type), name);
  }

  // The program's usual windows: a document, a modeless dialog, a floating palette and a
  // message window, made in that order.
  void MakeEveryKindOfWindow() {
    doc_ = Plain(R(450, 450, 650, 600), "doc", zoomDocProc);
    modeless_ = Dialog(kModelessId, "modeless");
    palette_ = Plain(R(80, 500, 200, 600), "palette", floatProc, kSpFloatingWindowType);
    message_ = Plain(R(250, 500, 400, 600), "message", documentProc, kSpMessageWindowType);
  }

  DialogRef Modeless() const { return modeless_->GetDialogRef(); }
  Point ItemCentre(DialogRef dialog, short itemNo) const {
    Point global = {0, 0};
    EXPECT_TRUE(sp_testing::DialogItemCentre(dialog, itemNo, &global));
    return global;
  }
  static Point PartPoint(cSp_Window* window, WindowPartCode part) {
    return sp_testing::WindowPartPoint(window->GetWindowRef(), part);
  }

  // Every press a person could make on the windows of MakeEveryKindOfWindow: the items of the
  // dialog, the contents, and every part of the frames (dragged where a drag means something).
  std::vector<Press> EveryPress() const {
    std::vector<Press> presses = {
        {"modeless OK", ItemCentre(Modeless(), 1), {}},
        {"modeless field", ItemCentre(Modeless(), 2), {}},
        {"modeless check box", ItemCentre(Modeless(), 3), {}},
    };
    for (auto [window, name] : {std::pair<cSp_Window*, std::string>{doc_, "doc"},
                                {modeless_, "modeless"},
                                {palette_, "palette"},
                                {message_, "message"}}) {
      for (auto [part, what] : {std::pair<WindowPartCode, std::string>{inContent, " content"},
                                {inDrag, " title strip"},
                                {inGoAway, " close box"},
                                {inZoomOut, " zoom box"},
                                {inGrow, " grow box"}}) {
        const Point at = PartPoint(window, part);
        if (at.h == -32768) continue;
        std::vector<Point> path;
        if (part == inDrag || part == inGrow) path = {Offset(at, 30, 20), Offset(at, 60, 40)};
        presses.push_back({name + what, at, path});
      }
    }
    return presses;
  }

  // What a person sees of the program's windows and what they were told.
  std::string State() const {
    std::string state = "toolbox: " + ToolboxOrder() + "| list: " + ListOrder() + "|";
    for (const auto& [window, name] : names_) {
      Rect content = Content(window->GetWindowRef());
      state += std::string(" ") + name + (window->IsOpen() ? " open " : " closed ") +
               window_geometry_test::Text(content);
    }
    if (modeless_ != nullptr) {
      state += " | field \"" + sp_testing::DialogItemText(Modeless(), 2) + "\" focus " +
               std::to_string(GetDialogKeyboardFocusItem(Modeless())) + " check " +
               std::to_string(GetControlValue(framework_test::ItemControl(Modeless(), 3)));
    }
    for (const std::string& entry : Told()) state += " | " + entry;
    return state;
  }

  // What the windows were told. The drags of a press are offered to the views' tracking of
  // the press their hot spots took, if any: a drag on its own tells nothing and is left out.
  static Strings Told() {
    Strings told;
    for (const std::string& entry : Log()) {
      if (entry.rfind("trace@", 0) != 0) told.push_back(entry);
    }
    return told;
  }

  // The visible toolbox windows (only those of the framework's normal list: its order when the
  // two agree) and the open windows of that list, front to back, by name.
  std::string ToolboxOrder(bool normalListOnly = false) const {
    std::string order;
    for (WindowRef w : sp_testing::VisibleWindows()) {
      if (!normalListOnly || Sp_SerchWindowObject(w) != nullptr) order += NameOf(w) + " ";
    }
    return order;
  }
  std::string ListOrder() const {
    std::string order;
    for (cSp_Window* w = WindowListHead_GlV; w != nullptr; w = w->NextObject()) {
      if (w->IsOpen()) order += NameOf(w->GetWindowRef()) + " ";
    }
    return order;
  }
  std::string NameOf(WindowRef window) const {
    for (const auto& [object, name] : names_) {
      if (object->GetWindowRef() == window) return name;
    }
    return "?";
  }

  // Runs the loop until nothing is left to do: the Carbon-event loop's passes, or the classic
  // loop.
  void Run() {
    if (CarbonEventMode()) {
      sp_testing::PumpUntilIdle();
    } else {
      RunClassicLoop();
    }
  }

  // A key pressed (and, in the Carbon-event loop, released: the classic loop takes no key-ups).
  void Key(UInt8 charCode, UInt8 keyCode) {
    sp_testing::PostKeyDown(charCode, keyCode);
    if (CarbonEventMode()) sp_testing::PostKeyUp(charCode, keyCode);
  }

  // ---- The tests of both loops ----

  void ModalDialogHoldsEveryClickAndKeyOfTheOtherWindows() {
    for (SInt16 modalId : {kModalMovableId, kModalPlainId}) {
      SCOPED_TRACE(modalId == kModalMovableId ? "a movable modal dialog" : "a modal of procID 0");
      windows_.clear();
      names_.clear();
      MakeEveryKindOfWindow();
      cSp_Window* modal = Dialog(modalId, "modal", 1);
      Log().clear();
      const std::string before = State();
      EXPECT_EQ(ListOrder(), "modal modeless doc ");
      for (const Press& press : EveryPress()) {
        SCOPED_TRACE(press.what);
        const UInt32 beeps = errors_.Beeps();
        sp_testing::PostClick(press.down, press.path);
        Run();
        EXPECT_EQ(State(), before) << "nothing moved, closed, took the press or came forward";
        EXPECT_EQ(errors_.Beeps() - beeps, 1u) << "the dialog's beep, and only that";
      }
      // Keys are the modal dialog's, and its own button still takes a click.
      Key('x', 0x07);
      sp_testing::PostClick(ItemCentre(modal->GetDialogRef(), 1));
      Run();
      EXPECT_EQ(Told(), (Strings{"modal.key:x", "modal.ok"}));
    }
  }

  void ZoomStaysOnTheScreenAndZoomsBackAfterADrag() {
    cSp_Window* doc = Plain(R(450, 450, 650, 600), "doc", zoomDocProc);
    const Rect user = Content(doc->GetWindowRef());
    doc->SetMaxSize(2000, 1500);  // larger than the 1024 x 768 screen
    sp_testing::PostClick(PartPoint(doc, inZoomOut));
    Run();
    const SInt16 top = SInt16(GetMBarHeight() + kSpWindowTitleBarHeight);
    EXPECT_EQ(Text(Content(doc->GetWindowRef())), Text(R(0, top, 1024, 768)))
        << "the whole screen below the menu bar, title strip included";
    // Dragged while zoomed, the zoom box still takes it back to where it was. The classic
    // drag follows the mouse step by step as the loop lets it move.
    const Point strip = PartPoint(doc, inDrag);
    const Point to = Offset(strip, 40, 30);
    if (CarbonEventMode()) {
      sp_testing::PostClick(strip, {Offset(strip, 20, 10), to});
    } else {
      ScriptMouse(strip, {{Offset(strip, 20, 10)}, {to}, {to, 0, true}});
    }
    Run();
    EXPECT_EQ(Text(Content(doc->GetWindowRef())), Text(R(40, SInt16(top + 30), 1064, 798)));
    sp_testing::PostClick(PartPoint(doc, inZoomOut));
    Run();
    EXPECT_EQ(Text(Content(doc->GetWindowRef())), Text(user));
    short width = 0;
    short height = 0;
    doc->GetSize(&width, &height);
    EXPECT_EQ(width * 1000 + height, 200 * 1000 + 150);
  }

  void ADialogRedrawsItsTextsAndFieldsOnAnUpdate() {
    MakeEveryKindOfWindow();
    constexpr UInt32 kRed = 0xFF0000;
    for (cSp_Window* window : {modeless_, palette_}) {
      WindowRef w = window->GetWindowRef();
      sp_testing::FillPort(GetWindowPort(w), kRed);
      const Rect all = R(0, 0, 400, 400);
      InvalWindowRect(w, &all);
    }
    Run();
    CGrafPtr port = GetDialogPort(Modeless());
    for (short itemNo : {1, 2, 3, 4}) {
      EXPECT_GT(PixelsNotOf(port, framework_test::ItemBox(Modeless(), itemNo), kRed), 0)
          << "item " << itemNo << " drawn";
    }
    for (cSp_Window* window : {modeless_, palette_}) {
      const Rect waiting = sp_testing::UpdateRegionBounds(window->GetWindowRef());
      EXPECT_TRUE(EmptyRect(&waiting)) << names_[window] << ": nothing left waiting";
    }
  }

  cSp_Window* doc_ = nullptr;
  cSp_Window* modeless_ = nullptr;
  cSp_Window* palette_ = nullptr;
  cSp_Window* message_ = nullptr;
  std::map<cSp_Window*, const char*> names_;
};

class ClassicFrontWindowTest : public FrontWindowTest {
 protected:
  bool CarbonEventMode() const override { return false; }
};

// ---- Modal dialogs and sheets ---------------------------------------------------------------

TEST_F(FrontWindowTest, AModalDialogHoldsEveryClickAndKeyOfTheOtherWindows) {
  ModalDialogHoldsEveryClickAndKeyOfTheOtherWindows();
}

TEST_F(ClassicFrontWindowTest, AModalDialogHoldsEveryClickAndKeyOfTheOtherWindows) {
  ModalDialogHoldsEveryClickAndKeyOfTheOtherWindows();
}

TEST_F(FrontWindowTest, ASheetHoldsEveryClickAndKeyOfTheOtherWindows) {
  MakeEveryKindOfWindow();
  Log().clear();
  const std::string before = State();
  const std::vector<Press> presses = EveryPress();
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer()
                          .Do(
                              [&presses](WindowRef) {
                                for (const Press& press : presses) {
                                  sp_testing::PostClick(press.down, press.path);
                                }
                                sp_testing::PostKeyDown('x', 0x07);
                                sp_testing::PostKeyUp('x', 0x07);
                              },
                              "clicks on every other window and a key")
                          .ClickButtonUTF8("OK"));
  char message[] = "Sheet";
  char explanation[] = "Everything else waits.";
  char ok[] = "OK";
  char cancel[] = "Cancel";
  EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlert(doc_->GetWindowRef(), kSpStdSayDlgNote, message,
                                             explanation, ok, cancel),
            1);
  Run();
  EXPECT_EQ(State(), before);
}

// ---- Windows behind others ------------------------------------------------------------------

// Whatever part of a window behind the user clicks, the window comes forward in the toolbox
// and in the framework's list alike, before the key that follows the click in the same pass.
TEST_F(FrontWindowTest, AClickOnAWindowBehindBringsItForwardInBothOrdersBeforeTheNextKey) {
  doc_ = Plain(R(450, 300, 650, 450), "doc");
  modeless_ = Dialog(kModelessId, "modeless");
  struct Case {
    std::string what;
    cSp_Window* front;   // brought forward first
    cSp_Window* target;  // clicked
    Point down;
    std::vector<Point> path;
    Strings log;
    bool contentClickBringsForward = true;
  };
  const Point docCentre = Pt(550, 375);
  const Point grow = PartPoint(doc_, inGrow);
  // clang-format off
  const Case cases[] = {
      {"a field", doc_, modeless_, ItemCentre(Modeless(), 2), {}, {"up@85,28", "modeless.key:k"}},
      {"a check box", doc_, modeless_, ItemCentre(Modeless(), 3), {}, {"up@85,68", "modeless.key:k"}},
      {"a button", doc_, modeless_, ItemCentre(Modeless(), 1), {}, {"up@285,70", "modeless.key:k"}},
      {"the title strip", doc_, modeless_, PartPoint(modeless_, inDrag), {}, {"modeless.key:k"}},
      {"the grow box", modeless_, doc_, grow, {Offset(grow, 10, 10)}, {"doc.key:k"}},
      {"the content, clicked through", modeless_, doc_, docCentre, {}, {"down@100,75", "up@100,75", "doc.key:k"}, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.target->SetupMoveToFrontWithContentMouseDownFlag(c.contentClickBringsForward ? 1 : 0);
    ASSERT_EQ(c.front->MoveToFrontInWindowList(), 1);
    Log().clear();
    const std::string field = sp_testing::DialogItemText(Modeless(), 2);
    const short check = GetControlValue(framework_test::ItemControl(Modeless(), 3));
    sp_testing::PostClick(c.down, c.path);
    Key('k', 0x28);
    Run();
    EXPECT_EQ(Log(), c.log);
    EXPECT_EQ(ListOrder(), std::string(names_[c.target]) + " " + names_[c.front] + " ");
    EXPECT_EQ(ToolboxOrder(true), ListOrder());
    EXPECT_EQ(sp_testing::DialogItemText(Modeless(), 2), field) << "no key typed into it";
    EXPECT_EQ(GetControlValue(framework_test::ItemControl(Modeless(), 3)), check);
    c.target->SetupMoveToFrontWithContentMouseDownFlag(1);
  }
}

// A window opened while a modal dialog is up goes behind it in both orders; only another modal
// dialog comes in front.
TEST_F(FrontWindowTest, AWindowOpenedBehindAModalDialogStaysBehindItInBothOrders) {
  cSp_Window* modal = Dialog(kModalPlainId, "modal", 1);
  Plain(R(100, 400, 300, 500), "later");
  EXPECT_EQ(ListOrder(), "modal later ");
  EXPECT_EQ(ToolboxOrder(true), ListOrder());
  EXPECT_EQ(Sp_HaveModalDialog(nullptr, nullptr), 1);
  cSp_Window* nested = Dialog(kModalMovableId, "nested", 1);
  EXPECT_EQ(ListOrder(), "nested modal later ");
  EXPECT_EQ(ToolboxOrder(true), ListOrder());
  nested->Close();
  modal->Close();
  EXPECT_EQ(ListOrder(), "later ");
}

// ---- A floating palette in front ------------------------------------------------------------

TEST_F(FrontWindowTest, KeysTextHoverAndClosingPassAFloatingPaletteToTheWindowBehind) {
  doc_ = Plain(R(450, 450, 650, 600), "doc");
  modeless_ = Dialog(kModelessId, "modeless", 0, false);  // its keys go to the standard handling
  palette_ = Plain(R(80, 500, 200, 600), "palette", floatProc, kSpFloatingWindowType);
  ASSERT_EQ(FrontWindow(), palette_->GetWindowRef());
  SelectDialogItemText(Modeless(), 2, 5, 5);
  CGrafPtr port = GetDialogPort(Modeless());
  const Rect field = framework_test::ItemBox(Modeless(), 2);
  const int inkBefore = PixelsNotOf(port, field, 0xFFFFFF);
  Key('c', 0x08);               // typed into the focused field
  Key(0x09, 0x30);              // Tab: the next field
  sp_testing::PostTextInput("t");  // typed text goes there
  Key(0x0D, 0x24);              // Return: the default button
  Run();
  EXPECT_EQ(sp_testing::DialogItemText(Modeless(), 2), "fieldc");
  EXPECT_EQ(sp_testing::DialogItemText(Modeless(), 5), "t");
  EXPECT_GT(PixelsNotOf(port, field, 0xFFFFFF), inkBefore) << "the new letter is drawn";
  EXPECT_EQ(Log(), Strings{"modeless.ok"});

  // The front document's hover areas count it as in front.
  ASSERT_EQ(doc_->MoveToFrontInWindowList(), 1);
  cMouseTraceObject area(doc_->GetWindowRef(), R(0, 0, 100, 100), 0, 0, nullptr);
  area.mouseTraceInProc = [](Point, short, unsigned long) { Note("entered"); };
  Log().clear();
  sp_testing::PostMouseMoved(Pt(480, 480));
  Run();
  EXPECT_EQ(Log(), Strings{"entered"});

  Sp_CloseFrontWindow();
  EXPECT_FALSE(doc_->IsOpen()) << "the front document is closed, not the palette";
  EXPECT_TRUE(palette_->IsOpen());
}

TEST_F(ClassicFrontWindowTest, ClicksOnADialogsItemsPassAFloatingPaletteInFront) {
  modeless_ = Dialog(kModelessId, "modeless");
  modeless_->SetupDialogContorlItem(3, 0)->SetButtonOperationCompleatedProc(
      [](short, unsigned long) { Note("modeless.check"); }, 0);
  palette_ = Plain(R(80, 500, 200, 600), "palette", floatProc, kSpFloatingWindowType);
  ASSERT_EQ(FrontWindow(), palette_->GetWindowRef());
  sp_testing::PostClick(ItemCentre(Modeless(), 1));
  sp_testing::PostClick(ItemCentre(Modeless(), 3));
  Run();
  EXPECT_EQ(Log(), (Strings{"modeless.ok", "modeless.check"}));
}

// ---- Zoom and updates -----------------------------------------------------------------------

TEST_F(FrontWindowTest, ZoomStaysOnTheScreenAndZoomsBackAfterADrag) {
  ZoomStaysOnTheScreenAndZoomsBackAfterADrag();
}

TEST_F(ClassicFrontWindowTest, ZoomStaysOnTheScreenAndZoomsBackAfterADrag) {
  ZoomStaysOnTheScreenAndZoomsBackAfterADrag();
}

TEST_F(FrontWindowTest, ADialogRedrawsItsTextsAndFieldsOnAnUpdate) {
  ADialogRedrawsItsTextsAndFieldsOnAnUpdate();
}

TEST_F(ClassicFrontWindowTest, ADialogRedrawsItsTextsAndFieldsOnAnUpdate) {
  ADialogRedrawsItsTextsAndFieldsOnAnUpdate();
}

}  // namespace
}  // namespace window_geometry_test
