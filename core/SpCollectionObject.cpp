#include "SpCollectionObject.h"

#include <algorithm>
#include <new>

#include "SpErrorInfoSystem.h"

cSp_uLongCollectionItemBlockMgr* uLongCollectionManagerPtr_GlV = nullptr;
cSp_StringCollectionManager* stringCollectionManagerPtr_GlV = nullptr;

namespace {

const char kSource[] = "SpCollectionObject";
const char kMsgMemoryFullError[] = "memory Full Error";

// ----- the pools ----------------------------------------------------------------------------

// A block with a free item hands it out; when every block is full a new block is
// appended. A new block that got no memory stays in the list with no free items, so the next
// request walks past it and tries one more block.
template <class Manager>
auto TakeItem(Manager* manager) -> decltype(manager->GetFirstBlock()->GetNewStructPtr()) {
  auto* block = manager->FindBlockWithFreeSlot();
  if (block == nullptr) block = manager->SetupNewBlock();
  return block != nullptr ? block->GetNewStructPtr() : nullptr;
}

template <class Manager, class Block>
Block* AppendNewBlock(Manager* manager, const char* method) {
  Block* block = new (std::nothrow) Block(manager);
  if (block == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNoComment, static_cast<Block*>(nullptr));
  }
  manager->AppendBlock(block);
  block->SetupNewBlockMemoryArea(kSp_CollectionBlockItemCount);
  return block;
}

// Puts an item back into its block and deletes the block once all of its items are free. A
// block whose links disagree with the manager's list is reported and kept.
template <class Manager, class Item>
void ReturnItem(Manager* manager, Item* item, const char* method) {
  if (item == nullptr || item->block == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNoComment);
    return;
  }
  auto* block = item->block;
  block->PutBackStructPtr(item);
  if (block->GetItemCount() == 0 || block->GetFreeCount() < block->GetItemCount()) return;
  int fault = manager->CheckBlockLinks(block);
  if (fault != 0) {
    SpReportFailure(kSource, method, fault + 1, kSpMsgNoComment);
    return;
  }
  manager->UnlinkBlock(block);
  delete block;
}

// An item may go back only to its own block, and only while it is in use.
template <class Block, class Item>
bool MayPutBack(const Block* block, const Item* item, const char* method) {
  if (block->OwnsSlot(item) && !block->IsFreeSlot(item)) return true;
  return SpReportFailure(kSource, method, 1, kSpMsgNoComment, false);
}

// ----- the lists ----------------------------------------------------------------------------

template <class Item>
Item* FindByPosition(Item* head, SInt32 position) {
  for (Item* item = head; item != nullptr; item = item->next) {
    if (item->position == position) return item;
  }
  return nullptr;
}

// Each item from `item` on takes its predecessor's position plus one.
template <class Item>
void RenumberFrom(Item* item) {
  for (; item != nullptr; item = item->next) {
    item->position = item->previous != nullptr ? item->previous->position + 1 : 1;
  }
}

template <class Item>
void LinkAsHead(Item*& head, Item*& tail, Item* item) {
  item->previous = nullptr;
  item->next = head;
  if (head != nullptr) {
    head->previous = item;
  } else {
    tail = item;
  }
  head = item;
}

template <class Item>
void LinkAfter(Item*& tail, Item* after, Item* item) {
  item->previous = after;
  item->next = after->next;
  if (after->next != nullptr) {
    after->next->previous = item;
  } else {
    tail = item;
  }
  after->next = item;
}

template <class Item>
void Unlink(Item*& head, Item*& tail, Item* item) {
  if (item->previous != nullptr) {
    item->previous->next = item->next;
  } else {
    head = item->next;
  }
  if (item->next != nullptr) {
    item->next->previous = item->previous;
  } else {
    tail = item->previous;
  }
  item->previous = nullptr;
  item->next = nullptr;
}

