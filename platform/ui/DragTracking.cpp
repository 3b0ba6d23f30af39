// Drag handlers, the tracking of a drag over the program's windows, TrackDrag, and drags
// from outside: the desktop's file drops and the test API's (see Drag.h).
#include <algorithm>
#include <cstring>

#include "detail/DragRecord.h"
#include "detail/WindowRecord.h"
#include "ui/internal/Drags.h"
#include "ui/internal/Drops.h"
#include "ui/internal/OutsideDrags.h"

namespace sp_platform {
namespace drags {
namespace {

struct TrackingHandler {
  DragTrackingHandlerUPP proc;
  WindowRef window;  // null: every window
  void* refCon;
};

struct ReceiveHandler {
  DragReceiveHandlerUPP proc;
  WindowRef window;
  void* refCon;
};

struct HandlerState {
  std::vector<TrackingHandler> tracking;
  std::vector<ReceiveHandler> receive;
  bool hasOutsideFolder = false;
  FSSpec outsideFolder{};
};

HandlerState& Handlers() {
  static HandlerState* state = new HandlerState;  // lives to the end of the program
  return *state;
}

// The handlers of a window, in the order they are called: its own, then those for every
// window, each in the order installed.
template <class H>
std::vector<H> ServingWindow(const std::vector<H>& all, WindowRef window) {
  std::vector<H> out;
  for (const H& h : all) {
    if (h.window == window) out.push_back(h);
  }
  for (const H& h : all) {
    if (h.window == nullptr) out.push_back(h);
  }
  return out;
}

bool Serves(WindowRef handlerWindow, WindowRef window) {
  return window != nullptr && (handlerWindow == nullptr || handlerWindow == window);
}

// Still installed (a handler may remove itself or another while a drag runs).
bool Installed(const DragEnteredHandler& h) {
  for (const TrackingHandler& t : Handlers().tracking) {
    if (t.proc == h.proc && t.window == h.window) return true;
  }
  return false;
}

bool IsEntered(const OpaqueDragRef* drag, const TrackingHandler& h) {
  for (const DragEnteredHandler& e : drag->entered) {
    if (e.proc == h.proc && e.window == h.window) return true;
  }
  return false;
}

void Send(OpaqueDragRef* drag, const TrackingHandler& h, DragTrackingMessage message,
          WindowRef window) {
  h.proc(message, window, h.refCon, drag);
}

// The window or leave message to the window's handlers that the drag entered; true when one
// of them answered noErr.
bool SendToWindow(OpaqueDragRef* drag, WindowRef window, DragTrackingMessage message) {
  bool taken = false;
  for (const TrackingHandler& h : ServingWindow(Handlers().tracking, window)) {
    if (IsEntered(drag, h) && Installed(DragEnteredHandler{h.proc, h.window})) {
      taken = h.proc(message, window, h.refCon, drag) == noErr || taken;
    }
  }
  return taken;
}

void EnterHandlers(OpaqueDragRef* drag, WindowRef window) {
  for (const TrackingHandler& h : ServingWindow(Handlers().tracking, window)) {
    if (IsEntered(drag, h) || !Installed(DragEnteredHandler{h.proc, h.window})) continue;
    drag->entered.push_back(DragEnteredHandler{h.proc, h.window});
    Send(drag, h, kDragTrackingEnterHandler, window);
  }
}

// kDragTrackingLeaveHandler to the entered handlers that do not serve `window` (null: all).
void LeaveHandlers(OpaqueDragRef* drag, WindowRef window) {
  std::vector<DragEnteredHandler> leaving;
  auto keep = drag->entered.begin();
  for (const DragEnteredHandler& e : drag->entered) {
    if (Serves(e.window, window)) {
      *keep++ = e;
    } else {
      leaving.push_back(e);
    }
  }
  drag->entered.erase(keep, drag->entered.end());
  for (const DragEnteredHandler& e : leaving) {
    for (const TrackingHandler& h : Handlers().tracking) {
      if (h.proc == e.proc && h.window == e.window) {
        Send(drag, h, kDragTrackingLeaveHandler, nullptr);
        break;
      }
    }
  }
}

// The visible window of the program under the global point.
WindowRef WindowUnder(Point global) {
  WindowRef window = nullptr;
  const WindowPartCode part = FindWindow(global, &window);
  if (part == inDesk || part == inMenuBar) return nullptr;
  return window;
}

void NoteSenderWindow(OpaqueDragRef* drag) {
  if (!drag->fromProgram) return;
  drag->attributes |= kDragInsideSenderApplication;
  if (drag->over == drag->senderWindow && drag->over != nullptr) {
    drag->attributes |= kDragInsideSenderWindow;
  } else {
    drag->attributes &= ~DragAttributes(kDragInsideSenderWindow);
    drag->attributes |= kDragHasLeftSenderWindow;
  }
}

void LeaveWindow(OpaqueDragRef* drag) {
  WindowRef window = drag->over;
  if (window == nullptr) return;
  SendToWindow(drag, window, kDragTrackingLeaveWindow);
  // A hilite belongs to the window the drag is over.
  if (drag->hilite.shown && drag->hilite.window == window) HideHilite(drag);
  drag->over = nullptr;
}

void EndTracking(OpaqueDragRef* drag) {
  LeaveWindow(drag);
  LeaveHandlers(drag, nullptr);
  HideHilite(drag);
}

OSErr Receive(OpaqueDragRef* drag, WindowRef window) {
  OSErr result = dragNotAcceptedErr;
  for (const ReceiveHandler& h : ServingWindow(Handlers().receive, window)) {
    result = h.proc(window, h.refCon, drag);
    if (result == noErr) break;
  }
  return result;
}

void SetDropLocation(OpaqueDragRef* drag, DescType type, const void* bytes, std::size_t size) {
  drag->dropType = type;
  const UInt8* p = static_cast<const UInt8*>(bytes);
  drag->dropData.assign(p, p + size);
}

// ---- Files dropped from the desktop ----

void ReceiveFileDrop(const drops::FileDrop& drop, void*) {
  PerformForeignDrag(ItemsOfDrop(drop), {drop.where});
}

bool AnyHandler() {
  return !Handlers().tracking.empty() || !Handlers().receive.empty();
}

// The desktop's drops come to the handlers while there are any; until then they wait in the
// drop seam's pending list, and the first handler takes those that waited.
void FollowHandlers() {
  if (!AnyHandler()) {
    drops::SetFileDropReceiver(nullptr, nullptr);
    return;
  }
  drops::SetFileDropReceiver(ReceiveFileDrop, nullptr);
  for (const drops::FileDrop& drop : drops::TakePendingFileDrops()) ReceiveFileDrop(drop, nullptr);
}

template <class H>
OSErr Install(std::vector<H>& list, decltype(H::proc) proc, WindowRef window, void* refCon) {
  if (proc == nullptr) return paramErr;
  for (const H& h : list) {
    if (h.proc == proc && h.window == window) return duplicateHandlerErr;
  }
  list.push_back(H{proc, window, refCon});
  FollowHandlers();
  return noErr;
}

template <class H>
OSErr Remove(std::vector<H>& list, decltype(H::proc) proc, WindowRef window) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->proc == proc && it->window == window) {
      list.erase(it);
      FollowHandlers();
      return noErr;
    }
  }
  return handlerNotFoundErr;
}

