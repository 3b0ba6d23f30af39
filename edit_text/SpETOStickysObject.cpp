// Sticky notes: construction and destruction, settings, client procedures, activation,
// layers and the basic information.
#include "SpETOStickysObject.h"

#include <new>

#include "SpErrorInfoSystem.h"
#include "SpMouseTraceObject.h"
#include "SpStdDrawingFunction.h"
#include "SpViewWindow.h"

namespace {

const char kSource[] = "SpETOStickysObject";

cStickyObject* NoteOf(unsigned long refCon) {
  return reinterpret_cast<cStickyObject*>(refCon);
}

// The edit object's callbacks, each with the note as reference value.
void GrowBeforeIgnored(cEditTextObject*, Rect*, Rect*, unsigned long) {}
void GrowAfterCaught(cEditTextObject*, Rect* before, Rect* after, unsigned long refCon) {
  if (refCon != 0 && before != nullptr && after != nullptr) {
    NoteOf(refCon)->CatchAutoGrowEdit(*before, *after);
  }
}
void ActivationCaught(cEditTextObject*, unsigned long refCon) {
  if (refCon != 0) NoteOf(refCon)->CatchEditActivation();
}
void DeActivationCaught(cEditTextObject*, unsigned long refCon) {
  if (refCon != 0) NoteOf(refCon)->CatchEditDeActivation();
}

template <class P>
void Store(sSpCallback<P>& cb, P proc, unsigned long refCon) {
  cb.proc = proc;
  cb.userData = refCon;
}

bool SameColour(const RGBColor& a, const RGBColor& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

// ---- Construction ----

cStickyObject::cStickyObject(WindowRef window, const Rect& area, SInt16 lineHeight,
                             unsigned char closeBox, unsigned char titleOutput,
                             unsigned char growIcon, unsigned char minimizeIcon,
                             cSp_View* container, unsigned char viewFlag)
    : cEditTextObject(window, area, lineHeight, 1, 1, 1, nullptr, viewFlag) {
  const char* const method = "cStickyObject::cStickyObject(Info Type)";
  SelectionOutputOff(0);
  closeBox_ = closeBox;
  titleOutput_ = titleOutput;
  growIcon_ = growIcon;
  minimizeIcon_ = minimizeIcon;
  Rect base{0, 0, 0, 0};
  GetViewSizeFromEditTextArea(area, frameArea_, shadowArea_, base);
  GetEditTextAreaOnBaseViewOffscreenFromFrameArea(frameArea_, editArea_);
  OffsetRect(&base, area.left, area.top);
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  SetupAutoViewGrowBeforeTextCB(GrowBeforeIgnored, self);
  SetupAutoViewGrowAfterTextCB(GrowAfterCaught, self);
  SetupActiveTextCB(ActivationCaught, self);
  SetupDeActiveTextCB(DeActivationCaught, self);

  base_ = new (std::nothrow) cStickeyBaseObj(window, base, this, container);
  if (base_ == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgMemory);
    return;
  }
  base_->SetupDrawingViewDrawingBackgroundCallBack(SpETOS_DrawingBackgroundProc, self);
  Rect onWindow{0, 0, 0, 0};
  base_->GetDrawingAreaOnWindow(&onWindow);
  stickyTrace_ = new (std::nothrow) cMouseTraceObject(window, onWindow, 0, 2000, nullptr);
  if (stickyTrace_ == nullptr) {
    SpReportFailure(kSource, method, 2, kSpMsgMemory);
    return;
  }
  stickyTrace_->verifyPositionProc = Sp_ETOS_MouseTraceVerifyPositionProc;
  stickyTrace_->verifyPositionRefCon = self;
  stickyTrace_->mouseTraceInProc = Sp_ETOS_MouseTraceAreaInProc;
  stickyTrace_->mouseTraceInRefCon = self;
  stickyTrace_->mouseTraceOutProc = Sp_ETOS_MouseTraceAreaOutProc;
  stickyTrace_->mouseTraceOutRefCon = self;
  if (GetMouseTraceObject() != nullptr) {
    stickyTrace_->SetupMTraceContainerItemOnHightLayer(GetMouseTraceObject());
  }
  hotSpot_ = new (std::nothrow) cStickyHotSpot(window, onWindow, this);
  if (hotSpot_ == nullptr) {
    SpReportFailure(kSource, method, 3, kSpMsgMemory);
    return;
  }
  hotSpot_->SetupHotSpotContainerItemOnHightLayer(GetThisHotSpotObjPtr());

  // The edit text's view leaves the window's root lists for the top layer of the base view.
  cSp_ViewWindow* viewWindow = GetViewWindowObjPtr();
  if (viewWindow == nullptr) {
    SpReportFailure(kSource, method, 6, kSpMsgDataError);
    return;
  }
  cSp_View* editView = GetThisViewObjPtr();
  viewWindow->LinkOffFromRootContainerList(editView);
  viewWindow->LinkOffFromRootViewDrawingList(editView);
  base_->PutOnTopLayerContainerItem(editView, 1);
  ResizeEditTextViewImmediate(editArea_, 1, 0, 0);

  base_->SetupModifyDrawingRectAndFlag(nullptr, 1);
  SetupStickyAreaParameter(1);
  base_->GetImmediateDrawingArea(&normalArea_);
  CalcMinimizedStickyInitialSize(minimizedArea_);
}

cStickyObject::~cStickyObject() {
  if (stickyDeleteReady_ == 0) ExecStickysObjDeleteReady(0);
}

void cStickyObject::ExecStickysObjDeleteReady(unsigned char) {
  if (stickyDeleteReady_ != 0) return;
  stickyDeleteReady_ = 1;
  // The edit text's view is an item of the base view, so the edit object's own step always
  // runs first: the base view's going then hands nothing over to the window.
  ExecEditTextObjDeleteReady(1);
  if (hotSpot_ != nullptr) {
    hotSpot_->ForgetOwner();
    hotSpot_->ExecHotSpotObjDeleteReady();
    delete hotSpot_;
    hotSpot_ = nullptr;
  }
  if (stickyTrace_ != nullptr) {
    stickyTrace_->ExecMouseTraceObjDeleteReady();
    delete stickyTrace_;
    stickyTrace_ = nullptr;
  }
  if (base_ != nullptr) {
    base_->ExecStickeyBaseObjDeleteReady();
    delete base_;
    base_ = nullptr;
  }
  SpSO_DisposeStringObject(title_);
}

// ---- Overrides of the edit-text object ----

void cStickyObject::AfterContainerMoveExecute(cSp_View*, short, short, short, short) {
  SetupStickyAreaParameter(1);
}

void cStickyObject::AfterContainerResizeExecute(cSp_View*, short, short, short, short) {
  SetupStickyAreaParameter(1);
}

void cStickyObject::EditTextMouseDownCallProc() {
  StickyFrameActive(0);
  ExecuteStickyEditMouseDownProc(kETOS_EditArea);
}

void cStickyObject::EditTextClickCallProc() {
  ExecuteStickyEditClickProc(kETOS_EditArea);
}

void cStickyObject::EditTextDblClickCallProc() {
  ExecuteStickyEditDblClickProc(kETOS_EditArea);
}

// ---- Settings ----

void cStickyObject::MarkBase(unsigned char redraw) {
  if (base_ == nullptr) return;
  base_->DrawView(redraw, 0);
}

void cStickyObject::ApplySetting(unsigned char& field, unsigned char value, unsigned char redraw) {
  if (field == value) return;
  field = value;
  MarkBase(redraw);
}

void cStickyObject::ApplyColour(RGBColor& field, const RGBColor& value, unsigned char redraw) {
  if (SameColour(field, value)) return;
  field = value;
  MarkBase(redraw);
}

void cStickyObject::SetupFrameColor(const RGBColor& colour, unsigned char redraw) {
  ApplyColour(frameColor_, colour, redraw);
}

void cStickyObject::SetupBackgroundColor(const RGBColor& colour, unsigned char redraw) {
  if (SameColour(backgroundColor_, colour)) return;
  backgroundColor_ = colour;
  SetupTextEditorAreaBackgroundColorFromBackgroundColor();
  MarkBase(redraw);
}

void cStickyObject::SetupTextEditorAreaBackgroundColorFromBackgroundColor() {
  const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
  Sp_RGBInBetweenColor(&backgroundColor_, &white, 0.5f, &inactiveEditColor_);
  Sp_RGBInBetweenColor(&backgroundColor_, &white, 0.8f, &activeEditColor_);
}

void cStickyObject::SetFrameDrawingEnableFlag(unsigned char flag, unsigned char redraw) {
  ApplySetting(frameDrawing_, flag, redraw);
}

void cStickyObject::SetupTextEditorActiveBackgroundColorEnableFlag(unsigned char flag,
                                                                   unsigned char redraw) {
  ApplySetting(activeEditColorOn_, flag, redraw);
}

void cStickyObject::SetupTextEditorDeActiveBackgroundColorEnableFlag(unsigned char flag,
                                                                     unsigned char redraw) {
  ApplySetting(inactiveEditColorOn_, flag, redraw);
}

void cStickyObject::SetupCloseBox(unsigned char flag, unsigned char redraw) {
  ApplySetting(closeBox_, flag, redraw);
}

void cStickyObject::SetupTitleOutput(unsigned char flag, unsigned char redraw) {
  ApplySetting(titleOutput_, flag, redraw);
}

void cStickyObject::SetupGrowIcon(unsigned char flag, unsigned char redraw) {
  ApplySetting(growIcon_, flag, redraw);
}

void cStickyObject::SetupMinimizeIcon(unsigned char flag, unsigned char redraw) {
  ApplySetting(minimizeIcon_, flag, redraw);
}

void cStickyObject::SetupDeActiveBackgroundOutputType(tETOS_BackGroundOutputType type,
                                                      unsigned char redraw) {
  ApplySetting(inactiveBackgroundType_, type, redraw);
}

void cStickyObject::SetupTitleString(const char* text, unsigned char redraw) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cStickyObject::SetupTitleString", 1, kSpMsgNullArgument);
    return;
  }
  if (title_ == nullptr) {
    title_ = SpSO_NewStringObject();
    if (title_ == nullptr) {
      SpReportFailure(kSource, "cStickyObject::SetupTitleString", 1, kSpMsgMemory);
      return;
    }
  }
  SpSO_strcopy(title_, text);
  MarkBase(redraw);
}

