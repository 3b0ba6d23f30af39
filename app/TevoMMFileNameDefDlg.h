// The file-name definition dialog: seven popups, one per name part, and an example of the name
// they make. Kind 1 edits both definitions (saving into one file and saving each item into its
// own), switched by an output-type popup; kind 2 or 3 edits that one definition only. The
// dialog works on copies and gives changes back to the caller's definitions only on OK;
// writing them into their files is the caller's business. Kind 1 keeps its place and the
// definition shown under 'FDDg' ('WPos', 'opTp').
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacTypes.h"
#include "TevoSaveFileNameDefObj.h"

class cPrefStockFileObj;
class cSp_StringView;
class cSp_Window;

enum : DialogItemIndex {
  kTevo_DefDlgOKItem = 1,
  kTevo_DefDlgCancelItem = 2,
  kTevo_DefDlgExampleItem = 3,
  kTevo_DefDlgFirstPartItem = 4,
  kTevo_DefDlgLastPartItem = 10,
  kTevo_DefDlgFirstPlusItem = 11,
  kTevo_DefDlgLastPlusItem = 16,
  kTevo_DefDlgOutputTypeItem = 17,
};
enum : SInt32 { kTevo_DefDlgPartCount = 7, kTevo_DefDlgPopupItemCount = 22 };

enum : UInt32 {
  kTevo_DefDlgBothGroup = SpFourCC("FDDg"),
  kTevo_DefDlgOneFileGroup = SpFourCC("OFSg"),
  kTevo_DefDlgEachFileGroup = SpFourCC("MFSg"),
  kTevo_DefDlgOutputTypeKey = SpFourCC("opTp"),
};

// The dialog's state for one run.
struct sTevo_MediaMgrFileDefDlgData {
  cSp_Window* windowObj;
  DialogRef dialog;
  cTevo_SaveFileNameDefObject* oneFileCopy;
  cTevo_SaveFileNameDefObject* eachFileCopy;
  ControlRef partPopups[kTevo_DefDlgPartCount];
  ControlRef outputTypePopup;
  UInt8 updating;
  SInt16 itemHit;  // 1 OK, 2 Cancel
  cSp_StringView* exampleView;
  float speed;
  tTevo_FileNameDefDlgType kind;
  tTevo_FileNameDefDlgType outputType;
  UInt8 oneFileModified;
  UInt8 eachFileModified;
  cSp_StringView* labelView;
  cSp_StringView* plusViews[6];
};

// Runs the dialog over the caller's definitions (either may be null, not both). `area`
// centres kinds 2 and 3; kind 1 opens a third of the way into it unless a place is kept. True
// when the user pressed OK.
Boolean TevoMMFNDef_OpenAndSetupFileNameDefinition(Rect& area, cPrefStockFileObj* stock,
                                                   float speed, tTevo_FileNameDefDlgType kind,
                                                   cTevo_SaveFileNameDefObject* oneFile,
                                                   cTevo_SaveFileNameDefObject* eachFile);

// The popup item of a kind (0 for kind 3, which has none) and the kind of a popup item
// (0 for the no-part item, the items between groups and any unknown item).
SInt32 TevoMMFNDef_NameDefinitionNoToNameDefinitionPopupItemNo(tSaveFileNameDefType kind);
tSaveFileNameDefType TevoMMFNDef_NameDefinitionPopupItemNoToNameDefinitionNo(SInt32 item);

// The kept place and output type of the kind's group: true when either was found. A stored
// output type other than 2 or 3 reads as 3. Saving makes the group; an unknown kind stores
// nothing.
Boolean TevoMMFNDef_GetFileNameSetupDlgPreference(cPrefStockFileObj* stock,
                                                  tTevo_FileNameDefDlgType kind, Point* position,
                                                  tTevo_FileNameDefDlgType* outputType);
void TevoMMFNDef_SaveFileNameSetupDlgPreference(cPrefStockFileObj* stock,
                                                tTevo_FileNameDefDlgType kind, Point* position,
                                                tTevo_FileNameDefDlgType* outputType);

void TevoMMFNDef_ChangeOutputType(sTevo_MediaMgrFileDefDlgData* state,
                                  tTevo_FileNameDefDlgType outputType, unsigned char force);
void TevoMMFNDef_SetupFileNameExpString(sTevo_MediaMgrFileDefDlgData* state,
                                        cTevo_SaveFileNameDefObject* definition);
unsigned char TevoMMFNDef_ModifyFileNameDefFromDialogStatus(
    sTevo_MediaMgrFileDefDlgData* state, cTevo_SaveFileNameDefObject* definition);
// The copy being edited: by the kind, or for kind 1 by the output type.
cTevo_SaveFileNameDefObject* CDMedia_GetCurrentTargetFileNameDefObjPtr(
    sTevo_MediaMgrFileDefDlgData* state);

OSStatus CDMedia_CatchFileNameDefinisionDialogOKButtonProc(EventHandlerCallRef, EventRef, void*);
OSStatus CDMedia_CatchFileNameDefinisionDialogCancelButtonProc(EventHandlerCallRef, EventRef,
                                                               void*);
OSStatus CDMedia_CatchFileNameDefinisionDialogNameDefPopupModifyProc(EventHandlerCallRef, EventRef,
                                                                     void*);
OSStatus CDMedia_CatchFileNameDefinisionDialogOutputTypePopupModifyProc(EventHandlerCallRef,
                                                                        EventRef, void*);
OSStatus CDMedia_CatchFileNameDefinisionDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef,
                                                                       EventRef, void*);
