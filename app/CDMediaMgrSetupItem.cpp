// The media window's views and controls, built from the rectangles of its dialog item list,
// their drawing, the title bar's procedures, the small progress output, and how everything
// follows a change of the window's size.
#include <algorithm>

#include "CDMediaManagerObj.h"
#include "SpDialogAnalyzor.h"
#include "SpDragAndDropObject.h"
#include "SpDrawingView.h"
#include "SpFontManager.h"
#include "SpListClass.h"
#include "SpMouseTraceObject.h"
#include "SpOC_IconButtonControl.h"
#include "SpOC_ScrollBarControl.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpStringView.h"
#include "SpTitleBarControl.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const short kColumnTitleStrings = 5010;
const short kButtonTextStrings = 5007;
const short kSaveButtonTextItem = 4;
const short kPlayIconID = 129;
const short kStopIconID = 130;
const short kAddIconID = 620;
const short kRemoveIconID = 621;
const short kInfoTitleCursorID = 610;
const short kNameTitleCursorID = 611;
const short kRowHeight = 18;
const short kScrollStep = 18;
const short kTitleTextSize = 10;
const short kListTextSize = 11;

Rect ItemRect(cDialogAnalyzor& layout, short item) {
  Rect rect = {0, 0, 0, 0};
  layout.GetItemInfoByItemNo(item, nullptr, &rect);
  return rect;
}

// The rectangle in the panel's content coordinates.
Rect InPanel(const Rect& rect, const Rect& panel) {
  Rect out = rect;
  OffsetRect(&out, short(-panel.left), short(-panel.top));
  return out;
}

short Width(const Rect& r) {
  return short(r.right - r.left);
}
short Height(const Rect& r) {
  return short(r.bottom - r.top);
}

// An icon of width x height centred in the button's rectangle (in the button's own
// coordinates), `down` pixels lower.
Rect CentredIcon(const Rect& button, short width, short height, short down) {
  const short left = short((Width(button) - width) / 2);
  const short top = short((Height(button) - height) / 2 + down);
  return Rect{top, left, short(top + height), short(left + width)};
}

RGBColor Percent(float red, float green, float blue) {
  RGBColor colour;
  Sp_SetRGBColorByPercentage(&colour, red, green, blue);
  return colour;
}

// The view's whole area in the coordinates its drawing procedure draws in.
Rect FullArea(const cSp_View* view) {
  Rect onWindow = {0, 0, 0, 0}, out = {0, 0, 0, 0};
  view->GetDrawingAreaOnWindow(&onWindow);
  view->OnWindowRectToOffscreenRect(onWindow, out);
  return out;
}

// The buttons' procedures call the window's operation (reference = the window).
template <void (cCDR_MediaManager::*Operation)()>
unsigned char CallWindow(unsigned long refCon, const char* method) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, method);
  if (m == nullptr) return 0;
  (m->*Operation)();
  return 1;
}

unsigned char CDRMM_CatchAddMusicFileButtonUpCompleatedCB(cSp_OriginalIconButtonControl*, Point,
                                                          unsigned long refCon) {
  return CallWindow<&cCDR_MediaManager::CatchAddMusicFileButtonUpCompleatedCB>(
      refCon, "CDRMM_CatchAddMusicFileButtonUpCompleatedCB");
}

unsigned char CDRMM_CatchSubMusicFileButtonUpCompleatedCB(cSp_OriginalIconButtonControl*, Point,
                                                          unsigned long refCon) {
  return CallWindow<&cCDR_MediaManager::CatchSubMusicFileButtonUpCompleatedCB>(
      refCon, "CDRMM_CatchSubMusicFileButtonUpCompleatedCB");
}

unsigned char CDRMM_CatchSaveFileButtonCB(cSp_OriginalIconButtonControl*, Point,
                                          unsigned long refCon) {
  return CallWindow<&cCDR_MediaManager::SaveFileInMultiTypeFormat>(refCon,
                                                                   "CDRMM_CatchSaveFileButtonCB");
}

}  // namespace

// ---- Building ----------------------------------------------------------------------------------

