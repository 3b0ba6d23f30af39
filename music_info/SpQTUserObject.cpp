#include "SpQTUserObject.h"

cSp_QTShareUser* cSp_QTShareUser::SerchTargetUserIdObject(SInt32 id) {
  for (cSp_QTShareUser* user = this; user != nullptr; user = user->GetNextObjectPtr()) {
    if (user->id_ == id) return user;
  }
  return nullptr;
}

void cSp_QTShareUser::ExecuteBecomCurrentUserProc() {
  if (becomeProc_ != nullptr) becomeProc_(becomeRefCon_);
}

void cSp_QTShareUser::ExecuteOffCurrentUserProc() {
  if (offProc_ != nullptr) offProc_(offRefCon_);
}
