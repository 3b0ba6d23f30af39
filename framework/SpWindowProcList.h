// A window's procedure lists: how other code hears of a window's life.
//
// Every cSp_Window carries nine lists. Three are before lists whose procedures may refuse the
// operation (opening, closing, growing); the other six are after lists that are only told
// (after opening, after closing, moved to the front, moved to the back, after growing, after
// moving). The window operations run the lists; this file keeps the lists, their records,
// registration, removal and the run rules.
//
// Registration hands back a reference number, the key for removal. Numbers count per list from
// 1 and are never reused: removing an entry does not lower the list's counter. The same
// procedure may be registered several times; each registration is an entry of its own.
//
// Runs visit the entries in registration order and give every procedure the window, the
// modifier keys held at the start of the run (event modifier bits: command 0x100, shift 0x200,
// caps lock 0x400, option 0x800, control 0x1000) and its user data. A before run stops at the
// first procedure that answers 0 and answers 0 itself; an empty list, or one whose procedures
// all allowed, answers 1. The next entry is looked up after a procedure returns, so an entry
// appended during a run is reached in the same run. A procedure must not remove its own entry
// (or delete its window) while its list runs.
//
// The lists are members of cSp_Window (SpWindow.h declares them: head, tail and counter of
// each list, and the Setup.../UnSetup.../Exec... operations); their operations are defined
// with the records in SpWindowProcList.cpp. The window's destructor empties the lists with
// WipeOutBeforeExecuteList and WipeOutAfterExecuteList; nothing else clears them, closing a
// window keeps them.
#pragma once

#include "MacTypes.h"
#include "SpProcEntry.h"

class cSp_Window;

// A before procedure: (window, modifiers, user data); 0 refuses the operation.
typedef unsigned char (*tSpWinBeforeProcPtr)(cSp_Window* window, short modifiers,
                                             unsigned long userData);
// An after procedure: (window, modifiers, user data).
typedef void (*tSpWinAfterProcPtr)(cSp_Window* window, short modifiers, unsigned long userData);

// One entry of a before list.
class cSpWin_BeforeProcData : public cSpProcEntry<cSpWin_BeforeProcData, tSpWinBeforeProcPtr> {
 public:
  cSpWin_BeforeProcData(tSpWinBeforeProcPtr proc, unsigned long userData, SInt32 refNum)
      : cSpProcEntry(refNum, proc, userData) {}

  // The procedure's answer (1 when the entry has none).
  unsigned char ExecuteCallbackProc(cSp_Window* window, short modifiers);
};

// One entry of an after list.
class cSpWin_AfterProcData : public cSpProcEntry<cSpWin_AfterProcData, tSpWinAfterProcPtr> {
 public:
  cSpWin_AfterProcData(tSpWinAfterProcPtr proc, unsigned long userData, SInt32 refNum)
      : cSpProcEntry(refNum, proc, userData) {}

  // Calls the procedure; always 0 (after procedures have no say).
  unsigned char ExecuteCallbackProc(cSp_Window* window, short modifiers);
};
