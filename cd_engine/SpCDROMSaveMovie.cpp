// Saving into QuickTime movie files: the movie made in the temporary file, its samples added
// step by step (through an output converter when it is compressed) and its end.
#include <algorithm>
#include <cstring>

#include "Clock.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMProgram.h"
#include "SpCDROMSaveSoundData.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunction.h"

namespace {

const char kSource[] = "SpCDROMSaveSoundData.cpp";

// How much of a save buffer the output converter takes at a time (a tenth of a second of
// working-format sound): one take is compressed whole within a pass, and an encoder's first
// takes, before its memory is warm, run at a quarter of its later speed.
constexpr UInt32 kHandSliceFrames = 4410;
// Fills tried for one hand-over before the data counts as lost.
constexpr int kMaxFillRounds = 64;

SoundConverterFillBufferDataUPP quickTimeFileSaveFillBuffCBPtr_GlV = nullptr;

}  // namespace

// ---- Setting a movie save up ------------------------------------------------------------------

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile(
    SInt32 refNo, const FSRef* folder, const char* name, UInt32 nameEncoding,
    tCDRISoundFileType type, OSType compressionType, UnsignedFixed sampleRate, short sampleSize,
    short channels, Handle compressionSettings, float saveSpeed, SpCDR_SaveProgressProcPtr,
    unsigned long) {
  if (!SaveTargetProgItemIntoQuickTimeFile_StandBy(refNo, folder, name, nameEncoding, type,
                                                   compressionType, sampleRate, sampleSize,
                                                   channels, compressionSettings, saveSpeed)) {
    return false;
  }
  if (PlaySound()) return true;
  AbandonSaveSetUp();
  return false;
}

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile_StandBy(
    SInt32 refNo, const FSRef* folder, const char* name, UInt32 nameEncoding,
    tCDRISoundFileType type, OSType compressionType, UnsignedFixed sampleRate, short sampleSize,
    short channels, Handle compressionSettings, float saveSpeed) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile";
  if (saveRunning_) return false;
  if (type != kSpCDRISoundFileTypeMovie && type != kSpCDRISoundFileTypeMovieNoCompress)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgTypeError, Boolean(false));
  if (folder == nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgNullArgument, Boolean(false));
  if (!CheckSaveSources(refNo)) return false;
  if (!PrepareSaveFolder(folder, name, nameEncoding, 0, 0)) return false;
  SetupSaveRecord(SpFourCC("TVOD"), type, saveSpeed);
  if (type == kSpCDRISoundFileTypeMovieNoCompress) {
    compressionType = k16BitBigEndianFormat;
    sampleRate = kSpCDRWorkingRate;
    sampleSize = 16;
    compressionSettings = nullptr;
  }
  if (!TakeSaveCompression(refNo, compressionType, sampleRate, sampleSize, channels,
                           compressionSettings)) {
    return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, Boolean(false));
  }
  if (!CheckSaveSpace(refNo, type, false) || !TakeTemporaryName()) return false;

  FSSpec spec{};
  Str255 pname;
  pname[0] = UInt8(std::strlen(save_.tempName));
  std::memcpy(pname + 1, save_.tempName, pname[0]);
  OSErr err = FSMakeFSSpec(save_.vRefNum, save_.dirID, pname, &spec);
  // The name was free a moment ago: another program has taken it since.
  if (err == noErr) err = dupFNErr;
  if (err == fnfErr) {
    err = CreateMovieFile(&spec, SpFourCC("TVOD"), -1, createMovieFileDontCreateResFile,
                          &save_.movieResRefNum, &save_.movie);
    // Its record learns which file it is before anything else changes in a folder.
    if (err == noErr) TemporaryFileMade();
  }
  if (err == noErr) {
    save_.track = NewMovieTrack(save_.movie, 0, 0, 0x0100);
    err = GetMoviesError();
  }
  if (err == noErr) {
    save_.media =
        NewTrackMedia(save_.track, SoundMediaType, TimeScale(sampleRate >> 16), nullptr, 0);
    err = GetMoviesError();
  }
  if (err == noErr) err = BeginMediaEdits(save_.media);
  if (err != noErr) {
    save_.writeError = err;
    TellSaveFailure();
  }
  if (err != noErr || !SetupSavePlayChain(refNo)) {
    AbandonSaveSetUp();
    return false;
  }
  InitializeLoadInfo();
  save_.movieSave = 1;
  return true;
}

