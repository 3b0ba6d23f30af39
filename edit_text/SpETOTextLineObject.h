// Display lines of the edit-text engine: one line as wrapped on the screen, owning its bytes
// (a string object) and the style runs that describe them; its width, offsets, alignment,
// tabs, vertical place and height; re-wrapping across lines; pixel and byte positions;
// drawing.
//
// Widths and vertical positions are 32-bit inside: a text of a megabyte is more than 100,000
// pixels tall, and a run of two-byte characters passes 32,767 pixels before it is wrapped.
//
// Failures beep and leave one error-log record (source "SpETOTextLineObject"; re-wrapping
// "SpETOTextLineBreakLine"; drawing "SpETOTextLineObjDraw").
#pragma once

#include <new>
#include <vector>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpETOTextStyleRunObject.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpStdDrawingFunction.h"
#include "SpMacHeapObject.h"
#include "SpTextStyle.h"


typedef UInt8 tETO_AreaOutType;
enum : tETO_AreaOutType { kETO_AreaInside = 0, kETO_AreaLeft = 2, kETO_AreaRight = 8 };

typedef UInt8 tETO_UnderLineType;
typedef SInt16 tETO_ModifyTextCodeProcType;
enum : tETO_ModifyTextCodeProcType { kETO_ToUpperCase = 1, kETO_ToLowerCase = 2 };

class cTextLineObject : public cSpListLinks<cTextLineObject>, public cSpMacHeapObject {
 public:
  cTextLineObject(GrafPtr port, SInt16 defaultHeight, tPositionType position,
                  unsigned char automaticHeight, const sTextStyleAttributes& attributes);
  // A new empty line after `before`, with its settings; the following lines are renumbered.
  explicit cTextLineObject(cTextLineObject* before);
  ~cTextLineObject();
  cTextLineObject(const cTextLineObject&) = delete;
  cTextLineObject& operator=(const cTextLineObject&) = delete;

  void CopyLineAttributesTo(cTextLineObject* other) const;

  // ---- Text ----
  void SetupText(const char* text);
  void SetupText(const char* text, sTextStyleAttributes& attributes);
  void SetupText(cSp_RunSet& runSet);
  // The same over `length` bytes, in the line's attributes.
  void SetupTextBytes(const char* text, SInt32 length);
  void ClearString();
  void DeleteAllRun();
  unsigned char InsertString(const char* text, SInt32 position, sTextStyleAttributes& attributes,
                             SInt32& textBytes, SInt32& tabs, SInt32& lineBreaks);
  unsigned char InsertRunList(const char* text, cTextStyleRunObject* runs, SInt32 position,
                              SInt32& textBytes, SInt32& tabs, SInt32& lineBreaks);
  void DeleteCharInAfer(SInt32 position);
  void DeleteCharInBefore(SInt32 n);
  void DeleteCharInBetween(SInt32 a, SInt32 b);
  unsigned char BackSpaceCharacter(SInt32 position, SInt32& deleted, unsigned char& atLineStart,
                                   SInt16& handled, SInt16& added, SInt16& removed,
                                   cSp_RunSet* saved, unsigned char& widthChanged);
  void ModifyTargetAreaAlphaText(tETO_ModifyTextCodeProcType type, SInt32 a, SInt32 b,
                                 unsigned char& changed);

  // ---- Cutting and copying ----
  SInt32 GetScopeString(SInt32 a, SInt32 b, char* buffer, SInt32 size, unsigned char& overflow);
  SInt32 GetScopeString(sSO_StringObjectBase* out, SInt32 a, SInt32 b, unsigned char);
  SInt32 GetScopeString(cSp_RunSet& runSet, SInt32 a, SInt32 b, unsigned char withLineBreak);
  void GetRunStringByRunSet(SInt32 a, SInt32 b, unsigned char withLineBreak, cSp_RunSet& runSet,
                            SInt32& count);
  void GetTargetAreaRun(SInt32 a, SInt32 b, unsigned char withLineBreak,
                        cTextStyleRunObject*& head, cTextStyleRunObject*& tail, SInt32& count);
  void GetCopyRunSet(cSp_RunSet& runSet, unsigned char withTab, unsigned char withLineBreak);
  void GetAppendCopyRunSet(cSp_RunSet& runSet, unsigned char withTab, unsigned char withLineBreak);
  SInt32 GetLineStringDataOnMemory(char* buffer, SInt32 size, unsigned char);
  void GetLineStringWidthAppend(sSO_StringObjectBase* out);

