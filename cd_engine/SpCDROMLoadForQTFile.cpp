// Loading through QuickTime: a program item's file opened as a movie, read group by group and
// converted into the working format.
#include "SpCDROMLoadForQTFile.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Clock.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMProgram.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpStdFileFunction.h"

SoundConverterFillBufferDataUPP theFillBufferDataUPP_GlV = nullptr;

namespace {

const char kSource[] = "SpCDROMLoadForQTFile.cpp";
const char kInitLoad[] = "Sp_InitLoadQTFileSoundConverterInfo";
const char kMsgConverter[] = "Sound Converter Error occured !! ";

// Reports between progress callbacks, in ticks.
constexpr UInt32 kProgressTicks = 60;
// Tries of a read that gives no bytes and no error before it counts as a failure.
constexpr int kMaxEmptyReads = 1000;

// QuickTime 6.0: from here on a compressor may give packets of varying size.
constexpr UInt16 kVariablePacketsVersion = 0x05FF;

// A save loads at most a save buffer at a time (its load buffer and the converter's input take
// that much each), a quarter of MaxBlock where that is less.
UInt32 LoadBound(bool saving) {
  if (!saving) return kSpCDRPlayLoadBound;
  const UInt32 quarter = UInt32(MaxBlock() / 4);
  const UInt32 buffer = SpCDR_SaveBufferBytes(nullptr);
  return buffer != 0 ? std::min(buffer, quarter) : quarter;
}

SoundComponentData WorkingFormat(short channels) {
  SoundComponentData d{};
  d.format = k16BitBigEndianFormat;
  d.numChannels = channels;
  d.sampleSize = 16;
  d.sampleRate = kSpCDRWorkingRate;
  return d;
}

bool SameFormat(const SoundComponentData& a, const SoundComponentData& b) {
  return a.format == b.format && a.sampleSize == b.sampleSize && a.sampleRate == b.sampleRate &&
         a.numChannels == b.numChannels;
}

void Fail(const char* method, SInt32 code, const char* message, unsigned char tell,
          WindowRef window, const char* alertUTF8) {
  if (!tell) return;
  SpReportFailure(kSource, method, code, message);
  SpCDR_ShowAlert(window, SpCDR_MJ(alertUTF8));
}

void DisposeAtom(AudioFormatAtomPtr& atom) {
  if (atom != nullptr) DisposePtr(reinterpret_cast<Ptr>(atom));
  atom = nullptr;
}

// A new handle of `size` zeroed bytes, moved high and locked; null when memory is short.
Handle NewSampleHandle(Size size) {
  Handle h = NewHandleClear(size);
  if (h == nullptr) return nullptr;
  MoveHHi(h);
  HLock(h);
  return h;
}

void DisposeSampleHandle(Handle& h) {
  if (h == nullptr) return;
  HUnlock(h);
  DisposeHandle(h);
  h = nullptr;
}

void EndLoadQTFileSoundDataInfoBuffer(sSp_CDRQTFileLoadInfoObj& info) {
  if (info.loadBuffer == nullptr) return;
  if (info.loadBuffer->data != nullptr) DisposePtr(reinterpret_cast<Ptr>(info.loadBuffer->data));
  DisposePtr(reinterpret_cast<Ptr>(info.loadBuffer));
  info.loadBuffer = nullptr;
}

// The item's loading ends with an error the save tells.
unsigned char FailLoad(sSp_CDRQTFileLoadInfoObj& info, OSErr err) {
  info.loadErrorCode = err;
  info.loadError = 1;
  info.loadEnded = 1;
  return 0;
}

void ReportProgress(sSp_CDRQTFileLoadInfoObj& info) {
  if (info.progressProc != nullptr && info.loadBuffer != nullptr) {
    info.progressProc(info.loadBuffer->item, SInt32(info.totalSamples), SInt32(info.samplesRead),
                      info.progressRefCon);
  }
  info.lastProgressValue = info.samplesRead;
  info.nextProgressTick = TickCount() + kProgressTicks;
}

// The 52-byte description of a movie's or AIFF-C file's sound, in the host's order.
void FillDescription(SoundDescriptionV1& d, OSType format, short channels, short sampleSize,
                     SInt16 compressionID, UnsignedFixed rate) {
  d = SoundDescriptionV1();
  d.desc.descSize = SInt32(sizeof(SoundDescriptionV1));
  d.desc.dataFormat = format;
  // A movie finds its samples through data reference 1 (the movie's own file).
  d.desc.dataRefIndex = 1;
  d.desc.version = 1;
  d.desc.numChannels = channels;
  d.desc.sampleSize = sampleSize;
  d.desc.compressionID = compressionID;
  d.desc.sampleRate = rate;
}

}  // namespace

UInt32 SpCDR_SaveBufferBytes(UInt32* sectors) {
  UInt32 n = UInt32(float(MaxBlock()) * 0.8f * 0.25f) / 176400u * 75u;
  if (n > 750) n = 750;
  if (sectors != nullptr) *sectors = n;
  return n < 150 ? 0 : n * kSpCDBytesPerSector;
}

// ---- The converter of a source --------------------------------------------------------------

