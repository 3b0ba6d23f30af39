// A key nobody takes goes on as typed text, as the text services did.
#include "EventsFixture.h"

namespace {

struct TypedText {
  std::string text;
  bool carriesKeyEvent = false;
  int count = 0;
};

OSStatus CatchText(EventHandlerCallRef, EventRef event, void* userData) {
  TypedText* seen = static_cast<TypedText*>(userData);
  char buffer[16] = {0};
  ByteCount size = 0;
  GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, sizeof buffer, &size,
                    buffer);
  seen->text.assign(buffer, size);
  EventRef key = nullptr;
  seen->carriesKeyEvent = GetEventParameter(event, kEventParamTextInputSendKeyboardEvent,
                                            typeEventRef, nullptr, sizeof key, nullptr,
                                            &key) == noErr && key != nullptr;
  ++seen->count;
  return noErr;
}

OSStatus TakeKey(EventHandlerCallRef, EventRef, void*) { return noErr; }

class EventsTypedText : public events_test::EventsTest {};

TEST_F(EventsTypedText, AnUntakenKeyReachesTheFrontWindowAsTypedText) {
  WindowRef window = MakeWindow(10, 40, 210, 240);
  TypedText seen;
  EventTypeSpec text = {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent};
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(CatchText), 1,
                                &text, &seen, nullptr),
            noErr);
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.text, "a");
  EXPECT_TRUE(seen.carriesKeyEvent);
}

TEST_F(EventsTypedText, AKeyAHandlerTookMakesNoText) {
  WindowRef window = MakeWindow(10, 40, 210, 240);
  TypedText seen;
  EventTypeSpec text = {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent};
  EventTypeSpec key = {kEventClassKeyboard, kEventRawKeyDown};
  InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(CatchText), 1, &text,
                      &seen, nullptr);
  InstallEventHandler(GetApplicationEventTarget(), NewEventHandlerUPP(TakeKey), 1, &key, nullptr,
                      nullptr);
  sp_testing::PostKeyDown('a', 0);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(seen.count, 0);
}

}  // namespace
