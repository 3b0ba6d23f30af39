// Reading a field's text and styles, and changing face, case, font, size, colour and alignment
// over a stretch, each taken back and done again exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"
#include "StyleSnapshot.h"

namespace edit_test {
namespace {

void NoteModify(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

class TextAttributeTest : public EditTextFixture {
 protected:
  cEditTextObject* FieldWith(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 200, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(f->GetTextCharByte(1, 1), 0);
    return f;
  }
  // Selects absolute positions [a, b].
  static void Select(cEditTextObject* f, SInt32 a, SInt32 b) {
    f->SetupSelectionPosition(a, 1, b, 0, 0, 0);
  }
  static Style FaceAt(const cEditTextObject* f, std::size_t byte) {
    return Snapshot(f).styles.at(byte).face;
  }
  // The change, its undo and its redo give the snapshots before and after it.
  static void ExpectExactUndoRedo(cEditTextObject* f, const StyleSnapshot& before,
                                  const StyleSnapshot& after) {
    EXPECT_EQ(f->ExecUnDoOneOperation(0), 1);
    EXPECT_EQ(Snapshot(f), before);
    EXPECT_EQ(f->ExecReDoOneOperation(0), 1);
    EXPECT_EQ(Snapshot(f), after);
  }
};

TEST_F(TextAttributeTest, ToggledBoldClearsWhereAllIsBoldAndSetsWhereOneRunIsPlain) {
  struct Case {
    const char* why;
    SInt32 boldFrom, boldTo;  // bold before the toggle
    Style expected;           // of every byte after it
  } cases[] = {
      {"all bold clears", 0, 7, normal},
      {"one plain run sets everywhere", 0, 3, bold},
      {"all plain sets", 0, 0, bold},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = FieldWith("aaa bbb");
    if (c.boldTo > c.boldFrom) {
      Select(f, c.boldFrom, c.boldTo);
      f->SetupSelectionTextStyle(bold, 0);
    }
    Select(f, 0, 7);
    const StyleSnapshot before = Snapshot(f);
    EXPECT_EQ(f->ModifySelectionTextStyleRevolve(bold, 0), 1);
    const StyleSnapshot after = Snapshot(f);
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(after.styles[i].face, c.expected) << i;
    ExpectExactUndoRedo(f, before, after);
  }
}

TEST_F(TextAttributeTest, TogglingOneFlagLeavesTheOthersAndPlainClearsThemAll) {
  cEditTextObject* f = FieldWith("abcdef");
  Select(f, 0, 6);
  f->SetupSelectionTextStyle(italic, 0);
  f->ModifySelectionTextStyleRevolve(condense, 0);
  EXPECT_EQ(FaceAt(f, 3), italic | condense);
  f->ModifySelectionTextStyleRevolve(normal, 0);
  EXPECT_EQ(FaceAt(f, 3), normal);
}

TEST_F(TextAttributeTest, SettingAFaceOutrightIsRedoneAsASetNotAToggle) {
  cEditTextObject* f = FieldWith("abcdef");
  Select(f, 0, 6);
  f->SetupSelectionTextStyle(bold | italic, 0);
  const StyleSnapshot before = Snapshot(f);
  EXPECT_EQ(f->SetupSelectionTextStyle(italic, 0), 1);
  const StyleSnapshot after = Snapshot(f);
  EXPECT_EQ(after.styles[0].face, italic);
  ExpectExactUndoRedo(f, before, after);
}

TEST_F(TextAttributeTest, AFaceOnAnEmptyLineStylesTheLineAndWhatIsTypedThere) {
  cEditTextObject* f = FieldWith("");
  EXPECT_EQ(f->SetupTargetAreaTextStyle(f->GetFirstLinePtr(), 0, f->GetFirstLinePtr(), 0, bold, 0,
                                        1, 0),
            1);
  sTextStyleAttributes a;
  f->GetInsertPointAttribute(a);
  EXPECT_EQ(a.face, bold);
  f->GetFirstLinePtr()->GetPositionAttribute(0, a);
  EXPECT_EQ(a.face, bold);
}

TEST_F(TextAttributeTest, AtTheCaretTheInsertPointTakesTheChangeAndAnEqualFaceIsNoChange) {
  cEditTextObject* f = FieldWith("abc");
  EXPECT_EQ(f->SetupSelectionTextStyle(normal, 0), 0);
  EXPECT_EQ(f->SetupSelectionTextStyle(bold, 0), 1);
  EXPECT_EQ(f->SetupSelectionTextFontOrSize(kTextStyleAttSize, 18, 0, 1), 1);
  sTextStyleAttributes a;
  f->GetInsertPointAttribute(a);
  EXPECT_EQ(a.face, bold);
  EXPECT_EQ(a.size, 18);
  EXPECT_EQ(f->ModifySelectionAlphaText(kETO_ToUpperCase, 0), 0);
  EXPECT_EQ(Snapshot(f).styles[0].face, normal) << "the text itself is left alone";
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
}

TEST_F(TextAttributeTest, ACaseChangeIsUndoneWithTheOldLettersSelected) {
  cEditTextObject* f = FieldWith("Hello World\rnext");
  f->SetupModifyTextCB(NoteModify, 0);
  Select(f, 0, 16);
  const StyleSnapshot before = Snapshot(f);
  EXPECT_EQ(f->ModifySelectionAlphaText(kETO_ToUpperCase, 0), 1);
  EXPECT_EQ(Text(f), "HELLO WORLD\rNEXT");
  EXPECT_EQ(Log(), std::vector<std::string>{"modify 3"});
  const StyleSnapshot after = Snapshot(f);
  EXPECT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Snapshot(f), before);
  SInt32 start = 0, end = 0;
  unsigned char sf = 0, ef = 0;
  f->GetSelectionInfoStock(start, sf, end, ef);
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(SInt32(0), SInt32(16)));
  EXPECT_EQ(f->ExecReDoOneOperation(0), 1);
  EXPECT_EQ(Snapshot(f), after);
}

TEST_F(TextAttributeTest, FontSizeAndColourChangesComeBackRunByRun) {
  const RGBColor red{0xFFFF, 0, 0};
  struct Case {
    const char* why;
    int kind;  // 0 font, 1 size, 2 colour
  } cases[] = {{"font", 0}, {"size", 1}, {"colour", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = FieldWith("one two three four five six seven");
    // Mixed styles first, so each stored run has its own value to give back.
    Select(f, 4, 7);
    f->SetupSelectionTextFontOrSize(kTextStyleAttSize, 9, 0, 1);
    Select(f, 8, 13);
    f->SetupSelectionTextStyle(bold, 0);
    Select(f, 2, 20);
    const StyleSnapshot before = Snapshot(f);
    unsigned char changed = 0;
    if (c.kind == 0) changed = f->SetupSelectionTextFontOrSize(kTextStyleAttFont, 3, 0, 1);
    if (c.kind == 1) changed = f->SetupSelectionTextFontOrSize(kTextStyleAttSize, 24, 0, 1);
    if (c.kind == 2) changed = f->SetupSelectionTextColor(red, 2, 0, 1);
    EXPECT_EQ(changed, 1);
    const StyleSnapshot after = Snapshot(f);
    EXPECT_NE(after, before);
    ExpectExactUndoRedo(f, before, after);
  }
}

// Every text run holds the width and font heights of its bytes in its own style, as measuring
// the run alone gives them.
void ExpectEveryRunMeasuredInItsStyle(const cEditTextObject* f) {
  for (cTextLineObject* l = f->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
    const std::vector<char> bytes = l->CopyText();
    for (cTextStyleRunObject* r = l->GetStyleRunListHeadPtr(); r != nullptr;
         r = r->GetNextObjectPtr()) {
      if (!r->IsText()) continue;
      const char* at = bytes.data() + r->GetStartCharBytePosition();
      EXPECT_EQ(r->GetTextWidthPixel(), r->GetTargetStringWidth(at, 0, r->ByteLength()))
          << "size " << r->Attributes().size << " at " << r->GetStartCharBytePosition();
      FontInfo fresh;
      r->GetFontInfomation(&fresh);
      EXPECT_EQ(r->FontHeights().ascent, fresh.ascent) << "size " << r->Attributes().size;
      EXPECT_EQ(r->FontHeights().descent, fresh.descent) << "size " << r->Attributes().size;
    }
  }
}

// A change over runs of many styles takes each from its own style to its own new one: the
// runs that take the same change from the same style share what it gave the first of them,
// and the width of each is measured in its new style, however the styles alternate.
TEST_F(TextAttributeTest, AChangeOverManyStylesMeasuresEveryRunInItsNewStyle) {
  const RGBColor red{0xFFFF, 0, 0};
  struct Case {
    const char* why;
    int kind;  // 0 bold toggled, 1 size, 2 font, 3 colour
  } cases[] = {{"bold toggled", 0}, {"a size", 1}, {"a font", 2}, {"a colour", 3}};
  std::string text;
  for (int i = 0; i < 6; ++i) text += std::string("ab cd ") + kA + kKanji + kA + " ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = FieldWith(text.c_str());
    // Stretches of sizes 9, 12 and 24, some bold, that cut across one- and two-byte runs.
    const SInt32 length = SInt32(text.size());
    for (SInt32 at = 0, n = 0; at + 5 < length; at += 5, ++n) {
      Select(f, at, at + 5);
      f->SetupSelectionTextFontOrSize(kTextStyleAttSize, n % 3 == 0 ? 9 : n % 3 == 1 ? 24 : 12, 0, 1);
      if (n % 2 == 0) f->SetupSelectionTextStyle(bold, 0);
    }
    Select(f, 0, length);
    unsigned char changed = 0;
    if (c.kind == 0) changed = f->ModifySelectionTextStyleRevolve(bold, 0);
    if (c.kind == 1) changed = f->SetupSelectionTextFontOrSize(kTextStyleAttSize, 18, 0, 1);
    if (c.kind == 2) changed = f->SetupSelectionTextFontOrSize(kTextStyleAttFont, 3, 0, 1);
    if (c.kind == 3) changed = f->SetupSelectionTextColor(red, 2, 0, 1);
    EXPECT_EQ(changed, 1);
    ExpectEveryRunMeasuredInItsStyle(f);
    EXPECT_EQ(f->ExecUnDoOneOperation(0), 1);
    ExpectEveryRunMeasuredInItsStyle(f);
    EXPECT_EQ(f->ExecReDoOneOperation(0), 1);
    ExpectEveryRunMeasuredInItsStyle(f);
  }
}

TEST_F(TextAttributeTest, AnEmptyFieldsAlignmentComesBackToo) {
  cEditTextObject* f = FieldWith("");
  const StyleSnapshot before = Snapshot(f);
  EXPECT_EQ(f->SetupHolizontalPosition(kSpPositionCenter, 0, 1), 1);
  ExpectExactUndoRedo(f, before, Snapshot(f));
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 1);
}

