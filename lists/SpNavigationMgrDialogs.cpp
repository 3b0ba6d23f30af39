// The file-dialog object's dialogs: the three the application runs, the one-call forms, and
// the procedures through which Navigation Services calls the object back.
#include <cstring>

#include "CFString.h"
#include "Controls.h"
#include "MacMemory.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpNavigationMgrObject.h"
#include "SpNavigationNames.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpNavigationMgrObject";
constexpr ResType kItemListType = 0x4449544C;  // 'DITL'

// A length-prefixed name as a zero-terminated one.
void NameOf(const FSSpec& spec, char out[64]) {
  std::memcpy(out, spec.name + 1, spec.name[0]);
  out[spec.name[0]] = '\0';
}

// Whether the answer's file spec holds less of the name than the user typed (a spec keeps
// 63 bytes of a name): such a name is cut, and nobody must save under it.
bool SpecCutTheTypedName(const NavReplyRecord& reply, const FSSpec& spec) {
  if (reply.saveFileName == nullptr) return false;
  const CFIndex length = CFStringGetLength(reply.saveFileName);
  CFIndex bytes = 0;
  CFStringGetBytes(reply.saveFileName, CFRangeMake(0, length), kCFStringEncodingMacJapanese, '?',
                   false, nullptr, 0, &bytes);
  return bytes > CFIndex(spec.name[0]);
}

// Calls each(spec, name) for every 'fss ' item of a valid reply; false when the reply is not
// valid or its items cannot be counted.
template <class Each>
bool ForEachSpec(const NavReplyRecord& reply, Each each) {
  SInt32 count = 0;
  if (!reply.validRecord || AECountItems(&reply.selection, &count) != noErr) return false;
  for (SInt32 i = 1; i <= count; ++i) {
    FSSpec spec;
    if (AEGetNthPtr(&reply.selection, i, typeFSS, nullptr, nullptr, &spec, sizeof spec, nullptr) !=
        noErr) {
      continue;
    }
    char name[64];
    NameOf(spec, name);
    each(spec, name);
  }
  return true;
}

bool FirstSpec(const NavReplyRecord& reply, FSSpec* spec) {
  return AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, spec, sizeof *spec, nullptr) ==
         noErr;
}

}  // namespace

// ---- The procedures handed to Navigation Services ----

void SpNav_EventProc(NavEventCallbackMessage selector, NavCBRecPtr params, void* callbackData) {
  if (callbackData != nullptr && params != nullptr) {
    static_cast<cNavMgrObject*>(callbackData)->CatchEventProcedureCB(selector, params);
  }
  Sp_EventProcInterface();
}

Boolean SpNav_CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, void* callbackData,
                                              NavFilterModes filterMode) {
  if (callbackData == nullptr) return true;
  return static_cast<cNavMgrObject*>(callbackData)
      ->CatchOpenFileNavigationFilterCB(item, info, filterMode);
}

Boolean cNavMgrObject::CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, short filterMode) {
  if (filterProc_ == nullptr) return true;
  return filterProc_(item, info, filterMode, filterRefCon_) != 0;
}

void cNavMgrObject::CatchEventProcedureCB(NavEventCallbackMessage selector, NavCBRecPtr params) {
  switch (selector) {
    case kNavCBEvent:
      Event(params);
      break;
    case kNavCBCustomize:
      CustomArea(params);
      break;
    case kNavCBStart:
      Start(params);
      break;
    case kNavCBTerminate:
      if (itemList_ != nullptr && HomeResFile(itemList_) > 1) ReleaseResource(itemList_);
      itemList_ = nullptr;
      break;
    case kNavCBUserAction:
      CollectReply(params->context);
      break;
    default:
      break;
  }
}

void cNavMgrObject::Event(NavCBRecPtr params) {
  EventRecord* event = params->eventData.eventDataParms.event;
  if (event == nullptr) return;
  if (event->what == updateEvt) {
    // The application's windows behind the dialog redraw while it is up.
    if (reinterpret_cast<WindowRef>(event->message) != params->window) {
      Sp_EventProcInterface(event, kSpModalFilterEventMask);
    }
    return;
  }
  if (event->what != mouseDown) return;
  Point local = event->where;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(params->window);
  GlobalToLocal(&local);
  SetPort(saved);
  ControlPartCode part = kControlNoPart;
  const SInt16 item = params->eventData.itemHit;
  if (FindControlUnderMouse(local, params->window, &part) != nullptr && item > 0 &&
      customActionProc_ != nullptr) {
    Rect bounds;
    Sp_GetWindowSize(params->window, bounds);
    customActionProc_(params->window, short(item - firstCustomControl_), item, bounds,
                      customActionRefCon_);
  }
}

