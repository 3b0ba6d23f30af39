// Memory Manager: pointers and handles on the C heap.
//
// A pointer block remembers its requested size; a handle is a master pointer that holds the
// block, its size and its lock state. MaxBlock and FreeMem answer a fixed 16 MiB so that
// buffer sizes chosen from them are the same on every machine. Every allocation can be made
// to fail on purpose from the test API, so that memory-failure paths are exercised.
#pragma once

#include "MacTypes.h"

enum : Size { kSpFixedFreeMemory = 16 * 1024 * 1024 };

Ptr NewPtr(Size byteCount);
Ptr NewPtrClear(Size byteCount);
void DisposePtr(Ptr p);
Size GetPtrSize(Ptr p);
void SetPtrSize(Ptr p,
                Size newSize);  // only shrinking in place is possible; growth sets memFullErr

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void SetHandleSize(Handle h, Size newSize);
void HLock(Handle h);
void HUnlock(Handle h);
SInt8 HGetState(Handle h);
void HSetState(Handle h, SInt8 flags);
void HNoPurge(Handle h);
void HPurge(Handle h);
void MoveHHi(Handle h);
OSErr HandToHand(Handle* theHndl);
OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size);
OSErr PtrAndHand(const void* ptr1, Handle hand2, Size size);
OSErr HandAndHand(Handle hand1, Handle hand2);

OSErr MemError();
Size MaxBlock();
SInt32 FreeMem();
void MoreMasters();

void BlockMove(const void* srcPtr, void* destPtr, Size byteCount);
void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);
void BlockZero(void* destPtr, Size byteCount);
