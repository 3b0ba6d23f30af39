#include "SpStringView.h"

#include <cstring>

#include "MacMemory.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunctionInternal.h"
#include "SpTextStyle.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"

using namespace sp_view_detail;

namespace {

const char kSource[] = "SpStringView";

// The window's port current with the view's text style applied; the port and its style come
// back at the end.
class cTextStyleScope {
 public:
  cTextStyleScope(WindowRef window, short font, short size, unsigned char face)
      : port_(window) {
    Sp_GetCurrentPortTextStyleAttribute(saved_);
    TextFont(font);
    TextSize(size);
    TextFace(face);
  }
  ~cTextStyleScope() { Sp_SetCurrentPortTextStyleAttribute(saved_); }
  cTextStyleScope(const cTextStyleScope&) = delete;
  cTextStyleScope& operator=(const cTextStyleScope&) = delete;

 private:
  cSpPortSaver port_;
  sTextStyleAttributes saved_;
};

short TextWidthOf(const char* text) {
  const std::size_t n = std::strlen(text);
  return TextWidth(text, 0, SInt16(n > 32767 ? 32767 : n));
}

}  // namespace

cSp_StringView::cSp_StringView(WindowRef window, const Rect& area, const RGBColor* colour,
                               short textSize, cSp_View* container,
                               unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen) {
  cSpPortSaver port(window);
  RGBColor white;
  Sp_SetRGBColorByPercentage(&white, 100, 100, 100);
  if (colour != nullptr) {
    textColour_ = *colour;
    backgroundColour_ = hiliteBackgroundColour_ = *colour;
    drawOnBackground_ = 1;
  } else {
    GetForeColor(&textColour_);
    backgroundColour_ = hiliteBackgroundColour_ = WindowBackColour(window);
  }
  Sp_RGBInBetweenColor(&textColour_, &white, 0.5f, &hiliteTextColour_);
  Sp_SetRGBColorByPercentage(&shadowColour_, 50, 50, 50);
  hiliteShadowColour_ = shadowColour_;
  textSize_ = textSize != 0 ? textSize : GetPortTextSize(GetWindowPort(window));
}

cSp_StringView::~cSp_StringView() {
  if (display_ != nullptr) DisposePtr(display_);
  if (full_ != nullptr) DisposePtr(full_);
  display_ = full_ = nullptr;
}

// ---- Drawing --------------------------------------------------------------------------------

unsigned char cSp_StringView::DrawViewBackground() {
  if (drawOnBackground_ != 0) {
    Rect r;
    GetOffscreenArea(&r);
    sp_drawing_detail::SavedPenAndColor saved;
    RGBForeColor(hilite_ != 0 ? &hiliteBackgroundColour_ : &backgroundColour_);
    PaintRect(&r);
  }
  return 1;
}

unsigned char cSp_StringView::UpdateProc() {
  // Opaque drawing paints the background here; a view that blends its background alone gets
  // it from DrawViewBackground.
  if (!(IsTransmitEnableView() != 0 && GetTransmitType() == kSpTransmitBackgroundType)) {
    DrawViewBackground();
  }
  if (display_ == nullptr || display_[0] == '\0') return 1;
  Rect r;
  GetOffscreenArea(&r);
  sp_drawing_detail::SavedPenAndColor saved;
  TextSize(textSize_);
  TextFont(fontNo_);
  TextFace(face_);
  if (shadow_ != 0) {
    RGBForeColor(hilite_ != 0 ? &hiliteShadowColour_ : &shadowColour_);
    Rect moved = r;
    OffsetRect(&moved, shadowH_, shadowV_);
    Sp_DrawStringInRect(display_, &moved, hPosition_, vPosition_, leftOffset_, rightOffset_,
                        topOffset_, bottomOffset_, 1, 0, 1, 1, nullptr);
  }
  RGBForeColor(hilite_ != 0 ? &hiliteTextColour_ : &textColour_);
  Sp_DrawStringInRect(display_, &r, hPosition_, vPosition_, leftOffset_, rightOffset_, topOffset_,
                      bottomOffset_, 1, 0, 1, 1, nullptr);
  return 1;
}

