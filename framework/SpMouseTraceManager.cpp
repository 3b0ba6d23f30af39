#include "SpMouseTraceManager.h"

#include "Events.h"
#include "MacMemory.h"
#include "MacWindows.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"

namespace {
const char kSource[] = "SpMouseTraceManager.cpp";
const char kMsgWindowObjMemory[] = "cannot allocated memory !! ";
const char kMsgKeyArgument[] = "Key Argument is Null !! ";
const char kMsgTargetItemNull[] = "Traget Mouse Trace Item Pointer is null !! ";
const char kMsgWindowObjSearch[] = "Window Object Serch Error !! ";
const char kMsgDataLinkError[] = "Data Link Error !! ";

// The manager lives until the program ends.
cMouseTraceManager* gManager = nullptr;
// While set, no trace pass does anything.
unsigned char gStopFlag = 0;
// The area in which the last pass found the pointer.
cMouseTraceObject* gCurrentItem = nullptr;
// Where the current item's inside step last ran (global coordinates).
Point gLastInsidePosition = {0, 0};

void RunOutStep(cMouseTraceObject* item, Point globalPoint) {
  WindowRef window = item->GetMouseTraceTargetWindowPtr();
  item->MouceTraceArea_Out_Execute(Sp_MTM_GlobalToWindowLocal(window, globalPoint));
}
}  // namespace

// ---- The manager ----------------------------------------------------------------------------

cMouseTraceManager::~cMouseTraceManager() {
  while (head_ != nullptr) {
    cMouseTraceWindowObj* windowObj = head_;
    UnlinkWindowObj(windowObj);
    delete windowObj;
  }
}

void cMouseTraceManager::StartUpInitialize() {
  head_ = nullptr;
  tail_ = nullptr;
}

cMouseTraceWindowObj* cMouseTraceManager::GetMouseTraceWindowObj(WindowRef window) {
  for (cMouseTraceWindowObj* w = head_; w != nullptr; w = w->GetNextObjectPtr()) {
    if (w->IsMyWindowTarget(window)) return w;
  }
  return nullptr;
}

cMouseTraceWindowObj* cMouseTraceManager::FindOrMakeWindowObj(cMouseTraceObject* item,
                                                              const char* method) {
  if (item == nullptr) {
    return SpReportFailure(kSource, method, 1, kMsgKeyArgument,
                           static_cast<cMouseTraceWindowObj*>(nullptr));
  }
  WindowRef window = item->GetMouseTraceTargetWindowPtr();
  if (cMouseTraceWindowObj* found = GetMouseTraceWindowObj(window)) return found;
  cMouseTraceWindowObj* made = new (std::nothrow) cMouseTraceWindowObj(window);
  if (made == nullptr) {
    return SpReportFailure(kSource, method, 1, kMsgWindowObjMemory,
                           static_cast<cMouseTraceWindowObj*>(nullptr));
  }
  SpAppendToList(head_, tail_, made);
  return made;
}

void cMouseTraceManager::InsertItemInItemList(cMouseTraceObject* item) {
  if (cMouseTraceWindowObj* windowObj =
          FindOrMakeWindowObj(item, "cMouseTraceManager::InsertItemInItemList")) {
    windowObj->SetupItemOnHightLayer(item);
  }
}

void cMouseTraceManager::InsertItemInContainerItemListTopPosit(cMouseTraceObject* item) {
  if (cMouseTraceWindowObj* windowObj =
          FindOrMakeWindowObj(item, "cMouseTraceManager::InsertItemInContainerItemListTopPosit")) {
    windowObj->SetupItemOnContainerListHightPosit(item);
  }
}

void cMouseTraceManager::UnlinkItem(cMouseTraceObject* item) {
  static const char kMethod[] = "cMouseTraceManager::UnlinkItem";
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kMsgTargetItemNull);
    return;
  }
  if (item == gCurrentItem) {
    gCurrentItem = nullptr;
    InitCursor();
  }
  cMouseTraceWindowObj* windowObj = GetMouseTraceWindowObj(item->GetMouseTraceTargetWindowPtr());
  if (windowObj == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kMsgWindowObjSearch);
    return;
  }
  windowObj->UnlinkItemFromMouseTraceList(item);
  if (windowObj->NumOfContaineItem() <= 0) {
    UnlinkWindowObj(windowObj);
    delete windowObj;
  }
}

