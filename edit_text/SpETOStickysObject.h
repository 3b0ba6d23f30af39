// Sticky notes: an edit-text object dressed as a small note on a window.
//
// A note is a framed, shadowed panel with an optional title bar, a grow box and a minimize
// box, holding one styled edit text. cStickyObject is the edit-text object itself and owns
// three companions: the base view (cStickeyBaseObj, a drawing view that paints the note and
// holds the edit text's view on its top layer, drawing in its offscreen), a hot spot over the
// base view (cStickyHotSpot, with the edit text's own hot spot inside it) and a hover area
// over the base view (with the edit text's own hover area inside it).
//
// Three coordinate spaces: the window's; the base view's rectangle in its container (as
// GetImmediateDrawingArea gives it); and the base view's offscreen, whose origin is the base
// view's top-left. On the offscreen the frame is the base less a 4-pixel shadow strip on the
// right and at the bottom, the shadow the same size 4 pixels down and right, and the edit area
// lies inside the frame below the title bar.
//
// A note is normal or minimized (a title strip); each state keeps its own base rectangle.
// Moving a note is its client's: the frame procedures hear every press on the title bar, the
// frame and the shadow and may call SetupNewStickyPosition.
//
// Failures beep and leave one error-log record (sources "SpETOStickysObject",
// "SpETOStickysSize", "SpETOStickysResize", "SpETOStickysActivate", "SpETOStickysDraw",
// "SpETOStickysMouse", "SpETOStickyHotSpotObj", "SpETOStickyBaseObj").
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpDrawingView.h"
#include "SpEditTextObject.h"
#include "SpGeneralStringObject.h"
#include "SpHotSpotArea.h"
#include "SpProcEntry.h"

class cStickyObject;
class cMouseTraceObject;

// The part of a note under a point.
typedef UInt8 tETOS_PartsType;
enum : tETOS_PartsType {
  kETOS_OutSide = 0,
  kETOS_EditArea = 1,
  kETOS_GrowArea = 2,
  kETOS_MinimizeBox = 3,
  kETOS_TitleBar = 4,
  kETOS_Frame = 5,
  kETOS_Reserved = 6,  // accepted by the mouse procedures, never produced
  kETOS_Shadow = 7,
};

// What an inactive note's background shows; stored and reported only.
typedef UInt8 tETOS_BackGroundOutputType;

typedef void (*tETOS_EditProcPtr)(cStickyObject* note, tETOS_PartsType part,
                                  unsigned long refCon);
// Non-zero lets the note go on.
typedef unsigned char (*tETOS_FrameProcPtr)(cStickyObject* note, Point localPoint,
                                            tETOS_PartsType part, unsigned long refCon);
// The old and the new base rectangle.
typedef void (*tETOS_ResizeProcPtr)(cStickyObject* note, Rect& oldArea, Rect& newArea,
                                    unsigned long refCon);
typedef void (*tETOS_NotifyProcPtr)(cStickyObject* note, unsigned long refCon);
typedef void (*tETOS_LayerModProcPtr)(long oldRankNo, long newRankNo, unsigned long refCon);

// Every setting of a note at once.
struct sStickyBasicInfo {
  SInt16 maxWidth;
  SInt16 maxHeight;
  SInt16 minWidth;
  SInt16 minHeight;
  unsigned char closeBox;
  unsigned char titleOutput;
  unsigned char growIcon;
  unsigned char minimizedGrow;
  unsigned char minimizeIcon;
  SInt16 titleHeight;
  SInt16 titleFontNo;
  SInt16 titleTextSize;
  SInt16 titleInsetLeft;
  SInt16 titleInsetRight;
  SInt16 titleInsetTop;
  SInt16 titleInsetBottom;
  RGBColor titleTextColor;
  unsigned char minimized;
  unsigned char minimizedSizeSet;
  Rect normalArea;
  Rect minimizedArea;
  SInt16 storedShort;
  unsigned char storedByte;
  RGBColor storedColor;
  unsigned char minimizedTitleKind;
  tETOS_BackGroundOutputType inactiveBackgroundOutputType;
  RGBColor backgroundColor;
  RGBColor frameColor;
  unsigned char translucent;
  double translucencyRate;
};

