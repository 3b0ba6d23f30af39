// Text services: the byte splice, update records, the inline target's switching with the
// confirmations it causes, and the update requests the input method sends, hostile ones too.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpEventToolsClass.h"
#include "TestTextServices.h"
#include "TextServiceRecorder.h"

namespace edit_test {
namespace {

using sp_test_support::Range;
using sp_test_support::Ranges;
using sp_test_support::RecordingTarget;
using Update = sp_test_support::RecordedUpdate;

// A {'text', 1} request as the input method sends it: the ranges as raw bytes, so that their
// counts and sizes can lie.
struct RawUpdate {
  std::u16string text;
  bool hasFix = false;
  SInt32 fix = 0;
  std::vector<UInt8> hilites;
  std::vector<UInt8> updateRanges;
  std::vector<UInt8> clauses;
};

std::vector<UInt8> RangeBytes(SInt16 count, const std::vector<TextRange>& ranges) {
  std::vector<UInt8> out(2 + 10 * ranges.size());
  std::memcpy(out.data(), &count, 2);
  for (std::size_t i = 0; i < ranges.size(); ++i) std::memcpy(&out[2 + 10 * i], &ranges[i], 10);
  return out;
}

std::vector<UInt8> OffsetBytes(SInt16 count, const std::vector<SInt32>& offsets) {
  std::vector<UInt8> out(2 + 4 * offsets.size());
  std::memcpy(out.data(), &count, 2);
  for (std::size_t i = 0; i < offsets.size(); ++i) std::memcpy(&out[2 + 4 * i], &offsets[i], 4);
  return out;
}

OSStatus Send(const RawUpdate& u) {
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassTextInput, kEventTextInputUpdateActiveInputArea, 0, 0, &event);
  SetEventParameter(event, kEventParamTextInputSendText, typeUnicodeText,
                    ByteCount(u.text.size() * 2), u.text.data());
  if (u.hasFix) SetEventParameter(event, kEventParamTextInputSendFixLen, typeSInt32, 4, &u.fix);
  if (!u.hilites.empty()) {
    SetEventParameter(event, kEventParamTextInputSendHiliteRng, typeTextRangeArray,
                      u.hilites.size(), u.hilites.data());
  }
  if (!u.updateRanges.empty()) {
    SetEventParameter(event, kEventParamTextInputSendUpdateRng, typeTextRangeArray,
                      u.updateRanges.size(), u.updateRanges.data());
  }
  if (!u.clauses.empty()) {
    SetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray,
                      u.clauses.size(), u.clauses.data());
  }
  const OSStatus status = SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return status;
}

class TextServiceTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    SpTextServiceInitialize();
  }
  RecordingTarget* Target(const Rect& area) {
    targets_.emplace_back(new RecordingTarget(window_, area));
    return targets_.back().get();
  }
  void TearDown() override {
    targets_.clear();
    EditTextFixture::TearDown();
  }
  std::vector<std::unique_ptr<RecordingTarget>> targets_;
};

// ---- The splice ----

