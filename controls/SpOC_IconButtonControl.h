// The framework's own push button, and the radio group that ties stopper buttons together.
//
// A cSp_OriginalIconButtonControl is a view and a hot-spot area of its window at once. It
// draws itself in one of several ways (a colour icon that changes with its state; a bevelled
// frame with an icon, a title or both; a picture with a title; or the client's own drawing),
// follows the mouse while the button is held and calls the client's procedures at fixed
// moments: pressed and released as the mouse goes in and out while held, then, at the release
// inside, the action procedure (or the stopper-down procedure when it locks a stopper), and the
// no-action procedure at a release that changes nothing. A stopper button stays down after a
// click: a toggle stopper until the next click, a locking stopper until its radio group or the
// client releases it. A hilited button is drawn brightened and takes no press. With a repeat
// procedure a held button repeats, the first time 50 ticks after the press, then every repeat
// interval; a button can also cycle through its up icons as an animation.
//
// The client procedures and their reference values are public members the client sets.
//
// A cSp_OriginalButtonControlRadioGroup keeps its member buttons and the list of those that are
// down: at most `maximumDown` at once (the oldest comes up for a new one) and, when a button
// comes up, at least `minimumDown` (another member goes down in its place).
//
// A cSp_OriginalMouseTraceIconPanelButtonControl is an icon button that plots its own icon
// (an icon family, a colour icon, a picture or an icon suite) inside a frame view that draws
// coloured rings around it, with a hover area over it on the window.
//
// Failures beep once and leave one error-log record (source "SpOC_IconButtonControl").
#pragma once

#include <string>

#include "MacTypes.h"
#include "MacWindows.h"
#include "QDPictures.h"
#include "QuickDraw.h"
#include "SpDrawingView.h"
#include "SpHotSpotArea.h"
#include "SpIconView.h"
#include "SpMouseTraceObject.h"
#include "SpResourceManager.h"
#include "SpViewClass.h"

class cSp_OriginalIconButtonControl;
class cSp_OriginalButtonControlRadioGroup;

// How the button behaves (the title bar's button items keep a value of the same type).
typedef UInt8 tButtonType;
enum : tButtonType {
  kOrgB_PushButton = 0,
  kOrgB_PushButton2 = 1,
  kOrgB_ToggleStopperButton = 2,  // a click locks it down, the next releases it
  kOrgB_LockStopperButton = 3,    // a click locks it down; only the group or client release it
  kOrgB_MultiStatusButton = 4,    // a push button whose down icons start again after the last
};

// How it is drawn (the title bar's button items use 1 and 2 alike).
typedef UInt8 tButtonDrawingType;
enum : tButtonDrawingType {
  kOrgB_StatusIconDrawing = 0,     // the colour icon of its state only
  kOrgB_FrameIconDrawing = 1,      // frame, face and icon
  kOrgB_FrameTitleDrawing = 2,     // frame, face and title
  kOrgB_FrameIconTitleDrawing = 3, // frame, face, icon and title
  kOrgB_NoDrawing = 4,
  kOrgB_PictureTitleDrawing = 5,   // picture and title
  kOrgB_ClientDrawing = 6,         // the client's drawing procedures
};

// What the icon id names.
typedef UInt8 tButtonIconType;
enum : tButtonIconType {
  kOrgB_IconFamilyIcon = 0,  // an icon family by resource id
  kOrgB_ColourIcon = 1,      // the colour icons of the status sets
  kOrgB_PictureIcon = 2,     // pictures
  kOrgB_IconSuiteIcon = 3,   // an icon suite handle (panel buttons)
};

// The two sets of status icons.
typedef UInt8 tButtonStatusType;
enum : tButtonStatusType {
  kOrgB_UpStatus = 0,
  kOrgB_DownStatus = 1,
};

typedef UInt8 tButtonControlGroupType;

// A client procedure: the button, the point of the mouse event (window-local) or a value the
// client passed, and the reference value. The down-check, pressed, click and double-click
// procedures answer; the others' answers are ignored.
typedef unsigned char (*tSpOrgB_ButtonProcPtr)(cSp_OriginalIconButtonControl* button, Point point,
                                               unsigned long refCon);