void cMouseTraceManager::UnlinkWindowObj(cMouseTraceWindowObj* windowObj) {
  static const char kMethod[] = "cMouseTraceManager::UnlinkWindowObj";
  if (windowObj == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  bool listed = false;
  for (cMouseTraceWindowObj* w = head_; w != nullptr && !listed; w = w->GetNextObjectPtr()) {
    listed = w == windowObj;
  }
  if (!listed) {
    SpReportFailure(kSource, kMethod, 2, kMsgDataLinkError);
    return;
  }
  if (head_ == windowObj) head_ = windowObj->GetNextObjectPtr();
  if (tail_ == windowObj) tail_ = windowObj->GetBeforeObjectPtr();
  windowObj->UnlinkFromManagerList();
}

void cMouseTraceManager::ExecuteMouseTrace(unsigned char force) {
  if (gStopFlag) return;

  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  Point globalPoint = {0, 0};
  GetMouse(&globalPoint);
  LocalToGlobal(&globalPoint);
  WindowRef window = nullptr;
  const WindowPartCode part = FindWindow(globalPoint, &window);

  if (window == nullptr) {
    if (gCurrentItem != nullptr && gCurrentItem->GetMouseTraceTargetWindowPtr() != nullptr) {
      RunOutStep(gCurrentItem, globalPoint);
    }
    InitCursor();
    gCurrentItem = nullptr;
    return;
  }

  // Areas lie in the window's content: over its title strip or its boxes the pointer is in
  // none of them, even when an area's rectangle reaches past the content.
  const bool inContentArea = part == inContent || part == inGrow;
  cMouseTraceWindowObj* windowObj = inContentArea ? GetMouseTraceWindowObj(window) : nullptr;
  cMouseTraceObject* target =
      windowObj != nullptr ? windowObj->GetTargetTraceObject(globalPoint) : nullptr;
  SetPort(savedPort);

  if (gCurrentItem != nullptr && gCurrentItem != target &&
      gCurrentItem->GetMouseTraceTargetWindowPtr() != nullptr) {
    RunOutStep(gCurrentItem, globalPoint);
  }

  if (target != nullptr) {
    WindowRef targetWindow = target->GetMouseTraceTargetWindowPtr();
    if (targetWindow == nullptr) return;
    const Point local = Sp_MTM_GlobalToWindowLocal(targetWindow, globalPoint);
    if (target != gCurrentItem) {
      // Made current before its procedures run, so that an owner who destroys the area from
      // them leaves no stale current item behind.
      gCurrentItem = target;
      target->MouseTraceArea_In_Execute(local);
    } else if (!EqualPt(globalPoint, gLastInsidePosition)) {
      gLastInsidePosition = globalPoint;
      target->MouseTraceArea_On_Area(local);
    }
    return;
  }

  if (gCurrentItem == nullptr && force == 0) return;
  InitCursor();
  gCurrentItem = nullptr;
}

// ---- Functions ------------------------------------------------------------------------------

cMouseTraceManager* SpGetMouseTraceManager() {
  if (gManager == nullptr) {
    gManager = new (std::nothrow) cMouseTraceManager();
    if (gManager == nullptr) {
      SpReportFailure(kSource, "GetMouseTraceManager", 1, kSpMsgMemory);
    }
  }
  return gManager;
}

void Sp_MTM_SetItemInItemList(cMouseTraceObject* item) {
  if (cMouseTraceManager* manager = SpGetMouseTraceManager()) manager->InsertItemInItemList(item);
}

void Sp_MTM_SetItemInContainerListHighPosit(cMouseTraceObject* item) {
  if (cMouseTraceManager* manager = SpGetMouseTraceManager()) {
    manager->InsertItemInContainerItemListTopPosit(item);
  }
}

void Sp_DisableMouseTrace() {
  gStopFlag = 1;
}

void Sp_EnableMouseTrace(unsigned char runNow) {
  gStopFlag = 0;
  if (runNow != 0 && gManager != nullptr) gManager->ExecuteMouseTrace(1);
  gCurrentItem = nullptr;
}

Boolean Sp_IsMouseTraceDisabled() {
  return gStopFlag;
}

void SpExecuteMouseTrace(unsigned char force) {
  if (gManager != nullptr) gManager->ExecuteMouseTrace(force);
}

void SpMouseTraceEventProcedure() {
  if (!gStopFlag && gManager != nullptr) gManager->ExecuteMouseTrace(0);
}

void SpMouseTraceSuspendEventProc() {
  gCurrentItem = nullptr;
}

void SpMouseTraceQuitProc() {
  gCurrentItem = nullptr;
}

cMouseTraceObject* SpGetBeforeInPlaceMouseTraceItem() {
  return gCurrentItem;
}

void SpSetBeforeInPlaceMouseTraceItem(cMouseTraceObject* item) {
  gCurrentItem = item;
}