// 1 when the record's sizes are sound: size limits, the normal rectangle's sides (1 to 2000)
// and the title values at most 2000.
unsigned char SpETOS_CheckStickyBasicInfo(const sStickyBasicInfo* info);

// ---- Size functions (T is the title height when the title is shown, else 0) ----
void SpETOSticky_GetEditTextAreaFromFrameSize(const Rect& frame, Rect& out,
                                              unsigned char titleOutput, SInt16 titleHeight,
                                              SInt16 offsetLeft, SInt16 offsetTop,
                                              SInt16 offsetRight, SInt16 offsetBottom,
                                              unsigned char minimizeIcon);
void SpETOSticky_GetViewSizeFromEditTextArea(const Rect& edit, Rect& frame, Rect& shadow,
                                             Rect& base, unsigned char titleOutput,
                                             SInt16 titleHeight, unsigned char minimizeIcon,
                                             SInt16 offsetLeft, SInt16 offsetTop,
                                             SInt16 offsetRight, SInt16 offsetBottom);
void SpETOSticky_GetFrameAreaFromBaseViewArea(const Rect& base, Rect& out);
void SpETOSticky_GetFrameAreaOnBaseViewOffscreenFromBaseViewArea(const Rect& base, Rect& out);
void SpETOSticky_GetBaseViewSizeFromFrameArea(const Rect& frame, Rect& out);
void SpETOSticky_GetShadowAreaFromBaseViewArea(const Rect& base, Rect& out);
void SpETOSticky_GetShadowAreaOnBaseViewFromBaseViewArea(const Rect& base, Rect& out);

// The base view: paints the note; only its frame is opaque to the views under it.
class cStickeyBaseObj : public cSp_DrawingView {
 public:
  cStickeyBaseObj(WindowRef window, const Rect& area, cStickyObject* owner, cSp_View* container);

  unsigned char CutUnderViewImage(RgnHandle region, RgnHandle work) override;
  unsigned char SectMyAreaViewImage(RgnHandle region, RgnHandle work) override;
  void BeforeContainerScrollExecute(short h, short v, short dh, short dv) override;
  void AfterContainerScrollExecute(short h, short v, short dh, short dv) override;
  void NotifyChangedContainerItemLayerRankNo(SInt32 oldRankNo, SInt32 newRankNo) override;

  void SetupLayerModProc(tETOS_LayerModProcPtr proc, unsigned long refCon) {
    layerMod_.proc = proc;
    layerMod_.userData = refCon;
  }
  // Once: the view leaves every list and forgets its owner.
  void ExecStickeyBaseObjDeleteReady();

 private:
  cStickyObject* owner_ = nullptr;
  sSpCallback<tETOS_LayerModProcPtr> layerMod_;
  unsigned char deleteReady_ = 0;
};

// The note's hot spot: forwards the mouse to its owner.
class cStickyHotSpot : public cSp_HotSpotArea {
 public:
  cStickyHotSpot(WindowRef window, const Rect& area, cStickyObject* owner);

  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaInProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseMoveProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

  void ForgetOwner() { owner_ = nullptr; }

 private:
  cStickyObject* owner_ = nullptr;
};

// The press in progress on a note: only one note is pressed at a time.
extern tETOS_PartsType onStickyBaseStartupMousePosit_GlV;
extern tETOS_PartsType onStickyBaseMousePosit_GlV;
extern Point growStartPoint_GlV;
extern Point beforeMousePoint_GlV;
extern Rect growBaseViewStartArea_GlV;
extern Rect growMimizeStartArea_GlV;

class cStickyObject : public cEditTextObject {
 public:
  // `area` gives the note's top-left corner and the size of its edit area.
  cStickyObject(WindowRef window, const Rect& area, SInt16 lineHeight, unsigned char closeBox,
                unsigned char titleOutput, unsigned char growIcon, unsigned char minimizeIcon,
                cSp_View* container, unsigned char viewFlag);
  ~cStickyObject() override;

