// The memory of style runs: fixed slots in blocks drawn from the Memory Manager.
//
// A megabyte of text makes hundreds of thousands of runs, made and freed as lines are set and
// re-wrapped. Slots of one cache line in blocks of a thousand cost no header and no heap call
// per run, and runs made one after the other lie one after the other in memory, so a walk
// down a line's runs reads memory in order. One empty block is kept, so that a text growing
// and shrinking by a run does not take and give a block each time.
#include "SpETOTextInternal.h"
#include "SpSlotPool.h"

namespace sp_eto {

namespace {

constexpr std::size_t kSlotAlign = 64;
constexpr std::size_t kSlotsPerBlock = 1024;
static_assert(kRunSlotBytes % kSlotAlign == 0, "slots keep to cache lines");

// Made once and never destroyed: a run may outlive the program's static objects.
cSpSlotPool& Pool() {
  static cSpSlotPool* pool = new cSpSlotPool(kRunSlotBytes, kSlotsPerBlock, kSlotAlign, true);
  return *pool;
}

}  // namespace

void* TakeRunSlot(std::size_t bytes) {
  if (bytes > kRunSlotBytes) return NewPtr(Size(bytes));
  return Pool().Take();
}

void GiveRunSlot(void* p) {
  if (p == nullptr) return;
  if (!Pool().Give(p)) DisposePtr(static_cast<Ptr>(p));
}

}  // namespace sp_eto
