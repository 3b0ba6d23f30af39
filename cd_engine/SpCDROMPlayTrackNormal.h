// The save buffers a running save fills from the load buffer and hands to its writer.
//
// A save owns one save buffer set while it runs: two save buffers linked in a ring (the
// successor of a buffer is its next buffer or, at the tail, the head), the cursors of the
// fill, the writer and the write completions, and the working values of the multi-speed
// fill, which the program's InitializeMultiSpeedData sets.
#pragma once

#include "Files.h"
#include "MacTypes.h"

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
  UInt8 cleared;                // zeroed since its last write
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
};

// The size of one save buffer: a quarter of 80 % of MaxBlock in whole seconds of 44.1 kHz
// 16-bit stereo, as sectors (75 a second; at most 750) in *sectors when given. 0 when that is
// below 150 sectors (two seconds): too little memory to save.
UInt32 SpCDR_SaveBufferBytes(UInt32* sectors);
