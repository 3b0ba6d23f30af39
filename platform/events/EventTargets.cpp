// Event targets, their handler stacks and the sending of an event along them.
//
// Targets and handlers are shared objects: the registries below own the installed ones, and a
// dispatch under way holds its own references, so that a handler may remove itself or others,
// or dispose of its target (a window closing itself), without pulling the ground from under
// the dispatch. A removed handler is marked and skipped.
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "events/detail/EventInternal.h"
#include "events/internal/EventLoop.h"

using sp_platform::EventTargetKind;

struct OpaqueEventHandlerRef {
  OpaqueEventTargetRef* target = nullptr;
  EventHandlerUPP proc = nullptr;
  void* userData = nullptr;
  std::vector<EventTypeSpec> types;
  bool removed = false;

  bool Takes(EventRef event) const {
    UInt32 cls = GetEventClass(event);
    UInt32 kind = GetEventKind(event);
    for (const EventTypeSpec& t : types) {
      if (t.eventClass == cls && t.eventKind == kind) return true;
    }
    return false;
  }
};

typedef std::shared_ptr<OpaqueEventHandlerRef> HandlerPtr;
typedef std::vector<HandlerPtr> HandlerChain;

struct OpaqueEventTargetRef {
  std::shared_ptr<OpaqueEventTargetRef> parent;
  EventTargetKind kind = sp_platform::kEventTargetKindOther;
  void* owner = nullptr;
  HandlerChain handlers;  // the most recently installed first
  bool disposed = false;
};

typedef std::shared_ptr<OpaqueEventTargetRef> TargetPtr;

// One handler's call: where CallNextEventHandler goes on from.
struct OpaqueEventHandlerCallRef {
  TargetPtr target;
  const HandlerChain* chain;
  std::size_t next;
  bool passedOn;  // CallNextEventHandler ran the rest of the target already
};

namespace {

struct Registry {
  std::unordered_map<OpaqueEventTargetRef*, TargetPtr> targets;
  std::unordered_map<OpaqueEventHandlerRef*, HandlerPtr> handlers;
  // Targets made on request for controls and menus, by object.
  std::unordered_map<const void*, EventTargetRef> objectTargets;
  // Calls under way (CallNextEventHandler is refused outside them).
  std::unordered_set<const OpaqueEventHandlerCallRef*> activeCalls;
  TargetPtr application;
};

Registry& Reg() {
  static Registry* registry = new Registry;  // lives to the end of the program
  return *registry;
}

TargetPtr Lookup(EventTargetRef target) {
  if (target == nullptr) return nullptr;
  auto it = Reg().targets.find(target);
  return (it == Reg().targets.end()) ? nullptr : it->second;
}

TargetPtr ApplicationTargetPtr() {
  Registry& r = Reg();
  if (!r.application) {
    r.application = std::make_shared<OpaqueEventTargetRef>();
    r.application->kind = sp_platform::kEventTargetKindApplication;
    r.targets[r.application.get()] = r.application;
  }
  return r.application;
}

void DropHandler(const HandlerPtr& h) {
  h->removed = true;
  Reg().handlers.erase(h.get());
}

// Runs the target's handlers from `start` of the chain, then its standard handling.
OSStatus RunTargetFrom(const TargetPtr& target, const HandlerChain& chain, std::size_t start,
                       EventRef event) {
  for (std::size_t i = start; i < chain.size(); ++i) {
    const HandlerPtr& h = chain[i];
    if (h->removed || !h->Takes(event)) continue;
    OpaqueEventHandlerCallRef call{target, &chain, i + 1, false};
    Reg().activeCalls.insert(&call);
    OSStatus status = h->proc(&call, event, h->userData);
    Reg().activeCalls.erase(&call);
    // After CallNextEventHandler the rest of this target has had the event: the handler's
    // answer is the target's.
    if (status != eventNotHandledErr || call.passedOn) return status;
  }
  if (target->disposed) return eventNotHandledErr;
  return sp_platform::events::RunStandardHandlers(event, target.get());
}

}  // namespace

// ---- Layer calls ----

