// Programs: item lists, kind, run flags and the stop road of a save.
#include "SpCDROMProgram.h"

#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCDROMProgram.cpp";

}  // namespace

void cSp_CDRProgramBaseObj::StartUpInitialize() {
  generationCounter_ = 0;
  cdProgram_ = 0;
  cd_ = nullptr;
  fileProgram_ = 0;
  stopRequest_ = 0;
  itemCount_ = 0;
  itemHead_ = nullptr;
  itemTail_ = nullptr;
  currentItem_ = nullptr;
  playing_ = 0;
  paused_ = 0;
  bufferSet_ = nullptr;
  saveRunning_ = 0;
  saveSpeed_ = 1.0f;
  saveProgressProc_ = nullptr;
  saveProgressRefCon_ = 0;
  saveEndProc_ = nullptr;
  saveEndRefCon_ = 0;
  stopProc_ = nullptr;
  stopRefCon_ = 0;
}

cSp_CDRProgramBaseObj::~cSp_CDRProgramBaseObj() {
  SpDeleteList(itemHead_);
}

// ---- Items ----------------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::RenumberItems() {
  if (itemHead_ == nullptr) return;
  itemHead_->SetupReferenceNo(1);
  itemHead_->SetupNormaReferenceNoToReferenceNo(1);
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::NewProgramItem(short where) {
  cSp_CDRProgramItemObj* item = new (std::nothrow) cSp_CDRProgramItemObj();
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRProgramBaseObj::NewProgramItem", 1, kSpMsgMemory, item);
  }
  cSp_CDRProgramItemObj* after = where == 0 ? nullptr : itemTail_;
  if (where > 0) {
    if (cSp_CDRProgramItemObj* numbered = GetProgramItem(UInt32(where))) after = numbered;
  }
  if (after == nullptr) {
    if (itemHead_ != nullptr) item->LinkToNext(itemHead_);
    itemHead_ = item;
  } else {
    after->LinkToNext(item);
  }
  if (item->GetNextObjectPtr() == nullptr) itemTail_ = item;
  ++itemCount_;
  item->SetupGenerationNo(++generationCounter_);
  RenumberItems();
  return item;
}

Boolean cSp_CDRProgramBaseObj::DisposeItem(UInt32 refNo) {
  return DisposeItem(GetProgramItem(refNo));
}

Boolean cSp_CDRProgramBaseObj::DisposeItem(cSp_CDRProgramItemObj* item) {
  if (item == nullptr) return false;
  cSp_CDRProgramItemObj* found = itemHead_;
  while (found != nullptr && found != item) found = found->GetNextObjectPtr();
  if (found == nullptr) {
    return SpReportFailure(kSource, "cSp_CDRProgramBaseObj::DisposeItem", 3, kSpMsgDataError,
                           Boolean(false));
  }
  cSp_CDRProgramItemObj* before = item->GetBeforeObjectPtr();
  cSp_CDRProgramItemObj* rest = item->UnlinkNext();
  if (before != nullptr) {
    before->UnlinkNext();
    if (rest != nullptr) before->LinkToNext(rest);
  } else {
    itemHead_ = rest;
  }
  itemTail_ = itemHead_ == nullptr ? nullptr : itemHead_->GetLastObjectPtr();
  // Out of the play chain too.
  cSp_CDRProgramItemObj* chainBefore = item->GetTargetBeforeObjectPtr();
  cSp_CDRProgramItemObj* chainRest = item->UnlinkTargetNext();
  if (chainBefore != nullptr) {
    chainBefore->UnlinkTargetNext();
    if (chainRest != nullptr) chainBefore->LinkToTargetNext(chainRest);
  }
  if (currentItem_ == item) currentItem_ = nullptr;
  delete item;
  --itemCount_;
  RenumberItems();
  return true;
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::GetProgramItem(UInt32 refNo) const {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (UInt32(item->GetReferenceNo()) == refNo) return item;
  }
  return nullptr;
}

cSp_CDRProgramItemObj* cSp_CDRProgramBaseObj::GetProgramItemFromGenerationRefNum(
    UInt32 generation) const {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetGenerationNo() == generation) return item;
  }
  return nullptr;
}