void cCDR_MediaManager::InitialSetupItemObject() {
  static const char kMethod[] = "cCDR_MediaManager::InitialSetupItemObject";
  WindowRef window = GetWindowRef();
  cDialogAnalyzor layout(kCDR_MediaWindowID);
  short width = 0, height = 0;
  GetSize(&width, &height);
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  const Rect whole = {0, 0, height, width};
  backgroundView_ = new (std::nothrow)
      cSp_DrawingView(window, whole, CDRMM_CatchDrawBackgroundCB, self, nullptr, 0);
  if (backgroundView_ == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgMemory);
    return;
  }
  const Rect panel = ItemRect(layout, kCDR_ItemListPanel);
  listPanelView_ = new (std::nothrow)
      cSp_DrawingView(window, panel, CDRMM_CatchDrawMediaItemListPanelCB, self, nullptr, 0);
  if (listPanelView_ == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
    return;
  }
  topBand_ = Rect{0, 0, short(panel.top + 5), width};
  bottomBand_ = Rect{panel.bottom, 0, height, width};
  panelInsets_ =
      Rect{panel.top, panel.left, short(height - panel.bottom), short(width - panel.right)};
  SetupButtons(layout, panel);
  SetupTitleBar(layout, panel);
  SetupMediaList(layout, panel);
  SetupTitleTraces(layout, panel);
  SetupDropTarget(panel);
  SetupScrollBar(layout, panel);
  SetupProgressOutput(layout, panel);
}

void cCDR_MediaManager::SetupButtons(cDialogAnalyzor& layout, const Rect& panel) {
  WindowRef window = GetWindowRef();
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  const RGBColor up = Percent(71, 74, 89);
  const RGBColor down = Percent(56, 61, 84);
  struct Spec {
    short item;
    cSp_OriginalIconButtonControl** field;
    short icon;
    tButtonIconType kind;
    short iconWidth, iconHeight, lower;
    tSpOrgB_ButtonProcPtr proc;
    bool enabled;
  };
  const Spec specs[] = {
      {kCDR_ItemButton16, &button16_, kPlayIconID, kOrgB_ColourIcon, 32, 32, 0, nullptr, false},
      {kCDR_ItemButton17, &button17_, kPlayIconID, kOrgB_ColourIcon, 32, 32, 0, nullptr, false},
      {kCDR_ItemButton18, &button18_, kPlayIconID, kOrgB_ColourIcon, 32, 32, 0, nullptr, false},
      {kCDR_ItemButton14, &button14_, kPlayIconID, kOrgB_ColourIcon, 32, 32, 0, nullptr, false},
      {kCDR_ItemButton15, &button15_, kStopIconID, kOrgB_ColourIcon, 32, 32, 1, nullptr, false},
      {kCDR_ItemRemoveButton, &removeButton_, kRemoveIconID, kOrgB_ColourIcon, 16, 12, 0,
       CDRMM_CatchSubMusicFileButtonUpCompleatedCB, false},
      {kCDR_ItemAddButton, &addButton_, kAddIconID, kOrgB_ColourIcon, 16, 12, 0,
       CDRMM_CatchAddMusicFileButtonUpCompleatedCB, true},
  };
  for (const Spec& spec : specs) {
    const Rect area = InPanel(ItemRect(layout, spec.item), panel);
    auto* button = new (std::nothrow) cSp_OriginalIconButtonControl(
        window, area, kOrgB_PushButton, kOrgB_FrameIconDrawing, listPanelView_, 1);
    *spec.field = button;
    if (button == nullptr) continue;
    button->SetButtonIcon(spec.icon, spec.kind,
                          CentredIcon(area, spec.iconWidth, spec.iconHeight, spec.lower), 5, 0, 0);
    button->SetUpButtonColor(up, 0, 1);
    button->SetDownButtonColor(down, 0, 1);
    button->SetupButtonDownOffset(1, 1);
    button->SetupButtonDownDarkRate(1.0f);
    if (spec.field != &addButton_) button->SetupHiliteRate(0.6f, 0);
    button->actionProc = spec.proc;
    button->actionRefCon = self;
    if (!spec.enabled) button->DisableButtonOutput(0);
  }
  const Rect saveArea = ItemRect(layout, kCDR_ItemSaveButton);
  saveButton_ = new (std::nothrow) cSp_OriginalIconButtonControl(
      window, saveArea, kOrgB_PushButton, kOrgB_FrameTitleDrawing, backgroundView_, 1);
  if (saveButton_ != nullptr) {
    char text[256] = "";
    Sp_GetResourceIndexString(text, kButtonTextStrings, kSaveButtonTextItem);
    saveButton_->SetButtonOutputString(text, 0);
    saveButton_->SetButtonTextSize(12, 0);
    saveButton_->SetUpButtonColor(Percent(37, 43, 69), 0, 1);
    saveButton_->SetUpButtonStringColor(white_, 0);
    saveButton_->SetDownButtonColor(down, 0, 1);
    saveButton_->SetDownButtonStringColor(Percent(93, 77, 82), 0);
    saveButton_->SetupButtonDownOffset(1, 1);
    saveButton_->SetupHiliteRate(0.5f, 0);
    saveButton_->SetupHiliteFlag(1);
    saveButton_->actionProc = CDRMM_CatchSaveFileButtonCB;
    saveButton_->actionRefCon = self;
  }
  const Rect remove = ItemRect(layout, kCDR_ItemRemoveButton);
  const Rect add = ItemRect(layout, kCDR_ItemAddButton);
  button14Bottom_ = short(panel.bottom - ItemRect(layout, kCDR_ItemButton14).bottom);
  button15Bottom_ = short(panel.bottom - ItemRect(layout, kCDR_ItemButton15).bottom);
  removeRight_ = short(panel.right - remove.right);
  removeTop_ = short(remove.top - panel.top);
  removeBottom_ = short(panel.bottom - remove.bottom);
  addRight_ = short(panel.right - add.right);
  addTop_ = short(add.top - panel.top);
  addBottom_ = short(panel.bottom - add.bottom);
  short width = 0, height = 0;
  GetSize(&width, &height);
  saveRight_ = short(width - saveArea.right);
  saveBottom_ = short(height - saveArea.bottom);
}

