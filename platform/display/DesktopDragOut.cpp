// Drags of the program's that leave its windows, carried on over other programs' windows
// through the desktop's drag protocol (DesktopXdndSource.cpp).
#include "display/detail/Desktop.h"
#include "display/detail/DesktopX11.h"
#include "ui/internal/DialogClipboard.h"
#include "ui/internal/OutsideDrags.h"

namespace sp_platform {
namespace display {
namespace {

// As the clipboard hands text to other programs: UTF-8 with line feeds.
bool TextOfDrag(std::string* utf8) {
  std::string macJapanese;
  if (!drags::TextOfTrackedDrag(&macJapanese)) return false;
  *utf8 = dialogs::ClipboardTextToDesktop(macJapanese);
  return true;
}

void Follow(const drags::OutsideDragStep& step, void*) {
  DesktopState& d = Desktop();
  std::vector<unsigned long> own;
  SDL_Window* shown = nullptr;
  for (const ShownWindow& w : d.windows) {
    if (w.xwindow != 0) own.push_back(w.xwindow);
    if (shown == nullptr && w.sdl != nullptr) shown = w.sdl;
  }
  const int scale = d.scale;
  X11DragPlace place;
  place.outside = step.outside;
  place.x = step.mouse.h * scale;
  place.y = step.mouse.v * scale;
  place.outlineX = step.outline.left * scale;
  place.outlineY = step.outline.top * scale;
  place.outlineWidth = (step.outline.right - step.outline.left) * scale;
  place.outlineHeight = (step.outline.bottom - step.outline.top) * scale;
  place.copy = step.copy;
  X11DragFollow(shown, own, place);
}

bool Drop(void*) {
  return X11DragDrop();
}

bool Answered(DragActions* action, void*) {
  int answer = 0;
  if (!X11DragAnswered(&answer)) return false;
  *action = answer == 2 ? kDragActionMove : answer == 1 ? kDragActionCopy : kDragActionNothing;
  return true;
}

void End(void*) {
  X11DragEnd();
}

const drags::OutsideDragHooks kHooks = {Follow, Drop, Answered, End};

}  // namespace

void InstallDragOut() {
  X11DragSetTextProc(TextOfDrag);
  drags::SetOutsideDragHooks(&kHooks, nullptr);
}

void RemoveDragOut() {
  drags::SetOutsideDragHooks(nullptr, nullptr);
  X11DragClose();
}

}  // namespace display
}  // namespace sp_platform
