// The application's activation, window and command handlers, and the conversion of typed
// Unicode text.
#include <gtest/gtest.h>

#include "CarbonHandlersTestSupport.h"

namespace fw_events_test {
namespace {


// An event of the class and kind to the target; its direct object the window, or the command
// when there is no window.
OSStatus Send(UInt32 cls, UInt32 kind, EventTargetRef target, WindowRef window = nullptr,
              const HICommand* command = nullptr) {
  EventRef event = nullptr;
  EXPECT_EQ(CreateEvent(nullptr, cls, kind, 0, kEventAttributeNone, &event), noErr);
  if (window != nullptr) {
    SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  }
  if (command != nullptr) {
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof *command, command);
  }
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

// ---- Activation -----------------------------------------------------------------------------

int gResumeCalls = 0;
int gSuspendCalls = 0;
void ResumeProc(unsigned long) {
  ++gResumeCalls;
}
void SuspendProc(unsigned long) {
  ++gSuspendCalls;
  // The suspend registry runs with mouse tracing already paused.
  Log().push_back("suspend");
}

class ActivationTest : public FrameworkEventsTest {
 protected:
  void SetUp() override {
    FrameworkEventsTest::SetUp();
    Sp_SetupResumeEventProcedure(ResumeProc, 10, 0, &resumeRef_);
    Sp_SetupSuspendEventProcedure(SuspendProc, 10, 0, &suspendRef_);
    gResumeCalls = gSuspendCalls = 0;
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
  }
  void TearDown() override {
    RemoveRegistryEntry(resumeEventProcDef_GlV, resumeRef_);
    RemoveRegistryEntry(suspendEventProcDef_GlV, suspendRef_);
    FrameworkEventsTest::TearDown();
  }

  unsigned long resumeRef_ = 0;
  unsigned long suspendRef_ = 0;
};

TEST_F(ActivationTest, ActivationRunsTheRegistriesSwitchesTracingAndStillLetsTheToolboxRun) {
  // Deactivated: suspend registry, tracing off, flags down; the toolbox's own handling still
  // runs (the handler answers "not handled").
  // "suspend resume tracing-off front in-font" after each event.
  const auto state = [] {
    return std::to_string(gSuspendCalls) + " " + std::to_string(gResumeCalls) + " " +
           std::to_string(Sp_IsMouseTraceDisabled()) + " " +
           std::to_string(SpGetFrontApplicationFlag()) + " " +
           std::to_string(inApplicationFontNowFlag_GlV);
  };
  EXPECT_EQ(Send(kEventClassApplication, kEventAppDeactivated, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(state(), "1 0 1 0 0");
  EXPECT_EQ(Send(kEventClassApplication, kEventAppActivated, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(state(), "1 1 0 1 1");
}

// ---- Window update and close ----------------------------------------------------------------

TEST_F(FrameworkEventsTest, WindowHandlersLeaveWhatIsNotTheirsToTheToolbox) {
  RecordingWindow* a = AddWindow("A");
  const EventTargetRef target = GetWindowEventTarget(a->GetWindowRef());
  WindowAttributes attributes = 0;
  GetWindowAttributes(a->GetWindowRef(), &attributes);
  EXPECT_NE(attributes & kWindowStandardHandlerAttribute, 0u);

  EXPECT_EQ(Send(kEventClassWindow, kEventWindowUpdate, target, a->GetWindowRef()), noErr);
  // Without the window parameter neither handler can act.
  EXPECT_EQ(Send(kEventClassWindow, kEventWindowUpdate, target), eventNotHandledErr);
  EXPECT_EQ(Send(kEventClassWindow, kEventWindowClose, target), eventNotHandledErr);
  EXPECT_TRUE(a->IsOpen());

  // A toolbox window that is no framework window is not closed by the framework.
  Rect bounds = {50, 50, 150, 250};
  WindowRef plain = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &plain), noErr);
  Sp_SetupWindowEvent(plain);
  EXPECT_EQ(Send(kEventClassWindow, kEventWindowClose, GetWindowEventTarget(plain), plain),
            eventNotHandledErr);
}

// ---- Menu commands --------------------------------------------------------------------------

std::vector<EventKind> gFirstCallKinds;
unsigned char WatchFirstCall(EventRecord* event, unsigned long) {
  gFirstCallKinds.push_back(event->what);
  return 1;  // asks to take it; a menu command cannot be stopped
}

OSStatus SendCommand(UInt32 commandID, MenuItemIndex item) {
  HICommand command = {};
  command.commandID = commandID;
  command.menu.menuItemIndex = item;
  return Send(kEventClassCommand, kEventCommandProcess, GetApplicationEventTarget(), nullptr,
              &command);
}

TEST_F(FrameworkEventsTest, MenuChoiceIsShownToFirstCallProceduresAsAKeyDown) {
  const EventTypeSpec spec = {kEventClassCommand, kEventCommandProcess};
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), Sp_CatchMenuCommandEventProc, 1, &spec,
                                nullptr, nullptr),
            noErr);
  SInt32 refNum = 0;
  ASSERT_EQ(Sp_SetupFirstCallProcPtr(WatchFirstCall, 0, &refNum), 1);
  gFirstCallKinds.clear();
  // A choice of a menu item (index 3) and a command without an item.
  EXPECT_EQ(SendCommand(SpFourCC("zzzz"), 3), eventNotHandledErr);
  EXPECT_EQ(SendCommand(SpFourCC("zzzz"), 0), eventNotHandledErr);
  EXPECT_EQ(gFirstCallKinds, (std::vector<EventKind>{keyDown}));
  // The event without its command is not read as one.
  EXPECT_EQ(Send(kEventClassCommand, kEventCommandProcess, GetApplicationEventTarget()),
            eventNotHandledErr);
  EXPECT_EQ(Sp_DeleteFirstCallProcPtr(refNum), 1);
}

// ---- Typed Unicode to MacJapanese -----------------------------------------------------------

TEST(UnicodeToShiftJISTest, ResultMustFitTheCallersBufferExactly) {
  // "aあ" is 1 + 2 bytes of MacJapanese.
  const unsigned short text[] = {0x0061, 0x3042};
  struct Case {
    long outMax;
    unsigned char expected;
  };
  for (const Case c : {Case{4, 1}, Case{3, 1}, Case{2, 0}, Case{0, 0}}) {
    SCOPED_TRACE(c.outMax);
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(Sp_UnicodeToShiftJIS(text, sizeof text, out, c.outMax), c.expected);
    if (c.expected != 0) {
      EXPECT_EQ(std::string(out, 3), "a\x82\xA0");
      EXPECT_EQ(out[3], '#') << "no terminating zero is added";
    } else {
      EXPECT_EQ(std::string(out, 8), std::string(8, '#')) << "a failure leaves out untouched";
    }
  }
}

// The converter is kept for the run, yet each text is converted alone: a byte-order mark
// opening one text is dropped, and another text later opening with one gets the same.
TEST(UnicodeToShiftJISTest, EachTextMayOpenWithAByteOrderMarkOfItsOwn) {
  const struct {
    std::vector<unsigned short> text;
    const char* converted;
  } texts[] = {
      {{0xFEFF, 0x0061}, "a"},
      {{0x0062}, "b"},
      {{0xFEFF, 0x3042}, "\x82\xA0"},
  };
  for (const auto& t : texts) {
    char out[8] = {};
    ASSERT_EQ(Sp_UnicodeToShiftJIS(t.text.data(), 2 * t.text.size(), out, sizeof out), 1)
        << t.converted;
    EXPECT_STREQ(out, t.converted);
  }
}

}  // namespace
}  // namespace fw_events_test
