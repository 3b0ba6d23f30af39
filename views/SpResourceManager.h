// The resource manager of the views: shared icons, cursors, pictures and fonts lent to their
// users by resource id and a user reference number.
//
// A resource is loaded once, however many users hold it, and freed when its last user gives it
// back. Every loan of a kind gets the next number of that kind's counter (1, 2, 3, ...; 0 is
// never given out), so a user gives back exactly its own loan with the id and the number.
// The manager is one global object, reached only through the Sp_ResM_ functions.
//
// Failures beep once and leave one error-log record (source "SpResourceManager"). A resource
// that cannot be loaded is no failure of the manager: the getter answers 0 and the caller
// reports it.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"

// One holder of a lent resource.
class cSp_ResourceUserReference : public cSpListLinks<cSp_ResourceUserReference> {
 public:
  explicit cSp_ResourceUserReference(SInt32 userRefNum) : userRefNum_(userRefNum) {}

  Boolean EqualUserRefNum(SInt32 userRefNum) const { return userRefNum == userRefNum_; }
  SInt32 GetUserRefNum() const { return userRefNum_; }
  // Takes this reference out of its user list, joining its neighbours.
  void UnlinkFromUserList() { UnlinkSelf(); }

  // References live in the Memory Manager's heap, so a failing allocation can be tested.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtr(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }

 private:
  SInt32 userRefNum_;
};

// What the items of every kind share: the resource id, the loaded handle and the users in the
// order of their loans. Items of a kind form a list whose newest item is its head.
template <class Item, class HandleType>
class cSp_ResourceLoanItem : public cSpListLinks<Item> {
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

  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtr(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }

 private:
  SInt16 resourceId_;
  HandleType handle_;
  cSp_ResourceUserReference* userHead_ = nullptr;
  cSp_ResourceUserReference* userTail_ = nullptr;
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

class cSp_ResourceManager {
 public:
  cSp_ResourceManager() { StartUpInitialize(); }
  // Deletes every item with its handle and users; handles still held by users are then stale.
  ~cSp_ResourceManager();
  cSp_ResourceManager(const cSp_ResourceManager&) = delete;
  cSp_ResourceManager& operator=(const cSp_ResourceManager&) = delete;

  void StartUpInitialize();

  // Lends the cursor with this id: 1 with the handle and a new user number, or 0 (handle null,
  // number 0) when the resource cannot be loaded or memory runs out.
  Boolean GetColorCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef);
  Boolean GetCursorHandle(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef);
  // Gives back one loan; the item goes with its last user. An id or number not lent is ignored.
  void RealeseColorCursor(SInt16 resourceId, SInt32 userRef);
  void RealeseCursor(SInt16 resourceId, SInt32 userRef);

  cSp_ColorCursorItem* GetColorCursorListHead() const { return colorCursorHead_; }
  cSp_CursorItem* GetCursorListHead() const { return cursorHead_; }

  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtr(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }

 private:
  SInt32 colorCursorUserCounter_ = 0;
  cSp_ColorCursorItem* colorCursorHead_ = nullptr;
  SInt32 cursorUserCounter_ = 0;
  cSp_CursorItem* cursorHead_ = nullptr;
};

// Makes the one manager, deleting a present one first. A failed allocation beeps and logs
// (code 1, "Cannot allocated memory !! ") and leaves no manager.
void Sp_InitializeResourceManager();

// Lend a colour cursor ('crsr') or a black-and-white one ('CURS'), making the manager when
// there is none: non-zero with the handle and the user number. 0 (handle null, number 0) when
// the cursor cannot be loaded or the manager cannot be made; a null out-argument beeps and
// logs (code 1, "Required argument is null !! ").
Boolean Sp_ResM_GetCCursorHandle(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef);
Boolean Sp_ResM_GetCursorHandle(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef);
// Give back one loan by id and user number; nothing when there is no manager or no such loan.
void Sp_ResM_ReleaseCCursor(SInt16 resourceId, SInt32 userRef);
void Sp_ResM_ReleaseCursor(SInt16 resourceId, SInt32 userRef);
