// Style runs and run sets of the edit-text engine.
//
// A line's bytes are described by a list of style runs: text of one style and one character
// kind, a single tab, or a single line break. Runs keep their pixel width and font heights, so
// lines and line breaking add them up instead of measuring again; a width holds until the
// run's bytes or style change. A run set pairs a string object with a run list: the unit in
// which styled text is cut, copied, pasted, dropped and kept for undo.
//
// A run carries its style and the kind of its characters as a pointer to a record shared by
// every run of equal style and kind: a megabyte of text makes hundreds of thousands of runs
// but a handful of styles, so the runs stay small and the walks over them stay in the cache.
//
// Widths are 32-bit: a run of many two-byte characters is wider than 32,767 pixels before it
// is wrapped. Character information is read at each character, never through a 16-bit offset
// from the text's start. A lead byte that ends the text is a one-byte character.
//
// Failures beep and leave one error-log record with the source "SpETOTextStyleRunObject".
#pragma once

#include <cstddef>
#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpStdFunction.h"
#include "SpTextStyle.h"

struct sETOStyleInfo;

typedef UInt8 tETO_StyleRunDataType;
enum : tETO_StyleRunDataType {
  kETO_TextRun = 0,
  kETO_TabRun = 1,
  kETO_LineBreakRun = 2,
};

// How SetupAttribute treats a font of the Roman script given to a run of two-byte text.
typedef SInt16 tETO_AttributeFontSetupType;
enum : tETO_AttributeFontSetupType {
  kETO_FontAsGiven = 1,
  kETO_FontJapaneseSystem = 2,
  kETO_FontJapaneseApplication = 3,
  kETO_FontKeepCurrent = 4,
};

// The style and character kind of runs, shared by every run that has equal ones. A record
// never changes: a run given another style or kind takes the record of its new one (made on
// first use) and lets go of the old (freed with its last run).
struct sETORunStyle {
  sTextStyleAttributes attributes;
  sCharactorInfoStruct charInfo;
  UInt32 hash;
  SInt32 references;  // -1: the record that never goes (stands in when memory runs out)
  sETORunStyle* nextInBucket;
  // Never given to another record, as the record's address may be once it is freed: equal
  // serials, the same record and so the same style.
  UInt64 serial;
};

// A run as a plain record.
struct sSp_StyleRunInfo {
  tETO_StyleRunDataType runType;
  SInt32 startByte;
  SInt32 byteLength;
  sTextStyleAttributes attributes;
  sCharactorInfoStruct charInfo;
  SInt32 pixelWidth;
  FontInfo fontInfo;
};

class cTextStyleRunObject : public cSpListLinks<cTextStyleRunObject>, public cSpMacHeapObject {
 public:
  // Runs live in slots of a pool whose blocks come from the Memory Manager (see
  // SpETORunPool.cpp): `new (std::nothrow)` gives null when memory runs out.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, const std::nothrow_t&) noexcept;

  cTextStyleRunObject(tETO_StyleRunDataType type, GrafPtr port);
  explicit cTextStyleRunObject(const cTextStyleRunObject* other);
  cTextStyleRunObject(const sSp_StyleRunInfo& info, GrafPtr port);
  ~cTextStyleRunObject();
  cTextStyleRunObject(const cTextStyleRunObject&) = delete;
  cTextStyleRunObject& operator=(const cTextStyleRunObject&) = delete;

  // Type, port, start, length, attributes, character information, width and heights of the
  // other run (not its number, line height or links).
  void CopyRun(const cTextStyleRunObject* other);
  void GetRunInformation(sSp_StyleRunInfo& info) const;
  // A new unlinked copy; null when memory runs out.
  cTextStyleRunObject* GetCopyRun() const;