void cCDR_MediaManager::SetupTitleBar(cDialogAnalyzor& layout, const Rect& panel) {
  const Rect bar = ItemRect(layout, kCDR_ItemTitleBar);
  const Rect open = ItemRect(layout, kCDR_ItemOpenColumn);
  const Rect icon = ItemRect(layout, kCDR_ItemIconColumn);
  const Rect name = ItemRect(layout, kCDR_ItemNameColumn);
  const Rect info = ItemRect(layout, kCDR_ItemInfoColumn);
  nameAndIconWidth_ = short(icon.right - open.left);
  nameColumnWidth_ = nameColumnMinWidth_ = Width(name);
  infoColumnWidth_ = infoColumnMinWidth_ = Width(info);
  titleBarRight_ = short(panel.right - bar.right);
  nameTextWidth_ = short(nameColumnWidth_ - kCDR_NumberColumnWidth);
  titleBar_ = new (std::nothrow)
      cSp_TittleBarControl(GetWindowRef(), InPanel(bar, panel), listPanelView_, 1);
  if (titleBar_ == nullptr) return;
  const short widths[] = {nameAndIconWidth_, nameColumnWidth_, infoColumnWidth_};
  for (short item = 1; item <= 3; ++item) {
    const short w = widths[item - 1];
    titleBar_->SetupItem(kTBC_StringItem, w, w, item == 1 ? 1 : 0, -1);
    titleBar_->SetupTextSize(item, kTitleTextSize);
    char text[256] = "";
    Sp_GetResourceIndexString(text, kColumnTitleStrings, item);
    titleBar_->SetupOutputString(item, text);
  }
  titleBar_->EndPointFixMode(3);
  titleBar_->panel3DFrameOff();
  const RGBColor panelColour = Percent(100, 95, 26);
  titleBar_->SetupPanelColor(&panelColour);
  titleBar_->SeparatorDrawOn(-1);
  titleBar_->SeparatorFlexOn();
  titleBar_->EnableSeparatorMouseTrace(kTBC_SeparatorCursorID);
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  titleBar_->SetupSeparatorMoveingProcedure(CDRMM_CatchMoveMediaListTitleSeparatorCB, self);
  titleBar_->SetupSeparatorMoveEndProcedure(CDRMM_CatchMoveMediaListTitleSeparatorCB, self);
  titleBar_->SetupItemClickProcedure(3, CDRMM_CatchMouseDownOnMediaListInfoTitle, self);
  titleBar_->SetupButtonType(3, 0);
  titleBar_->SetupItemClickProcedure(2, CDRMM_CatchMouseDownOnMediaListNameTitle, self);
}