// A drawing procedure: the button's area in its offscreen and whether it is pressed.
typedef void (*tSpOrgB_DrawingProcPtr)(cSp_OriginalIconButtonControl* button, const Rect& area,
                                       unsigned char pressed, unsigned long refCon);

// The tick of the last press on any icon button.
extern UInt32 hotSpotMouseDownStartTick_GlV;

class cSp_OriginalIconButtonControl : public cSp_View, public cSp_HotSpotArea {
 public:
  // A button over `area` (the container's content coordinates); its title and icon areas are
  // its whole rectangle.
  cSp_OriginalIconButtonControl(WindowRef window, const Rect& area, tButtonType type,
                                tButtonDrawingType drawingType, cSp_View* container,
                                unsigned char drawInContainerOffscreen);
  // Leaves its radio group; releases its icons and pictures.
  ~cSp_OriginalIconButtonControl() override;

  void StartUpInitialize();

  tButtonType GetButtonType() const { return buttonType_; }
  tButtonDrawingType GetDrawingType() const { return drawingType_; }
  unsigned char IsPressed() const { return pressed_; }

  // ---- Appearance: a changed value is stored and the button marked; redraw draws it now ----
  // With derive, the state's title shadow becomes the new face colour half way to black.
  void SetUpButtonColor(const RGBColor& colour, unsigned char redraw, unsigned char derive);
  void SetDownButtonColor(const RGBColor& colour, unsigned char redraw, unsigned char derive);
  void SetButtonFrameColor(const RGBColor& colour, unsigned char redraw);
  void SetUpButtonStringColor(const RGBColor& colour, unsigned char redraw);
  void SetDownButtonStringColor(const RGBColor& colour, unsigned char redraw);
  void SetUpButtonStringShadowColor(const RGBColor& colour, unsigned char redraw);
  void SetDownButtonStringShadowColor(const RGBColor& colour, unsigned char redraw);
  void SetButtonStringShadowEnableFlag(unsigned char shadow, unsigned char redraw);
  void SetButtonStringShadowOffset(short h, short v, unsigned char redraw);
  // Both title shadows become their face colours mixed toward black by the rate.
  void SetButtonStringDarkRate(float rate, unsigned char redraw);
  // 0 is the port's default size.
  void SetButtonTextSize(short size, unsigned char redraw);
  void SetButtonStringAreaRect(const Rect& area, unsigned char redraw);
  // A copy of the text; null or empty leaves no title.
  void SetButtonOutputString(const char* text, unsigned char redraw);
  const char* GetButtonOutputString() const { return title_.empty() ? nullptr : title_.c_str(); }
  // The icon, where and how it is plotted; a colour icon also joins the up set.
  void SetButtonIcon(short iconId, tButtonIconType kind, const Rect& area, short alignment,
                     short transform, unsigned char redraw);
  // Changes the drawing type; the icon kind follows it (0 colour icons, 1 and 3 icon families,
  // 5 pictures).
  void SetupIconType(tButtonDrawingType drawingType);
  tButtonIconType GetIconKind() const { return iconKind_; }
  // The up picture, drawn in area; pixels of the key colour (when given) are kept by the
  // darkening and brightening.
  void SetButtonPictIcon(short pictId, const Rect& area, short alignment,
                         const RGBColor* keyColour, unsigned char redraw);
  // The pictures shown pressed and hilited; a picture that cannot be found keeps the old one.
  void SetDownButtonPictIcon(short pictId, unsigned char redraw);
  void SetHiliteButtonPictIcon(short pictId, unsigned char redraw);
  // Darkening of the picture (in percent) while pressed or raised.
  void EnableDarkenOnBottnDown(float percent);
  void DisableDarkenOnButtonDown() { darkenOnDown_ = 0; }
  void EnableDarkenOnButtonUp(float percent);
  void DisableDarkenOnButtonUp() { darkenOnUp_ = 0; }
  void MiniButtonTurnOn() { mini_ = 1; }
  void MiniButtonTurnOff() { mini_ = 0; }
  void SetupHiliteFlag(unsigned char hilite);
  unsigned char GetHiliteFlag() const { return hilite_; }
  void SetupHiliteRate(float rate, unsigned char redraw);
  void SetupButtonDownDarkRate(float rate) { downDarkRate_ = rate; }
  // How far the content moves while pressed; only values above 0 are taken, and the button
  // grows by them at its right and bottom.
  void SetupButtonDownOffset(short h, short v);
  void GetButtonDownOffset(short& h, short& v) const {
    h = downOffsetH_;
    v = downOffsetV_;
  }

