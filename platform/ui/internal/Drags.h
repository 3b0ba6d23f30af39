// Drags that come from outside the program (another program's, or the test API's), and the
// Drag Manager's state for the test API. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "Drag.h"
#include "Files.h"
#include "ui/internal/Drops.h"

namespace sp_platform {
namespace drags {

struct FlavorSpec {
  FlavorType type;
  std::string bytes;
  FlavorFlags flags;
};
// One item: its flavours in order.
typedef std::vector<FlavorSpec> ItemSpec;

// Another program's drag of these items (reference numbers 1, 2, ...) along the path of
// global points, released at the last: the handlers see it enter, move over and leave the
// windows under the path, and the window under the release gets the drop. Answers the drop's
// result: noErr when a receiver took it, else the last refusal (dragNotAcceptedErr when no
// receiver was asked). paramErr for an empty path; memFullErr when no drag can be made.
OSErr PerformForeignDrag(const std::vector<ItemSpec>& items, const std::vector<Point>& path);

// Another program's drag followed a step at a time, as the desktop tells of its moves: made
// with the items, moved, then dropped or ended, which disposes of it. Null when no drag can
// be made.
DragRef BeginForeignDrag(const std::vector<ItemSpec>& items);
// Follows it to the global point, with the tracking messages of the move. True when a
// tracking handler of the window under the point answered kDragTrackingEnterWindow or
// kDragTrackingInWindow with noErr: it would take a drop there.
bool MoveForeignDrag(DragRef drag, Point global);
// Released at the point: PerformForeignDrag's answer; badDragRefErr for no such drag.
OSErr DropForeignDrag(DragRef drag, Point global);
// Gone without a drop (the other program let it go elsewhere): the leave messages.
void EndForeignDrag(DragRef drag);

// The items of a drop from the desktop: its text as one 'TEXT' item, then an 'hfs ' item per
// file.
std::vector<ItemSpec> ItemsOfDrop(const drops::FileDrop& drop);

// Where a drag of the program released outside its windows lands: the folder (the drop
// location is then its FSSpec and the drop counts as taken), or nowhere (null).
void SetOutsideDropFolder(const FSSpec* folder);

// The live drags (made by NewDrag and not yet disposed of).
std::vector<DragRef> AllDrags();

// The hilite shown by any drag: false when none is.
bool ShownHilite(WindowRef* window, Rect* bounds, Boolean* inside);

// Removes every handler, disposes of every drag not being tracked, and forgets the folder
// outside.
void ResetDrags();

}  // namespace drags
}  // namespace sp_platform