unsigned char Sp_InitLoadQTFileSoundConverterInfo(
    short vRefNum, SInt32 dirID, const char* name, unsigned char useChannels, short channels,
    UInt32* dataLength, UInt32* totalSamples, Movie* movie, Media* media, SoundComponentData* input,
    SoundComponentData* output, SoundConverter& converter, UInt32 bound, UInt32* inputBytes,
    UInt32* inputFrames, UInt32* bytesPerFrame, UInt32* spare, unsigned char* vbr,
    unsigned char tellUser, WindowRef alertWindow, unsigned char* isProtected) {
  converter = nullptr;
  if (isProtected != nullptr) *isProtected = 0;
  if (movie != nullptr) *movie = nullptr;
  if (media != nullptr) *media = nullptr;
  CmpSoundHeader header{};
  AudioFormatAtomPtr atom = nullptr;
  UInt32 length = 0, samples = 0;
  unsigned char protectedFile = 0;
  Movie theMovie = nullptr;
  Media theMedia = nullptr;
  const unsigned char found = Sp_CheckQuickTimeSoundTrackInTargetFile(
      vRefNum, dirID, name, &atom, &header, &length, &samples, &protectedFile, nullptr, nullptr,
      nullptr, &theMovie, &theMedia);
  auto finish = [&](unsigned char ok) {
    DisposeAtom(atom);
    if (ok && movie != nullptr) {
      *movie = theMovie;
      if (media != nullptr) *media = theMedia;
    } else if (theMovie != nullptr) {
      DisposeMovie(theMovie);
    }
    return ok;
  };
  if (!found || theMedia == nullptr ||
      (header.compressionID != variableCompression && length == 0)) {
    if (isProtected != nullptr) *isProtected = protectedFile;
    if (!tellUser) return finish(0);
    if (protectedFile) {
      // A protected file is no failure of the program: only the user is told.
      SpCDR_ShowAlert(alertWindow,
                      SpCDR_MJ("著作権保護機能により保護されているファイルのため再生する"
                               "ことができません。処理を中断します。"));
    } else if (length == 0) {
      Fail(kInitLoad, 2, "cannot obtain File Data Length !! ", 1, alertWindow,
           "実行初期化段階でファイル再生時間の取得に失敗しました。処理を中断します");
    } else {
      Fail(kInitLoad, 4, "QuickTime Initialize Error Occured !! ", 1, alertWindow,
           "実行初期化段階でファイルの情報の取得に失敗しました。処理を中断します");
    }
    return finish(0);
  }
  const bool variable = header.compressionID == variableCompression;
  if (vbr != nullptr) *vbr = variable ? 1 : 0;
  if (dataLength != nullptr) *dataLength = length;
  if (totalSamples != nullptr) *totalSamples = samples;
  SoundComponentData in{};
  in.format = header.format;
  in.numChannels = SInt16(header.numChannels);
  in.sampleSize = SInt16(header.sampleSize);
  in.sampleRate = header.sampleRate;
  if (input != nullptr) *input = in;
  short outChannels = useChannels ? channels : SInt16(header.numChannels);
  if (outChannels != 1 && outChannels != 2) outChannels = 2;
  const SoundComponentData out = WorkingFormat(outChannels);
  if (output != nullptr) *output = out;

  if (SoundConverterOpen(&in, &out, &converter) != noErr) {
    converter = nullptr;
    Fail(kInitLoad, 6, kMsgConverter, tellUser, alertWindow,
         "サウンド変換モジュールのOpenに失敗しました。このQuickTimeのバージョンでは対応していない"
         "フォーマットと思われます。処理を中断します");
    return finish(0);
  }
  if (variable) {
    SoundConverterSetInfo(converter, siClientAcceptsVBR, reinterpret_cast<void*>(1));
    if (atom != nullptr) SoundConverterSetInfo(converter, siDecompressionParams, atom);
  }
  if (SameFormat(in, out)) {
    const UInt32 frame = 2u * UInt32(outChannels);
    if (inputBytes != nullptr) *inputBytes = bound;
    if (bytesPerFrame != nullptr) *bytesPerFrame = frame;
    if (inputFrames != nullptr) *inputFrames = bound / frame;
    if (spare != nullptr) *spare = bound;
    return finish(1);
  }
  auto closeAndFail = [&](SInt32 code, const char* message, const char* alert) {
    Fail(kInitLoad, code, message, tellUser, alertWindow, alert);
    SoundConverterClose(converter);
    converter = nullptr;
    return finish(0);
  };
  if (atom != nullptr && SoundConverterSetInfo(converter, siDecompressionParams, atom) != noErr) {
    return closeAndFail(8, kMsgConverter,
                        "サウンド変換モジュールの初期設定でエラーが発生しました。処理を中断します");
  }
  // The largest input whose output still fits the bound. A cut that rounds to nothing still
  // takes a byte, so that the search ends.
  UInt32 target = bound, frames = 0, bytes = 0, outBytes = 0;
  for (int round = 0; round < 4096; ++round) {
    if (SoundConverterGetBufferSizes(converter, target, &frames, &bytes, &outBytes) != noErr) {
      bytes = outBytes = 0;
      break;
    }
    if (outBytes <= bound) break;
    UInt32 cut = UInt32(float(target) * (float(outBytes - bound) / float(outBytes)));
    if (cut == 0) cut = 1;
    if (cut >= target) break;
    target -= cut;
  }
  if (bytes == 0 || bytes > bound || outBytes == 0 || outBytes > bound || frames == 0) {
    return closeAndFail(10, "Sound Converter Buffer Size Error occured !! ",
                        "サウンド変換モジュールの初期設定でサイズについてのエラーが発生しました。"
                        "処理を中断します");
  }
  if (inputBytes != nullptr) *inputBytes = bytes;
  if (inputFrames != nullptr) *inputFrames = frames;
  if (bytesPerFrame != nullptr) *bytesPerFrame = bytes / frames;
  if (spare != nullptr) *spare = variable ? 1 : 0;
  return finish(1);
}