void cStickyObject::SetupTitleStringFontNo(SInt16 fontNo, unsigned char redraw) {
  if (fontNo == titleFontNo_) return;
  titleFontNo_ = fontNo;
  if (base_ == nullptr) return;
  const Rect frame = CurrentFrame();
  Rect bar{frame.top, frame.left, SInt16(frame.top + titleHeight_), frame.right};
  Rect onWindow;
  base_->OffscreenAreaToOnWindowArea(bar, onWindow);
  base_->SetupModifyDrawingRectAndFlag(&onWindow, 1);
  if (redraw != 0) base_->ReDrawAreaUpdateView(0);
}

void cStickyObject::SetTitleHeight(SInt16 height, unsigned char redraw) {
  if (height < 1) {
    SetupTitleOutput(0, redraw);
    return;
  }
  if (height == titleHeight_) return;
  titleHeight_ = height;
  if (minimized_ == 0) ResizeEditToFrame(1, 0);
  MarkBase(redraw);
}

void cStickyObject::SetupStickyEditorAreaOffset(SInt16 top, SInt16 left, SInt16 bottom,
                                                SInt16 right, unsigned char rewrap,
                                                unsigned char initialWidth,
                                                unsigned char redraw) {
  bool changed = false;
  const auto take = [&changed](SInt16& field, SInt16 value) {
    if (value < 0 || value == field) return;
    field = value;
    changed = true;
  };
  take(offsetTop_, top);
  take(offsetLeft_, left);
  take(offsetBottom_, bottom);
  take(offsetRight_, right);
  if (!changed) return;
  if (maxWidth_ > 0) SetupLineMaxWidth(EditWidthFromFrameWidth(SInt16(maxWidth_ - 4)), 0, 0);
  if (minimized_ == 0) ResizeEditToFrame(rewrap, initialWidth);
  SetupStickyAreaParameter(1);
  MarkBase(redraw);
}

