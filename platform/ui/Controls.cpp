// The Control Manager: the controls of each window, their making and disposal, embedding,
// state, values, titles, data and the windows' default and cancel buttons.
#include "Controls.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <unordered_set>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "QDRegions.h"
#include "Resources.h"
#include "events/internal/EventLoop.h"
#include "ui/detail/ControlRecord.h"

namespace sp_platform {
namespace controls {
namespace {

struct WindowControls {
  EventTargetRef target = nullptr;
  ControlRecord* root = nullptr;
  // The controls not embedded in another, in the order they were made (with a root: the root
  // alone).
  std::vector<ControlRecord*> tops;
  ControlRecord* defaultButton = nullptr;
  ControlRecord* cancelButton = nullptr;
};

struct Registry {
  std::unordered_set<ControlRecord*> live;
  std::map<WindowRef, WindowControls> windows;
};

// Never destroyed: controls still alive when the program ends stay reachable, rather than
// turning into leaks when the registry's destructor runs before the leak check.
Registry& Reg() {
  static Registry* registry = new Registry;
  return *registry;
}

constexpr SInt32 kNoMenuID = kSpPopupNoMenuID;

// ---- Disposal without drawing ----

// Gives the popup's menu back: a menu handed over is disposed of; one this control put into
// the menu list leaves it when no other popup uses it.
void ReleaseMenu(ControlRecord* r) {
  MenuRef menu = r->menu;
  r->menu = nullptr;
  if (menu == nullptr) return;
  if (r->menuOwned) {
    DisposeMenu(menu);
    return;
  }
  if (!r->menuInsertedHere) return;
  for (ControlRecord* other : Reg().live) {
    if (other != r && other->menu == menu) {
      if (!other->menuOwned) other->menuInsertedHere = true;
      return;
    }
  }
  MenuID id = GetMenuID(menu);
  if (id != 0 && GetMenuHandle(id) == menu) DeleteMenu(id);
}

// Frees one record (its embedded controls are the caller's).
void Destroy(ControlRecord* r) {
  auto it = Reg().windows.find(r->window);
  if (it != Reg().windows.end() && it->second.target == r->windowTarget) {
    WindowControls& wc = it->second;
    if (wc.defaultButton == r) wc.defaultButton = nullptr;
    if (wc.cancelButton == r) wc.cancelButton = nullptr;
    if (wc.root == r) wc.root = nullptr;
  }
  ReleaseMenu(r);
  sp_platform::DisposeObjectEventTarget(RefOf(r));
  Reg().live.erase(r);
  delete r;
}

void DestroyTree(ControlRecord* r) {
  std::vector<ControlRecord*> subs = r->subs;
  r->subs.clear();
  for (ControlRecord* sub : subs) DestroyTree(sub);
  Destroy(r);
}

// Frees a set of records that holds whole trees: the links between them are cut first, so
// none is reached through a record already freed.
void DestroyAll(const std::vector<ControlRecord*>& records) {
  for (ControlRecord* r : records) {
    r->subs.clear();
    r->super = nullptr;
  }
  for (ControlRecord* r : records) Destroy(r);
}

// Disposes of every control that belonged to the window while it had this target.
void PurgeStale(WindowRef window, EventTargetRef target) {
  std::vector<ControlRecord*> stale;
  for (ControlRecord* r : Reg().live) {
    if (r->window == window && r->windowTarget == target) stale.push_back(r);
  }
  DestroyAll(stale);
  auto it = Reg().windows.find(window);
  if (it != Reg().windows.end() && it->second.target == target) Reg().windows.erase(it);
}

bool WindowGone(WindowRef window, EventTargetRef target) {
  return !IsValidWindowPtr(window) || GetWindowEventTarget(window) != target;
}

// The window's record of controls; null for an invalid window. `make` creates it.
WindowControls* StateOf(WindowRef window, bool make) {
  if (window == nullptr) return nullptr;
  auto it = Reg().windows.find(window);
  if (!IsValidWindowPtr(window)) {
    if (it != Reg().windows.end()) PurgeStale(window, it->second.target);
    return nullptr;
  }
  EventTargetRef target = GetWindowEventTarget(window);
  if (it != Reg().windows.end() && it->second.target != target) {
    PurgeStale(window, it->second.target);
    it = Reg().windows.end();
  }
  if (it == Reg().windows.end()) {
    if (!make) return nullptr;
    WindowControls wc;
    wc.target = target;
    it = Reg().windows.emplace(window, wc).first;
  }
  return &it->second;
}

void Unlink(ControlRecord* r) {
  if (r->super != nullptr) {
    auto& subs = r->super->subs;
    subs.erase(std::remove(subs.begin(), subs.end(), r), subs.end());
    r->super = nullptr;
    return;
  }
  WindowControls* wc = StateOf(r->window, false);
  if (wc != nullptr)
    wc->tops.erase(std::remove(wc->tops.begin(), wc->tops.end(), r), wc->tops.end());
}

bool Contains(const ControlRecord* outer, const ControlRecord* inner) {
  for (const ControlRecord* p = inner; p != nullptr; p = p->super) {
    if (p == outer) return true;
  }
  return false;
}

void OffsetTree(ControlRecord* r, SInt16 dh, SInt16 dv) {
  OffsetRect(&r->bounds, dh, dv);
  for (ControlRecord* sub : r->subs) OffsetTree(sub, dh, dv);
}

void CollectInOrder(ControlRecord* r, std::vector<ControlRecord*>* out) {
  out->push_back(r);
  for (ControlRecord* sub : r->subs) CollectInOrder(sub, out);
}

// ---- Kinds ----

Variety VarietyOf(SInt16 procID, bool* autoToggle, bool* live) {
  *autoToggle = false;
  *live = false;
  const SInt16 family = SInt16(procID >> 4);
  switch (family) {
    case 0:  // the classic buttons; bit 3 is "use the window's font"
      switch (procID & 7) {
        case 0:
          return Variety::kPushButton;
        case 1:
          return Variety::kCheckBox;
        case 2:
          return Variety::kRadioButton;
        default:
          return Variety::kUserPane;
      }
    case 1:
      return Variety::kScrollBar;
    case 5:
      return Variety::kProgressBar;
    case 16:
      return Variety::kUserPane;
    case 18:
      return Variety::kStaticText;
    case 23:
      switch (procID) {
        case kControlPushButtonProc:
        case kControlPushButtonProc + 6:  // with an icon at the left
        case kControlPushButtonProc + 7:  // with an icon at the right
          return Variety::kPushButton;
        case kControlCheckBoxProc:
          return Variety::kCheckBox;
        case kControlCheckBoxAutoToggleProc:
          *autoToggle = true;
          return Variety::kCheckBox;
        case kControlRadioButtonProc:
          return Variety::kRadioButton;
        case kControlRadioButtonAutoToggleProc:
          *autoToggle = true;
          return Variety::kRadioButton;
        default:
          return Variety::kUserPane;
      }
    case 24:
      *live = (procID == kControlScrollBarLiveProc);
      return Variety::kScrollBar;
    case 25:
    case 63:
      return Variety::kPopupButton;
    default:
      return Variety::kUserPane;
  }
}

void CopyTitle(unsigned char* dst, ConstStr255Param src) {
  if (src == nullptr) {
    dst[0] = 0;
    return;
  }
  std::memcpy(dst, src, std::size_t(src[0]) + 1);
}

// A CFString as MacJapanese bytes, cut to `limit` bytes on a character boundary; characters
// the encoding lacks become '?'.
std::string MacJapaneseOf(CFStringRef s, CFIndex limit) {
  if (s == nullptr) return std::string();
  CFRange all = {0, CFStringGetLength(s)};
  CFIndex needed = 0;
  CFStringGetBytes(s, all, kCFStringEncodingMacJapanese, '?', false, nullptr, 0, &needed);
  if (needed > limit) needed = limit;
  std::string out(std::size_t(needed), '\0');
  CFIndex used = 0;
  if (needed > 0) {
    CFStringGetBytes(s, all, kCFStringEncodingMacJapanese, '?', false,
                     reinterpret_cast<UInt8*>(&out[0]), needed, &used);
  }
  out.resize(std::size_t(used));
  return out;
}

void TitleFromCFString(CFStringRef s, unsigned char* title) {
  std::string bytes = MacJapaneseOf(s, 255);
  title[0] = UInt8(bytes.size());
  if (!bytes.empty()) std::memcpy(title + 1, bytes.data(), bytes.size());
}

SInt32 Clamp(SInt32 v, SInt32 lo, SInt32 hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

// The popup's range from its menu: items 1..n, or nothing.
void FitPopupRange(ControlRecord* r) {
  UInt16 count = (r->menu != nullptr) ? CountMenuItems(r->menu) : 0;
  if (count == 0) {
    r->minimum = r->maximum = r->value = 0;
    return;
  }
  r->minimum = 1;
  r->maximum = count;
  r->value = Clamp(r->value < 1 ? 1 : r->value, 1, count);
}

// Takes the popup's menu by id: the installed one, else the resource's (then put into the
// hierarchical part of the menu list as the toolbox did).
void AttachMenuByID(ControlRecord* r, SInt16 menuID) {
  r->menuID = menuID;
  if (menuID == kNoMenuID) return;
  MenuRef menu = GetMenuHandle(menuID);
  if (menu == nullptr) {
    menu = GetMenu(menuID);
    if (menu != nullptr && GetMenuHandle(menuID) == nullptr) {
      InsertMenu(menu, -1);
      r->menuInsertedHere = (GetMenuHandle(menuID) == menu);
    }
  }
  r->menu = menu;
}

struct NewSpec {
  WindowRef window = nullptr;
  Rect bounds = {0, 0, 0, 0};
  const unsigned char* title = nullptr;
  bool visible = true;
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  SInt16 procID = 0;
  SRefCon refCon = 0;
};

// Registers a new record with the window (embedded in its root when it has one) and draws it.
ControlRecord* Register(ControlRecord* r, WindowControls* wc) {
  Reg().live.insert(r);
  if (wc->root != nullptr) {
    r->super = wc->root;
    wc->root->subs.push_back(r);
  } else {
    wc->tops.push_back(r);
  }
  TargetOf(r);
  DrawRecord(r);
  return r;
}

ControlRecord* Make(const NewSpec& spec, Variety variety, bool autoToggle, bool live) {
  WindowControls* wc = StateOf(spec.window, true);
  if (wc == nullptr) return nullptr;
  ControlRecord* r = new (std::nothrow) ControlRecord;
  if (r == nullptr) return nullptr;
  r->window = spec.window;
  r->windowTarget = wc->target;
  r->variety = variety;
  r->procID = spec.procID;
  r->bounds = spec.bounds;
  CopyTitle(r->title, spec.title);
  r->visible = spec.visible;
  r->refCon = spec.refCon;
  r->autoToggle = autoToggle;
  r->liveTracking = live;
  if (variety == Variety::kPopupButton) {
    // The toolbox's convention: value = title style, minimum = menu id, maximum = title width.
    r->titleStyle = Style(spec.value);
    r->titleWidth = SInt16(std::max<SInt32>(0, spec.maximum));
    AttachMenuByID(r, SInt16(spec.minimum));
    r->value = 1;
    FitPopupRange(r);
  } else {
    r->minimum = spec.minimum;
    r->maximum = std::max(spec.minimum, spec.maximum);
    r->value = Clamp(spec.value, r->minimum, r->maximum);
  }
  return Register(r, wc);
}

OSStatus CreateCommon(WindowRef window, const Rect* bounds, ControlRef* out, NewSpec* spec) {
  if (out != nullptr) *out = nullptr;
  if (bounds == nullptr || out == nullptr || !IsValidWindowPtr(window)) return paramErr;
  spec->window = window;
  spec->bounds = *bounds;
  return noErr;
}

OSStatus Finish(ControlRecord* r, ControlRef* out) {
  if (r == nullptr) return memFullErr;
  *out = RefOf(r);
  return noErr;
}

// Check boxes and radio buttons: a title, a value up to the mixed state, and a procID that
// says whether a click toggles the value by itself.
OSStatus CreateToggleControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                             SInt32 initialValue, Boolean autoToggle, Variety variety,
                             SInt32 mixedValue, SInt16 procID, SInt16 autoToggleProcID,
                             ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  unsigned char t[256];
  TitleFromCFString(title, t);
  spec.title = t;
  spec.value = initialValue;
  spec.maximum = mixedValue;
  spec.procID = autoToggle ? autoToggleProcID : procID;
  return Finish(Make(spec, variety, autoToggle, false), outControl);
}

// Sets the value range after a change of minimum or maximum; redraws and tells.
void ApplyRange(ControlRecord* r, SInt32 minimum, SInt32 maximum) {
  SInt32 oldMin = r->minimum, oldMax = r->maximum, oldValue = r->value;
  r->minimum = minimum;
  r->maximum = std::max(minimum, maximum);
  r->value = Clamp(r->value, r->minimum, r->maximum);
  if (r->minimum == oldMin && r->maximum == oldMax && r->value == oldValue) return;
  DrawRecord(r);
  SendControlEvent(r, kEventControlValueFieldChanged);
}

void SetActive(ControlRecord* r, bool active) {
  if (r->active == active) return;
  r->active = active;
  if (!active) r->hilite = 0;
  ControlRef ref = RefOf(r);
  if (r->activateProc != nullptr) r->activateProc(ref, active);
  r = Live(ref);
  if (r != nullptr) DrawRecord(r);
}

// Erases the place a control that stops being shown leaves. The root covers everything and
// draws nothing: only the shown controls it holds leave a place.
void EraseLeftPlace(ControlRecord* r) {
  if (r->variety != Variety::kRoot) {
    EraseArea(r->window, r->bounds);
    return;
  }
  for (ControlRecord* sub : r->subs) {
    if (sub->visible) EraseArea(sub->window, sub->bounds);
  }
}

void SetButtonRole(ControlRecord* r, bool isDefault, bool on) {
  WindowControls* wc = StateOf(r->window, true);
  if (wc == nullptr) return;
  ControlRecord*& slot = isDefault ? wc->defaultButton : wc->cancelButton;
  ControlRecord* old = slot;
  if (on) {
    slot = r;
  } else if (slot == r) {
    slot = nullptr;
  }
  if (old != nullptr && old != slot) DrawRecord(old);
  if (slot != nullptr && slot != old) DrawRecord(slot);
}

}  // namespace

// ---- Shared with the other source files ----

ControlRecord* Live(ControlRef control) {
  if (control == nullptr) return nullptr;
  ControlRecord* r = reinterpret_cast<ControlRecord*>(control);
  if (Reg().live.count(r) == 0) return nullptr;
  if (WindowGone(r->window, r->windowTarget)) {
    PurgeStale(r->window, r->windowTarget);
    return nullptr;
  }
  return r;
}

std::vector<ControlRecord*> ControlsOf(WindowRef window) {
  std::vector<ControlRecord*> out;
  WindowControls* wc = StateOf(window, false);
  if (wc == nullptr) return out;
  for (ControlRecord* top : wc->tops) CollectInOrder(top, &out);
  return out;
}

ControlRecord* DefaultButtonOf(WindowRef window) {
  WindowControls* wc = StateOf(window, false);
  return wc != nullptr ? wc->defaultButton : nullptr;
}

ControlRecord* CancelButtonOf(WindowRef window) {
  WindowControls* wc = StateOf(window, false);
  return wc != nullptr ? wc->cancelButton : nullptr;
}

void DisposeWindowControls(WindowRef window) {
  std::vector<ControlRecord*> mine;
  for (ControlRecord* r : Reg().live) {
    if (r->window == window) mine.push_back(r);
  }
  DestroyAll(mine);
  Reg().windows.erase(window);
}

void DisposeAllControls() {
  DestroyAll(std::vector<ControlRecord*>(Reg().live.begin(), Reg().live.end()));
  Reg().windows.clear();
}

bool IsShown(const ControlRecord* r) {
  for (const ControlRecord* p = r; p != nullptr; p = p->super) {
    if (!p->visible) return false;
  }
  return true;
}

bool IsLive(const ControlRecord* r) {
  for (const ControlRecord* p = r; p != nullptr; p = p->super) {
    if (!p->active) return false;
  }
  return true;
}

EventTargetRef TargetOf(ControlRecord* r) {
  EventTargetRef target = GetControlEventTarget(RefOf(r));
  if (target == nullptr) return nullptr;
  EventTargetRef parent =
      (r->super != nullptr) ? TargetOf(r->super) : GetWindowEventTarget(r->window);
  if (parent != nullptr && GetEventTargetParent(target) != parent) {
    SetEventTargetParent(target, parent);
  }
  return target;
}

OSStatus SendControlEvent(ControlRecord* r, UInt32 kind) {
  EventTargetRef target = TargetOf(r);
  if (target == nullptr) return eventNotHandledErr;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassControl, kind, 0, kEventAttributeNone, &event) != noErr) {
    return memFullErr;
  }
  ControlRef ref = RefOf(r);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof ref, &ref);
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