// The general insertion of both collections: position 0 or an empty list gives the head,
// below 0 or not below the count appends, otherwise after the item with that position (when
// there is none, reported and appended). The count grows and the successors are renumbered.
template <class Item>
void InsertAtPosition(Item*& head, Item*& tail, SInt32& count, SInt32 position, Item* item,
                      const char* method) {
  if (item == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return;
  }
  if (position == 0 || head == nullptr) {
    LinkAsHead(head, tail, item);
  } else {
    Item* after = tail;
    if (position > 0 && position < count) {
      after = FindByPosition(head, position);
      if (after == nullptr) {
        SpReportFailure(kSource, method, 1, kSpMsgNoComment);
        after = tail;
      }
    }
    LinkAfter(tail, after, item);
  }
  ++count;
  RenumberFrom(item);
}

}  // namespace

// ----- unsigned-long pool -------------------------------------------------------------------

OSErr cSp_uLongCollectionItemBlock::SetupNewBlockMemoryArea(SInt32 count) {
  OSErr err = MakeSlots(count);
  if (err != noErr) {
    SpReportFailure(kSource, "cSp_uLongCollectionItemBlock::SetupNewBlockMemoryArea", 1,
                    kMsgMemoryFullError);
  }
  return err;
}

sSp_UnsignedLongCollectionItem* cSp_uLongCollectionItemBlock::GetNewStructPtr() {
  sSp_UnsignedLongCollectionItem* item = PopFreeSlot();
  if (item == nullptr) return nullptr;
  item->position = 0;
  item->value = 0;
  item->previous = nullptr;
  item->next = nullptr;
  return item;
}

void cSp_uLongCollectionItemBlock::PutBackStructPtr(sSp_UnsignedLongCollectionItem* item) {
  if (!MayPutBack(this, item, "cSp_uLongCollectionItemBlock::PutBackStructPtr")) return;
  item->previous = nullptr;
  item->next = nullptr;
  PushFreeSlot(item);
}

sSp_UnsignedLongCollectionItem* cSp_uLongCollectionItemBlockMgr::GetNewItemPtr() {
  return TakeItem(this);
}

cSp_uLongCollectionItemBlock* cSp_uLongCollectionItemBlockMgr::SetupNewBlock() {
  return AppendNewBlock<cSp_uLongCollectionItemBlockMgr, cSp_uLongCollectionItemBlock>(
      this, "cSp_uLongCollectionItemBlockMgr::SetupNewBlock");
}

void cSp_uLongCollectionItemBlockMgr::DisposeItemDataPtr(sSp_UnsignedLongCollectionItem* item) {
  ReturnItem(this, item, "cSp_uLongCollectionItemBlockMgr::DisposeItemDataPtr");
}

cSp_uLongCollectionItemBlockMgr* Sp_GetLongCollectionManager() {
  if (uLongCollectionManagerPtr_GlV == nullptr) {
    uLongCollectionManagerPtr_GlV = new (std::nothrow) cSp_uLongCollectionItemBlockMgr();
  }
  return uLongCollectionManagerPtr_GlV;
}

void Sp_DeleteLongCollectionItem(sSp_UnsignedLongCollectionItem* item) {
  if (item == nullptr) {
    SpReportFailure(kSource, "Sp_DeleteLongCollectionItem", 1, kSpMsgNullArgument);
    return;
  }
  if (item->manager != nullptr) item->manager->DisposeItemDataPtr(item);
}

// ----- cSp_uLongCollection ------------------------------------------------------------------

void cSp_uLongCollection::StartUpInitialize() {
  count_ = 0;
  head_ = nullptr;
  tail_ = nullptr;
  cursor_ = nullptr;
}

SInt32 cSp_uLongCollection::ClearAllListItem() {
  sSp_UnsignedLongCollectionItem* item = head_;
  while (item != nullptr) {
    sSp_UnsignedLongCollectionItem* next = item->next;
    Sp_DeleteLongCollectionItem(item);
    item = next;
  }
  count_ = 0;
  head_ = nullptr;
  tail_ = nullptr;
  // The cursor's item has gone back to the pool.
  cursor_ = nullptr;
  return 0;
}