  // Once: the companions go and the title string is given back. The edit object's own delete
  // step runs first whatever the flag says, since its view is an item of the base view.
  void ExecStickysObjDeleteReady(unsigned char alsoEditText);

  // ==== Overrides of the edit-text object ====
  void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop, short dh,
                                 short dv) override;
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;
  void EditTextMouseDownCallProc() override;
  void EditTextClickCallProc() override;
  void EditTextDblClickCallProc() override;

  // ==== Settings ====
  void SetupFrameColor(const RGBColor& colour, unsigned char redraw);
  void GetFrameColor(RGBColor& out) const { out = frameColor_; }
  void SetupBackgroundColor(const RGBColor& colour, unsigned char redraw);
  void GetBackgoundColor(RGBColor& out) const { out = backgroundColor_; }
  void GetTextEditorAreaColors(RGBColor& active, RGBColor& inactive) const {
    active = activeEditColor_;
    inactive = inactiveEditColor_;
  }
  void SetupTextEditorAreaBackgroundColorFromBackgroundColor();
  void SetFrameDrawingEnableFlag(unsigned char flag, unsigned char redraw);
  void SetupTextEditorActiveBackgroundColorEnableFlag(unsigned char flag, unsigned char redraw);
  void SetupTextEditorDeActiveBackgroundColorEnableFlag(unsigned char flag, unsigned char redraw);
  void SetupCloseBox(unsigned char flag, unsigned char redraw);
  void SetupTitleOutput(unsigned char flag, unsigned char redraw);
  unsigned char GetTitleOutputFlag() const { return titleOutput_; }
  void SetupGrowIcon(unsigned char flag, unsigned char redraw);
  void SetupMinimizeIcon(unsigned char flag, unsigned char redraw);
  void SetupDeActiveBackgroundOutputType(tETOS_BackGroundOutputType type, unsigned char redraw);
  void SetupTitleAreaDblClickMinimizeSwitch(unsigned char flag) { titleDblClickMinimize_ = flag; }
  void SetupTitleString(const char* text, unsigned char redraw);
  void SetupTitleStringFontNo(SInt16 fontNo, unsigned char redraw);
  void SetTitleHeight(SInt16 height, unsigned char redraw);
  void GetTitleHeight(SInt16& out) const { out = titleHeight_; }
  void SetupStickyEditorAreaOffset(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right,
                                   unsigned char rewrap, unsigned char initialWidth,
                                   unsigned char redraw);
  void GetStickyEditorAreaOffset(SInt16* top, SInt16* left, SInt16* bottom, SInt16* right) const;
  void SetupMinWidth(SInt16 width, unsigned char ofNote, unsigned char redraw);
  void SetupMaxWidth(SInt16 width, unsigned char ofNote, unsigned char redraw);
  void SetupMinHeight(SInt16 height, unsigned char ofNote);
  void SetupMaxHeight(SInt16 height, unsigned char ofNote);
  void GetStickyMinSize(SInt16& width, SInt16& height) const;
  void GetStickyMaxSize(SInt16& width, SInt16& height) const;
  void SetupBackgroundTransparentFlag(unsigned char flag, unsigned char redraw);
  void SetupBackgroundTransparentRate(float rate, unsigned char redraw);
  unsigned char GetBackgroundTransparentFlag() const { return translucent_; }

  // ==== Client procedures ====
  void SetupStickeyEditMouseDownProc(tETOS_EditProcPtr proc, unsigned long refCon);
  void SetupStickeyEditClickProc(tETOS_EditProcPtr proc, unsigned long refCon);
  void SetupStickeyEditDblClickProc(tETOS_EditProcPtr proc, unsigned long refCon);
  void SetupStickeyFrameMouseDownProc(tETOS_FrameProcPtr proc, unsigned long refCon);
  void SetupStickeyFrameMouseTraceProc(tETOS_FrameProcPtr proc, unsigned long refCon);
  void SetupStickeyFrameMouseUpProc(tETOS_FrameProcPtr proc, unsigned long refCon);
  void SetupStickeyFrameClickProc(tETOS_FrameProcPtr proc, unsigned long refCon);
  void SetupStickeyFrameDblClickProc(tETOS_FrameProcPtr proc, unsigned long refCon);
  void SetupStickeyResizeBeforeProc(tETOS_ResizeProcPtr proc, unsigned long refCon);
  void SetupStickeyResizeAfterProc(tETOS_ResizeProcPtr proc, unsigned long refCon);
  void SetupStickyResizeCompleteProc(tETOS_ResizeProcPtr proc, unsigned long refCon);
  void SetupStickeyAutoGrowBeforeProc(tETOS_ResizeProcPtr proc, unsigned long refCon);
  void SetupStickeyAutoGrowAfterProc(tETOS_ResizeProcPtr proc, unsigned long refCon);
  void SetupStickyEditActivateProc(tETOS_NotifyProcPtr proc, unsigned long refCon);
  void SetupStickyEditDeActivateProc(tETOS_NotifyProcPtr proc, unsigned long refCon);
  void SetupStickyMimizeProc(tETOS_NotifyProcPtr proc, unsigned long refCon);
  void SetupStickyNomalizeProc(tETOS_NotifyProcPtr proc, unsigned long refCon);
  void SetupNormalStickyContentDrawProc(tETOS_NotifyProcPtr proc, unsigned long refCon);
  void SetupStickyViewLayerModProc(tETOS_LayerModProcPtr proc, unsigned long refCon);
  // Without a procedure the edit, resize, auto-grow, activation, minimize and drawing ones
  // answer 0 and the frame ones 1 (go on).
  unsigned char ExecuteStickyEditMouseDownProc(tETOS_PartsType part);
  unsigned char ExecuteStickyEditClickProc(tETOS_PartsType part);
  unsigned char ExecuteStickyEditDblClickProc(tETOS_PartsType part);
  unsigned char ExecuteStickyFrameMouseDownProc(Point point, tETOS_PartsType part);
  unsigned char ExecuteStickyFrameMouseTraceProc(Point point, tETOS_PartsType part);
  unsigned char ExecuteStickyFrameMouseUpProc(Point point, tETOS_PartsType part);
  unsigned char ExecuteStickyFrameClickProc(Point point, tETOS_PartsType part);
  unsigned char ExecuteStickyFrameDblClickProc(Point point, tETOS_PartsType part);
  unsigned char ExecuteStickyResizeBeforeProc(Rect& oldArea, Rect& newArea);
  unsigned char ExecuteStickyResizeAfterProc(Rect& oldArea, Rect& newArea);
  unsigned char ExecuteStickyResizeCompleteProc(Rect& oldArea, Rect& newArea);
  unsigned char ExecuteStickyAutoGrowBeforeProc(Rect& oldArea, Rect& newArea);
  unsigned char ExecuteStickyAutoGrowAfterProc(Rect& oldArea, Rect& newArea);
  unsigned char ExecuteStickyEditActivateProc();
  unsigned char ExecuteStickyEditDeActivateProc();
  unsigned char ExecuteStickyMimizeProc();
  unsigned char ExecuteStickyNomalizeProc();
  unsigned char ExecuteNormalStickyContentDrawProc();

  // ==== Sizes and position (SpETOStickysSize.cpp) ====
  void SetupNewStickySize(const Rect& rect, unsigned char redraw, unsigned char rewrap,
                          unsigned char initialWidth);
  void SetupNewStickyPosition(short h, short v, unsigned char redraw);
  void SetupNormalStickyAreaSize(const Rect& rect, unsigned char redraw, unsigned char callProcs,
                                 unsigned char rewrap, unsigned char initialWidth);
  void SetupMimizeStickyAreaSize(const Rect& rect, unsigned char redraw, unsigned char callProcs,
                                 unsigned char sizeSet);
  void SetupWidthForTitleFinIn(unsigned char redraw, unsigned char callProcs,
                               unsigned char initialWidth);
  // Clamps a normal base rectangle to the size limits; the top-left stays.
  void ClampNormalStickyArea(Rect& rect) const;
  void ClampMinimizedStickyArea(Rect& rect) const;
  void GetTextAreaSize(Rect& out) const;
  void GetStickyDrawingArea(Rect& out) const;
  void GetStickyImmeditDrawingArea(Rect& out) const;
  void GetStickyImmeditNormalDrawingArea(Rect& out) const { out = normalArea_; }
  void GetStickyImmeditMimizeDrawingArea(Rect& out) const { out = minimizedArea_; }
  unsigned char GetStickyViewableDrawingArea(Rect& out) const;
  void GetFrameAreaOnStickyOffscreen(Rect& out) const { out = frameArea_; }
  void GetShadowAreaOnStickyOffscreen(Rect& out) const { out = shadowArea_; }
  void GetEditAreaOnStickyOffscreen(Rect& out) const { out = editArea_; }
  void GetStickyBaseViewImmeditArea(Rect& out) const;
  void GetStickyBaseViewDrawingArea(Rect& out) const;
  unsigned char GetStickyBaseViewViewableDrawingArea(Rect& out) const;
  cStickeyBaseObj* GetStickyBaseView() const;
  cStickyObject* GetThisStickyObjectPtr() { return this; }
  cStickyHotSpot* GetStickyHotSpot() const { return hotSpot_; }
  cMouseTraceObject* GetStickyMouseTrace() const { return stickyTrace_; }
  void GetEditTextAreaFromFrameSize(const Rect& frame, Rect& out) const;
  void GetEditTextAreaOnBaseViewOffscreenFromFrameArea(const Rect& frame, Rect& out) const;
  void GetViewSizeFromEditTextArea(const Rect& edit, Rect& frame, Rect& shadow, Rect& base) const;
  // The edit text grew by itself: the note follows.
  void CatchAutoGrowEdit(Rect& before, Rect& after);
  // Hover area and hot spot follow the base view's place; quiet only stores the hover area.
  void SetupStickyAreaParameter(unsigned char quiet);

  // ==== Minimizing ====
  void MinimizeExecute(unsigned char redraw, unsigned char callResizeProcs,
                       unsigned char callMinimizeProc);
  void OpenMinimize(unsigned char redraw, unsigned char callResizeProcs,
                    unsigned char callNormalizeProc);
  void ChangeMinimize(unsigned char redraw, unsigned char callResizeProcs,
                      unsigned char callProc);
  unsigned char GetCurrentMinimize() const { return minimized_; }
  unsigned char GetStickyMimizieSizeSetupFlag() const { return minimizedSizeSet_; }
  void CalcMinimizedStickyInitialSize(Rect& out) const;
  void SetupMinimizeDownFlag(unsigned char flag) { minimizeBoxPressed_ = flag; }
  unsigned char GetMinimizeDownFlag() const { return minimizeBoxPressed_; }

  // ==== Activation (SpETOStickysActivate.cpp) ====
  void StickyFrameActive(unsigned char redraw);
  void StickyFrameDeActive(unsigned char redraw);
  unsigned char GetStickyFrameActivateFlag() const { return frameActive_; }
  void StickyEditActive(unsigned char redraw);
  void StickyEditDeActive(unsigned char flag, unsigned char redraw);
  void StickyEnable(unsigned char redraw);
  void StickyDisable(unsigned char redraw);
  void EnableStickyHotspotAndMouseTrace();
  void DisableStickyHotspotAndMouseTrace();
  void CatchEditActivation();
  void CatchEditDeActivation();

  // ==== Layers ====
  void MoveStickyToTopLayer(unsigned char redraw);
  void MoveStickyToTargetLayer(SInt32 rank, unsigned char redraw);
  unsigned char IsTopLayerStickyInContainerItemList() const;
  SInt32 GetStickyContainerItemRankNo() const;
  SInt32 GetStickyContainerItemMaxRankNo() const;
  void SetupStickyMouseTraceOnContainer(cMouseTraceObject* container);
  void SetupStickyHotSpotOnContainer(cSp_HotSpotArea* container);

  // ==== Basic information ====
  void GetStickyBasicInfo(sStickyBasicInfo& out) const;
  void SetStickyBasicInfo(const sStickyBasicInfo& info);

  // ==== Drawing (SpETOStickysDraw.cpp) ====
  void DrawBaseView();
  void DrawBaseViewBackground();
  void DrawNomalNonTransrateBaseView();
  void DrawNomalBaseViewDeActiveBackground();
  void DrawMinimizeBaseView();
  void DrawMinimizeBaseViewBackground() {}
  void DrawTitleBar(const Rect& frame, unsigned char fill, unsigned char text,
                    unsigned char highlight);
  void DrawMimizeBox();
  void GetGrowIconRegion(const Rect& frame, RgnHandle out) const;
  void GetStickySelectionRegion(RgnHandle inOut, unsigned char withShadow, unsigned char unused,
                                unsigned char outlineOnly);
  unsigned char CutUnderViewImageByBaseView(RgnHandle region, RgnHandle work);
  unsigned char SectMyAreaViewImageByBaseView(RgnHandle region, RgnHandle work);
  unsigned char DrawStickyOnCurrentPort(const Rect& area, unsigned char paint, short h, short v,
                                        RgnHandle clip, unsigned char unused);
  unsigned char GetStickyImageOffscreen(const Rect* area, unsigned char paint,
                                        const RGBColor* colour, unsigned char unused,
                                        SInt32 depth, GWorldPtr& out, Rect& bounds);

  // ==== Mouse (SpETOStickysMouse.cpp) ====
  unsigned char OnWindowPositToPartsType(Point localPoint, tETOS_PartsType& part);
  unsigned char MouseTraceVerifyPositionForSticky(Point localPoint, short modifiers);
  void SetupMouseTraceCurrentPartsType(tETOS_PartsType part) { hoverPart_ = part; }
  tETOS_PartsType GetMouseTraceCurrentPartsType() const { return hoverPart_; }
  unsigned char StickyHotSpotMouseDonwProc(short modifiers, Point localPoint);
  unsigned char StickyHotSpotMouseAreaOutProc(short, Point) { return 1; }
  unsigned char StickyHotSpotMouseAreaInProc(short, Point) { return 1; }
  unsigned char StickyHotSpotMouseUpProc(short modifiers, Point localPoint);
  void StickyHotSpotClickProc(short modifiers, Point localPoint);
  unsigned char StickyHotSpotDblClickProc(short modifiers, Point localPoint);
  unsigned char StickyHotSpotMouseMoveProc(short, Point) { return 1; }
  unsigned char StickyHotSpotMouseDownTraceProc(short modifiers, Point localPoint);

 private:
  // The frame of the rectangle the current state shows, on the offscreen.
  Rect CurrentFrame() const;
  SInt16 ShownTitleHeight() const { return titleOutput_ != 0 ? titleHeight_ : SInt16(0); }
  // The base view marked for redraw, and redrawn at once with `redraw`.
  void MarkBase(unsigned char redraw);
  // Frame and shadow from a base rectangle, the edit area from that frame.
  void DeriveAreasFromBase(const Rect& base);
  // Resizes the edit view to the edit area derived from the stored frame.
  void ResizeEditToFrame(unsigned char rewrap, unsigned char initialWidth);
  void StoreCurrentStateArea(const Rect& rect);
  // The edit-text size that a base-view size gives, and back.
  SInt16 EditWidthFromFrameWidth(SInt16 frameWidth) const;
  SInt16 EditHeightFromFrameHeight(SInt16 frameHeight) const;
  void ApplySetting(unsigned char& field, unsigned char value, unsigned char redraw);
  void ApplyColour(RGBColor& field, const RGBColor& value, unsigned char redraw);
  void GrowTrace(short modifiers, Point point);
  unsigned char CombineWithOpaqueFrame(RgnHandle region, const char* method,
                                       void (*combine)(RgnHandle, RgnHandle, RgnHandle));
  void ShowTitleText(const Rect& textRect);

  // ---- Settings ----
  unsigned char frameActive_ = 0;
  Rect frameArea_{0, 0, 0, 0};
  Rect shadowArea_{0, 0, 0, 0};
  Rect editArea_{0, 0, 0, 0};
  SInt16 offsetTop_ = 0;
  SInt16 offsetLeft_ = 0;
  SInt16 offsetBottom_ = 0;
  SInt16 offsetRight_ = 0;
  SInt16 maxWidth_ = 0;
  SInt16 maxHeight_ = 0;
  SInt16 minWidth_ = 0;
  SInt16 minHeight_ = 0;
  unsigned char closeBox_ = 1;
  unsigned char titleOutput_ = 1;
  unsigned char growIcon_ = 1;
  unsigned char minimizedGrow_ = 1;
  unsigned char minimizeIcon_ = 1;
  unsigned char titleDblClickMinimize_ = 1;
  SInt16 titleHeight_ = 12;
  SInt16 titleFontNo_ = 0;
  SInt16 titleTextSize_ = 10;
  SInt16 titleInsetLeft_ = 2;
  SInt16 titleInsetRight_ = 2;
  SInt16 titleInsetTop_ = 1;
  SInt16 titleInsetBottom_ = 1;
  RGBColor titleTextColor_{0, 0, 0};
  sSO_StringObjectBase* title_ = nullptr;
  unsigned char minimized_ = 0;
  unsigned char minimizeBoxPressed_ = 0;
  unsigned char minimizedSizeSet_ = 0;
  Rect normalArea_{0, 0, 0, 0};
  Rect minimizedArea_{0, 0, 0, 0};
  SInt16 storedShort_ = 0;
  unsigned char storedByte_ = 1;
  RGBColor storedColor_{0, 0, 0};
  unsigned char minimizedTitleKind_ = 2;
  tETOS_BackGroundOutputType inactiveBackgroundType_ = 0;
  cStickeyBaseObj* base_ = nullptr;
  RGBColor backgroundColor_{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor frameColor_{0, 0, 0};
  unsigned char activeEditColorOn_ = 0;
  RGBColor activeEditColor_{0xFFFF, 0xFFFF, 0xFFFF};
  unsigned char inactiveEditColorOn_ = 0;
  RGBColor inactiveEditColor_{0xFFFF, 0xFFFF, 0xFFFF};
  unsigned char translucent_ = 0;
  float translucencyRate_ = 0.0f;
  cMouseTraceObject* stickyTrace_ = nullptr;
  tETOS_PartsType hoverPart_ = kETOS_OutSide;
  cStickyHotSpot* hotSpot_ = nullptr;
  // ---- Client procedures ----
  sSpCallback<tETOS_EditProcPtr> editMouseDown_, editClick_, editDblClick_;
  sSpCallback<tETOS_FrameProcPtr> frameMouseDown_, frameTrace_, frameMouseUp_, frameClick_,
      frameDblClick_;
  sSpCallback<tETOS_ResizeProcPtr> resizeBefore_, resizeAfter_, resizeComplete_, growBefore_,
      growAfter_;
  sSpCallback<tETOS_NotifyProcPtr> editActivate_, editDeActivate_;
  unsigned char pendingLineMax_ = 0;
  SInt16 pendingLineMaxWidth_ = 0;
  sSpCallback<tETOS_NotifyProcPtr> minimizeProc_, normalizeProc_, contentDraw_;
  unsigned char stickyDeleteReady_ = 0;
  unsigned char frameDrawing_ = 1;
};

// ---- Procedures handed to the framework (the reference is the note) ----
void SpETOS_CatchDrawingBaseViewCB(unsigned long refCon, Rect* area);
void SpETOS_DrawingBackgroundProc(unsigned long refCon, Rect* area);
unsigned char Sp_ETOS_MouseTraceVerifyPositionProc(Point localPoint, short modifiers,
                                                   unsigned long refCon, short& areaCode);
void Sp_ETOS_MouseTraceAreaInProc(Point localPoint, short modifiers, unsigned long refCon);
void Sp_ETOS_MouseTraceAreaOutProc(short modifiers, unsigned long refCon);
