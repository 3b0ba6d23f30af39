// Registered procedures as the framework keeps them.
//
// A callback slot is a procedure and the pointer-sized value handed back to it. A procedure
// entry is one item of a procedure list: the procedure, its user data and the reference number
// it was registered under, the key for removing it again. A listed class derives from
// cSpProcEntry<itself, its procedure type> and adds the call, whose form differs per list.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

template <class TProc>
struct sSpCallback {
  TProc proc = nullptr;
  unsigned long userData = 0;  // pointer-sized: usually the registering object
};

template <class TSelf, class TProc>
class cSpProcEntry : public cSpListLinks<TSelf>, public cSpMacHeapObject {
 public:
  cSpProcEntry(SInt32 refNum, TProc proc, unsigned long userData)
      : refNum_(refNum), proc_(proc), userData_(userData) {}
  cSpProcEntry(const cSpProcEntry&) = delete;
  cSpProcEntry& operator=(const cSpProcEntry&) = delete;

  // Clears the number, the procedure and the user data.
  void StartUpInitialize() {
    refNum_ = 0;
    proc_ = nullptr;
    userData_ = 0;
  }
  SInt32 GetRefNum() const { return refNum_; }
  // 1 when the entry carries that reference number.
  unsigned char EqualRefNum(SInt32 refNum) const { return (refNum_ == refNum) ? 1 : 0; }
  // Takes the entry out of its list, joining its neighbours (the owner mends its ends).
  void UnlinkFromList() { this->UnlinkSelf(); }

 protected:
  ~cSpProcEntry() = default;

  SInt32 refNum_ = 0;
  TProc proc_ = nullptr;
  unsigned long userData_ = 0;
};
