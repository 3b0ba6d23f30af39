// Two fields of a window on the desktop, driven by the X tools as a user would: typed keys go
// into the active field, Ctrl+V pastes what another program copied (Roman and Japanese) as
// MacJapanese, Ctrl+C hands the desktop UTF-8, styled text copied in one field pastes with its
// styles into the other, and once another program copies, a paste is plain text in the style
// at the caret.
#include <SDL.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "Scrap.h"
#include "SpCarbonEventHandlers.h"
#include "SpDragAndDropObject.h"
#include "SpETOOperationRec.h"
#include "SpEditTextObject.h"
#include "SpHotSpotArea.h"
#include "SpServiceHooks.h"
#include "SpStdFunctionNumber.h"
#include "SpTextCodec.h"
#include "SpTextService.h"
#include "SpViewServices.h"
#include "TestDrags.h"

namespace desktop_test {
namespace {

class DesktopEditing : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetTextServices();
    sp_testing::ResetEditTextManager();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    SpTextServiceInitialize();
    ASSERT_EQ(ClearCurrentScrap(), noErr);
    window_ = ShowWindowOnDesktop(R(150, 120, 330, 420), "編集");
    ASSERT_NE(window_, nullptr);
    first_.reset(new (std::nothrow)
                     cEditTextObject(window_, R(10, 10, 60, 290), 12, 1, 1, 1, nullptr, 0));
    second_.reset(new (std::nothrow)
                      cEditTextObject(window_, R(90, 10, 140, 290), 12, 1, 1, 1, nullptr, 0));
    first_->ActivateEditText(1, 1);
  }
  void TearDown() override {
    first_.reset();
    second_.reset();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    sp_testing::ResetTextServices();
    sp_testing::ResetEditTextManager();
    ClearCurrentScrap();
    DesktopTest::TearDown();
  }

