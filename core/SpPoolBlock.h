// Fixed-slot pools: the small allocators behind the string objects and the collections.
//
// A pool hands out slots from blocks, each block one zeroed Memory Manager allocation, and
// keeps free slots on per-block free lists, so that nothing is allocated per object.
#pragma once

#include <cstdint>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "SpListLinks.h"

// ---------------------------------------------------------------------------------------------
// Fixed-slot pools
// ---------------------------------------------------------------------------------------------

// A block of `count` slots in one zeroed allocation. Every slot records its block and manager
// and sits in two chains of its own link fields: the block order (array order, set once) and
// the block's free list (only while free). A slot type names those fields `block`, `manager`,
// `blockPrevious`, `blockNext`, `freePrevious` and `freeNext`, and must be trivially
// destructible (the memory is given back without running destructors).
template <class Slot, class Block, class Manager>
class tSpPoolBlock : public cSpListLinks<Block> {
 public:
  explicit tSpPoolBlock(Manager* manager) : manager_(manager) {}
  ~tSpPoolBlock() { ReleaseSlots(); }
  tSpPoolBlock(const tSpPoolBlock&) = delete;
  tSpPoolBlock& operator=(const tSpPoolBlock&) = delete;

  Boolean ExistUnusedItem() const { return freeHead_ != nullptr; }
  SInt32 GetFreeCount() const { return freeCount_; }
  SInt32 GetItemCount() const { return itemCount_; }
  Manager* GetManager() const { return manager_; }
  Slot* GetFirstSlot() const { return firstSlot_; }

  // True when `slot` lies in this block's memory.
  Boolean OwnsSlot(const Slot* slot) const {
    if (firstSlot_ == nullptr || slot == nullptr) return false;
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(firstSlot_);
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(slot);
    return at >= first && at < first + sizeof(Slot) * std::uintptr_t(itemCount_);
  }

  // True when `slot` is on this block's free list.
  Boolean IsFreeSlot(const Slot* slot) const {
    for (const Slot* s = freeHead_; s != nullptr; s = s->freeNext) {
      if (s == slot) return true;
    }
    return false;
  }

  // Takes the head of the free list; null when none is free.
  Slot* PopFreeSlot() {
    Slot* slot = freeHead_;
    if (slot == nullptr) return nullptr;
    freeHead_ = slot->freeNext;
    if (freeHead_ != nullptr) freeHead_->freePrevious = nullptr;
    slot->freePrevious = nullptr;
    slot->freeNext = nullptr;
    --freeCount_;
    return slot;
  }

  // Puts `slot` at the head of the free list.
  void PushFreeSlot(Slot* slot) {
    if (manager_ != nullptr) manager_->NoteSlotFreed(static_cast<Block*>(this));
    slot->freePrevious = nullptr;
    slot->freeNext = freeHead_;
    if (freeHead_ != nullptr) freeHead_->freePrevious = slot;
    freeHead_ = slot;
    ++freeCount_;
  }

  // Takes this block out of its manager's list of blocks.
  void UnlinkFromBlockList() { this->UnlinkSelf(); }

  // The manager's chain of blocks that may have a free slot (see tSpPoolBlockList).
  Block* previousWithRoom = nullptr;
  Block* nextWithRoom = nullptr;
  bool onRoomChain = false;

 protected:
  // Makes the memory for `count` slots, refusing an allocation smaller than asked, and threads
  // every slot in address order into the block order and the free list. On failure the block
  // keeps no slots and the memory error is answered.
  OSErr MakeSlots(SInt32 count) {
    ReleaseSlots();
    const Size bytes = Size(sizeof(Slot)) * count;
    Ptr area = NewPtrClear(bytes);
    OSErr err = MemError();
    if (area != nullptr && (err != noErr || GetPtrSize(area) < bytes)) {
      DisposePtr(area);
      area = nullptr;
    }
    if (area == nullptr) return err != noErr ? err : OSErr(memFullErr);
    memoryArea_ = area;
    firstSlot_ = reinterpret_cast<Slot*>(area);
    for (SInt32 i = 0; i < count; ++i) new (&firstSlot_[i]) Slot();
    for (SInt32 i = 0; i < count; ++i) {
      Slot* slot = &firstSlot_[i];
      slot->block = static_cast<Block*>(this);
      slot->manager = manager_;
      slot->blockPrevious = i > 0 ? &firstSlot_[i - 1] : nullptr;
      slot->blockNext = i + 1 < count ? &firstSlot_[i + 1] : nullptr;
      slot->freePrevious = slot->blockPrevious;
      slot->freeNext = slot->blockNext;
    }
    itemCount_ = count;
    freeCount_ = count;
    freeHead_ = count > 0 ? firstSlot_ : nullptr;
    if (manager_ != nullptr && count > 0) manager_->NoteSlotFreed(static_cast<Block*>(this));
    return noErr;
  }

