// Objects of one size in slots of blocks drawn from the Memory Manager.
//
// Many small objects taken from the heap one by one cost a Memory Manager header and the
// heap's own overhead each, and a call to the heap each; slots in blocks of a few hundred cost
// neither, and objects made one after the other lie one after the other. A free slot is off
// limits to everything but its pool while the address sanitizer runs, so an object used after
// it was deleted is still seen. A block whose slots are all free goes back to the heap (when
// the pool keeps a spare, the last such block stays for the next object instead). A block
// that cannot be had makes Take answer null, as NewPtr would.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "MacMemory.h"

class cSpSlotPool {
 public:
  // Slots of slotBytes (at least a pointer) at multiples of `align` (a power of two) from
  // their block's start, slotsPerBlock to a block.
  cSpSlotPool(std::size_t slotBytes, std::size_t slotsPerBlock, std::size_t align,
              bool keepSpare);
  // Gives every block back: no slot may be used after its pool.
  ~cSpSlotPool();
  cSpSlotPool(const cSpSlotPool&) = delete;
  cSpSlotPool& operator=(const cSpSlotPool&) = delete;

  // A slot; null when a new block was needed and not had.
  void* Take();
  // Gives the slot back; false (and nothing done) when p is not a slot of this pool.
  bool Give(void* p);

 private:
  struct Block;

  Block* NewBlock();
  void FreeBlock(Block* block);
  Block* BlockOf(const void* p) const;
  void JoinRoomList(Block* block);
  void LeaveRoomList(Block* block);

  std::size_t slotBytes_;
  std::size_t slotsPerBlock_;
  std::size_t align_;
  bool keepSpare_;
  std::vector<Block*> blocks_;  // in the order of their slots' addresses
  Block* withRoom_ = nullptr;   // blocks with a free slot
  Block* spare_ = nullptr;      // an empty block kept for the next object
};

// A base for classes whose objects live in a pool of their own (made on first use and never
// destroyed, since an object may outlive the program's static objects). `new (std::nothrow)`
// gives null when memory runs out, as for cSpMacHeapObject; an object of another size (a
// derived class) comes from NewPtr.
template <class T, std::size_t kSlotsPerBlock = 256>
class tSpPooledObject {
 public:
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return size == sizeof(T) ? Pool().Take() : NewPtr(Size(size));
  }
  static void operator delete(void* p) noexcept { Release(p); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }

 private:
  static void Release(void* p) {
    if (p != nullptr && !Pool().Give(p)) DisposePtr(static_cast<Ptr>(p));
  }
  static cSpSlotPool& Pool() {
    static cSpSlotPool* pool =
        new cSpSlotPool(sizeof(T), kSlotsPerBlock, alignof(T), false);
    return *pool;
  }
};