void cCDR_MediaManager::SetupMediaList(cDialogAnalyzor& layout, const Rect& panel) {
  const Rect open = ItemRect(layout, kCDR_ItemOpenColumn);
  const Rect icon = ItemRect(layout, kCDR_ItemIconColumn);
  const Rect info = ItemRect(layout, kCDR_ItemInfoColumn);
  const Rect area = InPanel(Rect{open.top, open.left, open.bottom, info.right}, panel);
  mediaList_ = Sp_CreateNewList(GetWindowRef(), area, Width(open), kRowHeight, 0, kCDR_ColumnCount,
                                1, nullptr, nullptr, listPanelView_, 1);
  if (mediaList_ == nullptr) return;
  listRight_ = short(Width(panel) - area.right);
  listBottom_ = short(Height(panel) - area.bottom);
  mediaList_->SetupSelectionMode(kLMgrSelectRows);
  mediaList_->SetupRangeSelection(0);
  mediaList_->EnableOutputStringModifyBehavior(-1, kCDR_NameColumn, 0);
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  mediaList_->SetupMouseClickCBProcPtr(CDRObj_MediaItemListClickProc, self);
  mediaList_->SetupMouseDoubleClickCBProcPtr(CDRObj_MediaItemListDblClickProc, self);
  mediaList_->SetupMouseDownCBProcPtr(CDRObj_CatchMediaWindMediaItemListMouseDownCB, self);
  mediaList_->SetupMouseDownMoveCBProcPtr(CDRObj_CatchMediaWindMediaItemListMouseMoveCB, self);
  mediaList_->SetupMouseUpCBProcPtr(CDRObj_CatchMediaWindMediaItemListMouseUpCB, self);
  mediaList_->SetDefaultForeColor(&listTextColor_);
  mediaList_->SetDefaultStringSize(kListTextSize);
  mediaList_->SetDefaultFont(0);
  // Rows are one line apart: a row's end line only.
  mediaList_->SetupRowLineWidth(0, 0, 1);
  mediaList_->SetupColLineWidth(kCDR_OpenColumn, 0, 0);
  mediaList_->SetColumnWidth(kCDR_IconColumn, Width(icon), 0);
  mediaList_->SetupColLineWidth(kCDR_IconColumn, 0, 0);
  mediaList_->SetColumnWidth(kCDR_NameColumn, nameTextWidth_, 0);
  mediaList_->SetupColLineWidth(kCDR_NameColumn, 1, 0);
  mediaList_->SetColumnWidth(kCDR_NumberColumn, kCDR_NumberColumnWidth, 0);
  mediaList_->SetupColLineWidth(kCDR_NumberColumn, 1, 0);
  mediaList_->SetColumnWidth(kCDR_InfoColumn, Width(info), 0);
  mediaList_->SetupColLineWidth(kCDR_InfoColumn, 1, 0);
  sLMgrCellBehaviorStruct behavior;
  mediaList_->GetCellBehaviorData(0, 0, &behavior);
  behavior.horizontalInset = 0;
  mediaList_->SetCellBehaviorData(0, 0, &behavior, 0);
  mediaList_->DisableList(0);
}

