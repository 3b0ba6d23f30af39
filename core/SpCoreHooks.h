// What the core library asks of the libraries above it while the program runs: the framework's
// registry of dispose procedures (run when the program ends) and the views' test of whether
// Icon Services are there.
//
// The core cannot include those libraries, since they stand on it; each installs its hook when
// the program starts. Until then the core answers as a program without them: dispose
// procedures wait and are handed over when the registry arrives, and Icon Services count as
// absent.
#pragma once

#include "MacTypes.h"

typedef void (*tSpCoreDisposeProcPtr)(unsigned long userData);
// Registers a dispose procedure with its order and a zero user value.
typedef void (*tSpCoreDisposeRegistrarPtr)(tSpCoreDisposeProcPtr proc, SInt32 order);
typedef Boolean (*tSpCoreIconServiceCheckPtr)();

// Called by the registry's owner: the procedures registered so far are handed to it at once,
// in the order they came. A null registrar takes the hook away again (later registrations wait).
void SpCore_InstallDisposeRegistrar(tSpCoreDisposeRegistrarPtr registrar);
// For the core's own objects: registers at once when the registry is there, else keeps the
// procedure (once) until it comes. A null procedure does nothing.
void SpCore_SetupDisposeProcedure(tSpCoreDisposeProcPtr proc, SInt32 order);

// A null check puts back "no Icon Services".
void SpCore_InstallIconServiceCheck(tSpCoreIconServiceCheckPtr check);
// 1 when Icon Services are available, as the installed check answers.
Boolean SpCore_IconServicesAvailable();