  static std::string Text(const cEditTextObject* field) {
    std::string out;
    for (cTextLineObject* l = field->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      const std::vector<char> bytes = l->CopyText();
      out.append(bytes.data(), std::size_t(l->GetNumOfTextByte(1, 1)));
    }
    return out;
  }
  // 'B' for each bold byte of the text, '-' for the others.
  static std::string Faces(const cEditTextObject* field) {
    std::string out;
    for (cTextLineObject* l = field->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      for (SInt32 i = 1; i <= l->GetNumOfTextByte(1, 0); ++i) {
        sTextStyleAttributes a;
        l->GetPositionAttribute(i, a);
        out += (a.face & bold) != 0 ? 'B' : '-';
      }
    }
    return out;
  }
  static std::string ScrapText() {
    ScrapRef scrap = nullptr;
    Size size = 0;
    if (GetCurrentScrap(&scrap) != noErr ||
        GetScrapFlavorSize(scrap, kScrapFlavorTypeText, &size) != noErr || size <= 0) {
      return std::string();
    }
    std::string bytes(std::size_t(size), '\0');
    GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, &bytes[0]);
    return bytes;
  }
  // Another program copies the text, and the clipboard is seen to hold it.
  bool OtherProgramCopies(const char* utf8, const std::string& asMacJapanese) {
    if (!RunTool({"xclip", "-selection", "clipboard", "-i"}, nullptr, utf8)) return false;
    return PumpUntil([&] { return ScrapText() == asMacJapanese; }, "the other program's text");
  }
  // Ctrl and the letter, Ctrl held until the letter did what it does. The key map follows
  // the keys as the display reads them, ahead of the events handled from the queue, so Ctrl
  // let go in the same burst would no longer be held when the letter's event is handled.
  bool Command(const char* letter, const std::function<bool()>& done, const char* what) {
    if (!RunToolPumping({"xdotool", "keydown", "ctrl"})) return false;
    const bool held = PumpUntil(
        [] {
          short modifiers = 0;
          Sp_GetModifiers(&modifiers, nullptr);
          return (modifiers & cmdKey) != 0;
        },
        "Ctrl held");
    const bool typed = held && RunToolPumping({"xdotool", "key", letter}) && PumpUntil(done, what);
    return RunToolPumping({"xdotool", "keyup", "ctrl"}) && typed;
  }

  // A click at a window point (local coordinates of the content).
  bool ClickAt(short h, short v) {
    int sx = 0, sy = 0;
    const int strip = sp_platform::display::StripHeightOf(window_);
    if (!ScreenPointOf(window_, h, strip + v, &sx, &sy)) return false;
    return RunToolPumping(
        {"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy), "click", "1"});
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cEditTextObject> first_;
  std::unique_ptr<cEditTextObject> second_;
};

TEST_F(DesktopEditing, TypedKeysAndTextAnotherProgramCopiedGoIntoTheActiveField) {
  ASSERT_TRUE(RunToolPumping({"xdotool", "type", "--delay", "1", "abc"}));
  ASSERT_TRUE(PumpUntil([this] { return Text(first_.get()) == "abc"; }, "the typed keys"));
  const std::string pasted = MJ("Roman\r日本語のテキスト");
  ASSERT_TRUE(OtherProgramCopies("Roman\n日本語のテキスト", pasted));
  ASSERT_TRUE(Command(
      "v", [&] { return Text(first_.get()) == "abc" + pasted; }, "the paste"));
  EXPECT_EQ(first_->GetNumOfLine(), 2) << "the line feed that came back ends a line";
  EXPECT_EQ(Text(second_.get()), "");
}

TEST_F(DesktopEditing, CopyHandsTheDesktopTheSelectionAsUTF8WithLineFeeds) {
  first_->SetupText(MJ("コピー\rcopy").c_str(), 1);
  first_->SelectionAll(1, 0);
  ASSERT_TRUE(Command(
      "c", [] { return ScrapText() == MJ("コピー\rcopy"); }, "the copy"));
  std::string out;
  ASSERT_TRUE(RunToolPumping({"xclip", "-selection", "clipboard", "-o"}, &out));
  EXPECT_EQ(out, "コピー\ncopy");
}

TEST_F(DesktopEditing, StylesGoWithACopyBetweenFieldsButNotWithAnotherProgramsText) {
  sTextStyleAttributes a;
  first_->SetupText("ab", 1);
  first_->SetupCaretPosition(2, 0);
  first_->GetInsertPointAttribute(a);
  a.face = bold;
  first_->SetupInsertPointAttribute(a);
  ASSERT_TRUE(RunToolPumping({"xdotool", "type", "--delay", "1", "cd"}));
  ASSERT_TRUE(PumpUntil([this] { return Faces(first_.get()) == "--BB"; }, "bold typing"));
  first_->SelectionAll(1, 0);
  ASSERT_TRUE(Command(
      "c", [] { return ScrapText() == "abcd"; }, "the copy"));

  // A click in the second field gives it the keyboard and the caret. The window is the
  // toolbox's own, so its presses go to its hot spots from here.
  Listen(GetApplicationEventTarget(),
         {{kEventClassMouse, kEventMouseDown}, {kEventClassMouse, kEventMouseUp}},
         [this](EventRef e) {
           Point where{0, 0};
           UInt32 modifiers = 0;
           GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                             nullptr, &where);
           GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                             nullptr, &modifiers);
           GrafPtr saved = nullptr;
           GetPort(&saved);
           SetPortWindowPort(window_);
           GlobalToLocal(&where);
           SetPort(saved);
           if (GetEventKind(e) == kEventMouseDown) {
             Sp_MouseDownHotSpot(window_, where, short(modifiers));
           } else {
             Sp_MouseUpHotSpot(window_, where, short(modifiers));
           }
           return OSStatus(noErr);
         });
  ASSERT_TRUE(ClickAt(40, 100));
  ASSERT_TRUE(PumpUntil([this] { return second_->IsActiveEditText() != 0; }, "the click"));
  ASSERT_TRUE(Command(
      "v", [this] { return Text(second_.get()) == "abcd"; }, "the styled paste"));
  EXPECT_EQ(Faces(second_.get()), "--BB");

  // Another program copies the very same text: the styles were ours and go. Pasted after the
  // bold "d", the text is bold.
  ASSERT_TRUE(RunTool({"xclip", "-selection", "clipboard", "-i"}, nullptr, "abcd"));
  ASSERT_TRUE(PumpUntil(
      [] {
        ScrapRef scrap = nullptr;
        Size size = 0;
        // Its text read back too: xclip serves it by now, so the paste finds it at once.
        return GetCurrentScrap(&scrap) == noErr &&
               GetScrapFlavorSize(scrap, kScrapFlavorTypeTextStyle, &size) == noTypeErr &&
               ScrapText() == "abcd";
      },
      "the other program's copy"));
  second_->SetupCaretPosition(4, 0);
  ASSERT_TRUE(Command(
      "v", [this] { return Text(second_.get()) == "abcdabcd"; }, "the plain paste"));
  EXPECT_EQ(Faces(second_.get()), "--BBBBBB");
}

