// Text dragged and dropped on the edit-text test window on the real display: a word the mouse
// drags from one field into the other (xdotool pressing, moving in steps and letting go) is
// copied there at the drop point, and text another X client drops over XDND goes in where it
// is let go, as MacJapanese, its lines joined by CR.
#include <signal.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "EditTestWindow.h"
#include "SpCarbonEventHandlers.h"
#include "SpDragAndDropObject.h"
#include "SpServiceHooks.h"
#include "SpStdFunctionNumber.h"
#include "SpTextCodec.h"
#include "SpTextService.h"
#include "SpViewServices.h"
#include "SpWindowHandlers.h"
#include "TestDrags.h"
#include "XQueries.h"
#include "events/internal/EventLoop.h"

namespace desktop_test {
namespace {

// A drag of the program's has started (any message of the Drag Manager's tracking).
bool gDragStarted = false;
OSErr NoteDragStart(DragTrackingMessage, WindowRef, void*, DragRef) {
  gDragStarted = true;
  return noErr;
}

class DesktopTextDrop : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetDrags();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    SpTextServiceInitialize();
    window_.reset(new sp_test_support::EditTestWindow(150, 120));
    window_->First()->SetupText("alpha beta", 0);
    window_->Second()->SetupText("gamma", 0);
    SelectWindow(window_->Window());
    ASSERT_TRUE(WaitUntilShown(window_->Window()));
  }
  void TearDown() override {
    window_.reset();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    DesktopTest::TearDown();
  }

  static std::string Text(const cEditTextObject* field) {
    std::string out;
    for (cTextLineObject* l = field->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      const std::vector<char> bytes = l->CopyText();
      out.append(bytes.data(), std::size_t(l->GetNumOfTextByte(1, 1)));
    }
    return out;
  }
  // The window point (content, strip included) just right of the boundary before `byte` on a
  // field's first line: its characters are 6 pixels wide.
  void In(const cEditTextObject* field, SInt32 byte, int* x, int* y) const {
    Rect area;
    field->GetDrawingAreaOnWindow(&area);
    *x = area.left + 1 + 6 * byte + 1;
    *y = sp_platform::display::StripHeightOf(window_->Window()) + area.top + 2 + 7;
  }
  bool Screen(const cEditTextObject* field, SInt32 byte, int* sx, int* sy) {
    int x = 0, y = 0;
    In(field, byte, &x, &y);
    return ScreenPointOf(window_->Window(), x, y, sx, sy);
  }

  // The second field holds "gamma" again; the window's X id, once it names its drag proxy,
  // and in (x, y) the point after the field's second byte. 0 when the proxy is not named.
  unsigned long ReadyForDrops(int* x, int* y) {
    window_->Second()->SetupText("gamma", 0);
    In(window_->Second(), 2, x, y);
    const unsigned long id = sp_platform::display::X11WindowOf(window_->Window());
    return PumpUntil([&] { return x11::NamesXdndProxy(id); }, "the window's drag proxy") ? id : 0;
  }

  // xdotool runs one after another, started from the loop's passes (also those of mouse
  // tracking); the step `afterStart` waits until the drag has started, and the last one until
  // `letGo` says the drag is over its target.
  struct Chain {
    std::vector<std::vector<std::string>> steps;
    std::size_t next;
    bool running;
    Tool tool;
    std::function<bool()> letGo;
    bool started;
    std::size_t afterStart;
    static bool Pass(void* refCon) {
      Chain& c = *static_cast<Chain*>(refCon);
      if (c.running && !ToolFinished(&c.tool)) return false;
      c.running = false;
      if (c.next == c.steps.size()) return false;
      if (c.next == c.afterStart && !gDragStarted) return false;
      if (c.next + 1 == c.steps.size() && !c.letGo()) return false;
      c.started = c.started && StartTool(c.steps[c.next], &c.tool);
      c.running = c.started;
      ++c.next;
      return true;
    }
  };

