// The drag hilite: a frame painted in the window the drag is over, and the pixels it covered
// put back when it goes (see Drag.h).
#include "detail/DragRecord.h"
#include "detail/WindowRecord.h"
#include "ui/internal/Drags.h"

namespace sp_platform {
namespace drags {
namespace {

// The selection blue of the window frames.
constexpr RGBColor kHiliteColor = {0x3333, 0x6666, 0xCCCC};
constexpr RGBColor kBlack = {0, 0, 0};
constexpr RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

// The port's drawing settings that painting the hilite changes, put back when it goes.
class PortSettings {
 public:
  explicit PortSettings(CGrafPtr port) : port_(port) {
    GetPort(&saved_);
    SetPort(port);
    clip_ = NewRgn();
    if (clip_ != nullptr) GetClip(clip_);
    GetForeColor(&fore_);
    GetBackColor(&back_);
    GetPenState(&pen_);
    Rect all;
    GetPortBounds(port, &all);
    ClipRect(&all);
  }
  ~PortSettings() {
    if (clip_ != nullptr) {
      SetClip(clip_);
      DisposeRgn(clip_);
    }
    RGBForeColor(&fore_);
    RGBBackColor(&back_);
    SetPenState(&pen_);
    SetPort(saved_);
  }
  PortSettings(const PortSettings&) = delete;
  PortSettings& operator=(const PortSettings&) = delete;

 private:
  CGrafPtr port_;
  GrafPtr saved_ = nullptr;
  RgnHandle clip_ = nullptr;
  RGBColor fore_{};
  RGBColor back_{};
  PenState pen_{};
};

// The frame of the region: its inner or outer band of the hilite's thickness, within the
// port. Null when memory runs out.
RgnHandle FrameOf(RgnHandle region, bool inside, CGrafPtr port) {
  RgnHandle frame = NewRgn();
  RgnHandle edge = NewRgn();
  RgnHandle all = NewRgn();
  if (frame == nullptr || edge == nullptr || all == nullptr) {
    DisposeRgn(frame);
    DisposeRgn(edge);
    DisposeRgn(all);
    return nullptr;
  }
  CopyRgn(region, edge);
  if (inside) {
    InsetRgn(edge, kDragHiliteThickness, kDragHiliteThickness);
    DiffRgn(region, edge, frame);
  } else {
    InsetRgn(edge, SInt16(-kDragHiliteThickness), SInt16(-kDragHiliteThickness));
    DiffRgn(edge, region, frame);
  }
  Rect bounds;
  GetPortBounds(port, &bounds);
  RectRgn(all, &bounds);
  SectRgn(frame, all, frame);
  DisposeRgn(edge);
  DisposeRgn(all);
  return frame;
}

void CopyPixels(CGrafPtr from, CGrafPtr to, const Rect& r, RgnHandle mask) {
  RGBForeColor(&kBlack);  // srcCopy then copies the pixels as they are
  RGBBackColor(&kWhite);
  CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &r, &r, srcCopy, mask);
}

OpaqueDragRef* HiliteOwner() {
  for (DragRef drag : AllDrags()) {
    if (drag->hilite.shown) return drag;
  }
  return nullptr;
}

}  // namespace

void HideHilite(OpaqueDragRef* drag) {
  DragHiliteRecord& h = drag->hilite;
  if (!h.shown) return;
  if (windows::IsLive(h.window) && h.under != nullptr && h.frame != nullptr) {
    CGrafPtr port = GetWindowPort(h.window);
    PortSettings settings(port);
    CopyPixels(h.under, port, h.bounds, h.frame);
  }
  if (h.under != nullptr) DisposeGWorld(h.under);
  if (h.frame != nullptr) DisposeRgn(h.frame);
  h = DragHiliteRecord();
}

bool ShownHilite(WindowRef* window, Rect* bounds, Boolean* inside) {
  const OpaqueDragRef* drag = HiliteOwner();
  if (drag == nullptr) return false;
  if (window != nullptr) *window = drag->hilite.window;
  if (bounds != nullptr) *bounds = drag->hilite.bounds;
  if (inside != nullptr) *inside = drag->hilite.inside;
  return true;
}

}  // namespace drags
}  // namespace sp_platform

OSErr ShowDragHilite(DragRef theDrag, RgnHandle hiliteFrame, Boolean inside) {
  using namespace sp_platform;
  OpaqueDragRef* drag = drags::LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (hiliteFrame == nullptr || !windows::IsLive(drag->over)) return paramErr;
  drags::HideHilite(drag);
  CGrafPtr port = GetWindowPort(drag->over);
  RgnHandle frame = drags::FrameOf(hiliteFrame, inside, port);
  if (frame == nullptr) return memFullErr;
  DragHiliteRecord& h = drag->hilite;
  GetRegionBounds(frame, &h.bounds);
  if (!EmptyRgn(frame) &&
      NewGWorld(&h.under, 32, &h.bounds, nullptr, nullptr, 0) != noErr) {
    DisposeRgn(frame);
    h = DragHiliteRecord();
    return memFullErr;
  }
  h.shown = true;
  h.window = drag->over;
  h.inside = inside;
  h.frame = frame;
  if (h.under == nullptr) return noErr;
  drags::PortSettings settings(port);
  drags::CopyPixels(port, h.under, h.bounds, nullptr);
  RGBForeColor(&drags::kHiliteColor);
  PenNormal();
  PaintRgn(frame);
  return noErr;
}

OSErr HideDragHilite(DragRef theDrag) {
  OpaqueDragRef* drag = sp_platform::drags::LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  sp_platform::drags::HideHilite(drag);
  return noErr;
}
