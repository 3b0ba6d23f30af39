// A drag of the program's that leaves its windows: the display backend carries it on over
// other programs' windows (the desktop's drag protocol) and drops it there, and the Drag
// Manager waits for the other program's answer. Not for the program's own code.
#pragma once

#include <string>

#include "Drag.h"

namespace sp_platform {
namespace drags {

// Where a drag of the program's is now.
struct OutsideDragStep {
  bool outside = false;         // over none of the program's windows
  Point mouse = {0, 0};         // global
  Rect outline = {0, 0, 0, 0};  // the bounds of the dragged outline there (global)
  bool copy = false;            // the modifiers ask for a copy (Option), else a move
};

struct OutsideDragHooks {
  // Called for each new place of the drag, inside the windows too (the backend then lets go
  // of the other program's window it was over).
  void (*follow)(const OutsideDragStep& step, void* refCon);
  // Released outside the program's windows: drops on the window there. False when there is
  // none that takes drops (nothing to wait for).
  bool (*drop)(void* refCon);
  // After a drop: true once the other program answered; *action is then what it did
  // (kDragActionNothing when it refused).
  bool (*answered)(DragActions* action, void* refCon);
  // The drag is over (answered, given up, or ended inside): whatever the backend holds for it
  // goes.
  void (*end)(void* refCon);
};
// Null: drags stay inside the program's windows.
void SetOutsideDragHooks(const OutsideDragHooks* hooks, void* refCon);

// How long a drop waits for the other program's answer before it is given up.
constexpr SInt64 kOutsideAnswerMicros = 4 * 1000000;

// The text of the drag being tracked: the 'TEXT' flavours of its items, joined, as
// MacJapanese (a promised one is asked of the drag's send-data procedure now). False when no
// drag is being tracked or it holds no text.
bool TextOfTrackedDrag(std::string* macJapanese);

// For TrackDrag (DragTracking.cpp): tells the backend the drag's new place.
void FollowOutside(OpaqueDragRef* drag, Point global);
// Released at a place outside the program's windows that the backend has a window for:
// drops there and waits (through the event loop, bounded) for the answer, which becomes the
// drag's drop action. False when the backend has no window there (the release is then the
// Drag Manager's own). *taken: the other program took the drop.
bool DropOutside(OpaqueDragRef* drag, bool* taken);
// The drag is over: the backend lets go of it.
void EndOutside(OpaqueDragRef* drag);

}  // namespace drags
}  // namespace sp_platform
