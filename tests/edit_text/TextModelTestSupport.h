// Shared by the text model's tests: a GWorld made current with the fixed-metric font standing
// in for the system font (one-byte characters 6 pixels wide at size 12, two-byte 12, ascent
// 9, descent 3), and a text of wrapped lines built from a string.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "SpETOTextLineObject.h"
#include "SpTextStyle.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"

namespace text_test {

// MacJapanese characters used by the tests.
constexpr const char* kA = "\x82\xA0";       // hiragana a
constexpr const char* kKanji = "\x88\x9F";   // a kanji
constexpr const char* kMaru = "\x81\x42";    // the ideographic full stop
constexpr const char* kCloseKagi = "\x81\x76";  // the closing corner bracket

inline std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

class TextModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetGWorld(&savedPort_, &savedDevice_);
    const Rect bounds = {0, 0, 200, 400};
    ASSERT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
    sp_testing::FillPort(world_, 0xFFFFFF);
    SetGWorld(world_, nullptr);
    Sp_InitializeTextStyleAttribute(attributes_);
  }
  void TearDown() override {
    FreeLines();
    SetGWorld(savedPort_, savedDevice_);
    if (world_ != nullptr) DisposeGWorld(world_);
  }

  // A new first line of the given width holding `text`, wrapped.
  cTextLineObject* Wrap(const std::string& text, SInt16 width) {
    FreeLines();
    first_ = new (std::nothrow) cTextLineObject(world_, 12, kSpPositionLeft, 1, attributes_);
    first_->SetupLineWidth(width);
    first_->SetupTextBytes(text.data(), SInt32(text.size()));
    Rewrap(first_);
    return first_;
  }

  void Rewrap(cTextLineObject* from) {
    widthChanged_ = 0;
    from->ResetBreakLine(handled_, added_, removed_, widthChanged_);
  }

  std::vector<cTextLineObject*> LineObjects() const {
    std::vector<cTextLineObject*> out;
    for (cTextLineObject* l = first_; l != nullptr; l = l->GetNextObjectPtr()) out.push_back(l);
    return out;
  }

  static std::string TextOf(const cTextLineObject* line) {
    const std::vector<char> bytes = line->CopyText();
    return std::string(bytes.data(), std::size_t(SpSO_GetStringLen(line->GetStringObjectPtr())));
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (cTextLineObject* l : LineObjects()) out.push_back(TextOf(l));
    return out;
  }

  void FreeLines() {
    while (first_ != nullptr) {
      cTextLineObject* next = first_->GetNextObjectPtr();
      delete first_;
      first_ = next;
    }
  }

  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
  sp_testing::FixedMetricFontScope font_;
  sTextStyleAttributes attributes_;
  cTextLineObject* first_ = nullptr;
  SInt16 handled_ = 0, added_ = 0, removed_ = 0;
  unsigned char widthChanged_ = 0;
};

}  // namespace text_test