TEST(TextServiceSplice, ReplacesTheRangeKeepsWhatFollowsAndHoldsHostileRangesToTheText) {
  struct Case {
    const char* why;
    const char* dest;
    TextRange destRange;
    const char* src;
    TextRange srcRange;
    const char* expected;
  } cases[] = {
      {"a 4-byte range of 10 bytes by 2 bytes", "0123456789", {3, 7, 0}, "ab", {0, 2, 0},
       "012ab789"},
      {"the empty range at the end appends", "abc", {3, 3, 0}, "de", {0, 2, 0}, "abcde"},
      {"a longer piece moves the rest up", "abcdef", {1, 2, 0}, "XYZ", {0, 3, 0}, "aXYZcdef"},
      {"ranges past both texts are held to them", "abc", {2, 9, 0}, "xy", {-3, 7, 0}, "abxy"},
      {"a start after the end is an empty range", "abcdef", {4, 1, 0}, "Z", {0, 1, 0},
       "abcdZef"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    char buffer[64] = {};
    std::strcpy(buffer, c.dest);
    TextRange d = c.destRange, s = c.srcRange;
    SInt32 length = -1;
    SpTextServiceCutAndSetString(buffer, d, c.src, s, &length);
    EXPECT_STREQ(buffer, c.expected);
    EXPECT_EQ(length, SInt32(std::strlen(c.expected)));
  }
}

// ---- Update records ----

TEST(TextServiceRecord, HiliteRangesAreNumberedInOrderAndTheOneByteClampLeavesTheOldRange) {
  cTSO_UpdateData data;
  for (SInt16 style : {2, 3, 5}) data.AddHiliteRange(TextRange{0, 1, style});
  TextRange r;
  ASSERT_TRUE(data.GetHiliteRangeListItem(3, r));
  EXPECT_EQ(r.fHiliteStyle, 5);
  EXPECT_FALSE(data.GetHiliteRangeListItem(0, r));
  EXPECT_FALSE(data.GetHiliteRangeListItem(4, r));

  data.SetupEditString("a", 1);
  data.SetupUpdateOldPoist(TextRange{0, 2, 0});
  data.SetupUpdateNewPosit(TextRange{0, 2, 0});
  data.ModifyHiCharLengthFromStringLength();
  TextRange oldRange, newRange;
  data.GetUpdateOldPosit(oldRange);
  data.GetUpdatenewPosit(newRange);
  EXPECT_EQ(Range(newRange), "(0,1)");
  EXPECT_EQ(Range(oldRange), "(0,2)");

  char small[3];
  unsigned char overflow = 0;
  data.SetupEditString("abcd", 4);
  data.GetEditString(small, sizeof small, overflow);
  EXPECT_STREQ(small, "a");
  EXPECT_EQ(overflow, 1);
}

// ---- The inline target ----

int DisposeProcedureCount() {
  int count = 0;
  for (cEventInsertProcObj* e = quitAppProcDef_GlV; e != nullptr; e = e->GetNextObjectPtr())
    ++count;
  return count;
}

// Text services started and reset again and again (as a fuzzing run does for every input)
// leave neither handlers on the application target nor dispose procedures behind: before, each
// start left its four Carbon-event handlers installed, so every event ran past more of them.
TEST_F(TextServiceTest, ResetRemovesTheHandlersAndDisposeProcedureOfTheStart) {
  sp_testing::ResetTextServices();
  const int handlers = sp_testing::InstalledEventHandlerCount();
  const int disposers = DisposeProcedureCount();
  for (int round = 0; round < 3; ++round) {
    SpTextServiceInitialize();
    EXPECT_EQ(sp_testing::InstalledEventHandlerCount(), handlers + 4) << "round " << round;
    EXPECT_EQ(DisposeProcedureCount(), disposers + 1) << "round " << round;
    sp_testing::ResetTextServices();
    EXPECT_EQ(sp_testing::InstalledEventHandlerCount(), handlers) << "round " << round;
    EXPECT_EQ(DisposeProcedureCount(), disposers) << "round " << round;
  }
  // Started again, text services take input as before.
  SpTextServiceInitialize();
  RecordingTarget* target = Target(R(10, 10, 40, 200));
  target->EnableInlineInput(1);
  EXPECT_EQ(Send({u"\u3042", false, 0, {}, {}, {}}), noErr);
  EXPECT_FALSE(target->updates.empty());
}

TEST_F(TextServiceTest, ANewTargetFirstConfirmsTheTextTheOldOneWasComposing) {
  RecordingTarget* a = Target(R(10, 10, 40, 200));
  RecordingTarget* b = Target(R(50, 10, 80, 200));
  a->EnableInlineInput(1);
  sp_testing::PostPreedit("\xE3\x81\x8B\xE3\x81\xAA", 2);  // "kana"
  sp_testing::PumpPending();
  ASSERT_EQ(a->updates.size(), 1u);
  b->EnableInlineInput(1);
  ASSERT_EQ(a->updates.size(), 2u);
  EXPECT_EQ(a->updates[1].text, "\x82\xA9\x82\xC8");
  EXPECT_EQ(a->updates[1].fixed, 4);
  EXPECT_TRUE(b->CheckTextActiveInputTarget());
  EXPECT_FALSE(a->CheckTextActiveInputTarget());
  EXPECT_TRUE(b->updates.empty());
  EXPECT_EQ(SpSO_GetStringLen(textServiceMgr_GlV->GetPendingString()), 0);
}

TEST_F(TextServiceTest, AClickOutsideTheInputAreaOrInAnotherWindowConfirmsAndOneInsideKeeps) {
  struct Case {
    const char* why;
    bool otherWindow;
    Point local;
    bool confirms;
  } cases[] = {
      {"inside the input area", false, Pt(20, 20), false},
      {"elsewhere in the window", false, Pt(20, 150), true},
      {"in another window", true, Pt(20, 20), true},
  };
  WindowRef other = NewWindowAt(R(450, 100, 550, 300));
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    t->updates.clear();
    sp_testing::PostPreedit("\xE3\x81\x82", 1);
    sp_testing::PumpPending();
    const WindowRef window = c.otherWindow ? other : window_;
    Point global = c.local;
    SetPortWindowPort(window);
    LocalToGlobal(&global);
    SpTS_MouseDownProcedure(window, global);
    ASSERT_EQ(t->updates.size(), c.confirms ? 2u : 1u);
    if (c.confirms) {
      EXPECT_EQ(t->updates.back().fixed, 2);
    } else {
      sp_testing::PostCommit("\xE3\x81\x82");
    }
    sp_testing::PumpPending();
  }
}

