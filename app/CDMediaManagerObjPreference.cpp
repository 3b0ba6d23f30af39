// The two preference commands of the media window: the speeds the save set-up offers, and the
// file-name rules of both ways of saving.
#include <memory>

#include "CDMediaManagerObj.h"
#include "CDMediaMgrFileName.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "TevoMMFileNameDefDlg.h"
#include "TevoSaveFileNameDefObj.h"

namespace {

const char kSource[] = "CDMediaManagerObjPreference";

// A definition of that kind loaded from its file, or the default one.
std::unique_ptr<cTevo_SaveFileNameDefObject> LoadDefinition(short vRefNum, SInt32 dirID,
                                                            tTevo_FileNameDefDlgType kind) {
  std::unique_ptr<cTevo_SaveFileNameDefObject> definition(new (std::nothrow)
      cTevo_SaveFileNameDefObject(vRefNum, dirID, Tevo_FileNameDefFileName(kind)));
  if (definition == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::CatchFileNameDefPreferenceMenuItemCB", 2,
                    kSpMsgMemory);
    return definition;
  }
  if (!definition->LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() ||
      !definition->CheckExistAbalableItem()) {
    definition->DefaultSetup();
  }
  return definition;
}

}  // namespace

void cCDR_MediaManager::CatchSpeedPreferenceMenuItemCB() {
  Sp_DisableMouseTrace();
  Rect content = {0, 0, 0, 0};
  GetContentAreaOnGlobal(content);
  CDRMGR_AskSpeedMenuSetup(content, GetPrefStockFile(), speedSetup_, GetWindowRef());
  Sp_EnableMouseTrace(1);
}

void cCDR_MediaManager::CatchFileNameDefPreferenceMenuItemCB() {
  short vRefNum = 0;
  SInt32 dirID = 0;
  Sp_DisableMouseTrace();
  if (CDRMMgr_GetFileNameDefFolder(vRefNum, dirID)) {
    auto oneFile = LoadDefinition(vRefNum, dirID, kTevo_FileNameDefIntoOneFile);
    auto eachFile = LoadDefinition(vRefNum, dirID, kTevo_FileNameDefIntoEachFile);
    float speed = 2.0f;
    CDRMGRFileSaveSetup_GetDefaultSpeed(GetPrefStockFile(), speed);
    Rect content = {0, 0, 0, 0};
    GetContentAreaOnGlobal(content);
    if (oneFile != nullptr && eachFile != nullptr &&
        TevoMMFNDef_OpenAndSetupFileNameDefinition(content, GetPrefStockFile(), speed,
                                                   kTevo_FileNameDefBoth, oneFile.get(),
                                                   eachFile.get())) {
      oneFile->SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder();
      eachFile->SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder();
    }
  }
  Sp_EnableMouseTrace(1);
}
