// The framework's intrusive doubly linked lists.
//
// A listed class derives from cSpListLinks<itself> and so carries the five list operations
// under their usual names. The list head is kept by the owner (a global or a member).
#pragma once

template <class T>
class cSpListLinks {
 public:
  // Appends `item` (with any chain that follows it) after the last item of this chain.
  void LinkToNext(T* item) {
    if (item == nullptr || item == Self()) return;
    T* last = GetLastObjectPtr();
    last->cSpListLinks<T>::next_ = item;
    item->cSpListLinks<T>::before_ = last;
  }

  // Cuts the chain after this item and returns the part that followed it, which stays a chain
  // of its own; null when nothing followed. (UnlinkSelf takes one item out instead.)
  T* UnlinkNext() {
    T* item = next_;
    if (item == nullptr) return nullptr;
    next_ = nullptr;
    item->cSpListLinks<T>::before_ = nullptr;
    return item;
  }

  // Takes the next item out of the chain, joining this item to the one after it, and returns
  // it on its own; null when there is none.
  T* TakeOutNext() {
    T* item = next_;
    if (item == nullptr) return nullptr;
    next_ = item->cSpListLinks<T>::next_;
    if (next_ != nullptr) next_->cSpListLinks<T>::before_ = Self();
    item->cSpListLinks<T>::before_ = nullptr;
    item->cSpListLinks<T>::next_ = nullptr;
    return item;
  }

  T* GetBeforeObjectPtr() const { return before_; }
  T* GetNextObjectPtr() const { return next_; }

  T* GetLastObjectPtr() {
    T* item = Self();
    while (item->cSpListLinks<T>::next_ != nullptr) item = item->cSpListLinks<T>::next_;
    return item;
  }

 protected:
  // Takes this item out of whatever chain holds it, joining its neighbours. The owner mends
  // its head pointer itself when this item was the first.
  void UnlinkSelf() {
    if (before_ != nullptr) before_->cSpListLinks<T>::next_ = next_;
    if (next_ != nullptr) next_->cSpListLinks<T>::before_ = before_;
    before_ = nullptr;
    next_ = nullptr;
  }

  // Inserts `item` directly after this one.
  void InsertAfter(T* item) {
    if (item == nullptr) return;
    item->cSpListLinks<T>::before_ = Self();
    item->cSpListLinks<T>::next_ = next_;
    if (next_ != nullptr) next_->cSpListLinks<T>::before_ = item;
    next_ = item;
  }

  // Inserts `item` directly before this one.
  void InsertBefore(T* item) {
    if (item == nullptr) return;
    item->cSpListLinks<T>::next_ = Self();
    item->cSpListLinks<T>::before_ = before_;
    if (before_ != nullptr) before_->cSpListLinks<T>::next_ = item;
    before_ = item;
  }

 private:
  T* Self() { return static_cast<T*>(this); }

  T* before_ = nullptr;
  T* next_ = nullptr;
};

// The two chores every owner of a cSpListLinks list repeats; the owner keeps the head and the
// tail pointers itself.

// Appends `item` (with any chain that follows it) after the last item; the first item also
// becomes the head. `tail` becomes `item`.
template <class T>
void SpAppendToList(T*& head, T*& tail, T* item) {
  if (tail == nullptr) {
    head = item;
  } else {
    tail->LinkToNext(item);
  }
  tail = item;
}

// Deletes every item from `head` to the end of its chain. The next item is read before an
// item goes, so an item's destructor need not keep its links.
template <class T>
void SpDeleteList(T* head) {
  while (head != nullptr) {
    T* next = head->GetNextObjectPtr();
    delete head;
    head = next;
  }
}
