#include "CDObjectSource.h"

#include <cstdio>
#include <string>
#include <vector>

#include "AppleHelp.h"
#include "CDMediaManagerObj.h"
#include "CFBundle.h"
#include "CFURLFiles.h"
#include "CarbonEvents.h"
#include "Files.h"
#include "Gestalt.h"
#include "SessionLock.h"
#include "SpCDREngineAlert.h"
#include "SpCDRomManager.h"
#include "SpDisplay.h"
#include "SpDragAndDropObject.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpMainEventLoop.h"
#include "SpMenu.h"
#include "SpMenuBarObj.h"
#include "SpMenuItemObj.h"
#include "SpMenuObj.h"
#include "SpOriginalControl.h"
#include "SpQTInterface.h"
#include "SpResourceManager.h"
#include "SpStdFunctionNumber.h"
#include "SpStdSayDialog.h"
#include "SpViewClass.h"
#include "SpViewServices.h"
#include "SpWindow.h"

cCDR_Application* applicationObj_GlV = nullptr;
cCDR_MediaManager* mediaManagerObj_GlV = nullptr;
cSp_CDRomManager* cdRomManagerObj_GlV = nullptr;
unsigned char multiMediaTragetFlag_GlV = 0;

namespace {

const char kSource[] = "CDObjectSource";
const short kAboutPictureID = 2002;
const SInt32 kDisposeOrder = 50;

// Makes the application object when there is none; 1 when there is one afterwards.
bool EnsureApplicationObject() {
  if (applicationObj_GlV == nullptr) InitializeApplication();
  if (applicationObj_GlV != nullptr) return true;
  SpReportFailure(kSource, "CDR_SetupApplication", 1, kSpMsgMemory);
  return false;
}

// The menu set-up's failure: the person is told the step, the log gets it, and the program is
// asked to end.
unsigned char MenuSetupFailed(SInt32 step) {
  std::string text = SpCDR_MJ(
      "メニューの設定中にエラーが発生しました。データが破壊されている恐れがあります（Position = ");
  char number[16];
  Sp_NumberToString(step, number);
  text += number;
  text += SpCDR_MJ("）");
  std::vector<char> message(text.begin(), text.end());
  message.push_back(0);
  Sp_SayDialogByModal(message.data(), 0);
  SpReportFailure(kSource, "CDR_SetupMenu", step, kSpMsgNullOperator);
  if (applicationObj_GlV != nullptr) applicationObj_GlV->EndOfApplication();
  return 0;
}

cSpMenuItem* ItemOf(cSpMenu* menu, SInt32 n) {
  return menu != nullptr ? menu->GetMenuItemByReferenceNo(n) : nullptr;
}

// The session folder of the program: its lock keeps a second copy from running on the same
// home, where the two would write over each other's settings and media list.
const char kSessionName[] = "mediamanager";

// A second start: the running copy's media window comes to the front, where the note it left
// says it is, and this copy ends. Where it cannot (its window is on no display this start
// reaches, or it runs in another session or on another computer, which leaves this session no
// note), the person is told which, in an alert on this start's own display too (a start from
// the desktop's menu has no terminal to show the sentence), and the start ends as one that
// failed.
int RaiseRunningCopy(int argc, char** argv, const std::string& note, bool otherSession) {
  if (!otherSession && !note.empty() && SpActivateDesktopWindow(note) == noErr) return 0;
  std::fprintf(stderr, "%s\n",
               otherSession ? "The media manager is already running on this home, in another "
                              "session or on another computer."
                            : "The media manager is already running, but its window is not on "
                              "this display.");
  std::string unused;
  if (SpOpenDisplay(&argc, argv, kSpDisplayDesktop, &unused) == noErr) {
    std::string text = SpCDR_MJ(
        otherSession ? "メディアマネージャは、同じホームフォルダを使って、別のセッションか別の"
                       "コンピュータですでに起動しています。"
                     : "メディアマネージャはすでに起動していますが、そのウインドウはこのディスプ"
                       "レイにはありません。");
    std::vector<char> message(text.begin(), text.end());
    message.push_back(0);
    Sp_SayAlertByModal(kSpStdSayDlgStop, message.data(), nullptr, nullptr, nullptr, nullptr);
    SpCloseDisplay();
  }
  return 1;
}

// Tells later starts where the media window is.
void NoteMediaWindow(WindowRef window) {
  const std::string address = SpDesktopWindowAddress(window);
  if (address.empty()) return;
  // fnOpnErr: no lock is held (it was refused at the start, and reported then).
  const OSErr err = SpWriteSessionNote(kSessionName, address);
  if (err != noErr && err != fnOpnErr) {
    SpReportFailure(kSource, "CDR_SetupApplication", err, kSpMsgFileError);
  }
}

// Runs the program: the display, the toolbox and the event loop.
int RunProgram(int argc, char** argv) {
  std::string message;
  if (SpOpenDisplay(&argc, argv, kSpDisplayDesktop, &message) != noErr) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  SpSetAudioCDMediaFolder(SpDefaultAudioCDMediaFolder().c_str());
  Sp_CarbonEvent_ModeEnable();
  // The framework reaches the upper libraries through the services they install.
  Sp_InstallViewServices();
  Sp_OCnt_InstallControlServices();
  SpDDO_InstallDragServices();
  SpETO_InstallEditTextServices();
  if (!Sp_ToolboxInitialize()) {
    SpCloseDisplay();
    return 0;
  }
  Sp_InitialQuckTime(0);
  if (InitializeApplication() == nullptr) {
    SpReportFailure(kSource, "CDR_SetupApplication", 1, kSpMsgMemory);
  }
  Sp_ResM_PreLoadPictureItem(kAboutPictureID);
  CDR_SetMultiMediaTargetFlag(1);
  RunApplicationEventLoop();
  SpCloseDisplay();
  return 0;
}

}  // namespace