TEST_F(TextServiceTest, SuspendConfirmsTheTextAndResumeGivesTheInputBackInline) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  sp_testing::PumpPending();
  SpTS_SuspendProcedure();
  ASSERT_EQ(t->updates.size(), 2u);
  EXPECT_EQ(t->updates[1].fixed, 2);
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
  SpTS_ResumeProcedure();
  EXPECT_FALSE(sp_testing::InputMethodUsesOwnWindow());
  t->EnableInlineInput(0);
  EXPECT_TRUE(sp_testing::InputMethodUsesOwnWindow());
}

TEST_F(EditTextFixture, WithoutTextServicesNoHookActsAndThePreeditStaysTheInputMethods) {
  RecordingTarget t(window_, R(10, 10, 40, 200));
  t.EnableInlineInput(1);
  EXPECT_EQ(SpTS_EnableCursorChange(Pt(20, 20)), 0);
  EXPECT_EQ(textServiceMgr_GlV->GetTSMDocument(), nullptr);
  sp_testing::PostPreedit("\xE3\x81\x82", 1);
  EXPECT_TRUE(sp_testing::InputMethodUsesOwnWindow());
  EXPECT_FALSE(sp_testing::InputMethodComposingInline());
  SpTS_SuspendProcedure();
  EXPECT_TRUE(t.updates.empty());
}

// ---- The input method's updates ----

TEST_F(TextServiceTest, PreeditAndCommitBecomeUpdatesOfTheTextWithItsSegmentAndCaret) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  sp_testing::PostPreedit("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86", 1, 1, 1);  // a i u, "i" marked
  sp_testing::PostPreedit("\xE3\x81\x82\xE3\x81\x84", 2);
  sp_testing::PostCommit("\xE6\x84\x9B");  // a kanji
  sp_testing::PumpPending();
  ASSERT_EQ(t->updates.size(), 3u);
  const Update& first = t->updates[0];
  EXPECT_EQ(first.text, "\x82\xA0\x82\xA2\x82\xA4");
  EXPECT_EQ(first.fixed, 0);
  EXPECT_EQ(Ranges(first.hilites), "(2,4,5)(2,2,1)");
  EXPECT_EQ(Range(first.oldRange) + Range(first.newRange), "(0,0)(0,6)");
  EXPECT_EQ(first.clauses, (std::vector<SInt32>{0, 2, 4, 6}));
  const Update& second = t->updates[1];
  EXPECT_EQ(Ranges(second.hilites), "(0,4,2)(4,4,1)");
  EXPECT_EQ(Range(second.oldRange) + Range(second.newRange), "(0,6)(0,4)");
  const Update& commit = t->updates[2];
  EXPECT_EQ(commit.text, "\x88\xA4");
  EXPECT_EQ(commit.fixed, 2);
  EXPECT_EQ(Range(commit.oldRange) + Range(commit.newRange), "(0,4)(0,2)");
  EXPECT_EQ(SpSO_GetStringLen(textServiceMgr_GlV->GetPendingString()), 0);
}

