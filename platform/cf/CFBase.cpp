// Reference counting and the identity calls shared by every CF type.
#include "CFBase.h"

#include "detail/CFObjects.h"

namespace {

SpCFAllocator gSystemAllocator;
SpCFAllocator gMallocAllocator;
SpCFAllocator gNullAllocator;
SpCFNull gNull;

}  // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorMalloc = &gMallocAllocator;
const CFAllocatorRef kCFAllocatorNull = &gNullAllocator;
const CFNullRef kCFNull = &gNull;

CFTypeID CFNullGetTypeID() {
  return sp_cf::kTypeNull;
}

CFTypeRef CFRetain(CFTypeRef cf) {
  sp_cf::Object* o = const_cast<sp_cf::Object*>(sp_cf::AsObject(cf));
  if (o != nullptr && !o->immortal) ++o->retainCount;
  return cf;
}

void CFRelease(CFTypeRef cf) {
  sp_cf::Object* o = const_cast<sp_cf::Object*>(sp_cf::AsObject(cf));
  if (o == nullptr || o->immortal) return;
  if (--o->retainCount == 0) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  const sp_cf::Object* o = sp_cf::AsObject(cf);
  if (o == nullptr) return 0;
  return o->immortal ? CFIndex(0x7FFFFFFF) : o->retainCount;
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
  const sp_cf::Object* o = sp_cf::AsObject(cf);
  return o == nullptr ? 0 : o->typeID;
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  const sp_cf::Object* a = sp_cf::AsObject(cf1);
  const sp_cf::Object* b = sp_cf::AsObject(cf2);
  if (a == nullptr || b == nullptr) return false;
  if (a == b) return true;
  if (a->typeID != b->typeID) return false;
  return a->Equal(*b);
}

CFHashCode CFHash(CFTypeRef cf) {
  const sp_cf::Object* o = sp_cf::AsObject(cf);
  return o == nullptr ? 0 : o->Hash();
}