// ---- The application object ------------------------------------------------------------------

void cCDR_Application::OpenApplicationProc() {
  CDR_SetupApplication();
}

unsigned char cCDR_Application::QuitApplicationProc() {
  cCDR_MediaManager* manager = CDR_GetMediaManagerPtr();
  return manager == nullptr ? 1 : manager->SendQuitApplication();
}

void cCDR_Application::PrintDocumentProc() {
  CDR_SetupApplication();
}

// ---- Start-up --------------------------------------------------------------------------------

int CDR_Main(int argc, char** argv) {
  // Before anything is opened or read: a second copy touches neither the display's windows
  // nor the settings and the list.
  std::string runningCopy;
  OSErr sessionError = noErr;
  const OSErr locked = SpTakeSessionLock(kSessionName, &runningCopy, &sessionError);
  if (locked == fBsyErr)
    return RaiseRunningCopy(argc, argv, runningCopy, sessionError == fBsyErr);
  // Guarded by the home's lock alone: a later start of this session cannot find the window.
  if (sessionError != noErr) SpReportFailure(kSource, "CDR_Main", sessionError, kSpMsgFileError);
  if (locked != noErr) {
    // Unguarded: the person is told, since another copy may now write over the same files.
    std::fprintf(stderr,
                 "The media manager could not make sure that no other copy of it runs on this "
                 "home, and runs all the same.\n");
    SpReportFailure(kSource, "CDR_Main", locked, kSpMsgFileError);
  }
  const int result = RunProgram(argc, argv);
  if (locked == noErr) SpReleaseSessionLock(kSessionName);
  return result;
}

cCDR_Application* InitializeApplication() {
  applicationObj_GlV = new (std::nothrow) cCDR_Application();
  return applicationObj_GlV;
}

unsigned char CDR_SetupApplication() {
  if (!EnsureApplicationObject()) return 0;
  cdRomManagerObj_GlV = Sp_InitialCDRom(1, 1, kSpCDShareBuffSetNone);
  if (cdRomManagerObj_GlV != nullptr)
    cdRomManagerObj_GlV->SetupModCDSetupCB(CDR_ChangeCDSetupProc, 0);
  CDR_SetupMenu();
  cCDR_MediaManager* manager = CDR_InitMeidaManager();
  if (manager == nullptr) return 0;
  manager->SetupCloseCB(CDR_CatchMediaMgrWindowCloseCB, 0);
  Sp_RedrawViewWindow(manager->GetWindowRef(), 0);
  NoteMediaWindow(manager->GetWindowRef());
  return 1;
}

