#include "TestWindows.h"

#include "ByteOrder.h"
#include "QDRegions.h"
#include "events/internal/EventLoop.h"
#include "quickdraw/internal/Cursors.h"
#include "quickdraw/internal/Ports.h"
#include "quickdraw/internal/TestHooks.h"
#include "ui/internal/Windows.h"

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
  const sp_platform::CursorSummary r = sp_platform::CurrentCursorSummary();
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

std::vector<WindowState> WindowStates() {
  std::vector<WindowState> states;
  for (WindowRef w : sp_platform::WindowListFrontToBack()) {
    WindowState state{};
    state.window = w;
    Str255 title;
    GetWTitle(w, title);
    state.title.assign(reinterpret_cast<const char*>(title + 1), title[0]);
    GetWindowClass(w, &state.windowClass);
    state.visible = IsWindowVisible(w);
    state.hilited = IsWindowHilited(w);
    GetWindowBounds(w, kWindowContentRgn, &state.content);
    states.push_back(state);
  }
  return states;
}

bool CopyUpdateRegion(WindowRef window, RgnHandle region) {
  return sp_platform::CopyWindowUpdateRegion(window, region) == noErr;
}

Rect UpdateRegionBounds(WindowRef window) {
  Rect bounds{0, 0, 0, 0};
  RgnHandle region = NewRgn();
  if (region == nullptr) return bounds;
  if (CopyUpdateRegion(window, region)) GetRegionBounds(region, &bounds);
  DisposeRgn(region);
  return bounds;
}

Point WindowPartPoint(WindowRef window, WindowPartCode part) {
  const Point none{-32768, -32768};
  if (!IsValidWindowPtr(window)) return none;
  Rect r;
  const WindowPartCode box = (part == inZoomIn) ? WindowPartCode(inZoomOut) : part;
  if (!sp_platform::windows::PartRect(window, box, &r)) return none;
  if (part == inDrag) {
    // Between the boxes: the middle of the strip, moved off the boxes of a narrow window.
    Rect title;
    RgnHandle text = NewRgn();
    if (text != nullptr && GetWindowRegion(window, kWindowTitleTextRgn, text) == noErr) {
      GetRegionBounds(text, &title);
      if (!EmptyRect(&title)) r = title;
    }
    DisposeRgn(text);
  }
  if (part == inContent) {
    // Off the grow box.
    Rect grow;
    if (sp_platform::windows::PartRect(window, inGrow, &grow)) r.bottom = grow.top;
  }
  return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
}

void PostClick(Point down, const std::vector<Point>& path, UInt32 modifiers) {
  sp_platform::RawInput input;
  input.modifiers = modifiers;
  input.kind = sp_platform::kRawMouseDown;
  input.where = down;
  sp_platform::PostRawInput(input);
  for (Point pt : path) {
    input.kind = sp_platform::kRawMouseDragged;
    input.where = pt;
    sp_platform::PostRawInput(input);
  }
  input.kind = sp_platform::kRawMouseUp;
  input.where = path.empty() ? down : path.back();
  sp_platform::PostRawInput(input);
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
