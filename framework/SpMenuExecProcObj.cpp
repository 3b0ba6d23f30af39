#include "SpMenuExecProcObj.h"

#include "MacMemory.h"

// ---- cSpMenuExecuteProcItem -----------------------------------------------------------------

unsigned char cSpMenuExecuteProcItem::ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item,
                                                       SInt32 itemNo,
                                                       sSpModifiersDataStruct& modifiers) {
  if (proc_ == nullptr) return 0;
  return proc_(menu, item, itemNo, modifiers, userData_);
}

// Entries live in the Memory Manager's heap, so a failing allocation can be tested.
void* cSpMenuExecuteProcItem::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NewPtr(Size(size));
}
void cSpMenuExecuteProcItem::operator delete(void* p) noexcept {
  DisposePtr(static_cast<Ptr>(p));
}
void cSpMenuExecuteProcItem::operator delete(void* p, const std::nothrow_t&) noexcept {
  DisposePtr(static_cast<Ptr>(p));
}

// ---- cSpMenuItemExecuteProcItem -------------------------------------------------------------

unsigned char cSpMenuItemExecuteProcItem::ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item,
                                                           sSpModifiersDataStruct& modifiers) {
  if (proc_ == nullptr) return 0;
  return proc_(menu, item, modifiers, userData_);
}

void* cSpMenuItemExecuteProcItem::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NewPtr(Size(size));
}
void cSpMenuItemExecuteProcItem::operator delete(void* p) noexcept {
  DisposePtr(static_cast<Ptr>(p));
}
void cSpMenuItemExecuteProcItem::operator delete(void* p, const std::nothrow_t&) noexcept {
  DisposePtr(static_cast<Ptr>(p));
}
