#include "TextUtils.h"

void NumToString(SInt32 theNum, Str255 theString) {
  if (theString == nullptr) return;
  // Magnitude in unsigned arithmetic, so the most negative value has one too.
  UInt32 magnitude = theNum < 0 ? 0u - UInt32(theNum) : UInt32(theNum);
  unsigned char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<unsigned char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int len = 0;
  if (theNum < 0) theString[1 + len++] = '-';
  while (count > 0) theString[1 + len++] = digits[--count];
  theString[0] = static_cast<unsigned char>(len);
}

void StringToNum(ConstStr255Param theString, SInt32* theNum) {
  if (theNum == nullptr) return;
  if (theString == nullptr) {
    *theNum = 0;
    return;
  }
  const int len = theString[0];
  int pos = 1;
  bool negative = false;
  if (len >= 1 && (theString[1] == '-' || theString[1] == '+')) {
    negative = theString[1] == '-';
    pos = 2;
  }
  UInt32 value = 0;
  for (; pos <= len; ++pos) value = value * 10u + UInt32(theString[pos] - '0');
  if (negative) value = 0u - value;
  *theNum = static_cast<SInt32>(value);
}
