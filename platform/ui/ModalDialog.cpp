// The modal dialog loop (ModalDialog) over the one event queue, and the classic calls it is
// made of: IsDialogEvent, DialogSelect and the standard filter.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "CarbonEvents.h"
#include "Clock.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "MacWindows.h"
#include "OSUtils.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "base/internal/Clock.h"
#include "events/internal/AppleEventQueue.h"
#include "events/internal/EventLoop.h"
#include "events/internal/LoopSteps.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"
#include "ui/internal/InputMethod.h"

namespace sp_platform {
namespace alerts {
namespace {

using namespace sp_platform::events;

constexpr UInt8 kEnterChar = 0x03;
constexpr UInt8 kTabChar = 0x09;
constexpr UInt8 kSpaceChar = 0x20;
constexpr UInt8 kReturnChar = 0x0D;
constexpr UInt8 kEscapeChar = 0x1B;
constexpr UInt8 kPeriodChar = 0x2E;
// On the real clock, a loop with nothing to wait for looks at its pass hooks this often.
constexpr SInt64 kRealIdlePollMicros = 10000;
// A program that keeps calling ModalDialog while it keeps giving up would spin for ever.
constexpr int kGiveUpLimit = 1000;

constexpr PropertyCreator kPropertyCreator = 0x53704D64;  // 'SpMd'
constexpr PropertyTag kAbandonedTag = 0x6162646E;         // 'abdn'
constexpr PropertyTag kGiveUpsTag = 0x67767570;           // 'gvup'

std::vector<RunningModalDialog>& Frames() {
  static std::vector<RunningModalDialog> frames;
  return frames;
}

// Give-ups in a row without a front dialog (those of a dialog are counted with its window,
// so that they go with it).
int gGiveUpsWithoutDialog = 0;

// Pops the loop's frame however the loop ends.
class FrameScope {
 public:
  explicit FrameScope(DialogRef dialog) {
    Frames().push_back({dialog, sp_platform::ModalLoopDepth()});
    depth_ = Frames().size();
  }
  ~FrameScope() {
    if (Frames().size() >= depth_) Frames().resize(depth_ - 1);
  }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  std::size_t depth_ = 0;
};

DialogRef FrontDialog() {
  return GetDialogFromWindow(FrontNonFloatingWindow());
}

bool ItemShown(DialogRef dialog, DialogItemIndex item) {
  dialogs::DialogRecord* record = dialogs::Lookup(dialog);
  dialogs::Item* it = dialogs::ItemAt(record, item);
  return it != nullptr && !it->Hidden();
}

// The item of the window's default (cancel) button, when the dialog names none itself.
DialogItemIndex ItemOfControl(DialogRef dialog, ControlRef control) {
  if (control == nullptr) return 0;
  const DialogItemIndex count = CountDITL(dialog);
  for (DialogItemIndex i = 1; i <= count; ++i) {
    ControlRef c = nullptr;
    if (GetDialogItemAsControl(dialog, i, &c) == noErr && c == control) return i;
  }
  return 0;
}

DialogItemIndex DefaultItemOf(DialogRef dialog) {
  DialogItemIndex item = GetDialogDefaultItem(dialog);
  if (item > 0) return item;
  ControlRef control = nullptr;
  GetWindowDefaultButton(GetDialogWindow(dialog), &control);
  return ItemOfControl(dialog, control);
}

DialogItemIndex CancelItemOf(DialogRef dialog) {
  DialogItemIndex item = GetDialogCancelItem(dialog);
  if (item > 0) return item;
  ControlRef control = nullptr;
  GetWindowCancelButton(GetDialogWindow(dialog), &control);
  return ItemOfControl(dialog, control);
}

// What a loop that must give up answers: the cancel item, else the default item, else the
// first shown push button, else 0.
DialogItemIndex GiveUpItem(DialogRef dialog) {
  if (dialogs::Lookup(dialog) == nullptr) return 0;
  DialogItemIndex item = CancelItemOf(dialog);
  if (item > 0) return item;
  item = DefaultItemOf(dialog);
  if (item > 0) return item;
  const DialogItemIndex count = CountDITL(dialog);
  for (DialogItemIndex i = 1; i <= count; ++i) {
    DialogItemType type = 0;
    GetDialogItem(dialog, i, &type, nullptr, nullptr);
    if ((type & 0x7F) == kButtonDialogItem && ItemShown(dialog, i)) return i;
  }
  return 0;
}

// The give-ups in a row of the dialog (0 for none); `add` counts one more, false starts over.
int CountGiveUps(DialogRef dialog, bool add) {
  if (dialogs::Lookup(dialog) == nullptr) {
    gGiveUpsWithoutDialog = add ? gGiveUpsWithoutDialog + 1 : 0;
    return gGiveUpsWithoutDialog;
  }
  WindowRef window = GetDialogWindow(dialog);
  SInt32 count = 0;
  GetWindowProperty(window, kPropertyCreator, kGiveUpsTag, sizeof count, nullptr, &count);
  count = add ? count + 1 : 0;
  SetWindowProperty(window, kPropertyCreator, kGiveUpsTag, sizeof count, &count);
  return int(count);
}

void GiveUp(DialogRef dialog, const char* why, DialogItemIndex* itemHit) {
  *itemHit = GiveUpItem(dialog);
  std::fprintf(stderr, "ModalDialog: %s; answering item %d\n", why, int(*itemHit));
  const int inARow = CountGiveUps(dialog, true);
  if (inARow >= kGiveUpLimit) {
    std::fprintf(stderr,
                 "ModalDialog: gave up %d times in a row: the program keeps calling it for a "
                 "dialog nobody can answer; ending the process\n",
                 inARow);
    std::abort();
  }
}

bool Enabled(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type = 0;
  GetDialogItem(dialog, item, &type, nullptr, nullptr);
  return (type & kItemDisableBit) == 0;
}

void FillNullRecord(EventRecord* record) {
  record->what = nullEvent;
  record->message = 0;
  record->when = TickCount();
  record->where = sp_platform::CurrentMouseLocation();
  record->modifiers = EventModifiers(
      GetCurrentKeyModifiers() | (sp_platform::CurrentMouseButtonDown() ? 0u : UInt32(btnState)));
}

// The press of a classic record that no filter took: in the dialog's title strip it drags
// the dialog; in another window (or the menu bar, or the desk) it beeps. Answers true when
// the press is for the dialog's content.
bool PressForContent(DialogRef dialog, const EventRecord& record) {
  WindowRef window = nullptr;
  const WindowPartCode part = FindWindow(record.where, &window);
  if (window != GetDialogWindow(dialog)) {
    SysBeep(1);
    return false;
  }
  if (part == inDrag) {
    DragWindow(window, record.where, nullptr);
    return false;
  }
  return part == inContent;
}

// One classic event for the loop: the filter, the standard filter, then DialogSelect.
bool HandleRecord(DialogRef dialog, ModalFilterUPP filter, EventRecord record,
                  DialogItemIndex* itemHit) {
  // A reading shown in a field is committed there before a click acts: the filter or the
  // item hit may read the field's text (a save dialog's name).
  if (record.what == mouseDown) sp_platform::input_method::FixFieldPreedit();
  DialogItemIndex item = 0;
  if (filter != nullptr && filter(dialog, &record, &item)) {
    *itemHit = item;
    return true;
  }
  if (dialogs::Lookup(dialog) == nullptr) return false;
  item = 0;
  if (StdFilterProc(dialog, &record, &item)) {
    *itemHit = item;
    return true;
  }
  if (record.what == mouseDown && !PressForContent(dialog, record)) return false;
  if (record.what == mouseUp) return false;
  DialogRef selected = nullptr;
  item = 0;
  if (DialogSelect(&record, &selected, &item) && selected == dialog) {
    *itemHit = item;
    return true;
  }
  return false;
}

// Typed text: the filter sees a key-down of its first byte; when nothing takes that, the
// bytes go into the focused field and hit it.
bool HandleTypedText(DialogRef dialog, ModalFilterUPP filter, EventRef event,
                     DialogItemIndex* itemHit) {
  ByteCount size = 0;
  if (GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, 0, &size,
                        nullptr) != noErr ||
      size == 0) {
    return false;
  }
  std::string bytes(size, '\0');
  GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr, size, nullptr,
                    &bytes[0]);
  EventRecord record = {};
  EventRef key = nullptr;
  if (GetEventParameter(event, kEventParamTextInputSendKeyboardEvent, typeEventRef, nullptr,
                        sizeof key, nullptr, &key) != noErr ||
      key == nullptr || !ConvertEventRefToEventRecord(key, &record)) {
    FillNullRecord(&record);
    record.what = keyDown;
    record.message = UInt8(bytes[0]);
    UInt32 modifiers = 0;
    ReadUInt32(event, kEventParamKeyModifiers, &modifiers);
    record.modifiers = EventModifiers((modifiers & 0xFF00u) | (record.modifiers & btnState));
  }
  DialogItemIndex item = 0;
  if (filter != nullptr && filter(dialog, &record, &item)) {
    *itemHit = item;
    return true;
  }
  if (dialogs::Lookup(dialog) == nullptr) return false;
  item = 0;
  if (StdFilterProc(dialog, &record, &item)) {
    *itemHit = item;
    return true;
  }
  if ((record.modifiers & cmdKey) != 0) {
    // A Command key as text: the field's commands (DialogSelect), never typed.
    DialogRef selected = nullptr;
    DialogSelect(&record, &selected, &item);
    return false;
  }
  const DialogItemIndex focus = GetDialogKeyboardFocusItem(dialog);
  if (focus < 1) return false;
  TEHandle te = GetDialogTextEditHandle(dialog);
  for (char c : bytes) TEKey(CharParameter(UInt8(c)), te);
  if (!Enabled(dialog, focus)) return false;
  *itemHit = focus;
  return true;
}

// The wheel over the dialog moves the scroll bar of its list or view under the pointer; a bar
// that is an enabled item of the dialog hits it, as a click on its arrow does, so that a
// program which scrolls its own view on the hit follows. Over other windows the wheel waits,
// as their clicks do.
bool HandleWheel(DialogRef dialog, EventRef event, DialogItemIndex* itemHit) {
  ControlRef bar = dialogs::ScrollByWheel(dialogs::Lookup(dialog), event);
  const DialogItemIndex item = ItemOfControl(dialog, bar);
  if (item < 1 || dialogs::Lookup(dialog) == nullptr || !Enabled(dialog, item)) return false;
  *itemHit = item;
  return true;
}

// One queued event taken by the loop. Answers true when it ended the loop.
bool HandleQueued(DialogRef dialog, ModalFilterUPP filter, EventRef event,
                  DialogItemIndex* itemHit) {
  const UInt32 cls = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  EventRecord record = {};
  if (cls == kEventClassMouse) {
    if (kind == kEventMouseWheelMoved) return HandleWheel(dialog, event, itemHit);
    if (kind != kEventMouseDown && kind != kEventMouseUp) return false;
    ConvertEventRefToEventRecord(event, &record);
    return HandleRecord(dialog, filter, record, itemHit);
  }
  if (cls == kEventClassKeyboard) {
    if (kind != kEventRawKeyDown && kind != kEventRawKeyRepeat) return false;
    ConvertEventRefToEventRecord(event, &record);
    return HandleRecord(dialog, filter, record, itemHit);
  }
  if (cls == kEventClassTextInput && kind == kEventTextInputUnicodeForKeyEvent) {
    return HandleTypedText(dialog, filter, event, itemHit);
  }
  SendEventToEventTarget(event, DefaultTargetFor(event));
  return false;
}

// The update regions the filter saw last, by window (bounds in global coordinates).
typedef std::map<WindowRef, Rect> UpdatesSeen;

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

// The idle part of a pass: a null event, then an update event for each visible window whose
// update region changed since the filter saw it. Answers true when it ended the loop.
bool OfferIdle(DialogRef dialog, ModalFilterUPP filter, UpdatesSeen* seen,
               DialogItemIndex* itemHit) {
  EventRecord record = {};
  FillNullRecord(&record);
  if (HandleRecord(dialog, filter, record, itemHit)) return true;
  if (dialogs::Lookup(dialog) == nullptr) return false;

  RgnHandle region = NewRgn();
  if (region == nullptr) return false;
  std::vector<WindowRef> windows;
  for (WindowRef w = GetWindowList(); w != nullptr; w = GetNextWindow(w)) windows.push_back(w);
  bool ended = false;
  for (WindowRef w : windows) {
    if (!IsValidWindowPtr(w) || !IsWindowVisible(w)) continue;
    if (GetWindowRegion(w, kWindowUpdateRgn, region) != noErr) continue;
    Rect bounds = {0, 0, 0, 0};
    GetRegionBounds(region, &bounds);
    if (EmptyRgn(region)) {
      seen->erase(w);
      continue;
    }
    auto it = seen->find(w);
    if (it != seen->end() && SameRect(it->second, bounds)) continue;
    (*seen)[w] = bounds;
    FillNullRecord(&record);
    record.what = updateEvt;
    record.message = reinterpret_cast<unsigned long>(w);
    DialogItemIndex item = 0;
    if (filter != nullptr && filter(dialog, &record, &item)) {
      *itemHit = item;
      ended = true;
      break;
    }
    if (dialogs::Lookup(dialog) == nullptr) break;
    if (w == GetDialogWindow(dialog)) {
      DialogRef selected = nullptr;
      DialogSelect(&record, &selected, &item);
    }
  }
  DisposeRgn(region);
  return ended;
}

}  // namespace

