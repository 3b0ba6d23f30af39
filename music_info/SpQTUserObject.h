// One user of a shared movie: the view that shows it (its port) and the procedures the movie
// calls when the user becomes, or stops being, the one the movie plays for.
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"

typedef void (*tSpQTUserProcPtr)(unsigned long refCon);

class cSp_QTShareUser : public cSpListLinks<cSp_QTShareUser> {
 public:
  cSp_QTShareUser(SInt32 id, GrafPtr port) : id_(id), port_(port) {}
  cSp_QTShareUser(const cSp_QTShareUser&) = delete;
  cSp_QTShareUser& operator=(const cSp_QTShareUser&) = delete;

  // From this user along the next links, the first with that id; null when none has it.
  cSp_QTShareUser* SerchTargetUserIdObject(SInt32 id);
  unsigned char CheckUserId(SInt32 id) const { return id == id_ ? 1 : 0; }
  GrafPtr GetTargetGrafPtr() const { return port_; }
  SInt32 GetUserReferenceId() const { return id_; }

  void SetupBecomCurrentUserProc(tSpQTUserProcPtr proc, unsigned long refCon) {
    becomeProc_ = proc;
    becomeRefCon_ = refCon;
  }
  void SetupOffCurrentUserProc(tSpQTUserProcPtr proc, unsigned long refCon) {
    offProc_ = proc;
    offRefCon_ = refCon;
  }
  // Each calls its procedure when one is set.
  void ExecuteBecomCurrentUserProc();
  void ExecuteOffCurrentUserProc();

 private:
  friend class cSp_QTMovieFileObj;

  SInt32 id_ = 0;
  GrafPtr port_ = nullptr;
  tSpQTUserProcPtr becomeProc_ = nullptr;
  unsigned long becomeRefCon_ = 0;
  tSpQTUserProcPtr offProc_ = nullptr;
  unsigned long offRefCon_ = 0;
};