Boolean cSp_CDRProgramBaseObj::SaveTargetProgItemIntoQuickTimeFile_InitBufferInfo() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  bool openedLoad = false;
  bool openedOutput = false;
  auto fail = [&]() {
    L.loadEnded = 1;
    stopRequest_ = 1;
    if (openedLoad) EndOfLoadSoundConverterInfo();
    if (openedOutput) DisposeOutputConverter();
    return Boolean(false);
  };
  if (saveContext_ == nullptr && !SetupSaveBufferSetBase(0)) return fail();
  if (!L.initialised) {
    InitializeLoadSoundConverterInfo();
    if (!InitLoadQTFileSoundDataInfo(nullptr)) return fail();
    openedLoad = true;
    if (newSave_) {
      L.progressProc = saveProgressProc_;
      L.progressRefCon = saveProgressRefCon_;
      if (soundFileType_ == kSpCDRISoundFileTypeMovie ||
          soundFileType_ == kSpCDRISoundFileTypeMovieNoCompress ||
          soundFileType_ == kSpCDRISoundFileTypeAIFC) {
        DisposeOutputConverter();
        if (!InitSaveQTFileSoundDataConvertInfo()) return fail();
        openedOutput = true;
      }
      if (soundFileType_ == kSpCDRISoundFileTypeAIFC &&
          !SetupConvertAndSaveIntoNormaoFileBufferSetBase()) {
        return fail();
      }
      ReadOrSettingMusicFileInfoForSaveFile();
      newSave_ = 0;
    }
  }
  InitializeMultiSpeedData();
  return true;
}

// ---- Handing save buffers to the output converter -------------------------------------------

void cSp_CDRProgramBaseObj::ReleaseHandedSaveBuffer() {
  sSpSaveBufferSetBase* set = saveContext_;
  if (set == nullptr || set->completionBuffer == nullptr) return;
  sSpSaveSaveSoundBuffer* b = set->completionBuffer;
  b->cleared = b->stamped = b->full = b->writing = 0;
  set->completionBuffer = b->next != nullptr ? b->next : set->ringHead;
}

// One fill of the save buffers for the converter. False when the data stopped coming.
bool cSp_CDRProgramBaseObj::FillForConverter() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (!L.initialised && !InitLoadQTFileSoundDataInfo(nullptr)) {
    L.loadEnded = 1;
    stopRequest_ = 1;
    return false;
  }
  unsigned char done = 0;
  if (saveSpeed_ > 1.0f) {
    LoadFromQTFileAndSetupSaveBuff_ForMultiSpeedByFullScaleOverlap(done);
  } else {
    LoadFromQTFileAndSetupSaveBuff_ForNormalSpeed(done);
  }
  return !L.converterRefused && !L.loadError && !stopRequest_;
}

Boolean cSp_CDRProgramBaseObj::CatchSaveQTFileSoundConverterFillBufferDataCB(
    SInt32 counter, ExtendedSoundComponentData* record, unsigned char& done,
    unsigned char& handed) {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  sSpSaveBufferSetBase* set = saveContext_;
  done = 0;
  if (set == nullptr) {
    done = 1;
    L.loadError = 1;
    return SpReportFailure("CDMediaMgrSetupItem.cpp",
                           "cSp_CDRProgramBaseObj::CatchSaveQTFileSoundConverterFillBufferDataCB",
                           12345, kSpMsgDataError, Boolean(false));
  }
  if (L.loadError) {
    done = 1;
    return false;
  }
  if (save_.handOffset == 0) {
    if (counter > 0 && handed) {
      ReleaseHandedSaveBuffer();
      handed = 0;
    }
    int rounds = 0;
    for (;;) {
      sSpSaveSaveSoundBuffer* write = set->writeBuffer;
      if (write->full && write->used > 0) break;
      if (write->full && write->last) {
        // The run ended with an empty buffer: nothing more to hand.
        write->full = write->cleared = write->stamped = 0;
        set->writeBuffer = write->next != nullptr ? write->next : set->ringHead;
        set->completionBuffer = set->writeBuffer;
        done = 1;
        return false;
      }
      if (save_.dataComplete) {
        done = 1;
        return false;
      }
      if (!FillForConverter()) return false;
      if (++rounds > kMaxFillRounds) {
        FailSave(ioErr);
        return false;
      }
    }
    set->writeBuffer->writing = 1;
  }
  sSpSaveSaveSoundBuffer* write = set->writeBuffer;
  const short channels = std::max<short>(loadChannelCount_, 1);
  const UInt32 frame = 2u * UInt32(channels);
  const UInt32 left = UInt32(write->used) - save_.handOffset;
  const UInt32 n = std::min(left, kHandSliceFrames * frame);
  ExtendedSoundComponentData& r = *record;
  r = ExtendedSoundComponentData();
  r.desc.flags = kExtendedSoundData;
  r.desc.format = k16BitBigEndianFormat;
  r.desc.numChannels = channels;
  r.desc.sampleSize = 16;
  r.desc.sampleRate = kSpCDRWorkingRate;
  r.desc.sampleCount = SInt32(n / frame);
  r.desc.buffer = write->data + save_.handOffset;
  r.recordSize = kExtendedSoundComponentDataRecordSize;
  r.extendedFlags =
      kExtendedSoundBufferSizeValid | (vbrOutput_ ? kExtendedSoundCommonFrameSizeValid : 0);
  r.bufferSize = SInt32(n);
  r.frameCount = SInt32(n / frame);
  r.commonFrameSize = 16 * channels;
  testStaclDataSize_GlV += n;
  save_.handOffset += n;
  if (save_.handOffset >= UInt32(write->used)) {
    save_.handOffset = 0;
    handed = 1;
    done = write->last;
    set->writeBuffer = write->next != nullptr ? write->next : set->ringHead;
  }
  return true;
}

