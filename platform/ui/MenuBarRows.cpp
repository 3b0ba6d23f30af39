// The standard handling of a press in the menu bar that reached the application unhandled.
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "Menus.h"
#include "OSUtils.h"
#include "events/internal/EventLoop.h"
#include "ui/detail/StandardRows.h"
#include "ui/internal/Menus.h"

namespace sp_platform {
namespace events {
namespace {

// {'mous', 1} on the application over the menu bar: the menus are pulled down (MenuSelect)
// and a chosen item sends its command ({'cmds', 1}). The title is unhilited as the menu
// closes, before the command runs: a command that opens a dialog runs its loop inside the
// send, and the bar must not show the menu as open all that time. While a modal loop runs the
// bar belongs to the window behind it: the press only beeps.
OSStatus ApplicationMenuBarClick(EventRef event, EventTargetRef) {
  Point where = {0, 0};
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr) {
    return eventNotHandledErr;
  }
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                    nullptr, &modifiers);
  if (FindWindow(where, nullptr) != inMenuBar) return eventNotHandledErr;
  if (ModalLoopDepth() > 0) {
    SysBeep(1);
    return noErr;
  }
  const SInt32 choice = MenuSelect(where);
  HiliteMenu(0);
  if (choice != 0) {
    const MenuID id = MenuID(UInt32(choice) >> 16);
    menus::SendItemCommand(menus::ShownMenu(id), MenuItemIndex(choice & 0xFFFF), modifiers);
  }
  return noErr;
}

const StandardHandlerRow kRows[] = {
    {kEventClassMouse, kEventMouseDown, kEventTargetKindApplication, ApplicationMenuBarClick,
     "a press in the menu bar pulls the menus down (MenuSelect); a chosen item sends its "
     "command ({'cmds', 1})"},
};

}  // namespace

const StandardHandlerRow* MenuBarStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

}  // namespace events
}  // namespace sp_platform