void cCDR_MediaManager::SetupTitleTraces(cDialogAnalyzor& layout, const Rect&) {
  const Rect bar = ItemRect(layout, kCDR_ItemTitleBar);
  WindowRef window = GetWindowRef();
  infoTitleTrace_ =
      new (std::nothrow) cMouseTraceObject(window, bar, 1, kInfoTitleCursorID, nullptr);
  nameTitleTrace_ =
      new (std::nothrow) cMouseTraceObject(window, bar, 1, kNameTitleCursorID, nullptr);
  if (infoTitleTrace_ != nullptr) infoTitleTrace_->DisableMouseTrace();
  if (nameTitleTrace_ != nullptr) nameTitleTrace_->DisableMouseTrace();
  SetupMediaListTitleMouseTraceArea();
}

void cCDR_MediaManager::SetupDropTarget(const Rect& panel) {
  if (mediaList_ == nullptr) return;
  Rect list = {0, 0, 0, 0};
  mediaList_->GetImmediateDrawingArea(&list);
  dragFrameView_ = new (std::nothrow)
      cSp_DrawingView(GetWindowRef(), list, CDRMM_CatchDrawMediaItemListDragCursorInFrameViewCB,
                      reinterpret_cast<unsigned long>(this), listPanelView_, 1);
  if (dragFrameView_ != nullptr) dragFrameView_->DisableViewOutput(0);
  Rect onWindow = list;
  OffsetRect(&onWindow, panel.left, panel.top);
  const Rect area = {onWindow.top, onWindow.left, panel.bottom, onWindow.right};
  dropCatcher_ = new (std::nothrow) cDropCatchObject(GetWindowRef(), area, 1, 1);
  SetupDropProcedures();
}

void cCDR_MediaManager::SetupScrollBar(cDialogAnalyzor& layout, const Rect& panel) {
  if (mediaList_ == nullptr) return;
  const Rect area = InPanel(ItemRect(layout, kCDR_ItemScrollBar), panel);
  scrollBar_ = new (std::nothrow)
      cSp_OrigScrollBarControl(GetWindowRef(), area, mediaList_, listPanelView_, 1);
  if (scrollBar_ == nullptr) return;
  scrollBar_->SetScrollAddValue(kScrollStep);
  scrollRight_ = short(Width(panel) - area.right);
  scrollBottom_ = short(Height(panel) - area.bottom);
}

void cCDR_MediaManager::SetupProgressOutput(cDialogAnalyzor& layout, const Rect& panel) {
  const Rect bar = ItemRect(layout, kCDR_ItemProgressBar);
  const Rect status = ItemRect(layout, kCDR_ItemStatusText);
  progressHeight_ = Height(bar);
  progressLeft_ = short(bar.left - panel.left);
  progressRight_ = short(panel.right - bar.right);
  progressBottom_ = short(panel.bottom - bar.bottom);
  statusHeight_ = Height(status);
  statusLeft_ = short(status.left - panel.left);
  statusRight_ = short(panel.right - status.right);
  statusBottom_ = short(panel.bottom - status.bottom);
  WindowRef window = GetWindowRef();
  progressBarView_ = new (std::nothrow)
      cSp_DrawingView(window, InPanel(bar, panel), CDRMM_CatchMediaWindowProgressBarDrawingCB,
                      reinterpret_cast<unsigned long>(this), listPanelView_, 1);
  if (progressBarView_ != nullptr) progressBarView_->DisableViewOutput(0);
  statusTextView_ = new (std::nothrow)
      cSp_StringView(window, InPanel(status, panel), nullptr, 9, listPanelView_, 1);
  if (statusTextView_ != nullptr) {
    statusTextView_->SetTextOutput_H_PositionType(kSpPositionLeft, 0);
    statusTextView_->DisableViewOutput(0);
  }
}

// ---- Sizes -------------------------------------------------------------------------------------

