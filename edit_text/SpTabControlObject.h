// The Tab-key ring between the fields of a window.
//
// Every field that takes part registers one focus stop for its window; the stops of a window
// form an ordered ring, and one process-wide manager keeps a ring per window. A stop reaches
// its field only through a move-in and a move-out procedure with a reference value, or
// through the two virtual operations of a subclass. Tab always moves forward in ring order,
// from the last stop to the first.
//
// Failures beep and leave one error-log record with the source "SpTabControlObject".
#pragma once

#include <new>

#include "MacTypes.h"
#include "MacWindows.h"
#include "SpMacHeapObject.h"

typedef unsigned char (*tTabControlMoveInProcPtr)(unsigned long refCon);
typedef void (*tTabControlMoveOutProcPtr)(unsigned long refCon);

class cTabControlObj {
 public:
  // Registers the stop in the ring of `window` by its rank: negative appends, 0 puts it first,
  // a positive rank goes after the last stop whose rank number is not greater (rank numbers
  // are 0 until SetupTabControlRankNo numbers the ring).
  cTabControlObj(WindowRef window, SInt16 rank);
  virtual ~cTabControlObj();
  cTabControlObj(const cTabControlObj&) = delete;
  cTabControlObj& operator=(const cTabControlObj&) = delete;

  // The field received a Tab: 1 when the focus moved to another stop.
  unsigned char ReportTabCatch();
  // The field took the focus by other means (a click, activation).
  void ReportTabControlIn();

  void SetupTabCntMoveInProcPtr(tTabControlMoveInProcPtr proc, unsigned long refCon);
  void SetupTabCntMoveOutProcPtr(tTabControlMoveOutProcPtr proc, unsigned long refCon);
  unsigned char ExistTabCntMoveInProc() const { return moveIn_ != nullptr ? 1 : 0; }
  unsigned char ExistTabCntMoveOutProc() const { return moveOut_ != nullptr ? 1 : 0; }
  unsigned char ExecTabCntMoveInProc(unsigned char& result);
  unsigned char ExecTabCntMoveOutCallbackProc();

  // Asked when the focus is to move in and no procedure is set: the base refuses.
  virtual unsigned char ExecTabControlMoveInProc() { return 0; }
  // Told when the focus left by a click or activation elsewhere and no procedure is set.
  virtual void ExecTabControlMoveOutProc() {}

  // 0 when the rank number equals `rank`, -1 when it is greater, 1 when it is smaller.
  SInt16 CmpTabControlRankNo(SInt16 rank) const;
  SInt16 GetTabControlRankNo() const { return rank_; }
  void SetupTabControlRankNo(unsigned char following);
  WindowRef TagetWindowPtr() const { return window_; }

  void LinkToTabControlNext(cTabControlObj* chain);
  cTabControlObj* UnlinkTabControlNext();
  cTabControlObj* GetBeforeTabControlObjectPtr() const { return before_; }
  cTabControlObj* GetNextTabControlObjectPtr() const { return next_; }
  cTabControlObj* GetLastTabControlObjectPtr();

  // Ring links for the ring's own bookkeeping.
  void SetTabControlLinks(cTabControlObj* before, cTabControlObj* next) {
    before_ = before;
    next_ = next;
  }

 private:
  WindowRef window_ = nullptr;
  SInt16 rank_ = 0;
  tTabControlMoveInProcPtr moveIn_ = nullptr;
  unsigned long moveInRefCon_ = 0;
  tTabControlMoveOutProcPtr moveOut_ = nullptr;
  unsigned long moveOutRefCon_ = 0;
  cTabControlObj* before_ = nullptr;
  cTabControlObj* next_ = nullptr;
};

class cTabControlWindowGroup : public cSpMacHeapObject {
 public:
  explicit cTabControlWindowGroup(WindowRef window) : window_(window) {}

  unsigned char EqualWindowPtr(WindowRef window) const { return window == window_ ? 1 : 0; }
  void InstallTabControlItem(cTabControlObj* stop, SInt16 rank);
  void UnInstallTabControlItem(cTabControlObj* stop);
  unsigned char ReportTabControlMoveOut(cTabControlObj* stop);
  void ReportTabControlMoveIn(cTabControlObj* stop);

  cTabControlObj* GetFirstStop() const { return first_; }
  cTabControlObj* GetLastStop() const { return last_; }
  cTabControlObj* GetCurrentStop() const { return current_; }

  void LinkToNext(cTabControlWindowGroup* group);
  cTabControlWindowGroup* UnlinkNext();
  cTabControlWindowGroup* GetBeforeObjectPtr() const { return before_; }
  cTabControlWindowGroup* GetNextObjectPtr() const { return next_; }
  cTabControlWindowGroup* GetLastObjectPtr();

 private:
  WindowRef window_;
  cTabControlObj* first_ = nullptr;
  cTabControlObj* last_ = nullptr;
  cTabControlObj* current_ = nullptr;
  cTabControlWindowGroup* before_ = nullptr;
  cTabControlWindowGroup* next_ = nullptr;
};

class cTabControlManager : public cSpMacHeapObject {
 public:
  void InstallTabControlItem(WindowRef window, cTabControlObj* stop, SInt16 rank);
  void UnInstallTabControlItem(WindowRef window, cTabControlObj* stop);
  unsigned char ReportTabControlMoveOut(cTabControlObj* stop);
  void ReportTabControlMoveIn(cTabControlObj* stop);
  cTabControlWindowGroup* FindGroup(WindowRef window) const;

 private:
  cTabControlWindowGroup* first_ = nullptr;
  cTabControlWindowGroup* last_ = nullptr;
};

extern cTabControlManager* tabControlMgrPtr_GlV;

// The manager, made on first use when `create` is set; null when none exists and `create` is 0.
cTabControlManager* SpTabCO_GetManagerPtr(unsigned char create);
