// The framework's event-loop unit.
//
// Start-up: Sp_ToolboxInitialize prepares the toolbox once, before anything else of the
// framework runs, and records where the application lives. The small services that the rest
// of the program asks of that state live here too: the stocked graphics port, the application
// folder and its full path, the data folder inside it, the application's resource folder, and
// the virtual-memory and Appearance flags.
//
// The loop's flags (whether the loop goes on, whether the classic loop runs its ending
// procedures) are kept here as well; the application object ends the loop through
// SpEndOfMainLoop.
//
// The second half of the header is the event switch, the classic loop, the key-down stack and
// the first-call procedures (SpMainEventLoopSwitch.cpp).
#pragma once

#include "Events.h"
#include "MacTypes.h"
#include "QuickDraw.h"

// =============================================================================================
// Start-up and the application's folders (SpMainEventLoop.cpp)
// =============================================================================================

// The name of the data folder, directly inside the application folder.
extern const char kSpApplicationDataFolderName[];  // "Application Data Folder"

// ---- Globals (set by start-up, never freed) -------------------------------------------------
// The port that was current when start-up began.
extern GrafPtr globalPort_GlV;
// The folder that holds the application: its volume and directory id.
extern SInt16 applicationFolderVRefNum_GlV;
extern SInt32 applicationFolderDirId_GlV;
// Its full path (names joined by ':'), zero-terminated, in a cleared block of
// kSpAppliFolderFullPathBlockSize bytes; null before a successful start-up.
extern char* applicationFolderFullPath_GlV;
enum { kSpAppliFolderFullPathBlockSize = 1024 };
// 1 when Gestalt reports virtual memory on (0 at launch).
extern unsigned char vertualMemoryEnableFlag_GlV;
// 1 when the Appearance Manager is there (0 at launch).
extern unsigned char appearanceEnableFlag_GlV;

// ---- Start-up -------------------------------------------------------------------------------
// Prepares the toolbox: memory and cursor, the stocked port, the application folder and its
// full path, the Gestalt probes (virtual memory, Apple events, Appearance), the Apple-event
// handlers (when Apple events are there), the views' resource manager, drag and drop and the
// menu manager's command handler. 1 on success; 0 when the application folder cannot be found,
// the path block cannot be allocated or Gestalt knows nothing of Apple events. On 0 nothing
// after the failing step has been started and the program is to end.
unsigned char Sp_ToolboxInitialize();

// Remembers the current port; makes the remembered port current again.
void Sp_StockGlobalPort();
void Sp_SetGlobalPort();

// The recorded volume and directory of the application folder.
void Sp_GetAppliFolderInfo(short& vRefNum, SInt32& dirId);
// Length in bytes of the recorded full path (0 before a successful start-up).
UInt32 Sp_GetAppliFolderFullPathNameLength();
// Copies the full path into the caller's buffer of bufferSize bytes, always zero-terminated:
// a path longer than bufferSize - 1 bytes is cut there and truncated is set to 1, otherwise
// truncated is 0. A null buffer or a size of 0 or less does nothing (truncated untouched).
void Sp_CopyAppliFolderFullPathName(char* buffer, SInt32 bufferSize, unsigned char& truncated);

// The data folder "Application Data Folder" inside the application folder, created when it is
// missing. noErr with its volume and directory id; otherwise the error of the creation or the
// look-up (the application folder may be read-only: the creation then fails and its error is
// returned, the outputs untouched).
OSErr Sp_GetApplicationDataFolderInfo(short& vRefNum, SInt32& dirId);
// The application's resource folder: the main bundle's resources folder, where the program's
// resource files and texts lie. Nothing is created. noErr with its volume and directory id;
// otherwise the look-up's error (fnfErr when the folder does not exist), the outputs untouched.
OSErr Sp_GetApplicationResourceFolderInfo(short& vRefNum, SInt32& dirId);

// Asks Gestalt whether virtual memory is on ('vm  ', bit 0) and sets the flag when it is; an
// answer of "off" or a failing Gestalt leaves the flag as it was.
void Sp_GestultVertualMemoryEnable();
// 1 when virtual memory is ON (the name notwithstanding: the CD engine reads it so).
unsigned char Sp_IsDisableVertualMemory();
// 1 when the Appearance Manager is there.
unsigned char SpGetAppealanceEnableFlag();

