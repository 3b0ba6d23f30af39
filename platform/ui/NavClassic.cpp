// Navigation Services: the one-call forms, each a dialog made, run, answered and disposed of
// in one call, with 'fss ' items in its reply.
#include <cstring>
#include <memory>

#include "Navigation.h"
#include "ui/detail/NavRecord.h"

using namespace sp_platform::nav;

namespace {

struct OneCall {
  Kind kind;
  AEDesc* location;
  NavDialogOptions* options;
  NavEventUPP eventProc;
  NavObjectFilterUPP filterProc;
  NavTypeListHandle typeList;
  void* clientData;
};

OSErr Run(const OneCall& call, NavReplyRecord* reply) {
  if (reply == nullptr) return paramErr;
  std::memset(reply, 0, sizeof *reply);
  reply->version = kNavReplyRecordVersion;
  auto record = std::make_unique<Record>();
  record->kind = call.kind;
  record->oneCall = true;
  TakeOneCallOptions(call.options, record.get());
  record->eventProc = call.eventProc;
  record->filterProc = call.filterProc;
  record->clientData = call.clientData;
  record->types = TypesOf(call.typeList);
  NavDialogRef dialog = Create(std::move(record));
  if (dialog == nullptr) return memFullErr;
  if (call.location != nullptr) NavCustomControl(dialog, kNavCtlSetLocation, call.location);
  NavDialogRun(dialog);
  const OSStatus err = NavDialogGetReply(dialog, reply);
  NavDialogDispose(dialog);
  if (err != noErr) return OSErr(err);
  return reply->validRecord ? OSErr(noErr) : OSErr(userCanceledErr);
}

}  // namespace

OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, NavPreviewUPP, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD) {
  return Run(
      {Kind::kGetFile, defaultLocation, dialogOptions, eventProc, filterProc, typeList, callBackUD},
      reply);
}

OSErr NavPutFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, OSType, OSType, void* callBackUD) {
  return Run(
      {Kind::kPutFile, defaultLocation, dialogOptions, eventProc, nullptr, nullptr, callBackUD},
      reply);
}

OSErr NavChooseFolder(AEDesc* defaultLocation, NavReplyRecord* reply,
                      NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                      NavObjectFilterUPP filterProc, void* callBackUD) {
  return Run({Kind::kChooseFolder, defaultLocation, dialogOptions, eventProc, filterProc, nullptr,
              callBackUD},
             reply);
}

OSErr NavChooseObject(AEDesc* defaultLocation, NavReplyRecord* reply,
                      NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                      NavObjectFilterUPP filterProc, void* callBackUD) {
  return Run({Kind::kChooseObject, defaultLocation, dialogOptions, eventProc, filterProc, nullptr,
              callBackUD},
             reply);
}
