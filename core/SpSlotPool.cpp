#include "SpSlotPool.h"

#include <algorithm>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define SP_POISON_FREE_SLOTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SP_POISON_FREE_SLOTS 1
#endif
#endif

#ifdef SP_POISON_FREE_SLOTS
#include <sanitizer/asan_interface.h>
#endif

namespace {

void Poison(void* p, std::size_t bytes) {
#ifdef SP_POISON_FREE_SLOTS
  ASAN_POISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

void Unpoison(void* p, std::size_t bytes) {
#ifdef SP_POISON_FREE_SLOTS
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace

struct cSpSlotPool::Block {
  Ptr memory;      // as NewPtr gave it
  char* slots;     // the first slot, aligned
  char* freeList;  // freed slots, each holding the next one in its first bytes
  std::size_t handedOut = 0;  // slots taken at least once (the rest were never used)
  std::size_t used = 0;
  Block* previousWithRoom = nullptr;
  Block* nextWithRoom = nullptr;
};

cSpSlotPool::cSpSlotPool(std::size_t slotBytes, std::size_t slotsPerBlock, std::size_t align,
                         bool keepSpare)
    : slotsPerBlock_(std::max<std::size_t>(1, slotsPerBlock)),
      align_(std::max<std::size_t>(1, align)),
      keepSpare_(keepSpare) {
  // A free slot holds the next free one; every slot keeps to the alignment.
  const std::size_t bytes = std::max(slotBytes, sizeof(char*));
  slotBytes_ = (bytes + align_ - 1) / align_ * align_;
}

cSpSlotPool::~cSpSlotPool() {
  for (Block* block : blocks_) {
    Unpoison(block->slots, slotBytes_ * slotsPerBlock_);
    DisposePtr(block->memory);
    delete block;
  }
}

void* cSpSlotPool::Take() {
  Block* block = withRoom_;
  if (block == nullptr) {
    block = NewBlock();
    if (block == nullptr) return nullptr;
  }
  char* slot = nullptr;
  if (block->freeList != nullptr) {
    slot = block->freeList;
    Unpoison(slot, sizeof(char*));
    block->freeList = *reinterpret_cast<char**>(slot);
  } else {
    slot = block->slots + block->handedOut * slotBytes_;
    ++block->handedOut;
  }
  Unpoison(slot, slotBytes_);
  if (block == spare_) spare_ = nullptr;
  if (++block->used == slotsPerBlock_) LeaveRoomList(block);
  return slot;
}

bool cSpSlotPool::Give(void* p) {
  Block* block = BlockOf(p);
  if (block == nullptr) return false;
  char* slot = static_cast<char*>(p);
  *reinterpret_cast<char**>(slot) = block->freeList;
  block->freeList = slot;
  Poison(slot, slotBytes_);
  if (block->used-- == slotsPerBlock_) JoinRoomList(block);
  if (block->used == 0) {
    if (keepSpare_ && spare_ == nullptr) {
      spare_ = block;
    } else {
      FreeBlock(block);
    }
  }
  return true;
}

cSpSlotPool::Block* cSpSlotPool::NewBlock() {
  Block* block = new (std::nothrow) Block{};
  if (block == nullptr) return nullptr;
  block->memory = NewPtr(Size(slotBytes_ * slotsPerBlock_ + align_));
  if (block->memory == nullptr) {
    delete block;
    return nullptr;
  }
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block->memory);
  block->slots = block->memory + ((align_ - at % align_) % align_);
  block->freeList = nullptr;
  Poison(block->slots, slotBytes_ * slotsPerBlock_);
  const auto bySlots = [](const Block* a, const Block* b) { return a->slots < b->slots; };
  try {
    blocks_.insert(std::upper_bound(blocks_.begin(), blocks_.end(), block, bySlots), block);
  } catch (const std::bad_alloc&) {
    DisposePtr(block->memory);
    delete block;
    return nullptr;
  }
  JoinRoomList(block);
  return block;
}

void cSpSlotPool::FreeBlock(Block* block) {
  LeaveRoomList(block);
  const auto bySlots = [](const Block* a, const Block* b) { return a->slots < b->slots; };
  blocks_.erase(std::lower_bound(blocks_.begin(), blocks_.end(), block, bySlots));
  Unpoison(block->slots, slotBytes_ * slotsPerBlock_);
  DisposePtr(block->memory);
  delete block;
}

cSpSlotPool::Block* cSpSlotPool::BlockOf(const void* p) const {
  const char* at = static_cast<const char*>(p);
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), at,
                             [](const char* q, const Block* b) { return q < b->slots; });
  if (it == blocks_.begin()) return nullptr;
  Block* block = *(it - 1);
  const std::size_t offset = std::size_t(at - block->slots);
  if (offset >= slotBytes_ * slotsPerBlock_ || offset % slotBytes_ != 0) return nullptr;
  return block;
}

void cSpSlotPool::JoinRoomList(Block* block) {
  block->previousWithRoom = nullptr;
  block->nextWithRoom = withRoom_;
  if (withRoom_ != nullptr) withRoom_->previousWithRoom = block;
  withRoom_ = block;
}

void cSpSlotPool::LeaveRoomList(Block* block) {
  if (block->previousWithRoom != nullptr) {
    block->previousWithRoom->nextWithRoom = block->nextWithRoom;
  } else if (withRoom_ == block) {
    withRoom_ = block->nextWithRoom;
  }
  if (block->nextWithRoom != nullptr) {
    block->nextWithRoom->previousWithRoom = block->previousWithRoom;
  }
  block->previousWithRoom = nullptr;
  block->nextWithRoom = nullptr;
}
