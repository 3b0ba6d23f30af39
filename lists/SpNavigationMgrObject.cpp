// The file-dialog object: its settings, the dialog options and type list it builds, and the
// location a dialog opens on.
#include "SpNavigationMgrObject.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "CFString.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpNavigationNames.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionDirectory.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"

unsigned char navigationServiceEnableFlag_GlV = 0;
unsigned char navigationServiceLoadLibralyFlag_GlV = 0;

namespace {

const char kSource[] = "SpNavigationMgrObject";
const char kMsgNameLength[] = "Directory Name length Error !! ";

constexpr ResType kOpenResourceType = 0x6F70656E;  // 'open'
// The names an FSSpec descriptor of the default location takes.
constexpr std::size_t kShortNameLimit = 31;
// An 'open' resource: signature, reserved word, type count, then the types.
constexpr Size kOpenHeaderSize = 8;

void ReleaseString(CFStringRef& text) {
  if (text != nullptr) CFRelease(text);
  text = nullptr;
}

CFStringRef MakeString(const char* text) {
  return text[0] == '\0' ? nullptr
                         : CFStringCreateWithCString(nullptr, text, kCFStringEncodingMacJapanese);
}

// The types of an 'open' resource (big-endian), as many as its size holds.
std::vector<OSType> OpenResourceTypes(Handle resource, OSType* signature) {
  std::vector<OSType> types;
  const Size size = GetHandleSize(resource);
  if (size < kOpenHeaderSize) return types;
  sp::ByteReader in(*resource, std::size_t(size));
  *signature = in.BE32();
  in.Skip(2);
  const SInt32 count = in.SBE16();
  for (SInt32 i = 0; i < count && in.Has(4); ++i) types.push_back(in.BE32());
  return types;
}

}  // namespace

void InitNavigationService() {
  if (navigationServiceLoadLibralyFlag_GlV) return;
  navigationServiceEnableFlag_GlV = NavServicesAvailable() ? 1 : 0;
  if (!navigationServiceEnableFlag_GlV || NavLoad() != noErr) return;
  navigationServiceLoadLibralyFlag_GlV = 1;
  Sp_SetupDisposeProcedure(SpNav_DisposeNavigationLib, 55, 0, nullptr);
}

void SpNav_DisposeNavigationLib(unsigned long) {
  if (navigationServiceLoadLibralyFlag_GlV) NavUnload();
}

void SpNav_ReleaseDialogOptionForOSX(NavDialogCreationOptions& options) {
  ReleaseString(options.clientName);
  ReleaseString(options.windowTitle);
  ReleaseString(options.actionButtonLabel);
  ReleaseString(options.cancelButtonLabel);
  ReleaseString(options.saveFileName);
  ReleaseString(options.message);
}

// ---- Making and settings ----

cNavMgrObject::cNavMgrObject(OSType creator) {
  StartUpInitialize();
  InitNavigationService();
  creator_ = creator;
}

cNavMgrObject::~cNavMgrObject() {
  ClearFileType();
  ClearExcludeFileItem();
  ReleaseSaveName();
  AEDisposeDesc(&defaultLocation_);
}

void cNavMgrObject::StartUpInitialize() {
  openResourceID_ = 0;
  windowPositionSet_ = windowMoved_ = 0;
  windowH_ = windowV_ = -1;
  filterProc_ = nullptr;
  filterRefCon_ = 0;
  defaultLocationSet_ = collectReply_ = defaultLocationReady_ = folderMode_ = 0;
  defaultVolume_ = 0;
  defaultDirectory_ = 0;
  defaultName_[0] = '\0';
  replyValid_ = replacing_ = 0;
  chosenList_ = nullptr;
  ReleaseSaveName();
  itemListID_ = firstCustomControl_ = 0;
  itemList_ = nullptr;
  customWidth_ = customHeight_ = 0;
  customActionProc_ = nullptr;
  customActionRefCon_ = 0;
  noTypePopupFlag = dontAutoTranslateFlag = dontAddTranslateItemsFlag = 1;
  allFilesInPopupFlag = allowStationeryFlag = allowPreviewsFlag = 0;
  allowMultipleFilesFlag = allowInvisibleFilesFlag = 0;
  dontResolveAliasesFlag = selectDefaultLocationFlag = 1;
  selectAllReadableItemFlag = 0;
  useEventProcFlag = 1;
  for (char* text :
       {clientName, windowTitle, actionButtonLabel, cancelButtonLabel, saveFileName, message}) {
    text[0] = '\0';
  }
  modality = 0;
  parentWindow = nullptr;
}