bool SetValue(ControlRecord* r, SInt32 value) {
  value = Clamp(value, r->minimum, r->maximum);
  if (value == r->value) return true;
  r->value = value;
  ControlRef ref = RefOf(r);
  DrawRecord(r);
  SendControlEvent(r, kEventControlValueFieldChanged);
  return Live(ref) != nullptr;
}

void SetHilite(ControlRecord* r, UInt8 part) {
  if (!r->active || r->hilite == part) return;
  r->hilite = part;
  DrawRecord(r);
}

}  // namespace controls
}  // namespace sp_platform

using namespace sp_platform::controls;

// A field of a live control; zero for anything else.
template <typename T>
static T FieldOf(ControlRef control, T ControlRecord::*field) {
  ControlRecord* r = Live(control);
  return r != nullptr ? r->*field : T();
}

// ---- UPPs ----

ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine) {
  return userRoutine;
}

void DisposeControlActionUPP(ControlActionUPP) {}

void InvokeControlActionUPP(ControlRef theControl, ControlPartCode partCode,
                            ControlActionUPP userUPP) {
  if (userUPP != nullptr && userUPP != kControlUseOwnActionProc) userUPP(theControl, partCode);
}

// ---- Making and disposing ----

ControlRef NewControl(WindowRef owningWindow, const Rect* boundsRect, ConstStr255Param controlTitle,
                      Boolean initiallyVisible, SInt16 initialValue, SInt16 minimumValue,
                      SInt16 maximumValue, SInt16 procID, SRefCon controlReference) {
  if (boundsRect == nullptr || !IsValidWindowPtr(owningWindow)) return nullptr;
  NewSpec spec;
  spec.window = owningWindow;
  spec.bounds = *boundsRect;
  spec.title = controlTitle;
  spec.visible = initiallyVisible;
  spec.value = initialValue;
  spec.minimum = minimumValue;
  spec.maximum = maximumValue;
  spec.procID = procID;
  spec.refCon = controlReference;
  bool autoToggle = false, live = false;
  Variety variety = VarietyOf(procID, &autoToggle, &live);
  ControlRecord* r = Make(spec, variety, autoToggle, live);
  return r != nullptr ? RefOf(r) : nullptr;
}