void FollowStep(Point global, void* refCon) {
  OpaqueDragRef* drag = static_cast<OpaqueDragRef*>(refCon);
  TrackTo(drag, global);
  FollowOutside(drag, global);
}

// The release: over another program's window the drop is that program's (the leave messages
// follow as for any drop); anywhere else it is the Drag Manager's own.
OSErr Release(OpaqueDragRef* drag, Point release) {
  if (!EqualPt(release, drag->mouse)) FollowStep(release, drag);
  bool taken = false;
  OSErr result = noErr;
  if (drag->over == nullptr && DropOutside(drag, &taken)) {
    SetDropLocation(drag, typeNull, nullptr, 0);
    EndTracking(drag);
    result = taken ? OSErr(noErr) : OSErr(userCanceledErr);
  } else {
    result = ReleaseAt(drag, release);
  }
  EndOutside(drag);
  return result;
}

}  // namespace

bool TrackTo(OpaqueDragRef* drag, Point global) {
  drag->mouse = global;
  WindowRef window = WindowUnder(global);
  if (window == drag->over) {
    return window != nullptr && SendToWindow(drag, window, kDragTrackingInWindow);
  }
  LeaveWindow(drag);
  LeaveHandlers(drag, window);
  drag->over = window;
  NoteSenderWindow(drag);
  if (window == nullptr) return false;
  EnterHandlers(drag, window);
  return SendToWindow(drag, window, kDragTrackingEnterWindow);
}

OSErr ReleaseAt(OpaqueDragRef* drag, Point global) {
  if (!EqualPt(global, drag->mouse) || drag->over == nullptr) TrackTo(drag, global);
  SetDropLocation(drag, typeNull, nullptr, 0);
  OSErr result = dragNotAcceptedErr;
  if (drag->over != nullptr) {
    result = Receive(drag, drag->over);
  } else if (drag->fromProgram && Handlers().hasOutsideFolder) {
    const FSSpec& folder = Handlers().outsideFolder;
    SetDropLocation(drag, typeFSS, &folder, sizeof folder);
    result = noErr;
  }
  EndTracking(drag);
  return result;
}

