// QuickTime start-up, the idle timer that keeps movies serviced, the sound-file checks, the
// lists of running playback objects and the alert catcher.
#include "SpQTInterface.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "CarbonEvents.h"
#include "Files.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"

namespace {

const char kSource[] = "SpQTInterface";

// Shown when a file that should be a movie cannot be opened.
const char kMovieOpenErrorMessage[] =
    "Movie\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8AJ\x82\xAD\x8D\xDB\x82\xC9\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x81"
    "B";  // "Movieファイルを開く際にエラーが発生。"

// QuickTime 3.0: the oldest this program starts.
constexpr UInt16 kOldestQuickTimeVersion = 0x02FF;
// Versions above 6.3 tell whether a movie is protected.
constexpr UInt16 kProtectionQueryVersion = 0x063F;
// The idle timer's period.
constexpr EventTimerInterval kIdleInterval = 0.05;

UInt16 quickTimeVersionNo_GlV = 0;
unsigned char enableQuickTimeFlag_GlV = 0;
unsigned char currentEnableQTIdleEventFlag_GlV = 0;
EventLoopTimerRef qtIdleEventRefNum_GlV = nullptr;
EventLoopTimerUPP gIdleTimerUPP = nullptr;
cSpQTOnExecuteMovieLink* onExecutedMovieItemListHeadPtr_GlV = nullptr;
cSpQTOnExecuteQTSoundLink* onExecutedSoundFileItemListHeadPtr_GlV = nullptr;

// The file specification of a file named by folder and zero-terminated name; false when the
// name does not fit a file name.
bool MakeFileSpec(short vRefNum, SInt32 dirID, const char* name, FSSpec& spec) {
  std::size_t length = std::strlen(name);
  if (length == 0 || length > 255) return false;
  Str255 pascalName;
  pascalName[0] = UInt8(length);
  std::memcpy(pascalName + 1, name, length);
  OSErr err = FSMakeFSSpec(vRefNum, dirID, pascalName, &spec);
  return err == noErr;
}

void ShowModalMessage(const char* message) {
  SpERORSYS_SayDialogProc modal = nullptr;
  SpSayErrorNo_GetDisplayProcs(&modal, nullptr);
  std::string text = message;
  if (modal != nullptr) {
    modal(&text[0], 0);
  } else {
    std::string utf8 = sp::text::MacJapaneseToUTF8(text) + "\n";
    std::fputs(utf8.c_str(), stderr);
  }
}

// Switches the idle timer on for one operation and off again at its end when the operation
// was the one that switched it on.
class IdleTimerLoan {
 public:
  IdleTimerLoan() : owner_(SpQTI_EnableIdleEvent() != 0) {}
  ~IdleTimerLoan() {
    if (owner_) SpQT_DisableIdleEvent();
  }
  IdleTimerLoan(const IdleTimerLoan&) = delete;
  IdleTimerLoan& operator=(const IdleTimerLoan&) = delete;