std::vector<RunningModalDialog> RunningModalDialogs() {
  return Frames();
}

void AbandonModalDialog(DialogRef dialog) {
  if (dialogs::Lookup(dialog) == nullptr) return;
  const UInt8 yes = 1;
  SetWindowProperty(GetDialogWindow(dialog), kPropertyCreator, kAbandonedTag, sizeof yes, &yes);
}

bool IsModalDialogAbandoned(DialogRef dialog) {
  if (dialogs::Lookup(dialog) == nullptr) return false;
  ByteCount size = 0;
  return GetWindowPropertySize(GetDialogWindow(dialog), kPropertyCreator, kAbandonedTag, &size) ==
         noErr;
}

}  // namespace alerts
}  // namespace sp_platform

using namespace sp_platform::alerts;

ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr userRoutine) {
  return userRoutine;
}

void DisposeModalFilterUPP(ModalFilterUPP) {}

Boolean InvokeModalFilterUPP(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit,
                             ModalFilterUPP userUPP) {
  if (userUPP == nullptr) return false;
  return userUPP(theDialog, theEvent, itemHit);
}

void ModalDialog(ModalFilterUPP modalFilter, DialogItemIndex* itemHit) {
  using namespace sp_platform::events;
  if (itemHit == nullptr) return;
  *itemHit = 0;
  DialogRef dialog = FrontDialog();
  if (dialog == nullptr) {
    GiveUp(nullptr, "there is no front dialog", itemHit);
    return;
  }
  gGiveUpsWithoutDialog = 0;
  FrameScope frame(dialog);
  UpdatesSeen seen;
  auto stop = [dialog] {
    return LoopsMustUnwind() || SessionEnding() || sp_platform::dialogs::Lookup(dialog) == nullptr ||
           IsModalDialogAbandoned(dialog);
  };
  for (;;) {
    if (sp_platform::dialogs::Lookup(dialog) == nullptr) {
      GiveUp(nullptr, "the dialog was disposed of", itemHit);
      return;
    }
    if (IsModalDialogAbandoned(dialog)) {
      GiveUp(dialog, "the responder of the test API ended it", itemHit);
      return;
    }
    if (CountPass() || LoopsMustUnwind()) {
      GiveUp(dialog, "the event loop must unwind (the test API's watchdog)", itemHit);
      return;
    }
    if (SessionEnding()) {
      GiveUp(dialog, "the session ends and the program quits", itemHit);
      return;
    }
    const bool hooked = RunCompletionsAndHooks();
    if (stop()) continue;
    sp_platform::DispatchQueuedAppleEvents();
    if (stop()) continue;

    EventRef event = FirstQueuedEvent([](EventRef) { return true; });
    if (event != nullptr) {
      TakeQueuedEvent(event);
      const bool ended = HandleQueued(dialog, modalFilter, event, itemHit);
      ReleaseEvent(event);
      if (ended) {
        CountGiveUps(dialog, false);
        return;
      }
      if (!stop()) FireDueTimers(stop);
      continue;
    }

    if (OfferIdle(dialog, modalFilter, &seen, itemHit)) {
      CountGiveUps(dialog, false);
      return;
    }
    if (stop()) continue;
    FireDueTimers(stop);
    if (stop()) continue;
    if (hooked || WorkDueNow()) continue;
    WaitOutcome w = WaitForWork(kNever, EveryPassPace::kOncePerTick);
    if (w == WaitOutcome::kUnwind) continue;  // the next turn gives up
    if (w == WaitOutcome::kIdle) {
      if (sp_platform::ClockIsVirtual()) {
        GiveUp(dialog, "nothing is left to happen on the virtual clock", itemHit);
        return;
      }
      WaitForWork(sp_platform::ClockNowMicroseconds() + kRealIdlePollMicros);
    }
  }
}

