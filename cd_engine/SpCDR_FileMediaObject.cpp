// Sound-file media and the sSpMusicFileInfo record.
#include "SpCDR_FileMediaObject.h"

#include <cstring>

#include "ByteOrder.h"
#include "Movies.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"

namespace {

const char kSource[] = "SpCDR_FileMediaObject.cpp";

SpCDR_FileIconProcPtr gFileIconProc = nullptr;

}  // namespace

void SpCDR_CopyText(char* out, std::size_t size, const char* text) {
  std::size_t length = text == nullptr ? 0 : strnlen(text, size - 1);
  if (length > 0) std::memcpy(out, text, length);
  out[length] = 0;
}

// ---- sSpMusicFileInfo ---------------------------------------------------------------------

void SpCDR_WriteMusicFileInfoBytes(const sSpMusicFileInfo& info, UInt8 out[kSpMusicFileInfoSize]) {
  sp::ByteWriter w;
  w.Zeros(kSpMusicFileInfoReservedSize);
  w.BE32(info.fileSize);
  w.BE32(info.sampleCount);
  w.BE32(0);
  w.FourCC(info.format.format);
  w.BE16(UInt16(info.format.numChannels));
  w.BE16(UInt16(info.format.sampleSize));
  w.BE32(info.format.sampleRate);
  w.BE32(0);
  w.BE32(0);
  w.BE32(0);
  w.BE32(UInt32(info.duration));
  w.BE32(UInt32(info.timeScale));
  UInt32 seconds = 0;
  std::memcpy(&seconds, &info.seconds, sizeof seconds);
  w.BE32(seconds);
  for (const char* text : {info.title, info.albumTitle, info.artistName}) {
    char block[kSpMusicFileInfoTextSize] = {};
    SpCDR_CopyText(block, sizeof block, text);
    w.Bytes(block, sizeof block);
  }
  w.BE16(UInt16(info.trackNo));
  w.BE16(UInt16(info.trackCount));
  std::memcpy(out, w.Data().data(), kSpMusicFileInfoSize);
}

Boolean SpCDR_ReadMusicFileInfoBytes(const UInt8* bytes, UInt32 size, sSpMusicFileInfo& info) {
  info = sSpMusicFileInfo();
  if (bytes == nullptr || size < UInt32(kSpMusicFileInfoSize)) return false;
  sp::ByteReader r(bytes, kSpMusicFileInfoSize);
  r.Skip(kSpMusicFileInfoReservedSize);
  info.fileSize = r.BE32();
  info.sampleCount = r.BE32();
  r.Skip(4);  // the format's flags are always 0
  info.format.format = r.FourCC();
  info.format.numChannels = r.SBE16();
  info.format.sampleSize = r.SBE16();
  info.format.sampleRate = r.BE32();
  r.Skip(12);  // its sample count, buffer and reserved word are not kept
  info.duration = r.SBE32();
  info.timeScale = r.SBE32();
  const UInt32 seconds = r.BE32();
  std::memcpy(&info.seconds, &seconds, sizeof seconds);
  for (char* text : {info.title, info.albumTitle, info.artistName}) {
    r.Bytes(text, kSpMusicFileInfoTextSize);
    text[kSpMusicFileInfoTextSize - 1] = 0;
  }
  info.trackNo = r.SBE16();
  info.trackCount = r.SBE16();
  return r.Ok();
}

void SpCDR_SetupFileIconProc(SpCDR_FileIconProcPtr proc) {
  gFileIconProc = proc;
}

// ---- cSp_QTFileDataObj --------------------------------------------------------------------

cSp_QTFileDataObj::cSp_QTFileDataObj(short vRefNum, SInt32 dirID, const char* name)
    : vRefNum_(vRefNum), dirID_(dirID) {
  SpCDR_CopyText(fileName_, sizeof fileName_, name);
  if (Sp_GetFileIdFromFileNameInDirId(vRefNum_, dirID_, fileName_, fileID_) != noErr) fileID_ = 0;
  if (gFileIconProc != nullptr) icon_ = gFileIconProc(vRefNum_, dirID_, fileName_);
}

cSp_QTFileDataObj* cSp_QTFileDataObj::GetTargetQTFileDataObj(short vRefNum, SInt32 dirID,
                                                             const char* name) {
  if (name == nullptr) return nullptr;
  for (cSp_QTFileDataObj* file = this; file != nullptr; file = file->GetNextObjectPtr()) {
    if (file->vRefNum_ == vRefNum && file->dirID_ == dirID &&
        std::strcmp(file->fileName_, name) == 0) {
      return file;
    }
  }
  return nullptr;
}

void cSp_QTFileDataObj::SetupLengthAndStartData(unsigned char loadStartData) {
  // In single precision, as the saved lengths of earlier runs were computed.
  lengthInSectors_ =
      timeScale_ > 0 && duration_ > 0 ? UInt32(float(duration_) / float(timeScale_) * 75.0f) : 0;
  Sp_SectorToCDPosition(SInt32(lengthInSectors_ & 0x7FFFFFFF), &length_);
  if (loadStartData) {
    startData_ =
        SpGetQTFileInitData(fileName_, fileSize_, format_, duration_, timeScale_, 1, nullptr);
  }
}

