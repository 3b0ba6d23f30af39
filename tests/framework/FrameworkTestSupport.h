// What the framework's tests share: the virtual clock's date, points and rectangles, cursor
// images, in-memory resources, folders of the machine, one log of what callbacks were told,
// and the base fixture (a clean toolbox state on the virtual clock, windows kept until the
// end of the test, the error log captured).
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "CFURLFiles.h"
#include "ErrorLogCapture.h"
#include "Gestalt.h"
#include "Resources.h"
#include "SpApplicationClass.h"
#include "SpCarbonEventHandlers.h"
#include "SpEventToolsClass.h"
#include "SpMainEventLoop.h"
#include "SpMenu.h"
#include "SpMenuItemObj.h"
#include "SpMenuObj.h"
#include "SpMouseTraceManager.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"
#include "SpWindowHandlers.h"
#include "TestAppleEvents.h"
#include "TestControls.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace framework_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

inline Point Pt(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

inline Rect R(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  Rect r;
  SetRect(&r, left, top, right, bottom);
  return r;
}

// "(top, left, bottom, right)", for comparing rectangles whole.
inline std::string Show(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

// A cursor image whose every row is `row`, fully masked: cursors told apart by their rows.
inline Cursor CursorPattern(UInt16 row) {
  Cursor c{};
  for (int i = 0; i < 16; ++i) {
    c.data[i] = row;
    c.mask[i] = 0xFFFF;
  }
  return c;
}

// The resource source compiled into the application's file. Callers wrap it in
// ASSERT_NO_FATAL_FAILURE to stop where it fails.
inline void UseResourceSource(const std::string& source) {
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(source, ".", &bytes, &error)) << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
}

// The volume and directory id of a Linux folder.
inline bool LocateFolder(const std::string& path, short& vRefNum, SInt32& dirId) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), true);
  if (url == nullptr) return false;
  FSRef ref;
  const bool found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  if (!found) return false;
  FSCatalogInfo info = {};
  if (FSGetCatalogInfo(&ref, kFSCatInfoVolume | kFSCatInfoNodeID, &info, nullptr, nullptr,
                       nullptr) != noErr) {
    return false;
  }
  vRefNum = info.volume;
  dirId = SInt32(info.nodeID);
  return true;
}

// What the callbacks of a test were told, in order.
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

inline ControlRef ItemControl(DialogRef dialog, short itemNo) {
  ControlRef control = nullptr;
  GetDialogItemAsControl(dialog, itemNo, &control);
  return control;
}

inline Rect ItemBox(DialogRef dialog, short itemNo) {
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, nullptr, nullptr, &box);
  return box;
}

inline EventRecord Record(EventKind what, Point where = Pt(0, 0), UInt32 modifiers = 0,
                          unsigned long message = 0) {
  EventRecord record = {};
  record.what = what;
  record.where = where;
  record.modifiers = EventModifiers(modifiers);
  record.message = message;
  return record;
}

// Takes a test's entry out of a registry (the resume, suspend and dispose registries have no
// removal of their own), so that tests do not see each other's entries.
inline void RemoveRegistryEntry(cEventInsertProcObj* head, unsigned long refNum) {
  for (cEventInsertProcObj* e = head; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->GetRefNum() == refNum) {
      delete e;
      return;
    }
  }
}

class FrameworkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    ResetAll();
    Log().clear();
  }
  void TearDown() override {
    // Front to back, so that each close hands the front on to a window that still exists.
    windows_.clear();
    ResetAll();
    sp_testing::UseRealClock();
  }

  static void ResetAll() {
    sp_testing::FailNthAllocation(0);
    sp_testing::ResetEvents();
    sp_testing::ResetDialogs();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::SetModifierKeys(0);
  }

  // Keeps the window until the end of the test.
  template <class W>
  W* Keep(W* window) {
    windows_.emplace_back(window);
    return window;
  }

  std::vector<std::unique_ptr<cSp_Window>> windows_;
  ErrorLogCapture errors_;
};

}  // namespace framework_test
