// The save set-up: the modal dialog that runs before every save, and the speeds it offers.
//
// CDRMGR_AskSaveSetup asks for the sound-file type, the channels, the compression (through the
// standard sound compression dialog), the speed and, when each selected item is saved into a
// file of its own, the target folder and the file-name definition. It keeps the choices in the
// preference stock under 'FSvI' (see CDMediaMgrSaveSetupDlgItems.cpp for the keys).
//
// The speed popup runs from a start speed to an end speed in steps of an interval; the three
// are kept under SpFourCC("SDlg") (SpFourCC("StSp"), SpFourCC("EdSp"), SpFourCC("Itvl"),
// doubles) and chosen in the speed set-up dialog, CDRMGR_AskSpeedMenuSetup. The media window
// loads them when it is made.
#pragma once

#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "Components.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Files.h"
#include "MacTypes.h"

class cPrefStockFileObj;
class cSp_StringView;
class cSp_Window;
class cTevo_SaveFileNameDefObject;

struct sCDR_SaveSetupDlgSpeedInfo {
  double startSpeed;
  double endSpeed;
  double interval;
};

enum : UInt32 {
  kCDR_SpeedGroup = SpFourCC("SDlg"),
  kCDR_StartSpeedKey = SpFourCC("StSp"),
  kCDR_EndSpeedKey = SpFourCC("EdSp"),
  kCDR_IntervalKey = SpFourCC("Itvl"),
};

// What the save set-up answers; filled only when the user confirms.
struct sCDR_SaveSetupInfo {
  float speed;
  OSType fileType;          // 'AIFF', 'AIFC', 'WAVE', 'MooV' or 'QTnc'
  UInt8 movieFlag;          // on return: 1 exactly for 'MooV'
  OSType compressionType;   // 'twos', 'NONE', 'mp4a', ...
  UInt32 sampleRate;        // 16.16 fixed point, Hz
  SInt16 sampleSize;
  SInt16 channels;
  Handle codecSettings;     // kept only for 'MooV' and 'AIFC'; the caller's after the dialog
  UInt8 folderValid;
  FSRef folder;             // the folder for saving each item into its own file
};

// The save set-up dialog's state for one run.
struct sCDRMGR_AskSaveInfoDlgData {
  UInt8 eachFile;
  sCDR_SaveSetupInfo info;
  ControlRef speedPopup;
  cSp_Window* windowObj;
  cPrefStockFileObj* stock;
  WindowRef window;
  DialogRef dialog;
  SInt16 itemHit;           // 1 OK, 2 Cancel
  UInt8 shrunk;
  SInt16 fullHeight;
  SInt16 shrunkHeight;
  cSp_StringView* compressorView;
  cSp_StringView* rateView;
  cSp_StringView* sizeView;
  cSp_StringView* folderLabelView;
  cSp_StringView* nameLabelView;
  cSp_StringView* folderView;
  cSp_StringView* nameView;
  UInt8 optionsChanged;
  cTevo_SaveFileNameDefObject* definition;
  Point eachFilePoint;      // 'MENP'
  UInt8 eachFilePointValid;
  UInt8 quickTime6;         // QuickTime 6 or later is there
};

enum : DialogItemIndex {
  kCDR_SaveSetupOKItem = 1,
  kCDR_SaveSetupCancelItem = 2,
  kCDR_SaveSetupTypeItem = 3,
  kCDR_SaveSetupSpeedItem = 6,
  kCDR_SaveSetupOptionsItem = 7,
  kCDR_SaveSetupChannelsItem = 8,
  kCDR_SaveSetupCompressorItem = 9,
  kCDR_SaveSetupRateItem = 10,
  kCDR_SaveSetupShrinkItem = 11,
  kCDR_SaveSetupSizeItem = 12,
  kCDR_SaveSetupFolderRowItem = 13,
  kCDR_SaveSetupNameRowItem = 14,
  kCDR_SaveSetupFolderButtonItem = 15,
  kCDR_SaveSetupDefinitionButtonItem = 16,
};