  // ---- Status icons ----
  void SetButtonIconResId(tButtonStatusType status, short iconId);
  // An index outside the set keeps the current one; the button is marked in any case.
  void ChangeStatus(tButtonStatusType status, SInt32 index, unsigned char redraw);
  SInt32 GetCurrentStatus(tButtonStatusType status) const;
  SInt32 NumOfIconStatusLayer(tButtonStatusType status) const;
  // The icon at the current index, else the first, or null without a set.
  CIconHandle GetButtonIconHandle(tButtonStatusType status) const;

  // ---- Stoppers ----
  // Locks a stopper button that is not locked; with callProc the stopper-down procedure gets
  // the value (as the point's h).
  void DownStopperButton(short value, unsigned char redraw, unsigned char callProc);
  // Releases a locked toggle stopper; then, with callProc, the action procedure is called.
  void UpStopperButton(short value, unsigned char redraw, unsigned char callProc);
  unsigned char CheckDownedStopperButton() const { return stopperDown_; }

  // ---- Place ----
  void ResizeAndMoveButton(const Rect& area, unsigned char unused, unsigned char redraw);
  // A negative value keeps that side or coordinate.
  void ResizeOriginalButtonCnt(short width, short height, unsigned char redraw);
  void MoveOriginalButtonCnt(short left, short top, unsigned char redraw);
  // The hot-spot area becomes what the window shows of the button (disabled when nothing).
  void SetupOriginalIconHotSpotArea();
  void DisableButtonOutput(unsigned char redraw);
  void EnableButtonOutput(unsigned char redraw);

  // ---- Client drawing ----
  void SetupDownButtonDrawingProc(tSpOrgB_DrawingProcPtr proc, unsigned long refCon);
  void SetupUpButtonDrawingProc(tSpOrgB_DrawingProcPtr proc, unsigned long refCon);
  void ExecDownButtonDrawingProc();
  void ExcecUpButtonDrawingProc();

  // ---- Cycling through the up icons ----
  void StartCycleInterruptDraw(UInt32 intervalTicks);
  void StopCycleInterruptDraw();
  unsigned char IsCycling() const { return cycling_; }
  SInt32 GetCycleFrame() const { return cycleFrame_; }

  // ---- The radio group ----
  cSp_OriginalButtonControlRadioGroup* GetRadioGroup() const { return group_; }

  // ---- View and hot-spot operations ----
  unsigned char UpdateProc() override;
  unsigned char InterruptDraw() override;
  void AfterContainerMoveExecute(cSp_View*, short, short, short, short) override;
  void AfterContainerResizeExecute(cSp_View*, short, short, short, short) override;
  void BeforeContainerScrollExecute(short, short, short, short) override {}
  void AfterContainerScrollExecute(short, short, short, short) override;
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaInProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

  // ---- Client procedures, set by the client ----
  tSpOrgB_ButtonProcPtr clickProc = nullptr;
  tSpOrgB_ButtonProcPtr dblClickProc = nullptr;
  tSpOrgB_ButtonProcPtr downCheckProc = nullptr;
  tSpOrgB_ButtonProcPtr noActionProc = nullptr;
  tSpOrgB_ButtonProcPtr pressedProc = nullptr;
  tSpOrgB_ButtonProcPtr releasedProc = nullptr;
  tSpOrgB_ButtonProcPtr stopperDownProc = nullptr;
  tSpOrgB_ButtonProcPtr actionProc = nullptr;
  tSpOrgB_ButtonProcPtr repeatProc = nullptr;
  unsigned long clickRefCon = 0;
  unsigned long dblClickRefCon = 0;
  unsigned long downCheckRefCon = 0;
  unsigned long noActionRefCon = 0;
  unsigned long pressedRefCon = 0;
  unsigned long releasedRefCon = 0;
  unsigned long stopperDownRefCon = 0;
  unsigned long actionRefCon = 0;
  unsigned long repeatRefCon = 0;
  UInt32 repeatInterval = 20;