ControlRef GetNewControl(SInt16 resourceID, WindowRef owningWindow) {
  if (!IsValidWindowPtr(owningWindow)) return nullptr;
  Handle resource = GetResource(SpFourCC("CNTL"), resourceID);
  if (resource == nullptr || *resource == nullptr) return nullptr;
  sp::ByteReader in(*resource, std::size_t(GetHandleSize(resource)));
  Rect bounds;
  bounds.top = in.SBE16();
  bounds.left = in.SBE16();
  bounds.bottom = in.SBE16();
  bounds.right = in.SBE16();
  SInt16 value = in.SBE16();
  UInt16 visible = in.BE16();
  SInt16 maximum = in.SBE16();
  SInt16 minimum = in.SBE16();
  SInt16 procID = in.SBE16();
  SInt32 refCon = in.SBE32();
  unsigned char title[256] = {0};
  in.PascalString(title);
  if (!in.Ok()) return nullptr;
  return NewControl(owningWindow, &bounds, title, visible != 0, value, minimum, maximum, procID,
                    SRefCon(refCon));
}

void DisposeControl(ControlRef theControl) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  if (IsShown(r)) EraseLeftPlace(r);
  Unlink(r);
  DestroyTree(r);
}

void KillControls(WindowRef theWindow) {
  WindowControls* wc = StateOf(theWindow, false);
  if (wc == nullptr) return;
  std::vector<ControlRecord*> tops = wc->tops;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) DisposeControl(RefOf(*it));
}

