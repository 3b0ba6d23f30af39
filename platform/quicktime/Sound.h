// Sound Manager: the sound formats, their records and the format table.
//
// A sound format is named by a four-character code ('twos' 16-bit big-endian linear PCM,
// 'mp4a' AAC, ...). The table behind GetCompressionInfo and GetCompressionName is the one
// every part of the sound layer uses (sample descriptions of movies, the converter): a
// format it does not know is a format the layer cannot read or write.
//
// The records keep the field order and the 32-bit widths of the original interfaces, but not
// their byte sizes where they hold pointers (SoundComponentData is 28 bytes on the original
// 32-bit machine and larger here): a record's recordSize field says what the original size
// was and is never used to copy memory.
#pragma once

#include "MacTypes.h"

// Formats.
enum : OSType {
  kSoundNotCompressed = SpFourCC("NONE"),
  k8BitOffsetBinaryFormat = SpFourCC("raw "),
  k16BitBigEndianFormat = SpFourCC("twos"),
  k16BitLittleEndianFormat = SpFourCC("sowt"),
  kFloat32Format = SpFourCC("fl32"),
  kFloat64Format = SpFourCC("fl64"),
  k24BitFormat = SpFourCC("in24"),
  k32BitFormat = SpFourCC("in32"),
  k32BitLittleEndianFormat = SpFourCC("23ni"),
  kMACE3Compression = SpFourCC("MAC3"),
  kMACE6Compression = SpFourCC("MAC6"),
  kIMACompression = SpFourCC("ima4"),
  kULawCompression = SpFourCC("ulaw"),
  kALawCompression = SpFourCC("alaw"),
  kMicrosoftADPCMFormat = 0x6D730002,  // 'ms' 0x0002
  kDVIIntelIMAFormat = 0x6D730011,     // 'ms' 0x0011
  kMPEGLayer3Format = 0x6D730055,      // 'ms' 0x0055
  kFullMPEGLay3Format = SpFourCC(".mp3"),
  kMPEG4AudioFormat = SpFourCC("mp4a"),
  kALACFormat = SpFourCC("alac"),
  kFLACFormat = SpFourCC("flac"),
  kOpusFormat = SpFourCC("opus"),
  kQDesignCompression = SpFourCC("QDMC"),
  kQDesign2Compression = SpFourCC("QDM2"),
  kQUALCOMMCompression = SpFourCC("Qclp"),
  kAMRNarrowbandFormat = SpFourCC("samr"),
  kAC3AudioFormat = SpFourCC("ac-3"),
  kOffsetBinary = k8BitOffsetBinaryFormat,
  kTwosComplement = k16BitBigEndianFormat,
  kLittleEndianFormat = k16BitLittleEndianFormat,
};

// Compression ids of sample descriptions and sound headers.
enum : SInt16 {
  variableCompression = -2,  // packets of varying size (MP3, AAC, ALAC, ...)
  fixedCompression = -1,     // packets of a fixed size and frame count (IMA, u-law, ...)
  notCompressed = 0,         // linear PCM
  threeToOne = 3,
  sixToOne = 4,
};

// Sample rates as unsigned 16.16 fixed point.
enum : UnsignedFixed {
  rate48khz = 0xBB800000u,
  rate44khz = 0xAC440000u,
  rate32khz = 0x7D000000u,
  rate22050hz = 0x56220000u,
  rate22khz = 0x56EE8BA3u,
  rate16khz = 0x3E800000u,
  rate11khz = 0x2B7745D1u,
  rate11025hz = 0x2B110000u,
  rate8khz = 0x1F400000u,
};

// Sound Manager result codes.
enum : OSErr {
  notEnoughHardwareErr = -201,
  badChannel = -205,
  badFormat = -206,
  notEnoughBufferSpace = -207,
  badFileFormat = -208,
  buffersTooSmall = -210,
  siVBRCompressionNotSupported = -213,
  siInvalidCompression = -223,
  siInvalidSampleRate = -225,
  siInvalidSampleSize = -226,
  siUnknownInfoType = -231,
};

// A block of sound in one format. `buffer` points at the samples (or is null when the
// record only describes a format).
struct SoundComponentData {
  SInt32 flags;
  OSType format;
  SInt16 numChannels;
  SInt16 sampleSize;
  UnsignedFixed sampleRate;
  SInt32 sampleCount;
  Byte* buffer;
  SInt32 reserved;
};
typedef SoundComponentData* SoundComponentDataPtr;

enum : SInt32 {
  kNoSoundComponentType = 0,
  kExtendedSoundData = 0x4000,  // in SoundComponentData.flags: the record is extended
};
enum : SInt32 {
  kExtendedSoundSampleCountNotValid = 1,
  kExtendedSoundBufferSizeValid = 2,
  kExtendedSoundCommonFrameSizeValid = 8,
};
// The recordSize the original 32-bit layout of ExtendedSoundComponentData had.
enum : SInt32 { kExtendedSoundComponentDataRecordSize = 68 };