TEST_F(TextServiceTest, AnUpdateThatWouldSplitATwoByteCharacterIsWidenedToWholeCharacters) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  const std::u16string ai = u"\u3042\u3044";  // MacJapanese 82 A0 82 A2
  RawUpdate setup{ai, false, 0, {}, RangeBytes(2, {{0, 0, 0}, {0, 4, 0}}), {}};
  ASSERT_EQ(Send(setup), noErr);
  struct Case {
    const char* why;
    TextRange oldRange, newRange;
    const char* expectedOld;
    const char* expectedNew;
  } cases[] = {
      {"ending inside a character widens both ends by one", {0, 3, 0}, {0, 3, 0}, "(0,4)",
       "(0,4)"},
      {"starting on a second byte moves back one", {3, 4, 0}, {3, 4, 0}, "(2,4)", "(2,4)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    RawUpdate u{ai, false, 0, {}, RangeBytes(2, {c.oldRange, c.newRange}), {}};
    ASSERT_EQ(Send(u), noErr);
    EXPECT_EQ(Range(t->updates.back().oldRange), c.expectedOld);
    EXPECT_EQ(Range(t->updates.back().newRange), c.expectedNew);
  }
}

TEST_F(TextServiceTest, HostileRangesAndCountsAreHeldToWhatWasSent) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  RawUpdate u;
  u.text = std::u16string(u"abcd", 4);
  u.hasFix = true;
  u.fix = 99;
  // Five hilite ranges claimed, one sent, reaching past the text.
  u.hilites = RangeBytes(5, {{-4, 70, 2}});
  // Two update ranges claimed, one sent: no change of the pending text is made of it.
  u.updateRanges = RangeBytes(2, {{0, 4, 0}});
  // A thousand clause offsets claimed, two sent, one past the text.
  u.clauses = OffsetBytes(1000, {2, 500});
  ASSERT_EQ(Send(u), noErr);
  ASSERT_EQ(t->updates.size(), 1u);
  const Update& got = t->updates[0];
  EXPECT_EQ(got.fixed, 4);
  EXPECT_EQ(Ranges(got.hilites), "(0,4,2)");
  EXPECT_EQ(Range(got.oldRange) + Range(got.newRange), "(0,0)(0,0)");
  EXPECT_EQ(got.clauses, (std::vector<SInt32>{2, 4}));

  // Update ranges beyond both texts splice only what is there.
  RawUpdate far{u"xy", false, 0, {}, RangeBytes(2, {{7, 40, 0}, {-5, 30, 0}}), {}};
  ASSERT_EQ(Send(far), noErr);
  EXPECT_EQ(Range(t->updates.back().oldRange) + Range(t->updates.back().newRange), "(0,0)(0,2)");
  EXPECT_EQ(SpSO_GetStringLen(textServiceMgr_GlV->GetPendingString()), 2);
}

