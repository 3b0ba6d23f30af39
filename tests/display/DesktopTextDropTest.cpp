// Text dragged and dropped on the edit-text test window on the real display: a word the mouse
// drags from one field into the other (xdotool pressing, moving in steps and letting go) is
// copied there at the drop point, and text another X client drops over XDND goes in where it
// is let go, as MacJapanese, its lines joined by CR.
#include <signal.h>

#include <cstddef>
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

  // xdotool runs one after another, started from the loop's passes (also those of mouse
  // tracking); the last one waits until the drag is over `target`.
  struct Chain {
    std::vector<std::vector<std::string>> steps;
    std::size_t next;
    bool running;
    Tool tool;
    cEditTextObject* target;
    bool started;
    static bool Pass(void* refCon) {
      Chain& c = *static_cast<Chain*>(refCon);
      if (c.running && !ToolFinished(&c.tool)) return false;
      c.running = false;
      if (c.next == c.steps.size()) return false;
      if (c.next + 1 == c.steps.size() && c.target->IsDragInside() == 0) return false;
      c.started = c.started && StartTool(c.steps[c.next], &c.tool);
      c.running = c.started;
      ++c.next;
      return true;
    }
  };

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
  // The field tracks the mouse inside the press's handler, reading the button as it is now: each
  // step starts from the loop's passes once the one before ended, and the button is let go only
  // once the drag is over the other field.
  const std::string y = std::to_string(ty);
  std::vector<std::vector<std::string>> steps = {
      {"xdotool", "mousemove", "--sync", std::to_string(fx), std::to_string(fy), "mousedown", "1"},
      {"xdotool", "mousemove", "--sync", std::to_string(fx + 1), std::to_string(fy)}};
  for (int step = 1; step <= 3; ++step) {
    steps.push_back(
        {"xdotool", "mousemove", "--sync", std::to_string(fx + (tx - fx) * step / 3), y});
  }
  steps.push_back({"xdotool", "mouseup", "1"});
  Chain chain{steps, 0, false, Tool{}, second, true};
  const int hook = sp_platform::AddPassHook(&Chain::Pass, &chain);
  const bool ended = PumpUntil([&] { return chain.next == chain.steps.size() && !chain.running; },
                               "the drag's steps");
  sp_platform::RemovePassHook(hook);
  if (chain.running) {
    kill(chain.tool.pid, SIGKILL);
    ToolFinished(&chain.tool);
  }
  ASSERT_TRUE(ended);
  ASSERT_TRUE(chain.started);
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

}  // namespace
}  // namespace desktop_test