cCDR_MediaManager* CDR_InitMeidaManager() {
  mediaManagerObj_GlV = new (std::nothrow) cCDR_MediaManager(kCDR_MediaWindowID);
  if (mediaManagerObj_GlV != nullptr && mediaManagerObj_GlV->GetWindowRef() == nullptr) {
    // A window object without its window would fail at every later step.
    delete mediaManagerObj_GlV;
    mediaManagerObj_GlV = nullptr;
  }
  if (mediaManagerObj_GlV == nullptr) {
    return SpReportFailure("CDMediaManagerObj", "cCDR_MediaItem::ModifyMediaData", 1, kSpMsgMemory,
                           (cCDR_MediaManager*)nullptr);
  }
  mediaManagerObj_GlV->Open(1, nullptr);
  mediaManagerObj_GlV->LoadSetupQTFileInfo();
  Sp_SetupDisposeProcedure(CDR_DisposeMediaManager, kDisposeOrder, 0, nullptr);
  return mediaManagerObj_GlV;
}

void CDR_DisposeMediaManager(unsigned long) {
  if (mediaManagerObj_GlV == nullptr) return;
  delete mediaManagerObj_GlV;
  mediaManagerObj_GlV = nullptr;
}

cCDR_MediaManager* CDR_GetMediaManagerPtr() {
  return mediaManagerObj_GlV;
}

void CDR_SetMultiMediaTargetFlag(unsigned char flag) {
  multiMediaTragetFlag_GlV = flag;
}

unsigned char CDR_GetMultiMediaTargetFlag() {
  return multiMediaTragetFlag_GlV;
}

void CDR_ChangeCDSetupProc(unsigned long) {
  if (mediaManagerObj_GlV != nullptr) mediaManagerObj_GlV->ModifyMediaData();
}

void CDR_CatchMediaMgrWindowCloseCB(unsigned long) {
  if (applicationObj_GlV != nullptr) applicationObj_GlV->EndOfApplication();
}

OSStatus RegisterTevonHelpBook() {
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return fnfErr;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (url == nullptr) return fnfErr;
  FSRef ref;
  const bool found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  if (!found) return fnfErr;
  return AHRegisterHelpBook(&ref);
}

// ---- Menus -------------------------------------------------------------------------------------

bool CDR_IsAquaMenuLayout() {
  SInt32 response = 0;
  return Gestalt(gestaltMenuMgrAttr, &response) == noErr && (response & 2) != 0;
}

short CDR_CurrentMenuBarID() {
  return CDR_IsAquaMenuLayout() ? kCDR_AquaMenuBarID : kCDR_ClassicMenuBarID;
}

short CDR_CurrentFileMenuID() {
  return CDR_IsAquaMenuLayout() ? kCDR_AquaFileMenuID : kCDR_ClassicFileMenuID;
}

