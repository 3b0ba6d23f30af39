#include "SpResourceManager.h"

#include <cstdint>

#include "Resources.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpResourceManager";

cSp_ResourceManager* _resourceManager_GlV = nullptr;

// The next user number of a kind: counts up from 1 and, should it ever run out, starts at 1
// again rather than giving out 0 or overflowing.
SInt32 NextUserRefNum(SInt32* counter) {
  *counter = (*counter >= INT32_MAX || *counter < 0) ? 1 : *counter + 1;
  return *counter;
}

template <class Item>
Item* FindItem(Item* head, SInt16 resourceId) {
  for (Item* item = head; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetResourceId() == resourceId) return item;
  }
  return nullptr;
}

template <class Item>
void DeleteItemList(Item** head) {
  while (*head != nullptr) {
    Item* item = *head;
    item->UnlinkFromItemList(head);
    delete item;
  }
}

// Lends the resource of a kind: the cached item, or a new one loaded with `load`.
template <class Item, class HandleType, class Loader>
Boolean Lend(Item** head, SInt32* counter, SInt16 resourceId, HandleType* outHandle, SInt32* outRef,
             const char* method, Loader load) {
  if (outHandle == nullptr || outRef == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, Boolean(0));
  }
  Item* item = FindItem(*head, resourceId);
  const bool made = item == nullptr;
  if (made) {
    HandleType handle = load(resourceId);
    if (handle == nullptr) {
      // Nothing is cached for a failed load: the next request tries again.
      *outHandle = nullptr;
      *outRef = 0;
      return 0;
    }
    item = new (std::nothrow) Item(resourceId, handle);
    if (item == nullptr) {
      Item::FreeHandle(handle);
      *outHandle = nullptr;
      *outRef = 0;
      return SpReportFailure(kSource, method, 1, kSpMsgMemory, Boolean(0));
    }
    if (*head != nullptr) item->LinkToNext(*head);
    *head = item;
  }
  SInt32 userRef = *counter;
  NextUserRefNum(&userRef);
  if (!item->AddUser(userRef)) {
    // An item made for this loan does not outlive it: an item without users is freed.
    if (made) {
      item->UnlinkFromItemList(head);
      delete item;
    }
    *outHandle = nullptr;
    *outRef = 0;
    return SpReportFailure(kSource, method, 2, kSpMsgMemory, Boolean(0));
  }
  *counter = userRef;
  *outHandle = item->GetHandle();
  *outRef = userRef;
  return 1;
}

template <class Item>
void GiveBack(Item** head, SInt16 resourceId, SInt32 userRef, const char* method) {
  Item* item = FindItem(*head, resourceId);
  if (item == nullptr) return;
  cSp_ResourceUserReference* user = item->FindUser(userRef);
  if (user == nullptr) return;
  if (!item->RemoveUser(user)) {
    SpReportFailure(kSource, method, 1, kSpMsgDataError);
    return;
  }
  if (item->HasUsers()) return;
  item->UnlinkFromItemList(head);
  delete item;
}

cSp_ResourceManager* ManagerMadeOnDemand() {
  if (_resourceManager_GlV == nullptr) Sp_InitializeResourceManager();
  return _resourceManager_GlV;
}

}  // namespace

// The loaders' handles are freed by the kind's own rule.
void cSp_ColorCursorItem::FreeHandle(CCrsrHandle handle) {
  // GetCCursor makes a new cursor for every call, which is no resource: it is disposed of.
  DisposeCCursor(handle);
}

void cSp_CursorItem::FreeHandle(CursHandle handle) {
  // A cursor from one of the application's files is released; the system's stay loaded.
  Handle h = reinterpret_cast<Handle>(handle);
  if (HomeResFile(h) > kSpSystemResFile) ReleaseResource(h);
}

cSp_ColorCursorItem::~cSp_ColorCursorItem() {
  FreeHandle(GetHandle());
}

cSp_CursorItem::~cSp_CursorItem() {
  FreeHandle(GetHandle());
}

cSp_ResourceManager::~cSp_ResourceManager() {
  DeleteItemList(&colorCursorHead_);
  DeleteItemList(&cursorHead_);
}

void cSp_ResourceManager::StartUpInitialize() {
  colorCursorUserCounter_ = 0;
  colorCursorHead_ = nullptr;
  cursorUserCounter_ = 0;
  cursorHead_ = nullptr;
}

Boolean cSp_ResourceManager::GetColorCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle,
                                                  SInt32* outRef) {
  return Lend(&colorCursorHead_, &colorCursorUserCounter_, resourceId, outHandle, outRef,
              "cSp_ResourceManager::GetColorCursorHandle", GetCCursor);
}

Boolean cSp_ResourceManager::GetCursorHandle(SInt16 resourceId, CursHandle* outHandle,
                                             SInt32* outRef) {
  return Lend(&cursorHead_, &cursorUserCounter_, resourceId, outHandle, outRef,
              "cSp_ResourceManager::GetCursorHandle", GetCursor);
}

void cSp_ResourceManager::RealeseColorCursor(SInt16 resourceId, SInt32 userRef) {
  GiveBack(&colorCursorHead_, resourceId, userRef, "cSp_ResourceManager::RealeseColorCursor");
}

void cSp_ResourceManager::RealeseCursor(SInt16 resourceId, SInt32 userRef) {
  GiveBack(&cursorHead_, resourceId, userRef, "cSp_ResourceManager::RealeseCursor");
}

void Sp_InitializeResourceManager() {
  delete _resourceManager_GlV;
  _resourceManager_GlV = new (std::nothrow) cSp_ResourceManager;
  if (_resourceManager_GlV == nullptr) {
    SpReportFailure(kSource, "Sp_InitializeResourceManager", 1, kSpMsgMemory);
  }
}

Boolean Sp_ResM_GetCCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef) {
  if (outHandle == nullptr || outRef == nullptr) {
    return SpReportFailure(kSource, "Sp_ResM_GetCCursorHandle", 1, kSpMsgNullArgument, Boolean(0));
  }
  cSp_ResourceManager* manager = ManagerMadeOnDemand();
  if (manager == nullptr) {
    *outHandle = nullptr;
    *outRef = 0;
    return 0;
  }
  return manager->GetColorCursorHandle(resourceId, outHandle, outRef);
}

Boolean Sp_ResM_GetCursorHandle(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef) {
  if (outHandle == nullptr || outRef == nullptr) {
    return SpReportFailure(kSource, "Sp_ResM_GetCursorHandle", 1, kSpMsgNullArgument, Boolean(0));
  }
  cSp_ResourceManager* manager = ManagerMadeOnDemand();
  if (manager == nullptr) {
    *outHandle = nullptr;
    *outRef = 0;
    return 0;
  }
  return manager->GetCursorHandle(resourceId, outHandle, outRef);
}

void Sp_ResM_ReleaseCCursor(SInt16 resourceId, SInt32 userRef) {
  if (_resourceManager_GlV == nullptr) return;
  _resourceManager_GlV->RealeseColorCursor(resourceId, userRef);
}

void Sp_ResM_ReleaseCursor(SInt16 resourceId, SInt32 userRef) {
  if (_resourceManager_GlV == nullptr) return;
  _resourceManager_GlV->RealeseCursor(resourceId, userRef);
}
