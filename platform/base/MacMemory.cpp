#include "MacMemory.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/internal/HeapBlocks.h"
#include "base/internal/TestHooks.h"

namespace {

OSErr gMemError = noErr;
UInt32 gFailCountdown = 0;
UInt32 gSizeLimit = 0;
UInt64 gAllocations = 0;

// Every pointer block is preceded by this header, so GetPtrSize knows the size asked for
// and DisposePtr can refuse blocks that did not come from NewPtr.
struct alignas(16) PtrHeader {
  UInt32 magic;
  Size size;
};
constexpr UInt32 kPtrMagic = 0x53704D50;  // 'SpMP'
constexpr UInt32 kDeadMagic = 0x44656164;

// The master pointer of a handle. A Handle points at `data`, the first member.
struct MasterPointer {
  Ptr data;
  Size size;
  SInt8 state;
  UInt32 magic;
};
constexpr UInt32 kHandleMagic = 0x53704D48;  // 'SpMH'
constexpr SInt8 kLockedBit = SInt8(0x80);

PtrHeader* HeaderOf(Ptr p) {
  return reinterpret_cast<PtrHeader*>(p) - 1;
}

MasterPointer* MasterOf(Handle h) {
  if (h == nullptr) return nullptr;
  MasterPointer* m = reinterpret_cast<MasterPointer*>(h);
  return m->magic == kHandleMagic ? m : nullptr;
}

bool FailThisAllocation(UInt64 bytes) {
  ++gAllocations;
  return sp_platform::ShouldFailAllocation(bytes);
}

// Whether a block of this size may be made: paramErr for a negative size, memFullErr for an
// allocation the tests make fail.
bool MayAllocate(Size byteCount) {
  if (byteCount < 0) {
    gMemError = paramErr;
    return false;
  }
  if (FailThisAllocation(UInt64(byteCount))) {
    gMemError = memFullErr;
    return false;
  }
  return true;
}

constexpr int kMappedBlockBytes = 128 * 1024;
constexpr int kKeptHeapBytes = 4 * 1024 * 1024;

// Blocks of 128 KiB and more are mapped by themselves, whatever was freed before: the
// program's large buffers that stay mostly unused (the play-back buffer set, made at start-up)
// then take memory only where they are written, and go back to the system when freed. The
// heap keeps up to 4 MiB freed at its top (a block that fits there comes from it) for the
// tables made and freed for every file within a HeapBlocksScope: growing it again page by
// page for every file cost as much as mapping them.
void MapLargeBlocks() {
  static const bool once = mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes) != 0 &&
                           mallopt(M_TRIM_THRESHOLD, kKeptHeapBytes) != 0;
  (void)once;
}

int gHeapBlockScopes = 0;

Ptr AllocatePtr(Size byteCount, bool clear) {
  MapLargeBlocks();
  if (!MayAllocate(byteCount)) return nullptr;
  void* raw = clear ? std::calloc(1, sizeof(PtrHeader) + std::size_t(byteCount))
                    : std::malloc(sizeof(PtrHeader) + std::size_t(byteCount));
  if (raw == nullptr) {
    gMemError = memFullErr;
    return nullptr;
  }
  PtrHeader* header = static_cast<PtrHeader*>(raw);
  header->magic = kPtrMagic;
  header->size = byteCount;
  gMemError = noErr;
  return reinterpret_cast<Ptr>(header + 1);
}

Handle AllocateHandle(Size byteCount, bool clear) {
  MapLargeBlocks();
  if (!MayAllocate(byteCount)) return nullptr;
  MasterPointer* m = new (std::nothrow) MasterPointer{nullptr, byteCount, 0, kHandleMagic};
  if (m == nullptr) {
    gMemError = memFullErr;
    return nullptr;
  }
  // A zero-sized handle still gets a block, so that *h is never null for a live handle.
  std::size_t bytes = byteCount > 0 ? std::size_t(byteCount) : 1;
  m->data = static_cast<Ptr>(clear ? std::calloc(1, bytes) : std::malloc(bytes));
  if (m->data == nullptr) {
    delete m;
    gMemError = memFullErr;
    return nullptr;
  }
  gMemError = noErr;
  return &m->data;
}

}  // namespace

namespace sp_platform {

void SetAllocationFailureCountdown(UInt32 n) {
  gFailCountdown = n;
}

void SetAllocationSizeLimit(UInt32 bytes) { gSizeLimit = bytes; }

bool ShouldFailAllocation(UInt64 bytes) {
  if (gSizeLimit != 0 && bytes > gSizeLimit) return true;
  if (gFailCountdown == 0) return false;
  return --gFailCountdown == 0;
}

UInt64 AllocationCount() {
  return gAllocations;
}

HeapBlocksScope::HeapBlocksScope() {
  MapLargeBlocks();
  if (gHeapBlockScopes++ == 0) mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
}

HeapBlocksScope::~HeapBlocksScope() {
  if (--gHeapBlockScopes == 0) mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes);
}

}  // namespace sp_platform

Ptr NewPtr(Size byteCount) {
  return AllocatePtr(byteCount, false);
}

Ptr NewPtrClear(Size byteCount) {
  return AllocatePtr(byteCount, true);
}

void DisposePtr(Ptr p) {
  if (p == nullptr) {
    gMemError = noErr;
    return;
  }
  PtrHeader* header = HeaderOf(p);
  if (header->magic != kPtrMagic) {
    gMemError = memWZErr;
    return;
  }
  header->magic = kDeadMagic;
  std::free(header);
  gMemError = noErr;
}