  // ---- Queries ----
  SInt32 GetNumOfTextByte(unsigned char withTab, unsigned char withLineBreak) const;
  void GetTextRunSize(SInt32& runs, SInt32& bytes, unsigned char withTab,
                      unsigned char withLineBreak) const;
  unsigned char EqualLineText(const char* text, unsigned char withLineBreak, SInt32& length);
  unsigned char SerchTargetCharactor(char c, SInt32 from, SInt32* found);
  unsigned char GetContainLineBrakeFlag() const { return lineBreak_ ? 1 : 0; }
  unsigned char GetBeforeCharPosition(SInt32 p, SInt32& q) const;
  unsigned char GetNextCharPosition(SInt32 p, SInt32& q) const;
  void GetPositionStyleAttribute(SInt32 p, sTextStyleAttributes& attributes) const;
  void GetPositionAttribute(SInt32 p, sTextStyleAttributes& attributes) const;
  void GetPositionCharacterInfo(SInt32 p, sCharactorInfoStruct& info) const;
  void GetLastRunAttribute(sTextStyleAttributes& attributes) const;
  void GetTopPositAttribute(sTextStyleAttributes& attributes) const { attributes = attributes_; }
  void CopyTopPositAttributeFrom(const cTextLineObject* other);
  void GetTextAttributesList(cTextAttributeList& list, unsigned char append,
                             unsigned char distinct) const;

  // ---- Style changes ----
  unsigned char SetupTextAttributeAtAll(sTextStyleAttributes& attributes, unsigned char& changed);
  unsigned char ChangeTextAttributeAtAll(tTextStyleAttType type, unsigned long value,
                                         unsigned char& changed);
  unsigned char ChangeTextColorAtAll(const RGBColor& color, SInt16 kind);
  unsigned char SetupTargetTextFontOrSize(SInt32 a, SInt32 b, tTextStyleAttType type,
                                          unsigned long value, unsigned char& changed);
  unsigned char SetupTargetTextStyle(SInt32 a, SInt32 b, const sTextStyleInfo& mask,
                                     const sTextStyleInfo& values, unsigned char& changed);
  unsigned char SetupTargetTextColor(SInt32 a, SInt32 b, const RGBColor& color, SInt16 kind,
                                     unsigned char& changed);

  // ---- Sizes and positions ----
  void SetupLeftOffset(SInt16 offset) { leftOffset_ = offset; }
  void SetupRightOffset(SInt16 offset) { rightOffset_ = offset; }
  void SetupLineWidth(SInt16 width) { lineWidth_ = width; }
  void SetupLineHeight(SInt16 height);
  void SetupVariableWidthFlag(unsigned char flag) { variableWidth_ = flag; }
  void SetupGrafPort(GrafPtr port);
  void GetGrafPort(GrafPtr& port) const { port = port_; }
  SInt16 GetLineWidth() const { return lineWidth_; }
  SInt16 GetLeftOffset() const { return leftOffset_; }
  SInt16 GetRightOffset() const { return rightOffset_; }
  // The line's height, less the space above unless withAbove, less the space below unless
  // withBelow.
  SInt16 GetLineHeight(unsigned char withAbove, unsigned char withBelow) const;
  unsigned char SetupLineMaxWidth(SInt16 width, unsigned char apply, unsigned char& widthChanged);
  unsigned char SetupLineMinWidth(SInt16 width, unsigned char apply, unsigned char& widthChanged);
  SInt16 GetLineMaxWidth() const { return maxWidth_; }
  SInt16 GetLineMinWidth() const { return minWidth_; }
  SInt32 GetRealLineWidth(unsigned char withLeft, unsigned char withRight) const;
  SInt32 GetTotalLineHeightOnLink() const;
  void GetLinePosition(SInt32& top, SInt32& bottom) const;
  // Places the lines after this one below it, after its height changed: at once, or, while a
  // placing scope is open, once when it ends.
  void PlaceFollowingLines();
  void SetupLineVerticalPosition(SInt32 top, unsigned char following);
  // The lines given a vertical place since the program started: a measure of the work of
  // placing lines that does not depend on time.
  static UInt64 LinesPlaced();
  SInt32 GetTextTop() const { return textTop_; }
  SInt32 GetBaseline() const { return baseline_; }
  SInt32 GetTextBottom() const { return textBottom_; }
  unsigned char HeightInLine(SInt32 v, unsigned char outside, unsigned char* above,
                             unsigned char* below) const;
  unsigned char SetupHorizontalPositionType(tPositionType type);
  tPositionType GetHorizontalPositionType() const { return position_; }
  void SetupTabWidth(SInt16 width) { tabWidth_ = width; }
  void SetupTabMode(UInt8 mode) { tabMode_ = mode; }
  void SetupSpaceAboveBelow(SInt16 above, SInt16 below);
  void SetupAutomaticHeight(unsigned char on) { automaticHeight_ = on; }
  void ResetRunPixelWidth();
  void ResetContainCharByte();
  unsigned char ResetLineHeightAndEndPosition(unsigned char following);
  SInt32 GetReferenceNo() const { return referenceNo_; }
  void SetupReferenceNo(unsigned char all);
  cTextStyleRunObject* GetStyleRunListHeadPtr() const { return head_; }
  cTextStyleRunObject* GetStyleRunListTailPtr() const { return tail_; }
  sSO_StringObjectBase* GetStringObjectPtr() const { return string_; }
  SInt32 GetTabCount() const { return tabs_; }
  // The line's text into a vector (with 4 zero bytes after it).
  std::vector<char> CopyText() const;

