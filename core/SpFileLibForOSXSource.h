// The FSRef file record: the buffered file record for files addressed by a folder FSRef and a
// long name (up to 1,023 bytes of MacJapanese), opened through the fork calls with 64-bit
// sizes and positions.
//
// Same buffer scheme as the classic record of SpFileLibSource.h (1,024,000 bytes halved down
// to 125), the same reader and the same buffered writer; reads and writes go to the fork's
// mark. The caller holds only the pointer an open hands out; the close frees it. An open that
// fails hands out nothing: the fork is closed, the record freed, the output pointer null.
//
// Asynchronous requests use the record's request block, one at a time: before the block is
// filled again, and before the record is freed, the record waits for its request to finish
// (a synchronous call on the fork runs the fork's queued completions first). The File
// Manager has done the I/O by the time the call returns, so the bytes of a queued write are
// not read afterwards. An asynchronous close travels in a block that outlives the record,
// because the record is freed at once.
//
// A null required argument sounds the beep and logs one record (source
// "SpFileLibForOSXSource", the operation's name, code 1).
#pragma once

#include "Files.h"
#include "MacTypes.h"

enum : SInt32 {
  kSpOSXFileNameSize = 1024,  // a name of at most 1,023 bytes and its terminator
};

struct sSpOSXFileSysInfo {
  FSForkIOParam requestBlock;  // the record's asynchronous request (write)
  FSRef folderRef;             // the folder that holds the file
  char fileName[kSpOSXFileNameSize];
  short vRefNum;          // the folder's volume
  FSIORefNum forkRefNum;  // the open data fork
  UInt64 fileSize;        // read mode: the fork's size; write mode: bytes written so far
  UInt64 bufferDataSize;  // read: bytes loaded; write: bytes collected
  UInt64 bufferIndex;     // read: the next unread byte; write: equal to bufferDataSize
  UInt64 filePosition;    // read: fork offset of the next byte to deliver
  UInt64 nextLoadOffset;  // read: fork offset just after the buffer's bytes
  UInt64 bufferSize;
  Ptr bufferPtr;  // owned by the record
};

// The opening core: the named file must exist in the folder (a missing file, a name longer
// than 1,023 bytes or one that is not MacJapanese gives paramErr). Opens the data fork with
// the permission, makes the record and its buffer, then sets the fork's size (setSize) and
// position (setPosition) as asked; a failure of either fails the open.
OSErr SpFileSystem_OpenByFSRef(const FSRef* folder, const char* name, SInt8 permission,
                               unsigned char setSize, UInt16 sizeMode, SInt64 size,
                               unsigned char setPosition, UInt16 positionMode,
                               SInt64 positionOffset, sSpOSXFileSysInfo** out);
// An existing file opened for reading and writing, cut to 0 bytes, written from the start.
OSErr Sp_WriteFileSystem_OpenByFSRef(const FSRef* folder, const char* name,
                                     sSpOSXFileSysInfo** out);
// An existing file opened for reading at the position asked, its size read and the first
// buffer-full loaded.
OSErr Sp_ReadFileSystem_OpenByFSRef(const FSRef* folder, const char* name,
                                    unsigned char setPosition, UInt16 positionMode,
                                    SInt64 positionOffset, sSpOSXFileSysInfo** out);

// Buffered write: as Sp_WriteFileSystem_Write. A null record or bytes, or a length of 0,
// give rfNumErr.
OSErr SpFileSystem_WriteByFSRef(sSpOSXFileSysInfo* file, const char* bytes, UInt64 length,
                                unsigned char sync);
// Writes the collected bytes.
OSErr SpFileSystem_WriteToFileByFSRef(sSpOSXFileSysInfo* file, unsigned char sync);
// Writes what is still collected and flushes the volume, then SpFileSystem_CloseByFSRef. A
// failure to write the collected bytes is returned; the record is freed all the same.
OSErr Sp_WriteFileSystem_CloseByFSRef(sSpOSXFileSysInfo* file, unsigned char closeFork,
                                      unsigned char sync);
// Closes the fork (when closeFork) and frees the record. The result is the volume flush's
// failure when there is one, else the close's result.
OSErr SpFileSystem_CloseByFSRef(sSpOSXFileSysInfo* file, unsigned char closeFork,
                                unsigned char sync);

// Up to count bytes, as Sp_ReadFileSystem_Read: eofErr once the position is at the size.
OSErr SpFileSystem_ReadByFSRef(sSpOSXFileSysInfo* file, SInt32 count, char* bytes,
                               SInt32* outCount);
// Loads the next buffer-full.
OSErr SpFileSystem_LoadDataFromTargetFileByFSRef(sSpOSXFileSysInfo* file);
