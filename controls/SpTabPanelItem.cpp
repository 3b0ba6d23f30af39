// One tab of a tab panel, and the tab format.
#include <cstring>

#include "QDRegions.h"
#include "QDText.h"
#include "SpErrorInfoSystem.h"
#include "SpOC_Drawing.h"
#include "SpTabPanelObject.h"

namespace {

const char kSource[] = "SpTabPanelObject";

// The rounded corners of a tab.
const short kCornerRadius = 4;

}  // namespace

void SpTPO_InitializeTabFomatStructer(sSp_OTPC_TabFormat* format) {
  if (format == nullptr) return;
  // Every field starts at zero: a copy never carries a value nobody set.
  *format = sSp_OTPC_TabFormat();
  format->fontNo = 0;
  format->textSize = 0;
  format->titlePosition = kSpPositionCenter;
  format->tabHeight = 16;
  format->iconLeftOffset = 10;
  format->stringLeftOffset = 10;
  format->stringRightOffset = 10;
  format->tabFrameColor = SpOC_Grey(0);
  format->selectedTabColor = SpOC_Grey(100);
  format->shadowTabColor = SpOC_Grey(80);
  format->selectedTabStringColor = SpOC_Grey(0);
  format->shadowTabStringColor = SpOC_Grey(20);
  format->bodyFrameColor = SpOC_Grey(0);
}

cSp_OrgTabPanelControlItem::cSp_OrgTabPanelControlItem() {
  StartUpInitialize();
}

cSp_OrgTabPanelControlItem::~cSp_OrgTabPanelControlItem() {
  if (title_ != nullptr) SpSO_DisposeStringObject(title_);
}

void cSp_OrgTabPanelControlItem::StartUpInitialize() {
  refNum_ = 0;
  iconHeight_ = iconWidth_ = iconOffset_ = 0;
  SpTPO_InitializeTabFomatStructer(&format_);
  title_ = nullptr;
}

void cSp_OrgTabPanelControlItem::SetupTitleText(const char* text) {
  if (text == nullptr) return;
  if (title_ == nullptr) title_ = SpSO_NewStringObject();
  if (title_ == nullptr) {
    SpReportFailure(kSource, "cSp_OrgTabPanelControlItem:SetupTitleText", 1,
                    "Cannot allocated memory!! ");
    return;
  }
  SpSO_strcopy(title_, text);
}

void cSp_OrgTabPanelControlItem::SetupTabDrawingFormat(const sSp_OTPC_TabFormat* format,
                                                       unsigned char reset) {
  if (format != nullptr) format_ = *format;
  if (reset != 0) ResetAreaSize();
}

void cSp_OrgTabPanelControlItem::SetupItemRefNum(unsigned char following) {
  for (cSp_OrgTabPanelControlItem* tab = this; tab != nullptr; tab = tab->GetNextObjectPtr()) {
    const cSp_OrgTabPanelControlItem* before = tab->GetBeforeObjectPtr();
    tab->refNum_ = short(before != nullptr ? before->refNum_ + 1 : 1);
    if (following == 0) break;
  }
}

void cSp_OrgTabPanelControlItem::GetTitle(char (&buffer)[256]) const {
  buffer[0] = 0;
  if (title_ == nullptr) return;
  unsigned char cut = 0;
  SpSO_GetString(title_, buffer, SInt32(sizeof buffer), cut);
}

void cSp_OrgTabPanelControlItem::ResetAreaSize() {
  short titleWidth = 0;
  {
    PenState pen;
    GetPenState(&pen);
    TextFont(format_.fontNo);
    TextSize(format_.textSize);
    if (title_ != nullptr) {
      char text[256];
      GetTitle(text);
      titleWidth = TextWidth(text, 0, short(std::strlen(text)));
    }
    SetPenState(&pen);
  }
  const cSp_OrgTabPanelControlItem* before = GetBeforeObjectPtr();
  const short height = format_.tabHeight;
  area_.left = before != nullptr ? before->area_.right : 0;
  area_.top = 0;
  area_.bottom = height;
  iconArea_.left = short(area_.left + iconOffset_);
  iconArea_.right = short(iconArea_.left + iconWidth_);
  iconArea_.top = short((height - iconHeight_) / 2);
  iconArea_.bottom = short(iconArea_.top + iconHeight_);
  stringArea_.left = short(iconArea_.right + format_.stringLeftOffset);
  stringArea_.right = short(stringArea_.left + titleWidth);
  stringArea_.top = 2;
  stringArea_.bottom = short(height - 2);
  area_.right = short(stringArea_.right + format_.stringRightOffset);
}

