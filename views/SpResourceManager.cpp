#include "SpResourceManager.h"

#include <cstdint>

#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "SpResourceManager";
const char kMsgSearchError[] = "Serch Error !! ";

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
void cSp_CIconItem::FreeHandle(CIconHandle handle) {
  // GetCIcon makes a new icon for every call, which is no resource: it is disposed of.
  DisposeCIcon(handle);
}

cSp_CIconItem::~cSp_CIconItem() {
  FreeHandle(GetHandle());
}

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
  DeleteItemList(&colorIconHead_);
  DeleteItemList(&colorCursorHead_);
  DeleteItemList(&cursorHead_);
  DeleteItemList(&pictureHead_);
}

void cSp_ResourceManager::StartUpInitialize() {
  colorIconUserCounter_ = 0;
  colorIconHead_ = nullptr;
  colorCursorUserCounter_ = 0;
  colorCursorHead_ = nullptr;
  cursorUserCounter_ = 0;
  cursorHead_ = nullptr;
  pictureHead_ = nullptr;
}

Boolean cSp_ResourceManager::GetColorIconHandle(SInt16 resourceId, CIconHandle* outHandle,
                                                SInt32* outRef) {
  return Lend(&colorIconHead_, &colorIconUserCounter_, resourceId, outHandle, outRef,
              "cSp_ResourceManager::GetColorIconHandle", GetCIcon);
}

