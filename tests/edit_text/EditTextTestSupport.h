// What the tests of the edit-text object, its manager and the text services share: a visible
// window on the virtual clock in Carbon-event mode, the fixed-metric font standing in for the
// system font (one-byte characters 6 pixels wide at size 12, two-byte 12, lines 14 high), a
// manager and text services as at start, and fields kept until the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "Scrap.h"
#include "SpEditTextObject.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace edit_test {

// MacJapanese characters used by the tests.
constexpr const char* kA = "\x82\xA0";      // hiragana a
constexpr const char* kKanji = "\x88\x9F";  // a kanji

inline Rect R(short top, short left, short bottom, short right) {
  return Rect{top, left, bottom, right};
}

inline Point Pt(short h, short v) {
  return Point{v, h};
}

// What the callbacks of a test were told, in order.
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

class EditTextFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Sp_CarbonEvent_ModeEnable();
    sp_testing::ResetTextServices();
    sp_testing::ResetEditTextManager();
    Log().clear();
    window_ = NewWindowAt(R(100, 100, 400, 500));
  }
  void TearDown() override {
    fields_.clear();
    sp_testing::ResetTextServices();
    sp_testing::ResetEditTextManager();
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // A visible window whose content lies at the global rectangle, white.
  static WindowRef NewWindowAt(const Rect& content) {
    WindowRef w =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(w), 0xFFFFFF);
    return w;
  }

  // A multi-line, editable, selectable field of the window, kept until the end of the test.
  cEditTextObject* Field(const Rect& area, WindowRef window = nullptr,
                         unsigned char multiLine = 1) {
    fields_.emplace_back(new (std::nothrow) cEditTextObject(window != nullptr ? window : window_, area, 12,
                                             multiLine, 1, 1, nullptr, 0));
    return fields_.back().get();
  }

  static std::vector<std::string> Lines(const cEditTextObject* field) {
    std::vector<std::string> out;
    for (cTextLineObject* l = field->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
      const std::vector<char> bytes = l->CopyText();
      out.emplace_back(bytes.data(), std::size_t(l->GetNumOfTextByte(1, 1)));
    }
    return out;
  }

  static std::string Text(const cEditTextObject* field) {
    std::string out;
    for (const std::string& line : Lines(field)) out += line;
    return out;
  }

  // The caret (or the selection's start) as line number and offset.
  static std::pair<SInt32, SInt32> Caret(const cEditTextObject* field) {
    SInt32 line = 0, byte = 0;
    field->GetSelectionStartPoint(line, byte);
    return {line, byte};
  }

  // Each byte as a key through the manager, as the framework hands keys over.
  static void Keys(const std::string& bytes) {
    for (char c : bytes) SpETO_EventKeyInProcedure(c, 0);
  }

  UInt32 Px(short h, short v) const { return sp_testing::ReadPixel(GetWindowPort(window_), h, v); }
  void Redraw() const { Sp_RedrawViewWindow(window_, 0); }

  WindowRef window_ = nullptr;
  sp_testing::FixedMetricFontScope font_;
  std::vector<std::unique_ptr<cEditTextObject>> fields_;
  ErrorLogCapture errors_;
};

// The same with an empty clipboard before and after each test.
class ClipboardFixture : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    ClearCurrentScrap();
  }
  void TearDown() override {
    sp_testing::SetModifierKeys(0);
    ClearCurrentScrap();
    EditTextFixture::TearDown();
  }
};

}  // namespace edit_test