namespace sp_platform {

EventTargetRef NewEventTarget(EventTargetRef parent, EventTargetKind kind, void* owner) {
  TargetPtr parentPtr;
  if (parent != nullptr) {
    parentPtr = Lookup(parent);
    if (!parentPtr) return nullptr;
  }
  TargetPtr t(new (std::nothrow) OpaqueEventTargetRef);
  if (!t) return nullptr;
  t->parent = parentPtr;
  t->kind = (kind == kEventTargetKindApplication) ? kEventTargetKindOther : kind;
  t->owner = owner;
  Reg().targets[t.get()] = t;
  return t.get();
}

void DisposeEventTarget(EventTargetRef target) {
  TargetPtr t = Lookup(target);
  if (!t || t == Reg().application) return;
  t->disposed = true;
  for (const HandlerPtr& h : t->handlers) DropHandler(h);
  t->handlers.clear();
  for (auto& entry : Reg().targets) {
    if (entry.second->parent == t) entry.second->parent = t->parent;
  }
  for (auto it = Reg().objectTargets.begin(); it != Reg().objectTargets.end(); ++it) {
    if (it->second == target) {
      Reg().objectTargets.erase(it);
      break;
    }
  }
  Reg().targets.erase(target);
}

bool IsValidEventTarget(EventTargetRef target) {
  return target == GetApplicationEventTarget() || Lookup(target) != nullptr;
}

OSStatus SetEventTargetParent(EventTargetRef target, EventTargetRef parent) {
  TargetPtr t = Lookup(target);
  if (!t) return paramErr;
  TargetPtr p;
  if (parent != nullptr) {
    p = Lookup(parent);
    if (!p) return paramErr;
    for (OpaqueEventTargetRef* up = p.get(); up != nullptr; up = up->parent.get()) {
      if (up == t.get()) return paramErr;
    }
  }
  t->parent = p;
  return noErr;
}

EventTargetRef GetEventTargetParent(EventTargetRef target) {
  TargetPtr t = Lookup(target);
  return t ? t->parent.get() : nullptr;
}

EventTargetKind GetEventTargetKind(EventTargetRef target) {
  if (target == GetApplicationEventTarget()) return kEventTargetKindApplication;
  TargetPtr t = Lookup(target);
  return t ? t->kind : kEventTargetKindOther;
}

void* GetEventTargetOwner(EventTargetRef target) {
  TargetPtr t = Lookup(target);
  return t ? t->owner : nullptr;
}

void DisposeObjectEventTarget(const void* controlOrMenu) {
  auto it = Reg().objectTargets.find(controlOrMenu);
  if (it == Reg().objectTargets.end()) return;
  EventTargetRef target = it->second;
  Reg().objectTargets.erase(it);
  DisposeEventTarget(target);
}

namespace events {

EventTargetRef ApplicationTarget() {
  return ApplicationTargetPtr().get();
}

EventTargetRef DefaultTargetFor(EventRef event) {
  void* p = nullptr;
  if (ReadPointer(event, kEventParamPostTarget, typeEventTargetRef, &p) &&
      IsValidEventTarget(static_cast<EventTargetRef>(p))) {
    return static_cast<EventTargetRef>(p);
  }
  WindowRef window = nullptr;
  UInt32 cls = GetEventClass(event);
  if (cls == kEventClassMouse) {
    if (ReadPointer(event, kEventParamWindowRef, typeWindowRef, &p)) {
      window = static_cast<WindowRef>(p);
    }
  } else if (cls == kEventClassKeyboard || cls == kEventClassTextInput) {
    // Keys belong to the active window: a floating palette in front of it takes none.
    window = FrontNonFloatingWindow();
  }
  if (window != nullptr && IsValidWindowPtr(window)) {
    EventTargetRef target = GetWindowEventTarget(window);
    if (IsValidEventTarget(target)) return target;
  }
  return ApplicationTarget();
}

void ResetTargets() {
  Registry& r = Reg();
  for (auto& entry : r.targets) entry.second->handlers.clear();
  for (auto& entry : r.handlers) entry.second->removed = true;
  r.handlers.clear();
  std::vector<EventTargetRef> made;
  for (auto& entry : r.objectTargets) made.push_back(entry.second);
  r.objectTargets.clear();
  for (EventTargetRef t : made) DisposeEventTarget(t);
}

int InstalledHandlerCount() {
  return int(Reg().handlers.size());
}

}  // namespace events
}  // namespace sp_platform

