// Procedure registries: idle, resume, suspend and dispose procedures that modules hook into
// the framework's life. Each registry runs its enabled entries in ascending order number,
// equal numbers in the order of registration.
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"

enum tEventProcPosition : UInt8 {
  kSpEventProcIdle = 1,
  kSpEventProcResume = 2,
  kSpEventProcSuspend = 3,
  kSpEventProcDispose = 4,
};

typedef void (*SpEventInsertProcPtr)(unsigned long userData);

// One registered procedure. Constructing an entry links it into its position's list and gives
// it a reference number; destroying it unlinks it.
class cEventInsertProcObj : public cSpListLinks<cEventInsertProcObj> {
 public:
  cEventInsertProcObj(tEventProcPosition position, SInt32 order, SpEventInsertProcPtr proc,
                      unsigned long userData);
  ~cEventInsertProcObj();
  cEventInsertProcObj(const cEventInsertProcObj&) = delete;
  cEventInsertProcObj& operator=(const cEventInsertProcObj&) = delete;

  void ExecuteProcedure();
  void EnableProcedure() { enableFlag_ = 1; }
  void DisableProcedure() { enableFlag_ = 0; }
  unsigned char IsEnableProcedure() const { return enableFlag_; }

  tEventProcPosition GetPosition() const { return position_; }
  SInt32 GetOrderNumber() const { return order_; }
  UInt32 GetRefNum() const { return refNum_; }

 private:
  UInt8 enableFlag_ = 1;
  tEventProcPosition position_;
  SInt32 order_ = 0;
  SpEventInsertProcPtr proc_ = nullptr;
  unsigned long userData_ = 0;  // pointer-sized: callers pass object pointers
  UInt32 refNum_ = 0;
};

// List heads, null when empty.
extern cEventInsertProcObj* eventIdleTimeProcDef_GlV;
extern cEventInsertProcObj* resumeEventProcDef_GlV;
extern cEventInsertProcObj* suspendEventProcDef_GlV;
extern cEventInsertProcObj* quitAppProcDef_GlV;
// The reference-number counter shared by the four registries.
extern UInt32 eventProcCurrentRefNum_GlV;

// Registration: a null procedure does nothing; otherwise the new entry's reference number is
// written to refNumOut when that is given.
void Sp_SetupEventIdleTimeProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                    unsigned long* refNumOut);
void Sp_SetupResumeEventProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                  unsigned long* refNumOut);
void Sp_SetupSuspendEventProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                   unsigned long* refNumOut);
void Sp_SetupDisposeProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                              unsigned long* refNumOut);

// Idle entries by reference number; a number not in the idle list is ignored.
void Sp_EnableIdleTimeProcedure(unsigned long refNum);
void Sp_DisableIdleTimeProcedure(unsigned long refNum);
void Sp_UnsetEventIdleTimeProcedure(unsigned long refNum);

// Runners.
void Sp_EventToolsIdleProc(unsigned char runCursor);
void Sp_EventToolsResumeEventProc();
void Sp_EvnetToolsSuspendEventProc();
void Sp_EvnetToolsQuitApplicationProc();
