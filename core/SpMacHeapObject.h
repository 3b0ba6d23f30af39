// Objects that live in the Memory Manager's heap.
//
// A class deriving from cSpMacHeapObject is allocated with NewPtr and freed with DisposePtr,
// so its allocations draw on the same heap as the rest of the program and a failing one can
// be provoked and tested like any other; `new (std::nothrow)` gives null instead of throwing,
// and only that form is offered. cSpMacHeapClearObject also hands out zero-filled memory.
// Both are empty, so deriving from them costs no space.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"

class cSpMacHeapObject {
 public:
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtr(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }
};

class cSpMacHeapClearObject : public cSpMacHeapObject {
 public:
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtrClear(Size(size));
  }
};
