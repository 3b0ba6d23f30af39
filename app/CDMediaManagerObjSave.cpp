// What the list of added sound files shares with the media window: the making of a sound
// file's media item.
#include <string>
#include <vector>

#include "CDMediaManagerObj.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpProgressBarWinObject.h"
#include "SpStdSayDialog.h"

namespace {

const char kSource[] = "CDMediaManagerObj";

}  // namespace

unsigned char cCDR_MediaManager::CreateNewMusicFileMediaItem(
    short vRefNum, SInt32 dirID, const char* name, const char* longName, unsigned char select,
    unsigned char renumber, cCDR_MediaItem*, short position, unsigned char clearSelectionFirst,
    const sSpMusicFileInfo* info, unsigned char* selectionCleared, cCDR_MediaItem** newItem,
    unsigned char* engineFlag) {
  static const char kMethod[] = "cCDR_MediaManager::CreateNewMusicFileMediaItem";
  if (selectionCleared != nullptr) *selectionCleared = 0;
  if (newItem != nullptr) *newItem = nullptr;
  if (engineFlag != nullptr) *engineFlag = 0;
  if (name == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  cSp_CDRomManager* engine = Sp_GetCDRomManager();
  if (engine == nullptr) return 0;
  cSp_CDRProgramBaseObj* program =
      engine->CreateSoundFileProgram(vRefNum, dirID, name, longName, info, engineFlag);
  if (program == nullptr) return 0;
  cSp_CDRProgramItemObj* first = program->GetFirstProgramItem();
  const char* title = first != nullptr && first->GetTitle()[0] != 0 ? first->GetTitle() : name;
  if (clearSelectionFirst != 0) {
    ClearMediaListSelection(0);
    if (selectionCleared != nullptr) *selectionCleared = 1;
  }
  const SInt32 referenceNo = GetNewMediaItemReferenceNo();
  auto* item = new (std::nothrow) cCDR_MediaItem(referenceNo, name, title, this);
  if (item == nullptr) {
    Sp_CDDisposeProgram(program);
    return SpReportFailure(kSource, kMethod, 2, "cannot memory allocated for media item object !! ",
                           (unsigned char)0);
  }
  item->SetupBeforePlayStartCB(CDRObj_CatchMediaItemBefPlayCB,
                               reinterpret_cast<unsigned long>(this));
  LinkToMeidaItemList(item, position == -1 ? referenceNo : position, 0);
  item->SetupProgram(program);
  program->SetupStopProc(CDRO_EndOfPlay_CounterProc, reinterpret_cast<unsigned long>(item));
  item->ChangeMediaItemTitleOutputType(nameOption_ == 0 ? 1 : 0);
  if (select != 0) {
    const short row = GetMediaItemListTargetItemRowNo(item, 0);
    if (row > 0) AddTargetMediaItemSelection(item, nullptr, row, 0, 1, renumber, 0);
  }
  if (newItem != nullptr) *newItem = item;
  return 1;
}