 private:
  friend class cSp_OriginalButtonControlRadioGroup;

  // The view's own rectangle: (0, 0) to its size.
  Rect ViewRect() const;
  // Marks the whole button; with redraw the window's waiting views are drawn at once.
  void Mark(unsigned char redraw);
  // Stores a changed value and marks; true when it changed.
  template <class T>
  bool Change(T& field, const T& value, unsigned char redraw);
  bool ChangeColour(RGBColor& field, const RGBColor& colour, unsigned char redraw);
  // Draws what the window shows of the button at once.
  void RedrawVisible();
  unsigned char Call(tSpOrgB_ButtonProcPtr proc, unsigned long refCon, Point point);
  // Into and out of the group's list of buttons that are down (nothing without a group).
  void EnterDownList();
  void LeaveDownList();
  cIconDataBlock* Set(tButtonStatusType status) const {
    return status == kOrgB_UpStatus ? upSet_ : downSet_;
  }
  // Fetches a picture; null (with the loan given back) when it cannot be found.
  static cSp_PictureItem* FetchPicture(short pictId, SInt32& userRef);
  // The picture of that id takes the place of `picture` (whose loan is given back); false,
  // and nothing changed, when it cannot be found.
  bool ReplacePicture(short pictId, short& id, cSp_PictureItem*& picture, SInt32& userRef);
  void SetFaceColour(RGBColor& face, RGBColor& shadow, const RGBColor& colour,
                     unsigned char redraw, unsigned char derive);
  void ExecDrawingProc(tSpOrgB_DrawingProcPtr proc, unsigned long refCon, unsigned char pressed);
  void DrawTitle(const Rect& area, const RGBColor& colour, const RGBColor& shadow) const;
  void DrawPicture(cSp_PictureItem* picture, const Rect& area) const;
  void DrawFrameAndFace(const Rect& view) const;
  unsigned char DrawPictureButton(const Rect& view) const;

  tButtonType buttonType_ = kOrgB_PushButton;
  tButtonDrawingType drawingType_ = kOrgB_StatusIconDrawing;
  unsigned char pressed_ = 0;
  unsigned char stopperDown_ = 0;
  SInt32 upIndex_ = 0;
  SInt32 downIndex_ = 0;
  SInt32 upCount_ = 0;
  SInt32 downCount_ = 0;
  unsigned char hilite_ = 0;
  short downOffsetH_ = 0;
  short downOffsetV_ = 0;
  float downDarkRate_ = 0.5f;
  unsigned char mini_ = 0;
  RGBColor frameColour_{};
  RGBColor upFaceColour_{};
  RGBColor upTitleColour_{};
  RGBColor upShadowColour_{};
  RGBColor downFaceColour_{};
  RGBColor downTitleColour_{};
  RGBColor downShadowColour_{};
  float hiliteRate_ = 0.7f;
  RGBColor hiliteTitleColour_{};
  RGBColor hiliteShadowColour_{};
  std::string title_;
  short textSize_ = 0;
  unsigned char shadow_ = 1;
  short shadowH_ = 1;
  short shadowV_ = 1;
  float titleDarkRate_ = 0.5f;
  tButtonIconType iconKind_ = kOrgB_IconFamilyIcon;
  short iconId_ = 0;
  short downPictId_ = 0;
  short hilitePictId_ = 0;
  Rect titleArea_{0, 0, 0, 0};
  Rect iconArea_{0, 0, 0, 0};
  short iconAlignment_ = 0;
  short iconTransform_ = 0;
  unsigned char cycling_ = 0;
  SInt32 cycleFrame_ = 0;
  cIconDataBlock* upSet_ = nullptr;
  cIconDataBlock* downSet_ = nullptr;
  unsigned char darkenOnUp_ = 0;
  unsigned char darkenOnDown_ = 1;
  float darkenOnUpRate_ = 100.0f;
  float darkenOnDownRate_ = 100.0f;
  RGBColor keyColour_{};
  cSp_PictureItem* upPicture_ = nullptr;
  cSp_PictureItem* downPicture_ = nullptr;
  cSp_PictureItem* hilitePicture_ = nullptr;
  SInt32 upPictureRef_ = 0;
  SInt32 downPictureRef_ = 0;
  SInt32 hilitePictureRef_ = 0;
  tSpOrgB_DrawingProcPtr downDrawingProc_ = nullptr;
  unsigned long downDrawingRefCon_ = 0;
  tSpOrgB_DrawingProcPtr upDrawingProc_ = nullptr;
  unsigned long upDrawingRefCon_ = 0;
  // The group's member list and its list of buttons that are down (newest first).
  cSp_OriginalIconButtonControl* memberBefore_ = nullptr;
  cSp_OriginalIconButtonControl* memberNext_ = nullptr;
  cSp_OriginalIconButtonControl* downBefore_ = nullptr;
  cSp_OriginalIconButtonControl* downNext_ = nullptr;
  cSp_OriginalButtonControlRadioGroup* group_ = nullptr;
  UInt32 lastRepeatTick_ = 0;
};

