// Execute procedures: the callbacks the application attaches to a whole menu or to one item,
// each with a word of user data. Each owner keeps its own ordered list; an entry is found
// again by the number handed out when it was added (1, 2, ... per owner, never reused).
//
// Running a list calls its entries in order and stops after the first that returns non-zero;
// a list that is not empty always counts as handled, whatever its procedures returned, so the
// procedures' results only decide how far along the list the call goes.
#pragma once

#include <new>

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpProcEntry.h"
#include "SpStdFunction.h"

class cSpMenu;
class cSpMenuItem;

// Menu level: (the menu, the chosen item (may be null), the chosen item number, the modifier
// keys held, the user data); non-zero stops the list.
typedef unsigned char (*SpMenuExecuteProcPtr)(cSpMenu* menu, cSpMenuItem* item, SInt32 itemNo,
                                              sSpModifiersDataStruct& modifiers, URefCon userData);
// Item level: (the item's owning menu, the item, the modifier keys held, the user data).
typedef unsigned char (*SpMenuItemExecuteProcPtr)(cSpMenu* menu, cSpMenuItem* item,
                                                  sSpModifiersDataStruct& modifiers,
                                                  URefCon userData);

// One entry of a menu's list.
class cSpMenuExecuteProcItem : public cSpProcEntry<cSpMenuExecuteProcItem, SpMenuExecuteProcPtr> {
 public:
  cSpMenuExecuteProcItem(SInt32 refNum, SpMenuExecuteProcPtr proc, URefCon userData)
      : cSpProcEntry(refNum, proc, userData) {}

  // The procedure's result; 0 for an entry without a procedure.
  unsigned char ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item, SInt32 itemNo,
                                 sSpModifiersDataStruct& modifiers);
};

// One entry of an item's list.
class cSpMenuItemExecuteProcItem
    : public cSpProcEntry<cSpMenuItemExecuteProcItem, SpMenuItemExecuteProcPtr> {
 public:
  cSpMenuItemExecuteProcItem(SInt32 refNum, SpMenuItemExecuteProcPtr proc, URefCon userData)
      : cSpProcEntry(refNum, proc, userData) {}

  unsigned char ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item,
                                 sSpModifiersDataStruct& modifiers);
};

// The list an owner (menu or item) keeps: its counter and the head and tail of its entries.
// The list owns its entries and frees them when it goes.
template <class Entry, class Proc>
class cSpMenuExecProcList {
 public:
  cSpMenuExecProcList() = default;
  ~cSpMenuExecProcList() { Clear(); }
  cSpMenuExecProcList(const cSpMenuExecProcList&) = delete;
  cSpMenuExecProcList& operator=(const cSpMenuExecProcList&) = delete;

  // Appends an entry numbered counter + 1; 0 when it cannot be allocated (the counter stays
  // advanced, so numbers are never handed out twice). The failure is the caller's to report.
  SInt32 Add(Proc proc, URefCon userData) {
    ++counter_;
    Entry* entry = new (std::nothrow) Entry(counter_, proc, userData);
    if (entry == nullptr) return 0;
    SpAppendToList(head_, tail_, entry);
    return counter_;
  }
  // Takes the first entry with that number out of the list and frees it; false when there is
  // none.
  bool Remove(SInt32 refNum) {
    for (Entry* entry = head_; entry != nullptr; entry = entry->GetNextObjectPtr()) {
      if (!entry->EqualRefNum(refNum)) continue;
      if (head_ == entry) head_ = entry->GetNextObjectPtr();
      if (tail_ == entry) tail_ = entry->GetBeforeObjectPtr();
      entry->UnlinkFromList();
      delete entry;
      return true;
    }
    return false;
  }
  void Clear() {
    SpDeleteList(head_);
    head_ = tail_ = nullptr;
  }
  // Runs the entries in order, each with `args` and the modifier keys held now, until one
  // answers non-zero; 1 when the list is not empty, else 0.
  template <class... Args>
  unsigned char Run(Args... args) {
    if (IsEmpty()) return 0;
    sSpModifiersDataStruct modifiers{};
    Sp_GetModifiers(nullptr, &modifiers);
    for (Entry* entry = head_; entry != nullptr; entry = entry->GetNextObjectPtr()) {
      if (entry->ExecuteProcedure(args..., modifiers) != 0) break;
    }
    return 1;
  }
  bool IsEmpty() const { return head_ == nullptr; }
  Entry* GetHead() const { return head_; }
  SInt32 GetCounter() const { return counter_; }

 private:
  SInt32 counter_ = 0;
  Entry* head_ = nullptr;
  Entry* tail_ = nullptr;
};