TEST_F(TextAttributeTest, RightAlignmentTakesEveryLineAndTheVerticalTypesAreRefused) {
  cEditTextObject* f = FieldWith("one\rtwo\rthree");
  const StyleSnapshot before = Snapshot(f);
  for (tPositionType vertical : {tPositionType(4), tPositionType(5)}) {
    EXPECT_EQ(f->SetupHolizontalPosition(vertical, 0, 1), 0);
    EXPECT_EQ(Snapshot(f), before);
  }
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
  EXPECT_EQ(f->SetupHolizontalPosition(kSpPositionRight, 0, 1), 1);
  const StyleSnapshot after = Snapshot(f);
  EXPECT_EQ(after.alignment, std::vector<tPositionType>(3, kSpPositionRight));
  ExpectExactUndoRedo(f, before, after);
}

TEST_F(TextAttributeTest, WholeTextChangesReachEveryLineAndTheInsertPointWithoutAnUndoStep) {
  struct Case {
    const char* why;
    void (*change)(cEditTextObject*);
    ByteStyle expected;  // of every byte, line breaks and tabs too, and of the insert point
    SInt16 height;       // of every line, 0: not checked
  } cases[] = {
      {"size", [](cEditTextObject* f) { f->SetupTextSize(20, 0); },
       {sp_testing::kFixedMetricFont, 20, normal, 0, 0, 0, 2}, 15 + 5 + 2},
      {"smaller size", [](cEditTextObject* f) { f->SetupTextSize(8, 0); },
       {sp_testing::kFixedMetricFont, 8, normal, 0, 0, 0, 2}, 6 + 2 + 2},
      {"font", [](cEditTextObject* f) { f->SetupFontNo(3, 0); }, {3, 12, normal, 0, 0, 0, 2}, 0},
      {"whole attributes",
       [](cEditTextObject* f) {
         sTextStyleAttributes a;
         f->GetInsertPointAttribute(a);
         a.size = 20;
         a.face = bold;
         f->SetupAttributeIntoAllText(a, 0);
       },
       {sp_testing::kFixedMetricFont, 20, bold, 0, 0, 0, 2}, 15 + 5 + 2},
      {"colour", [](cEditTextObject* f) { f->SetupTextColor(RGBColor{0, 0, 0xFFFF}, 7, 0, 0); },
       {sp_testing::kFixedMetricFont, 12, normal, 0, 0, 0xFFFF, 7}, 12 + 2},
  };
  // The empty line holds only its line break: its height, and the style typed on it, are
  // the break's.
  const std::string text = "one two three four five six\r\r\tseven";
  const SInt32 emptyLine = 28;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = FieldWith(text.c_str());
    f->SetupSelectionPosition(4, 1, 7, 0, 0, 0);
    c.change(f);
    const StyleSnapshot after = Snapshot(f);
    ASSERT_EQ(after.text, text);
    for (std::size_t i = 0; i < after.styles.size(); ++i) EXPECT_EQ(after.styles[i], c.expected) << i;
    for (cTextLineObject* l = f->GetFirstLinePtr(); c.height != 0 && l != nullptr;
         l = l->GetNextObjectPtr()) {
      EXPECT_EQ(l->GetLineHeight(1, 1), c.height) << l->GetReferenceNo();
    }
    sTextStyleAttributes a;
    f->GetInsertPointAttribute(a);
    EXPECT_EQ(a.size, c.expected.size);
    EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
    SInt32 start = 0, end = 0;
    unsigned char sf = 0, ef = 0;
    f->GetSelectionInfoStock(start, sf, end, ef);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(SInt32(4), SInt32(7)));
    f->SetupCaretPosition(emptyLine, 0);
    f->GetInsertPointAttribute(a);
    EXPECT_EQ(a.fontNo, c.expected.font) << "typed on the empty line";
    EXPECT_EQ(a.size, c.expected.size) << "typed on the empty line";
    EXPECT_EQ(a.colors[0].rgb.blue, c.expected.blue) << "typed on the empty line";
  }
}

