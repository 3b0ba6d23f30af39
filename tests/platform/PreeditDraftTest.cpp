// The preedit an XIM server draws piece by piece: each draw changes the right characters and
// their feedback however the server states its offsets, runs of equal feedback become the
// clauses, and the clauses reach the active document as hilite ranges of their kinds with
// their bounds as the clause offsets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TextServices.h"
#include "ui/internal/InputMethod.h"
#include "ui/internal/PreeditDraft.h"

namespace {

using sp_platform::input_method::Clause;
using sp_platform::input_method::ClauseKind;
using sp_platform::input_method::PreeditDraft;

constexpr unsigned long kRev = sp_platform::input_method::kFeedbackReverse;
constexpr unsigned long kUnd = sp_platform::input_method::kFeedbackUnderline;

// The clauses as "start+length:kind" with kind r(aw), c(onverted), s(elected).
std::string Shown(const PreeditDraft& d) {
  std::string out;
  for (const Clause& c : d.Clauses()) {
    const char kind = c.kind == ClauseKind::kRaw ? 'r' : c.kind == ClauseKind::kConverted ? 'c' : 's';
    out += std::to_string(c.start) + "+" + std::to_string(c.length) + ":" + kind + " ";
  }
  return out + "^" + std::to_string(d.Caret());
}

struct DrawStep {
  const char* why;
  int caret, first, length;
  const char* text;  // null: no characters (removal, or feedback only)
  std::vector<unsigned long> feedback;
  bool feedbackOnly;
  const char* utf8After;
  const char* shownAfter;
};

TEST(PreeditDraftTest, DrawsChangeTheRightCharactersWhateverOffsetsTheServerStates) {
  const DrawStep steps[] = {
      {"typed kana are raw text", 3, 0, 0, "abc", {}, false, "abc", "0+3:r ^3"},
      {"conversion: a selected clause then a converted one", 3, 0, 3, "ABC",
       {kRev, kRev, kUnd}, false, "ABC", "0+2:s 2+1:c ^3"},
      {"the server moves the selection by feedback alone", 2, 0, 0, nullptr,
       {kUnd, kUnd, kRev}, true, "ABC", "0+2:c 2+1:s ^2"},
      {"feedback without reverse, underline or highlight is raw", 1, 1, 1, "x", {8}, false,
       "AxC", "0+1:c 1+1:r 2+1:s ^1"},
      {"a change past the end is held to the end", 9, 50, 7, "d", {kUnd}, false, "AxCd",
       "0+1:c 1+1:r 2+1:s 3+1:c ^4"},
      {"negative offsets are held to the start", -4, -3, 1, "e", {}, false, "exCd",
       "0+2:r 2+1:s 3+1:c ^0"},
      {"a removal without text", 1, 1, 2, nullptr, {}, false, "ed", "0+1:r 1+1:c ^1"},
      {"feedback only, longer than the text, changes what is there; highlight is selected", 0,
       1, 0, nullptr, {4, 4, 4}, true, "ed", "0+1:r 1+1:s ^0"},
      {"feedback shorter than the text leaves the rest raw", 2, 0, 2, "fgh", {kUnd}, false,
       "fgh", "0+1:c 1+2:r ^2"},
  };
  PreeditDraft draft;
  for (const DrawStep& s : steps) {
    SCOPED_TRACE(s.why);
    const std::u32string text =
        s.text != nullptr ? sp_platform::input_method::CodePointsOf(s.text) : std::u32string();
    draft.Draw(s.caret, s.first, s.length, text, s.feedback, s.feedbackOnly);
    EXPECT_EQ(draft.UTF8(), s.utf8After);
    EXPECT_EQ(Shown(draft), s.shownAfter);
  }
}

TEST(PreeditDraftTest, ALongOrHostilePreeditStaysBoundedAndCharactersSurviveTheRoundTrip) {
  PreeditDraft draft;
  // Characters outside the basic plane, a malformed byte and a lone surrogate's code point.
  draft.Draw(0, 0, 0, sp_platform::input_method::CodePointsOf("\xF0\x9F\x98\x80\xFF" "a"), {},
             false);
  EXPECT_EQ(draft.Length(), 3);
  EXPECT_EQ(draft.UTF8(), "\xF0\x9F\x98\x80\xEF\xBF\xBD" "a");
  draft.Draw(0, 3, 0, std::u32string(1, char32_t(0xD800)), {}, false);
  EXPECT_EQ(draft.UTF8(), "\xF0\x9F\x98\x80\xEF\xBF\xBD" "a\xEF\xBF\xBD");
  // At most kMaxCharacters are kept, whatever comes on top.
  const std::u32string many(PreeditDraft::kMaxCharacters + 10, U'x');
  draft.Draw(0, 0, 0, many, std::vector<unsigned long>(many.size(), kRev), false);
  EXPECT_EQ(std::size_t(draft.Length()), PreeditDraft::kMaxCharacters);
  draft.Draw(0, 0, 0, many, {}, false);
  EXPECT_EQ(std::size_t(draft.Length()), PreeditDraft::kMaxCharacters);
  draft.Clear();
  EXPECT_TRUE(draft.Empty());
  EXPECT_EQ(Shown(draft), "^0");
}

// ---- The clauses in the update ----

struct Update {
  std::string hilites;  // "(start,end,style)" each
  std::string clauses;  // offsets, comma after each
};

std::vector<Update>& Updates() {
  static std::vector<Update> updates;
  return updates;
}

OSStatus Record(EventHandlerCallRef, EventRef event, void*) {
  Update u;
  UInt8 data[256] = {};
  if (GetEventParameter(event, kEventParamTextInputSendHiliteRng, typeTextRangeArray, nullptr,
                        sizeof data, nullptr, data) == noErr) {
    SInt16 count = 0;
    std::memcpy(&count, data, 2);
    for (SInt16 i = 0; i < count && i < 20; ++i) {
      TextRange r;
      std::memcpy(&r, data + 2 + 10 * i, 10);
      u.hilites += "(" + std::to_string(r.fStart) + "," + std::to_string(r.fEnd) + "," +
                   std::to_string(r.fHiliteStyle) + ")";
    }
  }
  if (GetEventParameter(event, kEventParamTextInputSendClauseRng, typeOffsetArray, nullptr,
                        sizeof data, nullptr, data) == noErr) {
    SInt16 count = 0;
    std::memcpy(&count, data, 2);
    for (SInt16 i = 0; i < count && i < 20; ++i) {
      SInt32 o = 0;
      std::memcpy(&o, data + 2 + 4 * i, 4);
      u.clauses += std::to_string(o) + ",";
    }
  }
  Updates().push_back(u);
  return noErr;
}

class PreeditClausesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_platform::input_method::Reset();
    Updates().clear();
    const EventTypeSpec kind = {kEventClassTextInput, kEventTextInputUpdateActiveInputArea};
    InstallEventHandler(GetApplicationEventTarget(), NewEventHandlerUPP(Record), 1, &kind,
                        nullptr, nullptr);
    const OSType types[1] = {kTextService};
    ASSERT_EQ(NewTSMDocument(1, types, &doc_, 77), noErr);
    ASSERT_EQ(ActivateTSMDocument(doc_), noErr);
    ASSERT_EQ(UseInputWindow(doc_, false), noErr);
  }
  void TearDown() override {
    sp_platform::input_method::Reset();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }
  TSMDocumentID doc_ = nullptr;
};