  // ---- Attributes and style ----
  void GetAttribute(sTextStyleAttributes& attributes) const;
  void SetupAttribute(sTextStyleAttributes& attributes, tETO_AttributeFontSetupType setupType);
  unsigned char ChangeAttribute(tTextStyleAttType type, unsigned long value);
  void SetupTextColor(const RGBColor& color, SInt16 kind);
  void GetTextColor(RGBColor& color, SInt16& kind) const;
  void GetStyleInfo(sETOStyleInfo& info) const;
  void SetupStyleInfo(const sETOStyleInfo& info);
  unsigned char CompStyleInfoStyleAttribute(const sETOStyleInfo& info) const;
  void GetCharacterInfo(sCharactorInfoStruct& info) const { info = style_->charInfo; }
  void SetCharacterInfo(const sCharactorInfoStruct& info);
  tETO_StyleRunDataType GetStyleRunDataType() const { return runType_; }
  void SetStyleRunDataType(tETO_StyleRunDataType type) { runType_ = type; }
  void SetupGrafPort(GrafPtr port) { port_ = port; }
  GrafPtr GetGrafPort() const { return port_; }
  void SetupLineHeight(SInt16 height) { lineHeight_ = height; }
  SInt16 GetLineHeight() const { return lineHeight_; }
  const sTextStyleAttributes& Attributes() const { return style_->attributes; }
  const sCharactorInfoStruct& CharacterInfo() const { return style_->charInfo; }
  // True when both runs have the very same style and character information (they then share
  // one record); runs that do not may still compare equal field by field.
  bool SharesStyleWith(const cTextStyleRunObject* other) const { return style_ == other->style_; }
  // The shared record of the run's style and character information: equal records, equal
  // styles, for as long as a run holds the record.
  const sETORunStyle* StyleRecord() const { return style_; }

  // ---- Lengths and positions ----
  SInt32 GetTextByteLength(unsigned char withTab, unsigned char withLineBreak) const;
  // The bytes the run covers in its text: tab and line-break runs one.
  SInt32 ByteLength() const { return byteLength_; }
  void CountUpStringLen(SInt32 n) { byteLength_ += n; }
  void CountDownStringLen(SInt32 n);
  void SetupStringLen(SInt32 length);
  SInt32 GetStartCharBytePosition() const { return startByte_; }
  void SetStartCharBytePosition(SInt32 start) { startByte_ = start; }
  void ResetStartCharBytePosition(unsigned char all);
  SInt32 GetReferenceNo() const { return referenceNo_; }
  void SetReferenceNumber(SInt32 number) { referenceNo_ = number; }
  void SetupReferenceNo(unsigned char all);
  bool IsText() const { return runType_ == kETO_TextRun; }
  bool IsTwoByte() const { return style_->charInfo.twoByte != 0; }

  // ---- Measuring (on the run's port, in the run's style; the port is given back) ----
  SInt32 GetTargetStringWidth(const char* text, SInt32 offset, SInt32 count) const;
  // Width of the run's bytes; text points at its first byte.
  void ReCalcurateRunTextWidth(const char* text);
  void SetStringWidth(SInt32 width) { pixelWidth_ = width; }
  SInt32 GetTextWidthPixel() const { return pixelWidth_; }
  void ResetFontVerticalSize();
  void GetFontVerticalSize(FontInfo& info) const { info = fontInfo_; }
  const FontInfo& FontHeights() const { return fontInfo_; }
  void GetFontInfomation(FontInfo* info) const;
  void ReCalcurateRunSize(const char* text);

  // ---- Splitting and merging ----
  // Cuts the run after n bytes (never inside a two-byte character); the new run follows it.
  // Numbers and start bytes are redone from here on; both pieces are measured.
  void DivideMe(const char* text, SInt32 n);
  // The cut of DivideMe without renumbering the rest of the list: the new piece (measured at
  // text + n, its start byte this start + n), or null when nothing was cut.
  cTextStyleRunObject* SplitAfter(const char* text, SInt32 n, const char* method);
  void MargeNextStyleRun(unsigned char all);

 private:
  void Clear();
  // Takes the shared record of these attributes and character information.
  void SetStyle(const sTextStyleAttributes& attributes, const sCharactorInfoStruct& charInfo);

  const sETORunStyle* style_ = nullptr;  // never null once constructed
  GrafPtr port_ = nullptr;
  SInt32 referenceNo_ = 0;
  SInt32 startByte_ = 0;
  SInt32 byteLength_ = 0;
  SInt32 pixelWidth_ = 0;
  FontInfo fontInfo_{0, 0, 0, 0};
  SInt16 lineHeight_ = 0;
  tETO_StyleRunDataType runType_ = kETO_TextRun;
};

// While one lasts (they nest), ChangeAttribute remembers the last few changes it made: from
// which style, by which change, to which style and its font heights. The runs of a long
// stretch that take the same change from the same style then find the new style at once,
// without looking it up and measuring its font again: an attribute change over a megabyte
// applies a handful of changes to hundreds of thousands of runs. Font heights depend on the
// style alone, so what is remembered holds for the scope's life.
class cETORestyleScope {
 public:
  cETORestyleScope();
  ~cETORestyleScope();
  cETORestyleScope(const cETORestyleScope&) = delete;
  cETORestyleScope& operator=(const cETORestyleScope&) = delete;
};

