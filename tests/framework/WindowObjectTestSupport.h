// What the tests of the window object and its lists share: a clean window, event and resource
// state, windows that go at the end of each test, the order of a list and of the screen, and
// procedures that write what they were told into one log.
#pragma once

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

namespace window_object_test {

using framework_test::Pt;

// "名称未設定" (MacJapanese).
inline std::string Untitled() {
  return "\x96\xBC\x8F\xCC\x96\xA2\x90\xDD\x92\xE8";
}

using framework_test::Log;
using Windows = std::vector<cSp_Window*>;
using Strings = std::vector<std::string>;

// The user data of the logging procedures: a name, and whether a before procedure refuses.
struct ProcTag {
  std::string name;
  bool refuse = false;
};

// The window the last procedure was given.
inline cSp_Window*& LastWindow() {
  static cSp_Window* window = nullptr;
  return window;
}

inline unsigned char LogBefore(cSp_Window* window, short, unsigned long userData) {
  const ProcTag* tag = reinterpret_cast<const ProcTag*>(userData);
  Log().push_back(tag->name);
  LastWindow() = window;
  return tag->refuse ? 0 : 1;
}

inline void LogAfter(cSp_Window* window, short, unsigned long userData) {
  Log().push_back(reinterpret_cast<const ProcTag*>(userData)->name);
  LastWindow() = window;
}

class WindowObjectTest : public framework_test::FrameworkFixture {
 protected:
  void TearDown() override {
    windows_.clear();
    tags_.clear();
    FrameworkFixture::TearDown();
  }

  // An ordinary window of 200 x 100 at (h, v), placed in its list by `behind`.
  cSp_Window* AddWindow(SInt16 h, SInt16 v, unsigned char openNow,
                        tWindowType type = kSpNormalWindowType,
                        cSp_Window* behind = kSpWindowInFrontOfAll) {
    return Keep(new cSp_Window(Pt(h, v), Pt(200, 100), openNow, documentProc, type, behind));
  }

  // Every registration on a window's lists logs "<name>.<list>".
  void Watch(cSp_Window* window, const std::string& name) {
    SInt32 ref = 0;
    window->SetupAfterOpenProc(LogAfter, Tag(name + ".afterOpen"), ref);
    window->SetupAfterCloseProc(LogAfter, Tag(name + ".afterClose"), ref);
    window->SetupMoveToFrontProc(LogAfter, Tag(name + ".front"), ref);
    window->SetupMoveToBackProc(LogAfter, Tag(name + ".back"), ref);
  }

  void Watch(std::initializer_list<std::pair<cSp_Window*, std::string>> windows) {
    for (const auto& [window, name] : windows) Watch(window, name);
  }

  unsigned long Tag(const std::string& name, bool refuse = false) {
    tags_.emplace_back(new ProcTag{name, refuse});
    return reinterpret_cast<unsigned long>(tags_.back().get());
  }

  // The windows of a list, head first.
  static std::vector<cSp_Window*> ListOrder(cSp_Window* head) {
    std::vector<cSp_Window*> order;
    for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) order.push_back(w);
    return order;
  }

  // The toolbox windows of these window objects, front to back as the screen has them.
  static std::vector<cSp_Window*> ScreenOrder(const std::vector<cSp_Window*>& objects) {
    std::vector<cSp_Window*> order;
    for (WindowRef w : sp_testing::WindowList()) {
      for (cSp_Window* o : objects) {
        if (o->GetWindowRef() == w) order.push_back(o);
      }
    }
    return order;
  }

  static bool Visible(cSp_Window* w) { return IsWindowVisible(w->GetWindowRef()); }
  static bool Hilited(cSp_Window* w) { return IsWindowHilited(w->GetWindowRef()); }
  // "open"/"closed", "shown"/"hidden" and "hilited" when shown so, to compare a window whole.
  static std::string State(cSp_Window* w) {
    return std::string(w->IsOpen() ? "open " : "closed ") +
           (!Visible(w) ? "hidden" : Hilited(w) ? "shown hilited" : "shown");
  }

  // The resource source compiled into the application's file.
  static void UseResources(const std::string& source) { framework_test::UseResourceSource(source); }

  std::vector<std::unique_ptr<ProcTag>> tags_;
};

}  // namespace window_object_test
