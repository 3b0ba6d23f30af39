#include "SpOC_IconButtonControl.h"

#include <new>

#include "Clock.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpOC_ButtonDrawing.h"
#include "SpPositionType.h"
#include "SpStdDrawingFunction.h"

UInt32 hotSpotMouseDownStartTick_GlV = 0;

namespace {

const char kSource[] = "SpOC_IconButtonControl";

const RGBColor kBlack = {0, 0, 0};

RGBColor Grey255(UInt16 level) {
  return RGBColor{UInt16(level * 257), UInt16(level * 257), UInt16(level * 257)};
}

RGBColor HalfToward(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

// Client procedures that receive a value rather than a mouse point get it as the point's h.
Point ValuePoint(short value) {
  return Point{0, value};
}

bool IsStopper(tButtonType type) {
  return type == kOrgB_ToggleStopperButton || type == kOrgB_LockStopperButton;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_OriginalIconButtonControl::cSp_OriginalIconButtonControl(
    WindowRef window, const Rect& area, tButtonType type, tButtonDrawingType drawingType,
    cSp_View* container, unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  StartUpInitialize();
  buttonType_ = type;
  drawingType_ = drawingType;
  titleArea_ = iconArea_ = ViewRect();
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    SetupHotSpotArea(visible);
    SetupModifyDrawingRectAndFlag(&visible, 1);
  }
}

cSp_OriginalIconButtonControl::~cSp_OriginalIconButtonControl() {
  // A group must not keep a button that is gone.
  if (group_ != nullptr) group_->CancelItem(this);
  // A button deleted while held gives the hover tracking back.
  if (mouseDownHotSpot_GlV == static_cast<cSp_HotSpotArea*>(this)) Sp_EnableMouseTrace(0);
  ExecViewObjDeleteReady();
  ExecHotSpotObjDeleteReady();
  delete upSet_;
  delete downSet_;
  upSet_ = downSet_ = nullptr;
  if (upPicture_ != nullptr) Sp_ResM_ReleasePicture(upPicture_, upPictureRef_);
  if (downPicture_ != nullptr) Sp_ResM_ReleasePicture(downPicture_, downPictureRef_);
  if (hilitePicture_ != nullptr) Sp_ResM_ReleasePicture(hilitePicture_, hilitePictureRef_);
}

void cSp_OriginalIconButtonControl::StartUpInitialize() {
  const RGBColor white = Grey255(255);
  pressed_ = stopperDown_ = 0;
  upIndex_ = downIndex_ = 0;
  hilite_ = 0;
  downOffsetH_ = downOffsetV_ = 0;
  downDarkRate_ = 0.5f;
  mini_ = 0;
  frameColour_ = Grey255(85);
  upFaceColour_ = Grey255(204);
  upTitleColour_ = Grey255(0);
  upShadowColour_ = HalfToward(upFaceColour_, kBlack, 0.5f);
  downFaceColour_ = Grey255(136);
  downTitleColour_ = white;
  downShadowColour_ = HalfToward(downFaceColour_, kBlack, 0.5f);
  hiliteRate_ = 0.7f;
  hiliteTitleColour_ = white;
  hiliteShadowColour_ = HalfToward(white, kBlack, 0.5f);
  textSize_ = 0;
  shadow_ = 1;
  shadowH_ = shadowV_ = 1;
  titleDarkRate_ = 0.5f;
  iconKind_ = kOrgB_IconFamilyIcon;
  iconId_ = downPictId_ = hilitePictId_ = 0;
  iconAlignment_ = iconTransform_ = 0;
  cycling_ = 0;
  cycleFrame_ = 0;
  darkenOnUp_ = 0;
  darkenOnDown_ = 1;
  darkenOnUpRate_ = darkenOnDownRate_ = 100.0f;
  Sp_SetRGBColorByPercentage(&keyColour_, 100, 100, 100);
  repeatInterval = 20;
  lastRepeatTick_ = 0;
}

cSp_OriginalIconButtonControl* Sp_OrgB_NewOriginalButton(WindowRef window, const Rect& area,
                                                         tButtonType type, cSp_View* container,
                                                         unsigned char drawInContainerOffscreen) {
  auto* button = new (std::nothrow) cSp_OriginalIconButtonControl(
      window, area, type, kOrgB_StatusIconDrawing, container, drawInContainerOffscreen);
  if (button == nullptr) {
    SpReportFailure(kSource, "Sp_OrgB_NewOriginalButton", 2, kSpMsgMemory);
  }
  return button;
}

void Sp_OrgB_DisposeButton(cSp_OriginalIconButtonControl* button) {
  if (button == nullptr) {
    SpReportFailure(kSource, "Sp_OrgB_DisposeButton", 1, kSpMsgNullArgument);
    return;
  }
  delete button;
}

// ---- Helpers --------------------------------------------------------------------------------

Rect cSp_OriginalIconButtonControl::ViewRect() const {
  Rect area;
  GetImmediateDrawingArea(&area);
  return Rect{0, 0, short(area.bottom - area.top), short(area.right - area.left)};
}

void cSp_OriginalIconButtonControl::Mark(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

template <class T>
bool cSp_OriginalIconButtonControl::Change(T& field, const T& value, unsigned char redraw) {
  if (field == value) return false;
  field = value;
  Mark(redraw);
  return true;
}

bool cSp_OriginalIconButtonControl::ChangeColour(RGBColor& field, const RGBColor& colour,
                                                 unsigned char redraw) {
  if (Sp_RGBcmp(&field, &colour) != 0) return false;
  field = colour;
  Mark(redraw);
  return true;
}

void cSp_OriginalIconButtonControl::RedrawVisible() {
  UpdateViewableDrawingArea(1, 1, nullptr);
}

unsigned char cSp_OriginalIconButtonControl::Call(tSpOrgB_ButtonProcPtr proc, unsigned long refCon,
                                                  Point point) {
  return proc != nullptr ? proc(this, point, refCon) : 0;
}

void cSp_OriginalIconButtonControl::EnterDownList() {
  if (group_ != nullptr) group_->SetupSectionList(this);
}

void cSp_OriginalIconButtonControl::LeaveDownList() {
  // Only a button the group counts as down leaves its list; any other is not the group's
  // concern.
  if (group_ != nullptr && group_->IsInSectionList(this)) group_->UnlinkSectionList(this);
}

// ---- Appearance -----------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::SetFaceColour(RGBColor& face, RGBColor& shadow,
                                                  const RGBColor& colour, unsigned char redraw,
                                                  unsigned char derive) {
  if (Sp_RGBcmp(&face, &colour) != 0) return;
  face = colour;
  if (derive != 0) shadow = HalfToward(colour, kBlack, 0.5f);
  Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetUpButtonColor(const RGBColor& colour, unsigned char redraw,
                                                     unsigned char derive) {
  SetFaceColour(upFaceColour_, upShadowColour_, colour, redraw, derive);
}

void cSp_OriginalIconButtonControl::SetDownButtonColor(const RGBColor& colour,
                                                       unsigned char redraw,
                                                       unsigned char derive) {
  SetFaceColour(downFaceColour_, downShadowColour_, colour, redraw, derive);
}

void cSp_OriginalIconButtonControl::SetButtonFrameColor(const RGBColor& colour,
                                                        unsigned char redraw) {
  ChangeColour(frameColour_, colour, redraw);
}

void cSp_OriginalIconButtonControl::SetUpButtonStringColor(const RGBColor& colour,
                                                           unsigned char redraw) {
  ChangeColour(upTitleColour_, colour, redraw);
}

void cSp_OriginalIconButtonControl::SetDownButtonStringColor(const RGBColor& colour,
                                                             unsigned char redraw) {
  ChangeColour(downTitleColour_, colour, redraw);
}

void cSp_OriginalIconButtonControl::SetUpButtonStringShadowColor(const RGBColor& colour,
                                                                 unsigned char redraw) {
  ChangeColour(upShadowColour_, colour, redraw);
}

void cSp_OriginalIconButtonControl::SetDownButtonStringShadowColor(const RGBColor& colour,
                                                                   unsigned char redraw) {
  ChangeColour(downShadowColour_, colour, redraw);
}

void cSp_OriginalIconButtonControl::SetButtonStringShadowEnableFlag(unsigned char shadow,
                                                                    unsigned char redraw) {
  Change(shadow_, shadow, redraw);
}

void cSp_OriginalIconButtonControl::SetButtonStringShadowOffset(short h, short v,
                                                                unsigned char redraw) {
  if (shadowH_ == h && shadowV_ == v) return;
  shadowH_ = h;
  shadowV_ = v;
  Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetButtonStringDarkRate(float rate, unsigned char redraw) {
  if (titleDarkRate_ == rate) return;
  titleDarkRate_ = rate;
  upShadowColour_ = HalfToward(upFaceColour_, kBlack, rate);
  downShadowColour_ = HalfToward(downFaceColour_, kBlack, rate);
  Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetButtonTextSize(short size, unsigned char redraw) {
  Change(textSize_, size, redraw);
}

void cSp_OriginalIconButtonControl::SetButtonStringAreaRect(const Rect& area,
                                                            unsigned char redraw) {
  if (EqualRect(&titleArea_, &area)) return;
  titleArea_ = area;
  Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetButtonOutputString(const char* text, unsigned char redraw) {
  const std::string next = (text != nullptr) ? std::string(text) : std::string();
  Change(title_, next, redraw);
}

void cSp_OriginalIconButtonControl::SetButtonIcon(short iconId, tButtonIconType kind,
                                                  const Rect& area, short alignment,
                                                  short transform, unsigned char redraw) {
  if (iconId_ == iconId && iconKind_ == kind && EqualRect(&iconArea_, &area) &&
      iconAlignment_ == alignment && iconTransform_ == transform) {
    return;
  }
  iconKind_ = kind;
  iconArea_ = area;
  iconAlignment_ = alignment;
  iconTransform_ = transform;
  iconId_ = iconId;
  if (kind == kOrgB_ColourIcon) SetButtonIconResId(kOrgB_UpStatus, iconId);
  Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetupIconType(tButtonDrawingType drawingType) {
  tButtonIconType kind = iconKind_;
  if (drawingType == kOrgB_StatusIconDrawing) {
    kind = kOrgB_ColourIcon;
  } else if (drawingType == kOrgB_FrameIconDrawing || drawingType == kOrgB_FrameIconTitleDrawing) {
    kind = kOrgB_IconFamilyIcon;
  } else if (drawingType == kOrgB_PictureTitleDrawing) {
    kind = kOrgB_PictureIcon;
  }
  if (drawingType_ == drawingType && iconKind_ == kind) return;
  drawingType_ = drawingType;
  iconKind_ = kind;
  Mark(0);
}

cSp_PictureItem* cSp_OriginalIconButtonControl::FetchPicture(short pictId, SInt32& userRef) {
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(pictId, userRef);
  // The cache keeps an item even for a picture it cannot load: such an item is no picture.
  if (item != nullptr && item->GetPictureGWorld() == nullptr) {
    Sp_ResM_ReleasePicture(item, userRef);
    userRef = 0;
    return nullptr;
  }
  return item;
}

void cSp_OriginalIconButtonControl::SetButtonPictIcon(short pictId, const Rect& area,
                                                      short alignment, const RGBColor* keyColour,
                                                      unsigned char redraw) {
  if (pictId == iconId_ && upPicture_ != nullptr && EqualRect(&iconArea_, &area) &&
      iconAlignment_ == alignment &&
      (keyColour == nullptr || Sp_RGBcmp(&keyColour_, keyColour) != 0)) {
    return;
  }
  iconId_ = pictId;
  if (keyColour != nullptr) keyColour_ = *keyColour;
  iconArea_ = area;
  iconAlignment_ = alignment;
  // The new loan first: when the ids are the same the item is not freed in between.
  SInt32 ref = 0;
  cSp_PictureItem* item = FetchPicture(pictId, ref);
  if (upPicture_ != nullptr) Sp_ResM_ReleasePicture(upPicture_, upPictureRef_);
  upPicture_ = item;
  upPictureRef_ = ref;
  Mark(redraw);
}

bool cSp_OriginalIconButtonControl::ReplacePicture(short pictId, short& id,
                                                   cSp_PictureItem*& picture, SInt32& userRef) {
  SInt32 ref = 0;
  cSp_PictureItem* item = FetchPicture(pictId, ref);
  if (item == nullptr) return false;
  id = pictId;
  if (picture != nullptr) Sp_ResM_ReleasePicture(picture, userRef);
  picture = item;
  userRef = ref;
  return true;
}

void cSp_OriginalIconButtonControl::SetDownButtonPictIcon(short pictId, unsigned char redraw) {
  iconKind_ = kOrgB_PictureIcon;
  if (ReplacePicture(pictId, downPictId_, downPicture_, downPictureRef_) && pressed_ != 0) {
    Mark(redraw);
  }
}

void cSp_OriginalIconButtonControl::SetHiliteButtonPictIcon(short pictId, unsigned char redraw) {
  if (ReplacePicture(pictId, hilitePictId_, hilitePicture_, hilitePictureRef_) && hilite_ != 0) {
    Mark(redraw);
  }
}

void cSp_OriginalIconButtonControl::EnableDarkenOnBottnDown(float percent) {
  darkenOnDown_ = 1;
  darkenOnDownRate_ = percent;
}

void cSp_OriginalIconButtonControl::EnableDarkenOnButtonUp(float percent) {
  darkenOnUp_ = 1;
  darkenOnUpRate_ = percent;
}

void cSp_OriginalIconButtonControl::SetupHiliteFlag(unsigned char hilite) {
  Change(hilite_, hilite, 0);
}

void cSp_OriginalIconButtonControl::SetupHiliteRate(float rate, unsigned char redraw) {
  hiliteRate_ = rate;
  if (hilite_ != 0) Mark(redraw);
}

void cSp_OriginalIconButtonControl::SetupButtonDownOffset(short h, short v) {
  short growH = 0, growV = 0;
  if (h > 0) downOffsetH_ = growH = h;
  if (v > 0) downOffsetV_ = growV = v;
  if (growH == 0 && growV == 0) return;
  // The button grows so that its moved content stays inside; its areas stay where they are.
  Rect area;
  GetImmediateDrawingArea(&area);
  area.right = short(area.right + growH);
  area.bottom = short(area.bottom + growV);
  ResizeViewArea(area, 0, 1);
  SetupOriginalIconHotSpotArea();
}

// ---- Status icons ---------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::SetButtonIconResId(tButtonStatusType status, short iconId) {
  cIconDataBlock*& set = status == kOrgB_UpStatus ? upSet_ : downSet_;
  if (set == nullptr) set = new (std::nothrow) cIconDataBlock();
  if (set == nullptr) {
    SpReportFailure(kSource, "cSp_OriginalIconButtonControl::SetButtonIconResId", 2,
                    kSpMsgMemory);
    return;
  }
  set->SetIconResourceId(iconId, nullptr);
  SInt32& count = status == kOrgB_UpStatus ? upCount_ : downCount_;
  count = set->GetItemCount();
}

void cSp_OriginalIconButtonControl::ChangeStatus(tButtonStatusType status, SInt32 index,
                                                 unsigned char redraw) {
  const SInt32 count = status == kOrgB_UpStatus ? upCount_ : downCount_;
  const bool valid = index >= 0 && index <= count - 1;
  if (valid) (status == kOrgB_UpStatus ? upIndex_ : downIndex_) = index;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (valid && redraw != 0) ReDrawAreaUpdateView(0);
}

SInt32 cSp_OriginalIconButtonControl::GetCurrentStatus(tButtonStatusType status) const {
  return status == kOrgB_UpStatus ? upIndex_ : downIndex_;
}

SInt32 cSp_OriginalIconButtonControl::NumOfIconStatusLayer(tButtonStatusType status) const {
  const cIconDataBlock* set = Set(status);
  return set != nullptr ? set->GetItemCount() : 0;
}

CIconHandle cSp_OriginalIconButtonControl::GetButtonIconHandle(tButtonStatusType status) const {
  const cIconDataBlock* set = Set(status);
  if (set == nullptr) return nullptr;
  CIconHandle icon = set->GetStatusIconHandle(GetCurrentStatus(status));
  return icon != nullptr ? icon : set->GetStatusIconHandle(0);
}

// ---- Stoppers -------------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::DownStopperButton(short value, unsigned char redraw,
                                                      unsigned char callProc) {
  if (!IsStopper(buttonType_) || stopperDown_ != 0) return;
  EnterDownList();
  pressed_ = stopperDown_ = 1;
  Mark(redraw);
  if (callProc != 0) Call(stopperDownProc, stopperDownRefCon, ValuePoint(value));
}

void cSp_OriginalIconButtonControl::UpStopperButton(short value, unsigned char redraw,
                                                    unsigned char callProc) {
  if (buttonType_ == kOrgB_ToggleStopperButton && stopperDown_ != 0) {
    // The flags first: a group that must keep a button down may lock this one again.
    pressed_ = stopperDown_ = 0;
    LeaveDownList();
    Mark(redraw);
  }
  if (callProc != 0) Call(actionProc, actionRefCon, ValuePoint(value));
}

// ---- Place ----------------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::SetupOriginalIconHotSpotArea() {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    if (IsHotSpotEnable() == 0) EnableHotSpotArea();
    SetupHotSpotArea(visible);
  } else {
    DisableHotSpotArea();
  }
}

void cSp_OriginalIconButtonControl::ResizeAndMoveButton(const Rect& area, unsigned char,
                                                        unsigned char redraw) {
  Rect current;
  GetImmediateDrawingArea(&current);
  if (EqualRect(&current, &area)) return;
  ResizeViewArea(area, redraw, 1);
  SetupOriginalIconHotSpotArea();
}

void cSp_OriginalIconButtonControl::ResizeOriginalButtonCnt(short width, short height,
                                                           unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  const Rect view = ViewRect();
  const short newWidth = width < 0 ? view.right : width;
  const short newHeight = height < 0 ? view.bottom : height;
  if (newWidth == view.right && newHeight == view.bottom) return;
  if (newWidth != view.right) {
    area.right = short(area.left + newWidth);
    if (titleArea_.right == view.right) titleArea_.right = newWidth;
  }
  if (newHeight != view.bottom) {
    area.bottom = short(area.top + newHeight);
    if (titleArea_.bottom == view.bottom) titleArea_.bottom = newHeight;
  }
  ResizeViewArea(area, redraw, 1);
  SetupOriginalIconHotSpotArea();
}

void cSp_OriginalIconButtonControl::MoveOriginalButtonCnt(short left, short top,
                                                         unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  const short newLeft = left < 0 ? area.left : left;
  const short newTop = top < 0 ? area.top : top;
  if (newLeft == area.left && newTop == area.top) return;
  OffsetRect(&area, short(newLeft - area.left), short(newTop - area.top));
  ResizeViewArea(area, redraw, 1);
  SetupOriginalIconHotSpotArea();
}

void cSp_OriginalIconButtonControl::DisableButtonOutput(unsigned char redraw) {
  DisableViewOutput(redraw);
  DisableHotSpotArea();
}

void cSp_OriginalIconButtonControl::EnableButtonOutput(unsigned char redraw) {
  EnableViewOutput(redraw);
  EnableHotSpotArea();
}

void cSp_OriginalIconButtonControl::AfterContainerMoveExecute(cSp_View*, short, short, short,
                                                              short) {
  SetupOriginalIconHotSpotArea();
}

void cSp_OriginalIconButtonControl::AfterContainerResizeExecute(cSp_View*, short, short, short,
                                                                short) {
  SetupOriginalIconHotSpotArea();
}

void cSp_OriginalIconButtonControl::AfterContainerScrollExecute(short, short, short, short) {
  SetupOriginalIconHotSpotArea();
}

// ---- Client drawing -------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::SetupDownButtonDrawingProc(tSpOrgB_DrawingProcPtr proc,
                                                               unsigned long refCon) {
  downDrawingProc_ = proc;
  downDrawingRefCon_ = refCon;
}

void cSp_OriginalIconButtonControl::SetupUpButtonDrawingProc(tSpOrgB_DrawingProcPtr proc,
                                                             unsigned long refCon) {
  upDrawingProc_ = proc;
  upDrawingRefCon_ = refCon;
}

void cSp_OriginalIconButtonControl::ExecDrawingProc(tSpOrgB_DrawingProcPtr proc,
                                                    unsigned long refCon, unsigned char pressed) {
  if (proc == nullptr) return;
  Rect onWindow, area;
  GetDrawingAreaOnWindow(&onWindow);
  OnWindowRectToOffscreenRect(onWindow, area);
  proc(this, area, pressed, refCon);
}

void cSp_OriginalIconButtonControl::ExecDownButtonDrawingProc() {
  ExecDrawingProc(downDrawingProc_, downDrawingRefCon_, 1);
}

void cSp_OriginalIconButtonControl::ExcecUpButtonDrawingProc() {
  ExecDrawingProc(upDrawingProc_, upDrawingRefCon_, 0);
}

// ---- Cycling --------------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::StartCycleInterruptDraw(UInt32 intervalTicks) {
  if (IsInterruptView() != 0 || NumOfIconStatusLayer(kOrgB_UpStatus) == 0) return;
  cycleFrame_ = 0;
  cycling_ = 1;
  SetInInterruptViewList(intervalTicks);
}

void cSp_OriginalIconButtonControl::StopCycleInterruptDraw() {
  if (IsInterruptView() == 0) return;
  cycling_ = 0;
  RemoveFromInterruptViewList();
  RedrawVisible();
}

unsigned char cSp_OriginalIconButtonControl::InterruptDraw() {
  const SInt32 count = NumOfIconStatusLayer(kOrgB_UpStatus);
  if (cycling_ == 0 || pressed_ != 0 || count == 0) return UpdateProc();
  cycleFrame_ = cycleFrame_ + 1 >= count ? 0 : cycleFrame_ + 1;
  CIconHandle icon = upSet_->GetStatusIconHandle(cycleFrame_);
  if (icon == nullptr) return 0;
  const Rect view = ViewRect();
  PlotCIcon(&view, icon);
  return 1;
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_OriginalIconButtonControl::DrawTitle(const Rect& area, const RGBColor& colour,
                                              const RGBColor& shadow) const {
  Sp_OCnt_DrawButtonString(GetButtonOutputString(), area, 0, textSize_, kSpPositionCenter, colour,
                           shadow_, &shadow, shadowH_, shadowV_);
}

void cSp_OriginalIconButtonControl::DrawPicture(cSp_PictureItem* picture,
                                                const Rect& area) const {
  picture->DrawPicuterOnCurrentPort(area, 1, nullptr, srcCopy, 0);
}

void cSp_OriginalIconButtonControl::DrawFrameAndFace(const Rect& view) const {
  const RGBColor& face = pressed_ != 0 ? downFaceColour_ : upFaceColour_;
  Sp_OCnt_DrawButtonDefaultFrame(pressed_, mini_, view, face, frameColour_);
  Sp_OCnt_DrawButtonDefaultContent(mini_, view, face);
}

unsigned char cSp_OriginalIconButtonControl::DrawPictureButton(const Rect& view) const {
  Rect icon = iconArea_, title = titleArea_;
  if (pressed_ != 0) {
    OffsetRect(&icon, downOffsetH_, downOffsetV_);
    OffsetRect(&title, downOffsetH_, downOffsetV_);
  }
  if (pressed_ != 0 && downPicture_ != nullptr) {
    DrawPicture(downPicture_, icon);
    DrawTitle(title, downTitleColour_, downShadowColour_);
    return 1;
  }
  if (upPicture_ == nullptr) return 0;
  if (hilite_ != 0 && hilitePicture_ != nullptr) {
    DrawPicture(hilitePicture_, icon);
    DrawTitle(title, hiliteTitleColour_, hiliteShadowColour_);
  } else if (pressed_ == 0) {
    DrawPicture(upPicture_, icon);
    if (darkenOnUp_ != 0) {
      Sp_OCnt_ModifyButtonContentToDarkWithOutBG(view, keyColour_, darkenOnUpRate_);
    }
    DrawTitle(title, upTitleColour_, upShadowColour_);
  } else {
    DrawPicture(upPicture_, icon);
    if (darkenOnDown_ != 0) {
      Sp_OCnt_ModifyButtonContentToDarkWithOutBG(view, keyColour_, darkenOnDownRate_);
    }
    DrawTitle(title, downTitleColour_, downShadowColour_);
  }
  if (hilite_ != 0 && hilitePicture_ == nullptr) {
    Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(view, &keyColour_, hiliteRate_);
  }
  return 1;
}

unsigned char cSp_OriginalIconButtonControl::UpdateProc() {
  const Rect view = ViewRect();
  const bool down = pressed_ != 0;
  const RGBColor& titleColour = down ? downTitleColour_ : upTitleColour_;
  const RGBColor& shadowColour = down ? downShadowColour_ : upShadowColour_;
  switch (drawingType_) {
    case kOrgB_StatusIconDrawing: {
      Rect area = iconArea_;
      if (down && (downOffsetH_ > 0 || downOffsetV_ > 0)) {
        OffsetRect(&area, downOffsetH_, downOffsetV_);
      }
      CIconHandle icon = GetButtonIconHandle(down ? kOrgB_DownStatus : kOrgB_UpStatus);
      if (icon == nullptr) return 0;
      PlotCIcon(&area, icon);
      return 1;
    }
    case kOrgB_FrameIconDrawing: {
      DrawFrameAndFace(view);
      Rect area = iconArea_;
      if (down) OffsetRect(&area, 1, 1);
      if (iconKind_ == kOrgB_IconFamilyIcon) {
        Sp_OCnt_DrawButtonIcon(iconId_, area, iconAlignment_, iconTransform_);
      } else if (iconKind_ == kOrgB_ColourIcon) {
        CIconHandle icon = GetButtonIconHandle(kOrgB_UpStatus);
        if (icon != nullptr) PlotCIconHandle(&area, iconAlignment_, iconTransform_, icon);
      }
      if (down && downDarkRate_ != 1.0f) {
        Sp_OCnt_ModifyButtonContentToDark(mini_, view, downDarkRate_);
      }
      if (hilite_ != 0) Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(view, nullptr, hiliteRate_);
      return 1;
    }
    case kOrgB_FrameTitleDrawing: {
      DrawFrameAndFace(view);
      Rect area = titleArea_;
      if (down) OffsetRect(&area, downOffsetH_, downOffsetV_);
      DrawTitle(area, titleColour, shadowColour);
      if (hilite_ != 0) Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(view, nullptr, hiliteRate_);
      return 1;
    }
    case kOrgB_FrameIconTitleDrawing:
      DrawFrameAndFace(view);
      Sp_OCnt_DrawButtonIcon(iconId_, iconArea_, iconAlignment_, iconTransform_);
      if (down && downDarkRate_ != 1.0f) {
        Sp_OCnt_ModifyButtonContentToDark(mini_, view, downDarkRate_);
      }
      DrawTitle(titleArea_, titleColour, shadowColour);
      return 1;
    case kOrgB_PictureTitleDrawing:
      return DrawPictureButton(view);
    case kOrgB_ClientDrawing:
      if (down) {
        if (downDrawingProc_ == nullptr) return 0;
        ExecDownButtonDrawingProc();
      } else {
        if (upDrawingProc_ == nullptr) return 0;
        ExcecUpButtonDrawingProc();
      }
      return 1;
    default:
      return 0;
  }
}

// ---- The mouse ------------------------------------------------------------------------------

unsigned char cSp_OriginalIconButtonControl::HotSpotMouseDonwProc(short, Point localPoint) {
  if (hilite_ != 0) return 0;
  if (downCheckProc != nullptr && Call(downCheckProc, downCheckRefCon, localPoint) == 0) return 0;
  Sp_DisableMouseTrace();
  if (pressed_ == 0) {
    if (buttonType_ == kOrgB_MultiStatusButton && downIndex_ >= downCount_ - 1) downIndex_ = 0;
    pressed_ = 1;
    RedrawVisible();
  }
  Call(pressedProc, pressedRefCon, localPoint);
  hotSpotMouseDownStartTick_GlV = TickCount();
  return 1;
}

unsigned char cSp_OriginalIconButtonControl::HotSpotMouseAreaOutProc(short, Point localPoint) {
  if (IsStopper(buttonType_) && stopperDown_ != 0) {
    // A locked button stays drawn down while the mouse is away.
    pressed_ = 0;
  } else if (pressed_ != 0) {
    pressed_ = 0;
    RedrawVisible();
    Call(releasedProc, releasedRefCon, localPoint);
  }
  return 1;
}

unsigned char cSp_OriginalIconButtonControl::HotSpotMouseAreaInProc(short, Point localPoint) {
  if (IsStopper(buttonType_) && stopperDown_ != 0) {
    pressed_ = 1;
  } else if (pressed_ == 0) {
    pressed_ = 1;
    RedrawVisible();
    return Call(pressedProc, pressedRefCon, localPoint);
  }
  return 0;
}

unsigned char cSp_OriginalIconButtonControl::HotSpotMouseUpProc(short, Point localPoint) {
  unsigned char changed = 0;
  if (IsStopper(buttonType_)) {
    const bool toggle = buttonType_ == kOrgB_ToggleStopperButton;
    if (toggle && stopperDown_ != 0 && pressed_ != 0) {
      pressed_ = stopperDown_ = 0;
      RedrawVisible();
      LeaveDownList();
      Call(actionProc, actionRefCon, localPoint);
      changed = 1;
    } else if (stopperDown_ == 0 && pressed_ != 0) {
      pressed_ = stopperDown_ = 1;
      RedrawVisible();
      EnterDownList();
      Call(stopperDownProc, stopperDownRefCon, localPoint);
      changed = 1;
    } else {
      // Released away from a locked button: it is still down.
      if (stopperDown_ != 0) pressed_ = 1;
      Call(noActionProc, noActionRefCon, localPoint);
    }
  } else if (pressed_ != 0) {
    pressed_ = 0;
    if (buttonType_ == kOrgB_MultiStatusButton && upIndex_ >= upCount_ - 1) upIndex_ = 0;
    RedrawVisible();
    stopperDown_ = 0;
    Call(releasedProc, releasedRefCon, localPoint);
    LeaveDownList();
    Call(actionProc, actionRefCon, localPoint);
    changed = 1;
  } else {
    Call(noActionProc, noActionRefCon, localPoint);
  }
  Sp_EnableMouseTrace(1);
  return changed;
}

void cSp_OriginalIconButtonControl::HotSpotClickProc(short, Point localPoint) {
  Call(clickProc, clickRefCon, localPoint);
}

unsigned char cSp_OriginalIconButtonControl::HotSpotDblClickProc(short, Point localPoint) {
  return Call(dblClickProc, dblClickRefCon, localPoint);
}

unsigned char cSp_OriginalIconButtonControl::HotSpotMouseDownTraceProc(short, Point localPoint) {
  if (repeatProc == nullptr || pressed_ == 0) return 0;
  const UInt32 now = TickCount();
  if (now - hotSpotMouseDownStartTick_GlV <= 50 || now - lastRepeatTick_ < repeatInterval) {
    return 0;
  }
  Call(repeatProc, repeatRefCon, localPoint);
  lastRepeatTick_ = now;
  return 1;
}

// ---- The radio group ------------------------------------------------------------------------

cSp_OriginalButtonControlRadioGroup::cSp_OriginalButtonControlRadioGroup(
    WindowRef window, tButtonControlGroupType type) {
  StartUpInitialize();
  window_ = window;
  type_ = type;
}

cSp_OriginalButtonControlRadioGroup::~cSp_OriginalButtonControlRadioGroup() {
  cSp_OriginalIconButtonControl* b = memberHead_;
  while (b != nullptr) {
    cSp_OriginalIconButtonControl* next = b->memberNext_;
    b->memberBefore_ = b->memberNext_ = b->downBefore_ = b->downNext_ = nullptr;
    b->group_ = nullptr;
    b = next;
  }
}

void cSp_OriginalButtonControlRadioGroup::StartUpInitialize() {
  window_ = nullptr;
  type_ = 1;
  maximumDown = 1;
  minimumDown = 0;
  numDown_ = 0;
  memberHead_ = newestDown_ = oldestDown_ = nullptr;
}

unsigned char cSp_OriginalButtonControlRadioGroup::SetupItem(
    cSp_OriginalIconButtonControl* button) {
  if (button == nullptr) return 0;
  if (button->group_ == this) return 1;
  // A button belongs to one group at a time.
  if (button->group_ != nullptr) button->group_->CancelItem(button);
  button->memberBefore_ = nullptr;
  button->memberNext_ = memberHead_;
  if (memberHead_ != nullptr) memberHead_->memberBefore_ = button;
  memberHead_ = button;
  button->group_ = this;
  return 1;
}

void cSp_OriginalButtonControlRadioGroup::CancelItem(cSp_OriginalIconButtonControl* button) {
  if (button == nullptr || button->group_ != this) return;
  if (IsInSectionList(button)) Unlink(button);
  if (button->memberBefore_ != nullptr) {
    button->memberBefore_->memberNext_ = button->memberNext_;
  } else {
    memberHead_ = button->memberNext_;
  }
  if (button->memberNext_ != nullptr) button->memberNext_->memberBefore_ = button->memberBefore_;
  button->memberBefore_ = button->memberNext_ = nullptr;
  button->group_ = nullptr;
}

bool cSp_OriginalButtonControlRadioGroup::IsInSectionList(
    const cSp_OriginalIconButtonControl* button) const {
  return button != nullptr && button->group_ == this &&
         (button->downBefore_ != nullptr || button->downNext_ != nullptr || newestDown_ == button);
}

bool cSp_OriginalButtonControlRadioGroup::Unlink(cSp_OriginalIconButtonControl* button) {
  if (!IsInSectionList(button)) return false;
  cSp_OriginalIconButtonControl* before = button->downBefore_;
  cSp_OriginalIconButtonControl* next = button->downNext_;
  if (before != nullptr) {
    before->downNext_ = next;
  } else if (newestDown_ == button) {
    newestDown_ = next;
  } else {
    SpReportFailure(kSource, "cSp_OriginalButtonControlRadioGroup::UnlinkSectionList", 2,
                    kSpMsgNoComment);
  }
  if (next != nullptr) {
    next->downBefore_ = before;
  } else if (oldestDown_ == button) {
    oldestDown_ = before;
  } else {
    SpReportFailure(kSource, "cSp_OriginalButtonControlRadioGroup::UnlinkSectionList", 3,
                    kSpMsgNoComment);
  }
  // The links go with it, so that it no longer counts as down.
  button->downBefore_ = button->downNext_ = nullptr;
  --numDown_;
  return true;
}

void cSp_OriginalButtonControlRadioGroup::SetupSectionList(cSp_OriginalIconButtonControl* button) {
  if (button == nullptr || button->group_ != this || newestDown_ == button) return;
  Unlink(button);
  if (numDown_ >= maximumDown && oldestDown_ != nullptr) {
    cSp_OriginalIconButtonControl* oldest = oldestDown_;
    oldest->pressed_ = oldest->stopperDown_ = 0;
    oldest->DrawView(1, 0);
    Unlink(oldest);
    oldest->Call(oldest->actionProc, oldest->actionRefCon, Point{0, 0});
  }
  button->downBefore_ = nullptr;
  button->downNext_ = newestDown_;
  if (newestDown_ != nullptr) newestDown_->downBefore_ = button;
  newestDown_ = button;
  if (oldestDown_ == nullptr) oldestDown_ = button;
  ++numDown_;
}

void cSp_OriginalButtonControlRadioGroup::UnlinkSectionList(
    cSp_OriginalIconButtonControl* button) {
  if (!IsInSectionList(button)) {
    SpReportFailure(kSource, "cSp_OriginalButtonControlRadioGroup::UnlinkSectionList", 1,
                    kSpMsgNoComment);
    return;
  }
  cSp_OriginalIconButtonControl* after = button->memberNext_;
  Unlink(button);
  while (numDown_ < minimumDown) {
    cSp_OriginalIconButtonControl* found = nullptr;
    for (auto* b = after; b != nullptr && found == nullptr; b = b->memberNext_) {
      if (!IsInSectionList(b)) found = b;
    }
    for (auto* b = memberHead_; b != nullptr && found == nullptr; b = b->memberNext_) {
      if (!IsInSectionList(b)) found = b;
    }
    if (found == nullptr) break;
    const SInt32 before = numDown_;
    // The member goes down as a locked stopper does: flagged and drawn down.
    found->pressed_ = found->stopperDown_ = 1;
    found->DrawView(1, 0);
    SetupSectionList(found);
    found->Call(found->actionProc, found->actionRefCon, Point{0, 0});
    // A maximum below the minimum can never be met.
    if (numDown_ <= before) break;
  }
}