unsigned char Sp_InitSaveQTFileSoundDataConverterInfo(
    short inputChannels, UInt32 format, UInt32 sampleRate, short sampleSize, short channels, SInt32,
    SInt32 bufferSize, Handle& decompressionAtom, WindowRef alertWindow, UInt32& outputRate,
    SoundDescriptionV1**& description, CompressionInfo& compression, unsigned char* vbr,
    SoundComponentData& input, SoundComponentData& output, UInt32& outputBufferSize,
    SoundConverter& converter) {
  if (description != nullptr) {
    HUnlock(reinterpret_cast<Handle>(description));
    DisposeHandle(reinterpret_cast<Handle>(description));
    description = nullptr;
  }
  input = WorkingFormat(inputChannels);
  output = SoundComponentData{0, format, channels, sampleSize, sampleRate, 0, nullptr, 0};
  if (SoundConverterOpen(&input, &output, &converter) != noErr) {
    converter = nullptr;
    Fail(kInitLoad, 4, "Sound Converter Open Error !!", 1, alertWindow,
         "サウンド変換モジュールのOpenに失敗しました。このQuickTimeのバージョンでは対応していない"
         "フォーマットと思われます。処理を中断します");
    return 0;
  }
  SInt32 version = 0;
  if (Gestalt(gestaltQuickTimeVersion, &version) == noErr &&
      UInt16(UInt32(version) >> 16) > kVariablePacketsVersion) {
    SoundConverterSetInfo(converter, siClientAcceptsVBR, reinterpret_cast<void*>(1));
  }
  UnsignedFixed rate = sampleRate;
  SInt16 count = channels;
  SoundConverterSetInfo(converter, siCompressionSampleRate, &rate);
  SoundConverterSetInfo(converter, siCompressionChannels, &count);
  // The description carries the encoder's own 'wave' atom (its configuration, which a decoder
  // of the file needs); compression settings given in the handle only reach the encoder.
  Handle encoderAtom = nullptr;
  if (decompressionAtom != nullptr) {
    HLock(decompressionAtom);
    SoundConverterSetInfo(converter, siDecompressionParams, *decompressionAtom);
    HUnlock(decompressionAtom);
  }
  if (SoundConverterGetInfo(converter, siDecompressionParams, &encoderAtom) != noErr)
    encoderAtom = nullptr;
  if (decompressionAtom == nullptr && encoderAtom != nullptr) {
    decompressionAtom = encoderAtom;
    if (HandToHand(&decompressionAtom) != noErr) decompressionAtom = nullptr;
  }
  UnsignedFixed realRate = sampleRate;
  SoundConverterGetInfo(converter, siCompressionOutputSampleRate, &realRate);
  outputRate = realRate;
  Handle h = NewHandleClear(Size(sizeof(SoundDescriptionV1)));
  if (h == nullptr) {
    SpReportFailure(kSource, kInitLoad, 0, "Cannot allocated memory !!");
    if (encoderAtom != nullptr) DisposeHandle(encoderAtom);
    SoundConverterClose(converter);
    converter = nullptr;
    return 0;
  }
  description = reinterpret_cast<SoundDescriptionV1**>(h);
  const bool factor = SoundConverterGetInfo(converter, siCompressionFactor, &compression) == noErr;
  SoundDescriptionV1 d;
  FillDescription(d, format, channels, sampleSize, factor ? compression.compressionID : 0,
                  outputRate);
  if (factor) {
    d.samplesPerPacket = compression.samplesPerPacket;
    d.bytesPerPacket = compression.bytesPerPacket;
    d.bytesPerFrame = UInt32(compression.bytesPerPacket) * UInt32(channels);
    d.bytesPerSample = compression.bytesPerSample;
  }
  std::memcpy(*h, &d, sizeof d);
  if (encoderAtom != nullptr) {
    AddSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(h), encoderAtom,
                                 siDecompressionParams);
    DisposeHandle(encoderAtom);
  }
  UInt16 maxPacket = 0;
  SoundConverterGetInfo(converter, siCompressionMaxPacketSize, &maxPacket);
  UInt32 outBytes = 0;
  SoundConverterGetBufferSizes(converter, UInt32(std::max<SInt32>(bufferSize, 0)), nullptr, nullptr,
                               &outBytes);
  const UInt32 packet = maxPacket != 0 ? maxPacket : (UInt32(bufferSize) & 0xFFFF);
  outputBufferSize = std::max(outBytes, packet);
  if (vbr != nullptr) *vbr = d.desc.compressionID == variableCompression ? 1 : 0;
  return 1;
}