 private:
  bool owner_;
};

// The movie of the file, opened read-only; null when there is none. `showOpenError` shows the
// user a message when the file cannot be opened.
Movie OpenMovieOfFile(const FSSpec& spec, bool showOpenError) {
  SInt16 movieRefNum = 0;
  if (OpenMovieFile(&spec, &movieRefNum, fsRdPerm) != noErr) {
    if (showOpenError) ShowModalMessage(kMovieOpenErrorMessage);
    return nullptr;
  }
  if (GetMoviesError() != noErr) {
    SysBeep(19);
    SysBeep(19);
  }
  Movie movie = nullptr;
  SInt16 resId = 0;
  OSErr err = NewMovieFromFile(&movie, movieRefNum, &resId, nullptr, newMovieActive, nullptr);
  CloseMovieFile(movieRefNum);
  if (err == resNotFound) {
    // No movie resource: the movie is the file's data itself.
    SInt16 forkRefNum = 0;
    movie = nullptr;
    if (FSpOpenDF(&spec, fsRdPerm, &forkRefNum) == noErr) {
      if (NewMovieFromDataFork(&movie, forkRefNum, 0, newMovieActive, nullptr) != noErr) {
        movie = nullptr;
        FSClose(forkRefNum);
      }
    }
  } else if (err != noErr) {
    movie = nullptr;
  }
  return movie;
}

// What the first sound track of a movie says about its samples.
struct SoundTrackFacts {
  Media media = nullptr;
  SInt32 sampleCount = 0;
  SInt32 duration = 0;
  SInt32 timeScale = 0;
  UInt32 byteLength = 0;
  bool described = false;
};

// Fills the header and the decompression atom (when asked) from the media's sample
// description, and the facts. False when the movie has no sound track. Without `countNow` a
// sample count the file does not state is left out (sampleCount -1, byteLength 0).
bool DescribeSoundTrack(Movie movie, AudioFormatAtomPtr* decompressionAtom, CmpSoundHeader* header,
                        SoundTrackFacts& facts, bool countNow = true) {
  Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  if (track == nullptr) return false;
  facts.media = GetTrackMedia(track);
  if (facts.media == nullptr) return false;

  // Counted first: the count can find the stream longer than its length first read said (a
  // stream chained on), and the description's parameters then carry the length counted.
  facts.sampleCount =
      countNow ? GetMediaSampleCount(facts.media) : SpGetMediaSampleCountIfKnown(facts.media);
  Handle description = NewHandle(0);
  if (description != nullptr) {
    GetMediaSampleDescription(facts.media, 1,
                              reinterpret_cast<SampleDescriptionHandle>(description));
    facts.described =
        GetMoviesError() == noErr && GetHandleSize(description) >= Size(sizeof(SoundDescription));
  }
  if (facts.described) {
    auto soundDescription = reinterpret_cast<SoundDescriptionHandle>(description);
    const SoundDescription& desc = **soundDescription;
    if (decompressionAtom != nullptr) {
      Handle extension = nullptr;
      if (GetSoundDescriptionExtension(soundDescription, &extension, siDecompressionParams) ==
              noErr &&
          extension != nullptr) {
        Size size = GetHandleSize(extension);
        Ptr copy = NewPtr(size);
        if (copy != nullptr) {
          std::memcpy(copy, *extension, std::size_t(size));
          *decompressionAtom = reinterpret_cast<AudioFormatAtomPtr>(copy);
        }
        DisposeHandle(extension);
      }
    }
    if (header != nullptr) {
      header->format = desc.dataFormat;
      header->numChannels = UInt32(desc.numChannels);
      header->sampleSize = UInt16(desc.sampleSize);
      header->sampleRate = desc.sampleRate;
      header->compressionID = desc.compressionID;
    }
    if (facts.sampleCount > 0) {
      CompressionInfo info{};
      info.recordSize = kCompressionInfoRecordSize;
      if (GetCompressionInfo(fixedCompression, desc.dataFormat, desc.numChannels, desc.sampleSize,
                             &info) == noErr &&
          info.samplesPerPacket == 1) {
        facts.byteLength = UInt32(facts.sampleCount) * info.bytesPerFrame;
      } else if (GetHandleSize(description) >= Size(sizeof(SoundDescriptionV1))) {
        const SoundDescriptionV1& v1 = **reinterpret_cast<SoundDescriptionV1Handle>(description);
        if (v1.samplesPerPacket > 0) {
          facts.byteLength = UInt32(facts.sampleCount) / v1.samplesPerPacket * v1.bytesPerFrame;
        }
      }
    }
    facts.duration = GetMediaDuration(facts.media);
    facts.timeScale = GetMediaTimeScale(facts.media);
  }
  if (description != nullptr) DisposeHandle(description);
  return true;
}

bool IsProtected(Movie movie) {
  if (quickTimeVersionNo_GlV <= kProtectionQueryVersion) return false;
  Boolean isProtected = false;
  return QTGetMovieProperty(movie, kQTPropertyClass_DRM, kQTDRMPropertyID_IsProtected,
                            sizeof isProtected, &isProtected, nullptr) == noErr &&
         isProtected;
}

// The media type of the file's movie importer: noErr and the type, or the error when no
// importer was found.
OSErr ImporterMediaType(const FSSpec& spec, OSType& mediaType, bool& aliasMade) {
  mediaType = 0;
  aliasMade = false;
  AliasHandle alias = nullptr;
  if (NewAlias(nullptr, &spec, &alias) != noErr || alias == nullptr) return paramErr;
  aliasMade = true;
  Component importer = nullptr;
  OSErr err = GetMovieImporterForDataRef(rAliasType, reinterpret_cast<Handle>(alias), 0, &importer);
  if (err == noErr && importer == nullptr) err = cantFindHandler;
  if (err == noErr) {
    ComponentDescription description{};
    err = GetComponentInfo(importer, &description, nullptr, nullptr, nullptr);
    if (err == noErr) {
      if (description.componentFlags & movieImportMustGetDestinationMediaType) {
        ComponentInstance instance = OpenComponent(importer);
        if (instance != nullptr) {
          MovieImportGetDestinationMediaType(instance, &mediaType);
          CloseComponent(instance);
        }
      } else {
        mediaType = description.componentManufacturer;
      }
    }
  }
  DisposeHandle(reinterpret_cast<Handle>(alias));
  return err;
}

}  // namespace