// ---- Public calls ----

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) {
  return userRoutine;
}

void DisposeEventHandlerUPP(EventHandlerUPP) {}

OSStatus InvokeEventHandlerUPP(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                               void* inUserData, EventHandlerUPP userUPP) {
  if (userUPP == nullptr) return paramErr;
  return userUPP(inHandlerCallRef, inEvent, inUserData);
}

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec* inList, void* inUserData,
                             EventHandlerRef* outRef) {
  if (outRef != nullptr) *outRef = nullptr;
  if (inTarget == GetApplicationEventTarget()) ApplicationTargetPtr();
  TargetPtr target = Lookup(inTarget);
  if (!target || inHandler == nullptr || inNumTypes == 0 || inList == nullptr) return paramErr;
  HandlerPtr h(new (std::nothrow) OpaqueEventHandlerRef);
  if (!h) return memFullErr;
  h->target = target.get();
  h->proc = inHandler;
  h->userData = inUserData;
  h->types.assign(inList, inList + inNumTypes);
  target->handlers.insert(target->handlers.begin(), h);
  Reg().handlers[h.get()] = h;
  if (outRef != nullptr) *outRef = h.get();
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef) {
  auto it = Reg().handlers.find(inHandlerRef);
  if (it == Reg().handlers.end()) return paramErr;
  HandlerPtr h = it->second;
  TargetPtr target = Lookup(h->target);
  if (target) {
    HandlerChain& chain = target->handlers;
    for (auto c = chain.begin(); c != chain.end(); ++c) {
      if (*c == h) {
        chain.erase(c);
        break;
      }
    }
  }
  DropHandler(h);
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent) {
  if (inCallRef == nullptr || Reg().activeCalls.count(inCallRef) == 0) return paramErr;
  if (!sp_platform::events::IsLiveEvent(inEvent)) return paramErr;
  inCallRef->passedOn = true;
  return RunTargetFrom(inCallRef->target, *inCallRef->chain, inCallRef->next, inEvent);
}

EventTargetRef GetApplicationEventTarget() {
  return ApplicationTargetPtr().get();
}

// The target of a control or menu, made on first use under the application's.
static EventTargetRef ObjectEventTarget(void* object, sp_platform::EventTargetKind kind) {
  if (object == nullptr) return nullptr;
  auto it = Reg().objectTargets.find(object);
  if (it != Reg().objectTargets.end()) return it->second;
  EventTargetRef t = sp_platform::NewEventTarget(GetApplicationEventTarget(), kind, object);
  if (t != nullptr) Reg().objectTargets[object] = t;
  return t;
}

EventTargetRef GetControlEventTarget(ControlRef inControl) {
  return ObjectEventTarget(inControl, sp_platform::kEventTargetKindControl);
}

EventTargetRef GetMenuEventTarget(MenuRef inMenu) {
  return ObjectEventTarget(inMenu, sp_platform::kEventTargetKindMenu);
}

OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget) {
  if (!sp_platform::events::IsLiveEvent(inEvent)) return paramErr;
  if (inTarget == GetApplicationEventTarget()) ApplicationTargetPtr();
  TargetPtr target = Lookup(inTarget);
  if (!target) return paramErr;
  // The event stays alive while it travels, whatever the handlers do with their references.
  RetainEvent(inEvent);
  OSStatus status = eventNotHandledErr;
  while (target) {
    HandlerChain chain = target->handlers;
    status = RunTargetFrom(target, chain, 0, inEvent);
    if (status != eventNotHandledErr) break;
    TargetPtr parent = target->parent;
    target = parent;
  }
  ReleaseEvent(inEvent);
  return status;
}