void cStickyObject::GetStickyEditorAreaOffset(SInt16* top, SInt16* left, SInt16* bottom,
                                              SInt16* right) const {
  if (top != nullptr) *top = offsetTop_;
  if (left != nullptr) *left = offsetLeft_;
  if (bottom != nullptr) *bottom = offsetBottom_;
  if (right != nullptr) *right = offsetRight_;
}

// ---- Client procedures ----

void cStickyObject::SetupStickeyEditMouseDownProc(tETOS_EditProcPtr p, unsigned long r) {
  Store(editMouseDown_, p, r);
}
void cStickyObject::SetupStickeyEditClickProc(tETOS_EditProcPtr p, unsigned long r) {
  Store(editClick_, p, r);
}
void cStickyObject::SetupStickeyEditDblClickProc(tETOS_EditProcPtr p, unsigned long r) {
  Store(editDblClick_, p, r);
}
void cStickyObject::SetupStickeyFrameMouseDownProc(tETOS_FrameProcPtr p, unsigned long r) {
  Store(frameMouseDown_, p, r);
}
void cStickyObject::SetupStickeyFrameMouseTraceProc(tETOS_FrameProcPtr p, unsigned long r) {
  Store(frameTrace_, p, r);
}
void cStickyObject::SetupStickeyFrameMouseUpProc(tETOS_FrameProcPtr p, unsigned long r) {
  Store(frameMouseUp_, p, r);
}
void cStickyObject::SetupStickeyFrameClickProc(tETOS_FrameProcPtr p, unsigned long r) {
  Store(frameClick_, p, r);
}
void cStickyObject::SetupStickeyFrameDblClickProc(tETOS_FrameProcPtr p, unsigned long r) {
  Store(frameDblClick_, p, r);
}
void cStickyObject::SetupStickeyResizeBeforeProc(tETOS_ResizeProcPtr p, unsigned long r) {
  Store(resizeBefore_, p, r);
}
void cStickyObject::SetupStickeyResizeAfterProc(tETOS_ResizeProcPtr p, unsigned long r) {
  Store(resizeAfter_, p, r);
}
void cStickyObject::SetupStickyResizeCompleteProc(tETOS_ResizeProcPtr p, unsigned long r) {
  Store(resizeComplete_, p, r);
}
void cStickyObject::SetupStickeyAutoGrowBeforeProc(tETOS_ResizeProcPtr p, unsigned long r) {
  Store(growBefore_, p, r);
}
void cStickyObject::SetupStickeyAutoGrowAfterProc(tETOS_ResizeProcPtr p, unsigned long r) {
  Store(growAfter_, p, r);
}
void cStickyObject::SetupStickyEditActivateProc(tETOS_NotifyProcPtr p, unsigned long r) {
  Store(editActivate_, p, r);
}
void cStickyObject::SetupStickyEditDeActivateProc(tETOS_NotifyProcPtr p, unsigned long r) {
  Store(editDeActivate_, p, r);
}
void cStickyObject::SetupStickyMimizeProc(tETOS_NotifyProcPtr p, unsigned long r) {
  Store(minimizeProc_, p, r);
}
void cStickyObject::SetupStickyNomalizeProc(tETOS_NotifyProcPtr p, unsigned long r) {
  Store(normalizeProc_, p, r);
}
void cStickyObject::SetupNormalStickyContentDrawProc(tETOS_NotifyProcPtr p, unsigned long r) {
  Store(contentDraw_, p, r);
}
void cStickyObject::SetupStickyViewLayerModProc(tETOS_LayerModProcPtr p, unsigned long r) {
  if (base_ != nullptr) base_->SetupLayerModProc(p, r);
}

