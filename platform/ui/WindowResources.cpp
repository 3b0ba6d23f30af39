// Windows from 'WIND' resources, and placing windows by the position word of a resource.
#include <algorithm>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "MacWindows.h"
#include "Resources.h"
#include "detail/WindowPlacement.h"
#include "detail/WindowRecord.h"

namespace {

// The fixed part of a 'WIND': bounds (8 bytes), procID, visible and goAway (a byte each,
// then a filler byte), refCon; the title (a length byte and the text) follows, then, at an
// even offset, the position word (which older resources lack).
constexpr std::size_t kFixedBytes = 18;

struct WindowTemplate {
  Rect bounds{0, 0, 0, 0};
  SInt16 procID = 0;
  bool visible = false;
  bool goAway = false;
  UInt32 refCon = 0;
  Str255 title{};
  UInt16 position = sp_platform::kWindowNoAutoCenter;
};

// Reads untrusted bytes: false when they are too short for the fixed part or the title.
bool ReadTemplate(const UInt8* bytes, std::size_t size, WindowTemplate* out) {
  sp::ByteReader in(bytes, size);
  if (!in.Has(kFixedBytes)) return false;
  out->bounds.top = in.SBE16();
  out->bounds.left = in.SBE16();
  out->bounds.bottom = in.SBE16();
  out->bounds.right = in.SBE16();
  out->procID = in.SBE16();
  out->visible = in.U8() != 0;
  in.Skip(1);
  out->goAway = in.U8() != 0;
  in.Skip(1);
  out->refCon = in.BE32();
  if (!in.PascalString(out->title)) return false;
  if (in.Position() % 2 != 0) in.Skip(1);
  if (in.Has(2)) out->position = in.BE16();
  return true;
}

int Centred(int areaStart, int areaSize, int size) {
  return areaStart + (areaSize - size) / 2;
}

}  // namespace

WindowRef GetNewCWindow(SInt16 windowID, void* wStorage, WindowRef behind) {
  Handle h = GetResource(SpFourCC("WIND"), windowID);
  if (h == nullptr || *h == nullptr) return nullptr;
  WindowTemplate t;
  if (!ReadTemplate(reinterpret_cast<const UInt8*>(*h), std::size_t(GetHandleSize(h)), &t)) {
    return nullptr;
  }
  WindowRef window = NewCWindow(wStorage, &t.bounds, t.title, t.visible, t.procID, behind, t.goAway,
                                SRefCon(t.refCon));
  if (window != nullptr) sp_platform::ApplyWindowPosition(window, t.position);
  return window;
}

namespace sp_platform {

void ApplyWindowPosition(WindowRef window, UInt16 position) {
  if (!IsValidWindowPtr(window)) return;
  bool alert = false;
  bool overParent = false;
  switch (position) {
    case kWindowCenterMainScreen:
    case kWindowCenterParentWindowScreen:
      break;
    case kWindowAlertPositionMainScreen:
    case kWindowAlertPositionParentWindowScreen:
      alert = true;
      break;
    case kWindowCenterParentWindow:
      overParent = true;
      break;
    case kWindowAlertPositionParentWindow:
      alert = true;
      overParent = true;
      break;
    default:
      return;
  }
  Rect area = windows::DeskArea();
  WindowRef parent = FrontNonFloatingWindow();
  if (overParent && parent != nullptr && parent != window) {
    GetWindowBounds(parent, kWindowContentRgn, &area);
  }
  const Rect structure = windows::StructureOf(window);
  const Rect content = windows::ContentOf(window);
  const int width = structure.right - structure.left;
  const int height = structure.bottom - structure.top;
  const int areaWidth = area.right - area.left;
  const int areaHeight = area.bottom - area.top;
  int left = Centred(area.left, areaWidth, width);
  int top = alert ? area.top + (areaHeight - height) / 3 : Centred(area.top, areaHeight, height);
  left = std::max<int>(left, area.left);
  top = std::max<int>(top, area.top);
  MoveWindow(window, SInt16(left), SInt16(top + (content.top - structure.top)), false);
}

}  // namespace sp_platform
