#include "Random.h"

namespace {
SInt32 gSeed = 1;
}

SInt32 GetRandomSeed() {
  return gSeed;
}

void SetRandomSeed(SInt32 seed) {
  // Zero would stay zero for ever; the multiplicative generator needs 1 .. 2^31 - 2.
  UInt32 s = UInt32(seed) & 0x7FFFFFFFu;
  gSeed = (s == 0 || s == 0x7FFFFFFFu) ? 1 : SInt32(s);
}

short Random() {
  gSeed = SInt32((SInt64(gSeed) * 16807) % 0x7FFFFFFF);
  SInt16 r = SInt16(UInt16(gSeed & 0xFFFF));
  return r == -32768 ? 0 : r;
}
