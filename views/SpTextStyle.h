// Text style attributes: everything the framework needs to draw text in a port (font,
// script, direction, size, transfer mode, face, extra spacing, six flag bytes and five
// colours), read from and applied to ports; the eight-flag form of a QuickDraw face with its
// conversions and merges; cutting a string to a pixel width; an owning list of style records
// (the edit-text engine's style runs); and a measurer of the tallest line over several styles.
//
// Views save the port's style, apply their own and restore the port's; the edit-text engine
// keeps one record per style run and gives the flag bytes and the colour kinds their meaning.
// Here they are only stored, defaulted, copied and compared.
//
// Null objects and arguments beep once and leave one error-log record (source
// "SpTextStyle").
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpCollectionObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

enum { kSpTextStyleFlagCount = 6, kSpTextStyleColorCount = 5 };

// One colour of a style and its kind (2 by default; the edit-text engine's business).
struct sTextStyleColor {
  RGBColor rgb;
  SInt16 kind;
};

struct sTextStyleAttributes {
  SInt16 fontNo;
  SInt16 scriptCode;  // the script of the font
  SInt8 direction;
  SInt16 size;  // points
  SInt16 mode;  // transfer mode
  Style face;
  SInt16 charExtra;
  Fixed spaceExtra;
  UInt8 flags[kSpTextStyleFlagCount];  // defaults 5, 0, 1, 0, 1, 1
  // The first is the text (foreground) colour read from a port.
  sTextStyleColor colors[kSpTextStyleColorCount];
};

// Which attribute SpChangeTextStyleAttribute changes.
typedef SInt16 tTextStyleAttType;
enum : tTextStyleAttType {
  kTextStyleAttFont = 1,       // font number; 0 the system font, 1 the application font
  kTextStyleAttSize = 2,       // points; 0 the default size
  kTextStyleAttFace = 3,       // Style in the low byte
  kTextStyleAttScript = 4,     // cannot be changed this way
  kTextStyleAttDirection = 5,  // cannot be changed this way
  kTextStyleAttFlag1 = 6,      // ... kTextStyleAttFlag1 + 5: flag bytes 1 to 6, the low byte
  kTextStyleAttFlag6 = 11,
  kTextStyleAttColor1 = 12,  // ... kTextStyleAttColor1 + 4: colours 1 to 5, an RGBColor*
  kTextStyleAttColor5 = 16,
};

// ---- The style record -----------------------------------------------------------------------

// The defaults: the system font and its script, the system's direction, the default size,
// srcOr, plain, no extras, flag bytes 5, 0, 1, 0, 1, 1, five black colours of kind 2. The
// whole record is cleared first, so records can be copied and compared byte for byte too.
void Sp_InitializeTextStyleAttribute(sTextStyleAttributes& attributes);
// 1 when everything but the colour kinds is equal.
Boolean SpEqualTextStyleAttribute(const sTextStyleAttributes& a, const sTextStyleAttributes& b);
// Changes one attribute: 1 when the record changed, 0 when the value equals the stored one or
// the type changes nothing (4, 5, or outside 1 to 16; a null colour pointer).
Boolean SpChangeTextStyleAttribute(sTextStyleAttributes& attributes, tTextStyleAttType type,
                                   unsigned long value);

// Reads font, face, mode, size, extras and the foreground colour (into colour 1) of the
// current port; font 0 and 1 become the system and application fonts' numbers, size 0 the
// default size. Script, direction, flags and colours 2 to 5 stay as they were.
void Sp_GetCurrentPortTextStyleAttribute(sTextStyleAttributes& attributes);
// The same of another port (the current port is kept). A null port is reported.
void Sp_GetTargetPortTextStyleAttribute(GrafPtr port, sTextStyleAttributes& attributes);
// Applies font, face, mode, size, space extra and (on a colour port) character extra to the
// current port; the foreground colour is left alone.
void Sp_SetCurrentPortTextStyleAttribute(const sTextStyleAttributes& attributes);

// ---- Cutting a string to a width ------------------------------------------------------------

// Copies `src` into `out` shortened to `width` pixels in the current port's font, size and
// face (TruncText: whole characters, the ellipsis at the end or in the middle as `truncWhere`
// says). `out` must have room for `src`. The full form also gives the source's length, the
// new length and the new width in pixels. A null string or buffer is reported ("Pointer Arg
// is 0L") and nothing is written. Texts longer than 32,767 bytes are taken as their first
// 32,767 bytes.
void Sp_CutStringByWidth(const char* src, SInt16 width, SInt16 truncWhere, char* out);
void Sp_CutStringByWidth(const char* src, SInt16 width, SInt16 truncWhere, char* out,
                         SInt16& srcLength, SInt16& newLength, SInt16& newWidth);
// The same measured in `port` with `style` (or the port's own style when null), the port and
// its style left as they were. Every output pointer may be null.
void Sp_CutStringByWidthOnTargetPort(GrafPtr port, const sTextStyleAttributes* style,
                                     const char* src, SInt16 width, SInt16 truncWhere, char* out,
                                     SInt16* srcLength, SInt16* newLength, SInt16* newWidth);

// ---- The eight-flag form of a face ----------------------------------------------------------

// One byte per flag; `plain` is 1 exactly when no other byte is set.
struct sTextStyleInfo {
  UInt8 plain;
  UInt8 bold;
  UInt8 italic;
  UInt8 underline;
  UInt8 outline;
  UInt8 shadow;
  UInt8 condense;
  UInt8 extend;
};

