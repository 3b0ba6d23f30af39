// Event parameters: types, the toolbox's coercions, buffer sizes, stored events; retain counts
// and the classic record of an event.
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using EventParameters = UiTest;

template <typename T>
std::vector<UInt8> Bytes(T value) {
  std::vector<UInt8> b(sizeof value);
  std::memcpy(b.data(), &value, sizeof value);
  return b;
}

std::vector<UInt8> Text(const char* s) {
  return std::vector<UInt8>(s, s + std::strlen(s));
}

std::vector<UInt8> Utf16(std::u16string s) {
  std::vector<UInt8> b(s.size() * 2);
  if (!s.empty()) std::memcpy(b.data(), s.data(), b.size());
  return b;
}

struct CoercionCase {
  EventParamType stored;
  std::vector<UInt8> data;
  EventParamType desired;
  OSStatus result;
  std::vector<UInt8> expected;
  const char* why;
};

TEST_F(EventParameters, ReadingWithAnotherTypeCoercesOnlyWhereTheValueSurvives) {
  const std::vector<UInt8> kNo;
  const CoercionCase cases[] = {
      {typeUInt32, Bytes<UInt32>(5), typeSInt32, noErr, Bytes<SInt32>(5), "small unsigned"},
      {typeUInt32, Bytes<UInt32>(0x7FFFFFFF), typeSInt32, noErr, Bytes<SInt32>(0x7FFFFFFF), "max"},
      {typeUInt32, Bytes<UInt32>(0x80000000u), typeSInt32, errAECoercionFail, kNo, "max + 1"},
      {typeSInt32, Bytes<SInt32>(0), typeUInt32, noErr, Bytes<UInt32>(0), "zero to unsigned"},
      {typeSInt32, Bytes<SInt32>(-1), typeUInt32, errAECoercionFail, kNo, "negative to unsigned"},
      {typeSInt32, Bytes<SInt32>(-32768), typeSInt16, noErr, Bytes<SInt16>(-32768), "fits"},
      {typeSInt32, Bytes<SInt32>(32768), typeSInt16, errAECoercionFail, kNo, "just too far"},
      {typeUInt16, Bytes<UInt16>(65535), typeSInt64, noErr, Bytes<SInt64>(65535), "widening"},
      {typeBoolean, Bytes<UInt8>(1), typeSInt32, noErr, Bytes<SInt32>(1), "true is 1"},
      {typeSInt32, Bytes<SInt32>(2), typeBoolean, errAECoercionFail, kNo, "2 is no boolean"},
      {typeIEEE64BitFloatingPoint, Bytes<double>(2.0), typeSInt32, noErr, Bytes<SInt32>(2),
       "whole"},
      {typeIEEE64BitFloatingPoint, Bytes<double>(2.5), typeSInt32, errAECoercionFail, kNo,
       "fraction"},
      {typeSInt32, Bytes<SInt32>(7), typeIEEE64BitFloatingPoint, noErr, Bytes<double>(7.0),
       "to double"},
      {typeUInt16, std::vector<UInt8>{1}, typeUInt32, errAECoercionFail, kNo, "data too short"},
      {typeChar, Text("A\x82\xA0"), typeUnicodeText, noErr, Utf16(u"A\u3042"),
       "MacJapanese to UTF-16"},
      {typeUnicodeText, Utf16(u"\u3042Z"), typeChar, noErr, Text("\x82\xA0Z"),
       "UTF-16 to MacJapanese"},
      {typeUnicodeText, Utf16(u"\u0100"), typeChar, errAECoercionFail, kNo, "not in MacJapanese"},
      {typeQDPoint, Bytes<Point>(Pt(3, 4)), typeQDRectangle, errAECoercionFail, kNo, "records"},
      {typeWindowRef, Bytes<void*>(nullptr), typeUInt64, errAECoercionFail, kNo, "references"},
  };
  for (const CoercionCase& c : cases) {
    SCOPED_TRACE(c.why);
    EventRef event = NewEvent(kEventClassMouse, kEventMouseDown);
    ASSERT_EQ(SetEventParameter(event, SpFourCC("test"), c.stored, ByteCount(c.data.size()),
                                c.data.data()),
              noErr);
    std::vector<UInt8> out(32, 0xEE);
    EventParamType actualType = 0;
    ByteCount actualSize = 0;
    OSStatus err = GetEventParameter(event, SpFourCC("test"), c.desired, &actualType,
                                     ByteCount(out.size()), &actualSize, out.data());
    EXPECT_EQ(err, c.result);
    if (err == noErr) {
      EXPECT_EQ(actualType, c.desired);
      ASSERT_EQ(actualSize, c.expected.size());
      out.resize(actualSize);
      EXPECT_EQ(out, c.expected);
    }
    ReleaseEvent(event);
  }
}