namespace {

unsigned char CallEdit(const sSpCallback<tETOS_EditProcPtr>& cb, cStickyObject* note,
                       tETOS_PartsType part) {
  if (cb.proc == nullptr) return 0;
  cb.proc(note, part, cb.userData);
  return 1;
}

unsigned char CallFrame(const sSpCallback<tETOS_FrameProcPtr>& cb, cStickyObject* note, Point pt,
                        tETOS_PartsType part) {
  if (cb.proc == nullptr) return 1;
  return cb.proc(note, pt, part, cb.userData);
}

unsigned char CallResize(const sSpCallback<tETOS_ResizeProcPtr>& cb, cStickyObject* note,
                         Rect& oldArea, Rect& newArea) {
  if (cb.proc == nullptr) return 0;
  cb.proc(note, oldArea, newArea, cb.userData);
  return 1;
}

unsigned char CallNotify(const sSpCallback<tETOS_NotifyProcPtr>& cb, cStickyObject* note) {
  if (cb.proc == nullptr) return 0;
  cb.proc(note, cb.userData);
  return 1;
}

}  // namespace

unsigned char cStickyObject::ExecuteStickyEditMouseDownProc(tETOS_PartsType part) {
  return CallEdit(editMouseDown_, this, part);
}
unsigned char cStickyObject::ExecuteStickyEditClickProc(tETOS_PartsType part) {
  return CallEdit(editClick_, this, part);
}
unsigned char cStickyObject::ExecuteStickyEditDblClickProc(tETOS_PartsType part) {
  return CallEdit(editDblClick_, this, part);
}
unsigned char cStickyObject::ExecuteStickyFrameMouseDownProc(Point pt, tETOS_PartsType part) {
  return CallFrame(frameMouseDown_, this, pt, part);
}
unsigned char cStickyObject::ExecuteStickyFrameMouseTraceProc(Point pt, tETOS_PartsType part) {
  return CallFrame(frameTrace_, this, pt, part);
}
unsigned char cStickyObject::ExecuteStickyFrameMouseUpProc(Point pt, tETOS_PartsType part) {
  return CallFrame(frameMouseUp_, this, pt, part);
}
unsigned char cStickyObject::ExecuteStickyFrameClickProc(Point pt, tETOS_PartsType part) {
  return CallFrame(frameClick_, this, pt, part);
}
unsigned char cStickyObject::ExecuteStickyFrameDblClickProc(Point pt, tETOS_PartsType part) {
  return CallFrame(frameDblClick_, this, pt, part);
}
unsigned char cStickyObject::ExecuteStickyResizeBeforeProc(Rect& o, Rect& n) {
  return CallResize(resizeBefore_, this, o, n);
}
unsigned char cStickyObject::ExecuteStickyResizeAfterProc(Rect& o, Rect& n) {
  return CallResize(resizeAfter_, this, o, n);
}
unsigned char cStickyObject::ExecuteStickyResizeCompleteProc(Rect& o, Rect& n) {
  return CallResize(resizeComplete_, this, o, n);
}
unsigned char cStickyObject::ExecuteStickyAutoGrowBeforeProc(Rect& o, Rect& n) {
  return CallResize(growBefore_, this, o, n);
}
unsigned char cStickyObject::ExecuteStickyAutoGrowAfterProc(Rect& o, Rect& n) {
  return CallResize(growAfter_, this, o, n);
}
unsigned char cStickyObject::ExecuteStickyEditActivateProc() {
  return CallNotify(editActivate_, this);
}
unsigned char cStickyObject::ExecuteStickyEditDeActivateProc() {
  return CallNotify(editDeActivate_, this);
}
unsigned char cStickyObject::ExecuteStickyMimizeProc() {
  return CallNotify(minimizeProc_, this);
}
unsigned char cStickyObject::ExecuteStickyNomalizeProc() {
  return CallNotify(normalizeProc_, this);
}
unsigned char cStickyObject::ExecuteNormalStickyContentDrawProc() {
  return CallNotify(contentDraw_, this);
}