// ---- The loop's flags -----------------------------------------------------------------------
// 1 at launch; 0 once the loop is to end (SpEndOfMainLoop). The classic loop sets it to 1 when
// it starts and runs while it is set.
extern unsigned char mainLoopFlag_GlV;
// 1 at launch; whether the classic loop runs its ending procedures when it ends.
extern unsigned char executeMainEventTerminateProcedureFlag_GlV;

// Ends the loop: clears mainLoopFlag_GlV and, in Carbon-event mode, makes
// RunApplicationEventLoop return (QuitApplicationEventLoop). Defined with the application
// object (SpApplicationClass.cpp).
void SpEndOfMainLoop();
// mainLoopFlag_GlV.
unsigned char SpGetMainLoopFlag();
// Sets executeMainEventTerminateProcedureFlag_GlV.
void SpSetupExecuteMainEventLoopTerminateProcedureFlag(unsigned char flag);

// =============================================================================================
// Event switch, classic loop, key-down stack and first-call procedures
// (SpMainEventLoopSwitch.cpp)
// =============================================================================================

#include "SpListLinks.h"

// ---- Key routes -----------------------------------------------------------------------------
// Who took a key-down; its key-up goes the same way.
typedef UInt8 tKeyDownProcType;
enum : tKeyDownProcType {
  kSpKeyDownNobody = 0,
  kSpKeyDownMenu = 1,            // a Command-key equivalent (classic path only)
  kSpKeyDownShortCut = 2,        // an application short-cut
  kSpKeyDownEditTextInline = 3,  // the edit-text engine's inline input
  kSpKeyDownFrontWindow = 4,     // the front window
};

// ---- Key-down stack -------------------------------------------------------------------------
// One pressed key and the route its key-down took. The stack is newest first.
class cKeyDownStackItemObj : public cSpListLinks<cKeyDownStackItemObj> {
 public:
  cKeyDownStackItemObj(char keyChar, char keyCode, tKeyDownProcType route)
      : keyChar_(keyChar), keyCode_(keyCode), route_(route) {}
  cKeyDownStackItemObj(const cKeyDownStackItemObj&) = delete;
  cKeyDownStackItemObj& operator=(const cKeyDownStackItemObj&) = delete;

  tKeyDownProcType GetDownProcType() const { return route_; }
  Boolean EqualDownProcType(tKeyDownProcType route) const { return route_ == route; }
  Boolean EqualKeyChar(char keyChar) const { return keyChar_ == keyChar; }
  Boolean EqualKeyCode(char keyCode) const { return keyCode_ == keyCode; }
  char GetKeyChar() const { return keyChar_; }
  char GetKeyCode() const { return keyCode_; }
  // Takes the item out of the stack, joining its neighbours (the caller mends the head).
  void UnlinkFromStack() { UnlinkSelf(); }

 private:
  char keyChar_;
  char keyCode_;
  tKeyDownProcType route_;
};

// The newest item, null when the stack is empty.
extern cKeyDownStackItemObj* keyDownStackItemList_GlV;
// Whether the classic path keeps the stack and takes key-up events (0 at launch). The Carbon
// key handlers always keep it.
extern unsigned char keyUpEventEnableFlag_GlV;

// Pushes a new item on top; with no memory nothing is pushed.
void SpKeyDownStack(char keyChar, char keyCode, tKeyDownProcType route);
// The newest item with that key code, or null.
cKeyDownStackItemObj* SpGetkeyDownStackItemByKeyCode(char keyCode);
// Takes the item off the stack and frees it.
void SpDeleteKeyDownStackItem(cKeyDownStackItemObj* item);
void SpKeyUpEventEnable();
// Clears the flag and empties the stack.
void SpKeyUpEventDisable();

// ---- First-call procedures ------------------------------------------------------------------
// They see mouse and command events before anything else; non-zero means "taken": no later
// procedure and nothing of the framework sees the event.
typedef unsigned char (*tFirstCallIdleEventCBProcPtr)(EventRecord* event, unsigned long userData);

class cFirstCallIdleEventCBItem : public cSpListLinks<cFirstCallIdleEventCBItem> {
 public:
  cFirstCallIdleEventCBItem(SInt32 refNum, tFirstCallIdleEventCBProcPtr proc,
                            unsigned long userData)
      : refNum_(refNum), proc_(proc), userData_(userData) {}
  cFirstCallIdleEventCBItem(const cFirstCallIdleEventCBItem&) = delete;
  cFirstCallIdleEventCBItem& operator=(const cFirstCallIdleEventCBItem&) = delete;

  SInt32 GetRefNum() const { return refNum_; }
  unsigned char ExecuteProc(EventRecord* event);
  void UnlinkFromList() { UnlinkSelf(); }

