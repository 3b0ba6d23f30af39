// The edit-text test window: a framework window holding two fields on the Tab ring and one
// sticky note below them, as a program would build it. The headless end-to-end tests drive it
// through the framework's event handling; the desktop tests open it on the real display.
//
// Layout (window coordinates, content 360 x 260):
//   first field   (10, 10, 40, 170)
//   second field  (10, 190, 40, 350)
//   note          edit area 140 x 60 at (60, 40): base view (60, 40, 60 + 60 + 12 + 7 + 4,
//                 40 + 140 + 4 + 4), translucent at rate 50 while inactive
#pragma once

#include <memory>

#include "SpETOStickysObject.h"
#include "SpEditTextObject.h"
#include "SpWindow.h"

namespace sp_test_support {

class EditTestWindow {
 public:
  // The window's content at the global point (top, left).
  EditTestWindow(short top, short left) {
    window_.reset(new (std::nothrow) cSp_Window(Point{top, left}, Point{260, 360}, 1,
                                                documentProc, kSpNormalWindowType,
                                                kSpWindowInFrontOfAll));
    WindowRef w = window_->GetWindowRef();
    first_.reset(new (std::nothrow) cEditTextObject(w, Rect{10, 10, 40, 170}, 12, 1, 1, 1,
                                                    nullptr, 0));
    second_.reset(new (std::nothrow) cEditTextObject(w, Rect{10, 190, 40, 350}, 12, 1, 1, 1,
                                                     nullptr, 0));
    first_->EnableEditTabControlMove();
    second_->EnableEditTabControlMove();
    note_.reset(new (std::nothrow) cStickyObject(w, Rect{60, 40, 120, 180}, 12, 1, 1, 1, 1,
                                                 nullptr, 0));
    note_->SetupTitleString("Note", 0);
    note_->SetupBackgroundTransparentRate(50.0f, 0);
    note_->SetupBackgroundTransparentFlag(1, 0);
  }
  ~EditTestWindow() {
    note_.reset();
    second_.reset();
    first_.reset();
    window_.reset();
  }
  EditTestWindow(const EditTestWindow&) = delete;
  EditTestWindow& operator=(const EditTestWindow&) = delete;

  WindowRef Window() const { return window_->GetWindowRef(); }
  cEditTextObject* First() const { return first_.get(); }
  cEditTextObject* Second() const { return second_.get(); }
  cStickyObject* Note() const { return note_.get(); }
  // The global point of a window point.
  Point Global(short h, short v) const {
    Rect content;
    GetWindowBounds(Window(), kWindowContentRgn, &content);
    return Point{short(content.top + v), short(content.left + h)};
  }

 private:
  std::unique_ptr<cSp_Window> window_;
  std::unique_ptr<cEditTextObject> first_;
  std::unique_ptr<cEditTextObject> second_;
  std::unique_ptr<cStickyObject> note_;
};

}  // namespace sp_test_support