unsigned char CDR_SetupMenu() {
  const bool aqua = CDR_IsAquaMenuLayout();
  cSpMenuManager* manager = Sp_GetMenuManager(1);
  if (manager == nullptr) return MenuSetupFailed(10);
  cSpMenuBar* bar = manager->CreateNewMenuBarByResource(CDR_CurrentMenuBarID());
  if (bar == nullptr) return MenuSetupFailed(12);
  bar->SetupAppleMenuItemByResourceId(kCDR_AppleMenuID);
  manager->SetCurrentMenuBar(bar);
  cSpMenu* apple = bar->GetMenuByResourceID(kCDR_AppleMenuID);
  if (apple == nullptr) return MenuSetupFailed(14);
  cSpMenuItem* about = ItemOf(apple, 1);
  if (about == nullptr) return MenuSetupFailed(16);
  about->SetupExecMenuItemProc(CDR_AboutDialog, 0);
  if (ItemOf(apple, 2) == nullptr) return MenuSetupFailed(28);

  cSpMenu* preferences = bar->GetMenuByResourceID(kCDR_PreferenceMenuID);
  if (cSpMenuItem* speed = ItemOf(preferences, 1)) {
    speed->SetupExecMenuItemProc(CDR_CatchSpeedPrefMenuItemCB, 0);
  }
  if (cSpMenuItem* names = ItemOf(preferences, 2)) {
    names->SetupExecMenuItemProc(CDR_CatchFileNameDefPrefMenuItemCB, 0);
  }

  cSpMenu* file = bar->GetMenuByResourceID(CDR_CurrentFileMenuID());
  if (file == nullptr) return MenuSetupFailed(18);
  const struct {
    SInt32 item;
    SInt32 step;
    SpMenuItemExecuteProcPtr proc;
  } fileItems[] = {
      {kCDR_FileCloseItem, 20, CDR_CloseWindowMenuItemProc},
      {kCDR_FileEjectItem, 22, CDR_EjectFrontWindowMenuItemProc},
      {kCDR_FileSaveEachItem, 24, CDR_SaveEachItemIntoEachFileMenuItemProc},
      {kCDR_FileSaveOneItem, 26, CDR_SaveIntoOneFileMenuItemProc},
      {kCDR_FileQuitItem, 30, CDR_QuitMenuItemProc},
  };
  for (const auto& entry : fileItems) {
    if (entry.item == kCDR_FileQuitItem && aqua) continue;
    cSpMenuItem* item = ItemOf(file, entry.item);
    if (item == nullptr) return MenuSetupFailed(entry.step);
    item->SetupExecMenuItemProc(entry.proc, 0);
    if (entry.item == kCDR_FileEjectItem) {
      Sp_DisableMenuItem(CDR_CurrentMenuBarID(), CDR_CurrentFileMenuID(), kCDR_FileEjectItem, 0);
    }
  }
  manager->ReDrawMenu();
  return 1;
}

unsigned char CDR_CatchSpeedPrefMenuItemCB(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                           URefCon) {
  if (mediaManagerObj_GlV != nullptr) mediaManagerObj_GlV->CatchSpeedPreferenceMenuItemCB();
  return 1;
}

unsigned char CDR_CatchFileNameDefPrefMenuItemCB(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                                 URefCon) {
  if (mediaManagerObj_GlV != nullptr) mediaManagerObj_GlV->CatchFileNameDefPreferenceMenuItemCB();
  return 1;
}

unsigned char CDR_CloseWindowMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                          URefCon) {
  Sp_CloseFrontWindow();
  return 1;
}

unsigned char CDR_EjectFrontWindowMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                               URefCon) {
  if (mediaManagerObj_GlV == nullptr) return 0;
  mediaManagerObj_GlV->EjectSelectionCDMediaItem();
  return 1;
}

unsigned char CDR_SaveEachItemIntoEachFileMenuItemProc(cSpMenu*, cSpMenuItem*,
                                                       sSpModifiersDataStruct&, URefCon) {
  if (mediaManagerObj_GlV == nullptr) return 0;
  mediaManagerObj_GlV->SaveFileInMultiTypeFormatIntoEachFile();
  return 1;
}

unsigned char CDR_SaveIntoOneFileMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                              URefCon) {
  if (mediaManagerObj_GlV == nullptr) return 0;
  mediaManagerObj_GlV->SaveFileInMultiTypeFormat();
  return 1;
}

unsigned char CDR_QuitMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon) {
  if (applicationObj_GlV != nullptr) applicationObj_GlV->EndOfApplication();
  return 1;
}

unsigned char CDR_PLAY_StartMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon) {
  return 0;
}
unsigned char CDR_PLAY_StopMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon) {
  return 0;
}
unsigned char CDR_PLAY_PauseMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon) {
  return 0;
}
unsigned char CDR_Track_ReverseMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                            URefCon) {
  return 0;
}
unsigned char CDR_Track_FowardMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                           URefCon) {
  return 0;
}