Boolean IsValidControlHandle(ControlRef theControl) {
  return Live(theControl) != nullptr;
}

OSStatus CreatePushButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                 ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  unsigned char t[256];
  TitleFromCFString(title, t);
  spec.title = t;
  spec.procID = kControlPushButtonProc;
  return Finish(Make(spec, Variety::kPushButton, false, false), outControl);
}

OSStatus CreateCheckBoxControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
  return CreateToggleControl(window, boundsRect, title, initialValue, autoToggle,
                             Variety::kCheckBox, kControlCheckBoxMixedValue, kControlCheckBoxProc,
                             kControlCheckBoxAutoToggleProc, outControl);
}

OSStatus CreateRadioButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
  return CreateToggleControl(window, boundsRect, title, initialValue, autoToggle,
                             Variety::kRadioButton, kControlRadioButtonMixedValue,
                             kControlRadioButtonProc, kControlRadioButtonAutoToggleProc,
                             outControl);
}

OSStatus CreatePopupButtonControl(WindowRef window, const Rect* boundsRect, CFStringRef title,
                                  SInt16 menuID, Boolean, SInt16 titleWidth,
                                  SInt16 titleJustification, Style titleStyle,
                                  ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  unsigned char t[256];
  TitleFromCFString(title, t);
  if (titleWidth < 0) titleWidth = t[0] > 0 ? SInt16(TitleWidth(window, t) + 4) : 0;
  spec.title = t;
  spec.value = titleStyle;
  spec.minimum = menuID;
  spec.maximum = titleWidth;
  spec.procID = kControlPopupButtonProc;
  ControlRecord* r = Make(spec, Variety::kPopupButton, false, false);
  if (r != nullptr) r->titleJustification = titleJustification;
  return Finish(r, outControl);
}

OSStatus CreateScrollBarControl(WindowRef window, const Rect* boundsRect, SInt32 value,
                                SInt32 minimum, SInt32 maximum, SInt32 viewSize,
                                Boolean liveTracking, ControlActionUPP liveTrackingProc,
                                ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  spec.value = value;
  spec.minimum = minimum;
  spec.maximum = maximum;
  spec.procID = liveTracking ? kControlScrollBarLiveProc : kControlScrollBarProc;
  spec.visible = true;
  ControlRecord* r = Make(spec, Variety::kScrollBar, false, liveTracking);
  if (r != nullptr) {
    r->viewSize = std::max<SInt32>(0, viewSize);
    r->action = liveTrackingProc;
    if (r->viewSize > 0) DrawRecord(r);
  }
  return Finish(r, outControl);
}

