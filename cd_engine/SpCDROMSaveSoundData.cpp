// Saving into plain files: the set-up of a save, the headers, the plain writer and its
// completions, the tags of a save and the end of every save.
#include "SpCDROMSaveSoundData.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Clock.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "Resources.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMLoadCDSoundData.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"
#include "SpiTunesMusicInfoObject.h"

sSpCDRWriteQTFileCnvInfo writeQuickTimeFileCnvInfo_GlV;
UInt64 testStaclDataSize_GlV = 0;

namespace {

const char kSource[] = "SpCDROMSaveSoundData.cpp";
const char kTemporaryName[] = "mSpeadFileTmp";
constexpr int kMaxTemporaryNumber = 100;

// The one data write of the plain writer in flight, and the set it belongs to.
FSForkIOParam paramBlock_GlV;
sSpSaveBufferSetBase* saveTargetBufferSetBasePtr_GlV = nullptr;
// The same for the AIFF-C writer.
FSForkIOParam aiffcParamBlock_GlV;
sSpSaveBufferSetBase* saveBufferSetBasePtr_forAIFFC_GlV = nullptr;

// The message of a string list's item, or the fallback (UTF-8) when the list lacks it.
std::string IndexedText(short id, short index, const char* fallbackUTF8) {
  char buffer[256] = {};
  if (Sp_GetResourceIndexString(buffer, id, index) && buffer[0] != 0) return buffer;
  return SpCDR_MJ(fallbackUTF8);
}

void Say(const std::string& text) {
  std::vector<char> message(text.begin(), text.end());
  message.push_back(0);
  Sp_SayDialogByModal(message.data(), 0);
}

void ToPascal(const char* name, Str255 out) {
  out[0] = UInt8(std::min<std::size_t>(std::strlen(name), 255));
  std::memcpy(out + 1, name, out[0]);
}

// What an error means to the user: the save error manager's line for it, else the engine's own
// words for the errors a save meets; then the number.
std::string ErrorText(cSayErrorNoMgr* errors, OSErr err) {
  char line[kSpSayErrorLineSize] = {};
  std::string meaning;
  if (errors != nullptr &&
      errors->GetTargetErrorString(kSpCDRSaveErrorUserRefNum, err, line, sizeof line) &&
      line[0] != 0) {
    meaning = line;
  } else if (err == dskFulErr) {
    meaning = SpCDR_MJ("保存先のディスクに空きがありません。");
  } else if (err == wPrErr || err == vLckdErr) {
    meaning = SpCDR_MJ("保存先のディスクが書き込み禁止になっています。");
  } else if (err == permErr || err == wrPermErr || err == afpAccessDenied) {
    meaning = SpCDR_MJ("保存先に書き込む権限がありません。");
  } else if (err == fnfErr || err == dirNFErr || err == nsvErr) {
    meaning = SpCDR_MJ("保存先のフォルダかファイルが見つかりません。");
  } else {
    meaning = SpCDR_MJ("ファイルの書き込みでエラーが発生しました。");
  }
  return meaning + SpCDR_MJ("処理を中断します。") + "[Error No = " + std::to_string(err) + "]";
}

// The completion of one write of a set: its completion buffer is free again; a write that
// failed or wrote less than asked is the set's write error.
void CompleteWrite(sSpSaveBufferSetBase* set, const FSForkIOParam* pb) {
  if (set == nullptr) return;
  if (sSpSaveSaveSoundBuffer* b = set->completionBuffer) {
    b->cleared = b->stamped = b->full = b->writing = 0;
    set->completionBuffer = b->next != nullptr ? b->next : set->ringHead;
  }
  if (pb != nullptr && set->writeError == noErr &&
      (pb->ioResult != noErr || pb->actualCount != pb->requestCount)) {
    set->writeError = pb->ioResult != noErr ? OSErr(pb->ioResult) : OSErr(ioErr);
  }
}

OSErr WriteAll(short refNum, const sp::ByteWriter& w) {
  SInt32 count = SInt32(w.Size());
  OSErr err = FSWrite(refNum, &count, w.Data().data());
  return err == noErr && count != SInt32(w.Size()) ? OSErr(ioErr) : err;
}

SInt64 ForkPosition(short refNum) {
  SInt64 at = 0;
  FSGetForkPosition(refNum, &at);
  return at;
}

}  // namespace

UInt64 SpCDR_NowMicroseconds() {
  UnsignedWide now;
  Microseconds(&now);
  return (UInt64(now.hi) << 32) | now.lo;
}

// ---- Headers --------------------------------------------------------------------------------

OSErr Sp_SetupWAVEHeader(short refNum, short channels, UInt32 rate, short sampleSize,
                         UInt32 bytesPerSecond, UInt32 dataSize, SInt32* headerLength) {
  const SInt64 start = ForkPosition(refNum);
  sp::ByteWriter w;
  w.FourCC(SpFourCC("RIFF"));
  w.LE32(0);
  w.FourCC(SpFourCC("WAVE"));
  w.FourCC(SpFourCC("fmt "));
  w.LE32(16);
  w.LE16(1);
  w.LE16(UInt16(channels));
  w.LE32(rate);
  w.LE32(bytesPerSecond);
  w.LE16(UInt16((sampleSize * channels) / 8));
  w.LE16(UInt16(sampleSize));
  w.FourCC(SpFourCC("data"));
  w.LE32(dataSize);
  w.PatchLE32(4, UInt32(w.Size()) + dataSize - 8);
  const OSErr err = WriteAll(refNum, w);
  if (headerLength != nullptr)
    *headerLength = err == noErr ? SInt32(ForkPosition(refNum) - start) : 0;
  return err;
}

