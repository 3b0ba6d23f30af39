// Another program's drag over the program's windows, followed by the Drag Manager as the X
// side tells of its moves (see detail/DesktopXdnd.h): files become 'hfs ' items and text one
// 'TEXT' item, as in a drop the desktop hands over whole.
#include "display/detail/Desktop.h"
#include "display/detail/DesktopXdnd.h"
#include "ui/internal/Drags.h"
#include "ui/internal/Drops.h"

namespace sp_platform {
namespace display {
namespace {

DragRef gDrag = nullptr;  // the drag under way; null when none is

// The global point of a screen pixel.
Point GlobalOfScreen(int x, int y) {
  const int scale = Desktop().scale > 0 ? Desktop().scale : 1;
  return Point{SInt16(y / scale), SInt16(x / scale)};
}

}  // namespace

void PumpOutsideDrags() {
  std::vector<SDL_Window*> windows;
  for (const ShownWindow& w : Desktop().windows) {
    if (w.sdl != nullptr) windows.push_back(w.sdl);
  }
  XdndTargetPump(windows);
}

bool OutsideDragBegin(bool uriList, const std::string& data) {
  OutsideDragEnd();
  drops::FileDrop drop;
  if (uriList) {
    drop.items = drops::ItemsOfPaths(drops::PathsOfUriList(data));
  } else {
    drop.text = drops::MacTextOfLines(drops::LinesOf(data));
  }
  if (drop.items.empty() && drop.text.empty()) return false;
  gDrag = drags::BeginForeignDrag(drags::ItemsOfDrop(drop));
  return gDrag != nullptr;
}

bool OutsideDragMove(int x, int y) {
  return gDrag != nullptr && drags::MoveForeignDrag(gDrag, GlobalOfScreen(x, y));
}

bool OutsideDragDrop(int x, int y) {
  // Taken off first: the drop's handlers may run the loop, which must not see it again.
  DragRef drag = gDrag;
  gDrag = nullptr;
  return drag != nullptr && drags::DropForeignDrag(drag, GlobalOfScreen(x, y)) == noErr;
}

void OutsideDragEnd() {
  DragRef drag = gDrag;
  gDrag = nullptr;
  if (drag != nullptr) drags::EndForeignDrag(drag);
}

}  // namespace display
}  // namespace sp_platform