void cSp_OrgTabPanelControlItem::DrawTabItem(unsigned char selected) {
  RgnHandle outline = NewRgn();
  if (outline == nullptr) {
    SpReportFailure(kSource, "cSp_OrgTabPanelControlItem::DrawTabItem", 1, kSpMsgMemory);
    return;
  }
  const short t = area_.top, l = area_.left, b = area_.bottom, r = area_.right;
  const short k = kCornerRadius;
  PenState pen;
  GetPenState(&pen);
  RGBColor foreground;
  GetForeColor(&foreground);

  // The outline: up the left edge, round the top corners, down the right edge.
  OpenRgn();
  SpOC_Line(l, b, l, short(t + k));
  Sp_DrawFrameArc(Point{short(t + k), short(l + k)}, k, 270, 90, 0);
  LineTo(short(r - k), t);
  Sp_DrawFrameArc(Point{short(t + k), short(r - k)}, k, 0, 90, 0);
  LineTo(r, b);
  LineTo(l, b);
  CloseRgn(outline);

  const RGBColor& fill = selected != 0 ? format_.selectedTabColor : format_.shadowTabColor;
  const RGBColor& titleColour =
      selected != 0 ? format_.selectedTabStringColor : format_.shadowTabStringColor;
  const RGBColor white = SpOC_Grey(100), g10 = SpOC_Grey(10);
  PenSize(1, 1);
  RGBForeColor(&fill);
  PaintRgn(outline);
  DisposeRgn(outline);

  // The frame: lit along the left and top, fading toward the right.
  RGBForeColor(&format_.tabFrameColor);
  SpOC_Line(l, b, l, short(t + k));
  Sp_DrawFrameArc(Point{short(t + k), short(l + k)}, k, 270, 90, 0);
  LineTo(short(r - k), t);
  RGBColor c = SpOC_Mix(format_.tabFrameColor, g10, 0.1f);
  RGBForeColor(&c);
  Sp_DrawFrameArc(Point{short(t + k), short(r - k)}, k, 0, 45, 0);
  c = SpOC_Mix(format_.tabFrameColor, g10, 0.4f);
  RGBForeColor(&c);
  Sp_DrawFrameArc(Point{short(t + k), short(r - k)}, k, 45, 45, 0);
  c = SpOC_Mix(format_.tabFrameColor, g10, 0.8f);
  RGBForeColor(&c);
  LineTo(r, b);
  c = SpOC_Mix(fill, g10, 0.5f);
  RGBForeColor(&c);
  SpOC_Line(short(r - 1), short(t + 5), short(r - 1), short(b - 2));

  // A tab behind the selected one sits on the body's base line.
  if (selected == 0) {
    c = SpOC_Mix(format_.bodyFrameColor, white, 0.4f);
    RGBForeColor(&c);
    SpOC_Line(l, short(b - 2), r, short(b - 2));
    c = SpOC_Mix(format_.bodyFrameColor, white, 0.8f);
    RGBForeColor(&c);
    SpOC_Line(l, short(b - 1), short(r - 1), short(b - 1));
  }

  char text[256];
  GetTitle(text);
  RGBForeColor(&titleColour);
  TextSize(format_.textSize);
  TextFont(format_.fontNo);
  Sp_DrawStringInRect(text, &stringArea_, format_.titlePosition, kSpPositionCenter, 0, 0, 0, 0, 1,
                      0, 0, 0, nullptr);

  // Highlights: a selected tab runs them down to its bottom, opening into the body.
  const short from = selected != 0 ? b : short(b - 3);
  c = SpOC_Mix(white, format_.bodyColor, 0.6f);
  RGBForeColor(&c);
  SpOC_Line(short(l + 1), from, short(l + 1), short(t + 5));
  c = SpOC_Mix(white, format_.bodyColor, 0.5f);
  RGBForeColor(&c);
  SpOC_Line(short(l + 2), from, short(l + 2), short(t + 5));
  Sp_DrawFrameArc(Point{short(t + 5), short(l + 5)}, k, 270, 90, 0);
  LineTo(short(r - 5), short(t + 1));

  RGBForeColor(&foreground);
  SetPenState(&pen);
}