void cNavMgrObject::CustomArea(NavCBRecPtr params) {
  Rect& area = params->customRect;
  if (itemListID_ > 0 && customWidth_ > 0 && customHeight_ > 0 && area.right == 0 &&
      area.bottom == 0) {
    area.right = short(area.left + customWidth_);
    area.bottom = short(area.top + customHeight_);
  }
}

void cNavMgrObject::Start(NavCBRecPtr params) {
  if (defaultLocationReady_) {
    NavCustomControl(params->context, kNavCtlSetLocation, &defaultLocation_);
  }
  if (itemListID_ <= 0) return;
  itemList_ = GetResource(kItemListType, itemListID_);
  if (itemList_ == nullptr) return;
  NavCustomControl(params->context, kNavCtlAddControlList, itemList_);
  UInt16 first = 0;
  if (NavCustomControl(params->context, kNavCtlGetFirstControlID, &first) == noErr) {
    firstCustomControl_ = short(first);
  }
}

void cNavMgrObject::CollectReply(NavDialogRef dialog) {
  if (!collectReply_ || chosenList_ == nullptr) return;
  NavReplyRecord reply;
  if (NavDialogGetReply(dialog, &reply) != noErr) {
    replyValid_ = 0;
    return;
  }
  if (!reply.validRecord) {
    replyValid_ = 0;
    NavDisposeReply(&reply);
    return;
  }
  replyValid_ = 1;
  replacing_ = reply.replacing;
  // A name from an earlier answer of the same dialog is let go first.
  ReleaseSaveName();
  if (reply.saveFileName != nullptr && CFStringGetLength(reply.saveFileName) > 0) {
    const SInt32 size = SInt32(3 * CFStringGetLength(reply.saveFileName) + 2);
    char* block = NewPtrClear(size);
    CFStringEncoding encoding = 0;
    if (block != nullptr && Sp_GetCStringFromCFString(reply.saveFileName, block, size, &encoding)) {
      saveName_ = block;
      saveNameEncoding_ = encoding;
    } else if (block != nullptr) {
      DisposePtr(block);
    }
  }
  SInt32 count = 0;
  AECountItems(&reply.selection, &count);
  for (SInt32 i = 1; i <= count; ++i) {
    FSRef ref;
    FSSpec spec;
    if (AEGetNthPtr(&reply.selection, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr) !=
            noErr ||
        FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) {
      continue;
    }
    char name[64];
    NameOf(spec, name);
    cNavMgrFileListItem* item = chosenList_->SetupFileItem(spec.vRefNum, spec.parID, name);
    if (item != nullptr) item->SetupFileInfoByFSRef(&ref);
  }
  NavDisposeReply(&reply);
}

// ---- The dialogs of the application ----

bool cNavMgrObject::RunForX(DialogKind kind, cNavMgrFileList* list, OSType creator, OSType fileType,
                            OSStatus* runResult) {
  NavEventUPP eventUPP =
      kind == kOpen || useEventProcFlag ? NewNavEventUPP(SpNav_EventProc) : nullptr;
  NavObjectFilterUPP filterUPP = kind == kOpen && filterProc_ != nullptr
                                     ? NewNavObjectFilterUPP(SpNav_CatchOpenFileNavigationFilterCB)
                                     : nullptr;
  NavDialogCreationOptions options;
  NavGetDefaultDialogCreationOptions(&options);
  if (kind != kOpen) dontResolveAliasesFlag = 0;
  SetupDialogOptionForOSX(options);
  NavTypeListHandle types = kind == kOpen ? MakeFileTypeList() : nullptr;
  if (kind == kChooseFolder) folderMode_ = 1;
  StandbyDefaultFileOutputPositionFromSetupedFileInfo();
  collectReply_ = 1;
  chosenList_ = list;
  replyValid_ = 0;
  replacing_ = 0;

  NavDialogRef dialog = nullptr;
  OSStatus err = noErr;
  switch (kind) {
    case kOpen:
      err = NavCreateGetFileDialog(&options, types, eventUPP, nullptr, filterUPP, this, &dialog);
      break;
    case kSave:
      err = NavCreatePutFileDialog(&options, fileType, creator, eventUPP, this, &dialog);
      break;
    case kChooseFolder:
      err = NavCreateChooseFolderDialog(&options, eventUPP, nullptr, this, &dialog);
      break;
  }
  const bool ran = err == noErr && dialog != nullptr;
  if (ran) {
    *runResult = NavDialogRun(dialog);
    NavDialogDispose(dialog);
  }
  if (defaultLocationReady_) AEDisposeDesc(&defaultLocation_);
  defaultLocationReady_ = 0;
  if (types != nullptr) DisposeHandle(reinterpret_cast<Handle>(types));
  if (eventUPP != nullptr) DisposeNavEventUPP(eventUPP);
  if (filterUPP != nullptr) DisposeNavObjectFilterUPP(filterUPP);
  SpNav_ReleaseDialogOptionForOSX(options);
  // The list may be the caller's local: no later dialog of this object may write into it.
  chosenList_ = nullptr;
  return ran;
}