Boolean IsDialogEvent(const EventRecord* theEvent) {
  if (theEvent == nullptr) return false;
  switch (theEvent->what) {
    case updateEvt:
    case activateEvt:
      return GetDialogFromWindow(reinterpret_cast<WindowRef>(theEvent->message)) != nullptr;
    case mouseDown: {
      WindowRef window = nullptr;
      if (FindWindow(theEvent->where, &window) != inContent || window == nullptr) return false;
      return GetDialogFromWindow(window) != nullptr && window == FrontNonFloatingWindow();
    }
    default:
      return FrontDialog() != nullptr;
  }
}

namespace {

bool SelectMouseDown(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  WindowRef window = GetDialogWindow(dialog);
  WindowRef hit = nullptr;
  if (FindWindow(event.where, &hit) != inContent || hit != window) return false;
  Point local = event.where;
  {
    sp_platform::dialogs::DialogPortScope scope(window);
    GlobalToLocal(&local);
  }
  const DialogItemIndex itemNo = DialogItemIndex(FindDialogItem(dialog, local) + 1);
  if (itemNo < 1) return false;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &box);
  const UInt8 kind = UInt8(type & 0x7F);
  bool hitItem = false;
  if (kind == kEditTextDialogItem) {
    const bool focused = GetDialogKeyboardFocusItem(dialog) == itemNo;
    if (!focused) SetDialogKeyboardFocusItem(dialog, itemNo);
    TEClick(local, focused && (event.modifiers & shiftKey) != 0, GetDialogTextEditHandle(dialog));
    hitItem = true;
  } else if (sp_platform::dialogs::IsControlKind(kind)) {
    ControlRef control = nullptr;
    if (GetDialogItemAsControl(dialog, itemNo, &control) != noErr) return false;
    if (!IsControlVisible(control) || !IsControlActive(control)) return false;
    hitItem = TrackControl(control, local, kControlUseOwnActionProc) != kControlNoPart;
  } else {
    hitItem = true;
  }
  if (!hitItem || sp_platform::dialogs::Lookup(dialog) == nullptr) return false;
  if (!Enabled(dialog, itemNo)) return false;
  *itemHit = itemNo;
  return true;
}