  // Drags with the mouse from the screen point (fx, fy) to (tx, ty), the Option key (Alt) held
  // from the first move with `option`. The field tracks the mouse inside the press's handler,
  // reading the button as it is now: each step starts from the loop's passes once the one before
  // ended, and the button is let go only once `letGo` says the drag is over its target.
  bool Drag(int fx, int fy, int tx, int ty, std::function<bool()> letGo, bool option = false) {
    std::vector<std::vector<std::string>> steps = {{"xdotool", "mousemove", "--sync",
                                                    std::to_string(fx), std::to_string(fy),
                                                    "mousedown", "1"}};
    if (option) steps.push_back({"xdotool", "keydown", "alt"});
    steps.push_back({"xdotool", "mousemove", "--sync", std::to_string(fx + 1), std::to_string(fy)});
    for (int step = 1; step <= 3; ++step) {
      steps.push_back({"xdotool", "mousemove", "--sync", std::to_string(fx + (tx - fx) * step / 3),
                       std::to_string(fy + (ty - fy) * step / 3)});
    }
    steps.push_back({"xdotool", "mouseup", "1"});
    if (option) steps.back().insert(steps.back().end(), {"keyup", "alt"});
    Chain chain{steps, 0, false, Tool{}, std::move(letGo), true, steps.size() - 4};
    gDragStarted = false;
    EXPECT_EQ(InstallTrackingHandler(NoteDragStart, nullptr, nullptr), noErr);
    const int hook = sp_platform::AddPassHook(&Chain::Pass, &chain);
    const bool ended = PumpUntil([&] { return chain.next == chain.steps.size() && !chain.running; },
                                 "the drag's steps");
    sp_platform::RemovePassHook(hook);
    RemoveTrackingHandler(NoteDragStart, nullptr);
    if (chain.running) {
      kill(chain.tool.pid, SIGKILL);
      ToolFinished(&chain.tool);
    }
    return ended && chain.started;
  }

  std::unique_ptr<sp_test_support::EditTestWindow> window_;
};

// The press lands on the selected word; the field starts its drag on the first move, the drag
// goes over to the other field in steps, and the word is let go after its second byte.
TEST_F(DesktopTextDrop, AWordDraggedIntoTheOtherFieldIsCopiedAtTheDropPoint) {
  cEditTextObject* first = window_->First();
  cEditTextObject* second = window_->Second();
  first->ActivateEditText(1, 1);
  first->SetupSelectionPosition(6, 0, 10, 0, 0, 0);
  int fx = 0, fy = 0, tx = 0, ty = 0;
  ASSERT_TRUE(Screen(first, 8, &fx, &fy));
  ASSERT_TRUE(Screen(second, 2, &tx, &ty));
  ASSERT_TRUE(Drag(fx, fy, tx, ty, [second] { return second->IsDragInside() != 0; }));
  ASSERT_TRUE(PumpUntil([&] { return Text(second) == "gabetamma"; }, "the dropped word"));
  EXPECT_EQ(Text(first), "alpha beta") << "a drop into another field copies";
  SInt32 a = 0, b = 0;
  unsigned char af = 0, bf = 0;
  second->GetSelectionInfoStock(a, af, b, bf);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 6);
  ASSERT_EQ(second->ExecUnDoOneOperation(1), 1);
  EXPECT_EQ(Text(second), "gamma");
}

// Another X client drops text offered under the usual text types: the window asks for one of
// them, and the text, Roman or Japanese, lands at the pointer in the field under it.
TEST_F(DesktopTextDrop, TextAnotherClientDropsGoesInWhereItIsLetGo) {
  struct Case {
    const char* why;
    std::vector<std::string> types;
    const char* utf8;
    std::string expected;
  };
  const Case cases[] = {
      {"plain text", {"text/plain"}, "drop", "gadropmma"},
      {"a Japanese word among all three types",
       {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"},
       "日本語",
       "ga" + MJ("日本語") + "mma"},
      {"two lines", {"text/plain"}, "一行目\r\nline", "ga" + MJ("一行目\rline") + "mma"},
      {"four types, so named in the source's type list, text among them",
       {"text/html", "STRING", "text/x-moz-url", "UTF8_STRING"},
       "drop",
       "gadropmma"},
  };
  cEditTextObject* second = window_->Second();
  const unsigned long id = sp_platform::display::X11WindowOf(window_->Window());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    second->SetupText("gamma", 0);
    int x = 0, y = 0;
    In(second, 2, &x, &y);
    x11::XdndDrop drop(id, x, y, c.types, c.utf8);
    ASSERT_TRUE(PumpUntil([&] { return drop.Step(0); }, "the drop to end"));
    EXPECT_TRUE(drop.Finished());
    EXPECT_FALSE(drop.Requested().empty());
    // The window says it finished as it takes the data; the field gets it from the queue.
    EXPECT_TRUE(PumpUntil([&] { return Text(second) == c.expected; }, "the dropped text"));
    EXPECT_EQ(Text(second), c.expected);
    EXPECT_EQ(Text(window_->First()), "alpha beta");
  }
}