// ---- Samples and the fill-buffer procedure --------------------------------------------------

unsigned char SpCDR_LoadMediaSampleFromQTFile(sSp_CDRQTFileLoadInfoObj* info) {
  if (info == nullptr || info->loadEnded) return 0;
  const SInt32 grow = SInt32(MaxBlock() / 2);
  SInt32 size = SInt32(info->sampleHandleSize);
  for (int empty = 0; empty < kMaxEmptyReads;) {
    SInt32 bytes = 0, count = 0;
    TimeValue sampleTime = 0, perSample = 0;
    const OSErr err = GetMediaSample(info->media, info->sampleHandle, size, &bytes, info->mediaTime,
                                     &sampleTime, &perSample, nullptr, nullptr, 0, &count, nullptr);
    if (err == noErr && bytes > 0) {
      info->chunkStart = info->bytesRead;
      info->bytesRead += UInt32(bytes);
      info->bytesConsumed = 0;
      info->bytesInHandle = UInt32(bytes);
      info->samplesRead += UInt32(count);
      info->extendedInput.desc.sampleCount = perSample * count;
      info->mediaTime = sampleTime + perSample * count;
      if (info->vbr && count > 0) info->extendedInput.commonFrameSize = bytes / count;
      info->extendedInput.bufferSize = bytes;
      if (info->samplesRead != info->lastProgressValue &&
          (TickCount() >= info->nextProgressTick || info->samplesRead == info->totalSamples)) {
        ReportProgress(*info);
      }
      return 1;
    }
    switch (err) {
      case maxSizeToGrowTooSmall: {
        // A packet larger than the handle: ten times the room, within half of MaxBlock.
        SInt64 next = SInt64(std::max<SInt32>(size, 1)) * 10;
        if (next > grow) next = next / 10 * 2;
        // A packet that cannot be held would leave the item short.
        if (next > grow) return FailLoad(*info, memFullErr);
        size = SInt32(next);
        DisposeSampleHandle(info->sampleHandle);
        info->sampleHandle = NewSampleHandle(size);
        if (info->sampleHandle == nullptr) {
          info->memoryFull = 1;
          return 0;
        }
        info->sampleHandleSize = UInt32(size);
        continue;
      }
      case invalidTime:
        // The media ends here. Fewer samples than it held when it was opened means its file
        // was cut short while it was read: an error, never a shorter item.
        if (info->samplesRead < info->totalSamples) break;
        info->mediaEnd = 1;
        return 1;
      case memFullErr:
        info->memoryFull = 1;
        return 0;
      case noErr:
        ++empty;
        continue;
      default:
        break;
    }
    return FailLoad(*info, err == invalidTime ? OSErr(eofErr) : err);
  }
  return FailLoad(*info, ioErr);
}

Boolean SpCDROM_CatchSoundConverterFillBufferDataCB(SoundComponentDataPtr* data, void* refCon) {
  auto* info = static_cast<sSp_CDRQTFileLoadInfoObj*>(refCon);
  if (info == nullptr || info->loadEnded) return 0;
  ExtendedSoundComponentData& e = info->extendedInput;
  Boolean result = 0;
  UInt32 n = 0;
  if (!info->mediaEnd) {
    if (info->bytesInHandle > 0 && info->bytesConsumed < info->bytesInHandle) {
      // A group the load step fetched itself (after memory ran short).
      if (info->lastGroupBytes > 0) {
        e.bufferSize = SInt32(info->bytesInHandle);
        n = info->lastGroupBytes;
        result = 1;
      }
    } else if (SpCDR_LoadMediaSampleFromQTFile(info)) {
      result = 1;
      n = info->bytesInHandle - std::min(info->bytesConsumed, info->bytesInHandle);
    }
  }
  if (n > 0 && info->sampleHandle != nullptr) {
    e.desc.buffer = reinterpret_cast<Byte*>(*info->sampleHandle);
    info->bytesConsumed += n;
    if (info->loadBuffer != nullptr) {
      info->loadBuffer->length = n;
      info->loadBuffer->sourcePosition = info->chunkStart + info->bytesConsumed;
    }
    if (data != nullptr) *data = &e.desc;
    return 1;
  }
  e.commonFrameSize = 0;
  e.desc.buffer = nullptr;
  e.desc.sampleCount = 0;
  e.bufferSize = 0;
  if (data != nullptr) *data = &e.desc;
  return result;
}

// ---- A program's loading --------------------------------------------------------------------

void cSp_CDRProgramBaseObj::InitializeLoadSoundConverterInfo() {
  loadInfo_.hasConverter = 0;
  loadInfo_.converter = nullptr;
  loadInfo_.conversionBegun = 0;
}

void cSp_CDRProgramBaseObj::EndOfLoadSoundConverterInfo() {
  if (loadInfo_.converter != nullptr && loadInfo_.hasConverter)
    SoundConverterClose(loadInfo_.converter);
  InitializeLoadSoundConverterInfo();
}