void cCDR_MediaManager::ResizeControls(short width, short height) {
  if (backgroundView_ != nullptr) backgroundView_->ResizeViewArea(Rect{0, 0, height, width}, 0, 0);
  const Rect panel = {panelInsets_.top, panelInsets_.left, short(height - panelInsets_.bottom),
                      short(width - panelInsets_.right)};
  const short panelWidth = Width(panel);
  const short panelHeight = Height(panel);
  if (listPanelView_ != nullptr) listPanelView_->ResizeViewArea(panel, 0, 0);
  if (titleBar_ != nullptr) {
    Rect bar = {0, 0, 0, 0};
    titleBar_->GetImmediateDrawingArea(&bar);
    bar.right = short(panelWidth - titleBarRight_);
    // The info column keeps its width; the name column takes the change down to its least
    // width, and the info column then has what is left.
    const short room = short(Width(bar) - nameAndIconWidth_);
    const short name = std::max(short(room - infoColumnWidth_), nameColumnMinWidth_);
    if (name != nameColumnWidth_) {
      nameColumnWidth_ = name;
      nameTextWidth_ = short(name - kCDR_NumberColumnWidth);
    }
    infoColumnWidth_ = std::max(short(room - name), short(0));
    titleBar_->SetupItemWidth(2, nameColumnWidth_);
    titleBar_->SetupItemWidth(3, infoColumnWidth_);
    titleBar_->ResizeTitleBar(bar, 0, 0);
  }
  if (mediaList_ != nullptr) {
    Rect list = {0, 0, 0, 0};
    mediaList_->GetImmediateDrawingArea(&list);
    mediaList_->Resize(short(panelWidth - listRight_ - list.left),
                       short(panelHeight - listBottom_ - list.top), 0);
    ModifyMediaItemListItemWidthFromSetupItemWidth();
    mediaList_->GetImmediateDrawingArea(&list);
    if (dragFrameView_ != nullptr) dragFrameView_->ResizeViewArea(list, 0, 0);
    if (dropCatcher_ != nullptr) {
      Rect area = list;
      OffsetRect(&area, panel.left, panel.top);
      area.bottom = panel.bottom;
      dropCatcher_->SetupDropTargetArea(area);
    }
  }
  const struct {
    cSp_OriginalIconButtonControl* button;
    short right, top;
  } rightButtons[] = {{removeButton_, removeRight_, removeTop_}, {addButton_, addRight_, addTop_}};
  for (const auto& entry : rightButtons) {
    if (entry.button == nullptr) continue;
    Rect area = {0, 0, 0, 0};
    entry.button->GetImmediateDrawingArea(&area);
    entry.button->MoveOriginalButtonCnt(short(panelWidth - entry.right - Width(area)), entry.top,
                                        0);
  }
  const struct {
    cSp_OriginalIconButtonControl* button;
    short bottom;
  } lowButtons[] = {{button14_, button14Bottom_}, {button15_, button15Bottom_}};
  for (const auto& entry : lowButtons) {
    if (entry.button == nullptr) continue;
    Rect area = {0, 0, 0, 0};
    entry.button->GetImmediateDrawingArea(&area);
    entry.button->MoveOriginalButtonCnt(area.left, short(panelHeight - entry.bottom - Height(area)),
                                        0);
  }
  if (saveButton_ != nullptr) {
    Rect area = {0, 0, 0, 0};
    saveButton_->GetImmediateDrawingArea(&area);
    saveButton_->MoveOriginalButtonCnt(short(width - saveRight_ - Width(area)),
                                       short(height - saveBottom_ - Height(area)), 0);
  }
  if (scrollBar_ != nullptr) {
    Rect area = {0, 0, 0, 0};
    scrollBar_->GetImmediateDrawingArea(&area);
    const short barWidth = Width(area);
    scrollBar_->MoveOriginalScrollBar(short(panelWidth - scrollRight_ - barWidth), area.top, 0);
    scrollBar_->ResizeOriginalScrollBar(-1, short(panelHeight - scrollBottom_ - area.top), 0);
    scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  }
  const struct {
    cSp_View* view;
    short height, left, right, bottom;
  } lowViews[] = {
      {progressBarView_, progressHeight_, progressLeft_, progressRight_, progressBottom_},
      {statusTextView_, statusHeight_, statusLeft_, statusRight_, statusBottom_},
  };
  for (const auto& entry : lowViews) {
    if (entry.view == nullptr) continue;
    const short bottom = short(panelHeight - entry.bottom);
    entry.view->ResizeViewArea(
        Rect{short(bottom - entry.height), entry.left, bottom, short(panelWidth - entry.right)}, 0,
        0);
  }
}

