// Loading through QuickTime: every source a save reads (a sound file, or an audio CD's track
// file) is opened as a movie, the media of its first sound track is read group by group, and
// a Sound Converter turns it into the engine's working format: 16-bit big-endian linear
// samples ('twos'), 44,100 Hz, one or two channels.
//
// The program's load information (sSp_CDRQTFileLoadInfoObj) holds the state of one item's
// loading; its address is the refcon of the converter's fill-buffer procedure. The load step
// of a save (cSp_CDRProgramBaseObj::LoadQTFileSoundDataOnForwardForSaveDataInFileByVBR) fills
// the load buffer, from which the save's fill steps take their data.
//
// The saved level: the load step scales the working-format samples of each item by the
// program's amplification times the item's stored volume level (the CD's or the sound
// file's start data), both in percent, clipping them to 16 bits. At 100 % the data is left
// as it came (a 'twos' source is copied byte for byte).
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "Movies.h"
#include "Sound.h"
#include "SoundConverter.h"

class cSp_CDRProgramItemObj;

// The working format's rate (44,100 Hz as unsigned 16.16) and the bound of a load buffer and
// of a conversion while nothing is saved.
enum : UInt32 {
  kSpCDRWorkingRate = 0xAC440000u,
  kSpCDRPlayLoadBound = 235200,
};

// The load buffer: working-format data for the save's fill steps.
struct sSpSaveLoadSoundBuffer {
  UInt32 capacity;              // bytes
  UInt32 sectorCount;           // set only for the buffers the save steps make themselves
  UInt8* data;                  // capacity bytes
  cSp_CDRProgramItemObj* item;  // whose data it holds
  UInt32 words[5];
  UInt32 validBytes;      // whole frames of working-format data
  UInt8 endOfItem;        // the item's data ends with this block
  UInt8 consumedOnce;     // set by the multi-speed fill
  UInt32 sourcePosition;  // chunk start + consumed bytes of the source when filled
  UInt32 length;          // source bytes behind the data
  UInt32 outputOffset;    // working-format bytes of the item before this block
  UInt32 consumed;        // bytes taken by the save's fill step
  SoundComponentData description;
  // Where its validBytes lie: data, or the sample handle's bytes when they needed no
  // conversion (taken where they were read, not copied; the handle is read into again only
  // once they have been used).
  UInt8* samples;
};

// The progress of loading: (item, total media samples, samples read, refcon).
typedef void (*SpCDR_LoadProgressProcPtr)(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done,
                                          unsigned long refCon);

// The load information of a program.
struct sSp_CDRQTFileLoadInfoObj {
  Movie movie;
  Media media;
  UInt8 loadEnded;         // no more data will come for this run
  UInt8 mediaEnd;          // GetMediaSample answered invalidTime: the media is exhausted
  UInt8 convert;           // the source format differs from the working format
  UInt8 converterRefused;  // the converter answered siVBRCompressionNotSupported
  UInt8 itemFinished;      // the item's data is exhausted and the loader moved on
  UInt8 itemChanged;       // the loader switched items: the next step opens the new one
  UInt32 dataLength;       // bytes of sound data in the source
  UInt32 bytesRead;        // sample bytes fetched so far from this item
  TimeValue mediaTime;     // time of the next sample group
  UInt32 totalSamples;     // media samples (progress total)
  UInt32 samplesRead;      // media samples fetched so far (progress value)
  Handle sampleHandle;
  UInt32 sampleHandleSize;  // also the largest group asked for
  UInt32 inputBytesPerConversion;
  UInt32 inputFramesPerConversion;
  UInt32 bytesPerInputFrame;
  UInt32 chunkStart;     // bytes read before the group in the handle
  UInt32 bytesInHandle;  // size of that group
  UInt32 bytesConsumed;  // how much of it has been handed on
  UInt8 initialised;     // the current item is set up
  UInt8 hasConverter;
  UInt8 conversionBegun;
  UInt8 conversionEnded;  // the fill-buffer conversion reached its end
  SoundComponentData input;
  SoundComponentData output;
  SoundConverter converter;
  UInt32 outputBytes;  // working-format bytes produced for this item
  // The multi-speed fill's window fill, continuation flag, continuation write position and
  // fade weight.
  UInt32 windowFill;
  UInt8 continuation;
  SInt32 continuationPosition;
  float continuationWeight;
  UInt32 multiSpeedWord;
  sSpSaveLoadSoundBuffer* loadBuffer;
  UInt8 vbr;  // the source's compression id is variableCompression
  ExtendedSoundComponentData extendedInput;
  UInt8 memoryFull;  // GetMediaSample answered memFullErr
  UInt8 loadError;
  SInt16 loadErrorCode;
  UInt32 lastGroupBytes;  // size of the last group fetched by the load step itself
  SpCDR_LoadProgressProcPtr progressProc;
  unsigned long progressRefCon;
  UInt32 nextProgressTick;   // no report before this TickCount
  UInt32 lastProgressValue;  // samples read at the last report
  SInt32 levelPercent;       // the item's saved level (amplification x volume level / 100)
};

// Prepares a conversion of the file's first sound track into the working format, with
// `channels` channels when useChannels is set (else the source's count; counts other than 1
// or 2 become 2), negotiating an input size whose output never exceeds `bound` bytes.
// Opens the movie (handed out in *movie with its media when asked for, else disposed of)
// and the converter. Every output may be null. With tellUser, a failure beeps, is logged and
// shown on alertWindow (or in a modal dialog); a protected file shows only its alert (and
// sets *isProtected). 1 ready, 0 failed.
unsigned char Sp_InitLoadQTFileSoundConverterInfo(
    short vRefNum, SInt32 dirID, const char* name, unsigned char useChannels, short channels,
    UInt32* dataLength, UInt32* totalSamples, Movie* movie, Media* media, SoundComponentData* input,
    SoundComponentData* output, SoundConverter& converter, UInt32 bound, UInt32* inputBytes,
    UInt32* inputFrames, UInt32* bytesPerFrame, UInt32* spare, unsigned char* vbr,
    unsigned char tellUser, WindowRef alertWindow, unsigned char* isProtected);

// Prepares an output converter from the working format (inputChannels) to a movie's or an
// AIFF-C file's format: the description of its output (52 bytes and the encoder's 'wave'
// extension) in *description, its CompressionInfo, VBR flag and output buffer size. The
// decompression atom: a null handle receives the encoder's, a given one is handed to the
// converter. 1 ready, 0 failed (beeped, logged and shown on alertWindow).
unsigned char Sp_InitSaveQTFileSoundDataConverterInfo(
    short inputChannels, UInt32 format, UInt32 sampleRate, short sampleSize, short channels,
    SInt32 unusedWord, SInt32 bufferSize, Handle& decompressionAtom, WindowRef alertWindow,
    UInt32& outputRate, SoundDescriptionV1**& description, CompressionInfo& compression,
    unsigned char* vbr, SoundComponentData& input, SoundComponentData& output,
    UInt32& outputBufferSize, SoundConverter& converter);

// Reads the next group into the sample handle (growing it tenfold on demand, within half of
// MaxBlock) and reports progress. 1 when a group was read or the media ended, 0 on a failure.
unsigned char SpCDR_LoadMediaSampleFromQTFile(sSp_CDRQTFileLoadInfoObj* info);

// The converter's fill-buffer procedure; refCon is the load information.
Boolean SpCDROM_CatchSoundConverterFillBufferDataCB(SoundComponentDataPtr* data, void* refCon);

// The procedure's UPP, made once on first use.
extern SoundConverterFillBufferDataUPP theFillBufferDataUPP_GlV;
