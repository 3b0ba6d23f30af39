// The icon panel button: an icon button in a ringed frame view, with a hover area.
#include <new>

#include "Icons.h"
#include "QDPictures.h"
#include "SpErrorInfoSystem.h"
#include "SpOC_IconButtonControl.h"
#include "SpResourceManager.h"
#include "SpViewWindow.h"

namespace {

const char kSource[] = "SpOC_IconButtonControl";

cSp_OriginalMouseTraceIconPanelButtonControl* PanelOf(unsigned long refCon) {
  return reinterpret_cast<cSp_OriginalMouseTraceIconPanelButtonControl*>(refCon);
}

}  // namespace

cSp_OriginalMouseTraceIconPanelButtonControl::cSp_OriginalMouseTraceIconPanelButtonControl(
    WindowRef window, const Rect& area, const Rect& iconArea, short value1, short value2,
    tButtonType type, tButtonIconType iconKind, cSp_View* container,
    unsigned char frameInContainerOffscreen, unsigned char colourCursor, short cursorId,
    cMouseTraceObject* parentArea)
    : cSp_OriginalIconButtonControl(window, area, type, kOrgB_ClientDrawing, nullptr, 0) {
  StartUpInitialize();
  panelIconArea_ = iconArea;
  value1_ = value1;
  value2_ = value2;
  panelIconKind_ = iconKind;
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  frameView_ =
      new (std::nothrow) cSp_DrawingView(window, area, SpOMTIBC_CatchDrawFrameDrawingViewCB, self,
                                         container, frameInContainerOffscreen);
  if (frameView_ == nullptr) {
    SpReportFailure(kSource, "cSp_OriginalMouseTraceIconPanelButtonControl", 2, kSpMsgMemory);
  }
  SetupUpButtonDrawingProc(Sp_OCntIconPanelButton_CatchDrawingOriginalMouseTraceIconCB, self);
  SetupDownButtonDrawingProc(Sp_OCntIconPanelButton_CatchDrawingOriginalMouseTraceIconCB, self);
  cSp_ViewWindow* viewWindow = GetViewWindowObjPtr();
  if (viewWindow == nullptr) {
    SpReportFailure(kSource, "cSp_OriginalMouseTraceIconPanelButtonControl", 6, kSpMsgDataError);
    return;
  }
  if (frameView_ == nullptr) return;
  // The button leaves the window's own level for the frame view, at the frame's origin.
  viewWindow->LinkOffFromRootViewDrawingList(this);
  viewWindow->LinkOffFromRootContainerList(this);
  frameView_->PutOnTopLayerContainerItem(this, 0);
  ResetDrawingItemLinkFromContainerViewLink(1);
  const Rect inFrame = {0, 0, short(area.bottom - area.top), short(area.right - area.left)};
  ResizeAndMoveButton(inFrame, 0, 0);
  SetupOriginalIconHotSpotArea();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  traceArea_ =
      new (std::nothrow) cMouseTraceObject(window, onWindow, colourCursor, cursorId, parentArea);
  if (traceArea_ == nullptr) {
    SpReportFailure(kSource, "cSp_OriginalMouseTraceIconPanelButtonControl", 3, kSpMsgMemory);
  }
}

cSp_OriginalMouseTraceIconPanelButtonControl::~cSp_OriginalMouseTraceIconPanelButtonControl() {
  delete frameView_;
  frameView_ = nullptr;
  delete traceArea_;
  traceArea_ = nullptr;
  if (iconSuite_ != nullptr) DisposeIconSuite(iconSuite_, true);
  iconSuite_ = nullptr;
}

void cSp_OriginalMouseTraceIconPanelButtonControl::StartUpInitialize() {
  panelIconArea_ = Rect{0, 0, 0, 0};
  value1_ = value2_ = 0;
  pressedIconOffsetV = pressedIconOffsetH = 1;
  panelIconKind_ = kOrgB_ColourIcon;
  iconSuite_ = nullptr;
  panelIconId_ = 0;
  frameState = framePressed = 0;
  frameWidth = 2;
  activeFrameColour = idleFrameColour = pressedFrameColour = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  activeFrameEnable = 1;
  idleFrameEnable = pressedFrameEnable = 0;
  frameView_ = nullptr;
  traceArea_ = nullptr;
}