// ---- Drawing -----------------------------------------------------------------------------------

// Bands across the whole width from the top: one pixel of 90 % grey, two of 95 % grey, down
// to the rectangle's height.
void cCDR_MediaManager::CatchDrawBackgroundCB(Rect* area) {
  if (backgroundView_ == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::CatchDrawBackgroundCB", 1, kSpMsgDataError);
    return;
  }
  if (area == nullptr) return;
  const Rect whole = FullArea(backgroundView_);
  cSpPortSaver port;
  RGBColor saved;
  GetForeColor(&saved);
  PenSize(1, 1);
  const RGBColor dark = Percent(90, 90, 90);
  const RGBColor light = Percent(95, 95, 95);
  const short height = Height(whole);
  bool darkBand = true;
  for (short y = 0; y < height;) {
    const short bottom = std::min(short(y + (darkBand ? 1 : 2)), height);
    RGBForeColor(darkBand ? &dark : &light);
    const Rect band = {short(whole.top + y), whole.left, short(whole.top + bottom), whole.right};
    PaintRect(&band);
    y = bottom;
    darkBand = !darkBand;
  }
  RGBForeColor(&saved);
}

void cCDR_MediaManager::CatchDrawMediaItemListPanelCB(Rect* area) {
  if (area == nullptr || listPanelView_ == nullptr) return;
  cSpPortSaver port;
  RGBColor saved;
  GetForeColor(&saved);
  RGBColor frame;
  Sp_SetRGBColorBy255(&frame, 88, 88, 154);
  Sp_Draw3DSmoothPanel(FullArea(listPanelView_), 5, 5, frame, listPanelColor);
  if (mediaList_ != nullptr) {
    Rect onWindow = {0, 0, 0, 0}, list = {0, 0, 0, 0};
    mediaList_->GetDrawingAreaOnWindow(&onWindow);
    listPanelView_->OnWindowRectToOffscreenRect(onWindow, list);
    list.right = short(list.right - 4);
    const RGBColor back = Percent(95, 94, 100);
    RGBForeColor(&back);
    PaintRect(&list);
    Sp_Draw3DFrameVer2(nullptr, &list, &frame, 0.3f, 0.3f, kSp3DFrameSunken, 1);
  }
  RGBForeColor(&saved);
}

void cCDR_MediaManager::CatchMediaWindowProgressBarDrawingCB(Rect* area, unsigned char dimmed) {
  if (area == nullptr || progressBarView_ == nullptr) return;
  cSpPortSaver port;
  RGBColor saved;
  GetForeColor(&saved);
  PenSize(1, 1);
  const RGBColor black = {0, 0, 0};
  const RGBColor white = {65535, 65535, 65535};
  RGBColor base = Percent(46, 34.5f, 90);
  RGBColor fill = Percent(25, 70, 10);
  if (dimmed != 0) {
    Sp_RGBInBetweenColor(&base, &white, 0.5f, &base);
    Sp_RGBInBetweenColor(&fill, &white, 0.5f, &fill);
  }
  const Rect r = FullArea(progressBarView_);
  const short width = Width(r);
  const short filled = short(float(width) * smallProgressFraction);
  const short middle = short(Height(r) / 2);
  const float step = middle > 4 ? 0.5f / float(middle - 4) : 0.5f;
  auto line = [&](short y, const RGBColor& colour, short right) {
    if (y < 0 || y >= Height(r)) return;
    RGBForeColor(&colour);
    MoveTo(r.left, short(r.top + y));
    LineTo(short(right - 1), short(r.top + y));
  };
  auto shade = [&](const RGBColor& colour, short right, bool filledPart) {
    RGBColor mixed;
    float rate = 0.5f;
    for (short y = 3; y <= middle; ++y, rate += step) {
      if (filledPart) {
        Sp_RGBInBetweenColor(&white, &colour, rate, &mixed);
      } else {
        Sp_RGBInBetweenColor(&black, &colour, rate, &mixed);
      }
      line(y, mixed, right);
    }
    rate = 0;
    for (short y = short(middle + 1); y <= Height(r) - 4; ++y, rate += step) {
      Sp_RGBInBetweenColor(&colour, &black, rate, &mixed);
      line(y, mixed, right);
    }
  };
  RGBColor edge;
  Sp_RGBInBetweenColor(&base, &black, 0.6f, &edge);
  shade(base, r.right, false);
  line(1, base, r.right);
  line(short(Height(r) - 2), base, r.right);
  for (short y : {short(0), short(2), short(Height(r) - 1), short(Height(r) - 3)})
    line(y, edge, r.right);
  RGBForeColor(&edge);
  MoveTo(r.left, r.top);
  LineTo(r.left, short(r.bottom - 1));
  MoveTo(short(r.right - 1), r.top);
  LineTo(short(r.right - 1), short(r.bottom - 1));
  if (filled > 0) {
    const short right = short(r.left + filled);
    shade(fill, right, true);
    RGBColor first;
    Sp_RGBInBetweenColor(&fill, &black, 0.3f, &first);
    line(3, first, right);
  }
  RGBForeColor(&saved);
}

