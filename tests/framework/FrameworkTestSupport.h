// Small helpers that the framework's tests share: the virtual clock's date, points and
// rectangles, cursor images, in-memory resources and folders of the machine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "TestResources.h"

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
  FSCatalogInfo info;
  std::memset(&info, 0, sizeof info);
  if (FSGetCatalogInfo(&ref, kFSCatInfoVolume | kFSCatInfoNodeID, &info, nullptr, nullptr,
                       nullptr) != noErr) {
    return false;
  }
  vRefNum = info.volume;
  dirId = SInt32(info.nodeID);
  return true;
}

}  // namespace framework_test