TEST_F(PreeditClausesTest, EachClauseIsAHiliteRangeOfItsKindAndItsBoundsAreClauseOffsets) {
  const char* kKana = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88";  // four kana, 2 bytes
  const struct {
    const char* why;
    std::vector<Clause> clauses;
    SInt32 caret;
    const char* hilites;
    const char* offsets;
  } cases[] = {
      {"two clauses of a conversion, the first selected",
       {{0, 2, ClauseKind::kSelectedConverted}, {2, 2, ClauseKind::kConverted}}, 2,
       "(0,4,5)(4,8,4)(4,4,1)", "0,4,8,"},
      {"raw text after a converted clause",
       {{0, 1, ClauseKind::kConverted}, {1, 3, ClauseKind::kRaw}}, 4, "(0,2,4)(2,8,2)(8,8,1)",
       "0,2,8,"},
      {"no clause: the whole preedit is raw", {}, 0, "(0,8,2)(0,0,1)", "0,8,"},
      {"overlapping, empty and past-the-end clauses are left out",
       {{0, 2, ClauseKind::kConverted}, {1, 2, ClauseKind::kRaw}, {2, 0, ClauseKind::kRaw},
        {3, 9, ClauseKind::kSelectedConverted}, {7, 2, ClauseKind::kRaw}},
       1, "(0,4,4)(6,8,5)(2,2,1)", "0,4,6,8,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Updates().clear();
    sp_platform::input_method::PreeditClausesChanged(kKana, c.caret, c.clauses);
    sp_testing::PumpPending();
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(Updates()[0].hilites, c.hilites);
    EXPECT_EQ(Updates()[0].clauses, c.offsets);
  }
}

}  // namespace