OSStatus CreateProgressBarControl(WindowRef window, const Rect* boundsRect, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  spec.value = value;
  spec.minimum = minimum;
  spec.maximum = maximum;
  spec.procID = kControlProgressBarProc;
  ControlRecord* r = Make(spec, Variety::kProgressBar, false, false);
  if (r != nullptr && indeterminate) {
    r->indeterminate = true;
    DrawRecord(r);
  }
  return Finish(r, outControl);
}

OSStatus CreateStaticTextControl(WindowRef window, const Rect* boundsRect, CFStringRef text,
                                 const ControlFontStyleRec*, ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  spec.procID = kControlStaticTextProc;
  spec.visible = false;  // shown once its text is in
  ControlRecord* r = Make(spec, Variety::kStaticText, false, false);
  if (r != nullptr) {
    r->text = MacJapaneseOf(text, 0x7FFFFFFF);
    r->visible = true;
    DrawRecord(r);
  }
  return Finish(r, outControl);
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features,
                               ControlRef* outControl) {
  NewSpec spec;
  OSStatus err = CreateCommon(window, boundsRect, outControl, &spec);
  if (err != noErr) return err;
  spec.procID = kControlUserPaneProc;
  ControlRecord* r = Make(spec, Variety::kUserPane, false, false);
  if (r != nullptr) r->features = features;
  return Finish(r, outControl);
}

// ---- Embedding ----

OSStatus CreateRootControl(WindowRef inWindow, ControlRef* outControl) {
  if (outControl != nullptr) *outControl = nullptr;
  if (outControl == nullptr) return paramErr;
  WindowControls* wc = StateOf(inWindow, true);
  if (wc == nullptr) return paramErr;
  if (wc->root != nullptr) {
    *outControl = RefOf(wc->root);
    return errRootAlreadyExists;
  }
  ControlRecord* root = new (std::nothrow) ControlRecord;
  if (root == nullptr) return memFullErr;
  root->window = inWindow;
  root->windowTarget = wc->target;
  root->variety = Variety::kRoot;
  root->procID = kControlUserPaneProc;
  root->bounds = Rect{-32768, -32768, 32767, 32767};
  // The controls made before the root go into it, in their order.
  root->subs = wc->tops;
  for (ControlRecord* sub : root->subs) sub->super = root;
  wc->tops.assign(1, root);
  wc->root = root;
  Reg().live.insert(root);
  for (ControlRecord* sub : root->subs) TargetOf(sub);
  *outControl = RefOf(root);
  return noErr;
}

OSStatus GetRootControl(WindowRef inWindow, ControlRef* outControl) {
  if (outControl != nullptr) *outControl = nullptr;
  if (outControl == nullptr || !IsValidWindowPtr(inWindow)) return paramErr;
  WindowControls* wc = StateOf(inWindow, false);
  if (wc == nullptr || wc->root == nullptr) return errNoRootControl;
  *outControl = RefOf(wc->root);
  return noErr;
}

OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer) {
  ControlRecord* r = Live(inControl);
  ControlRecord* container = Live(inContainer);
  if (r == nullptr || container == nullptr) return errUnknownControl;
  if (r->window != container->window) return errControlIsNotEmbedder;
  WindowControls* wc = StateOf(r->window, false);
  if (wc == nullptr || wc->root == nullptr) return errNoRootControl;
  if (r == wc->root) return errCantEmbedRoot;
  if (Contains(r, container)) return errCantEmbedIntoSelf;
  bool wasShown = IsShown(r);
  Unlink(r);
  r->super = container;
  container->subs.push_back(r);
  TargetOf(r);
  if (wasShown && !IsShown(r)) EraseArea(r->window, r->bounds);
  if (IsShown(r)) DrawRecord(r);
  return noErr;
}

OSStatus GetSuperControl(ControlRef inControl, ControlRef* outParent) {
  if (outParent != nullptr) *outParent = nullptr;
  ControlRecord* r = Live(inControl);
  if (r == nullptr || outParent == nullptr) return paramErr;
  if (r->variety == Variety::kRoot) return errControlIsNotEmbedder;
  if (r->super == nullptr) return errNoRootControl;
  *outParent = RefOf(r->super);
  return noErr;
}

OSStatus CountSubControls(ControlRef inControl, UInt16* outNumChildren) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr || outNumChildren == nullptr) return paramErr;
  *outNumChildren = UInt16(r->subs.size());
  return noErr;
}

OSStatus GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef* outSubControl) {
  if (outSubControl != nullptr) *outSubControl = nullptr;
  ControlRecord* r = Live(inControl);
  if (r == nullptr || outSubControl == nullptr) return paramErr;
  if (inIndex < 1 || inIndex > r->subs.size()) return errInvalidPartCode;
  *outSubControl = RefOf(r->subs[inIndex - 1]);
  return noErr;
}

WindowRef GetControlOwner(ControlRef control) {
  return FieldOf(control, &ControlRecord::window);
}

// ---- State ----

void HiliteControl(ControlRef theControl, ControlPartCode hiliteState) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  if (hiliteState >= kControlDisabledPart || hiliteState < 0) {
    SetActive(r, false);
    return;
  }
  if (!r->active) {
    r->active = true;
    r->hilite = UInt8(hiliteState);
    if (r->activateProc != nullptr) r->activateProc(theControl, true);
    r = Live(theControl);
    if (r != nullptr) DrawRecord(r);
    return;
  }
  SetHilite(r, UInt8(hiliteState));
}

UInt16 GetControlHilite(ControlRef control) {
  ControlRecord* r = Live(control);
  if (r == nullptr) return 0;
  return IsLive(r) ? r->hilite : UInt16(kControlInactivePart);
}

Boolean IsControlHilited(ControlRef control) {
  ControlRecord* r = Live(control);
  return r != nullptr && IsLive(r) && r->hilite != 0;
}

OSErr ActivateControl(ControlRef inControl) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  SetActive(r, true);
  return noErr;
}

OSErr DeactivateControl(ControlRef inControl) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  SetActive(r, false);
  return noErr;
}

