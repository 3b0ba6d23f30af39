// What saving and the list of added sound files share with the media window: whether a save
// runs, the question asked before a running save is stopped, and the making of a sound file's
// media item.
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

std::vector<char> Writable(const char* utf8) {
  const std::string text = SpCDR_MJ(utf8);
  std::vector<char> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

bool cCDR_MediaManager::IsSaveRunning() const {
  return saveProgram != nullptr && saveProgram->IsSaveRunning() != 0;
}

// The program writes no files: the save commands leave the selection as it is.
void cCDR_MediaManager::SaveFileInMultiTypeFormat() {}
void cCDR_MediaManager::SaveFileInMultiTypeFormatIntoEachFile() {}

// The writing pauses while the question is up, so that no step runs meanwhile.
unsigned char cCDR_MediaManager::CatchProgressBarDlgCancelButtonCB() {
  if (saveProgram == nullptr) {
    return SpReportFailure(kSource, "cCDR_MediaManager::CatchProgressBarDlgCancelButtonCB", 1,
                           kSpMsgDataError, (unsigned char)1);
  }
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseStart();
  WindowRef parent = progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef();
  std::vector<char> title = Writable("保存の中止");
  std::vector<char> message = Writable("保存の中止が指示されました。中止してよろしいですか？");
  std::vector<char> keepOn = Writable("そのまま続ける");
  short answer = 0;
  if (eachFileMode != 0 && saveItemIndex + 1 < saveItemCount) {
    std::vector<char> stopAll = Writable("全ての保存を中止する");
    std::vector<char> next = Writable("次の保存を実行");
    answer = SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                                message.data(), stopAll.data(), keepOn.data(),
                                                next.data());
  } else {
    std::vector<char> stop = Writable("保存を中止する");
    answer = SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                              message.data(), stop.data(), keepOn.data());
  }
  if (answer == 1 || answer == 3) {
    stopAllAnswer = answer == 1 ? 1 : 0;
    saveProgram->StopSaveProgram();
    return 1;
  }
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd();
  return 0;
}

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
