// The memory of style runs: fixed slots in blocks drawn from the Memory Manager.
//
// A megabyte of text makes hundreds of thousands of runs, made and freed as lines are set and
// re-wrapped. Taking each from the heap costs a header per run and a call per run; slots of
// one cache line in blocks of a thousand cost neither, and runs made one after the other lie
// one after the other in memory, so a walk down a line's runs reads memory in order. A block
// whose slots are all free goes back to the heap (one is kept, so that a text growing and
// shrinking by a run does not take and give a block each time).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "MacMemory.h"
#include "SpETOTextInternal.h"

#if defined(__SANITIZE_ADDRESS__)
#define SP_ETO_POISON_SLOTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SP_ETO_POISON_SLOTS 1
#endif
#endif

#ifdef SP_ETO_POISON_SLOTS
#include <sanitizer/asan_interface.h>
#endif

namespace sp_eto {
namespace {

constexpr std::size_t kSlotAlign = 64;
constexpr std::size_t kSlotsPerBlock = 1024;
static_assert(kRunSlotBytes % kSlotAlign == 0, "slots keep to cache lines");

// A free slot is off limits to everything but the pool, so that the address sanitizer still
// sees a run used after it was deleted.
void Poison(void* p, std::size_t bytes) {
#ifdef SP_ETO_POISON_SLOTS
  ASAN_POISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

void Unpoison(void* p, std::size_t bytes) {
#ifdef SP_ETO_POISON_SLOTS
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

class cRunPool {
 public:

  void* Take() {
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
    if (++block->used == SInt32(kSlotsPerBlock)) LeaveRoomList(block);
    return slot;
  }

  // False when p is not a slot of this pool.
  bool Give(void* p) {
    Block* block = BlockOf(p);
    if (block == nullptr) return false;
    char* slot = static_cast<char*>(p);
    *reinterpret_cast<char**>(slot) = block->freeList;
    block->freeList = slot;
    Poison(slot, slotBytes_);
    if (block->used-- == SInt32(kSlotsPerBlock)) JoinRoomList(block);
    if (block->used == 0) {
      if (spare_ == nullptr) {
        spare_ = block;
      } else {
        FreeBlock(block);
      }
    }
    return true;
  }

 private:
  struct Block {
    Ptr memory;      // as NewPtr gave it
    char* slots;     // the first slot, aligned to a cache line
    char* freeList;  // freed slots, each holding the next one in its first bytes
    std::size_t handedOut = 0;  // slots taken at least once (the rest were never used)
    SInt32 used = 0;
    Block* previousWithRoom = nullptr;
    Block* nextWithRoom = nullptr;
  };

  Block* NewBlock() {
    Block* block = new (std::nothrow) Block{};
    if (block == nullptr) return nullptr;
    block->memory = NewPtr(Size(slotBytes_ * kSlotsPerBlock + kSlotAlign));
    if (block->memory == nullptr) {
      delete block;
      return nullptr;
    }
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block->memory);
    block->slots = block->memory + ((kSlotAlign - at % kSlotAlign) % kSlotAlign);
    block->freeList = nullptr;
    Poison(block->slots, slotBytes_ * kSlotsPerBlock);
    blocks_.insert(std::upper_bound(blocks_.begin(), blocks_.end(), block, BySlots), block);
    JoinRoomList(block);
    return block;
  }

  void FreeBlock(Block* block) {
    LeaveRoomList(block);
    blocks_.erase(std::lower_bound(blocks_.begin(), blocks_.end(), block, BySlots));
    Unpoison(block->slots, slotBytes_ * kSlotsPerBlock);
    DisposePtr(block->memory);
    delete block;
  }

  static bool BySlots(const Block* a, const Block* b) { return a->slots < b->slots; }

  Block* BlockOf(const void* p) const {
    const char* at = static_cast<const char*>(p);
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), at,
                               [](const char* q, const Block* b) { return q < b->slots; });
    if (it == blocks_.begin()) return nullptr;
    Block* block = *(it - 1);
    const std::size_t offset = std::size_t(at - block->slots);
    if (offset >= slotBytes_ * kSlotsPerBlock || offset % slotBytes_ != 0) return nullptr;
    return block;
  }

  void JoinRoomList(Block* block) {
    block->previousWithRoom = nullptr;
    block->nextWithRoom = withRoom_;
    if (withRoom_ != nullptr) withRoom_->previousWithRoom = block;
    withRoom_ = block;
  }

  void LeaveRoomList(Block* block) {
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

  static constexpr std::size_t slotBytes_ = kRunSlotBytes;
  std::vector<Block*> blocks_;  // in the order of their slots' addresses
  Block* withRoom_ = nullptr;   // blocks with a free slot
  Block* spare_ = nullptr;      // an empty block kept for the next run
};

}  // namespace

// Made once and never destroyed: a run may outlive the program's static objects.
static cRunPool& Pool() {
  static cRunPool* pool = new cRunPool;
  return *pool;
}

void* TakeRunSlot(std::size_t bytes) {
  if (bytes > kRunSlotBytes) return NewPtr(Size(bytes));
  return Pool().Take();
}

void GiveRunSlot(void* p) {
  if (p == nullptr) return;
  if (!Pool().Give(p)) DisposePtr(static_cast<Ptr>(p));
}

}  // namespace sp_eto
