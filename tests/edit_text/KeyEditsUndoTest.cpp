// Undo is exact over the keys' edits: random typing (Roman and two-byte text, through the
// manager as keys arrive), Backspace, forward delete, cut, paste and bold toggles at random
// places from a fixed seed, then every undo and every redo gives back the bytes and every
// byte's style the forward run had at that point.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"
#include "StyleSnapshot.h"

namespace edit_test {
namespace {

class KeyEditsUndoTest : public ClipboardFixture {
 protected:
  // The places between characters (a two-byte character is not split).
  static std::vector<SInt32> Boundaries(const std::string& text) {
    std::vector<SInt32> out{0};
    for (std::size_t i = 0; i < text.size();) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      i += ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size() ? 2 : 1;
      out.push_back(SInt32(i));
    }
    return out;
  }

  // One random edit.
  static void Edit(cEditTextObject* f, std::mt19937& random) {
    const std::vector<SInt32> at = Boundaries(Snapshot(f).text);
    auto pick = [&] {
      return at[std::uniform_int_distribution<std::size_t>(0, at.size() - 1)(random)];
    };
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    // Now and then the edit goes on where the last one left the caret.
    if (std::uniform_int_distribution<int>(0, 2)(random) != 0) {
      const SInt32 a = pick();
      const SInt32 b = kind >= 6 ? pick() : a;
      f->SetupSelectionPosition(a, 0, b, 0, 0, 0);
    }
    static const char* const kTyped[] = {"a", "xy", "\r", kA, kKanji, "q"};
    switch (kind) {
      case 0:
      case 1:
      case 2:
        Keys(kTyped[std::uniform_int_distribution<int>(0, 5)(random)]);
        break;
      case 3:
        Keys("\b");
        break;
      case 4:
        Keys("\x7F");
        break;
      case 5:
        f->ExecPastScrapText(0);
        break;
      case 6:
        f->ExecCutSelectedTextIntoScrap(0);
        break;
      case 7:
        f->ExecCopySelectedTextIntoScrap(0, 0);
        f->ExecPastScrapText(0);
        break;
      default:
        if (f->ExistSelectionText() != 0) f->ModifySelectionTextStyleRevolve(bold, 0);
        break;
    }
  }
};

TEST_F(KeyEditsUndoTest, EveryUndoAndRedoGivesBackTheTextAndStylesOfThatPoint) {
  cEditTextObject* f = Field(R(10, 10, 290, 130));
  f->SetupText("Hello world\rsecond line", 0);
  f->SetupCaretPosition(5, 0);
  f->ActivateEditText(1, 0);
  const SInt32 kEdits = 120;
  f->GetUndoManager()->SetupStockRecTermNumMax(SInt16(kEdits + 10));
  std::mt19937 random(20261207);
  // The state at the end of each step, by the number of steps that undo can take back.
  std::vector<StyleSnapshot> byStep{Snapshot(f)};
  for (SInt32 i = 0; i < kEdits; ++i) {
    Edit(f, random);
    const SInt32 steps = f->GetUnDoOperationRecordCount();
    ASSERT_LE(steps, SInt32(byStep.size())) << "edit " << i;
    if (steps == SInt32(byStep.size())) {
      byStep.push_back(Snapshot(f));
    } else {
      ASSERT_EQ(steps, SInt32(byStep.size()) - 1) << "edit " << i;
      byStep.back() = Snapshot(f);
    }
  }
  ASSERT_GT(byStep.size(), 40u);
  for (SInt32 k = SInt32(byStep.size()) - 2; k >= 0; --k) {
    ASSERT_EQ(f->ExecUnDoOneOperation(0), 1) << "undo to step " << k;
    ASSERT_EQ(Snapshot(f), byStep[std::size_t(k)]) << "undo to step " << k;
  }
  EXPECT_EQ(f->ExecUnDoOneOperation(0), 0);
  for (std::size_t k = 1; k < byStep.size(); ++k) {
    ASSERT_EQ(f->ExecReDoOneOperation(0), 1) << "redo to step " << k;
    ASSERT_EQ(Snapshot(f), byStep[k]) << "redo to step " << k;
  }
  EXPECT_EQ(f->ExecReDoOneOperation(0), 0);
}

}  // namespace
}  // namespace edit_test