void cSp_StringView::AfterContainerResizeExecute(cSp_View*, short, short, short, short) {
  if (hPosition_ != kSpPositionCenter) return;
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
}

void cSp_StringView::MarkAndRedrawAtOnce(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_StringView::MarkAndCopyToWindow(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) UpdateViewableDrawingArea(1, 1, nullptr);
}

// ---- Text and width fitting -----------------------------------------------------------------

bool cSp_StringView::SameText(const char* a, const char* b) {
  const bool aEmpty = a == nullptr || a[0] == '\0';
  const bool bEmpty = b == nullptr || b[0] == '\0';
  if (aEmpty || bEmpty) return aEmpty && bEmpty;
  return std::strcmp(a, b) == 0;
}

bool cSp_StringView::CopyInto(char*& block, long& length, const char* text) {
  const long n = text != nullptr ? long(std::strlen(text)) : 0;
  if (n != length || block == nullptr) {
    char* fresh = nullptr;
    if (n > 0) {
      fresh = static_cast<char*>(NewPtrClear(Size(n + 4)));
      if (fresh == nullptr) return false;
    }
    if (block != nullptr) DisposePtr(block);
    block = fresh;
    length = n;
  }
  if (block != nullptr) std::memcpy(block, text, std::size_t(n) + 1);
  return true;
}

void cSp_StringView::SetString(const char* text, unsigned char redraw) {
  if (fitting_ == 0) {
    if (SameText(text, display_)) return;
    if (!CopyInto(display_, displayLength_, text)) {
      SpReportFailure(kSource, "cSp_StringView::SetString", 1, kSpMsgMemory);
      return;
    }
    MarkAndRedrawAtOnce(redraw);
    return;
  }
  if (SameText(text, full_)) return;
  if (!CopyInto(full_, fullLength_, text)) {
    SpReportFailure(kSource, "cSp_StringView::SetString", 2, kSpMsgMemory);
    return;
  }
  ModifyOutputStringWidth(redraw);
}

void cSp_StringView::EnableModifyStringWidth(unsigned char fitNow, unsigned char redraw) {
  if (fitting_ != 0) return;
  fitting_ = 1;
  if (full_ != nullptr) DisposePtr(full_);
  full_ = nullptr;
  fullLength_ = 0;
  if (!CopyInto(full_, fullLength_, display_)) {
    SpReportFailure(kSource, "cSp_StringView::EnableModifyStringWidth", 1, kSpMsgMemory);
  }
  if (fitNow != 0) ModifyOutputStringWidth(redraw);
}

void cSp_StringView::DisableModifyStringWidth(unsigned char redraw) {
  if (fitting_ == 0) return;
  fitting_ = 0;
  if (full_ == nullptr) return;
  const bool changed = !SameText(full_, display_);
  if (display_ != nullptr) DisposePtr(display_);
  display_ = full_;
  displayLength_ = fullLength_;
  full_ = nullptr;
  fullLength_ = 0;
  if (changed) MarkAndRedrawAtOnce(redraw);
}

unsigned char cSp_StringView::SetupModifyStringWidthParam(short truncWhere, const char* mark,
                                                          unsigned char fitNow,
                                                          unsigned char redraw) {
  bool changed = false;
  if (truncWhere != truncWhere_) {
    truncWhere_ = truncWhere;
    changed = true;
  }
  if (mark != nullptr && std::strcmp(mark, mark_) != 0) {
    if (std::strlen(mark) > std::size_t(kMarkStringMax)) {
      SpReportFailure(kSource, "cSp_StringView::SetupModifyStringWidthParam", 1, kSpMsgDataError);
    } else {
      std::strcpy(mark_, mark);
      changed = true;
    }
  }
  if (changed && fitNow != 0) ModifyOutputStringWidth(redraw);
  return changed ? 1 : 0;
}

