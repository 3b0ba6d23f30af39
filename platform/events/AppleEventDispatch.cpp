// Handler tables, the queue of events sent to this process, and the events the system sends
// by itself (open application once, open documents, quit on SIGTERM or the session's end).
#include <signal.h>

#include <csignal>
#include <cstring>
#include <deque>
#include <map>
#include <utility>

#include "AppleEvents.h"
#include "CFURLFiles.h"
#include "Clock.h"
#include "Files.h"
#include "Processes.h"
#include "events/detail/AppleEventQueue.h"

namespace {

struct HandlerEntry {
  AEEventHandlerUPP handler;
  URefCon refcon;
};
typedef std::pair<AEEventClass, AEEventID> HandlerKey;
typedef std::map<HandlerKey, HandlerEntry> HandlerTable;

// Kept for the life of the process (never destroyed), so queued handles stay reachable.
HandlerTable& Handlers(bool system) {
  static HandlerTable* application = new HandlerTable;
  static HandlerTable* systemTable = new HandlerTable;
  return system ? *systemTable : *application;
}

std::deque<AppleEvent>& Queue() {
  static std::deque<AppleEvent>* queue = new std::deque<AppleEvent>;
  return *queue;
}

// Handlers running now (0 or 1: a handler never runs inside another).
int gHandlerDepth = 0;
bool gOpenApplicationQueued = false;

// Set by the signal handler, taken by the next dispatch.
volatile std::sig_atomic_t gQuitRequested = 0;
// The queued 'quit' the session's request became (its data, which names it while queued), and
// whether the program's handler took that quit (answered noErr).
Handle gSessionQuit = nullptr;
bool gSessionQuitTaken = false;
bool gSignalInstalled = false;
struct sigaction gPreviousTermAction;
struct sigaction gPreviousFileSizeAction;

extern "C" void SpQuitSignalHandler(int) {
  gQuitRequested = 1;
}

AEAddressDesc SelfAddress() {
  ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc address = {typeNull, nullptr};
  AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &address);
  return address;
}

bool IsSelf(const AEAddressDesc& target) {
  if (target.descriptorType != typeProcessSerialNumber) return false;
  ProcessSerialNumber psn;
  if (AEGetDescDataSize(&target) != Size(sizeof psn) || target.dataHandle == nullptr) return false;
  std::memcpy(&psn, *target.dataHandle, sizeof psn);
  ProcessSerialNumber current = {0, kCurrentProcess};
  GetCurrentProcess(&current);
  bool currentAlias = psn.highLongOfPSN == 0 && psn.lowLongOfPSN == kCurrentProcess;
  bool sameNumber =
      psn.highLongOfPSN == current.highLongOfPSN && psn.lowLongOfPSN == current.lowLongOfPSN;
  return currentAlias || sameNumber;
}

// A new event of the core class to this process, with no parameters.
OSErr MakeCoreEvent(AEEventID id, AppleEvent* event) {
  AEAddressDesc self = SelfAddress();
  if (self.dataHandle == nullptr) {
    *event = AEDesc{typeNull, nullptr};
    return memFullErr;
  }
  OSErr err = AECreateAppleEvent(kCoreEventClass, id, &self, kAutoGenerateReturnID,
                                 kAnyTransactionID, event);
  AEDisposeDesc(&self);
  return err;
}

void EventIdentity(const AppleEvent& event, AEEventClass* eventClass, AEEventID* eventID) {
  *eventClass = 0;
  *eventID = 0;
  AEGetAttributePtr(&event, keyEventClassAttr, typeType, nullptr, eventClass, sizeof *eventClass,
                    nullptr);
  AEGetAttributePtr(&event, keyEventIDAttr, typeType, nullptr, eventID, sizeof *eventID, nullptr);
}

// Turns a pending quit request into a queued 'quit'. The flag is cleared only once the event
// is queued, so a request that finds no memory is tried again on the next pass; requests
// that arrive meanwhile are the same request.
void TakeQuitRequest() {
  if (gQuitRequested == 0) return;
  AppleEvent quit;
  if (MakeCoreEvent(kAEQuitApplication, &quit) != noErr) return;
  Queue().push_back(quit);
  gSessionQuit = quit.dataHandle;
  gQuitRequested = 0;
}