// An input method that only ever adds to the unconfirmed text: it is held to its newest
// 4,096 bytes, exactly at the limit and one byte past it.
TEST_F(TextServiceTest, PendingTextGrowsToItsLimitAndThenKeepsItsNewestBytes) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  auto pending = [] {
    const sSO_StringObjectBase* s = textServiceMgr_GlV->GetPendingString();
    std::vector<char> buffer(std::size_t(SpSO_GetStringLen(s)) + 2, 0);
    unsigned char cut = 0;
    SpSO_GetString(s, buffer.data(), SInt32(buffer.size()), cut);
    return std::string(buffer.data(), std::size_t(SpSO_GetStringLen(s)));
  };
  std::string sent;
  const struct {
    std::size_t added;
    std::size_t held;
  } steps[] = {{256, 256}, {3839, 4095}, {1, 4096}, {1, 4096}, {256, 4096}};
  char letter = 'A';
  for (const auto& step : steps) {
    SCOPED_TRACE(sent.size() + step.added);
    std::string added;
    for (std::size_t i = 0; i < step.added; ++i) added += char(letter + i % 7);
    ++letter;
    // Sent in pieces the event's text holds, each appended to what is pending.
    for (std::size_t at = 0; at < added.size(); at += 256) {
      const std::string piece = added.substr(at, 256);
      const SInt32 before = SInt32(std::min<std::size_t>(sent.size(), 4096));
      RawUpdate u{std::u16string(piece.begin(), piece.end()), false, 0, {},
                  RangeBytes(2, {{before, before, 0}, {0, SInt32(piece.size()), 0}}), {}};
      ASSERT_EQ(Send(u), noErr);
      sent += piece;
    }
    EXPECT_EQ(pending().size(), step.held);
    EXPECT_EQ(pending(), sent.substr(sent.size() - step.held)) << "the newest bytes";
  }
}

TEST_F(TextServiceTest, AnAppleEventRequestNamingAnotherManagerIsIgnored) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  auto request = [](URefCon refcon, SInt32 fix) {
    const ProcessSerialNumber self = {0, kCurrentProcess};
    AEAddressDesc target = {typeNull, nullptr};
    AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
    AppleEvent event = {typeNull, nullptr};
    AECreateAppleEvent(kTextService, kUpdateActiveInputArea, &target, kAutoGenerateReturnID,
                       kAnyTransactionID, &event);
    AEDisposeDesc(&target);
    AEPutParamPtr(&event, keyAETSMDocumentRefcon, typeRefCon, &refcon, sizeof refcon);
    AEPutParamPtr(&event, keyAETheData, typeChar, "ab", 2);
    AEPutParamPtr(&event, keyAEFixLength, typeSInt32, &fix, sizeof fix);
    const OSErr err = SpTSMUpdateActiveInputAreaHandleProc(&event, nullptr, 0);
    AEDisposeDesc(&event);
    return err;
  };
  EXPECT_EQ(request(0x1234, -1), noErr);
  EXPECT_TRUE(t->updates.empty());
  EXPECT_EQ(request(reinterpret_cast<URefCon>(textServiceMgr_GlV), -1), noErr);
  ASSERT_EQ(t->updates.size(), 1u);
  EXPECT_EQ(t->updates[0].fixed, 2);
}

