// Saving a program item, or a whole program, into a file: plain AIFF and WAVE files, AIFF-C
// files and QuickTime movies.
//
// Every save writes into a temporary file ("mSpeadFileTmp", or that name followed by 1 ... 100)
// in the target folder and only replaces anything once the new file is complete: the end of a
// save finishes the header and the tags, closes and flushes the file and puts it in the place
// of an existing file of the final name with FSReplaceFileKeepingOldInTrash (the old file is
// linked into the Trash, then the new one renamed over it), so that the final name names the
// old file until it names the complete new one. A folder of the final name is never replaced.
// A save that is stopped (by the user, a full disk, a failed write, a source that went away or
// a CD that was ejected), or whose end step fails, deletes its temporary file and leaves the
// folder as it was (a new file that could not take its name stays under the temporary one, and
// the user is told so); its end callback says so with the stop flag. Whatever failed is told to
// the user once, with the error the system gave.
//
// Each temporary file is recorded in the program's data folder (SpRecordTemporaryFile) before
// it is made, so that those of saves cut off by a kill or a crash are removed by the next save
// or at start-up; a save whose temporary file cannot be recorded does not start.
//
// The data flow: the save steps (SpCDROMPlayTrackNormal.h) fill the save buffers from the
// load buffer; the plain writer writes each full buffer with an asynchronous write at its
// offset; the movie writer adds the buffers as movie samples, through an output converter
// when the movie is compressed; the AIFF-C writer compresses them into buffers of its own.
//
// Sizes: the 32-bit size fields of AIFF, AIFF-C and WAVE files cannot describe more than
// 4 GiB, and no save, a movie's neither, holds more than 2^31 - 1 sample frames at 44.1 kHz
// (about 13 and a half hours), so such saves are refused before anything is written.
#pragma once

#include <string>
#include <vector>

#include "Files.h"
#include "MacTypes.h"
#include "Movies.h"
#include "Sound.h"

class cSp_CDRProgramBaseObj;
struct sSpSaveBufferSetBase;

// The state of the file a save writes (held by its program).
struct sSpCDRSaveTarget {
  FSRef folder;
  UInt32 nameEncoding;
  char finalName[512];
  char tempName[32];
  UInt32 tempRecord;  // the temporary file's record (SpRecordTemporaryFile); 0: none
  UInt8 tempMade;     // the temporary file was made by this save (only then is it removed)
  short vRefNum;
  SInt32 dirID;
  short fileRefNum;  // the open file; 0: none
  SInt64 dataStart;  // file position after the header
  UInt8 movieSave;   // 1 for movies
  UInt32 bytesCounter;
  UInt32 secondCounter;
  UInt8 dataComplete;      // the last data of the run is in the save buffers
  UInt8 hold;              // while set the steps do nothing
  UInt8 firstWindow;       // the first multi-speed window starts at full weight
  UInt8 itemSwitchNotice;  // the loader moved to another item (cleared by the movie step)
  UInt8 bufferSetReady;
  UInt32 saveBufferSize;
  // The movie of a movie save.
  short movieResRefNum;
  Movie movie;
  Track track;
  Media media;
  UInt8 outputConverterEnd;     // the output converter refused the data
  UInt8 outputConversionBegun;  // the output converter's conversion has begun
  // Where the current write buffer stands in its hand-over to the output converter.
  UInt32 handOffset;
  // The first failure of the save's writing: it stops the save, and is told once.
  OSErr writeError;
  UInt8 failureTold;
  UInt8 endStage;  // the next step of the save's end (tSpCDRSaveEndStage); 0 while none
};

// The steps of a save's end, in order.
enum tSpCDRSaveEndStage : UInt8 {
  kSpCDRSaveEndNone = 0,
  kSpCDRSaveEndFlushData,   // the sound written reaches the disk
  kSpCDRSaveEndFinishFile,  // the final header and tags, or the movie's index; the file closed
  kSpCDRSaveEndFlushFile,   // what the finish wrote reaches the disk
  kSpCDRSaveEndName,        // the file takes its name (or goes); the end callback
};

