// The Text Services Manager's documents and the input method behind them: the preedit goes
// inline only to an active document that does not use the input window, commits become the
// right events, a fix commits at once, and a Roman-only keyboard switches the input method off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "Script.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestTextServices.h"
#include "TextServices.h"
#include "ui/internal/InputMethod.h"

namespace {

struct Seen {
  UInt32 kind;
  std::string text;  // MacJapanese
  SInt32 fix;
  std::string ranges;  // the update ranges, "(start,end)" each
};

std::vector<Seen>& SeenEvents() {
  static std::vector<Seen> seen;
  return seen;
}

std::string RangesOf(EventRef event, EventParamName name) {
  UInt8 data[64] = {};
  ByteCount size = 0;
  if (GetEventParameter(event, name, typeTextRangeArray, nullptr, sizeof data, &size, data) !=
      noErr) {
    return "";
  }
  SInt16 count = 0;
  std::memcpy(&count, data, 2);
  std::string out;
  for (SInt16 i = 0; i < count; ++i) {
    TextRange r;
    std::memcpy(&r, data + 2 + 10 * i, 10);
    out += "(" + std::to_string(r.fStart) + "," + std::to_string(r.fEnd) + ")";
  }
  return out;
}

OSStatus Record(EventHandlerCallRef, EventRef event, void*) {
  Seen s{GetEventKind(event), "", 0, ""};
  char text[2048] = {};
  ByteCount size = 0;
  GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, sizeof text - 1,
                    &size, text);
  s.text.assign(text, std::min<ByteCount>(size, sizeof text - 1));
  GetEventParameter(event, kEventParamTextInputSendFixLen, typeSInt32, nullptr, 4, nullptr,
                    &s.fix);
  s.ranges = RangesOf(event, kEventParamTextInputSendUpdateRng);
  SeenEvents().push_back(s);
  return noErr;
}

class TextServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_platform::input_method::Reset();
    SeenEvents().clear();
    const EventTypeSpec kinds[2] = {{kEventClassTextInput, kEventTextInputUpdateActiveInputArea},
                                    {kEventClassTextInput, kEventTextInputUnicodeForKeyEvent}};
    InstallEventHandler(GetApplicationEventTarget(), NewEventHandlerUPP(Record), 2, kinds,
                        nullptr, nullptr);
    const OSType types[1] = {kTextService};
    ASSERT_EQ(NewTSMDocument(1, types, &doc_, 77), noErr);
  }
  void TearDown() override {
    KeyScript(smKeyEnableKybds);
    sp_platform::input_method::Reset();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }
  void GoInline() {
    ASSERT_EQ(ActivateTSMDocument(doc_), noErr);
    ASSERT_EQ(UseInputWindow(doc_, false), noErr);
  }
  TSMDocumentID doc_ = nullptr;
};

TEST_F(TextServicesTest, ThePreeditGoesInlineOnlyToAnActiveDocumentWithoutTheInputWindow) {
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  EXPECT_TRUE(sp_testing::InputMethodUsesOwnWindow());
  ASSERT_EQ(ActivateTSMDocument(doc_), noErr);
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  sp_testing::PumpPending();
  EXPECT_TRUE(SeenEvents().empty());
  ASSERT_EQ(UseInputWindow(doc_, false), noErr);
  EXPECT_FALSE(sp_testing::InputMethodUsesOwnWindow());
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  sp_testing::PumpPending();
  ASSERT_EQ(SeenEvents().size(), 1u);
  EXPECT_EQ(SeenEvents()[0].kind, kEventTextInputUpdateActiveInputArea);
  EXPECT_EQ(SeenEvents()[0].text, "\x82\xA0");
  // Deactivated, the document's preedit is forgotten: the next text is typed text.
  ASSERT_EQ(DeactivateTSMDocument(doc_), noErr);
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
  EXPECT_EQ(DeactivateTSMDocument(doc_), tsmDocNotActiveErr);
  EXPECT_EQ(ActivateTSMDocument(reinterpret_cast<TSMDocumentID>(&doc_)), tsmInvalidDocIDErr);
}