// A SoundComponentData with the sizes of compressed input: the byte count of the buffer and,
// for packets of one size, that size.
struct ExtendedSoundComponentData {
  SoundComponentData desc;
  SInt32 recordSize;
  SInt32 extendedFlags;
  SInt32 bufferSize;
  SInt32 frameCount;
  SInt32* frameSizesArray;
  SInt32 commonFrameSize;
  void* extensionsPtr;
  SInt32 extensionsSize;
  UInt32 bufferFlags;
  UInt32 bufferFlagsMask;
};

// How a format packs its samples. samplesPerPacket frames make one packet of bytesPerPacket
// bytes per channel (bytesPerFrame for all channels); bytesPerSample is the size of one
// decoded sample. Zero sizes mean "varies" (variableCompression).
struct CompressionInfo {
  SInt32 recordSize;
  OSType format;
  SInt16 compressionID;
  UInt16 samplesPerPacket;
  UInt16 bytesPerPacket;
  UInt16 bytesPerFrame;
  UInt16 bytesPerSample;
  UInt16 futureUse1;
};
typedef CompressionInfo* CompressionInfoPtr;
typedef CompressionInfo** CompressionInfoHandle;
enum : SInt32 { kCompressionInfoRecordSize = 20 };

// The 'frma' atom that opens a decompression ('wave') atom list: its size, its type and the
// format it describes. A handle of this type holds the whole list (see Movies.h,
// GetSoundDescriptionExtension).
struct AudioFormatAtom {
  SInt32 size;
  OSType atomType;
  OSType format;
};
typedef AudioFormatAtom* AudioFormatAtomPtr;

enum : OSType {
  kAudioFormatAtomType = SpFourCC("frma"),
  kAudioEndianAtomType = SpFourCC("enda"),
  kAudioTerminatorAtomType = 0,
};

// The compressed sound header of sound resources and play-back buffers.
struct CmpSoundHeader {
  Ptr samplePtr;
  UInt32 numChannels;
  UnsignedFixed sampleRate;
  UInt32 loopStart;
  UInt32 loopEnd;
  UInt8 encode;
  UInt8 baseFrequency;
  UInt32 numFrames;
  extended80 AIFFSampleRate;
  Ptr markerChunk;
  OSType format;
  UInt32 futureUse2;
  void* stateVars;
  void* leftOverSamples;
  SInt16 compressionID;
  UInt16 packetSize;
  UInt16 snthID;
  UInt16 sampleSize;
  UInt8 sampleArea[1];
};
typedef CmpSoundHeader* CmpSoundHeaderPtr;

enum : UInt8 {
  stdSH = 0x00,
  extSH = 0xFF,
  cmpSH = 0xFE,
};

// The extended sound header of a play-back buffer: linear samples of more than 8 bits or more
// than one channel.
struct ExtSoundHeader {
  Ptr samplePtr;
  UInt32 numChannels;
  UnsignedFixed sampleRate;
  UInt32 loopStart;
  UInt32 loopEnd;
  UInt8 encode;
  UInt8 baseFrequency;
  UInt32 numFrames;
  extended80 AIFFSampleRate;
  Ptr markerChunk;
  Ptr instrumentChunks;
  Ptr AESRecording;
  UInt16 sampleSize;
  UInt16 futureUse1;
  UInt32 futureUse2;
  UInt32 futureUse3;
  UInt32 futureUse4;
  UInt8 sampleArea[1];
};

// A command for a sound channel; param2 carries pointers (a buffer's header, a buffer).
struct SndCommand {
  UInt16 cmd;
  SInt16 param1;
  intptr_t param2;
};

enum : UInt16 {
  nullCmd = 0,
  quietCmd = 3,
  flushCmd = 4,
  waitCmd = 10,
  pauseCmd = 11,
  resumeCmd = 12,
  callBackCmd = 13,
  ampCmd = 43,
  volumeCmd = 46,
  bufferCmd = 81,
  rateMultiplierCmd = 86,
};

