// Process Manager: the one process there is, this program.
#pragma once

#include "MacTypes.h"

enum : OSErr { procNotFound = -600 };

struct ProcessInfoRec {
  UInt32 processInfoLength;
  StringPtr processName;  // filled when not null: the program's name, at most 31 bytes
  ProcessSerialNumber processNumber;
  UInt32 processType;
  OSType processSignature;
  UInt32 processMode;
  Ptr processLocation;
  UInt32 processSize;
  UInt32 processFreeMem;
  ProcessSerialNumber processLauncher;
  UInt32 processLaunchDate;
  UInt32 processActiveTime;
  FSSpecPtr processAppSpec;  // see GetProcessInformation
};
typedef ProcessInfoRec* ProcessInfoRecPtr;

// The signature this program reports.
enum : OSType { kSpProcessSignature = 0x3F3F3F3F /* '????' */ };

// This program's serial number: {0, kCurrentProcess}.
OSErr GetCurrentProcess(ProcessSerialNumber* psn);

// Facts about this program; psn is {0, kCurrentProcess} (or what GetCurrentProcess gave),
// any other process is procNotFound. The name is the executable's base name. The size is
// the fixed free memory of the Memory Manager (16 MiB) plus the executable's size, the free
// memory the fixed 16 MiB; the launch date is tick 0.
//
// processAppSpec (when given) receives the executable's location as the file layer sees it;
// fnfErr when the system does not tell where the executable is.
OSErr GetProcessInformation(const ProcessSerialNumber* psn, ProcessInfoRec* info);
