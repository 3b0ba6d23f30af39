// The popup menu button: its settings and looks, its drawing, and the press that opens its
// menu.
#include "SpOriginalControlPopupButton.h"

#include <cstring>

#include "Events.h"
#include "QDText.h"
#include "SpErrorInfoSystem.h"
#include "SpOC_ButtonDrawing.h"
#include "SpPopupMenuInternal.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpTextStyle.h"

using sp_popup_detail::DrawRun;
using sp_popup_detail::Pt;
using sp_popup_detail::Rgb255;

namespace {

const char kSource[] = "SpOriginalControl";
// The triangle area at the button's right end.
constexpr short kTriangleArea = 20;
constexpr SInt32 kTitleSize = 512;

RGBColor Percent(float level) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, level, level, level);
  return c;
}

RGBColor TowardWhite(const RGBColor& from, float rate) {
  const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &white, rate, &out);
  return out;
}

bool Same(const RGBColor& a, const RGBColor& b) {
  return Sp_RGBcmp(&a, &b) != 0;
}

}  // namespace

cSp_PopupMenuButtonObj::cSp_PopupMenuButtonObj(WindowRef window, const Rect& area,
                                               tPopupSelectionItemType type, unsigned char mini,
                                               cSp_View* container,
                                               unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area),
      cSp_PopupObj(type) {
  StartUpInitialize();
  mini_ = mini;
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  SetupMinMenuWidth(short(onWindow.right - onWindow.left - kTriangleArea));
  SetupMenuItemOutputPositionType(titleAlignment_);
  SetupMenuTextSize(titleSize_);
  SetupHorizonOutputPositionType(kSpPositionLeft);
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) SetupHotSpotArea(visible);
  Mark();
}

cSp_PopupMenuButtonObj::~cSp_PopupMenuButtonObj() = default;

void cSp_PopupMenuButtonObj::StartUpInitialize() {
  enabled_ = 1;
  pressed_ = 0;
  separatorHighlight_ = 1;
  hilite_ = 0;
  placeholder_[0] = '\0';
  titleFont_ = titleSize_ = 0;
  titleAlignment_ = kSpPositionLeft;
  leftOffset_ = 3;
  rightOffset_ = 2;
  mini_ = 0;
  colours_.frame = Rgb255(85, 85, 85);
  colours_.upContent = Rgb255(204, 204, 204);
  colours_.upString = Rgb255(0, 0, 0);
  colours_.upTriangle = Percent(20);
  colours_.upSeparator = Percent(40);
  colours_.upSeparatorHighlight = Percent(96);
  colours_.downContent = Rgb255(136, 136, 136);
  colours_.downString = Rgb255(255, 255, 255);
  colours_.downTriangle = Percent(90);
  colours_.downSeparator = Percent(40);
  colours_.downSeparatorHighlight = Percent(96);
  hilitePercentage_ = 0.5f;
  customHilite_ = 0;
  DeriveHiliteColours();
  changeProc_ = nullptr;
  changeRefCon_ = 0;
  titleProc_ = nullptr;
  titleRefCon_ = 0;
}

// ---- State ----------------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::EnablePopup(unsigned char redraw) {
  EnableViewOutput(redraw);
  EnableHotSpotArea();
  enabled_ = 1;
}

void cSp_PopupMenuButtonObj::DisablePopup(unsigned char redraw) {
  DisableViewOutput(redraw);
  DisableHotSpotArea();
  enabled_ = 0;
}