 private:
  SInt32 refNum_;
  tFirstCallIdleEventCBProcPtr proc_;
  unsigned long userData_;  // pointer-sized
};

// The procedures in registration order.
class cFirstCallIdleEventCBMgr {
 public:
  cFirstCallIdleEventCBMgr() = default;
  ~cFirstCallIdleEventCBMgr();
  cFirstCallIdleEventCBMgr(const cFirstCallIdleEventCBMgr&) = delete;
  cFirstCallIdleEventCBMgr& operator=(const cFirstCallIdleEventCBMgr&) = delete;

  // The new procedure's reference number (1 or more); 0 when refused.
  SInt32 SetupNewCBProcPtr(tFirstCallIdleEventCBProcPtr proc, unsigned long userData);
  // 1 when the procedure with that number was removed.
  unsigned char DisposeTargetCBProc(SInt32 refNum);
  // 1 as soon as a procedure takes the event; 0 when none does.
  unsigned char ExecuteCBProc(EventRecord* event);

 private:
  SInt32 lastRefNum_ = 0;
  cFirstCallIdleEventCBItem* firstItem_ = nullptr;
  cFirstCallIdleEventCBItem* lastItem_ = nullptr;
};

// Made on first use and never freed.
extern cFirstCallIdleEventCBMgr* firstCallIdleEventCBMgr_GlV;

// The manager; made when missing and `create` is non-zero, else null.
cFirstCallIdleEventCBMgr* Sp_GetFirstCallProcMgr(unsigned char create);
// 1 when registered (the number is written to refNumOut when given).
unsigned char Sp_SetupFirstCallProcPtr(tFirstCallIdleEventCBProcPtr proc, unsigned long userData,
                                       SInt32* refNumOut);
unsigned char Sp_DeleteFirstCallProcPtr(SInt32 refNum);
unsigned char Sp_ExecFirstCallProc(EventRecord* event);
// Run the procedures on a record made from a Carbon mouse or key event.
unsigned char Sp_ExecFirstCallProcForCarbonMouseEvent(short kind, Point where,
                                                      unsigned long modifiers);
unsigned char Sp_ExecFirstCallProcForCarbonKeyEvent(short kind, short charCode, short keyCode,
                                                    unsigned long modifiers);

// ---- Cursor region --------------------------------------------------------------------------
// The region handed to WaitNextEvent, and the one the classic loop made for it.
extern RgnHandle cursorRgnH_GlV;
extern RgnHandle backupOriginalCursorRgnH_GlV;
// Makes the region current, freeing the current one unless it is the loop's own.
void Sp_SetMouseRgn(RgnHandle region);
// Makes the loop's own region current again, freeing the current one unless it is it.
void Sp_ResetMouseRgn();

// ---- The switch -----------------------------------------------------------------------------
// Sends one event record to the framework's mouse, key, update, suspend/resume and Apple-event
// handling.
void Sp_EventSwitch(EventRecord* event);

// The mask that modal filters pass to Sp_EventProcInterface.
enum : short { kSpModalFilterEventMask = 6 };
// What a modal filter hands on to the framework: an update of another window, key-down,
// key-up, auto-key, suspend/resume and Apple events are dispatched (with any non-zero mask);
// mouse and activate events stay with the filter's dialog, and everything else, or a null
// record, runs the idle work instead.
void Sp_EventProcInterface(EventRecord* event, short mask);
// The idle work alone (without the animated cursor).
void Sp_EventProcInterface();

// One look at the update, disk, activate, high-level and OS events for a tracking loop: a
// received one is dispatched, else the idle work runs. Writes the modifiers (also when no
// event came) when modifiersOut is given. Answers whether the button is still down.
unsigned char Sp_StillDown(short* modifiersOut);

// A key through the chain: application short-cut (2), edit-text object (3), front window (4);
// 0 when nobody took it.
tKeyDownProcType Sp_KeyEventProc(char charCode, char keyCode, short modifiers,
                                 unsigned char autoKey);
void Sp_MouseDownProc(EventRecord* event, short modifiers);
void Sp_MouseUpProc(EventRecord* event, short modifiers);

// The classic main loop: runs until SpEndOfMainLoop; then, when the ending procedures are
// enabled, removes the Apple-event handlers, runs the dispose registry and lets a second pass
// of events go by. The application runs the Carbon loop instead.
void Sp_MainEventLoop();

// =============================================================================================
// End of the event switch section
// =============================================================================================