bool SelectKey(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  const UInt8 ch = UInt8(event.message & 0xFF);
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(dialog);
  const DialogItemIndex focus = GetDialogKeyboardFocusItem(dialog);
  if ((event.modifiers & cmdKey) != 0) {
    if (focus < 1) return false;
    switch (ch) {
      case 'x':
      case 'X':
        DialogCut(dialog);
        break;
      case 'c':
      case 'C':
        DialogCopy(dialog);
        break;
      case 'v':
      case 'V':
        DialogPaste(dialog);
        break;
      case 'a':
      case 'A':
        SelectDialogItemText(dialog, focus, 0, SInt16(kSpDialogEditTextLimit));
        break;
      default:
        break;
    }
    return false;
  }
  if (ch == kTabChar) {
    sp_platform::dialogs::MoveFocusByTab(record, (event.modifiers & shiftKey) != 0);
    return false;
  }
  if (focus < 1) return false;
  // TEKey knows no modifiers: with Shift an arrow (or another moving key) extends the
  // selection, as in the fields of windows of the standard handler.
  if ((event.modifiers & shiftKey) != 0 && ch < kSpaceChar && record != nullptr) {
    sp_platform::dialogs::EditKey(record, ch, true);
  } else {
    TEKey(CharParameter(ch), GetDialogTextEditHandle(dialog));
  }
  if (sp_platform::dialogs::Lookup(dialog) == nullptr || !Enabled(dialog, focus)) return false;
  *itemHit = focus;
  return true;
}

}  // namespace

Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit) {
  if (theEvent == nullptr || theDialog == nullptr || itemHit == nullptr) return false;
  *itemHit = 0;
  if (theEvent->what == updateEvt || theEvent->what == activateEvt) {
    WindowRef window = reinterpret_cast<WindowRef>(theEvent->message);
    DialogRef dialog = GetDialogFromWindow(window);
    if (dialog == nullptr) return false;
    *theDialog = dialog;
    if (theEvent->what == updateEvt) {
      BeginUpdate(window);
      DrawDialog(dialog);
      EndUpdate(window);
    } else if ((theEvent->modifiers & activeFlag) != 0) {
      TEActivate(GetDialogTextEditHandle(dialog));
    } else {
      TEDeactivate(GetDialogTextEditHandle(dialog));
    }
    return false;
  }
  DialogRef dialog = FrontDialog();
  if (dialog == nullptr) return false;
  *theDialog = dialog;
  switch (theEvent->what) {
    case nullEvent:
      TEIdle(GetDialogTextEditHandle(dialog));
      return false;
    case mouseDown:
      return SelectMouseDown(dialog, *theEvent, itemHit);
    case keyDown:
    case autoKey:
      return SelectKey(dialog, *theEvent, itemHit);
    default:
      return false;
  }
}

Boolean StdFilterProc(DialogRef theDialog, EventRecord* event, DialogItemIndex* itemHit) {
  if (event == nullptr || itemHit == nullptr) return false;
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(theDialog);
  if (record == nullptr || event->what != keyDown) return false;
  const UInt8 ch = UInt8(event->message & 0xFF);
  const bool command = (event->modifiers & cmdKey) != 0;
  DialogItemIndex item = 0;
  if (!command && (ch == kReturnChar || ch == kEnterChar)) {
    item = DefaultItemOf(theDialog);
  } else if ((!command && ch == kEscapeChar) || (command && ch == kPeriodChar)) {
    item = CancelItemOf(theDialog);
  } else {
    return false;
  }
  // An inactive button is never pressed, by any key.
  if (item < 1 || !sp_platform::dialogs::FlashItem(record, item, nullptr)) return false;
  *itemHit = item;
  return true;
}

OSErr GetStdFilterProc(ModalFilterUPP* theProc) {
  if (theProc == nullptr) return paramErr;
  *theProc = StdFilterProc;
  return noErr;
}