TEST_F(TextAttributeTest, ASizeChangeOverALongTextPlacesEachLineAFewTimes) {
  // Every line grows, so every line after it moves: placed once per line changed, the work
  // would grow with the square of the lines.
  struct Case {
    const char* why;
    SInt16 size;  // before the change
    void (*change)(cEditTextObject* f, SInt32 length);
  } cases[] = {
      {"a stretch", 12,
       [](cEditTextObject* f, SInt32 length) {
         Select(f, 0, length);
         f->SetupSelectionTextFontOrSize(kTextStyleAttSize, 24, 0, 1);
       }},
      {"the whole text", 12, [](cEditTextObject* f, SInt32) { f->SetupTextSize(24, 0); }},
      {"the undo of a stretch", 24, [](cEditTextObject* f, SInt32) { f->ExecUnDoOneOperation(0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<UInt64> placed;
    for (int lines : {200, 800}) {
      fields_.clear();
      std::string text = "ab";
      for (int i = 1; i < lines; ++i) text += "\rab";
      cEditTextObject* f = FieldWith(text.c_str());
      if (c.size != 12) {
        Select(f, 0, SInt32(text.size()));
        f->SetupSelectionTextFontOrSize(kTextStyleAttSize, UInt16(c.size), 0, 1);
      }
      const UInt64 before = cTextLineObject::LinesPlaced();
      c.change(f, SInt32(text.size()));
      placed.push_back(cTextLineObject::LinesPlaced() - before);
      SInt32 firstTop = 0, top = 0, bottom = 0;
      f->GetFirstLinePtr()->GetLinePosition(firstTop, bottom);
      f->GetLastLinePtr()->GetLinePosition(top, bottom);
      const SInt32 height = (c.size == 12 ? 24 : 12) + 2;
      EXPECT_EQ(bottom - top, height);
      EXPECT_EQ(top - firstTop, (lines - 1) * height) << "every line placed below the one before";
    }
    EXPECT_LE(placed[1], 4 * placed[0] + 8);
  }
}

TEST_F(TextAttributeTest, TheCaretTypesInTheStyleOfTheTextBeforeIt) {
  cEditTextObject* f = FieldWith("abcd\r");
  f->SetupSelectionPosition(0, 1, 2, 0, 0, 0);
  f->SetupSelectionTextStyle(bold, 0);
  f->SetupSelectionPosition(2, 1, 4, 0, 0, 0);
  f->SetupSelectionTextStyle(italic, 0);
  struct Case {
    SInt32 caret;
    Style face;
  } cases[] = {{0, bold}, {1, bold}, {2, bold}, {3, italic}, {4, italic}};
  for (const Case& c : cases) {
    f->SetupCaretPosition(c.caret, 0);
    sTextStyleAttributes a;
    f->GetInsertPointAttribute(a);
    EXPECT_EQ(a.face, c.face) << c.caret;
  }
}

TEST_F(TextAttributeTest, BoldWrapsEveryParagraphItWidensEvenPastUnchangedOnes) {
  // Short paragraphs that stay on their lines, then one that fills its line exactly: bold
  // widens it past the field.
  cEditTextObject* f = FieldWith("a\rb\rc\rd\re\rf\rabcdefghijklmnopqrs");
  const SInt32 before = f->GetNumOfLine();
  EXPECT_EQ(f->ModifyTextStyleRevolve(bold, 0), 1);
  EXPECT_EQ(f->GetNumOfLine(), before + 1);
  for (cTextLineObject* l = f->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
    EXPECT_LE(l->GetRealLineWidth(0, 0), l->GetLineWidth()) << l->GetReferenceNo();
  }
  f->ExecUnDoOneOperation(0);
  EXPECT_EQ(f->GetNumOfLine(), before);
}

TEST_F(TextAttributeTest, TextComesOutWhole) {
  cEditTextObject* f = FieldWith("abc\rdef ghi jkl mno pqr stu");  // wraps
  const std::string all = "abc\rdef ghi jkl mno pqr stu";
  struct Case {
    SInt32 size;
    unsigned char terminate;
    SInt32 copied;
    unsigned char overflow;
  } cases[] = {
      {SInt32(all.size()) + 1, 1, SInt32(all.size()), 0},
      {SInt32(all.size()), 1, SInt32(all.size()), 1},  // no room for the zero
      {SInt32(all.size()), 0, SInt32(all.size()), 0},
      {5, 0, 5, 1},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(64, '#');
    unsigned char overflow = 0;
    EXPECT_EQ(f->GetText(buffer.data(), c.size, c.terminate, overflow), c.copied) << c.size;
    EXPECT_EQ(overflow, c.overflow) << c.size;
    EXPECT_EQ(std::string(buffer.data(), std::size_t(c.copied)), all.substr(0, c.copied));
    EXPECT_EQ(buffer[std::size_t(c.size)], '#') << "nothing past the buffer";
  }
  unsigned char overflow = 0;
  EXPECT_EQ(f->GetText(nullptr, 10, 1, overflow), 0);
  EXPECT_EQ(overflow, 1);
}

TEST_F(TextAttributeTest, TheSelectionsStylesAreListedAndTheFirstIsItsTop) {
  cEditTextObject* f = FieldWith("abcdef");
  Select(f, 2, 4);
  f->SetupSelectionTextStyle(bold, 0);
  Select(f, 1, 6);
  cTextAttributeList list;
  EXPECT_EQ(f->GetSelectionAttribute(list), 1);
  ASSERT_EQ(list.GetCountItem(), 3);
  sTextStyleAttributes a;
  list.GetNumAttribute(2, a);
  EXPECT_EQ(a.face, bold);
  Select(f, 3, 6);
  EXPECT_EQ(f->GetTopRunAttributeOnSelection(a), 1);
  EXPECT_EQ(a.face, bold);
}

}  // namespace
}  // namespace edit_test
