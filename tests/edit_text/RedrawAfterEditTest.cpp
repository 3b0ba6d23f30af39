// What an edit that moves the lines below it leaves on the screen: the lines it re-wrapped are
// drawn again and the image of the lines after them moves, which must look exactly like the
// whole field drawn anew.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

class RedrawAfterEditTest : public EditTextFixture {
 protected:
  std::vector<UInt32> Pixels(const Rect& area) const {
    std::vector<UInt32> out;
    for (short v = area.top; v < area.bottom; ++v) {
      for (short h = area.left; h < area.right; ++h) out.push_back(Px(h, v));
    }
    return out;
  }

  // The field's pixels now, then after the whole field is drawn again: equal when the edit
  // drew what it had to.
  void ExpectLikeAFreshDrawing(cEditTextObject* f, const Rect& area) {
    const std::vector<UInt32> edited = Pixels(area);
    f->SetupModifyDrawingRectAndFlag(nullptr, 1);
    Redraw();
    const std::vector<UInt32> fresh = Pixels(area);
    ASSERT_EQ(edited.size(), fresh.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < fresh.size(); ++i) differ += edited[i] != fresh[i] ? 1 : 0;
    EXPECT_EQ(differ, 0u);
  }

  static SInt32 LineBottom(const cEditTextObject* f, SInt32 number) {
    cTextLineObject* l = f->GetFirstLinePtr();
    for (SInt32 i = 1; i < number && l != nullptr; ++i) l = l->GetNextObjectPtr();
    SInt32 top = 0, bottom = 0;
    if (l != nullptr) l->GetLinePosition(top, bottom);
    return bottom;
  }
};

const char kParagraphs[] =
    "pack my box with five dozen liquor jugs now\r"
    "the quick brown fox jumps over the lazy dog\r"
    "sphinx of black quartz judge my vow today\r"
    "how vexingly quick daft zebras jump\r"
    "the five boxing wizards jump quickly\r"
    "pack my box with five dozen liquor jugs\r"
    "the quick brown fox jumps over the dog\r"
    "sphinx of black quartz judge my vow\r"
    "how vexingly quick daft zebras jump\r"
    "the five boxing wizards jump quickly";

struct EditCase {
  const char* name;
  SInt32 caret;      // where the caret goes before the keys
  const char* keys;  // typed through the manager
  SInt32 tallFrom;   // a stretch made size 24 first (-1: none)
  SInt32 tallTo;
  bool firstLineGrows;
};

TEST_F(RedrawAfterEditTest, LinesMovedByAnEditLookAsIfTheFieldWereDrawnAnew) {
  const SInt32 secondParagraph = SInt32(std::string(kParagraphs).find('\r')) + 1;
  const EditCase cases[] = {
      {"a typed line break moves the lines below down", 10, "\r", -1, -1, false},
      {"a deleted line break moves them up", secondParagraph, "\b", -1, -1, false},
      {"two line breaks and a letter", 30, "\r\rx", -1, -1, false},
      // "jugs now" is tall and wraps to its own line; deleting letters before it lets it up,
      // so the first line grows and the lines below move up by what the second line was.
      {"a line that grows", 20, "\b\b\b\b\b\b\b\b\b\b\b\b", 35, 43, true},
      {"a line that grows by typing in its tall style", 43, "xxxxxxxxxxxxxxxxxxxx", 35, 43, false},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect area = R(10, 10, 290, 200);
    cEditTextObject* f = Field(area);
    f->SetupAutoGrowFlag(0, 0);
    f->SetupText(kParagraphs, 0);
    if (c.firstLineGrows) {
      cTextLineObject* a = nullptr;
      cTextLineObject* b = nullptr;
      SInt32 ab = 0, bb = 0;
      ASSERT_NE(f->GetCursorPositFromAbsPosit(c.tallFrom, 1, a, ab), 0);
      ASSERT_NE(f->GetCursorPositFromAbsPosit(c.tallTo, 0, b, bb), 0);
      f->SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttSize, 24, 0, 0, 0);
    }
    f->ActivateEditText(1, 1);
    f->SetupCaretPosition(c.caret, 0);
    Redraw();
    const SInt32 firstBottom = LineBottom(f, 1);
    const SInt32 height = f->GetTotalLineHeight();
    Keys(c.keys);
    // The edit moved the lines after it: the image of the lower lines had to follow.
    EXPECT_NE(f->GetTotalLineHeight(), height);
    if (c.firstLineGrows) {
      EXPECT_GT(LineBottom(f, 1), firstBottom);
    }
    f->PauseBrinkCaret(1);
    ExpectLikeAFreshDrawing(f, area);
    f->ExecEditTextObjDeleteReady(1);
    fields_.clear();
  }
}

}  // namespace
}  // namespace edit_test