// ---- Activation ----

void cStickyObject::StickyFrameActive(unsigned char redraw) {
  if (frameActive_ != 0) {
    MarkBase(0);
    return;
  }
  frameActive_ = 1;
  SelectionOutputOn();
  MarkBase(redraw);
}

void cStickyObject::StickyFrameDeActive(unsigned char redraw) {
  if (frameActive_ == 0) return;
  frameActive_ = 0;
  StickyEditDeActive(0, 0);
  SelectionOutputOff(0);
  MarkBase(redraw);
}

void cStickyObject::StickyEditActive(unsigned char redraw) {
  StickyFrameActive(0);
  ActivateEditText(minimized_ == 0 ? 1 : 0, 0);
  MarkBase(redraw);
}

void cStickyObject::StickyEditDeActive(unsigned char flag, unsigned char redraw) {
  if (!(minimized_ != 0 && titleOutput_ != 0)) DeActiveEditText(flag);
  MarkBase(redraw);
}

void cStickyObject::StickyEnable(unsigned char redraw) {
  if (base_ == nullptr) return;
  base_->EnableViewOutput(0);
  EnableEditTextView(0);
  if (redraw != 0) base_->DrawView(1, 0);
}

void cStickyObject::StickyDisable(unsigned char redraw) {
  if (base_ == nullptr) return;
  DisableEditTextView(0);
  base_->DisableViewOutput(0);
  if (redraw != 0) base_->DrawView(1, 0);
}