bool cSp_CDRProgramBaseObj::CurrentItemGone() const {
  return currentItem_ == nullptr ||
         (currentItem_->GetItemType() == kSpCDRProgItemCDTrack &&
          (currentItem_->GetCDGoneFlag() || currentItem_->GetCDMedia() == nullptr ||
           currentItem_->GetTrackData() == nullptr));
}

Boolean cSp_CDRProgramBaseObj::InitLoadQTFileSoundDataInfo(unsigned char* isProtected) {
  static const char kMethod[] = "cSp_CDRProgramBaseObj::InitLoadQTFileSoundDataInfo";
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (isProtected != nullptr) *isProtected = 0;
  if (L.movie != nullptr) DisposeMovie(L.movie);
  L.movie = nullptr;
  L.media = nullptr;
  // The failure of an earlier load (of a save that ended with it) is no failure of this one:
  // left set, it would fail every later save of the program at its first fill.
  L.loadError = 0;
  L.loadErrorCode = noErr;
  L.converterRefused = 0;
  L.memoryFull = 0;
  const UInt32 bound = LoadBound(saveRunning_ != 0);
  // A CD that went away takes its tracks along: the run stops.
  if (CurrentItemGone()) return false;
  cSp_CDRProgramItemObj& item = *currentItem_;
  if (!Sp_ExsitTargetFile(item.GetVolumeRefNum(), item.GetDirID(), item.GetFileName())) {
    // A file moved or renamed since it was added is found again by its file id.
    SInt32 dirID = 0;
    char name[kSpProgramItemNameSize] = {};
    if (item.GetFileID() != 0 &&
        Sp_GetFileNameFromFileId(item.GetVolumeRefNum(), item.GetFileID(), dirID, name) == noErr &&
        Sp_ExsitTargetFile(item.GetVolumeRefNum(), dirID, name)) {
      item.SetupFileLocation(dirID, name);
    } else {
      SpReportFailure(kSource, kMethod, 2, "not exist target source file !! ");
      SpCDR_ShowAlert(alertWindow_,
                      SpCDR_MJ("元となるファイルが見つかりませんでした。処理を中断します"));
      return false;
    }
  }
  EndOfLoadSoundConverterInfo();
  SoundConverter converter = nullptr;
  unsigned char vbr = 0;
  if (!Sp_InitLoadQTFileSoundConverterInfo(
          item.GetVolumeRefNum(), item.GetDirID(), item.GetFileName(), saveRunning_,
          loadChannelCount_, &L.dataLength, &L.totalSamples, &L.movie, &L.media, &L.input,
          &L.output, converter, bound, &L.inputBytesPerConversion, &L.inputFramesPerConversion,
          &L.bytesPerInputFrame, nullptr, &vbr, 1, alertWindow_, isProtected)) {
    return false;
  }
  L.vbr = vbr;
  L.converter = converter;
  L.hasConverter = converter != nullptr ? 1 : 0;
  ExtendedSoundComponentData& e = L.extendedInput;
  e = ExtendedSoundComponentData();
  e.desc = L.input;
  e.desc.flags = kExtendedSoundData;
  e.recordSize = kExtendedSoundComponentDataRecordSize;
  e.extendedFlags = kExtendedSoundSampleCountNotValid | kExtendedSoundBufferSizeValid;
  L.bytesConsumed = L.bytesRead = 0;
  L.mediaTime = 0;
  L.samplesRead = 0;
  L.outputBytes = 0;
  L.windowFill = 0;
  L.continuation = 0;
  L.continuationPosition = 0;
  L.continuationWeight = 0;
  L.multiSpeedWord = 0;
  L.bytesInHandle = 0;
  L.chunkStart = 0;
  L.lastGroupBytes = 0;
  L.conversionEnded = 0;
  L.mediaEnd = 0;
  L.lastProgressValue = 0;
  L.nextProgressTick = 0;
  if (saveRunning_) {
    if (L.loadBuffer == nullptr || L.loadBuffer->capacity != bound) {
      EndLoadQTFileSoundDataInfoBuffer(L);
      auto* buffer =
          reinterpret_cast<sSpSaveLoadSoundBuffer*>(NewPtrClear(sizeof(sSpSaveLoadSoundBuffer)));
      if (buffer != nullptr) {
        buffer->data = reinterpret_cast<UInt8*>(NewPtrClear(Size(bound)));
        if (buffer->data == nullptr) {
          DisposePtr(reinterpret_cast<Ptr>(buffer));
          buffer = nullptr;
        } else {
          buffer->capacity = bound;
        }
      }
      L.loadBuffer = buffer;
    }
  }
  L.initialised = 1;
  L.convert = SameFormat(L.input, L.output) ? 0 : 1;
  L.levelPercent = GetItemSaveLevel(&item);
  const UInt32 size = std::max<UInt32>(L.inputBytesPerConversion, 1);
  if (L.sampleHandle == nullptr || L.sampleHandleSize != size) {
    DisposeSampleHandle(L.sampleHandle);
    L.sampleHandle = NewSampleHandle(Size(size));
    L.sampleHandleSize = L.sampleHandle != nullptr ? size : 0;
  }
  return L.sampleHandle != nullptr;
}