// ---- Start-up ---------------------------------------------------------------------------------

unsigned char Sp_InitialQuckTime(unsigned char /*unused*/) {
  quickTimeVersionNo_GlV = 0;
  enableQuickTimeFlag_GlV = 0;
  SInt32 response = 0;
  if (Gestalt(gestaltQuickTimeVersion, &response) != noErr) return 0;
  UInt16 version = UInt16(UInt32(response) >> 16);
  if (version <= kOldestQuickTimeVersion) return 0;
  quickTimeVersionNo_GlV = version;
  if (EnterMovies() == noErr) enableQuickTimeFlag_GlV = 1;
  return enableQuickTimeFlag_GlV;
}

UInt16 Sp_GetQuickTImeVersion() {
  return quickTimeVersionNo_GlV;
}

unsigned char Sp_EnableQT() {
  return enableQuickTimeFlag_GlV;
}

// ---- Idle timer -------------------------------------------------------------------------------

unsigned char SpQTI_EnableIdleEvent() {
  if (currentEnableQTIdleEventFlag_GlV || !Sp_Is_CarbonEvent_ModeEnable()) return 0;
  if (gIdleTimerUPP == nullptr) gIdleTimerUPP = NewEventLoopTimerUPP(SpQTI_CatchIdleEventCB);
  if (gIdleTimerUPP == nullptr) return 0;
  EventLoopTimerRef timer = nullptr;
  if (InstallEventLoopTimer(GetMainEventLoop(), 0, kIdleInterval, gIdleTimerUPP, nullptr, &timer) !=
      noErr) {
    return 0;
  }
  qtIdleEventRefNum_GlV = timer;
  currentEnableQTIdleEventFlag_GlV = 1;
  return 1;
}

void SpQT_DisableIdleEvent() {
  if (!currentEnableQTIdleEventFlag_GlV) return;
  // A playing object still needs its movie serviced.
  if (onExecutedMovieItemListHeadPtr_GlV != nullptr ||
      onExecutedSoundFileItemListHeadPtr_GlV != nullptr) {
    return;
  }
  RemoveEventLoopTimer(qtIdleEventRefNum_GlV);
  qtIdleEventRefNum_GlV = nullptr;
  currentEnableQTIdleEventFlag_GlV = 0;
}

unsigned char SpQTI_CheckQuickTimeIdleEventStatus() {
  return currentEnableQTIdleEventFlag_GlV;
}

void SpQTI_CatchIdleEventCB(EventLoopTimerRef /*timer*/, void* /*userData*/) {
  MoviesTask(nullptr, 0);
}

Movie SpQTI_OpenMovieOfFileToPlay(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr || Sp_ExsitTargetFile(vRefNum, dirID, name) == 0) return nullptr;
  FSSpec spec{};
  if (!MakeFileSpec(vRefNum, dirID, name, spec)) return nullptr;
  IdleTimerLoan timer;
  return OpenMovieOfFile(spec, false);
}

// ---- Sound-file checks ------------------------------------------------------------------------

unsigned char Sp_CheckQuickTimeSoundFile(short vRefNum, SInt32 dirID, const char* name,
                                         UInt32 fileType, unsigned char openToCheck) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_CheckQuickTimeSoundFile", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  FSSpec spec{};
  if (!MakeFileSpec(vRefNum, dirID, name, spec)) return 0;
  IdleTimerLoan timer;

  Boolean canOpenAsMovie = false;
  if (CanQuickTimeOpenFile(&spec, fileType, 0, nullptr, &canOpenAsMovie, nullptr,
                           kQTDontLookForMovieImporterIfGraphicsImporterFound) != noErr ||
      !canOpenAsMovie) {
    return 0;
  }
  OSType mediaType = 0;
  bool aliasMade = false;
  OSErr err = ImporterMediaType(spec, mediaType, aliasMade);
  if (!aliasMade) return 0;
  if (err == noErr) return mediaType == SoundMediaType ? 1 : 0;
  // No importer: the file is a movie of its own, and sound when it has a sound track.
  if (!openToCheck) return 1;
  Movie movie = OpenMovieOfFile(spec, false);
  if (movie == nullptr) return 0;
  unsigned char isSound =
      GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType) != nullptr ? 1 : 0;
  DisposeMovie(movie);
  return isSound;
}

