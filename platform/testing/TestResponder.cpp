#include "TestResponder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "Alerts.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "SpTextCodec.h"
#include "TestControls.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "events/internal/EventLoop.h"
#include "events/internal/LoopSteps.h"
#include "ui/internal/Alerts.h"
#include "ui/internal/Dialogs.h"

namespace sp_testing {
namespace {

using sp_platform::alerts::AlertFacts;

// Virtual key codes of the keys an answer presses.
enum : UInt8 {
  kKeyReturn = 36,
  kKeyEscape = 53,
  kKeyPeriod = 47,
  kKeyEnter = 76,
};

constexpr PropertyCreator kMarkCreator = 0x53705273;  // 'SpRs'
constexpr PropertyTag kSeenTag = 0x7365656E;          // 'seen'
// How long an answered window may keep waiting, once its input is taken, before it counts
// as appearing again.
constexpr EventTimerInterval kCheckInterval = 0.25;

struct Pending {
  WindowRef window;
  UInt32 serial;
};

struct State {
  bool active = false;
  ResponderScope::Report report = ResponderScope::Report::kGoogleTest;
  std::deque<Answer> answers;
  std::vector<Shown> shown;
  std::vector<std::string> failures;
  int hookID = 0;
  UInt32 lastSerial = 0;
  std::vector<Pending> pending;
  EventLoopTimerRef checkTimer = nullptr;
  bool busy = false;  // inside the responder's own work
};

State& S() {
  static State state;
  return state;
}

std::string Readable(const std::string& macJapanese) {
  return sp::text::MacJapaneseToUTF8(macJapanese);
}

void Fail(const std::string& message) {
  S().failures.push_back(message);
  if (S().report == ResponderScope::Report::kGoogleTest) ADD_FAILURE() << message;
}

std::string PascalToString(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

bool IsSheet(WindowRef window) {
  WindowClass windowClass = 0;
  return GetWindowClass(window, &windowClass) == noErr &&
         (windowClass == kSheetWindowClass || windowClass == kSheetAlertWindowClass);
}

UInt32 SerialOf(WindowRef window) {
  UInt32 serial = 0;
  if (!IsValidWindowPtr(window) ||
      GetWindowProperty(window, kMarkCreator, kSeenTag, sizeof serial, nullptr, &serial) != noErr) {
    return 0;
  }
  return serial;
}

ShownKind KindOf(WindowRef window) {
  if (IsSheet(window)) return ShownKind::kSheet;
  AlertFacts facts;
  if (sp_platform::alerts::AlertFactsOf(window, &facts)) return ShownKind::kAlert;
  if (GetDialogFromWindow(window) != nullptr) return ShownKind::kModalDialog;
  return ShownKind::kModalWindow;
}

// The innermost modal loop's window (a ModalDialog's dialog, or a RunAppModalLoopForWindow
// window); null when no modal loop runs.
WindowRef InnermostWaiting() {
  std::vector<sp_platform::alerts::RunningModalDialog> frames =
      sp_platform::alerts::RunningModalDialogs();
  const int depth = sp_platform::ModalLoopDepth();
  if (!frames.empty() && depth <= frames.back().eventsModalDepth) {
    return GetDialogWindow(frames.back().dialog);
  }
  return depth > 0 ? sp_platform::InnermostModalWindow() : nullptr;
}

bool AnyModalLoop() {
  return !sp_platform::alerts::RunningModalDialogs().empty() || sp_platform::ModalLoopDepth() > 0;
}

// The shown sheets, front to back (they wait for a person while no modal loop runs).
std::vector<WindowRef> ShownSheets() {
  std::vector<WindowRef> sheets;
  for (WindowRef w = GetWindowList(); w != nullptr; w = GetNextWindow(w)) {
    WindowRef parent = nullptr;
    if (IsWindowVisible(w) && IsSheet(w) && GetSheetWindowParent(w, &parent) == noErr &&
        parent != nullptr) {
      sheets.push_back(w);
    }
  }
  return sheets;
}

bool IsWaiting(WindowRef window) {
  if (!IsValidWindowPtr(window)) return false;
  if (AnyModalLoop()) return InnermostWaiting() == window;
  return IsSheet(window) && IsWindowVisible(window);
}

bool InputStillComing() {
  if (sp_platform::CurrentMouseButtonDown()) return true;
  for (EventRef event : sp_platform::events::QueuedEventsInOrder()) {
    const UInt32 cls = GetEventClass(event);
    if (cls == kEventClassMouse || cls == kEventClassKeyboard || cls == kEventClassTextInput) {
      return true;
    }
  }
  return false;
}

DialogItemIndex ItemOfControl(DialogRef dialog, ControlRef control) {
  if (control == nullptr) return 0;
  for (DialogItemIndex i = 1; i <= CountDITL(dialog); ++i) {
    ControlRef c = nullptr;
    if (GetDialogItemAsControl(dialog, i, &c) == noErr && c == control) return i;
  }
  return 0;
}

bool IsPushButton(ControlRef control) {
  ControlKind kind = {0, 0};
  return GetControlKind(control, &kind) == noErr && kind.kind == kControlKindPushButton;
}

std::string TitleOf(ControlRef control) {
  Str255 title;
  GetControlTitle(control, title);
  return PascalToString(title);
}

Shown Describe(WindowRef window, ShownKind kind) {
  Shown s;
  s.kind = kind;
  s.window = window;
  Str255 title;
  GetWTitle(window, title);
  s.title = PascalToString(title);
  AlertFacts facts;
  const bool alert = sp_platform::alerts::AlertFactsOf(window, &facts);
  if (alert) {
    s.alertType = facts.type;
    s.message = facts.message;
    s.explanation = facts.explanation;
  }
  ControlRef defaultButton = nullptr;
  ControlRef cancelButton = nullptr;
  GetWindowDefaultButton(window, &defaultButton);
  GetWindowCancelButton(window, &cancelButton);
  DialogRef dialog = GetDialogFromWindow(window);
  if (dialog != nullptr) {
    std::vector<std::string> statics;
    for (DialogItemIndex i = 1; i <= CountDITL(dialog); ++i) {
      DialogItemType type = 0;
      Rect box = {0, 0, 0, 0};
      GetDialogItem(dialog, i, &type, nullptr, &box);
      if (box.left >= sp_platform::dialogs::kHiddenItemThreshold) continue;
      const UInt8 itemKind = UInt8(type & 0x7F);
      if (itemKind == kStaticTextDialogItem || itemKind == kEditTextDialogItem) {
        s.texts.push_back(DialogItemText(dialog, i));
        if (itemKind == kStaticTextDialogItem) statics.push_back(s.texts.back());
      } else if (itemKind == kButtonDialogItem) {
        ControlRef control = nullptr;
        if (GetDialogItemAsControl(dialog, i, &control) == noErr && IsControlVisible(control)) {
          s.buttons.push_back(TitleOf(control));
          s.buttonItems.push_back(i);
        }
      }
    }
    if (!alert || (!facts.standard && s.explanation.empty())) {
      if (!alert && !statics.empty()) s.message = statics[0];
      if (statics.size() > 1) s.explanation = statics[1];
    }
    s.defaultItem = GetDialogDefaultItem(dialog);
    if (s.defaultItem <= 0) s.defaultItem = ItemOfControl(dialog, defaultButton);
    s.cancelItem = GetDialogCancelItem(dialog);
    if (s.cancelItem <= 0) s.cancelItem = ItemOfControl(dialog, cancelButton);
    ControlRef c = nullptr;
    if (s.defaultItem > 0 && GetDialogItemAsControl(dialog, s.defaultItem, &c) == noErr) {
      s.defaultButton = TitleOf(c);
    }
    if (s.cancelItem > 0 && GetDialogItemAsControl(dialog, s.cancelItem, &c) == noErr) {
      s.cancelButton = TitleOf(c);
    }
  } else {
    for (ControlRef control : WindowControlList(window)) {
      if (!IsPushButton(control) || !IsControlVisible(control)) continue;
      s.buttons.push_back(TitleOf(control));
      s.buttonItems.push_back(0);
    }
    if (defaultButton != nullptr) s.defaultButton = TitleOf(defaultButton);
    if (cancelButton != nullptr) s.cancelButton = TitleOf(cancelButton);
  }
  return s;
}

std::string Summary(const Shown& s) {
  std::string text = std::string(ShownKindName(s.kind)) + " \"" + Readable(s.title) + "\"";
  if (!s.message.empty()) text += " saying \"" + Readable(s.message) + "\"";
  if (!s.explanation.empty()) text += " / \"" + Readable(s.explanation) + "\"";
  if (!s.buttons.empty()) {
    text += " with buttons";
    for (const std::string& b : s.buttons) text += " [" + Readable(b) + "]";
  }
  return text;
}

// Ends the loop of an appearance nobody can answer.
void EndIt(WindowRef window) {
  for (const auto& frame : sp_platform::alerts::RunningModalDialogs()) {
    if (GetDialogWindow(frame.dialog) == window) {
      sp_platform::alerts::AbandonModalDialog(frame.dialog);
    }
  }
  QuitAppModalLoopForWindow(window);
}

void Click(Point global, UInt32 modifiers) {
  PostMouseDown(global, modifiers);
  PostMouseUp(global, modifiers);
}

bool ClickControlOf(ControlRef control, UInt32 modifiers) {
  Point local = {0, 0};
  if (!PointInControlPart(control, kControlNoPart, &local)) return false;
  Click(ControlPointToGlobal(control, local), modifiers);
  return true;
}

// Does one step; false (with a failure) when it cannot be done.
bool DoStep(const Answer::Step& step, WindowRef window, const Shown& shown) {
  DialogRef dialog = GetDialogFromWindow(window);
  auto fail = [&](const std::string& why) {
    Fail("responder: cannot " + step.description + " for the " + Summary(shown) + ": " + why);
    return false;
  };
  switch (step.kind) {
    case Answer::Step::kSetValue: {
      ControlRef control = nullptr;
      if (dialog == nullptr || GetDialogItemAsControl(dialog, step.item, &control) != noErr) {
        return fail("no such control item");
      }
      SetControl32BitValue(control, step.value);
      return true;
    }
    case Answer::Step::kSetText: {
      DialogItemType type = 0;
      Handle handle = nullptr;
      if (dialog == nullptr) return fail("it is no dialog");
      GetDialogItem(dialog, step.item, &type, &handle, nullptr);
      if ((type & 0x7F) != kEditTextDialogItem) return fail("the item is no edit text");
      Str255 text;
      const std::size_t length = sp_platform::dialogs::CutToBoundary(step.text, 255);
      text[0] = UInt8(length);
      std::copy(step.text.begin(), step.text.begin() + std::ptrdiff_t(length), text + 1);
      SetDialogItemText(handle, text);
      SelectDialogItemText(dialog, step.item, 0, SInt16(kSpDialogEditTextLimit));
      return true;
    }
    case Answer::Step::kClickItem: {
      Point global = {0, 0};
      if (dialog == nullptr) return fail("it is no dialog");
      if (!DialogItemCentre(dialog, step.item, &global)) return fail("no such shown item");
      Click(global, step.modifiers);
      return true;
    }
    case Answer::Step::kClickButton: {
      if (dialog != nullptr) {
        for (std::size_t i = 0; i < shown.buttons.size(); ++i) {
          Point global = {0, 0};
          if (shown.buttons[i] == step.text &&
              DialogItemCentre(dialog, shown.buttonItems[i], &global)) {
            Click(global, step.modifiers);
            return true;
          }
        }
      } else {
        for (ControlRef control : WindowControlList(window)) {
          if (IsPushButton(control) && IsControlVisible(control) && TitleOf(control) == step.text &&
              ClickControlOf(control, step.modifiers)) {
            return true;
          }
        }
      }
      return fail("no shown button has that title");
    }
    case Answer::Step::kKey:
      PostKeyDown(step.charCode, step.keyCode, step.modifiers);
      PostKeyUp(step.charCode, step.keyCode, step.modifiers);
      return true;
    case Answer::Step::kText:
      PostTextInput(step.text);
      return true;
    case Answer::Step::kCustom:
      if (step.custom) step.custom(window);
      return true;
    case Answer::Step::kLeaveOpen:
      return true;
  }
  return true;
}

void RemoveCheckTimer() {
  if (S().checkTimer != nullptr) RemoveEventLoopTimer(S().checkTimer);
  S().checkTimer = nullptr;
}

void CheckPending(EventLoopTimerRef, void*);

void ArmCheck(WindowRef window) {
  State& s = S();
  const UInt32 serial = SerialOf(window);
  for (const Pending& p : s.pending) {
    if (p.window == window && p.serial == serial) return;
  }
  s.pending.push_back({window, serial});
  if (s.checkTimer == nullptr) {
    InstallEventLoopTimer(GetMainEventLoop(), kCheckInterval, kCheckInterval, CheckPending, nullptr,
                          &s.checkTimer);
  }
}

// An appearance (or a window waiting again after its answer): record it and answer it.
void Appear(WindowRef window, bool again) {
  State& s = S();
  Shown shown = Describe(window, KindOf(window));
  shown.again = again;
  if (!again) {
    const UInt32 serial = ++s.lastSerial;
    SetWindowProperty(window, kMarkCreator, kSeenTag, sizeof serial, &serial);
  }
  if (s.answers.empty()) {
    s.shown.push_back(shown);
    Fail("responder: no answer prepared for the " + Summary(shown) +
         (again ? " (still waiting after its answer)" : "") + "; ending it");
    EndIt(window);
    return;
  }
  Answer answer = s.answers.front();
  s.answers.pop_front();
  shown.answer = answer.Describe();
  s.shown.push_back(shown);
  bool leaveOpen = false;
  for (const Answer::Step& step : answer.Steps()) {
    if (step.kind == Answer::Step::kLeaveOpen) leaveOpen = true;
    if (!DoStep(step, window, shown)) {
      EndIt(window);
      return;
    }
  }
  if (!leaveOpen) ArmCheck(window);
}

// Forgets the answered windows that are done: gone, hidden, or no longer in any loop.
void PrunePending() {
  State& s = S();
  auto done = [](const Pending& p) {
    if (SerialOf(p.window) != p.serial || !IsWindowVisible(p.window)) return true;
    return !IsWaiting(p.window) && !AnyModalLoop();
  };
  s.pending.erase(std::remove_if(s.pending.begin(), s.pending.end(), done), s.pending.end());
  if (s.pending.empty()) RemoveCheckTimer();
}

void CheckPending(EventLoopTimerRef, void*) {
  State& s = S();
  if (!s.active || s.busy) return;
  s.busy = true;
  PrunePending();
  if (!InputStillComing()) {
    std::vector<Pending> waiting;
    for (const Pending& p : s.pending) {
      if (IsWaiting(p.window)) waiting.push_back(p);
    }
    for (const Pending& p : waiting) {
      s.pending.erase(std::remove_if(s.pending.begin(), s.pending.end(),
                                     [&p](const Pending& q) {
                                       return q.window == p.window && q.serial == p.serial;
                                     }),
                      s.pending.end());
      if (SerialOf(p.window) == p.serial) Appear(p.window, true);
    }
    if (s.pending.empty()) RemoveCheckTimer();
  }
  s.busy = false;
}

bool ResponderHook(void*) {
  State& s = S();
  if (!s.active || s.busy) return false;
  s.busy = true;
  PrunePending();
  std::vector<WindowRef> candidates;
  if (AnyModalLoop()) {
    WindowRef w = InnermostWaiting();
    if (w != nullptr) candidates.push_back(w);
  } else {
    candidates = ShownSheets();
  }
  bool did = false;
  for (WindowRef w : candidates) {
    if (!IsValidWindowPtr(w) || SerialOf(w) != 0) continue;
    Appear(w, false);
    did = true;
  }
  s.busy = false;
  return did;
}

std::string KeyName(UInt8 charCode, UInt32 modifiers) {
  std::string name;
  if ((modifiers & cmdKey) != 0) name += "Command-";
  if ((modifiers & shiftKey) != 0) name += "Shift-";
  if ((modifiers & optionKey) != 0) name += "Option-";
  switch (charCode) {
    case 0x0D:
      return name + "Return";
    case 0x03:
      return name + "Enter";
    case 0x1B:
      return name + "Escape";
    case '.':
      return name + "period";
    default:
      return name + "key " + std::to_string(int(charCode));
  }
}

}  // namespace

// ---- Answer ---------------------------------------------------------------------------------

Answer Answer::LeaveOpen() {
  Answer a;
  Step step{};
  step.kind = Step::kLeaveOpen;
  step.description = "leave it open";
  a.steps_.push_back(step);
  return a;
}

Answer& Answer::SetControlValue(DialogItemIndex item, SInt32 value) {
  Step step{};
  step.kind = Step::kSetValue;
  step.item = item;
  step.value = value;
  step.description =
      "set the value of item " + std::to_string(item) + " to " + std::to_string(value);
  steps_.push_back(step);
  return *this;
}

Answer& Answer::SetEditText(DialogItemIndex item, const std::string& macJapanese) {
  Step step{};
  step.kind = Step::kSetText;
  step.item = item;
  step.text = macJapanese;
  step.description =
      "set the text of item " + std::to_string(item) + " to \"" + Readable(macJapanese) + "\"";
  steps_.push_back(step);
  return *this;
}

Answer& Answer::SetEditTextUTF8(DialogItemIndex item, const std::string& utf8) {
  std::string bytes;
  sp::text::UTF8ToMacJapanese(utf8, bytes, '?');
  return SetEditText(item, bytes);
}

Answer& Answer::ClickItem(DialogItemIndex item, UInt32 modifiers) {
  Step step{};
  step.kind = Step::kClickItem;
  step.item = item;
  step.modifiers = modifiers;
  step.description = "click item " + std::to_string(item);
  steps_.push_back(step);
  return *this;
}

Answer& Answer::ClickButton(const std::string& macJapaneseTitle) {
  Step step{};
  step.kind = Step::kClickButton;
  step.text = macJapaneseTitle;
  step.description = "click the button [" + Readable(macJapaneseTitle) + "]";
  steps_.push_back(step);
  return *this;
}

Answer& Answer::ClickButtonUTF8(const std::string& utf8Title) {
  std::string bytes;
  sp::text::UTF8ToMacJapanese(utf8Title, bytes, '?');
  return ClickButton(bytes);
}

Answer& Answer::PressKey(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  Step step{};
  step.kind = Step::kKey;
  step.charCode = charCode;
  step.keyCode = keyCode;
  step.modifiers = modifiers;
  step.description = "press " + KeyName(charCode, modifiers);
  steps_.push_back(step);
  return *this;
}

Answer& Answer::PressReturn(UInt32 modifiers) {
  return PressKey(0x0D, kKeyReturn, modifiers);
}

Answer& Answer::PressEnter(UInt32 modifiers) {
  return PressKey(0x03, kKeyEnter, modifiers);
}

Answer& Answer::PressEscape(UInt32 modifiers) {
  return PressKey(0x1B, kKeyEscape, modifiers);
}

Answer& Answer::PressCommandPeriod() {
  return PressKey('.', kKeyPeriod, cmdKey);
}

Answer& Answer::TypeText(const std::string& macJapanese) {
  Step step{};
  step.kind = Step::kText;
  step.text = macJapanese;
  step.description = "type \"" + Readable(macJapanese) + "\"";
  steps_.push_back(step);
  return *this;
}

Answer& Answer::Do(std::function<void(WindowRef window)> action, const std::string& description) {
  Step step{};
  step.kind = Step::kCustom;
  step.custom = std::move(action);
  step.description = description;
  steps_.push_back(step);
  return *this;
}

std::string Answer::Describe() const {
  std::string text;
  for (const Step& step : steps_) {
    if (!text.empty()) text += ", then ";
    text += step.description;
  }
  return text.empty() ? std::string("nothing") : text;
}

// ---- Queue and record -----------------------------------------------------------------------

void Respond(const Answer& answer) {
  S().answers.push_back(answer);
}

void RespondTimes(const Answer& answer, int times) {
  for (int i = 0; i < times; ++i) Respond(answer);
}

int PendingAnswerCount() {
  return int(S().answers.size());
}

const char* ShownKindName(ShownKind kind) {
  switch (kind) {
    case ShownKind::kModalDialog:
      return "modal dialog";
    case ShownKind::kAlert:
      return "alert";
    case ShownKind::kSheet:
      return "sheet";
    case ShownKind::kModalWindow:
      return "modal window";
  }
  return "window";
}

const std::vector<Shown>& ShownSoFar() {
  return S().shown;
}

const std::vector<std::string>& ResponderFailures() {
  return S().failures;
}

// ---- Scope ----------------------------------------------------------------------------------

ResponderScope::ResponderScope(Report report) {
  State& s = S();
  if (s.active) {
    ADD_FAILURE() << "responder: one ResponderScope at a time";
    return;
  }
  RemoveCheckTimer();
  s = State();
  s.active = true;
  s.report = report;
  s.hookID = sp_platform::AddPassHook(ResponderHook, nullptr);
}

ResponderScope::~ResponderScope() {
  State& s = S();
  if (!s.active) return;
  if (!s.answers.empty()) {
    std::string unused;
    for (const Answer& a : s.answers) unused += " [" + a.Describe() + "]";
    Fail("responder: " + std::to_string(s.answers.size()) +
         " prepared answer(s) were never used:" + unused);
  }
  sp_platform::RemovePassHook(s.hookID);
  RemoveCheckTimer();
  s.hookID = 0;
  s.answers.clear();
  s.pending.clear();
  s.active = false;
}

}  // namespace sp_testing