Boolean SpCDROM_CatchSaveQTFileSoundConverterFillBufferDataCB(SoundComponentData** out,
                                                              void* refCon) {
  auto* info = static_cast<sSpCDRWriteQTFileCnvInfo*>(refCon);
  if (info == nullptr || info->program == nullptr) return false;
  if (out != nullptr) *out = &info->record.desc;
  if (info->end) {
    info->record.desc.sampleCount = 0;
    info->record.bufferSize = 0;
    info->record.frameCount = 0;
    return false;
  }
  info->record = ExtendedSoundComponentData();
  unsigned char done = 0;
  const Boolean gave = info->program->CatchSaveQTFileSoundConverterFillBufferDataCB(
      info->counter, &info->record, done, info->handed);
  if (gave) ++info->counter;
  if (done) info->end = 1;
  // Nothing given and not at the end: the save stopped (its data is lost), which also ends
  // the converter's input.
  return gave ? Boolean(true) : Boolean(done != 0 ? true : false);
}

// ---- The movie step ---------------------------------------------------------------------------

void cSp_CDRProgramBaseObj::WriteSoundDataIntoQuickTimeFileForEventLoop() {
  if (!saveRunning_ || save_.hold || stopRequest_) return;
  if (save_.writeError != noErr) return FailSave(save_.writeError);
  // A movie's start takes passes of its own: the save buffers, then the source opened with the
  // output converter and the tags (as is the next source of the run); the samples follow.
  if (saveContext_ == nullptr) {
    if (!SetupSaveBufferSetBase(0)) {
      loadInfo_.loadEnded = 1;
      stopRequest_ = 1;
    }
    return;
  }
  const bool opening = !loadInfo_.initialised;
  if (!SaveTargetProgItemIntoQuickTimeFile_InitBufferInfo()) {
    EndOfLoadSoundConverterInfo();
    return;
  }
  if (opening) return;
  if (quickTimeFileSaveFillBuffCBPtr_GlV == nullptr) {
    quickTimeFileSaveFillBuffCBPtr_GlV =
        NewSoundConverterFillBufferDataUPP(SpCDROM_CatchSaveQTFileSoundConverterFillBufferDataCB);
  }
  sSpSaveBufferSetBase* set = saveContext_;
  sSpCDRWriteQTFileCnvInfo& cnv = writeQuickTimeFileCnvInfo_GlV;
  cnv = sSpCDRWriteQTFileCnvInfo();
  cnv.dataComplete = set->allDataHanded;
  SampleDescriptionHandle description =
      reinterpret_cast<SampleDescriptionHandle>(outputDescription_);
  UInt32 lastBytes = 0;
  if (!usesOutputConverter_) {
    unsigned char done = 0;
    if (saveSpeed_ > 1.0f) {
      LoadFromQTFileAndSetupSaveBuff_ForMultiSpeedByFullScaleOverlap(done);
    } else {
      LoadFromQTFileAndSetupSaveBuff_ForNormalSpeed(done);
    }
    if (done) cnv.dataComplete = 1;
    sSpSaveSaveSoundBuffer* write = set->writeBuffer;
    if (!write->writing && write->full) {
      if (write->used > 0) {
        write->writing = 1;
        Ptr data = reinterpret_cast<Ptr>(write->data);
        const SInt32 frames = write->used / 2 / std::max<short>(saveChannelCount_, 1);
        const OSErr err = AddMediaSample(save_.media, &data, 0, UInt32(write->used), 1, description,
                                         frames, 1, nullptr);
        if (err != noErr) return FailSave(err);
        lastBytes = UInt32(write->used);
        cnv.handed = 1;
      }
      cnv.end = write->last;
      set->writeBuffer = write->next != nullptr ? write->next : set->ringHead;
      if (write->used == 0) ReleaseHandedSaveBuffer();
    }
  } else {
    cnv.program = this;
    bool drained = false;
    const UInt64 start = SpCDR_NowMicroseconds();
    const UInt32 perPacket = std::max<UInt32>(outputCompression_.samplesPerPacket, 1);
    for (;;) {
      if (!save_.outputConversionBegun) {
        SoundConverterBeginConversion(outputConverter_);
        save_.outputConversionBegun = 1;
      }
      UInt32 bytes = 0, frames = 0, flags = 0;
      const OSErr err =
          SoundConverterFillBuffer(outputConverter_, quickTimeFileSaveFillBuffCBPtr_GlV, &cnv,
                                   outputBuffer_, outputBufferSize_, &bytes, &frames, &flags);
      save_.itemSwitchNotice = 0;
      if (loadInfo_.converterRefused || loadInfo_.loadError || stopRequest_) {
        SysBeep(19);
        break;
      }
      if (err != noErr) {
        // A compressor that refuses the data ends the save as failed: a movie with what came
        // before would be reported as complete while it is cut short.
        save_.outputConverterEnd = err == siVBRCompressionNotSupported ? 1 : 0;
        return FailSave(err);
      }
      lastBytes = bytes;
      if (bytes > 0) {
        Ptr data = outputBuffer_;
        const OSErr added = AddMediaSample(
            save_.media, &data, 0, bytes, vbrOutput_ ? TimeValue(perPacket) : 1, description,
            vbrOutput_ ? SInt32(frames) : SInt32(frames * perPacket), 1, nullptr);
        if (added != noErr) return FailSave(added);
      }
      if (!(flags & kSoundConverterHasLeftOverData)) {
        drained = true;
        break;
      }
      // Once the last data is handed, what the converter holds comes out in this step.
      if (!cnv.end && SpCDR_NowMicroseconds() - start >= kSpCDRStepMicroseconds) break;
    }
    cnv.end = drained ? 1 : 0;
    if (drained) cnv.dataComplete = 1;
  }
  set->bytesWritten += lastBytes;
  if (cnv.handed) ReleaseHandedSaveBuffer();
  if (cnv.dataComplete) set->allDataHanded = 1;
  if (cnv.dataComplete && cnv.end) EndOfRun();
}

