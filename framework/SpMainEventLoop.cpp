// Start-up and the application's folders.
#include "SpMainEventLoop.h"

#include <cstring>

#include "Appearance.h"
#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "FailureReports.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "SpApplicationClass.h"
#include "SpCoreHooks.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpMenu.h"
#include "SpServiceHooks.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"

namespace {

const char kSource[] = "SpMainEventLoop.cpp";

// How often start-up asks for more master pointers.
const int kMoreMastersCalls = 5;

void RegisterCoreDisposeProcedure(tSpCoreDisposeProcPtr proc, SInt32 order) {
  Sp_SetupDisposeProcedure(proc, order, 0, nullptr);
}

void RecordToolboxFailure(const char* source, const char* method, SInt32 code,
                          const char* message) {
  SpERORSYS_SaveErrorMeesage(source, method, code, message);
}

}  // namespace

const char kSpApplicationDataFolderName[] = "Application Data Folder";

GrafPtr globalPort_GlV = nullptr;
SInt16 applicationFolderVRefNum_GlV = 0;
SInt32 applicationFolderDirId_GlV = 0;
char* applicationFolderFullPath_GlV = nullptr;
unsigned char vertualMemoryEnableFlag_GlV = 0;
unsigned char appearanceEnableFlag_GlV = 0;

unsigned char mainLoopFlag_GlV = 1;
unsigned char executeMainEventTerminateProcedureFlag_GlV = 1;

// ---- Start-up -------------------------------------------------------------------------------

unsigned char Sp_ToolboxInitialize() {
  // The error log shows what it cannot write in the say dialogs: from the first step on, so
  // that a failure of start-up itself reaches the user.
  SpStdSayDlg_InstallErrorDisplayProcs();
  // The core's objects (string objects, the preference stock) register their dispose
  // procedures with the framework's registry from now on, and hand over those made before.
  SpCore_InstallDisposeRegistrar(RegisterCoreDisposeProcedure);
  // What the toolbox layer finds wrong on its own (its file catalogue, say) goes to the log.
  sp_platform::SetFailureRecorder(RecordToolboxFailure);
  for (int i = 0; i < kMoreMastersCalls; ++i) MoreMasters();
  InitCursor();
  Sp_StockGlobalPort();

  if (Sp_GetApplicatinFolderInfo(applicationFolderVRefNum_GlV, applicationFolderDirId_GlV,
                                 nullptr) != noErr) {
    return 0;
  }

  // A second start-up (which the program never makes) replaces the block instead of losing it.
  if (applicationFolderFullPath_GlV != nullptr) {
    DisposePtr(applicationFolderFullPath_GlV);
    applicationFolderFullPath_GlV = nullptr;
  }
  applicationFolderFullPath_GlV = NewPtrClear(kSpAppliFolderFullPathBlockSize);
  if (applicationFolderFullPath_GlV == nullptr) {
    SysBeep(50);
    SpERORSYS_SaveErrorMeesage(kSource, "Sp_ToolboxInitialize", 2, "Cannot allocated memory");
    return 0;
  }
  // The path builder writes at most kSpMaxFullPathLength bytes and the terminator, well inside
  // the block; a failure leaves the path empty.
  Sp_DirFullPathNameFromDirID(applicationFolderDirId_GlV, applicationFolderVRefNum_GlV,
                              applicationFolderFullPath_GlV);

  Sp_GestultVertualMemoryEnable();

  SInt32 appleEvents = 0;
  if (Gestalt(gestaltAppleEventsAttr, &appleEvents) != noErr) return 0;

  SInt32 appearance = 0;
  if (Gestalt(gestaltAppearanceAttr, &appearance) == noErr) {
    appearanceEnableFlag_GlV = 1;
    RegisterAppearanceClient();
  }

  if ((appleEvents & 0x1) != 0) Sp_SetAppleEventHandler();

  Sp_ViewServices().Sp_InitializeResourceManager();
  Sp_DragServices().SpDDO_InitializeDragAndDrop();
  SpInitializeMenuManager();

  InitCursor();
  return 1;
}

