// What the tests of control items and change-output groups share: a dialog window made from
// in-memory resources, its items' controls, hit events sent the way the Control Manager sends
// them after a tracked click, and callbacks that write what they were told into one log.
#pragma once

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

namespace control_item_test {

using framework_test::kTestDate;
constexpr SInt16 kDialogId = 200;

// Dialog 200: seven items (a button, a check box, two radio buttons, a static text, an edit
// text and a progress bar from a 'CNTL'). Panels 201 (three items: check box, edit text,
// button) and 202 (two radio buttons) are appended by the group tests.
inline const char* ResourceSource() {
  return R"(
resource 'DLOG' 200 {
  bounds 60, 80, 300, 420; procID 5; visible false; items 200; title "Items"
}
resource 'DITL' 200 {
  button 200, 250, 220, 320 { text "OK" }
  checkBox 20, 20, 36, 150 { text "Check" }
  radioButton 50, 20, 66, 150 { text "A" }
  radioButton 70, 20, 86, 150 { text "B" }
  staticText 100, 20, 116, 150 { text "Label" }
  editText 120, 20, 136, 150 { text "abc" }
  control 20, 180, 36, 320 { id 200 }
}
resource 'CNTL' 200 {
  bounds 20, 180, 36, 320; value 0; max 10; min 0; procID progressBarProc; title ""
}
resource 'DITL' 201 {
  checkBox 150, 180, 166, 320 { text "Panel one" }
  editText 170, 180, 186, 320 { text "one" }
  button 190, 180, 210, 240 { text "Go" }
}
resource 'DITL' 202 {
  radioButton 150, 180, 166, 320 { text "Two A" }
  radioButton 170, 180, 186, 320 { text "Two B" }
}
)";
}

using framework_test::Log;

struct Named {
  std::string name;
};

inline std::string NameOf(unsigned long userData) {
  return reinterpret_cast<const Named*>(userData)->name;
}

inline void LogPart(short modifiers, unsigned long userData, short part) {
  Log().push_back(NameOf(userData) + "(" + std::to_string(modifiers) + "," + std::to_string(part) +
                  ")");
}

inline void LogPlain(short modifiers, unsigned long userData) {
  Log().push_back(NameOf(userData) + "(" + std::to_string(modifiers) + ")");
}

class ControlItemFixture : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(framework_test::UseResourceSource(ResourceSource()));
    window_.reset(new cSp_Window(kDialogId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0));
    ASSERT_NE(Dialog(), nullptr);
  }
  void TearDown() override {
    items_.clear();  // before the window: items leave the controls' targets first
    window_.reset();
    names_.clear();
    FrameworkFixture::TearDown();
  }

  cSp_Window* Window() const { return window_.get(); }
  DialogRef Dialog() const { return window_->GetDialogRef(); }

  // An item kept until the end of the test.
  cSp_ControlItem* Item(short itemNo, unsigned char deferred = 0) {
    cSp_ControlItem* item = new (std::nothrow) cSp_ControlItem(Window(), itemNo, deferred);
    items_.emplace_back(item);
    return item;
  }
  // An item to hand over to a parent (which deletes it).
  cSp_ControlItem* LooseItem(short itemNo) {
    return new (std::nothrow) cSp_ControlItem(Window(), itemNo, 0);
  }

  ControlRef ControlOf(short dialogItemNo) const {
    return framework_test::ItemControl(Dialog(), dialogItemNo);
  }
  Rect ItemRect(short dialogItemNo) const {
    return framework_test::ItemBox(Dialog(), dialogItemNo);
  }
  static Rect Bounds(ControlRef control) {
    Rect rect = {0, 0, 0, 0};
    GetControlBounds(control, &rect);
    return rect;
  }
  static Point Centre(const Rect& r) {
    Point p;
    p.v = SInt16((r.top + r.bottom) / 2);
    p.h = SInt16((r.left + r.right) / 2);
    return p;
  }

  unsigned long Name(const std::string& name) {
    names_.emplace_back(new Named{name});
    return reinterpret_cast<unsigned long>(names_.back().get());
  }

  // The control-hit event as the Control Manager sends it after a click released in a part;
  // the result of sending it.
  static OSStatus SendHit(ControlRef control) {
    EventRef event = nullptr;
    if (CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeNone,
                    &event) != noErr) {
      return paramErr;
    }
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof(control), &control);
    ControlPartCode part = kControlButtonPart;
    SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof(part), &part);
    OSStatus result = SendEventToEventTarget(event, GetControlEventTarget(control));
    ReleaseEvent(event);
    return result;
  }

  std::unique_ptr<cSp_Window> window_;
  std::vector<std::unique_ptr<cSp_ControlItem>> items_;
  std::vector<std::unique_ptr<Named>> names_;
};

inline bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

inline std::string RectText(const Rect& r) {
  return "(" + std::to_string(r.top) + "," + std::to_string(r.left) + "," +
         std::to_string(r.bottom) + "," + std::to_string(r.right) + ")";
}

}  // namespace control_item_test