OSErr SpCDR_SetupAIFFC_Header(short refNum, short channels, UInt32 sampleRate, short sampleSize,
                              OSType compressionType, UInt32 dataBytes, UInt32 sampleFrames) {
  Str255 name;
  if (GetCompressionName(compressionType, name) != noErr) name[0] = 0;
  const UInt32 nameBytes = 1u + name[0] + ((1u + name[0]) % 2);
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(0);
  w.FourCC(SpFourCC("AIFC"));
  w.FourCC(SpFourCC("FVER"));
  w.BE32(4);
  w.BE32(0xA2805140);  // AIFF-C version 1
  w.FourCC(SpFourCC("COMM"));
  w.BE32(22 + nameBytes);
  w.BE16(UInt16(channels));
  w.BE32(sampleFrames);
  w.BE16(UInt16(sampleSize));
  w.Extended80(double(sampleRate) / 65536.0);
  w.FourCC(compressionType);
  w.PascalString(name);
  if ((1u + name[0]) % 2 != 0) w.U8(0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(dataBytes + 8);
  w.BE32(0);
  w.BE32(0);
  w.PatchBE32(4, UInt32(w.Size()) - 8 + dataBytes);
  return WriteAll(refNum, w);
}

void SpCDR_RemoveLeftoverTemporaryFiles() {
  SpRemoveLeftoverTemporaryFiles();
}

std::string SpCDR_FindTemporaryFileName(short vRefNum, SInt32 dirID) {
  for (int number = 0; number <= kMaxTemporaryNumber; ++number) {
    const std::string name =
        std::string(kTemporaryName) + (number == 0 ? std::string() : std::to_string(number));
    if (!Sp_ExsitTargetDirectory(vRefNum, dirID, name.c_str())) return name;
  }
  return std::string();
}

// ---- Completions ----------------------------------------------------------------------------

void SpCDR_CatchCompleationSaveDataInFile(ParamBlockRec* block) {
  CompleteWrite(saveTargetBufferSetBasePtr_GlV, reinterpret_cast<FSForkIOParam*>(block));
}

void SpCDR_CatchCompleationSaveDataInAIFFC(ParamBlockRec* block) {
  CompleteWrite(saveBufferSetBasePtr_forAIFFC_GlV, reinterpret_cast<FSForkIOParam*>(block));
}

// ---- Failures -------------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::TellSaveFailure() {
  // A stop the user asked for is no failure.
  if (save_.writeError == noErr) return;
  TellSaveFailure(ErrorText(saveErrorMgr_, save_.writeError), save_.writeError);
}

void cSp_CDRProgramBaseObj::TellSaveFailure(const std::string& text, OSErr err) {
  if (save_.writeError == noErr) save_.writeError = err != noErr ? err : OSErr(ioErr);
  if (save_.failureTold) return;
  save_.failureTold = 1;
  SpReportFailure(kSource, "cSp_CDRProgramBaseObj::TellSaveFailure", save_.writeError,
                  kSpMsgFileError);
  SpCDR_ShowAlert(alertWindow_, text);
}

void cSp_CDRProgramBaseObj::FailSave(OSErr err) {
  if (save_.writeError == noErr) save_.writeError = err != noErr ? err : OSErr(ioErr);
  stopRequest_ = 1;
  TellSaveFailure();
}

// ---- Setting a save up ------------------------------------------------------------------------

bool cSp_CDRProgramBaseObj::CheckSaveSources(SInt32 refNo) {
  // The first check of every save: what a save before this one told is not this one's.
  save_.failureTold = 0;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (refNo != -1 && item->GetReferenceNo() != refNo) continue;
    bool there = false;
    if (item->GetItemType() == kSpCDRProgItemSoundFile) {
      there = Sp_ExsitTargetFile(item->GetVolumeRefNum(), item->GetDirID(), item->GetFileName());
    } else {
      there = item->GetCDMedia() != nullptr && item->GetTrackData() != nullptr &&
              !item->GetCDGoneFlag() &&
              Sp_ExsitTargetFile(item->GetCDMedia()->GetVolumeRefNum(), 0, item->GetFileName());
    }
    if (!there) {
      SysBeep(10);
      Say(SpCDR_MJ("元となるファイルが見つかりません。[") + item->GetFileName() + "]");
      save_.failureTold = 1;
      return false;
    }
    if (refNo != -1) return true;
  }
  // A reference number that names no item.
  return refNo == -1 && itemHead_ != nullptr;
}

short cSp_CDRProgramBaseObj::SaveLoadChannelCount(SInt32 refNo, short channels,
                                                  bool raiseToChannels) const {
  const short sources = GetSaveChannelCount(refNo < 1 ? -1 : refNo, 0);
  if (channels == 1) return 1;
  return raiseToChannels && channels >= 2 ? 2 : sources;
}

