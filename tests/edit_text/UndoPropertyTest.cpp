// Undo is exact: a fixed-seed random run of edits, then every step taken back and done again,
// each time giving the text, the style of every byte and the selection the forward run had.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"
#include "StyleSnapshot.h"

namespace edit_test {
namespace {

struct Range {
  SInt32 start, end;
  bool operator==(const Range& o) const { return start == o.start && end == o.end; }
};

std::ostream& operator<<(std::ostream& out, const Range& r) {
  return out << "[" << r.start << ", " << r.end << "]";
}

// One step of the forward run: the field after it, and the selections undo and redo leave.
// An attribute change leaves a caret where it was and collapses a range to the stretch's
// start; `collapses` marks where it does so on undo and redo (case changes: on redo only).
struct Step {
  std::string what;
  StyleSnapshot after;
  Range undone, redone;
  bool undoCollapses = false;
  bool redoCollapses = false;
};

class UndoPropertyTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    f_ = Field(R(10, 10, 290, 200));
    f_->SetupText("The quick brown fox\rjumps over the lazy dog\r", 0);
    f_->SetupCaretPosition(0, 0);
    f_->ActivateEditText(1, 0);
  }

  static bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0); }

  // The character boundaries of the text: positions an edit may use.
  std::vector<SInt32> Boundaries() const {
    const std::string text = Text(f_);
    std::vector<SInt32> out;
    for (std::size_t i = 0; i <= text.size();) {
      out.push_back(SInt32(i));
      if (i == text.size()) break;
      i += IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return out;
  }

  Range RandomRange(bool allowEmpty) {
    const std::vector<SInt32> b = Boundaries();
    std::uniform_int_distribution<std::size_t> pick(0, b.size() - 1);
    SInt32 x = b[pick(rng_)], y = b[pick(rng_)];
    if (!allowEmpty) {
      for (int i = 0; i < 10 && x == y; ++i) y = b[pick(rng_)];
    }
    return {std::min(x, y), std::max(x, y)};
  }

  Range Selection() const {
    SInt32 start = 0, end = 0;
    unsigned char sf = 0, ef = 0;
    f_->GetSelectionInfoStock(start, sf, end, ef);
    return {std::min(start, end), std::max(start, end)};
  }

  void Select(const Range& r) {
    cTextLineObject* a = nullptr;
    cTextLineObject* b = nullptr;
    SInt32 ab = 0, bb = 0;
    ASSERT_TRUE(f_->GetCursorPositFromAbsPosit(r.start, 1, a, ab)) << r << " in " << Text(f_);
    ASSERT_TRUE(f_->GetCursorPositFromAbsPosit(r.end, r.start == r.end ? 1 : 0, b, bb)) << r;
    if (r.start == r.end) {
      f_->SetupCaretPosition(a, ab, 0);
    } else {
      f_->SetupSelection(a, ab, b, bb, 0, 0);
    }
  }

  // Typing at the caret or over the selection: the keys record their own step.
  void Type(const std::string& keys) { ASSERT_EQ(f_->KyeInProcedure(keys.c_str()), 1); }

  void Line(SInt32 abs, unsigned char lineStart, cTextLineObject*& line, SInt32& byte) {
    ASSERT_TRUE(f_->GetCursorPositFromAbsPosit(abs, lineStart, line, byte));
  }

  // One random edit; the step it made or extended is noted.
  void RandomEdit() {
    static const char* const kRoman[] = {"a", "bc", "Q", "xyz", " ", "k"};
    const std::string twoByte[] = {kA, kKanji, std::string(kA) + kKanji};
    cETOOperationRecMgr* m = f_->GetUndoManager();
    const cETOOperationRecTerm* termBefore = m->GetCurrentTerm();
    const SInt32 stepsBefore = m->GetUnDoOperationRecordCount();
    Step step;
    std::uniform_int_distribution<int> kindOf(0, 9);
    const int kind = kindOf(rng_);
    Range r = RandomRange(kind < 2);
    cTextLineObject* a = nullptr;
    cTextLineObject* b = nullptr;
    SInt32 ab = 0, bb = 0;
    Line(r.start, 1, a, ab);
    Line(r.end, 0, b, bb);
    const RGBColor colours[] = {{0xFFFF, 0, 0}, {0, 0x8000, 0xFFFF}};
    switch (kind) {
      case 0:
      case 1: {
        // Typing; half the time where the last typing left the caret.
        std::uniform_int_distribution<int> coin(0, 1);
        if (coin(rng_) == 0 && Selection().start == Selection().end) r = Selection();
        const std::string keys = kind == 0 ? kRoman[std::uniform_int_distribution<int>(0, 5)(
                                                 rng_)]
                                           : twoByte[std::uniform_int_distribution<int>(0, 2)(
                                                 rng_)];
        Select(r);
        const bool joins = r.start == r.end && termBefore != nullptr &&
                           termBefore == m->GetOperationTermForTextIn(r.start);
        Type(keys);
        step.what = "type " + keys + " at " + std::to_string(r.start);
        if (joins && !steps_.empty()) {
          step.undone = steps_.back().undone;
          step.redone = {steps_.back().redone.start, r.start + SInt32(keys.size())};
        } else {
          step.undone = r;
          step.redone = {r.start, r.start + SInt32(keys.size())};
        }
        if (r.start == r.end && !(joins && !steps_.empty())) step.undone = {r.start, r.start};
        break;
      }
      case 2:
        f_->DeleteTargetArea(a, ab, b, bb, 0, 1, 1, 1, 1);
        step = {"delete", {}, r, {r.start, r.start}};
        break;
      case 3:
        f_->ModifyTargetAreaTextStyleRevolve(a, ab, b, bb, std::uniform_int_distribution<int>(
                                                               0, 2)(rng_) == 0 ? italic : bold,
                                             0, 1, 0);
        step = {"toggle face", {}, {r.start, r.start}, {r.start, r.start}};
        step.undoCollapses = true;
        step.redoCollapses = true;
        break;
      case 4:
        f_->SetupTargetAreaTextStyle(a, ab, b, bb, underline | italic, 0, 1, 0);
        step = {"set face", {}, {r.start, r.start}, {r.start, r.start}};
        step.undoCollapses = true;
        step.redoCollapses = true;
        break;
      case 5:
        f_->SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttFont,
                                          std::uniform_int_distribution<int>(2, 4)(rng_), 0, 1,
                                          0);
        step = {"font", {}, {r.start, r.start}, {r.start, r.start}};
        step.undoCollapses = true;
        step.redoCollapses = true;
        break;
      case 6:
        f_->SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttSize,
                                          std::uniform_int_distribution<int>(9, 24)(rng_), 0, 1,
                                          0);
        step = {"size", {}, {r.start, r.start}, {r.start, r.start}};
        step.undoCollapses = true;
        step.redoCollapses = true;
        break;
      case 7:
        f_->SetupTargetAreaTextColor(a, ab, b, bb,
                                     colours[std::uniform_int_distribution<int>(0, 1)(rng_)], 2,
                                     0, 1, 0);
        step = {"colour", {}, {r.start, r.start}, {r.start, r.start}};
        step.undoCollapses = true;
        step.redoCollapses = true;
        break;
      default:
        f_->ModifyTargetAreaAlphaText(a, ab, b, bb, kind == 8 ? kETO_ToUpperCase
                                                              : kETO_ToLowerCase,
                                      0, 1, 0);
        step = {"case", {}, r, {r.start, r.start}};
        step.undoCollapses = false;
        step.redoCollapses = true;
        break;
    }
    step.after = Snapshot(f_);
    if (m->GetCurrentTerm() == termBefore && m->GetUnDoOperationRecordCount() == stepsBefore) {
      // The edit joined the step before it, or changed nothing.
      if (!steps_.empty() && step.after != steps_.back().after) steps_.back() = step;
      return;
    }
    ASSERT_EQ(m->GetUnDoOperationRecordCount(),
              std::min<SInt32>(stepsBefore + 1, m->GetStockRecTermNumMax()))
        << step.what;
    steps_.push_back(step);
  }

  static Range Expected(const Range& rule, bool collapses, const Range& before) {
    if (!collapses) return rule;
    return before.start != before.end ? rule : before;
  }

  void ExpectUndoneTo(std::size_t k) {
    SCOPED_TRACE("undo of step " + std::to_string(k) + ": " + steps_[k].what);
    const Range before = Selection();
    ASSERT_EQ(f_->ExecUnDoOneOperation(0), 1);
    EXPECT_EQ(Snapshot(f_), k == 0 ? initial_ : steps_[k - 1].after);
    EXPECT_EQ(Selection(), Expected(steps_[k].undone, steps_[k].undoCollapses, before));
  }

  void ExpectRedoneTo(std::size_t k) {
    SCOPED_TRACE("redo of step " + std::to_string(k) + ": " + steps_[k].what);
    const Range before = Selection();
    ASSERT_EQ(f_->ExecReDoOneOperation(0), 1);
    EXPECT_EQ(Snapshot(f_), steps_[k].after);
    EXPECT_EQ(Selection(), Expected(steps_[k].redone, steps_[k].redoCollapses, before));
  }

  std::mt19937 rng_{38};
  cEditTextObject* f_ = nullptr;
  StyleSnapshot initial_;
  std::vector<Step> steps_;
};

