// The existing-name dialog: when saving each item into its own file finds that the name built
// for an item is taken in the target folder, it asks what to do: save under a new name, add a
// number, delete the old file, or skip the item; and, when more items follow, whether the
// answer holds for them too. The last answer and the window's place are kept in the
// preference stock under 'FNMD' ('WPos' point, 'MdTp' the radio item 5 to 8, 'EnAf' the
// after-file flag).
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacTypes.h"

class cPrefStockFileObj;
class cSp_StringView;
class cSp_Window;

// The choice and the radio button that stands for it.
typedef UInt8 tSaveFileNameModifyProcType;
enum : tSaveFileNameModifyProcType {
  kQel_SaveFileNameNoChoice = 0,
  kQel_SaveFileNameNewName = 1,       // radio 5
  kQel_SaveFileNameAutoNumber = 2,    // radio 6
  kQel_SaveFileNameDeleteOld = 3,     // radio 7
  kQel_SaveFileNameSkipItem = 4,      // radio 8
};

struct sQel_SaveFileNameProcTypeInfo {
  tSaveFileNameModifyProcType choice;
  UInt8 afterFile;  // 1: the same for the following items
};

enum : DialogItemIndex {
  kQel_NextStepItem = 1,
  kQel_CancelItem = 2,
  kQel_FirstRadioItem = 5,
  kQel_LastRadioItem = 8,
  kQel_AfterFileItem = 9,
  kQel_FirstTextItem = 10,
  kQel_SecondTextItem = 11,
  kQel_ExplanationItem = 12,
};

enum : SInt16 { kQel_ExistingNameDialogID = 153 };
enum : UInt32 {
  kQel_ExistingNameGroup = SpFourCC("FNMD"),
  kQel_ChoiceKey = SpFourCC("MdTp"),
  kQel_AfterFileKey = SpFourCC("EnAf"),
};

// What the dialog came to. A caller stops its run on a failure and skips the item on Cancel.
enum : short {
  kQel_AskFailed = -1,
  kQel_AskCancelled = 0,
  kQel_AskAnswered = 1,
};

// The dialog's state for one run.
struct sQel_SaveFileNameModifyProcTypeDlgData {
  cSp_Window* windowObj;
  DialogRef dialog;
  SInt32 result;       // 0 none yet, 1 the next-step button, 2 Cancel
  SInt32 radioItem;    // 5 to 8
  UInt8 afterFile;
  ControlRef controls[5];  // items 5, 6, 7, 8 and 9
};

// Asks what to do with the item `first` (its name) whose file name `second` exists;
// `following` 1 when more items follow. kQel_AskAnswered fills `result` and sets `goOn` to 1;
// kQel_AskCancelled (Cancel, Escape) and kQel_AskFailed (the dialog could not be shown,
// reported) leave `result` untouched and `goOn` 0.
short Qel_AskFileSavingMethodForAutoFilingProcess(cPrefStockFileObj* stock, const char* first,
                                                  const char* second, unsigned char following,
                                                  sQel_SaveFileNameProcTypeInfo& result,
                                                  unsigned char& goOn);

// Radio items and choices; anything else maps to 0.
tSaveFileNameModifyProcType QelSaveSetup_GetModifyTypeFromModifyTypeRadioButtonItemNo(SInt32 item);
SInt32 QelSaveSetup_GetModifyTypeRadioButtonItemNoFromModifyType(tSaveFileNameModifyProcType type);

// The stored values; each reads or writes nothing when the stock is null (reported) and reads
// nothing when the group or item is missing. Saving makes them.
void QelSaveSetup_LoadWindowInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                Point* position,
                                                                unsigned char* found);
void QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                Point* position);
void QelSaveSetup_LoadDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(
    cPrefStockFileObj* stock, SInt32* radioItem, unsigned char* radioFound,
    unsigned char* afterFile, unsigned char* afterFileFound);
void QelSaveSetup_SaveDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                         SInt32* radioItem,
                                                                         unsigned char* afterFile);

// Selects the radio item (with `force` even when it is selected already).
void QelSaveSetup_RadioButtonSelect(sQel_SaveFileNameModifyProcTypeDlgData* state, SInt32 item,
                                    unsigned char force);

// Where the window opens: the stored place kept 20 pixels inside the screen where it leaves
// it; without one, centred across and with its top two thirds of its height above the
// screen's middle.
Point QelSaveSetup_WindowPosition(Point stored, bool haveStored, Point size);

// The Carbon handlers; each answers paramErr without state.
OSStatus QelSaveSetup_CatchExecuteNextStepButtonProc(EventHandlerCallRef, EventRef, void* state);
OSStatus QelSaveSetup_CatchCancelButtonProc(EventHandlerCallRef, EventRef, void* state);
OSStatus QelSaveSetup_CatchSetupNewNameTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                           void* state);
OSStatus QelSaveSetup_CatchAutoSetNoInNameTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                              void* state);
OSStatus QelSaveSetup_CatchDeleteOldFileTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                            void* state);
OSStatus QelSaveSetup_CatchNonSaveNewFileOnExistAlreadyTypeRadioButtonProc(EventHandlerCallRef,
                                                                           EventRef, void* state);
OSStatus QelSaveSetup_CatchAfterFileEnableCheckBoxProc(EventHandlerCallRef, EventRef, void* state);
// Return and Enter go on, Escape and Command-period cancel.
OSStatus QelSaveSetup_CatchKeyRowDownProc(EventHandlerCallRef, EventRef, void* state);