// How long a converting step works before the event loop has its turn again, so that no pass
// of the loop keeps the window waiting; and the clock it is measured by.
constexpr UInt64 kSpCDRStepMicroseconds = 10000;
UInt64 SpCDR_NowMicroseconds();

// The user reference number the save error manager's messages are looked up under.
enum : short { kSpCDRSaveErrorUserRefNum = 0 };

// Saves beyond this many bytes (header and sound) are refused: the files' size fields are 32
// bits, and the tag chunk needs room after the sound.
constexpr UInt64 kSpCDRMaxPlainFileBytes = 0xFFFFFFFFull - (1ull << 20);
// Saves of more sample frames of the 44.1 kHz working format than this are refused, movies
// too: the engine and the Movie Toolbox count frames and times in 32 bits. That is 13 hours,
// 31 minutes and 35 seconds.
constexpr UInt64 kSpCDRMaxSaveFrames = 0x7FFFFFFF;

// Writes the WAVE header at the open file's current position (44 bytes at 0; little-endian):
// RIFF (its size 36 + dataSize), "WAVE", "fmt " (PCM, channels, rate, bytes per second,
// block align, bits), "data" (dataSize). *headerLength (may be null) gets the bytes written.
// The File Manager's error of the first write that failed.
OSErr Sp_SetupWAVEHeader(short refNum, short channels, UInt32 rate, short sampleSize,
                         UInt32 bytesPerSecond, UInt32 dataSize, SInt32* headerLength);

// Writes the AIFF-C header at the open file's current position and gives it its FORM size
// (header length - 8 + dataBytes): "FORM", "AIFC", "FVER" (version 1), "COMM" (channels,
// frames, size, the rate as an 80-bit float, the compression type and its name from
// GetCompressionName, padded to even) and the "SSND" header. The File Manager's error.
OSErr SpCDR_SetupAIFFC_Header(short refNum, short channels, UInt32 sampleRate, short sampleSize,
                              OSType compressionType, UInt32 dataBytes, UInt32 sampleFrames);

// Whether the AIFF-C writer writes this compression: linear sound of any kind, IMA 4:1, u-law
// and A-law, whose frames an AIFF-C file counts in its header. Compressions that pack their
// sound in packets of varying size (AAC, Apple Lossless) need tables AIFF-C has no room for;
// the writer refuses them before anything is written.
Boolean SpCDR_AIFFCWriterTakesCompression(OSType compressionType);
// The same compressions as a list.
std::vector<OSType> SpCDR_AIFFCWriterCompressions();

// The first of "mSpeadFileTmp", "mSpeadFileTmp1" ... "mSpeadFileTmp100" that names nothing in
// the folder; empty when all are taken.
std::string SpCDR_FindTemporaryFileName(short vRefNum, SInt32 dirID);
// Removes the temporary files that saves of processes that have ended left (at start-up).
void SpCDR_RemoveLeftoverTemporaryFiles();

// The completion procedures of the plain writer's and the AIFF-C writer's asynchronous
// writes: the completed buffer is free again; a failed or short write is kept as the save's
// write error (the next step stops the save).
void SpCDR_CatchCompleationSaveDataInFile(ParamBlockRec* block);
void SpCDR_CatchCompleationSaveDataInAIFFC(ParamBlockRec* block);

// The output converter's fill-buffer procedure of movie and AIFF-C saves (refCon: the step's
// converter information).
Boolean SpCDROM_CatchSaveQTFileSoundConverterFillBufferDataCB(SoundComponentData** out,
                                                              void* refCon);

// The converter information of one movie or AIFF-C step.
struct sSpCDRWriteQTFileCnvInfo {
  cSp_CDRProgramBaseObj* program;
  SInt16 counter;
  UInt8 handed;        // a save buffer is out at the converter
  UInt8 dataComplete;  // the last working-format data has been handed
  UInt8 end;           // no more input
  ExtendedSoundComponentData record;
};
extern sSpCDRWriteQTFileCnvInfo writeQuickTimeFileCnvInfo_GlV;
// Bytes handed to output converters so far.
extern UInt64 testStaclDataSize_GlV;