void cNavMgrObject::SetupDefaultLocation(short vRefNum, SInt32 dirID, const char* name) {
  if (name != nullptr && std::strlen(name) > std::size_t(kSpNavDefaultNameSize - 1)) {
    SpReportFailure(kSource, "cNavMgrObject::SetupDefaultLocation", 1, kMsgNameLength);
    return;
  }
  defaultVolume_ = vRefNum;
  defaultDirectory_ = dirID;
  defaultLocationSet_ = 1;
  SpNav_CopyName(name, defaultName_, kSpNavDefaultNameSize - 1);
}

void cNavMgrObject::SetupWindowPosition(short h, short v) {
  windowH_ = h;
  windowV_ = v;
  windowPositionSet_ = 1;
}

void cNavMgrObject::GetWindowPosition(short& h, short& v) const {
  h = windowH_;
  v = windowV_;
}

void cNavMgrObject::SetupFilterProcedureProcPtr(SpNavFilterProcPtr proc, unsigned long refcon) {
  filterProc_ = proc;
  filterRefCon_ = refcon;
}

void cNavMgrObject::SetupCustomizeControlArea(short width, short height) {
  customWidth_ = width;
  customHeight_ = height;
}

void cNavMgrObject::SetupCustomizeControlActionProcPtr(SpNavCustomActionProcPtr proc,
                                                       unsigned long refcon) {
  customActionProc_ = proc;
  customActionRefCon_ = refcon;
}

void cNavMgrObject::AddExcludeFileItem(short vRefNum, SInt32 dirID, const char* name,
                                       unsigned char locationBound) {
  if (name != nullptr && name[0] != '\0') {
    exclusion_.SetupFileName(vRefNum, dirID, name, locationBound);
  }
}

Boolean cNavMgrObject::IsExcludeFileItem(short vRefNum, SInt32 dirID, const char* name) {
  return exclusion_.IsExcludeFileItem(vRefNum, dirID, name);
}

// ---- Options ----

NavDialogOptionFlags cNavMgrObject::DialogFlags() const {
  const struct {
    unsigned char on;
    NavDialogOptionFlags bit;
  } bytes[] = {
      {noTypePopupFlag, kNavNoTypePopup},
      {dontAutoTranslateFlag, kNavDontAutoTranslate},
      {dontAddTranslateItemsFlag, kNavDontAddTranslateItems},
      {allFilesInPopupFlag, kNavAllFilesInPopup},
      {allowStationeryFlag, kNavAllowStationery},
      {allowPreviewsFlag, kNavAllowPreviews},
      {allowMultipleFilesFlag, kNavAllowMultipleFiles},
      {allowInvisibleFilesFlag, kNavAllowInvisibleFiles},
      {selectDefaultLocationFlag, kNavSelectDefaultLocation},
      {selectAllReadableItemFlag, kNavSelectAllReadableItem},
  };
  NavDialogOptionFlags flags = 0;
  for (const auto& b : bytes) {
    if (b.on) flags |= b.bit;
  }
  return flags;
}

namespace {

// The bits the flag bytes decide; the others stay as the defaults gave them.
constexpr NavDialogOptionFlags kByteBits =
    kNavNoTypePopup | kNavDontAutoTranslate | kNavDontAddTranslateItems | kNavAllFilesInPopup |
    kNavAllowStationery | kNavAllowPreviews | kNavAllowMultipleFiles | kNavAllowInvisibleFiles |
    kNavSelectDefaultLocation | kNavSelectAllReadableItem;

}  // namespace

void cNavMgrObject::SetupDialogOptionForOSX(NavDialogCreationOptions& options) const {
  options.optionFlags = (options.optionFlags & ~kByteBits) | DialogFlags();
  options.clientName = MakeString(clientName);
  options.windowTitle = MakeString(windowTitle);
  options.actionButtonLabel = MakeString(actionButtonLabel);
  options.cancelButtonLabel = MakeString(cancelButtonLabel);
  options.saveFileName = MakeString(saveFileName);
  options.message = MakeString(message);
  if (modality == kWindowModalityWindowModal && parentWindow != nullptr) {
    options.modality = kWindowModalityWindowModal;
    options.parentWindow = parentWindow;
  } else {
    options.modality = modality == kWindowModalitySystemModal ? kWindowModalitySystemModal
                                                              : kWindowModalityAppModal;
  }
}

void cNavMgrObject::SetupDialogOption(NavDialogOptions& options) const {
  options.dialogOptionFlags = (options.dialogOptionFlags & ~kByteBits) | DialogFlags();
  Sp_CopyCStringToStr255(clientName, options.clientName);
  Sp_CopyCStringToStr255(windowTitle, options.windowTitle);
  Sp_CopyCStringToStr255(actionButtonLabel, options.actionButtonLabel);
  Sp_CopyCStringToStr255(cancelButtonLabel, options.cancelButtonLabel);
  Sp_CopyCStringToStr255(saveFileName, options.savedFileName);
  Sp_CopyCStringToStr255(message, options.message);
}