// ---- Kind -----------------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::SetupCDProgram(cSp_CDRomMediaDataObj* cd) {
  cdProgram_ = 1;
  cd_ = cd;
}

Boolean cSp_CDRProgramBaseObj::IsOneCDRomProgram(cSp_CDRomMediaDataObj** cd) const {
  if (cd != nullptr) *cd = cd_;
  return cdProgram_;
}

short cSp_CDRProgramBaseObj::GetProgramType() const {
  if (itemHead_ == nullptr) return kSpProgramTypeEmpty;
  if (cdProgram_) return kSpProgramTypeCD;
  if (itemCount_ == 1 && itemHead_->GetItemType() == kSpCDRProgItemSoundFile)
    return kSpProgramTypeOneFile;
  return kSpProgramTypeMixed;
}

// ---- The CD going away ----------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::HoldsCDMedia(const cSp_CDRomMediaDataObj* cd) const {
  if (cd == nullptr) return false;
  if (cd_ == cd) return true;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetCDMedia() == cd) return true;
  }
  return false;
}

void cSp_CDRProgramBaseObj::MarkCDGone(const cSp_CDRomMediaDataObj* cd) {
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (cd != nullptr && item->GetCDMedia() == cd) item->SetupCDGoneFlag();
  }
}

void cSp_CDRProgramBaseObj::ForgetCDMedia(const cSp_CDRomMediaDataObj* cd) {
  if (cd == nullptr) return;
  if (cd_ == cd) cd_ = nullptr;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetCDMedia() == cd) item->ForgetCDMedia();
  }
}

// ---- Run ------------------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::BorrowBufferSet() {
  if (bufferSet_ != nullptr) return true;
  cSp_CDRomManager* manager = Sp_GetCDRomManager();
  if (manager == nullptr) return false;
  bufferSet_ = manager->GetBuffSetToProgramBase(this);
  return bufferSet_ != nullptr;
}

OSErr cSp_CDRProgramBaseObj::StopTheMusic() {
  if (playing_) {
    paused_ = 0;
    if (bufferSet_ != nullptr) {
      if (cSp_CDRomManager* manager = Sp_GetCDRomManager()) manager->ReturnBufferSet(bufferSet_);
      bufferSet_ = nullptr;
    }
    if (stopProc_ != nullptr) stopProc_(stopRefCon_);
  }
  currentItem_ = itemHead_;
  return noErr;
}

// ---- The save road --------------------------------------------------------------------------

OSErr cSp_CDRProgramBaseObj::StartSaveAndPlayEventLoop() {
  playing_ = 1;
  saveRunning_ = 1;
  return noErr;
}

Boolean cSp_CDRProgramBaseObj::SerchStopSaveProgram() {
  if (!stopRequest_) return false;
  saveRunning_ = 0;
  StopTheMusic();
  EndOfSaveProgItem(1);
  stopRequest_ = 0;
  return true;
}

void cSp_CDRProgramBaseObj::EndOfSaveProgItem(unsigned char stopped) {
  saveRunning_ = 0;
  playing_ = 0;
  if (saveEndProc_ != nullptr) saveEndProc_(this, stopped, saveEndRefCon_);
}

void cSp_CDRProgramBaseObj::SaveQTFileTrack_ForEventLoopNormalForwordSpeed() {
  AskStopWithoutSaveContext();
}

void cSp_CDRProgramBaseObj::SaveQTFileTrack_ForMultiSpeedByFullScaleOverlap() {
  AskStopWithoutSaveContext();
}

void cSp_CDRProgramBaseObj::WriteSoundDataIntoNormalFileForEventLoop() {
  AskStopWithoutSaveContext();
}

void cSp_CDRProgramBaseObj::WriteSoundDataIntoQuickTimeFileForEventLoop() {
  AskStopWithoutSaveContext();
}

void cSp_CDRProgramBaseObj::LoadAndConvertSoundDataForSaveAIFFC_ForEventLoop() {
  AskStopWithoutSaveContext();
}

void cSp_CDRProgramBaseObj::WriteSoundDataIntoAIFFCwithConverter_ForEventLoop() {
  AskStopWithoutSaveContext();
}
