// Standard alert sheets: CreateStandardSheet and CloseStandardSheet, the buttons' commands,
// the standard sheet handling that closes the sheet, and the window-modal blocking of a
// sheet's parent.
#include <algorithm>
#include <vector>

#include "Alerts.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacWindows.h"
#include "OSUtils.h"
#include "events/internal/EventLoop.h"
#include "events/internal/LoopSteps.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace alerts {
namespace {

constexpr PropertyCreator kSheetCreator = 0x53705368;  // 'SpSh'
constexpr PropertyTag kSheetTag = 0x73686574;          // 'shet'

// What a standard sheet keeps with its window.
struct SheetState {
  EventTargetRef notify;
  OptionBits flags;
};

bool SheetStateOf(WindowRef window, SheetState* out) {
  if (!IsValidWindowPtr(window)) return false;
  return GetWindowProperty(window, kSheetCreator, kSheetTag, sizeof *out, nullptr, out) == noErr;
}

UInt32 CommandOfItem(DialogItemIndex item) {
  switch (item) {
    case kAlertStdAlertOKButton:
      return kHICommandOK;
    case kAlertStdAlertCancelButton:
      return kHICommandCancel;
    case kAlertStdAlertOtherButton:
      return kHICommandOther;
    case kAlertStdAlertHelpButton:
      return kHICommandAppHelp;
    default:
      return 0;
  }
}

OSStatus SendCommand(UInt32 command, EventTargetRef target) {
  EventRef event = nullptr;
  OSStatus err = CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0,
                             kEventAttributeNone, &event);
  if (err != noErr) return err;
  HICommand hi = {};
  hi.attributes = kHICommandFromControl;
  hi.commandID = command;
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof hi, &hi);
  err = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return err;
}

// Hides the sheet, tells the notify target (when it is not the sheet's own), and disposes of
// the sheet unless asked to keep it.
void CloseSheet(DialogRef sheet, UInt32 command) {
  WindowRef window = GetDialogWindow(sheet);
  SheetState state = {nullptr, 0};
  if (!SheetStateOf(window, &state)) return;
  HideSheetWindow(window);
  EventTargetRef own = GetWindowEventTarget(window);
  if (command != 0 && state.notify != nullptr && state.notify != own &&
      sp_platform::IsValidEventTarget(state.notify)) {
    SendCommand(command, state.notify);
  }
  if ((state.flags & kStdAlertDoNotDisposeSheet) == 0 && GetDialogFromWindow(window) == sheet) {
    DisposeDialog(sheet);
  }
}

// {'cntl', 1} on the sheet window: a button of the sheet sends its command to the sheet
// window (its handlers, then the standard sheet handling below).
OSStatus SheetButtonHit(EventHandlerCallRef, EventRef event, void* data) {
  WindowRef window = static_cast<WindowRef>(data);
  DialogRef sheet = GetDialogFromWindow(window);
  ControlRef control = nullptr;
  if (sheet == nullptr || GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr,
                                            sizeof control, nullptr, &control) != noErr) {
    return eventNotHandledErr;
  }
  for (DialogItemIndex item = kAlertStdAlertOKButton; item <= kAlertStdAlertHelpButton; ++item) {
    ControlRef c = nullptr;
    if (GetDialogItemAsControl(sheet, item, &c) == noErr && c == control) {
      SendCommand(CommandOfItem(item), GetWindowEventTarget(window));
      return noErr;
    }
  }
  return eventNotHandledErr;
}

// {'cmds', 1} that every other handler of the sheet window left: the standard sheet
// handling closes the sheet for the command of one of its buttons.
OSStatus SheetCommand(EventHandlerCallRef, EventRef event, void* data) {
  WindowRef window = static_cast<WindowRef>(data);
  DialogRef sheet = GetDialogFromWindow(window);
  HICommand hi = {};
  if (sheet == nullptr || GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                                            sizeof hi, nullptr, &hi) != noErr) {
    return eventNotHandledErr;
  }
  SheetState state = {nullptr, 0};
  if (!SheetStateOf(window, &state)) return eventNotHandledErr;
  switch (hi.commandID) {
    case kHICommandOK:
    case kHICommandCancel:
    case kHICommandOther:
      break;
    case kHICommandAppHelp:
      if ((state.flags & kStdAlertDoNotCloseOnHelp) != 0) {
        if (state.notify != nullptr && state.notify != GetWindowEventTarget(window) &&
            sp_platform::IsValidEventTarget(state.notify)) {
          SendCommand(hi.commandID, state.notify);
        }
        return noErr;
      }
      break;
    default:
      return eventNotHandledErr;
  }
  CloseSheet(sheet, hi.commandID);
  return noErr;
}

// ---- Window-modal parents ----
// The layer's pass hook takes the input meant for a window that has a sheet shown out of the
// queue before any loop delivers it. It runs at the start of every pass of every loop, so
// it sees each posted event before the event can reach its window.