Boolean IsControlActive(ControlRef inControl) {
  ControlRecord* r = Live(inControl);
  return r != nullptr && IsLive(r);
}

OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean inDoDraw) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  bool visible = inIsVisible != 0;
  if (r->visible == visible) return noErr;
  bool wasShown = IsShown(r);
  r->visible = visible;
  if (!inDoDraw) return noErr;
  if (wasShown && !visible) EraseLeftPlace(r);
  if (visible) DrawRecord(r);
  return noErr;
}

void ShowControl(ControlRef theControl) {
  SetControlVisibility(theControl, true, true);
}

void HideControl(ControlRef theControl) {
  SetControlVisibility(theControl, false, true);
}

Boolean IsControlVisible(ControlRef inControl) {
  ControlRecord* r = Live(inControl);
  return r != nullptr && IsShown(r);
}

void SetControlBounds(ControlRef control, const Rect* bounds) {
  ControlRecord* r = Live(control);
  if (r == nullptr || bounds == nullptr || r->variety == Variety::kRoot) return;
  Rect b = *bounds;
  if (b.right < b.left) b.right = b.left;
  if (b.bottom < b.top) b.bottom = b.top;
  if (EqualRect(&b, &r->bounds)) return;
  bool shown = IsShown(r);
  if (shown) EraseArea(r->window, r->bounds);
  for (ControlRecord* sub : r->subs) {
    OffsetTree(sub, SInt16(b.left - r->bounds.left), SInt16(b.top - r->bounds.top));
  }
  r->bounds = b;
  if (shown) DrawRecord(r);
}

void MoveControl(ControlRef theControl, SInt16 h, SInt16 v) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  Rect b = r->bounds;
  OffsetRect(&b, SInt16(h - b.left), SInt16(v - b.top));
  SetControlBounds(theControl, &b);
}

void SizeControl(ControlRef theControl, SInt16 w, SInt16 h) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  Rect b = r->bounds;
  b.right = SInt16(b.left + std::max<SInt16>(0, w));
  b.bottom = SInt16(b.top + std::max<SInt16>(0, h));
  SetControlBounds(theControl, &b);
}

Rect* GetControlBounds(ControlRef control, Rect* bounds) {
  if (bounds == nullptr) return nullptr;
  ControlRecord* r = Live(control);
  *bounds = (r != nullptr) ? r->bounds : Rect{0, 0, 0, 0};
  return bounds;
}

// ---- Values ----

static SInt16 Cut16(SInt32 v) {
  return SInt16(std::max<SInt32>(-32768, std::min<SInt32>(32767, v)));
}

SInt32 GetControl32BitValue(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::value);
}

void SetControl32BitValue(ControlRef theControl, SInt32 newValue) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr) SetValue(r, newValue);
}

SInt32 GetControl32BitMinimum(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::minimum);
}

void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr) ApplyRange(r, newMinimum, std::max(newMinimum, r->maximum));
}

SInt32 GetControl32BitMaximum(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::maximum);
}

void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr) ApplyRange(r, r->minimum, newMaximum);
}

SInt16 GetControlValue(ControlRef theControl) {
  return Cut16(GetControl32BitValue(theControl));
}

void SetControlValue(ControlRef theControl, SInt16 newValue) {
  SetControl32BitValue(theControl, newValue);
}

SInt16 GetControlMinimum(ControlRef theControl) {
  return Cut16(GetControl32BitMinimum(theControl));
}

void SetControlMinimum(ControlRef theControl, SInt16 newMinimum) {
  SetControl32BitMinimum(theControl, newMinimum);
}

SInt16 GetControlMaximum(ControlRef theControl) {
  return Cut16(GetControl32BitMaximum(theControl));
}

void SetControlMaximum(ControlRef theControl, SInt16 newMaximum) {
  SetControl32BitMaximum(theControl, newMaximum);
}

SInt32 GetControlViewSize(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::viewSize);
}

void SetControlViewSize(ControlRef theControl, SInt32 newViewSize) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  newViewSize = std::max<SInt32>(0, newViewSize);
  if (r->viewSize == newViewSize) return;
  r->viewSize = newViewSize;
  DrawRecord(r);
}

// ---- Titles, reference, kind ----

void SetControlTitle(ControlRef theControl, ConstStr255Param title) {
  ControlRecord* r = Live(theControl);
  if (r == nullptr) return;
  CopyTitle(r->title, title);
  DrawRecord(r);
}

void GetControlTitle(ControlRef theControl, Str255 title) {
  if (title == nullptr) return;
  ControlRecord* r = Live(theControl);
  if (r == nullptr) {
    title[0] = 0;
    return;
  }
  std::memcpy(title, r->title, std::size_t(r->title[0]) + 1);
}

OSStatus SetControlTitleWithCFString(ControlRef inControl, CFStringRef inString) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return paramErr;
  TitleFromCFString(inString, r->title);
  DrawRecord(r);
  return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef* outString) {
  if (outString != nullptr) *outString = nullptr;
  ControlRecord* r = Live(inControl);
  if (r == nullptr || outString == nullptr) return paramErr;
  *outString = CFStringCreateWithPascalString(nullptr, r->title, kCFStringEncodingMacJapanese);
  return *outString != nullptr ? OSStatus(noErr) : OSStatus(memFullErr);
}

SRefCon GetControlReference(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::refCon);
}

void SetControlReference(ControlRef theControl, SRefCon data) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr) r->refCon = data;
}

OSStatus GetControlKind(ControlRef inControl, ControlKind* outControlKind) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  if (outControlKind == nullptr) return paramErr;
  outControlKind->signature = kControlKindSignatureApple;
  switch (r->variety) {
    case Variety::kPushButton:
      outControlKind->kind = kControlKindPushButton;
      break;
    case Variety::kCheckBox:
      outControlKind->kind = kControlKindCheckBox;
      break;
    case Variety::kRadioButton:
      outControlKind->kind = kControlKindRadioButton;
      break;
    case Variety::kScrollBar:
      outControlKind->kind = kControlKindScrollBar;
      break;
    case Variety::kProgressBar:
      outControlKind->kind = kControlKindProgressBar;
      break;
    case Variety::kPopupButton:
      outControlKind->kind = kControlKindPopupButton;
      break;
    case Variety::kStaticText:
      outControlKind->kind = kControlKindStaticText;
      break;
    case Variety::kUserPane:
    case Variety::kRoot:
      outControlKind->kind = kControlKindUserPane;
      break;
  }
  return noErr;
}

