// Mouse tracing: hover areas of windows whose enter, leave and inside procedures run as the
// mouse moves. Owners switch tracing off around their own modal work.
#pragma once

#include "MacTypes.h"

void Sp_DisableMouseTrace();
void Sp_EnableMouseTrace(unsigned char runNow);
void SpMouseTraceEventProcedure();
void SpMouseTraceSuspendEventProc();
void SpMouseTraceQuitProc();
// True while tracing is switched off.
Boolean Sp_IsMouseTraceDisabled();
