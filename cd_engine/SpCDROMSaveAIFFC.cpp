// The AIFF-C writer: the working format compressed by an output converter into a ring of three
// buffers, written behind an AIFF-C header through the temporary file.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "Clock.h"
#include "MacMemory.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMProgram.h"
#include "SpCDROMSaveSoundData.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"

namespace {

const char kSource[] = "SpCDROMSaveSoundData.cpp";

const char kMsgCompressionRefused[] = "AIFF-C cannot hold this compression !! ";

SoundConverterFillBufferDataUPP quickTimeFileSaveFillBuff_ForAIFFC_CBPtr_GlV = nullptr;

const OSType kAIFFCCompressions[] = {
    kSoundNotCompressed, k16BitBigEndianFormat, k16BitLittleEndianFormat, k8BitOffsetBinaryFormat,
    kIMACompression,     kULawCompression,      kALawCompression,         k24BitFormat,
    k32BitFormat,        kFloat32Format,        kFloat64Format,
};

// What the user reads about a compression the writer refuses.
std::string RefusalText(OSType compressionType) {
  Str255 name;
  std::string shown = "'" + std::string(1, char(compressionType >> 24)) +
                      char(compressionType >> 16) + char(compressionType >> 8) +
                      char(compressionType) + "'";
  if (GetCompressionName(compressionType, name) == noErr && name[0] != 0)
    shown.assign(reinterpret_cast<const char*>(name + 1), name[0]);
  return SpCDR_MJ("AIFF-Cファイルには「") + shown +
         SpCDR_MJ("」の圧縮では保存できません。処理を中断します。");
}

}  // namespace

Boolean SpCDR_AIFFCWriterTakesCompression(OSType compressionType) {
  const std::vector<OSType> taken = SpCDR_AIFFCWriterCompressions();
  return std::find(taken.begin(), taken.end(), compressionType) != taken.end();
}

std::vector<OSType> SpCDR_AIFFCWriterCompressions() {
  return std::vector<OSType>(std::begin(kAIFFCCompressions), std::end(kAIFFCCompressions));
}

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItemIntoAIFFC_File(
    SInt32 refNo, short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
    tCDRISoundFileType type, OSType compressionType, UnsignedFixed sampleRate, short sampleSize,
    short channels, Handle compressionSettings, float saveSpeed, SpCDR_SaveProgressProcPtr,
    unsigned long) {
  if (!SaveTargetProgItemIntoAIFFC_StandBy(refNo, vRefNum, dirID, name, creator, type,
                                           compressionType, sampleRate, sampleSize, channels,
                                           compressionSettings, saveSpeed)) {
    return false;
  }
  if (PlaySound()) {
    InitializeLoadSoundConverterInfo();
    if (SaveTargetProgItemIntoQuickTimeFile_InitBufferInfo()) return true;
  }
  EndOfLoadSoundConverterInfo();
  DisposeOutputConverter();
  DisposeSaveBufferSetBaseForCatchConverterAndWriteIntoFile();
  DisposeSaveBufferSetBase();
  AbandonSaveSetUp();
  stopRequest_ = 0;
  return false;
}

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItemIntoAIFFC_StandBy(
    SInt32 refNo, short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
    tCDRISoundFileType type, OSType compressionType, UnsignedFixed sampleRate, short sampleSize,
    short channels, Handle compressionSettings, float saveSpeed) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile";
  if (saveRunning_) return false;
  if (type != kSpCDRISoundFileTypeAIFC)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgTypeError, Boolean(false));
  if (!CheckSaveSources(refNo)) return false;
  // The name is a classic one: MacJapanese.
  if (!PrepareSaveFolder(nullptr, name, 1, vRefNum, dirID)) return false;
  if (!SpCDR_AIFFCWriterTakesCompression(compressionType)) {
    SpReportFailure(kSource, kMethod, 4, kMsgCompressionRefused);
    save_.writeError = siInvalidCompression;
    save_.failureTold = 1;
    SpCDR_ShowAlert(alertWindow_, RefusalText(compressionType));
    return false;
  }
  SetupSaveRecord(creator, type, saveSpeed);
  if (!TakeSaveCompression(refNo, compressionType, sampleRate, sampleSize, channels,
                           compressionSettings)) {
    return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, Boolean(false));
  }
  if (!CheckSaveSpace(refNo, type, true)) return false;
  // The new file is made under a temporary name: an existing file of the name stays until the
  // new one is complete.
  if (!StartSaveFile(refNo, creator, type)) return false;
  const UInt64 size = GetSaveDataSize(short(refNo), type);
  const OSErr err = SpCDR_SetupAIFFC_Header(
      save_.fileRefNum, saveChannelCount_, sampleRate, sampleSize, compressionType, UInt32(size),
      UInt32(size / UInt64(std::max<short>(loadChannelCount_, 1)) / 2));
  if (err != noErr) return FailSetUp(err);
  SInt64 start = 0;
  FSGetForkPosition(save_.fileRefNum, &start);
  save_.dataStart = start;
  save_.movieSave = 1;
  playing_ = 1;
  saveRunning_ = 1;
  return true;
}

