#include "TestWindows.h"

#include "ByteOrder.h"
#include "quickdraw/detail/Cursors.h"
#include "quickdraw/detail/Ports.h"
#include "ui/detail/WindowList.h"

namespace sp_testing {

namespace {

void WriteCursorImage(sp::ByteWriter& out, const Cursor& cursor) {
  for (UInt16 row : cursor.data) out.BE16(row);
  for (UInt16 row : cursor.mask) out.BE16(row);
  out.BE16(UInt16(cursor.hotSpot.v));
  out.BE16(UInt16(cursor.hotSpot.h));
}

}  // namespace

CursorState CurrentCursor() {
  const sp_platform::CursorRecord& r = sp_platform::CurrentCursor();
  CursorState state{};
  switch (r.kind) {
    case sp_platform::CursorKind::kArrow:
      state.kind = CursorKind::kArrow;
      break;
    case sp_platform::CursorKind::kBlackWhite:
      state.kind = CursorKind::kCursor;
      break;
    case sp_platform::CursorKind::kColor:
      state.kind = CursorKind::kColorCursor;
      break;
    case sp_platform::CursorKind::kOther:
      state.kind = CursorKind::kOther;
      break;
  }
  state.id = r.resourceID;
  state.visible = r.hideLevel == 0 && !r.obscured;
  state.hideLevel = r.hideLevel;
  state.changeCount = r.changes;
  return state;
}

std::vector<WindowRef> WindowList() {
  return sp_platform::WindowListFrontToBack();
}

std::vector<WindowRef> VisibleWindows() {
  std::vector<WindowRef> visible;
  for (WindowRef w : sp_platform::WindowListFrontToBack()) {
    if (IsWindowVisible(w)) visible.push_back(w);
  }
  return visible;
}

void SetScreenSize(SInt16 width, SInt16 height) {
  sp_platform::SetMainScreenSize(width, height);
}

void ResetWindows() {
  sp_platform::DisposeAllWindows();
  sp_platform::ResetPorts();
  sp_platform::ResetCursor();
}

std::vector<UInt8> MakeCursorResource(const Cursor& cursor) {
  sp::ByteWriter out;
  WriteCursorImage(out, cursor);
  return out.Data();
}

std::vector<UInt8> MakeColorCursorResource(const Cursor& cursor) {
  sp::ByteWriter out;
  out.BE16(0x8001);              // crsrType
  out.Zeros(4 + 4 + 4 + 2 + 4);  // colour image offsets, expanded data, its validity and handle
  WriteCursorImage(out, cursor);
  out.Zeros(4 + 4);  // crsrXTable, crsrID
  return out.Data();
}

}  // namespace sp_testing
