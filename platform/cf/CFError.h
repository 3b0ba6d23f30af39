// CFError: the error object of the property-list reader.
#pragma once

#include "CFBase.h"
#include "CFString.h"

typedef struct SpCFError* CFErrorRef;
typedef CFStringRef CFErrorDomain;

extern const CFErrorDomain kCFErrorDomainCocoa;

CFTypeID CFErrorGetTypeID();
CFErrorDomain CFErrorGetDomain(CFErrorRef err);
CFIndex CFErrorGetCode(CFErrorRef err);
CFStringRef CFErrorCopyDescription(CFErrorRef err);