// The window speaks the version a source announces when it is not newer than its own, and
// passes a newer source by; a position from a source that never entered is refused. A drop
// of an older source is taken, and its finish says nothing more, as that version has it.
TEST_F(DesktopTextDrop, TheWindowSpeaksTheSourcesVersionAndRefusesAStrayPosition) {
  cEditTextObject* second = window_->Second();
  int x = 0, y = 0;
  const unsigned long id = ReadyForDrops(&x, &y);
  ASSERT_NE(id, 0u);
  x11::XdndDrop::Manner newer;
  newer.version = 6;
  x11::XdndDrop passedBy(id, x, y, {"UTF8_STRING"}, "newer", true, newer);
  // Sent after the newer source's messages over the same connection: its answer comes after
  // anything the window sent that source.
  x11::XdndDrop::Manner stray;
  stray.enter = false;
  x11::XdndDrop strayDrop(id, x, y, {"UTF8_STRING"}, "stray", false, stray);
  ASSERT_TRUE(PumpUntil([&] { return strayDrop.WaitForStatus(1, 0); }, "the stray's status"));
  EXPECT_FALSE(strayDrop.Accepted());
  EXPECT_TRUE(strayDrop.Requested().empty());
  passedBy.Step(0);
  EXPECT_EQ(passedBy.Statuses(), 0) << "the newer source is not answered";
  EXPECT_TRUE(passedBy.Requested().empty()) << "nor asked for its data";

  x11::XdndDrop::Manner older;
  older.version = 3;
  x11::XdndDrop old(id, x, y, {"UTF8_STRING"}, "old", true, older);
  ASSERT_TRUE(PumpUntil([&] { return old.Step(0); }, "the older drop to end"));
  EXPECT_TRUE(old.Done());
  EXPECT_FALSE(old.Finished()) << "a version 3 finish carries no result";
  EXPECT_TRUE(PumpUntil([&] { return Text(second) == "gaoldmma"; }, "the older drop's text"));
  EXPECT_EQ(Text(second), "gaoldmma");
}