void cSp_uLongCollection::SetValue(SInt32 position, unsigned long value) {
  cSp_uLongCollectionItemBlockMgr* manager = Sp_GetLongCollectionManager();
  sSp_UnsignedLongCollectionItem* item = manager != nullptr ? manager->GetNewItemPtr() : nullptr;
  if (item == nullptr) return;
  item->value = value;
  if (position == 0 || head_ == nullptr) {
    LinkAsHead(head_, tail_, item);
    cursor_ = item;
  } else {
    LinkAfter(tail_, tail_, item);
  }
  ++count_;
  RenumberFrom(item);
}

sSp_UnsignedLongCollectionItem* cSp_uLongCollection::FindItem(SInt32 position) const {
  return FindByPosition(head_, position);
}

Boolean cSp_uLongCollection::GetValue(SInt32 position, unsigned long& value) const {
  sSp_UnsignedLongCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  value = item->value;
  return true;
}

Boolean cSp_uLongCollection::ModifyValue(SInt32 position, unsigned long value) {
  sSp_UnsignedLongCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  item->value = value;
  return true;
}

Boolean cSp_uLongCollection::DeleteValue(SInt32 position) {
  sSp_UnsignedLongCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  Unlink(head_, tail_, item);
  --count_;
  if (cursor_ == item) cursor_ = nullptr;
  Sp_DeleteLongCollectionItem(item);
  RenumberFrom(head_);
  return true;
}

SInt32 cSp_uLongCollection::GetNumberOfItem() const {
  return count_;
}

Boolean cSp_uLongCollection::CheckTargetValueExist(unsigned long value, SInt32* position) const {
  if (position != nullptr) *position = 0;
  for (sSp_UnsignedLongCollectionItem* item = head_; item != nullptr; item = item->next) {
    if (item->value == value) {
      if (position != nullptr) *position = item->position;
      return true;
    }
  }
  return false;
}

cSp_uLongCollection& cSp_uLongCollection::operator=(const cSp_uLongCollection& other) {
  if (this == &other) return *this;
  ClearAllListItem();
  cSp_uLongCollectionItemBlockMgr* manager = Sp_GetLongCollectionManager();
  if (manager == nullptr) return *this;
  for (sSp_UnsignedLongCollectionItem* from = other.head_; from != nullptr; from = from->next) {
    sSp_UnsignedLongCollectionItem* item = manager->GetNewItemPtr();
    // A pool that runs dry ends the copy with the values copied so far.
    if (item == nullptr) break;
    item->value = from->value;
    LinkIntoItemList(-1, item);
  }
  return *this;
}

void cSp_uLongCollection::LinkIntoItemList(SInt32 position, sSp_UnsignedLongCollectionItem* item) {
  InsertAtPosition(head_, tail_, count_, position, item, "cSp_uLongCollection::LinkIntoItemList");
}

void cSp_uLongCollection::InitialSetupSequentialReference() {
  cursor_ = head_;
}

Boolean cSp_uLongCollection::GetCurrentItemOnSequentialRef(unsigned long& value,
                                                           unsigned char advance) {
  if (cursor_ == nullptr) return false;
  value = cursor_->value;
  if (advance != 0) cursor_ = cursor_->next;
  return true;
}

SInt32 cSp_uLongCollection::GetCurrentItemNoOnSequentialRef() const {
  return cursor_ != nullptr ? cursor_->position : 0;
}

// ----- string pool --------------------------------------------------------------------------