Size GetPtrSize(Ptr p) {
  if (p == nullptr || HeaderOf(p)->magic != kPtrMagic) {
    gMemError = memWZErr;
    return 0;
  }
  gMemError = noErr;
  return HeaderOf(p)->size;
}

void SetPtrSize(Ptr p, Size newSize) {
  if (p == nullptr || HeaderOf(p)->magic != kPtrMagic || newSize < 0) {
    gMemError = p == nullptr ? memWZErr : paramErr;
    return;
  }
  // A pointer block cannot move, so it can only shrink.
  if (newSize > HeaderOf(p)->size) {
    gMemError = memFullErr;
    return;
  }
  HeaderOf(p)->size = newSize;
  gMemError = noErr;
}

Handle NewHandle(Size byteCount) {
  return AllocateHandle(byteCount, false);
}

Handle NewHandleClear(Size byteCount) {
  return AllocateHandle(byteCount, true);
}

void DisposeHandle(Handle h) {
  if (h == nullptr) {
    gMemError = noErr;
    return;
  }
  MasterPointer* m = MasterOf(h);
  if (m == nullptr) {
    gMemError = memWZErr;
    return;
  }
  std::free(m->data);
  m->magic = kDeadMagic;
  delete m;
  gMemError = noErr;
}

Size GetHandleSize(Handle h) {
  MasterPointer* m = MasterOf(h);
  if (m == nullptr) {
    gMemError = nilHandleErr;
    return 0;
  }
  gMemError = noErr;
  return m->size;
}

void SetHandleSize(Handle h, Size newSize) {
  MasterPointer* m = MasterOf(h);
  if (m == nullptr || newSize < 0) {
    gMemError = m == nullptr ? nilHandleErr : paramErr;
    return;
  }
  if (newSize > m->size && FailThisAllocation(UInt64(newSize))) {
    gMemError = memFullErr;
    return;
  }
  std::size_t bytes = newSize > 0 ? std::size_t(newSize) : 1;
  Ptr grown = static_cast<Ptr>(std::realloc(m->data, bytes));
  if (grown == nullptr) {
    gMemError = memFullErr;
    return;
  }
  m->data = grown;
  m->size = newSize;
  gMemError = noErr;
}

void HLock(Handle h) {
  if (MasterPointer* m = MasterOf(h)) m->state = SInt8(m->state | kLockedBit);
}

void HUnlock(Handle h) {
  if (MasterPointer* m = MasterOf(h)) m->state = SInt8(m->state & ~kLockedBit);
}

SInt8 HGetState(Handle h) {
  MasterPointer* m = MasterOf(h);
  return m ? m->state : 0;
}

void HSetState(Handle h, SInt8 flags) {
  if (MasterPointer* m = MasterOf(h)) m->state = flags;
}

void HNoPurge(Handle) {}
void HPurge(Handle) {}
void MoveHHi(Handle) {}

OSErr HandToHand(Handle* theHndl) {
  if (theHndl == nullptr || MasterOf(*theHndl) == nullptr) return gMemError = nilHandleErr;
  Handle source = *theHndl;
  Size size = GetHandleSize(source);
  Handle copy = NewHandle(size);
  if (copy == nullptr) return gMemError;
  if (size > 0) std::memcpy(*copy, *source, std::size_t(size));
  *theHndl = copy;
  return gMemError = noErr;
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size) {
  if (dstHndl == nullptr || (srcPtr == nullptr && size > 0) || size < 0)
    return gMemError = paramErr;
  Handle h = NewHandle(size);
  if (h == nullptr) return gMemError;
  if (size > 0) std::memcpy(*h, srcPtr, std::size_t(size));
  *dstHndl = h;
  return gMemError = noErr;
}

OSErr PtrAndHand(const void* ptr1, Handle hand2, Size size) {
  if (MasterOf(hand2) == nullptr) return gMemError = nilHandleErr;
  if ((ptr1 == nullptr && size > 0) || size < 0) return gMemError = paramErr;
  Size old = GetHandleSize(hand2);
  SetHandleSize(hand2, old + size);
  if (gMemError != noErr) return gMemError;
  if (size > 0) std::memcpy(*hand2 + old, ptr1, std::size_t(size));
  return gMemError = noErr;
}

OSErr HandAndHand(Handle hand1, Handle hand2) {
  if (MasterOf(hand1) == nullptr) return gMemError = nilHandleErr;
  return PtrAndHand(*hand1, hand2, GetHandleSize(hand1));
}

OSErr MemError() {
  return gMemError;
}

// The largest block there is: the fixed amount, or less on a machine short of memory (a
// test's size limit).
Size MaxBlock() {
  if (gSizeLimit != 0 && Size(gSizeLimit) < kSpFixedFreeMemory) return Size(gSizeLimit);
  return kSpFixedFreeMemory;
}

SInt32 FreeMem() {
  return SInt32(MaxBlock());
}

void MoreMasters() {}

void BlockMove(const void* srcPtr, void* destPtr, Size byteCount) {
  if (srcPtr == nullptr || destPtr == nullptr || byteCount <= 0) return;
  std::memmove(destPtr, srcPtr, std::size_t(byteCount));
}

void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount) {
  BlockMove(srcPtr, destPtr, byteCount);
}

void BlockZero(void* destPtr, Size byteCount) {
  if (destPtr == nullptr || byteCount <= 0) return;
  std::memset(destPtr, 0, std::size_t(byteCount));
}