void cStickyObject::EnableStickyHotspotAndMouseTrace() {
  if (stickyTrace_ != nullptr) stickyTrace_->EnableMouseTrace();
  if (hotSpot_ != nullptr) hotSpot_->EnableHotSpotArea();
  EnableMouseTraceOnEditTextView();
  EnableHotspotOnEditTextView();
}

void cStickyObject::DisableStickyHotspotAndMouseTrace() {
  if (stickyTrace_ != nullptr) stickyTrace_->DisableMouseTrace();
  if (hotSpot_ != nullptr) hotSpot_->DisableHotSpotArea();
  DisableMouseTraceEditTextView();
  DisableHotspotEditTextView();
}

void cStickyObject::CatchEditActivation() {
  if (activeEditColorOn_ != 0 || inactiveEditColorOn_ != 0) MarkBase(0);
  ExecuteStickyEditActivateProc();
}

void cStickyObject::CatchEditDeActivation() {
  if (activeEditColorOn_ != 0 || inactiveEditColorOn_ != 0) MarkBase(0);
  ExecuteStickyEditDeActivateProc();
}

// ---- Layers ----

void cStickyObject::MoveStickyToTopLayer(unsigned char redraw) {
  if (base_ == nullptr || base_->IsTopLayerInContainerItemList() != 0) return;
  base_->MoveTopLayerInContianerItemList(0, 1, 1);
  if (stickyTrace_ != nullptr) stickyTrace_->MoveToTopLayerInMTraceContanerItemList();
  if (hotSpot_ != nullptr) hotSpot_->MoveToTopLayerInHotSpotContanerItemList();
  MoveToTopDropCatchLayer();
  MarkBase(redraw);
}

void cStickyObject::MoveStickyToTargetLayer(SInt32 rank, unsigned char redraw) {
  if (base_ == nullptr || base_->GetContainerItemRankNo() == rank) return;
  base_->MoveTargetLayerInContainerItemList(rank, 0, 1, 1);
  if (stickyTrace_ != nullptr) stickyTrace_->MoveToTergetLayerInMTraceContanerItemList(rank);
  if (hotSpot_ != nullptr) hotSpot_->MoveToTargetLayerInHotSpotContanerItemList(rank);
  MoveToTargetDropCatchLayerPosit(rank);
  MarkBase(redraw);
}

unsigned char cStickyObject::IsTopLayerStickyInContainerItemList() const {
  return base_ != nullptr ? base_->IsTopLayerInContainerItemList() : 0;
}

SInt32 cStickyObject::GetStickyContainerItemRankNo() const {
  if (base_ == nullptr) {
    return SpReportFailure(kSource, "cStickyObject::GetStickyContainerItemRankNo", 1,
                           "Required property is null !! ", SInt32(-1));
  }
  return base_->GetContainerItemRankNo();
}

SInt32 cStickyObject::GetStickyContainerItemMaxRankNo() const {
  if (base_ == nullptr) {
    return SpReportFailure(kSource, "cStickyObject::GetStickyContainerItemMaxRankNo", 1,
                           "Required property is null !! ", SInt32(-1));
  }
  return base_->GetContainerItemMaxRankNoInContainerItemList();
}

