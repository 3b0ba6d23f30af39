// The font bagger: recorded font ids with their names, mapped to the numbers the fonts of the
// same names have on the running system.
//
// Failures beep and leave one error-log record with the source "SpFontBaggerObj".
#pragma once

#include <new>

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

enum : SInt32 { kFontBaggerNameSize = 512 };

class cFontBaggerItem : public cSpListLinks<cFontBaggerItem>, public cSpMacHeapObject {
 public:
  // The name the running system gives the id (0: the system font's, 1: the application
  // font's); the current id is the id itself.
  explicit cFontBaggerItem(SInt32 fontId);
  // The given name, and the number the running system gives it (0 when no such font is
  // installed). A null name is reported and the item is made as by the one-argument form.
  cFontBaggerItem(SInt32 fontId, const char* fontName);

  // The recorded id and the name (nameOut holds kFontBaggerNameSize bytes).
  void GetInfo(SInt32& fontId, char* nameOut) const;
  unsigned char IsEquralFontId(SInt32 fontId) const { return fontId == fontId_ ? 1 : 0; }
  SInt32 GetFontId() const { return fontId_; }
  SInt32 GetCurrentSysFontId() const { return currentId_; }

 private:
  void NameFromSystem(SInt32 fontId);

  SInt32 fontId_ = 0;
  char name_[kFontBaggerNameSize] = {0};
  SInt32 currentId_ = 0;
};

// Items in ascending order of recorded id (each at most once); the bagger owns them.
class cFontBagger : public cSpMacHeapObject {
 public:
  cFontBagger() = default;
  ~cFontBagger();
  cFontBagger(const cFontBagger&) = delete;
  cFontBagger& operator=(const cFontBagger&) = delete;

  void RegisterFontId(SInt32 fontId);
  void RegisterFontIdAndName(SInt32 fontId, const char* fontName);
  UInt32 GetFontItemNum() const { return count_; }
  cFontBaggerItem* GetFontItemList() const { return first_; }
  // 1 and the current id of the recorded id; 0 with currentId left alone when there is none.
  unsigned char ChangeTargeFontIdToCurrentSysId(SInt32 recordedId, SInt32& currentId) const;

 private:
  // Adds the item unless its id is there already (the item is then deleted).
  void Insert(cFontBaggerItem* item);

  UInt32 count_ = 0;
  cFontBaggerItem* first_ = nullptr;
  cFontBaggerItem* last_ = nullptr;
};