// Hands one event (owned, disposed here) to its handler: the application table's, then the
// system table's when there is none or it declines.
OSErr DispatchOne(AppleEvent* event) {
  AEEventClass eventClass;
  AEEventID eventID;
  EventIdentity(*event, &eventClass, &eventID);
  AppleEvent reply = {typeNull, nullptr};
  OSErr result = errAEEventNotHandled;
  ++gHandlerDepth;
  for (bool system : {false, true}) {
    HandlerTable& table = Handlers(system);
    auto found = table.find(HandlerKey(eventClass, eventID));
    if (found == table.end() || found->second.handler == nullptr) continue;
    HandlerEntry entry = found->second;  // the handler may remove itself
    result = entry.handler(event, &reply, entry.refcon);
    if (result != errAEEventNotHandled) break;
  }
  --gHandlerDepth;
  AEDisposeDesc(&reply);
  AEDisposeDesc(event);
  return result;
}

bool OpenDocumentsQueued() {
  for (const AppleEvent& event : Queue()) {
    AEEventClass eventClass;
    AEEventID eventID;
    EventIdentity(event, &eventClass, &eventID);
    if (eventClass == kCoreEventClass && eventID == kAEOpenDocuments) return true;
  }
  return false;
}

// The FSSpec of an existing item named by a Linux path.
bool SpecOfPath(const std::string& path, FSSpec* spec) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()),
      false);
  FSRef ref;
  bool found = url != nullptr && CFURLGetFSRef(url, &ref) &&
               FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, spec, nullptr) == noErr;
  CFRelease(url);
  return found;
}

}  // namespace

// ---- Handler tables ----

OSErr AEInstallEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                            AEEventHandlerUPP handler, URefCon handlerRefcon,
                            Boolean isSysHandler) {
  if (handler == nullptr) return paramErr;
  Handlers(isSysHandler != 0)[HandlerKey(theAEEventClass, theAEEventID)] =
      HandlerEntry{handler, handlerRefcon};
  return noErr;
}

OSErr AERemoveEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                           AEEventHandlerUPP handler, Boolean isSysHandler) {
  HandlerTable& table = Handlers(isSysHandler != 0);
  auto found = table.find(HandlerKey(theAEEventClass, theAEEventID));
  if (found == table.end() || (handler != nullptr && found->second.handler != handler)) {
    return errAEHandlerNotFound;
  }
  table.erase(found);
  return noErr;
}

OSErr AEGetEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                        AEEventHandlerUPP* handler, URefCon* handlerRefcon, Boolean isSysHandler) {
  if (handler == nullptr) return paramErr;
  HandlerTable& table = Handlers(isSysHandler != 0);
  auto found = table.find(HandlerKey(theAEEventClass, theAEEventID));
  if (found == table.end()) return errAEHandlerNotFound;
  *handler = found->second.handler;
  if (handlerRefcon != nullptr) *handlerRefcon = found->second.refcon;
  return noErr;
}

// ---- Sending and processing ----

OSErr AESend(const AppleEvent* theAppleEvent, AppleEvent* reply, AESendMode sendMode,
             AESendPriority sendPriority, SInt32, AEIdleUPP, AEFilterUPP) {
  if (reply != nullptr) *reply = AEDesc{typeNull, nullptr};
  if (theAppleEvent == nullptr) return paramErr;
  if (theAppleEvent->descriptorType != typeAppleEvent) return errAENotAppleEvent;
  // Waiting for a reply from this very process would mean running the handler inside this
  // call; a queued reply would need reply events. The program sends without a reply.
  if ((sendMode & kAEWaitReply) != kAENoReply) return paramErr;
  AEAddressDesc target;
  OSErr err = AEGetAttributeDesc(theAppleEvent, keyAddressAttr, typeWildCard, &target);
  if (err != noErr) return err;
  bool self = IsSelf(target);
  AEDisposeDesc(&target);
  if (!self) return procNotFound;
  AppleEvent copy;
  err = AEDuplicateDesc(theAppleEvent, &copy);
  if (err != noErr) return err;
  if (sendPriority == kAEHighPriority) {
    Queue().push_front(copy);
  } else {
    Queue().push_back(copy);
  }
  return noErr;
}

OSErr AEProcessAppleEvent(const EventRecord* theEventRecord) {
  if (theEventRecord == nullptr || theEventRecord->what != kHighLevelEvent) return paramErr;
  if (gHandlerDepth > 0) return errAEEventNotHandled;
  TakeQuitRequest();
  if (Queue().empty()) return errAEEventNotHandled;
  AppleEvent event = Queue().front();
  Queue().pop_front();
  return DispatchOne(&event);
}

// ---- What the event loop and the display backend call ----