void cSp_ResourceManager::RealeseColorIcon(SInt16 resourceId, SInt32 userRef) {
  GiveBack(&colorIconHead_, resourceId, userRef, "cSp_ResourceManager::RealeseColorIcon");
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

Boolean Sp_ResM_GetCIconHandle(SInt16 resourceId, CIconHandle* outHandle, SInt32* outRef) {
  if (outHandle == nullptr || outRef == nullptr) {
    return SpReportFailure(kSource, "Sp_ResM_GetCIconHandle", 1, kSpMsgNullArgument, Boolean(0));
  }
  cSp_ResourceManager* manager = ManagerMadeOnDemand();
  if (manager == nullptr) {
    *outHandle = nullptr;
    *outRef = 0;
    return 0;
  }
  return manager->GetColorIconHandle(resourceId, outHandle, outRef);
}

void Sp_ResM_ReleaseCIcon(SInt16 resourceId, SInt32 userRef) {
  if (_resourceManager_GlV == nullptr) return;
  _resourceManager_GlV->RealeseColorIcon(resourceId, userRef);
}

// ---- Pictures -------------------------------------------------------------------------------

namespace {

// Draws the picture over the whole frame of the GWorld after erasing it white: a new GWorld's
// pixels are whatever the memory held, and the parts the picture leaves uncovered (a picture
// with transparent areas, one that fails to draw) must come out white, not as stale memory.
void RenderPictureInto(GWorldPtr gworld, PicHandle picture, const Rect& frame) {
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  PixMapHandle pixels = GetGWorldPixMap(gworld);
  LockPixels(pixels);
  SetGWorld(gworld, nullptr);
  const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
  RGBBackColor(&white);
  EraseRect(&frame);
  Handle bytes = reinterpret_cast<Handle>(picture);
  HLock(bytes);
  DrawPicture(picture, &frame);
  HUnlock(bytes);
  UnlockPixels(pixels);
  SetGWorld(savedPort, savedDevice);
}

// A picture from one of the application's files is let go once drawn; the system's stay.
void ReleasePictureResource(PicHandle picture) {
  Handle h = reinterpret_cast<Handle>(picture);
  if (HomeResFile(h) > kSpSystemResFile) ReleaseResource(h);
}

bool InPictureList(cSp_PictureItem* head, cSp_PictureItem* item) {
  for (cSp_PictureItem* at = head; at != nullptr; at = at->GetNextObjectPtr()) {
    if (at == item) return true;
  }
  return false;
}

}  // namespace

cSp_PictureItem::cSp_PictureItem(SInt16 resourceId, SInt16* error) : resourceId_(resourceId) {
  OSErr err = noErr;
  PicHandle picture = GetPicture(resourceId);
  if (picture == nullptr) {
    err = fnfErr;
  } else {
    Handle bytes = reinterpret_cast<Handle>(picture);
    HLock(bytes);
    if (QDGetPictureBounds(picture, &frame_) == nullptr) SetRect(&frame_, 0, 0, 0, 0);
    HUnlock(bytes);
    OffsetRect(&frame_, SInt16(-frame_.left), SInt16(-frame_.top));
    if (frame_.right > 0 && frame_.bottom > 0) {
      GWorldPtr gworld = nullptr;
      err = NewGWorld(&gworld, Sp_GetScreenDepth(), &frame_, nullptr, nullptr, 0);
      if (err == noErr && gworld != nullptr) {
        RenderPictureInto(gworld, picture, frame_);
        pictureGWorld_ = gworld;
      }
    }
    ReleasePictureResource(picture);
  }
  if (error != nullptr) *error = err;
}

cSp_PictureItem::~cSp_PictureItem() {
  if (pictureGWorld_ != nullptr) DisposeGWorld(pictureGWorld_);
  pictureGWorld_ = nullptr;
  ClearTransmitPicture();
  while (userHead_ != nullptr) {
    cSp_ResourceUserReference* next = userHead_->GetNextObjectPtr();
    userHead_->UnlinkFromUserList();
    delete userHead_;
    userHead_ = next;
  }
  userTail_ = nullptr;
}

void cSp_PictureItem::DrawPicuterOnCurrentPort(const Rect& dst, unsigned char useClip,
                                               RgnHandle mask, SInt16 mode,
                                               unsigned char colourise) {
  GrafPtr port = nullptr;
  GetPort(&port);
  RgnHandle clip = nullptr;
  if (useClip) {
    // The copy may run with another port current, so the clip goes in as the mask region.
    clip = NewRgn();
    if (clip != nullptr) GetClip(clip);
  }
  DrawPictureOnTargetBitmap(port, GetPortBitMapForCopyBits(port), dst, useClip ? clip : mask, mode,
                            colourise);
  if (clip != nullptr) DisposeRgn(clip);
}

void cSp_PictureItem::DrawPictureOnTargetPort(GrafPtr port, const Rect& dst, RgnHandle mask,
                                              SInt16 mode, unsigned char colourise) {
  if (port == nullptr) {
    SpReportFailure(kSource, "cSp_PictureItem::DrawPictureOnTargetPort", 1, kSpMsgNullArgument);
    return;
  }
  DrawPictureOnTargetBitmap(port, GetPortBitMapForCopyBits(port), dst, mask, mode, colourise);
}

void cSp_PictureItem::DrawPictureOnTargetBitmap(GrafPtr port, const BitMap* bits, const Rect& dst,
                                                RgnHandle mask, SInt16 /*mode*/,
                                                unsigned char colourise) {
  if (pictureGWorld_ == nullptr) return;
  if (bits == nullptr) {
    SpReportFailure(kSource, "cSp_PictureItem::DrawPictureOnTargetBitmap", 1, kSpMsgNullArgument);
    return;
  }
  PixMapHandle pixels = GetGWorldPixMap(pictureGWorld_);
  LockPixels(pixels);
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  if (colourise) {
    // CopyBits colours the copy by the current port's fore and back colours.
    if (port != nullptr) SetPort(port);
  } else {
    // Black on white colours nothing: the picture keeps its own colours.
    SetGWorld(pictureGWorld_, nullptr);
    const RGBColor black = {0, 0, 0};
    const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
    RGBForeColor(&black);
    RGBBackColor(&white);
  }
  const BitMap* source = GetPortBitMapForCopyBits(pictureGWorld_);
  if (transmitGWorld_ != nullptr) {
    PixMapHandle maskPixels = GetGWorldPixMap(transmitGWorld_);
    LockPixels(maskPixels);
    CopyDeepMask(source, GetPortBitMapForCopyBits(transmitGWorld_), bits, &frame_, &frame_, &dst,
                 srcCopy, mask);
    UnlockPixels(maskPixels);
  } else {
    CopyBits(source, bits, &frame_, &dst, srcCopy, mask);
  }
  SetGWorld(savedPort, savedDevice);
  UnlockPixels(pixels);
}

void cSp_PictureItem::SetupTransmitPicture(SInt16 resourceId) {
  // A see-through picture given again replaces the one there was.
  ClearTransmitPicture();
  transmitPictureId_ = resourceId;
  GWorldPtr gworld = nullptr;
  if (NewGWorld(&gworld, Sp_GetScreenDepth(), &frame_, nullptr, nullptr, 0) != noErr ||
      gworld == nullptr) {
    return;
  }
  PicHandle picture = GetPicture(resourceId);
  if (picture == nullptr) {
    // A mask that cannot be drawn would hide the picture or show stale memory through it:
    // the picture is copied whole instead.
    DisposeGWorld(gworld);
    return;
  }
  RenderPictureInto(gworld, picture, frame_);
  ReleasePictureResource(picture);
  transmitGWorld_ = gworld;
}

void cSp_PictureItem::ClearTransmitPicture() {
  if (transmitGWorld_ != nullptr) DisposeGWorld(transmitGWorld_);
  transmitGWorld_ = nullptr;
}

SInt32 cSp_PictureItem::GetNewUserRefNum() {
  SInt32 userRef = userCounter_;
  NextUserRefNum(&userRef);
  cSp_ResourceUserReference* reference = new (std::nothrow) cSp_ResourceUserReference(userRef);
  if (reference == nullptr) {
    return SpReportFailure(kSource, "cSp_PictureItem::GetNewUserRefNum", 2, kSpMsgMemory,
                           SInt32(0));
  }
  if (userTail_ == nullptr) {
    userHead_ = reference;
  } else {
    userTail_->LinkToNext(reference);
  }
  userTail_ = reference;
  userCounter_ = userRef;
  return userRef;
}

void cSp_PictureItem::RealeseUser(SInt32 userRef) {
  cSp_ResourceUserReference* reference = nullptr;
  for (cSp_ResourceUserReference* r = userHead_; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->EqualUserRefNum(userRef)) {
      reference = r;
      break;
    }
  }
  if (reference == nullptr) {
    SpReportFailure(kSource, "cSp_PictureItem::RealeseUser", 1, kMsgSearchError);
    return;
  }
  if (reference->GetBeforeObjectPtr() == nullptr && reference != userHead_) {
    SpReportFailure(kSource, "cSp_PictureItem::RealeseUser", 2, kSpMsgDataError);
    return;
  }
  if (reference == userHead_) userHead_ = reference->GetNextObjectPtr();
  reference->UnlinkFromUserList();
  userTail_ = userHead_ != nullptr ? userHead_->GetLastObjectPtr() : nullptr;
  delete reference;
}

