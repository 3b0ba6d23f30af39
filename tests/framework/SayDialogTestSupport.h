// Shared set-up of the say dialog tests: the compiled application resources (the say dialogs
// 6130-6142 and their icons), the virtual clock, the Carbon-event mode and the responder that
// answers every dialog and sheet.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "FrameworkTestSupport.h"

#include "SpStdSayDialog.h"
#include "SpTextCodec.h"
#include "TestResponder.h"

namespace say_dialog_test {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ShownKind;
using sp_testing::ShownSoFar;

// MacJapanese bytes of a UTF-8 literal.
inline std::string MJ(const char* utf8) {
  std::string out;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(utf8, out));
  return out;
}

// A writable zero-terminated copy of a text, as the say dialogs' callers hand them.
class Text {
 public:
  explicit Text(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {
    bytes_.push_back(0);
  }
  char* get() { return bytes_.data(); }
  std::string str() const { return std::string(bytes_.data()); }

 private:
  std::vector<char> bytes_;
};

// A writable zero-terminated copy of a text that lives until the program ends.
inline char* T(const std::string& bytes) {
  static std::deque<Text> kept;
  kept.emplace_back(bytes);
  return kept.back().get();
}

// What a responder step saw of a dialog's buttons and window.
struct Layout {
  Rect content = {0, 0, 0, 0};  // global
  std::vector<Rect> buttons;    // the boxes of items 1, 2 (and 3), local
  std::vector<Rect> controls;   // their controls' bounds
};

// A responder answer that first reads the layout into `out`, then clicks the item.
inline Answer ReadThenClick(Layout* out, int buttons, DialogItemIndex item) {
  const auto read = [out, buttons](WindowRef window) {
    GetWindowBounds(window, kWindowContentRgn, &out->content);
    DialogRef dialog = GetDialogFromWindow(window);
    for (DialogItemIndex i = 1; i <= buttons; ++i) {
      Rect bounds = {0, 0, 0, 0};
      ControlRef control = framework_test::ItemControl(dialog, i);
      if (control != nullptr) GetControlBounds(control, &bounds);
      out->buttons.push_back(framework_test::ItemBox(dialog, i));
      out->controls.push_back(bounds);
    }
  };
  return Answer().Do(read, "read layout").ClickItem(item);
}

using framework_test::Show;

class SayDialogFixture : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_CarbonEvent_ModeEnable();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
  }
  void TearDown() override {
    responder_.reset();
    FrameworkFixture::TearDown();
  }

  // A visible document window for sheets.
  static WindowRef NewParent() {
    Rect bounds = {100, 100, 400, 600};
    WindowRef window = NewCWindow(nullptr, &bounds, (ConstStr255Param) "\x06Parent", true,
                                  documentProc, reinterpret_cast<WindowRef>(-1), true, 0);
    EXPECT_NE(window, nullptr);
    return window;
  }

  static const sp_testing::Shown& Last() {
    static const sp_testing::Shown none;
    const auto& shown = ShownSoFar();
    EXPECT_FALSE(shown.empty());
    return shown.empty() ? none : shown.back();
  }

  std::unique_ptr<sp_testing::ResponderScope> responder_;
};

}  // namespace say_dialog_test
