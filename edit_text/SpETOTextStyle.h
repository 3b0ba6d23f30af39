// Text styles of the edit-text engine and the style scrap ('styl').
//
// Styled text travels beside its plain bytes ('TEXT') as a style table: a signed 16-bit count
// and 20-byte elements, big-endian, each giving the first byte of a stretch and its line
// height, ascent, font, face, size and colour. An element ends one byte before the next one
// starts; the last reaches to the end of the text. A table without elements has no scrap.
//
// A scrap comes from other programs (the clipboard, drags), so it is read with its size: only
// the elements that the bytes hold are taken, and elements whose start lies past the text are
// pinned to its end when the table is laid over runs.
//
// Failures beep and leave one error-log record with the source "SpETOTextStyle" (the free
// functions over runs: "SpETOTextStyleRunObject").
#pragma once

#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cTextStyleRunObject;

struct sETOStyleInfo {
  SInt32 start;  // first byte of the stretch
  SInt32 end;    // its last byte; -1: to the end of the text
  SInt16 lineHeight;
  SInt16 ascent;
  SInt16 font;
  Style face;
  UInt8 filler;
  SInt16 size;
  RGBColor color;
};

enum : SInt32 {
  kETOStyleScrapHeaderSize = 2,
  kETOStyleScrapElementSize = 20,
};

void SpETOT_InitializeTextStyleInfo(sETOStyleInfo& info);

class cETOStyleElement : public cSpListLinks<cETOStyleElement>, public cSpMacHeapObject {
 public:
  cETOStyleElement() = default;

  void SetupStartPosition(SInt32 start) { start_ = start; }
  void SetupEndPosition(SInt32 end) { end_ = end; }
  void SetupLineHeight(SInt16 height) { lineHeight_ = height; }
  void SetupAscnt(SInt16 ascent) { ascent_ = ascent; }
  // 0 stores the system font's number, 1 the application font's.
  void SetupFontNo(SInt16 font);
  void SetupTextFace(unsigned char face) { face_ = face; }
  // Below 1: the default size.
  void SetupTextSize(SInt16 size);
  void SetupTextColor(const RGBColor* color);
  // All fields, the end taken from the list (the next start - 1, or -1 for the last). A start
  // past that end is reported; the record is filled all the same.
  void GetStyleInfo(sETOStyleInfo& info) const;
  SInt32 GetStartPosition() const { return start_; }

 private:
  SInt32 start_ = 0;
  SInt32 end_ = -1;
  SInt16 lineHeight_ = 0;
  SInt16 ascent_ = 0;
  SInt16 font_ = 0;
  Style face_ = 0;
  SInt16 size_ = 0;
  RGBColor color_{0, 0, 0};
};

class cETOTextStyleBase : public cSpListLinks<cETOTextStyleBase>, public cSpMacHeapObject {
 public:
  cETOTextStyleBase() = default;
  ~cETOTextStyleBase() { ClearStyleElement(); }
  cETOTextStyleBase(const cETOTextStyleBase&) = delete;
  cETOTextStyleBase& operator=(const cETOTextStyleBase&) = delete;

  // Reads a scrap of `size` bytes into a new element list (elements held before are released
  // first). Takes min(count, (size - 2) / 20) elements. 1 on success; 0 for a null scrap, a
  // size below 2, a count of 0 or less, or memory that ran out before the first element.
  unsigned char SetupStyleData(const char* scrap, SInt32 size);
  cETOStyleElement* SetupNewStyleData(const sETOStyleInfo& info);
  SInt32 GetStyleScrapDataSize() const;
  unsigned char SaveStyleScrapData(char* buffer, SInt32 size, unsigned char& overflow) const;
  // A zero-filled block (NewPtrClear) holding the scrap, which the caller frees with
  // DisposePtr; null with size 0 without elements.
  char* CreateStyleScrapData(SInt32& size) const;
  void ClearStyleElement();
  cETOStyleElement* GetStyleElementListHeadPtr() const { return head_; }

 private:
  void Append(cETOStyleElement* element);

  cETOStyleElement* head_ = nullptr;
  cETOStyleElement* tail_ = nullptr;
};

// Appends to the table the elements that describe the runs (tabs and line breaks one byte,
// joined to the element of the text around them when their style matches).
void SpETO_SetupStyleDataFromRunList(cETOTextStyleBase* table, cTextStyleRunObject* head);
// Lays the table's styles over runs made from the same text in one style: every byte takes the
// style of the element that covers it; runs are cut at element bounds and then re-measured.
void SpETO_MargeStyleDataIntoRunList(const char* text, cTextStyleRunObject* head,
                                     cETOTextStyleBase* table);