  // ---- Layout, positions and drawing ----
  SInt16 GetNextTabPosition(SInt16 x, SInt16& next) const;
  unsigned char PixPositToCharBytePosit(char* work, SInt32 workSize, unsigned char nearest,
                                        SInt16 x, SInt32& position, unsigned char& leadingEdge,
                                        unsigned char& where, tETO_AreaOutType& area);
  unsigned char CharBytePositToPixPosit(char* work, SInt32 workSize, SInt32 position,
                                        SInt16& x);
  void DrawLine(SInt16 left, SInt16 right);
  void DrawUnderLine(SInt32 a, SInt32 b, tETO_UnderLineType type, unsigned char inset);

  // ---- Line breaking ----
  void ResetBreakLine(SInt16& handled, SInt16& added, SInt16& removed,
                      unsigned char& widthChanged);
  // Notes what this line (and with `all` every following line) holds; a re-wrap by
  // ResetBreakLineEachLine or CatchRunListFromBeforeLine then counts a line unchanged when it
  // holds that. ResetBreakLine notes each line itself when it first reaches it.
  void RememberRunList(unsigned char all);
  // The same re-wrap, watched: each line it wraps notes whether it came out as it went in.
  // `edited` (may be null) is the line whose bytes the caller changed just before; it never
  // counts as unchanged, since what the wrap first sees of it is already the new text.
  void ResetBreakLineWatched(SInt16& handled, SInt16& added, SInt16& removed,
                             unsigned char& widthChanged, const cTextLineObject* edited);
  // True when the last watched re-wrap reached the line: it wrapped it, made it, or took
  // runs from it or gave runs to it.
  bool ReachedByLastWatchedRewrap() const;
  // Right after a watched re-wrap that reached the line: true when its bytes, runs, styles,
  // line break and width settings are all as they were before it (it shows what it showed,
  // perhaps elsewhere), and when besides its vertical place is too (its pixels on the screen
  // still show it).
  bool HoldsAsBeforeRewrap() const;
  bool LooksAsBeforeRewrap() const;
  void ResetBreakLineEachLine(SInt16& handled, SInt16& added, SInt16& removed,
                              unsigned char& widthChanged, SInt16& unchanged);
  void CatchRunListFromBeforeLine(cTextStyleRunObject* runs, sSO_StringObjectBase* text,
                                  SInt16& handled, SInt16& added, SInt16& removed,
                                  unsigned char& widthChanged, SInt16& unchanged);
  cTextStyleRunObject* GetWordBrakeRunHeaderForResetBrakeLine(
      const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 offset,
      ScriptCode script, unsigned char twoByte, cTextStyleRunObject* groupFirst,
      SInt32 remainingAtGroup);
  cTextStyleRunObject* GetWordBrakeRunForResetBrakeLineWithRoman(
      const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 offset,
      ScriptCode script, cTextStyleRunObject* groupFirst, SInt32 remainingAtGroup);
  cTextStyleRunObject* GetWordBrakeRunForResetBrakeLineWith2Char(
      const char* groupText, SInt32 groupLength, cTextStyleRunObject* run, SInt32 offset,
      ScriptCode script, cTextStyleRunObject* groupFirst, SInt32 remainingAtGroup);

 private:
  friend class cETOLineWrapper;
  struct Segment {
    cTextStyleRunObject* first;
    cTextStyleRunObject* last;  // inclusive; null: to the line break or the end
    SInt32 origin;
  };