void cStickyObject::SetupStickyMouseTraceOnContainer(cMouseTraceObject* container) {
  if (container == nullptr || stickyTrace_ == nullptr) {
    SpReportFailure(kSource, "cStickyObject::SetupStickyMouseTraceOnContainer", 1,
                    kSpMsgNullArgument);
    return;
  }
  container->SetupMTraceContainerItemOnHightLayer(stickyTrace_);
}

void cStickyObject::SetupStickyHotSpotOnContainer(cSp_HotSpotArea* container) {
  if (container == nullptr || hotSpot_ == nullptr) {
    SpReportFailure(kSource, "cStickyObject::SetupStickyHotSpotOnContainer", 1,
                    kSpMsgNullArgument);
    return;
  }
  container->SetupHotSpotContainerItemOnHightLayer(hotSpot_);
}

// ---- Basic information ----

void cStickyObject::GetStickyBasicInfo(sStickyBasicInfo& out) const {
  out.maxWidth = maxWidth_;
  out.maxHeight = maxHeight_;
  out.minWidth = minWidth_;
  out.minHeight = minHeight_;
  out.closeBox = closeBox_;
  out.titleOutput = titleOutput_;
  out.growIcon = growIcon_;
  out.minimizedGrow = minimizedGrow_;
  out.minimizeIcon = minimizeIcon_;
  out.titleHeight = titleHeight_;
  out.titleFontNo = titleFontNo_;
  out.titleTextSize = titleTextSize_;
  out.titleInsetLeft = titleInsetLeft_;
  out.titleInsetRight = titleInsetRight_;
  out.titleInsetTop = titleInsetTop_;
  out.titleInsetBottom = titleInsetBottom_;
  out.titleTextColor = titleTextColor_;
  out.minimized = minimized_;
  out.minimizedSizeSet = minimizedSizeSet_;
  out.normalArea = normalArea_;
  out.minimizedArea = minimizedArea_;
  out.storedShort = storedShort_;
  out.storedByte = storedByte_;
  out.storedColor = storedColor_;
  out.minimizedTitleKind = minimizedTitleKind_;
  out.inactiveBackgroundOutputType = inactiveBackgroundType_;
  out.backgroundColor = backgroundColor_;
  out.frameColor = frameColor_;
  out.translucent = translucent_;
  out.translucencyRate = translucencyRate_;
}

void cStickyObject::SetStickyBasicInfo(const sStickyBasicInfo& info) {
  maxWidth_ = info.maxWidth;
  maxHeight_ = info.maxHeight;
  minWidth_ = info.minWidth;
  minHeight_ = info.minHeight;
  closeBox_ = info.closeBox;
  titleOutput_ = info.titleOutput;
  growIcon_ = info.growIcon;
  minimizedGrow_ = info.minimizedGrow;
  minimizeIcon_ = info.minimizeIcon;
  bool titleChanged = info.titleHeight != titleHeight_ || info.titleInsetLeft != titleInsetLeft_ ||
                      info.titleInsetRight != titleInsetRight_ ||
                      info.titleInsetTop != titleInsetTop_ ||
                      info.titleInsetBottom != titleInsetBottom_;
  titleHeight_ = info.titleHeight;
  titleInsetLeft_ = info.titleInsetLeft;
  titleInsetRight_ = info.titleInsetRight;
  titleInsetTop_ = info.titleInsetTop;
  titleInsetBottom_ = info.titleInsetBottom;
  titleFontNo_ = info.titleFontNo;
  titleTextSize_ = info.titleTextSize;
  titleTextColor_ = info.titleTextColor;
  bool areaChanged = false;
  if (!EqualRect(&normalArea_, &info.normalArea)) {
    normalArea_ = info.normalArea;
    areaChanged = areaChanged || minimized_ == 0;
  }
  if (!EqualRect(&minimizedArea_, &info.minimizedArea)) {
    minimizedArea_ = info.minimizedArea;
    areaChanged = areaChanged || minimized_ != 0;
  }
  if (info.minimized != minimized_) ChangeMinimize(0, 1, 0);
  if ((titleChanged || areaChanged) && base_ != nullptr) {
    Rect current = minimized_ != 0 ? minimizedArea_ : normalArea_;
    SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(current, frameArea_);
    SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(current, shadowArea_);
    base_->ResizeViewArea(current, 0, 1);
    base_->GetImmediateDrawingArea(&current);
    StoreCurrentStateArea(current);
    SetupStickyAreaParameter(0);
    if (minimized_ == 0) {
      GetEditTextAreaOnBaseViewOffscreenFromFrameArea(frameArea_, editArea_);
      ResizeEditTextViewImmediate(editArea_, 1, 0, 0);
    }
  }
  minimizedSizeSet_ = info.minimizedSizeSet;
  storedShort_ = info.storedShort;
  storedByte_ = info.storedByte;
  storedColor_ = info.storedColor;
  minimizedTitleKind_ = info.minimizedTitleKind;
  inactiveBackgroundType_ = info.inactiveBackgroundOutputType;
  backgroundColor_ = info.backgroundColor;
  SetupTextEditorAreaBackgroundColorFromBackgroundColor();
  frameColor_ = info.frameColor;
  if (info.translucent != 0) {
    SetupBackgroundTransparentFlag(1, 0);
    SetupBackgroundTransparentRate(float(info.translucencyRate), 0);
  }
}