unsigned char Sp_CheckQuickTimeSoundTrackInTargetFile(
    short vRefNum, SInt32 dirID, const char* name, AudioFormatAtomPtr* decompressionAtom,
    CmpSoundHeader* header, UInt32* byteLength, UInt32* sampleCount, unsigned char* isProtected,
    SInt32* duration, SInt32* timeScale, float* seconds, Movie* movieOut, Media* mediaOut,
    unsigned char* sampleCountLeft) {
  if (isProtected != nullptr) *isProtected = 0;
  if (sampleCountLeft != nullptr) *sampleCountLeft = 0;
  if (movieOut != nullptr) *movieOut = nullptr;
  if (mediaOut != nullptr) *mediaOut = nullptr;
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_CheckQuickTimeSoundTrackInTargetFile", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  FSSpec spec{};
  if (!MakeFileSpec(vRefNum, dirID, name, spec)) {
    ShowModalMessage(kMovieOpenErrorMessage);
    return 0;
  }
  IdleTimerLoan timer;
  Movie movie = OpenMovieOfFile(spec, true);
  if (movie == nullptr) return 0;
  if (IsProtected(movie)) {
    DisposeMovie(movie);
    if (isProtected != nullptr) *isProtected = 1;
    return 0;
  }

  SoundTrackFacts facts;
  bool found =
      DescribeSoundTrack(movie, decompressionAtom, header, facts, sampleCountLeft == nullptr);
  if (found && facts.sampleCount < 0) {
    facts.sampleCount = 0;
    if (sampleCountLeft != nullptr) *sampleCountLeft = 1;
  }
  if (found && facts.described) {
    if (byteLength != nullptr) *byteLength = facts.byteLength;
    if (duration != nullptr) *duration = facts.duration;
    if (timeScale != nullptr) *timeScale = facts.timeScale;
    if (seconds != nullptr) {
      *seconds = facts.duration == 0 || facts.timeScale == 0
                     ? 0.0f
                     : float(double(facts.duration) / double(facts.timeScale));
    }
  }
  if (sampleCount != nullptr) *sampleCount = found ? UInt32(facts.sampleCount) : 0;
  if (movieOut != nullptr) {
    // The media lives in the movie: it goes out only with its movie.
    *movieOut = movie;
    if (mediaOut != nullptr) *mediaOut = found ? facts.media : nullptr;
  } else {
    DisposeMovie(movie);
  }
  return found ? 1 : 0;
}

unsigned char Sp_CheckQuickTimeSoundConverterFile(short vRefNum, SInt32 dirID, const char* name,
                                                  UInt32 outFormat, unsigned char useChannels,
                                                  short channels, short sampleSize,
                                                  UnsignedFixed sampleRate) {
  CmpSoundHeader header{};
  if (!Sp_CheckQuickTimeSoundTrackInTargetFile(vRefNum, dirID, name, nullptr, &header, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               nullptr) ||
      header.format == 0) {
    return SpReportFailure(kSource, "Sp_CheckQuickTimeSoundConverterFile", 1,
                           "cannot obtain File Data Length !! ", static_cast<unsigned char>(0));
  }
  SoundComponentData input{};
  input.format = header.format;
  input.numChannels = SInt16(header.numChannels);
  input.sampleSize = SInt16(header.sampleSize);
  input.sampleRate = header.sampleRate;
  SoundComponentData output{};
  output.format = outFormat;
  SInt16 outChannels = useChannels ? channels : SInt16(header.numChannels);
  output.numChannels = outChannels == 1 || outChannels == 2 ? outChannels : 2;
  output.sampleSize = sampleSize;
  output.sampleRate = sampleRate;
  SoundConverter converter = nullptr;
  if (SoundConverterOpen(&input, &output, &converter) != noErr) return 0;
  SoundConverterClose(converter);
  return 1;
}