// A new button drawn by its status colour icons.
cSp_OriginalIconButtonControl* Sp_OrgB_NewOriginalButton(WindowRef window, const Rect& area,
                                                         tButtonType type, cSp_View* container,
                                                         unsigned char drawInContainerOffscreen);
// Deletes the button; null is reported.
void Sp_OrgB_DisposeButton(cSp_OriginalIconButtonControl* button);

class cSp_OriginalButtonControlRadioGroup {
 public:
  cSp_OriginalButtonControlRadioGroup(WindowRef window, tButtonControlGroupType type);
  // The members are let go (they keep their state).
  ~cSp_OriginalButtonControlRadioGroup();
  cSp_OriginalButtonControlRadioGroup(const cSp_OriginalButtonControlRadioGroup&) = delete;
  cSp_OriginalButtonControlRadioGroup& operator=(const cSp_OriginalButtonControlRadioGroup&) =
      delete;

  void StartUpInitialize();

  // Puts the button at the head of the members (taking it from another group); 0 for null.
  unsigned char SetupItem(cSp_OriginalIconButtonControl* button);
  // Takes the button out of the members (and out of the down list).
  void CancelItem(cSp_OriginalIconButtonControl* button);
  // The button went down: it becomes the newest of the down list; the oldest comes up when the
  // list is full.
  void SetupSectionList(cSp_OriginalIconButtonControl* button);
  // The button came up: it leaves the down list; while fewer than the minimum are down,
  // another member goes down.
  void UnlinkSectionList(cSp_OriginalIconButtonControl* button);
  bool IsInSectionList(const cSp_OriginalIconButtonControl* button) const;

  WindowRef GetWindow() const { return window_; }
  tButtonControlGroupType GetGroupType() const { return type_; }
  SInt32 GetNumOfDownButton() const { return numDown_; }
  cSp_OriginalIconButtonControl* GetMemberHead() const { return memberHead_; }
  cSp_OriginalIconButtonControl* GetNewestDown() const { return newestDown_; }
  cSp_OriginalIconButtonControl* GetOldestDown() const { return oldestDown_; }

  SInt32 maximumDown = 1;
  SInt32 minimumDown = 0;

 private:
  // Takes the button out of the down list; false when it was not in it.
  bool Unlink(cSp_OriginalIconButtonControl* button);