unsigned char cNavMgrObject::NavigatorGetOpenFileForX(cNavMgrFileList* list) {
  if (list == nullptr) return 0;
  OSStatus run = noErr;
  return RunForX(kOpen, list, 0, 0, &run) ? 1 : 0;
}

unsigned char cNavMgrObject::NavigatorGetSaveFileForX(OSType creator, OSType fileType,
                                                      FSRef* folder, char* name, SInt32 nameSize,
                                                      UInt32* encoding, unsigned char* truncated,
                                                      unsigned char* replacing) {
  if (folder == nullptr || name == nullptr) {
    return SpReportFailure(kSource, "cNavMgrObject::NavigatorGetSaveFileForX", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  if (nameSize <= 2) return 0;
  cNavMgrFileList chosen;
  OSStatus run = paramErr;
  unsigned char result = 0;
  if (RunForX(kSave, &chosen, creator, fileType, &run) && run == noErr && replyValid_ &&
      chosen.GetNumberOfItem() > 0 && saveName_ != nullptr && saveName_[0] != '\0') {
    chosen.ResetSequentialReference();
    chosen.GetFileRefAndFSSpecBySequential(folder, 0, nullptr, nullptr, nullptr);
    const unsigned char cut = SpNav_CopyNameOut(saveName_, name, nameSize);
    if (truncated != nullptr) *truncated = cut;
    if (encoding != nullptr) *encoding = saveNameEncoding_;
    if (replacing != nullptr) *replacing = replacing_;
    result = 1;
  }
  ReleaseSaveName();
  return result;
}

unsigned char cNavMgrObject::NavigatorGetChooseFolderForX(FSRef* folder) {
  cNavMgrFileList chosen;
  OSStatus run = paramErr;
  if (!RunForX(kChooseFolder, &chosen, 0, 0, &run) || run != noErr || !replyValid_ ||
      chosen.GetNumberOfItem() < 1) {
    return 0;
  }
  chosen.ResetSequentialReference();
  if (folder != nullptr) {
    chosen.GetFileRefAndFSSpecBySequential(folder, 0, nullptr, nullptr, nullptr);
  }
  return 1;
}

// ---- The one-call dialogs ----

void cNavMgrObject::PrepareOneCall(NavDialogOptions& options, bool defaultLocation) {
  NavGetDefaultDialogOptions(&options);
  SetupDialogOption(options);
  if (defaultLocation) {
    StandbyDefaultFileOutputPositionFromSetupedFileInfo();
  } else {
    AEDisposeDesc(&defaultLocation_);
    defaultLocationReady_ = 0;
  }
}

void cNavMgrObject::FinishOneCall(NavReplyRecord& reply) {
  NavDisposeReply(&reply);
  AEDisposeDesc(&defaultLocation_);
  defaultLocationReady_ = 0;
}

unsigned char cNavMgrObject::GetOpenFile(cNavMgrFileList* list) {
  return list != nullptr && navigationServiceEnableFlag_GlV ? NavigatorGetOpenFile(list) : 0;
}

unsigned char cNavMgrObject::NavigatorGetOpenFile(cNavMgrFileList* list) {
  NavDialogOptions options;
  NavTypeListHandle types = MakeFileTypeList();
  PrepareOneCall(options, true);
  NavReplyRecord reply;
  const OSErr err = NavGetFile(
      defaultLocationReady_ ? &defaultLocation_ : nullptr, &reply, &options,
      useEventProcFlag ? SpNav_EventProc : nullptr, nullptr,
      filterProc_ != nullptr ? SpNav_CatchOpenFileNavigationFilterCB : nullptr, types, this);
  const unsigned char result =
      err == noErr && ForEachSpec(reply, [list](const FSSpec& spec, const char* name) {
        list->SetupFileItem(spec.vRefNum, spec.parID, name);
      });
  if (types != nullptr) DisposeHandle(reinterpret_cast<Handle>(types));
  FinishOneCall(reply);
  return result;
}

unsigned char cNavMgrObject::GetSaveFile(OSType creator, OSType fileType, short& vRefNum,
                                         SInt32& dirID, char* name, SInt32 nameSize,
                                         unsigned char& truncated, unsigned char& replacing) {
  if (name == nullptr || nameSize <= 2) return 0;
  return NavigatorGetSaveFile(creator, fileType, vRefNum, dirID, name, nameSize, truncated,
                              replacing);
}

unsigned char cNavMgrObject::NavigatorGetSaveFile(OSType creator, OSType fileType, short& vRefNum,
                                                  SInt32& dirID, char* name, SInt32 nameSize,
                                                  unsigned char& truncated,
                                                  unsigned char& replacing) {
  replacing = 0;
  NavDialogOptions options;
  PrepareOneCall(options, true);
  NavReplyRecord reply;
  const OSErr err =
      NavPutFile(defaultLocationReady_ ? &defaultLocation_ : nullptr, &reply, &options,
                 useEventProcFlag ? SpNav_EventProc : nullptr, fileType, creator, this);
  unsigned char result = 0;
  FSSpec spec;
  if (err == noErr && reply.validRecord) {
    replacing = reply.replacing;
    if (FirstSpec(reply, &spec) && spec.name[0] > 0) {
      char typed[64];
      NameOf(spec, typed);
      truncated = SpNav_CopyNameOut(typed, name, nameSize);
      if (SpecCutTheTypedName(reply, spec)) truncated = 1;
      vRefNum = spec.vRefNum;
      dirID = spec.parID;
      result = 1;
    }
    NavCompleteSave(&reply, kNavTranslateInPlace);
  }
  FinishOneCall(reply);
  return result;
}

unsigned char cNavMgrObject::GetChooseFileObject(cNavMgrFileList* list) {
  if (list == nullptr) return 0;
  NavDialogOptions options;
  PrepareOneCall(options, true);
  NavReplyRecord reply;
  const OSErr err =
      NavChooseObject(defaultLocationReady_ ? &defaultLocation_ : nullptr, &reply, &options,
                      useEventProcFlag ? SpNav_EventProc : nullptr, nullptr, this);
  const unsigned char result =
      err == noErr && ForEachSpec(reply, [list](const FSSpec& spec, const char* name) {
        if (name[0] != '\0') {
          list->SetupFileItem(spec.vRefNum, spec.parID, name);
        } else {
          // A folder comes as its own directory id with no name.
          list->SetupFolderItem(spec.vRefNum, 0, nullptr, spec.parID);
        }
      });
  FinishOneCall(reply);
  return result;
}

unsigned char cNavMgrObject::GetChooseFolder(short& vRefNum, SInt32& dirID) {
  return navigationServiceEnableFlag_GlV ? NavigatorGetChooseFolder(vRefNum, dirID) : 0;
}

unsigned char cNavMgrObject::NavigatorGetChooseFolder(short& vRefNum, SInt32& dirID) {
  NavDialogOptions options;
  PrepareOneCall(options, false);
  if (defaultLocationSet_ && std::strlen(defaultName_) <= 62 &&
      Sp_ExsitTargetDirectoryWithDirId(defaultVolume_, defaultDirectory_)) {
    FSSpec folder;
    std::memset(&folder, 0, sizeof folder);
    folder.vRefNum = defaultVolume_;
    folder.parID = defaultDirectory_;
    MakeDefaultDescriptor(typeFSS, &folder, sizeof folder);
  }
  NavReplyRecord reply;
  const OSErr err =
      NavChooseFolder(defaultLocationReady_ ? &defaultLocation_ : nullptr, &reply, &options,
                      useEventProcFlag ? SpNav_EventProc : nullptr, nullptr, this);
  unsigned char result = 0;
  FSSpec spec;
  if (err == noErr && reply.validRecord && FirstSpec(reply, &spec)) {
    vRefNum = spec.vRefNum;
    dirID = spec.parID;
    result = 1;
    NavCompleteSave(&reply, kNavTranslateInPlace);
  }
  FinishOneCall(reply);
  return result;
}
