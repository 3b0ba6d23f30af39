// The windows' update regions: the part of each window's content that waits to be redrawn,
// and drawing inside an update (BeginUpdate, EndUpdate).
//
// The records are kept beside the window list rather than in the window record, keyed by the
// window and its event target: a record whose window has gone, or whose address now belongs
// to another window (a new event target), is dropped before it could be taken for the new
// window's.
//
// Each record counts the additions to its region, so that the event loop asks a window to
// update once for each change (see TakeUpdateToSend): a handler that leaves the region as it
// is does not get the same update again and again, which would keep the loop from ever
// waiting.
#include "detail/WindowUpdate.h"

#include <algorithm>
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "detail/WindowRecord.h"
#include "quickdraw/internal/Ports.h"

namespace {

struct UpdateRecord {
  WindowRef window;
  EventTargetRef target;
  RgnHandle region;  // relative to the content's top-left corner
  UInt32 additions;  // times something was added to the region
  UInt32 sent;       // `additions` when the last update event went out
  RgnHandle handed;  // between BeginUpdate and EndUpdate: what drawing may reach; else null
};

void DisposeRecordRegions(UpdateRecord& r) {
  DisposeRgn(r.region);
  if (r.handed != nullptr) DisposeRgn(r.handed);
  r.region = nullptr;
  r.handed = nullptr;
}

// Never destroyed, so windows left open at exit can still be asked about.
std::vector<UpdateRecord>& Records() {
  static std::vector<UpdateRecord>* records = new std::vector<UpdateRecord>;
  return *records;
}

bool IsStale(const UpdateRecord& r) {
  return !IsValidWindowPtr(r.window) || GetWindowEventTarget(r.window) != r.target;
}

void DropStaleRecords() {
  auto& records = Records();
  auto dead = std::stable_partition(records.begin(), records.end(),
                                    [](const UpdateRecord& r) { return !IsStale(r); });
  for (auto it = dead; it != records.end(); ++it) DisposeRecordRegions(*it);
  records.erase(dead, records.end());
}

// The record of a live window; made when `create` is set (null when memory runs out).
UpdateRecord* Find(WindowRef window, bool create) {
  DropStaleRecords();
  for (UpdateRecord& r : Records()) {
    if (r.window == window) return &r;
  }
  if (!create) return nullptr;
  RgnHandle region = NewRgn();
  if (region == nullptr) return nullptr;
  Records().push_back(UpdateRecord{window, GetWindowEventTarget(window), region, 0, 0, nullptr});
  return &Records().back();
}

// The port's origin (the top-left corner of its port rectangle) and the content's size.
void PortGeometry(WindowRef window, Point* origin, Rect* content) {
  Rect bounds{0, 0, 0, 0};
  GetWindowPortBounds(window, &bounds);
  *origin = Point{bounds.top, bounds.left};
  *content = Rect{0, 0, SInt16(bounds.bottom - bounds.top), SInt16(bounds.right - bounds.left)};
}

// The local region as content coordinates, cut to the content; null when memory runs out.
RgnHandle ContentRegion(WindowRef window, RgnHandle local) {
  Point origin;
  Rect content;
  PortGeometry(window, &origin, &content);
  RgnHandle out = NewRgn();
  RgnHandle clip = NewRgn();
  if (out == nullptr || clip == nullptr) {
    DisposeRgn(out);
    DisposeRgn(clip);
    return nullptr;
  }
  CopyRgn(local, out);
  OffsetRgn(out, SInt16(-origin.h), SInt16(-origin.v));
  RectRgn(clip, &content);
  SectRgn(out, clip, out);
  DisposeRgn(clip);
  if (QDError() != noErr) {
    DisposeRgn(out);
    return nullptr;
  }
  return out;
}

enum class Change { kAdd, kTakeOut };

OSStatus ChangeRegion(WindowRef window, RgnHandle local, Change change) {
  if (!IsValidWindowPtr(window)) return errInvalidWindowPtr;
  if (local == nullptr) return paramErr;
  UpdateRecord* record = Find(window, change == Change::kAdd);
  if (record == nullptr) return change == Change::kAdd ? OSStatus(memFullErr) : OSStatus(noErr);
  RgnHandle part = ContentRegion(window, local);
  if (part == nullptr) return memFullErr;
  if (change == Change::kAdd) {
    UnionRgn(record->region, part, record->region);
    ++record->additions;
  } else {
    DiffRgn(record->region, part, record->region);
  }
  const OSErr err = QDError();
  DisposeRgn(part);
  return err;
}

OSStatus ChangeRect(WindowRef window, const Rect* bounds, Change change) {
  if (!IsValidWindowPtr(window)) return errInvalidWindowPtr;
  if (bounds == nullptr) return paramErr;
  RgnHandle local = NewRgn();
  if (local == nullptr) return memFullErr;
  RectRgn(local, bounds);
  const OSStatus err = ChangeRegion(window, local, change);
  DisposeRgn(local);
  return err;
}

}  // namespace

