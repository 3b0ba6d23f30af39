#include "SpServiceHooks.h"

namespace {

// ---- A program without views ----------------------------------------------------------------

void NoRedrawViewWindow(WindowRef window, unsigned char) {
  // Whatever was drawn into the window since the last flush reaches the screen, views or not.
  if (window != nullptr) QDFlushPortBuffer(GetWindowPort(window), nullptr);
}
void NoWindowView(WindowRef) {}
void NoUpdateRegion(EventRecord*) {}
void NoViewWork() {}
unsigned char NoHotSpotTakesPress(WindowRef, Point, short) {
  return 0;
}
void NoHotSpotRelease(WindowRef, Point, short) {}
void NoScreenSize(Rect*) {}
void NoWindowSize(WindowRef, Rect&) {}
void NoRedrawArea(WindowRef, const Rect*) {}
void NoRegionChange(WindowRef, RgnHandle) {}
void NoDialogItemChange(DialogRef, short, short, short) {}
void NoResourceManager() {}
Boolean NoColourCursor(SInt16, CCrsrHandle* outHandle, SInt32* outRef) {
  if (outHandle != nullptr) *outHandle = nullptr;
  if (outRef != nullptr) *outRef = 0;
  return 0;
}
Boolean NoCursor(SInt16, CursHandle* outHandle, SInt32* outRef) {
  if (outHandle != nullptr) *outHandle = nullptr;
  if (outRef != nullptr) *outRef = 0;
  return 0;
}
void NoCursorRelease(SInt16, SInt32) {}
Boolean NoFonts(tSpFontNameProcPtr, unsigned long) {
  return 0;
}
unsigned char NoDialogItemInfo(cDialogAnalyzor*, short, short*, Rect*) {
  return 0;
}

const sSpViewServices kNoViews = {
    NoRedrawViewWindow, NoWindowView,      NoUpdateRegion,     NoWindowView,
    NoViewWork,         NoViewWork,        NoHotSpotTakesPress, NoHotSpotRelease,
    NoViewWork,         NoScreenSize,       NoWindowSize,
    NoRedrawArea,       NoRegionChange,    NoRegionChange,     NoDialogItemChange,
    NoDialogItemChange, NoResourceManager, NoColourCursor,     NoCursor,
    NoCursorRelease,    NoCursorRelease,   NoFonts,            NoDialogItemInfo};

// ---- Without wrapped controls, drag and drop, or the edit-text engine ----------------------

unsigned char NoControlTakesPress(WindowRef, Point) {
  return 0;
}
const sSpControlServices kNoControls = {NoControlTakesPress};

void NoDragAndDrop() {}
const sSpDragServices kNoDrag = {NoDragAndDrop};

void NoEditWork() {}
unsigned char NoKeyTaken(char, short) {
  return 0;
}
unsigned char NoTextTaken(const char*) {
  return 0;
}
unsigned char NoAnswer() {
  return 0;
}
unsigned char NoCursorClaim(Point) {
  return 0;
}
void NoInlineClick(WindowRef, Point) {}
const sSpEditTextServices kNoEditText = {NoEditWork, NoKeyTaken,    NoTextTaken,   NoAnswer,
                                         NoEditWork, NoAnswer,      NoCursorClaim, NoInlineClick,
                                         NoEditWork, NoEditWork};

sSpViewServices gViews = kNoViews;
sSpControlServices gControls = kNoControls;
sSpDragServices gDrag = kNoDrag;
sSpEditTextServices gEditText = kNoEditText;

// A member the installer left null keeps the answer of "without".
template <typename Proc>
void Take(Proc& to, Proc from) {
  if (from != nullptr) to = from;
}

}  // namespace