bool cSp_CDRProgramBaseObj::CheckSaveSpace(SInt32 refNo, tCDRISoundFileType type,
                                           bool sizeLimited) {
  const UInt64 size = GetSaveDataSize(short(refNo), type);
  const UInt64 frames = size / (2u * UInt64(std::max<short>(loadChannelCount_, 1)));
  const bool tooLarge = sizeLimited && size > kSpCDRMaxPlainFileBytes;
  if (tooLarge || frames > kSpCDRMaxSaveFrames) {
    SysBeep(10);
    // Movies have no 4 GB limit; every save counts its sample frames in 32 bits.
    SpCDR_ShowAlert(alertWindow_,
                    tooLarge ? SpCDR_MJ("保存するデータが大きすぎるため（4GB以上）、このファイル"
                                        "形式では保存できません。処理を中断します。")
                             : SpCDR_MJ("保存するデータが長すぎるため（44.1kHzで約13時間31分"
                                        "以上）、保存できません。処理を中断します。"));
    save_.failureTold = 1;
    return false;
  }
  UInt64 free = 0;
  OSErr err = Sp_GetVolumeFreeAreaSize(save_.vRefNum, free);
  // A read-only volume has no free bytes: the check then gives its own error, which is what
  // the user is told (a full disk only when the disk is full).
  if (err == noErr && size >= free)
    err = Sp_CheckVolumeTargetAreaSize(save_.vRefNum, save_.dirID, size);
  if (err == noErr) return true;
  TellSaveFailure(ErrorText(saveErrorMgr_, err), err);
  return false;
}

bool cSp_CDRProgramBaseObj::PrepareSaveFolder(const FSRef* folder, const char* name,
                                              UInt32 nameEncoding, short vRefNum, SInt32 dirID) {
  save_ = sSpCDRSaveTarget();
  if (name == nullptr || name[0] == 0) return false;
  std::strncpy(save_.finalName, name, sizeof save_.finalName - 1);
  save_.nameEncoding = nameEncoding;
  if (folder != nullptr) {
    save_.folder = *folder;
    if (Sp_GetDirectoryPositionInfoFromFSRef(folder, &save_.vRefNum, &save_.dirID) != noErr)
      return false;
  } else {
    save_.vRefNum = vRefNum;
    save_.dirID = dirID;
    if (Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &save_.folder) != noErr) return false;
  }
  return true;
}

bool cSp_CDRProgramBaseObj::SetupSavePlayChain(SInt32 refNo) {
  if (playing_ || paused_) StopTheMusic();
  if (bufferSet_ == nullptr) {
    if (!BorrowBufferSet()) return false;
    Sp_CDRSetupSoundBuffSet(bufferSet_);
  }
  ClearPlayProgramItem();
  if (refNo == -1) {
    SetupAllItemIntoPlayProgramItem();
  } else {
    cSp_CDRProgramItemObj* item = GetProgramItem(UInt32(refNo));
    if (item == nullptr || !SetupPlayProgramItemPtr(item)) return false;
    currentItem_ = item;
    if (item->GetItemType() == kSpCDRProgItemSoundFile) {
      DisposeSaveBufferSetBase();
      DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile();
    }
  }
  return SetupTargetPlayPartItem(1);
}

void cSp_CDRProgramBaseObj::SetupSaveRecord(UInt32, tCDRISoundFileType type, float saveSpeed) {
  saveSpeed_ = saveSpeed;
  soundFileType_ = type;
  stopRequest_ = 0;
}

bool cSp_CDRProgramBaseObj::TakeTemporaryName() {
  // Temporary files of saves that a kill or a crash cut off go first: they would otherwise take
  // the names up one by one.
  SpRemoveLeftoverTemporaryFiles();
  const std::string temporary = SpCDR_FindTemporaryFileName(save_.vRefNum, save_.dirID);
  if (temporary.empty()) {
    TellSaveFailure(SpCDR_MJ("保存先のフォルダでは、作業用のファイル名（mSpeadFileTmp、"
                             "mSpeadFileTmp1〜mSpeadFileTmp100）がすべて使われているため、保存"
                             "できません。処理を中断します。"),
                    dupFNErr);
    return false;
  }
  // Recorded before it is made: a file that could not be cleaned up after a kill is never made.
  Str255 pname;
  ToPascal(temporary.c_str(), pname);
  const OSErr err = SpRecordTemporaryFile(save_.vRefNum, save_.dirID, pname, &save_.tempRecord);
  if (err != noErr) {
    TellSaveFailure(
        SpCDR_MJ(("作業用ファイルの記録をプログラムのデータフォルダ「" + SpProgramDataFolder() +
                  "」に書き込めないため、保存できません。このフォルダに書き込めるか"
                  "確かめてください。")
                     .c_str()) +
            "[Error No = " + std::to_string(err) + "]",
        err);
    return false;
  }
  std::strncpy(save_.tempName, temporary.c_str(), sizeof save_.tempName - 1);
  return true;
}

void cSp_CDRProgramBaseObj::TemporaryFileMade() {
  save_.tempMade = 1;
  SpTemporaryFileMade(save_.tempRecord);
}