OSStatus InvalWindowRect(WindowRef window, const Rect* bounds) {
  return ChangeRect(window, bounds, Change::kAdd);
}

OSStatus InvalWindowRgn(WindowRef window, RgnHandle region) {
  return ChangeRegion(window, region, Change::kAdd);
}

OSStatus ValidWindowRect(WindowRef window, const Rect* bounds) {
  return ChangeRect(window, bounds, Change::kTakeOut);
}

OSStatus ValidWindowRgn(WindowRef window, RgnHandle region) {
  return ChangeRegion(window, region, Change::kTakeOut);
}

namespace sp_platform {

OSStatus CopyWindowUpdateRegion(WindowRef window, RgnHandle region) {
  if (!IsValidWindowPtr(window)) return errInvalidWindowPtr;
  if (region == nullptr) return paramErr;
  UpdateRecord* record = Find(window, false);
  if (record == nullptr) {
    SetEmptyRgn(region);
    return noErr;
  }
  Rect content{0, 0, 0, 0};
  GetWindowBounds(window, kWindowContentRgn, &content);
  CopyRgn(record->region, region);
  if (QDError() != noErr) return memFullErr;
  OffsetRgn(region, content.left, content.top);
  return noErr;
}

void ClearWindowUpdateRegion(WindowRef window) {
  if (UpdateRecord* record = Find(window, false)) SetEmptyRgn(record->region);
}

void ForgetWindowUpdateRegion(WindowRef window) {
  auto& records = Records();
  for (auto it = records.begin(); it != records.end(); ++it) {
    if (it->window == window) {
      DisposeRecordRegions(*it);
      records.erase(it);
      return;
    }
  }
}

namespace windows {

bool TakeUpdateToSend(WindowRef window) {
  UpdateRecord* record = Find(window, false);
  if (record == nullptr || record->handed != nullptr || EmptyRgn(record->region) ||
      record->sent == record->additions) {
    return false;
  }
  record->sent = record->additions;
  return true;
}

}  // namespace windows
}  // namespace sp_platform

void BeginUpdate(WindowRef window) {
  if (!IsValidWindowPtr(window)) return;
  UpdateRecord* record = Find(window, true);
  if (record == nullptr || record->handed != nullptr) return;
  RgnHandle handed = NewRgn();
  if (handed == nullptr) return;
  CopyRgn(record->region, handed);
  // The port's visible region (local coordinates) becomes the handed region within the port.
  GrafPtr port = GetWindowPort(window);
  RgnHandle visible = sp_platform::PortVisibleRegion(port);
  if (visible != nullptr) {
    CopyRgn(handed, visible);
    OffsetRgn(visible, port->portRect.left, port->portRect.top);
    RgnHandle bounds = NewRgn();
    if (bounds != nullptr) {
      RectRgn(bounds, &port->portRect);
      SectRgn(visible, bounds, visible);
      DisposeRgn(bounds);
    }
  }
  record->handed = handed;
}

void EndUpdate(WindowRef window) {
  if (!IsValidWindowPtr(window)) return;
  UpdateRecord* record = Find(window, false);
  if (record == nullptr || record->handed == nullptr) return;
  GrafPtr port = GetWindowPort(window);
  if (RgnHandle visible = sp_platform::PortVisibleRegion(port)) RectRgn(visible, &port->portRect);
  DiffRgn(record->region, record->handed, record->region);
  DisposeRgn(record->handed);
  record->handed = nullptr;
}
