// The resource manager of the views: one process-wide cache of colour icons, colour and
// black-and-white cursors and pictures, lent to their users by resource id and a user
// reference number.
//
// A resource is loaded once, however many users hold it, and freed when its last user gives it
// back. Every loan of an icon or cursor gets the next number of that kind's counter (1, 2, 3,
// ...; 0 is never given out), so a user gives back exactly its own loan with the id and the
// number. Pictures are lent as picture items whose numbers count per item: each picture is
// drawn once into an offscreen GWorld of its frame's size, and users copy from that GWorld. A
// picture preloaded with Sp_ResM_PreLoadPictureItem stays resident after its last user.
// The manager is one global object, reached only through the Sp_ResM_ functions.
//
// Failures beep once and leave one error-log record (source "SpResourceManager"). A resource
// that cannot be loaded is no failure of the manager: the icon and cursor getters answer 0 and
// a picture item without a picture draws nothing; the caller reports it.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QDPictures.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// One holder of a lent resource.
class cSp_ResourceUserReference : public cSpListLinks<cSp_ResourceUserReference>,
                                  public cSpMacHeapObject {
 public:
  explicit cSp_ResourceUserReference(SInt32 userRefNum) : userRefNum_(userRefNum) {}

  Boolean EqualUserRefNum(SInt32 userRefNum) const { return userRefNum == userRefNum_; }
  SInt32 GetUserRefNum() const { return userRefNum_; }
  // Takes this reference out of its user list, joining its neighbours.
  void UnlinkFromUserList() { UnlinkSelf(); }

 private:
  SInt32 userRefNum_;
};

// What the items of every kind share: the resource id, the loaded handle and the users in the
// order of their loans. Items of a kind form a list whose newest item is its head.
template <class Item, class HandleType>
class cSp_ResourceLoanItem : public cSpListLinks<Item>, public cSpMacHeapObject {
 public:
  cSp_ResourceLoanItem(SInt16 resourceId, HandleType handle)
      : resourceId_(resourceId), handle_(handle) {}
  ~cSp_ResourceLoanItem() {
    while (userHead_ != nullptr) {
      cSp_ResourceUserReference* next = userHead_->GetNextObjectPtr();
      userHead_->UnlinkFromUserList();
      delete userHead_;
      userHead_ = next;
    }
    userTail_ = nullptr;
  }
  cSp_ResourceLoanItem(const cSp_ResourceLoanItem&) = delete;
  cSp_ResourceLoanItem& operator=(const cSp_ResourceLoanItem&) = delete;

  SInt16 GetResourceId() const { return resourceId_; }
  HandleType GetHandle() const { return handle_; }
  bool HasUsers() const { return userHead_ != nullptr; }
  cSp_ResourceUserReference* GetUserListHead() const { return userHead_; }

  cSp_ResourceUserReference* FindUser(SInt32 userRefNum) const {
    for (cSp_ResourceUserReference* r = userHead_; r != nullptr; r = r->GetNextObjectPtr()) {
      if (r->EqualUserRefNum(userRefNum)) return r;
    }
    return nullptr;
  }

  // Appends a user at the tail; false when memory runs out.
  bool AddUser(SInt32 userRefNum) {
    cSp_ResourceUserReference* r = new (std::nothrow) cSp_ResourceUserReference(userRefNum);
    if (r == nullptr) return false;
    if (userTail_ == nullptr) {
      userHead_ = r;
    } else {
      userTail_->LinkToNext(r);
    }
    userTail_ = r;
    return true;
  }

  // Takes the user out of the list and deletes it; false (the list untouched) when the list
  // is inconsistent: a reference without a predecessor that is not the head.
  bool RemoveUser(cSp_ResourceUserReference* user) {
    if (user->GetBeforeObjectPtr() == nullptr && user != userHead_) return false;
    if (user == userHead_) userHead_ = user->GetNextObjectPtr();
    if (user == userTail_) userTail_ = user->GetBeforeObjectPtr();
    user->UnlinkFromUserList();
    delete user;
    return true;
  }

  // Takes this item out of its kind's list; the head follows when it was the first.
  void UnlinkFromItemList(Item** head) {
    if (*head == static_cast<Item*>(this)) *head = this->GetNextObjectPtr();
    this->UnlinkSelf();
  }

 private:
  SInt16 resourceId_;
  HandleType handle_;
  cSp_ResourceUserReference* userHead_ = nullptr;
  cSp_ResourceUserReference* userTail_ = nullptr;
};

// A lent colour icon ('cicn', made by GetCIcon). Deleting the item disposes of the icon.
class cSp_CIconItem : public cSp_ResourceLoanItem<cSp_CIconItem, CIconHandle> {
 public:
  using cSp_ResourceLoanItem::cSp_ResourceLoanItem;
  ~cSp_CIconItem();
  static void FreeHandle(CIconHandle handle);
};