// All bytes 0, then the plain byte set to `plain`.
void Sp_InitalizeStyleInfo(sTextStyleInfo& info, unsigned char plain);
void Sp_TextStyleToTextStyleInfo(Style style, sTextStyleInfo& info);
void Sp_TextStyleInfoToStyle(const sTextStyleInfo& info, Style& style);
// Each style byte the mask selects takes the new value's byte; a mask and values that both
// say plain make the target plain. The plain byte is then recomputed.
void Sp_ChangeStyleInfoByChangeBitItem(sTextStyleInfo& target, const sTextStyleInfo& mask,
                                       const sTextStyleInfo& values);
// Each style byte the mask selects is inverted; a plain mask makes the target plain.
void Sp_RevolveStyleInfo(sTextStyleInfo& target, const sTextStyleInfo& mask);
Boolean Sp_EqualTextStyleInfo(const sTextStyleInfo& a, const sTextStyleInfo& b);

// ---- An owning list of style records --------------------------------------------------------

// Reading the records in order, the last record, or the one read last costs one step of the
// collection each (a record further back is reached from the first), so reading and clearing
// a list of n records take time in proportion to n.
class cTextAttributeList {
 public:
  cTextAttributeList() = default;
  ~cTextAttributeList() { ClearItem(); }
  cTextAttributeList(const cTextAttributeList&) = delete;
  cTextAttributeList& operator=(const cTextAttributeList&) = delete;

  // Appends a copy; a copy that cannot be allocated is reported and nothing is appended.
  void SetupNewAttribute(const sTextStyleAttributes& attributes);
  SInt32 GetCountItem() const { return records_.GetNumberOfItem(); }
  // Copies record `index` (from 1) out: 1; no such record: the defaults and 0.
  Boolean GetNumAttribute(SInt32 index, sTextStyleAttributes& attributes) const;
  // Disposes every copy and empties the list.
  void ClearItem();

  // The collection items all lists have stepped over to reach their records since the
  // program started: a measure of their work that does not depend on time.
  static UInt64 StepsTaken();

 private:
  // The record `index` (from 1, within the count), reached from the reading position.
  const sTextStyleAttributes* Record(SInt32 index) const;

  // The collection's reading position is its part of the list's reading state, so it changes
  // in reads of a constant list.
  mutable cSp_uLongCollection records_;
  mutable SInt32 readIndex_ = 0;  // the record at the reading position (from 1); 0: none
  const sTextStyleAttributes* last_ = nullptr;
};

// ---- The tallest line over several styles ---------------------------------------------------

// One style measured in a port.
class cTextMaxHeightAnalizeItemObject : public cSpListLinks<cTextMaxHeightAnalizeItemObject>,
                                        public cSpMacHeapObject {
 public:
  cTextMaxHeightAnalizeItemObject(GrafPtr port, const sTextStyleAttributes& attributes);

  // Measures the style in the port (the port and its style left as they were). A null port is
  // reported ("Data Error !! ") and leaves the measure at 0.
  void MeasureFontInfo();
  // The sum of the ascent, descent and leading whose flags are set.
  SInt16 GetHeight(unsigned char ascent, unsigned char descent, unsigned char leading) const;
  const FontInfo& GetFontInfo() const { return fontInfo_; }
  const sTextStyleAttributes& GetAttributes() const { return attributes_; }

  void UnlinkFromList() { UnlinkSelf(); }

 private:
  GrafPtr port_;
  sTextStyleAttributes attributes_;
  FontInfo fontInfo_;
};

class cTextMaxHeightAnalizeObject {
 public:
  explicit cTextMaxHeightAnalizeObject(GrafPtr port) : port_(port) {}
  ~cTextMaxHeightAnalizeObject() { WipeoutItem(); }
  cTextMaxHeightAnalizeObject(const cTextMaxHeightAnalizeObject&) = delete;
  cTextMaxHeightAnalizeObject& operator=(const cTextMaxHeightAnalizeObject&) = delete;

  // Appends an item for the style, measured at once; an item that cannot be allocated is
  // reported and nothing is appended.
  void SetupNewItemAttribute(const sTextStyleAttributes& attributes);
  // The largest item height and, when `index` is given, the position (from 1) of the first
  // item that has it; 0 (and index 0) for an empty list.
  SInt16 GetMaxHeight(unsigned char ascent, unsigned char descent, unsigned char leading,
                      SInt16* index) const;
  // 1 with the height of item `position` (from 1); else 0 with `height` 0.
  Boolean GetTargetItemHeight(SInt16 position, SInt16& height, unsigned char ascent,
                              unsigned char descent, unsigned char leading) const;
  // Puts the reading position at the first item.
  void ClearIndex() { cursor_ = head_; }
  // 1 with the height at the reading position, which moves on; at the end 0 with `height` 0.
  Boolean GetCurrentIndexItemHeight(SInt16& height, unsigned char ascent, unsigned char descent,
                                    unsigned char leading);
  // Deletes every item; ClearIndex before reading again.
  void WipeoutItem();

 private:
  GrafPtr port_;
  cTextMaxHeightAnalizeItemObject* head_ = nullptr;
  cTextMaxHeightAnalizeItemObject* tail_ = nullptr;
  cTextMaxHeightAnalizeItemObject* cursor_ = nullptr;
};