void cSp_CDRProgramBaseObj::EndLoadQTFileSoundDataInfo() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  DisposeSampleHandle(L.sampleHandle);
  L.sampleHandleSize = 0;
  if (L.movie != nullptr) DisposeMovie(L.movie);
  L.movie = nullptr;
  L.media = nullptr;
  EndLoadQTFileSoundDataInfoBuffer(L);
  L.initialised = 0;
}

void cSp_CDRProgramBaseObj::ResetLoadInfoForItemSwitch() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  L.loadEnded = 0;
  if (L.itemChanged) {
    L.initialised = 0;
    if (L.movie != nullptr) DisposeMovie(L.movie);
    L.movie = nullptr;
    L.media = nullptr;
    L.itemChanged = 0;
  }
  L.itemFinished = 0;
  L.chunkStart = L.bytesRead = L.samplesRead = L.bytesInHandle = L.bytesConsumed = 0;
  L.mediaTime = 0;
  L.outputBytes = 0;
  L.mediaEnd = 0;
}

void cSp_CDRProgramBaseObj::StallReport() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  // Nothing new was read: the same value again once a second keeps the display alive. The
  // final value of an item was reported when it was read, and is not repeated every step.
  if (L.lastProgressValue >= L.samplesRead && TickCount() >= L.nextProgressTick) ReportProgress(L);
}

void cSp_CDRProgramBaseObj::FetchGroupAfterMemoryFull() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  L.memoryFull = 0;
  if (!SpCDR_LoadMediaSampleFromQTFile(&L)) {
    L.loadEnded = 1;
    return;
  }
  if (L.mediaEnd) {
    L.loadEnded = 1;
    return;
  }
  L.lastGroupBytes = L.bytesInHandle;
}

void cSp_CDRProgramBaseObj::MoveToNextItemAfterLoadEnd() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (repeatOne_) return;
  cSp_CDRProgramItemObj* next =
      currentItem_ != nullptr ? currentItem_->GetTargetNextObjectPtr() : nullptr;
  if (next != nullptr) {
    currentItem_ = next;
  } else if (repeatAll_ && chainHead_ != nullptr) {
    // From the head again (its loading starts afresh also when it is the only item).
    currentItem_ = chainHead_;
  } else {
    return;
  }
  L.itemChanged = 1;
  L.loadEnded = 0;
  L.itemFinished = 1;
}

void cSp_CDRProgramBaseObj::ApplySaveLevel(UInt8* data, UInt32 bytes) const {
  const SInt32 level = loadInfo_.levelPercent;
  if (level >= 100 || level < 0) return;
  const float gain = float(level) / 100.0f;
  for (UInt32 i = 0; i + 1 < bytes; i += 2) {
    const float v = float(SInt16(sp::LoadBE16(data + i))) * gain;
    const SInt32 s = std::max<SInt32>(-32768, std::min<SInt32>(32767, SInt32(v)));
    sp::StoreBE16(data + i, UInt16(SInt16(s)));
  }
}

Boolean cSp_CDRProgramBaseObj::LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (L.loadEnded || L.loadBuffer == nullptr) return false;
  if (CurrentItemGone()) {
    // The source went with its CD: the save stops.
    L.loadEnded = 1;
    stopRequest_ = 1;
    return false;
  }
  sSpSaveLoadSoundBuffer& buffer = *L.loadBuffer;
  buffer.item = currentItem_;
  StallReport();
  L.memoryFull = 0;
  UInt32 stepBytes = 0;
  UInt8* samples = buffer.data;
  if (!L.convert) {
    if (L.bytesInHandle == 0 || L.bytesConsumed >= L.bytesInHandle) {
      SpCDR_LoadMediaSampleFromQTFile(&L);
      if (L.mediaEnd) L.loadEnded = 1;
    }
    if (L.bytesConsumed < L.bytesInHandle && L.sampleHandle != nullptr) {
      const UInt32 n = std::min(buffer.capacity, L.bytesInHandle - L.bytesConsumed);
      samples = reinterpret_cast<UInt8*>(*L.sampleHandle) + L.bytesConsumed;
      L.bytesConsumed += n;
      buffer.sourcePosition = L.chunkStart + L.bytesConsumed;
      buffer.length = n;
      stepBytes = n;
    } else {
      buffer.length = 0;
    }
  } else if (L.conversionEnded) {
    UInt32 frames = 0, bytes = 0;
    SoundConverterEndConversion(L.converter, buffer.data, &frames, &bytes);
    stepBytes = std::min(bytes, buffer.capacity);
    L.loadEnded = 1;
    L.conversionEnded = 0;
  } else {
    if (theFillBufferDataUPP_GlV == nullptr)
      theFillBufferDataUPP_GlV =
          NewSoundConverterFillBufferDataUPP(SpCDROM_CatchSoundConverterFillBufferDataCB);
    if (!L.conversionBegun) {
      SoundConverterBeginConversion(L.converter);
      L.conversionBegun = 1;
    }
    UInt32 written = 0, frames = 0, flags = 0;
    const OSErr err =
        SoundConverterFillBuffer(L.converter, theFillBufferDataUPP_GlV, &L, buffer.data,
                                 buffer.capacity, &written, &frames, &flags);
    if (err == siVBRCompressionNotSupported) {
      L.converterRefused = 1;
      return false;
    }
    if (err != noErr) {
      // A converter that fails now would fail on every step: the load ends with its error.
      FailLoad(L, err);
      return false;
    }
    if (!(flags & kSoundConverterHasLeftOverData)) L.conversionEnded = 1;
    stepBytes = written;
    if (L.loadError) return false;
  }
  if (L.memoryFull) FetchGroupAfterMemoryFull();
  if (L.loadError) return false;
  FinishLoadStep(buffer, stepBytes, samples);
  return true;
}