void SetControlAction(ControlRef theControl, ControlActionUPP actionProc) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr && actionProc != kControlUseOwnActionProc) r->action = actionProc;
}

ControlActionUPP GetControlAction(ControlRef theControl) {
  return FieldOf(theControl, &ControlRecord::action);
}

// ---- Drawing ----

void Draw1Control(ControlRef theControl) {
  ControlRecord* r = Live(theControl);
  if (r != nullptr) DrawRecord(r);
}

void DrawControls(WindowRef theWindow) {
  WindowControls* wc = StateOf(theWindow, false);
  if (wc == nullptr) return;
  std::vector<ControlRecord*> tops = wc->tops;
  for (ControlRecord* top : tops) {
    if (Reg().live.count(top) != 0) DrawRecord(top);
  }
}

void UpdateControls(WindowRef inWindow, RgnHandle inUpdateRegion) {
  if (inUpdateRegion == nullptr) {
    DrawControls(inWindow);
    return;
  }
  std::vector<ControlRecord*> all = ControlsOf(inWindow);
  for (ControlRecord* r : all) {
    if (Reg().live.count(r) == 0 || !RectInRgn(&r->bounds, inUpdateRegion)) continue;
    if (r->variety == Variety::kRoot) continue;
    // Drawing a control draws what it holds too; skip those already drawn with their holder.
    bool holderDrawn = false;
    for (ControlRecord* p = r->super; p != nullptr; p = p->super) {
      if (p->variety != Variety::kRoot && RectInRgn(&p->bounds, inUpdateRegion)) {
        holderDrawn = true;
        break;
      }
    }
    if (!holderDrawn) DrawRecord(r);
  }
}

// ---- Popup buttons ----

MenuRef GetControlPopupMenuHandle(ControlRef control) {
  ControlRecord* r = Live(control);
  if (r == nullptr || r->variety != Variety::kPopupButton) return nullptr;
  return r->menu;
}

void SetControlPopupMenuHandle(ControlRef control, MenuRef popupMenu) {
  ControlRecord* r = Live(control);
  if (r == nullptr || r->variety != Variety::kPopupButton) return;
  if (r->menu != popupMenu) {
    ReleaseMenu(r);
    r->menuOwned = false;
    r->menuInsertedHere = false;
    r->menu = popupMenu;
    r->menuID = popupMenu != nullptr ? SInt16(GetMenuID(popupMenu)) : SInt16(kNoMenuID);
  }
  SInt32 oldMin = r->minimum, oldMax = r->maximum, oldValue = r->value;
  FitPopupRange(r);
  DrawRecord(r);
  if (r->minimum != oldMin || r->maximum != oldMax || r->value != oldValue) {
    SendControlEvent(r, kEventControlValueFieldChanged);
  }
}

SInt16 GetControlPopupMenuID(ControlRef control) {
  ControlRecord* r = Live(control);
  if (r == nullptr || r->variety != Variety::kPopupButton) return 0;
  return r->menuID;
}

// ---- Default and cancel buttons ----

static OSStatus SetWindowButton(WindowRef inWindow, ControlRef inControl, bool isDefault) {
  WindowControls* wc = StateOf(inWindow, true);
  if (wc == nullptr) return paramErr;
  if (inControl == nullptr) {
    ControlRecord* old = isDefault ? wc->defaultButton : wc->cancelButton;
    if (old != nullptr) SetButtonRole(old, isDefault, false);
    return noErr;
  }
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  if (r->window != inWindow) return errControlIsNotEmbedder;
  SetButtonRole(r, isDefault, true);
  return noErr;
}

OSStatus SetWindowDefaultButton(WindowRef inWindow, ControlRef inControl) {
  return SetWindowButton(inWindow, inControl, true);
}

OSStatus SetWindowCancelButton(WindowRef inWindow, ControlRef inControl) {
  return SetWindowButton(inWindow, inControl, false);
}

static OSStatus GetWindowButton(WindowRef inWindow, ControlRef* outControl, bool isDefault) {
  if (outControl != nullptr) *outControl = nullptr;
  if (outControl == nullptr || !IsValidWindowPtr(inWindow)) return paramErr;
  ControlRecord* r = isDefault ? DefaultButtonOf(inWindow) : CancelButtonOf(inWindow);
  *outControl = r != nullptr ? RefOf(r) : nullptr;
  return noErr;
}

OSStatus GetWindowDefaultButton(WindowRef inWindow, ControlRef* outControl) {
  return GetWindowButton(inWindow, outControl, true);
}

OSStatus GetWindowCancelButton(WindowRef inWindow, ControlRef* outControl) {
  return GetWindowButton(inWindow, outControl, false);
}

// ---- Control data ----

namespace {

template <typename T>
OSErr PutFixed(const T& value, Size bufferSize, void* buffer, Size* actualSize) {
  if (actualSize != nullptr) *actualSize = Size(sizeof(T));
  if (buffer == nullptr) return noErr;
  if (bufferSize < Size(sizeof(T))) return errDataSizeMismatch;
  std::memcpy(buffer, &value, sizeof(T));
  return noErr;
}

template <typename T>
bool TakeFixed(Size size, const void* data, T* out) {
  if (data == nullptr || size != Size(sizeof(T))) return false;
  std::memcpy(out, data, sizeof(T));
  return true;
}

bool IsPopupMenuTag(ResType tag) {
  return tag == kControlPopupButtonMenuRefTag || tag == kControlPopupButtonOwnedMenuRefTag;
}

}  // namespace