void cCDR_MediaManager::CatchMoveMediaListTitleSeparatorCB(short) {
  if (titleBar_ == nullptr) return;
  short name = 0, info = 0;
  if (!titleBar_->GetItemWidth(2, name) || !titleBar_->GetItemWidth(3, info)) {
    SpReportFailure(kSource, "cCDR_MediaManager::CatchMoveMediaListTitleSeparatorCB", 1,
                    kSpMsgDataError);
    return;
  }
  nameColumnWidth_ = name;
  infoColumnWidth_ = info;
  nameTextWidth_ = short(name - kCDR_NumberColumnWidth);
  ModifyMediaItemListItemWidthFromSetupItemWidth();
}

void cCDR_MediaManager::EnableMediaProgressOutput(unsigned char resetBar, unsigned char clearText) {
  if (progressBarView_ != nullptr) {
    if (resetBar != 0) smallProgressFraction = 0;
    progressBarView_->EnableViewOutput(0);
  }
  if (statusTextView_ != nullptr) {
    if (clearText != 0) statusTextView_->SetString("", 0);
    statusTextView_->EnableViewOutput(0);
  }
}

void cCDR_MediaManager::DisableMediaProgressOutput() {
  if (progressBarView_ != nullptr) progressBarView_->DisableViewOutput(0);
  if (statusTextView_ != nullptr) statusTextView_->DisableViewOutput(0);
}

// ---- Static procedures -------------------------------------------------------------------------

void CDRMM_CatchDrawBackgroundCB(unsigned long refCon, Rect* area) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDrawBackgroundCB")) {
    m->CatchDrawBackgroundCB(area);
  }
}

void CDRMM_CatchDrawMediaItemListPanelCB(unsigned long refCon, Rect* area) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDrawMediaItemListPanelCB")) {
    m->CatchDrawMediaItemListPanelCB(area);
  }
}

void CDRMM_CatchMediaWindowProgressBarDrawingCB(unsigned long refCon, Rect* area) {
  if (cCDR_MediaManager* m =
          CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchMediaWindowProgressBarDrawingCB")) {
    m->CatchMediaWindowProgressBarDrawingCB(area, 0);
  }
}

void CDRMM_CatchMoveMediaListTitleSeparatorCB(short item, unsigned long refCon) {
  if (cCDR_MediaManager* m =
          CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchMoveMediaListTitleSeparatorCB")) {
    m->CatchMoveMediaListTitleSeparatorCB(item);
  }
}

void CDRMM_CatchMouseDownOnMediaListInfoTitle(unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cCDR_MediaManager*>(refCon)->ChangeMediaItemListInfoItem();
}

void CDRMM_CatchMouseDownOnMediaListNameTitle(unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cCDR_MediaManager*>(refCon)->ChangeMediaItemListNameItem();
}