OSErr cSp_StringCollectionItemBlock::SetupNewBlockMemoryArea(SInt32 count) {
  ClearBlockItem();
  OSErr err = MakeSlots(count < 1 ? kSp_CollectionBlockItemCount : count);
  if (err != noErr) {
    SpReportFailure(kSource, "cSp_StringCollectionItemBlock::SetupNewBlockMemoryArea", 1,
                    kSpMsgNoComment);
  }
  return err;
}

sSp_StringCollectionItem* cSp_StringCollectionItemBlock::GetNewStructPtr() {
  sSp_StringCollectionItem* item = PopFreeSlot();
  if (item == nullptr) return nullptr;
  SpSO_DisposeStringObject(item->string);
  item->position = 0;
  item->previous = nullptr;
  item->next = nullptr;
  return item;
}

void cSp_StringCollectionItemBlock::PutBackStructPtr(sSp_StringCollectionItem* item) {
  if (!MayPutBack(this, item, "cSp_StringCollectionItemBlock::PutBackStructPtr")) return;
  SpSO_DisposeStringObject(item->string);
  item->previous = nullptr;
  item->next = nullptr;
  PushFreeSlot(item);
}

void cSp_StringCollectionItemBlock::ClearBlockItem() {
  for (sSp_StringCollectionItem* item = GetFirstSlot(); item != nullptr; item = item->blockNext) {
    SpSO_DisposeStringObject(item->string);
  }
  ReleaseSlots();
}

sSp_StringCollectionItem* cSp_StringCollectionManager::GetNewItemPtr() {
  return TakeItem(this);
}

cSp_StringCollectionItemBlock* cSp_StringCollectionManager::SetupNewBlock() {
  return AppendNewBlock<cSp_StringCollectionManager, cSp_StringCollectionItemBlock>(
      this, "cSp_StringCollectionManager::SetupNewBlock");
}

void cSp_StringCollectionManager::DisposeItemDataPtr(sSp_StringCollectionItem* item) {
  ReturnItem(this, item, "cSp_StringCollectionManager::DisposeItemDataPtr");
}

cSp_StringCollectionManager* Sp_GetStringCollectionManager() {
  if (stringCollectionManagerPtr_GlV == nullptr) {
    stringCollectionManagerPtr_GlV = new (std::nothrow) cSp_StringCollectionManager();
  }
  return stringCollectionManagerPtr_GlV;
}

void Sp_DeleteStringCollectionItem(sSp_StringCollectionItem* item) {
  if (item == nullptr) {
    SpReportFailure(kSource, "Sp_DeleteStringCollectionItem", 1, kSpMsgNullArgument);
    return;
  }
  if (item->manager != nullptr) item->manager->DisposeItemDataPtr(item);
}

void Sp_StringCollection_CopyStringItem(sSp_StringCollectionItem* destination,
                                        const sSp_StringCollectionItem* source) {
  if (destination == nullptr || source == nullptr) {
    SpReportFailure(kSource, "Sp_StringCollection_CopyStringItem", 1, kSpMsgNullArgument);
    return;
  }
  if (source->string == nullptr) {
    SpSO_DisposeStringObject(destination->string);
    return;
  }
  if (destination->string == nullptr) destination->string = SpSO_NewStringObject();
  if (destination->string != nullptr) SpSO_strcopy(destination->string, source->string);
}

// ----- cSp_StringCollection -----------------------------------------------------------------

void cSp_StringCollection::StartUpInitialize() {
  head_ = nullptr;
  tail_ = nullptr;
  count_ = 0;
}

void cSp_StringCollection::ClearAllListItem() {
  sSp_StringCollectionItem* item = head_;
  while (item != nullptr) {
    sSp_StringCollectionItem* next = item->next;
    SpSO_DisposeStringObject(item->string);
    Sp_DeleteStringCollectionItem(item);
    item = next;
  }
  head_ = nullptr;
  tail_ = nullptr;
  count_ = 0;
}