// ---- The end of a movie -----------------------------------------------------------------------

OSErr cSp_CDRProgramBaseObj::FinishMovieFile() {
  OSErr err = noErr;
  if (soundFileType_ == kSpCDRISoundFileTypeMovie && outputConverter_ != nullptr) {
    UInt32 frames = 0, bytes = 0;
    err = SoundConverterEndConversion(outputConverter_, outputBuffer_, &frames, &bytes);
    save_.outputConversionBegun = 0;
    SoundConverterClose(outputConverter_);
    outputConverter_ = nullptr;
    if (err == noErr && bytes > 0) {
      Ptr data = outputBuffer_;
      const UInt32 perPacket = std::max<UInt32>(outputCompression_.samplesPerPacket, 1);
      err = AddMediaSample(save_.media, &data, 0, bytes, vbrOutput_ ? TimeValue(perPacket) : 1,
                           reinterpret_cast<SampleDescriptionHandle>(outputDescription_),
                           vbrOutput_ ? SInt32(frames) : SInt32(frames * perPacket), 0, nullptr);
    }
    if (err != noErr) return err;
  }
  if (musicFileRecord_ != nullptr) {
    musicFileRecord_->SetupID3intoMovieFileWithUserData(save_.movie);
    // MPEG-4 players read their tags from the 'meta' item.
    musicFileRecord_->SetupMusicInfoIntoMovieFileWithUserDataMetaType(save_.movie);
  }
  if ((err = EndMediaEdits(save_.media)) != noErr) return err;
  err = InsertMediaIntoTrack(save_.track, 0, 0, GetMediaDuration(save_.media), 0x00010000);
  if (err != noErr) return err;
  if (compressionType_ == kMPEG4AudioFormat)
    SpQTI_AddUserDataTextIntoMovie(save_.movie, "QuickTime 6.0 or greater", 0xA9726571);
  return AddMovieResource(save_.movie, save_.movieResRefNum, nullptr, nullptr);
}
