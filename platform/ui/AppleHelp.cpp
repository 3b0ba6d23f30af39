#include "AppleHelp.h"

OSStatus AHRegisterHelpBook(const FSRef* appBundleRef) {
  if (appBundleRef == nullptr) return paramErr;
  return kAHInternalErr;
}
