// The framework's number and system helpers: integers and floating-point values to and from
// decimal text with the framework's own rounding rules, float comparison at a number of
// decimals, BCD bytes, byte-order swaps, the 80-bit extended format of AIFF headers, random
// integers, the system, processor and application versions, the process-wide mode flags, and
// the framework's record of the modifier keys.
//
// All text is zero-terminated and uses ASCII digits, '-' and '.'. Every function that writes
// text states the most it writes, terminator included; the caller's buffer must hold that.
// Failures (a null required pointer) sound the beep, log one record and write nothing.
#pragma once

#include "MacTypes.h"

// An unpacked version number.
struct sNumVersion {
  SInt32 majorRev;
  SInt32 minorRev;
  SInt32 fixLevel;
  UInt8 stage;  // developStage 0x20, alphaStage 0x40, betaStage 0x60, finalStage 0x80
};

// The modifier keys of a key or click, one flag each (1 held, 0 not).
struct sSpModifiersDataStruct {
  Boolean commandFlag;
  Boolean shiftFlag;
  Boolean capsLockFlag;
  Boolean optionFlag;
  Boolean controlFlag;
};

// ---- Integers and text ---------------------------------------------------------------------

// Largest text of a 32-bit integer: "-2147483648" and its terminator.
enum { kSpNumberTextSize = 12 };

// The decimal text of the number; writes at most kSpNumberTextSize bytes.
void Sp_NumberToString(SInt32 value, char* text);
// The number of a decimal text (an optional sign, then digits; other bytes are not checked, as
// StringToNum does not check them); an empty text leaves the value unchanged. Texts longer
// than 255 bytes are read from their first 255 bytes.
void Sp_StringToNumber(const char* text, SInt32* value);
// The number's text preceded by '0's up to width characters (a '-' sign stays after the
// zeros). The width is taken as at most 255; writes at most 256 bytes.
void Sp_NumberToStringAddZero(SInt32 value, SInt32 width, char* text);
// The number of decimal digits of the number, at least 1; the sign is not counted.
SInt32 Sp_GetKetasu(SInt32 value);

UInt8 Sp_BCD_To_Number(UInt8 bcd);
UInt8 Sp_Number_To_BCD(UInt8 number);

// The value with its bytes reversed (nothing for a null out).
void Sp_BigEndianBetweenLittleEndianForLong(UInt32 value, UInt32* out);
void Sp_BigEndianBetweenLittleEndianForShort(UInt16 value, UInt16* out);

// The 80-bit extended form of the value (the sample-rate field of AIFF headers).
void Sp_DoubleToFloat80(double value, Float80* out);

// ---- Floating point and text ---------------------------------------------------------------

// Largest text the float and double formatters write, terminator included. Decimals are taken
// as at most kSpMaxFloatDecimals, and integer parts of 10^39 and more (only doubles and
// infinities reach them) are written as 39 nines; a NaN reads as 0. Together these keep every
// text within kSpFloatTextSize.
enum { kSpFloatTextSize = 64, kSpMaxFloatDecimals = 20 };

// The value of a decimal text: digits, at most one '.', more digits (an optional leading
// sign). An empty text stores 0. Returns 1 when a value was stored.
Boolean Sp_StringToFloat(const char* text, float* value);
Boolean Sp_StringToDouble(const char* text, double* value);
// The value with exactly `decimals` digits after the point, rounded half up digit by digit
// (no point when decimals is 0 or less). Writes at most kSpFloatTextSize bytes.
void Sp_FloatToString(float value, char* text, short decimals);
// The value rounded half up at `decimals` digits, trailing zeros dropped but at least
// `minimumDecimals` shown; "0" for zero. Writes at most kSpFloatTextSize bytes.
void Sp_FloatToString2(float value, char* text, short decimals, short minimumDecimals);
void Sp_DoubleToString2(double value, char* text, short decimals, short minimumDecimals);
// The value with `decimals` digits, rounded up when the next digit is at least roundUpDigit
// (5 rounds half up, 0 truncates). Writes at most kSpFloatTextSize bytes.
void Sp_FloatToStringRound(float value, char* text, short decimals, short roundUpDigit);
// The value rounded half up to `decimals` decimals (unchanged for 0 or less).
void Sp_FloatRound(float value, float* out, short decimals);
// The value truncated toward zero; with round, rounded half away from zero on its first
// fraction digit.
void Sp_flot2long(float value, SInt32* out, Boolean round);
// The value truncated to an unsigned 32-bit integer (negative values give 0, values beyond
// the range 0xFFFFFFFF).
void Sp_flot2unsignedLong(double value, UInt32* out);
// 1 when a is greater than b at `decimals` decimals, -1 when smaller, 0 when equal.
short Sp_flortcmp(float a, float b, short decimals);