// ---- Drawing --------------------------------------------------------------------------------

void SpOMTIBC_CatchDrawFrameDrawingViewCB(unsigned long refCon, Rect* area) {
  if (refCon != 0) PanelOf(refCon)->CatchDrawFrameDrawingViewCB(area);
}

void Sp_OCntIconPanelButton_CatchDrawingOriginalMouseTraceIconCB(cSp_OriginalIconButtonControl*,
                                                                 const Rect& area,
                                                                 unsigned char pressed,
                                                                 unsigned long refCon) {
  if (refCon != 0) PanelOf(refCon)->CatchDrawingOriginalMouseTraceIconCB(area, pressed);
}

void cSp_OriginalMouseTraceIconPanelButtonControl::CatchDrawFrameDrawingViewCB(Rect* area) {
  if (area == nullptr) return;
  const RGBColor* colour = nullptr;
  if (frameState != 0 && framePressed != 0 && pressedFrameEnable != 0) {
    colour = &pressedFrameColour;
  } else if (frameState != 0) {
    if (activeFrameEnable != 0) colour = &activeFrameColour;
  } else if (idleFrameEnable != 0) {
    colour = &idleFrameColour;
  }
  if (colour == nullptr) return;
  RGBColor foreground;
  GetForeColor(&foreground);
  PenSize(1, 1);
  RGBForeColor(colour);
  Rect ring = *area;
  for (short i = 0; i < frameWidth; ++i) {
    FrameRect(&ring);
    InsetRect(&ring, 1, 1);
  }
  RGBForeColor(&foreground);
}

void cSp_OriginalMouseTraceIconPanelButtonControl::CatchDrawingOriginalMouseTraceIconCB(
    const Rect&, unsigned char pressed) {
  Rect r = panelIconArea_;
  if (pressed != 0) OffsetRect(&r, pressedIconOffsetH, pressedIconOffsetV);
  switch (panelIconKind_) {
    case kOrgB_IconFamilyIcon:
      PlotIconID(&r, kAlignAbsoluteCenter, kTransformNone, panelIconId_);
      break;
    case kOrgB_ColourIcon: {
      CIconHandle icon = nullptr;
      SInt32 ref = 0;
      if (Sp_ResM_GetCIconHandle(panelIconId_, &icon, &ref) != 0) {
        PlotCIconHandle(&r, kAlignAbsoluteCenter, kTransformNone, icon);
        Sp_ResM_ReleaseCIcon(panelIconId_, ref);
      }
      break;
    }
    case kOrgB_PictureIcon: {
      SInt32 ref = 0;
      cSp_PictureItem* picture = Sp_ResM_GetPictureItemObject(panelIconId_, ref);
      if (picture != nullptr) {
        picture->DrawPicuterOnCurrentPort(r, 1, nullptr, srcCopy, 0);
        Sp_ResM_ReleasePicture(picture, ref);
      }
      break;
    }
    case kOrgB_IconSuiteIcon:
      if (iconSuite_ != nullptr) {
        PlotIconSuite(&r, kAlignAbsoluteCenter, kTransformNone, iconSuite_);
      }
      break;
    default:
      break;
  }
}

// ---- Setters --------------------------------------------------------------------------------

void cSp_OriginalMouseTraceIconPanelButtonControl::MarkFrameView() {
  if (frameView_ != nullptr) {
    frameView_->SetupModifyDrawingRectAndFlag(nullptr, 1);
  } else {
    SetupModifyDrawingRectAndFlag(nullptr, 1);
  }
}

void cSp_OriginalMouseTraceIconPanelButtonControl::SetupIconPanelIconType(tButtonIconType kind) {
  if (kind == panelIconKind_) return;
  panelIconKind_ = kind;
  MarkFrameView();
}