OSErr cSp_CDRProgramBaseObj::CreateTemporaryFile(UInt32 creator, OSType fileType) {
  Str255 pname;
  ToPascal(save_.tempName, pname);
  OSErr err = HCreate(save_.vRefNum, save_.dirID, pname, creator, fileType);
  if (err != noErr) return err;
  // Its record learns which file it is before anything else changes in a folder.
  TemporaryFileMade();
  FInfo info;
  err = HGetFInfo(save_.vRefNum, save_.dirID, pname, &info);
  if (err != noErr) return err;
  info.fdFlags = kHasBeenInited;
  info.fdLocation.v = info.fdLocation.h = -1;
  return HSetFInfo(save_.vRefNum, save_.dirID, pname, &info);
}

void cSp_CDRProgramBaseObj::RemoveTemporaryFile(bool keepFile) {
  if (save_.tempMade && !keepFile)
    Sp_DeleteFileDirByDirId(save_.vRefNum, save_.dirID, save_.tempName, 0);
  SpForgetTemporaryFile(save_.tempRecord);
  save_.tempMade = 0;
  save_.tempRecord = 0;
}

bool cSp_CDRProgramBaseObj::OpenTemporaryFile(UInt32 creator, OSType fileType) {
  if (!TakeTemporaryName()) return false;
  OSErr err = CreateTemporaryFile(creator, fileType);
  if (err == noErr) {
    Str255 pname;
    ToPascal(save_.tempName, pname);
    err = HOpenDF(save_.vRefNum, save_.dirID, pname, fsRdWrPerm, &save_.fileRefNum);
  }
  if (err != noErr) {
    save_.fileRefNum = 0;
    RemoveTemporaryFile();
    save_.writeError = err;
    TellSaveFailure();
    return false;
  }
  SetFPos(save_.fileRefNum, fsFromStart, 0);
  return true;
}

bool cSp_CDRProgramBaseObj::StartSaveFile(SInt32 refNo, UInt32 creator, OSType fileType) {
  if (!OpenTemporaryFile(creator, fileType)) return false;
  if (!SetupSavePlayChain(refNo)) {
    AbandonSaveSetUp();
    return false;
  }
  InitializeLoadInfo();
  return true;
}

// The space of a CD's sound is set aside on the volume before it is written, so that the file
// system maps its blocks as the data comes instead of reserving them one by one. Only what a
// save of CD tracks at normal speed surely writes: each track may end up to a sector short of
// its length in the table of contents, and nothing may stay set aside past the file's end. A
// volume that cannot set space aside is written as before.
void cSp_CDRProgramBaseObj::ReserveCDSoundSpace(SInt32 refNo) {
  if (saveSpeed_ != 1.0f) return;
  const UInt64 frameBytes = 2u * UInt64(std::max<short>(loadChannelCount_, 1));
  const cSp_CDRProgramItemObj* only = refNo >= 1 ? GetProgramItem(UInt32(refNo)) : nullptr;
  if (refNo >= 1 && only == nullptr) return;
  UInt64 bytes = 0;
  for (cSp_CDRProgramItemObj* item = itemHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (only != nullptr && item != only) continue;
    if (item->GetItemType() != kSpCDRProgItemCDTrack) return;
    const SInt32 sectors = std::max<SInt32>(item->GetLength() - 1, 0);
    bytes += UInt64(sectors) * kSpCDSampleFramesPerSector * frameBytes;
  }
  if (bytes > 0)
    FSAllocateFork(save_.fileRefNum, kFSAllocDefaultFlags, fsFromStart, save_.dataStart, bytes,
                   nullptr);
}

Boolean cSp_CDRProgramBaseObj::FailSetUp(OSErr err) {
  save_.writeError = err;
  TellSaveFailure();
  AbandonSaveSetUp();
  return false;
}

bool cSp_CDRProgramBaseObj::TakeSaveCompression(SInt32 refNo, OSType compressionType,
                                                UnsignedFixed sampleRate, short sampleSize,
                                                short channels, Handle settings) {
  // The settings are the program's own copy: the caller keeps its handle.
  if (settings != nullptr && HandToHand(&settings) != noErr) return false;
  if (channels < 1 || channels > 2) channels = 2;
  SetupSaveCompression(compressionType, sampleRate, sampleSize, channels, settings);
  loadChannelCount_ = SaveLoadChannelCount(refNo, channels, false);
  return true;
}

// Every sound of the run is in the file: the save ends, a step a pass from the next pass on
// (all at once where no timer can be had).
void cSp_CDRProgramBaseObj::EndOfRun() {
  StopTheMusic();
  // No step of the save runs any more; the save runs until its end is complete.
  playing_ = 0;
  save_.dataComplete = 0;
  save_.hold = 0;
  if (save_.endStage == kSpCDRSaveEndNone) save_.endStage = kSpCDRSaveEndFlushData;
  if (saveEndTimer_ != nullptr) return;
  static EventLoopTimerUPP step = NewEventLoopTimerUPP([](EventLoopTimerRef, void* program) {
    static_cast<cSp_CDRProgramBaseObj*>(program)->ContinueSaveEnd();
  });
  if (InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond, step, this,
                            &saveEndTimer_) != noErr) {
    saveEndTimer_ = nullptr;
    EndOfSaveProgItem(0);
  }
}

