// Program items: CD tracks and sound files of a program.
#include "SpCDR_ProgramItemObj.h"

#include <cstring>

#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"

void cSp_CDRProgramItemObj::StartUpInitialize() {
  referenceNo_ = 0;
  normalReferenceNo_ = 0;
  generationNo_ = 0;
  cdGone_ = 0;
  type_ = kSpCDRProgItemCDTrack;
  cd_ = nullptr;
  track_ = nullptr;
  start_.StartUpInitialize();
  end_.StartUpInitialize();
  length_ = 0;
  realStart_.StartUpInitialize();
  realEnd_.StartUpInitialize();
  vRefNum_ = 0;
  dirID_ = 0;
  fileName_[0] = 0;
  title_[0] = 0;
  fileID_ = 0;
  qtFile_ = nullptr;
}

Boolean cSp_CDRProgramItemObj::SetupFileProgramInfo(short vRefNum, SInt32 dirID,
                                                    const char* fileName, const char* title,
                                                    tCDRProgItemType type,
                                                    const sSpMusicFileInfo* info,
                                                    unsigned char* error) {
  type_ = type;
  vRefNum_ = vRefNum;
  dirID_ = dirID;
  SpCDR_CopyText(fileName_, sizeof fileName_, fileName);
  SpCDR_CopyText(title_, sizeof title_, title);
  fileID_ = 0;
  if (error != nullptr) *error = 0;
  cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(1);
  if (media != nullptr) {
    const unsigned char isTrack = type == kSpCDRProgItemCDTrack;
    qtFile_ =
        media->GetQTFileMediaObjPtr(vRefNum_, dirID_, fileName_, isTrack, info == nullptr, error);
    if (qtFile_ == nullptr && info != nullptr) {
      qtFile_ = media->CreateNewQTFileMediaObjFromMusicFileInfo(vRefNum_, dirID_, fileName_,
                                                                isTrack, info);
    }
  }
  // The file's object looked its number up when it was made: one look-up serves both.
  if (qtFile_ != nullptr && qtFile_->GetFileID() != 0) {
    fileID_ = qtFile_->GetFileID();
  } else if (Sp_GetFileIdFromFileNameInDirId(vRefNum_, dirID_, fileName_, fileID_) != noErr) {
    fileID_ = 0;
  }
  return qtFile_ != nullptr;
}

void cSp_CDRProgramItemObj::SetupReferenceNo(unsigned char all) {
  for (cSp_CDRProgramItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    const cSp_CDRProgramItemObj* before = item->GetBeforeObjectPtr();
    item->referenceNo_ = before == nullptr ? 1 : before->referenceNo_ + 1;
    if (!all) break;
  }
}

void cSp_CDRProgramItemObj::SetupNormaReferenceNoToReferenceNo(unsigned char all) {
  for (cSp_CDRProgramItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    item->normalReferenceNo_ = UInt32(item->referenceNo_);
    if (!all) break;
  }
}

Boolean cSp_CDRProgramItemObj::GetMusicTitleForSaveFile(char* buffer, SInt32 size,
                                                        unsigned char* error) {
  if (buffer == nullptr || size <= 2) return false;
  if (type_ == kSpCDRProgItemCDTrack) return GetCDDBTrackSongTitle(buffer, size, error);
  if (type_ != kSpCDRProgItemSoundFile) return false;
  const char* text = qtFile_ != nullptr ? qtFile_->GetTitle() : "";
  if (text[0] == 0) text = title_;
  if (text[0] == 0) text = fileName_;
  std::size_t length = std::strlen(text);
  if (length > std::size_t(size - 2)) length = std::size_t(size - 2);
  std::memcpy(buffer, text, length);
  buffer[length] = 0;
  return true;
}

Boolean cSp_CDRProgramItemObj::GetCDDBTrackSongTitle(char* buffer, SInt32 size,
                                                     unsigned char* error) {
  if (type_ != kSpCDRProgItemCDTrack || cd_ == nullptr || track_ == nullptr) return false;
  return cd_->GetCDTrackTitle(short(track_->trackNo), buffer, size, error);
}

