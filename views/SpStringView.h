// The one-line text label.
//
// A string view draws one zero-terminated string (the program's text) in its area with its
// font, size and face, placed by a horizontal and a vertical position inside four margins,
// in its text colour or, while hilited, its hilite colours, over its background colour when
// that is switched on, with an optional drop shadow. With width fitting on it keeps the full
// text and shows it cut to the width between the margins (TruncText at the truncation place),
// leaving room for the pixel width of a mark string.
//
// Colours without a value of their own: the text colour is the window port's foreground
// colour, the hilite text colour lies halfway between the text colour and white, the
// background colours are the window's back colour, the shadow colour is 50 % grey and the
// hilite shadow follows it. A colour given to the constructor becomes the text colour and both
// background colours and switches the background on.
//
// Setters store, mark the view and redraw when asked: the colour, shadow, hilite and font
// setters redraw the window at once; the others copy the view straight to the window.
#pragma once

#include "QuickDraw.h"
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"

class cSp_StringView : public cSp_View {
 public:
  // The mark string holds at most this many bytes before its zero byte.
  static constexpr long kMarkStringMax = 1023;

  cSp_StringView(WindowRef window, const Rect& area, const RGBColor* colour, short textSize,
                 cSp_View* container, unsigned char drawInContainerOffscreen);
  ~cSp_StringView() override;

  unsigned char DrawViewBackground() override;
  unsigned char UpdateProc() override;
  // A centred label is drawn again when its container changes size.
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;

  // ---- The text and width fitting ----
  void SetString(const char* text, unsigned char redraw);
  // The text shown (empty when none).
  const char* GetString() const { return display_ != nullptr ? display_ : ""; }
  void EnableModifyStringWidth(unsigned char fitNow, unsigned char redraw);
  void DisableModifyStringWidth(unsigned char redraw);
  unsigned char IsModifyStringWidth() const { return fitting_; }
  // 1 when the truncation place or the mark changed. A mark longer than kMarkStringMax bytes
  // is refused (a failure; the mark stays).
  unsigned char SetupModifyStringWidthParam(short truncWhere, const char* mark,
                                            unsigned char fitNow, unsigned char redraw);
  // Fits the shown text to the output width; 1 when the shown text changed.
  unsigned char ModifyOutputStringWidth(unsigned char redraw);
  short GetCurrentStringWidth();
  // A null or empty string is 0 and a failure.
  short GetTestStringPixWidthOnThisObject(const char* text);
  // Cuts src to width pixels in the view's text style into dst (room for src and a zero byte).
  void ModifyTargetStringByTargetPixWidth(const char* src, short truncWhere, short width,
                                          char* dst, short* srcLength, short* newLength,
                                          short* newWidth);
  void ModifyTargetStringWidth(const char* src, short truncWhere, char* dst, short* srcLength,
                               short* newLength, short* newWidth);
  short GetCurrentSetupTextMaxHeight(unsigned char ascent, unsigned char descent,
                                     unsigned char leading);
  void GetFontInformation(FontInfo& info);

  short GetOutputAreaWidth() const;
  short GetOutputAreaHeight() const;
  short GetLeftOffsetWidth() const { return leftOffset_; }
  short GetRightOffsetWidth() const { return rightOffset_; }
  short GetTopOffsetWidth() const { return topOffset_; }
  short GetBottomOffsetWidth() const { return bottomOffset_; }
  short GetFontNo() const { return fontNo_; }
  short GetFontSize() const { return textSize_; }
  void GetTextStyle(unsigned char& face) const { face = face_; }
  tPositionType GetTextOutput_H_PositionType() const { return hPosition_; }
  tPositionType GetTextOutput_V_PositionType() const { return vPosition_; }
  unsigned char GetValueAllreadyFlag() const { return valueAlready_; }
  unsigned char IsStringViewHilite() const { return hilite_; }
  void GetStringColor(RGBColor& text, RGBColor& hiliteText) const {
    text = textColour_;
    hiliteText = hiliteTextColour_;
  }

  // ---- Attributes ----
  void SetFontNo(short fontNo, unsigned char redraw);
  void SetFontSize(short size, unsigned char redraw);
  void SetStringColor(const RGBColor* colour, unsigned char redraw);
  void SetStringColorOnHilite(const RGBColor* colour, unsigned char redraw);
  void SetupShadowStringColor(const RGBColor* colour, unsigned char redraw);
  void SetupShadowFlag(unsigned char on, unsigned char redraw);
  void SetupShadowOffset(short h, short v, unsigned char redraw);
  void EnableStringViewHilite(unsigned char redraw);
  void DisableStringViewHilite(unsigned char redraw);
  void SetDrawOnBackgroundFlag(unsigned char on, unsigned char redraw);
  void SetDrawFrameFlag(unsigned char on, unsigned char redraw);
  void SetTextOutput_H_PositionType(tPositionType position, unsigned char redraw);
  void SetTextOutput_V_PositionType(tPositionType position, unsigned char redraw);
  void SetNewTextStyle(unsigned char face, unsigned char redraw);
  void SetStringLayoutOffset(short left, short top, short right, short bottom,
                             unsigned char redraw);

  // The list of string views.
  void LinkToStringViewItemNext(cSp_StringView* chain);
  cSp_StringView* UnlinkStringViewtItemNext();
  cSp_StringView* GetStringViewItemBeforeObjectPtr() const { return links_.before; }
  cSp_StringView* GetStringViewItemNextObjectPtr() const { return links_.next; }
  cSp_StringView* GetStringViewItemLastObjectPtr();

 private:
  // Marks the whole view; with redraw, the window is redrawn at once.
  void MarkAndRedrawAtOnce(unsigned char redraw);
  // Marks the whole view; with redraw, the view goes straight to the window.
  void MarkAndCopyToWindow(unsigned char redraw);
  // The string's pixel width in the view's text style, measured in the window's port.
  short MeasureInWindowPort(const char* text);
  // Makes *block hold a copy of text (null for an empty text), remaking it only when the
  // length changes. False when memory runs out (the block is then as it was).
  static bool CopyInto(char*& block, long& length, const char* text);
  static bool SameText(const char* a, const char* b);

  unsigned char hilite_ = 0;
  RGBColor textColour_{0, 0, 0};
  RGBColor hiliteTextColour_{0, 0, 0};
  RGBColor backgroundColour_{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor hiliteBackgroundColour_{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor shadowColour_{0x8000, 0x8000, 0x8000};
  RGBColor hiliteShadowColour_{0x8000, 0x8000, 0x8000};
  unsigned char shadow_ = 0;
  short shadowH_ = 1;
  short shadowV_ = 1;
  short fontNo_ = 0;
  short textSize_ = 0;
  char* display_ = nullptr;
  char* full_ = nullptr;
  long displayLength_ = 0;
  long fullLength_ = 0;
  unsigned char fitting_ = 0;
  short truncWhere_ = 0;
  char mark_[kMarkStringMax + 1] = {};
  unsigned char drawOnBackground_ = 0;
  unsigned char drawFrame_ = 0;
  unsigned char valueAlready_ = 0;
  tPositionType hPosition_ = kSpPositionCenter;
  tPositionType vPosition_ = kSpPositionCenter;
  short leftOffset_ = 0;
  short rightOffset_ = 0;
  short topOffset_ = 0;
  short bottomOffset_ = 0;
  unsigned char face_ = 0;
  sSpLinks<cSp_StringView> links_;
};
