#include "CFError.h"

#include <new>

#include "detail/CFObjects.h"

const CFErrorDomain kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");

namespace sp_cf {

CFErrorRef NewError(CFIndex code, const std::string& description) {
  SpCFError* e = new (std::nothrow) SpCFError();
  if (e == nullptr) return nullptr;
  e->code = code;
  e->description = description;
  return e;
}

}  // namespace sp_cf

CFTypeID CFErrorGetTypeID() {
  return sp_cf::kTypeError;
}

CFErrorDomain CFErrorGetDomain(CFErrorRef err) {
  return sp_cf::As<SpCFError>(err, sp_cf::kTypeError) == nullptr ? nullptr : kCFErrorDomainCocoa;
}

CFIndex CFErrorGetCode(CFErrorRef err) {
  const SpCFError* e = sp_cf::As<SpCFError>(err, sp_cf::kTypeError);
  return e == nullptr ? 0 : e->code;
}

CFStringRef CFErrorCopyDescription(CFErrorRef err) {
  const SpCFError* e = sp_cf::As<SpCFError>(err, sp_cf::kTypeError);
  return e == nullptr ? nullptr : sp_cf::NewStringFromUTF8(e->description);
}