// A lent colour cursor ('crsr', made by GetCCursor). Deleting the item disposes of the cursor.
class cSp_ColorCursorItem : public cSp_ResourceLoanItem<cSp_ColorCursorItem, CCrsrHandle> {
 public:
  using cSp_ResourceLoanItem::cSp_ResourceLoanItem;
  ~cSp_ColorCursorItem();
  static void FreeHandle(CCrsrHandle handle);
};

// A lent black-and-white cursor ('CURS', from GetCursor). Deleting the item releases the
// resource when it comes from one of the application's files.
class cSp_CursorItem : public cSp_ResourceLoanItem<cSp_CursorItem, CursHandle> {
 public:
  using cSp_ResourceLoanItem::cSp_ResourceLoanItem;
  ~cSp_CursorItem();
  static void FreeHandle(CursHandle handle);
};

// A lent picture: the 'PICT' drawn once into an offscreen GWorld of its frame's size at the
// screen's depth, which every draw copies from. The GWorld is erased white before the picture
// is drawn, so pixels the picture leaves uncovered are white. An item whose picture could not
// be loaded (or whose frame is empty) has no GWorld and draws nothing.
//
// A see-through picture may be added: drawn into a second GWorld of the frame's size, it is
// the deep mask of every copy (black takes the picture, white keeps what is under it, greys
// mix).
class cSp_PictureItem : public cSpListLinks<cSp_PictureItem>, public cSpMacHeapObject {
 public:
  // Loads and draws the picture `resourceId`; *error (when given) receives fnfErr for a
  // picture that cannot be loaded, NewGWorld's result otherwise (noErr for an empty frame).
  cSp_PictureItem(SInt16 resourceId, SInt16* error);
  // Disposes of both GWorlds and the user references.
  ~cSp_PictureItem();
  cSp_PictureItem(const cSp_PictureItem&) = delete;
  cSp_PictureItem& operator=(const cSp_PictureItem&) = delete;

  // Copies the picture onto the current port's pixels at `dst`. With `useClip` the copy is
  // clipped to the port's clip region (in place of `mask`); otherwise `mask` (destination
  // coordinates, may be null) limits it. With `colourise` the copy takes the port's fore and
  // back colours; without, it keeps the picture's own colours. `mode` is not applied: the copy
  // is always srcCopy.
  void DrawPicuterOnCurrentPort(const Rect& dst, unsigned char useClip, RgnHandle mask, SInt16 mode,
                                unsigned char colourise);
  // The same onto another port; a null port is reported (code 1) and draws nothing.
  void DrawPictureOnTargetPort(GrafPtr port, const Rect& dst, RgnHandle mask, SInt16 mode,
                               unsigned char colourise);
  // The copy itself onto `bits`; `port` gives the colours when colourising.
  void DrawPictureOnTargetBitmap(GrafPtr port, const BitMap* bits, const Rect& dst, RgnHandle mask,
                                 SInt16 mode, unsigned char colourise);

  // Gives the item the see-through picture `resourceId` (replacing one it had). When the
  // picture cannot be loaded or its GWorld made, the item is left without one.
  void SetupTransmitPicture(SInt16 resourceId);
  // Takes the see-through picture away.
  void ClearTransmitPicture();

  // Appends a user reference numbered one past the item's last: its number, or 0 when memory
  // runs out (reported, code 2).
  SInt32 GetNewUserRefNum();
  // Takes the user away; a number not held is reported ("Serch Error !! ", code 1).
  void RealeseUser(SInt32 userRef);
  bool HasUsers() const { return userHead_ != nullptr; }
  cSp_ResourceUserReference* GetUserListHead() const { return userHead_; }

  void SetupResidentFlag() { residentFlag_ = 1; }
  Boolean IsResident() const { return residentFlag_; }
  SInt16 GetResourceId() const { return resourceId_; }
  // The picture's frame with its top-left corner at (0, 0).
  const Rect& GetFrame() const { return frame_; }
  GWorldPtr GetPictureGWorld() const { return pictureGWorld_; }
  SInt16 GetTransmitPictureId() const { return transmitPictureId_; }
  GWorldPtr GetTransmitGWorld() const { return transmitGWorld_; }

  // Takes this item out of the picture list; the head follows when it was the first.
  void UnlinkFromItemList(cSp_PictureItem** head) {
    if (*head == this) *head = GetNextObjectPtr();
    UnlinkSelf();
  }