  // Gives the slot memory back; the block then holds no slots.
  void ReleaseSlots() {
    if (memoryArea_ != nullptr) DisposePtr(memoryArea_);
    memoryArea_ = nullptr;
    firstSlot_ = nullptr;
    freeHead_ = nullptr;
    freeCount_ = 0;
    itemCount_ = 0;
  }

 private:
  Ptr memoryArea_ = nullptr;
  SInt32 itemCount_ = 0;
  SInt32 freeCount_ = 0;
  Manager* manager_ = nullptr;
  Slot* firstSlot_ = nullptr;
  Slot* freeHead_ = nullptr;
};

// A manager's list of pool blocks, which it owns.
template <class Block>
class tSpPoolBlockList {
 public:
  tSpPoolBlockList() = default;
  ~tSpPoolBlockList() { DeleteAllBlocks(); }
  tSpPoolBlockList(const tSpPoolBlockList&) = delete;
  tSpPoolBlockList& operator=(const tSpPoolBlockList&) = delete;

  Block* GetFirstBlock() const { return firstBlock_; }
  Block* GetLastBlock() const { return lastBlock_; }

  SInt32 CountBlocks() const {
    SInt32 n = 0;
    for (Block* b = firstBlock_; b != nullptr; b = b->GetNextObjectPtr()) ++n;
    return n;
  }

  SInt32 CountFreeSlots() const {
    SInt32 n = 0;
    for (Block* b = firstBlock_; b != nullptr; b = b->GetNextObjectPtr()) n += b->GetFreeCount();
    return n;
  }

  // A block with a free slot, null when every block is full. Blocks that got a free slot are
  // kept on a chain (each at most once); a block found full there is dropped from it, so a
  // look-up costs constant time over a run however slots come and go. Blocks looked at are
  // counted in GetBlocksLookedAt.
  Block* FindBlockWithFreeSlot() const {
    while (roomChain_ != nullptr) {
      ++blocksLookedAt_;
      Block* b = roomChain_;
      if (b->ExistUnusedItem()) return b;
      DropFromRoomChain(b);
    }
    return nullptr;
  }

  // A slot was given back to `block` (or the block got its slots): it goes on the chain.
  void NoteSlotFreed(Block* block) {
    if (block->onRoomChain) return;
    block->onRoomChain = true;
    block->previousWithRoom = nullptr;
    block->nextWithRoom = roomChain_;
    if (roomChain_ != nullptr) roomChain_->previousWithRoom = block;
    roomChain_ = block;
  }

  // Every block looked at by FindBlockWithFreeSlot since the list was made.
  UInt32 GetBlocksLookedAt() const { return blocksLookedAt_; }

  void AppendBlock(Block* block) {
    if (lastBlock_ == nullptr) {
      firstBlock_ = block;
    } else {
      lastBlock_->LinkToNext(block);
    }
    lastBlock_ = block;
  }

  // Checks a block's place in the list before it is unlinked: 0 when its links agree with the
  // list, 1 when it has no previous block but is not the first, 2 when it has no next block
  // but is not the last.
  int CheckBlockLinks(const Block* block) const {
    if (block->GetBeforeObjectPtr() == nullptr && block != firstBlock_) return 1;
    if (block->GetNextObjectPtr() == nullptr && block != lastBlock_) return 2;
    return 0;
  }

  void UnlinkBlock(Block* block) {
    DropFromRoomChain(block);
    if (block == firstBlock_) firstBlock_ = block->GetNextObjectPtr();
    if (block == lastBlock_) lastBlock_ = block->GetBeforeObjectPtr();
    block->UnlinkFromBlockList();
  }

  void DeleteAllBlocks() {
    roomChain_ = nullptr;
    Block* b = firstBlock_;
    firstBlock_ = nullptr;
    lastBlock_ = nullptr;
    while (b != nullptr) {
      Block* next = b->GetNextObjectPtr();
      delete b;
      b = next;
    }
  }

 private:
  void DropFromRoomChain(Block* block) const {
    if (!block->onRoomChain) return;
    Block* before = block->previousWithRoom;
    Block* after = block->nextWithRoom;
    if (before != nullptr) {
      before->nextWithRoom = after;
    } else {
      roomChain_ = after;
    }
    if (after != nullptr) after->previousWithRoom = before;
    block->previousWithRoom = nullptr;
    block->nextWithRoom = nullptr;
    block->onRoomChain = false;
  }

  Block* firstBlock_ = nullptr;
  Block* lastBlock_ = nullptr;
  mutable Block* roomChain_ = nullptr;
  mutable UInt32 blocksLookedAt_ = 0;
};
