// What the tests of the framework's event handling share: a clean event state on the virtual
// clock in Carbon-event mode, windows that record the keys they are offered, and an
// application object with a short-cut table.
#pragma once

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "SpEditTextObject.h"

namespace fw_events_test {

using framework_test::Pt;

using framework_test::Log;
using Strings = std::vector<std::string>;

inline std::string Hex(char c) {
  static const char kDigits[] = "0123456789ABCDEF";
  const unsigned char u = static_cast<unsigned char>(c);
  return std::string(1, kDigits[u >> 4]) + kDigits[u & 0x0F];
}

// A framework window that writes "<name>.key:<char>", "<name>.down:<char>",
// "<name>.repeat:<char>" and "<name>.up:<char>" (the character in hex) for the keys its
// virtual operations are offered, and answers `takes`.
class RecordingWindow : public cSp_Window {
 public:
  RecordingWindow(const char* name, Point topLeft, bool takes = true,
                  tWindowType type = kSpNormalWindowType,
                  cSp_Window* behind = kSpWindowInFrontOfAll)
      : cSp_Window(topLeft, Pt(200, 100), 1, documentProc, type, behind),
        name_(name),
        takes_(takes) {}

  unsigned char KeyIntoWindow(char charCode, char, short, unsigned char) override {
    Log().push_back(name_ + ".key:" + Hex(charCode));
    return takes_ ? 1 : 0;
  }
  unsigned char RowKeyDownIntoWindow(char charCode, char, short, unsigned char autoKey) override {
    Log().push_back(name_ + (autoKey != 0 ? ".repeat:" : ".down:") + Hex(charCode));
    return takes_ ? 1 : 0;
  }
  unsigned char RowKeyUpOnWindow(char charCode, char, short) override {
    Log().push_back(name_ + ".up:" + Hex(charCode));
    return takes_ ? 1 : 0;
  }

 private:
  std::string name_;
  bool takes_;
};

using framework_test::RemoveRegistryEntry;

inline SInt32 ShortCutProc(unsigned char, unsigned char, unsigned char) {
  Log().push_back("shortcut");
  return 0;
}

class FrameworkEventsTest : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    ResetEventState();
    Sp_CarbonEvent_ModeEnable();
    application_.reset(new cSpApplication());
  }
  void TearDown() override {
    windows_.clear();
    application_.reset();
    ResetEventState();
    FrameworkFixture::TearDown();
  }

  static void ResetEventState() {
    sp_testing::ResetAppleEvents();
    sp_testing::ResetMenuManager();
    sp_testing::ResetMenus();
    sp_testing::SetInlineInputInProgress(false);
    SpKeyUpEventDisable();
    frontAppFlag_GlV = 1;
    inApplicationFontNowFlag_GlV = 1;
    mainLoopFlag_GlV = 1;
    Sp_EnableMouseTrace(0);
  }

  // A window that stays until the end of the test; the newest is in front.
  RecordingWindow* AddWindow(const char* name, bool takes = true,
                             tWindowType type = kSpNormalWindowType) {
    const SInt16 offset = SInt16(40 + 30 * windows_.size());
    return Keep(new RecordingWindow(name, Pt(offset, SInt16(offset + 20)), takes, type));
  }

  // Command-K is the application's short-cut.
  static void InstallShortCut() { Sp_SetupApplicationaShortCut('k', 1, 0, 0, ShortCutProc); }

  std::unique_ptr<cSpApplication> application_;
};

}  // namespace fw_events_test