namespace {

// Runs `use` on the media of the first sound track of the file's movie (opened read-only, the
// idle timer on meanwhile); false when the file has none.
template <typename Use>
bool WithFirstSoundMedia(short vRefNum, SInt32 dirID, const char* name, Use use) {
  FSSpec spec{};
  if (!MakeFileSpec(vRefNum, dirID, name, spec)) return false;
  IdleTimerLoan timer;
  Movie movie = OpenMovieOfFile(spec, false);
  if (movie == nullptr) return false;
  Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  Media media = track != nullptr ? GetTrackMedia(track) : nullptr;
  if (media != nullptr) use(media);
  DisposeMovie(movie);
  return media != nullptr;
}

}  // namespace

unsigned char SpGetQTFileSoundDataDurationTime(short vRefNum, SInt32 dirID, const char* name,
                                               SInt32& duration, SInt32& timeScale) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "SpGetQTFileSoundDataDurationTime", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  const bool found = WithFirstSoundMedia(vRefNum, dirID, name, [&](Media media) {
    duration = GetMediaDuration(media);
    timeScale = GetMediaTimeScale(media);
  });
  return found ? 1 : 0;
}

unsigned char Sp_CountQuickTimeSoundSamples(short vRefNum, SInt32 dirID, const char* name,
                                            UInt32* sampleCount) {
  if (name == nullptr || sampleCount == nullptr) {
    return SpReportFailure(kSource, "Sp_CountQuickTimeSoundSamples", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  *sampleCount = 0;
  SInt32 count = 0;
  if (!WithFirstSoundMedia(vRefNum, dirID, name,
                           [&](Media media) { count = GetMediaSampleCount(media); })) {
    return 0;
  }
  *sampleCount = UInt32(count);
  return 1;
}

OSErr Sp_GetQuickTimeSoundDataFileInfo(short vRefNum, SInt32 dirID, const char* name,
                                       AudioFormatAtomPtr* decompressionAtom,
                                       CmpSoundHeader* header, Handle* samples,
                                       UInt32* byteLength) {
  if (name == nullptr || samples == nullptr || *samples == nullptr) {
    return SpReportFailure(kSource, "Sp_GetQuickTimeSoundDataFileInfo", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  FSSpec spec{};
  if (!MakeFileSpec(vRefNum, dirID, name, spec)) return fnfErr;
  IdleTimerLoan timer;
  Movie movie = OpenMovieOfFile(spec, false);
  if (movie == nullptr) {
    OSErr err = GetMoviesError();
    return err != noErr ? err : OSErr(noMovieFound);
  }
  SoundTrackFacts facts;
  OSErr result = noErr;
  if (!DescribeSoundTrack(movie, decompressionAtom, header, facts)) {
    result = GetMoviesError() != noErr ? GetMoviesError() : OSErr(invalidTrack);
  } else {
    if (byteLength != nullptr) *byteLength = facts.byteLength;
    // Read group after group until the media's end; the time counts in the media's time
    // scale, whatever a sample holds. Compressed packets may run past the media's length
    // (the encoder's delay and padding): the reading ends where the media says invalidTime.
    TimeValue time = 0;
    Handle group = NewHandle(0);
    if (group == nullptr) result = memFullErr;
    while (result == noErr) {
      TimeValue sampleTime = 0;
      TimeValue durationPerSample = 0;
      SInt32 numberOfSamples = 0;
      OSErr err =
          GetMediaSample(facts.media, group, 0, nullptr, time, &sampleTime, &durationPerSample,
                         nullptr, nullptr, 0, &numberOfSamples, nullptr);
      if (err == invalidTime && time > 0) break;
      if (err != noErr) {
        result = err;
        break;
      }
      err = HandAndHand(group, *samples);
      if (err != noErr) {
        result = err;
        break;
      }
      TimeValue next = sampleTime + durationPerSample * numberOfSamples;
      if (next <= time) break;
      time = next;
    }
    if (group != nullptr) DisposeHandle(group);
  }
  DisposeMovie(movie);
  return result;
}

SInt32 SpGetUnicodeCharNum(const char* text, SInt32 size) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "SpGetUnicodeCharNum", 1, kSpMsgNullArgument, SInt32(0));
  }
  SInt32 count = 0;
  while (count < size && text[count] != 0) ++count;
  return count;
}

// ---- Running playback objects -----------------------------------------------------------------

namespace {

template <class Link>
bool ListHolds(Link* head, cSpQTOnExecuteLink* object) {
  for (cSpQTOnExecuteLink* item = head; item != nullptr; item = item->LinkNext()) {
    if (item == object) return true;
  }
  return false;
}

template <class Link>
OSErr AddToFront(Link*& head, Link* object, const char* method) {
  if (object == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullOperator, paramErr);
  if (ListHolds(head, object) || object->LinkBefore() != nullptr || object->LinkNext() != nullptr) {
    return SpReportFailure(kSource, method, 2, kSpMsgLinkError, paramErr);
  }
  if (head != nullptr) object->LinkAppend(head);
  head = object;
  return noErr;
}

template <class Link>
OSErr TakeOff(Link*& head, Link* object, const char* method) {
  if (object == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullOperator, paramErr);
  if (!ListHolds(head, object)) return paramErr;
  if (head == object) head = static_cast<Link*>(object->LinkNext());
  object->LinkOut();
  return noErr;
}

}  // namespace

OSErr SpQTM_SetupOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject) {
  return AddToFront(onExecutedMovieItemListHeadPtr_GlV, movieObject,
                    "SpQTM_SetupOnExecutedMovieItemList");
}