// A drag whose source answers the window's request for its data only after it left: that late
// answer, its data or its refusal, reaches the window while the next drag's request waits, and
// is not taken as that drag's answer. Each request names the time of the position it answers,
// and the next drag's own refusal is taken: its drop is refused.
TEST_F(DesktopTextDrop, TheLateAnswerOfAnEarlierDragIsNotTakenAsTheNextOnesAnswer) {
  cEditTextObject* second = window_->Second();
  const struct {
    const char* why;
    bool earlierRefuses, nextRefuses;
  } cases[] = {
      {"the earlier drag's late data", false, false},
      {"the earlier drag's late refusal", true, false},
      {"the next drag refuses", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    int x = 0, y = 0;
    const unsigned long id = ReadyForDrops(&x, &y);
    ASSERT_NE(id, 0u);
    // The window has asked the drag for its data.
    const auto asked = [this](x11::XdndDrop& drag, const char* what) {
      return PumpUntil(
          [&drag] {
            drag.Step(0);
            return drag.HeldRequests() == 1;
          },
          what);
    };
    x11::XdndDrop::Manner holding;
    holding.holdRequests = true;
    holding.time = 1000;
    x11::XdndDrop earlier(id, x, y, {"UTF8_STRING"}, "", false, holding);
    ASSERT_TRUE(asked(earlier, "the earlier drag's request"));
    EXPECT_EQ(earlier.HeldTime(), 1000u);
    earlier.Leave();
    holding.time = 2000;
    x11::XdndDrop next(id, x, y, {"UTF8_STRING"}, "", true, holding);
    ASSERT_TRUE(asked(next, "the next drag's request"));
    EXPECT_EQ(next.HeldTime(), 2000u) << "the time of the position it answers";
    // The earlier answer reaches the window first: a stray position sent after it is refused
    // once the window has read everything before it.
    c.earlierRefuses ? earlier.RefuseHeld() : earlier.AnswerHeld("wrong");
    x11::XdndDrop::Manner stray;
    stray.enter = false;
    x11::XdndDrop sentinel(id, x, y, {"UTF8_STRING"}, "", false, stray);
    ASSERT_TRUE(PumpUntil([&] { return sentinel.WaitForStatus(1, 0); }, "the stray's status"));
    EXPECT_EQ(next.Statuses(), 0) << "the window waits for the next drag's answer";
    c.nextRefuses ? next.RefuseHeld() : next.AnswerHeld("right");
    ASSERT_TRUE(PumpUntil([&] { return next.Step(0); }, "the next drop to end"));
    EXPECT_EQ(next.Finished(), !c.nextRefuses);
    EXPECT_EQ(next.Accepted(), !c.nextRefuses);
    const std::string text = c.nextRefuses ? "gamma" : "garightmma";
    EXPECT_TRUE(PumpUntil([&] { return Text(second) == text; }, "the next drag's text"));
    EXPECT_EQ(Text(second), text);
  }
}

// What the window does with a drop may wait for the person (here a modal loop, as an alert
// runs): the source hears that the drop finished before that, not once the wait is over.
struct WaitingReceiver {
  x11::XdndDrop* drop = nullptr;
  WindowRef window = nullptr;
  bool ran = false;
  bool finishedWhileWaiting = false;
  int ticks = 0;
};

void StepWhileWaiting(EventLoopTimerRef, void* refCon) {
  WaitingReceiver& r = *static_cast<WaitingReceiver*>(refCon);
  r.drop->Step(0);
  // A drop never finished ends the wait after a generous time all the same.
  if (r.drop->Done() || ++r.ticks > 500) {
    r.finishedWhileWaiting = r.drop->Done();
    QuitAppModalLoopForWindow(r.window);
  }
}

OSErr TakeAnyDrag(DragTrackingMessage, WindowRef, void*, DragRef) {
  return noErr;
}

OSErr WaitInReceive(WindowRef window, void* refCon, DragRef) {
  WaitingReceiver& r = *static_cast<WaitingReceiver*>(refCon);
  r.ran = true;
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, NewEventLoopTimerUPP(StepWhileWaiting),
                        &r, &timer);
  r.window = window;
  RunAppModalLoopForWindow(window);
  RemoveEventLoopTimer(timer);
  return noErr;
}

TEST_F(DesktopTextDrop, TheSourceHearsTheDropFinishedBeforeTheProgramWaitsWithIt) {
  WindowRef window = ShowWindowOnDesktop(R(700, 700, 800, 900), "受け取り");
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(InstallTrackingHandler(TakeAnyDrag, window, nullptr), noErr);
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  ASSERT_TRUE(PumpUntil([&] { return x11::NamesXdndProxy(id); }, "the window's drag proxy"));
  x11::XdndDrop drop(id, 100, 60, {"UTF8_STRING"}, "drop");
  WaitingReceiver receiver;
  receiver.drop = &drop;
  ASSERT_EQ(InstallReceiveHandler(WaitInReceive, window, &receiver), noErr);
  EXPECT_TRUE(PumpUntil(
      [&] {
        const bool over = drop.Step(0);
        return receiver.ran && over;
      },
      "the drop to end"));
  RemoveReceiveHandler(WaitInReceive, window);
  RemoveTrackingHandler(TakeAnyDrag, window);
  DisposeWindow(window);
  ASSERT_TRUE(receiver.ran);
  EXPECT_TRUE(receiver.finishedWhileWaiting);
  EXPECT_TRUE(drop.Finished());
}

