// Undo is exact: a fixed-seed random run of edits, then every step taken back and done again,
// each time giving the text, the style of every byte and the selection the forward run had.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpDragAndDropObject.h"
#include "SpETOOperationRec.h"
#include "SpHotSpotArea.h"
#include "SpMouseTraceManager.h"
#include "StyleSnapshot.h"
#include "TestDrags.h"

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
  // Typing and deleting keys go on with an open step; what their rules need.
  bool typing = false;
  bool deleting = false;
  SInt32 start = 0;
  SInt32 lowest = 0;
  SInt32 lengthBefore = 0;
};

class UndoPropertyTest : public ClipboardFixture {
 protected:
  void SetUp() override {
    ClipboardFixture::SetUp();
    sp_testing::ResetDrags();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
    f_ = Field(R(10, 10, 290, 200));
    f_->SetupText("The quick brown fox\rjumps over the lazy dog\r", 0);
    f_->SetupCaretPosition(0, 0);
    f_->ActivateEditText(1, 0);
  }

  void TearDown() override {
    Sp_HotspotMouseTraceCancel();
    fields_.clear();
    f_ = nullptr;
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    ClipboardFixture::TearDown();
  }

  // The window point at an absolute position: its boundary's pixel, half-way down its line;
  // `right` pixels further right.
  Point PointAt(SInt32 abs, short right = 0) const {
    cTextLineObject* line = nullptr;
    SInt32 byte = 0;
    f_->GetCursorPositFromAbsPosit(abs, 1, line, byte);
    SInt16 x = 0;
    line->CharBytePositToPixPosit(nullptr, 0, byte, x);
    SInt32 top = 0, bottom = 0;
    line->GetLinePosition(top, bottom);
    Point out{0, 0};
    f_->EditorOffscreenPositToOnWindowPosit(Point{SInt16((top + bottom) / 2), SInt16(x + right)},
                                            out);
    return out;
  }
  static Point Global(Point local) { return Point{SInt16(local.v + 100), SInt16(local.h + 100)}; }

  // Drags the selection r by the mouse to the boundary `to` (Option: a copy); whether the
  // text changed.
  bool DragSelection(const Range& r, SInt32 to, bool option) {
    const std::string before = Text(f_);
    const Point drop = PointAt(to);
    const UInt32 modifiers = option ? optionKey : 0;
    sp_testing::PostMouseDragged(Global(drop), modifiers);
    sp_testing::PostMouseUp(Global(drop), modifiers);
    const Point press = PointAt(r.start, 2);
    if (Sp_MouseDownHotSpot(window_, press, 0) == 0) return false;
    sp_testing::SetModifierKeys(modifiers);
    Point moved = press;
    moved.h += 1;
    if (mouseDownHotSpot_GlV == static_cast<cSp_HotSpotArea*>(f_)) {
      f_->HotSpotMouseDownTraceProc(0, moved);
    }
    // A press that did not start a drag is let go.
    if (mouseDownHotSpot_GlV != nullptr) Sp_MouseUpHotSpot(window_, moved, 0);
    sp_testing::SetModifierKeys(0);
    sp_testing::PumpPending();
    return Text(f_) != before;
  }

