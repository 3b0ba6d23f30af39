// What the framework calls in the libraries above it while the program runs.
//
// The framework's loop, windows, menus and dialogs reach the views (redrawing, window and
// screen geometry, the resource manager's cursors, the font list, dialog snapshots), the
// wrapped Control Manager controls, drag and drop, and the edit-text engine with its text
// services. Those libraries stand on the framework, so it cannot include them: each fills in
// its table of services and installs it when the program starts, before Sp_ToolboxInitialize.
// Members keep the names of the functions they stand for, so a call reads
// `Sp_ViewServices().Sp_GetWindowSize(window, rect)`.
//
// Until a table is installed (and for every member an installer leaves null) the calls answer
// as a program without that library: no views and no hot spots, rectangles and regions left as
// they are, no cursors from resources, no fonts, no wrapped controls, no drag and drop, and no
// edit-text object to take keys or text.
#pragma once

#include "Dialogs.h"
#include "Events.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"

class cDialogAnalyzor;

// Called once for each installed font, with its zero-terminated name.
typedef void (*tSpFontNameProcPtr)(const char* name, unsigned long refCon);

struct sSpViewServices {
  // Redrawing and the views' share of the event loop.
  void (*Sp_RedrawViewWindow)(WindowRef window, unsigned char flag);
  void (*Sp_RedrawViewForUpdateEvent)(WindowRef window);
  void (*Sp_WindowRedrawSetupFromUpdateRgn)(EventRecord* event);
  void (*Sp_DisposeTargetWindowView)(WindowRef window);
  void (*Sp_InterruptDrawView)();
  void (*Sp_ViewManagerMouseMoveEventProcedure)();
  // The hot-spot areas of a window's views: a press offered top layer first (non-zero when an
  // area took it), its release, and the tracking of the held press.
  unsigned char (*Sp_MouseDownHotSpot)(WindowRef window, Point localPoint, short modifiers);
  void (*Sp_MouseUpHotSpot)(WindowRef window, Point localPoint, short modifiers);
  void (*Sp_MouseDownMouseTrace)();
  // Window, screen and dialog-item geometry.
  void (*Sp_GetScreenSize)(Rect* screenRect);
  void (*Sp_GetWindowSize)(WindowRef window, Rect& out);
  void (*Sp_AddRedrawAreaInWindow)(WindowRef window, const Rect* rect);
  void (*Sp_GlobalToLocalRgn)(WindowRef window, RgnHandle rgn);
  void (*Sp_LocalToGlobalRgn)(WindowRef window, RgnHandle rgn);
  void (*Sp_MoveControlOnDialog)(DialogRef dialog, short itemNo, short left, short top);
  void (*Sp_ResizeControlOnDialog)(DialogRef dialog, short itemNo, short width, short height);
  // The resource manager: made at start-up; cursors lent by id with a user reference.
  void (*Sp_InitializeResourceManager)();
  Boolean (*Sp_ResM_GetCCursorHandle)(SInt16 resourceId, CCrsrHandle* outHandle, SInt32* outRef);
  Boolean (*Sp_ResM_GetCursorHandle)(SInt16 resourceId, CursHandle* outHandle, SInt32* outRef);
  void (*Sp_ResM_ReleaseCCursor)(SInt16 resourceId, SInt32 userRef);
  void (*Sp_ResM_ReleaseCursor)(SInt16 resourceId, SInt32 userRef);
  // Calls `proc` for every installed font (the font manager is made when missing); 0 when no
  // font manager can be made.
  Boolean (*EachInstalledFontName)(tSpFontNameProcPtr proc, unsigned long refCon);
  // cDialogAnalyzor::GetItemInfoByItemNo of the snapshot.
  unsigned char (*GetDialogItemInfo)(cDialogAnalyzor* analyzor, short itemNo, short* itemType,
                                     Rect* rect);
};

struct sSpControlServices {
  // Offers a press in the window's content to its wrapped controls; 1 when one took it.
  unsigned char (*Sp_OCnt_BasicWinControlMouseDown)(WindowRef window, Point localPoint);
};

struct sSpDragServices {
  void (*SpDDO_InitializeDragAndDrop)();
};

struct sSpEditTextServices {
  void (*SpETO_EventIdleProcedure)();
  unsigned char (*SpETO_EventKeyInProcedure)(char key, short modifiers);
  unsigned char (*SpETO_EventKeyStringInProcedure)(const char* text);
  unsigned char (*SpETO_ExistTextObjectAtEextInputInProgress)();
  void (*SpETO_ResumeEditManager)();
  unsigned char (*SpETO_SuspendEditManager)();
  unsigned char (*SpTS_EnableCursorChange)(Point globalPoint);
  void (*SpTS_MouseDownProcedure)(WindowRef window, Point globalPoint);
  void (*SpTS_ResumeProcedure)();
  void (*SpTS_SuspendProcedure)();
};

// Each installer copies the table; a null table puts back the answers of a program without
// that library.
void Sp_SetupViewServices(const sSpViewServices* services);
void Sp_SetupControlServices(const sSpControlServices* services);
void Sp_SetupDragServices(const sSpDragServices* services);
void Sp_SetupEditTextServices(const sSpEditTextServices* services);

// The tables in force; every member is callable.
const sSpViewServices& Sp_ViewServices();
const sSpControlServices& Sp_ControlServices();
const sSpDragServices& Sp_DragServices();
const sSpEditTextServices& Sp_EditTextServices();