  WindowRef window_ = nullptr;
  tButtonControlGroupType type_ = 1;
  SInt32 numDown_ = 0;
  cSp_OriginalIconButtonControl* memberHead_ = nullptr;
  cSp_OriginalIconButtonControl* newestDown_ = nullptr;
  cSp_OriginalIconButtonControl* oldestDown_ = nullptr;
};

class cSp_OriginalMouseTraceIconPanelButtonControl : public cSp_OriginalIconButtonControl {
 public:
  // A button over `area` plotting the icon of `iconKind` in `iconArea` (the button's own
  // coordinates). The frame view takes the area in `container`, drawn in the container's
  // offscreen with frameInContainerOffscreen; the button sits inside it. The hover area over
  // the button shows the cursor `cursorId` (colour with colourCursor) inside `parentArea`.
  cSp_OriginalMouseTraceIconPanelButtonControl(WindowRef window, const Rect& area,
                                               const Rect& iconArea, short value1, short value2,
                                               tButtonType type, tButtonIconType iconKind,
                                               cSp_View* container,
                                               unsigned char frameInContainerOffscreen,
                                               unsigned char colourCursor, short cursorId,
                                               cMouseTraceObject* parentArea);
  // The frame view, the hover area and the icon suite go with the button.
  ~cSp_OriginalMouseTraceIconPanelButtonControl() override;

  void StartUpInitialize();

  void ResizeOriginalMouseTraceIconButtonCnt(short width, short height, unsigned char unused);
  void MoveOriginalMouseTraceIconButtonCnt(short left, short top, unsigned char unused);
  // A change marks the button for redraw.
  void SetupIconPanelIconType(tButtonIconType kind);
  void SetupIconPanelIconId(short iconId);
  // The button owns the suite: a different one before it is disposed of.
  void SetupIconPanelIconSuiteHandle(Handle suite);
  // The hover area follows what the window shows of the button (disabled when nothing).
  void SetupOriginalMouseTraceIconPanelButtonHotSpotArea();

  void CatchDrawFrameDrawingViewCB(Rect* area);
  void CatchDrawingOriginalMouseTraceIconCB(const Rect& area, unsigned char pressed);

  cSp_DrawingView* GetFrameView() const { return frameView_; }
  cMouseTraceObject* GetMouseTraceArea() const { return traceArea_; }
  tButtonIconType GetIconPanelIconType() const { return panelIconKind_; }

  void BeforeContainerScrollExecute(short, short, short, short) override {}
  void AfterContainerScrollExecute(short h, short v, short dh, short dv) override;
  void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop, short dh,
                                 short dv) override;
  void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                   short dWidth, short dHeight) override;

  // ---- The frame, set by the client: which colour rings it while the button is active or
  // pressed, or idle, and how many rings ----
  unsigned char frameState = 0;
  unsigned char framePressed = 0;
  short frameWidth = 2;
  RGBColor activeFrameColour{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor idleFrameColour{0xFFFF, 0xFFFF, 0xFFFF};
  RGBColor pressedFrameColour{0xFFFF, 0xFFFF, 0xFFFF};
  unsigned char activeFrameEnable = 1;
  unsigned char idleFrameEnable = 0;
  unsigned char pressedFrameEnable = 0;
  short pressedIconOffsetV = 1;
  short pressedIconOffsetH = 1;

 private:
  // Marks the frame view and the button in it.
  void MarkFrameView();

  Rect panelIconArea_{0, 0, 0, 0};
  short value1_ = 0;
  short value2_ = 0;
  tButtonIconType panelIconKind_ = kOrgB_ColourIcon;
  Handle iconSuite_ = nullptr;
  short panelIconId_ = 0;
  cSp_DrawingView* frameView_ = nullptr;
  cMouseTraceObject* traceArea_ = nullptr;
};

// The frame view's drawing procedure (refCon: the panel button).
void SpOMTIBC_CatchDrawFrameDrawingViewCB(unsigned long refCon, Rect* area);
// The panel button's up and down drawing procedure.
void Sp_OCntIconPanelButton_CatchDrawingOriginalMouseTraceIconCB(
    cSp_OriginalIconButtonControl* button, const Rect& area, unsigned char pressed,
    unsigned long refCon);