// ---- Run lists ----

// A new run; the attributes (when given) are set with font setup 2, the character
// information when given; the heights are measured. Null when memory runs out.
cTextStyleRunObject* SpETO_NewTextStyleRunObject(tETO_StyleRunDataType type,
                                                 sTextStyleAttributes* attributes,
                                                 const sCharactorInfoStruct* charInfo,
                                                 GrafPtr port);
// The runs of a zero-terminated text in one style: a text run per stretch of characters of
// equal character type, case, orientation, direction and byte width, a run per tab and per line
// break (13, 10, 3), each text run measured. Null head and tail for an empty text.
void SpETO_CreateStyleRunObjectFromString(const char* text, GrafPtr port,
                                          sTextStyleAttributes& attributes,
                                          cTextStyleRunObject*& head, cTextStyleRunObject*& tail);
// The same over `length` bytes (which may hold zero bytes of their own).
void SpETO_CreateStyleRunObjectFromBytes(const char* text, SInt32 length, GrafPtr port,
                                         sTextStyleAttributes& attributes,
                                         cTextStyleRunObject*& head, cTextStyleRunObject*& tail);
cTextStyleRunObject* SpETO_DuplicateRunList(const cTextStyleRunObject* head);
void SpETO_DeleteFreeRunList(cTextStyleRunObject* head);
SInt32 SpETO_GetStringLenFromRunList(const cTextStyleRunObject* head, unsigned char withTab,
                                     unsigned char withLineBreak);
SInt32 SpETO_GetRunCountFromRunList(const cTextStyleRunObject* head);
SInt32 SpETO_GetTabCountInRunList(const cTextStyleRunObject* head);
SInt32 SpETO_ExistLineBreakInRunList(const cTextStyleRunObject* head);
SInt32 SpETO_GetMaxByteLenInRunList(const cTextStyleRunObject* head);
void SpETO_SetupPixWidthInRunList(const char* text, cTextStyleRunObject* head);

// ---- Run sets ----

class cSp_RunSet : public cSpMacHeapObject {
 public:
  cSp_RunSet();
  ~cSp_RunSet();
  cSp_RunSet(const cSp_RunSet&) = delete;
  cSp_RunSet& operator=(const cSp_RunSet&) = delete;

  void ClearRunSet();
  void AppendStyleRun(cTextStyleRunObject* run);
  void CopyString(const char* text);
  void AppendString(const char* text);
  void AppendString(const char* text, SInt32 offset, SInt32 count);
  void AppendString(sSO_StringObjectBase* source);
  void AppendString(sSO_StringObjectBase* source, SInt32 offset, SInt32 count);
  void AppendRunSet(cSp_RunSet& other);
  void InsertRunSetOnTop(cSp_RunSet& other);
  SInt32 GetStringLen(unsigned char withTab, unsigned char withLineBreak) const;
  unsigned char GetLineStringLen(SInt32 line, unsigned char withTab, unsigned char withLineBreak,
                                 SInt32& length) const;
  // Line `line` (from 1, ended by a CR) into the buffer; overflow is set when it was cut (the
  // buffer then holds what fitted). The two flags are not used.
  void GetLineString(SInt32 line, unsigned char withTab, unsigned char withLineBreak,
                     char* buffer, SInt32 size, unsigned char& overflow, SInt32& length);
  void GetString(char* buffer, SInt32 size, unsigned char& overflow);
  void GetString(sSO_StringObjectBase* out);
  void GetStringByAppend(sSO_StringObjectBase* out);
  void GetCopyRunList(sSO_StringObjectBase* text, cTextStyleRunObject*& head);
  sSO_StringObjectBase* GetStringObjectPtr() const { return string_; }
  cTextStyleRunObject* GetStyleRunListHeadPtr() const { return head_; }
  SInt32 GetRunCount() const { return SpETO_GetRunCountFromRunList(head_); }
  void ResetRunPixSize();
  unsigned char CmpOtherRunSet(cSp_RunSet* other, unsigned char string, unsigned char runs,
                               unsigned char attributes, unsigned char characterInfo);

 private:
  void ResetStarts(cTextStyleRunObject* from);

  SInt32 length_ = 0;
  sSO_StringObjectBase* string_ = nullptr;
  cTextStyleRunObject* head_ = nullptr;
  cTextStyleRunObject* tail_ = nullptr;
};
