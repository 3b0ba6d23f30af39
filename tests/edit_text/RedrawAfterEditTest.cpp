// What an edit that moves the lines below it leaves on the screen: the lines it re-wrapped are
// drawn again and the image of the lines after them moves, which must look exactly like the
// whole field drawn anew.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>


#include "EditTextTestSupport.h"
#include "QuickDraw.h"

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

  // Paints a red dot into the field's own image on the first row of every line, and of every
  // line's height below the last, right of any text: a line drawn again loses its dot, a line
  // left alone (or whose image moved with the lines around it) keeps it.
  static void DotEveryLine(cEditTextObject* f, const Rect& area) {
    Rect inPixels;
    ASSERT_EQ(f->GetOffscreenAreaOnOffscreen(inPixels), noErr);
    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(f->GetTargetOffscreenGWorld(), nullptr);
    RgnHandle savedClip = NewRgn();
    GetClip(savedClip);
    const Rect all = R(-32000, -32000, 32000, 32000);
    ClipRect(&all);
    const RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    SInt32 top = 0, bottom = 0;
    for (cTextLineObject* l = f->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      l->GetLinePosition(top, bottom);
      PaintDot(inPixels, top);
    }
    for (SInt32 v = bottom; v + 14 <= area.bottom - area.top; v += 14) PaintDot(inPixels, v);
    SetClip(savedClip);
    DisposeRgn(savedClip);
    SetGWorld(savedPort, savedDevice);
  }

  static void PaintDot(const Rect& inPixels, SInt32 top) {
    const Rect dot = R(short(inPixels.top + top + 1), short(inPixels.left + kDotH),
                       short(inPixels.top + top + 2), short(inPixels.left + kDotH + 1));
    PaintRect(&dot);
  }

  // The numbers of the lines whose dot is gone.
  std::vector<SInt32> LinesDrawn(const cEditTextObject* f, const Rect& area) const {
    std::vector<SInt32> drawn;
    SInt32 number = 1;
    for (cTextLineObject* l = f->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      SInt32 top = 0, bottom = 0;
      l->GetLinePosition(top, bottom);
      if (Px(short(area.left + kDotH), short(area.top + top + 1)) != 0xFF0000) {
        drawn.push_back(number);
      }
      ++number;
    }
    return drawn;
  }

  static constexpr short kDotH = 188;

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

// Paragraphs whose lines the fixed-metric font fills (31 characters of 6 pixels): one more
// letter in the first line of the second pushes a word down, and the line after then holds
// other words of the same lengths (its runs measure the same, its bytes differ).
const char kFullLines[] =
    "first\r"
    "aaaaaaa bbbbb ccccc ddddd eeeee fffff ggggg hhhhh iiiii jjjjj kkkkk lllll\r"
    "short line\r"
    "mmmmm nnnnn ooooo ppppp qqqqqqqqqqq rrrrr\r"
    "end";

struct TypedKeyCase {
  const char* name;
  const char* after;  // the caret goes after the first occurrence of this
  char key;
  const char* bold;   // a stretch made bold first (null: none)
  std::vector<SInt32> drawn;  // the lines drawn again, by number after the key
};

// The lines a typed key changes are drawn again, the others are left as they are on the screen
// (the line before the caret, which the re-wrap looks at, and the lines after the paragraph,
// which it looks at until their paragraphs come out as they were, included), and the field
// then looks exactly as if it were drawn anew.
TEST_F(RedrawAfterEditTest, ATypedKeyDrawsOnlyTheLinesItChanged) {
  // Lines: 1 "first", 2-4 the paragraph of a..l, 5 "short line", 6-7 the paragraph of m..r,
  // 8 "end".
  const TypedKeyCase cases[] = {
      {"a letter inside a line that keeps its breaks", "short", 'x', nullptr, {5}},
      {"a letter that pushes a word down to its paragraph's end", "aa", 'x', nullptr,
       {2, 3, 4}},
      {"the same through a bold stretch", "aa", 'x', "ggggg hhhhh", {2, 3, 4}},
      {"a space that lets a word's start up onto the line before", "ppppp qqqq", ' ', nullptr,
       {6, 7}},
      // The lines after the paragraph move down a line: their image moves with them.
      {"a line break that adds a line", "eeeee fffff ", '\r', nullptr, {3, 4, 5}},
      // The new last line was blank: the lines' image moved down must not show in it.
      {"a line break at the end of the text", "end", '\r', nullptr, {8, 9}},
  };
  for (const TypedKeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = kFullLines;
    const Rect area = R(10, 10, 290, 200);
    // Once with dots to see which lines are drawn, once without to compare every pixel.
    for (const bool dots : {true, false}) {
      cEditTextObject* f = Field(area);
      f->SetupAutoGrowFlag(0, 0);
      f->SetupText(kFullLines, 0);
      if (c.bold != nullptr) {
        const SInt32 from = SInt32(text.find(c.bold));
        cTextLineObject* a = nullptr;
        cTextLineObject* b = nullptr;
        SInt32 ab = 0, bb = 0;
        ASSERT_NE(f->GetCursorPositFromAbsPosit(from, 1, a, ab), 0);
        ASSERT_NE(f->GetCursorPositFromAbsPosit(from + SInt32(std::strlen(c.bold)), 0, b, bb), 0);
        f->SetupTargetAreaTextStyle(a, ab, b, bb, bold, 0, 0, 0);
      }
      ASSERT_EQ(Lines(f).size(), 8u);
      f->ActivateEditText(1, 1);
      f->SetupCaretPosition(SInt32(text.find(c.after) + std::strlen(c.after)), 0);
      Redraw();
      if (dots) DotEveryLine(f, area);
      Keys(std::string(1, c.key));
      f->PauseBrinkCaret(1);
      if (dots) {
        EXPECT_EQ(LinesDrawn(f, area), c.drawn);
      } else {
        ExpectLikeAFreshDrawing(f, area);
      }
      f->ExecEditTextObjDeleteReady(1);
      fields_.clear();
    }
  }
}

}  // namespace
}  // namespace edit_test