TEST_F(TextServicesTest, ACommitEndsThePreeditAllFixedAndWithoutOneItIsTypedText) {
  GoInline();
  sp_testing::PostCommit("ab");
  sp_testing::PostPreedit("\xE3\x81\x8B\xE3\x81\xAA", 2);
  sp_testing::PostCommit("\xE4\xBB\xAE");  // a kanji
  sp_testing::PumpPending();
  ASSERT_EQ(SeenEvents().size(), 3u);
  EXPECT_EQ(SeenEvents()[0].kind, kEventTextInputUnicodeForKeyEvent);
  EXPECT_EQ(SeenEvents()[0].text, "ab");
  EXPECT_EQ(SeenEvents()[2].kind, kEventTextInputUpdateActiveInputArea);
  EXPECT_EQ(SeenEvents()[2].fix, 2);
  EXPECT_EQ(SeenEvents()[2].ranges, "(0,4)(0,2)");
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
}

TEST_F(TextServicesTest, AFixCommitsThePreeditBeforeItReturns) {
  GoInline();
  EXPECT_EQ(FixTSMDocument(doc_), noErr);  // nothing to fix
  sp_testing::PostPreedit("\xE3\x81\x82\xE3\x81\x84", 1);
  sp_testing::PumpPending();
  SeenEvents().clear();
  ASSERT_EQ(FixTSMDocument(doc_), noErr);
  ASSERT_EQ(SeenEvents().size(), 1u);
  EXPECT_EQ(SeenEvents()[0].text, "\x82\xA0\x82\xA2");
  EXPECT_EQ(SeenEvents()[0].fix, 4);
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
}

TEST_F(TextServicesTest, ARomanOnlyKeyboardSwitchesTheInputMethodOffUntilTheKeyboardsAreBack) {
  GoInline();
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  KeyScript(smKeyRoman);
  EXPECT_TRUE(sp_testing::InputMethodTextInputOn());
  KeyScript(smKeyDisableKybdSwitch);
  EXPECT_FALSE(sp_testing::InputMethodTextInputOn());
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
  EXPECT_EQ(GetScriptManagerVariable(smKeyScript), smRoman);
  sp_testing::PostPreedit("\xE3\x81\x84", 1);
  EXPECT_EQ(sp_testing::InputMethodPreedit(), "");
  KeyScript(smKeyEnableKybds);
  EXPECT_TRUE(sp_testing::InputMethodTextInputOn());
  EXPECT_EQ(GetScriptManagerVariable(smKeyScript), smJapanese);
  // Once the keyboards are back, Roman alone holds nothing, whichever way they were held.
  for (const SInt16 hold : {smKeyDisableKybdSwitch, smKeyDisableKybds}) {
    SCOPED_TRACE(hold);
    KeyScript(smKeyRoman);
    KeyScript(hold);
    EXPECT_FALSE(sp_testing::InputMethodTextInputOn());
    KeyScript(smKeyEnableKybds);
    EXPECT_EQ(GetScriptManagerVariable(smKeyDisableState), 0);
    KeyScript(smKeyRoman);
    EXPECT_TRUE(sp_testing::InputMethodTextInputOn());
    KeyScript(smKeySysScript);
  }
}

TEST_F(TextServicesTest, ALongCommitGoesInPiecesAndUnknownCharactersCountAsOneByte) {
  GoInline();
  sp_testing::PostPreedit("a\xF0\x9F\x98\x80" "b", 3);  // an emoji MacJapanese cannot hold
  std::string long_;
  for (int i = 0; i < 300; ++i) long_ += "\xE3\x81\x82";
  sp_testing::PostCommit(long_);
  sp_testing::PumpPending();
  ASSERT_EQ(SeenEvents().size(), 3u);
  EXPECT_EQ(SeenEvents()[0].text, "a?b");
  EXPECT_EQ(SeenEvents()[1].fix, 512);
  EXPECT_EQ(SeenEvents()[1].ranges, "(0,3)(0,512)");
  EXPECT_EQ(SeenEvents()[2].fix, 88);
  EXPECT_EQ(SeenEvents()[2].ranges, "(0,0)(0,88)");
}

}  // namespace