// Another client's text dragged over a field that takes only letters or only numbers: the
// window answers each position with what the field says, so text the field would not take is
// refused while it moves (no drag caret shows), and a drop let go anyway changes nothing; text
// it takes is accepted with the drag caret following the pointer, and a drag that leaves
// changes nothing either.
TEST_F(DesktopTextDrop, AFieldRefusesADragOfTextItCannotTakeBeforeTheDrop) {
  enum End { kDrop, kLeave, kVanish };
  struct Case {
    const char* why;
    unsigned char onlyAlpha, onlyNumber;
    const char* utf8;
    bool accepted;
    End end;
    std::string expected;
  };
  const Case cases[] = {
      {"Japanese over a letters-only field", 1, 0, "日本語", false, kDrop, "gamma"},
      {"Roman text over a letters-only field", 1, 0, "drop", true, kDrop, "gammdropa"},
      {"letters over a numbers-only field", 0, 1, "12a", false, kDrop, "gamma"},
      {"digits over a numbers-only field", 0, 1, "12", true, kDrop, "gamm12a"},
      {"Japanese over a field without filters", 0, 0, "日本語", true, kDrop,
       "gamm" + MJ("日本語") + "a"},
      {"a drag that leaves again", 0, 0, "drop", true, kLeave, "gamma"},
      {"a source that ends without a word", 0, 0, "drop", true, kVanish, "gamma"},
  };
  cEditTextObject* second = window_->Second();
  const unsigned long id = sp_platform::display::X11WindowOf(window_->Window());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    second->SetupText("gamma", 0);
    second->SetupOnlyAlfaFlag(c.onlyAlpha);
    second->SetupOnlyNumberFlag(c.onlyNumber, 0);
    int x = 0, y = 0, x4 = 0, y4 = 0;
    In(second, 2, &x, &y);
    In(second, 4, &x4, &y4);
    std::unique_ptr<x11::XdndDrop> drag(
        new x11::XdndDrop(id, x, y, {"text/plain;charset=utf-8"}, c.utf8, false));
    ASSERT_TRUE(PumpUntil([&] { return drag->WaitForStatus(1, 0); }, "the first status"));
    EXPECT_EQ(drag->Accepted(), c.accepted);
    EXPECT_EQ(second->IsDragCaretDrawn() != 0, c.accepted) << "the drag caret shows before the drop";
    drag->MoveTo(x4, y4);
    ASSERT_TRUE(PumpUntil([&] { return drag->WaitForStatus(2, 0); }, "the second status"));
    EXPECT_EQ(drag->Accepted(), c.accepted);
    cTextLineObject* line = nullptr;
    SInt32 byte = -1;
    second->GetDragCaretPosition(line, byte);
    if (c.accepted) {
      EXPECT_EQ(byte, 4) << "the drag caret follows the pointer";
    }
    if (c.end == kDrop) {
      drag->Drop();
      ASSERT_TRUE(PumpUntil([&] { return drag->Step(0); }, "the drop to end"));
      EXPECT_EQ(drag->Finished(), c.accepted);
    } else {
      if (c.end == kLeave) drag->Leave();
      if (c.end == kVanish) drag.reset();
      ASSERT_TRUE(PumpUntil([&] { return second->IsDragInside() == 0; }, "the drag to go"));
    }
    EXPECT_TRUE(PumpUntil([&] { return Text(second) == c.expected; }, "the field's text"));
    EXPECT_EQ(Text(second), c.expected);
    EXPECT_EQ(second->IsDragInside(), 0);
  }
  second->SetupOnlyAlfaFlag(0);
  second->SetupOnlyNumberFlag(0, 0);
}