namespace sp_platform {

int DispatchQueuedAppleEvents() {
  if (gHandlerDepth > 0) return 0;
  TakeQuitRequest();
  // Only the events queued before this pass: one a handler sends waits for the next pass, so
  // a handler that sends again each time cannot hold the loop here.
  std::size_t waiting = Queue().size();
  int dispatched = 0;
  while (std::size_t(dispatched) < waiting && !Queue().empty()) {
    AppleEvent event = Queue().front();
    Queue().pop_front();
    const bool fromSession = gSessionQuit != nullptr && event.dataHandle == gSessionQuit;
    const OSErr result = DispatchOne(&event);
    if (fromSession) {
      gSessionQuit = nullptr;
      gSessionQuitTaken = result == noErr;
    }
    ++dispatched;
  }
  return dispatched;
}

bool SessionQuitTaken() {
  return gSessionQuitTaken;
}

bool SessionQuitWaiting() {
  return gQuitRequested != 0 || gSessionQuit != nullptr;
}

bool AppleEventsPending() {
  return !Queue().empty() || gQuitRequested != 0;
}

int QueuedAppleEventCount() {
  return int(Queue().size());
}

bool PeekQueuedAppleEvent(EventRecord* record) {
  if (record == nullptr || gHandlerDepth > 0) return false;
  TakeQuitRequest();
  if (Queue().empty()) return false;
  AEEventClass eventClass;
  AEEventID eventID;
  EventIdentity(Queue().front(), &eventClass, &eventID);
  record->what = kHighLevelEvent;
  record->message = eventClass;
  record->when = TickCount();
  record->where.v = SInt16(UInt16(eventID >> 16));
  record->where.h = SInt16(UInt16(eventID & 0xFFFF));
  record->modifiers = 0;
  return true;
}

void StartApplicationAppleEvents() {
  QueueOpenApplicationOnce();
  InstallQuitSignalHandler();
}

bool QueueOpenApplicationOnce() {
  if (gOpenApplicationQueued) return false;
  if (OpenDocumentsQueued()) {
    gOpenApplicationQueued = true;
    return false;
  }
  AppleEvent open;
  if (MakeCoreEvent(kAEOpenApplication, &open) != noErr) return false;
  // The launch event comes before anything sent to the program meanwhile.
  Queue().push_front(open);
  gOpenApplicationQueued = true;
  return true;
}

OSErr QueueOpenDocuments(const std::vector<std::string>& paths) {
  if (paths.empty()) return paramErr;
  AEDescList files;
  OSErr err = AECreateList(nullptr, 0, false, &files);
  if (err != noErr) return err;
  SInt32 count = 0;
  for (const std::string& path : paths) {
    FSSpec spec;
    std::memset(&spec, 0, sizeof spec);
    if (!SpecOfPath(path, &spec)) continue;
    err = AEPutPtr(&files, 0, typeFSS, &spec, sizeof spec);
    if (err != noErr) break;
    ++count;
  }
  AppleEvent open = {typeNull, nullptr};
  if (err == noErr && count == 0) err = fnfErr;
  if (err == noErr) err = MakeCoreEvent(kAEOpenDocuments, &open);
  if (err == noErr) err = AEPutParamDesc(&open, keyDirectObject, &files);
  if (err == noErr) {
    Queue().push_back(open);
  } else {
    AEDisposeDesc(&open);
  }
  AEDisposeDesc(&files);
  return err;
}

void InstallQuitSignalHandler() {
  if (gSignalInstalled) return;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SpQuitSignalHandler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking wait of the loop returns to see the flag
  if (sigaction(SIGTERM, &action, &gPreviousTermAction) != 0) return;
  gSignalInstalled = true;
  // A write past the file size limit (ulimit -f) fails with EFBIG, which the file layer tells
  // as a full disk, instead of ending the program with its files half written.
  struct sigaction ignore;
  std::memset(&ignore, 0, sizeof ignore);
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &gPreviousFileSizeAction);
}

void RemoveQuitSignalHandler() {
  if (!gSignalInstalled) return;
  sigaction(SIGTERM, &gPreviousTermAction, nullptr);
  sigaction(SIGXFSZ, &gPreviousFileSizeAction, nullptr);
  gSignalInstalled = false;
}

void RequestQuitFromSession() {
  gQuitRequested = 1;
}

void ResetAppleEvents() {
  RemoveQuitSignalHandler();
  Handlers(false).clear();
  Handlers(true).clear();
  for (AppleEvent& event : Queue()) AEDisposeDesc(&event);
  Queue().clear();
  gQuitRequested = 0;
  gSessionQuit = nullptr;
  gSessionQuitTaken = false;
  gOpenApplicationQueued = false;
  gHandlerDepth = 0;
}

}  // namespace sp_platform
