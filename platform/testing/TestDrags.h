// Test API: drags from outside the program, as a person would make them ("drop these files
// here", "drop this text here"), and what the Drag Manager shows.
//
// A drag follows a path of global points and is released at the last one: the program's
// tracking handlers see it enter, move over and leave the windows under the path, and the
// receive handlers of the window under the release get the drop, all before the call returns.
// A drag of the program's own (TrackDrag) follows the mouse instead: post the moves and the
// release first (PostMouseDragged, PostMouseUp, or ScheduleInput).
#pragma once

#include <string>
#include <vector>

#include "Drag.h"
#include "Files.h"
#include "MacTypes.h"

namespace sp_testing {

struct DragFlavor {
  FlavorType type;
  std::string bytes;
  FlavorFlags flags = 0;
};
// One item of a drag: its flavours in order (none is allowed).
typedef std::vector<DragFlavor> DragItem;

// Another program's drag of the items (reference numbers 1, 2, ...). Answers noErr when a
// receiver took the drop, else the refusal (dragNotAcceptedErr when nothing was there to
// take it); paramErr for an empty path.
OSErr PerformDrag(const std::vector<DragItem>& items, const std::vector<Point>& path);
// Files dropped from the desktop's file manager: one 'hfs ' item per path that names
// something (the others are left out; fnfErr when none is left).
OSErr DropFiles(const std::vector<std::string>& paths, const std::vector<Point>& path);
// Text dropped from another program: one item of 'TEXT' (MacJapanese bytes).
OSErr DropText(const std::string& macJapanese, const std::vector<Point>& path);

// Where a drag of the program released outside its windows lands: the folder of this FSSpec
// (its drop location then names it), or nowhere (null), as at first.
void SetOutsideDropFolder(const FSSpec* folder);

// The drag hilite being shown, if any.
struct DragHilite {
  bool shown = false;
  WindowRef window = nullptr;
  Rect bounds{0, 0, 0, 0};  // the painted frame's bounding box, window-local
  bool inside = false;
};
DragHilite CurrentDragHilite();

// Between tests: removes every drag handler, disposes of every drag and forgets the folder
// outside.
void ResetDrags();

}  // namespace sp_testing