  // A new empty line after `before` with its settings, leaving the numbers and places of the
  // lines after it to the caller (a re-wrap sets them once at its end).
  cTextLineObject(cTextLineObject* before, bool renumber);
  void StartUpInitialize();
  // Makes the runs the line's (deleting the old ones when `deleteOld`) and sets their places,
  // numbers, port and line height and the line's counts in one pass.
  void ReplaceRuns(cTextStyleRunObject* head, cTextStyleRunObject* tail, bool deleteOld = true);
  void RenumberRuns();
  void DeleteRange(SInt32 a, SInt32 b, const char* method);
  cTextStyleRunObject* RunAt(SInt32 p, SInt32* runStart) const;
  // p, or the start of the two-byte character p falls inside: offsets never split one.
  SInt32 SnapToCharacter(SInt32 p) const;
  void CutRunsAt(SInt32 p, const std::vector<char>& text);
  // In one pass: neighbouring runs of equal style merged (and measured again), places,
  // numbers, line heights and counts set, the line's attributes those of its first run.
  void FinishAfterWrap();
  void MergeAndMeasure();
  bool EmptyOfText() const { return head_ == nullptr; }
  unsigned char ChangeRange(SInt32 a, SInt32 b, unsigned char& changed,
                            bool (*change)(cTextStyleRunObject*, const void*), const void* arg);
  std::vector<Segment> Segments() const;
  SInt32 EmptyLineCaret() const;
  SInt32 TabWidthAt(SInt32 x) const;
  // A digest of what the line holds: its bytes and the kind and style of each.
  UInt64 HoldingDigest() const;
  // A digest of everything drawing the line reads but its vertical place: what it holds (its
  // holding digest), its runs' kinds, lengths, widths and heights, and its width settings.
  UInt64 LookDigest() const;
  UInt64 LookDigest(UInt64 holding) const;
  // What the line holds, noted in the current noting (see RememberRunList); true when it
  // still holds it.
  void NoteHolding(UInt64 holding);
  bool HoldsAsNoted() const;

  SInt32 referenceNo_ = 0;
  SInt16 leftOffset_ = 0;
  SInt16 rightOffset_ = 0;
  SInt16 spaceAbove_ = 1;
  SInt16 spaceBelow_ = 1;
  SInt16 lineWidth_ = 0;
  unsigned char variableWidth_ = 0;
  SInt16 maxWidth_ = 0;
  SInt16 minWidth_ = 0;
  tPositionType position_ = kSpPositionLeft;
  unsigned char automaticHeight_ = 1;
  SInt16 defaultHeight_ = 0;
  SInt16 lineHeight_ = 0;
  SInt32 top_ = 0;
  SInt32 textTop_ = 0;
  SInt32 baseline_ = 0;
  SInt32 textBottom_ = 0;
  SInt32 bottom_ = 0;
  sTextStyleAttributes attributes_;
  // Kept for the owner and copied with the line's settings; the line itself reads none.
  UInt8 reservedFlag1_ = 0;
  UInt8 reservedFlag2_ = 0;
  SInt16 reservedShort_ = 0;
  SInt16 tabWidth_ = 32;
  UInt8 tabMode_ = 1;
  GrafPtr port_ = nullptr;
  SInt32 byteCount_ = 0;
  SInt32 tabs_ = 0;
  bool lineBreak_ = false;
  sSO_StringObjectBase* string_ = nullptr;
  cTextStyleRunObject* head_ = nullptr;
  cTextStyleRunObject* tail_ = nullptr;
  // What the line held when last noted: the noting's number, the byte count and the holding
  // digest. A re-wrap counts a line unchanged by what it holds, never by which runs it holds:
  // a run freed and another made at its address would pass for it.
  UInt64 rememberedNoting_ = 0;
  SInt32 rememberedBytes_ = 0;
  UInt64 rememberedHolding_ = 0;
  // What the last watched re-wrap that reached the line saw of it (see cETOLineWrapper): the
  // wrap's number, a digest of what the line showed and where it stood when first reached,
  // and whether it counts as changed whatever it shows (the edited line, a new line).
  UInt64 watchedWrap_ = 0;
  UInt64 watchedLook_ = 0;
  SInt32 watchedTop_ = 0;
  SInt32 watchedBottom_ = 0;
  bool watchedChanged_ = true;
};

// While one lasts (they nest), a line whose height changes leaves the lines after it where
// they are; when the outermost ends, the lines after the first such line are placed once. A
// style change over many lines so places each line after them once, not once for every line
// changed. Lines must not be added, removed or reordered while one lasts (a line whose height
// changed may be deleted: its followers are then left to the caller).
class cETOLinePlacingScope {
 public:
  cETOLinePlacingScope();
  ~cETOLinePlacingScope();
  cETOLinePlacingScope(const cETOLinePlacingScope&) = delete;
  cETOLinePlacingScope& operator=(const cETOLinePlacingScope&) = delete;
};

// With fractional widths, the byte at pixel `width` of the text measured in the current port:
// 1 and the offset of the character hit (the one before it when the hit is on a character's
// trailing half) when the width falls inside the text; 0 when the text is narrower.
unsigned char SpETO_SerchCharBraker(const char* text, SInt32 length, unsigned char, SInt16 width,
                                    SInt32& offset);