std::vector<ItemSpec> ItemsOfDrop(const drops::FileDrop& drop) {
  std::vector<ItemSpec> items;
  if (!drop.text.empty()) items.push_back(ItemSpec{FlavorSpec{SpFourCC("TEXT"), drop.text, 0}});
  for (const drops::HFSFlavorBytes& bytes : drop.items) {
    items.push_back(
        ItemSpec{FlavorSpec{kDragFlavorTypeHFS, std::string(bytes.begin(), bytes.end()), 0}});
  }
  return items;
}

DragRef BeginForeignDrag(const std::vector<ItemSpec>& items) {
  DragRef drag = nullptr;
  if (NewDrag(&drag) != noErr) return nullptr;
  DragItemRef ref = 0;
  for (const ItemSpec& item : items) {
    ++ref;
    for (const FlavorSpec& f : item) {
      AddDragItemFlavor(drag, ref, f.type, f.bytes.data(), Size(f.bytes.size()), f.flags);
    }
    // An item without flavours is still an item of the drag.
    if (item.empty()) drag->items.push_back(DragItemRecord{ref, Rect{0, 0, 0, 0}, {}});
  }
  drag->tracking = true;
  return drag;
}

bool MoveForeignDrag(DragRef drag, Point global) {
  OpaqueDragRef* d = LiveDrag(drag);
  return d != nullptr && d->tracking && TrackTo(d, global);
}

OSErr DropForeignDrag(DragRef drag, Point global) {
  OpaqueDragRef* d = LiveDrag(drag);
  if (d == nullptr || !d->tracking) return badDragRefErr;
  const OSErr err = ReleaseAt(d, global);
  d->tracking = false;
  DisposeDrag(d);
  return err;
}

void EndForeignDrag(DragRef drag) {
  OpaqueDragRef* d = LiveDrag(drag);
  if (d == nullptr || !d->tracking) return;
  EndTracking(d);
  d->tracking = false;
  DisposeDrag(d);
}

OSErr PerformForeignDrag(const std::vector<ItemSpec>& items, const std::vector<Point>& path) {
  if (path.empty()) return paramErr;
  DragRef drag = BeginForeignDrag(items);
  if (drag == nullptr) return memFullErr;
  drag->mouse = path.front();
  for (std::size_t i = 0; i + 1 < path.size(); ++i) MoveForeignDrag(drag, path[i]);
  return DropForeignDrag(drag, path.back());
}

void SetOutsideDropFolder(const FSSpec* folder) {
  HandlerState& s = Handlers();
  s.hasOutsideFolder = folder != nullptr;
  if (folder != nullptr) s.outsideFolder = *folder;
}

void ResetDrags() {
  HandlerState& s = Handlers();
  s.tracking.clear();
  s.receive.clear();
  s.hasOutsideFolder = false;
  FollowHandlers();
  for (DragRef drag : AllDrags()) {
    if (!drag->tracking) DisposeDrag(drag);
  }
}

}  // namespace drags
}  // namespace sp_platform

OSErr InstallTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow,
                             void* handlerRefCon) {
  using namespace sp_platform::drags;
  return Install(Handlers().tracking, trackingHandler, theWindow, handlerRefCon);
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow,
                            void* handlerRefCon) {
  using namespace sp_platform::drags;
  return Install(Handlers().receive, receiveHandler, theWindow, handlerRefCon);
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow) {
  using namespace sp_platform::drags;
  return Remove(Handlers().tracking, trackingHandler, theWindow);
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow) {
  using namespace sp_platform::drags;
  return Remove(Handlers().receive, receiveHandler, theWindow);
}

OSErr TrackDrag(DragRef theDrag, const EventRecord* theEvent, RgnHandle theRegion) {
  using namespace sp_platform;
  OpaqueDragRef* drag = drags::LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (theEvent == nullptr || theRegion == nullptr || drag->tracking) return paramErr;
  drag->tracking = true;
  drag->fromProgram = true;
  drag->attributes = kDragInsideSenderApplication;
  drag->senderWindow = drags::WindowUnder(theEvent->where);
  drag->over = nullptr;
  drag->entered.clear();
  drag->dropAction = kDragActionNothing;
  drag->start = theEvent->where;
  GetRegionBounds(theRegion, &drag->outlineBounds);
  drag->followedOutside = false;
  // The mouse may be outside the windows already when the drag starts.
  drags::FollowStep(theEvent->where, drag);
  const Point release = windows::FollowMouse(theEvent->where, drags::FollowStep, drag);
  const OSErr result = drags::Release(drag, release);
  drag->tracking = false;
  return result == noErr ? noErr : userCanceledErr;
}
