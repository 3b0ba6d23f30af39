// The save buffers a running save fills from the load buffer and hands to its writer.
//
// A save owns one save buffer set while it runs: two save buffers linked in a ring (the
// successor of a buffer is its next buffer or, at the tail, the head), the cursors of the
// fill, the writer and the write completions, and the working values of the multi-speed
// fill, which the program's InitializeMultiSpeedData sets.
//
// The fills (cSp_CDRProgramBaseObj::LoadFromQTFileAndSetupSaveBuff_...) take the load
// buffer's working-format data: at normal speed a plain copy, above it the full-scale
// overlap, which keeps the pitch: windows of 4,116 frames of the source are laid over each
// other at a shorter hop, each cross-faded into what is already there over its first frames,
// and the result amplified to make up for the loudness the overlap loses. WAVE files get
// their samples little-endian, everything else big-endian. A buffer is handed to the writer
// (full) once it is filled; the last buffer of the run is marked last.
#pragma once

#include "Files.h"
#include "MacTypes.h"

class cSp_CDRProgramBaseObj;
class cSp_CDRProgramItemObj;
struct sSpSaveLoadSoundBuffer;

// One save buffer.
struct sSpSaveSaveSoundBuffer {
  UInt32 size;  // bytes of data
  UInt8* data;
  cSp_CDRProgramItemObj* item;  // whose data it starts with
  UInt32 counter;               // cleared with the buffer
  SInt32 used;                  // bytes filled
  UInt8 writing;                // a write is in progress
  UInt8 last;                   // the last buffer of the run
  UInt8 full;                   // ready for the writer
  UInt8 cleared;                // made ready since its last write (zeroed for the overlap)
  UInt8 stamped;                // item and source position recorded
  UInt32 sourcePosition;        // source offset of its first data
  UInt32 endSourcePosition;
  sSpSaveSaveSoundBuffer* before;
  sSpSaveSaveSoundBuffer* next;
};

// The save buffer set of a running save.
struct sSpSaveBufferSetBase {
  UInt8 allDataHanded;  // the last buffer of the run went to the writer
  sSpSaveLoadSoundBuffer* loadBufferHead;
  sSpSaveLoadSoundBuffer* loadBufferTail;
  sSpSaveLoadSoundBuffer* loadBufferCursors[3];
  sSpSaveSaveSoundBuffer* ringHead;
  sSpSaveSaveSoundBuffer* ringTail;
  sSpSaveSaveSoundBuffer* fillBuffer;
  sSpSaveSaveSoundBuffer* nextFillBuffer;
  sSpSaveSaveSoundBuffer* writeBuffer;
  sSpSaveSaveSoundBuffer* completionBuffer;
  UInt32 bytesWritten;
  UInt32 framesWritten;
  IOCompletionUPP completionUPP;
  // The multi-speed fill: where the next window starts (bytes from the fill buffer's start),
  // the hop between window starts in frames and bytes, three working words and the step of
  // the cross-fade weight.
  SInt32 writePosition;
  SInt32 hopFrames;
  SInt32 hopBytes;
  UInt32 workingWords[3];
  float fadeStep;
  // The first failure of an asynchronous write of the set (set by its completion).
  OSErr writeError;
};

// The size of one save buffer: a quarter of 80 % of MaxBlock in whole seconds of 44.1 kHz
// 16-bit stereo, as sectors (75 a second; at most 750) in *sectors when given. 0 when that is
// below 150 sectors (two seconds): too little memory to save.
UInt32 SpCDR_SaveBufferBytes(UInt32* sectors);

// Where play-back stands in its buffers (the play-back twins of the fills): the read block it
// takes data from next and how much of it it has taken; at multi-speed the sound buffer being
// filled and its successor, their bytes, and the window under way.
struct sSpPlayBackStepState {
  UInt32 block;
  UInt32 taken;
  UInt32 itemBytes;  // bytes of the current item queued so far
  cSp_CDRProgramItemObj* item;
  struct sSpPlayBackSoundBuffer* fill;
  struct sSpPlayBackSoundBuffer* next;
  SInt32 fillUsed;
  SInt32 nextUsed;
  SInt32 writePosition;  // where the window under way (or the next) starts
  SInt32 layPosition;    // where the window under way goes on
  UInt32 windowFill;
  UInt8 continuation;
  float weight;
  UInt8 firstWindow;
};

// ---- Samples (16-bit, big-endian unless said) -------------------------------------------------

// Each sample times the factor (in single floats, truncated toward zero, clamped to 16 bits).
// A byte count of 0 or less does nothing.
void SpCDRBufferSoundAddAmpValue(char* data, long bytes, float factor);
// The same, each result stored low byte first; the address after the last sample.
char* SpCDRBufferSoundAddAmpValueAndChangeToLittleEndian(char* data, long bytes, float factor);
// Swaps the two bytes of every sample.
void SpCDRBufferSoundChangeToLittleEndian(char* data, long bytes);

// Lays the load buffer's samples from its consumed bytes to loadEnd at writePosition (bytes
// from the start of the fill buffer; past its end they go into the next buffer), cross-fading
// into what is there while weight is below 1.0 (weight grows by the set's fade step each
// frame). The load buffer's consumed bytes, writePosition and weight move on.
void SpCDRSaveQTFullTrack_SetupDataMemoryOneChannel(cSp_CDRProgramBaseObj* program,
                                                    sSpSaveSaveSoundBuffer* fill,
                                                    sSpSaveSaveSoundBuffer* next, float& weight,
                                                    sSpSaveLoadSoundBuffer* load,
                                                    long& writePosition, unsigned long& loadEnd);
void SpCDRSaveQTFullTrack_SetupDataMemoryTwoChannel(cSp_CDRProgramBaseObj* program,
                                                    sSpSaveSaveSoundBuffer* fill,
                                                    sSpSaveSaveSoundBuffer* next, float& weight,
                                                    sSpSaveLoadSoundBuffer* load,
                                                    long& writePosition, unsigned long& loadEnd);
