// Apple Help: registering an application's help book.
//
// Linux has no help viewer that reads help books, so no book can be registered: the call
// answers as the help system does for a bundle without a help book it can use.
#pragma once

#include "Files.h"
#include "MacTypes.h"

enum : OSStatus {
  kAHInternalErr = -10790,
  kAHInternetConfigPrefErr = -10791,
};

// paramErr for a null reference; kAHInternalErr otherwise (no book can be registered).
OSStatus AHRegisterHelpBook(const FSRef* appBundleRef);
