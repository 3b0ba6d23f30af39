// Fixed-width toolbox types, the geometry records and the result codes.
//
// The program's data model is 32-bit: a "long" of the original interfaces is SInt32 here,
// wherever a value is stored, serialised or bit-manipulated. Reference values that carry
// object pointers (refcons, user data) are URefCon, which is pointer-sized.
#pragma once

#include <cstddef>
#include <cstdint>

typedef std::uint8_t UInt8;
typedef std::int8_t SInt8;
typedef std::uint16_t UInt16;
typedef std::int16_t SInt16;
typedef std::uint32_t UInt32;
typedef std::int32_t SInt32;
typedef std::uint64_t UInt64;
typedef std::int64_t SInt64;

typedef unsigned char Boolean;
typedef UInt8 Byte;
typedef SInt8 SignedByte;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef SInt32 Fixed;
typedef UInt32 UnsignedFixed;
typedef SInt32 Size;
typedef float Float32;
typedef double Float64;
typedef UInt16 UniChar;
typedef UInt32 UniCharCount;
typedef SInt16 ScriptCode;
typedef SInt16 LangCode;
typedef UInt32 TextEncoding;
typedef SInt64 LongDateTime;
typedef UInt32 ItemCount;
typedef UInt32 ByteCount;
typedef std::uintptr_t URefCon;  // carries object pointers: pointer-sized

typedef char* Ptr;
typedef Ptr* Handle;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str32[33];
typedef unsigned char Str31[32];
typedef unsigned char Str27[28];
typedef unsigned char Str15[16];
typedef unsigned char* StringPtr;
typedef StringPtr* StringHandle;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;
typedef const unsigned char* ConstStr63Param;
typedef const unsigned char* ConstStr31Param;

enum : Boolean { kSpFalse = 0, kSpTrue = 1 };
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct Point {
  SInt16 v;
  SInt16 h;
};
typedef Point* PointPtr;

struct Rect {
  SInt16 top;
  SInt16 left;
  SInt16 bottom;
  SInt16 right;
};
typedef Rect* RectPtr;

struct RGBColor {
  UInt16 red;
  UInt16 green;
  UInt16 blue;
};

struct UnsignedWide {
  UInt32 hi;
  UInt32 lo;
};

// A packed version: major revision in BCD, minor and bug-fix revision in one byte's two
// nibbles, the release stage, and the non-release revision.
struct NumVersion {
  UInt8 majorRev;
  UInt8 minorAndBugRev;
  UInt8 stage;
  UInt8 nonRelRev;
};
enum : UInt8 { developStage = 0x20, alphaStage = 0x40, betaStage = 0x60, finalStage = 0x80 };

// The 80-bit IEEE 754 extended format of AIFF headers, held as its ten big-endian bytes.
struct Float80 {
  UInt8 bytes[10];
};
typedef Float80 extended80;

struct ProcessSerialNumber {
  UInt32 highLongOfPSN;
  UInt32 lowLongOfPSN;
};
enum { kNoProcess = 0, kSystemProcess = 1, kCurrentProcess = 2 };

// A file location: volume, parent directory id and a length-prefixed name of at most 63 bytes.
struct FSSpec {
  SInt16 vRefNum;
  SInt32 parID;
  Str63 name;
};
typedef FSSpec* FSSpecPtr;

// Four-character codes written as integers: 'TEXT' is built in big-endian order.
constexpr FourCharCode SpFourCC(const char (&s)[5]) {
  return (FourCharCode(UInt8(s[0])) << 24) | (FourCharCode(UInt8(s[1])) << 16) |
         (FourCharCode(UInt8(s[2])) << 8) | FourCharCode(UInt8(s[3]));
}

// Result codes, with the toolbox's values.
enum : OSErr {
  noErr = 0,
  unimpErr = -4,
  qErr = -1,
  dirFulErr = -33,
  dskFulErr = -34,
  nsvErr = -35,
  ioErr = -36,
  bdNamErr = -37,
  fnOpnErr = -38,
  eofErr = -39,
  posErr = -40,
  mFulErr = -41,
  tmfoErr = -42,
  fnfErr = -43,
  wPrErr = -44,
  fLckdErr = -45,
  vLckdErr = -46,
  fBsyErr = -47,
  dupFNErr = -48,
  opWrErr = -49,
  paramErr = -50,
  rfNumErr = -51,
  gfpErr = -52,
  volOffLinErr = -53,
  permErr = -54,
  wrPermErr = -61,
  memFullErr = -108,
  nilHandleErr = -109,
  memWZErr = -111,
  dirNFErr = -120,
  badMovErr = -122,
  wrgVolTypErr = -123,
  userCanceledErr = -128,
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  rmvResFailed = -196,
  resAttrErr = -198,
  mapReadErr = -199,
  gestaltUnknownErr = -5550,
  gestaltUndefSelectorErr = -5551,
  gestaltDupSelectorErr = -5552,
  fidNotFound = -1300,
  fidExists = -1301,
  errFSNoMoreItems = -1417,
  errAENotAEDesc = -1704,
  errAEEventNotHandled = -1708,
  paramErrTEC = -8770,
  kTECNoConversionPathErr = -8749,
  kTECUnmappableElementErr = -8768,
  kTECPartialCharErr = -8753,
  kTECOutputBufferFullStatus = -8785,
};

enum : OSStatus {
  eventNotHandledErr = -9874,
  eventLoopTimedOutErr = -9875,
  eventInternalErr = -9868,
};
