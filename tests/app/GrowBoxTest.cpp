// The media window's grow box stays at its corner whatever draws the window's views again
// there outside the window's own update: the program coming back to the front, an update of
// another part of the window (a dialog or the progress window closed over it), the save
// button drawn anew.
#include "AppTestSupport.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "SpOC_IconButtonControl.h"
#include "SpWindow.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace app_test {
namespace {

constexpr UInt32 kGrey = 0x808080;
constexpr UInt32 kWhite = 0xFFFFFF;

// The grow box's frame at its left and right edges and its white inside, read from the
// window's pixels as they are (no redraw of the views first).
std::string GrowBoxPixels() {
  WindowRef window = M()->GetWindowRef();
  Rect port = {0, 0, 0, 0};
  GetWindowPortBounds(window, &port);
  const short right = port.right, bottom = port.bottom;
  const struct {
    const char* what;
    short h, v;
    UInt32 want;
  } points[] = {
      {"left edge", short(right - kSpWindowGrowBoxSize), short(bottom - 8), kGrey},
      {"right edge", short(right - 1), short(bottom - 8), kGrey},
      {"inside", short(right - 12), short(bottom - 12), kWhite},
  };
  std::string wrong;
  for (const auto& p : points) {
    const UInt32 got = sp_testing::ReadPixel(GetWindowPort(window), p.h, p.v);
    if (got != p.want) wrong += std::string(p.what) + " " + std::to_string(got) + "; ";
  }
  return wrong;
}

void SendToApplication(UInt32 kind) {
  EventRef event = nullptr;
  ASSERT_EQ(CreateEvent(nullptr, kEventClassApplication, kind, 0, kEventAttributeNone, &event),
            noErr);
  SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
}

class GrowBox : public ProgramTest {};

TEST_F(GrowBox, StaysAtTheCornerWhenTheViewsAreDrawnAgainOutsideTheWindowsUpdate) {
  const std::string file = MakeSoundFile("a.aiff", 2);
  struct Case {
    const char* what;
    std::function<void()> disturb;
  };
  const Case cases[] = {
      // Returning to the front redraws every open window's views at once.
      {"the program goes behind another and comes back",
       [] {
         SendToApplication(kEventAppDeactivated);
         SendToApplication(kEventAppActivated);
       }},
      // The update's views are put on the whole content, the grow box only where it waits.
      {"a part away from the corner waits for an update",
       [] {
         const Rect middle = {40, 40, 120, 200};
         InvalWindowRect(M()->GetWindowRef(), &middle);
       }},
      // The button reaches under the grow box; pressed, it draws only its own part again.
      {"the save button is pressed and let go away from it",
       [] {
         Rect content = {0, 0, 0, 0};
         GetWindowBounds(M()->GetWindowRef(), kWindowContentRgn, &content);
         const Point away = {short(content.bottom - 5), short(content.left + 5)};
         sp_testing::PostClick(ButtonPoint(M()->GetSaveButton()), {away});
       }},
  };
  std::vector<Step> steps = {
      WaitFor("the window drawn", [] { return M() != nullptr && GrowBoxPixels().empty(); }),
      Do("add a file", [file] { ASSERT_TRUE(AddSoundFile(file)); }),
      WaitFor("its row", [] { return Rows() == 1; }),
      // Selected, so that the save button takes a press.
      Then("select it", [] { Click(1, kCDR_NameColumn); }),
  };
  for (const Case& c : cases) {
    // Each case starts from a drawn grow box, whatever the one before left.
    steps.push_back(Do("draw the grow box", [] { Sp_DrawGrowBoxOfWindow(M()->GetWindowRef()); }));
    steps.push_back(Do(c.what, c.disturb));
    // A double-click's time later: the waiting update and the posted press were handled.
    steps.push_back(Then(std::string("check after ") + c.what,
                       [&c] { EXPECT_EQ(GrowBoxPixels(), "") << c.what; }));
  }
  steps.push_back(Quit());
  Run(steps);
  EXPECT_FALSE(forcedEnd_);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace app_test