void cSp_CDRProgramBaseObj::FinishLoadStep(sSpSaveLoadSoundBuffer& buffer, UInt32 stepBytes,
                                           UInt8* samples) {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  const UInt32 frameBytes = 2u * UInt32(std::max<SInt16>(L.output.numChannels, 1));
  buffer.samples = samples;
  buffer.validBytes = stepBytes / frameBytes * frameBytes;
  ApplySaveLevel(samples, buffer.validBytes);
  buffer.outputOffset = L.outputBytes;
  buffer.consumed = 0;
  buffer.description = L.output;
  StallReport();
  // The block ends its item when the loading of the item ended, whether or not the loader
  // goes on with another item.
  const UInt8 itemEnded = L.loadEnded;
  if (L.loadEnded) {
    EndOfLoadSoundConverterInfo();
    MoveToNextItemAfterLoadEnd();
  }
  buffer.endOfItem = itemEnded;
  L.outputBytes += stepBytes;
}

OSErr cSp_CDRProgramBaseObj::LoadGroupBlockwise(UInt8* dest, UInt32 capacity, UInt32& stepBytes,
                                                UInt32& sourceBytes) {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  stepBytes = sourceBytes = 0;
  if (L.bytesInHandle == 0 || L.bytesConsumed >= L.bytesInHandle) {
    SpCDR_LoadMediaSampleFromQTFile(&L);
    if (L.mediaEnd) L.loadEnded = 1;
  }
  if (L.bytesConsumed >= L.bytesInHandle || L.sampleHandle == nullptr) return noErr;
  const UInt8* from = reinterpret_cast<const UInt8*>(*L.sampleHandle) + L.bytesConsumed;
  sourceBytes = L.bytesInHandle - L.bytesConsumed;
  if (!L.convert) {
    stepBytes = std::min(capacity, sourceBytes);
    std::memcpy(dest, from, stepBytes);
    L.bytesConsumed += stepBytes;
    return noErr;
  }
  const UInt32 frameBytes = std::max<UInt32>(L.bytesPerInputFrame, 1);
  UInt32 frames = 0, bytes = 0;
  const OSErr err = SoundConverterConvertBuffer(L.converter, from, sourceBytes / frameBytes, dest,
                                                &frames, &bytes);
  if (err == siVBRCompressionNotSupported) {
    L.converterRefused = 1;
  } else if (err != noErr) {
    FailLoad(L, err);
  }
  stepBytes = std::min(bytes, capacity);
  L.bytesConsumed = L.bytesInHandle;
  return err;
}

Boolean cSp_CDRProgramBaseObj::LoadQTFileSoundDataOnForwardForSaveDataInFile() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (L.loadEnded || L.loadBuffer == nullptr) return false;
  sSpSaveLoadSoundBuffer& buffer = *L.loadBuffer;
  buffer.item = currentItem_;
  StallReport();
  UInt32 stepBytes = 0, sourceBytes = 0;
  if (LoadGroupBlockwise(buffer.data, buffer.capacity, stepBytes, sourceBytes) != noErr)
    return false;
  if (sourceBytes > 0) {
    buffer.sourcePosition = L.chunkStart + L.bytesConsumed;
    buffer.length = sourceBytes;
  }
  FinishLoadStep(buffer, stepBytes, buffer.data);
  return true;
}

Boolean cSp_CDRProgramBaseObj::LoadQTFileSoundDataOnForward() {
  sSp_CDRQTFileLoadInfoObj& L = loadInfo_;
  if (bufferSet_ == nullptr || L.loadEnded) return false;
  sSpPlayBackBufferSetBase& set = *bufferSet_;
  const SInt32 index = set.currentBlock >= 0 && set.currentBlock < SInt32(kSpCDReadBlockCount)
                           ? set.currentBlock
                           : 0;
  if (!set.blockFree[index]) return false;
  if (!L.initialised && !InitLoadQTFileSoundDataInfo(nullptr)) {
    L.loadEnded = 1;
    return false;
  }
  sSpCDReadBlock& block = set.blocks[index];
  UInt32 stepBytes = 0, sourceBytes = 0;
  if (LoadGroupBlockwise(block.data, kSpCDReadBlockBytes, stepBytes, sourceBytes) != noErr) {
    L.loadEnded = 1;
    return false;
  }
  block.firstWord = stepBytes;
  block.item = currentItem_;
  block.description = L.output;
  set.blockFree[index] = 0;
  set.currentBlock = (index + 1) % SInt32(kSpCDReadBlockCount);
  if (L.loadEnded) {
    EndOfLoadSoundConverterInfo();
    if (repeatOne_ || (repeatAll_ && currentItem_ != nullptr &&
                       currentItem_->GetTargetNextObjectPtr() == nullptr)) {
      if (!repeatOne_) currentItem_ = chainHead_;
      L.itemChanged = 1;
      ResetLoadInfoForItemSwitch();
    } else if (currentItem_ != nullptr && currentItem_->GetTargetNextObjectPtr() != nullptr) {
      currentItem_ = currentItem_->GetTargetNextObjectPtr();
      L.itemChanged = 1;
      ResetLoadInfoForItemSwitch();
    } else {
      SpCDR_SetupEndOfPlayProgramList(this);
    }
  }
  return true;
}