cSp_PictureItem* cSp_ResourceManager::GetPictureObject(SInt16 resourceId, SInt32& outRef,
                                                       unsigned char preload) {
  outRef = 0;
  cSp_PictureItem* item = FindItem(pictureHead_, resourceId);
  const bool made = item == nullptr;
  if (made) {
    // The item is cached whatever its load gives: one without a picture draws nothing.
    SInt16 error = noErr;
    item = new (std::nothrow) cSp_PictureItem(resourceId, &error);
    if (item == nullptr) {
      return SpReportFailure(kSource, "cSp_ResourceManager::GetPictureObject", 1, kSpMsgMemory,
                             static_cast<cSp_PictureItem*>(nullptr));
    }
    if (pictureHead_ != nullptr) item->LinkToNext(pictureHead_);
    pictureHead_ = item;
  }
  if (preload) {
    item->SetupResidentFlag();
    return item;
  }
  const SInt32 userRef = item->GetNewUserRefNum();
  if (userRef == 0) {
    // A loan that cannot be recorded is no loan; an item made for it does not outlive it.
    if (made && !item->IsResident()) {
      item->UnlinkFromItemList(&pictureHead_);
      delete item;
    }
    return nullptr;
  }
  outRef = userRef;
  return item;
}

void cSp_ResourceManager::RealesePicturer(cSp_PictureItem* item, SInt32 userRef) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_ResourceManager::RealesePicturer", 1, kSpMsgNullArgument);
    return;
  }
  // An item of an earlier manager is gone: it must not be touched.
  if (!InPictureList(pictureHead_, item)) {
    SpReportFailure(kSource, "cSp_ResourceManager::RealesePicturer", 1, kMsgSearchError);
    return;
  }
  item->RealeseUser(userRef);
  if (item->HasUsers() || item->IsResident()) return;
  item->UnlinkFromItemList(&pictureHead_);
  delete item;
}

cSp_PictureItem* Sp_ResM_GetPictureItemObject(SInt16 resourceId, SInt32& outRef) {
  outRef = 0;
  cSp_ResourceManager* manager = ManagerMadeOnDemand();
  if (manager == nullptr) return nullptr;
  return manager->GetPictureObject(resourceId, outRef, 0);
}

void Sp_ResM_ReleasePicture(cSp_PictureItem* item, SInt32 userRef) {
  if (_resourceManager_GlV == nullptr) return;
  _resourceManager_GlV->RealesePicturer(item, userRef);
}

Boolean Sp_ResM_PreLoadPictureItem(SInt16 resourceId) {
  cSp_ResourceManager* manager = ManagerMadeOnDemand();
  if (manager == nullptr) return 0;
  SInt32 userRef = 0;
  return manager->GetPictureObject(resourceId, userRef, 1) != nullptr ? 1 : 0;
}
