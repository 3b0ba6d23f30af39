// The one rule by which the file dialogs' lists keep and hand out names (MacJapanese,
// zero-terminated): a name is kept or copied whole when it fits with its terminator, and
// otherwise cut on a character boundary.
#pragma once

#include "MacTypes.h"

// Copies at most `limit` bytes of whole characters of the name, and the terminator, into out
// (limit + 1 bytes); a null name gives "".
void SpNav_CopyName(const char* name, char* out, SInt32 limit);
// Copies the name into a buffer of `size` bytes (at least 1); answers 1 when it had to be cut.
unsigned char SpNav_CopyNameOut(const char* name, char* buffer, SInt32 size);