  // Inline input over the selection: a raw piece, then converted, then confirmed whole.
  void Compose(const std::string& raw, const std::string& converted) {
    auto update = [this](const std::string& text, SInt32 fixed, TextRange old, TextRange now,
                         SInt16 style) {
      cTSO_UpdateData data;
      data.SetupEditString(text.c_str(), SInt32(text.size()));
      data.SetupFixStrigLength(fixed);
      data.SetupUpdateOldPoist(old);
      data.SetupUpdateNewPosit(now);
      if (style != 0) data.AddHiliteRange(TextRange{0, SInt32(text.size()), style});
      f_->UpdateActiveInputArea(&data);
    };
    const SInt32 r = SInt32(raw.size()), c = SInt32(converted.size());
    update(raw, 0, TextRange{0, 0, 0}, TextRange{0, r, 0}, 2);
    update(converted, 0, TextRange{0, r, 0}, TextRange{0, c, 0}, 5);
    update(converted, c, TextRange{0, 0, 0}, TextRange{0, 0, 0}, 0);
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

  // One random edit; the step it made or extended is noted with the selections undo and redo
  // must leave, by the rules for its kind of step.
  void RandomEdit() {
    static const char* const kRoman[] = {"a", "bc", "Q", "xyz", " ", "\r"};
    const std::string twoByte[] = {kA, kKanji, std::string(kA) + kKanji};
    cETOOperationRecMgr* m = f_->GetUndoManager();
    const cETOOperationRecTerm* termBefore = m->GetCurrentTerm();
    const SInt32 stepsBefore = m->GetUnDoOperationRecordCount();
    const SInt32 lengthBefore = SInt32(Text(f_).size());
    Step step;
    const int kind = std::uniform_int_distribution<int>(0, 16)(rng_);
    // Typing, Backspace and forward delete go on where the caret is half the time.
    const bool atCaret = kind <= 1 || kind == 10 || kind == 11;
    Range r = RandomRange(atCaret);
    if (atCaret && (kind >= 10 || std::uniform_int_distribution<int>(0, 1)(rng_) == 0)) {
      if (kind >= 10 || Selection().start == Selection().end) r = {r.start, r.start};
      if (std::uniform_int_distribution<int>(0, 1)(rng_) == 0 &&
          Selection().start == Selection().end) {
        r = Selection();
      }
    }
    Select(r);
    cTextLineObject* a = nullptr;
    cTextLineObject* b = nullptr;
    SInt32 ab = 0, bb = 0;
    Line(r.start, 1, a, ab);
    Line(r.end, 0, b, bb);
    const RGBColor colours[] = {{0xFFFF, 0, 0}, {0, 0x8000, 0xFFFF}};
    const Range caretAtStart{r.start, r.start};
    bool attribute = false;
    switch (kind) {
      case 0:
      case 1: {
        const std::string keys = kind == 0 ? kRoman[std::uniform_int_distribution<int>(0, 5)(
                                                 rng_)]
                                           : twoByte[std::uniform_int_distribution<int>(0, 2)(
                                                 rng_)];
        Type(keys);
        step = {"type " + keys, {}, r, {}};
        step.typing = true;
        break;
      }
      case 2:
        f_->DeleteTargetArea(a, ab, b, bb, 0, 1, 1, 1, 1);
        step = {"delete", {}, r, caretAtStart};
        step.deleting = true;
        break;
      case 3:
        f_->ModifyTargetAreaTextStyleRevolve(a, ab, b, bb, std::uniform_int_distribution<int>(
                                                               0, 2)(rng_) == 0 ? italic : bold,
                                             0, 1, 0);
        step.what = "toggle face";
        attribute = true;
        break;
      case 4:
        f_->SetupTargetAreaTextStyle(a, ab, b, bb, underline | italic, 0, 1, 0);
        step.what = "set face";
        attribute = true;
        break;
      case 5:
        f_->SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttFont,
                                          std::uniform_int_distribution<int>(2, 4)(rng_), 0, 1,
                                          0);
        step.what = "font";
        attribute = true;
        break;
      case 6:
        f_->SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttSize,
                                          std::uniform_int_distribution<int>(9, 24)(rng_), 0, 1,
                                          0);
        step.what = "size";
        attribute = true;
        break;
      case 7:
        f_->SetupTargetAreaTextColor(a, ab, b, bb,
                                     colours[std::uniform_int_distribution<int>(0, 1)(rng_)], 2,
                                     0, 1, 0);
        step.what = "colour";
        attribute = true;
        break;
      case 8:
      case 9:
        f_->ModifyTargetAreaAlphaText(a, ab, b, bb, kind == 8 ? kETO_ToUpperCase
                                                              : kETO_ToLowerCase,
                                      0, 1, 0);
        step = {"case", {}, r, caretAtStart};
        step.redoCollapses = true;
        break;
      case 10:
      case 11:
        Keys(kind == 10 ? "\b" : "\x7F");
        step = {kind == 10 ? "Backspace" : "forward delete", {}, {}, {}};
        step.deleting = true;
        break;
      case 12:
        f_->ExecCutSelectedTextIntoScrap(0);
        step = {"cut", {}, r, caretAtStart};
        break;
      case 14:
      case 15: {
        // The selection dragged to a place outside it, moved or (Option) copied.
        std::vector<SInt32> outside;
        for (SInt32 p : Boundaries()) {
          if (p < r.start || p > r.end) outside.push_back(p);
        }
        if (r.start == r.end || outside.empty()) return;
        const SInt32 to =
            outside[std::uniform_int_distribution<std::size_t>(0, outside.size() - 1)(rng_)];
        if (!DragSelection(r, to, kind == 15)) return;
        step = {kind == 14 ? "drag move" : "option copy", {}, r, Selection()};
        if (kind == 15) step.undone = {Selection().start, Selection().start};
        break;
      }
      case 16: {
        const std::string raw = kRoman[std::uniform_int_distribution<int>(0, 3)(rng_)];
        const std::string converted = twoByte[std::uniform_int_distribution<int>(0, 2)(rng_)];
        Compose(raw, converted);
        step = {"inline " + converted, {}, r, {}};
        step.typing = true;
        break;
      }
      default: {
        f_->ExecPastScrapText(0);
        const SInt32 pasted = SInt32(Text(f_).size()) - lengthBefore + (r.end - r.start);
        step = {"paste", {}, caretAtStart, {r.start, r.start + pasted}};
        break;
      }
    }
    if (attribute) {
      step.undone = step.redone = caretAtStart;
      step.undoCollapses = step.redoCollapses = true;
    }
    step.after = Snapshot(f_);
    const SInt32 caret = Selection().start;
    const bool joined = m->GetCurrentTerm() == termBefore &&
                        m->GetUnDoOperationRecordCount() == stepsBefore;
    if (joined) {
      // The edit went on with the step before it, or changed nothing.
      if (steps_.empty() || step.after == steps_.back().after) return;
      Step& last = steps_.back();
      ASSERT_TRUE(last.typing || last.deleting) << step.what << " joined " << last.what;
      last.what += ", " + step.what;
      last.after = step.after;
      last.lowest = std::min(last.lowest, caret);
      if (last.typing) {
        // Redo selects from where the typing began, or the lowest a Backspace reached, to
        // where the caret ended.
        last.redone = {std::min(last.start, last.lowest), caret};
      } else {
        // One delete item: what all the keys removed, put back selected.
        last.undone = {caret, caret + (last.lengthBefore - SInt32(step.after.text.size()))};
        last.redone = {caret, caret};
      }
      return;
    }
    ASSERT_EQ(m->GetUnDoOperationRecordCount(),
              std::min<SInt32>(stepsBefore + 1, m->GetStockRecTermNumMax()))
        << step.what;
    step.start = r.start;
    step.lowest = caret;
    step.lengthBefore = lengthBefore;
    if (step.typing) {
      // Typing over a range gives the range back selected; at a caret, a caret.
      step.redone = {r.start, caret};
    } else if (step.deleting && kind >= 10) {
      step.undone = {caret, caret + (lengthBefore - SInt32(step.after.text.size()))};
      step.redone = {caret, caret};
    }
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
    Range expected = Expected(steps_[k].redone, steps_[k].redoCollapses, before);
    // A single Return done again shows as a caret after it.
    if (expected.end - expected.start == 1 &&
        steps_[k].after.text[std::size_t(expected.start)] == '\r') {
      expected.start = expected.end;
    }
    EXPECT_EQ(Selection(), expected);
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
  // Every kind of edit was made, on its own or as part of a step.
  std::string all;
  for (const Step& step : steps_) all += step.what + ",";
  for (const char* kind : {"type", "Backspace", "forward delete", "cut", "paste", "delete",
                           "toggle face", "set face", "font", "size", "colour", "case",
                           "drag move", "option copy", "inline"}) {
    EXPECT_NE(all.find(kind), std::string::npos) << kind;
  }
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