TEST_F(EventParameters, WildCardReadsAsStoredAndSmallBuffersGetWhatFits) {
  EventRef event = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  const UInt32 code = 0x24;
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof code, &code);
  EventParamType type = 0;
  UInt32 out = 0;
  EXPECT_EQ(GetEventParameter(event, kEventParamKeyCode, typeWildCard, &type, 4, nullptr, &out),
            noErr);
  EXPECT_TRUE(type == typeUInt32 && out == 0x24u);
  EXPECT_EQ(
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, &out),
      eventParameterNotFoundErr);
  // A small buffer gets what fits and the full size is reported; also with no buffer.
  const char text[] = "\x93\xFA\x96\x7B\x8C\xEA";  // three two-byte characters
  SetEventParameter(event, kEventParamTextInputSendText, typeChar, 6, text);
  char buffer[5] = {0, 0, 0, 0, 'x'};
  ByteCount size = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 4, &size, buffer),
      noErr);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(buffer, 5), std::string(text, 4) + "x");
  size = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 0, &size, nullptr),
      noErr);
  EXPECT_EQ(size, 6u);
  ReleaseEvent(event);
}

TEST_F(EventParameters, EventsLiveUntilTheLastReleaseOrTheParameterHoldingThemGoes) {
  EventRef inner = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  EventRef outer = NewEvent(kEventClassTextInput, kEventTextInputUnicodeForKeyEvent);
  ASSERT_EQ(SetEventParameter(outer, kEventParamTextInputSendKeyboardEvent, typeEventRef,
                              sizeof inner, &inner),
            noErr);
  EXPECT_EQ(GetEventRetainCount(inner), 2u);
  ReleaseEvent(inner);
  EXPECT_EQ(
      GetEventClass(Param<EventRef>(outer, kEventParamTextInputSendKeyboardEvent, typeEventRef)),
      kEventClassKeyboard)
      << "still alive";
  ReleaseEvent(outer);  // frees both; the sanitizer reports a leak otherwise
  // An event may not hold itself; a stale one is refused instead of followed.
  EventRef self = NewEvent(kEventClassKeyboard, kEventRawKeyDown);
  EXPECT_EQ(SetEventParameter(self, SpFourCC("self"), typeEventRef, sizeof self, &self), paramErr);
  ReleaseEvent(self);
  EXPECT_EQ(GetEventKind(self), 0u);
  EXPECT_EQ(SetEventParameter(self, SpFourCC("test"), typeUInt32, 0, nullptr), paramErr);
  ReleaseEvent(self);
}

struct RecordCase {
  UInt32 cls, kind;
  EventKind what;
  bool classic;
};

TEST_F(EventParameters, ClassicRecordsCarryKindMessageWhereAndModifiers) {
  const RecordCase cases[] = {
      {kEventClassMouse, kEventMouseDown, mouseDown, true},
      {kEventClassMouse, kEventMouseUp, mouseUp, true},
      {kEventClassKeyboard, kEventRawKeyDown, keyDown, true},
      {kEventClassKeyboard, kEventRawKeyRepeat, autoKey, true},
      {kEventClassKeyboard, kEventRawKeyUp, keyUp, true},
      {kEventClassMouse, kEventMouseDragged, nullEvent, false},
      {kEventClassCommand, kEventCommandProcess, nullEvent, false},
  };
  for (const RecordCase& c : cases) {
    EventRef event = NewEvent(c.cls, c.kind);
    Point where = Pt(33, 44);
    UInt32 modifiers = cmdKey | shiftKey;
    UInt8 charCode = 'a';
    UInt32 keyCode = 0x26;
    SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    if (c.cls == kEventClassKeyboard) {
      SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &charCode);
      SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
    }
    EventRecord record = {};
    EXPECT_EQ(ConvertEventRefToEventRecord(event, &record), Boolean(c.classic));
    EXPECT_EQ(record.what, c.what);
    EXPECT_TRUE(record.where.h == 33 && record.where.v == 44);
    EXPECT_EQ(record.modifiers & (cmdKey | shiftKey), cmdKey | shiftKey);
    EXPECT_EQ(record.when, TickCount());
    EXPECT_EQ(record.message, c.cls == kEventClassKeyboard ? 'a' + 0x26ul * 256 : 0ul);
    // The button-state bit is set while the button is up: clear only in a press.
    EXPECT_EQ(record.modifiers & btnState, c.what == mouseDown ? 0 : btnState);
    ReleaseEvent(event);
  }
}

}  // namespace
}  // namespace ui_test