Boolean cSp_QTFileDataObj::SetupSoundSampleDataInfo(unsigned char loadStartData,
                                                    unsigned char* errorFlag) {
  if (errorFlag != nullptr) *errorFlag = 0;
  CmpSoundHeader header{};
  UInt32 dataSize = 0;
  UInt32 sampleCount = 0;
  SInt32 duration = 0;
  SInt32 timeScale = 0;
  float seconds = 0;
  Movie movie = nullptr;
  // A sample count the file does not state with its length is not counted while the file is
  // added: it is counted where it is asked for (CountSamples), and kept.
  unsigned char countLeft = 0;
  if (!Sp_CheckQuickTimeSoundTrackInTargetFile(vRefNum_, dirID_, fileName_, nullptr, &header,
                                               &dataSize, &sampleCount, errorFlag, &duration,
                                               &timeScale, &seconds, &movie, nullptr, &countLeft)) {
    return false;
  }
  sampleCountKnown_ = countLeft == 0;
  format_ = SoundComponentData();
  format_.format = header.format;
  format_.numChannels = SInt16(header.numChannels);
  format_.sampleSize = SInt16(header.sampleSize);
  format_.sampleRate = header.sampleRate;
  sampleCount_ = sampleCount;
  duration_ = duration;
  timeScale_ = timeScale;
  seconds_ = seconds;
  SInt32 physical = 0;
  fileSize_ = Sp_GetFileSize(vRefNum_, dirID_, fileName_, nullptr, &physical, nullptr, nullptr,
                             nullptr, nullptr) == noErr
                  ? UInt32(physical)
                  : dataSize;
  SetupLengthAndStartData(loadStartData);

  // The file's own tags: ID3 or AIFF chunks, else the movie's user data.
  cSp_MusicFileMusicInfoDataObj* tags = nullptr;
  if (!SpQTI_ParseMusicInfoFromTargetFile(vRefNum_, dirID_, fileName_, nullptr, tags) &&
      movie != nullptr) {
    SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, nullptr, tags);
  }
  if (tags != nullptr) {
    unsigned char cut = 0;
    tags->GetMusicTitle(title_, kSpMusicFileInfoTextSize, &cut);
    tags->GetAlbumTitle(albumTitle_, kSpMusicFileInfoTextSize, &cut);
    tags->GetArtistName(artistName_, kSpMusicFileInfoTextSize, &cut);
    short track = 0;
    short count = 0;
    if (tags->GetTrackNo(&track, &count)) {
      trackNo_ = track;
      trackCount_ = count;
    }
    delete tags;
  }
  if (movie != nullptr) DisposeMovie(movie);
  return true;
}

Boolean cSp_QTFileDataObj::SetupSoundSampleDataInfoFromMusicInfo(const sSpMusicFileInfo* info,
                                                                 unsigned char loadStartData) {
  if (info == nullptr) {
    return SpReportFailure(kSource, "cSp_QTFileDataObj::SetupSoundSampleDataInfoFromMusicInfo", 1,
                           kSpMsgNullArgument, Boolean(false));
  }
  fileSize_ = info->fileSize;
  sampleCount_ = info->sampleCount;
  // A saved record holds 0 for a count that was not made yet.
  sampleCountKnown_ = info->sampleCount != 0;
  duration_ = info->duration;
  timeScale_ = info->timeScale;
  seconds_ = info->seconds;
  format_ = SoundComponentData();
  format_.format = info->format.format;
  format_.numChannels = info->format.numChannels;
  format_.sampleSize = info->format.sampleSize;
  format_.sampleRate = info->format.sampleRate;
  SetupLengthAndStartData(loadStartData);
  SpCDR_CopyText(title_, sizeof title_, info->title);
  SpCDR_CopyText(albumTitle_, sizeof albumTitle_, info->albumTitle);
  SpCDR_CopyText(artistName_, sizeof artistName_, info->artistName);
  trackNo_ = info->trackNo;
  trackCount_ = info->trackCount;
  return true;
}

Boolean cSp_QTFileDataObj::RenewSoundSampleDataInfo(unsigned char* errorFlag) {
  // Read into an object of its own, so that a file that cannot be read changes nothing here,
  // and tags the new file lacks do not stay from the old one.
  cSp_QTFileDataObj fresh(vRefNum_, dirID_, fileName_);
  if (!fresh.SetupSoundSampleDataInfo(0, errorFlag)) return false;
  sSpMusicFileInfo info;
  fresh.GetMusicInfo(info);
  SetupSoundSampleDataInfoFromMusicInfo(&info, 1);
  sampleCountKnown_ = fresh.sampleCountKnown_;
  fileID_ = fresh.fileID_;
  return true;
}

Boolean cSp_QTFileDataObj::CountSamples() {
  if (sampleCountKnown_) return true;
  UInt32 count = 0;
  if (!Sp_CountQuickTimeSoundSamples(vRefNum_, dirID_, fileName_, &count)) return false;
  sampleCount_ = count;
  sampleCountKnown_ = true;
  return true;
}

void cSp_QTFileDataObj::GetMusicInfo(sSpMusicFileInfo& info) const {
  info = sSpMusicFileInfo();
  std::memcpy(info.reserved, reserved_, sizeof info.reserved);
  info.fileSize = fileSize_;
  info.sampleCount = sampleCount_;
  info.format = format_;
  info.format.buffer = nullptr;
  info.duration = duration_;
  info.timeScale = timeScale_;
  info.seconds = seconds_;
  SpCDR_CopyText(info.title, sizeof info.title, title_);
  SpCDR_CopyText(info.albumTitle, sizeof info.albumTitle, albumTitle_);
  SpCDR_CopyText(info.artistName, sizeof info.artistName, artistName_);
  info.trackNo = trackNo_;
  info.trackCount = trackCount_;
}

UInt32 cSp_QTFileDataObj::GetAmpVolume() {
  if (startData_ == nullptr) {
    return SpReportFailure(kSource, "cSp_QTFileDataObj::GetAmpVolume", 1, kSpMsgNoComment,
                           UInt32(100));
  }
  return startData_->GetVolumeLevel();
}