void cSp_CDRProgramBaseObj::LoadAndConvertSoundDataForSaveAIFFC_ForEventLoop() {
  sSpSaveBufferSetBase* set = aiffcContext_;
  if (!saveRunning_ || save_.hold || stopRequest_ || set == nullptr) return;
  if (quickTimeFileSaveFillBuff_ForAIFFC_CBPtr_GlV == nullptr) {
    quickTimeFileSaveFillBuff_ForAIFFC_CBPtr_GlV =
        NewSoundConverterFillBufferDataUPP(SpCDROM_CatchSaveQTFileSoundConverterFillBufferDataCB);
  }
  sSpSaveSaveSoundBuffer* fill = set->fillBuffer;
  if (fill == nullptr || fill->writing || fill->full || outputConverter_ == nullptr) return;
  sSpCDRWriteQTFileCnvInfo& cnv = writeQuickTimeFileCnvInfo_GlV;
  cnv = sSpCDRWriteQTFileCnvInfo();
  cnv.dataComplete = set->allDataHanded;
  cnv.program = this;
  UInt32 bytes = 0, frames = 0;
  bool drained = false;
  const UInt64 start = SpCDR_NowMicroseconds();
  for (;;) {
    if (!save_.outputConversionBegun) {
      SoundConverterBeginConversion(outputConverter_);
      save_.outputConversionBegun = 1;
    }
    UInt32 flags = 0;
    const OSErr err =
        SoundConverterFillBuffer(outputConverter_, quickTimeFileSaveFillBuff_ForAIFFC_CBPtr_GlV,
                                 &cnv, fill->data, fill->size, &bytes, &frames, &flags);
    if (loadInfo_.converterRefused || loadInfo_.loadError || stopRequest_) return;
    // A refusing compressor fails the save: what came before is no complete file.
    if (err != noErr) return FailSave(err);
    if (!(flags & kSoundConverterHasLeftOverData)) drained = true;
    if (bytes > 0 || drained || SpCDR_NowMicroseconds() - start >= kSpCDRStepMicroseconds) break;
  }
  if (bytes > 0 || drained) {
    // The last buffer of the run (perhaps empty) tells the writer to end the save.
    fill->used = SInt32(bytes);
    fill->full = 1;
    fill->last = drained ? 1 : 0;
    set->framesWritten += frames;
    set->fillBuffer = fill->next != nullptr ? fill->next : set->ringHead;
  }
  if (cnv.handed) ReleaseHandedSaveBuffer();
  if (drained) set->allDataHanded = 1;
}

void cSp_CDRProgramBaseObj::FinishAIFFCConversion() {
  sSpSaveBufferSetBase* set = aiffcContext_;
  if (set == nullptr || outputConverter_ == nullptr) return;
  std::vector<UInt8> tail(std::max<UInt32>(outputBufferSize_, 1));
  UInt32 frames = 0, bytes = 0;
  OSErr err = SoundConverterEndConversion(outputConverter_, tail.data(), &frames, &bytes);
  save_.outputConversionBegun = 0;
  SoundConverterClose(outputConverter_);
  outputConverter_ = nullptr;
  if (err == noErr && bytes > 0) {
    ByteCount actual = 0;
    err = FSWriteFork(save_.fileRefNum, fsFromStart, save_.dataStart + SInt64(set->bytesWritten),
                      bytes, tail.data(), &actual);
    if (err == noErr && actual != bytes) err = ioErr;
    if (err == noErr) {
      set->bytesWritten += bytes;
      set->framesWritten += frames;
    }
  }
  if (err != noErr && save_.writeError == noErr) save_.writeError = err;
}