int gHookID = 0;

bool IsSheetWindow(WindowRef window) {
  WindowClass windowClass = 0;
  return GetWindowClass(window, &windowClass) == noErr &&
         (windowClass == kSheetWindowClass || windowClass == kSheetAlertWindowClass);
}

// The windows that have a sheet shown on them now.
std::vector<WindowRef> ParentsWithSheets() {
  std::vector<WindowRef> parents;
  for (WindowRef w = GetWindowList(); w != nullptr; w = GetNextWindow(w)) {
    if (!IsWindowVisible(w) || !IsSheetWindow(w)) continue;
    WindowRef parent = nullptr;
    if (GetSheetWindowParent(w, &parent) == noErr && parent != nullptr) parents.push_back(parent);
  }
  return parents;
}

// The window a queued input event would reach, or null.
WindowRef InputWindowOf(EventRef event) {
  void* p = nullptr;
  UInt32 cls = GetEventClass(event);
  if (sp_platform::events::ReadPointer(event, kEventParamPostTarget, typeEventTargetRef, &p)) {
    EventTargetRef target = static_cast<EventTargetRef>(p);
    if (!sp_platform::IsValidEventTarget(target) ||
        sp_platform::GetEventTargetKind(target) != sp_platform::kEventTargetKindWindow) {
      return nullptr;
    }
    return static_cast<WindowRef>(sp_platform::GetEventTargetOwner(target));
  }
  if (cls == kEventClassMouse) {
    if (GetEventKind(event) != kEventMouseDown) return nullptr;
    if (!sp_platform::events::ReadPointer(event, kEventParamWindowRef, typeWindowRef, &p)) {
      return nullptr;
    }
    return static_cast<WindowRef>(p);
  }
  if (cls == kEventClassKeyboard || cls == kEventClassTextInput) {
    WindowRef modal = sp_platform::InnermostModalWindow();
    return modal != nullptr ? modal : FrontWindow();
  }
  return nullptr;
}

bool IsUserInput(EventRef event) {
  const UInt32 cls = GetEventClass(event);
  if (cls == kEventClassKeyboard || cls == kEventClassTextInput) return true;
  return cls == kEventClassMouse && GetEventKind(event) == kEventMouseDown;
}

bool DropInputOfSheetParents(void*) {
  std::vector<WindowRef> parents = ParentsWithSheets();
  if (parents.empty()) return false;
  bool dropped = false;
  for (EventRef event : sp_platform::events::QueuedEventsInOrder()) {
    if (!IsUserInput(event)) continue;
    WindowRef window = InputWindowOf(event);
    if (window == nullptr || std::find(parents.begin(), parents.end(), window) == parents.end()) {
      continue;
    }
    if (!sp_platform::events::TakeQueuedEvent(event)) continue;
    if (GetEventClass(event) == kEventClassMouse) SysBeep(1);
    ReleaseEvent(event);
    dropped = true;
  }
  return dropped;
}

}  // namespace
}  // namespace alerts
}  // namespace sp_platform

using namespace sp_platform::alerts;

OSStatus CreateStandardSheet(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param,
                             EventTargetRef notifyTarget, DialogRef* outSheet) {
  if (outSheet == nullptr) return paramErr;
  *outSheet = nullptr;
  if (error == nullptr) return paramErr;
  AlertSpec spec = SpecOfCFStrings(alertType, error, explanation, param);
  spec.sheet = true;
  DialogRef sheet = BuildAlertDialog(spec);
  if (sheet == nullptr) return memFullErr;
  WindowRef window = GetDialogWindow(sheet);
  SheetState state = {notifyTarget, param != nullptr ? param->flags : OptionBits(0)};
  static const EventTypeSpec kHit = {kEventClassControl, kEventControlHit};
  static const EventTypeSpec kCommand = {kEventClassCommand, kEventCommandProcess};
  EventTargetRef target = GetWindowEventTarget(window);
  // The standard sheet handling first, so that the program's handlers, installed later, see
  // the commands before it.
  if (SetWindowProperty(window, kSheetCreator, kSheetTag, sizeof state, &state) != noErr ||
      InstallEventHandler(target, SheetCommand, 1, &kCommand, window, nullptr) != noErr ||
      InstallEventHandler(target, SheetButtonHit, 1, &kHit, window, nullptr) != noErr) {
    DisposeDialog(sheet);
    return memFullErr;
  }
  if (gHookID == 0) gHookID = sp_platform::AddPassHook(DropInputOfSheetParents, nullptr);
  *outSheet = sheet;
  return noErr;
}

OSStatus CloseStandardSheet(DialogRef inSheet, UInt32 inResultCommand) {
  WindowRef window = GetDialogWindow(inSheet);
  SheetState state = {nullptr, 0};
  if (GetDialogFromWindow(window) != inSheet || !SheetStateOf(window, &state)) return paramErr;
  CloseSheet(inSheet, inResultCommand);
  return noErr;
}