unsigned char cSp_StringView::ModifyOutputStringWidth(unsigned char redraw) {
  if (fitting_ == 0) EnableModifyStringWidth(0, 0);
  if (full_ == nullptr) {
    if (display_ == nullptr) return 0;
    DisposePtr(display_);
    display_ = nullptr;
    displayLength_ = 0;
    MarkAndRedrawAtOnce(redraw);
    return 0;
  }
  const short fullWidth = MeasureInWindowPort(full_);
  const short room = GetOutputAreaWidth();
  if (fullWidth > room) {
    const short markWidth = mark_[0] != '\0' ? MeasureInWindowPort(mark_) : 0;
    char* cut = static_cast<char*>(NewPtrClear(Size(fullLength_ + 4)));
    if (cut == nullptr) {
      return SpReportFailure(kSource, "cSp_StringView::ModifyOutputStringWidth", 1, kSpMsgMemory,
                             0);
    }
    ModifyTargetStringByTargetPixWidth(full_, truncWhere_, short(room - markWidth), cut, nullptr,
                                       nullptr, nullptr);
    const bool changed = display_ == nullptr || std::strcmp(cut, display_) != 0;
    if (changed && !CopyInto(display_, displayLength_, cut)) {
      DisposePtr(cut);
      return SpReportFailure(kSource, "cSp_StringView::ModifyOutputStringWidth", 2, kSpMsgMemory,
                             0);
    }
    DisposePtr(cut);
    if (!changed) return 0;
  } else {
    if (display_ != nullptr && std::strcmp(display_, full_) == 0) return 0;
    if (!CopyInto(display_, displayLength_, full_)) {
      return SpReportFailure(kSource, "cSp_StringView::ModifyOutputStringWidth", 3, kSpMsgMemory,
                             0);
    }
  }
  MarkAndRedrawAtOnce(redraw);
  return 1;
}

short cSp_StringView::MeasureInWindowPort(const char* text) {
  if (text == nullptr || text[0] == '\0') return 0;
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr) return 0;
  cTextStyleScope scope(window, fontNo_, textSize_, face_);
  return TextWidthOf(text);
}

short cSp_StringView::GetCurrentStringWidth() {
  return MeasureInWindowPort(display_);
}

short cSp_StringView::GetTestStringPixWidthOnThisObject(const char* text) {
  if (text == nullptr || text[0] == '\0') {
    return SpReportFailure(kSource, "cSp_StringView::GetTestStringPixWidthOnThisObject", 1,
                           kSpMsgNullArgument, short(0));
  }
  return MeasureInWindowPort(text);
}

void cSp_StringView::ModifyTargetStringByTargetPixWidth(const char* src, short truncWhere,
                                                        short width, char* dst,
                                                        short* srcLength, short* newLength,
                                                        short* newWidth) {
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr || src == nullptr || dst == nullptr) {
    SpReportFailure(kSource, "cSp_StringView::ModifyTargetStringByTargetPixWidth", 1,
                    kSpMsgNullArgument);
    return;
  }
  cTextStyleScope scope(window, fontNo_, textSize_, face_);
  sTextStyleAttributes style;
  Sp_GetCurrentPortTextStyleAttribute(style);
  GrafPtr port = nullptr;
  GetPort(&port);
  Sp_CutStringByWidthOnTargetPort(port, &style, src, width, truncWhere, dst, srcLength,
                                  newLength, newWidth);
}

void cSp_StringView::ModifyTargetStringWidth(const char* src, short truncWhere, char* dst,
                                             short* srcLength, short* newLength,
                                             short* newWidth) {
  ModifyTargetStringByTargetPixWidth(src, truncWhere, GetOutputAreaWidth(), dst, srcLength,
                                     newLength, newWidth);
}

short cSp_StringView::GetCurrentSetupTextMaxHeight(unsigned char ascent, unsigned char descent,
                                                   unsigned char leading) {
  FontInfo info{};
  GetFontInformation(info);
  return short((ascent != 0 ? info.ascent : 0) + (descent != 0 ? info.descent : 0) +
               (leading != 0 ? info.leading : 0));
}

void cSp_StringView::GetFontInformation(FontInfo& info) {
  info = FontInfo{};
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr) return;
  cTextStyleScope scope(window, fontNo_, textSize_, face_);
  GetFontInfo(&info);
}