// Text dragged out of a field onto another program's window that takes drops: that program is
// offered the text types, is asked for a move (a copy with Option), gets the text as UTF-8, and
// a move takes the text out of the field in one step that undo puts back. A window that
// refuses gets nothing and the field keeps its text.
TEST_F(DesktopTextDrop, TextDraggedOntoAnotherProgramArrivesThereAndAMoveTakesItOut) {
  struct Case {
    const char* why;
    const char* text;  // the field's, UTF-8; bytes 6 to 10 of its MacJapanese are dragged
    bool accept;
    bool option;
    bool viaProxy;
    const char* asked;
    const char* arrives;  // UTF-8; null: nothing
    const char* left;     // the field's text afterwards, UTF-8
  };
  const Case cases[] = {
      {"a move", "alpha beta", true, false, false, "XdndActionMove", "beta", "alpha "},
      {"Japanese arrives as UTF-8", "alpha 日本", true, false, false, "XdndActionMove", "日本",
       "alpha "},
      {"Option asks for a copy", "alpha beta", true, true, false, "XdndActionCopy", "beta",
       "alpha beta"},
      {"a window that refuses the drop", "alpha beta", false, false, false, "XdndActionMove",
       nullptr, "alpha beta"},
      {"a window whose proxy takes its drops", "alpha beta", true, false, true, "XdndActionMove",
       "beta", "alpha "},
  };
  cEditTextObject* first = window_->First();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    first->SetupText(MJ(c.text).c_str(), 0);
    first->ActivateEditText(1, 1);
    first->SetupSelectionPosition(6, 0, 10, 0, 0, 0);
    x11::XdndTarget other(700, 450, 300, 200, c.accept, c.viaProxy);
    const int hook = sp_platform::AddPassHook(
        [](void* target) {
          static_cast<x11::XdndTarget*>(target)->Step();
          return false;
        },
        &other);
    ASSERT_TRUE(PumpUntil([&] { return x11::WindowViewable(other.Id()); }, "the other window"));
    int fx = 0, fy = 0, tx = 0, ty = 0;
    ASSERT_TRUE(Screen(first, 8, &fx, &fy));
    ASSERT_TRUE(x11::ScreenPointOf(other.Id(), 150, 100, &tx, &ty));
    // The outline's frame, seen while the drag waits over the other window.
    std::vector<x11::Box> outline;
    const bool dragged = Drag(
        fx, fy, tx, ty,
        [&] {
          if (!other.SawPosition()) return false;
          outline = x11::OverrideRedirectWindows();
          return true;
        },
        c.option);
    std::string arrived;
    if (c.arrives != nullptr) {
      EXPECT_TRUE(PumpUntil([&] { return other.Received(&arrived); }, "the dropped text"));
    } else {
      EXPECT_TRUE(PumpUntil([&] { return other.Left(); }, "the refused drag to leave"));
    }
    EXPECT_TRUE(PumpUntil([&] { return Text(first) == MJ(c.left); }, "the field's text"));
    sp_platform::RemovePassHook(hook);
    ASSERT_TRUE(dragged);
    EXPECT_EQ(other.Offered(),
              (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"}));
    EXPECT_EQ(other.Asked(), c.asked);
    // The messages name the time of the pointer's move and release, not CurrentTime.
    EXPECT_NE(other.PositionTime(), 0u);
    if (c.arrives != nullptr) {
      EXPECT_NE(other.DropTime(), 0u);
      EXPECT_GE(other.DropTime(), other.PositionTime());
    }
    EXPECT_EQ(arrived, c.arrives != nullptr ? c.arrives : "");
    EXPECT_EQ(Text(first), MJ(c.left));
    // Four edges one pixel thick, around the pointer as the word was around the press (the
    // windows off the screen are others').
    outline.erase(std::remove_if(outline.begin(), outline.end(),
                                 [](const x11::Box& b) { return b.x < 0 || b.y < 0; }),
                  outline.end());
    ASSERT_EQ(outline.size(), 4u);
    int left = outline[0].x, top = outline[0].y, right = left, bottom = top, thin = 0;
    for (const x11::Box& b : outline) {
      left = std::min(left, b.x);
      top = std::min(top, b.y);
      right = std::max(right, b.x + b.width);
      bottom = std::max(bottom, b.y + b.height);
      thin += b.width == 1 || b.height == 1 ? 1 : 0;
    }
    EXPECT_EQ(thin, 4);
    EXPECT_EQ(right - left, 4 * 6) << "the word's four characters";
    EXPECT_TRUE(left < tx && tx < right && top < ty && ty < bottom);
    for (const x11::Box& b : x11::OverrideRedirectWindows()) {
      EXPECT_TRUE(b.x < 0 || b.y < 0) << "the outline goes with the drag";
    }
    if (std::string(c.left) != c.text) {
      ASSERT_EQ(first->ExecUnDoOneOperation(1), 1);
      EXPECT_EQ(Text(first), MJ(c.text)) << "undo puts the moved text back";
    }
  }
}

}  // namespace
}  // namespace desktop_test
