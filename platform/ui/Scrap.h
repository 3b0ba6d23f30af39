// Scrap Manager: the clipboard as flavours of one scrap.
//
// How it works here:
// - There is one current scrap. ClearCurrentScrap empties it and makes a new one: a ScrapRef
//   taken before is stale from then on (badScrapRefErr). GetCurrentScrap answers the current
//   one.
// - The 'TEXT' flavour (MacJapanese bytes, carriage returns between lines) is the clipboard's
//   text that dialogs' edit fields cut, copy and paste too; with a display it is the desktop's
//   clipboard, converted to and from UTF-8, so text copied in another program reads back as
//   'TEXT'. The 'utxt' flavour is the same text as UTF-16 in the machine's byte order, with
//   every character the desktop's text holds (MacJapanese lacks some: 'TEXT' has '?' there).
//   A scrap holding text holds both. Putting 'utxt' after 'TEXT' replaces the text with the
//   fuller Unicode form; putting 'TEXT' after 'utxt' keeps the Unicode form.
//   Every other flavour ('styl', ...) stays in this process with the text it was put
//   beside, and is gone once the clipboard's text changes under it or another program takes
//   the desktop's clipboard, even with the same text.
// - The change count (GetScrapChangeCount, this layer's own call) goes up whenever the
//   clipboard's contents change: a clear, a put, or another text found there (an edit
//   field's copy, another program's), so a watcher notices changes that keep the number of
//   flavours. Another program's copy is noticed when the clipboard is next looked at
//   (GetCurrentScrap, GetScrapFlavorCount, GetScrapChangeCount).
// - PutScrapFlavor adds a flavour once (duplicateScrapFlavorErr the second time); flags other
//   than kScrapFlavorMaskNone, kScrapFlavorMaskSenderOnly and kScrapFlavorMaskTranslated are
//   refused, and so are a negative size and missing data for a non-empty flavour (promises
//   are not kept).
// - GetScrapFlavorData copies at most *byteCount bytes and sets *byteCount to what it copied.
#pragma once

#include "MacTypes.h"

typedef struct OpaqueScrapRef* ScrapRef;
typedef FourCharCode ScrapFlavorType;
typedef UInt32 ScrapFlavorFlags;

enum : ScrapFlavorType {
  kScrapFlavorTypeText = 0x54455854,       // 'TEXT'
  kScrapFlavorTypeTextStyle = 0x7374796C,  // 'styl'
  kScrapFlavorTypeUnicode = 0x75747874,    // 'utxt'
};

enum : ScrapFlavorFlags {
  kScrapFlavorMaskNone = 0,
  kScrapFlavorMaskSenderOnly = 1,
  kScrapFlavorMaskTranslated = 2,
};

enum : OSStatus {
  noTypeErr = -102,
  scrapFlavorNotFoundErr = -102,
  internalScrapErr = -4988,
  duplicateScrapFlavorErr = -4989,
  badScrapRefErr = -4990,
  nilScrapFlavorDataErr = -4994,
  illegalScrapFlavorFlagsErr = -4997,
  illegalScrapFlavorSizeErr = -4999,
};

OSStatus GetCurrentScrap(ScrapRef* scrap);
OSStatus ClearCurrentScrap();
OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void* flavorData);
OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount);
OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount,
                            void* destination);
// The number of flavours the scrap holds.
OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32* infoCount);
// The clipboard's change count (see above); it never goes back.
OSStatus GetScrapChangeCount(UInt32* changeCount);