void cSp_PopupMenuButtonObj::RedrawOutputPopupMenuButton(unsigned char redraw) {
  Mark();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_PopupMenuButtonObj::EnableHilitePopup(unsigned char redraw) {
  if (hilite_ != 0) return;
  hilite_ = 1;
  RedrawOutputPopupMenuButton(redraw);
}

void cSp_PopupMenuButtonObj::DisableHilitePopup(unsigned char redraw) {
  if (hilite_ == 0) return;
  hilite_ = 0;
  RedrawOutputPopupMenuButton(redraw);
}

void cSp_PopupMenuButtonObj::MarkAndShowVisible(unsigned char redraw) {
  Mark();
  if (redraw != 0) UpdateViewableDrawingArea(1, 1, nullptr);
}

void cSp_PopupMenuButtonObj::MarkIfHilited(unsigned char redraw) {
  if (hilite_ == 0) return;
  RedrawOutputPopupMenuButton(redraw);
}

void cSp_PopupMenuButtonObj::SetupSelectPopupMenuButtonItem(short number, unsigned char redraw) {
  if (GetSelectionMenuItemNo() == number) return;
  SetSelectionMenuItem(number);
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetSelectionItem(short number, unsigned char redraw) {
  if (GetSelectionMenuItemNo() == number) return;
  SetSelectionMenuItem(number);
  Mark();
  if (redraw != 0) DrawView(1, 0);
}

// ---- Appearance -----------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::SetupMiniButtonFlag(unsigned char mini, unsigned char redraw) {
  if (mini == mini_) return;
  mini_ = mini;
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupTitleStringFontNo(short font, unsigned char redraw) {
  if (font == titleFont_) return;
  titleFont_ = font;
  SetupMenuTextFont(font);
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupTitleStringTextSize(short size, unsigned char redraw) {
  if (size == titleSize_) return;
  titleSize_ = size;
  SetupMenuTextSize(size);
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupTitleStringPositionType(tPositionType position,
                                                          unsigned char redraw) {
  if (position == titleAlignment_) return;
  titleAlignment_ = position;
  SetupMenuItemOutputPositionType(position);
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupMenuButtonLeftOffset(short offset, unsigned char redraw) {
  if (offset == leftOffset_) return;
  leftOffset_ = offset;
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupMenuButtonRightOffset(short offset, unsigned char redraw) {
  if (offset == rightOffset_) return;
  rightOffset_ = offset;
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetupNonSelectionOutputString(const char* text) {
  if (text == nullptr || text[0] == '\0') {
    if (placeholder_[0] == '\0') return;
    placeholder_[0] = '\0';
  } else {
    char cut[kSpPopupButtonPlaceholderSize];
    // Cut on a character boundary to the field, so a long text never runs past it.
    Sp_CutStringByByteLen(text, kSpPopupButtonPlaceholderSize - 1, cut);
    if (std::strcmp(cut, placeholder_) == 0) return;
    std::memcpy(placeholder_, cut, std::strlen(cut) + 1);
  }
  if (GetSelectionMenuItem() == nullptr) Mark();
}

void cSp_PopupMenuButtonObj::WipeOutPopupMenuButtonItem(unsigned char redraw) {
  WipeOutAllPopupMenuItem();
  MarkAndShowVisible(redraw);
}

// ---- Colours --------------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::DeriveHiliteColours() {
  const float p = hilitePercentage_;
  colours_.hiliteFrame = colours_.frame;
  colours_.hiliteContent = TowardWhite(colours_.upContent, p);
  colours_.hiliteString = TowardWhite(colours_.upString, p);
  colours_.hiliteTriangle = TowardWhite(colours_.upTriangle, p);
  colours_.hiliteSeparator = TowardWhite(colours_.upSeparator, p);
}

void cSp_PopupMenuButtonObj::SetUpColour(RGBColor& up, const RGBColor& colour,
                                         unsigned char redraw) {
  if (Same(up, colour)) return;
  up = colour;
  // While the hilite colours are derived, every one of them follows its up colour.
  if (customHilite_ == 0) DeriveHiliteColours();
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetPlainColour(RGBColor& slot, const RGBColor& colour,
                                            unsigned char redraw) {
  if (Same(slot, colour)) return;
  slot = colour;
  MarkAndShowVisible(redraw);
}

void cSp_PopupMenuButtonObj::SetHiliteColour(RGBColor& slot, const RGBColor& colour,
                                             unsigned char redraw) {
  if (customHilite_ != 0 && Same(slot, colour)) return;
  slot = colour;
  customHilite_ = 1;
  MarkIfHilited(redraw);
}

void cSp_PopupMenuButtonObj::SetupFrameColor(const RGBColor& c, unsigned char redraw) {
  SetUpColour(colours_.frame, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupUpButtonContentColor(const RGBColor& c, unsigned char redraw) {
  SetUpColour(colours_.upContent, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupUpButtonStringColor(const RGBColor& c, unsigned char redraw) {
  SetUpColour(colours_.upString, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupUpButtonTriangleColor(const RGBColor& c, unsigned char redraw) {
  SetUpColour(colours_.upTriangle, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupUpButtonSeparateLineColor(const RGBColor& c,
                                                            unsigned char redraw) {
  SetUpColour(colours_.upSeparator, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupDownButtonContentColor(const RGBColor& c, unsigned char redraw) {
  SetPlainColour(colours_.downContent, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupDownButtonStringColor(const RGBColor& c, unsigned char redraw) {
  SetPlainColour(colours_.downString, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupDownButtonTriangleColor(const RGBColor& c,
                                                          unsigned char redraw) {
  SetPlainColour(colours_.downTriangle, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupDownButtonSeparateLineColor(const RGBColor& c,
                                                              unsigned char redraw) {
  SetPlainColour(colours_.downSeparator, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupHiliteFrameColor(const RGBColor& c, unsigned char redraw) {
  SetHiliteColour(colours_.hiliteFrame, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupHiliteContentColor(const RGBColor& c, unsigned char redraw) {
  SetHiliteColour(colours_.hiliteContent, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupHiliteStringColor(const RGBColor& c, unsigned char redraw) {
  SetHiliteColour(colours_.hiliteString, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupHiliteTraiangleColor(const RGBColor& c, unsigned char redraw) {
  SetHiliteColour(colours_.hiliteTriangle, c, redraw);
}
void cSp_PopupMenuButtonObj::SetupHiliteSeparateColor(const RGBColor& c, unsigned char redraw) {
  SetHiliteColour(colours_.hiliteSeparator, c, redraw);
}

void cSp_PopupMenuButtonObj::SetupHiliteColorPercentage(float percentage, unsigned char redraw) {
  if (customHilite_ == 0 && percentage == hilitePercentage_) return;
  hilitePercentage_ = percentage;
  SetupHiliteColorWithPercentage(0);
  MarkIfHilited(redraw);
}

void cSp_PopupMenuButtonObj::SetupHiliteColorWithPercentage(unsigned char redraw) {
  customHilite_ = 0;
  DeriveHiliteColours();
  MarkIfHilited(redraw);
}

// ---- Callbacks ------------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::SetupChangeSelectionProc(tSpPopupMenuButtonChangeProcPtr proc,
                                                      unsigned long refCon) {
  changeProc_ = proc;
  changeRefCon_ = refCon;
}

void cSp_PopupMenuButtonObj::SetupModifyTitleStringProc(tSpPopupMenuButtonTitleProcPtr proc,
                                                        unsigned long refCon) {
  titleProc_ = proc;
  titleRefCon_ = refCon;
}

void cSp_PopupMenuButtonObj::ExecChangeSelectionMenuItem(short oldNo, short newNo) {
  if (changeProc_ != nullptr) changeProc_(this, oldNo, newNo, changeRefCon_);
}

unsigned char cSp_PopupMenuButtonObj::ExecModifyTitleStringProc(short number, char* title,
                                                                char* out, SInt32 size) {
  if (title == nullptr || out == nullptr) {
    SpReportFailure(kSource, "cSp_PopupMenuButtonObj::ExecModifyTitleStringProc", 1,
                    kSpMsgNullArgument);
    return 0;
  }
  if (titleProc_ == nullptr) return 0;
  return titleProc_(this, number, titleRefCon_, title, out, size);
}

// ---- Place ----------------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::FollowVisibleArea() {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    EnableHotSpotArea();
    SetupHotSpotArea(visible);
  } else {
    DisableHotSpotArea();
  }
}

void cSp_PopupMenuButtonObj::ChangeArea(const Rect& area, unsigned char redraw) {
  ResizeViewArea(area, redraw, 1);
  FollowVisibleArea();
}

void cSp_PopupMenuButtonObj::ResizePopupMenuButton(short width, short height,
                                                   unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  bool changed = false;
  if (width >= 0 && width != area.right - area.left) {
    area.right = short(area.left + width);
    changed = true;
  }
  if (height >= 0 && height != area.bottom - area.top) {
    area.bottom = short(area.top + height);
    changed = true;
  }
  if (changed) ChangeArea(area, redraw);
}

void cSp_PopupMenuButtonObj::MovePopupMenuButton(short left, short top, unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  bool changed = false;
  if (left >= 0 && left != area.left) {
    OffsetRect(&area, short(left - area.left), 0);
    changed = true;
  }
  if (top >= 0 && top != area.top) {
    OffsetRect(&area, 0, short(top - area.top));
    changed = true;
  }
  if (changed) ChangeArea(area, redraw);
}

void cSp_PopupMenuButtonObj::AfterContainerMoveExecute(cSp_View*, short, short, short, short) {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) return;
  SetupHotSpotArea(visible);
  Mark();
}

void cSp_PopupMenuButtonObj::AfterContainerResizeExecute(cSp_View*, short, short, short,
                                                         short) {
  AfterContainerMoveExecute(nullptr, 0, 0, 0, 0);
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_PopupMenuButtonObj::TitleText(char* out, SInt32 size) {
  out[0] = '\0';
  const cSp_PopupItemObj* item = GetSelectionMenuItem();
  if (item == nullptr) {
    Sp_CutStringByByteLen(placeholder_, short(size - 1), out);
    return;
  }
  char name[kTitleSize] = {};
  item->GetItemName(name, kTitleSize, nullptr);
  char rewritten[kTitleSize] = {};
  if (ExecModifyTitleStringProc(item->GetItemNo(), name, rewritten, kTitleSize) != 0) {
    rewritten[kTitleSize - 1] = '\0';
    Sp_CutStringByByteLen(rewritten, short(size - 1), out);
  } else {
    Sp_CutStringByByteLen(name, short(size - 1), out);
  }
}

void cSp_PopupMenuButtonObj::DrawTitle(const Rect& d) {
  const Rect area = {d.top, short(d.left + leftOffset_), d.bottom,
                     short(d.right - rightOffset_ - kTriangleArea)};
  char title[kTitleSize];
  TitleText(title, kTitleSize);
  const RGBColor& colour = hilite_ != 0    ? colours_.hiliteString
                           : pressed_ != 0 ? colours_.downString
                                           : colours_.upString;
  RGBForeColor(&colour);
  TextSize(titleSize_);
  TextFont(titleFont_);
  tPositionType alignment = titleAlignment_;
  const SInt16 length = SInt16(std::strlen(title));
  if (length > 0 && TextWidth(title, 0, length) > area.right - area.left) {
    char cut[kTitleSize];
    Sp_CutStringByWidth(title, short(area.right - area.left), 0, cut);
    std::memcpy(title, cut, std::strlen(cut) + 1);
    alignment = kSpPositionLeft;
  }
  Sp_DrawStringInRect(title, &area, alignment, kSpPositionCenter, 0, 0, 0, 0, 1, 0, 0, 0,
                      nullptr);
}

unsigned char cSp_PopupMenuButtonObj::UpdateProc() {
  Rect area;
  GetImmediateDrawingArea(&area);
  const Rect d = {0, 0, short(area.bottom - area.top), short(area.right - area.left)};
  const sSpPopupButtonColours& c = colours_;
  if (hilite_ != 0) {
    Sp_OCnt_DrawButtonDefaultFrame(0, 1, d, c.hiliteContent, c.hiliteFrame);
    Sp_OCnt_DrawButtonDefaultContent(1, d, c.hiliteContent);
  } else if (pressed_ != 0) {
    Sp_OCnt_DrawButtonDefaultFrame(1, mini_, d, c.downContent, c.frame);
    Sp_OCnt_DrawButtonDefaultContent(mini_, d, c.downContent);
  } else {
    Sp_OCnt_DrawButtonDefaultFrame(0, mini_, d, c.upContent, c.frame);
    Sp_OCnt_DrawButtonDefaultContent(mini_, d, c.upContent);
  }
  sTextStyleAttributes style;
  Sp_GetCurrentPortTextStyleAttribute(style);
  RGBColor fore;
  GetForeColor(&fore);
  PenNormal();

  RgnHandle rgn = NewRgn();
  if (rgn == nullptr) {
    SpReportFailure(kSource, "cSp_PopupMenuButtonObj::UpdateProc", 2, kSpMsgMemory);
    Sp_SetCurrentPortTextStyleAttribute(style);
    return 0;
  }
  const RGBColor& triangle = hilite_ != 0    ? c.hiliteTriangle
                             : pressed_ != 0 ? c.downTriangle
                                             : c.upTriangle;
  const int cy = (d.top + 1 + d.bottom) / 2;
  const int x0 = (2 * d.right - 27) / 2;
  const Point up[3] = {Pt(x0, cy - 1), Pt(x0 + 7, cy - 1), Pt(x0 + 3, cy - 5)};
  const Point down[3] = {Pt(x0 - 1, cy + 1), Pt(x0 + 7, cy + 1), Pt(x0 + 3, cy + 5)};
  sp_popup_detail::FillTriangle(rgn, up, triangle);
  sp_popup_detail::FillTriangle(rgn, down, triangle);
  DisposeRgn(rgn);

  const RGBColor& separator = hilite_ != 0    ? c.hiliteSeparator
                              : pressed_ != 0 ? c.downSeparator
                                              : c.upSeparator;
  const short line = short(d.right - kTriangleArea);
  DrawRun(line, short(d.top + 2), line, short(d.bottom - 2), separator);
  if (separatorHighlight_ != 0 && hilite_ == 0) {
    DrawRun(short(line + 1), short(d.top + 3), short(line + 1), short(d.bottom - 2),
            pressed_ != 0 ? c.downSeparatorHighlight : c.upSeparatorHighlight);
  }
  DrawTitle(d);
  Sp_SetCurrentPortTextStyleAttribute(style);
  RGBForeColor(&fore);
  return 1;
}

// ---- The mouse ------------------------------------------------------------------------------

unsigned char cSp_PopupMenuButtonObj::HotSpotMouseDonwProc(short, Point) {
  if (hilite_ != 0) return 0;
  pressed_ = 1;
  DrawView(1, 0);
  WindowRef window = GetTargetWindowPtr();
  Point mouse = {0, 0};
  {
    cSpPortSaver port(window);
    GetMouse(&mouse);
  }
  Rect button;
  GetDrawingAreaOnWindow(&button);
  button.right = short(button.right - kTriangleArea);
  const short before = GetSelectionMenuItemNo();
  OpenMouseDownPopupWin(window, button, mouse, 0);
  const short after = GetSelectionMenuItemNo();
  if (after != before) {
    ExecChangeSelectionMenuItem(before, after);
    Mark();
  }
  ReDrawAreaUpdateView(0);
  return 1;
}

unsigned char cSp_PopupMenuButtonObj::HotSpotMouseUpProc(short, Point) {
  pressed_ = 0;
  DrawView(1, 0);
  return 1;
}