// ---- Sound channels ------------------------------------------------------------------------
// A channel's commands play through the sound device (SDL2's audio output: the desktop's sound
// server) when there is one; without one (or with SDL's dummy driver) they play on the
// program's clock (the virtual clock in tests) without a sound. Either way a channel is served
// from an event-loop timer on the main loop while it has work, and its commands keep their
// times: a bufferCmd (param2: an ExtSoundHeader, a standard header (encode stdSH: 8-bit mono,
// its length in numChannels) or a CmpSoundHeader whose encode byte is cmpSH) lasts its frames
// at its rate, divided by the channel's rate multiplier; a waitCmd lasts param1
// half-milliseconds; a callBackCmd calls the channel's procedure there, on the main thread,
// with the command; ampCmd, volumeCmd and other commands pass at once. Commands are queued in
// order, 128 at most.
//
// Through the device, a buffer's samples are heard when they are linear: 8-bit offset binary
// (extended and standard headers, 'raw ', 'NONE'), 8-bit signed ('twos'), 16-bit big-endian
// (extended headers, 'twos', 'NONE'), 16-bit little-endian ('sowt'), 32-bit integers
// ('in32', '23ni') and 32-bit floats ('fl32'), one to eight channels; other samples last
// their length in silence. The rate multiplier plays them faster (and higher). Several
// channels are mixed. A callback comes when the device has played the sound before it.
//
// SndDoImmediate bypasses the queue: quietCmd ends the sound playing, flushCmd empties the
// queue, pauseCmd and resumeCmd stop and restart the queue's progress (the sound resumes at
// the frame it reached), rateMultiplierCmd sets the multiplier (param2, 16.16; 0 or less is
// refused), callBackCmd calls the procedure now, bufferCmd starts that buffer in place of the
// sound playing.

enum : SInt16 {
  sampledSynth = 5,
};
enum : SInt32 {
  initMono = 0x0080,
  initStereo = 0x00C0,
};
enum : OSErr {
  queueFull = -203,
};
enum : SInt16 { stdQLength = 128 };

struct SndChannel;
typedef SndChannel* SndChannelPtr;
typedef void (*SndCallBackProcPtr)(SndChannelPtr chan, SndCommand* cmd);
typedef SndCallBackProcPtr SndCallBackUPP;
SndCallBackUPP NewSndCallBackUPP(SndCallBackProcPtr proc);
void DisposeSndCallBackUPP(SndCallBackUPP upp);

// The fields a client may use; the rest of a channel is the layer's.
struct SndChannel {
  SndChannelPtr nextChan;
  Ptr firstMod;
  SndCallBackUPP callBack;
  intptr_t userInfo;
};

// A new channel in *chan (a channel of the caller's own, when *chan is not null, is taken as
// it is) with `userRoutine` as its callback procedure. synth must be 0 or sampledSynth
// (badChannel otherwise); init is kept. paramErr for a null chan; memFullErr.
OSErr SndNewChannel(SndChannelPtr* chan, SInt16 synth, SInt32 init, SndCallBackUPP userRoutine);
// Ends the channel: with quietNow or not, its commands are dropped (nothing waits for them).
// badChannel for a null or unknown channel.
OSErr SndDisposeChannel(SndChannelPtr chan, Boolean quietNow);
// Queues the command. queueFull when 128 wait (with or without noWait: nothing blocks).
OSErr SndDoCommand(SndChannelPtr chan, const SndCommand* cmd, Boolean noWait);
// Does the command now.
OSErr SndDoImmediate(SndChannelPtr chan, const SndCommand* cmd);
// The Sound Manager's version: 3.6.5.
NumVersion SndSoundManagerVersion();

// How the format packs its samples. compressionID fixedCompression asks by format (the
// usual call); notCompressed or variableCompression ask the same. numChannels and sampleSize
// complete the sizes of linear formats ('twos' and 'sowt' take 8, 16, 24 or 32 bits; the
// others have their own size, which a sampleSize of 0 asks for). paramErr for a null record,
// a channel count below 1 or a sample size the format cannot have; siInvalidCompression for
// a format the table lacks.
OSErr GetCompressionInfo(SInt16 compressionID, OSType format, SInt16 numChannels, SInt16 sampleSize,
                         CompressionInfoPtr cp);

// A readable name of the format ("not compressed", "IMA 4:1", "MPEG-4 AAC", ...), ASCII as
// a length-prefixed string. siInvalidCompression with an empty name for a format the table
// lacks; paramErr for a null name.
OSErr GetCompressionName(OSType compressionType, Str255 compressionName);

// ---- Sound files -----------------------------------------------------------------------------

// Writes the header of an AIFF file at the open file's current position (FSWrite): "FORM"
// (its size 46 + numBytes), "AIFF", the "COMM" chunk (numChannels, numFrames, sampleSize,
// sampleRate as an 80-bit float) and the "SSND" chunk's header (size numBytes + 8, offset 0,
// block size 0): 54 bytes, the sound data to follow. compressionType is 'NONE' (or 'twos',
// the same samples): any other gives siInvalidCompression and writes nothing. paramErr for a
// channel count below 1, a sample size that is not 8, 16, 24 or 32 bits or a rate of 0; the
// File Manager's error of a write that failed.
OSErr SetupAIFFHeader(SInt16 fRefNum, SInt16 numChannels, UnsignedFixed sampleRate,
                      SInt16 sampleSize, OSType compressionType, UInt32 numBytes, UInt32 numFrames);
