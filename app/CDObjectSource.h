// The program a person starts: its start-up road, the application object that receives the
// four Apple events, the set-up run when the program opens, the one media manager window, the
// menu bar with its item procedures, and the road by which the program quits.
//
// Start-up (CDR_Main): one copy runs in a user's session. The first takes the session lock
// ("mediamanager" in $XDG_RUNTIME_DIR) for as long as it runs and notes there where its media
// window shows; a second start finds the lock held, brings that window to the front and ends
// before it opens anything. Then the display is chosen and opened, the framework switches to
// Carbon events, the upper libraries install their services, the toolbox starts, then
// QuickTime, the application object is made, picture 2002 is loaded ahead of its use, and the
// event loop runs. The open-application event starts the CD-ROM manager, the menu bar and the
// media window; everything after runs from the loop.
//
// Quitting: the quit Apple event asks the application object, which asks the media window
// (a running save is asked about first); only when it agrees does the loop end. Closing the
// media window and the File menu's Quit lead into the same road.
//
// Failures beep once and leave one error-log record (source "CDObjectSource").
#pragma once

#include <string>

#include "CarbonEvents.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "SpApplicationClass.h"

class cCDR_MediaManager;
class cSp_CDRomManager;
class cSp_Window;
class cSpMenu;
class cSpMenuItem;
struct sNumVersion;
struct sSpModifiersDataStruct;

// ---- The application object -------------------------------------------------------------------
class cCDR_Application : public cSpApplication {
 public:
  cCDR_Application() = default;
  // Runs the open-application set-up.
  void OpenApplicationProc() override;
  // The media window decides; without one the program may quit.
  unsigned char QuitApplicationProc() override;
  // The same set-up as the open-application event.
  void PrintDocumentProc() override;
};

// ---- Globals (zero at start) ---------------------------------------------------------------
extern cCDR_Application* applicationObj_GlV;
extern cCDR_MediaManager* mediaManagerObj_GlV;
extern cSp_CDRomManager* cdRomManagerObj_GlV;
extern unsigned char multiMediaTragetFlag_GlV;

// ---- Start-up and the application ------------------------------------------------------------
// The program: when another copy runs in the session, brings its media window to the front
// (or, when it cannot, says so in one sentence on standard error) and ends with 0. Otherwise
// chooses and opens the display (argv's "--display=..." or SP_DISPLAY; the desktop by
// default), starts everything and runs the event loop. 1 when the display cannot be opened
// (after one sentence on standard error), 0 when start-up fails otherwise, and 0 when the loop
// has ended. A process may run it again while it runs (the lock is its own already).
int CDR_Main(int argc, char** argv);
// Makes the application object; null when it cannot be made.
cCDR_Application* InitializeApplication();
// The open-application set-up; the result of its last step (1 when the window was drawn).
unsigned char CDR_SetupApplication();
// Makes, opens and fills the media window; null when it cannot be made.
cCDR_MediaManager* CDR_InitMeidaManager();
// Destroys the media window object when there is one (the argument is not used).
void CDR_DisposeMediaManager(unsigned long);
cCDR_MediaManager* CDR_GetMediaManagerPtr();
void CDR_SetMultiMediaTargetFlag(unsigned char flag);
unsigned char CDR_GetMultiMediaTargetFlag();
// The CD-ROM manager's CD-change callback: the media window follows the mounted CDs.
void CDR_ChangeCDSetupProc(unsigned long);
// The media window's close callback: the program is asked to quit.
void CDR_CatchMediaMgrWindowCloseCB(unsigned long);
// Registers the application's help book with the help system: its answer, or fnfErr when the
// bundle, its URL or its FSRef cannot be had.
OSStatus RegisterTevonHelpBook();

// ---- Menus ---------------------------------------------------------------------------------
enum : short {
  kCDR_AquaMenuBarID = 505,
  kCDR_ClassicMenuBarID = 502,
  kCDR_AppleMenuID = 500,
  kCDR_PreferenceMenuID = 200,
  kCDR_AquaFileMenuID = 505,
  kCDR_ClassicFileMenuID = 501,
};
enum : SInt32 {
  kCDR_FileCloseItem = 1,
  kCDR_FileEjectItem = 3,
  kCDR_FileSaveEachItem = 4,
  kCDR_FileSaveOneItem = 5,
  kCDR_FileQuitItem = 6,
};
// The Aqua menu layout: Gestalt 'menu' with bit 1 set.
bool CDR_IsAquaMenuLayout();
// The menu bar and File menu of the layout in use.
short CDR_CurrentMenuBarID();
short CDR_CurrentFileMenuID();

// Builds the menu bar and binds the item procedures. 1 when it is in place; on a failure the
// step's code is shown to the person, logged, and the application is asked to end (0).
unsigned char CDR_SetupMenu();

// Item procedures (reference 0).
unsigned char CDR_AboutDialog(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
// The About box (dialog 130) until a click or a key: 1, or 0 when it cannot be made.
// CDR_AboutVersionText: its version line ("Version 1.2.3 Beta").
std::string CDR_AboutVersionText(const sNumVersion& version);
Boolean CDR_AboutDialogFilter(DialogRef dialog, EventRecord* event, short* itemHit);
OSStatus CDAboutDlg_CatchUpdateEventForOSXCFMHProc(EventHandlerCallRef, EventRef, void* about);
OSStatus CDAboutDlg_CatchContentMouseDownForOSXCFMHProc(EventHandlerCallRef, EventRef, void* about);
OSStatus CDAboutDlg_CatchDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef, EventRef, void* about);
unsigned char CDR_CatchSpeedPrefMenuItemCB(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                           URefCon);
unsigned char CDR_CatchFileNameDefPrefMenuItemCB(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                                 URefCon);
unsigned char CDR_CloseWindowMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
unsigned char CDR_EjectFrontWindowMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                               URefCon);
unsigned char CDR_SaveEachItemIntoEachFileMenuItemProc(cSpMenu*, cSpMenuItem*,
                                                       sSpModifiersDataStruct&, URefCon);
unsigned char CDR_SaveIntoOneFileMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                              URefCon);
unsigned char CDR_QuitMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
// Offered for a Play menu, bound to no item: each does nothing and answers 0.
unsigned char CDR_PLAY_StartMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
unsigned char CDR_PLAY_StopMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
unsigned char CDR_PLAY_PauseMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon);
unsigned char CDR_Track_ReverseMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                            URefCon);
unsigned char CDR_Track_FowardMenuItemProc(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&,
                                           URefCon);