OSErr SpQTM_UnlinkOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject) {
  return TakeOff(onExecutedMovieItemListHeadPtr_GlV, movieObject,
                 "SpQTM_UnlinkOnExecutedMovieItemList");
}

unsigned char SpQTM_CheckTargetOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject) {
  if (movieObject == nullptr) {
    return SpReportFailure(kSource, "SpQTM_CheckTargetOnExecutedMovieItemList", 1,
                           kSpMsgNullOperator, static_cast<unsigned char>(0));
  }
  return ListHolds(onExecutedMovieItemListHeadPtr_GlV, movieObject) ? 1 : 0;
}

OSErr SpQTM_SetupOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject) {
  return AddToFront(onExecutedSoundFileItemListHeadPtr_GlV, soundObject,
                    "SpQTM_SetupOnExecutedQTSoundItemList");
}

OSErr SpQTM_UnlinkOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject) {
  return TakeOff(onExecutedSoundFileItemListHeadPtr_GlV, soundObject,
                 "SpQTM_UnlinkOnExecutedQTSoundItemList");
}

unsigned char SpQTM_CheckTargetOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject) {
  if (soundObject == nullptr) {
    return SpReportFailure(kSource, "SpQTM_CheckTargetOnExecutedQTSoundItemList", 1,
                           kSpMsgNullOperator, static_cast<unsigned char>(0));
  }
  return ListHolds(onExecutedSoundFileItemListHeadPtr_GlV, soundObject) ? 1 : 0;
}

cSpQTOnExecuteMovieLink* SpQTM_GetOnExecutedMovieItemListHead() {
  return onExecutedMovieItemListHeadPtr_GlV;
}

cSpQTOnExecuteQTSoundLink* SpQTM_GetOnExecutedQTSoundItemListHead() {
  return onExecutedSoundFileItemListHeadPtr_GlV;
}

// ---- Alert catcher ----------------------------------------------------------------------------

OSStatus SpQTI_SetupQuickTimeAlertEventCatcher(sQTI_AlertButtonDownCatcherDataInfo& info) {
  if (info.handler != nullptr) return noErr;
  if (info.handlerProc == nullptr) {
    info.handlerProc = NewEventHandlerUPP(SpQTI_CatchAlertButtonDownForOSXCFMHProc);
  }
  if (info.handlerProc == nullptr) return memFullErr;
  const EventTypeSpec mouseDown = {kEventClassMouse, kEventMouseDown};
  return InstallEventHandler(GetApplicationEventTarget(), info.handlerProc, 1, &mouseDown, &info,
                             &info.handler);
}

void SpQTI_RealeseQuickTimeAlertButtonDownCatcher(sQTI_AlertButtonDownCatcherDataInfo& info) {
  if (info.handler != nullptr) RemoveEventHandler(info.handler);
  info.handler = nullptr;
  if (info.handlerProc != nullptr) DisposeEventHandlerUPP(info.handlerProc);
  info.handlerProc = nullptr;
}

OSStatus SpQTI_CatchAlertButtonDownForOSXCFMHProc(EventHandlerCallRef /*callRef*/, EventRef event,
                                                  void* /*userData*/) {
  if (event == nullptr) return eventNotHandledErr;
  Point where{};
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr) {
    return eventNotHandledErr;
  }
  // A click is turned into a key only on an alert's default or cancel push button; windows
  // here carry no Control Manager buttons, so there is none under the point and the click
  // goes on to the window as usual.
  return eventNotHandledErr;
}
