#include "SpNavigationNames.h"

#include <algorithm>
#include <cstring>

#include "SpStdFunction.h"

void SpNav_CopyName(const char* name, char* out, SInt32 limit) {
  if (name == nullptr || limit <= 0) {
    if (out != nullptr) out[0] = '\0';
    return;
  }
  // Whole characters only: a two-byte character is never split.
  Sp_CutStringByByteLen(name, short(std::min<SInt32>(limit, 32767)), out);
}

unsigned char SpNav_CopyNameOut(const char* name, char* buffer, SInt32 size) {
  if (buffer == nullptr || size < 1) return 1;
  const std::size_t length = name == nullptr ? 0 : std::strlen(name);
  SpNav_CopyName(name, buffer, size - 1);
  return length > std::size_t(size - 1) ? 1 : 0;
}