TEST_F(UndoPropertyTest, EveryStepComesBackExactlyAndGoesAgainExactly) {
  f_->GetUndoManager()->SetupStockRecTermNumMax(400);
  initial_ = Snapshot(f_);
  for (int i = 0; i < 150; ++i) {
    RandomEdit();
    ASSERT_FALSE(HasFatalFailure()) << "edit " << i;
  }
  ASSERT_GT(steps_.size(), 60u);
  ASSERT_EQ(f_->GetUnDoOperationRecordCount(), SInt32(steps_.size()));
  for (std::size_t k = steps_.size(); k-- > 0;) ExpectUndoneTo(k);
  EXPECT_EQ(f_->ExecUnDoOneOperation(0), 0);
  EXPECT_EQ(Snapshot(f_), initial_);
  for (std::size_t k = 0; k < steps_.size(); ++k) ExpectRedoneTo(k);
  EXPECT_EQ(f_->ExecReDoOneOperation(0), 0);
  EXPECT_EQ(Snapshot(f_), steps_.back().after);
  // Back and forth at random from the end.
  std::size_t at = steps_.size();
  for (int i = 0; i < 200; ++i) {
    if ((std::uniform_int_distribution<int>(0, 1)(rng_) == 0 && at > 0) || at == steps_.size()) {
      ExpectUndoneTo(--at);
    } else {
      ExpectRedoneTo(at++);
    }
  }
}

TEST_F(UndoPropertyTest, ASmallMaximumStopsUndoAtTheBound) {
  f_->GetUndoManager()->SetupStockRecTermNumMax(4);
  initial_ = Snapshot(f_);
  for (int i = 0; i < 40; ++i) RandomEdit();
  ASSERT_GT(steps_.size(), 8u);
  EXPECT_EQ(f_->GetUnDoOperationRecordCount(), 4);
  for (std::size_t k = steps_.size(); k-- > steps_.size() - 4;) ExpectUndoneTo(k);
  EXPECT_EQ(f_->ExecUnDoOneOperation(0), 0);
  EXPECT_EQ(Snapshot(f_), steps_[steps_.size() - 5].after);
  EXPECT_EQ(f_->GetReDoOperationRecordCount(), 4);
}

}  // namespace
}  // namespace edit_test
