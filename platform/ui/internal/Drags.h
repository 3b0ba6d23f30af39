// Drags that come from outside the program (another program's, or the test API's), and the
// Drag Manager's state for the test API. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "Drag.h"
#include "Files.h"

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