enum : UInt32 {
  kCDR_SaveSetupGroup = SpFourCC("FSvI"),
  kCDR_SaveSpeedKey = SpFourCC("Sped"),
  kCDR_SaveFileTypeKey = SpFourCC("FTyp"),
  kCDR_SaveCompressionKey = SpFourCC("cmpT"),
  kCDR_SaveSampleRateKey = SpFourCC("SmpR"),
  kCDR_SaveSampleSizeKey = SpFourCC("SmpS"),
  kCDR_SaveChannelsKey = SpFourCC("Chnl"),
  kCDR_SaveEachFileFolderKey = SpFourCC("MEDr"),
  kCDR_SaveEachFilePointKey = SpFourCC("MENP"),
  kCDR_MediaWindowGroup = SpFourCC("MMgr"),
  kCDR_EachFileGroup = SpFourCC("MFiE"),
  kCDR_EachFileFolderKey = SpFourCC("FPos"),
};

// ---- The save set-up ------------------------------------------------------------------------

// Runs the dialog: centred in `area` when no place is kept; the caller's rate (16.16), size
// and channels replace whatever the stock holds; `itemCount` chooses the title. 1 on OK with
// `result` filled, 0 on Cancel or failure (result untouched).
unsigned char CDRMGR_AskSaveSetup(Rect& area, cPrefStockFileObj* stock,
                                  sCDR_SaveSetupDlgSpeedInfo speeds, UInt32 sampleRate,
                                  short sampleSize, short channels, sCDR_SaveSetupInfo& result,
                                  unsigned char eachFile, short itemCount);
// 1 and the stored speed when one above 0 is kept, else 0 (speed untouched).
unsigned char CDRMGRFileSaveSetup_GetDefaultSpeed(cPrefStockFileObj* stock, float& speed);
// The default folder for saving each item into its own file ('MMgr' > 'MFiE' > 'FPos').
Boolean CDRMM_GetDefaultStockPositionForMultiFileIntoEachFile(cPrefStockFileObj* stock,
                                                              FSRef& folder);
Boolean CDRMM_SaveDefaultStockPositionForMultiFileIntoEachFile(cPrefStockFileObj* stock,
                                                               FSRef& folder);

// The speeds of the popup: from the start to the end in steps of the interval, each written
// with up to three decimals (at least one); never more than kCDR_MaxSpeedItems, and "1.0"
// alone when the range holds none.
enum : SInt32 { kCDR_MaxSpeedItems = 500 };
std::vector<std::string> CDRMGRFileSaveSetup_SpeedItemTexts(const sCDR_SaveSetupDlgSpeedInfo& speeds);
// The speed rounded to that many decimals (1 to 3), as a speed of the popup is.
double CDRMGRFileSaveSetup_RoundSpeed(double speed, int decimals);

// The set-up helpers, each on the dialog's state (null: reported, nothing done).
void CDRMGRFileSaveSetup_LoadInitialSetup(sCDRMGR_AskSaveInfoDlgData* state, Rect& area);
void CDRMGRFileSaveSetup_InitialSetupDlgItem(sCDRMGR_AskSaveInfoDlgData* state,
                                             const sCDR_SaveSetupDlgSpeedInfo& speeds);
void CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo(sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRFileSaveSetup_GetDialogItemStatus(sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRFileSaveSetup_StockInitialSetup(sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRFileSaveSetup_StockWindowPosit(sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRFileSaveSetup_LoadInitialSetupForSavingMultiFileIntoEachFile(
    sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRFileSaveSetup_StockInitialSetupForSavingMultiFileIntoEachFile(
    sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGR_SetupSaveSetupDlgOptionDlgComponentInfo(sCDRMGR_AskSaveInfoDlgData* state,
                                                    ComponentInstance component);
void CDRMGR_GetSaveSetupDlgOptionDlgComponentInfo(sCDRMGR_AskSaveInfoDlgData* state,
                                                  ComponentInstance component);
// An AIFF-C set-up naming a compression the AIFF-C writer does not write (a movie's AAC kept
// from before) falls back to no compression at 16 bits, without the compressor's settings;
// any other set-up stays as it is.
void CDRMGRFileSaveSetup_FitCompressionToType(sCDR_SaveSetupInfo& info);
// A kept compression whose samples have one size of their own (32-bit float, 24-bit integer)
// keeps that size when the caller's size replaces the kept one: with another size nothing
// could write it.
void CDRMGRFileSaveSetup_FitSampleSizeToCompression(sCDR_SaveSetupInfo& info);
void CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem(sCDRMGR_AskSaveInfoDlgData* state);
void CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(sCDRMGR_AskSaveInfoDlgData* state);
// The file type of a type popup item (1 'AIFF', 2 'WAVE', 3 'MooV', 4 'QTnc', 5 'AIFC', any
// other 'QTnc') and back (any other type: 3).
OSType CDRMGRFileSaveSetup_FileTypeOfItem(SInt32 item);
SInt32 CDRMGRFileSaveSetup_ItemOfFileType(OSType type);
// The extension of a saved file of that type: ".wav", ".aif" or ".mov".
const char* CDRMGRFileSaveSetup_Extension(OSType type);

// The Carbon handlers; the state is the user data.
OSStatus CDMedia_CatchSaveSetupDialogOKButtonForOSXCFMHProc(EventHandlerCallRef, EventRef, void*);
OSStatus CDMedia_CatchSaveSetupDialogCancelButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                void*);
OSStatus CDMedia_CatchSaveSetupDialogOptionButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                void*);
OSStatus CDMedia_CatchSaveSetupDialogSpeedValueChangedForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                     void*);
OSStatus CDMedia_CatchSaveSetupDialogFileTypeChangedForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                   void*);
OSStatus CDMedia_CatchSaveSetupDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                              void*);
OSStatus CDMedia_CatchSaveDirSetupButtonForOSXCFMHProc(EventHandlerCallRef, EventRef, void*);
OSStatus CDMedia_CatchSaveFileNameDefinisionSetupButtonForOSXCFMHProc(EventHandlerCallRef,
                                                                      EventRef, void*);

// ---- The speeds -----------------------------------------------------------------------------

// Copies each of the three values the stock holds into `speeds`; 1 only when all three were
// there. Nothing is created in the stock.
unsigned char CDRMGRSaveSpeedSetup_LoadInitialSetup(cPrefStockFileObj* stock,
                                                    sCDR_SaveSetupDlgSpeedInfo& speeds);

// ---- The speed set-up dialog ----------------------------------------------------------------

enum : DialogItemIndex {
  kCDR_SpeedSetupOKItem = 1,
  kCDR_SpeedSetupCancelItem = 2,
  kCDR_SpeedSetupStartItem = 5,
  kCDR_SpeedSetupEndItem = 6,
  kCDR_SpeedSetupIntervalItem = 8,
};

// The speed set-up dialog's state for one run.
struct sCDRMGR_AskSaveSpeedDlgData {
  sCDR_SaveSetupDlgSpeedInfo speeds;
  ControlRef startPopup;
  ControlRef endPopup;
  ControlRef intervalPopup;
  WindowRef window;
  SInt16 itemHit;  // 1 OK, 2 Cancel
};

// Lets the user choose the start, end and interval from three popups: centred in `area`
// unless a place is kept; `speeds` is read on entry and replaced on OK. The end speed always
// follows the start speed: items at or below it cannot be chosen. 1 on OK, 0 on Cancel or
// failure.
unsigned char CDRMGR_AskSpeedMenuSetup(Rect& area, cPrefStockFileObj* stock,
                                       sCDR_SaveSetupDlgSpeedInfo& speeds, WindowRef window);
// Stores the three values and the dialog's place, making the group and items.
void CDRMGRSaveSpeedSetup_StockInitialSetup(cPrefStockFileObj* stock,
                                            const sCDR_SaveSetupDlgSpeedInfo& speeds);
void CDRMGRSaveSpeedSetup_StockWindowPosit(cSp_Window* window, cPrefStockFileObj* stock);
void CDRMGRSaveSpeedSetup_InitialSetupDlgItem(sCDRMGR_AskSaveSpeedDlgData* state);
// Disables the end items at or below the start speed; an end speed not above the start moves
// to the first item above it (it stays when there is none).
void CDRMGRSaveSpeedSetup_ModifyEndSpeedMenuItemFromStartSpeed(sCDRMGR_AskSaveSpeedDlgData* state);
void CDRMGRSaveSpeedSetup_GetDialogItemStatus(sCDRMGR_AskSaveSpeedDlgData* state);

OSStatus CDMedia_CatchSpeedMenuSetupDialogOKButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                 void*);
OSStatus CDMedia_CatchSpeedMenuSetupDialogCancelButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                     void*);
OSStatus CDMedia_CatchSpeedMenuSetupDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                   void*);
// The start popup changed: the end popup follows it.
OSStatus CDMedia_CatchSpeedMenuSetupDialogStartSpeedChangedForOSXCFMHProc(EventHandlerCallRef,
                                                                          EventRef, void*);