void cSp_StringCollection::SetValue(SInt32 position, const char* text) {
  if (text == nullptr) return;
  cSp_StringCollectionManager* manager = Sp_GetStringCollectionManager();
  sSp_StringCollectionItem* item = manager != nullptr ? manager->GetNewItemPtr() : nullptr;
  if (item == nullptr) return;
  // An item whose text could not be stored is not added: it would stand for a wrong text.
  if (!SetNewValueInDataArea(item, text)) {
    Sp_DeleteStringCollectionItem(item);
    return;
  }
  LinkIntoItemList(position, item);
}

void cSp_StringCollection::LinkIntoItemList(SInt32 position, sSp_StringCollectionItem* item) {
  InsertAtPosition(head_, tail_, count_, position, item, "cSp_StringCollection::LinkIntoItemList");
}

sSp_StringCollectionItem* cSp_StringCollection::FindItem(SInt32 position) const {
  return FindByPosition(head_, position);
}

Boolean cSp_StringCollection::GetValue(SInt32 position, char* buffer, SInt32 size,
                                       unsigned char& overflow) const {
  overflow = 0;
  if (buffer == nullptr) return false;
  if (size >= 1) buffer[0] = 0;
  sSp_StringCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  if (item->string != nullptr) SpSO_GetString(item->string, buffer, size, overflow);
  return true;
}

Boolean cSp_StringCollection::GetTargetStringRefNum(const char* text, SInt32& position) const {
  if (text == nullptr || text[0] == 0) {
    return SpReportFailure(kSource, "cSp_StringCollection::GetTargetStringRefNum", 1,
                           kSpMsgNullOperator, Boolean(false));
  }
  for (sSp_StringCollectionItem* item = head_; item != nullptr; item = item->next) {
    if (item->string != nullptr && SpSO_strcmp(item->string, text) == 0) {
      position = item->position;
      return true;
    }
  }
  position = 0;
  return false;
}

Boolean cSp_StringCollection::ModifyValue(SInt32 position, const char* text) {
  sSp_StringCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  SetNewValueInDataArea(item, text);
  return true;
}

Boolean cSp_StringCollection::SetNewValueInDataArea(sSp_StringCollectionItem* item,
                                                    const char* text) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSp_StringCollection::SetNewValueInDataArea", 1,
                           kSpMsgNullArgument, Boolean(false));
  }
  if (item->string == nullptr) item->string = SpSO_NewStringObject();
  if (item->string == nullptr) return false;
  SpSO_strcopy(item->string, text);
  return true;
}

Boolean cSp_StringCollection::DeleteValue(SInt32 position) {
  sSp_StringCollectionItem* item = FindItem(position);
  if (item == nullptr) return false;
  sSp_StringCollectionItem* following = item->next;
  Unlink(head_, tail_, item);
  --count_;
  if (item->block == nullptr) {
    SpReportFailure(kSource, "cSp_StringCollection::DeleteValue", 3, kSpMsgNoComment);
  } else {
    // Straight back to its block: this road never deletes a block.
    item->block->PutBackStructPtr(item);
  }
  for (; following != nullptr; following = following->next) --following->position;
  return true;
}

SInt32 cSp_StringCollection::GetMaxStringLength() const {
  SInt32 longest = 0;
  for (sSp_StringCollectionItem* item = head_; item != nullptr; item = item->next) {
    longest = std::max(longest, SpSO_GetStringLen(item->string));
  }
  return longest;
}

cSp_StringCollection& cSp_StringCollection::operator=(const cSp_StringCollection& other) {
  if (this == &other) return *this;
  ClearAllListItem();
  cSp_StringCollectionManager* manager = Sp_GetStringCollectionManager();
  if (manager == nullptr) return *this;
  for (sSp_StringCollectionItem* from = other.head_; from != nullptr; from = from->next) {
    sSp_StringCollectionItem* item = manager->GetNewItemPtr();
    if (item == nullptr) break;
    Sp_StringCollection_CopyStringItem(item, from);
    LinkIntoItemList(-1, item);
  }
  return *this;
}
