// Font Manager: font family numbers and names, the system and application fonts.
//
// Every family is a scalable font found through fontconfig and drawn with FreeType. Numbers
// are stable: one table in the layer gives each family the platform knows a fixed number,
// and a family is present when fontconfig finds it on the machine.
//
//   0 (systemFont)      the system font: IPA Gothic
//   1 (applFont)        the application font: IPA Gothic
//   16384 "IPAGothic"   16385 "IPAPGothic"   16386 "IPAMincho"   16387 "IPAPMincho"
//   20 serif, 21 sans serif, 22 monospaced Western families ("DejaVu Serif",
//   "DejaVu Sans", "DejaVu Sans Mono", or the Liberation or FreeFont families when those are
//   the ones installed)
//
// Names are MacJapanese bytes. A family answers to its fontconfig family name and to each
// localised name fontconfig gives it ("IPA\x83\x53\x83\x56\x83\x62\x83\x4E" for IPA Gothic).
#pragma once

#include "MacTypes.h"

enum : SInt16 { systemFont = 0, applFont = 1 };

// The family number of the font named `name` (compared byte for byte, case-sensitively); 0
// when no installed family has that name. A null argument does nothing.
void GetFNum(ConstStr255Param name, SInt16* familyID);

// The name of the family, as a length-prefixed string; 0 and 1 give the names of the system
// and application fonts' families. An unknown number gives the empty string. A null name
// does nothing.
void GetFontName(SInt16 familyID, Str255 name);

// The family numbers of the system and application fonts (never 0 or 1: the real family's).
SInt16 GetSysFont();
SInt16 GetAppFont();

// The size used when a port's text size is 0: 12.
SInt16 GetDefFontSize();

// True when the font can be drawn at this size without scaling a bitmap. Every font of this
// platform is an outline font, so every size from 1 up is real.
Boolean RealFont(short fontNum, short size);