 private:
  unsigned char residentFlag_ = 0;
  SInt16 resourceId_ = 0;
  Rect frame_ = {0, 0, 0, 0};
  GWorldPtr pictureGWorld_ = nullptr;
  SInt32 userCounter_ = 0;
  cSp_ResourceUserReference* userHead_ = nullptr;
  cSp_ResourceUserReference* userTail_ = nullptr;
  SInt16 transmitPictureId_ = 0;
  GWorldPtr transmitGWorld_ = nullptr;
};

class cSp_ResourceManager : public cSpMacHeapObject {
 public:
  cSp_ResourceManager() { StartUpInitialize(); }
  // Deletes every item with its handle or GWorlds and its users; handles and picture items
  // still held by users are then stale.
  ~cSp_ResourceManager();
  cSp_ResourceManager(const cSp_ResourceManager&) = delete;
  cSp_ResourceManager& operator=(const cSp_ResourceManager&) = delete;

  void StartUpInitialize();

  // Lends the icon or cursor with this id: 1 with the handle and a new user number, or 0
  // (handle null, number 0) when the resource cannot be loaded or memory runs out.
  Boolean GetColorIconHandle(SInt16 resourceId, CIconHandle* outHandle, SInt32* outRef);
  Boolean GetColorCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef);
  Boolean GetCursorHandle(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef);
  // Gives back one loan; the item goes with its last user. An id or number not lent is ignored.
  void RealeseColorIcon(SInt16 resourceId, SInt32 userRef);
  void RealeseColorCursor(SInt16 resourceId, SInt32 userRef);
  void RealeseCursor(SInt16 resourceId, SInt32 userRef);

  // The cached picture item of this id, made on the first request (and kept even when its
  // picture cannot be loaded). With `preload` the item becomes resident and `outRef` is 0;
  // otherwise `outRef` is a new user number of the item. Null when memory runs out (reported).
  cSp_PictureItem* GetPictureObject(SInt16 resourceId, SInt32& outRef, unsigned char preload);
  // Gives back one loan of the item; the item goes with its last user unless it is resident.
  // A null item, or one that is not in the cache, is reported.
  void RealesePicturer(cSp_PictureItem* item, SInt32 userRef);

  cSp_CIconItem* GetColorIconListHead() const { return colorIconHead_; }
  cSp_ColorCursorItem* GetColorCursorListHead() const { return colorCursorHead_; }
  cSp_CursorItem* GetCursorListHead() const { return cursorHead_; }
  cSp_PictureItem* GetPictureListHead() const { return pictureHead_; }

 private:
  SInt32 colorIconUserCounter_ = 0;
  cSp_CIconItem* colorIconHead_ = nullptr;
  SInt32 colorCursorUserCounter_ = 0;
  cSp_ColorCursorItem* colorCursorHead_ = nullptr;
  SInt32 cursorUserCounter_ = 0;
  cSp_CursorItem* cursorHead_ = nullptr;
  cSp_PictureItem* pictureHead_ = nullptr;
};

// Makes the one manager, deleting a present one first. A failed allocation beeps and logs
// (code 1, "Cannot allocated memory !! ") and leaves no manager.
void Sp_InitializeResourceManager();

// Lend a colour icon ('cicn'), a colour cursor ('crsr') or a black-and-white one ('CURS'),
// making the manager when there is none: non-zero with the handle and the user number. 0
// (handle null, number 0) when the resource cannot be loaded or the manager cannot be made; a
// null out-argument beeps and logs (code 1, "Required argument is null !! ").
Boolean Sp_ResM_GetCIconHandle(SInt16 resourceId, CIconHandle* outHandle, SInt32* outRef);
Boolean Sp_ResM_GetCCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef);
Boolean Sp_ResM_GetCursorHandle(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef);
// Give back one loan by id and user number; nothing when there is no manager or no such loan.
void Sp_ResM_ReleaseCIcon(SInt16 resourceId, SInt32 userRef);
void Sp_ResM_ReleaseCCursor(SInt16 resourceId, SInt32 userRef);
void Sp_ResM_ReleaseCursor(SInt16 resourceId, SInt32 userRef);

// Lends the picture item of this id (made and drawn on the first request) with a new user
// number of the item in `outRef`. Null (outRef 0) only when the manager or the item cannot be
// made or the loan cannot be recorded.
cSp_PictureItem* Sp_ResM_GetPictureItemObject(SInt16 resourceId, SInt32& outRef);
// Gives back one loan of the item; nothing when there is no manager.
void Sp_ResM_ReleasePicture(cSp_PictureItem* item, SInt32 userRef);
// Makes the picture item of this id when there is none and makes it resident: it then stays
// after its last user. 1 when the item exists afterwards; no user number is taken.
Boolean Sp_ResM_PreLoadPictureItem(SInt16 resourceId);