void cSp_CDRProgramBaseObj::StopSaveEndTimer() {
  if (saveEndTimer_ != nullptr) RemoveEventLoopTimer(saveEndTimer_);
  saveEndTimer_ = nullptr;
}

void cSp_CDRProgramBaseObj::ContinueSaveEnd() {
  if (stopRequest_) {
    stopRequest_ = 0;
    EndOfSaveProgItem(1);
    return;
  }
  unsigned char stopped = 0;
  // The last step ends with the end callback, which may dispose of the program.
  StepSaveEnd(stopped);
}

void cSp_CDRProgramBaseObj::AbandonSaveSetUp() {
  if (save_.fileRefNum != 0) FSClose(save_.fileRefNum);
  save_.fileRefNum = 0;
  if (save_.movieResRefNum != 0) CloseMovieFile(save_.movieResRefNum);
  if (save_.movie != nullptr) DisposeMovie(save_.movie);
  save_.movieResRefNum = 0;
  save_.movie = nullptr;
  save_.track = nullptr;
  save_.media = nullptr;
  // Nothing of a save that did not start stays in the folder.
  RemoveTemporaryFile();
  StopTheMusic();
  saveRunning_ = 0;
  playing_ = 0;
}

OSErr cSp_CDRProgramBaseObj::IssueBufferWrite(sSpSaveBufferSetBase* set, FSForkIOParam& pb) {
  sSpSaveSaveSoundBuffer* write = set->writeBuffer;
  const UInt64 end = UInt64(save_.dataStart) + set->bytesWritten + UInt64(write->used);
  if (end > kSpCDRMaxPlainFileBytes) return fsDataTooBigErr;
  write->writing = 1;
  pb = FSForkIOParam();
  pb.ioCompletion = set->completionUPP;
  pb.forkRefNum = save_.fileRefNum;
  pb.buffer = reinterpret_cast<Ptr>(write->data);
  pb.requestCount = UInt32(write->used);
  pb.positionMode = fsFromStart;
  pb.positionOffset = save_.dataStart + SInt64(set->bytesWritten);
  const OSErr err = PBWriteForkAsync(&pb);
  if (err != noErr) {
    // The write failed at once (its completion still frees the buffer).
    write->writing = 0;
    return err;
  }
  set->bytesWritten += UInt32(write->used);
  set->writeBuffer = write->next != nullptr ? write->next : set->ringHead;
  return noErr;
}

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItem(SInt32 refNo, const FSRef* folder,
                                                  const char* name, UInt32 nameEncoding,
                                                  UInt32 creator, tCDRISoundFileType type,
                                                  float saveSpeed, short channels,
                                                  SpCDR_SaveProgressProcPtr, unsigned long) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::SaveTargetProgItem";
  if (saveRunning_) return false;
  if (type != kSpCDRISoundFileTypeAIFF && type != kSpCDRISoundFileTypeWAVE &&
      type != kSpCDRISoundFileTypeAIFC) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgTypeError, Boolean(false));
  }
  if (folder == nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgNullArgument, Boolean(false));
  if (!CheckSaveSources(refNo)) return false;
  if (!PrepareSaveFolder(folder, name, nameEncoding, 0, 0)) return false;
  SetupSaveRecord(creator, type, saveSpeed);
  loadChannelCount_ = SaveLoadChannelCount(refNo, channels, true);
  if (!CheckSaveSpace(refNo, type, true)) return false;
  if (!StartSaveFile(refNo, creator, type)) return false;
  const UInt64 size = GetSaveDataSize(short(refNo), type);
  const UInt32 size32 = UInt32(size);
  const short ch = loadChannelCount_;
  const UInt32 frames = UInt32(size / UInt64(ch) / 2u);
  OSErr err = noErr;
  switch (type) {
    case kSpCDRISoundFileTypeAIFF:
      err = SetupAIFFHeader(save_.fileRefNum, ch, kSpCDRWorkingRate, 16, kSoundNotCompressed,
                            size32, frames);
      break;
    case kSpCDRISoundFileTypeWAVE:
      err = Sp_SetupWAVEHeader(save_.fileRefNum, ch, 44100, 16, 44100u * 2u * UInt32(ch), size32,
                               nullptr);
      break;
    default:
      // AIFF-C holding the working format: its header with room left for the final one.
      err = SpCDR_SetupAIFFC_Header(save_.fileRefNum, ch, kSpCDRWorkingRate, 16,
                                    kSoundNotCompressed, size32, frames);
      break;
  }
  if (err != noErr) return FailSetUp(err);
  save_.dataStart = ForkPosition(save_.fileRefNum);
  if (type != kSpCDRISoundFileTypeAIFC) ReserveCDSoundSpace(refNo);
  save_.movieSave = 0;
  playing_ = 1;
  saveRunning_ = 1;
  if (PlaySound()) return true;
  AbandonSaveSetUp();
  return false;
}

OSErr cSp_CDRProgramBaseObj::StartSaveAndPlayEventLoop() {
  playing_ = 1;
  saveRunning_ = 1;
  return noErr;
}