void Sp_SetupViewServices(const sSpViewServices* services) {
  gViews = kNoViews;
  if (services == nullptr) return;
  const sSpViewServices& s = *services;
  Take(gViews.Sp_RedrawViewWindow, s.Sp_RedrawViewWindow);
  Take(gViews.Sp_RedrawViewForUpdateEvent, s.Sp_RedrawViewForUpdateEvent);
  Take(gViews.Sp_WindowRedrawSetupFromUpdateRgn, s.Sp_WindowRedrawSetupFromUpdateRgn);
  Take(gViews.Sp_DisposeTargetWindowView, s.Sp_DisposeTargetWindowView);
  Take(gViews.Sp_InterruptDrawView, s.Sp_InterruptDrawView);
  Take(gViews.Sp_ViewManagerMouseMoveEventProcedure, s.Sp_ViewManagerMouseMoveEventProcedure);
  Take(gViews.Sp_MouseDownHotSpot, s.Sp_MouseDownHotSpot);
  Take(gViews.Sp_MouseUpHotSpot, s.Sp_MouseUpHotSpot);
  Take(gViews.Sp_MouseDownMouseTrace, s.Sp_MouseDownMouseTrace);
  Take(gViews.Sp_GetScreenSize, s.Sp_GetScreenSize);
  Take(gViews.Sp_GetWindowSize, s.Sp_GetWindowSize);
  Take(gViews.Sp_AddRedrawAreaInWindow, s.Sp_AddRedrawAreaInWindow);
  Take(gViews.Sp_GlobalToLocalRgn, s.Sp_GlobalToLocalRgn);
  Take(gViews.Sp_LocalToGlobalRgn, s.Sp_LocalToGlobalRgn);
  Take(gViews.Sp_MoveControlOnDialog, s.Sp_MoveControlOnDialog);
  Take(gViews.Sp_ResizeControlOnDialog, s.Sp_ResizeControlOnDialog);
  Take(gViews.Sp_InitializeResourceManager, s.Sp_InitializeResourceManager);
  Take(gViews.Sp_ResM_GetCCursorHandle, s.Sp_ResM_GetCCursorHandle);
  Take(gViews.Sp_ResM_GetCursorHandle, s.Sp_ResM_GetCursorHandle);
  Take(gViews.Sp_ResM_ReleaseCCursor, s.Sp_ResM_ReleaseCCursor);
  Take(gViews.Sp_ResM_ReleaseCursor, s.Sp_ResM_ReleaseCursor);
  Take(gViews.EachInstalledFontName, s.EachInstalledFontName);
  Take(gViews.GetDialogItemInfo, s.GetDialogItemInfo);
}

void Sp_SetupControlServices(const sSpControlServices* services) {
  gControls = kNoControls;
  if (services != nullptr) {
    Take(gControls.Sp_OCnt_BasicWinControlMouseDown, services->Sp_OCnt_BasicWinControlMouseDown);
  }
}

void Sp_SetupDragServices(const sSpDragServices* services) {
  gDrag = kNoDrag;
  if (services != nullptr) {
    Take(gDrag.SpDDO_InitializeDragAndDrop, services->SpDDO_InitializeDragAndDrop);
  }
}

void Sp_SetupEditTextServices(const sSpEditTextServices* services) {
  gEditText = kNoEditText;
  if (services == nullptr) return;
  const sSpEditTextServices& s = *services;
  Take(gEditText.SpETO_EventIdleProcedure, s.SpETO_EventIdleProcedure);
  Take(gEditText.SpETO_EventKeyInProcedure, s.SpETO_EventKeyInProcedure);
  Take(gEditText.SpETO_EventKeyStringInProcedure, s.SpETO_EventKeyStringInProcedure);
  Take(gEditText.SpETO_ExistTextObjectAtEextInputInProgress,
       s.SpETO_ExistTextObjectAtEextInputInProgress);
  Take(gEditText.SpETO_ResumeEditManager, s.SpETO_ResumeEditManager);
  Take(gEditText.SpETO_SuspendEditManager, s.SpETO_SuspendEditManager);
  Take(gEditText.SpTS_EnableCursorChange, s.SpTS_EnableCursorChange);
  Take(gEditText.SpTS_MouseDownProcedure, s.SpTS_MouseDownProcedure);
  Take(gEditText.SpTS_ResumeProcedure, s.SpTS_ResumeProcedure);
  Take(gEditText.SpTS_SuspendProcedure, s.SpTS_SuspendProcedure);
}

const sSpViewServices& Sp_ViewServices() {
  return gViews;
}
const sSpControlServices& Sp_ControlServices() {
  return gControls;
}
const sSpDragServices& Sp_DragServices() {
  return gDrag;
}
const sSpEditTextServices& Sp_EditTextServices() {
  return gEditText;
}