// Composition events as the desktop's input method hands them to SDL: the preedit shows in the
// field with its segment as a clause, and the commit is typing that one undo takes back.
TEST_F(DesktopEditing, ACompositionShowsInTheFieldAndItsCommitIsOneUndoStep) {
  first_->GetUndoManager()->SetupStockRecTermNumMax(10);
  const Uint32 id = sp_platform::display::SDLWindowIDOf(window_);
  auto editing = [id](const char* utf8, Sint32 start, Sint32 length) {
    SDL_Event e{};
    e.edit.type = SDL_TEXTEDITING;
    e.edit.windowID = id;
    SDL_strlcpy(e.edit.text, utf8, sizeof e.edit.text);
    e.edit.start = start;
    e.edit.length = length;
    return SDL_PushEvent(&e) == 1;
  };
  ASSERT_TRUE(editing("かな", 2, 0));
  ASSERT_TRUE(PumpUntil([this] { return Text(first_.get()) == MJ("かな"); }, "the preedit"));
  EXPECT_EQ(first_->IsTextInputInProgress(), 1);
  ASSERT_TRUE(editing("仮名", 0, 2));
  ASSERT_TRUE(PumpUntil([this] { return Text(first_.get()) == MJ("仮名"); }, "the conversion"));
  ASSERT_NE(first_->GetActiveInputAreaClauseList(), nullptr);
  EXPECT_EQ(first_->GetActiveInputAreaClauseList()->GetAreaType(), 4);
  SDL_Event commit{};
  commit.text.type = SDL_TEXTINPUT;
  commit.text.windowID = id;
  SDL_strlcpy(commit.text.text, "仮名", sizeof commit.text.text);
  ASSERT_EQ(SDL_PushEvent(&commit), 1);
  ASSERT_TRUE(PumpUntil([this] { return first_->IsTextInputInProgress() == 0; }, "the commit"));
  EXPECT_EQ(Text(first_.get()), MJ("仮名"));
  ASSERT_EQ(first_->ExecUnDoOneOperation(1), 1);
  EXPECT_EQ(Text(first_.get()), "");
}

// Another program's text dropped on the window, as SDL hands it over (line by line, then the
// drop's end): it goes into the field under the pointer, where the pointer is.
TEST_F(DesktopEditing, TextDroppedByAnotherProgramGoesInUnderThePointer) {
  SpDDO_InitializeDragAndDrop();
  second_->SetupText("gamma", 0);
  int sx = 0, sy = 0;
  const int strip = sp_platform::display::StripHeightOf(window_);
  ASSERT_TRUE(ScreenPointOf(window_, 280, strip + 99, &sx, &sy));
  ASSERT_TRUE(
      RunToolPumping({"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy)}));
  SDL_Event e{};
  e.drop.windowID = sp_platform::display::SDLWindowIDOf(window_);
  e.drop.type = SDL_DROPBEGIN;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  for (const char* line : {"one\n", "二"}) {
    e.drop.type = SDL_DROPTEXT;
    e.drop.file = SDL_strdup(line);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  e.drop.type = SDL_DROPCOMPLETE;
  e.drop.file = nullptr;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  const std::string expected = "gammaone\r" + MJ("二");
  ASSERT_TRUE(PumpUntil([&] { return Text(second_.get()) == expected; }, "the dropped text"));
  EXPECT_EQ(Text(first_.get()), "");
}

}  // namespace
}  // namespace desktop_test