TEST_F(TextServiceTest, PositionRequestsTellAnOffsetOutsideTheViewAndRefuseAMissingParameter) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  auto event = [](AEEventID id) {
    const ProcessSerialNumber self = {0, kCurrentProcess};
    AEAddressDesc target = {typeNull, nullptr};
    AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
    AppleEvent e = {typeNull, nullptr};
    AECreateAppleEvent(kTextService, id, &target, kAutoGenerateReturnID, kAnyTransactionID, &e);
    AEDisposeDesc(&target);
    const URefCon refcon = reinterpret_cast<URefCon>(textServiceMgr_GlV);
    AEPutParamPtr(&e, keyAETSMDocumentRefcon, typeRefCon, &refcon, sizeof refcon);
    return e;
  };
  // Offset to position: the reply's error number says whether the offset is shown.
  for (const bool shown : {true, false}) {
    SCOPED_TRACE(shown);
    t->offsetShown = shown;
    AppleEvent request = event(kOffset2Pos), reply = event(kOffset2Pos);
    const SInt32 offset = 3;
    AEPutParamPtr(&request, keyAEOffset, typeSInt32, &offset, sizeof offset);
    EXPECT_EQ(SpTSMOffset2PosConvHandleProc(&request, &reply, 0), noErr);
    SInt16 error = 1;
    EXPECT_EQ(AEGetParamPtr(&reply, keyErrorNumber, typeSInt16, nullptr, &error, sizeof error,
                            nullptr),
              noErr);
    EXPECT_EQ(error, shown ? SInt16(noErr) : SInt16(errOffsetIsOutsideOfView));
    AEDisposeDesc(&request);
    AEDisposeDesc(&reply);
  }
  // Position to offset: without its point or its dragging flag the request fails and nothing
  // is answered.
  Point global = Pt(20, 20);
  SetPortWindowPort(window_);
  LocalToGlobal(&global);
  const Boolean dragging = 0;
  const struct {
    bool point, drag;
    OSErr result;
  } cases[] = {{true, true, noErr}, {false, true, errAEDescNotFound}, {true, false, errAEDescNotFound}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.point) + std::to_string(c.drag));
    AppleEvent request = event(kPos2Offset), reply = event(kPos2Offset);
    if (c.point) AEPutParamPtr(&request, keyAECurrentPoint, typeQDPoint, &global, sizeof global);
    if (c.drag) AEPutParamPtr(&request, keyAEDragging, typeBoolean, &dragging, sizeof dragging);
    EXPECT_EQ(SpTSMPos2OffsetConvHandleProc(&request, &reply, 0), c.result);
    SInt16 regionClass = 0;
    EXPECT_EQ(AEGetParamPtr(&reply, keyAERegionClass, typeSInt16, nullptr, &regionClass,
                            sizeof regionClass, nullptr) == noErr,
              c.result == noErr);
    if (c.result == noErr) {
      EXPECT_EQ(regionClass, kTSMInsideOfActiveInputArea);
    }
    AEDisposeDesc(&request);
    AEDisposeDesc(&reply);
  }
}

TEST_F(TextServiceTest, TextTheProgramCannotHoldIsRefusedWholeAndReachesNoField) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  const struct {
    std::u16string text;
    OSStatus result;
  } cases[] = {
      {u"ab", noErr},
      {u"a\U0001F600", paramErr},  // no MacJapanese code for it
      {u"\U0001F600b", paramErr},
  };
  for (const auto& c : cases) {
    t->updates.clear();
    RawUpdate u{c.text, true, -1, {}, {}, {}};
    EXPECT_EQ(Send(u), c.result);
    EXPECT_EQ(t->updates.size(), c.result == noErr ? 1u : 0u);
  }
}

TEST_F(TextServiceTest, APositionInAWindowBehindTheFrontOneIsOutsideTheBody) {
  RecordingTarget* t = Target(R(10, 10, 40, 200));
  t->EnableInlineInput(1);
  Point global = Pt(20, 20);
  SetPortWindowPort(window_);
  LocalToGlobal(&global);
  auto ask = [&global](SInt16* regionClass) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassTextInput, kEventTextInputPosToOffset, 0, 0, &event);
    SetEventParameter(event, kEventParamTextInputSendCurrentPoint, typeQDPoint, sizeof global,
                      &global);
    const Boolean dragging = 0;
    SetEventParameter(event, kEventParamTextInputSendDraggingMode, typeBoolean, 1, &dragging);
    SendEventToEventTarget(event, GetApplicationEventTarget());
    GetEventParameter(event, kEventParamTextInputReplyRegionClass, typeSInt16, nullptr, 2,
                      nullptr, regionClass);
    ReleaseEvent(event);
  };
  SInt16 regionClass = 0;
  ask(&regionClass);
  EXPECT_EQ(regionClass, kTSMInsideOfActiveInputArea);
  NewWindowAt(R(50, 50, 450, 450));  // in front, over the point
  ask(&regionClass);
  EXPECT_EQ(regionClass, kTSMOutsideOfBody);
}

}  // namespace
}  // namespace edit_test