OSErr SetControlData(ControlRef inControl, ControlPartCode, ResType inTagName, Size inSize,
                     const void* inData) {
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  if (inSize < 0 || (inSize > 0 && inData == nullptr)) return paramErr;
  switch (r->variety) {
    case Variety::kPushButton:
      if (inTagName == kControlPushButtonDefaultTag || inTagName == kControlPushButtonCancelTag) {
        Boolean on = 0;
        if (!TakeFixed(inSize, inData, &on)) return errDataSizeMismatch;
        SetButtonRole(r, inTagName == kControlPushButtonDefaultTag, on != 0);
        return noErr;
      }
      break;
    case Variety::kStaticText:
      if (inTagName == kControlStaticTextTextTag) {
        if (inSize > 0) {
          r->text.assign(static_cast<const char*>(inData), std::size_t(inSize));
        } else {
          r->text.clear();
        }
        DrawRecord(r);
        return noErr;
      }
      break;
    case Variety::kPopupButton:
      if (IsPopupMenuTag(inTagName)) {
        MenuRef menu = nullptr;
        if (!TakeFixed(inSize, inData, &menu)) return errDataSizeMismatch;
        SetControlPopupMenuHandle(inControl, menu);
        r = Live(inControl);
        if (r != nullptr && r->menu == menu) {
          r->menuOwned = (inTagName == kControlPopupButtonOwnedMenuRefTag && menu != nullptr);
        }
        return noErr;
      }
      break;
    case Variety::kProgressBar:
      if (inTagName == kControlProgressBarIndeterminateTag ||
          inTagName == kControlProgressBarAnimatingTag) {
        Boolean on = 0;
        if (!TakeFixed(inSize, inData, &on)) return errDataSizeMismatch;
        bool& flag =
            (inTagName == kControlProgressBarIndeterminateTag) ? r->indeterminate : r->animating;
        if (flag != (on != 0)) {
          flag = (on != 0);
          DrawRecord(r);
        }
        return noErr;
      }
      break;
    case Variety::kUserPane:
      switch (inTagName) {
        case kControlUserPaneDrawProcTag:
          if (!TakeFixed(inSize, inData, &r->drawProc)) return errDataSizeMismatch;
          DrawRecord(r);
          return noErr;
        case kControlUserPaneHitTestProcTag:
          return TakeFixed(inSize, inData, &r->hitTestProc) ? OSErr(noErr)
                                                            : OSErr(errDataSizeMismatch);
        case kControlUserPaneTrackingProcTag:
          return TakeFixed(inSize, inData, &r->trackingProc) ? OSErr(noErr)
                                                             : OSErr(errDataSizeMismatch);
        case kControlUserPaneActivateProcTag:
          return TakeFixed(inSize, inData, &r->activateProc) ? OSErr(noErr)
                                                             : OSErr(errDataSizeMismatch);
        default:
          break;
      }
      break;
    default:
      break;
  }
  return errDataNotSupported;
}

OSErr GetControlData(ControlRef inControl, ControlPartCode, ResType inTagName, Size inBufferSize,
                     void* inBuffer, Size* outActualSize) {
  if (outActualSize != nullptr) *outActualSize = 0;
  ControlRecord* r = Live(inControl);
  if (r == nullptr) return errUnknownControl;
  if (inBufferSize < 0) return paramErr;
  switch (r->variety) {
    case Variety::kPushButton:
      if (inTagName == kControlPushButtonDefaultTag) {
        return PutFixed(Boolean(DefaultButtonOf(r->window) == r), inBufferSize, inBuffer,
                        outActualSize);
      }
      if (inTagName == kControlPushButtonCancelTag) {
        return PutFixed(Boolean(CancelButtonOf(r->window) == r), inBufferSize, inBuffer,
                        outActualSize);
      }
      break;
    case Variety::kStaticText:
      if (inTagName == kControlStaticTextTextTag) {
        Size size = Size(std::min<std::size_t>(r->text.size(), 0x7FFFFFFF));
        if (outActualSize != nullptr) *outActualSize = size;
        if (inBuffer != nullptr && inBufferSize > 0) {
          std::memcpy(inBuffer, r->text.data(), std::size_t(std::min(size, inBufferSize)));
        }
        return noErr;
      }
      break;
    case Variety::kPopupButton:
      if (IsPopupMenuTag(inTagName)) {
        return PutFixed(r->menu, inBufferSize, inBuffer, outActualSize);
      }
      if (inTagName == kControlPopupButtonMenuIDTag) {
        return PutFixed(r->menuID, inBufferSize, inBuffer, outActualSize);
      }
      break;
    case Variety::kProgressBar:
      if (inTagName == kControlProgressBarIndeterminateTag) {
        return PutFixed(Boolean(r->indeterminate), inBufferSize, inBuffer, outActualSize);
      }
      if (inTagName == kControlProgressBarAnimatingTag) {
        return PutFixed(Boolean(r->animating), inBufferSize, inBuffer, outActualSize);
      }
      break;
    case Variety::kUserPane:
      switch (inTagName) {
        case kControlUserPaneDrawProcTag:
          return PutFixed(r->drawProc, inBufferSize, inBuffer, outActualSize);
        case kControlUserPaneHitTestProcTag:
          return PutFixed(r->hitTestProc, inBufferSize, inBuffer, outActualSize);
        case kControlUserPaneTrackingProcTag:
          return PutFixed(r->trackingProc, inBufferSize, inBuffer, outActualSize);
        case kControlUserPaneActivateProcTag:
          return PutFixed(r->activateProc, inBufferSize, inBuffer, outActualSize);
        default:
          break;
      }
      break;
    default:
      break;
  }
  return errDataNotSupported;
}

OSErr GetControlDataSize(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                         Size* outMaxSize) {
  if (outMaxSize == nullptr) return paramErr;
  return GetControlData(inControl, inPart, inTagName, 0, nullptr, outMaxSize);
}