unsigned char SpETOS_CheckStickyBasicInfo(const sStickyBasicInfo* info) {
  const char* const method = "SpETOS_CheckStickyBasicInfo";
  if (info == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, 0);
  const auto within = [](SInt32 v) { return v <= 2000; };
  if (!within(info->maxWidth) || !within(info->maxHeight) || !within(info->minWidth) ||
      !within(info->minHeight)) {
    return SpReportFailure(kSource, method, 2, "Error occured !! ", 0);
  }
  const SInt32 height = SInt32(info->normalArea.bottom) - info->normalArea.top;
  const SInt32 width = SInt32(info->normalArea.right) - info->normalArea.left;
  if (height < 1 || height > 2000 || width < 1 || width > 2000) {
    return SpReportFailure(kSource, method, 3, "Error occured !! ", 0);
  }
  if (!within(info->titleHeight) || !within(info->titleInsetLeft) ||
      !within(info->titleInsetRight) || !within(info->titleInsetTop) ||
      !within(info->titleInsetBottom)) {
    return SpReportFailure(kSource, method, 4, "Error occured !! ", 0);
  }
  return 1;
}

// ---- The base view ----

cStickeyBaseObj::cStickeyBaseObj(WindowRef window, const Rect& area, cStickyObject* owner,
                                 cSp_View* container)
    : cSp_DrawingView(window, area, SpETOS_CatchDrawingBaseViewCB,
                      reinterpret_cast<unsigned long>(owner), container, 1),
      owner_(owner) {}

unsigned char cStickeyBaseObj::CutUnderViewImage(RgnHandle region, RgnHandle work) {
  if (owner_ == nullptr) return 0;
  return owner_->CutUnderViewImageByBaseView(region, work);
}

unsigned char cStickeyBaseObj::SectMyAreaViewImage(RgnHandle region, RgnHandle work) {
  if (owner_ == nullptr) return 0;
  return owner_->SectMyAreaViewImageByBaseView(region, work);
}

void cStickeyBaseObj::BeforeContainerScrollExecute(short, short, short, short) {}

void cStickeyBaseObj::AfterContainerScrollExecute(short, short, short, short) {
  if (owner_ != nullptr) owner_->SetupStickyAreaParameter(0);
}

void cStickeyBaseObj::NotifyChangedContainerItemLayerRankNo(SInt32 oldRankNo, SInt32 newRankNo) {
  if (layerMod_.proc != nullptr) layerMod_.proc(oldRankNo, newRankNo, layerMod_.userData);
}

void cStickeyBaseObj::ExecStickeyBaseObjDeleteReady() {
  if (deleteReady_ != 0) return;
  deleteReady_ = 1;
  ExecDrawingViewObjDeleteReady(1);
  owner_ = nullptr;
  layerMod_.proc = nullptr;
}