void cSp_OriginalMouseTraceIconPanelButtonControl::SetupIconPanelIconId(short iconId) {
  if (iconId == panelIconId_) return;
  panelIconId_ = iconId;
  if (panelIconKind_ != kOrgB_IconSuiteIcon) MarkFrameView();
}

void cSp_OriginalMouseTraceIconPanelButtonControl::SetupIconPanelIconSuiteHandle(Handle suite) {
  if (iconSuite_ != nullptr && iconSuite_ != suite) DisposeIconSuite(iconSuite_, true);
  iconSuite_ = suite;
  if (panelIconKind_ == kOrgB_IconSuiteIcon) MarkFrameView();
}

// ---- Place ----------------------------------------------------------------------------------

void cSp_OriginalMouseTraceIconPanelButtonControl::ResizeOriginalMouseTraceIconButtonCnt(
    short width, short height, unsigned char) {
  if (frameView_ == nullptr) return;
  Rect frame;
  frameView_->GetImmediateDrawingArea(&frame);
  frame.right = short(frame.left + width);
  frame.bottom = short(frame.top + height);
  frameView_->ResizeViewArea(frame, 0, 1);
  ResizeOriginalButtonCnt(width, height, 0);
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  if (traceArea_ != nullptr) traceArea_->ModifyMouseTraceArea(onWindow, 1);
}

void cSp_OriginalMouseTraceIconPanelButtonControl::MoveOriginalMouseTraceIconButtonCnt(
    short left, short top, unsigned char) {
  if (frameView_ == nullptr) return;
  Rect frame;
  frameView_->GetImmediateDrawingArea(&frame);
  OffsetRect(&frame, short(left - frame.left), short(top - frame.top));
  frameView_->ResizeViewArea(frame, 0, 1);
  Rect onWindow;
  frameView_->GetDrawingAreaOnWindow(&onWindow);
  if (traceArea_ != nullptr) traceArea_->ModifyMouseTraceArea(onWindow, 1);
}

void cSp_OriginalMouseTraceIconPanelButtonControl::
    SetupOriginalMouseTraceIconPanelButtonHotSpotArea() {
  if (traceArea_ == nullptr) {
    SpReportFailure(kSource,
                    "cSp_OriginalMouseTraceIconPanelButtonControl::"
                    "SetupOriginalMouseTraceIconPanelButtonHotSpotArea",
                    1, kSpMsgDataError);
    return;
  }
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    if (traceArea_->IsMouseTraceEnable() == 0) traceArea_->EnableMouseTrace();
    traceArea_->ModifyMouseTraceArea(visible, 1);
  } else {
    traceArea_->DisableMouseTrace();
  }
}

void cSp_OriginalMouseTraceIconPanelButtonControl::AfterContainerScrollExecute(short h, short v,
                                                                               short dh, short dv) {
  cSp_OriginalIconButtonControl::AfterContainerScrollExecute(h, v, dh, dv);
  SetupOriginalMouseTraceIconPanelButtonHotSpotArea();
}

void cSp_OriginalMouseTraceIconPanelButtonControl::AfterContainerMoveExecute(cSp_View* container,
                                                                             short newLeft,
                                                                             short newTop, short dh,
                                                                             short dv) {
  cSp_OriginalIconButtonControl::AfterContainerMoveExecute(container, newLeft, newTop, dh, dv);
  SetupOriginalMouseTraceIconPanelButtonHotSpotArea();
}

void cSp_OriginalMouseTraceIconPanelButtonControl::AfterContainerResizeExecute(
    cSp_View* container, short newWidth, short newHeight, short dWidth, short dHeight) {
  cSp_OriginalIconButtonControl::AfterContainerResizeExecute(container, newWidth, newHeight, dWidth,
                                                             dHeight);
  SetupOriginalMouseTraceIconPanelButtonHotSpotArea();
}