Boolean cSp_CDRProgramBaseObj::SerchStopSaveProgram() {
  if (!stopRequest_) return false;
  saveRunning_ = 0;
  stopRequest_ = 0;
  StopTheMusic();
  // Its end callback may dispose of the program.
  EndOfSaveProgItem(1);
  return true;
}

// ---- The plain writer -----------------------------------------------------------------------

void cSp_CDRProgramBaseObj::WriteSoundDataIntoNormalFileForEventLoop() {
  sSpSaveBufferSetBase* set = saveContext_;
  if (set == nullptr || stopRequest_) return;
  if (set->writeError != noErr) return FailSave(set->writeError);
  sSpSaveSaveSoundBuffer* write = set->writeBuffer;
  if (write == nullptr || write->writing || !write->full) return;
  // A disk far behind the save is left to catch up while the window goes on; the buffers
  // wait meanwhile.
  if (write->used > 0 && SpForkWritesBehind(save_.fileRefNum)) return;
  const UInt8 endOfPlay = write->last;
  if (write->used > 0) {
    saveTargetBufferSetBasePtr_GlV = set;
    save_.bytesCounter += UInt32(write->used);
    if (OSErr err = IssueBufferWrite(set, paramBlock_GlV)) return FailSave(err);
  }
  if (endOfPlay) EndOfRun();
}

// ---- Tags -----------------------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::ReadOrSettingMusicFileInfoForSaveFile() {
  delete musicFileRecord_;
  musicFileRecord_ = nullptr;
  cSp_CDRProgramItemObj* first = chainHead_ != nullptr ? chainHead_ : itemHead_;
  if (first == nullptr) return false;
  if (!cdProgram_) {
    // A sound file's own tags: ID3, else the movie's user data.
    if (first->GetItemType() != kSpCDRProgItemSoundFile) return false;
    return GetTargetProgramItemMusicInfo(first, nullptr, musicFileRecord_);
  }
  const bool oneItem = chainHead_ != nullptr && chainHead_->GetTargetNextObjectPtr() == nullptr;
  if (oneItem) return GetTargetProgramItemMusicInfo(chainHead_, iTunes_, musicFileRecord_);
  // The whole CD: its album (from the library when one matches the track lengths).
  if (iTunes_ != nullptr && cd_ != nullptr) {
    cSp_uLongCollection lengths;
    for (cSp_CDRProgramItemObj* i = itemHead_; i != nullptr; i = i->GetNextObjectPtr()) {
      const SInt32 length = i->GetLength();
      lengths.SetValue(-1, length > 0 ? UInt32(length) / kSpCDFramesPerSecond : 0);
    }
    cSp_uLongCollection found;
    const short count = short(std::min<SInt32>(itemCount_, 0x7FFF));
    if (!iTunes_->GetTargetAlbum(count, &lengths, 0, &found))
      iTunes_->GetTargetAlbum(count, &lengths, 1, &found);
    unsigned long album = 0;
    if (found.GetValue(1, album) && album != 0) {
      reinterpret_cast<ciTunesInfoMusicGroupObj*>(album)->CreateMusicInfoWithID3VersionUnder2(
          0, &lengths, musicFileRecord_);
      if (musicFileRecord_ != nullptr && musicFileRecord_->GetFirstItemPtr() == nullptr) {
        delete musicFileRecord_;
        musicFileRecord_ = nullptr;
      }
    }
  }
  if (musicFileRecord_ == nullptr)
    CreateMusicInfoForTargetItemFromCDTrackInfoWithID3VersionUnder2(0, musicFileRecord_);
  return musicFileRecord_ != nullptr;
}

// ---- The end of a save ----------------------------------------------------------------------