NavTypeListHandle cNavMgrObject::MakeFileTypeList() const {
  const SInt32 collected = GetNumberOfItem();
  Handle resource = openResourceID_ > 0 ? GetResource(kOpenResourceType, openResourceID_) : nullptr;
  OSType signature = creator_;
  std::vector<OSType> fromResource;
  if (resource != nullptr) {
    HLock(resource);
    fromResource = OpenResourceTypes(resource, &signature);
    HUnlock(resource);
    if (HomeResFile(resource) > 1) ReleaseResource(resource);
  }
  if (collected > 0) signature = creator_;
  const SInt32 total = collected + SInt32(fromResource.size());
  if (total == 0) return nullptr;
  Handle list = NewHandleClear(Size(4 * total + 12));
  if (list == nullptr) return nullptr;
  NavTypeList* types = reinterpret_cast<NavTypeList*>(*list);
  types->componentSignature = signature;
  types->osTypeCount = SInt16(total);
  SInt32 at = 0;
  for (SInt32 i = 1; i <= collected; ++i) {
    unsigned long value = 0;
    GetValue(i, value);
    types->osType[at++] = OSType(value);
  }
  for (OSType type : fromResource) types->osType[at++] = type;
  return reinterpret_cast<NavTypeListHandle>(list);
}

// ---- Default location ----

bool cNavMgrObject::MakeDefaultDescriptor(DescType type, const void* data, Size size) {
  AEDisposeDesc(&defaultLocation_);
  if (AECreateDesc(type, data, size, &defaultLocation_) != noErr) return false;
  defaultLocationReady_ = 1;
  return true;
}

namespace {

FSSpec SpecOf(short vRefNum, SInt32 dirID, const char* name) {
  FSSpec spec;
  std::memset(&spec, 0, sizeof spec);
  spec.vRefNum = vRefNum;
  spec.parID = dirID;
  const std::size_t length = std::min<std::size_t>(std::strlen(name), 63);
  spec.name[0] = UInt8(length);
  std::memcpy(spec.name + 1, name, length);
  return spec;
}

}  // namespace

void cNavMgrObject::StandbyDefaultFileOutputPositionFromSetupedFileInfo() {
  defaultLocationReady_ = 0;
  AEDisposeDesc(&defaultLocation_);
  const short v = defaultVolume_;
  const SInt32 d = defaultDirectory_;
  if (!defaultLocationSet_ || !Sp_ExsitTargetDirectoryWithDirId(v, d)) return;
  const std::size_t length = std::strlen(defaultName_);
  auto spec = [this, v, d](const char* name) {
    const FSSpec s = SpecOf(v, d, name);
    return MakeDefaultDescriptor(typeFSS, &s, sizeof s);
  };
  // The directory itself, named in its parent.
  auto directory = [this, v, d]() {
    char name[256] = {};
    SInt32 parent = 0;
    if (Sp_GetDirNameFromDirID(d, v, name, &parent) != noErr) return false;
    const FSSpec s = SpecOf(v, parent, name);
    return MakeDefaultDescriptor(typeFSS, &s, sizeof s);
  };
  if (length > kShortNameLimit) {
    FSRef folder, item;
    if (Sp_ExsitTargetFileOrDirByFSSpecAndLongName(v, d, defaultName_,
                                                   kCFStringEncodingMacJapanese) &&
        Sp_GetFSRefFromDirectoryPositionInfo(v, d, &folder) == noErr &&
        Sp_GetFSRefFromDirectoryFSRefAndLongFileName(
            &folder, defaultName_, kCFStringEncodingMacJapanese, &item) == noErr &&
        MakeDefaultDescriptor(typeFSRef, &item, sizeof item)) {
      return;
    }
  } else if (folderMode_) {
    if (Sp_ExsitTargetDirectory(v, d, defaultName_) && spec(defaultName_)) return;
  } else if (length > 0) {
    if (Sp_ExsitTargetFile(v, d, defaultName_) && spec(defaultName_)) return;
  } else if (directory()) {
    return;
  }
  // The named item is missing: the first entry of the directory a person sees, else the
  // directory itself.
  cDirectoryItem* list = nullptr;
  Sp_SerchFolderItemInDirId(v, d, nullptr, list, 0);
  bool made = false;
  for (cDirectoryItem* item = list; item != nullptr; item = item->GetNextObjectPtr()) {
    if (!item->IsVisibleFile()) continue;
    char name[kSpDirectoryItemNameSize] = {};
    unsigned char tooLong = 0;
    made = item->GetFileName(name, 64, tooLong) != nullptr && spec(name);
    break;
  }
  Sp_DisposeDirectoryItemList(list);
  if (!made) directory();
}

void cNavMgrObject::ReleaseSaveName() {
  if (saveName_ != nullptr) DisposePtr(saveName_);
  saveName_ = nullptr;
  saveNameEncoding_ = 0;
}