short cSp_StringView::GetOutputAreaWidth() const {
  Rect r;
  GetOffscreenArea(&r);
  return short(r.right - r.left - leftOffset_ - rightOffset_);
}

short cSp_StringView::GetOutputAreaHeight() const {
  Rect r;
  GetOffscreenArea(&r);
  return short(r.bottom - r.top - topOffset_ - bottomOffset_);
}

// ---- Attributes -----------------------------------------------------------------------------

void cSp_StringView::SetFontNo(short fontNo, unsigned char redraw) {
  fontNo_ = fontNo;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetFontSize(short size, unsigned char redraw) {
  textSize_ = size;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetStringColor(const RGBColor* colour, unsigned char redraw) {
  if (colour == nullptr || Sp_RGBcmp(colour, &textColour_) != 0) return;
  textColour_ = *colour;
  if (hilite_ == 0) MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetStringColorOnHilite(const RGBColor* colour, unsigned char redraw) {
  if (colour == nullptr || Sp_RGBcmp(colour, &hiliteTextColour_) != 0) return;
  hiliteTextColour_ = *colour;
  if (hilite_ != 0) MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetupShadowStringColor(const RGBColor* colour, unsigned char redraw) {
  if (colour == nullptr || Sp_RGBcmp(colour, &shadowColour_) != 0) return;
  shadowColour_ = hiliteShadowColour_ = *colour;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetupShadowFlag(unsigned char on, unsigned char redraw) {
  if (on == shadow_) return;
  shadow_ = on;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetupShadowOffset(short h, short v, unsigned char redraw) {
  if (h == shadowH_ && v == shadowV_) return;
  shadowH_ = h;
  shadowV_ = v;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::EnableStringViewHilite(unsigned char redraw) {
  if (hilite_ != 0) return;
  hilite_ = 1;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::DisableStringViewHilite(unsigned char redraw) {
  if (hilite_ == 0) return;
  hilite_ = 0;
  MarkAndRedrawAtOnce(redraw);
}

void cSp_StringView::SetDrawOnBackgroundFlag(unsigned char on, unsigned char redraw) {
  if (on == drawOnBackground_) return;
  drawOnBackground_ = on;
  MarkAndCopyToWindow(redraw);
}

void cSp_StringView::SetDrawFrameFlag(unsigned char on, unsigned char redraw) {
  if (on == drawFrame_) return;
  drawFrame_ = on;
  MarkAndCopyToWindow(redraw);
}

void cSp_StringView::SetTextOutput_H_PositionType(tPositionType position,
                                                  unsigned char redraw) {
  if (position == hPosition_) return;
  hPosition_ = position;
  MarkAndCopyToWindow(redraw);
}

void cSp_StringView::SetTextOutput_V_PositionType(tPositionType position,
                                                  unsigned char redraw) {
  if (position == vPosition_) return;
  vPosition_ = position;
  MarkAndCopyToWindow(redraw);
}

void cSp_StringView::SetNewTextStyle(unsigned char face, unsigned char redraw) {
  if (face == face_) return;
  face_ = face;
  MarkAndCopyToWindow(redraw);
}

void cSp_StringView::SetStringLayoutOffset(short left, short top, short right, short bottom,
                                           unsigned char redraw) {
  bool stored = false;
  const struct {
    short value;
    short* field;
  } offsets[] = {{left, &leftOffset_}, {top, &topOffset_}, {right, &rightOffset_},
                 {bottom, &bottomOffset_}};
  for (const auto& o : offsets) {
    if (o.value != *o.field || o.value > 0) {
      *o.field = o.value;
      stored = true;
    }
  }
  if (stored) MarkAndCopyToWindow(redraw);
}

// ---- The list -------------------------------------------------------------------------------

void cSp_StringView::LinkToStringViewItemNext(cSp_StringView* chain) {
  LinkChainAfter(this, chain, &cSp_StringView::links_);
}

cSp_StringView* cSp_StringView::UnlinkStringViewtItemNext() {
  return UnlinkNextOf(this, &cSp_StringView::links_);
}

cSp_StringView* cSp_StringView::GetStringViewItemLastObjectPtr() {
  return LastOf(this, &cSp_StringView::links_);
}
