// Mouse tracing: hover areas of windows whose enter, leave and inside procedures run as the
// mouse moves, and the cursor each area shows while the pointer is inside.
//
// A trace pass finds the area under the pointer, runs the leave step of the area the pointer
// was in before and the enter step of the new one (or the inside step when it is the same),
// and remembers the area as the current item. Passes run on the mouse-moved event over a
// framework window's content, when an area's rectangle changes, when tracing is switched on
// again, when a cursor animation ends and in the idle pass of the classic main loop. Owners
// switch tracing off around their own modal work.
#pragma once

#include <cstddef>
#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpMacHeapObject.h"
#include "SpMouseTraceObject.h"
#include "SpMouseTraceWindowObj.h"

// The one manager: a window object for every window that has areas, in order of creation.
// It owns the window objects, never the areas.
class cMouseTraceManager : public cSpMacHeapObject {
 public:
  cMouseTraceManager() = default;
  ~cMouseTraceManager();
  cMouseTraceManager(const cMouseTraceManager&) = delete;
  cMouseTraceManager& operator=(const cMouseTraceManager&) = delete;

  void StartUpInitialize();

  cMouseTraceWindowObj* GetMouseTraceWindowObj(WindowRef window);
  cMouseTraceWindowObj* GetMouseTraceWindowObjListHead() const { return head_; }

  // Registration: the area joins its window's item list, or the top of its window's top list;
  // the window object is made when the window has none.
  void InsertItemInItemList(cMouseTraceObject* item);
  void InsertItemInContainerItemListTopPosit(cMouseTraceObject* item);
  // Unregisters the area; the window object goes when its last area has gone.
  void UnlinkItem(cMouseTraceObject* item);
  void UnlinkWindowObj(cMouseTraceWindowObj* windowObj);

  // One trace pass; force resets the cursor to the arrow even when no area was current.
  void ExecuteMouseTrace(unsigned char force);

 private:
  // The window object of the area's window, made when there is none; null (reported under
  // `method`) for a null area or when memory runs out.
  cMouseTraceWindowObj* FindOrMakeWindowObj(cMouseTraceObject* item, const char* method);

  cMouseTraceWindowObj* head_ = nullptr;
  cMouseTraceWindowObj* tail_ = nullptr;
};

// The manager, made at the first call; null only when it cannot be allocated.
cMouseTraceManager* SpGetMouseTraceManager();
void Sp_MTM_SetItemInItemList(cMouseTraceObject* item);
void Sp_MTM_SetItemInContainerListHighPosit(cMouseTraceObject* item);

// The stop flag: while it is set no trace pass does anything.
void Sp_DisableMouseTrace();
// Clears the stop flag; with runNow a forced pass runs at once. Then the current item is
// forgotten (without its leave step) so that the next pass enters the hovered area afresh.
void Sp_EnableMouseTrace(unsigned char runNow);
// True while tracing is switched off.
Boolean Sp_IsMouseTraceDisabled();

void SpExecuteMouseTrace(unsigned char force);
// The pass of the mouse-moved event and of the idle pass.
void SpMouseTraceEventProcedure();
// Suspend and quit forget the current item.
void SpMouseTraceSuspendEventProc();
void SpMouseTraceQuitProc();

// The area in which the last pass found the pointer, or null.
cMouseTraceObject* SpGetBeforeInPlaceMouseTraceItem();
void SpSetBeforeInPlaceMouseTraceItem(cMouseTraceObject* item);
