// The drag record and what the Drag Manager's source files share about it. Not for the
// program's own code (it goes through Drag.h).
#pragma once

#include <vector>

#include "../Drag.h"

struct DragFlavorRecord {
  FlavorType type = 0;
  FlavorFlags flags = 0;
  bool promised = false;
  std::vector<UInt8> bytes;
};

struct DragItemRecord {
  DragItemRef ref = 0;
  Rect bounds{0, 0, 0, 0};
  std::vector<DragFlavorRecord> flavors;
};

// The hilite shown in a window, with the pixels it covers.
struct DragHiliteRecord {
  bool shown = false;
  WindowRef window = nullptr;
  bool inside = false;
  RgnHandle frame = nullptr;  // the painted pixels, window-local
  Rect bounds{0, 0, 0, 0};    // the frame's bounding box
  GWorldPtr under = nullptr;  // what lay under it (bounds' coordinates)
};

// A handler the drag has sent kDragTrackingEnterHandler and not yet kDragTrackingLeaveHandler.
struct DragEnteredHandler {
  DragTrackingHandlerUPP proc;
  WindowRef window;
};

struct OpaqueDragRef {
  std::vector<DragItemRecord> items;
  DragSendDataUPP sendProc = nullptr;
  void* sendRefCon = nullptr;
  bool sending = false;  // inside the send-data procedure

  PixMapHandle image = nullptr;
  RgnHandle imageRgn = nullptr;
  Point imageOffset{0, 0};
  DragImageFlags imageFlags = 0;

  DragAttributes attributes = 0;
  bool fromProgram = false;  // started by TrackDrag (else another program's)
  WindowRef senderWindow = nullptr;
  bool tracking = false;
  Point mouse{0, 0};
  WindowRef over = nullptr;  // the window the drag is over
  std::vector<DragEnteredHandler> entered;

  DescType dropType = typeNull;
  std::vector<UInt8> dropData;
  DragActions dropAction = kDragActionNothing;  // what another program did with the drop

  // TrackDrag's outline: its bounds (global) when the drag started there.
  Rect outlineBounds{0, 0, 0, 0};
  Point start{0, 0};
  bool followedOutside = false;  // the backend was told of a place outside the windows

  DragHiliteRecord hilite;
};

namespace sp_platform {
namespace drags {

// The drag when it is one of the live drags, else null.
OpaqueDragRef* LiveDrag(DragRef drag);

// Hides the drag's hilite, if shown (DragHilite.cpp).
void HideHilite(OpaqueDragRef* drag);

// Follows the drag to the global point: the window under it, and the tracking messages that
// go with the move (DragTracking.cpp). True when a tracking handler of the window under the
// point answered the move with noErr.
bool TrackTo(OpaqueDragRef* drag, Point global);
// The drag released at the point: the receive handlers of the window there, then the leave
// messages. noErr when a receiver (or a folder outside the windows) took it.
OSErr ReleaseAt(OpaqueDragRef* drag, Point global);

}  // namespace drags
}  // namespace sp_platform
