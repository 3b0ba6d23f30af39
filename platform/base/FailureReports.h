// Failures the layer finds on its own, with nobody to answer to (a file it keeps for the
// program cannot be read, or cannot be saved at exit), reach the program's error log through a
// recorder the program installs at start-up. Until one is installed they go to standard error.
#pragma once

#include "MacTypes.h"

namespace sp_platform {

typedef void (*FailureRecorder)(const char* source, const char* method, SInt32 code,
                                const char* message);

// A null recorder puts standard error back.
void SetFailureRecorder(FailureRecorder recorder);
// One record; a failure found while a record is being made (the error log's own file, say)
// is dropped rather than recorded in a loop.
void RecordFailure(const char* source, const char* method, SInt32 code, const char* message);

}  // namespace sp_platform