Boolean cSp_CDRProgramItemObj::GetCDTrackPlayTime(short* minutes, short* seconds, short* frames) {
  cDiscPosition length;
  Sp_SectorToCDPosition(length_, &length);
  if (minutes != nullptr) *minutes = short(length.minutes);
  if (seconds != nullptr) *seconds = short(length.seconds);
  if (frames != nullptr) *frames = short(length.frames);
  return true;
}

Boolean cSp_CDRProgramItemObj::GetFileProgramItemSize(SInt32& size) {
  if (qtFile_ != nullptr && qtFile_->GetFileSize() != 0) {
    size = SInt32(qtFile_->GetFileSize());
    return true;
  }
  if (fileName_[0] == 0) return false;
  SInt32 physical = 0;
  if (Sp_GetFileSize(vRefNum_, dirID_, fileName_, nullptr, &physical, nullptr, nullptr, nullptr,
                     nullptr) != noErr) {
    return false;
  }
  size = physical;
  return true;
}

void cSp_CDRProgramItemObj::CopyDataFromTarget(const cSp_CDRProgramItemObj* source) {
  if (source == nullptr || source == this) return;
  type_ = source->type_;
  cd_ = source->cd_;
  track_ = source->track_;
  start_ = source->start_;
  end_ = source->end_;
  length_ = source->length_;
  realStart_ = source->realStart_;
  realEnd_ = source->realEnd_;
  vRefNum_ = source->vRefNum_;
  dirID_ = source->dirID_;
  std::memcpy(fileName_, source->fileName_, sizeof fileName_);
  std::memcpy(title_, source->title_, sizeof title_);
  fileID_ = source->fileID_;
  qtFile_ = source->qtFile_;
}

void cSp_CDRProgramItemObj::Splice(LinkPair links, cSp_CDRProgramItemObj* chain) {
  if (chain == nullptr || chain == this) return;
  cSp_CDRProgramItemObj* last = chain->Last(links);
  cSp_CDRProgramItemObj* former = (this->*links).next;
  (last->*links).next = former;
  if (former != nullptr) (former->*links).before = last;
  (this->*links).next = chain;
  (chain->*links).before = this;
}

cSp_CDRProgramItemObj* cSp_CDRProgramItemObj::Cut(LinkPair links) {
  cSp_CDRProgramItemObj* rest = (this->*links).next;
  if (rest != nullptr) (rest->*links).before = nullptr;
  (this->*links).next = nullptr;
  return rest;
}

cSp_CDRProgramItemObj* cSp_CDRProgramItemObj::Last(LinkPair links) {
  cSp_CDRProgramItemObj* item = this;
  while ((item->*links).next != nullptr) item = (item->*links).next;
  return item;
}

void cSp_CDRProgramItemObj::SetupFileLength(float seconds) {
  Sp_SecondToCDPosition(seconds, end_);
  length_ = Sp_CDPositionToSector(&end_);
}

Boolean cSp_CDRProgramItemObj::RenewSoundFile(unsigned char* error) {
  if (error != nullptr) *error = 0;
  if (type_ != kSpCDRProgItemSoundFile || qtFile_ == nullptr) return false;
  if (!qtFile_->RenewSoundSampleDataInfo(error)) return false;
  fileID_ = qtFile_->GetFileID();
  SetupFileLength(qtFile_->GetSeconds());
  return true;
}

void cSp_CDRProgramItemObj::SetupFileLocation(SInt32 dirID, const char* fileName) {
  dirID_ = dirID;
  SpCDR_CopyText(fileName_, sizeof fileName_, fileName);
}

void cSp_CDRProgramItemObj::SetupCDTrack(cSp_CDRomMediaDataObj* cd, sTrackDataForOSX* track) {
  cd_ = cd;
  track_ = track;
  if (track == nullptr) return;
  start_ = track->startPosition;
  end_ = track->endPosition;
  // The end position is where the next track starts: the distance is the track's length.
  length_ = SInt32(Sp_GetLengthCDPosition(&start_, &end_, nullptr) & 0x7FFFFFFF);
  realStart_ = start_;
  realEnd_ = end_;
}

void cSp_CDRProgramItemObj::ForgetCDMedia() {
  cd_ = nullptr;
  track_ = nullptr;
  cdGone_ = 1;
}