// ---- The output converter of a movie or AIFF-C save -----------------------------------------

void cSp_CDRProgramBaseObj::DisposeOutputConverter() {
  if (outputConverter_ != nullptr) SoundConverterClose(outputConverter_);
  outputConverter_ = nullptr;
  if (outputBuffer_ != nullptr) DisposePtr(outputBuffer_);
  outputBuffer_ = nullptr;
  outputBufferSize_ = 0;
  if (outputDescription_ != nullptr) DisposeHandle(reinterpret_cast<Handle>(outputDescription_));
  outputDescription_ = nullptr;
  usesOutputConverter_ = 0;
}

Boolean cSp_CDRProgramBaseObj::InitSaveQTFileSoundDataConvertInfo() {
  const short loadChannels = loadChannelCount_ > 0 ? loadChannelCount_ : 2;
  const bool linear =
      compressionType_ == kSoundNotCompressed || compressionType_ == k16BitBigEndianFormat;
  const bool aiffc = soundFileType_ == kSpCDRISoundFileTypeAIFC;
  // A movie of linear samples at the working rate takes the working samples as they are; an
  // AIFF-C file keeps the sample size chosen (8-bit samples stay 8-bit).
  if (linear && saveSampleRate_ == kSpCDRWorkingRate && (!aiffc || saveSampleSize_ <= 0))
    saveSampleSize_ = 16;
  // The AIFF-C writer always compresses through a converter (its buffers come from it).
  if (linear && saveSampleRate_ == kSpCDRWorkingRate && saveChannelCount_ == loadChannels &&
      !aiffc) {
    usesOutputConverter_ = 0;
    outputRate_ = saveSampleRate_;
    outputCompression_ = CompressionInfo{0, compressionType_, 0, 1, 2, 0, 2, 0};
    if (outputDescription_ != nullptr) DisposeHandle(reinterpret_cast<Handle>(outputDescription_));
    Handle h = NewHandleClear(Size(sizeof(SoundDescriptionV1)));
    outputDescription_ = reinterpret_cast<SoundDescriptionV1**>(h);
    if (h == nullptr) return false;
    SoundDescriptionV1 d;
    FillDescription(d, compressionType_, saveChannelCount_, 16, 0, saveSampleRate_);
    d.samplesPerPacket = 1;
    d.bytesPerPacket = 2;
    d.bytesPerFrame = 2u * UInt32(saveChannelCount_);
    d.bytesPerSample = 2;
    std::memcpy(*h, &d, sizeof d);
    converterInput_ = converterOutput_ = SoundComponentData{
        0, compressionType_, saveChannelCount_, 16, saveSampleRate_, 0, nullptr, 0};
    vbrOutput_ = 0;
    return true;
  }
  usesOutputConverter_ = 1;
  const UInt32 saveBuffer = SpCDR_SaveBufferBytes(nullptr);
  UInt32 outputSize = 0;
  // Uncompressed AIFF-C samples are signed at every size, 8 bits too ('raw ' is the offset
  // form): the converter makes them as 'twos' does.
  const OSType converted =
      aiffc && compressionType_ == kSoundNotCompressed ? k16BitBigEndianFormat : compressionType_;
  if (!Sp_InitSaveQTFileSoundDataConverterInfo(
          loadChannels, converted, saveSampleRate_, saveSampleSize_, saveChannelCount_, 0,
          SInt32(saveBuffer), decompressionAtom_, alertWindow_, outputRate_, outputDescription_,
          outputCompression_, &vbrOutput_, converterInput_, converterOutput_, outputSize,
          outputConverter_)) {
    return false;
  }
  if (soundFileType_ == kSpCDRISoundFileTypeAIFC) {
    if (outputBuffer_ != nullptr) DisposePtr(outputBuffer_);
    outputBuffer_ = nullptr;
    outputBufferSize_ = outputSize;
    return true;
  }
  if (outputBuffer_ == nullptr || outputBufferSize_ != saveBuffer) {
    if (outputBuffer_ != nullptr) DisposePtr(outputBuffer_);
    outputBuffer_ = NewPtrClear(Size(saveBuffer));
    if (outputBuffer_ == nullptr) return false;
  }
  outputBufferSize_ = saveBuffer;
  return true;
}