// ---- Random numbers ------------------------------------------------------------------------

// A pseudo-random integer from low to high (high itself when low is above high).
void Sp_GetRandomIntNumber(short low, short high, short* out);
// A number from the smaller to the larger of a and b, taken from the tick count.
UInt32 Sp_GetRandomIntNumberByTick(UInt32 a, UInt32 b);

// ---- Versions and system -------------------------------------------------------------------

// The system version (e.g. 10, 4, 9); each out-value may be null. 0 when unknown.
Boolean Sp_GetSystemVersion(short* major, short* minor, short* fixLevel);
// The processor type and clock; each out-value may be null. 0 when a query fails.
Boolean Sp_GetCPUVersion(SInt32* processor, SInt32* clock);
// The version in the application's 'vers' resource of that id. 0 when it is missing.
Boolean Sp_GetApplicatinVersion(short resID, sNumVersion* version);
// Unpacks a packed version.
void Sp_BCDVersionToVersion(NumVersion packed, sNumVersion* version);
// The version of the main bundle ("CFBundleVersion", major.minor.fix), stage final.
Boolean Sp_GetApplicatinVersionInBandle(sNumVersion* version);
// The application's partition size and free memory.
OSErr Sp_GetApplicatinHeapInfo(SInt32& size, SInt32& freeSize);
// The folder that holds the application: its volume and directory id, and, when name is not
// null, the application's name (with the bundle layout the bundle's classic name): at most 31
// bytes and the terminator. 0, or the error of the look-up.
OSErr Sp_GetApplicatinFolderInfo(short& vRefNum, SInt32& dirID, char* name);

// The Carbon-event mode flag, set once at start-up before the toolbox is initialised.
void Sp_CarbonEvent_ModeEnable();
Boolean Sp_Is_CarbonEvent_ModeEnable();
// The bundle layout flag.
void Sp_BundleProjectTypeEnable();
Boolean Sp_IsBundleProjectType();

// ---- Modifier keys -------------------------------------------------------------------------

// The modifier keys held now (not those of an event), as event modifier bits and/or as the
// record; at least one out-value must be given.
Boolean Sp_GetModifiers(short* modifiers, sSpModifiersDataStruct* info);
// The event modifier bits of the set flags.
void Sp_ModifiersDataInfoToModifiersValue(sSpModifiersDataStruct& info, short& modifiers);
// Each flag 1 when its event modifier bit is set, else 0.
void Sp_ModifiersValueToModifiersDataInfo(short modifiers, sSpModifiersDataStruct& info);
// True when some modifier is set in both keys and flags; result (optional, cleared first)
// marks those modifiers.
Boolean Sp_CheckEnableModifierKeyOnEnableFlag(const sSpModifiersDataStruct* keys,
                                              const sSpModifiersDataStruct* flags,
                                              sSpModifiersDataStruct* result);
// True when some modifier is set in keys and clear in flags; result (optional, cleared first)
// marks those modifiers.
Boolean Sp_CheckEnableModifierKeyOnDisableFlag(const sSpModifiersDataStruct* keys,
                                               const sSpModifiersDataStruct* flags,
                                               sSpModifiersDataStruct* result);