bool cSp_CDRProgramBaseObj::WriteFinalPlainHeader(OSErr& err) {
  const short ref = save_.fileRefNum;
  const UInt32 bytes = saveContext_ != nullptr ? saveContext_->bytesWritten : 0;
  const short ch = std::max<short>(loadChannelCount_, 1);
  const bool aiff = soundFileType_ == kSpCDRISoundFileTypeAIFF;
  const bool aiffc = soundFileType_ == kSpCDRISoundFileTypeAIFC;
  const bool converted = aiffc && aiffcContext_ != nullptr;
  const UInt32 dataBytes = converted ? aiffcContext_->bytesWritten : bytes;
  bool tagged = false;
  err = FSSetForkPosition(ref, fsFromStart, save_.dataStart + SInt64(dataBytes));
  if (err == noErr && (aiff || aiffc) && musicFileRecord_ != nullptr) {
    const unsigned char above22 = musicFileRecord_->IsID3version2_2Over();
    UInt32 written = 0;
    // Its failure is the save's, told once with the rest.
    OSErr tagErr = noErr;
    tagged =
        SpQTI_WriteID3TagChunkIntoAIFF(ref, musicFileRecord_, above22, nullptr, written, &tagErr);
    if (!tagged && tagErr != noErr) {
      // What the tag left goes again. A tag the record cannot give is left out; a write that
      // failed fails the save, with the error the write met.
      err = FSSetForkSize(ref, fsFromStart, save_.dataStart + SInt64(dataBytes));
      if (err == noErr && tagErr != paramErr) err = tagErr;
      if (err != noErr) return false;
    }
  }
  const SInt64 length = ForkPosition(ref);
  if (err == noErr) err = SetFPos(ref, fsFromStart, 0);
  if (err != noErr) return false;
  if (aiff) {
    err = SetupAIFFHeader(ref, ch, kSpCDRWorkingRate, 16, kSoundNotCompressed, bytes,
                          bytes / UInt32(ch) / 2);
  } else if (converted) {
    err = SpCDR_SetupAIFFC_Header(ref, saveChannelCount_,
                                  outputRate_ != 0 ? outputRate_ : saveSampleRate_, saveSampleSize_,
                                  compressionType_, dataBytes, aiffcContext_->framesWritten);
  } else if (aiffc) {
    err = SpCDR_SetupAIFFC_Header(ref, ch, kSpCDRWorkingRate, 16, kSoundNotCompressed, bytes,
                                  bytes / UInt32(ch) / 2);
  } else {
    err = Sp_SetupWAVEHeader(ref, ch, 44100, 16, 44100u * 2u * UInt32(ch), bytes, nullptr);
  }
  if (err == noErr && tagged) {
    // The tag chunk after the sound is part of the FORM.
    sp::ByteWriter size;
    size.BE32(UInt32(length - 8));
    err = SetFPos(ref, fsFromStart, 4);
    if (err == noErr) err = WriteAll(ref, size);
  }
  return err == noErr;
}

void cSp_CDRProgramBaseObj::CloseSaveFile(OSErr& err) {
  if (save_.fileRefNum == 0) return;
  const OSErr closed = FSClose(save_.fileRefNum);
  save_.fileRefNum = 0;
  if (err == noErr) err = closed;
}

bool cSp_CDRProgramBaseObj::KeepUnreplacedFile(short messages, OSErr err) {
  // The complete new file stays under its temporary name, the user's to rename: it is no
  // temporary file any more, so its record goes.
  RemoveTemporaryFile(true);
  const bool trash = messages == 7600;
  TellSaveFailure(
      IndexedText(messages, 1,
                  trash ? "既存のファイルをゴミ箱に移せませんでした。保存したファイルは「"
                        : "保存したファイルの名前を変更できませんでした。ファイルは「") +
          save_.tempName +
          IndexedText(messages, 2,
                      trash ? "」という名前のまま保存先のフォルダにあります。"
                            : "」という名前で保存先のフォルダにあります。") +
          "[Error No = " + std::to_string(err) + "]",
      err);
  return false;
}

bool cSp_CDRProgramBaseObj::ReplaceTargetWithTemporaryFile() {
  Str255 pname;
  ToPascal(save_.tempName, pname);
  FSSpec spec;
  FSRef temporary;
  OSErr err = FSMakeFSSpec(save_.vRefNum, save_.dirID, pname, &spec);
  if (err == noErr) err = FSpMakeFSRef(&spec, &temporary);
  if (err != noErr) {
    // The file, or the folder with it, went while the save ran: nothing was saved.
    RemoveTemporaryFile(true);
    TellSaveFailure(ErrorText(saveErrorMgr_, err), err);
    return false;
  }
  FSRef target;
  err = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(&save_.folder, save_.finalName,
                                                     save_.nameEncoding, &target);
  FSCatalogInfo info;
  if (err == noErr &&
      FSGetCatalogInfo(&target, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) == noErr &&
      (info.nodeFlags & kFSNodeIsDirectoryMask) != 0) {
    // A save never replaces a folder.
    RemoveTemporaryFile();
    TellSaveFailure(SpCDR_MJ("保存先に同じ名前のフォルダがあるため、保存できませんでした。"
                             "処理を中断します。"),
                    dupFNErr);
    return false;
  }
  if (err == noErr) {
    err = FSReplaceFileKeepingOldInTrash(&target, &temporary, nullptr);
    if (err != noErr) return KeepUnreplacedFile(7600, err);
  } else if (err == fnfErr) {
    err = Sp_RenameFSRefFileByCString(&temporary, save_.finalName, save_.nameEncoding, nullptr);
    if (err != noErr) return KeepUnreplacedFile(7601, err);
  } else {
    // The name itself could not be looked up: no old file was there to go to the Trash, and
    // the new one could not take the name.
    return KeepUnreplacedFile(7601, err);
  }
  RemoveTemporaryFile(true);
  return true;
}

void cSp_CDRProgramBaseObj::EndOfSaveProgItem(unsigned char stopped) {
  StopSaveEndTimer();
  if (save_.endStage == kSpCDRSaveEndNone) save_.endStage = kSpCDRSaveEndFlushData;
  while (!StepSaveEnd(stopped)) {
  }
}