void Sp_StockGlobalPort() {
  GetPort(&globalPort_GlV);
}

void Sp_SetGlobalPort() {
  SetPort(globalPort_GlV);
}

// ---- The application folder -----------------------------------------------------------------

void Sp_GetAppliFolderInfo(short& vRefNum, SInt32& dirId) {
  vRefNum = applicationFolderVRefNum_GlV;
  dirId = applicationFolderDirId_GlV;
}

UInt32 Sp_GetAppliFolderFullPathNameLength() {
  if (applicationFolderFullPath_GlV == nullptr) return 0;
  return UInt32(strnlen(applicationFolderFullPath_GlV, kSpAppliFolderFullPathBlockSize));
}

void Sp_CopyAppliFolderFullPathName(char* buffer, SInt32 bufferSize, unsigned char& truncated) {
  if (buffer == nullptr || bufferSize <= 0) return;
  const UInt32 length = Sp_GetAppliFolderFullPathNameLength();
  const UInt32 room = UInt32(bufferSize) - 1;
  const UInt32 copied = length > room ? room : length;
  if (copied > 0) std::memcpy(buffer, applicationFolderFullPath_GlV, copied);
  buffer[copied] = '\0';
  truncated = length > room ? 1 : 0;
}

// ---- The data folder and the resource folder ------------------------------------------------

OSErr Sp_GetApplicationDataFolderInfo(short& vRefNum, SInt32& dirId) {
  // Before start-up has found the application folder there is nowhere to put the folder.
  if (applicationFolderDirId_GlV == 0) return fnfErr;
  const short appVRefNum = applicationFolderVRefNum_GlV;
  const SInt32 appDirId = applicationFolderDirId_GlV;
  if (Sp_ExsitTargetDirectory(appVRefNum, appDirId, kSpApplicationDataFolderName) == 0) {
    // The application folder may well be read-only (an installed program): the error comes
    // back to the caller, who decides what to do without the folder.
    OSErr err = Sp_CreateFolderIntoDirId(appVRefNum, appDirId, kSpApplicationDataFolderName);
    if (err != noErr) return err;
  }
  SInt32 found = 0;
  OSErr err =
      Sp_GetDirIdFromDirNameInDirId(appVRefNum, appDirId, kSpApplicationDataFolderName, found);
  if (err != noErr) return err;
  vRefNum = appVRefNum;
  dirId = found;
  return noErr;
}

// The resources of the program are in the main bundle's resources folder, not in the data
// folder that the program writes: this only finds the folder and never creates anything.
OSErr Sp_GetApplicationResourceFolderInfo(short& vRefNum, SInt32& dirId) {
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return fnfErr;
  CFURLRef url = CFBundleCopyResourcesDirectoryURL(bundle);
  if (url == nullptr) return fnfErr;
  FSRef ref;
  const Boolean found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  if (!found) return fnfErr;
  FSCatalogInfo info;
  std::memset(&info, 0, sizeof info);
  OSErr err = FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags | kFSCatInfoVolume | kFSCatInfoNodeID,
                               &info, nullptr, nullptr, nullptr);
  if (err != noErr) return err;
  if ((info.nodeFlags & kFSNodeIsDirectoryMask) == 0) return dirNFErr;
  vRefNum = info.volume;
  dirId = SInt32(info.nodeID);
  return noErr;
}

// ---- Gestalt flags --------------------------------------------------------------------------

void Sp_GestultVertualMemoryEnable() {
  SInt32 response = 0;
  if (Gestalt(gestaltVMAttr, &response) == noErr && (response & 0x1) != 0) {
    vertualMemoryEnableFlag_GlV = 1;
  }
}

unsigned char Sp_IsDisableVertualMemory() {
  return vertualMemoryEnableFlag_GlV;
}

unsigned char SpGetAppealanceEnableFlag() {
  return appearanceEnableFlag_GlV;
}