bool cSp_CDRProgramBaseObj::StepSaveEnd(unsigned char& stopped) {
  const bool hasFile = save_.fileRefNum != 0 || save_.movie != nullptr;
  const bool movie = soundFileType_ == kSpCDRISoundFileTypeMovie ||
                     soundFileType_ == kSpCDRISoundFileTypeMovieNoCompress;
  auto failed = [&]() { return stopped || save_.writeError != noErr; };
  switch (save_.endStage) {
    case kSpCDRSaveEndNone:
    case kSpCDRSaveEndFlushData: {
      // An AIFF-C save ends once its last compressed buffer has been written.
      if (aiffcContext_ != nullptr && aiffcContext_->fillBuffer != nullptr &&
          (aiffcContext_->fillBuffer->writing || aiffcContext_->fillBuffer->full) && !stopped &&
          save_.writeError == noErr) {
        return saveEndTimer_ == nullptr;
      }
      // Passes go on while the disk finishes what the save wrote, so that the flush has
      // little left to wait for.
      if (hasFile && !failed() && saveEndTimer_ != nullptr &&
          SpVolumeWritesInProgress(save_.vRefNum))
        return false;
      save_.endStage = kSpCDRSaveEndFinishFile;
      if (!hasFile) break;
      const OSErr flushed = FlushVol(nullptr, save_.vRefNum);
      // Completions that ran in the flush may have found a failed write.
      for (sSpSaveBufferSetBase* set : {saveContext_, aiffcContext_}) {
        if (set != nullptr && set->writeError != noErr && save_.writeError == noErr)
          save_.writeError = set->writeError;
      }
      if (save_.writeError == noErr && flushed != noErr) save_.writeError = flushed;
      // A save that failed goes on at once.
      if (!failed()) return false;
      break;
    }
    default:
      break;
  }
  if (save_.endStage == kSpCDRSaveEndFinishFile) {
    save_.endStage = kSpCDRSaveEndFlushFile;
    OSErr err = noErr;
    if (movie && hasFile) {
      err = failed() ? OSErr(noErr) : FinishMovieFile();
      if (save_.movieResRefNum != 0) CloseMovieFile(save_.movieResRefNum);
      if (save_.movie != nullptr) DisposeMovie(save_.movie);
      save_.movieResRefNum = 0;
      save_.movie = nullptr;
      save_.track = nullptr;
      save_.media = nullptr;
    } else if (hasFile) {
      if (!failed()) {
        if (soundFileType_ == kSpCDRISoundFileTypeAIFC) FinishAIFFCConversion();
        if (save_.writeError == noErr) WriteFinalPlainHeader(err);
      }
      CloseSaveFile(err);
    }
    if (save_.writeError == noErr && err != noErr) save_.writeError = err;
    if (hasFile && !failed()) return false;
  }
  if (save_.endStage == kSpCDRSaveEndFlushFile) {
    save_.endStage = kSpCDRSaveEndName;
    // What was written after the first flush (the header, the tags) reaches the disk before
    // the file takes its name.
    if (save_.tempMade && !failed()) {
      const OSErr err = FlushVol(nullptr, save_.vRefNum);
      if (save_.writeError == noErr && err != noErr) save_.writeError = err;
      if (!failed()) return false;
    }
  }
  if (save_.tempMade || save_.tempRecord != 0) {
    if (failed()) {
      RemoveTemporaryFile();
      stopped = 1;
      TellSaveFailure();
    } else if (!ReplaceTargetWithTemporaryFile()) {
      // The end callback reports the failure too.
      stopped = 1;
    }
  }
  save_.endStage = kSpCDRSaveEndNone;
  StopSaveEndTimer();
  if (saveTargetBufferSetBasePtr_GlV == saveContext_) saveTargetBufferSetBasePtr_GlV = nullptr;
  if (saveBufferSetBasePtr_forAIFFC_GlV == aiffcContext_)
    saveBufferSetBasePtr_forAIFFC_GlV = nullptr;
  DisposeSaveBufferSetBase();
  DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile();
  EndLoadQTFileSoundDataInfo();
  EndOfLoadSoundConverterInfo();
  DisposeOutputConverter();
  delete musicFileRecord_;
  musicFileRecord_ = nullptr;
  saveRunning_ = 0;
  playing_ = 0;
  save_.dataComplete = 0;
  save_.hold = 0;
  if (saveEndProc_ != nullptr) saveEndProc_(this, stopped, saveEndRefCon_);
  return true;
}

// ---- The AIFF-C writer's file ---------------------------------------------------------------

void cSp_CDRProgramBaseObj::WriteSoundDataIntoAIFFCwithConverter_ForEventLoop() {
  sSpSaveBufferSetBase* set = aiffcContext_;
  if (set == nullptr || stopRequest_ || !saveRunning_) return;
  if (set->writeError != noErr) return FailSave(set->writeError);
  sSpSaveSaveSoundBuffer* write = set->writeBuffer;
  if (write == nullptr || write->writing || !write->full) return;
  if (write->used > 0 && SpForkWritesBehind(save_.fileRefNum)) return;
  const UInt8 last = write->last;
  if (write->used > 0) {
    saveBufferSetBasePtr_forAIFFC_GlV = set;
    if (OSErr err = IssueBufferWrite(set, aiffcParamBlock_GlV)) return FailSave(err);
  } else {
    // An empty buffer is done at once.
    write->full = write->cleared = write->stamped = 0;
    set->writeBuffer = write->next != nullptr ? write->next : set->ringHead;
    set->completionBuffer = set->writeBuffer;
  }
  if (last) EndOfRun();
}
